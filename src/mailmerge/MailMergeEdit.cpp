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
    setObjectName(QStringLiteral("fmMailMergeEdit"));
    setWindowTitle(tr("Text Editor"));
    setWindowIcon(Pictures::programIcon());
    setFont(windowFont());
    resize(731, 382);

    QFont initial(QStringLiteral("Times New Roman"), 12);
    initial.setBold(true);
    m_fontDialog.Font.font = initial;
    m_fontDialog.Font.color = Qt::black;

    m_glyphs = EditorGlyphs::imageList();
    m_commandOwner = new QObject(this);
    m_commandOwner->setObjectName(QStringLiteral("ActionManager1"));

    m_text = new ContainedTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichEdit1"));
    m_text->setAcceptRichText(true);
    m_text->setLineWrapMode(QTextEdit::WidgetWidth);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setCentralWidget(m_text);

    m_newCommand = makeCommand("FileNew", tr("&New"), {}, tr("Create File"), EditorGlyphs::New);
    m_openCommand = makeCommand("FileOpen1", tr("&Open..."), QKeySequence(Qt::CTRL | Qt::Key_O),
                                tr("Open|Opens an existing file"), EditorGlyphs::Open);
    m_saveCommand = makeCommand("FileSave", tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
                                tr("Save File"), EditorGlyphs::Save);
    m_saveAsCommand =
        makeCommand("FileSaveAs1", tr("Save &As..."), {},
                    tr("Save As|Saves the active file with a new name"), EditorGlyphs::SaveAs);
    m_closeCommand = makeCommand("FileClose", tr("&Close"), {}, QString(), EditorGlyphs::Close);
    m_closeCommand->setIconText(tr("C&lose"));
    m_cutCommand =
        makeCommand("EditCut1", tr("C&ut"), QKeySequence(Qt::CTRL | Qt::Key_X),
                    tr("Cut|Cuts the selection and puts it on the Clipboard"), EditorGlyphs::Cut);
    m_copyCommand = makeCommand("EditCopy1", tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
                                tr("Copy|Copies the selection and puts it on the Clipboard"),
                                EditorGlyphs::Copy);
    m_pasteCommand = makeCommand("EditPaste1", tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V),
                                 tr("Paste|Inserts Clipboard contents"), EditorGlyphs::Paste);
    m_fontCommand =
        makeCommand("FontChange", tr("&Font Change"), {}, QString(), EditorGlyphs::FontChange);
    m_boldCommand = makeCommand("RichEditBold1", tr("&Bold"), QKeySequence(Qt::CTRL | Qt::Key_B),
                                tr("Bold"), EditorGlyphs::Bold);
    m_italicCommand =
        makeCommand("RichEditItalic1", tr("&Italic"), QKeySequence(Qt::CTRL | Qt::Key_I),
                    tr("Italic"), EditorGlyphs::Italic);
    m_underlineCommand =
        makeCommand("RichEditUnderline1", tr("&Underline"), QKeySequence(Qt::CTRL | Qt::Key_U),
                    tr("Underline"), EditorGlyphs::Underline);
    for (QAction *a : {m_boldCommand, m_italicCommand, m_underlineCommand})
        a->setCheckable(true);

    connect(m_newCommand, &QAction::triggered, this,
            [this] { guarded(this, [this] { newFile(); }); });
    connect(m_openCommand, &QAction::triggered, this,
            [this] { guarded(this, [this] { openFile(); }); });
    connect(m_saveCommand, &QAction::triggered, this,
            [this] { guarded(this, [this] { saveFile(); }); });
    connect(m_saveAsCommand, &QAction::triggered, this,
            [this] { guarded(this, [this] { saveFileAs(); }); });
    connect(m_closeCommand, &QAction::triggered, this, &QWidget::close);
    connect(m_cutCommand, &QAction::triggered, this, [this] { m_text->cut(); });
    connect(m_copyCommand, &QAction::triggered, this, [this] { m_text->copy(); });
    connect(m_pasteCommand, &QAction::triggered, this, [this] { m_text->paste(); });
    connect(m_fontCommand, &QAction::triggered, this,
            [this] { guarded(this, [this] { changeFont(); }); });
    connect(m_boldCommand, &QAction::triggered, this, [this] { toggleStyle(m_boldCommand); });
    connect(m_italicCommand, &QAction::triggered, this, [this] { toggleStyle(m_italicCommand); });
    connect(m_underlineCommand, &QAction::triggered, this,
            [this] { toggleStyle(m_underlineCommand); });

    buildMenus();
    buildToolBar();

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_fileNamePanel = new QLabel(m_statusBar);
    m_fileNamePanel->setObjectName(QStringLiteral("StatusPanel0"));
    m_statusBar->addWidget(m_fileNamePanel, 1);
    setStatusBar(m_statusBar);

    connect(m_text, &QTextEdit::currentCharFormatChanged, this,
            &TfmMailMergeEdit::updateFormatCommands);
    connect(m_text, &QTextEdit::cursorPositionChanged, this,
            &TfmMailMergeEdit::updateFormatCommands);
    connect(m_text, &QTextEdit::selectionChanged, this, &TfmMailMergeEdit::updateEnabling);
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this,
            &TfmMailMergeEdit::updateEnabling);
    connect(qApp, &QApplication::focusChanged, this, &TfmMailMergeEdit::updateEnabling);

    // The editor's own keys are taken before the program's menu keys see them
    // (see eventFilter); tooltips of toolbar buttons without a hint are dropped.
    qApp->installEventFilter(this);

    // The platform's context help would look for "TextEditor.hlp"; no help
    // viewer reads such a file here, so nothing is set for it.
    newFile();
    updateEnabling();
    updateFormatCommands();
}

