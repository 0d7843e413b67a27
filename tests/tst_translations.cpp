#include "TestSupport.h"

#include "app/HomeGrid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QtTest>

// The translation template the build makes, against the texts the program
// shows: a text on a window that the template does not hold is one a
// translator could never translate.
namespace {

struct Template
{
    QSet<QString> sources;
    int translated = 0;
    QString error;
};

Template readTemplate()
{
    Template t;
    QFile file(QStringLiteral(VARNEL_TS_TEMPLATE));
    if (!file.open(QIODevice::ReadOnly)) {
        t.error = file.fileName() + ": " + file.errorString();
        return t;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("source")) {
            const QString source = xml.readElementText();
            t.sources << source;
            // A hint in two parts, "short|long", shows either part.
            if (source.contains('|'))
                for (const QString &part : source.split('|'))
                    t.sources << part;
        }
        else if (xml.name() == QLatin1String("translation") && !xml.readElementText().isEmpty())
            ++t.translated;
    }
    if (xml.hasError())
        t.error = xml.errorString();
    return t;
}

// What a user reads on a window and its controls: captions, labels, buttons,
// menu items, group titles and hints.
QStringList shownTexts(QWidget *window)
{
    QStringList texts{window->windowTitle()};
    for (QWidget *w : window->findChildren<QWidget *>()) {
        // Qt's own parts (a menu's scroll arrows, a tool bar's extension) speak for themselves.
        if (w->objectName().startsWith(QLatin1String("qt_")))
            continue;
        texts << w->toolTip();
        if (auto *l = qobject_cast<QLabel *>(w); l && l->textFormat() != Qt::RichText)
            texts << l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            texts << b->text();
        if (auto *g = qobject_cast<QGroupBox *>(w))
            texts << g->title();
        if (auto *m = qobject_cast<QMenu *>(w))
            texts << m->title();
    }
    for (QAction *a : window->findChildren<QAction *>())
        texts << a->text() << a->statusTip();
    return texts;
}

// A text is translatable when the template holds it, holds it before its
// shortcut (" (Ctrl+O)", "\tCtrl+O"), or holds the caption it starts with
// when the rest is the user's data ("File in use:  /home/...", "Today : ...").
bool translatable(const Template &t, const QString &text)
{
    if (t.sources.contains(text))
        return true;
    static const QRegularExpression shortcut(QStringLiteral("( \\([^)]*\\)|\t.*)$"));
    const QString bare = QString(text).remove(shortcut);
    if (bare != text && t.sources.contains(bare))
        return true;
    for (const QString &caption : t.sources)
        if (caption.size() > 3 && (caption.endsWith(' ') || caption.endsWith(':')) && text.startsWith(caption))
            return true;
    return false;
}

} // namespace

class tst_translations : public QObject
{
    Q_OBJECT
private slots:
    void theTemplateIsATemplate()
    {
        const Template t = readTemplate();
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        QVERIFY(t.sources.size() > 300);
        QCOMPARE(t.translated, 0);
    }

    void everyTextOnTheWindowsCanBeTranslated()
    {
        const Template t = readTemplate();
        QVERIFY2(t.error.isEmpty(), qPrintable(t.error));
        RunningProgram program;
        // Texts that are the user's data or the program's own name, not words.
        const QSet<QString> notWords = {QString(), QStringLiteral("Varnel 3"),
                                        QStringLiteral("untitled.txt")};
        QStringList missing;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName().isEmpty())
                continue;
            for (const QString &text : shownTexts(window)) {
                if (notWords.contains(text) || text.size() == 1 || translatable(t, text))
                    continue;
                missing << window->objectName() + ": \"" + text + '"';
            }
        }
        missing.removeDuplicates();
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join('\n')));
    }
};

QTEST_MAIN(tst_translations)
#include "tst_translations.moc"
