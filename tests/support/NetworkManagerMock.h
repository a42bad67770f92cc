#pragma once

#include "TestSupport.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// NetworkManager as python3-dbusmock's template plays it, on a private
// system bus of the test's own (dbus-daemon with a temporary config), with
// the device "ppp0". Stopped when destroyed.
class NetworkManagerMock
{
public:
    static constexpr const char *kService = "org.freedesktop.NetworkManager";
    static constexpr const char *kDevice = "/org/freedesktop/NetworkManager/Devices/ppp0";

    ~NetworkManagerMock()
    {
        stopService();
        stopProcess(m_daemon);
        QDBusConnection::disconnectFromBus(kConnectionName);
    }

    // Starts the bus and the mock; false, with the reason in error(), when
    // either cannot run here.
    bool start()
    {
        if (!m_dir.isValid())
            return fail(QStringLiteral("no temporary folder"));
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return fail(QStringLiteral("cannot write the bus config"));
        file.write(
            "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
            " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
            "<busconfig><type>system</type><listen>unix:path=" +
            QFile::encodeName(m_dir.filePath(QStringLiteral("bus"))) +
            "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
            "<allow user=\"*\"/><allow own=\"*\"/>"
            "<allow send_type=\"method_call\"/><allow send_type=\"signal\"/>"
            "<allow send_type=\"method_return\"/><allow send_type=\"error\"/>"
            "<allow receive_type=\"method_call\"/><allow receive_type=\"signal\"/>"
            "<allow receive_type=\"method_return\"/><allow receive_type=\"error\"/>"
            "</policy></busconfig>\n");
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(5000))
            return fail(QStringLiteral("dbus-daemon did not start"));
        if (!m_daemon.waitForReadyRead(10000))
            return fail(QStringLiteral("dbus-daemon gave no address"));
        m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
        m_bus = QDBusConnection::connectToBus(m_address, kConnectionName);
        if (!m_bus.isConnected())
            return fail(QStringLiteral("cannot connect to the private bus"));
        return startService() || fail(m_error);
    }

    // Starts dbusmock's NetworkManager on the bus (after stopService()).
    bool startService()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        m_service.setProcessEnvironment(env);
        m_service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_service.setStandardOutputFile(QProcess::nullDevice());
        // The system python: the one with Debian's dbusmock.
        m_service.start(QStringLiteral("/usr/bin/python3"),
                        {QStringLiteral("-m"), QStringLiteral("dbusmock"),
                         QStringLiteral("--system"), QStringLiteral("--template"),
                         QStringLiteral("networkmanager")});
        const QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            if (m_service.state() == QProcess::NotRunning) {
                m_error =
                    QStringLiteral("dbusmock ended at start (is python3-dbusmock installed?)");
                return false;
            }
            if (m_bus.interface()->isServiceRegistered(QString::fromLatin1(kService))) {
                mock(QStringLiteral("AddEthernetDevice"),
                     {QStringLiteral("ppp0"), QStringLiteral("ppp0"), 30});
                return true;
            }
            QTest::qWait(50);
        }
        m_error = QStringLiteral("dbusmock did not come up within 15 s");
        return false;
    }

    void stopService() { stopProcess(m_service); }

    // Back to the template's start, with ppp0 and no profiles.
    void reset()
    {
        mock(QStringLiteral("Reset"), {});
        mock(QStringLiteral("AddEthernetDevice"),
             {QStringLiteral("ppp0"), QStringLiteral("ppp0"), 30});
    }

    const QString &error() const { return m_error; }
    QString address() const { return m_address; }
    QDBusConnection bus() const { return m_bus; }

    // A saved profile of that id; its path.
    QString addProfile(const QString &id, const QString &type = QStringLiteral("pppoe"))
    {
        qDBusRegisterMetaType<QMap<QString, QVariantMap>>();
        QMap<QString, QVariantMap> settings;
        settings[QStringLiteral("connection")] = {{QStringLiteral("id"), id},
                                                  {QStringLiteral("type"), type}};
        const QDBusMessage reply =
            call(QStringLiteral("/org/freedesktop/NetworkManager/Settings"),
                 QStringLiteral("org.freedesktop.NetworkManager.Settings"),
                 QStringLiteral("AddConnection"), {QVariant::fromValue(settings)});
        return reply.arguments().isEmpty()
                   ? QString()
                   : qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
    }

    // Test data: a connection (name, NetworkManager type) that is up before
    // the entry "Provider" is dialled, and whether it stands for the dial.
    static void connectionsUpRows()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("alreadyUp");
        QTest::newRow("PPPoE") << "DSL"
                               << "pppoe" << true;
        QTest::newRow("VPN") << "Office VPN"
                             << "vpn" << true;
        QTest::newRow("mobile modem") << "Mobile"
                                      << "gsm" << true;
        QTest::newRow("the entry itself, whatever its kind") << "Provider"
                                                             << "802-3-ethernet" << true;
        QTest::newRow("wired LAN") << "Wired"
                                   << "802-3-ethernet" << false;
        QTest::newRow("wireless LAN") << "Home"
                                      << "802-11-wireless" << false;
    }

    // A saved profile of that id and type, brought up as the owner would.
    void bringUp(const QString &id, const QString &type)
    {
        const QDBusObjectPath none(QStringLiteral("/"));
        call(QStringLiteral("/org/freedesktop/NetworkManager"), QString::fromLatin1(kService),
             QStringLiteral("ActivateConnection"),
             {QVariant::fromValue(QDBusObjectPath(addProfile(id, type))), QVariant::fromValue(none),
              QVariant::fromValue(none)});
    }

    // Activations stop at "activating" on ppp0, for the test to lead on.
    void holdActivations()
    {
        replaceActivation(
            "self.n = getattr(self, 'n', 0) + 1\n"
            "path = objects['/org/freedesktop'].AddActiveConnection([], args[0], '/', "
            "'held%d' % self.n, dbus.UInt32(1))\n"
            "objects[path].Set('org.freedesktop.NetworkManager.Connection.Active', 'Devices', "
            "dbus.Array([dbus.ObjectPath('/org/freedesktop/NetworkManager/Devices/ppp0')], "
            "signature='o'))\n"
            "ret = dbus.ObjectPath(path)\n");
    }
    // Every activation is refused.
    void refuseActivations()
    {
        replaceActivation("raise dbus.exceptions.DBusException('no', "
                          "name='org.freedesktop.NetworkManager.UnknownConnection')\n");
    }
    // Deactivation is accepted and does nothing.
    void ignoreDeactivations()
    {
        call(QStringLiteral("/org/freedesktop/NetworkManager"), kMockInterface,
             QStringLiteral("AddMethod"),
             {QString::fromLatin1(kService), QStringLiteral("DeactivateConnection"),
              QStringLiteral("o"), QString(), QStringLiteral("pass")});
    }

    QStringList activeConnections()
    {
        const QDBusMessage reply =
            call(QStringLiteral("/org/freedesktop/NetworkManager"),
                 QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QString::fromLatin1(kService), QStringLiteral("ActiveConnections")});
        QStringList paths;
        if (reply.arguments().isEmpty())
            return paths;
        const QDBusArgument list = qvariant_cast<QDBusArgument>(
            qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant());
        QList<QDBusObjectPath> found;
        list >> found;
        for (const QDBusObjectPath &path : std::as_const(found))
            paths.append(path.path());
        return paths;
    }

    // Emits a device state change of ppp0: StateChanged(new, old, reason).
    void deviceState(uint state)
    {
        emitSignal(QString::fromLatin1(kDevice),
                   QStringLiteral("org.freedesktop.NetworkManager.Device"), QStringLiteral("uuu"),
                   {state, uint(30), uint(0)});
    }
    // Sets the state of an active connection and emits StateChanged(state, reason).
    void activeState(const QString &path, uint state, uint reason)
    {
        call(QStringLiteral("/org/freedesktop"), kMockInterface, QStringLiteral("SetProperty"),
             {path, QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
              QStringLiteral("State"), QVariant::fromValue(QDBusVariant(state))});
        emitSignal(path, QStringLiteral("org.freedesktop.NetworkManager.Connection.Active"),
                   QStringLiteral("uu"), {state, reason});
    }

    // How often the manager or the settings object was asked `method`.
    int calls(const QString &path, const QString &method)
    {
        const QDBusMessage reply =
            call(path, kMockInterface, QStringLiteral("GetMethodCalls"), {method});
        if (reply.arguments().isEmpty())
            return -1;
        const QDBusArgument list = qvariant_cast<QDBusArgument>(reply.arguments().constFirst());
        int count = 0;
        list.beginArray();
        while (!list.atEnd()) {
            qulonglong time = 0;
            QVariantList args;
            list.beginStructure();
            list >> time >> args;
            list.endStructure();
            ++count;
        }
        list.endArray();
        return count;
    }

    // How often a connection was brought up, by the test or by a dial.
    int activations()
    {
        return calls(QStringLiteral("/org/freedesktop/NetworkManager"),
                     QStringLiteral("ActivateConnection"));
    }

    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &arguments)
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(QString::fromLatin1(kService), path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 10000);
    }

private:
    static constexpr const char *kConnectionName = "networkmanager-mock";
    static inline const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

    void mock(const QString &method, const QVariantList &arguments)
    {
        call(QStringLiteral("/org/freedesktop"), kMockInterface, method, arguments);
    }

    void replaceActivation(const char *code)
    {
        call(QStringLiteral("/org/freedesktop/NetworkManager"), kMockInterface,
             QStringLiteral("AddMethod"),
             {QString::fromLatin1(kService), QStringLiteral("ActivateConnection"),
              QStringLiteral("ooo"), QStringLiteral("o"), QString::fromLatin1(code)});
    }

    void emitSignal(const QString &path, const QString &interface, const QString &signature,
                    const QVariantList &arguments)
    {
        call(
            path, kMockInterface, QStringLiteral("EmitSignal"),
            {interface, QStringLiteral("StateChanged"), signature, QVariant::fromValue(arguments)});
    }

    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_service;
    QString m_address;
    QString m_error;
    QDBusConnection m_bus{QString()};
};
