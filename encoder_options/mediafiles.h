#pragma once
// The files one configuration run opens: the output context with its streams
// and their encoder contexts, and the inputs named with "-i".

#include "ffmpegptr.h"

#include <string>
#include <utility>
#include <vector>

// One stream of an output file and the encoder context set up for it.
struct OutputStreamSetup {
    AVStream* stream = nullptr;       // owned by the output context
    CodecContextPtr codec;            // configured, not opened
    const AVCodec* encoder = nullptr; // none when no encoder exists for the codec
    bool streamCopy = false;
    std::vector<BsfContextPtr> bitstreamFilters; // applied in order to the stream's packets
};

// An output context with its file opened (unless the format writes none).
struct OutputFile {
    OutputContextPtr context;
    std::vector<OutputStreamSetup> streams;
    // Options no parameter context knew; handed to the encoders and the muxer
    // when they are opened, where the private options of each may take them.
    std::vector<std::pair<std::string, std::string>> customOptions;
};

// An input file opened with "-i" or "ifo", its stream information read.
struct InputFile {
    InputContextPtr context;
    int slot = 0;
};
