// The output test program: the encoder writer and the zirc converter.

#include "ffmpegptr.h"
#include "outputtests.h"
#include "samplemedia.h"

#include <QApplication>
#include <QTest>

#include <cmath>
#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/log.h>
#include <libavutil/samplefmt.h>
}

RenderParam renderParam(int width, int height, double frameRate, int sampleRate, int channels)
{
    RenderParam param;
    param.width = width;
    param.height = height;
    param.frameRate = frameRate;
    param.aspectRatio = double(width) / height;
    param.sampleRate = sampleRate;
    param.channels = channels;
    return param;
}

std::vector<short> sineWave(int samplesPerChannel, int channels, int sampleRate)
{
    std::vector<short> samples(std::size_t(samplesPerChannel) * std::size_t(channels));
    for (int i = 0; i < samplesPerChannel; ++i) {
        const double value = std::sin(2.0 * M_PI * 440.0 * i / sampleRate) * 12000.0;
        for (int c = 0; c < channels; ++c)
            samples[std::size_t(i * channels + c)] = short(c == 0 ? value : value / 2);
    }
    return samples;
}

AVPicture testPicture(int width, int height, int index)
{
    AVPicture picture{};
    allocatePicture(picture, AV_PIX_FMT_RGBA, width, height);
    const uint8_t colours[4][3] = {{200, 30, 30}, {30, 180, 40}, {40, 50, 210}, {120, 120, 120}};
    const int square = height / 6;
    const int sx = (index * 4) % (width - square), sy = height / 2 - square / 2;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = picture.data[0] + y * picture.linesize[0];
        for (int x = 0; x < width; ++x) {
            const uint8_t* c = colours[(y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0)];
            const bool inSquare = x >= sx && x < sx + square && y >= sy && y < sy + square;
            row[4 * x + 0] = inSquare ? 250 : c[0];
            row[4 * x + 1] = inSquare ? 250 : c[1];
            row[4 * x + 2] = inSquare ? 250 : c[2];
            row[4 * x + 3] = 255;
        }
    }
    return picture;
}

DecodedFile::DecodedFile(DecodedFile&& other) noexcept
    : opened(other.opened)
    , hasVideo(other.hasVideo)
    , videoFrames(other.videoFrames)
    , ptsIncreasing(other.ptsIncreasing)
    , width(other.width)
    , height(other.height)
    , firstFrame(other.firstFrame)
    , audioSamples(other.audioSamples)
    , audioChannels(other.audioChannels)
    , firstSamples(std::move(other.firstSamples))
    , videoCodec(other.videoCodec)
    , audioCodec(other.audioCodec)
    , sampleRate(other.sampleRate)
    , frameRate(other.frameRate)
    , audioPeak(other.audioPeak)
    , videoBytes(other.videoBytes)
    , frameChecksums(std::move(other.frameChecksums))
    , frames(std::move(other.frames))
{
    std::memset(&other.firstFrame, 0, sizeof other.firstFrame);
}

DecodedFile::~DecodedFile() { freePicture(firstFrame); }

namespace {

struct StreamDecoder {
    int index = -1;
    CodecContextPtr codec;
};

QImage toImage(const AVFrame* frame)
{
    // The scaler's vector code writes whole blocks of pixels, past the end of
    // a row whose width is not a multiple of 16 (1080): convert into padded
    // rows with a spare one, and keep the picture's part.
    QImage padded((frame->width + 31) & ~31, frame->height + 1, QImage::Format_RGBA8888);
    SwsContextPtr sws(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                                     frame->height, AV_PIX_FMT_RGBA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    uint8_t* planes[4] = {padded.bits(), nullptr, nullptr, nullptr};
    const int linesizes[4] = {int(padded.bytesPerLine()), 0, 0, 0};
    sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, planes, linesizes);
    return padded.copy(0, 0, frame->width, frame->height);
}

quint64 checksum(const AVFrame* frame)
{
    quint64 sum = 1469598103934665603ull;
    for (int plane = 0; plane < 3 && frame->data[plane]; ++plane) {
        const int rows = plane == 0 ? frame->height : (frame->height + 1) / 2;
        const int bytes = std::min(frame->linesize[plane], plane == 0 ? frame->width : (frame->width + 1) / 2);
        for (int y = 0; y < rows; ++y) {
            const uint8_t* row = frame->data[plane] + y * frame->linesize[plane];
            for (int x = 0; x < bytes; ++x)
                sum = (sum ^ row[x]) * 1099511628211ull;
        }
    }
    return sum;
}

// Largest sample of a decoded sound frame, 1 = full scale.
double peakOf(const AVFrame* frame)
{
    const auto format = AVSampleFormat(frame->format);
    const bool planar = av_sample_fmt_is_planar(format);
    const int channels = frame->ch_layout.nb_channels;
    const int planes = planar ? channels : 1;
    const int count = planar ? frame->nb_samples : frame->nb_samples * channels;
    double peak = 0;
    for (int p = 0; p < planes; ++p) {
        for (int i = 0; i < count; ++i) {
            double v = 0;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const short*>(frame->extended_data[p])[i] / 32768.0; break;
            case AV_SAMPLE_FMT_S32: v = reinterpret_cast<const int*>(frame->extended_data[p])[i] / 2147483648.0; break;
            case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float*>(frame->extended_data[p])[i]; break;
            case AV_SAMPLE_FMT_DBL: v = reinterpret_cast<const double*>(frame->extended_data[p])[i]; break;
            default: break;
            }
            peak = std::max(peak, std::abs(v));
        }
    }
    return peak;
}

