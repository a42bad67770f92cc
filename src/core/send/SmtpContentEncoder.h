#pragma once

#include <QByteArray>

// Turns the bytes of a mail file, taken in pieces of any size, into SMTP
// message content: every line ends in exactly one CR LF, and a line that
// starts with "." gets one more (RFC 5321 4.5.2). No bare CR or LF reaches
// the wire: CRs before a line end are dropped, and a CR inside a line ends
// that line, since some servers would take "<CR>.<CR><LF>" as the end of data.
class SmtpContentEncoder
{
public:
    void encode(const QByteArray &bytes, QByteArray &out);
    // Ends a last line that had no line end.
    void finish(QByteArray &out);

private:
    bool m_atLineStart = true;
    bool m_pendingCr = false;
};
