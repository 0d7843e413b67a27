#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "reports/LabelSheet.h"
#include "reports/PreparedReport.h"
#include "reports/PrintCommand.h"
#include "reports/ReportControls.h"
#include "reports/ReportLayouts.h"
#include "reports/ReportUnits.h"
#include "reports/RpA5Diary.h"
#include "reports/RpFilo2.h"
#include "reports/RpLabel14.h"
#include "reports/RpLabel16.h"
#include "reports/RpLabels.h"
#include "reports/RpPhoneList.h"
#include "reports/RpPreview.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QtTest>

namespace {

// The fields a person is given in, in this order; an empty text is a null field.
const QStringList kColumns{"Firstname", "Surname", "Address1", "Address2", "A3_Village",
                           "Town",      "County",  "PostCode", "Country",  "Tel",
                           "Cell",      "Email",   "Work Tel", "Flag"};
using Person = QStringList;

const Person kFull{"Ann",          "Allen",   "1 Lane",       "Flat 2",  "Upton",
                   "Oxford",       "Oxon",    "OX1 1AA",      "England", "01632 960123",
                   "07700 900123", "a@b.org", "01632 960999", "VIP"};

QString makeBook(const QTemporaryDir &dir, const QList<Person> &people)
{
    const QString path = dir.filePath("book.vdf");
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.open();
    for (const Person &p : people) {
        QVector<QVariant> values;
        for (int i = 0; i < kColumns.size(); ++i)
            values << (p.value(i).isEmpty() ? QVariant() : QVariant(p.value(i)));
        c.insertRow(kColumns, values);
    }
    c.close();
    return path;
}

// Ann Smith001, Ann Smith002, ...: surname order is the order made.
QList<Person> numbered(int count)
{
    QList<Person> out;
    for (int i = 1; i <= count; ++i)
        out << Person{"Ann", QStringLiteral("Smith%1").arg(i, 3, 10, QLatin1Char('0'))};
    return out;
}

// A layout run over a book by name, as varnel-print runs it.
struct LayoutRun
{
    AdoConnection connection;
    AdoQuery query{&connection};
    std::unique_ptr<TReport> report;
    std::shared_ptr<const PreparedReport> pages;

