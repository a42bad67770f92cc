// tavelin-cli's writes to the register and the common settings: the window's
// steps (the register rewritten whole in title order, the settings written
// all at once), done under the store's lock from the read to the write.
#include "Cli.h"

#include "send/SendJob.h"
#include "store/AppRegistry.h"
#include "store/SettingsStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace cli {

namespace {

// The fields `lists set` takes; the title changes by `lists rename`, the
// password only by --password-stdin.
// clang-format off
constexpr std::pair<const char *, QByteArray MailingListEntry::*> kListFields[] = {
    {"Address", &MailingListEntry::Address},       {"ListName", &MailingListEntry::ListName},
    {"ConfigFile", &MailingListEntry::ConfigFile}, {"InfoFile", &MailingListEntry::InfoFile},
    {"IntroFile", &MailingListEntry::IntroFile},
};
// clang-format on

const QLatin1String kPasswordStdin("--password-stdin");

// The store, held open (and with it the lock on whole steps) from the read
// to the write, so that no other process's save falls between them.
struct HeldStore
{
    CAppRegistry store;
    CommonSettings settings;
    QList<KeyedList> lists;
};

bool openStore(HeldStore &held)
{
    if (!held.store.readError().isEmpty()) {
        failure(QStringLiteral("the settings cannot be read: %1").arg(held.store.readError()));
        return false;
    }
    LoadCommonSettings(held.store, held.settings);
    held.lists = LoadKeyedRegister(held.store);
    return true;
}

int saved(bool ok, const QString &reason)
{
    // The window's words for a failed save.
    return ok ? ExitOk
              : failure(QCoreApplication::translate("CTavelinDlg", "設定を保存できません\n%1")
                            .arg(reason));
}

int saveRegister(const QList<KeyedList> &lists)
{
    ListRegister entries;
    for (const KeyedList &keyed : lists)
        entries.append(keyed.entry);
    QString reason;
    const bool ok = SaveRegister(entries, &reason);
    return saved(ok, reason);
}

// A field's text: one line, as the window's fields hold it. A line break
// would start a new header line in every command mail of the list.
std::optional<QString> lineRefusal(const QByteArray &name, const QByteArray &value)
{
    if (value.contains('\n') || value.contains('\r'))
        return QStringLiteral("%1 must be one line").arg(QString::fromLatin1(name));
    return std::nullopt;
}

// A file of the list: a relative path is taken from the current folder, which
// the window, started elsewhere, would not share.
QByteArray absolutePath(const QByteArray &path)
{
    if (path.isEmpty())
        return path;
    const QString decoded = QFile::decodeName(path);
    if (QFileInfo(decoded).isAbsolute())
        return path;
    return QFile::encodeName(QFileInfo(decoded).absoluteFilePath());
}

// A list field's value as stored: the files as absolute paths.
QByteArray fieldValue(QByteArray MailingListEntry::*field, const QByteArray &value)
{
    const bool isFile = field != &MailingListEntry::Address && field != &MailingListEntry::ListName;
    return isFile ? absolutePath(value) : value;
}

// The password from standard input: its first line, without the line end.
// Read there, it is never seen in the process list.
std::optional<QByteArray> readPassword()
{
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly)) {
        failure(QStringLiteral("standard input cannot be read"));
        return std::nullopt;
    }
    // A password line is short; a bound keeps a stray device from filling memory.
    QByteArray line = in.readLine(64 * 1024);
    if (line.isEmpty() && in.atEnd()) {
        failure(QStringLiteral("--password-stdin: no password on standard input"));
        return std::nullopt;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

// The one list `which` names: by title, or by its key where titles repeat.
// Nothing, with the message given, when none or several match.
KeyedList *findList(QList<KeyedList> &lists, const QByteArray &which)
{
    QList<KeyedList *> byTitle;
    for (KeyedList &keyed : lists)
        if (keyed.entry.Title == which)
            byTitle.append(&keyed);
    if (byTitle.size() == 1)
        return byTitle.first();
    if (byTitle.size() > 1) {
        failure(QStringLiteral("%1 lists are titled '%2': name one by its key "
                               "(tavelin-cli lists --keys)")
                    .arg(byTitle.size())
                    .arg(QString::fromLocal8Bit(which)));
        return nullptr;
    }
    for (KeyedList &keyed : lists)
        if (keyed.key.toLocal8Bit() == which)
            return &keyed;
    failure(QStringLiteral("no list is titled '%1'").arg(QString::fromLocal8Bit(which)));
    return nullptr;
}

// NAME=VALUE as given; false (with the usage error) when there is no '='.
bool splitAssignment(const QByteArray &arg, QByteArray &name, QByteArray &value)
{
    const qsizetype eq = arg.indexOf('=');
    if (eq <= 0)
        return false;
    name = arg.left(eq);
    value = arg.mid(eq + 1);
    return true;
}

int refusePasswordArgument(const QByteArray &name)
{
    return usageError(QStringLiteral("%1 is read from standard input only (%2): a command "
                                     "line is seen by every user of the machine")
                          .arg(QString::fromLatin1(name), kPasswordStdin));
}

int setListFields(KeyedList &list, const QStringList &args, qsizetype from, bool *password)
{
    for (qsizetype i = from; i < args.size(); ++i) {
        const QByteArray arg = argumentBytes(args, i);
        if (args[i] == kPasswordStdin) {
            *password = true;
            continue;
        }
        QByteArray name;
        QByteArray value;
        if (!splitAssignment(arg, name, value))
            return usageError(QStringLiteral("expected FIELD=VALUE, not '%1'").arg(args[i]));
        if (name == "Passwd")
            return refusePasswordArgument(name);
        const auto field = std::find_if(std::begin(kListFields), std::end(kListFields),
                                        [&](const auto &row) { return name == row.first; });
        if (field == std::end(kListFields))
            return usageError(QStringLiteral("unknown field '%1' (Address, ListName, ConfigFile, "
                                             "InfoFile, IntroFile)")
                                  .arg(QString::fromLocal8Bit(name)));
        if (const auto refused = lineRefusal(name, value))
            return usageError(*refused);
        list.entry.*field->second = fieldValue(field->second, value);
    }
    return ExitOk;
}

// Sorts a list in at once: after the lists of an equal title, as the window does.
void insertSorted(QList<KeyedList> &lists, const KeyedList &list)
{
    const auto at = std::upper_bound(lists.begin(), lists.end(), list,
                                     [](const KeyedList &a, const KeyedList &b) {
                                         return titleLess(a.entry.Title, b.entry.Title);
                                     });
    lists.insert(at, list);
}

int addList(const QStringList &args)
{
    if (args.size() < 2 || args[1].startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("lists add needs the title"));
    KeyedList added;
    added.entry.Title = argumentBytes(args, 1);
    if (const auto refused = lineRefusal("the title", added.entry.Title))
        return usageError(*refused);
    bool password = false;
    bool address = false;
    bool listName = false;
    for (qsizetype i = 2; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == kPasswordStdin) {
            password = true;
            continue;
        }
        // clang-format off
        const std::pair<QLatin1String, QByteArray MailingListEntry::*> options[] = {
            {QLatin1String("--address"), &MailingListEntry::Address},
            {QLatin1String("--list-name"), &MailingListEntry::ListName},
            {QLatin1String("--config"), &MailingListEntry::ConfigFile},
            {QLatin1String("--info"), &MailingListEntry::InfoFile},
            {QLatin1String("--intro"), &MailingListEntry::IntroFile},
        };
        // clang-format on
        const auto option = std::find_if(std::begin(options), std::end(options),
                                         [&](const auto &row) { return arg == row.first; });
        if (option == std::end(options))
            return usageError(QStringLiteral("unexpected argument '%1'").arg(arg));
        if (++i >= args.size())
            return usageError(QStringLiteral("%1 needs a value").arg(arg));
        const QByteArray value = argumentBytes(args, i);
        if (const auto refused = lineRefusal(arg.mid(2).toLatin1(), value))
            return usageError(*refused);
        address = address || option->second == &MailingListEntry::Address;
        listName = listName || option->second == &MailingListEntry::ListName;
        added.entry.*option->second = fieldValue(option->second, value);
    }
    if (!address || !listName)
        return usageError(QStringLiteral("lists add needs --address and --list-name"));
    if (password) {
        const std::optional<QByteArray> typed = readPassword();
        if (!typed)
            return ExitFailure;
        added.entry.Passwd = *typed;
    }
    HeldStore held;
    if (!openStore(held))
        return ExitFailure;
    insertSorted(held.lists, added);
    return saveRegister(held.lists);
}

