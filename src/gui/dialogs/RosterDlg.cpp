#include "dialogs/RosterDlg.h"

#include "resources/ResourceIds.h"
#include "store/SafeFile.h"
#include "ui/UiServices.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>

using namespace RosterIds;

CRosterDlg::CRosterDlg(UiServices &ui, QWidget *parent)
    : TemplateDialog(IDD_ROSTER, parent), m_ui(ui)
{
    auto *members = item<QListWidget>(IDC_MEMBERS);
    members->setSelectionMode(QAbstractItemView::ExtendedSelection);
    members->setUniformItemSizes(true);
    connect(members, &QListWidget::itemSelectionChanged, this, &CRosterDlg::OnSelchange);
    connect(item<QLineEdit>(IDC_SEARCH), &QLineEdit::textChanged, this, &CRosterDlg::OnFilter);
    connect(item<QComboBox>(IDC_FILTER), &QComboBox::currentIndexChanged, this,
            &CRosterDlg::OnFilter);
    onClicked(IDC_EXPORT, this, &CRosterDlg::OnExport);
    onClicked(IDC_UNSUBSCRIBE, this, &CRosterDlg::OnUnsubscribe);
}

void CRosterDlg::OnInitDialog()
{
    const QString date = m_roster.date.isValid()
                             ? QLocale().toString(m_roster.date.toLocalTime(), QLocale::ShortFormat)
                             : QString();
    setText(IDC_SUMMARY, tr("会員 %1 名（ｻｰﾊﾞｰの数 %2）  %3 現在")
                             .arg(m_roster.validCount())
                             .arg(m_roster.serverCount)
                             .arg(date));
    auto *filter = item<QComboBox>(IDC_FILTER);
    const QSignalBlocker blocker(filter);
    filter->addItems({tr("全員"), tr("前回から入会"), tr("前回から退会")});
    // Without a roster before, nobody joined or left that could be shown.
    filter->setEnabled(m_previous.has_value());
    filter->setCurrentIndex(All);
    OnFilter();
}

void CRosterDlg::OnFilter()
{
    const int filter = item<QComboBox>(IDC_FILTER)->currentIndex();
    const QList<RosterMember> *source = &m_roster.members;
    QList<RosterMember> changed;
    if (filter != All && m_previous) {
        changed = filter == Joined ? JoinedSince(*m_previous, m_roster)
                                   : JoinedSince(m_roster, *m_previous);
        source = &changed;
    }
    const QString needle = text(IDC_SEARCH).trimmed();
    m_shown.clear();
    auto *list = item<QListWidget>(IDC_MEMBERS);
    list->clear();
    QStringList rows;
    for (const RosterMember &member : *source) {
        const QString line = QString::fromLocal8Bit(member.line);
        if (!needle.isEmpty() && !line.contains(needle, Qt::CaseInsensitive))
            continue;
        m_shown.append(member);
        const QString address = member.valid ? QString::fromLocal8Bit(member.address) : QString();
        rows.append(address == line || address.isEmpty() ? line
                                                         : address + QStringLiteral("    ") + line);
    }
    list->addItems(rows);
    enable(IDC_UNSUBSCRIBE, false);
}

void CRosterDlg::OnSelchange()
{
    const auto selected = item<QListWidget>(IDC_MEMBERS)->selectionModel()->selectedRows();
    enable(IDC_UNSUBSCRIBE, std::any_of(selected.cbegin(), selected.cend(), [this](const auto &i) {
               return m_shown.value(i.row()).valid;
           }));
}

void CRosterDlg::OnExport()
{
    const std::optional<QString> path = m_ui.openFileName(
        this,
        {tr("CSV出力"), QStringLiteral("csv"), QStringLiteral("members.csv"),
         tr("CSVﾌｧｲﾙ (*.csv)|*.csv|全てのﾌｧｲﾙ (*.*)|*.*||"),
         FileDialogFlag::HideReadOnly | FileDialogFlag::OverwritePrompt | FileDialogFlag::Save});
    if (!path)
        return;
    // What the list shows is what goes out: the filter and search apply.
    if (const QString failed = SafeFile::replaceWhole(*path, RosterCsv(m_shown)); !failed.isEmpty())
        m_ui.messageBox(this, QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(*path), failed),
                        tr("CSV出力"), MessageButtons::Ok, MessageIcon::Stop);
}

void CRosterDlg::OnUnsubscribe()
{
    auto rows = item<QListWidget>(IDC_MEMBERS)->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    m_unsubscribe.clear();
    for (const QModelIndex &row : rows) {
        const RosterMember member = m_shown.value(row.row());
        if (member.valid)
            m_unsubscribe.append(member.address);
    }
    if (!m_unsubscribe.isEmpty())
        accept();
}
