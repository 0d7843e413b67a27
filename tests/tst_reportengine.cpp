#include "FakeDataSet.h"
#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "reports/ReportExpression.h"
#include "reports/ReportPagination.h"
#include "reports/ReportPainter.h"
#include "reports/ReportRichText.h"
#include "reports/ReportText.h"
#include "reports/ReportUnits.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

namespace {

FontValue fontOf(const QString &family, qreal pt, bool bold = false)
{
    FontValue f;
    f.font = QFont(family);
    f.font.setPointSizeF(pt);
    f.font.setBold(bold);
    return f;
}

ReportFont reportFont(const QString &family, qreal pt, bool bold = false)
{
    return ReportFont::fromQFont(fontOf(family, pt, bold).font);
}

QStringList textsOf(const PreparedPage &page)
{
    QStringList out;
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::TextLine)
            out << item.text;
    return out;
}

const PreparedItem *findText(const PreparedPage &page, const QString &text)
{
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::TextLine && item.text == text)
            return &item;
    return nullptr;
}

// The 21-per-sheet label page: three columns of seven labels.
PageGeometry labelSheet()
{
    PageGeometry g;
    g.topMargin = 18;
    g.bottomMargin = 10;
    g.leftMargin = 12;
    g.rightMargin = 10;
    g.columns = 3;
    g.columnSpace = 5;
    return g;
}

// A small report with a group on the surname's initial and one detail line,
// as the phone list has them, with the page footer numbering the pages.
struct GroupedReport
{
    TReport report;
    TRpGroup *group;
    TRpBand *detail;
    TRpBand *footer;

    explicit GroupedReport(ReportDataSet *data)
    {
        report.setDataSet(data);
        auto *title = report.addBand(rbTitle, 7.938);
        title->addControl<TRpLabel>(64.558, 0.265, 60.854, 6.085)->setCaption("Title");
        auto *header = report.addBand(rbColumnHeader, 5.821);
        header->addControl<TRpLabel>(0.529, 0, 26.194, 4.498)->setCaption("Surname");
        group = report.addGroup("COPY(HomeQuery.Surname,1,1)", 4.763);
        auto *initial = group->addControl<TRpExpr>(0.529, 0.529, 46.302, 3.969);
        initial->setExpression("COPY(HomeQuery.Surname,1,1)");
        initial->setAutoSize(true);
        detail = report.addBand(rbDetail, 6.615);
        auto *surname = detail->addControl<TRpDBText>(0.529, 1.058, 20, 4.498);
        surname->setDataField("Surname");
        surname->setAutoSize(true);
        footer = report.addBand(rbPageFooter, 6.085);
        auto *number = footer->addControl<TRpSysData>(0, 0, 10, 3.969);
        number->setText("Page ");
        number->setAutoSize(true);
        number->setAlignment(taRightJustify);
        number->setAlignToBand(true);
    }
};

} // namespace

Q_DECLARE_METATYPE(PageGeometry)
Q_DECLARE_METATYPE(ReportFont)

class tst_reportengine : public QObject
{
    Q_OBJECT
private slots:
    void columnStarts_data();
    void columnStarts();
    void placement_data();
    void placement();
    void pageEvents();

    void expressions_data();
    void expressions();
    void expressionErrors_data();
    void expressionErrors();
    void memoMerge_data();
    void memoMerge();

    void wordWrap_data();
    void wordWrap();
    void lineCell();
    void metricsPerFont();
    void linesThatFit_data();
    void linesThatFit();
    void fitToWidth_data();
    void fitToWidth();
    void fitToWidthCuts();

    void groupsAndLastRow();
    void phoneListPagination();
    void printIfEmpty_data();
    void printIfEmpty();
    void pageFooterOnLastPage_data();
    void pageFooterOnLastPage();
    void stopBeforeNextRow();
    void streamedRunHandsOverEachPage();
    void secondRunRefused();
    void unknownFieldStopsTheRun();
    void textControlPlacement();
    void labelMemoLosesLinesThatDoNotFit();
    void fencedTextKeepsInside();
    void richTextCutAtBoxFoot();

    void saveLoadRoundTrip();
    void damagedFilesAreRefused();
    void reportsMadeElsewhere_data();
    void reportsMadeElsewhere();
    void richTextReadsNoFileItNames();
    void paintScalesAndSubtractsPrinterOffset();
    void pdfTextLandsWhereItWasPlaced();
    void pdfWriterLeavesNoHalfFile();
};

void tst_reportengine::columnStarts_data()
{
    QTest::addColumn<qreal>("pageWidth");
    QTest::addColumn<qreal>("left");
    QTest::addColumn<qreal>("right");
    QTest::addColumn<int>("columns");
    QTest::addColumn<qreal>("space");
    QTest::addColumn<QList<int>>("starts");
    QTest::newRow("21 per sheet, 59.333 mm columns")
        << 210.0 << 12.0 << 10.0 << 3 << 5.0 << QList<int>{120, 120 + 643, 120 + 1286};
    QTest::newRow("16 per sheet") << 210.0 << 15.0 << 10.0 << 2 << 25.0 << QList<int>{150, 1200};
    QTest::newRow("A5 diary, landscape")
        << 297.0 << 10.0 << 10.0 << 4 << 5.0 << QList<int>{100, 805, 1510, 2215};
    QTest::newRow("one column") << 210.0 << 10.0 << 10.0 << 1 << 0.0 << QList<int>{100};
}

void tst_reportengine::columnStarts()
{
    QFETCH(qreal, pageWidth);
    QFETCH(qreal, left);
    QFETCH(qreal, right);
    QFETCH(int, columns);
    QFETCH(qreal, space);
    QFETCH(QList<int>, starts);
    PageGeometry g;
    g.paperWidth = pageWidth;
    g.leftMargin = left;
    g.rightMargin = right;
    g.columns = columns;
    g.columnSpace = space;
    for (int c = 1; c <= columns; ++c)
        QCOMPARE(g.columnLeft(c), starts[c - 1]);
}

