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

    // The line whose addresses the owner handed over, once a button ended
    // the dialog with it.
    std::optional<FetchReportRow> m_handOver;

protected:
    void OnInitDialog() override;

private:
    void OnSelectionChanged();
    void OnHandOver(int tab);
    const FetchReportRow *selectedRow() const;

    QString m_counts;
    QList<FetchReportRow> m_rows;
};
