#pragma once

#include <QString>

class QWidget;
class QAction;
class QLabel;

// A hint is shown as a tooltip (the part before a '|') and, in full (the part
// after it, or the whole text), in the main window's status bar.
void setHint(QWidget *w, const QString &hint);
void setHint(QAction *a, const QString &hint);
QString shortHint(const QString &hint);
QString longHint(const QString &hint);

// Copies every hint the program shows, in any of its windows, into a status
// panel: installed once, when the main window is first activated.
namespace HintHandler {
void install(QLabel *panel);
void uninstall();
} // namespace HintHandler
