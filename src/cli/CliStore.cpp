#include "Cli.h"

namespace cli {

int lists(const QStringList &args)
{
    if (!args.isEmpty())
        return usageError(QStringLiteral("lists takes no arguments"));
    ListRegister stored;
    loadSettings(&stored);
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
    const CommonSettings values = loadSettings();
    for (const CommonSettingField &field : commonSettingFields()) {
        const QByteArray value =
            field.number ? QByteArray::number(values.*field.number) : values.*field.text;
        out(QByteArray(field.name) + '=' + value + '\n');
    }
    return ExitOk;
}

} // namespace cli
