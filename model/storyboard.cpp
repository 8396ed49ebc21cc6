#include "storyboard.h"

#include "logcategories.h"

#include <QDebug>
#include <QDir>
#include <QTransform>

#include <cmath>
#include <limits>
#include <utility>

extern "C" {
#include <libavutil/mem.h>
}

StoryBoardData::StoryBoardData(const QString& patternFolder)
{
    if (patternFolder.isEmpty())
        return; // QDir would list the working folder
    const QDir patterns(patternFolder);
    const QFileInfoList entries =
        patterns.entryInfoList({QStringLiteral("*.wpt")}, QDir::Files | QDir::Readable, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& entry : entries)
        patternFiles.append(entry.absoluteFilePath());
}

double StoryBoardData::photoDuration() const { return photoSeconds; }

double StoryBoardData::transitionDuration() const { return useTransition ? transitionSeconds : 0.0; }

double StoryBoardData::totalPhotoDuration() const
{
    const qsizetype n = photos.size();
    if (n == 0)
        return 0.0;
    double total = double(n) * photoSeconds;
    if (useTransition)
        total += double(n - 1) * transitionSeconds;
    return total;
}

double StoryBoardData::totalAudioDuration() const
{
    double total = 0.0;
    for (const AudioInfo& clip : audios)
        total += clip.endTime - clip.startTime;
    return total;
}

QList<AudioInfo> StoryBoardData::audioList() const { return audios; }

bool StoryBoardData::empty() const { return photos.isEmpty() && audios.isEmpty(); }

SampleDecoding::~SampleDecoding() { release(); }

bool SampleDecoding::allocate(qint64 capacityBytes)
{
    release();
    if (capacityBytes < 0 || capacityBytes > std::numeric_limits<int>::max() - slackBytes)
        return false;
    samples = static_cast<int16_t*>(av_mallocz(std::size_t(capacityBytes) + slackBytes));
    if (!samples)
        return false;
    capacity = int(capacityBytes);
    return true;
}

void SampleDecoding::release()
{
    av_freep(&samples);
    capacity = 0;
    length = 0;
    consumed = 0;
}

namespace {

struct SortOrder {
    SortType type = SortByName;
    bool ascending = true;
};

// Written and read on the GUI thread only, by a strip around its sort call.
SortOrder photoOrder;
SortOrder audioOrder;

template <typename Info>
bool compareBy(const SortOrder& order, const Info& a, const Info& b)
{
    const Info& first = order.ascending ? a : b;
    const Info& second = order.ascending ? b : a;
    switch (order.type) {
    case SortByName: return first.filePath < second.filePath;
    case SortByDate: return first.lastModified < second.lastModified;
    case SortByType: return first.suffix < second.suffix;
    case SortBySize: return first.fileSize < second.fileSize;
    }
    return false;
}

bool closeTo(qreal value, qreal target) { return std::abs(value - target) < 0.0001; }

} // namespace

void setPhotoSortOrder(SortType type, bool ascending) { photoOrder = {type, ascending}; }

void setAudioSortOrder(SortType type, bool ascending) { audioOrder = {type, ascending}; }

SortType photoSortType() { return photoOrder.type; }

bool photoSortAscending() { return photoOrder.ascending; }

SortType audioSortType() { return audioOrder.type; }

bool audioSortAscending() { return audioOrder.ascending; }

bool lessThan(const ImageInfo& a, const ImageInfo& b) { return compareBy(photoOrder, a, b); }

bool lessThan(const AudioInfo& a, const AudioInfo& b) { return compareBy(audioOrder, a, b); }

int imageTypeOf(const QVector<IMAGEPROC>& procs)
{
    QTransform transform;
    for (IMAGEPROC step : procs) {
        switch (step) {
        case Mirror: transform.rotate(180, Qt::YAxis); break;
        case Flip: transform.rotate(180, Qt::XAxis); break;
        case TurnLeft: transform.rotate(90); break;
        case TurnRight: transform.rotate(-90); break;
        }
    }
    const qreal m11 = transform.m11(), m12 = transform.m12();
    const qreal m21 = transform.m21(), m22 = transform.m22();
    if (closeTo(m11, 1) && closeTo(m22, 1))
        return 0;
    if (closeTo(m11, 1) && closeTo(m22, -1))
        return 1;
    if (closeTo(m11, -1) && closeTo(m22, 1))
        return 2;
    if (closeTo(m11, -1) && closeTo(m22, -1))
        return 3;
    if (closeTo(m12, 1) && closeTo(m21, 1))
        return 4;
    if (closeTo(m12, 1) && closeTo(m21, -1))
        return 5;
    if (closeTo(m12, -1) && closeTo(m21, 1))
        return 6;
    if (closeTo(m12, -1) && closeTo(m21, -1))
        return 7;
    qCDebug(lcImport) << "I Don't think this will happen!";
    return 0;
}

QVector<IMAGEPROC> exifSteps(const ImageInfo& info)
{
    QVector<IMAGEPROC> steps;
    if (info.exifMirror)
        steps.append(Mirror);
    if (info.exifFlip)
        steps.append(Flip);
    if (info.exifRotation == -90)
        steps.append(TurnLeft);
    else if (info.exifRotation == 90)
        steps.append(TurnRight);
    return steps;
}

void applyImportZoomPath(ImageInfo& photo, int index)
{
    photo.fxStart = {FxTranslate, {-25.0f, -12.5f, 50.0f, 0.0f}};
    photo.fxEnd = {FxTranslate, {25.0f, 12.5f, 100.0f, 0.0f}};
    for (int bit = 0; bit < 3; ++bit) {
        if (index & (1 << bit))
            std::swap(photo.fxStart.value[bit], photo.fxEnd.value[bit]);
    }
}
