// zirc: converts one input file into one output file. The command line is read
// by the encoder option layer; the input is decoded here, turned into RGBA
// pictures and 16-bit sound, and handed to the encoder writer.

#include "avwriter.h"
#include "encoderoptions.h"
#include "ffmpegptr.h"
#include "outputsetup.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
}

namespace {

void printError(const std::string& text)
{
    std::fputs(text.c_str(), stderr);
    if (!text.empty() && text.back() != '\n')
        std::fputc('\n', stderr);
}

bool askOnTerminal(const std::string& question)
{
    std::fputs(question.c_str(), stderr);
    std::fflush(stderr);
    const int answer = std::fgetc(stdin);
    return answer == 'y' || answer == 'Y';
}

class Converter
{
public:
    explicit Converter(FormatContextResult& setup)
        : m_setup(setup)
    {}
    int run();

private:
    bool openDecoder(int streamIndex, CodecContextPtr& decoder);
    void handleVideo(AVFrame* frame);
    void handleAudio(AVFrame* frame);
    double secondsAfterStart(int streamIndex, const AVFrame* frame) const;
    void receive(AVCodecContext* decoder, bool video);
    int64_t lastSlot() const;
    void fillVideoUntil(int64_t count);
    bool finished() const;

    FormatContextResult& m_setup;
    AVFormatContext* m_input = nullptr;
    AVWriter m_writer;
    RenderParam m_param;
    int m_videoIndex = -1;
    int m_audioIndex = -1;
    CodecContextPtr m_videoDecoder;
    CodecContextPtr m_audioDecoder;
    FramePtr m_frame;
    SwsContextPtr m_scaler;
    SwrContextPtr m_resampler;
    AVPicture m_picture{};
    std::vector<short> m_sound;

    double m_start = 0; // seconds from the input's start
    double m_limit = 0; // seconds, 0 = to the end
    AVRational m_outputRate{25, 1};
    int64_t m_picturesWritten = 0;
    int64_t m_samplesWritten = 0; // per channel
    bool m_videoDone = true;
    bool m_audioDone = true;
};

bool Converter::openDecoder(int streamIndex, CodecContextPtr& decoder)
{
    const AVStream* st = m_input->streams[streamIndex];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    if (!codec)
        return false;
    decoder.reset(avcodec_alloc_context3(codec));
    if (!decoder || avcodec_parameters_to_context(decoder.get(), st->codecpar) < 0)
        return false;
    decoder->pkt_timebase = st->time_base;
    decoder->thread_count = 0;
    return avcodec_open2(decoder.get(), codec, nullptr) >= 0;
}

bool Converter::finished() const { return m_videoDone && m_audioDone; }

// A decoded frame's time in seconds after the requested start point.
double Converter::secondsAfterStart(int streamIndex, const AVFrame* frame) const
{
    const AVStream* st = m_input->streams[streamIndex];
    int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE)
        pts = 0;
    const int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    return double(pts - origin) * av_q2d(st->time_base) - m_start;
}

// Pictures are placed on the output's constant frame rate: a picture late for
// its slot is repeated, one early for a slot already filled is dropped.
void Converter::handleVideo(AVFrame* frame)
{
    if (m_videoDone)
        return;
    const double t = secondsAfterStart(m_videoIndex, frame);
    const int64_t slot = std::llround(t * av_q2d(m_outputRate));
    if (slot < 0)
        return;
    if (slot >= lastSlot()) {
        m_videoDone = true;
        return;
    }
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), frame->width, frame->height, AVPixelFormat(frame->format),
                                        m_param.width, m_param.height, AV_PIX_FMT_RGBA, SWS_BICUBIC, nullptr, nullptr,
                                        nullptr));
    if (!m_scaler)
        return;
    sws_scale(m_scaler.get(), frame->data, frame->linesize, 0, frame->height, m_picture.data, m_picture.linesize);
    fillVideoUntil(slot + 1);
}

