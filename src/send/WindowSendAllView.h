#pragma once

#include <memory>

class CTavelinDlg;
class QDialog;
class UiServices;

// The main window's side of a send-all run: it starts the run from button
// 1070 and owns the modeless status window that accompanies it, created with
// the first run and destroyed with the main window.
class WindowSendAllView
{
public:
    WindowSendAllView(CTavelinDlg &window, UiServices &ui);
    ~WindowSendAllView();

    // Button 1070: starts a run over the outgoing folder.
    void sendAll();
    // The main window ends: the status window goes with it.
    void closeStatusWindow();
    // Null while no run has opened it.
    QDialog *statusWindow() const { return m_status.get(); }

private:
    CTavelinDlg &m_window;
    UiServices &m_ui;
    std::unique_ptr<QDialog> m_status;
};
