#include "Cli.h"

#include "commands/AddressExtraction.h"
#include "commands/BounceTally.h"
#include "commands/MailBatch.h"
#include "commands/ReturnedMail.h"
#include "commands/Roster.h"

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

// The members of a registered list as its stored roster has them; false,
// with the reason on stderr, when there is no such list or roster.
bool loadMembers(const QByteArray &title, AddressSet &members)
{
    ListRegister lists;
    CommonSettings settings;
    if (!loadSettings(settings, &lists))
        return false;
    const auto entry = std::find_if(lists.begin(), lists.end(),
                                    [&](const MailingListEntry &e) { return e.Title == title; });
    if (entry == lists.end()) {
        failure(QStringLiteral("no list titled '%1' in the register")
                    .arg(QString::fromLocal8Bit(title)));
        return false;
    }
    QString error;
    const std::optional<Roster> roster =
        RosterStore(RosterStore::defaultFolder()).load(*entry, false, &error);
    if (!roster) {
        failure(error.isEmpty() ? QStringLiteral("no stored roster of '%1': read the reply to a "
                                                 "\"who\" command first")
                                      .arg(QString::fromLocal8Bit(title))
                                : error);
        return false;
    }
    for (const RosterMember &member : roster->members)
        members.add(member.address, "");
    return true;
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
        "or --subscribe [--report] PATH..., either with --list TITLE");
    ExtractionRule rule = ExtractionRule::None;
    bool why = false;
    bool report = false;
    BounceFilter filter;
    std::optional<QByteArray> title;
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
        } else if (arg == QLatin1String("--list") && i + 1 < args.size()) {
            title = argumentBytes(args, ++i);
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
    AddressSet members;
    if (title && !loadMembers(*title, members))
        return ExitFailure;

    MailBatch batch(paths);
    BounceTally tally;
    ReadMailBatch(batch, rule == ExtractionRule::SenderAddress, tally);
    for (const BatchProblem &problem : batch.problems())
        err(QStringLiteral("tavelin-cli: cannot read %1: %2\n")
                .arg(problem.what, problem.error)
                .toLocal8Bit());
    // Addresses that are no members need no unsubscribe.
    QList<AddressBounces> rows = tally.report(filter);
    QByteArrayList addresses = tally.addresses(filter);
    if (title) {
        const auto notMember = [&](const QByteArray &address) {
            return !members.contains(address);
        };
        const qsizetype before = addresses.size();
        addresses.removeIf(notMember);
        rows.removeIf([&](const AddressBounces &row) { return notMember(row.address); });
        if (const qsizetype left = before - addresses.size())
            err(QStringLiteral("tavelin-cli: %1 addresses left out: not members of '%2'\n")
                    .arg(left)
                    .arg(QString::fromLocal8Bit(*title))
                    .toLocal8Bit());
    }
    if (rows.isEmpty())
        return failure(QCoreApplication::translate("Cli", "ｱﾄﾞﾚｽを抽出できませんでした"));
    if (report) {
        for (const AddressBounces &row : rows)
            out(BounceTally::line(row) + '\n');
    } else {
        out(JoinAddresses(addresses) + '\n');
    }
    return batch.problems().isEmpty() ? ExitOk : ExitFailure;
}

} // namespace cli