int setList(const QStringList &args)
{
    if (args.size() < 3)
        return usageError(QStringLiteral("lists set needs the title and FIELD=VALUE"));
    KeyedList changed;
    bool password = false;
    // The arguments are checked before the store is read.
    if (const int status = setListFields(changed, args, 2, &password); status != ExitOk)
        return status;
    std::optional<QByteArray> typed;
    if (password && !(typed = readPassword()))
        return ExitFailure;
    HeldStore held;
    if (!openStore(held))
        return ExitFailure;
    KeyedList *list = findList(held.lists, argumentBytes(args, 1));
    if (!list)
        return ExitFailure;
    setListFields(*list, args, 2, &password);
    if (typed)
        list->entry.Passwd = *typed;
    return saveRegister(held.lists);
}

int renameList(const QStringList &args)
{
    if (args.size() != 3)
        return usageError(QStringLiteral("lists rename needs the old and the new title"));
    const QByteArray title = argumentBytes(args, 2);
    if (const auto refused = lineRefusal("the title", title))
        return usageError(*refused);
    HeldStore held;
    if (!openStore(held))
        return ExitFailure;
    KeyedList *list = findList(held.lists, argumentBytes(args, 1));
    if (!list)
        return ExitFailure;
    // The record moves with the title to the title's sorted position.
    KeyedList renamed = *list;
    held.lists.removeAt(list - held.lists.data());
    renamed.entry.Title = title;
    insertSorted(held.lists, renamed);
    return saveRegister(held.lists);
}

