#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/PersonalizedMenu.h"
#include "mailmerge/rtf/RtfWriter.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "widgets/BringForward.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QWidgetAction>
#include <QtTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

// The editor alone, with the desktop's dialogs scripted.
struct EditorAlone
{
    ScriptedPlatform platform;
    TfmMailMergeEdit window;
    QStringList &log() { return platform.dialogs.log; }
};

// The one editor there is, alone or in the running program.
TfmMailMergeEdit *editor()
{
    return topLevel<TfmMailMergeEdit>("fmMailMergeEdit");
}

QTextEdit *letter()
{
    return named<QTextEdit>(editor(), "RichEdit1");
}

QAction *cmd(const char *name)
{
    return named<QAction>(editor(), name);
}

PersonalizedMenu *editorMenu(const char *name)
{
    return named<PersonalizedMenu>(editor(), name);
}

QToolBar *toolBar()
{
    return named<QToolBar>(editor(), "ActionToolBar1");
}

bool programRuns()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TfmHomeAddMain *>(w))
            return true;
    return false;
}

// Opens the editor as the user does (from the main menu when the program
// runs), and waits until it is the active window with the caret in the text.
void openEditor()
{
    if (programRuns())
        named<QAction>(mainWindow(), "Notepad1")->trigger();
    else
        bringForward(editor());
    QVERIFY(QTest::qWaitForWindowActive(editor()));
    letter()->setFocus();
    QApplication::processEvents();
}

void typeText(const QString &text)
{
    QTest::keyClicks(letter(), text);
}

// Selects [from, to) of the editor's text.
void select(int from, int to)
{
    QTextCursor c = letter()->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    letter()->setTextCursor(c);
}

QTextCharFormat formatAt(int position)
{
    QTextCursor c(letter()->document());
    c.setPosition(position);
    return c.charFormat();
}

QStringList visibleItems(QMenu *menu)
{
    QStringList texts;
    for (QAction *a : menu->actions())
        if (a->isVisible())
            texts << (qobject_cast<QWidgetAction *>(a) ? QStringLiteral("<Expand>")
                                                       : a->text().section('\t', 0, 0));
    return texts;
}

// Opens a menu of the editor's menu bar with the mouse, as the user does.
void openMenu(QMenu *menu)
{
    auto *bar = named<QMenuBar>(editor(), "ActionMainMenuBar1");
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menu->menuAction()).center());
    QTRY_VERIFY(menu->isVisible());
}

// Whether text in this font shows bold. A font that names its style is matched
// by that name, and its weight is then ignored (QFont::setStyleName), which
// the offscreen platform's matcher does not do; so the name decides here.
bool showsBold(const QFont &font)
{
    if (!font.styleName().isEmpty())
        return QFontDatabase::bold(font.family(), font.styleName());
    return QFontInfo(font).bold();
}

// Whether the RTF of the document turns bold on anywhere (\b, not \b0 or \blue).
bool writesBold(const QTextDocument &doc)
{
    static const QRegularExpression bold(QStringLiteral("\\\\b(?![a-z0-9])"));
    return bold.match(QString::fromLatin1(RtfWriter::write(doc))).hasMatch();
}

QAction *itemOf(QMenu *menu, QAction *command)
{
    return menu->findChild<QAction *>(command->objectName() + "Item");
}

} // namespace

