#pragma once

#include <QColor>
#include <QFont>

// A font as the program hands it between windows: face, size, style and colour.
struct FontValue
{
    QFont font;
    QColor color = Qt::black;

    bool operator==(const FontValue &o) const { return font == o.font && color == o.color; }
    bool operator!=(const FontValue &o) const { return !(*this == o); }
};

#include <QMetaType>
Q_DECLARE_METATYPE(FontValue)
