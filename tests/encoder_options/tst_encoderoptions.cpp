// The encoder option layer: table, parser, setters and output set-up.

#include "encoderoptions.h"
#include "outputsetup.h"
#include "samplemedia.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtConcurrent/QtConcurrentRun>

#include <cstring>
#include <fstream>

extern "C" {
#include <libavutil/opt.h>
}

Q_DECLARE_METATYPE(std::string)

namespace {

struct Args {
    std::vector<QByteArray> items;
    std::vector<const char*> argv;
    explicit Args(const QStringList& list)
    {
        items.emplace_back("Faked");
        for (const QString& s : list)
            items.push_back(s.toUtf8());
        for (const QByteArray& item : items)
            argv.push_back(item.constData());
    }
    int argc() const { return int(argv.size()); }
};

FormatContextResult run(const QStringList& list)
{
    Args args(list);
    return av_get_format_context(args.argc(), args.argv.data());
}

OptionOutcome parseOnly(const QStringList& list)
{
    reset_option_state();
    Args args(list);
    return parse_options(args.argc(), args.argv.data(), options);
}

template <typename T>
T stateValue(T (*read)(const OptionState&))
{
    T value{};
    inspectOptionState([&](const OptionState& s) { value = read(s); });
    return value;
}

const OutputStreamSetup* streamOf(const FormatContextResult& r, AVMediaType type)
{
    if (!r.output)
        return nullptr;
    for (const OutputStreamSetup& s : r.output->streams)
        if (s.codec && s.codec->codec_type == type)
            return &s;
    return nullptr;
}

QString mediaFile(const char* name) { return sampleMediaFile(QString::fromLatin1(name)); }

} // namespace

class TestEncoderOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void tableRowsInOrder();
    void tableRows_data();
    void tableRows();
    void errorsAreResults_data();
    void errorsAreResults();
    void informationalStops_data();
    void informationalStops();
    void storageByFlagKind();
    void doubleDashEndsOptions();
    void unknownOptionsAreCollected();
    void customOptionLimit();
    void padColor_data();
    void padColor();
    void volumeSize_data();
    void volumeSize();
    void splitOutputName();
    void watermarkAlign_data();
    void watermarkAlign();
    void dpgType_data();
    void dpgType();
    void timeSpans();
    void cropReducesFrame();
    void vtagPacking_data();
    void vtagPacking();
    void dvdTarget();
    void ntscVcdTarget();
    void frameRateSnapping_data();
    void frameRateSnapping();
    void encoderNames_data();
    void encoderNames();
    void genericOptionsReachTheirGroup();
    void defaultThreadsAreAutomatic();
    void outputNeedsNoStreamsItCannotFeed();
    void twoRunsTwoContexts();
    void overwrite();
    void ifoLimit();
    void inputRecordsGeometry();
    void bzpCompanion();
    void printError_data();
    void printError();
    void concurrentRunsAreSerialized();
    void helpAndFormats();
};

void TestEncoderOptions::tableRowsInOrder()
{
    const char* expected =
        "L h version formats f i y map map_meta_data t fs ss itsoffset title timestamp metadata benchmark dump hex "
        "re loop_input loop_output v target threads vsync async vglobal copyts shortest dts_delta_threshold "
        "vframes dframes r s aspect pix_fmt croptop cropbottom cropleft cropright padtop padbottom padleft "
        "padright padcolor intra vn vdt qscale qdiff rc_eq rc_override vcodec me_threshold strict sameq pass "
        "passlogfile deinterlace psnr vstats vstats_file vhook intra_matrix inter_matrix top dc vtag newvideo "
        "qphist aframes aq ar ac an acodec atag vol newaudio alang scodec newsubtitle slang vc tvstd isync "
        "muxdelay muxpreload absf vbsf default id3v1 id3v2 zoom vs spnum spp nb_ts ifo wmf mts wmalign wmx wmy "
        "wmt wmtr wmtg wmtb wma wmav vf brightness contrast saturation type effectarray effectcount web_flash "
        "dpg_type repeat testyuvfile maxyuvnumber id3image";
    QStringList names;
    int rows = 0;
    for (const OptionEntry* po = options; po->name; ++po, ++rows)
        names << QString::fromLatin1(po->name);
    QCOMPARE(rows, 124);
    QCOMPARE(names.join(' '), QString::fromLatin1(expected));
    // Every row targets exactly what its flags say.
    for (const OptionEntry* po = options; po->name; ++po) {
        const bool stores = po->flags & (OPT_STRING | OPT_BOOL | OPT_INT | OPT_INT64 | OPT_FLOAT);
        QVERIFY2(stores == (po->variable != nullptr), po->name);
        QVERIFY2(bool(po->flags & OPT_FUNC2) == (po->handler2 != nullptr), po->name);
        QVERIFY2((!stores && !(po->flags & OPT_FUNC2)) == (po->handler != nullptr), po->name);
    }
}

