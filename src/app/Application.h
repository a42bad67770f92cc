#pragma once

class QCoreApplication;
class QApplication;

// Qt's own texts (message-box buttons, the file dialog) in Japanese, as the
// windows are; false when the translation is not installed.
bool installJapaneseTranslation(QCoreApplication &app);

// Builds the main window, runs it and returns the program's exit status.
int runTavelin(QApplication &app);
