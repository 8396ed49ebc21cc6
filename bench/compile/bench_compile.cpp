// Compiles a standard album (20 large photos, 5 s each, 1.5 s transitions,
// zoom on, two music files, the default profile at 1280 x 720, 25 fps) and,
// in the same run, feeds the same number of already rendered frames and the
// same sound through the same writer and argument list: the encoder-only
// floor. The floor's frames are handed over in the form the compile hands
// them over (YUV planes made on the graphics side, or RGBA the writer
// converts), so it measures the encoder alone. Compile and floor take turns
// for a number of rounds; each round is printed, then the median and the
// best of the time ratio and the processor-time ratio, how busy the
// processors were, and where the compile's time went on the GUI thread.
//
//   bench_compile [--photos N] [--rounds N] [--planar | --rgba] [--keep FOLDER] [--compile-only]
//
// --photos shortens the album for a quick look; --rounds sets the rounds
// (3 unless given, at least 1); the frames come back as the program chooses
// (YUV planes converted by OpenGL on graphics hardware, RGBA the writer
// converts with a software rasteriser) unless --planar or --rgba says; --keep
// leaves the two videos in FOLDER; --compile-only skips the floor (for
// profiling the compile).

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
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
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

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 2);
}

} // namespace

int main(int argc, char* argv[])
{
    // As the programs that compile do.
    QApplication app(argc, argv);
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    int photoCount = 20;
    int rounds = 3;
    QString keep;
    bool compileOnly = false;
    bool rgba = false;
    bool forcePlanar = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--compile-only") == 0)
            compileOnly = true;
        else if (std::strcmp(argv[i], "--rgba") == 0)
            rgba = true;
        else if (std::strcmp(argv[i], "--planar") == 0)
            forcePlanar = true;
        else if (i + 1 == argc)
            break;
        else if (std::strcmp(argv[i], "--photos") == 0)
            photoCount = std::max(2, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--rounds") == 0)
            rounds = std::max(1, std::atoi(argv[++i]));
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
    bool planarCompile = false;
    const auto runCompile = [&](Run& run, AVWriterManager::Timings& timings) {
        const QString file = folder + QStringLiteral("/compile.mp4");
        AVWriterManager loop;
        loop.setPlanarReadback(rgba          ? AVWriterManager::PlanarReadback::Never
                               : forcePlanar ? AVWriterManager::PlanarReadback::Always
                                             : AVWriterManager::PlanarReadback::Auto);
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
        planarCompile = loop.usesPlanarReadback();
        return true;
    };

    if (compileOnly) {
        Run compile;
        AVWriterManager::Timings timings;
        if (!runCompile(compile, timings))
            return 1;
        compile.print("compile");
        const double n = compile.frames * 1e6;
        std::printf("per frame: render %.2f ms, read-back %.2f ms, waiting for the encoder %.2f ms, sound %.2f ms\n",
                    timings.renderNs / n, timings.readNs / n, timings.videoNs / n, timings.audioNs / n);
        return 0;
    }

    // The form the compile hands frames over in: what the writer takes
    // unconverted, unless told otherwise.
    bool fullRange = false;
    bool planar = false;
    {
        const QString file = folder + QStringLiteral("/probe.mp4");
        AVWriter probe;
        if (!probe.open(file, param, compileArguments(profile, param, file))) {
            std::fprintf(stderr, "%s\n", qPrintable(probe.errorString()));
            return 1;
        }
        planar = !rgba && probe.takesYuv420(fullRange);
        probe.close();
        QFile::remove(file);
    }

    // Frames and sound made beforehand: a window of the album's frames,
    // photos and transitions with the zoom running, reused in turn, and the
    // whole sound track.
    const int window = std::min(total, 2 * int(render.slotFrames) + 1);
    std::vector<std::vector<uint8_t>> frames(static_cast<std::size_t>(window));
    std::vector<char> sound;
    PlanarFrameLayout planes;
    {
        AVWriterManager drawer;
        drawer.init(param);
        drawer.setRenderer(&render);
        planar = planar && (forcePlanar || !drawer.rendersInSoftware());
        if (planar && !drawer.enablePlanarReadback(fullRange ? YuvRange::Full : YuvRange::Limited)) {
            std::fprintf(stderr, "%s\n", qPrintable(drawer.errorString()));
            return 1;
        }
        planes = drawer.planarLayout();
        for (int i = 0; i < window; ++i) {
            render.seek(i, false, &drawer);
            std::vector<uint8_t>& frame = frames[std::size_t(i)];
            if (planar) {
                frame.resize(planes.bytes);
                drawer.readPlanarFrame(frame.data());
            } else {
                frame.resize(std::size_t(param.width) * param.height * 4);
                drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
            }
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
        picture.linesize[0] = planar ? planes.stride : param.width * 4;
        picture.linesize[1] = picture.linesize[2] = planar ? planes.stride : 0;
        QElapsedTimer clock;
        const double cpu = cpuSeconds();
        clock.start();
        std::size_t soundAt = 0;
        for (int i = 0; i < total; ++i) {
            uint8_t* base = frames[std::size_t(i % window)].data();
            picture.data[0] = base;
            if (planar) {
                picture.data[1] = base + planes.uOffset;
                picture.data[2] = base + planes.vOffset;
                writer.writeEncoderFrame(picture);
            } else {
                writer.writeVideoFrame(picture);
            }
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

    // Compile and floor take turns, so that a slow spell of a shared machine
    // does not fall on one side only; each round's ratios compare the two
    // runs next to each other.
    std::printf("frames handed over as %s; load average before: %s\n",
                planar
                    ? (fullRange ? "YUV 4:2:0 planes (full range) made by OpenGL" : "YUV 4:2:0 planes made by OpenGL")
                    : "RGBA (the writer converts)",
                qPrintable(loadAverage()));
    struct Round {
        Run compile, floor;
        AVWriterManager::Timings timings;
        double ratio() const { return compile.seconds / floor.seconds; }
        double cpuRatio() const { return compile.cpu / floor.cpu; }
    };
    std::vector<Round> done;
    for (int round = 0; round < rounds; ++round) {
        Round r;
        // Which goes first alternates as well.
        const bool compileFirst = round % 2 == 0;
        if (compileFirst && !runCompile(r.compile, r.timings))
            return 1;
        if (!runFloor(r.floor))
            return 1;
        if (!compileFirst && !runCompile(r.compile, r.timings))
            return 1;
        if (planarCompile != planar) {
            std::fprintf(stderr, "the compile handed frames over in another form than the floor\n");
            return 1;
        }
        std::printf("round %d:\n", round + 1);
        r.compile.print("  compile");
        r.floor.print("  encoder-only floor");
        std::printf("  ratio %.3f, processor time ratio %.3f\n", r.ratio(), r.cpuRatio());
        std::fflush(stdout);
        done.push_back(r);
    }

    const auto median = [](std::vector<double> values) {
        std::sort(values.begin(), values.end());
        const std::size_t n = values.size();
        return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
    };
    std::vector<double> ratios, cpuRatios;
    for (const Round& r : done) {
        ratios.push_back(r.ratio());
        cpuRatios.push_back(r.cpuRatio());
    }
    // The round with the median time ratio shows the typical breakdown.
    const Round* typical = &done.front();
    for (const Round& r : done)
        if (std::abs(r.ratio() - median(ratios)) < std::abs(typical->ratio() - median(ratios)))
            typical = &r;
    std::printf("load average after: %s\n", qPrintable(loadAverage()));
    std::printf("time ratio compile / floor:           median %.3f, best %.3f (goal <= 1.05)\n", median(ratios),
                *std::min_element(ratios.begin(), ratios.end()));
    std::printf("processor time ratio compile / floor: median %.3f, best %.3f (goal <= 1.10)\n", median(cpuRatios),
                *std::min_element(cpuRatios.begin(), cpuRatios.end()));
    typical->compile.print("median round: compile");
    typical->floor.print("median round: floor");
    const AVWriterManager::Timings& timings = typical->timings;
    const Run& compile = typical->compile;
    const double n = compile.frames * 1e6;
    std::printf(
        "compile loop per frame on the GUI thread: render %.2f ms, read-back %.2f ms, waiting for the encoder %.2f ms, "
        "sound %.2f ms, other %.2f ms\n",
        timings.renderNs / n, timings.readNs / n, timings.videoNs / n, timings.audioNs / n,
        compile.seconds * 1e3 / compile.frames -
            (timings.renderNs + timings.readNs + timings.videoNs + timings.audioNs) / n);
    std::printf("extra processor time of the compile per frame: %.2f ms (floor %.2f ms a frame)\n",
                (compile.cpu - typical->floor.cpu) * 1e3 / compile.frames, typical->floor.cpu * 1e3 / compile.frames);
    return 0;
}
