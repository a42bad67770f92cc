#include "dialogs/BounceSummaryDlg.h"

#include "resources/ResourceIds.h"
#include "ui/FieldBinding.h"
#include "ui/UiServices.h"
#include "ui/UpDownControl.h"

#include <QLineEdit>
#include <QSet>
#include <QTreeWidget>

using namespace BounceSummaryIds;

namespace {

// Which row an item stands for: its address's bytes, as the tally keeps them.
constexpr int kAddressRole = Qt::UserRole;

std::optional<int> days(const QString &text)
{
    const std::optional<qint64> value = parseFieldInteger(text, 1, kBounceDaysMax);
    return value ? std::optional<int>(int(*value)) : std::nullopt;
}

} // namespace

CBounceSummaryDlg::CBounceSummaryDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_BOUNCESUMMARY, parent), m_ui(ui)
{
    for (const int spin : {IDC_MINDAYS_SPIN, IDC_WITHIN_SPIN})
        item<UpDownControl>(spin)->setRange(1, int(kBounceDaysMax));
    for (const int field : {IDC_MINDAYS, IDC_WITHIN})
        connect(item<QLineEdit>(field), &QLineEdit::textChanged, this,
                &CBounceSummaryDlg::OnThresholdChanged);
    QTreeWidget *list = rows();
    list->setHeaderLabels({tr("ｱﾄﾞﾚｽ"), tr("回数"), tr("日数"), tr("最終日"), tr("理由")});
    const DialogBaseUnits base = baseUnits();
    // Room for an address, two counts, a date; the reason takes the rest.
    const int widths[] = {128, 30, 24, 46};
    for (int column = Address; column < Reason; ++column)
        list->setColumnWidth(column, widths[column] * base.x / 4);
    connect(list, &QTreeWidget::itemChanged, this, &CBounceSummaryDlg::showCounts);
    onClicked(IDC_CHECKALL, this, [this] { checkAll(true); });
    onClicked(IDC_UNCHECKALL, this, [this] { checkAll(false); });
}

QTreeWidget *CBounceSummaryDlg::rows() const
{
    return item<QTreeWidget>(IDC_ADDRESSES);
}

void CBounceSummaryDlg::OnInitDialog()
{
    QTreeWidget *list = rows();
    {
        const QSignalBlocker blocker(list);
        list->clear();
        for (const AddressBounces &row : m_tally.report()) {
            auto *line = new QTreeWidgetItem(list);
            line->setText(Address, QString::fromLocal8Bit(row.address));
            line->setText(Reports, QString::number(row.reports));
            line->setText(Days, QString::number(row.days));
            line->setText(Last, row.last.isValid() ? row.last.toString(Qt::ISODate)
                                                   : QStringLiteral("-"));
            line->setText(Reason, QString::fromLocal8Bit(row.reason));
            for (const int column : {Reports, Days})
                line->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
            line->setData(Address, kAddressRole, row.address);
            line->setFlags(line->flags() | Qt::ItemIsUserCheckable);
        }
        if (list->topLevelItemCount() > 0)
            list->setCurrentItem(list->topLevelItem(0));
    }
    // Showing the stored thresholds checks the rows by them.
    setText(IDC_MINDAYS, QString::number(CommonSettings::boundedDays(m_nMinDays)));
    setText(IDC_WITHIN, QString::number(CommonSettings::boundedDays(m_nWithin)));
    OnThresholdChanged();
}

void CBounceSummaryDlg::OnThresholdChanged()
{
    const std::optional<int> minDays = days(text(IDC_MINDAYS));
    const std::optional<int> within = days(text(IDC_WITHIN));
    // A threshold being typed (empty, or out of range) checks nothing anew.
    if (!minDays || !within)
        return;
    QSet<QByteArray> over;
    for (const QByteArray &address : m_tally.addresses({*minDays, *within}))
        over.insert(address);
    QTreeWidget *list = rows();
    {
        const QSignalBlocker blocker(list);
        for (int i = 0; i < list->topLevelItemCount(); ++i) {
            QTreeWidgetItem *line = list->topLevelItem(i);
            line->setCheckState(Address,
                                over.contains(line->data(Address, kAddressRole).toByteArray())
                                    ? Qt::Checked
                                    : Qt::Unchecked);
        }
    }
    showCounts();
}

void CBounceSummaryDlg::checkAll(bool on)
{
    QTreeWidget *list = rows();
    {
        const QSignalBlocker blocker(list);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            list->topLevelItem(i)->setCheckState(Address, on ? Qt::Checked : Qt::Unchecked);
    }
    showCounts();
}

void CBounceSummaryDlg::showCounts()
{
    const QTreeWidget *list = rows();
    int checked = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        checked += list->topLevelItem(i)->checkState(Address) == Qt::Checked ? 1 : 0;
    setText(IDC_COUNTS, tr("ﾒｰﾙ %1 通  ｱﾄﾞﾚｽ %2 件  ﾁｪｯｸ %3 件")
                            .arg(m_tally.mailCount())
                            .arg(list->topLevelItemCount())
                            .arg(checked));
}

void CBounceSummaryDlg::OnOK()
{
    for (const int field : {IDC_MINDAYS, IDC_WITHIN}) {
        if (!days(text(field))) {
            m_ui.messageBox(this,
                            tr("1 から %1 までの日数を入力してください。").arg(kBounceDaysMax),
                            QString(), MessageButtons::Ok, MessageIcon::Warning);
            control(field)->setFocus();
            return;
        }
    }
    m_nMinDays = quint32(*days(text(IDC_MINDAYS)));
    m_nWithin = quint32(*days(text(IDC_WITHIN)));
    QSet<QByteArray> checked;
    const QTreeWidget *list = rows();
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem *line = list->topLevelItem(i);
        if (line->checkState(Address) == Qt::Checked)
            checked.insert(line->data(Address, kAddressRole).toByteArray());
    }
    m_checked.clear();
    for (const QByteArray &address : m_tally.addresses())
        if (checked.contains(address))
            m_checked.append(address);
    accept();
}
