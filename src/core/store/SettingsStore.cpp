#include "store/SettingsStore.h"

#include "store/AppRegistry.h"
#include "store/FetchSettings.h"
#include "store/Keyring.h"

#include <QCoreApplication>
#include <QSet>

#include <algorithm>

namespace {

const QString kRegisterKey = QStringLiteral("MailingLists");
// The markers the store keeps where a password lives in the keyring.
const QString kListMarker = QStringLiteral("PasswdKeyring");
const QString kSmtpMarker = QStringLiteral("PasswordKeyring");
const QString kOption = QStringLiteral("KeyringPasswords");

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

bool failedWith(const QString &reason, QString *error)
{
    if (error)
        *error = reason;
    return false;
}

// One password as a record holds it.
struct Secret
{
    QByteArray *value;
    QByteArray *marker;
    bool *unread;
};

Secret listSecret(MailingListEntry &entry)
{
    return {&entry.Passwd, &entry.PasswdKeyring, &entry.PasswdUnread};
}

Secret smtpSecret(CommonSettings &settings)
{
    return {&settings.Password, &settings.PasswordKeyring, &settings.PasswordUnread};
}

Secret fetchSecret(FetchSettings &settings)
{
    return {&settings.Password, &settings.PasswordKeyring, &settings.PasswordUnread};
}

// The password a marker names, read into the record; unread when the
// keyring cannot give it now. Why not, or empty.
QString readSecret(Secret secret)
{
    if (secret.marker->isEmpty())
        return {};
    const Keyring::Read read = Keyring::read(*secret.marker);
    *secret.value = read.value;
    *secret.unread = !read.ok();
    return read.error;
}

QString unreadMessage(const QString &reason)
{
    return QCoreApplication::translate("SettingsStore", "ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞから読めません\n%1")
        .arg(reason);
}

// Before a password leaves the keyring it must be known: one the load could
// not read is read now. Why not, or empty.
QString readBeforeLeaving(Secret secret)
{
    if (!*secret.unread || !secret.value->isEmpty() || secret.marker->isEmpty())
        return {};
    const Keyring::Read read = ReadPassword({}, *secret.marker, true);
    if (!read.ok())
        return read.error;
    *secret.value = read.value;
    *secret.unread = false;
    return {};
}

// The keyring's part of one save. Entries are written before the store, so
// that a store never names an entry the keyring lacks; undone when the store
// is not written, and the entries the store no longer names are removed once
// it is.
class KeyringChanges
{
public:
    // Where one password goes: into the keyring when `inKeyring` and there is
    // one, else into the store. Leaves what the store is to hold in *stored
    // and *marker. False, with the reason, when the keyring refused it.
    bool place(bool inKeyring, Secret secret, const QByteArray &newName, QByteArray *stored,
               QByteArray *marker)
    {
        const QByteArray &name = *secret.marker;
        if (*secret.unread && secret.value->isEmpty() && !name.isEmpty()) {
            // Not read, so not known: it stays where it is, whatever the option.
            m_kept.insert(name);
            *stored = {};
            *marker = name;
            return true;
        }
        if (!inKeyring || secret.value->isEmpty()) {
            *stored = *secret.value;
            marker->clear();
            return true;
        }
        const QByteArray entry = name.isEmpty() ? newName : name;
        if (const QString error = Keyring::write(entry, *secret.value); !error.isEmpty()) {
            m_error =
                QCoreApplication::translate("SettingsStore", "ﾊﾟｽﾜｰﾄﾞをｷｰﾘﾝｸﾞに保存できません\n%1")
                    .arg(error);
            return false;
        }
        if (!m_kept.contains(entry) && !m_before.contains(entry))
            m_created.append(entry);
        m_kept.insert(entry);
        *stored = {};
        *marker = entry;
        return true;
    }

    // The entries the store named before this save, and whether it held a
    // password itself.
    void noteBefore(const QByteArray &value, const QByteArray &marker)
    {
        if (!marker.isEmpty())
            m_before.insert(marker);
        else if (!value.isEmpty())
            m_heldClear = true;
    }

    void undo()
    {
        for (const QByteArray &entry : std::as_const(m_created))
            Keyring::remove(entry);
    }

    // After the store was written: the entries it no longer names go, and a
    // backup that held a password now in the keyring is replaced.
    void finish(CAppRegistry &store)
    {
        for (const QByteArray &entry : std::as_const(m_before))
            if (!m_kept.contains(entry))
                Keyring::remove(entry);
        if (m_heldClear && !m_kept.isEmpty())
            store.refreshBackup();
    }