    LayoutRun(const QString &book, const QString &layout, const FontValue *font = nullptr,
              const QStringList &statement = SelectionStatements::all())
    {
        connection.setConnectionString(AdoConnection::connectionStringFor(book));
        query.setObjectName("HomeQuery");
        query.setSql(statement);
        query.open();
        const ReportLayoutEntry *entry = ReportLayouts::find(layout);
        if (!entry)
            qFatal("no layout %s", qPrintable(layout));
        report = entry->make(&query);
        if (font)
            entry->setFont(*report, *font);
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

QStringList texts(const PreparedPage &page)
{
    QStringList out;
    for (const PreparedItem *item : textItems(page))
        out << item->text;
    return out;
}

const PreparedItem *findText(const PreparedPage &page, const QString &text)
{
    for (const PreparedItem *item : textItems(page))
        if (item->text == text)
            return item;
    return nullptr;
}

bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 1e-6;
}

FontValue arial(qreal points)
{
    FontValue f;
    f.font = QFont("Arial");
    f.font.setPointSizeF(points);
    return f;
}

constexpr qreal kPtPerMm = 72.0 / 25.4;

// Every text field of the address record at its full length (characters).
const QList<QPair<QString, int>> kFieldLengths{
    {"Surname", 30},    {"Midname", 20}, {"Firstname", 20}, {"Address1", 25},  {"Address2", 25},
    {"A3_Village", 20}, {"Town", 20},    {"County", 20},    {"PostCode", 10},  {"Country", 29},
    {"Tel", 15},        {"Cell", 15},    {"Email", 50},     {"Workplace", 30}, {"Work Tel", 15},
    {"Flag", 6},        {"Flag2", 6}};

// A book of `count` people whose every field is full: first in capital Ws,
// the widest letter, then in words and names with blanks and hyphens.
QString makeFullBook(const QTemporaryDir &dir, int count)
{
    const QString words = "Christopher-Jonathan Aontgomery Marlborough Buckinghamshire";
    const QString email = "christopher.jonathan.aontgomery@fitzwilliam.example.co.uk";
    QStringList columns;
    for (const auto &f : kFieldLengths)
        columns << f.first;
    const QString path = dir.filePath("full.vdf");
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.open();
    for (int person = 0; person < 2 * count; ++person) {
        QVector<QVariant> values;
        for (const auto &f : kFieldLengths) {
            if (person < count)
                values << QString(f.second, QLatin1Char('W'));
            else
                values << (f.first == "Email" ? email : words).left(f.second);
        }
        c.insertRow(columns, values);
    }
    c.close();
    return path;
}

// The words of the PDF that varnel-print makes of a book with a layout.
QList<PdfWord> printedWords(const QTemporaryDir &dir, const QString &book, const QString &layout,
                            const QString &font = {}, int *pages = nullptr)
{
    const QString pdf = dir.filePath(layout + ".pdf");
    QStringList args{book, layout, pdf};
    if (!font.isEmpty())
        args << "--font" << font;
    if (layout == "letters")
        args << "--body" << QStringLiteral(VARNEL_TEST_DATA "/rtf/golden-letter.rtf");
    QProcess program;
    program.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"), args);
    if (!program.waitForFinished(60000) || program.exitCode() != 0)
        return {};
    return pdfWords(pdf, nullptr, pages);
}

// Label stationery as its maker gives it, in mm.
struct Stock
{
    qreal width, height, left, top, pitchAcross, pitchDown;
    int across, down;
};

// Where a word starting at `at` (mm from the paper's corner) must keep: the
// page inside its margins (each half of the A5 diary sheet being a page) and,
// on a label sheet, the label it starts on less 1 mm. Empty for a word that
// starts on no label.
// Where an address starts is the layout's, and the 14 per sheet layout starts
// its top two rows 0.64 and 0.94 mm below their label's top edge: at the top
// the label's own edge is the limit.
QRectF boxOfWord(const QString &layout, const QPointF &at)
{
    static const QHash<QString, Stock> stock{
        {"labels-21", {63.5, 38.1, 7.25, 15.15, 66.04, 38.1, 3, 7}},
        {"labels-16", {99.1, 33.9, 4.65, 12.9, 101.6, 33.9, 2, 8}},
        {"labels-14", {99.1, 38.1, 4.65, 15.15, 101.6, 38.1, 2, 7}}};
    static const QHash<QString, QRectF> sheetMargins{
        {"labels-21", QRectF(QPointF(12, 18), QPointF(200, 287))},
        {"labels-16", QRectF(QPointF(15, 15), QPointF(200, 297))},
        {"labels-14", QRectF(QPointF(15, 15), QPointF(200, 297))}};
    if (stock.contains(layout)) {
        const Stock s = stock.value(layout);
        const int column = int(std::floor((at.x() - s.left) / s.pitchAcross));
        const int row = int(std::floor((at.y() - s.top) / s.pitchDown));
        const QRectF label(s.left + column * s.pitchAcross, s.top + row * s.pitchDown, s.width,
                           s.height);
        if (column < 0 || column >= s.across || row < 0 || row >= s.down || !label.contains(at))
            return {};
        return label.adjusted(1, 0, -1, -1) & sheetMargins.value(layout);
    }
    if (layout == "filofax")
        return QRectF(QPointF(15, 5), QPointF(160, 170));
    if (layout == "a5-diary")
        return at.x() < 148.5 ? QRectF(QPointF(10, 8), QPointF(146, 205))
                              : QRectF(QPointF(151, 8), QPointF(287, 205));
    return QRectF(QPointF(10, 10), QPointF(200, 287)); // phone list, letters
}

} // namespace

class tst_labels : public QObject
{
    Q_OBJECT
private slots:
    void sheetsFillColumnByColumn_data();
    void sheetsFillColumnByColumn();
    void labelLines_data();
    void labelLines();
    void largerFontDropsBottomLines_data();
    void largerFontDropsBottomLines();
    void emptySelection_data();
    void emptySelection();
    void filofaxEntry();
    void a5DiaryEntry();
    void printCommand_data();
    void printCommand();
    void pdfPositions_data();
    void pdfPositions();
    void longValuesKeepInside_data();
    void longValuesKeepInside();
    void samplePdfsUnchanged_data();
    void samplePdfsUnchanged();
    void holdersAloneOnABook();
    void menuItemsOpenTheirPreviews();
    void labelFontDialog();
};

// A sheet and one more person: the people go down the first column, then the
// next, and the last one opens the second sheet at the top of the first
// column. Where each first line lies, from the paper's corner.
void tst_labels::sheetsFillColumnByColumn_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QList<qreal>>("columnStarts");
    QTest::addColumn<QList<qreal>>("rowStarts");
    QTest::addColumn<QPointF>("firstLine"); // from the band's corner, mm
    QTest::addColumn<QString>("format");    // of the first line; %1 the surname
    QTest::addColumn<bool>("landscape");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("bin");
    QTest::newRow("21 per sheet") << "labels-21" << QList<qreal>{12.0, 76.3, 140.6}
                                  << QList<qreal>{18.0, 56.4, 94.8, 133.2, 171.6, 210.0, 248.4}
                                  << QPointF(1.058, 0.794) << "Ann %1" << false << "Address Labels"
                                  << int(obFirst);
    QTest::newRow("16 per sheet") << "labels-16" << QList<qreal>{15.0, 120.0}
                                  << QList<qreal>{15.0,  49.1,  83.2,  117.3,
                                                  151.4, 185.5, 219.6, 253.7}
                                  << QPointF(3.969, 0.794) << "Ann %1" << false << ""
                                  << int(obAuto);
    QTest::newRow("14 per sheet") << "labels-14" << QList<qreal>{15.0, 120.0}
                                  << QList<qreal>{15.0, 53.4, 91.8, 130.2, 168.6, 207.0, 245.4}
                                  << QPointF(3.969, 0.794) << "Ann %1" << false << ""
                                  << int(obAuto);
    QTest::newRow("Filofax") << "filofax" << QList<qreal>{15.0, 95.0}
                             << QList<qreal>{5.0, 36.2, 67.4, 98.6, 129.8} << QPointF(1.058, 1.058)
                             << "%1, Ann" << false << "" << int(obFirst);
    QTest::newRow("A5 diary") << "a5-diary" << QList<qreal>{10.0, 80.5, 151.0, 221.5}
                              << QList<qreal>{8.0, 56.9, 105.8, 154.7} << QPointF(3.087, 0.441)
                              << "%1, Ann  :     " << true << "" << int(obAuto);
}

