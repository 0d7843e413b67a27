#pragma once

#include <QString>

// Save As: a copy of an address book made by the engine itself, so that
// another program writing the book at that moment cannot leave a torn copy.
// The copy is made beside the destination under a passing name, checked
// (sound pages, a table HomeAd) and only then put in the destination's place;
// a failure leaves the destination as it was and no passing file behind.
//
// `destination` is a full path of a file (the caller resolves folders).
// Raises VarnelError: "Cannot open file <source>", "Cannot create file
// <destination>", "'<source>' is in use by another program; try again", or a
// plain sentence for a full disk or a damaged source.
void CopyBook(const QString &source, const QString &destination);
