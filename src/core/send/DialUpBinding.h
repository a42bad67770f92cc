#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// Result numbers of the dial-up operations: 0, the service's own numbers,
// and the two the binding gives when there is no service to ask.
namespace DialUpResult {
constexpr int Ok = 0;
constexpr int InvalidHandle = 6;   // the connection is not (or no longer) there
constexpr int EntryNotFound = 623; // no entry of that name
constexpr int NotLoaded = 753;     // no dial-up service on this system
constexpr int NoEntryPoint = 754;  // the service lacks the operation
} // namespace DialUpResult

// Connection states reported by dial progress (the service's numbering).
namespace DialUpState {
constexpr int OpenPort = 0;
constexpr int PortOpened = 1;
constexpr int ConnectDevice = 2;
constexpr int Authenticate = 5;
constexpr int Projection = 10;
constexpr int LinkSpeed = 11;
constexpr int Projected = 18;
constexpr int Connected = 0x2000;
constexpr int Disconnected = 0x2001;
} // namespace DialUpState

// The handle of the dial-up connection the status window made; 0 when none.
struct RasConnection
{
    quint32 handle = 0;
};

// What a dial needs of its entry, as found by getEntryDialParams().
struct DialParams
{
    QString entryName;
    // The service's own name for the entry (for NetworkManager the saved
    // profile's object path).
    QString reference;
};

// A connection that is up, as the dial-up service lists it.
struct ActiveConnection
{
    QString name;
    // A connection that dials out (modem, mobile, PPPoE, VPN...), the kind a
    // dial-up entry makes; a wired or wireless LAN is not one.
    bool remoteAccess = false;
};

// Whether the mail can go out without dialling `entry`: a remote-access
// connection is up, or the entry itself is.
bool alreadyConnected(const QList<ActiveConnection> &connections, const QString &entry);

// The program's contact with the system's dial-up service: six operations,
// each answering 0 or a result number. Called on one thread; dial progress
// arrives as the dialProgress signal on that thread.
class DialUpBinding : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // The names of the entries that can be dialled, in the service's order.
    virtual int enumEntries(QStringList &entries) = 0;
    // The connections that are up.
    virtual int enumConnections(QList<ActiveConnection> &connections) = 0;
    // What dialling `entry` takes; EntryNotFound when there is no such entry.
    virtual int getEntryDialParams(const QString &entry, DialParams &params) = 0;
    // Starts dialling and returns at once with the handle in `connection`;
    // progress and the outcome come through dialProgress.
    virtual int dial(const DialParams &params, RasConnection &connection) = 0;
    // The state of a connection; InvalidHandle once it is gone.
    virtual int getConnectStatus(const RasConnection &connection, int &state) = 0;
    // Starts hanging up and clears the handle; the connection is gone when
    // getConnectStatus says InvalidHandle.
    virtual int hangUp(RasConnection &connection) = 0;

    // The entry names, empty when the service cannot list them (the common
    // settings' connection list).
    QStringList entryNames()
    {
        QStringList entries;
        return enumEntries(entries) == DialUpResult::Ok ? entries : QStringList();
    }

Q_SIGNALS:
    // A dial's progress: a state, or a non-zero error that ends it.
    void dialProgress(quint32 handle, int state, int error);
};

// The first status line for a dial-progress state: the entry name joined
// directly to "へ電話をかけています" while calling; a null string where the
// line stays as it is.
QString dialStateText(int state, const QString &entryName);
