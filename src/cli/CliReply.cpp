#include "Cli.h"

#include "commands/Roster.h"

#include <QCoreApplication>

namespace cli {

namespace {

void note(const QString &path, const QString &text)
{
    err(QStringLiteral("tavelin-cli: %1: %2\n").arg(path, text).toLocal8Bit());
}

// Reads one mail, prints what each command did (or its members) and says on
// stderr what became of its rosters. True when every command succeeded.
bool replyFile(const QString &path, bool members, const ListRegister &lists,
               const RosterStore *store)
{
    std::function<void(const RosterMember &)> print;
    if (members) {
        print = [](const RosterMember &member) {
            if (member.valid)
                out(member.address + '\n');
        };
    }
    const AppliedReply applied = ApplyServerReply(path, lists, store, print);
    const ServerReply &reply = applied.reply;
    if (!reply.isResults()) {
        if (!reply.error.isEmpty())
            note(path, QStringLiteral("cannot read: %1").arg(reply.error));
        else
            note(path, ServerMailKindText(reply.kind));
        if (applied.noticeApplied)
            note(path, QCoreApplication::translate("CliReply", "会員一覧を更新しました"));
        else if (!applied.noticeWhy.isEmpty())
            note(path, QCoreApplication::translate("CliReply", "会員一覧を更新しませんでした: %1")
                           .arg(applied.noticeWhy));
        return false;
    }
    if (!members) {
        for (const ReplyCommand &command : reply.commands)
            out(QByteArray(ReplyStatusName(command.status)) + '\t' +
                ReplyReasonName(command.reason) + '\t' + command.line + '\n');
    }
    for (const AppliedReply::Stored &roster : applied.rosters) {
        if (roster.stored)
            note(path, QCoreApplication::translate("CliReply", "%1 の会員一覧を保存しました")
                           .arg(roster.title));
        else
            note(path,
                 QCoreApplication::translate("CliReply", "%1 の会員一覧を保存しませんでした: %2")
                     .arg(QString::fromLocal8Bit(roster.list), roster.why));
    }
    if (reply.partial)
        note(path,
             QStringLiteral("partial: %1")
                 .arg(reply.error.isEmpty() ? QStringLiteral("the reply was cut") : reply.error));
    return reply.allOk();
}

} // namespace

int reply(const QStringList &args)
{
    QStringList files = args;
    const bool members = files.removeAll(QStringLiteral("--members")) > 0;
    const bool noStore = files.removeAll(QStringLiteral("--no-store")) > 0;
    for (const QString &file : files) {
        if (file.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("reply: unknown option '%1'").arg(file));
    }
    if (files.isEmpty())
        return usageError(QStringLiteral("reply takes one or more FILEs"));
    // The register names the lists whose rosters are kept and the passwords
    // to mask; without it nothing is stored.
    CommonSettings settings;
    ListRegister lists;
    if (!loadSettings(settings, &lists) && !noStore)
        return ExitFailure;
    const RosterStore store(RosterStore::defaultFolder());
    bool allOk = true;
    for (const QString &file : files)
        allOk = replyFile(file, members, lists, noStore ? nullptr : &store) && allOk;
    return allOk ? ExitOk : ExitFailure;
}

int roster(const QStringList &args)
{
    QStringList rest = args;
    const bool diff = rest.removeAll(QStringLiteral("--diff")) > 0;
    const bool csv = rest.removeAll(QStringLiteral("--csv")) > 0;
    if (rest.size() != 1 || rest[0].startsWith(QLatin1String("--")))
        return usageError(QStringLiteral("roster takes a TITLE, --diff and --csv"));
    const QByteArray title = argumentBytes(args, args.indexOf(rest[0]));
    CommonSettings settings;
    ListRegister lists;
    if (!loadSettings(settings, &lists))
        return ExitFailure;
    const auto entry = std::find_if(lists.cbegin(), lists.cend(),
                                    [&](const MailingListEntry &e) { return e.Title == title; });
    if (entry == lists.cend())
        return failure(QStringLiteral("no list titled '%1'").arg(rest[0]));
    const RosterStore store(RosterStore::defaultFolder());
    QString error;
    const std::optional<Roster> now = store.load(*entry, false, &error);
    if (!now)
        return failure(error.isEmpty() ? QStringLiteral("no roster of '%1' is stored").arg(rest[0])
                                       : error);
    if (!diff) {
        if (csv) {
            out(RosterCsv(now->members));
        } else {
            // A line that is no address (blank, "#") shows with none.
            for (const RosterMember &member : now->members)
                out((member.valid ? member.address : QByteArray()) + '\t' + member.line + '\n');
        }
        return ExitOk;
    }
    const std::optional<Roster> before = store.load(*entry, true, &error);
    if (!before)
        return failure(error.isEmpty()
                           ? QStringLiteral("no earlier roster of '%1' is stored").arg(rest[0])
                           : error);
    const QList<RosterMember> joined = JoinedSince(*before, *now);
    const QList<RosterMember> left = JoinedSince(*now, *before);
    if (csv) {
        out(RosterChangesCsv(joined, left));
        return ExitOk;
    }
    for (const RosterMember &member : joined)
        out("joined\t" + member.address + '\t' + member.line + '\n');
    for (const RosterMember &member : left)
        out("left\t" + member.address + '\t' + member.line + '\n');
    return ExitOk;
}

} // namespace cli