    const QString &error() const { return m_error; }

private:
    QSet<QByteArray> m_before;
    QSet<QByteArray> m_kept;
    QList<QByteArray> m_created;
    bool m_heldClear = false;
    QString m_error;
};

// The store's copy of a record as it stands, without reading the keyring.
void loadRawCommonSettings(CAppRegistry &store, CommonSettings &settings)
{
    const CommonSettings defaults;
    for (const CommonSettingField &field : commonSettingFields()) {
        const QString name = QString::fromLatin1(field.name);
        if (field.number)
            settings.*field.number = store.GetDWord(name, defaults.*field.number);
        else
            store.GetString(name, &(settings.*field.text), defaults.*field.text);
    }
    store.GetString(kSmtpMarker, &settings.PasswordKeyring, {});
    settings.PasswordUnread = !settings.PasswordKeyring.isEmpty();
}

// Writes a marker where there is one, or clears one that was there; a store
// that never used the keyring keeps its layout.
void setMarker(CAppRegistry &store, const QString &name, const QByteArray &marker,
               const QByteArray &before, const RegKey *key = nullptr)
{
    if (!marker.isEmpty() || !before.isEmpty())
        store.SetString(name, marker, key);
}

} // namespace

void LoadCommonSettings(CAppRegistry &store, CommonSettings &settings)
{
    loadRawCommonSettings(store, settings);
    readSecret(smtpSecret(settings));
}

QList<KeyedList> LoadKeyedRegister(CAppRegistry &store)
{
    QList<KeyedList> lists;
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
        store.GetString(kListMarker, &entry.PasswdKeyring, {}, &key);
        // Not read yet: an empty Passwd here is no password.
        entry.PasswdUnread = !entry.PasswdKeyring.isEmpty();
        lists.append({name, entry});
    }
    std::stable_sort(lists.begin(), lists.end(), [](const KeyedList &a, const KeyedList &b) {
        return titleLess(a.entry.Title, b.entry.Title);
    });
    return lists;
}

ListRegister LoadRegister(CAppRegistry &store)
{
    ListRegister lists;
    for (KeyedList &keyed : LoadKeyedRegister(store)) {
        readSecret(listSecret(keyed.entry));
        lists.append(std::move(keyed.entry));
    }
    return lists;
}

Keyring::Read ReadPassword(const QByteArray &loaded, const QByteArray &keyringEntry, bool unread)
{
    if (!unread || !loaded.isEmpty() || keyringEntry.isEmpty())
        return {loaded, {}};
    Keyring::Read read = Keyring::read(keyringEntry);
    if (!read.ok())
        read.error = unreadMessage(read.error);
    return read;
}

Keyring::Read ListPassword(const MailingListEntry &entry)
{
    return ReadPassword(entry.Passwd, entry.PasswdKeyring, entry.PasswdUnread);
}

Keyring::Read SmtpPassword(const CommonSettings &settings)
{
    return ReadPassword(settings.Password, settings.PasswordKeyring, settings.PasswordUnread);
}

Keyring::Read FetchPassword(const FetchSettings &settings)
{
    return ReadPassword(settings.Password, settings.PasswordKeyring, settings.PasswordUnread);
}

void LoadFetchSettings(CAppRegistry &store, FetchSettings &settings)
{
    LoadRawFetchSettings(store, settings);
    readSecret(fetchSecret(settings));
}

bool SaveFetchSettings(const FetchSettings &settings, QString *error)
{
    CAppRegistry store;
    FetchSettings before;
    LoadRawFetchSettings(store, before);
    KeyringChanges changes;
    changes.noteBefore(before.Password, before.PasswordKeyring);
    FetchSettings values = settings;
    QByteArray marker;
    if (!changes.place(store.GetDWord(kOption, 0) != 0, fetchSecret(values), Keyring::kImapEntry,
                       &values.Password, &marker))
        return failedWith(changes.error(), error);
    if (!WriteFetchSettings(store, values, marker) || !store.commit()) {
        changes.undo();
        return failed(store, error);
    }
    changes.finish(store);
    return true;
}

