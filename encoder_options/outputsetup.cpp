#include "outputsetup.h"
#include "optionsinternal.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sys/stat.h>

extern "C" {
#include <libavutil/avstring.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

namespace {

OptionState& S() { return g_state; }

bool fileExists(const char* name)
{
    struct stat info {};
    return ::stat(name, &info) == 0;
}

// The output format context, or null when the format has no options of its own.
void* privateOptions(AVFormatContext* oc, const char* name)
{
    if (!oc->oformat->priv_class || !oc->priv_data)
        return nullptr;
    return av_opt_find(oc->priv_data, name, nullptr, 0, 0) ? oc->priv_data : nullptr;
}

AVRational inverse(AVRational q) { return AVRational{q.den, q.num}; }

AVRational aspectOf(float frameAspect, int width, int height)
{
    if (width <= 0 || height <= 0 || frameAspect == 0)
        return AVRational{0, 1};
    return av_d2q(double(frameAspect) * height / width, 255);
}

OutputFile& newestOutput()
{
    if (S().output_files.empty())
        fail("At least one output file must be specified\n");
    return *S().output_files.back();
}

AVStream* newStream(OutputFile& of)
{
    AVStream* st = avformat_new_stream(of.context.get(), nullptr);
    if (!st)
        fail("Could not alloc stream\n");
    st->id = int(of.context->nb_streams) - 1;
    return st;
}

// An encoder context for `encoder`, or a bare one of the codec when there is
// no encoder; the codec id and media type are set either way.
CodecContextPtr makeCodecContext(const AVCodec* encoder, AVCodecID id, AVMediaType type)
{
    CodecContextPtr ctx(avcodec_alloc_context3(encoder));
    if (!ctx)
        fail("Could not alloc stream\n");
    ctx->codec_id = id;
    ctx->codec_type = type;
    return ctx;
}

const AVCodec* chooseEncoder(AVCodecID id, const AVCodec* named)
{
    if (named && named->id == id)
        return named;
    return id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_encoder(id);
}

void setFlagInTemplate(AVMediaType type, int flags, int flags2)
{
    AVCodecContext* templ = S().avctx_opts[std::size_t(type)].get();
    templ->flags |= flags;
    templ->flags2 |= flags2;
}

void parseRcOverride(AVCodecContext* ctx, const std::string& text)
{
    std::vector<RcOverride> overrides;
    const char* p = text.c_str();
    for (int i = 0; p; i++) {
        int start = 0, end = 0, q = 0;
        if (std::sscanf(p, "%d,%d,%d", &start, &end, &q) != 3)
            fail("error parsing rc_override\n");
        RcOverride o{};
        o.start_frame = start;
        o.end_frame = end;
        if (q > 0) {
            o.qscale = q;
            o.quality_factor = 1.0f;
        } else {
            o.qscale = 0;
            o.quality_factor = -q / 100.0f;
        }
        overrides.push_back(o);
        p = std::strchr(p, '/');
        if (p)
            p++;
    }
    ctx->rc_override = static_cast<RcOverride*>(av_malloc_array(overrides.size(), sizeof(RcOverride)));
    if (!ctx->rc_override)
        fail("error parsing rc_override\n");
    std::memcpy(ctx->rc_override, overrides.data(), overrides.size() * sizeof(RcOverride));
    ctx->rc_override_count = int(overrides.size());
}

uint16_t* copyMatrix(const std::array<uint16_t, 64>& matrix)
{
    auto* copy = static_cast<uint16_t*>(av_malloc(sizeof(uint16_t) * 64));
    if (copy)
        std::memcpy(copy, matrix.data(), sizeof(uint16_t) * 64);
    return copy;
}

// ---------------------------------------------------------------------------
// Streams.

void new_video_stream(OutputFile& of)
{
    AVFormatContext* oc = of.context.get();
    OutputStreamSetup setup;
    AVStream* st = newStream(of);
    setup.stream = st;
    setup.bitstreamFilters = std::move(S().video_bitstream_filters);
    S().video_bitstream_filters.clear();

    if (S().video_stream_copy) {
        setup.streamCopy = true;
        const int slot = std::min(S().ifo, MaxInputSlots - 1);
        st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
        st->sample_aspect_ratio = aspectOf(S().frame_aspect_ratio, S().frame_width[slot], S().frame_height[slot]);
    } else {
        const AVCodecID id = S().video_codec_id
                                 ? AVCodecID(S().video_codec_id)
                                 : av_guess_codec(oc->oformat, nullptr, oc->url, nullptr, AVMEDIA_TYPE_VIDEO);
        const AVCodec* codec = chooseEncoder(id, S().video_encoder);
        setup.encoder = codec;
        setup.codec = makeCodecContext(codec, id, AVMEDIA_TYPE_VIDEO);
        AVCodecContext* enc = setup.codec.get();

        enc->thread_count = S().thread_count;
        if (S().video_codec_tag)
            enc->codec_tag = unsigned(S().video_codec_tag);
        if ((S().video_global_header & 1) ||
            (S().video_global_header == 0 && (oc->oformat->flags & AVFMT_GLOBALHEADER))) {
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            setFlagInTemplate(AVMEDIA_TYPE_VIDEO, AV_CODEC_FLAG_GLOBAL_HEADER, 0);
        }
        if (S().video_global_header & 2) {
            enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
            setFlagInTemplate(AVMEDIA_TYPE_VIDEO, 0, AV_CODEC_FLAG2_LOCAL_HEADER);
        }

        applyOptNames(enc, S().avctx_opts[AVMEDIA_TYPE_VIDEO].get(),
                      AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM, false);

        AVRational rate = S().frame_rate_output;
        if (codec && codec->supported_framerates)
            rate = codec->supported_framerates[av_find_nearest_q_idx(rate, codec->supported_framerates)];
        enc->time_base = inverse(rate);
        enc->framerate = rate;

        enc->width = S().frame_width[0] + S().frame_padleft[0] + S().frame_padright[0];
        enc->height = S().frame_height[0] + S().frame_padtop[0] + S().frame_padbottom[0];
        enc->sample_aspect_ratio = aspectOf(S().frame_aspect_ratio, enc->width, enc->height);
        st->sample_aspect_ratio = enc->sample_aspect_ratio;

        AVPixelFormat format = AVPixelFormat(S().frame_pix_fmt);
        if (codec && codec->pix_fmts) {
            bool listed = false;
            for (const AVPixelFormat* p = codec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
                listed = listed || *p == format;
            if (!listed)
                format = codec->pix_fmts[0];
        }
        // An encoder that lists no formats takes the common one.
        enc->pix_fmt = format == AV_PIX_FMT_NONE ? AV_PIX_FMT_YUV420P : format;

        if (S().intra_only)
            enc->gop_size = 0;
        if (S().video_qscale != 0 || S().same_quality) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = int(FF_QP2LAMBDA * S().video_qscale);
        }
        if (S().intra_matrix)
            enc->intra_matrix = copyMatrix(*S().intra_matrix);
        if (S().inter_matrix)
            enc->inter_matrix = copyMatrix(*S().inter_matrix);
        enc->max_qdiff = S().video_qdiff;
        // The rate-control equation belongs to the encoders that have one.
        av_opt_set(enc, "rc_eq", S().video_rc_eq.c_str(), AV_OPT_SEARCH_CHILDREN);

        if (S().video_rc_override_string)
            parseRcOverride(enc, *S().video_rc_override_string);
        if (!enc->rc_initial_buffer_occupancy)
            enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
        enc->intra_dc_precision = S().intra_dc_precision - 8;
        enc->strict_std_compliance = S().strict;
        if (S().do_psnr)
            enc->flags |= AV_CODEC_FLAG_PSNR;
        if (S().do_pass == 1)
            enc->flags |= AV_CODEC_FLAG_PASS1;
        else if (S().do_pass == 2)
            enc->flags |= AV_CODEC_FLAG_PASS2;
        st->time_base = enc->time_base;
        st->avg_frame_rate = rate;
    }
    of.streams.push_back(std::move(setup));
    S().video_disable = 0;
    S().video_codec_id = 0;
    S().video_encoder = nullptr;
}

bool sampleRateListed(const int* rates, int rate)
{
    for (const int* r = rates; *r; ++r)
        if (*r == rate)
            return true;
    return false;
}

void new_audio_stream(OutputFile& of)
{
    AVFormatContext* oc = of.context.get();
    OutputStreamSetup setup;
    AVStream* st = newStream(of);
    setup.stream = st;
    setup.bitstreamFilters = std::move(S().audio_bitstream_filters);
    S().audio_bitstream_filters.clear();

    int sampleRate = S().audio_sample_rate;
    if (S().audio_stream_copy) {
        setup.streamCopy = true;
        st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
        av_channel_layout_default(&st->codecpar->ch_layout, S().audio_channels);
        st->codecpar->sample_rate = sampleRate;
    } else {
        const AVCodecID id = S().audio_codec_id
                                 ? AVCodecID(S().audio_codec_id)
                                 : av_guess_codec(oc->oformat, nullptr, oc->url, nullptr, AVMEDIA_TYPE_AUDIO);
        const AVCodec* codec = chooseEncoder(id, S().audio_encoder);
        setup.encoder = codec;
        setup.codec = makeCodecContext(codec, id, AVMEDIA_TYPE_AUDIO);
        AVCodecContext* enc = setup.codec.get();

        enc->thread_count = S().thread_count;
        if (S().audio_codec_tag)
            enc->codec_tag = unsigned(S().audio_codec_tag);
        if (oc->oformat->flags & AVFMT_GLOBALHEADER) {
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            setFlagInTemplate(AVMEDIA_TYPE_AUDIO, AV_CODEC_FLAG_GLOBAL_HEADER, 0);
        }
        applyOptNames(enc, S().avctx_opts[AVMEDIA_TYPE_AUDIO].get(),
                      AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM, true);
        if (S().audio_qscale > AudioQscaleUnset) {
            enc->flags |= AV_CODEC_FLAG_QSCALE;
            enc->global_quality = int(FF_QP2LAMBDA * S().audio_qscale);
        }

        av_channel_layout_uninit(&enc->ch_layout);
        av_channel_layout_default(&enc->ch_layout, S().audio_channels);
        if (codec && codec->ch_layouts && codec->ch_layouts[0].nb_channels) {
            const AVChannelLayout* pick = nullptr;
            for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels && !pick; ++l)
                if (av_channel_layout_compare(l, &enc->ch_layout) == 0)
                    pick = l;
            for (const AVChannelLayout* l = codec->ch_layouts; l->nb_channels && !pick; ++l)
                if (l->nb_channels == enc->ch_layout.nb_channels)
                    pick = l;
            if (!pick)
                pick = codec->ch_layouts;
            av_channel_layout_uninit(&enc->ch_layout);
            av_channel_layout_copy(&enc->ch_layout, pick);
        }

        if (codec && codec->sample_fmts) {
            bool listed = false;
            for (const AVSampleFormat* f = codec->sample_fmts; *f != AV_SAMPLE_FMT_NONE; ++f)
                listed = listed || *f == enc->sample_fmt;
            if (!listed)
                enc->sample_fmt = codec->sample_fmts[0];
        }
        if (enc->sample_fmt == AV_SAMPLE_FMT_NONE)
            enc->sample_fmt = AV_SAMPLE_FMT_S16;

        // An encoder bound to a few rates takes the nearest one; the writer
        // resamples to it.
        if (codec && codec->supported_samplerates && !sampleRateListed(codec->supported_samplerates, sampleRate)) {
            int best = codec->supported_samplerates[0];
            for (const int* r = codec->supported_samplerates; *r; ++r)
                if (std::abs(*r - sampleRate) < std::abs(best - sampleRate))
                    best = *r;
            sampleRate = best;
        }
        enc->sample_rate = sampleRate;
        enc->time_base = AVRational{1, sampleRate};
        enc->strict_std_compliance = S().strict;
        st->time_base = enc->time_base;
    }
    if (S().audio_language) {
        av_dict_set(&st->metadata, "language", S().audio_language->c_str(), 0);
        S().audio_language.reset();
    }
    of.streams.push_back(std::move(setup));
    S().audio_disable = 0;
    S().audio_codec_id = 0;
    S().audio_encoder = nullptr;
    S().audio_stream_copy = 0;
}

void new_subtitle_stream(OutputFile& of)
{
    AVFormatContext* oc = of.context.get();
    OutputStreamSetup setup;
    AVStream* st = newStream(of);
    setup.stream = st;
    if (S().subtitle_stream_copy) {
        setup.streamCopy = true;
        st->codecpar->codec_type = AVMEDIA_TYPE_SUBTITLE;
    } else {
        const AVCodecID id = S().subtitle_codec_id
                                 ? AVCodecID(S().subtitle_codec_id)
                                 : av_guess_codec(oc->oformat, nullptr, oc->url, nullptr, AVMEDIA_TYPE_SUBTITLE);
        const AVCodec* codec = chooseEncoder(id, S().subtitle_encoder);
        setup.encoder = codec;
        setup.codec = makeCodecContext(codec, id, AVMEDIA_TYPE_SUBTITLE);
        applyOptNames(setup.codec.get(), S().avctx_opts[AVMEDIA_TYPE_SUBTITLE].get(),
                      AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_ENCODING_PARAM, false);
        setup.codec->strict_std_compliance = S().strict;
    }
    if (S().subtitle_language) {
        av_dict_set(&st->metadata, "language", S().subtitle_language->c_str(), 0);
        S().subtitle_language.reset();
    }
    of.streams.push_back(std::move(setup));
    S().subtitle_disable = 0;
    S().subtitle_codec_id = 0;
    S().subtitle_encoder = nullptr;
    S().subtitle_stream_copy = 0;
}

// ---------------------------------------------------------------------------
// Inputs.

void streamKinds(AVFormatContext* ic, bool& hasVideo, bool& hasAudio)
{
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVMediaType type = ic->streams[i]->codecpar->codec_type;
        hasVideo = hasVideo || type == AVMEDIA_TYPE_VIDEO;
        hasAudio = hasAudio || type == AVMEDIA_TYPE_AUDIO;
    }
}

