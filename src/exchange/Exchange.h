#pragma once

#include "exchange/BookRecord.h"

#include <QStringList>
#include <memory>

class AdoConnection;

// What the import and export commands share, whether run from a window or
// from varnel-book.
namespace Exchange {

enum class Format { VCard, Csv, Access };

// From the name's ending, else from the first bytes; throws VarnelError.
Format formatOf(const QString &path);
Format formatNamed(const QString &name); // "vcard", "csv", "access"

// A reader for the file; `table` picks an Access file's table (empty: HomeAd
// when it has one, else the only table). `mapping` overrides the guessed
// columns ("FIELD=COLUMN,..."), for CSV and Access.
std::unique_ptr<RecordSource> open(const QString &path, Format format, const QString &table = {},
                                   const QString &mapping = {});

// Writes the rows of a statement of the book (the selection) to a file, in
// full or not at all. Returns how many were written.
qint64 exportSelection(AdoConnection &book, const QStringList &statement, const QString &path,
                       Format format, int vcardVersion = 3);

// A new address book at `target` (a copy of the blank book) holding every
// row of the Access file's HomeAd table; the old file is never changed.
// Returns the rows written.
qint64 convert(const QString &accessFile, const QString &target, QStringList *cuts = nullptr);

// Where a converted book goes beside the old one: "<name> (converted).vdf",
// numbered when taken.
QString convertedName(const QString &accessFile);

} // namespace Exchange
