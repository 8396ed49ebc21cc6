#include "encoderoptions.h"
#include "mediafiles.h"
#include "optionsinternal.h"

#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/avutil.h>
#include <libavutil/opt.h>
#include <libavutil/parseutils.h>
#include <libavutil/pixdesc.h>
}

OptionState g_state;

namespace {

std::mutex& layerMutex()
{
    static std::mutex mutex;
    return mutex;
}

OverwritePrompt& overwritePrompt()
{
    static OverwritePrompt prompt;
    return prompt;
}

std::string vformat(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (size <= 0)
        return {};
    std::string text(std::size_t(size) + 1, '\0');
    std::vsnprintf(text.data(), text.size(), format, args);
    text.resize(std::size_t(size));
    return text;
}

OptionState& S() { return g_state; }

} // namespace

OptionState::OptionState()
{
    nb_timespan.fill(1);
    current_timespan.fill(-1);
}
OptionState::~OptionState() = default;
OptionState::OptionState(OptionState&&) noexcept = default;
OptionState& OptionState::operator=(OptionState&&) noexcept = default;

std::string formatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    return text;
}

void fail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = vformat(format, args);
    va_end(args);
    throw OptionAbort{OptionStatus::Error, 1, std::move(text)};
}

void failText(const std::string& message) { throw OptionAbort{OptionStatus::Error, 1, message}; }

void stopRun(int exitStatus, const std::string& message) { throw OptionAbort{OptionStatus::Stop, exitStatus, message}; }

void note(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    S().notes.push_back(vformat(format, args));
    va_end(args);
}

int currentSlot() { return (S().ifo > 0 && S().p2vflag == 0) ? S().ifo - 1 : S().ifo; }

void setOverwritePrompt(OverwritePrompt prompt)
{
    std::lock_guard lock(layerMutex());
    overwritePrompt() = std::move(prompt);
}

bool askOverwrite(const std::string& question)
{
    const OverwritePrompt& prompt = overwritePrompt();
    return prompt && prompt(question);
}

// ---------------------------------------------------------------------------
// Small readers shared by the setters.

namespace {

// Reads a time span; an unreadable one is an error rather than a silent zero.
int64_t parseDuration(const char* arg, const char* context)
{
    int64_t us = 0;
    if (av_parse_time(&us, arg, 1) < 0)
        fail("Invalid duration for %s: %s\n", context, arg);
    return us;
}

// The three-letter stand-ins of the effect plug-in's options keep only the
// first 1039 bytes, the size of the buffers they were made for.
std::string bounded(const char* arg, std::size_t maxBytes)
{
    std::string text(arg);
    if (text.size() > maxBytes)
        text.resize(maxBytes);
    return text;
}

int slotIndex(int value) { return value < 0 ? 0 : (value >= MaxInputSlots ? MaxInputSlots - 1 : value); }

} // namespace

// ---------------------------------------------------------------------------
// Informational rows.

static void show_license(const char*) { stopRun(1, std::string()); }

static void show_help(const char*)
{
    // The layer itself prints nothing here; a command line that wants help
    // reads the flag and prints show_help_text().
    S().help_requested = 1;
}

static void show_version(const char*)
{
    stopRun(1, formatText("zirc      SVN-rUNKNOWN\nlibavutil   %d\nlibavcodec  %d\nlibavformat %d\n", 1000901, 1000903,
                          1000901));
}

static void show_formats(const char*)
{
    std::string& out = S().standard_output;
    out += "File formats:\n";
    // Demuxer and muxer of one name share a line.
    struct FormatLine {
        bool demuxer = false, muxer = false;
        std::string longName;
    };
    std::map<std::string, FormatLine> formats;
    void* it = nullptr;
    while (const AVOutputFormat* f = av_muxer_iterate(&it)) {
        FormatLine& line = formats[f->name];
        line.muxer = true;
        if (f->long_name)
            line.longName = f->long_name;
    }
    it = nullptr;
    while (const AVInputFormat* f = av_demuxer_iterate(&it)) {
        FormatLine& line = formats[f->name];
        line.demuxer = true;
        if (line.longName.empty() && f->long_name)
            line.longName = f->long_name;
    }
    for (const auto& [name, line] : formats)
        out += formatText(" %c%c %-15s %s\n", line.demuxer ? 'D' : ' ', line.muxer ? 'E' : ' ', name.c_str(),
                          line.longName.c_str());
    out += "\nCodecs:\n";
    // Decoder and encoder of one name share a line.
    struct CodecLine {
        bool decoder = false, encoder = false;
        char type = '?';
        std::string longName;
    };
    std::map<std::string, CodecLine> codecs;
    it = nullptr;
    while (const AVCodec* c = av_codec_iterate(&it)) {
        CodecLine& line = codecs[c->name];
        line.decoder = line.decoder || av_codec_is_decoder(c);
        line.encoder = line.encoder || av_codec_is_encoder(c);
        line.type = c->type == AVMEDIA_TYPE_VIDEO      ? 'V'
                    : c->type == AVMEDIA_TYPE_AUDIO    ? 'A'
                    : c->type == AVMEDIA_TYPE_SUBTITLE ? 'S'
                                                       : '?';
        if (line.longName.empty() && c->long_name)
            line.longName = c->long_name;
    }
    for (const auto& [name, line] : codecs)
        out += formatText(" %c%c%c %-15s %s\n", line.decoder ? 'D' : ' ', line.encoder ? 'E' : ' ', line.type,
                          name.c_str(), line.longName.c_str());
    out += "\nSupported file protocols:\n";
    it = nullptr;
    while (const char* name = avio_enum_protocols(&it, 1))
        out += formatText(" %s\n", name);
}

static void opt_verbose(const char* arg)
{
    S().verbose = std::atoi(arg);
    av_log_set_level(S().verbose);
}

// ---------------------------------------------------------------------------
// Main options.

void opt_format(const char* arg)
{
    // Formats of the old shipped libraries that today's libraries carry
    // under their standard names.
    static const struct {
        const char* old;
        const char* now;
    } aliases[] = {{"zwmv", "asf"}, {"rmvb", "rm"}};
    const char* name = arg;
    for (const auto& alias : aliases)
        if (std::strcmp(arg, alias.old) == 0)
            name = alias.now;
    S().file_iformat = av_find_input_format(name);
    S().file_oformat = av_guess_format(name, nullptr, nullptr);
    if (!S().file_iformat && !S().file_oformat)
        fail("Unknown input or output format: %s\n", arg);
}

