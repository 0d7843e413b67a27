#include "store/AdoConnection.h"

#include "platform/VarnelError.h"
#include "store/AddressFields.h"
#include "store/BookAddress.h"
#include "store/ServerBook.h"
#include "store/EngineErrors.h"
#include "store/EngineWait.h"
#include "store/StatementTranslator.h"
#include "store/TextMatch.h"
#include "store/TextOrder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringDecoder>
#include <QUrl>
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

// varnel_like(pattern, text [, escape]): the program's LIKE, which folds the
// case of every letter and not only A to Z. It has a name of its own: SQLite's
// built-in LIKE and NOCASE stay as every other tool knows them, so an index
// that another tool built stays in order whatever the program writes.
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

QString AdoConnection::connectionStringFor(const QString &address)
{
    const QString path = BookAddress::display(address);
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

void AdoConnection::setBook(const QString &address)
{
    setConnectionString(connectionStringFor(address));
    m_password = BookAddress::isServer(address) ? BookAddress::parse(address).password : QString();
}

bool AdoConnection::isServerBook() const
{
    return BookAddress::isServer(fileName());
}

void AdoConnection::openServer()
{
    auto server = std::make_unique<ServerBook>(fileName(), m_name);
    m_passwordWanted = false;
    try {
        server->open(m_password, m_passwordPrompt);
    } catch (const VarnelError &) {
        m_passwordWanted = server->passwordWanted();
        throw;
    }
    m_password = server->password();
    if (!server->hasTable())
        throw VarnelError(tr("%1 holds no table %2")
                              .arg(BookAddress::display(fileName()), QLatin1String(kTable)));
    connect(server.get(), &ServerBook::changedElsewhere, this, &AdoConnection::changedElsewhere);
    m_readOnlyReason = server->readOnlyReason();
    m_readOnly = server->readOnly();
    m_server = std::move(server);
    m_connected = true;
    if (m_readOnly)
        emit openedReadOnly(readOnlyNotice(fileName()));
}

void AdoConnection::setConnectionString(const QString &text)
{
    if (m_connected)
        throw VarnelError(tr("Cannot change the connection string of an open connection"));
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

namespace {

sqlite3 *handleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
        return *static_cast<sqlite3 *const *>(handle.constData());
    return nullptr;
}

struct Failure
{
    int code = SQLITE_OK;
    QString text;
};

// One statement's first column, or the engine's refusal.
QVariant scalar(sqlite3 *h, const char *sql, Failure *failure)
{
    sqlite3_stmt *st = nullptr;
    QVariant value;
    int rc = sqlite3_prepare_v2(h, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        rc = sqlite3_step(st);
        if (rc == SQLITE_ROW) {
            value = sqlite3_column_type(st, 0) == SQLITE_INTEGER
                        ? QVariant(qint64(sqlite3_column_int64(st, 0)))
                        : QVariant(QString::fromUtf8(
                              reinterpret_cast<const char *>(sqlite3_column_text(st, 0))));
            rc = SQLITE_OK;
        } else if (rc == SQLITE_DONE) {
            rc = SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK && failure) {
        failure->code = sqlite3_extended_errcode(h);
        failure->text = QString::fromUtf8(sqlite3_errmsg(h));
    }
    sqlite3_finalize(st);
    return value;
}

QStringList columnsOf(sqlite3 *h, bool *uniqueKey)
{
    QStringList names;
    *uniqueKey = false;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(h, "SELECT name, type, pk FROM pragma_table_info('HomeAd')", -1, &st,
                           nullptr) == SQLITE_OK) {
        int pkColumns = 0;
        bool idIsRowid = false;
        while (sqlite3_step(st) == SQLITE_ROW) {
            const QString name =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            const QString type =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1)));
            names << name;
            if (sqlite3_column_int(st, 2) > 0) {
                ++pkColumns;
                idIsRowid = name.compare(QLatin1String(kKeyColumn), Qt::CaseInsensitive) == 0 &&
                            type.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            }
        }
        *uniqueKey = pkColumns == 1 && idIsRowid;
    }
    sqlite3_finalize(st);
    if (*uniqueKey)
        return names;
    // Otherwise a unique index on ID alone will do.
    if (sqlite3_prepare_v2(
            h,
            "SELECT count(*) FROM pragma_index_list('HomeAd') AS l WHERE l.\"unique\" "
            "AND (SELECT count(*) FROM pragma_index_info(l.name)) = 1 AND "
            "(SELECT lower(name) FROM pragma_index_info(l.name)) = 'id'",
            -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        *uniqueKey = sqlite3_column_int(st, 0) > 0;
    sqlite3_finalize(st);
    return names;
}

} // namespace

