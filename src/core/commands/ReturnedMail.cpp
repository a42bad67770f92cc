#include "commands/ReturnedMail.h"

#include "commands/AddressExtraction.h"
#include "store/SafeFile.h"

#include <QBuffer>
#include <QByteArrayMatcher>
#include <QFile>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

// GMime reads through this stream, so a file is never copied into memory and
// a read error of the device is remembered instead of looking like the end.
namespace {
struct DeviceSource
{
    QIODevice *device = nullptr;
    QString error;
};
} // namespace

extern "C" {
struct TvlDeviceStream
{
    GMimeStream parent;
    DeviceSource *source;
    gboolean eos;
};
struct TvlDeviceStreamClass
{
    GMimeStreamClass parent_class;
};
}

G_DEFINE_TYPE(TvlDeviceStream, tvl_device_stream, GMIME_TYPE_STREAM)

namespace {

TvlDeviceStream *deviceStream(GMimeStream *stream)
{
    return reinterpret_cast<TvlDeviceStream *>(stream);
}

GMimeStream *newDeviceStream(DeviceSource *source, gint64 start, gint64 end)
{
    auto *stream =
        static_cast<TvlDeviceStream *>(g_object_new(tvl_device_stream_get_type(), nullptr));
    stream->source = source;
    g_mime_stream_construct(&stream->parent, start, end);
    return &stream->parent;
}

ssize_t deviceRead(GMimeStream *stream, char *buffer, size_t length)
{
    TvlDeviceStream *self = deviceStream(stream);
    QIODevice &device = *self->source->device;
    if (stream->bound_end != -1) {
        if (stream->position >= stream->bound_end)
            return 0;
        length = size_t(std::min<gint64>(stream->bound_end - stream->position, gint64(length)));
    }
    // Substreams share the device: each read starts where its stream stands.
    if (!device.isSequential() && device.pos() != stream->position &&
        !device.seek(stream->position)) {
        self->source->error = device.errorString();
        return -1;
    }
    const qint64 got = device.read(buffer, qint64(length));
    if (got < 0) {
        self->source->error = device.errorString();
        if (self->source->error.isEmpty())
            self->source->error = QStringLiteral("read error");
        return -1;
    }
    self->eos = got == 0;
    stream->position += got;
    return ssize_t(got);
}

ssize_t deviceWrite(GMimeStream *, const char *, size_t)
{
    return -1; // read only
}

int deviceNothing(GMimeStream *)
{
    return 0;
}

gboolean deviceEos(GMimeStream *stream)
{
    if (stream->bound_end != -1)
        return stream->position >= stream->bound_end;
    return deviceStream(stream)->eos;
}

int deviceReset(GMimeStream *stream)
{
    if (deviceStream(stream)->source->device->isSequential() &&
        stream->position != stream->bound_start)
        return -1;
    deviceStream(stream)->eos = false;
    return 0;
}

gint64 deviceSeek(GMimeStream *stream, gint64 offset, GMimeSeekWhence whence)
{
    QIODevice &device = *deviceStream(stream)->source->device;
    if (device.isSequential())
        return -1;
    gint64 target = offset;
    if (whence == GMIME_STREAM_SEEK_CUR)
        target = stream->position + offset;
    else if (whence == GMIME_STREAM_SEEK_END)
        target = (stream->bound_end != -1 ? stream->bound_end : device.size()) + offset;
    if (target < stream->bound_start || (stream->bound_end != -1 && target > stream->bound_end))
        return -1;
    stream->position = target;
    deviceStream(stream)->eos = false;
    return target;
}

gint64 deviceTell(GMimeStream *stream)
{
    // Unknown on a pipe: the parser then keeps part contents itself.
    return deviceStream(stream)->source->device->isSequential() ? -1 : stream->position;
}

gint64 deviceLength(GMimeStream *stream)
{
    if (stream->bound_end != -1)
        return stream->bound_end - stream->bound_start;
    QIODevice &device = *deviceStream(stream)->source->device;
    return device.isSequential() ? -1 : device.size() - stream->bound_start;
}

GMimeStream *deviceSubstream(GMimeStream *stream, gint64 start, gint64 end)
{
    return newDeviceStream(deviceStream(stream)->source, start, end);
}

} // namespace

