#include "mailmerge/PersonalizedMenu.h"

#include "widgets/Hints.h"
#include "mailmerge/EditorGlyphs.h"

#include <QKeyEvent>
#include <QToolButton>
#include <QWidgetAction>

PersonalizedMenu::PersonalizedMenu(const QString &title, QWidget *parent) : QMenu(title, parent)
{
    m_expand = new QWidgetAction(this);
    m_expand->setObjectName(QStringLiteral("Expand"));
    m_expandButton = new QToolButton(this);
    m_expandButton->setObjectName(QStringLiteral("ExpandButton"));
    m_expandButton->setIcon(EditorGlyphs::icon(EditorGlyphs::Expand));
    m_expandButton->setAutoRaise(true);
    m_expandButton->setFocusPolicy(Qt::NoFocus);
    m_expandButton->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setHint(m_expandButton, tr("Expand"));
    m_expand->setDefaultWidget(m_expandButton);
    // Chosen with the keyboard the button's action fires instead of a click.
    connect(m_expand, &QAction::triggered, this, [this] {
        expand();
        popup(pos());
    });
    connect(m_expandButton, &QToolButton::clicked, this, &PersonalizedMenu::expand);
    addAction(m_expand);
    m_expand->setVisible(false);

    connect(this, &QMenu::aboutToShow, this, &PersonalizedMenu::collapseToPicked);
    // QMenu::triggered also fires for shortcuts of its items, so a pick is only
    // taken while the menu itself is handling a click or a key.
    connect(this, &QMenu::triggered, this, [this](QAction *a) {
        if (m_inMenuActivation && m_items.contains(a))
            m_picked.insert(a);
    });
}

QAction *PersonalizedMenu::addCommand(QAction *command, const QString &caption)
{
    auto *item = new QAction(this);
    item->setObjectName(command->objectName() + QStringLiteral("Item"));
    // The shortcut is shown but stays the command's: the item registers none.
    QString text = caption;
    if (!command->shortcut().isEmpty())
        text += '\t' + command->shortcut().toString(QKeySequence::NativeText);
    item->setText(text);
    item->setIcon(command->icon());
    item->setStatusTip(command->statusTip());
    item->setCheckable(command->isCheckable());
    auto sync = [item, command] {
        item->setEnabled(command->isEnabled());
        item->setChecked(command->isChecked());
    };
    sync();
    connect(command, &QAction::changed, item, sync);
    connect(item, &QAction::triggered, command, [item, command] {
        command->trigger();
        item->setChecked(command->isChecked());
    });
    insertAction(m_expand, item);
    m_items << item;
    return item;
}

bool PersonalizedMenu::isCollapsed() const
{
    return m_expand->isVisible();
}

void PersonalizedMenu::collapseToPicked()
{
    const bool collapse = !m_picked.isEmpty() && m_picked.size() < m_items.size();
    for (QAction *item : std::as_const(m_items))
        item->setVisible(!collapse || m_picked.contains(item));
    m_expand->setVisible(collapse);
}

void PersonalizedMenu::expand()
{
    for (QAction *item : std::as_const(m_items))
        item->setVisible(true);
    m_expand->setVisible(false);
}

void PersonalizedMenu::mouseReleaseEvent(QMouseEvent *e)
{
    m_inMenuActivation = true;
    QMenu::mouseReleaseEvent(e);
    m_inMenuActivation = false;
}

void PersonalizedMenu::keyPressEvent(QKeyEvent *e)
{
    m_inMenuActivation = true;
    QMenu::keyPressEvent(e);
    m_inMenuActivation = false;
}
