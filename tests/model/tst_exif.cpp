// The EXIF reader: orientation codes, property texts, hostile metadata.

#include "imagereader.h"
#include "modeltests.h"
#include "zumexifinfo.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <functional>

namespace {

using Property = ZumExifInfo::PROPERTY_TYPE;

class ExifTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString plainJpeg(const QString& name)
    {
        const QString path = m_dir.filePath(name);
        quadrantImage(40, 30).save(path, "JPEG");
        return path;
    }

    static bool writeTags(const QString& path, const std::function<void(Exiv2::ExifData&)>& fill)
    {
        try {
            auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
            image->readMetadata();
            Exiv2::ExifData exif;
            fill(exif);
            image->setExifData(exif);
            image->writeMetadata();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // The description comes from EXIF, else XMP, else IPTC; a camera's own
    // name in the EXIF field counts as none; markup stays text.
    void description_data()
    {
        QTest::addColumn<QString>("exif");
        QTest::addColumn<QString>("xmp");
        QTest::addColumn<QString>("iptc");
        QTest::addColumn<QString>("description");
        QTest::newRow("exif") << "Lake at dawn"
                              << "Our lake"
                              << "Harbour"
                              << "Lake at dawn";
        QTest::newRow("camera name, then xmp") << "OLYMPUS DIGITAL CAMERA  "
                                               << "Our lake"
                                               << ""
                                               << "Our lake";
        QTest::newRow("iptc only") << ""
                                   << ""
                                   << "Harbour \u00e0 Nice"
                                   << "Harbour \u00e0 Nice";
        QTest::newRow("markup") << "<b>Lake</b> & co"
                                << ""
                                << ""
                                << "<b>Lake</b> & co";
        QTest::newRow("none") << ""
                              << ""
                              << ""
                              << "";
    }
    void description()
    {
        QFETCH(QString, exif);
        QFETCH(QString, xmp);
        QFETCH(QString, iptc);
        QFETCH(QString, description);
        const QString path = plainJpeg(QStringLiteral("described-%1.jpg").arg(QTest::currentDataTag()));
        try {
            auto image = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
            image->readMetadata();
            if (!exif.isEmpty()) {
                Exiv2::ExifData tags;
                tags["Exif.Image.ImageDescription"] = exif.toStdString();
                image->setExifData(tags);
            }
            if (!xmp.isEmpty()) {
                Exiv2::XmpData tags;
                tags["Xmp.dc.description"] = ("lang=\"x-default\" " + xmp).toStdString();
                image->setXmpData(tags);
            }
            if (!iptc.isEmpty()) {
                Exiv2::IptcData tags;
                tags["Iptc.Application2.Caption"] = iptc.toStdString();
                image->setIptcData(tags);
            }
            image->writeMetadata();
        } catch (const std::exception& error) {
            QFAIL(error.what());
        }
        QCOMPARE(ZumExifInfo(path).property(ZumExifInfo::Description), description);
        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.exifProperties[ZumExifInfo::Description], description);
    }

    void orientationCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("rotation");
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<bool>("flip");
        QTest::newRow("absent") << 0 << 0 << false << false;
        QTest::newRow("1 normal") << 1 << 0 << false << false;
        QTest::newRow("2 mirrored") << 2 << 0 << true << false;
        QTest::newRow("3 turned 180") << 3 << 0 << true << true;
        QTest::newRow("4 flipped") << 4 << 0 << false << true;
        QTest::newRow("5 mirrored and turned") << 5 << 90 << true << false;
        QTest::newRow("6 turned") << 6 << 90 << false << false;
        QTest::newRow("7 mirrored, turned back") << 7 << -90 << true << false;
        QTest::newRow("8 turned back") << 8 << -90 << false << false;
        QTest::newRow("9 out of range") << 9 << 0 << false << false;
    }
    void orientationCodes()
    {
        QFETCH(int, code);
        QFETCH(int, rotation);
        QFETCH(bool, mirror);
        QFETCH(bool, flip);
        const QString path = plainJpeg(QStringLiteral("orientation%1.jpg").arg(code));
        if (code != 0)
            QVERIFY(writeExifOrientation(path, code));

        QCOMPARE(ZumExifInfo(path).Orientation(), code <= 8 ? code : 0);

        ImageInfo info;
        info.filePath = path;
        QVERIFY(ImageReader::parse(info));
        QCOMPARE(info.exifRotation, rotation);
        QCOMPARE(info.exifMirror, mirror);
        QCOMPARE(info.exifFlip, flip);
        // The tag never turns the stored pixels.
        QCOMPARE(info.width, 40);
        QCOMPARE(info.height, 30);
    }

