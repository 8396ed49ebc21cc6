#pragma once
// Turns the album into numbered video frames, drawn on demand into a
// GLDrawer, and one continuous sound track that its own thread decodes ahead
// into a shared buffer. Frame N is a pure function of the album, the output
// size and N.

#include <QElapsedTimer>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <functional>
#include <map>

#include "analysiscache.h"
#include "audioreader.h"
#include "loudness.h"
#include "picturecache.h"
#include "pictureprefetcher.h"
#include "storyboard.h"

class GLDrawer;

class StoryBoardRender : public QThread
{
    Q_OBJECT

public:
    // Where the time of the latest seek() went, for benchmarks.
    struct Timings {
        qint64 loadNs = 0;   // fetching pictures (cache, prefetch, decode)
        qint64 uploadNs = 0; // the drawer's bind operations
        qint64 drawNs = 0;   // recording and composing the frame
    };

    explicit StoryBoardRender(QObject* parent = nullptr);
    // Stops the sound thread if it still runs, then frees everything.
    ~StoryBoardRender() override;

    // Takes the output format, empties the caches, sizes their byte budgets
    // for the output size and allocates the sound buffer (256 frames of
    // sound plus the decoder's slack).
    bool init(const RenderParam& param);
    // The output format in use, as init() took it.
    RenderParam renderParam() const;
    // The album to render, owned by the caller; null for none.
    void setStoryBoard(StoryBoardData* album);
    StoryBoardData* storyBoardData() const { return storyBoard; }
    // Recomputes the frame count and slot lengths after an album edit, and
    // with beatCuts on, where each photo change falls (from the beats the
    // cache knows; call again when an analysis finishes).
    void onStoryBoardDataChanged();
    // Where the beats of the album's clips are looked up.
    void setAnalysisCache(const AnalysisCache& cache) { beatCache = cache; }
    // The first frame photo `index` shows on its own, and the first frame of
    // the transition from it to the next, as the album is laid out now.
    double photoStartFrame(int index) const;
    double transitionStartFrame(int index) const;

    // Draws frame `frame` into `drawer`; with `withAudio` the sound is first
    // positioned there (only while the sound thread is stopped).
    void seek(unsigned long frame, bool withAudio, GLDrawer* drawer);

    // Starts the sound thread on an emptied buffer.
    void start();
    // Asks the sound thread to end; the caller then waits for it.
    void stop();
    // Frees the pictures and the sound buffer.
    void release();

    AVPicture* GetCachedPicture(const QString& key);
    AVPicture* GetSourcePicture(const ImageInfo& photo);
    AVPicture* GetPatternPicture(const QString& path);
    void fxData(double t, const ImageInfo& photo, GLTransform& out) const;

    // One round of the sound thread: decode a little more, or open the next
    // clip, or add silence past the end of the track. False when the buffer
    // had no room (nothing to do).
    bool renderAudio();
    void positionAudioReader(unsigned long frame);

    // Consumer side, once per video frame: hands the next chunk of sound
    // (bytesPerFrame on average, always whole 16-bit stereo sample frames,
    // `carry` keeping the remainder between calls) to `sink`. Waits, yielding
    // the processor, while the sound thread catches up; false when the sound
    // thread is not running and the buffer cannot serve a chunk.
    using SoundSink = std::function<void(const char* data, int bytes)>;
    bool takeSound(int& carry, const SoundSink& sink);

    // Where the clips' loudness is looked up (LoudnessStore::shared() unless
    // set); it must outlive the renderer's use of it.
    void setLoudnessStore(LoudnessStore* store) { loudnessStore = store ? store : &LoudnessStore::shared(); }
    // With the album's evenLoudness, a clip whose loudness is not known yet
    // is measured by the sound thread before it plays (true, the compile:
    // every clip comes out at its gain), or starts at unity gain while the
    // store measures it, and takes its gain when that is done (false, the
    // preview: sound at once). A compile turns it on for its run.
    bool waitForLoudness = false;
    // The factor the current clip's samples get (1 until its gain is known).
    double clipGain() const { return gain; }

