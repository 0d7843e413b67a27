#include "reports/PrintCommand.h"

#include "mailmerge/rtf/RichTextFile.h"
#include "mailmerge/rtf/RtfError.h"
#include "mailmerge/rtf/RtfReader.h"
#include "platform/InputFile.h"
#include "platform/VarnelError.h"
#include "reports/ReportLayouts.h"
#include "reports/ReportPainter.h"
#include "store/AddressFields.h"
#include "store/BookAddress.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextDocument>
#include <QTextStream>

namespace {

struct UsageError
{
    QString message;
};

struct Options
{
    QString book, layout, output, body;
    QStringList statement = SelectionStatements::all();
    bool help = false;
    bool hasFont = false;
    FontValue font;
};

// "Arial,12" or "Times New Roman,10.5": the face, then the size in points
// after the last comma.
FontValue parseFont(const QString &text)
{
    const int comma = text.lastIndexOf(QLatin1Char(','));
    bool ok = false;
    const qreal size = comma < 0 ? 0 : text.mid(comma + 1).trimmed().toDouble(&ok);
    const QString family = comma < 0 ? QString() : text.left(comma).trimmed();
    if (!ok || family.isEmpty() || !(size > 0) || size > 1000)
        throw UsageError{QCoreApplication::translate(
            "PrintCommand", "--font takes a face and a size in points, such as \"Arial,12\"")};
    FontValue f;
    f.font = QFont(family);
    f.font.setPointSizeF(size);
    return f;
}

Options parse(const QStringList &args)
{
    Options o;
    QStringList positional;
    bool letter = false, search = false, exclude = false;
    QString searchField, searchWord;
    for (int i = 0; i < args.size(); ++i) {
        const QString &a = args[i];
        auto value = [&](const char *what) {
            if (i + 1 >= args.size())
                throw UsageError{QCoreApplication::translate("PrintCommand", "%1 needs %2")
                                     .arg(a, QCoreApplication::translate("PrintCommand", what))};
            return args[++i];
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.help = true;
        } else if (a == QLatin1String("--letter")) {
            const QString x = value(QT_TRANSLATE_NOOP("PrintCommand", "a letter"));
            if (x.compare(QLatin1String("All"), Qt::CaseInsensitive) == 0) {
                o.statement = SelectionStatements::all();
            } else {
                if (x.size() != 1)
                    throw UsageError{QCoreApplication::translate(
                        "PrintCommand", "--letter takes one letter from A to Z, or All")};
                try {
                    o.statement = SelectionStatements::letter(x[0]);
                } catch (const VarnelError &e) {
                    throw UsageError{e.message()};
                }
            }
            letter = true;
        } else if (a == QLatin1String("--search")) {
            const QString field =
                value(QT_TRANSLATE_NOOP("PrintCommand", "a field name and a word"));
            const QString word =
                value(QT_TRANSLATE_NOOP("PrintCommand", "a word after the field name"));
            if (AddressFields::indexOf(field) < 0)
                throw UsageError{
                    QCoreApplication::translate("PrintCommand", "The book has no field \"%1\"")
                        .arg(field)};
            searchField = field;
            searchWord = word;
            search = true;
        } else if (a == QLatin1String("--font")) {
            o.font = parseFont(value(QT_TRANSLATE_NOOP("PrintCommand", "a face and a size")));
            o.hasFont = true;
        } else if (a == QLatin1String("--body")) {
            o.body = value(QT_TRANSLATE_NOOP("PrintCommand", "a letter file"));
            if (o.body.isEmpty())
                throw UsageError{
                    QCoreApplication::translate("PrintCommand", "--body needs a letter file")};
        } else if (a == QLatin1String("--not")) {
            exclude = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            throw UsageError{
                QCoreApplication::translate("PrintCommand", "Unknown option %1").arg(a)};
        } else {
            positional << a;
        }
    }
    if (o.help)
        return o;
    if (letter && search)
        throw UsageError{QCoreApplication::translate(
            "PrintCommand", "--letter and --search cannot be used together")};
    if (exclude && !search)
        throw UsageError{QCoreApplication::translate("PrintCommand", "--not goes with --search")};
    if (search)
        o.statement = SelectionStatements::search(searchField, searchWord, exclude);
    if (positional.size() != 3)
        throw UsageError{
            QCoreApplication::translate("PrintCommand", "Expected BOOK LAYOUT OUT.pdf")};
    o.book = positional[0];
    o.layout = positional[1];
    o.output = positional[2];
    return o;
}

// Reads the letter body as the editor opens a file: RTF, or plain text when it
// is not RTF. A file that starts as RTF but is damaged is refused here, where
// the editor would show its raw codes: nobody would want those in every letter.
void loadBody(const QString &path, QTextDocument *doc)
{
    try {
        const QByteArray data =
            InputFile::read(path, RichTextFile::kSizeLimit,
                            QCoreApplication::translate("PrintCommand", "a letter"));
        if (RtfReader::looksLikeRtf(data.left(16))) {
            try {
                RtfReader::read(data, doc);
                return;
            } catch (const RtfError &e) {
                throw VarnelError(
                    QCoreApplication::translate("PrintCommand", "%1 is damaged RTF (byte %2: %3)")
                        .arg(QFileInfo(path).absoluteFilePath())
                        .arg(e.offset())
                        .arg(e.reason()));
            }
        }
        RichTextFile::loadBytes(data, doc);
    } catch (const VarnelError &e) {
        throw VarnelError(
            QCoreApplication::translate("PrintCommand", "Letter body: %1").arg(e.message()));
    }
}

} // namespace

