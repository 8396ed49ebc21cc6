// Peak memory of a compile. Builds an album of large photos of mixed sizes
// (1024 x 640 up to 6000 x 3400, three of them stored on their side with an
// EXIF orientation) and two songs, writes it as an album file, and compiles
// it with reelwright-render as a child process at 1280 x 720, 1920 x 1080 and
// 3840 x 2160, printing each child's peak resident size against its goal. An
// encoder-only child (the same encoder arguments fed with frames made on the
// fly, no photos at all) shows how much of the peak is the encoder's. Then a
// child runs the main window: its resident size before a compile, at the
// peak of the compile and after the compile, once the event loop has settled.
//
//   bench_memory [--photos N] [--seconds S] [--sizes WxH,WxH,...] [--work FOLDER]
//                [--no-window] [--no-encoder] [--window-only] [--tool PROGRAM]
//
// --photos and --seconds (each photo's time on screen, 0.2 to 60; below 1.6
// the transitions take half of it) shorten the album for a quick look; --work
// keeps the photos, album and videos in FOLDER and reuses photos made there;
// --tool compiles with another reelwright-render (one built from an older
// tree, for a before-and-after). Run under a display (xvfb-run -a).

#include "albumfile.h"
#include "avwriter.h"
#include "audioreader.h"
#include "benchphotos.h"
#include "compilearguments.h"
#include "compileprogress.h"
#include "gldrawer.h"
#include "outputsetting.h"
#include "photoimport.h"
#include "reelwright.h"
#include "storyboardrender.h"
#include "systemmemory.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr double MiB = 1024.0 * 1024.0;

// The photo sizes of the album, in turn; the EXIF code 6 or 8 marks a photo
// stored on its side, as a camera held upright writes it.
struct PhotoShape {
    QSize size;
    int orientation;
};
const PhotoShape PhotoShapes[] = {
    {{6000, 3400}, 1}, {{4000, 3000}, 1}, {{1024, 640}, 1},  {{5472, 3648}, 6}, {{3264, 2448}, 1},
    {{2048, 1536}, 1}, {{4608, 3456}, 1}, {{1600, 1200}, 1}, {{6000, 3376}, 1}, {{3000, 2000}, 8},
    {{4032, 3024}, 1}, {{1920, 1280}, 1}, {{5184, 3456}, 1}, {{2592, 1944}, 1}, {{4000, 2250}, 6},
    {{1280, 853}, 1},  {{3648, 2736}, 1}, {{6000, 3400}, 1}, {{2400, 1600}, 1}, {{4896, 3264}, 1},
};

// An APP1 segment holding only an EXIF orientation, put right after the
// start-of-image marker. Little-endian TIFF with one IFD entry.
bool addExifOrientation(const QString& path, int orientation)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    file.close();
    if (bytes.size() < 4 || quint8(bytes[0]) != 0xFF || quint8(bytes[1]) != 0xD8)
        return false;
    const unsigned char segment[] = {
        0xFF, 0xE1, 0x00, 34,                                            // APP1, length
        'E',  'x',  'i',  'f', 0, 0,                                     // EXIF header
        'I',  'I',  42,   0,   8, 0, 0, 0,                               // TIFF header, IFD at 8
        1,    0,                                                         // one entry
        0x12, 0x01, 3,    0,   1, 0, 0, 0, quint8(orientation), 0, 0, 0, // Orientation, SHORT
        0,    0,    0,    0,                                             // no next IFD
    };
    bytes.insert(2, reinterpret_cast<const char*>(segment), int(sizeof segment));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return file.write(bytes) == bytes.size();
}

struct Resident {
    double nowMb = 0;
    double peakMb = 0;
};

Resident residentNow()
{
    Resident r;
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return r;
    for (const QByteArray& line : status.readAll().split('\n')) {
        const auto kb = [&line] { return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0; };
        if (line.startsWith("VmRSS:"))
            r.nowMb = kb();
        else if (line.startsWith("VmHWM:"))
            r.peakMb = kb();
    }
    return r;
}

// Starts the peak over from the present resident size (Linux 4.0 and later).
void resetPeak()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

