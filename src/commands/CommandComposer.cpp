#include "CommandComposer.h"

#include "commands/OutgoingFolder.h"
#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr const char *kKindNames[kCommandKindCount] = {
    "ForcedUnsubscribe", "ForcedSubscribe", "ChangePassword", "MemberList",
    "NewInfo",           "NewIntro",        "GetConfig",      "NewConfig",
};

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

QString composeCaption()
{
    return QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙ作成");
}

UserMessage refusal(const QString &text)
{
    return {text, composeCaption(), UserMessage::Icon::Stop};
}

UserMessage fileNotCreatedMessage()
{
    return {QStringLiteral("ﾌｧｲﾙを作成できません"), QString(), UserMessage::Icon::None};
}

// The Date value as strftime gives it in the "C" locale: English names
// whatever the user's locale, since mail readers and the server expect them.
QByteArray formatDate(const QDateTime &localTime, const QByteArray &timeZone)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const auto two = [](int n) { return QByteArray::number(n).rightJustified(2, '0'); };
    return QByteArray(days[date.dayOfWeek() - 1]) + ", " + two(date.day()) + ' ' +
           months[date.month() - 1] + ' ' + QByteArray::number(date.year()) + ' ' +
           two(time.hour()) + ':' + two(time.minute()) + ':' + two(time.second()) + ' ' + timeZone;
}

struct Field
{
    const QByteArray *value;
    const char16_t *label;
};

// A CR or LF inside a field would start a header or command line of its own.
std::optional<UserMessage> checkNoLineBreaks(CommandKind kind, const CommandInput &in)
{
    const bool titleWritten = !in.UseQuillon && in.SaveMail;
    const bool argumentWritten = kind == CommandKind::ForcedUnsubscribe ||
                                 kind == CommandKind::ForcedSubscribe ||
                                 kind == CommandKind::ChangePassword;
    const Field fields[] = {
        {titleWritten ? &in.Title : nullptr, u"ﾀｲﾄﾙ"},
        {&in.Address, u"管理ｱﾄﾞﾚｽ"},
        {&in.ListName, u"ﾘｽﾄ名"},
        {&in.Passwd, u"管理ﾊﾟｽﾜｰﾄﾞ"},
        {argumentWritten ? &in.Argument : nullptr, u"ｺﾏﾝﾄﾞ欄"},
        {&in.Sender, u"ﾒｰﾙｱﾄﾞﾚｽ"},
        {&in.TimeZone, u"ﾀｲﾑｿﾞｰﾝ"},
    };
    for (const Field &field : fields) {
        if (field.value && (field.value->contains('\r') || field.value->contains('\n')))
            return refusal(QStringLiteral("%1 に改行が含まれています\nｺﾏﾝﾄﾞﾒｰﾙは作成しません")
                               .arg(QString::fromUtf16(field.label)));
    }
    return std::nullopt;
}

// Appends the lines of the file at path, each ending in exactly one CR LF, or
// the placeholder line when the file cannot be opened. Refuses a line that is
// exactly "EOF": the server ends the text there and runs what follows as
// commands.
std::optional<UserMessage> appendEmbeddedFile(QByteArray &mail, const QByteArray &path,
                                              const char *placeholder)
{
    const QString fileName = QString::fromLocal8Bit(path);
    QFile file(fileName);
    // Only a plain file holds a text: a FIFO would block the open and a device
    // such as /dev/zero never ends, so they count as files that cannot be opened.
    if (fileName.isEmpty() || !QFileInfo(fileName).isFile() || !file.open(QIODevice::ReadOnly)) {
        mail += placeholder + kCrLf;
        return std::nullopt;
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refusal(QStringLiteral("%1 を読めません\nｺﾏﾝﾄﾞﾒｰﾙは作成しません").arg(fileName));

    const char *p = content.constData();
    const char *const end = p + content.size();
    int lineNumber = 0;
    while (p < end) {
        // A line ends at LF or at a run of CRs, with or without an LF after
        // it: no CR stays in the text. A kept CR before the LF makes the
        // server miss the "EOF" marker; one inside a line is turned into a
        // line end on the way (the SMTP sender does so), which could bring
        // out an "EOF" line that was not checked here.
        const char *lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        const QByteArrayView line(p, lineEnd - p);
        ++lineNumber;
        if (line == "EOF")
            return refusal(QStringLiteral("%1 の %2 行目が「EOF」だけの行です\n"
                                          "ｻｰﾊﾞｰはそこで本文を終え、以降の行をｺﾏﾝﾄﾞとして"
                                          "実行するため、ｺﾏﾝﾄﾞﾒｰﾙは作成しません")
                               .arg(fileName, QString::number(lineNumber)));
        mail += line;
        mail += kCrLf;
        p = lineEnd;
        while (p < end && *p == '\r')
            ++p;
        if (p < end && *p == '\n')
            ++p;
    }
    return std::nullopt;
}

// The three kinds that carry a file's text, ended by the "EOF" line.
struct Replacement
{
    const char *subject;
    const char *command;
    const char *placeholder; // in place of a file that cannot be opened
};

const Replacement &replacementOf(CommandKind kind)
{
    static const Replacement info{"New Info ", "newinfo", "<<Info message(s)>>"};
    static const Replacement intro{"New Intro ", "newintro", "<<Intro message(s)>>"};
    static const Replacement config{"New Config ", "newconfig", "<<config message(s)>>"};
    return kind == CommandKind::NewInfo ? info : kind == CommandKind::NewIntro ? intro : config;
}

void appendMembershipLines(QByteArray &mail, const CommandInput &in, const char *command)
{
    // Each piece between commas is used as it is, blanks and empty pieces
    // included, so the lines match the Subject exactly.
    for (const QByteArray &address : in.Argument.split(','))
        mail += "approve " + in.Passwd + ' ' + command + ' ' + in.ListName + ' ' + address + kCrLf;
}

} // namespace

