// The list server's replies: what each command did, the member roster kept
// per list, notices, and replies that are cut, huge or garbage.
#include "TestSupport.h"

#include "commands/Roster.h"
#include "commands/ServerReply.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Expected
{
    QByteArray status; // ok, failed, pending
    QByteArray reason;
};

// The outcome column of labels.tsv: "succeeded", "failed:password (...)",
// "1 succeeded; 2 failed:already-subscribed; ...; end -> END OF COMMANDS",
// "both lines failed:not-recognized; ...".
QList<Expected> parseOutcomes(const QString &text, int *bothLines)
{
    QList<Expected> out;
    *bothLines = 0;
    QString outcomes = text;
    outcomes.remove(QRegularExpression(QStringLiteral(" \\(.*?\\)")));
    for (QString item : outcomes.split(QLatin1Char(';'))) {
        item = item.trimmed();
        if (item.startsWith(QLatin1String("****")))
            continue;
        if (item.startsWith(QLatin1String("end ->"))) {
            out.append(Expected{"ok", ""});
            continue;
        }
        if (item.startsWith(QLatin1String("both lines "))) {
            *bothLines = 2;
            item = item.mid(11);
        }
        item.remove(QRegularExpression(QStringLiteral("^\\d+ ")));
        item = item.section(QLatin1Char(' '), 0, 0);
        item.remove(QRegularExpression(QStringLiteral("\\(.*$")));
        const QString status = item.section(QLatin1Char(':'), 0, 0);
        QString reason = item.section(QLatin1Char(':'), 1);
        if (reason == QLatin1String("already-subscribed"))
            reason = QStringLiteral("already-member");
        if (status == QLatin1String("succeeded"))
            out.append(Expected{"ok", ""});
        else if (status == QLatin1String("pending"))
            out.append(Expected{"pending", ""});
        else
            out.append(Expected{status.toLatin1(), reason.toLatin1()});
    }
    if (*bothLines)
        out = QList<Expected>(*bothLines, out.first());
    return out;
}

// The valid rows' address column of a .members.tsv.
QByteArrayList expectedMembers(const QString &path)
{
    QByteArrayList addresses;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {"<unreadable>"};
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.startsWith('#') || fields.size() < 3)
            continue;
        if (fields[2] == "valid")
            addresses.append(fields[1]);
    }
    return addresses;
}

ServerReplyWithMembers readBytes(const QByteArray &bytes, ReplyReadOptions options = {})
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadServerReplyWithMembers(buffer, options);
}

QByteArray results(const QByteArray &body)
{
    return "To: owner@example.org\nFrom: Majordomo@example.com\n"
           "Subject: Majordomo results: x\nReply-To: Majordomo@example.com\n\n--\n\n" +
           body;
}

QByteArray who(const QByteArray &list, const QByteArray &members, int count)
{
    return results(">>>> approve adminpw who " + list + "\nMembers of list '" + list + "':\n\n" +
                   members + "\n" + QByteArray::number(count) + " subscribers\n\n>>>> end\n" +
                   "END OF COMMANDS\n");
}

// Every text of a reading that is shown, printed or stored.
QByteArray shownText(const ServerReply &reply)
{
    QByteArray all = reply.subject + '\n' + reply.trailer.join('\n');
    for (const ReplyCommand &command : reply.commands)
        all += command.line + '\n' + command.serverLines.join('\n');
    return all;
}

MailingListEntry entry(const QByteArray &title, const QByteArray &list)
{
    MailingListEntry e;
    e.Title = title;
    e.Address = "Majordomo@example.com";
    e.ListName = list;
    e.Passwd = "adminpw";
    return e;
}

AppliedReply applyBytes(const QByteArray &bytes, const ListRegister &lists,
                        const RosterStore *store)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ApplyServerReply(buffer, lists, store);
}

QByteArrayList addressesOf(const QList<RosterMember> &members)
{
    QByteArrayList out;
    for (const RosterMember &member : members) {
        if (member.valid)
            out.append(member.address);
    }
    return out;
}

// Peak resident memory of this process in kB, or -1.
qint64 peakKiloBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

