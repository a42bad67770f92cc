#include "send/SmtpReplyReader.h"

namespace {

// The reply code: the leading decimal digits of the final line. Nine digits
// at most, so that a line of digits cannot overflow.
int leadingNumber(const QByteArray &line)
{
    int value = 0;
    for (qsizetype i = 0; i < line.size() && i < 9; ++i) {
        const char c = line.at(i);
        if (c < '0' || c > '9')
            break;
        value = value * 10 + (c - '0');
    }
    return value;
}

} // namespace

void SmtpReplyReader::feed(const QByteArray &bytes)
{
    m_pending += bytes;
}

SmtpReplyReader::State SmtpReplyReader::state()
{
    while (m_state == State::Incomplete) {
        const qsizetype end = m_pending.indexOf('\n');
        const qsizetype take = end < 0 ? m_pending.size() : end;
        if (m_replySize + m_line.size() + take > m_cap) {
            m_state = State::TooLong;
            break;
        }
        m_line.append(m_pending.constData(), take);
        if (end < 0) {
            m_pending.clear();
            break;
        }
        m_pending.remove(0, end + 1);
        if (m_line.endsWith('\r'))
            m_line.chop(1);
        m_replySize += m_line.size() + 1;
        m_lines.append(m_line);
        // A line too short to hold the hyphen (a bare code) ends the reply.
        if (m_line.size() < 4 || m_line.at(3) != '-') {
            m_code = leadingNumber(m_line);
            m_state = State::Complete;
        }
        m_line.clear();
    }
    return m_state;
}

void SmtpReplyReader::next()
{
    m_line.clear();
    m_replySize = 0;
    m_code = 0;
    m_lines.clear();
    m_state = State::Incomplete;
}

void SmtpReplyReader::reset()
{
    next();
    m_pending.clear();
}
