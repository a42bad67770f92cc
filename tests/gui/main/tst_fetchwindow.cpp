// Fetching from the main window: the button, the status window and the
// summary, against a real IMAP server (dovecot) started by the test.
#include "DovecotServer.h"
#include "TestSupport.h"
#include "WindowFixture.h"

#include "dialogs/FetchSummaryDlg.h"
#include "dialogs/ReplyResultsDlg.h"
#include "dialogs/RosterDlg.h"
#include "main/StatusDlg.h"
#include "main/TavelinDlg.h"
#include "store/FetchSettings.h"
#include "store/SettingsStore.h"

#include <QListWidget>
#include <QTest>

using namespace MainIds;
using Kind = FakeUiServices::Kind;

class TestFetchWindow : public QObject, WindowFixture
{
    Q_OBJECT

private:
    std::unique_ptr<DovecotServer> m_server;

    // The store: one list, and the fetch settings for the server.
    void store(const QByteArray &password)
    {
        MailingListEntry list;
        list.Title = "Test list";
        list.Address = "Majordomo@example.com";
        list.ListName = "testlist";
        QVERIFY(SaveRegister({list}));
        FetchSettings settings;
        settings.Server = "127.0.0.1";
        settings.Port = m_server->tlsPort();
        settings.UserName = DovecotServer::kUser;
        settings.Password = password;
        QVERIFY(SaveFetchSettings(settings));
    }

    // Presses 1071 and waits for the fetch's end, as the window's events run.
    void fetch(CTavelinDlg &window)
    {
        window.press(IDC_FETCH);
        QVERIFY(window.fetching().worker().isRunning());
        QVERIFY(!window.isEnabled(IDC_FETCH));
        QVERIFY(window.fetching().statusWindow()->isVisible());
        QVERIFY(window.fetching().worker().wait(60000));
    }

private Q_SLOTS:
    void init()
    {
        if (!DovecotServer::installed() || sharedFixturesDir().isEmpty())
            QSKIP("needs dovecot-imapd and the shared fixtures");
        QVERIFY(startWindowTest());
        m_server = std::make_unique<DovecotServer>();
        const QString fixtures = sharedFixturesDir();
        for (const char *file : {"majordomo/reply-cmd3-who.eml", "majordomo/approval-request.eml",
                                 "bounces/flufl__postfix_02.eml"})
            QVERIFY(m_server->deliver(readFile(fixtures + u'/' + QLatin1String(file))));
        QVERIFY(m_server->deliver("From: friend@example.net\nSubject: hello\n\nhi\n"));
        QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        qputenv("SSL_CERT_FILE", QFile::encodeName(m_server->caFile()));
    }

    void cleanup() { m_server.reset(); }

