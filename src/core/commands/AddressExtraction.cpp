#include "commands/AddressExtraction.h"

#include "commands/CommandTable.h"
#include "commands/ReturnedMail.h"
#include "store/SafeFile.h"

#include <QByteArrayMatcher>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

namespace {

// Blanks between words. Tabs and stray CRs count, as no address holds one:
// kept, a tab-indented reason line would give a tab as an "address", and a
// CR inside an address could break the command line it is written into.
constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Bytes that end a run of address bytes in the walk below.
constexpr std::array<bool, 256> kWalkStops = [] {
    std::array<bool, 256> stops{};
    for (unsigned char c : {'(', '"', '<', '>', ' ', '\t', '\r'})
        stops[c] = true;
    return stops;
}();

// ParseMailAddress as a walk that can be fed a line in pieces, so a line never
// has to be held whole. Comments nest as in RFC 5322 3.2.2: servers quote
// their partner's reply, parentheses and all, inside the reason comment, and
// a first ")" ending it would leave the rest of the reason as an address.
class AddressWalk
{
public:
    void feed(QByteArrayView bytes);
    // Gives add the address collected, if any, and starts again from scratch.
    // The buffer stays: a long list costs no allocation per address.
    template <typename Add> void handOver(Add &&add)
    {
        if (!m_address.isEmpty())
            add(QByteArrayView(m_address));
        m_address.truncate(0);
        m_commentDepth = 0;
        m_inQuote = false;
        m_done = false;
    }

private:
    QByteArray m_address;
    qsizetype m_commentDepth = 0;
    bool m_inQuote = false;
    bool m_done = false; // a ">" closed a non-empty address
};

void AddressWalk::feed(QByteArrayView bytes)
{
    const char *p = bytes.data();
    const char *const end = p + bytes.size();
    while (p < end && !m_done) {
        if (m_inQuote) {
            const auto *quote = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
            if (!quote)
                return;
            m_inQuote = false;
            p = quote + 1;
            continue;
        }
        if (m_commentDepth > 0) {
            for (; p < end && m_commentDepth > 0; ++p) {
                if (*p == '(')
                    ++m_commentDepth;
                else if (*p == ')')
                    --m_commentDepth;
            }
            continue;
        }
        switch (*p) {
        case '(':
            m_commentDepth = 1;
            ++p;
            break;
        case '"':
            m_inQuote = true;
            ++p;
            break;
        case '<': // what came before was a display name
            m_address.truncate(0);
            ++p;
            break;
        case '>':
            m_done = !m_address.isEmpty();
            ++p;
            break;
        case ' ':
        case '\t':
        case '\r':
            ++p;
            break;
        default: {
            const char *run = p + 1;
            while (run < end && !kWalkStops[static_cast<unsigned char>(*run)])
                ++run;
            m_address.append(p, run - p);
            p = run;
        }
        }
    }
}

// The sender rule; add gets the address of the first "From:" line. In the
// header block (up to the first empty line) a From: field may be folded over
// several lines (RFC 5322 2.2.3): lines that start with a blank continue it,
// as when a long display name pushes the address to the next line.
template <typename Add> QString scanSender(QIODevice &device, qsizetype bufferSize, Add &&add)
{
    static constexpr QByteArrayView kFrom("from:");
    enum class Line
    {
        Undecided,
        Field,
        Other
    };
    LineStream lines(device, bufferSize);
    LineStream::Piece piece;
    AddressWalk walk;
    Line line = Line::Undecided;
    qsizetype matched = 0; // bytes of kFrom matched at the line's start
    bool lineStart = true;
    bool inHeader = true;
    bool fieldFound = false;
    const auto finish = [&] {
        walk.handOver(add);
        return lines.errorString();
    };
    while (lines.next(piece)) {
        const bool atLineStart = std::exchange(lineStart, piece.lineEnd);
        const bool emptyLine = atLineStart && piece.lineEnd && piece.bytes.isEmpty();
        if (atLineStart && fieldFound) {
            if (emptyLine || !isBlank(piece.bytes.front()))
                return finish();
            line = Line::Field;
        }
        QByteArrayView rest = piece.bytes;
        while (line == Line::Undecided && !rest.isEmpty()) {
            char c = rest.front();
            if (c >= 'A' && c <= 'Z')
                c = char(c - 'A' + 'a');
            rest = rest.sliced(1);
            if (c != kFrom[matched++])
                line = Line::Other;
            else if (matched == kFrom.size())
                line = Line::Field;
        }
        if (line == Line::Field) {
            fieldFound = true;
            walk.feed(rest);
        }
        if (piece.lineEnd) {
            inHeader = inHeader && !emptyLine;
            if (fieldFound && !inHeader)
                return finish(); // no folding in a body
            line = Line::Undecided;
            matched = 0;
        }
    }
    return finish();
}

// Empty when the file is open, else why not.
QString openForReading(QFile &file)
{
    if (file.fileName().isEmpty()) // QFile would also warn on stderr
        return QStringLiteral("no file name given");
    // Only a plain file is read: a FIFO would block the open and a device
    // such as /dev/zero never ends (a dropped file is read on the UI thread).
    if (QString refused = SafeFile::readRefusal(file.fileName()); !refused.isEmpty())
        return refused;
    // Unbuffered: the line stream has its own buffer.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return file.errorString();
    return {};
}

UserMessage nothingExtractedMessage()
{
    return {QCoreApplication::translate("AddressExtraction", "ｱﾄﾞﾚｽを抽出できませんでした"),
            QCoreApplication::translate("AddressExtraction", "ｱﾄﾞﾚｽ抽出")};
}

ExtractionResult collectSender(QIODevice &device, qsizetype bufferSize)
{
    ExtractionResult result;
    result.error = scanSender(device, bufferSize, [&](QByteArrayView address) {
        result.addresses.append(address.toByteArray());
    });
    return result;
}

ExtractionResult addressesOf(const ReturnedMailReading &reading)
{
    ExtractionResult result{{}, reading.error};
    result.addresses.reserve(reading.recipients.size());
    for (const FailedRecipient &recipient : reading.recipients)
        result.addresses.append(recipient.address);
    return result;
}

// The field text of a rule's result; a read that failed half-way finds
// nothing, rather than have the owner act on the first addresses only.
ExtractionOutcome outcomeOf(const ExtractionResult &result)
{
    ExtractionOutcome outcome{JoinAddresses(result.addresses), {}, result.error};
    if (!outcome.error.isEmpty())
        outcome.fieldText.clear();
    if (outcome.fieldText.isEmpty())
        outcome.message = nothingExtractedMessage();
    return outcome;
}

// The rule's result for a file path or a device.
template <typename Mail> ExtractionResult ruleResult(ExtractionRule rule, Mail &mail)
{
    switch (rule) {
    case ExtractionRule::ErrorMailAddresses:
        return ExtractErrorMailAddresses(mail);
    case ExtractionRule::SenderAddress:
        return ExtractSenderAddress(mail);
    case ExtractionRule::None:
        break;
    }
    return {};
}

} // namespace

