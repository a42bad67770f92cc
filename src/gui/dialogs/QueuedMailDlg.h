#pragma once

#include "ui/TemplateDialog.h"

#include <QByteArray>

class QListWidgetItem;

class UiServices;

// The queued mails of the outgoing folder by subject: one opens in the editor
// or is deleted. It never writes or renames a queued file.
class CQueuedMailDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CQueuedMailDlg(UiServices &ui, QWidget *parent = nullptr);

    QString m_strFolder;
    QByteArray m_strEditer;
    // Set once a mail has been deleted: the window's count is then stale.
    bool m_bChanged = false;

protected:
    void OnInitDialog() override;

private:
    void OnSelchange();
    void OnEdit();
    void OnDelete();
    // The entry the owner selected; null when none is.
    QListWidgetItem *selectedMail() const;
    QString selectedPath() const;

    UiServices &m_ui;
};
