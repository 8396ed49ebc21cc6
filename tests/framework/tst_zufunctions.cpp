// Helper functions: folder checks and names, file names from addresses, MD5 digests, border images, elided text.
#include "cmd5.h"
#include "testsupport.h"
#include "zu.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class ZuFunctionsTests : public QObject
{
    Q_OBJECT
private slots:
    void writableFolder();
    void missingFoldersAreJudgedNotMade_data();
    void missingFoldersAreJudgedNotMade();
    void unwritableFolders_data();
    void unwritableFolders();
    void readOnlyFolderForAnOrdinaryUser();
    void folderNames_data();
    void folderNames();
    void existingFileIsNoFolderName();
    void fileNameOfUrlOrPath_data();
    void fileNameOfUrlOrPath();
    void md5KnownDigests_data();
    void md5KnownDigests();
    void md5OfStreamMatchesMemory();
    void md5OfUnreadableStream();
    void borderImageKeepsBorders();
    void elidedTextFitsLabel();
    void moveCenterOnParent();
};

void ZuFunctionsTests::writableFolder()
{
    QTemporaryDir dir;
    QVERIFY(Zu::isFolderWritable(dir.path()));
    // The probe must not stay behind.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 0);
}

void ZuFunctionsTests::missingFoldersAreJudgedNotMade_data()
{
    QTest::addColumn<QString>("below");   // inside the temporary folder
    QTest::addColumn<QString>("missing"); // below that
    QTest::addColumn<bool>("writable");
    QTest::addColumn<QString>("nearest"); // inside the temporary folder; "-": none
    QTest::newRow("one level") << ""
                               << "videos" << true << "";
    QTest::newRow("three levels") << ""
                                  << "a/b c/d" << true << "";
    QTest::newRow("below an existing folder") << "made"
                                              << "x/y" << true << "made";
    QTest::newRow("with dot-dot") << "made"
                                  << "x/../y/z" << true << "made";
    QTest::newRow("below a file") << "file.txt"
                                  << "x" << false << "-";
}

void ZuFunctionsTests::missingFoldersAreJudgedNotMade()
{
    QFETCH(QString, below);
    QFETCH(QString, missing);
    QFETCH(bool, writable);
    QFETCH(QString, nearest);
    QTemporaryDir dir;
    if (below == QStringLiteral("made")) {
        QVERIFY(QDir(dir.path()).mkdir(below));
    } else if (!below.isEmpty()) {
        QFile file(dir.filePath(below));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QString folder = dir.filePath(below.isEmpty() ? missing : below + QLatin1Char('/') + missing);
    QCOMPARE(Zu::isFolderWritable(folder), writable);
    QCOMPARE(Zu::nearestExistingFolder(folder),
             nearest == QStringLiteral("-") ? QString() : QDir::cleanPath(dir.filePath(nearest)));
    // Nothing was made, not even the first missing level.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    if (below == QStringLiteral("made"))
        QCOMPARE(QDir(dir.filePath(below)).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
}

void ZuFunctionsTests::unwritableFolders_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << QStringLiteral("  ");
    // /proc and /sys take no new files from anybody, root included.
    QTest::newRow("proc") << QStringLiteral("/proc");
    QTest::newRow("below proc") << QStringLiteral("/proc/reelwright-test");
    QTest::newRow("sys") << QStringLiteral("/sys");
}

void ZuFunctionsTests::unwritableFolders()
{
    QFETCH(QString, path);
    QVERIFY(!Zu::isFolderWritable(path));
}

void ZuFunctionsTests::readOnlyFolderForAnOrdinaryUser()
{
    if (::geteuid() == 0)
        QSKIP("permission bits do not bind root");
    QTemporaryDir dir;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool writable = Zu::isFolderWritable(dir.path());
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!writable);
}

