#include "commands/MimeMail.h"

#include <QBuffer>
#include <QFileDevice>
#include <QIODevice>
#include <QTemporaryFile>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <algorithm>
#include <cstring>
#include <deque>
#include <optional>
#include <vector>

// The structure is read as the bytes pass, once, following GMime's parser
// where it decides what a mail is made of (the tests hold the cases): a
// header block ends at the first empty line (a lone CR counts as empty); a
// line starting with a blank folds into the field before it; a line that is
// no field is passed over, but the mail's own block must start with a field
// or an mbox From line, and a block that a boundary cuts before any field is
// no part; a multipart's parts start at "--boundary" lines and it ends at
// "--boundary--" (blanks after either allowed), innermost boundary first, an
// outer one closing the parts inside; the line end before a boundary belongs
// to it; a part without a type is text/plain (message/rfc822 in a digest);
// the last Content-Type and Content-Transfer-Encoding fields count. GMime's
// parser builds an object for every field, parameter and part, which cost
// more than all the rest of reading a returned mail: here a part is its
// header block and the place of its content.

enum class MimeEncoding
{
    None,
    Base64,
    QuotedPrintable,
    UuEncode,
};

struct MimePart
{
    enum class Kind
    {
        Message,
        Multipart,
        MessagePart,
        Leaf,
    };
    Kind kind = Kind::Leaf;
    // The fields of its header block, each line ending in LF, folded lines
    // as written; no line that is no field.
    QByteArray header;
    // A message's body answers for the Content-* fields of the message's
    // block, the message for the others.
    bool contentFieldsOnly = false;
    QByteArray type = "text";
    QByteArray subtype = "plain";
    QByteArray typeValue; // the Content-Type value the type was read from
    MimeEncoding encoding = MimeEncoding::None;
    qint64 contentStart = 0;
    qint64 contentEnd = 0;
    // A multipart's parts, a message's body, a message part's message.
    std::vector<const MimePart *> children;
};

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isFolded(QByteArrayView line)
{
    return !line.isEmpty() && isBlank(line.front());
}

bool isBlankOnly(QByteArrayView text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return isBlank(c) || c == '\r' || c == '\n'; });
}

// Skips blanks and (nested) comments.
qsizetype skipSpace(QByteArrayView text, qsizetype at)
{
    int depth = 0;
    for (; at < text.size(); ++at) {
        const char c = text[at];
        if (depth > 0) {
            if (c == '\\')
                ++at;
            else if (c == '(')
                ++depth;
            else if (c == ')')
                --depth;
        } else if (c == '(') {
            ++depth;
        } else if (!isBlank(c) && c != '\r' && c != '\n') {
            break;
        }
    }
    return at;
}

bool isTokenChar(char c)
{
    return c > ' ' && c < 127 && !std::strchr("()<>@,;:\\\"/[]?=", c);
}

qsizetype tokenEnd(QByteArrayView text, qsizetype at)
{
    while (at < text.size() && isTokenChar(text[at]))
        ++at;
    return at;
}

struct MediaType
{
    QByteArray type;
    QByteArray subtype;
};

// "type/subtype" at the start of a Content-Type value; application/octet-
// stream where it is not one, as GMime takes it.
MediaType mediaType(QByteArrayView value)
{
    qsizetype at = skipSpace(value, 0);
    const qsizetype typeEnd = tokenEnd(value, at);
    MediaType result{value.sliced(at, typeEnd - at).toByteArray().toLower(), {}};
    at = skipSpace(value, typeEnd);
    if (result.type.isEmpty() || at >= value.size() || value[at] != '/')
        return {"application", "octet-stream"};
    at = skipSpace(value, at + 1);
    result.subtype = value.sliced(at, tokenEnd(value, at) - at).toByteArray().toLower();
    if (result.subtype.isEmpty())
        return {"application", "octet-stream"};
    return result;
}

