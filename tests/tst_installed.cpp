// The program installed under a prefix (files in share/varnel, the user's own
// in the XDG folders), and a book named on the command line.
#include "TestSupport.h"

#include "app/HomeGrid.h"
#include "platform/IniFile.h"
#include "app/VarnelApp.h"
#include "browse/CountyListFile.h"
#include "platform/ProgramFolder.h"
#include "platform/StartupBook.h"
#include "store/AdoConnection.h"

#include <QAction>
#include <QDirIterator>
#include <QtTest>

namespace {

// Every file under `root` with its size and time of last change.
QStringList snapshot(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        files << QStringLiteral("%1 %2 %3")
                     .arg(f.filePath())
                     .arg(f.size())
                     .arg(f.lastModified().toMSecsSinceEpoch());
    }
    files.sort();
    return files;
}

QStringList surnames(const QString &book)
{
    AdoConnection c;
    c.setConnectionString(AdoConnection::connectionStringFor(book));
    QStringList names;
    for (const AdoConnection::Row &r : c.select("SELECT * FROM HomeAd", {"Surname"}).rows)
        names << r.values.first().toString();
    return names;
}

void trigger(const char *name) { mainWindow()->findChild<QAction *>(name)->trigger(); }

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT

    QTemporaryDir m_prefix, m_home;
    QString m_shared, m_config, m_data;

private slots:
    void init()
    {
        // A prefix as `cmake --install` lays it out, and a user's home.
        QVERIFY(QDir().mkpath(m_prefix.filePath("bin")));
        m_shared = m_prefix.filePath("share/varnel/");
        QVERIFY(QDir().mkpath(m_shared));
        const ScratchProgramFolder built;
        for (const QString &name : QDir(built.path()).entryList(QDir::Files))
            QVERIFY(QFile::copy(built.file(name), m_shared + name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath("data")));
        m_config = m_home.filePath("config/Varnel/");
        m_data = m_home.filePath("data/Varnel/");
        ProgramFolder::set(m_prefix.filePath("bin"));
    }

    void cleanup()
    {
        for (const QString &d : {m_prefix.filePath("bin"), m_prefix.filePath("share"),
                                 m_home.filePath("config"), m_home.filePath("data")})
            QDir(d).removeRecursively();
    }

    void filesGoToTheUsersFolders()
    {
        QVERIFY(!ProgramFolder::isPortable());
        QCOMPARE(ProgramFolder::path(), m_data);
        QCOMPARE(IniFile::settingsPath(), m_config + "VarnIni.ini");
        QCOMPARE(CountyListFile::path(), m_config + "ListFile.txt");
        QCOMPARE(ProgramFolder::file("Manual.pdf"), m_shared + "Manual.pdf");
        QCOMPARE(ProgramFolder::file("post.wav"), m_shared + "post.wav");
        // The books and the list are the user's copies of the installed ones.
        for (const char *name : {"Varnel.vdf", "NewFile.vdf"}) {
            QCOMPARE(ProgramFolder::file(name), m_data + name);
            QCOMPARE(surnames(m_data + name), surnames(m_shared + name));
            QVERIFY(QFileInfo(m_data + name).permissions() & QFile::WriteOwner);
        }
        QCOMPARE(CountyListFile::read(CountyListFile::path()), CountyListFile::read(m_shared + "ListFile.txt"));
        QVERIFY(QDir(m_data).entryList({"*.part*"}).isEmpty());
    }

    void theUsersCopiesAreNeverReplaced()
    {
        const QString book = ProgramFolder::file("Varnel.vdf");
        AdoConnection c;
        c.setConnectionString(AdoConnection::connectionStringFor(book));
        c.execute("DELETE FROM HomeAd");
        c.close();
        CountyListFile::write(CountyListFile::path(), {"Mine"});
        ProgramFolder::set(m_prefix.filePath("bin"));
        QCOMPARE(ProgramFolder::file("Varnel.vdf"), book);
        QVERIFY(surnames(book).isEmpty());
        QCOMPARE(CountyListFile::read(CountyListFile::path()), QStringList{"Mine"});
    }

    void aRunWritesNothingUnderThePrefix()
    {
        const QStringList before = snapshot(m_prefix.path());
        QVERIFY(QDir().mkpath(m_config));
        QFile ini(m_config + "VarnIni.ini");
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(RunningProgram::quietStart());
        ini.close();
        {
            ScriptedPlatform platform;
            VarnelApp program;
            TfmHomeAddMain *w = program.mainWindow();
            QCOMPARE(w->book()->fileInUse(), m_data + "Varnel.vdf");
            w->book()->query()->insert();
            w->book()->query()->setFieldValue("Surname", "Quill");
            w->book()->query()->post();
            // New File continues in the user's blank book, and the dialogs
            // start in the user's book folder.
            trigger("NewFile1");
            QCOMPARE(w->book()->fileInUse(), m_data + "NewFile.vdf");
            w->book()->query()->insert();
            w->book()->query()->setFieldValue("Surname", "Blank");
            w->book()->query()->post();
            trigger("miOpenFile");
            QCOMPARE(platform.dialogs.lastFileRequest.folder, m_data);
            w->close();
            QCOMPARE(platform.dialogs.log, QStringList{"Open:  -> Cancel"});
        }
        QCOMPARE(snapshot(m_prefix.path()), before);
        QVERIFY(surnames(m_data + "Varnel.vdf").contains("Quill"));
        QCOMPARE(surnames(m_data + "NewFile.vdf"), QStringList{"Blank"});
        QVERIFY(surnames(m_shared + "NewFile.vdf").isEmpty());
        QVERIFY(IniFile(IniFile::settingsPath()).readInteger("MainForm", "Status", 0) != 0);
    }

    void aBookOnTheCommandLineIsOpened()
    {
        QTemporaryDir dir;
        const QString book = copyOfSample(dir, "Friends.vdf");
        StartupBook::request(book);
        RunningProgram program;
        QCOMPARE(mainWindow()->book()->fileInUse(), book);
        QCOMPARE(mainWindow()->statusPanel(2), "File in use:  " + book);
        QVERIFY(mainWindow()->book()->query()->recordCount() > 0);
        QVERIFY(program.log().isEmpty());
    }

    void aBookThatCannotBeOpenedGivesWayToTheStartUpChoice()
    {
        QTemporaryDir dir;
        const QString junk = dir.filePath("letter.vdf");
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("Dear Ann,\r\nThis is no address book.\r\n");
        f.close();
        StartupBook::request(junk);
        RunningProgram program;
        QCOMPARE(mainWindow()->book()->fileInUse(), program.folder.file("Varnel.vdf"));
        QCOMPARE(program.log().size(), 1);
        QVERIFY(program.log().first().startsWith("Varnel: '" + junk + "' is not an address book file"));
        // Asked once: the next start has its own choice.
        QVERIFY(StartupBook::take().isEmpty());
    }
};

QTEST_MAIN(TestInstalled)
#include "tst_installed.moc"
