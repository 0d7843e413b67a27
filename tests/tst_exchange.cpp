// Contacts in and out: the vCard, CSV and Access readers, the writers, cut
// values, one transaction per import, and varnel-book.
#include "TestSupport.h"

#include "exchange/AccessBook.h"
#include "exchange/Csv.h"
#include "exchange/Exchange.h"
#include "exchange/ImportPlan.h"
#include "exchange/ImportWindow.h"
#include "app/HomeGrid.h"
#include "exchange/VCard.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"
#include "store/AddressBook.h"
#include "store/AdoConnection.h"
#include "store/AdoQuery.h"
#include "store/SelectionStatements.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QAbstractItemView>
#include <QTableWidget>
#include <QLineEdit>
#include <QtTest>

using namespace AddressFields;

namespace {
const QString kData = QStringLiteral(VARNEL_TEST_DATA "/exchange/");
const QString kAccess = QStringLiteral(VARNEL_TEST_DATA "/../../../shared/fixtures/access/");

QString blankBook(const QTemporaryDir &dir, const QString &name = QStringLiteral("book.vdf"))
{
    const QString target = dir.filePath(name);
    QFile::copy(QStringLiteral(VARNEL_PROGRAM_DIR "/NewFile.vdf"), target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

// Every row of a book, each as its nineteen fields joined, sorted.
QStringList rowsOf(const QString &path)
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(path));
    QStringList rows;
    for (const AdoConnection::Row &r : c.select(QStringLiteral("SELECT * FROM HomeAd"), storedNames()).rows) {
        QStringList v;
        for (const QVariant &x : r.values)
            v << (x.isNull() ? QStringLiteral("<null>") : x.toString());
        rows << v.join('|');
    }
    rows.sort();
    return rows;
}

QVector<BookRecord> readAll(const QString &file, ImportPlan **planOut = nullptr)
{
    static std::unique_ptr<RecordSource> source;
    static std::unique_ptr<ImportPlan> plan;
    source = Exchange::open(file, Exchange::formatOf(file));
    plan = std::make_unique<ImportPlan>(*source);
    plan->scan();
    if (planOut)
        *planOut = plan.get();
    return plan->preview();
}
} // namespace

class TestExchange : public QObject
{
    Q_OBJECT
private slots:
    void readers_data();
    void readers();
    void badInputs_data();
    void badInputs();
    void roundTrip_data();
    void roundTrip();
    void cutValuesGoWholeIntoNotes();
    void cancelledImportLeavesBookAsItWas();
    void accessEmployees();
    void accessDamaged();
    void hugeFileIsStreamed();
    void commandLine();
    void importWindow();
    void mainWindowImport();
    void accessTableIntoBookInUse();
    void accessTableFromCommandLine();
    void exportWindowWritesTheSelection();
};

