// Draws the program's pictures: the start-up banner (JPEG, 189 x 68) and the
// 32 x 32 program icon. Their output is kept in resources/pictures; run this
// again after changing the artwork:
//   QT_QPA_PLATFORM=offscreen mkpictures <source>/resources/pictures
// The build draws the icon at the desktop's other sizes itself:
//   mkpictures --icon SIZE OUT.png
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor paleYellow(255, 255, 225);

QImage banner()
{
    QImage img(189, 68, QImage::Format_RGB32);
    img.fill(paleYellow);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setWeight(QFont::Black);
    f.setPixelSize(44);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 1);
    // Heavy capitals: the glyph outlines filled and stroked once more in black.
    QPainterPath path;
    path.addText(0, 0, f, QStringLiteral("VARNEL"));
    const QRectF box = path.boundingRect();
    const double scale = std::min(171.0 / box.width(), 50.0 / box.height());
    p.translate(189 / 2.0, 68 / 2.0);
    p.scale(scale, scale);
    p.translate(-box.center());
    p.setPen(QPen(Qt::black, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::black);
    p.drawPath(path);
    return img;
}

// Drawn on a 32 x 32 grid and scaled, so every size shows the same book.
QImage icon(int size = 32)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // An address book: a blue cover with index tabs and a white label.
    p.setPen(QPen(QColor(20, 40, 90), 1));
    p.setBrush(QColor(40, 90, 170));
    p.drawRoundedRect(QRectF(4.5, 2.5, 21, 27), 2, 2);
    p.setBrush(QColor(250, 200, 60));
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(25.5, 5.5 + i * 6, 3, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8.5, 8.5, 13, 9));
    QFont f(QStringLiteral("Liberation Sans"));
    f.setBold(true);
    f.setPixelSize(9);
    p.setFont(f);
    p.setPen(Qt::black);
    p.drawText(QRectF(8.5, 8.5, 13, 9), Qt::AlignCenter, QStringLiteral("V3"));
    return img;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--icon") {
        const int size = QByteArray(argv[2]).toInt();
        if (size < 16 || size > 1024 || !icon(size).save(QString::fromLocal8Bit(argv[3]), "PNG")) {
            std::fprintf(stderr, "mkpictures: cannot draw a %s icon into %s\n", argv[2], argv[3]);
            return 1;
        }
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: mkpictures OUTDIR | mkpictures --icon SIZE OUT.png\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]) + '/';
    if (!banner().save(dir + "banner.jpg", "JPEG", 92) || !icon().save(dir + "varnel.png", "PNG")) {
        std::fprintf(stderr, "mkpictures: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
