#pragma once

#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// A real Secret Service: gnome-keyring-daemon on a private session bus of the
// test's own (dbus-daemon with a temporary config that activates nothing),
// its login keyring made and unlocked with a test password, its files in a
// temporary home. environment() is what a process needs to use it; a process
// that sets it up as its own (useInThisProcess()) can use only this one bus.
// Stopped when destroyed.
class SecretService
{
public:
    static constexpr const char *kUnlockPassword = "keyring-test-unlock";

    ~SecretService()
    {
        stopProcess(m_keyring);
        stopProcess(m_daemon);
        QDBusConnection::disconnectFromBus(QStringLiteral("secret-service-test"));
    }

    // False, with the reason in error(), when either program cannot run here.
    bool start()
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write the bus config"));
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                   "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                   "<busconfig><type>session</type><listen>unix:path=" +
                   QFile::encodeName(m_dir.filePath(QStringLiteral("bus"))) +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                   "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                   "<allow own=\"*\"/></policy></busconfig>\n");
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(5000) || !m_daemon.waitForReadyRead(10000))
            return fail(QStringLiteral("dbus-daemon did not start (is dbus-daemon installed?)"));
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        QDir(m_dir.path()).mkpath(QStringLiteral("home"));
        QDir(m_dir.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(m_dir.filePath(QStringLiteral("run")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_keyring.setProcessEnvironment(environment());
        m_keyring.setStandardOutputFile(QProcess::nullDevice());
        m_keyring.setStandardErrorFile(QProcess::nullDevice());
        m_keyring.start(QStringLiteral("gnome-keyring-daemon"),
                        {QStringLiteral("--foreground"), QStringLiteral("--components=secrets"),
                         QStringLiteral("--unlock")});
        if (!m_keyring.waitForStarted(5000))
            return fail(QStringLiteral("gnome-keyring-daemon did not start (is gnome-keyring "
                                       "installed?)"));
        // --unlock reads the password until the end of its input.
        m_keyring.write(kUnlockPassword);
        m_keyring.closeWriteChannel();
        QDBusConnection bus =
            QDBusConnection::connectToBus(m_address, QStringLiteral("secret-service-test"));
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_keyring.state() == QProcess::NotRunning)
                return fail(QStringLiteral("gnome-keyring-daemon ended at start"));
            if (bus.interface()->isServiceRegistered(QStringLiteral("org.freedesktop.secrets")) &&
                !isLocked())
                return true;
            QTest::qWait(50);
        }
        return fail(QStringLiteral("the keyring did not come up unlocked within 15 s"));
    }

    // The environment of a process that uses this keyring.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
        env.insert(QStringLiteral("HOME"), m_dir.filePath(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("home/data")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.filePath(QStringLiteral("run")));
        return env;
    }

    // Makes this keyring the one of this process, before anything here has
    // used a session bus.
    void useInThisProcess() const { qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8()); }

    // Locks the login keyring: it then asks to be unlocked, and with no one
    // here to answer, every read and write is refused.
    bool lock()
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.secrets"), QStringLiteral("/org/freedesktop/secrets"),
            QStringLiteral("org.freedesktop.Secret.Service"), QStringLiteral("Lock"));
        call << QVariant::fromValue(QList<QDBusObjectPath>{QDBusObjectPath(kCollection)});
        const QDBusMessage reply = bus().call(call, QDBus::Block, 10000);
        return reply.type() == QDBusMessage::ReplyMessage && isLocked();
    }

    // Every file of the keyring's own, as bytes: where the secrets are stored
    // (encrypted), to show they are nowhere else.
    QString keyringFolder() const { return m_dir.filePath(QStringLiteral("home/data/keyrings")); }

    const QString &error() const { return m_error; }

private:
    static constexpr const char *kCollection = "/org/freedesktop/secrets/collection/login";

    QDBusConnection bus() const
    {
        return QDBusConnection::connectToBus(m_address, QStringLiteral("secret-service-test"));
    }

    bool isLocked() const
    {
        QDBusMessage call = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.secrets"), QString::fromLatin1(kCollection),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        call << QStringLiteral("org.freedesktop.Secret.Collection") << QStringLiteral("Locked");
        const QDBusMessage reply = bus().call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return true;
        return reply.arguments().first().value<QDBusVariant>().variant().toBool();
    }

    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_keyring;
    QString m_address;
    QString m_error;
};
