#pragma once

#include "common/LineStream.h"

#include <QByteArray>

// Turns the bytes of a mail file into SMTP message content: every line ends
// in exactly one CR LF, and a line that starts with "." gets one more (RFC
// 5321 4.5.2). No bare CR or LF reaches the wire: CRs before a line end are
// dropped, and a CR inside a line ends that line, since some servers would
// take "<CR>.<CR><LF>" as the end of data.
class SmtpContentEncoder
{
public:
    explicit SmtpContentEncoder(QIODevice &file,
                                qsizetype bufferSize = LineStream::DefaultBufferSize)
        : m_lines(file, bufferSize, LineStream::CrRule::EndsLine)
    {
    }

    // Appends content to out until it holds at least `size` bytes; false
    // when the file has none left.
    bool encode(QByteArray &out, qsizetype size);

    // Why the file could not be read to its end; empty if it could.
    QString errorString() const { return m_lines.errorString(); }

private:
    LineStream m_lines;
    bool m_atLineStart = true;
};
