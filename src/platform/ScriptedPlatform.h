#pragma once

#include "platform/Platform.h"

#include <QStringList>
#include <QVariant>
#include <QList>
#include <functional>

// Stand-ins for the desktop services, for tests and benchmarks. Dialogs answer
// from a queue and every question, sound and shell call is written to `log`
// as one line, e.g. "Confirm: You are about to delete a record -> OK".
class ScriptedDialogs : public Dialogs
{
public:
    // Answers are taken in order. For message dialogs: "OK" or "Cancel" (an
    // empty queue answers OK). For file dialogs: the path, or "" for Cancel
    // (an empty queue cancels). For the font dialog: a FontValue, or "Cancel".
    // For printer dialogs: "OK" or "Cancel" (an empty queue cancels).
    // For the password prompt: the password, or "Cancel" (an empty queue
    // cancels); the log never shows the password.
    QList<QVariant> answers;
    QStringList log;
    // Called with the printer when a printer dialog answers OK, to set it up.
    std::function<void(QPrinter *)> onPrinterDialog;

    bool message(QWidget *parent, MsgKind kind, const QString &text, bool withCancel) override;
    // Answered with a button's caption; an empty queue takes the first button.
    int ask(QWidget *parent, MsgKind kind, const QString &text,
            const QStringList &buttons) override;
    void plain(QWidget *parent, const QString &text) override;
    void errorBox(QWidget *parent, const QString &text) override;
    QString openFile(QWidget *parent, const FileDialogRequest &request) override;
    QString saveFile(QWidget *parent, const FileDialogRequest &request) override;
    QString password(QWidget *parent, const QString &prompt) override;
    bool chooseFont(QWidget *parent, FontValue &font) override;
    bool printerSetup(QWidget *parent, QPrinter *printer) override;
    bool printDialog(QWidget *parent, QPrinter *printer) override;
    bool reportPrintSetup(QWidget *parent, QPrinter *printer, int pageCount) override;

    // The last request a file dialog was shown with.
    FileDialogRequest lastFileRequest;

private:
    QVariant next();
};

class RecordingSound : public SoundPlayer
{
public:
    QStringList played;
    void play(const QString &wavName) override { played << wavName; }
};

class RecordingShell : public Shell
{
public:
    QStringList opened;
    bool result = true;
    bool open(const QString &target) override
    {
        opened << target;
        return result;
    }
};

// Puts the scripted services in place for its lifetime.
class ScriptedPlatform
{
public:
    ScriptedPlatform();
    ~ScriptedPlatform();
    ScriptedDialogs dialogs;
    RecordingSound sound;
    RecordingShell shell;
};
