#pragma once

#include "common/LineStream.h"
#include "config/MajordomoConfig.h"

#include <QByteArrayView>

class QIODevice;

// The line-level rules of the config file format, shared by the reader and
// the writer so that both see the same keyword lines and the same blocks.
namespace configformat {

QByteArrayView trimmedLeft(QByteArrayView line);
// True for a line that is empty once leading white space is gone.
bool isBlank(QByteArrayView line);

// The keyword a line sets: the text before the first "=" (or, without one,
// before the first "<"), trailing white space removed, in lower case. Returns
// its table index and the position just after the "=" or "<", or -1 when the
// line sets none of the 45. Leading white space is not skipped here.
int findKeyword(QByteArrayView line, qsizetype *valueAt = nullptr);

// True for the line that closes a block: "END" alone, white space around it allowed.
bool endsBlock(QByteArrayView line);

// Calls f with each line of block text as the reader keeps it. A line ends at
// LF, CR LF or a CR alone: on its way to the server in a mail a lone CR
// becomes a line end, so a line read as one here would be two there. Leading
// white space goes and lines left empty are dropped, so nothing written by
// the writer is lost or gained by the reader.
template <typename F> void forEachBlockLine(QByteArrayView text, F &&f)
{
    LineStream lines(text, LineStream::CrRule::EndsLine);
    QByteArrayView line;
    while (lines.nextLine(line)) {
        line = trimmedLeft(line);
        if (!line.isEmpty())
            f(line);
    }
}

// Sets a keyword's value from the text after "=" (leading white space removed).
// Blocks are gathered by the caller.
void readValue(KeywordKind kind, QByteArrayView valueText, ConfigEntry &entry);

// Appends the keyword's line (or block) in the file's layout, every line
// ending in CR LF. False, with out partly appended, when a line of a block
// would close it ("END" once trimmed): the lines after it would be read as
// settings.
bool appendFormatted(QByteArray &out, const KeywordInfo &info, const ConfigEntry &entry);

// The file's lines: LF ends a line, with one CR before it; any other CR is
// text, so a line written back unchanged keeps its bytes.
inline LineStream fileLines(QIODevice &device)
{
    return LineStream(device, LineStream::DefaultBufferSize, LineStream::CrRule::DropOneBeforeLf);
}

} // namespace configformat
