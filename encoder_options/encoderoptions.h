#pragma once
// The encoder option layer: a command-line style option table, the parser that
// walks an argument vector with it, and the process-wide settings it fills.
// The output side (output context, streams, presets, inputs) is declared in
// outputsetup.h.
//
// All settings live in one process-wide OptionState. Every public entry point
// takes one process-wide lock for its whole run, so configurations from several
// threads are serialized, never interleaved. Nothing here ends the process or
// writes to the standard streams: errors come back as an OptionOutcome and the
// texts the command line would print are collected for the caller.

#include "ffmpegptr.h"

#include <array>
#include <climits>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// Flag bits of an option row.
enum OptionFlag : uint32_t {
    HAS_ARG = 0x001,
    OPT_BOOL = 0x002,
    OPT_EXPERT = 0x004,
    OPT_STRING = 0x008,
    OPT_VIDEO = 0x010,
    OPT_AUDIO = 0x020,
    OPT_GRAB = 0x040,
    OPT_INT = 0x080,
    OPT_FLOAT = 0x100,
    OPT_SUBTITLE = 0x200,
    OPT_FUNC2 = 0x400,
    OPT_INT64 = 0x800,
};

using OptionHandler = void (*)(const char* arg);
using OptionHandler2 = int (*)(const char* name, const char* arg);

// One row of the option table. Exactly one of `variable`, `handler` and
// `handler2` is used, chosen by the flag bits; the table ends with a row
// whose name is null.
struct OptionEntry {
    const char* name;
    uint32_t flags;
    void* variable;
    OptionHandler handler;
    OptionHandler2 handler2;
    const char* help;
    const char* argname;
};

// The option table, 124 rows plus the terminating row.
extern const OptionEntry options[];
constexpr int optionCount = 124;

const OptionEntry* findOption(const OptionEntry* table, const char* name);

// What a parse or a configuration run ended with.
enum class OptionStatus {
    Ok,
    Error, // a malformed argument or a failed library call
    Stop   // an informational option that ends the run ("version", "L", "pix_fmt list")
};

struct OptionOutcome {
    OptionStatus status = OptionStatus::Ok;
    int exitStatus = 0;  // the status a command line exits with (1 for errors)
    std::string message; // the text for the standard error stream, may be empty
    bool ok() const { return status == OptionStatus::Ok; }
};

constexpr int MaxInputSlots = 200;
constexpr int MaxCustomOptions = 2300;
constexpr int MaxOutputFiles = 200;
constexpr int AudioQscaleUnset = -99999;

struct TimeSpan {
    int64_t start = 0;
    int64_t duration = 0;
};

struct StreamMap {
    int file_index = 0;
    int stream_index = 0;
    int sync_file_index = 0;
    int sync_stream_index = 0;
};

struct MetaDataMap {
    int out_file = 0;
    int in_file = 0;
};

struct OutputFile;
struct InputFile;

// Every process-wide option setting with its start value.
struct OptionState {
    OptionState();
    ~OptionState();
    OptionState(OptionState&&) noexcept;
    OptionState& operator=(OptionState&&) noexcept;

    // Flags.
    int file_overwrite = 0, video_disable = 0, audio_disable = 0, subtitle_disable = 0;
    int video_stream_copy = 0, audio_stream_copy = 0, subtitle_stream_copy = 0;
    int same_quality = 0, intra_only = 0, do_deinterlace = 0, do_psnr = 0, do_pass = 0;
    int copy_ts = 0, opt_shortest = 0, rate_emu = 0, loop_input = 0, input_sync = 0, qp_hist = 0;
    int do_benchmark = 0, do_pkt_dump = 0, do_hex_dump = 0;
    int write_id3v1 = 0, write_id3v2 = 0, web_flash_flag = 0;
    int vf_video_effect = 0, wm_mark_to_src = 0, wm_transparent = 0, wm_b_alpha = 0;

    // Codecs. The encoder pointers remember which encoder a name chose, since
    // several encoders share one codec id ("libxvid" and "mpeg4").
    int video_codec_id = 0, audio_codec_id = 0, subtitle_codec_id = 0;
    const AVCodec* video_encoder = nullptr;
    const AVCodec* audio_encoder = nullptr;
    const AVCodec* subtitle_encoder = nullptr;
    int video_codec_tag = 0, audio_codec_tag = 0;

