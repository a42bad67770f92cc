#pragma once

#include "common/UserMessage.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>

struct CommonSettings;
struct MailingListEntry;

// The eight command mails, numbered by their tab in the main window.
enum class CommandKind
{
    ForcedUnsubscribe = 0,
    ForcedSubscribe = 1,
    ChangePassword = 2,
    MemberList = 3,
    NewInfo = 4,
    NewIntro = 5,
    GetConfig = 6,
    NewConfig = 7,
};

constexpr int kCommandKindCount = 8;

// The kind of tab index tab; nothing when no tab (or an unknown one) is selected.
std::optional<CommandKind> CommandKindFromTab(int tab);
// The kind's name in code ("ForcedUnsubscribe"...).
const char *CommandKindName(CommandKind kind);
// Parses a tab number "0".."7" or a kind name (letter case ignored).
std::optional<CommandKind> ParseCommandKind(const QString &text);

// What one command mail is made of. Texts are bytes in the system code page.
struct CommandInput
{
    QByteArray Title;   // the list's title (the X-Tavelin-ML header)
    QByteArray Address; // the Majordomo command address (To)
    QByteArray ListName;
    QByteArray Passwd;
    // Why Passwd is not the list's password (the keyring could not give
    // it); empty when it is.
    QString PasswdError;
    QByteArray Argument; // addresses, new password, or the path of the file to embed
    QByteArray Sender;   // From
    QByteArray TimeZone; // written after the time as it is
    bool UseQuillon = false;
    bool SaveMail = false;
    bool NoSignature = false;
};

// The input for list entry with the common settings and the tab field
// argument. A password the keyring could not give at the load is read again
// here (the keyring may ask to be unlocked).
CommandInput MakeCommandInput(const MailingListEntry &entry, const CommonSettings &settings,
                              const QByteArray &argument);

// Header lines before the Subject line: the optional X-Tavelin-ML or signature
// line, To, From and Date, each ending in CR LF. The Date is the instant
// `when` in the offset a numeric TimeZone names ("+0900", "-0500 (EST)"), or
// on the machine's clock when it names none.
QByteArray ComposeHeaders(const CommandInput &input, const QDateTime &when);

// A composed mail: the bytes of the file, or the message that says why there
// is none; and a message the owner should read once the mail is queued.
struct ComposedMail
{
    QByteArray text;
    std::optional<UserMessage> refusal;
    std::optional<UserMessage> notice = std::nullopt;

    bool ok() const { return !refusal.has_value(); }
};

// The whole mail, every line ending in CR LF. Depends on nothing but its
// arguments and, for NewInfo / NewIntro / NewConfig, the file Argument names
// (a CR inside one of its lines ends that line; an empty file adds nothing).
// The address field of the two membership kinds gives one line per address,
// cut at the commas between addresses, each trimmed, empty ones skipped.
// Refused, each time with a message saying why, when the list's password
// could not be had (never composed with an empty one instead); when the server would act on
// something else than what was typed: a field that goes into the mail holds
// a line break; a command line would end in a backslash (the server joins it
// with the next); no address is left; the embedded file cannot be read or
// holds a line "EOF" (the server would run the lines after it as commands).
// A password change comes with a notice: the config's admin_passwd keeps
// the old password.
ComposedMail ComposeCommandMail(CommandKind kind, const CommandInput &input, const QDateTime &when);

// The outcome of queueing one mail: the new file's path, or the message for
// the user and (for scripts) a technical detail.
struct QueueResult
{
    QString path;
    std::optional<UserMessage> failure;
    QString detail;
    std::optional<UserMessage> notice = std::nullopt; // shown once after queueing

    bool ok() const { return !failure.has_value(); }
};

// The message when no command could be composed (no tab selected).
UserMessage CommandNotComposedMessage();

// Composes the mail and writes it into a new queued file of folder. On any
// failure no file is left behind.
QueueResult QueueCommand(const QString &folder, CommandKind kind, const CommandInput &input,
                         const QDateTime &when);
