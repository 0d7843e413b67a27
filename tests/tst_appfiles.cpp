// The main window's settings moments and its address book file commands.
#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "platform/IniFile.h"
#include "platform/VarnelError.h"
#include "store/AdoConnection.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QHelpEvent>
#include <QProcess>
#include <QTimer>
#include <QtTest>
#include <QRadioButton>

#include <csignal>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

const QString kStatus = QStringLiteral("File in use:  ");

int rowsInFile(const QString &path)
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd", {"Surname"}).rows.size());
}

// What the sqlite3 shell, another tool on the same book, says of it.
QString shell(const QString &path, const QString &sql)
{
    QProcess p;
    p.start("sqlite3", {"-batch", "-init", "/dev/null", path, sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

// Another program in the middle of a big change: its transaction has spilled
// pages into the file, so the file itself is half old, half new until it
// commits. Finishes the change when it goes.
class OtherWriter
{
public:
    explicit OtherWriter(const QString &path)
    {
        m_shell.start("sqlite3", {"-batch", "-init", "/dev/null", path});
        m_shell.waitForStarted();
        m_shell.write(
            "PRAGMA cache_size = 5;\nBEGIN;\n"
            "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 3000)"
            " INSERT INTO HomeAd (Surname, Notes) SELECT 'Zed', hex(randomblob(400)) FROM c;\n"
            "UPDATE HomeAd SET Notes = hex(randomblob(300)) WHERE Surname <> 'Zed';\n"
            ".print ready\n");
        while (!m_shell.readAllStandardOutput().contains("ready") &&
               m_shell.waitForReadyRead(20000)) {
        }
    }
    void commit()
    {
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(30000);
    }
    ~OtherWriter()
    {
        if (m_shell.state() != QProcess::NotRunning)
            commit();
    }

private:
    QProcess m_shell;
};

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void trigger(const char *name) { mainWindow()->findChild<QAction *>(name)->trigger(); }

int gridRows() { return named<DBGrid>(mainWindow(), "dbGrid1")->model()->rowCount(); }

int iniInt(const RunningProgram &p, const char *section, const char *key)
{
    return IniFile(p.folder.file("VarnIni.ini")).readInteger(section, key, -999);
}

const QStringList kWidthKeys = {"WSurname", "WFirstname", "WAdd1", "WAdd2", "WA3",  "WTown",
                                "WCounty",  "WPCode",     "WTel",  "WCell", "WFlag"};

} // namespace

class tst_appfiles : public QObject
{
    Q_OBJECT
private slots:
    // ---- settings read and written by the main window ----

    void startUpFileFollowsChecked_data()
    {
        QTest::addColumn<QByteArray>("options");
        QTest::addColumn<QString>("book");
        QTest::newRow("no key") << QByteArray() << "Varnel.vdf";
        QTest::newRow("0") << QByteArray("Checked=0\n") << "NewFile.vdf";
        QTest::newRow("0x0") << QByteArray("checked=0x0\n") << "NewFile.vdf";
        QTest::newRow("yes reads as the default") << QByteArray("Checked=yes\n") << "Varnel.vdf";
        QTest::newRow("1") << QByteArray("CHECKED=1\n") << "Varnel.vdf";
    }
    void startUpFileFollowsChecked()
    {
        QFETCH(QByteArray, options);
        QFETCH(QString, book);
        RunningProgram program({}, "[options]\nShow Form=0\n" + options);
        QCOMPARE(mainWindow()->book()->fileInUse(), program.folder.file(book));
        QCOMPARE(mainWindow()->statusPanel(2), kStatus + program.folder.file(book));
        QCOMPARE(gridRows(), rowsInFile(program.folder.file(book)));
    }

    void placementIsRestoredOnlyWithAStatus_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("restored");
        QTest::newRow("status 1") << 1 << true;
        QTest::newRow("status 3 restores the normal placement") << 3 << true;
        QTest::newRow("status 0") << 0 << false;
    }
    void placementIsRestoredOnlyWithAStatus()
    {
        QFETCH(int, status);
        QFETCH(bool, restored);
        RunningProgram program({}, QStringLiteral("[Options]\nShow Form=0\n[MainForm]\nStatus=%1\n"
                                                  "Top=40\nLeft=0x1E\nWidth=900\nHeight=450\n"
                                                  "[DBGrid]\nWSurname=150\nWTel=0x40\nWFlag=\n")
                                       .arg(status)
                                       .toLatin1());
        TfmHomeAddMain *w = mainWindow();
        if (restored)
            QTRY_COMPARE(w->frameGeometry(), QRect(30, 40, 900, 450));
        else
            QVERIFY(w->frameGeometry().size() != QSize(900, 450));
        QVERIFY(!w->isMaximized());
        // Column widths are restored whatever the status; a missing or empty
        // key keeps the designed width.
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(0), 150);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(8), 64);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(1), 103);
        QCOMPARE(named<DBGrid>(w, "dbGrid1")->columnWidth(10), named<DBGrid>(w, "dbGrid1")->displayWidthPixels(6));
    }

    void closeWritesStatusPlacementAndWidths_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("placementWritten");
        QTest::newRow("normal") << "normal" << 1 << true;
        QTest::newRow("maximised") << "maximised" << 3 << false;
        QTest::newRow("minimised") << "minimised" << 1 << false;
        QTest::newRow("not active") << "inactive" << 2 << true;
    }
    void closeWritesStatusPlacementAndWidths()
    {
        QFETCH(QString, state);
        QFETCH(int, status);
        QFETCH(bool, placementWritten);
        RunningProgram program({}, "[Options]\nShow Form=0\n[MainForm]\nTop=7\nLeft=8\nWidth=9\nHeight=10\n");
        TfmHomeAddMain *w = mainWindow();
        w->setGeometry(50, 60, 800, 300);
        named<DBGrid>(w, "dbGrid1")->setColumnWidth(0, 140);
        named<DBGrid>(w, "dbGrid1")->setColumnWidth(10, 33);
        QApplication::setActiveWindow(w);
        QVERIFY(w->isActiveWindow());
        const QRect normal = w->frameGeometry();
        if (state == "maximised") {
            w->showMaximized();
            QTRY_VERIFY(w->isMaximized());
        } else if (state == "minimised") {
            w->showMinimized();
            QTRY_VERIFY(w->isMinimized());
        } else if (state == "inactive") {
            QWidget other;
            other.show();
            QApplication::setActiveWindow(&other);
            QTRY_VERIFY(!w->isActiveWindow());
            w->close();
        }
        if (w->isVisible())
            w->close();
        QVERIFY(program.log().isEmpty());
        QCOMPARE(iniInt(program, "MainForm", "Status"), status);
        const QRect written(iniInt(program, "MainForm", "Left"), iniInt(program, "MainForm", "Top"),
                            iniInt(program, "MainForm", "Width"), iniInt(program, "MainForm", "Height"));
        QCOMPARE(written, placementWritten ? normal : QRect(8, 7, 9, 10));
        // Widths are written in every state.
        QCOMPARE(iniInt(program, "DBGrid", "WSurname"), 140);
        QCOMPARE(iniInt(program, "DBGrid", "WFlag"), 33);
        for (int c = 0; c < kWidthKeys.size(); ++c)
            QCOMPARE(iniInt(program, "DBGrid", qPrintable(kWidthKeys[c])), named<DBGrid>(w, "dbGrid1")->columnWidth(c));
    }

    void placementComesBackAtTheNextStart()
    {
        // The outer size comes back as it was, not grown by the frame.
        QByteArray settings;
        QRect outer;
        {
            RunningProgram program;
            mainWindow()->setGeometry(70, 80, 850, 520);
            named<DBGrid>(mainWindow(), "dbGrid1")->setColumnWidth(3, 222);
            outer = mainWindow()->frameGeometry();
            mainWindow()->close();
            settings = contents(program.folder.file("VarnIni.ini"));
        }
        RunningProgram again({}, settings);
        QTRY_COMPARE(mainWindow()->frameGeometry(), outer);
        QCOMPARE(named<DBGrid>(mainWindow(), "dbGrid1")->columnWidth(3), 222);
    }

    void refusedWriteIsReportedOnce()
    {
        // A folder in the settings file's place: reads give defaults, writes
        // are refused, whoever runs the test.
        RunningProgram program;
        const QString ini = program.folder.file("VarnIni.ini");
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir().mkdir(ini));
        mainWindow()->close();
        QCOMPARE(program.log(), QStringList{"Varnel: Unable to write to " + ini + "."});
        QVERIFY(!mainWindow()->isVisible());
    }

    // ---- file commands ----

    void newFileSwitchesToTheBlankBook()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        const QString blank = program.folder.file("NewFile.vdf");
        w->book()->query()->close();
        w->book()->query()->setSql({"SELECT * FROM HomeAd WHERE Surname LIKE 'B%'", "Order by Surname"});
        w->book()->query()->open();
        named<QRadioButton>(w, "RadioGroup1_B")->setChecked(true);

        trigger("NewFile1");
        QCOMPARE(w->book()->fileInUse(), blank);
        QCOMPARE(w->book()->connection()->fileName(), blank);
        QCOMPARE(w->statusPanel(2), kStatus + blank);
        QCOMPARE(w->book()->query()->sql(), (QStringList{"SELECT * FROM HomeAd", "ORDER BY Surname"}));
        QCOMPARE(letterGroupChoice(), QString("All"));
        QCOMPARE(gridRows(), 0);

        // Records added go into the blank book itself; New File again shows them.
        w->book()->query()->insert();
        w->book()->query()->setFieldValue("Surname", "Quill");
        w->book()->query()->post();
        trigger("NewFile1");
        QCOMPARE(gridRows(), 1);
        QCOMPARE(rowsInFile(blank), 1);
        QVERIFY(program.log().isEmpty());
    }

    void openFileAsksWithTheBookFilters()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        const QString sample = program.folder.file("Varnel.vdf");
        const int rows = gridRows();
        program.platform.dialogs.answers << QString(); // cancel
        trigger("miOpenFile");
        const FileDialogRequest r = program.platform.dialogs.lastFileRequest;
        QCOMPARE(r.folder, program.folder.path());
        QCOMPARE(r.defaultSuffix, QString("vdf"));
        QCOMPARE(r.filters, (QStringList{"Varnel Data Files (*.vdf)", "Access Files (Varnel Format) (*.mdb)"}));
        QVERIFY(!r.mustExist);
        // Cancel changes nothing.
        QCOMPARE(w->book()->fileInUse(), sample);
        QCOMPARE(w->statusPanel(2), kStatus + sample);
        QCOMPARE(gridRows(), rows);
        QCOMPARE(letterGroupChoice(), QString());

        QTemporaryDir other;
        const QString book = copyOfSample(other, "Friends.mdb");
        w->book()->query()->deleteRecord();
        program.platform.dialogs.answers << book;
        trigger("miOpenFile");
        QCOMPARE(w->book()->fileInUse(), book);
        QCOMPARE(w->book()->connection()->fileName(), book);
        QCOMPARE(w->statusPanel(2), kStatus + book);
        QCOMPARE(gridRows(), rowsInFile(book));
        QCOMPARE(letterGroupChoice(), QString("All"));
        QCOMPARE(program.log(), QStringList{"Open:  -> Cancel"} << "Open:  -> " + book);
    }

    void openingANonBookChangesNothingInIt()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        const QString sample = program.folder.file("Varnel.vdf");
        QTemporaryDir other;
        const QString text = other.filePath("Letter.vdf");
        const QByteArray bytes("Dear Ann,\r\nThis is a letter, not an address book.\r\n");
        {
            QFile f(text);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        }
        program.platform.dialogs.answers << text;
        trigger("miOpenFile");
        QCOMPARE(contents(text), bytes);
        QCOMPARE(program.log().size(), 2);
        QVERIFY(program.log().at(1).startsWith("Varnel: '" + text + "' is not an address book file"));
        QCOMPARE(w->book()->query()->state(), DataSetState::Inactive);
        QCOMPARE(gridRows(), 0);
        QCOMPARE(w->book()->fileInUse(), text);
        QCOMPARE(w->statusPanel(2), kStatus + sample);
        QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList{"Letter.vdf"});
    }

    void theUserIsNeverStuckOnAFileThatWillNotOpen()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        const QString book = copyOfSample(other, "Gone.vdf");
        program.platform.dialogs.answers << book;
        trigger("miOpenFile");
        QCOMPARE(w->book()->fileInUse(), book);
        w->book()->query()->close();
        w->book()->connection()->close();
        QVERIFY(QFile::remove(book));

        // New File still reaches the blank book, without an error about the lost file.
        trigger("NewFile1");
        QCOMPARE(w->book()->fileInUse(), program.folder.file("NewFile.vdf"));
        QCOMPARE(w->book()->query()->state(), DataSetState::Browse);
        QCOMPARE(w->statusPanel(2), kStatus + w->book()->fileInUse());

        // After a failed Open File the next Open File still gets through.
        program.platform.dialogs.answers << other.filePath("Nowhere.vdf");
        trigger("miOpenFile");
        QCOMPARE(w->book()->query()->state(), DataSetState::Inactive);
        const QString sample = program.folder.file("Varnel.vdf");
        program.platform.dialogs.answers << sample;
        trigger("miOpenFile");
        QCOMPARE(w->book()->fileInUse(), sample);
        QCOMPARE(gridRows(), rowsInFile(sample));
        QCOMPARE(w->statusPanel(2), kStatus + sample);
        const QStringList errors = program.log().filter("Varnel: ");
        QCOMPARE(errors, QStringList{"Varnel: Could not find file '" + other.filePath("Nowhere.vdf") + "'"});
    }

    void openFileAddsTheDefaultExtension()
    {
        RunningProgram program;
        QTemporaryDir other;
        const QString book = copyOfSample(other, "Club.vdf");
        program.platform.dialogs.answers << other.filePath("Club");
        trigger("miOpenFile");
        QCOMPARE(mainWindow()->book()->fileInUse(), book);
        QCOMPARE(gridRows(), rowsInFile(book));
    }

    void saveAsCopiesAndGoesOnInTheCopy_data()
    {
        QTest::addColumn<QString>("answer"); // relative to a scratch folder
        QTest::addColumn<QString>("copy");
        QTest::newRow("new name") << "Mine.vdf" << "Mine.vdf";
        QTest::newRow("no extension") << "Mine" << "Mine.vdf";
        QTest::newRow("existing file replaced") << "Old.vdf" << "Old.vdf";
        QTest::newRow("folder") << "Backup" << "Backup/Varnel.vdf";
    }
    void saveAsCopiesAndGoesOnInTheCopy()
    {
        QFETCH(QString, answer);
        QFETCH(QString, copy);
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        QVERIFY(QDir(other.path()).mkdir("Backup"));
        {
            QFile old(other.filePath("Old.vdf"));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(50000, 'x'));
        }
        const QString sample = program.folder.file("Varnel.vdf");
        const QString target = other.filePath(copy);
        // The selection of the moment (a letter) goes on in the copy.
        const QStringList bStatement{"SELECT * FROM HomeAd WHERE Surname LIKE 'B%'", "Order by Surname"};
        w->book()->query()->close();
        w->book()->query()->setSql(bStatement);
        w->book()->query()->open();
        const int bRows = gridRows();
        named<QRadioButton>(w, "RadioGroup1_B")->setChecked(true);

        program.platform.dialogs.answers << other.filePath(answer);
        trigger("miSaveAs");
        const FileDialogRequest r = program.platform.dialogs.lastFileRequest;
        QCOMPARE(r.folder, program.folder.path());
        QCOMPARE(r.defaultSuffix, QString("vdf"));
        QVERIFY(r.filters.isEmpty());
        QVERIFY(!r.confirmOverwrite);

        QCOMPARE(shell(target, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(
            shell(
                target,
                "SELECT group_concat(Surname, '|') FROM (SELECT Surname FROM HomeAd ORDER BY ID)"),
            shell(
                sample,
                "SELECT group_concat(Surname, '|') FROM (SELECT Surname FROM HomeAd ORDER BY ID)"));
        QCOMPARE(QDir(other.path()).entryList(QDir::Files | QDir::Hidden).filter("varnel"),
                 QStringList());
        QCOMPARE(w->book()->fileInUse(), target);
        QCOMPARE(w->book()->connection()->fileName(), target);
        QCOMPARE(w->statusPanel(2), kStatus + target);
        QCOMPARE(w->book()->query()->sql(), bStatement);
        QCOMPARE(gridRows(), bRows);
        QCOMPARE(letterGroupChoice(), QString("B"));
        QCOMPARE(program.platform.sound.played, QStringList{"post.wav"});
        QCOMPARE(program.log(), QStringList{"Save:  -> " + other.filePath(answer)} << "Message: " + target);

        // Edits now go to the copy, not to the sample.
        const int sampleRows = rowsInFile(sample);
        w->book()->query()->deleteRecord();
        QCOMPARE(rowsInFile(target), sampleRows - 1);
        QCOMPARE(rowsInFile(sample), sampleRows);
    }

    void failedSaveAsKeepsTheFileInUse_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("onto itself") << "self";
        QTest::newRow("missing folder") << "missing";
        QTest::newRow("disk full") << "full";
    }
    void failedSaveAsKeepsTheFileInUse()
    {
        QFETCH(QString, how);
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        const QString sample = program.folder.file("Varnel.vdf");
        const QByteArray before = contents(sample);
        const int rows = gridRows();
        QString target = how == "self" ? sample : how == "missing" ? other.filePath("no/such/Copy.vdf")
                                                                   : other.filePath("Copy.vdf");
        program.platform.dialogs.answers << target;
        {
            std::unique_ptr<FileSizeLimit> full;
            if (how == "full")
                full = std::make_unique<FileSizeLimit>(before.size() / 2);
            trigger("miSaveAs");
        }
        QCOMPARE(program.log().size(), 2);
        const QString error = program.log().at(1);
        if (how == "full")
            QVERIFY2(error.startsWith("Varnel: ") && error.contains("Copy.vdf"), qPrintable(error));
        else
            QCOMPARE(error, "Varnel: Cannot create file " + target + ".");
        QVERIFY(!QFile::exists(other.filePath("Copy.vdf")));
        QCOMPARE(contents(sample), before);
        QVERIFY(program.platform.sound.played.isEmpty());
        QCOMPARE(w->book()->fileInUse(), sample);
        QCOMPARE(w->statusPanel(2), kStatus + sample);
        // The file in use is shown again at once.
        QCOMPARE(w->book()->query()->state(), DataSetState::Browse);
        QCOMPARE(gridRows(), rows);
    }

    // Another program is writing the book: Save As copies what its last
    // finished change left, or says the book is in use and stays on it; it
    // never goes on in a torn copy.
    void saveAsWhileAnotherProgramWrites()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        const QString sample = program.folder.file("Varnel.vdf");
        const QString target = other.filePath("Copy.vdf");
        const int rows = rowsInFile(sample);
        {
            OtherWriter writer(sample);
            program.platform.dialogs.answers << target;
            trigger("miSaveAs");
            QCOMPARE(
                program.log().mid(1),
                QStringList{"Varnel: '" + sample + "' is in use by another program; try again."});
            QVERIFY(!QFile::exists(target));
            QCOMPARE(QDir(other.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
            QCOMPARE(w->book()->fileInUse(), sample);
            QCOMPARE(w->statusPanel(2), kStatus + sample);
            QVERIFY(program.platform.sound.played.isEmpty());
            writer.commit();
        }
        program.platform.dialogs.answers << target;
        trigger("miSaveAs");
        QCOMPARE(w->book()->fileInUse(), target);
        QCOMPARE(shell(target, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(rowsInFile(target), rows + 3000);
        QCOMPARE(gridRows(), rows + 3000);
    }

    // Opening a book another program holds locked: the window goes on
    // painting with a busy cursor and says what it waits for, and then says
    // the book is in use (never that it is no address book).
    void openingALockedBookWaitsVisiblyAndSaysInUse()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        const QString book = copyOfSample(other, "Club.vdf");
        const QString sample = program.folder.file("Varnel.vdf");
        sqlite3 *locker = nullptr;
        QCOMPARE(sqlite3_open(book.toUtf8(), &locker), SQLITE_OK);
        QCOMPARE(sqlite3_exec(locker, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        int ticks = 0;
        QString statusWhileWaiting;
        Qt::CursorShape cursorWhileWaiting = Qt::ArrowCursor;
        QTimer ticker;
        ticker.setInterval(200);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (++ticks == 3) {
                statusWhileWaiting = w->statusPanel(0);
                if (QApplication::overrideCursor())
                    cursorWhileWaiting = QApplication::overrideCursor()->shape();
            }
        });
        ticker.start();
        program.platform.dialogs.answers << book;
        trigger("miOpenFile");
        ticker.stop();
        sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(locker);
        QVERIFY2(ticks >= 15,
                 qPrintable(QString::number(ticks))); // events ran all through the wait
        QCOMPARE(statusWhileWaiting,
                 QString("Waiting for another program to finish with the address book..."));
        QCOMPARE(cursorWhileWaiting, Qt::BusyCursor);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(w->statusPanel(0), QString());
        QCOMPARE(program.log().mid(1),
                 QStringList{"Varnel: '" + book +
                             "' is in use by another program; try again\ndatabase is locked."});
        QCOMPARE(w->statusPanel(2), kStatus + sample);
        // When the other program is done, the book opens.
        program.platform.dialogs.answers << book;
        trigger("miOpenFile");
        QCOMPARE(gridRows(), rowsInFile(book));
    }

    // A book another tool made with only some of the columns (and a repeated
    // record number) opens for reading; the window says so at once, naming
    // the missing columns, and a change is refused with the same words.
    void aBookThatCanOnlyBeReadSaysSoWhenOpened()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        QTemporaryDir other;
        const QString book = other.filePath("Import.vdf");
        QCOMPARE(shell(book,
                       "CREATE TABLE HomeAd (ID INTEGER, Surname TEXT, Town TEXT);"
                       "INSERT INTO HomeAd VALUES (1, 'Abbot', 'Marlow'), (1, 'Baker', 'Ely');"),
                 QString());
        program.platform.dialogs.answers << book;
        trigger("miOpenFile");
        const QString notice = "'" + book +
                               "' is opened read-only: its table HomeAd lacks the columns Midname, "
                               "Firstname, Address1, Address2, A3_Village, County, PostCode, "
                               "Country, Tel, Cell, Email, "
                               "Birthday, Notes, Workplace, Work Tel, Flag, Flag2. Its records can "
                               "be read and printed "
                               "but not changed; save a copy with File > Save As to change them";
        QCOMPARE(program.log().mid(1), QStringList{"Information: " + notice + " -> OK"});
        QCOMPARE(gridRows(), 2);
        QCOMPARE(w->statusPanel(2), kStatus + book);
        w->book()->query()->setFieldText("Town", "Henley");
        try {
            w->book()->query()->post();
            QFAIL("a read-only book was written");
        } catch (const VarnelError &e) {
            QCOMPARE(e.message(), notice);
        }
        QCOMPARE(shell(book, "SELECT group_concat(Town) FROM HomeAd"), QString("Marlow,Ely"));
    }

    void closeFileKeepsTheFileForTheNextOpen()
    {
        RunningProgram program;
        TfmHomeAddMain *w = mainWindow();
        const QString sample = program.folder.file("Varnel.vdf");
        trigger("miClose");
        QCOMPARE(w->statusPanel(2), kStatus);
        QCOMPARE(w->book()->query()->state(), DataSetState::Inactive);
        QVERIFY(!w->book()->connection()->connected());
        QCOMPARE(gridRows(), 0);
        QCOMPARE(w->book()->fileInUse(), sample);

        // The closed file is what Save As copies.
        QTemporaryDir other;
        program.platform.dialogs.answers << other.filePath("Kept.vdf");
        trigger("miSaveAs");
        QCOMPARE(rowsInFile(other.filePath("Kept.vdf")), rowsInFile(sample));

        // A later open of the query (as a letter does) goes back to the file.
        trigger("miClose");
        w->book()->query()->open();
        QCOMPARE(w->book()->connection()->fileName(), other.filePath("Kept.vdf"));
        QCOMPARE(gridRows(), rowsInFile(sample));
        QCOMPARE(w->statusPanel(2), kStatus);
    }
};

QTEST_MAIN(tst_appfiles)
#include "tst_appfiles.moc"
