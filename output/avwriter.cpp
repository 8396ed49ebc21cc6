#include "avwriter.h"

#include "encoderoptions.h"

#include <QByteArray>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

namespace {

DictionaryPtr dictionaryOf(const std::vector<std::pair<std::string, std::string>>& options)
{
    AVDictionary* dict = nullptr;
    for (const auto& option : options)
        av_dict_set(&dict, option.first.c_str(), option.second.c_str(), 0);
    return DictionaryPtr(dict);
}

// Marks the options of `given` that `left` (what a library call gave back) no
// longer holds.
void markUsed(const AVDictionary* given, const AVDictionary* left,
              const std::vector<std::pair<std::string, std::string>>& custom, std::vector<bool>& used)
{
    for (std::size_t i = 0; i < custom.size(); ++i)
        if (av_dict_get(given, custom[i].first.c_str(), nullptr, 0) &&
            !av_dict_get(left, custom[i].first.c_str(), nullptr, 0))
            used[i] = true;
}

bool isGenericCodecOption(const std::string& name)
{
    const AVClass* generic = avcodec_get_class();
    return av_opt_find(&generic, name.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ) != nullptr;
}

// The options under a generic codec name (profile, level) that the option
// layer kept because only an encoder's own option can hold their values: they
// go to an encoder that has such an option of its own, never to the others,
// whose generic option would refuse them and fail the open.
DictionaryPtr optionsFor(const AVCodec* encoder, const std::vector<std::pair<std::string, std::string>>& custom)
{
    AVDictionary* dict = nullptr;
    const AVClass* own = encoder->priv_class;
    for (const auto& option : custom)
        if (isGenericCodecOption(option.first) && own &&
            av_opt_find(&own, option.first.c_str(), nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            av_dict_set(&dict, option.first.c_str(), option.second.c_str(), 0);
    return DictionaryPtr(dict);
}

} // namespace

AVWriter::AVWriter() = default;

AVWriter::~AVWriter() { close(); }

void AVWriter::fail(const QString& message)
{
    // The first failure is the one that explains the others.
    if (m_error.isEmpty())
        m_error = message;
}

namespace {

QString rateText(AVRational rate)
{
    if (rate.num <= 0 || rate.den <= 0)
        return QStringLiteral("?");
    return rate.den == 1 ? QString::number(rate.num) : QString::number(av_q2d(rate), 'g', 6);
}

// The settings an opened encoder ended up with, which may differ from what
// the profile asked for (encoders round rates, pick formats and threads).
QString codecSummary(const AVCodecContext* codec, const AVCodec* encoder)
{
    QStringList parts;
    parts << QLatin1String(encoder ? encoder->name : avcodec_get_name(codec->codec_id));
    if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
        const char* format = av_get_pix_fmt_name(codec->pix_fmt);
        parts << QLatin1String(format ? format : "?");
        parts << QStringLiteral("%1x%2").arg(codec->width).arg(codec->height);
        const AVRational rate = codec->framerate.num > 0 ? codec->framerate : av_inv_q(codec->time_base);
        parts << QStringLiteral("%1 fps").arg(rateText(rate));
    } else {
        const char* format = av_get_sample_fmt_name(codec->sample_fmt);
        parts << QLatin1String(format ? format : "?");
        parts << QStringLiteral("%1 Hz").arg(codec->sample_rate);
        parts << QStringLiteral("%1 channels").arg(codec->ch_layout.nb_channels);
    }
    parts << (codec->bit_rate > 0 ? QStringLiteral("%1 kb/s").arg(codec->bit_rate / 1000)
                                  : QStringLiteral("no set bit rate"));
    // 0: the encoder chooses (libx264 runs threads of its own).
    parts << (codec->thread_count > 0 ? QStringLiteral("threads %1").arg(codec->thread_count)
                                      : QStringLiteral("threads auto"));
    return parts.join(QStringLiteral(", "));
}

} // namespace

QString AVWriter::encoderSummary() const
{
    if (!m_output || !m_output->context)
        return {};
    const AVFormatContext* oc = m_output->context.get();
    QStringList parts;
    parts << QStringLiteral("format %1").arg(QLatin1String(oc->oformat ? oc->oformat->name : "?"));
    if (m_videoCodec)
        parts << QStringLiteral("video %1").arg(codecSummary(m_videoCodec, m_videoEncoder));
    if (m_audioCodec)
        parts << QStringLiteral("audio %1").arg(codecSummary(m_audioCodec, m_audioEncoder));
    return parts.join(QStringLiteral("; "));
}

int AVWriter::audioFrameBytes() const
{
    if (!m_audioCodec || m_audioCodec->frame_size <= 1)
        return 0;
    return m_audioCodec->frame_size * m_audioChannels * 2;
}

bool AVWriter::open(const QString&, const RenderParam& param, const QStringList& arguments)
{
    close();
    m_error.clear();
    m_messages.clear();

    std::vector<QByteArray> items;
    items.reserve(std::size_t(arguments.size()) + 1);
    items.emplace_back("Faked");
    for (const QString& argument : arguments)
        items.push_back(argument.toUtf8());
    std::vector<const char*> argv;
    for (const QByteArray& item : items)
        argv.push_back(item.constData());

    FormatContextResult result = av_get_format_context(int(argv.size()), argv.data());
    int volume = 256;
    inspectOptionState([&volume](const OptionState& state) { volume = state.audio_volume; });
    for (const std::string& line : result.notes)
        m_messages << QString::fromUtf8(line.c_str()).trimmed();
    if (!result.outcome.ok()) {
        fail(QString::fromUtf8(result.outcome.message.c_str()).trimmed());
        return false;
    }
    if (!result.output) {
        fail(QStringLiteral("At least one output file must be specified"));
        return false;
    }
    const bool opened = open(std::move(result.output), param);
    m_volume = std::max(volume, 0);
    return opened;
}

bool AVWriter::openEncoder(OutputStreamSetup& setup, AVDictionary* options, std::vector<bool>& used,
                           const std::vector<std::pair<std::string, std::string>>& custom)
{
    AVCodecContext* codec = setup.codec.get();
    const char* kind = codec->codec_type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
    if (!setup.encoder) {
        fail(QStringLiteral("No %1 encoder is available for the codec '%2'")
                 .arg(QLatin1String(kind), QLatin1String(avcodec_get_name(codec->codec_id))));
        return false;
    }
    DictionaryPtr mine = optionsFor(setup.encoder, custom);
    AVDictionary* copy = nullptr;
    av_dict_copy(&copy, options, 0);
    av_dict_copy(&copy, mine.get(), 0);
    DictionaryPtr left;
    const int err = avcodec_open2(codec, setup.encoder, &copy);
    left.reset(copy);
    if (err < 0) {
        fail(QStringLiteral("Could not open the %1 encoder '%2': %3")
                 .arg(QLatin1String(kind), QLatin1String(setup.encoder->name), ffmpegErrorText(err)));
        return false;
    }
    markUsed(options, left.get(), custom, used);
    markUsed(mine.get(), left.get(), custom, used);
    if (avcodec_parameters_from_context(setup.stream->codecpar, codec) < 0) {
        fail(QStringLiteral("Could not pass the %1 encoder's parameters to the file").arg(QLatin1String(kind)));
        return false;
    }
    setup.stream->time_base = codec->time_base;
    for (std::size_t i = 0; i < setup.bitstreamFilters.size(); ++i) {
        AVBSFContext* bsf = setup.bitstreamFilters[i].get();
        const AVCodecParameters* in = i == 0 ? setup.stream->codecpar : setup.bitstreamFilters[i - 1]->par_out;
        avcodec_parameters_copy(bsf->par_in, in);
        bsf->time_base_in = codec->time_base;
        if (av_bsf_init(bsf) < 0) {
            fail(QStringLiteral("Could not set up the bitstream filter '%1'").arg(QLatin1String(bsf->filter->name)));
            return false;
        }
    }
    if (!setup.bitstreamFilters.empty())
        avcodec_parameters_copy(setup.stream->codecpar, setup.bitstreamFilters.back()->par_out);
    return true;
}

bool AVWriter::open(std::unique_ptr<OutputFile> output, const RenderParam& param)
{
    close();
    m_error.clear();
    m_param = param;
    m_volume = 256;
    if (!output || !output->context) {
        fail(QStringLiteral("At least one output file must be specified"));
        return false;
    }
    m_output = std::move(output);
    const auto& custom = m_output->customOptions;
    std::vector<std::pair<std::string, std::string>> shared;
    for (const auto& option : custom)
        if (!isGenericCodecOption(option.first))
            shared.push_back(option);
    DictionaryPtr options = dictionaryOf(shared);
    std::vector<bool> used(custom.size(), false);

    for (std::size_t i = 0; i < m_output->streams.size(); ++i) {
        OutputStreamSetup& setup = m_output->streams[i];
        if (setup.streamCopy || !setup.codec)
            continue;
        const AVMediaType type = setup.codec->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        if (!openEncoder(setup, options.get(), used, custom)) {
            close();
            return false;
        }
        if (type == AVMEDIA_TYPE_VIDEO) {
            m_videoCodec = setup.codec.get();
            m_videoEncoder = setup.encoder;
            m_videoStream = setup.stream;
            m_videoSetup = int(i);
        } else {
            m_audioCodec = setup.codec.get();
            m_audioEncoder = setup.encoder;
            m_audioStream = setup.stream;
            m_audioSetup = int(i);
        }
    }

    AVFormatContext* oc = m_output->context.get();
    if (oc->nb_streams == 0) {
        fail(QStringLiteral("Output file #0 does not contain any stream"));
        close();
        return false;
    }
    AVDictionary* muxerOptions = nullptr;
    av_dict_copy(&muxerOptions, options.get(), 0);
    const int err = avformat_write_header(oc, &muxerOptions);
    DictionaryPtr left(muxerOptions);
    if (err < 0) {
        fail(QStringLiteral("Could not write the header of '%1': %2")
                 .arg(QString::fromUtf8(oc->url ? oc->url : ""), ffmpegErrorText(err)));
        close();
        return false;
    }
    m_headerWritten = true;
    markUsed(options.get(), left.get(), custom, used);
    for (std::size_t i = 0; i < custom.size(); ++i)
        if (!used[i])
            m_messages << QStringLiteral("Option '%1' was not used by any encoder or by the format")
                              .arg(QString::fromUtf8(custom[i].first.c_str()));

    m_packet.reset(av_packet_alloc());
    if (!m_packet || (m_audioCodec && !prepareAudio())) {
        if (m_error.isEmpty())
            fail(QStringLiteral("Out of memory"));
        close();
        return false;
    }
    return true;
}

bool AVWriter::prepareAudio()
{
    m_audioChannels = m_audioCodec->ch_layout.nb_channels;
    const int inChannels = m_param.channels > 0 ? m_param.channels : m_audioChannels;
    const int inRate = m_param.sampleRate > 0 ? m_param.sampleRate : m_audioCodec->sample_rate;
    if (inChannels != m_audioChannels || inRate != m_audioCodec->sample_rate) {
        AVChannelLayout inLayout;
        av_channel_layout_default(&inLayout, inChannels);
        SwrContext* swr = nullptr;
        const int err =
            swr_alloc_set_opts2(&swr, &m_audioCodec->ch_layout, AV_SAMPLE_FMT_S16, m_audioCodec->sample_rate, &inLayout,
                                AV_SAMPLE_FMT_S16, inRate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        m_resampler.reset(swr);
        if (err < 0 || swr_init(swr) < 0) {
            fail(QStringLiteral("Could not convert %1 Hz sound with %2 channels for the audio encoder")
                     .arg(inRate)
                     .arg(inChannels));
            return false;
        }
    }
    if (m_audioCodec->sample_fmt != AV_SAMPLE_FMT_S16) {
        SwrContext* swr = nullptr;
        const int err =
            swr_alloc_set_opts2(&swr, &m_audioCodec->ch_layout, m_audioCodec->sample_fmt, m_audioCodec->sample_rate,
                                &m_audioCodec->ch_layout, AV_SAMPLE_FMT_S16, m_audioCodec->sample_rate, 0, nullptr);
        m_sampleConverter.reset(swr);
        if (err < 0 || swr_init(swr) < 0) {
            fail(QStringLiteral("Could not convert sound to the audio encoder's sample format"));
            return false;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Pictures.

// The frame handed to the encoder, in its own pixel format and size.
FramePtr AVWriter::newEncoderFrame() const
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return nullptr;
    frame->format = m_videoCodec->pix_fmt;
    frame->width = m_videoCodec->width;
    frame->height = m_videoCodec->height;
    if (av_frame_get_buffer(frame.get(), 0) < 0)
        return nullptr;
    return frame;
}

bool AVWriter::convertPixelFormat(const AVPicture& picture)
{
    const int srcWidth = m_param.width > 0 ? m_param.width : m_videoCodec->width;
    const int srcHeight = m_param.height > 0 ? m_param.height : m_videoCodec->height;
    if (!m_convertedPicture) {
        FramePtr frame = newEncoderFrame();
        if (!frame)
            return false;
        m_scaler.reset(sws_getContext(srcWidth, srcHeight, AV_PIX_FMT_RGBA, m_videoCodec->width, m_videoCodec->height,
                                      m_videoCodec->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr));
        if (!m_scaler) {
            fail(QStringLiteral("Cannot convert pictures to the pixel format '%1'")
                     .arg(QLatin1String(av_get_pix_fmt_name(m_videoCodec->pix_fmt))));
            return false;
        }
        m_convertedPicture = std::move(frame);
    }
    // The encoder may still hold the previous picture.
    if (av_frame_make_writable(m_convertedPicture.get()) < 0)
        return false;
    sws_scale(m_scaler.get(), picture.data, picture.linesize, 0, srcHeight, m_convertedPicture->data,
              m_convertedPicture->linesize);
    return true;
}

bool AVWriter::writeVideoFrame(const AVPicture& picture)
{
    if (!m_videoCodec || !picture.data[0])
        return false;
    if (!convertPixelFormat(picture))
        return false;
    m_convertedPicture->pts = m_videoFramesSent;
    return encodeVideo(m_convertedPicture.get());
}

bool AVWriter::takesYuv420(bool& fullRange) const
{
    if (!m_videoCodec)
        return false;
    // Any other size goes through the scaler.
    if ((m_param.width > 0 && m_param.width != m_videoCodec->width) ||
        (m_param.height > 0 && m_param.height != m_videoCodec->height))
        return false;
    fullRange = m_videoCodec->pix_fmt == AV_PIX_FMT_YUVJ420P;
    return m_videoCodec->pix_fmt == AV_PIX_FMT_YUV420P || fullRange;
}

bool AVWriter::writeEncoderFrame(const AVPicture& picture)
{
    if (!m_videoCodec || !picture.data[0])
        return false;
    if (!m_convertedPicture) {
        FramePtr frame = newEncoderFrame();
        if (!frame)
            return false;
        m_convertedPicture = std::move(frame);
    }
    // The picture is copied into a frame the writer owns, which the encoder
    // may keep (as a reference picture) after the caller has reused its
    // buffer.
    if (av_frame_make_writable(m_convertedPicture.get()) < 0)
        return false;
    const uint8_t* planes[4] = {picture.data[0], picture.data[1], picture.data[2], picture.data[3]};
    av_image_copy(m_convertedPicture->data, m_convertedPicture->linesize, planes, picture.linesize,
                  m_videoCodec->pix_fmt, m_videoCodec->width, m_videoCodec->height);
    m_convertedPicture->pts = m_videoFramesSent;
    return encodeVideo(m_convertedPicture.get());
}

bool AVWriter::encodeVideo(const AVFrame* frame)
{
    const int err = avcodec_send_frame(m_videoCodec, frame);
    if (err < 0) {
        fail(QStringLiteral("The video encoder refused a picture: %1").arg(ffmpegErrorText(err)));
        return false;
    }
    if (frame)
        ++m_videoFramesSent;
    return drainEncoder(m_videoCodec, m_videoSetup);
}

// ---------------------------------------------------------------------------
// Sound.

bool AVWriter::writeAudioBuffer(const short* samples, int byteCount)
{
    if (!m_audioCodec)
        return false;
    if (byteCount <= 0 || !samples)
        return true;
    if (m_volume != 256) {
        // The sound arrives as 16-bit samples, so the volume is applied here,
        // clipped at full scale.
        m_scaled.assign(samples, samples + byteCount / 2);
        for (short& sample : m_scaled)
            sample = short(std::clamp((int(sample) * m_volume + 128) >> 8, -32768, 32767));
        samples = m_scaled.data();
    }
    if (!m_resampler)
        return cutIntoFrames(samples, byteCount);

    const int inChannels = m_param.channels > 0 ? m_param.channels : m_audioChannels;
    const int inSamples = byteCount / 2 / inChannels;
    const int room = swr_get_out_samples(m_resampler.get(), inSamples);
    if (room < 0)
        return false;
    m_resampled.resize(std::size_t(room) * std::size_t(m_audioChannels));
    uint8_t* out = reinterpret_cast<uint8_t*>(m_resampled.data());
    const uint8_t* in = reinterpret_cast<const uint8_t*>(samples);
    const int made = swr_convert(m_resampler.get(), &out, room, &in, inSamples);
    if (made < 0)
        return false;
    return made == 0 || cutIntoFrames(m_resampled.data(), made * m_audioChannels * 2);
}

// Cuts a block of S16 sound at the encoder's rate and channels into encoder
// frames; what is left over waits in the carry for the next block.
bool AVWriter::cutIntoFrames(const short* samples, int n)
{
    const int frameSize = m_audioCodec->frame_size;
    if (frameSize <= 1)
        return encodeAudio(n / 2, samples);

    const int B = frameSize * m_audioChannels * 2;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(samples);
    int used = 0;
    if (m_carryLength > 0) {
        const int m = std::min(n, B - m_carryLength);
        std::memcpy(reinterpret_cast<uint8_t*>(m_carry.data()) + (m_carryLength & ~1), bytes, std::size_t(m));
        m_carryLength += m;
        if (m_carryLength == B) {
            encodeAudio(B / 2, m_carry.data());
            m_carryLength = 0;
        }
        used = m;
    }
    while (n - used >= B) {
        // Whole frames are encoded straight from the caller's block; only a
        // block that is not 2-byte aligned there is copied first.
        if ((used & 1) == 0) {
            encodeAudio(B / 2, reinterpret_cast<const short*>(bytes + used));
        } else {
            std::vector<short> aligned(std::size_t(B / 2));
            std::memcpy(aligned.data(), bytes + used, std::size_t(B));
            encodeAudio(B / 2, aligned.data());
        }
        used += B;
    }
    if (used < n) {
        if (m_carry.empty())
            m_carry.resize(std::size_t(B / 2));
        std::memcpy(m_carry.data(), bytes + used, std::size_t(n - used));
        m_carryLength = n - used;
    }
    return true;
}

bool AVWriter::encodeAudio(int sampleCount, const short* samples)
{
    const int frames = sampleCount / m_audioChannels;
    if (frames <= 0)
        return true;
    FramePtr frame(av_frame_alloc());
    if (!frame)
        return false;
    frame->nb_samples = frames;
    frame->format = m_audioCodec->sample_fmt;
    frame->sample_rate = m_audioCodec->sample_rate;
    if (av_channel_layout_copy(&frame->ch_layout, &m_audioCodec->ch_layout) < 0 ||
        av_frame_get_buffer(frame.get(), 0) < 0)
        return false;
    if (m_sampleConverter) {
        const uint8_t* in = reinterpret_cast<const uint8_t*>(samples);
        if (swr_convert(m_sampleConverter.get(), frame->data, frames, &in, frames) < 0)
            return false;
    } else {
        std::memcpy(frame->data[0], samples, std::size_t(frames) * std::size_t(m_audioChannels) * 2);
    }
    frame->pts = m_audioSamplesSent;
    m_audioSamplesSent += frames;
    return sendAudioFrame(frame.get());
}

bool AVWriter::sendAudioFrame(const AVFrame* frame)
{
    const int err = avcodec_send_frame(m_audioCodec, frame);
    if (err < 0) {
        fail(QStringLiteral("The audio encoder refused a sound frame: %1").arg(ffmpegErrorText(err)));
        return false;
    }
    if (frame)
        ++m_audioFramesSent;
    return drainEncoder(m_audioCodec, m_audioSetup);
}

void AVWriter::flushAudio()
{
    if (!m_audioCodec)
        return;
    if (m_resampler) {
        // Sound still inside the resampler's filter.
        const int room = swr_get_out_samples(m_resampler.get(), 0);
        if (room > 0) {
            m_resampled.resize(std::size_t(room) * std::size_t(m_audioChannels));
            uint8_t* out = reinterpret_cast<uint8_t*>(m_resampled.data());
            const int made = swr_convert(m_resampler.get(), &out, room, nullptr, 0);
            if (made > 0)
                cutIntoFrames(m_resampled.data(), made * m_audioChannels * 2);
        }
    }
    if (m_carryLength > 0) {
        const int B = audioFrameBytes();
        std::memset(reinterpret_cast<uint8_t*>(m_carry.data()) + m_carryLength, 0, std::size_t(B - m_carryLength));
        encodeAudio(B / 2, m_carry.data());
        m_carryLength = 0;
    }
    sendAudioFrame(nullptr);
}

// ---------------------------------------------------------------------------
// Packets.

bool AVWriter::drainEncoder(AVCodecContext* codec, int setupIndex)
{
    for (;;) {
        av_packet_unref(m_packet.get());
        const int err = avcodec_receive_packet(codec, m_packet.get());
        if (err == AVERROR(EAGAIN))
            return true;
        if (err == AVERROR_EOF)
            // The encoder is drained; filters that hold packets back give
            // them up now.
            return writePacket(nullptr, codec, setupIndex);
        if (err < 0) {
            fail(QStringLiteral("Encoding failed: %1").arg(ffmpegErrorText(err)));
            return false;
        }
        if (!writePacket(m_packet.get(), codec, setupIndex))
            return false;
    }
}

bool AVWriter::filterPackets(AVBSFContext* filter, std::vector<PacketPtr>& packets, bool flush)
{
    // Every packet on the way is owned by a PacketPtr, so leaving early at
    // any step frees all of them.
    std::vector<PacketPtr> filtered;
    const auto refused = [this, filter](const char* what, int err) {
        fail(QStringLiteral("The bitstream filter '%1' %2 a packet: %3")
                 .arg(QLatin1String(filter->filter->name), QLatin1String(what), ffmpegErrorText(err)));
        return false;
    };
    const auto takeOutput = [&]() {
        for (;;) {
            PacketPtr out(av_packet_alloc());
            if (!out) {
                fail(QStringLiteral("Out of memory"));
                return false;
            }
            const int err = av_bsf_receive_packet(filter, out.get());
            if (err == AVERROR(EAGAIN) || err == AVERROR_EOF)
                return true;
            if (err < 0)
                return refused("failed on", err);
            filtered.push_back(std::move(out));
        }
    };
    for (PacketPtr& in : packets) {
        const int err = av_bsf_send_packet(filter, in.get());
        if (err < 0)
            return refused("refused", err);
        if (!takeOutput())
            return false;
    }
    if (flush) {
        const int err = av_bsf_send_packet(filter, nullptr);
        if (err < 0)
            return refused("could not finish", err);
        if (!takeOutput())
            return false;
    }
    packets = std::move(filtered);
    return true;
}

bool AVWriter::writePacket(AVPacket* packet, AVCodecContext* codec, int setupIndex)
{
    OutputStreamSetup& setup = m_output->streams[std::size_t(setupIndex)];
    if (packet && codec->codec_type == AVMEDIA_TYPE_AUDIO)
        packet->flags |= AV_PKT_FLAG_KEY;
    AVFormatContext* oc = m_output->context.get();
    if (setup.bitstreamFilters.empty()) {
        if (!packet)
            return true;
        av_packet_rescale_ts(packet, codec->time_base, setup.stream->time_base);
        packet->stream_index = setup.stream->index;
        const int err = av_interleaved_write_frame(oc, packet);
        if (err < 0)
            fail(QStringLiteral("Could not write to the output file: %1").arg(ffmpegErrorText(err)));
        return err >= 0;
    }
    // Through the filter chain: each filter's output feeds the next one; no
    // packet means the encoder has ended and each filter in turn is flushed.
    std::vector<PacketPtr> pending;
    if (packet) {
        PacketPtr owned(av_packet_alloc());
        if (!owned) {
            fail(QStringLiteral("Out of memory"));
            return false;
        }
        av_packet_move_ref(owned.get(), packet);
        pending.push_back(std::move(owned));
    }
    for (BsfContextPtr& filter : setup.bitstreamFilters)
        if (!filterPackets(filter.get(), pending, !packet))
            return false;
    const AVRational filteredBase = setup.bitstreamFilters.back()->time_base_out;
    bool ok = true;
    for (PacketPtr& out : pending) {
        av_packet_rescale_ts(out.get(), filteredBase, setup.stream->time_base);
        out->stream_index = setup.stream->index;
        const int err = av_interleaved_write_frame(oc, out.get());
        if (err < 0) {
            fail(QStringLiteral("Could not write to the output file: %1").arg(ffmpegErrorText(err)));
            ok = false;
        }
    }
    return ok;
}

// ---------------------------------------------------------------------------

void AVWriter::close()
{
    if (m_output) {
        if (m_headerWritten) {
            flushAudio();
            if (m_videoCodec)
                encodeVideo(nullptr);
            const int err = av_write_trailer(m_output->context.get());
            if (err < 0)
                fail(QStringLiteral("Could not finish the output file: %1").arg(ffmpegErrorText(err)));
        }
        m_output.reset();
    }
    av_relase_format_context();
    m_headerWritten = false;
    m_videoCodec = nullptr;
    m_videoEncoder = nullptr;
    m_videoStream = nullptr;
    m_videoSetup = -1;
    m_audioCodec = nullptr;
    m_audioEncoder = nullptr;
    m_audioStream = nullptr;
    m_audioSetup = -1;
    m_convertedPicture.reset();
    m_scaler.reset();
    m_resampler.reset();
    m_sampleConverter.reset();
    m_packet.reset();
    m_carry.clear();
    m_resampled.clear();
    m_carryLength = 0;
    m_audioChannels = 0;
    m_videoFramesSent = 0;
    m_audioFramesSent = 0;
    m_audioSamplesSent = 0;
}
