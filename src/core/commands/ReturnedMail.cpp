#include "commands/ReturnedMail.h"

#include "commands/AddressExtraction.h"
#include "commands/MimeMail.h"
#include "commands/ReportText.h"
#include "store/SafeFile.h"

#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <utility>

namespace {

// ---------------------------------------------------------------------------
// The delivery-status part (RFC 3464 2.2, 2.3): groups of fields separated by
// empty lines; each group that names a recipient and an action is one
// recipient. Some servers write "Action : failed" or "rfc/822;".

struct StatusGroup
{
    QByteArray original;
    QByteArray final;
    QByteArray action;
    QByteArray status;     // "5.1.1"
    QByteArray diagnostic; // "smtp; 550 5.1.1 User unknown"
};

QByteArray statusAddress(QByteArrayView value)
{
    const qsizetype semicolon = value.indexOf(';');
    if (semicolon >= 0)
        value = value.sliced(semicolon + 1);
    value = trimmedStart(value);
    QByteArray address = ParseMailAddress(value);
    return isAddress(address) ? address : QByteArray();
}

class StatusReader
{
public:
    explicit StatusReader(Collector &collector) : m_collector(collector) {}
    void line(QByteArrayView line)
    {
        if (trimmedStart(line).isEmpty()) {
            finishField();
            finishGroup();
            return;
        }
        if (isBlank(line.front())) { // a folded field goes on
            if (m_field.size() < MimeMail::LongestLine)
                m_field.append(line);
            return;
        }
        finishField();
        m_field = line.toByteArray();
    }
    void finish()
    {
        finishField();
        finishGroup();
    }
    // The report's Arrival-Date (RFC 3464 2.2.5), as written.
    QByteArray arrival() const { return m_arrival; }

private:
    void finishField()
    {
        const qsizetype colon = m_field.indexOf(':');
        if (colon > 0) {
            const QByteArray name = m_field.first(colon).trimmed().toLower();
            const QByteArray value = m_field.sliced(colon + 1).trimmed();
            if (name == "original-recipient")
                m_group.original = statusAddress(value);
            else if (name == "final-recipient")
                m_group.final = statusAddress(value);
            else if (name == "action")
                m_group.action = value.toLower();
            else if (name == "status")
                m_group.status = value.split(' ').value(0).left(16);
            else if (name == "diagnostic-code")
                m_group.diagnostic = value.simplified().left(200);
            else if (name == "arrival-date" && m_arrival.isEmpty())
                m_arrival = value;
        }
        m_field.clear();
    }
    void finishGroup()
    {
        // Some servers leave out Action: the status class then says it.
        const bool failed = m_group.action.isEmpty() ? m_group.status.startsWith("5.")
                                                     : m_group.action.startsWith("fail");
        if ((!m_group.original.isEmpty() || !m_group.final.isEmpty()) &&
            (!m_group.action.isEmpty() || !m_group.status.isEmpty())) {
            m_collector.setStatusDecides();
            // "failed", and the "failure" some servers write; never delayed,
            // delivered, relayed or expanded.
            if (failed) {
                const QByteArray reason =
                    m_group.status.isEmpty() ? m_group.diagnostic : m_group.status;
                // The address the list sent to, before any forwarding.
                if (!m_group.original.isEmpty())
                    m_collector.add(DeliveryStatus, m_group.original,
                                    "delivery status (Original-Recipient)", reason);
                else
                    m_collector.add(DeliveryStatus, m_group.final,
                                    "delivery status (Final-Recipient)", reason);
            }
        }
        m_group = {};
    }

