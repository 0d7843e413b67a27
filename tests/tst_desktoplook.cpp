// The windows under a dark desktop palette with the Fusion style: every
// caption, button and the notes box stay readable, and the preview's page
// arrows stand out from their tool bar.
#include "TestSupport.h"
#include "app/HomeGrid.h"
#include "reports/Report.h"
#include "reports/RpPreview.h"
#include "widgets/DarkPalette.h"

#include <QAbstractButton>
#include <QAction>
#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QtTest>
#include <cmath>

namespace {

qreal luminance(QRgb c)
{
    const auto channel = [](int v) {
        const qreal s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(c)) + 0.7152 * channel(qGreen(c)) + 0.0722 * channel(qBlue(c));
}

qreal contrast(QRgb a, QRgb b)
{
    const qreal la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The ground of an area (its commonest colour) and the strongest contrast any
// pixel of it makes with that ground: text or a glyph that can be read
// reaches well above 3 at its core.
struct Ink
{
    QRgb ground = 0;
    qreal strongest = 1;
};

Ink inkOf(const QImage &area)
{
    QHash<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            ++counts[area.pixel(x, y) | 0xff000000u];
    Ink ink;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) {
            most = it.value();
            ink.ground = it.key();
        }
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        ink.strongest = qMax(ink.strongest, contrast(it.key(), ink.ground));
    return ink;
}

// The part of a window's picture that `w` covers.
QImage areaOf(const QImage &window, QWidget *top, QWidget *w)
{
    const QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
    return window.copy(r);
}

} // namespace

class TestDesktopLook : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    }

    void recordCardStaysReadable()
    {
        RunningProgram program;
        auto *main = mainWindow();
        QTest::mouseClick(named<QPushButton>(main, "btnRecCard"), Qt::LeftButton);
        auto *card = topLevel("fmRecCard");
        QVERIFY(card->isVisible());
        const QImage shot = card->grab().toImage();

        int checked = 0;
        for (QLabel *label : card->findChildren<QLabel *>()) {
            if (!label->isVisible() || label->text().trimmed().isEmpty())
                continue;
            const Ink ink = inkOf(areaOf(shot, card, label));
            QVERIFY2(ink.strongest >= 3.0, qPrintable(label->objectName() + " \"" + label->text() + '"'));
            ++checked;
        }
        for (QPushButton *button : card->findChildren<QPushButton *>()) {
            if (!button->isVisible())
                continue;
            const Ink ink = inkOf(areaOf(shot, card, button));
            QVERIFY2(ink.strongest >= 3.0, qPrintable(button->text()));
            ++checked;
        }
        QVERIFY(checked > 10);

        // The notes box is part of the white card: a light ground with its
        // text dark on it, like the fields around it.
        auto *notes = named<QPlainTextEdit>(card, "DBMemo2");
        QVERIFY(!notes->toPlainText().isEmpty());
        const Ink ink = inkOf(areaOf(shot, card, notes->viewport()));
        QVERIFY2(luminance(ink.ground) > 0.8, "the notes box is not light");
        QVERIFY(ink.strongest >= 4.5);
        card->close();
    }

    void previewPageArrowsStandOut()
    {
        RunningProgram program;
        // Measured inside, judged outside: the preview must close whatever
        // the figures are.
        QList<QPair<bool, qreal>> arrows; // enabled, strongest contrast
        int pages = 0;
        inCompletePreview(named<QAction>(mainWindow(), "miPhoneList"), [&](TRpStandardPreview *w) {
            pages = w->pageCount();
            for (const char *name : {"FirstPage", "PreviousPage", "ToolButton2", "LastPage"}) {
                auto *b = w->findChild<QToolButton *>(QLatin1String(name));
                if (b)
                    arrows << qMakePair(b->isEnabled(), inkOf(b->grab().toImage()).strongest);
            }
            w->close();
        });
        QVERIFY(pages >= 2);
        QCOMPARE(arrows.size(), 4);
        QVERIFY(arrows[2].first); // "next" on page 1 of several
        for (const auto &arrow : arrows)
            QVERIFY2(arrow.second >= (arrow.first ? 4.5 : 1.5), qPrintable(QString::number(arrow.second)));
    }
};

QTEST_MAIN(TestDesktopLook)
#include "tst_desktoplook.moc"
