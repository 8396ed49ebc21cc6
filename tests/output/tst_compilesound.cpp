// The sound of compiled videos, decoded back from the written file: clips
// evened out in loudness, the album's fade to silence, and music whose gain
// stops short of clipping.

#include "wavfile.h"
#include "albumfile.h"
#include "audioreader.h"
#include "avwritermanager.h"
#include "compilearguments.h"
#include "imagereader.h"
#include "loudness.h"
#include "outputtests.h"
#include "storyboardrender.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <ebur128.h>

#include <cmath>
#include <functional>

namespace {

constexpr int Rate = 48000;

ZumProfileData soundProfile()
{
    ZumProfileData profile;
    profile.properties = {{"/ext_name", "mp4"}, {"/name", "Sound"}, {"vcodec", "mpeg4"}, {"b", "1000000"},
                          {"acodec", "aac"},    {"ab", "192000"},   {"ar", "48000"},     {"ac", "2"},
                          {"s", "160x90"},      {"r", "25"}};
    return profile;
}

QString writeWav(const QString& path, int frames, const std::function<double(int)>& value)
{
    return writeWav(path, Rate, 2, frames, [&value](int i) { return qint16(std::lround(value(i) * 32767.0)); });
}

double sine(double amplitude, int i) { return amplitude * std::sin(2.0 * M_PI * 1000.0 * i / Rate); }

// The whole sound of a file as interleaved stereo at 48 kHz.
QVector<qint16> decodedSound(const QString& path)
{
    AudioInfo wanted;
    wanted.channels = 2;
    wanted.sampleRate = Rate;
    wanted.bitsPerSample = 16;
    wanted.endTime = 3600.0;
    AudioReader reader;
    QVector<qint16> all;
    if (!reader.open(path, wanted))
        return all;
    reader.seek(0.0);
    SampleDecoding buffer;
    buffer.allocate(Rate * 4);
    while (!reader.endOfStream) {
        buffer.length = 0;
        reader.decodeAudio(buffer, Rate * 4 / 256);
        all.append(QVector<qint16>(buffer.samples, buffer.samples + buffer.length / 2));
    }
    return all;
}

// Integrated loudness of seconds [from, to) of interleaved stereo.
double lufs(const QVector<qint16>& sound, double from, double to)
{
    ebur128_state* meter = ebur128_init(2, Rate, EBUR128_MODE_I);
    const qint64 first = qint64(from * Rate), last = std::min<qint64>(qint64(to * Rate), sound.size() / 2);
    ebur128_add_frames_short(meter, sound.constData() + 2 * first, std::size_t(last - first));
    double value = 0.0;
    ebur128_loudness_global(meter, &value);
    ebur128_destroy(&meter);
    return value;
}

class CompileSoundTest : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<LoudnessStore> m_store;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Compiles `album` with soundProfile(); the sound of the file written.
    QVector<qint16> compile(StoryBoardData& album, const QString& name)
    {
        RenderParam param;
        renderParamsFromProfile(param, soundProfile());
        StoryBoardRender render;
        render.init(param);
        render.setStoryBoard(&album);
        render.setLoudnessStore(m_store.get());
        const QString file = path(name);
        AVWriterManager loop;
        if (!loop.begin(&render, file, compileArguments(soundProfile(), param, file))) {
            qWarning("%s", qPrintable(loop.failureReason()));
            return {};
        }
        // The compile gives every clip its gain from the first sample on;
        // the preview that follows on the same renderer does not wait.
        if (!render.waitForLoudness)
            return {};
        QSignalSpy ended(&loop, &AVWriterManager::compileEnd);
        loop.start();
        if (!ended.wait(60000) && ended.isEmpty())
            return {};
        if (!loop.finish()) {
            qWarning("%s", qPrintable(loop.failureReason()));
            return {};
        }
        if (render.waitForLoudness)
            return {};
        return decodedSound(file);
    }

