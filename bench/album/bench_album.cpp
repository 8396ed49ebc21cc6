// Measures album files of 1000 photos (the sample photos, linked under 1000
// names in a temporary folder, and two songs):
//  1. save: AlbumFile::write of the whole album, in ms (goal 100 ms);
//  2. open: AlbumFile::read (with its check that every file is there), the
//     document taking the album and both strips showing it, painted, in s
//     (goal 2 s); the photos show plain frames until the probe is done;
//  3. the background probe making every thumbnail, until its last result is
//     in the strip, in s.
// Run under a display (xvfb-run -a). Usage: bench_album [photos]

#include "albumdocument.h"
#include "albumfile.h"
#include "albumprobe.h"
#include "audiolistwidget.h"
#include "imagereader.h"
#include "infoparser.h"
#include "photoimport.h"
#include "photolistwidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double OpenGoalSeconds = 2.0;
constexpr double SaveGoalMs = 100.0;
constexpr int Rounds = 5;

QString sample(const char* name) { return QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(QLatin1String(name)); }

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// `count` photos under distinct names, each a link to one of the samples,
// with the steps and zoom paths an import gives them.
bool makeAlbum(const QString& folder, int count, AlbumContents& album)
{
    const char* const photos[] = {"flower.jpg", "raindrops.jpg", "bird-exif6.jpg", "clock-portrait-exif3.jpg"};
    std::vector<ImageInfo> parsed;
    for (const char* name : photos) {
        ImageInfo photo;
        photo.filePath = sample(name);
        if (!ImageReader::parse(photo))
            return false;
        parsed.push_back(photo);
    }
    QDir().mkpath(folder + QStringLiteral("/photos"));
    for (int i = 0; i < count; ++i) {
        const QString path = folder + QStringLiteral("/photos/holiday-%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!QFile::link(sample(photos[i % 4]), path))
            return false;
        ImageInfo photo = parsed[std::size_t(i % 4)];
        photo.filePath = path;
        photo.thumbnail = QImage();
        photo.thumbnailTurned = QImage();
        prepareImportedPhoto(photo, i);
        album.photos << photo;
    }
    for (const char* name : {"knolls-20s.ogg", "elvish-15s.mp3"}) {
        AudioInfo clip;
        clip.filePath = folder + QLatin1Char('/') + QLatin1String(name);
        if (!QFile::copy(sample(name), clip.filePath) || !InfoParser::probeSound(clip).isEmpty())
            return false;
        clip.startTime = 1.0;
        album.clips << clip;
    }
    album.output = {QStringLiteral("mpeg4h264"), QStringLiteral("general"), folder + QStringLiteral("/videos"),
                    QStringLiteral("Holiday")};
    return true;
}

void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 1000;
    QTemporaryDir dir;
    AlbumContents album;
    if (!dir.isValid() || !makeAlbum(dir.path(), count, album)) {
        std::fprintf(stderr, "bench_album: cannot build the album in %s\n", qPrintable(dir.path()));
        return 1;
    }
    const QString file = dir.filePath(QStringLiteral("Holiday.reelwright"));

    std::vector<double> saves;
    for (int round = 0; round < Rounds; ++round) {
        QElapsedTimer clock;
        clock.start();
        QString error;
        if (!AlbumFile::write(file, album, &error)) {
            std::fprintf(stderr, "bench_album: %s\n", qPrintable(error));
            return 1;
        }
        saves.push_back(clock.nsecsElapsed() / 1e6);
    }
    const qint64 bytes = QFileInfo(file).size();

    std::vector<double> opens;
    double probeSeconds = 0.0;
    for (int round = 0; round < Rounds; ++round) {
        // A window of the two strips, as the program shows them.
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* photos = new PhotoListWidget;
        auto* sounds = new AudioListWidget;
        layout->addWidget(photos);
        layout->addWidget(sounds);
        AlbumDocument document;
        photos->setDocument(&document);
        sounds->setDocument(&document);
        window.resize(1280, 400);
        window.show();
        settle();

        QElapsedTimer clock;
        clock.start();
        const AlbumFile::ReadResult read = AlbumFile::read(file);
        if (!read.ok || !read.missingFiles.isEmpty()) {
            std::fprintf(stderr, "bench_album: %s\n", qPrintable(read.ok ? read.missingFiles.first() : read.error));
            return 1;
        }
        document.loadContents(read.album);
        settle();
        window.repaint();
        opens.push_back(clock.nsecsElapsed() / 1e6 / 1000.0);
        if (photos->count() != 2 * count - 1 || sounds->count() != int(read.album.clips.size())) {
            std::fprintf(stderr, "bench_album: the strips show %d and %d rows\n", photos->count(), sounds->count());
            return 1;
        }

        if (round == 0) {
            QSet<QString> seen;
            QStringList unique;
            for (const ImageInfo& photo : read.album.photos)
                if (!seen.contains(photo.filePath)) {
                    seen.insert(photo.filePath);
                    unique << photo.filePath;
                }
            AlbumProbe probe;
            QObject::connect(&probe, &AlbumProbe::photoProbed, &document, &AlbumDocument::fillPhotoDetails);
            QEventLoop wait;
            QObject::connect(&probe, &AlbumProbe::finished, &wait, &QEventLoop::quit);
            clock.restart();
            probe.start(unique);
            wait.exec();
            settle();
            window.repaint();
            probeSeconds = clock.nsecsElapsed() / 1e9;
            if (document.photos().first().thumbnail.isNull() || document.photos().last().thumbnail.isNull()) {
                std::fprintf(stderr, "bench_album: the probe left photos without thumbnails\n");
                return 1;
            }
        }
    }

    const double save = median(saves);
    const double open = median(opens);
    std::printf("album of %d photos and %zu clips, %lld bytes\n", count, std::size_t(album.clips.size()), bytes);
    std::printf("save: %.1f ms (median of %d; goal %.0f ms) %s\n", save, Rounds, SaveGoalMs,
                save <= SaveGoalMs ? "ok" : "SLOW");
    std::printf("open: %.3f s (read, document, both strips painted; median of %d; goal %.0f s) %s\n", open, Rounds,
                OpenGoalSeconds, open <= OpenGoalSeconds ? "ok" : "SLOW");
    std::printf("background probe: %.2f s for %d thumbnails (%.1f photos/s)\n", probeSeconds, count,
                count / std::max(probeSeconds, 1e-9));
    return 0;
}
