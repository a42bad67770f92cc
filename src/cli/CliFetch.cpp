#include "Cli.h"

#include "fetch/FetchRun.h"
#include "store/AppRegistry.h"
#include "store/DataFolder.h"
#include "store/FetchSettings.h"
#include "store/SettingsStore.h"

#include <QFile>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace cli {

namespace {

std::atomic<bool> g_interrupted{false};

void onInterrupt(int)
{
    g_interrupted = true;
}

// A text of a report field: no tab or line end of its own.
QByteArray field(const QString &text)
{
    QByteArray bytes = text.toLocal8Bit();
    for (char &c : bytes) {
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    }
    return bytes;
}

QByteArray listTitle(const ListRegister &lists, int index)
{
    return index >= 0 ? lists.at(index).Title : QByteArray("-");
}

void printSummary(const FetchSummary &summary, const FetchRequest &request)
{
    out("read=" + QByteArray::number(summary.read) +
        " reply=" + QByteArray::number(summary.count(MailKind::Reply)) +
        " bounce=" + QByteArray::number(summary.count(MailKind::Bounce)) +
        " approval=" + QByteArray::number(summary.count(MailKind::Approval)) +
        " notice=" + QByteArray::number(summary.count(MailKind::Notice)) +
        " other=" + QByteArray::number(summary.count(MailKind::Other)) + " known=" +
        QByteArray::number(summary.known) + " moved=" + QByteArray::number(summary.moved) + '\n');
    // Replies with a failed command first: they need the owner.
    for (const bool failed : {true, false}) {
        for (const FetchedMail &mail : summary.replies) {
            if (mail.sorted.reply.allOk() == failed)
                continue;
            out(QByteArray(failed ? "reply-failed\t" : "reply\t") +
                listTitle(request.lists, mail.sorted.list) + '\t' + field(mail.sorted.subject) +
                '\n');
        }
    }
    for (const QString &title : summary.rostersChanged)
        out("roster\t" + title.toLocal8Bit() + '\n');
    for (const FetchedMail &mail : summary.approvals)
        out("approval\t" + listTitle(request.lists, mail.sorted.list) + '\t' +
            (mail.sorted.subscribe ? "subscribe\t" : "unsubscribe\t") +
            mail.sorted.addresses.join(',') + '\n');
    for (const FetchedMail &mail : summary.notices)
        out("notice\t" + listTitle(request.lists, mail.sorted.list) + '\t' +
            (mail.sorted.subscribe ? "subscribe\t" : "unsubscribe\t") +
            mail.sorted.addresses.join(',') + '\n');
    for (const FetchSummary::ListBounces &bounces : summary.bounces) {
        for (const QByteArray &address : bounces.bounced)
            out("bounce\t" + listTitle(request.lists, bounces.list) + '\t' + address + '\n');
        for (const QByteArray &address : bounces.overThreshold)
            out("over-threshold\t" + listTitle(request.lists, bounces.list) + '\t' + address +
                '\n');
    }
}

} // namespace

int fetch(const QStringList &args)
{
    FetchSettings stored;
    ListRegister lists;
    {
        CAppRegistry store;
        if (!store.readError().isEmpty())
            return failure(
                QStringLiteral("the settings cannot be read: %1").arg(store.readError()));
        // The keyring is asked only when its password is needed.
        LoadRawFetchSettings(store, stored);
        lists = LoadRegister(store);
    }
    FetchRequest request;
    request.server = stored.Server;
    request.port = stored.Port;
    request.security = stored.Security == 1 ? ImapSecurity::StartTls : ImapSecurity::ImplicitTls;
    request.user = stored.UserName;
    request.folder = QString::fromLocal8Bit(stored.Folder);
    request.moveTo = QString::fromLocal8Bit(stored.MoveTo);
    request.lists = lists;
    bool report = false;
    bool passwordFromStdin = false;
    bool portGiven = false;
    bool securityGiven = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (arg == QLatin1String("--server") && hasValue) {
            request.server = argumentBytes(args, ++i);
            if (request.server.isEmpty())
                return usageError(QStringLiteral("--server needs a host name or address"));
        } else if (arg == QLatin1String("--port") && hasValue) {
            bool ok = false;
            request.port = args.at(++i).toUInt(&ok);
            if (!ok || request.port == 0 || request.port > 65535)
                return usageError(QStringLiteral("--port needs a number from 1 to 65535"));
            portGiven = true;
        } else if (arg == QLatin1String("--security") && hasValue) {
            const QString value = args.at(++i);
            if (value == QLatin1String("tls"))
                request.security = ImapSecurity::ImplicitTls;
            else if (value == QLatin1String("starttls"))
                request.security = ImapSecurity::StartTls;
            else
                return usageError(QStringLiteral("--security takes tls or starttls"));
            securityGiven = true;
        } else if (arg == QLatin1String("--user") && hasValue) {
            request.user = argumentBytes(args, ++i);
        } else if (arg == QLatin1String("--password-stdin")) {
            passwordFromStdin = true;
        } else if (arg == QLatin1String("--folder") && hasValue) {
            request.folder = args.at(++i);
            if (request.folder.isEmpty())
                return usageError(QStringLiteral("--folder needs a folder name"));
        } else if (arg == QLatin1String("--move-to") && hasValue) {
            request.moveTo = args.at(++i);
            if (request.moveTo.isEmpty())
                return usageError(QStringLiteral("--move-to needs a folder name"));
        } else if (arg == QLatin1String("--report")) {
            report = true;
        } else {
            return usageError(QStringLiteral("unexpected argument '%1'").arg(arg));
        }
    }
    // A port named without a security: the standard ports say which.
    if (portGiven && !securityGiven && (request.port == kImapsPort || request.port == kImapPort))
        request.security =
            request.port == kImapsPort ? ImapSecurity::ImplicitTls : ImapSecurity::StartTls;
    if (request.server.isEmpty())
        return usageError(
            QStringLiteral("no IMAP server: set one in the settings or give --server"));
    if (request.user.isEmpty())
        return usageError(QStringLiteral("no IMAP user: set one in the settings or give --user"));
    if (passwordFromStdin) {
        // One line, as a script's pipe gives it; never an argument.
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return failure(QStringLiteral("the password cannot be read from stdin"));
        request.password = in.readLine(4096);
        while (request.password.endsWith('\n') || request.password.endsWith('\r'))
            request.password.chop(1);
    } else {
        const Keyring::Read password = FetchPassword(stored);
        if (!password.ok())
            return failure(password.error);
        request.password = password.value;
    }
    QString error;
    request.dataFolder = DataFolder(&error);
    if (request.dataFolder.isEmpty())
        return failure(error);

    FetchRun run;
    run.cancel = &g_interrupted;
    if (report) {
        run.onMail = [](const FetchedMail &mail) {
            out(QByteArray::number(mail.uid) + '\t' + mailKindName(mail.sorted.kind) + '\t' +
                field(mail.sorted.subject) + '\n');
            std::fflush(stdout);
        };
    }
    g_interrupted = false;
    // TERM as Ctrl-C: what was read is recorded before the program ends.
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    const FetchSummary summary = run.run(request);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    // A fetch refused at the start read nothing: only its reason is said.
    if (!report && (summary.ok || summary.read > 0))
        printSummary(summary, request);
    return summary.ok ? ExitOk : failure(summary.error);
}

} // namespace cli
