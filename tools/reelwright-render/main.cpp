// reelwright-render: compiles an album of photos and music into a video
// file from the command line, for scripts and servers. It runs the same
// renderer, compile loop and encoder argument list as the program's compile
// dialog, so both make the same file from the same album and profile. The
// album is either the photos and sounds named on the command line or a saved
// album file.

#include "albumfile.h"
#include "avwritermanager.h"
#include "audioreader.h"
#include "beatanalysis.h"
#include "compilearguments.h"
#include "filesfromurls.h"
#include "gldrawer.h"
#include "beattiming.h"
#include "photoimport.h"
#include "storyboardrender.h"
#include "subtitles.h"
#include "systemmemory.h"
#include "zu.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <optional>
#include <vector>

#include <unistd.h>

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

std::atomic<bool> s_interrupted{false};

void onSignal(int) { s_interrupted = true; }

// Thrown for anything that ends the run before the compile starts: the
// command line or a file it names cannot be used.
struct Failure {
    QString message;
    int code = ExitUsage;
};

void printLine(std::FILE* stream, const QString& text)
{
    std::fprintf(stream, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stream);
}

int parseInt(const QString& text, const QString& what, int minimum, int maximum)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < minimum || value > maximum)
        throw Failure{QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\".")
                          .arg(what)
                          .arg(minimum)
                          .arg(maximum)
                          .arg(text),
                      ExitUsage};
    return value;
}

std::optional<double> parseSeconds(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !(value >= 0.0))
        throw Failure{QStringLiteral("\"%1\" is not a time in seconds.").arg(text), ExitUsage};
    return value;
}

QList<ImageInfo> readPhotos(const QStringList& arguments)
{
    QList<QUrl> urls;
    for (const QString& argument : arguments) {
        if (!QFileInfo::exists(argument))
            throw Failure{QStringLiteral("Photo not found: %1").arg(argument)};
        urls << QUrl::fromLocalFile(QFileInfo(argument).absoluteFilePath());
    }
    QList<ImageInfo> photos;
    int index = 0;
    for (const QString& file : filesFromUrls(urls, photoNameFilters(), true)) {
        if (QFileInfo(file).isDir())
            continue;
        ImageInfo photo;
        if (!readImportedPhoto(file, photo, index++))
            throw Failure{QStringLiteral("Not a readable photo: %1").arg(file)};
        photos << photo;
    }
    if (photos.isEmpty())
        throw Failure{QStringLiteral("No photos found in the given files and folders."), ExitUsage};
    return photos;
}

// "FILE" or "FILE@START:END" (seconds, either side may be empty).
AudioInfo readAudio(const QString& argument)
{
    QString path = argument;
    std::optional<double> start, end;
    static const QRegularExpression trim(QStringLiteral("^(.*)@([^@:]*):([^@:]*)$"));
    const QRegularExpressionMatch match = trim.match(argument);
    if (!QFileInfo::exists(argument) && match.hasMatch()) {
        path = match.captured(1);
        start = parseSeconds(match.captured(2));
        end = parseSeconds(match.captured(3));
    }
    if (!QFileInfo(path).isFile())
        throw Failure{QStringLiteral("Audio file not found: %1").arg(path)};
    AudioInfo audio;
    audio.filePath = QFileInfo(path).absoluteFilePath();
    if (!AudioReader::parse(audio))
        throw Failure{QStringLiteral("Not a readable audio file: %1").arg(path)};
    if (start)
        audio.startTime = *start;
    if (end)
        audio.endTime = std::min(*end, audio.duration);
    if (audio.startTime >= audio.endTime)
        throw Failure{QStringLiteral("The trim %1 leaves nothing of %2 (%3 s long).")
                          .arg(argument.mid(path.size() + 1), path)
                          .arg(audio.duration, 0, 'f', 2),
                      ExitUsage};
    return audio;
}

