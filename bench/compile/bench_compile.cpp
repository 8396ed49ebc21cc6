// Compiles a standard album (20 large photos, 5 s each, 1.5 s transitions,
// zoom on, two music files, the default profile at 1280 x 720, 25 fps) and,
// in the same run, feeds the same number of already rendered frames and the
// same sound through the same writer and argument list: the encoder-only
// floor. Prints frames per second of both, their ratio, how busy the
// processors were, and where the compile's time went.
//
//   bench_compile [--photos N] [--keep FOLDER] [--compile-only]
//
// --photos shortens the album for a quick look; --keep leaves the two videos
// in FOLDER; --compile-only skips the floor (for profiling the compile).

#include "avwriter.h"
#include "avwritermanager.h"
#include "audioreader.h"
#include "compilearguments.h"
#include "gldrawer.h"
#include "photoimport.h"
#include "storyboardrender.h"
#include "benchphotos.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Run {
    double seconds = 0;
    double cpu = 0;
    int frames = 0;
    double fps() const { return frames / seconds; }
    void print(const char* title) const
    {
        std::printf("%-22s %6d frames in %7.2f s = %6.2f frames/s, processors %3.0f%% busy (of 2 cores: %.2f)\n", title,
                    frames, seconds, fps(), 100.0 * cpu / seconds / 2.0, cpu / seconds);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    // As the programs that compile do.
    GLDrawer::preferSingleRasterThread();
    QApplication app(argc, argv);
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    int photoCount = 20;
    QString keep;
    bool compileOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--compile-only") == 0)
            compileOnly = true;
        else if (i + 1 == argc)
            break;
        else if (std::strcmp(argv[i], "--photos") == 0)
            photoCount = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = QString::fromLocal8Bit(argv[++i]);
    }

    ZuProfileManager* manager = ZuProfileManager::instance();
    if (!manager->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles"))) {
        std::fprintf(stderr, "no profiles in %s\n", qPrintable(ZuPref::appDir()));
        return 1;
    }
    ZumProfileData profile;
    profile.url = QStringLiteral("mpeg4h264");
    manager->getPresetData(profile);
    RenderParam param;
    renderParamsFromProfile(param, profile);

    QTemporaryDir work;
    const QString folder = keep.isEmpty() ? work.path() : keep;
    QDir().mkpath(folder);
    std::printf("making %d photos of 4000 x 3000...\n", photoCount);
    std::fflush(stdout);
    StoryBoardData album;
    for (int i = 0; i < photoCount; ++i) {
        ImageInfo photo;
        const QString path = makeBenchPhoto(work.path(), i);
        if (path.isEmpty() || !readImportedPhoto(path, photo, i))
            return 1;
        album.photos << photo;
    }
    for (const char* name : {"elvish-15s.mp3", "knolls-20s.ogg"}) {
        AudioInfo audio;
        audio.filePath = QStringLiteral(REELWRIGHT_MEDIA_DIR "/") + QLatin1String(name);
        if (!AudioReader::parse(audio))
            return 1;
        album.audios << audio;
    }
    album.loopAudio = true;

    StoryBoardRender render;
    render.init(param);
    render.setStoryBoard(&album);
    render.onStoryBoardDataChanged();
    const int total = int(render.totalFrames);
    std::printf("album: %d photos, %d frames at %dx%d, %.2f fps, profile %s\n", photoCount, total, param.width,
                param.height, param.frameRate, qPrintable(profile.url));
    std::fflush(stdout);

    // The compile, as the program runs it.
    const auto runCompile = [&](Run& run, AVWriterManager::Timings& timings) {
        const QString file = folder + QStringLiteral("/compile.mp4");
        AVWriterManager loop;
        if (!loop.begin(&render, file, compileArguments(profile, param, file))) {
            std::fprintf(stderr, "%s\n", qPrintable(loop.failureReason()));
            return false;
        }
        QEventLoop wait;
        QObject::connect(&loop, &AVWriterManager::compileEnd, &wait, &QEventLoop::quit);
        QElapsedTimer clock;
        const double cpu = cpuSeconds();
        clock.start();
        loop.start();
        wait.exec();
        if (!loop.finish()) {
            std::fprintf(stderr, "%s\n", qPrintable(loop.failureReason()));
            return false;
        }
        run.seconds = clock.nsecsElapsed() / 1e9;
        run.cpu = cpuSeconds() - cpu;
        run.frames = loop.videoCount();
        timings = loop.timings();
        return true;
    };

    Run compile;
    AVWriterManager::Timings timings;
    if (compileOnly) {
        if (!runCompile(compile, timings))
            return 1;
        compile.print("compile");
        return 0;
    }

    // Frames and sound made beforehand: a window of the album's frames,
    // photos and transitions with the zoom running, reused in turn, and the
    // whole sound track.
    const int window = std::min(total, 2 * int(render.slotFrames) + 1);
    std::vector<std::vector<uint8_t>> frames(static_cast<std::size_t>(window));
    std::vector<char> sound;
    {
        AVWriterManager drawer;
        drawer.init(param);
        drawer.setRenderer(&render);
        for (int i = 0; i < window; ++i) {
            render.seek(i, false, &drawer);
            frames[std::size_t(i)].resize(std::size_t(param.width) * param.height * 4);
            drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, frames[std::size_t(i)].data());
        }
        render.seek(0, true, &drawer);
        render.start();
        int carry = 0;
        for (int i = 0; i < total; ++i)
            render.takeSound(carry,
                             [&sound](const char* data, int bytes) { sound.insert(sound.end(), data, data + bytes); });
        render.stop();
        render.wait();
    }
    const auto runFloor = [&](Run& run) {
        const QString file = folder + QStringLiteral("/floor.mp4");
        AVWriter writer;
        if (!writer.open(file, param, compileArguments(profile, param, file))) {
            std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
            return false;
        }
        const int chunk = int(sound.size() / std::size_t(total)) & ~3;
        AVPicture picture{};
        picture.linesize[0] = param.width * 4;
        QElapsedTimer clock;
        const double cpu = cpuSeconds();
        clock.start();
        std::size_t soundAt = 0;
        for (int i = 0; i < total; ++i) {
            picture.data[0] = frames[std::size_t(i % window)].data();
            writer.writeVideoFrame(picture);
            const std::size_t bytes = i + 1 == total ? sound.size() - soundAt : std::size_t(chunk);
            writer.writeAudioBuffer(reinterpret_cast<const short*>(sound.data() + soundAt), int(bytes));
            soundAt += bytes;
        }
        writer.close();
        run.seconds = clock.nsecsElapsed() / 1e9;
        run.cpu = cpuSeconds() - cpu;
        run.frames = total;
        return true;
    };

    // Two rounds each, taking turns, so that a slow spell of a shared
    // machine does not fall on one side only; the faster run of each counts.
    Run floor;
    for (int round = 0; round < 2; ++round) {
        Run c, f;
        AVWriterManager::Timings t;
        if (!runCompile(c, t) || !runFloor(f))
            return 1;
        c.print("  compile");
        f.print("  encoder-only floor");
        std::fflush(stdout);
        if (round == 0 || c.seconds < compile.seconds) {
            compile = c;
            timings = t;
        }
        if (round == 0 || f.seconds < floor.seconds)
            floor = f;
    }

    compile.print("compile");
    floor.print("encoder-only floor");
    std::printf("ratio compile / floor: %.3f (goal <= 1.15)\n", floor.fps() / compile.fps());
    const double n = compile.frames * 1e6;
    std::printf(
        "compile loop per frame on the GUI thread: render %.2f ms, read-back %.2f ms, waiting for the encoder %.2f ms, "
        "sound %.2f ms, other %.2f ms\n",
        timings.renderNs / n, timings.readNs / n, timings.videoNs / n, timings.audioNs / n,
        compile.seconds * 1e3 / compile.frames -
            (timings.renderNs + timings.readNs + timings.videoNs + timings.audioNs) / n);
    return 0;
}
