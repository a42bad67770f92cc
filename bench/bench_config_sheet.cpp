// The config sheet on the offscreen platform with a 1 MB config whose blocks
// are long: opening it (load, pages built, page 1 shown and laid out),
// visiting the five pages and OK, and the save after OK.
#include "BenchSupport.h"
#include "resources/ResourceIds.h"
#include "sheets/ConfigSheet.h"
#include "ui/UiServices.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kRounds = 5;

// Every keyword, the blocks sharing about a megabyte of lines.
QByteArray bigConfig()
{
    QByteArray text;
    for (const KeywordInfo &info : keywordTable()) {
        const QByteArray name = QByteArray(info.name).leftJustified(20, ' ');
        switch (info.kind) {
        case KeywordKind::Block:
            text += name + "<<  END\n";
            for (int i = 0; i < 3300; ++i)
                text += "/^line " + QByteArray::number(i) + " of a long pattern list .*$/i\n";
            text += "END\n";
            break;
        case KeywordKind::YesNo:
            text += name + "=   yes\n";
            break;
        case KeywordKind::Integer:
        case KeywordKind::OptionalInteger:
            text += name + "=   40000\n";
            break;
        case KeywordKind::String:
            text += name + "=   " + (info.choices == ChoiceList::None ? "value" : "open") + "\n";
            break;
        }
    }
    return text;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.conf"));
    const QByteArray config = bigConfig();
    QFile file(path);
    if (!dir.isValid() || !file.open(QIODevice::WriteOnly) || file.write(config) != config.size())
        return 1;
    file.close();

    SilentUiServices ui;
    const double open = bestMs(kRounds, [&] {
        CConfigSheet sheet(ui);
        sheet.config().Load(path);
        sheet.show();
        QCoreApplication::processEvents();
    });
    double visit = 1e300;
    double save = 1e300;
    for (int round = 0; round < kRounds; ++round) {
        CConfigSheet sheet(ui);
        sheet.config().Load(path);
        sheet.show();
        QCoreApplication::processEvents();
        visit = std::min(visit, bestMs(1, [&] {
                             for (int page = 1; page < sheet.pageCount(); ++page) {
                                 sheet.setCurrentPage(page);
                                 QCoreApplication::processEvents();
                             }
                             sheet.press(IDOK);
                         }));
        if (sheet.result() != QDialog::Accepted)
            return 1;
        save = std::min(save, bestMs(1, [&] { sheet.config().Save(); }));
    }

    std::printf("config of %.1f MB\n", config.size() / 1048576.0);
    std::printf("open the sheet (load, page 1):  %8.2f ms\n", open);
    std::printf("visit pages 2-5, then OK:       %8.2f ms\n", visit);
    std::printf("save after OK:                  %8.2f ms\n", save);
    return 0;
}
