// Turns the manual's source (resources/manual/Manual.html) into Manual.pdf.
// The pictures of the windows are taken from the program's own windows,
// made offscreen on a scratch copy of the program folder, so the guide always
// shows the program as it is built.
//   mkmanual SOURCE.html BUILT_PROGRAM_FOLDER OUT.pdf
#include "app/HomeGrid.h"
#include "app/Options.h"
#include "app/Pictures.h"
#include "app/SplashBox.h"
#include "app/VarnelApp.h"
#include "help/Credits.h"
#include "help/HelpMemoBox.h"
#include "platform/ProgramFolder.h"
#include "platform/ScriptedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>
#include <cstdio>

namespace {

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
    VarnelApp::createWindows();
    QApplication::processEvents();
    if (!platform.dialogs.log.isEmpty()) {
        for (const QString &line : platform.dialogs.log)
            std::fprintf(stderr, "mkmanual: %s\n", qPrintable(line));
        VarnelApp::destroyWindows();
        return 1;
    }

    QTextDocument doc;
    auto addPicture = [&doc](const char *name, const QImage &image) {
        doc.addResource(QTextDocument::ImageResource, QUrl(QLatin1String(name)), image);
    };
    addPicture("banner.png", Pictures::banner().toImage());
    addPicture("main.png", fmHomeAddMain->grab().toImage());
    {
        TfmStartOptions options(fmHomeAddMain);
        addPicture("options.png", shot(&options));
    }
    addPicture("helpnote.png", shot(fmHelpMemo).scaled(300, 230, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    auto *splash = new TfmSplash;
    addPicture("splash.png", shot(splash));
    addPicture("credits.png", shot(fmCredits));
    addPicture("labels.png", labelSheets());
    VarnelApp::destroyWindows();

    doc.setHtml(QString::fromUtf8(html.readAll()));
    QFont base(QStringLiteral("Liberation Sans"), 10);
    doc.setDefaultFont(base);

    QPdfWriter pdf(out);
    pdf.setTitle(QStringLiteral("Varnel 3 User's Guide"));
    pdf.setCreator(QStringLiteral("Varnel 3"));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter);
    pdf.setResolution(96);
    doc.print(&pdf);
    if (!QFileInfo(out).exists() || QFileInfo(out).size() == 0) {
        std::fprintf(stderr, "mkmanual: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
