#pragma once

#include <QString>
#include <functional>

class QWidget;

// Runs one user action. An error it raises ends the action where it happened
// and is shown in the standard error box; the program goes on. Nothing thrown
// ever crosses back into Qt's event loop.
// Returns false when the action ended in an error.
bool guarded(QWidget *parent, const std::function<void()> &action);
