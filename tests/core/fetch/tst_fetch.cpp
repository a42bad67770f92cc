#include "DovecotServer.h"
#include "TestSupport.h"

#include "commands/Roster.h"
#include "fetch/BounceHistory.h"
#include "fetch/FetchRun.h"
#include "fetch/ImapSession.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct FixtureMail
{
    const char *file; // under the shared fixtures, or "" for the text below
    const char *text;
    MailKind kind;
    const char *address; // the address the mail is about, "" for none
};

// Mails of the list "testlist" at example.com as they arrive in the owner's
// mailbox: the server's replies, requests and notices, returned mails, and
// mail that is none of these.
// clang-format off
const FixtureMail kMails[] = {
    {"majordomo/reply-cmd0-forced-unsubscribe.eml", "", MailKind::Reply,    ""},
    {"majordomo/reply-cmd3-who.eml",                "", MailKind::Reply,    ""},
    {"majordomo/approval-request.eml",              "", MailKind::Approval, "outsider@example.net"},
    {"majordomo/approval-request-unsubscribe.eml",  "", MailKind::Approval, ""},
    {"majordomo/replies/87-bounce-non-member.eml",  "", MailKind::Approval, "zoe@example.org"},
    {"bounces/flufl__postfix_02.eml",               "", MailKind::Bounce,   ""},
    {"bounces/sisimai__lhost-gmail-01.eml",         "", MailKind::Bounce,   ""},
    {"bounces/sisimai__lhost-gmail-09.eml",         "", MailKind::Other,    ""}, // a delay
    {"bounces/bp__autoreply.eml",                   "", MailKind::Other,    ""},
    {"", "To: testlist-approval@example.com\nFrom: Majordomo@example.com\n"
         "Subject: SUBSCRIBE testlist Dave Name <dave@example.net>\n"
         "Reply-To: Majordomo@example.com\n\n--\n\nDave Name <dave@example.net> has been added to testlist.\n",
         MailKind::Notice, "dave@example.net"},
    {"", "From: friend@example.net\nTo: owner@example.org\nSubject: lunch on Friday?\n"
         "Message-ID: <lunch-1@example.net>\n\nShall we?\n",
         MailKind::Other, ""},
};
// clang-format on

ListRegister testRegister()
{
    MailingListEntry list;
    list.Title = "Test list";
    list.Address = "Majordomo@example.com";
    list.ListName = "testlist";
    return {list};
}

QByteArray mailText(const FixtureMail &mail)
{
    if (*mail.file == '\0')
        return QByteArray(mail.text);
    return readFile(sharedFixturesDir() + u'/' + QLatin1String(mail.file));
}

bool hasSeenFlag(const QString &name)
{
    const qsizetype info = name.indexOf(QLatin1String(":2,"));
    return info >= 0 && name.mid(info + 3).contains(u'S');
}

} // namespace

// Starts the server of a test, or skips the test on a machine without
// dovecot or the fixtures; a server that is there and fails is a failure.
#define START_SERVER(...)                                                                          \
    do {                                                                                           \
        if (!DovecotServer::installed() || sharedFixturesDir().isEmpty())                          \
            QSKIP("needs dovecot-imapd and the shared fixtures");                                  \
        if (const QString failed = startWithMails(__VA_ARGS__); !failed.isEmpty())                 \
            QFAIL(qPrintable(failed));                                                             \
    } while (false)