// The value of a parameter of a Content-* field (a token or a quoted string,
// its escapes undone); nothing where the field has no such parameter.
std::optional<QByteArray> parameter(QByteArrayView value, QByteArrayView wanted)
{
    for (qsizetype at = value.indexOf(';'); at >= 0 && at < value.size();) {
        at = skipSpace(value, at + 1);
        const qsizetype nameEnd = tokenEnd(value, at);
        const QByteArrayView name = value.sliced(at, nameEnd - at);
        at = skipSpace(value, nameEnd);
        if (at >= value.size() || value[at] != '=') {
            at = value.indexOf(';', at);
            continue;
        }
        at = skipSpace(value, at + 1);
        QByteArray result;
        const qsizetype valueStart = at;
        if (at < value.size() && value[at] == '"') {
            for (++at; at < value.size() && value[at] != '"'; ++at) {
                if (value[at] == '\\' && at + 1 < value.size())
                    ++at;
                result.append(value[at]);
            }
            // Without its closing quote, the rest is the value, quote and all.
            if (at >= value.size())
                result = value.sliced(valueStart).trimmed().toByteArray();
        } else {
            while (at < value.size() && value[at] != ';' && !isBlank(value[at]) &&
                   value[at] != '\r' && value[at] != '\n' && value[at] != '(')
                ++at;
            result = value.sliced(valueStart, at - valueStart).toByteArray();
            if (result.isEmpty()) // no value: no parameter
                continue;
        }
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return result;
        at = value.indexOf(';', at);
    }
    return std::nullopt;
}

MimeEncoding encodingOf(QByteArrayView value)
{
    const qsizetype at = skipSpace(value, 0);
    const QByteArray name = value.sliced(at, tokenEnd(value, at) - at).toByteArray().toLower();
    if (name == "base64")
        return MimeEncoding::Base64;
    if (name == "quoted-printable")
        return MimeEncoding::QuotedPrintable;
    if (name == "uuencode" || name == "x-uuencode" || name == "x-uue")
        return MimeEncoding::UuEncode;
    return MimeEncoding::None;
}

bool isMessageType(const MimePart &part)
{
    // The subtypes the parser reads as an attached message.
    return part.type == "message" && (part.subtype == "rfc822" || part.subtype == "rfc2822" ||
                                      part.subtype == "news" || part.subtype == "global");
}

bool isContentField(QByteArrayView name)
{
    return name.size() >= 8 && name.first(8).compare("content-", Qt::CaseInsensitive) == 0;
}

// A field's name, where the line starts one: printable characters up to the
// colon, blanks allowed before it.
std::optional<QByteArrayView> fieldName(QByteArrayView line)
{
    qsizetype at = 0;
    while (at < line.size() && line[at] > ' ' && line[at] < 127 && line[at] != ':')
        ++at;
    qsizetype colon = at;
    while (colon < line.size() && isBlank(line[colon]))
        ++colon;
    if (at == 0 || colon >= line.size() || line[colon] != ':')
        return std::nullopt;
    return line.first(at);
}

// Calls take(name, value) for each field of a header block as MimePart keeps
// it: the value unfolded, the blanks around it gone; false from take stops.
template <typename Take> void forEachField(QByteArrayView block, Take take)
{
    while (!block.isEmpty()) {
        qsizetype end = block.indexOf('\n');
        while (end >= 0 && end + 1 < block.size() && isBlank(block[end + 1]))
            end = block.indexOf('\n', end + 1);
        const QByteArrayView field = end < 0 ? block : block.first(end);
        block = end < 0 ? QByteArrayView() : block.sliced(end + 1);
        const qsizetype colon = field.indexOf(':');
        if (!take(field.first(colon).trimmed(), field.sliced(colon + 1)))
            return;
    }
}

// A value as forEachField gives it, unfolded: line ends (and CRs) dropped.
QByteArray unfolded(QByteArrayView value)
{
    QByteArray text;
    text.reserve(value.size());
    for (const char c : value) {
        if (c != '\n' && c != '\r')
            text.append(c);
    }
    return text.trimmed();
}

} // namespace

// ---------------------------------------------------------------------------
// The reading of the structure, and the bounds counted on the way.

class StructureReader
{
public:
    StructureReader(const MimeBounds &bounds, std::deque<MimePart> &parts, qint64 start)
        : m_bounds(bounds), m_parts(parts), m_start(start), m_offset(start)
    {
        openBlock(nullptr);
    }
    // The next bytes of the mail; false once it is over a bound.
    bool feed(QByteArrayView bytes);
    // The end of the mail: at `end`.
    void finish(qint64 end);
    QString refusal() const { return m_refusal; }
    const MimePart *message() const { return m_message; }

private:
    // A multipart's boundary, or an attached message (no boundary).
    struct Level
    {
        MimePart *part;
        std::optional<QByteArray> boundary;
    };
    enum class Mode
    {
        Header,  // a header block
        Content, // a part's content, a preface or an epilogue
        Skip,    // what is no part, up to the next boundary
    };
    static constexpr qsizetype BodyKeep = 256; // of a body line spanning reads

