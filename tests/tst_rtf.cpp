#include "mailmerge/rtf/RichTextFile.h"
#include "mailmerge/rtf/RtfError.h"
#include "mailmerge/rtf/RtfReader.h"
#include "mailmerge/rtf/RtfWriter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(VARNEL_TEST_DATA "/rtf/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

QString alignName(Qt::Alignment a)
{
    a &= Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignJustify)
        return "justify";
    if (a & Qt::AlignHCenter)
        return "centre";
    if (a & Qt::AlignRight)
        return "right";
    return "left";
}

QString describeFormat(const QTextDocument &doc, const QTextCharFormat &f)
{
    const QFont font = f.font().resolve(doc.defaultFont());
    QString s = QStringLiteral("%1 %2pt").arg(font.family()).arg(font.pointSizeF());
    if (font.bold())
        s += " bold";
    if (font.italic())
        s += " italic";
    if (f.underlineStyle() != QTextCharFormat::NoUnderline)
        s += QStringLiteral(" underline%1").arg(int(f.underlineStyle()));
    if (font.strikeOut())
        s += " strike";
    if (f.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        s += " super";
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        s += " " + f.foreground().color().name();
    if (f.hasProperty(QTextFormat::BackgroundBrush))
        s += " on " + f.background().color().name();
    return s;
}

QString listName(const QTextList *list)
{
    switch (list->format().style()) {
    case QTextListFormat::ListDisc:
        return "disc";
    case QTextListFormat::ListCircle:
        return "circle";
    case QTextListFormat::ListSquare:
        return "square";
    case QTextListFormat::ListDecimal:
        return "decimal";
    case QTextListFormat::ListLowerAlpha:
        return "alpha";
    case QTextListFormat::ListUpperRoman:
        return "ROMAN";
    default:
        return "other";
    }
}

// One line per paragraph and one per run, adjacent runs of the same look merged,
// so that a failing comparison names the paragraph or run that differs.
QStringList describe(const QTextDocument &doc)
{
    QStringList lines;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        lines << QStringLiteral("P %1 left=%2 right=%3 first=%4")
                     .arg(alignName(bf.alignment()))
                     .arg(bf.leftMargin())
                     .arg(bf.rightMargin())
                     .arg(bf.textIndent());
        if (const QTextList *list = b.textList()) {
            const QString name = listName(list);
            lines.last() += QStringLiteral(" %1 item %2").arg(name).arg(list->itemNumber(b) + 1);
            if (name != "disc" && name != "circle" && name != "square")
                lines.last() += QStringLiteral(" \"%1\"").arg(list->itemText(b));
        }
        QString lastLook;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            const QString look = describeFormat(doc, frag.charFormat());
            if (look == lastLook && !lines.isEmpty()) {
                QString &line = lines.last();
                line.insert(line.indexOf(QLatin1String("\" ")), frag.text());
            } else {
                lines << QStringLiteral("  \"%1\" %2").arg(frag.text(), look);
                lastLook = look;
            }
        }
        if (b.text().isEmpty())
            lines << QStringLiteral("  (empty) %1").arg(describeFormat(doc, b.charFormat()));
    }
    return lines;
}

QStringList blockTexts(const QTextDocument &doc)
{
    QStringList texts;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        texts << b.text();
    return texts;
}

QTextCharFormat charFormat(const QString &family, double points, bool bold = false,
                           bool italic = false)
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{family});
    f.setFontPointSize(points);
    f.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(italic);
    return f;
}

// The formatted letter every round-trip test starts from.
void buildLetter(QTextDocument *doc)
{
    QTextCursor c(doc);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    c.setBlockFormat(centred);
    c.insertText("Dear Sir", charFormat("Times New Roman", 16, true));

    QTextBlockFormat left;
    left.setAlignment(Qt::AlignLeft);
    c.insertBlock(left);
    const QTextCharFormat arial = charFormat("Arial", 11);
    c.insertText("Plain ", arial);
    c.insertText("italic ", charFormat("Arial", 11, false, true));
    QTextCharFormat under = arial;
    under.setFontUnderline(true);
    c.insertText("underlined ", under);
    QTextCharFormat dashed = arial;
    dashed.setUnderlineStyle(QTextCharFormat::DashUnderline);
    c.insertText("dashed ", dashed);
    QTextCharFormat struck = arial;
    struck.setFontStrikeOut(true);
    c.insertText("struck ", struck);
    QTextCharFormat red = arial;
    red.setForeground(QColor(200, 20, 30));
    c.insertText("red ", red);
    QTextCharFormat black = arial;
    black.setForeground(QColor(Qt::black));
    c.insertText("black ", black);
    QTextCharFormat blue = charFormat("Arial", 11, true, true);
    blue.setForeground(QColor(0, 0, 255));
    c.insertText("blue bold italic", blue);
    QTextCharFormat sup = arial;
    sup.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
    c.insertText("2", sup);

    QTextBlockFormat indented;
    indented.setAlignment(Qt::AlignJustify);
    indented.setLeftMargin(48);
    indented.setRightMargin(24);
    indented.setTextIndent(-24);
    c.insertBlock(indented);
    c.insertText(QString::fromUtf8("Ünïcödé Straße, Ελληνικά, Русский, 中文, € 5, \xF0\x9F\x98\x80 "
                                   "and \xF0\x9F\x87\xAC\xF0\x9F\x87\xA7."),
                 charFormat("Courier New", 10));

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    right.setLeftMargin(0);
    right.setRightMargin(30);
    right.setTextIndent(15);
    c.insertBlock(right);
    c.insertText(QStringLiteral("{braces} \\back\\slash\ttab") + QChar(QChar::LineSeparator) +
                     QStringLiteral("next line ;semicolon") + QChar(0x00A0) + "nbsp",
                 charFormat("Liberation Sans", 9.5));

    c.insertBlock(left, charFormat("Times New Roman", 20));
    c.insertBlock(left);
    c.insertText("Last line", charFormat("Times New Roman", 12));
}

