#pragma once

#include "store/AddressFields.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>

// One person as a file brings it in or takes it out: the nineteen stored
// fields as text, in AddressFields order. Birthday is "yyyy-MM-dd" or
// "yyyy-MM-dd HH:mm:ss"; an empty text is an empty field.
struct BookRecord
{
    std::array<QString, AddressFields::StoredCount> f;
    // Lines for Notes that the reader found no field for ("URL: ...").
    QStringList extra;
    QString &operator[](int i) { return f[size_t(i)]; }
    const QString &operator[](int i) const { return f[size_t(i)]; }
};

// Where an input was found wanting, or a value that did not fit.
struct ImportNote
{
    QString where;   // "people.csv, line 12" or "people.vcf, card 3 (line 40)"
    QString message;
};

// A reader of people from a file. Records come one at a time, so that a file
// of any size is read in one pass with little memory; rewind() starts again.
class RecordSource
{
public:
    virtual ~RecordSource() = default;
    // False at the end. Problems the input has (a line that cannot be read)
    // go to problems(); a file that cannot be read at all raises VarnelError.
    virtual bool next(BookRecord &record) = 0;
    virtual void rewind() = 0;
    // Where the record last returned came from.
    virtual QString where() const = 0;
    QVector<ImportNote> problems;
};

namespace BookDates {
// A date as people and other programs write it (ISO forms with or without
// dashes, with a time, vCard's basic form) to the stored form; an empty
// result when it cannot be read, and *noYear when it lacked only a year.
QString toStored(const QString &text, bool *noYear = nullptr);
} // namespace BookDates
