#pragma once

#include <QString>

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

} // namespace BookTransfer
