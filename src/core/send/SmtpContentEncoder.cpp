#include "send/SmtpContentEncoder.h"

void SmtpContentEncoder::encode(const QByteArray &bytes, QByteArray &out)
{
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    while (p < end) {
        const char c = *p++;
        if (c == '\n') {
            out += "\r\n";
            m_pendingCr = false;
            m_atLineStart = true;
            continue;
        }
        if (c == '\r') {
            m_pendingCr = true;
            continue;
        }
        if (m_pendingCr) {
            out += "\r\n";
            m_pendingCr = false;
            m_atLineStart = true;
        }
        if (m_atLineStart && c == '.')
            out += '.';
        m_atLineStart = false;
        // Copy the rest of the line's ordinary bytes in one go.
        const char *run = p;
        while (run < end && *run != '\n' && *run != '\r')
            ++run;
        out += c;
        out.append(p, run - p);
        p = run;
    }
}

void SmtpContentEncoder::finish(QByteArray &out)
{
    if (!m_atLineStart || m_pendingCr)
        out += "\r\n";
    m_atLineStart = true;
    m_pendingCr = false;
}
