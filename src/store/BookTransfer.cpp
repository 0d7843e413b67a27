#include "store/BookTransfer.h"

#include "platform/VarnelError.h"
#include "store/AddressFields.h"
#include "store/AdoConnection.h"
#include "store/BookAddress.h"
#include "store/BookCopy.h"
#include "store/ServerBook.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

const QString kAll = QStringLiteral("SELECT * FROM HomeAd");

int countOf(AdoConnection &book)
{
    return int(book.select(kAll, {QStringLiteral("Surname")}).rows.size());
}

} // namespace

BookTransfer::Counts BookTransfer::copy(const QString &from, const QString &to, bool createTable,
                                        const QString &blankBook)
{
    AdoConnection source;
    source.setBook(from);
    Destination d;
    d.address = to;
    d.blankBook = blankBook;
    d.confirmCreate = [createTable](const QString &) { return createTable; };
    const Counts counts = copy(source, d);
    source.close();
    return counts;
}

BookTransfer::Counts BookTransfer::copy(AdoConnection &source, const Destination &destination)
{
    const QString &to = destination.address;
    const QString &blankBook = destination.blankBook;
    Counts counts;
    const QStringList columns = AddressFields::storedNames();
    const AdoConnection::Result rows = source.select(kAll, columns);
    counts.read = int(rows.rows.size());

    if (BookAddress::isServer(to)) {
        ServerBook server(to, QStringLiteral("varnel-transfer"));
        server.open(BookAddress::parse(to).password, destination.askPassword);
        if (!server.hasTable()) {
            if (!destination.confirmCreate || !destination.confirmCreate(BookAddress::display(to)))
                throw VarnelError(
                    QCoreApplication::translate("BookTransfer", "%1 holds no table HomeAd")
                        .arg(BookAddress::display(to)));
            server.createTable();
        }
        const int before = int(server.select(kAll, {QStringLiteral("Surname")}).rows.size());
        if (before > 0)
            throw VarnelError(
                QCoreApplication::translate("BookTransfer",
                                            "%1 already holds %2 records; a book is copied only "
                                            "into an empty one")
                    .arg(BookAddress::display(to))
                    .arg(before));
        server.appendRows(columns, rows.rows);
        counts.written = int(server.select(kAll, {QStringLiteral("Surname")}).rows.size());
    } else {
        if (QFileInfo::exists(to))
            throw VarnelError(QCoreApplication::translate(
                                  "BookTransfer", "'%1' exists already; choose a new file name")
                                  .arg(to));
        CopyBook(blankBook, to);
        try {
            AdoConnection file;
            file.setBook(to);
            if (countOf(file) != 0)
                throw VarnelError(
                    QCoreApplication::translate("BookTransfer", "'%1' is not a blank address book")
                        .arg(blankBook));
            QStringList withKey = columns;
            withKey.prepend(QStringLiteral("ID"));
            file.execute(QStringLiteral("BEGIN IMMEDIATE"));
            try {
                for (const AdoConnection::Row &row : rows.rows) {
                    QVector<QVariant> values = row.values;
                    values.prepend(row.key);
                    file.insertRow(withKey, values);
                }
                file.execute(QStringLiteral("COMMIT"));
            } catch (...) {
                try {
                    file.execute(QStringLiteral("ROLLBACK"));
                } catch (const VarnelError &) {
                }
                throw;
            }
            counts.written = countOf(file);
        } catch (...) {
            QFile::remove(to);
            throw;
        }
    }
    if (counts.written != counts.read)
        throw VarnelError(
            QCoreApplication::translate("BookTransfer",
                                        "The copy holds %1 records where %2 were read; it is not "
                                        "complete")
                .arg(counts.written)
                .arg(counts.read));
    return counts;
}
