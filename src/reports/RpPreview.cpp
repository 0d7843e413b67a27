#include "reports/RpPreview.h"

#include "widgets/Hints.h"
#include "platform/Guard.h"
#include "platform/Platform.h"
#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "reports/ReportPainter.h"
#include "reports/ReportPrinting.h"
#include "reports/ReportUnits.h"
#include "widgets/PageArrows.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>

namespace {
const QString kReportSuffix = QStringLiteral("VRP");
const char *const kReportFilters[] = {
    QT_TRANSLATE_NOOP("TRpStandardPreview", "Saved reports (*.vrp *.VRP)"),
    QT_TRANSLATE_NOOP("TRpStandardPreview", "All files (*)")};

QStringList reportFilters()
{
    QStringList filters;
    for (const char *f : kReportFilters)
        filters << QCoreApplication::translate("TRpStandardPreview", f);
    return filters;
}

// A name typed without an extension gets the default one, as the file
// dialogs give it.
QString withSuffix(const QString &path, const QString &suffix)
{
    return QFileInfo(path).suffix().isEmpty() ? path + '.' + suffix : path;
}
} // namespace

// ---- The page area ----

TRpPreviewPage::TRpPreviewPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PagePaint"));
    setAutoFillBackground(false);
    updateSize();
}

void TRpPreviewPage::setPage(std::shared_ptr<const PreparedReport> pages, int number,
                             qreal paperWidthMm, qreal paperLengthMm)
{
    m_pages = std::move(pages);
    m_number = number;
    m_paperWidth = paperWidthMm;
    m_paperLength = paperLengthMm;
    updateSize();
    update();
}

void TRpPreviewPage::setPixelsPerMm(qreal pixelsPerMm)
{
    m_pixelsPerMm = std::max(0.05, pixelsPerMm);
    updateSize();
    update();
}

void TRpPreviewPage::updateSize()
{
    resize(int(std::ceil(m_paperWidth * m_pixelsPerMm)) + 2 * kMargin,
           int(std::ceil(m_paperLength * m_pixelsPerMm)) + 2 * kMargin);
}

void TRpPreviewPage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Dark));
    if (!m_pages || m_number < 1 || m_number > m_pages->pages.size())
        return;
    const PreparedPage &page = m_pages->pages[m_number - 1];
    const QRectF paper(kMargin, kMargin, m_paperWidth * m_pixelsPerMm,
                       m_paperLength * m_pixelsPerMm);
    painter.fillRect(paper.translated(3, 3), Qt::black); // a shadow lifts the sheet
    painter.fillRect(paper, Qt::white);
    painter.translate(paper.topLeft());
    painter.setClipRect(QRectF(QPointF(0, 0), paper.size()));
    paintPage(page, painter, m_pixelsPerMm);
}

// ---- The window ----

