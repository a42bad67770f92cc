// The send-all run end to end: `tavelin-cli send` empties queues of 100, 1000
// and 10 000 small mails into a sink server on 127.0.0.1. Prints mails per
// second, the per-mail rate of the largest queue against the smallest, and
// the peak memory of each run.
#include "SinkServer.h"

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char **environ;

namespace {

const QByteArray kMail = "X-Tavelin-ML: mylist\r\n"
                         "To: majordomo@example.org\r\n"
                         "From: owner@example.org\r\n"
                         "Date: Mon, 7 Dec 2026 10:00:00 +0900\r\n"
                         "Subject: unsubscribe mylist member@example.org\r\n"
                         "\r\n"
                         "approve secret unsubscribe mylist member@example.org\r\n"
                         "end\r\n";

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct Result
{
    bool ok = false;
    double seconds = 0;
    long peakKiB = 0;
};

// Runs tavelin-cli send with its store under `home`; output is dropped.
Result runSend(const QString &home)
{
    const QByteArray config = "XDG_CONFIG_HOME=" + QFile::encodeName(home);
    std::vector<char *> env;
    for (char **e = environ; *e; ++e) {
        if (std::strncmp(*e, "XDG_CONFIG_HOME=", 16) != 0)
            env.push_back(*e);
    }
    env.push_back(const_cast<char *>(config.constData()));
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char program[] = TAVELIN_CLI_PATH;
    char command[] = "send";
    char *argv[] = {program, command, nullptr};
    QElapsedTimer timer;
    timer.start();
    pid_t pid = 0;
    Result result;
    if (posix_spawn(&pid, program, &actions, nullptr, argv, env.data()) == 0) {
        int status = 0;
        rusage usage{};
        if (wait4(pid, &status, 0, &usage) == pid) {
            result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
            result.peakKiB = usage.ru_maxrss;
        }
    }
    result.seconds = timer.nsecsElapsed() / 1e9;
    posix_spawn_file_actions_destroy(&actions);
    return result;
}

} // namespace

int main()
{
    Sink sink;
    if (!sink.start()) {
        std::fprintf(stderr, "bench_sendall: the sink server cannot listen\n");
        return 1;
    }
    QTemporaryDir home;
    const QString out = home.filePath(QStringLiteral("out"));
    QDir().mkpath(home.filePath(QStringLiteral("Orvendal")));
    QDir().mkpath(out);
    if (!writeFile(home.filePath(QStringLiteral("Orvendal/Tavelin.conf")),
                   "[General]\nMailSavePath=" + QFile::encodeName(out) +
                       "\nServer=127.0.0.1\nPortNo=" + QByteArray::number(sink.port()) + "\n")) {
        std::fprintf(stderr, "bench_sendall: cannot write the store\n");
        return 1;
    }

    std::printf("tavelin-cli send, small mails (%lld bytes), sink on 127.0.0.1\n",
                static_cast<long long>(kMail.size()));
    double smallRate = 0;
    for (const int count : {100, 1000, 10000}) {
        // Short runs are repeated and the best kept, so that a moment of
        // other load on the machine does not decide the comparison.
        const int rounds = count <= 100 ? 9 : count <= 1000 ? 3 : 1;
        Result best;
        best.seconds = 1e300;
        for (int round = 0; round < rounds; ++round) {
            // The queue is made before the clock starts; names in order, as
            // many composed mails would have.
            for (int i = 0; i < count; ++i)
                writeFile(out + QStringLiteral("/tvl%1.TMP").arg(i + 1, 4, 16, QLatin1Char('0')),
                          kMail);
            const int before = sink.mails();
            const Result result = runSend(home.path());
            const int sent = sink.mails() - before;
            if (!result.ok || sent != count) {
                std::fprintf(stderr, "bench_sendall: %d of %d mails sent\n", sent, count);
                return 1;
            }
            best.seconds = std::min(best.seconds, result.seconds);
            best.peakKiB = std::max(best.peakKiB, result.peakKiB);
        }
        const double rate = count / best.seconds;
        if (count == 100)
            smallRate = rate;
        std::printf("  %5d mails: %7.2f s, %7.0f mails/s (%.2fx the rate of 100), peak %5.1f MB"
                    " (best of %d)\n",
                    count, best.seconds, rate, rate / smallRate, best.peakKiB / 1024.0, rounds);
    }
    sink.stop();
    return 0;
}