// Opens the "ifo" inputs after the first, one by one, until a video and an
// audio stream have both been seen.
void pretreatment_input_file(bool& hasVideo, bool& hasAudio)
{
    hasVideo = false;
    hasAudio = false;
    for (std::size_t i = 1; i < S().ifo_names.size() && !(hasVideo && hasAudio); ++i) {
        AVFormatContext* raw = nullptr;
        if (avformat_open_input(&raw, S().ifo_names[i].c_str(), nullptr, nullptr) < 0)
            continue;
        InputContextPtr ic(raw);
        if (avformat_find_stream_info(ic.get(), nullptr) < 0)
            continue;
        streamKinds(ic.get(), hasVideo, hasAudio);
    }
}

// A feed's stream set-up copied as it stands into the output.
bool read_ffserver_streams(OutputFile& of, const char* filename)
{
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, filename, nullptr, nullptr) < 0)
        return false;
    InputContextPtr ic(raw);
    if (avformat_find_stream_info(ic.get(), nullptr) < 0)
        return false;
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        AVStream* st = newStream(of);
        if (avcodec_parameters_copy(st->codecpar, ic->streams[i]->codecpar) < 0)
            return false;
        OutputStreamSetup setup;
        setup.stream = st;
        setup.streamCopy = true;
        of.streams.push_back(std::move(setup));
    }
    return true;
}

