// Load and save of a large config file: throughput and peak memory.
#include "config/MajordomoConfig.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

// Peak resident memory of this process so far, in bytes (Linux).
qint64 peakRss()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// About targetBytes of config: comment runs, keyword lines with long values,
// long blocks with long lines, unknown keywords. Written in pieces, so making
// it does not raise the memory peak.
bool writeConfig(const QString &path, qint64 targetBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const char *blocks[] = {"advertise",       "comments",    "message_footer", "message_fronter",
                            "message_headers", "noadvertise", "taboo_body",     "taboo_headers"};
    int round = 0;
    while (file.size() < targetBytes) {
        QByteArray piece;
        for (int i = 0; i < 20; ++i)
            piece += "\t# a comment line of the server's own, explaining a keyword " +
                     QByteArray::number(i) + "\n";
        piece += "description = " + QByteArray(2000, 'd') + "\n";
        piece += "moderate = yes\nmaxlength = 40000\ndigest_maxdays =\nwelcome = yes\n";
        piece += QByteArray(blocks[round % 8]) + " << END\n";
        for (int i = 0; i < 200; ++i)
            piece += "  /" + QByteArray(100 + (i * 37) % 400, 'a' + i % 26) + "/\n";
        piece += "END\n\n";
        if (file.write(piece) != piece.size())
            return false;
        ++round;
    }
    return true;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("large.config"));
    if (!dir.isValid() || !writeConfig(path, 10 * 1000 * 1000)) {
        std::fprintf(stderr, "bench_config: cannot write the test file\n");
        return 1;
    }
    const qint64 before = peakRss();
    // One rewrite first, so that every measured round sees the same file.
    {
        MajordomoConfig first;
        if (!first.Load(path) || !first.Save())
            return 1;
    }
    const qint64 size = QFileInfo(path).size();
    constexpr int rounds = 5;
    qint64 best = -1;
    qint64 bestLoad = -1;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        MajordomoConfig config;
        const bool loaded = config.Load(path);
        const qint64 load = timer.nsecsElapsed();
        if (!loaded || !config.Save()) {
            std::fprintf(stderr, "bench_config: load or save failed\n");
            return 1;
        }
        const qint64 ns = timer.nsecsElapsed();
        if (best < 0 || ns < best) {
            best = ns;
            bestLoad = load;
        }
    }
    const qint64 after = peakRss();
    std::printf("config load+save: %.1f MB file, best of %d: %.1f ms (load %.1f ms), %.0f MB/s\n",
                double(size) / 1e6, rounds, double(best) / 1e6, double(bestLoad) / 1e6,
                double(size) / 1e6 / (double(best) / 1e9));
    std::printf("peak memory: %.1f MB before loading, %.1f MB after (growth %.2f x file size)\n",
                double(before) / 1e6, double(after) / 1e6, double(after - before) / double(size));
    return 0;
}
