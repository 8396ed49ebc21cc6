// Whole compiles: the compile loop, the compile dialog, every shipped
// profile through the real option layer, and the command-line renderer,
// each checked by decoding the written file back.

#include "albumfile.h"
#include "clicktrack.h"
#include "avwritermanager.h"
#include "compilearguments.h"
#include "compileprogress.h"
#include "imagereader.h"
#include "outputtests.h"
#include "storyboardrender.h"
#include "zupowerstate.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLoggingCategory>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>
#include <array>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/codec_id.h>
}

namespace {

const QString s_media = QStringLiteral(REELWRIGHT_MEDIA_DIR);

// A small, quick profile: MPEG-4 Visual and AAC at 320 x 180.
ZumProfileData testProfile(const QString& name = QStringLiteral("Test"))
{
    ZumProfileData profile;
    profile.properties = {{"/ext_name", "mp4"}, {"/name", name},  {"vcodec", "mpeg4"}, {"b", "3000000"},
                          {"acodec", "aac"},    {"ab", "128000"}, {"ar", "48000"},     {"ac", "2"},
                          {"s", "320x180"},     {"r", "25"}};
    return profile;
}

QString writePhoto(const QString& path, QColor colour)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "JPEG", 95);
    return path;
}

// Every message while installed (from any thread), with its category.
struct LoggedMessage {
    QString category;
    QtMsgType type;
    QString text;
};
QMutex s_loggedMutex;
QList<LoggedMessage> s_logged;

void recordMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QMutexLocker lock(&s_loggedMutex);
    s_logged.append({QString::fromLatin1(context.category ? context.category : ""), type, text});
}

// A plain photo of one colour, written as a JPEG of the given size.
QString writePhoto(const QString& path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path, "JPEG", 95);
    return path;
}

// Seven 75 % colour bars and black, left to right.
constexpr std::array<QRgb, 8> s_bars = {0xBFBFBF, 0xBFBF00, 0x00BFBF, 0x00BF00, 0xBF00BF, 0xBF0000, 0x0000BF, 0x000000};

QString writeColourBars(const QString& path)
{
    QImage image(640, 480, QImage::Format_RGB32);
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            image.setPixel(x, y, s_bars[std::size_t(x * 8 / image.width())]);
    image.save(path, "PNG");
    return path;
}

// Mean absolute difference of the colour bytes of two images of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255.0;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

bool near(QRgb pixel, int r, int g, int b, int tolerance = 24)
{
    return std::abs(qRed(pixel) - r) <= tolerance && std::abs(qGreen(pixel) - g) <= tolerance &&
           std::abs(qBlue(pixel) - b) <= tolerance;
}

} // namespace

class TestCompile : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    StoryBoardData m_album;
    RenderParam m_param;
    StoryBoardRender m_render;
    std::vector<quint64> m_uninterrupted;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    // testProfile() as a profile file the command line takes.
    QString writeTestProfileFile() const
    {
        QFile profileFile(path(QStringLiteral("test-profile.json")));
        if (!profileFile.open(QIODevice::WriteOnly))
            return {};
        QJsonObject properties;
        const ZumProfileData profile = testProfile();
        for (auto it = profile.properties.cbegin(); it != profile.properties.cend(); ++it)
            properties.insert(it.key(), it.value().toString());
        profileFile.write(
            QJsonDocument(QJsonObject{{"name", "Test"}, {"group", "general"}, {"properties", properties}}).toJson());
        return profileFile.fileName();
    }
    // Runs the compile loop to its end; false when it does not end.
    bool runLoop(AVWriterManager& loop, const QString& file, int pauseAfter = -1);

private slots:
    void initTestCase();
    void init();
    void loopEndToEnd();
    void pauseResumeSameFrames();
    void quietCompileLogsEncoderChoices();
    void writeFailureEndsCompile();
    void dialogSucceeds();
    void dialogStopDeletesFile();
    void dialogReportsFailures();
    void deviceThumbnailAndPostTask();
    void shippedProfiles_data();
    void shippedProfiles();
    void screenProfilesFrameBothPhotos_data();
    void screenProfilesFrameBothPhotos();
    void commandLineErrors_data();
    void commandLineErrors();
    void commandLineRender();
    void commandLineMatchesLoop();
    void albumFileMatchesLoop();
    void planarMatchesRgbaCompile_data();
    void planarMatchesRgbaCompile();
    void commandLineBeatCuts_data();
    void commandLineBeatCuts();
    void cleanupTestCase();
};

void TestCompile::initTestCase()
{
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
    ZuPref::instance()->setValue(QStringLiteral("OutputPath"), m_dir.path());

    for (const auto& [name, colour] : {std::pair{"red.jpg", QColor(220, 20, 20)}, {"blue.jpg", QColor(20, 20, 220)}}) {
        ImageInfo photo;
        photo.filePath = writePhoto(path(QString::fromLatin1(name)), colour);
        QVERIFY(ImageReader::parse(photo));
        m_album.photos << photo;
    }
    AudioInfo audio;
    audio.filePath = s_media + QStringLiteral("/sad-mono-22k.wav");
    QVERIFY(AudioReader::parse(audio));
    m_album.audios << audio;
    m_album.photoMs = 1000;
    m_album.photoSeconds = 1.0;
    m_album.transitionMs = 500;
    m_album.transitionSeconds = 0.5;
    m_album.dissolveOnly = true;
    m_album.useZoom = false;

    renderParamsFromProfile(m_param, testProfile());
    QVERIFY(m_render.init(m_param));
    m_render.setStoryBoard(&m_album);
    m_render.onStoryBoardDataChanged();
    QCOMPARE(m_render.totalFrames, 62u);
}

