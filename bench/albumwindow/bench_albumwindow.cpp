// Measures album files through the main window: File > Open of a large album
// until the window shows it (strips laid out and painted, preview sought),
// until the background reading of its photos is through, and File > Save.
// Run under a display (xvfb-run -a). Usage: bench_albumwindow [photos] [distinct]
// (default 1000 photos, all of them distinct files of 800 x 600).

#include "albumdocument.h"
#include "albumfile.h"
#include "benchphotos.h"
#include "imagereader.h"
#include "reelwright.h"
#include "zupref.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QStatusBar>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double OpenGoalSeconds = 2.0;
constexpr double SaveGoalMs = 100.0;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int photos = argc > 1 ? std::max(1, atoi(argv[1])) : 1000;
    const int distinct = std::clamp(argc > 2 ? atoi(argv[2]) : photos, 1, photos);
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QTemporaryDir dir;
    ZuPref pref(dir.filePath(QStringLiteral("settings.ini")));
    ZuPref::setInstance(&pref);

    // The album as an import would have made it, written as a file.
    std::vector<ImageInfo> files;
    for (int i = 0; i < distinct; ++i) {
        ImageInfo info;
        info.filePath = makeBenchPhoto(dir.path(), i, QSize(800, 600));
        if (info.filePath.isEmpty() || !ImageReader::parse(info)) {
            std::fprintf(stderr, "bench_albumwindow: cannot write a test photo\n");
            return 1;
        }
        files.push_back(info);
    }
    QList<ImageInfo> records;
    for (int i = 0; i < photos; ++i)
        records << files[size_t(i % distinct)];
    const QString album = dir.filePath(QStringLiteral("Large.reelwright"));
    {
        AlbumDocument document(ZuPref::appDir() + QStringLiteral("/pattern"));
        document.importPhotos(0, records);
        QString error;
        if (!AlbumFile::write(album, document.contents(), &error)) {
            std::fprintf(stderr, "bench_albumwindow: %s\n", qPrintable(error));
            return 1;
        }
    }

    Reelwright window;
    window.resize(1200, 800);
    window.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    if (!window.openAlbum(album)) {
        std::fprintf(stderr, "bench_albumwindow: the album did not open\n");
        return 1;
    }
    const double opened = clock.nsecsElapsed() / 1e9;
    window.repaint();
    QApplication::processEvents();
    const double shown = clock.nsecsElapsed() / 1e9;
    while (window.statusBar()->isVisible())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    const double probed = clock.nsecsElapsed() / 1e9;

    std::vector<double> saves;
    for (int round = 0; round < 7; ++round) {
        clock.restart();
        if (!window.saveAlbum(dir.filePath(QStringLiteral("Saved.reelwright")))) {
            std::fprintf(stderr, "bench_albumwindow: the album was not saved\n");
            return 1;
        }
        saves.push_back(clock.nsecsElapsed() / 1e6);
    }

    std::printf("open of a %d-photo album (%d distinct files) through the window: %.2f s until shown "
                "(goal under %.0f s): %s\n",
                int(window.storyBoardData().photos.size()), distinct, shown, OpenGoalSeconds,
                shown < OpenGoalSeconds ? "met" : "missed");
    std::printf("  of which openAlbum() itself: %.2f s; photos read in the background after %.2f s\n", opened, probed);
    std::printf("save of it through the window: median %.1f ms (goal under %.0f ms): %s\n", median(saves), SaveGoalMs,
                median(saves) < SaveGoalMs ? "met" : "missed");
    return 0;
}
