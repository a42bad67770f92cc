#include "send/NetworkManagerDialUp.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDeadlineTimer>

#include <algorithm>

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kManagerPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kManager = QStringLiteral("org.freedesktop.NetworkManager");
const QString kSettingsPath = QStringLiteral("/org/freedesktop/NetworkManager/Settings");
const QString kSettings = QStringLiteral("org.freedesktop.NetworkManager.Settings");
const QString kProfile = QStringLiteral("org.freedesktop.NetworkManager.Settings.Connection");
const QString kActive = QStringLiteral("org.freedesktop.NetworkManager.Connection.Active");
const QString kDevice = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kRoot = QStringLiteral("/org/freedesktop");

// NetworkManager's active-connection states (NMActiveConnectionState).
constexpr uint kActivated = 2;
constexpr uint kDeactivated = 4;
// Its device states (NMDeviceState) that mean a failed activation.
constexpr uint kDeviceFailed = 120;

// A device's way through an activation, told as the dial-up service tells a
// dial: preparing opens the port, configuring "calls" the entry, waiting
// for secrets authenticates, IP configuration and its check are projection
// and the link-speed phase, secondaries come once the IP layer is up. The
// active connection gives the rest: accepted is OpenPort, activated is
// Connected, deactivated is Disconnected (or, before Connected, a failure
// with kReasonBase + its reason). A device that fails ends the dial too.
int dialStateOfDevice(uint deviceState)
{
    switch (deviceState) {
    case 40: // prepare
        return DialUpState::PortOpened;
    case 50: // config
        return DialUpState::ConnectDevice;
    case 60: // need-auth
        return DialUpState::Authenticate;
    case 70: // ip-config
        return DialUpState::Projection;
    case 80: // ip-check
        return DialUpState::LinkSpeed;
    case 90: // secondaries
        return DialUpState::Projected;
    default:
        return -1;
    }
}

QVariant unwrap(const QVariant &value)
{
    return value.canConvert<QDBusVariant>() ? qvariant_cast<QDBusVariant>(value).variant() : value;
}

QStringList objectPaths(const QVariant &value)
{
    QStringList paths;
    const QVariant plain = unwrap(value);
    if (plain.canConvert<QDBusArgument>()) {
        const QDBusArgument argument = qvariant_cast<QDBusArgument>(plain);
        QList<QDBusObjectPath> list;
        argument >> list;
        for (const QDBusObjectPath &path : std::as_const(list))
            paths.append(path.path());
    } else {
        for (const QDBusObjectPath &path : qvariant_cast<QList<QDBusObjectPath>>(plain))
            paths.append(path.path());
    }
    return paths;
}

QVariantMap propertyMap(const QVariant &value)
{
    QVariantMap map;
    const QVariant plain = unwrap(value);
    if (plain.canConvert<QDBusArgument>())
        qvariant_cast<QDBusArgument>(plain) >> map;
    else
        map = plain.toMap();
    return map;
}

} // namespace

NetworkManagerDialUp::NetworkManagerDialUp(const QDBusConnection &bus, QObject *parent)
    : DialUpBinding(parent), m_bus(bus)
{
    // A connection can vanish without a last state change; its object's
    // removal says it is gone.
    if (m_bus.isConnected())
        m_bus.connect(kService, kRoot, kObjectManager, QStringLiteral("InterfacesRemoved"), this,
                      SLOT(onInterfacesRemoved(QDBusMessage)));
}

QDBusMessage NetworkManagerDialUp::call(const QString &path, const QString &interface,
                                        const QString &method, const QVariantList &arguments,
                                        int timeoutMs) const
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, path, interface, method);
    message.setArguments(arguments);
    // Blocks without running events, briefly: the window must not freeze,
    // and nothing may run in between.
    return m_bus.call(message, QDBus::Block, timeoutMs);
}

bool NetworkManagerDialUp::available() const
{
    if (!m_bus.isConnected())
        return false;
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask.setArguments({kService});
    const QDBusMessage answer = m_bus.call(ask, QDBus::Block, kCallTimeoutMs);
    return answer.type() == QDBusMessage::ReplyMessage && !answer.arguments().isEmpty() &&
           answer.arguments().constFirst().toBool();
}

