#include "TestSupport.h"

#include "widgets/ClickPanel.h"
#include "app/HomeGrid.h"
#include "app/Options.h"
#include "app/SplashBox.h"
#include "reports/Report.h"
#include "reports/RpPreview.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextDocumentFragment>
#include <QtTest>

namespace {

QString manualSource()
{
    QFile f(QStringLiteral(VARNEL_TEST_DATA "/../../resources/manual/Manual.html"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The manual marks what it quotes from the screen: <b class="ui"> for a menu,
// command or button caption, <i class="title"> for a window's title.
QStringList marked(const QString &html, const QString &tag, const QString &cls)
{
    QStringList out;
    const QRegularExpression re(QStringLiteral("<%1 class=\"%2\">(.*?)</%1>").arg(tag, cls),
                                QRegularExpression::DotMatchesEverythingOption);
    for (auto it = re.globalMatch(html); it.hasNext();)
        out << QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText().simplified();
    return out;
}

// A caption as the screen shows it: without its access-key marker ("&&" is a
// shown "&"), without the key text after a tab, without outer blanks.
QString shown(const QString &caption)
{
    QString s = caption.section(QLatin1Char('\t'), 0, 0);
    s.replace(QLatin1String("&&"), QString(QChar(0xE000)));
    s.remove(QLatin1Char('&'));
    s.replace(QChar(0xE000), QLatin1Char('&'));
    return s.simplified();
}

} // namespace

class tst_manual : public QObject
{
    Q_OBJECT
private slots:
    // Every caption and window title the manual names is on the screen with
    // that text, and the manual prints no access-key markers.
    void theManualNamesWhatTheProgramShows()
    {
        const QString html = manualSource();
        QVERIFY(!html.isEmpty());
        const QStringList captions = marked(html, QStringLiteral("b"), QStringLiteral("ui"));
        const QStringList titles = marked(html, QStringLiteral("i"), QStringLiteral("title"));
        QVERIFY(captions.size() > 80);
        QVERIFY(titles.size() >= 5);
        QVERIFY2(!html.contains(QRegularExpression(QStringLiteral("&amp;[A-Za-z]"))),
                 "an access-key marker in the manual's text");

        RunningProgram program;
        // Windows that exist only while they are on show.
        TfmStartOptions options(program.mainWindow());
        TRpStandardPreview preview(nullptr);
        const QPointer<TfmSplash> about = new TfmSplash; // the about box, with its Credits

        QSet<QString> onScreen, windowTitles;
        for (QWidget *w : QApplication::allWidgets()) {
            if (w->isWindow())
                windowTitles << w->windowTitle();
            if (auto *b = qobject_cast<QAbstractButton *>(w))
                onScreen << shown(b->text());
            if (auto *g = qobject_cast<QGroupBox *>(w))
                onScreen << shown(g->title());
            if (auto *t = qobject_cast<QTabWidget *>(w))
                for (int i = 0; i < t->count(); ++i)
                    onScreen << shown(t->tabText(i));
            if (auto *p = qobject_cast<ClickPanel *>(w))
                onScreen << shown(p->text());
            if (auto *m = qobject_cast<QMenu *>(w))
                onScreen << shown(m->title());
            const QList<QAction *> actions = w->findChildren<QAction *>() + w->actions();
            for (QAction *a : actions)
                onScreen << shown(a->text()) << shown(a->iconText());
        }
        for (const QString &caption : captions) {
            QVERIFY2(onScreen.contains(caption), qPrintable("not on screen: " + caption));
        }
        for (const QString &title : titles)
            QVERIFY2(windowTitles.contains(title), qPrintable("no such window: " + title));
        delete about.data();
    }

    // No heading of the built guide is the last thing on its page.
    void noHeadingEndsAPage()
    {
        const QString pdf = QStringLiteral(VARNEL_PROGRAM_DIR "/Manual.pdf");
        int pages = 0;
        const QList<PdfWord> words = pdfWords(pdf, nullptr, &pages);
        if (words.isEmpty())
            QSKIP("pdftotext is not installed");
        QVERIFY(pages > 3);
        const QRegularExpression h2(QStringLiteral("<h2>(.*?)</h2>"));
        int found = 0;
        for (auto it = h2.globalMatch(manualSource()); it.hasNext();) {
            const QString heading =
                QTextDocumentFragment::fromHtml(it.next().captured(1)).toPlainText().simplified();
            const QString first = heading.section(QLatin1Char(' '), 0, 0);
            for (int i = 0; i < words.size(); ++i) {
                const PdfWord &w = words.at(i);
                // The heading's line: its words in a row, on one baseline.
                QStringList line;
                for (int j = i; j < words.size() && words.at(j).page == w.page &&
                                qAbs(words.at(j).yMax - w.yMax) < 1;
                     ++j)
                    line << words.at(j).text;
                if (w.text != first || line.join(QLatin1Char(' ')) != heading)
                    continue;
                ++found;
                bool textBelow = false;
                for (const PdfWord &o : words)
                    textBelow = textBelow || (o.page == w.page && o.yMin > w.yMax + 1 &&
                                              !o.text.contains(QRegularExpression("^\\d+$")));
                QVERIFY2(textBelow, qPrintable("heading alone at the foot of page " +
                                               QString::number(w.page) + ": " + heading));
            }
        }
        QVERIFY(found >= 12);
    }
};

QTEST_MAIN(tst_manual)
#include "tst_manual.moc"
