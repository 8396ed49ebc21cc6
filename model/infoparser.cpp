#include "infoparser.h"

#include "audioreader.h"
#include "ffmpegptr.h"
#include "imagereader.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMutexLocker>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <deque>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

// The file opened and its streams probed, local files only (as the audio
// reader opens them); null when FFmpeg cannot read it.
InputContextPtr openMedia(const QString& path)
{
    const QByteArray url = "file:" + QFileInfo(path).absoluteFilePath().toUtf8();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* opened = nullptr;
    const int ret = avformat_open_input(&opened, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (ret < 0)
        return {};
    InputContextPtr context(opened);
    if (avformat_find_stream_info(context.get(), nullptr) < 0)
        return {};
    return context;
}

enum class SoundCheck {
    NotReadable,
    NoSound,
    NoDecoder,
    HasSound
};

// What FFmpeg makes of a file the audio reader refused: not a container it
// knows, a container without sound (a video-only ".m4a"), sound in a codec
// without a decoder, or sound that is there but does not decode.
SoundCheck checkSound(const QString& path)
{
    const InputContextPtr context = openMedia(path);
    if (!context)
        return SoundCheck::NotReadable;
    const int found = av_find_best_stream(context.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (found == AVERROR_STREAM_NOT_FOUND)
        return SoundCheck::NoSound;
    if (found == AVERROR_DECODER_NOT_FOUND)
        return SoundCheck::NoDecoder;
    return found < 0 ? SoundCheck::NotReadable : SoundCheck::HasSound;
}

// The seconds of sound a file really holds, from the time stamps of its
// packets (read, not decoded, so a long file costs little), and in
// `claimed` the length its headers tell (not one the demuxer guessed); -1
// when either cannot be told.
double soundPresent(const QString& path, double* claimed)
{
    *claimed = -1.0;
    const InputContextPtr context = openMedia(path);
    if (!context)
        return -1.0;
    const int index = av_find_best_stream(context.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (index < 0)
        return -1.0;
    const AVStream* stream = context->streams[index];
    const double timeBase = av_q2d(stream->time_base);
    *claimed = AudioReader::claimedDuration(context.get(), index);
    // Without a claim there is nothing to hold the sound against.
    if (*claimed <= 0.0)
        return -1.0;
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    const PacketPtr packet(av_packet_alloc());
    if (!packet)
        return -1.0;
    int64_t end = -1;
    while (av_read_frame(context.get(), packet.get()) >= 0) {
        if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE)
            end = std::max(end, packet->pts + std::max<int64_t>(packet->duration, 0) - start);
        av_packet_unref(packet.get());
    }
    return end < 0 ? -1.0 : double(end) * timeBase;
}

// The lanes take every processor, and the GUI thread that shows what they
// found must still answer at once: they give way to it. Qt's thread
// priorities do that where the system has them; Linux gives every ordinary
// thread the same share whatever its Qt priority, and only a higher nice
// value (which is per thread there) lets a lane give way.
constexpr int LaneNiceness = 5;

void giveWayToTheGui()
{
#ifdef Q_OS_LINUX
    static thread_local const bool done = [] {
        const auto thread = id_t(::syscall(SYS_gettid));
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, thread);
        if (errno == 0)
            ::setpriority(PRIO_PROCESS, thread, std::min(nice + LaneNiceness, 19));
        return true;
    }();
    (void)done;
#endif
}

// Headers of a file cut short (an interrupted copy or download) still
// promise the whole length; such a clip would play silence or end early
// against an album timed to the promise.
constexpr double MissingShare = 0.05;
constexpr double MissingSecondsAllowed = 0.5;

} // namespace

InfoParser::InfoParser(const QStringList& files, bool isImage, QObject* parent)
    : QThread(parent)
    , isImage(isImage)
    , files(files)
{}

InfoParser::~InfoParser()
{
    stop();
    wait();
}

void InfoParser::stop()
{
    // A stop asked before the thread has run is kept for it: a dialog torn
    // down right after starting an import must not wait for the whole list.
    if (!isFinished())
        stopRequest.release();
}

InfoParser::Probe InfoParser::probe(const QString& path, bool isImage)
{
    giveWayToTheGui();
    Probe result;
    if (isImage) {
        result.image.filePath = path;
        result.ok = ImageReader::parse(result.image);
        if (!result.ok)
            result.reason = failureReason(path, true);
    } else {
        result.clip.filePath = path;
        result.reason = probeSound(result.clip);
        result.ok = result.reason.isEmpty();
    }
    return result;
}

