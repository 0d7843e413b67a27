// The phone list over 1,000, 10,000 and 100,000 people: the run's time per
// page and per row, the time until the first page is on screen in the
// preview, how fast "&Close" stops a long run, and the PDF export.

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
            w->ExitButton->click();
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
    QList<int> sizes{1000, 10000, 100000};
    if (argc > 1)
        sizes = {QByteArray(argv[1]).toInt()};

    std::printf("%9s %6s %10s %9s %9s %12s %9s %11s %9s\n", "people", "pages", "run (ms)",
                "ms/page", "us/row", "1st page ms", "close ms", "(at page)", "PDF (ms)");
    for (int people : sizes) {
        const QString file = BookGenerator::cached(people);
        AdoConnection connection;
        connection.setConnectionString(AdoConnection::connectionStringFor(file));
        AdoQuery query(&connection);
        query.setObjectName(QStringLiteral("HomeQuery"));
        query.setSql(SelectionStatements::all());
        query.open();
        auto report = RpPhoneList::makeReport(&query);

        const double runMs = Bench::bestMs(people >= 100000 ? 1 : 3, [&] { report->run(); });
        const auto pages = report->preparedReport();
        const int pageCount = pages->pages.size();

        // The preview of a long run: first page, then "&Close" well before the end.
        const PreviewTimes preview = previewOnce(*report, std::max(2, pageCount / 4));

        QTemporaryDir dir;
        const double pdfMs = Bench::bestMs(1, [&] { exportPdf(*pages, dir.filePath("list.pdf")); });

        std::printf("%9d %6d %10.1f %9.2f %9.2f %12.1f %9.2f %11d %9.1f\n", people, pageCount,
                    runMs, runMs / pageCount, runMs * 1000 / people, preview.firstPageMs,
                    preview.closeMs, preview.pagesAtClose, pdfMs);
        std::fflush(stdout);
    }
    std::printf("goals: first page on screen <= 200 ms at any size; run cost linear in rows; "
                "close <= 100 ms during a long run\n");
    return 0;
}