TfmMailMergeEdit::~TfmMailMergeEdit()
{
    // The base destructor hides the window, which moves the focus: the
    // application's signals must no longer reach this half-destroyed window.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QGuiApplication::clipboard(), nullptr, this, nullptr);
    qApp->removeEventFilter(this);
}

QAction *TfmMailMergeEdit::makeCommand(const char *name, const QString &caption,
                                       const QKeySequence &key, const QString &hint, int glyph)
{
    auto *a = new QAction(caption, m_commandOwner);
    a->setObjectName(QLatin1String(name));
    a->setIconText(caption); // the toolbar shows the caption as it stands
    a->setIcon(m_glyphs.value(glyph));
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
    m_menuBar = new QMenuBar(this);
    m_menuBar->setObjectName(QStringLiteral("ActionMainMenuBar1"));
    m_menuBar->setNativeMenuBar(false);
    setMenuBar(m_menuBar);

    m_fileMenu = new PersonalizedMenu(tr("&File"), m_menuBar);
    m_fileMenu->setObjectName(QStringLiteral("File1"));
    m_fileMenu->addCommand(m_newCommand, m_newCommand->text());
    m_fileMenu->addCommand(m_openCommand, m_openCommand->text());
    m_fileMenu->addCommand(m_saveCommand, m_saveCommand->text());
    m_fileMenu->addCommand(m_saveAsCommand, m_saveAsCommand->text());

    m_editMenu = new PersonalizedMenu(tr("&Edit"), m_menuBar);
    m_editMenu->setObjectName(QStringLiteral("Edit1"));
    m_editMenu->addCommand(m_cutCommand, tr("Cu&t"));
    m_editMenu->addCommand(m_copyCommand, m_copyCommand->text());
    m_editMenu->addCommand(m_pasteCommand, m_pasteCommand->text());

    m_formatMenu = new PersonalizedMenu(tr("F&ormat"), m_menuBar);
    m_formatMenu->setObjectName(QStringLiteral("Format1"));
    m_formatMenu->addCommand(m_fontCommand, m_fontCommand->text());
    m_formatMenu->addCommand(m_boldCommand, m_boldCommand->text());
    m_formatMenu->addCommand(m_italicCommand, m_italicCommand->text());
    m_formatMenu->addCommand(m_underlineCommand, m_underlineCommand->text());

    for (QMenu *m : {static_cast<QMenu *>(m_fileMenu), static_cast<QMenu *>(m_editMenu),
                     static_cast<QMenu *>(m_formatMenu)})
        m_menuBar->addMenu(m);
}

void TfmMailMergeEdit::buildToolBar()
{
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ActionToolBar1"));
    m_toolBar->setMovable(false);
    m_toolBar->setFloatable(false);
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_toolBar->setContextMenuPolicy(Qt::PreventContextMenu);
    for (QAction *a : {m_newCommand, m_openCommand, m_saveCommand, m_cutCommand, m_copyCommand,
                       m_pasteCommand, m_closeCommand}) {
        m_toolBar->addAction(a);
        m_toolBar->widgetForAction(a)->setObjectName(a->objectName() + QStringLiteral("Button"));
    }
    addToolBar(Qt::TopToolBarArea, m_toolBar);
}

bool TfmMailMergeEdit::mayClose()
{
    if (!m_text->document()->isModified())
        return true;
    // The letter the question is about is shown beside it.
    if (!isVisible())
        show();
    raise();
    const int answer = Platform::dialogs().ask(this, MsgKind::Confirm,
                                               tr("Save the changes to %1?").arg(m_fileName),
                                               {tr("Save"), tr("Discard"), tr("Cancel")});
    if (answer == 1)
        return true;
    if (answer != 0)
        return false;
    // A Save As cancelled or a save that fails keeps the text, and the program.
    guarded(this, [this] { saveFile(); });
    return !m_text->document()->isModified();
}

FontValue TfmMailMergeEdit::selectionFont() const
{
    const QTextCharFormat f = selectionFormat(m_text);
    FontValue v;
    v.font = f.font().resolve(m_text->document()->defaultFont());
    v.color = f.hasProperty(QTextFormat::ForegroundBrush) ? f.foreground().color()
                                                          : m_text->palette().color(QPalette::Text);
    return v;
}

QTextDocument *TfmMailMergeEdit::document() const
{
    return m_text->document();
}

QString TfmMailMergeEdit::statusText() const
{
    return m_fileNamePanel->text();
}

