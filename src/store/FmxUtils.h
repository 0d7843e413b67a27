#pragma once

#include <QString>

// Copies one file whole, as Save As does with the closed address book.
//
// A destination that is an existing folder receives the copy under the
// source's file name; a relative destination is taken from the current folder.
// Raises VarnelError "Cannot open file <source>" or "Cannot create file
// <destination>", and also when a read or a write fails half-way (a full disk):
// then the partial copy is removed. The source is never changed, and a
// destination that is the source itself is refused rather than emptied.
void CopyWholeFile(const QString &source, const QString &destination);