    void refuse(const QString &why)
    {
        if (m_refusal.isEmpty())
            m_refusal = why;
    }
    bool lineTooLong(QByteArrayView start, qint64 length);
    std::optional<std::pair<size_t, bool>> boundaryOf(QByteArrayView text) const;
    bool isBoundary(QByteArrayView text) const { return boundaryOf(text).has_value(); }
    void line(qint64 start, QByteArrayView text, qint64 length, bool endsCr, qint64 next);
    void headerLine(qint64 start, QByteArrayView text, qint64 length, qint64 next);
    void boundaryLine(qint64 start, QByteArrayView text);
    void countField(QByteArrayView text, qint64 length);
    // An mbox From line, quoted or not, which may open a message's header
    // block.
    bool isFromLine(QByteArrayView line) const
    {
        const bool message =
            m_blockParent == nullptr || m_blockParent->kind == MimePart::Kind::MessagePart;
        return m_blockFirst && message && (line.startsWith("From ") || line.startsWith(">From "));
    }
    void openBlock(MimePart *parent);
    void endBlock(qint64 contentStart);
    void dropBlock();
    void closeContent(qint64 end);
    void addChild(MimePart *parent, MimePart *child);

    MimeBounds m_bounds;
    std::deque<MimePart> &m_parts;
    const MimePart *m_message = nullptr;
    std::vector<Level> m_levels;
    Mode m_mode = Mode::Header;

    // The header block being read, and whose it is.
    MimePart *m_blockParent = nullptr; // null for the mail's own
    bool m_blockFirst = true;          // no field of it read yet
    bool m_blockLines = false;         // a line of it read
    QByteArray m_block;                // its fields so far
    bool m_inField = false;            // a line folded into the field before goes on

    MimePart *m_leaf = nullptr; // whose content is being read
    bool m_lastEndsCr = false;  // the line before ended with CR LF

    const qint64 m_start;
    qint64 m_offset;   // of the next byte fed
    QByteArray m_line; // the current line's first bytes, where it spans reads
    qint64 m_lineStart = 0;
    qint64 m_lineLength = 0;
    char m_lineLast = 0; // the current line's last byte so far

    int m_headerLines = 0;
    qint64 m_headerBytes = 0;
    qint64 m_blockBytes = 0;
    qint64 m_fieldBytes = 0;
    int m_fieldParameters = 0;
    int m_parameters = 0;
    bool m_contentField = false;
    int m_partCount = 0;
    int m_dashLines = 0;
    QString m_refusal;
};

// A header line that goes on past the bounds is refused before its end.
bool StructureReader::lineTooLong(QByteArrayView start, qint64 length)
{
    if (m_mode != Mode::Header)
        return false;
    if (m_blockBytes + length > m_bounds.headerBlockBytes)
        refuse(
            QStringLiteral("a header block of more than %1 bytes").arg(m_bounds.headerBlockBytes));
    else if (m_headerBytes + length > m_bounds.headerBytes)
        refuse(QStringLiteral("more than %1 bytes of header fields").arg(m_bounds.headerBytes));
    else if (length + (isFolded(start) ? m_fieldBytes : 0) > m_bounds.fieldBytes)
        refuse(QStringLiteral("a header field of more than %1 bytes").arg(m_bounds.fieldBytes));
    return !m_refusal.isEmpty();
}

