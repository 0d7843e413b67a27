// Files the program reads but did not write itself: a letter body, a saved
// report, the county list. Whatever lies at the path, the program neither
// waits on it nor reads without end.
#include "TestSupport.h"

#include "browse/CountyListFile.h"
#include "mailmerge/rtf/RichTextFile.h"
#include "platform/VarnelError.h"
#include "reports/PreparedReport.h"

#include <QProcess>
#include <QTextDocument>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

// Feeds a FIFO once something opens it for reading, so that a reader that
// does open it gets a line and an end instead of waiting for ever.
class FifoFeeder
{
public:
    explicit FifoFeeder(const QString &path)
        : m_path(QFile::encodeName(path)), m_thread([this] { run(); })
    {
    }
    ~FifoFeeder()
    {
        m_stop = true;
        m_thread.join();
    }

private:
    void run()
    {
        while (!m_stop) {
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                const char line[] = "Kent\r\n";
                [[maybe_unused]] const ssize_t n = ::write(fd, line, sizeof line - 1);
                ::close(fd);
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

enum Kind
{
    CountyList,
    Letter,
    SavedReport
};

void readAs(int kind, const QString &path)
{
    switch (kind) {
    case CountyList:
        CountyListFile::read(path);
        break;
    case Letter: {
        QTextDocument doc;
        RichTextFile::load(path, &doc);
        break;
    }
    case SavedReport:
        PreparedReport::loadFromFile(path);
        break;
    }
}

} // namespace

class tst_inputfiles : public QObject
{
    Q_OBJECT
private slots:
    void onlyRegularFilesOfASaneSize_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("file"); // FIFO, BIG, or a path
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QString>("message"); // after "Cannot open file <path>"
        const struct
        {
            const char *name;
            Kind kind;
            qint64 limit;
            const char *what;
        } kinds[] = {{"county list", CountyList, 1024 * 1024, "1 MB, the limit for a county list"},
                     {"letter", Letter, 16 * 1024 * 1024, "16 MB, the limit for a letter"},
                     {"saved report", SavedReport, 256 * 1024 * 1024,
                      "256 MB, the limit for a saved report"}};
        for (const auto &k : kinds) {
            const QString notRegular = QStringLiteral(": it is not a regular file");
            QTest::addRow("%s, a FIFO", k.name) << int(k.kind) << "FIFO" << k.limit << notRegular;
            QTest::addRow("%s, /dev/null", k.name)
                << int(k.kind) << "/dev/null" << k.limit << notRegular;
            QTest::addRow("%s, /dev/zero", k.name)
                << int(k.kind) << "/dev/zero" << k.limit << notRegular;
            QTest::addRow("%s, one byte over the limit", k.name)
                << int(k.kind) << "BIG" << k.limit
                << QStringLiteral(": it is larger than ") + QLatin1String(k.what);
        }
    }
    void onlyRegularFilesOfASaneSize()
    {
        QFETCH(int, kind);
        QFETCH(QString, file);
        QFETCH(qint64, limit);
        QFETCH(QString, message);
        QTemporaryDir dir;
        QString path = file;
        std::unique_ptr<FifoFeeder> feeder;
        if (file == QLatin1String("FIFO")) {
            path = dir.filePath("input");
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            feeder = std::make_unique<FifoFeeder>(path);
        } else if (file == QLatin1String("BIG")) {
            path = dir.filePath("input");
            QFile big(path);
            QVERIFY(big.open(QIODevice::WriteOnly));
            QVERIFY(big.resize(limit + 1)); // sparse: nothing is written
        }
        QCOMPARE(errorOf([&] { readAs(kind, path); }), "Cannot open file " + path + message);
    }

    // Up to the limit a file is read as before.
    void aListAtTheLimitIsRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("ListFile.txt");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray line = "Kent\r\n";
        QByteArray bytes = line.repeated(int(CountyListFile::kSizeLimit / line.size()));
        bytes += QByteArray(int(CountyListFile::kSizeLimit - bytes.size()), 'x');
        f.write(bytes);
        f.close();
        QCOMPARE(CountyListFile::read(path).size(),
                 int(CountyListFile::kSizeLimit / line.size()) + 1);
    }

    // varnel-print, run as a script runs it, ends with a message.
    void printRefusesABodyThatIsNoFile_data()
    {
        QTest::addColumn<QString>("body");
        QTest::newRow("FIFO") << "FIFO";
        QTest::newRow("/dev/zero") << "/dev/zero";
    }
    void printRefusesABodyThatIsNoFile()
    {
        QFETCH(QString, body);
        QTemporaryDir dir;
        const QString book = copyOfSample(dir);
        if (body == QLatin1String("FIFO")) {
            body = dir.filePath("letter.rtf");
            QCOMPARE(::mkfifo(QFile::encodeName(body).constData(), 0600), 0);
        }
        QProcess program;
        program.start(QStringLiteral(VARNEL_PROGRAM_DIR "/varnel-print"),
                      {book, "letters", dir.filePath("letters.pdf"), "--body", body});
        const bool finished = program.waitForFinished(60000);
        if (!finished) {
            program.kill();
            program.waitForFinished();
        }
        QVERIFY(finished);
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(
            err.contains("Letter body: Cannot open file " + body + ": it is not a regular file"),
            qPrintable(err));
        QVERIFY(!QFile::exists(dir.filePath("letters.pdf")));
    }
};

QTEST_MAIN(tst_inputfiles)
#include "tst_inputfiles.moc"
