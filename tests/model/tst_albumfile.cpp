// Album files: what a saved album gives back field by field, where its
// paths point after the folder moved, every kind of damaged file refused
// whole with a sentence naming it, missing files found again or left out,
// writes that never leave half a file, and the background probe that makes
// the thumbnails an opened album does not keep.

#include "albumdocument.h"
#include "albumfile.h"
#include "albumprobe.h"
#include "imagereader.h"
#include "infoparser.h"
#include "modeltests.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <functional>

#include <sys/resource.h>

namespace {

using JsonEdit = std::function<void(QJsonObject&)>;

bool copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to);
}

// Copies the tree `from` to `to` (which must not exist).
bool copyTree(const QString& from, const QString& to)
{
    QDirIterator walk(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext()) {
        const QString file = walk.next();
        if (!copyFile(file, to + QLatin1Char('/') + QDir(from).relativeFilePath(file)))
            return false;
    }
    return true;
}

ImageInfo parsedPhoto(const QString& path)
{
    ImageInfo photo;
    photo.filePath = path;
    ImageReader::parse(photo);
    return photo;
}

AudioInfo parsedClip(const QString& path)
{
    AudioInfo clip;
    clip.filePath = path;
    InfoParser::probeSound(clip);
    return clip;
}

GLTransform transform(GLTransformKind kind, float a, float b, float c, float d)
{
    GLTransform result;
    result.kind = kind;
    result.value[0] = a;
    result.value[1] = b;
    result.value[2] = c;
    result.value[3] = d;
    return result;
}

// The fields that differ between two photos, empty when none does. The
// thumbnails and EXIF properties are not part of the file.
QString photoDifferences(const ImageInfo& a, const ImageInfo& b)
{
    QStringList differ;
    const auto check = [&differ](bool same, const char* name) {
        if (!same)
            differ << QLatin1String(name);
    };
    check(a.filePath == b.filePath, "filePath");
    check(a.width == b.width, "width");
    check(a.height == b.height, "height");
    check(a.depth == b.depth, "depth");
    check(a.suffix == b.suffix, "suffix");
    check(a.fileSize == b.fileSize, "fileSize");
    check(a.lastModified == b.lastModified, "lastModified");
    check(a.exifMirror == b.exifMirror, "exifMirror");
    check(a.exifFlip == b.exifFlip, "exifFlip");
    check(a.exifRotation == b.exifRotation, "exifRotation");
    check(a.procs == b.procs, "procs");
    check(a.imageType == b.imageType, "imageType");
    for (const auto& [x, y, name] : {std::tuple{&a.fxStart, &b.fxStart, "fxStart"}, {&a.fxEnd, &b.fxEnd, "fxEnd"}})
        check(x->kind == y->kind && std::equal(x->value, x->value + 4, y->value), name);
    return differ.join(QLatin1Char(','));
}

QString clipDifferences(const AudioInfo& a, const AudioInfo& b)
{
    QStringList differ;
    const auto check = [&differ](bool same, const char* name) {
        if (!same)
            differ << QLatin1String(name);
    };
    check(a.filePath == b.filePath, "filePath");
    check(a.channels == b.channels, "channels");
    check(a.sampleRate == b.sampleRate, "sampleRate");
    check(a.bitsPerSample == b.bitsPerSample, "bitsPerSample");
    check(a.duration == b.duration, "duration");
    check(a.suffix == b.suffix, "suffix");
    check(a.fileSize == b.fileSize, "fileSize");
    check(a.lastModified == b.lastModified, "lastModified");
    check(a.startTime == b.startTime, "startTime");
    check(a.endTime == b.endTime, "endTime");
    return differ.join(QLatin1Char(','));
}

QJsonObject jsonOf(const QString& path) { return QJsonDocument::fromJson(fileBytes(path)).object(); }

bool writeJson(const QString& path, const QJsonObject& object)
{
    return writeBytes(path, QJsonDocument(object).toJson());
}

// Changes field `name` of entry `index` of list `list` of the album.
JsonEdit entryField(const char* list, int index, const char* name, const QJsonValue& value)
{
    return [=](QJsonObject& root) {
        QJsonArray entries = root.value(QLatin1String(list)).toArray();
        QJsonObject entry = entries.at(index).toObject();
        if (value.isUndefined())
            entry.remove(QLatin1String(name));
        else
            entry.insert(QLatin1String(name), value);
        entries.replace(index, entry);
        root.insert(QLatin1String(list), entries);
    };
}

JsonEdit groupField(const char* group, const char* name, const QJsonValue& value)
{
    return [=](QJsonObject& root) {
        QJsonObject fields = root.value(QLatin1String(group)).toObject();
        fields.insert(QLatin1String(name), value);
        root.insert(QLatin1String(group), fields);
    };
}

