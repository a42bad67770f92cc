#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// The outgoing folder: queued command mails are the files directly in it whose
// names match "tvl*.tmp" in any letter case. The folder keeps no other state,
// so every operation lists it afresh. An empty folder path names no folder
// (it never means the current directory).
namespace OutgoingFolder {

// A new queued file: its full path, or an error text when none was created.
struct CreatedFile
{
    QString path;
    QString error; // "<file meant>: <reason>"
    // The error's two parts, for a message that shows them on lines of
    // their own; empty when the error names no file.
    QString failedFile;
    QString reason;

    bool ok() const { return !path.isEmpty(); }
};

// Creates a new, empty file "tvl" + 1-4 upper-case hex digits + ".TMP" in
// folder, mode 0600, never over an existing entry. The number starts from the
// clock and steps on while a name is taken, so concurrent creators (other
// processes included) never share a file. Fails when the folder cannot be
// written or all 65535 names are taken.
CreatedFile CreateQueuedFile(const QString &folder);

// Test seam: CreateQueuedFile starting at firstNumber, with only the numbers
// 1..nameCount in use, so that running out of names is quick to reach.
CreatedFile CreateQueuedFileForTest(const QString &folder, int firstNumber, int nameCount);

// Writes a new file of the CreateQueuedFile name form holding what `write`
// puts into the device it is given (false: the writing failed). The text goes
// to a temporary file in folder, whose name is never a queued one, and takes
// a free "tvl" name only when whole and synced, in one step that never
// replaces an entry: a queued name never holds part of a mail, even after a
// kill. The error names the file that was meant and the system's reason.
CreatedFile WriteQueuedFile(const QString &folder, const std::function<bool(QIODevice &)> &write);

// True when name (without folder) matches "tvl*.tmp", letter case ignored.
bool IsQueuedName(QStringView name);

// Number of queued files; 0 when the folder is missing or unreadable.
int CountQueued(const QString &folder);

// Names (without folder) of the queued files in the order the file system
// lists them; empty when the folder is missing or unreadable.
QStringList ListQueued(const QString &folder);

// folder + separator + name.
QString QueuedPath(const QString &folder, const QString &name);

// The subject of a queued mail: the first line anywhere in the file whose
// first seven characters are "subject" (any case), after its first ':' (the
// whole line without one), white space trimmed. Empty when no line qualifies
// or the file cannot be read.
QByteArray ReadSubject(const QString &path);

struct QueuedMail
{
    QString name; // without folder
    QByteArray subject;
};

// Every queued mail with its subject, sorted by subject (letter case ignored,
// then by name), as the queue is shown to the user.
QList<QueuedMail> ReadQueue(const QString &folder);

} // namespace OutgoingFolder
