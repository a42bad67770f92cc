#include "commands/ReportText.h"

#include "commands/AddressExtraction.h"

#include <QByteArrayMatcher>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <utility>

// ---------------------------------------------------------------------------
// Addresses in report text.

QByteArrayView trimmedStart(QByteArrayView text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    return text.sliced(first - text.begin());
}

namespace {

constexpr std::array<bool, 256> kNotInAddress = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c <= ' '; ++c)
        table[c] = true;
    for (unsigned char c : {'<', '>', '(', ')', '[', ']', '\\', ',', ';', ':', '"'})
        table[c] = true;
    return table;
}();

} // namespace

bool isAddress(QByteArrayView text)
{
    if (text.size() < 3 || text.size() > 320)
        return false;
    const qsizetype at = text.indexOf('@');
    if (at <= 0 || at == text.size() - 1 || text.indexOf('@', at + 1) >= 0)
        return false;
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return kNotInAddress[static_cast<unsigned char>(c)]; });
}

QByteArray leadingAddress(QByteArrayView text, qsizetype *tokenLength)
{
    QByteArrayView token;
    qsizetype length = 0;
    if (text.startsWith('<') || text.startsWith('"') || text.startsWith('\'')) {
        const qsizetype close = text.indexOf(text.front() == '<' ? '>' : text.front(), 1);
        if (close < 0)
            return {};
        token = text.sliced(1, close - 1);
        length = close + 1;
    } else {
        const auto end =
            std::find_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
        length = end - text.begin();
        token = text.first(length);
        // Punctuation that ends a sentence or introduces the reason.
        while (!token.isEmpty() && std::strchr(".,:;)\r", token.back()))
            token.chop(1);
    }
    // A stray CR is a blank, as ParseMailAddress takes it.
    QByteArray address = token.toByteArray().replace('\r', QByteArray());
    if (!isAddress(address))
        return {};
    if (tokenLength)
        *tokenLength = length;
    return address;
}

namespace {

// The address a list line names, or empty text for a reason or remark line.
// A line that starts with an address names it, unless a bracketed address
// follows ("name@host <real@host>", a display name that looks like one);
// "Name <a@b>" names the bracketed address as ParseMailAddress reads it.
QByteArray itemAddress(QByteArrayView line, bool addressFirst)
{
    line = trimmedStart(line);
    // Bullets and markers some servers put before each address.
    while (!line.isEmpty() && (line.front() == '*' || line.front() == '-' || line.front() == '>'))
        line = trimmedStart(line.sliced(1));
    if (line.isEmpty() || line.front() == '(')
        return {};
    // "Name (a@b)<mailto:a@b>", as Exchange writes its list from HTML.
    if (const qsizetype mailto = containsNoCaseAt(line, "<mailto:"); mailto >= 0) {
        const QByteArrayView rest = line.sliced(mailto + 8);
        const qsizetype close = rest.indexOf('>');
        if (close > 0 && isAddress(rest.first(close)))
            return rest.first(close).toByteArray();
    }
    // "Recipient: <a@b>", "Recipient address: a@b": a label that names a
    // recipient. Other labelled lines ("Reason: 550 <a@b>...") are reasons.
    if (const qsizetype colon = line.indexOf(':'); colon > 0 && colon < 40) {
        const QByteArrayView label = line.first(colon);
        if (std::all_of(label.begin(), label.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c)) || c == ' ';
            })) {
            if (!containsNoCase(label, "recipient"))
                return {};
            QByteArray address = ParseMailAddress(trimmedStart(line.sliced(colon + 1)));
            return isAddress(address) ? address : QByteArray();
        }
    }
    qsizetype length = 0;
    if (QByteArray address = leadingAddress(line, &length); !address.isEmpty()) {
        const QByteArrayView rest = trimmedStart(line.sliced(length));
        if (rest.startsWith('<')) {
            if (QByteArray bracketed = ParseMailAddress(rest); isAddress(bracketed))
                return bracketed;
        }
        return address;
    }
    // After an empty line only a line that begins with an address starts
    // another recipient: "Please reply to <a@b>" there is a remark.
    if (addressFirst)
        return {};
    // "Name <a@b>", or "Name (a@b)" as Exchange writes it. A display name has
    // no digits or colons: "550 5.1.1 <a@b>" and "said: <a@b>" are reasons.
    qsizetype open = line.indexOf('<');
    const bool parenthesised = open < 0;
    if (parenthesised)
        open = line.indexOf('(');
    if (open < 0)
        return {};
    // A sentence ("please send mail to <a@b>") is no name either.
    const QByteArrayView name = line.first(open);
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return c == ':' || (c >= '0' && c <= '9'); }) ||
        std::count(name.begin(), name.end(), ' ') > 4)
        return {};
    if (parenthesised) {
        const QByteArrayView inside = line.sliced(open + 1);
        const qsizetype close = inside.indexOf(')');
        return close > 0 && isAddress(inside.first(close)) ? inside.first(close).toByteArray()
                                                           : QByteArray();
    }
    QByteArray address = ParseMailAddress(line);
    return isAddress(address) ? address : QByteArray();
}

