#include "TestSupport.h"
#include "platform/VarnelError.h"
#include "store/FmxUtils.h"

#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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

// Bytes that differ from block to block, so a block copied twice or skipped shows.
QByteArray pattern(int size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 8192) & 0xff);
    return b;
}

} // namespace

class tst_files : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
        m_source = m_dir->filePath(QStringLiteral("Varnel.vdf"));
        put(m_source, pattern(20000));
    }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    // Sizes round the 8192-byte block, where a copy loop goes wrong.
    void copiesEveryByte_data()
    {
        QTest::addColumn<int>("size");
        for (int size : {0, 1, 8191, 8192, 8193, 16384, 100000})
            QTest::addRow("%d bytes", size) << size;
    }
    void copiesEveryByte()
    {
        QFETCH(int, size);
        put(m_source, pattern(size));
        const QString copy = m_dir->filePath(QStringLiteral("Copy.vdf"));
        CopyWholeFile(m_source, copy);
        QCOMPARE(contents(copy), pattern(size));
        QCOMPARE(contents(m_source), pattern(size));
    }

    void replacesAnExistingFile()
    {
        const QString copy = m_dir->filePath(QStringLiteral("Old.vdf"));
        put(copy, QByteArray(50000, 'o'));
        CopyWholeFile(m_source, copy);
        QCOMPARE(contents(copy), pattern(20000));
    }

    void folderAsDestinationTakesTheSourceName_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("no separator") << "";
        QTest::newRow("ends with separator") << "/";
    }
    void folderAsDestinationTakesTheSourceName()
    {
        QFETCH(QString, suffix);
        QVERIFY(QDir(m_dir->path()).mkdir("Backup"));
        CopyWholeFile(m_source, m_dir->filePath("Backup") + suffix);
        QCOMPARE(contents(m_dir->filePath("Backup/Varnel.vdf")), pattern(20000));
    }

    void relativeDestinationIsTakenFromTheCurrentFolder()
    {
        QVERIFY(QDir(m_dir->path()).mkdir("work"));
        QVERIFY(QDir::setCurrent(m_dir->filePath("work")));
        CopyWholeFile(m_source, QStringLiteral("../Mine.vdf"));
        QCOMPARE(contents(m_dir->filePath("Mine.vdf")), pattern(20000));
        QCOMPARE(errorOf([] { CopyWholeFile(QStringLiteral("gone.vdf"), QStringLiteral("x.vdf")); }),
                 QStringLiteral("Cannot open file gone.vdf")); // as passed, not expanded
        QCOMPARE(errorOf([&] { CopyWholeFile(m_source, QStringLiteral("no/x.vdf")); }),
                 "Cannot create file " + m_dir->filePath("work/no/x.vdf")); // expanded
        QVERIFY(!QFileInfo::exists(m_dir->filePath("work/x.vdf")));
    }

    // In these rows "@" stands for the scratch folder, made afresh for each row.
    void cannotOpenOrCreate_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("message");
        QTest::newRow("source missing")
            << "@/None.vdf" << "@/Copy.vdf" << "Cannot open file @/None.vdf";
        QTest::newRow("source is a folder") << "@" << "@/Copy.vdf" << "Cannot open file @";
        QTest::newRow("destination folder missing")
            << "@/Varnel.vdf" << "@/none/Copy.vdf" << "Cannot create file @/none/Copy.vdf";
        QTest::newRow("copy into its own folder is the file itself")
            << "@/Varnel.vdf" << "@" << "Cannot create file @/Varnel.vdf";
        QTest::newRow("the file itself by another spelling")
            << "@/Varnel.vdf" << "@/./x/../Varnel.vdf" << "Cannot create file @/Varnel.vdf";
        QTest::newRow("a hard link to the file itself")
            << "@/Varnel.vdf" << "@/Link.vdf" << "Cannot create file @/Link.vdf";
    }
    void cannotOpenOrCreate()
    {
        QFETCH(QString, source);
        QFETCH(QString, destination);
        QFETCH(QString, message);
        const QString d = m_dir->path();
        source.replace('@', d);
        destination.replace('@', d);
        message.replace('@', d);
        QCOMPARE(link(QFile::encodeName(m_source), QFile::encodeName(m_dir->filePath("Link.vdf"))),
                 0);
        QCOMPARE(errorOf([&] { CopyWholeFile(source, destination); }), message);
        QCOMPARE(contents(m_source), pattern(20000));
        QVERIFY(!QFileInfo::exists(m_dir->filePath("Copy.vdf")));
    }

    // The disk fills up in the middle of the copy: the half-written copy goes,
    // the source stays.
    void writeFailureRemovesThePartialCopy()
    {
        const QString copy = m_dir->filePath(QStringLiteral("Copy.vdf"));
        QString message;
        {
            const FileSizeLimit limit(10000);
            message = errorOf([&] { CopyWholeFile(m_source, copy); });
        }
        QCOMPARE(message, "Cannot write file " + copy + ": File too large");
        QVERIFY(!QFileInfo::exists(copy));
        QCOMPARE(contents(m_source), pattern(20000));
    }

    void writeFailureOnADeviceLeavesTheDevice()
    {
        if (!QFileInfo::exists("/dev/full"))
            QSKIP("this system has no /dev/full");
        QCOMPARE(errorOf([&] { CopyWholeFile(m_source, "/dev/full"); }),
                 QStringLiteral("Cannot write file /dev/full: No space left on device"));
        struct stat s {};
        QCOMPARE(stat("/dev/full", &s), 0);
        QVERIFY(S_ISCHR(s.st_mode));
        QCOMPARE(contents(m_source), pattern(20000));
    }

    void readFailureRemovesThePartialCopy()
    {
        // The first page of a process's memory is never mapped, so reading
        // this file from its start fails after it opened fine.
        const QString copy = m_dir->filePath(QStringLiteral("Copy.vdf"));
        QCOMPARE(errorOf([&] { CopyWholeFile("/proc/self/mem", copy); })
                     .startsWith("Cannot read file /proc/self/mem: "),
                 true);
        QVERIFY(!QFileInfo::exists(copy));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_source;
    const QString m_startFolder = QDir::currentPath();
};

QTEST_MAIN(tst_files)
#include "tst_files.moc"