static void tvl_device_stream_class_init(TvlDeviceStreamClass *klass)
{
    GMimeStreamClass *stream = &klass->parent_class;
    stream->read = deviceRead;
    stream->write = deviceWrite;
    stream->flush = deviceNothing;
    stream->close = deviceNothing;
    stream->eos = deviceEos;
    stream->reset = deviceReset;
    stream->seek = deviceSeek;
    stream->tell = deviceTell;
    stream->length = deviceLength;
    stream->substream = deviceSubstream;
}

static void tvl_device_stream_init(TvlDeviceStream *stream)
{
    stream->source = nullptr;
    stream->eos = false;
}

namespace {

// Owns one GObject reference.
struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, Unref>;

// GMime keeps global tables: they are set up once, by whichever thread reads
// first (a function-local static is initialised exactly once, also when
// threads race), and never torn down, as another thread may still read.
void initGMime()
{
    static const bool initialised = [] {
        g_mime_init();
        return true;
    }();
    (void)initialised;
}

// A decoded part content as a device, for the line stream.
class GMimeStreamDevice : public QIODevice
{
public:
    GMimeStreamDevice(GMimeStream *stream, DeviceSource &source)
        : m_stream(stream), m_source(source)
    {
        open(ReadOnly | Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        if (g_mime_stream_eos(m_stream))
            return 0;
        const ssize_t got = g_mime_stream_read(m_stream, data, size_t(maxSize));
        if (got < 0) {
            if (!m_source.error.isEmpty()) {
                setErrorString(m_source.error);
                return -1;
            }
            return 0;
        }
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    GMimeStream *m_stream;
    DeviceSource &m_source;
};

// ---------------------------------------------------------------------------
// Addresses in report text.

constexpr bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

QByteArrayView trimmedStart(QByteArrayView text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    return text.sliced(first - text.begin());
}

constexpr std::array<bool, 256> kNotInAddress = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c <= ' '; ++c)
        table[c] = true;
    for (unsigned char c : {'<', '>', '(', ')', '[', ']', '\\', ',', ';', ':', '"'})
        table[c] = true;
    return table;
}();

// A mailbox as servers print it: one "@" with something on either side and
// none of the bytes that delimit addresses in reports.
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

// The address of the token that starts text ("<a@b>", "\"a@b\"", "a@b:"),
// with the length of the token, or empty text.
QByteArray leadingAddress(QByteArrayView text, qsizetype *tokenLength = nullptr)
{
    QByteArrayView token;
    qsizetype length = 0;
    if (text.startsWith('<') || text.startsWith('"')) {
        const qsizetype close = text.indexOf(text.front() == '<' ? '>' : '"', 1);
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

// The address a list line names, or empty text for a reason or remark line.
// A line that starts with an address names it, unless a bracketed address
// follows ("name@host <real@host>", a display name that looks like one);
// "Name <a@b>" names the bracketed address as ParseMailAddress reads it.
QByteArray itemAddress(QByteArrayView line)
{
    line = trimmedStart(line);
    // Bullets and markers some servers put before each address.
    while (!line.isEmpty() && (line.front() == '*' || line.front() == '-' || line.front() == '>'))
        line = trimmedStart(line.sliced(1));
    if (line.isEmpty() || line.front() == '(')
        return {};
    qsizetype length = 0;
    if (QByteArray address = leadingAddress(line, &length); !address.isEmpty()) {
        const QByteArrayView rest = trimmedStart(line.sliced(length));
        if (rest.startsWith('<')) {
            if (QByteArray bracketed = ParseMailAddress(rest); isAddress(bracketed))
                return bracketed;
        }
        return address;
    }
    const qsizetype open = line.indexOf('<');
    if (open < 0)
        return {};
    // A display name has no digits or colons: "550 5.1.1 <a@b>" and
    // "said: <a@b>" are reasons.
    const QByteArrayView name = line.first(open);
    if (std::any_of(name.begin(), name.end(),
                    [](char c) { return c == ':' || (c >= '0' && c <= '9'); }))
        return {};
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

bool containsNoCase(QByteArrayView haystack, QByteArrayView needle)
{
    if (needle.size() > haystack.size())
        return false;
    for (qsizetype i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (qstrnicmp(haystack.data() + i, needle.size(), needle.data(), needle.size()) == 0)
            return true;
    }
    return false;
}

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

// ---------------------------------------------------------------------------
// The layouts of report texts. A marker line starts a rule; the first entry
// whose marker the line holds (letter case as written) wins, so the more
// particular markers come first. A new layout is one entry.

enum class Shape
{
    ListBelow, // addresses on the lines after the marker, up to an empty line
    Ignored,   // such a list, of delayed recipients: its lines give nothing
    SameLine,  // the address follows the marker on its line
    Approval   // the list server's approval request: the command line after next
};

struct TextRule
{
    const char *name;
    const char *marker;
    Shape shape;
};

// clang-format off
constexpr TextRule kTextRules[] = {
    {"delay notice",             "transient non-fatal errors",             Shape::Ignored},   // sendmail warning
    {"delay notice",             "has been delayed",                       Shape::Ignored},   // Gmail warning
    {"delay notice",             "will continue to try",                   Shape::Ignored},
    {"heading list",             "The following address",                  Shape::ListBelow}, // sendmail, Exim, GMX, 1&1
    {"undeliverable-to list",    "to the following address",               Shape::ListBelow}, // qmail, Yahoo
    {"failed-recipients list",   "the following recipient",                Shape::ListBelow}, // Gmail, X3
    {"failed-addresses list",    "Failed addresses follow",                Shape::ListBelow},
    {"addressed-to list",        "you addressed to email address",         Shape::ListBelow}, // Mimecast
    {"error-delivering line",    "error delivering your mail to",          Shape::SameLine},  // DragonFly
    {"invalid-userid line",      "Invalid final delivery userid:",         Shape::SameLine},  // IMail
    {"approval request",         "requests that you approve the following", Shape::Approval}, // Majordomo
    {"approval request",         "requests you approve the following",     Shape::Approval},
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

// Where an address was found, by how much it is to be trusted: the answer is
// the first kind that found any.
enum Source
{
    DeliveryStatus, // the machine-readable part of a standard report
    FailedHeader,   // Exim's and Gmail's X-Failed-Recipients
    ReportText,     // a layout of the table above
    Transcript,     // a 5xx reply in a session transcript, the last resort
    SourceCount
};

// The addresses of one list, each once with letter case ignored. A report
// may list a million and more: the set holds their places in the list (an
// open-addressed table of indices), not lowered copies of their text.
class AddressSet
{
public:
    // Appends the address unless the list has it already.
    void add(QByteArrayView address, const char *rule)
    {
        if (size_t(2 * (m_found.size() + 1)) > m_slots.size())
            grow();
        const quint32 tag = hashNoCase(address);
        const size_t mask = m_slots.size() - 1;
        for (size_t at = tag & mask;; at = (at + 1) & mask) {
            Slot &slot = m_slots[at];
            if (slot.index < 0) {
                slot = {tag, qint32(m_found.size())};
                m_found.append({address.toByteArray(), rule});
                return;
            }
            // The tag spares a look at the text of most other addresses.
            if (slot.tag == tag && equalNoCase(m_found.at(slot.index).address, address))
                return;
        }
    }
    bool isEmpty() const { return m_found.isEmpty(); }
    const QList<FailedRecipient> &found() const { return m_found; }

private:
    struct Slot
    {
        quint32 tag = 0; // the address's hash, which also places it
        qint32 index = -1;
    };

    // Letter case as QByteArray::toLower() takes it: ASCII only.
    static constexpr unsigned char lower(char c)
    {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    static bool equalNoCase(QByteArrayView a, QByteArrayView b)
    {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [](char x, char y) { return lower(x) == lower(y); });
    }
    static quint32 hashNoCase(QByteArrayView text)
    {
        quint64 hash = 14695981039346656037ULL; // FNV-1a
        for (char c : text) {
            hash ^= lower(c);
            hash *= 1099511628211ULL;
        }
        // A multiplication carries upwards only: mix the high bits down.
        hash ^= hash >> 33;
        hash *= 0xff51afd7ed558ccdULL;
        return quint32(hash >> 32);
    }
    // Doubles the table; the tags place the addresses again without a look
    // at their text.
    void grow()
    {
        std::vector<Slot> table(std::max<size_t>(64, m_slots.size() * 2));
        const size_t mask = table.size() - 1;
        for (const Slot &slot : m_slots) {
            if (slot.index < 0)
                continue;
            size_t at = slot.tag & mask;
            while (table[at].index >= 0)
                at = (at + 1) & mask;
            table[at] = slot;
        }
        m_slots = std::move(table);
    }

    QList<FailedRecipient> m_found;
    std::vector<Slot> m_slots; // a power of two in size, at most half used
};

class Collector
{
public:
    void add(Source source, QByteArrayView address, const char *rule)
    {
        if (!address.isEmpty())
            m_found[source].add(address, rule);
    }
    bool any(Source source) const { return !m_found[source].isEmpty(); }
    // A delivery-status part that named recipients decides, also when none
    // failed (a delay notice).
    void setStatusDecides() { m_statusDecides = true; }
    bool decided() const
    {
        return m_statusDecides ||
               std::any_of(std::begin(m_found), std::end(m_found),
                           [](const AddressSet &found) { return !found.isEmpty(); });
    }

    QList<FailedRecipient> result() const
    {
        if (m_statusDecides)
            return m_found[DeliveryStatus].found();
        for (const AddressSet &found : m_found) {
            if (!found.isEmpty())
                return found.found();
        }
        return {};
    }

private:
    AddressSet m_found[SourceCount];
    bool m_statusDecides = false;
};

// Reads report text line by line with the table above.
class TextReader
{
public:
    explicit TextReader(Collector &collector) : m_collector(collector) {}
    // A new text part: lists and quotes do not run on across parts.
    void startPart()
    {
        endList();
        m_phase = m_phase == Phase::Done ? Phase::Done : Phase::Searching;
        m_inOriginal = false;
    }
    void line(QByteArrayView line);
    void finishPart() { endList(); }
    bool done() const { return m_phase == Phase::Done; }

private:
    enum class Phase
    {
        Searching,
        Listing,
        SkippingLine, // the empty line after the approval marker
        CommandLine,
        Done // an approval request was read: nothing else counts
    };
    void search(QByteArrayView line);
    bool list(QByteArrayView line); // false: the line ended the list
    void endList()
    {
        if (!m_pending.isEmpty() && m_rule->shape == Shape::ListBelow)
            m_collector.add(ReportText, m_pending, m_rule->name);
        m_pending.clear();
        if (m_phase == Phase::Listing)
            m_phase = Phase::Searching;
    }

    Collector &m_collector;
    Phase m_phase = Phase::Searching;
    const TextRule *m_rule = nullptr;
    // Below a line that introduces the original message: only an approval
    // request is still looked for there, as owners forward those inline.
    bool m_inOriginal = false;
    bool m_quoted = false;      // the marker line was quoted with ">"
    int m_items = 0;            // addresses in the current list
    int m_linesBeforeFirst = 0; // remarks between marker and first address
    QByteArray m_pending;       // the last address, until "(expanded from:" is ruled out
};

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
    if (line.isEmpty())
        return m_items == 0 && ++m_linesBeforeFirst <= 3;
    if (isDelimiter(line))
        return false;
    const QByteArrayView trimmed = trimmedStart(line);
    static constexpr QByteArrayView kExpanded("(expanded from:");
    if (trimmed.startsWith(kExpanded)) {
        // sendmail names the alias the list sent to: the subscribed address.
        if (QByteArray original = addressAfter(trimmed, kExpanded.size()); !original.isEmpty())
            m_pending = original;
        return true;
    }
    if (QByteArray address = itemAddress(line); !address.isEmpty()) {
        if (!m_pending.isEmpty() && m_rule->shape == Shape::ListBelow)
            m_collector.add(ReportText, m_pending, m_rule->name);
        m_pending = address;
        ++m_items;
        return true;
    }
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
        if (m_inOriginal && rule.shape != Shape::Approval)
            continue;
        const qsizetype at = match.rules[i].indexIn(line);
        if (at < 0)
            continue;
        m_rule = &rule;
        switch (rule.shape) {
        case Shape::ListBelow:
        case Shape::Ignored:
            m_phase = Phase::Listing;
            m_quoted = trimmedStart(line).startsWith('>');
            m_items = 0;
            m_linesBeforeFirst = 0;
            m_pending.clear();
            break;
        case Shape::SameLine:
            m_collector.add(ReportText,
                            addressAfter(line, at + qsizetype(std::strlen(rule.marker))),
                            rule.name);
            break;
        case Shape::Approval:
            // Only the first report in a file counts.
            if (!m_collector.any(ReportText))
                m_phase = Phase::SkippingLine;
            break;
        }
        return;
    }
    if (m_inOriginal)
        return;
    // "<a@b>:" opening a paragraph about one recipient (qmail, Postfix, Yahoo).
    if (line.startsWith('<')) {
        const qsizetype close = line.indexOf('>');
        if (close > 0 && line.sliced(close + 1).startsWith(':') &&
            isAddress(line.sliced(1, close - 1))) {
            m_collector.add(ReportText, line.sliced(1, close - 1), "recipient paragraph");
            return;
        }
    }
    // "550 5.1.1 <a@b>... User unknown" in a sendmail session transcript.
    if (line.size() > 4 && line[0] == '5' && std::isdigit(static_cast<unsigned char>(line[1])) &&
        std::isdigit(static_cast<unsigned char>(line[2])) && line[3] == ' ') {
        QByteArrayView rest = line.sliced(4);
        if (!rest.isEmpty() && std::isdigit(static_cast<unsigned char>(rest.front()))) {
            const auto blank = std::find(rest.begin(), rest.end(), ' ');
            rest = trimmedStart(rest.sliced(blank - rest.begin()));
        }
        const qsizetype close = rest.indexOf('>');
        if (rest.startsWith('<') && close > 0 && rest.sliced(close + 1).startsWith("...") &&
            isAddress(rest.sliced(1, close - 1)))
            m_collector.add(Transcript, rest.sliced(1, close - 1), "transcript reply");
    }
}

// Lines longer than this are cut for the rules: no marker or address is
// that long, and a hostile line costs no more memory than this.
constexpr qsizetype kLongestLine = 8 * 1024;

// Hands each line of the device to the reader; false on a read error.
QString readLines(QIODevice &device, qsizetype bufferSize,
                  const std::function<void(QByteArrayView)> &take)
{
    LineStream lines(device, bufferSize);
    LineStream::Piece piece;
    QByteArray longLine;
    bool lineStart = true;
    while (lines.next(piece)) {
        if (lineStart && piece.lineEnd) {
            take(piece.bytes);
        } else {
            if (longLine.size() < kLongestLine)
                longLine.append(piece.bytes.first(
                    std::min(piece.bytes.size(), kLongestLine - longLine.size())));
            if (piece.lineEnd) {
                take(longLine);
                longLine.truncate(0);
            }
        }
        lineStart = piece.lineEnd;
    }
    return lines.errorString();
}

// ---------------------------------------------------------------------------
// The delivery-status part (RFC 3464 2.2, 2.3): groups of fields separated by
// empty lines; each group that names a recipient and an action is one
// recipient. Some servers write "Action : failed" or "rfc/822;".

struct StatusGroup
{
    QByteArray original;
    QByteArray final;
    QByteArray action;
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
            if (m_field.size() < kLongestLine)
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
        }
        m_field.clear();
    }
    void finishGroup()
    {
        if ((!m_group.original.isEmpty() || !m_group.final.isEmpty()) &&
            !m_group.action.isEmpty()) {
            m_collector.setStatusDecides();
            // "failed", and the "failure" some servers write; never delayed,
            // delivered, relayed or expanded.
            if (m_group.action.startsWith("fail")) {
                // The address the list sent to, before any forwarding.
                if (!m_group.original.isEmpty())
                    m_collector.add(DeliveryStatus, m_group.original,
                                    "delivery status (Original-Recipient)");
                else
                    m_collector.add(DeliveryStatus, m_group.final,
                                    "delivery status (Final-Recipient)");
            }
        }
        m_group = {};
    }

    Collector &m_collector;
    QByteArray m_field;
    StatusGroup m_group;
};

// ---------------------------------------------------------------------------
// The message.

// A feedback report (RFC 5965) complains about a mail that was delivered.
// (Auto-Submitted says nothing here: Postfix and Exim mark their delivery
// reports "auto-replied" as auto-replies are; those give no address anyway,
// as no rule finds one in them.)
bool isFeedbackReport(GMimeMessage *message)
{
    GMimeContentType *type = g_mime_object_get_content_type(GMIME_OBJECT(message));
    const char *reportType =
        type ? g_mime_content_type_get_parameter(type, "report-type") : nullptr;
    return reportType && containsNoCase(reportType, "feedback-report");
}

class MessageReader
{
public:
    // whole: the mail from its first byte.
    MessageReader(DeviceSource &source, GMimeStream *whole, qsizetype bufferSize)
        : m_source(source), m_whole(whole), m_bufferSize(bufferSize), m_text(m_collector)
    {
    }
    // message: null where the mail has no header block the parser took.
    QString read(GMimeMessage *message, int depth = 0);
    QList<FailedRecipient> result() const { return m_collector.result(); }

private:
    void walk(GMimeObject *object);
    QString readPart(GMimePart *part, const std::function<void(QByteArrayView)> &take);