void TfmMailMergeEdit::setFileName(const QString &name)
{
    m_fileName = name;
    m_fileNamePanel->setText(name);
    m_text->document()->setModified(false);
}

void TfmMailMergeEdit::newFile()
{
    m_text->clear();
    setFileName(untitled);
}

void TfmMailMergeEdit::openFile()
{
    FileDialogRequest r;
    r.caption = tr("Open file");
    r.filters = {tr("Test Files (*.txt)"), tr("Rich Test Format *.rtf) (*.rtf)"),
                 tr("All files (*)")};
    r.defaultSuffix = QStringLiteral("txt");
    r.mustExist = false;
    const QString chosen = Platform::dialogs().openFile(this, r);
    if (!chosen.isEmpty())
        openFileNamed(chosen);
}

void TfmMailMergeEdit::openFileNamed(const QString &fileName)
{
    bool droppedPictures = false;
    RichTextFile::load(fileName, m_text->document(), &droppedPictures);
    setFileName(fileName);
    // Said once, on opening: saving the letter again would lose them for good.
    if (droppedPictures)
        Platform::dialogs().message(this, MsgKind::Information, picturesLeftOutText(), false);
}

QString TfmMailMergeEdit::picturesLeftOutText()
{
    return tr("This letter holds pictures or objects, which the Text Editor cannot "
              "keep. They are left out here and in the merged letters, and saving "
              "the letter leaves them out of the file.");
}

void TfmMailMergeEdit::saveFile()
{
    if (m_fileName == untitled)
        saveFileAs();
    else {
        RichTextFile::save(m_fileName, *m_text->document());
        m_text->document()->setModified(false);
    }
}

void TfmMailMergeEdit::saveFileAs()
{
    FileDialogRequest r;
    r.caption = tr("Save As");
    r.folder = folderPart(m_fileName);
    r.filters = {tr("Text Files (*.txt)"), tr("Rich Text Format (*.rtf)"), tr("All Files (*)")};
    r.defaultSuffix = QStringLiteral("txt");
    // What is written is RTF whatever the name: a bare name says so, or other
    // programs would open "letter.txt" as raw markup.
    r.bareNameSuffix = QStringLiteral("rtf");
    r.confirmOverwrite = false;
    const QString chosen = Platform::dialogs().saveFile(this, r);
    if (!chosen.isEmpty())
        saveFileNamed(chosen);
}

void TfmMailMergeEdit::saveFileNamed(const QString &fileName)
{
    RichTextFile::save(fileName, *m_text->document());
    setFileName(fileName);
}

void TfmMailMergeEdit::changeFont()
{
    m_fontDialog.Font = selectionFont();
    if (m_fontDialog.Execute(this)) {
        m_fontDialog.Font.font = withoutStyleName(m_fontDialog.Font.font);
        QTextCharFormat format;
        format.setFont(m_fontDialog.Font.font, QTextCharFormat::FontPropertiesAll);
        format.setForeground(m_fontDialog.Font.color);
        m_text->mergeCurrentCharFormat(format);
    }
    // OK or Cancel, the dialog's font becomes the format of unformatted text.
    // The widget's font is the document's default font, so it is set there.
    m_text->setFont(m_fontDialog.Font.font);
    QPalette p = m_text->palette();
    p.setColor(QPalette::Text, m_fontDialog.Font.color);
    m_text->setPalette(p);
    m_text->document()->setProperty(kDefaultTextColorProperty, m_fontDialog.Font.color);
    updateFormatCommands();
}

void TfmMailMergeEdit::toggleStyle(QAction *command)
{
    const QFont current = selectionFont().font;
    QTextCharFormat change;
    if (command == m_boldCommand)
        change.setFontWeight(current.bold() ? QFont::Normal : QFont::Bold);
    else if (command == m_italicCommand)
        change.setFontItalic(!current.italic());
    else
        change.setFontUnderline(!current.underline());
    m_text->mergeCurrentCharFormat(change);
    updateFormatCommands();
}

void TfmMailMergeEdit::updateFormatCommands()
{
    const QFont font = selectionFont().font;
    m_boldCommand->setChecked(font.bold());
    m_italicCommand->setChecked(font.italic());
    m_underlineCommand->setChecked(font.underline());
}

void TfmMailMergeEdit::updateEnabling()
{
    const bool selected = m_text->textCursor().hasSelection();
    m_cutCommand->setEnabled(selected);
    m_copyCommand->setEnabled(selected);
    const QMimeData *clip = QGuiApplication::clipboard()->mimeData();
    m_pasteCommand->setEnabled(clip && clip->hasText());
    const bool focused = m_text->hasFocus();
    for (QAction *a : {m_boldCommand, m_italicCommand, m_underlineCommand})
        a->setEnabled(focused);
}

void TfmMailMergeEdit::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    // The font dialog offers the selection's font as it was when the window
    // was last activated.
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        m_fontDialog.Font = selectionFont();
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
            button && button->parentWidget() == m_toolBar && button->defaultAction() &&
            button->defaultAction()->property(hintProperty).toString().isEmpty())
            return true;
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}