static void opt_map(const char* arg)
{
    StreamMap m;
    char* p = nullptr;
    m.file_index = int(std::strtol(arg, &p, 0));
    if (*p)
        p++;
    m.stream_index = int(std::strtol(p, &p, 0));
    if (*p) {
        p++;
        m.sync_file_index = int(std::strtol(p, &p, 0));
        if (*p)
            p++;
        m.sync_stream_index = int(std::strtol(p, &p, 0));
    } else {
        m.sync_file_index = m.file_index;
        m.sync_stream_index = m.stream_index;
    }
    S().stream_maps.push_back(m);
}

static void opt_map_meta_data(const char* arg)
{
    MetaDataMap m;
    char* p = nullptr;
    m.out_file = int(std::strtol(arg, &p, 0));
    if (*p)
        p++;
    m.in_file = int(std::strtol(p, &p, 0));
    S().meta_data_maps.push_back(m);
}

static void opt_recording_time(const char* arg)
{
    const int64_t us = parseDuration(arg, "t");
    const int index = slotIndex(S().ifo);
    const int span = S().current_timespan[index];
    auto& spans = S().time_spans[index];
    if (!spans.empty() && span >= 0 && span < S().nb_timespan[index] && span < int(spans.size()))
        spans[std::size_t(span)].duration = us;
    if (span == -1 || span == 0)
        S().recording_time[index] = us;
}

static void opt_start_time(const char* arg)
{
    const int64_t us = parseDuration(arg, "ss");
    const int index = slotIndex(S().ifo);
    const int span = ++S().current_timespan[index];
    auto& spans = S().time_spans[index];
    if (!spans.empty() && span < S().nb_timespan[index] && span < int(spans.size()))
        spans[std::size_t(span)].start = us;
    if (span == 0)
        S().start_time[index] = us;
}

static void opt_input_ts_offset(const char* arg) { S().input_ts_offset = parseDuration(arg, "itsoffset"); }

static void opt_rec_timestamp(const char* arg)
{
    int64_t us = 0;
    if (av_parse_time(&us, arg, 0) < 0)
        fail("Invalid date: %s\n", arg);
    S().rec_timestamp = us / 1000000;
}

static int opt_metadata(const char*, const char* arg)
{
    const char* eq = std::strchr(arg, '=');
    if (!eq)
        fail("Missing =\n");
    S().metadata.emplace_back(std::string(arg, eq), std::string(eq + 1));
    return 0;
}

static void opt_thread_count(const char* arg) { S().thread_count = std::atoi(arg); }

// ---------------------------------------------------------------------------
// Video options.

void opt_frame_rate(const char* arg)
{
    if (av_parse_video_rate(&S().frame_rate_output, arg) < 0)
        fail("Incorrect frame rate\n");
}

void opt_frame_size(const char* arg)
{
    const int slot = currentSlot();
    int width = 0, height = 0;
    if (av_parse_video_size(&width, &height, arg) < 0)
        fail("Incorrect frame size\n");
    S().frame_width[slot] = width;
    S().frame_height[slot] = height;
    if ((width % 2) != 0 || (height % 2) != 0)
        fail("Frame size must be a multiple of 2\n");
}

static void opt_frame_aspect_ratio(const char* arg)
{
    double ar = 0;
    if (std::strchr(arg, ':')) {
        char* end = nullptr;
        const long x = std::strtol(arg, &end, 10);
        if (end != arg && *end == ':') {
            const long y = std::strtol(end + 1, &end, 10);
            if (x > 0 && y > 0)
                ar = double(x) / double(y);
        }
    } else {
        ar = std::strtod(arg, nullptr);
    }
    if (ar == 0 || !std::isfinite(ar))
        fail("Incorrect aspect ratio.\n");
    S().frame_aspect_ratio = float(ar);
}

void opt_frame_pix_fmt(const char* arg)
{
    if (std::strcmp(arg, "list") == 0) {
        std::string& out = S().standard_output;
        out += formatText("%s\n", "none");
        for (const AVPixFmtDescriptor* d = av_pix_fmt_desc_next(nullptr); d; d = av_pix_fmt_desc_next(d))
            out += formatText("%s\n", d->name);
        stopRun(0, std::string());
    }
    S().frame_pix_fmt = av_get_pix_fmt(arg);
}

namespace {

enum Side {
    Top,
    Bottom,
    Left,
    Right
};
const char* const sideName[] = {"top", "bottom", "left", "right"};
const char* const sideTitle[] = {"Top", "Bottom", "Left", "Right"};

void cropBand(Side side, const char* arg)
{
    const int slot = currentSlot();
    const int value = std::atoi(arg);
    auto& bands = side == Top      ? S().frame_topBand
                  : side == Bottom ? S().frame_bottomBand
                  : side == Left   ? S().frame_leftBand
                                   : S().frame_rightBand;
    bands[slot] = value;
    if (value < 0)
        fail("Incorrect %s crop size\n", sideName[side]);
    if ((value % 2) != 0)
        fail("%s crop size must be a multiple of 2\n", sideTitle[side]);
    const bool vertical = side == Top || side == Bottom;
    int& extent = vertical ? S().frame_height[slot] : S().frame_width[slot];
    if (value >= extent)
        fail("%s crop dimensions are outside the range of the original image.\n"
             "Remember to crop first and scale second.\n",
             vertical ? "Vertical" : "Horizontal");
    extent -= value;
}

void padBand(Side side, const char* arg)
{
    const int slot = currentSlot();
    const int value = std::atoi(arg);
    auto& pads = side == Top      ? S().frame_padtop
                 : side == Bottom ? S().frame_padbottom
                 : side == Left   ? S().frame_padleft
                                  : S().frame_padright;
    pads[slot] = value;
    if (value < 0)
        fail("Incorrect %s pad size\n", sideName[side]);
    if ((value % 2) != 0)
        fail("%s pad size must be a multiple of 2\n", sideTitle[side]);
}

} // namespace

static void opt_frame_crop_top(const char* arg) { cropBand(Top, arg); }
static void opt_frame_crop_bottom(const char* arg) { cropBand(Bottom, arg); }
static void opt_frame_crop_left(const char* arg) { cropBand(Left, arg); }
static void opt_frame_crop_right(const char* arg) { cropBand(Right, arg); }
static void opt_frame_pad_top(const char* arg) { padBand(Top, arg); }
static void opt_frame_pad_bottom(const char* arg) { padBand(Bottom, arg); }
static void opt_frame_pad_left(const char* arg) { padBand(Left, arg); }
static void opt_frame_pad_right(const char* arg) { padBand(Right, arg); }

static void opt_pad_color(const char* arg)
{
    const long rgb = std::strtol(arg, nullptr, 16);
    const int r = int((rgb >> 16) & 0xFF), g = int((rgb >> 8) & 0xFF), b = int(rgb & 0xFF);
    S().padcolor[0] = (306 * r + 601 * g + 117 * b + 512) >> 10;
    S().padcolor[1] = ((512 * b - 173 * r - 339 * g + 511) >> 10) + 128;
    S().padcolor[2] = ((512 * r - 429 * g - 83 * b + 511) >> 10) + 128;
}