// Runs `program` with `arguments`, its output to /dev/null unless `show`, and
// returns its peak resident size in MB (negative when it failed) and its
// time in `seconds`.
double runChild(const QString& program, const QStringList& arguments, bool show, double* seconds)
{
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& a : arguments)
        storage.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    std::fflush(stdout);
    std::fflush(stderr);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (!show) {
            if (FILE* null = std::freopen("/dev/null", "w", stdout); !null)
                _exit(127);
        }
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid)
        return -1;
    if (seconds)
        *seconds = clock.nsecsElapsed() / 1e9;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "bench_memory: %s failed (status %d)\n", qPrintable(QFileInfo(program).fileName()),
                     WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return -1;
    }
    return usage.ru_maxrss / 1024.0; // kilobytes on Linux
}

// A profile file of `base` made for width x height.
QString profileFile(const QString& folder, const QString& base, QSize size, const QString& bitrate)
{
    QFile in(ZuPref::appDir() + QStringLiteral("/profiles/") + base + QStringLiteral(".json"));
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QJsonObject root = QJsonDocument::fromJson(in.readAll()).object();
    QJsonObject properties = root.value(QStringLiteral("properties")).toObject();
    properties.insert(QStringLiteral("s"), QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
    if (!bitrate.isEmpty())
        properties.insert(QStringLiteral("b"), bitrate);
    root.insert(QStringLiteral("properties"), properties);
    root.insert(QStringLiteral("id"), QStringLiteral("bench%1x%2").arg(size.width()).arg(size.height()));
    const QString path = QStringLiteral("%1/bench%2x%3.json").arg(folder).arg(size.width()).arg(size.height());
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(QJsonDocument(root).toJson()) <= 0)
        return {};
    return path;
}

QString bitrateFor(QSize size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    return pixels <= 1280 * 720 ? QStringLiteral("4000K")
                                : (pixels <= 1920 * 1080 ? QStringLiteral("8000K") : QStringLiteral("20000K"));
}

// The goals of a compile's peak at each output size (MB).
double goalFor(QSize size)
{
    const qint64 pixels = qint64(size.width()) * size.height();
    return pixels <= 1280 * 720 ? 450.0 : (pixels <= 1920 * 1080 ? 700.0 : 1536.0);
}

// Child mode: the encoder alone, fed `frames` frames made on the fly.
int encoderOnly(const QString& profilePath, int frames, const QString& outputFile)
{
    av_log_set_level(AV_LOG_QUIET);
    ZumProfileData profile;
    QString error;
    if (!ZuProfileManager::instance()->loadProfileFile(profilePath, profile, &error)) {
        std::fprintf(stderr, "bench_memory: %s\n", qPrintable(error));
        return 1;
    }
    RenderParam param;
    renderParamsFromProfile(param, profile);
    AVWriter writer;
    if (!writer.open(outputFile, param, compileArguments(profile, param, outputFile))) {
        std::fprintf(stderr, "bench_memory: %s\n", qPrintable(writer.errorString()));
        return 1;
    }
    AVPicture picture{};
    if (!allocatePicture(picture, AV_PIX_FMT_RGBA, param.width, param.height))
        return 1;
    const int soundBytes = int(param.sampleRate / param.frameRate) * param.channels * 2;
    std::vector<short> silence(std::size_t(soundBytes / 2), 0);
    for (int i = 0; i < frames; ++i) {
        // Moving detail, so the encoder has motion to search as in a zoom.
        for (int y = 0; y < param.height; ++y) {
            uint8_t* row = picture.data[0] + qint64(y) * picture.linesize[0];
            for (int x = 0; x < param.width; ++x) {
                row[4 * x] = uint8_t((x + i) ^ y);
                row[4 * x + 1] = uint8_t((x * y + i * 7) >> 4);
                row[4 * x + 2] = uint8_t(y + i);
                row[4 * x + 3] = 255;
            }
        }
        if (!writer.writeVideoFrame(picture) || !writer.writeAudioBuffer(silence.data(), soundBytes))
            return 1;
    }
    writer.close();
    freePicture(picture);
    return 0;
}