// Placements come out as "page.column@y" in 0.1 mm.
void tst_reportengine::placement_data()
{
    QTest::addColumn<PageGeometry>("geometry");
    QTest::addColumn<QList<qreal>>("heights");
    QTest::addColumn<QStringList>("expected");

    PageGeometry plain; // one column, lower limit 200 mm
    plain.bottomMargin = 97;
    QTest::newRow("band exactly as tall as the space left stays")
        << plain << QList<qreal>{150, 50} << QStringList{"1.1@0", "1.1@1500"};
    QTest::newRow("0.1 mm taller moves on")
        << plain << QList<qreal>{150, 50.1} << QStringList{"1.1@0", "2.1@0"};
    PageGeometry offGrid = plain; // lower limit 200.04 mm
    offGrid.bottomMargin = 96.96;
    QTest::newRow("space left is taken on the 0.1 mm grid")
        << offGrid << QList<qreal>{150, 50.03} << QStringList{"1.1@0", "2.1@0"};
    QTest::newRow("a band moves y by its height on the 0.1 mm grid")
        << plain << QList<qreal>{38.365, 38.34, 10} << QStringList{"1.1@0", "1.1@384", "1.1@767"};
    QTest::newRow("band taller than a page prints where it stands")
        << plain << QList<qreal>{50, 250, 10} << QStringList{"1.1@0", "1.1@500", "2.1@0"};

    PageGeometry twoColumns = plain;
    twoColumns.columns = 2;
    twoColumns.columnSpace = 10;
    QTest::newRow("group header alone at a column foot")
        << twoColumns << QList<qreal>{60, 60, 60, 15, 60}
        << QStringList{"1.1@0", "1.1@600", "1.1@1200", "1.1@1800", "1.2@0"};

    QTest::newRow("five rows on a 3x7 sheet all in column 1")
        << labelSheet() << QList<qreal>(5, 38.365)
        << QStringList{"1.1@180", "1.1@564", "1.1@948", "1.1@1332", "1.1@1716"};
    QStringList sheet;
    for (int i = 0; i < 22; ++i)
        sheet << QStringLiteral("%1.%2@%3")
                     .arg(i / 21 + 1)
                     .arg(i % 21 / 7 + 1)
                     .arg(180 + i % 7 * 384);
    QTest::newRow("22 rows on a 3x7 sheet") << labelSheet() << QList<qreal>(22, 38.365) << sheet;

    PageGeometry letter; // one letter per page: the footer takes most of it
    letter.topMargin = letter.bottomMargin = letter.leftMargin = letter.rightMargin = 10;
    letter.footerHeight = 227.277;
    QTest::newRow("a detail band and a tall footer: one row a page")
        << letter << QList<qreal>{40.217, 40.217} << QStringList{"1.1@100", "2.1@100"};
}

void tst_reportengine::placement()
{
    QFETCH(PageGeometry, geometry);
    QFETCH(QList<qreal>, heights);
    QFETCH(QStringList, expected);
    ReportPaginator pages(geometry, 0, 0);
    QStringList got;
    for (qreal h : heights) {
        const auto p = pages.placeBand(h);
        QCOMPARE(p.x, geometry.columnLeft(p.column));
        got << QStringLiteral("%1.%2@%3").arg(p.page).arg(p.column).arg(p.y);
    }
    QCOMPARE(got, expected);
}

// Title on page 1 only and above every column of it; column headers at the top
// of every column but the first of page 1; the footer at the lower limit.
void tst_reportengine::pageEvents()
{
    PageGeometry g;
    g.topMargin = g.bottomMargin = 10;
    g.columns = 2;
    g.footerHeight = 6.085;
    QStringList log;
    ReportPaginator::Listener l;
    l.pageBegun = [&](int page) { log << QStringLiteral("begin %1").arg(page); };
    l.pageFinished = [&](int page, int top, bool footer) {
        log << QStringLiteral("finish %1 footer@%2 %3").arg(page).arg(top).arg(footer);
    };
    l.columnHeader = [&](const ReportPaginator::Placement &p) {
        log << QStringLiteral("header %1.%2@%3").arg(p.page).arg(p.column).arg(p.y);
    };
    ReportPaginator pages(g, 7.938, 5.821, l);
    auto place = [&](qreal h) {
        const auto p = pages.placeBand(h);
        log << QStringLiteral("band %1.%2@%3").arg(p.page).arg(p.column).arg(p.y);
    };
    place(7.938); // title
    place(5.821); // column header, page 1 column 1
    place(200);
    place(200); // column 2 of page 1: below the title, under its header
    place(200); // page 2
    pages.finish(false);
    QCOMPARE(log,
             (QStringList{"begin 1", "band 1.1@100", "band 1.1@179", "band 1.1@237",
                          "header 1.2@179", "band 1.2@237", "finish 1 footer@2809 1", "begin 2",
                          "header 2.1@100", "band 2.1@158", "finish 2 footer@2809 0"}));
}

void tst_reportengine::expressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("value");
    QTest::newRow("field") << "Surname"
                           << "Allen";
    QTest::newRow("field in other case") << "sUrNaMe"
                                         << "Allen";
    QTest::newRow("data set prefix") << "HomeQuery.Surname"
                                     << "Allen";
    QTest::newRow("prefix in other case") << "homequery.surname"
                                          << "Allen";
    QTest::newRow("brackets with a blank") << "[Work Tel]"
                                           << "0123";
    QTest::newRow("prefix and brackets") << "HomeQuery.[work tel]"
                                         << "0123";
    QTest::newRow("null field is empty") << "Cell"
                                         << "";
    QTest::newRow("literal") << "', '"
                             << ", ";
    QTest::newRow("join with blanks around") << " Surname +', '+ Firstname "
                                             << "Allen, Ann";
    QTest::newRow("join with a null") << "'T: '+Cell+'; Cel: '"
                                      << "T: ; Cel: ";
    QTest::newRow("COPY first char") << "COPY(HomeQuery.Surname,1,1)"
                                     << "A";
    QTest::newRow("copy in lower case") << "copy(Surname, 2, 3)"
                                        << "lle";
    QTest::newRow("COPY past the end") << "COPY(Surname,4,10)"
                                       << "en";
    QTest::newRow("COPY start beyond text") << "COPY(Surname,9,1)"
                                            << "";
    QTest::newRow("COPY count 0") << "COPY(Surname,1,0)"
                                  << "";
    QTest::newRow("COPY of empty") << "COPY(Cell,1,1)"
                                   << "";
    QTest::newRow("COPY of a join") << "COPY(Firstname+Surname,3,3)"
                                    << "nAl";
    QTest::newRow("255 cut of a field") << "Notes" << QString(255, 'x');
    QTest::newRow("255 cut of a join") << "'ab'+Notes"
                                       << "ab" + QString(253, 'x');
}

void tst_reportengine::expressions()
{
    QFETCH(QString, expression);
    QFETCH(QString, value);
    FakeDataSet data({"Surname", "Firstname", "Work Tel", "Cell", "Notes"},
                     {{"Allen", "Ann", "0123", QVariant(), QString(300, 'x')}});
    data.first();
    const ReportExpression e = ReportExpression::parse(expression);
    e.checkFields(data);
    QCOMPARE(e.evaluate(&data), value);
    QCOMPARE(e.evaluate(nullptr).isEmpty(), !expression.contains('\''));
}

void tst_reportengine::expressionErrors_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown field") << "Surnam"
                                   << "HomeQuery: Field 'Surnam' not found";
    QTest::newRow("other data set") << "Other.Surname"
                                    << "Unknown data set 'Other'";
    QTest::newRow("unterminated literal") << "'abc"
                                          << "unterminated string";
    QTest::newRow("unknown function") << "UPPER(Surname)"
                                      << "unknown function 'UPPER'";
    QTest::newRow("missing operand") << "Surname +"
                                     << "operand expected";
    QTest::newRow("COPY short of arguments") << "COPY(Surname,1)"
                                             << "',' expected";
    QTest::newRow("empty") << ""
                           << "empty expression";
    QTest::newRow("COPY start not a number") << "COPY(Surname,Surname,1)"
                                             << "'Allen' is not a valid integer value";
}

void tst_reportengine::expressionErrors()
{
    QFETCH(QString, expression);
    QFETCH(QString, message);
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen"});
    data.first();
    try {
        const ReportExpression e = ReportExpression::parse(expression);
        e.checkFields(data);
        e.evaluate(&data);
        QFAIL("no error");
    } catch (const VarnelError &error) {
        QVERIFY2(error.message().contains(message), qPrintable(error.message()));
    }
}

