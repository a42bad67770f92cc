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
#include <vector>

// ---------------------------------------------------------------------------
// The bounds, counted as the bytes pass on their way to the parser. The
// scanner follows the parser's own rules where they decide what it keeps: a
// header block ends at the first empty line (a lone CR counts as empty), a
// line starting with a blank folds into the field before it, a multipart's
// parts start at "--boundary" lines and end at "--boundary--", an attached
// message opens a header block of its own.

struct MimeScanner::Private
{
    explicit Private(const MimeBounds &limits) : bounds(limits) {}

    // The first bytes of a line kept across reads: a body line needs no
    // more than a boundary takes, a header line those of a Content-* field.
    static constexpr qsizetype BodyKeep = 256;

    void take(QByteArrayView text, qint64 length);
    void headerLine(QByteArrayView text, qint64 length);
    void endBlock();
    void bodyLine(QByteArrayView text);
    bool lineTooLong(QByteArrayView start, qint64 length);
    void refuse(const QString &why)
    {
        if (refusal.isEmpty())
            refusal = why;
    }

    MimeBounds bounds;
    bool inHeader = true;
    // Open multiparts (their boundaries) and attached messages (empty).
    std::vector<QByteArray> levels;
    qint64 bytes = 0;
    int headerLines = 0;
    qint64 headerBytes = 0;
    qint64 blockBytes = 0;
    qint64 fieldBytes = 0;
    int fieldParameters = 0;
    int parameters = 0;
    bool contentField = false; // the field being read is a Content-* field
    bool typeField = false;    // and it is Content-Type, collected in contentType
    QByteArray contentType;
    int parts = 0;
    int dashLines = 0;
    QByteArray line; // the current line's first bytes, where it spans reads
    qint64 lineLength = 0;
    QString refusal;
};

namespace {

QByteArray lowerToken(QByteArrayView text)
{
    return text.trimmed().toByteArray().toLower();
}

bool isFolded(QByteArrayView line)
{
    return line.startsWith(' ') || line.startsWith('\t');
}

struct ContentType
{
    QByteArray type;
    QByteArray subtype;
    QByteArray boundary;
    bool oddBoundary = false; // a boundary in RFC 2231 pieces: not followed here
};

// The parts of a Content-Type value the structure depends on.
ContentType parseContentType(QByteArrayView value)
{
    ContentType result;
    const qsizetype semicolon = value.indexOf(';');
    const QByteArrayView mediaType = semicolon < 0 ? value : value.first(semicolon);
    const qsizetype slash = mediaType.indexOf('/');
    result.type = lowerToken(slash < 0 ? mediaType : mediaType.first(slash));
    if (slash >= 0) {
        const QByteArrayView subtype = mediaType.sliced(slash + 1).trimmed();
        const auto blank = std::find_if(subtype.begin(), subtype.end(),
                                        [](char c) { return c == ' ' || c == '\t'; });
        result.subtype = lowerToken(subtype.first(blank - subtype.begin()));
    }
    qsizetype at = semicolon;
    while (at >= 0 && at < value.size()) {
        // One parameter: name = token or quoted string.
        const qsizetype equals = value.indexOf('=', at + 1);
        if (equals < 0)
            break;
        const QByteArray name = lowerToken(value.sliced(at + 1, equals - at - 1));
        qsizetype pos = equals + 1;
        while (pos < value.size() && (value[pos] == ' ' || value[pos] == '\t'))
            ++pos;
        QByteArray parameter;
        if (pos < value.size() && value[pos] == '"') {
            for (++pos; pos < value.size() && value[pos] != '"'; ++pos) {
                if (value[pos] == '\\' && pos + 1 < value.size())
                    ++pos;
                parameter.append(value[pos]);
            }
            at = value.indexOf(';', pos);
        } else {
            const qsizetype end = value.indexOf(';', pos);
            parameter =
                value.sliced(pos, (end < 0 ? value.size() : end) - pos).trimmed().toByteArray();
            at = end;
        }
        if (name == "boundary")
            result.boundary = parameter;
        else if (name.startsWith("boundary*"))
            result.oddBoundary = true;
    }
    return result;
}

bool isMessageType(const ContentType &type)
{
    // The subtypes the parser reads as an attached message.
    return type.type == "message" && (type.subtype == "rfc822" || type.subtype == "rfc2822" ||
                                      type.subtype == "news" || type.subtype == "global");
}

} // namespace