void TestExchange::readers_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("record");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected");
    // "Notes~text": Notes contains the text.
    const auto row = [](const char *name, const char *file, int rec, const char *field, const QString &v) {
        QTest::newRow(name) << QString::fromLatin1(file) << rec << QString::fromLatin1(field) << v;
    };
    row("2.1 charset + QP name", "v21.vcf", 0, "Surname", QStringLiteral("Müller"));
    row("2.1 Latin-1 firstname", "v21.vcf", 0, "Firstname", QStringLiteral("Jörg"));
    row("2.1 bare HOME tel", "v21.vcf", 0, "Tel", QStringLiteral("0711 123"));
    row("2.1 bare CELL", "v21.vcf", 0, "Cell", QStringLiteral("0171 555"));
    row("2.1 QP soft break street", "v21.vcf", 0, "Address1", QStringLiteral("Hauptstraße 1"));
    row("2.1 street second line", "v21.vcf", 0, "Address2", QStringLiteral("Hinterhaus"));
    row("2.1 basic date", "v21.vcf", 0, "Birthday", QStringLiteral("1970-01-02"));
    row("2.1 QP note keeps lines", "v21.vcf", 0, "Notes~", QStringLiteral("Line one\r\nLine two"));
    row("2.1 second email in notes", "v21.vcf", 0, "Notes~", QStringLiteral("E-mail (work): joerg@work.example"));
    row("3.0 FN only splits", "v30.vcf", 0, "Surname", QStringLiteral("Smith"));
    row("3.0 FN middle", "v30.vcf", 0, "Midname", QStringLiteral("Marie"));
    row("3.0 home address chosen", "v30.vcf", 0, "Address1", QStringLiteral("5 Elm Row, Flat 2"));
    row("3.0 home town", "v30.vcf", 0, "Town", QStringLiteral("York"));
    row("3.0 work address in notes", "v30.vcf", 0, "Notes~", QStringLiteral("Address (work): 1 Office Park, Leeds, LS1 1AA, UK"));
    row("3.0 TYPE=home;TYPE=voice", "v30.vcf", 0, "Tel", QStringLiteral("01904 111"));
    row("3.0 TYPE=CELL,pref", "v30.vcf", 0, "Cell", QStringLiteral("07700 900 222"));
    row("3.0 fax in notes", "v30.vcf", 0, "Notes~", QStringLiteral("Tel (fax): 01904 999"));
    row("3.0 url in notes", "v30.vcf", 0, "Notes~", QStringLiteral("Url: https://ann.example"));
    row("3.0 no-year birthday kept", "v30.vcf", 0, "Notes~", QStringLiteral("Birthday: --0412"));
    row("3.0 no-year birthday empty", "v30.vcf", 0, "Birthday", QString());
    row("3.0 escaped ; in ORG", "v30.vcf", 0, "Workplace", QStringLiteral("Smith; Sons"));
    row("3.0 photo noted", "v30.vcf", 0, "Notes~", QStringLiteral("Photo: a picture"));
    row("3.0 N with missing parts", "v30.vcf", 1, "Surname", QStringLiteral("Lee"));
    row("4.0 quoted TYPE, tel: uri", "v40.vcf", 0, "Tel", QStringLiteral("+34-91-555"));
    row("4.0 date-time", "v40.vcf", 0, "Birthday", QStringLiteral("1985-03-16 10:15:00"));
    row("4.0 work email is the first", "v40.vcf", 0, "Email", QStringLiteral("eva@example.es"));
    row("csv outlook titles", "outlook.csv", 0, "Surname", QStringLiteral("Doe"));
    row("csv street spills", "outlook.csv", 0, "Address2", QStringLiteral("Upper Flat"));
    row("csv business phone", "outlook.csv", 0, "Work Tel", QStringLiteral("+1-418-656-9254"));
    row("csv unknown column in notes", "outlook.csv", 0, "Notes~", QStringLiteral("Job Title: Manager"));
    row("csv semicolon cp1252", "semicolon.csv", 0, "Surname", QStringLiteral("Dürr"));
    row("csv quoted separator", "semicolon.csv", 0, "Notes", QStringLiteral("Says \"hi\"; twice"));
    row("csv tab, Phone 1 - Value", "tabs.csv", 0, "Tel", QStringLiteral("555 0101"));
    row("csv utf-16", "utf16.csv", 0, "Town", QStringLiteral("Gdańsk"));
    row("google first mobile", "google.csv", 0, "Cell", QStringLiteral("07700 900111"));
    row("google second mobile in notes", "google.csv", 0, "Notes~", QStringLiteral("Phone (Mobile): 07700 900222"));
    row("google work phone", "google.csv", 0, "Work Tel", QStringLiteral("0113 496 0000"));
    row("google type per joined value", "google.csv", 0, "Tel", QStringLiteral("01904 111"));
    row("google fax in notes", "google.csv", 0, "Notes~", QStringLiteral("Phone (Work Fax): 0113 496 0001"));
    row("google first e-mail", "google.csv", 0, "Email", QStringLiteral("ann@home.example"));
    row("google joined e-mail in notes", "google.csv", 0, "Notes~", QStringLiteral("E-mail (Home): ann@old.example"));
    row("google work e-mail in notes", "google.csv", 0, "Notes~", QStringLiteral("E-mail (Work): ann@work.example"));
    row("google home address wins", "google.csv", 0, "Address2", QStringLiteral("Flat 2"));
    row("google home town", "google.csv", 0, "Town", QStringLiteral("York"));
    row("google other address in notes", "google.csv", 0, "Notes~", QStringLiteral("Address (Work): 1 Office Park, Leeds LS1 1AA"));
    row("google own notes first", "google.csv", 0, "Notes~", QStringLiteral("Met at the fair\n"));
    row("google other type is home", "google.csv", 1, "Tel", QStringLiteral("555 0101"));
    row("google formatted address only", "google.csv", 1, "Address1", QStringLiteral("9 Pier Road"));
    row("google whole name left out", "google.csv", 1, "Notes", QString());
}

