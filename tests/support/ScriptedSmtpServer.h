#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <atomic>
#include <functional>
#include <memory>

#include <sys/socket.h>

// A scripted SMTP server for protocol tests: on 127.0.0.1, in a thread of
// its own, it accepts one connection and plays a fixed conversation, logging
// every byte the client sends. Every wait is bounded (stepTimeoutMs), and the
// destructor ends a script still running.
class ScriptedSmtpServer
{
public:
    int stepTimeoutMs = 10000;

    ~ScriptedSmtpServer()
    {
        m_stop = true;
        if (m_thread) {
            m_thread->wait();
            delete m_thread;
        }
    }

    // Sends `bytes`, in pieces of `pieceSize` bytes with a short pause
    // between them (0: in one piece).
    ScriptedSmtpServer &send(const QByteArray &bytes, int pieceSize = 0)
    {
        return add({Step::Send, bytes, pieceSize});
    }
    // Waits for one command line from the client.
    ScriptedSmtpServer &readLine() { return add({Step::ReadLine, {}, 0}); }
    // Waits for the message content up to its end-of-data line.
    ScriptedSmtpServer &readData() { return add({Step::ReadData, {}, 0}); }
    // Closes the connection; the script ends.
    ScriptedSmtpServer &close() { return add({Step::Close, {}, 0}); }
    // Resets the connection (RST, not FIN): the client's next write fails.
    ScriptedSmtpServer &reset() { return add({Step::Reset, {}, 0}); }
    // Stops reading and says nothing, until the script is ended.
    ScriptedSmtpServer &stall() { return add({Step::Stall, {}, 0}); }
    // Says nothing until the client goes away.
    ScriptedSmtpServer &silence() { return add({Step::Silence, {}, 0}); }
    // Sends `bytes` one byte every `intervalMs`, over and over, until the
    // client goes away.
    ScriptedSmtpServer &drip(const QByteArray &bytes, int intervalMs)
    {
        return add({Step::Drip, bytes, intervalMs});
    }
    // Sends `bytes` and then `filler` without end, as fast as the client
    // takes it, until the client goes away (64 MiB at most).
    ScriptedSmtpServer &flood(const QByteArray &bytes, char filler)
    {
        return add({Step::Flood, bytes, filler});
    }
    // Runs `action` on the server's thread at this point of the script.
    ScriptedSmtpServer &then(std::function<void()> action)
    {
        Step step{Step::Run, {}, 0};
        step.action = std::move(action);
        return add(step);
    }
    // Greeting, then 250 to HELO, MAIL FROM and RCPT TO, 354 to DATA.
    ScriptedSmtpServer &upToContent()
    {
        return send("220 scripted\r\n")
            .readLine()
            .send("250 hello\r\n")
            .readLine()
            .send("250 sender ok\r\n")
            .readLine()
            .send("250 recipient ok\r\n")
            .readLine()
            .send("354 go ahead\r\n");
    }
    // The content, 250 to it, and 221 to QUIT.
    ScriptedSmtpServer &acceptAndQuit()
    {
        return readData().send("250 queued\r\n").readLine().send("221 bye\r\n");
    }

    // Listens and starts playing the script to the first client. False when
    // it cannot listen.
    bool start()
    {
        QSemaphore listening;
        m_thread = QThread::create([this, &listening] { run(listening); });
        m_thread->start();
        listening.acquire();
        return m_port != 0;
    }

    quint16 port() const { return m_port; }

    // Waits until the script has ended and the client has gone (bounded).
    bool finish(int ms = 20000) { return m_thread && m_thread->wait(QDeadlineTimer(ms)); }

    // Every byte the client sent so far.
    QByteArray received() const
    {
        QMutexLocker lock(&m_mutex);
        return m_received;
    }

    // How many filler bytes flood() got out.
    qint64 flooded() const { return m_flooded; }

    // True when the client connected at all.
    bool accepted() const { return m_accepted; }

private:
    struct Step
    {
        enum Kind
        {
            Send,
            ReadLine,
            ReadData,
            Close,
            Reset,
            Silence,
            Stall,
            Drip,
            Flood,
            Run
        } kind;
        QByteArray bytes;
        int number;
        std::function<void()> action = {};
    };

    ScriptedSmtpServer &add(const Step &step)
    {
        m_steps.append(step);
        return *this;
    }