void tst_reportengine::memoMerge_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<bool>("removeBlank");
    QTest::addColumn<QStringList>("merged");
    const QStringList address{"{Firstname +' '+Surname}", "{Address1}", "{Town}"};
    QTest::newRow("two empty fields leave a blank line; an empty field goes")
        << address << true << QStringList{" ", "Lane 1"};
    QTest::newRow("without RemoveBlankLines every line stays")
        << address << false << QStringList{" ", "Lane 1", ""};
    QTest::newRow("fixed text around and between expressions")
        << QStringList{"Dear {Firstname}{Address1}, at {Town}!"} << true
        << QStringList{"Dear Lane 1, at !"};
    QTest::newRow("a brace without its pair is text")
        << QStringList{"{Address1} {Town", "}x{"} << true << QStringList{"Lane 1 {Town", "}x{"};
}

void tst_reportengine::memoMerge()
{
    QFETCH(QStringList, lines);
    QFETCH(bool, removeBlank);
    QFETCH(QStringList, merged);
    FakeDataSet data({"Firstname", "Surname", "Address1", "Town"},
                     {{QVariant(), QVariant(), "Lane 1", QVariant()}});
    data.first();
    QVector<ReportMemoLine> parsed;
    for (const QString &l : lines)
        parsed << ReportMemoLine::parse(l);
    QCOMPARE(mergeMemoLines(parsed, removeBlank, &data), merged);
}

void tst_reportengine::wordWrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("boxFits"); // the box is exactly as wide as this text
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("fits exactly") << "aaa bbb"
                                  << "aaa bbb" << true << QStringList{"aaa bbb"};
    QTest::newRow("word that does not fit starts the next line")
        << "aaa bbb ccc"
        << "aaa bbb" << true << QStringList{"aaa bbb", "ccc"};
    QTest::newRow("break after a hyphen")
        << "well-known fact"
        << "well-kn" << true << QStringList{"well-", "known", "fact"};
    QTest::newRow("word wider than the box breaks between characters")
        << "abcdefgh xy"
        << "abc" << true << QStringList{"abc", "def", "gh", "xy"};
    QTest::newRow("line breaks always split")
        << "one\ntwo\r\nthree"
        << "one two three" << true << QStringList{"one", "two", "three"};
    QTest::newRow("no word wrap keeps lines whole") << "aaa bbb ccc"
                                                    << "a" << false << QStringList{"aaa bbb ccc"};
}

void tst_reportengine::wordWrap()
{
    QFETCH(QString, text);
    QFETCH(QString, boxFits);
    QFETCH(bool, wrap);
    QFETCH(QStringList, lines);
    const ReportFontMetrics &m = ReportFontMetrics::of(reportFont("Arial", 10));
    QCOMPARE(breakTextIntoLines(text, wrap, m.width(boxFits), m), lines);
}

void tst_reportengine::lineCell()
{
    // Arial's cell is (usWinAscent 1854 + usWinDescent 434) / 2048 em.
    const ReportFontMetrics &m = ReportFontMetrics::of(reportFont("Arial", 10));
    QVERIFY(m.cellFromOs2Table());
    QCOMPARE(qRound(m.lineHeight() * 1000),
             qRound(ReportUnits::fromPoints(10 * 2288.0 / 2048) * 1000));
    QCOMPARE(qRound(m.ascent() * 1000), qRound(ReportUnits::fromPoints(10 * 1854.0 / 2048) * 1000));
    // The measuring font is really the metric-compatible one, not a fallback:
    // "Arial" text is as wide as Liberation Sans text.
    const ReportFontMetrics &lib = ReportFontMetrics::of(reportFont("Liberation Sans", 10));
    QCOMPARE(m.width("Allen, Ann"), lib.width("Allen, Ann"));
    QVERIFY(m.width("Allen, Ann") > 0);
}

// Metrics are kept per font: a face named in another case shares them, any
// other difference gets its own.
void tst_reportengine::metricsPerFont()
{
    const ReportFont base = reportFont("Arial", 10);
    const ReportFontMetrics *m = &ReportFontMetrics::of(base);
    ReportFont same = base;
    same.family = "ARIAL";
    QCOMPARE(&ReportFontMetrics::of(same), m);
    const auto differs = [&](const char *what, auto change) {
        ReportFont other = base;
        change(other);
        QVERIFY2(&ReportFontMetrics::of(other) != m, what);
        QCOMPARE(&ReportFontMetrics::of(other), &ReportFontMetrics::of(other));
    };
    differs("size", [](ReportFont &f) { f.pointSize = 10.1; });
    differs("weight", [](ReportFont &f) { f.weight = QFont::Bold; });
    differs("italic", [](ReportFont &f) { f.italic = true; });
    differs("underline", [](ReportFont &f) { f.underline = true; });
    differs("strike-out", [](ReportFont &f) { f.strikeOut = true; });
    differs("face", [](ReportFont &f) { f.family = "Times New Roman"; });
    QVERIFY(ReportFontMetrics::of(reportFont("Arial", 10, true)).width("Allen") > m->width("Allen"));
}

void tst_reportengine::linesThatFit_data()
{
    QTest::addColumn<ReportFont>("font");
    QTest::addColumn<qreal>("boxHeightMm");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("fit");
    QTest::newRow("Arial 10 in the 28.840 mm address block")
        << reportFont("Arial", 10) << 28.840 << 8 << 7;
    QTest::newRow("Arial 12 in the 37.571 mm label memo")
        << reportFont("Arial", 12) << 37.571 << 8 << 7;
    QTest::newRow("Arial 10 in the 37.571 mm label memo")
        << reportFont("Arial", 10) << 37.571 << 8 << 8;
    QTest::newRow("Arial 10 in the 47.184 mm diary memo")
        << reportFont("Arial", 10) << 47.184 << 10 << 10;
    QTest::newRow("Times New Roman 12 bold in the address block")
        << reportFont("Times New Roman", 12, true) << 28.840 << 7 << 6;
    QTest::newRow("a box lower than one line") << reportFont("Arial", 10) << 3.0 << 2 << 0;
}

void tst_reportengine::linesThatFit()
{
    QFETCH(ReportFont, font);
    QFETCH(qreal, boxHeightMm);
    QFETCH(int, lines);
    QFETCH(int, fit);
    const ReportFontMetrics &m = ReportFontMetrics::of(font);
    QCOMPARE(fittingLineCount(m.lineHeight(), ReportUnits::fromMm(boxHeightMm), lines), fit);
}

