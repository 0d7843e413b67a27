#include "store/RowStore.h"

#include "platform/VarnelError.h"

#include <QCoreApplication>
#include <cstring>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The leading byte of an Other cell says what follows.
enum OtherType : char { Integer = 'i', Real = 'r', Bytes = 'b' };

} // namespace

void RowStore::clear()
{
    std::vector<char>().swap(m_arena);
    std::vector<quint32>().swap(m_ends);
    std::vector<RowRef>().swap(m_rows);
}

void RowStore::reserve(int rows)
{
    m_rows.reserve(rows);
    m_ends.reserve(size_t(rows) * m_columns);
}

void RowStore::squeeze()
{
    m_arena.shrink_to_fit();
    m_ends.shrink_to_fit();
    m_rows.shrink_to_fit();
#ifdef __GLIBC__
    // The blocks the store grew through are free now, but the allocator keeps
    // them mapped; a whole book's worth would stay in the program's memory.
    malloc_trim(0);
#endif
}

RowStore::Span RowStore::cell(int row, int column) const
{
    const RowRef &r = m_rows[row];
    const size_t i = r.firstCell + column;
    const quint32 begin = column == 0 ? r.start : (m_ends[i - 1] & kEndMask);
    return Span{m_ends[i] >> kKindShift, begin, m_ends[i] & kEndMask};
}

void RowStore::beginRow(qint64 key)
{
    m_rows.push_back(RowRef{key, quint32(m_ends.size()), quint32(m_arena.size())});
}

void RowStore::addCell(Kind kind, const char *bytes, qsizetype size)
{
    if (m_arena.size() + size_t(size) > kEndMask)
        throw VarnelError(
            QCoreApplication::translate("RowStore", "The result is too large to hold"));
    m_arena.insert(m_arena.end(), bytes, bytes + size);
    m_ends.push_back((quint32(kind) << kKindShift) | quint32(m_arena.size()));
}

void RowStore::addValue(const QVariant &value)
{
    if (value.isNull()) {
        addNull();
        return;
    }
    QByteArray bytes;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int: {
        const qint64 v = value.toLongLong();
        bytes = QByteArray(1, Integer) + QByteArray(reinterpret_cast<const char *>(&v), sizeof v);
        break;
    }
    case QMetaType::Double: {
        const double v = value.toDouble();
        bytes = QByteArray(1, Real) + QByteArray(reinterpret_cast<const char *>(&v), sizeof v);
        break;
    }
    case QMetaType::QByteArray:
        bytes = QByteArray(1, Bytes) + value.toByteArray();
        break;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        addText(utf8.constData(), int(utf8.size()));
        return;
    }
    }
    addCell(Other, bytes.constData(), bytes.size());
}

QVariant RowStore::value(int row, int column) const
{
    const Span s = cell(row, column);
    const char *p = m_arena.data() + s.begin;
    switch (s.kind) {
    case Null:
        return QVariant();
    case Text:
        return QString::fromUtf8(p, qsizetype(s.end - s.begin));
    default:
        break;
    }
    if (p[0] == Integer) {
        qint64 v;
        std::memcpy(&v, p + 1, sizeof v);
        return QVariant(v);
    }
    if (p[0] == Real) {
        double v;
        std::memcpy(&v, p + 1, sizeof v);
        return QVariant(v);
    }
    return QByteArray(p + 1, qsizetype(s.end - s.begin) - 1);
}

QString RowStore::text(int row, int column) const
{
    const Span s = cell(row, column);
    if (s.kind == Text)
        return QString::fromUtf8(m_arena.data() + s.begin, qsizetype(s.end - s.begin));
    if (s.kind == Null)
        return QString();
    return value(row, column).toString();
}

QVector<QVariant> RowStore::values(int row) const
{
    QVector<QVariant> v(m_columns);
    for (int c = 0; c < m_columns; ++c)
        v[c] = value(row, c);
    return v;
}

void RowStore::setValues(int row, const QVector<QVariant> &values)
{
    const quint32 first = quint32(m_ends.size()), start = quint32(m_arena.size());
    for (int c = 0; c < m_columns; ++c)
        addValue(c < values.size() ? values.at(c) : QVariant());
    m_rows[row].firstCell = first;
    m_rows[row].start = start;
}

void RowStore::insertRow(int at, qint64 key, const QVector<QVariant> &values)
{
    beginRow(key);
    for (int c = 0; c < m_columns; ++c)
        addValue(c < values.size() ? values.at(c) : QVariant());
    const RowRef added = m_rows.back();
    m_rows.pop_back();
    m_rows.insert(m_rows.begin() + at, added);
}

void RowStore::reorder(const std::vector<int> &order)
{
    std::vector<RowRef> sorted;
    sorted.reserve(order.size());
    for (int i : order)
        sorted.push_back(m_rows[i]);
    m_rows = std::move(sorted);
}
