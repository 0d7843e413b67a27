#pragma once

#include "platform/FontValue.h"

class QWidget;

// A font dialog that remembers: it opens on the font it last offered or
// returned, which its owner may also read or preset.
class TFontDialog
{
public:
    FontValue Font;
    // Shows the dialog on Font; true and Font changed when the user pressed OK.
    bool Execute(QWidget *parent);
};