class TestFetch : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DovecotServer> m_server;
    std::unique_ptr<QTemporaryDir> m_data;

    // A server holding the mails above (and one more, already read, that is
    // none of ours); empty, or why it could not start.
    QString startWithMails(const QString &certificate = QStringLiteral("good"))
    {
        m_server = std::make_unique<DovecotServer>();
        m_data = std::make_unique<QTemporaryDir>();
        for (const FixtureMail &mail : kMails) {
            if (!m_server->deliver(mailText(mail)))
                return QStringLiteral("a mail could not be delivered");
        }
        m_server->deliver("From: bank@example.org\nSubject: statement\n\nyours\n", "S");
        if (!m_server->start(certificate))
            return m_server->error();
        qputenv("SSL_CERT_FILE", QFile::encodeName(m_server->caFile()));
        return {};
    }

    FetchRequest request() const
    {
        FetchRequest r;
        r.server = "127.0.0.1";
        r.port = m_server->tlsPort();
        r.security = ImapSecurity::ImplicitTls;
        r.user = DovecotServer::kUser;
        r.password = DovecotServer::kPassword;
        r.deadlines = ImapDeadlines::uniform(20000);
        r.dataFolder = m_data->path();
        r.lists = testRegister();
        return r;
    }

    static FetchSummary fetch(const FetchRequest &request, QList<FetchedMail> *mails = nullptr,
                              std::atomic<bool> *cancel = nullptr, int cancelAfter = -1)
    {
        FetchRun run;
        run.cancel = cancel;
        int seen = 0;
        run.onMail = [&](const FetchedMail &mail) {
            if (mails)
                mails->append(mail);
            if (++seen == cancelAfter)
                cancel->store(true);
        };
        return run.run(request);
    }

