#ifndef AUDIOREADER_H
#define AUDIOREADER_H

#include <QString>

#include <memory>

#include "ffmpegptr.h"
#include "storyboard.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

// Reads sound files through the FFmpeg libraries: probes a file for the
// album, and decodes one clip of it into a SampleDecoding buffer as
// interleaved signed 16-bit samples in machine byte order, at the channel
// count and rate the caller asks for.
//
// Times are clip times: seconds from the first sample of the file's sound
// (its stream start), so a clip's start and end mean the same instant
// whether the reader got there by decoding or by seeking. Decoding starts
// exactly at a seek position and stops exactly at the clip end (to the
// sample, as far as the file's time stamps tell); a file that cannot be
// opened, has vanished, or stops reading ends the clip at once.
//
// Mono goes to both front channels at its own level; more channels than
// wanted are mixed down. Sound that starts after the position sought to
// (a decoder's delay) is preceded by silence, so it keeps its own time.
//
// One instance is used by one thread at a time. The reader writes only the
// samples and `length` of the buffer; `consumed` and the mutex belong to
// the caller, who locks. parse() touches nothing shared.
class AudioReader
{
public:
    AudioReader();
    ~AudioReader();
    AudioReader(const AudioReader&) = delete;
    AudioReader& operator=(const AudioReader&) = delete;

    // Fills channels, sampleRate, bitsPerSample (16), duration, startTime (0),
    // endTime (duration), suffix, fileSize and lastModified from the file at
    // info.filePath. False, with the record untouched, unless the file has an
    // audio stream that decodes.
    static bool parse(AudioInfo& info);

    // The length in seconds the headers of an opened file give for `stream`,
    // or -1 when they give none. A length the demuxer only guessed from the
    // file size and the first frames' bit rate (MPEG audio without a Xing
    // header, raw ADTS) counts as none: with a variable bit rate it can be
    // wrong by any factor, so such a file must be measured.
    static double claimedDuration(const AVFormatContext* format, int stream);

    // Opens the first decodable audio stream of the file. The channels and
    // sampleRate of `wanted` are the output format, its endTime the clip end
    // in seconds. False when the file cannot be opened, has no decodable
    // audio stream or the output format is impossible; the reader then
    // reports endOfStream on the next seek or decodeAudio.
    bool open(const QString& path, const AudioInfo& wanted);

    // Positions decoding at `seconds` of clip time and clears endOfStream
    // (which stays set when no file is open).
    void seek(double seconds);

    // Appends converted sound to out.samples at out.length until length
    // reaches min(bytesPerFrame x 256, capacity), the clip ends or the file
    // ends. One step may go past that mark, but never past capacity +
    // SampleDecoding::slackBytes: what does not fit waits for the next call.
    void decodeAudio(SampleDecoding& out, int bytesPerFrame);

    // Frees everything and returns to the state of a new reader.
    void close();

    // Why the last open() failed; empty after a successful one.
    QString errorString() const { return error; }

    // Set when the clip end or the end of the file is reached, or when there
    // is nothing to decode; read by the caller after each decodeAudio().
    bool endOfStream = false;

private:
    struct ChannelLayout {
        AVChannelLayout layout{};
        ChannelLayout() = default;
        ~ChannelLayout() { av_channel_layout_uninit(&layout); }
        ChannelLayout(const ChannelLayout&) = delete;
        ChannelLayout& operator=(const ChannelLayout&) = delete;
    };

    // The opened file and its chosen audio stream, as parse and open need it.
    struct Source {
        InputContextPtr format;
        CodecContextPtr codec;
        int stream = -1;
        QString error;
        bool open(const QString& path);
    };

    void reposition(double from);
    bool rewind();
    bool nextFrame();
    bool sendNextPacket();
    void startFrame();
    void deliver(SampleDecoding& out, qint64 end);
    bool prepareResampler();
    void finish(SampleDecoding& out, qint64 end);
    double clipTime(int64_t timestamp) const;
    double knownDuration() const;

    AudioInfo wanted;
    int streamIndex = -1;
    InputContextPtr formatContext;
    CodecContextPtr codecContext;
    PacketPtr packet;
    FramePtr frame;
    int frameOffset = 0;      // samples of `frame` already delivered or dropped
    qint64 silenceFrames = 0; // output sample frames of silence owed before `frame`
    SwrContextPtr resampler;
    // The decoded format the resampler was made for; a stream may change it.
    AVSampleFormat resamplerFormat = AV_SAMPLE_FMT_NONE;
    int resamplerRate = 0;
    ChannelLayout resamplerLayout;
    int64_t streamStart = 0;     // stream time of clip time 0
    double frameTime = 0.0;      // clip time of the first sample of `frame`
    double nextFrameTime = -1.0; // clip time of the next frame; < 0 until one is decoded
    double seekTarget = -1.0;    // samples before it are dropped; < 0 when none
    int seekRetries = 0;         // repositionings after a demuxer overshot the seek
    bool draining = false;       // no more packets: the decoder gives up what it holds
    bool atStart = false;        // nothing read since the file was opened
    QString filePath;
    QString error;
};

#endif // AUDIOREADER_H
