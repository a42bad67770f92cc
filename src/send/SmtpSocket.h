#pragma once

#include "send/SendJob.h"
#include "send/SmtpReplyReader.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <atomic>
#include <functional>

class QEventLoop;
class QTcpSocket;
class QTimer;

// One SMTP delivery of one queued mail file over plain SMTP with HELO: reads
// the envelope from the file's header lines, then sends the whole file as the
// message content. Blocks the calling thread (which must not be the thread
// that handles the reports) until done; every wait has a deadline and ends
// at once on cancel.
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
    // Set from another thread to end the delivery; after setting it, call
    // wake() so that a wait in progress notices at once.
    const std::atomic<bool> *cancelFlag = nullptr;

    // Delivers `mailFile` to `server` (host name or dotted address) and
    // `port`. True when the server accepted the mail; otherwise errorText()
    // says why. listTitle() is set either way once the header was read.
    bool Deliver(const QByteArray &server, quint32 port, const QString &mailFile);

    // Thread-safe: makes a wait in progress re-check the cancel flag.
    void wake();

    const QString &errorText() const { return m_errorText; }
    const QByteArray &listTitle() const { return m_listTitle; }

private:
    bool scanHeader(const QString &mailFile, QByteArray &to, QByteArray &from);
    bool connectTo(const QByteArray &server, quint32 port);
    bool readReply(int deadlineMs, int &code);
    bool command(const QByteArray &text, int deadlineMs, const QString &sendFailure,
                 const QString &replyFailure, int required);
    bool sendContent(const QString &mailFile);
    bool writeAll(const QByteArray &bytes, const QDeadlineTimer &deadline);
    bool waitFor(const std::function<bool()> &done, const QDeadlineTimer &deadline);
    bool cancelled() const;
    void say(const QString &line);

    QTcpSocket *m_socket = nullptr;
    QEventLoop *m_loop = nullptr;
    QTimer *m_timer = nullptr;
    QObject *m_waker = nullptr;
    SmtpReplyReader m_reader;
    QString m_errorText;
    QByteArray m_listTitle;
};
