// Time arithmetic, album durations and the strips' sort comparison.

#include "modeltests.h"
#include "storyboard.h"
#include "timefunctions.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

class TimeFunctionsTest : public QObject
{
    Q_OBJECT

private slots:
    void secondToFrame_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("rate");
        QTest::addColumn<quint32>("frames");
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("one second NTSC truncates") << 1.0 << 29.97 << quint32(29);
        QTest::newRow("negative") << -1.0 << 25.0 << quint32(0);
        QTest::newRow("zero") << 0.0 << 25.0 << quint32(0);
        QTest::newRow("whole") << 2.0 << 25.0 << quint32(50);
        QTest::newRow("half frame") << 12.345 << 100.0 << quint32(1234);
        QTest::newRow("five seconds NTSC") << 5.0 << 29.97 << quint32(149);
        QTest::newRow("just below the top") << 4294967294.5 << 1.0 << quint32(4294967294u);
        QTest::newRow("the top") << 4294967295.0 << 1.0 << quint32(4294967295u);
        QTest::newRow("beyond the top") << 1e20 << 25.0 << quint32(4294967295u);
        QTest::newRow("infinite") << inf << 25.0 << quint32(4294967295u);
        QTest::newRow("minus infinite") << -inf << 25.0 << quint32(0);
        QTest::newRow("not a number") << std::nan("") << 25.0 << quint32(0);
    }
    void secondToFrame()
    {
        QFETCH(double, seconds);
        QFETCH(double, rate);
        QFETCH(quint32, frames);
        QCOMPARE(::secondToFrame(seconds, rate), frames);
    }

    void frameToSecond_data()
    {
        QTest::addColumn<qulonglong>("frame");
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("seconds");
        QTest::newRow("zero") << 0ull << 25.0 << 0.0;
        QTest::newRow("one second") << 25ull << 25.0 << 1.0;
        QTest::newRow("NTSC") << 2997ull << 29.97 << 100.0;
        QTest::newRow("fraction") << 1ull << 8.0 << 0.125;
        QTest::newRow("no rate") << 10ull << 0.0 << 0.0;
        QTest::newRow("negative rate") << 10ull << -25.0 << 0.0;
    }
    void frameToSecond()
    {
        QFETCH(qulonglong, frame);
        QFETCH(double, rate);
        QFETCH(double, seconds);
        QVERIFY(qAbs(::frameToSecond(frame, rate) - seconds) < 1e-9);
    }

    void frameToTimeString_data()
    {
        QTest::addColumn<qulonglong>("frame");
        QTest::addColumn<double>("rate");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 0ull << 25.0 << "00:00:00";
        QTest::newRow("one hour") << 90000ull << 25.0 << "01:00:00";
        QTest::newRow("last frame of the first hour") << 89999ull << 25.0 << "00:59:59";
        QTest::newRow("1:01:01") << 91525ull << 25.0 << "01:01:01";
        QTest::newRow("24 frames is not yet a second") << 24ull << 25.0 << "00:00:00";
        QTest::newRow("NTSC 59.99 s") << 1798ull << 29.97 << "00:00:59";
        QTest::newRow("NTSC one minute") << 1799ull << 29.97 << "00:01:00";
        QTest::newRow("100 hours") << 9000000ull << 25.0 << "100:00:00";
        QTest::newRow("100 hours NTSC") << 10789200ull << 29.97 << "100:00:00";
        QTest::newRow("just below 100 hours NTSC") << 10789199ull << 29.97 << "99:59:59";
        QTest::newRow("no rate") << 100ull << 0.0 << "00:00:00";
    }
    void frameToTimeString()
    {
        QFETCH(qulonglong, frame);
        QFETCH(double, rate);
        QFETCH(QString, text);
        QCOMPARE(::frameToTimeString(frame, rate), text);
    }

    void secondToTimeString_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "00:00:00";
        QTest::newRow("59") << 59 << "00:00:59";
        QTest::newRow("60") << 60 << "00:01:00";
        QTest::newRow("3599") << 3599 << "00:59:59";
        QTest::newRow("3600") << 3600 << "01:00:00";
        QTest::newRow("a day less one") << 86399 << "23:59:59";
        QTest::newRow("100 hours") << 360000 << "100:00:00";
        QTest::newRow("negative") << -5 << "00:00:00";
    }
    void secondToTimeString()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(::secondToTimeString(seconds), text);
    }

    void cpuNumberIsPositive() { QVERIFY(cpuNumber() >= 1); }

    void totalPhotoDuration_data()
    {
        QTest::addColumn<int>("photos");
        QTest::addColumn<double>("photoSeconds");
        QTest::addColumn<double>("transitionSeconds");
        QTest::addColumn<bool>("useTransition");
        QTest::addColumn<double>("total");
        QTest::newRow("empty") << 0 << 5.0 << 1.5 << true << 0.0;
        QTest::newRow("one photo adds no transition") << 1 << 5.0 << 1.5 << true << 5.0;
        QTest::newRow("two photos") << 2 << 5.0 << 1.5 << true << 11.5;
        QTest::newRow("transitions off") << 3 << 5.0 << 1.5 << false << 15.0;
        QTest::newRow("three photos") << 3 << 2.5 << 0.5 << true << 8.5;
    }
    void totalPhotoDuration()
    {
        QFETCH(int, photos);
        QFETCH(double, photoSeconds);
        QFETCH(double, transitionSeconds);
        QFETCH(bool, useTransition);
        QFETCH(double, total);
        StoryBoardData album;
        album.photos = QList<ImageInfo>(photos);
        album.photoSeconds = photoSeconds;
        album.transitionSeconds = transitionSeconds;
        album.useTransition = useTransition;
        QCOMPARE(album.totalPhotoDuration(), total);
        QCOMPARE(album.photoDuration(), photoSeconds);
    }

    void transitionDurationFollowsTheSwitch()
    {
        StoryBoardData album;
        QCOMPARE(album.transitionDuration(), 1.5);
        album.useTransition = false;
        QCOMPARE(album.transitionDuration(), 0.0);
        QCOMPARE(album.transitionSeconds, 1.5);
        album.useTransition = true;
        QCOMPARE(album.transitionDuration(), 1.5);
    }

    void totalAudioDuration()
    {
        StoryBoardData album;
        QCOMPARE(album.totalAudioDuration(), 0.0);
        QVERIFY(album.empty());
        const std::pair<double, double> clips[] = {{0.0, 10.0}, {2.5, 4.0}, {3.0, 3.0}};
        for (const auto& [start, end] : clips) {
            AudioInfo clip;
            clip.duration = 20.0;
            clip.startTime = start;
            clip.endTime = end;
            album.audios.append(clip);
        }
        QCOMPARE(album.totalAudioDuration(), 11.5);
        QVERIFY(!album.empty());
        QList<AudioInfo> copy = album.audioList();
        copy[0].endTime = 1.0;
        QCOMPARE(album.audios[0].endTime, 10.0);
    }

    // Each key orders the four records differently, so comparing by the
    // wrong key, or by the file name alone, gives a different order.
    void lessThanSorts_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<bool>("ascending");
        QTest::addColumn<QString>("order");
        QTest::newRow("name") << int(SortByName) << true << "BADC";
        QTest::newRow("name descending") << int(SortByName) << false << "CDAB";
        QTest::newRow("date") << int(SortByDate) << true << "BDAC";
        QTest::newRow("date descending") << int(SortByDate) << false << "CADB";
        QTest::newRow("type") << int(SortByType) << true << "CDBA";
        QTest::newRow("type descending") << int(SortByType) << false << "ABDC";
        QTest::newRow("size") << int(SortBySize) << true << "DACB";
        QTest::newRow("size descending") << int(SortBySize) << false << "BCAD";
    }
    void lessThanSorts()
    {
        QFETCH(int, type);
        QFETCH(bool, ascending);
        QFETCH(QString, order);

        struct Key {
            QChar id;
            const char* path;
            int day;
            const char* suffix;
            qint64 size;
        };
        const Key keys[] = {{u'A', "/x/b/1.jpg", 3, "tif", 20},
                            {u'B', "/x/a/9.jpg", 1, "png", 40},
                            {u'C', "/x/c/0.jpg", 4, "bmp", 30},
                            {u'D', "/x/b/5.jpg", 2, "jpg", 10}};
        QList<ImageInfo> photos;
        QList<AudioInfo> audios;
        for (const Key& key : keys) {
            const QDateTime when(QDate(2020, 1, key.day), QTime(12, 0));
            ImageInfo photo;
            photo.filePath = QString::fromLatin1(key.path);
            photo.lastModified = when;
            photo.suffix = QString::fromLatin1(key.suffix);
            photo.fileSize = key.size;
            photo.width = key.id.unicode(); // identifies the record after sorting
            photos.append(photo);
            AudioInfo clip;
            clip.filePath = photo.filePath;
            clip.lastModified = when;
            clip.suffix = photo.suffix;
            clip.fileSize = key.size;
            clip.channels = key.id.unicode();
            audios.append(clip);
        }

        setPhotoSortOrder(SortType(type), ascending);
        // The audio strip's settings are separate: set them the other way.
        setAudioSortOrder(SortType((type + 1) % 4), !ascending);
        std::sort(photos.begin(), photos.end(), [](const ImageInfo& a, const ImageInfo& b) { return lessThan(a, b); });
        QString photoOrder;
        for (const ImageInfo& photo : photos)
            photoOrder += QChar(photo.width);
        QCOMPARE(photoOrder, order);

        setAudioSortOrder(SortType(type), ascending);
        std::sort(audios.begin(), audios.end(), [](const AudioInfo& a, const AudioInfo& b) { return lessThan(a, b); });
        QString audioOrder;
        for (const AudioInfo& clip : audios)
            audioOrder += QChar(clip.channels);
        QCOMPARE(audioOrder, order);
    }

    void lessThanUnknownTypeIsFalse()
    {
        ImageInfo a, b;
        a.filePath = QStringLiteral("/a");
        b.filePath = QStringLiteral("/b");
        a.fileSize = 1;
        b.fileSize = 2;
        setPhotoSortOrder(SortType(7), true);
        QVERIFY(!lessThan(a, b));
        QVERIFY(!lessThan(b, a));
        AudioInfo c, d;
        c.filePath = a.filePath;
        d.filePath = b.filePath;
        setAudioSortOrder(SortType(-1), false);
        QVERIFY(!lessThan(c, d));
        QVERIFY(!lessThan(d, c));
        setPhotoSortOrder(SortByName, true);
        setAudioSortOrder(SortByName, true);
    }
};

} // namespace

std::unique_ptr<QObject> makeTimeFunctionsTests() { return std::make_unique<TimeFunctionsTest>(); }

#include "tst_timefunctions.moc"
