// The start-up options window, the splash, the help note and the credits.
#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "app/Options.h"
#include "app/SplashBox.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "platform/IniFile.h"
#include "widgets/BringForward.h"
#include "widgets/ClickPanel.h"
#include "widgets/Pictures.h"

#include <QAction>
#include <QCheckBox>
#include <QImageReader>
#include <QLabel>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

namespace {

void trigger(const char *name)
{
    named<QAction>(mainWindow(), name)->trigger();
}

// The main window while it is being made as well as after; null before.
TfmHomeAddMain *mainWindowIfAny()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *main = qobject_cast<TfmHomeAddMain *>(w))
            return main;
    return nullptr;
}

bool optionsOnShow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (qobject_cast<TfmStartOptions *>(w) && w->isVisible())
            return true;
    return false;
}

QList<TfmSplash *> splashes()
{
    QList<TfmSplash *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<TfmSplash *>(w))
            out << s;
    return out;
}

// Chooses "&About" and returns the box it made.
TfmSplash *about()
{
    const QList<TfmSplash *> before = splashes();
    trigger("miAbout");
    for (TfmSplash *s : splashes())
        if (!before.contains(s))
            return s;
    return nullptr;
}

// What the options window showed when it came up, and what the user did.
struct OptionsVisit
{
    bool seen = false;
    bool box1 = false, box2 = false;
    bool mainVisible = true;
    int rowsAtThatMoment = -1;
    QSize clientSize;
    QString caption;
};

// Answers the next modal options window as a user would: looks, clicks the
// given boxes, closes it with the close box.
void visitOptions(OptionsVisit &visit, QStringList click = {})
{
    QTimer::singleShot(0, [&visit, click] {
        auto *w = qobject_cast<TfmStartOptions *>(QApplication::activeModalWidget());
        if (!w)
            return;
        visit.seen = true;
        visit.box1 = named<QCheckBox>(w, "CheckBox1")->isChecked();
        visit.box2 = named<QCheckBox>(w, "CheckBox2")->isChecked();
        TfmHomeAddMain *main = mainWindowIfAny();
        visit.mainVisible =
            main && main->isVisible() && main->windowHandle() && main->windowHandle()->isExposed();
        visit.rowsAtThatMoment =
            main ? named<QTableView>(main, "dbGrid1")->model()->rowCount() : -1;
        visit.clientSize = w->size();
        visit.caption = w->windowTitle();
        for (const QString &name : click)
            QTest::mouseClick(w->findChild<QCheckBox *>(name), Qt::LeftButton, {}, QPoint(6, 10));
        w->close();
    });
}

} // namespace

class tst_helpwindows : public QObject
{
    Q_OBJECT
private slots:
    void optionsWindowGreetsFirstWithNoSettingsFile()
    {
        OptionsVisit visit;
        visitOptions(visit);
        RunningProgram program({}, QByteArray());
        QVERIFY(visit.seen);
        QVERIFY(visit.box1 && visit.box2);
        // Alone on the screen: the main window is not up and nothing is read yet.
        QVERIFY(!visit.mainVisible);
        QCOMPARE(visit.rowsAtThatMoment, 0);
        QCOMPARE(visit.clientSize, QSize(465, 260));
        QCOMPARE(visit.caption, QString());
        QVERIFY(!optionsOnShow());
        // Closing wrote both keys, untouched.
        const IniFile ini(program.folder.file("VarnIni.ini"));
        QCOMPARE(ini.readInteger("Options", "Checked", -1), 1);
        QCOMPARE(ini.readInteger("Options", "Show Form", -1), 1);
        QVERIFY(named<QTableView>(mainWindow(), "dbGrid1")->model()->rowCount() > 0);
    }

    void choicesAreReadOnShowingAndWrittenOnClosing()
    {
        RunningProgram program({}, "[Options]\r\nChecked=0\r\nShow Form=0\r\n");
        const QString ini = program.folder.file("VarnIni.ini");
        QCOMPARE(mainWindow()->book()->fileInUse(), program.folder.file("NewFile.vdf"));
        OptionsVisit visit;
        visitOptions(visit, {"CheckBox1", "CheckBox2"});
        trigger("miOptions");
        QVERIFY(visit.seen);
        QVERIFY(!visit.box1 && !visit.box2);
        QCOMPARE(IniFile(ini).readInteger("Options", "Checked", -1), 1);
        QCOMPARE(IniFile(ini).readInteger("Options", "Show Form", -1), 1);
        // The book in use does not change until the next start.
        QCOMPARE(mainWindow()->book()->fileInUse(), program.folder.file("NewFile.vdf"));
        QVERIFY(program.log().isEmpty());
    }

    void refusedWriteOnClosingIsReportedAndTheWindowStillCloses()
    {
        RunningProgram program;
        const QString ini = program.folder.file("VarnIni.ini");
        QVERIFY(QFile::remove(ini));
        QVERIFY(QDir().mkdir(ini));
        OptionsVisit visit;
        visitOptions(visit, {"CheckBox1"});
        trigger("miOptions");
        QVERIFY(visit.seen);
        QVERIFY(!optionsOnShow());
        QCOMPARE(program.log(), QStringList{"Varnel: Unable to write to " + ini + "."});
    }

