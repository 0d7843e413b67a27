// varnel-copybook FROM TO [--create]: copies an address book between a file
// and a server book (postgresql://user@host:port/database), either way, in
// one transaction, and prints the record counts. --create makes the table on
// a server database that has none yet. A file destination must not exist; it
// is made from the blank book beside the program.

#include "platform/VarnelError.h"
#include "store/BookAddress.h"
#include "store/BookTransfer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool create = args.removeAll(QStringLiteral("--create")) > 0;
    QTextStream out(stdout), err(stderr);
    if (args.size() != 2 || args.first().startsWith('-')) {
        err << "Usage: varnel-copybook FROM TO [--create]\n"
               "Copies an address book between a file (BOOK.vdf) and a server book\n"
               "(postgresql://user@host:port/database), either way. --create makes the\n"
               "table HomeAd on a server database that has none. The password comes from\n"
               "the PostgreSQL password file (~/.pgpass) or PGPASSWORD.\n";
        return 2;
    }
    auto address = [](const QString &a) {
        return BookAddress::isServer(a) ? a : QFileInfo(a).absoluteFilePath();
    };
    try {
        const BookTransfer::Counts n = BookTransfer::copy(
            address(args[0]), address(args[1]), create,
            QCoreApplication::applicationDirPath() + QStringLiteral("/NewFile.vdf"));
        out << n.read << " records read from " << BookAddress::display(args[0]) << ", " << n.written
            << " written to " << BookAddress::display(args[1]) << "\n";
        return 0;
    } catch (const VarnelError &e) {
        err << "varnel-copybook: " << e.message() << "\n";
        return 1;
    }
}