// The first address-like token after position from.
QByteArray addressAfter(QByteArrayView line, qsizetype from)
{
    QByteArrayView rest = trimmedStart(line.sliced(from));
    while (!rest.isEmpty()) {
        qsizetype length = 0;
        if (QByteArray address = leadingAddress(rest, &length); !address.isEmpty())
            return address;
        const auto blank = std::find_if(rest.begin(), rest.end(), isBlank);
        rest = trimmedStart(rest.sliced(blank - rest.begin()));
    }
    return {};
}

} // namespace

QByteArray statusCodeIn(QByteArrayView text)
{
    const auto digits = [&](qsizetype from, int most) {
        qsizetype at = from;
        while (at < text.size() && at - from < most + 1 &&
               std::isdigit(static_cast<unsigned char>(text[at])))
            ++at;
        return at - from <= most ? at - from : 0;
    };
    for (qsizetype at = text.indexOf('.'); at > 0; at = text.indexOf('.', at + 1)) {
        const char cls = text[at - 1];
        if ((cls != '4' && cls != '5') ||
            (at >= 2 &&
             (std::isalnum(static_cast<unsigned char>(text[at - 2])) || text[at - 2] == '.')))
            continue;
        const qsizetype subject = digits(at + 1, 3);
        if (subject == 0 || at + 1 + subject >= text.size() || text[at + 1 + subject] != '.')
            continue;
        const qsizetype detailStart = at + 2 + subject;
        const qsizetype detail = digits(detailStart, 3);
        const qsizetype end = detailStart + detail;
        if (detail == 0 ||
            (end < text.size() && (std::isalnum(static_cast<unsigned char>(text[end])) ||
                                   (text[end] == '.' && end + 1 < text.size() &&
                                    std::isdigit(static_cast<unsigned char>(text[end + 1]))))))
            continue;
        return text.sliced(at - 1, end - at + 1).toByteArray();
    }
    return {};
}

qsizetype containsNoCaseAt(QByteArrayView haystack, QByteArrayView needle)
{
    if (needle.isEmpty())
        return 0;
    // Bytes equal but for case are equal with 0x20 set: a cheap look at the
    // first byte rules out most places before the full comparison.
    const char first = char(needle.front() | 0x20);
    for (qsizetype i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (char(haystack[i] | 0x20) == first &&
            qstrnicmp(haystack.data() + i, needle.size(), needle.data(), needle.size()) == 0)
            return i;
    }
    return -1;
}

bool containsNoCase(QByteArrayView haystack, QByteArrayView needle)
{
    return containsNoCaseAt(haystack, needle) >= 0;
}

namespace {

// The command line of an approval request ("subscribe list Name <a@b>"): the
// command word and the list name go, the rest is reduced. A run of blanks
// separates two words as one blank does.
QByteArray approvalAddress(QByteArrayView line)
{
    line = trimmedStart(line);
    for (int word = 0; word < 2; ++word) {
        const auto blank = std::find_if(line.begin(), line.end(), isBlank);
        if (blank == line.end())
            break; // no blank left: nothing removed
        line = trimmedStart(line.sliced(blank - line.begin()));
    }
    return ParseMailAddress(line);
}

} // namespace

// ---------------------------------------------------------------------------
// The layouts of report texts. A marker line starts a rule; the first entry
// whose marker the line holds (letter case as written) wins, so the more
// particular markers come first. A new layout is one entry.

enum class LayoutShape : char
{
    ListBelow,  // addresses on the lines after the marker, up to an empty line
    Paragraphs, // such a list, its recipients' paragraphs parted by one empty line
    Ignored,    // such a list, of delayed recipients: its lines give nothing
    SameLine,   // the address follows the marker on its line
    Warning,    // a delay notice as a whole: no address of its text counts
    Approval    // the list server's approval request: the command line after next
};

struct TextRule
{
    const char *name;
    const char *marker;
    LayoutShape shape;
    const char *also = nullptr; // a text the marker line must hold as well
};

