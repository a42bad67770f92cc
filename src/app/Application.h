#pragma once

class QApplication;

// Builds the main window, runs it and returns the program's exit status.
int runTavelin(QApplication &app);
