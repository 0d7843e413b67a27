#include "app/HomeGrid.h"
#include "app/StatusCaptions.h"

#include "widgets/Hints.h"
#include "platform/IniFile.h"
#include "app/ProgramState.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/ProgramFolder.h"
#include "platform/StartupBook.h"
#include "platform/VarnelError.h"
#include "widgets/WindowPlacement.h"
#include "widgets/WindowFont.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QVBoxLayout>

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                        QStyle::StandardPixmap icon = QStyle::SP_CustomBase)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    if (icon != QStyle::SP_CustomBase)
        b->setIcon(b->style()->standardIcon(icon));
    if (!hint.isEmpty())
        setHint(b, hint);
    return b;
}

QAction *makeAction(QMenu *menu, const char *name, const QString &caption, const QKeySequence &key,
                    const QString &hint)
{
    auto *a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) {
        a->setShortcut(key);
        // Menu keys act from every window of the program that is not modal.
        a->setShortcutContext(Qt::ApplicationShortcut);
    }
    if (!hint.isEmpty())
        setHint(a, hint);
    return a;
}

void separator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

} // namespace

const QVector<GridColumn> &TfmHomeAddMain::gridColumns()
{
    static const QVector<GridColumn> columns = {
        {AddressFields::Surname, tr("Surname"), 76},     {AddressFields::Firstname, tr("Firstname"), 103},
        {AddressFields::Address1, tr("Address1"), 103},  {AddressFields::Address2, tr("Address2"), 108},
        {AddressFields::A3_Village, tr("Add3 / Village"), 108}, {AddressFields::Town, tr("Town"), 80},
        {AddressFields::County, tr("County"), 86},       {AddressFields::PostCode, tr("PostCode"), 0},
        {AddressFields::Tel, tr("Tel"), 92},             {AddressFields::Cell, tr("Cell"), 0},
        {AddressFields::Flag, tr("Flag"), 0},
    };
    return columns;
}

TfmHomeAddMain::TfmHomeAddMain(AddressBook *book, ProgramState *state, QWidget *parent)
    : QMainWindow(parent), m_book(book), m_state(state)
{
    setObjectName(QStringLiteral("fmHomeAddMain"));
    setWindowTitle(tr("Varnel 3"));
    setFont(windowFont());

    query()->setBeforePost([this] { checkBeforeSave(); });
    m_dataSource = new DataSource(query(), this);
    m_dataSource->setObjectName(QStringLiteral("dsHome"));

    buildControls();
    buildMenu();
    // Designed outer size 1106 x 434; the frame is the desktop's.
    resize(1098, 400);
    createSteps();
}

TfmHomeAddMain::~TfmHomeAddMain()
{
    HintHandler::uninstall();
}

