#include "commands/MimeMail.h"

#include <QBuffer>
#include <QIODevice>

// GLib names a struct member "signals", which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gmime/gmime.h>
#pragma pop_macro("signals")

#include <algorithm>

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

GMimeObject *object(void *node)
{
    return static_cast<GMimeObject *>(node);
}

// Hands each line of the device to take, long lines cut; the error that
// stopped the reading, or empty text.
QString readDeviceLines(QIODevice &device, qsizetype bufferSize, const MimeLineHandler &take)
{
    LineStream lines(device, bufferSize);
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
    QByteArray pipeBytes; // a pipe's bytes, kept to be read from
    QBuffer pipeBuffer;
    DeviceSource source;
    qsizetype bufferSize = LineStream::DefaultBufferSize;
    gint64 start = 0;
    GPtr<GMimeStream> stream;
    GPtr<GMimeParser> parser;
    GPtr<GMimeMessage> message;
    QString error;
};

MimeMail::MimeMail(QIODevice &device, qsizetype bufferSize) : d(std::make_unique<Private>())
{
    d->bufferSize = bufferSize;
    QIODevice *source = &device;
    if (device.isSequential()) {
        // A pipe cannot be read twice.
        char chunk[64 * 1024];
        for (;;) {
            const qint64 got = device.read(chunk, sizeof chunk);
            if (got < 0) {
                d->error = device.errorString().isEmpty() ? QStringLiteral("read error")
                                                          : device.errorString();
                return;
            }
            if (got == 0 && device.atEnd())
                break;
            d->pipeBytes.append(chunk, got);
        }
        d->pipeBuffer.setBuffer(&d->pipeBytes);
        d->pipeBuffer.open(QIODevice::ReadOnly);
        source = &d->pipeBuffer;
    }
    initGMime();
    d->source.device = source;
    d->start = source->pos();
    d->stream.reset(newDeviceStream(&d->source, d->start, -1));
    d->parser.reset(g_mime_parser_new_with_stream(d->stream.get()));
    // Part contents stay in the file; the parser keeps their places only.
    g_mime_parser_set_persist_stream(d->parser.get(), true);
    g_mime_parser_set_format(d->parser.get(), GMIME_FORMAT_MESSAGE);
    d->message.reset(g_mime_parser_construct_message(d->parser.get(), nullptr));
    d->error = d->source.error;
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
    d->error = readDeviceLines(device, d->bufferSize, take);
    return d->error;
}

QString MimeMail::readRawLines(const MimeLineHandler &take)
{
    if (!d->error.isEmpty())
        return d->error;
    GPtr<GMimeStream> whole(newDeviceStream(&d->source, d->start, -1));
    GMimeStreamDevice device(whole.get(), d->source);
    d->error = readDeviceLines(device, d->bufferSize, take);
    return d->error;
}
