#include "pictureprefetcher.h"

#include <QtConcurrent/QtConcurrentRun>

PicturePrefetcher::PicturePrefetcher()
{
    // One decode at a time: the other core belongs to the encoder or player.
    m_pool.setMaxThreadCount(1);
}

PicturePrefetcher::~PicturePrefetcher() { m_pool.waitForDone(); }

void PicturePrefetcher::request(const QString& key, Work work)
{
    if (isRequested(key))
        return;
    while (int(m_pending.size()) >= MaxPending) {
        auto oldest = m_order.begin();
        for (auto it = m_order.begin(); it != m_order.end(); ++it) {
            if (it->second < oldest->second)
                oldest = it;
        }
        m_pending.erase(oldest->first);
        m_order.erase(oldest);
    }
    m_pending.emplace(key, QtConcurrent::run(&m_pool, std::move(work)));
    m_order.emplace(key, ++m_counter);
}

std::shared_ptr<FrameData> PicturePrefetcher::take(const QString& key)
{
    const auto it = m_pending.find(key);
    if (it == m_pending.end())
        return nullptr;
    QFuture<std::shared_ptr<FrameData>> future = it->second;
    m_pending.erase(it);
    m_order.erase(key);
    future.waitForFinished();
    return future.resultCount() > 0 ? future.result() : nullptr;
}

void PicturePrefetcher::clear()
{
    m_pending.clear();
    m_order.clear();
}