int64_t Converter::lastSlot() const
{
    if (m_limit <= 0)
        return INT64_MAX;
    return std::llround(m_limit * av_q2d(m_outputRate));
}

void Converter::fillVideoUntil(int64_t count)
{
    const int64_t maxFrames = m_setup.maxFrames[AVMEDIA_TYPE_VIDEO];
    while (m_picturesWritten < count) {
        if (m_picturesWritten >= maxFrames) {
            m_videoDone = true;
            return;
        }
        m_writer.writeVideoFrame(m_picture);
        ++m_picturesWritten;
    }
    if (m_picturesWritten >= maxFrames)
        m_videoDone = true;
}

void Converter::handleAudio(AVFrame* frame)
{
    if (m_audioDone)
        return;
    if (!m_resampler) {
        SwrContext* swr = nullptr;
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, m_param.channels);
        const int err = swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, m_param.sampleRate, &frame->ch_layout,
                                            AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        m_resampler.reset(swr);
        if (err < 0 || swr_init(swr) < 0) {
            m_resampler.reset();
            m_audioDone = true;
            return;
        }
    }
    const int room = swr_get_out_samples(m_resampler.get(), frame->nb_samples);
    if (room <= 0)
        return;
    m_sound.resize(std::size_t(room) * std::size_t(m_param.channels));
    uint8_t* out = reinterpret_cast<uint8_t*>(m_sound.data());
    const int made = swr_convert(m_resampler.get(), &out, room, const_cast<const uint8_t**>(frame->extended_data),
                                 frame->nb_samples);
    if (made <= 0)
        return;

    const double t = secondsAfterStart(m_audioIndex, frame);
    int first = 0;
    if (t < 0)
        first = int(std::min<int64_t>(made, std::llround(-t * m_param.sampleRate)));
    int count = made - first;
    if (m_limit > 0) {
        const int64_t allowed = std::llround(m_limit * m_param.sampleRate) - m_samplesWritten;
        if (allowed <= count) {
            count = int(std::max<int64_t>(0, allowed));
            m_audioDone = true;
        }
    }
    if (count > 0) {
        m_writer.writeAudioBuffer(m_sound.data() + std::size_t(first) * std::size_t(m_param.channels),
                                  count * m_param.channels * 2);
        m_samplesWritten += count;
    }
}

void Converter::receive(AVCodecContext* decoder, bool video)
{
    while (avcodec_receive_frame(decoder, m_frame.get()) >= 0) {
        if (video)
            handleVideo(m_frame.get());
        else
            handleAudio(m_frame.get());
        av_frame_unref(m_frame.get());
    }
}

