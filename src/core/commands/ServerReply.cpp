#include "commands/ServerReply.h"

#include "commands/AddressExtraction.h"
#include "commands/MimeMail.h"
#include "store/SafeFile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// The server's lines kept per command: a config is some tens of kilobytes;
// what is past this is cut, and said to be.
constexpr qsizetype kMaxServerLines = 4000;
constexpr qsizetype kMaxServerBytes = 512 * 1024;
// The lines of an answer (past those marked "**** ") that can say what
// became of the command: the pending block's policy line is the furthest.
constexpr qsizetype kMarkedLines = 12;

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView text)
{
    while (!text.isEmpty() && isBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && isBlank(text.back()))
        text.chop(1);
    return text;
}

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() &&
           qstrnicmp(text.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}

// A word of a command line and where it stands in the line.
struct Word
{
    qsizetype start;
    qsizetype length;
};

QList<Word> wordsOf(QByteArrayView line)
{
    QList<Word> words;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const qsizetype start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.append({start, i - start});
    }
    return words;
}

// Commands whose word after the list is a password.
constexpr const char *kPasswordAfterList[] = {"newinfo",   "newintro",    "config",
                                              "newconfig", "writeconfig", "mkdigest"};

// Replaces whole-word occurrences of each secret in text by "***".
QByteArray maskSecrets(QByteArray text, const QByteArrayList &secrets)
{
    for (const QByteArray &secret : secrets) {
        if (secret.isEmpty() || secret == "***")
            continue;
        qsizetype from = 0;
        while ((from = text.indexOf(secret, from)) >= 0) {
            const qsizetype end = from + secret.size();
            const auto boundary = [&](qsizetype at) {
                if (at < 0 || at >= text.size())
                    return true;
                const char c = text[at];
                return isBlank(c) || c == '\'' || c == '"' || c == '`' || c == ',' || c == ':';
            };
            if (boundary(from - 1) && boundary(end)) {
                text.replace(from, secret.size(), "***");
                from += 3;
            } else {
                from = end;
            }
        }
    }
    return text;
}

struct Marker
{
    const char *text;
    ReplyStatus status;
    ReplyReason reason;
};

using S = ReplyStatus;
using R = ReplyReason;

// What the server's lines say about a command, checked on each line in this
// order; the first marker found in a command's lines decides, except that a
// pending marker always wins (its block quotes the command and the policy).
// clang-format off
constexpr Marker kMarkers[] = {
    {"must be authenticated",                  S::Pending, R::None},
    {"forwarded to the owner of",              S::Pending, R::None},
    {">>> Sorry, an error has occurred",       S::Failed,  R::ServerError},
    {"ATTACHMENT DETECTED",                    S::NotRun,  R::None},
    {"invalid list or password",               S::Failed,  R::Password},
    {"old password incorrect",                 S::Failed,  R::Password},
    {": invalid password",                     S::Failed,  R::Password},
    {": needs password",                       S::Failed,  R::Password},
    {"need new password",                      S::Failed,  R::NeedsNewPassword},
    {"null 'new_passwd'",                      S::Failed,  R::NeedsNewPassword},
    {": unknown list",                         S::Failed,  R::UnknownList},
    {": invalid list '",                       S::Failed,  R::UnknownList},
    {"is not a member of list",                S::Failed,  R::NotMember},
    {"No matches found for",                   S::Failed,  R::NotMember},
    {"matches multiple list members",          S::Failed,  R::MultipleMatches},
    {"Address already subscribed",             S::Failed,  R::AlreadyMember},
    {"does not seem to be a legal Internet address", S::Failed, R::InvalidAddress},
    {": invalid address",                      S::Failed,  R::InvalidAddress},
    {"was NOT accepted because",               S::Failed,  R::Syntax},
    {": invalid command",                      S::Failed,  R::Syntax},
    {"Command disabled",                       S::Failed,  R::Disabled},
    {"not recognized.",                        S::Failed,  R::NotRecognized},
};
// clang-format on

// Lines the server writes after all commands, when none was valid or one
// went wrong.
bool isTrailerLine(QByteArrayView line)
{
    return line.startsWith("**** No valid commands found") ||
           line.startsWith("**** Commands must be in message BODY");
}

