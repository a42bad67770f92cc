#pragma once

#include <QFlags>
#include <QRect>
#include <QSize>

#include <span>
#include <vector>

// What a control row of a template makes.
enum class ControlKind
{
    Button,
    Static,        // a text label
    Icon,          // a picture: the icon resource named by the row's text
    GroupBox,      // a frame with a title around other controls
    Edit,          // a one-line text field
    MultiLineEdit, // lines of text, CR LF between them, Enter starts a line
    DropDownList,  // a closed list to pick one entry from, no typing
    ListBox,       // an open list to pick one entry from
    ListView,      // rows in columns, with a header; the window names the columns
    CheckBox,
    RadioButton, // one of the radio buttons of its group-start run
    UpDown,      // two arrows that step the number in the row before it
    TabControl,
};

enum class ControlStyle : unsigned
{
    Hidden = 1u << 0,
    Disabled = 1u << 1,
    Sorted = 1u << 2,
    Password = 1u << 3,
    ReadOnly = 1u << 4,
    NoBorder = 1u << 5,
    RightAlign = 1u << 6,
    GroupStart = 1u << 7, // starts a group: radio buttons up to the next start are one
    DefaultButton = 1u << 8,
    NoTabStop = 1u << 9,
    AttachToBuddy = 1u << 10, // an up-down takes the right end of its buddy's place
    Center = 1u << 11,        // a text centred in its place
};
Q_DECLARE_FLAGS(ControlStyles, ControlStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(ControlStyles)

// One control of a dialog: rect is left, top, width, height in dialog units.
// Texts are UTF-8. A control that no label names gets `name` as its
// accessible name.
struct ControlTemplate
{
    int id;
    ControlKind kind;
    const char *text;
    QRect rect;
    ControlStyles style = {};
    const char *name = nullptr;
};

// A control the user types into or picks from: it needs a label or a name.
constexpr bool isInputKind(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Edit:
    case ControlKind::MultiLineEdit:
    case ControlKind::DropDownList:
    case ControlKind::ListBox:
    case ControlKind::ListView:
    case ControlKind::UpDown:
        return true;
    default:
        return false;
    }
}

// A dialog or property page as data: the builder in ui/ turns it into
// widgets. The size is in dialog units of the dialog's own font.
struct DialogTemplate
{
    int id;
    const char *caption;
    QSize size;
    const char *fontFamily;
    int pointSize;
    std::vector<ControlTemplate> controls;

    const ControlTemplate *control(int controlId) const;
};

// Every template of the program, in id order.
std::span<const DialogTemplate> dialogTemplates();
// Null when there is no template of that id.
const DialogTemplate *findDialogTemplate(int id);

// The frame of a property sheet whose largest page is `page` dialog units:
// the tab control that holds the pages, OK and Cancel, and Apply when asked
// for, placed as the platform's sheets place them.
DialogTemplate propertySheetFrame(const char *caption, QSize page, bool withApply);
