#pragma once
// Shared between the parser and the output set-up; not for callers outside
// this folder. Setters report errors by throwing OptionAbort, which never
// leaves the layer: the public entry points turn it into an OptionOutcome.

#include <mutex>
#include <string>

// Declared in encoderoptions.h; named here only, so the parser's own header
// and this one do not include each other.
enum class OptionStatus;
struct OptionEntry;
struct OptionOutcome;
struct OptionState;

struct OptionAbort {
    OptionStatus status;
    int exitStatus;
    std::string message;
};

// The one process-wide option state; only touched with the layer's lock held.
extern OptionState g_state;

std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void fail(const char* format, ...) __attribute__((format(printf, 1, 2)));
[[noreturn]] void failText(const std::string& message);
[[noreturn]] void stopRun(int exitStatus, const std::string& message);
void note(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The input slot that frame geometry options apply to.
int currentSlot();

std::mutex& optionLayerMutex();
bool askOverwrite(const std::string& question);

// Unlocked forms of the public entry points.
void resetStateLocked();
OptionOutcome parseOptionsLocked(int argc, const char* const* argv, const OptionEntry* table);

// Sets every name collected by opt_default that `templ` marks with all bits of
// `mask` on `target`, with the template's value.
void applyOptNames(void* target, void* templ, int mask, bool audioGroup);

// Handlers the presets and the output side share with the table.
int opt_default(const char* name, const char* arg);
void opt_format(const char* arg);
void opt_frame_size(const char* arg);
void opt_frame_rate(const char* arg);
void opt_frame_pix_fmt(const char* arg);
void opt_video_codec(const char* arg);
void opt_audio_codec(const char* arg);

// Part of the output side (outputsetup.cpp).
void opt_output_file(const char* filename);
void opt_input_file(const char* filename);
void opt_ifo_inputfiles(const char* filename);
void opt_target(const char* arg);
void opt_new_video_stream(const char* arg);
void opt_new_audio_stream(const char* arg);
void opt_new_subtitle_stream(const char* arg);
void buildTemplates();