// "N subscribers", "1 subscriber", "No subscribers": the count, or -1.
qint64 subscriberCount(QByteArrayView line)
{
    line = trimmed(line);
    if (line == "No subscribers")
        return 0;
    const qsizetype blank = line.indexOf(' ');
    if (blank <= 0 || blank > 18)
        return -1;
    const QByteArrayView rest = line.sliced(blank + 1);
    if (rest != "subscribers" && rest != "subscriber")
        return -1;
    bool ok = false;
    const qint64 count = line.first(blank).toLongLong(&ok);
    return ok && count >= 0 ? count : -1;
}

bool isValidMailbox(QByteArrayView address)
{
    if (address.size() < 3 || address.size() > 320)
        return false;
    const qsizetype at = address.indexOf('@');
    if (at <= 0 || at == address.size() - 1 || address.indexOf('@', at + 1) >= 0)
        return false;
    return std::none_of(address.begin(), address.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= ' ' || u == 0x7f || std::strchr("<>()[]\\,;:\"", c) != nullptr;
    });
}

struct CommandWords
{
    QByteArray word;
    QByteArray list;
    std::optional<CommandKind> kind;
    QByteArray masked;
    QByteArrayList secrets;
};

CommandWords readCommand(const QByteArray &line)
{
    CommandWords out;
    const QList<Word> words = wordsOf(line);
    const auto text = [&](qsizetype i) { return line.mid(words[i].start, words[i].length); };
    QList<qsizetype> hidden; // indexes of password words
    qsizetype first = 0;
    bool approved = false;
    if (!words.isEmpty() && text(0).toLower() == "approve") {
        approved = true;
        if (words.size() > 1)
            hidden.append(1);
        first = 2;
    }
    if (first < words.size()) {
        out.word = text(first).toLower();
        if (first + 1 < words.size())
            out.list = text(first + 1);
    }
    const QByteArray &w = out.word;
    if (w == "passwd") {
        for (qsizetype i = first + 2; i < words.size(); ++i)
            hidden.append(i);
    } else if (std::any_of(std::begin(kPasswordAfterList), std::end(kPasswordAfterList),
                           [&](const char *name) { return w == name; })) {
        if (first + 2 < words.size())
            hidden.append(first + 2);
    }
    if (w == "unsubscribe" && approved)
        out.kind = CommandKind::ForcedUnsubscribe;
    else if (w == "subscribe" && approved)
        out.kind = CommandKind::ForcedSubscribe;
    else if (w == "passwd")
        out.kind = CommandKind::ChangePassword;
    else if (w == "who")
        out.kind = CommandKind::MemberList;
    else if (w == "newinfo")
        out.kind = CommandKind::NewInfo;
    else if (w == "newintro")
        out.kind = CommandKind::NewIntro;
    else if (w == "config")
        out.kind = CommandKind::GetConfig;
    else if (w == "newconfig")
        out.kind = CommandKind::NewConfig;
    if (w == "end" || w == "lists" || w == "help" || w.startsWith('-'))
        out.list.clear();
    out.masked = line;
    // From the last word back, so the places of the earlier ones hold.
    for (auto it = hidden.crbegin(); it != hidden.crend(); ++it) {
        out.secrets.append(text(*it));
        out.masked.replace(words[*it].start, words[*it].length, "***");
    }
    return out;
}

// Reads one results mail (or classifies another mail) line by line.
class ReplyReader
{
public:
    explicit ReplyReader(const ReplyReadOptions &options) : m_options(options)
    {
        m_secrets = options.secrets;
    }

    // The mail's header block: what kind of mail it is.
    void header(const MimeNode &message);
    // A line of the body; false once nothing more is wanted from the mail.
    bool line(QByteArrayView line);
    ServerReply finish(const QString &readError);

private:
    enum class Phase
    {
        Header,   // no header block read yet: the mail is no server's
        Preamble, // the "--" and blank line before the first echo
        Body,
        Done
    };
    enum class WhoPhase
    {
        None,
        Heading, // "Members of list" seen: a blank line follows
        Members, // member lines up to the count
        AfterCount
    };

    void endHeader();
    void bodyLine(QByteArrayView line);
    void startCommand(QByteArrayView echoed);
    void finishCommand();
    void keepServerLine(QByteArrayView line);
    void memberLine(QByteArrayView line);
    void emitMember(const QByteArray &line);

    const ReplyReadOptions &m_options;
    ServerReply m_reply;
    QByteArrayList m_secrets;
    Phase m_phase = Phase::Header;
    QByteArray m_rawSubject;

    ReplyCommand *m_current = nullptr;
    qsizetype m_currentBytes = 0;
    bool m_markerFound = false;
    WhoPhase m_who = WhoPhase::None;
    bool m_heldBlank = false; // a blank member line that may be the count's separator
};

