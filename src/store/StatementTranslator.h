#pragma once

#include <QString>
#include <QVariantList>

// The program writes its selections in the address book's own dialect:
//
//   SELECT * FROM HomeAd
//   SELECT * FROM HomeAd WHERE <field> [NOT] LIKE '<pattern>'   (letter group)
//   SELECT * from HomeAd WHERE <field> [NOT] LIKE "<pattern>"   (search)
//   ... any of them followed by ORDER BY <field>
//
// where <field> is a field name as the program lists it: it may hold a blank
// ("Work Tel") or be the worked-out Cap. SQLite would misread that text
// (double quotes name columns there, a bare "Work Tel" is a syntax error, Cap
// is no column), and a word pasted into SQL is a way in for whatever the user
// types. So the connection hands SQLite a statement of its own: the field as a
// quoted column, the pattern as a bound value.
//
// A double-quoted pattern is always the last thing in the statement: it runs
// from the quote after LIKE to the statement's last double quote, so whatever
// the user typed between them (quotes, semicolons, SQL words, line breaks) is
// part of the word and nothing else.
namespace StatementTranslator {

struct Translated
{
    bool recognised = false; // false: not one of the forms above, sent as it stands
    QString sql;             // for SQLite, with "?" for each value
    QVariantList values;     // bound in order
};

Translated translate(const QString &statement);

// The same forms read into their parts, for an engine that speaks another
// dialect. Fields are indices in AddressFields::all(); -1 when absent.
struct Selection
{
    bool recognised = false;
    int whereField = -1;
    bool negated = false;
    QString pattern;
    int orderField = -1;
};

Selection parse(const QString &statement);

} // namespace StatementTranslator