void TestEncoderOptions::tableRows_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<QString>("help");
    QTest::addColumn<QString>("argname");
    QTest::newRow("f") << "f" << 0x001u << "force format"
                       << "fmt";
    QTest::newRow("y") << "y" << 0x002u << "overwrite output files" << QString();
    QTest::newRow("map") << "map" << 0x005u << "set input stream mapping"
                         << "file:stream[:syncfile:syncstream]";
    QTest::newRow("metadata") << "metadata" << 0x401u << "add metadata"
                              << "string=string";
    QTest::newRow("r") << "r" << 0x011u << "set frame rate (Hz value, fraction or abbreviation)"
                       << "rate";
    QTest::newRow("acodec") << "acodec" << 0x021u << "force audio codec ('copy' to copy stream)"
                            << "codec";
    QTest::newRow("default") << "default" << 0x435u << "generic catch all option"
                             << "";
    QTest::newRow("fs") << "fs" << 0x801u << "set the limit file size in bytes"
                        << "limit_size";
    QTest::newRow("aq") << "aq" << 0x121u << "set audio quality (codec-specific)"
                        << "quality";
    QTest::newRow("slang") << "slang" << 0x209u
                           << "set the ISO 639 language code (3 letters) of the current subtitle stream"
                           << "code";
    QTest::newRow("isync") << "isync" << 0x046u << "sync read on input"
                           << "";
    QTest::newRow("muxpreload") << "muxpreload" << 0x105u << "set the initial demux-decode delay"
                                << "seconds";
    QTest::newRow("nb_ts") << "nb_ts" << 0x005u << "set the number of timespan"
                           << "number";
    QTest::newRow("ifo") << "ifo" << 0x001u << "input several file name to one output" << QString();
    QTest::newRow("mts") << "mts" << 0x016u << "mark wartermark to source" << QString();
    QTest::newRow("wmav") << "wmav" << 0x011u << "wartermak transparent blue value"
                          << "wartermak transparent blue value";
    QTest::newRow("spnum") << "spnum" << 0x001u << "set split number"
                           << "split number ";
    QTest::newRow("dpg_type") << "dpg_type" << 0x011u << "set dpg type (0:dpg,1:dpg1,2:dpg2,3:dpg3)"
                              << "dpg_type";
    QTest::newRow("web_flash") << "web_flash" << 0x002u << "create a flv or swf with web player" << QString();
    QTest::newRow("id3image") << "id3image" << 0x001u << "add id3 image"
                              << "id3image";
}

void TestEncoderOptions::tableRows()
{
    QFETCH(QString, name);
    QFETCH(uint, flags);
    QFETCH(QString, help);
    QFETCH(QString, argname);
    const OptionEntry* po = findOption(options, name.toLatin1().constData());
    QVERIFY(po);
    QCOMPARE(po->flags, flags);
    QCOMPARE(QString::fromLatin1(po->help), help);
    QCOMPARE(po->argname ? QString::fromLatin1(po->argname) : QString(), argname);
}

void TestEncoderOptions::errorsAreResults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString out = path("out.avi");
    QTest::newRow("missing argument") << QStringList{"-y", "-s"} << "Faked: missing argument for option '-s'\n";
    QTest::newRow("unknown option without value")
        << QStringList{"-foo"} << "Faked: missing argument for option '-foo'\n";
    QTest::newRow("frame size") << QStringList{"-s", "abc"} << "Incorrect frame size\n";
    QTest::newRow("odd frame size") << QStringList{"-s", "641x480"} << "Frame size must be a multiple of 2\n";
    QTest::newRow("negative top crop") << QStringList{"-croptop", "-2"} << "Incorrect top crop size\n";
    QTest::newRow("odd left crop") << QStringList{"-cropleft", "3"} << "Left crop size must be a multiple of 2\n";
    QTest::newRow("crop too high")
        << QStringList{"-s", "320x240", "-cropbottom", "240"}
        << "Vertical crop dimensions are outside the range of the original image.\nRemember to crop first and scale "
           "second.\n";
    QTest::newRow("crop too wide")
        << QStringList{"-s", "320x240", "-cropright", "320"}
        << "Horizontal crop dimensions are outside the range of the original image.\nRemember to crop first and "
           "scale second.\n";
    QTest::newRow("negative bottom pad") << QStringList{"-padbottom", "-2"} << "Incorrect bottom pad size\n";
    QTest::newRow("odd right pad") << QStringList{"-padright", "3"} << "Right pad size must be a multiple of 2\n";
    QTest::newRow("aspect zero") << QStringList{"-aspect", "0:3"} << "Incorrect aspect ratio.\n";
    QTest::newRow("aspect text") << QStringList{"-aspect", "wide"} << "Incorrect aspect ratio.\n";
    QTest::newRow("frame rate") << QStringList{"-r", "fast"} << "Incorrect frame rate\n";
    QTest::newRow("unknown codec") << QStringList{"-vcodec", "nosuch"} << "Unknown codec 'nosuch'\n";
    QTest::newRow("codec of other type") << QStringList{"-acodec", "mpeg4"} << "Unknown codec 'mpeg4'\n";
    QTest::newRow("qscale 0") << QStringList{"-qscale", "0"} << "qscale must be > 0.0 and <= 255\n";
    QTest::newRow("qscale 256") << QStringList{"-qscale", "256"} << "qscale must be > 0.0 and <= 255\n";
    QTest::newRow("qdiff 32") << QStringList{"-qdiff", "32"} << "qdiff must be >= 1 and <= 31\n";
    QTest::newRow("qdiff -1") << QStringList{"-qdiff", "-1"} << "qdiff must be >= 1 and <= 31\n";
    QTest::newRow("pass 3") << QStringList{"-pass", "3"} << "pass number can be only 1 or 2\n";
    QTest::newRow("short matrix") << QStringList{"-intra_matrix", "1,2,3"}
                                  << "Syntax error in matrix \"1,2,3\" at coeff 2\n";
    QTest::newRow("vhook") << QStringList{"-vhook", "watermark.so?x"}
                           << "Failed to add video hook function: watermark.so?x\n";
    QTest::newRow("bitstream filter") << QStringList{"-vbsf", "nosuch"} << "Unknown bitstream filter nosuch\n";
    QTest::newRow("metadata without =") << QStringList{"-metadata", "title"} << "Missing =\n";
    QTest::newRow("new stream without output")
        << QStringList{"-newvideo"} << "At least one output file must be specified\n";
    QTest::newRow("unknown extension")
        << QStringList{"-y", path("clip.unknownext")}
        << QString("Unable to find a suitable output format for '%1'\n").arg(path("clip.unknownext"));
    QTest::newRow("unknown target") << QStringList{"-target", "laserdisc"} << "Unknown target: laserdisc\n";
    QTest::newRow("unknown format") << QStringList{"-f", "nosuchfmt"} << "Unknown input or output format: nosuchfmt\n";
    QTest::newRow("missing input") << QStringList{"-i", path("none.avi")}
                                   << QString("%1: no such file or directory\n").arg(path("none.avi"));
    QTest::newRow("invalid generic value")
        << QStringList{"-g", "many", "-y", out} << "Invalid value 'many' for option 'g'\n";
    QTest::newRow("bad duration") << QStringList{"-ss", "soon"} << "Invalid duration for ss: soon\n";
    QTest::newRow("bad rc_override") << QStringList{"-rc_override", "1,2", "-vcodec", "mpeg4", "-y", out}
                                     << "error parsing rc_override\n";
}

