#pragma once

#include "config/MajordomoConfig.h"

#include <QByteArrayView>

#include <cstring>

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
    const auto find = [](const char *from, const char *to, char c) {
        const void *hit = std::memchr(from, c, size_t(to - from));
        return hit ? static_cast<const char *>(hit) : to;
    };
    const char *p = text.data();
    const char *const end = p + text.size();
    while (p < end) {
        const char *const lf = find(p, end, '\n');
        while (p <= lf && p < end) {
            const char *const stop = find(p, lf, '\r');
            const QByteArrayView line = trimmedLeft(QByteArrayView(p, stop - p));
            if (!line.isEmpty())
                f(line);
            p = stop == end ? end : stop + 1;
        }
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

// Splits a device into lines without reading it whole: the LF and a CR before
// it are removed, a last line without LF counts, lines may be any length.
class LineReader
{
public:
    explicit LineReader(QIODevice &device) : m_device(device) {}

    // The next line, valid until the next call; false at the end or on a read error.
    bool next(QByteArrayView &line);
    bool failed() const { return m_failed; }

private:
    QIODevice &m_device;
    QByteArray m_buffer;
    qsizetype m_pos = 0;  // start of the unread text in m_buffer
    qsizetype m_scan = 0; // where the search for the next LF resumes
    bool m_atEnd = false;
    bool m_failed = false;
};

} // namespace configformat
