#include "TestSupport.h"

#include "platform/VarnelError.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>
#include <sqlite3.h>
#include <thread>

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

QString errorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const VarnelError &e) {
        return e.message();
    }
    return QString();
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
        QTest::newRow("plain") << "Provider=P;Data Source=/b/x.vdf;Persist Security Info=False" << "/b/x.vdf";
        QTest::newRow("key in any case, blanks around")
            << "Provider=P; data SOURCE = /b/x.vdf ;Mode=Share Deny None" << "/b/x.vdf";
        QTest::newRow("double-quoted") << "Data Source=\"/b/a;x=y \"\"q\"\" \";Mode=1" << "/b/a;x=y \"q\" ";
        QTest::newRow("single-quoted") << "Data Source='/b/x;y.vdf'" << "/b/x;y.vdf";
        QTest::newRow("a quoted value before it")
            << "Provider=\"P;Data Source=/wrong\";Data Source=/b/x.vdf" << "/b/x.vdf";
        QTest::newRow("unclosed quote is part of the path") << "Data Source=\"/b/x.vdf" << "\"/b/x.vdf";
        QTest::newRow("none") << "Provider=P;Persist Security Info=False" << "";
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