    void ctrlOOpensTheFileDialogNotTheOptions()
    {
        RunningProgram program;
        QApplication::setActiveWindow(mainWindow());
        OptionsVisit visit;
        visitOptions(visit);
        QTest::keyClick(mainWindow(), Qt::Key_O, Qt::ControlModifier);
        QCoreApplication::processEvents();
        QVERIFY(!visit.seen);
        QCOMPARE(program.log(), QStringList{"Open:  -> Cancel"});
        QCOMPARE(named<QAction>(mainWindow(), "miOptions")->text(), QString("Options\tCtrl+O"));
    }

    void splashClosesItselfAndCreditsStay()
    {
        RunningProgram program;
        QPointer<TfmSplash> first = about();
        QVERIFY(first && first->isVisible());
        QVERIFY(first->windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(first->findChild<QLabel *>("Label4")->text(), QString("Varnel"));
        QVERIFY(first->findChild<QLabel *>("Label2")->text().endsWith("Version 3"));
        QVERIFY(!first->findChild<QLabel *>("Image1")->pixmap().isNull());
        QVERIFY(mainWindow()->isEnabled());

        QTest::qWait(1000);
        QPointer<TfmSplash> second = about();
        QVERIFY(second && second != first);
        QWidget *credits = topLevel("fmCredits");
        QVERIFY(!credits->isVisible());
        QTest::mouseClick(named<ClickPanel>(first, "Panel3"), Qt::LeftButton);
        QVERIFY(credits->isVisible());

        // Each goes 5 seconds after its own making; the credits stay.
        QTRY_VERIFY_WITH_TIMEOUT(!first, 4500);
        QVERIFY(second);
        QTRY_VERIFY_WITH_TIMEOUT(!second, 1500);
        QVERIFY(credits->isVisible());
    }

    void helpNoteIsOneWindow()
    {
        RunningProgram program;
        trigger("Help1");
        trigger("Help1");
        QWidget *note = topLevel("fmHelpMemo");
        QVERIFY(note->isVisible());
        int notes = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            notes += w->objectName() == "fmHelpMemo";
        QCOMPARE(notes, 1);
        QCOMPARE(note->windowTitle(), QString("Varnel"));
        QCOMPARE(note->size(), QSize(442, 339));
        auto *text1 = named<QTextEdit>(note, "RichEdit1");
        QVERIFY(text1->isReadOnly());
        const QString text = text1->toPlainText();
        QVERIFY(text.startsWith("GETTING STARTED\n\n"));
        QVERIFY(text.contains("\n\n\nIMPROVEMENTS\n\nWe welcome constructive comments and suggestions.\n\n"));
        note->close();
        QVERIFY(!note->isVisible());
        trigger("Help1");
        QVERIFY(note->isVisible());
    }

    void creditsKeepWhatWasTypedForTheRun()
    {
        TfmCredits credits;
        auto *thanks = named<QTextEdit>(&credits, "RichEdit1");
        QCOMPARE(credits.windowTitle(), QString("Credits"));
        QVERIFY(thanks->toPlainText().startsWith("Thanks to \n\n"));
        QCOMPARE(thanks->toPlainText().count('\n'), 7);
        bringForward(&credits);
        thanks->moveCursor(QTextCursor::End);
        QTest::keyClicks(thanks, " Cheers");
        credits.close();
        bringForward(&credits);
        QVERIFY(thanks->toPlainText().endsWith(" Cheers"));
    }

    void helpHandsTheProgramFoldersManualToTheDesktop()
    {
        RunningProgram program;
        QTemporaryDir elsewhere;
        const QString before = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        QApplication::setActiveWindow(mainWindow());
        QTest::keyClick(mainWindow(), Qt::Key_F1);
        QDir::setCurrent(before);
        QCOMPARE(program.platform.shell.opened, QStringList{program.folder.file("Manual.pdf")});
        // A missing manual or viewer is the desktop's to report.
        program.platform.shell.result = false;
        trigger("Help2");
        QCOMPARE(program.platform.shell.opened.size(), 2);
        QVERIFY(program.log().isEmpty());
    }

    void bannerIsAJpegOfItsSize()
    {
        Pictures::banner(); // brings the pictures in
        QImageReader jpeg(":/pictures/banner.jpg");
        QCOMPARE(jpeg.format(), QByteArray("jpeg"));
        const QPixmap banner = Pictures::banner();
        QCOMPARE(banner.size(), QSize(189, 68));
        // Pale yellow ground, black lettering.
        const QImage img = banner.toImage();
        const QColor corner = img.pixelColor(1, 1);
        QVERIFY(corner.red() > 230 && corner.green() > 230 && corner.blue() < 235 && corner.blue() > 180);
        int black = 0;
        for (int x = 0; x < img.width(); ++x)
            black += qGray(img.pixel(x, img.height() / 2)) < 60;
        QVERIFY(black > 20);
    }
};

QTEST_MAIN(tst_helpwindows)
#include "tst_helpwindows.moc"
