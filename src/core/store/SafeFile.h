#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <memory>

class QTemporaryFile;

// The rules every file Tavelin writes follows: only plain files are read or
// replaced (a FIFO would block, and a save through a link must never replace a
// device node), new files appear whole under their name in one step, and a
// failure says what the system said.
namespace SafeFile {

// The system's text for errno value `error` ("No space left on device").
QString systemReason(int error);

// qtText, unless it says nothing ("Unknown error" or empty, as Qt reports a
// short write on a full disk); then the system's reason for `error`.
QString reason(const QString &qtText, int error);

// Empty when path may be replaced: a plain file, a link to one, or nothing at
// all (a file to be created). Otherwise why not.
QString writeRefusal(const QString &path);

// Empty when path may be read: nothing there, or a plain file (or a link to
// one) that this process can open for reading. Otherwise why not.
QString readRefusal(const QString &path);

// Opens `file` (named by its fileName()) for reading with `mode` added, if
// it is a plain file or a link to one; the check and the open are one step,
// so an entry swapped for a FIFO meanwhile never blocks the open. Empty on
// success, else why not (the file is then closed).
QString openPlain(QFile &file, QIODevice::OpenMode mode = {});

// Gives the file `from` the name `to` in one step that never replaces an
// existing entry; 0, or the errno value (EEXIST when `to` is taken).
int renameNoReplace(const QString &from, const QString &to);

// Replaces path whole with bytes, mode 0600: a temporary file beside it,
// synced, then renamed over it. Empty on success, else the reason; path is
// then as it was.
QString replaceWhole(const QString &path, const QByteArray &bytes);

// Writes a file whole in pieces, for contents too large to hold: a temporary
// file beside path (created exclusively, mode 0600) takes path's name only
// at commit(); dropped if the writer ends first.
class WholeFileWriter
{
public:
    explicit WholeFileWriter(QString path);
    ~WholeFileWriter();
    // Empty on success, else the reason (path is then not writable).
    QString open();
    bool write(QByteArrayView bytes);
    // Flushes and syncs the temporary file; empty on success, else the reason.
    QString finish();
    // After finish(): gives the temporary file the name target, replacing
    // what was there. Empty on success, else the reason.
    QString renameTo(const QString &target);
    // finish() and renameTo(path).
    QString commit();

private:
    QString m_path;
    std::unique_ptr<QTemporaryFile> m_temp;
    QString m_error; // the first write's failure
};

} // namespace SafeFile