void tst_reportengine::fitToWidth_data()
{
    QTest::addColumn<qreal>("points");
    QTest::addColumn<qreal>("share");          // the room, as a share of the line's width
    QTest::addColumn<qreal>("expectedPoints"); // the size it is printed in
    QTest::addColumn<bool>("cut");
    QTest::newRow("fits exactly") << 10.0 << 1.0 << 10.0 << false;
    QTest::newRow("a tenth too wide") << 10.0 << 0.9 << 9.0 << false;
    QTest::newRow("set at 70%") << 10.0 << 0.7 << 7.0 << false;
    QTest::newRow("below 70%: cut at 70%") << 10.0 << 0.69 << 7.0 << true;
    QTest::newRow("9 pt down to 6.3") << 9.0 << 0.7 << 6.3 << false;
    QTest::newRow("8 pt no further than 6") << 8.0 << 0.76 << 6.0 << false;
    QTest::newRow("8 pt cut at 6") << 8.0 << 0.72 << 6.0 << true;
    QTest::newRow("6 pt keeps its size") << 6.0 << 0.9 << 6.0 << true;
    QTest::newRow("5 pt keeps its size") << 5.0 << 0.9 << 5.0 << true;
}

// A line too wide for its room is set smaller, in whole tenths of a point,
// down to 70% of its size and never below 6 pt; only then is it cut, as late
// as the room allows, and ended with "...".
void tst_reportengine::fitToWidth()
{
    QFETCH(qreal, points);
    QFETCH(qreal, share);
    QFETCH(qreal, expectedPoints);
    QFETCH(bool, cut);
    const QString line = "Christopher-Jonathan Aontgomery-Fitzwilliam";
    const ReportFont font = reportFont("Arial", points, true);
    const qreal room = ReportFontMetrics::of(font).width(line) * share;

    const FittedLine fitted = fitLineToWidth(line, font, room);
    QCOMPARE(fitted.font.pointSize, expectedPoints);
    QCOMPARE(fitted.font.family, font.family);
    QCOMPARE(fitted.font.weight, font.weight);
    const ReportFontMetrics &m = ReportFontMetrics::of(fitted.font);
    QVERIFY(m.width(fitted.text) <= room + 1e-6);
    if (!cut) {
        QCOMPARE(fitted.text, line);
        return;
    }
    QVERIFY2(fitted.text.endsWith("..."), qPrintable(fitted.text));
    const QString kept = fitted.text.chopped(3);
    QVERIFY(!kept.isEmpty());
    QVERIFY(line.startsWith(kept));
    QVERIFY(m.width(line.left(kept.size() + 1) + "...") > room);
}

// The cut leaves no blank before the ellipsis, and a room too small even for
// "..." gets what of it fits.
void tst_reportengine::fitToWidthCuts()
{
    const ReportFont font = reportFont("Arial", 10);
    const ReportFont smallest = reportFont("Arial", 7);
    const ReportFontMetrics &m = ReportFontMetrics::of(smallest);
    const QString line = "Flat 3 Harbour View Quay Street";
    FittedLine fitted = fitLineToWidth(line, font, m.width("Flat 3 ...") + 0.01);
    QCOMPARE(fitted.text, QString("Flat 3..."));
    QCOMPARE(fitted.font, smallest);

    fitted = fitLineToWidth(line, font, m.width("..") + 0.01);
    QCOMPARE(fitted.text, QString(".."));
    fitted = fitLineToWidth(line, font, 0);
    QCOMPARE(fitted.text, QString());
}

void tst_reportengine::groupsAndLastRow()
{
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen", "adams", "Baker"});
    GroupedReport r(&data);
    QVERIFY(r.report.run());
    const auto out = r.report.preparedReport();
    QCOMPARE(out->pages.size(), 1);
    // Exact comparison: "a" is a group of its own. No footer on the last page
    // without LastPageFooter.
    QCOMPARE(textsOf(out->pages[0]),
             (QStringList{"Title", "Surname", "A", "Allen", "a", "adams", "B", "Baker"}));
    QVERIFY(data.eof());
    QCOMPARE(data.row(), 2);
    QCOMPARE(data.firstCalls, 1);
    QCOMPARE(data.disableCalls, 1);
    QCOMPARE(data.enableCalls, 1);
}

// 40 people of one initial on the phone list's page: 38 rows on page 1 under
// the title, the column header and one group header; 2 on page 2 under the
// column header alone; the footer on both, ending at the right margin.
void tst_reportengine::phoneListPagination()
{
    QStringList names;
    for (int i = 1; i <= 40; ++i)
        names << QStringLiteral("Smith%1").arg(i, 2, 10, QLatin1Char('0'));
    FakeDataSet data = FakeDataSet::ofSurnames(names);
    GroupedReport r(&data);
    r.report.setOptions(LastPageFooter);
    QVERIFY(r.report.run());
    const auto out = r.report.preparedReport();
    QCOMPARE(out->pages.size(), 2);
    auto rows = [](const PreparedPage &p) {
        return textsOf(p).filter(QRegularExpression("^Smith")).size();
    };
    QCOMPARE(rows(out->pages[0]), 38);
    QCOMPARE(rows(out->pages[1]), 2);
    QCOMPARE(textsOf(out->pages[1]), (QStringList{"Surname", "Smith39", "Smith40", "Page 2"}));

    QCOMPARE(findText(out->pages[0], "Title")->rect.top(), 100 + 2.65);
    QCOMPARE(findText(out->pages[0], "Surname")->rect.top(), 179.0);
    QCOMPARE(findText(out->pages[0], "S")->rect.top(), 237 + 5.29);
    QCOMPARE(findText(out->pages[0], "Smith01")->rect.top(), 285 + 10.58);
    QCOMPARE(findText(out->pages[1], "Surname")->rect.top(), 100.0);
    QCOMPARE(findText(out->pages[1], "Smith39")->rect.top(), 158 + 10.58);
    for (int p = 0; p < 2; ++p) {
        const PreparedItem *footer = findText(out->pages[p], QStringLiteral("Page %1").arg(p + 1));
        QVERIFY(footer);
        QCOMPARE(footer->rect.top(), 2809.0);
        QVERIFY(qAbs(footer->rect.right() - 2000) < 1e-6);
    }
}

void tst_reportengine::printIfEmpty_data()
{
    QTest::addColumn<bool>("printIfEmpty");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<QStringList>("texts"); // empty: no page at all
    // The memo keeps its line of one blank and drops the empty one; the title
    // prints, the column header does not.
    const QStringList onePage{"Title", " ", "T: "};
    QTest::newRow("empty, PrintIfEmpty") << true << false << onePage;
    QTest::newRow("empty, no PrintIfEmpty") << false << false << QStringList();
    QTest::newRow("closed, PrintIfEmpty") << true << true << onePage;
    QTest::newRow("closed, no PrintIfEmpty") << false << true << QStringList();
}

void tst_reportengine::printIfEmpty()
{
    QFETCH(bool, printIfEmpty);
    QFETCH(bool, closed);
    QFETCH(QStringList, texts);
    FakeDataSet data = FakeDataSet::ofSurnames({});
    data.active = !closed;
    TReport report;
    report.setDataSet(&data);
    report.setPrintIfEmpty(printIfEmpty);
    report.addBand(rbTitle, 8)->addControl<TRpLabel>(0, 0, 50, 5)->setCaption("Title");
    report.addBand(rbColumnHeader, 8)->addControl<TRpLabel>(0, 0, 50, 5)->setCaption("Header");
    auto *detail = report.addBand(rbDetail, 30);
    auto *memo = detail->addControl<TRpExprMemo>(0, 0, 40, 20);
    memo->setLines({"{Surname}", "{Surname +' '+Surname}"});
    memo->setRemoveBlankLines(true);
    memo->setAutoSize(true);
    detail->addControl<TRpLabel>(0, 25, 20, 5)->setCaption("T: ");
    QVERIFY(report.run());
    const auto out = report.preparedReport();
    QCOMPARE(out->pages.size(), texts.isEmpty() ? 0 : 1);
    if (!texts.isEmpty())
        QCOMPARE(textsOf(out->pages[0]), texts);
    // A closed data set is not touched.
    QCOMPARE(data.firstCalls, closed ? 0 : 1);
    QCOMPARE(data.disableCalls, closed ? 0 : 1);
}