void TestExchange::readers()
{
    QFETCH(QString, file);
    QFETCH(int, record);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    ImportPlan *plan = nullptr;
    const QVector<BookRecord> records = readAll(kData + file, &plan);
    QVERIFY2(plan->problems().isEmpty(), qPrintable(plan->problems().value(0).message));
    QVERIFY(record < records.size());
    const bool contains = field.endsWith('~');
    const int f = AddressFields::indexOf(contains ? field.chopped(1) : field);
    QVERIFY(f >= 0);
    if (contains)
        QVERIFY2(records.at(record)[f].contains(expected), qPrintable(records.at(record)[f]));
    else
        QCOMPARE(records.at(record)[f], expected);
}

void TestExchange::badInputs_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("binary junk") << "junk.vcf" << "junk.vcf, line 2: the file holds binary data";
    QTest::newRow("no END (truncated)") << "noend.vcf" << "noend.vcf, line 5: card 2 has no END:VCARD";
    QTest::newRow("line without colon") << "badline.vcf" << "badline.vcf, line 4: this line cannot be read";
    QTest::newRow("not a vCard") << "notvcard.vcf" << "notvcard.vcf, line 1: this is not part of a card";
    QTest::newRow("stray quote") << "strayquote.csv" << "strayquote.csv, line 3: a stray quote in column 1";
    QTest::newRow("quote never closed") << "openquote.csv" << "openquote.csv, line 2: a quoted value that begins";
}

void TestExchange::badInputs()
{
    QFETCH(QString, file);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString book = copyOfSample(dir);
    const QStringList before = rowsOf(book);
    QString said;
    try {
        auto source = Exchange::open(kData + file, Exchange::formatOf(kData + file));
        ImportPlan plan(*source);
        plan.scan();
        QVERIFY(!plan.writable());
        said = plan.problems().first().where + ": " + plan.problems().first().message;
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        QVERIFY(!errorOf([&] { plan.apply(c); }).isEmpty());
    } catch (const VarnelError &e) {
        said = e.message();
    }
    QVERIFY2(said.startsWith(message), qPrintable(said));
    QCOMPARE(rowsOf(book), before);
}

void TestExchange::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("version");
    QTest::newRow("vCard 3.0") << int(Exchange::Format::VCard) << 3;
    QTest::newRow("vCard 4.0") << int(Exchange::Format::VCard) << 4;
    QTest::newRow("CSV") << int(Exchange::Format::Csv) << 0;
}

void TestExchange::roundTrip()
{
    QFETCH(int, format);
    QFETCH(int, version);
    QTemporaryDir dir;
    const QString sample = copyOfSample(dir);
    const QString file = dir.filePath(format == int(Exchange::Format::Csv) ? "out.csv" : "out.vcf");
    AdoConnection from;
    from.setConnectionString(AdoConnection::connectionStringFor(sample));
    QCOMPARE(Exchange::exportSelection(from, SelectionStatements::all(), file,
                                       Exchange::Format(format), version),
             qint64(rowsOf(sample).size()));
    const QString target = blankBook(dir);
    auto source = Exchange::open(file, Exchange::Format(format));
    ImportPlan plan(*source);
    plan.scan();
    QVERIFY(plan.problems().isEmpty());
    QCOMPARE(plan.cutCount(), 0);
    AdoConnection to;
    to.setConnectionString(AdoConnection::connectionStringFor(target));
    plan.apply(to);
    to.close();
    QCOMPARE(rowsOf(target), rowsOf(sample));
}

