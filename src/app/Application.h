#pragma once

#include "common/Translation.h"

#include <QStringList>

class QApplication;

// Names the program and gives it its icon; the texts of the chosen language
// stay installed while the returned translation lives.
Translation startApplication(QApplication &app);

// Builds the main window on the program's arguments, runs it and returns the
// program's exit status.
int runTavelin(const QStringList &arguments);