void TfmHomeAddMain::buildControls()
{
    auto *client = new QWidget(this);
    auto *outer = new QVBoxLayout(client);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *top = new QHBoxLayout;
    top->setSpacing(0);
    m_grid = new DBGrid(m_dataSource, gridColumns(), client);
    m_grid->setObjectName(QStringLiteral("dbGrid1"));
    top->addWidget(m_grid, 1);

    m_sidePanel = new QWidget(client);
    m_sidePanel->setObjectName(QStringLiteral("Panel4"));
    m_sidePanel->setFixedWidth(104);
    auto *side = new QVBoxLayout(m_sidePanel);
    side->setContentsMargins(4, 4, 4, 4);
    side->setSpacing(3);
    m_newRecordButton = makeButton(m_sidePanel, "BitBtn3", tr("&Record"),
                         tr("Insert new record into table"), QStyle::SP_FileIcon);
    m_cancelButton = makeButton(m_sidePanel, "BitBtn2", tr("&Cancel"), tr("Cancel updates"),
                         QStyle::SP_DialogCancelButton);
    m_deleteButton = makeButton(m_sidePanel, "btnDelete", tr("&Delete"), tr("Delete 1 row"),
                           QStyle::SP_TrashIcon);
    for (QPushButton *b : {m_newRecordButton, m_cancelButton, m_deleteButton}) {
        b->setFixedHeight(25);
        side->addWidget(b);
    }

    m_letterGroupBox = new QGroupBox(tr("   Surname"), m_sidePanel);
    m_letterGroupBox->setObjectName(QStringLiteral("RadioGroup1"));
    setHint(m_letterGroupBox, tr("Select by 1st letter of surname"));
    m_letterGroup = new QButtonGroup(m_letterGroupBox);
    m_letterGroup->setExclusive(true);
    auto *letters = new QGridLayout(m_letterGroupBox);
    letters->setContentsMargins(4, 2, 2, 2);
    letters->setHorizontalSpacing(2);
    letters->setVerticalSpacing(0);
    // Two columns filled top to bottom: A to N, then O to Z and All.
    for (int i = 0; i <= kLetterGroupAll; ++i) {
        const QString name = i < kLetterGroupAll ? QString(QChar('A' + i)) : QStringLiteral("All");
        const QString text = i < kLetterGroupAll ? name : tr("All");
        auto *rb = new QRadioButton(text, m_letterGroupBox);
        rb->setObjectName(QStringLiteral("RadioGroup1_") + name);
        m_letterGroup->addButton(rb, i);
        rb->setFixedHeight(15);
        letters->addWidget(rb, i % 14, i / 14);
    }
    side->addWidget(m_letterGroupBox, 1);
    top->addWidget(m_sidePanel);
    outer->addLayout(top, 1);

    m_bottomPanel = new QWidget(client);
    m_bottomPanel->setObjectName(QStringLiteral("Panel1"));
    m_bottomPanel->setFixedHeight(36);
    auto *bottom = new QHBoxLayout(m_bottomPanel);
    bottom->setContentsMargins(2, 2, 2, 2);
    m_navigatorPanel = new QWidget(m_bottomPanel);
    m_navigatorPanel->setObjectName(QStringLiteral("Panel3"));
    auto *navBox = new QHBoxLayout(m_navigatorPanel);
    navBox->setContentsMargins(0, 0, 0, 0);
    m_navigator = new DBNavigator(
        m_dataSource, {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last, DBNavigator::Post},
        {tr("First record"), tr("Prior record"), tr("Next record"),
         tr("Last record"), tr("Post edit")},
        m_navigatorPanel);
    m_navigator->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigator->setFixedWidth(240);
    navBox->addWidget(m_navigator);
    bottom->addWidget(m_navigatorPanel);
    bottom->addStretch(1);

    m_buttonPanel = new QWidget(m_bottomPanel);
    m_buttonPanel->setObjectName(QStringLiteral("Panel2"));
    auto *buttons = new QHBoxLayout(m_buttonPanel);
    buttons->setContentsMargins(0, 0, 0, 0);
    m_recordCardButton = makeButton(m_buttonPanel, "btnRecCard", tr("Record &Card"),
                            tr("Index Card for data entry"), QStyle::SP_FileDialogDetailedView);
    m_editCountyButton = makeButton(m_buttonPanel, "btEditCounty", tr("EditCounty"),
                              tr("Edit List of Counties"));
    m_searchButton = makeButton(m_buttonPanel, "HomeSearch", tr("&Search"), tr("Search & Filter"),
                            QStyle::SP_FileDialogContentsView);
    m_resetButton = makeButton(m_buttonPanel, "sqRetryBtn", tr("&Reset"),
                            tr("Clears Search & Shows all names again"), QStyle::SP_BrowserReload);
    m_closeButton = makeButton(m_buttonPanel, "BitBtn1", tr("Close"), tr("Closes Application"),
                         QStyle::SP_DialogCloseButton);
    for (QPushButton *b : {m_recordCardButton, m_editCountyButton, m_searchButton, m_resetButton, m_closeButton}) {
        b->setMinimumWidth(92);
        buttons->addWidget(b);
    }
    bottom->addWidget(m_buttonPanel);
    outer->addWidget(m_bottomPanel);
    setCentralWidget(client);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setFixedHeight(20);
    m_statusBar->setSizeGripEnabled(true);
    const int widths[3] = {400, 200, 200};
    const char *texts[3] = {"", QT_TR_NOOP("Today"), QT_TR_NOOP("File")};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(*texts[i] ? tr(texts[i]) : QString(), m_statusBar);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setFixedWidth(widths[i]);
        m_statusBar->addWidget(m_panels[i]);
    }
    // The panels keep their widths; what is left of the bar stays empty.
    m_statusBar->addWidget(new QWidget(m_statusBar), 1);
    setStatusBar(m_statusBar);

    connect(m_newRecordButton, &QPushButton::clicked, this, &TfmHomeAddMain::newRecord);
    connect(m_cancelButton, &QPushButton::clicked, this, &TfmHomeAddMain::cancelEdit);
    connect(m_deleteButton, &QPushButton::clicked, this, &TfmHomeAddMain::deleteRecord);
    connect(m_closeButton, &QPushButton::clicked, this, &TfmHomeAddMain::exitProgram);
    connect(m_grid, &DBGrid::deleteRequested, this, &TfmHomeAddMain::deleteFromGrid);

    // Enter runs "&Record" unless the focused control takes Enter itself (the
    // grid does; a focused button clicks itself); Esc runs "&Cancel".
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
    auto *enter2 = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(enter, &QShortcut::activated, this, [this] { defaultOrCancelKey(true); });
    connect(enter2, &QShortcut::activated, this, [this] { defaultOrCancelKey(true); });
    connect(esc, &QShortcut::activated, this, [this] { defaultOrCancelKey(false); });

    // Off until the windows that serve them exist (see VarnelApp).
    for (QWidget *w : {static_cast<QWidget *>(m_letterGroupBox), static_cast<QWidget *>(m_recordCardButton),
                       static_cast<QWidget *>(m_editCountyButton), static_cast<QWidget *>(m_searchButton),
                       static_cast<QWidget *>(m_resetButton)})
        w->setEnabled(false);
}

