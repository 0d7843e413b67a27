#include "widgets/Pictures.h"

#include <QImageReader>

// Resources in a static library have to be brought in by hand, from outside
// any namespace.
static int initPictures()
{
    Q_INIT_RESOURCE(pictures);
    return 1;
}

static void loadResources()
{
    static const int loaded = initPictures();
    Q_UNUSED(loaded);
}

QPixmap Pictures::banner()
{
    loadResources();
    QImageReader reader(QStringLiteral(":/pictures/banner.jpg"), "jpeg");
    return QPixmap::fromImage(reader.read());
}

QPixmap Pictures::programIconPixmap()
{
    loadResources();
    return QPixmap(QStringLiteral(":/pictures/varnel.png"));
}

QIcon Pictures::programIcon() { return QIcon(programIconPixmap()); }
