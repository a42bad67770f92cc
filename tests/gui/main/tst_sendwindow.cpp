// Sending from the main window: the send-all button, the status window and
// its dial-up, against a real SMTP server, the scripted one, and
// NetworkManager as python3-dbusmock plays it on a private bus.
#include "AiosmtpdServer.h"
#include "NetworkManagerMock.h"
#include "ScriptedSmtpServer.h"
#include "TestSupport.h"
#include "WindowFixture.h"

#include "commands/OutgoingFolder.h"
#include "main/StatusDlg.h"
#include "main/TavelinDlg.h"
#include "send/NetworkManagerDialUp.h"
#include "sheets/CommonSheet.h"
#include "store/SettingsStore.h"

#include <QComboBox>
#include <QLockFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

using namespace MainIds;
using namespace StatusIds;

namespace {

QByteArray mail(const QByteArray &body)
{
    return "To: list@example.org\r\nFrom: owner@example.org\r\nSubject: test\r\n\r\n" + body +
           "\r\nend\r\n";
}

} // namespace

class TestSendWindow : public QObject, WindowFixture
{
    Q_OBJECT

private:
    AiosmtpdServer m_server;
    NetworkManagerMock m_nm;
    bool m_nmUp = false;
    std::unique_ptr<NetworkManagerDialUp> m_dialUp;
    CommonSettings m_settings;

    QString folder() const { return path(QStringLiteral("out")); }
    int queued() const { return OutgoingFolder::CountQueued(folder()); }

    void queue(int count)
    {
        for (int i = 1; i <= count; ++i)
            QVERIFY(writeFile(folder() + QStringLiteral("/tvl%1.tmp").arg(i),
                              mail("mail " + QByteArray::number(i))));
    }

    // The main window on a stored list, its command field filled so that
    // the tab enables 1060.
    // The settings and a register of one list in the store.
    void store()
    {
        SaveCommonSettings(m_settings);
        MailingListEntry entry;
        entry.Title = "ml";
        SaveRegister({entry});
    }

    std::unique_ptr<CTavelinDlg> open()
    {
        store();
        auto window = std::make_unique<CTavelinDlg>(m_ui, QStringList{QStringLiteral("tavelin")});
        window->show();
        window->setText(IDC_ARGUMENT, QStringLiteral("someone@example.org"));
        return window;
    }

    // Presses 1070 and waits for the run to end.
    static bool sendAndWait(CTavelinDlg &window)
    {
        QSignalSpy finished(&window.sending().run(), &SendAllRun::finished);
        window.press(IDC_SENDALL);
        return finished.wait(30000);
    }

    static QString line(const CTavelinDlg &window, int id)
    {
        const CStatusDlg *status = const_cast<CTavelinDlg &>(window).sending().statusWindow();
        return status ? status->text(id) : QStringLiteral("<no status window>");
    }

    void requireDialUp()
    {
        if (!m_nmUp)
            QSKIP(qPrintable(QStringLiteral("no NetworkManager stand-in: ") + m_nm.error()));
        dialFirst();
        m_ui.dialUpBinding = m_dialUp.get();
    }

    void dialFirst()
    {
        m_settings.DialUp = 1;
        m_settings.Entry = "Provider";
    }

