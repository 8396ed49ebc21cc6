// The OpenAL layer: a source that ran dry plays on without repeating what it
// played (read back from OpenAL's wave writer), and the wall clock standing
// in for a missing device. The player's tests cover the rest of it.

#include "alstream.h"
#include "rendertests.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

namespace {

constexpr int ChunkFrames = 2400; // 50 ms at 48 kHz

// Stereo chunk k of the ramp.
QByteArray rampChunk(int k)
{
    QByteArray bytes(ChunkFrames * 4, Qt::Uninitialized);
    auto* samples = reinterpret_cast<qint16*>(bytes.data());
    for (int i = 0; i < ChunkFrames; ++i)
        samples[2 * i] = samples[2 * i + 1] = ramp(qint64(k) * ChunkFrames + i);
    return bytes;
}

bool queueChunk(ALStream& stream, int k)
{
    const QByteArray chunk = rampChunk(k);
    return stream.queue(chunk.constData(), int(chunk.size()));
}

} // namespace

class ALStreamTests : public QObject
{
    Q_OBJECT

private slots:
    void dryStreamPlaysOn()
    {
        {
            ALStream stream(4);
            QVERIFY2(stream.hasDevice(), qPrintable(stream.errorString()));
            stream.setFormat(2, 48000);
            QVERIFY(queueChunk(stream, 0) && queueChunk(stream, 1));
            stream.play();
            // Both played and the source stopped, before anyone asked.
            QTest::qWait(300);
            QVERIFY(queueChunk(stream, 2));
            int played = 0;
            QTRY_VERIFY((played += stream.takeProcessed()) >= 3);
            QCOMPARE(played, 3);
            QCOMPARE(stream.freeBuffers(), 4);
        }
        // Each chunk heard once, in order: a gap, and no repeat of the first two.
        const QVector<qint16> played = playedSamples();
        const QVector<QPair<int, int>> heard = stretches(played);
        QCOMPARE(heard.size(), 2);
        QCOMPARE(unbrokenFrom(played, heard[0].first), 2 * ChunkFrames);
        QCOMPARE(played[2 * heard[1].first], ramp(2 * ChunkFrames));
        QCOMPARE(unbrokenFrom(played, heard[1].first), ChunkFrames);
    }

    void clockStandsInForMissingDevice()
    {
        ALStream stream(4, "no such sound device");
        QVERIFY(!stream.hasDevice());
        QVERIFY(!stream.errorString().isEmpty());
        stream.setFormat(2, 48000);
        for (int k = 0; k < 4; ++k)
            QVERIFY(queueChunk(stream, k));
        QVERIFY(!queueChunk(stream, 4));     // no buffer free
        QCOMPARE(stream.takeProcessed(), 0); // not playing yet
        QElapsedTimer clock;
        clock.start();
        stream.play();
        // Each 50 ms chunk is reported played, and not before its end.
        int played = 0;
        while (played < 4 && clock.elapsed() < 5000) {
            QTest::qWait(2);
            played += stream.takeProcessed();
            QVERIFY2(played * 50 <= clock.elapsed(), qPrintable(QString::number(clock.elapsed())));
        }
        QCOMPARE(played, 4);
        // After a stop nothing is pending and nothing runs on.
        QVERIFY(queueChunk(stream, 0));
        stream.stop();
        QCOMPARE(stream.freeBuffers(), 4);
        stream.play();
        QTest::qWait(80);
        QCOMPARE(stream.takeProcessed(), 0);
    }
};

std::unique_ptr<QObject> makeALStreamTests() { return std::make_unique<ALStreamTests>(); }

#include "tst_alstream.moc"
