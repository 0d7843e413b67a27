#pragma once

// Makes large address books of made-up people for the benchmarks. The same
// count always gives the same book.

#include <QString>

namespace BookGenerator {
// Creates (or replaces) `path` with the address table and `people` rows.
// Throws VarnelError when the file cannot be made.
void make(const QString &path, int people);
// A file for `people` rows under the system's temporary folder, made once and
// reused by later runs.
QString cached(int people);
} // namespace BookGenerator
