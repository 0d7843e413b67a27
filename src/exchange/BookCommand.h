#pragma once

#include <QStringList>

class QTextStream;

// varnel-book: brings people into an address book from vCard, CSV or an
// older Access-format book, takes a selection out as vCard or CSV, and
// converts an Access-format book into a new one. No window is made.
namespace BookCommand {
enum ExitCode { Done = 0, Failed = 1, BadUsage = 2 };
int run(const QStringList &args, QTextStream &out, QTextStream &err);
QString usage();
} // namespace BookCommand
