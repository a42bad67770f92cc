#include "fetch/MailSorter.h"

#include "commands/AddressExtraction.h"
#include "commands/MimeMail.h"
#include "commands/ReturnedMail.h"
#include "commands/Roster.h"

#include <QDateTime>
#include <QIODevice>

#include <memory>

namespace {

constexpr qint64 kMaxHeader = 256 * 1024;
// How much of a body is looked at for the server's own short mails.
constexpr qint64 kMaxNoticeBody = 64 * 1024;

bool startsWithNoCase(QByteArrayView text, QByteArrayView prefix)
{
    return text.size() >= prefix.size() &&
           qstrnicmp(text.data(), prefix.size(), prefix.data(), prefix.size()) == 0;
}

bool containsNoCase(const QByteArray &haystack, QByteArrayView needle)
{
    return haystack.toLower().contains(needle.toByteArray().toLower());
}

QByteArray localPart(const QByteArray &address)
{
    const qsizetype at = address.lastIndexOf('@');
    return (at < 0 ? address : address.left(at)).toLower();
}

// The subject for people: RFC 2047 words decoded, on one line.
QString decodedSubject(const QByteArray &raw)
{
    QString text = QString::fromUtf8(DecodeHeaderText(raw));
    for (QChar &c : text) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return text.simplified();
}

QDate mailDate(const QByteArray &date)
{
    QByteArray text = date.simplified();
    // RFC 5322 3.3: a day name may lead, a comment may follow the zone.
    if (const qsizetype comma = text.indexOf(','); comma >= 0)
        text = text.mid(comma + 1).trimmed();
    if (const qsizetype comment = text.indexOf('('); comment >= 0)
        text = text.left(comment).trimmed();
    const QDateTime parsed = QDateTime::fromString(QString::fromLatin1(text), Qt::RFC2822Date);
    return parsed.isValid() ? parsed.date() : QDate::currentDate();
}

// The list a returned mail came back for: its recipients (the list's owner
// address, where the server sends the returned mails of a list), else the
// only list of the register.
int listOfBounce(const MailHeader &header, const ListRegister &lists)
{
    for (qsizetype i = 0; i < lists.size(); ++i) {
        const QByteArray name = lists.at(i).ListName.toLower();
        if (name.isEmpty())
            continue;
        for (const QByteArray &recipient : header.recipients) {
            const QByteArray local = localPart(ParseMailAddress(recipient));
            if (local == "owner-" + name || local == name + "-owner" ||
                local == name + "-approval" || local == "bounce-" + name || local == name)
                return int(i);
        }
    }
    return lists.size() == 1 ? 0 : -1;
}

// The list a reply is about: the only list whose command address sent it,
// else the only list of the register.
int listOfReply(const QByteArray &sender, const ListRegister &lists)
{
    int found = -1;
    for (qsizetype i = 0; i < lists.size(); ++i) {
        if (ParseMailAddress(lists.at(i).Address).compare(sender, Qt::CaseInsensitive) != 0)
            continue;
        if (found >= 0)
            return -1; // several lists of one server: the reply's commands would say
        found = int(i);
    }
    return found >= 0 ? found : lists.size() == 1 ? 0 : -1;
}

// The list a notice, request or held post is about: the one the server and
// the list name say; a held post comes from the list's owner address, so
// then the only list of that name, else the only list of the register.
int listOfServerMail(const ServerReply &reply, const ListRegister &lists)
{
    if (const qsizetype found = FindRegisteredList(lists, reply.from, reply.list); found >= 0)
        return int(found);
    int named = -1;
    for (qsizetype i = 0; i < lists.size(); ++i) {
        if (lists.at(i).ListName.compare(reply.list, Qt::CaseInsensitive) != 0)
            continue;
        if (named >= 0)
            return -1;
        named = int(i);
    }
    return named >= 0 ? named : lists.size() == 1 ? 0 : -1;
}

bool isServer(const QByteArray &sender, const ListRegister &lists)
{
    const QByteArray local = localPart(sender);
    if (local == "majordomo" || local == "majordomo-owner")
        return true;
    for (const MailingListEntry &list : lists) {
        if (ParseMailAddress(list.Address).compare(sender, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The standard marks of a returned mail (RFC 3464 2, RFC 5321 4.5.5) and the
// senders and subjects the common servers give them.
bool looksReturned(const MailHeader &header, const QByteArray &sender)
{
    if (containsNoCase(header.contentType, "report"))
        return true;
    if (header.returnPath.simplified() == "<>")
        return true;
    const QByteArray local = localPart(sender);
    if (local == "mailer-daemon" || local == "postmaster" || local == "mail-daemon" ||
        containsNoCase(header.from, "mail delivery"))
        return true;
    static const char *const kSubjects[] = {
        "undeliver",
        "returned mail",
        "delivery status",
        "failure notice",
        "delivery fail",
        "not delivered",
        "nondeliver",
        "mail delivery",
        "failed delivery",
        "could not be delivered",
        "delivery notification",
    };
    for (const char *subject : kSubjects) {
        if (containsNoCase(header.subject, subject))
            return true;
    }
    return false;
}

// The first text line of the body that, blanks removed, starts with `word`.
bool bodyHasCommand(QIODevice &device, QByteArrayView word)
{
    device.seek(0);
    bool inBody = false;
    qint64 read = 0;
    while (!device.atEnd() && read < kMaxHeader + kMaxNoticeBody) {
        const QByteArray line = device.readLine(4096);
        read += line.size();
        const QByteArray trimmed = line.trimmed();
        if (!inBody) {
            inBody = trimmed.isEmpty();
            continue;
        }
        if (startsWithNoCase(trimmed, word) &&
            (trimmed.size() == word.size() || trimmed.at(word.size()) == ' ' ||
             trimmed.at(word.size()) == '\t'))
            return true;
    }
    return false;
}

// The sender of the post a server holds for approval: the first From: line
// of the body, where the post is quoted whole.
QByteArray heldPostSender(QIODevice &device)
{
    device.seek(0);
    bool inBody = false;
    qint64 read = 0;
    while (!device.atEnd() && read < kMaxHeader + kMaxNoticeBody) {
        const QByteArray line = device.readLine(4096);
        read += line.size();
        if (!inBody) {
            inBody = line.trimmed().isEmpty();
            continue;
        }
        if (startsWithNoCase(line, "From:"))
            return ParseMailAddress(QByteArrayView(line).sliced(5));
    }
    return {};
}

} // namespace

const char *mailKindName(MailKind kind)
{
    switch (kind) {
    case MailKind::Reply:
        return "reply";
    case MailKind::Bounce:
        return "bounce";
    case MailKind::Approval:
        return "approval";
    case MailKind::Notice:
        return "notice";
    case MailKind::Other:
        break;
    }
    return "other";
}

MailHeader ReadMailHeader(QIODevice &device)
{
    MailHeader header;
    device.seek(0);
    QByteArray field;
    qint64 read = 0;
    auto take = [&header](const QByteArray &line) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            return;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        // The first of each field counts: a later one is a forger's or a
        // relay's, and the first is what the mail program shows.
        auto first = [&value](QByteArray &into) {
            if (into.isEmpty())
                into = value;
        };
        if (name == "from")
            first(header.from);
        else if (name == "subject")
            first(header.subject);
        else if (name == "message-id")
            first(header.messageId);
        else if (name == "content-type")
            first(header.contentType);
        else if (name == "return-path")
            first(header.returnPath);
        else if (name == "date")
            first(header.date);
        else if (name == "to" || name == "cc" || name == "delivered-to" ||
                 name == "x-original-to" || name == "envelope-to" || name == "x-envelope-to") {
            for (const QByteArray &part : value.split(','))
                header.recipients.append(part.trimmed());
        }
    };
    while (!device.atEnd() && read < kMaxHeader) {
        QByteArray line = device.readLine(kMaxHeader);
        read += line.size();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            break;
        if (line.front() == ' ' || line.front() == '\t') {
            field += ' ' + line.trimmed();
            continue;
        }
        take(field);
        field = line;
    }
    take(field);
    return header;
}

SortedMail SortMail(QIODevice &device, const ListRegister &lists)
{
    SortedMail mail;
    const MailHeader header = ReadMailHeader(device);
    mail.subject = decodedSubject(header.subject);
    mail.messageId = header.messageId;
    mail.date = mailDate(header.date);
    const QByteArray sender = ParseMailAddress(header.from);

    // The list server's own mails, as the reply reader tells them apart; a
    // mail that only borrows such a subject is not the server's.
    ReplyReadOptions options;
    for (const MailingListEntry &list : lists) {
        if (!list.Passwd.isEmpty())
            options.secrets.append(list.Passwd);
    }
    device.seek(0);
    const ServerReply reply = ReadServerReply(device, options);
    const bool fromServer =
        isServer(sender, lists) || localPart(sender) == "owner-" + reply.list.toLower();
    const int named = listOfServerMail(reply, lists);
    switch (reply.kind) {
    case ServerMailKind::Results:
        mail.kind = MailKind::Reply;
        mail.list = listOfReply(sender, lists);
        mail.reply = reply;
        return mail;
    case ServerMailKind::SubscribeNotice:
    case ServerMailKind::UnsubscribeNotice:
        if (!fromServer)
            break;
        mail.kind = MailKind::Notice;
        mail.subscribe = reply.kind == ServerMailKind::SubscribeNotice;
        mail.list = named;
        if (const QByteArray address = ParseMailAddress(reply.address); !address.isEmpty())
            mail.addresses.append(address);
        return mail;
    case ServerMailKind::ApprovalRequest: {
        if (!fromServer)
            break;
        mail.kind = MailKind::Approval;
        mail.list = named;
        device.seek(0);
        const ExtractionResult found = ExtractErrorMailAddresses(device);
        mail.addresses = found.addresses;
        mail.error = found.error;
        mail.subscribe = !bodyHasCommand(device, "unsubscribe");
        return mail;
    }
    case ServerMailKind::Bounce:
        // A post the server holds for the owner: its sender may be let in.
        if (!fromServer)
            break;
        mail.kind = MailKind::Approval;
        mail.list = named;
        if (const QByteArray address = heldPostSender(device); !address.isEmpty())
            mail.addresses.append(address);
        return mail;
    case ServerMailKind::Other:
        break;
    }
    if (!looksReturned(header, sender))
        return mail;
    device.seek(0);
    const ReturnedMailReading reading = ReadReturnedMail(device);
    mail.error = reading.error;
    if (reading.recipients.isEmpty())
        return mail; // a delay notice, an auto-reply: nothing failed
    mail.kind = MailKind::Bounce;
    mail.list = listOfBounce(header, lists);
    for (const FailedRecipient &recipient : reading.recipients) {
        mail.addresses.append(recipient.address);
        mail.reasons.append(recipient.reason.isEmpty() ? QByteArray(recipient.rule)
                                                       : recipient.reason);
    }
    return mail;
}
