// Sound analysis figures, one function per measurement:
//   beat speed       seconds of music tracked per second (decode to 22.05 kHz
//                    mono plus aubio's tempo tracker), never from the cache
//   loudness speed   seconds of music measured per second (decode, resample
//                    to stereo, EBU R128 integrated loudness and true peak),
//                    on the sample songs and on a generated 3-minute song
//   loudness spread  the sample songs' loudness as they are, and as the
//                    renderer gives them out with "Even out loudness"
//                    (measured on its output with the same meter)
//
// Usage: bench_analysis [repetitions] [extra sound files...]

#include "audioreader.h"
#include "beatanalysis.h"
#include "loudness.h"
#include "storyboardrender.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>

#include <ebur128.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace {

constexpr int OutputRate = 48000;
constexpr double RealTimeGoal = 50.0;

QStringList sampleSongs()
{
    QStringList songs;
    const QDir media(QStringLiteral(REELWRIGHT_MEDIA_DIR));
    for (const QString& name : media.entryList({"*.mp3", "*.m4a", "*.ogg", "*.wav"}, QDir::Files, QDir::Name))
        songs << media.filePath(name);
    return songs;
}

// Three minutes of 44.1 kHz stereo that a meter cannot take a short cut
// through: chords that change every two seconds, a beat, and some noise.
QString generatedSong(const QString& folder)
{
    constexpr int rate = 44100;
    constexpr int seconds = 180;
    QByteArray data;
    data.reserve(rate * seconds * 4);
    QRandomGenerator random(7);
    const double roots[] = {220.0, 246.9, 196.0, 174.6};
    for (int i = 0; i < rate * seconds; ++i) {
        const double t = double(i) / rate;
        const double root = roots[(i / (2 * rate)) % 4];
        const double chord = std::sin(2 * M_PI * root * t) + 0.6 * std::sin(2 * M_PI * root * 1.26 * t) +
                             0.5 * std::sin(2 * M_PI * root * 1.5 * t);
        const double beat = std::exp(-30.0 * std::fmod(t, 0.5)) * std::sin(2 * M_PI * 60.0 * t);
        const double noise = random.generateDouble() - 0.5;
        for (double value : {0.15 * chord + 0.4 * beat + 0.05 * noise, 0.12 * chord + 0.4 * beat - 0.05 * noise}) {
            const qint16 sample = qToLittleEndian(qint16(std::clamp(value, -1.0, 1.0) * 32767));
            data.append(reinterpret_cast<const char*>(&sample), 2);
        }
    }
    QByteArray header("RIFF");
    const auto u32 = [&](quint32 v) {
        v = qToLittleEndian(v);
        header.append(reinterpret_cast<const char*>(&v), 4);
    };
    const auto u16 = [&](quint16 v) {
        v = qToLittleEndian(v);
        header.append(reinterpret_cast<const char*>(&v), 2);
    };
    u32(quint32(36 + data.size()));
    header.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    header.append("data");
    u32(quint32(data.size()));
    const QString path = folder + QStringLiteral("/generated-3min.wav");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + data) != header.size() + data.size())
        return {};
    return path;
}

void beatSpeed(const QStringList& songs, int repetitions)
{
    double musicSeconds = 0.0;
    double workSeconds = 0.0;
    std::printf("beat speed (%d x %d hop at %d Hz), best of %d:\n", BeatWindow, BeatHop, BeatSampleRate, repetitions);
    for (const QString& song : songs) {
        AudioInfo info;
        info.filePath = song;
        if (!AudioReader::parse(info)) {
            std::printf("  %-28s cannot be read\n", qPrintable(QFileInfo(song).fileName()));
            continue;
        }
        double best = 1e9;
        std::optional<BeatTrack> track;
        for (int run = 0; run < repetitions; ++run) {
            QElapsedTimer clock;
            clock.start();
            track = analyseBeats(song);
            best = std::min(best, clock.nsecsElapsed() / 1e9);
        }
        if (!track)
            continue;
        musicSeconds += info.duration;
        workSeconds += best;
        std::printf("  %-28s %7.1f s of music in %7.3f s: %6.0f x real time, %3lld beats, %5.1f bpm, %s\n",
                    qPrintable(QFileInfo(song).fileName()), info.duration, best, info.duration / best,
                    qlonglong(track->beats.size()), track->bpm, track->steady ? "steady" : "no steady beat");
    }
    if (workSeconds > 0.0)
        std::printf("  all                          %7.1f s of music in %7.3f s: %6.0f x real time (goal %.0f x)\n",
                    musicSeconds, workSeconds, musicSeconds / workSeconds, RealTimeGoal);
}

