// The encoder writer: sound framing, failures, and files decoded back.

#include "avpipewriter.h"
#include "avwriter.h"
#include "outputtests.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
}

class TestAVWriter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void carryAcrossBlocks();
    void exactFrameBlock();
    void pictureWithoutVideoStream();
    void openFailures_data();
    void openFailures();
    void closeTwice();
    void roundTrip_data();
    void roundTrip();
    void resampledSound();
    void bitstreamFilterChains_data();
    void bitstreamFilterChains();
    void profileArgumentList();
    void pipeWriterActivity();
    void encoderSummary_data();
    void encoderSummary();
    void encoderOwnOptions_data();
    void encoderOwnOptions();
};

void TestAVWriter::carryAcrossBlocks()
{
    AVWriter writer;
    QVERIFY2(writer.open(QString(), renderParam(160, 120, 25, 44100, 2),
                         {"-vn", "-acodec", "mp2", "-ar", "44100", "-ac", "2", "-y", path("carry.mp2")}),
             qPrintable(writer.errorString()));
    QCOMPARE(writer.audioFrameBytes(), 4608);
    const std::vector<short> block = sineWave(3528 / 4, 2, 44100);
    QVERIFY(writer.writeAudioBuffer(block.data(), 3528));
    QCOMPARE(writer.audioFramesEncoded(), qint64(0));
    QCOMPARE(writer.audioCarryBytes(), 3528);
    QVERIFY(writer.writeAudioBuffer(block.data(), 3528));
    QCOMPARE(writer.audioFramesEncoded(), qint64(1));
    QCOMPARE(writer.audioCarryBytes(), 2448);
    QVERIFY(writer.writeAudioBuffer(block.data(), 3528));
    QCOMPARE(writer.audioFramesEncoded(), qint64(2));
    QCOMPARE(writer.audioCarryBytes(), 1368);
    writer.close();
    // 3 x 882 samples given: two whole frames and the padded rest.
    const DecodedFile decoded = decodeFile(path("carry.mp2"));
    QCOMPARE(decoded.audioSamples, qint64(3 * 1152));
}

void TestAVWriter::exactFrameBlock()
{
    AVWriter writer;
    QVERIFY(writer.open(QString(), renderParam(160, 120, 25, 44100, 2),
                        {"-vn", "-acodec", "mp2", "-ar", "44100", "-ac", "2", "-y", path("exact.mp2")}));
    const std::vector<short> block = sineWave(1152, 2, 44100);
    QVERIFY(writer.writeAudioBuffer(block.data(), 4608));
    QCOMPARE(writer.audioFramesEncoded(), qint64(1));
    QCOMPARE(writer.audioCarryBytes(), 0);
}

void TestAVWriter::pictureWithoutVideoStream()
{
    AVPicture picture;
    QVERIFY(allocatePicture(picture, AV_PIX_FMT_RGBA, 160, 120));
    AVWriter closed;
    QVERIFY(!closed.writeVideoFrame(picture));
    QVERIFY(!closed.writeAudioBuffer(reinterpret_cast<const short*>(picture.data[0]), 4));

    AVWriter writer;
    QVERIFY(writer.open(QString(), renderParam(160, 120, 25, 44100, 2),
                        {"-vn", "-acodec", "mp2", "-ar", "44100", "-ac", "2", "-y", path("novideo.mkv")}));
    QVERIFY(!writer.writeVideoFrame(picture));
    QCOMPARE(writer.videoFramesEncoded(), qint64(0));
    const std::vector<short> sound = sineWave(4410, 2, 44100);
    QVERIFY(writer.writeAudioBuffer(sound.data(), int(sound.size() * 2)));
    writer.close();
    freePicture(picture);
    const DecodedFile decoded = decodeFile(path("novideo.mkv"));
    QVERIFY(decoded.opened);
    QCOMPARE(decoded.videoFrames, 0);
    QVERIFY(!decoded.hasVideo);
}