TRpStandardPreview::TRpStandardPreview(TCustomReport *report, QWidget *parent)
    : QMainWindow(parent), m_report(report)
{
    setObjectName(QStringLiteral("RpStandardPreview"));
    setWindowTitle(report && !report->reportTitle().isEmpty() ? report->reportTitle()
                                                              : tr("Print Preview"));

    auto *bar = new QToolBar(QStringLiteral("ToolBar1"), this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    addToolBar(Qt::TopToolBarArea, bar);

    m_zoomFitButton = addButton("ZoomFit", tr("Fit"), tr("Zoom to fit"));
    m_zoom100Button = addButton("Zoom100", tr("100%"), tr("100%"));
    m_zoomToWidthButton = addButton("ZoomToWidth", tr("Width"), tr("Zoom to width"));
    m_firstPageButton = addButton("FirstPage", tr("|<"), tr("First page"));
    m_previousPageButton = addButton("PreviousPage", tr("<"), tr("Previous page"));
    m_nextPageButton = addButton("ToolButton2", tr(">"), tr("Next page"));
    m_lastPageButton = addButton("LastPage", tr(">|"), tr("Last page"));
    m_printSetupButton = addButton("PrintSetup", tr("Setup"), tr("Printer setup"));
    m_printButton = addButton("Print", tr("Print"), tr("Print"));
    m_saveButton = addButton("SaveReport", tr("Save"), tr("Save Report"));
    m_loadButton = addButton("LoadReport", tr("Load"), tr("Load Report"));
    m_exportPdfButton = addButton("ExportPdf", tr("PDF"), tr("Export PDF"));
    m_closeButton = addButton("ExitButton", tr("&Close"), QString());

    const QList<QToolButton *> buttons{m_zoomFitButton,     m_zoom100Button,   m_zoomToWidthButton, m_firstPageButton, m_previousPageButton,
                                       m_nextPageButton, m_lastPageButton,  m_printSetupButton,  m_printButton,     m_saveButton,
                                       m_loadButton,  m_exportPdfButton, m_closeButton};
    for (QToolButton *b : buttons) {
        bar->addWidget(b);
        if (b == m_zoomToWidthButton || b == m_lastPageButton || b == m_printButton || b == m_loadButton)
            bar->addSeparator();
    }
    const auto icon = [this](QToolButton *b, QStyle::StandardPixmap p) {
        b->setIcon(style()->standardIcon(p));
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    };
    setPageArrowIcons();
    for (QToolButton *b : {m_firstPageButton, m_previousPageButton, m_nextPageButton, m_lastPageButton})
        b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    icon(m_saveButton, QStyle::SP_DialogSaveButton);
    icon(m_loadButton, QStyle::SP_DialogOpenButton);
    icon(m_closeButton, QStyle::SP_DialogCloseButton);
    m_firstPageButton->setText(QString());
    m_previousPageButton->setText(QString());
    m_nextPageButton->setText(QString());
    m_lastPageButton->setText(QString());

    m_zoomGroup = new QButtonGroup(this);
    m_zoomGroup->setExclusive(true);
    m_zoomGroup->addButton(m_zoomFitButton, zmFit);
    m_zoomGroup->addButton(m_zoom100Button, zm100);
    m_zoomGroup->addButton(m_zoomToWidthButton, zmWidth);
    for (QAbstractButton *b : m_zoomGroup->buttons())
        b->setCheckable(true);
    m_zoomToWidthButton->setChecked(true);
    connect(m_zoomGroup, &QButtonGroup::idClicked, this,
            [this](int id) { setZoomMode(ZoomMode(id)); });

    connect(m_firstPageButton, &QToolButton::clicked, this, [this] { showPage(1); });
    connect(m_previousPageButton, &QToolButton::clicked, this, [this] { showPage(m_pageNumber - 1); });
    connect(m_nextPageButton, &QToolButton::clicked, this, [this] { showPage(m_pageNumber + 1); });
    connect(m_lastPageButton, &QToolButton::clicked, this, [this] { showPage(m_pageCount); });
    connect(m_printSetupButton, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { printSetup(); }); });
    connect(m_printButton, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { print(); }); });
    connect(m_saveButton, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { saveReport(); }); });
    connect(m_loadButton, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { loadReport(); }); });
    connect(m_exportPdfButton, &QToolButton::clicked, this,
            [this] { guarded(this, [this] { exportToPdf(); }); });
    connect(m_closeButton, &QToolButton::clicked, this, &QWidget::close);

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setObjectName(QStringLiteral("ScrollBox1"));
    m_scrollArea->setBackgroundRole(QPalette::Dark);
    m_scrollArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scrollArea->setWidgetResizable(false);
    m_page = new TRpPreviewPage;
    m_scrollArea->setWidget(m_page);
    m_scrollArea->viewport()->installEventFilter(this);
    setCentralWidget(m_scrollArea);

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    setStatusBar(status);
    for (int i = 0; i < 2; ++i) {
        m_panels[i] = new QLabel(status);
        m_panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        m_panels[i]->setMinimumWidth(120);
        status->addWidget(m_panels[i], i == 1 ? 1 : 0);
    }

    const auto key = [this](const QKeySequence &seq, auto slot) {
        auto *s = new QShortcut(seq, this);
        connect(s, &QShortcut::activated, this, slot);
    };
    key(QKeySequence(Qt::Key_Escape), [this] { close(); });
    key(QKeySequence(Qt::Key_PageUp), [this] { showPage(m_pageNumber - 1); });
    key(QKeySequence(Qt::Key_PageDown), [this] { showPage(m_pageNumber + 1); });
    key(QKeySequence(Qt::Key_Home), [this] { showPage(1); });
    key(QKeySequence(Qt::Key_End), [this] { showPage(m_pageCount); });
    key(QKeySequence(Qt::CTRL | Qt::Key_PageUp), [this] { showPage(1); });
    key(QKeySequence(Qt::CTRL | Qt::Key_PageDown), [this] { showPage(m_pageCount); });

    resize(900, 700);
    refreshPage();
    updatePageStatus();
    updateButtons();
}

TRpStandardPreview::~TRpStandardPreview()
{
    // A run that still fills this window has nowhere left to show its pages.
    if (m_running && m_report)
        m_report->stop();
}

