#pragma once

#include <QString>

// What the user is told when the engine refuses something on an address book.
// The engine's own words are for support: they follow on a second line, after
// a plain sentence that says what happened and what to do.
namespace EngineErrors {

// `code` is SQLite's extended result code, `engineText` its message, `path`
// the book. A refusal that already speaks the user's language (a rule of the
// table such as "Surname holds at most 30 characters") comes back unchanged.
// `systemError` is the errno behind an I/O failure, when known: a write cut
// short by a full disk or a size quota is told as a full disk.
QString explain(int code, const QString &engineText, const QString &path, int systemError = 0);

// The one sentence for a book another program holds locked.
QString inUse(const QString &path);

// A save or delete refused because the record is no longer as it was read.
QString changedElsewhere();
QString deletedElsewhere();
QString changedBeforeDelete();

// Whether the code means another program holds the book locked.
bool isBusy(int code);

} // namespace EngineErrors
