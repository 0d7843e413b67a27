#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "browse/CountLook.h"
#include "dbaware/DBEdit.h"
#include "dbaware/DBMemo.h"
#include "dbaware/DBNavigator.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "widgets/ClickPanel.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kClosed =
    QStringLiteral("Varnel: Cannot perform this operation on a closed dataset.");

AdoQuery *query()
{
    return mainWindow()->book()->query();
}

TfmRecCard *card()
{
    return topLevel<TfmRecCard>("fmRecCard");
}

DBEdit *cardField(const char *name)
{
    return named<DBEdit>(card(), name);
}

DBMemo *cardNotes()
{
    return named<DBMemo>(card(), "DBMemo2");
}

TfmHomeForm *form()
{
    return topLevel<TfmHomeForm>("fmHomeForm");
}

DBEdit *formField(const char *name)
{
    return named<DBEdit>(form(), name);
}

QTabWidget *formPages()
{
    return named<QTabWidget>(form(), "PageControl1");
}

TfmCountyListEdit *countyEditor()
{
    return topLevel<TfmCountyListEdit>("fmCountyListEdit");
}

QLineEdit *newCountyBox()
{
    return named<QLineEdit>(countyEditor(), "edCountyList");
}

QPushButton *countyButton(const char *name)
{
    return named<QPushButton>(countyEditor(), name);
}

QPushButton *mainButton(const char *name)
{
    return named<QPushButton>(mainWindow(), name);
}

DBGrid *mainGrid()
{
    return named<DBGrid>(mainWindow(), "dbGrid1");
}

// A copy of the sample book with the desktop's dialogs, sound and shell
// scripted, and a scratch program folder for the settings file: enough to
// build one window on its own.
struct OneWindow
{
    ScratchProgramFolder folder;
    ScriptedPlatform platform;
    SampleBook sample;
    OneWindow() { ProgramFolder::set(folder.path()); }
    QStringList &log() { return platform.dialogs.log; }
    AdoQuery *query() const { return sample.query(); }
};

int rowsInFile(const QString &path, const QString &where = QString())
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd " + where, {"Surname"}).rows.size());
}

void click(ClickPanel *panel)
{
    QTest::mouseClick(panel, Qt::LeftButton);
}

ClickPanel *cardPanel(const char *name)
{
    return named<ClickPanel>(card(), name);
}

QToolButton *navButton(const char *name)
{
    return named<QToolButton>(named<DBNavigator>(form(), "DBNavigator1"), name);
}

void showActive(QWidget *w)
{
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void putFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Runs `inside` once the modal county editor is up, then lets the main
// window's button open it.
void withCountyEditor(const std::function<void()> &inside)
{
    QTimer::singleShot(0, countyEditor(), [inside] {
        inside();
        if (countyEditor()->isVisible())
            countyEditor()->reject();
    });
    QTest::mouseClick(mainButton("btEditCounty"), Qt::LeftButton);
}

QStringList listItems()
{
    return countyEditor()->entries();
}

// Where Tab goes from `w`: the next widget in the focus chain that takes Tab.
QWidget *nextTabStop(QWidget *w)
{
    QWidget *n = w->nextInFocusChain();
    while (n != w && !(n->focusPolicy() & Qt::TabFocus))
        n = n->nextInFocusChain();
    return n;
}

// The offscreen test platform cannot raise windows and says so each time.
void quietRaise(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    static const QtMessageHandler previous = qInstallMessageHandler(nullptr);
    if (message.contains(QLatin1String("does not support raise()")))
        return;
    if (previous)
        previous(type, context, message);
}

} // namespace

