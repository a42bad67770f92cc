#include "Cli.h"

#include "send/SmtpSocket.h"
#include "store/AppRegistry.h"
#include "store/FetchSettings.h"

namespace cli {

int lists(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("lists takes no arguments"));
    ListRegister stored;
    CommonSettings values;
    if (!loadSettings(values, &stored))
        return ExitFailure;
    for (const MailingListEntry &entry : stored) {
        const QByteArrayList row = {entry.Title,      entry.Address,  entry.ListName, entry.Passwd,
                                    entry.ConfigFile, entry.InfoFile, entry.IntroFile};
        out(row.join('\t') + '\n');
    }
    return ExitOk;
}

int settings(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("settings takes no arguments"));
    CommonSettings values;
    if (!loadSettings(values))
        return ExitFailure;
    for (const CommonSettingField &field : commonSettingFields()) {
        QByteArray value =
            field.number ? QByteArray::number(values.*field.number) : values.*field.text;
        // A terminal, a log or a pasted report must never show the password.
        if (field.text == &CommonSettings::Password && !value.isEmpty())
            value = "(set)";
        out(QByteArray(field.name) + '=' + value + '\n');
    }
    // How the own SMTP client will send with these settings.
    const SmtpSecurity security = smtpSecurity(values.PortNo, values.UserName);
    out(QByteArray("SmtpTls=") +
        (security == SmtpSecurity::ImplicitTls ? "implicit"
         : security == SmtpSecurity::StartTls  ? "starttls"
                                               : "none") +
        "\nSmtpAuth=" + (values.UserName.isEmpty() ? "none" : "PLAIN or LOGIN, over TLS") + '\n');
    // How mail is fetched from the mailbox, under names of their own.
    FetchSettings fetch;
    {
        CAppRegistry store;
        LoadFetchSettings(store, fetch);
    }
    for (const FetchSettingField &field : fetchSettingFields()) {
        QByteArray value =
            field.number ? QByteArray::number(fetch.*field.number) : fetch.*field.text;
        if (field.text == &FetchSettings::Password && !value.isEmpty())
            value = "(set)";
        out("Imap" + QByteArray(field.name) + '=' + value + '\n');
    }
    return ExitOk;
}

} // namespace cli
