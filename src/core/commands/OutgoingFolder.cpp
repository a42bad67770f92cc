#include "commands/OutgoingFolder.h"

#include "store/SafeFile.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <cerrno>
#include <optional>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

namespace OutgoingFolder {

namespace {

constexpr int kNameCount = 0xFFFF; // numbers 1..FFFF; 0 is never used

QString queuedName(int number)
{
    return QStringLiteral("tvl") + QString::number(number, 16).toUpper() + QStringLiteral(".TMP");
}

// Calls visit(name) for each queued file of folder in listing order until it
// returns false.
template <typename Visit> void forEachQueued(const QString &folder, Visit visit)
{
    if (folder.isEmpty())
        return;
    // Plain files only: a directory of that name is no mail. Hidden ones count,
    // as they hold a name like any other.
    QDirIterator it(folder, QDir::Files | QDir::Hidden);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        // A link counts by what it points to: a link to a FIFO is none.
        if (!it.fileInfo().isFile())
            continue;
        if (IsQueuedName(name) && !visit(name))
            return;
    }
}

// Start from the clock, as the system's unique-name service does, so that
// successive names rarely collide; then step on until a name is free.
int clockNumber()
{
    return int(QDateTime::currentMSecsSinceEpoch() % kNameCount) + 1;
}

CreatedFile failedAt(const QString &file, const QString &reason)
{
    return {{}, QStringLiteral("%1: %2").arg(file, reason), file, reason};
}

std::optional<CreatedFile> folderRefusal(const QString &folder)
{
    if (folder.isEmpty())
        return CreatedFile{{}, QStringLiteral("no outgoing folder is set"), {}, {}};
    if (!QFileInfo(folder).isDir())
        return CreatedFile{{}, QStringLiteral("%1 is not a folder").arg(folder), {}, {}};
    return std::nullopt;
}

bool isTaken(const QString &path)
{
    const QFileInfo entry(path);
    return entry.exists() || entry.isSymLink();
}

enum class Claim
{
    Done,
    Taken,
    Failed
};

// Offers the names from firstNumber on, wrapping round after nameCount, to
// claim(path, &failure) until one is claimed or a failure ends the search.
template <typename ClaimName>
CreatedFile claimFreeName(const QString &folder, int firstNumber, int nameCount, ClaimName claim)
{
    int number = firstNumber;
    for (int tried = 0; tried < nameCount; ++tried, number = number % nameCount + 1) {
        const QString path = QueuedPath(folder, queuedName(number));
        CreatedFile failure;
        switch (claim(path, &failure)) {
        case Claim::Done:
            return {path, {}, {}, {}};
        case Claim::Failed:
            return failure;
        case Claim::Taken:
            break;
        }
    }
    return {{},
            QStringLiteral("all %1 queued file names are taken in %2").arg(nameCount).arg(folder),
            {},
            {}};
}

} // namespace

CreatedFile CreateQueuedFile(const QString &folder)
{
    return CreateQueuedFileForTest(folder, clockNumber(), kNameCount);
}

CreatedFile CreateQueuedFileForTest(const QString &folder, int firstNumber, int nameCount)
{
    if (const std::optional<CreatedFile> refused = folderRefusal(folder))
        return *refused;
    return claimFreeName(folder, firstNumber, nameCount,
                         [](const QString &path, CreatedFile *failure) {
                             QFile file(path);
                             // NewOnly is an exclusive create: it never opens an existing entry, so
                             // two creators racing for one name cannot both get it.
                             if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                                           QFileDevice::ReadOwner | QFileDevice::WriteOwner))
                                 return Claim::Done;
                             if (isTaken(path))
                                 return Claim::Taken;
                             *failure = failedAt(path, file.errorString());
                             failure->error = QStringLiteral("cannot create ") + failure->error;
                             return Claim::Failed;
                         });
}

CreatedFile WriteQueuedFile(const QString &folder, const std::function<bool(QIODevice &)> &write)
{
    if (const std::optional<CreatedFile> refused = folderRefusal(folder))
        return *refused;
    // The name meant: the first one free now. Should another creator take it
    // meanwhile, the mail takes the next free one.
    int number = clockNumber();
    for (int tried = 0; tried < kNameCount && isTaken(QueuedPath(folder, queuedName(number)));
         ++tried)
        number = number % kNameCount + 1;
    const QString meant = QueuedPath(folder, queuedName(number));

    // Hidden and never of the queued form, so no run ever sends it; mode 0600.
    QTemporaryFile temp(QueuedPath(folder, QStringLiteral(".tavelin-XXXXXX.part")));
    errno = 0;
    if (!temp.open())
        return failedAt(meant, SafeFile::reason(temp.errorString(), errno));
    errno = 0;
    bool written = write(temp) && temp.flush();
#ifndef Q_OS_WIN
    // Whole on disk before it has its name, should the machine stop.
    written = written && ::fsync(temp.handle()) == 0;
#endif
    if (!written)
        return failedAt(meant, SafeFile::reason(temp.errorString(), errno));
    const CreatedFile claimed = claimFreeName(
        folder, number, kNameCount, [&temp](const QString &path, CreatedFile *failure) {
            const int result = SafeFile::renameNoReplace(temp.fileName(), path);
            if (result == 0)
                return Claim::Done;
            if (result == EEXIST)
                return Claim::Taken;
            *failure = failedAt(path, SafeFile::systemReason(result));
            return Claim::Failed;
        });
    // The temporary file now is the mail; there is nothing left to remove.
    if (claimed.ok())
        temp.setAutoRemove(false);
    return claimed;
}

bool IsQueuedName(QStringView name)
{
    return name.size() >= 7 && name.startsWith(u"tvl", Qt::CaseInsensitive) &&
           name.endsWith(u".tmp", Qt::CaseInsensitive);
}

int CountQueued(const QString &folder)
{
    int count = 0;
    forEachQueued(folder, [&count](const QString &) {
        ++count;
        return true;
    });
    return count;
}

QStringList ListQueued(const QString &folder)
{
    QStringList names;
    forEachQueued(folder, [&names](const QString &name) {
        names.append(name);
        return true;
    });
    return names;
}

QString QueuedPath(const QString &folder, const QString &name)
{
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QByteArray ReadSubject(const QString &path)
{
    // Only a plain file is read: opening a FIFO would wait for a writer.
    QFile file(path);
    if (!SafeFile::openPlain(file).isEmpty())
        return {};
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.size() < 7 || qstrnicmp(line.constData(), "subject", 7) != 0)
            continue;
        const qsizetype colon = line.indexOf(':');
        return (colon < 0 ? line : line.mid(colon + 1)).trimmed();
    }
    return {};
}

QList<QueuedMail> ReadQueue(const QString &folder)
{
    QList<QueuedMail> mails;
    forEachQueued(folder, [&](const QString &name) {
        mails.append({name, ReadSubject(QueuedPath(folder, name))});
        return true;
    });
    std::sort(mails.begin(), mails.end(), [](const QueuedMail &a, const QueuedMail &b) {
        const int bySubject = a.subject.compare(b.subject, Qt::CaseInsensitive);
        return bySubject != 0 ? bySubject < 0 : a.name < b.name;
    });
    return mails;
}

} // namespace OutgoingFolder