void TestCompile::init() { ZuPref::instance()->setValue(QStringLiteral("AfterBurnAction"), 5); }

// Frames the graphics side converts to the encoder's YUV decode to the
// pictures the writer's own conversion of RGBA frames gives, frame by frame
// (a frame handed over twice or skipped would show in the dissolve), with
// the colours of the photos; an encoder of another pixel format gets RGBA.
void TestCompile::planarMatchesRgbaCompile_data()
{
    QTest::addColumn<QStringList>("properties"); // key, value, ...
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("planar");
    const QStringList x264{"/ext_name", "mp4",    "vcodec",    "libx264", "crf",
                           "10",        "preset", "ultrafast", "acodec",  "aac"};
    QTest::newRow("mpeg4, yuv420p, 320x180")
        << QStringList{"/ext_name", "mp4", "vcodec", "mpeg4", "b", "6000000", "acodec", "aac"} << QSize(320, 180)
        << true;
    QTest::newRow("libx264, 720x576") << x264 << QSize(720, 576) << true;
    QTest::newRow("libx264, 1080x1920 vertical") << x264 << QSize(1080, 1920) << true;
    QTest::newRow("mjpeg, full-range yuvj420p, 176x144")
        << QStringList{"/ext_name", "avi", "vcodec", "mjpeg", "qscale", "2", "acodec", "pcm_s16le"} << QSize(176, 144)
        << true;
    QTest::newRow("huffyuv takes yuv422p: the writer converts")
        << QStringList{"/ext_name", "avi", "vcodec", "huffyuv", "acodec", "pcm_s16le"} << QSize(176, 144) << false;
}

void TestCompile::planarMatchesRgbaCompile()
{
    QFETCH(QStringList, properties);
    QFETCH(QSize, size);
    QFETCH(bool, planar);
    ZumProfileData profile;
    profile.properties = {{"/name", "Planar"},
                          {"s", QStringLiteral("%1x%2").arg(size.width()).arg(size.height())},
                          {"r", "25"},
                          {"ar", "48000"},
                          {"ac", "2"}};
    for (int i = 0; i + 1 < properties.size(); i += 2)
        profile.properties[properties[i]] = properties[i + 1];
    RenderParam param;
    renderParamsFromProfile(param, profile);
    QCOMPARE(QSize(param.width, param.height), size);

    StoryBoardData album;
    const QColor second(20, 30, 220);
    {
        ImageInfo bars;
        bars.filePath = writeColourBars(path(QStringLiteral("bars.png")));
        QImage plain(640, 480, QImage::Format_RGB32);
        plain.fill(second);
        ImageInfo other;
        other.filePath = path(QStringLiteral("plain.png"));
        QVERIFY(plain.save(other.filePath, "PNG"));
        QVERIFY(ImageReader::parse(bars) && ImageReader::parse(other));
        album.photos << bars << other;
    }
    album.audios = m_album.audios;
    album.photoMs = 400;
    album.photoSeconds = 0.4;
    album.transitionMs = 400;
    album.transitionSeconds = 0.4;
    album.dissolveOnly = true;
    album.useZoom = false;
    StoryBoardRender render;
    QVERIFY(render.init(param));
    render.setStoryBoard(&album);
    render.onStoryBoardDataChanged();
    const int total = int(render.totalFrames);
    QVERIFY(total > 20);
    // 10 frames of the bars, then the dissolve: frame 15 is its middle.
    const QList<int> keep{0, 12, 14, 15, 16, 19};

    const auto compile = [&](bool planarAllowed, const QString& name, bool& usedPlanar) {
        const QString file = path(name + QLatin1Char('.') + properties[1]);
        AVWriterManager loop;
        // Also with the software rasteriser the tests run on.
        loop.setPlanarReadback(planarAllowed ? AVWriterManager::PlanarReadback::Always
                                             : AVWriterManager::PlanarReadback::Never);
        if (!loop.begin(&render, file, compileArguments(profile, param, file)))
            return QString();
        QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
        loop.start();
        if (!ended.wait(120000) && ended.isEmpty())
            return QString();
        usedPlanar = loop.usesPlanarReadback();
        return loop.finish() && loop.videoCount() == total ? file : QString();
    };
    bool converted = false, unconverted = true;
    const QString convertedFile = compile(true, QStringLiteral("planar"), converted);
    QVERIFY(!convertedFile.isEmpty());
    QCOMPARE(converted, planar);
    const QString rgbaFile = compile(false, QStringLiteral("rgba"), unconverted);
    QVERIFY(!rgbaFile.isEmpty());
    QVERIFY(!unconverted);

    const DecodedFile a = decodeFile(convertedFile, keep);
    const DecodedFile b = decodeFile(rgbaFile, keep);
    QCOMPARE(a.videoFrames, total);
    QCOMPARE(b.videoFrames, total);
    QCOMPARE(QSize(a.width, a.height), size);
    for (int frame : keep) {
        const double difference = meanDifference(a.frames.value(frame), b.frames.value(frame));
        QVERIFY2(difference < 2.0, qPrintable(QStringLiteral("frame %1: %2").arg(frame).arg(difference)));
    }

    // The 4:3 photos fit into the frame: pillars or bars round them.
    const int shownWidth = std::min(size.width(), size.height() * 4 / 3);
    const int left = (size.width() - shownWidth) / 2;
    const int middle = size.height() / 2;
    const QImage first = a.frames.value(0);
    const QImage dissolve = a.frames.value(15);
    for (std::size_t bar = 0; bar < s_bars.size(); ++bar) {
        const int x = left + int((bar + 0.5) * shownWidth / 8);
        const QRgb colour = s_bars[bar];
        const QRgb shown = first.pixel(x, middle);
        QVERIFY2(
            near(shown, qRed(colour), qGreen(colour), qBlue(colour), 10),
            qPrintable(
                QStringLiteral("bar %1: %2 %3 %4").arg(bar).arg(qRed(shown)).arg(qGreen(shown)).arg(qBlue(shown))));
        // Halfway through the dissolve: the mean of the bar and the second photo.
        const QRgb mixed = dissolve.pixel(x, middle);
        QVERIFY2(near(mixed, (qRed(colour) + second.red()) / 2, (qGreen(colour) + second.green()) / 2,
                      (qBlue(colour) + second.blue()) / 2, 12),
                 qPrintable(QStringLiteral("bar %1 dissolved: %2 %3 %4")
                                .arg(bar)
                                .arg(qRed(mixed))
                                .arg(qGreen(mixed))
                                .arg(qBlue(mixed))));
    }
}

