#pragma once

#include "dbaware/DataSource.h"

#include <QLineEdit>
#include <QPointer>

// A one-line edit bound to one field of its data source's current record.
// It follows the current record; typing starts editing the record and stops at
// the field's length. Text fields take every keystroke at once, so the grid and
// the other windows show it as it is typed. A date is handed over when the
// user leaves the field, or when the record is saved or finished; a text that
// is no date is then refused and the focus goes back to the field.
// While the query is closed the edit is empty and takes no typing.
class DBEdit : public QLineEdit
{
    Q_OBJECT
public:
    DBEdit(DataSource *source, int field, QWidget *parent = nullptr);
    ~DBEdit() override;
    DataSource *dataSource() const { return m_source; }
    int field() const { return m_field; }
    // Hands typed text not yet in the field over to it; raises VarnelError
    // when the field refuses it.
    void updateData();

signals:
    void doubleClicked();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void focusOutEvent(QFocusEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    void userEdited(const QString &text);
    void refresh(bool force);
    bool holdsTyping() const;
    DataSource *m_source;
    QPointer<AdoQuery> m_query; // outlives the data source when the window goes
    int m_field;
    bool m_pending = false; // typed text the field has not yet taken
    bool m_writing = false; // our own change coming back to us
};
