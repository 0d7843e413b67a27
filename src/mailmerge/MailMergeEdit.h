#pragma once

#include "platform/FontDialog.h"
#include "platform/FontValue.h"

#include <QMainWindow>

class QAction;
class QLabel;
class QMenuBar;
class QStatusBar;
class QTextCharFormat;
class QTextDocument;
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

    // The letter being edited: the body of every merged letter.
    QTextDocument *document() const;
    // The font the font dialog last offered or returned; "Match Font" gives
    // it to the merged letters' address block.
    FontValue dialogFont() const { return m_fontDialog.Font; }
    // The file the letter was last opened from or saved to ("untitled.txt"
    // for a new one), and the status bar's text.
    QString fileName() const { return m_fileName; }
    QString statusText() const;
    // The font of the selection (or of the caret) as the font dialog takes it.
    FontValue selectionFont() const;

    // Asked when the program closes: text changed since it was last opened or
    // saved is saved, discarded or kept, as the user answers. False keeps the
    // program running.
    bool mayClose();

    // What the editor says when an opened letter had pictures it left out.
    static QString picturesLeftOutText();

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

    // The commands.
    void newFile();
    void openFile();
    void openFileNamed(const QString &fileName);
    void saveFile();
    void saveFileAs();
    void saveFileNamed(const QString &fileName);
    void changeFont();

    QMenuBar *m_menuBar;
    PersonalizedMenu *m_fileMenu, *m_editMenu, *m_formatMenu;
    QToolBar *m_toolBar;
    QTextEdit *m_text;
    QStatusBar *m_statusBar;
    QObject *m_commandOwner;
    QVector<QIcon> m_glyphs;
    TFontDialog m_fontDialog;

    QAction *m_newCommand, *m_openCommand, *m_saveCommand, *m_saveAsCommand, *m_closeCommand;
    QAction *m_cutCommand, *m_copyCommand, *m_pasteCommand;
    QAction *m_fontCommand, *m_boldCommand, *m_italicCommand, *m_underlineCommand;

    QString m_fileName;
    QList<QAction *> m_commands;
    QLabel *m_fileNamePanel;
};
