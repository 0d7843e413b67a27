#include "widgets/ClickPanel.h"

#include <QMouseEvent>

ClickPanel::ClickPanel(const QString &caption, QWidget *parent) : QLabel(caption, parent)
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
}

void ClickPanel::mousePressEvent(QMouseEvent *e)
{
    m_pressed = e->button() == Qt::LeftButton;
    e->accept();
}

void ClickPanel::mouseReleaseEvent(QMouseEvent *e)
{
    const bool click =
        m_pressed && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
    m_pressed = false;
    e->accept();
    if (click)
        emit clicked();
}