static void opt_qscale(const char* arg)
{
    S().video_qscale = float(std::atof(arg));
    if (S().video_qscale <= 0 || S().video_qscale > 255)
        fail("qscale must be > 0.0 and <= 255\n");
}

static void opt_qdiff(const char* arg)
{
    S().video_qdiff = std::atoi(arg);
    if (unsigned(S().video_qdiff) > 31)
        fail("qdiff must be >= 1 and <= 31\n");
}

static void opt_video_rc_eq(const char* arg) { S().video_rc_eq = arg; }

static void opt_video_rc_override_string(const char* arg) { S().video_rc_override_string = arg; }

namespace {

// "copy" or a codec of the media type by its exact name. An encoder of that
// name is preferred; a decoder's name still selects its codec id.
void opt_codec(int& streamCopy, int& codecId, const AVCodec*& encoder, AVMediaType type, const char* arg)
{
    if (std::strcmp(arg, "copy") == 0) {
        streamCopy = 1;
        return;
    }
    const AVCodec* match = nullptr;
    void* it = nullptr;
    while (const AVCodec* c = av_codec_iterate(&it)) {
        if (c->type != type || std::strcmp(c->name, arg) != 0)
            continue;
        if (av_codec_is_encoder(c)) {
            match = c;
            break;
        }
        if (!match)
            match = c;
    }
    if (!match)
        fail("Unknown codec '%s'\n", arg);
    codecId = match->id;
    encoder = av_codec_is_encoder(match) ? match : nullptr;
}

int parseTag(const char* arg)
{
    char* tail = nullptr;
    const long tag = std::strtol(arg, &tail, 0);
    if (tail && *tail == '\0' && tail != arg)
        return int(tag);
    // A fourcc shorter than four characters is padded with zero bytes.
    unsigned char c[4] = {0, 0, 0, 0};
    for (int i = 0; i < 4 && arg[i]; ++i)
        c[i] = static_cast<unsigned char>(arg[i]);
    return int(uint32_t(c[0]) | (uint32_t(c[1]) << 8) | (uint32_t(c[2]) << 16) | (uint32_t(c[3]) << 24));
}

void parse_matrix_coeffs(std::array<uint16_t, 64>& dest, const char* str)
{
    const char* p = str;
    for (int i = 0;; i++) {
        dest[std::size_t(i)] = uint16_t(std::atoi(p));
        if (i == 63)
            break;
        p = std::strchr(p, ',');
        if (!p)
            fail("Syntax error in matrix \"%s\" at coeff %d\n", str, i);
        p++;
    }
}

void addBitstreamFilter(std::vector<BsfContextPtr>& chain, const char* arg)
{
    const AVBitStreamFilter* filter = av_bsf_get_by_name(arg);
    if (!filter)
        fail("Unknown bitstream filter %s\n", arg);
    AVBSFContext* ctx = nullptr;
    if (av_bsf_alloc(filter, &ctx) < 0)
        fail("Unknown bitstream filter %s\n", arg);
    chain.emplace_back(ctx);
}

} // namespace

void opt_video_codec(const char* arg)
{
    opt_codec(S().video_stream_copy, S().video_codec_id, S().video_encoder, AVMEDIA_TYPE_VIDEO, arg);
}

void opt_audio_codec(const char* arg)
{
    opt_codec(S().audio_stream_copy, S().audio_codec_id, S().audio_encoder, AVMEDIA_TYPE_AUDIO, arg);
}

static void opt_subtitle_codec(const char* arg)
{
    opt_codec(S().subtitle_stream_copy, S().subtitle_codec_id, S().subtitle_encoder, AVMEDIA_TYPE_SUBTITLE, arg);
}

static void opt_me_threshold(const char* arg) { S().me_threshold = std::atoi(arg); }

static void opt_strict(const char* arg) { S().strict = std::atoi(arg); }

static void opt_pass(const char* pass_str)
{
    const int pass = std::atoi(pass_str);
    if (pass != 1 && pass != 2)
        fail("pass number can be only 1 or 2\n");
    S().do_pass = pass;
}

static void opt_vstats_file(const char* arg) { S().vstats_filename = arg; }

static void opt_vstats(const char*)
{
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    S().vstats_filename = formatText("vstats_%02d%02d%02d.log", today.tm_hour, today.tm_min, today.tm_sec);
}

static void add_frame_hooker(const char* arg)
{
    // Today's libraries have no frame hooks, so registering one always fails.
    S().using_vhook = 1;
    fail("Failed to add video hook function: %s\n", arg);
}

static void opt_intra_matrix(const char* arg)
{
    std::array<uint16_t, 64> matrix{};
    parse_matrix_coeffs(matrix, arg);
    S().intra_matrix = matrix;
}

static void opt_inter_matrix(const char* arg)
{
    std::array<uint16_t, 64> matrix{};
    parse_matrix_coeffs(matrix, arg);
    S().inter_matrix = matrix;
}

static void opt_top_field_first(const char* arg) { S().top_field_first = std::atoi(arg); }

static void opt_video_tag(const char* arg) { S().video_codec_tag = parseTag(arg); }

// ---------------------------------------------------------------------------
// Audio, subtitle, grab and stream-filter options.

static void opt_audio_rate(const char* arg) { S().audio_sample_rate = std::atoi(arg); }

static void opt_audio_channels(const char* arg) { S().audio_channels = std::atoi(arg); }

static void opt_audio_tag(const char* arg) { S().audio_codec_tag = parseTag(arg); }

static void opt_video_channel(const char* arg) { S().video_channel = int(std::strtol(arg, nullptr, 0)); }

static void opt_video_standard(const char* arg) { S().video_standard = arg; }

static void opt_audio_bsf(const char* arg) { addBitstreamFilter(S().audio_bitstream_filters, arg); }

static void opt_video_bsf(const char* arg) { addBitstreamFilter(S().video_bitstream_filters, arg); }

// ---------------------------------------------------------------------------
// Generic options.

