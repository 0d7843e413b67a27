#include "TestSupport.h"
#include "platform/IniFile.h"
#include "app/VarnelApp.h"
#include "platform/ProgramFolder.h"
#include "platform/VarnelError.h"

#include <QApplication>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

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

class tst_settings : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_path = m_dir.filePath(QStringLiteral("VarnIni.ini"));
        QFile::remove(m_path);
    }

    void settingsFileIsInTheProgramFolder()
    {
        ProgramFolder::set(m_dir.path());
        QCOMPARE(IniFile::settingsPath(), m_dir.path() + QStringLiteral("/VarnIni.ini"));
    }

    void readInteger_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("1234") << 1234;
        QTest::newRow("negative, a window left of the main screen") << QByteArray("-1280") << -1280;
        QTest::newRow("hex 0x") << QByteArray("0x1F") << 31;
        QTest::newRow("hex 0X lower digits") << QByteArray("0X1f") << 31;
        QTest::newRow("blanks round the value") << QByteArray("  42 ") << 42;
        QTest::newRow("largest int") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("empty") << QByteArray("") << -7;
        QTest::newRow("word") << QByteArray("yes") << -7;
        QTest::newRow("trailing text") << QByteArray("12px") << -7;
        QTest::newRow("hex prefix alone") << QByteArray("0x") << -7;
        QTest::newRow("hex digits without prefix") << QByteArray("1F") << -7;
        QTest::newRow("fraction") << QByteArray("1.5") << -7;
        QTest::newRow("beyond int") << QByteArray("2147483648") << -7;
        QTest::newRow("two signs") << QByteArray("--3") << -7;
    }
    void readInteger()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        put(m_path, "[MainForm]\r\nTop=" + value + "\r\n");
        QCOMPARE(IniFile(m_path).readInteger("MainForm", "Top", -7), expected);
    }

    void readBool_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("defaultValue");
        QTest::addColumn<bool>("expected");
        QTest::newRow("1") << QByteArray("1") << false << true;
        QTest::newRow("0") << QByteArray("0") << true << false;
        QTest::newRow("any other number is true") << QByteArray("-2") << false << true;
        QTest::newRow("0x0 is false") << QByteArray("0x0") << true << false;
        QTest::newRow("yes gives the default true") << QByteArray("yes") << true << true;
        QTest::newRow("yes gives the default false") << QByteArray("yes") << false << false;
        QTest::newRow("empty gives the default") << QByteArray("") << true << true;
    }
    void readBool()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, defaultValue);
        QFETCH(bool, expected);
        put(m_path, "[Options]\r\nChecked=" + value + "\r\n");
        QCOMPARE(IniFile(m_path).readBool("Options", "Checked", defaultValue), expected);
    }

    void missingPiecesGiveTheDefault()
    {
        IniFile ini(m_path);
        QCOMPARE(ini.readInteger("MainForm", "Status", 5), 5); // no file
        QCOMPARE(ini.readBool("Options", "Show Form", true), true);
        put(m_path, "Top=1\r\n[MainForm]\r\nLeft=2\r\n[Other]\r\nTop=3\r\n");
        QCOMPARE(ini.readInteger("MainForm", "Top", 5), 5);  // only in another section
        QCOMPARE(ini.readInteger("FormView", "Left", 5), 5); // no such section
        put(m_path, "");
        QCOMPARE(ini.readInteger("MainForm", "Left", 5), 5);
    }

    void namesMatchWithoutCaseAndKeepInnerBlanks()
    {
        put(m_path, "; kept by hand\r\n[ OPTIONS ]\r\n  show form = 0\r\nchecked=0\r\n"
                    "[dbgrid]\r\nWSURNAME=88\r\n[DBGrid]\r\nWSurname=99\r\n");
        const IniFile ini(m_path);
        QCOMPARE(ini.readBool("Options", "Show Form", true), false);
        QCOMPARE(ini.readBool("Options", "Checked", true), false);
        QCOMPARE(ini.readBool("Options", "ShowForm", true), true);
        // Of two sections of one name the first is the one read and written.
        QCOMPARE(ini.readInteger("DBGrid", "WSurname", 0), 88);
    }

    void readsFilesWithBomAndAnyLineEnding_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("CR LF") << QByteArray("[FormView]\r\nStatus=3\r\nTop=9\r\n");
        QTest::newRow("LF") << QByteArray("[FormView]\nStatus=3\nTop=9");
        QTest::newRow("BOM") << QByteArray("\xEF\xBB\xBF[FormView]\r\nStatus=3\r\nTop=9\r\n");
    }
    void readsFilesWithBomAndAnyLineEnding()
    {
        QFETCH(QByteArray, file);
        put(m_path, file);
        const IniFile ini(m_path);
        QCOMPARE(ini.readInteger("FormView", "Status", 0), 3);
        QCOMPARE(ini.readInteger("FormView", "Top", 0), 9);
    }

    void firstWriteCreatesTheFileWithCrLf()
    {
        IniFile ini(m_path);
        ini.writeBool("Options", "Show Form", false);
        ini.writeBool("Options", "Checked", true);
        ini.writeInteger("MainForm", "Left", -20);
        QCOMPARE(contents(m_path),
                 QByteArray("[Options]\r\nShow Form=0\r\nChecked=1\r\n[MainForm]\r\nLeft=-20\r\n"));
    }

    // Writing a key touches its own value and nothing else of the file.
    void writeKeepsEverythingElse_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");

        const QByteArray file = "; Varnel settings\r\n"
                                "[Options]\r\n"
                                "Checked=1\r\n"
                                "Show Form = 1 \r\n"
                                "Colour=blue\r\n"
                                "\r\n"
                                "[MainForm]\r\n"
                                "Status=3\r\n";
        QTest::newRow("value replaced in place, spelling of the file kept")
            << file << "options" << "SHOW FORM"
            << QByteArray(file).replace("Show Form = 1 ", "Show Form =640");
        QTest::newRow("missing key goes to the end of its section")
            << file << "Options" << "Top"
            << QByteArray(file).replace("Colour=blue\r\n", "Colour=blue\r\nTop=640\r\n");
        QTest::newRow("missing section goes to the end of the file")
            << file << "DBGrid" << "WTown" << file + "[DBGrid]\r\nWTown=640\r\n";
        QTest::newRow("LF endings kept")
            << QByteArray("[MainForm]\nTop=1\n[DBGrid]\nWTel=5\n") << "MainForm" << "Left"
            << QByteArray("[MainForm]\nTop=1\nLeft=640\n[DBGrid]\nWTel=5\n");
        QTest::newRow("BOM kept")
            << QByteArray("\xEF\xBB\xBF[MainForm]\r\nTop=1\r\n") << "MainForm" << "Top"
            << QByteArray("\xEF\xBB\xBF[MainForm]\r\nTop=640\r\n");
        QTest::newRow("no ending on the last line")
            << QByteArray("[MainForm]\r\nTop=1") << "MainForm" << "Width"
            << QByteArray("[MainForm]\r\nTop=1\r\nWidth=640\r\n");
        QTest::newRow("header is the last line")
            << QByteArray("[A]\nx=1\n[MainForm]") << "MainForm" << "Width"
            << QByteArray("[A]\nx=1\n[MainForm]\nWidth=640\n");
        QTest::newRow("empty value filled")
            << QByteArray("[MainForm]\r\nTop=\r\n") << "MainForm" << "Top"
            << QByteArray("[MainForm]\r\nTop=640\r\n");
    }
    void writeKeepsEverythingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        put(m_path, before);
        IniFile ini(m_path);
        ini.writeInteger(section, key, 640);
        QCOMPARE(contents(m_path), after);
        QCOMPARE(ini.readInteger(section, key, 0), 640);
    }

    // Two windows, or two running copies, each with its own IniFile: every
    // read sees the latest write of any of them and any change made by hand.
    void everyReadSeesTheFileAsItIsNow()
    {
        IniFile card(m_path);
        const IniFile form(m_path);
        QCOMPARE(form.readInteger("FormView", "Status", 0), 0);
        card.writeInteger("FormView", "Status", 2);
        QCOMPARE(form.readInteger("FormView", "Status", 0), 2);
        put(m_path, "[FormView]\r\nStatus=1\r\n");
        QCOMPARE(form.readInteger("FormView", "Status", 0), 1);
        QFile::remove(m_path);
        QCOMPARE(form.readInteger("FormView", "Status", 0), 0);
    }

    void refusedWriteRaisesUnableToWrite_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("folder missing") << QStringLiteral("/no/such/folder/VarnIni.ini");
        QTest::newRow("the path is a folder") << m_dir.path();
    }
    void refusedWriteRaisesUnableToWrite()
    {
        QFETCH(QString, path);
        IniFile ini(path);
        try {
            ini.writeBool("Options", "Checked", false);
            QFAIL("the write was not refused");
        } catch (const VarnelError &e) {
            QCOMPARE(e.message(), "Unable to write to " + path);
        }
    }

    void readOnlyFileIsNotReplaced()
    {
        if (geteuid() == 0)
            QSKIP("the superuser may write to read-only files");
        put(m_path, "[Options]\r\nChecked=1\r\n");
        QFile::setPermissions(m_path, QFile::ReadOwner);
        IniFile ini(m_path);
        QVERIFY_THROWS_EXCEPTION(VarnelError, ini.writeBool("Options", "Checked", false));
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(contents(m_path), QByteArray("[Options]\r\nChecked=1\r\n"));
    }

    // A disk that fills up during the write must leave the old settings whole.
    void failedWriteLeavesTheOldFile()
    {
        QByteArray before = "[Options]\r\nChecked=1\r\n[DBGrid]\r\n";
        while (before.size() < 4000)
            before += "Comment=" + QByteArray(60, 'x') + "\r\n";
        put(m_path, before);
        IniFile ini(m_path);
        {
            const FileSizeLimit limit(2000);
            QVERIFY_THROWS_EXCEPTION(VarnelError, ini.writeBool("Options", "Checked", false));
        }
        QCOMPARE(contents(m_path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"VarnIni.ini"});
    }

    // A write cut short when the program was killed leaves its temporary file
    // beside the settings; the next start removes those of the program's own
    // pattern that are older than the run, and nothing else.
    void staleTemporariesAreRemovedAtStart()
    {
        ScratchProgramFolder folder;
        put(folder.file("VarnIni.ini"), RunningProgram::quietStart());
        const QDateTime before = QDateTime::currentDateTime().addSecs(-3600);
        const QStringList stale{"VarnIni.ini.aB3dE9", "VarnIni.ini.ZZZZZZ", "VarnIni.ini.000000"};
        const QStringList kept{"VarnIni.ini.bak123x",    "VarnIni.ini.ab_de1",
                               "VarnIni.ini.abc",        "VarnIni.ini.aB3dE",
                               "ListFile.txt.aB3dE9",    "varnini.ini.aB3dE9",
                               "VarnIni.ini.aB3dE9.txt", "VarnIni.ini.Fresh1"};
        for (const QString &name : stale + kept) {
            QFile f(folder.file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Options]\r\n");
            f.flush(); // so that closing writes nothing after the time is set
            // One written by another copy of the program while this one starts.
            QVERIFY(f.setFileTime(name.endsWith("Fresh1") ? QDateTime::currentDateTime().addSecs(60)
                                                          : before,
                                  QFileDevice::FileModificationTime));
        }
        QVERIFY(QDir(folder.path()).mkdir("VarnIni.ini.Dir123"));

        {
            ScriptedPlatform platform;
            ProgramFolder::set(folder.path());
            VarnelApp program;
            QApplication::processEvents();
        }
        QStringList left =
            QDir(folder.path())
                .entryList({"*.ini*", "*.txt.*"}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        QStringList expected = kept + QStringList{"VarnIni.ini", "VarnIni.ini.Dir123"};
        left.sort();
        expected.sort();
        QCOMPARE(left.join(' '), expected.join(' '));
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

QTEST_MAIN(tst_settings)
#include "tst_settings.moc"