void tst_reportengine::pageFooterOnLastPage_data()
{
    QTest::addColumn<bool>("lastPageFooter");
    QTest::newRow("LastPageFooter") << true;
    QTest::newRow("no LastPageFooter") << false;
}

void tst_reportengine::pageFooterOnLastPage()
{
    QFETCH(bool, lastPageFooter);
    FakeDataSet data = FakeDataSet::ofSurnames(QStringList(45, "Smith"));
    GroupedReport r(&data);
    r.report.setOptions(lastPageFooter ? TRpOptions(LastPageFooter) : TRpOptions());
    QSignalSpy finished(&r.report, &TCustomReport::pageFinished);
    QVERIFY(r.report.run());
    const auto out = r.report.preparedReport();
    QCOMPARE(out->pages.size(), 2);
    QVERIFY(findText(out->pages[0], "Page 1"));
    QCOMPARE(findText(out->pages[1], "Page 2") != nullptr, lastPageFooter);
    QCOMPARE(finished.size(), 2);
    QCOMPARE(finished.at(1).at(0).toInt(), 2);
}

// A run with a sink hands over each page as it is finished, footer and all,
// and keeps none: the pages it hands over are those a run that keeps them has.
void tst_reportengine::streamedRunHandsOverEachPage()
{
    FakeDataSet data = FakeDataSet::ofSurnames(QStringList(45, "Smith") + QStringList(50, "Toms"));
    GroupedReport r(&data);
    r.report.setOptions(LastPageFooter);
    QVERIFY(r.report.run());
    const auto kept = r.report.preparedReport();
    QCOMPARE(kept->pages.size(), 3);

    QList<PreparedPage> handed;
    QList<int> numbers, finishedBefore;
    QSignalSpy finished(&r.report, &TCustomReport::pageFinished);
    QVERIFY(r.report.run([&](const PreparedPage &page, int number) {
        handed << page;
        numbers << number;
        finishedBefore << int(finished.size());
    }));
    QCOMPARE(numbers, (QList<int>{1, 2, 3}));
    QCOMPARE(finishedBefore, (QList<int>{0, 1, 2})); // each page before its signal
    QCOMPARE(handed, QList<PreparedPage>(kept->pages.begin(), kept->pages.end()));
    QVERIFY(findText(handed[2], "Page 3"));
    QVERIFY(r.report.preparedReport()->pages.isEmpty());
}

// The run lets Qt deliver pending events between rows: a stop queued before it
// starts arrives after the first row, and the run prints no other.
void tst_reportengine::stopBeforeNextRow()
{
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen", "Baker", "Clark", "Dent", "Eve"});
    GroupedReport r(&data);
    r.report.setOptions(LastPageFooter);
    QList<int> progress;
    connect(&r.report, &TCustomReport::progress, this, [&](int p) { progress << p; });
    QMetaObject::invokeMethod(&r.report, "stop", Qt::QueuedConnection);
    QVERIFY(r.report.run());
    const auto out = r.report.preparedReport();
    QCOMPARE(out->pages.size(), 1);
    QCOMPARE(textsOf(out->pages[0]), (QStringList{"Title", "Surname", "A", "Allen", "Page 1"}));
    QCOMPARE(progress, (QList<int>{0, 20}));
    QCOMPARE(data.enableCalls, 1);

    // The stop belongs to that run only.
    progress.clear();
    QVERIFY(r.report.run());
    QCOMPARE(progress, (QList<int>{0, 20, 40, 60, 80, 100}));
}

void tst_reportengine::secondRunRefused()
{
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen", "Baker"});
    GroupedReport r(&data);
    QList<bool> inner;
    std::shared_ptr<const PreparedReport> during;
    connect(&r.report, &TCustomReport::progress, this, [&](int) {
        QVERIFY(r.report.isRunning());
        inner << r.report.run();
        during = r.report.preparedReport();
    });
    QVERIFY(r.report.run());
    QCOMPARE(inner, (QList<bool>{false, false, false}));
    QCOMPARE(during, r.report.preparedReport());
    QCOMPARE(textsOf(r.report.preparedReport()->pages[0]),
             (QStringList{"Title", "Surname", "A", "Allen", "B", "Baker"}));
    QCOMPARE(data.firstCalls, 1);
    QVERIFY(!r.report.isRunning());
}

void tst_reportengine::unknownFieldStopsTheRun()
{
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen"});
    GroupedReport r(&data);
    auto *wrong = r.detail->addControl<TRpDBText>(50, 0, 20, 5);
    wrong->setDataField("Surnam");
    QVERIFY_THROWS_EXCEPTION(VarnelError, r.report.run());
    QVERIFY(!r.report.isRunning());
    QCOMPARE(data.disableCalls, data.enableCalls);
    wrong->setDataField("SURNAME");
    QVERIFY(r.report.run());
    QCOMPARE(textsOf(r.report.preparedReport()->pages[0]).count("Allen"), 2);
}

