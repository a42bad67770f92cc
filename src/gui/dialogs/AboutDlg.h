#pragma once

#include "ui/TemplateDialog.h"

// The version box, opened from the window's system (or context) menu.
class CAboutDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
};
