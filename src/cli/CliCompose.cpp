#include "Cli.h"

#include "commands/CommandComposer.h"
#include "commands/CommandTable.h"
#include "commands/OutgoingFolder.h"

namespace cli {

namespace {

// A message box's text as one line of the terminal.
QString oneLine(const UserMessage &message)
{
    QString text = message.text;
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

int compose(const QStringList &args)
{
    QString kindText;
    std::optional<QByteArray> title;
    std::optional<QByteArray> argument;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        if (a == QLatin1String("--list") || a == QLatin1String("--arg")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("%1 needs a value").arg(a));
            ++i;
            (a == QLatin1String("--list") ? title : argument) = argumentBytes(args, i);
        } else if (kindText.isEmpty() && !a.startsWith(QLatin1Char('-'))) {
            kindText = a;
        } else {
            return usageError(QStringLiteral("compose: unexpected argument '%1'").arg(a));
        }
    }
    if (kindText.isEmpty() || !title)
        return usageError(QStringLiteral("compose needs KIND and --list TITLE"));
    const std::optional<CommandKind> kind = ParseCommandKind(kindText);
    if (!kind)
        return usageError(QStringLiteral("unknown command kind '%1' (0-7 or a name such as "
                                         "ForcedUnsubscribe)")
                              .arg(kindText));
    const bool needsArgument = *kind == CommandKind::ForcedUnsubscribe ||
                               *kind == CommandKind::ForcedSubscribe ||
                               *kind == CommandKind::ChangePassword;
    if (needsArgument && (!argument || argument->isEmpty()))
        return usageError(
            QStringLiteral("%1 needs --arg TEXT").arg(QLatin1String(CommandKindName(*kind))));

    ListRegister lists;
    CommonSettings settings;
    if (!loadSettings(settings, &lists))
        return ExitFailure;
    const auto entry = std::find_if(lists.begin(), lists.end(),
                                    [&](const MailingListEntry &e) { return e.Title == *title; });
    if (entry == lists.end())
        return failure(QStringLiteral("no list titled '%1' in the register")
                           .arg(QString::fromLocal8Bit(*title)));

    // Without --arg the file tabs take the list's own file, as the window does.
    QByteArray arg;
    if (argument)
        arg = *argument;
    else if (QByteArray MailingListEntry::*file = commandTab(*kind).file)
        arg = (*entry).*file;

    const QueueResult result =
        QueueCommand(settings.outgoingFolder(), *kind, MakeCommandInput(*entry, settings, arg),
                     QDateTime::currentDateTime());
    if (!result.ok()) {
        QString text = oneLine(*result.failure);
        if (!result.detail.isEmpty())
            text += QStringLiteral(" (%1)").arg(result.detail);
        return failure(text);
    }
    line(result.path);
    if (result.notice)
        err("tavelin-cli: " + oneLine(*result.notice).toLocal8Bit() + '\n');
    return ExitOk;
}

int queue(const QStringList &args)
{
    const bool count = args == QStringList{QStringLiteral("count")};
    if (!args.isEmpty() && !count)
        return usageError(QStringLiteral("queue takes no argument but 'count'"));
    CommonSettings settings;
    if (!loadSettings(settings))
        return ExitFailure;
    const QString folder = settings.outgoingFolder();
    if (count) {
        out(QByteArray::number(OutgoingFolder::CountQueued(folder)) + '\n');
        return ExitOk;
    }
    for (const OutgoingFolder::QueuedMail &mail : OutgoingFolder::ReadQueue(folder))
        out(mail.name.toLocal8Bit() + '\t' + mail.subject + '\n');
    return ExitOk;
}

} // namespace cli
