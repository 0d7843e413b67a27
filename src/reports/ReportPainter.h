#pragma once

#include <QPageLayout>
#include <QPointF>
#include <QString>
#include <memory>

class QPainter;
struct PreparedPage;
struct PreparedReport;

// Draws one prepared page onto any painter: the preview at any zoom, a printer,
// a PDF file. pixelsPerMm is the scale from the paper to the painter's current
// user space (a zoom is part of it). Positions are measured from the paper's
// top-left corner; a device whose origin lies elsewhere - a printer whose
// printable area starts inside the paper - passes that origin's place on the
// paper as deviceOffset, in the same pixels, and it is subtracted.
void paintPage(const PreparedPage &page, QPainter &painter, qreal pixelsPerMm,
               const QPointF &deviceOffset = QPointF());

// Writes every page to a PDF file on A4 paper, turned as the report is, with
// real text. Throws VarnelError when there is no page or the file cannot be written.
void exportPdf(const PreparedReport &report, const QString &fileName);

// A PDF file written a page at a time, so that a run can hand each page over as
// it is finished and keep none. The file appears only when finish() succeeds; a
// writer destroyed before that (a run that failed) leaves whatever was there.
class PdfPageWriter
{
public:
    // Throws VarnelError when the file cannot be created.
    PdfPageWriter(const QString &fileName, const QString &title,
                  QPageLayout::Orientation orientation);
    ~PdfPageWriter();
    PdfPageWriter(const PdfPageWriter &) = delete;
    PdfPageWriter &operator=(const PdfPageWriter &) = delete;

    void addPage(const PreparedPage &page);
    int pageCount() const { return m_pages; }
    // Ends the file and puts it in place. Throws VarnelError when no page was
    // added (nothing is written then) or the file cannot be written.
    void finish();

private:
    struct Output;
    std::unique_ptr<Output> m_out;
    QString m_fileName;
    int m_pages = 0;
};
