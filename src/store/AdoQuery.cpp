#include "store/AdoQuery.h"

#include "platform/VarnelError.h"
#include "store/TextOrder.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

namespace {

const char *const kClosed =
    QT_TRANSLATE_NOOP("AdoQuery", "Cannot perform this operation on a closed dataset");
const char *const kEmpty =
    QT_TRANSLATE_NOOP("AdoQuery", "Cannot perform this operation on an empty dataset");

// Birthdays are kept in the file as ISO text; a time is kept only when set.
QString storedDate(const QDateTime &dt)
{
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(Qt::ISODate);
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime dateFromStored(const QString &s)
{
    QDateTime dt = QDateTime::fromString(s, Qt::ISODate);
    if (!dt.isValid())
        dt = QDateTime::fromString(s, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!dt.isValid()) {
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (d.isValid())
            dt = QDateTime(d, QTime(0, 0));
    }
    return dt;
}

// The user's short date format, always with a four-digit year so that what is
// shown can be typed back unchanged.
QString shortDateFormat()
{
    QString f = QLocale::system().dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

// The single-byte form of one character, as the code page 1252 holds it; '?'
// for a character it cannot hold.
QString singleByte(QChar c)
{
    static const char16_t extra[] = {u'€', u'‚', u'ƒ', u'„', u'…', u'†', u'‡', u'ˆ', u'‰', u'Š', u'‹',
                                     u'Œ', u'Ž', u'‘', u'’', u'“', u'”', u'•', u'–', u'—', u'˜', u'™',
                                     u'š', u'›', u'œ', u'ž', u'Ÿ'};
    const char16_t u = c.unicode();
    if (c.isSurrogate())
        return QStringLiteral("?");
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return QString(c);
    for (char16_t e : extra)
        if (e == u)
            return QString(c);
    return QStringLiteral("?");
}

} // namespace

AdoQuery::AdoQuery(AdoConnection *connection, QObject *parent)
    : QObject(parent), m_connection(connection)
{
    connect(m_connection, &AdoConnection::aboutToDisconnect, this, &AdoQuery::close);
}

AdoQuery::~AdoQuery() = default;

void AdoQuery::checkActive() const
{
    if (m_state == DataSetState::Inactive)
        throw VarnelError(tr(kClosed));
}

void AdoQuery::setState(DataSetState s)
{
    if (m_state == s)
        return;
    m_state = s;
    if (!m_disabled)
        emit stateChanged(s);
}

void AdoQuery::emitIfEnabled(void (AdoQuery::*signal)(int), int arg)
{
    if (!m_disabled)
        (this->*signal)(arg);
}

void AdoQuery::setCurrent(int row, bool signal)
{
    m_cur = row;
    if (signal)
        emitIfEnabled(&AdoQuery::currentChanged, row);
}

void AdoQuery::open()
{
    if (active())
        return;
    RowStore fetched = m_connection->fetch(m_sql.join('\n'), AddressFields::storedNames());
    m_rows.clear();
    m_rows = std::move(fetched);
    m_sort.clear();
    m_buffer.clear();
    m_modified = false;
    m_cur = m_rows.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_rows.empty();
    setState(DataSetState::Browse);
    if (!m_disabled) {
        emit dataSetChanged();
        emit currentChanged(m_cur);
    }
}

void AdoQuery::close()
{
    if (!active())
        return;
    m_rows.clear();
    m_buffer.clear();
    m_modified = false;
    m_cur = -1;
    m_bof = m_eof = true;
    m_sort.clear();
    setState(DataSetState::Inactive);
    if (!m_disabled) {
        emit dataSetChanged();
        emit currentChanged(-1);
    }
}

void AdoQuery::addPendingEditor(const QObject *owner, std::function<void()> handOver)
{
    m_pendingEditors.emplace_back(owner, std::move(handOver));
}

void AdoQuery::removePendingEditor(const QObject *owner)
{
    m_pendingEditors.erase(std::remove_if(m_pendingEditors.begin(), m_pendingEditors.end(),
                                          [owner](const auto &e) { return e.first == owner; }),
                           m_pendingEditors.end());
}

void AdoQuery::updateRecord()
{
    // Also while browsing: a control may hold typed text that has not yet
    // started the edit; handing it over starts it.
    if (m_state == DataSetState::Inactive)
        return;
    const auto editors = m_pendingEditors; // a hand-over may add or remove editors
    for (const auto &e : editors)
        e.second();
}

void AdoQuery::checkBrowseMode()
{
    checkActive();
    updateRecord();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        if (m_modified)
            post();
        else
            cancel();
    }
}

void AdoQuery::moveTo(int row)
{
    checkBrowseMode();
    if (m_rows.empty())
        return;
    row = std::clamp(row, 0, m_rows.size() - 1);
    m_bof = m_eof = false;
    if (row != m_cur)
        setCurrent(row);
}

void AdoQuery::first()
{
    checkBrowseMode();
    m_bof = true;
    m_eof = m_rows.empty();
    if (!m_rows.empty() && m_cur != 0)
        setCurrent(0);
}

void AdoQuery::last()
{
    checkBrowseMode();
    m_eof = true;
    m_bof = m_rows.empty();
    const int lastRow = m_rows.size() - 1;
    if (lastRow >= 0 && m_cur != lastRow)
        setCurrent(lastRow);
}

void AdoQuery::next()
{
    checkBrowseMode();
    m_bof = false;
    if (m_cur + 1 >= m_rows.size()) {
        m_eof = true;
        return;
    }
    m_eof = false;
    setCurrent(m_cur + 1);
}

void AdoQuery::prior()
{
    checkBrowseMode();
    m_eof = false;
    if (m_cur <= 0) {
        m_bof = true;
        return;
    }
    m_bof = false;
    setCurrent(m_cur - 1);
}

void AdoQuery::insert()
{
    checkBrowseMode();
    const int at = m_cur < 0 ? 0 : m_cur;
    m_buffer = QVector<QVariant>(AddressFields::StoredCount);
    m_rows.insertRow(at, -1, m_buffer);
    m_modified = false;
    m_bof = m_eof = false;
    // Everything is in its new state before anyone hears of it: a listener
    // may well act on the query from inside a signal.
    m_state = DataSetState::Insert;
    m_cur = at;
    if (!m_disabled) {
        emit rowInserted(at);
        emit stateChanged(m_state);
        emit currentChanged(m_cur);
    }
}

void AdoQuery::edit()
{
    checkActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert)
        return;
    if (m_rows.empty()) {
        insert();
        return;
    }
    m_buffer = m_rows.values(m_cur);
    m_modified = false;
    setState(DataSetState::Edit);
}

