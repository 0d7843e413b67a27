#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <unistd.h>

#ifndef VARNEL_DATA_FROM_BIN
#define VARNEL_DATA_FROM_BIN "../share/varnel"
#endif

namespace {

struct Layout
{
    QString exeFolder;
    QString installed; // the read-only files
    bool portable = true;
};

Layout &layout()
{
    static Layout l;
    return l;
}

QString asFolder(const QString &f)
{
    QString p = QDir::cleanPath(QDir(f).absolutePath());
    if (!p.endsWith('/'))
        p += '/';
    return p;
}

// The user's own folders, by the XDG variables, under the program's name.
QString userConfigFolder()
{
    return asFolder(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                    + QStringLiteral("/Varnel"));
}

QString userDataFolder()
{
    return asFolder(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                    + QStringLiteral("/Varnel"));
}

bool holdsProgramFiles(const QString &folder)
{
    return QFileInfo::exists(folder + QStringLiteral("NewFile.vdf"))
        || QFileInfo::exists(folder + QStringLiteral("Varnel.vdf"));
}

// Gives the user a file of their own from the installed one, once. The copy
// is made under a passing name and renamed, so that a second copy of the
// program starting at the same moment never opens half a file. When it
// cannot be made the file stays missing, and whoever opens it says so.
void copyIfMissing(const QString &installed, const QString &own)
{
    if (QFileInfo::exists(own) || !QFileInfo::exists(installed))
        return;
    QDir().mkpath(QFileInfo(own).absolutePath());
    const QString part = own + QStringLiteral(".part%1").arg(QCoreApplication::applicationPid());
    QFile::remove(part);
    if (!QFile::copy(installed, part))
        return;
    // The installed file is read-only; the user's copy is theirs to change.
    QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                    | QFile::ReadOther);
    if (!QFile::rename(part, own))
        QFile::remove(part);
}

} // namespace

void ProgramFolder::set(const QString &folder)
{
    Layout l;
    l.exeFolder = asFolder(folder);
    const QString shared = asFolder(l.exeFolder + QStringLiteral(VARNEL_DATA_FROM_BIN));
    if (!holdsProgramFiles(l.exeFolder) && holdsProgramFiles(shared)) {
        // Installed: whoever runs it, root included, writes nothing here.
        l.installed = shared;
        l.portable = false;
    } else {
        l.installed = l.exeFolder;
        l.portable = ::access(QFile::encodeName(l.exeFolder).constData(), W_OK) == 0;
    }
    layout() = l;
}

bool ProgramFolder::isPortable()
{
    path();
    return layout().portable;
}

QString ProgramFolder::path()
{
    if (layout().exeFolder.isEmpty())
        set(QCoreApplication::applicationDirPath());
    return layout().portable ? layout().exeFolder : userDataFolder();
}

QString ProgramFolder::file(const QString &name)
{
    if (isPortable())
        return layout().exeFolder + name;
    const Layout &l = layout();
    if (name == QLatin1String("VarnIni.ini")) {
        // The settings are written through a file beside them.
        QDir().mkpath(userConfigFolder());
        return userConfigFolder() + name;
    }
    QString own;
    if (name == QLatin1String("ListFile.txt"))
        own = userConfigFolder() + name;
    else if (name == QLatin1String("Varnel.vdf") || name == QLatin1String("NewFile.vdf"))
        own = userDataFolder() + name;
    else
        return l.installed + name;
    copyIfMissing(l.installed + name, own);
    return own;
}
