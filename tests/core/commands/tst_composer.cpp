// Command mails as the server receives them: the bytes each queued file holds.
#include "TestSupport.h"

#include "commands/CommandComposer.h"
#include "commands/EditorStart.h"
#include "commands/OutgoingFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <clocale>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

// An instant, 02:23:51 UTC: the mails show it in their TimeZone's offset.
const QDateTime kWhen(QDate(2026, 12, 6), QTime(11, 23, 51), QTimeZone(9 * 3600));
const QByteArray kHeaders = "To: majordomo@example.org\r\n"
                            "From: owner@example.net\r\n"
                            "Date: Sun, 06 Dec 2026 11:23:51 +0900\r\n";

CommandInput sampleInput(const QByteArray &argument = {})
{
    CommandInput in;
    in.Title = "My List";
    in.Address = "majordomo@example.org";
    in.ListName = "mylist";
    in.Passwd = "secret";
    in.Argument = argument;
    in.Sender = "owner@example.net";
    in.TimeZone = "+0900";
    return in;
}

} // namespace

class TestComposer : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString outgoing() const { return m_dir.filePath(QStringLiteral("out")); }

    // Queues one mail and returns the bytes of its file.
    QByteArray queued(CommandKind kind, const CommandInput &in,
                      std::optional<UserMessage> *notice = nullptr)
    {
        const QueueResult result = QueueCommand(outgoing(), kind, in, kWhen);
        if (notice)
            *notice = result.notice;
        if (!result.ok())
            return "<refused: " + result.failure->text.toUtf8() + '>';
        return readFile(result.path);
    }

    QString writeEmbedded(const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("embedded file.txt"));
        // An empty path fails the test that embeds it.
        return writeFile(path, bytes) ? path : QString();
    }

