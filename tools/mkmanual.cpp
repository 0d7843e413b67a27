// Turns the manual's source (resources/manual/Manual.html) into Manual.pdf.
// The pictures of the windows are taken from the program's own windows,
// made offscreen on a scratch copy of the program folder, so the guide always
// shows the program as it is built.
//   mkmanual SOURCE.html BUILT_PROGRAM_FOLDER OUT.pdf
#include "app/HomeGrid.h"
#include "app/Options.h"
#include "widgets/Pictures.h"
#include "app/SplashBox.h"
#include "app/VarnelApp.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "mailmerge/MailMergeEdit.h"
#include "mailmerge/MailMergeRp.h"
#include "mailmerge/MailMergeSetup.h"
#include "platform/ProgramFolder.h"
#include "platform/ScriptedPlatform.h"
#include "reports/PreparedReport.h"
#include "reports/Report.h"
#include "reports/ReportPainter.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A window of the running program, by name.
QWidget *window(const char *name)
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String(name))
            return w;
    std::fprintf(stderr, "mkmanual: no window %s\n", name);
    std::exit(1);
}

QImage shot(QWidget *w)
{
    w->show();
    QApplication::processEvents();
    return w->grab().toImage();
}

// The three label sheets side by side, as a drawing.
QImage labelSheets()
{
    QImage img(600, 250, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(13);
    p.setFont(f);
    struct Sheet { int cols, rows; const char *name; };
    const Sheet sheets[] = {{3, 7, "21 per A4 sheet"}, {2, 8, "16 per A4 sheet"}, {2, 7, "14 per A4 sheet"}};
    for (int s = 0; s < 3; ++s) {
        const QRectF page(30 + s * 195, 10, 150, 212);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::white);
        p.drawRect(page);
        const double w = (page.width() - 12) / sheets[s].cols, h = (page.height() - 16) / sheets[s].rows;
        p.setBrush(QColor(255, 250, 215));
        p.setPen(QPen(QColor(120, 120, 120), 0.8));
        for (int r = 0; r < sheets[s].rows; ++r)
            for (int c = 0; c < sheets[s].cols; ++c)
                p.drawRoundedRect(QRectF(page.left() + 6 + c * w + 1, page.top() + 8 + r * h + 1, w - 2, h - 2), 3, 3);
        p.setPen(Qt::black);
        p.drawText(QRectF(page.left() - 20, page.bottom() + 4, page.width() + 40, 20), Qt::AlignCenter,
                   QLatin1String(sheets[s].name));
    }
    return img;
}

// A short letter in the editor, with the formatting the guide talks about.
void writeSampleLetter(QTextEdit *edit)
{
    edit->clear();
    QTextCursor c(edit->document());
    QTextCharFormat plain;
    plain.setFontFamilies({QStringLiteral("Liberation Serif")});
    plain.setFontPointSize(12);
    QTextCharFormat bold = plain;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat red = plain;
    red.setForeground(QColor(0xc0, 0, 0));
    QTextCharFormat marked = plain;
    marked.setBackground(QColor(255, 255, 0));
    c.insertText(QStringLiteral("The summer fair opens at "), plain);
    c.insertText(QStringLiteral("ten o'clock"), bold);
    c.insertText(QStringLiteral(" on the village green. "), plain);
    c.insertText(QStringLiteral("Parking is limited."), red);
    QTextBlockFormat item;
    item.setLeftMargin(24);
    c.insertBlock(item);
    QTextListFormat bullets;
    bullets.setStyle(QTextListFormat::ListDisc);
    bullets.setIndent(0);
    c.createList(bullets);
    c.insertText(QStringLiteral("bring a chair"), plain);
    c.insertBlock();
    c.insertText(QStringLiteral("bring a "), plain);
    c.insertText(QStringLiteral("cake"), marked);
    c.insertText(QStringLiteral(" for the stall"), plain);
    QTextBlockFormat indented;
    indented.setLeftMargin(48);
    c.insertBlock(indented);
    c.insertText(QStringLiteral("Yours, the Committee"), plain);
}

// The first merged letter as it prints, drawn small, with the sheet's edge.
QImage mergedLetter()
{
    constexpr qreal pixelsPerMm = 2.2;
    QImage img(qRound(210 * pixelsPerMm) + 2, qRound(297 * pixelsPerMm) + 2, QImage::Format_RGB32);
    img.fill(Qt::white);
    TReport *report = window("fmMailRp")->findChild<TReport *>();
    if (report->run() && report->preparedReport() && !report->preparedReport()->pages.isEmpty()) {
        QPainter p(&img);
        p.translate(1, 1);
        paintPage(report->preparedReport()->pages.first(), p, pixelsPerMm);
    }
    QPainter p(&img);
    p.setPen(QColor(120, 120, 120));
    p.drawRect(img.rect().adjusted(0, 0, -1, -1));
    return img;
}

// Where each block starts, in page numbers from 0.
int pageOf(const QTextDocument &doc, const QTextBlock &block)
{
    const QRectF r = doc.documentLayout()->blockBoundingRect(block);
    qreal top = r.top();
    if (const QTextLayout *l = block.layout(); l && l->lineCount() > 0)
        top += l->lineAt(0).y() + l->lineAt(0).height() - 1;
    return int(std::floor(top / doc.pageSize().height()));
}

