#include "commands/ReportText.h"

#include "commands/AddressExtraction.h"

#include <QByteArrayMatcher>

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

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
        // "'<a@b>'", brackets inside the quotes.
        if (token.size() > 2 && token.front() == '<' && token.back() == '>')
            token = token.sliced(1, token.size() - 2);
    } else {
        const auto end =
            std::find_if(text.begin(), text.end(), [](char c) { return c == ' ' || c == '\t'; });
        length = end - text.begin();
        token = text.first(length);
        // "a@b<mailto:a@b>", as mail programs write a link after an address.
        if (const qsizetype open = token.indexOf('<'); open > 0)
            token = token.first(open);
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
    // The address type some servers write before it.
    for (const QByteArrayView type : {QByteArrayView("SMTP:"), QByteArrayView("rfc822;")}) {
        if (line.size() > type.size() &&
            qstrnicmp(line.data(), type.size(), type.data(), type.size()) == 0)
            line = trimmedStart(line.sliced(type.size()));
    }
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
    bool fallback = false;      // its addresses count only where no layout found any
    int remarks = 3;            // lines allowed between the marker and the first address
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
    {"delay notice",             "hasn't been delivered yet",              LayoutShape::Warning},   // Exchange
    {"delay notice",             "keep trying",                            LayoutShape::Warning},   // sendmail, Exchange
    {"delay notice",             "keep retrying",                          LayoutShape::Warning},
    {"delay notice",             "will retry",                             LayoutShape::Warning},   // Gmail
    {"delay notice",             "NOT NEED TO RESEND",                     LayoutShape::Warning},   // sendmail, IIS
    {"delay notice",             "NOT NEED to re-send",                    LayoutShape::Warning},   // OpenSMTPD
    {"delay notice",             "temporary failure report",               LayoutShape::Warning},   // OpenSMTPD
    {"delivery notice",          "was successfully delivered",             LayoutShape::Warning},   // Postfix success
    {"delay notice",             "transient non-fatal errors",             LayoutShape::Ignored},   // sendmail warning
    {"delay notice",             "has been delayed",                       LayoutShape::Ignored},   // Gmail warning
    {"delay notice",             "will continue to try",                   LayoutShape::Warning},
    {"delay notice",             "enqueued and undeliverable",             LayoutShape::Warning},   // Messaging Server
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
    {"malformed-address list",   "incorrectly constructed:",               LayoutShape::ListBelow}, // Exim
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
    {"not-delivered-to line",    "couldn't be delivered to",               LayoutShape::SameLine},  // Office 365
    {"administrators' list",     "Diagnostic information for administrators", LayoutShape::Paragraphs, nullptr, true, 8}, // Exchange
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

// A set of the layouts' rules, walked in the table's order.
class RuleSet
{
public:
    static constexpr size_t kWords = 2;
    void add(size_t rule) { m_bits[rule / 64] |= quint64(1) << (rule % 64); }
    void unite(const RuleSet &other)
    {
        for (size_t word = 0; word < kWords; ++word)
            m_bits[word] |= other.m_bits[word];
    }
    class Iterator
    {
    public:
        Iterator(const RuleSet *set, size_t word)
            : m_set(set), m_word(word), m_bits(word < kWords ? set->m_bits[word] : 0)
        {
            skipEmpty();
        }
        size_t operator*() const { return m_word * 64 + size_t(std::countr_zero(m_bits)); }
        Iterator &operator++()
        {
            m_bits &= m_bits - 1;
            skipEmpty();
            return *this;
        }
        bool operator!=(const Iterator &other) const
        {
            return m_word != other.m_word || m_bits != other.m_bits;
        }

    private:
        void skipEmpty()
        {
            while (m_bits == 0 && m_word < kWords) {
                ++m_word;
                m_bits = m_word < kWords ? m_set->m_bits[m_word] : 0;
            }
        }
        const RuleSet *m_set;
        size_t m_word;
        quint64 m_bits;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, kWords); }

private:
    std::array<quint64, kWords> m_bits{};
};
static_assert(std::size(kTextRules) <= RuleSet::kWords * 64);

