#include "send/SmtpContentEncoder.h"

bool SmtpContentEncoder::encode(QByteArray &out, qsizetype size)
{
    LineStream::Piece piece;
    while (out.size() < size) {
        if (!m_lines.next(piece))
            return false;
        if (m_atLineStart && piece.bytes.startsWith('.'))
            out += '.';
        out += piece.bytes;
        if (piece.lineEnd)
            out += "\r\n";
        m_atLineStart = piece.lineEnd;
    }
    return true;
}