QList<QAction *> TfmHomeAddMain::actionsOf(Command command) const
{
    switch (command) {
    case Command::Search: return {m_openSearchAction};
    case Command::RecordForm: return {m_recordFormAction};
    case Command::PhoneList: return {m_phoneListAction};
    case Command::Labels21: return {m_labels21Action};
    case Command::Labels16: return {m_labels16Action};
    case Command::Labels14: return {m_labels14Action};
    case Command::LabelFont: return {m_labelFontAction};
    case Command::FiloPages: return {m_filoPagesAction};
    case Command::A5Pages: return {m_a5PagesAction};
    case Command::MailMerge: return {m_mailMergeAction};
    case Command::Editor: return {m_notepadAction};
    case Command::HelpNote: return {m_helpNoteAction};
    case Command::About: return {m_aboutAction};
    case Command::RecordCard:
    case Command::CountyList: break;
    }
    return {};
}

QList<QPushButton *> TfmHomeAddMain::buttonsOf(Command command) const
{
    switch (command) {
    case Command::Search: return {m_searchButton};
    case Command::RecordCard: return {m_recordCardButton};
    case Command::CountyList: return {m_editCountyButton};
    default: return {};
    }
}

void TfmHomeAddMain::serve(Command command, std::function<void()> handler)
{
    const auto run = [this, handler = std::move(handler)] { guarded(this, handler); };
    for (QAction *a : actionsOf(command)) {
        connect(a, &QAction::triggered, this, run);
        a->setEnabled(true);
    }
    for (QPushButton *b : buttonsOf(command)) {
        connect(b, &QPushButton::clicked, this, run);
        b->setEnabled(true);
    }
    if (command == Command::RecordCard)
        connect(m_grid, &DBGrid::recordDoubleClicked, this, run);
}

void TfmHomeAddMain::addCloseCheck(std::function<bool()> mayClose)
{
    m_closeChecks << std::move(mayClose);
}

QStringList TfmHomeAddMain::countyPickList() const
{
    return m_grid->pickList(m_grid->columnOf(AddressFields::County));
}

void TfmHomeAddMain::setCountyPickList(const QStringList &counties)
{
    m_grid->setPickList(m_grid->columnOf(AddressFields::County), counties);
}

void TfmHomeAddMain::defaultOrCancelKey(bool isDefault)
{
    QWidget *focus = QApplication::focusWidget();
    // A focused push button takes Enter itself; a letter of the letter group
    // does not, so Enter there runs the default button.
    if (auto *button = qobject_cast<QPushButton *>(focus); button && isDefault) {
        button->click();
        return;
    }
    if (isDefault)
        newRecord();
    else
        cancelEdit();
}

