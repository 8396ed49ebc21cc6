// From a profile to the encoder argument list, the output name and the
// output geometry.

#include "compilearguments.h"
#include "outputtests.h"
#include "zuprofilemanager.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

ZumProfileData profileOf(std::initializer_list<std::pair<const char*, QVariant>> properties, const QString& url = {})
{
    ZumProfileData profile;
    profile.url = url;
    for (const auto& [key, value] : properties)
        profile.properties.insert(QString::fromLatin1(key), value);
    return profile;
}

// The first shipped profile that satisfies `test`.
QString findProfile(const std::function<bool(const QString&)>& test)
{
    ZuProfileManager* manager = ZuProfileManager::instance();
    for (const QString& id : manager->profileIds())
        if (test(id))
            return id;
    return {};
}

} // namespace

class TestCompileArguments : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase();
    void fullList();
    void profilePart_data();
    void profilePart();
    void templateRules();
    void numberedNames();
    void framerate_data();
    void framerate();
    void renderParams_data();
    void renderParams();
};

void TestCompileArguments::initTestCase()
{
    QVERIFY(ZuProfileManager::instance()->loadTemplates(QStringLiteral(REELWRIGHT_APP_DIR "/profiles")));
}

void TestCompileArguments::fullList()
{
    const ZumProfileData profile = profileOf({{"/ext_name", "mp4"},
                                              {"vcodec", "mpeg4"},
                                              {"b", "800000"},
                                              {"acodec", "aac"},
                                              {"ab", "128000"},
                                              {"ar", "44100"},
                                              {"ac", "2"},
                                              {"qmin", "2"}});
    const QString file = m_dir.filePath(QStringLiteral("My Photo Movie.mp4"));
    const QStringList expected = {"-s",      "640x480", "-r",      "25",      "-ab",   "128000", "-ac",
                                  "2",       "-acodec", "aac",     "-ar",     "44100", "-b",     "800000",
                                  "-vcodec", "mpeg4",   "-aspect", "1.33333", "-y",    file};
    QCOMPARE(compileArguments(profile, renderParam(640, 480, 25, 44100, 2), file), expected);

    // A rate that is not whole, a QuickTime container, every hand-set quantiser removed.
    const ZumProfileData mov = profileOf({{"/ext_name", "qt"}, {"qscale", "3"}, {"qmax", "31"}, {"vcodec", "mpeg4"}});
    QCOMPARE(compileArguments(mov, renderParam(720, 576, 29.97, 48000, 2), "out.qt"),
             QStringList(
                 {"-s", "720x576", "-r", "29.97", "-f", "mov", "-vcodec", "mpeg4", "-aspect", "1.25", "-y", "out.qt"}));
}

void TestCompileArguments::profilePart_data()
{
    QTest::addColumn<ZumProfileData>("profile");
    QTest::addColumn<QStringList>("expected");
    const QStringList aspect = {"-aspect", "1.33333"};

    QTest::newRow("flag with 1") << profileOf({{"flag_deinterlace", "1"}}) << QStringList{"-deinterlace"} + aspect;
    QTest::newRow("flag with 0 is off") << profileOf({{"flag_deinterlace", "0"}}) << aspect;
    QTest::newRow("vbrquality with CBR") << profileOf({{"cbrorvbr", "CBR"}, {"vbrquality", "5"}})
                                         << QStringList{"-cbrorvbr", "CBR"} + aspect;
    QTest::newRow("vbrquality with VBR") << profileOf({{"cbrorvbr", "VBR"}, {"vbrquality", "5"}})
                                         << QStringList{"-cbrorvbr", "VBR", "-vbrquality", "5"} + aspect;
    QTest::newRow("auto, default, ignore_me")
        << profileOf({{"b", "Auto (256 kbps)"}, {"ab", "Default"}, {"g", "12 ignore_me"}, {"r", "25"}})
        << QStringList{"-r", "25"} + aspect;
    QTest::newRow("metadata") << profileOf({{"title", "Holiday"}, {"year", "2026"}})
                              << QStringList{"-metadata", "title=Holiday", "-metadata", "year=2026"} + aspect;
    // Texts "true" and "false" are switches only where the item catalogue says so.
    QTest::newRow("booleans")
        << profileOf({{"an", "TRUE"}, {"bitexact", true}, {"intra", "false"}, {"sameq", false}, {"vtag", "true"}})
        << QStringList{"-an", "-bitexact", "-vtag", "true"} + aspect;
    QTest::newRow("system keys and internal keys") << profileOf({{"t", "10"},
                                                                 {"ss", "3"},
                                                                 {"s", "320x240"},
                                                                 {"pass", "1"},
                                                                 {"/name", "x"},
                                                                 {"a,b", "1"},
                                                                 {"", "1"},
                                                                 {"invalid", QVariant()}})
                                                   << aspect;
    QTest::newRow("own aspect kept") << profileOf({{"aspect", "16:9"}}) << QStringList{"-aspect", "16:9"};
    QTest::newRow("wmv maps both streams") << profileOf({{"/ext_name", "WMV"}, {"vcodec", "wmv2"}})
                                           << QStringList{"-vcodec", "wmv2", "-map", "0:0", "-map", "0:1"} + aspect;
}

void TestCompileArguments::profilePart()
{
    QFETCH(ZumProfileData, profile);
    QFETCH(QStringList, expected);
    QCOMPARE(profileArguments(profile, renderParam(640, 480, 25, 48000, 2)), expected);
}

