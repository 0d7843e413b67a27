#pragma once

#include <QString>
#include <functional>

class AdoConnection;

// Copies every record of one address book into another, between a file and a
// server either way, keeping the record numbers. The whole copy is one
// transaction on the destination and is counted afterwards: either every
// record arrived, or the destination is left as it was.
//
// A server destination must be an empty HomeAd, or a database without one
// when `createTable` is set (the table is made, nothing else). A file
// destination is made from `blankBook` (an empty address book file) and must
// not exist yet. Raises VarnelError with a plain sentence.
namespace BookTransfer {

struct Counts
{
    int read = 0;
    int written = 0;
};

Counts copy(const QString &from, const QString &to, bool createTable, const QString &blankBook);

// Where and how a copy goes, for a program that asks its user.
struct Destination
{
    QString address;
    QString blankBook;
    // Asked when a server database holds no HomeAd yet; true makes the table.
    std::function<bool(const QString &address)> confirmCreate;
    // Asked when the server wants a password; a null answer gives up.
    std::function<QString(const QString &address)> askPassword;
};

// The same from a connection already open (the book in use); it stays open.
Counts copy(AdoConnection &source, const Destination &to);

} // namespace BookTransfer
