#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

// The statements that choose the main query's selection, as lines. The letter
// group, the reset, the search dialog and varnel-print all take them from
// here, so that a selection made on the command line is the one the main
// window would make.
namespace SelectionStatements {

// Every record, in surname order. The statement is shown to the user, and
// each command that sets it has always spelled it its own way: all() for the
// letter group and the reset, allOnOpening() when a book is opened or made,
// allOnRetry() for the search dialog's retry.
QStringList all();
QStringList allOnOpening();
QStringList allOnRetry();

// The surnames beginning with a letter A to Z (given in either case; it goes
// to the engine as a capital), in surname order. Throws VarnelError for
// anything else.
QStringList letter(QChar letter);

// The records whose field contains the word, or with exclude those whose
// field does not contain it; in the engine's order. The word is put between
// "%" signs as typed, so "%" and "_" in it act as wildcards. The engine takes
// the quoted text up to the statement's last double quote as the word, so a
// double quote typed in it stays part of the word.
QStringList search(const QString &fieldName, const QString &word, bool exclude);

} // namespace SelectionStatements
