#pragma once
// Owners for the FFmpeg objects the readers, the encoder option layer, the
// writer and the tools hand around: each frees its object with the matching
// library call. Plus the one way an FFmpeg error code becomes text.

#include <QString>

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
// An output context: closes the file it opened, then frees the context.
struct OutputContextDeleter {
    void operator()(AVFormatContext* c) const
    {
        if (c->oformat && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
// An input context opened with avformat_open_input.
struct InputContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
// A bare context made with avformat_alloc_context (option templates).
struct FormatContextDeleter {
    void operator()(AVFormatContext* c) const { avformat_free_context(c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct SwrDeleter {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
struct BsfDeleter {
    void operator()(AVBSFContext* b) const { av_bsf_free(&b); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};
struct AvFreeDeleter {
    void operator()(void* p) const { av_free(p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsContextPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrContextPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using BsfContextPtr = std::unique_ptr<AVBSFContext, BsfDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;
template <typename T>
using AvBufferPtr = std::unique_ptr<T, AvFreeDeleter>;

// The library's description of an error code (an AVERROR value), e.g.
// "No such file or directory" for AVERROR(ENOENT).
inline QString ffmpegErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}
