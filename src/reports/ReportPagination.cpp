#include "reports/ReportPagination.h"

#include "reports/ReportUnits.h"

using ReportUnits::fromMm;
using ReportUnits::roundMmToUnits;
using ReportUnits::roundUnits;

qreal PageGeometry::printableWidth() const
{
    return paperWidth - leftMargin - rightMargin;
}

qreal PageGeometry::columnWidth() const
{
    const int n = std::max(1, columns);
    return (printableWidth() - (n - 1) * columnSpace) / n;
}

int PageGeometry::columnLeft(int column) const
{
    return roundMmToUnits(leftMargin) +
           (column - 1) * (roundMmToUnits(columnWidth()) + roundMmToUnits(columnSpace));
}

int PageGeometry::pageTop() const
{
    return roundMmToUnits(topMargin);
}

qreal PageGeometry::lowerLimit() const
{
    return fromMm(paperLength - bottomMargin - footerHeight);
}

qreal PageGeometry::usableLength() const
{
    return fromMm(paperLength - topMargin - bottomMargin);
}

ReportPaginator::ReportPaginator(const PageGeometry &geometry, qreal titleHeight,
                                 qreal columnHeaderHeight, Listener listener)
    : m_geo(geometry), m_titleHeight(titleHeight), m_columnHeaderHeight(columnHeaderHeight),
      m_listener(std::move(listener)), m_column(std::max(1, geometry.columns))
{
    m_geo.columns = std::max(1, geometry.columns);
}

ReportPaginator::Placement ReportPaginator::placeBand(qreal height)
{
    const qreal bandHeight = fromMm(height);
    const int spaceLeft = roundUnits(m_geo.lowerLimit() - m_y);
    // The small tolerance lets a band exactly as tall as the space left stay,
    // whatever binary floating point made of its decimal millimetres.
    const bool tooTall = bandHeight > spaceLeft + 1e-6 && bandHeight <= m_geo.usableLength() + 1e-6;
    if (!pageStarted() || tooTall)
        nextColumn();
    const Placement p = here();
    m_y += roundMmToUnits(height);
    return p;
}

void ReportPaginator::finish(bool footerOnLastPage)
{
    if (pageStarted() && m_listener.pageFinished)
        m_listener.pageFinished(m_page, roundUnits(m_geo.lowerLimit()), footerOnLastPage);
}

void ReportPaginator::nextColumn()
{
    if (m_column >= m_geo.columns) {
        if (pageStarted() && m_listener.pageFinished)
            m_listener.pageFinished(m_page, roundUnits(m_geo.lowerLimit()), true);
        ++m_page;
        m_y = m_geo.pageTop();
        m_columnTop = m_page == 1 ? m_y + roundMmToUnits(m_titleHeight) : m_y;
        m_x = m_geo.columnLeft(1);
        m_column = 1;
        if (m_listener.pageBegun)
            m_listener.pageBegun(m_page);
    } else {
        ++m_column;
        m_x = m_geo.columnLeft(m_column);
        m_y = m_columnTop;
    }
    if (!(m_page == 1 && m_column == 1) && m_columnHeaderHeight > 0) {
        const Placement p = here();
        m_y += roundMmToUnits(m_columnHeaderHeight);
        if (m_listener.columnHeader)
            m_listener.columnHeader(p);
    }
}