// The pairs of adjacent bytes a line holds (by bucket, see below), and the
// rules filed under them.
struct LinePairs
{
    std::array<quint64, 64> present{}; // one bit a bucket
    RuleSet candidates;
    bool holds(unsigned bucket) const { return present[bucket / 64] >> (bucket % 64) & 1; }
};

// Skip tables for the markers above: every line of a report is searched for
// each marker it may hold. Each marker is filed under its rarest pair of
// adjacent bytes, and a line is searched only for the markers filed under
// the pairs it holds that hold a few more of the marker's pairs too.
struct Matchers
{
    static constexpr size_t kPairs = 8; // pairs of a marker looked at, spread over it
    static constexpr unsigned kBuckets = 4096;
    // The six low bits of each byte: letters, digits and signs keep apart
    // from one another, if not from control bytes.
    static unsigned bucket(char first, char second)
    {
        return (unsigned(static_cast<unsigned char>(first) & 0x3f) << 6) |
               (static_cast<unsigned char>(second) & 0x3f);
    }
    // How seldom a byte is in text: blanks and common letters least.
    static int rarity(char c)
    {
        static constexpr std::string_view kByFrequency = " etaoinshrdlcumwfgypbvkjxqz";
        const char lower = c >= 'A' && c <= 'Z' ? char(c | 0x20) : c;
        const size_t place = kByFrequency.find(lower);
        return (place == kByFrequency.npos ? 20 : int(place)) + (lower != c ? 20 : 0);
    }
    std::array<QByteArrayMatcher, std::size(kTextRules)> rules;
    std::array<std::array<quint16, kPairs>, std::size(kTextRules)> pairs{};
    std::vector<RuleSet> byPair = std::vector<RuleSet>(kBuckets);
    QByteArrayMatcher lower{"essage"};
    QByteArrayMatcher upper{"ESSAGE"};
    Matchers()
    {
        for (size_t i = 0; i < rules.size(); ++i) {
            const QByteArrayView marker(kTextRules[i].marker);
            rules[i].setPattern(marker.toByteArray());
            qsizetype rarest = 0;
            for (qsizetype at = 1; at + 1 < marker.size(); ++at) {
                if (rarity(marker[at]) + rarity(marker[at + 1]) >
                    rarity(marker[rarest]) + rarity(marker[rarest + 1]))
                    rarest = at;
            }
            byPair[bucket(marker[rarest], marker[rarest + 1])].add(i);
            const qsizetype count = marker.size() - 1;
            for (size_t k = 0; k < kPairs; ++k) {
                const qsizetype at = qsizetype(k) * (count - 1) / qsizetype(kPairs - 1);
                pairs[i][k] = quint16(bucket(marker[at], marker[at + 1]));
            }
        }
    }
    LinePairs pairsOf(QByteArrayView line) const
    {
        LinePairs found;
        for (qsizetype i = 1; i < line.size(); ++i) {
            const unsigned pair = bucket(line[i - 1], line[i]);
            found.present[pair / 64] |= quint64(1) << (pair % 64);
            found.candidates.unite(byPair[pair]);
        }
        return found;
    }
    // Where rule i's marker starts in the line, or -1.
    qsizetype find(size_t i, QByteArrayView line, const LinePairs &linePairs) const
    {
        for (const quint16 pair : pairs[i]) {
            if (!linePairs.holds(pair))
                return -1;
        }
        return rules[i].indexIn(line);
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

// A list that names no failure: its marker line speaks of a delay or of a
// delivery ("Delivery to the following recipients has been delayed",
// "... succeeded", "Your message has been delivered to the following").
constexpr TextRule kNoFailureList{"delayed or delivered list", "", LayoutShape::Ignored};
// A line ending in ":" that tells of a failure, above its recipients.
constexpr TextRule kFailureIntro{"failure list", "", LayoutShape::Paragraphs, nullptr, true};

// A line's first bytes in lower case (ASCII), for the phrases below.
class LowerLine
{
public:
    explicit LowerLine(QByteArrayView line)
    {
        m_size = std::min<qsizetype>(line.size(), qsizetype(sizeof m_text));
        // ASCII only, whatever the locale: other bytes are parts of characters.
        for (qsizetype i = 0; i < m_size; ++i)
            m_text[i] = line[i] >= 'A' && line[i] <= 'Z' ? char(line[i] | 0x20) : line[i];
    }
    template <size_t N> bool holdsAny(const char *const (&phrases)[N]) const
    {
        const std::string_view text(m_text, size_t(m_size));
        return std::any_of(std::begin(phrases), std::end(phrases),
                           [&](const char *phrase) { return text.find(phrase) != text.npos; });
    }

private:
    char m_text[1024];
    qsizetype m_size = 0;
};

// clang-format off
constexpr const char *kNoFailurePhrases[] = {
    "delay", "succeeded", " successful", "has been delivered", "was delivered", "is complete",
    "not yet", "temporar", "will retry", "will be retried",
    // "delayed" in German, French, Italian, Spanish, Dutch, Japanese (UTF-8)
    "verzoegert", "verz\xc3\xb6gert", "verz\xf6gert", "retard", "ritard", "retras", "vertraagd",
    "\xe9\x81\x85\xe5\xbb\xb6",
    // Japanese "delay", "retry", "temporary" in UTF-8, Shift_JIS and ISO-2022-JP (its bytes
    // between the escapes, letters lowered as the line's are)
    "\x92x\x89\x84", "\xe5\x86\x8d\xe8\xa9\xa6\xe8\xa1\x8c", "\x8d\xc4\x8e\x8e\x8ds", ":f;n9t",
    "\xe4\xb8\x80\xe6\x99\x82\xe7\x9a\x84", "\x88\xea\x8e\x9e\x93i", "0l;~e*",
    // Japanese "is late" and "will try" (a notice's usual words) in the same three
    "\xe9\x81\x85\xe3\x82\x8c\xe3\x81\xa6", "\x92x\x82\xea\x82\xc4", "cy$l$f",
    "\xe8\xa9\xa6\xe3\x81\xbf\xe3\x81\xbe\xe3\x81\x99", "\x8e\x8e\x82\xdd\x82\xdc\x82\xb7", ";n$_$^$9",
};
// Phrases that tell of a failure, or name a reason for one.
constexpr const char *kFailurePhrases[] = {
    "not be delivered", "n't be delivered", "n\xe2\x80\x99t be delivered", "cannot be delivered",
    "not delivered", "n't delivered", "n\xe2\x80\x99t delivered", "undeliver", "failed", "failure",
    "unable to deliver", "not deliver", "n't deliver", "did not reach", "not be reached",
    "did not receive", "rejected", "refused", "blocked", "not accepted", "permanent",
    "unknown", "no such", "not exist", "n't exist", "not found", "invalid", "unavailable",
    "mailbox is full", "mailbox full", "over quota", "quota exceeded", "exceeds", "disabled",
    "not listed", "unrouteable", "unroutable", "no mailbox", "inactive", "suspended", "expired",
    // Japanese "could not", "was not", "does not exist", "not found", "unknown recipient",
    // in UTF-8, Shift_JIS and ISO-2022-JP as above
    "\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x81\xa7\xe3\x81\x97\xe3\x81\x9f",
    "\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd", "$g$-$^$;$s$g$7$\x3f",
    "\xe3\x81\x95\xe3\x82\x8c\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x81\xa7\xe3\x81\x97\xe3\x81\x9f",
    "\x82\xb3\x82\xea\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd", "$5$l$^$;$s$g$7$\x3f",
    "\xe5\xad\x98\xe5\x9c\xa8\xe3\x81\x97\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93",
    "\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb9\x82\xf1", "b8:_$7$^$;$s",
    "\xe8\xa6\x8b\xe3\x81\xa4\xe3\x81\x8b\xe3\x82\x8a\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93",
    "\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1", "8+$d$+$j$^$;$s",
    "\xe5\xae\x9b\xe5\x85\x88\xe4\xb8\x8d\xe6\x98\x8e", "\x88\xb6\x90\xe6\x95s\x96\xbe",
};
// Labels of the sender's address ("From: a@b", "MAIL FROM:<a@b>").
constexpr const char *kSenderLabels[] = {
    "from", "sender", "reply-to", "return-path", "mail from", "envelope-from", "envelope from",
    "original sender", "sender address",
};
// Mailboxes of servers and their people, never a list member's.
constexpr const char *kServerMailboxes[] = {
    "postmaster", "mailer-daemon", "mailer_daemon", "abuse", "hostmaster", "root",
    "noreply", "no-reply",
};
// clang-format on

// The label of a line "Label: ..." (letters, blanks and hyphens before the
// colon), or empty text.
QByteArrayView labelOf(QByteArrayView line)
{
    line = trimmedStart(line);
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0 || colon > 24)
        return {};
    const QByteArrayView label = line.first(colon);
    return std::all_of(label.begin(), label.end(),
                       [](char c) {
                           return std::isalpha(static_cast<unsigned char>(c)) || c == ' ' ||
                                  c == '-';
                       })
               ? label
               : QByteArrayView();
}

bool isSenderLabel(QByteArrayView label)
{
    while (!label.isEmpty() && isBlank(label.back()))
        label.chop(1);
    return !label.isEmpty() &&
           std::any_of(std::begin(kSenderLabels), std::end(kSenderLabels), [&](const char *known) {
               return label.compare(QByteArrayView(known), Qt::CaseInsensitive) == 0;
           });
}

bool tellsNoFailure(QByteArrayView line)
{
    return LowerLine(line).holdsAny(kNoFailurePhrases);
}

// The address around the "@" at position at: the bytes on either side that
// an address may hold, sentence punctuation aside.
QByteArrayView addressAround(QByteArrayView line, qsizetype at)
{
    const auto inAddress = [](char c) {
        return !kNotInAddress[static_cast<unsigned char>(c)] && c != '\'' && c != '*';
    };
    qsizetype start = at;
    while (start > 0 && inAddress(line[start - 1]))
        --start;
    qsizetype end = at + 1;
    while (end < line.size() && inAddress(line[end]))
        ++end;
    QByteArrayView address = line.sliced(start, end - start);
    while (!address.isEmpty() && (address.back() == '.' || address.back() == '-'))
        address.chop(1);
    return isAddress(address) ? address : QByteArrayView();
}

// The line with the bytes of its ISO-2022 shifted runs (ESC "$" up to ESC
// "(") and their escapes made blanks.
QByteArray withoutShiftedRuns(QByteArrayView line)
{
    QByteArray text = line.toByteArray();
    bool shifted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\x1b' && i + 2 < text.size() &&
            (text[i + 1] == '$' || text[i + 1] == '(')) {
            shifted = text[i + 1] == '$';
            text[i] = text[i + 1] = text[i + 2] = ' ';
            i += 2;
        } else if (shifted) {
            text[i] = ' ';
        }
    }
    return text;
}

