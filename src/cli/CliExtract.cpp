#include "Cli.h"

#include "commands/AddressExtraction.h"
#include "commands/ReturnedMail.h"

#include <QCoreApplication>

namespace cli {

namespace {

// --why: each address on its own line with the rule that found it, so an
// owner can check a report before unsubscribing anyone.
int explain(const QString &path)
{
    const ReturnedMailReading reading = ReadReturnedMail(path);
    if (!reading.error.isEmpty())
        return failure(QStringLiteral("cannot read %1: %2").arg(path, reading.error));
    if (reading.recipients.isEmpty())
        return failure(QCoreApplication::translate("Cli", "ｱﾄﾞﾚｽを抽出できませんでした"));
    for (const FailedRecipient &recipient : reading.recipients)
        out(recipient.address + '\t' + recipient.rule + '\n');
    return ExitOk;
}

} // namespace

// Prints the address field's text for a returned mail. Like grep, finding
// nothing is status 1, with the reason on stderr and nothing on stdout.
int extract(const QStringList &args)
{
    QStringList rest = args;
    const bool why = rest.removeAll(QStringLiteral("--why")) > 0;
    if (rest.size() != 2)
        return usageError(
            QStringLiteral("extract takes --unsubscribe [--why] or --subscribe and a FILE"));
    ExtractionRule rule = ExtractionRule::None;
    if (rest[0] == QLatin1String("--unsubscribe"))
        rule = ExtractionRule::ErrorMailAddresses;
    else if (rest[0] == QLatin1String("--subscribe") && !why)
        rule = ExtractionRule::SenderAddress;
    else
        return usageError(QStringLiteral("extract: unknown option '%1'").arg(args[0]));
    if (why)
        return explain(rest[1]);

    const ExtractionOutcome outcome = ExtractAddresses(rule, rest[1]);
    if (outcome.message) {
        if (!outcome.error.isEmpty())
            failure(QStringLiteral("cannot read %1: %2").arg(rest[1], outcome.error));
        return failure(outcome.message->text);
    }
    out(outcome.fieldText + '\n');
    return ExitOk;
}

} // namespace cli
