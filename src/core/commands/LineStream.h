#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// Reads a device as a stream of lines with bounded memory, whatever the line
// length and whatever the bytes. A line comes as one piece, or as several when
// it is longer than the buffer; its end (LF) is not part of it, and neither
// are the CR bytes before that end, however many (CR LF and CR CR LF files), so
// a line of CRs only is an empty line. Every piece but a line's last is
// non-empty; an empty line is one empty last piece. Text after the last LF is
// a line; nothing after it is not.
class LineStream
{
public:
    struct Piece
    {
        QByteArrayView bytes; // valid until the next call of next()
        bool lineEnd = false; // the last piece of its line
    };

    static constexpr qsizetype DefaultBufferSize = 64 * 1024;

    // bufferSize (at least 1) is the longest line that comes in one piece.
    explicit LineStream(QIODevice &device, qsizetype bufferSize = DefaultBufferSize);

    // The next piece; false at the end of the input or after a read error.
    bool next(Piece &piece);

    // Why reading stopped before the end of the input; empty if it did not.
    QString errorString() const { return m_error; }

private:
    bool fill();
    bool emitHeldCarriageReturns(Piece &piece);

    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    // A line is open once part of it was handed out or held back.
    bool m_lineOpen = false;
    // CRs that ended a piece of an unfinished line: handed out before the
    // line's next bytes, dropped if the line ends first.
    qint64 m_heldCarriageReturns = 0;
    QString m_error;
};
