#include "pictureprefetcher.h"

#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

PicturePrefetcher::PicturePrefetcher()
{
    // One decode at a time: the other core belongs to the encoder or player.
    m_pool.setMaxThreadCount(1);
}

PicturePrefetcher::~PicturePrefetcher() { m_pool.waitForDone(); }

void PicturePrefetcher::forget(const QString& key)
{
    const auto it = m_order.find(key);
    if (it != m_order.end()) {
        m_pendingBytes -= it->second.bytes;
        m_order.erase(it);
    }
    const auto pending = m_pending.find(key);
    if (pending != m_pending.end()) {
        // A decode that has not started yet never runs.
        pending->second.cancel();
        m_pending.erase(pending);
    }
}

void PicturePrefetcher::request(const QString& key, qint64 bytes, Work work)
{
    if (isRequested(key))
        return;
    bytes = std::max<qint64>(bytes, 0);
    // A forgotten request's picture is freed when its decode ends, so the
    // bound holds once the one decode in progress is through.
    while (!m_pending.empty() &&
           (int(m_pending.size()) >= MaxPending || (m_byteLimit > 0 && m_pendingBytes + bytes > m_byteLimit))) {
        auto oldest = m_order.begin();
        for (auto it = m_order.begin(); it != m_order.end(); ++it) {
            if (it->second.serial < oldest->second.serial)
                oldest = it;
        }
        forget(QString(oldest->first));
    }
    m_pending.emplace(key, QtConcurrent::run(&m_pool, std::move(work)));
    m_order.emplace(key, Order{++m_counter, bytes});
    m_pendingBytes += bytes;
}

std::shared_ptr<FrameData> PicturePrefetcher::take(const QString& key)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end())
        return nullptr;
    QFuture<std::shared_ptr<FrameData>> future = it->second;
    m_pending.erase(it);
    m_pendingBytes -= m_order[key].bytes;
    m_order.erase(key);
    future.waitForFinished();
    return future.resultCount() > 0 ? future.result() : nullptr;
}

void PicturePrefetcher::clear()
{
    for (auto& [key, future] : m_pending)
        future.cancel();
    m_pending.clear();
    m_order.clear();
    m_pendingBytes = 0;
}
