#pragma once

#include "send/DialUpBinding.h"
#include "ui/TemplateDialog.h"

#include <QDeadlineTimer>
#include <QRect>
#include <QTimer>

// The modeless status window of a sending run (template 136): two status
// lines, the cancel button, and the dial-up before the first mail and the
// hang-up after the last. It answers the send-all run (`owner`) with 0x8004
// when its dial has ended and with 1185 on cancel. Closing it only hides it.
class CStatusDlg : public TemplateDialog
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

    // True while a hang-up waits for the connection to be gone.
    bool isHangingUp() const { return m_hangingUp.handle != 0; }

    // A hang-up waits this long for the connection to go, then forgets it.
    // Test seam: tests shorten it.
    int hangUpWaitMs = 10000;

    RasConnection m_ras;
    QString m_strStatus1; // 1165
    QString m_strStatus2; // 1166
    int m_nKeep = 0;      // 1164
    QString m_strEntry;   // the entry to dial
    int m_nHangUpOnCancel = 1;

protected:
    bool event(QEvent *event) override;
    void OnInitDialog() override;

private:
    void OnDial();                             // 32771
    void OnDialProgress(int state, int error); // 0x8006
    void OnCancelSend();                       // 1182
    void OnKeepConnection();                   // 1164
    void onBindingProgress(quint32 handle, int state, int error);
    // Tells the run that the dial has ended: 1 connection ready, 0 failed.
    void finishDial(bool ready);
    void pollHangUp();
    // Lets the first line grow downwards when its text needs more room.
    void fitStatusLines();

    DialUpBinding &m_dialUp;
    QObject &m_owner;
    // From a dial command until its 0x8004 is posted.
    bool m_dialling = false;
    // The connection a hang-up waits on, and until when.
    RasConnection m_hangingUp;
    QDeadlineTimer m_hangUpDeadline;
    QTimer m_hangUpPoll;
    // A dial that came while a hang-up was still under way.
    bool m_dialAfterHangUp = false;
    QRect m_line1Rect;
    QSize m_templateSize;
};
