#include "storyboardrender.h"

#include "beattiming.h"
#include "gldrawer.h"
#include "imagereader.h"
#include "timefunctions.h"
#include "writelog.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

constexpr int kSoundFramesAhead = 256;

// What the picture caches may hold, from the output size: a few frames' worth,
// but never less than the floor, so that a small output keeps enough photos
// for stepping back and forth in the preview, while a 4K one keeps four
// rather than thirty-two 33 MB pictures. One frame needs two photos (a
// transition) and one pattern, so the caches never go below that.
constexpr qint64 kMiB = 1024 * 1024;
constexpr qint64 kPhotoBudgetFloor = 24 * kMiB;
constexpr int kPhotoBudgetFrames = 4;
constexpr int kPhotosPerFrame = 2;
constexpr qint64 kPatternBudgetFloor = 8 * kMiB;
constexpr int kPatternBudgetFrames = 2;
// Each frame asks ahead for at most the next photo and the next pattern.
constexpr int kPrefetchPhotos = 2;
constexpr float kWipeSoftness = 0.1f;
// A clip trimmed to start mid-song comes in over this time rather than with
// a click.
constexpr double kFadeInSeconds = 0.5;
// How often the preview looks whether a clip's loudness has been measured.
constexpr int kGainPollMs = 100;

// Captions kept drawn for the output size: those of a few photos around the
// one on screen, so that stepping back and forth in the preview does not
// draw them again.
constexpr std::size_t kCaptionCacheEntries = 8;

double clamp01(double value) { return std::clamp(value, 0.0, 1.0); }

// Names of cached pictures and captions, unique across every renderer of the
// process: a drawer may be handed pictures by more than one.
std::atomic<quint64> s_lastSerial{0};

// A title card's background as the renderer caches pictures: BGRA, bottom
// row first, opaque.
bool paintCard(const ImageInfo& card, AVPicture& picture, int width, int height)
{
    const QImage background =
        paintCardBackground(card.cardTop, card.cardBottom, QSize(width, height)).convertToFormat(QImage::Format_ARGB32);
    if (background.size() != QSize(width, height) || !picture.data[0])
        return false;
    for (int y = 0; y < height; ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(background.constScanLine(height - 1 - y));
        quint8* target = picture.data[0] + std::ptrdiff_t(y) * picture.linesize[0];
        for (int x = 0; x < width; ++x, target += 4) {
            target[0] = quint8(qBlue(source[x]));
            target[1] = quint8(qGreen(source[x]));
            target[2] = quint8(qRed(source[x]));
            target[3] = 255;
        }
    }
    return true;
}

} // namespace

StoryBoardRender::StoryBoardRender(QObject* parent)
    : QThread(parent)
    , sourceCache(AV_PIX_FMT_BGRA)
    , patternCache(AV_PIX_FMT_GRAY8)
    // Taken here, on the thread that makes the renderer, rather than made
    // by the sound thread.
    , loudnessStore(&LoudnessStore::shared())
{}

StoryBoardRender::~StoryBoardRender()
{
    if (isRunning()) {
        stop();
        wait();
    }
    release();
}

bool StoryBoardRender::init(const RenderParam& param)
{
    release();
    width = param.width;
    height = param.height;
    frameRate = param.frameRate;
    aspectRatio = param.aspectRatio;
    channels = param.channels;
    sampleRate = param.sampleRate;
    bitsPerSample = param.bitsPerSample;
    currentAudio.channels = channels;
    currentAudio.sampleRate = sampleRate;
    currentAudio.bitsPerSample = bitsPerSample;

    const qint64 bitsPerSecond = qint64(channels) * qint64(sampleRate) * qint64(bitsPerSample);
    const double perFrame = frameRate > 0.0 ? std::trunc(double(bitsPerSecond) / frameRate / 8.0) : 0.0;
    // The buffer holds 256 frames of it in an int, so that bounds it too.
    const double largest = double(std::numeric_limits<int>::max() - SampleDecoding::slackBytes) / kSoundFramesAhead;
    bytesPerFrame = int(std::clamp(perFrame, 0.0, largest));
    sound.allocate(qint64(bytesPerFrame) * kSoundFramesAhead);

    const qint64 photoBytes = sourceCache.pictureBytes(width, height);
    const qint64 patternBytes = patternCache.pictureBytes(width, height);
    sourceCache.setBudget(std::max(kPhotoBudgetFloor, kPhotoBudgetFrames * photoBytes), kPhotosPerFrame);
    patternCache.setBudget(std::max(kPatternBudgetFloor, kPatternBudgetFrames * patternBytes), 1);
    prefetcher.setByteLimit(kPrefetchPhotos * photoBytes + patternBytes);

    onStoryBoardDataChanged();
    return true;
}