    void theSummaryHandsAnApprovalRequestToTheSubscribeTab()
    {
        store(DovecotServer::kPassword);
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        QString counts;
        QStringList rows;
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            auto &summary = static_cast<CFetchSummaryDlg &>(dialog);
            counts = summary.text(FetchSummaryIds::IDC_COUNTS);
            auto *list = summary.item<QListWidget>(FetchSummaryIds::IDC_ITEMS);
            for (int i = 0; i < list->count(); ++i)
                rows.append(list->item(i)->text());
            const int approval =
                int(rows.indexOf(QStringLiteral("承認依頼(入会) Test list: outsider@example.net")));
            if (approval < 0)
                return DialogAnswer::Cancel;
            list->setCurrentRow(approval);
            // An approval to join goes to the subscribe tab only.
            if (summary.isEnabled(FetchSummaryIds::IDC_UNSUBSCRIBE))
                return DialogAnswer::Cancel;
            summary.press(FetchSummaryIds::IDC_SUBSCRIBE);
            return DialogAnswer::Ok;
        }};
        fetch(window);
        QVERIFY2(counts.startsWith(QStringLiteral("4通受信 (返信 1、ｴﾗｰﾒｰﾙ 1、承認依頼 1、")),
                 qPrintable(counts));
        QVERIFY2(rows.contains(QStringLiteral("ﾒﾝﾊﾞｰ更新 Test list")), qPrintable(rows.join(u'|')));
        QVERIFY(rows.contains(QStringLiteral("ｴﾗｰﾒｰﾙ Test list: yyyyy@digicool.com")));
        QCOMPARE(window.commandTabs().currentTab(), 1);
        QCOMPARE(window.text(IDC_ARGUMENT), QStringLiteral("outsider@example.net"));
        QVERIFY(window.isEnabled(IDC_CREATE));
        QVERIFY(window.isEnabled(IDC_FETCH));
        QVERIFY(!window.fetching().statusWindow()->isVisible());
        QVERIFY(m_ui.askedOf(Kind::Message).isEmpty());

        // The next press finds nothing new.
        m_ui.dialogScripts = {[&](QDialog &dialog) {
            counts = static_cast<CFetchSummaryDlg &>(dialog).text(FetchSummaryIds::IDC_COUNTS);
            return DialogAnswer::Ok;
        }};
        fetch(window);
        QVERIFY(counts.startsWith(QStringLiteral("0通受信")));
    }

    void theSummaryOpensTheRosterAndAFetchedReplysResults()
    {
        store(DovecotServer::kPassword);
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        // Presses the button of the first line that starts with `start`.
        auto choose = [](const QString &start, int button) {
            return [start, button](QDialog &dialog) {
                auto &summary = static_cast<CFetchSummaryDlg &>(dialog);
                auto *list = summary.item<QListWidget>(FetchSummaryIds::IDC_ITEMS);
                for (int i = 0; i < list->count(); ++i) {
                    if (list->item(i)->text().startsWith(start)) {
                        list->setCurrentRow(i);
                        summary.press(button);
                        return DialogAnswer::Ok;
                    }
                }
                return DialogAnswer::Cancel;
            };
        };
        int shownMembers = -1;
        m_ui.dialogScripts = {
            choose(QStringLiteral("ﾒﾝﾊﾞｰ更新 Test list"), FetchSummaryIds::IDC_ROSTER),
            [&](QDialog &dialog) {
                if (auto *roster = qobject_cast<CRosterDlg *>(&dialog))
                    shownMembers = int(roster->shown().size());
                return DialogAnswer::Cancel;
            }};
        fetch(window);
        QCOMPARE(shownMembers, 2);

        QVERIFY(m_server->deliver(
            "Message-ID: <r2@example.com>\n" +
            readFile(sharedFixturesDir() + QStringLiteral("/majordomo/reply-wrongpw-cmd6.eml"))));
        QString resultsList;
        m_ui.dialogScripts = {
            choose(QStringLiteral("返信(失敗あり) Test list"), FetchSummaryIds::IDC_RESULTS),
            [&](QDialog &dialog) {
                if (auto *results = qobject_cast<CReplyResultsDlg *>(&dialog))
                    resultsList = results->m_strList;
                return DialogAnswer::Ok;
            }};
        fetch(window);
        QCOMPARE(m_ui.unanswered, 0);
        QVERIFY2(resultsList.startsWith(QStringLiteral("Test list")), qPrintable(resultsList));
        // A failed password points the owner to the register's field.
        QCOMPARE(window.focusWidget(), window.control(IDC_PASSWD));
    }

    void aRefusedLoginSaysWhyAndShowsNoSummary()
    {
        store("not the password");
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        fetch(window);
        const QList<FakeUiServices::Question> messages = m_ui.askedOf(Kind::Message);
        QCOMPARE(messages.size(), 1);
        QCOMPARE(messages.first().text, QStringLiteral("ログインを拒否されました"));
        QVERIFY(m_ui.askedOf(Kind::Modal).isEmpty());
        CStatusDlg *status = window.fetching().statusWindow();
        QVERIFY(status->isVisible());
        QCOMPARE(status->m_strStatus1, QStringLiteral("ログインを拒否されました"));
        QVERIFY(window.isEnabled(IDC_FETCH));
    }

    void withoutSettingsNothingStarts()
    {
        CTavelinDlg window(m_ui, {QStringLiteral("tavelin")});
        window.show();
        window.press(IDC_FETCH);
        QVERIFY(!window.fetching().worker().isRunning());
        QCOMPARE(m_ui.askedOf(Kind::Message).size(), 1);
        QVERIFY(!window.fetching().statusWindow());
    }
};

QTEST_MAIN(TestFetchWindow)
#include "tst_fetchwindow.moc"