bool usingStdin = false;

} // namespace

// ---------------------------------------------------------------------------
// Output file.

void opt_output_file(const char* filenameArg)
{
    S().split_audio_disable = S().audio_disable;
    S().split_video_disable = S().video_disable;
    S().split_audio_codec_id = S().audio_codec_id;
    S().split_video_codec_id = S().video_codec_id;
    S().split_audio_stream_copy = S().audio_stream_copy;
    S().split_video_stream_copy = S().video_stream_copy;

    const char* filename = std::strcmp(filenameArg, "-") == 0 ? "pipe:" : filenameArg;
    if (int(S().output_files.size()) >= MaxOutputFiles)
        fail("Too many output files (at most %d)\n", MaxOutputFiles);

    AVFormatContext* raw = nullptr;
    avformat_alloc_output_context2(&raw, S().file_oformat, nullptr, filename);
    if (!raw)
        fail("Unable to find a suitable output format for '%s'\n", filename);
    auto of = std::make_unique<OutputFile>();
    of->context.reset(raw);
    AVFormatContext* oc = raw;
    S().last_file_oformat = oc->oformat;

    if (S().do_psnr && S().vstats_filename) {
        std::string base = filename;
        const std::size_t dot = base.rfind('.');
        if (dot != std::string::npos)
            base.resize(dot);
        S().psnr_filename = base.substr(0, 1040 - 6) + ".psnr";
    }

    if (std::strcmp(oc->oformat->name, "ffm") == 0 && av_strstart(filename, "http:", nullptr)) {
        if (!read_ffserver_streams(*of, filename))
            fail("Could not read stream parameters from '%s'\n", filename);
    } else {
        bool useVideo = oc->oformat->video_codec != AV_CODEC_ID_NONE || S().video_stream_copy || S().video_codec_id;
        bool useAudio = oc->oformat->audio_codec != AV_CODEC_ID_NONE || S().audio_stream_copy || S().audio_codec_id;
        const int slot = currentSlot();
        bool anyInput = false, inputVideo = false, inputAudio = false;
        for (const auto& input : S().input_files) {
            if (input->slot != slot)
                continue;
            anyInput = true;
            streamKinds(input->context.get(), inputVideo, inputAudio);
        }
        if (anyInput) {
            useVideo = useVideo && inputVideo;
            useAudio = useAudio && inputAudio;
        }
        if ((!useVideo || !useAudio) && S().ifo_names.size() > 1 && !S().repeat_given) {
            bool moreVideo = false, moreAudio = false;
            pretreatment_input_file(moreVideo, moreAudio);
            if (!useVideo && moreVideo) {
                useVideo = true;
                if (S().frame_width[0] == 0) {
                    S().frame_width[0] = 640;
                    S().frame_height[0] = 480;
                }
            }
            useAudio = useAudio || moreAudio;
        }
        if (S().audio_disable)
            useAudio = false;
        if (useVideo && !S().video_disable)
            new_video_stream(*of);
        if (useAudio)
            new_audio_stream(*of);

        if (S().rec_timestamp) {
            const std::time_t seconds = std::time_t(S().rec_timestamp);
            std::tm utc{};
            gmtime_r(&seconds, &utc);
            char text[32];
            std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S.000000Z", &utc);
            av_dict_set(&oc->metadata, "creation_time", text, 0);
        }
        for (auto it = S().metadata.rbegin(); it != S().metadata.rend(); ++it)
            av_dict_set(&oc->metadata, it->first.c_str(), it->second.c_str(), 0);
        S().metadata.clear();
        if (S().str_title && !av_dict_get(oc->metadata, "title", nullptr, 0))
            av_dict_set(&oc->metadata, "title", S().str_title->c_str(), 0);
    }

    S().output_files.push_back(std::move(of));
    S().nb_output_files++;

    if ((oc->oformat->flags & AVFMT_NEEDNUMBER) && !av_filename_number_test(oc->url))
        failText(print_error(oc->url, AVERROR(EDOM)));

    if (!(oc->oformat->flags & AVFMT_NOFILE)) {
        const char* path = filename;
        const bool local = !std::strchr(filename, ':') || av_strstart(filename, "file:", &path);
        if (!S().file_overwrite && local && fileExists(path)) {
            if (usingStdin)
                fail("File '%s' already exists. Exiting.\n", filename);
            const std::string question = formatText("File '%s' already exists. Overwrite ? [y/N] ", filename);
            if (!askOverwrite(question)) {
                note("%s", question.c_str());
                fail("Not overwriting - exiting\n");
            }
        }
        if (avio_open(&oc->pb, filename, AVIO_FLAG_WRITE) < 0)
            fail("Could not open '%s'\n", filename);
    }

    oc->max_delay = int(S().mux_max_delay * AV_TIME_BASE);
    if (void* priv = privateOptions(oc, "preload"))
        av_opt_set_int(priv, "preload", int64_t(S().mux_preload * AV_TIME_BASE), 0);
    if (void* priv = privateOptions(oc, "loop"))
        av_opt_set_int(priv, "loop", S().loop_output, 0);
    if (void* priv = privateOptions(oc, "write_id3v1"))
        av_opt_set_int(priv, "write_id3v1", S().write_id3v1, 0);
    applyOptNames(oc, S().avformat_opts.get(), AV_OPT_FLAG_ENCODING_PARAM, false);

    if (!S().volume_size) {
        S().file_oformat = nullptr;
        S().file_iformat = nullptr;
    }
}