void TestCompile::cleanupTestCase()
{
    ZuPowerState::setCommandRunner({});
    ZuPowerState::setCountdownSeconds(30);
}

bool TestCompile::runLoop(AVWriterManager& loop, const QString& file, int pauseAfter)
{
    if (!loop.begin(&m_render, file, compileArguments(testProfile(), m_param, file)))
        return false;
    bool paused = false;
    QObject::connect(&loop, &AVWriterManager::progressChanged, &loop, [&](double frames) {
        if (int(frames) == pauseAfter && !paused) {
            paused = true;
            loop.pause();
        }
    });
    QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
    loop.start();
    if (pauseAfter >= 0) {
        if (!QTest::qWaitFor([&] { return paused; }, 30000))
            return false;
        // The sound thread keeps going while paused; the frames must not.
        QTest::qWait(300);
        if (loop.videoCount() != pauseAfter || !ended.isEmpty())
            return false;
        loop.resume();
    }
    return ended.wait(60000) || ended.count() == 1;
}

void TestCompile::loopEndToEnd()
{
    const QString file = path(QStringLiteral("loop.mp4"));
    AVWriterManager loop;
    QSignalSpy progress(&loop, &AVWriterManager::progressChanged);
    QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
    QVERIFY2(runLoop(loop, file), qPrintable(loop.failureReason()));
    QVERIFY2(loop.finish(), qPrintable(loop.failureReason()));
    QCOMPARE(ended.count(), 1);
    QCOMPARE(progress.count(), 62);
    QCOMPARE(progress.first().first().toDouble(), 1.0);
    QCOMPARE(progress.last().first().toDouble(), 62.0);

    const DecodedFile decoded = decodeFile(file, {0, 31});
    QVERIFY(decoded.opened);
    QCOMPARE(decoded.videoFrames, 62);
    QCOMPARE(decoded.videoCodec, int(AV_CODEC_ID_MPEG4));
    QCOMPARE(decoded.audioCodec, int(AV_CODEC_ID_AAC));
    QCOMPARE(QSize(decoded.width, decoded.height), QSize(320, 180));
    QCOMPARE(decoded.sampleRate, 48000);
    QCOMPARE(decoded.audioChannels, 2);
    const double soundSeconds = double(decoded.audioSamples) / 48000.0;
    QVERIFY2(std::abs(soundSeconds - 62 / 25.0) <= 1 / 25.0, qPrintable(QString::number(soundSeconds)));
    m_uninterrupted = decoded.frameChecksums;

    // Frame 0: the red 4:3 photo letterboxed into 16:9, black pillars of 40 pixels.
    const QImage first = decoded.frames.value(0);
    QVERIFY(near(first.pixel(10, 90), 0, 0, 0));
    QVERIFY(near(first.pixel(309, 90), 0, 0, 0));
    QVERIFY(near(first.pixel(160, 20), 220, 20, 20, 40));
    QVERIFY(near(first.pixel(160, 160), 220, 20, 20, 40));
    // Halfway through the dissolve both photos show.
    const QRgb middle = decoded.frames.value(31).pixel(160, 90);
    QVERIFY2(qRed(middle) > 70 && qRed(middle) < 170 && qBlue(middle) > 70 && qBlue(middle) < 170,
             qPrintable(QStringLiteral("%1,%2,%3").arg(qRed(middle)).arg(qGreen(middle)).arg(qBlue(middle))));
}

void TestCompile::pauseResumeSameFrames()
{
    QVERIFY(!m_uninterrupted.empty());
    const QString file = path(QStringLiteral("paused.mp4"));
    AVWriterManager loop;
    QVERIFY2(runLoop(loop, file, 20), "the compile neither paused at frame 20 nor ended after resuming");
    QVERIFY2(loop.finish(), qPrintable(loop.failureReason()));
    const DecodedFile decoded = decodeFile(file);
    QVERIFY(decoded.frameChecksums == m_uninterrupted);
    QVERIFY(std::abs(double(decoded.audioSamples) / 48000.0 - 62 / 25.0) <= 1 / 25.0);
}

