#include "TestSupport.h"

#include "reports/PreparedReport.h"
#include "reports/PrintCommand.h"
#include "reports/ReportPainter.h"
#include "reports/RpPhoneList.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QtTest>

namespace {

struct Person
{
    QString surname, firstname, tel, cell, workTel, email;
};

// A fresh book holding the given people, made from the program's blank book.
QString makeBook(const QTemporaryDir &dir, const QList<Person> &people,
                 const QString &name = "book.vdf")
{
    const QString path = dir.filePath(name);
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.open();
    const QStringList columns{"Surname", "Firstname", "Tel", "Cell", "Work Tel", "Email"};
    for (const Person &p : people) {
        auto v = [](const QString &s) { return s.isEmpty() ? QVariant() : QVariant(s); };
        c.insertRow(columns,
                    {v(p.surname), v(p.firstname), v(p.tel), v(p.cell), v(p.workTel), v(p.email)});
    }
    c.close();
    return path;
}

QList<Person> numbered(const QString &stem, int count)
{
    QList<Person> out;
    for (int i = 1; i <= count; ++i)
        out << Person{QStringLiteral("%1%2").arg(stem).arg(i, 3, 10, QLatin1Char('0')),
                      "Ann",
                      "01234 5678",
                      "",
                      "",
                      ""};
    return out;
}

// The phone list run over a book, as the program runs it: the main query on
// the book with the given statement.
struct PhoneListRun
{
    AdoConnection connection;
    AdoQuery query{&connection};
    std::unique_ptr<TReport> report;
    std::shared_ptr<const PreparedReport> pages;

    PhoneListRun(const QString &book, const QStringList &statement = SelectionStatements::all())
    {
        connection.setConnectionString(AdoConnection::connectionStringFor(book));
        query.setObjectName("HomeQuery");
        query.setSql(statement);
        query.open();
        report = RpPhoneList::makeReport(&query);
        report->run();
        pages = report->preparedReport();
    }
};

QList<const PreparedItem *> textItems(const PreparedPage &page)
{
    QList<const PreparedItem *> out;
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::TextLine)
            out << &item;
    return out;
}

const PreparedItem *findText(const PreparedPage &page, const QString &text)
{
    for (const PreparedItem *item : textItems(page))
        if (item->text == text)
            return item;
    return nullptr;
}

int rowsOn(const PreparedPage &page, const QString &stem)
{
    int n = 0;
    for (const PreparedItem *item : textItems(page))
        n += item->text.startsWith(stem) && item->text.size() > 1;
    return n;
}

constexpr qreal kPtPerMm = 72.0 / 25.4;

} // namespace

class tst_phonelist : public QObject
{
    Q_OBJECT
private slots:
    void firstPageAndLaterPages();
    void groupHeaderLeftAloneAtPageFoot();
    void rowFieldsInTheirColumns();
    void emptySelectionHasNoPage();
    void statements_data();
    void statements();
    void printCommand_data();
    void printCommand();
    void printProgramWritesTheLayoutsPdf();
};

// 80 people of one initial: 38 rows under the title, column titles and the
// group header; 40 on the next page; the rest on the last. Positions as the
// layout gives them, from the paper's corner in 0.1 mm.
void tst_phonelist::firstPageAndLaterPages()
{
    QTemporaryDir dir;
    PhoneListRun run(makeBook(dir, numbered("Smith", 80)));
    QCOMPARE(run.pages->pages.size(), 3);
    const PreparedPage &p1 = run.pages->pages[0];
    QCOMPARE(rowsOn(p1, "Smith"), 38);
    QCOMPARE(rowsOn(run.pages->pages[1], "Smith"), 40);
    QCOMPARE(rowsOn(run.pages->pages[2], "Smith"), 2);

    const PreparedItem *title = findText(p1, "Varnel Phone List");
    QVERIFY(title);
    QCOMPARE(title->rect.top(), 100 + 2.65);
    QVERIFY(qAbs(title->rect.center().x() - 1050) < 0.5); // centred between the margins
    QCOMPARE(findText(p1, "Surname")->rect.top(), 179.0);
    QCOMPARE(findText(p1, "S")->rect.top(), 237 + 5.29);
    QCOMPARE(findText(p1, "Smith001")->rect.top(), 285 + 10.58);
    for (int p = 1; p < 3; ++p) {
        QCOMPARE(findText(run.pages->pages[p], "Surname")->rect.top(), 100.0);
        QVERIFY(!findText(run.pages->pages[p], "S")); // the group header is not repeated
    }
    QCOMPARE(findText(run.pages->pages[1], "Smith039")->rect.top(), 158 + 10.58);
    QCOMPARE(findText(run.pages->pages[1], "Smith078")->rect.top(), 158 + 39 * 66 + 10.58);

    for (int p = 0; p < 3; ++p) {
        const PreparedPage &page = run.pages->pages[p];
        const PreparedItem *footer = findText(page, QStringLiteral("Page %1").arg(p + 1));
        QVERIFY(footer);
        QCOMPARE(footer->rect.top(), 2809.0);
        QVERIFY(qAbs(footer->rect.right() - 2000) < 1e-6);
        // Nothing but the footer reaches below the footer's top.
        for (const PreparedItem &item : page.items)
            if (item.rect.bottom() > 2809 + 1e-6)
                QVERIFY2(item.rect.top() >= 2809 - 1e-6, qPrintable(item.text));
        // Every row has a rule of one point along the top of its band, 190 mm long.
        int rules = 0;
        for (const PreparedItem &item : page.items) {
            if (item.kind != PreparedItem::FrameLine)
                continue;
            ++rules;
            QCOMPARE(item.edge, PreparedItem::EdgeTop);
            QCOMPARE(item.rect.left(), 100.0);
            QCOMPARE(item.rect.width(), 1900.0);
            QVERIFY(qAbs(item.rect.height() - 254.0 / 72) < 1e-6);
        }
        QCOMPARE(rules, rowsOn(page, "Smith"));
    }
    // The run leaves the query on its last row.
    QCOMPARE(run.query.recNo(), 79);
}

