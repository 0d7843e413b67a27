#include "app/VarnelApp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return VarnelApp::run(app);
}
