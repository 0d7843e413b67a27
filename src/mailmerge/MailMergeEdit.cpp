#include "mailmerge/MailMergeEdit.h"

#include "widgets/Hints.h"
#include "widgets/Pictures.h"
#include "mailmerge/EditorGlyphs.h"
#include "mailmerge/PersonalizedMenu.h"
#include "mailmerge/rtf/RichTextFile.h"
#include "platform/ContainedTextEdit.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "widgets/WindowFont.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

TfmMailMergeEdit *fmMailMergeEdit = nullptr;

namespace {

const QString untitled = QStringLiteral("untitled.txt");
const char *hintProperty = "varnelHint";

// The format the style commands and the font dialog read: that of the first
// selected character, or the caret's when nothing is selected.
QTextCharFormat selectionFormat(const QTextEdit *edit)
{
    const QTextCursor cursor = edit->textCursor();
    if (!cursor.hasSelection())
        return edit->currentCharFormat();
    QTextCursor first(edit->document());
    first.setPosition(cursor.selectionStart() + 1);
    return first.charFormat();
}

// The font dialog names the face's style ("Bold", "Semibold Italic"). Text keeps
// weight and slant instead: the Bold and Italic commands, the saved file and
// the print read those, so a style name left on the text would show bold on
// screen alone.
QFont withoutStyleName(QFont font)
{
    const QString style = font.styleName();
    if (style.isEmpty())
        return font;
    const int weight = QFontDatabase::weight(font.family(), style);
    if (weight >= 0) {
        font.setWeight(QFont::Weight(weight));
        font.setItalic(QFontDatabase::italic(font.family(), style));
    } else {
        if (style.contains(QLatin1String("Bold"), Qt::CaseInsensitive))
            font.setWeight(QFont::Bold);
        if (style.contains(QLatin1String("Italic"), Qt::CaseInsensitive) ||
            style.contains(QLatin1String("Oblique"), Qt::CaseInsensitive))
            font.setItalic(true);
    }
    font.setStyleName(QString());
    return font;
}

// "c:/letters/x.txt" -> "c:/letters/"; a bare name has no folder.
QString folderPart(const QString &fileName)
{
    const int slash = fileName.lastIndexOf('/');
    return slash < 0 ? QString() : fileName.left(slash + 1);
}

} // namespace