// A layout's marker on the line, of the given shape or of any.
bool holdsMarker(QByteArrayView line, std::optional<LayoutShape> shape = {})
{
    const Matchers &match = matchers();
    const LinePairs pairs = match.pairsOf(line);
    for (const size_t i : pairs.candidates) {
        if (!kTextRules[i].fallback && (!shape || kTextRules[i].shape == *shape) &&
            match.find(i, line, pairs) >= 0)
            return true;
    }
    return false;
}

} // namespace

bool TextReader::excluded(QByteArrayView address) const
{
    const QByteArrayView local = address.first(address.indexOf('@'));
    return std::any_of(std::begin(kServerMailboxes), std::end(kServerMailboxes),
                       [&](const char *mailbox) {
                           return local.compare(QByteArrayView(mailbox), Qt::CaseInsensitive) == 0;
                       }) ||
           std::any_of(m_excluded.begin(), m_excluded.end(), [&](const QByteArray &own) {
               return address.compare(own, Qt::CaseInsensitive) == 0;
           });
}

void TextReader::startList(const TextRule &rule, QByteArrayView line)
{
    m_rule = &rule;
    m_phase = Phase::Listing;
    m_quoted = trimmedStart(line).startsWith('>');
    m_items = 0;
    m_linesBeforeFirst = 0;
    m_gap = false;
    m_pending.clear();
}

