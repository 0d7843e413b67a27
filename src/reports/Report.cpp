#include "reports/Report.h"

#include "reports/ReportDataSet.h"
#include "reports/ReportPagination.h"
#include "reports/ReportUnits.h"

#include <QCoreApplication>

using ReportUnits::fromMm;

TCustomReport::TCustomReport(QObject *parent) : QObject(parent)
{
    m_font.font = QFont(QStringLiteral("Arial"));
    m_font.font.setPointSizeF(10);
}

TCustomReport::~TCustomReport() = default;

TRpBand *TCustomReport::addBand(TRpBandType type, qreal height)
{
    auto band = std::make_unique<TRpBand>(this, type, height);
    TRpBand *raw = band.get();
    m_bands.push_back(std::move(band));
    return raw;
}

TRpGroup *TCustomReport::addGroup(const QString &expression, qreal height)
{
    auto band = std::make_unique<TRpGroup>(this, height);
    band->setExpression(expression);
    TRpGroup *raw = band.get();
    m_bands.push_back(std::move(band));
    return raw;
}

TRpCustomBand *TCustomReport::findBand(TRpBandType type) const
{
    for (const auto &b : m_bands)
        if (b->bandType() == type)
            return b.get();
    return nullptr;
}

void TCustomReport::setTextFence(const TRpTextFence &fence)
{
    for (const auto &band : m_bands)
        for (const auto &control : band->controls())
            if (auto *text = dynamic_cast<TRpCustomLabel *>(control.get()))
                text->setFence(fence);
}

PageGeometry TCustomReport::geometry() const
{
    PageGeometry g;
    g.paperWidth = m_page.paperWidth();
    g.paperLength = m_page.paperLength();
    g.topMargin = m_page.TopMargin;
    g.bottomMargin = m_page.BottomMargin;
    g.leftMargin = m_page.LeftMargin;
    g.rightMargin = m_page.RightMargin;
    g.columns = std::max(1, m_page.Columns);
    g.columnSpace = m_page.ColumnSpace;
    const TRpCustomBand *footer = findBand(rbPageFooter);
    g.footerHeight = footer ? footer->height() : 0;
    return g;
}

// Everything a run holds while it goes on; the guards undo what it did to the
// report and the data set whichever way it ends.
struct TCustomReport::Run
{
    TCustomReport &report;
    PreparedReport &out;
    TRpRunContext ctx;
    PageGeometry geo;

    Run(TCustomReport &r, PreparedReport &o) : report(r), out(o), geo(r.geometry())
    {
        ctx.printableArea =
            QRectF(fromMm(geo.leftMargin), fromMm(geo.topMargin), fromMm(geo.printableWidth()),
                   fromMm(geo.paperLength - geo.topMargin - geo.bottomMargin));
    }

    void printBand(TRpCustomBand &band, int x, int y, qreal widthMm)
    {
        band.print(ctx, QRectF(x, y, fromMm(widthMm), fromMm(band.height())));
    }
};

namespace {

template <typename F> class Finally
{
public:
    explicit Finally(F f) : m_f(std::move(f)) {}
    ~Finally() { m_f(); }
    Finally(const Finally &) = delete;
    Finally &operator=(const Finally &) = delete;

private:
    F m_f;
};

} // namespace

bool TCustomReport::run()
{
    return run(PageSink());
}

bool TCustomReport::run(const PageSink &sink)
{
    if (m_running)
        return false;
    m_running = true;
    m_stopRequested = false;
    Finally notRunning([this] { m_running = false; });

    auto out = std::make_shared<PreparedReport>();
    out->orientation = m_page.Orientation;
    out->title = m_reportTitle;
    m_prepared = out;

    // A closed data set has no rows: the run prints as for an empty one.
    ReportDataSet *data = m_dataSet && m_dataSet->isActive() ? m_dataSet : nullptr;
    Run run(*this, *out);
    run.ctx.dataSet = data;

    std::vector<TRpCustomBand *> prepared;
    Finally unprepare([&prepared] {
        for (TRpCustomBand *b : prepared)
            b->unprepare();
    });
    for (const auto &b : m_bands) {
        prepared.push_back(b.get());
        b->prepare(run.ctx);
    }

    TRpCustomBand *title = findBand(rbTitle);
    TRpCustomBand *columnHeader = findBand(rbColumnHeader);
    TRpCustomBand *footer = findBand(rbPageFooter);
    std::vector<TRpGroup *> groups;
    std::vector<TRpCustomBand *> details;
    for (const auto &b : m_bands) {
        if (b->bandType() == rbGroupHeader)
            groups.push_back(static_cast<TRpGroup *>(b.get()));
        else if (b->bandType() == rbDetail)
            details.push_back(b.get());
    }
    const qreal printableWidth = run.geo.printableWidth();
    const qreal columnWidth = run.geo.columnWidth();

    // A streaming run reuses one page for all of them.
    PreparedPage inHand;
    ReportPaginator::Listener listener;
    listener.pageBegun = [&](int page) {
        if (sink) {
            inHand.items.clear();
            run.ctx.page = &inHand;
        } else {
            out->pages.append(PreparedPage());
            run.ctx.page = &out->pages.last();
        }
        run.ctx.pageNumber = page;
    };
    listener.pageFinished = [&](int page, int footerTop, bool printFooter) {
        if (footer && printFooter)
            run.printBand(*footer, run.geo.columnLeft(1), footerTop, printableWidth);
        if (sink)
            sink(inHand, page);
        else // kept for the preview: no room beyond its items
            out->pages.last().items.squeeze();
        emit pageFinished(page);
    };
    listener.columnHeader = [&](const ReportPaginator::Placement &p) {
        run.printBand(*columnHeader, p.x, p.y, columnWidth);
    };
    ReportPaginator pages(run.geo, title ? title->height() : 0,
                          columnHeader ? columnHeader->height() : 0, listener);
    auto place = [&](TRpCustomBand *band, qreal widthMm) {
        const ReportPaginator::Placement p = pages.placeBand(band->height());
        run.printBand(*band, p.x, p.y, widthMm);
    };

    if (data)
        data->disableControls();
    Finally enable([data] {
        if (data)
            data->enableControls();
    });

    emit progress(0);
    if (data)
        data->first();
    if (!data || data->eof()) {
        if (m_printIfEmpty) {
            run.ctx.row = nullptr;
            if (title)
                place(title, printableWidth);
            for (TRpCustomBand *d : details)
                place(d, columnWidth);
        }
    } else {
        run.ctx.row = data;
        if (title)
            place(title, printableWidth);
        if (columnHeader)
            place(columnHeader, columnWidth);
        const int total = data->recordCount();
        std::vector<QString> lastValues(groups.size());
        int done = 0;
        while (!data->eof()) {
            for (size_t g = 0; g < groups.size(); ++g) {
                const QString value = groups[g]->groupValue(run.ctx);
                if (done == 0 || value != lastValues[g])
                    place(groups[g], columnWidth);
                lastValues[g] = value;
            }
            for (TRpCustomBand *d : details)
                place(d, columnWidth);
            data->next();
            ++done;
            emit progress(total > 0 ? std::min(100, int(qint64(done) * 100 / total)) : 100);
            QCoreApplication::processEvents();
            if (m_stopRequested)
                break;
        }
    }
    pages.finish(m_options.testFlag(LastPageFooter));
    emit runFinished();
    return true;
}
