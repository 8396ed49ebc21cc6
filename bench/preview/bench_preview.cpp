// Plays a 20-photo album of large photos in the preview player, on screen
// with its sound, for 40 seconds, and prints how smoothly the picture
// followed the sound: frames shown, frames the display skipped (more than
// one buffer played between two refills), the longest gap between two shown
// frames, the GUI thread's busy share, and where a shown frame's time went.
//
// Run it under a display with OpenAL on its null device, which plays in real
// time without a sound card:
//   xvfb-run -a -s "-screen 0 1920x1080x24" env ALSOFT_DRIVERS=null build/bench/bench_preview

#include "avplayer.h"
#include "benchphotos.h"
#include "photoimport.h"
#include "storyboardrender.h"
#include "zupref.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int PhotoCount = 20;
constexpr qint64 SettleNs = 1000000000; // steady state begins after the first second

// The player with a stopwatch on every frame it composes.
class MeasuredPlayer : public AVPlayer
{
public:
    struct Shown {
        qint64 atNs;
        quint32 frame;
        qint64 loadNs, uploadNs, composeNs;
    };

    QElapsedTimer clock;
    std::vector<Shown> shown;
    bool measuring = false;
    int repaints = 0;

    void endDraw() override
    {
        QElapsedTimer compose;
        compose.start();
        AVPlayer::endDraw();
        if (!measuring)
            return;
        // Loading and upload of this frame are done; its draw is this call.
        const StoryBoardRender::Timings& t = render->lastTimings();
        shown.push_back({clock.nsecsElapsed(), currentFrame, t.loadNs, t.uploadNs, compose.nsecsElapsed()});
    }

protected:
    void paintGL() override
    {
        QElapsedTimer paint;
        paint.start();
        AVPlayer::paintGL();
        if (measuring) {
            ++repaints;
            paintNs += paint.nsecsElapsed();
        }
    }

    // Every event of the player, the top-level window here: its repaints
    // with the window's composition and buffer swap.
    bool event(QEvent* e) override
    {
        QElapsedTimer handling;
        handling.start();
        const bool result = AVPlayer::event(e);
        if (measuring)
            eventNs += handling.nsecsElapsed();
        return result;
    }

public:
    qint64 paintNs = 0;
    qint64 eventNs = 0;
};

// Times the refill ticks of the player's timer: from the timer event to the
// end of the handlers of its timeout (the player's runs first).
class TickTimer : public QObject
{
public:
    explicit TickTimer(QTimer* timer)
    {
        timer->installEventFilter(this);
        connect(timer, &QTimer::timeout, this, [this] {
            if (started.isValid())
                busyNs += started.nsecsElapsed();
            started.invalidate();
        });
    }
    qint64 busyNs = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Timer)
            started.start();
        return false;
    }

private:
    QElapsedTimer started;
};

