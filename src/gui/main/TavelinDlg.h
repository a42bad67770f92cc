#pragma once

#include "main/CommandTabs.h"
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
class CTavelinDlg : public TemplateDialog
{
    Q_OBJECT

public:
    // arguments: the program's command line, the program name first.
    CTavelinDlg(UiServices &ui, QStringList arguments, QWidget *parent = nullptr);
    ~CTavelinDlg() override;

    // Selects the list at that position of the selector and sets the window's
    // state; a position that cannot be selected leaves the no-list state.
    void SelectList(int position);
    // Acts on a file dropped on the window or named on the command line.
    void HandleMailFile(const QString &path);
    // The files of one drop, in the order the file manager gave them.
    void OnDropFiles(const QStringList &paths);
    // System-menu commands; IDM_ABOUTBOX opens the version box.
    void OnSysCommand(int id);
    // The menu that holds the system-menu item (shown on the window's
    // background, as X11 and Wayland have no system menu to extend).
    QMenu *systemMenu() const { return m_systemMenu; }

    // The two exchanges: controls into members, members into controls.
    void TakeFieldValues();
    void ShowValues();

    const CommonSettings &commonSettings() const { return m_settings; }
    // The register in the selector's order, each entry's record kept current.
    const ListRegister &lists() const { return m_lists; }
    int selectedPosition() const { return m_nSel; }
    // Null when no list is selected.
    MailingListEntry *selectedEntry();
    quint32 queuedCount() const { return m_nCount; }
    bool isDirty() const;
    void raiseDirty();
    CommandTabs &commandTabs() { return m_tabs; }
    WindowSendAllView &sending() { return m_sending; }
    WindowFetch &fetching() { return m_fetching; }
    // The dial-up entries the common settings offer; empty without the service.
    QStringList dialUpEntries();

    // Counts the created mails in the outgoing folder and enables the queue
    // buttons by the count.
    void RecountQueued();

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

private:
    friend class CommandTabs; // works on the command field's member

    bool TakeCommandLine();
    void OnUpdateField(QByteArray MailingListEntry::*field, int id);
    // SaveRegister, and on failure the reason in a message box and the dirty
    // flag raised, so the owner can save again.
    bool SaveRegisterOrSayWhy();
    void ShowSaveFailure(const QString &reason);
    void OnDestroy();

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