// 37 rows of A fill page 1 down to where the B heading still fits but its
// first row does not: the heading stays alone at the foot, the row opens the
// next page under the column titles, without the heading again.
void tst_phonelist::groupHeaderLeftAloneAtPageFoot()
{
    QTemporaryDir dir;
    PhoneListRun run(makeBook(dir, numbered("Abel", 37) + numbered("Brown", 3)));
    QCOMPARE(run.pages->pages.size(), 2);
    const auto p1 = textItems(run.pages->pages[0]);
    const PreparedItem *heading = findText(run.pages->pages[0], "B");
    QVERIFY(heading);
    QCOMPARE(heading->rect.top(), 285 + 37 * 66 + 5.29);
    QCOMPARE(rowsOn(run.pages->pages[0], "Brown"), 0);
    const PreparedPage &p2 = run.pages->pages[1];
    QVERIFY(!findText(p2, "B"));
    QCOMPARE(findText(p2, "Brown001")->rect.top(), 158 + 10.58);
}

// One full row: each field at its column, the empty cell phone printing nothing.
void tst_phonelist::rowFieldsInTheirColumns()
{
    QTemporaryDir dir;
    PhoneListRun run(makeBook(dir, {{"Fairweather-Montgomery", "Jo", "01632 960123", "",
                                     "01632 960999", "jo@example.org"}}));
    const PreparedPage &page = run.pages->pages.at(0);
    struct Expect
    {
        QString text;
        qreal left, top;
    };
    const qreal row = 285; // below the title, the column titles and the heading
    for (const Expect &e : QList<Expect>{{"Fairweather-Montgomery", 5.29, 10.58},
                                         {"Jo", 309.56, 10.58},
                                         {"01632 960123", 592.67, 13.23},
                                         {"01632 960999", 1145.65, 13.23},
                                         {"jo@example.org", 1399.65, 10.58}}) {
        const PreparedItem *item = findText(page, e.text);
        QVERIFY2(item, qPrintable(e.text));
        QCOMPARE(item->rect.left(), 100 + e.left);
        QCOMPARE(item->rect.top(), row + e.top);
    }
    QStringList texts;
    for (const PreparedItem *item : textItems(page))
        texts << item->text;
    QCOMPARE(texts, (QStringList{"Varnel Phone List", "Surname", "Firstname", "Tel", "Cell Phone",
                                 "Work Tel", "email", "F", "Fairweather-Montgomery", "Jo",
                                 "01632 960123", "01632 960999", "jo@example.org", "Page 1"}));
    // The first name's opaque box, drawn after the surname, covers the part of a
    // long surname that runs under it.
    const PreparedItem *surname = findText(page, "Fairweather-Montgomery");
    QVERIFY(surname->rect.right() > 100 + 309.56);
    bool covered = false;
    for (const PreparedItem &item : page.items) {
        if (&item == surname)
            covered = false;
        else if (item.kind == PreparedItem::FilledBox && item.rect.left() == 100 + 309.56 &&
                 item.rect.top() > row)
            covered = true;
    }
    QVERIFY(covered);
}