void TfmHomeAddMain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    m_fileMenu = bar->addMenu(tr("&File"));
    m_fileMenu->setObjectName(QStringLiteral("File1"));
    m_newFileAction = makeAction(m_fileMenu, "NewFile1", tr("New File"), QKeySequence(QStringLiteral("Ctrl+N")),
                          tr("Opens new blank Table"));
    m_openFileAction = makeAction(m_fileMenu, "miOpenFile", tr("Open File"), QKeySequence(QStringLiteral("Ctrl+O")),
                            tr("Open existing table"));
    m_openServerAction = makeAction(m_fileMenu, "miOpenServer", tr("Open Server Book..."), QKeySequence(),
                                    tr("Open an address book kept on a PostgreSQL server"));
    m_saveAsAction = makeAction(m_fileMenu, "miSaveAs", tr("Save As"), QKeySequence(QStringLiteral("Ctrl+S")),
                          tr("Save table in new file"));
    m_saveAsServerAction = makeAction(m_fileMenu, "miSaveAsServer", tr("Save As Server Book..."),
                                      QKeySequence(), tr("Copy the address book to a PostgreSQL server"));
    m_closeFileAction = makeAction(m_fileMenu, "miClose", tr("Close File"), QKeySequence(QStringLiteral("Ctrl+L")),
                         QString());
    m_importAction = makeAction(m_fileMenu, "miImport", tr("Import..."), QKeySequence(),
                          tr("Bring in people from vCard, CSV or an older Access book"));
    m_exportAction = makeAction(m_fileMenu, "miExport", tr("Export..."), QKeySequence(),
                          tr("Write the people shown to vCard or CSV"));
    separator(m_fileMenu, "N3");
    // Options shows Ctrl+O but never takes it: the first item with a key,
    // "Open File", has it.
    m_optionsAction = makeAction(m_fileMenu, "miOptions", tr("Options\tCtrl+O"), QKeySequence(),
                           tr("Select start-up file"));
    separator(m_fileMenu, "N1");
    m_printSetupAction = makeAction(m_fileMenu, "miPrintSetup", tr("&Printer Setup"),
                              QKeySequence(QStringLiteral("Ctrl+Q")), QString());
    m_exitAction = makeAction(m_fileMenu, "Exit1", tr("Exit"), QKeySequence(QStringLiteral("Ctrl+E")), QString());

    m_searchMenu = bar->addMenu(tr("&Search"));
    m_searchMenu->setObjectName(QStringLiteral("Search1"));
    setHint(m_searchMenu->menuAction(), tr("Search & Filter"));
    m_openSearchAction = makeAction(m_searchMenu, "miOpenSearch", tr("O&pen Search"), QKeySequence(Qt::Key_F3),
                              QString());
    m_clearFilterAction = makeAction(m_searchMenu, "miClearFillter", tr("&Clear Fillter"),
                                QKeySequence(Qt::Key_F4), QString());

    m_reportsMenu = bar->addMenu(tr("&Reports"));
    m_reportsMenu->setObjectName(QStringLiteral("Reports1"));
    setHint(m_reportsMenu->menuAction(), tr("Selection of useful Reports"));
    m_phoneListAction = makeAction(m_reportsMenu, "miPhoneList", tr("Phone &List"), QKeySequence(), QString());
    m_labelsMenu = m_reportsMenu->addMenu(tr("&Address Labels"));
    m_labelsMenu->setObjectName(QStringLiteral("miLabels21"));
    m_labels21Action = makeAction(m_labelsMenu, "miLabel21", tr("21 per A4 sheet"), QKeySequence(),
                           tr("Avery L7160"));
    m_labels16Action = makeAction(m_labelsMenu, "miLabel16", tr("16 per A4 sheet"), QKeySequence(),
                           tr("Avery L7162"));
    m_labels14Action = makeAction(m_labelsMenu, "mi14perA4sheet1", tr("14 per A4 sheet"), QKeySequence(),
                                 QString());
    m_labelFontAction = makeAction(m_labelsMenu, "Setfont1", tr("Set labels font"), QKeySequence(), QString());
    m_filoPagesAction = makeAction(m_reportsMenu, "FiloFaxPages1", tr("&FiloFax Pages"), QKeySequence(), QString());
    m_a5PagesAction = makeAction(m_reportsMenu, "miA5DiaryPages", tr("A&5 Diary Pages"), QKeySequence(),
                                QString());
    separator(m_reportsMenu, "N2");
    m_recordFormAction = makeAction(m_reportsMenu, "miRecordForm", tr("&Record Form "), QKeySequence(),
                              tr("Alternative form for data entry"));

    // "&Mail Merge" and "&Notepad" are commands on the bar itself.
    m_mailMergeAction = bar->addAction(tr("&Mail Merge"));
    m_mailMergeAction->setObjectName(QStringLiteral("miMailMerge"));
    setHint(m_mailMergeAction, tr("Insert selected contacts for mailing"));
    m_notepadAction = bar->addAction(tr("&Notepad"));
    m_notepadAction->setObjectName(QStringLiteral("Notepad1"));
    setHint(m_notepadAction, tr("Opens Text Editor"));

    m_helpMenu = bar->addMenu(tr("&Help"));
    m_helpMenu->setObjectName(QStringLiteral("Help3"));
    m_manualAction = makeAction(m_helpMenu, "Help2", tr("&Help"), QKeySequence(Qt::Key_F1), QString());
    m_helpNoteAction = makeAction(m_helpMenu, "Help1", tr("Hel&p Note"), QKeySequence(), QString());
    m_aboutAction = makeAction(m_helpMenu, "miAbout", tr("&About"), QKeySequence(), QString());

    connect(m_printSetupAction, &QAction::triggered, this, &TfmHomeAddMain::printerSetup);
    connect(m_exitAction, &QAction::triggered, this, &TfmHomeAddMain::exitProgram);

    // Off until the window that serves them has been created and wired them up.
    for (QAction *a : {m_newFileAction, m_openFileAction, m_openServerAction, m_saveAsAction, m_saveAsServerAction, m_closeFileAction, m_importAction, m_exportAction, m_optionsAction, m_openSearchAction, m_clearFilterAction,
                       m_phoneListAction, m_labels21Action, m_labels16Action, m_labels14Action, m_labelFontAction, m_filoPagesAction,
                       m_a5PagesAction, m_recordFormAction, m_mailMergeAction, m_notepadAction, m_manualAction, m_helpNoteAction, m_aboutAction})
        a->setEnabled(false);
}