bool StructureReader::feed(QByteArrayView bytes)
{
    if (m_offset - m_start + bytes.size() > m_bounds.bytes)
        refuse(QStringLiteral("more than %1 bytes").arg(m_bounds.bytes));
    while (!bytes.isEmpty() && m_refusal.isEmpty()) {
        const char *end =
            static_cast<const char *>(std::memchr(bytes.data(), '\n', size_t(bytes.size())));
        const qsizetype length = end ? end - bytes.data() : bytes.size();
        if (end && m_lineLength == 0) {
            // The common case: the whole line in this read, looked at in place.
            const QByteArrayView text = bytes.first(length);
            if (!lineTooLong(text, length))
                line(m_offset, text, length, text.endsWith('\r'), m_offset + length + 1);
        } else {
            if (m_lineLength == 0)
                m_lineStart = m_offset;
            const qsizetype keep =
                (m_mode == Mode::Header ? m_bounds.fieldBytes + 1 : BodyKeep) - m_line.size();
            if (keep > 0)
                m_line.append(bytes.first(std::min(keep, length)));
            if (length > 0)
                m_lineLast = bytes[length - 1];
            m_lineLength += length;
            if (!lineTooLong(m_line, m_lineLength) && end)
                line(m_lineStart, m_line, m_lineLength, m_lineLast == '\r',
                     m_lineStart + m_lineLength + 1);
            if (end) {
                m_line.clear();
                m_lineLength = 0;
                m_lineLast = 0;
            }
        }
        m_offset += length + (end ? 1 : 0);
        if (!end)
            break;
        bytes = bytes.sliced(length + 1);
    }
    return m_refusal.isEmpty();
}

void StructureReader::finish(qint64 end)
{
    if (m_refusal.isEmpty() && m_lineLength > 0) { // a last line without its end
        // A header block cut in a line that is no field is no part.
        const bool empty = m_line == "\r";
        if (m_mode == Mode::Header && !empty && !isFolded(m_line) && !fieldName(m_line) &&
            !isFromLine(m_line))
            dropBlock();
        else
            line(m_lineStart, m_line, m_lineLength, m_lineLast == '\r', end);
    }
    // A block the mail ends in is a part with no content, if it has a line.
    if (m_mode == Mode::Header) {
        if (m_blockFirst && (m_blockParent == nullptr || !m_blockLines))
            dropBlock();
        else
            endBlock(end);
    }
    closeContent(end);
    m_leaf = nullptr;
}

// next: where the line after it starts.
void StructureReader::line(qint64 start, QByteArrayView text, qint64 length, bool endsCr,
                           qint64 next)
{
    if (endsCr && text.size() == length) {
        text.chop(1);
        --length;
    }
    if (m_mode == Mode::Header)
        headerLine(start, text, length, next);
    else
        boundaryLine(start, text);
    m_lastEndsCr = endsCr;
}

// Which open multipart's boundary the line is, and whether its last;
// nothing where it is none. The innermost boundary is tried first.
std::optional<std::pair<size_t, bool>> StructureReader::boundaryOf(QByteArrayView text) const
{
    if (!text.startsWith("--"))
        return std::nullopt;
    const QByteArrayView rest = text.sliced(2);
    for (size_t level = m_levels.size(); level-- > 0;) {
        const std::optional<QByteArray> &boundary = m_levels[level].boundary;
        if (!boundary || !rest.startsWith(*boundary))
            continue;
        const QByteArrayView after = rest.sliced(boundary->size());
        if (after.startsWith("--") && isBlankOnly(after.sliced(2)))
            return std::pair{level, true};
        if (isBlankOnly(after))
            return std::pair{level, false};
    }
    return std::nullopt;
}

// A boundary of an open multipart closes what is inside it.
void StructureReader::boundaryLine(qint64 start, QByteArrayView text)
{
    const auto boundary = boundaryOf(text);
    if (!boundary) {
        if (text.startsWith("--") && ++m_dashLines > m_bounds.dashLines)
            refuse(
                QStringLiteral("more than %1 lines starting with \"--\"").arg(m_bounds.dashLines));
        return;
    }
    const auto [level, last] = *boundary;
    // The line end before a boundary belongs to it.
    closeContent(std::max<qint64>(0, start - (m_lastEndsCr ? 2 : 1)));
    m_leaf = nullptr;
    if (last) {
        m_levels.resize(level);
        m_mode = Mode::Content; // the epilogue
        return;
    }
    m_levels.resize(level + 1);
    if (++m_partCount > m_bounds.parts)
        refuse(QStringLiteral("more than %1 parts").arg(m_bounds.parts));
    openBlock(m_levels[level].part);
}

