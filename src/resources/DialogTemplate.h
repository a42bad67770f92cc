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
    Static,       // a text label
    Icon,         // a picture: the icon resource named by the row's text
    GroupBox,     // a frame with a title around other controls
    Edit,         // a one-line text field
    DropDownList, // a closed list to pick one entry from, no typing
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
    GroupStart = 1u << 7, // starts a group for arrow-key movement
    DefaultButton = 1u << 8,
    NoTabStop = 1u << 9,
};
Q_DECLARE_FLAGS(ControlStyles, ControlStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(ControlStyles)

// One control of a dialog: rect is left, top, width, height in dialog units.
// Texts are UTF-8.
struct ControlTemplate
{
    int id;
    ControlKind kind;
    const char *text;
    QRect rect;
    ControlStyles style = {};
};

// A dialog as data: the builder in ui/ turns it into widgets. The size is in
// dialog units of the dialog's own font.
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
