#include "store/ServerBook.h"

#include "platform/VarnelError.h"
#include "store/AddressFields.h"
#include "store/EngineErrors.h"
#include "store/StatementTranslator.h"
#include "store/TextMatch.h"
#include "store/TextOrder.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <memory>

namespace {

const char *const kChannel = "varnel_homead";

QString quoted(const QString &name)
{
    QString q = name;
    q.replace('"', QLatin1String("\"\""));
    return '"' + q + '"';
}

QString engineText(const QSqlError &e)
{
    const QString db = e.databaseText().trimmed();
    return db.isEmpty() ? e.text().trimmed() : db;
}

bool connectionLost(const QSqlError &e)
{
    const QString code = e.nativeErrorCode();
    const QString text = engineText(e);
    return code.startsWith(QLatin1String("08")) || code == QLatin1String("57P01") ||
           code == QLatin1String("57P02") || code == QLatin1String("57P03") ||
           text.contains(QLatin1String("server closed the connection"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("no connection to the server"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("terminating connection"), Qt::CaseInsensitive) ||
           text.contains(QLatin1String("connection to server"), Qt::CaseInsensitive);
}

// Text the server holds as text: bytes another tool left in a file book are
// read as Latin-1, the one reading that cannot fail.
QVariant forServer(const QVariant &v)
{
    if (v.isNull())
        return QVariant(QMetaType::fromType<QString>());
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromLatin1(v.toByteArray());
    return v.toString();
}

QVariant fromServer(const QVariant &v)
{
    return v.isNull() ? QVariant() : QVariant(v.toString());
}

} // namespace

ServerBook::ServerBook(const QString &address, const QString &connectionName, QObject *parent)
    : QObject(parent), m_address(BookAddress::display(address)),
      m_server(BookAddress::parse(address)), m_name(connectionName)
{
}

ServerBook::~ServerBook()
{
    close();
}

QString ServerBook::describe() const
{
    return m_address;
}

void ServerBook::open(const QString &password, const PasswordPrompt &prompt)
{
    if (!password.isEmpty())
        m_server.password = password;
    for (;;) {
        try {
            connectServer();
            break;
        } catch (const VarnelError &) {
            if (!m_passwordWanted || !prompt)
                throw;
            const QString typed = prompt(m_address);
            if (typed.isNull())
                throw;
            m_server.password = typed;
        }
    }
    m_open = true;
}

void ServerBook::connectServer()
{
    m_passwordWanted = false;
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL")))
        throw VarnelError(tr("Server books need Qt's PostgreSQL driver, which is not "
                             "installed (Debian package libqt6sql6-psql)"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        db.setHostName(m_server.host);
        if (m_server.port > 0)
            db.setPort(m_server.port);
        db.setDatabaseName(m_server.database);
        db.setUserName(m_server.user);
        db.setPassword(m_server.password);
        QString options = QStringLiteral("connect_timeout=10;application_name=varnel");
        if (!m_server.options.isEmpty())
            options += ';' + m_server.options;
        db.setConnectOptions(options);
        if (!db.open()) {
            const QString why = engineText(db.lastError());
            QString plain;
            const QString who = m_server.user.isEmpty() ? tr("you") : m_server.user;
            if (why.contains(QLatin1String("no password supplied"))) {
                m_passwordWanted = true;
                plain = tr("The server of %1 asks for the password of %2").arg(describe(), who);
            } else if (why.contains(QLatin1String("password authentication failed"))) {
                m_passwordWanted = true;
                plain = tr("The server of %1 refused the password of %2; type it "
                           "again")
                            .arg(describe(), who);
            } else if (why.contains(QLatin1String("does not exist")) &&
                       why.contains(QLatin1String("database"))) {
                plain = tr("The server has no database '%1' (%2). Ask whoever keeps "
                           "the server to create it, or check its name")
                            .arg(m_server.database, describe());
            } else if (why.contains(QLatin1String("role")) &&
                       why.contains(QLatin1String("does not exist"))) {
                plain = tr("The server of %1 knows no user %2").arg(describe(), who);
            } else {
                plain = tr("The server of %1 cannot be reached: check that it is "
                           "running and that the host and port are right")
                            .arg(describe());
            }
            // The password never goes into a message, even when the engine
            // repeats the connection's words.
            QString detail = why;
            if (!m_server.password.isEmpty())
                detail.replace(m_server.password, QLatin1String("****"));
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            throw VarnelError(plain + '\n' + detail);
        }
        QSqlQuery q(db);
        // A row another user holds is waited for as long as a file lock is.
        q.exec(QStringLiteral("SET lock_timeout = '5s'"));
        db.driver()->subscribeToNotification(QLatin1String(kChannel));
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString &, QSqlDriver::NotificationSource source, const QVariant &) {
                    if (source == QSqlDriver::OtherSource)
                        emit changedElsewhere();
                });
    }
    m_lost = false;
    findTable();
}

void ServerBook::findTable()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("SELECT table_name FROM information_schema.tables WHERE "
                             "table_schema = current_schema() AND lower(table_name) = 'homead' "
                             "ORDER BY table_name = 'homead' DESC"));
    if (!q.exec())
        refuse(q, false);
    m_table = q.next() ? quoted(q.value(0).toString()) : QString();
    m_readOnlyReason.clear();
    if (m_table.isEmpty())
        return;
    QSqlQuery c(db);
    c.prepare(QStringLiteral("SELECT column_name FROM information_schema.columns WHERE "
                             "table_schema = current_schema() AND table_name = ?"));
    c.addBindValue(
        m_table.mid(1, m_table.size() - 2).replace(QLatin1String("\"\""), QLatin1String("\"")));
    if (!c.exec())
        refuse(c, false);
    QStringList present;
    while (c.next())
        present << c.value(0).toString();
    QStringList missing;
    for (const QString &wanted : AddressFields::storedNames())
        if (!present.contains(wanted))
            missing << wanted;
    if (!present.contains(QLatin1String("ID")))
        m_readOnlyReason = tr("its table HomeAd has no record number (ID)");
    else if (!missing.isEmpty())
        m_readOnlyReason =
            tr("its table HomeAd lacks the column%1 %2")
                .arg(missing.size() > 1 ? "s" : "", missing.join(QStringLiteral(", ")));
}