class tst_entry : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        quietRaise(QtDebugMsg, QMessageLogContext(), QStringLiteral("does not support raise()"));
        qInstallMessageHandler(quietRaise);
    }

    // --- Record card ---

    void cardOpensOnTheGridsRecordWithItsTextsOnTheRules()
    {
        RunningProgram program;
        query()->moveTo(2);
        QVERIFY(mainButton("btnRecCard")->isEnabled());
        QTest::mouseClick(mainButton("btnRecCard"), Qt::LeftButton);
        QVERIFY(card()->isVisible());
        QCOMPARE(card()->windowTitle(), QString("Record Card"));
        QCOMPARE(card()->size(), QSize(574, 358));
        QCOMPARE(cardField("DBEdit3")->text(), query()->displayText(AddressFields::Surname));
        QCOMPARE(cardField("DBEdit12")->text(), query()->displayText(AddressFields::Email));
        QCOMPARE(card()->focusWidget(), cardField("DBEdit1"));

        // A move in the grid moves the card with it.
        mainGrid()->setCurrentIndex(mainGrid()->model()->index(5, 0));
        QCOMPARE(query()->recNo(), 5);
        QCOMPARE(cardField("DBEdit1")->text(), query()->displayText(AddressFields::Firstname));

        // Every one-line field stands on one of the picture's rules.
        const QImage ruled = TfmRecCard::ruledCard();
        QCOMPARE(ruled.size(), QSize(583, 413));
        QList<int> rules;
        for (int y = 0; y < ruled.height(); ++y)
            if (ruled.pixelColor(10, y) != QColor(Qt::white))
                rules << y + named<QLabel>(card(), "Image1")->y();
        QCOMPARE(rules.size(), 14);
        QVERIFY(qAbs(rules.at(13) - rules.at(0) - 13 * 23.6) < 1.0);
        for (DBEdit *e : named<QWidget>(card(), "Panel1")->findChildren<DBEdit *>()) {
            const int bottom = e->geometry().bottom() + 1;
            bool onRule = false;
            for (int r : rules)
                onRule |= qAbs(bottom - r) <= 1;
            QVERIFY2(onRule, qPrintable(e->objectName()));
        }
        const int faceHeight = named<QWidget>(card(), "Panel1")->height();
        QCOMPARE(named<QWidget>(card(), "Panel2")->geometry(), QRect(93, 0, 3, faceHeight));
        QCOMPARE(named<QWidget>(card(), "Panel10")->x(), 368);
        QCOMPARE(named<QWidget>(card(), "Panel10")->y(), 185);
    }

    void cardTabOrderAndFieldLengths()
    {
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        const QList<QWidget *> order{
            cardField("DBEdit1"),  cardField("DBEdit2"),  cardField("DBEdit3"),
            cardField("DBEdit4"),  cardField("DBEdit5"),  cardField("DBEdit6"),
            cardField("DBEdit7"),  cardField("DBEdit8"),  cardField("DBEdit9"),
            cardField("DBEdit10"), cardField("DBEdit11"), cardField("DBEdit12"),
            cardNotes(),           cardField("DBEdit20"), cardField("DBEdit13"),
            cardField("DBEdit21"), cardField("DBEdit19"), cardField("DBEdit17")};
        for (int i = 1; i < order.size(); ++i)
            QCOMPARE(nextTabStop(order.at(i - 1))->objectName(), order.at(i)->objectName());
        for (QWidget *w : order)
            if (auto *e = qobject_cast<DBEdit *>(w); e && e->field() != AddressFields::Birthday)
                QCOMPARE(e->maxLength(), program.query()->fields().at(e->field()).size);
        cardField("DBEdit20")->selectAll();
        QTest::keyClicks(cardField("DBEdit20"), "ABCDEFGHIJ");
        QCOMPARE(cardField("DBEdit20")->text(), QString("ABCDEF"));
        QCOMPARE(program.query()->displayText(AddressFields::Flag), QString("ABCDEF"));
    }

    void nextAfterAnEditSavesWithTheSound()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        mainButton("btnRecCard")->click();
        query()->moveTo(1);
        cardField("DBEdit7")->selectAll();
        QTest::keyClicks(cardField("DBEdit7"), "Tewkesbury");
        QCOMPARE(query()->state(), DataSetState::Edit);
        // The grid shows the typing at once.
        QCOMPARE(mainGrid()->model()->index(1, 5).data().toString(), QString("Tewkesbury"));
        click(cardPanel("Panel4"));
        QCOMPARE(query()->recNo(), 2);
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Tewkesbury'"), 1);
        click(cardPanel("Panel5"));
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(cardField("DBEdit7")->text(), QString("Tewkesbury"));
        QVERIFY(program.log().isEmpty());
    }

    // Two copies of the program on one book, both editing the same person:
    // the copy that saves second is refused in plain words, keeps what was
    // typed, and nothing of the first save is lost.
    void secondCopySavingTheSamePersonIsRefused()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        AdoConnection otherConnection;
        otherConnection.setConnectionString(AdoConnection::connectionStringFor(book));
        AdoQuery other(&otherConnection);
        other.setSql({"SELECT * FROM HomeAd", "ORDER BY Surname"});
        other.open();
        other.moveTo(1);
        mainButton("btnRecCard")->click();
        query()->moveTo(1);
        QCOMPARE(query()->displayText(AddressFields::Surname),
                 other.displayText(AddressFields::Surname));

        cardField("DBEdit7")->selectAll();
        QTest::keyClicks(cardField("DBEdit7"), "Tewkesbury");
        other.setFieldText(AddressFields::Town, "Pershore");
        other.post();
        click(cardPanel("Panel4")); // Next >> saves first
        QCOMPARE(
            program.log(),
            QStringList{"Varnel: Another program changed this record after it was read, so your "
                        "changes were not saved. Cancel them and reset the view to see the record "
                        "as it is now."});
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(cardField("DBEdit7")->text(), QString("Tewkesbury"));
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Pershore'"), 1);
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Tewkesbury'"), 0);

        // Cancelling drops our typing; the file keeps the other copy's save.
        query()->cancel();
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Pershore'"), 1);
    }

    void newRecordThenNextLeavesNothing()
    {
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        const QString book = program.sample.path;
        const int before = rowsInFile(book);
        showActive(card());
        program.query()->moveTo(3);
        cardField("DBEdit3")->setFocus();
        click(cardPanel("Panel7"));
        QCOMPARE(program.query()->state(), DataSetState::Insert);
        QCOMPARE(program.query()->recNo(), 3);
        QCOMPARE(cardField("DBEdit3")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), cardField("DBEdit1"));
        click(cardPanel("Panel4"));
        QCOMPARE(program.query()->state(), DataSetState::Browse);
        QCOMPARE(program.query()->recordCount(), before);
        QCOMPARE(rowsInFile(book), before);
        QVERIFY(program.platform.sound.played.isEmpty());
    }

    void newRecordTypedIsSavedAndCancelDropsIt()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        mainButton("btnRecCard")->click();
        click(cardPanel("Panel7"));
        QTest::keyClicks(cardField("DBEdit3"), "Zebedee");
        click(cardPanel("Panel9"));
        QCOMPARE(query()->recordCount(), before);
        click(cardPanel("Panel7"));
        QTest::keyClicks(cardField("DBEdit3"), "Zebedee");
        QTest::keyClicks(cardNotes(), "line one");
        click(cardPanel("Panel5"));
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Zebedee' AND Notes = 'line one'"), 1);
    }

    void closeLeavesTheRecordInEditMode_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("after an edit") << "Penzance";
        QTest::newRow("without editing") << "";
    }
    void closeLeavesTheRecordInEditMode()
    {
        QFETCH(QString, typed);
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        mainButton("btnRecCard")->click();
        query()->moveTo(4);
        const QString town = query()->displayText(AddressFields::Town);
        if (!typed.isEmpty()) {
            cardField("DBEdit7")->selectAll();
            QTest::keyClicks(cardField("DBEdit7"), typed);
        }
        click(cardPanel("Panel6"));
        QVERIFY(!card()->isVisible());
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        const QString shown = typed.isEmpty() ? town : typed;
        QCOMPARE(mainGrid()->model()->index(4, 5).data().toString(), shown);
        // Nothing is written until the record is left in the grid.
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Penzance'"), 0);
        mainGrid()->setCurrentIndex(mainGrid()->model()->index(0, 0));
        QCOMPARE(rowsInFile(book, "WHERE Town = 'Penzance'"), typed.isEmpty() ? 0 : 1);
    }

    void deleteAsksFirst()
    {
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        const QString book = program.sample.path;
        const int before = rowsInFile(book);
        showActive(card());
        program.query()->moveTo(2);
        const QString surname = program.query()->displayText(AddressFields::Surname);
        program.platform.dialogs.answers << "Cancel";
        click(cardPanel("Panel8"));
        QCOMPARE(program.log(), QStringList{"Confirm: You are about to delete a record -> Cancel"});
        QCOMPARE(rowsInFile(book), before);
        QCOMPARE(program.query()->recordCount(), before);
        program.platform.dialogs.answers << "OK";
        click(cardPanel("Panel8"));
        QCOMPARE(rowsInFile(book), before - 1);
        QCOMPARE(rowsInFile(book, "WHERE Surname = '" + surname + "'"), 0);
    }

    void closedQueryMessages_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::newRow("Back") << "Panel5";
        QTest::newRow("Next") << "Panel4";
        QTest::newRow("New Record") << "Panel7";
        QTest::newRow("Delete Record") << "Panel8";
        QTest::newRow("Close") << "Panel6";
    }
    void closedQueryMessages()
    {
        QFETCH(QString, panel);
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        showActive(card());
        program.query()->close();
        QCOMPARE(cardField("DBEdit3")->text(), QString());
        QVERIFY(cardField("DBEdit3")->isReadOnly());
        QVERIFY(cardNotes()->isReadOnly());
        click(cardPanel(panel.toLatin1().constData()));
        QCOMPARE(program.log().last(), kClosed);
        QVERIFY(card()->isVisible()); // "Close" fails before it closes
        QVERIFY(program.platform.sound.played.isEmpty());
        // Cancel has nothing to cancel and says nothing.
        const int logged = program.log().size();
        click(cardPanel("Panel9"));
        QCOMPARE(program.log().size(), logged);
    }

    void emptySelection()
    {
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        program.query()->close();
        program.query()->setSql({"SELECT * FROM HomeAd WHERE Surname = 'nobody'"});
        program.query()->open();
        showActive(card());
        click(cardPanel("Panel5"));
        click(cardPanel("Panel4"));
        QVERIFY(program.log().isEmpty());
        click(cardPanel("Panel8"));
        QCOMPARE(program.log().last(),
                 QString("Varnel: Cannot perform this operation on an empty dataset."));
        // Typing into an empty selection starts a new record.
        QTest::keyClicks(cardField("DBEdit3"), "Nobody");
        QCOMPARE(program.query()->state(), DataSetState::Insert);
        QCOMPARE(cardField("DBEdit3")->text(), QString("Nobody"));
    }

    void birthdayThatIsNoDateIsRefused()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        showActive(card());
        query()->moveTo(1);
        const QString before = query()->displayText(AddressFields::Birthday);
        cardField("DBEdit21")->setFocus();
        cardField("DBEdit21")->selectAll();
        QTest::keyClicks(cardField("DBEdit21"), "notadate");
        QCOMPARE(query()->state(), DataSetState::Edit);
        cardField("DBEdit1")->setFocus(); // focus out hands the text over
        QCOMPARE(program.log().last(), QString("Varnel: 'notadate' is not a valid date and time."));
        QTRY_COMPARE(QApplication::focusWidget(), cardField("DBEdit21"));
        // Next hands it over again, is refused again, and stays.
        click(cardPanel("Panel4"));
        QCOMPARE(program.log().size(), 2);
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(query()->displayText(AddressFields::Birthday), before);
        QVERIFY(program.platform.sound.played.isEmpty());
        QCOMPARE(cardField("DBEdit21")->text(), QString("notadate"));

        // A real date typed there is saved by Next.
        const QString date = AdoQuery::dateTimeText(QDateTime(QDate(1970, 1, 2), QTime(0, 0)));
        cardField("DBEdit21")->selectAll();
        QTest::keyClicks(cardField("DBEdit21"), date);
        click(cardPanel("Panel4"));
        QCOMPARE(query()->recNo(), 2);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        query()->moveTo(1);
        QCOMPARE(cardField("DBEdit21")->text(), date);
        QCOMPARE(formField("DBEdit14")->text(), date);
    }

    // The link carries the address alone: whatever would add fields to the
    // message is encoded, and what is no address is refused.
    void emailDoubleClickStartsAMessage_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("link"); // empty: refused with a message
        QTest::newRow("address") << "jo@example.org"
                                 << "mailto:jo@example.org";
        QTest::newRow("empty field") << ""
                                     << "mailto:";
        QTest::newRow("blanks around") << "  jo@example.org "
                                       << "mailto:jo@example.org";
        QTest::newRow("attachment after the domain") << "x@y.z?attach=/home/me/.ssh/id_rsa"
                                                     << "";
        QTest::newRow("bcc and body after the domain") << "x@y.z?bcc=boss@y.z&body=hi"
                                                       << "";
        QTest::newRow("fields in the local part are encoded")
            << "a?bcc=b&body=c#d@y.z"
            << "mailto:a%3Fbcc%3Db%26body%3Dc%23d@y.z";
        QTest::newRow("plus and percent") << "jo+list%41@example.org"
                                          << "mailto:jo%2Blist%2541@example.org";
        QTest::newRow("non-ASCII") << QString::fromUtf8("j\xC3\xB6ran@ex\xC3\xA4mple.se")
                                   << "mailto:j%C3%B6ran@ex%C3%A4mple.se";
        QTest::newRow("no at sign") << "call Jo first"
                                    << "";
        QTest::newRow("two addresses") << "a@b.c,d@e.f"
                                       << "";
        QTest::newRow("blank inside") << "jo @example.org"
                                      << "";
        QTest::newRow("no domain") << "jo@"
                                   << "";
        QTest::newRow("empty label") << "jo@example..org"
                                     << "";
    }
    void emailDoubleClickStartsAMessage()
    {
        QFETCH(QString, address);
        QFETCH(QString, link);
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        showActive(card());
        program.query()->setFieldText(AddressFields::Email, address);
        QCOMPARE(cardField("DBEdit12")->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(cardField("DBEdit12")->font().underline());
        QTest::mouseDClick(cardField("DBEdit12"), Qt::LeftButton);
        if (link.isEmpty()) {
            QVERIFY(program.platform.shell.opened.isEmpty());
            QCOMPARE(program.log(),
                     QStringList{"Error: \"" + address +
                                 "\" is not an e-mail address, so no message is started -> OK"});
        } else {
            QCOMPARE(program.platform.shell.opened, QStringList{link});
            QVERIFY(program.log().isEmpty());
        }
    }

    // A note of one unbroken 2 MB "word" wraps anywhere, the mode whose time
    // grows only with the length, and is shown whole; ordinary notes keep
    // wrapping at word boundaries.
    void aNoteOfOneHugeWordIsShownWholeAndWrapsAnywhere()
    {
        OneWindow program;
        TfmRecCard cardAlone(program.query());
        showActive(card());
        DBMemo *notes = cardNotes();
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QString word(2 * 1024 * 1024, QChar('x'));
        word[12345] = QChar('y');
        program.query()->setFieldText(AddressFields::Notes, word);
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(notes->toPlainText(), word);
        QCOMPARE(notes->lineWrapMode(), QPlainTextEdit::WidgetWidth);

        const QString ordinary = "Met at the village fete; " + QString(80, 'w') + " likes roses";
        program.query()->setFieldText(AddressFields::Notes, ordinary);
        QCOMPARE(notes->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(notes->toPlainText(), ordinary);
        program.query()->cancelUpdates();
    }

    void doubleClickInTheGridOpensTheCard()
    {
        RunningProgram program;
        auto *grid = mainGrid();
        const QRect cell = grid->visualRect(grid->model()->index(3, 1));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QVERIFY(card()->isVisible());
        QCOMPARE(cardField("DBEdit1")->text(), grid->model()->index(3, 1).data().toString());
    }

    // --- Placement, shared between the card and the form view ---

    void cardPlacementIsSharedThroughFormViewStatus()
    {
        RunningProgram program;
        IniFile ini(IniFile::settingsPath());
        // No FormView section: both keep their places.
        card()->move(40, 50);
        mainButton("btnRecCard")->click();
        QCOMPARE(card()->frameGeometry().topLeft(), QPoint(40, 50));
        card()->move(120, 130);
        showActive(card());
        card()->close();
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 1);
        QCOMPARE(ini.readInteger("RecCard", "Left", -1), card()->frameGeometry().left());
        QCOMPARE(ini.readInteger("RecCard", "Top", -1), card()->frameGeometry().top());
        card()->move(0, 0);
        mainButton("btnRecCard")->click();
        QCOMPARE(card()->frameGeometry().topLeft(), QPoint(ini.readInteger("RecCard", "Left", -1),
                                                           ini.readInteger("RecCard", "Top", -1)));
        // The card's close lets the form view restore its own keys.
        ini.writeInteger("FormView", "Left", 210);
        ini.writeInteger("FormView", "Top", 220);
        form()->show();
        QCOMPARE(form()->frameGeometry().topLeft(), QPoint(210, 220));
        // Closed while another window is active: 2.
        showActive(mainWindow());
        form()->close();
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 2);
    }

    void formViewStatusThreeMaximisesAndMinimisedWritesNoPlace()
    {
        RunningProgram program;
        IniFile ini(IniFile::settingsPath());
        ini.writeInteger("FormView", "Status", 3);
        QVERIFY(named<QAction>(mainWindow(), "miRecordForm")->isEnabled());
        named<QAction>(mainWindow(), "miRecordForm")->trigger();
        QVERIFY(form()->isVisible());
        QVERIFY(form()->windowState() & Qt::WindowMaximized);
        form()->close();
        ini.writeInteger("FormView", "Status", 1);
        ini.writeInteger("FormView", "Left", 77);
        form()->showMinimized();
        form()->close();
        QCOMPARE(ini.readInteger("FormView", "Left", -1), 77);
        QCOMPARE(ini.readInteger("FormView", "Status", -1), 2);
    }

    void unwritableSettingsAreReportedAndTheCardClosesAnyway()
    {
        RunningProgram program;
        QFile::remove(IniFile::settingsPath());
        QVERIFY(QDir().mkpath(IniFile::settingsPath())); // a folder where the file should be
        mainButton("btnRecCard")->click();
        card()->close();
        QVERIFY(!card()->isVisible());
        QVERIFY(!program.log().isEmpty());
        QCOMPARE(program.log().last(),
                 "Varnel: Unable to write to " + IniFile::settingsPath() + ".");
    }

    // --- Record form view ---

    void formViewNavigatorFollowsTheQuery()
    {
        RunningProgram program;
        named<QAction>(mainWindow(), "miRecordForm")->trigger();
        QCOMPARE(form()->windowTitle(), QString("Varnel 3 Form View"));
        const QStringList names{"nbFirst",  "nbPrior", "nbNext", "nbLast",  "nbInsert",
                                "nbDelete", "nbEdit",  "nbPost", "nbCancel"};
        const QStringList tips{"First record", "Prior record",  "Next record",
                               "Last record",  "Insert record", "Delete record",
                               "Edit record",  "Post edit",     "Cancel edit"};
        auto enabled = [&] {
            QString s;
            for (const QString &n : names)
                s += navButton(n.toLatin1().constData())->isEnabled() ? '1' : '0';
            return s;
        };
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(navButton(names.at(i).toLatin1().constData())->toolTip(), tips.at(i));
        QCOMPARE(enabled(), QString("001111100")); // at the beginning
        QTest::mouseClick(navButton("nbNext"), Qt::LeftButton);
        QCOMPARE(query()->recNo(), 1);
        QCOMPARE(formField("DBEdit1")->text(), query()->displayText(AddressFields::Surname));
        QCOMPARE(mainGrid()->currentIndex().row(), 1);
        QCOMPARE(enabled(), QString("111111100"));
        QTest::mouseClick(navButton("nbLast"), Qt::LeftButton);
        QCOMPARE(enabled(), QString("110011100"));
        QTest::mouseClick(navButton("nbEdit"), Qt::LeftButton);
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(enabled(), QString("110011011"));
        QTest::mouseClick(navButton("nbCancel"), Qt::LeftButton);
        query()->close();
        QCOMPARE(enabled(), QString("000000000"));
        QCOMPARE(formField("DBEdit13")->text(), QString());
        QTest::mouseClick(named<QPushButton>(form(), "BitBtn1"), Qt::LeftButton);
        QVERIFY(!form()->isVisible());
    }

    void formViewInsertShowsEverywhereAndDeleteAsks()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        named<QAction>(mainWindow(), "miRecordForm")->trigger();
        mainButton("btnRecCard")->click();
        QTest::mouseClick(navButton("nbInsert"), Qt::LeftButton);
        QTest::keyClicks(formField("DBEdit1"), "Quayle");
        QTest::keyClicks(formField("DBEdit10"), "Isle of Man");
        QCOMPARE(cardField("DBEdit3")->text(), QString("Quayle"));
        QCOMPARE(mainGrid()->model()->index(query()->recNo(), 0).data().toString(),
                 QString("Quayle"));
        QTest::mouseClick(navButton("nbPost"), Qt::LeftButton);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Quayle' AND Country = 'Isle of Man'"), 1);

        program.platform.dialogs.answers << "Cancel";
        QTest::mouseClick(navButton("nbDelete"), Qt::LeftButton);
        QCOMPARE(program.log(), QStringList{"Confirm: Delete record? -> Cancel"});
        QCOMPARE(rowsInFile(book), before + 1);
        QTest::mouseClick(navButton("nbDelete"), Qt::LeftButton);
        QCOMPARE(rowsInFile(book), before);
    }

    void formViewRefusedBirthdayStaysInEdit()
    {
        OneWindow program;
        TfmHomeForm formAlone(program.query());
        showActive(form());
        formPages()->setCurrentIndex(1);
        formField("DBEdit14")->selectAll();
        QTest::keyClicks(formField("DBEdit14"), "31/31/31x");
        QTest::mouseClick(navButton("nbPost"), Qt::LeftButton);
        QCOMPARE(program.log().last(),
                 QString("Varnel: '31/31/31x' is not a valid date and time."));
        QCOMPARE(program.query()->state(), DataSetState::Edit);
        QVERIFY(program.platform.sound.played.isEmpty());
        QTest::mouseClick(navButton("nbCancel"), Qt::LeftButton);
        QCOMPARE(formField("DBEdit14")->text(),
                 program.query()->displayText(AddressFields::Birthday));
    }

    void formViewShowsPageOneAtEveryActivation()
    {
        RunningProgram program;
        named<QAction>(mainWindow(), "miRecordForm")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(form()));
        QCOMPARE(formPages()->currentWidget(), named<QWidget>(form(), "TabSheet1"));
        QCOMPARE(formPages()->tabText(0), QString("Name Address Phones"));
        QCOMPARE(formPages()->tabText(1), QString("More Info"));
        formPages()->setCurrentIndex(1);
        showActive(mainWindow());
        QCOMPARE(formPages()->currentIndex(), 1);
        named<QAction>(mainWindow(), "miRecordForm")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(form()));
        QCOMPARE(formPages()->currentIndex(), 0);
    }

    // --- County pick list ---

    // The editor on its own: "OK" hands on the working copy in its sorted
    // order and writes it; "&Close" hands on nothing.
    void countyEditorHandsOnItsListOnlyOnOk()
    {
        OneWindow program;
        TfmCountyListEdit editor;
        QSignalSpy accepted(&editor, &TfmCountyListEdit::listAccepted);
        editor.setEntries({"Tyne", "avon", "Berks"});
        QCOMPARE(editor.entries(), (QStringList{"avon", "Berks", "Tyne"}));
        editor.show();
        QTest::mouseClick(countyButton("BitBtn1"), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QVERIFY(accepted.isEmpty());
        editor.show();
        newCountyBox()->setText("Kent");
        QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
        QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton);
        QVERIFY(!editor.isVisible());
        QCOMPARE(accepted.size(), 1);
        QCOMPARE(accepted.first().first().toStringList(),
                 (QStringList{"avon", "Berks", "Kent", "Tyne"}));
        QCOMPARE(contents(program.folder.file("ListFile.txt")),
                 QByteArray("avon\r\nBerks\r\nKent\r\nTyne\r\n"));
        QVERIFY(program.log().isEmpty());
    }

    void pickListInFileOrderInTheGridSortedInTheEditor()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, "Tyne\nAvon\nberks");
        mainWindow()->loadCountyPickList();
        auto *grid = mainGrid();
        QCOMPARE(grid->pickList(6), (QStringList{"Tyne", "Avon", "berks"}));

        const QModelIndex cell = grid->model()->index(0, 6);
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *combo = grid->viewport()->findChild<QComboBox *>("pickListEditor");
        QVERIFY(combo);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->maxVisibleItems(), 12);
        QCOMPARE(combo->lineEdit()->maxLength(), 20);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        QCOMPARE(shown, (QStringList{"Tyne", "Avon", "berks"}));
        // Free text goes into the field as typed, and joins no list.
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "Avo");
        QTest::keyClick(combo, Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(query()->displayText(AddressFields::County), QString("Avo"));
        QCOMPARE(grid->pickList(6).size(), 3);

        withCountyEditor([] {
            QCOMPARE(listItems(), (QStringList{"Avon", "berks", "Tyne"}));
            newCountyBox()->setText("avon");
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            newCountyBox()->clear();
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QCOMPARE(listItems(), (QStringList{"", "Avon", "avon", "avon", "berks", "Tyne"}));
            QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton);
            QVERIFY(!countyEditor()->isVisible());
        });
        QCOMPARE(contents(list), QByteArray("\r\nAvon\r\navon\r\navon\r\nberks\r\nTyne\r\n"));
        QCOMPARE(grid->pickList(6), (QStringList{"", "Avon", "avon", "avon", "berks", "Tyne"}));
        QVERIFY(program.log().isEmpty());
    }

    void closeDiscardsTheEditorsChanges()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, "Tyne\r\nAvon\r\nberks\r\n");
        mainWindow()->loadCountyPickList();
        withCountyEditor([] {
            named<QListWidget>(countyEditor(), "lbCountyList")->setCurrentRow(0);
            QTest::mouseClick(countyButton("btDeleteItem"), Qt::LeftButton);
            named<QListWidget>(countyEditor(), "lbCountyList")->clearSelection();
            QTest::mouseClick(countyButton("btDeleteItem"),
                              Qt::LeftButton); // nothing highlighted
            newCountyBox()->setText("Kent");
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QCOMPARE(listItems(), (QStringList{"berks", "Kent", "Tyne"}));
            QTest::mouseClick(countyButton("BitBtn1"), Qt::LeftButton);
        });
        QCOMPARE(contents(list), QByteArray("Tyne\r\nAvon\r\nberks\r\n"));
        QCOMPARE(mainGrid()->pickList(6), (QStringList{"Tyne", "Avon", "berks"}));
        withCountyEditor([] {
            QCOMPARE(listItems(), (QStringList{"Avon", "berks", "Tyne"}));
            QCOMPARE(newCountyBox()->text(),
                     QString("Kent")); // the entry box keeps its text
        });
    }

    void missingListFileStartsEmptyAndOkCreatesIt()
    {
        RunningProgram program({"ListFile.txt"});
        const QString list = program.folder.file("ListFile.txt");
        QCOMPARE(program.log(), QStringList{"Varnel: Cannot open file " + list + "."});
        auto *grid = mainGrid();
        QVERIFY(grid->pickList(6).isEmpty());
        grid->edit(grid->model()->index(0, 6));
        QVERIFY(!grid->viewport()->findChild<QComboBox *>("pickListEditor"));
        grid->discardEditor();
        withCountyEditor([] {
            newCountyBox()->setText("Rutland");
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton);
        });
        QCOMPARE(contents(list), QByteArray("Rutland\r\n"));
    }

    // A list that was not read whole is named at start-up, and OK in the
    // editor replaces it only when the user confirms.
    void listNotReadWholeIsReplacedOnlyWhenConfirmed_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::newRow("confirmed") << "OK";
        QTest::newRow("not confirmed") << "Cancel";
    }
    void listNotReadWholeIsReplacedOnlyWhenConfirmed()
    {
        QFETCH(QString, answer);
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        const QByteArray damaged("Kent\nAv\0on\nTyne\n", 16);
        putFile(list, damaged);
        mainWindow()->loadCountyPickList();
        QCOMPARE(mainGrid()->pickList(6), (QStringList{"Kent", "Tyne"}));
        QCOMPARE(program.log().size(), 1);
        QVERIFY2(
            program.log().first().startsWith("Varnel: Line 2 of " + list + " could not be read"),
            qPrintable(program.log().first()));
        program.log().clear();
        program.platform.dialogs.answers << answer;
        withCountyEditor([] {
            newCountyBox()->setText("Rutland");
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton);
            QVERIFY(!countyEditor()->isVisible());
        });
        QCOMPARE(program.log(), QStringList{"Confirm: " + list +
                                            " could not be read in full. Replace it with the "
                                            "list shown here? -> " +
                                            answer});
        QCOMPARE(contents(list),
                 answer == "OK" ? QByteArray("Kent\r\nRutland\r\nTyne\r\n") : damaged);
        QCOMPARE(mainGrid()->pickList(6), (QStringList{"Kent", "Rutland", "Tyne"}));
    }

    void unicodeListLoadsAndIsRewrittenWithoutAQuestion()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        putFile(list, QByteArray("\xFF\xFEK\0e\0n\0t\0\r\0\n\0M\0\xF4\0n\0", 20));
        mainWindow()->loadCountyPickList();
        QCOMPARE(mainGrid()->pickList(6), (QStringList{"Kent", QString::fromUtf8("M\xC3\xB4n")}));
        withCountyEditor([] { QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton); });
        QVERIFY(program.log().isEmpty());
        QCOMPARE(contents(list), QByteArray("Kent\r\nM\xC3\xB4n\r\n"));
    }

    void unwritableListFileKeepsTheNewListForTheRun()
    {
        RunningProgram program;
        const QString list = program.folder.file("ListFile.txt");
        QFile::remove(list);
        QDir().mkpath(list); // a folder in the file's place cannot be written over
        withCountyEditor([] {
            newCountyBox()->setText("Rutland");
            QTest::mouseClick(countyButton("btAddEdit"), Qt::LeftButton);
            QTest::mouseClick(countyButton("btOKEdit"), Qt::LeftButton);
            QVERIFY(!countyEditor()->isVisible());
        });
        QVERIFY(program.log().last().startsWith("Varnel: Cannot create file " + list));
        QVERIFY(mainGrid()->pickList(6).contains("Rutland"));
    }
};

QTEST_MAIN(tst_entry)
#include "tst_entry.moc"
