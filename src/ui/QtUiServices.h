#pragma once

#include "ui/UiServices.h"

// The real questions: QMessageBox, QFileDialog and exec().
class QtUiServices : public UiServices
{
public:
    DialogAnswer messageBox(QWidget *parent, const QString &text, const QString &caption,
                            MessageButtons buttons, MessageIcon icon) override;
    std::optional<QString> openFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QString> pickFolder(QWidget *parent, const QString &caption,
                                      const QString &startFolder) override;
    DialogAnswer runModal(QDialog &dialog) override;
};

// The filter list as QFileDialog name filters ("text (patterns)").
QStringList qtNameFilters(const QString &filterList);
