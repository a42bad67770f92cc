#pragma once

#include <QString>

// The folder where Tavelin keeps what it learns from mail (the fetch marks,
// the bounce history, the rosters): the user's data folder for the program
// (QStandardPaths::AppDataLocation, on Linux $XDG_DATA_HOME/Tavelin).
// Created mode 0700 when missing; empty, with the reason in *error, when it
// cannot be made.
QString DataFolder(QString *error = nullptr);
