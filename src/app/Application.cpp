#include "app/Application.h"

#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "ui/QtUiServices.h"

#include <QApplication>

Translation startApplication(QApplication &app)
{
    // Qt starts its socket layer itself, so there is no start-up step that
    // can fail before the window.
    app.setApplicationName(QStringLiteral("Tavelin"));
    app.setWindowIcon(resourceIcon(IDR_MAINFRAME));
    // The window's texts and Qt's own in the language the locale or
    // TAVELIN_LANG chooses.
    return Translation(chosenLanguage());
}

int runTavelin(const QStringList &arguments)
{
    QtUiServices ui;
    CTavelinDlg window(ui, arguments);
    // The window's own loop is the program's loop; its result is not consulted.
    ui.runModal(window);
    return 0;
}
