#include "app/VarnelApp.h"

#include <QApplication>

int VarnelApp::run(QApplication &app)
{
    app.setApplicationDisplayName(QStringLiteral("Varnel"));
    createWindows();
    const int rc = app.exec();
    destroyWindows();
    return rc;
}

void VarnelApp::createWindows() {}

void VarnelApp::destroyWindows() {}
