#pragma once

#include <QPalette>

// A dark palette of the kind desktops offer: light text on dark grounds. Used
// to look at the windows the way a user of a dark desktop theme sees them.
QPalette darkPalette();
