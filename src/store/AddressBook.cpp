#include "store/AddressBook.h"

#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/BookCopy.h"
#include "store/SelectionStatements.h"

AddressBook::AddressBook(QObject *parent) : QObject(parent)
{
    m_connection = new AdoConnection(this);
    m_connection->setObjectName(QStringLiteral("ADOConnection1"));
    m_query = new AdoQuery(m_connection, this);
    m_query->setObjectName(QStringLiteral("HomeQuery"));
    m_query->setSql(SelectionStatements::allOnOpening());
}

void AddressBook::useFile(const QString &path)
{
    m_fileInUse = path;
    m_connection->setConnectionString(AdoConnection::connectionStringFor(path));
}

void AddressBook::reconnect()
{
    m_connection->open();
    m_query->open();
}

void AddressBook::disconnect()
{
    m_query->close();
    m_connection->close();
}

void AddressBook::select(const QStringList &statement)
{
    m_query->close();
    m_query->setSql(statement);
    m_query->open();
}

void AddressBook::copyTo(const QString &target)
{
    disconnect();
    try {
        // The engine copies the book, so that a change another program is
        // writing at that moment cannot leave a torn copy.
        CopyBook(m_fileInUse, target);
    } catch (const VarnelError &) {
        try {
            reconnect();
        } catch (const VarnelError &) {
            // The copy's error is the one to tell.
        }
        throw;
    }
}
