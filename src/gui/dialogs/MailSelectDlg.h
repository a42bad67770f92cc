#pragma once

#include "ui/TemplateDialog.h"

class UiServices;

// Asks for the returned mail to read addresses from: typed, browsed for, or
// dropped on the dialog.
class CMailSelectDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CMailSelectDlg(UiServices &ui, QWidget *parent = nullptr);

    QString m_strFileName;

protected:
    void OnInitDialog() override;
    void OnOK() override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void OnBrowse();

    UiServices &m_ui;
};
