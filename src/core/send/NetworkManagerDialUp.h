#pragma once

#include "send/DialUpBinding.h"

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QHash>
#include <QList>
#include <QPair>

class QDBusMessage;
class QDBusPendingCallWatcher;

// The dial-up binding over NetworkManager on the system bus: the entries are
// the ids of its saved connection profiles, the connections its active
// connections, a dial activates the profile, hanging up deactivates what the
// dial activated. Without a bus or without NetworkManager every operation
// answers NotLoaded, as where the dial-up service is missing.
class NetworkManagerDialUp : public DialUpBinding
{
    Q_OBJECT

public:
    explicit NetworkManagerDialUp(const QDBusConnection &bus = QDBusConnection::systemBus(),
                                  QObject *parent = nullptr);

    int enumEntries(QStringList &entries) override;
    int enumConnections(QList<ActiveConnection> &connections) override;
    int getEntryDialParams(const QString &entry, DialParams &params) override;
    int dial(const DialParams &params, RasConnection &connection) override;
    int getConnectStatus(const RasConnection &connection, int &state) override;
    int hangUp(RasConnection &connection) override;

    // A failed activation reports this plus NetworkManager's reason number,
    // so that even its "unknown" reason (0) is an error.
    static constexpr int kReasonBase = 1000;
    // How long one question to the bus may hold the window.
    static constexpr int kCallTimeoutMs = 1000;

private Q_SLOTS:
    void onActiveStateChanged(const QDBusMessage &message);
    void onDeviceStateChanged(const QDBusMessage &message);
    void onInterfacesRemoved(const QDBusMessage &message);

private:
    // One activation this binding started.
    struct Dialled
    {
        QString profile;
        QString active; // the active connection's path, once NetworkManager answered
        QStringList devices;
        bool connected = false;
        bool hungUp = false; // progress is no longer reported
    };

    bool available() const;
    bool isRemoteAccess(const QVariantMap &active, const QDeadlineTimer &deadline) const;
    QDBusMessage call(const QString &path, const QString &interface, const QString &method,
                      const QVariantList &arguments = {}, int timeoutMs = kCallTimeoutMs) const;
    // (path, id) of every saved profile; NotLoaded when they cannot be listed.
    int profiles(QList<QPair<QString, QString>> &found) const;
    void onActivated(quint32 handle, QDBusPendingCallWatcher *watcher);
    void onActiveProperties(quint32 handle, QDBusPendingCallWatcher *watcher);
    void activeState(quint32 handle, uint state, uint reason);
    // The activation ended: a failure while dialling, a disconnection after.
    void ended(quint32 handle, uint reason);
    void report(quint32 handle, int state, int error);
    void deactivate(const QString &active);
    quint32 handleOfActive(const QString &path) const;
    quint32 handleOfDevice(const QString &path) const;
    void unwatch(const Dialled &dialled);

    QDBusConnection m_bus;
    QHash<quint32, Dialled> m_dialled;
    quint32 m_nextHandle = 1;
};