void TestExchange::cutValuesGoWholeIntoNotes()
{
    ImportPlan *plan = nullptr;
    const QVector<BookRecord> r = readAll(kData + "outlook.csv", &plan);
    QCOMPARE(plan->cutCount(), 1);
    QCOMPARE(plan->cuts().first().where, QStringLiteral("outlook.csv, line 2"));
    QCOMPARE(plan->cuts().first().message, QStringLiteral("Work Tel: +1-418-656-9254;ext=102"));
    QCOMPARE(r.first()[WorkTel].size(), 15);
    QVERIFY(r.first()[Notes].contains("Work Tel: +1-418-656-9254;ext=102"));
}

void TestExchange::cancelledImportLeavesBookAsItWas()
{
    QTemporaryDir dir;
    const QString csv = dir.filePath("many.csv");
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Surname,Firstname\n");
        for (int i = 0; i < 1200; ++i)
            f.write(QByteArray("Person") + QByteArray::number(i) + ",A\n");
    }
    const QString book = copyOfSample(dir);
    const QStringList before = rowsOf(book);
    CsvReader source(csv);
    ImportPlan plan(source);
    plan.scan();
    QCOMPARE(plan.count(), 1200);
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(book));
    qint64 seen = 0;
    QCOMPARE(plan.apply(c, [&](qint64 n) { seen = n; return n < 1000; }), 0);
    QCOMPARE(seen, 1000);
    c.close();
    QCOMPARE(rowsOf(book), before);
    // Done in full, it all lands.
    QCOMPARE(plan.apply(c), 1200);
    c.close();
    QCOMPARE(rowsOf(book).size(), before.size() + 1200);
}

void TestExchange::accessEmployees()
{
    if (!QFileInfo::exists(kAccess + "nwind.mdb"))
        QSKIP("The shared Access sample files (../shared/fixtures/access) are not here");
    AccessBook mdb(kAccess + "nwind.mdb");
    QVERIFY(mdb.tables().contains("Employees"));
    QVERIFY(!mdb.tables().contains("HomeAd"));
    AccessBook::Table employees(mdb, "Employees");
    ImportPlan plan(employees);
    plan.scan();
    QCOMPARE(plan.count(), 9);
    const BookRecord &first = plan.preview().first();
    QCOMPARE(first[Surname], QStringLiteral("Davolio"));
    QCOMPARE(first[Firstname], QStringLiteral("Nancy"));
    QCOMPARE(first[Address2], QStringLiteral("Apt. 2A")); // the line break in Address
    QCOMPARE(first[Birthday], QStringLiteral("1948-12-08"));
    QVERIFY(first[Notes].contains("Title: Sales Representative"));
    QVERIFY(!first[Notes].contains("Photo"));
    // The library cuts a value at the end of its buffer without a word; read
    // into buffers far smaller than the memos, each still comes whole.
    AccessBook::Table small(mdb, "Employees", 64);
    ImportPlan smallPlan(small);
    smallPlan.scan();
    QVERIFY(smallPlan.problems().isEmpty());
    QCOMPARE(smallPlan.count(), 9);
    int longer = 0;
    for (int i = 0; i < 9; ++i) {
        QCOMPARE(smallPlan.preview().at(i)[Notes], plan.preview().at(i)[Notes]);
        longer += plan.preview().at(i)[Notes].toUtf8().size() > 64 * 4;
    }
    QVERIFY(longer > 0);

    QTemporaryDir dir;
    ScratchProgramFolder folder;
    ProgramFolder::set(folder.path());
    // Without HomeAd there is nothing to convert, and no book is left behind.
    const QString target = dir.filePath("new.vdf");
    QVERIFY(errorOf([&] { Exchange::convert(kAccess + "nwind.mdb", target); }).contains("holds no table HomeAd"));
    QVERIFY(!QFileInfo::exists(target));
    const QString date = kAccess + "DateTestDatabase.mdb";
    AccessBook jet4(date);
    QCOMPARE(jet4.tables(), QStringList{"DateTest"});
}