QString TfmHomeAddMain::statusPanel(int index) const { return m_panels[index]->text(); }

void TfmHomeAddMain::setStatusPanel(int index, const QString &text)
{
    m_panels[index]->setText(text);
    // A long path does not fit the file panel: the whole text is its tooltip.
    if (index == 2)
        m_panels[index]->setToolTip(text);
}

bool TfmHomeAddMain::event(QEvent *e)
{
    // Hints go to panel 0 once the window has been activated, never to the
    // bar's own message line, which would cover the panels until cleared.
    if (e->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(e);
}

void TfmHomeAddMain::createSteps()
{
    wireFileCommands();
    // A book named on the command line comes first. One that cannot be opened
    // is reported as any book is, and the usual start-up choice follows.
    const QString asked = StartupBook::take();
    QString typedPassword;
    const bool takeAsked = !asked.isEmpty() && guarded(this, [this, &asked, &typedPassword] {
        AdoConnection probe;
        probe.setBook(asked);
        probe.setPasswordPrompt([this, &typedPassword](const QString &address) {
            typedPassword = askPassword(address);
            return typedPassword;
        });
        probe.open();
    });
    // Else the start-up address book: the sample, unless the user chose the
    // blank one for later starts.
    const bool ok = guarded(this, [this, &asked, &typedPassword, takeAsked] {
        const IniFile ini(IniFile::settingsPath());
        const bool sample = ini.readBool(SettingsKeys::Option::SampleAtStart, true);
        m_book->useFile(takeAsked ? asked
                                  : ProgramFolder::file(sample ? QStringLiteral("Varnel.vdf")
                                                               : QStringLiteral("NewFile.vdf")));
        if (takeAsked && !typedPassword.isNull())
            m_book->connection()->setPassword(typedPassword);
    });
    if (!ok)
        Platform::dialogs().message(
            this, MsgKind::Error,
            tr("No file to connect to. Please ensure Varnel.vdf and NewFile.vdfare present"), false);
    setStatusPanel(2, fileInUseCaption(m_book->fileInUse()));
}

void TfmHomeAddMain::showSteps()
{
    using SettingsKeys::Place;
    const IniFile ini(IniFile::settingsPath());
    const auto main = SettingsKeys::Window::Main;
    if (ini.readInteger(main, Place::Status, 0) != 0)
        restoreOuterGeometry(ini.readInteger(main, Place::Top, y()), ini.readInteger(main, Place::Left, x()),
                             ini.readInteger(main, Place::Width, WindowPlacement::outerGeometry(this).width()),
                             ini.readInteger(main, Place::Height, WindowPlacement::outerGeometry(this).height()));
    for (int c = 0; c < m_grid->model()->columnCount(); ++c)
        m_grid->setColumnWidth(c, ini.readGridWidth(c, m_grid->designedWidth(c)));

    if (ini.readBool(SettingsKeys::Option::OptionsAtStart, true))
        showOptions();

    loadCountyPickList();
}

void TfmHomeAddMain::activationSteps()
{
    HintHandler::install(m_panels[0]);
    setStatusPanel(1, tr("Today : ") + AdoQuery::dateTimeText(QDateTime(QDate::currentDate(), QTime(0, 0))));
}

void TfmHomeAddMain::closeSteps()
{
    using SettingsKeys::Place;
    IniFile ini(IniFile::settingsPath());
    const auto main = SettingsKeys::Window::Main;
    int status = 1;
    if (isMaximized())
        status = 3;
    else if (!isMinimized()) {
        const QRect outer = WindowPlacement::outerGeometry(this);
        ini.writeInteger(main, Place::Top, outer.top());
        ini.writeInteger(main, Place::Left, outer.left());
        ini.writeInteger(main, Place::Width, outer.width());
        ini.writeInteger(main, Place::Height, outer.height());
    }
    if (!isActiveWindow())
        status = 2;
    ini.writeInteger(main, Place::Status, status);
    for (int c = 0; c < m_grid->model()->columnCount(); ++c)
        ini.writeGridWidth(c, m_grid->columnWidth(c));
}

void TfmHomeAddMain::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        guarded(this, [this] { showSteps(); });
    }
}