void tst_labels::sheetsFillColumnByColumn()
{
    QFETCH(QString, layout);
    QFETCH(QList<qreal>, columnStarts);
    QFETCH(QList<qreal>, rowStarts);
    QFETCH(QPointF, firstLine);
    QFETCH(QString, format);
    QFETCH(bool, landscape);
    QFETCH(QString, title);
    QFETCH(int, bin);
    const int perSheet = int(columnStarts.size() * rowStarts.size());
    QTemporaryDir dir;
    LayoutRun run(makeBook(dir, numbered(perSheet + 1)), layout);
    QCOMPARE(run.report->reportTitle(), title);
    QCOMPARE(int(run.report->printerSettings().OutputBin), bin);
    QCOMPARE(run.pages->orientation, landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QCOMPARE(run.pages->pages.size(), 2);
    for (int i = 0; i <= perSheet; ++i) {
        const int onSheet = i % perSheet;
        const PreparedPage &page = run.pages->pages[i / perSheet];
        const QString name = format.arg(QStringLiteral("Smith%1").arg(i + 1, 3, 10, QChar('0')));
        const PreparedItem *line = findText(page, name);
        QVERIFY2(line, qPrintable(name));
        const qreal x = columnStarts[onSheet / rowStarts.size()] + firstLine.x();
        const qreal y = rowStarts[onSheet % rowStarts.size()] + firstLine.y();
        QVERIFY2(near(line->rect.left(), ReportUnits::fromMm(x)) &&
                     near(line->rect.top(), ReportUnits::fromMm(y)),
                 qPrintable(QStringLiteral("%1 at %2, %3 mm; expected %4, %5")
                                .arg(name)
                                .arg(line->rect.left() / 10)
                                .arg(line->rect.top() / 10)
                                .arg(x)
                                .arg(y)));
    }
}

void tst_labels::labelLines_data()
{
    QTest::addColumn<Person>("person");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("every line") << kFull
                                << QStringList{"Ann Allen", "1 Lane", "Flat 2",  "Upton",
                                               "Oxford",    "Oxon",   "OX1 1AA", "England"};
    QTest::newRow("empty fields leave no gaps")
        << Person{"Ann", "Allen", "1 Lane", "", "", "Oxford", "", "OX1 1AA"}
        << QStringList{"Ann Allen", "1 Lane", "Oxford", "OX1 1AA"};
    QTest::newRow("no first name: a blank before the surname")
        << Person{"", "Allen", "", "", "", "Oxford"} << QStringList{" Allen", "Oxford"};
    QTest::newRow("a field of blanks keeps its line")
        << Person{"Ann", "Allen", "1 Lane", "  ", "", "Oxford"}
        << QStringList{"Ann Allen", "1 Lane", "  ", "Oxford"};
}

// The address memo of all three label sheets: the lines that are left, one
// line height apart from the memo's top.
void tst_labels::labelLines()
{
    QFETCH(Person, person);
    QFETCH(QStringList, lines);
    QTemporaryDir dir;
    const QString book = makeBook(dir, {person});
    for (const QString layout : {"labels-21", "labels-16", "labels-14"}) {
        LayoutRun run(book, layout);
        const PreparedPage &page = run.pages->pages.at(0);
        QCOMPARE(texts(page), lines);
        const auto items = textItems(page);
        const qreal lineHeight = items[0]->rect.height();
        for (int i = 1; i < items.size(); ++i)
            QVERIFY(near(items[i]->rect.top(), items[0]->rect.top() + i * lineHeight));
    }
}

void tst_labels::largerFontDropsBottomLines_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<int>("lines");
    QTest::newRow("21, Arial 12: the country is lost") << "labels-21" << 12.0 << 7;
    // The 16 per sheet memo reaches 2.3 mm below its L7162 label: the label's
    // foot, less 1 mm, is the limit there.
    QTest::newRow("16, Arial 12") << "labels-16" << 12.0 << 6;
    QTest::newRow("14, Arial 12") << "labels-14" << 12.0 << 7;
    QTest::newRow("16, Arial 16") << "labels-16" << 16.0 << 4;
    QTest::newRow("21, Arial 10") << "labels-21" << 10.0 << 8;
}

