#include "commands/ReturnedMail.h"

#include "commands/AddressExtraction.h"
#include "commands/MimeMail.h"
#include "commands/ReportText.h"
#include "store/SafeFile.h"

#include <QDateTime>
#include <QFile>

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

// A feedback report (RFC 5965) complains about a mail that was delivered.
// (Auto-Submitted says nothing here: Postfix and Exim mark their delivery
// reports "auto-replied" as auto-replies are; those give no address anyway,
// as no rule finds one in them.)
bool isFeedbackReport(MimeNode message)
{
    return containsNoCase(message.typeParameter("report-type"), "feedback-report");
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
};

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
        m_error = m_mail.readRawLines([&](QByteArrayView line) { textLine(line); });
        m_text.finishPart();
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
        m_text.finishPart();
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
