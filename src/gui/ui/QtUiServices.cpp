#include "ui/QtUiServices.h"

#include "send/NetworkManagerDialUp.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

QStringList qtNameFilters(const QString &filterList)
{
    QStringList filters;
    for (const FileFilter &filter : parseFilterList(filterList)) {
        QStringList patterns = filter.pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts);
        QString text = filter.text;
#ifndef Q_OS_WIN
        // "*.*" means every file on Windows; elsewhere it would hide the
        // names without a dot, as a saved mail often has.
        const QString tail = QStringLiteral("(*.*)");
        if (text.endsWith(tail))
            text = text.chopped(tail.size()) + QStringLiteral("(*)");
        for (QString &pattern : patterns) {
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
#endif
        // QFileDialog reads the patterns from the last parentheses; a text
        // that already ends in them is kept as it is.
        const QString joined =
            QLatin1Char('(') + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
        filters.append(text.endsWith(joined) ? text : text + QLatin1Char(' ') + joined);
    }
    return filters;
}

DialogAnswer QtUiServices::messageBox(QWidget *parent, const QString &text, const QString &caption,
                                      MessageButtons buttons, MessageIcon icon)
{
    QMessageBox box(parent);
    // Texts carry list titles and paths as typed: "<b>" is not markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setWindowTitle(caption.isEmpty() ? QCoreApplication::applicationName() : caption);
    switch (icon) {
    case MessageIcon::None:
        break;
    case MessageIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case MessageIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case MessageIcon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case MessageIcon::Stop:
        box.setIcon(QMessageBox::Critical);
        break;
    }
    switch (buttons) {
    case MessageButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case MessageButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case MessageButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case MessageButtons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    // The program's own button texts, as its dialogs have them, and no
    // pictures on the buttons: the box's icon is the only one it shows.
    for (const auto &[button, text] :
         {std::pair{QMessageBox::Ok, QT_TRANSLATE_NOOP("QtUiServices", "OK")},
          std::pair{QMessageBox::Cancel, QT_TRANSLATE_NOOP("QtUiServices", "ｷｬﾝｾﾙ")},
          std::pair{QMessageBox::Yes, QT_TRANSLATE_NOOP("QtUiServices", "はい")},
          std::pair{QMessageBox::No, QT_TRANSLATE_NOOP("QtUiServices", "いいえ")}}) {
        if (QAbstractButton *shown = box.button(button)) {
            shown->setText(QCoreApplication::translate("QtUiServices", text));
            shown->setIcon(QIcon());
        }
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return DialogAnswer::Ok;
    case QMessageBox::Yes:
        return DialogAnswer::Yes;
    case QMessageBox::No:
        return DialogAnswer::No;
    default:
        return DialogAnswer::Cancel;
    }
}

std::optional<QString> QtUiServices::openFileName(QWidget *parent, const FileDialogRequest &request)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setAcceptMode(request.flags.testFlag(FileDialogFlag::Save) ? QFileDialog::AcceptSave
                                                                      : QFileDialog::AcceptOpen);
    // An open dialog that does not insist on an existing file lets the owner
    // name a new one, as the copy target of a rename does.
    dialog.setFileMode(request.flags.testFlag(FileDialogFlag::FileMustExist)
                           ? QFileDialog::ExistingFile
                           : QFileDialog::AnyFile);
    dialog.setNameFilters(qtNameFilters(request.filterList));
    dialog.setDefaultSuffix(defaultSuffix(request.defaultExtension));
    if (!request.initialName.isEmpty()) {
        const QFileInfo initial(request.initialName);
        if (initial.isAbsolute())
            dialog.setDirectory(initial.absolutePath());
        // A wildcard name ("*.*") would filter the listing, not name a file.
        if (!initial.fileName().contains(QLatin1Char('*')))
            dialog.selectFile(initial.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<QStringList> QtUiServices::openFileNames(QWidget *parent,
                                                       const FileDialogRequest &request)
{
    QFileDialog dialog(parent, request.caption);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setNameFilters(qtNameFilters(request.filterList));
    const QFileInfo initial(request.initialName);
    if (!request.initialName.isEmpty() && initial.isAbsolute())
        dialog.setDirectory(initial.absolutePath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles();
}

std::optional<QString> QtUiServices::pickFolder(QWidget *parent, const QString &caption,
                                                const QString &startFolder)
{
    const QString folder = QFileDialog::getExistingDirectory(parent, caption, startFolder);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

DialogAnswer QtUiServices::runModal(QDialog &dialog)
{
    return dialog.exec() == QDialog::Accepted ? DialogAnswer::Ok : DialogAnswer::Cancel;
}

DialUpBinding &QtUiServices::dialUp()
{
    if (!m_dialUp)
        m_dialUp = std::make_unique<NetworkManagerDialUp>();
    return *m_dialUp;
}
