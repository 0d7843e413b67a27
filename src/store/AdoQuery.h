#pragma once

#include "store/AdoConnection.h"
#include "store/AddressFields.h"
#include "reports/ReportDataSet.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <vector>

enum class DataSetState { Inactive, Browse, Edit, Insert };

// The program's one view of the address table: the rows of its statement, the
// current record and the edit state. Every grid, record window and report
// works on the same object, so a selection or an edit made anywhere is seen
// everywhere.
//
// Rows are fetched whole when the statement is opened. The current record is
// finished (saved when something was typed, otherwise dropped) before every
// move and insert. Each save, insert and delete goes to the file at once.
class AdoQuery : public QObject, public ReportDataSet
{
    Q_OBJECT
public:
    explicit AdoQuery(AdoConnection *connection, QObject *parent = nullptr);
    ~AdoQuery() override;

    AdoConnection *connection() const { return m_connection; }

    // The statement, as lines joined by line breaks when sent.
    QStringList sql() const { return m_sql; }
    void clearSql() { m_sql.clear(); }
    void addSql(const QString &line) { m_sql << line; }
    void setSql(const QStringList &lines) { m_sql = lines; }

    bool active() const { return m_state != DataSetState::Inactive; }
    bool isActive() const override { return active(); }
    QString name() const override { return objectName(); }
    bool hasField(const QString &fieldName) const override { return AddressFields::indexOf(fieldName) >= 0; }
    DataSetState state() const { return m_state; }
    void open();
    void close();
    // Closes and opens again on the same statement: the rows as the book
    // holds them now, from the first.
    void reopen()
    {
        close();
        open();
    }

    // The fixed field list, available while closed.
    const QVector<FieldDef> &fields() const { return AddressFields::all(); }

    int recordCount() const override { return m_rows.size(); }
    bool isEmpty() const { return m_rows.empty(); }
    int recNo() const { return m_cur; } // 0-based current row, -1 when none
    bool bof() const { return m_bof; }
    bool eof() const override { return m_eof; }

    void first() override;
    void prior();
    void next() override;
    void last();
    // Moves to a row by position (the grid's click); finishes the record first.
    void moveTo(int row);

    void insert();
    void edit();
    void post();
    void cancel();
    void cancelUpdates();
    void deleteRecord();
    // Saves a changed record, drops an untouched one.
    void checkBrowseMode();
    // Controls that hold typed text not yet handed to its field (a date being
    // typed) hand it over here, before the record is saved or finished. A
    // value the field refuses raises, and the save or move does not happen.
    void addPendingEditor(const QObject *owner, std::function<void()> handOver);
    void removePendingEditor(const QObject *owner);
    void updateRecord();
    bool modified() const { return m_modified; }

    // Field values of the current record (the edit buffer while editing).
    // Text fields give a QString or a null QVariant, Birthday a QDateTime.
    QVariant fieldValue(const QString &name) const;
    QVariant fieldValue(int field) const;
    // What a control shows for the field; Birthday in the user's date format.
    QString displayText(const QString &name) const override;
    QString displayText(int field) const;
    QString displayText(int row, int field) const; // any row, for grids
    // Sets a field, starting an edit when browsing. Empty text stores null.
    void setFieldValue(const QString &name, const QVariant &value);
    void setFieldValue(int field, const QVariant &value);
    // Sets a field from typed text; Birthday is read in the user's date format.
    void setFieldText(int field, const QString &text);
    void setFieldText(const QString &name, const QString &text);

    // In-place sort of the open result: "Field ASC" or "Field DESC"; empty
    // keeps the fetched order. Reading gives the text last set.
    QString sort() const { return m_sort; }
    void setSort(const QString &sortText);

    // While disabled no change is signalled; enabling signals one full refresh.
    void disableControls() override;
    void enableControls() override;
    bool controlsDisabled() const { return m_disabled > 0; }

    // Runs before every save, before anything is written.
    void setBeforePost(std::function<void()> hook) { m_beforePost = std::move(hook); }

    // Reads the rows anew (another user saved a change) and stays on the same
    // person while the selection still holds them, with the in-place sort
    // kept. Does nothing and gives false while a record is being edited or
    // inserted: a refresh never drops typed values.
    bool refresh();

    static QString dateTimeText(const QDateTime &value);
    static QDateTime parseDateTime(const QString &text, bool *ok);

signals:
    void dataSetChanged();          // opened, closed, sorted, or a full refresh
    void rowInserted(int row);
    void rowRemoved(int row);
    void recordChanged(int row);    // values of a row changed
    void currentChanged(int row);
    void stateChanged(DataSetState state);

private:
    void checkActive() const;
    void setState(DataSetState s);
    void setCurrent(int row, bool signal = true);
    void removeCurrentRow();
    bool editing() const { return m_state == DataSetState::Edit || m_state == DataSetState::Insert; }
    // A row's field as stored; the edit buffer for the current row while editing.
    QVariant stored(int row, int field) const;
    QVariant storedToValue(int field, const QVariant &stored) const;
    QVariant valueToStored(int field, const QVariant &value) const;
    QString textOf(int row, int field) const;
    void emitIfEnabled(void (AdoQuery::*signal)(int), int arg);

    AdoConnection *m_connection;
    QStringList m_sql;
    DataSetState m_state = DataSetState::Inactive;
    RowStore m_rows{AddressFields::StoredCount}; // as fetched: text or null
    int m_cur = -1;
    bool m_bof = true, m_eof = true;
    QVector<QVariant> m_buffer;
    bool m_modified = false;
    QString m_sort;
    int m_disabled = 0;
    std::function<void()> m_beforePost;
    std::vector<std::pair<const QObject *, std::function<void()>>> m_pendingEditors;
};
