#include "commands/CommandComposer.h"

#include "commands/AddressExtraction.h"
#include "commands/OutgoingFolder.h"
#include "common/LineStream.h"
#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"
#include "store/SettingsStore.h"

#include <QCoreApplication>
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
    return QCoreApplication::translate("CommandComposer", "ｺﾏﾝﾄﾞﾒｰﾙ作成");
}

UserMessage refusal(const QString &text)
{
    return {text, composeCaption(), UserMessage::Icon::Stop};
}

// A refusal: what is wrong, then why that matters (if it needs saying),
// ending in the words every refusal of a mail ends in.
UserMessage notComposed(const QString &reason, const QString &why = {})
{
    return refusal(
        reason + u'\n' +
        (why.isEmpty()
             ? QCoreApplication::translate("CommandComposer", "ｺﾏﾝﾄﾞﾒｰﾙは作成しません")
             : QCoreApplication::translate("CommandComposer", "%1、ｺﾏﾝﾄﾞﾒｰﾙは作成しません")
                   .arg(why)));
}

UserMessage fileNotCreatedMessage()
{
    return {QCoreApplication::translate("CommandComposer", "ﾌｧｲﾙを作成できません"), QString(),
            UserMessage::Icon::None};
}

// A zone text that starts with a numeric offset, "+hhmm" or "-hhmm" (RFC 5322
// 3.3), alone or followed by a blank and a comment such as "(JST)": the
// offset in seconds.
std::optional<int> numericOffset(const QByteArray &zone)
{
    if (zone.size() < 5 || (zone[0] != '+' && zone[0] != '-'))
        return std::nullopt;
    for (int i = 1; i < 5; ++i) {
        if (zone[i] < '0' || zone[i] > '9')
            return std::nullopt;
    }
    if (zone.size() > 5 && zone[5] != ' ' && zone[5] != '\t')
        return std::nullopt;
    const int hours = (zone[1] - '0') * 10 + (zone[2] - '0');
    const int minutes = (zone[3] - '0') * 10 + (zone[4] - '0');
    if (minutes > 59)
        return std::nullopt;
    return (zone[0] == '-' ? -1 : 1) * (hours * 3600 + minutes * 60);
}

