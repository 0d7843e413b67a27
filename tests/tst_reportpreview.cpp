#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "reports/PreparedReport.h"
#include "reports/ReportPrinting.h"
#include "reports/RpPhoneList.h"
#include "reports/RpPreview.h"
#include "store/AdoConnection.h"
#include "store/SelectionStatements.h"

#include <QAction>
#include <QButtonGroup>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace {

// A book of `people` made-up people, all surnames beginning with S.
QString makeBook(const QTemporaryDir &dir, int people)
{
    const QString path = dir.filePath(QStringLiteral("book%1.vdf").arg(people));
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.open();
    c.execute(QStringLiteral(
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                  "INSERT INTO HomeAd (Surname, Firstname, Tel) "
                  "SELECT printf('Smith%06d', i), 'Ann', '01234 567890' FROM n")
                  .arg(people));
    c.close();
    return path;
}

// Points the running program's main query at another book.
void openBook(const QString &path)
{
    TfmHomeAddMain *main = mainWindow();
    main->book()->query()->close();
    main->book()->connection()->close();
    main->book()->connection()->setConnectionString(AdoConnection::connectionStringFor(path));
    main->book()->query()->setSql(SelectionStatements::all());
    main->book()->query()->open();
}

void select(const QStringList &statement)
{
    AdoQuery *query = mainWindow()->book()->query();
    query->close();
    query->setSql(statement);
    query->open();
}

QAction *phoneListCommand()
{
    return named<QAction>(mainWindow(), "miPhoneList");
}

// The phone list's holder in the running program.
TfmRpTel *phoneList()
{
    return topLevel<TfmRpTel>("fmRpTel");
}

using Ready = std::function<bool(TRpStandardPreview *)>;
using Step = std::function<void(TRpStandardPreview *)>;

bool whenComplete(TRpStandardPreview *w)
{
    return w->complete();
}

// Chooses Reports > "Phone &List" as a user does and, once the preview is
// open and `ready` holds, acts in it with `step` (which should close it).
// Returns when Preview() returns; a preview still open after 30 s is closed.
void previewPhoneList(const Ready &ready, const Step &step)
{
    auto *poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, [poll, ready, step] {
        TRpStandardPreview *w = openPreview();
        if (!w || !ready(w))
            return;
        poll->stop();
        poll->deleteLater();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        step(w);
    });
    poll->start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (TRpStandardPreview *w = openPreview())
            w->close();
    });
    watchdog.start(30000);
    phoneListCommand()->trigger();
    QVERIFY(watchdog.isActive());
}

void key(TRpStandardPreview *w, Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::keyClick(w, k, m);
}

// A print destination for tests: "installed" when asked, each job written to
// a PDF file, and the printer's set-up noted when the job starts.
class PdfPrinter : public PrintDestination
{
public:
    explicit PdfPrinter(const QString &file) : m_file(file)
    {
        ReportPrinting::setDestination(this);
    }
    ~PdfPrinter() override { ReportPrinting::setDestination(nullptr); }
    bool installed = true;
    struct Job
    {
        int copies;
        QPageLayout::Orientation orientation;
        QPageSize::PageSizeId paper;
        QPrinter::PaperSource source;
        bool fullPage;
    };
    QList<Job> jobs;
    bool printerInstalled() const override { return installed; }
    void jobStarting(QPrinter &printer) override
    {
        jobs << Job{printer.copyCount(), printer.pageLayout().orientation(),
                    printer.pageLayout().pageSize().id(), printer.paperSource(),
                    printer.fullPage()};
        printer.setOutputFileName(m_file);
    }

private:
    QString m_file;
};

// The text of each page of a PDF.
QStringList pdfPages(const QString &pdf, QSizeF *pageSize = nullptr)
{
    QProcess run;
    run.start(QStandardPaths::findExecutable("pdftotext"), {"-layout", pdf, "-"});
    run.waitForFinished(30000);
    QStringList pages = QString::fromUtf8(run.readAllStandardOutput()).split('\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    if (pageSize) {
        QProcess info;
        info.start(QStandardPaths::findExecutable("pdfinfo"), {pdf});
        info.waitForFinished(30000);
        const auto m = QRegularExpression("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")
                           .match(QString::fromUtf8(info.readAllStandardOutput()));
        *pageSize = QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    }
    return pages;
}

