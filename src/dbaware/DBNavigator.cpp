#include "dbaware/DBNavigator.h"

#include "widgets/Hints.h"
#include "platform/Guard.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {
const char *const kNames[] = {"First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel", "Refresh"};
}

DBNavigator::DBNavigator(DataSource *source, const QList<Button> &buttons, const QStringList &hints,
                         QWidget *parent)
    : QWidget(parent), m_source(source)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < buttons.size(); ++i) {
        const Button b = buttons.at(i);
        auto *tb = new QToolButton(this);
        tb->setObjectName(QStringLiteral("nb") + QLatin1String(kNames[b]));
        tb->setIcon(glyph(b));
        tb->setIconSize(QSize(16, 16));
        tb->setAutoRaise(false);
        tb->setFocusPolicy(Qt::NoFocus);
        tb->setMinimumSize(25, 25);
        tb->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        if (i < hints.size())
            setHint(tb, hints.at(i));
        connect(tb, &QToolButton::clicked, this, [this, b] { click(b); });
        row->addWidget(tb);
        m_buttons.insert(b, tb);
    }
    AdoQuery *q = source->dataSet();
    connect(q, &AdoQuery::stateChanged, this, &DBNavigator::updateButtons);
    connect(q, &AdoQuery::currentChanged, this, &DBNavigator::updateButtons);
    connect(q, &AdoQuery::dataSetChanged, this, &DBNavigator::updateButtons);
    connect(q, &AdoQuery::recordChanged, this, &DBNavigator::updateButtons);
    updateButtons();
}

QToolButton *DBNavigator::button(Button b) const { return m_buttons.value(b); }

void DBNavigator::updateButtons()
{
    AdoQuery *q = m_source->dataSet();
    const bool active = q->active();
    const bool editing = q->state() == DataSetState::Edit || q->state() == DataSetState::Insert;
    const bool up = active && !q->bof();
    const bool down = active && !q->eof();
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        bool on = active;
        switch (Button(it.key())) {
        case First:
        case Prior:
            on = up;
            break;
        case Next:
        case Last:
            on = down;
            break;
        case Post:
        case Cancel:
            on = active && editing;
            break;
        case Edit:
            on = active && !editing;
            break;
        case Delete:
            on = active && !q->isEmpty();
            break;
        default:
            break;
        }
        it.value()->setEnabled(on);
    }
}

void DBNavigator::click(Button b)
{
    AdoQuery *q = m_source->dataSet();
    guarded(window(), [&] {
        switch (b) {
        case First: q->first(); break;
        case Prior: q->prior(); break;
        case Next: q->next(); break;
        case Last: q->last(); break;
        case Insert: q->insert(); break;
        case Delete:
            if (!confirmDelete || confirmDelete())
                q->deleteRecord();
            break;
        case Edit: q->edit(); break;
        case Post: q->post(); break;
        case Cancel: q->cancel(); break;
        case Refresh:
            q->checkBrowseMode();
            q->reopen();
            break;
        }
    });
    updateButtons();
}

QIcon DBNavigator::glyph(Button b)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    auto tri = [&](qreal x, bool left) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 6, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 6, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 6, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (b) {
    case First: p.drawRect(3, 3, 2, 10); tri(6, true); break;
    case Prior: tri(5, true); break;
    case Next: tri(5, false); break;
    case Last: tri(4, false); p.drawRect(11, 3, 2, 10); break;
    case Insert: p.drawRect(7, 3, 2, 10); p.drawRect(3, 7, 10, 2); break;
    case Delete: p.drawRect(3, 7, 10, 2); break;
    case Edit: p.drawRect(3, 11, 10, 2); p.drawRect(11, 3, 2, 8); break;
    case Post: {
        QPen pen(QColor(0x10, 0x80, 0x10), 2.2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(QPolygonF({QPointF(3, 8), QPointF(6.5, 12), QPointF(13, 4)}));
        break;
    }
    case Cancel: {
        QPen pen(QColor(0xb0, 0x10, 0x10), 2.2);
        p.setPen(pen);
        p.drawLine(4, 4, 12, 12);
        p.drawLine(12, 4, 4, 12);
        break;
    }
    case Refresh: p.drawEllipse(QRectF(4, 4, 8, 8)); break;
    }
    p.end();
    return QIcon(pm);
}
