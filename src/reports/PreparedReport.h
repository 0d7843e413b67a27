#pragma once

#include "reports/ReportText.h"

#include <QColor>
#include <QPageLayout>
#include <QRectF>
#include <QString>
#include <QVector>

class QIODevice;

// One drawing item of a prepared page. Every position and size is in layout
// units (0.1 mm) from the paper's top-left corner; nothing depends on a device.
struct PreparedItem
{
    enum Kind : quint8
    {
        FilledBox, // rect filled with color
        TextLine,  // text drawn from rect's top-left; rect.height() is the line's cell
        FrameLine, // rect is the line's ink at its nominal width, lying inside a box
        RichText,  // html laid out at rect's width, printed down to clipHeight
    };
    // Which edge of its box a frame line runs along; when a device cannot show
    // the nominal width it grows to one device pixel away from that edge.
    enum Edge : quint8
    {
        EdgeTop,
        EdgeBottom,
        EdgeLeft,
        EdgeRight
    };

    Kind kind = FilledBox;
    // FrameLine
    Edge edge = EdgeTop;
    QRectF rect;
    QColor color = Qt::black;
    // TextLine
    QString text;
    ReportFont font;
    qreal baseline = 0; // from rect's top
    // RichText: text holds the content as HTML
    qreal clipHeight = 0;

    bool operator==(const PreparedItem &o) const;
    bool operator!=(const PreparedItem &o) const { return !(*this == o); }
};

struct PreparedPage
{
    QVector<PreparedItem> items;

    bool operator==(const PreparedPage &o) const { return items == o.items; }
    bool operator!=(const PreparedPage &o) const { return !(*this == o); }
};

// The pages of a run, each the same paper, numbered from 1 (pages[0] is page 1).
struct PreparedReport
{
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QString title;
    QVector<PreparedPage> pages;

    // A4 turned by the orientation.
    qreal paperWidthMm() const;
    qreal paperLengthMm() const;

    // The saved form: see PreparedReport.cpp for the layout. Writing throws
    // VarnelError when the device fails; reading throws VarnelError for a file
    // that is not a saved report or is damaged, and never returns half a report.
    void save(QIODevice &device) const;
    static PreparedReport load(QIODevice &device);
    void saveToFile(const QString &fileName) const;
    static PreparedReport loadFromFile(const QString &fileName);
    // A body in the saved form's frame: the header with its size and checksum.
    static QByteArray framed(const QByteArray &body);

    bool operator==(const PreparedReport &o) const
    {
        return orientation == o.orientation && title == o.title && pages == o.pages;
    }
};
