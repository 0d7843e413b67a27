#include "widgets/Hints.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStatusTipEvent>
#include <QWidget>

QString shortHint(const QString &hint)
{
    const int bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.left(bar);
}

QString longHint(const QString &hint)
{
    const int bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void setHint(QWidget *w, const QString &hint)
{
    w->setToolTip(shortHint(hint));
    w->setStatusTip(longHint(hint));
}

void setHint(QAction *a, const QString &hint)
{
    a->setToolTip(shortHint(hint));
    a->setStatusTip(longHint(hint));
}

namespace {

class StatusTipFilter : public QObject
{
public:
    QPointer<QLabel> panel;
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::StatusTip && panel) {
            panel->setText(static_cast<QStatusTipEvent *>(e)->tip());
            return true;
        }
        // A window that goes away while the pointer is on one of its controls
        // never says the pointer left it: its hint goes with it.
        if (e->type() == QEvent::Hide && panel && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow() && watched != panel->window())
            panel->clear();
        return QObject::eventFilter(watched, e);
    }
};

StatusTipFilter *g_filter = nullptr;

} // namespace

void HintHandler::install(QLabel *panel)
{
    if (!g_filter) {
        g_filter = new StatusTipFilter;
        qApp->installEventFilter(g_filter);
    }
    g_filter->panel = panel;
}

void HintHandler::uninstall()
{
    if (!g_filter)
        return;
    qApp->removeEventFilter(g_filter);
    delete g_filter;
    g_filter = nullptr;
}
