#include "send/DialSession.h"

#include "send/SendMessages.h"

#include <QCoreApplication>

namespace {

constexpr int kHangUpPollMs = 100;

QString failedText()
{
    return QCoreApplication::translate("DialSession", "接続に失敗しました");
}

} // namespace

DialSession::DialSession(DialUpBinding &binding, DialView &view, QObject *parent)
    : QObject(parent), m_binding(binding), m_view(view)
{
    connect(&m_binding, &DialUpBinding::dialProgress, this, &DialSession::onBindingProgress);
    m_hangUpPoll.setSingleShot(true);
    connect(&m_hangUpPoll, &QTimer::timeout, this, &DialSession::pollHangUp);
}

bool DialSession::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return QObject::event(event);
    const auto *message = static_cast<PostedMessageEvent *>(event);
    if (message->message == SendMsg::DialProgress)
        onProgress(int(message->first), int(message->second));
    return true;
}

void DialSession::dial(const QString &entry)
{
    m_entry = entry;
    m_dialling = true;
    if (isHangingUp()) {
        // The last connection is still going; dialling now would find it.
        m_dialAfterHangUp = true;
        return;
    }
    m_hangUpOnCancel = true;
    m_view.dialStarted();

    QList<ActiveConnection> up;
    if (m_binding.enumConnections(up) == DialUpResult::Ok && alreadyConnected(up, m_entry)) {
        m_view.setDialStatus(QCoreApplication::translate("DialSession", "すでに接続されています"));
        m_hangUpOnCancel = false;
        finish(true);
        return;
    }
    DialParams params;
    int result = m_binding.getEntryDialParams(m_entry, params);
    if (result == DialUpResult::Ok)
        result = m_binding.dial(params, m_ras);
    if (result != DialUpResult::Ok) {
        // Refused at once: no progress would ever follow, and the run would
        // wait for the dial for good.
        m_view.setDialStatus(failedText());
        finish(false, result);
    }
}

void DialSession::onBindingProgress(quint32 handle, int state, int error)
{
    // The service's notification only posts, as it would from its thread.
    if (handle != 0 && handle == m_ras.handle)
        postMessage(this, SendMsg::DialProgress, state, error);
}

void DialSession::onProgress(int state, int error)
{
    // Left over from a connection that was hung up in the meantime.
    if (m_ras.handle == 0)
        return;
    if (error != 0) {
        m_view.setDialStatus(failedText());
        hangUp();
        finish(false, error);
        return;
    }
    const QString text = dialStateText(state, m_entry);
    if (!text.isNull())
        m_view.setDialStatus(text);
    if (state == DialUpState::Connected) {
        m_hangUpOnCancel = false;
        finish(true);
    } else if (state == DialUpState::Disconnected) {
        hangUp();
    }
}

void DialSession::finish(bool ready, int failure)
{
    if (!m_dialling)
        return;
    m_dialling = false;
    m_failure = failure;
    m_view.dialEnded(ready);
}

void DialSession::hangUp()
{
    if (m_ras.handle == 0)
        return;
    m_hangingUp = m_ras;
    m_binding.hangUp(m_ras);
    m_ras = {};
    m_hangUpOnCancel = true;
    // Waits on a timer, never in a loop: the caller goes on meanwhile.
    m_hangUpDeadline = QDeadlineTimer(hangUpWaitMs);
    pollHangUp();
}

void DialSession::pollHangUp()
{
    int state = 0;
    const bool gone = m_binding.getConnectStatus(m_hangingUp, state) != DialUpResult::Ok;
    if (!gone && !m_hangUpDeadline.hasExpired()) {
        m_hangUpPoll.start(kHangUpPollMs);
        return;
    }
    // Gone, or a service that never says so: the handle is forgotten.
    m_hangingUp = {};
    Q_EMIT hangUpEnded();
    if (m_dialAfterHangUp) {
        m_dialAfterHangUp = false;
        dial(m_entry);
    }
}

void DialSession::cancel()
{
    if (!m_hangUpOnCancel)
        return; // a connection that is up stays up
    m_dialAfterHangUp = false;
    hangUp();
    // A dial given up ends the dialling, or the run would wait for it and
    // refuse every later send-all.
    finish(false);
}
