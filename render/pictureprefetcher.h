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

    // Bounds the bytes of the pictures requested and not yet taken (0: only
    // the count bound). The newest request always stays.
    void setByteLimit(qint64 bytes) { m_byteLimit = bytes < 0 ? 0 : bytes; }
    qint64 byteLimit() const { return m_byteLimit; }

    // Starts `work`, which makes a picture of `bytes` bytes, for `key` unless
    // it is already requested. The oldest requests are forgotten when there
    // are too many or their pictures would exceed the byte limit.
    void request(const QString& key, qint64 bytes, Work work);
    bool isRequested(const QString& key) const { return m_pending.count(key) != 0; }
    // The prepared picture of `key`, waiting for it when it is still being
    // decoded; null when it was never requested or failed. Forgets the key.
    std::shared_ptr<FrameData> take(const QString& key);
    // Forgets every request: those not started never run, the results of
    // the one running are dropped when it finishes.
    void clear();

    int pendingCount() const { return int(m_pending.size()); }
    // The bytes of the pictures requested and not yet taken or forgotten.
    qint64 pendingBytes() const { return m_pendingBytes; }

private:
    struct Order {
        quint64 serial = 0;
        qint64 bytes = 0;
    };
    void forget(const QString& key);

    // A user jumping around the album leaves requests nobody takes; keep the
    // newest few.
    static constexpr int MaxPending = 4;

    QThreadPool m_pool;
    std::map<QString, QFuture<std::shared_ptr<FrameData>>> m_pending;
    std::map<QString, Order> m_order;
    quint64 m_counter = 0;
    qint64 m_byteLimit = 0;
    qint64 m_pendingBytes = 0;
};
