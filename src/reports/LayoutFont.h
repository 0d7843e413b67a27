#pragma once

#include "platform/FontValue.h"

#include <QString>

// A font as the built-in layouts name it: a face, a size in points and bold.
inline FontValue layoutFont(const QString &family, qreal points, bool bold = false)
{
    FontValue f;
    f.font = QFont(family);
    f.font.setPointSizeF(points);
    f.font.setBold(bold);
    return f;
}

inline FontValue arial(qreal points, bool bold = false)
{
    return layoutFont(QStringLiteral("Arial"), points, bold);
}