bool SaveRegister(const ListRegister &lists, QString *error)
{
    CAppRegistry store;
    const bool inKeyring = store.GetDWord(kOption, 0) != 0;
    KeyringChanges changes;
    for (const KeyedList &old : LoadKeyedRegister(store))
        changes.noteBefore(old.entry.Passwd, old.entry.PasswdKeyring);
    // The old register is removed and the new one written in memory; commit()
    // then replaces the file in one step, so a failure keeps the old one.
    store.DeleteKey(kRegisterKey);
    const RegKey root = store.CreateKey(kRegisterKey);
    if (!root.isValid())
        return failed(store, error);
    for (qsizetype position = 0; position < lists.size(); ++position) {
        MailingListEntry entry = lists.at(position);
        const RegKey key = store.CreateKey(QStringLiteral("MailingList%1").arg(position), &root);
        QByteArray marker;
        if (!key.isValid() || !changes.place(inKeyring, listSecret(entry), Keyring::newListEntry(),
                                             &entry.Passwd, &marker)) {
            changes.undo();
            return changes.error().isEmpty() ? failed(store, error)
                                             : failedWith(changes.error(), error);
        }
        store.SetString(QStringLiteral("Title"), entry.Title, &key);
        for (size_t i = 0; i < std::size(kRecordFields); ++i)
            store.SetString(QString::fromLatin1(kRecordNames[i]), entry.*kRecordFields[i], &key);
        setMarker(store, kListMarker, marker, {}, &key);
    }
    if (!store.commit()) {
        changes.undo();
        return failed(store, error);
    }
    changes.finish(store);
    return true;
}

bool SaveCommonSettings(const CommonSettings &settings, QString *error)
{
    CAppRegistry store;
    CommonSettings before;
    loadRawCommonSettings(store, before);
    const bool inKeyring = settings.KeyringPasswords != 0;
    KeyringChanges changes;
    changes.noteBefore(before.Password, before.PasswordKeyring);

    // Switching the option moves every list's password too, in this step.
    QList<KeyedList> lists;
    const RegKey root = store.OpenKey(kRegisterKey);
    const bool moving = inKeyring != (before.KeyringPasswords != 0);
    if (moving && root.isValid()) {
        lists = LoadKeyedRegister(store);
        for (KeyedList &keyed : lists) {
            changes.noteBefore(keyed.entry.Passwd, keyed.entry.PasswdKeyring);
            if (inKeyring)
                continue;
            // Out of the keyring only what was read: none is lost.
            if (const QString unread = readSecret(listSecret(keyed.entry)); !unread.isEmpty())
                return failedWith(unreadMessage(unread), error);
        }
    }
    CommonSettings values = settings;
    if (moving && !inKeyring) {
        if (const QString unread = readBeforeLeaving(smtpSecret(values)); !unread.isEmpty())
            return failedWith(unread, error);
    }
    // The mailbox's password moves with the others.
    FetchSettings fetch;
    LoadRawFetchSettings(store, fetch);
    const bool movingFetch = moving && (!fetch.Password.isEmpty() || fetch.PasswordUnread);
    if (movingFetch) {
        changes.noteBefore(fetch.Password, fetch.PasswordKeyring);
        if (!inKeyring) {
            if (const QString unread = readBeforeLeaving(fetchSecret(fetch)); !unread.isEmpty())
                return failedWith(unread, error);
        }
    }
    QByteArray smtpMarker;
    if (!changes.place(inKeyring, smtpSecret(values), Keyring::kSmtpEntry, &values.Password,
                       &smtpMarker))
        return failedWith(changes.error(), error);
    if (movingFetch) {
        QByteArray marker;
        if (!changes.place(inKeyring, fetchSecret(fetch), Keyring::kImapEntry, &fetch.Password,
                           &marker) ||
            !WriteFetchSettings(store, fetch, marker)) {
            changes.undo();
            return changes.error().isEmpty() ? failed(store, error)
                                             : failedWith(changes.error(), error);
        }
    }
    for (KeyedList &keyed : lists) {
        const RegKey key = store.OpenKey(keyed.key, &root);
        const QByteArray markerBefore = keyed.entry.PasswdKeyring;
        QByteArray marker;
        if (!key.isValid() ||
            !changes.place(inKeyring, listSecret(keyed.entry), Keyring::newListEntry(),
                           &keyed.entry.Passwd, &marker)) {
            changes.undo();
            return changes.error().isEmpty() ? failed(store, error)
                                             : failedWith(changes.error(), error);
        }
        store.SetString(QStringLiteral("Passwd"), keyed.entry.Passwd, &key);
        setMarker(store, kListMarker, marker, markerBefore, &key);
    }
    for (const CommonSettingField &field : commonSettingFields()) {
        const QString name = QString::fromLatin1(field.name);
        // A refused write (no copy of the old store could be kept, another
        // program holds it) leaves nothing for commit() to write, which it
        // would then report as done.
        const bool written = field.number ? store.SetDWord(name, values.*field.number)
                                          : store.SetString(name, values.*field.text);
        if (!written) {
            changes.undo();
            return failed(store, error);
        }
    }
    setMarker(store, kSmtpMarker, smtpMarker, before.PasswordKeyring);
    if (!store.commit()) {
        changes.undo();
        return failed(store, error);
    }
    changes.finish(store);
    return true;
}