namespace {

// clang-format off
constexpr TextRule kTextRules[] = {
    {"delay notice",             "THIS IS A WARNING",                      LayoutShape::Warning},   // Postfix, sendmail
    {"delay notice",             "has not yet been delivered",             LayoutShape::Warning},   // Exim
    {"delay notice",             "temporary problem delivering",           LayoutShape::Warning},   // Gmail
    {"delay notice",             "This is a warning message only",         LayoutShape::Warning},   // Courier, Exchange
    {"delay notice",             "DELAYS IN DELIVERING",                   LayoutShape::Warning},   // Courier
    {"delay notice",             "message still undelivered",              LayoutShape::Warning},   // sendmail
    {"delay notice",             "will be retried until",                  LayoutShape::Warning},   // Postfix
    {"delay notice",             "Delivery attempts will continue",        LayoutShape::Warning},   // Exim
    {"delay notice",             "will be retried for",                    LayoutShape::Warning},   // Gmail
    {"delay notice",             "Delivery will continue to be attempted", LayoutShape::Warning},   // Exchange
    {"delivery notice",          "was successfully delivered",             LayoutShape::Warning},   // Postfix success
    {"delay notice",             "transient non-fatal errors",             LayoutShape::Ignored},   // sendmail warning
    {"delay notice",             "has been delayed",                       LayoutShape::Ignored},   // Gmail warning
    {"delay notice",             "will continue to try",                   LayoutShape::Ignored},
    {"delay notice",             "Delivery is delayed to these recipients", LayoutShape::Ignored},  // Exchange
    {"failed-addresses list",    "address(es) failed",                     LayoutShape::Paragraphs}, // Exim
    {"heading list",             "The following address",                  LayoutShape::ListBelow}, // sendmail, GMX, 1&1
    {"undeliverable-to list",    "to the following address",               LayoutShape::ListBelow}, // qmail, Yahoo
    {"failed-recipients list",   "the following recipient",                LayoutShape::Paragraphs}, // Gmail, X3
    {"failed-recipients list",   "The following recipient",                LayoutShape::Paragraphs}, // Exchange 2000/2003
    {"failed-to-these list",     "Delivery has failed to these recipients", LayoutShape::Paragraphs}, // Exchange 2007 on
    {"failed-addresses list",    "Failed addresses follow",                LayoutShape::ListBelow},
    {"undeliverable-to list",    "undeliverable to the following",         LayoutShape::ListBelow}, // GroupWise
    {"list-of-recipients list",  "following list of recipients",           LayoutShape::Paragraphs}, // OpenSMTPD
    {"failure-reasons list",     "Failure Reasons",                        LayoutShape::ListBelow}, // Notes
    {"addressed-to list",        "you addressed to email address",         LayoutShape::ListBelow}, // Mimecast
    {"error-delivering line",    "error delivering your mail to",          LayoutShape::SameLine},  // DragonFly
    {"invalid-userid line",      "Invalid final delivery userid:",         LayoutShape::SameLine},  // IMail
    {"not-delivered-to line",    "was not delivered to:",                  LayoutShape::SameLine},  // Domino
    {"message-to line",          "The following message to",               LayoutShape::SameLine},
    {"problem-delivering line",  "There was a problem delivering your message to", LayoutShape::SameLine}, // Gmail
    {"not-delivered-to line",    "wasn't delivered to",                    LayoutShape::SameLine},  // Gmail
    {"your-message-to line",     "Your message to",                        LayoutShape::SameLine, "couldn't be delivered"}, // Office 365
    {"could-not-deliver line",   "could not deliver mail to",              LayoutShape::SameLine},
    {"failed-to-deliver line",   "Failed to deliver to",                   LayoutShape::SameLine},
    {"unable-to-deliver line",   "Unable to deliver message to",           LayoutShape::SameLine},  // MailFoundry
    {"delivery-to line",         "essage delivery to",                     LayoutShape::SameLine, "failed"},
    {"not-delivered-to line",    "could not be delivered to:",             LayoutShape::SameLine},
    {"approval request",         "requests that you approve the following", LayoutShape::Approval}, // Majordomo
    {"approval request",         "requests you approve the following",     LayoutShape::Approval},
};
// clang-format on

// Lines after which a report text quotes the original message (compared
// without regard to case): below them only an approval request counts.
// clang-format off
constexpr const char *kOriginalMessageStarts[] = {
    "below this line is a copy of the message",  // qmail, Yahoo
    "enclosed is a copy of the message",
    "this is a copy of the message",             // Exim
    "this is a copy of your message",
    "original message follows",
    "unsent message follows",                    // sendmail
    "message header follows",
    "message headers follow",
    "message text follows",
    "header of the original message",            // GMX, 1&1
    "copy of the original message",              // OpenSMTPD
    "original message headers",                  // Exchange
    "----- original message -----",              // Gmail
};
// clang-format on

// Skip tables for the markers above: every line of a report is searched for
// each of them.
struct Matchers
{
    std::array<QByteArrayMatcher, std::size(kTextRules)> rules;
    QByteArrayMatcher lower{"essage"};
    QByteArrayMatcher upper{"ESSAGE"};
    Matchers()
    {
        for (size_t i = 0; i < rules.size(); ++i)
            rules[i].setPattern(QByteArray(kTextRules[i].marker));
    }
};

const Matchers &matchers()
{
    static const Matchers instance;
    return instance;
}

// Lines that set sections of a report apart ("----- Transcript ... -----").
bool isDelimiter(QByteArrayView line)
{
    line = trimmedStart(line);
    return line.startsWith("---") || line.startsWith("===") || line.startsWith("|--") ||
           line.startsWith("___");
}

} // namespace