void AdoQuery::post()
{
    checkActive();
    updateRecord();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert)
        return;
    if (m_beforePost)
        m_beforePost();
    const QStringList columns = AddressFields::storedNames();
    if (m_state == DataSetState::Insert)
        m_rows.setKey(m_cur, m_connection->insertRow(columns, m_buffer));
    else
        m_connection->updateRow(m_rows.key(m_cur), columns, m_rows.values(m_cur), m_buffer);
    m_rows.setValues(m_cur, m_buffer);
    m_buffer.clear();
    m_modified = false;
    setState(DataSetState::Browse);
    emitIfEnabled(&AdoQuery::recordChanged, m_cur);
}

void AdoQuery::cancel()
{
    checkActive();
    if (m_state == DataSetState::Insert) {
        removeCurrentRow();
    } else if (m_state == DataSetState::Edit) {
        m_buffer.clear();
        m_modified = false;
        setState(DataSetState::Browse);
        emitIfEnabled(&AdoQuery::recordChanged, m_cur);
    }
}

void AdoQuery::removeCurrentRow()
{
    const int at = m_cur;
    m_rows.removeRow(at);
    m_buffer.clear();
    m_modified = false;
    const int n = m_rows.size();
    m_bof = m_eof = n == 0;
    m_state = DataSetState::Browse;
    m_cur = n == 0 ? -1 : std::min(at, n - 1);
    if (!m_disabled) {
        emit rowRemoved(at);
        emit stateChanged(m_state);
        emit currentChanged(m_cur);
    }
}

void AdoQuery::cancelUpdates()
{
    // Nothing is held back for later: every save is written at once. So this
    // is a cancel, and a closed view has nothing to cancel.
    if (!active())
        return;
    cancel();
    if (!m_disabled)
        emit dataSetChanged();
}

void AdoQuery::deleteRecord()
{
    checkActive();
    if (m_state == DataSetState::Insert) {
        cancel();
        return;
    }
    if (m_rows.empty())
        throw VarnelError(tr(kEmpty));
    m_connection->deleteRow(m_rows.key(m_cur), AddressFields::storedNames(), m_rows.values(m_cur));
    removeCurrentRow();
}

QVariant AdoQuery::stored(int row, int field) const
{
    if (row == m_cur && editing())
        return m_buffer.at(field);
    if (row < 0 || row >= m_rows.size())
        return QVariant();
    return m_rows.value(row, field);
}

