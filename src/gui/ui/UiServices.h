#pragma once

#include "common/UserMessage.h"

#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class DialUpBinding;
class QDialog;
class QPoint;
class QWidget;

enum class MessageButtons
{
    Ok,
    OkCancel,
    YesNo,
    YesNoCancel
};
using MessageIcon = UserMessage::Icon;
// The button that ended a question; for a modal dialog Ok or Cancel.
enum class DialogAnswer
{
    Ok,
    Cancel,
    Yes,
    No
};

enum class FileDialogFlag : unsigned
{
    HideReadOnly = 1u << 0,
    OverwritePrompt = 1u << 1,
    FileMustExist = 1u << 2,
    Save = 1u << 3, // a name to write to: the dialog's save form
};
Q_DECLARE_FLAGS(FileDialogFlags, FileDialogFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(FileDialogFlags)

// What a file-open dialog is asked to offer. The filter list is pairs of
// display text and pattern, all separated by '|' and ended by "||"; the
// default extension is added to a typed name that has none ("*" or "*.x"
// forms are accepted too).
struct FileDialogRequest
{
    QString caption;
    QString defaultExtension;
    QString initialName;
    QString filterList;
    FileDialogFlags flags;
};

struct FileFilter
{
    QString text;
    QString pattern; // one or more patterns separated by ';'

    friend bool operator==(const FileFilter &, const FileFilter &) = default;
};

// "text|pattern|text|pattern||" as a list of filters; a text without pattern
// is dropped.
QList<FileFilter> parseFilterList(const QString &filterList);
// "conf" from "conf", ".conf" or "*.conf"; empty from "*" or "".
QString defaultSuffix(const QString &defaultExtension);

// Every modal question a window asks goes through here, so each flow runs
// headless in a test with scripted answers. One object is handed down from
// the application to every window.
class UiServices
{
public:
    virtual ~UiServices() = default;

    // An empty caption means the program's name.
    virtual DialogAnswer messageBox(QWidget *parent, const QString &text, const QString &caption,
                                    MessageButtons buttons, MessageIcon icon) = 0;
    // The chosen file's full path; nothing when cancelled.
    virtual std::optional<QString> openFileName(QWidget *parent,
                                                const FileDialogRequest &request) = 0;
    // Several existing files chosen at once (the request's flags other than
    // the filter are not used); nothing when cancelled.
    virtual std::optional<QStringList> openFileNames(QWidget *parent,
                                                     const FileDialogRequest &request) = 0;
    // The chosen folder; nothing when cancelled.
    virtual std::optional<QString> pickFolder(QWidget *parent, const QString &caption,
                                              const QString &startFolder) = 0;
    // Runs a dialog modally: Ok when it ended accepted, else Cancel.
    virtual DialogAnswer runModal(QDialog &dialog) = 0;
    // A popup menu of plain entries with its top-left corner at a point on
    // the screen: the position of the chosen entry; nothing when dismissed.
    // The real menu unless a runner answers otherwise.
    virtual std::optional<int> popupMenu(QWidget *owner, const QPoint &at,
                                         const QStringList &entries);

    // The system's dial-up service, for the status window and the common
    // settings. By default none: every operation answers NotLoaded.
    virtual DialUpBinding &dialUp();

    // Presents a failure or notice a core operation handed back in a message
    // box with an OK button.
    DialogAnswer showMessage(QWidget *parent, const UserMessage &message)
    {
        return messageBox(parent, message.text, message.caption, MessageButtons::Ok, message.icon);
    }
};

// Nobody to ask, for runs without an owner (rendering, benchmarks): every
// question is cancelled and no dialog runs.
class SilentUiServices : public UiServices
{
public:
    DialogAnswer messageBox(QWidget *, const QString &, const QString &, MessageButtons,
                            MessageIcon) override
    {
        return DialogAnswer::Cancel;
    }
    std::optional<QString> openFileName(QWidget *, const FileDialogRequest &) override
    {
        return std::nullopt;
    }
    std::optional<QStringList> openFileNames(QWidget *, const FileDialogRequest &) override
    {
        return std::nullopt;
    }
    std::optional<QString> pickFolder(QWidget *, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    DialogAnswer runModal(QDialog &) override { return DialogAnswer::Cancel; }
    std::optional<int> popupMenu(QWidget *, const QPoint &, const QStringList &) override
    {
        return std::nullopt;
    }
};