// The Date value as strftime gives it in the "C" locale: English names
// whatever the user's locale, since mail readers and the server expect them.
// The time is `when` in the offset the zone text names, so the header is
// true whatever zone the machine runs in; a zone that names no offset
// follows the machine's clock, the only time it can mean.
QByteArray formatDate(const QDateTime &when, const QByteArray &timeZone)
{
    static const char *const days[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static const char *const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::optional<int> offset = numericOffset(timeZone);
    const QDateTime shown = offset ? when.toUTC().addSecs(*offset) : when.toLocalTime();
    const QDate date = shown.date();
    const QTime time = shown.time();
    const auto two = [](int n) { return QByteArray::number(n).rightJustified(2, '0'); };
    return QByteArray(days[date.dayOfWeek() - 1]) + ", " + two(date.day()) + ' ' +
           months[date.month() - 1] + ' ' + QByteArray::number(date.year()) + ' ' +
           two(time.hour()) + ':' + two(time.minute()) + ':' + two(time.second()) + ' ' + timeZone;
}

struct Field
{
    const QByteArray *value;
    const char *label; // translated where a message names it
};

QString fieldName(const char *label)
{
    return QCoreApplication::translate("CommandComposer", label);
}

const char *const kArgumentLabel = QT_TRANSLATE_NOOP("CommandComposer", "ｺﾏﾝﾄﾞ欄");

// A CR or LF inside a field would start a header or command line of its own.
std::optional<UserMessage> checkNoLineBreaks(CommandKind kind, const CommandInput &in)
{
    const bool titleWritten = !in.UseQuillon && in.SaveMail;
    const bool argumentWritten = kind == CommandKind::ForcedUnsubscribe ||
                                 kind == CommandKind::ForcedSubscribe ||
                                 kind == CommandKind::ChangePassword;
    const Field fields[] = {
        {titleWritten ? &in.Title : nullptr, QT_TRANSLATE_NOOP("CommandComposer", "ﾀｲﾄﾙ")},
        {&in.Address, QT_TRANSLATE_NOOP("CommandComposer", "管理ｱﾄﾞﾚｽ")},
        {&in.ListName, QT_TRANSLATE_NOOP("CommandComposer", "ﾘｽﾄ名")},
        {&in.Passwd, QT_TRANSLATE_NOOP("CommandComposer", "管理ﾊﾟｽﾜｰﾄﾞ")},
        {argumentWritten ? &in.Argument : nullptr, kArgumentLabel},
        {&in.Sender, QT_TRANSLATE_NOOP("CommandComposer", "ﾒｰﾙｱﾄﾞﾚｽ")},
        {&in.TimeZone, QT_TRANSLATE_NOOP("CommandComposer", "ﾀｲﾑｿﾞｰﾝ")},
    };
    for (const Field &field : fields) {
        if (field.value && (field.value->contains('\r') || field.value->contains('\n')))
            return notComposed(
                QCoreApplication::translate("CommandComposer", "%1 に改行が含まれています")
                    .arg(fieldName(field.label)));
    }
    return std::nullopt;
}

// The server joins a command line that ends in a backslash (blanks after it
// allowed) with the next one: an address could swallow the "end" line, a
// password the next command.
std::optional<UserMessage> checkNoTrailingBackslash(const QString &label, const QByteArray &value)
{
    if (!value.trimmed().endsWith('\\'))
        return std::nullopt;
    return notComposed(
        QCoreApplication::translate("CommandComposer", "%1 の末尾が「\\」です").arg(label),
        QCoreApplication::translate("CommandComposer", "ｻｰﾊﾞｰは次の行とつなげて読むため"));
}

std::optional<UserMessage> checkCommandFields(CommandKind kind, const CommandInput &in)
{
    const Field fields[] = {
        {&in.ListName, QT_TRANSLATE_NOOP("CommandComposer", "ﾘｽﾄ名")},
        {&in.Passwd, QT_TRANSLATE_NOOP("CommandComposer", "管理ﾊﾟｽﾜｰﾄﾞ")},
        {kind == CommandKind::ChangePassword ? &in.Argument : nullptr, kArgumentLabel},
    };
    for (const Field &field : fields) {
        if (!field.value)
            continue;
        if (auto refused = checkNoTrailingBackslash(fieldName(field.label), *field.value))
            return refused;
    }
    return std::nullopt;
}

// One item of an address field.
struct AddressItem
{
    QByteArrayView text;
    // A comma inside the address itself ("<"a,b"@x>"), or in a quote, comment
    // or "<" left open (which may hide further addresses): unlike one in a
    // display name or a comment, it cannot be reduced away, and the server
    // cuts every line at its commas.
    bool commaInAddress = false;
};

// The items of an address field, cut at the commas that separate addresses
// (RFC 5322 3.4): not those inside a quoted name, a comment or "<...>".
QList<AddressItem> splitAddressList(QByteArrayView field)
{
    QList<AddressItem> items;
    AddressItem item;
    bool inQuote = false;
    bool inAngle = false;
    bool angleSeen = false;
    bool quotedComma = false; // outside "<...>": a local part, unless a "<" follows
    int commentDepth = 0;
    qsizetype start = 0;
    const auto finish = [&](qsizetype end) {
        item.text = field.sliced(start, end - start);
        const bool leftOpen = inQuote || inAngle || commentDepth > 0;
        item.commaInAddress |= (quotedComma && !angleSeen) || leftOpen;
        items.append(item);
        item = AddressItem();
        inQuote = inAngle = angleSeen = quotedComma = false;
        commentDepth = 0;
        start = end + 1;
    };
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if ((inQuote || commentDepth > 0) && c == '\\') {
            ++i; // a quoted pair: the next byte is plain text
        } else if (inQuote) {
            inQuote = c != '"';
            if (c == ',')
                (inAngle ? item.commaInAddress : quotedComma) = true;
        } else if (commentDepth > 0) {
            commentDepth += int(c == '(') - int(c == ')'); // comments nest (RFC 5322 3.2.2)
        } else if (c == '(') {
            commentDepth = 1;
        } else if (c == '"') {
            inQuote = true;
        } else if (c == '<') {
            inAngle = angleSeen = true;
        } else if (c == '>') {
            inAngle = false;
        } else if (c == ',') {
            if (inAngle)
                item.commaInAddress = true;
            else
                finish(i);
        }
    }
    finish(field.size());
    return items;
}

