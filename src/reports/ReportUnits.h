#pragma once

#include <QtGlobal>
#include <cmath>

// Layouts are written in millimetres; the engine works in layout units of a
// tenth of a millimetre. Every conversion goes through here.
namespace ReportUnits {

constexpr qreal kUnitsPerMm = 10.0;
constexpr qreal kMmPerInch = 25.4;
constexpr qreal kPointsPerInch = 72.0;

inline qreal fromMm(qreal mm)
{
    return mm * kUnitsPerMm;
}
inline qreal toMm(qreal units)
{
    return units / kUnitsPerMm;
}
inline qreal fromPoints(qreal pt)
{
    return pt * kMmPerInch / kPointsPerInch * kUnitsPerMm;
}

// Nearest whole unit. Layout values are decimal millimetres that binary
// floating point cannot hold exactly (38.365 mm); the nudge keeps a value that
// sits on a half unit from falling the wrong way.
inline int roundUnits(qreal units)
{
    return int(std::floor(units + 0.5 + 1e-7));
}
inline int roundMmToUnits(qreal mm)
{
    return roundUnits(fromMm(mm));
}

} // namespace ReportUnits
