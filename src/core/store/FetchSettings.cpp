#include "store/FetchSettings.h"

#include "store/AppRegistry.h"

namespace {

const QString kFetchKey = QStringLiteral("Fetch");
// Where the password lives in the keyring, when it does.
const QString kMarker = QStringLiteral("PasswordKeyring");

// clang-format off
constexpr FetchSettingField kFields[] = {
    {"Server",   nullptr,                  &FetchSettings::Server},
    {"Port",     &FetchSettings::Port,     nullptr},
    {"Security", &FetchSettings::Security, nullptr},
    {"UserName", nullptr,                  &FetchSettings::UserName},
    {"Password", nullptr,                  &FetchSettings::Password},
    {"Folder",   nullptr,                  &FetchSettings::Folder},
    {"MoveTo",   nullptr,                  &FetchSettings::MoveTo},
};
// clang-format on

} // namespace

std::span<const FetchSettingField> fetchSettingFields()
{
    return kFields;
}

void LoadRawFetchSettings(CAppRegistry &store, FetchSettings &settings)
{
    const FetchSettings defaults;
    settings = defaults;
    const RegKey key = store.OpenKey(kFetchKey);
    if (!key.isValid())
        return;
    for (const FetchSettingField &field : kFields) {
        const QString name = QString::fromLatin1(field.name);
        if (field.number)
            settings.*field.number = store.GetDWord(name, defaults.*field.number, &key);
        else
            store.GetString(name, &(settings.*field.text), defaults.*field.text, &key);
    }
    store.GetString(kMarker, &settings.PasswordKeyring, {}, &key);
    settings.PasswordUnread = !settings.PasswordKeyring.isEmpty();
}

bool WriteFetchSettings(CAppRegistry &store, const FetchSettings &settings,
                        const QByteArray &marker)
{
    const RegKey key = store.CreateKey(kFetchKey);
    if (!key.isValid())
        return false;
    for (const FetchSettingField &field : kFields) {
        const QString name = QString::fromLatin1(field.name);
        const bool written = field.number ? store.SetDWord(name, settings.*field.number, &key)
                                          : store.SetString(name, settings.*field.text, &key);
        if (!written)
            return false;
    }
    QByteArray before;
    store.GetString(kMarker, &before, {}, &key);
    return (marker.isEmpty() && before.isEmpty()) || store.SetString(kMarker, marker, &key);
}
