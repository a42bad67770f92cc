#include "Cli.h"
#include "commands/Roster.h"

#include "config/MajordomoConfig.h"

namespace cli {

namespace {

// One line per value: backslash, tab, CR and LF are written as escapes.
QByteArray shownValue(KeywordKind kind, const ConfigEntry &entry)
{
    switch (kind) {
    case KeywordKind::YesNo:
        return entry.choice == 0 ? "yes" : entry.choice == 1 ? "no" : "";
    case KeywordKind::OptionalInteger:
        if (entry.useDefault)
            return "";
        [[fallthrough]];
    case KeywordKind::Integer:
        return QByteArray::number(entry.number);
    case KeywordKind::String:
    case KeywordKind::Block:
        break;
    }
    return escapedField(entry.text);
}

int show(MajordomoConfig &config)
{
    for (const KeywordInfo &info : keywordTable()) {
        const ConfigEntry &entry = config[info.keyword];
        out(QByteArray(info.name) + '\t' + (entry.present ? "1" : "0") + '\t' +
            shownValue(info.kind, entry) + '\n');
    }
    return ExitOk;
}

} // namespace

int config(const QStringList &args)
{
    if (args.size() != 2 ||
        (args[0] != QLatin1String("normalize") && args[0] != QLatin1String("show")))
        return usageError(QStringLiteral("config takes 'normalize FILE' or 'show FILE'"));
    const QString &path = args[1];
    MajordomoConfig config;
    QString error;
    if (!config.Load(path, &error))
        return failure(QStringLiteral("cannot read %1: %2").arg(path, error));
    if (args[0] == QLatin1String("show"))
        return show(config);
    if (!config.Save(&error))
        return failure(QStringLiteral("cannot rewrite %1: %2").arg(path, error));
    return ExitOk;
}

} // namespace cli