void StructureReader::headerLine(qint64 start, QByteArrayView text, qint64 length, qint64 next)
{
    if (length == 0)
        return endBlock(next);
    if (isBoundary(text)) {
        // The block ends here, its part without content; a part without a
        // field is no part, nor an attached message without a line. The
        // boundary may then be of a multipart the block opened.
        while (m_mode == Mode::Header) {
            const bool part = m_blockParent && m_blockParent->kind == MimePart::Kind::Multipart;
            if (m_blockFirst && (part || !m_blockLines))
                dropBlock();
            else
                endBlock(start);
        }
        boundaryLine(start, text);
        return;
    }
    m_blockLines = true;
    countField(text, length);
    if (!m_refusal.isEmpty())
        return;
    // The mail's own header block must start with a field (or an mbox From
    // line); elsewhere a line that is none is passed over.
    const bool top = m_blockParent == nullptr;
    if (isFolded(text)) {
        if (m_inField)
            m_block.append(text).append('\n');
        else if (top && m_blockFirst)
            dropBlock();
        return;
    }
    m_inField = false;
    if (!fieldName(text)) {
        if (isFromLine(text))
            m_blockFirst = false;
        else if (top && m_blockFirst)
            dropBlock();
        return;
    }
    m_blockFirst = false;
    m_inField = true;
    m_block.append(text).append('\n');
}

// The bounds a header line counts against.
void StructureReader::countField(QByteArrayView text, qint64 length)
{
    if (++m_headerLines > m_bounds.headerLines)
        return refuse(QStringLiteral("more than %1 header lines").arg(m_bounds.headerLines));
    m_blockBytes += length + 1;
    m_headerBytes += length + 1;
    if (isFolded(text)) {
        m_fieldBytes += length;
    } else {
        m_fieldBytes = length;
        const qsizetype colon = text.indexOf(':');
        m_contentField = isContentField((colon < 0 ? text : text.first(colon)).trimmed());
    }
    const qint64 limit = m_contentField ? m_bounds.contentFieldBytes : m_bounds.fieldBytes;
    if (m_fieldBytes > limit)
        return refuse(QStringLiteral("a header field of more than %1 bytes").arg(limit));
    if (!m_contentField)
        return;
    // Each parameter of a Content-* field is read, and more of them take
    // longer each.
    const int count = int(text.count(';'));
    m_fieldParameters = isFolded(text) ? m_fieldParameters + count : count;
    m_parameters += count;
    if (m_fieldParameters > m_bounds.fieldParameters)
        refuse(QStringLiteral("a header field of more than %1 parameters")
                   .arg(m_bounds.fieldParameters));
    else if (m_parameters > m_bounds.parameters)
        refuse(QStringLiteral("more than %1 parameters").arg(m_bounds.parameters));
}

void StructureReader::openBlock(MimePart *parent)
{
    m_mode = Mode::Header;
    m_blockParent = parent;
    m_blockFirst = true;
    m_blockLines = false;
    m_inField = false;
    m_block.clear();
    m_blockBytes = 0;
    m_fieldBytes = 0;
}

// What is no part is left out: the mail's own header block makes no message,
// an attached message none, a multipart one part less.
void StructureReader::dropBlock()
{
    m_inField = false;
    m_block.clear();
    m_mode = Mode::Skip;
}

void StructureReader::addChild(MimePart *parent, MimePart *child)
{
    if (parent)
        parent->children.push_back(child);
    else
        m_message = child;
}

