#include "dbaware/DBEdit.h"

#include "platform/Guard.h"

#include <QKeyEvent>
#include <QTimer>

DBEdit::DBEdit(DataSource *source, int field, QWidget *parent)
    : QLineEdit(parent), m_source(source), m_query(source->dataSet()), m_field(field)
{
    AdoQuery *q = source->dataSet();
    const FieldDef &def = q->fields().at(field);
    if (def.size > 0 && def.kind == FieldDef::Text)
        setMaxLength(def.size);
    connect(this, &QLineEdit::textEdited, this, &DBEdit::userEdited);
    connect(q, &AdoQuery::dataSetChanged, this, [this] { refresh(true); });
    connect(q, &AdoQuery::currentChanged, this, [this] { refresh(true); });
    connect(q, &AdoQuery::recordChanged, this, [this] { refresh(false); });
    connect(q, &AdoQuery::stateChanged, this, [this](DataSetState s) {
        // Saved or cancelled: whatever was typed is either in the field now or gone.
        refresh(s == DataSetState::Browse || s == DataSetState::Inactive);
    });
    if (holdsTyping())
        q->addPendingEditor(this, [this] { updateData(); });
    refresh(true);
}

DBEdit::~DBEdit()
{
    if (m_query)
        m_query->removePendingEditor(this);
}

bool DBEdit::holdsTyping() const
{
    return m_query.data()->fields().at(m_field).kind == FieldDef::DateTime;
}

void DBEdit::refresh(bool force)
{
    if (m_writing || (m_pending && !force))
        return;
    m_pending = false;
    AdoQuery *q = m_query.data();
    const QString t = q->active() ? q->displayText(m_field) : QString();
    if (text() != t)
        setText(t);
    setReadOnly(!q->active());
}

void DBEdit::userEdited(const QString &text)
{
    AdoQuery *q = m_query.data();
    m_writing = true;
    const bool ok = guarded(window(), [&] {
        if (holdsTyping())
            q->edit();
        else
            q->setFieldText(m_field, text);
    });
    m_writing = false;
    if (!ok) {
        refresh(true);
        return;
    }
    if (holdsTyping())
        m_pending = true;
}

void DBEdit::updateData()
{
    if (!m_pending)
        return;
    AdoQuery *q = m_query.data();
    try {
        m_writing = true;
        q->setFieldText(m_field, text());
        m_writing = false;
    } catch (...) {
        m_writing = false;
        // The user corrects the value where it was typed.
        setFocus(Qt::OtherFocusReason);
        selectAll();
        throw;
    }
    m_pending = false;
    refresh(true);
}

void DBEdit::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape && m_pending) {
        // Esc takes back what was typed here, as stored.
        refresh(true);
        e->accept();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

void DBEdit::focusOutEvent(QFocusEvent *e)
{
    QLineEdit::focusOutEvent(e);
    // Moving to another control of the window hands the value over; going to
    // another window does not (the record is finished from there anyway).
    if (!m_pending || e->reason() == Qt::ActiveWindowFocusReason ||
        e->reason() == Qt::PopupFocusReason)
        return;
    if (!guarded(window(), [this] { updateData(); }))
        QTimer::singleShot(0, this, [this] { setFocus(Qt::OtherFocusReason); });
}

void DBEdit::mouseDoubleClickEvent(QMouseEvent *e)
{
    QLineEdit::mouseDoubleClickEvent(e);
    emit doubleClicked();
}
