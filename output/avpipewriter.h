#pragma once
// A writer fed through a pipe by another process; the compile loop only asks
// whether it has been active since it last asked.

#include <atomic>

class AVPipeWriter
{
public:
    AVPipeWriter() = default;
    virtual ~AVPipeWriter() = default;

    // Returns the activity flag and clears it.
    bool isActive();
    // Notes activity; called by whatever feeds the pipe, from any thread.
    void markActive();
    // Progress reported while active, in frames.
    double progress() const { return m_progress.load(); }
    void setProgress(double frames) { m_progress.store(frames); }

private:
    std::atomic<bool> m_active{false};
    std::atomic<double> m_progress{0.0};
};
