#include "Cli.h"

#include "commands/AddressExtraction.h"
#include "commands/BounceTally.h"
#include "commands/MailBatch.h"
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

// A whole number of at least least, or nothing.
std::optional<int> count(const QString &text, int least)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least ? std::optional<int>(value) : std::nullopt;
}

} // namespace

// Prints the address field's text for returned mails: files, folders,
// maildirs and mbox files. Like grep, finding nothing is status 1, with the
// reason on stderr and nothing on stdout; a mail that cannot be read is named
// on stderr and the rest still reported, with status 1 at the end.
int extract(const QStringList &args)
{
    const QString usage = QStringLiteral(
        "extract takes --unsubscribe [--why] [--report] [--min-days N] [--within DAYS] PATH... "
        "or --subscribe [--report] PATH...");
    ExtractionRule rule = ExtractionRule::None;
    bool why = false;
    bool report = false;
    BounceFilter filter;
    QStringList paths;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (arg == QLatin1String("--unsubscribe") || arg == QLatin1String("--subscribe")) {
            if (rule != ExtractionRule::None)
                return usageError(usage);
            rule = arg == QLatin1String("--unsubscribe") ? ExtractionRule::ErrorMailAddresses
                                                         : ExtractionRule::SenderAddress;
        } else if (arg == QLatin1String("--why")) {
            why = true;
        } else if (arg == QLatin1String("--report")) {
            report = true;
        } else if (arg == QLatin1String("--min-days") || arg == QLatin1String("--within")) {
            const std::optional<int> value = count(args.value(++i), 1);
            if (!value)
                return usageError(
                    QStringLiteral("extract: %1 takes a number of at least 1").arg(arg));
            if (arg == QLatin1String("--min-days"))
                filter.minDays = *value;
            else
                filter.withinDays = value;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("extract: unknown option '%1'").arg(arg));
        } else {
            paths.append(arg);
        }
    }
    if (rule == ExtractionRule::None || paths.isEmpty() ||
        (why && (rule != ExtractionRule::ErrorMailAddresses || paths.size() != 1 || report)))
        return usageError(usage);
    if (why)
        return explain(paths[0]);

    MailBatch batch(paths);
    BounceTally tally;
    batch.run([&](QIODevice &mail, const QString &what) {
        if (rule == ExtractionRule::ErrorMailAddresses) {
            const ReturnedMailReading reading = ReadReturnedMail(mail);
            if (!reading.error.isEmpty())
                return batch.addProblem(what, reading.error);
            tally.add(reading.recipients, reading.date);
        } else {
            const ExtractionResult result = ExtractSenderAddress(mail);
            if (!result.error.isEmpty())
                return batch.addProblem(what, result.error);
            QList<FailedRecipient> senders;
            for (const QByteArray &address : result.addresses)
                senders.append({address, "From:", {}});
            tally.add(senders, {});
        }
    });
    for (const BatchProblem &problem : batch.problems())
        err(QStringLiteral("tavelin-cli: cannot read %1: %2\n")
                .arg(problem.what, problem.error)
                .toLocal8Bit());
    const QList<AddressBounces> rows = tally.report(filter);
    if (rows.isEmpty())
        return failure(QStringLiteral("ｱﾄﾞﾚｽを抽出できませんでした"));
    if (report) {
        for (const AddressBounces &row : rows)
            out(BounceTally::line(row) + '\n');
    } else {
        out(JoinAddresses(tally.addresses(filter)) + '\n');
    }
    return batch.problems().isEmpty() ? ExitOk : ExitFailure;
}

} // namespace cli