    Collector &m_collector;
    QByteArray m_field;
    StatusGroup m_group;
    QByteArray m_arrival;
};

// ---------------------------------------------------------------------------
// The message.

// Subjects with which auto-replies begin (letter case ignored).
constexpr const char *kAutoReplySubjects[] = {
    "Out of Office",
    "Automatic reply",
    "Auto:",
    "Autoreply",
    "Auto-Reply",
    "Auto Reply",
    "Auto Response",
    "Autoresponse",
    "Abwesenheit",
    "Vacation",
    "R\xc3\xa9ponse automatique",
    "Respuesta autom\xc3\xa1tica",
};

// Subjects of delay notices and of delivery, relay and read notices, as
// servers write them (letter case ignored): none names a failed recipient.
constexpr const char *kNoticeSubjects[] = {
    "Delivery Status Notification (Delay)",
    "Delivery Status Notification (Relay)",
    "Delivery Status Notification (Success)",
    "Delayed Mail",
    "Delivery delayed",
    "Delayed:",
    "Warning: could not send message",
    "Warning: message",
    "Warning: delayed",
    "Delivery Notification: Delivery has been delayed",
    "Delivered:",
    "Relayed:",
    "Successful Mail Delivery Report",
    "Read:",
    "Return Receipt",
};

template <size_t N> bool startsWithAny(const QByteArray &text, const char *const (&starts)[N])
{
    return std::any_of(std::begin(starts), std::end(starts), [&](const char *start) {
        return qstrnicmp(text.constData(), start, qstrlen(start)) == 0;
    });
}

// A feedback report (RFC 5965) complains about a mail that was delivered; a
// read notice (RFC 8098) says it was read.
bool isFeedbackReport(MimeNode message)
{
    // The type is the body's: a message has none of its own.
    const QByteArray type = message.body().typeParameter("report-type");
    return containsNoCase(type, "feedback-report") ||
           containsNoCase(type, "disposition-notification");
}

// Letter case ignored; the phrases are in lower case.
bool holdsAny(QByteArrayView text, std::initializer_list<QByteArrayView> phrases)
{
    const QByteArray lowered = text.toByteArray().toLower();
    return std::any_of(phrases.begin(), phrases.end(),
                       [&](QByteArrayView phrase) { return lowered.contains(phrase); });
}

// What the header block says the mail is.
struct MailKind
{
    bool report = false;    // a delivery report, by its sender, subject or type
    bool autoReply = false; // a vacation notice or other auto-reply
    bool notice = false;    // a delay, delivery or read notice, by its subject
    bool noReport = false;  // plainly no delivery report
};

MailKind mailKind(MimeNode message)
{
    const QByteArray from = message.header("From").trimmed();
    const QByteArray subject = message.header("Subject").trimmed();
    const bool serverSender =
        holdsAny(from, {"mailer-daemon", "mailer_daemon", "postmaster", "mail delivery", "mdaemon",
                        "microsoftexchange", "<@>"});
    const bool reportType = message.body().hasType("multipart", "report") ||
                            !message.header("X-Failed-Recipients").isEmpty();
    const bool personSender = !serverSender && !reportType && !from.isEmpty() && from != "<>";
    // A list server's own notice ("Your message to list@host was rejected"
    // by its moderator) is no delivery report, whatever its subject says.
    const bool listSender = holdsAny(from, {"-owner@", "-request@", "-bounces@", "-admin@",
                                            "owner-", "mailman", "majordomo", "listserv", "sympa"});
    MailKind kind;
    kind.report = serverSender || reportType ||
                  (!listSender &&
                   holdsAny(subject, {"undeliver", "delivery status", "delivery fail",
                                      "delivery notification", "failure", "failed", "returned mail",
                                      "returned to sender", "not delivered", "rejected",
                                      "non remis", "unzustellbar", "nicht zustellbar"}));
    // A mail from a person with a subject that speaks of no delivery, return
    // or error at all: a reply or an auto-reply, whatever its text says.
    kind.noReport = !kind.report && personSender && !subject.isEmpty() &&
                    !holdsAny(subject, {"deliver", "return", "bounce", "error", "undeliv",
                                        "could not send", "ndn", "dsn", "non recapitabile",
                                        "onbestelbaar", "entregado", "approve"});
    // RFC 3834's Auto-Submitted is on delivery reports too: there the
    // sender, the type or the subject says which it is.
    kind.autoReply =
        personSender &&
        (!message.header("X-Autoreply").isEmpty() || !message.header("X-Autorespond").isEmpty() ||
         !message.header("X-Vacation").isEmpty() ||
         containsNoCase(message.header("Precedence"), "auto_reply") ||
         startsWithAny(subject, kAutoReplySubjects) ||
         (!kind.report && containsNoCase(message.header("Auto-Submitted"), "auto-replied")));
    // Also "Mail delivery delayed", "DELIVERY DELAYED: ...": a delay before
    // the colon that introduces the original's subject.
    const qsizetype colon = subject.indexOf(':');
    const QByteArrayView head = QByteArrayView(subject).first(colon >= 0 ? colon : subject.size());
    kind.notice = startsWithAny(subject, kNoticeSubjects) || containsNoCase(head, "delay");
    return kind;
}

bool holdsStatusPart(MimeNode body)
{
    if (!body.hasType("multipart", "report"))
        return false;
    for (int i = 0; i < body.childCount(); ++i) {
        if (body.child(i).hasType("message", "delivery-status") ||
            body.child(i).hasType("message", "global-delivery-status"))
            return true;
    }
    return false;
}

// The addresses of the report's own header fields: those it was sent to and
// from, which a report quotes as the original's sender.
template <typename Take> void ownAddresses(MimeNode message, Take &&take)
{
    for (const char *field : {"From", "To"}) {
        for (const QByteArray &item : message.header(field).split(',')) {
            if (QByteArray address = ParseMailAddress(item); isAddress(address))
                take(std::move(address));
        }
    }
}

// A body read as plain text: no MIME structure, no transfer encoding.
bool isPlainText(MimeNode body)
{
    if (!body.isLeaf() || body.isTransferEncoded())
        return false;
    // No Content-Type at all is text/plain too.
    return body.header("Content-Type").isEmpty() || body.hasType("text", "*");
}

class MessageReader
{
public:
    explicit MessageReader(MimeMail &mail) : m_mail(mail), m_text(m_collector) {}
    // message: null where the mail has no header block the parser took.
    QString read(MimeNode message, int depth = 0);
    QList<FailedRecipient> result() const;
    // The report's arrival date, or else the date the mail was written.
    QDate date(MimeNode message) const;

private:
    void walk(MimeNode node);
    void textLine(QByteArrayView line)
    {
        // A mail read whole: its own header block is no report text for the
        // fallback rules.
        if (m_inHeaderBlock && line.isEmpty()) {
            m_inHeaderBlock = false;
            m_text.allowFallback(m_fallback);
        }
        if (!m_inHeaderBlock && embeddedStatus(line))
            return;
        m_text.line(line);
        if (m_textCode.isEmpty())
            m_textCode = statusCodeIn(line);
    }