TfmMailMergeEdit::TfmMailMergeEdit(QWidget *parent) : QMainWindow(parent)
{
    fmMailMergeEdit = this;
    setObjectName(QStringLiteral("fmMailMergeEdit"));
    setWindowTitle(QStringLiteral("Text Editor"));
    setWindowIcon(Pictures::programIcon());
    setFont(windowFont());
    resize(731, 382);

    QFont initial(QStringLiteral("Times New Roman"), 12);
    initial.setBold(true);
    FontDialog1.Font.font = initial;
    FontDialog1.Font.color = Qt::black;

    ImageList1 = EditorGlyphs::imageList();
    ActionManager1 = new QObject(this);
    ActionManager1->setObjectName(QStringLiteral("ActionManager1"));

    RichEdit1 = new ContainedTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAcceptRichText(true);
    RichEdit1->setLineWrapMode(QTextEdit::WidgetWidth);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCentralWidget(RichEdit1);

    FileNew = makeCommand("FileNew", QStringLiteral("&New"), {}, QStringLiteral("Create File"),
                          EditorGlyphs::New);
    FileOpen1 =
        makeCommand("FileOpen1", QStringLiteral("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                    QStringLiteral("Open|Opens an existing file"), EditorGlyphs::Open);
    FileSave = makeCommand("FileSave", QStringLiteral("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                           QStringLiteral("Save File"), EditorGlyphs::Save);
    FileSaveAs1 = makeCommand("FileSaveAs1", QStringLiteral("Save &As..."), {},
                              QStringLiteral("Save As|Saves the active file with a new name"),
                              EditorGlyphs::SaveAs);
    FileClose =
        makeCommand("FileClose", QStringLiteral("&Close"), {}, QString(), EditorGlyphs::Close);
    FileClose->setIconText(QStringLiteral("C&lose"));
    EditCut1 = makeCommand("EditCut1", QStringLiteral("C&ut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                           QStringLiteral("Cut|Cuts the selection and puts it on the Clipboard"),
                           EditorGlyphs::Cut);
    EditCopy1 =
        makeCommand("EditCopy1", QStringLiteral("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                    QStringLiteral("Copy|Copies the selection and puts it on the Clipboard"),
                    EditorGlyphs::Copy);
    EditPaste1 =
        makeCommand("EditPaste1", QStringLiteral("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
                    QStringLiteral("Paste|Inserts Clipboard contents"), EditorGlyphs::Paste);
    FontChange = makeCommand("FontChange", QStringLiteral("&Font Change"), {}, QString(),
                             EditorGlyphs::FontChange);
    RichEditBold1 =
        makeCommand("RichEditBold1", QStringLiteral("&Bold"), QKeySequence(Qt::CTRL | Qt::Key_B),
                    QStringLiteral("Bold"), EditorGlyphs::Bold);
    RichEditItalic1 = makeCommand("RichEditItalic1", QStringLiteral("&Italic"),
                                  QKeySequence(Qt::CTRL | Qt::Key_I), QStringLiteral("Italic"),
                                  EditorGlyphs::Italic);
    RichEditUnderline1 = makeCommand("RichEditUnderline1", QStringLiteral("&Underline"),
                                     QKeySequence(Qt::CTRL | Qt::Key_U),
                                     QStringLiteral("Underline"), EditorGlyphs::Underline);
    for (QAction *a : {RichEditBold1, RichEditItalic1, RichEditUnderline1})
        a->setCheckable(true);

    connect(FileNew, &QAction::triggered, this,
            [this] { guarded(this, [this] { FileNewExecute(); }); });
    connect(FileOpen1, &QAction::triggered, this,
            [this] { guarded(this, [this] { FileOpen1Execute(); }); });
    connect(FileSave, &QAction::triggered, this,
            [this] { guarded(this, [this] { FileSaveExecute(); }); });
    connect(FileSaveAs1, &QAction::triggered, this,
            [this] { guarded(this, [this] { FileSaveAs1Execute(); }); });
    connect(FileClose, &QAction::triggered, this, [this] { FileCloseExecute(); });
    connect(EditCut1, &QAction::triggered, this, [this] { EditCut1Execute(); });
    connect(EditCopy1, &QAction::triggered, this, [this] { EditCopy1Execute(); });
    connect(EditPaste1, &QAction::triggered, this, [this] { EditPaste1Execute(); });
    connect(FontChange, &QAction::triggered, this,
            [this] { guarded(this, [this] { FontChangeExecute(); }); });
    connect(RichEditBold1, &QAction::triggered, this, [this] { RichEditBold1Execute(); });
    connect(RichEditItalic1, &QAction::triggered, this, [this] { RichEditItalic1Execute(); });
    connect(RichEditUnderline1, &QAction::triggered, this, [this] { RichEditUnderline1Execute(); });

    buildMenus();
    buildToolBar();

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_fileNamePanel = new QLabel(StatusBar1);
    m_fileNamePanel->setObjectName(QStringLiteral("StatusPanel0"));
    StatusBar1->addWidget(m_fileNamePanel, 1);
    setStatusBar(StatusBar1);

    connect(RichEdit1, &QTextEdit::currentCharFormatChanged, this,
            &TfmMailMergeEdit::updateFormatCommands);
    connect(RichEdit1, &QTextEdit::cursorPositionChanged, this,
            &TfmMailMergeEdit::updateFormatCommands);
    connect(RichEdit1, &QTextEdit::selectionChanged, this, &TfmMailMergeEdit::updateEnabling);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TfmMailMergeEdit::updateEnabling);
    connect(qApp, &QApplication::focusChanged, this, &TfmMailMergeEdit::updateEnabling);

    // The editor's own keys are taken before the program's menu keys see them
    // (see eventFilter); tooltips of toolbar buttons without a hint are dropped.
    qApp->installEventFilter(this);

    FormCreate();
}

TfmMailMergeEdit::~TfmMailMergeEdit()
{
    // The base destructor hides the window, which moves the focus: the
    // application's signals must no longer reach this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    qApp->removeEventFilter(this);
    if (fmMailMergeEdit == this)
        fmMailMergeEdit = nullptr;
}

QAction *TfmMailMergeEdit::makeCommand(const char *name, const QString &caption,
                                       const QKeySequence &key, const QString &hint, int glyph)
{
    auto *a = new QAction(caption, ActionManager1);
    a->setObjectName(QLatin1String(name));
    a->setIconText(caption); // the toolbar shows the caption as it stands
    a->setIcon(ImageList1.value(glyph));
    // The key is shown in the menu and the tooltip; the editor itself runs it
    // (eventFilter), so that it never competes with the program's menu keys.
    a->setShortcut(key);
    a->setShortcutContext(Qt::WidgetShortcut);
    a->setProperty(hintProperty, hint);
    if (!hint.isEmpty()) {
        QString tip = shortHint(hint);
        if (!key.isEmpty())
            tip += QStringLiteral(" (%1)").arg(key.toString(QKeySequence::NativeText));
        a->setToolTip(tip);
        a->setStatusTip(longHint(hint));
    }
    m_commands << a;
    return a;
}

void TfmMailMergeEdit::buildMenus()
{
    ActionMainMenuBar1 = new QMenuBar(this);
    ActionMainMenuBar1->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    ActionMainMenuBar1->setNativeMenuBar(false);
    setMenuBar(ActionMainMenuBar1);

    File1 = new PersonalizedMenu(QStringLiteral("&File"), ActionMainMenuBar1);
    File1->setObjectName(QStringLiteral("File1"));
    File1->addCommand(FileNew, FileNew->text());
    File1->addCommand(FileOpen1, FileOpen1->text());
    File1->addCommand(FileSave, FileSave->text());
    File1->addCommand(FileSaveAs1, FileSaveAs1->text());

    Edit1 = new PersonalizedMenu(QStringLiteral("&Edit"), ActionMainMenuBar1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->addCommand(EditCut1, QStringLiteral("Cu&t"));
    Edit1->addCommand(EditCopy1, EditCopy1->text());
    Edit1->addCommand(EditPaste1, EditPaste1->text());

    Format1 = new PersonalizedMenu(QStringLiteral("F&ormat"), ActionMainMenuBar1);
    Format1->setObjectName(QStringLiteral("Format1"));
    Format1->addCommand(FontChange, FontChange->text());
    Format1->addCommand(RichEditBold1, RichEditBold1->text());
    Format1->addCommand(RichEditItalic1, RichEditItalic1->text());
    Format1->addCommand(RichEditUnderline1, RichEditUnderline1->text());

    for (QMenu *m :
         {static_cast<QMenu *>(File1), static_cast<QMenu *>(Edit1), static_cast<QMenu *>(Format1)})
        ActionMainMenuBar1->addMenu(m);
}

void TfmMailMergeEdit::buildToolBar()
{
    ActionToolBar1 = new QToolBar(this);
    ActionToolBar1->setObjectName(QStringLiteral("ActionToolBar1"));
    ActionToolBar1->setMovable(false);
    ActionToolBar1->setFloatable(false);
    ActionToolBar1->setIconSize(QSize(16, 16));
    ActionToolBar1->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ActionToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    for (QAction *a : {FileNew, FileOpen1, FileSave, EditCut1, EditCopy1, EditPaste1, FileClose}) {
        ActionToolBar1->addAction(a);
        ActionToolBar1->widgetForAction(a)->setObjectName(a->objectName() +
                                                          QStringLiteral("Button"));
    }
    addToolBar(Qt::TopToolBarArea, ActionToolBar1);
}

void TfmMailMergeEdit::FormCreate()
{
    // The platform's context help would look for "TextEditor.hlp"; no help
    // viewer reads such a file here, so nothing is set for it.
    FileNewExecute();
    updateEnabling();
    updateFormatCommands();
}

void TfmMailMergeEdit::FormActivate()
{
    FontDialog1.Font = selectionFont();
}

bool TfmMailMergeEdit::FormCloseQuery()
{
    if (!RichEdit1->document()->isModified())
        return true;
    // The letter the question is about is shown beside it.
    if (!isVisible())
        show();
    raise();
    const int answer = Platform::dialogs().ask(
        this, MsgKind::Confirm, QStringLiteral("Save the changes to %1?").arg(CurrentFileName),
        {QStringLiteral("Save"), QStringLiteral("Discard"), QStringLiteral("Cancel")});
    if (answer == 1)
        return true;
    if (answer != 0)
        return false;
    // A Save As cancelled or a save that fails keeps the text, and the program.
    guarded(this, [this] { FileSaveExecute(); });
    return !RichEdit1->document()->isModified();
}

FontValue TfmMailMergeEdit::selectionFont() const
{
    const QTextCharFormat f = selectionFormat(RichEdit1);
    FontValue v;
    v.font = f.font().resolve(RichEdit1->document()->defaultFont());
    v.color = f.hasProperty(QTextFormat::ForegroundBrush)
                  ? f.foreground().color()
                  : RichEdit1->palette().color(QPalette::Text);
    return v;
}

QString TfmMailMergeEdit::statusText() const
{
    return m_fileNamePanel->text();
}

void TfmMailMergeEdit::setFileName(const QString &name)
{
    CurrentFileName = name;
    m_fileNamePanel->setText(name);
    RichEdit1->document()->setModified(false);
}

void TfmMailMergeEdit::FileNewExecute()
{
    RichEdit1->clear();
    setFileName(untitled);
}

void TfmMailMergeEdit::FileOpen1Execute()
{
    FileDialogRequest r;
    r.caption = QStringLiteral("Open file");
    r.filters = {QStringLiteral("Test Files (*.txt)"),
                 QStringLiteral("Rich Test Format *.rtf) (*.rtf)"),
                 QStringLiteral("All files (*)")};
    r.defaultSuffix = QStringLiteral("txt");
    r.mustExist = false;
    const QString chosen = Platform::dialogs().openFile(this, r);
    if (!chosen.isEmpty())
        FileOpen1Accept(chosen);
}

void TfmMailMergeEdit::FileOpen1Accept(const QString &fileName)
{
    bool droppedPictures = false;
    RichTextFile::load(fileName, RichEdit1->document(), &droppedPictures);
    setFileName(fileName);
    // Said once, on opening: saving the letter again would lose them for good.
    if (droppedPictures)
        Platform::dialogs().message(this, MsgKind::Information, picturesLeftOutText(), false);
}

QString TfmMailMergeEdit::picturesLeftOutText()
{
    return QStringLiteral("This letter holds pictures or objects, which the Text Editor cannot "
                          "keep. They are left out here and in the merged letters, and saving "
                          "the letter leaves them out of the file.");
}

void TfmMailMergeEdit::FileSaveExecute()
{
    if (CurrentFileName == untitled)
        FileSaveAs1Execute();
    else {
        RichTextFile::save(CurrentFileName, *RichEdit1->document());
        RichEdit1->document()->setModified(false);
    }
}

void TfmMailMergeEdit::FileSaveAs1Execute()
{
    FileDialogRequest r;
    r.caption = QStringLiteral("Save As");
    r.folder = folderPart(CurrentFileName);
    r.filters = {QStringLiteral("Text Files (*.txt)"), QStringLiteral("Rich Text Format (*.rtf)"),
                 QStringLiteral("All Files (*)")};
    r.defaultSuffix = QStringLiteral("txt");
    // What is written is RTF whatever the name: a bare name says so, or other
    // programs would open "letter.txt" as raw markup.
    r.bareNameSuffix = QStringLiteral("rtf");
    r.confirmOverwrite = false;
    const QString chosen = Platform::dialogs().saveFile(this, r);
    if (!chosen.isEmpty())
        FileSaveAs1Accept(chosen);
}

void TfmMailMergeEdit::FileSaveAs1Accept(const QString &fileName)
{
    RichTextFile::save(fileName, *RichEdit1->document());
    setFileName(fileName);
}

void TfmMailMergeEdit::FileCloseExecute()
{
    close();
}

void TfmMailMergeEdit::EditCut1Execute()
{
    RichEdit1->cut();
}

void TfmMailMergeEdit::EditCopy1Execute()
{
    RichEdit1->copy();
}

void TfmMailMergeEdit::EditPaste1Execute()
{
    RichEdit1->paste();
}

void TfmMailMergeEdit::FontChangeExecute()
{
    FontDialog1.Font = selectionFont();
    if (FontDialog1.Execute(this)) {
        FontDialog1.Font.font = withoutStyleName(FontDialog1.Font.font);
        QTextCharFormat format;
        format.setFont(FontDialog1.Font.font, QTextCharFormat::FontPropertiesAll);
        format.setForeground(FontDialog1.Font.color);
        RichEdit1->mergeCurrentCharFormat(format);
    }
    // OK or Cancel, the dialog's font becomes the format of unformatted text.
    // The widget's font is the document's default font, so it is set there.
    RichEdit1->setFont(FontDialog1.Font.font);
    QPalette p = RichEdit1->palette();
    p.setColor(QPalette::Text, FontDialog1.Font.color);
    RichEdit1->setPalette(p);
    RichEdit1->document()->setProperty(kDefaultTextColorProperty, FontDialog1.Font.color);
    updateFormatCommands();
}

void TfmMailMergeEdit::toggleStyle(QAction *command)
{
    const QFont current = selectionFont().font;
    QTextCharFormat change;
    if (command == RichEditBold1)
        change.setFontWeight(current.bold() ? QFont::Normal : QFont::Bold);
    else if (command == RichEditItalic1)
        change.setFontItalic(!current.italic());
    else
        change.setFontUnderline(!current.underline());
    RichEdit1->mergeCurrentCharFormat(change);
    updateFormatCommands();
}

void TfmMailMergeEdit::RichEditBold1Execute()
{
    toggleStyle(RichEditBold1);
}

void TfmMailMergeEdit::RichEditItalic1Execute()
{
    toggleStyle(RichEditItalic1);
}

void TfmMailMergeEdit::RichEditUnderline1Execute()
{
    toggleStyle(RichEditUnderline1);
}

void TfmMailMergeEdit::updateFormatCommands()
{
    const QFont font = selectionFont().font;
    RichEditBold1->setChecked(font.bold());
    RichEditItalic1->setChecked(font.italic());
    RichEditUnderline1->setChecked(font.underline());
}

void TfmMailMergeEdit::updateEnabling()
{
    const bool selected = RichEdit1->textCursor().hasSelection();
    EditCut1->setEnabled(selected);
    EditCopy1->setEnabled(selected);
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    EditPaste1->setEnabled(clip && clip->hasText());
    const bool focused = RichEdit1->hasFocus();
    for (QAction *a : {RichEditBold1, RichEditItalic1, RichEditUnderline1})
        a->setEnabled(focused);
}

void TfmMailMergeEdit::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool TfmMailMergeEdit::event(QEvent *e)
{
    // Hints belong in the main window's status bar, never in this one, which
    // shows the file name.
    if (e->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(e);
}

QAction *TfmMailMergeEdit::commandForKey(const QKeyEvent *e) const
{
    const QKeySequence pressed(e->keyCombination());
    for (QAction *a : m_commands)
        if (!a->shortcut().isEmpty() && a->shortcut() == pressed)
            return a;
    return nullptr;
}

bool TfmMailMergeEdit::isInThisWindow(QObject *o) const
{
    auto *w = qobject_cast<QWidget *>(o);
    return w && w->window() == this;
}

bool TfmMailMergeEdit::eventFilter(QObject *watched, QEvent *e)
{
    switch (e->type()) {
    case QEvent::ShortcutOverride:
        // Claiming the key here keeps it out of the shortcut map, where the
        // main menu's Ctrl+O and Ctrl+S would otherwise clash with ours; it
        // then arrives as a key press. Keys we do not claim go on to the menu.
        if (isInThisWindow(watched) && commandForKey(static_cast<QKeyEvent *>(e))) {
            e->accept();
            return true;
        }
        break;
    case QEvent::KeyPress:
        if (isInThisWindow(watched)) {
            if (QAction *command = commandForKey(static_cast<QKeyEvent *>(e))) {
                command->trigger();
                return true;
            }
        }
        break;
    case QEvent::ToolTip:
        if (auto *button = qobject_cast<QToolButton *>(watched);
            button && button->parentWidget() == ActionToolBar1 && button->defaultAction() &&
            button->defaultAction()->property(hintProperty).toString().isEmpty())
            return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}
