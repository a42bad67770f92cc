// The dial-up rules without a window: DialSession over NetworkManager as
// python3-dbusmock plays it on a private bus.
#include "NetworkManagerMock.h"

#include "send/DialSession.h"
#include "send/NetworkManagerDialUp.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// What the session told its view, in order.
struct RecordingView : DialView
{
    int started = 0;
    QStringList lines;
    QList<bool> ended;

    void dialStarted() override { ++started; }
    // As a reader sees it: a line shown again is not a new one.
    void setDialStatus(const QString &text) override
    {
        if (lines.isEmpty() || lines.constLast() != text)
            lines.append(text);
    }
    void dialEnded(bool ready) override { ended.append(ready); }
};

} // namespace

class TestDial : public QObject
{
    Q_OBJECT

private:
    NetworkManagerMock m_nm;
    bool m_nmUp = false;
    std::unique_ptr<NetworkManagerDialUp> m_binding;
    std::unique_ptr<RecordingView> m_view;
    std::unique_ptr<DialSession> m_session;

    // Dials Provider with activations held and waits for its first line.
    void dialHeld()
    {
        m_nm.holdActivations();
        m_session->dial(QStringLiteral("Provider"));
        QTRY_COMPARE(m_view->lines, QStringList{QStringLiteral("通信ポートを初期化中")});
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_nmUp = m_nm.start();
        if (!m_nmUp)
            qWarning("dial-up tests will skip: %s", qPrintable(m_nm.error()));
    }

    void init()
    {
        if (!m_nmUp)
            QSKIP(qPrintable(QStringLiteral("no NetworkManager stand-in: ") + m_nm.error()));
        m_nm.reset();
        m_nm.addProfile(QStringLiteral("Provider"));
        m_nm.addProfile(QStringLiteral("Office"));
        m_session.reset();
        m_binding = std::make_unique<NetworkManagerDialUp>(m_nm.bus());
        m_view = std::make_unique<RecordingView>();
        m_session = std::make_unique<DialSession>(*m_binding, *m_view);
    }

    void onlyADialOutConnectionOrTheEntryStandsForTheDial_data()
    {
        NetworkManagerMock::connectionsUpRows();
    }

    void onlyADialOutConnectionOrTheEntryStandsForTheDial()
    {
        QFETCH(QString, name);
        QFETCH(QString, type);
        QFETCH(bool, alreadyUp);
        m_nm.bringUp(name, type);
        const int before = m_nm.activations();
        if (!alreadyUp) {
            dialHeld();
            QCOMPARE(m_nm.activations(), before + 1);
            QCOMPARE(m_nm.activeConnections().size(), 2);
            return;
        }
        m_session->dial(QStringLiteral("Provider"));
        QCOMPARE(m_view->lines, QStringList{QStringLiteral("すでに接続されています")});
        QCOMPARE(m_view->ended, QList<bool>{true});
        QCOMPARE(m_view->started, 1);
        QCOMPARE(m_nm.activations(), before);
        // Not ours: neither the run's end nor a cancel takes it down.
        QVERIFY(!m_session->holdsConnection());
        m_session->cancel();
        m_session->hangUp();
        QVERIFY(!m_session->isHangingUp());
        QCOMPARE(m_view->ended, QList<bool>{true});
        QCOMPARE(m_nm.activeConnections().size(), 1);
    }

    void aDialShowsEachStepAndWhatItDialledIsHungUp_data()
    {
        QTest::addColumn<bool>("lineDrops");
        QTest::newRow("hung up after the run") << false;
        QTest::newRow("line dropped while up") << true;
    }

    void aDialShowsEachStepAndWhatItDialledIsHungUp()
    {
        QFETCH(bool, lineDrops);
        dialHeld();
        QSignalSpy hungUp(m_session.get(), &DialSession::hangUpEnded);
        // The binding hears the device once it has read the activation: the
        // first step is said until it is heard.
        QTRY_VERIFY((m_nm.deviceState(40), m_view->lines.size() == 2));
        for (uint device : {50u, 70u})
            m_nm.deviceState(device);
        const QString active = m_nm.activeConnections().constFirst();
        m_nm.activeState(active, 2, 0);
        QTRY_COMPARE(m_view->ended, QList<bool>{true});
        const QStringList steps = {"通信ポートを初期化中", "通信ポートが正常にオープンされました",
                                   "Providerへ電話をかけています",
                                   "投影段階を開始しようとしています", "正常に接続しました"};
        QCOMPARE(m_view->lines, steps);
        QVERIFY(m_session->holdsConnection());
        // Up now: a cancel leaves it to the run's end.
        m_session->cancel();
        QCOMPARE(m_nm.activeConnections().size(), 1);
        if (lineDrops) {
            m_nm.activeState(active, 4, 0);
            QTRY_COMPARE(m_view->lines.constLast(), QStringLiteral("切断されました"));
        } else {
            m_session->hangUp();
        }
        QVERIFY(!m_session->holdsConnection());
        if (!lineDrops)
            QTRY_VERIFY(m_nm.activeConnections().isEmpty());
        QTRY_VERIFY(!m_session->isHangingUp());
        QCOMPARE(hungUp.size(), 1);
        QCOMPARE(m_view->ended, QList<bool>{true}); // said once
    }

