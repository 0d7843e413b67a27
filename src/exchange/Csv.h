#pragma once

#include "exchange/BookRecord.h"
#include "exchange/TextInput.h"

#include <QVector>

// Which field each column of a table of people goes to.
struct ColumnMapping
{
    enum { NotesLine = -1, LeftOut = -2, ByType = -3, TypeOfValue = -4 };
    QStringList titles;
    // Per column: a stored field's index, NotesLine ("Title: value" in
    // Notes), LeftOut, ByType (a value of a numbered group, placed by the
    // group's type) or TypeOfValue (the group's type).
    QVector<int> target;

    // The numbered groups some exports write ("Phone 1 - Type", "Phone 1 -
    // Value", "Address 2 - City"): what each column holds, by its title.
    struct Group
    {
        enum Kind { None, Phone, Email, Address } kind = None;
        int number = 0;
        QString part; // "type", "value", "street", "city", ...
    };
    QVector<Group> groups;
    static Group groupOf(const QString &title);

    // Guesses from the titles: the program's own field names and the titles
    // that common exports use; anything else becomes a Notes line.
    static ColumnMapping guess(const QStringList &titles);
    static int guessField(const QString &title);
    // "FIELD=COLUMN,..." as varnel-book takes it; throws VarnelError.
    void apply(const QString &overrides);
    // One row of values to a record. Text for Address1 that holds line
    // breaks spills into Address2 and A3_Village.
    void toRecord(const QStringList &values, BookRecord &r) const;

private:
    void placeGroups(const QStringList &values, BookRecord &r) const;
};

// A table of people in a CSV file with a first row of column titles. The
// separator (comma, semicolon or tab) is taken from the title row; quoting
// is RFC 4180's; the text is UTF-8 (with or without a byte order mark),
// UTF-16 with one, or else Windows-1252.
class CsvReader : public RecordSource
{
public:
    explicit CsvReader(const QString &path);
    const QStringList &titles() const { return m_titles; }
    char separator() const { return m_sep; }
    ColumnMapping mapping;

    bool next(BookRecord &record) override;
    void rewind() override;
    QString where() const override;
    // The next row's values, for showing samples. False at the end.
    bool nextRow(QStringList &values);

private:
    bool row(QList<QByteArray> &fields);
    TextInput m_in;
    QStringList m_titles;
    char m_sep = ',';
    int m_rowLine = 0;
};

namespace CsvWriter {
QByteArray line(const QStringList &values);
// The title row: the program's field names.
QByteArray header();
QByteArray record(const BookRecord &r);
} // namespace CsvWriter
