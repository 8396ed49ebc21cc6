#pragma once
// Encodes rendered RGBA pictures and interleaved 16-bit sound into one output
// file, configured entirely by an encoder argument list.

#include "avpicture.h"
#include "ffmpegptr.h"
#include "outputsetup.h"
#include "storyboard.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class AVWriter
{
public:
    AVWriter();
    ~AVWriter();
    AVWriter(const AVWriter&) = delete;
    AVWriter& operator=(const AVWriter&) = delete;

    // The output path is inside `arguments`; `fileName` is not used. False
    // when the list names no output, the option layer refuses the list, an
    // encoder cannot be opened or the header cannot be written; the reason
    // is in errorString().
    bool open(const QString& fileName, const RenderParam& param, const QStringList& arguments);
    // Opens an output the option layer has already set up.
    bool open(std::unique_ptr<OutputFile> output, const RenderParam& param);

    // An RGBA picture of param.width x param.height, rows top first.
    bool writeVideoFrame(const AVPicture& picture);
    // A picture already in the encoder's own pixel format and size
    // (videoCodecContext()->pix_fmt, width, height), planes in `picture`,
    // rows top first: handed on without any conversion.
    bool writeEncoderFrame(const AVPicture& picture);
    // Whether writeEncoderFrame() would take a YUV 4:2:0 picture of the
    // frame size the writer was opened with (param.width x param.height),
    // and in which range: true for YUV420P (video range) and YUVJ420P (full
    // range) encoders that take that size.
    bool takesYuv420(bool& fullRange) const;
    // Interleaved signed 16-bit samples at param.sampleRate and param.channels.
    bool writeAudioBuffer(const short* samples, int byteCount);

    // Drains the encoders (the last partial sound frame padded with silence),
    // writes the trailer and frees everything. Harmless when nothing is open.
    void close();

    bool isOpen() const { return m_output != nullptr; }
    // Why open() failed, or the first failure of encoding or writing since
    // (kept after close(), so a caller can tell a complete file from one cut
    // short by a full disk).
    QString errorString() const { return m_error; }
    // Remarks of the option layer and of the writer meant for the user.
    QStringList messages() const { return m_messages; }
    // One line naming what the encoders were opened with: container, codecs,
    // pixel and sample formats, size, rates, bit rates and threads. Empty
    // when nothing is open.
    QString encoderSummary() const;

    const AVCodecContext* videoCodecContext() const { return m_videoCodec; }
    const AVCodecContext* audioCodecContext() const { return m_audioCodec; }
    // Bytes of one encoder sound frame (0 for sample-based encoders), the bytes
    // waiting in the carry for a full frame, and the frames and pictures given
    // to the encoders so far.
    int audioFrameBytes() const;
    int audioCarryBytes() const { return m_carryLength; }
    qint64 audioFramesEncoded() const { return m_audioFramesSent; }
    qint64 videoFramesEncoded() const { return m_videoFramesSent; }

private:
    FramePtr newEncoderFrame() const;
    bool convertPixelFormat(const AVPicture& picture);
    bool encodeVideo(const AVFrame* frame);
    bool encodeAudio(int sampleCount, const short* samples);
    bool sendAudioFrame(const AVFrame* frame);
    bool cutIntoFrames(const short* samples, int byteCount);
    bool drainEncoder(AVCodecContext* codec, int streamIndex);
    // Writes an encoder's packet (its content is taken), through the stream's
    // bitstream filters when it has any; a null packet flushes the filters.
    bool writePacket(AVPacket* packet, AVCodecContext* codec, int streamIndex);
    // Passes `packets` through one filter (flushing it afterwards when
    // `flush`) and replaces them by what comes out.
    bool filterPackets(AVBSFContext* filter, std::vector<PacketPtr>& packets, bool flush);
    bool openEncoder(OutputStreamSetup& setup, AVDictionary* options, std::vector<bool>& used,
                     const std::vector<std::pair<std::string, std::string>>& custom);
    bool prepareAudio();
    void flushAudio();
    void fail(const QString& message);

    RenderParam m_param;
    std::unique_ptr<OutputFile> m_output;
    bool m_headerWritten = false;

    AVCodecContext* m_videoCodec = nullptr; // owned by m_output
    const AVCodec* m_videoEncoder = nullptr;
    AVStream* m_videoStream = nullptr;
    int m_videoSetup = -1;
    SwsContextPtr m_scaler;

    AVCodecContext* m_audioCodec = nullptr; // owned by m_output
    const AVCodec* m_audioEncoder = nullptr;
    AVStream* m_audioStream = nullptr;
    int m_audioSetup = -1;

    PacketPtr m_packet;
    FramePtr m_convertedPicture;

    // Sound: an optional resampler from the caller's rate and channels to the
    // encoder's, the carry of S16 samples waiting for a full encoder frame,
    // and the converter from S16 to the encoder's sample format.
    SwrContextPtr m_resampler;
    std::vector<short> m_resampled;
    // The option layer's "vol" (256 leaves the sound as it is) and the
    // scaled copy of a buffer.
    int m_volume = 256;
    std::vector<short> m_scaled;
    SwrContextPtr m_sampleConverter;
    std::vector<short> m_carry;
    int m_carryLength = 0; // bytes
    int m_audioChannels = 0;

    qint64 m_videoFramesSent = 0;
    qint64 m_audioFramesSent = 0;
    qint64 m_audioSamplesSent = 0; // per channel, the next sound frame's time stamp

    QString m_error;
    QStringList m_messages;
};