// One band at (100, 100) units, 190 mm wide, with a control of each kind of
// placement.
void tst_reportengine::textControlPlacement()
{
    FakeDataSet data = FakeDataSet::ofSurnames({"Allen"});
    TReport report;
    report.setDataSet(&data);
    auto *band = report.addBand(rbDetail, 60);
    band->frame().DrawTop = true;

    auto *autoSized = band->addControl<TRpLabel>(10, 0, 5, 5);
    autoSized->setCaption("A caption much wider than its box");
    autoSized->setAutoSize(true);
    autoSized->frame().DrawLeft = true;

    auto *right = band->addControl<TRpSysData>(0, 10, 30, 5);
    right->setText("Page ");
    right->setAutoSize(true);
    right->setAlignment(taRightJustify);
    right->setAlignToBand(true);

    auto *centred = band->addControl<TRpLabel>(100, 20, 50, 5);
    centred->setCaption("Mid");
    centred->setAlignment(taCenter);

    auto *wrapped = band->addControl<TRpLabel>(0, 30, 0, 0);
    wrapped->setCaption("one two three");
    const ReportFontMetrics &m = ReportFontMetrics::of(reportFont("Arial", 10));
    // Two lines high plus the 0.1 mm grace, as wide as "one two".
    wrapped->setBounds(0, 30, ReportUnits::toMm(m.width("one two")),
                       ReportUnits::toMm(2 * m.lineHeight()) + 0.1);

    QVERIFY(report.run());
    const PreparedPage &page = report.preparedReport()->pages.at(0);
    const QVector<PreparedItem> &items = page.items;

    // The band's fill comes first and its frame last.
    QCOMPARE(items.first().kind, PreparedItem::FilledBox);
    QCOMPARE(items.first().rect, QRectF(100, 100, 1900, 600));
    QCOMPARE(items.last().kind, PreparedItem::FrameLine);
    QCOMPARE(items.last().edge, PreparedItem::EdgeTop);
    QCOMPARE(items.last().rect.height(), ReportUnits::fromPoints(1));

    // Auto-size: the opaque box takes the text's width, keeping its left edge,
    // and the text runs past the width the layout gave; its frame follows it.
    const PreparedItem *caption = findText(page, "A caption much wider than its box");
    QVERIFY(caption);
    QCOMPARE(caption->rect.left(), 200.0);
    QVERIFY(caption->rect.width() > 50);
    const int at = int(caption - items.constData());
    QCOMPARE(items[at - 1].kind, PreparedItem::FilledBox);
    QCOMPARE(items[at - 1].rect.width(), caption->rect.width());
    QCOMPARE(items[at + 1].kind, PreparedItem::FrameLine);
    QCOMPARE(items[at + 1].edge, PreparedItem::EdgeLeft);

    const PreparedItem *number = findText(page, "Page 1");
    QVERIFY(qAbs(number->rect.right() - 2000) < 1e-6);

    const PreparedItem *mid = findText(page, "Mid");
    QVERIFY(qAbs(mid->rect.center().x() - (100 + 1000 + 250)) < 1e-6);

    QVERIFY(findText(page, "one two"));
    const PreparedItem *three = findText(page, "three");
    QVERIFY(three);
    QCOMPARE(three->rect.top(), 100 + 300 + m.lineHeight());
    QCOMPARE(three->baseline, m.ascent());
}

// Eight address lines in the 21-per-sheet label's memo: all fit at Arial 10;
// at Arial 12 the eighth (the country) is lost.
void tst_reportengine::labelMemoLosesLinesThatDoNotFit()
{
    FakeDataSet data(
        {"Firstname", "Surname", "Address1", "Address2", "A3_Village", "Town", "County", "PostCode",
         "Country"},
        {{"Ann", "Allen", "1 Lane", "Flat 2", "Upton", "Oxford", "Oxon", "OX1 1AA", "England"}});
    TReport report;
    report.setDataSet(&data);
    report.page().TopMargin = 18;
    report.page().LeftMargin = 12;
    auto *label = report.addBand(rbDetail, 38.365);
    auto *memo = label->addControl<TRpExprMemo>(1.058, 0.794, 38.894, 37.571);
    memo->setLines({"{Firstname +' '+Surname}", "{Address1}", "{Address2}", "{A3_Village}",
                    "{Town}", "{County}", "{PostCode}", "{Country}"});
    memo->setRemoveBlankLines(true);
    memo->setAutoSize(true);

    memo->setFont(fontOf("Arial", 10));
    QVERIFY(report.run());
    QStringList texts = textsOf(report.preparedReport()->pages.at(0));
    QCOMPARE(texts.size(), 8);
    const PreparedItem *first = findText(report.preparedReport()->pages.at(0), "Ann Allen");
    QCOMPARE(first->rect.topLeft(), QPointF(130.58, 187.94));

    memo->setFont(fontOf("Arial", 12));
    QVERIFY(report.run());
    texts = textsOf(report.preparedReport()->pages.at(0));
    QCOMPARE(texts.size(), 7);
    QVERIFY(!texts.contains("England"));
}

// A fenced text control: lines that keep inside print as they would without
// the fence; a wider line is set smaller on the same baseline and its opaque
// box shrinks with it; a right-aligned line keeps off the fence's left side;
// and lines that would end below the fence's foot are not printed.
void tst_reportengine::fencedTextKeepsInside()
{
    FakeDataSet data({"Surname"}, {{"Aontgomery-Fitzwilliam-Smythe"}});
    TReport report;
    report.setDataSet(&data);
    auto *band = report.addBand(rbDetail, 60);
    auto *memo = band->addControl<TRpExprMemo>(2, 1, 20, 40);
    memo->setLines({"Ann", "{Surname}", "Oxford", "England"});
    memo->setAutoSize(true);
    memo->setFont(fontOf("Arial", 10));
    auto *right = band->addControl<TRpLabel>(0, 45, 30, 5);
    right->setCaption("Page footer wider than its room");
    right->setAutoSize(true);
    right->setAlignment(taRightJustify);

    QVERIFY(report.run());
    const PreparedPage unfenced = report.preparedReport()->pages.at(0);

    const ReportFontMetrics &m = ReportFontMetrics::of(reportFont("Arial", 10));
    const qreal memoLeft = 100 + 20, memoTop = 100 + 10;
    // Room for about 40 mm of text, and for three lines but not the fourth.
    const QRectF fence(100, 100, 20 + 400, 10 + 3 * m.lineHeight() + 1);
    const QRectF rightFence(100 + 150, 0, 1000, 3000);
    memo->setFence([&](const QRectF &box, const TRpRunContext &) {
        // The box handed over is the control's box on the page.
        return box.topLeft() == QPointF(memoLeft, memoTop) ? fence : QRectF();
    });
    right->setFence([&](const QRectF &, const TRpRunContext &) { return rightFence; });
    QVERIFY(report.run());
    const PreparedPage &page = report.preparedReport()->pages.at(0);

    QCOMPARE(*findText(page, "Ann"), *findText(unfenced, "Ann"));
    QCOMPARE(*findText(page, "Oxford"), *findText(unfenced, "Oxford"));
    QVERIFY(!findText(page, "England"));
    QVERIFY(findText(unfenced, "England"));

    const PreparedItem *wide = findText(unfenced, "Aontgomery-Fitzwilliam-Smythe");
    QVERIFY(wide->rect.right() > fence.right());
    const PreparedItem *narrowed = findText(page, "Aontgomery-Fitzwilliam-Smythe");
    QVERIFY(narrowed);
    QVERIFY(narrowed->font.pointSize < 10);
    QVERIFY(narrowed->rect.right() <= fence.right() + 1e-6);
    QCOMPARE(narrowed->rect.left(), memoLeft);
    QVERIFY(qAbs(narrowed->rect.top() + narrowed->baseline - wide->rect.top() - wide->baseline) <
            1e-6);
    // The memo's opaque box is as wide as its widest line now is.
    const int at = int(findText(page, "Ann") - page.items.constData());
    QCOMPARE(page.items[at - 1].kind, PreparedItem::FilledBox);
    QCOMPARE(page.items[at - 1].rect.width(), narrowed->rect.width());

    const PreparedItem *cut = nullptr;
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::TextLine && item.text.startsWith("Page"))
            cut = &item;
    QVERIFY(cut);
    QVERIFY2(cut->text.endsWith("..."), qPrintable(cut->text));
    QVERIFY(cut->rect.left() >= rightFence.left() - 1e-6);
    QVERIFY(qAbs(cut->rect.right() - 400) < 1e-6);
}