void opt_new_video_stream(const char*) { new_video_stream(newestOutput()); }

void opt_new_audio_stream(const char*) { new_audio_stream(newestOutput()); }

void opt_new_subtitle_stream(const char*) { new_subtitle_stream(newestOutput()); }

// ---------------------------------------------------------------------------
// Inputs.

void opt_input_file(const char* filenameArg)
{
    const char* filename = std::strcmp(filenameArg, "-") == 0 ? "pipe:" : filenameArg;
    usingStdin = usingStdin || std::strcmp(filename, "pipe:") == 0 || std::strcmp(filename, "/dev/stdin") == 0;
    const int slot = currentSlot();

    AVFormatContext* raw = nullptr;
    const int err = avformat_open_input(&raw, filename, S().file_iformat, nullptr);
    if (err < 0)
        failText(print_error(filename, err));
    auto input = std::make_unique<InputFile>();
    input->context.reset(raw);
    input->slot = slot;
    AVFormatContext* ic = raw;

    if (std::strcmp(ic->iformat->name, "bzp") == 0) {
        float first = 0;
        if (InitialBzp(ic, &first))
            S().ppt_time = first;
    }
    if (avformat_find_stream_info(ic, nullptr) < 0)
        fail("%s: could not find codec parameters\n", filename);

    if (S().start_time[slot] != 0) {
        int64_t timestamp = S().start_time[slot];
        if (ic->start_time != AV_NOPTS_VALUE)
            timestamp += ic->start_time;
        if (av_seek_frame(ic, -1, timestamp, AVSEEK_FLAG_BACKWARD) < 0)
            fail("%s: could not seek to position %0.3f\n", filename, double(timestamp) / AV_TIME_BASE);
    }

    for (unsigned i = 0; i < ic->nb_streams; ++i) {
        const AVStream* st = ic->streams[i];
        const AVCodecParameters* par = st->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            S().audio_channels = par->ch_layout.nb_channels;
            S().audio_sample_rate = par->sample_rate;
        } else if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            S().frame_width[slot] = par->width;
            S().frame_height[slot] = par->height;
            const AVRational container = st->r_frame_rate;
            const AVRational codec = st->avg_frame_rate;
            if (codec.num && container.num && av_cmp_q(codec, container) != 0 && S().verbose >= 0)
                note("\nSeems stream %u codec frame rate differs from container frame rate: %2.2f (%d/%d) -> %2.2f "
                     "(%d/%d)\n",
                     i, av_q2d(codec), codec.num, codec.den, av_q2d(container), container.num, container.den);
            if (container.num && container.den)
                S().frame_rate = container;
        }
    }
    S().nb_input_files[slot]++;
    S().input_files.push_back(std::move(input));
    // A forced format applies to the file that follows it only.
    S().file_iformat = nullptr;
    S().file_oformat = nullptr;
}

