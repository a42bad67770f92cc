#pragma once

#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

// Makes the test authority and server certificates in `folder`
// (make_test_certs.py): ca.pem, and the server certificates it lists as
// NAME.pem with NAME.key. False when python3-cryptography cannot run.
inline bool makeTestCertificates(const QString &folder)
{
    QProcess maker;
    maker.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    maker.start(QStringLiteral("/usr/bin/python3"),
                {qEnvironmentVariable("TAVELIN_SOURCE_DIR") +
                     QStringLiteral("/tests/support/make_test_certs.py"),
                 folder});
    return maker.waitForFinished(60000) && maker.exitStatus() == QProcess::NormalExit &&
           maker.exitCode() == 0 && QFile::exists(folder + QStringLiteral("/ca.pem"));
}

// A real SMTP server for the tests: Debian's python3-aiosmtpd on 127.0.0.1,
// on a free port, storing each accepted mail with its envelope
// (smtp_test_server.py, which also offers STARTTLS, implicit TLS and AUTH
// when asked). Stopped when destroyed.
class AiosmtpdServer
{
public:
    struct Mail
    {
        QByteArray mailFrom;
        QByteArrayList rcptTo;
        QByteArray content;
        QByteArray tls; // "full" or "resumed" handshake; empty without TLS
    };

    ~AiosmtpdServer() { stop(); }

    // Starts the server and waits (at most 15 s) until it accepts
    // connections. `options` go to smtp_test_server.py (--tls CERT KEY,
    // --auth USER PASSWORD, --delay SECONDS before each mail's answer...); with `implicitTls` a second listener,
    // implicitPort(), speaks TLS from the first byte (with --tls); `port`,
    // when not 0, is the port to listen on. False, with the reason in error(),
    // when it cannot run.
    bool start(const QStringList &options = {}, bool implicitTls = false, quint16 port = 0)
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        if (!QFile::exists(QStringLiteral("/usr/bin/python3")))
            return fail(QStringLiteral("/usr/bin/python3 is missing"));
        {
            QTcpServer probe;
            QTcpServer second;
            if (!probe.listen(QHostAddress::LocalHost, 0) ||
                (implicitTls && !second.listen(QHostAddress::LocalHost, 0)))
                return fail(QStringLiteral("no free port"));
            m_port = port != 0 ? port : probe.serverPort();
            m_implicitPort = second.serverPort();
        }
        QStringList arguments = {qEnvironmentVariable("TAVELIN_SOURCE_DIR") +
                                     QStringLiteral("/tests/support/smtp_test_server.py"),
                                 m_dir.path(), QString::number(m_port)};
        arguments += options;
        if (implicitTls)
            arguments << QStringLiteral("--implicit") << QString::number(m_implicitPort);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYTHONPATH"),
                   qEnvironmentVariable("TAVELIN_SOURCE_DIR") + QStringLiteral("/tests/support"));
        env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        // The system python: the one with Debian's aiosmtpd.
        m_process.start(QStringLiteral("/usr/bin/python3"), arguments);
        if (!m_process.waitForStarted(5000))
            return fail(QStringLiteral("python3 did not start"));
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_process.state() != QProcess::Running)
                return fail(
                    QStringLiteral("aiosmtpd ended at start (is python3-aiosmtpd installed?)"));
            QTcpSocket probe;
            probe.connectToHost(QHostAddress::LocalHost, m_port);
            QTcpSocket implicitProbe;
            if (implicitTls)
                implicitProbe.connectToHost(QHostAddress::LocalHost, m_implicitPort);
            if (probe.waitForConnected(200) &&
                (!implicitTls || implicitProbe.waitForConnected(200)))
                return true;
            QThread::msleep(50);
        }
        return fail(QStringLiteral("aiosmtpd did not listen within 15 s"));
    }

    void stop() { stopProcess(m_process); }

    quint16 port() const { return m_port; }
    quint16 implicitPort() const { return m_implicitPort; }
    const QString &error() const { return m_error; }

    // The first word of each command line received so far, in order.
    QByteArrayList commands() const
    {
        QByteArrayList verbs = readAll(m_dir.filePath(QStringLiteral("commands.log"))).split('\n');
        verbs.removeAll(QByteArray());
        return verbs;
    }

    // The mails stored so far, in order of arrival.
    QList<Mail> mails() const
    {
        QList<Mail> result;
        const QDir dir(m_dir.path());
        const QStringList names = dir.entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name);
        for (const QString &name : names) {
            Mail mail;
            mail.content = readAll(dir.filePath(name));
            mail.tls = readAll(dir.filePath(name.chopped(4) + QStringLiteral(".tls")));
            QByteArrayList envelope =
                readAll(dir.filePath(name.chopped(4) + QStringLiteral(".env"))).split('\n');
            if (!envelope.isEmpty() && envelope.last().isEmpty())
                envelope.removeLast();
            if (!envelope.isEmpty())
                mail.mailFrom = envelope.takeFirst();
            mail.rcptTo = envelope;
            result.append(mail);
        }
        return result;
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        stop();
        return false;
    }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_implicitPort = 0;
    QString m_error;
};
