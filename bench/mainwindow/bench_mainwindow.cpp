// Measures the main window's album change on a 500-photo album: one
// photoListChanged round (album replaced, renderer told, controls, time
// displays and scroll range refreshed, preview re-sought) including the
// repaint of both strips. Also prints the window's construction time.
// Run under a display (xvfb-run -a). Usage: bench_mainwindow [photos] [rounds]
// With --show photo|sound… it instead shows the window with that album and
// runs until closed (for looking at it); REELWRIGHT_SHOW_MENU=menuEdit also
// opens that menu.

#include "audiolistwidget.h"
#include "audioreader.h"
#include "benchphotos.h"
#include "imagereader.h"
#include "photolistwidget.h"
#include "reelwright.h"
#include "zupref.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr double AlbumChangeGoalMs = 100.0;
constexpr int DistinctPhotos = 10;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

// The window with the given files imported as an album, as a person sees it.
int show(const QStringList& files)
{
    Reelwright window;
    auto* strip = window.findChild<PhotoListWidget*>(QStringLiteral("photoListWidget"));
    auto* audioStrip = window.findChild<AudioListWidget*>(QStringLiteral("audioListWidget"));
    window.resize(1180, 800);
    window.show();
    for (const QString& file : files) {
        if (AudioListWidget::m_nameFilters.contains(QStringLiteral("*.") + QFileInfo(file).suffix().toLower())) {
            AudioInfo clip;
            clip.filePath = file;
            if (AudioReader::parse(clip)) {
                clip.endTime = clip.duration;
                audioStrip->addFile(clip);
            }
        } else {
            ImageInfo info;
            info.filePath = file;
            if (ImageReader::parse(info))
                strip->addFile(info, true);
        }
    }
    strip->finishItemsAdding();
    audioStrip->finishItemsAdding();
    window.seek(30);
    if (const QString name = qEnvironmentVariable("REELWRIGHT_SHOW_MENU"); !name.isEmpty())
        if (auto* menu = window.findChild<QMenu*>(name))
            QTimer::singleShot(500, menu, [menu, &window] { menu->popup(window.mapToGlobal(QPoint(40, 30))); });
    return QApplication::exec();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc > 1 && QByteArray(argv[1]) == "--show") {
        ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
        return show(QApplication::arguments().mid(2));
    }
    const int photos = argc > 1 ? std::max(1, atoi(argv[1])) : 500;
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 20;
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QTemporaryDir dir;
    ZuPref pref(dir.filePath(QStringLiteral("settings.ini")));
    ZuPref::setInstance(&pref);

    QElapsedTimer clock;
    clock.start();
    Reelwright window;
    window.resize(1200, 800);
    window.show();
    const double constructMs = clock.nsecsElapsed() / 1e6;
    QApplication::processEvents();

    std::vector<ImageInfo> distinct;
    for (int i = 0; i < DistinctPhotos; ++i) {
        ImageInfo info;
        info.filePath = makeBenchPhoto(dir.path(), i, QSize(1600, 1200));
        if (info.filePath.isEmpty() || !ImageReader::parse(info)) {
            std::fprintf(stderr, "bench_mainwindow: cannot write a test photo\n");
            return 1;
        }
        distinct.push_back(info);
    }
    auto* strip = window.findChild<PhotoListWidget*>(QStringLiteral("photoListWidget"));
    auto* audioStrip = window.findChild<AudioListWidget*>(QStringLiteral("audioListWidget"));
    for (int i = 0; i < photos; ++i) {
        ImageInfo info = distinct[i % DistinctPhotos];
        strip->addFile(info, true);
    }
    clock.restart();
    strip->finishItemsAdding();
    QApplication::processEvents();
    const double firstMs = clock.nsecsElapsed() / 1e6;

    std::vector<double> times, refreshes, repaints;
    for (int round = 0; round < rounds; ++round) {
        clock.restart();
        emit strip->photoListChanged(strip->photoList());
        const double refreshed = clock.nsecsElapsed() / 1e6;
        strip->viewport()->repaint();
        audioStrip->viewport()->repaint();
        QApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e6);
        refreshes.push_back(refreshed);
        repaints.push_back(times.back() - refreshed);
    }
    const double med = median(times);
    const double worst = *std::max_element(times.begin(), times.end());
    std::printf("main window construction and show: %.1f ms\n", constructMs);
    std::printf("adding %d photos (first album change with strip layout): %.1f ms\n", photos, firstMs);
    std::printf("album change of %d photos, %d rounds: median %.1f ms, worst %.1f ms (goal under %.0f ms): %s\n",
                int(window.storyBoardData().photos.size()), rounds, med, worst, AlbumChangeGoalMs,
                med < AlbumChangeGoalMs ? "met" : "missed");
    std::printf("  of which the window's refresh (album, renderer, controls, preview seek): median %.1f ms, "
                "the strips' repaint and pending events: median %.1f ms\n",
                median(refreshes), median(repaints));
    return 0;
}