void opt_ifo_inputfiles(const char* filename)
{
    if (std::strlen(filename) > 1039)
        fail("Input file name too long: %s\n", filename);
    const int copies = S().repeat_num > 1 ? S().repeat_num : 1;
    if (S().ifo + copies > MaxInputSlots - 1)
        fail("Too many input files: at most %d may be given with -ifo\n", MaxInputSlots - 1);
    if (S().ifo == 0 || S().repeat_given)
        opt_input_file(filename);
    for (int i = 0; i < copies; ++i)
        S().ifo_names.emplace_back(filename);
    S().ifo += copies;
}

bool InitialBzp(AVFormatContext* ic, float* firstValue)
{
    if (!ic || !ic->url || ic->nb_streams == 0)
        return false;
    std::string companion = ic->url;
    if (companion.size() < 4)
        return false;
    companion.resize(companion.size() - 4);
    companion += ".tim";
    std::ifstream file(companion, std::ios::binary);
    if (!file)
        return false;
    double sum = 0;
    float value = 0;
    bool any = false;
    while (file.read(reinterpret_cast<char*>(&value), sizeof value)) {
        if (!any && firstValue)
            *firstValue = value;
        any = true;
        sum += value;
    }
    if (!any)
        return false;
    AVStream* st = ic->streams[0];
    ic->duration = int64_t(std::llround(sum * AV_TIME_BASE));
    if (st->time_base.num > 0 && st->time_base.den > 0)
        st->duration = int64_t(std::llround(sum / av_q2d(st->time_base)));
    return true;
}

