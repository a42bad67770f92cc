#include "config/MajordomoConfig.h"

#include "config/ConfigFormat.h"
#include "store/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

using namespace configformat;

namespace {

void setError(QString *errorText, const QString &text)
{
    if (errorText)
        *errorText = text;
}

// Whether the reader takes this line as the head of a block.
bool readerSeesBlockHead(QByteArrayView line)
{
    const QByteArrayView trimmed = trimmedLeft(line);
    if (trimmed.startsWith('#'))
        return false;
    const int index = findKeyword(trimmed);
    return index >= 0 && keywordTable()[size_t(index)].kind == KeywordKind::Block;
}

// The writer's output: lines go to the save file through a buffer. Blank lines
// are held back until something else follows, so that the blank line the
// server puts before its reply trailer can be dropped.
class Output
{
public:
    explicit Output(QSaveFile &file) : m_file(file) {}

    void line(QByteArrayView text)
    {
        if (isBlank(text)) {
            m_blanks.append(text.data(), text.size());
            m_blanks += "\r\n";
            return;
        }
        takeBlanks();
        m_buffer.append(text.data(), text.size());
        m_buffer += "\r\n";
        flushIfFull();
    }

    // Room for formatted text, which never starts with a blank line.
    QByteArray &formatted()
    {
        takeBlanks();
        return m_buffer;
    }
    void formattedDone() { flushIfFull(); }

    void dropBlanks() { m_blanks.clear(); }

    // Everything written so far is dropped: the output starts again empty.
    void restart()
    {
        m_buffer.clear();
        m_blanks.clear();
        if (m_flushed) {
            m_failed |= !m_file.seek(0) || !m_file.resize(0);
            m_flushed = false;
        }
    }

    bool finish()
    {
        takeBlanks();
        flush();
        return !m_failed;
    }

private:
    void takeBlanks()
    {
        if (!m_blanks.isEmpty()) {
            m_buffer += m_blanks;
            m_blanks.clear();
        }
    }
    void flushIfFull()
    {
        if (m_buffer.size() >= (1 << 20))
            flush();
    }
    void flush()
    {
        if (m_buffer.isEmpty())
            return;
        m_failed |= m_file.write(m_buffer) != m_buffer.size();
        m_flushed = true;
        m_buffer.clear();
    }

    QSaveFile &m_file;
    QByteArray m_buffer;
    QByteArray m_blanks;
    bool m_flushed = false;
    bool m_failed = false;
};

} // namespace

bool MajordomoConfig::Load(const QString &path, QString *errorText)
{
    // A FIFO would block the open and a device like /dev/zero never ends:
    // a config is a plain file.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        setError(errorText, QStringLiteral("not a plain file"));
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setError(errorText, file.errorString());
        return false;
    }
    std::array<ConfigEntry, KeywordCount> loaded = entries;
    LineStream reader = fileLines(file);
    QByteArrayView line;
    bool more = reader.nextLine(line);
    // The reply markers are read as the writer reads them, so a reply's text
    // before its config and after its trailer sets no value that the writer
    // then drops. The line after an update stamp is read as a plain line.
    for (; more; more = reader.nextLine(line)) {
        if (line.startsWith(">>>> config")) {
            loaded = entries;
            continue;
        }
        if (line.startsWith("#[Last updated") &&
            (!reader.nextLine(line) || line.startsWith(">>>> end")))
            break;
        line = trimmedLeft(line);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        qsizetype valueAt = 0;
        const int index = findKeyword(line, &valueAt);
        if (index < 0)
            continue;
        const KeywordInfo &info = keywordTable()[size_t(index)];
        ConfigEntry &entry = loaded[size_t(index)];
        entry.present = true;
        if (info.kind != KeywordKind::Block) {
            readValue(info.kind, trimmedLeft(line.sliced(valueAt)), entry);
            continue;
        }
        // The text after the head is ignored; the block runs to its "END" or
        // the end of the file, without its empty lines and leading white space.
        entry.text.clear();
        while (reader.nextLine(line) && !endsBlock(line)) {
            forEachBlockLine(line, [&entry](QByteArrayView blockLine) {
                entry.text.append(blockLine.data(), blockLine.size());
                entry.text += "\r\n";
            });
        }
    }
    if (!reader.errorString().isEmpty()) {
        setError(errorText, reader.errorString());
        return false;
    }
    entries = std::move(loaded);
    FilePath = path;
    return true;
}

bool MajordomoConfig::Save(QString *errorText) const
{
    if (FilePath.isEmpty()) {
        setError(errorText, QStringLiteral("no config file has been loaded"));
        return false;
    }
    // The new text is renamed over the file (over a link's target): never
    // over a device, a FIFO or a folder.
    if (const QString refused = SafeFile::writeRefusal(FilePath); !refused.isEmpty()) {
        setError(errorText, refused);
        return false;
    }
    QFile in(FilePath);
    if (!in.open(QIODevice::ReadOnly)) {
        setError(errorText, in.errorString());
        return false;
    }
    // A uniquely named file beside the original takes the new text and
    // replaces it in one rename; until then the original is untouched, and on
    // failure the new file is removed.
    QSaveFile save(FilePath);
    if (!save.open(QIODevice::WriteOnly)) {
        setError(errorText, save.errorString());
        return false;
    }
    Output out(save);
    LineStream reader = fileLines(in);
    QByteArrayView line;
    // Copies a line unchanged; when the reader takes it as a block head, the
    // block goes with it, so its lines are never mistaken for keyword lines.
    const auto copyUnchanged = [&](QByteArrayView text) {
        const bool head = readerSeesBlockHead(text);
        out.line(text);
        if (head) {
            while (reader.nextLine(line)) {
                out.line(line);
                if (endsBlock(line))
                    break;
            }
        }
    };
    while (reader.nextLine(line)) {
        const int index = findKeyword(line);
        if (index >= 0) {
            const KeywordInfo &info = keywordTable()[size_t(index)];
            if (!appendFormatted(out.formatted(), info, entries[size_t(index)])) {
                setError(errorText, QStringLiteral("the %1 block holds a line \"END\", which would "
                                                   "end the block there; the file was not changed")
                                        .arg(QLatin1String(info.name)));
                return false;
            }
            out.formattedDone();
            if (info.kind == KeywordKind::Block) {
                // Skip the old block: exactly the lines the reader took into it.
                while (reader.nextLine(line) && !endsBlock(line)) {
                }
            }
        } else if (line.startsWith(">>>> config")) {
            out.restart();
        } else if (line.startsWith("#[Last updated")) {
            const QByteArray stamp = line.toByteArray();
            if (!reader.nextLine(line)) {
                out.line(stamp);
                break;
            }
            if (line.startsWith(">>>> end")) {
                // The server's reply trailer, and the blank line it puts before it.
                out.dropBlanks();
                break;
            }
            out.line(stamp);
            copyUnchanged(line);
        } else {
            copyUnchanged(line);
        }
    }
    if (!reader.errorString().isEmpty()) {
        setError(errorText, reader.errorString());
        return false;
    }
    errno = 0;
    if (!out.finish() || !save.commit()) {
        // A short write on a full disk leaves Qt without a reason of its own.
        setError(errorText, SafeFile::reason(save.errorString(), errno));
        return false;
    }
    return true;
}
