#pragma once

#include "store/CommonSettings.h"
#include "store/Keyring.h"
#include "store/MailingListEntry.h"

class CAppRegistry;
struct FetchSettings;

// The four steps the main window runs on the store. The loads share the
// store object the window start opened; each save opens its own.
//
// Passwords: with KeyringPasswords set, every list's password, the SMTP
// password and the IMAP password live in the desktop's keyring, and the store keeps an empty value
// and a marker naming the keyring entry. The loads read them from there (a
// password that cannot be read is left empty and marked unread); the saves
// put each where the option says, and SaveCommonSettings, when the option
// changes, moves them all in the same step: either all move, or none does
// and it says why.
void LoadCommonSettings(CAppRegistry &store, CommonSettings &settings);
ListRegister LoadRegister(CAppRegistry &store);

// A list of the register and the name of its key in the store
// ("MailingList3"), which tells apart lists of one title until the next save
// renumbers the keys.
struct KeyedList
{
    QString key;
    MailingListEntry entry;
};
// As LoadRegister, with each list's key.
QList<KeyedList> LoadKeyedRegister(CAppRegistry &store);

// Replaces the whole register in one step: the store on disk holds either the
// old register or the new one. False, with the reason in *error, when the new
// one could not be written.
bool SaveRegister(const ListRegister &lists, QString *error = nullptr);
bool SaveCommonSettings(const CommonSettings &settings, QString *error = nullptr);

// A password wherever it lives: the loaded one, or, where the keyring holds it
// and the load could not read it, read from the keyring now (which may ask
// the owner to unlock it). A failure says why; it never passes for an empty
// password.
Keyring::Read ReadPassword(const QByteArray &loaded, const QByteArray &keyringEntry, bool unread);
Keyring::Read ListPassword(const MailingListEntry &entry);
Keyring::Read SmtpPassword(const CommonSettings &settings);
Keyring::Read FetchPassword(const FetchSettings &settings);

// The mailbox settings (IMAP), their password placed as the others'.
void LoadFetchSettings(CAppRegistry &store, FetchSettings &settings);
bool SaveFetchSettings(const FetchSettings &settings, QString *error = nullptr);
