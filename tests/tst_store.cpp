#include "TestSupport.h"

#include "platform/VarnelError.h"
#include "store/AddressFields.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/EngineWait.h"
#include "store/TextOrder.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

namespace {

QByteArray digest(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Opens the address table the way the program does.
struct Book
{
    AdoConnection connection;
    AdoQuery query{&connection};
    int posts = 0;
    explicit Book(const QString &path)
    {
        connection.setConnectionString(AdoConnection::connectionStringFor(path));
        query.setSql({"SELECT * FROM HomeAd", "ORDER BY Surname"});
        query.setBeforePost([this] { ++posts; });
    }
};

int rowsInFile(const QString &path, const QString &where = QString())
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    return int(c.select("SELECT * FROM HomeAd " + where, {"Surname"}).rows.size());
}

// What the sqlite3 shell, another tool on the same book, says of it.
QString shell(const QString &path, const QString &sql)
{
    QProcess p;
    p.start("sqlite3", {"-batch", "-init", "/dev/null", path, sql});
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
}

// Runs statements on a book through SQLite alone, as another tool would.
void otherTool(const QString &path, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(path.toUtf8(), &db), SQLITE_OK);
    char *error = nullptr;
    const int rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error);
    const QString why = error ? QString::fromUtf8(error) : QString();
    sqlite3_free(error);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, qPrintable(why));
}

// A HomeAd made by another tool: every field column, then `extra` SQL.
void makeForeignBook(const QString &path, const QString &idColumn, const QStringList &leaveOut,
                     const QByteArray &extra)
{
    QStringList columns{idColumn};
    for (const QString &c : AddressFields::storedNames())
        if (!leaveOut.contains(c))
            columns << '"' + c + "\" TEXT";
    otherTool(path, "CREATE TABLE HomeAd (" + columns.join(", ").toUtf8() + ");" + extra);
}
} // namespace

class tst_store : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    QString sample;