void ServerBook::close()
{
    if (!QSqlDatabase::contains(m_name))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_open = false;
}

void ServerBook::ensureConnected()
{
    if (!m_lost)
        return;
    close();
    connectServer();
    m_open = true;
    m_reconnected = true;
}

void ServerBook::refuse(const QSqlQuery &q, bool writing)
{
    const QSqlError e = q.lastError();
    const QString why = engineText(e);
    const QString code = e.nativeErrorCode();
    if (connectionLost(e)) {
        m_lost = true;
        throw VarnelError(
            tr("The connection to the server of %1 was lost%2. Try again: the "
               "program connects anew")
                .arg(describe(), writing ? tr(", so the change was not saved") : QString()) +
            '\n' + why);
    }
    if (code == QLatin1String("55P03") || code == QLatin1String("40P01") ||
        code == QLatin1String("40001"))
        throw VarnelError(tr("This record of %1 is being changed by another user; "
                             "try again")
                              .arg(describe()) +
                          '\n' + why);
    if (code == QLatin1String("23514")) {
        // The table's own rule, named in the user's words.
        static const QRegularExpression named(QStringLiteral("check constraint \"([^\"]+)\""));
        const QRegularExpressionMatch m = named.match(why);
        if (m.hasMatch())
            throw VarnelError(m.captured(1));
    }
    if (code == QLatin1String("42501"))
        throw VarnelError(tr("The server does not let %1 %2 %3")
                              .arg(m_server.user.isEmpty() ? tr("you") : m_server.user,
                                   writing ? tr("change") : tr("read"), describe()) +
                          '\n' + why);
    throw VarnelError(why);
}