private slots:
    void cleanup()
    {
        m_server.reset();
        m_data.reset();
    }

    void aFetchSortsEachMailLeavesItUnreadAndGoesOnFromItsMark()
    {
        START_SERVER();
        const QStringList before = m_server->mails();
        QList<FetchedMail> mails;
        const FetchSummary first = fetch(request(), &mails);
        QVERIFY2(first.ok, qPrintable(first.error + m_server->log()));
        QCOMPARE(mails.size(), qsizetype(std::size(kMails)) + 1);
        for (size_t i = 0; i < std::size(kMails); ++i) {
            const FetchedMail &mail = mails.at(qsizetype(i));
            QVERIFY2(mail.sorted.kind == kMails[i].kind,
                     qPrintable(QStringLiteral("%1 sorted as %2")
                                    .arg(QLatin1String(kMails[i].file),
                                         QLatin1String(mailKindName(mail.sorted.kind)))));
            if (*kMails[i].address)
                QCOMPARE(mail.sorted.addresses.value(0), QByteArray(kMails[i].address));
            if (kMails[i].kind != MailKind::Other)
                QCOMPARE(mail.sorted.list, 0);
        }
        QCOMPARE(mails.last().sorted.kind, MailKind::Other);
        QCOMPARE(first.count(MailKind::Approval), 3);
        QCOMPARE(first.count(MailKind::Notice), 1);
        QVERIFY(!first.approvals.at(1).sorted.subscribe); // the unsubscribe request
        // The "who" reply became the list's roster, and the notice after it joined it.
        QCOMPARE(first.rostersChanged, QStringList{QStringLiteral("Test list")});
        const std::optional<Roster> roster =
            RosterStore(m_data->filePath(QStringLiteral("rosters"))).load(testRegister().first());
        QVERIFY(roster);
        QCOMPARE(roster->members.size(), 3);
        QCOMPARE(roster->members.last().address, QByteArray("dave@example.net"));
        QCOMPARE(first.moved, 0);

        // Nothing was marked read and nothing left its place.
        const QStringList after = m_server->mails();
        QCOMPARE(after.size(), before.size());
        QCOMPARE(std::count_if(after.begin(), after.end(), hasSeenFlag), qsizetype(1));
        QVERIFY(m_server->mails(QStringLiteral("Done")).isEmpty());

        // The bounce history of the list holds both returned mails, for the owner only.
        BounceHistory history(m_data->path());
        const QString path = history.pathOf(&request().lists.first());
        QList<BounceRecord> records;
        QString error;
        QVERIFY(BounceHistory::read(path, records, &error));
        QCOMPARE(records.size(), 2);
        QCOMPARE(QFileInfo(path).permissions() & 0x0077, QFileDevice::Permissions());

        const FetchSummary second = fetch(request());
        QVERIFY(second.ok);
        QCOMPARE(second.read, 0);

        // The same report again (a copy with its Message-ID) is read but not
        // counted; a new report is.
        const QByteArray report = mailText(kMails[6]);
        QVERIFY(m_server->deliver(report));
        QVERIFY(
            m_server->deliver(QByteArray(report).replace("Message-ID: <", "Message-ID: <new-")));
        QList<FetchedMail> third;
        const FetchSummary summary = fetch(request(), &third);
        QVERIFY(summary.ok);
        QCOMPARE(third.size(), 2);
        QCOMPARE(summary.known, 1);
        QCOMPARE(summary.count(MailKind::Bounce), 1);
        QVERIFY(third.first().known && !third.last().known);
        QVERIFY(BounceHistory::read(path, records, &error));
        QCOMPARE(records.size(), 3);
    }

    void aRenumberedFolderIsReadAgainWithoutCountingAMailTwice()
    {
        START_SERVER();
        const FetchSummary first = fetch(request());
        QVERIFY2(first.ok, qPrintable(first.error));
        QVERIFY(m_server->renumber());
        m_server->deliver(mailText(kMails[2]).replace("outsider@", "another@"));
        QList<FetchedMail> mails;
        const FetchSummary again = fetch(request(), &mails);
        QVERIFY2(again.ok, qPrintable(again.error));
        QVERIFY(again.renumbered);
        QCOMPARE(again.read, first.read + 1);
        QCOMPARE(again.known, first.read);
        QCOMPARE(again.count(MailKind::Approval), 1);
        QCOMPARE(again.approvals.first().sorted.addresses.value(0),
                 QByteArray("another@example.net"));
        QCOMPARE(again.count(MailKind::Bounce), 0);
    }

    void aCancelPartWayKeepsWhatWasReadAndTheNextFetchGoesOn()
    {
        START_SERVER();
        std::atomic<bool> cancel{false};
        QList<FetchedMail> firstPart;
        const FetchSummary first = fetch(request(), &firstPart, &cancel, 3);
        QVERIFY(!first.ok);
        QVERIFY(!first.error.isEmpty());
        QCOMPARE(firstPart.size(), 3);
        QList<FetchedMail> rest;
        const FetchSummary second = fetch(request(), &rest);
        QVERIFY2(second.ok, qPrintable(second.error));
        QCOMPARE(firstPart.size() + rest.size(), qsizetype(std::size(kMails)) + 1);
        QCOMPARE(rest.first().uid, firstPart.last().uid + 1);
        QCOMPARE(second.known, 0);
    }

    void moveToMovesExactlyTheHandledMails_data()
    {
        QTest::addColumn<bool>("startTls");
        QTest::newRow("TLS") << false;
        QTest::newRow("STARTTLS") << true;
    }
    void moveToMovesExactlyTheHandledMails()
    {
        QFETCH(bool, startTls);
        START_SERVER();
        FetchRequest r = request();
        if (startTls) {
            r.security = ImapSecurity::StartTls;
            r.port = m_server->port();
        }
        r.moveTo = QStringLiteral("Done");
        const FetchSummary summary = fetch(r);
        QVERIFY2(summary.ok, qPrintable(summary.error + m_server->log()));
        const int others = summary.count(MailKind::Other);
        QCOMPARE(summary.moved, summary.read - others);
        QCOMPARE(m_server->mails().size(), qsizetype(others));
        QCOMPARE(m_server->mails(QStringLiteral("Done")).size(), qsizetype(summary.moved));
        // Moving does not read a mail either.
        const QStringList moved = m_server->mails(QStringLiteral("Done"));
        QVERIFY(std::none_of(moved.begin(), moved.end(), hasSeenFlag));
    }

    void aRefusedConnectionSaysWhyAndMovesNothing_data()
    {
        QTest::addColumn<QString>("certificate");
        QTest::addColumn<bool>("startTls");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QString>("reason");
        QTest::newRow("wrong password")
            << "good" << false << QByteArray("nope") << "ログインを拒否されました";
        QTest::newRow("untrusted certificate")
            << "untrusted" << false << QByteArray(DovecotServer::kPassword)
            << "サーバーの証明書を拒否しました\n理由:信頼できる認証局の証明書ではありません";
        QTest::newRow("expired certificate")
            << "expired" << true << QByteArray(DovecotServer::kPassword)
            << "サーバーの証明書を拒否しました\n理由:有効期限が切れています";
        QTest::newRow("certificate of another host")
            << "wronghost" << false << QByteArray(DovecotServer::kPassword)
            << "サーバーの証明書を拒否しました\n理由:ホスト名(127.0.0.1)の証明書ではありません";
        QTest::newRow("no STARTTLS") << "" << true << QByteArray(DovecotServer::kPassword)
                                     << "サーバーがTLS(STARTTLS)に対応していないため";
        QTest::newRow("no TLS on the TLS port")
            << "" << false << QByteArray(DovecotServer::kPassword)
            << "TLS通信を開始できませんでした";
    }
    void aRefusedConnectionSaysWhyAndMovesNothing()
    {
        QFETCH(QString, certificate);
        QFETCH(bool, startTls);
        QFETCH(QByteArray, password);
        QFETCH(QString, reason);
        START_SERVER(certificate);
        const QStringList before = m_server->mails();
        FetchRequest r = request();
        r.password = password;
        r.moveTo = QStringLiteral("Done");
        if (startTls) {
            r.security = ImapSecurity::StartTls;
            r.port = m_server->port();
        }
        const FetchSummary summary = fetch(r);
        QVERIFY(!summary.ok);
        QVERIFY2(summary.error.startsWith(reason), qPrintable(summary.error));
        QCOMPARE(summary.read, 0);
        QCOMPARE(m_server->mails(), before);
        // Without TLS the password never reached the server.
        if (certificate.isEmpty())
            QVERIFY(!m_server->log().contains(QLatin1String("Login:")));
    }

    void mailboxNamesAreQuotedInModifiedUtf7_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("argument");
        QTest::newRow("plain") << "INBOX" << QByteArray("\"INBOX\"");
        QTest::newRow("Japanese") << "処理済" << QByteArray("\"&UeZ0Bm4I-\"");
        QTest::newRow("ampersand") << "a&b" << QByteArray("\"a&-b\"");
        QTest::newRow("quote and backslash") << "a\"b\\c" << QByteArray("\"a\\\"b\\\\c\"");
        QTest::newRow("mixed") << "Tavelin/済み" << QByteArray("\"Tavelin/&bggwfw-\"");
        QTest::newRow("line end") << "a\r\nb" << QByteArray();
        QTest::newRow("empty") << "" << QByteArray();
    }
    void mailboxNamesAreQuotedInModifiedUtf7()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, argument);
        QCOMPARE(ImapSession::mailboxArgument(name), argument);
    }

    void bounceThresholdsCountDistinctDaysInTheWindow()
    {
        const QDate d(2026, 12, 1);
        const QList<BounceRecord> records = {
            {"a@x", d, ""},
            {"a@x", d, ""}, // one day twice
            {"b@x", d, ""},
            {"B@x", d.addDays(3), ""},
            {"c@x", d.addDays(-40), ""},
            {"c@x", d.addDays(2), ""},
            {"d@x", d.addDays(5), ""},
        };
        QCOMPARE(AddressesOverThreshold(records, 2, 30), QByteArrayList({"b@x"}));
        QCOMPARE(AddressesOverThreshold(records, 1, 30).size(), 4);
        QCOMPARE(AddressesOverThreshold(records, 2, 60), QByteArrayList({"b@x", "c@x"}));
        QCOMPARE(AddressesOverThreshold(records, 1, 1), QByteArrayList({"d@x"}));
    }
};

QTEST_GUILESS_MAIN(TestFetch)
#include "tst_fetch.moc"