bool ReplyReader::line(QByteArrayView line)
{
    switch (m_phase) {
    case Phase::Header:
        break;
    case Phase::Preamble:
        if (trimmed(line).isEmpty() || line == "--")
            break;
        m_phase = Phase::Body;
        bodyLine(line);
        break;
    case Phase::Body:
        bodyLine(line);
        break;
    case Phase::Done:
        break;
    }
    return m_phase != Phase::Done;
}

void ReplyReader::header(const MimeNode &message)
{
    m_reply.from = ParseMailAddress(message.header("From"));
    m_reply.to = ParseMailAddress(message.header("To"));
    m_rawSubject = trimmed(message.header("Subject")).toByteArray();
    m_reply.date = QDateTime::fromString(QString::fromLatin1(trimmed(message.header("Date"))),
                                         Qt::RFC2822Date);
    endHeader();
}

void ReplyReader::endHeader()
{
    const QByteArray &subject = m_rawSubject;
    const auto afterWord = [&](qsizetype length) {
        return trimmed(QByteArrayView(subject).sliced(length));
    };
    if (startsWithNoCase(subject, "Majordomo results")) {
        m_reply.kind = ServerMailKind::Results;
    } else if (subject.startsWith("APPROVE ")) {
        m_reply.kind = ServerMailKind::ApprovalRequest;
        m_reply.list = afterWord(8).toByteArray();
    } else if (subject.startsWith("BOUNCE ")) {
        m_reply.kind = ServerMailKind::Bounce;
        const QByteArrayView rest = afterWord(7);
        const qsizetype at = rest.indexOf('@');
        m_reply.list = (at > 0 ? rest.first(at) : rest).toByteArray();
    } else if (subject.startsWith("SUBSCRIBE ") || subject.startsWith("UNSUBSCRIBE ")) {
        const bool joined = subject.startsWith('S');
        m_reply.kind = joined ? ServerMailKind::SubscribeNotice : ServerMailKind::UnsubscribeNotice;
        const QByteArrayView rest = afterWord(joined ? 10 : 12);
        const qsizetype blank = rest.indexOf(' ');
        m_reply.list = (blank > 0 ? rest.first(blank) : rest).toByteArray();
        m_reply.address = blank > 0 ? trimmed(rest.sliced(blank)).toByteArray() : QByteArray();
    }
    m_phase = m_reply.kind == ServerMailKind::Results ? Phase::Preamble : Phase::Done;
}

void ReplyReader::bodyLine(QByteArrayView line)
{
    // A member list is the server's copy of the list file: any line can stand
    // in it, up to the count line.
    if (m_who == WhoPhase::Members) {
        memberLine(line);
        return;
    }
    if (line.startsWith("**** Help for ")) {
        finishCommand();
        m_phase = Phase::Done;
        return;
    }
    if (line.startsWith(">>>>")) {
        finishCommand();
        startCommand(line.sliced(4));
        return;
    }
    if (line == "END OF COMMANDS") {
        finishCommand();
        m_reply.endOfCommands = true;
        return;
    }
    if (isTrailerLine(line)) {
        finishCommand();
        m_reply.trailer.append(line.toByteArray());
        return;
    }
    if (!m_current) {
        if (!trimmed(line).isEmpty() && m_reply.trailer.size() < kMaxServerLines)
            m_reply.trailer.append(maskSecrets(line.toByteArray(), m_secrets));
        return;
    }
    if (m_current->who && m_who == WhoPhase::None && line.startsWith("Members of list ")) {
        m_who = WhoPhase::Heading;
        keepServerLine(line);
        if (m_options.sink.begin)
            m_options.sink.begin(m_current - m_reply.commands.data(), m_reply);
        return;
    }
    if (m_who == WhoPhase::Heading) {
        m_who = WhoPhase::Members;
        if (trimmed(line).isEmpty())
            return;
        memberLine(line); // no blank line: the list starts at once
        return;
    }
    keepServerLine(line);
    // Once pending, nothing in the quoted request or policy text changes it.
    if (m_markerFound && m_current->status == ReplyStatus::Pending)
        return;
    // A config is the list's own text: only the server's marked lines and
    // the first line speak about the command there; elsewhere the first lines
    // of an answer do.
    const qsizetype index = m_current->serverLines.size() - 1;
    if (!line.startsWith("**** ") && !line.startsWith(">>> ") &&
        index >= (m_current->word == "config" ? 1 : kMarkedLines))
        return;
    for (const Marker &marker : kMarkers) {
        if (line.indexOf(marker.text) < 0)
            continue;
        if (!m_markerFound || marker.status == ReplyStatus::Pending) {
            m_current->status = marker.status;
            m_current->reason = marker.reason;
            m_markerFound = true;
        }
        break;
    }
}

