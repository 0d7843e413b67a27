#include "TestSupport.h"
#include "browse/CountyListFile.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

} // namespace

class tst_countylist : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("ListFile.txt"));
        QFile::remove(m_path);
    }

    void listFileIsInTheProgramFolder()
    {
        ProgramFolder::set(m_dir.path());
        QCOMPARE(CountyListFile::path(), m_dir.path() + QStringLiteral("/ListFile.txt"));
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        const QStringList three{"Tyne", "Avon", "berks"};
        QTest::newRow("CR LF, kept in file order") << QByteArray("Tyne\r\nAvon\r\nberks\r\n") << three;
        QTest::newRow("LF") << QByteArray("Tyne\nAvon\nberks\n") << three;
        QTest::newRow("lone CR") << QByteArray("Tyne\rAvon\rberks\r") << three;
        QTest::newRow("mixed") << QByteArray("Tyne\nAvon\r\nberks\r") << three;
        QTest::newRow("last line without ending") << QByteArray("Tyne\r\nAvon\r\nberks") << three;
        QTest::newRow("LF CR is two endings")
            << QByteArray("Tyne\n\rAvon") << QStringList{"Tyne", "", "Avon"};
        QTest::newRow("blank lines are empty entries")
            << QByteArray("\r\nAvon\r\n\r\n") << QStringList{"", "Avon", ""};
        QTest::newRow("one line ending alone") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("nothing trimmed") << QByteArray(" Kent \t\r\n") << QStringList{" Kent \t"};
        QTest::newRow("UTF-8 with BOM")
            << QByteArray("\xEF\xBB\xBFYnys M\xC3\xB4n\r\nAvon\r\n")
            << QStringList{QString::fromUtf8("Ynys M\xC3\xB4n"), "Avon"};
        QTest::newRow("Windows-1252 from an older install")
            << QByteArray("Ynys M\xF4n\r\nCounty \x93X\x94\r\n")
            << QStringList{QString::fromUtf8("Ynys M\xC3\xB4n"),
                           QString::fromUtf8("County \xE2\x80\x9CX\xE2\x80\x9D")};
    }
    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        put(m_path, file);
        QString problem = "<untouched>";
        QCOMPARE(CountyListFile::read(m_path, &problem), items);
        QCOMPARE(problem, QString());
        QVERIFY(CountyListFile::readsWhole(m_path));
    }

    // Nothing is cut short silently: a line that cannot be read is left out
    // and named, and the file counts as not read whole.
    void unreadableLinesAreNamed_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("lines"); // how the message starts; empty: read whole
        auto utf16 = [](const QString &text, bool little) {
            QByteArray bytes = little ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
            for (const QChar c : text) {
                const char hi = char(c.unicode() >> 8), lo = char(c.unicode() & 0xFF);
                bytes.append(little ? lo : hi).append(little ? hi : lo);
            }
            return bytes;
        };
        const QString mon = QString::fromUtf8("Ynys M\xC3\xB4n");
        QTest::newRow("NUL inside a line")
            << QByteArray("Avon\r\nBer\0ks\r\nTyne\r\n", 19) << QStringList{"Avon", "Tyne"}
            << "Line 2 of @ could not be read";
        QTest::newRow("UTF-16 little-endian with BOM")
            << utf16("Tyne\r\n" + mon + "\r\n", true) << QStringList{"Tyne", mon} << "";
        QTest::newRow("UTF-16 big-endian with BOM")
            << utf16("Tyne\n" + mon, false) << QStringList{"Tyne", mon} << "";
        QTest::newRow("UTF-16 without BOM")
            << utf16("Tyne\r\nAvon\r\n", true).mid(2) << QStringList{}
            << "Lines 1, 2, 3, 4 and 5 of @ could not be read"; // NULs end lines too
        QTest::newRow("UTF-16, a broken character")
            << utf16(QStringLiteral("Avon\r\nK") + QChar(0xDC00) + "nt\r\nTyne", true)
            << QStringList{"Avon", "Tyne"} << "Line 2 of @ could not be read";
        QTest::newRow("UTF-16 cut in a character")
            << utf16("Avon\r\nTyne", true).chopped(1) << QStringList{"Avon"}
            << "Line 2 of @ could not be read";
        QTest::newRow("many lines")
            << QByteArray("\0\n", 2).repeated(12) + "Kent" << QStringList{"Kent"}
            << "Lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 and 2 more of @ could not be read";
    }
    void unreadableLinesAreNamed()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        QFETCH(QString, lines);
        put(m_path, file);
        QString problem;
        QCOMPARE(CountyListFile::read(m_path, &problem), items);
        lines.replace('@', m_path);
        QVERIFY2(lines.isEmpty() ? problem.isEmpty() : problem.startsWith(lines),
                 qPrintable(problem));
        QCOMPARE(CountyListFile::readsWhole(m_path), lines.isEmpty());
        QCOMPARE(contents(m_path), file);
    }

    void readsWholeWhenThereIsNoFileOrItCannotBeRead()
    {
        QVERIFY(CountyListFile::readsWhole(m_path)); // nothing there to lose
        QDir(m_dir.path()).mkdir("Folder");
        QVERIFY(!CountyListFile::readsWhole(m_dir.filePath("Folder")));
        QVERIFY(!CountyListFile::readsWhole("/dev/null"));
    }

    void writeSortsIgnoringCaseWithCrLf()
    {
        CountyListFile::write(m_path, {"Tyne", "Avon", "berks", "", "Avon", "avon",
                                       QString::fromUtf8("Ynys M\xC3\xB4n")});
        QCOMPARE(contents(m_path), QByteArray("\r\nAvon\r\nAvon\r\navon\r\nberks\r\nTyne\r\n"
                                              "Ynys M\xC3\xB4n\r\n"));
        // Read back it is the same list, in the written order.
        QCOMPARE(CountyListFile::read(m_path),
                 (QStringList{"", "Avon", "Avon", "avon", "berks", "Tyne",
                              QString::fromUtf8("Ynys M\xC3\xB4n")}));
        CountyListFile::write(m_path, {});
        QCOMPARE(contents(m_path), QByteArray());
    }

    void errors_data()
    {
        QTest::addColumn<bool>("writing");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("read, no file") << false << "ListFile.txt" << "Cannot open file @/ListFile.txt";
        QTest::newRow("read, a folder") << false << "Folder" << "Cannot open file @/Folder";
        QTest::newRow("write, folder missing")
            << true << "gone/ListFile.txt" << "Cannot create file @/gone/ListFile.txt";
        QTest::newRow("write, a folder") << true << "Folder" << "Cannot create file @/Folder";
    }
    void errors()
    {
        QFETCH(bool, writing);
        QFETCH(QString, name);
        QFETCH(QString, message);
        QDir(m_dir.path()).mkdir("Folder");
        const QString path = m_dir.filePath(name);
        message.replace('@', m_dir.path());
        if (writing)
            QCOMPARE(errorOf([&] { CountyListFile::write(path, {"Avon"}); }), message);
        else
            QCOMPARE(errorOf([&] { CountyListFile::read(path); }), message);
    }

    // A disk that fills up while the list is written keeps the old list.
    void failedWriteKeepsTheOldList()
    {
        const QByteArray old = "Avon\r\nTyne\r\n";
        put(m_path, old);
        QStringList many;
        for (int i = 0; i < 1000; ++i)
            many << QStringLiteral("County %1").arg(i);
        {
            const FileSizeLimit limit(4000);
            QCOMPARE(errorOf([&] { CountyListFile::write(m_path, many); }),
                     "Cannot create file " + m_path);
        }
        QCOMPARE(contents(m_path), old);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"ListFile.txt"});
    }

    // The list shipped beside the program is exactly what the program itself
    // would write: sorted, CR LF, each name fitting the 20-character field.
    void shippedListIsInTheProgramsOwnForm()
    {
        const QString shipped = QStringLiteral(VARNEL_PROGRAM_DIR "/ListFile.txt");
        const QStringList items = CountyListFile::read(shipped);
        QVERIFY2(items.size() >= 80, qPrintable(QString::number(items.size())));
        for (const QString &item : items)
            QVERIFY2(!item.trimmed().isEmpty() && item.size() <= 20 && item == item.trimmed(),
                     qPrintable(item));
        QCOMPARE(QSet<QString>(items.begin(), items.end()).size(), items.size());
        QVERIFY(items.contains("Antrim") && items.contains("Avon"));
        CountyListFile::write(m_path, items);
        QCOMPARE(contents(m_path), contents(shipped));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_MAIN(tst_countylist)
#include "tst_countylist.moc"