QToolButton *TRpStandardPreview::addButton(const char *name, const QString &text,
                                           const QString &hint)
{
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    if (!hint.isEmpty())
        setHint(b, hint);
    return b;
}

QString TRpStandardPreview::statusPanel(int index) const
{
    return m_panels[index]->text();
}

void TRpStandardPreview::beginRun()
{
    if (!m_report)
        return;
    m_running = true;
    m_complete = false;
    m_runConnections << connect(m_report, &TCustomReport::progress, this,
                                &TRpStandardPreview::onProgress)
                     << connect(m_report, &TCustomReport::pageFinished, this,
                                &TRpStandardPreview::onPageFinished);
    updateButtons();
}

void TRpStandardPreview::endRun()
{
    for (const auto &c : m_runConnections)
        disconnect(c);
    m_runConnections.clear();
    if (!m_running)
        return;
    m_running = false;
    m_complete = true;
    if (!m_pages && m_report)
        m_pages = m_report->preparedReport();
    if (m_pages)
        m_pageCount = m_pages->pages.size();
    if (m_pageNumber == 0 && m_pageCount > 0)
        showPage(1);
    updatePageStatus();
    updateButtons();
}

void TRpStandardPreview::onProgress(int percent)
{
    // The panel follows the run in steps of 5 % and is empty at its ends.
    if (percent <= 0 || percent >= 100) {
        m_shownPercent = percent <= 0 ? 0 : 100;
        m_panels[0]->clear();
    } else if (percent - m_shownPercent >= 5) {
        m_shownPercent = percent;
        m_panels[0]->setText(QStringLiteral("%1%").arg(percent));
    }
}

void TRpStandardPreview::onPageFinished(int number)
{
    if (!m_pages && m_report)
        m_pages = m_report->preparedReport();
    m_pageCount = number;
    if (m_pageNumber == 0)
        showPage(1);
    else
        updatePageStatus();
}

void TRpStandardPreview::showPage(int number)
{
    if (number < 1 || number > m_pageCount)
        return;
    m_pageNumber = number;
    refreshPage();
    m_scrollArea->horizontalScrollBar()->setValue(0);
    m_scrollArea->verticalScrollBar()->setValue(0);
    updatePageStatus();
}

void TRpStandardPreview::refreshPage()
{
    qreal w = 210, l = 297;
    if (m_pages) {
        w = m_pages->paperWidthMm();
        l = m_pages->paperLengthMm();
    } else if (m_report) {
        w = m_report->page().paperWidth();
        l = m_report->page().paperLength();
    }
    m_page->setPage(m_pages, m_pageNumber, w, l);
    applyZoom();
}

void TRpStandardPreview::setZoomMode(ZoomMode mode)
{
    m_zoom = mode;
    if (QAbstractButton *b = m_zoomGroup->button(mode))
        b->setChecked(true);
    applyZoom();
}

void TRpStandardPreview::applyZoom()
{
    qreal w = 210, l = 297;
    if (m_pages) {
        w = m_pages->paperWidthMm();
        l = m_pages->paperLengthMm();
    }
    const QSize room = m_scrollArea->maximumViewportSize();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int margins = 2 * TRpPreviewPage::kMargin;
    qreal ppm = logicalDpiX() / ReportUnits::kMmPerInch;
    switch (m_zoom) {
    case zm100:
        break;
    case zmWidth:
        ppm = (room.width() - scrollBar - margins) / w;
        break;
    case zmFit:
        ppm = std::min((room.width() - margins) / w, (room.height() - margins) / l);
        break;
    }
    m_page->setPixelsPerMm(ppm);
}

bool TRpStandardPreview::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == m_scrollArea->viewport() && e->type() == QEvent::Resize && m_zoom != zm100)
        applyZoom();
    return QMainWindow::eventFilter(watched, e);
}

void TRpStandardPreview::updatePageStatus()
{
    m_panels[1]->setText(tr("Page %1 of %2").arg(m_pageNumber).arg(m_pageCount));
}

void TRpStandardPreview::updateButtons()
{
    const bool complete = m_complete;
    m_printSetupButton->setEnabled(complete && !m_loaded);
    m_printButton->setEnabled(complete);
    m_exportPdfButton->setEnabled(complete);
}