    int audio_sample_rate = 44100;
    int audio_channels = 1;
    float audio_qscale = AudioQscaleUnset;
    int audio_volume = 256;
    float video_qscale = 0;
    int video_qdiff = 3;
    std::string video_rc_eq = "tex^qComp";
    std::optional<std::string> video_rc_override_string;
    AVRational frame_rate_output{25, 1};
    AVRational frame_rate{25, 1};
    int frame_pix_fmt = -1;
    float frame_aspect_ratio = 0;
    int padcolor[3] = {16, 128, 128};
    int max_frames[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    // 0 lets every encoder pick its own thread count (all cores).
    int thread_count = 0;
    int verbose = 1;
    int video_sync_method = 1, audio_sync_method = 0;
    int loop_output = -1;
    int intra_dc_precision = 8;
    int top_field_first = -1;
    int me_threshold = 0, strict = 0, video_discard = 0, video_global_header = 0;
    int dts_delta_threshold = 10;
    int sws_flags = SWS_BICUBIC;
    float mux_max_delay = 0.7f, mux_preload = 0.5f;
    int64_t limit_filesize = 0, input_ts_offset = 0, rec_timestamp = 0, volume_size = 0;
    int video_channel = 0;
    std::optional<std::array<uint16_t, 64>> intra_matrix, inter_matrix;

    // The system's own options.
    int dpg_type_flag = -1;
    int max_yuv_output_frame_number = 30;
    int hasoutput_testyuvfile = 0;
    int wm_alpha_val = 50, wm_align_var = 5;
    int wm_x = 0, wm_y = 0, wm_t_r = 0, wm_t_g = 0, wm_t_b = 0;
    int vf_brightness = 0, vf_contrast = 0, vf_saturation = 0, vf_type = 0, vf_count = 0;
    int using_vhook = 0;
    std::string wm_filename, vf_array;   // at most 1039 bytes each
    std::string output_testyuvfile_path; // at most 259 bytes
    std::string id3_image_path;
    int zoom_crop = 0;
    int g_bSplit = 0, volume_type = 0, split_num = 0;
    double split_pos = 0;
    std::string split_base_name, split_extension;
    int repeat_num = 0, repeat_given = 0;

    std::optional<std::string> str_title, pass_logfilename, audio_language, subtitle_language, video_standard,
        vstats_filename;

    // Input slots.
    int ifo = 0, p2vflag = 0, v2p_num = 0;
    std::array<int, MaxInputSlots> nb_input_files{}, frame_width{}, frame_height{}, frame_topBand{}, frame_bottomBand{},
        frame_leftBand{}, frame_rightBand{}, frame_padtop{}, frame_padbottom{}, frame_padleft{}, frame_padright{},
        nb_timespan{}, current_timespan{};
    std::array<int64_t, MaxInputSlots> start_time{}, recording_time{};
    std::array<std::vector<TimeSpan>, MaxInputSlots> time_spans;
    std::vector<std::string> ifo_names;
    std::vector<std::unique_ptr<InputFile>> input_files;
    float ppt_time = 0;

    // Collections.
    std::vector<std::pair<std::string, std::string>> metadata;
    std::vector<StreamMap> stream_maps;
    std::vector<MetaDataMap> meta_data_maps;
    std::vector<std::string> opt_names;
    std::vector<std::pair<std::string, std::string>> custom_options;
    std::vector<BsfContextPtr> video_bitstream_filters, audio_bitstream_filters;
    DictionaryPtr extra_options; // the store for names no parameter context knows

    // Output side.
    const AVOutputFormat* file_oformat = nullptr;
    const AVInputFormat* file_iformat = nullptr;
    const AVOutputFormat* last_file_oformat = nullptr;
    int split_audio_disable = 0, split_video_disable = 0, split_audio_codec_id = 0, split_video_codec_id = 0,
        split_audio_stream_copy = 0, split_video_stream_copy = 0;
    std::vector<std::unique_ptr<OutputFile>> output_files;
    int nb_output_files = 0;
    std::string psnr_filename;

    // Parameter templates for generic options, one codec context per media type.
    std::array<CodecContextPtr, 5> avctx_opts;
    FormatContextPtr avformat_opts;
    SwsContextPtr sws_opts;

    // What the command line would have printed.
    std::string standard_output;
    std::vector<std::string> notes;
    int help_requested = 0;
};

// Puts every setting back to its start value and rebuilds the parameter templates.
void reset_option_state();

// Walks argv from element 1 (element 0 names the program in messages).
OptionOutcome parse_options(int argc, const char* const* argv, const OptionEntry* table);

// Runs `inspect` on the settings while holding the layer's lock.
void inspectOptionState(const std::function<void(const OptionState&)>& inspect);

// The message for a library error code on opening `filename`.
std::string print_error(const char* filename, int err);

// The help text of the option table, grouped as the flag bits say.
std::string show_help_text();

// Asked before an existing output file is overwritten without "-y"; true
// overwrites. Without one, existing files are never overwritten.
using OverwritePrompt = std::function<bool(const std::string& question)>;
void setOverwritePrompt(OverwritePrompt prompt);
