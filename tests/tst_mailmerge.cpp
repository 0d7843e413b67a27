#include "FakeDataSet.h"
#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "browse/JSQLSEARCH.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"
#include "reports/PrintCommand.h"
#include "reports/Report.h"
#include "reports/ReportBands.h"
#include "reports/ReportControls.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"
#include "reports/RpPreview.h"
#include "store/AdoConnection.h"

#include <QAction>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTableView>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QTextStream>
#include <QtTest>
#include <functional>

namespace {

// The text lines of a prepared page, as "x,y text" in layout units (0.1 mm).
struct Line
{
    QPointF at;
    QString text;
    ReportFont font;
};

QList<Line> textLines(const PreparedPage &page)
{
    QList<Line> lines;
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::TextLine)
            lines << Line{item.rect.topLeft(), item.text, item.font};
    return lines;
}

const PreparedItem *richText(const PreparedPage &page)
{
    for (const PreparedItem &item : page.items)
        if (item.kind == PreparedItem::RichText)
            return &item;
    return nullptr;
}

QString dump(const PreparedPage &page)
{
    QStringList out;
    for (const Line &l : textLines(page))
        out << QStringLiteral("%1,%2 %3").arg(l.at.x()).arg(l.at.y()).arg(l.text);
    return out.join('\n');
}

// Narrows the query as a search would.
void selectWhere(AdoQuery *q, const QString &where)
{
    q->close();
    q->setSql({"SELECT * FROM HomeAd", where, "ORDER BY Surname"});
    q->open();
}

std::shared_ptr<const PreparedReport> runMerge(TfmMailRp *letters)
{
    TReport *r = letters->report();
    if (!r->run())
        return nullptr;
    return r->preparedReport();
}

QTextEdit *letterEdit(QWidget *editor)
{
    return named<QTextEdit>(editor, "RichEdit1");
}

// Adds a person to the book, as the grid would.
void addPerson(AdoQuery *q, const QMap<QString, QString> &fields)
{
    q->insert();
    for (auto it = fields.begin(); it != fields.end(); ++it)
        q->setFieldValue(it.key(), it.value());
    q->post();
}

// The merged letters alone, on a copy of the sample book and the document of
// an editor of their own, as the program makes them.
struct Letters
{
    SampleBook sample;
    TfmMailMergeEdit editor;
    TfmMailRp letters{sample.query(), editor.document()};

    AdoQuery *query() const { return sample.query(); }
    void select(const QString &where) { selectWhere(query(), where); }
    void setLetter(const QString &html) { letterEdit(&editor)->setHtml(html); }
    std::shared_ptr<const PreparedReport> run() { return runMerge(&letters); }
};

// The windows of the running program's mail merge.
TfmMailMergeSetup *mergeWindow()
{
    return topLevel<TfmMailMergeSetup>("fmMailMergeSetup");
}

TfmMailRp *mergedLetters()
{
    return topLevel<TfmMailRp>("fmMailRp");
}

QWidget *editorWindow()
{
    return topLevel("fmMailMergeEdit");
}

QPushButton *mergeButton(const char *name)
{
    return named<QPushButton>(mergeWindow(), name);
}

AdoQuery *mainQuery()
{
    return mainWindow()->book()->query();
}

// The letter in the running program's editor.
void setLetter(const QString &html)
{
    letterEdit(editorWindow())->setHtml(html);
}

void chooseMailMerge()
{
    named<QAction>(mainWindow(), "miMailMerge")->trigger();
}

bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 0.01;
}

QStringList surnamesSelected(AdoQuery *q)
{
    QStringList out;
    for (q->first(); !q->eof(); q->next())
        out << q->displayText("Surname");
    q->first();
    return out;
}

// ---- driving the merge window as a user does ---------------------------

// Runs `act` once `ready` holds, from the event loop of whatever is waiting
// then (a modal dialog, the preview, a report run).
void whenReady(const std::function<bool()> &ready, const std::function<void()> &act)
{
    auto *poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, [poll, ready, act] {
        if (!ready())
            return;
        poll->stop();
        poll->deleteLater();
        act();
    });
    poll->start();
}

void clickEntry(QListWidget *list, const QString &name)
{
    const auto items = list->findItems(name, Qt::MatchExactly);
    QVERIFY2(items.size() == 1, qPrintable(name));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(items.first()).center());
}

using PreviewStep = std::pair<std::function<bool(TRpStandardPreview *)>,
                              std::function<void(TRpStandardPreview *)>>;

// Clicks "&Merge" and, while the preview is open, takes each step once its
// condition holds; the last step should close the preview. Returns when the
// click does, that is when the preview has closed (after 30 s at the latest).
void mergeWith(const QList<PreviewStep> &steps)
{
    auto *poll = new QTimer;
    poll->setInterval(0);
    auto next = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, [poll, steps, next] {
        TRpStandardPreview *w = openPreview();
        if (!w || !steps.at(*next).first(w))
            return;
        if (++*next == steps.size()) {
            poll->stop();
            poll->deleteLater();
        }
        steps.at(*next - 1).second(w);
    });
    poll->start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] {
        if (TRpStandardPreview *w = openPreview())
            w->close();
    });
    watchdog.start(30000);
    QTest::mouseClick(mergeButton("btnMerge"), Qt::LeftButton);
    QVERIFY2(watchdog.isActive(), "the preview had to be closed by the watchdog");
}

// The surnames the preview's pages greet, in page order.
QStringList greetedSurnames(const PreparedReport &report)
{
    QStringList out;
    for (const PreparedPage &page : report.pages)
        for (const Line &l : textLines(page))
            if (l.text.endsWith(','))
                out << l.text.section(' ', -1).chopped(1);
    return out;
}

// ---- varnel-print ------------------------------------------------------

