// The main window's address book file commands, start-up options and manual.
#include "app/HomeGrid.h"
#include "app/ServerBookDialog.h"
#include "app/StatusCaptions.h"

#include "app/Options.h"
#include "widgets/Pictures.h"
#include "exchange/AccessBook.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"
#include "store/BookAddress.h"
#include "store/BookTransfer.h"
#include "store/EngineWait.h"
#include "store/FmxUtils.h"
#include "store/SelectionStatements.h"
#include "widgets/WindowPlacement.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QFileInfo>
#include <QPointer>

namespace {

const QString kBookSuffix = QStringLiteral("vdf");

FileDialogRequest bookDialog()
{
    FileDialogRequest r;
    r.folder = ProgramFolder::path();
    r.defaultSuffix = kBookSuffix;
    return r;
}

// A name typed without an extension gets ".vdf", as the dialogs promise, also
// where the desktop's own dialog ignores its default extension.
QString withDefaultSuffix(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() || !info.suffix().isEmpty() || info.exists())
        return path;
    return path + '.' + kBookSuffix;
}

} // namespace

void TfmHomeAddMain::wireFileCommands()
{
    QApplication::setWindowIcon(Pictures::programIcon());
    const std::pair<QAction *, void (TfmHomeAddMain::*)()> commands[] = {
        {m_newFileAction, &TfmHomeAddMain::newFile}, {m_openFileAction, &TfmHomeAddMain::openFile},
        {m_openServerAction, &TfmHomeAddMain::openServerBook}, {m_saveAsServerAction, &TfmHomeAddMain::saveAsServerBook},
        {m_saveAsAction, &TfmHomeAddMain::saveAs}, {m_closeFileAction, &TfmHomeAddMain::closeFile},
        {m_importAction, &TfmHomeAddMain::importContacts}, {m_exportAction, &TfmHomeAddMain::exportContacts},
        {m_optionsAction, &TfmHomeAddMain::showOptions}, {m_manualAction, &TfmHomeAddMain::openManual},
    };
    for (const auto &[action, handler] : commands) {
        connect(action, &QAction::triggered, this, [this, handler = handler] {
            guarded(this, [this, handler] { (this->*handler)(); });
        });
        action->setEnabled(true);
    }

    // A server that wants a password asks the user for it.
    m_book->connection()->setPasswordPrompt([this](const QString &address) { return askPassword(address); });
    // A book that can only be read is said so when it is opened, not at the
    // first refused save.
    connect(m_book->connection(), &AdoConnection::openedReadOnly, this, [this](const QString &notice) {
        Platform::dialogs().message(this, MsgKind::Information, notice, false);
    });
    // While another program holds the book locked, the window stays painted,
    // shows a busy cursor and says what it waits for.
    EngineWait::setObserver([self = QPointer<TfmHomeAddMain>(this),
                             before = QString()](bool waiting) mutable {
        if (waiting) {
            QApplication::setOverrideCursor(Qt::BusyCursor);
            if (!self)
                return;
            before = self->statusPanel(0);
            self->setStatusPanel(
                0,
                tr("Waiting for another program to finish with the address book..."));
        } else {
            QApplication::restoreOverrideCursor();
            if (self)
                self->setStatusPanel(0, before);
        }
    });
}

void TfmHomeAddMain::restoreOuterGeometry(int top, int left, int width, int height)
{
    WindowPlacement::placeOuter(this, WindowPlacement::fitToScreens(left, top, width, height));
}

void TfmHomeAddMain::checkLetterGroupAll()
{
    // The letter filter itself is not run: the statement was set to all
    // records in surname order just before.
    QAbstractButton *all = m_letterGroup->button(kLetterGroupAll);
    const QSignalBlocker groupQuiet(m_letterGroup);
    const QSignalBlocker buttonQuiet(all);
    all->setChecked(true);
}

void TfmHomeAddMain::reopenAllRecords()
{
    try {
        m_book->select(SelectionStatements::allOnOpening());
    } catch (const VarnelError &) {
        // The file in use can no longer be opened (moved, deleted, damaged).
        // The user is leaving it: go on to the other file rather than stop here.
    }
    checkLetterGroupAll();
}

void TfmHomeAddMain::newFile()
{
    const QString blank = ProgramFolder::file(QStringLiteral("NewFile.vdf"));
    reopenAllRecords();
    m_book->connection()->close();
    m_book->useFile(blank);
    m_book->reconnect();
    setStatusPanel(2, fileInUseCaption(m_book->fileInUse()));
}

