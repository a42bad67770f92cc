#pragma once

#include <QString>

// The folder where Tavelin keeps what it learns from mail (the fetch marks,
// the bounce history): the user's data folder for the program (on Linux
// $XDG_DATA_HOME/Orvendal/Tavelin), the same for the window and the CLI.
// Created mode 0700 when missing; empty, with the reason in *error, when it
// cannot be made.
QString DataFolder(QString *error = nullptr);
