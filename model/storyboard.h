#ifndef STORYBOARD_H
#define STORYBOARD_H

// The album records every part of the editor passes around: photos, audio
// clips, the album itself, the output format, the shared sound buffer, and
// the sort keys of the strips.

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QMetaType>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <array>
#include <atomic>
#include <cstdint>

#include "avpicture.h"
#include "caption.h"

// One editing step of a photo.
enum IMAGEPROC : qint32 {
    Mirror = 0,   // left-right
    Flip = 1,     // upside down
    TurnLeft = 2, // QTransform::rotate(90)
    TurnRight = 3 // QTransform::rotate(-90)
};

enum GLTransformKind : qint32 {
    FxTranslate = 0,
    FxRotate = 1
};

// One zoom/pan value for the compositor. FxTranslate: x, y, z in output
// pixels (value[3] unused); FxRotate: angle in degrees, then the axis.
struct GLTransform {
    qint32 kind = FxTranslate;
    float value[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

constexpr int ExifPropertyCount = 17;

// One photo of the album.
struct ImageInfo {
    QString filePath;
    qint32 width = 0;
    qint32 height = 0;
    qint32 depth = 0;
    QString suffix;
    qint64 fileSize = 0;
    QDateTime lastModified;
    bool exifMirror = false;
    bool exifFlip = false;
    qint32 exifRotation = 0;  // 0, 90 or -90
    QVector<IMAGEPROC> procs; // newest first
    qint32 imageType = 0;     // 0..7, see imageTypeOf()
    GLTransform fxStart;
    GLTransform fxEnd;
    std::array<QString, ExifPropertyCount> exifProperties; // ZumExifInfo numbering
    QImage thumbnail;                                      // 80 x 60, as stored
    QImage thumbnailTurned;                                // 80 x 60, turned by +90 degrees
    // Text drawn over the photo; a title card's text.
    Caption caption;
    // A title card has no file (filePath is empty): its picture is a
    // gradient from cardTop to cardBottom, drawn at the frame's size.
    bool titleCard = false;
    QColor cardTop;
    QColor cardBottom;

    bool isTitleCard() const { return titleCard; }
};

// One audio clip of the sound track. The renderer also uses it to carry the
// wanted output sound format and clip limits to the audio reader.
struct AudioInfo {
    QString filePath;
    qint32 channels = 0;
    qint32 sampleRate = 0;
    qint32 bitsPerSample = 0;
    double duration = 0.0;
    QString suffix;
    qint64 fileSize = 0;
    QDateTime lastModified;
    double startTime = 0.0;
    double endTime = 0.0;
};

// Output picture geometry and sound format.
struct RenderParam {
    qint32 width = 640;
    qint32 height = 480;
    double frameRate = 25.0;
    double aspectRatio = 4.0 / 3.0;
    qint32 channels = 2;
    qint32 sampleRate = 48000;
    qint32 bitsPerSample = 16;
};

// The album: photos and clips in play order and the timing settings.
struct StoryBoardData {
    QList<ImageInfo> photos;
    QList<AudioInfo> audios;
    QStringList patternFiles;
    qint32 photoMs = 5000;
    double photoSeconds = 5.0;
    qint32 transitionMs = 1500;
    double transitionSeconds = 1.5;
    bool useTransition = true;
    bool dissolveOnly = false;
    bool useZoom = true;
    bool loopAudio = false;
    bool fadeAudio = false;
    // Each clip played at one gain that brings it to a common loudness.
    // A bare record plays its clips as decoded and ends without a fade; a
    // new album of the document turns both on (AlbumContents).
    bool evenLoudness = false;
    // The sound fades out over the last fadeMs of the album; 0: no fade.
    qint32 fadeMs = 0;
    static constexpr qint32 DefaultFadeMs = 2000;
    static constexpr qint32 MaxFadeMs = 60000;
    // Photo changes move to the nearest beat of the music (see placePhotoChanges()).
    bool beatCuts = false;

    // An album without wipe patterns: transitions dissolve.
    StoryBoardData() = default;
    // Lists the wipe patterns "*.wpt" of `patternFolder` (the application's
    // "pattern/" folder), once: the list is not refreshed afterwards.
    explicit StoryBoardData(const QString& patternFolder);

    double photoDuration() const;
    double transitionDuration() const;
    double totalPhotoDuration() const;
    double totalAudioDuration() const;
    QList<AudioInfo> audioList() const;
    bool empty() const;
};

// The decoded sound shared by the renderer's sound thread (producer) and the
// player or compile loop (consumer). `mutex` guards the buffer contents and
// the moves of `length` and `consumed` that belong together; the counters are
// atomics so that the few reads made without the lock stay race-free.
struct SampleDecoding {
    static constexpr int slackBytes = 192000; // room for one decoder call past capacity

    int16_t* samples = nullptr;   // owned, FFmpeg allocator
    std::atomic<int> capacity{0}; // usable bytes
    std::atomic<int> length{0};   // bytes filled
    std::atomic<int> consumed{0}; // bytes taken, from the start of the buffer
    QMutex mutex;

    SampleDecoding() = default;
    ~SampleDecoding();
    SampleDecoding(const SampleDecoding&) = delete;
    SampleDecoding& operator=(const SampleDecoding&) = delete;

    // Replaces the buffer by a zeroed one of capacityBytes + slackBytes;
    // false (and an empty buffer) when it is too large or memory runs out.
    bool allocate(qint64 capacityBytes);
    // Frees the buffer and zeroes the counters.
    void release();
};

enum SortType : qint32 {
    SortByName = 0,
    SortByDate = 1,
    SortByType = 2,
    SortBySize = 3
};

// The sort settings read by lessThan(); each strip sets its own pair right
// before it sorts.
void setPhotoSortOrder(SortType type, bool ascending);
void setAudioSortOrder(SortType type, bool ascending);
SortType photoSortType();
bool photoSortAscending();
SortType audioSortType();
bool audioSortAscending();

bool lessThan(const ImageInfo& a, const ImageInfo& b);
bool lessThan(const AudioInfo& a, const AudioInfo& b);

// The orientation class 0..7 of a list of editing steps (newest first).
int imageTypeOf(const QVector<IMAGEPROC>& procs);

// The editing steps that undo a photo's EXIF orientation: Mirror, Flip, then
// the turn, each only when asked for.
QVector<IMAGEPROC> exifSteps(const ImageInfo& info);

// The slow zoom-and-drift an imported photo gets: from (-25, -12.5, 50) to
// (25, 12.5, 100); bits 0, 1 and 2 of the import counter `index` exchange
// the two x, y and z values, so successive photos move eight ways.
void applyImportZoomPath(ImageInfo& photo, int index);

// (titlecard.cpp) A new title card showing `text` centred on the default gradient, without
// zoom, with its thumbnail drawn.
ImageInfo makeTitleCard(const QString& text);
// Redraws a title card's thumbnails from its colours and text (both the same
// picture: a card is never turned).
void drawCardThumbnail(ImageInfo& card);

Q_DECLARE_METATYPE(ImageInfo)
Q_DECLARE_METATYPE(AudioInfo)
Q_DECLARE_METATYPE(RenderParam)

#endif // STORYBOARD_H