    int dialAttempts()
    {
        return m_nm.calls(QStringLiteral("/org/freedesktop/NetworkManager/Settings"),
                          QStringLiteral("ListConnections"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (!m_server.start())
            QFAIL(qPrintable(m_server.error()));
        m_nmUp = m_nm.start();
        if (m_nmUp)
            m_dialUp = std::make_unique<NetworkManagerDialUp>(m_nm.bus());
        else
            qWarning("dial-up tests will skip: %s", qPrintable(m_nm.error()));
    }

    void init()
    {
        QVERIFY(startWindowTest());
        QVERIFY(QDir().mkpath(folder()));
        m_settings = CommonSettings();
        m_settings.MailSavePath = QFile::encodeName(folder());
        m_settings.Server = "127.0.0.1";
        m_settings.PortNo = m_server.port();
        if (m_nmUp) {
            m_nm.reset();
            m_nm.addProfile(QStringLiteral("Provider"));
            m_nm.addProfile(QStringLiteral("Office"));
        }
    }

    void sendAllEmptiesTheQueueAndGivesTheButtonsBack()
    {
        queue(3);
        const qsizetype before = m_server.mails().size();
        auto window = open();
        QVERIFY(window->isEnabled(IDC_SENDALL));
        QVERIFY(sendAndWait(*window));
        QCOMPARE(m_server.mails().size(), before + 3);
        QCOMPARE(queued(), 0);
        QCOMPARE(window->text(IDC_COUNT), QStringLiteral("0"));
        QCOMPARE(line(*window, IDC_STATUS1), QStringLiteral("(3/3)通目を送信中"));
        QCOMPARE(line(*window, IDC_STATUS2), QStringLiteral("送信を完了しました"));
        QVERIFY(!window->isEnabled(IDC_QUEUE) && !window->isEnabled(IDC_SENDALL));
        // 1060 as the tab says: the run's end ran the tab change.
        const bool create = window->isEnabled(IDC_CREATE);
        window->commandTabs().onTabChanged();
        QCOMPARE(window->isEnabled(IDC_CREATE), create);
        QVERIFY(!window->sending().statusWindow()->isVisible());
    }

    void aFailedDeliveryKeepsTheStatusWindowOpenWithItsError()
    {
        // The scripted server takes one mail; the next connection finds no
        // one listening.
        ScriptedSmtpServer server;
        server.upToContent().acceptAndQuit();
        QVERIFY(server.start());
        m_settings.PortNo = server.port();
        queue(3);
        auto window = open();
        QVERIFY(sendAndWait(*window));
        QCOMPARE(line(*window, IDC_STATUS1), QStringLiteral("ホストへの接続に失敗しました"));
        QCOMPARE(queued(), 2);
        CStatusDlg *status = window->sending().statusWindow();
        QVERIFY(status->isVisible());
        QVERIFY(!status->isShown(IDC_CANCELSEND));
        QVERIFY(window->isEnabled(IDC_QUEUE) && window->isEnabled(IDC_SENDALL));
        QCOMPARE(window->text(IDC_COUNT), QStringLiteral("2"));
    }

    void aRunRefusedByAnotherRunsLockSaysWhyInItsStatusWindow()
    {
        QLockFile other(OutgoingFolder::QueuedPath(folder(), SendAllRun::lockFileName()));
        QVERIFY(other.tryLock(0));
        queue(1);
        auto window = open();
        QVERIFY(sendAndWait(*window));
        QVERIFY2(line(*window, IDC_STATUS1).startsWith(QStringLiteral("別の送信が実行中です\n")),
                 qPrintable(line(*window, IDC_STATUS1)));
        QVERIFY(window->sending().statusWindow()->isVisible());
        QCOMPARE(queued(), 1);
    }

    void cancelDuringTheFirstOfThreeSendsOnlyThatOne()
    {
        AiosmtpdServer slow;
        if (!slow.start({QStringLiteral("--delay"), QStringLiteral("1")}))
            QFAIL(qPrintable(slow.error()));
        m_settings.PortNo = slow.port();
        queue(3);
        auto window = open();
        QSignalSpy finished(&window->sending().run(), &SendAllRun::finished);
        window->press(IDC_SENDALL);
        // The event loop runs while the first mail is on its way.
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("(1/3)通目を送信中"));
        QVERIFY(!window->isEnabled(IDC_CREATE) && !window->isEnabled(IDC_QUEUE) &&
                !window->isEnabled(IDC_SENDALL));
        window->SelectList(0); // a list chosen again does not give them back
        QVERIFY(!window->isEnabled(IDC_SENDALL));
        window->sending().statusWindow()->press(IDC_CANCELSEND);
        QVERIFY(finished.wait(30000));
        QCOMPARE(slow.mails().size(), 1);
        QCOMPARE(queued(), 2);
        QVERIFY(window->isEnabled(IDC_SENDALL));
    }

    void theProgramSendsTheQueueWhenItsButtonIsPressed()
    {
        queue(2);
        store();
        const qsizetype before = m_server.mails().size();
        QProcess program;
        QProcessEnvironment env = m_dir->environment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral(TAVELIN_DRIVEN),
                      {QStringLiteral("press"), QString::number(IDC_SENDALL)});
        QVERIFY(program.waitForStarted(10000));
        QTRY_COMPARE_WITH_TIMEOUT(queued(), 0, 30000);
        QCOMPARE(m_server.mails().size(), before + 2);
        QCOMPARE(program.state(), QProcess::Running);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }

    void withoutNetworkManagerEveryOperationAnswers753_data()
    {
        QTest::addColumn<bool>("withBus");
        QTest::newRow("no bus") << false;
        QTest::newRow("bus without NetworkManager") << true;
    }

