#pragma once

#include <QByteArray>
#include <QStringList>

#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"

// Shared plumbing of the tavelin-cli subcommands. A subcommand gets its
// arguments (without the program and subcommand names) and returns the exit
// status: 0 success, 1 failure of the work itself, 2 usage error.
namespace cli {

constexpr int ExitOk = 0;
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

void out(const QByteArray &bytes);
void err(const QByteArray &bytes);
// Writes "tavelin-cli: <message>" to stderr and returns ExitUsage.
int usageError(const QString &message);
// Writes "tavelin-cli: <message>" to stderr and returns ExitFailure.
int failure(const QString &message);
// Prints QString text on stdout, in the local code set, plus a newline.
void line(const QString &text);

// Keeps the bytes of the subcommand's arguments (argv from `first` on) as
// the program got them, before anything decodes them.
void keepArgumentBytes(int argc, char **argv, int first);
// Argument i of args as the bytes given: a title or field in the system's
// code page (Shift-JIS) reaches the store and the mail unchanged, where a
// round trip through QString would turn bytes that are not in the locale's
// code set into U+FFFD.
QByteArray argumentBytes(const QStringList &args, qsizetype i);

// Reads the common settings (and the register, when asked) as stored. The
// store is open only while it is read, so a long run never holds it from a
// window. False, with the reason on stderr, when the store cannot be read:
// its defaults would pass for the owner's settings.
bool loadSettings(CommonSettings &settings, ListRegister *lists = nullptr);

// Subcommands, one per area.
int lists(const QStringList &args);
int settings(const QStringList &args);
// lists add|set|rename|remove and settings set: args from the verb on.
int listsChange(const QStringList &args);
int settingsSet(const QStringList &args);
int compose(const QStringList &args);
int queue(const QStringList &args);
int config(const QStringList &args);
int extract(const QStringList &args);
int sendFile(const QStringList &args);
int send(const QStringList &args);
int reply(const QStringList &args);
int roster(const QStringList &args);
int fetch(const QStringList &args);

} // namespace cli