namespace {

// The library's generic bit-rate option "b" now serves audio too; as before,
// the plain name sets the video rate only and "ab" the audio rate.
bool videoOnlyName(const char* name) { return std::strcmp(name, "b") == 0; }

// Sets `name` on `obj` when it has such an option with all `mask` bits.
// Returns the option, or null when `obj` has none; a value the option
// refuses is an error.
const AVOption* setIfKnown(void* obj, const char* name, const char* arg, int mask)
{
    if (!obj)
        return nullptr;
    const AVOption* o = av_opt_find(obj, name, nullptr, mask, 0);
    if (!o)
        return nullptr;
    if (av_opt_set(obj, name, arg, 0) < 0)
        fail("Invalid value '%s' for option '%s'\n", arg, name);
    return o;
}

void copyOption(void* target, void* templ, const AVOption* o)
{
    switch (o->type) {
    case AV_OPT_TYPE_FLAGS:
    case AV_OPT_TYPE_INT:
    case AV_OPT_TYPE_INT64:
    case AV_OPT_TYPE_UINT64:
    case AV_OPT_TYPE_BOOL:
    case AV_OPT_TYPE_DURATION:
    case AV_OPT_TYPE_PIXEL_FMT:
    case AV_OPT_TYPE_SAMPLE_FMT: {
        int64_t value = 0;
        if (av_opt_get_int(templ, o->name, 0, &value) >= 0)
            av_opt_set_int(target, o->name, value, 0);
        break;
    }
    default: {
        uint8_t* text = nullptr;
        if (av_opt_get(templ, o->name, 0, &text) >= 0 && text)
            av_opt_set(target, o->name, reinterpret_cast<const char*>(text), 0);
        av_free(text);
        break;
    }
    }
}

const int opt_types[5] = {AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0, AV_OPT_FLAG_SUBTITLE_PARAM, 0};

// A fraction such as "5.1" given to an integer option would be cut to 5
// without a word.
bool cutsFraction(const AVOption* o, const char* arg)
{
    if (o->type != AV_OPT_TYPE_INT && o->type != AV_OPT_TYPE_INT64)
        return false;
    char* end = nullptr;
    const double value = std::strtod(arg, &end);
    return end != arg && *end == '\0' && std::isfinite(value) && value != std::floor(value);
}

// A word that names none of an integer option's constants, which the
// generic option would refuse with a parse error in the log.
bool unknownWord(void* obj, const AVOption* o, const char* arg)
{
    if ((o->type != AV_OPT_TYPE_INT && o->type != AV_OPT_TYPE_INT64) || !std::isalpha((unsigned char)arg[0]))
        return false;
    for (const char* known : {"default", "max", "min", "none"})
        if (std::strcmp(arg, known) == 0)
            return false;
    return !o->unit || !av_opt_find(obj, arg, o->unit, 0, 0);
}

bool someEncoderOwns(const char* name)
{
    void* iterator = nullptr;
    while (const AVCodec* codec = av_codec_iterate(&iterator)) {
        if (!av_codec_is_encoder(codec) || !codec->priv_class)
            continue;
        const AVClass* cls = codec->priv_class;
        if (av_opt_find(&cls, name, nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ))
            return true;
    }
    return false;
}

} // namespace

void applyOptNames(void* target, void* templ, int mask, bool audioGroup)
{
    for (const std::string& name : S().opt_names) {
        if (audioGroup && videoOnlyName(name.c_str()))
            continue;
        const AVOption* o = av_opt_find(templ, name.c_str(), nullptr, mask, 0);
        if (o)
            copyOption(target, templ, o);
    }
}

int opt_default(const char* name, const char* arg)
{
    const AVOption* accepted = nullptr;
    const AVOption* refused = nullptr;
    for (int type = 0; type < 5; type++) {
        if (type == AVMEDIA_TYPE_AUDIO && videoOnlyName(name))
            continue;
        void* context = S().avctx_opts[std::size_t(type)].get();
        const AVOption* o = context ? av_opt_find(context, name, nullptr, opt_types[type], 0) : nullptr;
        if (!o)
            continue;
        if (cutsFraction(o, arg) || unknownWord(context, o, arg) || av_opt_set(context, name, arg, 0) < 0)
            refused = o;
        else
            accepted = o;
    }
    if (!accepted && refused) {
        // Several encoders have options of their own under a generic name,
        // with values the generic option cannot hold (libx264's profile
        // "high", level "5.1"); such a value waits for the encoder, which
        // takes it when it is opened.
        if (!someEncoderOwns(name))
            fail("Invalid value '%s' for option '%s'\n", arg, name);
        if (int(S().custom_options.size()) >= MaxCustomOptions)
            return -1;
        S().custom_options.emplace_back(name, arg);
        return 0;
    }
    if (!accepted)
        accepted = setIfKnown(S().avformat_opts.get(), name, arg, 0);
    if (!accepted)
        accepted = setIfKnown(S().sws_opts.get(), name, arg, 0);

    AVDictionary* store = S().extra_options.release();
    av_dict_set(&store, name, arg, 0);
    S().extra_options.reset(store);

    if (!accepted && (name[0] == 'a' || name[0] == 'v' || name[0] == 's') && name[1]) {
        const int type = name[0] == 'v'   ? AVMEDIA_TYPE_VIDEO
                         : name[0] == 'a' ? AVMEDIA_TYPE_AUDIO
                                          : AVMEDIA_TYPE_SUBTITLE;
        accepted = setIfKnown(S().avctx_opts[std::size_t(type)].get(), name + 1, arg, opt_types[type]);
    }
    if (accepted) {
        S().opt_names.emplace_back(accepted->name);
        return 0;
    }
    if (int(S().custom_options.size()) >= MaxCustomOptions)
        return -1;
    S().custom_options.emplace_back(name, arg);
    return 0;
}

// ---------------------------------------------------------------------------
// The system's own options.

static void opt_zoom_type(const char* arg)
{
    const int type = std::atoi(arg);
    if (type == 1 || type == 2)
        S().zoom_crop = 1;
}

static void opt_volume_size(const char* arg)
{
    S().g_bSplit = 1;
    const std::size_t length = std::strlen(arg);
    if (length > 0 && (arg[length - 1] == 'b' || arg[length - 1] == 'B')) {
        int64_t unit = 1;
        if (length > 1) {
            switch (arg[length - 2]) {
            case 'K':
            case 'k': unit = 1024; break;
            case 'M':
            case 'm': unit = 1048576; break;
            case 'G':
            case 'g':
            case 'T':
            case 't': unit = 1073741824; break;
            default: break;
            }
        }
        S().volume_size = std::strtoll(arg, nullptr, 10) * unit;
        S().volume_type = 0;
    } else {
        S().volume_size = parseDuration(arg, "vs");
        S().volume_type = 1;
    }
}

static void opt_split_number(const char* arg)
{
    S().split_num = std::atoi(arg);
    if (S().split_num > 0) {
        S().g_bSplit = 1;
        S().volume_type = 2;
    }
}

static void opt_split_position(const char* arg)
{
    if (S().split_num <= 0)
        return;
    S().split_pos = double(parseDuration(arg, "spp")) / 1000000.0;
    if (S().split_num == 1)
        S().split_pos += 5;
}

