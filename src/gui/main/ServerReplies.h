#pragma once

#include <QString>

class MainWindowHost;
class UiServices;

// A mail file dropped on the main window (or named on its command line) that
// is a reply of the list server: its results window opens, on any tab, and a
// member list it holds becomes the list's stored roster. False when the file
// is no such reply, or is a config reply dropped on the config tab, which
// that tab takes over as it always did: the tab then handles the file.
bool OpenServerReply(MainWindowHost &window, UiServices &ui, const QString &path);
