#pragma once

#include "send/DialUpBinding.h"

#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>

// What a dial asks of the side that shows it: the status window in the
// program, a terminal in tavelin-cli.
class DialView
{
public:
    virtual ~DialView() = default;

    // A dial begins: at once, or once the hang-up it waited for is over.
    virtual void dialStarted() = 0;
    // The first status line: the dial's progress or outcome.
    virtual void setDialStatus(const QString &text) = 0;
    // The dial has ended, once per dial: the connection is ready (dialled,
    // or one was up already), or not.
    virtual void dialEnded(bool ready) = 0;
};

// The dial-up around a sending run: dials the entry unless a connection is
// up already, follows the dial's progress, hangs up only what it dialled and
// waits for that connection to go before it dials again. It advances by
// messages posted to itself and by a timer, never by waiting in a loop, so
// the thread that drives it stays responsive.
class DialSession : public QObject
{
    Q_OBJECT

public:
    DialSession(DialUpBinding &binding, DialView &view, QObject *parent = nullptr);

    // Dials `entry` (32771); the view hears dialEnded() when it has ended.
    void dial(const QString &entry);
    // Hangs up the connection this session dialled, if any (32773).
    void hangUp();
    // The cancel button: a dial under way, or a connection not yet ready,
    // is hung up and its dial ends as failed; a connection that is ready
    // stays up for the run's end to decide.
    void cancel();

    // From dial() until dialEnded() is said.
    bool isDialling() const { return m_dialling; }
    // True while a hang-up waits for the connection to be gone.
    bool isHangingUp() const { return m_hangingUp.handle != 0; }
    // True while the session holds a connection it dialled.
    bool holdsConnection() const { return m_ras.handle != 0; }
    // Why the last dial failed: the binding's result or progress error
    // (DialUpResult), 0 when it did not fail or was given up.
    int failure() const { return m_failure; }

    // A hang-up waits this long for the connection to go, then forgets it.
    // Test seam: tests shorten it.
    int hangUpWaitMs = 10000;

Q_SIGNALS:
    // A hang-up is over: the connection is gone, or was waited for long enough.
    void hangUpEnded();

protected:
    bool event(QEvent *event) override;

private:
    void onBindingProgress(quint32 handle, int state, int error);
    void onProgress(int state, int error); // 0x8006
    void finish(bool ready, int failure = 0);
    void pollHangUp();

    DialUpBinding &m_binding;
    DialView &m_view;
    QString m_entry;
    // The connection this session dialled.
    RasConnection m_ras;
    // False once a connection is ready: a cancel then leaves it up.
    bool m_hangUpOnCancel = true;
    // From a dial until its end is said.
    bool m_dialling = false;
    // The connection a hang-up waits on, and until when.
    RasConnection m_hangingUp;
    QDeadlineTimer m_hangUpDeadline;
    QTimer m_hangUpPoll;
    // A dial that came while a hang-up was still under way.
    bool m_dialAfterHangUp = false;
    int m_failure = 0;
};
