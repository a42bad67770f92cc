#include "app/Application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const Translation translation = startApplication(app);
    return runTavelin(app.arguments());
}