// A device that refuses every byte stands for a full disk: the compile fails
// with the writer's reason instead of reporting success.
// A compile with the default rules says nothing at debug level and tells,
// once, what the encoders were opened with.
void TestCompile::quietCompileLogsEncoderChoices()
{
    QLoggingCategory::setFilterRules(QString());
    s_logged.clear();
    const QString file = path(QStringLiteral("logged.mp4"));
    AVWriterManager loop;
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    const bool compiled = runLoop(loop, file) && loop.finish();
    qInstallMessageHandler(previous);
    QVERIFY2(compiled, qPrintable(loop.failureReason()));

    QStringList encodeLines;
    for (const LoggedMessage& message : std::as_const(s_logged)) {
        QVERIFY2(message.type != QtDebugMsg, qPrintable(message.category + QStringLiteral(": ") + message.text));
        if (message.category == QLatin1String("reelwright.encode")) {
            QCOMPARE(message.type, QtInfoMsg);
            encodeLines << message.text;
        }
    }
    QCOMPARE(encodeLines.size(), 1);
    const QString& line = encodeLines.first();
    for (const QString& part :
         {file, QStringLiteral("format mp4"), QStringLiteral("video mpeg4, yuv420p, 320x180, 25 fps, 3000 kb/s"),
          QStringLiteral("audio aac, fltp, 48000 Hz, 2 channels, 128 kb/s")})
        QVERIFY2(line.contains(part), qPrintable(line));
}

void TestCompile::writeFailureEndsCompile()
{
    const QString full = QStringLiteral("/dev/full");
    if (!QFileInfo(full).exists())
        QSKIP("no /dev/full here");
    QStringList arguments = compileArguments(testProfile(), m_param, full);
    arguments.insert(arguments.size() - 2, QStringLiteral("-f"));
    arguments.insert(arguments.size() - 2, QStringLiteral("mpegts"));
    AVWriterManager loop;
    QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
    QVERIFY2(loop.begin(&m_render, full, arguments), qPrintable(loop.failureReason()));
    loop.start();
    QVERIFY(ended.wait(60000));
    QVERIFY(!loop.finish());
    QVERIFY2(loop.failureReason().contains(QStringLiteral("No space left")), qPrintable(loop.failureReason()));
    QVERIFY(QFileInfo(full).exists());
    QVERIFY(!m_render.isRunning());
}

void TestCompile::dialogSucceeds()
{
    CompileProgress dialog;
    QSignalSpy finished(&dialog, &CompileProgress::finished);
    QVERIFY(dialog.init(&m_render, testProfile(), QStringLiteral("Dialog")));
    QCOMPARE(dialog.outputFile(), path(QStringLiteral("Dialog.mp4")));
    auto* pause = dialog.findChild<QPushButton*>(QStringLiteral("pause_resume"));
    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("Resume"));
    const int frames = dialog.compileLoop().videoCount();
    QTest::qWait(200);
    QCOMPARE(dialog.compileLoop().videoCount(), frames);
    pause->click();
    QCOMPARE(pause->text(), QStringLiteral("Pause"));

    QVERIFY(finished.wait(60000));
    QCOMPARE(finished.first().first().toBool(), true);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("label"))->text(), QStringLiteral("Created Successfully."));
    QVERIFY(!dialog.findChild<QPushButton*>(QStringLiteral("stop"))->isVisibleTo(&dialog));
    QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("close"))->isVisibleTo(&dialog));
    // Escape after the end accepts and keeps the file.
    dialog.reject();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(decodeFile(dialog.outputFile()).videoFrames, 62);

    // The next compile of the same name gets the next free one.
    CompileProgress second;
    QVERIFY(second.init(&m_render, testProfile(), QStringLiteral("Dialog")));
    QCOMPARE(second.outputFile(), path(QStringLiteral("Dialog(1).mp4")));
    second.findChild<QPushButton*>(QStringLiteral("stop"))->click();
}

void TestCompile::dialogStopDeletesFile()
{
    CompileProgress dialog;
    QVERIFY(dialog.init(&m_render, testProfile(), QStringLiteral("Stopped")));
    QVERIFY(QTest::qWaitFor([&] { return dialog.compileLoop().videoCount() >= 10; }, 30000));
    QVERIFY(QFile::exists(dialog.outputFile()));
    dialog.findChild<QPushButton*>(QStringLiteral("stop"))->click();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(dialog.outputFile()));
    QVERIFY(!m_render.isRunning());
    QVERIFY(!dialog.compileLoop().isRunning());
}

void TestCompile::dialogReportsFailures()
{
    // The option layer refuses the codec: no frames run, nothing is left behind.
    ZumProfileData bad = testProfile();
    bad.properties[QStringLiteral("vcodec")] = QStringLiteral("nosuchcodec");
    CompileProgress dialog;
    QVERIFY(dialog.init(&m_render, bad, QStringLiteral("Refused")));
    QVERIFY(dialog.isFinished());
    QVERIFY(!dialog.succeeded());
    const QString text = dialog.findChild<QLabel*>(QStringLiteral("label"))->text();
    QVERIFY2(text.startsWith(QStringLiteral("Failed to create video.\n")) && text.contains("nosuchcodec"),
             qPrintable(text));
    QVERIFY(!QFile::exists(dialog.outputFile()));
    QVERIFY(!m_render.isRunning());

    // An output folder that cannot exist.
    ZuPref::instance()->setValue(QStringLiteral("OutputPath"), QStringLiteral("/proc/version/videos"));
    CompileProgress nowhere;
    QVERIFY(nowhere.init(&m_render, testProfile(), QStringLiteral("Nowhere")));
    ZuPref::instance()->setValue(QStringLiteral("OutputPath"), m_dir.path());
    QVERIFY(!nowhere.succeeded());
    QVERIFY(nowhere.failureReason().contains(QStringLiteral("/proc/version/videos")));
}