// The album file's photos, sound and settings into `album`; its remembered
// output into `output`. Every file it names must be there: a video silently
// missing some of them is worse than none.
void readAlbumFile(const QString& path, StoryBoardData& album, AlbumOutput& output)
{
    const AlbumFile::ReadResult read = AlbumFile::read(path);
    if (!read.ok)
        throw Failure{read.error, ExitUsage};
    if (!read.missingFiles.isEmpty()) {
        QStringList lines;
        for (const QString& missing : read.missingFiles)
            lines << QStringLiteral("  ") + QDir::toNativeSeparators(missing);
        throw Failure{QStringLiteral("%1 file(s) of the album %2 are missing:\n%3")
                          .arg(read.missingFiles.size())
                          .arg(QDir::toNativeSeparators(path), lines.join(QLatin1Char('\n'))),
                      ExitUsage};
    }
    if (read.album.photos.isEmpty())
        throw Failure{QStringLiteral("The album %1 holds no photos.").arg(QDir::toNativeSeparators(path)), ExitUsage};
    applyAlbumContents(read.album, album);
    output = read.album.output;
}

QList<SubtitleEntry> readSubtitleFile(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw Failure{QStringLiteral("Subtitle file not found: %1").arg(path), ExitUsage};
    QList<SubtitleEntry> entries;
    QString error;
    if (!readSubtitles(path, entries, &error))
        throw Failure{error, ExitUsage};
    return entries;
}

// Each photo's caption text from the subtitles on screen while it shows
// (none where no entry falls), its look kept; a title card keeps its own
// text.
void applySubtitles(StoryBoardData& album, const QList<SubtitleEntry>& entries, const AnalysisCache& cache)
{
    const BeatTimingInput input = beatTimingInput(album, cache);
    const QVector<double> changes = album.beatCuts ? placePhotoChanges(input) : evenPhotoChanges(input);
    const QStringList texts = captionsFromSubtitles(entries, changes, int(album.photos.size()));
    for (int i = 0; i < album.photos.size(); ++i) {
        ImageInfo& photo = album.photos[i];
        if (!photo.isTitleCard())
            photo.caption.text = texts.value(i);
    }
}

ZumProfileData readProfile(const QString& name)
{
    ZuProfileManager* manager = ZuProfileManager::instance();
    ZumProfileData profile;
    QString error;
    if (QFileInfo(name).isFile()) {
        if (!manager->loadProfileFile(name, profile, &error))
            throw Failure{QStringLiteral("Cannot use the profile file %1: %2").arg(name, error)};
        return profile;
    }
    profile.url = name;
    if (!manager->getPresetData(profile))
        throw Failure{QStringLiteral("Unknown profile \"%1\" (--list-profiles shows the names).").arg(name), ExitUsage};
    return profile;
}

