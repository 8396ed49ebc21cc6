#include "audioreader.h"

#include <QFileInfo>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

// swresample keeps no more than this many channels.
constexpr int MaxChannels = 64;
constexpr int OutputBytesPerSample = 2;

// A seek starts decoding this many seconds early: decoders need a few
// packets to settle (MP3's bit reservoir, Opus's pre-roll, the overlap of
// Vorbis and AAC), and what comes out before the position is dropped.
constexpr double SeekPreroll = 0.25;
// How far back a second attempt goes when a demuxer overshoots.
constexpr double SeekFallback = 2.0;
// A first frame further than this past the position has time stamps that
// cannot be trusted; it is played from the position instead.
constexpr double MaxLeadingSilence = 10.0;

// Demuxer packets read by parse() before a file whose stream never yields a
// decoded frame is given up.
constexpr int ProbePacketLimit = 2000;

QString ffmpegError(const QString& step, int code) { return QStringLiteral("%1: %2").arg(step, ffmpegErrorText(code)); }

double seconds(int64_t timestamp, AVRational timeBase) { return double(timestamp) * timeBase.num / timeBase.den; }

} // namespace

bool AudioReader::Source::open(const QString& path)
{
    const QFileInfo file(path);
    // Only regular files: a FIFO or device would block the probe.
    if (!file.isFile()) {
        error = QStringLiteral("%1: no such file").arg(path);
        return false;
    }
    // The "file:" prefix keeps a colon in the name from being read as a
    // protocol; the white-list keeps playlists and references inside a file
    // from reaching anything but local files.
    const QByteArray url = "file:" + file.absoluteFilePath().toUtf8();
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    AVFormatContext* context = nullptr;
    int ret = avformat_open_input(&context, url.constData(), nullptr, &options);
    av_dict_free(&options);
    if (ret < 0) {
        error = ffmpegError(path, ret);
        return false;
    }
    format.reset(context);
    ret = avformat_find_stream_info(context, nullptr);
    if (ret < 0) {
        error = ffmpegError(path, ret);
        return false;
    }
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream* candidate = context->streams[i];
        const AVCodecParameters* parameters = candidate->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        const AVCodec* decoder = avcodec_find_decoder(parameters->codec_id);
        if (!decoder)
            continue;
        CodecContextPtr decoding(avcodec_alloc_context3(decoder));
        if (!decoding || avcodec_parameters_to_context(decoding.get(), parameters) < 0)
            continue;
        decoding->pkt_timebase = candidate->time_base;
        if (avcodec_open2(decoding.get(), decoder, nullptr) < 0)
            continue;
        if (decoding->sample_rate <= 0 || decoding->ch_layout.nb_channels <= 0)
            continue;
        codec = std::move(decoding);
        stream = int(i);
        return true;
    }
    error = QStringLiteral("%1: no decodable audio stream").arg(path);
    return false;
}

AudioReader::AudioReader() = default;

AudioReader::~AudioReader() { close(); }

bool AudioReader::parse(AudioInfo& info)
{
    Source source;
    if (!source.open(info.filePath))
        return false;
    AVFormatContext* format = source.format.get();
    const AVStream* stream = format->streams[source.stream];

    AudioInfo result = info;
    result.bitsPerSample = 16;
    result.channels = source.codec->ch_layout.nb_channels;
    result.sampleRate = source.codec->sample_rate;
    result.duration = std::max(claimedDuration(format, source.stream), 0.0);

    // A header that fits is not enough: garbage can look like an MPEG audio
    // stream, and a file may stop right after its header. Only a file that
    // yields sound is taken. A file whose headers tell no length, or only a
    // guessed one, is measured by its packets on the same pass (demuxed, not
    // decoded, so a long file costs little).
    const bool measure = result.duration < 0.001;
    const int64_t start = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    int64_t packetTime = 0, lastEnd = 0;
    bool decoded = false;
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    if (!packet || !frame)
        return false;
    for (int read = 0; (measure || !decoded) && (decoded || read < ProbePacketLimit); ++read) {
        av_packet_unref(packet.get());
        if (av_read_frame(format, packet.get()) < 0)
            break;
        if (packet->stream_index != source.stream)
            continue;
        if (measure) {
            packetTime += std::max<int64_t>(packet->duration, 0);
            if (packet->pts != AV_NOPTS_VALUE)
                lastEnd = std::max(lastEnd, packet->pts + std::max<int64_t>(packet->duration, 0) - start);
        }
        if (decoded || avcodec_send_packet(source.codec.get(), packet.get()) < 0)
            continue;
        while (avcodec_receive_frame(source.codec.get(), frame.get()) >= 0) {
            decoded = decoded || frame->nb_samples > 0;
            av_frame_unref(frame.get());
        }
    }
    if (!decoded && avcodec_send_packet(source.codec.get(), nullptr) >= 0) {
        while (avcodec_receive_frame(source.codec.get(), frame.get()) >= 0) {
            decoded = decoded || frame->nb_samples > 0;
            av_frame_unref(frame.get());
        }
    }
    if (!decoded)
        return false;
    if (measure)
        result.duration = seconds(std::max(packetTime, lastEnd), stream->time_base);

    result.startTime = 0.0;
    result.endTime = result.duration;
    const QFileInfo file(info.filePath);
    result.suffix = file.suffix();
    result.fileSize = file.size();
    result.lastModified = file.lastModified();
    info = result;
    return true;
}