void StructureReader::endBlock(qint64 contentStart)
{
    m_inField = false;
    MimePart *parent = m_blockParent;
    const bool message = parent == nullptr || parent->kind == MimePart::Kind::MessagePart;
    MimePart part;
    if (parent && parent->kind == MimePart::Kind::Multipart && parent->subtype == "digest") {
        part.type = "message";
        part.subtype = "rfc822";
    }
    forEachField(m_block, [&](QByteArrayView name, QByteArrayView value) {
        if (name.compare("Content-Type", Qt::CaseInsensitive) == 0) {
            const MediaType type = mediaType(value);
            part.type = type.type;
            part.subtype = type.subtype;
            part.typeValue = value.toByteArray();
        } else if (name.compare("Content-Transfer-Encoding", Qt::CaseInsensitive) == 0) {
            part.encoding = encodingOf(value);
        }
        return true;
    });
    part.header = m_block;
    m_block.clear();
    if (message) {
        MimePart &holder = m_parts.emplace_back();
        holder.kind = MimePart::Kind::Message;
        holder.header = part.header;
        part.contentFieldsOnly = true;
        addChild(parent, &holder);
        parent = &holder;
    }
    MimePart &added = m_parts.emplace_back(std::move(part));
    addChild(parent, &added);
    m_mode = Mode::Content;
    if (added.type == "multipart") {
        added.kind = MimePart::Kind::Multipart;
        if (int(m_levels.size()) >= m_bounds.depth)
            return refuse(QStringLiteral("parts nested more than %1 deep").arg(m_bounds.depth));
        if (added.typeValue.toLower().contains("boundary*"))
            return refuse(QStringLiteral("a boundary parameter in pieces"));
        // Without a boundary, all of it is a preface.
        m_levels.push_back({&added, parameter(added.typeValue, "boundary")});
        return;
    }
    // An attached message in a transfer encoding is content to decode.
    if (isMessageType(added) && added.encoding == MimeEncoding::None) {
        added.kind = MimePart::Kind::MessagePart;
        if (int(m_levels.size()) >= m_bounds.depth)
            return refuse(QStringLiteral("parts nested more than %1 deep").arg(m_bounds.depth));
        if (++m_partCount > m_bounds.parts)
            return refuse(QStringLiteral("more than %1 parts").arg(m_bounds.parts));
        m_levels.push_back({&added, std::nullopt});
        openBlock(&added);
        return;
    }
    added.contentStart = contentStart;
    added.contentEnd = contentStart;
    m_leaf = &added;
}

void StructureReader::closeContent(qint64 end)
{
    if (m_leaf)
        m_leaf->contentEnd = std::max(m_leaf->contentStart, end);
}

// ---------------------------------------------------------------------------
// Reading what the structure found.

namespace {

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

// Owns one GObject reference.
struct Unref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};

