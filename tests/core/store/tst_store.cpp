// The settings store on an INI file in a temporary folder.
#include "CliRun.h"

#include "store/AppRegistry.h"
#include "store/SettingsStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

MailingListEntry list(const QByteArray &title, const QByteArray &tag = {})
{
    MailingListEntry e;
    e.Title = title;
    e.Address = "majordomo@" + tag + ".example";
    e.ListName = tag + "-list";
    e.Passwd = tag + "-pw";
    e.ConfigFile = "/lists/" + tag + ".config";
    e.InfoFile = "/lists/" + tag + ".info";
    e.IntroFile = "/lists/" + tag + ".intro";
    return e;
}

ListRegister load()
{
    CAppRegistry store;
    return LoadRegister(store);
}

int unixMode(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// The register as another process reads it from disk.
QByteArray listsOnDisk(const QString &configHome)
{
    const CliRun run = runCli({QStringLiteral("lists")}, configHome);
    return run.status == 0 ? run.out : QByteArray("(failed)");
}

QStringList storedListKeys(const QString &file)
{
    QSettings raw(file, QSettings::IniFormat);
    raw.beginGroup(QStringLiteral("MailingLists"));
    return raw.childGroups();
}

// A child process started by twoProcessesNeverMixRegisters: saves its own
// register over and over.
int runWriter(const QByteArray &tag, int lists)
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       qEnvironmentVariable("TAVELIN_TEST_STORE_DIR"));
    ListRegister reg;
    for (int i = 0; i < lists; ++i)
        reg.append(list(tag + QByteArray::number(i), tag));
    for (int round = 0; round < 40; ++round) {
        if (!SaveRegister(reg))
            return 1;
    }
    return 0;
}

// A child process started by aStoreHeldByAnotherProcessIsNotWritten: writes
// the store and holds it until its input closes.
int runHolder()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       qEnvironmentVariable("TAVELIN_TEST_STORE_DIR"));
    CAppRegistry store;
    if (!store.SetString(QStringLiteral("Server"), "holder") || !store.commit())
        return 1;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    while (std::fgetc(stdin) != EOF) // until the test closes it
        ;
    return 0;
}

} // namespace

