#pragma once

#include <QIcon>
#include <QPalette>

// Icons for moving through pages (first, previous, next, last), drawn in the
// palette's button text colour so that they stay visible on a dark tool bar
// as on a light one. The style's own media icons have a fixed dark colour.
enum class PageArrow { First, Previous, Next, Last };

QIcon pageArrowIcon(PageArrow arrow, const QPalette &palette);
