// Reads a compiled video back with libavformat: frame count, size, rate, sound length, first picture.
#include "apptests.h"

#include "ffmpegptr.h"

namespace {

CodecContextPtr openDecoder(const AVStream* stream)
{
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (avcodec_parameters_to_context(context.get(), stream->codecpar) < 0 ||
        avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

} // namespace

DecodedVideo decodeVideo(const QString& path)
{
    DecodedVideo result;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.toLocal8Bit().constData(), nullptr, nullptr) < 0)
        return result;
    InputContextPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0)
        return result;
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(input.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0)
        return result;
    CodecContextPtr videoCodec = openDecoder(input->streams[video]);
    CodecContextPtr audioCodec = audio >= 0 ? openDecoder(input->streams[audio]) : nullptr;
    if (!videoCodec)
        return result;
    result.opened = true;
    result.frameRate = av_q2d(input->streams[video]->avg_frame_rate);
    qint64 samples = 0;
    FramePtr frame(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());

    auto drain = [&](AVCodecContext* codec, bool isVideo) {
        while (avcodec_receive_frame(codec, frame.get()) == 0) {
            if (!isVideo) {
                samples += frame->nb_samples;
                continue;
            }
            if (result.frames == 0) {
                result.width = frame->width;
                result.height = frame->height;
                SwsContextPtr scale(sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
                                                   frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr,
                                                   nullptr, nullptr));
                QImage image(frame->width, frame->height, QImage::Format_RGB32);
                uint8_t* planes[4] = {image.bits(), nullptr, nullptr, nullptr};
                int strides[4] = {int(image.bytesPerLine()), 0, 0, 0};
                sws_scale(scale.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
                result.firstFrame = image;
            }
            ++result.frames;
        }
    };
    while (av_read_frame(input.get(), packet.get()) >= 0) {
        if (packet->stream_index == video && avcodec_send_packet(videoCodec.get(), packet.get()) >= 0)
            drain(videoCodec.get(), true);
        else if (audioCodec && packet->stream_index == audio &&
                 avcodec_send_packet(audioCodec.get(), packet.get()) >= 0)
            drain(audioCodec.get(), false);
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(videoCodec.get(), nullptr);
    drain(videoCodec.get(), true);
    if (audioCodec) {
        avcodec_send_packet(audioCodec.get(), nullptr);
        drain(audioCodec.get(), false);
        if (audioCodec->sample_rate > 0)
            result.soundSeconds = double(samples) / audioCodec->sample_rate;
    }
    return result;
}