void ReplyReader::startCommand(QByteArrayView echoed)
{
    if (echoed.startsWith(' '))
        echoed = echoed.sliced(1);
    const QByteArray raw = echoed.toByteArray();
    // Blank and comment lines are echoed too, but are no commands.
    if (trimmed(raw).isEmpty() || trimmed(raw).startsWith('#'))
        return;
    CommandWords words = readCommand(raw);
    m_secrets += words.secrets;
    ReplyCommand command;
    command.line = maskSecrets(words.masked, m_secrets);
    command.word = words.word;
    command.list = words.list;
    command.kind = words.kind;
    if (command.word == "who")
        command.who = WhoResult{};
    m_reply.commands.append(command);
    m_current = &m_reply.commands.last();
    m_currentBytes = 0;
    m_markerFound = false;
    m_who = WhoPhase::None;
    m_heldBlank = false;
}

void ReplyReader::finishCommand()
{
    if (!m_current)
        return;
    ReplyCommand &command = *m_current;
    const bool ends = command.word == "end" || command.word.startsWith('-');
    if (!m_markerFound && !ends) {
        if (command.who && m_who != WhoPhase::None) {
            // A member list without its count line: the mail was cut.
            if (!command.who->complete)
                m_reply.partial = true;
        } else if (command.serverLines.isEmpty()) {
            command.status = ReplyStatus::NotRun;
        } else if (std::any_of(command.serverLines.cbegin(), command.serverLines.cend(),
                               [](const QByteArray &l) { return l.startsWith("**** "); })) {
            command.status = ReplyStatus::Failed;
        }
    }
    m_current = nullptr;
    m_who = WhoPhase::None;
}

void ReplyReader::keepServerLine(QByteArrayView line)
{
    ReplyCommand &command = *m_current;
    if (command.linesCut)
        return;
    if (command.serverLines.size() >= kMaxServerLines || m_currentBytes >= kMaxServerBytes) {
        command.linesCut = true;
        return;
    }
    m_currentBytes += line.size();
    command.serverLines.append(maskSecrets(line.toByteArray(), m_secrets));
}

void ReplyReader::memberLine(QByteArrayView line)
{
    WhoResult &who = *m_current->who;
    const qint64 count = subscriberCount(line);
    // The count ends the list when it agrees with the lines seen: a blank line
    // stands between them unless the list file's last line had no line end.
    if (count >= 0 && count == who.lines) {
        who.serverCount = count;
        who.complete = true;
        m_heldBlank = false;
        m_who = WhoPhase::AfterCount;
        keepServerLine(line);
        return;
    }
    if (m_heldBlank) {
        emitMember({});
        m_heldBlank = false;
    }
    if (trimmed(line).isEmpty()) {
        m_heldBlank = true;
        return;
    }
    emitMember(line.toByteArray());
}

void ReplyReader::emitMember(const QByteArray &line)
{
    WhoResult &who = *m_current->who;
    const RosterMember member = MakeRosterMember(line);
    ++who.lines;
    if (member.valid)
        ++who.valid;
    if (m_options.sink.member)
        m_options.sink.member(m_current - m_reply.commands.data(), member);
}

ServerReply ReplyReader::finish(const QString &readError)
{
    if (m_reply.kind == ServerMailKind::Results) {
        const bool trailing = m_current != nullptr;
        finishCommand();
        // The mail ended right after a command's echo: cut, not answered.
        if (trailing && !m_reply.commands.isEmpty() && !m_reply.endOfCommands &&
            m_reply.commands.last().status == ReplyStatus::NotRun)
            m_reply.partial = true;
        // The server found no command at all (a command mail it could not read).
        if (m_reply.commands.isEmpty() &&
            std::any_of(m_reply.trailer.cbegin(), m_reply.trailer.cend(),
                        [](const QByteArray &l) { return isTrailerLine(l); })) {
            ReplyCommand none;
            none.status = ReplyStatus::Failed;
            none.reason = ReplyReason::NoCommands;
            none.serverLines = m_reply.trailer;
            m_reply.commands.append(none);
        }
        if (m_reply.commands.isEmpty() && m_reply.error.isEmpty()) {
            m_reply.error = QStringLiteral("the reply holds no command results");
            m_reply.partial = true;
        }
    }
    if (!readError.isEmpty()) {
        m_reply.error = readError;
        m_reply.partial = true;
    }
    m_reply.subject = maskSecrets(m_rawSubject, m_secrets);
    return m_reply;
}

