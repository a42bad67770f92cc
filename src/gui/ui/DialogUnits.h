#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// The dialog base units of a font: one horizontal dialog unit is baseX / 4
// pixels, one vertical unit baseY / 8 pixels.
struct DialogBaseUnits
{
    int x = 0;
    int y = 0;
};

// baseX is the rounded average width of A-Z and a-z, baseY the font height,
// as Windows computes them, so that layouts keep their proportions.
DialogBaseUnits dialogBaseUnits(const QFont &font);
QRect dialogUnitsToPixels(const QRect &units, DialogBaseUnits base);
QSize dialogUnitsToPixels(const QSize &units, DialogBaseUnits base);

// The font a template asks for. The Japanese Windows font is seldom present
// elsewhere: it is replaced by its metric twin IPAPGothic, then by Noto Sans
// CJK JP, so that the Japanese texts have glyphs and the layout its widths.
QFont dialogFont(const QString &family, int pointSize);
// The font of a template's fields, for the data they show: the dialog font
// while Japanese is shown; otherwise one that draws a backslash as a
// backslash (the Japanese fonts draw a yen sign, which only a Japanese reader
// expects in a path or a pattern), with the dialog font behind it for the
// Japanese characters of the data.
QFont fieldFont(const QFont &dialogFont);