    StoryBoardData album(double seconds)
    {
        StoryBoardData data;
        data.patternFiles.clear();
        ImageInfo photo;
        photo.filePath = path(QStringLiteral("photo.png"));
        data.photos = {photo};
        data.photoMs = int(seconds * 1000);
        data.photoSeconds = seconds;
        data.useZoom = false;
        return data;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
        QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
        QImage photo(160, 90, QImage::Format_RGB32);
        photo.fill(Qt::darkCyan);
        QVERIFY(photo.save(path(QStringLiteral("photo.png"))));
        m_store = std::make_unique<LoudnessStore>(path(QStringLiteral("cache")));
    }

    // Two songs 12 dB apart come out within 1 LU of each other, and the
    // end of the album falls smoothly to silence.
    void songsComeOutEvenAndFadeAway()
    {
        const QString loud = writeWav(path(QStringLiteral("loud.wav")), 4 * Rate, [](int i) { return sine(0.5, i); });
        const QString quiet =
            writeWav(path(QStringLiteral("quiet.wav")), 4 * Rate, [](int i) { return sine(0.125, i); });
        StoryBoardData data = album(8.0);
        data.evenLoudness = true;
        data.fadeMs = 2000;
        data.audios.clear();
        for (const QString& song : {loud, quiet}) {
            AudioInfo clip;
            clip.filePath = song;
            QVERIFY(AudioReader::parse(clip));
            data.audios << clip;
        }
        const QVector<qint16> sound = compile(data, QStringLiteral("even.mp4"));
        QVERIFY(sound.size() / 2 >= 8 * Rate - 2048);

        const double first = lufs(sound, 0.5, 3.5);
        const double second = lufs(sound, 4.5, 5.9);
        qInfo("loudness of the two songs: %.2f and %.2f LUFS (-6.0 and -18.1 going in)", first, second);
        QVERIFY2(std::abs(first - second) < 1.0, qPrintable(QStringLiteral("%1 / %2").arg(first).arg(second)));
        QVERIFY(std::abs(first - Loudness::TargetLufs) < 1.0);

        // RMS per 100 ms over the last 2 s: falling window by window, the
        // first near the level before the fade, the last near nothing.
        QVector<double> windows;
        const int window = Rate / 10;
        for (int w = 0; w < 20; ++w) {
            const int from = 6 * Rate + w * window;
            double sum = 0.0;
            for (int i = from; i < from + window && 2 * i < sound.size(); ++i)
                sum += double(sound[2 * i]) * sound[2 * i];
            windows << std::sqrt(sum / window) / 32767.0;
        }
        const double level = std::pow(10.0, Loudness::TargetLufs / 20.0) / std::sqrt(2.0);
        QVERIFY2(windows.first() > 0.9 * level && windows.first() <= 1.02 * level,
                 qPrintable(QString::number(windows.first())));
        for (int w = 1; w < windows.size(); ++w)
            QVERIFY2(windows[w] < windows[w - 1],
                     qPrintable(QStringLiteral("window %1: %2 after %3").arg(w).arg(windows[w]).arg(windows[w - 1])));
        QVERIFY2(windows.last() < 0.05 * level, qPrintable(QString::number(windows.last())));
    }

    // Music whose peaks stand far above its loudness is raised only as far
    // as they allow: nothing reaches full scale, no run of samples is cut
    // flat.
    void peaksNeverClip()
    {
        const QString spiky = writeWav(path(QStringLiteral("spiky.wav")), 4 * Rate,
                                       [](int i) { return sine(i % Rate < 96 ? 0.95 : 0.05, i); });
        StoryBoardData data = album(4.0);
        data.evenLoudness = true;
        AudioInfo clip;
        clip.filePath = spiky;
        QVERIFY(AudioReader::parse(clip));
        data.audios = {clip};
        const QVector<qint16> sound = compile(data, QStringLiteral("spiky.mp4"));
        QVERIFY(!sound.isEmpty());
        const auto measure = m_store->find(spiky);
        QVERIFY(measure && Loudness::TargetLufs - measure->integratedLufs > 6.0);

        int peak = 0, flat = 0, longestFlat = 0;
        for (int i = 0; i < sound.size(); i += 2) {
            const int value = std::abs(int(sound[i]));
            peak = std::max(peak, value);
            flat = value > 30000 && i >= 2 && sound[i] == sound[i - 2] ? flat + 1 : 0;
            longestFlat = std::max(longestFlat, flat);
        }
        QVERIFY2(peak < 32767, qPrintable(QString::number(peak)));
        QVERIFY2(peak > 0.8 * 32767, qPrintable(QString::number(peak)));
        QCOMPARE(longestFlat, 0);
    }

