#include "main/StatusDlg.h"

#include "resources/ResourceIds.h"
#include "send/SendMessages.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

using namespace StatusIds;

namespace {

// Controls below the first line, moved down when it grows.
constexpr int kBelowLine1[] = {IDC_STATUS2, IDC_KEEPCONNECTION, IDC_CANCELSEND};
constexpr int kHangUpPollMs = 100;

} // namespace

CStatusDlg::CStatusDlg(DialUpBinding &dialUp, QObject &owner, QWidget *parent)
    : TemplateDialog(IDD_STATUS, parent), m_dialUp(dialUp), m_owner(owner)
{
    for (int id : {IDC_STATUS1, IDC_STATUS2})
        item<QLabel>(id)->setWordWrap(true);
    m_line1Rect = control(IDC_STATUS1)->geometry();
    m_templateSize = size();
    onClicked(IDC_CANCELSEND, this, &CStatusDlg::OnCancelSend);
    onClicked(IDC_KEEPCONNECTION, this, &CStatusDlg::OnKeepConnection);
    connect(&m_dialUp, &DialUpBinding::dialProgress, this, &CStatusDlg::onBindingProgress);
    m_hangUpPoll.setSingleShot(true);
    connect(&m_hangUpPoll, &QTimer::timeout, this, &CStatusDlg::pollHangUp);
}

void CStatusDlg::OnInitDialog()
{
    ShowValues();
}

void CStatusDlg::TakeFieldValues()
{
    m_strStatus1 = text(IDC_STATUS1);
    m_strStatus2 = text(IDC_STATUS2);
    m_nKeep = isChecked(IDC_KEEPCONNECTION) ? 1 : 0;
}

void CStatusDlg::ShowValues()
{
    setText(IDC_STATUS1, m_strStatus1);
    setText(IDC_STATUS2, m_strStatus2);
    setChecked(IDC_KEEPCONNECTION, m_nKeep != 0);
    fitStatusLines();
}

void CStatusDlg::fitStatusLines()
{
    // An error text of several lines is the one thing the owner must read
    // whole; the window grows for it rather than cut it off.
    auto *line1 = item<QLabel>(IDC_STATUS1);
    const int extra =
        std::max(0, line1->heightForWidth(m_line1Rect.width()) - m_line1Rect.height());
    const int moved = line1->height() - m_line1Rect.height();
    if (extra == moved)
        return;
    line1->resize(m_line1Rect.width(), m_line1Rect.height() + extra);
    for (int id : kBelowLine1)
        control(id)->move(control(id)->x(), control(id)->y() - moved + extra);
    setFixedSize(m_templateSize.width(), m_templateSize.height() + extra);
}

void CStatusDlg::SetStatusLine1(const QString &text)
{
    TakeFieldValues();
    m_strStatus1 = text;
    ShowValues();
}

void CStatusDlg::SetStatusLine2(const QString &text)
{
    TakeFieldValues();
    m_strStatus2 = text;
    ShowValues();
}

bool CStatusDlg::event(QEvent *event)
{
    if (event->type() != PostedMessageEvent::eventType())
        return TemplateDialog::event(event);
    const auto *message = static_cast<PostedMessageEvent *>(event);
    switch (message->message) {
    case SendMsg::SetStatusLine1:
    case SendMsg::SetStatusLine2:
        break; // sent, not posted: SetStatusLine1/2
    case SendMsg::Dial:
        OnDial();
        break;
    case SendMsg::HangUp:
        OnHangUp();
        break;
    case SendMsg::DialProgress:
        OnDialProgress(int(message->first), int(message->second));
        break;
    default:
        break;
    }
    return true;
}

void CStatusDlg::OnDial()
{
    m_dialling = true;
    if (isHangingUp()) {
        // The last connection is still going; dialling now would find it.
        m_dialAfterHangUp = true;
        return;
    }
    m_nHangUpOnCancel = 1;
    m_nKeep = 0;
    ShowValues();

    QList<ActiveConnection> up;
    if (m_dialUp.enumConnections(up) == DialUpResult::Ok && alreadyConnected(up, m_strEntry)) {
        m_strStatus1 = QCoreApplication::translate("CStatusDlg", "すでに接続されています");
        ShowValues();
        m_nHangUpOnCancel = 0;
        finishDial(true);
        return;
    }
    DialParams params;
    int result = m_dialUp.getEntryDialParams(m_strEntry, params);
    if (result == DialUpResult::Ok)
        result = m_dialUp.dial(params, m_ras);
    if (result != DialUpResult::Ok) {
        // Refused at once: no progress would ever follow, and the run would
        // wait for the dial for good.
        m_strStatus1 = QCoreApplication::translate("CStatusDlg", "接続に失敗しました");
        ShowValues();
        finishDial(false);
    }
}

void CStatusDlg::onBindingProgress(quint32 handle, int state, int error)
{
    // The service's notification only posts, as it would from its thread.
    if (handle != 0 && handle == m_ras.handle)
        postMessage(this, SendMsg::DialProgress, state, error);
}

void CStatusDlg::OnDialProgress(int state, int error)
{
    // Left over from a connection that was hung up in the meantime.
    if (m_ras.handle == 0)
        return;
    if (error != 0) {
        m_strStatus1 = QCoreApplication::translate("CStatusDlg", "接続に失敗しました");
        OnHangUp();
        finishDial(false);
    } else {
        const QString text = dialStateText(state, m_strEntry);
        if (!text.isNull())
            m_strStatus1 = text;
        if (state == DialUpState::Connected) {
            m_nHangUpOnCancel = 0;
            finishDial(true);
        } else if (state == DialUpState::Disconnected) {
            OnHangUp();
        }
    }
    ShowValues();
}

void CStatusDlg::finishDial(bool ready)
{
    if (!m_dialling)
        return;
    m_dialling = false;
    postMessage(&m_owner, SendMsg::DialResult, ready ? 1 : 0);
}

void CStatusDlg::OnHangUp()
{
    if (m_ras.handle == 0)
        return;
    m_hangingUp = m_ras;
    m_dialUp.hangUp(m_ras);
    m_ras = {};
    m_nHangUpOnCancel = 1;
    // Waits on a timer, never in a loop: the window goes on meanwhile.
    m_hangUpDeadline = QDeadlineTimer(hangUpWaitMs);
    pollHangUp();
}

void CStatusDlg::pollHangUp()
{
    int state = 0;
    const bool gone = m_dialUp.getConnectStatus(m_hangingUp, state) != DialUpResult::Ok;
    if (!gone && !m_hangUpDeadline.hasExpired()) {
        m_hangUpPoll.start(kHangUpPollMs);
        return;
    }
    // Gone, or a service that never says so: the handle is forgotten.
    m_hangingUp = {};
    if (m_dialAfterHangUp) {
        m_dialAfterHangUp = false;
        OnDial();
    }
}

void CStatusDlg::OnCancelSend()
{
    postMessage(&m_owner, SendMsg::RunCancel);
    if (m_nHangUpOnCancel != 1)
        return; // a connection that is up stays up
    m_dialAfterHangUp = false;
    OnHangUp();
    // A dial given up ends the dialling, or the run would wait for it and
    // refuse every later send-all.
    finishDial(false);
}

void CStatusDlg::OnKeepConnection()
{
    TakeFieldValues();
}