void tst_labels::largerFontDropsBottomLines()
{
    QFETCH(QString, layout);
    QFETCH(qreal, points);
    QFETCH(int, lines);
    QTemporaryDir dir;
    const FontValue font = arial(points);
    LayoutRun run(makeBook(dir, {kFull}), layout, &font);
    const QStringList printed = texts(run.pages->pages.at(0));
    const QStringList all{"Ann Allen", "1 Lane", "Flat 2",  "Upton",
                          "Oxford",    "Oxon",   "OX1 1AA", "England"};
    QCOMPARE(printed, all.mid(0, lines));
    QCOMPARE(textItems(run.pages->pages.at(0)).first()->font.pointSize, points);
}

// With no one selected, the reports that print when empty give one sheet with
// the literal parts of the first entry; the others give no page.
void tst_labels::emptySelection_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QPointF>("at"); // mm, of the first line
    QTest::newRow("21 per sheet") << "labels-21" << QStringList() << QPointF();
    QTest::newRow("16 per sheet") << "labels-16" << QStringList{" "} << QPointF(18.969, 15.794);
    QTest::newRow("14 per sheet") << "labels-14" << QStringList{" "} << QPointF(18.969, 15.794);
    QTest::newRow("Filofax") << "filofax" << QStringList() << QPointF();
    QTest::newRow("A5 diary") << "a5-diary" << QStringList{",   :     "} << QPointF(13.087, 8.441);
}

void tst_labels::emptySelection()
{
    QFETCH(QString, layout);
    QFETCH(QStringList, lines);
    QFETCH(QPointF, at);
    QTemporaryDir dir;
    LayoutRun run(makeBook(dir, numbered(3)), layout, nullptr, SelectionStatements::letter('Q'));
    QCOMPARE(run.pages->pages.size(), lines.isEmpty() ? 0 : 1);
    if (lines.isEmpty())
        return;
    const PreparedPage &page = run.pages->pages[0];
    QCOMPARE(texts(page), lines);
    const PreparedItem *first = textItems(page).first();
    QVERIFY(near(first->rect.left(), ReportUnits::fromMm(at.x())));
    QVERIFY(near(first->rect.top(), ReportUnits::fromMm(at.y())));
}

// Seven lines at the layout's places whatever is empty; only the name is bold,
// and the work number follows "T2: " at 6.350 mm.
void tst_labels::filofaxEntry()
{
    QTemporaryDir dir;
    LayoutRun run(makeBook(dir, {kFull, Person{"Bo", "Baker", "2 Road"}}), "filofax");
    const PreparedPage &page = run.pages->pages.at(0);
    struct Line
    {
        QString text;
        qreal left, top;
        bool bold;
    };
    const QList<Line> full{{"Allen, Ann", 1.058, 1.058, true},
                           {"1 Lane Flat 2 Upton", 1.058, 5.027, false},
                           {"Oxford Oxon", 1.058, 9.260, false},
                           {"OX1 1AA England", 1.058, 13.494, false},
                           {"T: 01632 960123; Cel: 07700 900123", 1.058, 17.727, false},
                           {"E:a@b.org", 1.058, 21.696, false},
                           {"01632 960999", 6.350, 25.929, false},
                           {"T2: ", 1.058, 25.929, false}};
    const auto items = textItems(page);
    QCOMPARE(items.size(), 15);
    for (int i = 0; i < full.size(); ++i) {
        const Line &e = full[i];
        QCOMPARE(items[i]->text, e.text);
        QVERIFY2(near(items[i]->rect.left(), ReportUnits::fromMm(15 + e.left)), qPrintable(e.text));
        QVERIFY2(near(items[i]->rect.top(), ReportUnits::fromMm(5 + e.top)), qPrintable(e.text));
        QCOMPARE(items[i]->font.family, QString("Arial"));
        QCOMPARE(items[i]->font.pointSize, 9.0);
        QCOMPARE(items[i]->font.weight >= QFont::Bold, e.bold);
    }
    // Only the first address line: its two joining blanks stay, and every
    // other line prints its literal parts in its place (the empty work number
    // has none).
    QStringList sparse;
    for (int i = 8; i < 15; ++i) {
        sparse << items[i]->text;
        const Line &same = full[i == 14 ? 7 : i - 8];
        QVERIFY(near(items[i]->rect.left(), ReportUnits::fromMm(15 + same.left)));
        QVERIFY(near(items[i]->rect.top(), ReportUnits::fromMm(36.2 + same.top)));
    }
    QCOMPARE(sparse, (QStringList{"Baker, Bo", "2 Road  ", " ", " ", "T: ; Cel: ", "E:", "T2: "}));
}

