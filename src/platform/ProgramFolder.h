#pragma once

#include <QString>

// The folder that holds the program and the files it finds by name
// (settings, address books, county list, manual), always with a trailing '/'.
// It defaults to the executable's folder; tests point it at a scratch folder.
namespace ProgramFolder {
QString path();
void set(const QString &folder);
QString file(const QString &name);
} // namespace ProgramFolder
