#include "beattiming.h"

#include "analysiscache.h"
#include "beatanalysis.h"

#include <algorithm>
#include <cmath>

namespace {

// The shortest time a photo is on screen on its own after a move.
constexpr double MinAloneSeconds = 0.5;
// How far a change may move, as a share of the photo length.
constexpr double MaxMoveShare = 0.4;

double transitionOf(const BeatTimingInput& input)
{
    return input.useTransition ? std::max(0.0, input.transitionSeconds) : 0.0;
}

} // namespace

QVector<double> albumBeats(const BeatTimingInput& input, double until)
{
    QVector<double> beats;
    double trackLength = 0.0;
    for (const AudioInfo& clip : input.clips)
        trackLength += std::max(0.0, clip.endTime - clip.startTime);
    // A sound track of nothing cannot loop; a tiny one would loop a great many times for nothing.
    if (trackLength < 0.01)
        return beats;
    for (double roundStart = 0.0; roundStart < until; roundStart += trackLength) {
        double clipStart = roundStart;
        for (qsizetype i = 0; i < input.clips.size(); ++i) {
            const AudioInfo& clip = input.clips.at(i);
            const double length = std::max(0.0, clip.endTime - clip.startTime);
            if (i < input.clipBeats.size()) {
                for (const double beat : input.clipBeats.at(i)) {
                    if (beat < clip.startTime || beat >= clip.endTime)
                        continue;
                    const double at = clipStart + beat - clip.startTime;
                    if (at > until)
                        break;
                    beats.append(at);
                }
            }
            clipStart += length;
        }
        if (!input.loop)
            break;
    }
    std::sort(beats.begin(), beats.end());
    return beats;
}

QVector<double> evenPhotoChanges(const BeatTimingInput& input)
{
    QVector<double> changes;
    const double P = input.photoSeconds;
    const double T = transitionOf(input);
    for (int i = 0; i + 1 < input.photoCount; ++i)
        changes.append((i + 1) * P + i * T + T / 2.0);
    return changes;
}

QVector<double> placePhotoChanges(const BeatTimingInput& input)
{
    QVector<double> changes = evenPhotoChanges(input);
    const double P = input.photoSeconds;
    const double T = transitionOf(input);
    // Each change moves at most `late` later, so the next one (P + T further on, if it stays) leaves the
    // photo between them at least MinAloneSeconds on its own; the lower limit comes from the change
    // before, as placed. Staying put is therefore always allowed, and no move pushes another.
    const double early = MaxMoveShare * P;
    const double late = std::min(MaxMoveShare * P, P - MinAloneSeconds);
    if (changes.isEmpty() || late <= 0.0)
        return changes;
    const double albumEnd = input.photoCount * P + (input.photoCount - 1) * T;
    const QVector<double> beats = albumBeats(input, albumEnd);
    if (beats.isEmpty())
        return changes;

    double previous = -T / 2.0; // as if a transition ended at 0, where the first photo starts alone
    for (double& change : changes) {
        const double lowest = std::max(change - early, previous + T + MinAloneSeconds);
        const double highest = change + late;
        // The nearest beat is the first at or after the even time or the one before it; the first is never
        // below `lowest`, which is at most the even time.
        const auto after = std::lower_bound(beats.cbegin(), beats.cend(), change);
        double best = change;
        double bestDistance = -1.0;
        const auto consider = [&](double beat) {
            if (beat < lowest - 1e-9 || beat > highest + 1e-9)
                return;
            const double distance = std::abs(beat - change);
            if (bestDistance < 0.0 || distance < bestDistance) {
                best = beat;
                bestDistance = distance;
            }
        };
        if (after != beats.cend())
            consider(*after);
        if (after != beats.cbegin())
            consider(*(after - 1));
        change = best;
        previous = change;
    }
    return changes;
}

BeatTimingInput beatTimingInput(const StoryBoardData& album, const AnalysisCache& cache)
{
    BeatTimingInput input;
    input.photoCount = int(album.photos.size());
    input.photoSeconds = album.photoDuration();
    input.transitionSeconds = album.transitionSeconds;
    input.useTransition = album.useTransition;
    input.clips = album.audios;
    input.loop = album.loopAudio;
    for (const AudioInfo& clip : album.audios) {
        QVector<double> beats;
        if (const std::optional<QJsonObject> stored = cache.load(QStringLiteral("beats"), clip.filePath)) {
            if (const std::optional<BeatTrack> track = BeatTrack::fromJson(*stored)) {
                const BeatTrack part = track->within(clip.startTime, clip.endTime);
                if (part.steady)
                    beats = part.beats;
            }
        }
        input.clipBeats.append(beats);
    }
    return input;
}
