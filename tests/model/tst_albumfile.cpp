// Album files: what a saved album gives back, where its paths point after the
// folder moved, damaged files refused whole, missing files found again or left
// out, writes that never leave half a file, and the background probe.

#include "albumdocument.h"
#include "albumfile.h"
#include "albumprobe.h"
#include "imagereader.h"
#include "infoparser.h"
#include "modeltests.h"
#include "signallog.h"

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

#include <sys/resource.h>

namespace {

bool copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile::remove(to);
    return QFile::copy(from, to);
}

bool copyTree(const QString& from, const QString& to)
{
    QDirIterator walk(from, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    bool copied = true;
    while (walk.hasNext() && copied) {
        const QString file = walk.next();
        copied = copyFile(file, to + QLatin1Char('/') + QDir(from).relativeFilePath(file));
    }
    return copied;
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

// The names of the fields that differ, "" when none does.
template <typename... Fields>
QString differing(const Fields&... fields)
{
    QStringList names;
    ((fields.first ? void() : void(names << QLatin1String(fields.second))), ...);
    return names.join(QLatin1Char(','));
}
#define FIELD(name)                                                                                                    \
    std::pair { a.name == b.name, #name }

// Thumbnails and EXIF properties are not part of the file.
QString photoDifferences(const ImageInfo& a, const ImageInfo& b)
{
    const auto same = [](const GLTransform& x, const GLTransform& y) {
        return x.kind == y.kind && std::equal(x.value, x.value + 4, y.value);
    };
    return differing(FIELD(filePath), FIELD(width), FIELD(height), FIELD(depth), FIELD(suffix), FIELD(fileSize),
                     FIELD(lastModified), FIELD(exifMirror), FIELD(exifFlip), FIELD(exifRotation), FIELD(procs),
                     FIELD(imageType), std::pair{same(a.fxStart, b.fxStart), "fxStart"},
                     std::pair{same(a.fxEnd, b.fxEnd), "fxEnd"}, FIELD(caption), FIELD(titleCard), FIELD(cardTop),
                     FIELD(cardBottom));
}

QString clipDifferences(const AudioInfo& a, const AudioInfo& b)
{
    return differing(FIELD(filePath), FIELD(channels), FIELD(sampleRate), FIELD(bitsPerSample), FIELD(duration),
                     FIELD(suffix), FIELD(fileSize), FIELD(lastModified), FIELD(startTime), FIELD(endTime));
}

QString albumDifferences(const AlbumContents& a, const AlbumContents& b)
{
    if (a.photos.size() != b.photos.size() || a.clips.size() != b.clips.size())
        return QStringLiteral("counts");
    QStringList found{differing(FIELD(photoMs), FIELD(transitionMs), FIELD(useTransition), FIELD(dissolveOnly),
                                FIELD(useZoom), FIELD(loopAudio), FIELD(fadeAudio), FIELD(evenLoudness), FIELD(fadeMs),
                                FIELD(beatCuts), FIELD(output))};
    for (int i = 0; i < a.photos.size(); ++i)
        found << photoDifferences(a.photos.at(i), b.photos.at(i));
    for (int i = 0; i < a.clips.size(); ++i)
        found << clipDifferences(a.clips.at(i), b.clips.at(i));
    found.removeAll(QString());
    return found.join(QStringLiteral("; "));
}
#undef FIELD

QJsonObject jsonOf(const QString& path) { return QJsonDocument::fromJson(fileBytes(path)).object(); }

// `node` with the field at `path` ("format", "settings.photoMs",
// "photos.0.path") set to `value`, or taken out when that is undefined.
QJsonValue withField(const QJsonValue& node, QStringList path, const QJsonValue& value)
{
    if (path.isEmpty())
        return value;
    const QString key = path.takeFirst();
    if (node.isArray()) {
        QJsonArray list = node.toArray();
        list.replace(key.toInt(), withField(list.at(key.toInt()), path, value));
        return list;
    }
    QJsonObject object = node.toObject();
    const QJsonValue inner = withField(object.value(key), path, value);
    if (inner.isUndefined())
        object.remove(key);
    else
        object.insert(key, inner);
    return object;
}

using JsonEdits = std::initializer_list<std::pair<const char*, QJsonValue>>;

class AlbumFileTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Two photos below `folder` (one of them twice) and a trimmed clip,
    // with every setting off its default.
    AlbumContents sampleAlbum(const QString& folder)
    {
        const QString flower = folder + QStringLiteral("/photos/flower.jpg");
        const QString bird = folder + QStringLiteral("/photos/deeper/bird.jpg");
        const QString song = folder + QStringLiteral("/music/sad.wav");
        copyFile(mediaFile(QStringLiteral("flower.jpg")), flower);
        copyFile(mediaFile(QStringLiteral("bird-exif6.jpg")), bird);
        copyFile(mediaFile(QStringLiteral("sad-mono-22k.wav")), song);

        ImageInfo first = parsedPhoto(flower);
        first.procs = {TurnLeft, Mirror, Flip};
        first.fxStart = {FxTranslate, {-25.0f, 12.5f, 50.0f, 0.0f}};
        first.fxEnd = {FxRotate, {30.25f, 0.0f, 0.0f, 1.0f}};
        ImageInfo second = parsedPhoto(bird);
        second.procs = exifSteps(second);
        second.procs.prepend(TurnRight);
        second.fxStart = {FxTranslate, {25.0f, -12.5f, 100.0f, 0.0f}};
        second.fxEnd = {FxTranslate, {0.125f, 0.0f, 75.0f, 0.0f}};
        ImageInfo third = first;
        third.procs.clear();
        for (ImageInfo* photo : {&first, &second, &third})
            photo->imageType = imageTypeOf(photo->procs);
        AudioInfo clip = parsedClip(song);
        clip.startTime = 0.25;
        clip.endTime = clip.duration - 0.5;
        return {.photos = {first, second, third},
                .clips = {clip},
                .photoMs = 3200,
                .transitionMs = 700,
                .useTransition = false,
                .dissolveOnly = true,
                .useZoom = false,
                .loopAudio = true,
                .fadeAudio = true,
                .evenLoudness = false,
                .fadeMs = 750,
                .output = {QStringLiteral("mpeg4h264"), QStringLiteral("general"), folder + QStringLiteral("/videos"),
                           QStringLiteral("Summer")}};
    }

    QString validFile()
    {
        const QString file = path(QStringLiteral("valid/valid.reelwright"));
        if (!QFileInfo::exists(file)) {
            QString error;
            if (!AlbumFile::write(file, sampleAlbum(path(QStringLiteral("valid"))), &error))
                qWarning("%s", qPrintable(error));
        }
        return file;
    }

    QByteArray spoilt(JsonEdits edits)
    {
        QJsonValue root = jsonOf(validFile());
        for (const auto& [where, value] : edits)
            root = withField(root, QString::fromLatin1(where).split(QLatin1Char('.')), value);
        return QJsonDocument(root.toObject()).toJson();
    }

private slots:
    void roundTrip()
    {
        const QString folder = path(QStringLiteral("round"));
        const AlbumContents album = sampleAlbum(folder);
        const QString file = folder + QStringLiteral("/Summer.reelwright");
        QString error = QStringLiteral("stale");
        QVERIFY2(AlbumFile::write(file, album, &error), qPrintable(error));
        QVERIFY(error.isEmpty());

        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(read.missingFiles.isEmpty());
        QCOMPARE(albumDifferences(read.album, album), QString());
        for (const ImageInfo& photo : read.album.photos)
            QVERIFY(photo.thumbnail.isNull()); // made again from the files, never stored

        AlbumDocument document;
        SignalLog log(document);
        document.loadContents(read.album);
        QCOMPARE(log.take(), (QStringList{"photosReset", "clipsReset", "settingsChanged", "changed"}));
        QCOMPARE(document.data().photoSeconds, 3.2);
        QCOMPARE(document.data().transitionSeconds, 0.7);
        QCOMPARE(albumDifferences(document.contents(), album), QString());

        // Written again, the same bytes: nothing drifts from one save to the next.
        const QString again = folder + QStringLiteral("/again.reelwright");
        QVERIFY(AlbumFile::write(again, document.contents(), &error));
        QCOMPARE(jsonOf(again), jsonOf(file));
        QCOMPARE(jsonOf(file).value("format").toInt(), 1);
        QVERIFY(jsonOf(file).value("program").toString().startsWith(QLatin1String("Reelwright")));
    }

    // Captions in every place and style, text that reads right to left or
    // looks like markup, and title cards come back as they were; an album
    // with cards is format 2, and without them format 1 still (older
    // programs read it and drop the captions).
    void captionsAndCards()
    {
        const QString folder = path(QStringLiteral("captions"));
        AlbumContents album = sampleAlbum(folder);
        album.photos[0].caption = {.text = QStringLiteral("<b>Lake</b> & \"hills\"\nsecond line"),
                                   .place = CaptionPlace::Top,
                                   .size = 0.08,
                                   .family = QStringLiteral("DejaVu Serif"),
                                   .colour = QColor(255, 220, 0, 128),
                                   .backdrop = CaptionBackdrop::Band};
        album.photos[1].caption = {.text = QStringLiteral("שלום سلام 你好"),
                                   .place = CaptionPlace::Free,
                                   .point = QPointF(0.25, 0.875),
                                   .size = Caption::DefaultSize,
                                   .family = QString(),
                                   .colour = Qt::white,
                                   .backdrop = CaptionBackdrop::Outline};
        album.photos[2].caption.place = CaptionPlace::Centre; // style without text is kept too
        ImageInfo card = makeTitleCard(QStringLiteral("Summer 2024"));
        card.cardTop = QColor(10, 20, 30);
        card.fxEnd = {FxTranslate, {0.0f, 0.0f, 20.0f, 0.0f}};
        album.photos.insert(1, card);

        const QString file = folder + QStringLiteral("/cards.reelwright");
        QString error;
        QVERIFY2(AlbumFile::write(file, album, &error), qPrintable(error));
        QCOMPARE(jsonOf(file).value("format").toInt(), 2);
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QVERIFY(read.missingFiles.isEmpty()); // a card has no file to miss
        QCOMPARE(albumDifferences(read.album, album), QString());
        QVERIFY(read.album.photos.at(1).filePath.isEmpty());
        QVERIFY(!read.album.photos.at(1).thumbnail.isNull());
        QCOMPARE(read.album.photos.at(1).thumbnail.pixelColor(0, 0), QColor(10, 20, 30));

        const QString again = folder + QStringLiteral("/again.reelwright");
        QVERIFY(AlbumFile::write(again, read.album, &error));
        QCOMPARE(jsonOf(again), jsonOf(file));

        // The probe of an opened album reads no file for a card, and
        // details of a file never land on one.
        AlbumDocument document;
        document.loadContents(read.album);
        AlbumProbe probe;
        QSignalSpy progress(&probe, &AlbumProbe::progress);
        probe.start({QString(), QString()});
        QTRY_COMPARE(progress.count(), 1);
        QCOMPARE(progress.last(), (QVariantList{0, 0}));
        const QImage cardThumbnail = document.photos().at(1).thumbnail;
        document.fillPhotoDetails(ImageInfo());
        QCOMPARE(document.photos().at(1).thumbnail, cardThumbnail);

        album.photos.removeAt(1);
        QVERIFY(AlbumFile::write(file, album, &error));
        QCOMPARE(jsonOf(file).value("format").toInt(), 1);
        const AlbumFile::ReadResult withoutCards = AlbumFile::read(file);
        QVERIFY2(withoutCards.ok, qPrintable(withoutCards.error));
        QCOMPARE(albumDifferences(withoutCards.album, album), QString());
    }

    // A new album evens loudness out and fades out over 2 s; a file saved
    // before those settings keeps the sound it had, a fade only where its
    // old fade flag asked for one.
    void loudnessAndFadeSettings_data()
    {
        QTest::addColumn<QJsonValue>("loudness"); // Undefined: the key is left out
        QTest::addColumn<QJsonValue>("fade");
        QTest::addColumn<bool>("fadeFlag");
        QTest::addColumn<bool>("evenLoudness");
        QTest::addColumn<int>("fadeMs");
        const QJsonValue none(QJsonValue::Undefined);
        QTest::newRow("old file") << none << none << false << false << 0;
        QTest::newRow("old file that asked for a fade") << none << none << true << false << 2000;
        QTest::newRow("stored on") << QJsonValue(true) << QJsonValue(3500) << false << true << 3500;
        QTest::newRow("stored off beats the old flag") << QJsonValue(false) << QJsonValue(0) << true << false << 0;
    }

    void loudnessAndFadeSettings()
    {
        QFETCH(QJsonValue, loudness);
        QFETCH(QJsonValue, fade);
        QFETCH(bool, fadeFlag);
        QFETCH(bool, evenLoudness);
        QFETCH(int, fadeMs);
        const QString file = path(QStringLiteral("valid/settings.reelwright"));
        QVERIFY(writeBytes(file, spoilt({{"settings.evenLoudness", loudness},
                                         {"settings.fadeMs", fade},
                                         {"settings.fadeAudio", fadeFlag}})));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(read.album.evenLoudness, evenLoudness);
        QCOMPARE(read.album.fadeMs, fadeMs);
        QCOMPARE(read.album.fadeAudio, fadeFlag);

        const AlbumDocument fresh;
        QVERIFY(fresh.data().evenLoudness);
        QCOMPARE(fresh.data().fadeMs, 2000);
        QCOMPARE(albumDifferences(fresh.contents(), AlbumContents()), QString());
    }

    // Fields a later version may add, and ones worked out from others
    // (the orientation class, the seconds), change nothing that is read.
    void extraFieldsIgnored()
    {
        const QString file = path(QStringLiteral("valid/extra.reelwright"));
        QVERIFY(writeBytes(file, spoilt({{"coverPhoto", QJsonObject{{"path", "x.jpg"}}},
                                         {"photos.0.rating", "four stars"},
                                         {"photos.0.imageType", 5},
                                         {"settings.photoSeconds", 99.0},
                                         {"settings.randomTransitions", true},
                                         {"clips.0.volume", 0.8}})));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(albumDifferences(read.album, AlbumFile::read(validFile()).album), QString());
    }

    void storedPaths_data()
    {
        QTest::addColumn<QString>("photo");  // relative to the test folder
        QTest::addColumn<QString>("stored"); // what the file holds; "ABS" for the absolute path
        const char* rows[][3] = {
            {"next to the album", "album/a.jpg", "a.jpg"},
            {"below the album", "album/photos/2024/a.jpg", "photos/2024/a.jpg"},
            {"beside the album's folder", "other/a.jpg", "ABS"},
            {"folder with the album's name as prefix", "albumx/a.jpg", "ABS"},
            {"reached through ..", "album/../other/b.jpg", "ABS"},
        };
        for (const auto& [tag, photo, stored] : rows)
            QTest::newRow(tag) << QString(photo) << QString(stored);
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
        const QJsonObject root = jsonOf(file);
        QCOMPARE(root.value("photos").toArray().at(0).toObject().value("path").toString(),
                 stored == "ABS" ? clean : stored);
        QCOMPARE(root.value("output").toObject().value("folder").toString(),
                 QFileInfo(stored == "ABS" ? clean : stored).path());

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
        // The copies have new times, so the clip was probed again; the trim stays.
        QCOMPARE(read.album.clips.at(0).startTime, album.clips.at(0).startTime);
        QCOMPARE(read.album.clips.at(0).endTime, album.clips.at(0).endTime);
    }

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "<none>": no file; "<folder>": a folder of that name
        QTest::addColumn<QString>("message");
        const QByteArray valid = spoilt({});
        QVERIFY(!valid.isEmpty());
        const auto row = [](const char* tag, const QByteArray& bytes, const char* message) {
            QTest::newRow(tag) << bytes << QString(message);
        };
        row("no such file", "<none>", "does not exist");
        row("a folder", "<folder>", "not a file");
        row("empty", "", "is empty");
        row("not JSON", "PK\x03\x04 a zip archive, say", "is not JSON");
        row("cut short after the last brace but one", valid.left(valid.lastIndexOf('}')), "cut short");
        row("a list, not an album", "[1, 2, 3]", "has no \"format\"");
        row("some other JSON", "{\"name\": \"profile\"}", "has no \"format\"");
        row("newer format", spoilt({{"format", AlbumFile::Format + 1}}), "newer version");
        row("caption place unknown", spoilt({{"photos.1.caption", QJsonObject{{"place", "left"}}}}),
            "photo 2, caption: \"place\" holds the unknown value \"left\"");
        row("caption colour by name", spoilt({{"photos.0.caption", QJsonObject{{"colour", "red"}}}}), "not a colour");
        row("caption colour damaged", spoilt({{"photos.0.caption", QJsonObject{{"colour", "#12345g"}}}}),
            "not a colour");
        row("caption too large", spoilt({{"photos.0.caption", QJsonObject{{"size", 0.5}}}}), "outside");
        row("caption off the frame", spoilt({{"photos.0.caption", QJsonObject{{"x", 1.5}}}}), "outside");
        row("caption text a number", spoilt({{"photos.0.caption", QJsonObject{{"text", 5}}}}), "\"text\" should be");
        row("card colour damaged", spoilt({{"photos.0.card", QJsonObject{{"top", "#1234"}}}}), "photo 1, card");
        row("format as text", spoilt({{"format", "1"}}), "not a version number");
        row("format with a fraction", spoilt({{"format", 1.5}}), "not a version number");
        row("no settings", spoilt({{"settings", QJsonValue::Undefined}}), "\"settings\" is missing");
        row("photos not a list", spoilt({{"photos", QJsonObject{}}}), "\"photos\" should be");
        row("photo not an object", spoilt({{"photos", QJsonArray{"a.jpg"}}}), "not a group of fields");
        row("photo without path", spoilt({{"photos.1.path", QJsonValue::Undefined}}), "photo 2: \"path\" is missing");
        row("photo path a number", spoilt({{"photos.0.path", 7}}), "\"path\" should be");
        row("photo path empty", spoilt({{"photos.0.path", ""}}), "\"path\" is empty");
        row("width as text", spoilt({{"photos.0.width", "640"}}), "\"width\" should be");
        row("fractional size", spoilt({{"photos.0.size", 10.5}}), "\"size\" should be");
        row("unknown step", spoilt({{"photos.2.steps", QJsonArray{"mirror", "spin"}}}), "unknown step \"spin\"");
        row("step as a number", spoilt({{"photos.0.steps", QJsonArray{2}}}), "unknown step \"2\"");
        row("odd turn", spoilt({{"photos.0.exifRotation", 45}}), "none of 0, 90 and -90");
        row("bad date", spoilt({{"photos.0.modified", "yesterday"}}), "no date and time");
        row("unknown zoom kind",
            spoilt({{"photos.0.zoomStart", QJsonObject{{"kind", "spiral"}, {"values", QJsonArray{}}}}}),
            "zoom kind \"spiral\"");
        row("three zoom values",
            spoilt({{"photos.0.zoomEnd", QJsonObject{{"kind", "translate"}, {"values", QJsonArray{1, 2, 3}}}}}),
            "4 numbers");
        row("zero photo time", spoilt({{"settings.photoMs", 0}}), "outside");
        row("loop as text", spoilt({{"settings.loopAudio", "yes"}}), "\"loopAudio\" should be");
        row("loudness as a number", spoilt({{"settings.evenLoudness", 1}}), "\"evenLoudness\" should be");
        row("fade as text", spoilt({{"settings.fadeMs", "2000"}}), "\"fadeMs\" should be");
        row("negative fade", spoilt({{"settings.fadeMs", -1}}), "outside");
        row("fade longer than a minute", spoilt({{"settings.fadeMs", 60001}}), "outside");
        row("negative clip length", spoilt({{"clips.0.duration", -3.0}}), "outside");
        row("clip without length", spoilt({{"clips.0.duration", QJsonValue::Undefined}}),
            "sound clip 1: \"duration\" is missing");
        row("trim past the end", spoilt({{"clips.0.endTime", 1000.0}}), "trim");
        row("trim ends before it starts", spoilt({{"clips.0.startTime", 1.0}, {"clips.0.endTime", 0.5}}),
            "ends before it starts");
    }

    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Broken Album.reelwright"));
        if (bytes == "<folder>")
            QVERIFY(QDir().mkpath(file));
        else if (bytes != "<none>")
            QVERIFY(writeBytes(file, bytes));
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY(!read.ok);
        QVERIFY2(read.error.contains(file) && read.error.contains(message), qPrintable(read.error));
        // Nothing partial comes back.
        QVERIFY(read.album.photos.isEmpty() && read.album.clips.isEmpty() && read.missingFiles.isEmpty());
    }

    // Missing files are listed once each, in album order; relinking finds
    // them by name below a folder (the exact name before one differing only
    // in case, whatever the walk's order), and what stays missing can be
    // left out.
    void missingFiles_data()
    {
        QTest::addColumn<QStringList>("present"); // put below found/
        QTest::addColumn<int>("found");
        QTest::addColumn<QString>("after"); // the album's paths after relinking: photos a b c b, the song
        QTest::addColumn<QString>("stillMissing");

        const auto row = [](const char* tag, const QStringList& present, int found, const char* after,
                            const char* stillMissing) {
            QTest::newRow(tag) << present << found << QString(after) << QString(stillMissing);
        };
        row("without relinking", {}, 0, "album/a.jpg album/b.jpg album/c.jpg album/b.jpg album/song.wav",
            "album/b.jpg album/c.jpg album/song.wav");
        row("all found, in sub-folders", {"x/b.jpg", "x/y/c.jpg", "music/song.wav"}, 3,
            "album/a.jpg found/x/b.jpg found/x/y/c.jpg found/x/b.jpg found/music/song.wav", "");
        row("some found", {"b.jpg"}, 1, "album/a.jpg found/b.jpg album/c.jpg found/b.jpg album/song.wav",
            "album/c.jpg album/song.wav");
        row("found by name in another case", {"deep/C.JPG"}, 1,
            "album/a.jpg album/b.jpg found/deep/C.JPG album/b.jpg album/song.wav", "album/b.jpg album/song.wav");
        row("exact case wins", {"1/B.jpg", "2/b.jpg"}, 1,
            "album/a.jpg found/2/b.jpg album/c.jpg found/2/b.jpg album/song.wav", "album/c.jpg album/song.wav");
        row("exact case wins, other order", {"1/b.jpg", "2/B.jpg"}, 1,
            "album/a.jpg found/1/b.jpg album/c.jpg found/1/b.jpg album/song.wav", "album/c.jpg album/song.wav");
    }

    void missingFiles()
    {
        QFETCH(QStringList, present);
        QFETCH(int, found);
        QFETCH(QString, after);
        QFETCH(QString, stillMissing);

        QTemporaryDir dir;
        const auto relative = [&dir](const QStringList& paths) {
            QStringList list;
            for (const QString& path : paths)
                list << QDir(dir.path()).relativeFilePath(path);
            return list.join(QLatin1Char(' '));
        };
        AlbumContents album;
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "b.jpg"}) {
            const QString photo = dir.filePath(QStringLiteral("album/") + QLatin1String(name));
            QVERIFY(QFileInfo::exists(photo) || copyFile(mediaFile(QStringLiteral("flower.jpg")), photo));
            album.photos << parsedPhoto(photo);
        }
        const QString song = dir.filePath(QStringLiteral("album/song.wav"));
        QVERIFY(copyFile(mediaFile(QStringLiteral("sad-mono-22k.wav")), song));
        album.clips << parsedClip(song);
        const QString file = dir.filePath(QStringLiteral("album/album.reelwright"));
        QVERIFY(AlbumFile::write(file, album, nullptr));
        for (const QString& gone : {album.photos.at(1).filePath, album.photos.at(2).filePath, song})
            QVERIFY(QFile::remove(gone));

        AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(relative(read.missingFiles), QStringLiteral("album/b.jpg album/c.jpg album/song.wav"));

        for (const QString& name : present) {
            const char* source = name.endsWith(".wav") ? "sad-mono-22k.wav" : "raindrops.jpg";
            QVERIFY(copyFile(mediaFile(QLatin1String(source)), dir.filePath("found/" + name)));
        }
        QCOMPARE(AlbumFile::relink(read.album, read.missingFiles, dir.filePath(QStringLiteral("found"))), found);
        const auto paths = [&read] {
            QStringList list;
            for (const ImageInfo& photo : read.album.photos)
                list << photo.filePath;
            for (const AudioInfo& clip : read.album.clips)
                list << clip.filePath;
            return list;
        };
        QCOMPARE(relative(paths()), after);
        QCOMPARE(relative(read.missingFiles), stillMissing);

        AlbumFile::dropMissing(read.album, read.missingFiles);
        QStringList left = after.split(QLatin1Char(' '));
        left.removeIf([&](const QString& path) { return stillMissing.split(QLatin1Char(' ')).contains(path); });
        QCOMPARE(relative(paths()), left.join(QLatin1Char(' ')));
    }

    // Files of one name from different folders each find the one in the
    // matching folder, not all the same file.
    void relinkKeepsNamesakesApart()
    {
        QTemporaryDir dir;
        AlbumContents album;
        QStringList missing;
        for (const char* year : {"2023", "2024", "2025"}) {
            missing << dir.filePath(QStringLiteral("old/%1/IMG_0001.jpg").arg(QLatin1String(year)));
            album.photos << ImageInfo();
            album.photos.last().filePath = missing.last();
        }
        for (const char* moved : {"new/2024/IMG_0001.jpg", "new/2023/IMG_0001.jpg", "new/other/IMG_0001.jpg"})
            QVERIFY(copyFile(mediaFile(QStringLiteral("flower.jpg")), dir.filePath(QLatin1String(moved))));
        QCOMPARE(AlbumFile::relink(album, missing, dir.filePath(QStringLiteral("new"))), 3);
        QVERIFY(missing.isEmpty());
        QCOMPARE(album.photos.at(0).filePath, dir.filePath(QStringLiteral("new/2023/IMG_0001.jpg")));
        QCOMPARE(album.photos.at(1).filePath, dir.filePath(QStringLiteral("new/2024/IMG_0001.jpg")));
        QVERIFY(QFileInfo::exists(album.photos.at(2).filePath)); // no folder agrees: any of that name
    }

    // The stored length is trusted while the file is the one saved; a file
    // replaced, or found elsewhere by relinking, is read again and the trim
    // kept within it.
    void clipLength_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("file as saved") << QString();
        QTest::newRow("file replaced by a shorter one") << QStringLiteral("replaced");
        QTest::newRow("shorter file found by relinking") << QStringLiteral("relinked");
    }

    void clipLength()
    {
        QFETCH(QString, change);
        QTemporaryDir dir;
        const QString song = dir.filePath(QStringLiteral("song.ogg"));
        QVERIFY(copyFile(mediaFile(QStringLiteral("knolls-20s.ogg")), song));
        AudioInfo saved = parsedClip(song);
        QVERIFY(saved.duration > 19.0);
        // A length no probe gives: seen back only when the stored one is used.
        saved.duration = saved.endTime = 20.5;
        saved.startTime = 2.0;
        const QString file = dir.filePath(QStringLiteral("a.reelwright"));
        AlbumContents album;
        album.clips = {saved};
        QVERIFY(AlbumFile::write(file, album, nullptr));

        const QString shorter = mediaFile(QStringLiteral("journeys-8s.m4a"));
        const QString now = change == "relinked" ? dir.filePath(QStringLiteral("new/song.ogg")) : song;
        if (!change.isEmpty())
            QVERIFY(copyFile(shorter, now));
        if (change == "relinked")
            QVERIFY(QFile::remove(song));
        AlbumFile::ReadResult read = AlbumFile::read(file);
        QVERIFY2(read.ok, qPrintable(read.error));
        if (change == "relinked")
            QCOMPARE(AlbumFile::relink(read.album, read.missingFiles, dir.filePath(QStringLiteral("new"))), 1);

        const AudioInfo& back = read.album.clips.at(0);
        const AudioInfo expected = change.isEmpty() ? saved : parsedClip(shorter);
        QCOMPARE(back.filePath, now);
        QCOMPARE(back.duration, expected.duration);
        QCOMPARE(back.sampleRate, expected.sampleRate);
        QCOMPARE(back.fileSize, QFileInfo(now).size());
        QCOMPARE(back.startTime, 2.0);
        QCOMPARE(back.endTime, expected.duration);
    }

    // A write that fails leaves the old album as it was, reports the file,
    // and leaves no stray file behind.
    void failedWriteKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("disk refuses the bytes") << QStringLiteral("limit");
        QTest::newRow("folder missing") << QStringLiteral("folder");
        QTest::newRow("a folder has the name") << QStringLiteral("directory");
    }

    void failedWriteKeepsOldFile()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        const QString kept = dir.filePath(QStringLiteral("keep.reelwright"));
        AlbumContents small = sampleAlbum(dir.filePath(QStringLiteral("media")));
        small.photos.resize(1);
        QVERIFY(AlbumFile::write(kept, small, nullptr));
        const QByteArray old = fileBytes(kept);
        AlbumContents large = small;
        large.photos.fill(small.photos.at(0), 201);

        QString file = kept, error;
        bool written = true;
        if (how == "limit") {
            // Writing past this size fails for the whole process.
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            rlimit previous{};
            getrlimit(RLIMIT_FSIZE, &previous);
            const rlimit limited{rlim_t(old.size() + 100), previous.rlim_max};
            QVERIFY(setrlimit(RLIMIT_FSIZE, &limited) == 0);
            written = AlbumFile::write(file, large, &error);
            setrlimit(RLIMIT_FSIZE, &previous);
            std::signal(SIGXFSZ, oldHandler);
        } else {
            file = dir.filePath(how == "folder" ? "no/such/folder/keep.reelwright" : "taken.reelwright");
            QVERIFY(how == "folder" || QDir().mkpath(file));
            written = AlbumFile::write(file, large, &error);
        }
        QVERIFY(!written);
        QVERIFY2(error.contains(file), qPrintable(error));
        QCOMPARE(fileBytes(kept), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.reelwright")});
    }

    // The probe gives each photo the thumbnails an import makes, the
    // document puts them on every row of that file without it being an
    // edit, and a photo changed since saving gets its new size. A run
    // cancelled before reports nothing more.
    void probeFillsDetails()
    {
        const QString folder = path(QStringLiteral("probe"));
        AlbumContents album = sampleAlbum(folder);
        album.photos[1].width = album.photos[1].height = 1; // as if the file changed since saving
        for (ImageInfo& photo : album.photos)
            photo.thumbnail = photo.thumbnailTurned = QImage();
        AlbumDocument document;
        document.loadContents(album);
        AlbumProbe probe;
        connect(&probe, &AlbumProbe::photoProbed, &document, &AlbumDocument::fillPhotoDetails);
        QSignalSpy probed(&probe, &AlbumProbe::photoProbed);
        QSignalSpy finished(&probe, &AlbumProbe::finished);

        // A run cancelled half-way reports nothing more.
        QStringList others;
        for (int i = 0; i < 40; ++i) {
            others << folder + QStringLiteral("/others/p%1.jpg").arg(i);
            QVERIFY(copyFile(mediaFile(QStringLiteral("raindrops.jpg")), others.last()));
        }
        // Each file ten times over: small photos read fast enough that forty
        // could all be done before the cancel.
        QStringList many;
        for (int round = 0; round < 10; ++round)
            many += others;
        probe.start(many);
        QTest::qWait(20);
        probe.cancel();
        const int cancelled = int(probed.count());
        QTest::qWait(200);
        QCOMPARE(probed.count(), cancelled);
        QCOMPARE(finished.count(), 0);
        QVERIFY(!probe.isRunning());

        QSignalSpy rows(&document, &AlbumDocument::photosChanged);
        QSignalSpy edits(&document, &AlbumDocument::changed);
        QSignalSpy progress(&probe, &AlbumProbe::progress);
        probe.start({album.photos.at(0).filePath, album.photos.at(1).filePath, folder + QStringLiteral("/gone.jpg")});
        QVERIFY(finished.wait(20000));
        QCOMPARE(finished.count(), 1);
        QCOMPARE(progress.count(), 3);
        QCOMPARE(progress.last(), (QVariantList{3, 3}));
        QCOMPARE(probed.count(), cancelled + 2);
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
            QCOMPARE(photoDifferences(shown, album.photos.at(i)), QString(i == 1 ? "width,height" : ""));
        }
    }
};

} // namespace

std::unique_ptr<QObject> makeAlbumFileTests() { return std::make_unique<AlbumFileTest>(); }

#include "tst_albumfile.moc"
