// Sound analysis: the per-file result cache.

#include "analysiscache.h"
#include "modeltests.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

namespace {

class AnalysisTest : public QObject
{
    Q_OBJECT

    QTemporaryDir work;

    QString soundFile(const QString& name, const QByteArray& bytes)
    {
        const QString path = work.filePath(name);
        writeBytes(path, bytes);
        return path;
    }

private slots:
    void cacheKeepsResultsPerFileAndKind()
    {
        const AnalysisCache cache(work.filePath(QStringLiteral("cache-a")));
        const QString song = soundFile(QStringLiteral("a.wav"), QByteArray(1000, 'a'));
        const QString other = soundFile(QStringLiteral("b.wav"), QByteArray(1000, 'a'));
        const QJsonObject beats{{QStringLiteral("beats"), QJsonArray{0.5, 1.0, 1.5}}};
        QVERIFY(!cache.load(QStringLiteral("beats"), song));
        QVERIFY(cache.store(QStringLiteral("beats"), song, beats));
        QCOMPARE(cache.load(QStringLiteral("beats"), song), beats);
        QVERIFY(!cache.load(QStringLiteral("loudness"), song));
        QVERIFY(!cache.load(QStringLiteral("beats"), other));
        // Another cache over the same folder (a second album, a later run) finds it too.
        QCOMPARE(AnalysisCache(cache.folder()).load(QStringLiteral("beats"), song), beats);
    }

    void cacheMisses_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("file grew") << "grow";
        QTest::newRow("file touched") << "touch";
        QTest::newRow("file removed") << "remove";
        QTest::newRow("entry cut short") << "truncate";
        QTest::newRow("entry not json") << "garbage";
        QTest::newRow("entry for another file") << "foreign";
        QTest::newRow("entry of an unknown format") << "format";
    }
    void cacheMisses()
    {
        QFETCH(QString, change);
        const AnalysisCache cache(work.filePath(QStringLiteral("cache-") + change));
        const QString song = soundFile(change + QStringLiteral(".wav"), QByteArray(4000, 's'));
        const QString other = soundFile(change + QStringLiteral("-other.wav"), QByteArray(4000, 's'));
        const QString kind = QStringLiteral("beats");
        QVERIFY(cache.store(kind, song, QJsonObject{{QStringLiteral("steady"), true}}));
        QVERIFY(cache.store(kind, other, QJsonObject{{QStringLiteral("steady"), false}}));
        QVERIFY(cache.load(kind, song));
        const QString entry = cache.entryPath(kind, song);
        QByteArray stored = fileBytes(entry);

        if (change == QLatin1String("grow")) {
            QFile file(song);
            QVERIFY(file.open(QIODevice::Append));
            file.write("x");
        } else if (change == QLatin1String("touch")) {
            QFile file(song);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        } else if (change == QLatin1String("remove")) {
            QVERIFY(QFile::remove(song));
        } else if (change == QLatin1String("truncate")) {
            QVERIFY(writeBytes(entry, stored.left(stored.size() / 2)));
        } else if (change == QLatin1String("garbage")) {
            QVERIFY(writeBytes(entry, QByteArray(200, '\xff')));
        } else if (change == QLatin1String("foreign")) {
            QVERIFY(writeBytes(entry, fileBytes(cache.entryPath(kind, other))));
        } else if (change == QLatin1String("format")) {
            QVERIFY(writeBytes(entry, stored.replace("\"format\":1", "\"format\":99")));
        }
        QVERIFY(!cache.load(kind, song));
        QVERIFY(cache.load(kind, other)); // one bad entry spoils no other
    }

    void cacheInUnwritableFolderStoresNothing()
    {
        const QString blocker = soundFile(QStringLiteral("not-a-folder"), "x");
        const AnalysisCache cache(blocker + QStringLiteral("/analysis"));
        const QString song = soundFile(QStringLiteral("c.wav"), QByteArray(10, 'c'));
        QVERIFY(!cache.store(QStringLiteral("beats"), song, QJsonObject{}));
        QVERIFY(!cache.load(QStringLiteral("beats"), song));
    }
};

} // namespace

std::unique_ptr<QObject> makeAnalysisTests() { return std::make_unique<AnalysisTest>(); }

#include "tst_analysis.moc"