void TestEncoderOptions::errorsAreResults()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const FormatContextResult r = run(args);
    QCOMPARE(r.outcome.status, OptionStatus::Error);
    QCOMPARE(r.outcome.exitStatus, 1);
    QCOMPARE(QString::fromStdString(r.outcome.message), message);
    QVERIFY(!r.output);
}

void TestEncoderOptions::informationalStops_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitStatus");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("listed");
    QTest::newRow("version") << QStringList{"-version", "-y", path("v.avi")} << 1
                             << "zirc      SVN-rUNKNOWN\nlibavutil   1000901\nlibavcodec  1000903\nlibavformat "
                                "1000901\n"
                             << QString();
    QTest::newRow("L") << QStringList{"-L"} << 1 << QString() << QString();
    QTest::newRow("pix_fmt list") << QStringList{"-pix_fmt", "list"} << 0 << QString() << "yuv420p";
}

void TestEncoderOptions::informationalStops()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitStatus);
    QFETCH(QString, message);
    QFETCH(QString, listed);
    const FormatContextResult r = run(args);
    QCOMPARE(r.outcome.status, OptionStatus::Stop);
    QCOMPARE(r.outcome.exitStatus, exitStatus);
    QCOMPARE(QString::fromStdString(r.outcome.message), message);
    QVERIFY(!r.output);
    if (!listed.isEmpty())
        QVERIFY(QString::fromStdString(r.standardOutput).split('\n').contains(listed));
    QVERIFY(!QFile::exists(path("v.avi")));
}