// The guide laid out on pages of the given size, with room for the page
// number at the foot of each.
std::unique_ptr<QTextDocument> laidOut(const QTextDocument &source, QPaintDevice *device,
                                       const QSizeF &page, qreal footer)
{
    std::unique_ptr<QTextDocument> doc(source.clone());
    doc->documentLayout()->setPaintDevice(device);
    QTextFrameFormat root = doc->rootFrame()->frameFormat();
    root.setMargin(0);
    root.setBottomMargin(footer);
    doc->rootFrame()->setFrameFormat(root);
    doc->setPageSize(page);
    return doc;
}

// A heading never stands alone at the foot of a page: when what follows it
// starts on the next page, the heading goes there too. Each change moves
// everything after it, so the pages are laid out afresh after each one.
// (Tables repeat their heading row, their <thead>, by themselves.)
void keepHeadingsWithTheirText(QTextDocument &doc, QPaintDevice *device, const QSizeF &page,
                               qreal footer)
{
    for (int pass = 0; pass < 50; ++pass) {
        const auto pages = laidOut(doc, device, page, footer);
        int moveBlock = -1;
        for (QTextBlock b = pages->begin(); b.isValid(); b = b.next()) {
            const QTextBlock next = b.next();
            if (b.blockFormat().headingLevel() == 0 || !next.isValid())
                continue;
            if (pageOf(*pages, next) > pageOf(*pages, b)) {
                moveBlock = b.blockNumber();
                break;
            }
        }
        if (moveBlock < 0)
            return;
        QTextCursor cursor(doc.findBlockByNumber(moveBlock));
        QTextBlockFormat f = cursor.blockFormat();
        f.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
        cursor.setBlockFormat(f);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: mkmanual SOURCE.html PROGRAM_FOLDER OUT.pdf\n");
        return 2;
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir built(QString::fromLocal8Bit(argv[2]));
    const QString out = QString::fromLocal8Bit(argv[3]);

    QFile html(source);
    if (!html.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "mkmanual: cannot read %s\n", argv[1]);
        return 1;
    }

    // The program on a scratch folder, without the start-up greeting.
    QTemporaryDir scratch;
    for (const char *name : {"Varnel.vdf", "NewFile.vdf", "ListFile.txt"})
        QFile::copy(built.filePath(QLatin1String(name)), scratch.filePath(QLatin1String(name)));
    QFile ini(scratch.filePath(QStringLiteral("VarnIni.ini")));
    if (ini.open(QIODevice::WriteOnly))
        ini.write("[Options]\r\nShow Form=0\r\n");
    ini.close();
    ProgramFolder::set(scratch.path());
    // No one is there to answer a dialog during the build: anything the
    // program would ask or report is written out and ends the build step.
    ScriptedPlatform platform;
    auto program = std::make_unique<VarnelApp>();
    QApplication::processEvents();
    if (!platform.dialogs.log.isEmpty()) {
        for (const QString &line : platform.dialogs.log)
            std::fprintf(stderr, "mkmanual: %s\n", qPrintable(line));
        return 1;
    }
    TfmHomeAddMain *mainWindow = program->mainWindow();

    QTextDocument doc;
    auto addPicture = [&doc](const char *name, const QImage &image) {
        doc.addResource(QTextDocument::ImageResource, QUrl(QLatin1String(name)), image);
    };
    addPicture("banner.png", Pictures::banner().toImage());
    addPicture("main.png", mainWindow->grab().toImage());
    {
        TfmStartOptions options(mainWindow);
        addPicture("options.png", shot(&options));
    }
    addPicture("helpnote.png", shot(window("fmHelpMemo")).scaled(300, 230, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto *splash = new TfmSplash;
    addPicture("splash.png", shot(splash));
    addPicture("credits.png", shot(window("fmCredits")));
    addPicture("labels.png", labelSheets());
    addPicture("mailmerge.png", shot(window("fmMailMergeSetup")));
    QWidget *editor = window("fmMailMergeEdit");
    writeSampleLetter(editor->findChild<QTextEdit *>(QStringLiteral("RichEdit1")));
    editor->resize(600, 260);
    addPicture("editor.png", shot(editor));
    addPicture("letter.png", mergedLetter());
    program.reset();

    doc.setHtml(QString::fromUtf8(html.readAll()));
    QFont base(QStringLiteral("Liberation Sans"), 10);
    doc.setDefaultFont(base);

    QPdfWriter pdf(out);
    pdf.setTitle(QStringLiteral("Varnel 3 User's Guide"));
    pdf.setCreator(QStringLiteral("Varnel 3"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 16, 18, 12), QPageLayout::Millimeter);
    pdf.setResolution(96);

    // Laid out page by page here rather than by QTextDocument::print, so that
    // headings can be kept with their text. The foot of each page holds its number.
    const QSizeF page = pdf.pageLayout().paintRectPixels(pdf.resolution()).size();
    constexpr qreal footer = 28;
    keepHeadingsWithTheirText(doc, &pdf, page, footer);
    const auto pages = laidOut(doc, &pdf, page, footer);

    QPainter painter(&pdf);
    QFont numberFont = base;
    numberFont.setPointSize(9);
    for (int i = 0; i < pages->pageCount(); ++i) {
        if (i > 0)
            pdf.newPage();
        painter.save();
        painter.translate(0, -i * page.height());
        pages->drawContents(&painter,
                            QRectF(0, i * page.height(), page.width(), page.height() - footer));
        painter.restore();
        painter.setFont(numberFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, page.height() - footer + 8, page.width(), footer - 8),
                         Qt::AlignRight | Qt::AlignTop, QString::number(i + 1));
    }
    painter.end();
    if (!QFileInfo(out).exists() || QFileInfo(out).size() == 0) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