void listProfiles()
{
    ZuProfileManager* manager = ZuProfileManager::instance();
    for (const QString& group : manager->groups()) {
        printLine(stdout, manager->groupName(group) + QLatin1Char(':'));
        for (const QString& id : manager->profileIdsOfGroup(group))
            printLine(stdout, QStringLiteral("  %1  %2").arg(id, -16).arg(manager->profileName(id)));
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // The frames are drawn with OpenGL, which Qt offers here only on a
    // display. On a server without one the program runs itself again inside
    // a virtual X server (xvfb-run passes the exit status through).
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsSet("REELWRIGHT_RENDER_XVFB")) {
        qputenv("REELWRIGHT_RENDER_XVFB", "1");
        char self[4096] = {};
        if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0)
            std::snprintf(self, sizeof self, "%s", argv[0]);
        std::vector<char*> command = {const_cast<char*>("xvfb-run"), const_cast<char*>("-a"), const_cast<char*>("-s"),
                                      const_cast<char*>("-screen 0 640x480x24"), self};
        command.insert(command.end(), argv + 1, argv + argc);
        command.push_back(nullptr);
        execvp(command[0], command.data());
        std::fprintf(stderr, "reelwright-render: there is no display to draw on, and xvfb-run, which would provide "
                             "one, cannot be started (Debian packages xvfb and xauth).\n");
        return ExitFailure;
    }
    SystemMemory::preferMappedPictures();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelwright-render"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Compiles photos and music into a video file.\n\n"
        "Photos play in the order given; a folder stands for its photos in name order. The sound track is the\n"
        "audio files in the order given; FILE@START:END plays only seconds START to END of a file (either may\n"
        "be left out: song.mp3@12: starts at 12 s). Prints the progress in percent, then the path of the video.\n\n"
        "reelwright-render ALBUM.reelwright [-o FOLDER] [-n NAME] [-p PROFILE] compiles a saved album with\n"
        "its own photos, sound, timing, profile, folder and name; -o, -n, -p, --loudness and --fade-ms given\n"
        "override the album's.\n"
        "--srt FILE sets the photos' captions from a subtitle file: each photo shows the entries whose middle falls\n"
        "while it is on screen (title cards keep their own text).\n"
        "Exit status: 0 done, 1 the compile failed, 2 the command line or its files cannot be used."));
    parser.addHelpOption();
    const QCommandLineOption audioOption({QStringLiteral("a"), QStringLiteral("audio")},
                                         QStringLiteral("An audio file of the sound track (repeatable)."),
                                         QStringLiteral("FILE[@START:END]"));
    const QCommandLineOption photoOption(QStringLiteral("photo-ms"),
                                         QStringLiteral("How long each photo shows, in ms (default 5000)."),
                                         QStringLiteral("ms"), QStringLiteral("5000"));
    const QCommandLineOption transitionOption(QStringLiteral("transition-ms"),
                                              QStringLiteral("Length of each transition in ms; 0 cuts (default 1500)."),
                                              QStringLiteral("ms"), QStringLiteral("1500"));
    const QCommandLineOption dissolveOption(QStringLiteral("dissolve-only"),
                                            QStringLiteral("Dissolve between photos instead of pattern wipes."));
    const QCommandLineOption noZoomOption(QStringLiteral("no-zoom"),
                                          QStringLiteral("Keep photos still (no slow zoom-and-drift)."));
    const QCommandLineOption loopOption(QStringLiteral("loop"),
                                        QStringLiteral("Repeat the sound track until the photos end."));
    const QCommandLineOption loudnessOption(
        QStringLiteral("loudness"),
        QStringLiteral("Even out loudness: each audio file is measured and played at -16 LUFS, never clipping."));
    const QCommandLineOption fadeOption(QStringLiteral("fade-ms"),
                                        QStringLiteral("Fade the sound out over the last ms of the video; 0 does not "
                                                       "(default 0, an album file's own)."),
                                        QStringLiteral("ms"));
    const QCommandLineOption beatOption(
        QStringLiteral("beat"), QStringLiteral("Change photos on the beat: each change moves to the nearest beat of "
                                               "the music, by at most 40 % of the photo length (also for an album)."));
    const QCommandLineOption srtOption(
        QStringLiteral("srt"),
        QStringLiteral("Captions from a subtitle file (.srt), one text per photo by time (also for an album)."),
        QStringLiteral("FILE"));
    const QCommandLineOption profileOption({QStringLiteral("p"), QStringLiteral("profile")},
                                           QStringLiteral("Output profile name or profile file (default mpeg4h264)."),
                                           QStringLiteral("profile"), QStringLiteral("mpeg4h264"));
    const QCommandLineOption listOption(QStringLiteral("list-profiles"), QStringLiteral("Lists the output profiles."));
    const QCommandLineOption folderOption({QStringLiteral("o"), QStringLiteral("output-folder")},
                                          QStringLiteral("Folder of the video (default: the current folder)."),
                                          QStringLiteral("folder"), QStringLiteral("."));
    const QCommandLineOption nameOption({QStringLiteral("n"), QStringLiteral("name")},
                                        QStringLiteral("Base name of the video, without extension; \"(2)\" and so "
                                                       "on is added when taken (default \"My Photo Movie\")."),
                                        QStringLiteral("name"), QStringLiteral("My Photo Movie"));
    const QCommandLineOption quietOption({QStringLiteral("q"), QStringLiteral("quiet")},
                                         QStringLiteral("No progress lines."));
    const QCommandLineOption verboseOption(
        QStringLiteral("verbose"), QStringLiteral("Also print the encoder's own messages and the argument list."));
    parser.addOptions({audioOption, photoOption, transitionOption, dissolveOption, noZoomOption, loopOption, beatOption,
                       loudnessOption, fadeOption, srtOption, profileOption, listOption, folderOption, nameOption,
                       quietOption, verboseOption});
    parser.addPositionalArgument(QStringLiteral("photos"),
                                 QStringLiteral("Photos or folders of photos, or one album file."),
                                 QStringLiteral("PHOTO|FOLDER...|ALBUM.reelwright"));
    parser.process(app);
    if (!parser.isSet(verboseOption)) {
        // The libraries' own lines ("[mp3 @ 0x...] ...") repeat what the
        // one-line message says, in their terms.
        av_log_set_level(AV_LOG_QUIET);
        QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\nreelwright.*.info=false"));
    } else {
        QLoggingCategory::setFilterRules(QStringLiteral("reelwright.*.debug=true"));
    }

    ZuProfileManager* manager = ZuProfileManager::instance();
    const QString profileFolder = ZuPref::appDir() + QStringLiteral("/profiles");
    if (!manager->loadTemplates(profileFolder)) {
        printLine(stderr, QStringLiteral("reelwright-render: no output profiles in %1").arg(profileFolder));
        return ExitFailure;
    }
    if (parser.isSet(listOption)) {
        listProfiles();
        return 0;
    }

    StoryBoardData album;
    RenderParam param;
    ZumProfileData profile;
    QString folder;
    QString baseName = parser.value(nameOption);
    const QStringList positional = parser.positionalArguments();
    const bool albumFile = positional.size() == 1 && AlbumFile::isAlbumFile(positional.first());
    std::optional<QList<SubtitleEntry>> subtitles;
    try {
        AlbumOutput remembered;
        if (albumFile) {
            for (const QCommandLineOption& option :
                 {audioOption, photoOption, transitionOption, dissolveOption, noZoomOption, loopOption}) {
                if (parser.isSet(option))
                    throw Failure{QStringLiteral("--%1 cannot be combined with an album file, which sets its own "
                                                 "photos, sound and timing.")
                                      .arg(option.names().constLast()),
                                  ExitUsage};
            }
            readAlbumFile(positional.first(), album, remembered);
        }
        const auto chosen = [&parser](const QCommandLineOption& option, const QString& fromAlbum) {
            return parser.isSet(option) || fromAlbum.isEmpty() ? parser.value(option) : fromAlbum;
        };
        baseName = chosen(nameOption, remembered.fileName);
        if (!albumFile) {
            album.photoMs = parseInt(parser.value(photoOption), QStringLiteral("--photo-ms"), 40, 3600000);
            album.photoSeconds = album.photoMs / 1000.0;
            album.transitionMs =
                parseInt(parser.value(transitionOption), QStringLiteral("--transition-ms"), 0, album.photoMs);
            album.transitionSeconds = album.transitionMs / 1000.0;
            album.useTransition = album.transitionMs > 0;
            album.dissolveOnly = parser.isSet(dissolveOption);
            album.useZoom = !parser.isSet(noZoomOption);
            album.loopAudio = parser.isSet(loopOption);
            if (positional.isEmpty())
                throw Failure{QStringLiteral("No photos given (see --help)."), ExitUsage};
            album.photos = readPhotos(positional);
            for (const QString& argument : parser.values(audioOption))
                album.audios << readAudio(argument);
        }
        if (parser.isSet(loudnessOption))
            album.evenLoudness = true;
        if (parser.isSet(fadeOption))
            album.fadeMs =
                parseInt(parser.value(fadeOption), QStringLiteral("--fade-ms"), 0, StoryBoardData::MaxFadeMs);

        if (parser.isSet(beatOption))
            album.beatCuts = true;
        if (parser.isSet(srtOption))
            subtitles = readSubtitleFile(parser.value(srtOption));

        profile = readProfile(chosen(profileOption, remembered.profileUrl));
        renderParamsFromProfile(param, profile);

        static const QRegularExpression invalidName(QStringLiteral("\\*|:|<|>|\\?|\\/|@|\\|"));
        if (baseName.trimmed().isEmpty() || baseName.contains(invalidName))
            throw Failure{
                QStringLiteral("The name \"%1\" cannot be a file name (none of * : < > ? / @ |).").arg(baseName),
                ExitUsage};
        folder = QFileInfo(chosen(folderOption, remembered.folder)).absoluteFilePath();
        if (!QDir().mkpath(folder) || !Zu::isFolderWritable(folder))
            throw Failure{QStringLiteral("The output folder %1 cannot be written to.").arg(folder)};
    } catch (const Failure& failure) {
        printLine(stderr, QStringLiteral("reelwright-render: ") + failure.message);
        return failure.code;
    }

    StoryBoardRender render;
    if (!render.init(param)) {
        printLine(stderr, QStringLiteral("reelwright-render: not enough memory for the sound buffer"));
        return ExitFailure;
    }
    const AnalysisCache cache;
    if (album.beatCuts) {
        // Each song once; the cache makes a second compile of it instant.
        QStringList analysed;
        for (const AudioInfo& clip : std::as_const(album.audios)) {
            if (analysed.contains(clip.filePath))
                continue;
            analysed << clip.filePath;
            QString error;
            if (!cachedBeats(cache, clip.filePath, {}, &error))
                printLine(stderr, QStringLiteral("reelwright-render: no beats for %1: %2").arg(clip.filePath, error));
        }
        render.setAnalysisCache(cache);
    }
    // After the beats: the photo changes they move decide which photo an
    // entry falls on.
    if (subtitles)
        applySubtitles(album, *subtitles, cache);
    render.setStoryBoard(&album);
    render.onStoryBoardDataChanged();

    const QString outputFile = uniqueOutputFile(folder, baseName, profileExtension(profile));
    const QStringList arguments = compileArguments(profile, param, outputFile);
    if (parser.isSet(verboseOption))
        printLine(stderr, QStringLiteral("reelwright-render: encoder arguments: ") + arguments.join(QLatin1Char(' ')));
    AVWriterManager loop;
    const bool begun = loop.begin(&render, outputFile, arguments);
    for (const QString& message : loop.writerMessages())
        printLine(stderr, QStringLiteral("reelwright-render: ") + message);
    if (!begun) {
        printLine(stderr, QStringLiteral("reelwright-render: cannot compile: ") + loop.failureReason());
        return ExitFailure;
    }

    const bool quiet = parser.isSet(quietOption);
    const double total = render.totalFrames;
    int shownPercent = -1;
    QObject::connect(&loop, &AVWriterManager::progressChanged, &app, [&](double frames) {
        const int percent = int(100.0 * frames / total);
        if (!quiet && percent != shownPercent) {
            shownPercent = percent;
            printLine(stdout, QStringLiteral("%1%").arg(percent));
        }
    });
    int status = 0;
    QObject::connect(&loop, &AVWriterManager::compileEnd, &app, [&] {
        if (loop.finish()) {
            printLine(stdout, QDir::toNativeSeparators(loop.outputFile()));
        } else {
            printLine(stderr, QStringLiteral("reelwright-render: failed to create video: ") + loop.failureReason());
            status = ExitFailure;
        }
        app.exit(status);
    });

    // Ctrl+C or a kill ends the compile and removes the unfinished file.
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QTimer interruptCheck;
    QObject::connect(&interruptCheck, &QTimer::timeout, &app, [&] {
        if (!s_interrupted)
            return;
        loop.cancel();
        printLine(stderr, QStringLiteral("reelwright-render: interrupted, %1 removed").arg(outputFile));
        app.exit(130);
    });
    interruptCheck.start(100);

    loop.start();
    return app.exec();
}
