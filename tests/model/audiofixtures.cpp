// Known test signals written into real sound files with our own FFmpeg code, and measurements on decoded samples.
#include "audiofixtures.h"

#include "ffmpegptr.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
}

namespace {

QString ffmpegError(const char* step, int code)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(step), ffmpegErrorText(code));
}

// Stores v (-1..1) as sample i of channel c of a frame in any sample format.
void putSample(AVFrame* frame, int channel, int index, double v)
{
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const int bytes = av_get_bytes_per_sample(format);
    uint8_t* p = planar ? frame->extended_data[channel] + std::ptrdiff_t(index) * bytes
                        : frame->extended_data[0] + (std::ptrdiff_t(index) * channels + channel) * bytes;
    v = std::clamp(v, -1.0, 1.0);
    switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_U8: *p = uint8_t(std::lround(v * 127.0) + 128); break;
    case AV_SAMPLE_FMT_S16: {
        const auto s = int16_t(std::lround(v * 32767.0));
        std::memcpy(p, &s, sizeof s);
        break;
    }
    case AV_SAMPLE_FMT_S32: {
        const auto s = int32_t(std::llround(v * 2147483647.0));
        std::memcpy(p, &s, sizeof s);
        break;
    }
    case AV_SAMPLE_FMT_FLT: {
        const auto s = float(v);
        std::memcpy(p, &s, sizeof s);
        break;
    }
    case AV_SAMPLE_FMT_DBL: std::memcpy(p, &v, sizeof v); break;
    default: break;
    }
}

// Prefers 16-bit samples, so that a lossless codec stores the reference
// values exactly.
AVSampleFormat pickSampleFormat(const AVCodec* codec)
{
    if (!codec->sample_fmts)
        return AV_SAMPLE_FMT_S16;
    for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f) {
        if (*f == AV_SAMPLE_FMT_S16 || *f == AV_SAMPLE_FMT_S16P)
            return *f;
    }
    return codec->sample_fmts[0];
}

class Writer
{
public:
    QString error;

    bool open(const QString& path, const char* muxer)
    {
        AVFormatContext* context = nullptr;
        const QByteArray file = QFile::encodeName(path);
        const int ret = avformat_alloc_output_context2(&context, nullptr, muxer, file.constData());
        if (ret < 0 || !context)
            return fail("output context", ret);
        m_format.reset(context);
        if (!(m_format->oformat->flags & AVFMT_NOFILE)) {
            const int opened = avio_open(&m_format->pb, file.constData(), AVIO_FLAG_WRITE);
            if (opened < 0)
                return fail("avio_open", opened);
        }
        m_packet.reset(av_packet_alloc());
        return bool(m_packet);
    }

    bool addVideo()
    {
        const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
        if (!codec)
            return fail("no mpeg4 encoder", AVERROR_ENCODER_NOT_FOUND);
        m_video.reset(avcodec_alloc_context3(codec));
        m_video->width = 64;
        m_video->height = 48;
        m_video->pix_fmt = AV_PIX_FMT_YUV420P;
        m_video->time_base = AVRational{1, VideoRate};
        m_video->framerate = AVRational{VideoRate, 1};
        m_video->gop_size = 5;
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int ret = avcodec_open2(m_video.get(), codec, nullptr);
        if (ret < 0)
            return fail("open video encoder", ret);
        m_videoStream = avformat_new_stream(m_format.get(), nullptr);
        ret = avcodec_parameters_from_context(m_videoStream->codecpar, m_video.get());
        if (ret < 0)
            return fail("video parameters", ret);
        m_videoStream->time_base = m_video->time_base;
        return true;
    }

    bool addAudio(const char* encoder, const TestSignal& signal, const FixtureOptions& options)
    {
        const AVCodec* codec = avcodec_find_encoder_by_name(encoder);
        if (!codec)
            return fail(encoder, AVERROR_ENCODER_NOT_FOUND);
        m_audio.reset(avcodec_alloc_context3(codec));
        m_audio->sample_fmt = pickSampleFormat(codec);
        m_audio->sample_rate = signal.sampleRate;
        av_channel_layout_default(&m_audio->ch_layout, signal.channels);
        m_audio->time_base = AVRational{1, signal.sampleRate};
        if (options.bitRate > 0)
            m_audio->bit_rate = options.bitRate;
        if (options.frameSize > 0)
            m_audio->frame_size = options.frameSize;
        if (options.vbrQuality >= 0) {
            m_audio->flags |= AV_CODEC_FLAG_QSCALE;
            m_audio->global_quality = FF_QP2LAMBDA * options.vbrQuality;
        }
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        int ret = avcodec_open2(m_audio.get(), codec, nullptr);
        if (ret < 0)
            return fail("open audio encoder", ret);
        m_audioStream = avformat_new_stream(m_format.get(), nullptr);
        ret = avcodec_parameters_from_context(m_audioStream->codecpar, m_audio.get());
        if (ret < 0)
            return fail("audio parameters", ret);
        m_audioStream->time_base = m_audio->time_base;
        m_frameSize =
            m_audio->frame_size > 0 ? m_audio->frame_size : (options.frameSize > 0 ? options.frameSize : 1024);
        m_padLastFrame = m_audio->frame_size > 0 &&
                         !(codec->capabilities & (AV_CODEC_CAP_VARIABLE_FRAME_SIZE | AV_CODEC_CAP_SMALL_LAST_FRAME));
        return true;
    }