bool havePoppler()
{
    return !QStandardPaths::findExecutable("pdftotext").isEmpty() &&
           !QStandardPaths::findExecutable("pdfinfo").isEmpty();
}

} // namespace

class tst_reportpreview : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void windowAsItOpens();
    void turningPagesAndZooming();
    void pagesShowWhileTheRunGoesOnAndCloseStopsIt();
    void progressPanel_data();
    void progressPanel();
    void secondChoiceWhileRunningDoesNothing();
    void emptySelectionGivesNoPage();
    void printingFollowsTheReportsSettings();
    void printerSetupKeepsChoicesInTheReport();
    void printingProgressAndCancel();
    void saveAndLoad();
    void exportPdf();
};

void tst_reportpreview::init()
{
    ReportPrinting::setDestination(nullptr);
}

void tst_reportpreview::windowAsItOpens()
{
    RunningProgram program;
    QVERIFY(phoneListCommand()->isEnabled());
    QVERIFY(!phoneList()->isVisible());
    const int rows = mainWindow()->book()->query()->recordCount();
    QVERIFY(rows > 40); // two pages of the sample
    bool checked = false;
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        checked = true;
        QCOMPARE(w->windowTitle(), QString("Print Preview"));
        QVERIFY(w->windowState() & Qt::WindowMaximized);
        QCOMPARE(w->zoomMode(), TRpStandardPreview::zmWidth);
        QVERIFY(named<QToolButton>(w, "ZoomToWidth")->isChecked() && !named<QToolButton>(w, "ZoomFit")->isChecked() &&
                !named<QToolButton>(w, "Zoom100")->isChecked());
        QCOMPARE(w->pageNumber(), 1);
        QCOMPARE(w->statusPanel(1), QString("Page 1 of 2"));
        QCOMPARE(w->statusPanel(0), QString());
        QVERIFY(named<QToolButton>(w, "PrintSetup")->isEnabled() && named<QToolButton>(w, "Print")->isEnabled());

        QStringList order, hints;
        auto *bar = w->findChild<QToolBar *>("ToolBar1");
        for (QAction *a : bar->actions())
            if (auto *b = qobject_cast<QToolButton *>(bar->widgetForAction(a))) {
                order << b->objectName();
                hints << b->toolTip();
            }
        QCOMPARE(order,
                 (QStringList{"ZoomFit", "Zoom100", "ZoomToWidth", "FirstPage", "PreviousPage",
                              "ToolButton2", "LastPage", "PrintSetup", "Print", "SaveReport",
                              "LoadReport", "ExportPdf", "ExitButton"}));
        QCOMPARE(hints, (QStringList{"Zoom to fit", "100%", "Zoom to width", "First page",
                                     "Previous page", "Next page", "Last page", "Printer setup",
                                     "Print", "Save Report", "Load Report", "Export PDF", ""}));
        QCOMPARE(named<QToolButton>(w, "ExitButton")->text(), QString("&Close"));

        // Not modal: the main window works while the preview waits.
        QVERIFY(!QApplication::activeModalWidget());
        mainWindow()->book()->query()->first();
        QCOMPARE(mainWindow()->book()->query()->recNo(), 0);
        QTest::mouseClick(named<QToolButton>(w, "ExitButton"), Qt::LeftButton);
    });
    QVERIFY(checked);
    QCOMPARE(previewWindows(), 0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!QApplication::topLevelWidgets().contains(nullptr));
    for (QWidget *w : QApplication::topLevelWidgets())
        QVERIFY(!qobject_cast<TRpStandardPreview *>(w)); // closing frees it
    QVERIFY(program.log().isEmpty());
}

