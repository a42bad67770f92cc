#include "Cli.h"
#include "common/Translation.h"

#include <QCoreApplication>

namespace {

struct Subcommand
{
    const char *name;
    int (*run)(const QStringList &args);
    const char *usage;
};

// One row per subcommand; --help prints the usage column.
// clang-format off
const Subcommand kSubcommands[] = {
    {"lists", cli::lists, "lists [--keys] [--show-passwords]  the list register: title and six fields, tab-separated, the password as (set)\n"
                          "lists add TITLE --address ADDR --list-name NAME [--config FILE] [--info FILE] [--intro FILE] [--password-stdin]  register a list\n"
                          "lists set TITLE|KEY FIELD=VALUE... [--password-stdin]  change a list's fields\n"
                          "lists rename TITLE|KEY NEW  retitle a list\n"
                          "lists remove TITLE|KEY     remove a list from the register"},
    {"settings", cli::settings, "settings                   the common settings as Name=value (password hidden), then SmtpTls and SmtpAuth\n"
                                "settings set NAME=VALUE... [--password-stdin]  change common settings"},
    {"compose", cli::compose, "compose KIND --list TITLE [--arg TEXT]  queue a command mail (KIND 0-7 or its name), print its path"},
    {"queue", cli::queue, "queue [count]              the queued mails: file name TAB subject, by subject; or their number"},
    {"config", cli::config, "config normalize|show FILE normalize: rewrite a config file or reply in place; show: keyword TAB present TAB value"},
    {"extract", cli::extract, "extract --unsubscribe [--why] [--report] [--min-days N] [--within DAYS] [--list TITLE]|--subscribe [--report] PATH...  addresses of returned mails (files, folders, maildirs, mbox files), joined by ','"},
    {"send-file", cli::sendFile, "send-file FILE [--server HOST] [--port N] [--timeout SECONDS]  deliver one queued mail by SMTP (the file stays)"},
    {"send", cli::send, "send [--timeout SECONDS] [--dial ENTRY]  send the whole queue with the store's settings (Ctrl-C cancels); --dial brings up a connection first and takes down what it brought up"},
    {"reply", cli::reply, "reply [--members] [--no-store] FILE...  what each command of a server reply did: STATUS TAB REASON TAB COMMAND"},
    {"roster", cli::roster, "roster TITLE [--diff] [--csv]  the stored member roster of a list, or who joined and left since the one before"},
    {"fetch", cli::fetch, "fetch [--server H] [--port N] [--security tls|starttls] [--user U] [--password-stdin] [--folder F] [--move-to F] [--report]  read new mail from the IMAP mailbox"},
};
// clang-format on

void printHelp()
{
    QByteArray text = "Usage: tavelin-cli COMMAND [ARGS...]\n"
                      "Tavelin without windows: the list register, command mails, the queue.\n\n"
                      "Commands:\n";
    for (const Subcommand &sub : kSubcommands)
        for (const QByteArray &row : QByteArray(sub.usage).split('\n'))
            text += "  " + row + '\n';
    text += "\nExit status: 0 success, 1 failure, 2 usage error.\n";
    cli::out(text);
}

} // namespace

int main(int argc, char *argv[])
{
    cli::keepArgumentBytes(argc, argv, 2);
    QCoreApplication app(argc, argv);
    // The same data folder as the window's (the stored rosters).
    app.setApplicationName(QStringLiteral("Tavelin"));
    // The messages of the core read in the language the locale or
    // TAVELIN_LANG chooses; what is printed as data keeps its bytes.
    const Translation translation(chosenLanguage(), Translation::QtTexts::AsWritten);
    QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return cli::usageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        printHelp();
        return cli::ExitOk;
    }
    for (const Subcommand &sub : kSubcommands) {
        if (command == QLatin1String(sub.name))
            return sub.run(args);
    }
    return cli::usageError(QStringLiteral("unknown command '%1'").arg(command));
}