// One command line per address of the field. An empty item would give a line
// without an address, which the server carries out on the sender, the owner;
// it is skipped. The server cuts a line at every comma, so an item that still
// holds one ("Doe, John" <john@...>) goes as its bare address.
std::optional<UserMessage> membershipAddresses(QByteArrayView field, QByteArrayList &addresses)
{
    for (const AddressItem &item : splitAddressList(field)) {
        QByteArray address = item.text.toByteArray().trimmed();
        if (address.isEmpty())
            continue;
        if (address.contains(',')) {
            const QByteArray bare = ParseMailAddress(address);
            if (item.commaInAddress || bare.isEmpty())
                return notComposed(
                    QCoreApplication::translate("CommandComposer",
                                                "%1 の「%2」から1つのｱﾄﾞﾚｽを取り出せません")
                        .arg(fieldName(kArgumentLabel), QString::fromLocal8Bit(address)));
            address = bare;
        }
        if (auto refused = checkNoTrailingBackslash(
                QCoreApplication::translate("CommandComposer", "%1 のｱﾄﾞﾚｽ「%2」")
                    .arg(fieldName(kArgumentLabel), QString::fromLocal8Bit(address)),
                address))
            return refused;
        addresses.append(address);
    }
    if (addresses.isEmpty())
        return notComposed(
            QCoreApplication::translate("CommandComposer", "%1 にｱﾄﾞﾚｽがありません")
                .arg(fieldName(kArgumentLabel)),
            QCoreApplication::translate("CommandComposer",
                                        "ｱﾄﾞﾚｽのない行はｻｰﾊﾞｰが管理者自身に実行するため"));
    return std::nullopt;
}

// Appends the lines of the file at path, each ending in exactly one CR LF.
// Refuses a file that cannot be read: a placeholder in its place would be
// installed by the server as the list's text. Refuses a line that is exactly
// "EOF": the server ends the text there and runs what follows as commands.
std::optional<UserMessage> appendEmbeddedFile(QByteArray &mail, const QByteArray &path)
{
    const QString fileName = QString::fromLocal8Bit(path);
    if (fileName.isEmpty())
        return notComposed(
            QCoreApplication::translate("CommandComposer", "送るﾌｧｲﾙが指定されていません"));
    const auto unreadable = [&fileName](const QString &reason) {
        return notComposed(QCoreApplication::translate("CommandComposer", "%1 を読めません: %2")
                               .arg(fileName, reason));
    };
    // Only a plain file holds a text: a FIFO would block the open and a device
    // such as /dev/zero never ends.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return unreadable(
            QCoreApplication::translate("CommandComposer", "通常のﾌｧｲﾙではありません"));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return unreadable(file.errorString());
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return unreadable(file.errorString());

    // No CR stays in the text: a kept CR before the LF makes the server miss
    // the "EOF" marker; one inside a line is turned into a line end on the
    // way (the SMTP sender does so), which could bring out an "EOF" line that
    // was not checked here.
    LineStream lines(content, LineStream::CrRule::EndsLine);
    QByteArrayView line;
    int lineNumber = 0;
    while (lines.nextLine(line)) {
        ++lineNumber;
        if (line == "EOF")
            return refusal(QCoreApplication::translate(
                               "CommandComposer", "%1 の %2 行目が「EOF」だけの行です\n"
                                                  "ｻｰﾊﾞｰはそこで本文を終え、以降の行をｺﾏﾝﾄﾞとして"
                                                  "実行するため、ｺﾏﾝﾄﾞﾒｰﾙは作成しません")
                               .arg(fileName, QString::number(lineNumber)));
        mail += line;
        mail += kCrLf;
    }
    return std::nullopt;
}

// The three kinds that carry a file's text, ended by the "EOF" line.
struct Replacement
{
    const char *subject;
    const char *command;
};

const Replacement &replacementOf(CommandKind kind)
{
    static const Replacement info{"New Info ", "newinfo"};
    static const Replacement intro{"New Intro ", "newintro"};
    static const Replacement config{"New Config ", "newconfig"};
    return kind == CommandKind::NewInfo ? info : kind == CommandKind::NewIntro ? intro : config;
}