void tst_reportpreview::turningPagesAndZooming()
{
    RunningProgram program;
    QTemporaryDir dir;
    openBook(makeBook(dir, 200)); // 38 + 40 + 40 + 40 + 40 + 2: six pages
    const int rows = mainWindow()->book()->query()->recordCount();
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        QCOMPARE(w->pageCount(), 6);
        struct Move
        {
            std::function<void()> act;
            int page;
        };
        const QList<Move> moves{
            {[&] { key(w, Qt::Key_PageDown); }, 2},
            {[&] { QTest::mouseClick(named<QToolButton>(w, "ToolButton2"), Qt::LeftButton); }, 3},
            {[&] { key(w, Qt::Key_End); }, 6},
            {[&] { key(w, Qt::Key_PageDown); }, 6}, // past the last: ignored
            {[&] { QTest::mouseClick(named<QToolButton>(w, "PreviousPage"), Qt::LeftButton); }, 5},
            {[&] { key(w, Qt::Key_PageUp); }, 4},
            {[&] { key(w, Qt::Key_Home); }, 1},
            {[&] { key(w, Qt::Key_PageUp); }, 1}, // before the first: ignored
            {[&] { key(w, Qt::Key_PageDown, Qt::ControlModifier); }, 6},
            {[&] { key(w, Qt::Key_PageUp, Qt::ControlModifier); }, 1},
            {[&] { QTest::mouseClick(named<QToolButton>(w, "LastPage"), Qt::LeftButton); }, 6},
            {[&] { QTest::mouseClick(named<QToolButton>(w, "FirstPage"), Qt::LeftButton); }, 1},
        };
        for (int i = 0; i < moves.size(); ++i) {
            named<QScrollArea>(w, "ScrollBox1")->verticalScrollBar()->setValue(50);
            moves[i].act();
            QVERIFY2(w->pageNumber() == moves[i].page, qPrintable(QString("move %1").arg(i)));
            QCOMPARE(w->statusPanel(1), QString("Page %1 of 6").arg(moves[i].page));
            if (i != 3 && i != 7) // a change of page goes back to the page's top
                QCOMPARE(named<QScrollArea>(w, "ScrollBox1")->verticalScrollBar()->value(), 0);
        }

        const QSize room = named<QScrollArea>(w, "ScrollBox1")->viewport()->size();
        auto *page = w->pageArea();
        QVERIFY(qAbs(page->width() - room.width()) <= 2); // zoom to width: no sideways scrolling
        QTest::mouseClick(named<QToolButton>(w, "ZoomFit"), Qt::LeftButton);
        QCOMPARE(w->zoomMode(), TRpStandardPreview::zmFit);
        QVERIFY(page->width() <= room.width() + 1 &&
                page->height() <= named<QScrollArea>(w, "ScrollBox1")->viewport()->height() + 1);
        QVERIFY(!named<QToolButton>(w, "ZoomToWidth")->isChecked());
        QTest::mouseClick(named<QToolButton>(w, "Zoom100"), Qt::LeftButton);
        QVERIFY(named<QToolButton>(w, "Zoom100")->isChecked() && !named<QToolButton>(w, "ZoomFit")->isChecked());
        QCOMPARE(page->pixelsPerMm(), w->logicalDpiX() / 25.4);
        // The page's real size changes with nothing but the zoom.
        QCOMPARE(page->width(),
                 int(std::ceil(210 * w->logicalDpiX() / 25.4)) + 2 * TRpPreviewPage::kMargin);
        QTest::mouseClick(named<QToolButton>(w, "ZoomToWidth"), Qt::LeftButton);
        QVERIFY(qAbs(page->width() - room.width()) <= 2);

        // The page on screen is the prepared page: its ink lies where the items are.
        QTest::mouseClick(named<QToolButton>(w, "ZoomFit"), Qt::LeftButton);
        const QImage shot = page->grab().toImage();
        const qreal ppm = page->pixelsPerMm();
        auto dark = [&](qreal xMm, qreal yMm) {
            const QColor c = shot.pixelColor(int(TRpPreviewPage::kMargin + xMm * ppm),
                                             int(TRpPreviewPage::kMargin + yMm * ppm));
            return c.lightness() < 128;
        };
        QVERIFY(dark(105, 28.6));  // the first row's rule, 28.5 mm down page 1
        QVERIFY(!dark(105, 34.4)); // white paper at the foot of the row
        QVERIFY(dark(105, 35.2));  // the next row's rule
        key(w, Qt::Key_Escape);
    });
    QCOMPARE(previewWindows(), 0);
    QCOMPARE(mainWindow()->book()->query()->recNo(), rows - 1); // the run leaves the last row current
}

