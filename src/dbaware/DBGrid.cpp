#include "dbaware/DBGrid.h"

#include "platform/Guard.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

GridModel::GridModel(AdoQuery *query, QVector<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns))
{
    m_rows = query->recordCount();
    connect(query, &AdoQuery::dataSetChanged, this, &GridModel::reset);
    connect(query, &AdoQuery::rowInserted, this, [this](int row) {
        beginInsertRows(QModelIndex(), row, row);
        m_rows = m_query->recordCount();
        endInsertRows();
    });
    connect(query, &AdoQuery::rowRemoved, this, [this](int row) {
        beginRemoveRows(QModelIndex(), row, row);
        m_rows = m_query->recordCount();
        endRemoveRows();
    });
    connect(query, &AdoQuery::recordChanged, this, [this](int row) {
        if (row >= 0 && row < m_rows)
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        emit headerDataChanged(Qt::Vertical, qMax(row, 0), qMax(row, 0));
    });
    connect(query, &AdoQuery::stateChanged, this, [this] {
        if (m_query->recNo() >= 0)
            emit headerDataChanged(Qt::Vertical, m_query->recNo(), m_query->recNo());
    });
    // The indicator moves: only the row it leaves and the row it comes to
    // need repainting.
    connect(query, &AdoQuery::currentChanged, this, [this](int row) {
        for (int r : {m_indicatorRow, row})
            if (r >= 0 && r < m_rows)
                emit headerDataChanged(Qt::Vertical, r, r);
        m_indicatorRow = row;
    });
}

void GridModel::reset()
{
    beginResetModel();
    m_rows = m_query->recordCount();
    endResetModel();
}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }

int GridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    return m_query->displayText(index.row(), m_columns.at(index.column()).field);
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    return guarded(nullptr, [&] {
        const int field = m_columns.at(index.column()).field;
        const QString text = value.toString();
        // Leaving a cell unchanged must neither start an edit nor move the
        // query back to a row it has already left.
        if (text == m_query->displayText(index.row(), field))
            return;
        if (m_query->recNo() != index.row())
            m_query->moveTo(index.row());
        m_query->setFieldText(field, text);
    });
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= m_columns.size())
            return QVariant();
        if (role == Qt::DisplayRole)
            return m_columns.at(section).title;
        if (role == Qt::FontRole && section == m_boldColumn) {
            QFont f = m_titleFont;
            f.setBold(true);
            return f;
        }
        return QVariant();
    }
    if (role == Qt::DisplayRole) {
        // The indicator: which row is current, and whether it is being edited
        // or is a new record.
        if (section != m_query->recNo())
            return QString();
        switch (m_query->state()) {
        case DataSetState::Edit:
            return QStringLiteral("I");
        case DataSetState::Insert:
            return QStringLiteral("*");
        default:
            return QStringLiteral("\u25B8");
        }
    }
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return QVariant();
}

