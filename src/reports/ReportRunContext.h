#pragma once

#include "reports/PreparedReport.h"

#include <QColor>
#include <QRectF>

class ReportDataSet;

// The lines along the edges of a band or control.
struct TRpFrame
{
    bool DrawTop = false;
    bool DrawBottom = false;
    bool DrawLeft = false;
    bool DrawRight = false;
    QColor Color = Qt::black;
    qreal Width = 1.0; // points

    bool any() const { return DrawTop || DrawBottom || DrawLeft || DrawRight; }
};

// What the run hands to bands and controls while it prints: the row, the page
// number and the page the drawing items go to. Positions are in layout units.
class TRpRunContext
{
public:
    // The data set's current row, or nullptr when the run prints without a row
    // (an empty or closed data set with PrintIfEmpty): every field is then empty.
    const ReportDataSet *row = nullptr;
    // The data set, when it is open; prepare checks field names against it.
    const ReportDataSet *dataSet = nullptr;
    int pageNumber = 0;
    PreparedPage *page = nullptr;
    // The page inside its margins, in layout units from the paper's corner.
    QRectF printableArea;

    void addBox(const QRectF &rect, const QColor &color);
    void addText(const QPointF &topLeft, const QString &text, const ReportFont &font,
                 const QColor &color);
    void addFrame(const QRectF &box, const TRpFrame &frame);
    void addRichText(const QRectF &box, const QString &html, qreal clipHeight);
};
