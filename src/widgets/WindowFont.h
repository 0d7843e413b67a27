#pragma once

#include <QFont>

// The font a window of the program is laid out in: the family it was designed
// for (the desktop gives its metric-compatible stand-in) with a sans-serif
// fallback.
inline QFont windowFont(int points = 8, bool bold = false,
                        const QString &family = QStringLiteral("MS Sans Serif"))
{
    QFont f(family, points);
    f.setStyleHint(QFont::SansSerif);
    f.setBold(bold);
    return f;
}
