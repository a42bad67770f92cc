// The outgoing folder with 10 000 queued mails: counting them, and listing
// them with their subjects as the queue dialog and `tavelin-cli queue` do.
#include "BenchSupport.h"
#include "commands/OutgoingFolder.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kMails = 10000;
constexpr int kRounds = 5;

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    // A realistic mail: headers, the subject in the header block, a few commands.
    for (int i = 0; i < kMails; ++i) {
        const OutgoingFolder::CreatedFile created = OutgoingFolder::CreateQueuedFile(dir.path());
        QFile f(created.path);
        if (!created.ok() || !f.open(QIODevice::WriteOnly))
            return 1;
        f.write("X-Tavelin-ML: list\r\nTo: majordomo@example.org\r\nFrom: owner@example.net\r\n"
                "Date: Sun, 06 Dec 2026 11:23:51 +0900\r\nSubject: unsubscribe list a" +
                QByteArray::number(i) + "@example.org\r\n\r\napprove pw unsubscribe list a" +
                QByteArray::number(i) + "@example.org\r\nend\r\n");
    }
    // Some files that do not count.
    for (int i = 0; i < 100; ++i) {
        QFile f(dir.filePath(QStringLiteral("other%1.txt").arg(i)));
        if (!f.open(QIODevice::WriteOnly))
            return 1;
    }

    int count = 0;
    const double countMs =
        bestMs(kRounds, [&] { count = OutgoingFolder::CountQueued(dir.path()); });
    qsizetype listed = 0;
    const double listMs =
        bestMs(kRounds, [&] { listed = OutgoingFolder::ReadQueue(dir.path()).size(); });
    const double createMs = bestMs(kRounds, [&] {
        const OutgoingFolder::CreatedFile created = OutgoingFolder::CreateQueuedFile(dir.path());
        QFile::remove(created.path);
    });
    // A whole mail: written under a temporary name, synced, then named.
    const QByteArray mail(1024, 'm');
    const double writeMs = bestMs(kRounds, [&] {
        const OutgoingFolder::CreatedFile written = OutgoingFolder::WriteQueuedFile(
            dir.path(), [&](QIODevice &file) { return file.write(mail) == mail.size(); });
        QFile::remove(written.path);
    });
    if (count != kMails || listed != kMails)
        return 1;
    std::printf("CountQueued, %d mails:              %8.2f ms (best of %d)\n", kMails, countMs,
                kRounds);
    std::printf("ReadQueue (names + subjects, sorted): %8.2f ms (best of %d)\n", listMs, kRounds);
    std::printf("CreateQueuedFile with %d taken:     %8.3f ms (best of %d)\n", kMails, createMs,
                kRounds);
    std::printf("WriteQueuedFile, 1 KB, %d taken:    %8.3f ms (best of %d)\n", kMails, writeMs,
                kRounds);
    return 0;
}
