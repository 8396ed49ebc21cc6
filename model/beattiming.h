#ifndef BEATTIMING_H
#define BEATTIMING_H

#include <QList>
#include <QVector>

#include "storyboard.h"

class AnalysisCache;

// What the placement of photo changes needs to know about the album.
struct BeatTimingInput {
    int photoCount = 0;
    double photoSeconds = 5.0;      // the set length of a photo on its own
    double transitionSeconds = 1.5; // the set transition length
    bool useTransition = true;
    QList<AudioInfo> clips; // the sound track in play order, with trims
    bool loop = false;
    // Per clip, the steady beats within its trim in seconds of its file; empty for a clip without a
    // steady beat (or not analysed), whose changes then stay where they were.
    QVector<QVector<double>> clipBeats;
};

// The beats of the sound track on the album's time line, ascending, up to `until` seconds: each clip
// plays its trim after the one before, and with `loop` the track starts over until the album ends.
QVector<double> albumBeats(const BeatTimingInput& input, double until);

// When each photo change happens, in album seconds: the middle of the transition from photo i to photo
// i + 1, or the cut when transitions are off; photoCount - 1 entries. Evenly spaced (photo length plus
// transition length apart) as the album lays them out, except that each change moves to the nearest
// beat within 40 % of the photo length. A change never moves so far that a photo would be on its own
// for less than 0.5 s, so each photo still lasts at least the transition plus 0.5 s, and the album
// keeps its length, ending with the music when it was synced to it. Photo lengths too short for that
// rule leave every change where it was.
QVector<double> placePhotoChanges(const BeatTimingInput& input);

// The changes where they are without beats.
QVector<double> evenPhotoChanges(const BeatTimingInput& input);

// The input for an album, with the steady beats of its clips as the cache knows them (clips not yet
// analysed count as without a steady beat).
BeatTimingInput beatTimingInput(const StoryBoardData& album, const AnalysisCache& cache);

#endif // BEATTIMING_H