void tst_phonelist::emptySelectionHasNoPage()
{
    QTemporaryDir dir;
    PhoneListRun run(makeBook(dir, numbered("Smith", 3)), SelectionStatements::letter('Q'));
    QVERIFY(run.pages->pages.isEmpty());
}

void tst_phonelist::statements_data()
{
    QTest::addColumn<QStringList>("statement");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("all") << SelectionStatements::all()
                         << QStringList{"SELECT * FROM HomeAd", "Order by Surname"};
    QTest::newRow("letter, small")
        << SelectionStatements::letter('b')
        << QStringList{"SELECT * FROM HomeAd WHERE Surname LIKE 'B%'", "Order by Surname"};
    QTest::newRow("search") << SelectionStatements::search("Town", "Jo", false)
                            << QStringList{"SELECT * from HomeAd", "WHERE", "Town", "LIKE",
                                           "\"%Jo%\""};
    QTest::newRow("not search, empty word")
        << SelectionStatements::search("Flag", "", true)
        << QStringList{"SELECT * from HomeAd", "WHERE", "Flag", "NOT LIKE", "\"%%\""};
    QTest::newRow("a quote stays inside the literal")
        << SelectionStatements::search("Surname", "O\"Neil", false)
        << QStringList{"SELECT * from HomeAd", "WHERE", "Surname", "LIKE", "\"%O\"Neil%\""};
}

void tst_phonelist::statements()
{
    QFETCH(QStringList, statement);
    QFETCH(QStringList, expected);
    QCOMPARE(statement, expected);
}

void tst_phonelist::printCommand_data()
{
    QTest::addColumn<QStringList>("args"); // BOOK and OUT stand for the fixture's paths
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("surnames"); // printed, in order; empty: no PDF written
    QTest::addColumn<QString>("message");      // part of what goes to stderr
    const QStringList all{"Adams", "Baker", "Bell", "O\"Hara", "Young"};
    QTest::newRow("everyone") << QStringList{"BOOK", "phone-list", "OUT"} << 0 << all << "";
    QTest::newRow("letter") << QStringList{"BOOK", "phone-list", "OUT", "--letter", "b"} << 0
                            << QStringList{"Baker", "Bell"} << "";
    QTest::newRow("letter All") << QStringList{"--letter", "All", "BOOK", "phone-list", "OUT"} << 0
                                << all << "";
    QTest::newRow("search") << QStringList{"BOOK", "phone-list", "OUT", "--search", "Town", "ford"}
                            << 0 << QStringList{"Young", "Adams"}
                            << ""; // the file's order: no ORDER BY
    QTest::newRow("search not") << QStringList{"BOOK", "phone-list", "OUT",  "--search",
                                               "Town", "ford",       "--not"}
                                << 0 << QStringList{"Baker", "O\"Hara", "Bell"} << "";
    QTest::newRow("search for a quote")
        << QStringList{"BOOK", "phone-list", "OUT", "--search", "Surname", "\"H"} << 0
        << QStringList{"O\"Hara"} << "";
    QTest::newRow("empty selection") << QStringList{"BOOK", "phone-list", "OUT", "--letter", "Q"}
                                     << 1 << QStringList() << "The selection is empty";
    QTest::newRow("missing book") << QStringList{"nowhere.vdf", "phone-list", "OUT"} << 1
                                  << QStringList() << "not found";
    QTest::newRow("not a book") << QStringList{"NOTBOOK", "phone-list", "OUT"} << 1 << QStringList()
                                << "";
    QTest::newRow("unknown layout")
        << QStringList{"BOOK", "phone-book", "OUT"} << 2 << QStringList()
        << "Unknown layout \"phone-book\"; the layouts are: phone-list";
    QTest::newRow("unknown option") << QStringList{"BOOK", "phone-list", "OUT", "--colour"} << 2
                                    << QStringList() << "Unknown option --colour";
    QTest::newRow("bad letter") << QStringList{"BOOK", "phone-list", "OUT", "--letter", "7"} << 2
                                << QStringList() << "not a letter";
    QTest::newRow("unknown field")
        << QStringList{"BOOK", "phone-list", "OUT", "--search", "Shoe", "x"} << 2 << QStringList()
        << "no field \"Shoe\"";
    QTest::newRow("not alone") << QStringList{"BOOK", "phone-list", "OUT", "--not"} << 2
                               << QStringList() << "--not goes with --search";
    QTest::newRow("letter and search")
        << QStringList{"BOOK", "phone-list", "OUT", "--letter", "A", "--search", "Town", "x"} << 2
        << QStringList() << "cannot be used together";
    QTest::newRow("missing word") << QStringList{"BOOK", "phone-list", "OUT", "--search", "Town"}
                                  << 2 << QStringList() << "--search needs";
    QTest::newRow("missing output") << QStringList{"BOOK", "phone-list"} << 2 << QStringList()
                                    << "Expected BOOK LAYOUT OUT.pdf";
}