    void run(QSemaphore &listening)
    {
        QTcpServer server;
        if (server.listen(QHostAddress::LocalHost, 0))
            m_port = server.serverPort();
        listening.release();
        if (m_port == 0)
            return;
        const QDeadlineTimer acceptDeadline(stepTimeoutMs);
        while (!server.hasPendingConnections() && !m_stop && !acceptDeadline.hasExpired())
            server.waitForNewConnection(20);
        std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
        if (!socket)
            return;
        server.close();
        m_accepted = true;
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        for (const Step &step : std::as_const(m_steps)) {
            if (!play(*socket, step))
                return;
        }
        // Log whatever else the client sends until it goes away.
        waitForClient(
            *socket, [] { return false; }, stepTimeoutMs);
    }

    bool play(QTcpSocket &socket, const Step &step)
    {
        switch (step.kind) {
        case Step::Send: {
            const int piece = step.number > 0 ? step.number : int(step.bytes.size());
            for (qsizetype at = 0; at < step.bytes.size(); at += piece) {
                socket.write(step.bytes.mid(at, piece));
                if (!socket.waitForBytesWritten(stepTimeoutMs))
                    return false;
                if (step.number > 0)
                    QThread::msleep(2);
            }
            return true;
        }
        case Step::ReadLine:
            return waitForClient(
                socket, [this] { return take(m_pending.indexOf('\n'), 1); }, stepTimeoutMs);
        case Step::ReadData:
            return waitForClient(
                socket,
                [this] {
                    if (m_pending.startsWith(".\r\n"))
                        return take(0, 3);
                    return take(m_pending.indexOf("\r\n.\r\n"), 5);
                },
                stepTimeoutMs);
        case Step::Close:
            socket.disconnectFromHost();
            if (socket.state() != QAbstractSocket::UnconnectedState)
                socket.waitForDisconnected(stepTimeoutMs);
            return false;
        case Step::Reset: {
            const linger now{1, 0};
            ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &now, sizeof now);
            socket.abort();
            return false;
        }
        case Step::Silence:
            waitForClient(
                socket, [] { return false; }, 60000);
            return false;
        case Step::Drip: {
            const QDeadlineTimer deadline(60000);
            for (qsizetype at = 0; !m_stop && !deadline.hasExpired(); ++at) {
                socket.write(step.bytes.mid(at % step.bytes.size(), 1));
                socket.flush();
                if (!waitForClient(
                        socket, [] { return false; }, step.number) &&
                    socket.state() != QAbstractSocket::ConnectedState)
                    break;
            }
            return false;
        }
        case Step::Stall: {
            const QDeadlineTimer deadline(stepTimeoutMs);
            while (!m_stop && !deadline.hasExpired())
                QThread::msleep(10);
            return false;
        }
        case Step::Run:
            step.action();
            return true;
        case Step::Flood: {
            socket.write(step.bytes);
            const QByteArray block(64 * 1024, char(step.number));
            while (!m_stop && m_flooded < 64 * 1024 * 1024 &&
                   socket.state() == QAbstractSocket::ConnectedState) {
                socket.write(block);
                if (!socket.waitForBytesWritten(stepTimeoutMs))
                    break;
                m_flooded += block.size();
            }
            return false;
        }
        }
        return false;
    }

    // Drops the first `end + extra` pending bytes when `end` >= 0.
    bool take(qsizetype end, qsizetype extra)
    {
        if (end < 0)
            return false;
        m_pending.remove(0, end + extra);
        return true;
    }

    // Reads from the client until `done` holds, the client goes away or
    // `ms` pass. True when `done` held.
    template <typename Done> bool waitForClient(QTcpSocket &socket, Done done, int ms)
    {
        const QDeadlineTimer deadline(ms);
        for (;;) {
            if (done())
                return true;
            if (m_stop || deadline.hasExpired())
                return false;
            socket.waitForReadyRead(int(std::min<qint64>(20, deadline.remainingTime())));
            const QByteArray bytes = socket.readAll();
            if (!bytes.isEmpty()) {
                m_pending += bytes;
                QMutexLocker lock(&m_mutex);
                m_received += bytes;
            } else if (socket.state() != QAbstractSocket::ConnectedState) {
                return done();
            }
        }
    }

    QList<Step> m_steps;
    QThread *m_thread = nullptr;
    std::atomic<quint16> m_port{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_accepted{false};
    std::atomic<qint64> m_flooded{0};
    QByteArray m_pending;
    mutable QMutex m_mutex;
    QByteArray m_received;
};