// A header line that goes on past the bounds is refused before its end.
bool MimeScanner::Private::lineTooLong(QByteArrayView start, qint64 length)
{
    if (!inHeader)
        return false;
    if (blockBytes + length > bounds.headerBlockBytes)
        refuse(QStringLiteral("a header block of more than %1 bytes").arg(bounds.headerBlockBytes));
    else if (headerBytes + length > bounds.headerBytes)
        refuse(QStringLiteral("more than %1 bytes of header fields").arg(bounds.headerBytes));
    else if (length + (isFolded(start) ? fieldBytes : 0) > bounds.fieldBytes)
        refuse(QStringLiteral("a header field of more than %1 bytes").arg(bounds.fieldBytes));
    return !refusal.isEmpty();
}

void MimeScanner::Private::take(QByteArrayView text, qint64 length)
{
    if (text.endsWith('\r') && text.size() == length) {
        text.chop(1);
        --length;
    }
    if (inHeader)
        headerLine(text, length);
    else
        bodyLine(text);
}

void MimeScanner::Private::headerLine(QByteArrayView text, qint64 length)
{
    if (length == 0) {
        endBlock();
        return;
    }
    if (++headerLines > bounds.headerLines)
        return refuse(QStringLiteral("more than %1 header lines").arg(bounds.headerLines));
    blockBytes += length + 1;
    headerBytes += length + 1;
    if (isFolded(text)) {
        fieldBytes += length;
        if (typeField)
            contentType.append(text);
    } else {
        fieldBytes = length;
        const qsizetype colon = text.indexOf(':');
        // Looked at in place: every header line passes here.
        const QByteArrayView name = (colon < 0 ? text : text.first(colon)).trimmed();
        contentField =
            name.size() >= 8 && name.first(8).compare("content-", Qt::CaseInsensitive) == 0;
        typeField = colon >= 0 && name.compare("content-type", Qt::CaseInsensitive) == 0;
        if (typeField)
            contentType = text.sliced(colon + 1).toByteArray();
    }
    const qint64 limit = contentField ? bounds.contentFieldBytes : bounds.fieldBytes;
    if (fieldBytes > limit)
        return refuse(QStringLiteral("a header field of more than %1 bytes").arg(limit));
    if (!contentField)
        return;
    // The parser keeps each parameter as an object of its own, and takes
    // longer per parameter the more a field has.
    const int count = int(text.count(';'));
    fieldParameters = isFolded(text) ? fieldParameters + count : count;
    parameters += count;
    if (fieldParameters > bounds.fieldParameters)
        refuse(QStringLiteral("a header field of more than %1 parameters")
                   .arg(bounds.fieldParameters));
    else if (parameters > bounds.parameters)
        refuse(QStringLiteral("more than %1 parameters").arg(bounds.parameters));
}

void MimeScanner::Private::endBlock()
{
    const ContentType type = parseContentType(contentType);
    contentType.clear();
    typeField = contentField = false;
    blockBytes = fieldBytes = 0;
    inHeader = false;
    if (type.type == "multipart" && type.oddBoundary)
        return refuse(QStringLiteral("a boundary parameter in pieces"));
    const bool message = isMessageType(type);
    if (!message && (type.type != "multipart" || type.boundary.isEmpty()))
        return;
    if (int(levels.size()) >= bounds.depth)
        return refuse(QStringLiteral("parts nested more than %1 deep").arg(bounds.depth));
    levels.push_back(message ? QByteArray() : type.boundary);
    if (message) {
        if (++parts > bounds.parts)
            return refuse(QStringLiteral("more than %1 parts").arg(bounds.parts));
        inHeader = true;
    }
}

void MimeScanner::Private::bodyLine(QByteArrayView text)
{
    if (!text.startsWith("--"))
        return;
    const QByteArrayView rest = text.sliced(2);
    for (size_t level = levels.size(); level-- > 0;) {
        const QByteArray &boundary = levels[level];
        if (boundary.isEmpty() || !rest.startsWith(boundary))
            continue;
        const QByteArrayView after = rest.sliced(boundary.size());
        if (after.startsWith("--")) {
            levels.resize(level);
            return;
        }
        if (after.trimmed().isEmpty()) {
            levels.resize(level + 1);
            if (++parts > bounds.parts)
                return refuse(QStringLiteral("more than %1 parts").arg(bounds.parts));
            inHeader = true;
            return;
        }
    }
    if (++dashLines > bounds.dashLines)
        refuse(QStringLiteral("more than %1 lines starting with \"--\"").arg(bounds.dashLines));
}

