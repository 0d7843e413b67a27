#pragma once

#include <QString>

// The "mailto:" link for what an e-mail field holds. Only an address goes in:
// a stored "x@y.z?attach=..." or "?bcc=..." must not reach the mail program
// as the link's fields.
namespace MailtoLink {

// "mailto:" and the address, its local part percent-encoded; just "mailto:"
// for a field that holds nothing but blanks. Empty when the text is no
// e-mail address (one "@" between a local part and a domain of dotted
// labels, nothing else).
QString forAddress(const QString &text);

} // namespace MailtoLink
