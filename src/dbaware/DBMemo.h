#pragma once

#include "dbaware/DataSource.h"

#include <QPlainTextEdit>

// A multi-line box bound to a long-text field of its data source's current
// record. Follows the current record; typing starts editing it and goes into
// the field at once. Empty and read-only while the query is closed.
class DBMemo : public QPlainTextEdit
{
    Q_OBJECT
public:
    DBMemo(DataSource *source, int field, QWidget *parent = nullptr);
    int field() const { return m_field; }

    // A note with a longer run of characters without a blank wraps anywhere.
    static constexpr qsizetype kLongWord = 100;
    static qsizetype longestWord(const QString &text);

private:
    void userEdited();
    void refresh();
    DataSource *m_source;
    int m_field;
    bool m_loading = false;
    bool m_writing = false;
};
