#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/PersonalizedMenu.h"
#include "mailmerge/rtf/RtfWriter.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"

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

// Opens the editor from the main menu, as the user does, and waits until it
// is the active window with the caret in the text.
void openEditor()
{
    fmHomeAddMain->Notepad1->trigger();
    QVERIFY(QTest::qWaitForWindowActive(fmMailMergeEdit));
    fmMailMergeEdit->RichEdit1->setFocus();
    QApplication::processEvents();
}

void typeText(const QString &text)
{
    QTest::keyClicks(fmMailMergeEdit->RichEdit1, text);
}

// Selects [from, to) of the editor's text.
void select(int from, int to)
{
    QTextCursor c = fmMailMergeEdit->RichEdit1->textCursor();
    c.setPosition(from);
    c.setPosition(to, QTextCursor::KeepAnchor);
    fmMailMergeEdit->RichEdit1->setTextCursor(c);
}

QTextCharFormat formatAt(int position)
{
    QTextCursor c(fmMailMergeEdit->RichEdit1->document());
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
    QMenuBar *bar = fmMailMergeEdit->ActionMainMenuBar1;
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
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QVERIFY(ed && !ed->isVisible());
        QCOMPARE(ed->windowTitle(), QString("Text Editor"));
        QCOMPARE(ed->size(), QSize(731, 382));
        QCOMPARE(ed->RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(ed->RichEdit1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(ed->RichEdit1->lineWrapMode(), QTextEdit::WidgetWidth);
        QStringList menus;
        for (QAction *m : ed->ActionMainMenuBar1->actions())
            menus << m->text();
        QCOMPARE(menus, (QStringList{"&File", "&Edit", "F&ormat"}));

        QAction *command = ed->findChild<QAction *>(name);
        QVERIFY(command);
        QVERIFY(!command->icon().isNull());
        if (menu.isEmpty()) {
            for (QMenu *m : {static_cast<QMenu *>(ed->File1), static_cast<QMenu *>(ed->Edit1),
                             static_cast<QMenu *>(ed->Format1)})
                QVERIFY(!itemOf(m, command));
        } else {
            QAction *item = itemOf(ed->findChild<QMenu *>(menu), command);
            QVERIFY(item);
            QCOMPARE(item->text(), menuCaption);
            QCOMPARE(item->statusTip(), statusTip);
            QCOMPARE(item->icon().cacheKey(), command->icon().cacheKey());
        }
        const QList<QAction *> onBar = ed->ActionToolBar1->actions();
        QCOMPARE(onBar.indexOf(command) + 1, toolbarPlace);
        if (toolbarPlace) {
            auto *b = qobject_cast<QToolButton *>(ed->ActionToolBar1->widgetForAction(command));
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
        QWidget *open =
            fmMailMergeEdit->ActionToolBar1->widgetForAction(fmMailMergeEdit->FileOpen1);
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), open->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(open, &enter);
        QCOMPARE(fmHomeAddMain->statusPanel(0), QString("Opens an existing file"));
        QCOMPARE(fmMailMergeEdit->statusText(), QString("untitled.txt"));
    }

    void enablingFollowsSelectionClipboardAndFocus()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        typeText("Dear friend");
        QVERIFY(!ed->EditCut1->isEnabled());
        QVERIFY(!ed->EditCopy1->isEnabled());
        QVERIFY(!ed->EditPaste1->isEnabled());
        QVERIFY(ed->RichEditBold1->isEnabled());
        select(0, 4);
        QVERIFY(ed->EditCut1->isEnabled());
        QVERIFY(ed->EditCopy1->isEnabled());
        QVERIFY(itemOf(ed->Edit1, ed->EditCopy1)->isEnabled());
        QTest::keyClick(ed->RichEdit1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("Dear"));
        QVERIFY(ed->EditPaste1->isEnabled());
        QTest::keyClick(ed->RichEdit1, Qt::Key_End);
        ed->EditPaste1->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("Dear friendDear"));
        select(0, 5);
        ed->EditCut1->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("friendDear"));
        QVERIFY(!ed->EditCut1->isEnabled());
        // The style commands work on the text control only.
        ed->ActionToolBar1->setFocus();
        QTRY_VERIFY(!ed->RichEditBold1->isEnabled());
        QVERIFY(!itemOf(ed->Format1, ed->RichEditBold1)->isEnabled());
        ed->RichEdit1->setFocus();
        QTRY_VERIFY(ed->RichEditUnderline1->isEnabled());
    }

    // A web page on the clipboard brings its words and the pictures it holds
    // inline; a picture it names by path is not read, and tables nested
    // beyond reason arrive as plain words.
    void pasteReadsNoFileTheTextNames()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
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
        ed->RichEdit1->setFocus();
        QTest::keyClick(ed->RichEdit1, Qt::Key_V, Qt::ControlModifier);
        QVERIFY(ed->RichEdit1->toPlainText().startsWith("Hello"));
        const QImage shown = ed->RichEdit1->viewport()->grab().toImage();
        int redPixels = 0, bluePixels = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb c = shown.pixel(x, y);
                redPixels += qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
                bluePixels += qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60;
            }
        QCOMPARE(redPixels, 0);
        QVERIFY(bluePixels > 1000);

        ed->RichEdit1->clear();
        auto *deep = new QMimeData;
        deep->setHtml(QString("<table><tr><td>").repeated(3000) + "deep" +
                      QString("</td></tr></table>").repeated(3000));
        deep->setText("deep");
        QGuiApplication::clipboard()->setMimeData(deep);
        QTest::keyClick(ed->RichEdit1, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("deep"));
        QVERIFY(ed->RichEdit1->document()->rootFrame()->childFrames().isEmpty());
    }

    void styleCommandsToggleAndFollowTheSelection()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        typeText("plain words");
        select(0, 5);
        QTest::keyClick(ed->RichEdit1, Qt::Key_B, Qt::ControlModifier);
        QTest::keyClick(ed->RichEdit1, Qt::Key_I, Qt::ControlModifier);
        ed->RichEditUnderline1->trigger();
        QVERIFY(formatAt(1).font().bold() && formatAt(1).fontItalic() &&
                formatAt(1).fontUnderline());
        QVERIFY(!formatAt(7).font().bold());
        QVERIFY(ed->RichEditBold1->isChecked() && ed->RichEditItalic1->isChecked());
        QVERIFY(itemOf(ed->Format1, ed->RichEditBold1)->isChecked());
        // Moving into plain text clears the checks; back in, they return.
        select(8, 8);
        QVERIFY(!ed->RichEditBold1->isChecked() && !ed->RichEditUnderline1->isChecked());
        select(0, 5);
        QVERIFY(ed->RichEditUnderline1->isChecked());
        // A second use removes the style again.
        QTest::keyClick(ed->RichEdit1, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!formatAt(1).font().bold());
        QVERIFY(formatAt(1).fontItalic());
        QVERIFY(!ed->RichEditBold1->isChecked());
        // With no selection the style applies to what is typed at the caret.
        QTest::keyClick(ed->RichEdit1, Qt::Key_End);
        QTest::keyClick(ed->RichEdit1, Qt::Key_B, Qt::ControlModifier);
        typeText("X");
        QVERIFY(formatAt(ed->RichEdit1->toPlainText().size()).font().bold());
        QVERIFY(!formatAt(ed->RichEdit1->toPlainText().size() - 1).font().bold());
    }

    void saveOnANewDocumentAsksForAName()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        openEditor();
        typeText("Hello");
        // Cancelled: nothing written, still untitled.
        QTest::keyClick(ed->RichEdit1, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(program.log(), QStringList{"Save: Save As -> Cancel"});
        QCOMPARE(program.platform.dialogs.lastFileRequest.folder, QString());
        QVERIFY(!program.platform.dialogs.lastFileRequest.confirmOverwrite);
        QCOMPARE(program.platform.dialogs.lastFileRequest.defaultSuffix, QString("txt"));
        // Its content is RTF: a bare name gets ".rtf", whatever type is picked.
        QCOMPARE(program.platform.dialogs.lastFileRequest.bareNameSuffix, QString("rtf"));
        QCOMPARE(program.platform.dialogs.lastFileRequest.filters,
                 (QStringList{"Text Files (*.txt)", "Rich Text Format (*.rtf)", "All Files (*)"}));
        QCOMPARE(ed->statusText(), QString("untitled.txt"));
        QVERIFY(QDir(dir.path()).isEmpty());

        // A .txt name still gets RTF, and the name goes to the status bar.
        const QString letter = dir.filePath("letter.txt");
        program.platform.dialogs.answers << letter;
        ed->FileSave->trigger();
        QCOMPARE(ed->CurrentFileName, letter);
        QCOMPARE(ed->statusText(), letter);
        QVERIFY(fileBytes(letter).startsWith("{\\rtf1"));
        QVERIFY(fileBytes(letter).contains("Hello"));

        // From now on Save writes without a dialog; Save As starts in the file's folder.
        program.log().clear();
        typeText(" again");
        ed->FileSave->trigger();
        QVERIFY(program.log().isEmpty());
        QVERIFY(fileBytes(letter).contains("Hello again"));
        ed->FileSaveAs1->trigger();
        QCOMPARE(program.platform.dialogs.lastFileRequest.folder, dir.path() + '/');
    }

    void saveAsReplacesAnExistingFileWithoutAsking()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        const QString target = dir.filePath("old.rtf");
        writeFile(target, "old contents");
        openEditor();
        typeText("New letter");
        program.platform.dialogs.answers << target;
        ed->FileSaveAs1->trigger();
        QCOMPARE(program.log(), QStringList{"Save: Save As -> " + target});
        QVERIFY(!fileBytes(target).contains("old contents"));
        QVERIFY(fileBytes(target).contains("New letter"));
    }

    void openReadsRtfOrPlainTextAndSaveWritesRtfBack()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        const QString plain = dir.filePath("note.txt");
        writeFile(plain, "Caf\xc3\xa9 line one\nline two\n");
        openEditor();
        typeText("to be replaced");
        program.platform.dialogs.answers << plain;
        QTest::keyClick(ed->RichEdit1, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(program.log(), QStringList{"Open: Open file -> " + plain});
        const FileDialogRequest &r = program.platform.dialogs.lastFileRequest;
        QVERIFY(!r.mustExist);
        QCOMPARE(r.filters, (QStringList{"Test Files (*.txt)", "Rich Test Format *.rtf) (*.rtf)",
                                         "All files (*)"}));
        QCOMPARE(ed->RichEdit1->toPlainText(), QString::fromUtf8("Café line one\nline two\n"));
        QCOMPARE(ed->statusText(), plain);
        ed->FileSave->trigger();
        QVERIFY(fileBytes(plain).startsWith("{\\rtf1"));
        QCOMPARE(program.log().size(), 1); // no dialog

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
        program.platform.dialogs.answers << rtf;
        ed->FileOpen1->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("Bold heading"));
        QVERIFY(formatAt(3).font().bold());
        QCOMPARE(formatAt(3).fontPointSize(), 14.0);
        QCOMPARE(ed->CurrentFileName, rtf);
    }

    void openAndSaveErrorsKeepTheState()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        openEditor();
        typeText("precious");
        const QString missing = dir.filePath("nothere.txt");
        program.platform.dialogs.answers << missing;
        ed->FileOpen1->trigger();
        QCOMPARE(program.log().last(), "Varnel: Cannot open file " + missing + ".");
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("precious"));
        QCOMPARE(ed->statusText(), QString("untitled.txt"));

        const QString binary = dir.filePath("picture.bin");
        writeFile(binary, QByteArray("\x00\x01\x02\x03", 4));
        program.platform.dialogs.answers << binary;
        ed->FileOpen1->trigger();
        QCOMPARE(program.log().last(), QString("Varnel: Failed to Load Stream."));
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("precious"));
        QCOMPARE(ed->CurrentFileName, QString("untitled.txt"));

        const QString noFolder = dir.filePath("no/such/folder/x.rtf");
        program.platform.dialogs.answers << noFolder;
        ed->FileSaveAs1->trigger();
        QCOMPARE(program.log().last(), "Varnel: Cannot create file " + noFolder + ".");
        QCOMPARE(ed->CurrentFileName, QString("untitled.txt"));
        QVERIFY(ed->isVisible());
    }

    void newAndCloseDropOrKeepWithoutAsking()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        openEditor();
        typeText("kept");
        program.platform.dialogs.answers << dir.filePath("a.rtf");
        ed->FileSaveAs1->trigger();
        typeText(" unsaved");
        ed->FileClose->trigger();
        QVERIFY(!ed->isVisible());
        openEditor();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("kept unsaved"));
        QCOMPARE(ed->statusText(), dir.filePath("a.rtf"));
        ed->FileNew->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString());
        QCOMPARE(ed->statusText(), QString("untitled.txt"));
        QCOMPARE(program.log().size(), 1); // only the Save As
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
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        QTemporaryDir dir;
        const QString file = dir.filePath("letter.rtf");
        openEditor();
        typeText("Dear all");
        if (typed.startsWith("<saved>")) {
            program.platform.dialogs.answers << file;
            ed->FileSaveAs1->trigger();
            typeText(typed.mid(7));
        }
        ed->FileClose->trigger(); // hidden, as the user may have left it
        program.log().clear();
        for (QString &a : answers)
            a.replace("FILE", file);
        for (QString &line : log)
            line.replace("FILE", file);
        for (const QString &a : answers)
            program.platform.dialogs.answers << a;
        const QByteArray settings = fileBytes(program.folder.file("VarnIni.ini"));

        fmHomeAddMain->close();
        QCOMPARE(program.log(), log);
        QCOMPARE(fmHomeAddMain->isVisible(), !closes);
        QCOMPARE(ed->RichEdit1->toPlainText(), "Dear all" + typed.mid(7));
        if (!closes) // nothing of the closing ran
            QCOMPARE(fileBytes(program.folder.file("VarnIni.ini")), settings);
        if (answers.value(1) == file || typed == "<saved> more")
            QVERIFY(fileBytes(file).contains(("Dear all" + typed.mid(7)).toUtf8()));
    }

    void fontDialogTakesTheSelectionsFont()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        // Never active yet: Times New Roman 12 pt bold.
        QCOMPARE(ed->FontDialog1.Font.font.family(), QString("Times New Roman"));
        QCOMPARE(ed->FontDialog1.Font.font.pointSizeF(), 12.0);
        QVERIFY(ed->FontDialog1.Font.font.bold());

        QTextCharFormat arial;
        arial.setFontFamilies({"Arial"});
        arial.setFontPointSize(12);
        QTextCursor(ed->RichEdit1->document()).insertText("Arial text", arial);
        ed->RichEdit1->moveCursor(QTextCursor::End);
        openEditor();
        QCOMPARE(ed->FontDialog1.Font.font.family(), QString("Arial"));
        QCOMPARE(ed->FontDialog1.Font.font.pointSizeF(), 12.0);
        QVERIFY(!ed->FontDialog1.Font.font.bold());

        // Moving the caret changes nothing until the window is activated again.
        QTextCursor c(ed->RichEdit1->document());
        c.movePosition(QTextCursor::End);
        QTextCharFormat big;
        big.setFontFamilies({"Courier New"});
        big.setFontPointSize(20);
        c.insertText(" courier", big);
        ed->RichEdit1->moveCursor(QTextCursor::End);
        QCOMPARE(ed->FontDialog1.Font.font.family(), QString("Arial"));
        fmHomeAddMain->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fmHomeAddMain));
        ed->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(ed));
        QCOMPARE(ed->FontDialog1.Font.font.family(), QString("Courier New"));
        QCOMPARE(ed->FontDialog1.Font.font.pointSizeF(), 20.0);
    }

    void fontChange()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        QTextCharFormat italic;
        italic.setFontFamilies({"Arial"});
        italic.setFontPointSize(12);
        italic.setFontItalic(true);
        QTextCursor(ed->RichEdit1->document()).insertText("Hello world", italic);
        select(0, 5);

        // Cancel: the selection stays as it was, the default format becomes its font.
        program.platform.dialogs.answers << "Cancel";
        ed->FontChange->trigger();
        QCOMPARE(program.log(), QStringList{"Font: Arial 12 -> Cancel"});
        QCOMPARE(formatAt(2).fontFamilies().toStringList(), QStringList{"Arial"});
        QVERIFY(formatAt(2).fontItalic());
        QFont def = ed->RichEdit1->document()->defaultFont();
        QCOMPARE(def.family(), QString("Arial"));
        QCOMPARE(def.pointSizeF(), 12.0);
        QVERIFY(def.italic());

        // OK: the chosen font and colour go onto the selection, and become the default.
        FontValue chosen;
        chosen.font = QFont("Courier New", 16);
        chosen.font.setBold(true);
        chosen.font.setStrikeOut(true);
        chosen.color = Qt::red;
        program.platform.dialogs.answers << QVariant::fromValue(chosen);
        ed->FontChange->trigger();
        const QTextCharFormat f = formatAt(2);
        QCOMPARE(f.font().family(), QString("Courier New"));
        QCOMPARE(f.fontPointSize(), 16.0);
        QVERIFY(f.font().bold() && f.fontStrikeOut() && !f.fontItalic());
        QCOMPARE(f.foreground().color(), QColor(Qt::red));
        QCOMPARE(formatAt(7).fontFamilies().toStringList(),
                 QStringList{"Arial"}); // outside the selection
        QCOMPARE(ed->RichEdit1->document()->defaultFont().family(), QString("Courier New"));
        QCOMPARE(ed->FontDialog1.Font, chosen);

        // Text that carries no format of its own takes the default format.
        ed->FileNew->trigger();
        typeText("fresh");
        QCOMPARE(ed->selectionFont().font.family(), QString("Courier New"));
    }

    // The desktop's font dialog hands back the chosen style by name as well as
    // by weight; what the editor shows must be what is saved, printed and
    // toggled by Ctrl+B.
    void boldFromTheFontDialogIsBoldEverywhere()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        // All of the text: Font Change makes the chosen font the default for
        // text without a format of its own as well.
        typeText("Hello");
        select(0, 5);
        FontValue chosen;
        chosen.font = QFontDatabase::font("Liberation Serif", "Bold", 14);
        QCOMPARE(chosen.font.styleName(), QString("Bold")); // as the dialog gives it
        program.platform.dialogs.answers << QVariant::fromValue(chosen);
        ed->FontChange->trigger();
        QTextDocument *doc = ed->RichEdit1->document();
        QVERIFY(showsBold(formatAt(2).font().resolve(doc->defaultFont())));
        QVERIFY(ed->RichEditBold1->isChecked());
        QVERIFY(writesBold(*doc));
        QVERIFY(doc->toHtml().contains("font-weight:700"));

        select(0, 5);
        QTest::keyClick(ed->RichEdit1, Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!showsBold(formatAt(2).font().resolve(doc->defaultFont())));
        QVERIFY(!ed->RichEditBold1->isChecked());
        QVERIFY(!writesBold(*doc));
        QTest::keyClick(ed->RichEdit1, Qt::Key_B, Qt::ControlModifier);
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
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        typeText(before);
        select(0, before.size());
        if (!after.isEmpty() && !before.isEmpty())
            select(before.size(), before.size()); // nothing selected
        FontValue chosen;
        chosen.font = QFont("Liberation Sans", 12);
        chosen.color = QColor(0x80, 0, 0); // maroon
        program.platform.dialogs.answers << QVariant::fromValue(chosen);
        ed->FontChange->trigger();
        if (!before.isEmpty() && !after.isEmpty())
            select(caretAt, caretAt);
        typeText(after);
        // The merged letter prints it in that colour too.
        QVERIFY(fmMailRp->Report1->run());
        bool printedInColour = false;
        for (const PreparedItem &item : fmMailRp->Report1->preparedReport()->pages.at(0).items)
            printedInColour = printedInColour || (item.kind == PreparedItem::RichText &&
                                                  item.text.contains("#800000"));
        QVERIFY(printedInColour);
        const QString path = program.folder.file("letter.rtf");
        program.platform.dialogs.answers << path;
        ed->FileSave->trigger();
        ed->FileNew->trigger();
        program.platform.dialogs.answers << path;
        ed->FileOpen1->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("Red words"));
        QCOMPARE(formatAt(4).foreground().color(), chosen.color);
    }

    void openingALetterWithPicturesSaysSoOnce()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        // Two pictures in the file; one message.
        const QString path = program.folder.file("map.rtf");
        writeFile(path, "{\\rtf1 Map: {\\pict\\pngblip 89504e47} and {\\*\\shppict{\\pict\\pngblip "
                        "89504e47}}{\\nonshppict{\\pict\\wmetafile8 0100}} done.}");
        program.platform.dialogs.answers << path;
        ed->FileOpen1->trigger();
        QCOMPARE(ed->RichEdit1->toPlainText(), QString("Map:  and  done."));
        QCOMPARE(
            program.log(),
            (QStringList{"Open: Open file -> " + path,
                         "Information: " + TfmMailMergeEdit::picturesLeftOutText() + " -> OK"}));
        // A letter without pictures opens without a word.
        const QString plain = program.folder.file("plain.rtf");
        writeFile(plain, "{\\rtf1 Just text.}");
        program.log().clear();
        program.platform.dialogs.answers << plain;
        ed->FileOpen1->trigger();
        QCOMPARE(program.log(), QStringList{"Open: Open file -> " + plain});
    }

    void personalisedMenus()
    {
        RunningProgram program;
        TfmMailMergeEdit *ed = fmMailMergeEdit;
        openEditor();
        const QStringList fullFile{"&New", "&Open...", "&Save", "Save &As..."};
        openMenu(ed->File1);
        QCOMPARE(visibleItems(ed->File1), fullFile);
        // Picked with the mouse.
        QAction *newItem = itemOf(ed->File1, ed->FileNew);
        QTest::mouseClick(ed->File1, Qt::LeftButton, {},
                          ed->File1->actionGeometry(newItem).center());
        QTRY_VERIFY(!ed->File1->isVisible());
        QVERIFY(ed->File1->wasPicked(newItem));

        // Shortcuts and toolbar buttons do not count as picks.
        program.platform.dialogs.answers << ""
                                         << "";
        QTest::keyClick(ed->RichEdit1, Qt::Key_O, Qt::ControlModifier);
        QTest::mouseClick(ed->ActionToolBar1->widgetForAction(ed->FileSave), Qt::LeftButton);
        QCOMPARE(program.log(),
                 (QStringList{"Open: Open file -> Cancel", "Save: Save As -> Cancel"}));
        openMenu(ed->File1);
        QCOMPARE(visibleItems(ed->File1), (QStringList{"&New", "<Expand>"}));
        QCOMPARE(ed->File1->expandButton()->toolTip(), QString("Expand"));
        // The expand button shows the rest, in place.
        QTest::mouseClick(ed->File1->expandButton(), Qt::LeftButton);
        QVERIFY(ed->File1->isVisible());
        QCOMPARE(visibleItems(ed->File1), fullFile);
        // Picked with the keyboard: Save's access key.
        QTest::keyClick(ed->File1, Qt::Key_S);
        QTRY_VERIFY(!ed->File1->isVisible());
        QCOMPARE(program.log().last(), QString("Save: Save As -> Cancel"));
        openMenu(ed->File1);
        QCOMPARE(visibleItems(ed->File1), (QStringList{"&New", "&Save", "<Expand>"}));
        ed->File1->hide();

        // Each menu keeps its own picks: the others still open in full.
        openMenu(ed->Format1);
        QCOMPARE(visibleItems(ed->Format1),
                 (QStringList{"&Font Change", "&Bold", "&Italic", "&Underline"}));
        ed->Format1->hide();

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
        QAction *a = fmHomeAddMain->findChild<QAction *>(mainAction);
        QVERIFY(a);
        // Only whether the key reaches the item matters here, not what the item does.
        a->setEnabled(true);
        QObject::disconnect(a, &QAction::triggered, nullptr, nullptr);
        QSignalSpy spy(a, &QAction::triggered);
        openEditor();
        const QKeyCombination k = key[0];
        QTest::keyClick(fmMailMergeEdit->RichEdit1, k.key(), k.keyboardModifiers());
        QCOMPARE(spy.count(), mainRuns ? 1 : 0);
        QCOMPARE(program.log(), editorLog.isEmpty() ? QStringList() : QStringList{editorLog});
        QCOMPARE(fmMailMergeEdit->RichEdit1->toPlainText(), QString());
        // With the main window active the same key is the main menu's.
        fmHomeAddMain->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fmHomeAddMain));
        QTest::keyClick(fmHomeAddMain, k.key(), k.keyboardModifiers());
        QCOMPARE(spy.count(), mainRuns ? 2 : 1);
    }

    void notepadBringsTheOneEditorForward()
    {
        RunningProgram program;
        QVERIFY(fmHomeAddMain->Notepad1->isEnabled());
        QCOMPARE(fmHomeAddMain->Notepad1->statusTip(), QString("Opens Text Editor"));
        openEditor();
        typeText("x");
        fmHomeAddMain->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fmHomeAddMain));
        openEditor();
        QCOMPARE(fmMailMergeEdit->RichEdit1->toPlainText(), QString("x"));
        const QWidgetList windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(
                     windows.begin(), windows.end(),
                     [](QWidget *w) { return qobject_cast<TfmMailMergeEdit *>(w) != nullptr; }),
                 1);
    }
};

QTEST_MAIN(tst_mailmergeedit)
#include "tst_mailmergeedit.moc"
