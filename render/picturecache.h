#pragma once
// One of the renderer's two picture caches (photos or wipe patterns): at most
// `limit` pictures of the output size, and no more of them than a byte budget
// holds, the least recently loaded evicted first by an ageing counter, so a
// long album keeps its working set in memory without a 4K album keeping
// dozens of 33 MB pictures.

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>

#include "avpicture.h"

class PictureCache
{
public:
    static constexpr int DefaultLimit = 32;

    explicit PictureCache(AVPixelFormat format, int limit = DefaultLimit);

    // Caps the bytes of the pictures held at `bytes` (0: no cap but the
    // count limit), yet always leaves room for `minimum` pictures, what one
    // frame needs at once. Pictures beyond the new budget go at the next
    // insert.
    void setBudget(qint64 bytes, int minimum);

    // Fills a picture that is about to be entered under a key. It gets either
    // fresh zeroed planes or the evicted picture's planes, and may replace them
    // (FrameData is movable) as long as the format and size stay.
    using Loader = std::function<void(FrameData& target)>;

    // Makes room if the cache is full, enters a new picture under `key`,
    // filled by `load`, and ages every entry. Returns the picture, or null
    // when no planes could be allocated. `evicted` receives the keys that had
    // to go (empty when none).
    AVPicture* insert(const QString& key, int width, int height, const Loader& load, QStringList* evicted = nullptr);

    // The entry under `key`, or null; ages nothing.
    FrameData* find(const QString& key);

    void clear();
    int size() const { return int(m_entries.size()); }
    int limit() const { return m_limit; }
    qint64 budget() const { return m_budget; }
    int minimum() const { return m_minimum; }
    // The bytes of the planes held.
    qint64 bytes() const { return m_bytes; }
    // How many pictures of width x height the cache holds at most.
    int capacity(int width, int height) const;
    // The bytes of one picture of width x height in this cache's format.
    qint64 pictureBytes(int width, int height) const;

private:
    struct Entry {
        std::unique_ptr<FrameData> frame;
        qint64 bytes = 0;
    };

    void age(const FrameData* used);
    // Removes the least recently used entry and returns it.
    Entry evictOldest(QStringList* evicted);

    AVPixelFormat m_format;
    int m_limit;
    qint64 m_budget = 0;
    int m_minimum = 1;
    qint64 m_bytes = 0;
    // Ordered by key so ties in age go to the first key, as everywhere else.
    std::map<QString, Entry> m_entries;
};
