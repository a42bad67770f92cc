#pragma once

#include "fetch/FetchRun.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

// One line of a fetch's summary for the owner, and the command it leads to.
struct FetchReportRow
{
    QString text;
    int list = -1; // the register's list it is about; -1 when none
    // The command tab its addresses go to (0 forced unsubscribe, 1 forced
    // subscribe); -1 when there is nothing to hand over.
    int tab = -1;
    QByteArrayList addresses;
    int reply = -1;      // a reply's index in FetchSummary::replies, for its results
    bool roster = false; // the list's roster changed: it can be shown
};

// "12通受信 (返信 3、ｴﾗｰﾒｰﾙ 5、...)".
QString FetchCountsText(const FetchSummary &summary);

// The lines of the summary, what needs the owner first: replies with a
// failed command, the rosters changed, returned mails per list with the
// addresses over the threshold, approval requests, then the other replies
// and the notices.
QList<FetchReportRow> FetchReportRows(const FetchSummary &summary, const ListRegister &lists);
