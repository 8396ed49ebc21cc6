// The OpenAL layer: chunks played in order and unbroken in both formats (read
// back from OpenAL's wave writer), a source that ran dry plays on, and the
// wall clock standing in for a missing device.

#include "alstream.h"
#include "rendertests.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {

constexpr int Rate = 48000;
constexpr int ChunkFrames = 2400; // 50 ms

// Chunk k of a ramp: sample frame i of the whole stream has the value
// i % 20000 + 1 in every channel (never 0, so it stands out from silence).
QByteArray rampChunk(int k, int channels)
{
    QByteArray bytes(ChunkFrames * channels * 2, Qt::Uninitialized);
    auto* samples = reinterpret_cast<qint16*>(bytes.data());
    for (int i = 0; i < ChunkFrames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * channels + c] = qint16((k * ChunkFrames + i) % 20000 + 1);
    return bytes;
}

// How many sample frames of the ramp follow unbroken where the played
// stereo samples begin to sound, with both channels alike. Without
// `fullLevel` (a mono source, heard from the middle at the level OpenAL's
// panning gives) the ramp's level is measured at its top.
int unbrokenRamp(const QVector<qint16>& played, bool fullLevel)
{
    qsizetype start = 0;
    while (start + 1 < played.size() && played[start] == 0)
        start += 2;
    const qsizetype top = start + 2 * 19999;
    const double level = fullLevel ? 1.0 : top < played.size() ? played[top] / 20000.0 : 0.0;
    int frames = 0;
    for (qsizetype at = start; at + 1 < played.size() && level > 0.5; at += 2, ++frames) {
        const double expected = (frames % 20000 + 1) * level;
        if (std::abs(played[at] - expected) > 1.0 || played[at + 1] != played[at])
            break;
    }
    return frames;
}

// Queues chunks from `next` as buffers free up until `total` are queued,
// then waits for all of them to be played; the count of played buffers.
int playAll(ALStream& stream, int total, const std::function<QByteArray(int)>& next)
{
    int queued = 0, played = 0;
    const auto queueMore = [&] {
        while (queued < total && stream.freeBuffers() > 0) {
            const QByteArray chunk = next(queued++);
            stream.queue(chunk.constData(), int(chunk.size()));
        }
    };
    queueMore();
    stream.play();
    QElapsedTimer waited;
    waited.start();
    while (played < total && waited.elapsed() < 20000) {
        QTest::qWait(5);
        played += stream.takeProcessed();
        queueMore();
    }
    return played;
}

} // namespace

class ALStreamTests : public QObject
{
    Q_OBJECT

private slots:
    void playsInOrderUnbroken_data()
    {
        QTest::addColumn<int>("channels");
        QTest::addColumn<bool>("fullLevel");
        QTest::newRow("stereo") << 2 << true;
        QTest::newRow("mono") << 1 << false;
    }

    void playsInOrderUnbroken()
    {
        QFETCH(int, channels);
        QFETCH(bool, fullLevel);
        constexpr int Chunks = 16;
        {
            ALStream stream(6);
            QVERIFY2(stream.hasDevice(), qPrintable(stream.errorString()));
            stream.setFormat(channels, Rate);
            // More chunks than buffers: each buffer is refilled on the way.
            QCOMPARE(playAll(stream, Chunks, [channels](int k) { return rampChunk(k, channels); }), Chunks);
            QCOMPARE(stream.freeBuffers(), 6);
        }
        QCOMPARE(unbrokenRamp(playedSamples(), fullLevel), Chunks * ChunkFrames);
    }

    void dryStreamPlaysOn()
    {
        {
            ALStream stream(4);
            stream.setFormat(2, Rate);
            QCOMPARE(playAll(stream, 2, [](int k) { return rampChunk(k, 2); }), 2);
            QTest::qWait(100); // the source has run dry and stopped
            const QByteArray more = rampChunk(2, 2);
            QVERIFY(stream.queue(more.constData(), int(more.size())));
            int played = 0;
            QTRY_VERIFY((played += stream.takeProcessed()) >= 1);
            QCOMPARE(played, 1);
        }
        // Played once each, in order: the first two chunks are not repeated.
        const QVector<qint16> played = playedSamples();
        QCOMPARE(unbrokenRamp(played, true), 2 * ChunkFrames);
        QCOMPARE(std::count(played.begin(), played.end(), qint16(1)), 2);
    }

    void clockStandsInForMissingDevice()
    {
        ALStream stream(4, "no such sound device");
        QVERIFY(!stream.hasDevice());
        QVERIFY(!stream.errorString().isEmpty());
        stream.setFormat(2, Rate);
        stream.setGain(0.5f);
        // 50 ms chunks: each is reported played no earlier than its end.
        QElapsedTimer clock;
        clock.start();
        int played = 0;
        const QByteArray chunk = rampChunk(0, 2);
        while (stream.freeBuffers() > 0)
            stream.queue(chunk.constData(), int(chunk.size()));
        QCOMPARE(stream.takeProcessed(), 0); // not playing yet
        stream.play();
        while (played < 4 && clock.elapsed() < 5000) {
            QTest::qWait(2);
            const int now = stream.takeProcessed();
            played += now;
            if (now > 0)
                QVERIFY2(clock.elapsed() >= played * 50, qPrintable(QString::number(clock.elapsed())));
        }
        QCOMPARE(played, 4);
        QCOMPARE(stream.freeBuffers(), 4);
        // After a stop nothing is pending; play again runs the clock anew.
        stream.queue(chunk.constData(), int(chunk.size()));
        stream.stop();
        QCOMPARE(stream.freeBuffers(), 4);
        stream.play();
        QTest::qWait(80);
        QCOMPARE(stream.takeProcessed(), 0);
    }
};

std::unique_ptr<QObject> makeALStreamTests()
{
    return std::make_unique<ALStreamTests>();
}

#include "tst_alstream.moc"
