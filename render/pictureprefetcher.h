#pragma once
// Decodes pictures the renderer will soon need on a worker thread, so that
// moving on to the next photo costs a hand-over instead of a full decode on
// the GUI thread. Only the decoding moves; the cache and the GL upload stay
// with the renderer.

#include <QFuture>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <map>
#include <memory>

#include "avpicture.h"

class PicturePrefetcher
{
public:
    // Makes a picture ready for use, or returns null when it cannot.
    using Work = std::function<std::shared_ptr<FrameData>()>;

    PicturePrefetcher();
    // Waits for decodes still running.
    ~PicturePrefetcher();
    PicturePrefetcher(const PicturePrefetcher&) = delete;
    PicturePrefetcher& operator=(const PicturePrefetcher&) = delete;

    // Starts `work` for `key` unless it is already requested.
    void request(const QString& key, Work work);
    bool isRequested(const QString& key) const { return m_pending.count(key) != 0; }
    // The prepared picture of `key`, waiting for it when it is still being
    // decoded; null when it was never requested or failed. Forgets the key.
    std::shared_ptr<FrameData> take(const QString& key);
    // Forgets every request (their results are dropped when they finish).
    void clear();

private:
    // A user jumping around the album leaves requests nobody takes; keep the
    // newest few.
    static constexpr int MaxPending = 4;

    QThreadPool m_pool;
    std::map<QString, QFuture<std::shared_ptr<FrameData>>> m_pending;
    std::map<QString, quint64> m_order;
    quint64 m_counter = 0;
};