class TestReplies : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void realRepliesGiveTheLabelledOutcomes_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QString>("outcomes");
        const QString dir = sharedFixturesDir();
        if (dir.isEmpty())
            QSKIP("no shared fixtures");
        QFile labels(dir + QStringLiteral("/majordomo/replies/labels.tsv"));
        QVERIFY(labels.open(QIODevice::ReadOnly));
        for (const QByteArray &line : labels.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split('\t');
            if (fields.size() < 3 || fields[0] == "file")
                continue;
            QTest::newRow(fields[0].constData())
                << dir + QStringLiteral("/majordomo/replies/") + QString::fromUtf8(fields[0])
                << QString::fromUtf8(fields[1]) << QString::fromUtf8(fields[2]);
        }
        // Replies of the same server outside the labelled set.
        const QString top = dir + QStringLiteral("/majordomo/");
        QTest::newRow("newinfo text with EOF line")
            << top + "reply-newinfo-text-with-EOF-line.eml"
            << "newinfo,who,unknown,unknown"
            << "1 succeeded; 2 succeeded; 3 failed:not-recognized; 4 failed:not-recognized";
        QTest::newRow("who of an empty list") << top + "reply-who-empty-list.eml"
                                              << "who,end"
                                              << "1 succeeded; end -> END";
        QTest::newRow("config") << top + "reply-config.eml"
                                << "config,end"
                                << "1 succeeded; end -> END";
        QTest::newRow("newconfig rejected") << top + "reply-newconfig-rejected.eml"
                                            << "newconfig"
                                            << "failed:syntax";
        QTest::newRow("config wrong password") << top + "reply-wrongpw-cmd6.eml"
                                               << "config,end"
                                               << "1 failed:password; end -> END";
        QTest::newRow("approval request") << top + "approval-request.eml"
                                          << "approval-request"
                                          << "action needed";
    }
    void realRepliesGiveTheLabelledOutcomes()
    {
        QFETCH(QString, file);
        QFETCH(QString, kinds);
        QFETCH(QString, outcomes);
        QFile mail(file);
        QVERIFY(mail.open(QIODevice::ReadOnly));
        const ServerReplyWithMembers read = ReadServerReplyWithMembers(mail);
        const ServerReply &reply = read.reply;
        QVERIFY2(reply.error.isEmpty(), qPrintable(reply.error));
        if (kinds == QLatin1String("approval-request")) {
            QCOMPARE(reply.kind, ServerMailKind::ApprovalRequest);
            QCOMPARE(reply.list, QByteArray("testlist"));
            return;
        }
        if (kinds == QLatin1String("bounce")) {
            QCOMPARE(reply.kind, ServerMailKind::Bounce);
            QCOMPARE(reply.list, QByteArray("testlist"));
            return;
        }
        QCOMPARE(reply.kind, ServerMailKind::Results);
        QVERIFY(!reply.partial);
        int both = 0;
        const QList<Expected> expected = parseOutcomes(outcomes, &both);
        QCOMPARE(reply.commands.size(), expected.size());
        const QStringList kindList = kinds.split(QLatin1Char(','));
        QByteArrayList secrets;
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const ReplyCommand &command = reply.commands.at(i);
            const QByteArray where = file.toUtf8() + " command " + QByteArray::number(i + 1);
            QVERIFY2(ReplyStatusName(command.status) == expected[i].status, where.constData());
            QVERIFY2(ReplyReasonName(command.reason) == expected[i].reason, where.constData());
            // A command the server could not read at all has no word.
            const QString kind = kindList.size() == 1 ? kindList[0] : kindList.value(i);
            if (kind == QLatin1String("unknown"))
                QVERIFY(!command.kind.has_value());
            else if (!command.line.isEmpty())
                QCOMPARE(QString::fromLatin1(command.word), kind);
            if (command.who && command.status == ReplyStatus::Ok) {
                QVERIFY(command.who->complete);
                QCOMPARE(command.who->serverCount, command.who->lines);
                const QString tsv = file.chopped(4) + QStringLiteral(".members.tsv");
                if (QFile::exists(tsv))
                    QCOMPARE(addressesOf(read.members.at(i)), expectedMembers(tsv));
            }
        }
        // The password of every echoed line is masked wherever it stands.
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        for (const QByteArray &line : raw.readAll().split('\n')) {
            if (line.startsWith(">>>> "))
                MaskCommandLine(line.mid(5), &secrets);
        }
        const QByteArray shown = shownText(reply);
        for (const QByteArray &secret : secrets)
            QVERIFY2(!QRegularExpression(
                          QStringLiteral("\\b%1\\b")
                              .arg(QRegularExpression::escape(QString::fromLatin1(secret))))
                          .match(QString::fromLatin1(shown))
                          .hasMatch(),
                     secret.constData());
    }

    // The server's layouts FORMAT.md lists beyond the fixtures, and replies
    // cut short or broken.
    void layoutsAndBrokenReplies_data()
    {
        QTest::addColumn<QByteArray>("mail");
        QTest::addColumn<QByteArray>("statuses"); // status[:reason] per command, by ","
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QByteArrayList>("members"); // of the first who, valid ones
        QTest::addColumn<qint64>("memberLines");

        const QByteArray multi = results(">>>> approve pw subscribe l a@x\nSucceeded.\n"
                                         ">>>> passwd l old\n**** passwd: need new password\n"
                                         "**** passwd: null 'new_passwd'.\n>>>> end\n"
                                         "END OF COMMANDS\n");
        QTest::newRow("two results") << multi << QByteArray("ok,failed:needs-new-password,ok")
                                     << false << QByteArrayList{} << qint64(0);
        QByteArray crlf = multi;
        crlf.replace("\n", "\r\n");
        QTest::newRow("CR LF line ends") << crlf << QByteArray("ok,failed:needs-new-password,ok")
                                         << false << QByteArrayList{} << qint64(0);
        QTest::newRow("re-encoded by a relay")
            << "From: Majordomo@example.com\nSubject: Majordomo results\nMIME-Version: 1.0\n"
               "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/plain\n"
               "Content-Transfer-Encoding: base64\n\n" +
                   QByteArray(
                       "--\n\n>>>> approve pw subscribe l a@x\nSucceeded.\n>>>> passwd l old\n"
                       "**** passwd: need new password\n>>>> end\nEND OF COMMANDS\n")
                       .toBase64() +
                   "\n--b--\n"
            << QByteArray("ok,failed:needs-new-password,ok") << false << QByteArrayList{}
            << qint64(0);
        QTest::newRow("last list line without LF")
            << results(">>>> approve pw who l\nMembers of list 'l':\n\na@x\n# note\nb@x\n"
                       "3 subscribers\n\n")
            << QByteArray("ok") << false << QByteArrayList{"a@x", "b@x"} << qint64(3);
        QTest::newRow("blank and comment lines count")
            << who("l", "a@x\n\n#c\n\"Doe, John\" <john@x>\nd@x (D)", 5) << QByteArray("ok,ok")
            << false << QByteArrayList{"a@x", "john@x", "d@x"} << qint64(5);
        QTest::newRow("a member line that reads like a count")
            << who("l", "a@x\n2 subscribers\nb@x", 3) << QByteArray("ok,ok") << false
            << QByteArrayList{"a@x", "b@x"} << qint64(3);
        QTest::newRow("cut inside the member list")
            << results(">>>> approve pw who l\nMembers of list 'l':\n\na@x\nb@") << QByteArray("ok")
            << true << QByteArrayList{"a@x"} << qint64(2);
        QTest::newRow("cut after an echo")
            << results(">>>> approve pw subscribe l a@x\nSucceeded.\n>>>> approve pw who l\n")
            << QByteArray("ok,not-run") << true << QByteArrayList{} << qint64(0);
        QTest::newRow("server abort")
            << results(">>>> approve pw subscribe l a@x\nSucceeded.\n>>>> approve pw who l\n"
                       ">>> Sorry, an error has occurred while processing your request\n"
                       ">>> The owner has been notified.\n")
            << QByteArray("ok,failed:server-error") << false << QByteArrayList{} << qint64(0);
        QTest::newRow("approval pending")
            << results(">>>> subscribe l a@x\nYour request to Majordomo@example.com:\n\n"
                       "\tsubscribe l a@x\n\nhas been forwarded to the owner of the \"l\" list "
                       "for approval. This could be for any of several reasons:\n")
            << QByteArray("pending") << false << QByteArrayList{} << qint64(0);
        QTest::newRow("unknown list and multiple matches")
            << results(">>>> approve pw unsubscribe nolist a@x\n**** approve: unknown list "
                       "'nolist'.\n>>>> approve pw unsubscribe l smith\n**** unsubscribe: "
                       "'smith' matches multiple list members.\n**** FAILED.\n>>>> who l\n"
                       "**** Command disabled.\n")
            << QByteArray("failed:unknown-list,failed:multiple-matches,failed:disabled") << false
            << QByteArrayList{} << qint64(0);
        QTest::newRow("help after the results")
            << results(">>>> lists\n**** Command 'lists' not recognized.\n**** Help for "
                       "Majordomo@x:\n\n>>>> approve pw who l\n")
            << QByteArray("failed:not-recognized") << false << QByteArrayList{} << qint64(0);
        QTest::newRow("NUL bytes and garbage")
            << results(QByteArray(">>>> approve pw subscribe l a@x\nSu\0cc\xff\n", 40) +
                       QByteArray(5000, '\0') + "\n>>>> who\xfe")
            << QByteArray("ok,not-run") << true << QByteArrayList{} << qint64(0);
        QTest::newRow("no body") << results("") << QByteArray("") << true << QByteArrayList{}
                                 << qint64(0);
    }
    void layoutsAndBrokenReplies()
    {
        QFETCH(QByteArray, mail);
        QFETCH(QByteArray, statuses);
        QFETCH(bool, partial);
        QFETCH(QByteArrayList, members);
        QFETCH(qint64, memberLines);
        const ServerReplyWithMembers read = readBytes(mail);
        QCOMPARE(read.reply.kind, ServerMailKind::Results);
        QByteArrayList got;
        for (const ReplyCommand &command : read.reply.commands) {
            QByteArray status = ReplyStatusName(command.status);
            if (command.reason != ReplyReason::None)
                status += QByteArray(":") + ReplyReasonName(command.reason);
            got.append(status);
        }
        QCOMPARE(got.join(','), statuses);
        QCOMPARE(read.reply.partial, partial);
        QVERIFY(!read.reply.allOk() || !partial);
        qsizetype whoAt = -1;
        for (qsizetype i = 0; i < read.reply.commands.size() && whoAt < 0; ++i) {
            if (read.reply.commands[i].who)
                whoAt = i;
        }
        if (whoAt >= 0 && read.reply.commands[whoAt].who->lines > 0) {
            QCOMPARE(addressesOf(read.members[whoAt]), members);
            QCOMPARE(read.reply.commands[whoAt].who->lines, memberLines);
            QCOMPARE(read.reply.commands[whoAt].who->complete, !partial);
        } else {
            QVERIFY(members.isEmpty());
        }
        QVERIFY(!shownText(read.reply).contains(" pw "));
    }

    void otherMailsAreSaidToBeWhatTheyAre_data()
    {
        QTest::addColumn<QByteArray>("mail");
        QTest::addColumn<ServerMailKind>("kind");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("subscribe notice")
            << QByteArray("From: Majordomo@example.com\nSubject: SUBSCRIBE testlist Dave Name "
                          "<dave@example.net>\n\n--\n\nDave Name <dave@example.net> has been "
                          "added to testlist.\n")
            << ServerMailKind::SubscribeNotice << QByteArray("testlist")
            << QByteArray("Dave Name <dave@example.net>");
        QTest::newRow("unsubscribe notice")
            << QByteArray("From: Majordomo@example.com\nSubject: UNSUBSCRIBE testlist "
                          "a@example.net\n\n--\n\n")
            << ServerMailKind::UnsubscribeNotice << QByteArray("testlist")
            << QByteArray("a@example.net");
        QTest::newRow("a delivery report")
            << QByteArray("From: MAILER-DAEMON@x\nSubject: Undelivered Mail Returned to "
                          "Sender\n\n>>>> approve pw who l\n")
            << ServerMailKind::Other << QByteArray() << QByteArray();
        QTest::newRow("binary garbage") << QByteArray("\x00\x01\xff\xfe\n\n>>>> who l\n", 15)
                                        << ServerMailKind::Other << QByteArray() << QByteArray();
    }
    void otherMailsAreSaidToBeWhatTheyAre()
    {
        QFETCH(QByteArray, mail);
        QFETCH(ServerMailKind, kind);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, address);
        const ServerReply reply = readBytes(mail).reply;
        QCOMPARE(reply.kind, kind);
        QCOMPARE(reply.list, list);
        QCOMPARE(reply.address, address);
        QVERIFY(reply.commands.isEmpty());
        QVERIFY(!ServerMailKindText(kind).isEmpty());
    }

    // A who replaces the stored roster only when it succeeded whole, for a
    // list of the register; the roster before it stays for joined/left.
    void rostersAreStoredOnlyFromAWholeSuccessfulWho()
    {
        QTemporaryDir dir;
        const RosterStore store(dir.filePath(QStringLiteral("rosters")));
        const ListRegister lists = {entry("Test", "testlist")};

        AppliedReply first = applyBytes(who("testlist", "a@x\nB <b@x>\nc@x", 3), lists, &store);
        QCOMPARE(first.rosters.size(), 1);
        QVERIFY2(first.rosters[0].stored, qPrintable(first.rosters[0].why));
        QCOMPARE(first.rosters[0].title, QStringLiteral("Test"));
        const QString path = store.path("majordomo@example.com", "testlist");
        struct stat st
        {
        };
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 0777, 0600u);
        QVERIFY(!readFile(path).contains("adminpw"));

        // A failed who, a cut one and one of another list leave it as it was.
        const QByteArray before = readFile(path);
        const QByteArray failed = results(">>>> approve wrong who testlist\n**** approve: invalid "
                                          "list or password.\n");
        const QByteArray cut = results(">>>> approve adminpw who testlist\nMembers of list "
                                       "'testlist':\n\na@x\n");
        for (const QByteArray &mail : {failed, cut, who("other", "z@x", 1)}) {
            const AppliedReply applied = applyBytes(mail, lists, &store);
            QCOMPARE(applied.rosters.size(), 1);
            QVERIFY(!applied.rosters[0].stored);
            QVERIFY(!applied.rosters[0].why.isEmpty());
            QCOMPARE(readFile(path), before);
        }
        QVERIFY(!QFile::exists(store.path("majordomo@example.com", "other")));
        QCOMPARE(QDir(store.folder()).entryList(QDir::Files).size(), 1); // no temporary left

        // The second who: the first becomes the previous roster.
        QVERIFY(applyBytes(who("TESTLIST", "b@x\nc@x\nd@x", 3), lists, &store).rosters[0].stored);
        const std::optional<Roster> now = store.load(lists[0]);
        const std::optional<Roster> previous = store.load(lists[0], true);
        QVERIFY(now && previous);
        QCOMPARE(addressesOf(JoinedSince(*previous, *now)), QByteArrayList{"d@x"});
        QCOMPARE(addressesOf(JoinedSince(*now, *previous)), QByteArrayList{"a@x"});
        QCOMPARE(now->serverCount, 3);

        // No store given: read, not stored.
        QCOMPARE(applyBytes(who("testlist", "q@x", 1), lists, nullptr).rosters[0].stored, false);
        QCOMPARE(store.load(lists[0])->members.size(), 3);
    }

    void noticesChangeAStoredRoster()
    {
        QTemporaryDir dir;
        const RosterStore store(dir.filePath(QStringLiteral("rosters")));
        const ListRegister lists = {entry("Test", "testlist")};
        const QByteArray join = "From: Majordomo@example.com\nSubject: SUBSCRIBE testlist Dave "
                                "<dave@x>\n\n--\n\n";
        const QByteArray leave = "From: Majordomo@example.com\nSubject: UNSUBSCRIBE testlist "
                                 "A@X\n\n--\n\n";
        // Without a stored roster nothing is made up.
        AppliedReply applied = applyBytes(join, lists, &store);
        QVERIFY(!applied.noticeApplied);
        QVERIFY(!QFile::exists(store.path("majordomo@example.com", "testlist")));

        QVERIFY(applyBytes(who("testlist", "a@x\nb@x", 2), lists, &store).rosters[0].stored);
        QVERIFY(applyBytes(join, lists, &store).noticeApplied);
        QVERIFY(applyBytes(join, lists, &store).noticeApplied); // once only
        QVERIFY(applyBytes(leave, lists, &store).noticeApplied);
        const std::optional<Roster> roster = store.load(lists[0]);
        QVERIFY(roster);
        QCOMPARE(addressesOf(roster->members), (QByteArrayList{"b@x", "dave@x"}));
        QCOMPARE(roster->members.last().line, QByteArray("Dave <dave@x>"));
        QCOMPARE(roster->serverCount, 2);
    }

    void rosterFilesKeepEveryByteAndRefuseCutOnes()
    {
        QTemporaryDir dir;
        const RosterStore store(dir.filePath(QStringLiteral("r")));
        Roster roster;
        roster.list = "l";
        roster.server = "m@x";
        roster.date = QDateTime(QDate(2026, 12, 8), QTime(3, 39, 28), Qt::UTC);
        roster.serverCount = 4;
        roster.members = {MakeRosterMember("a@x\r"), MakeRosterMember("\x1b$B$\"\x1b(B <b@x>\t"),
                          MakeRosterMember("back\\slash (x(y)) <c@x>"), MakeRosterMember("")};
        QCOMPARE(store.save(roster), QString());
        const std::optional<Roster> loaded = store.load("M@X", "L");
        QVERIFY(loaded);
        QCOMPARE(loaded->members, roster.members);
        QCOMPARE(loaded->date, roster.date);
        QCOMPARE(loaded->serverCount, 4);
        QCOMPARE(loaded->validCount(), 3);

        const QString path = store.path("m@x", "l");
        QByteArray bytes = readFile(path);
        QVERIFY(writeFile(path, bytes.left(bytes.lastIndexOf("count"))));
        QString error;
        QVERIFY(!store.load("m@x", "l", false, &error));
        QVERIFY(!error.isEmpty());

        const QByteArray csv = RosterCsv(roster.members);
        QVERIFY(csv.startsWith("address,valid,line\r\n"));
        QVERIFY(csv.contains("b@x,yes,\"\x1b$B$\"\"\x1b(B <b@x>\t\"\r\n"));
    }

    // A member list of 100 MB costs a line buffer, not its size.
    void aHundredMegabyteReplyIsReadInBoundedMemory()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.eml"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(results(">>>> approve adminpw who testlist\nMembers of list 'testlist':\n\n"));
        const QByteArray line = "Member Name <member.with.a.long.address.0000000@example.org>\n";
        QByteArray chunk;
        for (int i = 0; i < 10000; ++i)
            chunk += line;
        const qint64 rounds = 100 * 1024 * 1024 / chunk.size() + 1;
        for (qint64 i = 0; i < rounds; ++i)
            QCOMPARE(file.write(chunk), chunk.size());
        file.write("\n" + QByteArray::number(rounds * 10000) + " subscribers\n\n");
        file.close();

        QFile refs(QStringLiteral("/proc/self/clear_refs"));
        if (!refs.open(QIODevice::WriteOnly) || refs.write("5") != 1)
            QSKIP("peak memory cannot be reset here");
        refs.close();
        const qint64 start = peakKiloBytes();
        const RosterStore store(dir.filePath(QStringLiteral("rosters")));
        const AppliedReply applied = ApplyServerReply(path, {entry("Test", "testlist")}, &store);
        const qint64 grown = peakKiloBytes() - start;
        QVERIFY2(applied.rosters.value(0).stored, qPrintable(applied.rosters.value(0).why));
        QCOMPARE(applied.reply.commands[0].who->lines, rounds * 10000);
#if !defined(__SANITIZE_ADDRESS__)
        QVERIFY2(grown < 48 * 1024, qPrintable(QStringLiteral("grew by %1 kB").arg(grown)));
#else
        // AddressSanitizer's quarantine keeps freed memory resident: only the
        // read itself is checked there.
        Q_UNUSED(grown);
#endif
    }
};

QTEST_GUILESS_MAIN(TestReplies)
#include "tst_replies.moc"
