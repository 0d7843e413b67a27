#include "store/AdoConnection.h"

#include "platform/VarnelError.h"
#include "store/StatementTranslator.h"
#include "store/TextMatch.h"
#include "store/TextOrder.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <memory>
#include <sqlite3.h>

namespace {

const char *const kKeyColumn = "ID";
const char *const kTable = "HomeAd";

int collate(void *, int alen, const void *a, int blen, const void *b)
{
    return TextOrder::compareUtf8(static_cast<const char *>(a), alen, static_cast<const char *>(b),
                                  blen);
}

// like(pattern, text [, escape]): SQLite calls it for every LIKE, in place of
// its own, which folds only A to Z.
void like(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return; // the result stays null: a null field never matches
    int escape = -1;
    if (argc == 3) {
        const QString e = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(argv[2])),
                                            sqlite3_value_bytes(argv[2]));
        const QList<uint> code = e.toUcs4();
        if (code.size() != 1) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        escape = int(code.first());
    }
    const char *pattern = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int plen = sqlite3_value_bytes(argv[0]);
    const char *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[1]));
    const int tlen = sqlite3_value_bytes(argv[1]);
    sqlite3_result_int(ctx, TextMatch::likeUtf8(pattern, plen, text, tlen, escape) ? 1 : 0);
}

QString engineMessage(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.text().trimmed() : db;
}

QString quoted(const QString &column)
{
    QString q = column;
    q.replace('"', QLatin1String("\"\""));
    return '"' + q + '"';
}

int instanceCounter = 0;

} // namespace

AdoConnection::AdoConnection(QObject *parent)
    : QObject(parent), m_name(QStringLiteral("varnel-%1").arg(++instanceCounter))
{
}

AdoConnection::~AdoConnection()
{
    if (m_connected)
        close();
}

QString AdoConnection::connectionStringFor(const QString &path)
{
    const QString head = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=");
    const QString tail = QStringLiteral(";Persist Security Info=False");
    // A path that reads back as it is goes in as it is; any other (a ";x=y"
    // in it, blanks at an end, a leading quote) goes in double quotes, with
    // its own double quotes doubled, as connection strings quote a value.
    const QString plain = head + path + tail;
    if (dataSource(plain) == path)
        return plain;
    QString quoted = path;
    quoted.replace('"', QLatin1String("\"\""));
    return head + '"' + quoted + '"' + tail;
}

void AdoConnection::setConnectionString(const QString &text)
{
    if (m_connected)
        throw VarnelError(QStringLiteral("Cannot change the connection string of an open connection"));
    m_connectionString = text;
}

QString AdoConnection::fileName() const
{
    return dataSource(m_connectionString);
}

QString AdoConnection::dataSource(const QString &connectionString)
{
    const QString &t = connectionString;
    const qsizetype n = t.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype eq = t.indexOf('=', i);
        if (eq < 0)
            return QString();
        const bool wanted = t.mid(i, eq - i).trimmed().compare(QLatin1String("data source"),
                                                               Qt::CaseInsensitive) == 0;
        qsizetype v = eq + 1;
        while (v < n && t.at(v).isSpace())
            ++v;
        if (v < n && (t.at(v) == '"' || t.at(v) == '\'')) {
            // A quoted value runs to its closing quote; a doubled quote stands
            // for itself.
            const QChar q = t.at(v);
            QString value;
            qsizetype k = v + 1;
            bool closed = false;
            while (k < n) {
                if (t.at(k) == q) {
                    if (k + 1 < n && t.at(k + 1) == q) {
                        value += q;
                        k += 2;
                        continue;
                    }
                    closed = true;
                    ++k;
                    break;
                }
                value += t.at(k++);
            }
            if (closed) {
                while (k < n && t.at(k).isSpace())
                    ++k;
                if (k == n || t.at(k) == ';') {
                    if (wanted)
                        return value;
                    i = k + 1;
                    continue;
                }
            }
        }
        // Unquoted, "Data Source" runs to the next ";Name=" part, so that a
        // path holding a semicolon on its own still works; other values run to
        // the next semicolon.
        qsizetype end = n;
        for (qsizetype k = v; k < n; ++k) {
            if (t.at(k) != ';')
                continue;
            if (!wanted) {
                end = k;
                break;
            }
            const qsizetype nextEq = t.indexOf('=', k);
            const qsizetype nextSemi = t.indexOf(';', k + 1);
            if (nextEq > k && (nextSemi < 0 || nextEq < nextSemi)) {
                end = k;
                break;
            }
        }
        if (wanted)
            return t.mid(v, end - v).trimmed();
        i = end + 1;
    }
    return QString();
}