// Whether a stream of RTF closes every group it opens and stays ASCII.
bool balancedAscii(const QByteArray &rtf)
{
    int depth = 0;
    for (qsizetype i = 0; i < rtf.size(); ++i) {
        const char c = rtf.at(i);
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
        if (c == '\\') {
            ++i;
            continue;
        }
        if (c == '{')
            ++depth;
        else if (c == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

} // namespace

class tst_rtf : public QObject
{
    Q_OBJECT
private slots:
    // ---- writing and the round trip ----------------------------------------

    void roundTripKeepsTheFormatting()
    {
        QTextDocument original;
        buildLetter(&original);
        const QByteArray rtf = RtfWriter::write(original);
        QTextDocument read;
        RtfReader::read(rtf, &read);
        QCOMPARE(describe(read), describe(original));
        QCOMPARE(read.toPlainText(), original.toPlainText());

        // Written again, the same document gives the same bytes.
        QCOMPARE(RtfWriter::write(read).split('\n'), rtf.split('\n'));
    }

    void writtenRtfIsWellFormed()
    {
        QTextDocument doc;
        buildLetter(&doc);
        const QByteArray rtf = RtfWriter::write(doc);
        QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
        QVERIFY(balancedAscii(rtf));
        QVERIFY(rtf.contains("{\\fonttbl{\\f0\\"));
        QVERIFY(rtf.contains("\\froman\\fcharset0\\fprq2 Times New Roman;}"));
        QVERIFY(rtf.contains("\\fswiss\\fcharset0\\fprq2 Arial;}"));
        QVERIFY(rtf.contains("\\fmodern\\fcharset0\\fprq1 Courier New;}"));
        QVERIFY(rtf.contains("{\\colortbl ;\\red200\\green20\\blue30;\\red0\\green0\\blue0;"
                             "\\red0\\green0\\blue255;}"));
        QVERIFY(rtf.contains("\\uc1"));
        // Non-ASCII: \uN with a Windows-1252 fallback where one exists, '?' otherwise;
        // the emoji as its two surrogates.
        QVERIFY(rtf.contains("\\u220\\'dcn\\u239\\'efc\\u246\\'f6d\\u233\\'e9"));
        QVERIFY(rtf.contains("\\u8364\\'80"));
        QVERIFY(rtf.contains("\\u1056?\\u1091?"));
        QVERIFY(rtf.contains("\\u-10179?\\u-8704?"));
        QVERIFY(rtf.contains("\\{braces\\} \\\\back\\\\slash\\tab tab\\line next line"));
        QVERIFY(rtf.contains("\\~nbsp"));
        QVERIFY(rtf.contains("\\pard\\qc "));
        QVERIFY(rtf.contains("\\pard\\qj\\li720\\ri360\\fi-360 "));
        QVERIFY(rtf.contains("\\pard\\qr\\ri450\\fi225 "));
        QVERIFY(rtf.contains("\\b Dear Sir\\par\r\n"));
        // A superscript run sits in a group of its own, which LibreOffice needs.
        QVERIFY(rtf.contains("blue bold italic{\\b0\\i0\\cf0\\super 2}\\par\r\n"));
        QVERIFY(rtf.contains("\\fs19 "));              // 9.5 pt
        QVERIFY(rtf.contains("\\f1\\fs40 \\par\r\n")); // an empty 20 pt line keeps its height
        QVERIFY(rtf.endsWith("Last line\\par\r\n}\r\n"));
        // One paragraph to a line: the file reads well in a text editor.
        QCOMPARE(rtf.count("\\par\r\n"), 6);
    }

    void emptyDocumentRoundTrips()
    {
        QTextDocument empty;
        const QByteArray rtf = RtfWriter::write(empty);
        QVERIFY(balancedAscii(rtf));
        QTextDocument read;
        read.setPlainText("old text");
        RtfReader::read(rtf, &read);
        QCOMPARE(read.blockCount(), 1);
        QCOMPARE(read.toPlainText(), QString());
    }

    void charsetOfAFontSurvives()
    {
        QTextDocument doc;
        RtfReader::read("{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\froman\\fcharset204 "
                        "Times New Roman Cyr;}}\\f1 \\'cf\\'f0\\'e8\\f0  Latin}",
                        &doc);
        QCOMPARE(doc.toPlainText(), QString::fromUtf8("При Latin"));
        const QByteArray rtf = RtfWriter::write(doc);
        QVERIFY(rtf.contains("\\froman\\fcharset204\\fprq2 Times New Roman Cyr;"));
        QTextDocument again;
        RtfReader::read(rtf, &again);
        QCOMPARE(describe(again), describe(doc));
    }

    // ---- reading what word processors write --------------------------------

    void readsWordPad()
    {
        QTextDocument doc;
        RtfReader::read(fixture("wordpad.rtf"), &doc);
        QCOMPARE(blockTexts(doc),
                 (QStringList{"Dear Friend",
                              QString::fromUtf8("Café crème, italic, underlined, struck, red, "
                                                "blue bold, Arial."),
                              "Indented and justified paragraph.", QString::fromUtf8("Привет"),
                              QString::fromUtf8("€100 \xF0\x9F\x98\x80 end")}));
        const QStringList d = describe(doc);
        QCOMPARE(d.at(0), "P centre left=0 right=0 first=0");
        QCOMPARE(d.at(1), "  \"Dear Friend\" Calibri 16pt bold");
        QVERIFY2(d.contains("  \"italic\" Calibri 11pt italic"), qPrintable(d.join('\n')));
        QVERIFY(d.contains("  \"underlined\" Calibri 11pt underline1"));
        QVERIFY(d.contains("  \"struck\" Calibri 11pt strike"));
        QVERIFY(d.contains("  \"red\" Calibri 11pt #ff0000"));
        QVERIFY(d.contains("  \"blue bold\" Calibri 11pt bold #004dbb"));
        QVERIFY(d.contains("  \"Arial\" Arial 11pt"));
        QVERIFY(d.contains("P justify left=48 right=24 first=-24"));
        QVERIFY(d.contains(QString::fromUtf8("  \"Привет\" Times New Roman CYR 11pt")));
        QVERIFY(d.contains("P right left=0 right=0 first=0"));
    }

    void readsLibreOffice()
    {
        QTextDocument doc;
        RtfReader::read(fixture("libreoffice.rtf"), &doc);
        QCOMPARE(blockTexts(doc),
                 (QStringList{"Heading line",
                              "Plain text with bold, italic, underlined, struck and red.",
                              QString::fromUtf8("Indented: naïve café, € 5, „Anführung“, Привет, "
                                                "\xF0\x9F\x98\x80.1"),
                              "See example.org and a picture: .", "Name\tTown",
                              QString::fromUtf8("Anna\tKöln"),
                              QStringLiteral("mono {braces} \\ slash\ttab") +
                                  QChar(QChar::LineSeparator) + "second line"}));
        const QStringList d = describe(doc);
        QCOMPARE(d.at(0), "P centre left=0 right=0 first=0");
        QCOMPARE(d.at(1), "  \"Heading line\" Liberation Sans 16pt bold");
        QVERIFY2(d.contains("  \"bold\" Liberation Serif 12pt bold"), qPrintable(d.join('\n')));
        QVERIFY(d.contains("  \"italic\" Liberation Serif 12pt italic"));
        QVERIFY(d.contains("  \"underlined\" Liberation Serif 12pt underline1"));
        QVERIFY(d.contains("  \"struck\" Liberation Serif 12pt strike"));
        QVERIFY(d.contains("  \"red\" Liberation Serif 12pt #c9211e"));
        QVERIFY(d.contains("P justify left=75.6 right=37.8 first=-37.8"));
        QVERIFY(d.contains("  \"1\" Liberation Serif 12pt super"));
        QVERIFY(d.contains("  \"example.org\" Liberation Serif 12pt underline1 #0000ff"));
        QVERIFY(d.contains("  \"mono {braces} \\ slash\" Liberation Mono 10pt"));
        QVERIFY(!doc.toPlainText().contains("header"));
        QVERIFY(!doc.toPlainText().contains("footnote"));
        QVERIFY(!doc.toPlainText().contains("Jane"));
    }

    void readsWord()
    {
        QTextDocument doc;
        RtfReader::read(fixture("word.rtf"), &doc);
        QCOMPARE(blockTexts(doc),
                 (QStringList{"Word heading",
                              QString::fromUtf8("First item with “quotes” and an en dash – here"),
                              QString::fromUtf8("Second item"),
                              QString::fromUtf8("Japanese: 日本, Czech: čáš, hidden: done.")}));
        const QStringList d = describe(doc);
        QCOMPARE(d.at(0), "P centre left=0 right=0 first=0");
        QCOMPARE(d.at(1), "  \"Word heading\" Arial 14pt bold #ff0000");
        // Word's bulleted list is a list; its hanging bullet is the list's own.
        QVERIFY2(d.contains("P left left=48 right=0 first=0 disc item 2"),
                 qPrintable(d.join('\n')));
        QVERIFY(d.contains("  \"Second item\" Times New Roman 11pt italic"));
        QVERIFY(d.contains(QString::fromUtf8("  \"日本\" MS Mincho 11pt")));
        QVERIFY(d.contains("P justify left=0 right=0 first=0"));
    }

    // Made by LibreOffice Writer 7.4 from lo-made-letter.source.html
    // (soffice --headless --infilter="HTML (StarWriter)" --convert-to rtf).
    void readsAFileMadeByLibreOffice()
    {
        QTextDocument doc;
        RtfReader::read(fixture("lo-made-letter.rtf"), &doc);
        QCOMPARE(blockTexts(doc),
                 (QStringList{"Summer Fair 2024", "3 June 2024",
                              "Dear neighbour, the fair opens at ten o'clock on the village green. "
                              "Please bring a chair; the old new marquee seats fifty. Parking is "
                              "limited.",
                              QString::fromUtf8("Entrée: 2,50 € – Über «alles» — Привет"),
                              "Stall\tHolder", "Cakes\tMrs Allen",
                              "Yours faithfully," + QString(QChar::LineSeparator) + "The Committee"}));
        const QStringList d = describe(doc);
        QCOMPARE(d.at(0), "P centre left=0 right=0 first=0");
        QCOMPARE(d.at(1), "  \"Summer Fair 2024\" Arial 18pt bold #1f3a93");
        QCOMPARE(d.at(2), "P right left=0 right=0 first=0");
        QVERIFY2(d.contains("P justify left=75.6 right=0 first=37.8"), qPrintable(d.join('\n')));
        QVERIFY(d.contains("  \"ten o'clock\" Times New Roman 12pt bold #000000"));
        QVERIFY(d.contains("  \"village green\" Times New Roman 12pt italic #000000"));
        QVERIFY(d.contains("  \"bring a chair\" Times New Roman 12pt underline1 #000000"));
        QVERIFY(d.contains("  \"old\" Times New Roman 12pt strike #000000"));
        QVERIFY(d.contains("  \"Parking is limited.\" Times New Roman 12pt #c00000"));
        QVERIFY(d.contains(QString::fromUtf8("  \"Entrée: 2,50 € – Über «alles» — Привет\" Courier New 10pt #000000")));
        // The style sheet, the document information and the generator are not text.
        QVERIFY(!doc.toPlainText().contains("Normal"));
        QVERIFY(!doc.toPlainText().contains("LibreOffice"));
    }

    // ours-for-lo.rtf is what our writer made of a letter; LibreOffice Writer
    // opened it and saved it again as lo-resaved-ours.rtf. Every format we
    // wrote came back.
    void libreOfficeKeepsWhatWeWrote()
    {
        QTextDocument ours, resaved;
        RtfReader::read(fixture("ours-for-lo.rtf"), &ours);
        RtfReader::read(fixture("lo-resaved-ours.rtf"), &resaved);
        QCOMPARE(describe(resaved), describe(ours));
        QVERIFY(describe(ours).contains("  \"Red text.\" Times New Roman 12pt #c80000"));
        QVERIFY(describe(ours).contains("P justify left=56.7333 right=0 first=28.3333"));
    }

    // Made by LibreOffice Writer 7.4 from lo-lists.source.html, as
    // lo-made-letter.rtf was: a bulleted and a numbered list, a highlighted
    // word and a picture.
    void readsListsHighlightingAndPicturesFromLibreOffice()
    {
        QTextDocument doc;
        bool droppedPictures = false;
        RtfReader::read(fixture("lo-lists.rtf"), &doc, &droppedPictures);
        // The bullets and numbers are the lists' own, not characters of the text.
        QCOMPARE(blockTexts(doc), (QStringList{"Please bring:", "a chair", "a cake for the stall",
                                               "The day runs so:", "Opening", "Tea", "Prizes",
                                               "Map:  see you there."}));
        const QStringList d = describe(doc);
        const QString item = QStringLiteral("P left left=47.2667 right=0 first=0 ");
        QVERIFY2(d.contains(item + "disc item 1"), qPrintable(d.join('\n')));
        QVERIFY(d.contains(item + "disc item 2"));
        QVERIFY(d.contains(item + "decimal item 1 \"1.\""));
        QVERIFY(d.contains(item + "decimal item 3 \"3.\""));
        QVERIFY(d.contains("  \"cake\" Times New Roman 12pt #000000 on #ffff00"));
        QVERIFY(!doc.findBlockByNumber(0).textList());
        QVERIFY(!doc.findBlockByNumber(3).textList());
        QCOMPARE(doc.findBlockByNumber(1).textList(), doc.findBlockByNumber(2).textList());
        QCOMPARE(doc.findBlockByNumber(4).textList(), doc.findBlockByNumber(6).textList());
        QVERIFY(droppedPictures);

        RtfReader::read(fixture("lo-made-letter.rtf"), &doc, &droppedPictures);
        QVERIFY(!droppedPictures);
    }

    void olderListsAndHighlighting_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QStringList>("look");
        // WordPad and Word 95 number paragraphs with \pn and spell the bullet out in \pntext.
        QTest::newRow("pn bullets")
            << QByteArray("{\\rtf1{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnindent0{\\pntxtb\\'b7}}"
                          "\\fi-360\\li720 one\\par{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb"
                          "\\'b7}}\\fi-360\\li720 two\\par\\pard after}")
            << QStringList{"P left left=48 right=0 first=0 disc item 1",
                           "  \"one\" Times New Roman 12pt",
                           "P left left=48 right=0 first=0 disc item 2",
                           "  \"two\" Times New Roman 12pt",
                           "P left left=0 right=0 first=0",
                           "  \"after\" Times New Roman 12pt"};
        QTest::newRow("pn numbers")
            << QByteArray("{\\rtf1{\\pntext 1.\\tab}{\\*\\pn\\pnlvlbody\\pndec}\\li360 one\\par}")
            << QStringList{"P left left=24 right=0 first=0 decimal item 1 \"1.\"",
                           "  \"one\" Times New Roman 12pt"};
        QTest::newRow("listtext without a list stays text")
            << QByteArray("{\\rtf1{\\listtext -\\tab}one}")
            << QStringList{"P left left=0 right=0 first=0", "  \"-\tone\" Times New Roman 12pt"};
        QTest::newRow("Word's highlight")
            << QByteArray("{\\rtf1{\\colortbl;\\red0\\green255\\blue0;}a {\\highlight1 b} c}")
            << QStringList{"P left left=0 right=0 first=0", "  \"a \" Times New Roman 12pt",
                           "  \"b\" Times New Roman 12pt on #00ff00",
                           "  \" c\" Times New Roman 12pt"};
    }
    void olderListsAndHighlighting()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QStringList, look);
        QTextDocument doc;
        doc.setDefaultFont(QFont("Times New Roman", 12));
        RtfReader::read(rtf, &doc);
        QCOMPARE(describe(doc), look);
    }

    // Lists and highlighting written and read back; LibreOffice Writer opened
    // ours-lists-for-lo.rtf (what our writer made of this letter) and saved it
    // again as lo-resaved-lists.rtf: it kept them as lists and highlighting.
    void listsAndHighlightingRoundTrip()
    {
        QTextDocument doc;
        QTextCursor c(&doc);
        const QTextCharFormat plain = charFormat("Times New Roman", 12);
        c.insertText("Bring:", plain);
        QTextBlockFormat item;
        item.setLeftMargin(48);
        c.insertBlock(item);
        QTextListFormat bullets;
        bullets.setStyle(QTextListFormat::ListDisc);
        bullets.setIndent(0);
        c.createList(bullets);
        c.insertText("a chair", plain);
        c.insertBlock();
        QTextCharFormat marked = plain;
        marked.setBackground(QColor(255, 255, 0));
        c.insertText("a cake", marked);
        c.insertBlock(QTextBlockFormat());
        c.insertText("Then:", plain);
        c.insertBlock(item);
        QTextListFormat numbers;
        numbers.setStyle(QTextListFormat::ListDecimal);
        numbers.setIndent(0);
        c.createList(numbers);
        c.insertText("Opening", plain);
        c.insertBlock();
        c.insertText("Tea", plain);

        const QByteArray rtf = RtfWriter::write(doc);
        if (qEnvironmentVariableIsSet("VARNEL_UPDATE_GOLDEN"))
            writeFile(QStringLiteral(VARNEL_TEST_DATA "/rtf/ours-lists-for-lo.rtf"), rtf);
        QVERIFY(rtf.contains("\\listtable"));
        QVERIFY(rtf.contains("\\highlight"));
        QTextDocument read;
        RtfReader::read(rtf, &read);
        QCOMPARE(describe(read), describe(doc));
        QCOMPARE(RtfWriter::write(read), rtf);

        QTextDocument ours, resaved;
        RtfReader::read(fixture("ours-lists-for-lo.rtf"), &ours);
        QCOMPARE(describe(ours), describe(doc));
        RtfReader::read(fixture("lo-resaved-lists.rtf"), &resaved);
        const QStringList look = describe(resaved);
        QVERIFY2(look.contains("P left left=48 right=0 first=0 disc item 2"),
                 qPrintable(look.join('\n')));
        QVERIFY(look.contains("P left left=48 right=0 first=0 decimal item 2 \"2.\""));
        QVERIFY(look.contains("  \"a cake\" Times New Roman 12pt on #ffff00") ||
                look.contains("  \"a cake\" Times New Roman 12pt #000000 on #ffff00"));
    }

    // The writer's output for the test letter, kept as a golden file: a change
    // in what we write shows up line by line. Run with VARNEL_UPDATE_GOLDEN=1
    // to accept a deliberate change.
    void goldenLetterRoundTrip()
    {
        QTextDocument letter;
        buildLetter(&letter);
        const QByteArray written = RtfWriter::write(letter);
        const QString golden = QStringLiteral(VARNEL_TEST_DATA "/rtf/golden-letter.rtf");
        const QString goldenLook = QStringLiteral(VARNEL_TEST_DATA "/rtf/golden-letter.txt");
        if (qEnvironmentVariableIsSet("VARNEL_UPDATE_GOLDEN")) {
            writeFile(golden, written);
            writeFile(goldenLook, describe(letter).join('\n').toUtf8() + '\n');
        }
        const QList<QByteArray> expected = fileBytes(golden).split('\n');
        const QList<QByteArray> actual = written.split('\n');
        for (int i = 0; i < qMin(expected.size(), actual.size()); ++i)
            QCOMPARE(actual.at(i), expected.at(i));
        QCOMPARE(actual.size(), expected.size());

        // Read back, the golden file gives the letter's formatting.
        QTextDocument read;
        RtfReader::read(fileBytes(golden), &read);
        const QStringList look = QString::fromUtf8(fileBytes(goldenLook)).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(describe(read), look);
        QCOMPARE(describe(letter), look);
    }

    void readsConstructs_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QStringList>("blocks");
        QTest::newRow("trailing par ends the last paragraph")
            << QByteArray("{\\rtf1 a\\par}") << QStringList{"a"};
        QTest::newRow("two pars leave an empty paragraph")
            << QByteArray("{\\rtf1 a\\par\\par}") << QStringList{"a", ""};
        QTest::newRow("last paragraph without par")
            << QByteArray("{\\rtf1 a\\par b}") << QStringList{"a", "b"};
        QTest::newRow("backslash newline is a par")
            << QByteArray("{\\rtf1 a\\\nb}") << QStringList{"a", "b"};
        QTest::newRow("raw line breaks are no text")
            << QByteArray("{\\rtf1 a\r\nb\nc}") << QStringList{"abc"};
        QTest::newRow("unknown control words ignored")
            << QByteArray("{\\rtf1 \\foo12 a\\bar-3 b\\baz c}") << QStringList{"abc"};
        QTest::newRow("unknown ignorable destination skipped")
            << QByteArray("{\\rtf1 a{\\*\\unknown {nested} text}b}") << QStringList{"ab"};
        QTest::newRow("uc0") << QByteArray("{\\rtf1 {\\uc0 a\\u233 b}}")
                             << QStringList{QString::fromUtf8("aéb")};
        QTest::newRow("uc2 skips two fallbacks") << QByteArray("{\\rtf1\\uc2\\u20013\\'d6\\'d0 x}")
                                                 << QStringList{QString::fromUtf8("中 x")};
        QTest::newRow("uc is scoped by groups")
            << QByteArray("{\\rtf1 {\\uc2 x}\\u233?y}") << QStringList{QString::fromUtf8("xéy")};
        QTest::newRow("skip stops at a brace")
            << QByteArray("{\\rtf1\\uc3 {\\u233}z}") << QStringList{QString::fromUtf8("éz")};
        QTest::newRow("fallback may be a control word")
            << QByteArray("{\\rtf1 \\u8212\\emdash x}") << QStringList{QString::fromUtf8("—x")};
        QTest::newRow("negative u and surrogates")
            << QByteArray("{\\rtf1 \\u-10179?\\u-8704?\\u55357?\\u56832?}")
            << QStringList{QString::fromUtf8("\xF0\x9F\x98\x80\xF0\x9F\x98\x80")};
        QTest::newRow("lone surrogate replaced") << QByteArray("{\\rtf1 a\\u55357?b}")
                                                 << QStringList{QString::fromUtf8("a\xEF\xBF\xBD"
                                                                                  "b")};
        QTest::newRow("ansicpg1251") << QByteArray("{\\rtf1\\ansi\\ansicpg1251 \\'cf\\'f0}")
                                     << QStringList{QString::fromUtf8("Пр")};
        QTest::newRow("default code page 1252")
            << QByteArray("{\\rtf1 \\'80\\'93x\\'94}") << QStringList{QString::fromUtf8("€“x”")};
        QTest::newRow("shift-jis bytes of one look decode together")
            << QByteArray(
                   "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fcharset128 MS Mincho;}}"
                   "\\'93\\'fa\\'96{\\'7b}}")
            << QStringList{QString::fromUtf8("日本")};
        QTest::newRow("shift-jis with literal trail byte")
            << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'83A}")
            << QStringList{QString::fromUtf8("ア")};
        QTest::newRow("field result")
            << QByteArray("{\\rtf1 see {\\field{\\*\\fldinst HYPERLINK \"http://x\"}{\\fldrslt "
                          "link}} now}")
            << QStringList{"see link now"};
        QTest::newRow("field instruction without star")
            << QByteArray("{\\rtf1 {\\field{\\fldinst PAGE}{\\fldrslt 3}}}") << QStringList{"3"};
        QTest::newRow("table")
            << QByteArray("{\\rtf1 \\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row"
                          "\\trowd\\cellx1000\\cellx2000\\pard\\intbl\\cell C\\cell\\row\\pard "
                          "after\\par}")
            << QStringList{"A\tB", "\tC", "after"};
        QTest::newRow("binary data skipped")
            << QByteArray("{\\rtf1 a{\\*\\blob\\bin4 {}\\\\}b}") << QStringList{"ab"};
        QTest::newRow("binary picture")
            << QByteArray("{\\rtf1 a{\\pict\\wmetafile8\\bin3 x}y}b}") << QStringList{"ab"};
        QTest::newRow("stylesheet, info, header, footer skipped")
            << QByteArray("{\\rtf1{\\stylesheet{\\s1 Heading;}}{\\info{\\title T}}"
                          "{\\header H\\par}{\\footer F\\par}{\\footnote N}body}")
            << QStringList{"body"};
        QTest::newRow("hidden text")
            << QByteArray("{\\rtf1 a\\v hidden\\v0 b}") << QStringList{"ab"};
        QTest::newRow("specials")
            << QByteArray("{\\rtf1 \\lquote a\\rquote \\ldblquote b\\rdblquote \\bullet\\tab "
                          "c\\line d\\~e\\-f\\_g}")
            << QStringList{QString::fromUtf8("‘a’“b”•\tc\u2028d\u00A0e\u00ADf\u2011g")};
        QTest::newRow("old-style font table")
            << QByteArray("{\\rtf1{\\fonttbl\\f0\\fswiss Arial;\\f1\\froman Times;}\\f1 x}")
            << QStringList{"x"};
        QTest::newRow("escaped braces and backslash")
            << QByteArray("{\\rtf1 \\{a\\}\\\\}") << QStringList{"{a}\\"};
        QTest::newRow("trailing NULs and blanks")
            << QByteArray("{\\rtf1 a}\r\n\0\0 ", 15) << QStringList{"a"};
    }
    void readsConstructs()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QStringList, blocks);
        QTextDocument doc;
        try {
            RtfReader::read(rtf, &doc);
        } catch (const RtfError &e) {
            QFAIL(qPrintable(e.message()));
        }
        QCOMPARE(blockTexts(doc), blocks);
    }

    void characterFormatting()
    {
        QTextDocument doc;
        RtfReader::read(
            "{\\rtf1\\deff1{\\fonttbl{\\f0 Arial;}{\\f1 Times New Roman;}}"
            "{\\colortbl;\\red255\\green0\\blue0;}"
            "a\\b b\\i i\\ul u\\strike s\\cf1 c\\fs40 f\\plain p{\\b g}h\\b1 x\\b0 y\\ul1 z\\ul0 w"
            "\\uld d\\ulnone n\\f0 A\\f T\\super 2\\nosupersub\\sub 3}",
            &doc);
        const QStringList d = describe(doc);
        QCOMPARE(d, (QStringList{
                        "P left left=0 right=0 first=0",
                        "  \"a\" Times New Roman 12pt",
                        "  \"b\" Times New Roman 12pt bold",
                        "  \"i\" Times New Roman 12pt bold italic",
                        "  \"u\" Times New Roman 12pt bold italic underline1",
                        "  \"s\" Times New Roman 12pt bold italic underline1 strike",
                        "  \"c\" Times New Roman 12pt bold italic underline1 strike #ff0000",
                        "  \"f\" Times New Roman 20pt bold italic underline1 strike #ff0000",
                        "  \"p\" Times New Roman 12pt",
                        "  \"g\" Times New Roman 12pt bold",
                        "  \"h\" Times New Roman 12pt",
                        "  \"x\" Times New Roman 12pt bold",
                        "  \"y\" Times New Roman 12pt",
                        "  \"z\" Times New Roman 12pt underline1",
                        "  \"w\" Times New Roman 12pt",
                        QStringLiteral("  \"d\" Times New Roman 12pt underline%1")
                            .arg(int(QTextCharFormat::DotLine)),
                        "  \"n\" Times New Roman 12pt",
                        "  \"AT\" Arial 12pt",
                        "  \"2\" Arial 12pt super",
                        "  \"3\" Arial 12pt",
                    }));
        // \f without a number is \f0; the subscript shows as such.
        QTextCursor c(doc.lastBlock());
        c.movePosition(QTextCursor::EndOfBlock);
        QCOMPARE(c.charFormat().verticalAlignment(), QTextCharFormat::AlignSubScript);
    }

    void paragraphFormatting()
    {
        QTextDocument doc;
        RtfReader::read(
            "{\\rtf1 \\qc a\\par \\qr b\\par \\qj\\li1440\\ri720\\fi-360\\sb120\\sa240 c\\par"
            "\\pard d\\par {\\ql\\li300 e\\par}}",
            &doc);
        const QStringList d = describe(doc);
        QCOMPARE(d.filter(QLatin1String("P ")),
                 (QStringList{"P centre left=0 right=0 first=0", "P right left=0 right=0 first=0",
                              "P justify left=96 right=48 first=-24",
                              "P left left=0 right=0 first=0", "P left left=20 right=0 first=0"}));
        QCOMPARE(doc.findBlockByNumber(2).blockFormat().topMargin(), 8.0);
        QCOMPARE(doc.findBlockByNumber(2).blockFormat().bottomMargin(), 16.0);
    }

    // ---- errors --------------------------------------------------------------

    void errors_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << QByteArray() << qsizetype(0) << "does not begin with \"{\\rtf\"";
        QTest::newRow("plain text") << QByteArray("Hello") << qsizetype(0) << "does not begin";
        QTest::newRow("leading blank")
            << QByteArray(" {\\rtf1 a}") << qsizetype(0) << "does not begin";
        QTest::newRow("not rtf word") << QByteArray("{\\rtfx a}") << qsizetype(1) << "not \\rtf";
        QTest::newRow("truncated")
            << QByteArray("{\\rtf1 Hello") << qsizetype(12) << "ends with 1 group still open";
        QTest::newRow("truncated in group") << QByteArray("{\\rtf1 {\\b x}{\\i y") << qsizetype(18)
                                            << "ends with 2 groups still open";
        QTest::newRow("extra close")
            << QByteArray("{\\rtf1 a}}") << qsizetype(9) << "'}' after the end of the document";
        QTest::newRow("close inside") << QByteArray("{\\rtf1 a}b}") << qsizetype(10) << "'}' after";
        QTest::newRow("second document")
            << QByteArray("{\\rtf1 a}{\\rtf1 b}") << qsizetype(9) << "'{' after";
        QTest::newRow("backslash at end")
            << QByteArray("{\\rtf1 a\\") << qsizetype(8) << "ends after a backslash";
        QTest::newRow("cut hex") << QByteArray("{\\rtf1 \\'4") << qsizetype(7)
                                 << "inside a \\' escape";
        QTest::newRow("bad hex") << QByteArray("{\\rtf1 \\'zz}") << qsizetype(7)
                                 << "two hexadecimal digits";
        QTest::newRow("bin too long") << QByteArray("{\\rtf1 {\\*\\x \\bin100 ab}}")
                                      << qsizetype(13) << "\\bin100 runs past the end";
        QTest::newRow("too deep") << (QByteArray("{\\rtf1 ") + QByteArray(5000, '{'))
                                  << qsizetype(4102) << "nested more than 4096 deep";
    }
    void errors()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(qsizetype, offset);
        QFETCH(QString, reason);
        QTextDocument doc;
        doc.setPlainText("kept");
        try {
            RtfReader::read(rtf, &doc);
            QFAIL("no error");
        } catch (const RtfError &e) {
            QCOMPARE(e.offset(), offset);
            QVERIFY2(e.reason().contains(reason), qPrintable(e.message()));
            QVERIFY2(e.message().startsWith(
                         QStringLiteral("Invalid RTF at byte offset %1: ").arg(offset)),
                     qPrintable(e.message()));
            // The error is the program's one error type.
            const VarnelError &base = e;
            QCOMPARE(base.message(), e.message());
        }
        QCOMPARE(doc.toPlainText(), QString("kept"));
    }

    // ---- the reading rule: RTF, else plain text --------------------------------

    void plainTextFallback_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("blocks");
        QTest::newRow("utf-8") << QByteArray("Gr\xC3\xBC\xC3\x9F"
                                             "e\r\nZeile 2\n\xE2\x82\xAC \xF0\x9F\x98\x80")
                               << QStringList{QString::fromUtf8("Grüße"), "Zeile 2",
                                              QString::fromUtf8("€ \xF0\x9F\x98\x80")};
        QTest::newRow("utf-8 with bom")
            << QByteArray("\xEF\xBB\xBFk\xC3\xB6ln") << QStringList{QString::fromUtf8("köln")};
        QTest::newRow("windows-1252") << QByteArray("Gr\xFC\xDF"
                                                    "e \x80 \x93q\x94\rnext")
                                      << QStringList{QString::fromUtf8("Grüße € “q”"), "next"};
        QTest::newRow("utf-16le") << QByteArray("\xFF\xFEh\0i\0", 6) << QStringList{"hi"};
        QTest::newRow("truncated rtf shows its markup")
            << QByteArray("{\\rtf1 unterminated") << QStringList{"{\\rtf1 unterminated"};
        QTest::newRow("unbalanced rtf shows its markup")
            << QByteArray("{\\rtf1 a}}") << QStringList{"{\\rtf1 a}}"};
        QTest::newRow("empty file") << QByteArray() << QStringList{""};
        QTest::newRow("rtf") << QByteArray("{\\rtf1 \\b rich\\par}") << QStringList{"rich"};
    }
    void plainTextFallback()
    {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, blocks);
        QTextDocument doc;
        doc.setPlainText("old\nold");
        RichTextFile::loadBytes(data, &doc);
        QCOMPARE(blockTexts(doc), blocks);
    }

    void binaryIsNoText()
    {
        QTextDocument doc;
        doc.setPlainText("kept");
        QString message;
        try {
            RichTextFile::loadBytes(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), &doc);
        } catch (const VarnelError &e) {
            message = e.message();
        }
        QCOMPARE(message, QString("Failed to Load Stream"));
        QCOMPARE(doc.toPlainText(), QString("kept"));
    }

    // ---- files ------------------------------------------------------------------

    void saveAndLoad()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QTextDocument doc;
        buildLetter(&doc);
        // The extension does not matter: a .txt receives RTF.
        const QString path = dir.filePath("letter.txt");
        RichTextFile::save(path, doc);
        QCOMPARE(fileBytes(path), RtfWriter::write(doc));
        QTextDocument read;
        RichTextFile::load(path, &read);
        QCOMPARE(describe(read), describe(doc));

        // Saving again replaces the file without a trace of the old one.
        QTextDocument other;
        other.setPlainText("short");
        RichTextFile::save(path, other);
        RichTextFile::load(path, &read);
        QCOMPARE(read.toPlainText(), QString("short"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"letter.txt"});
    }

    void plainTextFileLoads()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.rtf");
        writeFile(path, "line one\r\nline two\xFC\r\n");
        QTextDocument doc;
        RichTextFile::load(path, &doc);
        QCOMPARE(blockTexts(doc), (QStringList{"line one", QString::fromUtf8("line twoü"), ""}));
    }

    void loadErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.rtf"
                                 << "Cannot open file %1/missing.rtf";
        QTest::newRow("missing folder") << "nowhere/x.txt"
                                        << "Cannot open file %1/nowhere/x.txt";
        QTest::newRow("a folder") << "folder"
                                  << "Cannot open file %1/folder";
        QTest::newRow("binary") << "binary.dat"
                                << "Failed to Load Stream";
    }
    void loadErrors()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        writeFile(dir.filePath("binary.dat"), QByteArray("\0\1\2", 3));
        QTextDocument doc;
        doc.setPlainText("kept");
        QString raised;
        try {
            RichTextFile::load(dir.filePath(name), &doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, message.contains("%1") ? message.arg(dir.path()) : message);
        QCOMPARE(doc.toPlainText(), QString("kept"));
    }

    void relativePathIsReportedInFull()
    {
        QTemporaryDir dir;
        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QString raised;
        QTextDocument doc;
        try {
            RichTextFile::load("gone.txt", &doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        QDir::setCurrent(saved);
        QCOMPARE(raised, QStringLiteral("Cannot open file %1/gone.txt").arg(dir.path()));
    }

    void saveErrors_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing folder") << "nowhere/letter.rtf";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("below a file") << "earlier.rtf/letter.rtf";
    }
    void saveErrors()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("folder"));
        writeFile(dir.filePath("earlier.rtf"), "earlier");
        QTextDocument doc;
        doc.setPlainText("new text");
        QString raised;
        try {
            RichTextFile::save(dir.filePath(name), doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, QStringLiteral("Cannot create file %1").arg(dir.filePath(name)));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 (QStringList{"earlier.rtf", "folder"}));
        QCOMPARE(QDir(dir.filePath("folder")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList());
        QCOMPARE(fileBytes(dir.filePath("earlier.rtf")), QByteArray("earlier"));
    }

    void readOnlyFolder()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders; the other save tests cover the rule");
        QTemporaryDir dir;
        const QString path = dir.filePath("letter.rtf");
        writeFile(path, "earlier");
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QTextDocument doc;
        doc.setPlainText("new");
        QString raised;
        try {
            RichTextFile::save(path, doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(raised, QStringLiteral("Cannot create file %1").arg(path));
        QCOMPARE(fileBytes(path), QByteArray("earlier"));
    }

    void readOnlyFile()
    {
        if (geteuid() == 0)
            QSKIP("root writes over read-only files");
        QTemporaryDir dir;
        const QString path = dir.filePath("letter.rtf");
        writeFile(path, "earlier");
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner));
        QTextDocument doc;
        doc.setPlainText("new");
        QString raised;
        try {
            RichTextFile::save(path, doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        QCOMPARE(raised, QStringLiteral("Cannot create file %1").arg(path));
        QCOMPARE(fileBytes(path), QByteArray("earlier"));
    }

    void failedWriteLeavesTheEarlierFile()
    {
        // A file size limit makes the write itself fail, even for root.
        QTemporaryDir dir;
        const QString path = dir.filePath("letter.rtf");
        const QByteArray earlier("{\\rtf1 earlier letter\\par}");
        writeFile(path, earlier);
        QTextDocument doc;
        buildLetter(&doc);

        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString raised;
        try {
            RichTextFile::save(path, doc);
        } catch (const VarnelError &e) {
            raised = e.message();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);

        QCOMPARE(raised, QString("Failed to Save Stream"));
        QCOMPARE(fileBytes(path), earlier);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"letter.rtf"});
    }

    // ---- robustness -------------------------------------------------------------

    void survivesTruncationAndMutation()
    {
        const QList<QByteArray> sources{fixture("libreoffice.rtf"), fixture("word.rtf"),
                                        fixture("wordpad.rtf")};
        QRandomGenerator rng(20240305);
        QElapsedTimer timer;
        timer.start();
        int accepted = 0;
        int rejected = 0;
        const auto tryRead = [&](const QByteArray &data) {
            QTextDocument doc;
            try {
                RtfReader::read(data, &doc);
            } catch (const RtfError &) {
                ++rejected;
                return;
            }
            ++accepted;
            // Whatever was read is written as RTF that reads again.
            QTextDocument again;
            RtfReader::read(RtfWriter::write(doc), &again);
            QCOMPARE(again.toPlainText(), doc.toPlainText());
        };
        for (const QByteArray &source : sources) {
            for (qsizetype n = 0; n <= source.size(); n += 7)
                tryRead(source.left(n));
            static const char tokens[] = "{}\\'*;0-9 ab\0\xff";
            for (int i = 0; i < 1500; ++i) {
                QByteArray m = source;
                const int edits = 1 + rng.bounded(4);
                for (int e = 0; e < edits && !m.isEmpty(); ++e) {
                    const qsizetype at = rng.bounded(int(m.size()));
                    switch (rng.bounded(4)) {
                    case 0:
                        m[at] = tokens[rng.bounded(int(sizeof tokens - 1))];
                        break;
                    case 1:
                        m.insert(at, tokens[rng.bounded(int(sizeof tokens - 1))]);
                        break;
                    case 2:
                        m.remove(at, rng.bounded(1, 40));
                        break;
                    default:
                        m.insert(at, m.mid(rng.bounded(int(m.size())), rng.bounded(1, 60)));
                        break;
                    }
                }
                tryRead(m);
            }
        }
        QVERIFY(accepted > 0);
        QVERIFY(rejected > 0);
        QVERIFY2(timer.elapsed() < 60000, "the reader is far too slow");
    }
};

QTEST_MAIN(tst_rtf)
#include "tst_rtf.moc"
