#pragma once

#include "commands/CommandComposer.h"
#include "common/LineStream.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

class QIODevice;

// Reads what the list server sends back: the "Majordomo results" mail with
// one ">>>> " echo per command line and the server's answer under it, and
// tells the server's other mails (approval requests, bounces, membership
// notices) apart from it. Reading is a stream: a member list of any length
// costs a line buffer, its members go to a sink one at a time.

// What a mail from the list server is.
enum class ServerMailKind
{
    Other,           // not a mail of the list server's known kinds
    Results,         // "Majordomo results": what each command did
    ApprovalRequest, // "APPROVE list": a request waits for the owner
    Bounce,          // "BOUNCE list@host: reason": a post held for the owner
    SubscribeNotice, // "SUBSCRIBE list address": someone joined
    UnsubscribeNotice
};

enum class ReplyStatus
{
    Ok,
    Failed,
    Pending, // forwarded to the owner, or waiting for the subscriber's confirmation
    NotRun   // the server gave no answer to it
};

enum class ReplyReason
{
    None,
    Password,
    UnknownList,
    NotMember,
    AlreadyMember,
    InvalidAddress,
    MultipleMatches,
    NeedsNewPassword,
    Disabled,
    Syntax,
    NotRecognized,
    NoCommands,
    ServerError
};

// "ok", "failed", "pending", "not-run".
const char *ReplyStatusName(ReplyStatus status);
// "password", "unknown-list", ...; empty for None.
const char *ReplyReasonName(ReplyReason reason);

// One line of a member list: as the server printed it, the address the
// server takes from it, and whether that is an address at all (the server
// counts blank and "#" lines as members too).
struct RosterMember
{
    QByteArray line;
    QByteArray address;
    bool valid = false;

    friend bool operator==(const RosterMember &, const RosterMember &) = default;
};
RosterMember MakeRosterMember(const QByteArray &line);

// The member list of one "who" result.
struct WhoResult
{
    qint64 serverCount = -1; // the server's "N subscribers"; -1 when it never came
    qint64 lines = 0;        // member lines seen
    qint64 valid = 0;        // of them, addresses
    bool complete = false;   // the count line came and agrees with the lines
};

// One echoed command line and what the server answered.
struct ReplyCommand
{
    QByteArray line;                 // as echoed, every password replaced by "***"
    QByteArray word;                 // the command word, lower case ("subscribe", "who"...)
    QByteArray list;                 // the list the command names; empty if none
    std::optional<CommandKind> kind; // when it is one of Tavelin's eight
    ReplyStatus status = ReplyStatus::Ok;
    ReplyReason reason = ReplyReason::None;
    // The server's lines for it (passwords masked); a member list gives only
    // its first and last lines here, and a long answer is cut.
    QByteArrayList serverLines;
    bool linesCut = false;
    std::optional<WhoResult> who; // for a "who" command
};

struct ServerReply
{
    ServerMailKind kind = ServerMailKind::Other;
    QByteArray from;    // the bare address of From:
    QByteArray to;      // the bare address of To:
    QByteArray subject; // passwords masked
    QDateTime date;     // the Date: header; invalid when there is none
    QByteArray list;    // a notice's, request's or bounce's list
    QByteArray address; // a notice's member line (as given)
    QList<ReplyCommand> commands;
    // The server's lines after the commands ("**** No valid commands found.").
    QByteArrayList trailer;
    bool endOfCommands = false; // "END OF COMMANDS" came
    // The mail ended or broke off before the server's answer was whole.
    bool partial = false;
    // Why the mail could not be read to the end; empty if it was.
    QString error;

    bool isResults() const { return kind == ServerMailKind::Results; }
    // Every command succeeded (and there was at least one).
    bool allOk() const;
};

// Receives each member of each "who" result as it is read.
struct MemberSink
{
    // A "who" result of the command at that index begins; reply holds the
    // header and the commands read so far.
    std::function<void(qsizetype command, const ServerReply &reply)> begin;
    std::function<void(qsizetype command, const RosterMember &member)> member;
};

struct ReplyReadOptions
{
    // More words to mask wherever they appear (the register's password).
    QByteArrayList secrets;
    // Without a sink the members are not kept (only counted).
    MemberSink sink;
    qsizetype bufferSize = LineStream::DefaultBufferSize;
};

// Reads the mail on the device from its current position.
ServerReply ReadServerReply(QIODevice &device, const ReplyReadOptions &options = {});
ServerReply ReadServerReply(const QString &path, const ReplyReadOptions &options = {});
// Reads the mail and keeps every member, grouped by the index of its command.
struct ServerReplyWithMembers
{
    ServerReply reply;
    QList<QList<RosterMember>> members; // one list per command, empty when no "who"
};
ServerReplyWithMembers ReadServerReplyWithMembers(QIODevice &device, ReplyReadOptions options = {});

// What a mail that is no results mail is, for a message ("承認依頼のﾒｰﾙです").
QString ServerMailKindText(ServerMailKind kind);
// The reason as the window says it.
QString ReplyReasonText(ReplyReason reason);

// Replaces the passwords of a command line by "***": the word after
// "approve", the one after the list of newinfo/newintro/config/newconfig/
// writeconfig/mkdigest, and both of passwd's. The words replaced are added to
// *secrets when given.
QByteArray MaskCommandLine(const QByteArray &line, QByteArrayList *secrets = nullptr);