AdoConnection::Result ServerBook::select(const QString &statement, const QStringList &columns)
{
    ensureConnected();
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    const StatementTranslator::Selection s = StatementTranslator::parse(statement);
    AdoConnection::Result result;
    result.columns = columns;
    if (s.recognised && m_table.isEmpty())
        throw VarnelError(tr("%1 holds no table HomeAd").arg(describe()));

    QSqlQuery q(db);
    q.setForwardOnly(true);
    QString sql = statement;
    // The program's own selections read every column, so that the match and
    // the order can look at any field; the asked columns are kept at the end.
    const QStringList wanted = columns;
    const QStringList fetched = s.recognised ? AddressFields::storedNames() : columns;
    if (s.recognised) {
        QStringList names{QStringLiteral("\"ID\"")};
        for (const QString &c : fetched)
            names << quoted(c);
        sql = QStringLiteral("SELECT %1 FROM %2").arg(names.join(','), m_table);
        const int whereColumn =
            s.whereField == AddressFields::Cap ? AddressFields::Surname : s.whereField;
        if (whereColumn >= 0)
            sql += QStringLiteral(" WHERE %1 IS NOT NULL")
                       .arg(quoted(AddressFields::all().at(whereColumn).name));
        sql += QStringLiteral(" ORDER BY \"ID\"");
    }
    if (!q.exec(sql))
        refuse(q, false);
    const QSqlRecord record = q.record();
    QVector<int> map(fetched.size(), -1);
    for (int i = 0; i < fetched.size(); ++i)
        for (int j = 0; j < record.count(); ++j)
            if (map.at(i) < 0 &&
                record.fieldName(j).compare(fetched.at(i), Qt::CaseInsensitive) == 0)
                map[i] = j;
    const int keyIndex = record.indexOf(QStringLiteral("ID"));
    while (q.next()) {
        AdoConnection::Row row;
        row.key = keyIndex >= 0 ? q.value(keyIndex).toLongLong() : -1;
        row.values.resize(fetched.size());
        for (int i = 0; i < map.size(); ++i)
            if (map.at(i) >= 0)
                row.values[i] = fromServer(q.value(map.at(i)));
        result.rows.push_back(std::move(row));
    }
    if (q.lastError().isValid())
        refuse(q, false);
    if (!s.recognised)
        return result;

    // The book's own match and order, as a file book applies them.
    auto fieldText = [&](const AdoConnection::Row &row, int field, bool *isNull) {
        const int source = field == AddressFields::Cap ? AddressFields::Surname : field;
        const int at = int(source);
        const QVariant v = at >= 0 ? row.values.at(at) : QVariant();
        *isNull = v.isNull();
        const QString text = v.toString();
        return field == AddressFields::Cap ? text.left(1) : text;
    };
    if (s.whereField >= 0) {
        std::vector<AdoConnection::Row> kept;
        for (AdoConnection::Row &row : result.rows) {
            bool isNull = false;
            const QString text = fieldText(row, s.whereField, &isNull);
            if (!isNull && TextMatch::like(s.pattern, text) != s.negated)
                kept.push_back(std::move(row));
        }
        result.rows = std::move(kept);
    }
    if (s.orderField >= 0) {
        std::vector<std::pair<QString, bool>> keys;
        keys.reserve(result.rows.size());
        std::vector<size_t> order(result.rows.size());
        for (size_t i = 0; i < result.rows.size(); ++i) {
            bool isNull = false;
            const QString text = fieldText(result.rows[i], s.orderField, &isNull);
            keys.emplace_back(TextOrder::key(text), isNull);
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            if (keys[a].second != keys[b].second)
                return keys[a].second; // empty fields first, as on a file
            const int c = QString::compare(keys[a].first, keys[b].first, Qt::CaseSensitive);
            if (c != 0)
                return c < 0;
            bool n = false;
            return QString::compare(fieldText(result.rows[a], s.orderField, &n),
                                    fieldText(result.rows[b], s.orderField, &n),
                                    Qt::CaseSensitive) < 0;
        });
        std::vector<AdoConnection::Row> sorted;
        sorted.reserve(order.size());
        for (size_t i : order)
            sorted.push_back(std::move(result.rows[i]));
        result.rows = std::move(sorted);
    }
    QVector<int> pick;
    for (const QString &c : wanted)
        pick << AddressFields::indexOf(c);
    for (AdoConnection::Row &row : result.rows) {
        QVector<QVariant> values(pick.size());
        for (int i = 0; i < pick.size(); ++i)
            if (pick.at(i) >= 0 && pick.at(i) < AddressFields::StoredCount)
                values[i] = row.values.at(pick.at(i));
        row.values = std::move(values);
    }
    return result;
}