void TfmHomeAddMain::closeEvent(QCloseEvent *e)
{
    // Closing this window ends the program: unsaved letter text is not
    // dropped without a question, and Cancel keeps everything running.
    for (const auto &mayClose : m_closeChecks) {
        if (!mayClose()) {
            e->ignore();
            return;
        }
    }
    // What is typed is kept: the record being edited is finished as a move
    // would finish it. When it cannot be saved the window stays open, with
    // the record, so the user can correct or cancel it.
    if (query()->active() && !guarded(this, [this] { query()->checkBrowseMode(); })) {
        e->ignore();
        return;
    }
    guarded(this, [this] { closeSteps(); });
    e->accept();
    QApplication::quit();
}

void TfmHomeAddMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        activationSteps();
}

void TfmHomeAddMain::newRecord()
{
    guarded(this, [this] {
        query()->insert();
        m_grid->setFocus();
    });
}

void TfmHomeAddMain::cancelEdit()
{
    m_grid->discardEditor();
    guarded(this, [this] { query()->cancelUpdates(); });
}

void TfmHomeAddMain::deleteRecord()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm, tr("You are about to delete a record"), true))
        return;
    m_grid->discardEditor();
    guarded(this, [this] { query()->deleteRecord(); });
}

void TfmHomeAddMain::deleteFromGrid()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm, tr("Delete record?"), true))
        return;
    m_grid->discardEditor();
    guarded(this, [this] { query()->deleteRecord(); });
}

void TfmHomeAddMain::printerSetup()
{
    Platform::dialogs().printerSetup(this, m_state->printer());
}

void TfmHomeAddMain::exitProgram() { close(); }

void TfmHomeAddMain::checkBeforeSave() { Platform::sound().play(QStringLiteral("post.wav")); }