static void opt_nb_timespan(const char* arg)
{
    const int index = slotIndex(S().ifo);
    const int count = std::atoi(arg);
    S().nb_timespan[index] = count;
    if (count > 1)
        S().time_spans[index].assign(std::size_t(count), TimeSpan{});
}

static void opt_wm_filename(const char* arg)
{
    S().wm_filename = bounded(arg, 1039);
    S().using_vhook = 1;
}

static void opt_wm_align(const char* arg)
{
    static const char* const names[] = {"wm_align_topleft",    "wm_align_topmid",      "wm_align_topright",
                                        "wm_align_rightmid",   "wm_align_bottomright", "wm_align_bottommid",
                                        "wm_align_bottomleft", "wm_align_leftmid",     "wm_align_mid"};
    for (int i = 0; i < 9; ++i)
        if (std::strcmp(arg, names[i]) == 0)
            S().wm_align_var = i;
    if (S().wm_align_var < 0 || S().wm_align_var > 8)
        S().wm_align_var = 2;
}

static void opt_wm_x(const char* arg) { S().wm_x = std::atoi(arg); }
static void opt_wm_y(const char* arg) { S().wm_y = std::atoi(arg); }
static void opt_wm_tr(const char* arg) { S().wm_t_r = std::abs(std::atoi(arg)) % 256; }
static void opt_wm_tg(const char* arg) { S().wm_t_g = std::abs(std::atoi(arg)) % 256; }
static void opt_wm_tb(const char* arg) { S().wm_t_b = std::abs(std::atoi(arg)) % 256; }
static void opt_wm_av(const char* arg) { S().wm_alpha_val = std::abs(std::atoi(arg)) % 101; }
static void opt_vf_brightness(const char* arg) { S().vf_brightness = std::atoi(arg); }
static void opt_vf_contrast(const char* arg) { S().vf_contrast = std::atoi(arg); }
static void opt_vf_saturation(const char* arg) { S().vf_saturation = std::atoi(arg); }

static void opt_vf_type(const char* arg)
{
    S().vf_type = std::atoi(arg);
    S().using_vhook = 1;
}

static void opt_vf_array(const char* arg)
{
    S().vf_array = bounded(arg, 1039);
    S().using_vhook = 1;
}

static void opt_vf_count(const char* arg) { S().vf_count = std::atoi(arg); }

static void opt_dpg_type(const char* arg)
{
    const int type = std::atoi(arg);
    S().dpg_type_flag = (type == 0 || type == 2 || type == 3 || type == 4) ? type : 0;
}

static void opt_repeat_num(const char* arg)
{
    S().repeat_num = std::atoi(arg);
    S().repeat_given = 1;
}

static void opt_hasoutput_testyuvfile(const char* arg)
{
    if (std::strlen(arg) > 258)
        return;
    S().output_testyuvfile_path = arg;
    S().hasoutput_testyuvfile = 1;
}

static void opt_testyuvfile_maxyuvnumber(const char* arg) { S().max_yuv_output_frame_number = std::atoi(arg); }

static void opt_id3image_file(const char* arg)
{
    if (std::strlen(arg) > 1038)
        return;
    S().id3_image_path = arg;
}

// ---------------------------------------------------------------------------
// The table.

#define VAR(field) static_cast<void*>(&g_state.field), nullptr, nullptr
#define FN(handler) nullptr, handler, nullptr
#define FN2(handler) nullptr, nullptr, handler