void StoryBoardRender::setStoryBoard(StoryBoardData* album)
{
    storyBoard = album;
    onStoryBoardDataChanged();
}

void StoryBoardRender::onStoryBoardDataChanged()
{
    if (!storyBoard)
        return;
    totalFrames = secondToFrame(storyBoard->totalPhotoDuration(), frameRate);
    slotFrames = (storyBoard->photoDuration() + storyBoard->transitionDuration()) * frameRate;
    spanFrames = (storyBoard->photoDuration() + 2.0 * storyBoard->transitionDuration()) * frameRate;

    photoStarts.clear();
    aloneFrames.clear();
    if (!storyBoard->beatCuts || storyBoard->photos.size() < 2)
        return;
    const BeatTimingInput input = beatTimingInput(*storyBoard, beatCache);
    const QVector<double> changes = placePhotoChanges(input);
    if (changes == evenPhotoChanges(input))
        return;
    // Each change goes to the frame nearest its beat, so a cut shows on the
    // frame that is closest to the beat rather than the one after it.
    const double F = frameRate;
    const double halfT = storyBoard->transitionDuration() / 2.0 * F;
    const int n = int(storyBoard->photos.size());
    for (int i = 0; i < n; ++i) {
        const double start = i == 0 ? 0.0 : std::round(changes[i - 1] * F) + halfT;
        const double end = i + 1 < n ? std::round(changes[i] * F) - halfT : storyBoard->totalPhotoDuration() * F;
        photoStarts.push_back(start);
        aloneFrames.push_back(end - start);
    }
}

double StoryBoardRender::photoStartFrame(int index) const
{
    if (index >= 0 && std::size_t(index) < photoStarts.size())
        return photoStarts[std::size_t(index)];
    return index * slotFrames;
}

double StoryBoardRender::transitionStartFrame(int index) const
{
    if (index >= 0 && std::size_t(index) < photoStarts.size())
        return photoStarts[std::size_t(index)] + aloneFrames[std::size_t(index)];
    return index * slotFrames + (storyBoard ? storyBoard->photoDuration() * frameRate : 0.0);
}

void StoryBoardRender::release()
{
    prefetcher.clear();
    pictureIndex.clear();
    pictureSerials.clear();
    captionCache.clear();
    captionPaintCount = 0;
    sourceCache.clear();
    patternCache.clear();
    sound.release();
}

RenderParam StoryBoardRender::renderParam() const
{
    RenderParam param;
    param.width = width;
    param.height = height;
    param.frameRate = frameRate;
    param.aspectRatio = aspectRatio;
    param.channels = channels;
    param.sampleRate = sampleRate;
    param.bitsPerSample = bitsPerSample;
    return param;
}

QString StoryBoardRender::sourceKey(const ImageInfo& photo)
{
    // No file path starts with a NUL, so a card never meets a photo's key.
    if (photo.isTitleCard())
        return QChar(0) + QStringLiteral("card %1 %2")
                              .arg(photo.cardTop.name(QColor::HexArgb), photo.cardBottom.name(QColor::HexArgb));
    return QStringLiteral("%1%2").arg(photo.filePath).arg(photo.imageType > 3 ? 1 : 0);
}

QString StoryBoardRender::captionKey(const Caption& caption, QSize frame)
{
    // The text last: whatever it holds cannot run into another field.
    return QStringLiteral("%1x%2 %3 %4,%5 %6 %7 %8 %9|%10|%11")
        .arg(frame.width())
        .arg(frame.height())
        .arg(int(caption.place))
        .arg(caption.point.x(), 0, 'g', 17)
        .arg(caption.point.y(), 0, 'g', 17)
        .arg(caption.size, 0, 'g', 17)
        .arg(int(caption.backdrop))
        .arg(caption.colour.name(QColor::HexArgb))
        .arg(caption.family.size())
        .arg(caption.family, caption.text);
}

const CaptionPicture* StoryBoardRender::GetCaptionPicture(const Caption& caption)
{
    const CaptionEntry* entry = captionEntry(caption);
    return entry ? &entry->picture : nullptr;
}