bool AudioReader::open(const QString& path, const AudioInfo& wantedFormat)
{
    close();
    wanted = wantedFormat;
    if (wanted.channels < 1 || wanted.channels > MaxChannels || wanted.sampleRate < 1) {
        error = QStringLiteral("Unsupported output sound format: %1 channels at %2 Hz")
                    .arg(wanted.channels)
                    .arg(wanted.sampleRate);
        return false;
    }
    Source source;
    if (!source.open(path)) {
        error = source.error;
        return false;
    }
    packet.reset(av_packet_alloc());
    frame.reset(av_frame_alloc());
    if (!packet || !frame) {
        error = ffmpegError(path, AVERROR(ENOMEM));
        packet.reset();
        frame.reset();
        return false;
    }
    formatContext = std::move(source.format);
    codecContext = std::move(source.codec);
    streamIndex = source.stream;
    const AVStream* stream = formatContext->streams[streamIndex];
    streamStart = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    filePath = path;
    atStart = true;
    return true;
}

void AudioReader::seek(double position)
{
    endOfStream = false;
    if (!formatContext) {
        endOfStream = true;
        return;
    }
    seekTarget = std::max(position, 0.0);
    seekRetries = 0;
    reposition(seekTarget - SeekPreroll);
}

void AudioReader::decodeAudio(SampleDecoding& out, int bytesPerFrame)
{
    if (!formatContext) {
        endOfStream = true;
        return;
    }
    if (endOfStream || !out.samples)
        return;
    const qint64 target = std::min(qint64(std::max(bytesPerFrame, 0)) * 256, qint64(out.capacity));
    const qint64 end = qint64(out.capacity) + SampleDecoding::slackBytes;
    while (out.length < target && !endOfStream) {
        if (frameOffset < frame->nb_samples) {
            deliver(out, end);
        } else if (nextFrame()) {
            continue;
        } else if (seekTarget > 0.0 && seekRetries < 2 && !endOfStream && seekTarget < knownDuration()) {
            // The file ended before the position although it should be
            // longer: a demuxer misled by broken time stamps seeked into the
            // wrong place. Decode from the beginning and drop everything
            // before the position instead.
            seekRetries = 2;
            reposition(0.0);
        } else {
            finish(out, end);
        }
    }
}

void AudioReader::close()
{
    resampler.reset();
    resamplerFormat = AV_SAMPLE_FMT_NONE;
    resamplerRate = 0;
    av_channel_layout_uninit(&resamplerLayout.layout);
    frame.reset();
    packet.reset();
    codecContext.reset();
    formatContext.reset();
    streamIndex = -1;
    frameOffset = 0;
    silenceFrames = 0;
    endOfStream = false;
    streamStart = 0;
    frameTime = 0.0;
    nextFrameTime = -1.0;
    seekTarget = -1.0;
    seekRetries = 0;
    draining = false;
    atStart = false;
    filePath.clear();
    wanted = AudioInfo();
    error.clear();
}