void TestExchange::accessDamaged()
{
    if (!QFileInfo::exists(kAccess + "nwind.mdb"))
        QSKIP("The shared Access sample files (../shared/fixtures/access) are not here");
    QTemporaryDir dir;
    QFile in(kAccess + "nwind.mdb");
    QVERIFY(in.open(QIODevice::ReadOnly));
    QFile out(dir.filePath("cut.mdb"));
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(in.read(3000));
    out.close();
    const QString said = errorOf([&] { AccessBook b(out.fileName()); });
    QVERIFY2(said.contains("cut.mdb cannot be read"), qPrintable(said));
}

void TestExchange::hugeFileIsStreamed()
{
    // 100 MB of people with a stray quote on the last line: the reader names
    // the line, and the process never holds the file.
    QTemporaryDir dir;
    const QString csv = dir.filePath("huge.csv");
    const int lines = 1250000;
    {
        QFile f(csv);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Surname,Firstname,Town,Notes\n");
        QByteArray block;
        const QByteArray row = "Abercrombie-Fitzgerald,Bartholomew,Little Snoring,A note of some length here...\n";
        for (int i = 0; i < 1000; ++i)
            block += row;
        for (int i = 0; i < lines / 1000; ++i)
            f.write(block);
        f.write("O\"Neill,Pat,Cork,\n");
    }
    QVERIFY(QFileInfo(csv).size() > 100'000'000);
    const auto residentKb = [] {
        QFile s("/proc/self/status");
        s.open(QIODevice::ReadOnly);
        for (const QByteArray &l : s.readAll().split('\n'))
            if (l.startsWith("VmHWM:"))
                return l.mid(6).trimmed().split(' ').first().toLongLong();
        return 0LL;
    };
    const qint64 before = residentKb();
    CsvReader source(csv);
    ImportPlan plan(source);
    plan.scan();
    QCOMPARE(plan.count(), lines + 1);
    QCOMPARE(plan.problems().size(), 1);
    QCOMPARE(plan.problems().first().where, QStringLiteral("huge.csv, line %1").arg(lines + 2));
#ifndef __SANITIZE_ADDRESS__
    // (AddressSanitizer holds freed memory back, so only a plain build can tell.)
    QVERIFY2(residentKb() - before < 40 * 1024, "the reader held much of the file in memory");
#endif
}

void TestExchange::commandLine()
{
    QTemporaryDir dir;
    const QString book = copyOfSample(dir);
    const QString tool = QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-book");
    auto run = [&](const QStringList &args, QString *out = nullptr) {
        QProcess p;
        p.start(tool, args);
        p.waitForFinished(60000);
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
        return p.exitCode();
    };
    const QStringList before = rowsOf(book);
    QString said;
    QCOMPARE(run({"import", book, kData + "outlook.csv", "--dry-run"}, &said), 0);
    QVERIFY2(said.contains("Records read: 1") && said.contains("Work Tel: +1-418-656-9254;ext=102") &&
                 said.contains("Dry run"),
             qPrintable(said));
    QCOMPARE(rowsOf(book), before);
    QCOMPARE(run({"import", book, kData + "strayquote.csv"}, &said), 1);
    QVERIFY(said.contains("strayquote.csv, line 3"));
    QCOMPARE(run({"import", book, kData + "tabs.csv", "--map", "Cell=Phone 1 - Value"}), 0);
    QVERIFY(rowsOf(book).join('\n').contains("Kim|<null>|Ji|"));
    QVERIFY(rowsOf(book).join('\n').contains("|555 0101|"));
    QCOMPARE(run({"import", book, kData + "tabs.csv", "--map", "Nickname=Surname"}, &said), 1);
    QVERIFY(said.contains("'Nickname' is not a field"));
    const QString out = dir.filePath("b.csv");
    QCOMPARE(run({"export", book, out, "--letter", "B"}, &said), 0);
    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    QVERIFY(lines.first().startsWith("Surname,Midname,Firstname,Address1"));
    QVERIFY(lines.size() > 2);
    for (int i = 1; i < lines.size(); ++i)
        QVERIFY(lines.at(i).isEmpty() || lines.at(i).toUpper().startsWith('B') || lines.at(i).startsWith("\"B"));
    QCOMPARE(run({"export", book}), 2);
}