void loudnessSpeed(const QStringList& songs, int repetitions)
{
    std::printf("loudness speed (whole file, no cache), best of %d:\n", repetitions);
    double totalSeconds = 0.0, totalTime = 0.0;
    for (const QString& song : songs) {
        double best = 1e9, seconds = 0.0;
        for (int r = 0; r < repetitions; ++r) {
            QElapsedTimer clock;
            clock.start();
            const auto measure = Loudness::measure(song);
            const double elapsed = clock.nsecsElapsed() / 1e9;
            if (!measure) {
                std::printf("  %-28s cannot be measured\n", qPrintable(QFileInfo(song).fileName()));
                break;
            }
            seconds = measure->seconds;
            best = std::min(best, elapsed);
        }
        if (seconds <= 0.0)
            continue;
        totalSeconds += seconds;
        totalTime += best;
        std::printf("  %-28s %7.1f s of music in %7.3f s: %6.0f x real time\n", qPrintable(QFileInfo(song).fileName()),
                    seconds, best, seconds / best);
    }
    if (totalTime > 0.0)
        std::printf("  all                          %7.1f s of music in %7.3f s: %6.0f x real time (goal %.0f x)\n",
                    totalSeconds, totalTime, totalSeconds / totalTime, RealTimeGoal);
}

// Integrated loudness of interleaved stereo 16-bit samples.
double lufsOf(const qint16* samples, qint64 frames)
{
    ebur128_state* meter = ebur128_init(2, OutputRate, EBUR128_MODE_I);
    ebur128_add_frames_short(meter, samples, std::size_t(frames));
    double value = 0.0;
    ebur128_loudness_global(meter, &value);
    ebur128_destroy(&meter);
    return value;
}

void loudnessSpread(const QStringList& songs, const QString& cacheFolder)
{
    StoryBoardData album;
    album.patternFiles.clear();
    double seconds = 0.0;
    for (const QString& song : songs) {
        AudioInfo clip;
        clip.filePath = song;
        if (!AudioReader::parse(clip))
            continue;
        album.audios << clip;
        seconds += clip.duration;
    }
    ImageInfo photo;
    photo.filePath = QStringLiteral("/none.png");
    album.photos = {photo};
    album.photoMs = int(seconds * 1000) + 1000;
    album.photoSeconds = album.photoMs / 1000.0;
    album.evenLoudness = true;
    album.fadeMs = 0;

    LoudnessStore store(cacheFolder);
    StoryBoardRender render;
    RenderParam param;
    param.width = 16;
    param.height = 16;
    render.init(param);
    render.setStoryBoard(&album);
    render.setLoudnessStore(&store);
    render.waitForLoudness = true;
    render.positionAudioReader(0);
    render.start();
    QVector<qint16> sound;
    int carry = 0;
    for (quint32 f = 0; f < render.totalFrames; ++f)
        render.takeSound(carry, [&](const char* data, int bytes) {
            const auto* samples = reinterpret_cast<const qint16*>(data);
            sound.append(QVector<qint16>(samples, samples + bytes / 2));
        });
    render.stop();
    render.wait();

    std::printf("loudness spread (target %.0f LUFS, true peak at most %.0f dBTP):\n", Loudness::TargetLufs,
                Loudness::PeakCeilingDb);
    double lowIn = 1e9, highIn = -1e9, lowOut = 1e9, highOut = -1e9;
    qint64 start = 0;
    for (const AudioInfo& clip : album.audios) {
        const qint64 frames = qint64(clip.duration * OutputRate);
        const auto measure = store.find(clip.filePath);
        // A fifth of a second off each end keeps the neighbours out.
        const qint64 margin = OutputRate / 5;
        const double out = lufsOf(sound.constData() + 2 * (start + margin), frames - 2 * margin);
        start += frames;
        if (!measure)
            continue;
        lowIn = std::min(lowIn, measure->integratedLufs);
        highIn = std::max(highIn, measure->integratedLufs);
        lowOut = std::min(lowOut, out);
        highOut = std::max(highOut, out);
        std::printf("  %-28s %6.1f LUFS, peak %5.1f dBTP, gain %+5.1f dB -> %6.1f LUFS given out\n",
                    qPrintable(QFileInfo(clip.filePath).fileName()), measure->integratedLufs, measure->truePeakDb,
                    Loudness::gainDb(*measure), out);
    }
    std::printf("  spread: %.1f LU as they are, %.1f LU evened out\n", highIn - lowIn, highOut - lowOut);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    const int repetitions = arguments.size() > 1 ? std::max(1, arguments.at(1).toInt()) : 3;
    QStringList songs = sampleSongs();
    for (int i = 2; i < arguments.size(); ++i)
        songs << arguments.at(i);
    QTemporaryDir folder;
    const QString generated = generatedSong(folder.path());
    const QStringList timed = generated.isEmpty() ? songs : songs + QStringList{generated};
    beatSpeed(timed, repetitions);
    loudnessSpeed(timed, repetitions);
    loudnessSpread(songs, folder.filePath(QStringLiteral("cache")));
    return 0;
}