int NetworkManagerDialUp::profiles(QList<QPair<QString, QString>> &found) const
{
    // One deadline for the whole list: a service that stopped answering must
    // not hold the window for a second per profile.
    const QDeadlineTimer deadline(kCallTimeoutMs);
    const QDBusMessage list = call(kSettingsPath, kSettings, QStringLiteral("ListConnections"));
    if (list.type() != QDBusMessage::ReplyMessage || list.arguments().isEmpty())
        return DialUpResult::NotLoaded;
    for (const QString &path : objectPaths(list.arguments().constFirst())) {
        if (deadline.hasExpired())
            break;
        const QDBusMessage settings = call(path, kProfile, QStringLiteral("GetSettings"), {},
                                           int(std::max<qint64>(1, deadline.remainingTime())));
        if (settings.type() != QDBusMessage::ReplyMessage || settings.arguments().isEmpty())
            continue; // removed in the meantime
        QMap<QString, QVariantMap> groups;
        qvariant_cast<QDBusArgument>(settings.arguments().constFirst()) >> groups;
        const QString id =
            groups.value(QStringLiteral("connection")).value(QStringLiteral("id")).toString();
        if (!id.isEmpty())
            found.append({path, id});
    }
    return DialUpResult::Ok;
}

int NetworkManagerDialUp::enumEntries(QStringList &entries)
{
    entries.clear();
    if (!available())
        return DialUpResult::NotLoaded;
    QList<QPair<QString, QString>> found;
    const int result = profiles(found);
    for (const auto &profile : std::as_const(found))
        entries.append(profile.second);
    return result;
}

// The connection types that dial out, as a dial-up entry does: serial and
// mobile modems (ppp, gsm, cdma), PPP over Ethernet, a phone reached over
// Bluetooth (its "dun" kind; "panu" joins a LAN), and tunnels (vpn, wireguard),
// which the owner brings up by hand like a dial-up line. A wired or wireless
// LAN is up on any desktop that is online: counting it would never dial.
bool NetworkManagerDialUp::isRemoteAccess(const QVariantMap &active,
                                          const QDeadlineTimer &deadline) const
{
    static const QStringList kRemoteTypes = {QStringLiteral("ppp"),  QStringLiteral("gsm"),
                                             QStringLiteral("cdma"), QStringLiteral("pppoe"),
                                             QStringLiteral("vpn"),  QStringLiteral("wireguard")};
    const QString type = active.value(QStringLiteral("Type")).toString();
    if (kRemoteTypes.contains(type))
        return true;
    if (type != QLatin1String("bluetooth"))
        return false;
    const QString profile =
        qvariant_cast<QDBusObjectPath>(unwrap(active.value(QStringLiteral("Connection")))).path();
    const QDBusMessage settings = call(profile, kProfile, QStringLiteral("GetSettings"), {},
                                       int(std::max<qint64>(1, deadline.remainingTime())));
    if (settings.type() != QDBusMessage::ReplyMessage || settings.arguments().isEmpty())
        return false;
    QMap<QString, QVariantMap> groups;
    qvariant_cast<QDBusArgument>(settings.arguments().constFirst()) >> groups;
    return groups.value(QStringLiteral("bluetooth")).value(QStringLiteral("type")).toString() ==
           QLatin1String("dun");
}

int NetworkManagerDialUp::enumConnections(QList<ActiveConnection> &connections)
{
    connections.clear();
    if (!available())
        return DialUpResult::NotLoaded;
    const QDeadlineTimer deadline(kCallTimeoutMs); // for the whole list, as with profiles
    const QDBusMessage active = call(kManagerPath, kProperties, QStringLiteral("Get"),
                                     {kManager, QStringLiteral("ActiveConnections")});
    if (active.type() != QDBusMessage::ReplyMessage || active.arguments().isEmpty())
        return DialUpResult::NotLoaded;
    for (const QString &path : objectPaths(active.arguments().constFirst())) {
        if (deadline.hasExpired())
            break;
        const QDBusMessage all = call(path, kProperties, QStringLiteral("GetAll"), {kActive},
                                      int(std::max<qint64>(1, deadline.remainingTime())));
        if (all.type() != QDBusMessage::ReplyMessage || all.arguments().isEmpty())
            continue;
        const QVariantMap properties = propertyMap(all.arguments().constFirst());
        // Only a connection that is up carries mail; one still coming up or
        // going down may never do so. The loopback device leads nowhere.
        if (unwrap(properties.value(QStringLiteral("State"))).toUInt() != kActivated ||
            properties.value(QStringLiteral("Type")).toString() == QLatin1String("loopback"))
            continue;
        connections.append({properties.value(QStringLiteral("Id")).toString(),
                            isRemoteAccess(properties, deadline)});
    }
    return DialUpResult::Ok;
}

