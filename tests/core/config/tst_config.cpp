// The config record, its file reader and writer, and tavelin-cli config.
#include "TestSupport.h"

#include "config/MajordomoConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A writable copy of a shared fixture (those files are read-only).
bool copyFixture(const QString &name, const QString &to)
{
    const QByteArray bytes = readFile(sharedFixturesDir() + QStringLiteral("/majordomo/") + name);
    return bytes != "<unreadable>" && writeFile(to, bytes);
}

// Load then at once save, as the hand-over of a received reply does.
bool normalize(const QString &path)
{
    MajordomoConfig config;
    return config.Load(path) && config.Save();
}

QByteArray crlf(QByteArray text)
{
    return text.replace("\n", "\r\n");
}

} // namespace

class TestConfig : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void keywordTableMatchesTheKinds()
    {
        QCOMPARE(int(keywordTable().size()), 45);
        int kinds[5] = {};
        int access = 0;
        int policy = 0;
        for (const KeywordInfo &info : keywordTable()) {
            ++kinds[int(info.kind)];
            access += info.choices == ChoiceList::Access;
            policy += info.choices == ChoiceList::Policy;
            QCOMPARE(keywordIndex(info.name), int(info.keyword));
            QVERIFY(info.page >= 1 && info.page <= 5);
        }
        QCOMPARE(QList<int>(std::begin(kinds), std::end(kinds)), QList<int>({24, 8, 3, 2, 8}));
        QCOMPARE(access, 6);
        QCOMPARE(policy, 2);
        QCOMPARE(choiceEntries(keywordInfo(Keyword::subscribe_policy).choices)[3], "open+confirm");
        QVERIFY(choiceEntries(keywordInfo(Keyword::moderator).choices).empty());
        QCOMPARE(keywordIndex("welcome"), -1);
        QCOMPARE(keywordIndex("Admin_passwd"), -1); // callers lower-case first
    }

    void rewritesAndStaysStable_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("output");
        QTest::newRow("mixed case without blanks")
            << QByteArray("Admin_Passwd=secret\nMODERATE=Yes\n")
            << crlf("admin_passwd        =   secret\nmoderate            =   yes\n");
        QTest::newRow("indented keyword copied unchanged")
            << QByteArray("  moderate = yes\n\tdescription=x\n")
            << crlf("  moderate = yes\n\tdescription=x\n");
        QTest::newRow("empty optional integer")
            << QByteArray("digest_maxdays=\ndigest_maxlines =  \n")
            << crlf("digest_maxdays      =\ndigest_maxlines     =\n");
        QTest::newRow("block head written with =")
            << QByteArray("advertise = ignored\n  /a/\n\n/b/\nEND\nmoderate=no\n")
            << crlf("advertise           <<  END\n/a/\n/b/\nEND\nmoderate            =   no\n");
        QTest::newRow("unknown keywords, comments, blanks copied")
            << QByteArray("# admin_passwd = c\nwelcome = yes\n\tfoo <bar>\n\n   \nx\n")
            << crlf("# admin_passwd = c\nwelcome = yes\n\tfoo <bar>\n\n   \nx\n");
        QTest::newRow("keyword twice, last value both times")
            << QByteArray("strip=yes\nstrip = no\n")
            << crlf("strip               =   no\nstrip               =   no\n");
        QTest::newRow("empty file") << QByteArray() << QByteArray();
        QTest::newRow("reply mail")
            << QByteArray("To: owner@example.org\nSubject: Majordomo results: config\n\n--\n\n"
                          ">>>> config testlist adminpw\n# head\n\nstrip = yes\n\n"
                          "comments << END\nhi\nEND\n\n\n#[Last updated Mon Dec  7]\n"
                          ">>>> end\nEND OF COMMANDS\nstrip = no\n")
            << crlf("# head\n\nstrip               =   yes\n\n"
                    "comments            <<  END\nhi\nEND\n");
        QTest::newRow("update stamp without end marker")
            << QByteArray("#[Last updated x]\nstrip=yes\n\n#[Last updated y]\n")
            << crlf("#[Last updated x]\nstrip=yes\n\n#[Last updated y]\n");
        QTest::newRow("indented END closes the block for both")
            << QByteArray("comments << END\n a\n   END\nstrip=yes\n")
            << crlf("comments            <<  END\na\nEND\nstrip               =   yes\n");
        QTest::newRow("lower-case end is block text for both")
            << QByteArray("comments<<END\nx\nend\nEND \nstrip=no\n")
            << crlf("comments            <<  END\nx\nend\nEND\nstrip               =   no\n");
        QTest::newRow("block without END takes the rest")
            << QByteArray("taboo_body << END\n/x/\nstrip=no")
            << crlf("taboo_body          <<  END\n/x/\nstrip=no\nEND\n");
        QTest::newRow("indented block copied with its lines")
            << QByteArray("  advertise << END\nadmin_passwd = x\nEND\nadmin_passwd=y\n")
            << crlf("  advertise << END\nadmin_passwd = x\nEND\nadmin_passwd        =   y\n");
        QTest::newRow("yes with blank, y, trailing comment")
            << QByteArray("debug = yes \nstrip = Y\nmoderate = yes # why\ndate_info = yess\n")
            << crlf("debug               =   yes\nstrip               =   yes\n"
                    "moderate            =   yes\ndate_info           =   no\n");
        QTest::newRow("integers as atoi reads them, held to 32 bits")
            << QByteArray("maxlength = 007abc\ndigest_issue =\ndigest_volume = -12\n"
                          "digest_maxlines = 99999999999\ndigest_maxdays = -99999999999\n")
            << crlf("maxlength           =   7\ndigest_issue        =   0\n"
                    "digest_volume       =   -12\ndigest_maxlines     =   2147483647\n"
                    "digest_maxdays      =   -2147483648\n");
        QTest::newRow("empty block, and blank block lines, leave no empty line")
            << QByteArray("comments<<END\nEND\nadvertise<<END\n\n/a/\n  \n\nEND\n")
            << crlf("comments            <<  END\nEND\nadvertise           <<  END\n/a/\nEND\n");
        QTest::newRow("a CR inside a block line ends that line, so E CR ND is no END")
            << QByteArray("comments<<END\nE\rND\nadmin_passwd = evil\nEND\nadmin_passwd=pw\n")
            << crlf("comments            <<  END\nE\nND\nadmin_passwd = evil\nEND\n"
                    "admin_passwd        =   pw\n");
        QTest::newRow("code page bytes and CR LF pass through")
            << QByteArray("description = \x93\xfa\x96\x7b\r\n# \x83\x65\r\nsubject_prefix=[x] \r\n")
            << QByteArray("description         =   \x93\xfa\x96\x7b\r\n# \x83\x65\r\n"
                          "subject_prefix      =   [x] \r\n");
    }

    void rewritesAndStaysStable()
    {
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, output);
        const QString file = path(QStringLiteral("list.config"));
        QVERIFY(writeFile(file, input));
        QVERIFY(normalize(file));
        QCOMPARE(readFile(file), output);
        QVERIFY(normalize(file));
        QCOMPARE(readFile(file), output);
        QVERIFY(QDir(m_dir.path()).entryList(QDir::Files) == QStringList{"list.config"});
    }

    void readsValuesByKind()
    {
        const QString file = path(QStringLiteral("read.config"));
        QVERIFY(writeFile(file, "  moderate = no\nmessage_footer << END\n--\n  $LIST\n\nEND\n"
                                "digest_maxdays = 7 days\nreply_to = $SENDER  \ncomments<<END\n"
                                "END\n"));
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        QCOMPARE(config.FilePath, file);
        QVERIFY(config[Keyword::moderate].present);
        QCOMPARE(config[Keyword::moderate].choice, 1);
        QCOMPARE(config[Keyword::message_footer].text, QByteArray("--\r\n$LIST\r\n"));
        QCOMPARE(config[Keyword::digest_maxdays].number, 7);
        QVERIFY(!config[Keyword::digest_maxdays].useDefault);
        QCOMPARE(config[Keyword::reply_to].text, QByteArray("$SENDER  "));
        QVERIFY(config[Keyword::comments].present);
        QVERIFY(config[Keyword::comments].text.isEmpty());
        QCOMPARE(config[Keyword::debug], ConfigEntry());
        QCOMPARE(config[Keyword::admin_passwd], ConfigEntry());
    }

    void writesEditedValues()
    {
        const QString file = path(QStringLiteral("edit.config"));
        QVERIFY(writeFile(file, "debug=yes\ndigest_maxdays=3\nadvertise<<END\nold\nEND\n"
                                "description=old\n"));
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        config[Keyword::debug].choice = -1;
        config[Keyword::digest_maxdays] = {true, {}, -1, 42, true};
        config[Keyword::advertise].text = "/a/\r\n/b/";
        config[Keyword::description].text = "";
        QVERIFY(config.Save());
        QCOMPARE(readFile(file), crlf("debug               =   no\ndigest_maxdays      =\n"
                                      "advertise           <<  END\n/a/\n/b/\nEND\n"
                                      "description         =   \n"));

        // What the editor may hold: line ends of every kind and blank lines.
        config[Keyword::advertise].text = "/a/\r\n\r\n  /b/\r/c/\n \r\n";
        QVERIFY(config.Save());
        const QByteArray written = readFile(file);
        QVERIFY2(written.contains("advertise           <<  END\r\n/a/\r\n/b/\r\n/c/\r\nEND\r\n"),
                 written.constData());
        MajordomoConfig reloaded;
        QVERIFY(reloaded.Load(file));
        QCOMPARE(reloaded[Keyword::advertise].text, QByteArray("/a/\r\n/b/\r\n/c/\r\n"));
        QVERIFY(reloaded.Save());
        QCOMPARE(readFile(file), written);
    }

    void refusesToSaveABlockLineThatWouldEndTheBlock_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("typed END") << QByteArray("/a/\r\nEND\r\nadmin_passwd = evil\r\n");
        QTest::newRow("END with blanks") << QByteArray(" END \r\n");
        QTest::newRow("END behind a lone CR") << QByteArray("x\rEND");
    }

    void refusesToSaveABlockLineThatWouldEndTheBlock()
    {
        QFETCH(QByteArray, text);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("end.config"));
        const QByteArray original = "advertise<<END\n/old/\nEND\nadmin_passwd=pw\n";
        QVERIFY(writeFile(file, original));
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        config[Keyword::advertise].text = text;
        QString error;
        QVERIFY(!config.Save(&error));
        QVERIFY2(error.contains(QLatin1String("advertise")), qPrintable(error));
        QCOMPARE(readFile(file), original);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"end.config"});
    }

    void failedLoadLeavesTheRecord()
    {
        MajordomoConfig config;
        QString error;
        QVERIFY(!config.Save(&error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!config.Load(path(QStringLiteral("missing.config")), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(!config.Load(m_dir.path()));
        // Without a writer, opening a FIFO would wait for ever.
        const QString fifo = path(QStringLiteral("fifo.config"));
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!config.Load(fifo, &error));
        QVERIFY(QFile::remove(fifo));
        QVERIFY(config.FilePath.isEmpty());
        QVERIFY(!config.Save());
    }

    void failedSaveLeavesTheOriginal_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("vanished file") << "vanished";
        QTest::newRow("read-only folder") << "readonly";
        QTest::newRow("disk full while writing") << "filesize";
    }

    void failedSaveLeavesTheOriginal()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("list.config"));
        const QByteArray original = "strip = yes\n" + QByteArray(64 * 1024, '#') + '\n';
        QVERIFY(writeFile(file, original));
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        config[Keyword::strip].choice = 1;
        QString error;
        bool saved = true;
        if (how == QLatin1String("vanished")) {
            QVERIFY(QFile::remove(file));
            saved = config.Save(&error);
            QVERIFY(!QFile::exists(file));
        } else if (how == QLatin1String("readonly")) {
            if (geteuid() == 0)
                QSKIP("permissions do not bind root");
            QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
            saved = config.Save(&error);
            QFile::setPermissions(dir.path(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            // Files may not grow past 1 KB: the write of the new text fails.
            rlimit old{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
            rlimit small = old;
            small.rlim_cur = 1024;
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            saved = config.Save(&error);
            setrlimit(RLIMIT_FSIZE, &old);
            std::signal(SIGXFSZ, oldHandler);
        }
        QVERIFY(!saved);
        QVERIFY(!error.isEmpty());
        if (how != QLatin1String("vanished"))
            QCOMPARE(readFile(file), original);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left,
                 how == QLatin1String("vanished") ? QStringList() : QStringList{"list.config"});
    }

    void keepsTheFileMode()
    {
        const QString file = path(QStringLiteral("secret.config"));
        QVERIFY(writeFile(file, "admin_passwd = pw\n"));
        const auto mode = QFile::ReadOwner | QFile::WriteOwner;
        QVERIFY(QFile::setPermissions(file, mode));
        QVERIFY(normalize(file));
        QCOMPARE(QFile::permissions(file) & ~(QFile::ReadUser | QFile::WriteUser), mode);
    }

    void handlesLongRepliesAndLines()
    {
        // More text before the config than the writer keeps in memory.
        const QString file = path(QStringLiteral("reply.eml"));
        QByteArray mail;
        for (int i = 0; i < 40000; ++i)
            mail += "X-Filler: " + QByteArray(60, 'x') + '\n';
        // And a line longer than the reader takes in one go.
        const QByteArray longValue(3 << 20, 'v');
        mail += ">>>> config l pw\nmoderate=yes\ndescription=" + longValue + '\n';
        QVERIFY(writeFile(file, mail));
        QVERIFY(normalize(file));
        QCOMPARE(readFile(file),
                 "moderate            =   yes\r\ndescription         =   " + longValue + "\r\n");
    }

    void normalizesRealServerFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("reply to config") << "reply-config.eml";
        QTest::newRow("reply for a new list") << "reply-config-new-list.eml";
        QTest::newRow("config of a new list") << "default.config";
        QTest::newRow("config as sent") << "nondefault-as-sent.config";
    }

    void normalizesRealServerFiles()
    {
        QFETCH(QString, name);
        if (sharedFixturesDir().isEmpty())
            QSKIP("the shared fixtures are not there");
        const QString file = path(name);
        QVERIFY(copyFixture(name, file));
        QVERIFY(normalize(file));
        const QByteArray text = readFile(file);
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        for (const KeywordInfo &info : keywordTable())
            QVERIFY2(config[info.keyword].present, info.name);
        QVERIFY(text.startsWith("# The configuration file for a majordomo mailing list.\r\n"));
        QVERIFY(!text.endsWith("\r\n\r\n"));
        QVERIFY(
            text.sliced(text.lastIndexOf("\r\n", text.size() - 3)).startsWith("\r\nwho_access "));
        QVERIFY(!text.contains("#[Last updated"));
        QVERIFY(!text.contains(">>>>"));
        QCOMPARE(text.count("\r\n"), text.count('\n'));
        QVERIFY(!text.contains("\r\n\r\nEND\r\n"));
        QVERIFY(text.contains("\r\nwelcome             =   yes\r\n") ||
                text.contains("\r\nwelcome             =   no\r\n"));
        if (name.startsWith(QLatin1String("nondefault"))) {
            QCOMPARE(config[Keyword::message_footer].text,
                     QByteArray("-- \r\nTo leave $LIST send 'unsubscribe $LIST' to "
                                "majordomo@example.com\r\n-\r\n- indented by two\r\n"
                                "--double dash kept as single\r\n"));
            QCOMPARE(config[Keyword::comments].text,
                     QByteArray("Edited by the protocol study\r\n"
                                "# hash is not a comment inside a block\r\n"));
            QCOMPARE(config[Keyword::maxlength].number, 100000);
        } else {
            QVERIFY(config[Keyword::advertise].text.isEmpty());
            QVERIFY(config[Keyword::digest_maxlines].useDefault);
            QCOMPARE(config[Keyword::admin_passwd].text,
                     QByteArray(name == "reply-config.eml" ? "adminpw" : "testlist.admin"));
        }
        QVERIFY(normalize(file));
        QCOMPARE(readFile(file), text);
    }

    void replyOfANewListGivesItsConfig()
    {
        if (sharedFixturesDir().isEmpty())
            QSKIP("the shared fixtures are not there");
        const QString reply = path(QStringLiteral("new-list.eml"));
        const QString config = path(QStringLiteral("new-list.config"));
        QVERIFY(copyFixture(QStringLiteral("reply-config-new-list.eml"), reply));
        QVERIFY(copyFixture(QStringLiteral("default.config"), config));
        QVERIFY(normalize(reply));
        QVERIFY(normalize(config));
        QCOMPARE(readFile(reply), readFile(config));
    }

    void cliNormalizeOfEveryServerFileLeavesNoEmptyLineBeforeEnd()
    {
        if (sharedFixturesDir().isEmpty())
            QSKIP("the shared fixtures are not there");
        const QDir fixtures(sharedFixturesDir() + QStringLiteral("/majordomo"));
        const QStringList names =
            fixtures.entryList({QStringLiteral("*.config"), QStringLiteral("*.eml")}, QDir::Files);
        QVERIFY(names.size() >= 4);
        for (const QString &name : names) {
            const QString file = path(QStringLiteral("cli-") + name);
            QVERIFY(copyFixture(name, file));
            QByteArray once;
            for (int pass = 0; pass < 2; ++pass) {
                QProcess cli;
                cli.start(cliProgram(),
                          {QStringLiteral("config"), QStringLiteral("normalize"), file});
                QVERIFY(cli.waitForFinished(30000));
                QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
                if (pass == 0)
                    once = readFile(file);
            }
            QVERIFY2(!once.contains("\n\r\nEND\r\n") && !once.startsWith("\r\nEND\r\n"),
                     qPrintable(name));
            QVERIFY2(readFile(file) == once, qPrintable(name));
        }
    }

    void saveNeverReplacesADeviceThroughALink()
    {
        const QString file = path(QStringLiteral("list.config"));
        QVERIFY(writeFile(file, "strip = yes\n"));
        MajordomoConfig config;
        QVERIFY(config.Load(file));
        // Since it was loaded, the name has come to link to a device node
        // (one of our own, with the numbers of /dev/null).
        const QByteArray device = QFile::encodeName(path(QStringLiteral("device")));
        if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP(qPrintable(QStringLiteral("no device node can be made here: %1")
                                 .arg(QString::fromLocal8Bit(std::strerror(errno)))));
        QVERIFY(QFile::remove(file));
        QCOMPARE(::symlink(device.constData(), QFile::encodeName(file).constData()), 0);
        QString error;
        QVERIFY(!config.Save(&error));
        QCOMPARE(error, QStringLiteral("not a plain file"));
        struct stat st
        {
        };
        QCOMPARE(::stat(device.constData(), &st), 0);
        QVERIFY(S_ISCHR(st.st_mode));
    }

    void cliNormalizesAndShows()
    {
        const QString file = path(QStringLiteral("cli.eml"));
        QVERIFY(writeFile(file, "Subject: x\n>>>> config l pw\nstrip=y\nadvertise<<END\n/a\\b/\t\n"
                                "END\ndigest_maxdays=\n\n#[Last updated]\n>>>> end\n"));
        QProcess cli;
        cli.start(cliProgram(), {QStringLiteral("config"), QStringLiteral("show"), file});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        const QByteArrayList shown = cli.readAllStandardOutput().split('\n');
        QCOMPARE(shown.size(), 46);
        QCOMPARE(shown[0], QByteArray("admin_passwd\t0\t"));
        QCOMPARE(shown[1], QByteArray("administrivia\t0\t"));
        QCOMPARE(shown[2], QByteArray("advertise\t1\t/a\\\\b/\\t\\r\\n"));
        QCOMPARE(shown[12], QByteArray("digest_maxdays\t1\t"));
        QCOMPARE(shown[13], QByteArray("digest_maxlines\t0\t0"));
        QCOMPARE(shown[37], QByteArray("strip\t1\tyes"));

        cli.start(cliProgram(), {QStringLiteral("config"), QStringLiteral("normalize"), file});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 0);
        QCOMPARE(readFile(file), crlf("strip               =   yes\nadvertise           <<  END\n"
                                      "/a\\b/\t\nEND\ndigest_maxdays      =\n"));

        const QString missing = path(QStringLiteral("missing.config"));
        cli.start(cliProgram(), {QStringLiteral("config"), QStringLiteral("normalize"), missing});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 1);
        QVERIFY(cli.readAllStandardError().contains("missing.config"));
        QVERIFY(!QFile::exists(missing));

        cli.start(cliProgram(), {QStringLiteral("config"), QStringLiteral("edit"), file});
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.exitCode(), 2);
    }
};

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