    bool write(const TestSignal& signal, double seconds, const QByteArray& muxerOptions)
    {
        AVDictionary* dictionary = nullptr;
        int ret = av_dict_parse_string(&dictionary, muxerOptions.constData(), "=", ":", 0);
        if (ret >= 0)
            ret = avformat_write_header(m_format.get(), &dictionary);
        // An option the muxer does not know would leave the fixture other
        // than the test asked for.
        const bool unused = av_dict_count(dictionary) > 0;
        av_dict_free(&dictionary);
        if (ret < 0)
            return fail("write header", ret);
        if (unused)
            return fail("muxer option not taken", AVERROR_OPTION_NOT_FOUND);
        const qint64 total = m_audio ? signal.sampleCount() : qint64(seconds * VideoRate);
        qint64 videoFrames = 0;
        qint64 done = 0;
        FramePtr frame(av_frame_alloc());
        while (done < total) {
            // Video first, up to the time of the sound that follows, so the
            // file is interleaved the way a camera would write it.
            const double now = m_audio ? double(done) / signal.sampleRate : double(done) / VideoRate;
            while (m_video && videoFrames <= now * VideoRate) {
                if (!encodeVideo(videoFrames++))
                    return false;
            }
            if (!m_audio) {
                done = videoFrames;
                continue;
            }
            const int count = int(std::min<qint64>(m_frameSize, total - done));
            av_frame_unref(frame.get());
            frame->format = m_audio->sample_fmt;
            frame->sample_rate = m_audio->sample_rate;
            av_channel_layout_copy(&frame->ch_layout, &m_audio->ch_layout);
            frame->nb_samples = m_padLastFrame ? m_frameSize : count;
            ret = av_frame_get_buffer(frame.get(), 0);
            if (ret < 0)
                return fail("frame buffer", ret);
            for (int i = 0; i < frame->nb_samples; ++i) {
                const double t = double(done + i) / signal.sampleRate;
                for (int c = 0; c < signal.channels; ++c)
                    putSample(frame.get(), c, i, i < count ? signal.value(c, t) : 0.0);
            }
            frame->pts = done;
            if (!send(m_audio.get(), m_audioStream, frame.get()))
                return false;
            done += count;
        }
        if ((m_video && !send(m_video.get(), m_videoStream, nullptr)) ||
            (m_audio && !send(m_audio.get(), m_audioStream, nullptr)))
            return false;
        ret = av_write_trailer(m_format.get());
        if (ret < 0)
            return fail("write trailer", ret);
        return true;
    }

private:
    static constexpr int VideoRate = 10;

    bool fail(const char* step, int code)
    {
        error = ffmpegError(step, code);
        return false;
    }

    bool encodeVideo(qint64 index)
    {
        FramePtr frame(av_frame_alloc());
        frame->format = m_video->pix_fmt;
        frame->width = m_video->width;
        frame->height = m_video->height;
        const int ret = av_frame_get_buffer(frame.get(), 0);
        if (ret < 0)
            return fail("video frame", ret);
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? frame->height : frame->height / 2;
            for (int y = 0; y < rows; ++y)
                std::memset(frame->data[plane] + y * frame->linesize[plane], int(16 + (index * 8 + y) % 200),
                            std::size_t(frame->linesize[plane]));
        }
        frame->pts = index;
        return send(m_video.get(), m_videoStream, frame.get());
    }

    bool send(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
    {
        int ret = avcodec_send_frame(codec, frame);
        if (ret < 0)
            return fail("send frame", ret);
        for (;;) {
            ret = avcodec_receive_packet(codec, m_packet.get());
            if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF)
                return true;
            if (ret < 0)
                return fail("receive packet", ret);
            av_packet_rescale_ts(m_packet.get(), codec->time_base, stream->time_base);
            m_packet->stream_index = stream->index;
            ret = av_interleaved_write_frame(m_format.get(), m_packet.get());
            if (ret < 0)
                return fail("write packet", ret);
        }
    }

    OutputContextPtr m_format;
    CodecContextPtr m_audio;
    CodecContextPtr m_video;
    AVStream* m_audioStream = nullptr;
    AVStream* m_videoStream = nullptr;
    PacketPtr m_packet;
    int m_frameSize = 1024;
    bool m_padLastFrame = false;
};

