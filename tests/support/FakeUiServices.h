#pragma once

#include "ui/TemplateDialog.h"
#include "ui/UiServices.h"

#include "resources/ResourceIds.h"

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QStringList>

#include <functional>

// Scripted answers for the questions a window asks, and a record of every
// question, so a test can say "asked to delete, answered Cancel". A question
// without a scripted answer is answered Cancel (nothing for a file or folder)
// and counted in unanswered.
class FakeUiServices : public UiServices
{
public:
    enum class Kind
    {
        Message,
        OpenFile,
        Folder,
        Modal,
        Menu
    };

    struct Question
    {
        Kind kind;
        QString text;    // message text
        QString caption; // message or folder caption, dialog title
        MessageButtons buttons = MessageButtons::Ok;
        MessageIcon icon = MessageIcon::None;
        FileDialogRequest file;
        QString startFolder;
        int templateId = 0;       // the template of a modal TemplateDialog
        QStringList entries = {}; // a popup menu's entries
        QPoint at = {};           // where a popup menu opens, on the screen
    };

    // Runs in place of the modal loop: sets controls by id and says which of
    // OK or Cancel the owner pressed (or presses a button that ends the dialog).
    using DialogScript = std::function<DialogAnswer(QDialog &)>;

    QList<DialogAnswer> messageAnswers;
    QList<std::optional<QString>> fileAnswers;
    QList<std::optional<QStringList>> filesAnswers; // several files at once
    QList<std::optional<QString>> folderAnswers;
    QList<DialogScript> dialogScripts;
    QList<std::optional<int>> menuAnswers; // the chosen entry's position; nothing: dismissed

    QList<Question> asked;
    int unanswered = 0;
    // The dial-up service the windows get; none when null.
    DialUpBinding *dialUpBinding = nullptr;

    DialUpBinding &dialUp() override
    {
        return dialUpBinding ? *dialUpBinding : UiServices::dialUp();
    }

    QList<Question> askedOf(Kind kind) const
    {
        QList<Question> found;
        for (const Question &q : asked) {
            if (q.kind == kind)
                found.append(q);
        }
        return found;
    }

    DialogAnswer messageBox(QWidget *, const QString &text, const QString &caption,
                            MessageButtons buttons, MessageIcon icon) override
    {
        asked.append({Kind::Message, text, caption, buttons, icon, {}, {}, 0});
        return next(messageAnswers, DialogAnswer::Cancel);
    }

    void askedForFile(const FileDialogRequest &request)
    {
        asked.append({Kind::OpenFile,
                      {},
                      request.caption,
                      MessageButtons::Ok,
                      MessageIcon::None,
                      request,
                      {},
                      0});
    }

    std::optional<QString> openFileName(QWidget *, const FileDialogRequest &request) override
    {
        askedForFile(request);
        return next(fileAnswers, std::optional<QString>());
    }

    std::optional<QStringList> openFileNames(QWidget *, const FileDialogRequest &request) override
    {
        askedForFile(request);
        return next(filesAnswers, std::optional<QStringList>());
    }

    std::optional<QString> pickFolder(QWidget *, const QString &caption,
                                      const QString &startFolder) override
    {
        asked.append(
            {Kind::Folder, {}, caption, MessageButtons::Ok, MessageIcon::None, {}, startFolder, 0});
        return next(folderAnswers, std::optional<QString>());
    }

    // No nested event loop: the dialog opens (initialises), the script plays
    // the owner, and OK or Cancel is pressed as the script answered.
    DialogAnswer runModal(QDialog &dialog) override
    {
        auto *templated = qobject_cast<TemplateDialog *>(&dialog);
        asked.append({Kind::Modal,
                      {},
                      dialog.windowTitle(),
                      MessageButtons::Ok,
                      MessageIcon::None,
                      {},
                      {},
                      templated ? templated->dialogTemplate().id : 0});
        if (templated)
            templated->initialize();
        dialog.setResult(QDialog::Rejected);
        // A script may end the dialog itself, by a button of its own.
        bool ended = false;
        const QMetaObject::Connection watch =
            QObject::connect(&dialog, &QDialog::finished, [&ended] { ended = true; });
        const DialogAnswer answer = dialogScripts.isEmpty() ? (++unanswered, DialogAnswer::Cancel)
                                                            : dialogScripts.takeFirst()(dialog);
        QObject::disconnect(watch);
        const int button = answer == DialogAnswer::Ok ? IDOK : IDCANCEL;
        if (!ended && templated)
            templated->press(button);
        else if (!ended && button == IDOK)
            dialog.accept();
        else if (!ended)
            dialog.reject();
        return dialog.result() == QDialog::Accepted ? DialogAnswer::Ok : DialogAnswer::Cancel;
    }

    std::optional<int> popupMenu(QWidget *, const QPoint &at, const QStringList &entries) override
    {
        asked.append(
            {Kind::Menu, {}, {}, MessageButtons::Ok, MessageIcon::None, {}, {}, 0, entries, at});
        return next(menuAnswers, std::optional<int>());
    }

private:
    template <typename T> T next(QList<T> &answers, T fallback)
    {
        if (answers.isEmpty()) {
            ++unanswered;
            return fallback;
        }
        return answers.takeFirst();
    }
};
