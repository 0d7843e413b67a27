// The program used as a person uses it: mouse clicks and keys on the real
// windows, found by their object names, and the book read back afterwards.
#include "TestSupport.h"

#include "widgets/Hints.h"
#include "app/HomeGrid.h"
#include "browse/JSQLSEARCH.h"
#include "entry/HomeFormView.h"
#include "entry/RecordCard.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "reports/RpPreview.h"
#include "store/AdoConnection.h"
#include "widgets/WindowPlacement.h"

#include <QAction>
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {

int rowsInFile(const QString &path, const QString &where = QString())
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd " + where, {"Surname"}).rows.size());
}

AdoQuery *query()
{
    return mainWindow()->book()->query();
}
DBGrid *grid()
{
    return named<DBGrid>(mainWindow(), "dbGrid1");
}

template <typename T = QWidget> T *widget(QWidget *window, const char *name)
{
    T *w = window->findChild<T *>(QLatin1String(name));
    if (!w)
        qWarning("no widget %s in %s", name, qPrintable(window->objectName()));
    return w;
}

void click(QWidget *w)
{
    QVERIFY(w);
    QVERIFY2(w->isEnabled(), qPrintable(w->objectName() + " is disabled"));
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
}

// Each key goes to whatever has the focus by then, as a person's keys do:
// the first key typed into a grid cell opens its editor.
void type(const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), k, m);
}

void clickCell(int row, int column)
{
    const QModelIndex idx = grid()->model()->index(row, column);
    grid()->scrollTo(idx);
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(idx).center());
}

int rowOf(const QString &surname)
{
    for (int r = 0; r < grid()->model()->rowCount(); ++r)
        if (grid()->model()->index(r, 0).data().toString() == surname)
            return r;
    return -1;
}

QString current()
{
    return query()->displayText("Surname");
}

void showCard()
{
    click(named<QPushButton>(mainWindow(), "btnRecCard"));
    QVERIFY(topLevel("fmRecCard")->isVisible());
}

void showForm()
{
    named<QAction>(mainWindow(), "miRecordForm")->trigger();
    QVERIFY(topLevel("fmHomeForm")->isVisible());
}

QToolButton *formNavigator(DBNavigator::Button b)
{
    return widget<DBNavigator>(topLevel("fmHomeForm"), "DBNavigator1")->button(b);
}

} // namespace

