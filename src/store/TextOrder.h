#pragma once

#include <QString>

// How the program orders names: letter case ignored, and accented letters next
// to their plain forms ("adams" between "Abbot" and "Baker", "Élie" among the
// E's). Equal names under that rule fall back to an exact comparison so the
// order is total and stable.
namespace TextOrder {
int compare(const QString &a, const QString &b);
// The same comparison on UTF-8 bytes, for the database engine's collation.
int compareUtf8(const char *a, int alen, const char *b, int blen);
} // namespace TextOrder