void AdoConnection::open()
{
    if (m_connected)
        return;
    const QString path = fileName();
    if (path.isEmpty())
        throw VarnelError(QStringLiteral("No address book file is named in the connection string"));
    const QFileInfo info(path);
    if (!info.exists())
        throw VarnelError(QStringLiteral("Could not find file '%1'").arg(path));
    if (!info.isFile())
        throw VarnelError(QStringLiteral("'%1' is not an address book file").arg(path));

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        QString problem;
        if (!db.open()) {
            problem = engineMessage(db.lastError());
        } else {
            const QVariant handle = db.driver()->handle();
            if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
                if (sqlite3 *h = *static_cast<sqlite3 *const *>(handle.constData())) {
                    sqlite3_create_collation(h, "NOCASE", SQLITE_UTF8, nullptr, collate);
                    for (int args : {2, 3})
                        sqlite3_create_function(h, "like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                                nullptr, like, nullptr, nullptr);
                }
            }
            // Reading the schema is the first read of the file: a file that is
            // not a database fails here, before anything could be written.
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                                       "lower(name) = 'homead'"))) {
                problem = QStringLiteral("'%1' is not an address book file (%2)")
                              .arg(path, engineMessage(q.lastError()));
            } else if (!q.next() || q.value(0).toInt() == 0) {
                problem = QStringLiteral("'%1' is not an address book file: it holds no table %2")
                              .arg(path, QLatin1String(kTable));
            }
        }
        if (!problem.isEmpty()) {
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw VarnelError(problem);
        }
    }
    m_connected = true;
}

void AdoConnection::close()
{
    if (!m_connected)
        return;
    emit aboutToDisconnect();
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_connected = false;
}

void AdoConnection::requireConnected()
{
    if (!m_connected)
        open();
}

namespace {

sqlite3 *sqliteHandle(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

QVariant columnValue(sqlite3_stmt *st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, column));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)),
                          sqlite3_column_bytes(st, column));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, column)),
                                 sqlite3_column_bytes(st, column));
    }
}

} // namespace

AdoConnection::Result AdoConnection::select(const QString &statement, const QStringList &columns)
{
    requireConnected();
    sqlite3 *h = sqliteHandle(QSqlDatabase::database(m_name, false));
    if (!h)
        throw VarnelError(QStringLiteral("The address book engine is not available"));

    // The program's own statement forms go to SQLite with their patterns as
    // bound values; any other statement is SQLite's to read as it stands.
    // Rows are read straight from SQLite: a whole address book is fetched at
    // every open, and this is the one place where that takes time.
    const StatementTranslator::Translated translated = StatementTranslator::translate(statement);
    const QByteArray sql = (translated.recognised ? translated.sql : statement).toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw VarnelError(QString::fromUtf8(sqlite3_errmsg(h)));
    if (!raw) // nothing but blanks or a comment
        throw VarnelError(QStringLiteral("The statement is empty"));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> st(raw, sqlite3_finalize);
    for (int i = 0; i < translated.values.size(); ++i) {
        const QByteArray v = translated.values.at(i).toString().toUtf8();
        sqlite3_bind_text(raw, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }

    Result result;
    result.columns = columns;
    const int count = sqlite3_column_count(raw);
    QVector<int> map(columns.size(), -1);
    int keyIndex = -1;
    for (int j = 0; j < count; ++j) {
        const QString name = QString::fromUtf8(sqlite3_column_name(raw, j));
        for (int i = 0; i < columns.size(); ++i)
            if (map.at(i) < 0 && name.compare(columns.at(i), Qt::CaseInsensitive) == 0)
                map[i] = j;
        if (name.compare(QLatin1String(kKeyColumn), Qt::CaseInsensitive) == 0)
            keyIndex = j;
    }

    int rc;
    while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
        Row row;
        row.key = keyIndex >= 0 ? sqlite3_column_int64(raw, keyIndex) : -1;
        row.values.resize(columns.size());
        for (int i = 0; i < map.size(); ++i)
            if (map.at(i) >= 0)
                row.values[i] = columnValue(raw, map.at(i));
        result.rows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE)
        throw VarnelError(QString::fromUtf8(sqlite3_errmsg(h)));
    return result;
}