void TestEncoderOptions::storageByFlagKind()
{
    const OptionOutcome outcome =
        parseOnly({"-y",  "-fs",          "123456789012", "-title",   "Holiday", "-loop_output", "3",   "-aq",
                   "2.5", "-muxdelay",    "0.25",         "-vframes", "7",       "-aframes",     "9",   "-dframes",
                   "4",   "-passlogfile", "p.log",        "-an",      "-vn",     "-vol",         "512", "-alang",
                   "eng", "-id3v2",       "-mts"});
    QVERIFY(outcome.ok());
    inspectOptionState([](const OptionState& s) {
        QCOMPARE(s.file_overwrite, 1);
        QCOMPARE(s.limit_filesize, int64_t(123456789012LL));
        QCOMPARE(s.str_title.value_or(""), std::string("Holiday"));
        QCOMPARE(s.loop_output, 3);
        QCOMPARE(s.audio_qscale, 2.5f);
        QCOMPARE(s.mux_max_delay, 0.25f);
        QCOMPARE(s.max_frames[AVMEDIA_TYPE_VIDEO], 7);
        QCOMPARE(s.max_frames[AVMEDIA_TYPE_AUDIO], 9);
        QCOMPARE(s.max_frames[AVMEDIA_TYPE_DATA], 4);
        QCOMPARE(s.max_frames[AVMEDIA_TYPE_SUBTITLE], INT_MAX);
        QCOMPARE(s.pass_logfilename.value_or(""), std::string("p.log"));
        QCOMPARE(s.audio_disable, 1);
        QCOMPARE(s.video_disable, 1);
        QCOMPARE(s.audio_volume, 512);
        QCOMPARE(s.audio_language.value_or(""), std::string("eng"));
        QCOMPARE(s.write_id3v2, 1);
        QCOMPARE(s.wm_mark_to_src, 1);
    });
    // A reset brings back every start value.
    reset_option_state();
    inspectOptionState([](const OptionState& s) {
        QCOMPARE(s.file_overwrite, 0);
        QCOMPARE(s.audio_sample_rate, 44100);
        QCOMPARE(s.audio_channels, 1);
        QCOMPARE(s.audio_qscale, float(AudioQscaleUnset));
        QCOMPARE(s.video_qdiff, 3);
        QCOMPARE(s.video_rc_eq, std::string("tex^qComp"));
        QCOMPARE(s.frame_rate_output.num, 25);
        QCOMPARE(s.frame_rate_output.den, 1);
        QCOMPARE(s.frame_pix_fmt, -1);
        QCOMPARE(s.padcolor[0], 16);
        QCOMPARE(s.max_frames[AVMEDIA_TYPE_VIDEO], INT_MAX);
        QCOMPARE(s.loop_output, -1);
        QCOMPARE(s.top_field_first, -1);
        QCOMPARE(s.dts_delta_threshold, 10);
        QCOMPARE(s.sws_flags, 4);
        QCOMPARE(s.mux_preload, 0.5f);
        QCOMPARE(s.dpg_type_flag, -1);
        QCOMPARE(s.max_yuv_output_frame_number, 30);
        QCOMPARE(s.wm_alpha_val, 50);
        QCOMPARE(s.wm_align_var, 5);
        QCOMPARE(s.current_timespan[0], -1);
        QCOMPARE(s.current_timespan[199], -1);
        QCOMPARE(s.nb_timespan[0], 1);
        QVERIFY(!s.str_title);
        QVERIFY(s.custom_options.empty());
    });
}

void TestEncoderOptions::doubleDashEndsOptions()
{
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir.path()));
    const FormatContextResult r = run({"-y", "-s", "160x120", "--", "-clip.avi"});
    QDir::setCurrent(previous);
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QVERIFY(r.output);
    QCOMPARE(QString::fromUtf8(r.output->context->url), QString("-clip.avi"));
    QVERIFY(QFile::exists(path("-clip.avi")));
    // A lone "-" is a name too: the standard output.
    const FormatContextResult piped = run({"-f", "avi", "-y", "-"});
    QVERIFY(piped.output);
    QCOMPARE(QString::fromUtf8(piped.output->context->url), QString("pipe:"));
}