    MimeMail &m_mail;
    Collector m_collector;
    TextReader m_text;
    QString m_error;
    MimeNode m_attachedReport; // a report forwarded as an attachment
    QByteArray m_arrival;
    QByteArray m_textCode; // the first status code in the report's text
    bool m_fallback = false;
    bool m_inHeaderBlock = false;
    // Delivery-status fields in a text: a report forwarded inline, or a
    // server that prints them in its text.
    bool embeddedStatus(QByteArrayView line);
    void finishText()
    {
        if (m_status) {
            m_status->finish();
            m_status.reset();
        }
        m_text.finishPart();
    }
    std::optional<StatusReader> m_status;
};

// A line of a delivery-status block: a field, a folded line, or an empty
// line between groups.
bool isStatusLine(QByteArrayView line)
{
    if (line.isEmpty() || isBlank(line.front()))
        return true;
    const qsizetype colon = line.indexOf(':');
    return colon > 0 && std::all_of(line.begin(), line.begin() + colon, [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) || c == '-';
           });
}

bool MessageReader::embeddedStatus(QByteArrayView line)
{
    if (m_status) {
        if (isStatusLine(line)) {
            m_status->line(line);
            return true;
        }
        m_status->finish();
        m_status.reset();
        return false;
    }
    // The block begins with its first field at the start of a line.
    if (line.size() < 16 || !std::strchr("RrFfOo", line.front()) || m_text.inOriginal())
        return false;
    for (const char *first : {"Reporting-MTA:", "Final-Recipient:", "Original-Recipient:"}) {
        if (qstrnicmp(line.data(), first, qstrlen(first)) == 0) {
            m_status.emplace(m_collector);
            m_status->line(line);
            return true;
        }
    }
    return false;
}

QList<FailedRecipient> MessageReader::result() const
{
    QList<FailedRecipient> found = m_collector.result();
    for (FailedRecipient &recipient : found) {
        if (recipient.reason.isEmpty())
            recipient.reason = m_textCode;
    }
    return found;
}

// A date as mails write it (RFC 5322 3.3), a trailing comment such as
// "(JST)" aside.
QDate mailDate(QByteArray text)
{
    if (const qsizetype comment = text.indexOf('('); comment > 0)
        text.truncate(comment);
    const QDateTime when =
        QDateTime::fromString(QString::fromLatin1(text.simplified()), Qt::RFC2822Date);
    return when.isValid() ? when.date() : QDate();
}

QDate MessageReader::date(MimeNode message) const
{
    if (const QDate arrival = mailDate(m_arrival); arrival.isValid())
        return arrival;
    return mailDate(message.header("Date"));
}