template <typename T>
T perChannel(const QVector<T>& values, int channel)
{
    return values.isEmpty() ? T() : values[std::min<qsizetype>(channel, values.size() - 1)];
}

} // namespace

double TestSignal::value(int channel, double t) const
{
    if (t < silentLead)
        return 0.0;
    const double f = perChannel(frequency, channel);
    const double k = perChannel(sweep, channel);
    return amplitude * std::sin(2.0 * std::numbers::pi * (f * t + k * t * t / 2.0));
}

qint64 TestSignal::sampleCount() const { return qint64(std::llround(seconds * sampleRate)); }

bool writeSignalFile(const QString& path, const char* muxer, const char* encoder, const TestSignal& signal,
                     const FixtureOptions& options, QString* error)
{
    Writer writer;
    const bool ok = writer.open(path, muxer) && (!(options.videoFirst || options.videoOnly) || writer.addVideo()) &&
                    (options.videoOnly || writer.addAudio(encoder, signal, options)) &&
                    writer.write(signal, signal.seconds, options.muxerOptions);
    if (!ok && error)
        *error = writer.error;
    return ok;
}

QVector<int16_t> signalSamples(const TestSignal& signal)
{
    const qint64 frames = signal.sampleCount();
    QVector<int16_t> samples(frames * signal.channels);
    for (qint64 i = 0; i < frames; ++i) {
        for (int c = 0; c < signal.channels; ++c)
            samples[i * signal.channels + c] =
                int16_t(std::lround(std::clamp(signal.value(c, double(i) / signal.sampleRate), -1.0, 1.0) * 32767.0));
    }
    return samples;
}

QVector<double> channelOf(const int16_t* samples, qint64 frames, int channels, int channel)
{
    QVector<double> x(frames);
    for (qint64 i = 0; i < frames; ++i)
        x[i] = samples[i * channels + channel] / 32768.0;
    return x;
}

QVector<double> channelOf(const QVector<int16_t>& samples, int channels, int channel)
{
    return channelOf(samples.constData(), samples.size() / channels, channels, channel);
}

double zeroCrossingFrequency(const QVector<double>& x, int sampleRate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;
    for (qsizetype i = 1; i < x.size(); ++i) {
        if (x[i - 1] < 0.0 && x[i] >= 0.0) {
            const double at = double(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (crossings == 0)
                first = at;
            last = at;
            ++crossings;
        }
    }
    if (crossings < 2 || last <= first)
        return 0.0;
    return (crossings - 1) / ((last - first) / sampleRate);
}

double toneAmplitude(const QVector<double>& x)
{
    if (x.isEmpty())
        return 0.0;
    double energy = 0.0;
    for (double v : x)
        energy += v * v;
    return std::sqrt(2.0 * energy / double(x.size()));
}

double tonePurity(const QVector<double>& x, double frequency, int sampleRate, double* amplitude)
{
    if (amplitude)
        *amplitude = 0.0;
    // Normal equations of x ~ a sin + b cos.
    double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0, xx = 0;
    const double w = 2.0 * std::numbers::pi * frequency / sampleRate;
    for (qsizetype i = 0; i < x.size(); ++i) {
        const double s = std::sin(w * double(i)), c = std::cos(w * double(i));
        ss += s * s;
        cc += c * c;
        sc += s * c;
        xs += x[i] * s;
        xc += x[i] * c;
        xx += x[i] * x[i];
    }
    const double det = ss * cc - sc * sc;
    if (xx <= 0.0 || std::abs(det) < 1e-12)
        return 0.0;
    const double a = (xs * cc - xc * sc) / det;
    const double b = (xc * ss - xs * sc) / det;
    if (amplitude)
        *amplitude = std::sqrt(a * a + b * b);
    return (a * xs + b * xc) / xx;
}

qint64 bestOffset(const QVector<double>& reference, const QVector<double>& piece, qint64 expected, qint64 search,
                  double* correlation)
{
    double pieceEnergy = 0.0;
    for (double v : piece)
        pieceEnergy += v * v;
    qint64 best = expected;
    double bestValue = -2.0;
    for (qint64 offset = std::max<qint64>(0, expected - search); offset <= expected + search; ++offset) {
        if (offset + piece.size() > reference.size())
            break;
        double dot = 0.0, energy = 0.0;
        for (qsizetype i = 0; i < piece.size(); ++i) {
            dot += reference[offset + i] * piece[i];
            energy += reference[offset + i] * reference[offset + i];
        }
        const double value = energy > 0.0 && pieceEnergy > 0.0 ? dot / std::sqrt(energy * pieceEnergy) : 0.0;
        if (value > bestValue) {
            bestValue = value;
            best = offset;
        }
    }
    if (correlation)
        *correlation = bestValue;
    return best;
}
