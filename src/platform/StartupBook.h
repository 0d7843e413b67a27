#pragma once

#include <QString>

// The address book named on the command line (`varnel FILE`, the desktop's
// "Open with"), waiting for the main window to take it at its creation.
namespace StartupBook {
void request(const QString &path);
// The requested path, once; empty when none was asked for.
QString take();
} // namespace StartupBook