// The first text part of the mail, depth first: the server writes one plain
// text, a relay or a forwarding client may have wrapped or encoded it.
MimeNode textPart(const MimeNode &node, int depth = 0)
{
    if (node.isNull() || depth > 8)
        return {};
    if (node.isLeaf())
        return node.hasType("text", "*") ? node : MimeNode();
    if (node.isMessage())
        return textPart(node.body(), depth + 1);
    for (int i = 0; i < node.childCount(); ++i) {
        if (MimeNode text = textPart(node.child(i), depth + 1); !text.isNull())
            return text;
    }
    return {};
}

ServerReply readReply(QIODevice &device, const ReplyReadOptions &options)
{
    ReplyReader reader(options);
    MimeMail mail(device, options.bufferSize);
    const MimeNode message = mail.message();
    if (!mail.error().isEmpty() || message.isNull())
        return reader.finish(mail.error());
    reader.header(message);
    bool wanted = true;
    const QString error = mail.readLines(textPart(message), [&](QByteArrayView line) {
        if (wanted)
            wanted = reader.line(line);
    });
    return reader.finish(error);
}

} // namespace

const char *ReplyStatusName(ReplyStatus status)
{
    switch (status) {
    case ReplyStatus::Ok:
        return "ok";
    case ReplyStatus::Failed:
        return "failed";
    case ReplyStatus::Pending:
        return "pending";
    case ReplyStatus::NotRun:
        return "not-run";
    }
    return "";
}

const char *ReplyReasonName(ReplyReason reason)
{
    // clang-format off
    switch (reason) {
    case ReplyReason::None:             return "";
    case ReplyReason::Password:         return "password";
    case ReplyReason::UnknownList:      return "unknown-list";
    case ReplyReason::NotMember:        return "not-member";
    case ReplyReason::AlreadyMember:    return "already-member";
    case ReplyReason::InvalidAddress:   return "invalid-address";
    case ReplyReason::MultipleMatches:  return "multiple-matches";
    case ReplyReason::NeedsNewPassword: return "needs-new-password";
    case ReplyReason::Disabled:         return "disabled";
    case ReplyReason::Syntax:           return "syntax";
    case ReplyReason::NotRecognized:    return "not-recognized";
    case ReplyReason::NoCommands:       return "no-commands";
    case ReplyReason::ServerError:      return "server-error";
    }
    // clang-format on
    return "";
}

QString ReplyReasonText(ReplyReason reason)
{
    // clang-format off
    switch (reason) {
    case ReplyReason::None:             return {};
    case ReplyReason::Password:         return QCoreApplication::translate("ServerReply", "ﾊﾟｽﾜｰﾄﾞが違います");
    case ReplyReason::UnknownList:      return QCoreApplication::translate("ServerReply", "ﾘｽﾄ名が違います");
    case ReplyReason::NotMember:        return QCoreApplication::translate("ServerReply", "会員ではありません");
    case ReplyReason::AlreadyMember:    return QCoreApplication::translate("ServerReply", "既に会員です");
    case ReplyReason::InvalidAddress:   return QCoreApplication::translate("ServerReply", "ｱﾄﾞﾚｽが正しくありません");
    case ReplyReason::MultipleMatches:  return QCoreApplication::translate("ServerReply", "複数の会員に一致しました");
    case ReplyReason::NeedsNewPassword: return QCoreApplication::translate("ServerReply", "新規ﾊﾟｽﾜｰﾄﾞがありません");
    case ReplyReason::Disabled:         return QCoreApplication::translate("ServerReply", "ｺﾏﾝﾄﾞが使用できません");
    case ReplyReason::Syntax:           return QCoreApplication::translate("ServerReply", "書式の誤りがあります");
    case ReplyReason::NotRecognized:    return QCoreApplication::translate("ServerReply", "ｺﾏﾝﾄﾞではありません");
    case ReplyReason::NoCommands:       return QCoreApplication::translate("ServerReply", "ｺﾏﾝﾄﾞが見つかりませんでした");
    case ReplyReason::ServerError:      return QCoreApplication::translate("ServerReply", "ｻｰﾊﾞｰでｴﾗｰが起きました");
    }
    // clang-format on
    return {};
}