JsonEdit rootField(const char* name, const QJsonValue& value)
{
    return [=](QJsonObject& root) {
        if (value.isUndefined())
            root.remove(QLatin1String(name));
        else
            root.insert(QLatin1String(name), value);
    };
}

// Writing shorter files than this fails for the whole process while alive.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_set = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    bool isSet() const { return m_set; }

private:
    rlimit m_old{};
    bool m_set = false;
    void (*m_oldHandler)(int) = nullptr;
};

class AlbumFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // An album of two photos below `folder` (one of them twice) and a
    // trimmed clip, with every setting off its default.
    AlbumContents sampleAlbum(const QString& folder)
    {
        AlbumContents album;
        const QString flower = folder + QStringLiteral("/photos/flower.jpg");
        const QString bird = folder + QStringLiteral("/photos/deeper/bird.jpg");
        const QString song = folder + QStringLiteral("/music/sad.wav");
        copyFile(mediaFile(QStringLiteral("flower.jpg")), flower);
        copyFile(mediaFile(QStringLiteral("bird-exif6.jpg")), bird);
        copyFile(mediaFile(QStringLiteral("sad-mono-22k.wav")), song);

        ImageInfo first = parsedPhoto(flower);
        first.procs = {TurnLeft, Mirror, Flip};
        first.fxStart = transform(FxTranslate, -25.0f, 12.5f, 50.0f, 0.0f);
        first.fxEnd = transform(FxRotate, 30.25f, 0.0f, 0.0f, 1.0f);
        ImageInfo second = parsedPhoto(bird);
        second.procs = exifSteps(second);
        second.procs.prepend(TurnRight);
        second.fxStart = transform(FxTranslate, 25.0f, -12.5f, 100.0f, 0.0f);
        second.fxEnd = transform(FxTranslate, 0.125f, 0.0f, 75.0f, 0.0f);
        ImageInfo third = first;
        third.procs.clear();
        for (ImageInfo* photo : {&first, &second, &third})
            photo->imageType = imageTypeOf(photo->procs);
        album.photos = {first, second, third};

        AudioInfo clip = parsedClip(song);
        clip.startTime = 0.25;
        clip.endTime = clip.duration - 0.5;
        album.clips = {clip};

        album.photoMs = 3200;
        album.transitionMs = 700;
        album.useTransition = false;
        album.dissolveOnly = true;
        album.useZoom = false;
        album.loopAudio = true;
        album.fadeAudio = true;
        album.output = {QStringLiteral("mpeg4h264"), QStringLiteral("general"), folder + QStringLiteral("/videos"),
                        QStringLiteral("Summer")};
        return album;
    }

    // A valid album file in its own folder, as JSON to be spoilt.
    QJsonObject validJson()
    {
        const QString folder = path(QStringLiteral("valid"));
        const QString file = folder + QStringLiteral("/valid.reelwright");
        if (!QFileInfo::exists(file)) {
            QString error;
            if (!AlbumFile::write(file, sampleAlbum(folder), &error))
                qWarning("%s", qPrintable(error));
        }
        return jsonOf(file);
    }

