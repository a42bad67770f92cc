// The send-all run against a real SMTP server, with a recording window side.
#include "AiosmtpdServer.h"
#include "CliRun.h"

#include "commands/OutgoingFolder.h"
#include "send/SendAllRun.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// Records what the run asks of its window.
class RecordingView : public SendAllView
{
public:
    explicit RecordingView(const QString &folder) : folder(folder) { recountQueued(); }

    void showStatus(bool withKeepConnection) override
    {
        statusShown = true;
        keepConnectionShown = withKeepConnection;
    }
    void setStatusLine1(const QString &text) override
    {
        line1 << text;
        if (onLine1)
            onLine1(text);
    }
    void setStatusLine2(const QString &text) override { line2 << text; }
    void disableRunButtons() override { buttonsDisabled = true; }
    int queuedCount() const override { return queued; }
    void recountQueued() override
    {
        queued = OutgoingFolder::CountQueued(folder);
        ++recounts;
    }
    void runTabChange() override { ++tabChanges; }
    void showMessage(const UserMessage &message) override { messages << message; }
    void dial(const QByteArray &entry) override { dialled << entry; }
    bool keepConnection() const override { return keep; }
    void hangUp() override { ++hangUps; }
    void hideCancelButton() override { cancelHidden = true; }
    void closeStatus() override { statusClosed = true; }

    QString folder;
    int queued = 0;
    int recounts = 0;
    int tabChanges = 0;
    int hangUps = 0;
    bool keep = false;
    bool statusShown = false;
    bool keepConnectionShown = false;
    bool buttonsDisabled = false;
    bool cancelHidden = false;
    bool statusClosed = false;
    QStringList line1;
    QStringList line2;
    QList<UserMessage> messages;
    QByteArrayList dialled;
    std::function<void(const QString &)> onLine1;
};

QByteArray mail(const QByteArray &to, const QByteArray &title, const QByteArray &body)
{
    QByteArray text = "To: " + to + "\r\nFrom: owner@example.org\r\n";
    if (!title.isNull())
        text += "X-Tavelin-ML: " + title + "\r\n";
    return text + "Subject: test\r\n\r\n" + body + "\r\nend\r\n";
}