qint64 AdoConnection::insertRow(const QStringList &columns, const QVector<QVariant> &values)
{
    requireConnected();
    QStringList names, marks;
    for (const QString &c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(QLatin1String(kTable), names.join(','), marks.join(',')));
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec())
        throw VarnelError(engineMessage(q.lastError()));
    return q.lastInsertId().toLongLong();
}

namespace {

// "AND col IS ?" for every column: the row must still hold what we read.
QString unchangedSince(const QStringList &columns)
{
    QString where = QStringLiteral(" WHERE %1 = ?").arg(QLatin1String(kKeyColumn));
    for (const QString &c : columns)
        where += QStringLiteral(" AND %1 IS ?").arg(quoted(c));
    return where;
}

void bindOriginal(QSqlQuery &q, qint64 key, const QVector<QVariant> &original)
{
    q.addBindValue(key);
    for (const QVariant &v : original)
        q.addBindValue(v);
}

bool rowExists(const QString &connection, qint64 key)
{
    QSqlQuery q(QSqlDatabase::database(connection, false));
    q.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE %2 = ?").arg(QLatin1String(kTable), QLatin1String(kKeyColumn)));
    q.addBindValue(key);
    if (!q.exec())
        throw VarnelError(engineMessage(q.lastError()));
    return q.next();
}

void requireKey(qint64 key)
{
    if (key < 0)
        throw VarnelError(QStringLiteral("This record cannot be changed: the selection holds no row key"));
}

} // namespace

void AdoConnection::updateRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original,
                              const QVector<QVariant> &values)
{
    requireKey(key);
    requireConnected();
    QStringList sets;
    QVector<QVariant> changed;
    for (int i = 0; i < columns.size(); ++i) {
        const QVariant &a = original.at(i), &b = values.at(i);
        if (a.isNull() != b.isNull() || (!a.isNull() && a != b)) {
            sets << quoted(columns.at(i)) + QStringLiteral(" = ?");
            changed << b;
        }
    }
    if (sets.isEmpty())
        return;
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("UPDATE %1 SET %2").arg(QLatin1String(kTable), sets.join(','))
              + unchangedSince(columns));
    for (const QVariant &v : changed)
        q.addBindValue(v);
    bindOriginal(q, key, original);
    if (!q.exec())
        throw VarnelError(engineMessage(q.lastError()));
    if (q.numRowsAffected() == 0) {
        if (rowExists(m_name, key))
            throw VarnelError(QStringLiteral(
                "Another program changed this record after it was read, so your changes were not "
                "saved. Cancel them and reset the view to see the record as it is now"));
        throw VarnelError(QStringLiteral(
            "Another program deleted this record after it was read, so your changes were not saved"));
    }
}

void AdoConnection::deleteRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original)
{
    requireKey(key);
    requireConnected();
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("DELETE FROM %1").arg(QLatin1String(kTable)) + unchangedSince(columns));
    bindOriginal(q, key, original);
    if (!q.exec())
        throw VarnelError(engineMessage(q.lastError()));
    // A row another program already deleted is gone either way; one it
    // changed is not ours to delete unseen.
    if (q.numRowsAffected() == 0 && rowExists(m_name, key))
        throw VarnelError(QStringLiteral(
            "Another program changed this record after it was read, so it was not deleted. Reset "
            "the view to see the record as it is now"));
}

void AdoConnection::execute(const QString &statement)
{
    requireConnected();
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(statement))
        throw VarnelError(engineMessage(q.lastError()));
}