void TestCompile::deviceThumbnailAndPostTask()
{
    QStringList ran;
    ZuPowerState::setCountdownSeconds(0);
    ZuPowerState::setCommandRunner([&ran](const QStringList& argv, QString*) {
        ran = argv;
        return true;
    });
    ZuPref::instance()->setValue(QStringLiteral("AfterBurnAction"), 4);

    CompileProgress dialog;
    QSignalSpy finished(&dialog, &CompileProgress::finished);
    QVERIFY(dialog.init(&m_render, testProfile(QStringLiteral("psp")), QStringLiteral("Device")));
    QVERIFY(finished.wait(90000));
    QVERIFY(dialog.succeeded());
    QCOMPARE(ran, ZuPowerState::commandFor(ZuPowerState::ShutDown));
    const QImage thumbnail(path(QStringLiteral("Device.THM")), "JPEG");
    QCOMPARE(thumbnail.size(), QSize(160, 120));

    // "Do nothing" and a failed compile leave the machine alone.
    ran.clear();
    ZuPref::instance()->setValue(QStringLiteral("AfterBurnAction"), 5);
    CompileProgress quiet;
    QSignalSpy quietFinished(&quiet, &CompileProgress::finished);
    QVERIFY(quiet.init(&m_render, testProfile(), QStringLiteral("Quiet")));
    QVERIFY(quietFinished.wait(60000));
    QVERIFY(ran.isEmpty());
    ZuPref::instance()->setValue(QStringLiteral("AfterBurnAction"), 1);
    ZumProfileData bad = testProfile();
    bad.properties[QStringLiteral("acodec")] = QStringLiteral("nosuchcodec");
    CompileProgress failed;
    QVERIFY(failed.init(&m_render, bad, QStringLiteral("Failed")));
    QVERIFY(ran.isEmpty());
}

void TestCompile::shippedProfiles_data()
{
    QTest::addColumn<QString>("id");
    for (const QString& id : ZuProfileManager::instance()->profileIds())
        QTest::newRow(qPrintable(id)) << id;
}

// Every shipped profile opens the writer through the real option layer and
// makes a file that decodes to its frame size with sound.
void TestCompile::shippedProfiles()
{
    QFETCH(QString, id);
    ZumProfileData profile;
    profile.url = id;
    QVERIFY(ZuProfileManager::instance()->getPresetData(profile));
    // The icon it names is one the build draws into the profile list.
    const QString icon = ZuProfileManager::instance()->profileIcon(id);
    QVERIFY(!icon.isEmpty());
    QCOMPARE(QImage(QStringLiteral(":/app_reelwright/profile/") + icon).size(), QSize(32, 32));
    RenderParam param;
    renderParamsFromProfile(param, profile);
    const QString file = uniqueOutputFile(m_dir.path(), id, profileExtension(profile));
    AVWriter writer;
    QVERIFY2(writer.open(file, param, compileArguments(profile, param, file)), qPrintable(writer.errorString()));
    const int samplesPerFrame = int(param.sampleRate / param.frameRate);
    const std::vector<short> sound = sineWave(samplesPerFrame, param.channels, param.sampleRate);
    for (int i = 0; i < 8; ++i) {
        AVPicture picture = testPicture(param.width, param.height, i);
        QVERIFY2(writer.writeVideoFrame(picture), qPrintable(writer.errorString()));
        freePicture(picture);
        QVERIFY(writer.writeAudioBuffer(sound.data(), int(sound.size() * 2)));
    }
    writer.close();
    QVERIFY2(writer.errorString().isEmpty(), qPrintable(writer.errorString()));
    const DecodedFile decoded = decodeFile(file);
    QVERIFY(decoded.opened);
    QVERIFY2(decoded.videoFrames >= 6, qPrintable(QString::number(decoded.videoFrames)));
    QCOMPARE(QSize(decoded.width, decoded.height), QSize(param.width, param.height));
    QVERIFY(decoded.audioSamples > 0);
}

void TestCompile::screenProfilesFrameBothPhotos_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("codec");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("photoMs"); // short at 4K, where each frame costs most
    QTest::addColumn<bool>("landscapeBars");
    QTest::addColumn<bool>("portraitPillars");
    QTest::newRow("4K H.264") << "mpeg4h264_2160" << int(AV_CODEC_ID_H264) << QSize(3840, 2160) << 160 << false << true;
    QTest::newRow("4K HEVC") << "mpeg4hevc_2160" << int(AV_CODEC_ID_HEVC) << QSize(3840, 2160) << 160 << false << true;
    QTest::newRow("portrait") << "mpeg4h264_vertical" << int(AV_CODEC_ID_H264) << QSize(1080, 1920) << 600 << true
                              << false;
    QTest::newRow("square") << "mpeg4h264_square" << int(AV_CODEC_ID_H264) << QSize(1080, 1080) << 600 << true << true;
}

