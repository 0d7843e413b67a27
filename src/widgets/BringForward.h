#pragma once

class QWidget;

// Shows a window that stands beside the others, or brings it forward when it
// is already open: restored if minimised, raised and made the active window.
void bringForward(QWidget *window);