// A fresh book of three people, in this order in the file.
QString makeBook(const QTemporaryDir &dir)
{
    const QString path = dir.filePath("book.vdf");
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    c.open();
    const QStringList columns{"Surname", "Firstname", "Address1", "Town", "PostCode"};
    c.insertRow(columns, {"Young", "Stephen", "54 Marine Parade", "Brighton", "BN2 1PH"});
    c.insertRow(columns, {"Baker", "Margaret", "The Old Bakery", "Chipping Campden", "GL55 6AT"});
    c.insertRow(columns, {"Adams", "Ruth", "Flat 3", "Whitby", "YO21 3PU"});
    c.close();
    return path;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    QFile f(dir.filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return f.fileName();
}

const QByteArray kLetterRtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Times New Roman;}}"
                              "\\f0\\fs24 Lettertext begins {\\b here}.\\par Yours sincerely\\par}";

} // namespace

class tst_mailmerge : public QObject
{
    Q_OBJECT
private slots:
    void layout()
    {
        Letters m;
        TfmMailRp *rp = &m.letters;
        QVERIFY(!rp->isVisible());
        QCOMPARE(rp->windowTitle(), QString("Mail Merged"));
        TReport *r = rp->report();
        QCOMPARE(r->dataSet(), static_cast<ReportDataSet *>(m.query()));
        QCOMPARE(r->font().font.family(), QString("Arial"));
        QCOMPARE(r->font().font.pointSizeF(), 10.0);
        QVERIFY(r->printIfEmpty());
        QVERIFY(r->options() & LastPageFooter);
        QCOMPARE(r->reportTitle(), QString());
        QCOMPARE(r->printerSettings().OutputBin, obAuto);
        const TRpCustomBand *footer = r->findBand(rbPageFooter);
        QVERIFY(footer && footer->controls().size() == 1);
        auto *body = dynamic_cast<const TRpRichText *>(footer->controls().front().get());
        QVERIFY(body);
        QCOMPARE(body->parentRichEdit(),
                 static_cast<const QTextDocument *>(letterEdit(&m.editor)->document()));
        // The footer's top, 297 - 10 - 227.277 mm, on the 0.1 mm grid.
        QVERIFY(near(r->page().paperLength() - r->page().BottomMargin - footer->height(), 59.723));
    }