// A landscape and a portrait photo compiled with each profile for today's
// screens: the file decodes back at the profile's size and codec, with every
// frame and the sound, and each photo is framed whole, with black bars where
// its shape differs from the frame's.
void TestCompile::screenProfilesFrameBothPhotos()
{
    QFETCH(QString, id);
    QFETCH(int, codec);
    QFETCH(QSize, size);
    QFETCH(int, photoMs);
    QFETCH(bool, landscapeBars);
    QFETCH(bool, portraitPillars);

    StoryBoardData album;
    for (const auto& [name, shape, colour] : {std::tuple{"landscape.jpg", QSize(480, 270), QColor(30, 200, 40)},
                                              std::tuple{"portrait.jpg", QSize(270, 480), QColor(30, 40, 210)}}) {
        ImageInfo photo;
        photo.filePath = writePhoto(path(QString::fromLatin1(name)), shape, colour);
        QVERIFY(ImageReader::parse(photo));
        album.photos << photo;
    }
    AudioInfo audio;
    audio.filePath = s_media + QStringLiteral("/sad-mono-22k.wav");
    QVERIFY(AudioReader::parse(audio));
    album.audios << audio;
    album.photoMs = photoMs;
    album.photoSeconds = photoMs / 1000.0;
    album.transitionMs = photoMs / 2;
    album.transitionSeconds = photoMs / 2000.0;
    album.dissolveOnly = true;
    album.useZoom = false;

    ZumProfileData profile;
    profile.url = id;
    QVERIFY(ZuProfileManager::instance()->getPresetData(profile));
    RenderParam param;
    renderParamsFromProfile(param, profile);
    QCOMPARE(QSize(param.width, param.height), size);
    // A quick encoder setting keeps the 4K runs short on two cores (not the
    // quickest: libx264 drops to baseline there); the rest is the profile.
    if (size.width() > 1920)
        profile.properties[QStringLiteral("preset")] = QStringLiteral("superfast");
    StoryBoardRender render;
    QVERIFY(render.init(param));
    render.setStoryBoard(&album);
    render.onStoryBoardDataChanged();
    const int frames = int(render.totalFrames);
    QVERIFY(frames >= 8);

    QElapsedTimer timer;
    timer.start();
    const QString file = uniqueOutputFile(m_dir.path(), id, profileExtension(profile));
    AVWriterManager loop;
    QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
    QVERIFY2(loop.begin(&render, file, compileArguments(profile, param, file)), qPrintable(loop.failureReason()));
    loop.start();
    QVERIFY(ended.wait(180000) || ended.count() == 1);
    QVERIFY2(loop.finish(), qPrintable(loop.failureReason()));
    const qint64 compileMs = timer.elapsed();

    const DecodedFile decoded = decodeFile(file, {0, frames - 1});
    qInfo("%s: %d frames compiled in %lld ms, decoded in %lld ms", qPrintable(id), frames, compileMs,
          timer.elapsed() - compileMs);
    QVERIFY(decoded.opened);
    QCOMPARE(decoded.videoCodec, codec);
    QCOMPARE(QSize(decoded.width, decoded.height), size);
    QCOMPARE(decoded.videoFrames, frames);
    QVERIFY2(std::abs(decoded.frameRate - 25.0) < 0.5, qPrintable(QString::number(decoded.frameRate)));
    QCOMPARE(decoded.audioCodec, int(AV_CODEC_ID_AAC));
    QCOMPARE(decoded.sampleRate, 48000);
    QCOMPARE(decoded.audioChannels, 2);
    const double soundSeconds = double(decoded.audioSamples) / 48000.0;
    QVERIFY2(std::abs(soundSeconds - frames / 25.0) <= 1 / 25.0, qPrintable(QString::number(soundSeconds)));
    if (codec == AV_CODEC_ID_HEVC) // players that follow the MP4 rules want the parameter sets in the sample entry
        QCOMPARE(decoded.videoTag, MKTAG('h', 'v', 'c', '1'));
    if (id == QLatin1String("mpeg4h264_2160")) {
        QCOMPARE(decoded.videoProfile, FF_PROFILE_H264_HIGH);
        QCOMPARE(decoded.videoLevel, 51);
    }

    // Samples along the middle column and row, as fractions of the frame.
    const auto at = [&size](const QImage& image, double x, double y) {
        return image.pixel(int(x * (size.width() - 1)), int(y * (size.height() - 1)));
    };
    const QImage landscape = decoded.frames.value(0);
    const QImage portrait = decoded.frames.value(frames - 1);
    QCOMPARE(landscape.size(), size);
    QCOMPARE(portrait.size(), size);
    for (double edge : {0.02, 0.98}) {
        QVERIFY(
            near(at(landscape, 0.5, edge), landscapeBars ? 0 : 30, landscapeBars ? 0 : 200, landscapeBars ? 0 : 40));
        QVERIFY(near(at(landscape, edge, 0.5), 30, 200, 40));
        QVERIFY(near(at(portrait, edge, 0.5), portraitPillars ? 0 : 30, portraitPillars ? 0 : 40,
                     portraitPillars ? 0 : 210));
        QVERIFY(near(at(portrait, 0.5, edge), 30, 40, 210));
    }
    QVERIFY(near(at(landscape, 0.5, 0.5), 30, 200, 40));
    QVERIFY(near(at(portrait, 0.5, 0.5), 30, 40, 210));
}