// The run's pages appear while it goes on, and closing the window stops it
// before its next row.
void tst_reportpreview::pagesShowWhileTheRunGoesOnAndCloseStopsIt()
{
    RunningProgram program;
    QTemporaryDir dir;
    openBook(makeBook(dir, 20000));
    QString statusWhileRunning;
    bool printWhileRunning = true;
    previewPhoneList([](TRpStandardPreview *w) { return w->pageCount() >= 2; },
                     [&](TRpStandardPreview *w) {
                         QVERIFY(!w->complete());
                         QCOMPARE(w->pageNumber(), 1);
                         statusWhileRunning = w->statusPanel(1);
                         printWhileRunning = named<QToolButton>(w, "Print")->isEnabled() || named<QToolButton>(w, "PrintSetup")->isEnabled();
                         QTest::mouseClick(named<QToolButton>(w, "ExitButton"), Qt::LeftButton);
                     });
    QVERIFY(statusWhileRunning.startsWith("Page 1 of "));
    QVERIFY(!printWhileRunning);
    QCOMPARE(previewWindows(), 0);
    const auto pages = phoneList()->report()->preparedReport();
    QVERIFY2(pages->pages.size() < 20, qPrintable(QString::number(pages->pages.size())));
    QVERIFY(!phoneList()->report()->isRunning());
    QVERIFY(mainWindow()->book()->query()->recNo() < 1000);
}

void tst_reportpreview::progressPanel_data()
{
    QTest::addColumn<int>("people");
    QTest::addColumn<QStringList>("shown"); // every change of the first panel
    QStringList fives;
    for (int p = 5; p < 100; p += 5)
        fives << QString("%1%").arg(p);
    QTest::newRow("200 rows: steps of 5") << 200 << fives + QStringList{""};
    QTest::newRow("7 rows: each row is a step")
        << 7 << QStringList{"14%", "28%", "42%", "57%", "71%", "85%", ""};
}

void tst_reportpreview::progressPanel()
{
    QFETCH(int, people);
    QFETCH(QStringList, shown);
    RunningProgram program;
    QTemporaryDir dir;
    openBook(makeBook(dir, people));
    QStringList seen;
    QString last;
    QPointer<TRpStandardPreview> window;
    // Watch the panel after the preview has taken each step.
    auto conn = connect(
        phoneList()->report(), &TCustomReport::progress, this,
        [&] {
            TRpStandardPreview *w = openPreview();
            if (!w)
                return;
            const QString now = w->statusPanel(0);
            if (now != last)
                seen << now;
            last = now;
        },
        Qt::QueuedConnection);
    previewPhoneList(whenComplete, [](TRpStandardPreview *w) { w->close(); });
    disconnect(conn);
    QCOMPARE(seen, shown);
}

void tst_reportpreview::secondChoiceWhileRunningDoesNothing()
{
    RunningProgram program;
    QTemporaryDir dir;
    openBook(makeBook(dir, 20000));
    int windowsDuringSecondChoice = -1;
    previewPhoneList([](TRpStandardPreview *w) { return w->pageCount() >= 1 && !w->complete(); },
                     [&](TRpStandardPreview *w) {
                         phoneListCommand()->trigger(); // returns at once
                         windowsDuringSecondChoice = previewWindows();
                         w->close();
                     });
    QCOMPARE(windowsDuringSecondChoice, 1);
    QCOMPARE(previewWindows(), 0);
}

void tst_reportpreview::emptySelectionGivesNoPage()
{
    RunningProgram program;
    select(SelectionStatements::search("Surname", "no such name", false));
    QCOMPARE(mainWindow()->book()->query()->recordCount(), 0);
    previewPhoneList(whenComplete, [](TRpStandardPreview *w) {
        QCOMPARE(w->pageCount(), 0);
        QCOMPARE(w->statusPanel(1), QString("Page 0 of 0"));
        key(w, Qt::Key_PageDown);
        QCOMPARE(w->pageNumber(), 0);
        w->close();
    });
    QVERIFY(program.log().isEmpty());
}

