#include "dbaware/DBMemo.h"

#include "platform/Guard.h"

DBMemo::DBMemo(DataSource *source, int field, QWidget *parent)
    : QPlainTextEdit(parent), m_source(source), m_field(field)
{
    AdoQuery *q = source->dataSet();
    connect(this, &QPlainTextEdit::textChanged, this, &DBMemo::userEdited);
    connect(q, &AdoQuery::dataSetChanged, this, &DBMemo::refresh);
    connect(q, &AdoQuery::currentChanged, this, &DBMemo::refresh);
    connect(q, &AdoQuery::recordChanged, this, &DBMemo::refresh);
    connect(q, &AdoQuery::stateChanged, this, &DBMemo::refresh);
    refresh();
}

void DBMemo::refresh()
{
    if (m_writing)
        return;
    AdoQuery *q = m_source->dataSet();
    const QString t = q->active() ? q->displayText(m_field) : QString();
    if (toPlainText() != t) {
        m_loading = true;
        setPlainText(t);
        m_loading = false;
    }
    setReadOnly(!q->active());
}

void DBMemo::userEdited()
{
    if (m_loading)
        return;
    AdoQuery *q = m_source->dataSet();
    m_writing = true;
    const bool ok = guarded(window(), [&] { q->setFieldText(m_field, toPlainText()); });
    m_writing = false;
    if (!ok)
        refresh();
}