    void realPhotos_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("model");
        QTest::addColumn<QString>("exposure");
        QTest::addColumn<QString>("fNumber");
        QTest::newRow("bird") << "bird-exif6.jpg" << 6 << "Canon"
                              << "Canon EOS 600D"
                              << "1/60 s"
                              << "f/2.8";
        QTest::newRow("clock") << "clock-portrait-exif3.jpg" << 3 << "NIKON CORPORATION"
                               << "NIKON D5300"
                               << "1/250 s"
                               << "f/5.6";
        QTest::newRow("flower") << "flower.jpg" << 0 << ""
                                << ""
                                << ""
                                << "";
    }
    void realPhotos()
    {
        QFETCH(QString, file);
        QFETCH(int, orientation);
        QFETCH(QString, make);
        QFETCH(QString, model);
        QFETCH(QString, exposure);
        QFETCH(QString, fNumber);
        const ZumExifInfo exif(mediaFile(file));
        QCOMPARE(exif.Orientation(), orientation);
        QCOMPARE(exif.property(ZumExifInfo::EquipmentMake), make);
        QCOMPARE(exif.property(ZumExifInfo::CameraModel), model);
        QCOMPARE(exif.property(ZumExifInfo::ExposureTime), exposure);
        QCOMPARE(exif.property(ZumExifInfo::FNumber), fNumber);

        ImageInfo info;
        info.filePath = mediaFile(file);
        QVERIFY(ImageReader::parse(info));
        for (int i = 0; i < ZumExifInfo::PropertyCount; ++i)
            QCOMPARE(info.exifProperties[std::size_t(i)], exif.property(Property(i)));
        if (orientation == 0) {
            for (const QString& text : info.exifProperties)
                QVERIFY(text.isEmpty());
        }
    }

    void birdIso() { QCOMPARE(ZumExifInfo(mediaFile("bird-exif6.jpg")).property(ZumExifInfo::IsoSpeed), "ISO 400"); }

    void everyPropertyByNumber()
    {
        const QString path = plainJpeg(QStringLiteral("tags.jpg"));
        QVERIFY(writeTags(path, [](Exiv2::ExifData& exif) {
            exif["Exif.Image.Make"] = std::string("Testmaker");
            exif["Exif.Image.Model"] = std::string("Model 7");
            exif["Exif.Image.Software"] = std::string("Firmware 1.0.2");
            exif["Exif.Photo.CompressedBitsPerPixel"] = Exiv2::URational(5, 2);
            exif["Exif.Photo.ExposureTime"] = Exiv2::URational(10, 1250);
            exif["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
            exif["Exif.Photo.ExposureMode"] = uint16_t(1);
            exif["Exif.Photo.ExposureBiasValue"] = Exiv2::Rational(-2, 3);
            exif["Exif.Photo.MaxApertureValue"] = Exiv2::URational(3, 1);
            exif["Exif.Photo.DateTimeOriginal"] = std::string("2012:05:03 14:22:10");
            exif["Exif.Photo.ISOSpeedRatings"] = uint16_t(800);
            exif["Exif.Photo.FocalLength"] = Exiv2::URational(43, 10);
            exif["Exif.Photo.Flash"] = uint16_t(0x19);
            exif["Exif.Photo.MeteringMode"] = uint16_t(5);
            exif["Exif.Photo.WhiteBalance"] = uint16_t(1);
            exif["Exif.Image.Orientation"] = uint16_t(8);
            exif["Exif.Image.ImageDescription"] = std::string("Harbour at night");
        }));
        const ZumExifInfo exif(path);
        const QStringList expected = {"Testmaker",
                                      "Model 7",
                                      "Firmware 1.0.2",
                                      "2.5",
                                      "1/125 s",
                                      "f/2.8",
                                      "Manual",
                                      "-0.7 EV",
                                      "f/2.8",
                                      "2012-05-03 14:22:10",
                                      "ISO 800",
                                      "4.3 mm",
                                      "Fired, auto mode",
                                      "Pattern",
                                      "Manual",
                                      QStringLiteral("Rotate 270° clockwise"),
                                      "Harbour at night"};
        QCOMPARE(expected.size(), ZumExifInfo::PropertyCount);
        for (int i = 0; i < ZumExifInfo::PropertyCount; ++i)
            QCOMPARE(exif.property(Property(i)), expected[i]);
        QCOMPARE(exif.property(Property(ZumExifInfo::PropertyCount)), QString());
        QCOMPARE(exif.property(Property(-1)), QString());
    }

    void oddValues()
    {
        const QString path = plainJpeg(QStringLiteral("odd.jpg"));
        QVERIFY(writeTags(path, [](Exiv2::ExifData& exif) {
            exif["Exif.Image.Make"] = std::string("Ca\x07non\t  EOS\n");
            exif["Exif.Image.Model"] = std::string("Ni\xE9pce 1");
            exif["Exif.Image.Software"] = std::string("Caf\xC3\xA9 2");
            exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 0);
            exif["Exif.Photo.FNumber"] = Exiv2::URational(0, 0);
            exif["Exif.Photo.DateTimeOriginal"] = std::string("0000:00:00 00:00:00");
            exif["Exif.Photo.MeteringMode"] = uint16_t(77);
            exif["Exif.Image.Orientation"] = uint16_t(0);
        }));
        const ZumExifInfo exif(path);
        QCOMPARE(exif.property(ZumExifInfo::EquipmentMake), "Canon EOS");
        QCOMPARE(exif.property(ZumExifInfo::CameraModel), QStringLiteral("Niépce 1"));
        QCOMPARE(exif.property(ZumExifInfo::Software), QStringLiteral("Café 2"));
        QCOMPARE(exif.property(ZumExifInfo::ExposureTime), QString());
        QCOMPARE(exif.property(ZumExifInfo::FNumber), QString());
        QCOMPARE(exif.property(ZumExifInfo::DateTaken), QString());
        QCOMPARE(exif.property(ZumExifInfo::MeteringMode), QString());
        QCOMPARE(exif.property(ZumExifInfo::OrientationText), QString());
        QCOMPARE(exif.Orientation(), 0);
    }

    void texts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1/125") << "time" << 0.008 << "1/125 s";
        QTest::newRow("1/60 inexact") << "time" << 0.0166667 << "1/60 s";
        QTest::newRow("1/8000") << "time" << 1.0 / 8000 << "1/8000 s";
        QTest::newRow("half") << "time" << 0.5 << "1/2 s";
        QTest::newRow("0.4") << "time" << 0.4 << "0.4 s";
        QTest::newRow("0.3") << "time" << 0.3 << "0.3 s";
        QTest::newRow("short odd") << "time" << 0.07 << "1/14 s";
        QTest::newRow("one") << "time" << 1.0 << "1 s";
        QTest::newRow("1.3") << "time" << 1.3 << "1.3 s";
        QTest::newRow("30") << "time" << 30.0 << "30 s";
        QTest::newRow("zero time") << "time" << 0.0 << "";
        QTest::newRow("negative time") << "time" << -1.0 << "";
        QTest::newRow("f/2.8") << "f" << 2.8 << "f/2.8";
        QTest::newRow("f/8") << "f" << 8.0 << "f/8";
        QTest::newRow("f/11") << "f" << 11.0 << "f/11";
        QTest::newRow("f/0") << "f" << 0.0 << "";
        QTest::newRow("+2/3") << "bias" << 2.0 / 3 << "+0.7 EV";
        QTest::newRow("-4/3") << "bias" << -4.0 / 3 << "-1.3 EV";
        QTest::newRow("+1") << "bias" << 1.0 << "+1 EV";
        QTest::newRow("0") << "bias" << 0.0 << "0 EV";
        QTest::newRow("almost 0") << "bias" << -0.02 << "0 EV";
        QTest::newRow("apex 1") << "apex" << 1.0 << "f/1.4";
        QTest::newRow("apex 3") << "apex" << 3.0 << "f/2.8";
        QTest::newRow("apex 3.625") << "apex" << 3.625 << "f/3.5";
        QTest::newRow("apex 5") << "apex" << 5.0 << "f/5.6";
        QTest::newRow("apex 6") << "apex" << 6.0 << "f/8";
        QTest::newRow("apex 7") << "apex" << 7.0 << "f/11";
        QTest::newRow("apex unmarked") << "apex" << 2 * std::log2(3.7) << "f/3.7";
        QTest::newRow("apex absurd") << "apex" << 400.0 << "";
    }
    void texts()
    {
        QFETCH(QString, kind);
        QFETCH(double, value);
        QFETCH(QString, text);
        QString actual;
        if (kind == "time")
            actual = ZumExifInfo::exposureTimeText(value);
        else if (kind == "f")
            actual = ZumExifInfo::fNumberText(value);
        else if (kind == "bias")
            actual = ZumExifInfo::exposureBiasText(value);
        else
            actual = ZumExifInfo::apexApertureText(value);
        QCOMPARE(actual, text);
    }

    void unreadableFiles()
    {
        const QString empty = m_dir.filePath(QStringLiteral("empty.jpg"));
        QVERIFY(writeBytes(empty, QByteArray()));
        QByteArray noise(4096, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char& byte : noise)
            byte = char(random.bounded(256));
        const QString junk = m_dir.filePath(QStringLiteral("junk.jpg"));
        QVERIFY(writeBytes(junk, noise));
        for (const QString& path : {empty, junk, m_dir.filePath(QStringLiteral("missing.jpg")), m_dir.path(),
                                    QStringLiteral("http://localhost:9/x.jpg")}) {
            const ZumExifInfo exif(path);
            QCOMPARE(exif.Orientation(), 0);
            for (int i = 0; i < ZumExifInfo::PropertyCount; ++i)
                QVERIFY(exif.property(Property(i)).isEmpty());
        }
    }

    // Damaged metadata in many shapes: cut short anywhere, or with bytes of
    // the EXIF block overwritten. Nothing may crash or throw, and what comes
    // out stays in range.
    void hostileMetadata()
    {
        const QByteArray original = fileBytes(mediaFile("bird-exif6.jpg"));
        QVERIFY(original.size() > 20000);
        int exifStart = -1, exifLength = 0;
        for (int pos = 2; pos + 4 <= original.size() && quint8(original[pos]) == 0xFF;) {
            const int length = (quint8(original[pos + 2]) << 8) | quint8(original[pos + 3]);
            if (quint8(original[pos + 1]) == 0xE1) {
                exifStart = pos + 4;
                exifLength = length - 2;
                break;
            }
            pos += 2 + length;
        }
        QVERIFY(exifStart > 0 && exifLength > 100);
        const QString path = m_dir.filePath(QStringLiteral("hostile.jpg"));
        QRandomGenerator random(2024);

        auto check = [&](const QByteArray& bytes) {
            QVERIFY(writeBytes(path, bytes));
            const ZumExifInfo exif(path);
            QVERIFY(exif.Orientation() >= 0 && exif.Orientation() <= 8);
            for (int i = 0; i < ZumExifInfo::PropertyCount; ++i)
                QVERIFY(exif.property(Property(i)).size() <= 200);
            ImageInfo info;
            info.filePath = path;
            ImageReader::parse(info); // may fail or succeed; must return
        };
        for (int cut : {3, 6, 12, 30, exifStart + 10, exifStart + 100, exifStart + exifLength / 2,
                        exifStart + exifLength - 1, exifStart + exifLength + 200})
            check(original.left(cut));
        for (int round = 0; round < 60; ++round) {
            QByteArray bytes = original;
            const int flips = 1 + random.bounded(40);
            for (int i = 0; i < flips; ++i)
                bytes[exifStart + random.bounded(exifLength)] = char(random.bounded(256));
            check(bytes);
        }
    }
};

} // namespace

std::unique_ptr<QObject> makeExifTests() { return std::make_unique<ExifTest>(); }

#include "tst_exif.moc"