// Queues `content` under the given tvl name.
void queue(const QString &folder, const QString &name, const QByteArray &content)
{
    QFile file(folder + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

bool runToEnd(SendAllRun &run)
{
    QSignalSpy finished(&run, &SendAllRun::finished);
    run.sendAll();
    return finished.wait(60000) || !finished.isEmpty();
}

// A stand-in for the companion's sending program: a shell script named
// `name` in `dir` that runs `body` with the program's arguments.
QString standIn(const QString &dir, const QString &name, const QByteArray &body)
{
    const QString path = dir + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

} // namespace

class TestSendAll : public QObject
{
    Q_OBJECT

private:
    AiosmtpdServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    CommonSettings m_settings;

    QString folder() const { return m_dir->path(); }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_server.start())
            QFAIL(qPrintable(m_server.error()));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = CommonSettings();
        m_settings.MailSavePath = QFile::encodeName(folder());
        m_settings.Server = "127.0.0.1";
        m_settings.PortNo = m_server.port();
    }

    void emptyFolderEndsAtOnceAndClosesTheStatus()
    {
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY(view.statusShown);
        QVERIFY(!view.keepConnectionShown);
        QVERIFY(view.line1.isEmpty());
        QCOMPARE(view.line2, QStringList{"送信を完了しました"});
        QVERIFY(view.buttonsDisabled && view.cancelHidden && view.statusClosed);
        QCOMPARE(view.recounts, 2);
        QCOMPARE(view.tabChanges, 1);
        QVERIFY(!run.isActive());
    }

    void everyQueuedMailIsDeliveredByteForByteAndDeleted()
    {
        const QByteArray first = mail("a@example.org", "ml", ".leading dot\r\n..two");
        const QByteArray second = mail("b@example.org", "ml", "second");
        queue(folder(), QStringLiteral("tvl1.TMP"), first);
        queue(folder(), QStringLiteral("TVL2.tmp"), second);
        queue(folder(), QStringLiteral("tvl3.txt"), "not queued");
        const qsizetype before = m_server.mails().size();
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY2(!run.errorSeen(), qPrintable(view.line1.join(QLatin1Char('\n'))));
        const QList<AiosmtpdServer::Mail> mails = m_server.mails().mid(before);
        QCOMPARE(mails.size(), 2);
        QCOMPARE(QSet<QByteArray>({mails[0].content, mails[1].content}),
                 QSet<QByteArray>({first, second}));
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 0);
        QVERIFY(QFile::exists(folder() + QStringLiteral("/tvl3.txt")));
        QCOMPARE(view.line1.size(), 2);
        QCOMPARE(view.line1.last(), QStringLiteral("(2/2)通目を送信中"));
        QVERIFY(view.line2.size() > 2); // the SMTP progress lines came through
        QVERIFY(view.statusClosed);
    }

    void aRefusedMailEndsTheRunAndStaysQueued()
    {
        // The second file, whichever the folder order makes it, is refused:
        // when it is announced every file still queued names a refused
        // recipient.
        for (const char *name : {"tvl1.TMP", "tvl2.TMP", "tvl3.TMP"})
            queue(folder(), QString::fromLatin1(name), mail("ok@example.org", "ml", name));
        const qsizetype before = m_server.mails().size();
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        view.onLine1 = [this](const QString &text) {
            if (text != QStringLiteral("(2/3)通目を送信中"))
                return;
            for (const QString &name : OutgoingFolder::ListQueued(folder()))
                queue(folder(), name, mail("refuse-me@example.org", "ml", "refused"));
        };
        QVERIFY(runToEnd(run));
        QVERIFY(run.errorSeen());
        QCOMPARE(view.line1,
                 (QStringList{"(1/3)通目を送信中", "(2/3)通目を送信中",
                              "コマンド実行に失敗しました\nコマンド:RCPT TO:<refuse-me@example.org>"
                              "\n要求コード : 250\n応答コード : 550\n5.1.1 recipient refused"}));
        QCOMPARE(m_server.mails().size(), before + 1);
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 2);
        QCOMPARE(view.line2.last(), QStringLiteral("送信を完了しました"));
        QVERIFY(!view.statusClosed);
        QVERIFY(view.cancelHidden);
    }

    void cancelLetsTheMailInFlightFinishAndStopsBeforeTheNext()
    {
        for (const char *name : {"tvl1.TMP", "tvl2.TMP", "tvl3.TMP"})
            queue(folder(), QString::fromLatin1(name), mail("x@example.org", "ml", name));
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        view.onLine1 = [&run](const QString &) { postMessage(&run, SendMsg::RunCancel); };
        QVERIFY(runToEnd(run));
        QVERIFY(run.cancelled());
        QVERIFY(!run.errorSeen());
        QCOMPARE(view.line1, QStringList{"(1/3)通目を送信中"});
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 2);
    }

    void progressCountsFromTheLastRecount()
    {
        // Three counted; one more queued before the run and one while the
        // first is sent: all go out, numbered on past the count. One removed
        // from outside meanwhile is passed over, not a failure.
        for (const char *name : {"tvl1.TMP", "tvl2.TMP", "tvl5.TMP"})
            queue(folder(), QString::fromLatin1(name), mail("x@example.org", "ml", name));
        RecordingView view(folder());
        queue(folder(), QStringLiteral("tvl3.TMP"), mail("x@example.org", "ml", "3"));
        view.onLine1 = [this](const QString &text) {
            if (text != QStringLiteral("(1/3)通目を送信中"))
                return;
            // The run takes files in listing order: the last listed is not
            // the one in flight.
            QFile::remove(folder() + QLatin1Char('/') +
                          OutgoingFolder::ListQueued(folder()).last());
            queue(folder(), QStringLiteral("tvl4.TMP"), mail("x@example.org", "ml", "4"));
        };
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY2(!run.errorSeen(), qPrintable(view.line1.last()));
        QCOMPARE(view.line1, (QStringList{"(1/3)通目を送信中", "(2/3)通目を送信中",
                                          "(3/3)通目を送信中", "(4/3)通目を送信中"}));
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 0);
    }

    void copiesGoToTheListFolderAndNeverBackIntoTheQueue()
    {
        m_settings.SaveMail = 1;
        const QByteArray withTitle = mail("x@example.org", "mylist", "one");
        queue(folder(), QStringLiteral("tvl1.TMP"), withTitle);
        queue(folder(), QStringLiteral("tvl2.TMP"), mail("x@example.org", QByteArray(), "two"));
        queue(folder(), QStringLiteral("tvl3.TMP"), mail("x@example.org", "../escape", "three"));
        // A last line without a line end gets one in the copy.
        queue(folder(), QStringLiteral("tvl4.TMP"), mail("x@example.org", "mylist", "four") + "x");
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY(!run.errorSeen());
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 0);

        const QDir mylist(folder() + QStringLiteral("/mylist"));
        const QStringList copies = OutgoingFolder::ListQueued(mylist.path());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(QSet<QByteArray>(
                     {readFile(mylist.filePath(copies[0])), readFile(mylist.filePath(copies[1]))}),
                 QSet<QByteArray>({withTitle, mail("x@example.org", "mylist", "four") + "x\r\n"}));
        const QString noList = folder() + QLatin1Char('/') + SendAllRun::noListFolderName();
        QCOMPARE(OutgoingFolder::CountQueued(noList), 1);
        // "../escape" stays inside the outgoing folder.
        QVERIFY(!QFileInfo::exists(QFileInfo(folder()).absolutePath() + QStringLiteral("/escape")));
        QCOMPARE(OutgoingFolder::CountQueued(folder() + QLatin1Char('/') +
                                             SendAllRun::copyFolderName("../escape")),
                 1);
    }

    void copyFolderNamesStayInside_data()
    {
        QTest::addColumn<QByteArray>("title");
        QTest::newRow("path") << QByteArray("a/b\\c");
        QTest::newRow("drive") << QByteArray("C:x");
        QTest::newRow("blank") << QByteArray("  ");
        QTest::newRow("control") << QByteArray("a\nb");
    }
    void copyFolderNamesStayInside()
    {
        QFETCH(QByteArray, title);
        const QString name = SendAllRun::copyFolderName(title);
        QVERIFY(!name.isEmpty());
        QVERIFY(!name.startsWith(QLatin1Char('.')));
        for (QChar c : QStringView(u"/\\:\n"))
            QVERIFY(!name.contains(c));
    }

    // A run that ends without removing its lock (killed, or a machine that
    // stopped before the lock reached the disk) must not stop every later run.
    void aLockNoLiveRunCanHoldIsTakenOver_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("beforeBoot");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("unparsable") << QByteArray("\x01garbage\n") << false;
        // Our own process id and name: QLockFile alone would call it live.
        QTest::newRow("left before the last boot")
            << QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                   QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() + '\n' +
                   QSysInfo::machineHostName().toUtf8() + '\n'
            << true;
    }
    void aLockNoLiveRunCanHoldIsTakenOver()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, beforeBoot);
        const QString lock = folder() + QLatin1Char('/') + SendAllRun::lockFileName();
        QVERIFY(writeFile(lock, content));
        if (beforeBoot) {
            QFile file(lock);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime(QDate(2000, 1, 1), QTime(0, 0)),
                                     QFileDevice::FileModificationTime));
        }
        queue(folder(), QStringLiteral("tvl1.TMP"), mail("x@example.org", "ml", "1"));
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY2(view.messages.isEmpty(), qPrintable(view.messages.value(0).text));
        QVERIFY(!run.errorSeen());
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 0);
        QVERIFY(!QFileInfo::exists(lock));
    }

    // Entries that are no plain file where the run reads or writes: each is
    // said (naming it), and none blocks the run or sends a mail twice.
    void entriesThatAreNoPlainFilesAreSaidAndLeftAlone_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message"); // how the message starts
        QTest::addColumn<QString>("named");   // the entry it names
        QTest::addColumn<int>("sent");
        QTest::newRow("lock is a link") << QStringLiteral("lock link")
                                        << QStringLiteral("送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙがﾘﾝｸになっています")
                                        << SendAllRun::lockFileName() << 0;
        QTest::newRow("lock is a folder")
            << QStringLiteral("lock folder") << QStringLiteral("送信ﾌｫﾙﾀﾞのﾛｯｸﾌｧｲﾙが壊れています")
            << SendAllRun::lockFileName() << 0;
        QTest::newRow("queued name links to a FIFO")
            << QStringLiteral("fifo") << QStringLiteral("送信できないﾌｧｲﾙがあります")
            << QStringLiteral("tvl9.TMP") << 1;
        QTest::newRow("copy folder is a link")
            << QStringLiteral("copy link") << QStringLiteral("保存先のﾌｧｲﾙが開けません")
            << QStringLiteral("mylist") << 1;
    }
    void entriesThatAreNoPlainFilesAreSaidAndLeftAlone()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QFETCH(QString, named);
        QFETCH(int, sent);
        const QTemporaryDir elsewhere;
        const QString target = elsewhere.filePath(QStringLiteral("target"));
        const QString entry = folder() + QLatin1Char('/') + named;
        std::unique_ptr<FifoWatchdog> watchdog;
        if (kind == QLatin1String("lock link")) {
            QVERIFY(writeFile(target, "kept"));
            QVERIFY(QFile::link(target, entry));
        } else if (kind == QLatin1String("lock folder")) {
            QVERIFY(QDir().mkdir(entry));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(target).constData(), 0600), 0);
            QVERIFY(QFile::link(target, entry));
            watchdog = std::make_unique<FifoWatchdog>(target);
        } else {
            m_settings.SaveMail = 1;
            QVERIFY(QDir().mkdir(target));
            QVERIFY(QFile::link(target, entry));
        }
        queue(folder(), QStringLiteral("tvl1.TMP"), mail("x@example.org", "mylist", "1"));
        const qsizetype before = m_server.mails().size();
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        if (watchdog) {
            watchdog->finish();
            QVERIFY2(!watchdog->freed(), "the FIFO was opened");
        }
        QCOMPARE(m_server.mails().size() - before, sent);
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 1 - sent);
        QCOMPARE(view.messages.size(), 1);
        const QStringList lines = view.messages[0].text.split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), message);
        QCOMPARE(lines.value(1), entry);
        // A mail that went out while something was refused: the reason below.
        QCOMPARE(lines.size(), sent ? 3 : 2);
        if (kind == QLatin1String("copy link")) {
            QCOMPARE(view.messages[0].caption, QStringLiteral("メール保存"));
            QVERIFY(QDir(target).isEmpty());
        }
        QVERIFY(QFileInfo(entry).isSymLink() || QFileInfo(entry).isDir());
    }

    void dialUpComesFirstUnlessTheCompanionSends()
    {
        m_settings.DialUp = 1;
        m_settings.Entry = "provider";
        queue(folder(), QStringLiteral("tvl1.TMP"), mail("x@example.org", "ml", "1"));
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QSignalSpy finished(&run, &SendAllRun::finished);

        // A failed dial leaves everything as it was.
        run.sendAll();
        QCOMPARE(view.dialled, QByteArrayList{"provider"});
        QVERIFY(view.keepConnectionShown);
        run.sendAll(); // a second press while dialling
        QCOMPARE(view.dialled.size(), 1);
        postMessage(&run, SendMsg::DialResult, 0);
        QVERIFY(finished.wait(10000));
        QVERIFY(!view.buttonsDisabled && !run.isActive());
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 1);

        run.sendAll();
        postMessage(&run, SendMsg::DialResult, 1);
        QVERIFY(finished.wait(30000));
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 0);
        QCOMPARE(view.hangUps, 1);
        view.keep = true;
        run.sendAll();
        postMessage(&run, SendMsg::DialResult, 1);
        QVERIFY(finished.wait(30000));
        QCOMPARE(view.hangUps, 1);

        m_settings.UseQuillon = 1;
        m_settings.Qsend = "/bin/true";
        run.sendAll();
        QVERIFY(finished.wait(30000));
        QCOMPARE(view.dialled.size(), 3);
    }

    void companionGetsThePathAsOneArgumentInTheOutgoingFolder_data()
    {
        QTest::addColumn<quint32>("type");
        QTest::addColumn<bool>("ownProgram");
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<bool>("relative");
        QTest::newRow("16-bit") << 0u << false << "QSEND.EXE"
                                << "/H=" << false;
        QTest::newRow("32-bit") << 1u << false << "QUILLON.EXE"
                                << "/file:" << false;
        QTest::newRow("Qsend, 16-bit") << 0u << true << "my qsend"
                                       << "/H=" << false;
        QTest::newRow("Qsend, 32-bit") << 1u << true << "my qsend"
                                       << "/file:" << false;
        // The companion starts in the folder: a path relative to ours would
        // name nothing there.
        QTest::newRow("relative folder") << 0u << true << "my qsend"
                                         << "/H=" << true;
    }
    void companionGetsThePathAsOneArgumentInTheOutgoingFolder()
    {
        QFETCH(quint32, type);
        QFETCH(bool, ownProgram);
        QFETCH(QString, program);
        QFETCH(QString, prefix);
        QFETCH(bool, relative);
        const QString bin = m_dir->filePath(QStringLiteral("bin"));
        const QString out = m_dir->filePath(QStringLiteral("out going"));
        QVERIFY(QDir().mkpath(bin) && QDir().mkpath(out));
        const QString record = m_dir->filePath(QStringLiteral("record"));
        // Records where it runs, what it got, and whether the file is there.
        const QString stand = standIn(
            bin, program,
            "{ pwd; printf '%s|' \"$0\"; printf '%s|' \"$@\"; f=\"${1#/H=}\"; f=\"${f#/file:}\"; "
            "[ -f \"$f\" ] && printf found; echo; } >> '" +
                QFile::encodeName(record) + "'");
        QVERIFY(!stand.isEmpty());
        qputenv("PATH", QFile::encodeName(bin) + ':' + qgetenv("PATH"));
        m_settings.MailSavePath = QFile::encodeName(out);
        const QString before = QDir::currentPath();
        const auto restore = qScopeGuard([&before] { QDir::setCurrent(before); });
        if (relative) {
            QVERIFY(QDir::setCurrent(m_dir->path()));
            m_settings.MailSavePath = "out going";
        }
        m_settings.UseQuillon = 1;
        m_settings.QuillonType = type;
        m_settings.Qsend = ownProgram ? QFile::encodeName(stand) : QByteArray();
        queue(out, QStringLiteral("tvl1.TMP"), mail("x@example.org", "ml", "1"));
        queue(out, QStringLiteral("tvl2.TMP"), mail("x@example.org", "ml", "2"));

        RecordingView view(out);
        SendAllRun run(view, m_settings);
        run.handOffDelayMs = 100;
        QVERIFY(runToEnd(run));
        QVERIFY(!run.errorSeen() && !run.cancelled());
        QCOMPARE(OutgoingFolder::CountQueued(out), 0);
        const QByteArrayList lines = readFile(record).split('\n');
        QCOMPARE(lines.size(), 5); // two calls of two lines each, and the end
        QStringList paths;
        for (int call = 0; call < 2; ++call) {
            QCOMPARE(QString::fromLocal8Bit(lines[2 * call]), QDir(out).canonicalPath());
            const QStringList words = QString::fromLocal8Bit(lines[2 * call + 1]).split('|');
            QCOMPARE(words.size(), 3); // program, one argument, the check
            QVERIFY2(words[0].endsWith(program), qPrintable(words[0]));
            QVERIFY(words[1].startsWith(prefix));
            QCOMPARE(words[2], QStringLiteral("found"));
            paths << words[1].mid(prefix.size());
        }
        paths.sort();
        const QString base =
            relative ? QDir::current().absoluteFilePath(QStringLiteral("out going")) : out;
        QCOMPARE(paths, (QStringList{base + QStringLiteral("/tvl1.TMP"),
                                     base + QStringLiteral("/tvl2.TMP")}));
    }

    void companionThatCannotStartEndsTheRunAsCancelled()
    {
        m_settings.UseQuillon = 1;
        m_settings.Qsend = "/nonexistent/qsend";
        queue(folder(), QStringLiteral("tvl1.TMP"), mail("x@example.org", "ml", "1"));
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        QVERIFY(runToEnd(run));
        QVERIFY(run.cancelled());
        QCOMPARE(view.messages.size(), 1);
        QCOMPARE(
            view.messages[0].text,
            QStringLiteral("/nonexistent/qsend /H=%1/tvl1.TMP の起動に失敗しました").arg(folder()));
        QCOMPARE(view.messages[0].icon, UserMessage::Icon::Stop);
        QCOMPARE(OutgoingFolder::CountQueued(folder()), 1);
    }

    void aSentFileThatStaysEndsTheRunInsteadOfSendingItAgain()
    {
        // The stand-in puts a folder where the file was, so it cannot be deleted.
        const QString stand = standIn(m_dir->path(), QStringLiteral("qsend"),
                                      "f=\"${1#/H=}\"; rm -f \"$f\"; mkdir \"$f\"");
        m_settings.UseQuillon = 1;
        m_settings.Qsend = QFile::encodeName(stand);
        queue(folder(), QStringLiteral("tvl1.TMP"), mail("x@example.org", "ml", "1"));
        RecordingView view(folder());
        SendAllRun run(view, m_settings);
        run.handOffDelayMs = 300;
        QVERIFY(runToEnd(run));
        QVERIFY(run.errorSeen());
        QCOMPARE(view.messages.size(), 1);
        QCOMPARE(view.messages[0].icon, UserMessage::Icon::Stop);
        QVERIFY(view.messages[0].text.contains(QStringLiteral("tvl1.TMP")));
        QCOMPARE(view.line1.size(), 1);
        QVERIFY(!view.statusClosed);
    }
};

QTEST_GUILESS_MAIN(TestSendAll)
#include "tst_sendall.moc"