    void aFailedDialEndsAsFailedAndTheNextDialTriesAgain_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("failure");
        QTest::newRow("refused by NetworkManager") << "Provider"
                                                   << "refuse" << NetworkManagerDialUp::kReasonBase;
        QTest::newRow("failing while activating")
            << "Provider"
            << "hold" << -1; // NetworkManager's reason, or "unknown" when read late
        QTest::newRow("no such profile") << "Nowhere"
                                         << "" << int(DialUpResult::EntryNotFound);
        QTest::newRow("no bus") << "Provider"
                                << "no bus" << int(DialUpResult::NotLoaded);
    }

    void aFailedDialEndsAsFailedAndTheNextDialTriesAgain()
    {
        QFETCH(QString, entry);
        QFETCH(QString, how);
        QFETCH(int, failure);
        NetworkManagerDialUp noBus{QDBusConnection(QString())};
        DialSession session(how == QLatin1String("no bus") ? noBus : *m_binding, *m_view);
        if (how == QLatin1String("refuse"))
            m_nm.refuseActivations();
        else if (how == QLatin1String("hold"))
            m_nm.holdActivations();
        for (int attempt = 1; attempt <= 2; ++attempt) {
            session.dial(entry);
            if (how == QLatin1String("hold")) {
                QTRY_COMPARE(m_nm.activeConnections().size(), attempt);
                m_nm.activeState(m_nm.activeConnections().constLast(), 4, 10);
            }
            QTRY_COMPARE(m_view->ended.size(), attempt);
            QCOMPARE(m_view->ended.constLast(), false);
            QCOMPARE(m_view->lines.constLast(), QStringLiteral("接続に失敗しました"));
            if (failure < 0)
                QVERIFY(session.failure() >= NetworkManagerDialUp::kReasonBase);
            else
                QCOMPARE(session.failure(), failure);
            QVERIFY(!session.holdsConnection());
            QCOMPARE(m_view->started, attempt);
            // The cancel button pressed after it: the run hears of no second end.
            session.cancel();
            QCOMPARE(m_view->ended.size(), attempt);
        }
    }

    void cancelWhileDiallingHangsUpAtOnce()
    {
        dialHeld();
        QCOMPARE(m_nm.activeConnections().size(), 1);
        m_session->cancel();
        QCOMPARE(m_view->ended, QList<bool>{false});
        QCOMPARE(m_session->failure(), 0);
        QTRY_VERIFY(m_nm.activeConnections().isEmpty());
        // Progress of the connection given up is not shown.
        m_nm.deviceState(40);
        QTest::qWait(200);
        QCOMPARE(m_view->lines, QStringList{QStringLiteral("通信ポートを初期化中")});
    }

    void aDialDuringAHangUpWaitsForIt_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::newRow("dialled once the hang-up is forgotten") << false;
        QTest::newRow("cancelled while waiting: no dial") << true;
    }

    void aDialDuringAHangUpWaitsForIt()
    {
        QFETCH(bool, cancelled);
        m_nm.ignoreDeactivations();
        m_session->hangUpWaitMs = 500;
        dialHeld();
        const int dialled = m_nm.activations();
        m_session->cancel();
        QVERIFY(m_session->isHangingUp());
        m_session->dial(QStringLiteral("Provider"));
        QVERIFY(m_session->isDialling());
        QCOMPARE(m_nm.activations(), dialled);
        QCOMPARE(m_view->started, 1);
        if (cancelled) {
            m_session->cancel();
            QCOMPARE(m_view->ended, (QList<bool>{false, false}));
        }
        QTRY_VERIFY(!m_session->isHangingUp());
        if (cancelled) {
            QTest::qWait(200);
            QCOMPARE(m_nm.activations(), dialled);
            QVERIFY(!m_session->isDialling());
            return;
        }
        QCOMPARE(m_view->started, 2);
        QCOMPARE(m_nm.activations(), dialled + 1);
        QTRY_COMPARE(m_nm.activeConnections().size(), 2);
        m_session->cancel();
    }
};

QTEST_GUILESS_MAIN(TestDial)
#include "tst_dial.moc"
