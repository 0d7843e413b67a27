// The program killed at any moment while it saves: a child process saves
// records, the settings file, the county list and a letter in a loop and is
// killed at random moments. Whatever it said was done must be there, the book
// must stay sound, and each file must be its old or its new version.
#include "platform/IniFile.h"
#include "browse/CountyListFile.h"
#include "mailmerge/rtf/RichTextFile.h"
#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sqlite3.h>

namespace {

QString bookIn(const QString &dir)
{
    return dir + "/Book.vdf";
}
QString iniIn(const QString &dir)
{
    return dir + "/VarnIni.ini";
}
QString countiesIn(const QString &dir)
{
    return dir + "/ListFile.txt";
}
QString letterIn(const QString &dir)
{
    return dir + "/Letter.rtf";
}

QStringList countiesFor(int n)
{
    QStringList items;
    for (int i = 0; i < 200; ++i)
        items << QStringLiteral("County %1 of round %2").arg(i, 3, 10, QChar('0')).arg(n);
    return items;
}

QString letterFor(int n)
{
    return QStringLiteral("Dear friend,\nthis is letter %1.\n").arg(n) +
           QString("Lorem ipsum ").repeated(400);
}

// The child: saves round after round and says "done N" after each part of
// round N is written. Never returns; the parent kills it.
[[noreturn]] void saveForever(const QString &dir, int start)
{
    AdoConnection connection;
    connection.setConnectionString(AdoConnection::connectionStringFor(bookIn(dir)));
    AdoQuery query(&connection);
    query.setSql({"SELECT * FROM HomeAd", "ORDER BY Surname"});
    query.open();
    IniFile ini(iniIn(dir));
    for (int n = start;; ++n) {
        query.insert();
        query.setFieldText("Surname", QStringLiteral("Crash%1").arg(n));
        query.setFieldText("Notes", QString("note ").repeated(200));
        query.post();
        query.first();
        query.setFieldText("Flag2", QString::number(n % 100000));
        query.post();
        std::printf("record %d\n", n);
        std::fflush(stdout);
        ini.writeInteger("Crash", "Round", n);
        CountyListFile::write(countiesIn(dir), countiesFor(n));
        QTextDocument doc;
        doc.setPlainText(letterFor(n));
        RichTextFile::save(letterIn(dir), doc);
        std::printf("files %d\n", n);
        std::fflush(stdout);
    }
}

QString shellOut(const QString &path, const QString &sql)
{
    QProcess p;
    p.start("sqlite3", {"-batch", "-init", "/dev/null", path, sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

} // namespace

class tst_crashsafety : public QObject
{
    Q_OBJECT
private slots:
    void killedWhileSavingLeavesOldOrNew()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), bookIn(dir.path())));
        QFile::setPermissions(bookIn(dir.path()), QFile::ReadOwner | QFile::WriteOwner);
        int lastRecord = -1, lastFiles = -1, next = 0;
        QElapsedTimer clock;
        clock.start();
        int kills = 0;
        // Bounded in time, so that a slow machine does fewer rounds, not a
        // longer test.
        while (clock.elapsed() < 45000 && kills < 60) {
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            child.start(QCoreApplication::applicationFilePath(),
                        {"--save-forever", dir.path(), QString::number(next)});
            QVERIFY(child.waitForStarted());
            // Let it get going, then kill it at a random moment.
            QTest::qWait(60 + int(QRandomGenerator::global()->bounded(400)));
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished(10000));
            ++kills;
            const QStringList said =
                QString::fromUtf8(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
            for (const QString &line : said) {
                const int n = line.section(' ', 1).toInt();
                if (line.startsWith("record "))
                    lastRecord = std::max(lastRecord, n);
                else if (line.startsWith("files "))
                    lastFiles = std::max(lastFiles, n);
            }
            next = std::max(lastRecord, lastFiles) + 2;

            const QString book = bookIn(dir.path());
            QCOMPARE(shellOut(book, "PRAGMA integrity_check"), QString("ok"));
            // Every record the child said it saved is there.
            if (lastRecord >= 0) {
                AdoConnection c;
                c.setConnectionString(AdoConnection::connectionStringFor(book));
                const auto rows = c.select("SELECT * FROM HomeAd", {"Surname"}).rows;
                QSet<QString> names;
                for (const auto &r : rows)
                    names << r.values.at(0).toString();
                for (const QString &line : said)
                    if (line.startsWith("record "))
                        QVERIFY2(names.contains("Crash" + line.section(' ', 1)), qPrintable(line));
            }
            if (lastFiles < 0)
                continue;
            // Each file is a whole version: the last one said done, or the
            // one being written when the child died.
            const int round = IniFile(iniIn(dir.path())).readInteger("Crash", "Round", -1);
            auto wholeVersion = [&](int n) { return n >= lastFiles && n <= lastRecord; };
            QVERIFY2(wholeVersion(round), qPrintable(QString::number(round)));
            const QStringList counties = CountyListFile::read(countiesIn(dir.path()));
            QVERIFY(!counties.isEmpty());
            const int countyRound = counties.first().section(' ', -1).toInt();
            QVERIFY(wholeVersion(countyRound));
            QCOMPARE(counties, CountyListFile::sorted(countiesFor(countyRound)));
            QTextDocument letter;
            RichTextFile::load(letterIn(dir.path()), &letter);
            const QString text = letter.toPlainText();
            const int letterRound = text.section("letter ", 1).section('.', 0, 0).toInt();
            QVERIFY(wholeVersion(letterRound));
            QCOMPARE(text.trimmed(), letterFor(letterRound).trimmed());
        }
        qInfo("%d kills; the last round said done: records %d, files %d", kills, lastRecord,
              lastFiles);
        QVERIFY2(kills >= 10, qPrintable(QString::number(kills)));
        QVERIFY2(lastFiles > 0, "the child never finished a round");
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--save-forever") == 0) {
        QApplication app(argc, argv);
        try {
            saveForever(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
        } catch (const VarnelError &e) {
            std::fprintf(stderr, "saver: %s\n", e.what());
            return 1;
        }
    }
    QApplication app(argc, argv);
    tst_crashsafety test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_crashsafety.moc"
