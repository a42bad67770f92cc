#include "fetch/FetchReport.h"

#include <QCoreApplication>

namespace {

QString titleOf(const ListRegister &lists, int list)
{
    return list >= 0 && list < lists.size()
               ? QString::fromLocal8Bit(lists.at(list).Title)
               : QCoreApplication::translate("FetchReport", "(登録外のﾘｽﾄ)");
}

QString joined(const QByteArrayList &addresses)
{
    return QString::fromLocal8Bit(addresses.join(", "));
}

} // namespace

QString FetchCountsText(const FetchSummary &summary)
{
    QString text =
        QCoreApplication::translate(
            "FetchReport", "%1通受信 (返信 %2、ｴﾗｰﾒｰﾙ %3、承認依頼 %4、通知 %5、その他 %6)")
            .arg(summary.read)
            .arg(summary.count(MailKind::Reply))
            .arg(summary.count(MailKind::Bounce))
            .arg(summary.count(MailKind::Approval))
            .arg(summary.count(MailKind::Notice))
            .arg(summary.count(MailKind::Other));
    if (summary.known > 0)
        text += QCoreApplication::translate("FetchReport", "、既読 %1通").arg(summary.known);
    if (summary.moved > 0)
        text += QCoreApplication::translate("FetchReport", "、移動 %1通").arg(summary.moved);
    return text;
}

QList<FetchReportRow> FetchReportRows(const FetchSummary &summary, const ListRegister &lists)
{
    QList<FetchReportRow> rows;
    auto replies = [&](bool failed) {
        for (qsizetype i = 0; i < summary.replies.size(); ++i) {
            const FetchedMail &mail = summary.replies.at(i);
            if (mail.sorted.reply.allOk() == failed)
                continue;
            FetchReportRow row;
            row.text = (failed ? QCoreApplication::translate("FetchReport", "返信(失敗あり) %1: %2")
                               : QCoreApplication::translate("FetchReport", "返信 %1: %2"))
                           .arg(titleOf(lists, mail.sorted.list), mail.sorted.subject);
            row.list = mail.sorted.list;
            row.reply = int(i);
            rows.append(row);
        }
    };
    replies(true);
    for (const QString &title : summary.rostersChanged) {
        FetchReportRow row;
        row.text = QCoreApplication::translate("FetchReport", "ﾒﾝﾊﾞｰ更新 %1").arg(title);
        for (qsizetype i = 0; i < lists.size() && row.list < 0; ++i) {
            if (QString::fromLocal8Bit(lists.at(i).Title) == title)
                row.list = int(i);
        }
        row.roster = row.list >= 0;
        rows.append(row);
    }
    for (const FetchSummary::ListBounces &bounces : summary.bounces) {
        const QString title = titleOf(lists, bounces.list);
        rows.append({QCoreApplication::translate("FetchReport", "ｴﾗｰﾒｰﾙ %1: %2")
                         .arg(title, joined(bounces.bounced)),
                     bounces.list, bounces.bounced.isEmpty() ? -1 : 0, bounces.bounced});
        if (!bounces.overThreshold.isEmpty())
            rows.append({QCoreApplication::translate("FetchReport", "閾値超過 %1: %2")
                             .arg(title, joined(bounces.overThreshold)),
                         bounces.list, 0, bounces.overThreshold});
    }
    for (const FetchedMail &mail : summary.approvals) {
        const bool subscribe = mail.sorted.subscribe;
        rows.append(
            {(subscribe ? QCoreApplication::translate("FetchReport", "承認依頼(入会) %1: %2")
                        : QCoreApplication::translate("FetchReport", "承認依頼(退会) %1: %2"))
                 .arg(titleOf(lists, mail.sorted.list), joined(mail.sorted.addresses)),
             mail.sorted.list,
             mail.sorted.addresses.isEmpty() ? -1
             : subscribe                     ? 1
                                             : 0,
             mail.sorted.addresses});
    }
    replies(false);
    for (const FetchedMail &mail : summary.notices) {
        rows.append({(mail.sorted.subscribe
                          ? QCoreApplication::translate("FetchReport", "通知(入会) %1: %2")
                          : QCoreApplication::translate("FetchReport", "通知(退会) %1: %2"))
                         .arg(titleOf(lists, mail.sorted.list), joined(mail.sorted.addresses)),
                     mail.sorted.list,
                     -1,
                     {}});
    }
    return rows;
}