// Rules that depend on what the template says: the type that adds a bit rate
// tolerance and the container a template forces.
void TestCompileArguments::templateRules()
{
    ZuProfileManager* manager = ZuProfileManager::instance();
    const QString typeThree = findProfile([&](const QString& id) { return manager->profileType(id) == 3; });
    QVERIFY2(!typeThree.isEmpty(), "a shipped profile of type 3");
    ZumProfileData profile = profileOf({{"r", "25"}}, typeThree);
    QCOMPARE(profileArguments(profile, renderParam(640, 480, 25, 48000, 2)).mid(0, 4),
             QStringList({"-r", "25", "-bt", "8.00K"}));
    profile.properties[QStringLiteral("r")] = QStringLiteral("29.97 fps");
    QCOMPARE(profileArguments(profile, renderParam(640, 480, 25, 48000, 2)).mid(2, 2), QStringList({"-bt", "6.67K"}));

    const QString forced = findProfile([&](const QString& id) {
        ZumProfileData p;
        p.url = id;
        const QString tag = manager->templateTagValue(id, QStringLiteral("ext_format"));
        return manager->getPresetData(p) && !tag.isEmpty() && tag != profileExtension(p);
    });
    QVERIFY2(!forced.isEmpty(), "a shipped profile forcing its container");
    ZumProfileData psp;
    psp.url = forced;
    QVERIFY(manager->getPresetData(psp));
    const QStringList list = profileArguments(psp, renderParam(320, 240, 25, 48000, 2));
    const int at = list.lastIndexOf(QStringLiteral("-f"));
    QVERIFY(at >= 0);
    QCOMPARE(list.at(at + 1), manager->templateTagValue(forced, QStringLiteral("ext_format")));
}

void TestCompileArguments::numberedNames()
{
    QTemporaryDir dir;
    const QString base = QStringLiteral("My Photo Movie");
    QCOMPARE(uniqueOutputFile(dir.path(), base, "mp4"), dir.filePath(base + ".mp4"));
    for (const char* taken : {"My Photo Movie.mp4", "My Photo Movie(1).mp4", "My Photo Movie(3).mp4"}) {
        QFile file(dir.filePath(QString::fromLatin1(taken)));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(uniqueOutputFile(dir.path(), base, "mp4"), dir.filePath(base + "(2).mp4"));
    QCOMPARE(uniqueOutputFile(dir.path(), base, "avi"), dir.filePath(base + ".avi"));
}

void TestCompileArguments::framerate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("rate");
    QTest::newRow("whole") << "25" << 25.0;
    QTest::newRow("fps suffix") << "29.97 fps" << 29.97;
    QTest::newRow("FPS glued") << "50FPS" << 50.0;
    QTest::newRow("fraction") << "30000/1001" << 30000.0 / 1001.0;
    QTest::newRow("zero denominator") << "24/0" << 0.0;
    QTest::newRow("three parts") << "1/2/3" << 0.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("only fps") << "fps" << 0.0;
    QTest::newRow("words") << "Auto" << 0.0;
}

void TestCompileArguments::framerate()
{
    QFETCH(QString, text);
    QFETCH(double, rate);
    QVERIFY2(std::abs(framerateFromString(text) - rate) < 1e-4, qPrintable(QString::number(framerateFromString(text))));
}

void TestCompileArguments::renderParams_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QString>("channels");
    QTest::addColumn<QString>("sampleRate");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<double>("frameRate");
    QTest::addColumn<int>("outChannels");
    QTest::addColumn<int>("outSampleRate");
    // The parameters start as 320 x 200, 10 fps, 1 channel, 8000 Hz.
    QTest::newRow("plain") << "720x576"
                           << "25"
                           << "2"
                           << "44100" << QSize(720, 576) << 25.0 << 2 << 44100;
    QTest::newRow("rounded down") << "722x577"
                                  << "29.97fps"
                                  << "6"
                                  << "48000" << QSize(720, 576) << 29.97 << 6 << 48000;
    QTest::newRow("capital X and suffix") << "1280X720p"
                                          << "Auto"
                                          << "auto"
                                          << "Auto" << QSize(1280, 720) << 10.0 << 1 << 8000;
    QTest::newRow("auto size") << "Auto"
                               << "0"
                               << "-2"
                               << "" << QSize(640, 480) << 10.0 << 1 << 8000;
    QTest::newRow("one number") << "800"
                                << "30000/1001"
                                << "x"
                                << "22050" << QSize(640, 480) << 30000.0 / 1001.0 << 1 << 22050;
}

void TestCompileArguments::renderParams()
{
    QFETCH(QString, size);
    QFETCH(QString, rate);
    QFETCH(QString, channels);
    QFETCH(QString, sampleRate);
    QFETCH(QSize, frame);
    QFETCH(double, frameRate);
    RenderParam param = renderParam(320, 200, 10, 8000, 1);
    renderParamsFromProfile(param, profileOf({{"s", size}, {"r", rate}, {"ac", channels}, {"ar", sampleRate}}));
    QCOMPARE(QSize(param.width, param.height), frame);
    QVERIFY(std::abs(param.frameRate - frameRate) < 1e-6);
    QTEST(int(param.channels), "outChannels");
    QTEST(int(param.sampleRate), "outSampleRate");
    QCOMPARE(param.aspectRatio, double(frame.width()) / frame.height());
}

std::unique_ptr<QObject> makeCompileArgumentTests() { return std::make_unique<TestCompileArguments>(); }

#include "tst_compilearguments.moc"