const OptionEntry options[] = {
    // main options
    {"L", 0, FN(show_license), "show license", nullptr},
    {"h", 0, FN(show_help), "show help", nullptr},
    {"version", 0, FN(show_version), "show version", nullptr},
    {"formats", 0, FN(show_formats), "show available formats, codecs, protocols, ...", nullptr},
    {"f", HAS_ARG, FN(opt_format), "force format", "fmt"},
    {"i", HAS_ARG, FN(opt_input_file), "input file name", "filename"},
    {"y", OPT_BOOL, VAR(file_overwrite), "overwrite output files", nullptr},
    {"map", HAS_ARG | OPT_EXPERT, FN(opt_map), "set input stream mapping", "file:stream[:syncfile:syncstream]"},
    {"map_meta_data", HAS_ARG | OPT_EXPERT, FN(opt_map_meta_data), "set meta data information of outfile from infile",
     "outfile:infile"},
    {"t", HAS_ARG, FN(opt_recording_time), "record or transcode \"duration\" seconds of audio/video", "duration"},
    {"fs", HAS_ARG | OPT_INT64, VAR(limit_filesize), "set the limit file size in bytes", "limit_size"},
    {"ss", HAS_ARG, FN(opt_start_time), "set the start time offset", "time_off"},
    {"itsoffset", HAS_ARG, FN(opt_input_ts_offset), "set the input ts offset", "time_off"},
    {"title", HAS_ARG | OPT_STRING, VAR(str_title), "set the title", "string"},
    {"timestamp", HAS_ARG, FN(opt_rec_timestamp), "set the timestamp", "time"},
    {"metadata", HAS_ARG | OPT_FUNC2, FN2(opt_metadata), "add metadata", "string=string"},
    {"benchmark", OPT_BOOL | OPT_EXPERT, VAR(do_benchmark), "add timings for benchmarking", nullptr},
    {"dump", OPT_BOOL | OPT_EXPERT, VAR(do_pkt_dump), "dump each input packet", nullptr},
    {"hex", OPT_BOOL | OPT_EXPERT, VAR(do_hex_dump), "when dumping packets, also dump the payload", nullptr},
    {"re", OPT_BOOL | OPT_EXPERT, VAR(rate_emu), "read input at native frame rate", ""},
    {"loop_input", OPT_BOOL | OPT_EXPERT, VAR(loop_input), "loop (current only works with images)", nullptr},
    {"loop_output", HAS_ARG | OPT_INT | OPT_EXPERT, VAR(loop_output),
     "number of times to loop output in formats that support looping (0 loops forever)", ""},
    {"v", HAS_ARG, FN(opt_verbose), "control amount of logging", "verbose"},
    {"target", HAS_ARG, FN(opt_target),
     "specify target file type (\"vcd\", \"svcd\", \"dvd\", \"dv\", \"dv50\", \"pal-vcd\", \"ntsc-svcd\", ...)",
     "type"},
    {"threads", HAS_ARG | OPT_EXPERT, FN(opt_thread_count), "thread count", "count"},
    {"vsync", HAS_ARG | OPT_INT | OPT_EXPERT, VAR(video_sync_method), "video sync method", ""},
    {"async", HAS_ARG | OPT_INT | OPT_EXPERT, VAR(audio_sync_method), "audio sync method", ""},
    {"vglobal", HAS_ARG | OPT_INT | OPT_EXPERT, VAR(video_global_header), "video global header storage type", ""},
    {"copyts", OPT_BOOL | OPT_EXPERT, VAR(copy_ts), "copy timestamps", nullptr},
    {"shortest", OPT_BOOL | OPT_EXPERT, VAR(opt_shortest), "finish encoding within shortest input", nullptr},
    {"dts_delta_threshold", HAS_ARG | OPT_INT | OPT_EXPERT, VAR(dts_delta_threshold),
     "timestamp discontinuity delta threshold", ""},

    // video options
    {"vframes", OPT_INT | HAS_ARG | OPT_VIDEO, VAR(max_frames[AVMEDIA_TYPE_VIDEO]),
     "set the number of video frames to record", "number"},
    {"dframes", OPT_INT | HAS_ARG, VAR(max_frames[AVMEDIA_TYPE_DATA]), "set the number of data frames to record",
     "number"},
    {"r", HAS_ARG | OPT_VIDEO, FN(opt_frame_rate), "set frame rate (Hz value, fraction or abbreviation)", "rate"},
    {"s", HAS_ARG | OPT_VIDEO, FN(opt_frame_size), "set frame size (WxH or abbreviation)", "size"},
    {"aspect", HAS_ARG | OPT_VIDEO, FN(opt_frame_aspect_ratio), "set aspect ratio (4:3, 16:9 or 1.3333, 1.7777)",
     "aspect"},
    {"pix_fmt", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_frame_pix_fmt),
     "set pixel format, 'list' as argument shows all the pixel formats supported", "format"},
    {"croptop", HAS_ARG | OPT_VIDEO, FN(opt_frame_crop_top), "set top crop band size (in pixels)", "size"},
    {"cropbottom", HAS_ARG | OPT_VIDEO, FN(opt_frame_crop_bottom), "set bottom crop band size (in pixels)", "size"},
    {"cropleft", HAS_ARG | OPT_VIDEO, FN(opt_frame_crop_left), "set left crop band size (in pixels)", "size"},
    {"cropright", HAS_ARG | OPT_VIDEO, FN(opt_frame_crop_right), "set right crop band size (in pixels)", "size"},
    {"padtop", HAS_ARG | OPT_VIDEO, FN(opt_frame_pad_top), "set top pad band size (in pixels)", "size"},
    {"padbottom", HAS_ARG | OPT_VIDEO, FN(opt_frame_pad_bottom), "set bottom pad band size (in pixels)", "size"},
    {"padleft", HAS_ARG | OPT_VIDEO, FN(opt_frame_pad_left), "set left pad band size (in pixels)", "size"},
    {"padright", HAS_ARG | OPT_VIDEO, FN(opt_frame_pad_right), "set right pad band size (in pixels)", "size"},
    {"padcolor", HAS_ARG | OPT_VIDEO, FN(opt_pad_color), "set color of pad bands (Hex 000000 thru FFFFFF)", "color"},
    {"intra", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(intra_only), "use only intra frames", nullptr},
    {"vn", OPT_BOOL | OPT_VIDEO, VAR(video_disable), "disable video", nullptr},
    {"vdt", OPT_INT | HAS_ARG | OPT_EXPERT | OPT_VIDEO, VAR(video_discard), "discard threshold", "n"},
    {"qscale", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_qscale), "use fixed video quantizer scale (VBR)", "q"},
    {"qdiff", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_qdiff), "max difference between the quantizer scale (VBR)", "q"},
    {"rc_eq", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_video_rc_eq), "set rate control equation", "equation"},
    {"rc_override", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_video_rc_override_string),
     "rate control override for specific intervals", "override"},
    {"vcodec", HAS_ARG | OPT_VIDEO, FN(opt_video_codec), "force video codec ('copy' to copy stream)", "codec"},
    {"me_threshold", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_me_threshold), "motion estimaton threshold", "threshold"},
    {"strict", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_strict), "how strictly to follow the standards", "strictness"},
    {"sameq", OPT_BOOL | OPT_VIDEO, VAR(same_quality), "use same video quality as source (implies VBR)", nullptr},
    {"pass", HAS_ARG | OPT_VIDEO, FN(opt_pass), "select the pass number (1 or 2)", "n"},
    {"passlogfile", HAS_ARG | OPT_STRING | OPT_VIDEO, VAR(pass_logfilename), "select two pass log file name", "file"},
    {"deinterlace", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(do_deinterlace), "deinterlace pictures", nullptr},
    {"psnr", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(do_psnr), "calculate PSNR of compressed frames", nullptr},
    {"vstats", OPT_EXPERT | OPT_VIDEO, FN(opt_vstats), "dump video coding statistics to file", nullptr},
    {"vstats_file", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_vstats_file), "dump video coding statistics to file",
     "file"},
    {"vhook", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(add_frame_hooker), "insert video processing module", "module"},
    {"intra_matrix", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_intra_matrix), "specify intra matrix coeffs", "matrix"},
    {"inter_matrix", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_inter_matrix), "specify inter matrix coeffs", "matrix"},
    {"top", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_top_field_first), "top=1/bottom=0/auto=-1 field first", ""},
    {"dc", OPT_INT | HAS_ARG | OPT_EXPERT | OPT_VIDEO, VAR(intra_dc_precision), "intra_dc_precision", "precision"},
    {"vtag", HAS_ARG | OPT_EXPERT | OPT_VIDEO, FN(opt_video_tag), "force video tag/fourcc", "fourcc/tag"},
    {"newvideo", OPT_VIDEO, FN(opt_new_video_stream), "add a new video stream to the current output stream", nullptr},
    {"qphist", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(qp_hist), "show QP histogram", nullptr},

    // audio options
    {"aframes", OPT_INT | HAS_ARG | OPT_AUDIO, VAR(max_frames[AVMEDIA_TYPE_AUDIO]),
     "set the number of audio frames to record", "number"},
    {"aq", OPT_FLOAT | HAS_ARG | OPT_AUDIO, VAR(audio_qscale), "set audio quality (codec-specific)", "quality"},
    {"ar", HAS_ARG | OPT_AUDIO, FN(opt_audio_rate), "set audio sampling rate (in Hz)", "rate"},
    {"ac", HAS_ARG | OPT_AUDIO, FN(opt_audio_channels), "set number of audio channels", "channels"},
    {"an", OPT_BOOL | OPT_AUDIO, VAR(audio_disable), "disable audio", nullptr},
    {"acodec", HAS_ARG | OPT_AUDIO, FN(opt_audio_codec), "force audio codec ('copy' to copy stream)", "codec"},
    {"atag", HAS_ARG | OPT_EXPERT | OPT_AUDIO, FN(opt_audio_tag), "force audio tag/fourcc", "fourcc/tag"},
    {"vol", OPT_INT | HAS_ARG | OPT_AUDIO, VAR(audio_volume), "change audio volume (256=normal)", "volume"},
    {"newaudio", OPT_AUDIO, FN(opt_new_audio_stream), "add a new audio stream to the current output stream", nullptr},
    {"alang", HAS_ARG | OPT_STRING | OPT_AUDIO, VAR(audio_language),
     "set the ISO 639 language code (3 letters) of the current audio stream", "code"},

    // subtitle options
    {"scodec", HAS_ARG | OPT_SUBTITLE, FN(opt_subtitle_codec), "force subtitle codec ('copy' to copy stream)", "codec"},
    {"newsubtitle", OPT_SUBTITLE, FN(opt_new_subtitle_stream), "add a new subtitle stream to the current output stream",
     nullptr},
    {"slang", HAS_ARG | OPT_STRING | OPT_SUBTITLE, VAR(subtitle_language),
     "set the ISO 639 language code (3 letters) of the current subtitle stream", "code"},

    // grab options
    {"vc", HAS_ARG | OPT_EXPERT | OPT_VIDEO | OPT_GRAB, FN(opt_video_channel), "set video grab channel (DV1394 only)",
     "channel"},
    {"tvstd", HAS_ARG | OPT_EXPERT | OPT_VIDEO | OPT_GRAB, FN(opt_video_standard),
     "set television standard (NTSC, PAL (SECAM))", "standard"},
    {"isync", OPT_BOOL | OPT_EXPERT | OPT_GRAB, VAR(input_sync), "sync read on input", ""},

    // muxer options
    {"muxdelay", OPT_FLOAT | HAS_ARG | OPT_EXPERT, VAR(mux_max_delay), "set the maximum demux-decode delay", "seconds"},
    {"muxpreload", OPT_FLOAT | HAS_ARG | OPT_EXPERT, VAR(mux_preload), "set the initial demux-decode delay", "seconds"},
    {"absf", HAS_ARG | OPT_AUDIO | OPT_EXPERT, FN(opt_audio_bsf), "", "bitstream filter"},
    {"vbsf", HAS_ARG | OPT_VIDEO | OPT_EXPERT, FN(opt_video_bsf), "", "bitstream filter"},
    {"default", OPT_FUNC2 | HAS_ARG | OPT_AUDIO | OPT_VIDEO | OPT_EXPERT, FN2(opt_default), "generic catch all option",
     ""},
    {"id3v1", OPT_BOOL, VAR(write_id3v1), "write ID3 tag version 1", nullptr},
    {"id3v2", OPT_BOOL, VAR(write_id3v2), "write ID3 tag version 2", nullptr},

    // the system's own options
    {"zoom", HAS_ARG, FN(opt_zoom_type), "set zome type", "zoom type"},
    {"vs", HAS_ARG, FN(opt_volume_size), "set volume size", "volume size"},
    {"spnum", HAS_ARG, FN(opt_split_number), "set split number", "split number "},
    {"spp", HAS_ARG, FN(opt_split_position), "set split position", "split pos "},
    {"nb_ts", HAS_ARG | OPT_EXPERT, FN(opt_nb_timespan), "set the number of timespan", "number"},
    {"ifo", HAS_ARG, FN(opt_ifo_inputfiles), "input several file name to one output", nullptr},
    {"wmf", HAS_ARG | OPT_VIDEO, FN(opt_wm_filename), "wm_filename", "wm_filename"},
    {"mts", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(wm_mark_to_src), "mark wartermark to source", nullptr},
    {"wmalign", HAS_ARG | OPT_VIDEO, FN(opt_wm_align), "wartermak align", "wartermak align"},
    {"wmx", HAS_ARG | OPT_VIDEO, FN(opt_wm_x), "wartermak x", "wartermak x"},
    {"wmy", HAS_ARG | OPT_VIDEO, FN(opt_wm_y), "wartermak y", "wartermak y"},
    {"wmt", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(wm_transparent), "mark wartermark background transparent", nullptr},
    {"wmtr", HAS_ARG | OPT_VIDEO, FN(opt_wm_tr), "wartermak transparent red value", "wartermak transparent red value"},
    {"wmtg", HAS_ARG | OPT_VIDEO, FN(opt_wm_tg), "wartermak transparent green value",
     "wartermak transparent green value"},
    {"wmtb", HAS_ARG | OPT_VIDEO, FN(opt_wm_tb), "wartermak transparent blue value",
     "wartermak transparent blue value"},
    {"wma", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(wm_b_alpha), "mark wartermark alpha", nullptr},
    {"wmav", HAS_ARG | OPT_VIDEO, FN(opt_wm_av), "wartermak transparent blue value",
     "wartermak transparent blue value"},
    {"vf", OPT_BOOL | OPT_EXPERT | OPT_VIDEO, VAR(vf_video_effect), "set video effect", nullptr},
    {"brightness", HAS_ARG | OPT_VIDEO, FN(opt_vf_brightness), "video effect brightness", "video effect brightness"},
    {"contrast", HAS_ARG | OPT_VIDEO, FN(opt_vf_contrast), "video effect contrast", "video effect contrast"},
    {"saturation", HAS_ARG | OPT_VIDEO, FN(opt_vf_saturation), "video effect saturation", "video effect saturation"},
    {"type", HAS_ARG | OPT_VIDEO, FN(opt_vf_type), "video effect type 0-8", "video effect type 0-8"},
    {"effectarray", HAS_ARG | OPT_VIDEO, FN(opt_vf_array), "video effect array", "video effect array"},
    {"effectcount", HAS_ARG | OPT_VIDEO, FN(opt_vf_count), "video effect count", "video effect count"},
    {"web_flash", OPT_BOOL, VAR(web_flash_flag), "create a flv or swf with web player", nullptr},
    {"dpg_type", HAS_ARG | OPT_VIDEO, FN(opt_dpg_type), "set dpg type (0:dpg,1:dpg1,2:dpg2,3:dpg3)", "dpg_type"},
    {"repeat", HAS_ARG, FN(opt_repeat_num), "set repeat files times and set merge fuction", "repeat times"},
    {"testyuvfile", HAS_ARG, FN(opt_hasoutput_testyuvfile), "yuv test file name", "filename"},
    {"maxyuvnumber", HAS_ARG, FN(opt_testyuvfile_maxyuvnumber), "yuv test file name max frame number",
     "max yuv number"},
    {"id3image", HAS_ARG, FN(opt_id3image_file), "add id3 image", "id3image"},
    {nullptr, 0, nullptr, nullptr, nullptr, nullptr, nullptr},
};