void tst_labels::a5DiaryEntry()
{
    QTemporaryDir dir;
    LayoutRun run(makeBook(dir, {kFull, Person{"Bo", "Baker", "", "", "", "York", "", "", "",
                                               "01904 000111", "", "", "", ""}}),
                  "a5-diary");
    const auto items = textItems(run.pages->pages.at(0));
    QStringList printed;
    for (const PreparedItem *item : items)
        printed << item->text;
    QCOMPARE(printed, (QStringList{"Allen, Ann  :     VIP", "1 Lane", "Flat 2", "Upton", "Oxford",
                                   "Oxon", "OX1 1AA", "England", "01632 960123", "07700 900123",
                                   "Baker, Bo  :     ", "York", "01904 000111"}));
    // All ten lines fit into the 47.184 mm memo at Arial 10, one cell apart.
    const qreal cell = items[0]->rect.height();
    QCOMPARE(items[0]->font.pointSize, 10.0);
    for (int i = 0; i < 10; ++i)
        QVERIFY(near(items[i]->rect.top(), ReportUnits::fromMm(8.441) + i * cell));
    QVERIFY(items[9]->rect.bottom() <= ReportUnits::fromMm(8 + 0.441 + 47.184 + 0.1));
    QVERIFY(near(items[10]->rect.top(), ReportUnits::fromMm(56.9 + 0.441)));
}

void tst_labels::printCommand_data()
{
    QTest::addColumn<QStringList>("args"); // BOOK and OUT stand for the fixture's paths
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("out");
    QTest::newRow("labels with a font")
        << QStringList{"BOOK", "labels-16", "OUT", "--font", "Times New Roman,10.5"} << 0 << ""
        << "1 page written";
    QTest::newRow("empty selection on 14 per sheet")
        << QStringList{"BOOK", "labels-14", "OUT", "--letter", "Q"} << 0 << ""
        << "1 page written";
    QTest::newRow("empty selection on Filofax")
        << QStringList{"BOOK", "filofax", "OUT", "--letter", "Q"} << 1 << "The selection is empty"
        << "";
    QTest::newRow("font on Filofax") << QStringList{"BOOK", "filofax", "OUT", "--font", "Arial,9"}
                                     << 2 << "--font goes with the label layouts only"
                                     << "";
    QTest::newRow("font without size")
        << QStringList{"BOOK", "labels-21", "OUT", "--font", "Arial"} << 2 << "--font takes"
        << "";
    QTest::newRow("font of no size")
        << QStringList{"BOOK", "labels-21", "OUT", "--font", "Arial,0"} << 2 << "--font takes"
        << "";
    QTest::newRow("font size not a number")
        << QStringList{"BOOK", "labels-21", "OUT", "--font", "Arial,big"} << 2 << "--font takes"
        << "";
    QTest::newRow("font without face")
        << QStringList{"BOOK", "labels-21", "OUT", "--font", ",12"} << 2 << "--font takes"
        << "";
    QTest::newRow("font missing") << QStringList{"BOOK", "labels-21", "OUT", "--font"} << 2
                                  << "--font needs"
                                  << "";
}

void tst_labels::printCommand()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, out);
    QTemporaryDir dir;
    const QString book = makeBook(dir, {kFull});
    const QString pdf = dir.filePath("out.pdf");
    for (QString &a : args)
        a = a == "BOOK" ? book : a == "OUT" ? pdf : a;
    QString outText, errText;
    QTextStream o(&outText), e(&errText);
    QCOMPARE(PrintCommand::run(args, o, e), exitCode);
    QVERIFY2(errText.contains(message), qPrintable(errText));
    QCOMPARE(errText.isEmpty(), exitCode == 0);
    QVERIFY2(outText.contains(out), qPrintable(outText));
    QCOMPARE(QFile::exists(pdf), exitCode == 0);
}

