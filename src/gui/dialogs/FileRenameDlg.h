#pragma once

#include "ui/TemplateDialog.h"

#include <QCoreApplication>

class QFile;
class QFileDevice;
class UiServices;

// Shows a handed-over file, asks for a new name and on OK copies the file to
// that name, replacing the file there only once the copy is complete (where
// no temporary file can be made beside it, by writing it in place).
class CFileRenameDlg : public TemplateDialog
{
    Q_OBJECT

public:
    explicit CFileRenameDlg(UiServices &ui, QWidget *parent = nullptr);

    QString m_strSource;
    QString m_strNewName;
    QString m_strDefExt = QStringLiteral("*");
    QString m_strFilter = QCoreApplication::translate("CFileRenameDlg", "全てのﾌｧｲﾙ (*.*)|*.*||");

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    void OnBrowse();
    void CopySourceToNewName();
    // Copies what is left of source into target; empty, or why not.
    static QString copyInto(QFile &source, QFileDevice &target);
    void showCopyFailure(const QString &error);

    UiServices &m_ui;
};
