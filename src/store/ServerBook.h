#pragma once

#include "store/AdoConnection.h"
#include "store/BookAddress.h"

#include <QObject>
#include <functional>

// An address book kept in a PostgreSQL database, reached through Qt's QPSQL
// driver: the server side of AdoConnection, with the same operations and the
// same rules.
//
// What the server's dialect would make differ is done by the program: its
// LIKE and its ORDER BY follow the database's locale, which may fold only A
// to Z and order accents apart, so the program's own selections read the
// rows and apply the book's match and surname order (TextMatch, TextOrder),
// and a server book lists exactly what the same file book lists.
//
// Writes are checked as on a file: a save or delete names the row's values
// as read, so a row another user changed in between is refused, and a lock
// held by another user is waited for a few seconds. Every write is announced
// to the other users of the book (NOTIFY); their connections say so with
// changedElsewhere().
class ServerBook : public QObject
{
    Q_OBJECT
public:
    ServerBook(const QString &address, const QString &connectionName, QObject *parent = nullptr);
    ~ServerBook() override;

    // Asked for the password, with the book's address, when the server wants
    // one it was not given or refuses the one given; a null answer gives up.
    using PasswordPrompt = std::function<QString(const QString &address)>;

    // Throws VarnelError with a plain sentence; passwordWanted() tells that
    // the server asked for a password that was not given.
    void open(const QString &password, const PasswordPrompt &prompt = {});
    // The password the book was opened with, to open it again.
    QString password() const { return m_server.password; }
    void close();
    bool passwordWanted() const { return m_passwordWanted; }
    bool readOnly() const { return !m_readOnlyReason.isEmpty(); }
    QString readOnlyReason() const { return m_readOnlyReason; }

    AdoConnection::Result select(const QString &statement, const QStringList &columns);
    qint64 insertRow(const QStringList &columns, const QVector<QVariant> &values);
    void updateRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original,
                   const QVector<QVariant> &values);
    void deleteRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original);
    void execute(const QString &statement);

    // Copying books: the rows go in with their record numbers, in one
    // transaction.
    void createTable();
    bool hasTable() const { return !m_table.isEmpty(); }
    void appendRows(const QStringList &columns, const std::vector<AdoConnection::Row> &rows);

signals:
    void changedElsewhere();

private:
    void connectServer();
    void findTable();
    QString describe() const;
    [[noreturn]] void refuse(const class QSqlQuery &q, bool writing);
    void ensureConnected();
    void announce();
    bool rowExists(qint64 key);

    QString m_address; // without the password
    BookAddress::Server m_server;
    QString m_name;
    QString m_table; // quoted, as the database spells it
    QString m_readOnlyReason;
    bool m_open = false;
    bool m_lost = false;
    bool m_reconnected = false;
    bool m_passwordWanted = false;
};