const StoryBoardRender::CaptionEntry* StoryBoardRender::captionEntry(const Caption& caption)
{
    if (caption.isEmpty() || width <= 0 || height <= 0)
        return nullptr;
    const QSize frame(width, height);
    const QString key = captionKey(caption, frame);
    auto it = captionCache.find(key);
    if (it == captionCache.end()) {
        if (captionCache.size() >= kCaptionCacheEntries) {
            const auto oldest =
                std::min_element(captionCache.begin(), captionCache.end(),
                                 [](const auto& a, const auto& b) { return a.second.lastUse < b.second.lastUse; });
            captionCache.erase(oldest);
        }
        CaptionEntry entry;
        entry.picture = paintCaption(caption, frame);
        entry.serial = ++s_lastSerial;
        ++captionPaintCount;
        it = captionCache.emplace(key, std::move(entry)).first;
    }
    it->second.lastUse = ++captionUses;
    return it->second.picture.isEmpty() ? nullptr : &it->second;
}

void StoryBoardRender::drawCaption(GLDrawer* drawer, const ImageInfo& photo, int overlay, float opacity, qint64& drawNs)
{
    if (opacity <= 0.0f || photo.caption.isEmpty())
        return;
    clock.start();
    const CaptionEntry* caption = captionEntry(photo.caption);
    timings.loadNs += clock.nsecsElapsed();
    if (!caption)
        return;
    clock.start();
    drawer->bindOverlay(overlay, caption->picture.image, caption->serial);
    timings.uploadNs += clock.nsecsElapsed();
    clock.start();
    drawer->drawOverlay(overlay, caption->picture.rect, opacity);
    drawNs += clock.nsecsElapsed();
}

AVPicture* StoryBoardRender::GetCachedPicture(const QString& key)
{
    const auto it = pictureIndex.find(key);
    return it == pictureIndex.end() ? nullptr : it->second;
}

void StoryBoardRender::fillBlack(FrameData& picture) const
{
    // An unreadable photo shows black rather than whatever the buffer held.
    quint8* row = picture.picture.data[0];
    for (int y = 0; y < height; ++y, row += picture.picture.linesize[0]) {
        for (int x = 0; x < width; ++x) {
            row[4 * x] = 0;
            row[4 * x + 1] = 0;
            row[4 * x + 2] = 0;
            row[4 * x + 3] = 255;
        }
    }
}

AVPicture* StoryBoardRender::fetch(PictureCache& cache, const QString& key, const std::function<void(FrameData&)>& read)
{
    if (AVPicture* hit = GetCachedPicture(key))
        return hit;
    QStringList evicted;
    AVPicture* picture = cache.insert(
        key, width, height,
        [&](FrameData& target) {
            if (std::shared_ptr<FrameData> ready = prefetcher.take(key); ready && ready->isAllocated()) {
                const quint32 age = target.age;
                target = std::move(*ready);
                target.age = age;
                return;
            }
            read(target);
        },
        &evicted);
    for (const QString& gone : std::as_const(evicted)) {
        pictureIndex.erase(gone);
        pictureSerials.erase(gone);
    }
    if (picture) {
        pictureIndex[key] = picture;
        pictureSerials[key] = ++s_lastSerial;
    }
    return picture;
}

quint64 StoryBoardRender::pictureSerial(const QString& key) const
{
    const auto it = pictureSerials.find(key);
    return it == pictureSerials.end() ? 0 : it->second;
}

AVPicture* StoryBoardRender::GetSourcePicture(const ImageInfo& photo)
{
    const bool turn = photo.imageType > 3;
    return fetch(sourceCache, sourceKey(photo), [&](FrameData& target) {
        if (photo.isTitleCard()) {
            if (!paintCard(photo, target.picture, width, height))
                fillBlack(target);
            return;
        }
        if (!ImageReader::read(photo.filePath, target.picture, width, height, turn)) {
            // The photo was readable at import; say why it now shows black.
            WriteLog(QStringLiteral("StoryBoardRender: cannot read photo %s, drawn black\n"),
                     photo.filePath.toLocal8Bit().constData());
            fillBlack(target);
        }
    });
}

AVPicture* StoryBoardRender::GetPatternPicture(const QString& path)
{
    return fetch(patternCache, path, [&](FrameData& target) {
        // An unreadable pattern stays all zero: the incoming photo then
        // appears at the very end, like a cut.
        if (!ImageReader::readPattern(path, target.picture, width, height))
            std::memset(target.picture.data[0], 0, std::size_t(target.picture.linesize[0]) * height);
    });
}