QByteArray ParseMailAddress(QByteArrayView text)
{
    AddressWalk walk;
    walk.feed(text);
    QByteArray address;
    walk.handOver([&](QByteArrayView collected) { address = collected.toByteArray(); });
    return address;
}

ExtractionResult ExtractErrorMailAddresses(QIODevice &device, qsizetype bufferSize)
{
    return addressesOf(ReadReturnedMail(device, bufferSize));
}

ExtractionResult ExtractErrorMailAddresses(const QString &path)
{
    return addressesOf(ReadReturnedMail(path));
}

ExtractionResult ExtractSenderAddress(QIODevice &device, qsizetype bufferSize)
{
    return collectSender(device, bufferSize);
}

ExtractionResult ExtractSenderAddress(const QString &path)
{
    QFile file(path);
    if (QString error = openForReading(file); !error.isEmpty())
        return {{}, error};
    return collectSender(file, LineStream::DefaultBufferSize);
}

UserMessage NothingExtractedMessage()
{
    return nothingExtractedMessage();
}

QByteArray JoinAddresses(const QByteArrayList &addresses)
{
    return addresses.join(',');
}

ExtractionRule ExtractionRuleForTab(int tab)
{
    const CommandTab *row = commandTab(tab);
    return row ? row->extraction : ExtractionRule::None;
}

ExtractionOutcome ExtractAddresses(ExtractionRule rule, QIODevice &device)
{
    return outcomeOf(ruleResult(rule, device));
}

ExtractionOutcome ExtractAddresses(ExtractionRule rule, const QString &path)
{
    return outcomeOf(ruleResult(rule, path));
}
