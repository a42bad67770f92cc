#include "ui/DialogUnits.h"

#include "common/Translation.h"

#include <QFontDatabase>
#include <QFontMetrics>

#include <cmath>

namespace {

// v * num / den rounded half away from zero, as the platform's MulDiv.
int mulDiv(int v, int num, int den)
{
    return int(std::lround(double(v) * num / den));
}

} // namespace

DialogBaseUnits dialogBaseUnits(const QFont &font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

QRect dialogUnitsToPixels(const QRect &units, DialogBaseUnits base)
{
    return QRect(mulDiv(units.x(), base.x, 4), mulDiv(units.y(), base.y, 8),
                 mulDiv(units.width(), base.x, 4), mulDiv(units.height(), base.y, 8));
}

QSize dialogUnitsToPixels(const QSize &units, DialogBaseUnits base)
{
    return QSize(mulDiv(units.width(), base.x, 4), mulDiv(units.height(), base.y, 8));
}

QFont dialogFont(const QString &family, int pointSize)
{
    QString chosen = family;
    if (!QFontDatabase::hasFamily(family)) {
        for (const QString &substitute :
             {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")}) {
            if (QFontDatabase::hasFamily(substitute)) {
                chosen = substitute;
                break;
            }
        }
    }
    QFont font(chosen);
    font.setPointSize(pointSize);
    return font;
}

QFont fieldFont(const QFont &dialogFont)
{
    const QString latin = QStringLiteral("DejaVu Sans");
    if (shownLanguage() == QLatin1String("ja") || !QFontDatabase::hasFamily(latin))
        return dialogFont;
    QFont font = dialogFont;
    font.setFamilies({latin, dialogFont.family()});
    return font;
}