// Moves the demuxer to a packet at or before `from` (clip time) and empties
// the decoder. Where the demuxer cannot seek, decoding starts over from the
// beginning, which is slow but lands right.
void AudioReader::reposition(double from)
{
    bool moved = false;
    if (from > 0.0) {
        const AVStream* stream = formatContext->streams[streamIndex];
        const double offset = std::floor(from * stream->time_base.den / stream->time_base.num);
        const int64_t timestamp =
            streamStart + int64_t(std::min(offset, double(std::numeric_limits<int64_t>::max() / 2)));
        // Even a failed attempt may have moved the read position.
        atStart = false;
        moved = av_seek_frame(formatContext.get(), streamIndex, timestamp, AVSEEK_FLAG_BACKWARD) >= 0 ||
                av_seek_frame(formatContext.get(), streamIndex, timestamp, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) >= 0;
    }
    if (!moved && !rewind()) {
        endOfStream = true;
        return;
    }
    avcodec_flush_buffers(codecContext.get());
    av_packet_unref(packet.get());
    av_frame_unref(frame.get());
    frameOffset = 0;
    silenceFrames = 0;
    resampler.reset();
    draining = false;
    nextFrameTime = -1.0;
}

// Back to the first packet. Seeking to the start goes wrong in files whose
// time stamps are missing or stand still, so the file is opened afresh
// instead, unless nothing has been read since it was opened. The decoder
// is taken afresh too, in case the file was replaced meanwhile.
bool AudioReader::rewind()
{
    if (atStart)
        return true;
    Source source;
    if (!source.open(filePath) || source.stream != streamIndex)
        return false;
    formatContext = std::move(source.format);
    codecContext = std::move(source.codec);
    const AVStream* stream = formatContext->streams[streamIndex];
    streamStart = stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0;
    atStart = true;
    return true;
}

