// The preview player: what its window shows, the renderer's sound as heard
// (read back from OpenAL's wave writer) against the frames the picture moved
// on by, the volume, resuming after a stop, and the clock that stands in for
// a missing sound device.

#include "alstream.h"
#include "avplayer.h"
#include "rendertests.h"
#include "storyboardrender.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int Width = 64;
constexpr int Height = 48;
const QRgb Red = qRgb(220, 0, 0);
const QRgb Green = qRgb(0, 200, 0);

QString writePhoto(const QString& folder, const QString& name, QRgb colour)
{
    QImage image(Width, Height, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = folder + QLatin1Char('/') + name;
    return image.save(path, "PNG") ? path : QString();
}

// Distance of two ramp positions, modulo its period.
int rampDistance(qint64 a, qint64 b)
{
    const int d = int(((a - b) % RampPeriod + RampPeriod) % RampPeriod);
    return std::min(d, RampPeriod - d);
}

} // namespace

class AVPlayerTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_red, m_green, m_ramp;

    // Photos of `photoMs` each, no transitions, no zoom; with `sound` the
    // ramp as the sound track.
    StoryBoardData album(const QStringList& photos, int photoMs, bool sound = false)
    {
        StoryBoardData data;
        data.useZoom = data.useTransition = false;
        data.photoMs = photoMs;
        data.photoSeconds = photoMs / 1000.0;
        for (const QString& path : photos) {
            data.photos.append(ImageInfo());
            data.photos.last().filePath = path;
        }
        if (sound) {
            data.audios.append(AudioInfo());
            data.audios.last().filePath = m_ramp;
            data.audios.last().endTime = 20.0;
        }
        return data;
    }

    static RenderParam output(int channels = 2, double frameRate = 25.0)
    {
        RenderParam param;
        param.width = Width;
        param.height = Height;
        param.channels = channels;
        param.frameRate = frameRate;
        return param;
    }

    // Play and pause as the main window does them.
    static void play(AVPlayer& player)
    {
        player.render->seek(player.currentFrame, true, &player);
        player.render->start();
        player.play();
    }
    static void pause(AVPlayer& player)
    {
        player.stop();
        player.render->stop();
        QVERIFY(player.render->wait(5000));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_red = writePhoto(m_dir.path(), QStringLiteral("red.png"), Red);
        m_green = writePhoto(m_dir.path(), QStringLiteral("green.png"), Green);
        m_ramp = writeWav(m_dir.filePath(QStringLiteral("ramp.wav")), 48000, 2, 48000 * 20, ramp);
        QVERIFY(!m_red.isEmpty() && !m_green.isEmpty() && !m_ramp.isEmpty());
    }

    void windowShowsFramesWithGreyMargins()
    {
        if (!canShowGLWidgets())
            QSKIP("Qt 6.4 crashes when a QOpenGLWidget is shown on the offscreen platform");
        StoryBoardData data = album({m_red, m_green}, 1000);
        StoryBoardRender render;
        render.init(output());
        render.setStoryBoard(&data);
        // Set up and sought before its window shows, as at start-up.
        QWidget window;
        auto* player = new AVPlayer(&window);
        QVERIFY(player->init(output()));
        player->render = &render;
        player->seek(0);
        window.resize(320, 120);
        player->setGeometry(0, 0, 320, 120); // wider than the frame: pillars
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        // The frame (160 x 120 here, at x = 80..240) and mid grey beside it.
        const auto shownAt = [player](int x, int y) { return shownOnScreen(*player).pixel(x, y); };
        QTRY_VERIFY2(nearColour(shownAt(160, 60), Red, 3), qPrintable(colourText(shownAt(160, 60))));
        for (int x : {2, 70, 250, 317})
            QVERIFY2(nearColour(shownAt(x, 60), qRgb(128, 128, 128), 1), qPrintable(colourText(shownAt(x, 60))));
        QVERIFY(nearColour(shownAt(85, 5), Red, 3));
        QVERIFY(nearColour(shownAt(235, 115), Red, 3));

        player->seek(30); // the second photo
        QTRY_VERIFY2(nearColour(shownAt(160, 60), Green, 3), qPrintable(colourText(shownAt(160, 60))));
        QCOMPARE(player->currentFrame, 30u);
        player->clear();
        QTRY_VERIFY(nearColour(shownAt(160, 60), qRgb(0, 0, 0), 0));
        QCOMPARE(player->currentFrame, 0u);
    }

    void heardSoundFollowsFrames_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<double>("frameRate");
        QTest::newRow("stereo 25") << 2 << 25.0;
        QTest::newRow("mono 25") << 1 << 25.0;
        // 6406 bytes a frame: chunks of 6404 and 6408 must join seamlessly.
        QTest::newRow("stereo 29.97") << 2 << 29.97;
    }

    void heardSoundFollowsFrames()
    {
        QFETCH(int, channels);
        QFETCH(double, frameRate);
        StoryBoardData data = album({m_red}, 20000, true);
        StoryBoardRender render;
        render.init(output(channels, frameRate));
        render.setStoryBoard(&data);
        const double samplesPerFrame = 48000 / frameRate;

        // Two stretches: from a seek, and after a stop from where it stopped.
        quint32 starts[2] = {}, ends[2] = {};
        {
            AVPlayer player(nullptr);
            QVERIFY2(player.hasSoundDevice(), "the wave writer should stand for the device");
            QVERIFY(player.init(output(channels, frameRate)));
            player.render = &render;
            player.seek(40);
            for (int round = 0; round < 2; ++round) {
                starts[round] = player.currentFrame;
                play(player);
                QTRY_VERIFY(player.currentFrame >= starts[round] + 15);
                pause(player);
                ends[round] = player.currentFrame;
                QTest::qWait(100); // a gap of silence
                QCOMPARE(player.currentFrame, ends[round]);
            }
        }
        const QVector<qint16> played = playedSamples();
        const QVector<QPair<int, int>> heard = stretches(played);
        QCOMPARE(heard.size(), 2);
        for (int round = 0; round < 2; ++round) {
            // The picture moved on by exactly the frames whose sound was heard
            // (give or take the one playing when it stopped).
            const double expected = (ends[round] - starts[round]) * samplesPerFrame;
            QVERIFY2(std::abs(heard[round].second - expected) <= 2 * samplesPerFrame,
                     qPrintable(QStringLiteral("%1 heard, %2 expected").arg(heard[round].second).arg(expected)));
            for (int frame = heard[round].first; frame < heard[round].first + heard[round].second; ++frame)
                QCOMPARE(played[2 * frame + 1], played[2 * frame]);
            if (channels == 1)
                continue; // heard from the middle at a lower level
            // Starting where the track is at that frame, in order and unbroken.
            const double position = starts[round] * samplesPerFrame;
            QVERIFY2(std::abs(played[2 * heard[round].first] - ramp(qint64(position))) <= 1,
                     qPrintable(QString::number(played[2 * heard[round].first])));
            QCOMPARE(unbrokenFrom(played, heard[round].first), heard[round].second);
        }
    }

    void volumeZeroPlaysOnSilently()
    {
        StoryBoardData data = album({m_red}, 20000, true);
        StoryBoardRender render;
        render.init(output());
        render.setStoryBoard(&data);
        quint32 raised = 0, end = 0;
        {
            AVPlayer player;
            QVERIFY(player.init(output()));
            player.render = &render;
            player.setVolume(0);
            player.seek(0);
            play(player);
            QTRY_VERIFY(player.currentFrame >= 12);
            raised = player.currentFrame;
            player.setVolume(100);
            QTRY_VERIFY(player.currentFrame >= raised + 12);
            end = player.currentFrame;
            pause(player);
        }
        const QVector<qint16> played = playedSamples();
        const QVector<QPair<int, int>> heard = stretches(played);
        QCOMPARE(heard.size(), 1);
        // The sound went on unheard: it is heard from about the frame where
        // the volume came back (OpenAL mixes ahead and fades gain changes in
        // over a few thousand samples), as the track is there.
        QVERIFY(heard[0].second > 8192);
        const int settled = heard[0].first + 8192;
        const int firstHeard = played[2 * settled] - 1 - 8192;
        QVERIFY2(rampDistance(firstHeard, qint64(raised) * 1920) <= 4096,
                 qPrintable(QStringLiteral("%1 for frame %2").arg(firstHeard).arg(raised)));
        QCOMPARE(unbrokenFrom(played, settled), heard[0].first + heard[0].second - settled);
        QVERIFY(std::abs(heard[0].second - int(end - raised) * 1920) <= 4096);
    }

    void refusedSoundIsQueuedLater()
    {
        StoryBoardData data = album({m_red}, 20000, true);
        StoryBoardRender render;
        render.init(output());
        render.setStoryBoard(&data);
        QString refusal;
        {
            AVPlayer player;
            QVERIFY(player.hasSoundDevice());
            QVERIFY(player.init(output()));
            player.render = &render;
            player.seek(0);
            play(player);
            QTRY_VERIFY(player.currentFrame >= 5);
            // OpenAL refuses to queue a buffer whose format differs from the
            // queued ones: for a few refills every chunk is refused.
            ALStream* stream = player.soundStream();
            QVERIFY(stream);
            stream->setFormat(1, 48000);
            const quint32 refusedFrom = player.currentFrame;
            QTRY_VERIFY(player.currentFrame >= refusedFrom + 3);
            refusal = stream->errorString();
            stream->setFormat(2, 48000);
            // The refused stretch is heard once the queue ahead of it (one
            // frame a buffer) has played.
            QTRY_VERIFY_WITH_TIMEOUT(player.currentFrame >= refusedFrom + AVPlayer::BufferCount + 15, 30000);
            pause(player);
        }
        QVERIFY2(refusal.contains(QStringLiteral("did not queue")), qPrintable(refusal));
        const QVector<qint16> played = playedSamples();
        const QVector<QPair<int, int>> heard = stretches(played);
        QCOMPARE(heard.size(), 1);
        // The track goes on unbroken through the refusals: no chunk was lost.
        QVERIFY2(std::abs(played[2 * heard[0].first] - ramp(0)) <= 1,
                 qPrintable(QString::number(played[2 * heard[0].first])));
        QCOMPARE(unbrokenFrom(played, heard[0].first), heard[0].second);
    }

    void clockStandsInWithoutSoundDevice()
    {
        StoryBoardData data = album({m_red, m_green}, 400);
        StoryBoardRender render;
        render.init(output());
        render.setStoryBoard(&data);
        AVPlayer player(nullptr, "no such sound device");
        QVERIFY(!player.hasSoundDevice());
        QVERIFY(player.init(output()));
        player.render = &render;
        player.seek(0);
        QElapsedTimer clock;
        clock.start();
        play(player);
        // 25 frames a second: never ahead of the clock, and moving.
        while (player.currentFrame < 12 && clock.elapsed() < 5000) {
            QTest::qWait(5);
            QVERIFY2(player.currentFrame * 40 <= clock.elapsed() + 1,
                     qPrintable(QStringLiteral("frame %1 at %2 ms").arg(player.currentFrame).arg(clock.elapsed())));
        }
        QVERIFY(player.currentFrame >= 12);
        QVERIFY(player.isPlaying());
        // Frame 12 is of the second photo.
        QVERIFY(nearColour(readBack(player).pixel(Width / 2, Height / 2), Green, 3));
        pause(player);
        const quint32 stopped = player.currentFrame;
        QTest::qWait(150);
        QCOMPARE(player.currentFrame, stopped);
        // Playing again goes on from there.
        play(player);
        QTRY_VERIFY(player.currentFrame >= stopped + 3);
        pause(player);
    }
};

std::unique_ptr<QObject> makeAVPlayerTests() { return std::make_unique<AVPlayerTests>(); }

#include "tst_avplayer.moc"
