#include "commands/LineStream.h"

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

qsizetype withoutTrailingCarriageReturns(const char *data, qsizetype length)
{
    while (length > 0 && data[length - 1] == '\r')
        --length;
    return length;
}

} // namespace

LineStream::LineStream(QIODevice &device, qsizetype bufferSize)
    : m_device(device), m_buffer(std::max<qsizetype>(bufferSize, 1), Qt::Uninitialized)
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
    const qint64 got = m_device.read(m_buffer.data() + m_end, m_buffer.size() - m_end);
    if (got > 0) {
        m_end += got;
        return true;
    }
    if (got < 0) {
        m_error = m_device.errorString();
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

bool LineStream::next(Piece &piece)
{
    for (;;) {
        const char *start = m_buffer.constData() + m_pos;
        const qsizetype available = m_end - m_pos;
        const auto *lf =
            available > 0 ? static_cast<const char *>(std::memchr(start, '\n', size_t(available)))
                          : nullptr;
        if (lf || (m_eof && available > 0)) {
            // The line ends here: at its LF, or at the end of the input.
            const qsizetype length =
                withoutTrailingCarriageReturns(start, lf ? lf - start : available);
            // CRs held back earlier were inside the line after all.
            if (length > 0 && emitHeldCarriageReturns(piece))
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
            // The input ended inside a line whose bytes are all handed out.
            m_heldCarriageReturns = 0;
            m_lineOpen = false;
            piece = {QByteArrayView(), true};
            return true;
        }
        if (m_pos > 0 || m_end < m_buffer.size()) {
            fill();
            continue;
        }
        // A full buffer without a line end: hand it out, holding back its
        // trailing CRs, which end the line if only CRs follow up to the LF.
        const qsizetype length = withoutTrailingCarriageReturns(start, available);
        if (length > 0 && emitHeldCarriageReturns(piece))
            return true;
        m_heldCarriageReturns += available - length;
        m_lineOpen = true;
        m_pos = m_end;
        if (length > 0) {
            piece = {QByteArrayView(start, length), false};
            return true;
        }
    }
}