void TestAVWriter::openFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("no output name") << QStringList{"-s", "160x120", "-vcodec", "mpeg4"}
                                    << "At least one output file must be specified";
    QTest::newRow("malformed size") << QStringList{"-s", "161x120", "-y", path("bad.avi")}
                                    << "Frame size must be a multiple of 2";
    QTest::newRow("encoder refuses") << QStringList{"-s", "160x120", "-vcodec", "h263", "-y", path("refused.avi")}
                                     << "Could not open the video encoder 'h263'";
    QTest::newRow("unopenable file") << QStringList{"-s", "160x120", "-y", path("missing/folder/out.avi")}
                                     << QString("Could not open '%1'").arg(path("missing/folder/out.avi"));
}

void TestAVWriter::openFailures()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    AVWriter writer;
    QVERIFY(!writer.open(QString(), renderParam(160, 120, 25, 44100, 2), args));
    QVERIFY2(writer.errorString().startsWith(error), qPrintable(writer.errorString()));
    QVERIFY(!writer.isOpen());
}

void TestAVWriter::closeTwice()
{
    AVWriter writer;
    QVERIFY(writer.open(QString(), renderParam(160, 120, 25, 44100, 2),
                        {"-s", "160x120", "-vcodec", "mpeg4", "-an", "-y", path("twice.avi")}));
    AVPicture picture;
    QVERIFY(allocatePicture(picture, AV_PIX_FMT_RGBA, 160, 120));
    QVERIFY(writer.writeVideoFrame(picture));
    writer.close();
    const qint64 size = QFileInfo(path("twice.avi")).size();
    QVERIFY(size > 0);
    writer.close();
    QCOMPARE(QFileInfo(path("twice.avi")).size(), size);
    QVERIFY(!writer.writeVideoFrame(picture));
    freePicture(picture);
}

void TestAVWriter::roundTrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("codecArgs");
    QTest::addColumn<bool>("exactSound");
    QTest::newRow("mkv mpeg4 b-frames mp2")
        << "trip.mkv" << QStringList{"-vcodec", "mpeg4", "-bf", "2", "-qscale", "3", "-acodec", "mp2", "-ab", "192000"}
        << false;
    QTest::newRow("mp4 libx264 aac") << "trip.mp4" << QStringList{"-vcodec", "libx264", "-crf", "18", "-acodec", "aac"}
                                     << false;
    QTest::newRow("avi mjpeg pcm") << "trip.avi"
                                   << QStringList{"-vcodec", "mjpeg", "-qscale", "2", "-acodec", "pcm_s16le"} << true;
}

void TestAVWriter::roundTrip()
{
    QFETCH(QString, file);
    QFETCH(QStringList, codecArgs);
    QFETCH(bool, exactSound);
    const int width = 160, height = 120, frames = 30, rate = 44100, channels = 2;
    QStringList args{"-s", "160x120", "-r", "25"};
    args << codecArgs << QStringList{"-ar", "44100", "-ac", "2", "-y", path(file)};
    AVWriter writer;
    QVERIFY2(writer.open(QString(), renderParam(width, height, 25, rate, channels), args),
             qPrintable(writer.errorString()));

    // One video frame of sound per picture, handed over in uneven blocks.
    const int samplesPerFrame = rate / 25;
    const std::vector<short> sound = sineWave(samplesPerFrame * frames, channels, rate);
    AVPicture first{};
    int offset = 0;
    for (int i = 0; i < frames; ++i) {
        AVPicture picture = testPicture(width, height, i);
        QVERIFY(writer.writeVideoFrame(picture));
        if (i == 0)
            first = picture;
        else
            freePicture(picture);
        const int bytes = (i % 2 == 0 ? samplesPerFrame - 100 : samplesPerFrame + 100) * channels * 2;
        QVERIFY(writer.writeAudioBuffer(sound.data() + offset / 2, bytes));
        offset += bytes;
    }
    writer.close();

    const DecodedFile decoded = decodeFile(path(file));
    QVERIFY(decoded.opened);
    QCOMPARE(decoded.videoFrames, frames);
    QVERIFY(decoded.ptsIncreasing);
    QCOMPARE(decoded.width, width);
    QCOMPARE(decoded.height, height);
    const double difference = meanDifference(first, decoded.firstFrame, width, height);
    QVERIFY2(difference < 6.0, qPrintable(QString::number(difference)));
    freePicture(first);

    const qint64 given = qint64(samplesPerFrame) * frames;
    if (exactSound) {
        QCOMPARE(decoded.audioSamples, given);
        QVERIFY(decoded.firstSamples == std::vector<short>(sound.begin(), sound.begin() + decoded.firstSamples.size()));
    } else {
        QVERIFY2(decoded.audioSamples >= given && decoded.audioSamples < given + writer.audioFrameBytes() / 4 + 1152,
                 qPrintable(QString::number(decoded.audioSamples)));
    }
}