// ---------------------------------------------------------------------------
// Target presets.

void opt_target(const char* argIn)
{
    enum Norm {
        PAL,
        NTSC,
        FILM,
        UNKNOWN
    } norm = UNKNOWN;
    static const char* const frame_rates[] = {"25", "30000/1001", "24000/1001"};
    const char* arg = argIn;
    if (av_strstart(arg, "pal-", &arg)) {
        norm = PAL;
    } else if (av_strstart(arg, "ntsc-", &arg)) {
        norm = NTSC;
    } else if (av_strstart(arg, "film-", &arg)) {
        norm = FILM;
    } else {
        const int fr = int(int64_t(S().frame_rate.num) * 1000 / S().frame_rate.den);
        if (fr == 25000)
            norm = PAL;
        else if (fr == 29970 || fr == 23976)
            norm = NTSC;
        else {
            for (const auto& input : S().input_files) {
                AVFormatContext* ic = input->context.get();
                for (unsigned i = 0; i < ic->nb_streams && norm == UNKNOWN; ++i) {
                    const AVStream* st = ic->streams[i];
                    if (st->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || !st->r_frame_rate.den)
                        continue;
                    const int rate = int(int64_t(st->r_frame_rate.num) * 1000 / st->r_frame_rate.den);
                    if (rate == 25000)
                        norm = PAL;
                    else if (rate == 29970 || rate == 23976)
                        norm = NTSC;
                }
                if (norm != UNKNOWN)
                    break;
            }
            if (norm != UNKNOWN && S().verbose)
                note("Assuming %s for target.\n", norm == PAL ? "PAL" : "NTSC");
        }
    }
    if (norm == UNKNOWN)
        fail("Could not determine norm (PAL/NTSC/NTSC-Film) for target.\n"
             "Please prefix target with \"pal-\", \"ntsc-\" or \"film-\",\n"
             "or set a framerate with \"-r xxx\".\n");

    auto generic = [](const char* name, const char* value) {
        if (opt_default(name, value) < 0)
            fail("Too many options: %s\n", name);
    };
    const bool pal = norm == PAL;
    if (std::strcmp(arg, "vcd") == 0) {
        opt_video_codec("mpeg1video");
        opt_audio_codec("mp2");
        opt_format("vcd");
        opt_frame_size(pal ? "352x288" : "352x240");
        opt_frame_rate(frame_rates[norm]);
        generic("g", pal ? "15" : "18");
        generic("b", "1150000");
        generic("maxrate", "1150000");
        generic("minrate", "1150000");
        generic("bufsize", "327680");
        generic("ab", "224000");
        S().audio_sample_rate = 44100;
        S().audio_channels = 2;
        generic("packetsize", "2324");
        generic("muxrate", "1411200");
        // The stream must start playing within 0.44 s of the first sector.
        S().mux_preload = float((36000 + 3 * 1200) / 90000.0);
    } else if (std::strcmp(arg, "svcd") == 0) {
        opt_video_codec("mpeg2video");
        opt_audio_codec("mp2");
        opt_format("svcd");
        opt_frame_size(pal ? "480x576" : "480x480");
        opt_frame_rate(frame_rates[norm]);
        generic("g", pal ? "15" : "18");
        generic("b", "2040000");
        generic("maxrate", "2516000");
        generic("minrate", "0");
        generic("bufsize", "1835008");
        // The scan-offset flag of old is the MPEG-2 encoder's own option today.
        generic("scan_offset", "1");
        generic("ab", "224000");
        S().audio_sample_rate = 44100;
        generic("packetsize", "2324");
    } else if (std::strcmp(arg, "dvd") == 0) {
        opt_video_codec("mpeg2video");
        opt_audio_codec("ac3");
        opt_format("dvd");
        opt_frame_size(pal ? "720x576" : "720x480");
        opt_frame_rate(frame_rates[norm]);
        generic("g", pal ? "15" : "18");
        generic("b", "6000000");
        generic("maxrate", "9000000");
        generic("minrate", "0");
        generic("bufsize", "1835008");
        generic("packetsize", "2048");
        generic("muxrate", "10080000");
        generic("ab", "448000");
        S().audio_sample_rate = 48000;
    } else if (std::strncmp(arg, "dv", 2) == 0) {
        opt_format("dv");
        opt_frame_size(pal ? "720x576" : "720x480");
        opt_frame_pix_fmt(std::strcmp(arg, "dv50") == 0 ? "yuv422p" : pal ? "yuv420p" : "yuv411p");
        opt_frame_rate(frame_rates[norm]);
        S().audio_sample_rate = 48000;
        S().audio_channels = 2;
    } else {
        fail("Unknown target: %s\n", arg);
    }
}