int NetworkManagerDialUp::getEntryDialParams(const QString &entry, DialParams &params)
{
    if (!available())
        return DialUpResult::NotLoaded;
    QList<QPair<QString, QString>> found;
    if (const int result = profiles(found); result != DialUpResult::Ok)
        return result;
    for (const auto &profile : std::as_const(found)) {
        if (profile.second == entry) {
            params.entryName = entry;
            params.reference = profile.first;
            return DialUpResult::Ok;
        }
    }
    return DialUpResult::EntryNotFound;
}

int NetworkManagerDialUp::dial(const DialParams &params, RasConnection &connection)
{
    if (!available())
        return DialUpResult::NotLoaded;
    if (params.reference.isEmpty())
        return DialUpResult::EntryNotFound;
    const quint32 handle = m_nextHandle++;
    if (m_nextHandle == 0)
        m_nextHandle = 1;
    m_dialled.insert(handle, {params.reference, {}, {}, false, false});
    QDBusMessage activate = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                           QStringLiteral("ActivateConnection"));
    const QDBusObjectPath none(QStringLiteral("/"));
    activate.setArguments({QVariant::fromValue(QDBusObjectPath(params.reference)),
                           QVariant::fromValue(none), QVariant::fromValue(none)});
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(activate), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, handle](QDBusPendingCallWatcher *w) { onActivated(handle, w); });
    connection.handle = handle;
    return DialUpResult::Ok;
}

void NetworkManagerDialUp::onActivated(quint32 handle, QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusPendingReply<QDBusObjectPath> reply = *watcher;
    auto it = m_dialled.find(handle);
    if (it == m_dialled.end())
        return;
    if (reply.isError()) {
        // Refused: no such profile, no device for it, not allowed.
        ended(handle, 0);
        return;
    }
    it->active = reply.value().path();
    m_bus.connect(kService, it->active, kActive, QStringLiteral("StateChanged"), this,
                  SLOT(onActiveStateChanged(QDBusMessage)));
    if (it->hungUp) {
        // Cancelled before NetworkManager answered.
        deactivate(it->active);
        return;
    }
    report(handle, DialUpState::OpenPort, 0);
    // Read after subscribing: a change in between is in what is read.
    QDBusMessage get =
        QDBusMessage::createMethodCall(kService, it->active, kProperties, QStringLiteral("GetAll"));
    get.setArguments({kActive});
    auto *properties = new QDBusPendingCallWatcher(m_bus.asyncCall(get), this);
    connect(properties, &QDBusPendingCallWatcher::finished, this,
            [this, handle](QDBusPendingCallWatcher *w) { onActiveProperties(handle, w); });
}

void NetworkManagerDialUp::onActiveProperties(quint32 handle, QDBusPendingCallWatcher *watcher)
{
    watcher->deleteLater();
    const QDBusMessage reply = watcher->reply();
    auto it = m_dialled.find(handle);
    if (it == m_dialled.end())
        return;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        ended(handle, 0); // gone already
        return;
    }
    const QVariantMap properties = propertyMap(reply.arguments().constFirst());
    it->devices = objectPaths(properties.value(QStringLiteral("Devices")));
    for (const QString &device : std::as_const(it->devices))
        m_bus.connect(kService, device, kDevice, QStringLiteral("StateChanged"), this,
                      SLOT(onDeviceStateChanged(QDBusMessage)));
    activeState(handle, unwrap(properties.value(QStringLiteral("State"))).toUInt(), 0);
}

void NetworkManagerDialUp::activeState(quint32 handle, uint state, uint reason)
{
    auto it = m_dialled.find(handle);
    if (it == m_dialled.end())
        return;
    if (state == kActivated && !it->connected) {
        it->connected = true;
        report(handle, DialUpState::Connected, 0);
    } else if (state == kDeactivated) {
        ended(handle, reason);
    }
}

void NetworkManagerDialUp::onActiveStateChanged(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    const quint32 handle = handleOfActive(message.path());
    if (handle != 0 && arguments.size() >= 2)
        activeState(handle, arguments.at(0).toUInt(), arguments.at(1).toUInt());
}

void NetworkManagerDialUp::onDeviceStateChanged(const QDBusMessage &message)
{
    // StateChanged(new state, old state, reason)
    const QVariantList arguments = message.arguments();
    const quint32 handle = handleOfDevice(message.path());
    if (handle == 0 || arguments.size() < 3 || m_dialled.value(handle).connected)
        return;
    const uint state = arguments.at(0).toUInt();
    if (state == kDeviceFailed) {
        ended(handle, arguments.at(2).toUInt());
        return;
    }
    if (const int dialState = dialStateOfDevice(state); dialState >= 0)
        report(handle, dialState, 0);
}

