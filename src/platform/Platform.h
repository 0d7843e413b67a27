#pragma once

#include "platform/FontValue.h"

#include <QString>
#include <QStringList>

class QWidget;
class QPrinter;

// The services the program takes from the desktop. Windows reach them only
// through Platform, so that tests can answer dialogs from a script and record
// what was played or opened.

enum class MsgKind { Error, Information, Confirm };

struct FileDialogRequest
{
    QString caption;
    QString folder;          // start folder
    QString fileName;        // proposed name
    QStringList filters;     // "Address books (*.vdf *.mdb)"
    QString defaultSuffix;   // without the dot
    bool confirmOverwrite = true;
    bool mustExist = true;   // open: a typed name may also be a new one
    // Save: the ending a name typed without one always gets, whatever type is
    // picked (for files whose content has one form, whatever their name).
    // Empty: the picked type's ending, else defaultSuffix.
    QString bareNameSuffix;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // A message dialog titled by its kind ("Error", "Information", "Confirm").
    // Returns true for OK; a dialog without Cancel always returns true.
    virtual bool message(QWidget *parent, MsgKind kind, const QString &text, bool withCancel) = 0;
    // A message dialog with the buttons named, the first the default and the
    // last the one Escape and the close box take. Returns the index chosen.
    virtual int ask(QWidget *parent, MsgKind kind, const QString &text,
                    const QStringList &buttons) = 0;
    // A plain box titled with the application title and one OK button.
    virtual void plain(QWidget *parent, const QString &text) = 0;
    // The application's standard error box; text already carries its full stop.
    virtual void errorBox(QWidget *parent, const QString &text) = 0;
    // Empty string when the user cancels.
    virtual QString openFile(QWidget *parent, const FileDialogRequest &request) = 0;
    virtual QString saveFile(QWidget *parent, const FileDialogRequest &request) = 0;
    // Asks for a password, the typed characters hidden; a null string when
    // the user cancels.
    virtual QString password(QWidget *parent, const QString &prompt) = 0;
    // Font dialog with effects; returns false (and leaves font alone) on Cancel.
    virtual bool chooseFont(QWidget *parent, FontValue &font) = 0;
    // Printer set-up and print dialogs on the given printer; false on Cancel.
    virtual bool printerSetup(QWidget *parent, QPrinter *printer) = 0;
    virtual bool printDialog(QWidget *parent, QPrinter *printer) = 0;
    // A report's printer setup: the print dialog offering all pages or a range
    // between 1 and pageCount, without printing a selection or to a file.
    virtual bool reportPrintSetup(QWidget *parent, QPrinter *printer, int pageCount)
    {
        Q_UNUSED(pageCount);
        return printDialog(parent, printer);
    }
};

class SoundPlayer
{
public:
    virtual ~SoundPlayer() = default;
    // Starts the sound and returns at once; never reports a failure.
    virtual void play(const QString &wavName) = 0;
};

class Shell
{
public:
    virtual ~Shell() = default;
    // Hands a URL or a file path to the desktop's registered program.
    virtual bool open(const QString &target) = 0;
};

namespace Platform {
Dialogs &dialogs();
SoundPlayer &sound();
Shell &shell();
// Tests put their own in place; nullptr restores the desktop's.
void setDialogs(Dialogs *d);
void setSound(SoundPlayer *s);
void setShell(Shell *s);

// The application's standard error box: the message with its full stop, title
// "Varnel", error icon, OK.
void showError(QWidget *parent, const QString &message);
QString errorBoxText(const QString &message);
} // namespace Platform