void tst_phonelist::printCommand()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, surnames);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString book = makeBook(dir, {{"Young", "", "", "", "", ""},
                                        {"Baker", "", "", "", "", ""},
                                        {"Adams", "", "", "", "", ""},
                                        {"O\"Hara", "", "", "", "", ""},
                                        {"Bell", "", "", "", "", ""}});
    {
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        c.open();
        c.execute("UPDATE HomeAd SET Town = 'Oxford' WHERE Surname = 'Adams'");
        c.execute("UPDATE HomeAd SET Town = 'Stafford' WHERE Surname = 'Young'");
        c.execute(
            "UPDATE HomeAd SET Town = 'York' WHERE Surname <> 'Adams' AND Surname <> 'Young'");
    }
    QFile notBook(dir.filePath("notes.vdf"));
    QVERIFY(notBook.open(QIODevice::WriteOnly));
    notBook.write("This is not an address book.\n");
    notBook.close();
    const QString pdf = dir.filePath("out.pdf");
    for (QString &a : args) {
        if (a == "BOOK")
            a = book;
        else if (a == "NOTBOOK")
            a = notBook.fileName();
        else if (a == "OUT")
            a = pdf;
    }
    QString outText, errText;
    QTextStream out(&outText), err(&errText);
    QCOMPARE(PrintCommand::run(args, out, err), exitCode);
    QVERIFY2(errText.contains(message), qPrintable(errText));
    QCOMPARE(errText.isEmpty(), exitCode == 0);
    QCOMPARE(QFile::exists(pdf), !surnames.isEmpty());
    if (surnames.isEmpty())
        return;
    QVERIFY(outText.contains("1 page written to"));
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QStringList printed;
    for (const PdfWord &w : pdfWords(pdf))
        if (qAbs(w.xMin - 10.529 * kPtPerMm) < 0.3 && w.yMin > 23.7 * kPtPerMm && w.text.size() > 1)
            printed << QString(w.text).replace("&quot;", "\"");
    QCOMPARE(printed, surnames);
}

// The program itself, as a script runs it: exit code, A4 pages, and the texts
// where the layout puts them.
void tst_phonelist::printProgramWritesTheLayoutsPdf()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QTemporaryDir dir;
    const QString book = makeBook(dir, numbered("Smith", 41));
    const QString pdf = dir.filePath("list.pdf");
    QProcess program;
    program.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"), {book, "phone-list", pdf});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
    QSizeF size;
    const QList<PdfWord> words = pdfWords(pdf, &size);
    QVERIFY(qAbs(size.width() - 210 * kPtPerMm) < 0.5);
    QVERIFY(qAbs(size.height() - 297 * kPtPerMm) < 0.5);
    const qreal tol = 0.1 * kPtPerMm;
    auto word = [&](const QString &text, int page) -> const PdfWord * {
        for (const PdfWord &w : words)
            if (w.text == text && w.page == page)
                return &w;
        return nullptr;
    };
    const PdfWord *surname = word("Surname", 1);
    QVERIFY(surname);
    QVERIFY(qAbs(surname->xMin - 10.529 * kPtPerMm) < tol);
    QVERIFY(qAbs(surname->yMin - 17.9 * kPtPerMm) < tol);
    const PdfWord *again = word("Surname", 2);
    QVERIFY(again);
    QVERIFY(qAbs(again->yMin - 10.0 * kPtPerMm) < tol);
    const PdfWord *row = word("Smith039", 2);
    QVERIFY(row);
    QVERIFY(qAbs(row->yMin - (15.8 + 1.058) * kPtPerMm) < tol);
    for (int p = 1; p <= 2; ++p) {
        const PdfWord *number = word(QString::number(p), p);
        QVERIFY(number);
        QVERIFY(qAbs(number->xMax - 200 * kPtPerMm) < tol);
        QVERIFY(qAbs(number->yMin - 280.9 * kPtPerMm) < tol);
    }
    // The title is centred between the margins.
    const PdfWord *first = word("Varnel", 1), *last = word("List", 1);
    QVERIFY(first && last);
    QVERIFY(qAbs((first->xMin + last->xMax) / 2 - 105 * kPtPerMm) < tol);
}

QTEST_MAIN(tst_phonelist)
#include "tst_phonelist.moc"