void ServerBook::announce()
{
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.exec(QStringLiteral("NOTIFY %1").arg(QLatin1String(kChannel)));
}

qint64 ServerBook::insertRow(const QStringList &columns, const QVector<QVariant> &values)
{
    ensureConnected();
    QStringList names, marks;
    for (const QString &c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) RETURNING \"ID\"")
                  .arg(m_table, names.join(','), marks.join(',')));
    for (const QVariant &v : values)
        q.addBindValue(forServer(v));
    if (!q.exec())
        refuse(q, true);
    const qint64 key = q.next() ? q.value(0).toLongLong() : -1;
    announce();
    return key;
}

namespace {

QString unchangedSince(const QStringList &columns)
{
    QString where = QStringLiteral(" WHERE \"ID\" = ?");
    for (const QString &c : columns)
        where += QStringLiteral(" AND %1 IS NOT DISTINCT FROM ?").arg(quoted(c));
    return where;
}

} // namespace

bool ServerBook::rowExists(qint64 key)
{
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE \"ID\" = ?").arg(m_table));
    q.addBindValue(key);
    if (!q.exec())
        refuse(q, true);
    return q.next();
}

void ServerBook::updateRow(qint64 key, const QStringList &columns,
                           const QVector<QVariant> &original, const QVector<QVariant> &values)
{
    ensureConnected();
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
    q.prepare(QStringLiteral("UPDATE %1 SET %2").arg(m_table, sets.join(',')) +
              unchangedSince(columns));
    for (const QVariant &v : changed)
        q.addBindValue(forServer(v));
    q.addBindValue(key);
    for (const QVariant &v : original)
        q.addBindValue(forServer(v));
    if (!q.exec())
        refuse(q, true);
    const bool retry = m_reconnected;
    m_reconnected = false;
    if (q.numRowsAffected() > 0) {
        announce();
        return;
    }
    // A save tried again after a lost connection may find its own change
    // already there (the first try went in before the line broke): that is
    // no conflict. Anything else that left the row unmatched is.
    QSqlQuery mine(QSqlDatabase::database(m_name, false));
    mine.prepare(QStringLiteral("SELECT 1 FROM %1").arg(m_table) + unchangedSince(columns));
    mine.addBindValue(key);
    for (const QVariant &v : values)
        mine.addBindValue(forServer(v));
    if (retry && mine.exec() && mine.next())
        return;
    if (rowExists(key))
        throw VarnelError(EngineErrors::changedElsewhere());
    throw VarnelError(EngineErrors::deletedElsewhere());
}

void ServerBook::deleteRow(qint64 key, const QStringList &columns,
                           const QVector<QVariant> &original)
{
    ensureConnected();
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    q.prepare(QStringLiteral("DELETE FROM %1").arg(m_table) + unchangedSince(columns));
    q.addBindValue(key);
    for (const QVariant &v : original)
        q.addBindValue(forServer(v));
    if (!q.exec())
        refuse(q, true);
    if (q.numRowsAffected() > 0)
        announce();
    else if (rowExists(key))
        throw VarnelError(EngineErrors::changedBeforeDelete());
}

