#include "encodingqueue.h"

#include <algorithm>

#include "avpicture.h"
#include "avwriter.h"

QueuedPictureLayout QueuedPictureLayout::rgba(int width, int height)
{
    QueuedPictureLayout layout;
    layout.bytes = std::size_t(width) * std::size_t(height) * 4;
    layout.linesizes[0] = width * 4;
    return layout;
}

int EncodingQueue::framesFor(std::size_t frameBytes)
{
    if (frameBytes == 0)
        return MaxFrames;
    if (frameBytes > BufferBudget)
        return LargeFrames;
    return int(std::clamp<std::size_t>(BufferBudget / frameBytes, MinFrames, MaxFrames));
}

EncodingQueue::EncodingQueue(AVWriter& writer, int width, int height, int frames)
    : EncodingQueue(writer, QueuedPictureLayout::rgba(width, height), frames)
{}

EncodingQueue::EncodingQueue(AVWriter& writer, const QueuedPictureLayout& layout, int frames)
    : m_writer(writer)
    , m_layout(layout)
{
    if (frames <= 0)
        frames = framesFor(layout.bytes);
    for (int i = 0; i < frames; ++i) {
        m_buffers.emplace_back(layout.bytes);
        m_free.push_back(i);
    }
    m_thread = std::thread([this] { run(); });
}

EncodingQueue::~EncodingQueue() { abandon(); }

uint8_t* EncodingQueue::acquireFrame()
{
    std::unique_lock lock(m_mutex);
    m_jobsDone.wait(lock, [this] { return !m_free.empty(); });
    const int index = m_free.back();
    m_free.pop_back();
    return m_buffers[std::size_t(index)].data();
}

void EncodingQueue::submitFrame(uint8_t* frame)
{
    int index = 0;
    while (m_buffers[std::size_t(index)].data() != frame)
        ++index;
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({index, {}});
    }
    m_jobsReady.notify_one();
}

void EncodingQueue::submitSound(const char* data, int bytes)
{
    if (bytes <= 0)
        return;
    Job job;
    {
        std::lock_guard lock(m_mutex);
        if (!m_spareSound.empty()) {
            job.sound = std::move(m_spareSound.back());
            m_spareSound.pop_back();
        }
    }
    job.sound.assign(data, data + bytes);
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_jobsReady.notify_one();
}

void EncodingQueue::run()
{
    AVPicture picture{};
    for (std::size_t plane = 0; plane < 4; ++plane)
        picture.linesize[plane] = m_layout.linesizes[plane];
    for (;;) {
        Job job;
        bool skip = false;
        {
            std::unique_lock lock(m_mutex);
            m_jobsReady.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_jobs.empty())
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            skip = m_failed;
        }
        bool ok = true;
        if (!skip) {
            if (job.frame >= 0) {
                uint8_t* base = m_buffers[std::size_t(job.frame)].data();
                for (std::size_t plane = 0; plane < 4; ++plane)
                    picture.data[plane] = m_layout.linesizes[plane] > 0 ? base + m_layout.offsets[plane] : nullptr;
                ok = m_layout.encoderFormat ? m_writer.writeEncoderFrame(picture) : m_writer.writeVideoFrame(picture);
            } else {
                ok = m_writer.writeAudioBuffer(reinterpret_cast<const short*>(job.sound.data()), int(job.sound.size()));
            }
        }
        {
            std::lock_guard lock(m_mutex);
            if (!ok && !m_failed) {
                m_failed = true;
                m_error = m_writer.errorString();
                if (m_error.isEmpty())
                    m_error = job.frame >= 0 ? QStringLiteral("A frame could not be encoded.")
                                             : QStringLiteral("The sound could not be encoded.");
            }
            if (job.frame >= 0)
                m_free.push_back(job.frame);
            else
                m_spareSound.push_back(std::move(job.sound));
        }
        m_jobsDone.notify_all();
    }
}

void EncodingQueue::end(bool dropQueued)
{
    {
        std::unique_lock lock(m_mutex);
        if (dropQueued) {
            for (const Job& job : m_jobs)
                if (job.frame >= 0)
                    m_free.push_back(job.frame);
            m_jobs.clear();
        }
        m_stopping = true;
    }
    m_jobsReady.notify_all();
    m_jobsDone.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

bool EncodingQueue::finish()
{
    end(false);
    return !failed();
}

void EncodingQueue::abandon() { end(true); }

bool EncodingQueue::failed() const
{
    std::lock_guard lock(m_mutex);
    return m_failed;
}

QString EncodingQueue::errorString() const
{
    std::lock_guard lock(m_mutex);
    return m_error;
}
