#pragma once

#include <QString>
#include <QTemporaryDir>

// A scratch program folder holding fresh copies of the files the build puts
// beside the program (address books, chime, county list).
class ScratchProgramFolder
{
public:
    ScratchProgramFolder();
    QString path() const; // with trailing '/'
    QString file(const QString &name) const { return path() + name; }
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};

// A copy of the sample address book in a scratch folder.
QString copyOfSample(const QTemporaryDir &dir, const QString &name = QStringLiteral("Varnel.vdf"));

#include "platform/ScriptedPlatform.h"

#include "store/AddressBook.h"

// A copy of the sample address book, open on every record in surname order:
// enough to build one window on its own, without the rest of the program.
class SampleBook
{
    QTemporaryDir m_dir; // first: the path below lies in it

public:
    SampleBook();
    const QString path;
    AddressBook book;
    AdoQuery *query() const { return book.query(); }
};

#include <memory>
class VarnelApp;
class TfmHomeAddMain;

// The whole program started on a scratch program folder, with the desktop's
// dialogs, sound and shell replaced by scripted ones. Windows are reached by
// their names (topLevel, named, mainWindow below).
class RunningProgram
{
public:
    // Files to leave out of the scratch folder, e.g. {"Varnel.vdf"}, and the
    // settings file to start with: by default one that keeps the start-up
    // options window from holding up the start; a null array starts without
    // a settings file.
    explicit RunningProgram(const QStringList &without = {}, const QByteArray &settings = quietStart());
    static QByteArray quietStart() { return QByteArrayLiteral("[Options]\r\nShow Form=0\r\n"); }
    ~RunningProgram();
    ScratchProgramFolder folder;
    ScriptedPlatform platform;
    QStringList &log() { return platform.dialogs.log; }
    TfmHomeAddMain *mainWindow() const;

private:
    std::unique_ptr<VarnelApp> m_program;
};

#include <csignal>
#include <sys/resource.h>

// Makes the system refuse to let this process grow any file beyond `bytes`,
// the way a full disk refuses a write.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit lim = m_old;
        lim.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

#include <QList>
#include <QPointF>
#include <QSizeF>

// A word of a PDF as `pdftotext -bbox` gives it: its box in points from the
// page's top-left corner, and its page (from 1).
struct PdfWord
{
    QString text;
    qreal xMin, yMin, xMax, yMax;
    int page;
    QPointF topLeftMm() const { return QPointF(xMin, yMin) * (25.4 / 72.0); }
};

// Every word of a PDF; pageSize gets the last page's size in points, pages the
// page count. Empty when pdftotext is missing or the file is no PDF.
QList<PdfWord> pdfWords(const QString &pdf, QSizeF *pageSize = nullptr, int *pages = nullptr);

class TRpStandardPreview;

// The report preview on show, if any, and how many are on show.
TRpStandardPreview *openPreview();
int previewWindows();

#include <functional>

class QAction;
// Chooses `command` as a user does and, once its preview is open and its run
// complete, hands the preview to `step` (which should close it). Returns when
// the preview has closed.
void inCompletePreview(QAction *command, const std::function<void(TRpStandardPreview *)> &step);

// The message of the VarnelError that `action` raises; empty when it raises none.
QString errorOf(const std::function<void()> &action);

#include <QApplication>
#include <QWidget>
#include <stdexcept>

// The child of `window` called `name`, of type T. A missing or mistyped child
// throws: the test run stops there, failed, with the name in the message.
template <typename T = QWidget>
T *named(const QObject *window, const QString &name)
{
    if (!window)
        throw std::runtime_error("no window to look for \"" + name.toStdString() + "\" in");
    T *found = window->findChild<T *>(name);
    if (!found)
        throw std::runtime_error("no " + std::string(T::staticMetaObject.className()) + " called \""
                                 + name.toStdString() + "\" in " + window->objectName().toStdString());
    return found;
}

// The top-level window called `name`, of type T; throws like named() when
// there is none.
template <typename T = QWidget>
T *topLevel(const QString &name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name)
            if (T *found = qobject_cast<T *>(w))
                return found;
    throw std::runtime_error("no top-level " + std::string(T::staticMetaObject.className()) + " called \""
                             + name.toStdString() + "\"");
}

// The main window of the program that is running; throws like topLevel()
// when there is none.
TfmHomeAddMain *mainWindow();
// The caption of the letter group's button that is checked ("A" to "Z",
// "All"), empty when none is.
QString letterGroupChoice();