QString InfoParser::probeSound(AudioInfo& clip)
{
    AudioInfo probed;
    probed.filePath = clip.filePath;
    if (!AudioReader::parse(probed))
        return failureReason(clip.filePath, false);
    QString reason = soundCutShortReason(clip.filePath);
    if (reason.isEmpty())
        clip = probed;
    return reason;
}

void InfoParser::run()
{
    parsedCount.store(0, std::memory_order_release);
    parse();
    // Whatever stop requests are left belong to this run, not to a next one.
    stopRequest.tryAcquire(stopRequest.available());
}

void InfoParser::parse()
{
    // Large photos take most of their time in the JPEG decoder, so files are
    // probed on as many lanes as there are processors, and the results are
    // still published strictly in the order of the list.
    QThreadPool pool;
    const int lanes = std::clamp(QThread::idealThreadCount(), 1, MaxLanes);
    pool.setMaxThreadCount(lanes);
    pool.setThreadPriority(QThread::LowPriority);
    std::deque<QFuture<Probe>> inFlight;
    int next = 0;
    for (int done = 0; done < files.size(); ++done) {
        while (next < files.size() && int(inFlight.size()) < lanes) {
            if (stopRequest.tryAcquire()) {
                // Files already being probed finish (they cannot be
                // interrupted) and are dropped.
                for (QFuture<Probe>& running : inFlight)
                    running.waitForFinished();
                return;
            }
            inFlight.push_back(QtConcurrent::run(&pool, &InfoParser::probe, files.at(next), isImage));
            ++next;
        }
        const Probe result = inFlight.front().result();
        inFlight.pop_front();
        {
            QMutexLocker lock(&mutex);
            if (result.ok && isImage)
                images.append(result.image);
            else if (result.ok)
                clips.append(result.clip);
            else
                failed.append({files.at(done), result.reason});
        }
        parsedCount.store(done + 1, std::memory_order_release);
    }
}

QStringList InfoParser::failedFileList() const
{
    QMutexLocker lock(&mutex);
    QStringList paths;
    for (const Failure& failure : failed)
        paths << failure.path;
    return paths;
}

QList<InfoParser::Failure> InfoParser::failures() const
{
    QMutexLocker lock(&mutex);
    return failed;
}

QList<ImageInfo> InfoParser::succeededImageList()
{
    QMutexLocker lock(&mutex);
    return std::exchange(images, {});
}

QList<AudioInfo> InfoParser::succeededAudioList()
{
    QMutexLocker lock(&mutex);
    return std::exchange(clips, {});
}

QString InfoParser::soundCutShortReason(const QString& path)
{
    double claimed = -1.0;
    const double present = soundPresent(path, &claimed);
    if (present < 0.0 || claimed <= 0.0)
        return {};
    const double missing = claimed - present;
    if (missing <= MissingSecondsAllowed || missing <= claimed * MissingShare)
        return {};
    return tr("The sound is cut short: %1 of its %2 seconds are there.")
        .arg(present, 0, 'f', 1)
        .arg(claimed, 0, 'f', 1);
}

QString InfoParser::failureReason(const QString& path, bool isImage)
{
    const QFileInfo file(path);
    if (!file.exists())
        return tr("The file no longer exists.");
    if (file.isDir())
        return tr("It is a folder, not a file.");
    if (!file.isFile())
        return tr("It is not an ordinary file.");
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return tr("The file cannot be opened.");
    if (probe.size() == 0)
        return tr("The file is empty.");
    probe.close();

    if (isImage) {
        QImageReader reader(path);
        reader.setDecideFormatFromContent(true);
        if (!reader.canRead())
            return tr("It is not a photo in a format this program reads.");
        const QSize size = reader.size();
        const qint64 limitMb = QImageReader::allocationLimit();
        if (size.isValid() && limitMb > 0 && qint64(size.width()) * size.height() * 4 > limitMb * 1024 * 1024)
            return tr("The photo is too large (%1 x %2 pixels).").arg(size.width()).arg(size.height());
        return tr("The photo is damaged or cut short.");
    }
    switch (checkSound(path)) {
    case SoundCheck::NotReadable: return tr("It is not a sound file this program reads.");
    case SoundCheck::NoSound: return tr("It holds no sound.");
    case SoundCheck::NoDecoder: return tr("Its sound is in a format this program cannot play.");
    case SoundCheck::HasSound: break;
    }
    return tr("The sound is damaged or cut short.");
}