void TestCompile::commandLineErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("status");
    const QString photo = s_media + QStringLiteral("/flower.jpg");
    QFile notAudio(path(QStringLiteral("notes.mp3")));
    notAudio.open(QIODevice::WriteOnly);
    notAudio.write("these are not sounds");
    notAudio.close();
    QTest::newRow("no photos") << QStringList{} << "No photos given" << 2;
    QTest::newRow("missing photo") << QStringList{path("missing.jpg")} << "Photo not found" << 2;
    QTest::newRow("not a photo") << QStringList{path("notes.mp3")} << "Not a readable photo" << 2;
    QTest::newRow("unreadable audio") << QStringList{photo, "-a", path("notes.mp3")} << "Not a readable audio file"
                                      << 2;
    QTest::newRow("missing audio") << QStringList{photo, "-a", path("gone.mp3")} << "Audio file not found" << 2;
    QTest::newRow("empty trim") << QStringList{photo, "-a", s_media + "/journeys-8s.m4a@6:2"} << "leaves nothing" << 2;
    QTest::newRow("bad profile") << QStringList{photo, "-p", "nosuchprofile"} << "Unknown profile" << 2;
    QTest::newRow("broken profile file") << QStringList{photo, "-p", path("notes.mp3")} << "Cannot use the profile file"
                                         << 2;
    QTest::newRow("unwritable folder") << QStringList{photo, "-o", "/proc/version/out"} << "cannot be written" << 2;
    QTest::newRow("bad name") << QStringList{photo, "-n", "a:b"} << "cannot be a file name" << 2;
    QTest::newRow("bad duration") << QStringList{photo, "--photo-ms", "abc"} << "--photo-ms" << 2;
    QTest::newRow("bad fade") << QStringList{photo, "--fade-ms", "abc"} << "--fade-ms must be" << 2;
    QTest::newRow("fade over a minute") << QStringList{photo, "--fade-ms", "60001"} << "--fade-ms must be" << 2;

    QFile notAlbum(path(QStringLiteral("notes.reelwright")));
    notAlbum.open(QIODevice::WriteOnly);
    notAlbum.write("these are not photos");
    notAlbum.close();
    AlbumContents album;
    album.photos = m_album.photos;
    ImageInfo gone = m_album.photos.at(0);
    gone.filePath = path(QStringLiteral("gone/photo.jpg"));
    album.photos.insert(1, gone);
    AudioInfo goneSound = m_album.audios.at(0);
    goneSound.filePath = path(QStringLiteral("gone/song.wav"));
    album.clips = {goneSound};
    QVERIFY(AlbumFile::write(path(QStringLiteral("incomplete.reelwright")), album, nullptr));
    album = {};
    album.photos = m_album.photos;
    album.output.profileUrl = QStringLiteral("nosuchprofile");
    QVERIFY(AlbumFile::write(path(QStringLiteral("unknown-profile.reelwright")), album, nullptr));
    QTest::newRow("album missing") << QStringList{path("nowhere.reelwright")} << "does not exist" << 2;
    QTest::newRow("album not JSON") << QStringList{path("notes.reelwright")} << path("notes.reelwright") + " cannot"
                                    << 2;
    QTest::newRow("album with missing files")
        << QStringList{path("incomplete.reelwright")}
        << "2 file(s) of the album " + path("incomplete.reelwright") + " are missing:\n  " + path("gone/photo.jpg") +
               "\n  " + path("gone/song.wav")
        << 2;
    QTest::newRow("album with its own unknown profile")
        << QStringList{path("unknown-profile.reelwright")} << "Unknown profile \"nosuchprofile\"" << 2;
    QTest::newRow("album and photo options") << QStringList{path("unknown-profile.reelwright"), "--photo-ms", "1000"}
                                             << "--photo-ms cannot be combined" << 2;
    QTest::newRow("album and sound") << QStringList{path("unknown-profile.reelwright"), "-a", s_media + "/x.wav"}
                                     << "--audio cannot be combined" << 2;
}

void TestCompile::commandLineErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(int, status);
    if (!arguments.contains("-o"))
        arguments << "-o" << m_dir.path();
    QProcess process;
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"), arguments);
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.exitCode(), status);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
    // The one-line message only: no log lines of the libraries ("[mp3 @ 0x...]").
    QVERIFY2(!errors.contains(QLatin1String(" @ 0x")), qPrintable(errors));
}

// With --beat the cuts of a compiled video fall on the clicks of a metronome
// (within one frame), from a trim that starts mid-track; without it they stay
// evenly spaced.
void TestCompile::commandLineBeatCuts_data()
{
    QTest::addColumn<double>("bpm");
    QTest::addColumn<double>("lead");
    QTest::addColumn<bool>("beat");
    QTest::newRow("120 bpm") << 120.0 << 0.0 << true;
    QTest::newRow("90 bpm after 0.25 s") << 90.0 << 0.25 << true;
    QTest::newRow("90 bpm, setting off") << 90.0 << 0.25 << false;
}

