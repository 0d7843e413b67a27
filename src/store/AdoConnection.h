#pragma once

#include "store/RowStore.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

class QSqlQuery;
class ServerBook;
struct sqlite3;

// The connection to one address book file. The file is an SQLite database
// holding the table HomeAd; the connection string keeps the form the program
// has always stored ("Provider=...;Data Source=<path>;..."), and only
// "Data Source" matters to us.
//
// Several programs may have the same file open. A write waits a few seconds
// for another program's lock, and never overwrites or brings back a row that
// another program changed or deleted after we read it.
class AdoConnection : public QObject
{
    Q_OBJECT
public:
    explicit AdoConnection(QObject *parent = nullptr);
    ~AdoConnection() override;

    // `path` is a file path or a server address (BookAddress); a password
    // in an address is left out of the string.
    static QString connectionStringFor(const QString &path);
    // Names the book to open: the connection string for it, and a password
    // typed into a server address kept in memory only.
    void setBook(const QString &address);
    // For a server that asks for one; never written anywhere.
    void setPassword(const QString &password) { m_password = password; }
    // Asked for the password (with the book's address, without one) when the
    // server wants one it was not given or refuses the one given; a null
    // answer gives up. Without a prompt the open is refused.
    void setPasswordPrompt(std::function<QString(const QString &address)> prompt)
    {
        m_passwordPrompt = std::move(prompt);
    }
    // After a refused open: the server wanted a password it was not given,
    // or refused the one it was given.
    bool passwordWanted() const { return m_passwordWanted; }
    bool isServerBook() const;
    // The open server book, for copying whole books; null on a file.
    ServerBook *serverBook() const { return m_server.get(); }

    QString connectionString() const { return m_connectionString; }
    // Only while disconnected.
    void setConnectionString(const QString &text);
    // The file the connection string names.
    QString fileName() const;
    // The value of "Data Source" in a connection string, quoted or not.
    static QString dataSource(const QString &connectionString);

    bool connected() const { return m_connected; }
    // Opens the named file. Never creates or changes a file: a missing file
    // or one that is not an address book is refused with a message.
    void open();
    // Closes the file; every result on it is closed first (aboutToDisconnect).
    void close();

    // A fully fetched result. Values are as the file holds them: text, or a
    // null QVariant. `key` is the row's key, -1 when the statement did not
    // return it.
    struct Row
    {
        qint64 key = -1;
        QVector<QVariant> values;
    };
    struct Result
    {
        QStringList columns;
        std::vector<Row> rows;
    };
    // Runs a statement and fetches every row; `columns` picks the result's
    // columns by name (case-insensitive), in that order, missing ones null.
    Result select(const QString &statement, const QStringList &columns);
    // The same, the rows kept compact.
    RowStore fetch(const QString &statement, const QStringList &columns);

    // Row writes on table HomeAd, each written to the file at once. `original`
    // holds the values as read; a row that no longer holds them is refused.
    qint64 insertRow(const QStringList &columns, const QVector<QVariant> &values);
    // Many new rows, as an import writes them: the statement is made once and
    // each row bound to it. `next` fills the next row's values and returns
    // false when there are no more. Returns the rows written. The caller holds
    // the transaction.
    qint64 insertRows(const QStringList &columns, const std::function<bool(QVector<QVariant> &values)> &next);
    void updateRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original,
                   const QVector<QVariant> &values);
    void deleteRow(qint64 key, const QStringList &columns, const QVector<QVariant> &original);

    // Plain statement on the open file, for maintenance and tests.
    void execute(const QString &statement);

    // Open, but only for reading (a read-only file or folder, a table without
    // a unique record number or with columns missing); writes are refused.
    bool readOnly() const { return m_readOnly; }

signals:
    void aboutToDisconnect();
    // After an open that could only read the book: the sentence that says so.
    void openedReadOnly(const QString &notice);
    // Another user saved a change to the open server book.
    void changedElsewhere();

private:
    enum Mode
    {
        ReadWrite,
        ReadOnly,
        Immutable
    };
    bool connectFile(const QString &path, Mode mode, QString *problem);
    void dropFile();
    QString inspect(sqlite3 *h, const QString &path, Mode mode, void *failure);
    QString migrate(sqlite3 *h, const QString &path, void *failure);
    QString readOnlyNotice(const QString &path) const;
    [[noreturn]] void refuse(const QSqlQuery &q);
    void requireWritable();
    void requireConnected();
    QString m_connectionString;
    QString m_name; // Qt SQL connection name, unique per object
    bool m_connected = false;
    bool m_readOnly = false;
    QString m_readOnlyReason;
    std::unique_ptr<ServerBook> m_server;
    QString m_password;
    std::function<QString(const QString &)> m_passwordPrompt;
    bool m_passwordWanted = false;
    void openServer();
};