MimeScanner::MimeScanner(const MimeBounds &bounds) : d(std::make_unique<Private>(bounds)) {}

MimeScanner::~MimeScanner() = default;

QString MimeScanner::refusal() const
{
    return d->refusal;
}

bool MimeScanner::feed(QByteArrayView bytes)
{
    Private &s = *d;
    s.bytes += bytes.size();
    if (s.bytes > s.bounds.bytes)
        s.refuse(QStringLiteral("more than %1 bytes").arg(s.bounds.bytes));
    while (!bytes.isEmpty() && s.refusal.isEmpty()) {
        const char *end =
            static_cast<const char *>(std::memchr(bytes.data(), '\n', size_t(bytes.size())));
        const qsizetype length = end ? end - bytes.data() : bytes.size();
        if (end && s.lineLength == 0) {
            // The common case: the whole line in this read, looked at in place.
            const QByteArrayView text = bytes.first(length);
            if (!s.lineTooLong(text, length))
                s.take(text, length);
        } else {
            const qsizetype keep =
                (s.inHeader ? s.bounds.contentFieldBytes + 1 : Private::BodyKeep) - s.line.size();
            if (keep > 0)
                s.line.append(bytes.first(std::min(keep, length)));
            s.lineLength += length;
            if (!s.lineTooLong(s.line, s.lineLength) && end)
                s.take(s.line, s.lineLength);
            if (end) {
                s.line.clear();
                s.lineLength = 0;
            }
        }
        if (!end)
            break;
        bytes = bytes.sliced(length + 1);
    }
    return s.refusal.isEmpty();
}

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
    MimeScanner *scanner; // on the stream the parser reads, to stop it at a bound
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
    if (self->scanner && !self->scanner->feed(QByteArrayView(buffer, got))) {
        // Past a bound: the parser meets the end here and keeps no more.
        self->eos = true;
        stream->bound_end = stream->position;
        return 0;
    }
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
    // Never past the parent's end: the size the file had when it was opened.
    if (stream->bound_end != -1 && (end == -1 || end > stream->bound_end))
        end = stream->bound_end;
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
    stream->scanner = nullptr;
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

GMimeObject *object(void *node)
{
    return static_cast<GMimeObject *>(node);
}

