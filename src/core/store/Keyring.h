#pragma once

#include <QByteArray>
#include <QString>

// The desktop's keyring (the Secret Service: GNOME Keyring, KWallet; the
// Credential Store on Windows) as Tavelin keeps passwords in it: one entry
// per password, under the service "Tavelin", named by the marker the store
// keeps in the password's place. Each call waits for the keyring, which may
// first ask the user to unlock it, and gives up after kWaitMs.
namespace Keyring {

// A password read, or why it could not be.
struct Read
{
    QByteArray value;
    QString error; // empty on success

    bool ok() const { return error.isEmpty(); }
};

Read read(const QByteArray &name);
// Empty on success, else the reason.
QString write(const QByteArray &name, const QByteArray &value);
// Empty on success (an entry that is not there is removed already).
QString remove(const QByteArray &name);

// The entry of the SMTP login's password.
inline constexpr char kSmtpEntry[] = "smtp";
// The entry of the IMAP login's password.
inline constexpr char kImapEntry[] = "imap";
// A new entry name for a list's password. Lists are renumbered in the store
// on every save, so the name is the list's own, kept in its marker.
QByteArray newListEntry();

// How long the user has to unlock the keyring when it asks.
constexpr int kWaitMs = 120'000;

} // namespace Keyring