private Q_SLOTS:
    void init()
    {
        QDir(outgoing()).removeRecursively();
        QVERIFY(QDir().mkpath(outgoing()));
    }

    void writesTheMailOfEachKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("one address, one approve line")
            << 0 << QByteArray("a@x.org")
            << QByteArray("Subject: unsubscribe mylist a@x.org\r\n\r\n"
                          "approve secret unsubscribe mylist a@x.org\r\nend\r\n");
        QTest::newRow("three addresses in order, whole field in the subject")
            << 0 << QByteArray("a@x.org,b@y.org,c@z.org")
            << QByteArray("Subject: unsubscribe mylist a@x.org,b@y.org,c@z.org\r\n\r\n"
                          "approve secret unsubscribe mylist a@x.org\r\n"
                          "approve secret unsubscribe mylist b@y.org\r\n"
                          "approve secret unsubscribe mylist c@z.org\r\nend\r\n");
        QTest::newRow("subscribe, items trimmed, the subject as typed")
            << 1 << QByteArray(" a@x.org,\tb@y.org ")
            << QByteArray("Subject: subscribe mylist  a@x.org,\tb@y.org \r\n\r\n"
                          "approve secret subscribe mylist a@x.org\r\n"
                          "approve secret subscribe mylist b@y.org\r\nend\r\n");
        // An empty item would be a line without an address: the server takes
        // the sender, the owner.
        QTest::newRow("empty items skipped")
            << 0 << QByteArray(",a@x.org,, ,b@y.org,")
            << QByteArray("Subject: unsubscribe mylist ,a@x.org,, ,b@y.org,\r\n\r\n"
                          "approve secret unsubscribe mylist a@x.org\r\n"
                          "approve secret unsubscribe mylist b@y.org\r\nend\r\n");
        QTest::newRow("commas in names, comments and brackets do not split")
            << 1
            << QByteArray("\"Doe, John\" <john@example.net>,Jane <jane@x.org> (Smith, J\\) ),"
                          "c@x.org (Mr \\(C, D)")
            << QByteArray("Subject: subscribe mylist \"Doe, John\" <john@example.net>,"
                          "Jane <jane@x.org> (Smith, J\\) ),c@x.org (Mr \\(C, D)\r\n\r\n"
                          "approve secret subscribe mylist john@example.net\r\n"
                          "approve secret subscribe mylist jane@x.org\r\n"
                          "approve secret subscribe mylist c@x.org\r\nend\r\n");
        QTest::newRow("password change") << 2 << QByteArray("newpw")
                                         << QByteArray("Subject: Change Password mylist\r\n\r\n"
                                                       "passwd mylist secret newpw\r\nend\r\n");
        QTest::newRow("member list subject ends in a blank")
            << 3 << QByteArray("ignored")
            << QByteArray("Subject: Who mylist \r\n\r\napprove secret who mylist\r\nend\r\n");
        QTest::newRow("get config")
            << 6 << QByteArray()
            << QByteArray("Subject: Get Config mylist\r\n\r\nconfig mylist secret\r\nend\r\n");
    }

    void writesTheMailOfEachKind()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, argument);
        QFETCH(QByteArray, body);
        std::optional<UserMessage> notice;
        QCOMPARE(queued(CommandKind(kind), sampleInput(argument), &notice), kHeaders + body);
        // The server's passwd leaves the config's admin_passwd as it was.
        QCOMPARE(notice.has_value(), kind == int(CommandKind::ChangePassword));
        if (notice) {
            QVERIFY(notice->text.contains(QLatin1String("admin_passwd")));
            QCOMPARE(notice->icon, UserMessage::Icon::Information);
        }
    }

    void firstLineFollowsTheSendingSettings_data()
    {
        QTest::addColumn<bool>("useQuillon");
        QTest::addColumn<bool>("saveMail");
        QTest::addColumn<bool>("noSignature");
        QTest::addColumn<QByteArray>("firstLine");
        const QByteArray to = "To: majordomo@example.org";
        const QByteArray ml = "X-Tavelin-ML: My List";
        const QByteArray sig = "X-Quillon-Signature: " + QStringLiteral("(無し)").toLocal8Bit();
        QTest::newRow("smtp") << false << false << false << to;
        QTest::newRow("smtp, no signature ignored") << false << false << true << to;
        QTest::newRow("smtp, save") << false << true << false << ml;
        QTest::newRow("quillon") << true << false << false << to;
        QTest::newRow("quillon, save ignored") << true << true << false << to;
        QTest::newRow("quillon, no signature") << true << false << true << sig;
    }

    void firstLineFollowsTheSendingSettings()
    {
        QFETCH(bool, useQuillon);
        QFETCH(bool, saveMail);
        QFETCH(bool, noSignature);
        QFETCH(QByteArray, firstLine);
        CommandInput in = sampleInput();
        in.UseQuillon = useQuillon;
        in.SaveMail = saveMail;
        in.NoSignature = noSignature;
        const QByteArray mail = queued(CommandKind::GetConfig, in);
        QCOMPARE(mail.left(mail.indexOf("\r\n")), firstLine);
        QVERIFY(mail.contains("\r\n" + kHeaders) || mail.startsWith(kHeaders));
    }

    void dateIsEnglishWhateverTheLocale()
    {
        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
        const QByteArray oldTime = std::setlocale(LC_TIME, nullptr);
        std::setlocale(LC_TIME, "ja_JP.UTF-8"); // where installed
        CommandInput in = sampleInput();
        in.TimeZone = "-0500";
        const QByteArray headers =
            ComposeHeaders(in, QDateTime(QDate(2027, 3, 1), QTime(7, 5, 9), QTimeZone(-5 * 3600)));
        std::setlocale(LC_TIME, oldTime.constData());
        QLocale::setDefault(before);
        QVERIFY2(headers.endsWith("Date: Mon, 01 Mar 2027 07:05:09 -0500\r\n"),
                 headers.constData());
    }

    void dateIsTrueWhateverZoneTheMachineRunsIn_data()
    {
        QTest::addColumn<QByteArray>("machine"); // TZ
        QTest::addColumn<QByteArray>("zone");    // the TimeZone setting
        QTest::addColumn<QByteArray>("date");
        // clang-format off
        QTest::newRow("UTC machine, +0900") << QByteArray("UTC") << QByteArray("+0900")
            << QByteArray("Sun, 06 Dec 2026 11:23:51 +0900");
        QTest::newRow("Tokyo machine, +0900") << QByteArray("Asia/Tokyo") << QByteArray("+0900")
            << QByteArray("Sun, 06 Dec 2026 11:23:51 +0900");
        QTest::newRow("offset with a comment") << QByteArray("UTC") << QByteArray("+0900 (JST)")
            << QByteArray("Sun, 06 Dec 2026 11:23:51 +0900 (JST)");
        QTest::newRow("west of UTC, the day before") << QByteArray("Asia/Tokyo")
            << QByteArray("-0500") << QByteArray("Sat, 05 Dec 2026 21:23:51 -0500");
        QTest::newRow("half an hour") << QByteArray("UTC") << QByteArray("+0530")
            << QByteArray("Sun, 06 Dec 2026 07:53:51 +0530");
        // What names no offset follows the machine's clock, as it always did.
        QTest::newRow("a name") << QByteArray("Asia/Tokyo") << QByteArray("JST")
            << QByteArray("Sun, 06 Dec 2026 11:23:51 JST");
        QTest::newRow("empty") << QByteArray("America/New_York") << QByteArray()
            << QByteArray("Sat, 05 Dec 2026 21:23:51 ");
        QTest::newRow("minutes past 59") << QByteArray("UTC") << QByteArray("+0960")
            << QByteArray("Sun, 06 Dec 2026 02:23:51 +0960");
        // clang-format on
    }
    void dateIsTrueWhateverZoneTheMachineRunsIn()
    {
        QFETCH(QByteArray, machine);
        QFETCH(QByteArray, zone);
        QFETCH(QByteArray, date);
        const ScopedTimeZone machineZone(machine);
        CommandInput in = sampleInput();
        in.TimeZone = zone;
        const QByteArray headers = ComposeHeaders(in, kWhen);
        QVERIFY2(headers.endsWith("\r\nDate: " + date + "\r\n"), headers.constData());
    }

    void embedsTheFileWithOneCrLfPerLine_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("info, LF lines, no final line end, Japanese bytes untouched")
            << 4 << QByteArray("first\n\x93\xfa\x96\x7b\x8c\xea\nlast")
            << QByteArray("Subject: New Info mylist\r\n\r\nnewinfo mylist secret\r\n"
                          "first\r\n\x93\xfa\x96\x7b\x8c\xea\r\nlast\r\nEOF\r\n");
        QTest::newRow("intro, CR LF and CR CR LF lines, empty line kept")
            << 5 << QByteArray("one\r\n\r\ntwo\r\r\nthree\r")
            << QByteArray("Subject: New Intro mylist\r\n\r\nnewintro mylist secret\r\n"
                          "one\r\n\r\ntwo\r\nthree\r\nEOF\r\n");
        QTest::newRow("intro, a CR inside a line ends it, as on the wire")
            << 5 << QByteArray("one\rtwo\r\rthree\n\rfour")
            << QByteArray("Subject: New Intro mylist\r\n\r\nnewintro mylist secret\r\n"
                          "one\r\ntwo\r\nthree\r\n\r\nfour\r\nEOF\r\n");
        QTest::newRow("config, empty file adds nothing")
            << 7 << QByteArray()
            << QByteArray("Subject: New Config mylist\r\n\r\nnewconfig mylist secret\r\nEOF\r\n");
        QTest::newRow("lines that only look like the marker are text")
            << 4 << QByteArray("EOF \n eof\nEOFX\neof\n")
            << QByteArray("Subject: New Info mylist\r\n\r\nnewinfo mylist secret\r\n"
                          "EOF \r\n eof\r\nEOFX\r\neof\r\nEOF\r\n");
    }

    void embedsTheFileWithOneCrLfPerLine()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, body);
        const QString path = writeEmbedded(content);
        QCOMPARE(queued(CommandKind(kind), sampleInput(path.toLocal8Bit())), kHeaders + body);
    }

    void refusesWhatTheServerWouldNotTakeAsTyped_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("argument");
        QTest::addColumn<int>("field"); // ends in a backslash: 0 none, 1 ListName, 2 Passwd
        QTest::addColumn<QString>("message");
        const QString noAddress = QStringLiteral("ｺﾏﾝﾄﾞ欄 にｱﾄﾞﾚｽがありません");
        const QString backslash = QStringLiteral("の末尾が「\\」です");
        QTest::newRow("only commas and blanks") << 0 << QByteArray(" , ,\t") << 0 << noAddress;
        QTest::newRow("subscribe, blanks") << 1 << QByteArray("   ") << 0 << noAddress;
        QTest::newRow("address joins the next line")
            << 0 << QByteArray("a@x.org,hank@example.net\\ ") << 0
            << QStringLiteral("ｺﾏﾝﾄﾞ欄 のｱﾄﾞﾚｽ「hank@example.net\\」 ") + backslash;
        QTest::newRow("comma inside the address itself")
            << 1 << QByteArray("<\"a,b\"@x.org>") << 0 << QStringLiteral("「<\"a,b\"@x.org>」");
        QTest::newRow("quoted local part with a comma")
            << 1 << QByteArray("\"a,b\"@x.org") << 0 << QStringLiteral("「\"a,b\"@x.org」");
        QTest::newRow("a comment left open would hide an address")
            << 0 << QByteArray("a@x.org (gone,b@y.org") << 0
            << QStringLiteral("「a@x.org (gone,b@y.org」");
        QTest::newRow("a name with a comma and no address")
            << 0 << QByteArray("\"Doe, John\"") << 0 << QStringLiteral("「\"Doe, John\"」");
        QTest::newRow("new password, blanks after")
            << 2 << QByteArray("new\\ \t") << 0 << QStringLiteral("ｺﾏﾝﾄﾞ欄 ") + backslash;
        QTest::newRow("list name")
            << 3 << QByteArray() << 1 << QStringLiteral("ﾘｽﾄ名 ") + backslash;
        QTest::newRow("password") << 6 << QByteArray() << 2
                                  << QStringLiteral("管理ﾊﾟｽﾜｰﾄﾞ ") + backslash;
        // A placeholder in place of the file would become the list's text.
        const QByteArray missing = m_dir.filePath(QStringLiteral("no such file")).toLocal8Bit();
        for (int kind : {4, 5, 7})
            QTest::newRow(qPrintable(QStringLiteral("missing file, kind %1").arg(kind)))
                << kind << missing << 0
                << QString::fromLocal8Bit(missing) + QStringLiteral(" を読めません: ");
        QTest::newRow("no file named")
            << 4 << QByteArray() << 0 << QStringLiteral("送るﾌｧｲﾙが指定されていません");
        QTest::newRow("a folder") << 7 << m_dir.path().toLocal8Bit() << 0
                                  << QStringLiteral("通常のﾌｧｲﾙではありません");
        if (QFileInfo::exists(QStringLiteral("/dev/zero"))) // would never end
            QTest::newRow("a device")
                << 5 << QByteArray("/dev/zero") << 0 << QStringLiteral("/dev/zero を読めません");
    }

    void refusesWhatTheServerWouldNotTakeAsTyped()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, argument);
        QFETCH(int, field);
        QFETCH(QString, message);
        CommandInput in = sampleInput(argument);
        if (field == 1)
            in.ListName += '\\';
        else if (field == 2)
            in.Passwd += '\\';
        const QueueResult result = QueueCommand(outgoing(), CommandKind(kind), in, kWhen);
        QVERIFY(!result.ok());
        QVERIFY2(result.failure->text.contains(message), qPrintable(result.failure->text));
        QVERIFY(result.failure->text.endsWith(QStringLiteral("ｺﾏﾝﾄﾞﾒｰﾙは作成しません")));
        QCOMPARE(result.failure->icon, UserMessage::Icon::Stop);
        QVERIFY(!result.notice);
        QCOMPARE(QDir(outgoing()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void refusesAFileWithAnEofLineAndQueuesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("line");
        QTest::newRow("LF") << QByteArray("Welcome\nEOF\napprove pw who mylist\n") << 2;
        QTest::newRow("CR LF") << QByteArray("a\r\nb\r\nEOF\r\n") << 3;
        QTest::newRow("CR CR LF") << QByteArray("EOF\r\r\nx\n") << 1;
        QTest::newRow("last line without end") << QByteArray("a\n\nEOF") << 3;
        QTest::newRow("behind a CR inside a line")
            << QByteArray("Welcome\rEOF\rapprove pw who mylist\r") << 2;
    }

    void refusesAFileWithAnEofLineAndQueuesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, line);
        const QString path = writeEmbedded(content);
        for (CommandKind kind :
             {CommandKind::NewInfo, CommandKind::NewIntro, CommandKind::NewConfig}) {
            const QueueResult result =
                QueueCommand(outgoing(), kind, sampleInput(path.toLocal8Bit()), kWhen);
            QVERIFY(!result.ok());
            QVERIFY(result.path.isEmpty());
            QVERIFY2(result.failure->text.contains(path), qPrintable(result.failure->text));
            QVERIFY(result.failure->text.contains(QStringLiteral(" %1 行目").arg(line)));
            QCOMPARE(result.failure->icon, UserMessage::Icon::Stop);
        }
        QCOMPARE(QDir(outgoing()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList());
    }

    void refusesLineBreaksInFieldsThatGoIntoTheMail_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("field");
        QTest::addColumn<bool>("refused");
        // Fields: 0 Title, 1 Address, 2 ListName, 3 Passwd, 4 Argument, 5 Sender, 6 TimeZone.
        QTest::newRow("title written") << 3 << 0 << true;
        QTest::newRow("address") << 3 << 1 << true;
        QTest::newRow("list name") << 6 << 2 << true;
        QTest::newRow("password") << 0 << 3 << true;
        QTest::newRow("addresses") << 0 << 4 << true;
        QTest::newRow("new password") << 2 << 4 << true;
        QTest::newRow("sender") << 3 << 5 << true;
        QTest::newRow("time zone") << 3 << 6 << true;
        QTest::newRow("argument unused by the member list") << 3 << 4 << false;
    }

    void refusesLineBreaksInFieldsThatGoIntoTheMail()
    {
        QFETCH(int, kind);
        QFETCH(int, field);
        QFETCH(bool, refused);
        for (const char *lineBreak : {"\n", "\r"}) {
            CommandInput in = sampleInput("a@x.org");
            in.SaveMail = true;
            QByteArray *fields[] = {&in.Title,    &in.Address, &in.ListName, &in.Passwd,
                                    &in.Argument, &in.Sender,  &in.TimeZone};
            *fields[field] += QByteArray(lineBreak) + "approve secret who mylist";
            const QueueResult result = QueueCommand(outgoing(), CommandKind(kind), in, kWhen);
            QCOMPARE(!result.ok(), refused);
        }
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), refused ? 0 : 2);
    }

    void aFolderThatCannotTakeTheFileIsReported()
    {
        const QueueResult result = QueueCommand(m_dir.filePath(QStringLiteral("missing")),
                                                CommandKind::GetConfig, sampleInput(), kWhen);
        QVERIFY(!result.ok());
        QCOMPARE(result.failure->text, QStringLiteral("ﾌｧｲﾙを作成できません"));
        QCOMPARE(result.failure->caption, QString());
        QVERIFY(!result.detail.isEmpty());
        QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("missing"))));
    }

    void aMailThatCannotBeWrittenWholeLeavesNoFile()
    {
#ifdef Q_OS_UNIX
        // A file size limit makes the write fail after the file was reserved,
        // as a full disk would.
        const QString path = writeEmbedded(QByteArray(64 * 1024, 'x'));
        rlimit old{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &old) == 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 4096;
        QVERIFY(setrlimit(RLIMIT_FSIZE, &small) == 0);
        const QueueResult result =
            QueueCommand(outgoing(), CommandKind::NewInfo, sampleInput(path.toLocal8Bit()), kWhen);
        setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);
        QVERIFY(!result.ok());
        QCOMPARE(result.failure->text, QStringLiteral("ﾌｧｲﾙを作成できません"));
        QCOMPARE(OutgoingFolder::CountQueued(outgoing()), 0);
