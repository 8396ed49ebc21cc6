#include "picturecache.h"

PictureCache::PictureCache(AVPixelFormat format, int limit)
    : m_format(format)
    , m_limit(limit < 1 ? 1 : limit)
{}

FrameData* PictureCache::find(const QString& key)
{
    const auto it = m_entries.find(key);
    return it == m_entries.end() ? nullptr : it->second.get();
}

AVPicture* PictureCache::insert(const QString& key, int width, int height, const Loader& load, QString* evicted)
{
    if (evicted)
        evicted->clear();
    if (FrameData* existing = find(key)) {
        age(existing);
        return &existing->picture;
    }

    std::unique_ptr<FrameData> entry;
    if (int(m_entries.size()) >= m_limit) {
        // The smallest age goes; std::map order makes the first key win ties.
        auto victim = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second->age < victim->second->age)
                victim = it;
        }
        if (evicted)
            *evicted = victim->first;
        entry = std::move(victim->second);
        m_entries.erase(victim);
        entry->age = 0xFFFFFFFFu;
    } else {
        entry = std::make_unique<FrameData>();
        if (!entry->allocate(m_format, width, height))
            return nullptr;
    }

    load(*entry);
    if (!entry->isAllocated())
        return nullptr;
    FrameData* stored = entry.get();
    m_entries.emplace(key, std::move(entry));
    age(stored);
    return &stored->picture;
}

void PictureCache::age(const FrameData* used)
{
    for (auto& [key, entry] : m_entries) {
        if (entry.get() == used)
            entry->age |= 0x80000000u;
        else
            entry->age >>= 1;
    }
}

void PictureCache::clear() { m_entries.clear(); }
