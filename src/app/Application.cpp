#include "Application.h"

#include "TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QTimer>

int runTavelin(QApplication &app)
{
    // Qt starts its socket layer itself, so there is no start-up step that
    // can fail before the window.
    app.setApplicationName(QStringLiteral("Tavelin"));
    app.setWindowIcon(resourceIcon(IDR_MAINFRAME));
    QtUiServices ui;
    CTavelinDlg window(ui, app.arguments());
    // Test seam, for the whole-program tests: TAVELIN_TEST_PRESS lists
    // control ids ("1070") that are pressed once the window is up, as clicks
    // would press them.
    const QStringList presses =
        qEnvironmentVariable("TAVELIN_TEST_PRESS").split(QLatin1Char(','), Qt::SkipEmptyParts);
    if (!presses.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, presses] {
            for (const QString &id : presses)
                window.press(id.toInt());
        });
    }
    // The window's own loop is the program's loop; its result is not consulted.
    ui.runModal(window);
    return 0;
}
