#pragma once

#include <QString>

// The main window's status bar caption for the book in use (empty address:
// no book open).
inline QString fileInUseCaption(const QString &address = QString())
{
    return QStringLiteral("File in use:  ") + address;
}