class tst_inuse : public QObject
{
    Q_OBJECT
private slots:
    // "&Record", a surname, Tab, a first name, and then whatever the user
    // does next: the first name still being typed in its cell is saved too.
    void typedCellIsKeptByEveryAction_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("navigator Post") << "post";
        QTest::newRow("navigator Next") << "next";
        QTest::newRow("navigator First") << "first";
        QTest::newRow("Record button") << "record";
        QTest::newRow("record card Next") << "card";
        QTest::newRow("form view navigator Post") << "form";
        QTest::newRow("phone list") << "report";
        QTest::newRow("closing the window") << "close";
    }
    void typedCellIsKeptByEveryAction()
    {
        QFETCH(QString, action);
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        clickCell(3, 0);
        click(named<QPushButton>(mainWindow(), "BitBtn3"));
        type("Newcombe");
        key(Qt::Key_Tab);
        type("Nora");
        QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
        if (action == "post") {
            click(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Post));
        } else if (action == "next") {
            click(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Next));
        } else if (action == "first") {
            click(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::First));
        } else if (action == "record") {
            click(named<QPushButton>(mainWindow(), "BitBtn3"));
            click(named<QPushButton>(mainWindow(), "BitBtn2")); // the second new record, untouched, goes again
        } else if (action == "card") {
            showCard();
            click(widget(topLevel("fmRecCard"), "Panel4"));
        } else if (action == "form") {
            showForm();
            click(formNavigator(DBNavigator::Post));
        } else if (action == "report") {
            QTimer::singleShot(0, [] {
                if (TRpStandardPreview *w = openPreview())
                    w->close();
            });
            named<QAction>(mainWindow(), "miPhoneList")->trigger();
        } else if (action == "close") {
            click(named<QPushButton>(mainWindow(), "BitBtn1"));
            QVERIFY(!mainWindow()->isVisible());
        }
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Newcombe' AND Firstname = 'Nora'"), 1);
        QCOMPARE(rowsInFile(book), before + 1);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        if (action != "close")
            QCOMPARE(query()->state(), DataSetState::Browse);
    }

    // The first key typed into a cell starts the edit, as in the record
    // windows: the indicator says so, Post is on, and one Next saves and moves.
    void typingInACellStartsTheEdit()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int baker = rowOf("Baker");
        clickCell(baker, 10);
        QCOMPARE(query()->recNo(), baker);
        type("V");
        QCOMPARE(query()->state(), DataSetState::Edit);
        QCOMPARE(grid()->model()->headerData(baker, Qt::Vertical).toString(), QString("I"));
        QVERIFY(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Post)->isEnabled());
        click(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Next));
        QCOMPARE(query()->recNo(), baker + 1);
        QCOMPARE(current(), QString("Barnes"));
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Baker' AND Flag = 'V'"), 1);
        // Esc in the cell takes the typing back, and with it the edit.
        clickCell(baker + 1, 2);
        type("Q");
        QCOMPARE(query()->state(), DataSetState::Edit);
        key(Qt::Key_Escape);
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(query()->displayText("Address1"), QString("41 Kingsway"));
        // A cell opened and left unchanged starts nothing.
        clickCell(baker + 1, 2);
        key(Qt::Key_F2);
        key(Qt::Key_Escape);
        QCOMPARE(query()->state(), DataSetState::Browse);
    }

    // After a delete the record that followed the deleted one is current;
    // after a new record is cancelled, the one that was current before it.
    void currentRecordAfterDeleteAndCancel_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("expected");
        QTest::newRow("grid Delete") << "grid"
                                     << "delete"
                                     << "Barnes";
        QTest::newRow("grid Ctrl+Delete") << "grid"
                                          << "ctrl+delete"
                                          << "Barnes";
        QTest::newRow("grid Delete while editing a cell") << "grid"
                                                          << "edit+delete"
                                                          << "Barnes";
        QTest::newRow("grid Record then Cancel") << "grid"
                                                 << "insert+cancel"
                                                 << "Baker";
        QTest::newRow("grid Record, typing, Cancel") << "grid"
                                                     << "insert+type+cancel"
                                                     << "Baker";
        QTest::newRow("card Delete") << "card"
                                     << "delete"
                                     << "Barnes";
        QTest::newRow("card New Record then Cancel") << "card"
                                                     << "insert+cancel"
                                                     << "Baker";
        QTest::newRow("form Delete") << "form"
                                     << "delete"
                                     << "Barnes";
        QTest::newRow("form Insert then Cancel") << "form"
                                                 << "insert+cancel"
                                                 << "Baker";
    }
    void currentRecordAfterDeleteAndCancel()
    {
        QFETCH(QString, where);
        QFETCH(QString, how);
        QFETCH(QString, expected);
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        clickCell(rowOf("Baker"), 1);
        QCOMPARE(current(), QString("Baker"));
        if (where == "card")
            showCard();
        else if (where == "form")
            showForm();
        program.platform.dialogs.answers << "OK";
        if (where == "grid") {
            if (how == "delete") {
                click(named<QPushButton>(mainWindow(), "btnDelete"));
            } else if (how == "ctrl+delete") {
                grid()->setFocus();
                key(Qt::Key_Delete, Qt::ControlModifier);
            } else if (how == "edit+delete") {
                type("Mary");
                click(named<QPushButton>(mainWindow(), "btnDelete"));
            } else {
                click(named<QPushButton>(mainWindow(), "BitBtn3"));
                if (how.contains("type"))
                    type("Zed");
                click(named<QPushButton>(mainWindow(), "BitBtn2"));
            }
        } else if (where == "card") {
            click(widget(topLevel("fmRecCard"), how == "delete" ? "Panel8" : "Panel7"));
            if (how != "delete")
                click(widget(topLevel("fmRecCard"), "Panel9"));
        } else {
            click(formNavigator(how == "delete" ? DBNavigator::Delete : DBNavigator::Insert));
            if (how != "delete")
                click(formNavigator(DBNavigator::Cancel));
        }
        QApplication::processEvents();
        QCOMPARE(current(), expected);
        QCOMPARE(grid()->currentIndex().row(), query()->recNo());
        QCOMPARE(query()->state(), DataSetState::Browse);
        QCOMPARE(rowsInFile(book), how.contains("delete") ? before - 1 : before);
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Baker'"), how.contains("delete") ? 0 : 1);
        QCOMPARE(rowsInFile(book, "WHERE Firstname = 'Mary'"), 0);
        // A second Delete takes the record the user now sees as current.
        program.platform.dialogs.answers << "OK";
        click(named<QPushButton>(mainWindow(), "btnDelete"));
        QCOMPARE(rowsInFile(book, QString("WHERE Surname = '%1'").arg(expected)), 0);
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Bell'"), expected == "Bell" ? 0 : 1);
    }

    // The navigators follow the current row wherever a title sort puts it.
    void sortKeepsTheNavigatorsRight()
    {
        RunningProgram program;
        const int n = query()->recordCount();
        // The first row, sorted by first name, lands mid-list.
        QCOMPARE(current(), QString("Abbot"));
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(grid()->horizontalHeader()->sectionViewportPosition(1) + 10, 5));
        QCOMPARE(current(), QString("Abbot"));
        QVERIFY(query()->recNo() > 0 && query()->recNo() < n - 1);
        showForm();
        for (DBNavigator *nav :
             {named<DBNavigator>(mainWindow(), "DBNavigator1"), widget<DBNavigator>(topLevel("fmHomeForm"), "DBNavigator1")})
            for (auto b :
                 {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next, DBNavigator::Last})
                QVERIFY2(nav->button(b)->isEnabled(), qPrintable(nav->button(b)->objectName()));
        // At an end, the buttons that would go past it are off.
        click(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Last));
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(grid()->horizontalHeader()->sectionViewportPosition(0) + 10, 5));
        QCOMPARE(query()->recNo(), n - 1);
        QVERIFY(!named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Next)->isEnabled());
        QVERIFY(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Prior)->isEnabled());
    }

    // The first page of a report of several pages, painted at every zoom as
    // soon as the run is done (the run had added pages after it).
    void previewPaintsItsFirstPageAtEveryZoom()
    {
        RunningProgram program;
        bool checked = false;
        inCompletePreview(named<QAction>(mainWindow(), "miLabel21"), [&](TRpStandardPreview *w) {
            QVERIFY(w->pageCount() >= 3);
            for (const char *zoom : {"ZoomFit", "Zoom100", "ZoomToWidth"}) {
                click(widget(w, zoom));
                const QImage shown = w->pageArea()->grab().toImage();
                QVERIFY(!shown.isNull());
                // The first page is drawn: its labels put dark text on the paper.
                int ink = 0;
                for (int y = 0; y < shown.height(); ++y)
                    for (int x = 0; x < shown.width(); ++x)
                        ink += qGray(shown.pixel(x, y)) < 100;
                QVERIFY2(ink > 100, zoom);
            }
            QCOMPARE(w->pageNumber(), 1);
            checked = true;
            w->close();
        });
        QVERIFY(checked);
    }

    // Hints shown before the window was first activated must not keep the
    // status bar covered for the rest of the run.
    void earlyHintDoesNotCoverTheStatusBar()
    {
        RunningProgram program;
        HintHandler::uninstall(); // as it is until the window is first activated
        QStatusTipEvent tip(QStringLiteral("Insert new record into table"));
        QApplication::sendEvent(named<QPushButton>(mainWindow(), "BitBtn3"), &tip);
        // Activated again, as when the user comes back to it.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(mainWindow());
        QCOMPARE(named<QStatusBar>(mainWindow(), "StatusBar1")->currentMessage(), QString());
        for (const char *panel : {"StatusPanel1", "StatusPanel2"})
            QVERIFY(widget(mainWindow(), panel)->isVisible());
        QStatusTipEvent later(QStringLiteral("Search & Filter"));
        QApplication::sendEvent(named<QPushButton>(mainWindow(), "HomeSearch"), &later);
        QCOMPARE(mainWindow()->statusPanel(0), QString("Search & Filter"));
        QVERIFY(mainWindow()->statusPanel(1).startsWith("Today : "));
        // The file panel keeps its width, whatever the path's length.
        QCOMPARE(widget(mainWindow(), "StatusPanel2")->width(), 200);
        // A preview closed while its "Zoom to fit" hint shows takes the hint with it.
        QTimer::singleShot(0, [] {
            TRpStandardPreview *w = openPreview();
            QVERIFY(w);
            QStatusTipEvent zoom(named<QToolButton>(w, "ZoomFit")->statusTip());
            QApplication::sendEvent(named<QToolButton>(w, "ZoomFit"), &zoom);
            QCOMPARE(mainWindow()->statusPanel(0), QString("Zoom to fit"));
            w->close();
        });
        named<QAction>(mainWindow(), "miPhoneList")->trigger();
        QCOMPARE(mainWindow()->statusPanel(0), QString());
    }

    // Enter runs "&Record" also while a letter of the letter group has the focus.
    void enterOnALetterRunsRecord()
    {
        RunningProgram program;
        auto *b = widget<QRadioButton>(mainWindow(), "RadioGroup1_B");
        click(b);
        QCOMPARE(current(), QString("Baker"));
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Return);
        QCOMPARE(query()->state(), DataSetState::Insert);
        QVERIFY(b->isChecked());
    }

    // The sorted column's title is bold in the titles' own font and size.
    void sortedTitleKeepsTheTitleFont()
    {
        RunningProgram program;
        QTest::mouseClick(grid()->horizontalHeader()->viewport(), Qt::LeftButton, {},
                          QPoint(grid()->horizontalHeader()->sectionViewportPosition(5) + 10, 5));
        const QFont bold =
            grid()->model()->headerData(5, Qt::Horizontal, Qt::FontRole).value<QFont>();
        QVERIFY(bold.bold());
        QCOMPARE(bold.family(), grid()->horizontalHeader()->font().family());
        QCOMPARE(bold.pointSizeF(), grid()->horizontalHeader()->font().pointSizeF());
    }

    // The County drop-down is wide enough for the longest county.
    void countyDropDownShowsWholeNames()
    {
        RunningProgram program;
        QStringList counties = grid()->pickList(6);
        QVERIFY(counties.contains("Gloucestershire"));
        clickCell(0, 6);
        key(Qt::Key_F2);
        auto *combo = qobject_cast<QComboBox *>(QApplication::focusWidget());
        if (!combo && QApplication::focusWidget())
            combo = qobject_cast<QComboBox *>(QApplication::focusWidget()->parentWidget());
        QVERIFY(combo);
        int widest = 0;
        for (const QString &c : counties)
            widest = qMax(widest, combo->view()->fontMetrics().horizontalAdvance(c));
        QVERIFY2(combo->view()->minimumWidth() > widest,
                 qPrintable(QString("%1 <= %2").arg(combo->view()->minimumWidth()).arg(widest)));
        key(Qt::Key_Escape);
    }

    // At the search dialog's first opening no field looks chosen.
    void searchDialogOpensWithNoFieldHighlighted()
    {
        RunningProgram program;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto *list = widget<QListWidget>(topLevel("fmSQLSearchDialog"), "sqListBox");
            QVERIFY(list);
            QVERIFY(list->selectedItems().isEmpty());
            QVERIFY(!list->currentIndex().isValid());
            checked = true;
            topLevel<QDialog>("fmSQLSearchDialog")->reject();
        });
        click(named<QPushButton>(mainWindow(), "HomeSearch"));
        QVERIFY(checked);
    }
    // Placement read from the settings file keeps the window on a screen and
    // no larger than it, however wild the stored numbers.
    void storedPlacementStaysOnScreen_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QByteArray>("settings");
        const QByteArray quiet = "[Options]\r\nShow Form=0\r\n";
        QTest::newRow("main far off") << "main"
                                      << quiet + "[MainForm]\r\nStatus=1\r\nTop=-100000\r\nLeft=-"
                                                 "100000\r\nWidth=1106\r\nHeight=434\r\n";
        QTest::newRow("main beyond") << "main"
                                     << quiet + "[MainForm]\r\nStatus=1\r\nTop=100000\r\nLeft="
                                                "100000\r\nWidth=600\r\nHeight=300\r\n";
        QTest::newRow("main huge") << "main"
                                   << quiet + "[MainForm]\r\nStatus=1\r\nTop=0\r\nLeft=0\r\nWidth="
                                              "2147483647\r\nHeight=2147483647\r\n";
        QTest::newRow("main negative size") << "main"
                                            << quiet + "[MainForm]\r\nStatus=1\r\nTop=10\r\nLeft="
                                                       "10\r\nWidth=-5\r\nHeight=-2147483648\r\n";
        QTest::newRow("card far off")
            << "card"
            << quiet + "[FormView]\r\nStatus=1\r\n[RecCard]\r\nTop=-100000\r\nLeft=2147483647\r\n";
        QTest::newRow("form huge") << "form"
                                   << quiet + "[FormView]\r\nStatus=1\r\nTop=-2147483648\r\nLeft="
                                              "5\r\nWidth=2147483647\r\nHeight=2147483647\r\n";
    }
    void storedPlacementStaysOnScreen()
    {
        QFETCH(QString, window);
        QFETCH(QByteArray, settings);
        RunningProgram program({}, settings);
        QWidget *w = mainWindow();
        if (window == "card") {
            showCard();
            w = topLevel("fmRecCard");
        } else if (window == "form") {
            showForm();
            w = topLevel("fmHomeForm");
        }
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        const QRect outer = WindowPlacement::outerGeometry(w);
        // No larger than the screen, unless the window cannot be made that small.
        const QSize least =
            w->minimumSizeHint().expandedTo(w->minimumSize()) + (outer.size() - w->size());
        QVERIFY2(outer.width() <= qMax(screen.width(), least.width()) &&
                     outer.height() <= qMax(screen.height(), least.height()),
                 qPrintable(QString("%1x%2").arg(outer.width()).arg(outer.height())));
        QVERIFY(outer.width() > 0 && outer.height() > 0);
        // The title bar is on the screen.
        QVERIFY2(screen.contains(outer.topLeft()) &&
                     screen.contains(outer.topLeft() + QPoint(50, 10)),
                 qPrintable(QString("%1,%2").arg(outer.left()).arg(outer.top())));
        // What the close writes back is the place the window was given.
        w->close();
        if (w != mainWindow())
            mainWindow()->close();
        QFile ini(program.folder.file("VarnIni.ini"));
        QVERIFY(ini.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(ini.readAll());
        QVERIFY(!text.contains("100000") && !text.contains("2147483"));
    }
};

QTEST_MAIN(tst_inuse)
#include "tst_inuse.moc"