void GridModel::setBoldColumn(int column)
{
    const int old = m_boldColumn;
    m_boldColumn = column;
    if (old >= 0)
        emit headerDataChanged(Qt::Horizontal, old, old);
    if (column >= 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
}

GridDelegate::GridDelegate(AdoQuery *query, const GridModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_query(query), m_model(model)
{
}

QWidget *GridDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    const int size = m_query->fields().at(m_model->columns().at(index.column()).field).size;
    const QStringList picks = m_model->pickList(index.column());
    if (!picks.isEmpty()) {
        auto *combo = new QComboBox(parent);
        combo->setObjectName(QStringLiteral("pickListEditor"));
        combo->setEditable(true);
        combo->setFrame(false);
        // The list helps typing, nothing more: no completion that would turn
        // a typed name into a listed one, and nothing typed joins the list.
        combo->setCompleter(nullptr);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(PickListRows);
        combo->addItems(picks);
        // The list opens as wide as its longest entry, not just the column.
        int widest = 0;
        for (const QString &entry : picks)
            widest = std::max(widest, combo->view()->fontMetrics().horizontalAdvance(entry));
        combo->view()->setMinimumWidth(widest + 2 * combo->view()->frameWidth() + 12 +
                                       combo->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
        if (size > 0)
            combo->lineEdit()->setMaxLength(size);
        return combo;
    }
    QWidget *w = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        if (size > 0)
            edit->setMaxLength(size);
    }
    return w;
}

void GridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        const QString text = index.data(Qt::EditRole).toString();
        const int at = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
        combo->setCurrentIndex(at);
        combo->setEditText(text);
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void GridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        model->setData(index, combo->currentText(), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

DBGrid::DBGrid(DataSource *source, QVector<GridColumn> columns, QWidget *parent)
    : QTableView(parent), m_source(source), m_query(source->dataSet())
{
    m_model = new GridModel(source->dataSet(), std::move(columns), this);
    // While rows come and go the view moves its current cell by itself; that
    // is not the user moving to another record. These are connected before
    // the view's own handlers, which move the current cell while a row is
    // being removed.
    for (auto sig :
         {&QAbstractItemModel::rowsAboutToBeInserted, &QAbstractItemModel::rowsAboutToBeRemoved})
        connect(m_model, sig, this, [this] { m_following = true; });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            [this] { m_following = true; });
    setModel(m_model);
    for (auto sig : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, sig, this, [this] { m_following = false; });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { m_following = false; });
    setItemDelegate(new GridDelegate(source->dataSet(), m_model, this));
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed
                    | QAbstractItemView::SelectedClicked);
    setTabKeyNavigation(true);
    setSortingEnabled(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);

    QHeaderView *titles = horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setHighlightSections(false);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setStretchLastSection(false);
    // Titles can be clicked to sort: the pointer says so over the title row.
    titles->setCursor(Qt::PointingHandCursor);
    viewport()->setCursor(Qt::ArrowCursor);
    connect(titles, &QHeaderView::sectionClicked, this, &DBGrid::titleClicked);

    QHeaderView *indicator = verticalHeader();
    indicator->setSectionResizeMode(QHeaderView::Fixed);
    indicator->setFixedWidth(14);
    indicator->setSectionsClickable(false);
    indicator->setHighlightSections(false);
    const int rowHeight = fontMetrics().height() + 4;
    indicator->setDefaultSectionSize(rowHeight);
    indicator->setMinimumSectionSize(rowHeight);

    for (int c = 0; c < m_model->columnCount(); ++c)
        setColumnWidth(c, designedWidth(c));
    m_model->setTitleFont(titles->font());

    AdoQuery *query = source->dataSet();
    connect(query, &AdoQuery::currentChanged, this, &DBGrid::followQuery);
    connect(query, &AdoQuery::dataSetChanged, this, [this] { followQuery(m_source->dataSet()->recNo()); });
    connect(query, &AdoQuery::rowRemoved, this, [this] {
        // A record that vanished under an open editor takes the editor with it.
        discardEditor();
    });
}

int DBGrid::displayWidthPixels(int characters) const
{
    return characters * fontMetrics().horizontalAdvance(QLatin1Char('0')) + 4;
}

int DBGrid::columnOf(int field) const
{
    const QVector<GridColumn> &columns = m_model->columns();
    for (int c = 0; c < columns.size(); ++c)
        if (columns.at(c).field == field)
            return c;
    return -1;
}

int DBGrid::designedWidth(int column) const
{
    const GridColumn &c = m_model->columns().at(column);
    if (c.designedWidth > 0)
        return c.designedWidth;
    return displayWidthPixels(m_source->dataSet()->fields().at(c.field).displayWidth);
}

DBGrid::~DBGrid()
{
    if (m_query)
        m_query->removePendingEditor(this);
}

void DBGrid::discardEditor()
{
    if (state() != EditingState) {
        editorClosed();
        return;
    }
    // Cell editors live directly on the viewport; closeEditor ignores any
    // other child.
    const auto children = viewport()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
    for (QWidget *w : children)
        QTableView::closeEditor(w, QAbstractItemDelegate::RevertModelCache);
    editorClosed();
}

namespace {
// The line a cell editor is typed into: the editor itself, or a drop-down's.
QLineEdit *lineOf(QWidget *editor)
{
    if (auto *combo = qobject_cast<QComboBox *>(editor))
        return combo->lineEdit();
    return qobject_cast<QLineEdit *>(editor);
}
} // namespace

QWidget *DBGrid::openEditor() const
{
    return m_editedIndex.isValid() ? indexWidget(m_editedIndex) : nullptr;
}

