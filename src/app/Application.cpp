#include "app/Application.h"

#include "common/Translation.h"
#include "main/TavelinDlg.h"
#include "resources/ResourceIds.h"
#include "ui/QtUiServices.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

namespace {

// Test seam for the whole-program test: every question is printed and
// answered Cancel, so no window waits for an owner.
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

// Test seam: with TAVELIN_TEST_REPORT set, the program opens its window as
// usual, prints the selected list, tab, command field and count, and ends
// without saving anything. Nothing else reads the variable.
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

} // namespace

int runTavelin(QApplication &app)
{
    // Qt starts its socket layer itself, so there is no start-up step that
    // can fail before the window.
    app.setApplicationName(QStringLiteral("Tavelin"));
    app.setWindowIcon(resourceIcon(IDR_MAINFRAME));
    // The window's texts and Qt's own in the language the locale or
    // TAVELIN_LANG chooses.
    const Translation translation(chosenLanguage());
    if (qEnvironmentVariableIsSet("TAVELIN_TEST_REPORT"))
        return reportWindowState(app.arguments());
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
