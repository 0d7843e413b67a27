#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>
#include <QVector>
#include <vector>

// The rows of a fetched result in one compact block: every cell's bytes lie
// in one arena (text as UTF-8), found by the end offset of each cell. A whole
// address book is held open, so a row costs its text plus four bytes a cell
// and sixteen a row; QStrings are made only for the cells someone reads.
//
// A changed or inserted row gets fresh cells at the arena's end; the old
// ones stay until the store is cleared.
class RowStore
{
public:
    explicit RowStore(int columns = 0) : m_columns(columns) {}

    int columns() const { return m_columns; }
    int size() const { return int(m_rows.size()); }
    bool empty() const { return m_rows.empty(); }
    void clear();
    void reserve(int rows);
    // Gives back the room reserved beyond what is held (once fetching is done).
    void squeeze();

    qint64 key(int row) const { return m_rows[row].key; }
    void setKey(int row, qint64 key) { m_rows[row].key = key; }

    bool isNull(int row, int column) const { return kindOf(cell(row, column)) == Null; }
    // The value as the file holds it: text, null, or for what is not UTF-8
    // text its integer, real or bytes.
    QVariant value(int row, int column) const;
    // The cell as text; null gives a null QString.
    QString text(int row, int column) const;
    QVector<QVariant> values(int row) const;

    // Building row by row: begin a row, then add exactly columns() cells.
    void beginRow(qint64 key);
    void addNull() { addCell(Null, nullptr, 0); }
    void addText(const char *utf8, int size) { addCell(Text, utf8, size); }
    void addValue(const QVariant &value); // a null, text, integer, real or bytes

    // A row's values replaced, a row inserted before `at`, a row removed.
    void setValues(int row, const QVector<QVariant> &values);
    void insertRow(int at, qint64 key, const QVector<QVariant> &values);
    void removeRow(int at) { m_rows.erase(m_rows.begin() + at); }
    // Rows put in the order given: row i becomes the old row order[i].
    void reorder(const std::vector<int> &order);

private:
    enum Kind : quint32 { Text = 0, Null = 1, Other = 2 };
    static constexpr quint32 kKindShift = 30;
    static constexpr quint32 kEndMask = (1u << kKindShift) - 1;
    struct RowRef
    {
        qint64 key;
        quint32 firstCell; // index in m_ends
        quint32 start;     // arena offset of the first cell's bytes
    };
    struct Span
    {
        quint32 kind, begin, end;
    };
    static quint32 kindOf(const Span &s) { return s.kind; }
    Span cell(int row, int column) const;
    void addCell(Kind kind, const char *bytes, qsizetype size);

    int m_columns;
    std::vector<char> m_arena;
    std::vector<quint32> m_ends; // per cell: kind in the top bits, end offset below
    std::vector<RowRef> m_rows;
};