void NetworkManagerDialUp::onInterfacesRemoved(const QDBusMessage &message)
{
    const QVariantList arguments = message.arguments();
    if (arguments.isEmpty())
        return;
    const QString path = qvariant_cast<QDBusObjectPath>(arguments.constFirst()).path();
    if (const quint32 handle = handleOfActive(path); handle != 0)
        ended(handle, 0);
}

void NetworkManagerDialUp::ended(quint32 handle, uint reason)
{
    const auto it = m_dialled.find(handle);
    if (it == m_dialled.end())
        return;
    const Dialled dialled = *it;
    m_dialled.erase(it);
    unwatch(dialled);
    if (dialled.hungUp)
        return; // gone as asked: getConnectStatus now says so
    if (dialled.connected)
        Q_EMIT dialProgress(handle, DialUpState::Disconnected, 0);
    else
        Q_EMIT dialProgress(handle, DialUpState::OpenPort, kReasonBase + int(reason));
}

void NetworkManagerDialUp::report(quint32 handle, int state, int error)
{
    const auto it = m_dialled.constFind(handle);
    // A connection being hung up has nothing more to tell.
    if (it != m_dialled.constEnd() && it->hungUp)
        return;
    Q_EMIT dialProgress(handle, state, error);
}

void NetworkManagerDialUp::unwatch(const Dialled &dialled)
{
    if (!dialled.active.isEmpty())
        m_bus.disconnect(kService, dialled.active, kActive, QStringLiteral("StateChanged"), this,
                         SLOT(onActiveStateChanged(QDBusMessage)));
    for (const QString &device : dialled.devices)
        m_bus.disconnect(kService, device, kDevice, QStringLiteral("StateChanged"), this,
                         SLOT(onDeviceStateChanged(QDBusMessage)));
}

int NetworkManagerDialUp::getConnectStatus(const RasConnection &connection, int &state)
{
    if (!available())
        return DialUpResult::NotLoaded;
    const auto it = m_dialled.constFind(connection.handle);
    if (it == m_dialled.constEnd())
        return DialUpResult::InvalidHandle;
    if (it->active.isEmpty()) {
        state = DialUpState::OpenPort; // NetworkManager has not answered yet
        return DialUpResult::Ok;
    }
    const QDBusMessage reply =
        call(it->active, kProperties, QStringLiteral("Get"), {kActive, QStringLiteral("State")});
    const uint nmState = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
                             ? unwrap(reply.arguments().constFirst()).toUInt()
                             : kDeactivated;
    if (nmState == kDeactivated) {
        unwatch(*it);
        m_dialled.erase(it);
        return DialUpResult::InvalidHandle;
    }
    state = nmState == kActivated ? DialUpState::Connected : DialUpState::OpenPort;
    return DialUpResult::Ok;
}

int NetworkManagerDialUp::hangUp(RasConnection &connection)
{
    const quint32 handle = connection.handle;
    connection.handle = 0;
    if (!available())
        return DialUpResult::NotLoaded;
    const auto it = m_dialled.find(handle);
    if (it == m_dialled.end())
        return DialUpResult::InvalidHandle;
    it->hungUp = true;
    // Without an answer to the activation yet, it is deactivated on arrival.
    if (!it->active.isEmpty())
        deactivate(it->active);
    return DialUpResult::Ok;
}

void NetworkManagerDialUp::deactivate(const QString &active)
{
    QDBusMessage message = QDBusMessage::createMethodCall(kService, kManagerPath, kManager,
                                                          QStringLiteral("DeactivateConnection"));
    message.setArguments({QVariant::fromValue(QDBusObjectPath(active))});
    // Whether it is gone shows in getConnectStatus.
    m_bus.asyncCall(message);
}

quint32 NetworkManagerDialUp::handleOfActive(const QString &path) const
{
    for (auto it = m_dialled.constBegin(); it != m_dialled.constEnd(); ++it) {
        if (it->active == path)
            return it.key();
    }
    return 0;
}

quint32 NetworkManagerDialUp::handleOfDevice(const QString &path) const
{
    for (auto it = m_dialled.constBegin(); it != m_dialled.constEnd(); ++it) {
        if (it->devices.contains(path))
            return it.key();
    }
    return 0;
}
