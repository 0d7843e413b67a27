#include "platform/FontDialog.h"

#include "platform/Platform.h"

bool TFontDialog::Execute(QWidget *parent)
{
    return Platform::dialogs().chooseFont(parent, Font);
}
