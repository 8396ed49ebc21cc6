#pragma once
// Feeds an encoder writer from a thread of its own, so that the compile loop
// draws the next frame while the previous one is converted, encoded and
// written. Jobs are written strictly in the order they were handed over.

#include <QString>

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class AVWriter;

// Where the planes of a queued picture lie in its buffer, and which of the
// writer's calls takes it.
struct QueuedPictureLayout {
    std::size_t bytes = 0;
    std::array<std::size_t, 4> offsets{};
    std::array<int, 4> linesizes{};
    // Planes in the encoder's own format (AVWriter::writeEncoderFrame);
    // otherwise one RGBA plane (AVWriter::writeVideoFrame).
    bool encoderFormat = false;

    // Tightly packed RGBA rows.
    static QueuedPictureLayout rgba(int width, int height);
};

class EncodingQueue
{
public:
    // Picture buffers held when none are asked for: as many as fit in
    // BufferBudget bytes, at least MinFrames so the encoder never starves
    // while a frame is drawn, at most MaxFrames. The encoder keeps its own
    // frames for look-ahead, so a few here keep both sides busy (four at
    // 720p, three at 1080p); eight 4K frames took 265 MB. A frame larger
    // than the whole budget (4K) gets two: one drawn, one encoded.
    static constexpr std::size_t BufferBudget = std::size_t(16) << 20;
    static constexpr int MinFrames = 3;
    static constexpr int LargeFrames = 2;
    static constexpr int MaxFrames = 8;
    static int framesFor(std::size_t frameBytes);

    // `frames` picture buffers of width x height RGBA pixels take turns
    // (0: framesFor the frame's size).
    EncodingQueue(AVWriter& writer, int width, int height, int frames = 0);
    // The same with buffers laid out as `layout` says.
    EncodingQueue(AVWriter& writer, const QueuedPictureLayout& layout, int frames = 0);
    int bufferCount() const { return int(m_buffers.size()); }
    // Drops what is still queued and ends the thread.
    ~EncodingQueue();
    EncodingQueue(const EncodingQueue&) = delete;
    EncodingQueue& operator=(const EncodingQueue&) = delete;

    // A free picture buffer (tightly packed rows) for the next frame;
    // waits while every buffer is queued.
    uint8_t* acquireFrame();
    // Queues a buffer from acquireFrame(), filled.
    void submitFrame(uint8_t* frame);
    // Queues a copy of `bytes` bytes of interleaved 16-bit sound.
    void submitSound(const char* data, int bytes);

    // Waits until everything queued is written, then ends the thread; the
    // writer is the caller's alone again. False when a write failed.
    bool finish();
    // Drops what is queued, waits for the job in hand and ends the thread.
    void abandon();

    // Whether a write failed; from then on jobs are dropped unwritten.
    bool failed() const;
    QString errorString() const;

private:
    struct Job {
        int frame = -1; // index of a picture buffer, or -1 for sound
        std::vector<char> sound;
    };

    void run();
    void end(bool dropQueued);

    AVWriter& m_writer;
    const QueuedPictureLayout m_layout;
    std::vector<std::vector<uint8_t>> m_buffers;
    // Sound buffers of jobs already written, reused so that handing sound
    // over does not allocate once they have grown to a frame's sound.
    std::vector<std::vector<char>> m_spareSound;

    mutable std::mutex m_mutex;
    std::condition_variable m_jobsReady; // the worker waits for jobs
    std::condition_variable m_jobsDone;  // the producer waits for buffers or the end
    std::vector<int> m_free;
    std::deque<Job> m_jobs;
    bool m_stopping = false;
    bool m_failed = false;
    QString m_error;
    std::thread m_thread;
};