QVariant AdoQuery::storedToValue(int field, const QVariant &stored) const
{
    if (stored.isNull())
        return QVariant();
    if (AddressFields::all().at(field).kind == FieldDef::DateTime) {
        const QDateTime dt = dateFromStored(stored.toString());
        return dt.isValid() ? QVariant(dt) : QVariant();
    }
    return stored.toString();
}

QVariant AdoQuery::valueToStored(int field, const QVariant &value) const
{
    if (value.isNull())
        return QVariant();
    if (AddressFields::all().at(field).kind == FieldDef::DateTime) {
        if (value.typeId() == QMetaType::QDateTime)
            return storedDate(value.toDateTime());
        if (value.typeId() == QMetaType::QDate)
            return storedDate(QDateTime(value.toDate(), QTime(0, 0)));
        bool ok = false;
        const QDateTime dt = parseDateTime(value.toString(), &ok);
        if (!ok)
            throw VarnelError(tr("'%1' is not a valid date and time").arg(value.toString()));
        return dt.isValid() ? QVariant(storedDate(dt)) : QVariant();
    }
    const QString s = value.toString();
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QString AdoQuery::textOf(int row, int field) const
{
    if (field == AddressFields::Cap) {
        const QString surname = textOf(row, AddressFields::Surname);
        return surname.isEmpty() ? QString() : singleByte(surname.at(0));
    }
    const bool isDate = AddressFields::all().at(field).kind == FieldDef::DateTime;
    if (!isDate && !(row == m_cur && editing()) && row >= 0 && row < m_rows.size())
        return m_rows.text(row, field);
    const QVariant v = stored(row, field);
    if (v.isNull())
        return QString();
    if (isDate)
        return dateTimeText(dateFromStored(v.toString()));
    return v.toString();
}

QVariant AdoQuery::fieldValue(int field) const
{
    if (field < 0 || field >= AddressFields::Count)
        throw VarnelError(tr("Field index out of range"));
    if (field == AddressFields::Cap) {
        const QString cap = textOf(m_cur, field);
        return cap.isEmpty() ? QVariant() : QVariant(cap);
    }
    return storedToValue(field, stored(m_cur, field));
}

QVariant AdoQuery::fieldValue(const QString &name) const
{
    const int i = AddressFields::indexOf(name);
    if (i < 0)
        throw VarnelError(tr("HomeQuery: Field '%1' not found").arg(name));
    return fieldValue(i);
}

QString AdoQuery::displayText(int field) const
{
    if (field < 0 || field >= AddressFields::Count)
        throw VarnelError(tr("Field index out of range"));
    return textOf(m_cur, field);
}

QString AdoQuery::displayText(const QString &name) const
{
    const int i = AddressFields::indexOf(name);
    if (i < 0)
        throw VarnelError(tr("HomeQuery: Field '%1' not found").arg(name));
    return displayText(i);
}

QString AdoQuery::displayText(int row, int field) const
{
    if (row == m_cur)
        return displayText(field);
    if (row < 0 || row >= m_rows.size())
        return QString();
    return textOf(row, field);
}

void AdoQuery::setFieldValue(int field, const QVariant &value)
{
    checkActive();
    if (field < 0 || field >= AddressFields::StoredCount)
        throw VarnelError(tr("Cannot modify a read-only field"));
    // Convert first: a value the field refuses leaves the record as it was.
    const QVariant stored = valueToStored(field, value);
    if (m_state == DataSetState::Browse) {
        // The same value again is no change and starts no edit.
        const QVariant now = this->stored(m_cur, field);
        if (!m_rows.empty() && now.isNull() == stored.isNull() && now == stored)
            return;
        edit();
    }
    QVariant &slot = m_buffer[field];
    if (slot.isNull() == stored.isNull() && slot == stored)
        return;
    slot = stored;
    m_modified = true;
    emitIfEnabled(&AdoQuery::recordChanged, m_cur);
}

void AdoQuery::setFieldValue(const QString &name, const QVariant &value)
{
    const int i = AddressFields::indexOf(name);
    if (i < 0)
        throw VarnelError(tr("HomeQuery: Field '%1' not found").arg(name));
    setFieldValue(i, value);
}

void AdoQuery::setFieldText(int field, const QString &text)
{
    setFieldValue(field, text.isEmpty() ? QVariant() : QVariant(text));
}

void AdoQuery::setFieldText(const QString &name, const QString &text)
{
    setFieldValue(name, text.isEmpty() ? QVariant() : QVariant(text));
}

QString AdoQuery::dateTimeText(const QDateTime &value)
{
    if (!value.isValid())
        return QString();
    const QString date = QLocale::system().toString(value.date(), shortDateFormat());
    if (value.time() == QTime(0, 0))
        return date;
    return date + ' ' + QLocale::system().toString(value.time(), QLocale::ShortFormat);
}

QDateTime AdoQuery::parseDateTime(const QString &text, bool *ok)
{
    *ok = true;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QDateTime();
    const QLocale loc = QLocale::system();
    const QString df = shortDateFormat();
    const QStringList timeFormats = {loc.timeFormat(QLocale::ShortFormat),
                                     loc.timeFormat(QLocale::LongFormat), QStringLiteral("H:mm"),
                                     QStringLiteral("H:mm:ss")};
    QDate d = loc.toDate(t, df);
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    for (const QString &tf : timeFormats) {
        const QDateTime dt = loc.toDateTime(t, df + ' ' + tf);
        if (dt.isValid())
            return dt;
    }
    d = loc.toDate(t, loc.dateFormat(QLocale::ShortFormat));
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    d = QDate::fromString(t, Qt::ISODate);
    if (d.isValid())
        return QDateTime(d, QTime(0, 0));
    const QDateTime iso = QDateTime::fromString(t, Qt::ISODate);
    if (iso.isValid())
        return iso;
    *ok = false;
    return QDateTime();
}

void AdoQuery::setSort(const QString &sortText)
{
    checkActive();
    checkBrowseMode();
    const QStringList parts = sortText.simplified().split(' ', Qt::SkipEmptyParts);
    if (!parts.isEmpty()) {
        // The field name may hold a blank ("Work Tel"): the last word is the
        // direction when it is one.
        QString dir = parts.last().toUpper();
        QStringList nameParts = parts;
        if (dir == QLatin1String("ASC") || dir == QLatin1String("DESC"))
            nameParts.removeLast();
        else
            dir = QStringLiteral("ASC");
        const QString name = nameParts.join(' ');
        const int field = AddressFields::indexOf(name);
        if (field < 0)
            throw VarnelError(tr("HomeQuery: Field '%1' not found").arg(name));
        const bool desc = dir == QLatin1String("DESC");
        const qint64 currentKey = m_cur >= 0 ? m_rows.key(m_cur) : -1;
        const bool isDate = AddressFields::all().at(field).kind == FieldDef::DateTime;
        const int valueField = field == AddressFields::Cap ? int(AddressFields::Surname) : field;
        // Each row's text and sort key are worked out once, not at every comparison.
        const int n = m_rows.size();
        std::vector<QString> texts(n), keys(n);
        std::vector<bool> empty(n);
        for (int i = 0; i < n; ++i) {
            empty[i] = m_rows.isNull(i, valueField);
            if (empty[i])
                continue;
            // Dates are stored as ISO text, which orders as the dates do.
            texts[i] = isDate ? m_rows.text(i, field) : textOf(i, field);
            if (!isDate)
                keys[i] = TextOrder::key(texts[i]);
        }
        std::vector<int> order(n);
        for (int i = 0; i < n; ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            // Empty values come first going up, last going down.
            if (empty[a] != empty[b])
                return desc ? bool(empty[b]) : bool(empty[a]);
            if (empty[a])
                return false;
            int c = isDate ? 0 : QString::compare(keys[a], keys[b], Qt::CaseSensitive);
            if (c == 0)
                c = QString::compare(texts[a], texts[b], Qt::CaseSensitive);
            return desc ? c > 0 : c < 0;
        });
        m_rows.reorder(order);
        if (currentKey >= 0) {
            for (int i = 0; i < m_rows.size(); ++i)
                if (m_rows.key(i) == currentKey)
                    m_cur = i;
        }
        // The current row has moved: the ends are where it now stands.
        m_bof = m_cur <= 0;
        m_eof = m_cur < 0 || m_cur >= n - 1;
    }
    m_sort = sortText;
    if (!m_disabled) {
        emit dataSetChanged();
        emit currentChanged(m_cur);
    }
}

void AdoQuery::disableControls() { ++m_disabled; }

void AdoQuery::enableControls()
{
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0) {
        emit stateChanged(m_state);
        emit dataSetChanged();
        emit currentChanged(m_cur);
    }
}

bool AdoQuery::refresh()
{
    if (m_state != DataSetState::Browse)
        return false;
    const qint64 key = m_cur >= 0 ? m_rows.key(m_cur) : -1;
    const QString sortText = m_sort;
    close();
    open();
    if (!sortText.isEmpty())
        setSort(sortText);
    for (int i = 0; key >= 0 && i < m_rows.size(); ++i)
        if (m_rows.key(i) == key) {
            moveTo(i);
            break;
        }
    return true;
}
