#pragma once

#include "main/CommandTabs.h"
#include "main/MainWindowHost.h"
#include "main/WindowFetch.h"
#include "main/WindowSendAllView.h"
#include "store/CommonSettings.h"
#include "store/MailingListEntry.h"
#include "ui/TemplateDialog.h"

#include <QStringList>

class QMenu;
class UiServices;

// The main window: the register of lists in its selector, the selected list's
// administration fields, the command tabs and the queue buttons. The program
// lives as long as this window. The command tabs and the send-all run are
// collaborators of their own; the common settings sheet runs through
// UiServices like every dialog.
class CTavelinDlg : public TemplateDialog, public MainWindowHost
{
    Q_OBJECT

public:
    // arguments: the program's command line, the program name first.
    CTavelinDlg(UiServices &ui, QStringList arguments, QWidget *parent = nullptr);
    ~CTavelinDlg() override;

    // Selects the list at that position of the selector and sets the window's
    // state; a position that cannot be selected leaves the no-list state.
    void SelectList(int position) override;
    // Acts on a file dropped on the window or named on the command line.
    void HandleMailFile(const QString &path);
    // The files of one drop, in the order the file manager gave them.
    void OnDropFiles(const QStringList &paths);
    // System-menu commands; IDM_ABOUTBOX opens the version box.
    void OnSysCommand(int id);
    // The menu that holds the system-menu item (shown on the window's
    // background, as X11 and Wayland have no system menu to extend).
    QMenu *systemMenu() const { return m_systemMenu; }

    // MainWindowHost
    QWidget &hostWidget() override { return *this; }
    TemplateControls &controls() override { return *this; }
    void TakeFieldValues() override;
    void ShowValues() override;
    QString &argumentField() override { return m_strArgument; }
    void setLabelField(const QString &label) override { m_strLabel = label; }
    MailingListEntry *selectedEntry() override;
    void updateEntryField(QByteArray MailingListEntry::*field, int id) override;
    void raiseDirty() override;
    const CommonSettings &commonSettings() const override { return m_settings; }
    void storeBounceThresholds(quint32 minDays, quint32 within) override;
    quint32 queuedCount() const override { return m_nCount; }
    void RecountQueued() override;
    bool runHoldsButtons() const override { return m_sending.holdsRunButtons(); }
    int currentTab() const override { return m_tabs.currentTab(); }
    void runTabChange() override { m_tabs.onTabChanged(); }

    // The register in the selector's order, each entry's record kept current.
    const ListRegister &lists() const override { return m_lists; }
    int selectedPosition() const { return m_nSel; }
    bool isDirty() const;
    CommandTabs &commandTabs() { return m_tabs; }
    WindowSendAllView &sending() { return m_sending; }
    WindowFetch &fetching() { return m_fetching; }
    // The dial-up entries the common settings offer; empty without the service.
    QStringList dialUpEntries();

    // Handlers of the window's own buttons.
    void OnAddList();
    void OnRenameList();
    void OnDeleteList();
    void OnSelchangeList();
    void OnSaveSettings();
    void OnCommonSettings();

protected:
    void OnInitDialog() override;
    void done(int result) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    bool TakeCommandLine();
    // SaveRegister, and on failure the reason in a message box and the dirty
    // flag raised, so the owner can save again.
    bool SaveRegisterOrSayWhy();
    void ShowSaveFailure(const QString &reason);
    void OnDestroy();

    UiServices &m_ui;
    CommonSettings m_settings;

    // Members bound to controls.
    QString m_strAddress;  // 1019
    QString m_strListName; // 1023
    QString m_strPasswd;   // 1028
    QString m_strArgument; // 1167
    QString m_strLabel;    // 1168
    quint32 m_nCount = 0;  // 1063
    int m_nSel = -1;       // 1004

    QStringList m_arguments;
    ListRegister m_lists;
    CommandTabs m_tabs;
    WindowSendAllView m_sending;
    WindowFetch m_fetching;
    QMenu *m_systemMenu = nullptr;
    bool m_destroyed = false;
    // Why the store could not be read at start; while set, it is never written.
    QString m_storeError;
};