bool AdoConnection::connectFile(const QString &path, Mode mode, QString *problem)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=0");
    if (mode != ReadWrite) {
        // An immutable book is read with no lock and no -shm file: the only
        // way to read a WAL book in a folder we may not write.
        QUrl url = QUrl::fromLocalFile(path);
        url.setQuery(mode == Immutable ? QStringLiteral("mode=ro&immutable=1")
                                       : QStringLiteral("mode=ro"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        options += QStringLiteral(";QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY");
    } else {
        db.setDatabaseName(path);
    }
    db.setConnectOptions(options);
    *problem = QString();
    if (!db.open()) {
        *problem = EngineErrors::explain(SQLITE_CANTOPEN, engineMessage(db.lastError()), path);
        return false;
    }
    sqlite3 *h = handleOf(db);
    if (!h) {
        *problem = tr("The address book engine is not available");
        return false;
    }
    sqlite3_extended_result_codes(h, 1);
    EngineWait::install(h);
    sqlite3_create_collation(h, "VARNEL_NOCASE", SQLITE_UTF8, nullptr, collate);
    for (int args : {2, 3})
        sqlite3_create_function(h, "varnel_like", args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                like, nullptr, nullptr);
    return true;
}

void AdoConnection::dropFile()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

void AdoConnection::open()
{
    if (m_connected)
        return;
    if (isServerBook()) {
        openServer();
        return;
    }
    const QString path = fileName();
    if (path.isEmpty())
        throw VarnelError(tr("No address book file is named in the connection string"));
    const QFileInfo info(path);
    if (!info.exists())
        throw VarnelError(tr("Could not find file '%1'").arg(path));
    if (!info.isFile())
        throw VarnelError(tr("'%1' is not an address book file").arg(path));
    if (!info.isReadable())
        throw VarnelError(tr("'%1' cannot be opened: you are not allowed to read it").arg(path));

    const EngineWait::Scope wait;
    m_readOnlyReason.clear();
    Mode mode = ReadWrite;
    if (!info.isWritable()) {
        mode = ReadOnly;
        m_readOnlyReason = tr("the file is read-only");
    }
    for (;;) {
        QString problem;
        Failure failure;
        if (connectFile(path, mode, &problem)) {
            sqlite3 *h = handleOf(QSqlDatabase::database(m_name, false));
            // Reading the schema is the first read of the file: a file that is
            // not a database fails here, before anything could be written.
            const QVariant tables = scalar(h,
                                           "SELECT count(*) FROM sqlite_master WHERE type = "
                                           "'table' AND lower(name) = 'homead'",
                                           &failure);
            if (failure.code == SQLITE_OK && tables.toInt() == 0)
                problem = tr("'%1' is not an address book file: it holds no table %2")
                              .arg(path, QLatin1String(kTable));
            else if (failure.code == SQLITE_OK)
                problem = inspect(h, path, mode, &failure);
        }
        if (problem.isEmpty() && failure.code == SQLITE_OK)
            break;
        dropFile();
        const int primary = failure.code & 0xFF;
        // A book we may read but not write (a WAL book whose folder we may not
        // write) is opened read-only rather than refused.
        const bool writeRefused =
            primary == SQLITE_READONLY || primary == SQLITE_CANTOPEN || primary == SQLITE_PERM;
        if (writeRefused && mode == ReadWrite) {
            mode = ReadOnly;
            m_readOnlyReason = tr("its folder cannot be written");
            continue;
        }
        if (writeRefused && mode == ReadOnly &&
            !QFileInfo(QFileInfo(path).absolutePath()).isWritable() &&
            QFileInfo(path + QStringLiteral("-wal")).size() == 0) {
            mode = Immutable;
            m_readOnlyReason = tr("its folder cannot be written");
            continue;
        }
        if (!problem.isEmpty())
            throw VarnelError(problem);
        // The first reads only look at the file's own structure: an error
        // there means a schema that no longer parses.
        if (primary == SQLITE_ERROR || primary == SQLITE_CORRUPT)
            throw VarnelError(EngineErrors::explain(SQLITE_CORRUPT, failure.text, path));
        if (primary == SQLITE_NOTADB)
            throw VarnelError(tr("'%1' is not an address book file\n%2").arg(path, failure.text));
        throw VarnelError(EngineErrors::explain(failure.code, failure.text, path));
    }
    m_readOnly = mode != ReadWrite || !m_readOnlyReason.isEmpty();
    m_connected = true;
    if (m_readOnly)
        emit openedReadOnly(readOnlyNotice(path));
}

QString AdoConnection::readOnlyNotice(const QString &path) const
{
    return tr("'%1' is opened read-only: %2. Its records can be read and printed but "
              "not changed; save a copy with File > Save As to change them")
        .arg(path, m_readOnlyReason);
}

// Whatever would make a write unsound is found here, at the open: a damaged
// file is refused; a table whose rows cannot be told apart, or that lacks
// columns, is opened read-only with the reason; a book whose indexes the
// program may have put out of order is put right once.
QString AdoConnection::inspect(sqlite3 *h, const QString &path, Mode mode, void *failureOut)
{
    Failure &failure = *static_cast<Failure *>(failureOut);
    const QVariant check = scalar(h, "PRAGMA quick_check", &failure);
    // A check that cannot even run (a schema whose rules no longer parse) is
    // damage too; only a lock or a refused read is told as what it is.
    if (failure.code != SQLITE_OK) {
        const int primary = failure.code & 0xFF;
        if (EngineErrors::isBusy(failure.code) || primary == SQLITE_READONLY ||
            primary == SQLITE_CANTOPEN || primary == SQLITE_PERM || primary == SQLITE_IOERR ||
            primary == SQLITE_NOTADB)
            return QString();
        const QString why = failure.text;
        failure = Failure();
        return EngineErrors::explain(SQLITE_CORRUPT, why, path);
    }
    if (check.toString() != QLatin1String("ok"))
        return EngineErrors::explain(SQLITE_CORRUPT, check.toString(), path);

    bool uniqueKey = false;
    const QStringList present = columnsOf(h, &uniqueKey);
    QStringList missing;
    for (const QString &wanted : AddressFields::storedNames())
        if (!present.contains(wanted, Qt::CaseInsensitive))
            missing << wanted;
    if (!missing.isEmpty())
        m_readOnlyReason = tr("its table %1 lacks the column%2 %3")
                               .arg(QLatin1String(kTable), missing.size() > 1 ? "s" : "",
                                    missing.join(QStringLiteral(", ")));
    else if (!uniqueKey)
        m_readOnlyReason = tr("its table %1 has no unique record number (%2), so a "
                              "change to one record could reach others")
                               .arg(QLatin1String(kTable), QLatin1String(kKeyColumn));
    if (mode == ReadWrite && m_readOnlyReason.isEmpty())
        return migrate(h, path, &failure);
    return QString();
}

// Earlier versions compared with their own rules under SQLite's names NOCASE
// and LIKE, so an index that names NOCASE (or a column declared with it) may
// be out of order for every other tool. Rebuilt once, in one transaction, and
// checked before it is kept; user_version 1 records that it was done.
QString AdoConnection::migrate(sqlite3 *h, const QString &path, void *failureOut)
{
    Failure &failure = *static_cast<Failure *>(failureOut);
    if (scalar(h, "PRAGMA user_version", &failure).toLongLong() != 0 || failure.code != SQLITE_OK)
        return QString();
    const qint64 indexes =
        scalar(h, "SELECT count(*) FROM sqlite_master WHERE type = 'index' AND sql IS NOT NULL",
               &failure)
            .toLongLong();
    if (failure.code != SQLITE_OK || indexes == 0)
        return QString();
    auto run = [&](const char *sql) {
        if (failure.code == SQLITE_OK)
            scalar(h, sql, &failure);
        return failure.code == SQLITE_OK;
    };
    if (!run("BEGIN IMMEDIATE"))
        return QString();
    if (run("REINDEX NOCASE") &&
        scalar(h, "PRAGMA integrity_check", &failure).toString() == QLatin1String("ok") &&
        run("PRAGMA user_version = 1") && run("COMMIT"))
        return QString();
    Failure ignored;
    scalar(h, "ROLLBACK", &ignored);
    if (failure.code == SQLITE_OK)
        return EngineErrors::explain(SQLITE_CORRUPT, QString(), path);
    return QString();
}

void AdoConnection::close()
{
    if (!m_connected)
        return;
    emit aboutToDisconnect();
    if (m_server)
        m_server.reset();
    else
        dropFile();
    m_connected = false;
    m_readOnly = false;
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

bool isUtf8(const char *text, int size)
{
    int i = 0;
    while (i < size && (unsigned char)text[i] < 0x80)
        ++i;
    if (i == size)
        return true;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = utf8(QByteArrayView(text + i, size - i));
    return !utf8.hasError();
}

void addColumn(RowStore &store, sqlite3_stmt *st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL:
        store.addNull();
        break;
    case SQLITE_INTEGER:
        store.addValue(QVariant(qint64(sqlite3_column_int64(st, column))));
        break;
    case SQLITE_FLOAT:
        store.addValue(QVariant(sqlite3_column_double(st, column)));
        break;
    case SQLITE_BLOB:
        store.addValue(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, column)),
                                  sqlite3_column_bytes(st, column)));
        break;
    default: {
        const char *text = reinterpret_cast<const char *>(sqlite3_column_text(st, column));
        const int size = sqlite3_column_bytes(st, column);
        // Text another tool stored in another encoding (a Latin-1 import) is
        // kept as its bytes, so that a save can tell it is unchanged.
        if (isUtf8(text, size))
            store.addText(text, size);
        else
            store.addValue(QByteArray(text, size));
    }
    }
}

} // namespace

