#pragma once
// The entry through which a writer configures the FFmpeg libraries from an
// argument vector: output context, its streams with configured (not yet
// opened) encoder contexts, the output file opened for writing, and the input
// files named with "-i".

#include "encoderoptions.h"
#include "mediafiles.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// Everything one configuration run hands back.
struct FormatContextResult {
    OptionOutcome outcome;
    std::unique_ptr<OutputFile> output; // the newest output file; none without an output name or on error
    std::vector<std::unique_ptr<InputFile>> inputs;
    std::string standardOutput;     // lists asked for ("formats", "pix_fmt list")
    std::vector<std::string> notes; // remarks meant for the standard error stream
    int64_t startTime = 0;          // input slot 0, microseconds
    int64_t recordingTime = 0;      // input slot 0, microseconds; 0 = no limit
    int maxFrames[4] = {INT_MAX, INT_MAX, INT_MAX, INT_MAX};
    bool helpRequested = false;
};

// Resets the option state, parses the vector and returns the newest output
// file. On any error the result carries the message and no output.
FormatContextResult av_get_format_context(int argc, const char* const* argv);

// Kept for writers that call it on close; the layer holds nothing to release.
void av_relase_format_context();

// Reads the companion ".tim" file of a "bzp" input: the input's duration
// becomes the sum of its 32-bit float values; false when it cannot be read.
bool InitialBzp(AVFormatContext* ic, float* firstValue = nullptr);
