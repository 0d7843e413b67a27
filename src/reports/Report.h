#pragma once

#include "platform/FontValue.h"
#include "reports/PreparedReport.h"
#include "reports/ReportBands.h"
#include "reports/ReportPagination.h"

#include <QObject>
#include <QPageLayout>
#include <functional>
#include <memory>
#include <vector>

class ReportDataSet;

// The page of a layout. The paper is always A4; the orientation turns it.
struct TRpPage
{
    QPageLayout::Orientation Orientation = QPageLayout::Portrait;
    qreal TopMargin = 10;
    qreal BottomMargin = 10;
    qreal LeftMargin = 10;
    qreal RightMargin = 10;
    int Columns = 1;
    qreal ColumnSpace = 0;

    qreal paperWidth() const { return Orientation == QPageLayout::Landscape ? 297.0 : 210.0; }
    qreal paperLength() const { return Orientation == QPageLayout::Landscape ? 210.0 : 297.0; }
};

enum TRpOutputBin
{
    obFirst,
    obAuto
};

// What the preview asks of the printer for this report. The run itself does
// not read them; they belong to the report so that they outlive a preview.
struct TRpPrinterSettings
{
    int Copies = 1;
    bool Duplex = false;
    int FirstPage = 0; // 0 leaves that end of the range open
    int LastPage = 0;
    TRpOutputBin OutputBin = obFirst;
    QString PrinterName; // empty: the system's default printer
};

enum TRpOption
{
    FirstPageHeader = 0x1,
    LastPageFooter = 0x2
};
Q_DECLARE_FLAGS(TRpOptions, TRpOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TRpOptions)

// A banded report: a page, bands with controls, and the run that goes through
// the rows of its data set and prepares device-independent pages.
class TCustomReport : public QObject
{
    Q_OBJECT
public:
    explicit TCustomReport(QObject *parent = nullptr);
    ~TCustomReport() override;

    ReportDataSet *dataSet() const { return m_dataSet; }
    void setDataSet(ReportDataSet *dataSet) { m_dataSet = dataSet; }

    TRpPage &page() { return m_page; }
    const TRpPage &page() const { return m_page; }
    FontValue font() const { return m_font; }
    void setFont(const FontValue &f) { m_font = f; }
    TRpOptions options() const { return m_options; }
    void setOptions(TRpOptions o) { m_options = o; }
    bool printIfEmpty() const { return m_printIfEmpty; }
    void setPrintIfEmpty(bool on) { m_printIfEmpty = on; }
    QString reportTitle() const { return m_reportTitle; }
    void setReportTitle(const QString &t) { m_reportTitle = t; }
    TRpPrinterSettings &printerSettings() { return m_printerSettings; }
    const TRpPrinterSettings &printerSettings() const { return m_printerSettings; }

    // The report owns its bands. Bands of one kind print in the order added.
    TRpBand *addBand(TRpBandType type, qreal height);
    TRpGroup *addGroup(const QString &expression, qreal height);
    const std::vector<std::unique_ptr<TRpCustomBand>> &bands() const { return m_bands; }
    // The first band of a kind, or nullptr.
    TRpCustomBand *findBand(TRpBandType type) const;
    // Gives every text control of every band this fence (TRpCustomLabel::setFence).
    void setTextFence(const TRpTextFence &fence);

    // The page as the run lays it out, with the page footer's height.
    PageGeometry geometry() const;

    // Prepares the pages from the first row of the data set to the last (or
    // until stop() is called). Between rows it lets Qt process pending events,
    // so that a preview can show the pages as they come. Returns false, and
    // does nothing, while a run of this report is already going on. Errors in
    // the layout (a bad expression, an unknown field) throw VarnelError.
    bool run();
    // Where a run sends its pages when nothing will look at them again (a PDF
    // file, a printer): each page is handed over as soon as it is finished and
    // then dropped, so that the run's memory does not grow with its pages. The
    // prepared report of such a run has no pages.
    using PageSink = std::function<void(const PreparedPage &page, int pageNumber)>;
    bool run(const PageSink &sink);
    bool isRunning() const { return m_running; }

    // Opens a preview window, runs the report into it, and returns when the
    // window is closed; the program's other windows stay usable meanwhile.
    // Does nothing while a run of this report is going on. Closing the window
    // stops a run that is still going on.
    void Preview();

    // The pages of the current or last run; during a run it grows page by page.
    // A second run starts a new one and leaves this one to whoever holds it.
    std::shared_ptr<const PreparedReport> preparedReport() const { return m_prepared; }

public slots:
    // The run stops before its next row; the page in hand is finished.
    void stop() { m_stopRequested = true; }

signals:
    // Rows done × 100 / number of rows, after each row.
    void progress(int percent);
    // A page is complete (its footer printed); pages count from 1.
    void pageFinished(int pageNumber);
    void runFinished();

private:
    struct Run;
    ReportDataSet *m_dataSet = nullptr;
    TRpPage m_page;
    FontValue m_font;
    TRpOptions m_options;
    bool m_printIfEmpty = false;
    QString m_reportTitle;
    TRpPrinterSettings m_printerSettings;
    std::vector<std::unique_ptr<TRpCustomBand>> m_bands;
    std::shared_ptr<PreparedReport> m_prepared;
    bool m_running = false;
    bool m_stopRequested = false;
};

class TReport : public TCustomReport
{
    Q_OBJECT
public:
    using TCustomReport::TCustomReport;
};
