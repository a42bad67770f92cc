#include "sheets/ConfigSheet.h"

#include "config/ConfigPageLayout.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "sheets/ConfigPage.h"
#include "ui/UiServices.h"

#include <QCoreApplication>
#include <QDir>

CConfigSheet::CConfigSheet(UiServices &ui, QWidget *parent)
    : PropertySheet(ui, "",
                    {&knownTemplate(IDD_CONFIG_PAGE1), &knownTemplate(IDD_CONFIG_PAGE2),
                     &knownTemplate(IDD_CONFIG_PAGE3), &knownTemplate(IDD_CONFIG_PAGE4),
                     &knownTemplate(IDD_CONFIG_PAGE5)},
                    false, parent)
{
    setWindowTitle(loadString(IDS_CONFIG_SHEET));
    for (int page = 1; page <= ConfigPageCount; ++page)
        addPage(new CConfigPage(page, m_config, ui));
}

bool EditConfigFile(UiServices &ui, QWidget *parent, const QString &path)
{
    CConfigSheet sheet(ui, parent);
    const bool loaded = sheet.config().Load(path);
    if (ui.runModal(sheet) != DialogAnswer::Ok || !loaded)
        return false;
    QString reason;
    if (sheet.config().Save(&reason))
        return true;
    ui.showMessage(parent, {QCoreApplication::translate(
                                "CConfigSheet", "config ファイルを保存できませんでした。\n%1\n\n%2")
                                .arg(QDir::toNativeSeparators(path), reason),
                            QString(), UserMessage::Icon::Stop});
    return false;
}
