#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own pictures, built into it.
namespace Pictures {
// The product name in heavy black capitals on a pale yellow ground, 189 x 68,
// decoded from its JPEG. A null pixmap when the JPEG cannot be decoded.
QPixmap banner();
// The 32 x 32 icon every window carries.
QIcon programIcon();
QPixmap programIconPixmap();
} // namespace Pictures
