#include "exchange/BookCommand.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"
#include "store/BookAddress.h"
#include "store/BookTransfer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace {

// `convert FROM TO` where either side is a server book: the whole book is
// copied in one transaction and counted; a server database that has no
// table HomeAd yet gets one. Other conversions are the exchange's.
bool isServerConvert(const QStringList &args)
{
    return args.size() == 3 && args.first() == QLatin1String("convert") &&
           (BookAddress::isServer(args.at(1)) || BookAddress::isServer(args.at(2)));
}

int convertServerBook(const QString &from, const QString &to, QTextStream &out, QTextStream &err)
{
    auto address = [](const QString &a) {
        return BookAddress::isServer(a) ? a : QFileInfo(a).absoluteFilePath();
    };
    try {
        const BookTransfer::Counts n =
            BookTransfer::copy(address(from), address(to), true,
                               ProgramFolder::file(QStringLiteral("NewFile.vdf")));
        out << QStringLiteral("Records read: %1 from %2\nRecords written: %3 to %4\n")
                   .arg(n.read)
                   .arg(BookAddress::display(from))
                   .arg(n.written)
                   .arg(BookAddress::display(to));
        return BookCommand::Done;
    } catch (const VarnelError &e) {
        err << e.message() << '\n';
        return BookCommand::Failed;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("varnel-book"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    if (isServerConvert(args))
        return convertServerBook(args.at(1), args.at(2), out, err);
    const int code = BookCommand::run(args, out, err);
    if (code == BookCommand::BadUsage || (args.size() == 1 && args.first() == "--help"))
        (code == BookCommand::BadUsage ? err : out)
            << "  varnel-book convert FROM TO   (a book file and a server book\n"
               "                     postgresql://user@host:port/database, either way)\n";
    return code;
}
