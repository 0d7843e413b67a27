#include "reports/ReportPrinting.h"

#include "platform/Platform.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "reports/ReportPainter.h"
#include "reports/ReportUnits.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

class SystemPrinters : public PrintDestination
{
public:
    bool printerInstalled() const override
    {
        return !QPrinterInfo::availablePrinterNames().isEmpty();
    }
    void jobStarting(QPrinter &) override {}
};

PrintDestination *g_destination = nullptr;

bool inRange(int page, const TRpPrinterSettings &s)
{
    return (s.FirstPage <= 0 || page >= s.FirstPage) && (s.LastPage <= 0 || page <= s.LastPage);
}

// One print job, opened at its first page so that a job without pages in the
// range never reaches the printer.
class Job
{
public:
    explicit Job(QPrinter &printer) : m_printer(printer) {}
    ~Job()
    {
        if (m_painter.isActive())
            m_painter.end();
    }
    QPainter *nextPage()
    {
        if (!m_painter.isActive()) {
            ReportPrinting::destination().jobStarting(m_printer);
            if (!m_painter.begin(&m_printer))
                return nullptr;
        } else {
            m_printer.newPage();
        }
        ++m_sent;
        return &m_painter;
    }
    int sent() const { return m_sent; }

private:
    QPrinter &m_printer;
    QPainter m_painter;
    int m_sent = 0;
};

} // namespace

PrintDestination &ReportPrinting::destination()
{
    static SystemPrinters system;
    return g_destination ? *g_destination : system;
}

void ReportPrinting::setDestination(PrintDestination *d)
{
    g_destination = d;
}

void ReportPrinting::setUpPrinter(QPrinter &printer, const TCustomReport &report)
{
    const TRpPrinterSettings &s = report.printerSettings();
    if (!s.PrinterName.isEmpty())
        printer.setPrinterName(s.PrinterName);
    printer.setFullPage(true);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(report.page().Orientation);
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setCopyCount(std::max(1, s.Copies));
    printer.setPaperSource(s.OutputBin == obFirst ? QPrinter::Upper : QPrinter::Auto);
    printer.setDocName(report.reportTitle().isEmpty() ? QStringLiteral("Varnel 3")
                                                      : report.reportTitle());
}

int ReportPrinting::printReport(TCustomReport &report, QWidget *parent)
{
    if (report.isRunning() || !destination().printerInstalled())
        return 0;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, report);
    const qreal pixelsPerMm = printer.resolution() / ReportUnits::kMmPerInch;
    const TRpPrinterSettings range = report.printerSettings();

    Job job(printer);
    TfmPrintProgress progress(parent);
    QObject::connect(&report, &TCustomReport::progress, &progress, &TfmPrintProgress::setPercent);
    QObject::connect(&progress, &TfmPrintProgress::cancelled, &report, &TCustomReport::stop);
    // Pages go to the printer as they are finished and are not kept, so a
    // long run does not hold every page at once.
    const auto toPrinter = [&](const PreparedPage &page, int number) {
        if (!inRange(number, range))
            return;
        if (QPainter *painter = job.nextPage())
            paintPage(page, *painter, pixelsPerMm);
    };
    progress.show();
    try {
        report.run(toPrinter);
    } catch (...) {
        // A run that fails half-way sends nothing to the printer.
        if (job.sent() > 0)
            printer.abort();
        throw;
    }
    return job.sent();
}

int ReportPrinting::printPages(const PreparedReport &pages, const TCustomReport &report)
{
    if (!destination().printerInstalled())
        return 0;
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, report);
    printer.setPageOrientation(pages.orientation);
    const TRpPrinterSettings &range = report.printerSettings();
    Job job(printer);
    for (int i = 0; i < pages.pages.size(); ++i) {
        if (!inRange(i + 1, range))
            continue;
        QPainter *painter = job.nextPage();
        if (!painter)
            break;
        const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
        const qreal pixelsPerMm =
            std::min(paper.width() / pages.paperWidthMm(), paper.height() / pages.paperLengthMm());
        paintPage(pages.pages[i], *painter, pixelsPerMm);
    }
    return job.sent();
}

bool ReportPrinting::printerSetup(TCustomReport &report, int pageCount, QWidget *parent)
{
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, report);
    TRpPrinterSettings &s = report.printerSettings();
    if (s.FirstPage > 0 || s.LastPage > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(std::max(1, s.FirstPage),
                          s.LastPage > 0 ? s.LastPage : std::max(1, pageCount));
    }
    if (!Platform::dialogs().reportPrintSetup(parent, &printer, pageCount))
        return false;
    s.PrinterName = printer.printerName();
    s.Copies = std::max(1, printer.copyCount());
    report.page().Orientation = printer.pageLayout().orientation();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        s.FirstPage = printer.fromPage();
        s.LastPage = printer.toPage();
    } else {
        s.FirstPage = s.LastPage = 0;
    }
    return true;
}

TfmPrintProgress::TfmPrintProgress(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmPrintProgress"));
    setWindowTitle(tr("Printing progress"));
    setWindowFlags(Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint);
    // Nothing else may start while the job is being made.
    setWindowModality(Qt::ApplicationModal);
    auto *layout = new QVBoxLayout(this);
    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("Label1"));
    m_label->setAlignment(Qt::AlignCenter);
    m_cancelButton = new QPushButton(tr("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("CancelBtn"));
    layout->addWidget(m_progressBar);
    layout->addWidget(m_label);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    connect(m_cancelButton, &QPushButton::clicked, this, &TfmPrintProgress::cancelled);
    setPercent(0);
    resize(280, sizeHint().height());
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfmPrintProgress::setPercent(int percent)
{
    const int step = percent - percent % 5;
    if (step == m_shown)
        return;
    m_shown = step;
    m_progressBar->setValue(step);
    m_label->setText(tr("%1%  Completed").arg(step));
}

void TfmPrintProgress::reject()
{
    // Esc or the close box count as Cancel; the window goes when the run ends.
    emit cancelled();
}
