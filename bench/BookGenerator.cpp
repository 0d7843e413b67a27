#include "BookGenerator.h"

#include "platform/VarnelError.h"
#include "store/SelectionStatements.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>

namespace {

const char *const kSurnames[] = {
    "Abbot", "adams", "Ahmed", "Allen", "Atkinson", "Bailey", "Baker", "Barnes", "Bell", "Bennett",
    "Brown", "Butler", "Campbell", "Carter", "Chapman", "Clark", "Clarke", "Collins", "Cook", "Cooper",
    "Cox", "Davies", "Davis", "Dawson", "Dixon", "Edwards", "Élie", "Ellis", "Evans", "Fisher",
    "Fletcher", "Foster", "Fox", "Gibson", "Graham", "Gray", "Green", "Griffiths", "Hall", "Harris",
    "Harrison", "Hill", "Holmes", "Hughes", "Hunt", "Hussain", "Jackson", "James", "Jenkins", "Johnson",
    "Jones", "Kaur", "Kelly", "Kennedy", "King", "Knight", "Lee", "Lewis", "Lloyd", "Marshall",
    "Martin", "Mason", "Matthews", "McDonald", "Mills", "Mitchell", "Moore", "Morgan", "Morris", "Murphy",
    "Murray", "Owen", "Palmer", "Parker", "Patel", "Pearson", "Phillips", "Powell", "Price", "Quinn",
    "Reid", "Richards", "Roberts", "Robinson", "Rogers", "Rose", "Russell", "Scott", "Shaw", "Simpson",
    "Smith", "Stevens", "Stewart", "Taylor", "Thomas", "Thompson", "Turner", "Underwood", "Vaughan",
    "Walker", "Ward", "Watson", "White", "Williams", "Wilson", "Wood", "Wright", "Young", "Zielinski",
    "Østergaard"};
const char *const kFirst[] = {"Alan", "Alice", "Amelia", "Anne", "Ben", "Brian", "Carol", "Chloe", "Daniel",
                              "David", "Eleri", "Emily", "Fiona", "George", "Grace", "Hamish", "Harry",
                              "Helen", "Ian", "Imran", "Jack", "James", "Jane", "Julia", "Katie", "Lars",
                              "Liam", "Lucy", "Mark", "Mary", "Megan", "Nora", "Oliver", "Owen", "Peter",
                              "Priya", "Rachel", "Rhys", "Ruth", "Sarah", "Simon", "Siobhan", "Tom",
                              "Victoria", "William", "Zoe"};
const char *const kStreets[] = {"Mill Lane", "High Street", "Church Road", "Station Road", "Park Avenue",
                                "Victoria Road", "Queen Street", "The Green", "Kingsway", "Oak Drive",
                                "Orchard Close", "Manor Way", "Riverside", "Castle Street", "Elm Grove"};
const char *const kVillages[] = {"", "", "", "Little Marlow", "Hatch End", "Buxted", "Llanfair", "Wye",
                                 "Dedham", "Grasmere", "Kelso", "Portree"};
const char *const kTowns[] = {"Aberdeen", "Bath", "Belfast", "Brighton", "Bristol", "Cardiff", "Chester",
                              "Dundee", "Edinburgh", "Ely", "Harrogate", "Ipswich", "Leeds", "Leicester",
                              "Lincoln", "London", "Manchester", "Nottingham", "Swansea", "York"};
const char *const kCounties[] = {"Avon", "Berkshire", "Cambridgeshire", "Cheshire", "Cumbria", "Devon",
                                 "East Sussex", "Essex", "Gwynedd", "Kent", "Lancashire", "Midlothian",
                                 "Norfolk", "North Yorkshire", "Somerset", "Suffolk", ""};
const char *const kFlags[] = {"", "", "", "XMAS", "CLUB", "FAM"};

template <typename T, size_t N>
const char *pick(T (&list)[N], quint64 &seed)
{
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return list[(seed >> 33) % N];
}

quint64 next(quint64 &seed, quint64 n)
{
    seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    return (seed >> 33) % n;
}

void check(int rc, sqlite3 *db, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw VarnelError(QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

} // namespace

void BookGenerator::make(const QString &path, int people)
{
    QFile::remove(path);
    QFile schemaFile(QStringLiteral(VARNEL_BOOK_SCHEMA));
    if (!schemaFile.open(QIODevice::ReadOnly))
        throw VarnelError(QStringLiteral("Cannot read %1").arg(schemaFile.fileName()));
    const QByteArray schema = schemaFile.readAll();

    sqlite3 *db = nullptr;
    check(sqlite3_open(path.toUtf8().constData(), &db), db, "open");
    check(sqlite3_exec(db, schema.constData(), nullptr, nullptr, nullptr), db, "schema");
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db, "begin");
    sqlite3_stmt *ins = nullptr;
    check(sqlite3_prepare_v2(db,
                             "INSERT INTO HomeAd (Surname, Firstname, Address1, A3_Village, Town, County, "
                             "PostCode, Country, Tel, Cell, Email, Birthday, Notes, Flag) "
                             "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                             -1, &ins, nullptr),
          db, "prepare");
    quint64 seed = 20261209;
    for (int i = 0; i < people; ++i) {
        const QByteArray surname = pick(kSurnames, seed);
        const QByteArray first = pick(kFirst, seed);
        const QByteArray addr = QByteArray::number(1 + next(seed, 200)) + ' ' + pick(kStreets, seed);
        const QByteArray village = pick(kVillages, seed);
        const QByteArray town = pick(kTowns, seed);
        const QByteArray county = pick(kCounties, seed);
        const QByteArray post = QByteArrayLiteral("AB") + QByteArray::number(1 + next(seed, 30)) + ' '
                                + QByteArray::number(next(seed, 10)) + char('A' + next(seed, 26))
                                + char('A' + next(seed, 26));
        const QByteArray tel = "01" + QByteArray::number(100 + next(seed, 900)) + ' '
                               + QByteArray::number(100000 + next(seed, 900000));
        const QByteArray cell = next(seed, 3) ? "07700 " + QByteArray::number(900000 + next(seed, 99999)) : "";
        const QByteArray email = next(seed, 2) ? first.toLower() + '.' + QByteArray::number(i) + "@example.org" : "";
        const QByteArray birthday = next(seed, 3) ? QByteArray::number(1930 + next(seed, 80)) + '-'
                                                        + QByteArray::number(101 + next(seed, 12)).right(2)
                                                        + '-' + QByteArray::number(10 + next(seed, 19))
                                                  : "";
        const QByteArray notes = next(seed, 8) ? "" : "Met at the spring fair; sends a card every year.";
        const QByteArray flag = pick(kFlags, seed);
        const QByteArray values[] = {surname, first, addr, village, town, county, post,
                                     "United Kingdom", tel, cell, email, birthday, notes, flag};
        for (int c = 0; c < 14; ++c) {
            if (values[c].isEmpty())
                sqlite3_bind_null(ins, c + 1);
            else
                sqlite3_bind_text(ins, c + 1, values[c].constData(), int(values[c].size()), SQLITE_TRANSIENT);
        }
        check(sqlite3_step(ins), db, "insert");
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db, "commit");
    sqlite3_close(db);
}

QString BookGenerator::cached(int people)
{
    const QString dir = QDir::tempPath() + QStringLiteral("/varnel-bench");
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/people-%1.vdf").arg(people);
    if (!QFileInfo::exists(path))
        make(path, people);
    return path;
}

OpenedBook::OpenedBook(const QString &file)
{
    connection.setConnectionString(AdoConnection::connectionStringFor(file));
    query.setObjectName(QStringLiteral("HomeQuery"));
    query.setSql(SelectionStatements::all());
    query.open();
}