void tst_labels::pdfPositions_data()
{
    QTest::addColumn<QStringList>("args");  // after BOOK LAYOUT OUT
    QTest::addColumn<QSizeF>("paper");      // mm
    QTest::addColumn<QPointF>("firstWord"); // mm: "Ann" or "Allen,"
    QTest::addColumn<QString>("lastWord");  // of the first entry
    QTest::newRow("labels-21") << QStringList{"labels-21"} << QSizeF(210, 297)
                               << QPointF(13.058, 18.794) << "England";
    QTest::newRow("labels-21, Arial 12") << QStringList{"labels-21", "--font", "Arial,12"}
                                         << QSizeF(210, 297) << QPointF(13.058, 18.794) << "1AA";
    QTest::newRow("labels-16") << QStringList{"labels-16"} << QSizeF(210, 297)
                               << QPointF(18.969, 15.794) << "England";
    QTest::newRow("labels-14") << QStringList{"labels-14"} << QSizeF(210, 297)
                               << QPointF(18.969, 15.794) << "England";
    QTest::newRow("filofax") << QStringList{"filofax"} << QSizeF(210, 297) << QPointF(16.058, 6.058)
                             << "960999";
    QTest::newRow("a5-diary") << QStringList{"a5-diary"} << QSizeF(297, 210)
                              << QPointF(13.087, 8.441) << "900123";
}

// The program itself writes each layout's PDF: the paper, and the first line
// of the first entry where the layout puts it. The last word shows where a
// larger font has cut the label short.
void tst_labels::pdfPositions()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QFETCH(QStringList, args);
    QFETCH(QSizeF, paper);
    QFETCH(QPointF, firstWord);
    QFETCH(QString, lastWord);
    QTemporaryDir dir;
    const QString book = makeBook(dir, {kFull});
    const QString pdf = dir.filePath("out.pdf");
    QProcess program;
    program.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"),
                  QStringList{book, args[0], pdf} + args.mid(1));
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitCode(), 0);
    QSizeF size;
    const QList<PdfWord> words = pdfWords(pdf, &size);
    QVERIFY(qAbs(size.width() - paper.width() * kPtPerMm) < 0.5);
    QVERIFY(qAbs(size.height() - paper.height() * kPtPerMm) < 0.5);
    QVERIFY(!words.isEmpty());
    const qreal tol = 0.1 * kPtPerMm;
    QVERIFY2(qAbs(words.first().xMin - firstWord.x() * kPtPerMm) < tol,
             qPrintable(QString::number(words.first().xMin / kPtPerMm)));
    QVERIFY2(qAbs(words.first().yMin - firstWord.y() * kPtPerMm) < tol,
             qPrintable(QString::number(words.first().yMin / kPtPerMm)));
    QCOMPARE(words.last().text, lastWord);
}

void tst_labels::longValuesKeepInside_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("perSheet"); // people of each kind
    QTest::addColumn<int>("pages");
    QTest::addColumn<bool>("cut");     // whether some lines are too long even at 70%
    QTest::addColumn<QString>("font"); // --font, or empty
    QTest::newRow("labels-21") << "labels-21" << 21 << 2 << true << "";
    QTest::newRow("labels-21, Arial 12") << "labels-21" << 21 << 2 << true << "Arial,12";
    QTest::newRow("labels-16") << "labels-16" << 16 << 2 << true << "";
    QTest::newRow("labels-14") << "labels-14" << 14 << 2 << true << "";
    QTest::newRow("filofax") << "filofax" << 10 << 2 << true << "";
    QTest::newRow("a5-diary") << "a5-diary" << 16 << 2 << true << "";
    QTest::newRow("phone-list") << "phone-list" << 15 << 1 << true << "";
    // In its start-up font every line of the letter fits (tst_mailmerge tries
    // larger ones).
    QTest::newRow("letters") << "letters" << 1 << 2 << false << "";
}