// A stretch of the mail's device, transfer encoding undone on the way.
class ContentDevice : public QIODevice
{
public:
    ContentDevice(QIODevice &source, qint64 start, qint64 end, MimeEncoding encoding)
        : m_source(source), m_at(start), m_end(end)
    {
        GMimeContentEncoding gmime = GMIME_CONTENT_ENCODING_DEFAULT;
        switch (encoding) {
        case MimeEncoding::Base64:
            gmime = GMIME_CONTENT_ENCODING_BASE64;
            break;
        case MimeEncoding::QuotedPrintable:
            gmime = GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE;
            break;
        case MimeEncoding::UuEncode:
            gmime = GMIME_CONTENT_ENCODING_UUENCODE;
            break;
        case MimeEncoding::None:
            break;
        }
        if (gmime != GMIME_CONTENT_ENCODING_DEFAULT)
            m_decoder.reset(g_mime_filter_basic_new(gmime, false));
        open(ReadOnly | Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        while (m_pending.isEmpty() && !m_done) {
            if (!fill())
                return -1;
        }
        const qint64 taken = std::min<qint64>(maxSize, m_pending.size());
        std::memcpy(data, m_pending.constData(), size_t(taken));
        m_pending.remove(0, taken);
        return taken;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Reads the next piece into m_pending; false on a read error.
    bool fill()
    {
        const qint64 left = m_end - m_at;
        QByteArray raw;
        if (left > 0) {
            if (!m_source.seek(m_at)) {
                setErrorString(m_source.errorString());
                return false;
            }
            raw = m_source.read(std::min<qint64>(left, 64 * 1024));
            if (raw.isEmpty()) {
                setErrorString(m_source.errorString().isEmpty() ? QStringLiteral("read error")
                                                                : m_source.errorString());
                return false;
            }
            m_at += raw.size();
        }
        m_done = m_at >= m_end;
        if (!m_decoder) {
            m_pending = std::move(raw);
            return true;
        }
        char *out = nullptr;
        size_t outLength = 0;
        size_t outSpace = 0;
        g_mime_filter_filter(m_decoder.get(), raw.data(), size_t(raw.size()), 0, &out, &outLength,
                             &outSpace);
        m_pending = QByteArray(out, qsizetype(outLength));
        if (m_done) {
            // What the decoder kept back for a whole group.
            g_mime_filter_complete(m_decoder.get(), nullptr, 0, 0, &out, &outLength, &outSpace);
            m_pending.append(out, qsizetype(outLength));
        }
        return true;
    }

    QIODevice &m_source;
    qint64 m_at;
    const qint64 m_end;
    bool m_done = false;
    QByteArray m_pending;
    std::unique_ptr<GMimeFilter, Unref> m_decoder;
};

// Hands each line of the device to take, long lines cut; the error that
// stopped the reading, or empty text. length: at least what the device
// holds: a small part gets a small buffer.
QString readDeviceLines(QIODevice &device, qsizetype bufferSize, qint64 length,
                        const MimeLineHandler &take)
{
    LineStream lines(device, qsizetype(std::min<qint64>(bufferSize, length + 1)));
    LineStream::Piece piece;
    QByteArray longLine;
    bool lineStart = true;
    while (lines.next(piece)) {
        if (lineStart && piece.lineEnd) {
            take(piece.bytes);
        } else {
            if (longLine.size() < MimeMail::LongestLine)
                longLine.append(piece.bytes.first(
                    std::min(piece.bytes.size(), MimeMail::LongestLine - longLine.size())));
            if (piece.lineEnd) {
                take(longLine);
                longLine.truncate(0);
            }
        }
        lineStart = piece.lineEnd;
    }
    return lines.errorString();
}

} // namespace

QByteArray DecodeHeaderText(QByteArrayView value)
{
    initGMime();
    char *decoded = g_mime_utils_header_decode_text(nullptr, value.toByteArray().constData());
    QByteArray text(decoded ? decoded : "");
    g_free(decoded);
    return text;
}

bool MimeNode::isMessage() const
{
    return m_part && m_part->kind == MimePart::Kind::Message;
}

bool MimeNode::isMultipart() const
{
    return m_part && m_part->kind == MimePart::Kind::Multipart;
}

bool MimeNode::isMessagePart() const
{
    return m_part && m_part->kind == MimePart::Kind::MessagePart;
}

bool MimeNode::isLeaf() const
{
    return m_part && m_part->kind == MimePart::Kind::Leaf;
}

bool MimeNode::hasType(const char *type, const char *subtype) const
{
    if (!m_part || isMessage())
        return false;
    const auto matches = [](const QByteArray &have, const char *wanted) {
        return std::strcmp(wanted, "*") == 0 || have.compare(wanted, Qt::CaseInsensitive) == 0;
    };
    return matches(m_part->type, type) && matches(m_part->subtype, subtype);
}

QByteArray MimeNode::header(const char *name) const
{
    // A message answers for its fields but the Content-* ones; its body for those.
    const bool content = isContentField(name);
    if (!m_part || (isMessage() && content) || (m_part->contentFieldsOnly && !content))
        return {};
    QByteArray text;
    forEachField(m_part->header, [&](QByteArrayView field, QByteArrayView value) {
        if (field.compare(name, Qt::CaseInsensitive) != 0)
            return true;
        text = DecodeHeaderText(unfolded(value));
        return false;
    });
    return text;
}

QByteArray MimeNode::typeParameter(const char *name) const
{
    if (!m_part || isMessage())
        return {};
    return parameter(m_part->typeValue, name).value_or(QByteArray());
}

bool MimeNode::isTransferEncoded() const
{
    return isLeaf() && m_part->encoding != MimeEncoding::None;
}

int MimeNode::childCount() const
{
    return isMultipart() ? int(m_part->children.size()) : 0;
}

MimeNode MimeNode::child(int index) const
{
    if (index < 0 || index >= childCount())
        return {};
    return MimeNode(m_part->children[size_t(index)]);
}

MimeNode MimeNode::attachedMessage() const
{
    return isMessagePart() && !m_part->children.empty() ? MimeNode(m_part->children.front())
                                                        : MimeNode();
}

MimeNode MimeNode::body() const
{
    return isMessage() && !m_part->children.empty() ? MimeNode(m_part->children.front())
                                                    : MimeNode();
}

struct MimeMail::Private
{
    std::unique_ptr<QTemporaryFile> spool; // a pipe's bytes, kept to be read from
    QIODevice *source = nullptr;
    qsizetype bufferSize = LineStream::DefaultBufferSize;
    qint64 start = 0;
    qint64 end = 0;
    std::deque<MimePart> parts;
    const MimePart *message = nullptr;
    QString error;

