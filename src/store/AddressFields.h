#pragma once

#include <QString>
#include <QVector>

// The fields of an address record, in the order every field list shows them.
// The first nineteen are columns of HomeAd; Cap is worked out by the program.
struct FieldDef
{
    enum Kind { Text, DateTime, Memo, Calculated };
    QString name;      // column name in the file
    QString component; // the program's name for the field object
    Kind kind;
    int size;          // most characters an editor accepts; 0 = no limit
    int displayWidth;  // characters a grid column takes without a set width
};

namespace AddressFields {
const QVector<FieldDef> &all();     // the twenty fields
const QVector<FieldDef> &stored();  // the nineteen columns
QStringList storedNames();
// Index in all(), matched without regard to case; -1 when unknown.
int indexOf(const QString &name);
constexpr int Count = 20;
constexpr int StoredCount = 19;
enum Index {
    Surname, Midname, Firstname, Address1, Address2, A3_Village, Town, County, PostCode, Country,
    Tel, Cell, Email, Birthday, Notes, Workplace, WorkTel, Flag, Flag2, Cap
};
} // namespace AddressFields
