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

#include <QObject>
#include <QVariant>

// The colour a rich-text document shows text in that has no colour of its own
// (the editor's default character format after Font Change), kept on the
// QTextDocument as this property so that the saved file and the print use it
// too. Black, or none set, is the reader's own text colour.
inline constexpr char kDefaultTextColorProperty[] = "varnelDefaultTextColor";

inline QColor defaultTextColor(const QObject *document)
{
    const QColor c =
        document ? document->property(kDefaultTextColorProperty).value<QColor>() : QColor();
    return c.isValid() && c != QColor(Qt::black) ? c : QColor();
}
