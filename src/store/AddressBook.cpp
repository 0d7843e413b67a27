#include "store/AddressBook.h"

#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/BookAddress.h"
#include "store/BookCopy.h"
#include "store/SelectionStatements.h"

#include <QTimer>

AddressBook::AddressBook(QObject *parent) : QObject(parent)
{
    m_connection = new AdoConnection(this);
    m_connection->setObjectName(QStringLiteral("ADOConnection1"));
    m_query = new AdoQuery(m_connection, this);
    m_query->setObjectName(QStringLiteral("HomeQuery"));
    m_query->setSql(SelectionStatements::allOnOpening());

    // What another user saves reaches this book's windows as soon as no
    // record is being edited here: at once, or when the edit ends.
    connect(m_connection, &AdoConnection::changedElsewhere, this, [this] {
        m_refreshWanted = true;
        refreshWhenIdle();
    });
    connect(m_query, &AdoQuery::stateChanged, this, [this](DataSetState state) {
        if (state == DataSetState::Browse && m_refreshWanted)
            QTimer::singleShot(0, this, &AddressBook::refreshWhenIdle);
    });
}

void AddressBook::useFile(const QString &path)
{
    m_fileInUse = BookAddress::isServer(path) ? BookAddress::display(path) : path;
    m_connection->setBook(path);
}

void AddressBook::refreshWhenIdle()
{
    if (!m_refreshWanted || !m_query->active())
        return;
    try {
        if (m_query->refresh())
            m_refreshWanted = false;
    } catch (const VarnelError &) {
        // The server could not be read just now; the user's next step
        // against it says why.
        m_refreshWanted = false;
    }
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
