#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QButtonGroup;
class QLabel;
class QScrollArea;
class QToolButton;
class TCustomReport;
struct PreparedPage;
struct PreparedReport;

// The page area: one page drawn at the preview's zoom on a grey ground.
class TRpPreviewPage : public QWidget
{
    Q_OBJECT
public:
    explicit TRpPreviewPage(QWidget *parent = nullptr);
    // The page to draw, by its number in `pages` (from 1; 0 or a number not
    // made yet: none), and its paper in mm. The page is looked up at every
    // paint: a run still going on adds pages to the same list, which may move
    // the ones already made.
    void setPage(std::shared_ptr<const PreparedReport> pages, int number, qreal paperWidthMm,
                 qreal paperLengthMm);
    int pageNumber() const { return m_number; }
    void setPixelsPerMm(qreal pixelsPerMm);
    qreal pixelsPerMm() const { return m_pixelsPerMm; }
    static constexpr int kMargin = 10; // grey border around the paper, in pixels

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    void updateSize();
    std::shared_ptr<const PreparedReport> m_pages;
    int m_number = 0;
    qreal m_paperWidth = 210, m_paperLength = 297;
    qreal m_pixelsPerMm = 1;
};

// The preview of a report: shows the pages while the run makes them, one at a
// time; zooms, turns pages, sets the report's printer up, prints, saves and
// loads the pages, and exports them as a PDF. Closing it stops a run that is
// still going on. Reports open it through TCustomReport::Preview().
class TRpStandardPreview : public QMainWindow
{
    Q_OBJECT
public:
    enum ZoomMode
    {
        zmFit,
        zm100,
        zmWidth
    };

    explicit TRpStandardPreview(TCustomReport *report, QWidget *parent = nullptr);
    ~TRpStandardPreview() override;

    // The run that fills the window; Preview() brackets report->run() with these.
    void beginRun();
    void endRun();

    TCustomReport *report() const { return m_report; }
    std::shared_ptr<const PreparedReport> pages() const { return m_pages; }
    // The pages finished so far.
    int pageCount() const { return m_pageCount; }
    int pageNumber() const { return m_pageNumber; } // 0 while there is no page
    bool complete() const { return m_complete; }
    bool loadedFromFile() const { return m_loaded; }
    ZoomMode zoomMode() const { return m_zoom; }
    QString statusPanel(int index) const;
    TRpPreviewPage *pageArea() const { return m_page; }

    // A page number outside 1..pageCount() is ignored.
    void showPage(int number);
    void setZoomMode(ZoomMode mode);

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QToolButton *m_zoomFitButton, *m_zoom100Button, *m_zoomToWidthButton, *m_firstPageButton, *m_previousPageButton, *m_nextPageButton,
        *m_lastPageButton, *m_printSetupButton, *m_printButton, *m_saveButton, *m_loadButton, *m_exportPdfButton, *m_closeButton;
    QScrollArea *m_scrollArea;

    // The buttons that need more than a call.
    void printSetup();
    void print();
    void saveReport();
    void loadReport();
    void exportToPdf();

    void setPageArrowIcons();
    QToolButton *addButton(const char *name, const QString &text, const QString &hint);
    void onProgress(int percent);
    void onPageFinished(int number);
    void refreshPage();
    void updateButtons();
    void updatePageStatus();
    void applyZoom();

    QPointer<TCustomReport> m_report;
    std::shared_ptr<const PreparedReport> m_pages;
    TRpPreviewPage *m_page;
    QButtonGroup *m_zoomGroup;
    QLabel *m_panels[2];
    QList<QMetaObject::Connection> m_runConnections;
    int m_pageNumber = 0;
    int m_pageCount = 0;
    int m_shownPercent = 0;
    ZoomMode m_zoom = zmWidth;
    bool m_running = false;
    bool m_complete = false;
    bool m_loaded = false;
};
