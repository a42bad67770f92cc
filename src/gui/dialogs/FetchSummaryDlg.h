#pragma once

#include "fetch/FetchReport.h"
#include "ui/TemplateDialog.h"

#include <optional>

// The summary at the end of a fetch (template 137): the counts, one line per
// thing the owner may act on, and two buttons that hand the selected line's
// addresses to the forced-unsubscribe or forced-subscribe tab.
class CFetchSummaryDlg : public TemplateDialog
{
    Q_OBJECT

public:
    CFetchSummaryDlg(QString counts, QList<FetchReportRow> rows, QWidget *parent = nullptr);

    // What the owner chose to do with a line, once a button ended the dialog.
    enum class Action
    {
        None,
        HandOver, // its addresses to the row's command tab
        Results,  // the results window of its reply
        Roster,   // its list's roster
    };
    Action m_action = Action::None;
    std::optional<FetchReportRow> m_chosen;

protected:
    void OnInitDialog() override;

private:
    void OnSelectionChanged();
    void OnHandOver(int tab);
    void choose(Action action);
    const FetchReportRow *selectedRow() const;

    QString m_counts;
    QList<FetchReportRow> m_rows;
};