void StoryBoardRender::prefetchPhoto(const ImageInfo& photo)
{
    const QString key = sourceKey(photo);
    if (pictureIndex.count(key) || prefetcher.isRequested(key))
        return;
    const int w = width;
    const int h = height;
    if (photo.isTitleCard()) {
        // No file to read, but a 4K gradient is still worth drawing ahead.
        ImageInfo card;
        card.titleCard = true;
        card.cardTop = photo.cardTop;
        card.cardBottom = photo.cardBottom;
        prefetcher.request(key, sourceCache.pictureBytes(w, h), [card, w, h]() -> std::shared_ptr<FrameData> {
            auto picture = std::make_shared<FrameData>();
            if (!picture->allocate(AV_PIX_FMT_BGRA, w, h))
                return nullptr;
            return paintCard(card, picture->picture, w, h) ? picture : nullptr;
        });
        return;
    }
    const QString path = photo.filePath;
    const bool turn = photo.imageType > 3;
    prefetcher.request(key, sourceCache.pictureBytes(w, h), [path, turn, w, h]() -> std::shared_ptr<FrameData> {
        auto picture = std::make_shared<FrameData>();
        if (!picture->allocate(AV_PIX_FMT_BGRA, w, h))
            return nullptr;
        // A failed read is left to the GUI thread, which paints it black.
        return ImageReader::read(path, picture->picture, w, h, turn) ? picture : nullptr;
    });
}

void StoryBoardRender::prefetchPattern(const QString& path)
{
    if (pictureIndex.count(path) || prefetcher.isRequested(path))
        return;
    const int w = width;
    const int h = height;
    prefetcher.request(path, patternCache.pictureBytes(w, h), [path, w, h]() -> std::shared_ptr<FrameData> {
        auto picture = std::make_shared<FrameData>();
        if (!picture->allocate(AV_PIX_FMT_GRAY8, w, h))
            return nullptr;
        return ImageReader::readPattern(path, picture->picture, w, h) ? picture : nullptr;
    });
}

void StoryBoardRender::prefetchAround(int d, bool inTransition)
{
    const QList<ImageInfo>& photos = storyBoard->photos;
    // While photo d is alone, the transition into d + 1 comes next; during
    // that transition, the one after it.
    const int next = inTransition ? d + 2 : d + 1;
    if (next < photos.size())
        prefetchPhoto(photos.at(next));
    const int transition = inTransition ? d + 1 : d;
    if (!storyBoard->dissolveOnly && !storyBoard->patternFiles.isEmpty() && transition + 1 < photos.size() &&
        storyBoard->transitionDuration() > 0.0)
        prefetchPattern(storyBoard->patternFiles.at(transition % storyBoard->patternFiles.size()));
}

void StoryBoardRender::fxData(double t, const ImageInfo& photo, GLTransform& out) const
{
    out = GLTransform();
    if (!storyBoard || !storyBoard->useZoom)
        return;
    out.kind = photo.fxStart.kind;
    const auto lerp = [&](int i) {
        const double a = photo.fxStart.value[i];
        const double b = photo.fxEnd.value[i];
        return a + (b - a) * t;
    };
    const double sx = width / 720.0;
    const double sy = height / 540.0;
    switch (out.kind) {
    case FxTranslate:
        out.value[0] = float(lerp(0) * sx);
        out.value[1] = float(lerp(1) * sy);
        out.value[2] = float(lerp(2) * sx);
        out.value[3] = 0.0f;
        break;
    case FxRotate:
        out.value[0] = float(lerp(0));
        out.value[1] = float(lerp(1) * sx);
        out.value[2] = float(lerp(2) * sy);
        out.value[3] = float(lerp(3) * sx);
        break;
    default: break;
    }
}