    const Timings& lastTimings() const { return timings; }
    int photoCacheSize() const { return sourceCache.size(); }
    int patternCacheSize() const { return patternCache.size(); }
    const PictureCache& photoCache() const { return sourceCache; }
    const PictureCache& patternPictureCache() const { return patternCache; }
    const PicturePrefetcher& picturePrefetcher() const { return prefetcher; }

    // The cache key of a photo's picture; for a title card, of its colours.
    static QString sourceKey(const ImageInfo& photo);
    // The key of a caption as drawn for a frame of `frame` pixels: equal
    // keys give equal pictures.
    static QString captionKey(const Caption& caption, QSize frame);
    // The caption's picture for the output size, drawn on first use and kept
    // with a serial that names it to the drawer; null for an empty caption.
    const CaptionPicture* GetCaptionPicture(const Caption& caption);
    int captionCacheSize() const { return int(captionCache.size()); }
    // How many captions have been drawn since init(), for tests.
    int captionPaints() const { return captionPaintCount; }

    int width = 0;
    int height = 0;
    double frameRate = 25.0;
    double aspectRatio = 4.0 / 3.0;
    int channels = 2;
    int sampleRate = 48000;
    int bitsPerSample = 16;
    quint32 totalFrames = 0;
    SampleDecoding sound;
    int bytesPerFrame = 0;
    double slotFrames = 0.0;
    double spanFrames = 0.0;

protected:
    void run() override;

private:
    void openClip(int index);
    // Gain and fades follow the clip that starts at `offset` seconds past
    // its trim start.
    void beginClipShaping(const AudioInfo& clip, double offset);
    void resolveGain();
    // Gain, fade-in and fade-out on the new sample frames from byte `from`
    // of the buffer to byte `to`.
    void shapeSound(int from, int to);
    void fillBlack(FrameData& picture) const;
    // Lays the photo's caption over the frame as overlay `overlay`.
    void drawCaption(GLDrawer* drawer, const ImageInfo& photo, int overlay, float opacity, qint64& drawNs);
    void prefetchAround(int photoIndex, bool inTransition);
    void prefetchPhoto(const ImageInfo& photo);
    void prefetchPattern(const QString& path);
    AVPicture* fetch(PictureCache& cache, const QString& key, const std::function<void(FrameData&)>& read);

    StoryBoardData* storyBoard = nullptr;
    AnalysisCache beatCache;
    // Empty while photos are evenly spaced (slotFrames apart, photoDuration
    // alone each); otherwise per photo the frame it starts on its own and how
    // many frames it stays so, for changes placed on the beat.
    std::vector<double> photoStarts;
    std::vector<double> aloneFrames;
    PictureCache sourceCache;
    PictureCache patternCache;
    std::map<QString, AVPicture*> pictureIndex;
    // Which load of a cached picture it holds, so that a drawer can keep a
    // texture that already shows it.
    std::map<QString, quint64> pictureSerials;
    quint64 pictureSerial(const QString& key) const;
    // Captions drawn for the output size, by captionKey(); the least
    // recently used goes when there are too many.
    struct CaptionEntry {
        CaptionPicture picture;
        quint64 serial = 0;
        quint64 lastUse = 0;
    };
    std::map<QString, CaptionEntry> captionCache;
    const CaptionEntry* captionEntry(const Caption& caption);
    quint64 captionUses = 0;
    int captionPaintCount = 0;
    PicturePrefetcher prefetcher;
    int audioIndex = 0;
    AudioReader reader;
    AudioInfo currentAudio;
    // Sound bytes produced since the track last started over; a looping track
    // whose every clip is empty would otherwise restart for ever in silence.
    qint64 producedSinceLoop = 0;
    QSemaphore stopSemaphore;
    // The sound thread's state of the shaping (the thread that positions or
    // decodes owns it, as it owns the reader).
    LoudnessStore* loudnessStore = nullptr;
    double gain = 1.0;
    bool gainPending = false;
    bool gainRequested = false;
    QString gainPath;
    QElapsedTimer gainPoll;
    qint64 clipSample = 0;    // sample frames of the clip given out, from its trim start
    qint64 fadeInSamples = 0; // 0 for a clip that starts at the beginning of its song
    qint64 trackSample = 0;   // sample frames from the start of the album
    Timings timings;
    QElapsedTimer clock;
};
