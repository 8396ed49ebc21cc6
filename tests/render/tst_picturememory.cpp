// What the renderer's pictures may take: the caches' byte budgets (held while
// frames are drawn across photos and transitions at real output sizes, never
// so small that a transition loses one of its photos) and the prefetcher's
// bound on pictures decoded ahead.

#include "gldrawer.h"
#include "picturecache.h"
#include "pictureprefetcher.h"
#include "rendertests.h"
#include "storyboardrender.h"
#include "systemmemory.h"

#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

constexpr qint64 MiB = 1024 * 1024;

// A cache of 1 x 1 GRAY8 pictures would make every byte count a picture
// count; 100 x 100 BGRA ones (40000 bytes) keep the arithmetic readable.
constexpr int Side = 100;
constexpr qint64 PictureBytes = Side * Side * 4;

// Fills each new picture's first byte with a mark, to tell reused planes.
PictureCache::Loader marking(uint8_t mark)
{
    return [mark](FrameData& target) { target.picture.data[0][0] = mark; };
}

} // namespace

class PictureMemoryTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // How many pictures stay after a run of inserts, from the count limit,
    // the budget (in pictures) and the minimum.
    void cacheHoldsWhatTheBudgetAllows_data()
    {
        QTest::addColumn<int>("limit");
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("kept");
        QTest::newRow("no budget: the count limit") << 5 << qint64(0) << 1 << 5;
        QTest::newRow("budget of three pictures") << 32 << 3 * PictureBytes << 1 << 3;
        QTest::newRow("budget between two counts rounds down") << 32 << 3 * PictureBytes + PictureBytes / 2 << 1 << 3;
        QTest::newRow("count limit below the budget") << 2 << 10 * PictureBytes << 1 << 2;
        QTest::newRow("minimum above the budget") << 32 << PictureBytes / 3 << 2 << 2;
        QTest::newRow("minimum capped by the count limit") << 3 << qint64(1) << 8 << 3;
    }
    void cacheHoldsWhatTheBudgetAllows()
    {
        QFETCH(int, limit);
        QFETCH(qint64, budget);
        QFETCH(int, minimum);
        QFETCH(int, kept);
        PictureCache cache(AV_PIX_FMT_BGRA, limit);
        cache.setBudget(budget, minimum);
        QCOMPARE(cache.capacity(Side, Side), kept);
        for (int i = 0; i < 12; ++i) {
            QVERIFY(cache.insert(QString::number(i), Side, Side, marking(uint8_t(i))));
            QCOMPARE(cache.size(), std::min(i + 1, kept));
            QCOMPARE(cache.bytes(), cache.size() * PictureBytes);
        }
        // The newest `kept` stay, each with its own picture.
        for (int i = 0; i < 12; ++i) {
            FrameData* entry = cache.find(QString::number(i));
            QCOMPARE(entry != nullptr, i >= 12 - kept);
            if (entry)
                QCOMPARE(int(entry->picture.data[0][0]), i);
        }
        cache.clear();
        QCOMPARE(cache.bytes(), qint64(0));
    }

    // A budget cut while the cache is full takes effect at the next insert,
    // which names every picture it had to drop; the last one out lends its
    // planes to the new picture.
    void smallerBudgetEvictsSeveral()
    {
        PictureCache cache(AV_PIX_FMT_BGRA);
        for (int i = 0; i < 6; ++i)
            QVERIFY(cache.insert(QString::number(i), Side, Side, marking(uint8_t(i))));
        cache.find(QStringLiteral("1"))->picture.data[0][1] = 0x5A;
        QVERIFY(cache.insert(QStringLiteral("0"), Side, Side, marking(99))); // used again: youngest
        cache.setBudget(3 * PictureBytes, 1);
        QStringList evicted;
        uint8_t lent = 0;
        QVERIFY(cache.insert(
            QStringLiteral("new"), Side, Side, [&lent](FrameData& target) { lent = target.picture.data[0][1]; },
            &evicted));
        QCOMPARE(evicted,
                 (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")}));
        QCOMPARE(lent, uint8_t(0)); // photo 4's planes, not photo 1's
        QCOMPARE(cache.size(), 3);
        QCOMPARE(cache.bytes(), 3 * PictureBytes);
        QVERIFY(cache.find(QStringLiteral("0")) && cache.find(QStringLiteral("5")) &&
                cache.find(QStringLiteral("new")));
    }

    // Frames drawn at real output sizes across photos, pattern wipes and
    // dissolves: the caches stay within their budgets, which shrink in
    // pictures as the output grows, yet both photos of a transition are
    // always there, and the prefetcher stays within its bound.
    void budgetsHoldWhileFramesAreDrawn_data()
    {
        QTest::addColumn<QSize>("output");
        QTest::addColumn<int>("photos");   // pictures the photo cache may hold
        QTest::addColumn<int>("patterns"); // pictures the pattern cache may hold
        QTest::newRow("1280x720") << QSize(1280, 720) << 6 << 9;
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 4 << 4;
        QTest::newRow("3840x2160") << QSize(3840, 2160) << 4 << 2;
    }
    void budgetsHoldWhileFramesAreDrawn()
    {
        QFETCH(QSize, output);
        QFETCH(int, photos);
        QFETCH(int, patterns);
        StoryBoardData album;
        album.photoMs = 200;
        album.photoSeconds = 0.2;
        album.transitionMs = 160;
        album.transitionSeconds = 0.16;
        album.useZoom = false;
        album.patternFiles.clear();
        for (int i = 0; i < 3; ++i) {
            QImage pattern(32, 18, QImage::Format_Grayscale8);
            pattern.fill(i * 100);
            const QString path = m_dir.filePath(QStringLiteral("pattern%1.png").arg(i));
            QVERIFY(pattern.save(path));
            album.patternFiles << path;
        }
        for (int i = 0; i < 16; ++i) {
            QImage image(48, 32, QImage::Format_RGB32);
            image.fill(qRgb(i * 15, 80, 200 - i * 10));
            ImageInfo photo;
            photo.filePath = m_dir.filePath(QStringLiteral("photo%1.png").arg(i));
            photo.width = image.width();
            photo.height = image.height();
            QVERIFY(image.save(photo.filePath));
            album.photos << photo;
        }
        // Every other transition dissolves.
        StoryBoardRender render;
        RenderParam param;
        param.width = output.width();
        param.height = output.height();
        render.init(param);
        render.setStoryBoard(&album);
        GLDrawer drawer;
        QVERIFY2(drawer.initialize(output, 2, true), qPrintable(drawer.errorString()));

        const PictureCache& photoCache = render.photoCache();
        const PictureCache& patternCache = render.patternPictureCache();
        QCOMPARE(photoCache.capacity(output.width(), output.height()), photos);
        QCOMPARE(patternCache.capacity(output.width(), output.height()), patterns);
        const qint64 photoBytes = photoCache.pictureBytes(output.width(), output.height());
        QCOMPARE(photoBytes, qint64(output.width()) * output.height() * 4);
        int largest = 0;
        for (int d = 0; d + 1 < album.photos.size(); ++d) {
            album.dissolveOnly = d % 2 == 1;
            const unsigned long alone = (unsigned long)(d * render.slotFrames + 1);
            const unsigned long during = (unsigned long)(d * render.slotFrames + album.photoSeconds * 25 + 2);
            for (const unsigned long frame : {alone, during}) {
                render.seek(frame, false, &drawer);
                const QString at = QStringLiteral("photo %1, frame %2").arg(d).arg(frame);
                QVERIFY2(photoCache.size() <= photos, qPrintable(at));
                QVERIFY2(photoCache.bytes() <= std::max(photoCache.budget(), 2 * photoBytes), qPrintable(at));
                QVERIFY2(patternCache.bytes() <= patternCache.budget(), qPrintable(at));
                QVERIFY2(render.picturePrefetcher().pendingBytes() <= render.picturePrefetcher().byteLimit(),
                         qPrintable(at));
                largest = std::max(largest, photoCache.size());
            }
            QVERIFY2(render.GetCachedPicture(StoryBoardRender::sourceKey(album.photos[d])),
                     qPrintable(QString::number(d)));
            QVERIFY2(render.GetCachedPicture(StoryBoardRender::sourceKey(album.photos[d + 1])),
                     qPrintable(QString::number(d)));
        }
        // The album has more photos than the cache holds: it ran full.
        QCOMPARE(largest, photos);
        QVERIFY(patternCache.size() >= 1);
    }

    // Pictures decoded ahead are bounded in bytes as well as in number; the
    // newest request always stays, and a forgotten one that has not started
    // never runs.
    void prefetcherKeepsToItsBound_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<QList<qint64>>("sizes"); // bytes of each request, in order
        QTest::addColumn<QStringList>("kept");
        const QList<qint64> four = {10, 10, 10, 10};
        QTest::newRow("count bound only")
            << qint64(0) << QList<qint64>{10, 10, 10, 10, 10} << QStringList{"1", "2", "3", "4"};
        QTest::newRow("all within the bytes") << qint64(40) << four << QStringList{"0", "1", "2", "3"};
        QTest::newRow("bytes drop the oldest") << qint64(25) << four << QStringList{"2", "3"};
        QTest::newRow("a large one pushes all out") << qint64(25) << QList<qint64>{10, 10, 100} << QStringList{"2"};
    }
    void prefetcherKeepsToItsBound()
    {
        QFETCH(qint64, limit);
        QFETCH(QList<qint64>, sizes);
        QFETCH(QStringList, kept);
        QSemaphore gate;
        QSemaphore started;
        std::atomic<int> ran{0};
        {
            PicturePrefetcher prefetcher;
            prefetcher.setByteLimit(limit);
            // The first job holds the only worker until the gate opens.
            prefetcher.request(QStringLiteral("blocker"), 0, [&gate, &started]() -> std::shared_ptr<FrameData> {
                started.release();
                gate.acquire();
                return nullptr;
            });
            QVERIFY(started.tryAcquire(1, 5000));
            for (int i = 0; i < sizes.size(); ++i) {
                prefetcher.request(QString::number(i), sizes[i], [&ran]() -> std::shared_ptr<FrameData> {
                    ++ran;
                    auto picture = std::make_shared<FrameData>();
                    picture->allocate(AV_PIX_FMT_GRAY8, 4, 4);
                    return picture;
                });
                QVERIFY(limit == 0 || prefetcher.pendingBytes() <= std::max(limit, sizes[i]));
            }
            for (int i = 0; i < sizes.size(); ++i)
                QCOMPARE(prefetcher.isRequested(QString::number(i)), kept.contains(QString::number(i)));
            qint64 keptBytes = 0;
            for (const QString& key : kept)
                keptBytes += sizes[key.toInt()];
            QCOMPARE(prefetcher.pendingBytes(), keptBytes);
            gate.release();
            for (const QString& key : kept) {
                const std::shared_ptr<FrameData> picture = prefetcher.take(key);
                QVERIFY(picture && picture->isAllocated());
            }
            QCOMPARE(prefetcher.pendingBytes(), qint64(0));
            QCOMPARE(prefetcher.pendingCount(), 0);
        }
        QCOMPARE(ran.load(), int(kept.size()));
    }

    // Free memory in the middle of a heap goes back to the system when asked.
    void freedMemoryGoesBackToTheSystem()
    {
#if !defined(__GLIBC__)
        QSKIP("glibc's allocator only");
#else
        // 64 MB of small blocks, every 64th kept so the free runs lie between
        // live blocks, where only a trim can reach them.
        std::vector<void*> blocks(4096);
        for (void*& block : blocks) {
            block = std::malloc(16 * 1024);
            std::memset(block, 1, 16 * 1024);
        }
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            if (i % 64 != 0) {
                std::free(blocks[i]);
                blocks[i] = nullptr;
            }
        }
        const size_t freeBefore = mallinfo2().fordblks;
        QVERIFY(freeBefore > size_t(32 * MiB));
        QVERIFY(SystemMemory::returnFreeMemory());
        for (void* block : blocks)
            std::free(block);
#endif
    }
};

std::unique_ptr<QObject> makePictureMemoryTests() { return std::make_unique<PictureMemoryTests>(); }

#include "tst_picturememory.moc"