void ServerBook::execute(const QString &statement)
{
    ensureConnected();
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(statement))
        refuse(q, true);
}

void ServerBook::createTable()
{
    ensureConnected();
    if (!m_table.isEmpty())
        return;
    // The columns, lengths and rules of a file book's table.
    QStringList parts{QStringLiteral("\"ID\" bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")};
    for (const FieldDef &f : AddressFields::stored()) {
        QString column = quoted(f.name) + QStringLiteral(" text");
        if (f.kind == FieldDef::DateTime)
            column += QStringLiteral(" CONSTRAINT %1 CHECK (%2 IS NULL OR %2 ~ "
                                     "'^[0-9]{4}-[0-1][0-9]-[0-3][0-9]')")
                          .arg(quoted(f.name + QStringLiteral(" must be a date (YYYY-MM-DD)")),
                               quoted(f.name));
        else if (f.size > 0)
            column += QStringLiteral(" CONSTRAINT %1 CHECK (char_length(%2) <= %3)")
                          .arg(quoted(QStringLiteral("%1 holds at most %2 characters")
                                          .arg(f.name)
                                          .arg(f.size)),
                               quoted(f.name))
                          .arg(f.size);
        parts << column;
    }
    QSqlQuery q(QSqlDatabase::database(m_name, false));
    if (!q.exec(QStringLiteral("CREATE TABLE HomeAd (%1)").arg(parts.join(QStringLiteral(", ")))))
        refuse(q, true);
    findTable();
}

void ServerBook::appendRows(const QStringList &columns, const std::vector<AdoConnection::Row> &rows)
{
    ensureConnected();
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.transaction())
        throw VarnelError(engineText(db.lastError()));
    try {
        QStringList names{QStringLiteral("\"ID\"")}, marks{QStringLiteral("?")};
        for (const QString &c : columns) {
            names << quoted(c);
            marks << QStringLiteral("?");
        }
        // Rows go in a batch at a time: one round trip to the server for each
        // batch rather than for each row.
        constexpr size_t kBatch = 32;
        const QString tuple = '(' + marks.join(',') + ')';
        auto insertFor = [&](size_t count) {
            QStringList tuples;
            for (size_t i = 0; i < count; ++i)
                tuples << tuple;
            auto q = std::make_unique<QSqlQuery>(db);
            q->prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
                           .arg(m_table, names.join(','), tuples.join(',')));
            return q;
        };
        std::unique_ptr<QSqlQuery> full;
        for (size_t start = 0; start < rows.size(); start += kBatch) {
            const size_t count = std::min(kBatch, rows.size() - start);
            std::unique_ptr<QSqlQuery> rest;
            QSqlQuery *q = nullptr;
            if (count == kBatch) {
                if (!full)
                    full = insertFor(kBatch);
                q = full.get();
            } else {
                rest = insertFor(count);
                q = rest.get();
            }
            for (size_t r = start; r < start + count; ++r) {
                q->addBindValue(rows[r].key);
                for (const QVariant &v : rows[r].values)
                    q->addBindValue(forServer(v));
            }
            if (!q->exec())
                refuse(*q, true);
        }
        // New records go on after the copied record numbers.
        QSqlQuery s(db);
        if (!s.exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', 'ID'), "
                                   "GREATEST((SELECT max(\"ID\") FROM %2), 1))")
                        .arg(QString(m_table).replace('\'', QLatin1String("''")), m_table)))
            refuse(s, true);
        if (!db.commit())
            throw VarnelError(engineText(db.lastError()));
    } catch (...) {
        db.rollback();
        throw;
    }
    announce();
}
