#include "store/FetchSettings.h"

#include "store/AppRegistry.h"

namespace {

const QString kFetchKey = QStringLiteral("Fetch");

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

void LoadFetchSettings(CAppRegistry &store, FetchSettings &settings)
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
}

bool SaveFetchSettings(const FetchSettings &settings, QString *error)
{
    CAppRegistry store;
    const RegKey key = store.CreateKey(kFetchKey);
    if (key.isValid()) {
        for (const FetchSettingField &field : kFields) {
            const QString name = QString::fromLatin1(field.name);
            if (field.number)
                store.SetDWord(name, settings.*field.number, &key);
            else
                store.SetString(name, settings.*field.text, &key);
        }
        if (store.commit())
            return true;
    }
    if (error)
        *error = store.error().isEmpty() ? QStringLiteral("the store could not be written")
                                         : store.error();
    return false;
}