// Where no layout matched, a report's own words: an address alone on its
// line or labelled as the recipient; a line that tells of a failure and
// names an address ("Your message to a@b has been blocked", "a@b, ERROR
// CODE :550 - mailbox unavailable"), also wrapped over two lines; a line that
// tells of one and ends in ":" above its recipients. Only in a delivery
// report, never where a line speaks of a delay, and never a server's mailbox,
// a sender or the report's own addresses.
void TextReader::fallbackLine(QByteArrayView raw)
{
    const QByteArray &candidate = m_lineBefore;
    if (raw.isEmpty())
        return;
    // In ISO-2022-JP text the bytes of Japanese characters, between the
    // escapes, may hold an "@": no address is looked for there.
    QByteArray unshifted;
    if (raw.contains('\x1b'))
        unshifted = withoutShiftedRuns(raw);
    const QByteArrayView line = unshifted.isEmpty() ? raw : QByteArrayView(unshifted);
    // The original's header block, quoted in the text: what follows is the
    // original's text.
    if ((line.front() == 'R' || line.front() == 'r') &&
        (line.startsWith("Received:") || line.startsWith("Return-Path:") ||
         line.startsWith("Return-path:"))) {
        m_fallbackEnded = true;
        return;
    }
    if (line.front() == '>')
        return;
    const qsizetype firstAt = line.indexOf('@');
    QByteArrayView trimmed = line;
    while (!trimmed.isEmpty() && isBlank(trimmed.back()))
        trimmed.chop(1);
    const bool intro = trimmed.endsWith(':');
    // The sender's address, labelled on its line or on the line before:
    // never a recipient of this report.
    if (const QByteArrayView label = labelOf(line); isSenderLabel(label)) {
        m_senderLabel = trimmedStart(line).size() == label.size() + 1 || firstAt < 0;
        for (qsizetype at = firstAt; at >= 0; at = line.indexOf('@', at + 1)) {
            if (const QByteArrayView address = addressAround(line, at); !address.isEmpty())
                m_excluded.append(address.toByteArray());
        }
        return;
    }
    if (m_senderBefore && firstAt >= 0) {
        qsizetype length = 0;
        if (QByteArray address = leadingAddress(trimmedStart(line), &length); !address.isEmpty())
            m_excluded.append(address);
    }
    const bool plain = firstAt < 0 && !intro && candidate.isEmpty() && !trimmed.endsWith(" to") &&
                       !trimmed.endsWith(" for");
    // A line with no address says nothing more here, unless it is in
    // another language than English: a notice in one, whose subject and
    // layout are known to no rule, may tell of a delay only in its words.
    if (plain && std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80; }))
        return;
    const LowerLine lowered(raw);
    // A line that speaks of a delay: the addresses of such a report have
    // not failed.
    if (lowered.holdsAny(kNoFailurePhrases)) {
        m_collector.setNoFallback();
        return;
    }
    if (plain)
        return;
    if (firstAt >= 0) {
        // An address alone on its line, or labelled as the recipient
        // ("Recipient: a@b").
        qsizetype length = 0;
        QByteArrayView rest = trimmedStart(line);
        if (const qsizetype colon = rest.indexOf(':');
            colon > 0 && colon < firstAt && containsNoCase(rest.first(colon), "recipient"))
            rest = trimmedStart(rest.sliced(colon + 1));
        if (QByteArray address = leadingAddress(rest, &length);
            !address.isEmpty() && trimmedStart(rest.sliced(length)).isEmpty()) {
            if (!excluded(address))
                m_collector.add(Fallback, address, "recipient line");
            return;
        }
    }
    QByteArrayView address;
    for (qsizetype at = firstAt; at >= 0 && address.isEmpty(); at = line.indexOf('@', at + 1)) {
        address = addressAround(line, at);
        if (address.isEmpty())
            continue;
        // "from a@b", "Sender: <a@b>": the sender, not the recipient.
        const QByteArrayView before = line.first(address.data() - line.data());
        const QByteArrayView word = before.last(std::min<qsizetype>(before.size(), 9));
        if (excluded(address) || containsNoCase(word, "from") || containsNoCase(word, "sender"))
            address = {};
    }
    const bool failure = lowered.holdsAny(kFailurePhrases);
    if (!address.isEmpty()) {
        // A sentence wrapped after the address: "Your message to: a@b" and
        // "was not delivered." on the next line.
        if (failure)
            m_collector.add(Fallback, address, "failure sentence");
        else
            m_candidate = address.toByteArray();
        return;
    }
    if (!failure)
        return;
    if (!candidate.isEmpty() && firstAt < 0)
        m_collector.add(Fallback, candidate, "failure sentence");
    // A sentence wrapped before its recipients: "... could not be delivered
    // to" with the address on the next line, as a line ending in ":" does.
    else if (firstAt < 0 && (intro || trimmed.endsWith(" to") || trimmed.endsWith(" for")))
        startList(kFailureIntro, line);
}