private slots:
    void init() { sample = copyOfSample(dir); }

    void connectionString()
    {
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor("/tmp/a;b/Book.vdf"));
        QCOMPARE(c.connectionString(),
                 QString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/tmp/a;b/Book.vdf;Persist Security Info=False"));
        QCOMPARE(c.fileName(), QString("/tmp/a;b/Book.vdf"));
    }

    // Any name the file system allows opens: the connection string quotes
    // what would not read back from it as it is.
    void oddPathsOpen_data()
    {
        QTest::addColumn<QString>("name"); // inside the scratch folder
        QTest::addColumn<bool>("quoted");
        QTest::newRow("blanks") << "my books/Home Book.vdf" << false;
        QTest::newRow("semicolon and equals sign") << "paths/a;x=y.vdf" << true;
        QTest::newRow("semicolon before a key") << "a;Data Source=b.vdf" << true;
        QTest::newRow("equals sign alone") << "a=b.vdf" << false;
        QTest::newRow("double quotes") << "\"quoted\" \"\"book\".vdf" << false;
        QTest::newRow("semicolon, equals sign and quotes") << "q;x=\"y\" \"\"z\"\".vdf" << true;
        QTest::newRow("single quotes") << "'Jo's' book'.vdf" << false;
        QTest::newRow("non-ASCII") << QString::fromUtf8("Adreßbuch/Ynys Môn 東京.vdf") << false;
        QTest::newRow("right-to-left marks")
            << QString::fromUtf8("\u200F\u05D0\u05D1 book\u200E.vdf") << false;
        QTest::newRow("trailing space") << "book.vdf " << true;
        QTest::newRow("leading space in a folder") << " folder/ book.vdf" << false;
        QTest::newRow("trailing non-breaking space") << QString::fromUtf8("book.vdf\u00A0") << true;
    }
    void oddPathsOpen()
    {
        QFETCH(QString, name);
        QFETCH(bool, quoted);
        const QString path = dir.filePath(name);
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile::remove(path);
        QVERIFY(QFile::copy(sample, path));
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(path));
        QCOMPARE(c.fileName(), path);
        QCOMPARE(c.connectionString().contains("Data Source=\""), quoted);
        QVERIFY(c.connectionString().endsWith(";Persist Security Info=False"));
        c.open();
        QVERIFY(!c.select("SELECT * FROM HomeAd", {"Surname"}).rows.empty());
        c.close();
    }

    // Connection strings as other tools write them.
    void dataSourceOfAConnectionString_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "Provider=P;Data Source=/b/x.vdf;Persist Security Info=False"
                               << "/b/x.vdf";
        QTest::newRow("key in any case, blanks around")
            << "Provider=P; data SOURCE = /b/x.vdf ;Mode=Share Deny None"
            << "/b/x.vdf";
        QTest::newRow("double-quoted") << "Data Source=\"/b/a;x=y \"\"q\"\" \";Mode=1"
                                       << "/b/a;x=y \"q\" ";
        QTest::newRow("single-quoted") << "Data Source='/b/x;y.vdf'"
                                       << "/b/x;y.vdf";
        QTest::newRow("a quoted value before it")
            << "Provider=\"P;Data Source=/wrong\";Data Source=/b/x.vdf"
            << "/b/x.vdf";
        QTest::newRow("unclosed quote is part of the path") << "Data Source=\"/b/x.vdf"
                                                            << "\"/b/x.vdf";
        QTest::newRow("none") << "Provider=P;Persist Security Info=False"
                              << "";
    }
    void dataSourceOfAConnectionString()
    {
        QFETCH(QString, text);
        QFETCH(QString, path);
        QCOMPARE(AdoConnection::dataSource(text), path);
    }

    void refusesWhatIsNotAnAddressBook_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("message");
        QTest::newRow("plain text") << QByteArray("Dear Anne,\nthank you for the letter.\n") << "is not an address book file";
        QByteArray noise(8192, '\0');
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        QTest::newRow("random bytes") << noise << "is not an address book file";
        QTest::newRow("empty file") << QByteArray() << "holds no table HomeAd";
        QTest::newRow("database without HomeAd") << QByteArray("make:CREATE TABLE Other (x)") << "holds no table HomeAd";
    }
    void refusesWhatIsNotAnAddressBook()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, message);
        const QString path = dir.filePath("other.vdf");
        QFile::remove(path);
        if (content.startsWith("make:")) {
            sqlite3 *db = nullptr;
            sqlite3_open(path.toUtf8(), &db);
            sqlite3_exec(db, content.mid(5).constData(), nullptr, nullptr, nullptr);
            sqlite3_close(db);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QByteArray before = digest(path);
        Book book(path);
        const QString error = errorOf([&] { book.query.open(); });
        QVERIFY2(error.contains(message), qPrintable(error));
        QVERIFY(!book.query.active());
        QVERIFY(!book.connection.connected());
        QCOMPARE(digest(path), before);
        QCOMPARE(QDir(dir.path()).entryList({"other.vdf*"}, QDir::Files), QStringList{"other.vdf"});
    }

    void missingFileIsAnErrorAndIsNotCreated()
    {
        const QString path = dir.filePath("gone.vdf");
        Book book(path);
        QCOMPARE(errorOf([&] { book.query.open(); }), QString("Could not find file '%1'").arg(path));
        QVERIFY(!QFile::exists(path));
    }

    void opensInSurnameOrderIgnoringCase()
    {
        Book book(sample);
        book.query.open();
        QCOMPARE(book.query.state(), DataSetState::Browse);
        QVERIFY(book.query.recordCount() >= 40);
        QCOMPARE(book.query.recNo(), 0);
        QStringList names;
        for (int r = 0; r < book.query.recordCount(); ++r)
            names << book.query.displayText(r, AddressFields::Surname);
        QCOMPARE(names.mid(0, 3), (QStringList{"Abbot", "adams", "Baker"}));
        // Accented names sit with their plain letter.
        const int elie = names.indexOf("Élie"), ellis = names.indexOf("Ellis"), edwards = names.indexOf("Edwards");
        QVERIFY(edwards < elie && elie < ellis);
        QVERIFY(names.indexOf("Østergaard") > names.indexOf("Okafor"));
        QVERIFY(names.indexOf("Østergaard") < names.indexOf("Patel"));
        QCOMPARE(book.query.sort(), QString());
    }

    void closedDatasetRefusesEveryOperation_data()
    {
        QTest::addColumn<int>("op");
        const char *names[] = {"insert", "delete", "first", "prior", "next", "last", "post", "edit", "set field"};
        for (int i = 0; i < 9; ++i)
            QTest::newRow(names[i]) << i;
    }
    void closedDatasetRefusesEveryOperation()
    {
        QFETCH(int, op);
        Book book(sample);
        const std::function<void()> ops[] = {
            [&] { book.query.insert(); }, [&] { book.query.deleteRecord(); },
            [&] { book.query.first(); },  [&] { book.query.prior(); },
            [&] { book.query.next(); },   [&] { book.query.last(); },
            [&] { book.query.post(); },   [&] { book.query.edit(); },
            [&] { book.query.setFieldText("Surname", "X"); }};
        QCOMPARE(errorOf(ops[op]), QString("Cannot perform this operation on a closed dataset"));
        QCOMPARE(book.query.state(), DataSetState::Inactive);
        book.query.cancelUpdates(); // nothing to cancel, and no error
    }

    void insertThenCancelWritesNothing()
    {
        Book book(sample);
        book.query.open();
        const int before = book.query.recordCount();
        book.query.moveTo(5);
        const QString fifth = book.query.displayText("Surname");
        book.query.insert();
        QCOMPARE(book.query.state(), DataSetState::Insert);
        QCOMPARE(book.query.recNo(), 5); // placed before the record that was current
        QCOMPARE(book.query.recordCount(), before + 1);
        book.query.cancel();
        QCOMPARE(book.query.recordCount(), before);
        QCOMPARE(book.query.displayText("Surname"), fifth);
        QCOMPARE(book.posts, 0);
        QCOMPARE(rowsInFile(sample), before);
    }

    void movingFinishesTheRecord()
    {
        Book book(sample);
        book.query.open();
        const int before = book.query.recordCount();
        // An untouched new record is dropped by a move.
        book.query.insert();
        book.query.next();
        QCOMPARE(book.query.recordCount(), before);
        QCOMPARE(book.posts, 0);
        // A typed one is saved, with the hook, and stays where it was put.
        book.query.first();
        book.query.insert();
        book.query.setFieldText("Surname", "Zzé'; DROP TABLE \"x\"; --");
        book.query.setFieldText("Town", "Ely");
        book.query.next();
        QCOMPARE(book.posts, 1);
        QCOMPARE(book.query.state(), DataSetState::Browse);
        QCOMPARE(book.query.recordCount(), before + 1);
        QCOMPARE(book.query.displayText(0, AddressFields::Surname),
                 QString("Zzé'; DROP TABLE \"x\"; --"));
        QCOMPARE(rowsInFile(sample), before + 1);
        // After reopening it takes its place in surname order.
        book.query.close();
        book.query.open();
        book.query.last();
        QCOMPARE(book.query.displayText("Town"), QString("Ely"));
        // An edited record is saved by a move; a record with nothing changed is not.
        book.query.first();
        book.query.edit();
        book.query.next();
        QCOMPARE(book.posts, 1);
        book.query.setFieldText("Flag", "NEW");
        QCOMPARE(book.query.state(), DataSetState::Edit);
        book.query.prior();
        QCOMPARE(book.posts, 2);
        QCOMPARE(rowsInFile(sample, "WHERE Flag = 'NEW'"), 1);
    }

    void deleteRules()
    {
        Book book(sample);
        book.query.open();
        const int before = book.query.recordCount();
        book.query.moveTo(2);
        const QString third = book.query.displayText("Surname");
        book.query.setFieldText("Surname", "Changed first");
        book.query.deleteRecord();
        QCOMPARE(book.posts, 0); // deleted with its pending change, nothing saved
        QCOMPARE(book.query.state(), DataSetState::Browse);
        QCOMPARE(book.query.recordCount(), before - 1);
        QCOMPARE(rowsInFile(sample), before - 1);
        QCOMPARE(rowsInFile(sample, QString("WHERE Surname = '%1'").arg(third)), 0);
        QCOMPARE(rowsInFile(sample, "WHERE Surname = 'Changed first'"), 0);
        // While inserting, delete only drops the new record.
        book.query.insert();
        book.query.setFieldText("Surname", "Never");
        book.query.deleteRecord();
        QCOMPARE(book.query.recordCount(), before - 1);
        QCOMPARE(rowsInFile(sample), before - 1);
        // An empty selection.
        book.query.close();
        book.query.setSql({"SELECT * FROM HomeAd WHERE Surname LIKE 'Q%' AND Town = 'nowhere'"});
        book.query.open();
        QCOMPARE(errorOf([&] { book.query.deleteRecord(); }),
                 QString("Cannot perform this operation on an empty dataset"));
        // Edit on an empty selection inserts.
        book.query.edit();
        QCOMPARE(book.query.state(), DataSetState::Insert);
        QCOMPARE(book.query.recordCount(), 1);
    }

    void emptySurnameIsStoredWithEmptyCap()
    {
        Book book(sample);
        book.query.open();
        QCOMPARE(book.query.displayText("Cap"), QString("A"));
        book.query.last();
        QCOMPARE(book.query.displayText("Cap"), QString("Z"));
        book.query.insert();
        book.query.setFieldText("Firstname", "Nobody");
        QCOMPARE(book.query.fieldValue("Cap"), QVariant());
        book.query.post();
        QCOMPARE(rowsInFile(sample, "WHERE Surname IS NULL AND Firstname = 'Nobody'"), 1);
        book.query.setFieldText("Surname", "Łukasz");
        QCOMPARE(book.query.displayText("Cap"), QString("?")); // no single-byte form
        book.query.setFieldText("Surname", "Élie");
        QCOMPARE(book.query.displayText("Cap"), QString("É"));
    }

    void birthdayEntry()
    {
        Book book(sample);
        book.query.open();
        const QString typed = AdoQuery::dateTimeText(QDateTime(QDate(1971, 5, 9), QTime(0, 0)));
        book.query.setFieldText("Birthday", typed);
        QCOMPARE(book.query.fieldValue("Birthday").toDateTime().date(), QDate(1971, 5, 9));
        QCOMPARE(book.query.displayText("Birthday"), typed);
        QCOMPARE(errorOf([&] { book.query.setFieldText("Birthday", "next Tuesday"); }),
                 QString("'next Tuesday' is not a valid date and time"));
        QCOMPARE(book.query.fieldValue("Birthday").toDateTime().date(), QDate(1971, 5, 9));
        QCOMPARE(book.query.state(), DataSetState::Edit);
        book.query.post();
        QCOMPARE(rowsInFile(sample, "WHERE Birthday = '1971-05-09'"), 2);
        book.query.setFieldText("Birthday", "");
        QCOMPARE(book.query.fieldValue("Birthday"), QVariant());
    }

    void engineRefusesTooLongValueAndKeepsTheEdit()
    {
        Book book(sample);
        book.query.open();
        const int before = book.query.recordCount();
        book.query.insert();
        const QString tooLong(31, 'x');
        book.query.setFieldText("Surname", tooLong);
        const QString error = errorOf([&] { book.query.post(); });
        QVERIFY2(error.contains("Surname holds at most 30 characters"), qPrintable(error));
        QCOMPARE(book.posts, 1); // the hook ran before the write was refused
        QCOMPARE(book.query.state(), DataSetState::Insert);
        QCOMPARE(book.query.displayText("Surname"), tooLong);
        QCOMPARE(rowsInFile(sample), before);
        book.query.cancel();
        QCOMPARE(book.query.recordCount(), before);
    }

    void sortInPlace()
    {
        Book book(sample);
        book.query.open();
        book.query.moveTo(3);
        const QString current = book.query.displayText("Surname");
        book.query.setSort("Town DESC");
        QCOMPARE(book.query.sort(), QString("Town DESC"));
        QCOMPARE(book.query.displayText("Surname"), current); // same record stays current
        QString prev;
        bool seenNull = false;
        for (int r = 0; r < book.query.recordCount(); ++r) {
            const QString town = book.query.displayText(r, AddressFields::Town);
            if (town.isEmpty()) {
                seenNull = true;
                continue;
            }
            QVERIFY2(!seenNull, "empty towns come last going down");
            if (!prev.isEmpty())
                QVERIFY2(QString::compare(prev, town, Qt::CaseInsensitive) >= 0, qPrintable(prev + " / " + town));
            prev = town;
        }
        book.query.setSort("Work Tel ASC");
        QCOMPARE(book.query.sort(), QString("Work Tel ASC"));
        QVERIFY(book.query.displayText(0, AddressFields::WorkTel).isEmpty());
        book.query.close();
        book.query.open();
        QCOMPARE(book.query.sort(), QString());
    }

    void saveNeverOverwritesAnotherProgramsChange()
    {
        Book mine(sample), theirs(sample);
        mine.query.open();
        theirs.query.open();
        // They change the first record, then we try to change it too.
        theirs.query.setFieldText("Town", "Their town");
        theirs.query.post();
        mine.query.setFieldText("Town", "My town");
        const QString error = errorOf([&] { mine.query.post(); });
        QVERIFY2(error.contains("Another program changed this record"), qPrintable(error));
        QCOMPARE(mine.query.state(), DataSetState::Edit);
        QCOMPARE(mine.query.displayText("Town"), QString("My town"));
        QCOMPARE(rowsInFile(sample, "WHERE Town = 'Their town'"), 1);
        mine.query.cancel();
        // They delete the second record; our edit of it must not bring it back.
        theirs.query.next();
        const QString second = theirs.query.displayText("Surname");
        theirs.query.deleteRecord();
        mine.query.next();
        QCOMPARE(mine.query.displayText("Surname"), second);
        mine.query.setFieldText("Flag", "MINE");
        QVERIFY(errorOf([&] { mine.query.post(); }).contains("Another program deleted this record"));
        QCOMPARE(rowsInFile(sample, QString("WHERE Surname = '%1'").arg(second)), 0);
        // Deleting a record that is already gone simply takes it off the list.
        mine.query.cancel();
        const int n = mine.query.recordCount();
        mine.query.deleteRecord();
        QCOMPARE(mine.query.recordCount(), n - 1);
    }

    void saveWaitsForAnotherProgramsLock()
    {
        Book book(sample);
        book.query.open();
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(sample.toUtf8(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE; UPDATE HomeAd SET Flag2 = 'LOCK' WHERE ID = -1;",
                              nullptr, nullptr, nullptr), SQLITE_OK);
        std::thread releaser([other] {
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
        });
        book.query.setFieldText("Flag2", "AFTER");
        const QString error = errorOf([&] { book.query.post(); });
        releaser.join();
        sqlite3_close(other);
        QCOMPARE(error, QString());
        QCOMPARE(rowsInFile(sample, "WHERE Flag2 = 'AFTER'"), 1);
    }

    // The program's comparisons have names of their own: an index that
    // another tool built with SQLite's NOCASE stays in order whatever the
    // program writes.
    void indexesOfOtherToolsStaySound()
    {
        QCOMPARE(shell(sample, "CREATE INDEX BySurname ON HomeAd (Surname COLLATE NOCASE);"
                               "CREATE INDEX ByTown ON HomeAd (Town);"),
                 QString());
        Book book(sample);
        book.query.open();
        const QStringList names{"Ørsted", "élan", "Zoë", "ñandú", "Ábel"};
        for (const QString &name : names) {
            book.query.setFieldText("Surname", name);
            book.query.setFieldText("Town", name.toUpper());
            book.query.post();
            book.query.next();
        }
        book.connection.close();
        QCOMPARE(shell(sample, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(shell(sample, "SELECT count(*) FROM HomeAd WHERE Surname = 'ZOË' COLLATE NOCASE"),
                 QString("0")); // SQLite's own NOCASE folds A to Z only
        // The program's own order and matching are unchanged: every letter folds.
        book.query.close();
        book.query.setSql({"SELECT * FROM HomeAd WHERE Surname LIKE 'Z%'", "Order by Surname"});
        book.query.open();
        QStringList zs;
        for (int i = 0; i < book.query.recordCount(); ++i, book.query.next())
            zs << book.query.displayText("Surname");
        QVERIFY2(zs.contains("Zoë"), qPrintable(zs.join(',')));
        book.query.close();
        book.query.setSql({"SELECT * FROM HomeAd WHERE Surname LIKE 'É%'", "Order by Surname"});
        book.query.open();
        QCOMPARE(book.query.displayText("Surname"), QString("élan"));
    }

    // A book whose indexes an earlier version put out of order (it compared
    // with its own rules under SQLite's name NOCASE) is put right, once, when
    // it is opened for writing.
    void indexesAnEarlierVersionDisorderedAreRebuilt()
    {
        QCOMPARE(shell(sample, "CREATE INDEX BySurname ON HomeAd (Surname COLLATE NOCASE)"),
                 QString());
        {
            sqlite3 *db = nullptr;
            QCOMPARE(sqlite3_open(sample.toUtf8(), &db), SQLITE_OK);
            sqlite3_create_collation(db, "NOCASE", SQLITE_UTF8, nullptr,
                                     [](void *, int al, const void *a, int bl, const void *b) {
                                         return TextOrder::compareUtf8(
                                             static_cast<const char *>(a), al,
                                             static_cast<const char *>(b), bl);
                                     });
            QCOMPARE(sqlite3_exec(db,
                                  "UPDATE HomeAd SET Surname = 'élan' WHERE ID IN (3, 9, 17);"
                                  "UPDATE HomeAd SET Surname = 'Ærø' WHERE ID IN (5, 21)",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(db);
        }
        QVERIFY(shell(sample, "PRAGMA integrity_check") != "ok");
        Book book(sample);
        book.query.open();
        QCOMPARE(shell(sample, "PRAGMA integrity_check"), QString("ok"));
        QCOMPARE(shell(sample, "PRAGMA user_version"), QString("1"));
        QCOMPARE(shell(sample, "SELECT count(*) FROM HomeAd WHERE Surname = 'élan'"), QString("3"));
    }

    // Each kind of trouble is told apart in plain words, and the file is
    // never changed. A locked book is never "not an address book".
    void troubleWithTheFileIsToldApart_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message"); // %1: the path
        QTest::newRow("locked by another program")
            << "locked"
            << "'%1' is in use by another program; try again";
        QTest::newRow("missing") << "missing"
                                 << "Could not find file '%1'";
        QTest::newRow("not a database")
            << "text"
            << "'%1' is not an address book file\nfile is not a database";
        QTest::newRow("cut short")
            << "truncated"
            << "'%1' is damaged, so it is not changed. Open a backup copy of the book";
        QTest::newRow("table page wiped")
            << "page type"
            << "'%1' is damaged, so it is not changed. Open a backup copy of the book";
        QTest::newRow("header of a page scrambled")
            << "flips"
            << "'%1' is damaged, so it is not changed. Open a backup copy of the book";
    }
    void troubleWithTheFileIsToldApart()
    {
        QFETCH(QString, how);
        QFETCH(QString, message);
        auto poke = [&](qint64 at, const QByteArray &bytes) {
            QFile f(sample);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(at);
            f.write(bytes);
        };
        if (how == "missing")
            QFile::remove(sample);
        else if (how == "text")
            poke(0, "Dear Ann, this is a letter and no address book at all.\n");
        else if (how == "truncated")
            QFile::resize(sample, 8192);
        else if (how == "page type")
            poke(4096, QByteArray(1, '\0'));
        else if (how == "flips")
            poke(4096 + 3, QByteArray("\xff\x7f\x00\x01\xff", 5));
        sqlite3 *other = nullptr;
        if (how == "locked") {
            QCOMPARE(sqlite3_open(sample.toUtf8(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        QStringList waits;
        EngineWait::setObserver([&](bool waiting) { waits << (waiting ? "wait" : "done"); });
        const QByteArray before = digest(sample);
        Book book(sample);
        QElapsedTimer clock;
        clock.start();
        const QString error = errorOf([&] { book.query.open(); });
        const qint64 took = clock.elapsed();
        EngineWait::setObserver({});
        if (other) {
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        }
        // The plain sentence, then the engine's own words for support.
        QCOMPARE(error.section('\n', 0, 0), message.arg(sample).section('\n', 0, 0));
        QCOMPARE(error.contains('\n'), how != "missing");
        if (message.contains('\n'))
            QCOMPARE(error, message.arg(sample));
        QVERIFY(!book.connection.connected());
        QCOMPARE(digest(sample), before);
        if (how == "locked") {
            QCOMPARE(waits, (QStringList{"wait", "done"}));
            QVERIFY2(took >= EngineWait::kTimeoutMs - 100 && took < EngineWait::kTimeoutMs + 3000,
                     qPrintable(QString::number(took)));
            // Once the other program is done, the same book opens.
            book.query.open();
            QVERIFY(book.query.recordCount() > 0);
        } else {
            QCOMPARE(waits, QStringList());
        }
    }

    // Text stored by another tool in another encoding (a Latin-1 import) is
    // compared byte for byte: saving another field of the record works, and
    // the foreign bytes stay as they were.
    void foreignTextIsComparedByteForByte()
    {
        otherTool(sample, "UPDATE HomeAd SET Notes = CAST(X'436166E920646573204172747300' AS TEXT),"
                          " Workplace = CAST(X'4DFC6C6C6572' AS TEXT) WHERE ID = 1");
        Book book(sample);
        book.query.open();
        while (book.query.displayText("Surname") != "Abbot")
            book.query.next();
        book.query.setFieldText("Town", "Henley");
        QCOMPARE(errorOf([&] { book.query.post(); }), QString());
        QCOMPARE(shell(sample, "SELECT Town, hex(Notes), hex(Workplace) FROM HomeAd WHERE ID = 1"),
                 QString("Henley|436166E920646573204172747300|4DFC6C6C6572"));
        // A change by another program to that very field is still noticed.
        otherTool(sample,
                  "UPDATE HomeAd SET Workplace = CAST(X'4DFC6C6C657221' AS TEXT) WHERE ID = 1");
        book.query.setFieldText("Town", "Marlow");
        QVERIFY(
            errorOf([&] { book.query.post(); }).contains("Another program changed this record"));
        book.query.cancel();
        QVERIFY(errorOf([&] { book.query.deleteRecord(); }).contains("Another program changed"));
        QCOMPARE(shell(sample, "SELECT count(*) FROM HomeAd WHERE ID = 1"), QString("1"));
    }

    // Books made by other tools that the program could not write soundly are
    // opened read-only, and the open says why.
    void booksThatCanOnlyBeReadSaySo_data()
    {
        QTest::addColumn<QString>("idColumn");
        QTest::addColumn<QStringList>("leaveOut");
        QTest::addColumn<QString>("why");
        QTest::newRow("ID repeats")
            << "ID INTEGER" << QStringList()
            << "its table HomeAd has no unique record number (ID), so a change "
               "to one record could reach others";
        QTest::newRow("no ID at all")
            << "Code TEXT" << QStringList()
            << "its table HomeAd has no unique record number (ID), so a change "
               "to one record could reach others";
        QTest::newRow("columns missing")
            << "ID INTEGER PRIMARY KEY" << QStringList{"Email", "Work Tel"}
            << "its table HomeAd lacks the columns Email, Work Tel";
    }
    void booksThatCanOnlyBeReadSaySo()
    {
        QFETCH(QString, idColumn);
        QFETCH(QStringList, leaveOut);
        QFETCH(QString, why);
        const QString path = dir.filePath("foreign.vdf");
        QFile::remove(path);
        const QByteArray id = idColumn.startsWith("ID") ? "ID, " : "";
        const QByteArray one = idColumn.startsWith("ID") ? "1, " : "";
        makeForeignBook(path, idColumn, leaveOut,
                        "INSERT INTO HomeAd (" + id + "Surname, Town) VALUES (" + one +
                            "'Abbot', 'Marlow');"
                            "INSERT INTO HomeAd (" +
                            id + "Surname, Town) VALUES (" +
                            (one.isEmpty()                  ? ""
                             : idColumn.contains("PRIMARY") ? "2, "
                                                            : "1, ") +
                            "'Baker', 'Ely');");
        const QByteArray before = digest(path);
        Book book(path);
        QStringList notices;
        QObject::connect(&book.connection, &AdoConnection::openedReadOnly,
                         [&](const QString &n) { notices << n; });
        book.query.open();
        QVERIFY(book.connection.readOnly());
        const QString notice = "'" + path + "' is opened read-only: " + why +
                               ". Its records can be read and printed but not changed; save a copy "
                               "with File > Save As to change them";
        QCOMPARE(notices, QStringList{notice});
        QCOMPARE(book.query.recordCount(), 2);
        book.query.setFieldText("Town", "Henley");
        QCOMPARE(errorOf([&] { book.query.post(); }), notice);
        book.query.cancel();
        QCOMPARE(errorOf([&] { book.query.deleteRecord(); }), notice);
        book.connection.close();
        QCOMPARE(digest(path), before);
    }

    // The engine's refusals of a save reach the user as plain sentences that
    // say what to do, with the engine's words below; the edit is kept.
    void refusedSavesAreToldPlainly_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("message"); // first line; %1: the path
        QTest::newRow("disk full")
            << "full"
            << "The disk that holds '%1' is full, so the change was not saved. "
               "Make room on the disk and try again";
        QTest::newRow("locked") << "locked"
                                << "'%1' is in use by another program; try again";
    }
    void refusedSavesAreToldPlainly()
    {
        QFETCH(QString, how);
        QFETCH(QString, message);
        Book book(sample);
        book.query.open();
        sqlite3 *other = nullptr;
        std::unique_ptr<FileSizeLimit> full;
        if (how == "full") {
            full = std::make_unique<FileSizeLimit>(QFileInfo(sample).size());
        } else {
            QCOMPARE(sqlite3_open(sample.toUtf8(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
        }
        book.query.setFieldText("Notes", QString("A long note. ").repeated(2000));
        const QString error = errorOf([&] { book.query.post(); });
        full.reset();
        if (other) {
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        }
        QCOMPARE(error.section('\n', 0, 0), message.arg(sample));
        QVERIFY2(error.section('\n', 1).size() > 3, qPrintable(error)); // the engine's words
        QCOMPARE(book.query.state(), DataSetState::Edit);
        QVERIFY(book.query.displayText("Notes").startsWith("A long note."));
        QCOMPARE(shell(sample, "PRAGMA integrity_check"), QString("ok"));
        // Once the trouble is gone the same save goes through.
        book.query.post();
        QCOMPARE(rowsInFile(sample, "WHERE Notes LIKE 'A long note.%'"), 1);
    }

    // Bit flips anywhere in a book: the open refuses it in plain words or
    // opens it, never crashes, and never writes to it.
    void damagedBooksAreNeverWritten()
    {
        QFile f(sample);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray good = f.readAll();
        f.close();
        QRandomGenerator random(20261210);
        const QString path = dir.filePath("flipped.vdf");
        int refused = 0;
        for (int round = 0; round < 150; ++round) {
            QByteArray bad = good;
            const int flips = 1 + int(random.bounded(8));
            for (int i = 0; i < flips; ++i)
                bad[int(random.bounded(bad.size()))] ^= char(1 << random.bounded(8));
            if (round % 10 == 9)
                bad.truncate(int(random.bounded(bad.size())));
            QFile::remove(path);
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(bad);
            out.close();
            Book book(path);
            const QString error = errorOf([&] { book.query.open(); });
            if (!error.isEmpty()) {
                ++refused;
                QVERIFY2(error.contains(QLatin1String("is damaged")) ||
                             error.contains(QLatin1String("is not an address book file")),
                         qPrintable(error));
            }
            book.connection.close();
            QCOMPARE(digest(path), QCryptographicHash::hash(bad, QCryptographicHash::Sha256));
        }
        QVERIFY(refused > 0);
    }

    // A WAL book in a folder the user may not write can still be read: it
    // opens read-only and says so, instead of being called no address book.
    void walBookInAFolderThatCannotBeWritten()
    {
        if (geteuid() == 0)
            QSKIP("the superuser writes into read-only folders");
        QTemporaryDir locked;
        const QString path = locked.filePath("Wal.vdf");
        QVERIFY(QFile::copy(sample, path));
        QCOMPARE(shell(path, "PRAGMA journal_mode = WAL"), QString("wal"));
        QFile::setPermissions(locked.path(), QFile::ReadOwner | QFile::ExeOwner);
        Book book(path);
        QStringList notices;
        QObject::connect(&book.connection, &AdoConnection::openedReadOnly,
                         [&](const QString &n) { notices << n; });
        const QString error = errorOf([&] { book.query.open(); });
        QFile::setPermissions(locked.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(error, QString());
        QCOMPARE(notices.size(), 1);
        QVERIFY(notices.first().contains("is opened read-only: its folder cannot be written"));
        QCOMPARE(book.query.recordCount(), rowsInFile(sample));
    }

    void signalsFollowTheRecord()
    {
        Book book(sample);
        QSignalSpy reset(&book.query, &AdoQuery::dataSetChanged);
        QSignalSpy inserted(&book.query, &AdoQuery::rowInserted);
        QSignalSpy removed(&book.query, &AdoQuery::rowRemoved);
        QSignalSpy current(&book.query, &AdoQuery::currentChanged);
        book.query.open();
        QCOMPARE(reset.count(), 1);
        book.query.disableControls();
        book.query.last();
        book.query.first();
        QCOMPARE(current.count(), 1);
        book.query.enableControls();
        QCOMPARE(reset.count(), 2);
        book.query.insert();
        QCOMPARE(inserted.count(), 1);
        book.query.cancel();
        QCOMPARE(removed.count(), 1);
    }
};

QTEST_MAIN(tst_store)
#include "tst_store.moc"
