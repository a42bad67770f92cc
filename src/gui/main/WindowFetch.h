#pragma once

#include "fetch/FetchWorker.h"

#include <QObject>

#include <memory>

class CStatusDlg;
class CommandTabs;
class MainWindowHost;
class UiServices;

// The main window's fetch from the owner's mailbox (button 1071): the fetch
// runs on a worker thread with its progress in a status window of its own
// and cancel there; at its end a summary from which the owner hands the
// addresses of a line to the forced-unsubscribe or forced-subscribe tab.
class WindowFetch : public QObject
{
    Q_OBJECT

public:
    WindowFetch(MainWindowHost &window, CommandTabs &tabs, UiServices &ui);
    ~WindowFetch() override;

    // Button 1071: starts a fetch with the stored settings.
    void fetch();
    // The main window ends: a running fetch is cancelled, the status window goes.
    void closeStatusWindow();
    // Null while no fetch has opened it.
    CStatusDlg *statusWindow() const { return m_status.get(); }
    FetchWorker &worker() { return m_worker; }
    // Test seam: how long each network wait may take.
    ImapDeadlines deadlines;

protected:
    // The status window's cancel (1185).
    bool event(QEvent *event) override;

private:
    void onFinished(const FetchSummary &summary);

    MainWindowHost &m_window;
    CommandTabs &m_tabs;
    UiServices &m_ui;
    std::unique_ptr<CStatusDlg> m_status;
    ListRegister m_lists; // the register the running fetch sorts by
    FetchWorker m_worker;
};