    // Copies what a pipe gives, up to one byte past the bound; the error, or
    // empty text.
    QString copyToSpool(QIODevice &device, qint64 bound);
    // Reads the structure; the error, or empty text.
    QString read(const MimeBounds &bounds);
};

QString MimeMail::Private::copyToSpool(QIODevice &device, qint64 bound)
{
    spool = std::make_unique<QTemporaryFile>();
    if (!spool->open())
        return spool->errorString();
    char chunk[64 * 1024];
    for (qint64 copied = 0; copied <= bound;) {
        const qint64 got = device.read(chunk, qint64(sizeof chunk));
        if (got < 0)
            return device.errorString().isEmpty() ? QStringLiteral("read error")
                                                  : device.errorString();
        if (got == 0 && device.atEnd())
            break;
        if (spool->write(chunk, got) != got)
            return spool->errorString();
        copied += got;
    }
    spool->seek(0);
    return {};
}

QString MimeMail::Private::read(const MimeBounds &bounds)
{
    StructureReader reader(bounds, parts, start);
    // A buffer in memory is looked at in place.
    if (auto *buffer = qobject_cast<QBuffer *>(source)) {
        reader.feed(QByteArrayView(buffer->data()).sliced(start, end - start));
    } else {
        char chunk[64 * 1024];
        for (qint64 at = start; (end < 0 || at < end) && reader.refusal().isEmpty();) {
            const qint64 want =
                end < 0 ? qint64(sizeof chunk) : std::min<qint64>(sizeof chunk, end - at);
            const qint64 got = source->read(chunk, want);
            if (got < 0)
                return source->errorString().isEmpty() ? QStringLiteral("read error")
                                                       : source->errorString();
            if (got == 0) {
                end = at; // shorter than it said, or of no known size: what there is
                break;
            }
            reader.feed(QByteArrayView(chunk, got));
            at += got;
            if (end >= 0 && at >= end)
                break;
        }
    }
    if (!reader.refusal().isEmpty())
        return QStringLiteral("refused, as it has %1").arg(reader.refusal());
    reader.finish(end);
    message = reader.message();
    return {};
}

MimeMail::MimeMail(QIODevice &device, qsizetype bufferSize, const MimeBounds &bounds)
    : d(std::make_unique<Private>())
{
    d->bufferSize = bufferSize;
    d->source = &device;
    if (device.isSequential()) {
        // A pipe cannot be read twice.
        if (d->error = d->copyToSpool(device, bounds.bytes); !d->error.isEmpty())
            return;
        d->source = d->spool.get();
    }
    QIODevice *source = d->source;
    d->start = source->pos();
    // What a file holds now: one that grows is read no further. Other
    // devices may not know their size, and are read to their end.
    const bool sized = qobject_cast<QFileDevice *>(source) || qobject_cast<QBuffer *>(source) ||
                       source->size() > 0;
    d->end = sized ? std::max(d->start, source->size()) : -1;
    if (d->error = d->read(bounds); !d->error.isEmpty())
        return;
    if (source->size() > d->end && qobject_cast<QFileDevice *>(source))
        d->error = QStringLiteral("it grew while it was read; read no further than its %1 bytes")
                       .arg(d->end - d->start);
}

MimeMail::~MimeMail() = default;

QString MimeMail::error() const
{
    return d->error;
}

MimeNode MimeMail::message() const
{
    return d->error.isEmpty() ? MimeNode(d->message) : MimeNode();
}

QString MimeMail::readLines(MimeNode part, const MimeLineHandler &take)
{
    if (!d->error.isEmpty() || !part.isLeaf())
        return d->error;
    const MimePart &leaf = *part.m_part;
    ContentDevice device(*d->source, leaf.contentStart, leaf.contentEnd, leaf.encoding);
    // Decoding never makes a part longer.
    d->error = readDeviceLines(device, d->bufferSize, leaf.contentEnd - leaf.contentStart, take);
    return d->error;
}

QString MimeMail::readRawLines(const MimeLineHandler &take)
{
    if (!d->error.isEmpty())
        return d->error;
    ContentDevice device(*d->source, d->start, d->end, MimeEncoding::None);
    d->error = readDeviceLines(device, d->bufferSize, d->end - d->start, take);
    return d->error;
}
