#pragma once

#include "reports/Report.h"

class TRpExprMemo;

// The three address label layouts differ only in their sheet's figures; this
// lays one of them out on an empty report. Distances are in mm.
struct LabelSheet
{
    const char *reportName;
    qreal topMargin, bottomMargin, leftMargin, rightMargin;
    int columns;
    qreal columnSpace;
    qreal labelHeight;
    qreal memoLeft, memoTop, memoWidth, memoHeight;
    qreal fontPoints; // Arial, regular, black
    bool printIfEmpty;
    const char *title;
    TRpOutputBin outputBin;

    // The stationery as its maker gives it, in mm: a label's size, the first
    // label's top-left corner on the sheet and the step to the next label
    // across and down. The layout's own figures above do not follow it
    // exactly; this is where the paper is cut.
    struct Stock
    {
        qreal width, height;
        qreal left, top;
        qreal pitchAcross, pitchDown;
        int across, down;
    } stock;

    // The label under a point of the sheet (layout units), less the margin
    // that text keeps from a label's edges, in layout units. A point between
    // labels or off the sheet takes the nearest label.
    QRectF printableLabelAt(const QPointF &at) const;

    static const LabelSheet &perSheet21();
    static const LabelSheet &perSheet16();
    static const LabelSheet &perSheet14();

    // Returns the label's address memo, RpExprMemo1.
    TRpExprMemo *buildLayout(TReport &report) const;
};

namespace LabelLayouts {
// The report of a sheet on the given data set, for programs without the holder
// windows.
std::unique_ptr<TReport> make(const LabelSheet &sheet, ReportDataSet *data);
// The address memo of a label report laid out by LabelSheet, or nullptr.
TRpExprMemo *addressMemo(TCustomReport &report);
} // namespace LabelLayouts
