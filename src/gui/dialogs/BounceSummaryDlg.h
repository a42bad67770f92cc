#pragma once

#include "commands/BounceTally.h"
#include "store/CommonSettings.h"
#include "ui/TemplateDialog.h"

#include <QByteArrayList>

class QTreeWidget;
class UiServices;

// The addresses of many returned mails, one row each: reports, days, last
// date and reason, with a check box. The thresholds check the addresses that
// bounced on enough days; the owner changes them or any box, and OK hands
// the checked addresses to the forced-unsubscribe field.
class CBounceSummaryDlg : public TemplateDialog
{
    Q_OBJECT

public:
    // The columns of the list, in order.
    enum Column
    {
        Address,
        Reports,
        Days,
        Last,
        Reason
    };

    explicit CBounceSummaryDlg(UiServices &ui, QWidget *parent = nullptr);

    BounceTally m_tally;
    // The thresholds: the stored ones when it opens, those shown on OK after.
    quint32 m_nMinDays = kBounceMinDaysDefault;
    quint32 m_nWithin = kBounceWithinDefault;
    // On OK: the checked addresses, in the order the mails named them.
    QByteArrayList m_checked;

    QTreeWidget *rows() const;

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void OnThresholdChanged();
    void checkAll(bool on);
    void showCounts();

    UiServices &m_ui;
};