class TestStore : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QTemporaryDir m_before;
    QString storeDir() const { return m_dir->filePath(QStringLiteral("config")); }
    QString storeFile() const { return storeDir() + QStringLiteral("/Orvendal/Tavelin.conf"); }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, storeDir());
    }

    void firstStartCreatesPrivateBranchWithDefaults()
    {
        QVERIFY(!QFile::exists(storeFile()));
        // Date headers name the owner's zone: the machine's, not Japan's.
        const ScopedTimeZone india("Asia/Kolkata");
        CommonSettings settings;
        settings.PortNo = 0;
        settings.TimeZone = "x";
        {
            CAppRegistry store;
            QVERIFY(store.GetKey().isValid());
            LoadCommonSettings(store, settings);
            QVERIFY(LoadRegister(store).isEmpty());
        }
        QVERIFY(QFile::exists(storeFile()));
        QCOMPARE(unixMode(storeFile()), 0600);
        QCOMPARE(unixMode(storeDir()), 0700);
        QCOMPARE(unixMode(storeDir() + QStringLiteral("/Orvendal")), 0700);
        QCOMPARE(settings.TimeZone, QByteArray("+0530"));
        QCOMPARE(settings.PortNo, 25u);
        QCOMPARE(settings.Redial, 3u);
        QCOMPARE(settings.Interval, 60u);
        QCOMPARE(settings.Editer, QByteArray("xdg-open"));
        QCOMPARE(settings.UseQuillon, 0u);
        QVERIFY(settings.Server.isEmpty() && settings.MailSavePath.isEmpty());
    }

    void saveMakesTheFilePrivateAndRoundTripsEverySetting()
    {
        // A store left readable to others holds passwords: the save closes it.
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).absolutePath()));
        QVERIFY(writeFile(storeFile(), "[General]\nServer=old\n"));
        QVERIFY(QFile::setPermissions(storeFile(), QFile::Permissions(0x6644)));
        QCOMPARE(unixMode(storeFile()), 0644);
        CommonSettings out;
        out.UseQuillon = 1;
        out.Server = "smtp.example";
        out.TimeZone = "-0500";
        out.UserName = "owner";
        out.PortNo = 587;
        out.Password = "s3cret=;#[x]";
        out.Address = "owner@example";
        out.MailSavePath = "/home/owner/out going";
        out.SaveMail = 1;
        out.DialUp = 1;
        out.Entry = "isp";
        out.Redial = 9;
        out.Interval = 4294967295u;
        out.QuillonType = 1;
        out.NoSignature = 1;
        out.Qsend = "/opt/q/qsend";
        out.Editer = "emacs";
        out.BounceMinDays = 3;
        QVERIFY(SaveCommonSettings(out));
        // The thresholds alone are written alone, the rest kept as it was.
        out.BounceWithin = 90;
        CommonSettings thresholds;
        thresholds.BounceMinDays = out.BounceMinDays;
        thresholds.BounceWithin = out.BounceWithin;
        QVERIFY(SaveBounceThresholds(thresholds));
        QCOMPARE(unixMode(storeFile()), 0600);
        CAppRegistry store;
        CommonSettings in;
        LoadCommonSettings(store, in);
        for (const CommonSettingField &field : commonSettingFields()) {
            if (field.number)
                QCOMPARE(in.*field.number, out.*field.number);
            else
                QCOMPARE(in.*field.text, out.*field.text);
        }
    }

    void listWithoutTitleIsUntitled()
    {
        {
            QSettings raw(storeFile(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("MailingLists/MailingList0/Address"), "ml@example");
        }
        const ListRegister lists = load();
        QCOMPARE(lists.size(), 1);
        QCOMPARE(lists[0].Title, QByteArray("Untiled"));
        QCOMPARE(lists[0].Address, QByteArray("ml@example"));
        QVERIFY(SaveRegister(lists));
        QSettings raw(storeFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("MailingLists/MailingList0/Title")).toString(),
                 QStringLiteral("Untiled"));
    }

    void anyKeyNameLoadsAndIsRenumberedInTitleOrder()
    {
        {
            QSettings raw(storeFile(), QSettings::IniFormat);
            raw.setValue(QStringLiteral("MailingLists/Zeta/Title"), "beta");
            raw.setValue(QStringLiteral("MailingLists/MailingList7/Title"), "Alpha");
            raw.setValue(QStringLiteral("MailingLists/MailingList0/Title"), "gamma");
        }
        ListRegister lists = load();
        QCOMPARE(lists.size(), 3);
        QCOMPARE(lists[0].Title, QByteArray("Alpha"));
        QCOMPARE(lists[1].Title, QByteArray("beta"));
        QCOMPARE(lists[2].Title, QByteArray("gamma"));
        QVERIFY(SaveRegister(lists));
        QCOMPARE(storedListKeys(storeFile()),
                 (QStringList{"MailingList0", "MailingList1", "MailingList2"}));
        QSettings raw(storeFile(), QSettings::IniFormat);
        QCOMPARE(raw.value(QStringLiteral("MailingLists/MailingList1/Title")).toString(),
                 QStringLiteral("beta"));
    }

    void equalTitlesAreBothKept()
    {
        QVERIFY(SaveRegister({list("same", "one"), list("same", "two")}));
        const ListRegister lists = load();
        QCOMPARE(lists.size(), 2);
        QCOMPARE(QSet<QByteArray>({lists[0].ListName, lists[1].ListName}),
                 QSet<QByteArray>({"one-list", "two-list"}));
    }

    void deletingFirstOfThreeLeavesTwoKeys()
    {
        QVERIFY(SaveRegister({list("a", "a"), list("b", "b"), list("c", "c")}));
        ListRegister lists = load();
        lists.removeFirst();
        QVERIFY(SaveRegister(lists));
        QCOMPARE(storedListKeys(storeFile()), (QStringList{"MailingList0", "MailingList1"}));
        QCOMPARE(load(), (ListRegister{list("b", "b"), list("c", "c")}));
    }

    void textValuesRoundTripByteForByte_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("long") << QByteArray(5000, 'x') + "end";
        QTest::newRow("utf-8 japanese") << QByteArray("日本語のリスト ﾒｰﾙ");
        QTest::newRow("shift-jis bytes") << QByteArray("\x93\xfa\x96\x7b\x8c\xea");
        QTest::newRow("ini specials") << QByteArray("a=b;c #d [e] \"f\" \\g @h, i");
        QTest::newRow("spaces") << QByteArray("  lead and trail  ");
    }
    void textValuesRoundTripByteForByte()
    {
        QFETCH(QByteArray, text);
        MailingListEntry entry = list("t", "t");
        entry.Title = text;
        entry.Passwd = text;
        QVERIFY(SaveRegister({entry}));
        QCOMPARE(load(), ListRegister{entry});
    }

    void textReadsUpToTheFirstZeroByte()
    {
        CAppRegistry store;
        QVERIFY(
            store.SetValue(QStringLiteral("Server"), RegType::String, QByteArray("host\0junk", 9)));
        QByteArray text;
        QCOMPARE(store.GetString(QStringLiteral("Server"), &text, "d"), 0L);
        QCOMPARE(text, QByteArray("host"));
        QVERIFY(store.SetValue(QStringLiteral("Entry"), RegType::String, QByteArray("noterm")));
        QCOMPARE(store.GetString(QStringLiteral("Entry"), &text, "d"), 0L);
        QCOMPARE(text, QByteArray("noterm"));
        QCOMPARE(store.GetString(QStringLiteral("Missing"), &text, "d"),
                 CRegistryBase::ErrorNotFound);
        QCOMPARE(text, QByteArray("d"));
    }

    void keysAreCreatedOpenedEnumeratedAndDeleted()
    {
        CAppRegistry store;
        QVERIFY(!store.OpenKey(QStringLiteral("A")).isValid());
        const RegKey a = store.CreateKey(QStringLiteral("A"));
        QVERIFY(a.isValid());
        QVERIFY(store.OpenKey(QStringLiteral("A")).isValid());
        QVERIFY(store.CreateKey(QStringLiteral("B1"), &a).isValid());
        const RegKey b2 = store.CreateKey(QStringLiteral("B2"), &a);
        QVERIFY(store.SetDWord(QStringLiteral("N"), 7, &b2));
        QCOMPARE(store.GetDWord(QStringLiteral("N"), 1, &b2), 7u);
        QCOMPARE(store.GetDWord(QStringLiteral("N"), 1), 1u);
        QString name;
        QStringList names;
        for (int i = 0; store.EnumKey(i, &name, &a); ++i)
            names << name;
        names.sort();
        QCOMPARE(names, (QStringList{"B1", "B2"}));
        QVERIFY(!store.CreateKey(QStringLiteral("x/y"), &a).isValid());
        QVERIFY(!store.CreateKey(QString(), &a).isValid());
        QVERIFY(!store.OpenKey(QStringLiteral("B1"), &b2).isValid());
        QVERIFY(store.DeleteKey(QStringLiteral("A")));
        QVERIFY(!store.OpenKey(QStringLiteral("A")).isValid());
        QVERIFY(!store.OpenKey(QStringLiteral("B2"), &a).isValid());
        QVERIFY(!store.DeleteKey(QStringLiteral("A")));
        const RegKey none;
        QVERIFY(!store.SetString(QStringLiteral("v"), "x", &none));
    }

    void unreadableStoreIsKeptAsideBeforeTheFirstWrite()
    {
        QDir().mkpath(QFileInfo(storeFile()).absolutePath());
        const QByteArray broken = "[MailingLists\nMailingList0\\Title=precious\n";
        {
            QFile f(storeFile());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(broken);
        }
        {
            CAppRegistry store;
            CommonSettings settings;
            LoadCommonSettings(store, settings);
            QCOMPARE(settings.PortNo, 25u);
        }
        // Loading alone writes nothing.
        QVERIFY(!QFile::exists(storeFile() + QStringLiteral(".unreadable")));
        QVERIFY(SaveRegister({list("new", "n")}));
        QFile kept(storeFile() + QStringLiteral(".unreadable"));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), broken);
        QCOMPARE(load(), ListRegister{list("new", "n")});
        // Once rewritten the store is readable: no second copy.
        QVERIFY(SaveRegister({list("newer", "n")}));
        QVERIFY(!QFile::exists(storeFile() + QStringLiteral(".unreadable.1")));
    }

    void saveThatFailsHalfWayKeepsTheOldRegister()
    {
        const ListRegister old = {list("a", "a"), list("b", "b")};
        QVERIFY(SaveRegister(old));
        // A copy of the store as it stood before, for comparison.
        QDir().mkpath(m_before.filePath(QStringLiteral("Orvendal")));
        QVERIFY(
            QFile::copy(storeFile(), m_before.filePath(QStringLiteral("Orvendal/Tavelin.conf"))));
        QVERIFY(listsOnDisk(m_before.path()).startsWith("a\t"));
        ListRegister bigger;
        for (int i = 0; i < 200; ++i)
            bigger.append(list("n" + QByteArray::number(i), QByteArray(200, 'z')));

        // Let the write stop with EFBIG part of the way through the new file.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = QFileInfo(storeFile()).size() + 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool saved_ok = SaveRegister(bigger);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QVERIFY(!saved_ok);
        QCOMPARE(listsOnDisk(storeDir()), listsOnDisk(m_before.path()));
        const QStringList stray =
            QDir(QFileInfo(storeFile()).absolutePath()).entryList(QDir::Files | QDir::Hidden);
        for (const QString &name : stray)
            QVERIFY2(!name.contains(QStringLiteral("Tavelin.conf.")) || name.endsWith(".lock") ||
                         name.endsWith(".bak"),
                     qPrintable(name));
        // The reason is the system's own.
        QString error;
        setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_IGN);
        const bool savedAgain = SaveRegister(bigger, &error);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!savedAgain);
        QCOMPARE(error, storeFile() + QStringLiteral(": File too large"));
    }

    void storeThatIsNoReadablePlainFileIsRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"fifo", "folder", "link to a device", "mode 000"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void storeThatIsNoReadablePlainFileIsRefusedAndLeftAlone()
    {
        QFETCH(QString, kind);
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).absolutePath()));
        const QByteArray store = QFile::encodeName(storeFile());
        // The entry whose kind and content must stay as they are.
        QByteArray entry = store;
        QStringList wrapper;
        if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(store.constData(), 0600), 0);
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkdir(storeFile()));
        } else if (kind == QLatin1String("link to a device")) {
            // A device node of its own, with the numbers of /dev/null.
            entry = QFile::encodeName(m_dir->filePath(QStringLiteral("device")));
            if (::mknod(entry.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
                QSKIP(qPrintable(QStringLiteral("no device node can be made here: %1")
                                     .arg(QString::fromLocal8Bit(std::strerror(errno)))));
            QCOMPARE(::symlink(entry.constData(), store.constData()), 0);
        } else {
            QVERIFY(writeFile(storeFile(), "[General]\nServer=kept\n"));
            QCOMPARE(::chmod(store.constData(), 0), 0);
            if (::geteuid() == 0) {
                // Root reads any file: the program runs as nobody instead.
                if (!QFile::exists(QStringLiteral("/usr/bin/setpriv")))
                    QSKIP("running as root without setpriv to run as another user");
                for (const QString &dir :
                     {m_dir->path(), storeDir(), QFileInfo(storeFile()).absolutePath()})
                    QVERIFY(QFile::setPermissions(dir, QFile::Permissions(0x7755)));
                wrapper =
                    QStringList{QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=65534"),
                                QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
            }
        }
        struct stat before
        {
        };
        QCOMPARE(::stat(entry.constData(), &before), 0);

        for (const char *command : {"lists", "settings"}) {
            const CliRun run = runCli({QString::fromLatin1(command)}, storeDir(), wrapper);
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.contains(store), run.err.constData());
        }
        if (wrapper.isEmpty()) {
            QString error;
            {
                CAppRegistry opened;
                QVERIFY(opened.readError().startsWith(storeFile()));
                QVERIFY(LoadRegister(opened).isEmpty());
            }
            QVERIFY(!SaveRegister({list("a", "a")}, &error));
            QVERIFY2(error.startsWith(storeFile()), qPrintable(error));
            QVERIFY(!SaveCommonSettings(CommonSettings(), &error));
        }

        struct stat after
        {
        };
        QCOMPARE(::stat(entry.constData(), &after), 0);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_ino, before.st_ino);
        QCOMPARE(after.st_rdev, before.st_rdev);
        QCOMPARE(after.st_size, before.st_size);
        ::chmod(store.constData(), 0600);
    }

    void damagedStoreIsKeptAsItWasBeforeTheFirstWrite()
    {
        // Qt's reader passes over the damaged region without a word.
        QByteArray original = "[General]\nServer=smtp.example\n[MailingLists]\n";
        for (int i = 0; i < 50; ++i) {
            original += "MailingList" + QByteArray::number(i) + "\\Title=list" +
                        QByteArray::number(i) + '\n';
            if (i == 20)
                original += QByteArray("\0\x01[Mail\xffingLists\n=\n\"\n", 17);
        }
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).absolutePath()));
        QVERIFY(writeFile(storeFile(), original));
        const QString backup = storeFile() + QStringLiteral(".bak");
        ListRegister lists = load();
        QVERIFY(!QFile::exists(backup)); // reading writes nothing
        QVERIFY(SaveRegister(lists));
        QCOMPARE(readFile(backup), original);
        QCOMPARE(unixMode(backup), 0600);
        // Only the first write of a process replaces the copy.
        QVERIFY(SaveRegister({list("other", "o")}));
        QCOMPARE(readFile(backup), original);
    }

    void aSaveThatCannotKeepItsCopyFailsAndChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"dangling link", "folder", "link to /dev/null"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void aSaveThatCannotKeepItsCopyFailsAndChangesNothing()
    {
        QFETCH(QString, kind);
        QVERIFY(QDir().mkpath(QFileInfo(storeFile()).absolutePath()));
        const QByteArray original = "[General]\nServer=kept\n";
        QVERIFY(writeFile(storeFile(), original));
        const QString backup = storeFile() + QStringLiteral(".bak");
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(backup));
        else
            QVERIFY(QFile::link(kind == QLatin1String("dangling link")
                                    ? m_dir->filePath(QStringLiteral("nowhere"))
                                    : QStringLiteral("/dev/null"),
                                backup));
        CommonSettings changed;
        changed.Server = "new";
        for (int step = 0; step < 2; ++step) {
            QString error;
            const bool saved = step == 0 ? SaveCommonSettings(changed, &error)
                                         : SaveRegister({list("a", "a")}, &error);
            QVERIFY(!saved);
            QVERIFY2(error.startsWith(backup), qPrintable(error));
        }
        QCOMPARE(readFile(storeFile()), original);
    }

    // Another process holds the store past the wait: nothing is written
    // over its content, and the save says why.
    void aStoreHeldByAnotherProcessIsNotWritten()
    {
        QProcess holder;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TAVELIN_TEST_HOLDER"), QStringLiteral("1"));
        env.insert(QStringLiteral("TAVELIN_TEST_STORE_DIR"), storeDir());
        holder.setProcessEnvironment(env);
        holder.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(holder.waitForStarted(10000));
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT((said += holder.readAllStandardOutput()).contains("held"), 20000);
        const QByteArray theirs = readFile(storeFile());
        QVERIFY(theirs.contains("Server=holder"));

        CRegistryBase::setLockWaitMsForTest(300);
        CommonSettings mine;
        mine.Server = "mine";
        QString error;
        QVERIFY(!SaveCommonSettings(mine, &error));
        QVERIFY2(error.contains(QStringLiteral("another program holds the store")),
                 qPrintable(error));
        QVERIFY(!SaveRegister({list("a", "a")}, &error));
        QVERIFY2(error.startsWith(storeFile() + QStringLiteral(".step.lock")), qPrintable(error));
        QCOMPARE(readFile(storeFile()), theirs);

        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(holder.exitCode(), 0);
        QVERIFY(SaveCommonSettings(mine, &error));
        CRegistryBase::setLockWaitMsForTest(CRegistryBase::kLockWaitMs);
    }

    void aStoreOpenedWhileAnotherIsOpenDoesNotWaitForIt()
    {
        CAppRegistry outer;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(SaveRegister({list("a", "a")}));
        QVERIFY(timer.elapsed() < CRegistryBase::kLockWaitMs / 2);
        QCOMPARE(LoadRegister(outer), ListRegister{list("a", "a")});
    }

    void twoProcessesNeverMixRegisters()
    {
        QList<QProcess *> writers;
        const QList<QPair<QByteArray, int>> jobs = {{"left", 3}, {"right", 7}};
        for (const auto &[tag, count] : jobs) {
            auto *p = new QProcess(this);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TAVELIN_TEST_WRITER"), QString::fromLatin1(tag));
            env.insert(QStringLiteral("TAVELIN_TEST_WRITER_LISTS"), QString::number(count));
            env.insert(QStringLiteral("TAVELIN_TEST_STORE_DIR"), storeDir());
            p->setProcessEnvironment(env);
            p->start(QCoreApplication::applicationFilePath(), {});
            writers << p;
        }
        for (QProcess *p : writers) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitCode(), 0);
        }
        QSettings raw(storeFile(), QSettings::IniFormat);
        QCOMPARE(raw.status(), QSettings::NoError);
        const ListRegister lists = load();
        QVERIFY(lists.size() == 3 || lists.size() == 7);
        const QByteArray tag = lists.size() == 3 ? "left" : "right";
        for (const MailingListEntry &e : lists)
            QCOMPARE(e.ListName, tag + "-list");
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet("TAVELIN_TEST_HOLDER")) {
        QCoreApplication app(argc, argv);
        return runHolder();
    }
    if (qEnvironmentVariableIsSet("TAVELIN_TEST_WRITER")) {
        QCoreApplication app(argc, argv);
        return runWriter(qgetenv("TAVELIN_TEST_WRITER"),
                         qEnvironmentVariableIntValue("TAVELIN_TEST_WRITER_LISTS"));
    }
    QCoreApplication app(argc, argv);
    TestStore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_store.moc"
