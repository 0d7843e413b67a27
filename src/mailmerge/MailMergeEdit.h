#pragma once

#include "platform/FontDialog.h"
#include "platform/FontValue.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMenuBar;
class QStatusBar;
class QTextCharFormat;
class QTextEdit;
class QToolBar;
class PersonalizedMenu;

// The merge document editor: a small rich-text editor whose content is the
// body of every merged letter. One instance, made at start-up and kept until
// the program ends; closing it only hides it.
class TfmMailMergeEdit : public QMainWindow
{
    Q_OBJECT
public:
    explicit TfmMailMergeEdit(QWidget *parent = nullptr);
    ~TfmMailMergeEdit() override;

    QMenuBar *ActionMainMenuBar1;
    PersonalizedMenu *File1, *Edit1, *Format1;
    QToolBar *ActionToolBar1;
    QTextEdit *RichEdit1;
    QStatusBar *StatusBar1;
    QObject *ActionManager1;
    QVector<QIcon> ImageList1;
    TFontDialog FontDialog1;

    QAction *FileNew, *FileOpen1, *FileSave, *FileSaveAs1, *FileClose;
    QAction *EditCut1, *EditCopy1, *EditPaste1;
    QAction *FontChange, *RichEditBold1, *RichEditItalic1, *RichEditUnderline1;

    QString CurrentFileName;
    QString statusText() const;

    // The commands.
    void FileNewExecute();
    void FileOpen1Execute();
    void FileOpen1Accept(const QString &fileName);
    void FileSaveExecute();
    void FileSaveAs1Execute();
    void FileSaveAs1Accept(const QString &fileName);
    void FileCloseExecute();
    void EditCut1Execute();
    void EditCopy1Execute();
    void EditPaste1Execute();
    void FontChangeExecute();
    void RichEditBold1Execute();
    void RichEditItalic1Execute();
    void RichEditUnderline1Execute();

    void FormCreate();
    void FormActivate();
    // Asked when the program closes: text changed since it was last opened or
    // saved is saved, discarded or kept, as the user answers. False keeps the
    // program running.
    bool FormCloseQuery();

    // What the editor says when an opened letter had pictures it left out.
    static QString picturesLeftOutText();

    // The font of the selection (or of the caret) as the font dialog takes it.
    FontValue selectionFont() const;

protected:
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QAction *makeCommand(const char *name, const QString &caption, const QKeySequence &key,
                         const QString &hint, int glyph);
    void buildMenus();
    void buildToolBar();
    void setFileName(const QString &name);
    void updateFormatCommands();
    void updateEnabling();
    void toggleStyle(QAction *command);
    QAction *commandForKey(const QKeyEvent *e) const;
    bool isInThisWindow(QObject *o) const;

    QList<QAction *> m_commands;
    QLabel *m_fileNamePanel;
};

extern TfmMailMergeEdit *fmMailMergeEdit;