class tst_mailmergeedit : public QObject
{
    Q_OBJECT
private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void windowAndCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("menu");        // menu name, "" for none
        QTest::addColumn<QString>("menuCaption"); // as the menu shows it, key included
        QTest::addColumn<int>("toolbarPlace");    // from 1, 0 for none
        QTest::addColumn<QString>("toolbarCaption");
        QTest::addColumn<QString>("tooltip"); // of the toolbar button
        QTest::addColumn<QString>("statusTip");
        QTest::newRow("New") << "FileNew"
                             << "File1"
                             << "&New" << 1 << "&New"
                             << "Create File"
                             << "Create File";
        QTest::newRow("Open") << "FileOpen1"
                              << "File1"
                              << "&Open...\tCtrl+O" << 2 << "&Open..."
                              << "Open (Ctrl+O)"
                              << "Opens an existing file";
        QTest::newRow("Save") << "FileSave"
                              << "File1"
                              << "&Save\tCtrl+S" << 3 << "&Save"
                              << "Save File (Ctrl+S)"
                              << "Save File";
        QTest::newRow("Save As") << "FileSaveAs1"
                                 << "File1"
                                 << "Save &As..." << 0 << ""
                                 << ""
                                 << "Saves the active file with a new name";
        QTest::newRow("Close") << "FileClose"
                               << ""
                               << "" << 7 << "C&lose"
                               << ""
                               << "";
        QTest::newRow("Cut") << "EditCut1"
                             << "Edit1"
                             << "Cu&t\tCtrl+X" << 4 << "C&ut"
                             << "Cut (Ctrl+X)"
                             << "Cuts the selection and puts it on the Clipboard";
        QTest::newRow("Copy") << "EditCopy1"
                              << "Edit1"
                              << "&Copy\tCtrl+C" << 5 << "&Copy"
                              << "Copy (Ctrl+C)"
                              << "Copies the selection and puts it on the Clipboard";
        QTest::newRow("Paste") << "EditPaste1"
                               << "Edit1"
                               << "&Paste\tCtrl+V" << 6 << "&Paste"
                               << "Paste (Ctrl+V)"
                               << "Inserts Clipboard contents";
        QTest::newRow("Font Change") << "FontChange"
                                     << "Format1"
                                     << "&Font Change" << 0 << ""
                                     << ""
                                     << "";
        QTest::newRow("Bold") << "RichEditBold1"
                              << "Format1"
                              << "&Bold\tCtrl+B" << 0 << ""
                              << ""
                              << "Bold";
        QTest::newRow("Italic") << "RichEditItalic1"
                                << "Format1"
                                << "&Italic\tCtrl+I" << 0 << ""
                                << ""
                                << "Italic";
        QTest::newRow("Underline") << "RichEditUnderline1"
                                   << "Format1"
                                   << "&Underline\tCtrl+U" << 0 << ""
                                   << ""
                                   << "Underline";
    }
    void windowAndCommands()
    {
        QFETCH(QString, name);
        QFETCH(QString, menu);
        QFETCH(QString, menuCaption);
        QFETCH(int, toolbarPlace);
        QFETCH(QString, toolbarCaption);
        QFETCH(QString, tooltip);
        QFETCH(QString, statusTip);
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        QVERIFY(ed && !ed->isVisible());
        QCOMPARE(ed->windowTitle(), QString("Text Editor"));
        QCOMPARE(ed->size(), QSize(731, 382));
        QCOMPARE(letter()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(letter()->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(letter()->lineWrapMode(), QTextEdit::WidgetWidth);
        QStringList menus;
        for (QAction *m : named<QMenuBar>(ed, "ActionMainMenuBar1")->actions())
            menus << m->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "F&ormat"}));

        QAction *command = ed->findChild<QAction *>(name);
        QVERIFY(command);
        QVERIFY(!command->icon().isNull());
        if (menu.isEmpty()) {
            for (QMenu *m : {static_cast<QMenu *>(editorMenu("File1")),
                             static_cast<QMenu *>(editorMenu("Edit1")),
                             static_cast<QMenu *>(editorMenu("Format1"))})
                QVERIFY(!itemOf(m, command));
        } else {
            QAction *item = itemOf(ed->findChild<QMenu *>(menu), command);
            QVERIFY(item);
            QCOMPARE(item->text(), menuCaption);
            QCOMPARE(item->statusTip(), statusTip);
            QCOMPARE(item->icon().cacheKey(), command->icon().cacheKey());
        }
        const QList<QAction *> onBar = toolBar()->actions();
        QCOMPARE(onBar.indexOf(command) + 1, toolbarPlace);
        if (toolbarPlace) {
            auto *b = qobject_cast<QToolButton *>(toolBar()->widgetForAction(command));
            QCOMPARE(b->text(), toolbarCaption);
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
            // A command without a hint shows no tooltip at all.
            QHelpEvent tip(QEvent::ToolTip, QPoint(2, 2), b->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(b, &tip);
            if (tooltip.isEmpty())
                QTRY_VERIFY(QToolTip::text().isEmpty());
            else
                QTRY_COMPARE(QToolTip::text(), tooltip);
            QToolTip::hideText();
        }
    }

    void hintsGoToTheMainStatusBar()
    {
        RunningProgram program;
        openEditor();
        QWidget *open = toolBar()->widgetForAction(cmd("FileOpen1"));
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), open->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(open, &enter);
        QCOMPARE(mainWindow()->statusPanel(0), QString("Opens an existing file"));
        QCOMPARE(editor()->statusText(), QString("untitled.txt"));
    }

    void enablingFollowsSelectionClipboardAndFocus()
    {
        EditorAlone alone;
        openEditor();
        typeText("Dear friend");
        QVERIFY(!cmd("EditCut1")->isEnabled());
        QVERIFY(!cmd("EditCopy1")->isEnabled());
        QVERIFY(!cmd("EditPaste1")->isEnabled());
        QVERIFY(cmd("RichEditBold1")->isEnabled());
        select(0, 4);
        QVERIFY(cmd("EditCut1")->isEnabled());
        QVERIFY(cmd("EditCopy1")->isEnabled());
        QVERIFY(itemOf(editorMenu("Edit1"), cmd("EditCopy1"))->isEnabled());
        QTest::keyClick(letter(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Dear"));
        QVERIFY(cmd("EditPaste1")->isEnabled());
        QTest::keyClick(letter(), Qt::Key_End);
        cmd("EditPaste1")->trigger();
        QCOMPARE(letter()->toPlainText(), QString("Dear friendDear"));
        select(0, 5);
        cmd("EditCut1")->trigger();
        QCOMPARE(letter()->toPlainText(), QString("friendDear"));
        QVERIFY(!cmd("EditCut1")->isEnabled());
        // The style commands work on the text control only.
        toolBar()->setFocus();
        QTRY_VERIFY(!cmd("RichEditBold1")->isEnabled());
        QVERIFY(!itemOf(editorMenu("Format1"), cmd("RichEditBold1"))->isEnabled());
        letter()->setFocus();
        QTRY_VERIFY(cmd("RichEditUnderline1")->isEnabled());
    }

    // A web page on the clipboard brings its words and the pictures it holds
    // inline; a picture it names by path is not read, and tables nested
    // beyond reason arrive as plain words.
    void pasteReadsNoFileTheTextNames()
    {
        EditorAlone alone;
        openEditor();
        QTemporaryDir dir;
        QImage red(60, 60, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString png = dir.filePath("red.png");
        QVERIFY(red.save(png));
        QImage blue(60, 60, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QByteArray inline_;
        QBuffer b(&inline_);
        b.open(QIODevice::WriteOnly);
        blue.save(&b, "PNG");

        auto *page = new QMimeData;
        page->setHtml(QStringLiteral("<p>Hello</p><img src=\"%1\"><img src=\"%2\">"
                                     "<img src=\"data:image/png;base64,%3\">")
                          .arg(png, QUrl::fromLocalFile(png).toString(),
                               QString::fromLatin1(inline_.toBase64())));
        page->setText("Hello");
        QGuiApplication::clipboard()->setMimeData(page);
        letter()->setFocus();
        QTest::keyClick(letter(), Qt::Key_V, Qt::ControlModifier);
        QVERIFY(letter()->toPlainText().startsWith("Hello"));
        const QImage shown = letter()->viewport()->grab().toImage();
        int redPixels = 0, bluePixels = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb c = shown.pixel(x, y);
                redPixels += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
                bluePixels += qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
            }
        QCOMPARE(redPixels, 0);
        QVERIFY(bluePixels > 1000);

        letter()->clear();
        auto *deep = new QMimeData;
        deep->setHtml(QString("<table><tr><td>").repeated(3000) + "deep" +
                      QString("</td></tr></table>").repeated(3000));
        deep->setText("deep");
        QGuiApplication::clipboard()->setMimeData(deep);
        QTest::keyClick(letter(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(letter()->toPlainText(), QString("deep"));
        QVERIFY(letter()->document()->rootFrame()->childFrames().isEmpty());
    }

    void styleCommandsToggleAndFollowTheSelection()
    {
        EditorAlone alone;
        openEditor();
        typeText("plain words");
        select(0, 5);
        QTest::keyClick(letter(), Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(letter(), Qt::Key_I, Qt::ControlModifier);
        cmd("RichEditUnderline1")->trigger();
        QVERIFY(formatAt(1).font().bold() && formatAt(1).fontItalic() &&
                formatAt(1).fontUnderline());
        QVERIFY(!formatAt(7).font().bold());
        QVERIFY(cmd("RichEditBold1")->isChecked() && cmd("RichEditItalic1")->isChecked());
        QVERIFY(itemOf(editorMenu("Format1"), cmd("RichEditBold1"))->isChecked());
        // Moving into plain text clears the checks; back in, they return.
        select(8, 8);
        QVERIFY(!cmd("RichEditBold1")->isChecked() && !cmd("RichEditUnderline1")->isChecked());
        select(0, 5);
        QVERIFY(cmd("RichEditUnderline1")->isChecked());
        // A second use removes the style again.
        QTest::keyClick(letter(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!formatAt(1).font().bold());
        QVERIFY(formatAt(1).fontItalic());
        QVERIFY(!cmd("RichEditBold1")->isChecked());
        // With no selection the style applies to what is typed at the caret.
        QTest::keyClick(letter(), Qt::Key_End);
        QTest::keyClick(letter(), Qt::Key_B, Qt::ControlModifier);
        typeText("X");
        QVERIFY(formatAt(letter()->toPlainText().size()).font().bold());
        QVERIFY(!formatAt(letter()->toPlainText().size() - 1).font().bold());
    }

    void saveOnANewDocumentAsksForAName()
    {
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        QTemporaryDir dir;
        openEditor();
        typeText("Hello");
        // Cancelled: nothing written, still untitled.
        QTest::keyClick(letter(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(alone.log(), QStringList{"Save: Save As -> Cancel"});
        QCOMPARE(alone.platform.dialogs.lastFileRequest.folder, QString());
        QVERIFY(!alone.platform.dialogs.lastFileRequest.confirmOverwrite);
        QCOMPARE(alone.platform.dialogs.lastFileRequest.defaultSuffix, QString("txt"));
        // Its content is RTF: a bare name gets ".rtf", whatever type is picked.
        QCOMPARE(alone.platform.dialogs.lastFileRequest.bareNameSuffix, QString("rtf"));
        QCOMPARE(alone.platform.dialogs.lastFileRequest.filters,
                 (QStringList{"Text Files (*.txt)", "Rich Text Format (*.rtf)", "All Files (*)"}));
        QCOMPARE(ed->statusText(), QString("untitled.txt"));
        QVERIFY(QDir(dir.path()).isEmpty());

        // A .txt name still gets RTF, and the name goes to the status bar.
        const QString letter = dir.filePath("letter.txt");
        alone.platform.dialogs.answers << letter;
        cmd("FileSave")->trigger();
        QCOMPARE(ed->fileName(), letter);
        QCOMPARE(ed->statusText(), letter);
        QVERIFY(fileBytes(letter).startsWith("{\\rtf1"));
        QVERIFY(fileBytes(letter).contains("Hello"));

        // From now on Save writes without a dialog; Save As starts in the file's folder.
        alone.log().clear();
        typeText(" again");
        cmd("FileSave")->trigger();
        QVERIFY(alone.log().isEmpty());
        QVERIFY(fileBytes(letter).contains("Hello again"));
        cmd("FileSaveAs1")->trigger();
        QCOMPARE(alone.platform.dialogs.lastFileRequest.folder, dir.path() + '/');
    }

    void saveAsReplacesAnExistingFileWithoutAsking()
    {
        EditorAlone alone;
        QTemporaryDir dir;
        const QString target = dir.filePath("old.rtf");
        writeFile(target, "old contents");
        openEditor();
        typeText("New letter");
        alone.platform.dialogs.answers << target;
        cmd("FileSaveAs1")->trigger();
        QCOMPARE(alone.log(), QStringList{"Save: Save As -> " + target});
        QVERIFY(!fileBytes(target).contains("old contents"));
        QVERIFY(fileBytes(target).contains("New letter"));
    }

    void openReadsRtfOrPlainTextAndSaveWritesRtfBack()
    {
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        QTemporaryDir dir;
        const QString plain = dir.filePath("note.txt");
        writeFile(plain, "Caf\xc3\xa9 line one\nline two\n");
        openEditor();
        typeText("to be replaced");
        alone.platform.dialogs.answers << plain;
        QTest::keyClick(letter(), Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(alone.log(), QStringList{"Open: Open file -> " + plain});
        const FileDialogRequest &r = alone.platform.dialogs.lastFileRequest;
        QVERIFY(!r.mustExist);
        QCOMPARE(r.filters, (QStringList{"Test Files (*.txt)", "Rich Test Format *.rtf) (*.rtf)",
                                         "All files (*)"}));
        QCOMPARE(letter()->toPlainText(), QString::fromUtf8("Café line one\nline two\n"));
        QCOMPARE(ed->statusText(), plain);
        cmd("FileSave")->trigger();
        QVERIFY(fileBytes(plain).startsWith("{\\rtf1"));
        QCOMPARE(alone.log().size(), 1); // no dialog

        // An RTF letter keeps its formatting.
        QTextDocument doc;
        QTextCursor c(&doc);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setFontFamilies({"Arial"});
        bold.setFontPointSize(14);
        c.insertText("Bold heading", bold);
        const QString rtf = dir.filePath("letter.doc");
        writeFile(rtf, RtfWriter::write(doc));
        alone.platform.dialogs.answers << rtf;
        cmd("FileOpen1")->trigger();
        QCOMPARE(letter()->toPlainText(), QString("Bold heading"));
        QVERIFY(formatAt(3).font().bold());
        QCOMPARE(formatAt(3).fontPointSize(), 14.0);
        QCOMPARE(ed->fileName(), rtf);
    }

    void openAndSaveErrorsKeepTheState()
    {
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        QTemporaryDir dir;
        openEditor();
        typeText("precious");
        const QString missing = dir.filePath("nothere.txt");
        alone.platform.dialogs.answers << missing;
        cmd("FileOpen1")->trigger();
        QCOMPARE(alone.log().last(), "Varnel: Cannot open file " + missing + ".");
        QCOMPARE(letter()->toPlainText(), QString("precious"));
        QCOMPARE(ed->statusText(), QString("untitled.txt"));

        const QString binary = dir.filePath("picture.bin");
        writeFile(binary, QByteArray("\x00\x01\x02\x03", 4));
        alone.platform.dialogs.answers << binary;
        cmd("FileOpen1")->trigger();
        QCOMPARE(alone.log().last(), QString("Varnel: Failed to Load Stream."));
        QCOMPARE(letter()->toPlainText(), QString("precious"));
        QCOMPARE(ed->fileName(), QString("untitled.txt"));

        const QString noFolder = dir.filePath("no/such/folder/x.rtf");
        alone.platform.dialogs.answers << noFolder;
        cmd("FileSaveAs1")->trigger();
        QCOMPARE(alone.log().last(), "Varnel: Cannot create file " + noFolder + ".");
        QCOMPARE(ed->fileName(), QString("untitled.txt"));
        QVERIFY(ed->isVisible());
    }

    void newAndCloseDropOrKeepWithoutAsking()
    {
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        QTemporaryDir dir;
        openEditor();
        typeText("kept");
        alone.platform.dialogs.answers << dir.filePath("a.rtf");
        cmd("FileSaveAs1")->trigger();
        typeText(" unsaved");
        cmd("FileClose")->trigger();
        QVERIFY(!ed->isVisible());
        openEditor();
        QCOMPARE(letter()->toPlainText(), QString("kept unsaved"));
        QCOMPARE(ed->statusText(), dir.filePath("a.rtf"));
        cmd("FileNew")->trigger();
        QCOMPARE(letter()->toPlainText(), QString());
        QCOMPARE(ed->statusText(), QString("untitled.txt"));
        QCOMPARE(alone.log().size(), 1); // only the Save As
    }

    // Closing the program with letter text that was never saved asks first;
    // Cancel, or a Save whose name is not given, keeps the program running.
    void closingTheProgramAsksAboutUnsavedText_data()
    {
        QTest::addColumn<QString>("typed");       // after the file was saved once
        QTest::addColumn<QStringList>("answers"); // FILE: a new file's path
        QTest::addColumn<bool>("closes");
        QTest::addColumn<QStringList>("log");
        const QString ask = "Confirm: Save the changes to untitled.txt? -> ";
        QTest::newRow("discard") << "" << QStringList{"Discard"} << true
                                 << QStringList{ask + "Discard"};
        QTest::newRow("cancel") << "" << QStringList{"Cancel"} << false
                                << QStringList{ask + "Cancel"};
        QTest::newRow("save under a new name")
            << "" << QStringList{"Save", "FILE"} << true
            << QStringList{ask + "Save", "Save: Save As -> FILE"};
        QTest::newRow("save, name not given")
            << "" << QStringList{"Save", ""} << false
            << QStringList{ask + "Save", "Save: Save As -> Cancel"};
        QTest::newRow("saved, nothing typed since")
            << "<saved>" << QStringList{} << true << QStringList{};
        QTest::newRow("saved, then typed")
            << "<saved> more" << QStringList{"Save"} << true
            << QStringList{"Confirm: Save the changes to FILE? -> Save"};
    }
    void closingTheProgramAsksAboutUnsavedText()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, answers);
        QFETCH(bool, closes);
        QFETCH(QStringList, log);
        RunningProgram program;
        QTemporaryDir dir;
        const QString file = dir.filePath("letter.rtf");
        openEditor();
        typeText("Dear all");
        if (typed.startsWith("<saved>")) {
            program.platform.dialogs.answers << file;
            cmd("FileSaveAs1")->trigger();
            typeText(typed.mid(7));
        }
        cmd("FileClose")->trigger(); // hidden, as the user may have left it
        program.log().clear();
        for (QString &a : answers)
            a.replace("FILE", file);
        for (QString &line : log)
            line.replace("FILE", file);
        for (const QString &a : answers)
            program.platform.dialogs.answers << a;
        const QByteArray settings = fileBytes(program.folder.file("VarnIni.ini"));

        mainWindow()->close();
        QCOMPARE(program.log(), log);
        QCOMPARE(mainWindow()->isVisible(), !closes);
        QCOMPARE(letter()->toPlainText(), "Dear all" + typed.mid(7));
        if (!closes) // nothing of the closing ran
            QCOMPARE(fileBytes(program.folder.file("VarnIni.ini")), settings);
        if (answers.value(1) == file || typed == "<saved> more")
            QVERIFY(fileBytes(file).contains(("Dear all" + typed.mid(7)).toUtf8()));
    }

    void fontDialogTakesTheSelectionsFont()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = editor();
        // Never active yet: Times New Roman 12 pt bold.
        QCOMPARE(ed->dialogFont().font.family(), QString("Times New Roman"));
        QCOMPARE(ed->dialogFont().font.pointSizeF(), 12.0);
        QVERIFY(ed->dialogFont().font.bold());

        QTextCharFormat arial;
        arial.setFontFamilies({"Arial"});
        arial.setFontPointSize(12);
        QTextCursor(letter()->document()).insertText("Arial text", arial);
        letter()->moveCursor(QTextCursor::End);
        openEditor();
        QCOMPARE(ed->dialogFont().font.family(), QString("Arial"));
        QCOMPARE(ed->dialogFont().font.pointSizeF(), 12.0);
        QVERIFY(!ed->dialogFont().font.bold());

        // Moving the caret changes nothing until the window is activated again.
        QTextCursor c(letter()->document());
        c.movePosition(QTextCursor::End);
        QTextCharFormat big;
        big.setFontFamilies({"Courier New"});
        big.setFontPointSize(20);
        c.insertText(" courier", big);
        letter()->moveCursor(QTextCursor::End);
        QCOMPARE(ed->dialogFont().font.family(), QString("Arial"));
        mainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        QCOMPARE(ed->dialogFont().font.family(), QString("Courier New"));
        QCOMPARE(ed->dialogFont().font.pointSizeF(), 20.0);
    }

    void fontChange()
    {
        EditorAlone alone;
        TfmMailMergeEdit *ed = &alone.window;
        openEditor();
        QTextCharFormat italic;
        italic.setFontFamilies({"Arial"});
        italic.setFontPointSize(12);
        italic.setFontItalic(true);
        QTextCursor(letter()->document()).insertText("Hello world", italic);
        select(0, 5);

        // Cancel: the selection stays as it was, the default format becomes its font.
        alone.platform.dialogs.answers << "Cancel";
        cmd("FontChange")->trigger();
        QCOMPARE(alone.log(), QStringList{"Font: Arial 12 -> Cancel"});
        QCOMPARE(formatAt(2).fontFamilies().toStringList(), QStringList{"Arial"});
        QVERIFY(formatAt(2).fontItalic());
        QFont def = letter()->document()->defaultFont();
        QCOMPARE(def.family(), QString("Arial"));
        QCOMPARE(def.pointSizeF(), 12.0);
        QVERIFY(def.italic());

        // OK: the chosen font and colour go onto the selection, and become the default.
        FontValue chosen;
        chosen.font = QFont("Courier New", 16);
        chosen.font.setBold(true);
        chosen.font.setStrikeOut(true);
        chosen.color = Qt::red;
        alone.platform.dialogs.answers << QVariant::fromValue(chosen);
        cmd("FontChange")->trigger();
        const QTextCharFormat f = formatAt(2);
        QCOMPARE(f.font().family(), QString("Courier New"));
        QCOMPARE(f.fontPointSize(), 16.0);
        QVERIFY(f.font().bold() && f.fontStrikeOut() && !f.fontItalic());
        QCOMPARE(f.foreground().color(), QColor(Qt::red));
        QCOMPARE(formatAt(7).fontFamilies().toStringList(),
                 QStringList{"Arial"}); // outside the selection
        QCOMPARE(letter()->document()->defaultFont().family(), QString("Courier New"));
        QCOMPARE(ed->dialogFont(), chosen);

        // Text that carries no format of its own takes the default format.
        cmd("FileNew")->trigger();
        typeText("fresh");
        QCOMPARE(ed->selectionFont().font.family(), QString("Courier New"));
    }

    // The desktop's font dialog hands back the chosen style by name as well as
    // by weight; what the editor shows must be what is saved, printed and
    // toggled by Ctrl+B.
    void boldFromTheFontDialogIsBoldEverywhere()
    {
        EditorAlone alone;
        openEditor();
        // All of the text: Font Change makes the chosen font the default for
        // text without a format of its own as well.
        typeText("Hello");
        select(0, 5);
        FontValue chosen;
        chosen.font = QFontDatabase::font("Liberation Serif", "Bold", 14);
        QCOMPARE(chosen.font.styleName(), QString("Bold")); // as the dialog gives it
        alone.platform.dialogs.answers << QVariant::fromValue(chosen);
        cmd("FontChange")->trigger();
        QTextDocument *doc = letter()->document();
        QVERIFY(showsBold(formatAt(2).font().resolve(doc->defaultFont())));
        QVERIFY(cmd("RichEditBold1")->isChecked());
        QVERIFY(writesBold(*doc));
        QVERIFY(doc->toHtml().contains("font-weight:700"));

        select(0, 5);
        QTest::keyClick(letter(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!showsBold(formatAt(2).font().resolve(doc->defaultFont())));
        QVERIFY(!cmd("RichEditBold1")->isChecked());
        QVERIFY(!writesBold(*doc));
        QTest::keyClick(letter(), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(showsBold(formatAt(2).font().resolve(doc->defaultFont())));
        QVERIFY(writesBold(*doc));
    }

    void fontChangeColourIsSaved_data()
    {
        QTest::addColumn<QString>("before"); // typed before Font Change, all selected
        QTest::addColumn<QString>("after");  // typed after it, at the caret
        QTest::addColumn<int>("caretAt");    // where the caret goes before typing
        QTest::newRow("on a selection") << "Red words"
                                        << "" << 0;
        QTest::newRow("at the caret, then typed") << ""
                                                  << "Red words" << 0;
        // Typed into text without a colour of its own: the default colour shows.
        QTest::newRow("typed into older text") << " words"
                                               << "Red" << 0;
    }
    void fontChangeColourIsSaved()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(int, caretAt);
        SampleBook sample;
        EditorAlone alone;
        TfmMailRp mergedLetters(sample.query(), alone.window.document());
        QTemporaryDir dir;
        openEditor();
        typeText(before);
        select(0, before.size());
        if (!after.isEmpty() && !before.isEmpty())
            select(before.size(), before.size()); // nothing selected
        FontValue chosen;
        chosen.font = QFont("Liberation Sans", 12);
        chosen.color = QColor(0x80, 0, 0); // maroon
        alone.platform.dialogs.answers << QVariant::fromValue(chosen);
        cmd("FontChange")->trigger();
        if (!before.isEmpty() && !after.isEmpty())
            select(caretAt, caretAt);
        typeText(after);
        // The merged letter prints it in that colour too.
        QVERIFY(mergedLetters.report()->run());
        bool printedInColour = false;
        for (const PreparedItem &item : mergedLetters.report()->preparedReport()->pages.at(0).items)
            printedInColour = printedInColour || (item.kind == PreparedItem::RichText &&
                                                  item.text.contains("#800000"));
        QVERIFY(printedInColour);
        const QString path = dir.filePath("letter.rtf");
        alone.platform.dialogs.answers << path;
        cmd("FileSave")->trigger();
        cmd("FileNew")->trigger();
        alone.platform.dialogs.answers << path;
        cmd("FileOpen1")->trigger();
        QCOMPARE(letter()->toPlainText(), QString("Red words"));
        QCOMPARE(formatAt(4).foreground().color(), chosen.color);
    }

    void openingALetterWithPicturesSaysSoOnce()
    {
        EditorAlone alone;
        QTemporaryDir dir;
        openEditor();
        // Two pictures in the file; one message.
        const QString path = dir.filePath("map.rtf");
        writeFile(path, "{\\rtf1 Map: {\\pict\\pngblip 89504e47} and {\\*\\shppict{\\pict\\pngblip "
                        "89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}} done.}");
        alone.platform.dialogs.answers << path;
        cmd("FileOpen1")->trigger();
        QCOMPARE(letter()->toPlainText(), QString("Map:  and  done."));
        QCOMPARE(
            alone.log(),
            (QStringList{"Open: Open file -> " + path,
                         "Information: " + TfmMailMergeEdit::picturesLeftOutText() + " -> OK"}));
        // A letter without pictures opens without a word.
        const QString plain = dir.filePath("plain.rtf");
        writeFile(plain, "{\\rtf1 Just text.}");
        alone.log().clear();
        alone.platform.dialogs.answers << plain;
        cmd("FileOpen1")->trigger();
        QCOMPARE(alone.log(), QStringList{"Open: Open file -> " + plain});
    }

    void personalisedMenus()
    {
        EditorAlone alone;
        openEditor();
        const QStringList fullFile{"&New", "&Open...", "&Save", "Save &As..."};
        openMenu(editorMenu("File1"));
        QCOMPARE(visibleItems(editorMenu("File1")), fullFile);
        // Picked with the mouse.
        QAction *newItem = itemOf(editorMenu("File1"), cmd("FileNew"));
        QTest::mouseClick(editorMenu("File1"), Qt::LeftButton, {},
                          editorMenu("File1")->actionGeometry(newItem).center());
        QTRY_VERIFY(!editorMenu("File1")->isVisible());
        QVERIFY(editorMenu("File1")->wasPicked(newItem));

        // Shortcuts and toolbar buttons do not count as picks.
        alone.platform.dialogs.answers << ""
                                       << "";
        QTest::keyClick(letter(), Qt::Key_O, Qt::ControlModifier);
        QTest::mouseClick(toolBar()->widgetForAction(cmd("FileSave")), Qt::LeftButton);
        QCOMPARE(alone.log(),
                 (QStringList{"Open: Open file -> Cancel", "Save: Save As -> Cancel"}));
        openMenu(editorMenu("File1"));
        QCOMPARE(visibleItems(editorMenu("File1")), (QStringList{"&New", "<Expand>"}));
        QCOMPARE(editorMenu("File1")->expandButton()->toolTip(), QString("Expand"));
        // The expand button shows the rest, in place.
        QTest::mouseClick(editorMenu("File1")->expandButton(), Qt::LeftButton);
        QVERIFY(editorMenu("File1")->isVisible());
        QCOMPARE(visibleItems(editorMenu("File1")), fullFile);
        // Picked with the keyboard: Save's access key.
        QTest::keyClick(editorMenu("File1"), Qt::Key_S);
        QTRY_VERIFY(!editorMenu("File1")->isVisible());
        QCOMPARE(alone.log().last(), QString("Save: Save As -> Cancel"));
        openMenu(editorMenu("File1"));
        QCOMPARE(visibleItems(editorMenu("File1")), (QStringList{"&New", "&Save", "<Expand>"}));
        editorMenu("File1")->hide();

        // Each menu keeps its own picks: the others still open in full.
        openMenu(editorMenu("Format1"));
        QCOMPARE(visibleItems(editorMenu("Format1")),
                 (QStringList{"&Font Change", "&Bold", "&Italic", "&Underline"}));
        editorMenu("Format1")->hide();
    }

    // The editor's Ctrl+O and Ctrl+S are its own; keys it does not claim run
    // the main window's menu, with no clash between the two.
    void keysGoToTheEditorOrTheMainMenu_data()
    {
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("mainAction");
        QTest::addColumn<bool>("mainRuns");
        QTest::addColumn<QString>("editorLog");
        QTest::newRow("Ctrl+O") << QKeySequence("Ctrl+O") << "miOpenFile" << false
                                << "Open: Open file -> Cancel";
        QTest::newRow("Ctrl+S") << QKeySequence("Ctrl+S") << "miSaveAs" << false
                                << "Save: Save As -> Cancel";
        QTest::newRow("Ctrl+N") << QKeySequence("Ctrl+N") << "NewFile1" << true << "";
        QTest::newRow("Ctrl+L") << QKeySequence("Ctrl+L") << "miClose" << true << "";
        QTest::newRow("Ctrl+Q") << QKeySequence("Ctrl+Q") << "miPrintSetup" << true << "";
        QTest::newRow("Ctrl+E") << QKeySequence("Ctrl+E") << "Exit1" << true << "";
        QTest::newRow("F1") << QKeySequence("F1") << "Help2" << true << "";
        QTest::newRow("F3") << QKeySequence("F3") << "miOpenSearch" << true << "";
        QTest::newRow("F4") << QKeySequence("F4") << "miClearFillter" << true << "";
    }
    void keysGoToTheEditorOrTheMainMenu()
    {
        QFETCH(QKeySequence, key);
        QFETCH(QString, mainAction);
        QFETCH(bool, mainRuns);
        QFETCH(QString, editorLog);
        QTest::failOnWarning(QRegularExpression("mbiguous"));
        RunningProgram program;
        QAction *a = mainWindow()->findChild<QAction *>(mainAction);
        QVERIFY(a);
        // Only whether the key reaches the item matters here, not what the item does.
        a->setEnabled(true);
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        QSignalSpy spy(a, &QAction::triggered);
        openEditor();
        const QKeyCombination k = key[0];
        QTest::keyClick(letter(), k.key(), k.keyboardModifiers());
        QCOMPARE(spy.count(), mainRuns ? 1 : 0);
        QCOMPARE(program.log(), editorLog.isEmpty() ? QStringList() : QStringList{editorLog});
        QCOMPARE(letter()->toPlainText(), QString());
        // With the main window active the same key is the main menu's.
        mainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        QTest::keyClick(mainWindow(), k.key(), k.keyboardModifiers());
        QCOMPARE(spy.count(), mainRuns ? 2 : 1);
    }

    void notepadBringsTheOneEditorForward()
    {
        RunningProgram program;
        QVERIFY(named<QAction>(mainWindow(), "Notepad1")->isEnabled());
        QCOMPARE(named<QAction>(mainWindow(), "Notepad1")->statusTip(),
                 QString("Opens Text Editor"));
        openEditor();
        typeText("x");
        mainWindow()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(mainWindow()));
        openEditor();
        QCOMPARE(letter()->toPlainText(), QString("x"));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(
                     windows.begin(), windows.end(),
                     [](QWidget *w) { return qobject_cast<TfmMailMergeEdit *>(w) != nullptr; }),
                 1);
    }
};

QTEST_MAIN(tst_mailmergeedit)
#include "tst_mailmergeedit.moc"
