#pragma once

class QApplication;

// Creates the program's windows in their fixed order and runs the event loop.
namespace VarnelApp {
int run(QApplication &app);
// Makes every window, as at start-up; used by run() and by tests.
void createWindows();
// Destroys every window, as at the end of the program.
void destroyWindows();
} // namespace VarnelApp
