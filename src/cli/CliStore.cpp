#include "Cli.h"

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
        const QByteArray value =
            field.number ? QByteArray::number(values.*field.number) : values.*field.text;
        out(QByteArray(field.name) + '=' + value + '\n');
    }
    return ExitOk;
}

} // namespace cli
