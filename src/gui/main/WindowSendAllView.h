#pragma once

#include "send/SendAllRun.h"

#include <memory>

class CStatusDlg;
class MainWindowHost;
class UiServices;

// The main window's side of a send-all run: it starts the run from button
// 1070, gives it the window's buttons and count, and owns the modeless status
// window that accompanies it, created with the first run, hidden at the end
// of a run without errors and destroyed with the main window.
class WindowSendAllView : public SendAllView
{
public:
    WindowSendAllView(MainWindowHost &host, UiServices &ui);
    ~WindowSendAllView() override;

    // Button 1070: starts a run over the outgoing folder.
    void sendAll();
    // The main window ends: the status window goes with it.
    void closeStatusWindow();
    // Null while no run has opened it.
    CStatusDlg *statusWindow() const { return m_status.get(); }
    SendAllRun &run() { return m_run; }
    // True from the start of a run until its end gives the buttons back:
    // meanwhile nothing else may enable 1060, 1066 and 1070.
    bool holdsRunButtons() const { return m_holdingButtons; }

    // SendAllView
    void showStatus(bool withKeepConnection) override;
    void setStatusLine1(const QString &text) override;
    void setStatusLine2(const QString &text) override;
    void disableRunButtons() override;
    int queuedCount() const override;
    void recountQueued() override;
    void runTabChange() override;
    void showMessage(const UserMessage &message) override;
    void dial(const QByteArray &entry) override;
    bool keepConnection() const override;
    void hangUp() override;
    void hideCancelButton() override;
    void closeStatus() override;

private:
    MainWindowHost &m_host;
    UiServices &m_ui;
    std::unique_ptr<CStatusDlg> m_status;
    bool m_holdingButtons = false;
    // Last: it reads the members above until it is gone.
    SendAllRun m_run;
};