// The letter body prints with its own formatting, laid out at the box's width,
// and stops at the last line that fits wholly in the box.
void tst_reportengine::richTextCutAtBoxFoot()
{
    QTextDocument editor;
    QTextCursor cursor(&editor);
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    bold.setFontFamilies({"Times New Roman"});
    bold.setFontPointSize(14);
    cursor.insertText("Dear reader,", bold);
    for (int i = 0; i < 40; ++i)
        cursor.insertText(QStringLiteral("\nLine %1 of a letter that is much too long").arg(i),
                          QTextCharFormat());
    const QString before = editor.toHtml();

    FakeDataSet data = FakeDataSet::ofSurnames({"Allen", "Baker"});
    TReport report;
    report.setDataSet(&data);
    auto *band = report.addBand(rbDetail, 250);
    auto *body = band->addControl<TRpRichText>(0.794, 0.529, 80, 30);
    body->setParentRichEdit(&editor);
    QVERIFY(report.run());
    const auto out = report.preparedReport();
    QCOMPARE(out->pages.size(), 2); // one band a page; the text never goes on
    QCOMPARE(editor.toHtml(), before);

    const PreparedItem *rich = nullptr;
    for (const PreparedItem &item : out->pages[0].items)
        if (item.kind == PreparedItem::RichText)
            rich = &item;
    QVERIFY(rich);
    QCOMPARE(rich->rect, QRectF(107.94, 105.29, 800, 300));
    QVERIFY(rich->text.contains("font-weight:700"));
    // Cut at a line's foot within the box: more than the box less two lines.
    QVERIFY(rich->clipHeight <= 300);
    QVERIFY(rich->clipHeight >
            300 - 2 * ReportFontMetrics::of(reportFont("Arial", 12)).lineHeight());
    QCOMPARE(ReportRichTextLayout(rich->text, 800).fittingHeight(300), rich->clipHeight);

    // Painted at 5 px/mm: ink inside the box, none below the cut.
    QImage image(220 * 5 / 2, 297 * 5 / 2, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        paintPage(out->pages[0], p, 2.5);
    }
    auto inkInRows = [&](int from, int to) {
        for (int y = from; y < to; ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    const int cut = qCeil((rich->rect.top() + rich->clipHeight) / 10 * 2.5);
    QVERIFY(inkInRows(qFloor(rich->rect.top() / 4), cut));
    QVERIFY(!inkInRows(cut + 1, image.height()));
}

namespace {

PreparedReport sampleReport()
{
    FakeDataSet data = FakeDataSet::ofSurnames(QStringList(45, QStringLiteral("Åsa Ñoño")));
    GroupedReport r(&data);
    r.report.setOptions(LastPageFooter);
    r.report.setReportTitle("Address Labels");
    r.detail->frame().DrawBottom = true;
    r.report.run();
    PreparedReport out = *r.report.preparedReport();
    PreparedItem rich;
    rich.kind = PreparedItem::RichText;
    rich.rect = QRectF(10, 20, 300, 400);
    rich.text = "<p><b>Bold</b> body</p>";
    rich.clipHeight = 123.5;
    out.pages[1].items << rich;
    out.orientation = QPageLayout::Landscape;
    return out;
}

QByteArray saved(const PreparedReport &report)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    report.save(buffer);
    return bytes;
}

PreparedReport loaded(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return PreparedReport::load(buffer);
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char ch : data) {
        crc ^= quint8(ch);
        for (int k = 0; k < 8; ++k)
            crc = (crc & 1) ? 0xEDB88320u ^ (crc >> 1) : crc >> 1;
    }
    return crc ^ 0xFFFFFFFFu;
}

// A file with this body and a header that matches it.
QByteArray withHeader(const QByteArray &body)
{
    QByteArray file("VARNELRP\0\x01\0\0", 12);
    const quint32 size = quint32(body.size()), crc = crc32(body);
    for (quint32 v : {size, crc})
        for (int shift = 24; shift >= 0; shift -= 8)
            file.append(char((v >> shift) & 0xFF));
    return file + body;
}

} // namespace

void tst_reportengine::saveLoadRoundTrip()
{
    const PreparedReport report = sampleReport();
    QCOMPARE(report.pages.size(), 2);
    QCOMPARE(loaded(saved(report)), report);

    QTemporaryDir dir;
    const QString file = dir.filePath("labels.VRP");
    report.saveToFile(file);
    const PreparedReport back = PreparedReport::loadFromFile(file);
    QCOMPARE(back, report);
    QCOMPARE(back.title, QString("Address Labels"));
    QCOMPARE(back.paperWidthMm(), 297.0);
    QVERIFY(findText(back.pages[0], QString::fromUtf8("Åsa Ñoño")));

    QVERIFY_THROWS_EXCEPTION(VarnelError, PreparedReport::loadFromFile(dir.filePath("none.VRP")));
}

void tst_reportengine::damagedFilesAreRefused()
{
    const QByteArray good = saved(sampleReport());
    // A changed version number may instead say the file is from a newer version.
    auto refused = [](const QByteArray &bytes) {
        try {
            loaded(bytes);
        } catch (const VarnelError &e) {
            return e.message() == QLatin1String("The file is not a saved report or is damaged") ||
                   e.message().contains(QLatin1String("newer version"));
        }
        return false;
    };
    for (int n = 0; n < good.size(); n += 1 + n / 64)
        QVERIFY2(refused(good.left(n)), qPrintable(QString("cut at %1").arg(n)));
    QVERIFY(refused(good + 'x'));
    for (int i = 0; i < good.size(); i += 1 + i / 64) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x5A);
        QVERIFY2(refused(bad), qPrintable(QString("byte %1 changed").arg(i)));
    }
    QVERIFY(refused(QByteArray("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj")));
    QVERIFY(refused(QByteArray()));

    QByteArray newer = good;
    newer[9] = 2;
    try {
        loaded(newer);
        QFAIL("a newer file was read");
    } catch (const VarnelError &e) {
        QVERIFY(e.message().contains("newer version"));
    }

    // Bodies with a matching checksum but damaged inside: the reader's own
    // checks must refuse or read them, never crash or allocate wildly.
    QVERIFY(refused(withHeader(QByteArray("\0\0\0\0\0\xFF\xFF\xFF\xFF", 9))));
    const QByteArray body = good.mid(20);
    QRandomGenerator random(20240611);
    int refusedCount = 0;
    for (int round = 0; round < 1500; ++round) {
        QByteArray bad = body;
        for (int k = random.bounded(1, 4); k > 0; --k)
            bad[random.bounded(int(bad.size()))] = char(random.bounded(256));
        try {
            loaded(withHeader(bad));
        } catch (const VarnelError &) {
            ++refusedCount;
        }
    }
    QVERIFY(refusedCount > 0);
}

// Millimetres become device pixels by the given scale; a printer's unprintable
// offset is taken off so positions stay measured from the paper's edge; a frame
// thinner than a pixel still shows.
void tst_reportengine::reportsMadeElsewhere_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<bool>("red"); // the picture the file carries is drawn

    QTest::newRow("empty underlined text") << "empty-underlined-text.vrp" << true << false;
    QTest::newRow("tables nested 400 deep") << "nested-tables.vrp" << false << false;
    QTest::newRow("picture at /dev/zero") << "picture-dev-zero.vrp" << true << false;
    QTest::newRow("picture, style sheet, background by path")
        << "picture-local-file.vrp" << true << false;
    QTest::newRow("picture inside the file") << "picture-inline.vrp" << true << true;
}

