#pragma once

#include <QString>

// Where an address book lives: a file path, or a PostgreSQL database named by
// a libpq connection URI, postgresql://user@host:port/dbname. A host may be a
// socket folder, percent-encoded ("%2Frun%2Fpostgresql") or given as
// ?host=/run/postgresql. A password may be typed into a URI, but it is never
// kept in one that is shown or stored: display() and the connection string
// drop it, and the connection keeps it in memory only.
namespace BookAddress {

bool isServer(const QString &address);

struct Server
{
    QString user, host, database, password;
    int port = -1;
    QString options; // further URI parameters, as libpq "key=value" words
};

// Throws VarnelError for a URI it cannot read.
Server parse(const QString &uri);
// The URI without its password (what the status bar and settings hold).
QString display(const QString &address);
QString uriFor(const Server &server); // never with the password

} // namespace BookAddress
