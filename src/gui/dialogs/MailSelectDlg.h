#pragma once

#include "ui/TemplateDialog.h"

class UiServices;

// Asks for the returned mails to read addresses from: one or several files,
// a folder, a maildir or an mbox file, typed, browsed for, or dropped on the
// dialog. Several names stand in the field each in double quotes.
class CMailSelectDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CMailSelectDlg(UiServices &ui, QWidget *parent = nullptr);

    QString m_strFileName;
    // The names the field holds; the empty name when it holds none, which
    // then reads as no mail.
    QStringList fileNames() const;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void OnBrowse();
    void OnFolder();
    void takeNames(const QStringList &names);

    UiServices &m_ui;
};