void TestEncoderOptions::unknownOptionsAreCollected()
{
    const FormatContextResult r =
        run({"-foo", "7", "-crf", "20", "-vcodec", "libx264", "-s", "160x120", "-y", path("custom.mkv")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QVERIFY(r.output);
    const auto& custom = r.output->customOptions;
    QVERIFY(std::find(custom.begin(), custom.end(), std::make_pair(std::string("foo"), std::string("7"))) !=
            custom.end());
    QVERIFY(std::find(custom.begin(), custom.end(), std::make_pair(std::string("crf"), std::string("20"))) !=
            custom.end());
    // Parsing went on after them.
    QCOMPARE(streamOf(r, AVMEDIA_TYPE_VIDEO)->codec->width, 160);
}

void TestEncoderOptions::customOptionLimit()
{
    QStringList args;
    for (int i = 0; i < MaxCustomOptions; ++i)
        args << QString("-foo%1").arg(i) << "1";
    OptionOutcome outcome = parseOnly(args);
    QVERIFY(outcome.ok());
    QCOMPARE(stateValue<int>([](const OptionState& s) { return int(s.custom_options.size()); }), MaxCustomOptions);

    args << "-foo2300"
         << "1";
    outcome = parseOnly(args);
    QCOMPARE(outcome.status, OptionStatus::Error);
    QCOMPARE(QString::fromStdString(outcome.message), QString("Faked: unrecognized option '-foo2300'\n"));
    QCOMPARE(stateValue<int>([](const OptionState& s) { return int(s.custom_options.size()); }), MaxCustomOptions);
}

void TestEncoderOptions::padColor_data()
{
    QTest::addColumn<QString>("color");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("v");
    QTest::newRow("white") << "FFFFFF" << 255 << 128 << 128;
    QTest::newRow("black") << "000000" << 0 << 128 << 128;
    QTest::newRow("red") << "FF0000" << 76 << 85 << 255;
    QTest::newRow("blue") << "0000ff" << 29 << 255 << 107;
}

void TestEncoderOptions::padColor()
{
    QFETCH(QString, color);
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QVERIFY(parseOnly({"-padcolor", color}).ok());
    inspectOptionState([&](const OptionState& s) {
        QCOMPARE(s.padcolor[0], y);
        QCOMPARE(s.padcolor[1], u);
        QCOMPARE(s.padcolor[2], v);
    });
}

void TestEncoderOptions::volumeSize_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("type");
    QTest::newRow("700MB") << "700MB" << qint64(734003200) << 0;
    QTest::newRow("1GB") << "1GB" << qint64(1073741824) << 0;
    QTest::newRow("2tb") << "2tb" << qint64(2147483648LL) << 0;
    QTest::newRow("512Kb") << "512Kb" << qint64(524288) << 0;
    QTest::newRow("100b") << "100b" << qint64(100) << 0;
    QTest::newRow("00:10:00") << "00:10:00" << qint64(600000000) << 1;
    QTest::newRow("90 seconds") << "90" << qint64(90000000) << 1;
}

void TestEncoderOptions::volumeSize()
{
    QFETCH(QString, arg);
    QFETCH(qint64, size);
    QFETCH(int, type);
    QVERIFY(parseOnly({"-vs", arg}).ok());
    inspectOptionState([&](const OptionState& s) {
        QCOMPARE(qint64(s.volume_size), size);
        QCOMPARE(s.volume_type, type);
        QCOMPARE(s.g_bSplit, 1);
    });
}

void TestEncoderOptions::splitOutputName()
{
    const FormatContextResult r = run({"-vs", "700MB", "-s", "160x120", "-y", path("movie.avi")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QCOMPARE(QString::fromUtf8(r.output->context->url), path("movie-00.avi"));
    // The next run starts afresh and does not reuse the first run's base name.
    const FormatContextResult second = run({"-vs", "700MB", "-s", "160x120", "-y", path("other.avi")});
    QCOMPARE(QString::fromUtf8(second.output->context->url), path("other-00.avi"));
    const FormatContextResult plain = run({"-s", "160x120", "-y", path("plain.avi")});
    QCOMPARE(QString::fromUtf8(plain.output->context->url), path("plain.avi"));
}

void TestEncoderOptions::watermarkAlign_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("index");
    QTest::newRow("mid") << QStringList{"-wmalign", "wm_align_mid"} << 8;
    QTest::newRow("top left") << QStringList{"-wmalign", "wm_align_topleft"} << 0;
    QTest::newRow("unknown keeps start") << QStringList{"-wmalign", "center"} << 5;
    QTest::newRow("unknown keeps previous") << QStringList{"-wmalign", "wm_align_leftmid", "-wmalign", "x"} << 7;
}

void TestEncoderOptions::watermarkAlign()
{
    QFETCH(QStringList, args);
    QFETCH(int, index);
    QVERIFY(parseOnly(args).ok());
    QCOMPARE(stateValue<int>([](const OptionState& s) { return s.wm_align_var; }), index);
}

void TestEncoderOptions::dpgType_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<int>("stored");
    QTest::newRow("0") << "0" << 0;
    QTest::newRow("1 becomes 0") << "1" << 0;
    QTest::newRow("2") << "2" << 2;
    QTest::newRow("3") << "3" << 3;
    QTest::newRow("4") << "4" << 4;
    QTest::newRow("5 becomes 0") << "5" << 0;
    QTest::newRow("-1 becomes 0") << "-1" << 0;
}

void TestEncoderOptions::dpgType()
{
    QFETCH(QString, arg);
    QFETCH(int, stored);
    QVERIFY(parseOnly({"-dpg_type", arg}).ok());
    QCOMPARE(stateValue<int>([](const OptionState& s) { return s.dpg_type_flag; }), stored);
}

void TestEncoderOptions::timeSpans()
{
    QVERIFY(parseOnly({"-nb_ts", "2", "-ss", "1", "-t", "2", "-ss", "5", "-t", "00:00:03.5", "-ss", "9"}).ok());
    inspectOptionState([](const OptionState& s) {
        QCOMPARE(s.time_spans[0].size(), std::size_t(2));
        QCOMPARE(s.time_spans[0][0].start, int64_t(1000000));
        QCOMPARE(s.time_spans[0][0].duration, int64_t(2000000));
        QCOMPARE(s.time_spans[0][1].start, int64_t(5000000));
        QCOMPARE(s.time_spans[0][1].duration, int64_t(3500000));
        QCOMPARE(s.start_time[0], int64_t(1000000));
        QCOMPARE(s.recording_time[0], int64_t(2000000));
        QCOMPARE(s.current_timespan[0], 2);
    });
    // Without spans, "-ss" and "-t" are the slot's window.
    QVERIFY(parseOnly({"-t", "4", "-ss", "1.5"}).ok());
    inspectOptionState([](const OptionState& s) {
        QCOMPARE(s.start_time[0], int64_t(1500000));
        QCOMPARE(s.recording_time[0], int64_t(4000000));
    });
}

void TestEncoderOptions::cropReducesFrame()
{
    QVERIFY(
        parseOnly({"-s", "320x240", "-croptop", "10", "-cropbottom", "20", "-cropleft", "30", "-padright", "8"}).ok());
    inspectOptionState([](const OptionState& s) {
        QCOMPARE(s.frame_height[0], 210);
        QCOMPARE(s.frame_width[0], 290);
        QCOMPARE(s.frame_padright[0], 8);
    });
}

void TestEncoderOptions::vtagPacking_data()
{
    QTest::addColumn<QString>("arg");
    QTest::addColumn<int>("tag");
    QTest::newRow("fourcc") << "XVID" << int('X' | ('V' << 8) | ('I' << 16) | ('D' << 24));
    QTest::newRow("hex number") << "0x31637661" << 0x31637661;
    QTest::newRow("short fourcc") << "DX" << int('D' | ('X' << 8));
}

void TestEncoderOptions::vtagPacking()
{
    QFETCH(QString, arg);
    QFETCH(int, tag);
    QVERIFY(parseOnly({"-vtag", arg}).ok());
    QCOMPARE(stateValue<int>([](const OptionState& s) { return s.video_codec_tag; }), tag);
}

void TestEncoderOptions::dvdTarget()
{
    const FormatContextResult r = run({"-target", "pal-dvd", "-y", path("disc.mpg")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QCOMPARE(QString::fromLatin1(r.output->context->oformat->name), QString("dvd"));
    QCOMPARE(r.output->context->packet_size, 2048u);
    const OutputStreamSetup* video = streamOf(r, AVMEDIA_TYPE_VIDEO);
    const OutputStreamSetup* audio = streamOf(r, AVMEDIA_TYPE_AUDIO);
    QVERIFY(video && audio);
    QCOMPARE(QString::fromLatin1(video->encoder->name), QString("mpeg2video"));
    QCOMPARE(video->codec->width, 720);
    QCOMPARE(video->codec->height, 576);
    QCOMPARE(video->codec->time_base.num, 1);
    QCOMPARE(video->codec->time_base.den, 25);
    QCOMPARE(video->codec->bit_rate, int64_t(6000000));
    QCOMPARE(video->codec->rc_max_rate, int64_t(9000000));
    QCOMPARE(video->codec->rc_buffer_size, 1835008);
    QCOMPARE(video->codec->gop_size, 15);
    QCOMPARE(QString::fromLatin1(audio->encoder->name), QString("ac3"));
    QCOMPARE(audio->codec->bit_rate, int64_t(448000));
    QCOMPARE(audio->codec->sample_rate, 48000);
    const auto& custom = r.output->customOptions;
    QVERIFY(std::find(custom.begin(), custom.end(), std::make_pair(std::string("muxrate"), std::string("10080000"))) !=
            custom.end());
}

void TestEncoderOptions::ntscVcdTarget()
{
    const FormatContextResult r = run({"-target", "ntsc-vcd", "-y", path("disc.vcd.mpg")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    const OutputStreamSetup* video = streamOf(r, AVMEDIA_TYPE_VIDEO);
    const OutputStreamSetup* audio = streamOf(r, AVMEDIA_TYPE_AUDIO);
    QCOMPARE(video->codec->width, 352);
    QCOMPARE(video->codec->height, 240);
    QCOMPARE(video->codec->time_base.num, 1001);
    QCOMPARE(video->codec->time_base.den, 30000);
    QCOMPARE(video->codec->gop_size, 18);
    QCOMPARE(audio->codec->ch_layout.nb_channels, 2);
    QCOMPARE(audio->codec->bit_rate, int64_t(224000));
    // The VCD start-up delay reaches the muxer.
    int64_t preload = 0;
    QVERIFY(av_opt_get_int(r.output->context->priv_data, "preload", 0, &preload) >= 0);
    QCOMPARE(preload, int64_t(440000));
}

void TestEncoderOptions::frameRateSnapping_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("den");
    QTest::newRow("mpeg1 29.98 -> 30000/1001") << "mpeg1video"
                                               << "29.98" << 1001 << 30000;
    QTest::newRow("mpeg2 26 -> 25") << "mpeg2video"
                                    << "26" << 1 << 25;
    QTest::newRow("mpeg2 30 stays") << "mpeg2video"
                                    << "30" << 1 << 30;
    QTest::newRow("mpeg4 26 free") << "mpeg4"
                                   << "26" << 1 << 26;
}

void TestEncoderOptions::frameRateSnapping()
{
    QFETCH(QString, codec);
    QFETCH(QString, rate);
    QFETCH(int, num);
    QFETCH(int, den);
    const FormatContextResult r = run({"-s", "160x120", "-r", rate, "-vcodec", codec, "-an", "-y", path("rate.avi")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    const OutputStreamSetup* video = streamOf(r, AVMEDIA_TYPE_VIDEO);
    QCOMPARE(video->codec->time_base.num, num);
    QCOMPARE(video->codec->time_base.den, den);
    QVERIFY(!streamOf(r, AVMEDIA_TYPE_AUDIO));
}

void TestEncoderOptions::encoderNames_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("encoder");
    QTest::newRow("libxvid is not mpeg4") << "-vcodec"
                                          << "libxvid"
                                          << "libxvid";
    QTest::newRow("mpeg4") << "-vcodec"
                           << "mpeg4"
                           << "mpeg4";
    QTest::newRow("libx264") << "-vcodec"
                             << "libx264"
                             << "libx264";
    QTest::newRow("decoder name h264") << "-vcodec"
                                       << "h264"
                                       << "libx264";
    QTest::newRow("libmp3lame") << "-acodec"
                                << "libmp3lame"
                                << "libmp3lame";
    QTest::newRow("libvorbis") << "-acodec"
                               << "libvorbis"
                               << "libvorbis";
}

void TestEncoderOptions::encoderNames()
{
    QFETCH(QString, option);
    QFETCH(QString, name);
    QFETCH(QString, encoder);
    const FormatContextResult r = run({"-s", "160x120", option, name, "-y", path("names.mkv")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    const OutputStreamSetup* s = streamOf(r, option == "-vcodec" ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO);
    QVERIFY(s && s->encoder);
    QCOMPARE(QString::fromLatin1(s->encoder->name), encoder);
}

void TestEncoderOptions::genericOptionsReachTheirGroup()
{
    // The profile order puts "ab" before "b"; each still reaches its own stream.
    const FormatContextResult r =
        run({"-s", "320x240",          "-ab", "128000", "-ac", "2", "-acodec", "mp2",   "-ar",         "44100",
             "-b", "800000",           "-g",  "12",     "-bf", "2", "-vcodec", "mpeg4", "-packetsize", "1000",
             "-y", path("generic.avi")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    const OutputStreamSetup* video = streamOf(r, AVMEDIA_TYPE_VIDEO);
    const OutputStreamSetup* audio = streamOf(r, AVMEDIA_TYPE_AUDIO);
    QCOMPARE(video->codec->bit_rate, int64_t(800000));
    QCOMPARE(video->codec->gop_size, 12);
    QCOMPARE(video->codec->max_b_frames, 2);
    QCOMPARE(audio->codec->bit_rate, int64_t(128000));
    QCOMPARE(audio->codec->sample_rate, 44100);
    QCOMPARE(audio->codec->ch_layout.nb_channels, 2);
    QCOMPARE(r.output->context->packet_size, 1000u);
    QVERIFY(r.output->customOptions.empty());
}

void TestEncoderOptions::defaultThreadsAreAutomatic()
{
    FormatContextResult r = run({"-s", "160x120", "-y", path("threads.avi")});
    QCOMPARE(streamOf(r, AVMEDIA_TYPE_VIDEO)->codec->thread_count, 0);
    r = run({"-threads", "3", "-s", "160x120", "-y", path("threads.avi")});
    QCOMPARE(streamOf(r, AVMEDIA_TYPE_VIDEO)->codec->thread_count, 3);
}

void TestEncoderOptions::outputNeedsNoStreamsItCannotFeed()
{
    // A picture format has no sound; "-an" and "-vn" drop a stream.
    FormatContextResult r = run({"-s", "160x120", "-f", "image2", "-y", path("still.jpg")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QCOMPARE(r.output->streams.size(), std::size_t(1));
    QCOMPARE(QString::fromLatin1(streamOf(r, AVMEDIA_TYPE_VIDEO)->encoder->name), QString("mjpeg"));
    r = run({"-s", "160x120", "-an", "-y", path("noaudio.avi")});
    QCOMPARE(r.output->streams.size(), std::size_t(1));
    r = run({"-vn", "-y", path("noaudio.avi")});
    QCOMPARE(r.output->streams.size(), std::size_t(1));
    QVERIFY(streamOf(r, AVMEDIA_TYPE_AUDIO));
}

void TestEncoderOptions::twoRunsTwoContexts()
{
    const FormatContextResult first =
        run({"-metadata", "title=First", "-ar", "22050", "-s", "160x120", "-y", path("first.mkv")});
    const FormatContextResult second = run({"-metadata", "comment=Second", "-s", "160x120", "-y", path("second.mkv")});
    QVERIFY(first.output && second.output);
    QVERIFY(first.output->context.get() != second.output->context.get());
    AVDictionary* m1 = first.output->context->metadata;
    AVDictionary* m2 = second.output->context->metadata;
    QCOMPARE(QString::fromUtf8(av_dict_get(m1, "title", nullptr, 0)->value), QString("First"));
    QVERIFY(!av_dict_get(m1, "comment", nullptr, 0));
    QVERIFY(!av_dict_get(m2, "title", nullptr, 0));
    QCOMPARE(QString::fromUtf8(av_dict_get(m2, "comment", nullptr, 0)->value), QString("Second"));
    QCOMPARE(streamOf(first, AVMEDIA_TYPE_AUDIO)->codec->sample_rate, 22050);
    QCOMPARE(streamOf(second, AVMEDIA_TYPE_AUDIO)->codec->sample_rate, 44100);
}

void TestEncoderOptions::overwrite()
{
    const QString existing = path("existing.avi");
    QFile file(existing);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old contents");
    file.close();

    FormatContextResult r = run({"-s", "160x120", existing});
    QCOMPARE(r.outcome.status, OptionStatus::Error);
    QCOMPARE(QString::fromStdString(r.outcome.message), QString("Not overwriting - exiting\n"));
    QCOMPARE(QFileInfo(existing).size(), qint64(12));

    std::string asked;
    setOverwritePrompt([&](const std::string& question) {
        asked = question;
        return true;
    });
    r = run({"-s", "160x120", existing});
    setOverwritePrompt(nullptr);
    QVERIFY(r.outcome.ok());
    QCOMPARE(QString::fromStdString(asked), QString("File '%1' already exists. Overwrite ? [y/N] ").arg(existing));
    r.output.reset();
    QCOMPARE(QFileInfo(existing).size(), qint64(0));

    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("old contents");
    file.close();
    r = run({"-s", "160x120", "-y", existing});
    QVERIFY(r.outcome.ok());
    r.output.reset();
    QCOMPARE(QFileInfo(existing).size(), qint64(0));
}

void TestEncoderOptions::ifoLimit()
{
    const QString input = mediaFile("sad-mono-22k.wav");
    QStringList args;
    for (int i = 0; i < MaxInputSlots - 1; ++i)
        args << "-ifo" << input;
    FormatContextResult r = run(args);
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QCOMPARE(r.inputs.size(), std::size_t(1)); // only the first is opened
    args << "-ifo" << input;
    r = run(args);
    QCOMPARE(r.outcome.status, OptionStatus::Error);
    QVERIFY(QString::fromStdString(r.outcome.message).startsWith("Too many input files"));
}

void TestEncoderOptions::inputRecordsGeometry()
{
    const FormatContextResult r = run({"-i", mediaFile("sad-mono-22k.wav"), "-y", path("fromwav.mkv")});
    QVERIFY2(r.outcome.ok(), r.outcome.message.c_str());
    QCOMPARE(r.inputs.size(), std::size_t(1));
    // The input has sound only, so the output gets sound only, in the input's format.
    QCOMPARE(r.output->streams.size(), std::size_t(1));
    const OutputStreamSetup* audio = streamOf(r, AVMEDIA_TYPE_AUDIO);
    QVERIFY(audio);
    QCOMPARE(audio->codec->sample_rate, 22050);
    QCOMPARE(audio->codec->ch_layout.nb_channels, 1);
}

void TestEncoderOptions::bzpCompanion()
{
    const QString media = path("slides.bzp");
    std::ofstream(path("slides.tim").toStdString(), std::ios::binary)
        .write(reinterpret_cast<const char*>(std::array<float, 3>{1.5f, 2.5f, 0.25f}.data()), 3 * sizeof(float));
    const FormatContextPtr owner(avformat_alloc_context());
    AVFormatContext* ic = owner.get();
    ic->url = av_strdup(media.toUtf8().constData());
    AVStream* st = avformat_new_stream(ic, nullptr);
    st->time_base = AVRational{1, 1000};
    float first = 0;
    QVERIFY(InitialBzp(ic, &first));
    QCOMPARE(first, 1.5f);
    QCOMPARE(ic->duration, int64_t(4250000));
    QCOMPARE(st->duration, int64_t(4250));
    QFile::remove(path("slides.tim"));
    QVERIFY(!InitialBzp(ic));
}

void TestEncoderOptions::printError_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("-92") << -92 << "f.avi: Unknown format\n";
    QTest::newRow("-33") << -33
                         << "f.avi: Incorrect image filename syntax.\nUse '%d' to specify the image number:\n  for "
                            "img1.jpg, img2.jpg, ..., use 'img%d.jpg';\n  for img001.jpg, img002.jpg, ..., use "
                            "'img%03d.jpg'.\n";
    QTest::newRow("-22") << -22 << "f.avi: Error while parsing header\n";
    QTest::newRow("invalid data") << int(AVERROR_INVALIDDATA) << "f.avi: Error while parsing header\n";
    QTest::newRow("-12") << -12 << "f.avi: memory allocation error occured\n";
    QTest::newRow("-5") << -5
                        << "f.avi: I/O error occured\nUsually that means that input file is truncated and/or "
                           "corrupted.\n";
    QTest::newRow("-2") << -2 << "f.avi: no such file or directory\n";
    QTest::newRow("other") << -1 << "f.avi: Error while opening file\n";
}

void TestEncoderOptions::printError()
{
    QFETCH(int, code);
    QFETCH(QString, message);
    QCOMPARE(QString::fromStdString(print_error("f.avi", code)), message);
}

void TestEncoderOptions::concurrentRunsAreSerialized()
{
    auto worker = [this](int rate, const QString& name) {
        int wrong = 0;
        for (int i = 0; i < 15; ++i) {
            const FormatContextResult r =
                run({"-ar", QString::number(rate), "-metadata", "title=" + name, "-s", "160x120", "-y", path(name)});
            const OutputStreamSetup* audio = streamOf(r, AVMEDIA_TYPE_AUDIO);
            const AVDictionaryEntry* title =
                r.output ? av_dict_get(r.output->context->metadata, "title", nullptr, 0) : nullptr;
            if (!audio || audio->codec->sample_rate != rate || !title || QString::fromUtf8(title->value) != name)
                ++wrong;
        }
        return wrong;
    };
    QFuture<int> a = QtConcurrent::run(worker, 22050, QStringLiteral("a.mkv"));
    QFuture<int> b = QtConcurrent::run(worker, 8000, QStringLiteral("b.mkv"));
    QCOMPARE(a.result(), 0);
    QCOMPARE(b.result(), 0);
}

void TestEncoderOptions::helpAndFormats()
{
    FormatContextResult r = run({"-h"});
    QVERIFY(r.outcome.ok());
    QVERIFY(r.helpRequested);
    const QString help = QString::fromStdString(show_help_text());
    QVERIFY(help.contains("-vcodec codec"));
    QVERIFY(help.contains("force video codec ('copy' to copy stream)"));
    r = run({"-formats"});
    QVERIFY(r.outcome.ok());
    const QString listed = QString::fromStdString(r.standardOutput);
    QVERIFY(listed.startsWith("File formats:"));
    QVERIFY(listed.contains(QRegularExpression("DEV +mpeg4 ")));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (!sampleMediaPresent())
        return 1;
    av_log_set_level(AV_LOG_ERROR);
    TestEncoderOptions test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_encoderoptions.moc"
