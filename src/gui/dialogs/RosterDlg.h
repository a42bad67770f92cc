#pragma once

#include "commands/Roster.h"
#include "ui/TemplateDialog.h"

#include <QByteArrayList>

#include <optional>

class UiServices;

// A list's stored member roster: its count and date, a search, the members
// or who joined or left since the roster before, CSV export, and the hand-
// over of chosen addresses to the forced-unsubscribe command.
class CRosterDlg : public TemplateDialog
{
    Q_OBJECT

public:
    // The filter entries of 1198, in order.
    enum Filter
    {
        All,
        Joined,
        Left
    };

    CRosterDlg(UiServices &ui, QWidget *parent = nullptr);

    Roster m_roster;
    std::optional<Roster> m_previous;
    // Set when the owner chose to unsubscribe addresses: the dialog then ends
    // accepted and the window fills the forced-unsubscribe field.
    QByteArrayList m_unsubscribe;

    // The members the list shows now, in its order.
    const QList<RosterMember> &shown() const { return m_shown; }

protected:
    void OnInitDialog() override;

private:
    void OnFilter();
    void OnSelchange();
    void OnExport();
    void OnUnsubscribe();

    UiServices &m_ui;
    QList<RosterMember> m_shown;
};