#undef VAR
#undef FN
#undef FN2

static_assert(sizeof(options) / sizeof(options[0]) == optionCount + 1, "the option table has 124 rows");

const OptionEntry* findOption(const OptionEntry* table, const char* name)
{
    for (const OptionEntry* po = table; po->name; ++po)
        if (std::strcmp(name, po->name) == 0)
            return po;
    return nullptr;
}

// ---------------------------------------------------------------------------
// The parser.

namespace {

// With split output on, every output name becomes "<base>-00.<ext>", the base
// being the first name seen without its extension.
std::string splitOutputName(const char* name)
{
    OptionState& s = S();
    if (s.split_base_name.empty()) {
        s.split_base_name = bounded(name, 259);
        const std::size_t dot = s.split_base_name.rfind('.');
        if (dot != std::string::npos) {
            s.split_extension = s.split_base_name.substr(dot + 1);
            s.split_base_name.resize(dot);
        }
    }
    std::string result = s.split_base_name;
    result += formatText("-%02d", 0);
    result += ".";
    result += s.split_extension;
    return bounded(result.c_str(), 259);
}

} // namespace

OptionOutcome parseOptionsLocked(int argc, const char* const* argv, const OptionEntry* table)
{
    const char* program = argc > 0 && argv[0] ? argv[0] : "";
    try {
        bool handleOptions = true;
        int optindex = 1;
        while (optindex < argc) {
            const char* opt = argv[optindex++];
            if (handleOptions && opt[0] == '-' && opt[1] != '\0') {
                if (opt[1] == '-' && opt[2] == '\0') {
                    handleOptions = false;
                    continue;
                }
                const char* name = opt + 1;
                const OptionEntry* po = findOption(table, name);
                if (!po)
                    po = findOption(table, "default");
                if (!po)
                    fail("%s: unrecognized option '%s'\n", program, opt);
                const char* arg = nullptr;
                if (po->flags & HAS_ARG) {
                    if (optindex >= argc)
                        fail("%s: missing argument for option '%s'\n", program, opt);
                    arg = argv[optindex++];
                }
                if (po->flags & OPT_STRING) {
                    *static_cast<std::optional<std::string>*>(po->variable) = std::string(arg);
                } else if (po->flags & OPT_BOOL) {
                    *static_cast<int*>(po->variable) = 1;
                } else if (po->flags & OPT_INT) {
                    *static_cast<int*>(po->variable) = std::atoi(arg);
                } else if (po->flags & OPT_INT64) {
                    *static_cast<int64_t*>(po->variable) = std::strtoll(arg, nullptr, 10);
                } else if (po->flags & OPT_FLOAT) {
                    *static_cast<float*>(po->variable) = float(std::atof(arg));
                } else if (po->flags & OPT_FUNC2) {
                    if (po->handler2(name, arg) < 0)
                        fail("%s: unrecognized option '%s'\n", program, opt);
                } else {
                    po->handler(arg);
                }
            } else if (S().g_bSplit) {
                const std::string name = splitOutputName(opt);
                opt_output_file(name.c_str());
            } else {
                opt_output_file(opt);
            }
        }
    } catch (const OptionAbort& abort) {
        return OptionOutcome{abort.status, abort.exitStatus, abort.message};
    }
    return OptionOutcome{};
}

