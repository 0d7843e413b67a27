#pragma once

#include <QString>

// The address book's LIKE: "%" stands for any run of characters, "_" for any
// one character, and letters match without regard to case, every letter and
// not only A to Z ("é" matches "É"). Accents still count: "e" does not match
// "é".
namespace TextMatch {
// `escape`, when not null, makes the next pattern character stand for itself.
bool like(const QString &pattern, const QString &text, QChar escape = QChar());
// The same on UTF-8 bytes, for the database engine; plain ASCII is matched
// without building strings. `escape` is a character code, or -1 for none.
bool likeUtf8(const char *pattern, int plen, const char *text, int tlen, int escape = -1);
} // namespace TextMatch