qint64 cpuNs(clockid_t clock)
{
    timespec time{};
    clock_gettime(clock, &time);
    return qint64(time.tv_sec) * 1000000000LL + time.tv_nsec;
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // --seconds N plays for N seconds instead of 40.
    qint64 playMs = 40000;
    const QStringList args = app.arguments();
    const qsizetype secondsAt = args.indexOf(QStringLiteral("--seconds"));
    if (secondsAt > 0 && secondsAt + 1 < args.size())
        playMs = std::max(1, args.at(secondsAt + 1).toInt()) * 1000LL;
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));

    QTemporaryDir dir;
    std::printf("making %d photos of 4000x3000 ...\n", PhotoCount);
    StoryBoardData album(ZuPref::appDir() + QStringLiteral("/pattern")); // the wipe patterns
    album.photoMs = 1500;
    album.photoSeconds = 1.5;
    album.transitionMs = 500;
    album.transitionSeconds = 0.5;
    album.useTransition = true;
    album.dissolveOnly = false;
    album.useZoom = true;
    album.loopAudio = true;
    for (int i = 0; i < PhotoCount; ++i) {
        ImageInfo photo;
        const QString path = makeBenchPhoto(dir.path(), i);
        if (path.isEmpty() || !readImportedPhoto(path, photo, i)) {
            std::fprintf(stderr, "bench_preview: could not make photo %d\n", i);
            return 1;
        }
        album.photos.append(photo);
    }
    AudioInfo clip;
    clip.filePath = QDir(QStringLiteral(REELWRIGHT_MEDIA_DIR)).filePath(QStringLiteral("knolls-20s.ogg"));
    if (!AudioReader::parse(clip)) {
        std::fprintf(stderr, "bench_preview: cannot read %s\n", qPrintable(clip.filePath));
        return 1;
    }
    album.audios.append(clip);
    if (album.patternFiles.isEmpty())
        std::fprintf(stderr, "bench_preview: no wipe patterns found, transitions dissolve\n");

    RenderParam param;
    param.width = 1280;
    param.height = 720;
    param.aspectRatio = 1280.0 / 720.0;
    param.frameRate = 25.0;
    StoryBoardRender render;
    render.init(param);
    render.setStoryBoard(&album);

    MeasuredPlayer player;
    if (!player.init(param)) {
        std::fprintf(stderr, "bench_preview: %s\n", qPrintable(player.errorString()));
        return 1;
    }
    player.render = &render;
    TickTimer ticks(player.findChild<QTimer*>());
    // --window WxH shows the player at that size instead of the frame's.
    const qsizetype windowAt = args.indexOf(QStringLiteral("--window"));
    if (windowAt > 0 && windowAt + 1 < args.size()) {
        const QStringList size = args.at(windowAt + 1).split(QLatin1Char('x'));
        if (size.size() == 2 && size[0].toInt() > 0 && size[1].toInt() > 0)
            player.resize(size[0].toInt(), size[1].toInt());
    }
    player.show();
    player.seek(0);

    // Busy: the GUI thread's processor time while playing (Mesa's own
    // rasteriser threads are not in it; the process's share is printed too).
    qint64 threadStart = 0, processStart = 0, threadNs = 0, processNs = 0;

    qint64 primeNs = 0, wallNs = 0;
    // From a frame composed to the window showing it (the blit, the
    // window's composition and the buffer swap, and any wait between).
    qint64 swapLatencyNs = 0;
    int swaps = 0;
    QObject::connect(&player, &QOpenGLWidget::frameSwapped, [&] {
        if (player.measuring && !player.shown.empty()) {
            swapLatencyNs += player.clock.nsecsElapsed() - player.shown.back().atNs;
            ++swaps;
        }
    });
    QTimer::singleShot(500, [&] {
        player.measuring = true;
        player.clock.start();
        threadStart = cpuNs(CLOCK_THREAD_CPUTIME_ID);
        processStart = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
        render.seek(player.currentFrame, true, &player);
        render.start();
        QElapsedTimer prime;
        prime.start();
        player.play();
        primeNs = prime.nsecsElapsed();
        QTimer::singleShot(playMs, [&] {
            threadNs = cpuNs(CLOCK_THREAD_CPUTIME_ID) - threadStart;
            processNs = cpuNs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
            player.measuring = false;
            wallNs = player.clock.nsecsElapsed();
            player.stop();
            render.stop();
            render.wait();
            app.quit();
        });
    });
    app.exec();

    // Frames, skips and gaps, overall and in the steady state.
    const auto& shown = player.shown;
    int skipped = 0, steadySkipped = 0, steadyShown = 0;
    qint64 longestGap = 0, steadyLongestGap = 0;
    qint64 load = 0, upload = 0, compose = 0;
    for (std::size_t i = 1; i < shown.size(); ++i) {
        const int skip = int(shown[i].frame - shown[i - 1].frame) - 1;
        const qint64 gap = shown[i].atNs - shown[i - 1].atNs;
        skipped += std::max(skip, 0);
        longestGap = std::max(longestGap, gap);
        if (shown[i - 1].atNs >= SettleNs) {
            ++steadyShown;
            steadySkipped += std::max(skip, 0);
            steadyLongestGap = std::max(steadyLongestGap, gap);
        }
        load += shown[i].loadNs;
        upload += shown[i].uploadNs;
        compose += shown[i].composeNs;
    }
    const double n = std::max<std::size_t>(shown.size(), 1) * 1e6;
    std::vector<qint64> gaps;
    for (std::size_t i = 1; i < shown.size(); ++i)
        gaps.push_back(shown[i].atNs - shown[i - 1].atNs);
    std::sort(gaps.begin(), gaps.end());
    const auto percentile = [&gaps](double p) {
        return gaps.empty() ? 0.0 : gaps[std::min(gaps.size() - 1, std::size_t(p * gaps.size()))] / 1e6;
    };

    std::printf("preview of %d photos 4000x3000 at %dx%d, %.0f fps, %.1f s photos, %.1f s wipes (%d patterns), zoom on,"
                " looping sound %s\n",
                PhotoCount, param.width, param.height, param.frameRate, album.photoSeconds, album.transitionSeconds,
                int(album.patternFiles.size()), qPrintable(QFileInfo(clip.filePath).fileName()));
    std::printf("sound output          %s\n", player.hasSoundDevice() ? "OpenAL device" : "none (wall clock)");
    std::printf("player window         %d x %d\n", player.width(), player.height());
    std::printf("played                %.1f s, queue primed in %.0f ms\n", wallNs / 1e9, primeNs / 1e6);
    std::printf("frames shown          %zu (album frames passed: %u)\n", shown.size(),
                shown.empty() ? 0u : shown.back().frame - shown.front().frame + 1);
    std::printf("frames skipped        %d in all, %d in the steady state (after the first second, %d frames)\n",
                skipped, steadySkipped, steadyShown);
    std::printf("steady-state skipped  %d (goal 0): %s\n", steadySkipped, steadySkipped == 0 ? "met" : "missed");
    std::printf("longest gap           %.1f ms in all, %.1f ms in the steady state\n", longestGap / 1e6,
                steadyLongestGap / 1e6);
    std::printf("gaps                  median %.1f ms, 90th percentile %.1f ms, 99th %.1f ms\n", percentile(0.5),
                percentile(0.9), percentile(0.99));
    const double wall = std::max<qint64>(wallNs, 1);
    std::printf("GUI thread busy       %.1f %% of the time (refill ticks %.1f %%, repaints and other events of the"
                " player %.1f %%)\n",
                100.0 * (ticks.busyNs + player.eventNs) / wall, 100.0 * ticks.busyNs / wall,
                100.0 * player.eventNs / wall);
    std::printf("processor time        GUI thread %.1f %%, whole process %.1f %% of one core\n",
                100.0 * threadNs / wall, 100.0 * processNs / wall);
    std::printf("per shown frame       load %.2f ms, upload %.2f ms, compose %.2f ms, blit %.2f ms (%d repaints),"
                " GUI thread processor %.2f ms\n",
                load / n, upload / n, compose / n, player.paintNs / std::max(player.repaints, 1) / 1e6, player.repaints,
                threadNs / n);
    std::printf("composed to on screen %.2f ms on average (%d window updates)\n",
                swapLatencyNs / std::max(swaps, 1) / 1e6, swaps);
    return 0;
}
