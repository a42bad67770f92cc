// tavelin-driven: the desktop program as the whole-program tests drive it,
// built for the tests only and never installed. It starts as tavelin does and
// opens the same main window; what a test needs in place of an owner comes
// first on its command line, tavelin's own arguments after it:
//
//   tavelin-driven report [ARGUMENT...]
//       opens the window, prints the selected list, tab, command field and
//       count, and ends without saving anything; every question is printed
//       and answered Cancel, so no window waits for an owner.
//   tavelin-driven press ID[,ID...] [ARGUMENT...]
//       runs tavelin and presses the control ids once the window is up, as
//       clicks would press them.
#include "app/Application.h"
#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

class ReportingUiServices : public SilentUiServices
{
public:
    DialogAnswer messageBox(QWidget *, const QString &text, const QString &caption, MessageButtons,
                            MessageIcon) override
    {
        std::printf("message: %s: %s\n", qPrintable(caption), qPrintable(text));
        return DialogAnswer::Cancel;
    }
};

int reportWindowState(const QStringList &arguments)
{
    ReportingUiServices ui;
    CTavelinDlg window(ui, arguments);
    window.initialize();
    const int position = window.selectedPosition();
    std::printf("list: %s\ntab: %d\nfield: %s\ncount: %u\n",
                position < 0 ? "" : window.lists().at(position).Title.constData(),
                window.commandTabs().currentTab(), qPrintable(window.text(MainIds::IDC_ARGUMENT)),
                window.queuedCount());
    std::fflush(stdout);
    return 0;
}

// Presses the ids in the main window once tavelin's loop runs.
void pressOnceShown(const QStringList &ids)
{
    QTimer::singleShot(0, [ids] {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<CTavelinDlg *>(widget)) {
                for (const QString &id : ids)
                    window->press(id.toInt());
            }
        }
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const Translation translation = startApplication(app);
    QStringList arguments = app.arguments();
    const QString mode = arguments.size() > 1 ? arguments.takeAt(1) : QString();
    if (mode == QLatin1String("report"))
        return reportWindowState(arguments);
    if (mode == QLatin1String("press") && arguments.size() > 1) {
        pressOnceShown(arguments.takeAt(1).split(QLatin1Char(','), Qt::SkipEmptyParts));
        return runTavelin(arguments);
    }
    std::fputs("usage: tavelin-driven report [ARGUMENT...]\n"
               "       tavelin-driven press ID[,ID...] [ARGUMENT...]\n",
               stderr);
    return 2;
}
