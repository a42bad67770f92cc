#include "main/StatusDlg.h"

#include "resources/ResourceIds.h"
#include "send/SendMessages.h"

#include <QLabel>
#include <QPushButton>

using namespace StatusIds;

namespace {

// Controls below the first line, moved down when it grows.
constexpr int kBelowLine1[] = {IDC_STATUS2, IDC_KEEPCONNECTION, IDC_CANCELSEND};

} // namespace

CStatusDlg::CStatusDlg(DialUpBinding &dialUp, QObject &owner, QWidget *parent)
    : TemplateDialog(IDD_STATUS, parent), m_owner(owner), m_dial(dialUp, *this)
{
    for (int id : {IDC_STATUS1, IDC_STATUS2})
        item<QLabel>(id)->setWordWrap(true);
    m_line1Rect = control(IDC_STATUS1)->geometry();
    m_templateSize = size();
    onClicked(IDC_CANCELSEND, this, &CStatusDlg::OnCancelSend);
    onClicked(IDC_KEEPCONNECTION, this, &CStatusDlg::OnKeepConnection);
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
        m_dial.dial(m_strEntry); // 32771
        break;
    case SendMsg::HangUp:
        OnHangUp();
        break;
    default:
        break;
    }
    return true;
}

void CStatusDlg::dialStarted()
{
    m_nKeep = 0;
    ShowValues();
}

void CStatusDlg::setDialStatus(const QString &text)
{
    m_strStatus1 = text;
    ShowValues();
}

void CStatusDlg::dialEnded(bool ready)
{
    postMessage(&m_owner, SendMsg::DialResult, ready ? 1 : 0);
}

void CStatusDlg::OnHangUp()
{
    m_dial.hangUp();
}

void CStatusDlg::OnCancelSend()
{
    postMessage(&m_owner, SendMsg::RunCancel);
    m_dial.cancel();
}

void CStatusDlg::OnKeepConnection()
{
    TakeFieldValues();
}