void TestCompile::commandLineBeatCuts()
{
    QFETCH(double, bpm);
    QFETCH(double, lead);
    QFETCH(bool, beat);
    constexpr double trimStart = 4.0; // the tracker has locked on by then
    constexpr double photoSeconds = 1.3;
    constexpr double frameRate = 25.0;
    ClickTrack track;
    track.bpm = bpm;
    track.lead = lead;
    track.seconds = 16.0;
    const QString sound = path(QStringLiteral("click-%1.wav").arg(bpm));
    QVERIFY(track.write(sound));
    const std::array<QColor, 6> colours = {QColor(220, 20, 20),  QColor(20, 220, 20),  QColor(20, 20, 220),
                                           QColor(220, 220, 20), QColor(220, 20, 220), QColor(20, 220, 220)};
    QStringList arguments;
    for (std::size_t i = 0; i < colours.size(); ++i)
        arguments << writePhoto(path(QStringLiteral("beat-%1.jpg").arg(i)), QSize(320, 180), colours[i]);
    arguments << "-a" << QStringLiteral("%1@%2:").arg(sound).arg(trimStart) << "--photo-ms"
              << QString::number(int(photoSeconds * 1000)) << "--transition-ms"
              << "0"
              << "--no-zoom"
              << "-p" << writeTestProfileFile() << "-o" << path("beat") << "-n" << QStringLiteral("beat %1").arg(bpm)
              << "-q";
    if (beat)
        arguments << "--beat";
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cache")));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"), arguments);
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QString file = QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();

    const int total = int(std::lround(colours.size() * photoSeconds * frameRate));
    QList<int> keep;
    for (int i = 0; i < total; ++i)
        keep << i;
    const DecodedFile decoded = decodeFile(file, keep);
    QCOMPARE(decoded.videoFrames, total);
    // The first frame of each photo.
    QList<int> cuts;
    std::size_t shown = 0;
    for (int i = 0; i < total; ++i) {
        const QRgb centre = decoded.frames.value(i).pixel(160, 90);
        if (shown + 1 < colours.size() &&
            near(centre, colours[shown + 1].red(), colours[shown + 1].green(), colours[shown + 1].blue(), 60)) {
            cuts << i;
            ++shown;
        }
    }
    QCOMPARE(cuts.size(), qsizetype(colours.size() - 1));
    QVector<double> clicks;
    for (const double click : track.clicks())
        if (click >= trimStart)
            clicks << click - trimStart;
    double worst = 0.0;
    for (int i = 0; i < cuts.size(); ++i) {
        const double at = cuts[i] / frameRate;
        const double even = (i + 1) * photoSeconds;
        double nearest = 1e9;
        for (const double click : std::as_const(clicks))
            nearest = std::abs(click - at) < std::abs(nearest - at) ? click : nearest;
        if (beat) {
            worst = std::max(worst, std::abs(nearest - at));
            // The frame nearest the beat: half a frame, plus what the tracker may be off by.
            QVERIFY2(std::abs(nearest - at) <= 0.5 / frameRate + 0.015,
                     qPrintable(QStringLiteral("cut %1 at %2 s, click at %3 s").arg(i).arg(at).arg(nearest)));
            QVERIFY(std::abs(at - even) <= 0.4 * photoSeconds + 1.0 / frameRate);
        } else {
            QVERIFY2(std::abs(at - even) <= 1.0 / frameRate,
                     qPrintable(QStringLiteral("cut %1 at %2 s").arg(i).arg(at)));
        }
    }
    if (beat)
        qInfo("largest cut-to-click error %.1f ms", worst * 1000.0);
}

void TestCompile::commandLineRender()
{
    QProcess process;
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"),
                  {s_media + "/flower.jpg", s_media + "/bird-exif6.jpg", "-a", s_media + "/journeys-8s.m4a@1:3",
                   "--photo-ms", "1000", "--transition-ms", "500", "-o", path("cli"), "-n", "Command Line"});
    QVERIFY(process.waitForFinished(120000));
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QCOMPARE(lines.last(), path("cli/Command Line.mp4"));
    QCOMPARE(lines.at(lines.size() - 2), QStringLiteral("100%"));
    const DecodedFile decoded = decodeFile(lines.last());
    QCOMPARE(decoded.videoFrames, 62);
    QCOMPARE(decoded.videoCodec, int(AV_CODEC_ID_H264));
    QCOMPARE(QSize(decoded.width, decoded.height), QSize(1280, 720));
    QVERIFY(std::abs(double(decoded.audioSamples) / decoded.sampleRate - 2.48) <= 0.04);
}

// The same album and profile give the same frames from the command line as
// from the compile loop the dialog drives.
void TestCompile::commandLineMatchesLoop()
{
    QVERIFY(!m_uninterrupted.empty());
    QFile profileFile(writeTestProfileFile());
    QVERIFY(profileFile.exists());

    QProcess process;
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"),
                  {path("red.jpg"), path("blue.jpg"), "-a", s_media + "/sad-mono-22k.wav", "--photo-ms", "1000",
                   "--transition-ms", "500", "--dissolve-only", "--no-zoom", "-p", profileFile.fileName(), "-o",
                   path("same"), "-q"});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const DecodedFile decoded = decodeFile(path("same/My Photo Movie.mp4"));
    QVERIFY(decoded.frameChecksums == m_uninterrupted);
}

// A saved album renders with its own settings, folder and name the frames
// the compile loop makes of the same album.
void TestCompile::albumFileMatchesLoop()
{
    QVERIFY(!m_uninterrupted.empty());
    const QString profileFile = writeTestProfileFile();
    QVERIFY(QFileInfo::exists(profileFile));

    AlbumContents album = albumContentsOf(m_album);
    album.output = {profileFile, QStringLiteral("general"), path(QStringLiteral("from-album")),
                    QStringLiteral("Saved Album")};
    const QString file = path(QStringLiteral("saved.reelwright"));
    QString error;
    QVERIFY2(AlbumFile::write(file, album, &error), qPrintable(error));

    QProcess process;
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"), {file, "-q"});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    const QString video = path(QStringLiteral("from-album/Saved Album.mp4"));
    QCOMPARE(QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed(), video);
    QVERIFY(decodeFile(video).frameChecksums == m_uninterrupted);

    // Options given win over what the album remembers (its profile is
    // unknown here).
    album.output.profileUrl = QStringLiteral("nosuchprofile");
    QVERIFY(AlbumFile::write(file, album, &error));
    process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"),
                  {file, "-q", "-o", path(QStringLiteral("overridden")), "-n", "Other", "-p", profileFile});
    QVERIFY(process.waitForFinished(120000));
    QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());
    QVERIFY(decodeFile(path(QStringLiteral("overridden/Other.mp4"))).frameChecksums == m_uninterrupted);
}

std::unique_ptr<QObject> makeCompileTests() { return std::make_unique<TestCompile>(); }

#include "tst_compile.moc"
