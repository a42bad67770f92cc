#include "OutgoingFolder.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

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
        if (IsQueuedName(name) && !visit(name))
            return;
    }
}

} // namespace

CreatedFile CreateQueuedFile(const QString &folder)
{
    // Start from the clock, as the system's unique-name service does, so that
    // successive names rarely collide; then step on until a name is free.
    const int start = int(QDateTime::currentMSecsSinceEpoch() % kNameCount) + 1;
    return CreateQueuedFileForTest(folder, start, kNameCount);
}

CreatedFile CreateQueuedFileForTest(const QString &folder, int firstNumber, int nameCount)
{
    if (folder.isEmpty())
        return {{}, QStringLiteral("no outgoing folder is set")};
    if (!QFileInfo(folder).isDir())
        return {{}, QStringLiteral("%1 is not a folder").arg(folder)};

    int number = firstNumber;
    for (int tried = 0; tried < nameCount; ++tried, number = number % nameCount + 1) {
        const QString path = QueuedPath(folder, queuedName(number));
        QFile file(path);
        // NewOnly is an exclusive create: it never opens an existing entry, so
        // two creators racing for one name cannot both get it.
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                      QFileDevice::ReadOwner | QFileDevice::WriteOwner))
            return {path, {}};
        const QFileInfo taken(path);
        if (!taken.exists() && !taken.isSymLink())
            return {{}, QStringLiteral("cannot create %1: %2").arg(path, file.errorString())};
    }
    return {{},
            QStringLiteral("all %1 queued file names are taken in %2").arg(nameCount).arg(folder)};
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
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
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