QString MessageReader::read(MimeNode message, int depth)
{
    if (isFeedbackReport(message))
        return {};
    if (depth == 0) {
        const MailKind kind = mailKind(message);
        if (kind.autoReply || kind.notice)
            m_collector.setWarning();
        // A standard report's delivery-status part decides: no fallback.
        m_fallback = kind.report && !kind.autoReply && !holdsStatusPart(message.body());
        m_text.allowLayouts(!kind.noReport);
        if (m_fallback)
            ownAddresses(message, [&](QByteArray address) { m_text.exclude(std::move(address)); });
    }
    m_text.allowFallback(m_fallback);
    if (const QByteArray failed = message.header("X-Failed-Recipients"); !failed.isEmpty()) {
        for (const QByteArray &item : failed.split(',')) {
            if (QByteArray address = leadingAddress(item.trimmed()); !address.isEmpty())
                m_collector.add(FailedHeader, address, "X-Failed-Recipients header");
        }
    }
    m_attachedReport = {};
    const MimeNode body = message.body();
    if (depth == 0 && (body.isNull() || isPlainText(body))) {
        // A mail of one plain text is read whole, header block and all, as
        // the text it is: also where its lines end in something the MIME
        // parser does not take for a line end (CR CR LF).
        m_text.startPart();
        m_inHeaderBlock = !body.isNull();
        m_text.allowFallback(m_fallback && !m_inHeaderBlock);
        m_error = m_mail.readRawLines([&](QByteArrayView line) { textLine(line); });
        m_inHeaderBlock = false;
        finishText();
    } else if (!body.isNull()) {
        walk(body);
    }
    // An owner may forward a report as an attachment: it counts where the
    // forwarding mail itself says nothing.
    if (m_error.isEmpty() && !m_collector.decided() && !m_text.done() &&
        !m_attachedReport.isNull() && depth < 3)
        return read(m_attachedReport, depth + 1);
    return m_error;
}

void MessageReader::walk(MimeNode node)
{
    if (!m_error.isEmpty() || m_text.done())
        return;
    // The original message a report returns is no part of the report; an
    // attached report is kept for later.
    if (node.isMessagePart()) {
        const MimeNode attached = node.attachedMessage();
        if (m_attachedReport.isNull() && attached.body().hasType("multipart", "report"))
            m_attachedReport = attached;
        return;
    }
    if (node.isMultipart()) {
        for (int i = 0; i < node.childCount(); ++i)
            walk(node.child(i));
        return;
    }
    // A complaint or a read notice is about a mail that was delivered.
    if (node.hasType("message", "feedback-report") ||
        node.hasType("message", "disposition-notification")) {
        m_collector.setWarning();
        return;
    }
    if (node.hasType("message", "delivery-status") ||
        node.hasType("message", "global-delivery-status")) {
        StatusReader status(m_collector);
        m_error = m_mail.readLines(node, [&](QByteArrayView line) { status.line(line); });
        status.finish();
        if (m_arrival.isEmpty())
            m_arrival = status.arrival();
    } else if (node.hasType("text", "plain")) {
        m_text.startPart();
        m_error = m_mail.readLines(node, [&](QByteArrayView line) { textLine(line); });
        finishText();
    }
}

ReturnedMailReading readMail(QIODevice &device, qsizetype bufferSize)
{
    MimeMail mail(device, bufferSize);
    if (!mail.error().isEmpty())
        return {{}, mail.error()};
    MessageReader reader(mail);
    if (QString error = reader.read(mail.message()); !error.isEmpty())
        return {{}, error};
    return {reader.result(), {}, reader.date(mail.message())};
}

} // namespace

ReturnedMailReading ReadReturnedMail(QIODevice &device, qsizetype bufferSize)
{
    return readMail(device, bufferSize);
}

ReturnedMailReading ReadReturnedMail(const QString &path)
{
    QFile file(path);
    if (path.isEmpty()) // QFile would also warn on stderr
        return {{}, QStringLiteral("no file name given")};
    // Only a plain file is read: a FIFO would block the open and a device
    // such as /dev/zero never ends.
    if (QString refused = SafeFile::readRefusal(path); !refused.isEmpty())
        return {{}, refused};
    // Unbuffered: the parser and the line stream have their own buffers.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {{}, file.errorString()};
    return readMail(file, LineStream::DefaultBufferSize);
}