void TestExchange::importWindow()
{
    QTemporaryDir dir;
    const QString book = copyOfSample(dir);
    const int before = rowsOf(book).size();
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(book));
    ImportWindow w(&c, kData + "outlook.csv");
    w.show();
    auto *summary = w.findChild<QLabel *>("lbSummary");
    auto *notes = w.findChild<QListWidget *>("lvNotes");
    QVERIFY(summary->text().startsWith("1 record(s) will be added to book.vdf") ||
            summary->text().startsWith("1 record(s) will be added to Varnel.vdf"));
    QCOMPARE(notes->count(), 1);
    QVERIFY(notes->item(0)->text().contains("Work Tel: +1-418-656-9254;ext=102"));
    // The user sends the job title to Flag2, which holds 6 characters: a
    // second cut is listed before anything is written.
    auto *jobTitle = w.findChild<QComboBox *>("cbField9");
    QVERIFY(jobTitle);
    jobTitle->setCurrentIndex(jobTitle->findText("Flag2"));
    QCOMPARE(notes->count(), 2);
    QCOMPARE(rowsOf(book).size(), before);
    QSignalSpy done(&w, &ImportWindow::imported);
    QTest::mouseClick(w.findChild<QPushButton *>("btnImport"), Qt::LeftButton);
    QCOMPARE(done.size(), 1);
    QVERIFY2(summary->text().startsWith("Added 1 record(s)"), qPrintable(summary->text()));
    QVERIFY(!w.findChild<QPushButton *>("btnImport")->isEnabled());
    c.close();
    const QString all = rowsOf(book).join('\n');
    QVERIFY(all.contains("Doe|<null>|John|12 Long Road|Upper Flat|<null>|Bath|"));
    QVERIFY(all.contains("|Manage"));
    QVERIFY(all.contains("Flag2: Manager"));

    // A file that cannot be read offers no Import.
    ImportWindow bad(&c, kData + "strayquote.csv");
    QVERIFY(!bad.findChild<QPushButton *>("btnImport")->isEnabled());
    QVERIFY(bad.findChild<QListWidget *>("lvNotes")->item(0)->text().contains("line 3"));
}

void TestExchange::mainWindowImport()
{
    RunningProgram program;
    QAction *import = mainWindow()->findChild<QAction *>("miImport");
    QVERIFY(import && import->isEnabled());
    QVERIFY(mainWindow()->findChild<QAction *>("miExport")->isEnabled());
    const int before = mainWindow()->book()->query()->recordCount();
    program.platform.dialogs.answers << kData + "v30.vcf";
    QTimer::singleShot(0, [] {
        auto *w = qobject_cast<ImportWindow *>(QApplication::activeModalWidget());
        QVERIFY(w);
        QTest::mouseClick(w->findChild<QPushButton *>("btnImport"), Qt::LeftButton);
        QTest::mouseClick(w->findChild<QPushButton *>("btnCancel"), Qt::LeftButton);
    });
    import->trigger();
    QCOMPARE(mainWindow()->book()->query()->recordCount(), before + 2);
    // The file dialog started where the books are, wherever the program was started.
    QCOMPARE(program.platform.dialogs.lastFileRequest.folder, ProgramFolder::path());
    QVERIFY(ProgramFolder::path() != QDir::currentPath() + '/');

    // With the book closed there is nothing to import into: it says so, and
    // no import window opens.
    named<QAction>(mainWindow(), "miClose")->trigger();
    program.platform.dialogs.answers << kData + "v30.vcf";
    const auto opened = std::make_shared<bool>(false);
    QTimer::singleShot(0, [opened] {
        if (auto *w = qobject_cast<ImportWindow *>(QApplication::activeModalWidget())) {
            *opened = true;
            w->reject();
        }
    });
    import->trigger();
    QVERIFY(!*opened);
    QVERIFY2(program.log().last().contains("No address book is open"), qPrintable(program.log().last()));
}

