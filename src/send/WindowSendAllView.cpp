#include "WindowSendAllView.h"

#include <QDialog>

WindowSendAllView::WindowSendAllView(CTavelinDlg &window, UiServices &ui)
    : m_window(window), m_ui(ui)
{
}

WindowSendAllView::~WindowSendAllView() = default;

void WindowSendAllView::sendAll()
{
    // The run over the outgoing folder and its status window come here.
}

void WindowSendAllView::closeStatusWindow()
{
    m_status.reset();
}
