#pragma once

#include <QtGlobal>
#include <functional>

// The page a layout describes, in millimetres, and the figures a run derives
// from it in whole layout units (0.1 mm) from the paper's top-left corner.
struct PageGeometry
{
    qreal paperWidth = 210.0;
    qreal paperLength = 297.0;
    qreal topMargin = 0;
    qreal bottomMargin = 0;
    qreal leftMargin = 0;
    qreal rightMargin = 0;
    int columns = 1;
    qreal columnSpace = 0;
    qreal footerHeight = 0; // the page footer band's height, 0 when there is none

    qreal printableWidth() const; // mm
    qreal columnWidth() const;    // mm
    // Where column n (from 1) starts. The margin, the column width and the
    // space are each first put on the 0.1 mm grid, as the run places bands.
    int columnLeft(int column) const;
    int pageTop() const;
    // Page length - bottom margin - page footer, in units and not rounded.
    qreal lowerLimit() const;
    // The tallest band that can be moved to a fresh column; a taller one is
    // printed where it stands.
    qreal usableLength() const;
};

// Decides where each band of a run goes, from band heights alone: filling a
// column top-down, then the next column, then a new page. The run prints; the
// paginator only tells it where, and when a page begins or ends and when a new
// column wants its column header.
class ReportPaginator
{
public:
    struct Placement
    {
        int page = 0;
        int column = 0;
        int x = 0; // units
        int y = 0; // units
    };

    struct Listener
    {
        std::function<void(int page)> pageBegun;
        // footerTop in units; printFooter is false only for the run's last page
        // without the option to print the footer there.
        std::function<void(int page, int footerTop, bool printFooter)> pageFinished;
        // A column other than the first of page 1 has begun: its column header
        // goes at the placement given, before anything else.
        std::function<void(const Placement &)> columnHeader;
    };

    // titleHeight: the title band's height in mm (0 without one), which keeps
    // the columns of page 1 below the title. columnHeaderHeight likewise.
    ReportPaginator(const PageGeometry &geometry, qreal titleHeight, qreal columnHeaderHeight,
                    Listener listener = {});

    // Where a band of this height (mm) prints; moves the position past it.
    Placement placeBand(qreal height);
    // Ends the run: the page in hand, if any, is finished.
    void finish(bool footerOnLastPage);

    bool pageStarted() const { return m_page > 0; }
    int pageCount() const { return m_page; }

private:
    void nextColumn();
    Placement here() const { return {m_page, m_column, m_x, m_y}; }

    PageGeometry m_geo;
    qreal m_titleHeight;
    qreal m_columnHeaderHeight;
    Listener m_listener;
    int m_page = 0;
    int m_column;
    int m_x = 0;
    int m_y = 0;
    int m_columnTop = 0;
};
