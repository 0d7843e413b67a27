#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class AdoConnection;
class AdoQuery;

// The address book the program works on: the connection to its file, the
// main query whose selection every window shows, and the name of the file in
// use. The windows are handed this object; none of them owns it.
class AddressBook : public QObject
{
    Q_OBJECT
public:
    explicit AddressBook(QObject *parent = nullptr);

    AdoConnection *connection() const { return m_connection; }
    AdoQuery *query() const { return m_query; }
    const QString &fileInUse() const { return m_fileInUse; }

    // Makes the path (or server address) the book in use and points the
    // connection at it, without connecting. A password typed into a server
    // address stays with the connection; the book in use is named without it. Throws VarnelError for a file the engine cannot take; the
    // path is the file in use all the same.
    void useFile(const QString &path);
    // Connects and opens the main query on its statement.
    void reconnect();
    // Closes the main query and the connection.
    void disconnect();
    // Closes the main query, gives it the statement and opens it again.
    void select(const QStringList &statement);
    // Copies the file in use to the target with the connection closed, which
    // stays closed. When the copy fails, the file in use is opened again (as
    // far as it opens) and the error goes on to the caller.
    void copyTo(const QString &target);

private:
    void refreshWhenIdle();

    AdoConnection *m_connection;
    AdoQuery *m_query;
    QString m_fileInUse;
    bool m_refreshWanted = false;
};
