// The storyboard renderer: which photo, transition and pattern frame N shows
// (checked on real pixels read back from the compositor), the picture caches,
// and the sound track taken through the consumer protocol.

#include "beatanalysis.h"
#include "gldrawer.h"
#include "rendertests.h"
#include "storyboardrender.h"
#include "timefunctions.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <cmath>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
const QRgb kRed = qRgb(220, 0, 0);
const QRgb kGreen = qRgb(0, 200, 0);
const QRgb kBlack = qRgb(0, 0, 0);

QString writePhoto(const QString& folder, const QString& name, QRgb colour, QSize size = QSize(kWidth, kHeight))
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

// A grey pattern whose white half (255, shown first) is the given side.
QString writePattern(const QString& folder, const QString& name, Qt::Edge whiteSide)
{
    QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            bool white = false;
            switch (whiteSide) {
            case Qt::LeftEdge: white = x < kWidth / 2; break;
            case Qt::RightEdge: white = x >= kWidth / 2; break;
            case Qt::TopEdge: white = y < kHeight / 2; break;
            case Qt::BottomEdge: white = y >= kHeight / 2; break;
            }
            image.scanLine(y)[x] = white ? 255 : 0;
        }
    }
    const QString path = folder + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

ImageInfo photoRecord(const QString& path)
{
    ImageInfo info;
    info.filePath = path;
    info.width = kWidth;
    info.height = kHeight;
    return info;
}

AudioInfo clipRecord(const QString& path, double start, double end)
{
    AudioInfo clip;
    clip.filePath = path;
    clip.startTime = start;
    clip.endTime = end;
    return clip;
}

RenderParam smallOutput(double frameRate = 25.0)
{
    RenderParam param;
    param.width = kWidth;
    param.height = kHeight;
    param.frameRate = frameRate;
    return param;
}

// A renderer at the small output size, on `data`.
struct SmallRender : StoryBoardRender {
    explicit SmallRender(StoryBoardData& data, double frameRate = 25.0)
    {
        init(smallOutput(frameRate));
        setStoryBoard(&data);
    }
};

// The samples of the left channel, `frames` video frames of them.
QVector<qint16> takeFrames(StoryBoardRender& render, int frames, QVector<int>* chunkSizes = nullptr)
{
    QVector<qint16> left;
    int carry = 0;
    for (int i = 0; i < frames; ++i) {
        const bool ok = render.takeSound(carry, [&](const char* data, int bytes) {
            if (chunkSizes)
                chunkSizes->append(bytes);
            const qint16* samples = reinterpret_cast<const qint16*>(data);
            for (int s = 0; s < bytes / 4; ++s)
                left.append(samples[2 * s]);
        });
        if (!ok)
            break;
    }
    return left;
}

class StoryBoardRenderTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_red, m_green;
    std::unique_ptr<GLDrawer> m_drawer;

    QImage frame(StoryBoardRender& render, unsigned long n)
    {
        render.seek(n, false, m_drawer.get());
        return readBack(*m_drawer);
    }

    StoryBoardData album(const QStringList& photos)
    {
        StoryBoardData data;
        data.patternFiles.clear();
        data.useZoom = false;
        for (const QString& photo : photos)
            data.photos.append(photoRecord(photo));
        return data;
    }

    void runSound(StoryBoardRender& render, unsigned long frame)
    {
        render.positionAudioReader(frame);
        render.start();
    }

    static void stopSound(StoryBoardRender& render)
    {
        render.stop();
        QVERIFY(render.wait(5000));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_red = writePhoto(m_dir.path(), QStringLiteral("red.png"), kRed);
        m_green = writePhoto(m_dir.path(), QStringLiteral("green.png"), kGreen);
        QVERIFY(!m_red.isEmpty() && !m_green.isEmpty());
        m_drawer = std::make_unique<GLDrawer>();
        QVERIFY2(m_drawer->initialize(QSize(kWidth, kHeight), 2, true), qPrintable(m_drawer->errorString()));
    }

    void cleanupTestCase() { m_drawer.reset(); }

    void twoPhotoAlbumFrames()
    {
        StoryBoardData data = album({m_red, m_green});
        data.dissolveOnly = true;
        SmallRender render(data);
        QCOMPARE(render.totalFrames, 287u);
        QCOMPARE(render.slotFrames, 162.5);

        const QPoint centre(kWidth / 2, kHeight / 2);
        QVERIFY(nearColour(frame(render, 0).pixel(centre), kRed, 2));
        QVERIFY(nearColour(frame(render, 124).pixel(centre), kRed, 2));
        // Frame 125 starts the transition at progress 0: still only photo 0.
        QVERIFY(nearColour(frame(render, 125).pixel(centre), kRed, 2));
        // Frame 144 is half-way through the 37.5-frame dissolve (h = 19/37.5).
        const QRgb mid = frame(render, 144).pixel(centre);
        const double h = 19.0 / 37.5;
        QVERIFY2(std::abs(qRed(mid) - 220 * (1 - h)) <= 4 && std::abs(qGreen(mid) - 200 * h) <= 4,
                 qPrintable(colourText(mid)));
        // Frame 162 is the last of the transition, nearly all photo 1.
        QVERIFY(qGreen(frame(render, 162).pixel(centre)) > 190);
        QVERIFY(nearColour(frame(render, 163).pixel(centre), kGreen, 2));
        QVERIFY(nearColour(frame(render, 286).pixel(centre), kGreen, 2));
        // Past the end only the black background is drawn.
        QVERIFY(nearColour(frame(render, 287).pixel(centre), kBlack, 0));
    }

    // Changes placed on the beat move the transition and the photo that
    // follows; the album keeps its length, and turning it off brings the even
    // layout back.
    void beatChangesMoveTransitions()
    {
        StoryBoardData data = album({m_red, m_green, m_red});
        data.dissolveOnly = true;
        AudioInfo clip;
        clip.filePath = mediaFile(QStringLiteral("sad-mono-22k.wav"));
        clip.endTime = clip.duration = 20.0;
        data.audios << clip;
        const AnalysisCache cache(m_dir.filePath(QStringLiteral("analysis")));
        BeatTrack beats;
        for (double t = 0.3; t < 20.0; t += 0.5)
            beats.beats << t;
        beats.steady = true;
        QVERIFY(cache.store(QStringLiteral("beats"), clip.filePath, beats.toJson()));

        SmallRender render(data);
        render.setAnalysisCache(cache);
        render.onStoryBoardDataChanged();
        QCOMPARE(render.transitionStartFrame(0), 125.0); // setting off: even
        data.beatCuts = true;
        render.onStoryBoardDataChanged();
        QCOMPARE(render.totalFrames, 450u);
        // The first change moves from 5.75 s to the beat at 5.8 s.
        QVERIFY(std::abs(render.transitionStartFrame(0) - 126.25) < 1e-6);
        QVERIFY(std::abs(render.photoStartFrame(1) - 163.75) < 1e-6);
        const QPoint centre(kWidth / 2, kHeight / 2);
        QVERIFY(nearColour(frame(render, 126).pixel(centre), kRed, 2)); // evenly it would be mixing
        QVERIFY(nearColour(frame(render, 164).pixel(centre), kGreen, 2));
        QVERIFY(qGreen(frame(render, 145).pixel(centre)) > 60 && qRed(frame(render, 145).pixel(centre)) > 60);
        QVERIFY(nearColour(frame(render, 449).pixel(centre), kRed, 2));

        data.beatCuts = false;
        render.onStoryBoardDataChanged();
        QCOMPARE(render.photoStartFrame(1), 162.5);
    }

    void onePhotoAlbumHasNoTransition()
    {
        StoryBoardData data = album({m_red});
        SmallRender render(data);
        QCOMPARE(render.totalFrames, 125u);
        const QImage last = frame(render, 124);
        QVERIFY(nearColour(last.pixel(0, 0), kRed, 2));
        QVERIFY(nearColour(last.pixel(kWidth - 1, kHeight - 1), kRed, 2));
        QVERIFY(nearColour(frame(render, 125).pixel(10, 10), kBlack, 0));
    }

    void turningTransitionsOffKeepsPictures()
    {
        StoryBoardData data = album({m_red, m_green});
        SmallRender render(data);
        frame(render, 0);
        QVERIFY(render.GetCachedPicture(StoryBoardRender::sourceKey(data.photos[0])));
        data.useTransition = false;
        render.onStoryBoardDataChanged();
        QCOMPARE(render.slotFrames, 125.0);
        QCOMPARE(render.totalFrames, 250u);
        QVERIFY(render.GetCachedPicture(StoryBoardRender::sourceKey(data.photos[0])));
        QVERIFY(nearColour(frame(render, 125).pixel(5, 5), kGreen, 2));
    }

    void wipePatternsCycleInListOrder()
    {
        const QStringList patterns = {
            writePattern(m_dir.path(), QStringLiteral("a.wpt"), Qt::LeftEdge),
            writePattern(m_dir.path(), QStringLiteral("b.wpt"), Qt::TopEdge),
            writePattern(m_dir.path(), QStringLiteral("c.wpt"), Qt::RightEdge),
        };
        StoryBoardData data = album({m_red, m_green, m_red, m_green, m_red});
        data.patternFiles = patterns;
        SmallRender render(data);

        // Half-way through transition d the white half of pattern d mod 3
        // already shows the incoming photo, the black half the outgoing one.
        const QPoint left(4, kHeight / 2), right(kWidth - 5, kHeight / 2);
        const QPoint top(kWidth / 2, 4), bottom(kWidth / 2, kHeight - 5);
        const Qt::Edge expected[] = {Qt::LeftEdge, Qt::TopEdge, Qt::RightEdge, Qt::LeftEdge};
        for (int d = 0; d < 4; ++d) {
            const QRgb outgoing = d % 2 == 0 ? kRed : kGreen;
            const QRgb incoming = d % 2 == 0 ? kGreen : kRed;
            const unsigned long n = (unsigned long)(std::ceil(162.5 * d) + 125 + 19);
            const QImage image = frame(render, n);
            QPoint white, black;
            switch (expected[d]) {
            case Qt::LeftEdge:
                white = left;
                black = right;
                break;
            // A pattern's first row lands in the picture's first row, which
            // the compositor shows at the bottom (photos are read bottom row
            // first, patterns are not).
            case Qt::TopEdge:
                white = bottom;
                black = top;
                break;
            default:
                white = right;
                black = left;
                break;
            }
            QVERIFY2(nearColour(image.pixel(white), incoming, 3), qPrintable(QString::number(d)));
            QVERIFY2(nearColour(image.pixel(black), outgoing, 3), qPrintable(QString::number(d)));
        }
    }

    void zoomMovesAndEnlargesOnlyWhenOn()
    {
        const QString framed = m_dir.path() + QStringLiteral("/framed.png");
        QImage image(kWidth, kHeight, QImage::Format_RGB32);
        image.fill(kGreen);
        for (int x = 0; x < kWidth; ++x) {
            image.setPixel(x, 0, kRed);
            image.setPixel(x, kHeight - 1, kRed);
        }
        QVERIFY(image.save(framed, "PNG"));
        StoryBoardData data = album({framed});
        data.photos[0].fxStart = {FxTranslate, {0, 0, 200, 0}};
        data.photos[0].fxEnd = {FxTranslate, {0, 0, 200, 0}};
        SmallRender render(data);
        QVERIFY(nearColour(frame(render, 10).pixel(kWidth / 2, 0), kRed, 3));
        data.useZoom = true;
        // Brought closer, the red border row leaves the frame.
        QVERIFY(nearColour(frame(render, 10).pixel(kWidth / 2, 0), kGreen, 3));

        GLTransform fx;
        data.photos[0].fxStart = {FxTranslate, {-25, -12.5f, 50, 0}};
        data.photos[0].fxEnd = {FxTranslate, {25, 12.5f, 100, 0}};
        render.fxData(0.5, data.photos[0], fx);
        QCOMPARE(fx.kind, qint32(FxTranslate));
        QCOMPARE(fx.value[0], 0.0f);
        QCOMPARE(fx.value[2], float(75.0 * kWidth / 720.0));
        render.fxData(1.0, data.photos[0], fx);
        QCOMPARE(fx.value[1], float(12.5 * kHeight / 540.0));
    }

    void unreadablePhotoIsBlack()
    {
        const QString bad = m_dir.path() + QStringLiteral("/not-an-image.png");
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("definitely not a picture");
        file.close();
        StoryBoardData data = album({bad, m_green});
        SmallRender render(data);
        const QImage image = frame(render, 3);
        QVERIFY(nearColour(image.pixel(0, 0), kBlack, 0));
        QVERIFY(nearColour(image.pixel(kWidth / 2, kHeight / 2), kBlack, 0));
    }

    void thirtyThirdPhotoEvictsTheOldest()
    {
        QStringList paths;
        for (int i = 0; i < 33; ++i)
            paths.append(writePhoto(m_dir.path(), QStringLiteral("p%1.png").arg(i, 2, 10, QLatin1Char('0')),
                                    qRgb(i * 7, 100, 200 - i * 5)));
        StoryBoardData data = album(paths);
        data.useTransition = false;
        SmallRender render(data);
        for (int i = 0; i < 32; ++i)
            render.seek((unsigned long)(i * 125), false, m_drawer.get());
        QCOMPARE(render.photoCacheSize(), 32);
        render.seek(32 * 125, false, m_drawer.get());
        QCOMPARE(render.photoCacheSize(), 32);
        QVERIFY(!render.GetCachedPicture(StoryBoardRender::sourceKey(data.photos[0])));
        for (int i = 1; i < 33; ++i)
            QVERIFY2(render.GetCachedPicture(StoryBoardRender::sourceKey(data.photos[i])),
                     qPrintable(QString::number(i)));
        // The evicted buffer now holds photo 32, not a stale picture.
        const QRgb expected = qRgb(32 * 7, 100, 200 - 32 * 5);
        QVERIFY(nearColour(readBack(*m_drawer).pixel(5, 5), expected, 2));
    }

    void soundClipsPlayInOrderThenSilence()
    {
        const QString a = writeWav(m_dir.path() + QStringLiteral("/a.wav"), 48000, 2, 48000, [](int) { return 1000; });
        const QString b = writeWav(m_dir.path() + QStringLiteral("/b.wav"), 48000, 2, 24000, [](int) { return -2000; });
        StoryBoardData data = album({m_red});
        data.audios = {clipRecord(a, 0.0, 0.5), clipRecord(b, 0.0, 0.5)};
        SmallRender render(data);
        QCOMPARE(render.bytesPerFrame, 7680);
        runSound(render, 0);
        const QVector<qint16> left = takeFrames(render, 40);
        stopSound(render);
        QCOMPARE(left.size(), 40 * 1920);
        // Clip a ends at 0.5 s (its file goes on), clip b follows, then silence.
        QCOMPARE(left.mid(0, 24000), QVector<qint16>(24000, 1000));
        QCOMPARE(left.mid(24000, 24000), QVector<qint16>(24000, -2000));
        QCOMPARE(left.mid(48000), QVector<qint16>(left.size() - 48000, 0));
    }

    void seekIntoTheSecondClip()
    {
        const QString a =
            writeWav(m_dir.path() + QStringLiteral("/ramp-a.wav"), 48000, 2, 48000, [](int) { return 7; });
        const QString ramp = writeWav(m_dir.path() + QStringLiteral("/ramp-b.wav"), 48000, 2, 96000,
                                      [](int i) { return qint16(i / 4); });
        StoryBoardData data = album({m_red});
        data.audios = {clipRecord(a, 0.0, 0.5), clipRecord(ramp, 0.25, 1.5)};
        SmallRender render(data);
        // Clip a covers frames 0..11, clip b from frame 12; frame 20 is 8
        // frames (0.32 s) into b, which starts at 0.25 s of its file.
        runSound(render, 20);
        const QVector<qint16> left = takeFrames(render, 2);
        stopSound(render);
        QVERIFY(left.size() >= 2);
        // One sample either way is the rounding of 0.57 s to a sample.
        const int position = int(std::lround((0.25 + 0.32) * 48000));
        QVERIFY2(std::abs(left[0] - position / 4) <= 1, qPrintable(QString::number(left[0])));
        QVERIFY(std::abs(left[1919] - (position + 1919) / 4) <= 1);
    }

    void loopingRestartsTheTrack()
    {
        const QString a = writeWav(m_dir.path() + QStringLiteral("/loop.wav"), 48000, 2, 48000,
                                   [](int i) { return qint16(i < 12000 ? 500 : -500); });
        StoryBoardData data = album({m_red});
        data.loopAudio = true;
        data.audios = {clipRecord(a, 0.0, 0.5)};
        SmallRender render(data);
        // The clip counts as 12 whole frames when positioning, so frame 30 is
        // frame 6 of its third round: 0.24 s into the clip.
        runSound(render, 30);
        const QVector<qint16> left = takeFrames(render, 25);
        stopSound(render);
        QCOMPARE(left.size(), 25 * 1920);
        const int offset = 6 * 1920;
        for (int i = 0; i < left.size(); i += 997) {
            const int inClip = (offset + i) % 24000;
            QCOMPARE(left[i], qint16(inClip < 12000 ? 500 : -500));
        }
    }

    void loopOfEmptyClipsGivesSilence()
    {
        const QString a =
            writeWav(m_dir.path() + QStringLiteral("/empty.wav"), 48000, 2, 4800, [](int) { return 300; });
        StoryBoardData data = album({m_red});
        data.loopAudio = true;
        data.audios = {clipRecord(a, 0.05, 0.05), clipRecord(a, 0.02, 0.02)};
        SmallRender render(data);
        for (unsigned long start : {0ul, 7ul}) {
            runSound(render, start);
            const QVector<qint16> left = takeFrames(render, 3);
            stopSound(render);
            QCOMPARE(left, QVector<qint16>(3 * 1920, 0));
        }
        // Started without positioning, the thread must not cycle the empty
        // clips for ever either.
        SmallRender fresh(data);
        fresh.start();
        QCOMPARE(takeFrames(fresh, 2), QVector<qint16>(2 * 1920, 0));
        stopSound(fresh);
    }

    void deletedClipIsSkipped()
    {
        const QString gone =
            writeWav(m_dir.path() + QStringLiteral("/gone.wav"), 48000, 2, 48000, [](int) { return 11; });
        const QString kept =
            writeWav(m_dir.path() + QStringLiteral("/kept.wav"), 48000, 2, 48000, [](int) { return 22; });
        StoryBoardData data = album({m_red});
        data.audios = {clipRecord(gone, 0.0, 1.0), clipRecord(kept, 0.0, 1.0)};
        QVERIFY(QFile::remove(gone));
        SmallRender render(data);
        runSound(render, 0);
        const QVector<qint16> left = takeFrames(render, 25);
        stopSound(render);
        // The missing clip gives nothing; the next one follows at once.
        QCOMPARE(left, QVector<qint16>(25 * 1920, 22));
    }

    void ntscChunksAverageExactlyBytesPerFrame()
    {
        StoryBoardData data = album({m_red});
        SmallRender render(data, 29.97);
        QCOMPARE(render.bytesPerFrame, 6406); // trunc(2 * 48000 * 16 / 29.97 / 8)
        render.start();
        QVector<int> sizes;
        takeFrames(render, 300, &sizes);
        stopSound(render);
        QCOMPARE(sizes.size(), 300);
        qint64 total = 0;
        QSet<int> seen;
        for (int i = 0; i < sizes.size(); ++i) {
            QCOMPARE(sizes[i] % 4, 0);
            total += sizes[i];
            seen.insert(sizes[i]);
            QVERIFY(qAbs(total - qint64(i + 1) * 6406) <= 3);
        }
        QCOMPARE(seen, QSet<int>({6404, 6408}));
    }

    void consumerWithoutSoundThreadDoesNotHang()
    {
        StoryBoardData data = album({m_red});
        SmallRender render(data);
        int carry = 0;
        QVERIFY(!render.takeSound(carry, [](const char*, int) {}));
    }
};

} // namespace

std::unique_ptr<QObject> makeStoryBoardRenderTests() { return std::make_unique<StoryBoardRenderTests>(); }

#include "tst_storyboardrender.moc"