int removeList(const QStringList &args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("lists remove needs the title"));
    HeldStore held;
    if (!openStore(held))
        return ExitFailure;
    KeyedList *list = findList(held.lists, argumentBytes(args, 1));
    if (!list)
        return ExitFailure;
    held.lists.removeAt(list - held.lists.data());
    return saveRegister(held.lists);
}

// A number as the settings sheet takes it: unsigned decimal, blanks around it.
std::optional<quint32> settingNumber(const QByteArray &value)
{
    const QByteArray digits = value.trimmed();
    bool ok = false;
    const quint32 number = digits.toUInt(&ok);
    if (!ok || digits.startsWith('+') || digits.startsWith('-'))
        return std::nullopt;
    return number;
}

std::optional<QString> setSetting(CommonSettings &settings, const QByteArray &name,
                                  const QByteArray &value)
{
    const std::span<const CommonSettingField> fields = commonSettingFields();
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [&](const CommonSettingField &f) { return name == f.name; });
    if (field == fields.end())
        return QStringLiteral("unknown setting '%1' (tavelin-cli settings lists them)")
            .arg(QString::fromLocal8Bit(name));
    if (field->number) {
        const std::optional<quint32> number = settingNumber(value);
        if (!number)
            return QLatin1String(name) + QStringLiteral(": ") +
                   QCoreApplication::translate("FieldBinding", "正の整数を入力してください。");
        const bool days = field->number == &CommonSettings::BounceMinDays ||
                          field->number == &CommonSettings::BounceWithin;
        // The check boxes and radio pairs of the sheet stand for 0 and 1 only.
        const bool flag = name != "PortNo" && name != "Redial" && name != "Interval" && !days;
        if (flag && *number > 1)
            return QStringLiteral("%1 takes 0 or 1").arg(QLatin1String(name));
        if (name == "PortNo" && (*number == 0 || *number > 65535))
            return QStringLiteral("PortNo takes 1 to 65535");
        if (days && (*number == 0 || *number > kBounceDaysMax))
            return QStringLiteral("%1 takes 1 to %2").arg(QLatin1String(name)).arg(kBounceDaysMax);
        settings.*field->number = *number;
        return std::nullopt;
    }
    if (field->text == &CommonSettings::SmtpSecurity) {
        const std::optional<SmtpSecurity> security = parseSmtpSecurity(value);
        if (!security)
            return QStringLiteral("SmtpSecurity takes none, starttls or tls");
        settings.SmtpSecurity = smtpSecurityName(*security);
        return std::nullopt;
    }
    if (const auto refused = lineRefusal(name, value))
        return refused;
    settings.*field->text = value;
    return std::nullopt;
}

} // namespace

int listsChange(const QStringList &args)
{
    const QString &verb = args.first();
    if (verb == QLatin1String("add"))
        return addList(args);
    if (verb == QLatin1String("set"))
        return setList(args);
    if (verb == QLatin1String("rename"))
        return renameList(args);
    if (verb == QLatin1String("remove"))
        return removeList(args);
    return usageError(QStringLiteral("unknown lists command '%1'").arg(verb));
}

int settingsSet(const QStringList &args)
{
    if (args.size() < 2)
        return usageError(QStringLiteral("settings set needs NAME=VALUE"));
    QList<std::pair<QByteArray, QByteArray>> assignments;
    bool password = false;
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == kPasswordStdin) {
            password = true;
            continue;
        }
        QByteArray name;
        QByteArray value;
        if (!splitAssignment(argumentBytes(args, i), name, value))
            return usageError(QStringLiteral("expected NAME=VALUE, not '%1'").arg(args[i]));
        if (name == "Password")
            return refusePasswordArgument(name);
        assignments.append({name, value});
    }
    // Every value is checked before anything is written.
    CommonSettings checked;
    for (const auto &[name, value] : std::as_const(assignments))
        if (const std::optional<QString> refused = setSetting(checked, name, value))
            return usageError(*refused);
    std::optional<QByteArray> typed;
    if (password && !(typed = readPassword()))
        return ExitFailure;
    HeldStore held;
    if (!openStore(held))
        return ExitFailure;
    for (const auto &[name, value] : std::as_const(assignments))
        setSetting(held.settings, name, value);
    if (typed)
        held.settings.Password = *typed;
    QString reason;
    const bool ok = SaveCommonSettings(held.settings, &reason);
    return saved(ok, reason);
}

} // namespace cli