void TestAVWriter::resampledSound()
{
    // The caller's 48 kHz stereo goes to an encoder fixed at 44.1 kHz mono.
    AVWriter writer;
    QVERIFY(writer.open(QString(), renderParam(160, 120, 25, 48000, 2),
                        {"-vn", "-acodec", "mp2", "-ar", "44100", "-ac", "1", "-y", path("resampled.mkv")}));
    QCOMPARE(writer.audioCodecContext()->sample_rate, 44100);
    const std::vector<short> sound = sineWave(48000, 2, 48000);
    for (int i = 0; i < 10; ++i)
        QVERIFY(writer.writeAudioBuffer(sound.data() + i * 4800 * 2, 4800 * 4));
    writer.close();
    const DecodedFile decoded = decodeFile(path("resampled.mkv"));
    QCOMPARE(decoded.audioChannels, 1);
    QVERIFY2(decoded.audioSamples >= 44100 - 64 && decoded.audioSamples <= 44100 + 1152,
             qPrintable(QString::number(decoded.audioSamples)));
}

void TestAVWriter::bitstreamFilterChains_data()
{
    QTest::addColumn<QStringList>("codecArgs");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("pictures");
    QTest::addColumn<int>("samples");   // per channel
    QTest::addColumn<QString>("error"); // what errorString() starts with; empty: none
    // pcm_rechunk holds back what does not fill a 1024-sample packet until
    // it is flushed: 1500 samples come out as two packets, the second padded.
    QTest::newRow("rechunked sound, the held tail flushed")
        << QStringList{"-vn", "-acodec", "pcm_s16le", "-absf", "pcm_rechunk", "-absf", "null"} << "rechunk.wav" << 0
        << 1500 << "";
    QTest::newRow("pictures through two filters")
        << QStringList{"-an", "-vcodec", "mpeg4", "-vbsf", "null", "-vbsf", "dump_extra"} << "two.mkv" << 12 << 0 << "";
    QTest::newRow("sound and pictures through filters")
        << QStringList{"-vcodec", "mjpeg", "-vbsf", "mjpeg2jpeg", "-acodec", "pcm_s16le", "-absf", "pcm_rechunk"}
        << "both.mkv" << 10 << 7000 << "";
}

void TestAVWriter::bitstreamFilterChains()
{
    QFETCH(QStringList, codecArgs);
    QFETCH(QString, file);
    QFETCH(int, pictures);
    QFETCH(int, samples);
    QFETCH(QString, error);
    AVWriter writer;
    QStringList args{"-s", "160x120", "-r", "25"};
    args << codecArgs << QStringList{"-ar", "44100", "-ac", "2", "-y", path(file)};
    QVERIFY2(writer.open(QString(), renderParam(160, 120, 25, 44100, 2), args), qPrintable(writer.errorString()));
    bool ok = true;
    for (int i = 0; i < pictures; ++i) {
        AVPicture picture = testPicture(160, 120, i);
        ok = writer.writeVideoFrame(picture) && ok;
        freePicture(picture);
    }
    if (samples > 0) {
        const std::vector<short> sound = sineWave(samples, 2, 44100);
        ok = writer.writeAudioBuffer(sound.data(), samples * 4) && ok;
    }
    writer.close();
    if (!error.isEmpty()) {
        QVERIFY(!ok || !writer.errorString().isEmpty());
        QVERIFY2(writer.errorString().startsWith(error), qPrintable(writer.errorString()));
        return;
    }
    QVERIFY2(ok && writer.errorString().isEmpty(), qPrintable(writer.errorString()));
    const DecodedFile decoded = decodeFile(path(file));
    QVERIFY(decoded.opened);
    QCOMPARE(decoded.videoFrames, pictures);
    // Every sample given is in the file; the last packet may be padded.
    QVERIFY2(decoded.audioSamples >= samples && decoded.audioSamples < samples + 1024,
             qPrintable(QString::number(decoded.audioSamples)));
}

