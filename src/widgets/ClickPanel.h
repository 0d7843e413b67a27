#pragma once

#include <QLabel>

// A small panel with a lowered edge and a caption that acts as a button on a
// mouse click. It takes no keyboard focus, so the field being typed in keeps it.
class ClickPanel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickPanel(const QString &caption, QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;

private:
    bool m_pressed = false;
};