void TextReader::endList()
{
    if (!m_pending.isEmpty() && m_rule->shape != LayoutShape::Ignored)
        m_collector.add(ReportText, m_pending, m_rule->name);
    m_pending.clear();
    if (m_phase == Phase::Listing)
        m_phase = Phase::Searching;
}

void TextReader::line(QByteArrayView line)
{
    switch (m_phase) {
    case Phase::Done:
        return;
    case Phase::SkippingLine:
        m_phase = Phase::CommandLine;
        return;
    case Phase::CommandLine:
        m_collector.add(ReportText, approvalAddress(line), m_rule->name);
        m_phase = Phase::Done;
        return;
    case Phase::Listing:
        if (list(line))
            return;
        endList();
        [[fallthrough]];
    case Phase::Searching:
        search(line);
        return;
    }
}

bool TextReader::list(QByteArrayView line)
{
    if (m_quoted) {
        // A quoted report's list ends where the quote does.
        if (!line.startsWith('>'))
            return false;
        line = line.sliced(1);
        if (line.startsWith(' '))
            line = line.sliced(1);
    }
    if (line.isEmpty()) {
        if (m_items == 0)
            return ++m_linesBeforeFirst <= 3;
        // One empty line between two recipients' paragraphs keeps such a
        // list going; the line after it must then begin with an address.
        return m_rule->shape == LayoutShape::Paragraphs && !std::exchange(m_gap, true);
    }
    if (isDelimiter(line))
        return false;
    const QByteArrayView trimmed = trimmedStart(line);
    // The address the list sent to, before an alias or forward took the
    // mail on: the subscribed one (sendmail, Exim, Sun's servers).
    for (const QByteArrayView marker :
         {QByteArrayView("(expanded from:"), QByteArrayView("generated by "),
          QByteArrayView("(generated from "), QByteArrayView("Original address:")}) {
        if (trimmed.startsWith(marker)) {
            if (QByteArray original = addressAfter(trimmed, marker.size()); !original.isEmpty())
                m_pending = original;
            return true;
        }
    }
    if (QByteArray address = itemAddress(line, m_gap); !address.isEmpty()) {
        if (!m_pending.isEmpty() && m_rule->shape != LayoutShape::Ignored)
            m_collector.add(ReportText, m_pending, m_rule->name);
        m_pending = address;
        ++m_items;
        m_gap = false;
        return true;
    }
    if (m_gap)
        return false;
    // Reasons under an address; before the first, a few remark lines.
    return m_items > 0 || ++m_linesBeforeFirst <= 3;
}

