#pragma once

#include <QMenu>
#include <QSet>

class QToolButton;
class QWidgetAction;

// A menu that shows, once something has been picked from it, only the items
// picked so far, with an expand button at its foot that shows the rest. A menu
// from which nothing has been picked opens in full. Only a pick made in the
// menu itself (mouse or keyboard) counts; triggering the same command by its
// shortcut or from a toolbar does not. Nothing of this is kept beyond the run.
class PersonalizedMenu : public QMenu
{
    Q_OBJECT
public:
    PersonalizedMenu(const QString &title, QWidget *parent = nullptr);

    // Adds an item that stands for command: it shows caption and the command's
    // shortcut, follows its enabled and checked states and runs it. The
    // command itself may also sit on a toolbar; the item never hides it there.
    QAction *addCommand(QAction *command, const QString &caption);

    // The expand button's action at the foot of the menu, and whether the menu
    // is showing everything.
    QWidgetAction *expandAction() const { return m_expand; }
    QToolButton *expandButton() const { return m_expandButton; }
    bool isCollapsed() const;
    bool wasPicked(const QAction *item) const { return m_picked.contains(item); }

public slots:
    void expand();

protected:
    void mouseReleaseEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void collapseToPicked();
    QList<QAction *> m_items;
    QSet<const QAction *> m_picked;
    QWidgetAction *m_expand;
    QToolButton *m_expandButton;
    bool m_inMenuActivation = false;
};
