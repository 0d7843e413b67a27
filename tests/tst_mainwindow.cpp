#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "store/AdoConnection.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

int rowsInFile(const QString &path, const QString &where = QString())
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd " + where, {"Surname"}).rows.size());
}

QPushButton *button(const char *name) { return mainWindow()->findChild<QPushButton *>(name); }

QAction *action(const char *name) { return mainWindow()->findChild<QAction *>(name); }

// Types as a person does: each key goes to whatever has the focus by then
// (the first key in a grid cell opens its editor).
void type(const QString &text)
{
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

} // namespace

class tst_mainwindow : public QObject
{
    Q_OBJECT
private slots:
    void startsOnTheSampleInSurnameOrder()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QString("Varnel 3"));
        QCOMPARE(w->book()->query()->state(), DataSetState::Browse);
        const int rows = named<DBGrid>(w, "dbGrid1")->model()->rowCount();
        QCOMPARE(rows, rowsInFile(program.folder.file("Varnel.vdf")));
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->model()->index(1, 0).data().toString(), QString("adams"));
        QCOMPARE(w->statusPanel(2), "File in use:  " + program.folder.file("Varnel.vdf"));
        QStringList titles;
        for (int c = 0; c < named<DBGrid>(w, "dbGrid1")->model()->columnCount(); ++c)
            titles << named<DBGrid>(w, "dbGrid1")->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles, (QStringList{"Surname", "Firstname", "Address1", "Address2", "Add3 / Village", "Town",
                                      "County", "PostCode", "Tel", "Cell", "Flag"}));
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(0), 76);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(6), 86);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(7), named<DBGrid>(w, "dbGrid1")->displayWidthPixels(12));
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(10), named<DBGrid>(w, "dbGrid1")->displayWidthPixels(6));
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->horizontalHeader()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->viewport()->cursor().shape(), Qt::ArrowCursor);
        QVERIFY(program.log().isEmpty());
    }

    void menuKeysAndCaptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("key");
        QTest::newRow("new") << "NewFile1" << "New File" << "Ctrl+N";
        QTest::newRow("open") << "miOpenFile" << "Open File" << "Ctrl+O";
        QTest::newRow("save as") << "miSaveAs" << "Save As" << "Ctrl+S";
        QTest::newRow("close") << "miClose" << "Close File" << "Ctrl+L";
        QTest::newRow("options shows the key only") << "miOptions" << "Options\tCtrl+O" << "";
        QTest::newRow("printer") << "miPrintSetup" << "&Printer Setup" << "Ctrl+Q";
        QTest::newRow("exit") << "Exit1" << "Exit" << "Ctrl+E";
        QTest::newRow("search") << "miOpenSearch" << "O&pen Search" << "F3";
        QTest::newRow("clear") << "miClearFillter" << "&Clear Fillter" << "F4";
        QTest::newRow("help") << "Help2" << "&Help" << "F1";
        QTest::newRow("record form") << "miRecordForm" << "&Record Form " << "";
    }
    void menuKeysAndCaptions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, key);
        RunningProgram program;
        QAction *a = mainWindow()->findChild<QAction *>(name);
        QVERIFY(a);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut().toString(), key);
        if (!key.isEmpty())
            QCOMPARE(a->shortcutContext(), Qt::ApplicationShortcut);
    }

    void onlyOneItemTakesCtrlO()
    {
        RunningProgram program;
        int holders = 0;
        for (QAction *a : mainWindow()->findChildren<QAction *>())
            if (a->shortcut() == QKeySequence(QStringLiteral("Ctrl+O")))
                ++holders;
        QCOMPARE(holders, 1);
        QCOMPARE(action("miOpenFile")->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
    }

    void insertThenCancelWritesNothing()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        auto *grid = named<DBGrid>(mainWindow(), "dbGrid1");
        QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
        QCOMPARE(mainWindow()->book()->query()->state(), DataSetState::Insert);
        QCOMPARE(grid->model()->rowCount(), before + 1);
        QCOMPARE(grid->model()->headerData(0, Qt::Vertical).toString(), QString("*"));
        QTest::mouseClick(button("BitBtn2"), Qt::LeftButton);
        QCOMPARE(mainWindow()->book()->query()->state(), DataSetState::Browse);
        QCOMPARE(grid->model()->rowCount(), before);
        QCOMPARE(rowsInFile(book), before);
        QVERIFY(program.platform.sound.played.isEmpty());
    }

    void insertTypeAndMoveSavesWithTheSound()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        auto *grid = named<DBGrid>(mainWindow(), "dbGrid1");
        grid->setCurrentIndex(grid->model()->index(3, 0));
        QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
        QCOMPARE(mainWindow()->book()->query()->recNo(), 3);
        type("Newcombe");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        type("Nora");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QApplication::processEvents(); // the editor hands its text over once the key is done
        QCOMPARE(mainWindow()->book()->query()->state(), DataSetState::Insert);
        QCOMPARE(mainWindow()->book()->query()->displayText("Firstname"), QString("Nora"));
        // The navigator's Next finishes the record.
        QTest::mouseClick(named<DBNavigator>(mainWindow(), "DBNavigator1")->button(DBNavigator::Next), Qt::LeftButton);
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(rowsInFile(book), before + 1);
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Newcombe' AND Firstname = 'Nora'"), 1);
        QCOMPARE(grid->model()->index(3, 0).data().toString(), QString("Newcombe"));
        QCOMPARE(mainWindow()->book()->query()->recNo(), 4);
    }

    void cellEditorsStopAtTheFieldLength_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::newRow("Surname") << 0 << 30;
        QTest::newRow("PostCode") << 7 << 10;
        QTest::newRow("Flag") << 10 << 6;
    }
    void cellEditorsStopAtTheFieldLength()
    {
        QFETCH(int, column);
        QFETCH(int, length);
        RunningProgram program;
        auto *grid = named<DBGrid>(mainWindow(), "dbGrid1");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, column));
        type(QString(length + 5, 'W'));
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text().size(), length);
    }

    void deleteAsksFirst()
    {
        RunningProgram program;
        const QString book = program.folder.file("Varnel.vdf");
        const int before = rowsInFile(book);
        program.platform.dialogs.answers << "Cancel";
        QTest::mouseClick(button("btnDelete"), Qt::LeftButton);
        QCOMPARE(program.log(), QStringList{"Confirm: You are about to delete a record -> Cancel"});
        QCOMPARE(rowsInFile(book), before);
        QVERIFY(program.platform.sound.played.isEmpty());
        program.platform.dialogs.answers << "OK";
        QTest::mouseClick(button("btnDelete"), Qt::LeftButton);
        QCOMPARE(rowsInFile(book), before - 1);
        QCOMPARE(rowsInFile(book, "WHERE Surname = 'Abbot'"), 0);
        // The grid's own Ctrl+Delete asks its own question.
        program.platform.dialogs.answers << "OK";
        named<DBGrid>(mainWindow(), "dbGrid1")->setFocus();
        QTest::keyClick(named<DBGrid>(mainWindow(), "dbGrid1"), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(program.log().last(), QString("Confirm: Delete record? -> OK"));
        QCOMPARE(rowsInFile(book), before - 2);
    }

    void closedDatasetMessages()
    {
        RunningProgram program;
        mainWindow()->book()->query()->close();
        for (DBNavigator::Button b : {DBNavigator::First, DBNavigator::Prior, DBNavigator::Next,
                                      DBNavigator::Last, DBNavigator::Post})
            QVERIFY(!named<DBNavigator>(mainWindow(), "DBNavigator1")->button(b)->isEnabled());
        QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
        QCOMPARE(program.log(), QStringList{"Varnel: Cannot perform this operation on a closed dataset."});
        program.log().clear();
        program.platform.dialogs.answers << "OK";
        QTest::mouseClick(button("btnDelete"), Qt::LeftButton);
        QCOMPARE(program.log(), (QStringList{"Confirm: You are about to delete a record -> OK",
                                            "Varnel: Cannot perform this operation on a closed dataset."}));
        program.log().clear();
        QTest::mouseClick(button("BitBtn2"), Qt::LeftButton); // nothing to cancel: no message
        QVERIFY(program.log().isEmpty());
    }

    void navigatorEnabling()
    {
        RunningProgram program;
        DBNavigator *nav = named<DBNavigator>(mainWindow(), "DBNavigator1");
        QVERIFY(!nav->button(DBNavigator::Post)->isEnabled());
        QVERIFY(nav->button(DBNavigator::Next)->isEnabled());
        QCOMPARE(nav->button(DBNavigator::Post)->toolTip(), QString("Post edit"));
        mainWindow()->book()->query()->setFieldText("Flag", "X");
        QVERIFY(nav->button(DBNavigator::Post)->isEnabled());
        QTest::mouseClick(nav->button(DBNavigator::Post), Qt::LeftButton);
        QVERIFY(!nav->button(DBNavigator::Post)->isEnabled());
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QTest::mouseClick(nav->button(DBNavigator::Last), Qt::LeftButton);
        QCOMPARE(mainWindow()->book()->query()->recNo(), mainWindow()->book()->query()->recordCount() - 1);
        QVERIFY(!nav->button(DBNavigator::Next)->isEnabled());
    }

    void leavingTheGridDropsAnUntouchedNewRecord()
    {
        RunningProgram program;
        const int before = mainWindow()->book()->query()->recordCount();
        QTest::mouseClick(button("BitBtn3"), Qt::LeftButton);
        QCOMPARE(mainWindow()->book()->query()->recordCount(), before + 1);
        QVERIFY(named<DBGrid>(mainWindow(), "dbGrid1")->hasFocus());
        button("BitBtn1")->setFocus(); // focus moves to another control of the window
        QCOMPARE(mainWindow()->book()->query()->state(), DataSetState::Browse);
        QCOMPARE(mainWindow()->book()->query()->recordCount(), before);
    }

    void missingStartupFileShowsTheEngineMessage()
    {
        RunningProgram program({"Varnel.vdf"});
        const QString path = program.folder.file("Varnel.vdf");
        QCOMPARE(program.log(), QStringList{QString("Varnel: Could not find file '%1'").arg(path)});
        QVERIFY(!mainWindow()->book()->query()->active());
        QCOMPARE(named<DBGrid>(mainWindow(), "dbGrid1")->model()->rowCount(), 0);
        QCOMPARE(mainWindow()->statusPanel(2), "File in use:  " + path);
        QVERIFY(!QFile::exists(path));
    }

    void hintsGoToTheStatusBar()
    {
        RunningProgram program;
        // Activated again, as when the user comes back to it.
        QApplication::setActiveWindow(nullptr);
        QApplication::setActiveWindow(mainWindow());
        QVERIFY(mainWindow()->statusPanel(1).startsWith("Today : "));
        QStatusTipEvent tip(button("BitBtn3")->statusTip());
        QApplication::sendEvent(button("BitBtn3"), &tip);
        QCOMPARE(mainWindow()->statusPanel(0), QString("Insert new record into table"));
        QCOMPARE(button("BitBtn3")->toolTip(), QString("Insert new record into table"));
        QStatusTipEvent none{QString()};
        QApplication::sendEvent(named<QWidget>(mainWindow(), "Panel1"), &none);
        QCOMPARE(mainWindow()->statusPanel(0), QString());
    }

    void exitEndsTheProgram()
    {
        RunningProgram program;
        QSignalSpy quit(qApp, &QCoreApplication::aboutToQuit);
        action("Exit1")->trigger();
        QVERIFY(!mainWindow()->isVisible());
    }
};

QTEST_MAIN(tst_mainwindow)
#include "tst_mainwindow.moc"
