#pragma once

#include <QStringList>

class QTextStream;

// varnel-print: runs a layout over an address book and writes the pages to a
// PDF, with the selection chosen as the main window's letter group or search
// dialog would choose it. No window is made.
namespace PrintCommand {

enum ExitCode
{
    Done = 0,
    Failed = 1,   // the book, the selection or the output let us down
    BadUsage = 2, // the command line itself is wrong
};

// args: the arguments after the program's name. Messages go to err, the usage
// text (for --help) and the closing line to out.
int run(const QStringList &args, QTextStream &out, QTextStream &err);
QString usage();

} // namespace PrintCommand