namespace {
// The mapping row of the import window for a column, by its title.
QComboBox *fieldFor(QWidget *import, const QString &title)
{
    auto *mapping = named<QTableWidget>(import, "tbMapping");
    for (int i = 0; i < mapping->rowCount(); ++i)
        if (mapping->item(i, 0)->text() == title)
            return named<QComboBox>(import, QStringLiteral("cbField%1").arg(i));
    throw std::runtime_error("no column " + title.toStdString() + " in the mapping");
}

// Chooses `text` in a drop-down list as a user does: opens it, clicks the item.
void pick(QComboBox *box, const QString &text)
{
    const int i = box->findText(text);
    if (i < 0)
        throw std::runtime_error("no item " + text.toStdString() + " in " + box->objectName().toStdString());
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView *list = box->view();
    if (!QTest::qWaitForWindowExposed(list->window()))
        throw std::runtime_error("the list of " + box->objectName().toStdString() + " did not open");
    const QModelIndex item = list->model()->index(i, box->modelColumn(), list->rootIndex());
    list->scrollTo(item);
    const QPoint at = list->visualRect(item).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Closes a modal window when the steps on it end, passed or failed, so that
// a failure inside does not leave the test waiting.
struct ClosesAtEnd
{
    QDialog *window;
    ~ClosesAtEnd()
    {
        if (window && window->isVisible())
            window->reject();
    }
};

// Nancy Davolio as the Employees table of the sample Access file gives her,
// her extension mapped to Work Tel.
void verifyDavolio(const QStringList &rows)
{
    const QString all = rows.join('\n');
    QVERIFY2(all.contains("Davolio|<null>|Nancy|507 - 20th Ave. E.|Apt. 2A|<null>|Seattle|WA|98122|USA|"
                          "(206) 555-9857|<null>|<null>|1948-12-08|Education includes"),
             qPrintable(all));
    QVERIFY(all.contains("Title: Sales Representative"));
    QVERIFY(all.contains("|5467|<null>|<null>"));
}
} // namespace

void TestExchange::accessTableIntoBookInUse()
{
    if (!QFileInfo::exists(kAccess + "nwind.mdb"))
        QSKIP("The shared Access sample files (../shared/fixtures/access) are not here");
    RunningProgram program;
    const QString inUse = mainWindow()->book()->fileInUse();
    const int before = mainWindow()->book()->query()->recordCount();
    // Opening an Access file that is no address book offers to bring in one
    // of its tables; the book in use stays in use and gets them.
    QFile::copy(kAccess + "nwind.mdb", program.folder.file("old.vdf"));
    program.platform.dialogs.answers << program.folder.file("old.vdf") << QStringLiteral("Import");
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<ImportWindow *>(QApplication::activeModalWidget());
        QVERIFY(w);
        const ClosesAtEnd closes{w};
        auto *table = named<QComboBox>(w, "cbTable");
        QVERIFY(table->count() > 1);
        pick(table, "Employees");
        QCOMPARE(table->currentText(), QStringLiteral("Employees"));
        QVERIFY2(named<QLabel>(w, "lbSummary")->text().startsWith("9 record(s) will be added"),
                 qPrintable(named<QLabel>(w, "lbSummary")->text()));
        QComboBox *extension = fieldFor(w, "Extension");
        pick(extension, "Work Tel");
        QCOMPARE(extension->currentText(), QStringLiteral("Work Tel"));
        QTest::mouseClick(named<QPushButton>(w, "btnImport"), Qt::LeftButton);
        QVERIFY(named<QLabel>(w, "lbSummary")->text().startsWith("Added 9 record(s)"));
        QTest::mouseClick(named<QPushButton>(w, "btnCancel"), Qt::LeftButton);
        seen = true;
    });
    named<QAction>(mainWindow(), "miOpenFile")->trigger();
    QVERIFY(seen);
    QVERIFY2(program.log().join('\n').contains("old.vdf is a database in the older Access format, but not an "
                                               "address book. Import people from one of its tables into "),
             qPrintable(program.log().join('\n')));
    QVERIFY(!QFileInfo::exists(program.folder.file("old (converted).vdf")));
    QCOMPARE(mainWindow()->book()->fileInUse(), inUse);
    QCOMPARE(mainWindow()->book()->query()->recordCount(), before + 9);
    verifyDavolio(rowsOf(inUse));

    // Answered Cancel, nothing comes in.
    program.platform.dialogs.answers << program.folder.file("old.vdf") << QStringLiteral("Cancel");
    named<QAction>(mainWindow(), "miOpenFile")->trigger();
    QCOMPARE(mainWindow()->book()->query()->recordCount(), before + 9);
}

