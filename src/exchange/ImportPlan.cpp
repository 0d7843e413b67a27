#include "exchange/ImportPlan.h"

#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QRegularExpression>

namespace {
constexpr int kMostNotesShown = 1000;
}

QString BookDates::toStored(const QString &text, bool *noYear)
{
    if (noYear)
        *noYear = false;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QString();
    static const QRegularExpression re(QStringLiteral(
        "^(\\d{4}|--)-?(\\d{2})-?(\\d{2})(?:[T ](\\d{2}):?(\\d{2})(?::?(\\d{2}))?(?:[.,]\\d+)?"
        "(Z|[+-]\\d{2}:?\\d{2})?)?$"));
    const QRegularExpressionMatch m = re.match(t);
    if (m.hasMatch()) {
        if (m.captured(1) == QLatin1String("--")) {
            if (noYear)
                *noYear = true;
            return QString();
        }
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (!d.isValid())
            return QString();
        const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
        if (!time.isValid())
            return QString();
        if (time == QTime(0, 0))
            return d.toString(Qt::ISODate);
        return d.toString(Qt::ISODate) + ' ' + time.toString(QStringLiteral("HH:mm:ss"));
    }
    // The user's own way of writing dates, as typed into the program.
    bool ok = false;
    const QDateTime dt = AdoQuery::parseDateTime(t, &ok);
    if (!ok || !dt.isValid())
        return QString();
    if (dt.time() == QTime(0, 0))
        return dt.date().toString(Qt::ISODate);
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

ImportPlan::ImportPlan(RecordSource &source) : m_source(source) {}

void ImportPlan::fit(BookRecord &r, QStringList *cut)
{
    const QVector<FieldDef> &fields = AddressFields::stored();
    QStringList lines = r.extra;
    r.extra.clear();
    for (int i = 0; i < fields.size(); ++i) {
        const int size = fields.at(i).size;
        if (size <= 0 || r[i].size() <= size)
            continue;
        int keep = size;
        if (r[i].at(keep - 1).isHighSurrogate())
            --keep;
        const QString line = fields.at(i).name + QStringLiteral(": ") + r[i];
        lines << line;
        if (cut)
            *cut << line;
        r[i].truncate(keep);
    }
    if (lines.isEmpty())
        return;
    QString &notes = r[AddressFields::Notes];
    if (!notes.isEmpty() && !notes.endsWith('\n'))
        notes += '\n';
    notes += lines.join('\n');
}

void ImportPlan::scan(int preview)
{
    m_source.problems.clear();
    m_source.rewind();
    m_count = 0;
    m_cutCount = 0;
    m_preview.clear();
    m_cuts.clear();
    BookRecord r;
    while (m_source.next(r)) {
        QStringList cut;
        fit(r, &cut);
        ++m_count;
        m_cutCount += cut.size();
        for (const QString &c : cut)
            if (m_cuts.size() < kMostNotesShown)
                m_cuts << ImportNote{m_source.where(), c};
        if (m_preview.size() < preview)
            m_preview << r;
        r = BookRecord();
    }
}

qint64 ImportPlan::apply(AdoConnection &book, const std::function<bool(qint64)> &progress)
{
    if (!problems().isEmpty())
        throw VarnelError(QStringLiteral("%1: %2").arg(problems().first().where,
                                                       problems().first().message));
    const QStringList columns = AddressFields::storedNames();
    book.execute(QStringLiteral("BEGIN IMMEDIATE"));
    qint64 written = 0;
    try {
        m_source.problems.clear();
        m_source.rewind();
        BookRecord r;
        bool stopped = false;
        written = book.insertRows(columns, [&](QVector<QVariant> &values) {
            if (written > 0 && written % 500 == 0 && progress && !progress(written)) {
                stopped = true;
                return false;
            }
            r = BookRecord();
            if (!m_source.next(r))
                return false;
            fit(r, nullptr);
            for (int i = 0; i < columns.size(); ++i)
                values[i] = r[i].isEmpty() ? QVariant() : QVariant(r[i]);
            ++written;
            return true;
        });
        if (stopped) {
            book.execute(QStringLiteral("ROLLBACK"));
            return 0;
        }
        if (!m_source.problems.isEmpty() || written != m_count)
            throw VarnelError(
                QCoreApplication::translate(
                    "ImportPlan", "%1 changed while it was being imported; nothing was added")
                    .arg(m_source.where().section(',', 0, 0)));
        book.execute(QStringLiteral("COMMIT"));
    } catch (...) {
        try {
            book.execute(QStringLiteral("ROLLBACK"));
        } catch (const VarnelError &) {
        }
        throw;
    }
    return written;
}
