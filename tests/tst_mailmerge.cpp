#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeInfo.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"
#include "reports/Report.h"
#include "reports/ReportPainter.h"
#include "reports/ReportText.h"

#include <QAction>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

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

// Narrows the main query as a search would.
void select(const QString &where)
{
    AdoQuery *q = fmHomeAddMain->HomeQuery;
    q->close();
    q->setSql({"SELECT * FROM HomeAd", where, "ORDER BY Surname"});
    q->open();
}

std::shared_ptr<const PreparedReport> runMerge()
{
    TReport *r = fmMailRp->Report1;
    if (!r->run())
        return nullptr;
    return r->preparedReport();
}

void setLetter(const QString &html)
{
    fmMailMergeEdit->RichEdit1->setHtml(html);
}

// Adds a person to the book in use, as the grid would.
void addPerson(const QMap<QString, QString> &fields)
{
    AdoQuery *q = fmHomeAddMain->HomeQuery;
    q->insert();
    for (auto it = fields.begin(); it != fields.end(); ++it)
        q->setFieldValue(it.key(), it.value());
    q->post();
}

bool near(qreal a, qreal b)
{
    return qAbs(a - b) < 0.01;
}

} // namespace

class tst_mailmerge : public QObject
{
    Q_OBJECT
private slots:
    void layout()
    {
        RunningProgram program;
        TfmMailRp *rp = fmMailRp;
        QVERIFY(rp && !rp->isVisible());
        QCOMPARE(rp->windowTitle(), QString("Mail Merged"));
        TReport *r = rp->Report1;
        QCOMPARE(r->dataSet(), static_cast<ReportDataSet *>(fmHomeAddMain->HomeQuery));
        QCOMPARE(r->font().font.family(), QString("Arial"));
        QCOMPARE(r->font().font.pointSizeF(), 10.0);
        QVERIFY(r->printIfEmpty());
        QVERIFY(r->options() & LastPageFooter);
        QCOMPARE(r->reportTitle(), QString());
        QCOMPARE(r->printerSettings().OutputBin, obAuto);
        QCOMPARE(rp->RpRichText1->parentRichEdit(), fmMailMergeEdit->RichEdit1->document());
        // The footer's top, 297 - 10 - 227.277 mm, on the 0.1 mm grid.
        QVERIFY(
            near(r->page().paperLength() - r->page().BottomMargin - rp->RpBand2->height(), 59.723));
    }

    // Three people, three pages, in the query's order; every page has the same
    // letter body, and everything sits where the sheet's measures say.
    void threePeopleGiveThreeLetters()
    {
        RunningProgram program;
        select("WHERE Surname IN ('Abbot', 'Baker', 'Carter')");
        setLetter("<p>We are holding the <b>summer fair</b> on Saturday.</p><p>Do come.</p>");
        const auto report = runMerge();
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
        QCOMPARE(fmHomeAddMain->HomeQuery->recNo(), 2);
    }

    void blankFieldsInTheAddressAndTheSalutation()
    {
        RunningProgram program;
        addPerson({{"Surname", "Quill"}, {"Town", "Ely"}, {"PostCode", "CB7 4AA"}});
        select("WHERE Surname = 'Quill'");
        const auto report = runMerge();
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
        RunningProgram program;
        select("WHERE 1 = 0");
        setLetter("Body only");
        const auto report = runMerge();
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
        RunningProgram program;
        select("WHERE Surname = 'Abbot'");
        const auto empty = runMerge();
        QVERIFY(!richText(empty->pages.at(0))->text.contains("First"));
        QTextCursor c(fmMailMergeEdit->RichEdit1->document());
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        bold.setFontFamilies({"Courier New"});
        c.insertText("First version", bold);
        fmMailMergeEdit->FileClose->trigger();
        const auto first = runMerge();
        const QString html = richText(first->pages.at(0))->text;
        QVERIFY(html.contains("First version"));
        QVERIFY(html.contains("font-weight:700"));
        QVERIFY(html.contains("Courier New"));
        fmMailMergeEdit->RichEdit1->setPlainText("Second version");
        const auto second = runMerge();
        QVERIFY(richText(second->pages.at(0))->text.contains("Second version"));
        QVERIFY(richText(first->pages.at(0))->text.contains("First version"));
        QCOMPARE(fmMailMergeEdit->RichEdit1->toPlainText(), QString("Second version"));
    }