// Print runs the report again on the query as it is now, sends the pages in
// the report's range, and asks the printer for A4, the orientation, the copies
// and the paper source. Without a printer it does nothing.
void tst_reportpreview::printingFollowsTheReportsSettings()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    RunningProgram program;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("printed.pdf");
    PdfPrinter printer(pdf);
    TRpPrinterSettings &settings = phoneList()->report()->printerSettings();
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        printer.installed = false;
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        QCOMPARE(printer.jobs.size(), 0);
        QVERIFY(!QFile::exists(pdf));

        printer.installed = true;
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs[0].copies, 1);
        QCOMPARE(printer.jobs[0].orientation, QPageLayout::Portrait);
        QCOMPARE(printer.jobs[0].paper, QPageSize::A4);
        QCOMPARE(printer.jobs[0].source, QPrinter::Upper);
        QVERIFY(printer.jobs[0].fullPage);
        QSizeF size;
        QStringList pages = pdfPages(pdf, &size);
        QCOMPARE(pages.size(), 2);
        QVERIFY(qAbs(size.width() - 595.28) < 0.5 && qAbs(size.height() - 841.89) < 0.5);
        QVERIFY(pages[0].contains("Varnel Phone List"));

        // Only page 2 of two; then the selection changes under the open
        // preview: printing follows it, the preview does not.
        settings.FirstPage = settings.LastPage = 2;
        QFile::remove(pdf);
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains("Page 2"));
        QVERIFY(!pages[0].contains("Varnel Phone List"));

        select(SelectionStatements::letter('B'));
        QFile::remove(pdf);
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton); // one page now: nothing in range 2..2
        QCOMPARE(printer.jobs.size(), 2);
        QVERIFY(!QFile::exists(pdf));
        settings.FirstPage = settings.LastPage = 0;
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        pages = pdfPages(pdf);
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains("Baker"));
        QVERIFY(!pages[0].contains("Abbot"));
        QCOMPARE(w->pageCount(), 2); // the preview still shows the old selection
        w->close();
    });
    QVERIFY(program.log().isEmpty());
}

void tst_reportpreview::printerSetupKeepsChoicesInTheReport()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    RunningProgram program;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("printed.pdf");
    PdfPrinter printer(pdf);
    TReport *report = phoneList()->report();
    auto &dialogs = program.platform.dialogs;
    dialogs.onPrinterDialog = [](QPrinter *p) {
        QCOMPARE(p->pageLayout().orientation(), QPageLayout::Portrait); // preset from the report
        QCOMPARE(p->copyCount(), 1);
        p->setPageOrientation(QPageLayout::Landscape);
        p->setCopyCount(3);
        p->setPrintRange(QPrinter::PageRange);
        p->setFromTo(1, 1);
    };
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        dialogs.answers << "Cancel";
        QTest::mouseClick(named<QToolButton>(w, "PrintSetup"), Qt::LeftButton);
        QCOMPARE(report->printerSettings().Copies, 1);
        QCOMPARE(report->page().Orientation, QPageLayout::Portrait);

        dialogs.answers << "OK";
        QTest::mouseClick(named<QToolButton>(w, "PrintSetup"), Qt::LeftButton);
        QCOMPARE(report->printerSettings().Copies, 3);
        QCOMPARE(report->printerSettings().FirstPage, 1);
        QCOMPARE(report->printerSettings().LastPage, 1);
        QCOMPARE(report->page().Orientation, QPageLayout::Landscape);
        QCOMPARE(w->pages()->orientation, QPageLayout::Portrait); // not prepared again

        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        QCOMPARE(printer.jobs.size(), 1);
        QCOMPARE(printer.jobs[0].copies, 3);
        QCOMPARE(printer.jobs[0].orientation, QPageLayout::Landscape);
        QSizeF size;
        QCOMPARE(pdfPages(pdf, &size).size(), 1);
        QVERIFY(size.width() > size.height()); // the printout's page is turned
        w->close();
    });
    QCOMPARE(program.log(), (QStringList{"Report printer setup, pages 1 to 2 -> Cancel",
                                         "Report printer setup, pages 1 to 2 -> OK"}));
    // The choices belong to the report and outlive the preview.
    dialogs.onPrinterDialog = [](QPrinter *p) {
        QCOMPARE(p->pageLayout().orientation(), QPageLayout::Landscape);
        QCOMPARE(p->copyCount(), 3);
        QCOMPARE(p->printRange(), QPrinter::PageRange);
        p->setPrintRange(QPrinter::AllPages);
    };
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        QCOMPARE(w->pages()->orientation,
                 QPageLayout::Landscape); // later runs lay the page out turned
        dialogs.answers << "OK";
        QTest::mouseClick(named<QToolButton>(w, "PrintSetup"), Qt::LeftButton);
        QCOMPARE(report->printerSettings().FirstPage, 0);
        QCOMPARE(report->printerSettings().LastPage, 0);
        w->close();
    });
}

