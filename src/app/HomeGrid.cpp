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

TfmHomeAddMain *fmHomeAddMain = nullptr;

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

QAction *separator(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

const QVector<GridColumn> &TfmHomeAddMain::gridColumns()
{
    static const QVector<GridColumn> columns = {
        {AddressFields::Surname, "Surname", 76},     {AddressFields::Firstname, "Firstname", 103},
        {AddressFields::Address1, "Address1", 103},  {AddressFields::Address2, "Address2", 108},
        {AddressFields::A3_Village, "Add3 / Village", 108}, {AddressFields::Town, "Town", 80},
        {AddressFields::County, "County", 86},       {AddressFields::PostCode, "PostCode", 0},
        {AddressFields::Tel, "Tel", 92},             {AddressFields::Cell, "Cell", 0},
        {AddressFields::Flag, "Flag", 0},
    };
    return columns;
}

TfmHomeAddMain::TfmHomeAddMain(AddressBook *book, ProgramState *state, QWidget *parent)
    : QMainWindow(parent), m_book(book), m_state(state)
{
    fmHomeAddMain = this;
    setObjectName(QStringLiteral("fmHomeAddMain"));
    setWindowTitle(QStringLiteral("Varnel 3"));
    setFont(windowFont());

    query()->setBeforePost([this] { HomeQueryBeforePost(); });
    dsHome = new DataSource(query(), this);
    dsHome->setObjectName(QStringLiteral("dsHome"));

    buildControls();
    buildMenu();
    // Designed outer size 1106 x 434; the frame is the desktop's.
    resize(1098, 400);
    FormCreate();
}

TfmHomeAddMain::~TfmHomeAddMain()
{
    HintHandler::uninstall();
    if (fmHomeAddMain == this)
        fmHomeAddMain = nullptr;
}

void TfmHomeAddMain::buildControls()
{
    auto *client = new QWidget(this);
    auto *outer = new QVBoxLayout(client);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    auto *top = new QHBoxLayout;
    top->setSpacing(0);
    dbGrid1 = new DBGrid(dsHome, gridColumns(), client);
    dbGrid1->setObjectName(QStringLiteral("dbGrid1"));
    top->addWidget(dbGrid1, 1);

    Panel4 = new QWidget(client);
    Panel4->setObjectName(QStringLiteral("Panel4"));
    Panel4->setFixedWidth(104);
    auto *side = new QVBoxLayout(Panel4);
    side->setContentsMargins(4, 4, 4, 4);
    side->setSpacing(3);
    BitBtn3 = makeButton(Panel4, "BitBtn3", QStringLiteral("&Record"),
                         QStringLiteral("Insert new record into table"), QStyle::SP_FileIcon);
    BitBtn2 = makeButton(Panel4, "BitBtn2", QStringLiteral("&Cancel"), QStringLiteral("Cancel updates"),
                         QStyle::SP_DialogCancelButton);
    btnDelete = makeButton(Panel4, "btnDelete", QStringLiteral("&Delete"), QStringLiteral("Delete 1 row"),
                           QStyle::SP_TrashIcon);
    for (QPushButton *b : {BitBtn3, BitBtn2, btnDelete}) {
        b->setFixedHeight(25);
        side->addWidget(b);
    }

    RadioGroup1 = new QGroupBox(QStringLiteral("   Surname"), Panel4);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    setHint(RadioGroup1, QStringLiteral("Select by 1st letter of surname"));
    RadioGroup1Items = new QButtonGroup(RadioGroup1);
    RadioGroup1Items->setExclusive(true);
    auto *letters = new QGridLayout(RadioGroup1);
    letters->setContentsMargins(4, 2, 2, 2);
    letters->setHorizontalSpacing(2);
    letters->setVerticalSpacing(0);
    // Two columns filled top to bottom: A to N, then O to Z and All.
    for (int i = 0; i < 27; ++i) {
        const QString text = i < 26 ? QString(QChar('A' + i)) : QStringLiteral("All");
        auto *rb = new QRadioButton(text, RadioGroup1);
        rb->setObjectName(QStringLiteral("RadioGroup1_") + text);
        RadioGroup1Items->addButton(rb, i);
        rb->setFixedHeight(15);
        letters->addWidget(rb, i % 14, i / 14);
    }
    side->addWidget(RadioGroup1, 1);
    top->addWidget(Panel4);
    outer->addLayout(top, 1);

    Panel1 = new QWidget(client);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(36);
    auto *bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(2, 2, 2, 2);
    Panel3 = new QWidget(Panel1);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    auto *navBox = new QHBoxLayout(Panel3);
    navBox->setContentsMargins(0, 0, 0, 0);
    DBNavigator1 = new DBNavigator(
        dsHome, {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last, DBNavigator::Post},
        {QStringLiteral("First record"), QStringLiteral("Prior record"), QStringLiteral("Next record"),
         QStringLiteral("Last record"), QStringLiteral("Post edit")},
        Panel3);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setFixedWidth(240);
    navBox->addWidget(DBNavigator1);
    bottom->addWidget(Panel3);
    bottom->addStretch(1);

    Panel2 = new QWidget(Panel1);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    auto *buttons = new QHBoxLayout(Panel2);
    buttons->setContentsMargins(0, 0, 0, 0);
    btnRecCard = makeButton(Panel2, "btnRecCard", QStringLiteral("Record &Card"),
                            QStringLiteral("Index Card for data entry"), QStyle::SP_FileDialogDetailedView);
    btEditCounty = makeButton(Panel2, "btEditCounty", QStringLiteral("EditCounty"),
                              QStringLiteral("Edit List of Counties"));
    HomeSearch = makeButton(Panel2, "HomeSearch", QStringLiteral("&Search"), QStringLiteral("Search & Filter"),
                            QStyle::SP_FileDialogContentsView);
    sqRetryBtn = makeButton(Panel2, "sqRetryBtn", QStringLiteral("&Reset"),
                            QStringLiteral("Clears Search & Shows all names again"), QStyle::SP_BrowserReload);
    BitBtn1 = makeButton(Panel2, "BitBtn1", QStringLiteral("Close"), QStringLiteral("Closes Application"),
                         QStyle::SP_DialogCloseButton);
    for (QPushButton *b : {btnRecCard, btEditCounty, HomeSearch, sqRetryBtn, BitBtn1}) {
        b->setMinimumWidth(92);
        buttons->addWidget(b);
    }
    bottom->addWidget(Panel2);
    outer->addWidget(Panel1);
    setCentralWidget(client);

    StatusBar1 = new QStatusBar(this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    StatusBar1->setFixedHeight(20);
    StatusBar1->setSizeGripEnabled(true);
    const int widths[3] = {400, 200, 200};
    const char *texts[3] = {"", "Today", "File"};
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = new QLabel(QLatin1String(texts[i]), StatusBar1);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        m_panels[i]->setFixedWidth(widths[i]);
        StatusBar1->addWidget(m_panels[i]);
    }
    // The panels keep their widths; what is left of the bar stays empty.
    StatusBar1->addWidget(new QWidget(StatusBar1), 1);
    setStatusBar(StatusBar1);

    connect(BitBtn3, &QPushButton::clicked, this, &TfmHomeAddMain::BitBtn3Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TfmHomeAddMain::BitBtn2Click);
    connect(btnDelete, &QPushButton::clicked, this, &TfmHomeAddMain::btnDeleteClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TfmHomeAddMain::miExitClick);
    connect(dbGrid1, &DBGrid::deleteRequested, this, &TfmHomeAddMain::dbGrid1DeleteRecord);

    // Enter runs "&Record" unless the focused control takes Enter itself (the
    // grid does; a focused button clicks itself); Esc runs "&Cancel".
    auto *enter = new QShortcut(QKeySequence(Qt::Key_Return), this);
    auto *enter2 = new QShortcut(QKeySequence(Qt::Key_Enter), this);
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(enter, &QShortcut::activated, this, [this] { defaultOrCancelKey(true); });
    connect(enter2, &QShortcut::activated, this, [this] { defaultOrCancelKey(true); });
    connect(esc, &QShortcut::activated, this, [this] { defaultOrCancelKey(false); });

    // Off until the windows that serve them exist (see VarnelApp).
    for (QWidget *w : {static_cast<QWidget *>(RadioGroup1), static_cast<QWidget *>(btnRecCard),
                       static_cast<QWidget *>(btEditCounty), static_cast<QWidget *>(HomeSearch),
                       static_cast<QWidget *>(sqRetryBtn)})
        w->setEnabled(false);
}

QList<QAction *> TfmHomeAddMain::actionsOf(Command command) const
{
    switch (command) {
    case Command::Search: return {miOpenSearch};
    case Command::RecordForm: return {miRecordForm};
    case Command::PhoneList: return {miPhoneList};
    case Command::Labels21: return {miLabel21};
    case Command::Labels16: return {miLabel16};
    case Command::Labels14: return {mi14perA4sheet1};
    case Command::LabelFont: return {Setfont1};
    case Command::FiloPages: return {FiloFaxPages1};
    case Command::A5Pages: return {miA5DiaryPages};
    case Command::MailMerge: return {miMailMerge};
    case Command::Editor: return {Notepad1};
    case Command::HelpNote: return {Help1};
    case Command::About: return {miAbout};
    case Command::RecordCard:
    case Command::CountyList: break;
    }
    return {};
}

QList<QPushButton *> TfmHomeAddMain::buttonsOf(Command command) const
{
    switch (command) {
    case Command::Search: return {HomeSearch};
    case Command::RecordCard: return {btnRecCard};
    case Command::CountyList: return {btEditCounty};
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
        connect(dbGrid1, &DBGrid::recordDoubleClicked, this, run);
}

void TfmHomeAddMain::addCloseCheck(std::function<bool()> mayClose)
{
    m_closeChecks << std::move(mayClose);
}

QStringList TfmHomeAddMain::countyPickList() const
{
    return dbGrid1->pickList(dbGrid1->columnOf(AddressFields::County));
}

void TfmHomeAddMain::setCountyPickList(const QStringList &counties)
{
    dbGrid1->setPickList(dbGrid1->columnOf(AddressFields::County), counties);
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
        BitBtn3Click();
    else
        BitBtn2Click();
}

void TfmHomeAddMain::buildMenu()
{
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));

    File1 = bar->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    NewFile1 = makeAction(File1, "NewFile1", QStringLiteral("New File"), QKeySequence(QStringLiteral("Ctrl+N")),
                          QStringLiteral("Opens new blank Table"));
    miOpenFile = makeAction(File1, "miOpenFile", QStringLiteral("Open File"), QKeySequence(QStringLiteral("Ctrl+O")),
                            QStringLiteral("Open existing table"));
    miSaveAs = makeAction(File1, "miSaveAs", QStringLiteral("Save As"), QKeySequence(QStringLiteral("Ctrl+S")),
                          QStringLiteral("Save table in new file"));
    miClose = makeAction(File1, "miClose", QStringLiteral("Close File"), QKeySequence(QStringLiteral("Ctrl+L")),
                         QString());
    miImport = makeAction(File1, "miImport", QStringLiteral("Import..."), QKeySequence(),
                          QStringLiteral("Bring in people from vCard, CSV or an older Access book"));
    miExport = makeAction(File1, "miExport", QStringLiteral("Export..."), QKeySequence(),
                          QStringLiteral("Write the people shown to vCard or CSV"));
    N3 = separator(File1, "N3");
    // Options shows Ctrl+O but never takes it: the first item with a key,
    // "Open File", has it.
    miOptions = makeAction(File1, "miOptions", QStringLiteral("Options\tCtrl+O"), QKeySequence(),
                           QStringLiteral("Select start-up file"));
    N1 = separator(File1, "N1");
    miPrintSetup = makeAction(File1, "miPrintSetup", QStringLiteral("&Printer Setup"),
                              QKeySequence(QStringLiteral("Ctrl+Q")), QString());
    Exit1 = makeAction(File1, "Exit1", QStringLiteral("Exit"), QKeySequence(QStringLiteral("Ctrl+E")), QString());

    Search1 = bar->addMenu(QStringLiteral("&Search"));
    Search1->setObjectName(QStringLiteral("Search1"));
    setHint(Search1->menuAction(), QStringLiteral("Search & Filter"));
    miOpenSearch = makeAction(Search1, "miOpenSearch", QStringLiteral("O&pen Search"), QKeySequence(Qt::Key_F3),
                              QString());
    miClearFillter = makeAction(Search1, "miClearFillter", QStringLiteral("&Clear Fillter"),
                                QKeySequence(Qt::Key_F4), QString());

    Reports1 = bar->addMenu(QStringLiteral("&Reports"));
    Reports1->setObjectName(QStringLiteral("Reports1"));
    setHint(Reports1->menuAction(), QStringLiteral("Selection of useful Reports"));
    miPhoneList = makeAction(Reports1, "miPhoneList", QStringLiteral("Phone &List"), QKeySequence(), QString());
    miLabels21 = Reports1->addMenu(QStringLiteral("&Address Labels"));
    miLabels21->setObjectName(QStringLiteral("miLabels21"));
    miLabel21 = makeAction(miLabels21, "miLabel21", QStringLiteral("21 per A4 sheet"), QKeySequence(),
                           QStringLiteral("Avery L7160"));
    miLabel16 = makeAction(miLabels21, "miLabel16", QStringLiteral("16 per A4 sheet"), QKeySequence(),
                           QStringLiteral("Avery L7162"));
    mi14perA4sheet1 = makeAction(miLabels21, "mi14perA4sheet1", QStringLiteral("14 per A4 sheet"), QKeySequence(),
                                 QString());
    Setfont1 = makeAction(miLabels21, "Setfont1", QStringLiteral("Set labels font"), QKeySequence(), QString());
    FiloFaxPages1 = makeAction(Reports1, "FiloFaxPages1", QStringLiteral("&FiloFax Pages"), QKeySequence(), QString());
    miA5DiaryPages = makeAction(Reports1, "miA5DiaryPages", QStringLiteral("A&5 Diary Pages"), QKeySequence(),
                                QString());
    N2 = separator(Reports1, "N2");
    miRecordForm = makeAction(Reports1, "miRecordForm", QStringLiteral("&Record Form "), QKeySequence(),
                              QStringLiteral("Alternative form for data entry"));

    // "&Mail Merge" and "&Notepad" are commands on the bar itself.
    miMailMerge = bar->addAction(QStringLiteral("&Mail Merge"));
    miMailMerge->setObjectName(QStringLiteral("miMailMerge"));
    setHint(miMailMerge, QStringLiteral("Insert selected contacts for mailing"));
    Notepad1 = bar->addAction(QStringLiteral("&Notepad"));
    Notepad1->setObjectName(QStringLiteral("Notepad1"));
    setHint(Notepad1, QStringLiteral("Opens Text Editor"));

    Help3 = bar->addMenu(QStringLiteral("&Help"));
    Help3->setObjectName(QStringLiteral("Help3"));
    Help2 = makeAction(Help3, "Help2", QStringLiteral("&Help"), QKeySequence(Qt::Key_F1), QString());
    Help1 = makeAction(Help3, "Help1", QStringLiteral("Hel&p Note"), QKeySequence(), QString());
    miAbout = makeAction(Help3, "miAbout", QStringLiteral("&About"), QKeySequence(), QString());

    connect(miPrintSetup, &QAction::triggered, this, &TfmHomeAddMain::miPrintSetupClick);
    connect(Exit1, &QAction::triggered, this, &TfmHomeAddMain::miExitClick);

    // Off until the window that serves them has been created and wired them up.
    for (QAction *a : {NewFile1, miOpenFile, miSaveAs, miClose, miImport, miExport, miOptions, miOpenSearch, miClearFillter,
                       miPhoneList, miLabel21, miLabel16, mi14perA4sheet1, Setfont1, FiloFaxPages1,
                       miA5DiaryPages, miRecordForm, miMailMerge, Notepad1, Help2, Help1, miAbout})
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

void TfmHomeAddMain::FormCreate()
{
    wireFileCommands();
    // A book named on the command line comes first. One that cannot be opened
    // is reported as any book is, and the usual start-up choice follows.
    const QString asked = StartupBook::take();
    const bool takeAsked = !asked.isEmpty() && guarded(this, [&asked] {
        AdoConnection probe;
        probe.setConnectionString(AdoConnection::connectionStringFor(asked));
        probe.open();
    });
    // Else the start-up address book: the sample, unless the user chose the
    // blank one for later starts.
    const bool ok = guarded(this, [this, &asked, takeAsked] {
        const IniFile ini(IniFile::settingsPath());
        const bool sample = ini.readBool(QStringLiteral("Options"), QStringLiteral("Checked"), true);
        m_book->useFile(takeAsked ? asked
                                  : ProgramFolder::file(sample ? QStringLiteral("Varnel.vdf")
                                                               : QStringLiteral("NewFile.vdf")));
    });
    if (!ok)
        Platform::dialogs().message(
            this, MsgKind::Error,
            QStringLiteral("No file to connect to. Please ensure Varnel.vdf and NewFile.vdfare present"), false);
    setStatusPanel(2, fileInUseCaption(m_book->fileInUse()));
}

void TfmHomeAddMain::FormShow()
{
    const IniFile ini(IniFile::settingsPath());
    const QString main = QStringLiteral("MainForm");
    if (ini.readInteger(main, QStringLiteral("Status"), 0) != 0)
        restoreOuterGeometry(ini.readInteger(main, QStringLiteral("Top"), y()),
                             ini.readInteger(main, QStringLiteral("Left"), x()),
                             ini.readInteger(main, QStringLiteral("Width"),
                                             WindowPlacement::outerGeometry(this).width()),
                             ini.readInteger(main, QStringLiteral("Height"),
                                             WindowPlacement::outerGeometry(this).height()));
    const QStringList keys = gridWidthKeys();
    for (int c = 0; c < keys.size(); ++c)
        dbGrid1->setColumnWidth(c, ini.readInteger(QStringLiteral("DBGrid"), keys[c], dbGrid1->designedWidth(c)));

    if (ini.readBool(QStringLiteral("Options"), QStringLiteral("Show Form"), true))
        miOptionsClick();

    loadCountyPickList();
}

void TfmHomeAddMain::FormActivate()
{
    HintHandler::install(m_panels[0]);
    setStatusPanel(1, QStringLiteral("Today : ") + AdoQuery::dateTimeText(QDateTime(QDate::currentDate(), QTime(0, 0))));
}

void TfmHomeAddMain::FormClose()
{
    IniFile ini(IniFile::settingsPath());
    const QString main = QStringLiteral("MainForm");
    int status = 1;
    if (isMaximized())
        status = 3;
    else if (!isMinimized()) {
        const QRect outer = WindowPlacement::outerGeometry(this);
        ini.writeInteger(main, QStringLiteral("Top"), outer.top());
        ini.writeInteger(main, QStringLiteral("Left"), outer.left());
        ini.writeInteger(main, QStringLiteral("Width"), outer.width());
        ini.writeInteger(main, QStringLiteral("Height"), outer.height());
    }
    if (!isActiveWindow())
        status = 2;
    ini.writeInteger(main, QStringLiteral("Status"), status);
    const QStringList keys = gridWidthKeys();
    for (int c = 0; c < keys.size(); ++c)
        ini.writeInteger(QStringLiteral("DBGrid"), keys[c], dbGrid1->columnWidth(c));
}

void TfmHomeAddMain::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        guarded(this, [this] { FormShow(); });
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
    guarded(this, [this] { FormClose(); });
    e->accept();
    QApplication::quit();
}

void TfmHomeAddMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TfmHomeAddMain::BitBtn3Click()
{
    guarded(this, [this] {
        query()->insert();
        dbGrid1->setFocus();
    });
}

void TfmHomeAddMain::BitBtn2Click()
{
    dbGrid1->discardEditor();
    guarded(this, [this] { query()->cancelUpdates(); });
}

void TfmHomeAddMain::btnDeleteClick()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm, QStringLiteral("You are about to delete a record"), true))
        return;
    dbGrid1->discardEditor();
    guarded(this, [this] { query()->deleteRecord(); });
}

void TfmHomeAddMain::dbGrid1DeleteRecord()
{
    if (!Platform::dialogs().message(this, MsgKind::Confirm, QStringLiteral("Delete record?"), true))
        return;
    dbGrid1->discardEditor();
    guarded(this, [this] { query()->deleteRecord(); });
}

void TfmHomeAddMain::miPrintSetupClick()
{
    Platform::dialogs().printerSetup(this, m_state->printer());
}

void TfmHomeAddMain::miExitClick() { close(); }

void TfmHomeAddMain::HomeQueryBeforePost() { Platform::sound().play(QStringLiteral("post.wav")); }