void TRpStandardPreview::setPageArrowIcons()
{
    m_firstPageButton->setIcon(pageArrowIcon(PageArrow::First, palette()));
    m_previousPageButton->setIcon(pageArrowIcon(PageArrow::Previous, palette()));
    m_nextPageButton->setIcon(pageArrowIcon(PageArrow::Next, palette()));
    m_lastPageButton->setIcon(pageArrowIcon(PageArrow::Last, palette()));
}

void TRpStandardPreview::changeEvent(QEvent *e)
{
    // The arrows are drawn in the palette's colours; a new palette or style
    // (the desktop switching to a dark theme) draws them again.
    if (e->type() == QEvent::PaletteChange || e->type() == QEvent::StyleChange)
        setPageArrowIcons();
    QMainWindow::changeEvent(e);
}

void TRpStandardPreview::closeEvent(QCloseEvent *e)
{
    if (m_running && m_report)
        m_report->stop();
    QMainWindow::closeEvent(e);
    if (e->isAccepted())
        emit closed();
}

void TRpStandardPreview::printSetup()
{
    if (m_report)
        ReportPrinting::printerSetup(*m_report, m_pageCount, this);
}

void TRpStandardPreview::print()
{
    if (m_loaded) {
        if (m_pages && m_report)
            ReportPrinting::printPages(*m_pages, *m_report);
        return;
    }
    if (m_report)
        ReportPrinting::printReport(*m_report, this);
}

void TRpStandardPreview::saveReport()
{
    FileDialogRequest request;
    request.caption = tr("Save report");
    request.filters = reportFilters();
    request.defaultSuffix = kReportSuffix;
    QString path = Platform::dialogs().saveFile(this, request);
    if (path.isEmpty())
        return;
    path = withSuffix(path, kReportSuffix);
    const PreparedReport empty;
    // What is on show is what gets saved: a run still going on gives the
    // pages finished so far.
    PreparedReport shown = m_pages ? *m_pages : empty;
    if (shown.pages.size() > m_pageCount)
        shown.pages.resize(m_pageCount);
    shown.saveToFile(path);
}

void TRpStandardPreview::loadReport()
{
    FileDialogRequest request;
    request.caption = tr("Load report");
    request.filters = reportFilters();
    request.defaultSuffix = kReportSuffix;
    // A name that does not exist is ours to answer, not the dialog's.
    request.mustExist = false;
    QString path = Platform::dialogs().openFile(this, request);
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path) && QFileInfo(path).suffix().isEmpty())
        path = withSuffix(path, kReportSuffix);
    if (!QFileInfo(path).isFile()) {
        Platform::dialogs().message(this, MsgKind::Error, tr("File does not exist"), false);
        return;
    }
    // Read whole before anything on show changes: a bad file leaves the
    // window as it was.
    auto loaded = std::make_shared<const PreparedReport>(PreparedReport::loadFromFile(path));
    if (m_running) {
        if (m_report)
            m_report->stop();
        for (const auto &c : m_runConnections)
            disconnect(c);
        m_runConnections.clear();
        m_running = false;
    }
    m_pages = loaded;
    m_loaded = true;
    m_complete = true;
    m_pageCount = m_pages->pages.size();
    m_pageNumber = 0;
    m_shownPercent = 0;
    m_panels[0]->clear();
    refreshPage();
    showPage(1);
    updatePageStatus();
    updateButtons();
}

void TRpStandardPreview::exportToPdf()
{
    FileDialogRequest request;
    request.caption = tr("Export PDF");
    request.filters = QStringList{tr("PDF files (*.pdf)")};
    request.defaultSuffix = QStringLiteral("pdf");
    QString path = Platform::dialogs().saveFile(this, request);
    if (path.isEmpty())
        return;
    path = withSuffix(path, QStringLiteral("pdf"));
    exportPdf(m_pages ? *m_pages : PreparedReport(), path);
}

// ---- Preview ----

void TCustomReport::Preview()
{
    if (m_running)
        return;
    QPointer<TRpStandardPreview> window = new TRpStandardPreview(this);
    // Maximised; the screen's size stands in where no window manager maximises.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        window->setGeometry(screen->availableGeometry());
    window->showMaximized();
    window->raise();
    window->activateWindow();
    window->beginRun();
    try {
        run();
    } catch (...) {
        if (window) {
            window->endRun();
            window->hide();
            window->deleteLater();
        }
        throw;
    }
    if (!window)
        return;
    window->endRun();
    if (window->isVisible()) {
        // Not modal: the rest of the program stays usable while we wait.
        QEventLoop loop;
        connect(window, &TRpStandardPreview::closed, &loop, &QEventLoop::quit);
        connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (window)
        window->deleteLater();
}
