#include "Cli.h"

#include "commands/AddressExtraction.h"

namespace cli {

// Prints the address field's text for a returned mail. Like grep, finding
// nothing is status 1, with the reason on stderr and nothing on stdout.
int extract(const QStringList &args)
{
    if (args.size() != 2)
        return usageError(QStringLiteral("extract takes --unsubscribe or --subscribe and a FILE"));
    ExtractionRule rule = ExtractionRule::None;
    if (args[0] == QLatin1String("--unsubscribe"))
        rule = ExtractionRule::ErrorMailAddresses;
    else if (args[0] == QLatin1String("--subscribe"))
        rule = ExtractionRule::SenderAddress;
    else
        return usageError(QStringLiteral("extract: unknown option '%1'").arg(args[0]));

    const ExtractionOutcome outcome = ExtractAddresses(rule, args[1]);
    if (outcome.message) {
        if (!outcome.error.isEmpty())
            failure(QStringLiteral("cannot read %1: %2").arg(args[1], outcome.error));
        return failure(outcome.message->text);
    }
    out(outcome.fieldText + '\n');
    return ExitOk;
}

} // namespace cli