    bool isPlainText(GMimeObject *body) const;

    DeviceSource &m_source;
    GMimeStream *m_whole;
    qsizetype m_bufferSize;
    Collector m_collector;
    TextReader m_text;
    QString m_error;
    GMimeMessage *m_attachedReport = nullptr; // a report forwarded as an attachment
};

QString MessageReader::read(GMimeMessage *message, int depth)
{
    if (message && isFeedbackReport(message))
        return {};
    GMimeObject *object = message ? GMIME_OBJECT(message) : nullptr;
    if (const char *failed =
            message ? g_mime_object_get_header(object, "X-Failed-Recipients") : nullptr) {
        for (const QByteArray &item : QByteArray(failed).split(',')) {
            if (QByteArray address = leadingAddress(item.trimmed()); !address.isEmpty())
                m_collector.add(FailedHeader, address, "X-Failed-Recipients header");
        }
    }
    m_attachedReport = nullptr;
    GMimeObject *body = message ? g_mime_message_get_mime_part(message) : nullptr;
    if (depth == 0 && (!body || isPlainText(body))) {
        // A mail of one plain text is read whole, header block and all, as
        // the text it is: also where its lines end in something the MIME
        // parser does not take for a line end (CR CR LF).
        GMimeStreamDevice device(m_whole, m_source);
        m_text.startPart();
        m_error = readLines(device, m_bufferSize, [&](QByteArrayView line) { m_text.line(line); });
        m_text.finishPart();
    } else if (body) {
        walk(body);
    }
    // An owner may forward a report as an attachment: it counts where the
    // forwarding mail itself says nothing.
    if (m_error.isEmpty() && !m_collector.decided() && !m_text.done() && m_attachedReport &&
        depth < 3)
        return read(m_attachedReport, depth + 1);
    return m_error;
}

bool MessageReader::isPlainText(GMimeObject *body) const
{
    if (!GMIME_IS_PART(body))
        return false;
    GMimeContentType *type = g_mime_object_get_content_type(body);
    if (type && !g_mime_content_type_is_type(type, "text", "*"))
        return false;
    switch (g_mime_part_get_content_encoding(GMIME_PART(body))) {
    case GMIME_CONTENT_ENCODING_BASE64:
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
    case GMIME_CONTENT_ENCODING_UUENCODE:
        return false;
    default:
        return true;
    }
}

void MessageReader::walk(GMimeObject *object)
{
    if (!m_error.isEmpty() || m_text.done())
        return;
    // The original message a report returns is no part of the report; an
    // attached report is kept for later.
    if (GMIME_IS_MESSAGE_PART(object)) {
        GMimeMessage *attached = g_mime_message_part_get_message(GMIME_MESSAGE_PART(object));
        GMimeObject *body = attached ? g_mime_message_get_mime_part(attached) : nullptr;
        GMimeContentType *type = body ? g_mime_object_get_content_type(body) : nullptr;
        if (!m_attachedReport && type && g_mime_content_type_is_type(type, "multipart", "report"))
            m_attachedReport = attached;
        return;
    }
    if (GMIME_IS_MULTIPART(object)) {
        GMimeMultipart *multipart = GMIME_MULTIPART(object);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
            walk(g_mime_multipart_get_part(multipart, i));
        return;
    }
    if (!GMIME_IS_PART(object))
        return;
    GMimeContentType *type = g_mime_object_get_content_type(object);
    if (g_mime_content_type_is_type(type, "message", "delivery-status") ||
        g_mime_content_type_is_type(type, "message", "global-delivery-status")) {
        StatusReader status(m_collector);
        m_error = readPart(GMIME_PART(object), [&](QByteArrayView line) { status.line(line); });
        status.finish();
    } else if (g_mime_content_type_is_type(type, "text", "plain")) {
        m_text.startPart();
        m_error = readPart(GMIME_PART(object), [&](QByteArrayView line) { m_text.line(line); });
        m_text.finishPart();
    }
}

// The part's content, transfer encoding undone, line by line. The bytes are
// not converted: addresses are ASCII in any charset a report uses.
QString MessageReader::readPart(GMimePart *part, const std::function<void(QByteArrayView)> &take)
{
    GMimeDataWrapper *content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GMimeStream *encoded = g_mime_data_wrapper_get_stream(content);
    if (!encoded || g_mime_stream_reset(encoded) != 0)
        return {};
    const GMimeContentEncoding encoding = g_mime_data_wrapper_get_encoding(content);
    GMimeStream *stream = encoded;
    GPtr<GMimeStream> filtered;
    if (encoding == GMIME_CONTENT_ENCODING_BASE64 ||
        encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
        encoding == GMIME_CONTENT_ENCODING_UUENCODE) {
        filtered.reset(g_mime_stream_filter_new(encoded));
        GMimeFilter *decoder = g_mime_filter_basic_new(encoding, false);
        g_mime_stream_filter_add(GMIME_STREAM_FILTER(filtered.get()), decoder);
        g_object_unref(decoder);
        stream = filtered.get();
    }
    GMimeStreamDevice device(stream, m_source);
    return readLines(device, m_bufferSize, take);
}

ReturnedMailReading readMail(QIODevice &device, qsizetype bufferSize)
{
    if (device.isSequential()) {
        // A pipe cannot be read twice: its bytes are kept to be read from.
        QByteArray bytes;
        char chunk[64 * 1024];
        for (;;) {
            const qint64 got = device.read(chunk, sizeof chunk);
            if (got < 0)
                return {{},
                        device.errorString().isEmpty() ? QStringLiteral("read error")
                                                       : device.errorString()};
            if (got == 0 && device.atEnd())
                break;
            bytes.append(chunk, got);
        }
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        return readMail(buffer, bufferSize);
    }
    initGMime();
    DeviceSource source{&device, {}};
    const gint64 start = device.pos();
    GPtr<GMimeStream> stream(newDeviceStream(&source, start, -1));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    // Part contents stay in the file; the parser keeps their places only.
    g_mime_parser_set_persist_stream(parser.get(), true);
    g_mime_parser_set_format(parser.get(), GMIME_FORMAT_MESSAGE);
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!source.error.isEmpty())
        return {{}, source.error};
    GPtr<GMimeStream> whole(newDeviceStream(&source, start, -1));
    MessageReader reader(source, whole.get(), bufferSize);
    if (QString error = reader.read(message.get()); !error.isEmpty())
        return {{}, error};
    return {reader.result(), {}};
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