void StoryBoardRender::seek(unsigned long frame, bool withAudio, GLDrawer* drawer)
{
    timings = Timings();
    if (withAudio)
        positionAudioReader(frame);
    if (!drawer)
        return;

    clock.start();
    drawer->beginDraw();
    qint64 drawNs = clock.nsecsElapsed();
    const auto finish = [&] {
        clock.start();
        drawer->endDraw();
        timings.drawNs = drawNs + clock.nsecsElapsed();
    };

    if (!storyBoard || storyBoard->photos.isEmpty() || slotFrames <= 0.0 ||
        frame >= secondToFrame(storyBoard->totalPhotoDuration(), frameRate)) {
        finish();
        return;
    }

    const QList<ImageInfo>& photos = storyBoard->photos;
    const int n = int(photos.size());
    const double F = frameRate;
    const double P = storyBoard->photoDuration();
    const double T = storyBoard->transitionDuration();
    const double rawT = storyBoard->transitionSeconds;
    const double N = double(frame);
    int d = 0;
    double s = 0.0;
    // How long photo d is on its own, and the zoom spans of it and the next.
    double alone = P * F;
    double span = spanFrames;
    double nextSpan = spanFrames;
    if (photoStarts.empty()) {
        d = int(std::trunc(N / slotFrames));
        s = std::trunc(N - slotFrames * d);
    } else {
        d = int(std::upper_bound(photoStarts.begin(), photoStarts.end(), N) - photoStarts.begin()) - 1;
        d = std::clamp(d, 0, n - 1);
        s = std::trunc(N - photoStarts[std::size_t(d)]);
        alone = aloneFrames[std::size_t(d)];
        span = alone + 2.0 * T * F;
        if (d + 1 < n)
            nextSpan = aloneFrames[std::size_t(d) + 1] + 2.0 * T * F;
    }

    const auto timed = [&](qint64& bucket, auto&& work) {
        clock.start();
        work();
        bucket += clock.nsecsElapsed();
    };

    if (s < alone) {
        if (d <= n - 1) {
            const ImageInfo& photo = photos.at(d);
            AVPicture* picture = nullptr;
            timed(timings.loadNs, [&] { picture = GetSourcePicture(photo); });
            if (picture) {
                timed(timings.uploadNs,
                      [&] { drawer->bindFrame(0, picture->data[0], pictureSerial(sourceKey(photo))); });
                GLTransform fx;
                fxData((T * F + s + 0.5) / span, photo, fx);
                timed(drawNs, [&] { drawer->drawFrame(0, photo.imageType, &fx); });
                // Each photo's caption keeps an overlay of its own (by the
                // parity of its place), so a transition moves none.
                drawCaption(drawer, photo, d % 2, 1.0f, drawNs);
            }
            prefetchAround(d, false);
        }
    } else if (d <= n - 2) {
        const ImageInfo& outgoing = photos.at(d);
        const ImageInfo& incoming = photos.at(d + 1);
        AVPicture* first = nullptr;
        AVPicture* second = nullptr;
        timed(timings.loadNs, [&] {
            first = GetSourcePicture(outgoing);
            second = GetSourcePicture(incoming);
        });
        // The second fetch may have evicted the first from a tiny cache;
        // look it up again rather than use a reused buffer.
        first = GetCachedPicture(sourceKey(outgoing));
        const double h = rawT > 0.0 ? clamp01((s - alone) / (F * rawT)) : 1.0;

        if (first && second) {
            const QStringList& patterns = storyBoard->patternFiles;
            if (storyBoard->dissolveOnly || patterns.isEmpty()) {
                timed(timings.uploadNs, [&] {
                    drawer->bindFrame(0, first->data[0], pictureSerial(sourceKey(outgoing)));
                    drawer->bindDissolveFrame(1, float(h), second->data[0]);
                });
            } else {
                AVPicture* pattern = nullptr;
                timed(timings.loadNs, [&] { pattern = GetPatternPicture(patterns.at(d % patterns.size())); });
                timed(timings.uploadNs, [&] {
                    drawer->bindFrame(0, first->data[0], pictureSerial(sourceKey(outgoing)));
                    if (pattern)
                        drawer->bindWipeFrame(1, float(1.0 - h), kWipeSoftness, pattern->data[0], second->data[0]);
                    else
                        drawer->bindDissolveFrame(1, float(h), second->data[0]);
                });
            }
            GLTransform fx1;
            fxData(clamp01((T * F + s + 0.5) / span), outgoing, fx1);
            GLTransform fx2;
            fxData(clamp01((s - alone + 0.5) / nextSpan), incoming, fx2);
            timed(drawNs, [&] {
                drawer->drawFrame(0, outgoing.imageType, &fx1);
                drawer->drawFrame(1, incoming.imageType, &fx2);
            });
            // Captions cross-fade whatever the transition: a wiped caption
            // would show half a word. A caption both photos share stays
            // as it is: two half-faded copies would dim it mid-way.
            if (outgoing.caption == incoming.caption) {
                drawCaption(drawer, outgoing, d % 2, 1.0f, drawNs);
            } else {
                drawCaption(drawer, outgoing, d % 2, float(1.0 - h), drawNs);
                drawCaption(drawer, incoming, (d + 1) % 2, float(h), drawNs);
            }
        }
        prefetchAround(d, true);
    }
    finish();
}

