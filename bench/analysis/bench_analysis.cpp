// Measures the analysis of sound files, in seconds of music analysed per
// second of work (the goal is 50 x real time), for the shared samples or the
// files given: beat tracking (decode to 22.05 kHz mono plus aubio's tempo
// tracker), each file analysed afresh, never from the cache.
// Usage: bench_analysis [sound files...]

#include "audioreader.h"
#include "beatanalysis.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double RealTimeGoal = 50.0;

QStringList sampleSounds()
{
    const QDir samples(QStringLiteral(REELWRIGHT_MEDIA_DIR));
    QStringList files;
    for (const QString& name : samples.entryList(
             {QStringLiteral("*.mp3"), QStringLiteral("*.m4a"), QStringLiteral("*.ogg"), QStringLiteral("*.wav")},
             QDir::Files, QDir::Name))
        files << samples.filePath(name);
    return files;
}

// Beat tracking of each file, best of three runs; returns the total figure.
double measureBeats(const QStringList& files)
{
    double musicSeconds = 0.0;
    double workSeconds = 0.0;
    std::printf("beat analysis (%d x %d hop at %d Hz):\n", BeatWindow, BeatHop, BeatSampleRate);
    for (const QString& file : files) {
        AudioInfo info;
        info.filePath = file;
        if (!AudioReader::parse(info)) {
            std::printf("  %-24s cannot be read\n", qPrintable(QFileInfo(file).fileName()));
            continue;
        }
        double best = 1e9;
        std::optional<BeatTrack> track;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer clock;
            clock.start();
            track = analyseBeats(file);
            best = std::min(best, clock.nsecsElapsed() / 1e9);
        }
        if (!track)
            continue;
        musicSeconds += info.duration;
        workSeconds += best;
        std::printf("  %-24s %6.1f s of music in %6.3f s: %6.0f x real time, %3lld beats, %5.1f bpm, %s\n",
                    qPrintable(QFileInfo(file).fileName()), info.duration, best, info.duration / best,
                    qlonglong(track->beats.size()), track->bpm, track->steady ? "steady" : "no steady beat");
    }
    const double speed = workSeconds > 0.0 ? musicSeconds / workSeconds : 0.0;
    std::printf("  all: %.0f x real time (goal %.0f x)\n", speed, RealTimeGoal);
    return speed;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList files = app.arguments().mid(1);
    if (files.isEmpty())
        files = sampleSounds();
    const double beats = measureBeats(files);
    return beats >= RealTimeGoal ? 0 : 1;
}