// Hand-made files with a valid checksum: the reader checks every item, and the
// painter draws what it accepted without reaching any other file.
void tst_reportengine::reportsMadeElsewhere()
{
    QFETCH(QString, file);
    QFETCH(bool, shown);
    QFETCH(bool, red);
    const QString path = QStringLiteral(VARNEL_TEST_DATA "/reports/") + file;
    if (!shown) {
        try {
            PreparedReport::loadFromFile(path);
            QFAIL("the file was read");
        } catch (const VarnelError &e) {
            QCOMPARE(e.message(), '"' + path + "\" is not a report file Varnel can show");
        }
        return;
    }
    const PreparedReport report = PreparedReport::loadFromFile(path);
    QCOMPARE(report.pages.size(), 1);
    QImage image(210 * 4, 297 * 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        paintPage(report.pages[0], p, 4.0);
    }
    bool anyRed = false;
    for (int y = 0; y < image.height() && !anyRed; ++y)
        for (int x = 0; x < image.width() && !anyRed; ++x)
            anyRed = qRed(image.pixel(x, y)) > 200 && qGreen(image.pixel(x, y)) < 60;
    QCOMPARE(anyRed, red);
}

void tst_reportengine::richTextReadsNoFileItNames()
{
    // A picture file on disk, named by plain path, by file: URL and relative to
    // the current folder: none of them may be read and drawn.
    QTemporaryDir dir;
    QImage picture(40, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString png = dir.filePath("red.png");
    QVERIFY(picture.save(png));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    const QString html =
        QStringLiteral("<p>x</p><img src=\"%1\"><img src=\"%2\"><img src=\"red.png\">"
                       "<table background=\"%1\"><tr><td>y</td></tr></table>")
            .arg(png, QUrl::fromLocalFile(png).toString());
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.scale(0.4, 0.4);
        ReportRichTextLayout(html, 1000).draw(p, 1000);
    }
    QDir::setCurrent(previous);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY2(qGreen(image.pixel(x, y)) > 60 || qRed(image.pixel(x, y)) < 200,
                     qPrintable(QString("red at %1,%2").arg(x).arg(y)));
}

void tst_reportengine::paintScalesAndSubtractsPrinterOffset()
{
    PreparedPage page;
    PreparedItem box;
    box.kind = PreparedItem::FilledBox;
    box.rect = QRectF(100, 100, 50, 50);
    box.color = Qt::black;
    PreparedItem hairline;
    hairline.kind = PreparedItem::FrameLine;
    hairline.rect = QRectF(100, 300, 500, 0.01);
    hairline.edge = PreparedItem::EdgeTop;
    page.items << box << hairline;

    QImage image(300, 400, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        paintPage(page, p, 10.0, QPointF(20, 20));
    }
    auto black = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    QVERIFY(black(80, 80));
    QVERIFY(black(129, 129));
    QVERIFY(!black(79, 80));
    QVERIFY(!black(130, 130));
    QVERIFY(black(150, 280));
    QVERIFY(!black(150, 281));
}

// A PDF made page by page appears only when it is finished: a run that fails
// half-way or has no page leaves the file that was there, or none.
void tst_reportengine::pdfWriterLeavesNoHalfFile()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    PreparedPage page;
    TRpRunContext ctx;
    ctx.page = &page;
    ctx.addText(QPointF(250, 400), "Varnel", reportFont("Arial", 10), Qt::black);
    {
        PdfPageWriter writer(pdf, "Title", QPageLayout::Portrait);
        writer.addPage(page);
        QCOMPARE(writer.pageCount(), 1);
        QVERIFY(!QFile::exists(pdf));
    }
    QVERIFY(!QFile::exists(pdf));
    {
        PdfPageWriter writer(pdf, "Title", QPageLayout::Portrait);
        QVERIFY_THROWS_EXCEPTION(VarnelError, writer.finish());
    }
    QVERIFY(!QFile::exists(pdf));

    QFile old(pdf);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    {
        PdfPageWriter writer(pdf, "Title", QPageLayout::Portrait);
        writer.addPage(page);
        writer.addPage(page);
    }
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), QByteArray("old"));
    old.close();
    {
        PdfPageWriter writer(pdf, "Title", QPageLayout::Portrait);
        writer.addPage(page);
        writer.addPage(page);
        writer.finish();
    }
    QVERIFY(old.open(QIODevice::ReadOnly));
    QVERIFY(old.readAll().startsWith("%PDF"));
    QVERIFY_THROWS_EXCEPTION(VarnelError, PdfPageWriter(dir.filePath("no/such/folder/out.pdf"),
                                                        "Title", QPageLayout::Portrait));
}

void tst_reportengine::pdfTextLandsWhereItWasPlaced()
{
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (pdftotext.isEmpty())
        QSKIP("pdftotext is not installed");
    PreparedReport report;
    report.pages.resize(2);
    const ReportFont font = reportFont("Arial", 10);
    const ReportFontMetrics &m = ReportFontMetrics::of(font);
    TRpRunContext ctx;
    ctx.page = &report.pages[0];
    ctx.addText(QPointF(250, 400), "Varnel", font, Qt::black);
    ctx.page = &report.pages[1];
    ctx.addText(QPointF(1234.5, 2500), "Second", font, Qt::black);

    QTemporaryDir dir;
    const QString pdf = dir.filePath("out.pdf");
    exportPdf(report, pdf);
    QProcess run;
    run.start(pdftotext, {"-bbox", pdf, "-"});
    QVERIFY(run.waitForFinished(30000));
    QCOMPARE(run.exitCode(), 0);
    const QString html = QString::fromUtf8(run.readAllStandardOutput());

    const qreal ptPerUnit = 72.0 / 254.0;
    const qreal tolerance = 1.0 * ptPerUnit; // 0.1 mm
    QRegularExpression word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                            "yMax=\"([\\d.]+)\">(\\w+)</word>");
    struct Expect
    {
        QString text;
        qreal x, top;
    };
    const QList<Expect> expected{{"Varnel", 250, 400}, {"Second", 1234.5, 2500}};
    int found = 0;
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        for (const Expect &e : expected) {
            if (match.captured(5) != e.text)
                continue;
            ++found;
            QVERIFY2(qAbs(match.captured(1).toDouble() - e.x * ptPerUnit) < tolerance,
                     qPrintable(match.captured(0)));
            // The word's box is the font's cell: top of the line to its foot.
            QVERIFY2(qAbs(match.captured(2).toDouble() - e.top * ptPerUnit) < tolerance,
                     qPrintable(match.captured(0)));
            QVERIFY2(qAbs(match.captured(4).toDouble() - (e.top + m.lineHeight()) * ptPerUnit) <
                         tolerance,
                     qPrintable(match.captured(0)));
            QVERIFY2(qAbs(match.captured(3).toDouble() - (e.x + m.width(e.text)) * ptPerUnit) <
                         tolerance,
                     qPrintable(match.captured(0)));
        }
    }
    QCOMPARE(found, 2);
    QVERIFY(html.contains("<page width=\"595."));
}

QTEST_MAIN(tst_reportengine)
#include "tst_reportengine.moc"