OptionOutcome parse_options(int argc, const char* const* argv, const OptionEntry* table)
{
    std::lock_guard lock(layerMutex());
    return parseOptionsLocked(argc, argv, table);
}

void resetStateLocked()
{
    g_state = OptionState();
    buildTemplates();
}

void reset_option_state()
{
    std::lock_guard lock(layerMutex());
    resetStateLocked();
}

void inspectOptionState(const std::function<void(const OptionState&)>& inspect)
{
    std::lock_guard lock(layerMutex());
    inspect(g_state);
}

std::mutex& optionLayerMutex() { return layerMutex(); }

std::string print_error(const char* filename, int err)
{
    if (err == -92 || err == AVERROR_DEMUXER_NOT_FOUND || err == AVERROR_MUXER_NOT_FOUND)
        return formatText("%s: Unknown format\n", filename);
    switch (err) {
    case AVERROR(EDOM):
        return formatText("%s: Incorrect image filename syntax.\n"
                          "Use '%%d' to specify the image number:\n"
                          "  for img1.jpg, img2.jpg, ..., use 'img%%d.jpg';\n"
                          "  for img001.jpg, img002.jpg, ..., use 'img%%03d.jpg'.\n",
                          filename);
    case AVERROR(EINVAL):
    case AVERROR_INVALIDDATA: return formatText("%s: Error while parsing header\n", filename);
    case AVERROR(ENOMEM): return formatText("%s: memory allocation error occured\n", filename);
    case AVERROR(EIO):
        return formatText("%s: I/O error occured\n"
                          "Usually that means that input file is truncated and/or corrupted.\n",
                          filename);
    case AVERROR(ENOENT): return formatText("%s: no such file or directory\n", filename);
    default: return formatText("%s: Error while opening file\n", filename);
    }
}

std::string show_help_text()
{
    struct Group {
        const char* title;
        uint32_t mask;
        uint32_t value;
    };
    static const Group groups[] = {
        {"Main options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_SUBTITLE | OPT_GRAB, 0},
        {"Advanced options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_SUBTITLE | OPT_GRAB, OPT_EXPERT},
        {"Video options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_GRAB, OPT_VIDEO},
        {"Advanced Video options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_GRAB, OPT_VIDEO | OPT_EXPERT},
        {"Audio options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_GRAB, OPT_AUDIO},
        {"Advanced Audio options:", OPT_EXPERT | OPT_AUDIO | OPT_VIDEO | OPT_GRAB, OPT_AUDIO | OPT_EXPERT},
        {"Subtitle options:", OPT_SUBTITLE | OPT_GRAB, OPT_SUBTITLE},
        {"Audio/Video grab options:", OPT_GRAB, OPT_GRAB},
    };
    std::string text = "usage: zirc [[infile options] -i infile]... {[outfile options] outfile}...\n\n";
    bool listed[optionCount] = {};
    for (const Group& group : groups) {
        std::string lines;
        for (int i = 0; i < optionCount; ++i) {
            const OptionEntry& po = options[i];
            if (listed[i] || (po.flags & group.mask) != group.value)
                continue;
            listed[i] = true;
            std::string left = std::string("-") + po.name;
            if (po.flags & HAS_ARG) {
                left += ' ';
                left += po.argname ? po.argname : "";
            }
            lines += formatText("%-17s  %s\n", left.c_str(), po.help ? po.help : "");
        }
        if (!lines.empty())
            text += std::string(group.title) + "\n" + lines + "\n";
    }
    return text;
}
