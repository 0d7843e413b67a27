#pragma once

#include "dbaware/DataSource.h"

#include <QToolButton>
#include <QWidget>

// Buttons that move through and save the records of a data source.
class DBNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Edit, Post, Cancel, Refresh };
    // `buttons` lists the buttons shown, left to right; `hints` their hints.
    DBNavigator(DataSource *source, const QList<Button> &buttons, const QStringList &hints,
                QWidget *parent = nullptr);
    QToolButton *button(Button b) const;
    // Asked before Delete acts; return false to leave the record alone.
    std::function<bool()> confirmDelete;

    static QIcon glyph(Button b);

private:
    void updateButtons();
    void click(Button b);
    DataSource *m_source;
    QHash<int, QToolButton *> m_buttons;
};
