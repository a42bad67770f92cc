#pragma once

#include "commands/ServerReply.h"
#include "ui/TemplateDialog.h"

#include <QStringList>

class UiServices;

// What each command of a server reply did: one row per echoed command with
// its mark and, for a failure, the reason; the server's text of the selected
// row below, and what became of the list's roster.
class CReplyResultsDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CReplyResultsDlg(QWidget *parent = nullptr);

    ServerReply m_reply;
    QString m_strList;   // the list as the window names it
    QStringList m_notes; // what became of the rosters, the reply being cut

    // A command failed for its password: the owner is sent to the field.
    bool passwordFailed() const;
    // The row's text as the list shows it.
    static QString rowText(const ReplyCommand &command);

protected:
    void OnInitDialog() override;

private:
    void OnSelchange();
};
