#pragma once

#include <QString>

// How the program orders names: letter case ignored, and accented letters next
// to their plain forms ("adams" between "Abbot" and "Baker", "Élie" among the
// E's). Equal names under that rule fall back to an exact comparison so the
// order is total and stable.
namespace TextOrder {
int compare(const QString &a, const QString &b);
// What the order looks at first: compare(a, b) orders as the plain comparison
// of key(a) and key(b), with a tie settled by the exact texts. For sorting
// many names, where each key is worked out once.
QString key(const QString &s);
// The same comparison on UTF-8 bytes, for the database engine's collation.
int compareUtf8(const char *a, int alen, const char *b, int blen);
} // namespace TextOrder
