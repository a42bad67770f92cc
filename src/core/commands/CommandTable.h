#pragma once

#include "commands/AddressExtraction.h"
#include "commands/CommandComposer.h"
#include "store/MailingListEntry.h"

#include <QByteArray>

#include <span>

// When the create button (1060) can be pressed right after a tab is chosen.
enum class CreateRule
{
    AfterTyping,   // disabled until the field holds text
    Always,        // enabled: the command needs no field
    IfFieldFilled, // enabled when the list's file filled the field
};

// One command tab of the main window: its command, what the tab area shows
// while it is chosen and what it does with a file. The one table of the eight
// commands; the window, the command-line tool and the extraction read it.
struct CommandTab
{
    CommandKind kind;
    const char *label;      // the tab's text
    const char *fieldLabel; // label 1168
    bool fieldShown;        // field 1167
    bool extractShown;      // button 1084
    bool editShown;         // button 1081
    bool browseShown;       // button 1077
    bool acceptsDrops;
    // The list's file the field edits on this tab; null: the field starts empty.
    QByteArray MailingListEntry::*file;
    CreateRule create;
    ExtractionRule extraction; // for a dropped or chosen mail
    bool handsOverConfig;      // a dropped file becomes the list's config file
    const char *browseExtension;
    const char *browseFilter;
    bool rosterShown; // button 1190: the list's stored member roster
};

// The eight tabs in CommandKind order.
std::span<const CommandTab> commandTabs();
// Null when tab is no tab's index.
const CommandTab *commandTab(int tab);
inline const CommandTab &commandTab(CommandKind kind)
{
    return commandTabs()[static_cast<size_t>(kind)];
}
