#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <fcntl.h>
#include <mutex>
#include <thread>
#include <unistd.h>

// Where the real-world fixtures are, when the shared folder sits beside the
// checkout; empty when it does not (tests then skip those cases).
inline QString sharedFixturesDir()
{
    const QString dir =
        qEnvironmentVariable("TAVELIN_SOURCE_DIR") + QStringLiteral("/../shared/fixtures");
    return QDir(dir).exists() ? QDir(dir).canonicalPath() : QString();
}

// The tavelin-cli program built beside the tests.
inline QString cliProgram()
{
    return qEnvironmentVariable("TAVELIN_CLI");
}

// Writes bytes as the whole content of path; false when that failed.
inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

// The whole content of path, or "<unreadable>".
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A returned mail as servers send it (RFC 3464): one failed recipient with
// its status code, dated by the mail's Date header.
inline QByteArray deliveryReport(const QByteArray &address, const QByteArray &date,
                                 const QByteArray &status = "5.1.1")
{
    return "Date: " + date +
           "\nFrom: MAILER-DAEMON@mx.example\n"
           "Content-Type: multipart/report; report-type=delivery-status; boundary=R\n\n"
           "--R\nContent-Type: text/plain\n\nDelivery failed.\n\n"
           "--R\nContent-Type: message/delivery-status\n\nReporting-MTA: dns; mx.example\n\n"
           "Final-Recipient: rfc822; " +
           address + "\nAction: failed\nStatus: " + status +
           "\n\n--R\nContent-Type: message/rfc822\n\nFrom: owner@list.example\n"
           "Subject: digest\n\nFrom the list: hello\n--R--\n";
}

// Six returned mails of three addresses: gone@ on two days (three reports,
// one in other letter case), full@ once on the newest day, old@ on two days
// six weeks before it.
inline QByteArrayList handMadeReports()
{
    return {
        deliveryReport("gone@a.example", "Mon, 30 Nov 2026 09:00:00 +0900"),
        deliveryReport("Gone@A.example", "Mon, 30 Nov 2026 21:00:00 +0900"),
        deliveryReport("gone@a.example", "Tue, 1 Dec 2026 09:00:00 +0900", "5.2.1"),
        deliveryReport("full@b.example", "Tue, 1 Dec 2026 09:00:00 +0900", "4.2.2"),
        deliveryReport("old@c.example", "Tue, 20 Oct 2026 09:00:00 +0900"),
        deliveryReport("old@c.example", "Wed, 21 Oct 2026 09:00:00 +0900"),
    };
}

// The mail's lines without its Date line, which holds the second it was made.
inline QByteArray withoutDate(QByteArray mail)
{
    const qsizetype date = mail.indexOf("\r\nDate: ");
    if (date >= 0)
        mail.remove(date, mail.indexOf("\r\n", date + 2) - date);
    return mail;
}

// Runs the process in the time zone `tz` (a TZ value) until destroyed.
class ScopedTimeZone
{
public:
    explicit ScopedTimeZone(const QByteArray &tz)
        : m_saved(qgetenv("TZ")), m_had(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", tz);
        ::tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_saved);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    ScopedTimeZone(const ScopedTimeZone &) = delete;
    ScopedTimeZone &operator=(const ScopedTimeZone &) = delete;

private:
    QByteArray m_saved;
    bool m_had;
};

// Guards a test against a FIFO being opened for reading: should the code under
// test open it, a writer lets the open go after two seconds, and freed() then
// says so. finish() (before freed()) ends the watch.
class FifoWatchdog
{
public:
    explicit FifoWatchdog(const QString &fifo)
        : m_thread([this, path = QFile::encodeName(fifo)] {
              std::unique_lock lock(m_mutex);
              if (m_done.wait_for(lock, std::chrono::seconds(2), [this] { return m_finished; }))
                  return;
              const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
              m_freed = fd >= 0;
              if (fd >= 0)
                  ::close(fd);
          })
    {
    }
    ~FifoWatchdog() { finish(); }

    void finish()
    {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }
    bool freed() const { return m_freed; }

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    bool m_freed = false;
    std::thread m_thread;
};

// Stops a helper process the tests started: asked first, killed if it will not go.
inline void stopProcess(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}
