#pragma once

#include "send/DialSession.h"
#include "ui/TemplateDialog.h"

#include <QRect>

// The modeless status window of a sending run (template 136): two status
// lines, the cancel button, and the view of the dial-up before the first
// mail and the hang-up after the last. It answers the send-all run (`owner`)
// with 0x8004 when its dial has ended and with 1185 on cancel. Closing it
// only hides it.
class CStatusDlg : public TemplateDialog, private DialView
{
    Q_OBJECT

public:
    CStatusDlg(DialUpBinding &dialUp, QObject &owner, QWidget *parent = nullptr);

    // The two exchanges: controls into members, members into controls.
    void TakeFieldValues();
    void ShowValues();

    // 0x8008 and 0x8009.
    void SetStatusLine1(const QString &text);
    void SetStatusLine2(const QString &text);
    // 32773: hangs up the connection this window dialled, if any.
    void OnHangUp();

    DialSession &dialSession() { return m_dial; }

    QString m_strStatus1; // 1165
    QString m_strStatus2; // 1166
    int m_nKeep = 0;      // 1164
    QString m_strEntry;   // the entry to dial

protected:
    bool event(QEvent *event) override;
    void OnInitDialog() override;

private:
    void OnCancelSend();     // 1182
    void OnKeepConnection(); // 1164
    // DialView
    void dialStarted() override;
    void setDialStatus(const QString &text) override;
    // Tells the run that the dial has ended: 1 connection ready, 0 failed.
    void dialEnded(bool ready) override;
    // Lets the first line grow downwards when its text needs more room.
    void fitStatusLines();

    QObject &m_owner;
    DialSession m_dial;
    QRect m_line1Rect;
    QSize m_templateSize;
};