Source TextReader::source() const
{
    return m_rule->fallback ? Fallback : ReportText;
}

void TextReader::endList()
{
    if (!m_pending.isEmpty() && m_rule->shape != LayoutShape::Ignored)
        m_collector.add(source(), m_pending, m_rule->name);
    m_pending.clear();
    if (m_phase == Phase::Listing)
        m_phase = Phase::Searching;
}

void TextReader::line(QByteArrayView line)
{
    m_lineBefore = std::exchange(m_candidate, {});
    m_senderBefore = std::exchange(m_senderLabel, false);
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
            return ++m_linesBeforeFirst <= m_rule->remarks;
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
            m_collector.add(source(), m_pending, m_rule->name);
        m_pending = address;
        ++m_items;
        m_gap = false;
        return true;
    }
    if (m_gap)
        return false;
    // A delay notice's words under a recipient ("will keep retrying").
    if (holdsMarker(line, LayoutShape::Warning))
        m_collector.setWarning();
    // A layout's marker ends a list that no layout began.
    if (m_rule->fallback && holdsMarker(line))
        return false;
    // Reasons under an address; before the first, a few remark lines.
    return m_items > 0 || ++m_linesBeforeFirst <= m_rule->remarks;
}

void TextReader::search(QByteArrayView line)
{
    const Matchers &match = matchers();
    const LinePairs pairs = match.pairsOf(line);
    if (!m_inOriginal &&
        ((pairs.holds(Matchers::bucket('a', 'g')) && match.lower.indexIn(line) >= 0) ||
         (pairs.holds(Matchers::bucket('A', 'G')) && match.upper.indexIn(line) >= 0))) {
        if (LowerLine(line).holdsAny(kOriginalMessageStarts)) {
            m_inOriginal = true;
            return;
        }
    }
    for (const size_t i : pairs.candidates) {
        const TextRule *rule = &kTextRules[i];
        if (((m_inOriginal || !m_layouts) && rule->shape != LayoutShape::Approval) ||
            (rule->fallback && !fallbackOn()))
            continue;
        const qsizetype at = match.find(i, line, pairs);
        if (at < 0 || (rule->also && !line.contains(rule->also)))
            continue;
        // A list of recipients whose mail is delayed, or was delivered.
        if ((rule->shape == LayoutShape::ListBelow || rule->shape == LayoutShape::Paragraphs ||
             rule->shape == LayoutShape::SameLine) &&
            tellsNoFailure(line))
            rule = &kNoFailureList;
        if (rule->shape == LayoutShape::Ignored)
            m_collector.setNoFallback();
        m_rule = rule;
        switch (rule->shape) {
        case LayoutShape::ListBelow:
        case LayoutShape::Paragraphs:
            // "The following recipient could not be reached: a@b": the
            // first address on the marker's line, more may follow below.
            if (QByteArray address = addressAfter(line, at + qsizetype(std::strlen(rule->marker)));
                !address.isEmpty())
                m_collector.add(ReportText, address, rule->name);
            startList(*rule, line);
            break;
        case LayoutShape::Ignored:
            startList(*rule, line);
            break;
        case LayoutShape::SameLine:
            // Where the line ends with the marker, the addresses follow it
            // as a list ("was not delivered to:" and the next lines).
            if (QByteArray address = addressAfter(line, at + qsizetype(std::strlen(rule->marker)));
                !address.isEmpty())
                m_collector.add(ReportText, address, rule->name);
            else
                startList(*rule, line);
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
    if (m_inOriginal || !m_layouts)
        return;
    // "RCPT TO:<a@b>" in a session transcript, answered by a 5xx reply on
    // the line after.
    const QByteArray recipient = std::exchange(m_rcpt, {});
    if (const qsizetype rcpt = line.contains('@') ? containsNoCaseAt(line, "RCPT TO:") : -1;
        rcpt >= 0) {
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
    if (fallbackOn())
        fallbackLine(line);
}

// Lines longer than this are cut for the rules: no marker or address is