void TestAVWriter::profileArgumentList()
{
    // The list a compile builds from an MP4 profile, in the profile's key order.
    AVWriter writer;
    QVERIFY2(writer.open(QString(), renderParam(640, 480, 25, 44100, 2),
                         {"-s",     "640x480", "-r",      "25",      "-ab",
                          "128000", "-ac",     "2",       "-acodec", "aac",
                          "-ar",    "44100",   "-b",      "800000",  "-vcodec",
                          "mpeg4",  "-aspect", "1.33333", "-y",      path("My Photo Movie.mp4")}),
             qPrintable(writer.errorString()));
    const AVCodecContext* video = writer.videoCodecContext();
    const AVCodecContext* audio = writer.audioCodecContext();
    QVERIFY(video && audio);
    QCOMPARE(video->width, 640);
    QCOMPARE(video->bit_rate, int64_t(800000));
    QCOMPARE(video->sample_aspect_ratio.num, 1);
    QCOMPARE(video->sample_aspect_ratio.den, 1);
    QCOMPARE(audio->bit_rate, int64_t(128000));
    QCOMPARE(audio->ch_layout.nb_channels, 2);
    QCOMPARE(audio->sample_fmt, AV_SAMPLE_FMT_FLTP);
}

// The summary reports what the opened encoders use, which is not always
// what was asked for (the sample format, the thread count).
void TestAVWriter::encoderSummary_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("codecArgs");
    QTest::addColumn<QStringList>("parts");
    QTest::newRow("avi mpeg4 mp2") << "summary.avi"
                                   << QStringList{"-vcodec", "mpeg4", "-b",     "400000", "-threads", "2",   "-acodec",
                                                  "mp2",     "-ab",   "128000", "-ar",    "44100",    "-ac", "2"}
                                   << QStringList{"format avi; ",
                                                  "video mpeg4, yuv420p, 160x120, 25 fps, 400 kb/s, threads 2; ",
                                                  "audio mp2, s16, 44100 Hz, 2 channels, 128 kb/s, threads 1"};
    QTest::newRow("mp4 aac resampled") << "summary.mp4"
                                       << QStringList{"-vcodec", "mpeg4", "-acodec", "aac", "-ar", "48000", "-ac", "1"}
                                       << QStringList{"format mp4; ", "video mpeg4, yuv420p, 160x120, 25 fps",
                                                      "audio aac, fltp, 48000 Hz, 1 channels"};
    QTest::newRow("x264 threads itself")
        << "summary.mkv" << QStringList{"-vcodec", "libx264", "-an"}
        << QStringList{"format matroska; ", "video libx264, yuv420p, 160x120, 25 fps, no set bit rate, threads auto"};
    QTest::newRow("video only") << "summary-silent.avi" << QStringList{"-vcodec", "mjpeg", "-an"}
                                << QStringList{"format avi; ", "video mjpeg, yuvj420p, 160x120, 25 fps"};
}