bool DBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    if (!QTableView::edit(index, trigger, event))
        return false;
    QWidget *editor = indexWidget(index);
    if (!editor || m_editedIndex == index)
        return true;
    m_editedIndex = index;
    AdoQuery *query = m_source->dataSet();
    // Whatever saves, moves or finishes the record first takes what is typed
    // in the cell, as if the user had left it.
    query->addPendingEditor(this, [this] { handOverEditor(); });
    // The first key typed starts the edit, as in every other bound control.
    QLineEdit *line = lineOf(editor);
    if (!line)
        return true;
    const auto startEdit = [this, query] {
        if (query->state() == DataSetState::Browse)
            guarded(window(), [query] { query->edit(); });
    };
    connect(line, &QLineEdit::textEdited, this, startEdit);
    // The key that opened the editor has already been typed into it.
    if (line->isModified())
        startEdit();
    return true;
}

void DBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (!openEditor())
        editorClosed();
    // Esc takes back what was typed in the cell; when that was all the edit
    // held, the record is no longer being edited.
    AdoQuery *query = m_source->dataSet();
    if (hint == QAbstractItemDelegate::RevertModelCache && query->state() == DataSetState::Edit &&
        !query->modified())
        guarded(window(), [query] { query->cancel(); });
}

void DBGrid::editorClosed()
{
    m_editedIndex = QPersistentModelIndex();
    if (m_query)
        m_query->removePendingEditor(this);
}

void DBGrid::handOverEditor()
{
    QLineEdit *line = lineOf(openEditor());
    AdoQuery *query = m_source->dataSet();
    if (!line || m_editedIndex.row() != query->recNo())
        return;
    const QString text = line->text();
    const int field = m_model->columns().at(m_editedIndex.column()).field;
    // A refusal propagates: the save or move that asked does not happen.
    if (text != query->displayText(field))
        query->setFieldText(field, text);
}

void DBGrid::followQuery(int row)
{
    if (m_following)
        return;
    // The record under an open editor has been left (its text was handed
    // over before the move): the editor goes with it.
    if (m_editedIndex.isValid() && m_editedIndex.row() != row)
        discardEditor();
    m_following = true;
    if (row < 0) {
        selectionModel()->clearCurrentIndex();
    } else if (currentIndex().row() != row) {
        const int column = currentIndex().isValid() ? currentIndex().column() : 0;
        const QModelIndex idx = m_model->index(row, column);
        selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect);
        scrollTo(idx);
    }
    m_following = false;
}

void DBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid())
        return;
    AdoQuery *query = m_source->dataSet();
    if (!query->active() || current.row() == query->recNo())
        return;
    // Moving to another row finishes the record; when it cannot be saved the
    // grid goes back to it so the user can correct or cancel it.
    const bool moved = guarded(window(), [&] { query->moveTo(current.row()); });
    if (!moved)
        QTimer::singleShot(0, this, [this] { followQuery(m_source->dataSet()->recNo()); });
}

bool DBGrid::event(QEvent *e)
{
    // Enter belongs to the grid (it opens or closes the cell editor), not to
    // the window's default button.
    if (e->type() == QEvent::ShortcutOverride) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
            e->accept();
            return true;
        }
    }
    return QTableView::event(e);
}

void DBGrid::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
        emit deleteRequested();
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && state() != EditingState
        && currentIndex().isValid()) {
        QTableView::edit(currentIndex());
        return;
    }
    if (e->key() == Qt::Key_Insert && e->modifiers() == Qt::NoModifier) {
        guarded(window(), [this] { m_source->dataSet()->insert(); });
        return;
    }
    QTableView::keyPressEvent(e);
}

void DBGrid::focusOutEvent(QFocusEvent *e)
{
    QTableView::focusOutEvent(e);
    // Leaving the grid drops a new record nothing was typed into. Focus going
    // to the grid's own cell editor, or to another window, is not leaving.
    QWidget *to = QApplication::focusWidget();
    if (!to || isAncestorOf(to) || to == this || to->window() != window())
        return;
    AdoQuery *query = m_source->dataSet();
    if (query->state() == DataSetState::Insert && !query->modified())
        guarded(window(), [query] { query->cancel(); });
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent *e)
{
    QTableView::mouseDoubleClickEvent(e);
    emit recordDoubleClicked();
}
