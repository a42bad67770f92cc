#include "dialogs/ReplyResultsDlg.h"

#include "resources/ResourceIds.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QLocale>

using namespace ReplyResultsIds;

CReplyResultsDlg::CReplyResultsDlg(QWidget *parent) : TemplateDialog(IDD_REPLYRESULTS, parent)
{
    connect(item<QListWidget>(IDC_COMMANDS), &QListWidget::currentRowChanged, this,
            &CReplyResultsDlg::OnSelchange);
}

bool CReplyResultsDlg::passwordFailed() const
{
    return std::any_of(m_reply.commands.cbegin(), m_reply.commands.cend(),
                       [](const ReplyCommand &c) { return c.reason == ReplyReason::Password; });
}

QString CReplyResultsDlg::rowText(const ReplyCommand &command)
{
    // clang-format off
    const char *mark = command.status == ReplyStatus::Ok      ? "○"
                     : command.status == ReplyStatus::Failed  ? "×"
                     : command.status == ReplyStatus::Pending ? "△"
                                                              : "－";
    // clang-format on
    QString text =
        QString::fromUtf8(mark) + QLatin1Char(' ') +
        (command.line.isEmpty() ? QCoreApplication::translate("CReplyResultsDlg", "(ｺﾏﾝﾄﾞなし)")
                                : QString::fromLocal8Bit(command.line));
    QString why = ReplyReasonText(command.reason);
    if (command.status == ReplyStatus::Pending)
        why = QCoreApplication::translate("CReplyResultsDlg", "承認または確認待ちです");
    else if (command.status == ReplyStatus::NotRun)
        why = QCoreApplication::translate("CReplyResultsDlg", "実行されていません");
    if (!why.isEmpty())
        text += QStringLiteral("  ―  ") + why;
    return text;
}

void CReplyResultsDlg::OnInitDialog()
{
    setText(IDC_LIST, m_strList);
    setText(IDC_DATE, m_reply.date.isValid()
                          ? QLocale().toString(m_reply.date.toLocalTime(), QLocale::ShortFormat)
                          : QString());
    auto *rows = item<QListWidget>(IDC_COMMANDS);
    rows->setUniformItemSizes(true);
    for (const ReplyCommand &command : m_reply.commands)
        rows->addItem(rowText(command));
    QStringList notes = m_notes;
    if (passwordFailed())
        notes.prepend(QCoreApplication::translate(
            "CReplyResultsDlg", "ﾊﾟｽﾜｰﾄﾞが違います。管理ﾊﾟｽﾜｰﾄﾞ欄を確かめてください"));
    setText(IDC_NOTE, notes.join(QLatin1Char('\n')));
    if (rows->count() > 0)
        rows->setCurrentRow(0);
}

void CReplyResultsDlg::OnSelchange()
{
    const int row = item<QListWidget>(IDC_COMMANDS)->currentRow();
    if (row < 0 || row >= m_reply.commands.size()) {
        setText(IDC_TEXT, QString());
        return;
    }
    const ReplyCommand &command = m_reply.commands.at(row);
    QString text = QString::fromLocal8Bit(command.serverLines.join('\n'));
    if (command.who && command.who->serverCount >= 0)
        text += QLatin1Char('\n') +
                QCoreApplication::translate("CReplyResultsDlg", "(会員 %1 行、うちｱﾄﾞﾚｽ %2)")
                    .arg(command.who->lines)
                    .arg(command.who->valid);
    if (command.linesCut)
        text += QLatin1Char('\n') + QCoreApplication::translate("CReplyResultsDlg", "(以下省略)");
    setText(IDC_TEXT, text);
}
