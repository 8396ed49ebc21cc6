#include "picturecache.h"

#include <algorithm>

extern "C" {
#include <libavutil/imgutils.h>
}

PictureCache::PictureCache(AVPixelFormat format, int limit)
    : m_format(format)
    , m_limit(limit < 1 ? 1 : limit)
{}

void PictureCache::setBudget(qint64 bytes, int minimum)
{
    m_budget = std::max<qint64>(bytes, 0);
    m_minimum = std::clamp(minimum, 1, m_limit);
}

qint64 PictureCache::pictureBytes(int width, int height) const
{
    const int size = av_image_get_buffer_size(m_format, width, height, 1);
    return size < 0 ? 0 : size;
}

int PictureCache::capacity(int width, int height) const
{
    const qint64 one = pictureBytes(width, height);
    if (m_budget <= 0 || one <= 0)
        return m_limit;
    return int(std::clamp<qint64>(m_budget / one, m_minimum, m_limit));
}

FrameData* PictureCache::find(const QString& key)
{
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : it->second.frame.get();
}

PictureCache::Entry PictureCache::evictOldest(QStringList* evicted)
{
    // The smallest age goes; std::map order makes the first key win ties.
    auto victim = m_entries.begin();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->second.frame->age < victim->second.frame->age)
            victim = it;
    }
    if (evicted)
        evicted->append(victim->first);
    Entry entry = std::move(victim->second);
    m_entries.erase(victim);
    m_bytes -= entry.bytes;
    return entry;
}

AVPicture* PictureCache::insert(const QString& key, int width, int height, const Loader& load, QStringList* evicted)
{
    if (evicted)
        evicted->clear();
    if (FrameData* existing = find(key)) {
        age(existing);
        return &existing->picture;
    }

    const qint64 bytes = pictureBytes(width, height);
    const int room = capacity(width, height);
    Entry entry;
    while (!m_entries.empty() && int(m_entries.size()) >= room)
        entry = evictOldest(evicted);
    if (entry.frame && entry.bytes == bytes) {
        // The last one out lends its planes: no allocation while the cache
        // runs full, which is all of a long compile.
        entry.frame->age = 0xFFFFFFFFu;
    } else {
        entry.frame = std::make_unique<FrameData>();
        if (!entry.frame->allocate(m_format, width, height))
            return nullptr;
        entry.bytes = bytes;
    }

    load(*entry.frame);
    if (!entry.frame->isAllocated())
        return nullptr;
    FrameData* stored = entry.frame.get();
    m_bytes += entry.bytes;
    m_entries.emplace(key, std::move(entry));
    age(stored);
    return &stored->picture;
}

void PictureCache::age(const FrameData* used)
{
    for (auto& [key, entry] : m_entries) {
        if (entry.frame.get() == used)
            entry.frame->age |= 0x80000000u;
        else
            entry.frame->age >>= 1;
    }
}

void PictureCache::clear()
{
    m_entries.clear();
    m_bytes = 0;
}