void StoryBoardRender::start()
{
    sound.length = 0;
    sound.consumed = 0;
    producedSinceLoop = 0;
    QThread::start(QThread::InheritPriority);
}

void StoryBoardRender::stop() { stopSemaphore.release(1); }

void StoryBoardRender::run()
{
    // Tokens left over from earlier stops do not end this run.
    stopSemaphore.tryAcquire(stopSemaphore.available());
    for (;;) {
        if (stopSemaphore.tryAcquire(1))
            return;
        if (!renderAudio()) {
            // Buffer full: wait for the consumer without spinning a core,
            // waking at once on a stop request.
            if (stopSemaphore.tryAcquire(1, 2))
                return;
        }
    }
}

void StoryBoardRender::openClip(int index)
{
    const AudioInfo& clip = storyBoard->audios.at(index);
    currentAudio.startTime = clip.startTime;
    currentAudio.endTime = clip.endTime;
    reader.open(clip.filePath, currentAudio);
    reader.seek(clip.startTime);
    audioIndex = index + 1;
    beginClipShaping(clip, 0.0);
}

void StoryBoardRender::beginClipShaping(const AudioInfo& clip, double offset)
{
    clipSample = qint64(std::llround(std::max(offset, 0.0) * sampleRate));
    // Fades belong together: an album without the fade-out (fadeMs 0)
    // plays its clips exactly as decoded.
    const bool fades = storyBoard && storyBoard->fadeMs > 0;
    fadeInSamples = fades && clip.startTime > 0.0 ? qint64(std::llround(kFadeInSeconds * sampleRate)) : 0;
    gain = 1.0;
    gainPath = clip.filePath;
    gainPending = storyBoard && storyBoard->evenLoudness;
    gainRequested = false;
    gainPoll.invalidate();
}

void StoryBoardRender::resolveGain()
{
    LoudnessStore& store = *loudnessStore;
    std::optional<LoudnessMeasure> measure;
    if (waitForLoudness) {
        // A stop request ends the measurement; the clip then plays as it is.
        measure = store.measureNow(gainPath, [this](double) { return stopSemaphore.available() == 0; });
        gainPending = false;
    } else {
        if (gainPoll.isValid() && gainPoll.elapsed() < kGainPollMs)
            return;
        gainPoll.start();
        measure = store.find(gainPath);
        if (!measure && !gainRequested) {
            store.request({gainPath});
            gainRequested = true;
        }
        gainPending = !measure;
    }
    if (measure)
        gain = Loudness::gainFactor(*measure);
}

void StoryBoardRender::shapeSound(int from, int to)
{
    const int frameBytes = channels * int(sizeof(int16_t));
    if (!storyBoard || frameBytes <= 0 || to <= from)
        return;
    const qint64 count = (to - from) / frameBytes;
    const double fadeOutSamples = storyBoard->fadeMs > 0 ? storyBoard->fadeMs * (sampleRate / 1000.0) : 0.0;
    // The consumer takes bytesPerFrame per video frame, so the album's
    // sound ends where its last frame's share does.
    const double endSample = double(totalFrames) * bytesPerFrame / frameBytes;
    const bool fadingIn = clipSample < fadeInSamples;
    const bool fadingOut = fadeOutSamples > 0.0 && double(trackSample + count) > endSample - fadeOutSamples;
    if (gain != 1.0 || fadingIn || fadingOut) {
        int16_t* sample = sound.samples + from / int(sizeof(int16_t));
        for (qint64 i = 0; i < count; ++i, sample += channels) {
            double factor = gain;
            if (clipSample + i < fadeInSamples)
                factor *= double(clipSample + i) / double(fadeInSamples);
            if (fadeOutSamples > 0.0) {
                const double left = endSample - double(trackSample + i);
                if (left < fadeOutSamples)
                    factor *= std::max(left, 0.0) / fadeOutSamples;
            }
            for (int c = 0; c < channels; ++c) {
                const long value = std::lrint(sample[c] * factor);
                sample[c] = int16_t(
                    std::clamp<long>(value, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max()));
            }
        }
    }
    clipSample += count;
    trackSample += count;
}