#else
        QSKIP("needs a file size limit");
#endif
    }

    void splitsTheEditorCommandAsAShellWould_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("words");
        QTest::newRow("plain") << QStringLiteral("vi") << QStringList{QStringLiteral("vi")};
        QTest::newRow("blanks") << QStringLiteral("  emacs  -nw\t")
                                << QStringList{QStringLiteral("emacs"), QStringLiteral("-nw")};
        QTest::newRow("quotes") << QStringLiteral(
                                       "'/opt/my editor/ed' \"a b\"c d\\ e \"q\\\"x\\n\"")
                                << QStringList{QStringLiteral("/opt/my editor/ed"),
                                               QStringLiteral("a bc"), QStringLiteral("d e"),
                                               QStringLiteral("q\"x\\n")};
        QTest::newRow("empty quotes are a word")
            << QStringLiteral("ed ''") << QStringList{QStringLiteral("ed"), QString()};
        QTest::newRow("nothing") << QStringLiteral("  ") << QStringList();
    }

    void splitsTheEditorCommandAsAShellWould()
    {
#ifdef Q_OS_WIN
        QSKIP("Windows splits by its own rules");
#endif
        QFETCH(QString, command);
        QFETCH(QStringList, words);
        QCOMPARE(SplitCommandLine(command), words);
    }

    void startsTheEditorWithThePathAsOneArgument()
    {
#ifdef Q_OS_UNIX
        // The "editor" records its arguments, one a line.
        const QString record = m_dir.filePath(QStringLiteral("args.txt"));
        const QString script = m_dir.filePath(QStringLiteral("my editor.sh"));
        QVERIFY(writeFile(script, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record.toLocal8Bit() +
                                      ".part'\n"
                                      "mv '" +
                                      record.toLocal8Bit() + ".part' '" + record.toLocal8Bit() +
                                      "'\n"));
        QVERIFY(
            QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QString mail = m_dir.filePath(QStringLiteral("a folder/tvl1.TMP"));
        const QByteArray editor = "'" + script.toLocal8Bit() + "' --flag";
        QCOMPARE(StartEditor(editor, mail), std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(record), 20000);
        QCOMPARE(readFile(record), "--flag\n" + mail.toLocal8Bit() + '\n');
#else
        QSKIP("uses a shell script as the editor");
#endif
    }

    void reportsAnEditorThatCannotStart()
    {
        const QString mail = m_dir.filePath(QStringLiteral("a b.TMP"));
        const QByteArray editor = m_dir.filePath(QStringLiteral("no-editor")).toLocal8Bit() + " -x";
        const std::optional<UserMessage> failure = StartEditor(editor, mail);
        QVERIFY(failure);
        QCOMPARE(failure->text, QString::fromLocal8Bit(editor) + u' ' + mail +
                                    QStringLiteral(" の起動に失敗しました"));
        QCOMPARE(failure->caption, QStringLiteral("Tavelin"));
        QCOMPARE(failure->icon, UserMessage::Icon::Stop);
        QVERIFY(StartEditor("", mail));
    }
};

QTEST_GUILESS_MAIN(TestComposer)
#include "tst_composer.moc"