AdoConnection::Result AdoConnection::select(const QString &statement, const QStringList &columns)
{
    const RowStore store = fetch(statement, columns);
    Result result;
    result.columns = columns;
    result.rows.reserve(store.size());
    for (int i = 0; i < store.size(); ++i)
        result.rows.push_back(Row{store.key(i), store.values(i)});
    return result;
}

RowStore AdoConnection::fetch(const QString &statement, const QStringList &columns)
{
    const EngineWait::Scope wait;
    requireConnected();
    if (m_server) {
        const Result result = m_server->select(statement, columns);
        RowStore store(int(columns.size()));
        store.reserve(int(result.rows.size()));
        for (const Row &row : result.rows) {
            store.beginRow(row.key);
            for (const QVariant &v : row.values)
                store.addValue(v);
        }
        return store;
    }
    sqlite3 *h = sqliteHandle(QSqlDatabase::database(m_name, false));
    if (!h)
        throw VarnelError(tr("The address book engine is not available"));

    // The program's own statement forms go to SQLite with their patterns as
    // bound values; any other statement is SQLite's to read as it stands.
    // Rows are read straight from SQLite: a whole address book is fetched at
    // every open, and this is the one place where that takes time.
    const StatementTranslator::Translated translated = StatementTranslator::translate(statement);
    const QByteArray sql = (translated.recognised ? translated.sql : statement).toUtf8();
    sqlite3_stmt *raw = nullptr;
    if (sqlite3_prepare_v2(h, sql.constData(), int(sql.size()), &raw, nullptr) != SQLITE_OK)
        throw VarnelError(EngineErrors::explain(sqlite3_extended_errcode(h),
                                                QString::fromUtf8(sqlite3_errmsg(h)), fileName()));
    if (!raw) // nothing but blanks or a comment
        throw VarnelError(tr("The statement is empty"));
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> st(raw, sqlite3_finalize);
    for (int i = 0; i < translated.values.size(); ++i) {
        const QByteArray v = translated.values.at(i).toString().toUtf8();
        sqlite3_bind_text(raw, i + 1, v.constData(), int(v.size()), SQLITE_TRANSIENT);
    }

    RowStore result(int(columns.size()));
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
        result.beginRow(keyIndex >= 0 ? sqlite3_column_int64(raw, keyIndex) : -1);
        for (int i = 0; i < map.size(); ++i) {
            if (map.at(i) >= 0)
                addColumn(result, raw, map.at(i));
            else
                result.addNull();
        }
    }
    if (rc != SQLITE_DONE)
        throw VarnelError(EngineErrors::explain(sqlite3_extended_errcode(h),
                                                QString::fromUtf8(sqlite3_errmsg(h)), fileName()));
    result.squeeze();
    return result;
}

