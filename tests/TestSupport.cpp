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

#include "app/HomeGrid.h"
#include "app/VarnelApp.h"
#include "store/SelectionStatements.h"
#include "platform/ProgramFolder.h"

#include <QApplication>
#include <QGroupBox>
#include <QRadioButton>
#include <QGroupBox>
#include <QRadioButton>

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
    m_program = std::make_unique<VarnelApp>();
    QApplication::processEvents();
}

RunningProgram::~RunningProgram()
{
    m_program.reset();
    QApplication::processEvents();
}

TfmHomeAddMain *RunningProgram::mainWindow() const
{
    return m_program->mainWindow();
}

SampleBook::SampleBook() : path(copyOfSample(m_dir))
{
    book.useFile(path);
    book.select(SelectionStatements::all());
}

TfmHomeAddMain *mainWindow()
{
    return topLevel<TfmHomeAddMain>(QStringLiteral("fmHomeAddMain"));
}

QString letterGroupChoice()
{
    for (QRadioButton *b : named<QGroupBox>(mainWindow(), QStringLiteral("RadioGroup1"))->findChildren<QRadioButton *>())
        if (b->isChecked())
            return b->text();
    return {};
}

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

QList<PdfWord> pdfWords(const QString &pdf, QSizeF *pageSize, int *pages)
{
    QProcess run;
    run.start(QStandardPaths::findExecutable(QStringLiteral("pdftotext")), {"-bbox", pdf, "-"});
    run.waitForFinished(30000);
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    QList<PdfWord> out;
    int page = 0;
    static const QRegularExpression tag(QStringLiteral(
        "<page width=\"([\\d.]+)\" height=\"([\\d.]+)\">|<word xMin=\"([\\d.]+)\" "
        "yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (!m.captured(1).isEmpty()) {
            ++page;
            if (pageSize)
                *pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
        } else {
            out << PdfWord{m.captured(7),          m.captured(3).toDouble(), m.captured(4).toDouble(),
                           m.captured(5).toDouble(), m.captured(6).toDouble(), page};
        }
    }
    if (pages)
        *pages = page;
    return out;
}

#include "reports/Report.h"
#include "reports/RpPreview.h"

TRpStandardPreview *openPreview()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<TRpStandardPreview *>(w); p && p->isVisible())
            return p;
    return nullptr;
}

int previewWindows()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += qobject_cast<TRpStandardPreview *>(w) && w->isVisible();
    return n;
}

#include "reports/RpPreview.h"

#include <QAction>
#include <QTimer>

void inCompletePreview(QAction *command, const std::function<void(TRpStandardPreview *)> &step)
{
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TRpStandardPreview *w = openPreview();
        if (!w || !w->complete())
            return;
        poll.stop();
        step(w);
    });
    poll.start();
    command->trigger();
}

#include "platform/VarnelError.h"

QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const VarnelError &e) {
        return e.message();
    }
    return QString();
}
