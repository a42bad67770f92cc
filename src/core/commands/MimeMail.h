#pragma once

#include "common/LineStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

// One mail read as MIME: the tree of its parts to walk, and each part's
// content as lines. The structure is read in one pass over the bytes, by the
// rules GMime's parser follows (where a header block ends, which lines are
// boundaries, what a part without a type is); GMime decodes header values
// and transfer encodings. Part contents stay in the device, so a mail costs
// what its header fields and structure take, plus a line buffer.

// Hands over one line (its end and any CRs before it removed), valid only
// during the call.
using MimeLineHandler = std::function<void(QByteArrayView)>;

struct MimePart;

// One node of the tree: the message, a multipart, a leaf part, or a
// message/rfc822 part holding another message. Valid while its MimeMail
// lives; a null node answers every question with "no" or nothing. A message
// answers for its header fields but the Content-* ones, which are its body's.
class MimeNode
{
public:
    MimeNode() = default;
    bool isNull() const { return !m_part; }
    bool isMessage() const;     // a message: header block and body()
    bool isMultipart() const;   // children
    bool isMessagePart() const; // message/rfc822 and kin: attachedMessage()
    bool isLeaf() const;        // content to read with MimeMail::readLines
    // "*" as the subtype matches any; letter case ignored. A message has no
    // type: its body has.
    bool hasType(const char *type, const char *subtype) const;
    // The first field of that name, unfolded, encoded words decoded (UTF-8);
    // empty text where there is none.
    QByteArray header(const char *name) const;
    QByteArray typeParameter(const char *name) const;
    // base64, quoted-printable or uuencode: not readable as lines as it stands.
    bool isTransferEncoded() const;
    int childCount() const;
    MimeNode child(int index) const;
    MimeNode attachedMessage() const; // of a message/rfc822 part
    MimeNode body() const;            // of a message: its top MIME part

private:
    friend class MimeMail;
    explicit MimeNode(const MimePart *part) : m_part(part) {}
    const MimePart *m_part = nullptr;
};

// A header field's value with its RFC 2047 encoded words decoded, and bytes
// of no charset taken as GMime takes them: UTF-8 text.
QByteArray DecodeHeaderText(QByteArrayView value);

// How much of a mail is read at all. Anyone can send the owner a mail, and
// the reader keeps every header field and part it meets: a mail past one of
// these is refused before more than the bounds allow is kept.
struct MimeBounds
{
    qint64 bytes = qint64(256) << 20;    // the whole mail (a report returns its original)
    int headerLines = 20000;             // all header blocks of the mail together
    qint64 headerBytes = 4 << 20;        // all header blocks together
    qint64 headerBlockBytes = 1 << 20;   // one header block
    qint64 fieldBytes = 64 * 1024;       // one header field, folded lines and all
    qint64 contentFieldBytes = 8 * 1024; // a Content-* field, whose parameters are parsed
    int fieldParameters = 64;            // parameters of one Content-* field
    int parameters = 4000;               // parameters of all Content-* fields together
    int parts = 2000;                    // parts and attached messages
    int depth = 32;                      // multiparts and attached messages inside each other
    int dashLines = 100000;              // body lines starting "--" that end no part
};

class MimeMail
{
public:
    // Parses the mail from the device's current position to the size the
    // device had then: a file that grows meanwhile is read no further, and
    // said to have grown. A device that cannot seek (a pipe) is first copied
    // to a temporary file. A mail past the bounds is refused (error()).
    explicit MimeMail(QIODevice &device, qsizetype bufferSize = LineStream::DefaultBufferSize,
                      const MimeBounds &bounds = {});
    ~MimeMail();
    MimeMail(const MimeMail &) = delete;
    MimeMail &operator=(const MimeMail &) = delete;

    // Why the mail could not be read; empty if it could. Sticks: a read
    // error met later by readLines is kept here too.
    QString error() const;
    // The message; null where the mail has no header block the parser took.
    MimeNode message() const;

    // The content of a leaf part, transfer encoding undone, line by line.
    // The bytes are not converted: no charset is applied. Returns the error
    // that stopped the reading, or empty text.
    QString readLines(MimeNode part, const MimeLineHandler &take);
    // The mail from its first byte, header block and all, as text lines.
    QString readRawLines(const MimeLineHandler &take);

    // Lines longer than this are cut: readers look for markers and addresses,
    // none that long, and a hostile line costs no more memory than this.
    static constexpr qsizetype LongestLine = 8 * 1024;

private:
    struct Private;
    std::unique_ptr<Private> d;
};
