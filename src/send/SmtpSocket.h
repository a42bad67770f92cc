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

class QTcpSocket;

// One SMTP delivery of one queued mail file over plain SMTP with HELO: reads
// the envelope from the file's header lines, then sends the whole file as the
// message content. Blocks the calling thread (which must not be the thread
// that handles the reports) until done; every wait has a deadline and looks
// at the cancel flag at least every 50 ms.
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
    // Set from any thread to end the delivery.
    const std::atomic<bool> *cancelFlag = nullptr;

    // Delivers `mailFile` to `server` (host name or dotted address) and
    // `port`. True when the server accepted the mail; otherwise errorText()
    // says why. listTitle() is set either way once the header was read.
    bool Deliver(const QByteArray &server, quint32 port, const QString &mailFile);

    const QString &errorText() const { return m_errorText; }
    const QByteArray &listTitle() const { return m_listTitle; }

private:
    bool scanHeader(const QString &mailFile, QByteArray &to, QByteArray &from);
    bool lookUp(const QString &host, const QDeadlineTimer &deadline,
                QList<QHostAddress> &addresses);
    bool connectTo(const QByteArray &server, quint32 port);
    bool readReply(const QDeadlineTimer &deadline, int &code);
    bool command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                 const QString &replyFailure, int required);
    bool sendContent(const QString &mailFile);
    bool writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline);
    // False once cancelled or past the deadline; otherwise the next wait's length.
    bool timeLeft(const QDeadlineTimer &deadline, int &sliceMs) const;
    bool cancelled() const;
    void say(const QString &line);

    QTcpSocket *m_socket;
    SmtpReplyReader m_reader;
    QByteArray m_readBuffer;
    QString m_errorText;
    QByteArray m_listTitle;
};