void TestExchange::accessTableFromCommandLine()
{
    if (!QFileInfo::exists(kAccess + "nwind.mdb"))
        QSKIP("The shared Access sample files (../shared/fixtures/access) are not here");
    QTemporaryDir dir;
    const QString book = blankBook(dir);
    QProcess p;
    p.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-book"),
            {"import", book, kAccess + "nwind.mdb", "--format", "access", "--table", "Employees", "--map",
             "Work Tel=Extension"});
    QVERIFY(p.waitForFinished(60000));
    const QString said = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    QVERIFY2(p.exitCode() == 0 && said.contains("Records read: 9") && said.contains("Records written: 9"),
             qPrintable(said));
    const QStringList rows = rowsOf(book);
    QCOMPARE(rows.size(), 9);
    verifyDavolio(rows);
    // Without --table the tool cannot guess, and says which there are.
    p.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-book"), {"import", book, kAccess + "nwind.mdb"});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains("choose one of its tables: "));
    QCOMPARE(rowsOf(book).size(), 9);
}

void TestExchange::exportWindowWritesTheSelection()
{
    RunningProgram program;
    // The grid shows the B surnames; only they are written.
    QTest::mouseClick(named<QRadioButton>(mainWindow(), "RadioGroup1_B"), Qt::LeftButton);
    AdoQuery *q = mainWindow()->book()->query();
    QStringList shown;
    for (int r = 0; r < q->recordCount(); ++r)
        shown << q->displayText(r, Surname);
    QVERIFY(!shown.isEmpty());
    QVERIFY(shown.size() < rowsOf(mainWindow()->book()->fileInUse()).size());
    const QString out = program.folder.file("b people.csv");
    program.platform.dialogs.answers << out;
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto *w = qobject_cast<ExportWindow *>(QApplication::activeModalWidget());
        QVERIFY(w);
        const ClosesAtEnd closes{w};
        QTest::keyClick(named<QComboBox>(w, "cbFormat"), Qt::Key_End);
        QVERIFY(named<QComboBox>(w, "cbFormat")->currentText().startsWith("CSV"));
        QTest::mouseClick(named<QPushButton>(w, "btnBrowse"), Qt::LeftButton);
        QCOMPARE(named<QLineEdit>(w, "edFile")->text(), out);
        QTest::mouseClick(named<QPushButton>(w, "btnExport"), Qt::LeftButton);
        QCOMPARE(named<QLabel>(w, "lbSummary")->text(),
                 QStringLiteral("Wrote %1 record(s) to b people.csv.").arg(shown.size()));
        QTest::mouseClick(named<QPushButton>(w, "btnClose"), Qt::LeftButton);
        seen = true;
    });
    named<QAction>(mainWindow(), "miExport")->trigger();
    QVERIFY(seen);
    // The save dialog started where the books are, on a name of the book's.
    QCOMPARE(program.platform.dialogs.lastFileRequest.folder, ProgramFolder::path());
    QCOMPARE(program.platform.dialogs.lastFileRequest.fileName, QStringLiteral("Varnel.csv"));

    CsvReader back(out);
    ImportPlan plan(back);
    plan.scan(int(shown.size()) + 1);
    QVERIFY(plan.problems().isEmpty());
    QStringList written;
    for (const BookRecord &r : plan.preview())
        written << r[Surname];
    QCOMPARE(written, shown);
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