void AdoConnection::refuse(const QSqlQuery &q)
{
    sqlite3 *h = sqliteHandle(QSqlDatabase::database(m_name, false));
    const int code = h ? sqlite3_extended_errcode(h) : SQLITE_ERROR;
    throw VarnelError(EngineErrors::explain(code, engineMessage(q.lastError()), fileName(),
                                            h ? sqlite3_system_errno(h) : 0));
}

void AdoConnection::requireWritable()
{
    requireConnected();
    if (m_readOnly)
        throw VarnelError(readOnlyNotice(fileName()));
}

qint64 AdoConnection::insertRow(const QStringList &columns, const QVector<QVariant> &values)
{
    const EngineWait::Scope wait;
    requireWritable();
    if (m_server)
        return m_server->insertRow(columns, values);
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
        refuse(q);
    return q.lastInsertId().toLongLong();
}

qint64 AdoConnection::insertRows(const QStringList &columns,
                                 const std::function<bool(QVector<QVariant> &values)> &next)
{
    requireWritable();
    QVector<QVariant> values(columns.size());
    qint64 written = 0;
    if (m_server) {
        while (next(values)) {
            insertRow(columns, values);
            ++written;
        }
        return written;
    }
    QStringList names, marks;
    for (const QString &c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    {
        const EngineWait::Scope wait;
        if (!q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                           .arg(QLatin1String(kTable), names.join(','), marks.join(','))))
            refuse(q);
    }
    while (next(values)) {
        const EngineWait::Scope wait;
        for (int i = 0; i < values.size(); ++i)
            q.bindValue(i, values.at(i));
        if (!q.exec())
            refuse(q);
        ++written;
    }
    return written;
}

