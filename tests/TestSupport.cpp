#include "TestSupport.h"

#include <QDir>
#include <QFile>

ScratchProgramFolder::ScratchProgramFolder()
{
    const QDir built(QStringLiteral(VARNEL_PROGRAM_DIR));
    for (const QString &name : built.entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".vdf")) || name.endsWith(QLatin1String(".wav"))
            || name.endsWith(QLatin1String(".txt")) || name.endsWith(QLatin1String(".pdf")))
            QFile::copy(built.filePath(name), m_dir.filePath(name));
    }
}

QString ScratchProgramFolder::path() const { return m_dir.path() + '/'; }

QString copyOfSample(const QTemporaryDir &dir, const QString &name)
{
    const QString target = dir.filePath(name);
    QFile::remove(target);
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/Varnel.vdf"), target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}