    void aLongLetterIsCutAtTheFootOfTheBoxOnEveryPage()
    {
        RunningProgram program;
        select("WHERE Surname IN ('Abbot', 'Baker')");
        QString html;
        for (int i = 1; i <= 120; ++i)
            html += QStringLiteral("<p>Paragraph %1 of a very long letter.</p>").arg(i);
        setLetter(html);
        const auto report = runMerge();
        QCOMPARE(report->pages.size(), 2);
        for (const PreparedPage &page : report->pages) {
            const PreparedItem *body = richText(page);
            QVERIFY(body->clipHeight < 2066.40);
            QVERIFY(body->clipHeight > 2066.40 - 100); // whole lines down to the foot
            QVERIFY(body->text.contains("Paragraph 1 of"));
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
        RunningProgram program;
        select("WHERE Surname = 'Abbot'");
        FontValue f;
        f.font = QFont(family, points);
        f.font.setBold(bold);
        fmMailRp->Report1->setFont(f);
        const auto report = runMerge();
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
        RunningProgram program;
        select("WHERE Surname IN ('Abbot', 'Baker', 'Carter')");
        setLetter("<p style=\"font-family:'Times New Roman'; font-size:12pt\">Lettertext begins "
                  "here.</p>");
        const auto report = runMerge();
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
        TfmMailMergeSetup *w = fmMailMergeSetup;
        QVERIFY(w && !w->isVisible());
        QVERIFY(fmHomeAddMain->miMailMerge->isEnabled());
        QCOMPARE(fmHomeAddMain->miMailMerge->statusTip(),
                 QString("Insert selected contacts for mailing"));
        fmHomeAddMain->miMailMerge->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        QCOMPARE(w->windowTitle(), QString("Varnel Mail Merge"));
        QCOMPARE(w->size(), QSize(310, 231));
        QCOMPARE(w->Label1->text(), QString("Setup Mail Merge"));
        QVERIFY(w->Label1->font().bold());
        QCOMPARE(w->Label1->font().pointSize(), 14);
        QCOMPARE(w->Panel1->height(), 34);
        QCOMPARE(w->Label2->text(), QString("Select, edit or create letter:"));
        QCOMPARE(w->Label3->text(), QString("Select names & addresses:"));
        QCOMPARE(w->Label4->text(), QString("Preview Merged Report:"));
        QCOMPARE(w->Label2->font().pointSize(), 10);
        QCOMPARE(w->btnDocument->text(), QString("&Document"));
        QCOMPARE(w->btnMAilSearch->text(), QString("&Select Names"));
        QCOMPARE(w->btnMerge->text(), QString("&Merge"));
        QCOMPARE(w->btnChangeFont->text(), QString("Match Font"));
        QCOMPARE(w->btnHelp->text(), QString("&Help"));
        QCOMPARE(w->BitBtn1->text(), QString("&Close"));
        QVERIFY(w->btnChangeFont->icon().isNull());
        QVERIFY(!w->btnHelp->icon().isNull() && !w->BitBtn1->icon().isNull());
        // Each row's button sits to the right of its label.
        QVERIFY(w->btnDocument->geometry().left() > w->Label2->geometry().right());
        QVERIFY(w->btnMAilSearch->y() > w->btnDocument->y() &&
                w->btnMerge->y() > w->btnMAilSearch->y());
        QVERIFY(w->btnHelp->x() > w->btnChangeFont->x() && w->BitBtn1->x() > w->btnHelp->x());
        QStringList order;
        QWidget *f = w->btnMAilSearch;
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
        TfmMailMergeSetup *w = fmMailMergeSetup;
        fmHomeAddMain->miMailMerge->trigger();
        QTest::mouseClick(w->btnDocument, Qt::LeftButton);
        QVERIFY(fmMailMergeEdit->isVisible());
        QVERIFY(w->isVisible());
        QTest::mouseClick(w->btnHelp, Qt::LeftButton);
        TfmMailMergeHelp *h = fmMailMergeHelp;
        QVERIFY(h->isVisible());
        QVERIFY(!h->isModal());
        QCOMPARE(h->windowTitle(), QString("i"));
        QCOMPARE(h->size(), QSize(466, 304));
        QCOMPARE(h->minimumSize(), h->maximumSize());
        QVERIFY(!(h->windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(h->Label1->text(), QString("Helpful Information"));
        QCOMPARE(h->Panel1->height(), 41);
        QVERIFY(h->RichEdit1->isReadOnly());
        QCOMPARE(h->RichEdit1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        const QString text = h->RichEdit1->toPlainText();
        QCOMPARE(text.split("\n\n").size(), 6);
        for (const char *quoted :
             {"To perform a mail merge, you need a document, and a selected list of names (with "
              "addresses)",
              "but it is a simple editor and may not give you the features you need.",
              "helps sorting for delivery too.",
              "If you need to adjust margins etc, print out only one sheet."})
            QVERIFY2(text.contains(QLatin1String(quoted)), quoted);
        // Closing the merge window leaves the editor and the help open.
        QTest::mouseClick(w->BitBtn1, Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QVERIFY(fmMailMergeEdit->isVisible() && h->isVisible());
        // It comes back, the one instance.
        fmHomeAddMain->miMailMerge->trigger();
        QVERIFY(w->isVisible());
        QCOMPARE(fmMailMergeSetup, w);
    }

    // Match Font gives the address block and the salutation the editor's
    // dialog font; the letter body keeps its own formatting.
    void matchFont()
    {
        RunningProgram program;
        select("WHERE Surname = 'Abbot'");
        setLetter("<p style=\"font-family:'Courier New'; font-size:9pt\">Body</p>");
        TfmMailMergeSetup *w = fmMailMergeSetup;
        fmHomeAddMain->miMailMerge->trigger();
        // The editor has never been active: Times New Roman 12 pt bold, six lines fit.
        QTest::mouseClick(w->btnChangeFont, Qt::LeftButton);
        auto report = runMerge();
        QList<Line> lines = textLines(report->pages.at(0));
        QCOMPARE(lines.size(), 6 + 2);
        QCOMPARE(lines.first().font.family, QString("Times New Roman"));
        QCOMPARE(lines.first().font.pointSize, 12.0);
        QVERIFY(lines.last().font.weight >= QFont::Bold);
        QVERIFY(richText(report->pages.at(0))->text.contains("Courier New"));

        // A 14 pt font chosen in the editor: fewer lines again.
        QTest::mouseClick(w->btnDocument, Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowActive(fmMailMergeEdit));
        FontValue big;
        big.font = QFont("Arial", 14);
        program.platform.dialogs.answers << QVariant::fromValue(big);
        fmMailMergeEdit->FontChange->trigger();
        QTest::mouseClick(w->btnChangeFont, Qt::LeftButton);
        report = runMerge();
        lines = textLines(report->pages.at(0));
        QCOMPARE(lines.size(), 5 + 2);
        QCOMPARE(lines.first().font.family, QString("Arial"));
        QCOMPARE(lines.first().font.pointSize, 14.0);
        QCOMPARE(fmMailRp->Report1->font(), big);
    }

    void matchFontTakesTheCaretsFontAtTheLastActivation()
    {
        RunningProgram program;
        QTextCharFormat arial;
        arial.setFontFamilies({"Arial"});
        arial.setFontPointSize(12);
        QTextCursor(fmMailMergeEdit->RichEdit1->document()).insertText("Arial twelve", arial);
        fmMailMergeEdit->RichEdit1->moveCursor(QTextCursor::End);
        fmHomeAddMain->Notepad1->trigger();
        QVERIFY(QTest::qWaitForWindowActive(fmMailMergeEdit));
        fmHomeAddMain->miMailMerge->trigger();
        QVERIFY(QTest::qWaitForWindowActive(fmMailMergeSetup));
        QTest::mouseClick(fmMailMergeSetup->btnChangeFont, Qt::LeftButton);
        QCOMPARE(fmMailRp->Report1->font().font.family(), QString("Arial"));
        QCOMPARE(fmMailRp->Report1->font().font.pointSizeF(), 12.0);
        QVERIFY(!fmMailRp->Report1->font().font.bold());
    }
};

QTEST_MAIN(tst_mailmerge)
#include "tst_mailmerge.moc"
