#pragma once

#include "send/SendJob.h"
#include "send/SmtpReplyReader.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QSslSocket;
class QTcpSocket;

// One SMTP delivery of one queued mail file: reads the envelope from the
// file's header lines, then sends the whole file as the message content.
// Plain SMTP with HELO unless `security` asks for TLS (and a login); the
// credentials only ever go over a TLS connection whose certificate was
// verified. Blocks the calling thread (which must not be the thread that
// handles the reports) until done; every wait has a deadline and looks at
// the cancel flag at least every 50 ms.
class CSmtpSocket
{
public:
    CSmtpSocket();
    ~CSmtpSocket();
    CSmtpSocket(const CSmtpSocket &) = delete;
    CSmtpSocket &operator=(const CSmtpSocket &) = delete;

    // Receives each progress line; none are sent while unset.
    std::function<void(const QString &line)> report;
    SmtpDeadlines deadlines;
    // The login; none while the user name is empty or the security is Plain.
    QByteArray userName;
    QByteArray password;
    // Unset: derived from the port and the user name.
    std::optional<SmtpSecurity> security;
    // A test seam: tests cannot listen on 465.
    quint32 implicitTlsPort = kImplicitTlsPort;
    // Set from any thread to end the delivery.
    const std::atomic<bool> *cancelFlag = nullptr;

    // Delivers `mailFile` to `server` (host name or dotted address) and
    // `port`. True when the server accepted the mail; otherwise errorText()
    // says why. listTitle() is set either way once the header was read.
    bool Deliver(const QByteArray &server, quint32 port, const QString &mailFile);

    const QString &errorText() const { return m_errorText; }
    const QByteArray &listTitle() const { return m_listTitle; }

private:
    struct Extensions;

    bool converse(const QByteArray &server, quint32 port, const QString &mailFile);
    bool scanHeader(const QString &mailFile, QByteArray &to, QByteArray &from);
    bool lookUp(const QString &host, const QDeadlineTimer &deadline,
                QList<QHostAddress> &addresses);
    bool connectTo(const QByteArray &server, quint32 port, bool tls);
    bool startTls(const QString &host);
    // Keeps the TLS session of this connection for the next one to the server.
    void keepTlsSession();
    bool logIn(const QByteArray &helloName, const QString &host);
    bool extendedHello(const QByteArray &helloName, Extensions &extensions);
    bool authenticate(const QByteArray &mechanism);
    bool readReply(const QDeadlineTimer &deadline, int &code);
    // Sends `text` and reads the reply's code; false (with the step's text)
    // when either fails.
    bool exchange(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                  const QString &replyFailure, int &code);
    bool command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                 const QString &replyFailure, int required);
    // Ends the delivery on the server's answer (or on our own refusal of
    // what it offers): the conversation is still in step, so QUIT follows.
    bool refuse(const QString &text);
    bool sendContent(const QString &mailFile);
    bool writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline);
    // False once cancelled or past the deadline; otherwise the next wait's length.
    bool timeLeft(const QDeadlineTimer &deadline, int &sliceMs) const;
    bool cancelled() const;
    void say(const QString &line);

    std::unique_ptr<QTcpSocket> m_socket;
    QSslSocket *m_tls = nullptr; // m_socket, when TLS may be started on it
    SmtpReplyReader m_reader;
    QByteArrayList m_replyLines; // of the last reply read
    QByteArray m_readBuffer;
    QString m_errorText;
    bool m_inStep = false; // the failure came with a whole reply: QUIT may follow
    QByteArray m_listTitle;
    QString m_sessionKey; // the server, name and trust of this TLS connection
};
