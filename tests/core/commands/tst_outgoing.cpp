// The outgoing folder: naming, exclusive creation, counting and subjects.
#include "TestSupport.h"

#include "commands/OutgoingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using namespace OutgoingFolder;

namespace {

// Child mode of this test program: creates count queued files in folder and
// prints their paths, one a line.
int createInChild(const QString &folder, int count)
{
    for (int i = 0; i < count; ++i) {
        const CreatedFile created = CreateQueuedFile(folder);
        if (!created.ok())
            return 1;
        std::printf("%s\n", qPrintable(created.path));
    }
    return 0;
}

} // namespace

class TestOutgoing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createsEmptyPrivateFilesWithTheQueuedNameForm()
    {
        QTemporaryDir dir;
        QSet<QString> seen;
        for (int i = 0; i < 20; ++i) {
            const CreatedFile created = CreateQueuedFile(dir.path());
            QVERIFY2(created.ok(), qPrintable(created.error));
            const QFileInfo info(created.path);
            QCOMPARE(info.absolutePath(), QFileInfo(dir.path()).absoluteFilePath());
            static const QRegularExpression form(QStringLiteral("^tvl[0-9A-F]{1,4}\\.TMP$"));
            QVERIFY2(form.match(info.fileName()).hasMatch(), qPrintable(info.fileName()));
            QVERIFY(!info.fileName().startsWith(QLatin1String("tvl0")));
            QCOMPARE(info.size(), 0);
            QCOMPARE(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ReadOwner |
                                            QFile::WriteOwner),
                     QFile::Permissions());
            QVERIFY(!seen.contains(created.path));
            seen.insert(created.path);
        }
        QCOMPARE(CountQueued(dir.path()), 20);
    }

    void stepsPastTakenNamesAndNeverOverwrites()
    {
        // Names 1..0x20 with every one but 0x1C taken by a file, a folder or a
        // dangling link; starting at 0x1E the search wraps round to find it.
        QTemporaryDir dir;
        const int count = 0x20;
        for (int n = 1; n <= count; ++n) {
            const QString path = dir.filePath(
                QStringLiteral("tvl") + QString::number(n, 16).toUpper() + QStringLiteral(".TMP"));
            if (n == 0x1C)
                continue;
            if (n == 3)
                QVERIFY(QDir().mkdir(path));
            else if (n == 4)
                QVERIFY(QFile::link(dir.filePath(QStringLiteral("nowhere")), path));
            else
                QVERIFY(writeFile(path, "x"));
        }
        const CreatedFile created = CreateQueuedFileForTest(dir.path(), 0x1E, count);
        QVERIFY2(created.ok(), qPrintable(created.error));
        QCOMPARE(QFileInfo(created.path).fileName(), QStringLiteral("tvl1C.TMP"));
        QCOMPARE(QFileInfo(dir.filePath(QStringLiteral("tvl1B.TMP"))).size(), 1);
        QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("nowhere"))));

        const CreatedFile none = CreateQueuedFileForTest(dir.path(), 1, count);
        QVERIFY(!none.ok());
        QVERIFY(none.error.contains(QLatin1String("taken")));

        // The real name space: a taken clock value only moves the name on.
        for (int i = 0; i < 3; ++i)
            QVERIFY(CreateQueuedFile(dir.path()).ok());
        QCOMPARE(CountQueued(dir.path()), count + 3 - 2);
    }

    void failsWhereTheFolderCannotTakeAFile()
    {
        QTemporaryDir dir;
        QVERIFY(!CreateQueuedFile(dir.filePath(QStringLiteral("missing"))).ok());
        QVERIFY(!CreateQueuedFile(QString()).ok());
        QVERIFY(writeFile(dir.filePath(QStringLiteral("plain")), "x"));
        QVERIFY(!CreateQueuedFile(dir.filePath(QStringLiteral("plain"))).ok());

        // A folder that takes no new files even from root: fails at once.
        if (QFileInfo(QStringLiteral("/proc")).isDir()) {
            const CreatedFile created = CreateQueuedFile(QStringLiteral("/proc"));
            QVERIFY(!created.ok());
            QVERIFY2(created.error.startsWith(QLatin1String("cannot create")),
                     qPrintable(created.error));
        }

        const QString locked = dir.filePath(QStringLiteral("locked"));
        QVERIFY(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
        if (QFileInfo(locked).isWritable())
            QSKIP("running with rights that ignore folder permissions");
        const CreatedFile created = CreateQueuedFile(locked);
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(!created.ok());
        QVERIFY(!created.error.isEmpty());
        QCOMPARE(QDir(locked).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 0);
    }

    void twoProcessesNeverGetTheSameFile()
    {
        QTemporaryDir dir;
        const int each = 300;
        QProcess a, b;
        const QStringList args = {QStringLiteral("--create"), dir.path(), QString::number(each)};
        a.start(QCoreApplication::applicationFilePath(), args);
        b.start(QCoreApplication::applicationFilePath(), args);
        QVERIFY(a.waitForFinished(60000));
        QVERIFY(b.waitForFinished(60000));
        QCOMPARE(a.exitCode(), 0);
        QCOMPARE(b.exitCode(), 0);
        QSet<QByteArray> paths;
        for (const QByteArray &out : {a.readAllStandardOutput(), b.readAllStandardOutput()}) {
            const QList<QByteArray> lines = out.trimmed().split('\n');
            QCOMPARE(lines.size(), each);
            for (const QByteArray &line : lines)
                paths.insert(line);
        }
        QCOMPARE(paths.size(), 2 * each);
        QCOMPARE(CountQueued(dir.path()), 2 * each);
    }

    void countsTvlTmpNamesInAnyCaseDirectlyInTheFolder()
    {
        QTemporaryDir dir;
        for (const char *name : {"TVL1A.TMP", "tvl2.tmp", "Tvl.Tmp", "tvl3.txt", "xtvl4.tmp",
                                 "tvl5.tmp.bak", "tvltmp"})
            QVERIFY(writeFile(dir.filePath(QString::fromLatin1(name)), "Subject: x\n"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("tvl6.tmp")));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("sub/tvl7.tmp")), ""));

        QCOMPARE(CountQueued(dir.path()), 3);
        QStringList names = ListQueued(dir.path());
        names.sort();
        QCOMPARE(names, QStringList({QStringLiteral("TVL1A.TMP"), QStringLiteral("Tvl.Tmp"),
                                     QStringLiteral("tvl2.tmp")}));
    }

    void aMissingOrEmptyFolderHoldsNothing()
    {
        QTemporaryDir dir;
        QCOMPARE(CountQueued(dir.path()), 0);
        QCOMPARE(CountQueued(dir.filePath(QStringLiteral("missing"))), 0);
        QVERIFY(ListQueued(dir.filePath(QStringLiteral("missing"))).isEmpty());
        // An unset folder is not the current directory, whatever it holds.
        QVERIFY(QDir::setCurrent(dir.path()));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl1.TMP")), ""));
        QCOMPARE(CountQueued(QString()), 0);
    }

    void readsTheFirstSubjectLineAnywhereInTheFile_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("subject");
        QTest::newRow("header") << QByteArray("To: a@b\r\nSubject: unsubscribe l a@x,b@y\r\n\r\n"
                                              "approve p unsubscribe l a@x\r\n")
                                << QByteArray("unsubscribe l a@x,b@y");
        QTest::newRow("trailing blank trimmed")
            << QByteArray("Subject: Who l \r\n\r\nend\r\n") << QByteArray("Who l");
        QTest::newRow("none") << QByteArray("To: a@b\r\n\r\nend\r\n") << QByteArray();
        QTest::newRow("body line in capitals")
            << QByteArray("To: a@b\r\nFrom: c@d\r\n\r\nSUBJECT: x\r\nsubject: y\r\n")
            << QByteArray("x");
        QTest::newRow("no colon gives the whole line")
            << QByteArray("subjectless line\nSubject: later\n") << QByteArray("subjectless line");
        QTest::newRow("only the first colon cuts")
            << QByteArray("Subject:  Re: a:b \n") << QByteArray("Re: a:b");
        QTest::newRow("too short to qualify") << QByteArray("subjec\nSubj: x\n") << QByteArray();
        QTest::newRow("last line without line end")
            << QByteArray("\nsubject:\tend") << QByteArray("end");
        QTest::newRow("empty file") << QByteArray() << QByteArray();
    }

    void readsTheFirstSubjectLineAnywhereInTheFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, subject);
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl1.TMP")), content));
        QCOMPARE(ReadSubject(dir.filePath(QStringLiteral("tvl1.TMP"))), subject);
    }

    void anUnreadableFileHasAnEmptySubject()
    {
        QTemporaryDir dir;
        QCOMPARE(ReadSubject(dir.filePath(QStringLiteral("gone.tmp"))), QByteArray());
        QCOMPARE(ReadSubject(dir.path()), QByteArray());
    }

    void readQueueSortsBySubjectIgnoringCase()
    {
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl1.TMP")), "Subject: who b\r\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl2.TMP")), "Subject: Who a\r\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl3.TMP")), "To: x\r\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("tvl4.TMP")), "Subject: who b\r\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("other.txt")), "Subject: aaa\r\n"));
        const QList<QueuedMail> queue = ReadQueue(dir.path());
        QCOMPARE(queue.size(), 4);
        QCOMPARE(queue[0].name, QStringLiteral("tvl3.TMP"));
        QCOMPARE(queue[0].subject, QByteArray());
        QCOMPARE(queue[1].subject, QByteArray("Who a"));
        QCOMPARE(queue[2].name, QStringLiteral("tvl1.TMP"));
        QCOMPARE(queue[3].name, QStringLiteral("tvl4.TMP"));
    }
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--create") == 0)
        return createInChild(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    TestOutgoing test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_outgoing.moc"
