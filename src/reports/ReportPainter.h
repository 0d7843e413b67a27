#pragma once

#include <QPointF>
#include <QString>

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
