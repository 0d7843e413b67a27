#include "dbaware/DBMemo.h"

#include "platform/Guard.h"

#include <algorithm>

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

qsizetype DBMemo::longestWord(const QString &text)
{
    qsizetype longest = 0, run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    return longest;
}

void DBMemo::refresh()
{
    if (m_writing)
        return;
    AdoQuery *q = m_source->dataSet();
    const QString t = q->active() ? q->displayText(m_field) : QString();
    if (toPlainText() != t) {
        m_loading = true;
        // Breaking at word boundaries costs time that grows with the square of
        // a word's length: a note of one unbroken 2 MB "word" would hold the
        // window up for minutes. Such a note wraps anywhere, which stays linear.
        const QTextOption::WrapMode mode = longestWord(t) > kLongWord
                                               ? QTextOption::WrapAnywhere
                                               : QTextOption::WrapAtWordBoundaryOrAnywhere;
        if (wordWrapMode() != mode) {
            clear(); // the text shown so far is not laid out again in the new mode
            setWordWrapMode(mode);
        }
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
