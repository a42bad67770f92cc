#include "main/WindowSendAllView.h"

#include "main/MainWindowHost.h"
#include "main/StatusDlg.h"
#include "resources/ResourceIds.h"
#include "ui/TemplateControls.h"
#include "ui/UiServices.h"

WindowSendAllView::WindowSendAllView(MainWindowHost &host, UiServices &ui)
    : m_host(host), m_ui(ui), m_run(*this, host.commonSettings())
{
}

WindowSendAllView::~WindowSendAllView() = default;

void WindowSendAllView::sendAll()
{
    m_run.sendAll();
}

void WindowSendAllView::closeStatusWindow()
{
    m_status.reset();
}

void WindowSendAllView::showStatus(bool withKeepConnection)
{
    using namespace StatusIds;
    if (!m_status)
        m_status = std::make_unique<CStatusDlg>(m_ui.dialUp(), m_run, &m_host.hostWidget());
    m_status->showControl(IDC_KEEPCONNECTION, false);
    m_status->show();
    m_status->showControl(IDC_CANCELSEND, true);
    if (withKeepConnection)
        m_status->showControl(IDC_KEEPCONNECTION, true);
}

void WindowSendAllView::setStatusLine1(const QString &text)
{
    if (m_status)
        m_status->SetStatusLine1(text);
}

void WindowSendAllView::setStatusLine2(const QString &text)
{
    if (m_status)
        m_status->SetStatusLine2(text);
}

void WindowSendAllView::disableRunButtons()
{
    using namespace MainIds;
    m_holdingButtons = true;
    m_host.controls().enable({IDC_CREATE, IDC_QUEUE, IDC_SENDALL}, false);
}

int WindowSendAllView::queuedCount() const
{
    return int(m_host.queuedCount());
}

void WindowSendAllView::recountQueued()
{
    // The run's end: the recount and the tab change give the buttons back.
    m_holdingButtons = false;
    m_host.RecountQueued();
}

void WindowSendAllView::runTabChange()
{
    m_host.runTabChange();
}

void WindowSendAllView::showMessage(const UserMessage &message)
{
    QWidget *parent = m_status && m_status->isVisible() ? static_cast<QWidget *>(m_status.get())
                                                        : &m_host.hostWidget();
    m_ui.showMessage(parent, message);
}

void WindowSendAllView::dial(const QByteArray &entry)
{
    if (!m_status)
        return;
    m_status->m_strEntry = QString::fromLocal8Bit(entry);
    postMessage(m_status.get(), SendMsg::Dial);
}

bool WindowSendAllView::keepConnection() const
{
    return m_status && m_status->m_nKeep != 0;
}

void WindowSendAllView::hangUp()
{
    if (m_status)
        m_status->OnHangUp();
}

void WindowSendAllView::hideCancelButton()
{
    if (m_status)
        m_status->showControl(StatusIds::IDC_CANCELSEND, false);
}

void WindowSendAllView::closeStatus()
{
    // Hidden, not destroyed: it keeps the connection it dialled.
    if (m_status)
        m_status->hide();
}