void ZuFunctionsTests::folderNames_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("requireAbsolute");
    QTest::addColumn<bool>("valid");
    const QString tmp = QDir::tempPath();
    QTest::newRow("empty") << QString() << true << false;
    QTest::newRow("blank") << QStringLiteral("   ") << false << false;
    QTest::newRow("plain") << tmp + QStringLiteral("/videos") << true << true;
    QTest::newRow("not yet there") << tmp + QStringLiteral("/no/such/folder") << true << true;
    QTest::newRow("accents and blanks") << tmp + QStringLiteral("/Vidéos de l'été") << true << true;
    QTest::newRow("relative refused") << QStringLiteral("videos/out") << true << false;
    QTest::newRow("relative allowed") << QStringLiteral("videos/out") << false << true;
    QTest::newRow("NUL") << tmp + QStringLiteral("/a") + QChar(0) + QStringLiteral("b") << true << false;
    QTest::newRow("lone surrogate") << tmp + QStringLiteral("/a") + QChar(0xD800) << true << false;
    QTest::newRow("255 byte name") << tmp + QLatin1Char('/') + QString(255, QLatin1Char('n')) << true << true;
    QTest::newRow("256 byte name") << tmp + QLatin1Char('/') + QString(256, QLatin1Char('n')) << true << false;
    // 128 two-byte characters make 256 bytes.
    QTest::newRow("256 bytes of accents") << tmp + QLatin1Char('/') + QString(128, QChar(0xE9)) << true << false;
    QTest::newRow("over-long path") << tmp + QStringLiteral("/abcdefghijklmn").repeated(300) << true << false;
}

void ZuFunctionsTests::folderNames()
{
    QFETCH(QString, path);
    QFETCH(bool, requireAbsolute);
    QFETCH(bool, valid);
    QCOMPARE(Zu::isFolderNameValid(path, requireAbsolute), valid);
}

void ZuFunctionsTests::existingFileIsNoFolderName()
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("movie.mp4"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    QVERIFY(!Zu::isFolderNameValid(file, true));
    QVERIFY(!Zu::isFolderWritable(file));
    QVERIFY(Zu::isFolderNameValid(dir.path(), true));
}

void ZuFunctionsTests::fileNameOfUrlOrPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("url") << QStringLiteral("http://host.example/dl/reelwright-2.0.exe")
                         << QStringLiteral("reelwright-2.0.exe");
    QTest::newRow("url with query") << QStringLiteral("http://h/a/pkg.zip?x=1&y=/z#frag") << QStringLiteral("pkg.zip");
    QTest::newRow("url with escapes") << QStringLiteral("http://h/a/my%20pkg.zip") << QStringLiteral("my pkg.zip");
    QTest::newRow("url of a folder") << QStringLiteral("http://h/a/") << QString();
    QTest::newRow("unix path") << QStringLiteral("/home/u/file.tar.gz") << QStringLiteral("file.tar.gz");
    QTest::newRow("windows path") << QStringLiteral("C:\\dir\\setup.exe") << QStringLiteral("setup.exe");
    QTest::newRow("bare name") << QStringLiteral("name.md5") << QStringLiteral("name.md5");
}

void ZuFunctionsTests::fileNameOfUrlOrPath()
{
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(Zu::getFileName(path), name);
}

void ZuFunctionsTests::md5KnownDigests_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("digest");
    // The test suite of the MD5 definition.
    QTest::newRow("empty") << QByteArray() << QStringLiteral("d41d8cd98f00b204e9800998ecf8427e");
    QTest::newRow("a") << QByteArray("a") << QStringLiteral("0cc175b9c0f1b6a831c399e269772661");
    QTest::newRow("abc") << QByteArray("abc") << QStringLiteral("900150983cd24fb0d6963f7d28e17f72");
    QTest::newRow("message digest") << QByteArray("message digest")
                                    << QStringLiteral("f96b697d7cb7938d525a2f31aaf161d0");
    QTest::newRow("alphabet") << QByteArray("abcdefghijklmnopqrstuvwxyz")
                              << QStringLiteral("c3fcd3d76192e4007dfb496cca67e13b");
    QTest::newRow("alphanumeric") << QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789")
                                  << QStringLiteral("d174ab98d277d9f5a5611c2c9f419d9f");
    QTest::newRow("digits") << QByteArray(
                                   "12345678901234567890123456789012345678901234567890123456789012345678901234567890")
                            << QStringLiteral("57edf4a22be3c955ac49da2e2107b67a");
    QTest::newRow("embedded NUL") << QByteArray("a\0b", 3) << QStringLiteral("70350f6027bce3713f6b76473084309b");
}