void takeFrames(DecodedFile& out, StreamDecoder& d, AVFrame* frame, int64_t& lastPts, const QList<int>& keep)
{
    while (avcodec_receive_frame(d.codec.get(), frame) >= 0) {
        if (d.codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            const int64_t pts = frame->best_effort_timestamp;
            if (out.videoFrames > 0 && (pts == AV_NOPTS_VALUE || pts <= lastPts))
                out.ptsIncreasing = false;
            lastPts = pts;
            if (out.videoFrames == 0) {
                out.width = frame->width;
                out.height = frame->height;
                // Rows padded as in toImage; freePicture frees it as its own.
                av_image_alloc(out.firstFrame.data, out.firstFrame.linesize, frame->width, frame->height,
                               AV_PIX_FMT_RGBA, 64);
                SwsContextPtr sws(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
                                                 frame->width, frame->height, AV_PIX_FMT_RGBA, SWS_BICUBIC, nullptr,
                                                 nullptr, nullptr));
                sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, out.firstFrame.data,
                          out.firstFrame.linesize);
            }
            out.frameChecksums.push_back(checksum(frame));
            if (keep.contains(out.videoFrames))
                out.frames.insert(out.videoFrames, toImage(frame));
            ++out.videoFrames;
        } else {
            out.audioChannels = frame->ch_layout.nb_channels;
            out.audioPeak = std::max(out.audioPeak, peakOf(frame));
            out.sampleRate = frame->sample_rate;
            if (frame->format == AV_SAMPLE_FMT_S16 && out.firstSamples.size() < 4096) {
                const short* s = reinterpret_cast<const short*>(frame->data[0]);
                const std::size_t count = std::size_t(frame->nb_samples * out.audioChannels);
                for (std::size_t i = 0; i < count && out.firstSamples.size() < 4096; ++i)
                    out.firstSamples.push_back(s[i]);
            }
            out.audioSamples += frame->nb_samples;
        }
        av_frame_unref(frame);
    }
}

} // namespace

DecodedFile decodeFile(const QString& path, const QList<int>& keep)
{
    DecodedFile out;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return out;
    InputContextPtr ic(raw);
    if (avformat_find_stream_info(ic.get(), nullptr) < 0)
        return out;
    out.opened = true;
    std::vector<StreamDecoder> decoders(ic->nb_streams);
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVCodecParameters* par = ic->streams[i]->codecpar;
        if (par->codec_type != AVMEDIA_TYPE_VIDEO && par->codec_type != AVMEDIA_TYPE_AUDIO)
            continue;
        out.hasVideo = out.hasVideo || par->codec_type == AVMEDIA_TYPE_VIDEO;
        (par->codec_type == AVMEDIA_TYPE_VIDEO ? out.videoCodec : out.audioCodec) = par->codec_id;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            out.frameRate = av_q2d(ic->streams[i]->avg_frame_rate);
            out.videoProfile = par->profile;
            out.videoLevel = par->level;
            out.videoTag = par->codec_tag;
        }
        const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
        CodecContextPtr codec(avcodec_alloc_context3(decoder));
        avcodec_parameters_to_context(codec.get(), par);
        codec->pkt_timebase = ic->streams[i]->time_base;
        if (avcodec_open2(codec.get(), decoder, nullptr) < 0)
            continue;
        decoders[i].index = int(i);
        decoders[i].codec = std::move(codec);
    }
    PacketPtr packet(av_packet_alloc());
    FramePtr frame(av_frame_alloc());
    int64_t lastPts = AV_NOPTS_VALUE;
    while (av_read_frame(ic.get(), packet.get()) >= 0) {
        StreamDecoder& d = decoders[std::size_t(packet->stream_index)];
        if (d.codec && d.codec->codec_type == AVMEDIA_TYPE_VIDEO)
            out.videoBytes += packet->size;
        if (d.codec && avcodec_send_packet(d.codec.get(), packet.get()) >= 0)
            takeFrames(out, d, frame.get(), lastPts, keep);
        av_packet_unref(packet.get());
    }
    for (StreamDecoder& d : decoders) {
        if (!d.codec)
            continue;
        avcodec_send_packet(d.codec.get(), nullptr);
        takeFrames(out, d, frame.get(), lastPts, keep);
    }
    return out;
}

double meanDifference(const AVPicture& a, const AVPicture& b, int width, int height)
{
    if (!a.data[0] || !b.data[0])
        return 1e9;
    double sum = 0;
    for (int y = 0; y < height; ++y) {
        const uint8_t* ra = a.data[0] + y * a.linesize[0];
        const uint8_t* rb = b.data[0] + y * b.linesize[0];
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                sum += std::abs(int(ra[4 * x + c]) - int(rb[4 * x + c]));
    }
    return sum / (double(width) * height * 3);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    av_log_set_level(AV_LOG_ERROR);
    int failures = 0;
    const std::unique_ptr<QObject> suites[] = {
        makeAVWriterTests(),      makeZircTests(),         makeCompileArgumentTests(), makeCompileTests(),
        makeOutputSettingTests(), makeCompileSoundTests(), makeCompileCaptionTests()};
    for (const auto& suite : suites)
        failures += QTest::qExec(suite.get(), argc, argv);
    return failures == 0 ? 0 : 1;
}