void TextReader::search(QByteArrayView line)
{
    const Matchers &match = matchers();
    if (!m_inOriginal && (match.lower.indexIn(line) >= 0 || match.upper.indexIn(line) >= 0)) {
        for (const char *start : kOriginalMessageStarts) {
            if (containsNoCase(line, start)) {
                m_inOriginal = true;
                return;
            }
        }
    }
    for (size_t i = 0; i < std::size(kTextRules); ++i) {
        const TextRule &rule = kTextRules[i];
        if (m_inOriginal && rule.shape != LayoutShape::Approval)
            continue;
        const qsizetype at = match.rules[i].indexIn(line);
        if (at < 0 || (rule.also && !line.contains(rule.also)))
            continue;
        m_rule = &rule;
        const auto startList = [&] {
            m_phase = Phase::Listing;
            m_quoted = trimmedStart(line).startsWith('>');
            m_items = 0;
            m_linesBeforeFirst = 0;
            m_gap = false;
            m_pending.clear();
        };
        switch (rule.shape) {
        case LayoutShape::ListBelow:
        case LayoutShape::Paragraphs:
        case LayoutShape::Ignored:
            startList();
            break;
        case LayoutShape::SameLine:
            // Where the line ends with the marker, the addresses follow it
            // as a list ("was not delivered to:" and the next lines).
            if (QByteArray address = addressAfter(line, at + qsizetype(std::strlen(rule.marker)));
                !address.isEmpty())
                m_collector.add(ReportText, address, rule.name);
            else
                startList();
            break;
        case LayoutShape::Warning:
            m_collector.setWarning();
            break;
        case LayoutShape::Approval:
            // Only the first report in a file counts.
            if (!m_collector.any(ReportText))
                m_phase = Phase::SkippingLine;
            break;
        }
        return;
    }
    if (m_inOriginal)
        return;
    // "RCPT TO:<a@b>" in a session transcript, answered by a 5xx reply on
    // the line after.
    const QByteArray recipient = std::exchange(m_rcpt, {});
    if (const qsizetype rcpt = containsNoCaseAt(line, "RCPT TO:"); rcpt >= 0) {
        if (QByteArray address = ParseMailAddress(line.sliced(rcpt + 8)); isAddress(address))
            m_rcpt = address;
        return;
    }
    if (!recipient.isEmpty()) {
        // The reply is the first reply code among the line's first words:
        // "<<< 550", "Received >>> 550", "Remote server replied: 550", or
        // after a time stamp, "Thu 2010-03-04 12:12:12: <-- 550".
        QByteArrayView rest = trimmedStart(line);
        for (int word = 0; word < 8 && !rest.isEmpty(); ++word) {
            const auto end = std::find_if(rest.begin(), rest.end(), isBlank);
            QByteArrayView token = rest.first(end - rest.begin());
            rest = trimmedStart(rest.sliced(token.size()));
            while (!token.isEmpty() && std::strchr("<>-", token.front()))
                token = token.sliced(1);
            const bool code = token.size() >= 3 && token[0] >= '2' && token[0] <= '5' &&
                              std::isdigit(static_cast<unsigned char>(token[1])) &&
                              std::isdigit(static_cast<unsigned char>(token[2])) &&
                              (token.size() == 3 || token[3] == '-');
            if (code) {
                if (token[0] == '5')
                    m_collector.add(Transcript, recipient, "transcript reply");
                break;
            }
        }
    }
    // "<a@b>:" opening a paragraph about one recipient (qmail, Postfix, Yahoo);
    // Postfix names the address the list sent to in "(expanded from <c@d>)".
    if (line.startsWith('<')) {
        const qsizetype close = line.indexOf('>');
        if (close > 0 && isAddress(line.sliced(1, close - 1))) {
            QByteArrayView rest = line.sliced(close + 1);
            QByteArrayView address = line.sliced(1, close - 1);
            static constexpr QByteArrayView kExpanded(" (expanded from <");
            if (rest.startsWith(kExpanded)) {
                const qsizetype end = rest.indexOf(">)");
                if (end > kExpanded.size() &&
                    isAddress(rest.sliced(kExpanded.size(), end - kExpanded.size()))) {
                    address = rest.sliced(kExpanded.size(), end - kExpanded.size());
                    rest = rest.sliced(end + 2);
                }
            }
            if (rest.startsWith(':')) {
                m_collector.add(ReportText, address, "recipient paragraph");
                return;
            }
        }
    }
    // "550 5.1.1 <a@b>... User unknown" in a sendmail session transcript,
    // or "550 a@b... User unknown" from its local delivery.
    if (line.size() > 4 && line[0] == '5' && std::isdigit(static_cast<unsigned char>(line[1])) &&
        std::isdigit(static_cast<unsigned char>(line[2])) && line[3] == ' ') {
        QByteArrayView rest = line.sliced(4);
        if (!rest.isEmpty() && std::isdigit(static_cast<unsigned char>(rest.front()))) {
            const auto blank = std::find(rest.begin(), rest.end(), ' ');
            rest = trimmedStart(rest.sliced(blank - rest.begin()));
        }
        QByteArrayView address = rest.first(std::max<qsizetype>(rest.indexOf("..."), 0));
        if (address.startsWith('<') && address.endsWith('>'))
            address = address.sliced(1, address.size() - 2);
        if (isAddress(address))
            m_collector.add(Transcript, address, "transcript reply");
    }
}

// Lines longer than this are cut for the rules: no marker or address is