void TfmHomeAddMain::openFile()
{
    FileDialogRequest request = bookDialog();
    request.filters = {tr("Varnel Data Files (*.vdf)"),
                       tr("Access Files (Varnel Format) (*.mdb)")};
    request.mustExist = false;
    QString chosen = Platform::dialogs().openFile(this, request);
    if (chosen.isEmpty())
        return;
    chosen = QFileInfo(withDefaultSuffix(chosen)).absoluteFilePath();
    if (AccessBook::looksLikeAccess(chosen)) {
        chosen = offerConversion(chosen);
        if (chosen.isEmpty())
            return;
    }

    reopenAllRecords();
    m_book->connection()->close();
    try {
        m_book->useFile(chosen);
    } catch (const VarnelError &) {
        Platform::dialogs().message(
            this, MsgKind::Information,
            tr("You have tried to open a file which is not in VarnelData Format. You can only Open a "
                           "file that has been previouslycreated in Varnel. Please select another file ending in "
                           ".vdf or .mdb"),
            true);
    }
    m_book->reconnect();
    setStatusPanel(2, fileInUseCaption(chosen));
}

void TfmHomeAddMain::saveAs()
{
    FileDialogRequest request = bookDialog();
    request.confirmOverwrite = false;
    QString chosen = Platform::dialogs().saveFile(this, request);
    if (chosen.isEmpty())
        return;
    chosen = QFileInfo(withDefaultSuffix(chosen)).absoluteFilePath();
    // A folder receives the copy under the file's own name, and that copy is
    // the file the program goes on in.
    if (QFileInfo(chosen).isDir())
        chosen = QFileInfo(chosen + '/' + QFileInfo(m_book->fileInUse()).fileName()).absoluteFilePath();

    // A server book is copied record by record into a new file.
    if (m_book->connection()->isServerBook()) {
        copyBookTo(chosen);
        return;
    }
    // A failed copy leaves the file in use in use, shown again before the
    // error is told.
    m_book->copyTo(chosen);
    Platform::sound().play(QStringLiteral("post.wav"));
    Platform::dialogs().plain(this, chosen);
    setStatusPanel(2, fileInUseCaption(chosen));
    m_book->useFile(chosen);
    m_book->reconnect();
}

void TfmHomeAddMain::openServerBook()
{
    ServerBookDialog dialog(tr("Open Server Book"), m_book->fileInUse(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    reopenAllRecords();
    m_book->connection()->close();
    m_book->useFile(dialog.address());
    setStatusPanel(2, fileInUseCaption(m_book->fileInUse()));
    m_book->reconnect();
}

void TfmHomeAddMain::saveAsServerBook()
{
    ServerBookDialog dialog(tr("Save As Server Book"), m_book->fileInUse(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    copyBookTo(dialog.address());
}

void TfmHomeAddMain::copyBookTo(const QString &target)
{
    query()->checkBrowseMode();
    BookTransfer::Destination to;
    to.address = target;
    to.blankBook = ProgramFolder::file(QStringLiteral("NewFile.vdf"));
    to.confirmCreate = [this](const QString &address) {
        return Platform::dialogs().message(
            this, MsgKind::Confirm,
            tr("%1 holds no address book yet. Make one there (the table HomeAd, nothing else)?")
                .arg(address),
            true);
    };
    to.askPassword = [this](const QString &address) { return askPassword(address); };
    // One transaction: a failed copy leaves the target as it was and the book
    // in use in use.
    const BookTransfer::Counts counts = BookTransfer::copy(*m_book->connection(), to);
    const QString shown = BookAddress::isServer(target) ? BookAddress::display(target) : target;
    Platform::dialogs().plain(
        this, tr("%1 of %2 records copied to %3").arg(counts.written).arg(counts.read).arg(shown));
    // The program goes on in the copy, on the same selection.
    m_book->disconnect();
    m_book->useFile(target);
    setStatusPanel(2, fileInUseCaption(m_book->fileInUse()));
    m_book->reconnect();
}

QString TfmHomeAddMain::askPassword(const QString &address)
{
    return Platform::dialogs().password(this, tr("Password for %1:").arg(address));
}

void TfmHomeAddMain::closeFile()
{
    m_book->disconnect();
    setStatusPanel(2, fileInUseCaption());
}

void TfmHomeAddMain::showOptions()
{
    TfmStartOptions options(this);
    options.exec();
}

void TfmHomeAddMain::openManual()
{
    // What the desktop makes of it is its own affair: a missing manual or a
    // missing viewer is not ours to report.
    Platform::shell().open(ProgramFolder::file(QStringLiteral("Manual.pdf")));
}