// With every field at its full length, no word of a layout's PDF crosses the
// edge of its label (less 1 mm) or of its page's printable area: the lines
// that would have are set smaller or cut, and still there is one entry per
// person.
void tst_labels::longValuesKeepInside()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QFETCH(QString, layout);
    QFETCH(QString, font);
    QFETCH(int, perSheet);
    QFETCH(int, pages);
    QFETCH(bool, cut);
    QTemporaryDir dir;
    int printedPages = 0;
    const QList<PdfWord> words =
        printedWords(dir, makeFullBook(dir, perSheet), layout, font, &printedPages);
    QVERIFY(!words.isEmpty());
    QCOMPARE(printedPages, pages);
    constexpr qreal tol = 0.01; // mm
    int ellipses = 0;
    for (const PdfWord &w : words) {
        const QRectF word(w.topLeftMm(), QPointF(w.xMax, w.yMax) / kPtPerMm);
        const QRectF box = boxOfWord(layout, word.topLeft());
        QVERIFY2(!box.isEmpty() && box.adjusted(-tol, -tol, tol, tol).contains(word),
                 qPrintable(QString("page %1: \"%2\" at %3, %4 to %5, %6 mm")
                                .arg(w.page)
                                .arg(w.text)
                                .arg(word.left())
                                .arg(word.top())
                                .arg(word.right())
                                .arg(word.bottom())));
        ellipses += w.text.endsWith("...");
    }
    QCOMPARE(ellipses > 0, cut);
}

void tst_labels::samplePdfsUnchanged_data()
{
    QTest::addColumn<QString>("layout");
    for (const char *layout :
         {"phone-list", "labels-21", "labels-16", "labels-14", "filofax", "a5-diary", "letters"})
        QTest::newRow(layout) << QString(layout);
}

// The sample book's PDFs hold the same words in the same places as they did
// before long lines were kept inside: all its lines fit.
void tst_labels::samplePdfsUnchanged()
{
    if (QStandardPaths::findExecutable("pdftotext").isEmpty())
        QSKIP("pdftotext is not installed");
    QFETCH(QString, layout);
    QFile golden(QStringLiteral(VARNEL_TEST_DATA "/sample-pdf/") + layout + ".words");
    QVERIFY(golden.open(QIODevice::ReadOnly | QIODevice::Text));
    QStringList expected = QString::fromUtf8(golden.readAll()).split('\n', Qt::SkipEmptyParts);
    QTemporaryDir dir;
    const QList<PdfWord> words =
        printedWords(dir, QStringLiteral(VARNEL_PROGRAM_DIR "/Varnel.vdf"), layout);
    for (int i = 0; i < std::min(expected.size(), words.size()); ++i) {
        const QStringList e = expected[i].split(' ');
        const PdfWord &w = words[i];
        const bool same =
            e.size() >= 6 && e[0].toInt() == w.page && e.mid(5).join(' ') == w.text &&
            qAbs(e[1].toDouble() - w.xMin) < 0.002 && qAbs(e[2].toDouble() - w.yMin) < 0.002 &&
            qAbs(e[3].toDouble() - w.xMax) < 0.002 && qAbs(e[4].toDouble() - w.yMax) < 0.002;
        QVERIFY2(same, qPrintable(QString("word %1: expected %2, got %3 %4 %5 %6 %7 %8")
                                      .arg(i + 1)
                                      .arg(expected[i])
                                      .arg(w.page)
                                      .arg(w.xMin, 0, 'f', 3)
                                      .arg(w.yMin, 0, 'f', 3)
                                      .arg(w.xMax, 0, 'f', 3)
                                      .arg(w.yMax, 0, 'f', 3)
                                      .arg(w.text)));
    }
    QCOMPARE(words.size(), expected.size());
}

// Each holder made alone on a book stays hidden under its own name and runs
// its report over the book's rows; a label holder's address font is that of
// the report's address memo.
void tst_labels::holdersAloneOnABook()
{
    SampleBook sample;
    const int people = sample.query()->recordCount();
    QVERIFY(people > 40);
    TfmLabels labels21(sample.query());
    TfmRpLabel16 labels16(sample.query());
    TfmRpLabel14 labels14(sample.query());
    TfmRpTel phoneList(sample.query());
    TfmRpA5Diary a5Pages(sample.query());
    struct Holder
    {
        TfmReportHolder *window;
        QString name, reportName;
        int pages;
    };
    for (const Holder &h :
         QList<Holder>{{&labels21, "fmLabels", "RpLabel", (people + 20) / 21},
                       {&labels16, "fmRpLabel16", "RpLabel16Rep", (people + 15) / 16},
                       {&labels14, "fmRpLabel14", "RpLabel14Rep", (people + 13) / 14},
                       {&phoneList, "fmRpTel", "Report1", 2},
                       {&a5Pages, "fmRpA5Diary", "RpA5Diary", (people + 15) / 16}}) {
        QCOMPARE(h.window->objectName(), h.name);
        QVERIFY(!h.window->isVisible());
        QCOMPARE(h.window->report()->objectName(), h.reportName);
        QVERIFY(h.window->report()->run());
        QCOMPARE(h.window->report()->preparedReport()->pages.size(), h.pages);
    }

    FontValue chosen = arial(14);
    chosen.font.setBold(true);
    chosen.color = Qt::blue;
    labels16.setAddressFont(chosen);
    QCOMPARE(LabelLayouts::addressMemo(*labels16.report())->font(), chosen);
    QCOMPARE(labels16.addressFont(), chosen);
    QCOMPARE(labels21.addressFont(), arial(10)); // each sheet has its own
}

