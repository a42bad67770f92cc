#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <span>

class CAppRegistry;

// How mail is fetched from the owner's mailbox (IMAP). Texts are bytes in
// the system code page, as the other settings.
struct FetchSettings
{
    QByteArray Server;
    quint32 Port = 993;
    quint32 Security = 0; // 0: TLS from the first byte, 1: STARTTLS
    QByteArray UserName;
    QByteArray Password;
    // Where the password lives in the keyring: its entry, and whether the
    // load could not read it (as CommonSettings keeps them).
    QByteArray PasswordKeyring;
    bool PasswordUnread = false;
    QByteArray Folder = "INBOX";
    QByteArray MoveTo; // empty: mails stay where they are

    friend bool operator==(const FetchSettings &, const FetchSettings &) = default;
};

// One stored value of FetchSettings, as CommonSettingField is.
struct FetchSettingField
{
    const char *name;
    quint32 FetchSettings::*number;
    QByteArray FetchSettings::*text;
};
// The fields in store order, under the store's key "Fetch".
std::span<const FetchSettingField> fetchSettingFields();

// The store's copy under "Fetch", without reading the keyring: a password
// kept there is marked unread. LoadFetchSettings and SaveFetchSettings
// (store/SettingsStore.h) place the password where the keyring option says.
void LoadRawFetchSettings(CAppRegistry &store, FetchSettings &settings);
// Writes every field and the keyring marker (`marker`; a store that never had
// one keeps its layout). False when a write was refused.
bool WriteFetchSettings(CAppRegistry &store, const FetchSettings &settings,
                        const QByteArray &marker);
