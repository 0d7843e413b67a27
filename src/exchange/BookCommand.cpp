#include "exchange/BookCommand.h"

#include "exchange/Exchange.h"
#include "exchange/ImportPlan.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"
#include "store/BookAddress.h"
#include "store/BookTransfer.h"
#include "store/AdoConnection.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

QString BookCommand::usage()
{
    return QCoreApplication::translate(
        "BookCommand",
        "Usage:\n"
        "  varnel-book import BOOK.vdf FILE [--format vcard|csv|access] [--table NAME]\n"
        "                     [--map FIELD=COLUMN,...] [--dry-run]\n"
        "  varnel-book export BOOK.vdf OUT [--format vcard|csv] [--vcard-version 3|4]\n"
        "                     [--letter X | --search FIELD WORD [--not]]\n"
        "  varnel-book convert OLD.vdf NEW.vdf\n"
        "  varnel-book convert FROM TO   (a book file and a server book\n"
        "                     postgresql://user@host:port/database, either way)\n");
}

namespace {

struct Usage
{
    QString message;
};

struct Options
{
    QStringList plain;
    QString format, table, map, letter, searchField, searchWord;
    int version = 3;
    bool dryRun = false, exclude = false, search = false;
};

Options parse(const QStringList &args)
{
    Options o;
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        auto value = [&]() {
            if (i + 1 >= args.size())
                throw Usage{a + QCoreApplication::translate("BookCommand", " needs a value")};
            return args.at(++i);
        };
        if (a == QLatin1String("--format"))
            o.format = value();
        else if (a == QLatin1String("--table"))
            o.table = value();
        else if (a == QLatin1String("--map"))
            o.map = value();
        else if (a == QLatin1String("--letter"))
            o.letter = value();
        else if (a == QLatin1String("--vcard-version")) {
            const QString v = value();
            if (v != QLatin1String("3") && v != QLatin1String("4"))
                throw Usage{
                    QCoreApplication::translate("BookCommand", "--vcard-version is 3 or 4")};
            o.version = v.toInt();
        } else if (a == QLatin1String("--search")) {
            o.searchField = value();
            o.searchWord = value();
            o.search = true;
        } else if (a == QLatin1String("--not"))
            o.exclude = true;
        else if (a == QLatin1String("--dry-run"))
            o.dryRun = true;
        else if (a.startsWith(QLatin1String("--")))
            throw Usage{QCoreApplication::translate("BookCommand", "Unknown option %1").arg(a)};
        else
            o.plain << a;
    }
    if (o.plain.size() != 2)
        throw Usage{
            QCoreApplication::translate("BookCommand", "%1 takes two files").arg(args.first())};
    return o;
}

void openBook(AdoConnection &book, const QString &path)
{
    book.setConnectionString(AdoConnection::connectionStringFor(QFileInfo(path).absoluteFilePath()));
    book.open();
}

// A book copied whole between a file and a server, either way, in one
// transaction and counted; a server database without the table gets it.
int copyBook(const QString &from, const QString &to, QTextStream &out)
{
    const auto address = [](const QString &a) {
        return BookAddress::isServer(a) ? a : QFileInfo(a).absoluteFilePath();
    };
    const BookTransfer::Counts n =
        BookTransfer::copy(address(from), address(to), true, ProgramFolder::file(QStringLiteral("NewFile.vdf")));
    out << QCoreApplication::translate("BookCommand",
                                       "Records read: %1 from %2\nRecords written: %3 to %4\n")
               .arg(n.read)
               .arg(BookAddress::display(from))
               .arg(n.written)
               .arg(BookAddress::display(to));
    return BookCommand::Done;
}