    // reelwright-render evens out and fades when told to on its command
    // line or by the album file, and otherwise leaves the sound alone.
    void commandLineShapesTheSound_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<bool>("albumFile");
        QTest::addColumn<bool>("shaped");
        QTest::newRow("flags") << QStringList{"--loudness", "--fade-ms", "1000"} << false << true;
        QTest::newRow("album file") << QStringList{} << true << true;
        QTest::newRow("neither") << QStringList{} << false << false;
    }

    void commandLineShapesTheSound()
    {
        QFETCH(QStringList, flags);
        QFETCH(bool, albumFile);
        QFETCH(bool, shaped);
        const QString song = path(QStringLiteral("cli.wav"));
        if (!QFile::exists(song))
            QVERIFY(!writeWav(song, 5 * Rate, [](int i) { return sine(0.5, i); }).isEmpty());
        QJsonObject properties;
        const ZumProfileData profile = soundProfile();
        for (auto it = profile.properties.cbegin(); it != profile.properties.cend(); ++it)
            properties.insert(it.key(), it.value().toString());
        QFile profileFile(path(QStringLiteral("sound-profile.json")));
        QVERIFY(profileFile.open(QIODevice::WriteOnly));
        profileFile.write(
            QJsonDocument(QJsonObject{{"name", "Sound"}, {"group", "general"}, {"properties", properties}}).toJson());
        profileFile.close();

        const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '-');
        QStringList arguments;
        if (albumFile) {
            AlbumContents album;
            ImageInfo photo;
            photo.filePath = path(QStringLiteral("photo.png"));
            QVERIFY(ImageReader::parse(photo));
            album.photos = {photo};
            album.photoMs = 3000;
            AudioInfo clip;
            clip.filePath = song;
            QVERIFY(AudioReader::parse(clip));
            album.clips = {clip};
            album.evenLoudness = true;
            album.fadeMs = 1000;
            const QString file = path(name + QStringLiteral(".reelwright"));
            QVERIFY(AlbumFile::write(file, album, nullptr));
            arguments << file;
        } else {
            arguments << path(QStringLiteral("photo.png")) << "-a" << song << "--photo-ms"
                      << "3000";
        }
        arguments << flags << "-p" << profileFile.fileName() << "-o" << path(QStringLiteral("cli")) << "-n" << name
                  << "-q";
        QProcess process;
        // The command line's measurements go to a cache of the test's own.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), path(QStringLiteral("cli-cache")));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright-render"), arguments);
        QVERIFY(process.waitForFinished(120000));
        QVERIFY2(process.exitCode() == 0, process.readAllStandardError().constData());

        const QVector<qint16> sound = decodedSound(path(QStringLiteral("cli/") + name + QStringLiteral(".mp4")));
        QVERIFY(sound.size() / 2 >= 3 * Rate - 2048);
        const auto level = [&](double from) {
            double sum = 0.0;
            const int first = int(from * Rate), count = Rate / 10;
            for (int i = first; i < first + count && 2 * i < sound.size(); ++i)
                sum += double(sound[2 * i]) * sound[2 * i];
            return std::sqrt(sum / count) * std::sqrt(2.0) / 32767.0;
        };
        const double middle = level(1.0);
        const double end = level(2.9);
        const double expected = shaped ? std::pow(10.0, Loudness::TargetLufs / 20.0) : 0.5;
        QVERIFY2(std::abs(middle / expected - 1.0) < 0.05, qPrintable(QString::number(middle)));
        QVERIFY2(shaped ? end < 0.1 * expected : std::abs(end / expected - 1.0) < 0.05,
                 qPrintable(QString::number(end)));
    }
};

} // namespace

std::unique_ptr<QObject> makeCompileSoundTests() { return std::make_unique<CompileSoundTest>(); }

#include "tst_compilesound.moc"
