#include "dialogs/FetchSummaryDlg.h"

#include "resources/ResourceIds.h"

#include <QListWidget>

using namespace FetchSummaryIds;

CFetchSummaryDlg::CFetchSummaryDlg(QString counts, QList<FetchReportRow> rows, QWidget *parent)
    : TemplateDialog(IDD_FETCHSUMMARY, parent), m_counts(std::move(counts)), m_rows(std::move(rows))
{
    onClicked(IDC_UNSUBSCRIBE, this, [this] { OnHandOver(0); });
    onClicked(IDC_SUBSCRIBE, this, [this] { OnHandOver(1); });
    onClicked(IDC_RESULTS, this, [this] { choose(Action::Results); });
    onClicked(IDC_ROSTER, this, [this] { choose(Action::Roster); });
    connect(item<QListWidget>(IDC_ITEMS), &QListWidget::currentRowChanged, this,
            &CFetchSummaryDlg::OnSelectionChanged);
}

void CFetchSummaryDlg::OnInitDialog()
{
    setText(IDC_COUNTS, m_counts);
    auto *list = item<QListWidget>(IDC_ITEMS);
    for (const FetchReportRow &row : std::as_const(m_rows))
        list->addItem(row.text);
    OnSelectionChanged();
}

const FetchReportRow *CFetchSummaryDlg::selectedRow() const
{
    const int row = item<QListWidget>(IDC_ITEMS)->currentRow();
    return row >= 0 && row < m_rows.size() ? &m_rows.at(row) : nullptr;
}

void CFetchSummaryDlg::OnSelectionChanged()
{
    // A line leads to the one command its addresses are for.
    const FetchReportRow *row = selectedRow();
    enable(IDC_UNSUBSCRIBE, row && row->tab == 0);
    enable(IDC_SUBSCRIBE, row && row->tab == 1);
    enable(IDC_RESULTS, row && row->reply >= 0);
    enable(IDC_ROSTER, row && row->roster);
}

void CFetchSummaryDlg::OnHandOver(int tab)
{
    const FetchReportRow *row = selectedRow();
    if (row && row->tab == tab)
        choose(Action::HandOver);
}

void CFetchSummaryDlg::choose(Action action)
{
    const FetchReportRow *row = selectedRow();
    if (!row)
        return;
    m_action = action;
    m_chosen = *row;
    accept();
}
