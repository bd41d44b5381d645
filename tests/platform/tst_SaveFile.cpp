// Saving a file whole or not at all: a save replaces the earlier file only
// when complete; a save that cannot be made shows one error naming the file
// and the reason and leaves the earlier file (or folder) as it was. The
// failures are ones that stop root too, since the tests may run as root.

#include "platform/SaveFile.h"
#include "tests/support/FakeDesktop.h"

#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

using morva::saveFile;
using morva::test::FakeDesktop;

namespace {

const QByteArray kOld = "old content\n";
const QByteArray kNew(64 * 1024, 'n');

morva::FileWriter writeBytes(const QByteArray &bytes)
{
    return [bytes](QIODevice &device, QString &) { return device.write(bytes) == bytes.size(); };
}

// Saves kNew at `path`: made in memory, or handed on in four pieces.
bool saveNew(const QString &path, bool inPieces)
{
    if (!inPieces)
        return saveFile(nullptr, path, writeBytes(kNew));
    return morva::saveFileInPieces(nullptr, path, [](const auto &piece, QString &) {
        const qsizetype quarter = kNew.size() / 4;
        for (int i = 0; i < 4; ++i) {
            if (!piece(kNew.mid(i * quarter, quarter)))
                return false;
        }
        return true;
    });
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// Lowers the largest file this process may write for its lifetime; writes
// beyond it fail with "File too large" (its signal ignored), for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

} // namespace

class TestSaveFile : public QObject {
    Q_OBJECT
private slots:
    void replacesWhenComplete_data();
    void replacesWhenComplete();
    void failureLeavesEarlierFile_data();
    void failureLeavesEarlierFile();
};

// State: an earlier file. Action: save new content over it. Expected: the
// new content, no message, no temporary file left beside it.
void TestSaveFile::replacesWhenComplete_data()
{
    QTest::addColumn<bool>("inPieces");
    QTest::newRow("made in memory") << false;
    QTest::newRow("in pieces") << true;
}

void TestSaveFile::replacesWhenComplete()
{
    QFETCH(bool, inPieces);
    FakeDesktop desktop;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("run.csv"));
    writeFile(path, kOld);
    QVERIFY(saveNew(path, inPieces));
    QCOMPARE(contents(path), kNew);
    QVERIFY(desktop.messages.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("run.csv")});
}

void TestSaveFile::failureLeavesEarlierFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("inPieces");
    QTest::newRow("folder is a regular file") << "underFile" << "Not a directory" << false;
    QTest::newRow("a folder stands where the file goes")
        << "folderInPlace" << "Filename refers to a directory" << false;
    QTest::newRow("disk full (file size limit)") << "tooLarge" << "File too large" << false;
    QTest::newRow("folder nobody can write") << "readOnly" << "" << false;
    QTest::newRow("in pieces, folder is a regular file") << "underFile" << "Not a directory"
                                                         << true;
    QTest::newRow("in pieces, disk full after the first")
        << "tooLarge" << "File too large" << true;
}

// State: an earlier file (or folder) where the save cannot be made. Action:
// save. Expected: false, one error box `Could not save "<path>": <reason>`
// with the program's title, the earlier file's content unchanged and no
// temporary file left.
void TestSaveFile::failureLeavesEarlierFile()
{
    QFETCH(QString, kind);
    QFETCH(QString, reason);
    QFETCH(bool, inPieces);
    FakeDesktop desktop;
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("run.csv"));
    QString earlier = path;
    std::unique_ptr<FileSizeLimit> limit;
    if (kind == QLatin1String("underFile")) {
        earlier = dir.filePath(QStringLiteral("results"));
        path = earlier + QStringLiteral("/run.csv");
        writeFile(earlier, kOld);
    } else if (kind == QLatin1String("folderInPlace")) {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("run.csv")));
        earlier = path + QStringLiteral("/inside.txt");
        writeFile(earlier, kOld);
    } else if (kind == QLatin1String("tooLarge")) {
        writeFile(path, kOld);
        // Beyond the first piece, when the content comes in pieces.
        limit = std::make_unique<FileSizeLimit>(inPieces ? kNew.size() / 4 + 1024 : 1024);
    } else {
        // A folder of the process file system: nobody, root included, can
        // create a file in it.
        path = QStringLiteral("/proc/self/run.csv");
        earlier.clear();
    }

    QVERIFY(!saveNew(path, inPieces));
    limit.reset();

    QCOMPARE(desktop.messages.size(), 1);
    QCOMPARE(desktop.messages.first().icon, morva::MessageIcon::Error);
    QCOMPARE(desktop.messages.first().title, QStringLiteral("MORVA 99"));
    const QString text = desktop.messages.first().text;
    QVERIFY2(text.startsWith(QStringLiteral("Could not save \"%1\": ").arg(path)), qPrintable(text));
    const QString shownReason = text.mid(text.indexOf(QStringLiteral("\": ")) + 3);
    QVERIFY2(!shownReason.isEmpty(), qPrintable(text));
    if (!reason.isEmpty())
        QCOMPARE(shownReason, reason);
    if (earlier.isEmpty()) {
        QVERIFY(!QFile::exists(path));
        return;
    }
    QCOMPARE(contents(earlier), kOld);
    // Nothing but the earlier file (or the folder holding it) is left.
    const QString top = QDir(dir.path()).relativeFilePath(earlier).section(QLatin1Char('/'), 0, 0);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{top});
}

QTEST_GUILESS_MAIN(TestSaveFile)
#include "tst_SaveFile.moc"