void ZuFunctionsTests::md5KnownDigests()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, digest);
    const QString fromPointer = CMD5(data.constData(), data.size()).getMD5Digest();
    QCOMPARE(fromPointer, digest);
    QCOMPARE(fromPointer.size(), 32);
    QCOMPARE(CMD5(data).getMD5Digest(), digest);
}

void ZuFunctionsTests::md5OfStreamMatchesMemory()
{
    QByteArray big(3 * 1024 * 1024 + 17, Qt::Uninitialized);
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((i * 131) ^ (i >> 7));
    QBuffer buffer(&big);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    const CMD5 streamed(&buffer);
    QVERIFY(streamed.isValid());
    QCOMPARE(streamed.getMD5Digest(), CMD5(big).getMD5Digest());
}

void ZuFunctionsTests::md5OfUnreadableStream()
{
    QBuffer closed;
    QVERIFY(!CMD5(&closed).isValid());
    QVERIFY(!CMD5(static_cast<QIODevice*>(nullptr)).isValid());
}

void ZuFunctionsTests::borderImageKeepsBorders()
{
    // 10 x 10: a 2-pixel red frame left and right, 3 pixels top and bottom,
    // blue inside.
    QImage source(10, 10, QImage::Format_ARGB32);
    source.fill(Qt::red);
    QPainter p(&source);
    p.fillRect(QRect(2, 3, 6, 4), Qt::blue);
    p.end();

    const QImage out = Zu::scaleBorderImage(QPixmap::fromImage(source), QSize(40, 30), 2, 3, 2, 3).toImage();
    QCOMPARE(out.size(), QSize(40, 30));
    const QRgb red = qRgb(255, 0, 0);
    const QRgb blue = qRgb(0, 0, 255);
    // Borders keep their width however far the middle stretches.
    QCOMPARE(out.pixel(1, 15) & 0xFFFFFF, red & 0xFFFFFF);
    QCOMPARE(out.pixel(2, 15) & 0xFFFFFF, blue & 0xFFFFFF);
    QCOMPARE(out.pixel(38, 15) & 0xFFFFFF, red & 0xFFFFFF);
    QCOMPARE(out.pixel(37, 15) & 0xFFFFFF, blue & 0xFFFFFF);
    QCOMPARE(out.pixel(20, 2) & 0xFFFFFF, red & 0xFFFFFF);
    QCOMPARE(out.pixel(20, 3) & 0xFFFFFF, blue & 0xFFFFFF);
    QCOMPARE(out.pixel(20, 27) & 0xFFFFFF, red & 0xFFFFFF);
    QCOMPARE(out.pixel(20, 26) & 0xFFFFFF, blue & 0xFFFFFF);

    QVERIFY(Zu::scaleBorderImage(QPixmap(), QSize(4, 4), 1, 1, 1, 1).isNull());
}

void ZuFunctionsTests::elidedTextFitsLabel()
{
    QLabel label;
    label.setFixedWidth(120);
    const QString longText = QStringLiteral("/home/someone/Pictures/holidays/2023/a-very-long-file-name.jpg");
    const QString elided = Zu::labelElidedText(&label, longText);
    QVERIFY(elided != longText);
    QVERIFY(elided.contains(QChar(0x2026)));
    QVERIFY(label.fontMetrics().horizontalAdvance(elided) <= 120);
    QVERIFY(elided.startsWith(QStringLiteral("/h"))); // shortened in the middle
    QCOMPARE(Zu::labelElidedText(&label, QStringLiteral("a.jpg")), QStringLiteral("a.jpg"));
}

void ZuFunctionsTests::moveCenterOnParent()
{
    QWidget parent;
    parent.resize(400, 300);
    QWidget child(&parent);
    child.resize(100, 60);
    Zu::moveCenter(&child);
    QCOMPARE(child.geometry(), QRect(150, 120, 100, 60));
}

std::unique_ptr<QObject> makeZuFunctionsTests() { return std::make_unique<ZuFunctionsTests>(); }

#include "tst_zufunctions.moc"