bool StoryBoardRender::renderAudio()
{
    // Outside the lock: a measurement takes a while.
    if (gainPending)
        resolveGain();
    if (!sound.mutex.tryLock()) {
        QThread::msleep(1);
        return true;
    }
    bool worked = false;
    const int room = bytesPerFrame * kSoundFramesAhead;
    if (sound.samples && sound.length < room) {
        worked = true;
        const int clipCount = storyBoard ? int(storyBoard->audios.size()) : 0;
        if (clipCount == 0 || audioIndex > clipCount) {
            char* bytes = reinterpret_cast<char*>(sound.samples);
            std::memset(bytes + sound.length, 0, std::size_t(sound.capacity - sound.length));
            if (channels > 0)
                trackSample += (sound.capacity - sound.length) / (channels * qint64(sizeof(int16_t)));
            sound.length = int(sound.capacity);
        } else {
            const int before = sound.length;
            reader.decodeAudio(sound, bytesPerFrame);
            shapeSound(before, sound.length);
            producedSinceLoop += sound.length - before;
            if (reader.endOfStream) {
                if (audioIndex < clipCount) {
                    openClip(audioIndex);
                } else if (storyBoard->loopAudio && producedSinceLoop > 0) {
                    producedSinceLoop = 0;
                    openClip(0);
                } else {
                    // End of the track (or a loop of clips that give no
                    // sound at all): silence from here on.
                    audioIndex = clipCount + 1;
                }
            }
        }
    }
    sound.mutex.unlock();
    return worked;
}

void StoryBoardRender::positionAudioReader(unsigned long frame)
{
    if (!storyBoard || storyBoard->audios.isEmpty())
        return;
    audioIndex = std::numeric_limits<int>::max();
    producedSinceLoop = 0;
    if (channels > 0)
        trackSample = qint64(frame) * bytesPerFrame / (channels * qint64(sizeof(int16_t)));

    const QList<AudioInfo>& clips = storyBoard->audios;
    std::vector<quint64> lengths;
    quint64 total = 0;
    for (const AudioInfo& clip : clips) {
        lengths.push_back(secondToFrame(clip.endTime - clip.startTime, frameRate));
        total += lengths.back();
    }
    quint64 target = frame;
    if (storyBoard->loopAudio) {
        // Walking the loop round and round ends at the same clip as walking
        // it once from the position within one round.
        if (total == 0)
            return;
        target %= total;
    }
    quint64 start = 0;
    for (int i = 0; i < clips.size(); ++i) {
        if (target >= start && target < start + lengths[std::size_t(i)]) {
            const AudioInfo& clip = clips.at(i);
            currentAudio.startTime = clip.startTime;
            currentAudio.endTime = clip.endTime;
            reader.open(clip.filePath, currentAudio);
            const double offset = frameToSecond((unsigned long)(target - start), frameRate);
            reader.seek(clip.startTime + offset);
            audioIndex = i + 1;
            beginClipShaping(clip, offset);
            return;
        }
        start += lengths[std::size_t(i)];
    }
}

bool StoryBoardRender::takeSound(int& carry, const SoundSink& sink)
{
    for (;;) {
        if (!sound.mutex.tryLock()) {
            QThread::yieldCurrentThread();
            continue;
        }
        const int length = sound.length;
        const int consumed = sound.consumed;
        // The carry can make a chunk up to 3 bytes longer than bytesPerFrame;
        // wait for those too rather than hand out bytes past `length`.
        const int n = bytesPerFrame + carry;
        if (length - consumed >= n && sound.samples) {
            carry = n % 4;
            const int bytes = n - carry;
            sink(reinterpret_cast<const char*>(sound.samples) + consumed, bytes);
            sound.consumed = consumed + bytes;
            if (sound.consumed == sound.length) {
                sound.consumed = 0;
                sound.length = 0;
            }
            sound.mutex.unlock();
            return true;
        }
        if (length >= n && consumed > 0) {
            char* bytes = reinterpret_cast<char*>(sound.samples);
            std::memmove(bytes, bytes + consumed, std::size_t(length - consumed));
            sound.length = length - consumed;
            sound.consumed = 0;
        }
        sound.mutex.unlock();
        if (!isRunning())
            return false;
        QThread::yieldCurrentThread();
    }
}