// Child mode: the main window opens `album`, compiles it into `folder` with
// the profile chosen in the output settings (the default one), and reports
// its resident size before, at the peak of and after the compile.
int windowRun(const QString& album, const QString& folder)
{
    av_log_set_level(AV_LOG_QUIET);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\nreelwright.*.info=false"));
    QTemporaryDir settings;
    ZuPref pref(settings.filePath(QStringLiteral("settings.ini")));
    ZuPref::setInstance(&pref);
    Reelwright window;
    window.resize(1200, 800);
    window.show();
    if (!window.openAlbum(album)) {
        std::fprintf(stderr, "bench_memory: the window did not open the album\n");
        return 1;
    }
    const auto settle = [](int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    settle(2000);
    const Resident before = residentNow();
    resetPeak();

    bool succeeded = false;
    bool answered = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* settingsDialog = qobject_cast<OutputSetting*>(modal)) {
            settingsDialog->findChild<QLineEdit*>(QStringLiteral("lineEditOutputPath"))->setText(folder);
            settingsDialog->findChild<QLineEdit*>(QStringLiteral("lineEditFilename"))
                ->setText(QStringLiteral("Window"));
            settingsDialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                ->button(QDialogButtonBox::Ok)
                ->click();
        } else if (auto* progress = qobject_cast<CompileProgress*>(modal); progress && progress->isFinished()) {
            succeeded = progress->succeeded();
            answered = true;
            progress->findChild<QPushButton*>(QStringLiteral("close"))->click();
        }
    });
    answer.start(20);
    QElapsedTimer clock;
    clock.start();
    // The click returns when the compile dialog has closed.
    QMetaObject::invokeMethod(window.findChild<QAbstractButton*>(QStringLiteral("burn")), "click",
                              Qt::QueuedConnection);
    while (!answered || QApplication::activeModalWidget())
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    answer.stop();
    const double compileSeconds = clock.nsecsElapsed() / 1e9;
    const Resident peak = residentNow();
    settle(3000);
    const Resident after = residentNow();
    if (!succeeded) {
        std::fprintf(stderr, "bench_memory: the window's compile failed\n");
        return 1;
    }
    std::printf("window: before the compile %.0f MB, peak %.0f MB (compile %.1f s), after %.0f MB: %+.0f MB "
                "(goal within 100 MB) %s\n",
                before.nowMb, peak.peakMb, compileSeconds, after.nowMb, after.nowMb - before.nowMb,
                after.nowMb - before.nowMb <= 100.0 ? "ok" : "MISSED");
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    // As the programs that compile do.
    SystemMemory::preferMappedPictures();
    QApplication app(argc, argv);
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    ZuProfileManager* manager = ZuProfileManager::instance();
    if (!manager->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles"))) {
        std::fprintf(stderr, "bench_memory: no profiles in %s\n", qPrintable(ZuPref::appDir()));
        return 1;
    }

    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("--encoder-only"))
        return encoderOnly(args.at(2), args.at(3).toInt(), args.at(4));
    if (args.size() == 4 && args.at(1) == QLatin1String("--window"))
        return windowRun(args.at(2), args.at(3));

    int photoCount = 20;
    int photoMs = 5000;
    QString work;
    QString renderTool = ZuPref::appDir() + QStringLiteral("/reelwright-render");
    bool window = true;
    bool encoder = true;
    bool compiles = true;
    QList<QSize> sizes = {{1280, 720}, {1920, 1080}, {3840, 2160}};
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--no-window"))
            window = false;
        else if (a == QLatin1String("--no-encoder"))
            encoder = false;
        else if (a == QLatin1String("--window-only"))
            compiles = false;
        else if (a == QLatin1String("--photos") && hasValue)
            photoCount = std::clamp(args.at(++i).toInt(), 2, 200);
        else if (a == QLatin1String("--seconds") && hasValue)
            photoMs = std::clamp(int(args.at(++i).toDouble() * 1000), 200, 60000);
        else if (a == QLatin1String("--work") && hasValue)
            work = args.at(++i);
        else if (a == QLatin1String("--tool") && hasValue)
            renderTool = QFileInfo(args.at(++i)).absoluteFilePath();
        else if (a == QLatin1String("--sizes") && hasValue) {
            sizes.clear();
            for (const QString& s : args.at(++i).split(QLatin1Char(','))) {
                const QStringList wh = s.split(QLatin1Char('x'));
                if (wh.size() == 2 && wh[0].toInt() > 0 && wh[1].toInt() > 0)
                    sizes << QSize(wh[0].toInt(), wh[1].toInt());
            }
        } else {
            std::fprintf(stderr, "bench_memory: unknown argument %s\n", qPrintable(a));
            return 2;
        }
    }

    QTemporaryDir temporary;
    const QString folder = work.isEmpty() ? temporary.path() : QFileInfo(work).absoluteFilePath();
    QDir().mkpath(folder);

    // The album: photos first (made once per work folder), then sound and file.
    std::printf("making %d photos (1024 x 640 to 6000 x 3400) in %s...\n", photoCount, qPrintable(folder));
    std::fflush(stdout);
    AlbumContents contents;
    for (int i = 0; i < photoCount; ++i) {
        const PhotoShape& shape = PhotoShapes[i % std::size(PhotoShapes)];
        QString path = QStringLiteral("%1/camera%2.jpg").arg(folder).arg(i);
        if (!QFileInfo::exists(path)) {
            path = makeCameraLikePhoto(folder, i, shape.size);
            if (path.isEmpty() || (shape.orientation != 1 && !addExifOrientation(path, shape.orientation))) {
                std::fprintf(stderr, "bench_memory: cannot write photo %d\n", i);
                return 1;
            }
        }
        ImageInfo photo;
        if (!readImportedPhoto(path, photo, i)) {
            std::fprintf(stderr, "bench_memory: cannot read %s\n", qPrintable(path));
            return 1;
        }
        contents.photos << photo;
    }
    for (const char* name : {"elvish-15s.mp3", "knolls-20s.ogg"}) {
        AudioInfo audio;
        audio.filePath = QStringLiteral(REELWRIGHT_MEDIA_DIR "/") + QLatin1String(name);
        if (!AudioReader::parse(audio))
            return 1;
        contents.clips << audio;
    }
    contents.loopAudio = true;
    contents.photoMs = photoMs;
    // Short photos get short transitions, so that a quick run still shows
    // every photo alone and in a transition.
    if (photoMs < 1600)
        contents.transitionMs = photoMs / 2;
    const QString albumPath = folder + QStringLiteral("/Memory.reelwright");
    QString error;
    if (!AlbumFile::write(albumPath, contents, &error)) {
        std::fprintf(stderr, "bench_memory: %s\n", qPrintable(error));
        return 1;
    }
    const double seconds = photoCount * (photoMs + contents.transitionMs) / 1000.0;
    std::printf("album: %d photos, %.1f s each, about %.0f s of video\n", photoCount, photoMs / 1000.0, seconds);

    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    for (const QSize size : sizes) {
        if (!compiles)
            break;
        // Above 1080p the 4K profile's own encoder settings (a shorter look-ahead) apply.
        const QString base = qint64(size.width()) * size.height() > 1920 * 1080 ? QStringLiteral("mpeg4h264_2160")
                                                                                : QStringLiteral("mpeg4h264_1080");
        const QString profile = profileFile(folder, base, size, bitrateFor(size));
        if (profile.isEmpty()) {
            std::fprintf(stderr, "bench_memory: cannot write a profile for %dx%d\n", size.width(), size.height());
            return 1;
        }
        const double goal = goalFor(size);
        double renderSeconds = 0;
        const double peak =
            runChild(renderTool,
                     {albumPath, QStringLiteral("-q"), QStringLiteral("-p"), profile, QStringLiteral("-o"), folder,
                      QStringLiteral("-n"), QStringLiteral("compile%1").arg(size.height())},
                     false, &renderSeconds);
        if (peak < 0)
            return 1;
        std::printf("%4dx%-4d compile: peak %5.0f MB (goal <= %4.0f MB) %-6s in %6.1f s\n", size.width(), size.height(),
                    peak, goal, peak <= goal ? "ok" : "MISSED", renderSeconds);
        if (encoder) {
            const int frames = int(seconds * 25);
            double encoderSeconds = 0;
            const double floor = runChild(self,
                                          {QStringLiteral("--encoder-only"), profile, QString::number(frames),
                                           QStringLiteral("%1/encoder%2.mp4").arg(folder).arg(size.height())},
                                          true, &encoderSeconds);
            if (floor < 0)
                return 1;
            std::printf("%4dx%-4d encoder alone: peak %5.0f MB; the compile's own share %5.0f MB (%.2f x the "
                        "encoder)\n",
                        size.width(), size.height(), floor, peak - floor, peak / floor);
        }
        std::fflush(stdout);
    }
    if (window) {
        if (runChild(self, {QStringLiteral("--window"), albumPath, folder}, true, nullptr) < 0)
            return 1;
    }
    return 0;
}
