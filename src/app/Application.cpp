#include "Application.h"

#include <QApplication>
#include <QLabel>

int runTavelin(QApplication &app)
{
    // Until the main window exists: a window that says what this build is.
    QLabel window(QStringLiteral("Tavelin"));
    window.setWindowTitle(QStringLiteral("Tavelin for Quillon"));
    window.resize(320, 160);
    window.show();
    return app.exec();
}
