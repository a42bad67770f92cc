// The member roster of a list of 100 000: its "who" reply read and stored as
// the window and the CLI do (a second reply replaces it, the first becomes
// the roster before), then the two stored rosters loaded and compared (who
// joined, who left). Then a 100 MB member list read and stored. Best of three
// runs; the peak memory of the process closes the list.
#include "BenchSupport.h"

#include "commands/Roster.h"

#include <QFile>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kMembers = 100000;
constexpr int kRounds = 3;

// A who reply of count members, shifted by `offset` so two replies differ in
// their first and last members. Every tenth line has a display name.
QByteArray whoReply(int count, int offset)
{
    QByteArray mail = "From: Majordomo@example.com\nSubject: Majordomo results: who\n\n--\n\n"
                      ">>>> approve adminpw who testlist\nMembers of list 'testlist':\n\n";
    mail.reserve(count * 48);
    for (int i = offset; i < offset + count; ++i) {
        const QByteArray address = "member" + QByteArray::number(i) + "@example.org";
        mail += i % 10 == 0 ? "Member " + QByteArray::number(i) + " <" + address + ">\n"
                            : address + '\n';
    }
    return mail + "\n" + QByteArray::number(count) + " subscribers\n\n>>>> end\nEND OF COMMANDS\n";
}

MailingListEntry testList()
{
    MailingListEntry entry;
    entry.Title = "Test";
    entry.Address = "Majordomo@example.com";
    entry.ListName = "testlist";
    entry.Passwd = "adminpw";
    return entry;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const RosterStore store(dir.filePath(QStringLiteral("rosters")));
    const ListRegister lists = {testList()};
    const QString first = dir.filePath(QStringLiteral("who1.eml"));
    const QString second = dir.filePath(QStringLiteral("who2.eml"));
    {
        QFile a(first), b(second);
        if (!a.open(QIODevice::WriteOnly) || !b.open(QIODevice::WriteOnly))
            return 1;
        a.write(whoReply(kMembers, 0));
        b.write(whoReply(kMembers, 500));
    }
    bool stored = true;
    const double readStore = bestMs(kRounds, [&] {
        stored = ApplyServerReply(first, lists, &store).rosters.value(0).stored && stored;
    });
    ApplyServerReply(second, lists, &store);
    std::printf("who reply of %d members (%.1f MB) read and stored  %8.1f ms%s\n", kMembers,
                QFile(first).size() / 1e6, readStore, stored ? "" : "  (NOT STORED)");

    qsizetype joined = 0, left = 0;
    const double compare = bestMs(kRounds, [&] {
        const std::optional<Roster> now = store.load(lists[0]);
        const std::optional<Roster> before = store.load(lists[0], true);
        if (!now || !before)
            return;
        joined = JoinedSince(*before, *now).size();
        left = JoinedSince(*now, *before).size();
    });
    std::printf("two stored rosters loaded and compared                %8.1f ms  (%lld joined, "
                "%lld left)\n",
                compare, qlonglong(joined), qlonglong(left));
    std::optional<Roster> now, before;
    const double load = bestMs(kRounds, [&] { now = store.load(lists[0]); });
    before = store.load(lists[0], true);
    const double diff = bestMs(kRounds, [&] {
        joined = JoinedSince(*before, *now).size() + JoinedSince(*now, *before).size();
    });
    std::printf("  of which one load %.1f ms, the comparison %.1f ms\n", load, diff);

    // A member list of 100 MB streams to the store.
    const QString big = dir.filePath(QStringLiteral("big.eml"));
    const int bigCount = 100 * 1000 * 1000 / 38;
    {
        QFile file(big);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(whoReply(bigCount, 0));
    }
    const double bigMs = bestMs(1, [&] { ApplyServerReply(big, lists, &store); });
    std::printf("who reply of %d members (%.0f MB) read and stored %8.1f ms\n", bigCount,
                QFile(big).size() / 1e6, bigMs);

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory                                          %8.1f MB\n",
                usage.ru_maxrss / 1024.0);
    return 0;
}