void tst_reportpreview::printingProgressAndCancel()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    RunningProgram program;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("printed.pdf");
    PdfPrinter printer(pdf);
    openBook(makeBook(dir, 400)); // 11 pages
    QString caption, line;
    bool onTop = false, modal = false;
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        QTimer cancel;
        cancel.setInterval(0);
        connect(&cancel, &QTimer::timeout, [&] {
            auto *progress = qobject_cast<TfmPrintProgress *>(QApplication::activeModalWidget());
            if (!progress || named<QProgressBar>(progress, "ProgressBar1")->value() < 25)
                return;
            cancel.stop();
            caption = progress->windowTitle();
            line = named<QLabel>(progress, "Label1")->text();
            onTop = progress->windowFlags() & Qt::WindowStaysOnTopHint;
            modal = progress->isModal();
            QTest::mouseClick(named<QPushButton>(progress, "CancelBtn"), Qt::LeftButton);
        });
        cancel.start();
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        w->close();
    });
    QCOMPARE(caption, QString("Printing progress"));
    QVERIFY2(QRegularExpression("^(25|30|35)%  Completed$").match(line).hasMatch(),
             qPrintable(line));
    QVERIFY(onTop && modal);
    // The pages made until Cancel are printed, the page in hand finished.
    const QStringList pages = pdfPages(pdf);
    QVERIFY2(pages.size() >= 2 && pages.size() < 11, qPrintable(QString::number(pages.size())));
    QVERIFY(pages.last().contains(QString("Page %1").arg(pages.size())));
}

void tst_reportpreview::saveAndLoad()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    RunningProgram program;
    QTemporaryDir dir;
    PdfPrinter printer(dir.filePath("printed.pdf"));
    auto &dialogs = program.platform.dialogs;
    const QString saved = dir.filePath("list");
    std::shared_ptr<const PreparedReport> shown;
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        shown = w->pages();
        dialogs.answers << saved;
        QTest::mouseClick(named<QToolButton>(w, "SaveReport"), Qt::LeftButton);
        QCOMPARE(dialogs.lastFileRequest.caption, QString("Save report"));
        QCOMPARE(dialogs.lastFileRequest.defaultSuffix, QString("VRP"));
        QVERIFY(QFile::exists(saved + ".VRP"));
        w->close();
    });

    // A damaged copy: the saved file cut short.
    QFile whole(saved + ".VRP");
    QVERIFY(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    QFile cut(dir.filePath("cut.VRP"));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(bytes.left(bytes.size() * 2 / 3));
    cut.close();

    select(SelectionStatements::letter('B')); // the new preview shows one page
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        QCOMPARE(w->pageCount(), 1);
        // The message about the missing file takes its own answer.
        dialogs.answers << dir.filePath("missing.VRP") << "OK" << cut.fileName() << saved;
        QTest::mouseClick(named<QToolButton>(w, "LoadReport"), Qt::LeftButton);
        QCOMPARE(dialogs.lastFileRequest.caption, QString("Load report"));
        QCOMPARE(w->pageCount(), 1);
        QTest::mouseClick(named<QToolButton>(w, "LoadReport"), Qt::LeftButton); // damaged: refused, nothing changes
        QCOMPARE(w->pageCount(), 1);
        QVERIFY(!w->loadedFromFile());
        QVERIFY(named<QToolButton>(w, "PrintSetup")->isEnabled());

        key(w, Qt::Key_End);
        QTest::mouseClick(named<QToolButton>(w, "LoadReport"),
                          Qt::LeftButton); // the name without extension finds the file
        QVERIFY(w->loadedFromFile());
        QCOMPARE(*w->pages(), *shown);
        QCOMPARE(w->pageCount(), 2);
        QCOMPARE(w->pageNumber(), 1);
        QVERIFY(!named<QToolButton>(w, "PrintSetup")->isEnabled());
        QVERIFY(named<QToolButton>(w, "Print")->isEnabled());

        // Printing loaded pages prints them, not a new run of the selection.
        phoneList()->report()->printerSettings().FirstPage = 2;
        QTest::mouseClick(named<QToolButton>(w, "Print"), Qt::LeftButton);
        phoneList()->report()->printerSettings().FirstPage = 0;
        const QStringList pages = pdfPages(dir.filePath("printed.pdf"));
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].contains("Page 2"));
        w->close();
    });
    QCOMPARE(
        program.log(),
        (QStringList{"Save: Save report -> " + saved,
                     "Open: Load report -> " + dir.filePath("missing.VRP"),
                     "Error: File does not exist -> OK", "Open: Load report -> " + cut.fileName(),
                     "Varnel: \"" + cut.fileName() + "\" is not a report file Varnel can show.",
                     "Open: Load report -> " + saved}));
}

