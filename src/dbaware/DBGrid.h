#pragma once

#include "dbaware/DataSource.h"

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

struct GridColumn
{
    int field;       // index in AddressFields
    QString title;
    int designedWidth; // pixels; 0 = from the field's display width
};

// The rows of the query as a table. The view is virtual: nothing is kept per
// row here, every cell is read from the query when painted.
class GridModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The font the titles are drawn in; the sorted column's title is its bold form.
    void setTitleFont(const QFont &font) { m_titleFont = font; }
    GridModel(AdoQuery *query, QVector<GridColumn> columns, QObject *parent = nullptr);
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    const QVector<GridColumn> &columns() const { return m_columns; }
    void setBoldColumn(int column); // -1 for none
    int boldColumn() const { return m_boldColumn; }
    // Entries offered by a column's drop-down while one of its cells is edited.
    QStringList pickList(int column) const { return m_pickLists.value(column); }
    void setPickList(int column, const QStringList &entries) { m_pickLists.insert(column, entries); }

private:
    void reset();
    AdoQuery *m_query;
    QVector<GridColumn> m_columns;
    int m_rows = 0;
    int m_boldColumn = -1;
    QFont m_titleFont;
    int m_indicatorRow = -1; // the row the indicator was last drawn on
    QHash<int, QStringList> m_pickLists;
};

// The cell editor: a one-line edit that stops at the field's length. A column
// with a pick list gets an editable drop-down instead: it offers the entries
// (at most twelve rows at a time) and still takes any text typed into it.
class GridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    GridDelegate(AdoQuery *query, const GridModel *model, QObject *parent = nullptr);
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    static constexpr int PickListRows = 12;

protected:
    AdoQuery *m_query;
    const GridModel *m_model;
};

// The address grid: a title row, an indicator column marking the current
// record and its state, cells edited in place.
class DBGrid : public QTableView
{
    Q_OBJECT
public:
    DBGrid(DataSource *source, QVector<GridColumn> columns, QWidget *parent = nullptr);
    ~DBGrid() override;
    using QTableView::edit;
    GridModel *gridModel() const { return m_model; }
    DataSource *dataSource() const { return m_source; }
    // Width of a column by its field's display width, as the grid works it out.
    int displayWidthPixels(int characters) const;
    int designedWidth(int column) const;
    QStringList pickList(int column) const { return m_model->pickList(column); }
    void setPickList(int column, const QStringList &entries) { m_model->setPickList(column, entries); }
    // The column that shows a field (an AddressFields index); -1 for none.
    int columnOf(int field) const;
    // Closes an open cell editor without keeping what was typed in it.
    void discardEditor();
    // The open cell editor, if any, and the cell it edits.
    QWidget *openEditor() const;
    QModelIndex editedIndex() const { return m_editedIndex; }

signals:
    void titleClicked(int column);
    void recordDoubleClicked();
    // Ctrl+Delete: the grid asks before it deletes.
    void deleteRequested();

protected:
    bool event(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void followQuery(int row);
    // Hands the text of the open cell editor to the current record.
    void handOverEditor();
    void editorClosed();
    DataSource *m_source;
    GridModel *m_model;
    bool m_following = false;
    QPersistentModelIndex m_editedIndex;
    QPointer<AdoQuery> m_query; // may go before the grid when the window closes
};
