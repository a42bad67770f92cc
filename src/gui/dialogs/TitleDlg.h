#pragma once

#include "ui/TemplateDialog.h"

// Asks for the title of a mailing list; takes what is typed, even nothing.
class CTitleDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CTitleDlg(QWidget *parent = nullptr);

    QString m_strTitle;

protected:
    void OnInitDialog() override;
    void OnOK() override;
};
