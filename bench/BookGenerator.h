#pragma once

// Makes large address books of made-up people for the benchmarks. The same
// count always gives the same book.

#include "store/AdoConnection.h"
#include "store/AdoQuery.h"

#include <QString>

namespace BookGenerator {
// Creates (or replaces) `path` with the address table and `people` rows.
// Throws VarnelError when the file cannot be made.
void make(const QString &path, int people);
// A file for `people` rows under the system's temporary folder, made once and
// reused by later runs.
QString cached(int people);
} // namespace BookGenerator

// A book's rows as varnel-print reads them: everyone, in surname order.
struct OpenedBook
{
    explicit OpenedBook(const QString &file);
    AdoConnection connection;
    AdoQuery query{&connection};
};