void tst_reportpreview::exportPdf()
{
    if (!havePoppler())
        QSKIP("poppler-utils are not installed");
    RunningProgram program;
    QTemporaryDir dir;
    auto &dialogs = program.platform.dialogs;
    int pageCount = 0;
    previewPhoneList(whenComplete, [&](TRpStandardPreview *w) {
        pageCount = w->pageCount();
        dialogs.answers << QVariant(QString()) << dir.filePath("list");
        QTest::mouseClick(named<QToolButton>(w, "ExportPdf"), Qt::LeftButton); // cancelled
        QTest::mouseClick(named<QToolButton>(w, "ExportPdf"), Qt::LeftButton);
        QCOMPARE(dialogs.lastFileRequest.caption, QString("Export PDF"));
        w->close();
    });
    const QString pdf = dir.filePath("list.pdf");
    QSizeF size;
    const QStringList pages = pdfPages(pdf, &size);
    QCOMPARE(pages.size(), pageCount);
    QVERIFY(qAbs(size.width() - 595.28) < 0.5 && qAbs(size.height() - 841.89) < 0.5);

    // Where the texts stand, in points from the paper's top-left corner.
    QProcess run;
    run.start(QStandardPaths::findExecutable("pdftotext"),
              {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    QVERIFY(run.waitForFinished(30000));
    const QString html = QString::fromUtf8(run.readAllStandardOutput());
    const qreal pt = 72.0 / 25.4, tol = 0.1 * pt;
    auto box = [&](const QString &word) {
        const auto m = QRegularExpression(
                           QString("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                                   "yMax=\"[\\d.]+\">%1</word>")
                               .arg(word))
                           .match(html);
        return m.hasMatch() ? QRectF(QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()),
                                     QPointF(m.captured(3).toDouble(), m.captured(2).toDouble()))
                            : QRectF();
    };
    QVERIFY(qAbs(box("Surname").left() - 10.529 * pt) < tol);
    QVERIFY(qAbs(box("Surname").top() - 17.9 * pt) < tol);
    QVERIFY(qAbs(box("Firstname").left() - 35.135 * pt) < tol);
    QVERIFY(qAbs(box("email").left() - 150.229 * pt) < tol);
    QVERIFY(qAbs(box("email").top() - 18.165 * pt) < tol);
    QVERIFY(qAbs(box("1").right() - 200 * pt) < tol);
    QVERIFY(qAbs(box("1").top() - 280.9 * pt) < tol);
    QCOMPARE(program.log(), (QStringList{"Save: Export PDF -> Cancel",
                                         "Save: Export PDF -> " + dir.filePath("list")}));
}

QTEST_MAIN(tst_reportpreview)
#include "tst_reportpreview.moc"