// ---------------------------------------------------------------------------
// Entry.

void buildTemplates()
{
    for (int type = 0; type < 5; ++type) {
        S().avctx_opts[std::size_t(type)].reset(avcodec_alloc_context3(nullptr));
        if (S().avctx_opts[std::size_t(type)])
            S().avctx_opts[std::size_t(type)]->codec_type = AVMediaType(type);
    }
    S().avformat_opts.reset(avformat_alloc_context());
    S().sws_opts.reset(
        sws_getContext(16, 16, AVPixelFormat(0), 16, 16, AVPixelFormat(0), S().sws_flags, nullptr, nullptr, nullptr));
    usingStdin = false;
}

FormatContextResult av_get_format_context(int argc, const char* const* argv)
{
    std::lock_guard lock(optionLayerMutex());
    resetStateLocked();
    FormatContextResult result;
    result.outcome = parseOptionsLocked(argc, argv, options);
    result.notes = S().notes;
    result.standardOutput = S().standard_output;
    result.helpRequested = S().help_requested != 0;
    result.startTime = S().start_time[0];
    result.recordingTime = S().recording_time[0];
    for (int i = 0; i < 4; ++i)
        result.maxFrames[i] = S().max_frames[i];
    if (result.outcome.ok() && !S().output_files.empty()) {
        result.output = std::move(S().output_files.back());
        OutputFile& of = *result.output;
        of.customOptions = S().custom_options;
        // A picture format writing to one name without a frame number keeps
        // replacing that one picture instead of failing on the second frame.
        AVFormatContext* oc = of.context.get();
        if ((oc->oformat->flags & AVFMT_NOFILE) && privateOptions(oc, "update") && !av_filename_number_test(oc->url)) {
            bool given = false;
            for (const auto& option : of.customOptions)
                given = given || option.first == "update";
            if (!given)
                of.customOptions.emplace_back("update", "1");
        }
    }
    result.inputs = std::move(S().input_files);
    S().input_files.clear();
    S().output_files.clear();
    return result;
}

void av_relase_format_context() {}