private slots:
    void roundTrip()
    {
        const QString folder = path(QStringLiteral("round"));
        const AlbumContents album = sampleAlbum(folder);
        const QString file = folder + QStringLiteral("/Summer.reelwright");
        QString error;
        QVERIFY2(AlbumFile::write(file, album, &error), qPrintable(error));
        QVERIFY(error.isEmpty());

        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(read.missingFiles.isEmpty());
        QCOMPARE(read.album.photos.size(), album.photos.size());
        for (int i = 0; i < album.photos.size(); ++i) {
            QVERIFY2(photoDifferences(read.album.photos.at(i), album.photos.at(i)).isEmpty(),
                     qPrintable(QStringLiteral("photo %1: %2")
                                    .arg(i)
                                    .arg(photoDifferences(read.album.photos.at(i), album.photos.at(i)))));
            // Thumbnails are made again from the files, never stored.
            QVERIFY(read.album.photos.at(i).thumbnail.isNull());
        }
        QCOMPARE(read.album.clips.size(), 1);
        QVERIFY2(clipDifferences(read.album.clips.at(0), album.clips.at(0)).isEmpty(),
                 qPrintable(clipDifferences(read.album.clips.at(0), album.clips.at(0))));
        QCOMPARE(read.album.photoMs, 3200);
        QCOMPARE(read.album.transitionMs, 700);
        QVERIFY(!read.album.useTransition && read.album.dissolveOnly && !read.album.useZoom);
        QVERIFY(read.album.loopAudio && read.album.fadeAudio);
        QCOMPARE(read.album.output, album.output);

        // Written again, the same bytes: nothing drifts from one save to the next.
        const QString again = folder + QStringLiteral("/again.reelwright");
        QVERIFY(AlbumFile::write(again, read.album, &error));
        QJsonObject first = jsonOf(file), second = jsonOf(again);
        QCOMPARE(second, first);
        QCOMPARE(first.value("format").toInt(), 1);
        QVERIFY(first.value("program").toString().startsWith(QLatin1String("Reelwright")));
    }

    // The orientation class is worked out from the steps, whatever a file
    // or a caller says it is.
    void derivedFieldsRecomputed()
    {
        const QString folder = path(QStringLiteral("derived"));
        AlbumContents album = sampleAlbum(folder);
        album.photos[0].imageType = 0; // wrong for its steps
        const QString file = folder + QStringLiteral("/a.reelwright");
        QVERIFY(AlbumFile::write(file, album, nullptr));
        QJsonObject root = jsonOf(file);
        entryField("photos", 0, "imageType", 5)(root);
        groupField("settings", "photoSeconds", 99.0)(root);
        QVERIFY(writeJson(file, root));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.photos.at(0).imageType, imageTypeOf({TurnLeft, Mirror, Flip}));

        AlbumDocument document;
        document.loadContents(read.album);
        QCOMPARE(document.data().photoSeconds, 3.2);
        QCOMPARE(document.data().transitionSeconds, 0.7);
    }

    void storedPaths_data()
    {
        QTest::addColumn<QString>("photo");  // relative to the test folder
        QTest::addColumn<QString>("stored"); // what the file holds; "ABS" for the absolute path
        QTest::newRow("next to the album") << "album/a.jpg"
                                           << "a.jpg";
        QTest::newRow("below the album") << "album/photos/2024/a.jpg"
                                         << "photos/2024/a.jpg";
        QTest::newRow("beside the album's folder") << "other/a.jpg"
                                                   << "ABS";
        QTest::newRow("folder with the album's name as prefix") << "albumx/a.jpg"
                                                                << "ABS";
        QTest::newRow("reached through ..") << "album/../other/b.jpg"
                                            << "ABS";
    }

    void storedPaths()
    {
        QFETCH(QString, photo);
        QFETCH(QString, stored);
        const QString base = path(QStringLiteral("paths"));
        const QString photoPath = base + QLatin1Char('/') + photo;
        QVERIFY(copyFile(mediaFile(QStringLiteral("flower.jpg")), photoPath));
        AlbumContents album;
        album.photos = {parsedPhoto(photoPath)};
        album.output.folder = photoPath.section(QLatin1Char('/'), 0, -2);
        const QString file = base + QStringLiteral("/album/x.reelwright");
        QDir().mkpath(base + QStringLiteral("/album"));
        QVERIFY(AlbumFile::write(file, album, nullptr));

        const QString clean = QDir::cleanPath(photoPath);
        const QString expected = stored == "ABS" ? clean : stored;
        const QJsonObject root = jsonOf(file);
        QCOMPARE(root.value("photos").toArray().at(0).toObject().value("path").toString(), expected);
        const QString expectedFolder = stored == "ABS" ? QFileInfo(clean).path() : QFileInfo(stored).path();
        QCOMPARE(root.value("output").toObject().value("folder").toString(), expectedFolder);

        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.photos.at(0).filePath, clean);
        QCOMPARE(read.album.output.folder, QFileInfo(clean).path());
        QVERIFY(read.missingFiles.isEmpty());
    }

    // The album and its photos moved together: the paths below its folder
    // move along, the ones outside stay where they were.
    void movedFolder()
    {
        const QString before = path(QStringLiteral("move/before"));
        AlbumContents album = sampleAlbum(before);
        const QString outside = path(QStringLiteral("move/outside/raindrops.jpg"));
        QVERIFY(copyFile(mediaFile(QStringLiteral("raindrops.jpg")), outside));
        album.photos << parsedPhoto(outside);
        QVERIFY(AlbumFile::write(before + QStringLiteral("/trip.reelwright"), album, nullptr));

        const QString after = path(QStringLiteral("move/elsewhere/deeper/after"));
        QVERIFY(copyTree(before, after));
        QVERIFY(QDir(before).removeRecursively());

        const AlbumFile::ReadResult read = AlbumFile::read(after + QStringLiteral("/trip.reelwright"));
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY2(read.missingFiles.isEmpty(), qPrintable(read.missingFiles.join(", ")));
        QCOMPARE(read.album.photos.at(0).filePath, after + QStringLiteral("/photos/flower.jpg"));
        QCOMPARE(read.album.photos.at(1).filePath, after + QStringLiteral("/photos/deeper/bird.jpg"));
        QCOMPARE(read.album.photos.at(3).filePath, outside);
        QCOMPARE(read.album.clips.at(0).filePath, after + QStringLiteral("/music/sad.wav"));
        QCOMPARE(read.album.output.folder, after + QStringLiteral("/videos"));
        // The copy has new modification times, so the clip was probed
        // again; its trim is the saved one.
        QCOMPARE(read.album.clips.at(0).startTime, album.clips.at(0).startTime);
        QCOMPARE(read.album.clips.at(0).endTime, album.clips.at(0).endTime);
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");

        const QByteArray valid = QJsonDocument(validJson()).toJson();
        QVERIFY(!valid.isEmpty());
        const auto spoilt = [this](const JsonEdit& edit) {
            QJsonObject root = validJson();
            edit(root);
            return QJsonDocument(root).toJson();
        };
        QTest::newRow("empty") << QByteArray() << "is empty";
        QTest::newRow("not JSON") << QByteArray("PK\x03\x04 a zip archive, say") << "is not JSON";
        QTest::newRow("cut short") << valid.left(valid.size() / 2) << "cut short";
        QTest::newRow("cut short after the last brace but one") << valid.left(valid.lastIndexOf('}')) << "cut short";
        QTest::newRow("a list, not an album") << QByteArray("[1, 2, 3]") << "has no \"format\"";
        QTest::newRow("some other JSON") << QByteArray("{\"name\": \"profile\"}") << "has no \"format\"";
        QTest::newRow("newer format") << spoilt(rootField("format", 2)) << "newer version";
        QTest::newRow("format as text") << spoilt(rootField("format", "1")) << "not a version number";
        QTest::newRow("format with a fraction") << spoilt(rootField("format", 1.5)) << "not a version number";
        QTest::newRow("no photos list") << spoilt(rootField("photos", QJsonValue::Undefined))
                                        << "\"photos\" is missing";
        QTest::newRow("photos not a list") << spoilt(rootField("photos", QJsonObject{})) << "\"photos\" should be";
        QTest::newRow("photo not an object")
            << spoilt(rootField("photos", QJsonArray{"a.jpg"})) << "not a group of fields";
        QTest::newRow("no settings") << spoilt(rootField("settings", QJsonValue::Undefined))
                                     << "\"settings\" is missing";
        QTest::newRow("photo without path")
            << spoilt(entryField("photos", 1, "path", QJsonValue::Undefined)) << "photo 2: \"path\" is missing";
        QTest::newRow("photo path a number") << spoilt(entryField("photos", 0, "path", 7)) << "\"path\" should be";
        QTest::newRow("photo path empty") << spoilt(entryField("photos", 0, "path", "")) << "\"path\" is empty";
        QTest::newRow("width as text") << spoilt(entryField("photos", 0, "width", "640")) << "\"width\" should be";
        QTest::newRow("negative width") << spoilt(entryField("photos", 0, "width", -640)) << "outside";
        QTest::newRow("fractional size") << spoilt(entryField("photos", 0, "size", 10.5)) << "\"size\" should be";
        QTest::newRow("unknown step") << spoilt(entryField("photos", 2, "steps", QJsonArray{"mirror", "spin"}))
                                      << "unknown step \"spin\"";
        QTest::newRow("step as a number")
            << spoilt(entryField("photos", 0, "steps", QJsonArray{2})) << "unknown step \"2\"";
        QTest::newRow("steps not a list")
            << spoilt(entryField("photos", 0, "steps", "mirror")) << "\"steps\" should be";
        QTest::newRow("odd turn") << spoilt(entryField("photos", 0, "exifRotation", 45)) << "none of 0, 90 and -90";
        QTest::newRow("mirror as number")
            << spoilt(entryField("photos", 0, "exifMirror", 1)) << "\"exifMirror\" should be";
        QTest::newRow("bad date") << spoilt(entryField("photos", 0, "modified", "yesterday")) << "no date and time";
        QTest::newRow("unknown zoom kind")
            << spoilt(entryField("photos", 0, "zoomStart", QJsonObject{{"kind", "spiral"}, {"values", QJsonArray{}}}))
            << "zoom kind \"spiral\"";
        QTest::newRow("three zoom values")
            << spoilt(entryField("photos", 0, "zoomEnd",
                                 QJsonObject{{"kind", "translate"}, {"values", QJsonArray{1, 2, 3}}}))
            << "4 numbers";
        QTest::newRow("negative photo time") << spoilt(groupField("settings", "photoMs", -5000)) << "outside";
        QTest::newRow("zero photo time") << spoilt(groupField("settings", "photoMs", 0)) << "outside";
        QTest::newRow("negative transition") << spoilt(groupField("settings", "transitionMs", -1)) << "outside";
        QTest::newRow("photo time as text")
            << spoilt(groupField("settings", "photoMs", "5000")) << "\"photoMs\" should be";
        QTest::newRow("loop as text") << spoilt(groupField("settings", "loopAudio", "yes"))
                                      << "\"loopAudio\" should be";
        QTest::newRow("output folder a number") << spoilt(groupField("output", "folder", 3)) << "\"folder\" should be";
        QTest::newRow("negative clip length") << spoilt(entryField("clips", 0, "duration", -3.0)) << "outside";
        QTest::newRow("clip without length") << spoilt(entryField("clips", 0, "duration", QJsonValue::Undefined))
                                             << "sound clip 1: \"duration\" is missing";
        QTest::newRow("trim past the end") << spoilt(entryField("clips", 0, "endTime", 1000.0)) << "trim";
        QTest::newRow("trim ends before it starts") << spoilt([](QJsonObject& root) {
            entryField("clips", 0, "startTime", 1.0)(root);
            entryField("clips", 0, "endTime", 0.5)(root);
        }) << "ends before it starts";
        QTest::newRow("negative trim start") << spoilt(entryField("clips", 0, "startTime", -0.5)) << "outside";
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("bad/Broken Album.reelwright"));
        QDir().mkpath(path(QStringLiteral("bad")));
        QVERIFY(writeBytes(file, bytes));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains(file), qPrintable(read.error));
        QVERIFY2(read.error.contains(message), qPrintable(read.error));
        // Nothing partial comes back.
        QVERIFY(read.album.photos.isEmpty() && read.album.clips.isEmpty() && read.missingFiles.isEmpty());
    }

    // A later version may add fields; this one reads the album without them.
    void extraFieldsIgnored()
    {
        QJsonObject root = validJson();
        rootField("coverPhoto", QJsonObject{{"path", "x.jpg"}})(root);
        entryField("photos", 0, "caption", "At the lake")(root);
        groupField("settings", "randomTransitions", true)(root);
        entryField("clips", 0, "volume", 0.8)(root);
        const QString file = path(QStringLiteral("valid/extra.reelwright"));
        QVERIFY(writeJson(file, root));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.photos.size(), 3);
        QCOMPARE(read.album.clips.size(), 1);
    }

    void unreadableFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("no such file") << "nowhere/none.reelwright"
                                      << "does not exist";
        QTest::newRow("a folder") << "folder.reelwright"
                                  << "not a file";
    }

    void unreadableFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QDir().mkpath(path(QStringLiteral("folder.reelwright")));
        const AlbumFile::ReadResult read = AlbumFile::read(path(name));
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains(path(name)) && read.error.contains(message), qPrintable(read.error));
    }

    // Missing files are listed once each, in album order; relinking finds
    // them by name below a folder (the exact name before one differing only
    // in case), and what stays missing can be left out.
    void missingFiles_data()
    {
        QTest::addColumn<QStringList>("present"); // file names put below the relink folder
        QTest::addColumn<int>("found");
        QTest::addColumn<QStringList>("stillMissing");
        QTest::addColumn<QStringList>("photosLeft"); // after leaving the still missing out
        QTest::addColumn<int>("clipsLeft");
        QTest::addColumn<QString>("unused"); // the one of `present` nothing may point at

        QTest::newRow("without relinking")
            << QStringList{} << 0 << QStringList{"b.jpg", "c.jpg", "song.wav"} << QStringList{"a.jpg"} << 0 << "";
        QTest::newRow("all found, in sub-folders")
            << QStringList{"x/b.jpg", "x/y/c.jpg", "music/song.wav"} << 3 << QStringList{}
            << QStringList{"a.jpg", "b.jpg", "c.jpg", "b.jpg"} << 1 << "";
        QTest::newRow("some found") << QStringList{"b.jpg"} << 1 << QStringList{"c.jpg", "song.wav"}
                                    << QStringList{"a.jpg", "b.jpg", "b.jpg"} << 0 << "";
        QTest::newRow("found by name in another case")
            << QStringList{"deep/C.JPG"} << 1 << QStringList{"b.jpg", "song.wav"} << QStringList{"a.jpg", "C.JPG"} << 0
            << "";
        // Both ways round, so that the order of the walk cannot decide.
        QTest::newRow("exact case wins") << QStringList{"1/B.jpg", "2/b.jpg"} << 1 << QStringList{"c.jpg", "song.wav"}
                                         << QStringList{"a.jpg", "b.jpg", "b.jpg"} << 0 << "1/B.jpg";
        QTest::newRow("exact case wins, other order")
            << QStringList{"1/b.jpg", "2/B.jpg"} << 1 << QStringList{"c.jpg", "song.wav"}
            << QStringList{"a.jpg", "b.jpg", "b.jpg"} << 0 << "2/B.jpg";
    }

    void missingFiles()
    {
        QFETCH(QStringList, present);
        QFETCH(int, found);
        QFETCH(QStringList, stillMissing);
        QFETCH(QStringList, photosLeft);
        QFETCH(int, clipsLeft);
        QFETCH(QString, unused);

        QTemporaryDir dir;
        const QString albumFolder = dir.filePath(QStringLiteral("album"));
        AlbumContents album;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "b.jpg"}) {
            const QString photo = albumFolder + QLatin1Char('/') + QLatin1String(name);
            QVERIFY(QFileInfo::exists(photo) || copyFile(mediaFile(QStringLiteral("flower.jpg")), photo));
            album.photos << parsedPhoto(photo);
        }
        const QString song = albumFolder + QStringLiteral("/song.wav");
        QVERIFY(copyFile(mediaFile(QStringLiteral("sad-mono-22k.wav")), song));
        album.clips << parsedClip(song);
        const QString file = albumFolder + QStringLiteral("/album.reelwright");
        QVERIFY(AlbumFile::write(file, album, nullptr));
        for (const char* name : {"b.jpg", "c.jpg", "song.wav"})
            QVERIFY(QFile::remove(albumFolder + QLatin1Char('/') + QLatin1String(name)));

        AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.photos.size(), 4);
        QCOMPARE(read.missingFiles, (QStringList{albumFolder + "/b.jpg", albumFolder + "/c.jpg", song}));

        const QString elsewhere = dir.filePath(QStringLiteral("found"));
        QDir().mkpath(elsewhere);
        for (const QString& name : present) {
            const QString source = name.endsWith(".wav") ? mediaFile("sad-mono-22k.wav") : mediaFile("raindrops.jpg");
            QVERIFY(copyFile(source, elsewhere + QLatin1Char('/') + name));
        }
        QCOMPARE(AlbumFile::relink(read.album, read.missingFiles, elsewhere), found);
        QStringList missingNames;
        for (const QString& missing : read.missingFiles)
            missingNames << QFileInfo(missing).fileName();
        QCOMPARE(missingNames, stillMissing);
        for (const ImageInfo& photo : read.album.photos)
            QVERIFY2(QFileInfo::exists(photo.filePath) || read.missingFiles.contains(photo.filePath),
                     qPrintable(photo.filePath));
        for (const QString& name : present) {
            const QString relinked = elsewhere + QLatin1Char('/') + name;
            const bool used = std::any_of(read.album.photos.cbegin(), read.album.photos.cend(),
                                          [&](const ImageInfo& p) { return p.filePath == relinked; }) ||
                              std::any_of(read.album.clips.cbegin(), read.album.clips.cend(),
                                          [&](const AudioInfo& c) { return c.filePath == relinked; });
            QVERIFY2(used == (name != unused), qPrintable(relinked));
        }

        AlbumFile::dropMissing(read.album, read.missingFiles);
        QStringList photoNames;
        for (const ImageInfo& photo : read.album.photos)
            photoNames << QFileInfo(photo.filePath).fileName();
        QCOMPARE(photoNames, photosLeft);
        QCOMPARE(read.album.clips.size(), clipsLeft);
    }

    // Files of one name from different folders each find the one in the
    // matching folder, not all the same file.
    void relinkKeepsNamesakesApart()
    {
        QTemporaryDir dir;
        AlbumContents album;
        for (const char* year : {"2023", "2024", "2025"}) {
            ImageInfo photo;
            photo.filePath = dir.filePath(QStringLiteral("old/%1/IMG_0001.jpg").arg(QLatin1String(year)));
            album.photos << photo;
        }
        QStringList missing{album.photos.at(0).filePath, album.photos.at(1).filePath, album.photos.at(2).filePath};
        for (const char* moved : {"new/2024/IMG_0001.jpg", "new/2023/IMG_0001.jpg", "new/other/IMG_0001.jpg"})
            QVERIFY(copyFile(mediaFile(QStringLiteral("flower.jpg")), dir.filePath(QLatin1String(moved))));
        QCOMPARE(AlbumFile::relink(album, missing, dir.filePath(QStringLiteral("new"))), 3);
        QVERIFY(missing.isEmpty());
        QCOMPARE(album.photos.at(0).filePath, dir.filePath(QStringLiteral("new/2023/IMG_0001.jpg")));
        QCOMPARE(album.photos.at(1).filePath, dir.filePath(QStringLiteral("new/2024/IMG_0001.jpg")));
        // No folder agrees: one of the files of that name.
        QVERIFY(QFileInfo::exists(album.photos.at(2).filePath));
    }

    // The relinked clip is the file that was found, read again: its length
    // is that file's, and the trim stays within it.
    void relinkedClipProbedAgain()
    {
        QTemporaryDir dir;
        AudioInfo clip = parsedClip(mediaFile(QStringLiteral("sad-mono-22k.wav")));
        clip.filePath = dir.filePath(QStringLiteral("gone/song.m4a"));
        clip.startTime = 1.0;
        clip.endTime = clip.duration;
        AlbumContents album;
        album.clips = {clip};
        QStringList missing{clip.filePath};
        QVERIFY(copyFile(mediaFile(QStringLiteral("journeys-8s.m4a")), dir.filePath(QStringLiteral("new/song.m4a"))));
        QCOMPARE(AlbumFile::relink(album, missing, dir.filePath(QStringLiteral("new"))), 1);
        const AudioInfo expected = parsedClip(mediaFile(QStringLiteral("journeys-8s.m4a")));
        QCOMPARE(album.clips.at(0).duration, expected.duration);
        QCOMPARE(album.clips.at(0).sampleRate, expected.sampleRate);
        QCOMPARE(album.clips.at(0).startTime, 1.0);
        QCOMPARE(album.clips.at(0).endTime, std::min(clip.duration, expected.duration));
    }

    // The stored length is trusted while the file is the one saved;
    // otherwise the clip is read again and its trim kept within it.
    void clipLength_data()
    {
        QTest::addColumn<bool>("replaced");
        QTest::newRow("file as saved") << false;
        QTest::newRow("file replaced by a shorter one") << true;
    }

    void clipLength()
    {
        QFETCH(bool, replaced);
        QTemporaryDir dir;
        const QString song = dir.filePath(QStringLiteral("song.ogg"));
        QVERIFY(copyFile(mediaFile(QStringLiteral("knolls-20s.ogg")), song));
        AudioInfo clip = parsedClip(song);
        QVERIFY(clip.duration > 19.0);
        // A length no probe gives: seen back only when the stored one is used.
        clip.duration = 20.5;
        clip.startTime = 2.0;
        clip.endTime = 20.5;
        AlbumContents album;
        album.clips = {clip};
        const QString file = dir.filePath(QStringLiteral("a.reelwright"));
        QVERIFY(AlbumFile::write(file, album, nullptr));
        if (replaced)
            QVERIFY(copyFile(mediaFile(QStringLiteral("journeys-8s.m4a")), song));

        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        const AudioInfo& back = read.album.clips.at(0);
        if (!replaced) {
            QCOMPARE(back.duration, 20.5);
            QCOMPARE(back.endTime, 20.5);
            return;
        }
        const AudioInfo expected = parsedClip(mediaFile(QStringLiteral("journeys-8s.m4a")));
        QCOMPARE(back.duration, expected.duration);
        QCOMPARE(back.sampleRate, expected.sampleRate);
        QCOMPARE(back.fileSize, QFileInfo(song).size());
        QCOMPARE(back.startTime, 2.0);
        QCOMPARE(back.endTime, expected.duration);
    }

    // A write that fails leaves the old album as it was, reports the file,
    // and leaves no stray file behind.
    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk refuses the bytes") << "limit";
        QTest::newRow("folder missing") << "folder";
        QTest::newRow("a folder has the name") << "directory";
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QString file = dir.filePath(QStringLiteral("keep.reelwright"));
        AlbumContents small = sampleAlbum(dir.filePath(QStringLiteral("media")));
        small.photos.resize(1);
        QVERIFY(AlbumFile::write(file, small, nullptr));
        const QByteArray old = fileBytes(file);

        AlbumContents large = small;
        for (int i = 0; i < 200; ++i)
            large.photos << small.photos.at(0);
        QString error;
        bool written = true;
        if (how == "limit") {
            const FileSizeLimit limit(rlim_t(old.size() + 100));
            QVERIFY(limit.isSet());
            written = AlbumFile::write(file, large, &error);
        } else if (how == "folder") {
            file = dir.filePath(QStringLiteral("no/such/folder/keep.reelwright"));
            written = AlbumFile::write(file, large, &error);
        } else {
            file = dir.filePath(QStringLiteral("taken.reelwright"));
            QVERIFY(QDir().mkpath(file));
            written = AlbumFile::write(file, large, &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(file), qPrintable(error));
        QCOMPARE(fileBytes(dir.filePath(QStringLiteral("keep.reelwright"))), old);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files);
        QCOMPARE(left, QStringList{QStringLiteral("keep.reelwright")});
    }

    void documentContents()
    {
        const QString folder = path(QStringLiteral("document"));
        const AlbumContents album = sampleAlbum(folder);
        AlbumDocument document;
        QStringList signalNames;
        for (const auto& [signal, name] : {std::pair{&AlbumDocument::photosReset, "photosReset"},
                                           {&AlbumDocument::clipsReset, "clipsReset"},
                                           {&AlbumDocument::settingsChanged, "settingsChanged"},
                                           {&AlbumDocument::changed, "changed"}})
            connect(&document, signal, this, [&signalNames, name = name] { signalNames << QLatin1String(name); });
        document.loadContents(album);
        QCOMPARE(signalNames, (QStringList{"photosReset", "clipsReset", "settingsChanged", "changed"}));
        QCOMPARE(document.photos().size(), 3);
        QCOMPARE(document.data().photoSeconds, 3.2);
        QCOMPARE(document.output(), album.output);

        const AlbumContents back = document.contents();
        for (int i = 0; i < 3; ++i)
            QVERIFY(photoDifferences(back.photos.at(i), album.photos.at(i)).isEmpty());
        QVERIFY(clipDifferences(back.clips.at(0), album.clips.at(0)).isEmpty());
        QCOMPARE(back.output, album.output);
        QVERIFY(back.loopAudio && back.fadeAudio && back.dissolveOnly && !back.useZoom && !back.useTransition);
        QCOMPARE(back.transitionMs, 700);

        signalNames.clear();
        document.setOutput(album.output);
        QVERIFY(signalNames.isEmpty());
        AlbumOutput other = album.output;
        other.fileName = QStringLiteral("Winter");
        document.setOutput(other);
        QCOMPARE(signalNames, QStringList{"changed"});
        QCOMPARE(document.output().fileName, QStringLiteral("Winter"));
    }

    // The probe gives each photo the thumbnails an import makes, the
    // document puts them on every row of that file without it being an
    // edit, and a photo changed since saving gets its new size.
    void probeFillsDetails()
    {
        const QString folder = path(QStringLiteral("probe"));
        AlbumContents album = sampleAlbum(folder);
        album.photos[1].width = 1;
        album.photos[1].height = 1; // as if the file changed since saving
        for (ImageInfo& photo : album.photos) {
            photo.thumbnail = QImage();
            photo.thumbnailTurned = QImage();
        }
        AlbumDocument document;
        document.loadContents(album);
        QSignalSpy rows(&document, &AlbumDocument::photosChanged);
        QSignalSpy edits(&document, &AlbumDocument::changed);

        AlbumProbe probe;
        connect(&probe, &AlbumProbe::photoProbed, &document, &AlbumDocument::fillPhotoDetails);
        QSignalSpy progress(&probe, &AlbumProbe::progress);
        QSignalSpy finished(&probe, &AlbumProbe::finished);
        const QString missing = folder + QStringLiteral("/photos/gone.jpg");
        probe.start({album.photos.at(0).filePath, album.photos.at(1).filePath, missing});
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(progress.count(), 3);
        QCOMPARE(progress.last(), (QVariantList{3, 3}));
        QVERIFY(!probe.isRunning());

        QCOMPARE(rows.count(), 3); // photo 0 and its copy, photo 2, and photo 1
        QCOMPARE(edits.count(), 0);
        for (int i = 0; i < 3; ++i) {
            const ImageInfo imported = parsedPhoto(document.photos().at(i).filePath);
            const ImageInfo& shown = document.photos().at(i);
            QCOMPARE(shown.thumbnail, imported.thumbnail);
            QCOMPARE(shown.thumbnailTurned, imported.thumbnailTurned);
            QCOMPARE(shown.width, imported.width);
            QCOMPARE(shown.height, imported.height);
            QCOMPARE(shown.exifProperties, imported.exifProperties);
            // The user's work stays.
            QCOMPARE(shown.procs, album.photos.at(i).procs);
            QVERIFY(photoDifferences(shown, album.photos.at(i)) == (i == 1 ? "width,height" : ""));
        }
    }

    void probeCancelled()
    {
        const QString folder = path(QStringLiteral("cancel"));
        QStringList paths;
        for (int i = 0; i < 40; ++i) {
            paths << folder + QStringLiteral("/p%1.jpg").arg(i);
            QVERIFY(copyFile(mediaFile(QStringLiteral("raindrops.jpg")), paths.last()));
        }
        AlbumProbe probe;
        QSignalSpy probed(&probe, &AlbumProbe::photoProbed);
        QSignalSpy finished(&probe, &AlbumProbe::finished);
        probe.start(paths);
        QTest::qWait(20);
        probe.cancel();
        const int before = int(probed.count());
        QTest::qWait(200);
        QCOMPARE(probed.count(), before);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!probe.isRunning());

        // A new run after a cancel reports all of its own photos.
        probe.start(paths.mid(0, 3));
        QVERIFY(finished.wait(20000));
        QCOMPARE(probed.count(), before + 3);
    }
};

} // namespace

std::unique_ptr<QObject> makeAlbumFileTests() { return std::make_unique<AlbumFileTest>(); }

#include "tst_albumfile.moc"
