#pragma once
// Plays one audio file from a given second through its own OpenAL stream,
// 40 ms of sound per buffer, and tells its owner how many buffers have been
// heard so the owner can move its position on. Past the end of the file (or
// when the file cannot be read at all) it plays silence, so the owner's
// clock keeps running until it decides to stop.

#include "alstream.h"
#include "audioreader.h"
#include "storyboard.h"

#include <QByteArray>
#include <QString>

class ClipPlayer
{
public:
    static constexpr int bufferCount = 256;
    static constexpr int chunksPerSecond = 25;

    // `deviceName` null opens the default device; without a usable device
    // the stream's wall clock keeps the time silently.
    explicit ClipPlayer(const char* deviceName = nullptr);
    ClipPlayer(const ClipPlayer&) = delete;
    ClipPlayer& operator=(const ClipPlayer&) = delete;

    // What every file is decoded to: stereo 16-bit at 44100 Hz, the whole
    // file as the clip.
    static AudioInfo targetFormat();
    // Bytes of one buffer: a twenty-fifth of a second of the target format.
    static int chunkBytes();

    // Opens the file for the next start(); false (and silence when played)
    // when it cannot be read.
    bool open(const QString& path);
    // Stops, positions the file at `seconds`, queues every buffer and plays.
    void start(double seconds);
    // Refills the buffers heard since the last call and returns their count.
    int update();
    // Stops at once; start() plays again.
    void stop();
    void setGain(float gain);
    bool hasDevice() const { return m_stream.hasDevice(); }
    bool isPlaying() const { return m_stream.isPlaying(); }

    // The feed behind start() and update(): positions the file, and hands
    // out the sound of the next buffer (silence once the file has ended).
    void reposition(double seconds);
    const QByteArray& nextChunk();

private:
    void queueFreeBuffers();

    ALStream m_stream;
    AudioReader m_reader;
    SampleDecoding m_samples;
    int m_remainder = 0;      // bytes carried over to keep every buffer a whole number of sample frames
    bool m_exhausted = false; // the reader stopped giving sound without saying so
    QByteArray m_chunk;
};