double AudioReader::claimedDuration(const AVFormatContext* format, int index)
{
    if (!format || index < 0 || unsigned(index) >= format->nb_streams ||
        format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
        return -1.0;
    const AVStream* stream = format->streams[index];
    if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
        return seconds(stream->duration, stream->time_base);
    if (format->duration != AV_NOPTS_VALUE && format->duration > 0)
        return double(format->duration) / AV_TIME_BASE;
    return -1.0;
}

// The length the file's headers give, or infinity when they give none.
double AudioReader::knownDuration() const
{
    const double claimed = claimedDuration(formatContext.get(), streamIndex);
    return claimed > 0.0 ? claimed : std::numeric_limits<double>::infinity();
}

double AudioReader::clipTime(int64_t timestamp) const
{
    return seconds(timestamp - streamStart, formatContext->streams[streamIndex]->time_base);
}

// Takes the next decoded frame; false when the decoder has given up its
// last one (end of file or clip end).
bool AudioReader::nextFrame()
{
    av_frame_unref(frame.get());
    frameOffset = 0;
    // A broken packet makes the decoder fail once and drop its rest; a
    // decoder failing over and over without asking for input would spin.
    for (int failures = 0; failures < 64;) {
        const int ret = avcodec_receive_frame(codecContext.get(), frame.get());
        if (ret >= 0) {
            if (frame->nb_samples > 0 && frame->sample_rate > 0 && frame->ch_layout.nb_channels > 0) {
                startFrame();
                return true;
            }
            av_frame_unref(frame.get());
            ++failures;
            continue;
        }
        if (ret == AVERROR_EOF)
            return false;
        if (ret != AVERROR(EAGAIN)) {
            ++failures;
            continue;
        }
        if (draining)
            return false;
        failures = 0;
        if (!sendNextPacket()) {
            // End of file, a read error, or the first packet past the clip
            // end: what the decoder still holds comes out, then it reports EOF.
            draining = true;
            avcodec_send_packet(codecContext.get(), nullptr);
        }
    }
    return false;
}

bool AudioReader::sendNextPacket()
{
    for (;;) {
        av_packet_unref(packet.get());
        atStart = false;
        if (av_read_frame(formatContext.get(), packet.get()) < 0)
            return false;
        // Packets of other streams carry times in their own time base and
        // say nothing about where this clip ends.
        if (packet->stream_index != streamIndex)
            continue;
        const int64_t timestamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (timestamp != AV_NOPTS_VALUE && clipTime(timestamp) > wanted.endTime)
            return false;
        const int ret = avcodec_send_packet(codecContext.get(), packet.get());
        av_packet_unref(packet.get());
        if (ret >= 0)
            return true;
        // A packet the decoder refuses is dropped; the next one may decode.
    }
}

// Places the new frame on the clip's time line and drops what lies before a
// seek position. The frame's time stamp is trusted once, for the first frame
// after opening or seeking; from there on samples are counted, so files whose
// time stamps stand still or jitter still play every sample once.
void AudioReader::startFrame()
{
    const double rate = frame->sample_rate;
    if (nextFrameTime < 0.0) {
        const int64_t timestamp = frame->pts != AV_NOPTS_VALUE ? frame->pts : frame->best_effort_timestamp;
        if (timestamp != AV_NOPTS_VALUE)
            frameTime = clipTime(timestamp);
        else
            frameTime = std::max(seekTarget, 0.0);
    } else {
        frameTime = nextFrameTime;
    }
    const bool firstAfterSeek = nextFrameTime < 0.0;
    nextFrameTime = frameTime + frame->nb_samples / rate;
    // Some demuxers land past the position they were asked for; the sound
    // before it must not go missing, so decoding starts again further back.
    if (firstAfterSeek && seekTarget > 0.0 && frameTime > seekTarget + 0.5 / rate && seekRetries < 2) {
        ++seekRetries;
        reposition(seekRetries == 1 ? seekTarget - SeekFallback : 0.0);
        frameOffset = frame->nb_samples;
        return;
    }
    // Sound that starts after the position (a decoder that holds back its
    // first packets, a stream that begins late) is preceded by silence, so
    // that every sample sits at its own time whether the clip was reached
    // by decoding or by seeking.
    if (firstAfterSeek && seekTarget >= 0.0 && frameTime > seekTarget + 0.5 / rate &&
        frameTime - seekTarget <= MaxLeadingSilence) {
        silenceFrames = std::llround((std::min(frameTime, wanted.endTime) - seekTarget) * wanted.sampleRate);
        seekTarget = -1.0;
        return;
    }
    if (seekTarget >= 0.0) {
        const double skip = std::round((seekTarget - frameTime) * rate);
        if (skip >= frame->nb_samples) {
            frameOffset = frame->nb_samples;
            return;
        }
        frameOffset = skip > 0.0 ? int(skip) : 0;
        seekTarget = -1.0;
    }
}

// Converts as much of the current frame as the clip and the buffer allow.
void AudioReader::deliver(SampleDecoding& out, qint64 end)
{
    const int outputFrameBytes = wanted.channels * OutputBytesPerSample;
    const int room = int(std::min<qint64>((end - out.length) / outputFrameBytes, std::numeric_limits<int>::max()));
    uint8_t* destination = reinterpret_cast<uint8_t*>(out.samples) + out.length;
    if (silenceFrames > 0) {
        const int count = int(std::min<qint64>(silenceFrames, room));
        std::memset(destination, 0, std::size_t(count) * std::size_t(outputFrameBytes));
        silenceFrames -= count;
        out.length = int(out.length + qint64(count) * outputFrameBytes);
        return;
    }

    const double rate = frame->sample_rate;
    int available = frame->nb_samples - frameOffset;
    const double untilEnd = std::round((wanted.endTime - frameTime) * rate) - frameOffset;
    if (untilEnd <= 0.0) {
        frameOffset = frame->nb_samples;
        draining = true;
        finish(out, end);
        return;
    }
    if (untilEnd < available)
        available = int(untilEnd);

    const auto format = AVSampleFormat(frame->format);
    const int channels = frame->ch_layout.nb_channels;

    if (!resampler && format == AV_SAMPLE_FMT_S16 && frame->sample_rate == wanted.sampleRate &&
        channels == wanted.channels) {
        const int count = std::min(available, room);
        std::memcpy(destination, frame->extended_data[0] + std::ptrdiff_t(frameOffset) * outputFrameBytes,
                    std::size_t(count) * std::size_t(outputFrameBytes));
        frameOffset += count;
        out.length = int(out.length + qint64(count) * outputFrameBytes);
        return;
    }

    if (!prepareResampler()) {
        frameOffset = frame->nb_samples;
        return;
    }
    // Feed no more than the room can take, so the resampler never piles up
    // input that would have to come out later in one piece. Its output is
    // capped by `room` in any case.
    int input = available;
    if (frame->sample_rate != wanted.sampleRate)
        input = int(std::min<qint64>(available, qint64(room) * frame->sample_rate / wanted.sampleRate));
    while (input > 1 && swr_get_out_samples(resampler.get(), input) > room)
        input = input * 3 / 4;
    input = std::max(input, 1);

    const bool planar = av_sample_fmt_is_planar(format);
    const int sampleBytes = av_get_bytes_per_sample(format);
    QVarLengthArray<const uint8_t*, 8> source(planar ? channels : 1);
    for (int c = 0; c < source.size(); ++c)
        source[c] = frame->extended_data[c] + std::ptrdiff_t(frameOffset) * sampleBytes * (planar ? 1 : channels);
    uint8_t* target[1] = {destination};
    const int produced = swr_convert(resampler.get(), target, room, source.data(), input);
    if (produced < 0) {
        frameOffset = frame->nb_samples;
        return;
    }
    frameOffset += input;
    out.length = int(out.length + qint64(produced) * outputFrameBytes);
}

// Makes the resampler for the current frame's format, or keeps the one
// that fits. Besides rate and channel count it also turns the planar and
// floating-point formats of most decoders into interleaved 16-bit samples.
bool AudioReader::prepareResampler()
{
    const auto format = AVSampleFormat(frame->format);
    if (resampler && resamplerFormat == format && resamplerRate == frame->sample_rate &&
        av_channel_layout_compare(&resamplerLayout.layout, &frame->ch_layout) == 0)
        return true;
    resampler.reset();
    av_channel_layout_uninit(&resamplerLayout.layout);
    if (av_channel_layout_copy(&resamplerLayout.layout, &frame->ch_layout) < 0)
        return false;
    resamplerFormat = format;
    resamplerRate = frame->sample_rate;

    ChannelLayout input, output;
    if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&input.layout, frame->ch_layout.nb_channels);
    else if (av_channel_layout_copy(&input.layout, &frame->ch_layout) < 0)
        return false;
    av_channel_layout_default(&output.layout, wanted.channels);

    SwrContext* context = nullptr;
    if (swr_alloc_set_opts2(&context, &output.layout, AV_SAMPLE_FMT_S16, wanted.sampleRate, &input.layout, format,
                            frame->sample_rate, 0, nullptr) < 0)
        return false;
    SwrContextPtr made(context);
    av_opt_set_int(context, "filter_size", 16, 0);
    av_opt_set_int(context, "phase_shift", 10, 0);
    av_opt_set_int(context, "linear_interp", 0, 0);
    av_opt_set_double(context, "cutoff", 0.8, 0);
    // A mono recording goes to both front speakers at its own level, as it
    // plays elsewhere; the library's default would lower it by 3 dB.
    if (input.layout.nb_channels == 1 && wanted.channels >= 2) {
        const int left = av_channel_layout_index_from_channel(&output.layout, AV_CHAN_FRONT_LEFT);
        const int right = av_channel_layout_index_from_channel(&output.layout, AV_CHAN_FRONT_RIGHT);
        if (left >= 0 && right >= 0) {
            QVarLengthArray<double, 8> matrix(wanted.channels);
            std::fill(matrix.begin(), matrix.end(), 0.0);
            matrix[left] = matrix[right] = 1.0;
            swr_set_matrix(context, matrix.data(), 1);
        }
    }
    if (swr_init(context) < 0)
        return false;
    resampler = std::move(made);
    return true;
}

// Ends the clip: what the resampler still holds comes out first.
void AudioReader::finish(SampleDecoding& out, qint64 end)
{
    if (resampler) {
        const int outputFrameBytes = wanted.channels * OutputBytesPerSample;
        const int room = int(std::min<qint64>((end - out.length) / outputFrameBytes, std::numeric_limits<int>::max()));
        uint8_t* target[1] = {reinterpret_cast<uint8_t*>(out.samples) + out.length};
        const int produced = swr_convert(resampler.get(), target, room, nullptr, 0);
        if (produced > 0)
            out.length = int(out.length + qint64(produced) * outputFrameBytes);
        resampler.reset();
    }
    endOfStream = true;
}
