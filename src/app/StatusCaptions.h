#pragma once

#include <QCoreApplication>
#include <QString>

// The main window's status bar caption for the book in use (empty address:
// no book open).
inline QString fileInUseCaption(const QString &address = QString())
{
    return QCoreApplication::translate("StatusCaptions", "File in use:  ") + address;
}
