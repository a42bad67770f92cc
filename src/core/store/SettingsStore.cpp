#include "store/SettingsStore.h"

#include "store/AppRegistry.h"

namespace {

const QString kRegisterKey = QStringLiteral("MailingLists");

// The six fields after the title, in store order.
constexpr QByteArray MailingListEntry::*kRecordFields[] = {
    &MailingListEntry::Address,    &MailingListEntry::ListName, &MailingListEntry::Passwd,
    &MailingListEntry::ConfigFile, &MailingListEntry::InfoFile, &MailingListEntry::IntroFile,
};
constexpr const char *kRecordNames[] = {"Address",    "ListName", "Passwd",
                                        "ConfigFile", "InfoFile", "IntroFile"};

bool failed(const CAppRegistry &store, QString *error)
{
    if (error)
        *error = store.error().isEmpty() ? QStringLiteral("the store could not be written")
                                         : store.error();
    return false;
}

} // namespace

void LoadCommonSettings(CAppRegistry &store, CommonSettings &settings)
{
    const CommonSettings defaults;
    for (const CommonSettingField &field : commonSettingFields()) {
        const QString name = QString::fromLatin1(field.name);
        if (field.number)
            settings.*field.number = store.GetDWord(name, defaults.*field.number);
        else
            store.GetString(name, &(settings.*field.text), defaults.*field.text);
    }
}

ListRegister LoadRegister(CAppRegistry &store)
{
    ListRegister lists;
    const RegKey root = store.OpenKey(kRegisterKey);
    if (!root.isValid())
        return lists;
    QString name;
    for (int index = 0; store.EnumKey(index, &name, &root); ++index) {
        const RegKey key = store.OpenKey(name, &root);
        if (!key.isValid())
            continue;
        MailingListEntry entry;
        store.GetString(QStringLiteral("Title"), &entry.Title, "Untiled", &key);
        for (size_t i = 0; i < std::size(kRecordFields); ++i)
            store.GetString(QString::fromLatin1(kRecordNames[i]), &(entry.*kRecordFields[i]), {},
                            &key);
        lists.append(entry);
    }
    sortRegister(lists);
    return lists;
}

bool SaveRegister(const ListRegister &lists, QString *error)
{
    CAppRegistry store;
    // The old register is removed and the new one written in memory; commit()
    // then replaces the file in one step, so a failure keeps the old one.
    store.DeleteKey(kRegisterKey);
    const RegKey root = store.CreateKey(kRegisterKey);
    if (!root.isValid())
        return failed(store, error);
    for (qsizetype position = 0; position < lists.size(); ++position) {
        const MailingListEntry &entry = lists.at(position);
        const RegKey key = store.CreateKey(QStringLiteral("MailingList%1").arg(position), &root);
        if (!key.isValid())
            return failed(store, error);
        store.SetString(QStringLiteral("Title"), entry.Title, &key);
        for (size_t i = 0; i < std::size(kRecordFields); ++i)
            store.SetString(QString::fromLatin1(kRecordNames[i]), entry.*kRecordFields[i], &key);
    }
    return store.commit() || failed(store, error);
}

bool SaveCommonSettings(const CommonSettings &settings, QString *error)
{
    CAppRegistry store;
    for (const CommonSettingField &field : commonSettingFields()) {
        const QString name = QString::fromLatin1(field.name);
        // A refused write (no copy of the old store could be kept, another
        // program holds it) leaves nothing for commit() to write, which it
        // would then report as done.
        const bool written = field.number ? store.SetDWord(name, settings.*field.number)
                                          : store.SetString(name, settings.*field.text);
        if (!written)
            return failed(store, error);
    }
    return store.commit() || failed(store, error);
}
