#pragma once

#include "store/MailingListEntry.h"

#include <QString>

struct CommonSettings;
class QWidget;
class TemplateControls;

// What a part of the main window (the command tabs, the send-all view, the
// server-reply handling) may ask of the window: its controls, the two
// exchanges and the two members the tab area shows, the register and the
// selected list, the dirty flag, the common settings, the queue count, and
// the handling the parts hand to each other. A part never
// sees the window class itself.
class MainWindowHost
{
public:
    // The window as a widget: the parent of the dialogs a part opens and the
    // context of the connections it makes.
    virtual QWidget &hostWidget() = 0;
    // The window's controls, by id.
    virtual TemplateControls &controls() = 0;

    // The two exchanges: controls into members, members into controls.
    virtual void TakeFieldValues() = 0;
    virtual void ShowValues() = 0;
    // The members of the command field (1167) and of its label (1168).
    virtual QString &argumentField() = 0;
    virtual void setLabelField(const QString &label) = 0;

    // The register in the selector's order.
    virtual const ListRegister &lists() const = 0;
    // Selects the list at that position, as a choice in the selector does.
    virtual void SelectList(int position) = 0;
    // Null when no list is selected.
    virtual MailingListEntry *selectedEntry() = 0;
    // The field of that id edits that file member of the selected list.
    virtual void updateEntryField(QByteArray MailingListEntry::*field, int id) = 0;
    virtual void raiseDirty() = 0;
    virtual const CommonSettings &commonSettings() const = 0;
    // Keeps new bounce thresholds in the window's settings and in the store;
    // a write that fails is shown.
    virtual void storeBounceThresholds(quint32 minDays, quint32 within) = 0;

    virtual quint32 queuedCount() const = 0;
    // Counts the outgoing folder again and enables the queue buttons by it.
    virtual void RecountQueued() = 0;
    // True while a send-all run holds the create and queue buttons.
    virtual bool runHoldsButtons() const = 0;
    // The command tab shown, and the tabs' tab-change handling.
    virtual int currentTab() const = 0;
    virtual void runTabChange() = 0;

protected:
    MainWindowHost() = default;
    ~MainWindowHost() = default;
    MainWindowHost(const MainWindowHost &) = delete;
    MainWindowHost &operator=(const MainWindowHost &) = delete;
};