void TestAVWriter::encoderSummary()
{
    QFETCH(QString, file);
    QFETCH(QStringList, codecArgs);
    QFETCH(QStringList, parts);
    AVWriter writer;
    QVERIFY(writer.encoderSummary().isEmpty());
    QStringList args{"-s", "160x120", "-r", "25"};
    args << codecArgs << QStringList{"-y", path(file)};
    QVERIFY2(writer.open(QString(), renderParam(160, 120, 25, 44100, 2), args), qPrintable(writer.errorString()));
    const QString summary = writer.encoderSummary();
    for (const QString& part : parts)
        QVERIFY2(summary.contains(part), qPrintable(summary));
    QCOMPARE(summary.contains(QLatin1String("audio ")), !codecArgs.contains(QLatin1String("-an")));
    writer.close();
    QVERIFY(writer.encoderSummary().isEmpty());
}

void TestAVWriter::pipeWriterActivity()
{
    AVPipeWriter pipe;
    QVERIFY(!pipe.isActive());
    pipe.markActive();
    QVERIFY(pipe.isActive());
    QVERIFY(!pipe.isActive());
}

std::unique_ptr<QObject> makeAVWriterTests() { return std::make_unique<TestAVWriter>(); }

#include "tst_avwriter.moc"

void TestAVWriter::encoderOwnOptions_data()
{
    QTest::addColumn<QStringList>("codecArgs");
    QTest::addColumn<int>("profile");
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("unused"); // the option reported as unused, if any
    // libx264 takes "high" and "5.1" through its own options; the generic
    // ones would refuse "high" and cut "5.1" to 5. The sound encoder, whose
    // generic profile option would refuse "high" too, never sees them.
    QTest::newRow("x264 high 5.1") << QStringList{"-vcodec", "libx264", "-profile", "high", "-level", "5.1"}
                                   << int(FF_PROFILE_H264_HIGH) << 51 << QString();
    QTest::newRow("x264 level as a number") << QStringList{"-vcodec", "libx264", "-profile", "main", "-level", "31"}
                                            << int(FF_PROFILE_H264_MAIN) << 31 << QString();
    QTest::newRow("x264 options before the codec")
        << QStringList{"-level", "4.1", "-profile", "baseline", "-vcodec", "libx264"}
        << int(FF_PROFILE_H264_CONSTRAINED_BASELINE) << 41 << QString();
    QTest::newRow("encoder without such an option")
        << QStringList{"-vcodec", "mpeg4", "-profile", "high"} << int(FF_PROFILE_UNKNOWN) << -99 << "profile";
}

// Options under a generic codec name reach the encoder whose own option
// takes their values, and the written stream carries them.
void TestAVWriter::encoderOwnOptions()
{
    QFETCH(QStringList, codecArgs);
    QFETCH(int, profile);
    QFETCH(int, level);
    QFETCH(QString, unused);
    const QString file = path(QStringLiteral("own-%1.mp4").arg(QTest::currentDataTag()).replace(' ', '-'));
    QStringList args{"-s", "320x240", "-r", "25"};
    args << codecArgs << QStringList{"-acodec", "aac", "-ar", "44100", "-ac", "2", "-y", file};
    AVWriter writer;
    QVERIFY2(writer.open(QString(), renderParam(320, 240, 25, 44100, 2), args), qPrintable(writer.errorString()));
    const std::vector<short> sound = sineWave(44100 / 25, 2, 44100);
    for (int i = 0; i < 5; ++i) {
        AVPicture picture = testPicture(320, 240, i);
        QVERIFY(writer.writeVideoFrame(picture));
        freePicture(picture);
        QVERIFY(writer.writeAudioBuffer(sound.data(), int(sound.size() * 2)));
    }
    writer.close();
    QVERIFY2(writer.errorString().isEmpty(), qPrintable(writer.errorString()));
    const QString notUsed = QStringLiteral("Option '%1' was not used").arg(unused);
    bool reported = false;
    for (const QString& message : writer.messages())
        reported = reported || message.startsWith(notUsed);
    QCOMPARE(reported, !unused.isEmpty());

    const DecodedFile decoded = decodeFile(file);
    QCOMPARE(decoded.videoFrames, 5);
    QVERIFY(decoded.audioSamples > 0);
    if (profile != FF_PROFILE_UNKNOWN) {
        QCOMPARE(decoded.videoProfile, profile);
        QCOMPARE(decoded.videoLevel, level);
    }
}