    void withoutNetworkManagerEveryOperationAnswers753()
    {
        QFETCH(bool, withBus);
        if (withBus)
            requireDialUp();
        dialFirst();
        if (withBus)
            m_nm.stopService();
        const auto restart = qScopeGuard([&] {
            if (withBus)
                QVERIFY(m_nm.startService());
        });
        NetworkManagerDialUp none(withBus ? m_nm.bus() : QDBusConnection(QString()));
        m_ui.dialUpBinding = &none;
        QStringList names;
        RasConnection connection{1};
        DialParams params;
        int state = 0;
        QCOMPARE(none.enumEntries(names), 753);
        QList<ActiveConnection> active;
        QCOMPARE(none.enumConnections(active), 753);
        QCOMPARE(none.getEntryDialParams(QStringLiteral("Provider"), params), 753);
        QCOMPARE(none.dial(params, connection), 753);
        QCOMPARE(none.getConnectStatus(connection, state), 753);
        QCOMPARE(none.hangUp(connection), 753);
        queue(1);
        auto window = open();
        QVERIFY(window->dialUpEntries().isEmpty());
        window->press(IDC_SENDALL);
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("接続に失敗しました"));
        QTRY_VERIFY(!window->sending().run().isActive());
        QCOMPARE(queued(), 1);
    }

    void entriesAreTheSavedProfiles()
    {
        requireDialUp();
        auto window = open();
        QCOMPARE(window->dialUpEntries(), (QStringList{"Provider", "Office"}));
        // The settings sheet offers them sorted as its connection names.
        QStringList offered;
        m_ui.dialogScripts = {[&offered](QDialog &dialog) {
            auto &sheet = static_cast<CCommonSheet &>(dialog);
            sheet.show();
            const auto *list = sheet.page(0)->item<QComboBox>(CommonSendIds::IDC_ENTRY);
            for (int i = 0; i < list->count(); ++i)
                offered.append(list->itemText(i));
            return DialogAnswer::Cancel;
        }};
        window->press(IDC_COMMON);
        QCOMPARE(offered, (QStringList{"Office", "Provider"}));
    }

    void onlyARemoteAccessConnectionOrTheEntryCountsAsUp_data()
    {
        NetworkManagerMock::connectionsUpRows();
    }

    void onlyARemoteAccessConnectionOrTheEntryCountsAsUp()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(bool, alreadyUp);
        requireDialUp();
        m_nm.bringUp(name, type);
        QCOMPARE(m_nm.activeConnections().size(), 1);
        if (!alreadyUp)
            m_nm.holdActivations();
        auto window = open();
        const int dialled = dialAttempts();
        // An empty queue: the first line keeps what the dial said.
        QSignalSpy finished(&window->sending().run(), &SendAllRun::finished);
        window->sending().sendAll();
        if (alreadyUp) {
            QVERIFY(finished.wait(30000));
            QCOMPARE(line(*window, IDC_STATUS1), QStringLiteral("すでに接続されています"));
            QCOMPARE(line(*window, IDC_STATUS2), QStringLiteral("送信を完了しました"));
            QCOMPARE(m_nm.activeConnections().size(), 1);
            QCOMPARE(dialAttempts(), dialled);
            return;
        }
        // A LAN does not stand for the entry: the entry is dialled beside it.
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("通信ポートを初期化中"));
        QCOMPARE(dialAttempts(), dialled + 1);
        QCOMPARE(m_nm.activeConnections().size(), 2);
        m_nm.activeState(m_nm.activeConnections().constLast(), 2, 0);
        QVERIFY(finished.wait(30000));
        QCOMPARE(line(*window, IDC_STATUS2), QStringLiteral("送信を完了しました"));
    }

    void aDialShowsItsProgressAndHangsUpUnlessKept_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::newRow("hung up at the end") << false;
        QTest::newRow("kept") << true;
    }

    void aDialShowsItsProgressAndHangsUpUnlessKept()
    {
        QFETCH(bool, keep);
        requireDialUp();
        m_nm.holdActivations();
        queue(1);
        const qsizetype before = m_server.mails().size();
        auto window = open();
        const int dialled = dialAttempts();
        QSignalSpy finished(&window->sending().run(), &SendAllRun::finished);
        window->press(IDC_SENDALL);
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("通信ポートを初期化中"));
        CStatusDlg *status = window->sending().statusWindow();
        QVERIFY(status->isShown(IDC_KEEPCONNECTION));
        window->press(IDC_SENDALL); // a second press while dialling dials nothing
        const struct
        {
            uint device;
            const char *text;
        } steps[] = {{40, "通信ポートが正常にオープンされました"},
                     {50, "Providerへ電話をかけています"},
                     {70, "投影段階を開始しようとしています"}};
        // The binding hears the device once it has read the activation: a
        // step is said again until it is heard.
        for (const auto &step : steps)
            QTRY_VERIFY((m_nm.deviceState(step.device),
                         line(*window, IDC_STATUS1) == QString::fromUtf8(step.text)));
        if (keep)
            status->press(IDC_KEEPCONNECTION);
        QCOMPARE(m_nm.activeConnections().size(), 1);
        m_nm.activeState(m_nm.activeConnections().constFirst(), 2, 0);
        QVERIFY(finished.wait(30000));
        QCOMPARE(m_server.mails().size(), before + 1);
        QCOMPARE(queued(), 0);
        QCOMPARE(dialAttempts(), dialled + 1);
        if (keep) {
            QCOMPARE(m_nm.activeConnections().size(), 1);
        } else {
            QTRY_VERIFY(m_nm.activeConnections().isEmpty());
            QTRY_VERIFY(!status->dialSession().isHangingUp());
        }
    }

    void aDialThatFailsSendsNothingAndTheNextPressDialsAgain_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<bool>("refused");
        QTest::newRow("refused by NetworkManager") << QByteArray("Provider") << true;
        QTest::newRow("failing while activating") << QByteArray("Provider") << false;
        QTest::newRow("no such profile") << QByteArray("Nowhere") << true;
    }

    void aDialThatFailsSendsNothingAndTheNextPressDialsAgain()
    {
        QFETCH(QByteArray, entry);
        QFETCH(bool, refused);
        requireDialUp();
        m_settings.Entry = entry;
        if (refused)
            m_nm.refuseActivations();
        else
            m_nm.holdActivations();
        queue(1);
        auto window = open();
        const int dialled = dialAttempts();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            if (CStatusDlg *status = window->sending().statusWindow())
                status->SetStatusLine1(QString()); // the second failure shows anew
            window->press(IDC_SENDALL);
            if (!refused) {
                // A failed activation stays listed in the stand-in, deactivated.
                QTRY_COMPARE(m_nm.activeConnections().size(), attempt);
                m_nm.activeState(m_nm.activeConnections().constLast(), 4, 10);
            }
            QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("接続に失敗しました"));
            QTRY_VERIFY(!window->sending().run().isActive());
            QCOMPARE(dialAttempts(), dialled + attempt);
            QCOMPARE(queued(), 1);
        }
    }

    void cancelWhileDiallingHangsUpAtOnce()
    {
        requireDialUp();
        m_nm.holdActivations();
        queue(1);
        auto window = open();
        window->press(IDC_SENDALL);
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("通信ポートを初期化中"));
        QCOMPARE(m_nm.activeConnections().size(), 1);
        window->sending().statusWindow()->press(IDC_CANCELSEND);
        QTRY_VERIFY(m_nm.activeConnections().isEmpty());
        QTRY_VERIFY(!window->sending().run().isActive());
        QCOMPARE(queued(), 1);
    }

    void aHangUpThatNeverEndsIsForgottenAndTheNextDialWaitsForIt()
    {
        requireDialUp();
        m_nm.holdActivations();
        m_nm.ignoreDeactivations();
        queue(1);
        auto window = open();
        const int dialled = dialAttempts();
        window->press(IDC_SENDALL);
        QTRY_COMPARE(line(*window, IDC_STATUS1), QStringLiteral("通信ポートを初期化中"));
        CStatusDlg *status = window->sending().statusWindow();
        status->dialSession().hangUpWaitMs = 500;
        status->press(IDC_CANCELSEND);
        QVERIFY(status->dialSession().isHangingUp());
        QTRY_VERIFY(!window->sending().run().isActive());
        window->press(IDC_SENDALL); // waits for the hang-up before it dials
        QCOMPARE(dialAttempts(), dialled + 1);
        QTRY_VERIFY(!status->dialSession().isHangingUp());
        QTRY_COMPARE(dialAttempts(), dialled + 2);
        status->press(IDC_CANCELSEND);
    }
};

QTEST_MAIN(TestSendWindow)
#include "tst_sendwindow.moc"
