#pragma once
// One of the renderer's two picture caches (photos or wipe patterns): at most
// `limit` pictures of the output size, the least recently loaded evicted
// first by an ageing counter, so a long album keeps its working set in memory.

#include <QString>

#include <functional>
#include <map>
#include <memory>

#include "avpicture.h"

class PictureCache
{
public:
    static constexpr int DefaultLimit = 32;

    explicit PictureCache(AVPixelFormat format, int limit = DefaultLimit);

    // Fills a picture that is about to be entered under a key. It gets either
    // fresh zeroed planes or the evicted picture's planes, and may replace them
    // (FrameData is movable) as long as the format and size stay.
    using Loader = std::function<void(FrameData& target)>;

    // Makes room if the cache is full, enters a new picture under `key`,
    // filled by `load`, and ages every entry. Returns the picture, or null
    // when no planes could be allocated. `evicted` receives the key that had
    // to go (empty when none).
    AVPicture* insert(const QString& key, int width, int height, const Loader& load, QString* evicted = nullptr);

    // The entry under `key`, or null; ages nothing.
    FrameData* find(const QString& key);

    void clear();
    int size() const { return int(m_entries.size()); }
    int limit() const { return m_limit; }

private:
    void age(const FrameData* used);

    AVPixelFormat m_format;
    int m_limit;
    // Ordered by key so ties in age go to the first key, as everywhere else.
    std::map<QString, std::unique_ptr<FrameData>> m_entries;
};
