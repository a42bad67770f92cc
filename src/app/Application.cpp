#include "Application.h"

#include "TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "ui/QtUiServices.h"

#include <QApplication>

int runTavelin(QApplication &app)
{
    // Qt starts its socket layer itself, so there is no start-up step that
    // can fail before the window.
    app.setApplicationName(QStringLiteral("Tavelin"));
    app.setWindowIcon(resourceIcon(IDR_MAINFRAME));
    QtUiServices ui;
    CTavelinDlg window(ui, app.arguments());
    // The window's own loop is the program's loop; its result is not consulted.
    ui.runModal(window);
    return 0;
}
