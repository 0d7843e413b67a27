#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace {
QString &folder()
{
    static QString f;
    return f;
}
} // namespace

QString ProgramFolder::path()
{
    if (folder().isEmpty())
        set(QCoreApplication::applicationDirPath());
    return folder();
}

void ProgramFolder::set(const QString &f)
{
    QString p = QDir::cleanPath(QDir(f).absolutePath());
    if (!p.endsWith('/'))
        p += '/';
    folder() = p;
}

QString ProgramFolder::file(const QString &name) { return path() + name; }
