#include "common/LineStream.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>

namespace {

// Held-back CRs are handed out from here, a run at a time.
constexpr std::array<char, 256> kCarriageReturns = [] {
    std::array<char, 256> run{};
    run.fill('\r');
    return run;
}();

const char *find(const char *from, qsizetype length, char c)
{
    return length > 0 ? static_cast<const char *>(std::memchr(from, c, size_t(length))) : nullptr;
}

} // namespace

LineStream::LineStream(QIODevice &device, qsizetype bufferSize, CrRule rule)
    : m_device(&device), m_buffer(std::max<qsizetype>(bufferSize, 1), Qt::Uninitialized),
      m_rule(rule)
{
}

LineStream::LineStream(QByteArrayView text, CrRule rule)
    : m_buffer(QByteArray::fromRawData(text.data(), text.size())), m_rule(rule), m_end(text.size()),
      m_eof(true)
{
}

bool LineStream::fill()
{
    // The unfinished line moves to the front, so a line that fits the buffer
    // comes out whole.
    if (m_pos > 0) {
        std::memmove(m_buffer.data(), m_buffer.constData() + m_pos, size_t(m_end - m_pos));
        m_end -= m_pos;
        m_pos = 0;
    }
    const qint64 got = m_device->read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got > 0) {
        m_end += got;
        return true;
    }
    if (got < 0) {
        m_error = m_device->errorString();
        if (m_error.isEmpty())
            m_error = QStringLiteral("read error");
    }
    m_eof = true;
    return false;
}

bool LineStream::emitHeldCarriageReturns(Piece &piece)
{
    if (m_heldCarriageReturns == 0)
        return false;
    const qint64 count = std::min<qint64>(m_heldCarriageReturns, qint64(kCarriageReturns.size()));
    m_heldCarriageReturns -= count;
    piece = {QByteArrayView(kCarriageReturns.data(), qsizetype(count)), false};
    return true;
}

// How many CRs at the end of these bytes go with a line end that follows
// them (an LF when atLf, else the end of the input).
qsizetype LineStream::lineEndCarriageReturns(const char *data, qsizetype length, bool atLf) const
{
    switch (m_rule) {
    case CrRule::DropBeforeEnd: {
        qsizetype count = 0;
        while (count < length && data[length - 1 - count] == '\r')
            ++count;
        return count;
    }
    case CrRule::DropOneBeforeLf:
        return atLf && length > 0 && data[length - 1] == '\r' ? 1 : 0;
    case CrRule::EndsLine:
        break;
    }
    return 0;
}

void LineStream::skipRestOfCrRun()
{
    while (m_inCrRun) {
        while (m_pos < m_end && m_buffer.at(m_pos) == '\r')
            ++m_pos;
        if (m_pos < m_end) {
            if (m_buffer.at(m_pos) == '\n')
                ++m_pos;
            m_inCrRun = false;
        } else if (m_eof || !fill()) {
            m_inCrRun = false;
        }
    }
}

bool LineStream::next(Piece &piece)
{
    for (;;) {
        skipRestOfCrRun();
        const char *start = m_buffer.constData() + m_pos;
        const qsizetype available = m_end - m_pos;
        const char *lf = find(start, available, '\n');
        if (m_rule == CrRule::EndsLine) {
            if (const char *cr = find(start, lf ? lf - start : available, '\r')) {
                m_pos = (cr - m_buffer.constData()) + 1;
                m_inCrRun = true;
                m_lineOpen = false;
                piece = {QByteArrayView(start, cr - start), true};
                return true;
            }
        }
        if (lf || (m_eof && available > 0)) {
            // The line ends here: at its LF, or at the end of the input.
            const qsizetype raw = lf ? lf - start : available;
            const qsizetype length = raw - lineEndCarriageReturns(start, raw, lf != nullptr);
            // CRs held back earlier are text unless the line end takes them too.
            const bool heldAreText =
                m_rule == CrRule::DropOneBeforeLf ? raw > 0 || !lf : length > 0;
            if (heldAreText && emitHeldCarriageReturns(piece))
                return true;
            m_heldCarriageReturns = 0;
            m_lineOpen = false;
            m_pos = lf ? (lf - m_buffer.constData()) + 1 : m_end;
            piece = {QByteArrayView(start, length), true};
            return true;
        }
        if (m_eof) {
            if (!m_lineOpen)
                return false;
            // The input ended inside a line whose bytes are all handed out
            // or held back.
            if (m_rule == CrRule::DropOneBeforeLf && emitHeldCarriageReturns(piece))
                return true;
            m_heldCarriageReturns = 0;
            m_lineOpen = false;
            piece = {QByteArrayView(), true};
            return true;
        }
        if (m_pos > 0 || m_end < m_buffer.size()) {
            fill();
            continue;
        }
        // A full buffer without a line end: hand it out, holding back the
        // trailing CRs that belong to the line end if only that follows.
        const qsizetype held = lineEndCarriageReturns(start, available, true);
        const qsizetype length = available - held;
        if ((m_rule == CrRule::DropOneBeforeLf || length > 0) && emitHeldCarriageReturns(piece))
            return true;
        m_heldCarriageReturns += held;
        m_lineOpen = true;
        m_pos = m_end;
        if (length > 0) {
            piece = {QByteArrayView(start, length), false};
            return true;
        }
    }
}

bool LineStream::nextLine(QByteArrayView &line)
{
    m_longLine.resize(0);
    Piece piece;
    while (next(piece)) {
        if (piece.lineEnd && m_longLine.isEmpty()) {
            line = piece.bytes;
            return true;
        }
        m_longLine.append(piece.bytes.data(), piece.bytes.size());
        if (piece.lineEnd) {
            line = m_longLine;
            return true;
        }
    }
    return false;
}