// Hands each line of the device to take, long lines cut; the error that
// stopped the reading, or empty text. length: at least what the device
// holds, where known (-1 if not): a small part gets a small buffer.
QString readDeviceLines(QIODevice &device, qsizetype bufferSize, qint64 length,
                        const MimeLineHandler &take)
{
    LineStream lines(device,
                     length < 0 ? bufferSize : qsizetype(std::min<qint64>(bufferSize, length + 1)));
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

bool MimeNode::isMessage() const
{
    return m_object && GMIME_IS_MESSAGE(m_object);
}

bool MimeNode::isMultipart() const
{
    return m_object && GMIME_IS_MULTIPART(m_object);
}

bool MimeNode::isMessagePart() const
{
    return m_object && GMIME_IS_MESSAGE_PART(m_object);
}

bool MimeNode::isLeaf() const
{
    return m_object && GMIME_IS_PART(m_object);
}

bool MimeNode::hasType(const char *type, const char *subtype) const
{
    GMimeContentType *contentType =
        m_object ? g_mime_object_get_content_type(object(m_object)) : nullptr;
    return contentType && g_mime_content_type_is_type(contentType, type, subtype);
}

QByteArray MimeNode::header(const char *name) const
{
    return m_object ? QByteArray(g_mime_object_get_header(object(m_object), name)) : QByteArray();
}

QByteArray MimeNode::typeParameter(const char *name) const
{
    GMimeContentType *contentType =
        m_object ? g_mime_object_get_content_type(object(m_object)) : nullptr;
    return contentType ? QByteArray(g_mime_content_type_get_parameter(contentType, name))
                       : QByteArray();
}

bool MimeNode::isTransferEncoded() const
{
    if (!isLeaf())
        return false;
    switch (g_mime_part_get_content_encoding(GMIME_PART(m_object))) {
    case GMIME_CONTENT_ENCODING_BASE64:
    case GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE:
    case GMIME_CONTENT_ENCODING_UUENCODE:
        return true;
    default:
        return false;
    }
}

int MimeNode::childCount() const
{
    return isMultipart() ? g_mime_multipart_get_count(GMIME_MULTIPART(m_object)) : 0;
}

MimeNode MimeNode::child(int index) const
{
    if (index < 0 || index >= childCount())
        return {};
    return MimeNode(g_mime_multipart_get_part(GMIME_MULTIPART(m_object), index));
}

MimeNode MimeNode::attachedMessage() const
{
    return isMessagePart() ? MimeNode(g_mime_message_part_get_message(GMIME_MESSAGE_PART(m_object)))
                           : MimeNode();
}

MimeNode MimeNode::body() const
{
    return isMessage() ? MimeNode(g_mime_message_get_mime_part(GMIME_MESSAGE(m_object)))
                       : MimeNode();
}

struct MimeMail::Private
{
    std::unique_ptr<QTemporaryFile> spool; // a pipe's bytes, kept to be read from
    DeviceSource source;
    qsizetype bufferSize = LineStream::DefaultBufferSize;
    gint64 start = 0;
    gint64 end = 0;
    GPtr<GMimeStream> stream;
    GPtr<GMimeParser> parser;
    GPtr<GMimeMessage> message;
    QString error;

    // Copies what a pipe gives, up to one byte past the bound; the error, or
    // empty text.
    QString copyToSpool(QIODevice &device, qint64 bound);
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

MimeMail::MimeMail(QIODevice &device, qsizetype bufferSize, const MimeBounds &bounds)
    : d(std::make_unique<Private>())
{
    d->bufferSize = bufferSize;
    QIODevice *source = &device;
    if (device.isSequential()) {
        // A pipe cannot be read twice.
        if (d->error = d->copyToSpool(device, bounds.bytes); !d->error.isEmpty())
            return;
        source = d->spool.get();
    }
    initGMime();
    d->source.device = source;
    d->start = source->pos();
    // What a file holds now: one that grows is read no further. Other
    // devices may not know their size, and are read to their end.
    const bool sized = qobject_cast<QFileDevice *>(source) || qobject_cast<QBuffer *>(source) ||
                       source->size() > 0;
    d->end = sized ? std::max(d->start, gint64(source->size())) : -1;
    MimeScanner scanner(bounds);
    d->stream.reset(newDeviceStream(&d->source, d->start, d->end));
    deviceStream(d->stream.get())->scanner = &scanner;
    d->parser.reset(g_mime_parser_new_with_stream(d->stream.get()));
    // Part contents stay in the file; the parser keeps their places only.
    g_mime_parser_set_persist_stream(d->parser.get(), true);
    g_mime_parser_set_format(d->parser.get(), GMIME_FORMAT_MESSAGE);
    d->message.reset(g_mime_parser_construct_message(d->parser.get(), nullptr));
    deviceStream(d->stream.get())->scanner = nullptr;
    if (!d->source.error.isEmpty())
        d->error = d->source.error;
    else if (!scanner.refusal().isEmpty())
        d->error = QStringLiteral("refused, as it has %1").arg(scanner.refusal());
    else if (sized && source->size() > d->end)
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
    return d->error.isEmpty() ? MimeNode(d->message.get()) : MimeNode();
}

QString MimeMail::readLines(MimeNode part, const MimeLineHandler &take)
{
    if (!d->error.isEmpty() || !part.isLeaf())
        return d->error;
    GMimeDataWrapper *content = g_mime_part_get_content(GMIME_PART(part.m_object));
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
    GMimeStreamDevice device(stream, d->source);
    // Decoding never makes a part longer.
    d->error = readDeviceLines(device, d->bufferSize, g_mime_stream_length(encoded), take);
    return d->error;
}

QString MimeMail::readRawLines(const MimeLineHandler &take)
{
    if (!d->error.isEmpty())
        return d->error;
    GPtr<GMimeStream> whole(newDeviceStream(&d->source, d->start, d->end));
    GMimeStreamDevice device(whole.get(), d->source);
    d->error = readDeviceLines(device, d->bufferSize, d->end < 0 ? -1 : d->end - d->start, take);
    return d->error;
}