namespace {

// The row must still hold, byte for byte, what we read: compared as bytes,
// neither a column's collation nor its text encoding can make a changed
// value look unchanged or an unchanged one look changed.
QString unchangedSince(const QStringList &columns)
{
    QString where = QStringLiteral(" WHERE %1 = ?").arg(QLatin1String(kKeyColumn));
    for (const QString &c : columns)
        where += QStringLiteral(" AND CAST(%1 AS BLOB) IS CAST(? AS BLOB)").arg(quoted(c));
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
        throw VarnelError(QCoreApplication::translate(
            "AdoConnection", "This record cannot be changed: the selection holds no row key"));
}

} // namespace

void AdoConnection::updateRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original,
                              const QVector<QVariant> &values)
{
    const EngineWait::Scope wait;
    requireWritable();
    requireKey(key);
    if (m_server)
        return m_server->updateRow(key, columns, original, values);
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
        refuse(q);
    if (q.numRowsAffected() == 0) {
        if (rowExists(m_name, key))
            throw VarnelError(EngineErrors::changedElsewhere());
        throw VarnelError(EngineErrors::deletedElsewhere());
    }
}

void AdoConnection::deleteRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original)
{
    const EngineWait::Scope wait;
    requireWritable();
    requireKey(key);
    if (m_server)
        return m_server->deleteRow(key, columns, original);
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("DELETE FROM %1").arg(QLatin1String(kTable)) + unchangedSince(columns));
    bindOriginal(q, key, original);
    if (!q.exec())
        refuse(q);
    // A row another program already deleted is gone either way; one it
    // changed is not ours to delete unseen.
    if (q.numRowsAffected() == 0 && rowExists(m_name, key))
        throw VarnelError(EngineErrors::changedBeforeDelete());
}

void AdoConnection::execute(const QString &statement)
{
    const EngineWait::Scope wait;
    requireConnected();
    if (m_server)
        return m_server->execute(statement);
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(statement))
        refuse(q);
}
