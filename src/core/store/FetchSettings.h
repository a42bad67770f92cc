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

void LoadFetchSettings(CAppRegistry &store, FetchSettings &settings);
// False, with the reason in *error, when they could not be written.
bool SaveFetchSettings(const FetchSettings &settings, QString *error = nullptr);
