#include "Cli.h"

#include "send/SmtpSocket.h"
#include "store/AppRegistry.h"
#include "store/FetchSettings.h"
#include "store/SettingsStore.h"

namespace cli {

int lists(const QStringList &args)
{
    if (!args.isEmpty() && !args.first().startsWith(QLatin1String("--")))
        return listsChange(args);
    bool keys = false;
    bool passwords = false;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--keys"))
            keys = true;
        else if (arg == QLatin1String("--show-passwords"))
            passwords = true;
        else
            return usageError(QStringLiteral("unexpected argument '%1'").arg(arg));
    }
    QList<KeyedList> stored;
    {
        CAppRegistry store;
        if (!store.readError().isEmpty())
            return failure(
                QStringLiteral("the settings cannot be read: %1").arg(store.readError()));
        stored = LoadKeyedRegister(store);
    }
    for (const KeyedList &keyed : std::as_const(stored)) {
        const MailingListEntry &entry = keyed.entry;
        // A terminal, a log or a pasted report shows no password unless asked.
        QByteArray password = entry.Passwd;
        if (!passwords && !(password.isEmpty() && entry.PasswdKeyring.isEmpty()))
            password = "(set)";
        if (passwords && !entry.PasswdKeyring.isEmpty()) {
            const Keyring::Read read = ReadPassword({}, entry.PasswdKeyring, true);
            if (!read.ok())
                return failure(read.error);
            password = read.value;
        }
        QByteArrayList row = {entry.Title,      entry.Address,  entry.ListName, password,
                              entry.ConfigFile, entry.InfoFile, entry.IntroFile};
        if (keys)
            row.prepend(keyed.key.toLocal8Bit());
        out(row.join('\t') + '\n');
    }
    return ExitOk;
}

int settings(const QStringList &args)
{
    if (!args.isEmpty() && args.first() == QLatin1String("set"))
        return settingsSet(args);
    if (!args.isEmpty())
        return usageError(QStringLiteral("settings takes no arguments"));
    CommonSettings values;
    if (!loadSettings(values))
        return ExitFailure;
    const SmtpSecurity security = smtpSecurity(values);
    for (const CommonSettingField &field : commonSettingFields()) {
        QByteArray value =
            field.number ? QByteArray::number(values.*field.number) : values.*field.text;
        // A terminal, a log or a pasted report must never show the password.
        if (field.text == &CommonSettings::Password &&
            !(value.isEmpty() && values.PasswordKeyring.isEmpty()))
            value = "(set)";
        // Absent, it is what sending derives.
        if (field.text == &CommonSettings::SmtpSecurity)
            value = smtpSecurityName(security);
        out(QByteArray(field.name) + '=' + value + '\n');
    }
    // How the own SMTP client will send with these settings.
    const bool login = security != SmtpSecurity::Plain && !values.UserName.isEmpty();
    out(QByteArray("SmtpTls=") +
        (security == SmtpSecurity::ImplicitTls ? "implicit"
         : security == SmtpSecurity::StartTls  ? "starttls"
                                               : "none") +
        "\nSmtpAuth=" + (login ? "PLAIN or LOGIN, over TLS" : "none") + '\n');
    // How mail is fetched from the mailbox, under names of their own.
    FetchSettings fetch;
    {
        CAppRegistry store;
        LoadRawFetchSettings(store, fetch);
    }
    for (const FetchSettingField &field : fetchSettingFields()) {
        QByteArray value =
            field.number ? QByteArray::number(fetch.*field.number) : fetch.*field.text;
        if (field.text == &FetchSettings::Password &&
            (!value.isEmpty() || !fetch.PasswordKeyring.isEmpty()))
            value = "(set)";
        out("Imap" + QByteArray(field.name) + '=' + value + '\n');
    }
    return ExitOk;
}

} // namespace cli
