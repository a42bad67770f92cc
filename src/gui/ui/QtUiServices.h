#pragma once

#include "send/DialUpBinding.h"
#include "ui/UiServices.h"

#include <memory>

// The real questions: QMessageBox, QFileDialog and exec(); the real dial-up service.
class QtUiServices : public UiServices
{
public:
    DialogAnswer messageBox(QWidget *parent, const QString &text, const QString &caption,
                            MessageButtons buttons, MessageIcon icon) override;
    std::optional<QString> openFileName(QWidget *parent, const FileDialogRequest &request) override;
    std::optional<QStringList> openFileNames(QWidget *parent,
                                             const FileDialogRequest &request) override;
    std::optional<QString> pickFolder(QWidget *parent, const QString &caption,
                                      const QString &startFolder) override;
    DialogAnswer runModal(QDialog &dialog) override;
    // NetworkManager on the system bus.
    DialUpBinding &dialUp() override;

private:
    std::unique_ptr<DialUpBinding> m_dialUp;
};

// The filter list as QFileDialog name filters ("text (patterns)").
QStringList qtNameFilters(const QString &filterList);