std::optional<CommandKind> CommandKindFromTab(int tab)
{
    if (tab < 0 || tab >= kCommandKindCount)
        return std::nullopt;
    return CommandKind(tab);
}

const char *CommandKindName(CommandKind kind)
{
    return kKindNames[int(kind)];
}

std::optional<CommandKind> ParseCommandKind(const QString &text)
{
    bool isNumber = false;
    const int tab = text.toInt(&isNumber);
    if (isNumber)
        return CommandKindFromTab(tab);
    for (int i = 0; i < kCommandKindCount; ++i) {
        if (text.compare(QLatin1String(kKindNames[i]), Qt::CaseInsensitive) == 0)
            return CommandKind(i);
    }
    return std::nullopt;
}

CommandInput MakeCommandInput(const MailingListEntry &entry, const CommonSettings &settings,
                              const QByteArray &argument)
{
    CommandInput in;
    in.Title = entry.Title;
    in.Address = entry.Address;
    in.ListName = entry.ListName;
    in.Passwd = entry.Passwd;
    in.Argument = argument;
    in.Sender = settings.Address;
    in.TimeZone = settings.TimeZone;
    in.UseQuillon = settings.UseQuillon != 0;
    in.SaveMail = settings.SaveMail != 0;
    in.NoSignature = settings.NoSignature != 0;
    return in;
}

QByteArray ComposeHeaders(const CommandInput &in, const QDateTime &localTime)
{
    QByteArray headers;
    if (!in.UseQuillon && in.SaveMail)
        headers += "X-Tavelin-ML: " + in.Title + kCrLf;
    else if (in.UseQuillon && in.NoSignature)
        headers += "X-Quillon-Signature: " + QStringLiteral("(無し)").toLocal8Bit() + kCrLf;
    headers += "To: " + in.Address + kCrLf;
    headers += "From: " + in.Sender + kCrLf;
    headers += "Date: " + formatDate(localTime, in.TimeZone) + kCrLf;
    return headers;
}

ComposedMail ComposeCommandMail(CommandKind kind, const CommandInput &in,
                                const QDateTime &localTime)
{
    if (std::optional<UserMessage> refused = checkNoLineBreaks(kind, in))
        return {{}, refused};

    QByteArray mail = ComposeHeaders(in, localTime);
    const QByteArray &list = in.ListName;
    const QByteArray &pw = in.Passwd;
    const auto subject = [&mail](const QByteArray &text) {
        mail += "Subject: " + text + kCrLf + kCrLf;
    };
    std::optional<UserMessage> refused;
    const char *last = "end";
    switch (kind) {
    case CommandKind::ForcedUnsubscribe:
        subject("unsubscribe " + list + ' ' + in.Argument);
        appendMembershipLines(mail, in, "unsubscribe");
        break;
    case CommandKind::ForcedSubscribe:
        subject("subscribe " + list + ' ' + in.Argument);
        appendMembershipLines(mail, in, "subscribe");
        break;
    case CommandKind::ChangePassword:
        subject("Change Password " + list);
        mail += "passwd " + list + ' ' + pw + ' ' + in.Argument + kCrLf;
        break;
    case CommandKind::MemberList:
        subject("Who " + list + ' ');
        mail += "approve " + pw + " who " + list + kCrLf;
        break;
    case CommandKind::NewInfo:
    case CommandKind::NewIntro:
    case CommandKind::NewConfig: {
        const Replacement &r = replacementOf(kind);
        subject(QByteArray(r.subject) + list);
        mail += r.command + (' ' + list) + ' ' + pw + kCrLf;
        refused = appendEmbeddedFile(mail, in.Argument, r.placeholder);
        last = "EOF";
        break;
    }
    case CommandKind::GetConfig:
        subject("Get Config " + list);
        mail += "config " + list + ' ' + pw + kCrLf;
        break;
    }
    if (refused)
        return {{}, refused};
    mail += last + kCrLf;
    return {mail, std::nullopt};
}

UserMessage CommandNotComposedMessage()
{
    return {QStringLiteral("ｺﾏﾝﾄﾞ作成に失敗しました"), QString(), UserMessage::Icon::None};
}

QueueResult QueueCommand(const QString &folder, CommandKind kind, const CommandInput &input,
                         const QDateTime &localTime)
{
    const ComposedMail mail = ComposeCommandMail(kind, input, localTime);
    if (!mail.ok())
        return {{}, mail.refusal, {}};

    // A half-written mail would still be sent (approve lines without their
    // end, a config without its EOF): the mail takes its queued name only
    // when whole.
    const OutgoingFolder::CreatedFile created = OutgoingFolder::WriteQueuedFile(
        folder, [&mail](QIODevice &file) { return file.write(mail.text) == mail.text.size(); });
    if (!created.ok())
        return {{}, fileNotCreatedMessage(), created.error};
    return {created.path, std::nullopt, {}};
}