    // A person whose every field is at its full length, in the capital W of
    // the widest text: with a font that "Match Font" may give, the address
    // block and the salutation stay on the page inside its margins, lines set
    // smaller or cut; in the start-up font they all fit and print whole.
    void longLinesKeepOnThePage_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<qreal>("points");
        QTest::addColumn<bool>("fits");
        QTest::newRow("Arial 10") << "Arial" << 10.0 << true;
        QTest::newRow("Arial 16") << "Arial" << 16.0 << false;
        QTest::newRow("Times New Roman 24") << "Times New Roman" << 24.0 << false;
    }
    void longLinesKeepOnThePage()
    {
        QFETCH(QString, family);
        QFETCH(qreal, points);
        QFETCH(bool, fits);
        const QList<QPair<QString, int>> fields{
            {"Firstname", 20}, {"Surname", 30},    {"Address1", 25},
            {"Address2", 25},  {"A3_Village", 20}, {"Town", 20},
            {"County", 20},    {"PostCode", 10},   {"Country", 29}};
        QStringList names;
        QVector<QVariant> row;
        for (const auto &f : fields) {
            names << f.first;
            row << QString(f.second, QLatin1Char('W'));
        }
        FakeDataSet data(names, {row});
        TReport report;
        TfmMailRp::buildLayout(&report, &data, nullptr);
        FontValue font;
        font.font = QFont(family, 1);
        font.font.setPointSizeF(points);
        report.setFont(font);
        QVERIFY(report.run());
        const QList<Line> lines = textLines(report.preparedReport()->pages.at(0));
        QVERIFY(lines.size() >= 3);
        const QRectF page(100, 100, 1900, 2770);
        int narrowed = 0;
        for (const PreparedItem &item : report.preparedReport()->pages.at(0).items) {
            if (item.kind != PreparedItem::TextLine)
                continue;
            QVERIFY2(page.contains(item.rect), qPrintable(item.text));
            narrowed += item.font.pointSize < points;
        }
        QCOMPARE(narrowed == 0, fits);
    }

    // Three people, three pages, in the query's order; every page has the same
    // letter body, and everything sits where the sheet's measures say.
    void threePeopleGiveThreeLetters()
    {
        Letters m;
        m.select("WHERE Surname IN ('Abbot', 'Baker', 'Carter')");
        m.setLetter("<p>We are holding the <b>summer fair</b> on Saturday.</p><p>Do come.</p>");
        const auto report = m.run();
        QVERIFY(report);
        QCOMPARE(report->pages.size(), 3);
        const QStringList names{"Henry Abbot", "Margaret Baker", "Thomas Carter"};
        const qreal cell = ReportFontMetrics::of(ReportFont{}).lineHeight(); // Arial 10 pt
        QString firstBody;
        for (int p = 0; p < 3; ++p) {
            const PreparedPage &page = report->pages.at(p);
            const QList<Line> lines = textLines(page);
            QVERIFY2(!lines.isEmpty(), qPrintable(dump(page)));
            // Address block from 10.794 / 10.529 mm, one cell per line.
            QCOMPARE(lines.first().text, names.at(p));
            int addressLines = 0;
            for (const Line &l : lines) {
                if (l.at.y() >= 400)
                    continue;
                QVERIFY2(near(l.at.x(), 107.94), qPrintable(dump(page)));
                QVERIFY2(near(l.at.y(), 105.29 + addressLines * cell), qPrintable(dump(page)));
                ++addressLines;
            }
            // "Dear" at 10.794 / 44.925 mm, the name and comma at 19.790 mm.
            const auto dear = std::find_if(lines.begin(), lines.end(),
                                           [](const Line &l) { return l.text == "Dear"; });
            QVERIFY(dear != lines.end());
            QVERIFY(near(dear->at.x(), 107.94) && near(dear->at.y(), 449.25));
            const auto name = std::find_if(lines.begin(), lines.end(), [&](const Line &l) {
                return l.text == names.at(p) + ",";
            });
            QVERIFY2(name != lines.end(), qPrintable(dump(page)));
            QVERIFY(near(name->at.x(), 197.90) && near(name->at.y(), 449.25));
            QCOMPARE(name->font.family, QString("Arial"));
            QCOMPARE(name->font.pointSize, 10.0);
            // The letter body from 60.229 mm, 188.119 mm wide.
            const PreparedItem *body = richText(page);
            QVERIFY(body);
            QVERIFY(near(body->rect.left(), 107.94));
            QVERIFY(near(body->rect.top(), 602.29));
            QVERIFY(near(body->rect.width(), 1881.19));
            QVERIFY(near(body->rect.bottom(), 2668.69));
            QVERIFY(body->clipHeight > 0 && body->clipHeight <= 2066.40);
            QVERIFY(body->text.contains("summer fair"));
            if (p == 0)
                firstBody = body->text;
            QCOMPARE(body->text, firstBody);
        }
        // Abbot fills all seven lines; Baker has no town, so six, moved up.
        QCOMPARE(textLines(report->pages.at(0)).size(), 7 + 2);
        const QList<Line> baker = textLines(report->pages.at(1));
        QCOMPARE(baker.at(1).text, QString("The Old Bakery High Street"));
        QCOMPARE(baker.at(2).text, QString("Chipping Campden"));
        QCOMPARE(baker.at(3).text, QString("Gloucestershire"));
        QCOMPARE(baker.size(), 6 + 2);
        // The run leaves the query on its last row.
        QCOMPARE(m.query()->recNo(), 2);
    }

    void blankFieldsInTheAddressAndTheSalutation()
    {
        Letters m;
        addPerson(m.query(), {{"Surname", "Quill"}, {"Town", "Ely"}, {"PostCode", "CB7 4AA"}});
        m.select("WHERE Surname = 'Quill'");
        const auto report = m.run();
        QCOMPARE(report->pages.size(), 1);
        const QList<Line> lines = textLines(report->pages.at(0));
        QStringList texts;
        for (const Line &l : lines)
            texts << l.text;
        // No first name: a blank before the surname. No address: an invisible
        // second line, so the town is on the third.
        QCOMPARE(texts, (QStringList{" Quill", " ", "Ely", "CB7 4AA", "Dear", " Quill,"}));
        const qreal cell = ReportFontMetrics::of(ReportFont{}).lineHeight();
        QVERIFY(near(lines.at(2).at.y(), 105.29 + 2 * cell));
    }

    void anEmptySelectionStillPrintsOneLetter()
    {
        Letters m;
        m.select("WHERE 1 = 0");
        m.setLetter("Body only");
        const auto report = m.run();
        QCOMPARE(report->pages.size(), 1);
        QStringList texts;
        for (const Line &l : textLines(report->pages.at(0)))
            texts << l.text;
        QCOMPARE(texts, (QStringList{" ", " ", "Dear", " ,"}));
        QVERIFY(richText(report->pages.at(0))->text.contains("Body only"));
    }

    // The body is read when the footer prints: what the editor holds then,
    // saved or not. Pages already made keep what they had.
    void theBodyIsTheEditorsContentAtEachRun()
    {
        Letters m;
        m.select("WHERE Surname = 'Abbot'");
        const auto empty = m.run();
        QVERIFY(!richText(empty->pages.at(0))->text.contains("First"));
        QTextCursor c(letterEdit(&m.editor)->document());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setFontFamilies({"Courier New"});
        c.insertText("First version", bold);
        named<QAction>(&m.editor, "FileClose")->trigger();
        const auto first = m.run();
        const QString html = richText(first->pages.at(0))->text;
        QVERIFY(html.contains("First version"));
        QVERIFY(html.contains("font-weight:700"));
        QVERIFY(html.contains("Courier New"));
        letterEdit(&m.editor)->setPlainText("Second version");
        const auto second = m.run();
        QVERIFY(richText(second->pages.at(0))->text.contains("Second version"));
        QVERIFY(richText(first->pages.at(0))->text.contains("First version"));
        QCOMPARE(letterEdit(&m.editor)->toPlainText(), QString("Second version"));
    }

    void aLongLetterIsCutAtTheFootOfTheBoxOnEveryPage()
    {
        Letters m;
        m.select("WHERE Surname IN ('Abbot', 'Baker')");
        QString html;
        for (int i = 1; i <= 120; ++i)
            html += QStringLiteral("<p style=\"margin:0\">Paragraph %1 of a very long letter.</p>")
                        .arg(i);
        m.setLetter(html);
        const auto report = m.run();
        QCOMPARE(report->pages.size(), 2);
        for (const PreparedPage &page : report->pages) {
            const PreparedItem *body = richText(page);
            QVERIFY(body->clipHeight < 2066.40);
            QVERIFY(body->clipHeight > 2066.40 - 100); // whole lines down to the foot
            QVERIFY(body->text.contains("Paragraph 1 of"));
        }
    }

    // What is cut off is not in the PDF at all, not even as text hidden by a clip.
    void aCutLineIsNotInThePdf()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        Letters m;
        m.select("WHERE Surname = 'Abbot'");
        QString html;
        for (int i = 1; i <= 120; ++i)
            html +=
                QStringLiteral("<p style=\"margin:0\">Paragraph P%1Q of a very long letter.</p>")
                    .arg(i);
        m.setLetter(html);
        const auto report = m.run();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("long.pdf");
        exportPdf(*report, pdf);
        QList<int> numbers;
        qreal lowest = 0;
        for (const PdfWord &w : pdfWords(pdf)) {
            if (w.text.startsWith('P') && w.text.endsWith('Q')) {
                numbers << w.text.mid(1, w.text.size() - 2).toInt();
                lowest = std::max(lowest, w.yMax * 25.4 / 72);
            }
        }
        QVERIFY2(numbers.size() > 20 && numbers.size() < 120,
                 qPrintable(QString::number(numbers.size())));
        for (int i = 0; i < numbers.size(); ++i)
            QCOMPARE(numbers.at(i), i + 1);
        QVERIFY2(lowest <= 266.869, qPrintable(QString::number(lowest)));
    }

    // A letter with indents, bold, a colour, a list and a highlight prints as
    // the editor lays it out, measured on the PDF and on the drawn page.
    void theLetterPrintsAsTheEditorShowsIt()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        Letters m;
        m.select("WHERE Surname = 'Abbot'");
        const qreal px = 96 / 25.4; // the editor's pixels to the millimetre
        QTextDocument *doc = letterEdit(&m.editor)->document();
        doc->clear();
        QTextCursor c(doc);
        QTextCharFormat plain;
        plain.setFontFamilies({"Arial"});
        plain.setFontPointSize(12);
        QTextBlockFormat two;
        two.setLeftMargin(20 * px);
        c.setBlockFormat(two);
        c.insertText("Twocm in.", plain);
        QTextBlockFormat four;
        four.setLeftMargin(40 * px);
        c.insertBlock(four);
        c.insertText("Fourcm in.", plain);
        QTextBlockFormat narrow;
        narrow.setRightMargin(100 * px);
        c.insertBlock(narrow);
        QString words;
        for (int i = 0; i < 30; ++i)
            words += "narrow ";
        c.insertText(words, plain);
        QTextCharFormat red = plain;
        red.setForeground(QColor(200, 0, 0));
        c.insertText("Redend", red); // the list item after it has no colour of its own
        c.insertBlock(QTextBlockFormat());
        QTextListFormat numbers;
        numbers.setStyle(QTextListFormat::ListDecimal);
        c.createList(numbers); // one level in: 40 pixels
        c.insertText("Listed", plain);
        c.insertBlock(QTextBlockFormat());
        QTextCharFormat bold = plain;
        bold.setFontWeight(QFont::Bold);
        c.insertText("Strong ", bold);
        c.insertText("Redword ", red);
        QTextCharFormat marked = plain;
        marked.setBackground(QColor(255, 255, 0));
        c.insertText("Marked", marked);

        const auto report = m.run();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("look.pdf");
        exportPdf(*report, pdf);
        const QList<PdfWord> pdfText = pdfWords(pdf);
        auto find = [&](const QString &text) -> PdfWord {
            for (const PdfWord &w : pdfText)
                if (w.text == text)
                    return w;
            return PdfWord{text, -1, -1, -1, -1, 0};
        };
        const qreal left = 10.794, right = 10.794 + 188.119;
        QVERIFY(qAbs(find("Twocm").topLeftMm().x() - (left + 20)) < 0.5);
        QVERIFY(qAbs(find("Fourcm").topLeftMm().x() - (left + 40)) < 0.5);
        QSet<int> narrowLines;
        for (const PdfWord &w : pdfText) {
            if (w.text != "narrow")
                continue;
            narrowLines << qRound(w.yMin);
            QVERIFY2(w.xMax * 25.4 / 72 <= right - 100 + 0.5, qPrintable(QString::number(w.xMax)));
        }
        QVERIFY(narrowLines.size() >= 2);
        const PdfWord listed = find("Listed"), number = find("1.");
        QVERIFY2(qAbs(listed.topLeftMm().x() - (left + 40 / px)) < 0.5,
                 qPrintable(QString::number(listed.topLeftMm().x())));
        QVERIFY(number.xMax > 0 && number.xMax < listed.xMin &&
                qAbs(number.yMin - listed.yMin) < 1);

        // On the drawn page: red ink in the red word, yellow under the marked one,
        // and the bold word heavier than the same letters in regular type.
        const qreal ppm = 12;
        QImage page(qRound(210 * ppm), qRound(297 * ppm), QImage::Format_RGB32);
        page.fill(Qt::white);
        {
            QPainter painter(&page);
            paintPage(report->pages.at(0), painter, ppm);
        }
        auto box = [&](const PdfWord &w) {
            const qreal k = ppm * 25.4 / 72;
            return QRect(QPoint(qRound(w.xMin * k), qRound(w.yMin * k)),
                         QPoint(qRound(w.xMax * k), qRound(w.yMax * k)));
        };
        auto count = [&](const QRect &r, const std::function<bool(QColor)> &test) {
            int n = 0;
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    n += test(page.pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        const QRect redBox = box(find("Redword")), markedBox = box(find("Marked"));
        const auto isRed = [](QColor p) { return p.red() > 150 && p.green() < 80; };
        QVERIFY(count(redBox, isRed) > 20);
        QCOMPARE(count(box(listed), isRed), 0);
        QVERIFY(count(markedBox, [](QColor p) {
                    return p.red() > 230 && p.green() > 230 && p.blue() < 60;
                }) > markedBox.width() * markedBox.height() / 3);
        // The bold word is set in a bold face of its own.
        QVERIFY(find("Strong").xMax > 0);
        QProcess fonts;
        fonts.start(QStandardPaths::findExecutable("pdffonts"), {pdf});
        QVERIFY(fonts.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(fonts.readAllStandardOutput()).contains("Bold"));
        if (qEnvironmentVariableIsSet("VARNEL_KEEP_PDF")) {
            QFile::copy(pdf, qEnvironmentVariable("VARNEL_KEEP_PDF"));
            page.save(qEnvironmentVariable("VARNEL_KEEP_PDF") + ".png");
        }
    }

    void aLargerBaseFontDropsAddressLines_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("points");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<int>("addressLines");
        QTest::newRow("Arial 10") << "Arial" << 10 << false << 7;
        QTest::newRow("Times New Roman 12 bold") << "Times New Roman" << 12 << true << 6;
        QTest::newRow("Arial 14") << "Arial" << 14 << false << 5;
    }
    void aLargerBaseFontDropsAddressLines()
    {
        QFETCH(QString, family);
        QFETCH(int, points);
        QFETCH(bool, bold);
        QFETCH(int, addressLines);
        Letters m;
        m.select("WHERE Surname = 'Abbot'");
        FontValue f;
        f.font = QFont(family, points);
        f.font.setBold(bold);
        m.letters.report()->setFont(f);
        const auto report = m.run();
        const QList<Line> lines = textLines(report->pages.at(0));
        QVERIFY2(lines.size() == addressLines + 2, qPrintable(dump(report->pages.at(0))));
        for (const Line &l : lines) {
            QCOMPARE(l.font.family, family);
            QCOMPARE(l.font.pointSize, qreal(points));
        }
        // "Dear" and the name keep their places whatever the font.
        QVERIFY(near(lines.at(addressLines).at.y(), 449.25));
        QVERIFY(near(lines.at(addressLines + 1).at.x(), 197.90));
    }

    void thePdfHasTheSameMeasures()
    {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty())
            QSKIP("pdftotext is not installed");
        Letters m;
        m.select("WHERE Surname IN ('Abbot', 'Baker', 'Carter')");
        m.setLetter("<p style=\"font-family:'Times New Roman'; font-size:12pt\">Lettertext begins "
                    "here.</p>");
        const auto report = m.run();
        QTemporaryDir dir;
        const QString pdf = dir.filePath("letters.pdf");
        exportPdf(*report, pdf);
        QProcess run;
        run.start(pdftotext, {"-bbox", pdf, "-"});
        QVERIFY(run.waitForFinished(30000));
        const QString out = QString::fromUtf8(run.readAllStandardOutput());
        QCOMPARE(out.count("<page "), 3);
        const qreal ptPerMm = 72.0 / 25.4;
        QRegularExpression word("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" "
                                "yMax=\"[\\d.]+\">([^<]+)</word>");
        // Each word and the places (mm from the sheet's top-left corner) it may have.
        const QMultiMap<QString, QPointF> expected{
            {"Henry", {10.794, 10.529}},    {"Henry", {19.790, 44.925}},
            {"Margaret", {10.794, 10.529}}, {"Margaret", {19.790, 44.925}},
            {"Dear", {10.794, 44.925}},     {"Lettertext", {10.794, 60.229}}};
        QMap<QString, int> found;
        for (auto it = word.globalMatch(out); it.hasNext();) {
            const auto m = it.next();
            const QString w = m.captured(3);
            if (!expected.contains(w))
                continue;
            const QPointF at(m.captured(1).toDouble() / ptPerMm,
                             m.captured(2).toDouble() / ptPerMm);
            bool placed = false;
            for (const QPointF &e : expected.values(w))
                placed = placed || (qAbs(at.x() - e.x()) < 0.2 && qAbs(at.y() - e.y()) < 0.2);
            QVERIFY2(placed, qPrintable(m.captured(0)));
            ++found[w];
        }
        QCOMPARE(found.value("Dear"), 3);
        QCOMPARE(found.value("Lettertext"), 3);
        QCOMPARE(found.value("Henry"), 2);
        QCOMPARE(found.value("Margaret"), 2);
        if (qEnvironmentVariableIsSet("VARNEL_KEEP_PDF"))
            QFile::copy(pdf, qEnvironmentVariable("VARNEL_KEEP_PDF"));
    }

    // ---- the mail merge window --------------------------------------------

    void mergeWindowLayout()
    {
        RunningProgram program;
        TfmMailMergeSetup *w = mergeWindow();
        QVERIFY(w && !w->isVisible());
        QVERIFY(named<QAction>(mainWindow(), "miMailMerge")->isEnabled());
        QCOMPARE(named<QAction>(mainWindow(), "miMailMerge")->statusTip(),
                 QString("Insert selected contacts for mailing"));
        chooseMailMerge();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const auto button = [w](const char *name) { return named<QPushButton>(w, name); };
        const auto label = [w](const char *name) { return named<QLabel>(w, name); };
        QCOMPARE(w->windowTitle(), QString("Varnel Mail Merge"));
        QCOMPARE(w->size(), QSize(310, 231));
        QCOMPARE(label("Label1")->text(), QString("Setup Mail Merge"));
        QVERIFY(label("Label1")->font().bold());
        QCOMPARE(label("Label1")->font().pointSize(), 14);
        QCOMPARE(named<QWidget>(w, "Panel1")->height(), 34);
        QCOMPARE(label("Label2")->text(), QString("Select, edit or create letter:"));
        QCOMPARE(label("Label3")->text(), QString("Select names & addresses:"));
        QCOMPARE(label("Label4")->text(), QString("Preview Merged Report:"));
        QCOMPARE(label("Label2")->font().pointSize(), 10);
        QCOMPARE(button("btnDocument")->text(), QString("&Document"));
        QCOMPARE(button("btnMAilSearch")->text(), QString("&Select Names"));
        QCOMPARE(button("btnMerge")->text(), QString("&Merge"));
        QCOMPARE(button("btnChangeFont")->text(), QString("Match Font"));
        QCOMPARE(button("btnHelp")->text(), QString("&Help"));
        QCOMPARE(button("BitBtn1")->text(), QString("&Close"));
        QVERIFY(button("btnChangeFont")->icon().isNull());
        QVERIFY(!button("btnHelp")->icon().isNull() && !button("BitBtn1")->icon().isNull());
        // Each row's button sits to the right of its label.
        QVERIFY(button("btnDocument")->geometry().left() > label("Label2")->geometry().right());
        QVERIFY(button("btnMAilSearch")->y() > button("btnDocument")->y() &&
                button("btnMerge")->y() > button("btnMAilSearch")->y());
        QVERIFY(button("btnHelp")->x() > button("btnChangeFont")->x() &&
                button("BitBtn1")->x() > button("btnHelp")->x());
        QStringList order;
        QWidget *f = button("btnMAilSearch");
        for (int i = 0; i < 6; ++i) {
            order << f->objectName();
            do
                f = f->nextInFocusChain();
            while (!qobject_cast<QPushButton *>(f));
        }
        QCOMPARE(order, (QStringList{"btnMAilSearch", "btnMerge", "btnDocument", "btnHelp",
                                     "BitBtn1", "btnChangeFont"}));
        for (QPushButton *b : w->findChildren<QPushButton *>())
            QVERIFY(b->toolTip().isEmpty());
    }

    void documentHelpAndCloseEachStandAlone()
    {
        RunningProgram program;
        TfmMailMergeSetup *w = mergeWindow();
        chooseMailMerge();
        QTest::mouseClick(named<QPushButton>(w, "btnDocument"), Qt::LeftButton);
        QVERIFY(editorWindow()->isVisible());
        QVERIFY(w->isVisible());
        QTest::mouseClick(named<QPushButton>(w, "btnHelp"), Qt::LeftButton);
        auto *h = topLevel<TfmMailMergeHelp>("fmMailMergeHelp");
        QVERIFY(h->isVisible());
        QVERIFY(!h->isModal());
        QCOMPARE(h->windowTitle(), QString("i"));
        QCOMPARE(h->size(), QSize(466, 304));
        QCOMPARE(h->minimumSize(), h->maximumSize());
        QVERIFY(!(h->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(named<QLabel>(h, "Label1")->text(), QString("Helpful Information"));
        QCOMPARE(named<QWidget>(h, "Panel1")->height(), 41);
        auto *note = named<QTextEdit>(h, "RichEdit1");
        QVERIFY(note->isReadOnly());
        QCOMPARE(note->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        const QString text = note->toPlainText();
        QCOMPARE(text.split("\n\n").size(), 6);
        for (const char *quoted :
             {"To perform a mail merge, you need a document, and a selected list of names (with "
              "addresses)",
              "but it is a simple editor and may not give you the features you need.",
              "helps sorting for delivery too.",
              "If you need to adjust margins etc, print out only one sheet."})
            QVERIFY2(text.contains(QLatin1String(quoted)), quoted);
        // Closing the merge window leaves the editor and the help open.
        QTest::mouseClick(named<QPushButton>(w, "BitBtn1"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(editorWindow()->isVisible() && h->isVisible());
        // It comes back, the one instance.
        chooseMailMerge();
        QVERIFY(w->isVisible());
        QCOMPARE(mergeWindow(), w);
    }

    // Match Font gives the address block and the salutation the editor's
    // dialog font; the letter body keeps its own formatting.
    void matchFont()
    {
        RunningProgram program;
        selectWhere(mainQuery(), "WHERE Surname = 'Abbot'");
        setLetter("<p style=\"font-family:'Courier New'; font-size:9pt\">Body</p>");
        TfmMailMergeSetup *w = mergeWindow();
        chooseMailMerge();
        // The editor has never been active: Times New Roman 12 pt bold, six lines fit.
        QTest::mouseClick(named<QPushButton>(w, "btnChangeFont"), Qt::LeftButton);
        auto report = runMerge(mergedLetters());
        QList<Line> lines = textLines(report->pages.at(0));
        QCOMPARE(lines.size(), 6 + 2);
        QCOMPARE(lines.first().font.family, QString("Times New Roman"));
        QCOMPARE(lines.first().font.pointSize, 12.0);
        QVERIFY(lines.last().font.weight >= QFont::Bold);
        QVERIFY(richText(report->pages.at(0))->text.contains("Courier New"));

        // A 14 pt font chosen in the editor: fewer lines again.
        QTest::mouseClick(named<QPushButton>(w, "btnDocument"), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(editorWindow()));
        FontValue big;
        big.font = QFont("Arial", 14);
        program.platform.dialogs.answers << QVariant::fromValue(big);
        named<QAction>(editorWindow(), "FontChange")->trigger();
        QTest::mouseClick(named<QPushButton>(w, "btnChangeFont"), Qt::LeftButton);
        report = runMerge(mergedLetters());
        lines = textLines(report->pages.at(0));
        QCOMPARE(lines.size(), 5 + 2);
        QCOMPARE(lines.first().font.family, QString("Arial"));
        QCOMPARE(lines.first().font.pointSize, 14.0);
        QCOMPARE(mergedLetters()->report()->font(), big);
    }

    void matchFontTakesTheCaretsFontAtTheLastActivation()
    {
        RunningProgram program;
        QTextCharFormat arial;
        arial.setFontFamilies({"Arial"});
        arial.setFontPointSize(12);
        QTextCursor(letterEdit(editorWindow())->document()).insertText("Arial twelve", arial);
        letterEdit(editorWindow())->moveCursor(QTextCursor::End);
        named<QAction>(mainWindow(), "Notepad1")->trigger();
        QVERIFY(QTest::qWaitForWindowActive(editorWindow()));
        chooseMailMerge();
        QVERIFY(QTest::qWaitForWindowActive(mergeWindow()));
        QTest::mouseClick(mergeButton("btnChangeFont"), Qt::LeftButton);
        QCOMPARE(mergedLetters()->report()->font().font.family(), QString("Arial"));
        QCOMPARE(mergedLetters()->report()->font().font.pointSizeF(), 12.0);
        QVERIFY(!mergedLetters()->report()->font().font.bold());
    }

    // "&Select Names" holds the program in the search dialog until it closes;
    // what the dialog leaves in the main query is the recipient list, and the
    // grid shows the same rows.
    void selectNames_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("recipients");
        QTest::newRow("search") << "sqOKBtn" << QStringList{"Carter", "Shaw", "Young"};
        QTest::newRow("cancel keeps the selection") << "sqCancelBtn"
                                                    << QStringList{"Baker", "Barnes", "Bell"};
    }
    void selectNames()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, recipients);
        RunningProgram program;
        selectWhere(mainQuery(), "WHERE Surname LIKE 'B%'");
        chooseMailMerge();
        QVERIFY(QTest::qWaitForWindowExposed(mergeWindow()));
        bool wasModal = false;
        whenReady(
            [] {
                return QApplication::activeModalWidget() ==
                       topLevel<TfmSQLSearchDialog>("fmSQLSearchDialog");
            },
            [&] {
                wasModal = true;
                auto *d = topLevel<TfmSQLSearchDialog>("fmSQLSearchDialog");
                clickEntry(named<QListWidget>(d, "sqListBox"), "County");
                QTest::keyClicks(named<QLineEdit>(d, "sqEditBox"), "sussex");
                QTest::mouseClick(d->findChild<QPushButton *>(button), Qt::LeftButton);
            });
        QTest::mouseClick(mergeButton("btnMAilSearch"), Qt::LeftButton);
        QVERIFY(wasModal);
        QVERIFY(!topLevel<TfmSQLSearchDialog>("fmSQLSearchDialog")->isVisible());
        QCOMPARE(surnamesSelected(mainQuery()), recipients);
        QCOMPARE(named<QTableView>(mainWindow(), "dbGrid1")->model()->rowCount(),
                 recipients.size());
        QVERIFY(program.log().isEmpty());
    }

    // The whole road: choose the people, write the letter, press "&Merge":
    // the preview shows one letter per person, and the click returns when
    // the preview is closed.
    void mergeShowsOneLetterPerPerson()
    {
        RunningProgram program;
        selectWhere(mainQuery(), "WHERE County LIKE '%Sussex%'");
        setLetter("<p>The fair opens at ten.</p>");
        chooseMailMerge();
        QVERIFY(QTest::qWaitForWindowExposed(mergeWindow()));
        QVERIFY(mergeButton("btnMerge")->isEnabled());
        QStringList seen;
        bool bodyOnEveryPage = true;
        QString caption;
        mergeWith({{[](TRpStandardPreview *w) { return w->complete(); },
                    [&](TRpStandardPreview *w) {
                        caption = w->windowTitle();
                        seen = greetedSurnames(*w->pages());
                        QCOMPARE(w->pageCount(), 3);
                        QCOMPARE(w->statusPanel(1), QString("Page 1 of 3"));
                        for (const PreparedPage &page : w->pages()->pages)
                            bodyOnEveryPage = bodyOnEveryPage && richText(page) &&
                                              richText(page)->text.contains("The fair opens");
                        w->close();
                    }}});
        QCOMPARE(caption, QString("Print Preview"));
        QCOMPARE(seen, (QStringList{"Carter", "Shaw", "Young"}));
        QVERIFY(bodyOnEveryPage);
        QCOMPARE(previewWindows(), 0);
        QVERIFY(!mergedLetters()->report()->isRunning());
        QVERIFY(program.log().isEmpty());
    }

    // A second "&Merge" while the letters are still being prepared opens
    // nothing and leaves the run to finish its pages.
    void mergeWhileRunningDoesNothing()
    {
        RunningProgram program;
        selectWhere(mainQuery(), "");
        const int people = mainQuery()->recordCount();
        QVERIFY(people > 20);
        chooseMailMerge();
        QVERIFY(QTest::qWaitForWindowExposed(mergeWindow()));
        int windowsAfterSecondClick = -1;
        bool stillRunning = false;
        int pages = 0;
        mergeWith({{[](TRpStandardPreview *w) { return w->pageCount() >= 1 && !w->complete(); },
                    [&](TRpStandardPreview *) {
                        QTest::mouseClick(mergeButton("btnMerge"), Qt::LeftButton);
                        windowsAfterSecondClick = previewWindows();
                        stillRunning = mergedLetters()->report()->isRunning();
                    }},
                   {[](TRpStandardPreview *w) { return w->complete(); },
                    [&](TRpStandardPreview *w) {
                        pages = w->pageCount();
                        w->close();
                    }}});
        QCOMPARE(windowsAfterSecondClick, 1);
        QVERIFY(stillRunning);
        QCOMPARE(pages, people);
        QCOMPARE(previewWindows(), 0);
    }

    // ---- varnel-print letters -----------------------------------------

    void printLetters_data()
    {
        QTest::addColumn<QStringList>("args"); // BOOK, OUT, RTF, ... stand for fixture paths
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("greeted"); // empty: no PDF written
        QTest::addColumn<QString>("bodyWord");
        QTest::addColumn<QString>("message"); // part of what goes to stderr
        const QStringList all{"Adams", "Baker", "Young"};
        QTest::newRow("our RTF") << QStringList{"BOOK", "letters", "OUT", "--body", "RTF"} << 0
                                 << all << "Lettertext" << "";
        QTest::newRow("a word processor's RTF")
            << QStringList{"BOOK", "letters", "OUT", "--body", "LO", "--letter", "b"} << 0
            << QStringList{"Baker"} << "Summer" << "";
        QTest::newRow("plain text, any name")
            << QStringList{"--body", "TXT", "BOOK", "letters", "OUT", "--search", "Town", "by"}
            << 0 << QStringList{"Adams"} << "Plain" << "";
        QTest::newRow("empty selection: one letter to nobody")
            << QStringList{"BOOK", "letters", "OUT", "--body", "RTF", "--letter", "Q"} << 0
            << QStringList{""} << "Lettertext" << "";
        QTest::newRow("missing body file")
            << QStringList{"BOOK", "letters", "OUT", "--body", "NOWHERE"} << 1 << QStringList()
            << "" << "Letter body: Cannot open file ";
        QTest::newRow("damaged RTF") << QStringList{"BOOK", "letters", "OUT", "--body", "BROKEN"}
                                     << 1 << QStringList() << "" << "is damaged RTF (byte";
        QTest::newRow("not a text file")
            << QStringList{"BOOK", "letters", "OUT", "--body", "BINARY"} << 1 << QStringList()
            << "" << "Letter body: Failed to Load Stream";
        QTest::newRow("a folder") << QStringList{"BOOK", "letters", "OUT", "--body", "DIR"} << 1
                                  << QStringList() << "" << "Letter body: Cannot open file ";
        QTest::newRow("no body") << QStringList{"BOOK", "letters", "OUT"} << 2 << QStringList()
                                 << "" << "The letters layout needs --body LETTER.rtf";
        QTest::newRow("body without a file") << QStringList{"BOOK", "letters", "OUT", "--body"}
                                             << 2 << QStringList() << "" << "--body needs";
        QTest::newRow("body for the phone list")
            << QStringList{"BOOK", "phone-list", "OUT", "--body", "RTF"} << 2 << QStringList()
            << "" << "--body goes with the letters layout";
    }
    void printLetters()
    {
        QFETCH(QStringList, args);
        QFETCH(int, exitCode);
        QFETCH(QStringList, greeted);
        QFETCH(QString, bodyWord);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QMap<QString, QString> paths{
            {"BOOK", makeBook(dir)},
            {"OUT", dir.filePath("letters.pdf")},
            {"RTF", writeFile(dir, "letter.rtf", kLetterRtf)},
            {"LO", QStringLiteral(VARNEL_TEST_DATA "/rtf/lo-made-letter.rtf")},
            {"TXT", writeFile(dir, "plain.rtf", "Plain words\r\nand a second line\r\n")},
            {"NOWHERE", dir.filePath("nowhere.rtf")},
            {"BROKEN", writeFile(dir, "broken.rtf", kLetterRtf.left(kLetterRtf.size() / 2))},
            {"BINARY", writeFile(dir, "letter.doc", QByteArray("\xD0\xCF\x11\xE0\0\0\0\0", 8))},
            {"DIR", dir.path()}};
        for (QString &a : args)
            a = paths.value(a, a);
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(PrintCommand::run(args, out, err), exitCode);
        QVERIFY2(errText.contains(message), qPrintable(errText));
        QCOMPARE(errText.isEmpty(), exitCode == 0);
        const QString pdf = paths["OUT"];
        QCOMPARE(QFile::exists(pdf), !greeted.isEmpty());
        if (greeted.isEmpty())
            return;
        QVERIFY2(outText.contains(QStringLiteral("%1 page").arg(greeted.size())),
                 qPrintable(outText));
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        int pages = 0;
        const QList<PdfWord> words = pdfWords(pdf, nullptr, &pages);
        QCOMPARE(pages, greeted.size());
        QStringList names;
        QList<int> bodyPages;
        for (const PdfWord &w : words) {
            // The word after "Dear", at 19.790 mm, is the first name; the
            // last word of the salutation carries the comma.
            if (qAbs(w.topLeftMm().y() - 44.925) < 0.3 && w.text.endsWith(','))
                names << w.text.chopped(1);
            if (w.text.startsWith(bodyWord) && !bodyPages.contains(w.page))
                bodyPages << w.page;
        }
        if (greeted == QStringList{""})
            QCOMPARE(names, QStringList{""}); // "Dear" and a blank, then the comma
        else
            QCOMPARE(names, greeted);
        QCOMPARE(bodyPages.size(), pages);
    }

    // The program itself, as a script runs it: three people give three A4
    // pages, each with its address block, salutation and the same body where
    // the letter layout puts them.
    void printProgramWritesThreeLetters()
    {
        if (QStandardPaths::findExecutable("pdftotext").isEmpty())
            QSKIP("pdftotext is not installed");
        QTemporaryDir dir;
        const QString pdf = dir.filePath("letters.pdf");
        QProcess program;
        program.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"),
                      {makeBook(dir), "letters", pdf, "--body",
                       writeFile(dir, "letter.rtf", kLetterRtf)});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        int pages = 0;
        QSizeF size;
        const QList<PdfWord> words = pdfWords(pdf, &size, &pages);
        size *= 25.4 / 72.0; // in mm
        QCOMPARE(pages, 3);
        QVERIFY(qAbs(size.width() - 210) < 0.2 && qAbs(size.height() - 297) < 0.2);
        const QStringList first{"Ruth", "Margaret", "Stephen"}; // surname order
        const QStringList town{"Whitby", "Chipping", "Brighton"};
        auto at = [&](const QString &text, int page, qreal x, qreal y) {
            for (const PdfWord &w : words)
                if (w.text == text && w.page == page && qAbs(w.topLeftMm().x() - x) < 0.2 &&
                    qAbs(w.topLeftMm().y() - y) < 0.2)
                    return true;
            return false;
        };
        const qreal cell = ReportFontMetrics::of(ReportFont{}).lineHeight() / 10; // mm
        for (int p = 1; p <= 3; ++p) {
            const QString why = QStringLiteral("page %1").arg(p);
            QVERIFY2(at(first[p - 1], p, 10.794, 10.529), qPrintable(why));
            // Name, address line, then the town on the third line: no village.
            QVERIFY2(at(town[p - 1], p, 10.794, 10.529 + 2 * cell), qPrintable(why));
            QVERIFY2(at("Dear", p, 10.794, 44.925), qPrintable(why));
            QVERIFY2(at(first[p - 1], p, 19.790, 44.925), qPrintable(why));
            QVERIFY2(at("Lettertext", p, 10.794, 60.229), qPrintable(why));
        }
    }
};

QTEST_MAIN(tst_mailmerge)
#include "tst_mailmerge.moc"