void appendMembershipLines(QByteArray &mail, const CommandInput &in,
                           const QByteArrayList &addresses, const char *command)
{
    for (const QByteArray &address : addresses)
        mail += "approve " + in.Passwd + ' ' + command + ' ' + in.ListName + ' ' + address + kCrLf;
}

// The server's passwd command changes its password file only: the config's
// admin_passwd stays as it was and goes on working.
UserMessage passwordChangeNotice()
{
    return {QCoreApplication::translate(
                "CommandComposer",
                "ｻｰﾊﾞｰが変えるのはﾊﾟｽﾜｰﾄﾞﾌｧｲﾙだけです\n"
                "config の admin_passwd は、新しい config を送るまで古いﾊﾟｽﾜｰﾄﾞのままです"
                "（古いﾊﾟｽﾜｰﾄﾞも使えます）"),
            composeCaption(), UserMessage::Icon::Information};
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
    const Keyring::Read password = ListPassword(entry);
    in.Passwd = password.value;
    in.PasswdError = password.error;
    in.Argument = argument;
    in.Sender = settings.Address;
    in.TimeZone = settings.TimeZone;
    in.UseQuillon = settings.UseQuillon != 0;
    in.SaveMail = settings.SaveMail != 0;
    in.NoSignature = settings.NoSignature != 0;
    return in;
}

QByteArray ComposeHeaders(const CommandInput &in, const QDateTime &when)
{
    QByteArray headers;
    if (!in.UseQuillon && in.SaveMail)
        headers += "X-Tavelin-ML: " + in.Title + kCrLf;
    else if (in.UseQuillon && in.NoSignature)
        headers += "X-Quillon-Signature: " + QStringLiteral("(無し)").toLocal8Bit() + kCrLf;
    headers += "To: " + in.Address + kCrLf;
    headers += "From: " + in.Sender + kCrLf;
    headers += "Date: " + formatDate(when, in.TimeZone) + kCrLf;
    return headers;
}

ComposedMail ComposeCommandMail(CommandKind kind, const CommandInput &in, const QDateTime &when)
{
    if (!in.PasswdError.isEmpty())
        return {{}, notComposed(in.PasswdError)};
    if (std::optional<UserMessage> refused = checkNoLineBreaks(kind, in))
        return {{}, refused};
    if (std::optional<UserMessage> refused = checkCommandFields(kind, in))
        return {{}, refused};
    QByteArrayList addresses;
    if (kind == CommandKind::ForcedUnsubscribe || kind == CommandKind::ForcedSubscribe) {
        if (std::optional<UserMessage> refused = membershipAddresses(in.Argument, addresses))
            return {{}, refused};
    }

    QByteArray mail = ComposeHeaders(in, when);
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
        appendMembershipLines(mail, in, addresses, "unsubscribe");
        break;
    case CommandKind::ForcedSubscribe:
        subject("subscribe " + list + ' ' + in.Argument);
        appendMembershipLines(mail, in, addresses, "subscribe");
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
        refused = appendEmbeddedFile(mail, in.Argument);
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
    std::optional<UserMessage> notice;
    if (kind == CommandKind::ChangePassword)
        notice = passwordChangeNotice();
    return {mail, std::nullopt, notice};
}

UserMessage CommandNotComposedMessage()
{
    return {QCoreApplication::translate("CommandComposer", "ｺﾏﾝﾄﾞ作成に失敗しました"), QString(),
            UserMessage::Icon::None};
}

QueueResult QueueCommand(const QString &folder, CommandKind kind, const CommandInput &input,
                         const QDateTime &when)
{
    const ComposedMail mail = ComposeCommandMail(kind, input, when);
    if (!mail.ok())
        return {{}, mail.refusal, {}};

    // A half-written mail would still be sent (approve lines without their
    // end, a config without its EOF): the mail takes its queued name only
    // when whole.
    const OutgoingFolder::CreatedFile created = OutgoingFolder::WriteQueuedFile(
        folder, [&mail](QIODevice &file) { return file.write(mail.text) == mail.text.size(); });
    if (!created.ok())
        return {{}, fileNotCreatedMessage(), created.error};
    return {created.path, std::nullopt, {}, mail.notice};
}
