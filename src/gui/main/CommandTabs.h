#pragma once

#include <QByteArrayList>
#include <QString>
#include <QStringList>

#include <optional>

class BounceTally;
class MainWindowHost;
class QWidget;
class TemplateControls;
class UiServices;

// The command tabs of the main window: the tab control 1037 with the label,
// field and buttons under it (1168, 1167, 1084, 1081, 1077), the create and
// queue buttons (1060, 1066), and what a handed-over file does on each tab.
// Every per-tab difference is a row of the command table (CommandTable.h).
class CommandTabs
{
public:
    CommandTabs(MainWindowHost &host, UiServices &ui);

    // Window start: the eight tab labels.
    void addTabs();
    // The tab shown; -1 when none is.
    int currentTab() const;
    // Selects a tab without running the tab-change handling.
    void selectTab(int tab);
    // The tab-change handling: applies the tab's row; the field starts empty
    // or, on the file tabs, with the selected list's file. The window's start,
    // its command line and the end of a send-all run call it too.
    void onTabChanged();
    // A list was selected (or none could be): the tab area's controls are
    // enabled with it, and a file tab shows the new list's file.
    void onListSelected(bool selected);
    // A file dropped on the window or named on the command line, with a list
    // selected: the address tabs read it for addresses into the field, the
    // config tab takes it as the list's config file; other tabs ignore it.
    void handleFile(const QString &path) { handleFiles({path}); }
    // Files dropped together: returned mails (files, folders, maildirs, mbox
    // files) are read together; another tab takes the first.
    void handleFiles(const QStringList &paths);
    // Shows the tab (with its tab-change handling) and puts the addresses,
    // joined by ",", into its field, as an extraction does.
    void fillAddresses(int tab, const QByteArray &addresses);

private:
    // Whether 1060 can be pressed: a list is selected and the tab needs no
    // field or the field holds text.
    bool createAllowed() const;
    void extractAddresses(const QStringList &paths);
    // The summary of many returned mails: the addresses the owner checked;
    // nothing when cancelled.
    std::optional<QByteArrayList> chooseBounces(BounceTally tally);
    void handOverConfig(const QString &path);
    // The handlers of the tab area's controls.
    void onArgumentChanged(); // 1167 text update
    void onCreate();          // 1060
    void onQueue();           // 1066
    void onExtract();         // 1084
    void onEdit();            // 1081
    void onBrowse();          // 1077
    void onRoster();          // 1190

    MainWindowHost &m_host;
    TemplateControls &m_controls;
    QWidget &m_widget;
    UiServices &m_ui;
    bool m_reading = false; // returned mails are being read
};