int Converter::run()
{
    m_input = m_setup.inputs.front()->context.get();
    std::unique_ptr<OutputFile> output = std::move(m_setup.output);
    const AVCodecContext* videoOut = nullptr;
    const AVCodecContext* audioOut = nullptr;
    for (const OutputStreamSetup& s : output->streams) {
        if (s.codec && s.codec->codec_type == AVMEDIA_TYPE_VIDEO)
            videoOut = s.codec.get();
        if (s.codec && s.codec->codec_type == AVMEDIA_TYPE_AUDIO)
            audioOut = s.codec.get();
    }
    if (videoOut) {
        m_param.width = videoOut->width;
        m_param.height = videoOut->height;
        m_videoIndex = av_find_best_stream(m_input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    }
    if (audioOut) {
        m_param.channels = audioOut->ch_layout.nb_channels;
        m_param.sampleRate = audioOut->sample_rate;
        m_audioIndex = av_find_best_stream(m_input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    }
    if (videoOut && m_videoIndex < 0) {
        printError("Input has no video stream for the output's video\n");
        return 1;
    }
    if (audioOut && m_audioIndex < 0) {
        printError("Input has no audio stream for the output's sound\n");
        return 1;
    }
    if (videoOut && !openDecoder(m_videoIndex, m_videoDecoder)) {
        printError("Cannot decode the input's video\n");
        return 1;
    }
    if (audioOut && !openDecoder(m_audioIndex, m_audioDecoder)) {
        printError("Cannot decode the input's sound\n");
        return 1;
    }
    if (!m_writer.open(std::move(output), m_param)) {
        printError(m_writer.errorString().toStdString());
        return 1;
    }
    for (const QString& line : m_writer.messages())
        printError(line.toStdString());
    if (const AVCodecContext* v = m_writer.videoCodecContext())
        m_outputRate = AVRational{v->time_base.den, v->time_base.num};
    if (videoOut && !allocatePicture(m_picture, AV_PIX_FMT_RGBA, m_param.width, m_param.height)) {
        printError("Out of memory\n");
        return 1;
    }
    m_videoDone = !videoOut || m_setup.maxFrames[AVMEDIA_TYPE_VIDEO] <= 0;
    m_audioDone = !audioOut;
    m_start = double(m_setup.startTime) / AV_TIME_BASE;
    m_limit = double(m_setup.recordingTime) / AV_TIME_BASE;
    if (m_setup.startTime > 0) {
        const int64_t origin = m_input->start_time != AV_NOPTS_VALUE ? m_input->start_time : 0;
        av_seek_frame(m_input, -1, origin + m_setup.startTime, AVSEEK_FLAG_BACKWARD);
    }

    m_frame.reset(av_frame_alloc());
    PacketPtr packet(av_packet_alloc());
    while (!finished() && av_read_frame(m_input, packet.get()) >= 0) {
        if (packet->stream_index == m_videoIndex && m_videoDecoder && !m_videoDone) {
            if (avcodec_send_packet(m_videoDecoder.get(), packet.get()) >= 0)
                receive(m_videoDecoder.get(), true);
        } else if (packet->stream_index == m_audioIndex && m_audioDecoder && !m_audioDone) {
            if (avcodec_send_packet(m_audioDecoder.get(), packet.get()) >= 0)
                receive(m_audioDecoder.get(), false);
        }
        av_packet_unref(packet.get());
    }
    if (m_videoDecoder && !m_videoDone) {
        avcodec_send_packet(m_videoDecoder.get(), nullptr);
        receive(m_videoDecoder.get(), true);
    }
    if (m_audioDecoder && !m_audioDone) {
        avcodec_send_packet(m_audioDecoder.get(), nullptr);
        receive(m_audioDecoder.get(), false);
    }
    // A time limit is filled to its end with the last picture.
    if (videoOut && m_picturesWritten > 0 && m_limit > 0)
        fillVideoUntil(lastSlot());
    m_writer.close();
    freePicture(m_picture);
    if (videoOut && m_picturesWritten == 0) {
        printError("No picture could be taken from the input\n");
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    av_log_set_level(AV_LOG_ERROR);
    setOverwritePrompt(askOnTerminal);

    std::vector<const char*> args(argv, argv + argc);
    if (args.empty())
        args.push_back("zirc");
    args[0] = "zirc";
    FormatContextResult setup = av_get_format_context(int(args.size()), args.data());

    for (const std::string& line : setup.notes)
        std::fputs(line.c_str(), stderr);
    std::fputs(setup.standardOutput.c_str(), stdout);
    if (setup.helpRequested) {
        std::fputs(show_help_text().c_str(), stdout);
        return 0;
    }
    if (!setup.outcome.ok()) {
        std::fputs(setup.outcome.message.c_str(), stderr);
        return setup.outcome.exitStatus;
    }
    if (!setup.output) {
        if (!setup.standardOutput.empty())
            return 0;
        printError("At least one output file must be specified\n");
        return 1;
    }
    if (setup.inputs.empty()) {
        printError("At least one input file must be specified\n");
        return 1;
    }
    Converter converter(setup);
    return converter.run();
}
