#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

class QIODevice;

// Reads a device (or text in memory) as a stream of lines with bounded
// memory, whatever the line length and whatever the bytes. A line comes as
// one piece, or as several when it is longer than the buffer; its end is not
// part of it. Every piece but a line's last is non-empty; an empty line is one
// empty last piece. Text after the last line end is a line; nothing after it
// is not. Where a line ends is the one rule that differs between the files
// read: see CrRule.
class LineStream
{
public:
    // What a CR is. LF always ends a line.
    enum class CrRule
    {
        // Every CR right before an LF or the end of the input goes with the
        // line end (CR LF and CR CR LF files), a CR elsewhere is text: mail as
        // it was received, where a line of CRs only is an empty line.
        DropBeforeEnd,
        // One CR right before an LF goes with it, every other CR is text:
        // config files, whose lines are written back byte for byte.
        DropOneBeforeLf,
        // A run of CRs ends a line, with the LF right after it if there is
        // one, so no CR is text: text that goes out in a mail, where a lone
        // CR becomes a line end on the way.
        EndsLine,
    };

    struct Piece
    {
        QByteArrayView bytes; // valid until the next call of next()
        bool lineEnd = false; // the last piece of its line
    };

    static constexpr qsizetype DefaultBufferSize = 64 * 1024;

    // bufferSize (at least 1) is the longest line that comes in one piece.
    explicit LineStream(QIODevice &device, qsizetype bufferSize = DefaultBufferSize,
                        CrRule rule = CrRule::DropBeforeEnd);
    // Text already in memory, which must outlive the stream: every line comes whole.
    LineStream(QByteArrayView text, CrRule rule);

    // The next piece; false at the end of the input or after a read error.
    bool next(Piece &piece);

    // The next line whole, however long (for formats that must see a line at
    // once: memory grows with the longest line). Valid until the next call.
    bool nextLine(QByteArrayView &line);

    // Why reading stopped before the end of the input; empty if it did not.
    QString errorString() const { return m_error; }

private:
    bool fill();
    bool emitHeldCarriageReturns(Piece &piece);
    qsizetype lineEndCarriageReturns(const char *data, qsizetype length, bool atLf) const;
    void skipRestOfCrRun();

    QIODevice *m_device = nullptr;
    QByteArray m_buffer;
    CrRule m_rule = CrRule::DropBeforeEnd;
    qsizetype m_pos = 0;
    qsizetype m_end = 0;
    bool m_eof = false;
    // A line is open once part of it was handed out or held back.
    bool m_lineOpen = false;
    // CRs that ended a piece of an unfinished line: handed out before the
    // line's next bytes, dropped if they turn out to belong to its end.
    qint64 m_heldCarriageReturns = 0;
    // EndsLine: a CR ended the last line; more CRs and one LF go with it.
    bool m_inCrRun = false;
    QByteArray m_longLine; // nextLine()'s line when it came in pieces
    QString m_error;
};
