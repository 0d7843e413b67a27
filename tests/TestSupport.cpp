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

#include "app/VarnelApp.h"
#include "platform/ProgramFolder.h"

#include <QApplication>

namespace {
// The offscreen platform says so whenever a size grip is made; it means nothing here.
void quietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    if (message.contains(QLatin1String("propagateSizeHints")))
        return;
    if (previous)
        previous(type, context, message);
}
} // namespace

RunningProgram::RunningProgram(const QStringList &without, const QByteArray &settings)
{
    static const bool quiet = [] {
        quietHandler(QtDebugMsg, QMessageLogContext(), QStringLiteral("propagateSizeHints"));
        qInstallMessageHandler(quietHandler);
        return true;
    }();
    Q_UNUSED(quiet);
    for (const QString &name : without)
        QFile::remove(folder.file(name));
    if (!settings.isNull()) {
        QFile ini(folder.file(QStringLiteral("VarnIni.ini")));
        if (ini.open(QIODevice::WriteOnly))
            ini.write(settings);
    }
    ProgramFolder::set(folder.path());
    VarnelApp::createWindows();
    QApplication::processEvents();
}

RunningProgram::~RunningProgram()
{
    VarnelApp::destroyWindows();
    QApplication::processEvents();
}