int import(const Options &o, QTextStream &out, QTextStream &err)
{
    const QString file = o.plain.at(1);
    const Exchange::Format format = o.format.isEmpty() ? Exchange::formatOf(file) : Exchange::formatNamed(o.format);
    std::unique_ptr<RecordSource> source = Exchange::open(file, format, o.table, o.map);
    ImportPlan plan(*source);
    plan.scan(0);
    out << QCoreApplication::translate("BookCommand", "Records read: %1\n").arg(plan.count());
    for (const ImportNote &c : plan.cuts())
        out << QCoreApplication::translate("BookCommand", "Cut, kept whole in Notes: %1: %2\n")
                   .arg(c.where, c.message);
    if (plan.cutCount() > plan.cuts().size())
        out << QCoreApplication::translate("BookCommand", "... and %1 more values cut\n")
                   .arg(plan.cutCount() - plan.cuts().size());
    for (const ImportNote &p : plan.problems())
        err << p.where << ": " << p.message << '\n';
    if (!plan.problems().isEmpty()) {
        err << QCoreApplication::translate("BookCommand",
                                           "Nothing was imported: %1 cannot be read as it stands\n")
                   .arg(QFileInfo(file).fileName());
        return BookCommand::Failed;
    }
    if (o.dryRun) {
        out << QCoreApplication::translate("BookCommand",
                                           "Dry run: nothing written (%1 records would be added)\n")
                   .arg(plan.count());
        return BookCommand::Done;
    }
    AdoConnection book;
    openBook(book, o.plain.at(0));
    const qint64 n = plan.apply(book);
    out << QCoreApplication::translate("BookCommand", "Records written: %1\n").arg(n);
    return BookCommand::Done;
}

int exportBook(const Options &o, QTextStream &out)
{
    QStringList statement = SelectionStatements::all();
    if (!o.letter.isEmpty()) {
        if (o.letter.size() != 1)
            throw Usage{
                QCoreApplication::translate("BookCommand", "--letter takes one letter A to Z")};
        statement = SelectionStatements::letter(o.letter.at(0));
    } else if (o.search) {
        statement = SelectionStatements::search(o.searchField, o.searchWord, o.exclude);
    }
    const QString target = o.plain.at(1);
    Exchange::Format format = Exchange::Format::VCard;
    if (!o.format.isEmpty())
        format = Exchange::formatNamed(o.format);
    else if (QFileInfo(target).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        format = Exchange::Format::Csv;
    AdoConnection book;
    openBook(book, o.plain.at(0));
    const qint64 n = Exchange::exportSelection(book, statement, target, format, o.version);
    out << QCoreApplication::translate("BookCommand", "Records written: %1 to %2\n")
               .arg(n)
               .arg(target);
    return BookCommand::Done;
}

} // namespace

int BookCommand::run(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.isEmpty() || args.first() == QLatin1String("--help")) {
        (args.isEmpty() ? err : out) << usage();
        return args.isEmpty() ? BadUsage : Done;
    }
    try {
        const QString verb = args.first();
        if (verb != QLatin1String("import") && verb != QLatin1String("export") &&
            verb != QLatin1String("convert"))
            throw Usage{QCoreApplication::translate("BookCommand", "Unknown command %1").arg(verb)};
        const Options o = parse(args);
        if (verb == QLatin1String("import"))
            return import(o, out, err);
        if (verb == QLatin1String("export"))
            return exportBook(o, out);
        if (BookAddress::isServer(o.plain.at(0)) || BookAddress::isServer(o.plain.at(1)))
            return copyBook(o.plain.at(0), o.plain.at(1), out);
        QStringList cuts;
        const qint64 n = Exchange::convert(o.plain.at(0), o.plain.at(1), &cuts);
        for (const QString &c : cuts)
            out << QCoreApplication::translate("BookCommand", "Cut, kept whole in Notes: %1\n")
                       .arg(c);
        out << QCoreApplication::translate("BookCommand", "Records written: %1 to %2\n")
                   .arg(n)
                   .arg(o.plain.at(1));
        return Done;
    } catch (const Usage &u) {
        err << u.message << '\n' << usage();
        return BadUsage;
    } catch (const VarnelError &e) {
        err << e.message() << '\n';
        return Failed;
    }
}
