#pragma once

#include <QByteArray>
#include <QByteArrayList>

// Assembles SMTP replies from bytes that arrive in any pieces. A line ends at
// LF (a CR before it is dropped); a reply ends with the first line whose
// fourth character is not "-" (a line shorter than four characters ends it
// too). Memory stays bounded: a reply longer than the cap is an error.
class SmtpReplyReader
{
public:
    static constexpr qsizetype DefaultCap = 1024 * 1024;

    explicit SmtpReplyReader(qsizetype cap = DefaultCap) : m_cap(cap) {}

    enum class State
    {
        Incomplete,
        Complete,
        TooLong
    };

    // Takes the next received bytes. Bytes after the end of a complete reply
    // are kept for the next one.
    void feed(const QByteArray &bytes);
    // Complete once a whole reply has been read; code() is then valid.
    State state();
    // The leading decimal digits of the reply's final line (0 when none).
    int code() const { return m_code; }
    // The final line of the last complete reply, without its line end.
    QByteArray finalLine() const { return m_lines.isEmpty() ? QByteArray() : m_lines.constLast(); }
    // Every line of the last complete reply, without line ends.
    const QByteArrayList &lines() const { return m_lines; }
    // True when bytes after the complete reply have arrived already.
    bool hasPending() const { return !m_pending.isEmpty(); }
    // Forgets the complete reply, to read the next one.
    void next();
    // Forgets everything, received bytes included.
    void reset();

private:
    qsizetype m_cap;
    QByteArray m_pending; // received, not yet taken into a line
    QByteArray m_line;    // the line being assembled
    qsizetype m_replySize = 0;
    State m_state = State::Incomplete;
    int m_code = 0;
    QByteArrayList m_lines; // of the reply being read, then of the complete one
};