QString PrintCommand::usage()
{
    QString text = QCoreApplication::translate(
        "PrintCommand",
        "Usage: varnel-print BOOK.vdf LAYOUT OUT.pdf [--letter X | --search FIELD WORD [--not]]\n"
        "                    [--font \"FACE,SIZE\"]\n"
        "                    [--body LETTER.rtf]\n"
        "\n"
        "Runs a report layout over an address book and writes its pages to a PDF file.\n"
        "  --letter X            the surnames beginning with X (A to Z), or All\n"
        "  --search FIELD WORD   the records whose FIELD contains WORD\n"
        "  --not                 with --search: those whose FIELD does not contain WORD\n"
        "  --font \"FACE,SIZE\"    the labels' address font, such as \"Arial,12\"\n"
        "  --body LETTER.rtf     the letter body of the letters layout (RTF or plain text)\n"
        "Without a selection every record is printed, in surname order.\n"
        "BOOK is a book file or a server book, postgresql://user@host:port/database; the\n"
        "password comes from the PostgreSQL password file (~/.pgpass) or PGPASSWORD.\n"
        "\n"
        "Layouts:\n");
    for (const ReportLayoutEntry &e : ReportLayouts::all())
        text += QStringLiteral("  %1  %2\n")
                    .arg(e.name, -20)
                    .arg(QCoreApplication::translate("ReportLayouts",
                                                     e.description.toUtf8().constData()));
    return text;
}

int PrintCommand::run(const QStringList &args, QTextStream &out, QTextStream &err)
{
    Options o;
    try {
        o = parse(args);
    } catch (const UsageError &e) {
        err << "varnel-print: " << e.message << "\n" << usage();
        err.flush();
        return BadUsage;
    }
    if (o.help) {
        out << usage();
        out.flush();
        return Done;
    }
    const ReportLayoutEntry *layout = ReportLayouts::find(o.layout);
    if (!layout) {
        QStringList names;
        for (const ReportLayoutEntry &e : ReportLayouts::all())
            names << e.name;
        err << "varnel-print: " << QCoreApplication::translate("PrintCommand", "Unknown layout \"")
            << o.layout << QCoreApplication::translate("PrintCommand", "\"; the layouts are: ")
            << names.join(QLatin1String(", ")) << "\n";
        err.flush();
        return BadUsage;
    }
    if (o.hasFont && !layout->setFont) {
        err << "varnel-print: "
            << QCoreApplication::translate("PrintCommand",
                                           "--font goes with the label layouts only")
            << "\n";
        err.flush();
        return BadUsage;
    }
    if (layout->takesBody() != !o.body.isEmpty()) {
        err << "varnel-print: "
            << (layout->takesBody() ? QCoreApplication::translate(
                                          "PrintCommand", "The %1 layout needs --body LETTER.rtf")
                                          .arg(layout->name)
                                    : QCoreApplication::translate(
                                          "PrintCommand", "--body goes with the letters layout"))
            << "\n";
        err.flush();
        return BadUsage;
    }

    try {
        QTextDocument body;
        if (layout->takesBody())
            loadBody(o.body, &body);
        const bool server = BookAddress::isServer(o.book);
        if (!server && !QFileInfo(o.book).isFile())
            throw VarnelError(
                QCoreApplication::translate("PrintCommand", "Address book \"%1\" not found")
                    .arg(o.book));
        AdoConnection connection;
        connection.setBook(server ? o.book : QFileInfo(o.book).absoluteFilePath());
        AdoQuery query(&connection);
        query.setObjectName(QStringLiteral("HomeQuery"));
        query.setSql(o.statement);
        query.open();
        std::unique_ptr<TReport> report =
            layout->takesBody() ? layout->makeWithBody(&query, &body) : layout->make(&query);
        if (o.hasFont)
            layout->setFont(*report, o.font);
        // Each page goes into the file as soon as it is finished: nothing
        // shows the pages again, so none is kept.
        PdfPageWriter pdf(o.output, report->reportTitle(), report->page().Orientation);
        report->run([&pdf](const PreparedPage &page, int) { pdf.addPage(page); });
        if (pdf.pageCount() == 0)
            throw VarnelError(QCoreApplication::translate(
                "PrintCommand", "The selection is empty; no page was written"));
        pdf.finish();
        out << pdf.pageCount()
            << (pdf.pageCount() == 1 ? QCoreApplication::translate("PrintCommand", " page")
                                     : QCoreApplication::translate("PrintCommand", " pages"))
            << QCoreApplication::translate("PrintCommand", " written to ") << o.output << "\n";
        out.flush();
        return Done;
    } catch (const VarnelError &e) {
        err << "varnel-print: " << e.message() << "\n";
        err.flush();
        return Failed;
    }
}
