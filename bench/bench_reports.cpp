// The phone list over 1,000, 10,000 and 100,000 people: the run's time per
// page and per row and the memory its kept pages take (what the preview
// holds), the time until the first page is on screen in the preview, how fast
// "&Close" stops a long run, the PDF export of the kept pages, and varnel-print
// writing the list straight to a PDF (pages handed over as they are finished)
// with its peak memory.
//
// Usage: bench_reports [SIZE...]

#include "BenchSupport.h"
#include "BookGenerator.h"

#include "reports/PreparedReport.h"
#include "reports/ReportPainter.h"
#include "reports/RpPhoneList.h"
#include "reports/RpPreview.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <cstdio>
#include <malloc.h>

namespace {

TRpStandardPreview *openPreview()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<TRpStandardPreview *>(w); p && p->isVisible())
            return p;
    return nullptr;
}

struct PreviewTimes
{
    double firstPageMs = -1; // from Preview() to page 1 painted
    double closeMs = -1;     // from the click on "&Close" to Preview() returning
    int pagesAtClose = 0;
};

// Opens the preview, notes when page 1 has been painted, and clicks "&Close"
// once `closeAtPage` pages are done (or when the run is complete).
PreviewTimes previewOnce(TReport &report, int closeAtPage)
{
    PreviewTimes t;
    QElapsedTimer clock;
    QElapsedTimer closing;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        TRpStandardPreview *w = openPreview();
        if (!w)
            return;
        if (t.firstPageMs < 0 && w->pageNumber() == 1) {
            w->pageArea()->repaint();
            t.firstPageMs = clock.nsecsElapsed() / 1e6;
        }
        if (t.firstPageMs >= 0 && (w->pageCount() >= closeAtPage || w->complete())) {
            poll.stop();
            t.pagesAtClose = w->pageCount();
            closing.start();
            w->findChild<QToolButton *>(QStringLiteral("ExitButton"))->click();
        }
    });
    poll.start();
    clock.start();
    report.Preview();
    t.closeMs = closing.isValid() ? closing.nsecsElapsed() / 1e6 : -1;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QList<int> sizes = Bench::sizesFrom(argc, argv, {1000, 10000, 100000});

    std::printf("%7s %5s | %8s %7s %6s %8s | %6s | %7s %8s %5s | %8s | %8s %8s %7s\n",
                "people", "pages", "run CPU", "ms/page", "us/row", "kept MiB", "us/row", "1st ms",
                "close ms", "@page", "PDF ms", "print s", "CPU us/r", "peakMiB");
    for (int people : sizes) {
        const QString file = BookGenerator::cached(people);
        OpenedBook opened(file);
        AdoQuery &query = opened.query;
        auto report = RpPhoneList::makeReport(&query);

        // The same run handing each page over and keeping none, as varnel-print
        // and printing run it: the cost of the run itself, without the memory.
        const double streamMs = Bench::bestCpuMs(people >= 100000 ? 1 : 3, [&] {
            report->run([](const PreparedPage &, int) {});
        });
        malloc_trim(0);
        const double rssBefore = Bench::residentMiB();
        const double runMs = Bench::bestCpuMs(people >= 100000 ? 1 : 3, [&] { report->run(); });
        const auto pages = report->preparedReport();
        const int pageCount = pages->pages.size();
        malloc_trim(0);
        const double keptMiB = Bench::residentMiB() - rssBefore;

        // The preview of a long run: first page, then "&Close" well before the end.
        const PreviewTimes preview = previewOnce(*report, std::max(2, pageCount / 4));

        QTemporaryDir dir;
        const double pdfMs = Bench::bestMs(1, [&] { exportPdf(*pages, dir.filePath("list.pdf")); });

        // varnel-print writing the list to a PDF.
        const Bench::Measure printed =
            Bench::timed(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"),
                         {file, QStringLiteral("phone-list"), dir.filePath("printed.pdf")});
        std::printf("%7d %5d | %8.1f %7.2f %6.2f %8.1f | %6.2f | %7.1f %8.2f %5d | %8.1f | %8.2f "
                    "%8.1f %7.1f\n",
                    people, pageCount, runMs, runMs / pageCount, runMs * 1000 / people, keptMiB,
                    streamMs * 1000 / people, preview.firstPageMs, preview.closeMs, preview.pagesAtClose, pdfMs,
                    printed.seconds, printed.cpuSeconds * 1e6 / people, printed.peakMiB);
        std::fflush(stdout);
    }
    std::printf("run: CPU ms of the run that keeps its pages (the preview's); the us/row after "
                "it: CPU of the run that hands them over and drops them.\nprint: varnel-print to a PDF, start-up included (CPU: user + system). goals: first page on screen "
                "<= 200 ms at any size; run cost linear in rows; close <= 100 ms during a long "
                "run; varnel-print's memory flat in the number of pages\n");
    return 0;
}