QString ServerMailKindText(ServerMailKind kind)
{
    switch (kind) {
    case ServerMailKind::Results:
        return QCoreApplication::translate("ServerReply", "ｺﾏﾝﾄﾞの実行結果です");
    case ServerMailKind::ApprovalRequest:
        return QCoreApplication::translate("ServerReply", "承認依頼のﾒｰﾙです");
    case ServerMailKind::Bounce:
        return QCoreApplication::translate("ServerReply", "投稿の保留を知らせるﾒｰﾙです");
    case ServerMailKind::SubscribeNotice:
        return QCoreApplication::translate("ServerReply", "入会のお知らせです");
    case ServerMailKind::UnsubscribeNotice:
        return QCoreApplication::translate("ServerReply", "退会のお知らせです");
    case ServerMailKind::Other:
        break;
    }
    return QCoreApplication::translate("ServerReply", "ﾘｽﾄｻｰﾊﾞｰからの返信ではありません");
}

bool ServerReply::allOk() const
{
    return isResults() && !partial && !commands.isEmpty() &&
           std::all_of(commands.cbegin(), commands.cend(),
                       [](const ReplyCommand &c) { return c.status == ReplyStatus::Ok; });
}

RosterMember MakeRosterMember(const QByteArray &line)
{
    // The server's own reading of a list line: balanced comments go (the
    // innermost first), then a quoted name with the blank after it; the line
    // splits at commas; of each part the text in the outermost <...> stays,
    // trimmed. A line that names more than one address is not valid.
    RosterMember member;
    member.line = line;
    // Most lines are a bare address.
    if (std::none_of(line.begin(), line.end(),
                     [](char c) { return c == '(' || c == '"' || c == ',' || c == '<'; })) {
        member.address = trimmed(line).toByteArray();
        member.valid = isValidMailbox(member.address);
        return member;
    }
    QByteArray text = line;
    // Each ")" with a "(" before it closes the innermost comment.
    for (qsizetype from = 0;;) {
        const qsizetype close = text.indexOf(')', from);
        if (close < 0)
            break;
        const qsizetype open = text.lastIndexOf('(', close);
        if (open < 0) {
            from = close + 1;
            continue;
        }
        text.remove(open, close - open + 1);
        from = open;
    }
    for (qsizetype quote = text.indexOf('"'); quote >= 0; quote = text.indexOf('"', quote)) {
        const qsizetype close = text.indexOf('"', quote + 1);
        if (close < 0 || close + 1 >= text.size() || !isBlank(text[close + 1])) {
            quote = close < 0 ? -1 : close + 1;
            if (quote < 0)
                break;
            continue;
        }
        text.remove(quote, close - quote + 2);
    }
    const QList<QByteArray> parts = text.split(',');
    QByteArray address = parts.first();
    const qsizetype open = address.lastIndexOf('<');
    const qsizetype close = address.lastIndexOf('>');
    if (open >= 0 && close > open)
        address = address.sliced(open + 1, close - open - 1);
    member.address = trimmed(address).toByteArray();
    member.valid = parts.size() == 1 && isValidMailbox(member.address);
    return member;
}

QByteArray MaskCommandLine(const QByteArray &line, QByteArrayList *secrets)
{
    CommandWords words = readCommand(line);
    if (secrets)
        *secrets += words.secrets;
    return words.masked;
}

ServerReply ReadServerReply(QIODevice &device, const ReplyReadOptions &options)
{
    return readReply(device, options);
}

ServerReply ReadServerReply(const QString &path, const ReplyReadOptions &options)
{
    ServerReply failed;
    failed.partial = true;
    QFile file(path);
    // Only a plain file is read: a FIFO would block the open and a device
    // such as /dev/zero never ends.
    if (path.isEmpty())
        failed.error = QStringLiteral("no file name given");
    else if (QString refused = SafeFile::readRefusal(path); !refused.isEmpty())
        failed.error = refused;
    else if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        failed.error = file.errorString();
    else
        return readReply(file, options);
    return failed;
}

ServerReplyWithMembers ReadServerReplyWithMembers(QIODevice &device, ReplyReadOptions options)
{
    ServerReplyWithMembers out;
    options.sink.member = [&out](qsizetype command, const RosterMember &member) {
        while (out.members.size() <= command)
            out.members.append(QList<RosterMember>());
        out.members[command].append(member);
    };
    out.reply = ReadServerReply(device, options);
    while (out.members.size() < out.reply.commands.size())
        out.members.append(QList<RosterMember>());
    return out;
}
