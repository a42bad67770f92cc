#pragma once

#include "commands/LineStream.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>
#include <memory>

class QIODevice;

// One mail read as MIME (GMime inside; none of its types show here): the
// tree of its parts to walk, and each part's content as lines. Part contents
// stay in the device where it can seek, so a mail costs what its headers and
// structure take, plus a line buffer.

// Hands over one line (its end and any CRs before it removed), valid only
// during the call.
using MimeLineHandler = std::function<void(QByteArrayView)>;

// One node of the tree: the message, a multipart, a leaf part, or a
// message/rfc822 part holding another message. Valid while its MimeMail
// lives; a null node answers every question with "no" or nothing.
class MimeNode
{
public:
    MimeNode() = default;
    bool isNull() const { return !m_object; }
    bool isMessage() const;     // a message: header block and body()
    bool isMultipart() const;   // children
    bool isMessagePart() const; // message/rfc822 and kin: attachedMessage()
    bool isLeaf() const;        // content to read with MimeMail::readLines
    // "*" as the subtype matches any; letter case ignored.
    bool hasType(const char *type, const char *subtype) const;
    // The first field of that name, unfolded, encoded words left as they are;
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
    explicit MimeNode(void *object) : m_object(object) {}
    void *m_object = nullptr; // a GMimeObject
};

class MimeMail
{
public:
    // Parses the mail from the device's current position to its end. A
    // device that cannot seek (a pipe) is read into memory first.
    explicit MimeMail(QIODevice &device, qsizetype bufferSize = LineStream::DefaultBufferSize);
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