// Reports > "&Address Labels" and the organiser pages, chosen as a user does,
// each open their preview on the main query's rows.
void tst_labels::menuItemsOpenTheirPreviews()
{
    RunningProgram program;
    TfmHomeAddMain *main = program.mainWindow();
    const int people = main->book()->query()->recordCount();
    QVERIFY(people > 0);
    auto command = [main](const char *name) { return named<QAction>(main, name); };
    QCOMPARE(named<QMenu>(main, "miLabels21")->title(), QString("&Address Labels"));
    QCOMPARE(command("miLabel21")->toolTip(), QString("Avery L7160"));
    QCOMPARE(command("miLabel16")->toolTip(), QString("Avery L7162"));
    struct Item
    {
        QAction *action;
        QString caption;
        int perSheet;
    };
    for (const Item &item : QList<Item>{{command("miLabel21"), "Address Labels", 21},
                                        {command("miLabel16"), "Print Preview", 16},
                                        {command("mi14perA4sheet1"), "Print Preview", 14},
                                        {command("FiloFaxPages1"), "Print Preview", 10},
                                        {command("miA5DiaryPages"), "Print Preview", 16}}) {
        QVERIFY2(item.action->isEnabled(), qPrintable(item.action->objectName()));
        QString caption;
        int pages = -1;
        QTimer poll;
        poll.setInterval(0);
        connect(&poll, &QTimer::timeout, [&] {
            TRpStandardPreview *w = openPreview();
            if (!w || !w->complete())
                return;
            poll.stop();
            caption = w->windowTitle();
            pages = w->pageCount();
            w->close();
        });
        poll.start();
        QTimer::singleShot(30000, [] {
            if (TRpStandardPreview *w = openPreview())
                w->close();
        });
        item.action->trigger(); // returns when the preview closes
        QCOMPARE(caption, item.caption);
        QCOMPARE(pages, (people + item.perSheet - 1) / item.perSheet);
    }
    QVERIFY(command("Setfont1")->isEnabled());
}

// "Set labels font": Cancel changes nothing; OK gives the chosen font, with its
// effects and colour, to the address memos of all three sheets, and the dialog
// opens on it next time.
void tst_labels::labelFontDialog()
{
    RunningProgram program;
    QAction *setFont = named<QAction>(program.mainWindow(), "Setfont1");
    auto *labels14 = topLevel<TfmRpLabel14>("fmRpLabel14");
    // The address memos as the reports hold them, not as their holders say.
    const QList<TRpExprMemo *> memos{
        LabelLayouts::addressMemo(*topLevel<TfmLabels>("fmLabels")->report()),
        LabelLayouts::addressMemo(*topLevel<TfmRpLabel16>("fmRpLabel16")->report()),
        LabelLayouts::addressMemo(*labels14->report())};
    for (TRpExprMemo *memo : memos)
        QVERIFY(memo);
    const QList<FontValue> before{arial(10), arial(9), arial(9)};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(memos[i]->font(), before[i]);

    program.platform.dialogs.answers << "Cancel";
    setFont->trigger();
    QCOMPARE(program.log().last(), QString("Font: MS Sans Serif 8 -> Cancel"));
    for (int i = 0; i < 3; ++i)
        QCOMPARE(memos[i]->font(), before[i]);

    FontValue chosen = arial(12);
    chosen.font.setUnderline(true);
    chosen.color = QColor(0x80, 0, 0);
    program.platform.dialogs.answers << QVariant::fromValue(chosen);
    setFont->trigger();
    for (TRpExprMemo *memo : memos)
        QCOMPARE(memo->font(), chosen);

    program.platform.dialogs.answers << "Cancel";
    setFont->trigger();
    QCOMPARE(program.log().last(), QString("Font: Arial 12 -> Cancel"));
    for (TRpExprMemo *memo : memos)
        QCOMPARE(memo->font(), chosen);

    // The next run prints in it.
    QVERIFY(labels14->report()->run());
    const PreparedItem *line = textItems(labels14->report()->preparedReport()->pages[0])[0];
    QCOMPARE(line->font.pointSize, 12.0);
    QVERIFY(line->font.underline);
    QCOMPARE(line->color, QColor(0x80, 0, 0));
}

QTEST_MAIN(tst_labels)
#include "tst_labels.moc"
