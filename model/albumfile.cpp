#include "albumfile.h"

#include "infoparser.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSet>

#include <cmath>
#include <limits>
#include <utility>

namespace {

// Every sentence of this file is translated in the context "AlbumFile".
struct Text {
    Q_DECLARE_TR_FUNCTIONS(AlbumFile)
};

// Trims are compared with the clip's length after both went through text.
constexpr double TrimTolerance = 1e-6;
// Whole numbers in the file are JSON numbers; beyond 2^53 they lose digits.
constexpr double LargestWholeNumber = 9007199254740992.0;

// ---- names of the steps and zoom kinds as the file spells them

struct StepName {
    IMAGEPROC step;
    const char* name;
};
constexpr StepName StepNames[] = {{Mirror, "mirror"}, {Flip, "flip"}, {TurnLeft, "turnLeft"}, {TurnRight, "turnRight"}};

QString stepName(IMAGEPROC step)
{
    for (const StepName& entry : StepNames)
        if (entry.step == step)
            return QString::fromLatin1(entry.name);
    return {};
}

constexpr const char* ZoomTranslate = "translate";

// Caption places and backdrops, in the order of their enums.
constexpr const char* PlaceNames[] = {"bottom", "top", "centre", "free"};
constexpr const char* BackdropNames[] = {"none", "shadow", "outline", "band"};
constexpr const char* ZoomRotate = "rotate";

// ---- paths

// The album's folder, as written and with links resolved: a photo reached
// through either spelling counts as lying below it.
struct AlbumFolder {
    QString plain;
    QString canonical;

    explicit AlbumFolder(const QString& albumPath)
    {
        const QFileInfo album(albumPath);
        plain = QDir::cleanPath(album.absolutePath());
        canonical = QFileInfo(plain).canonicalFilePath();
    }

    static bool below(const QString& path, const QString& folder)
    {
        if (folder.isEmpty())
            return false;
        const QString prefix = folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/');
        return path.startsWith(prefix) && path.size() > prefix.size();
    }

    // Relative with '/' when below the folder, absolute otherwise.
    QString stored(const QString& path) const
    {
        if (path.isEmpty())
            return path;
        const QString absolute = QDir::cleanPath(QDir::fromNativeSeparators(QFileInfo(path).absoluteFilePath()));
        if (absolute == plain)
            return QStringLiteral(".");
        if (below(absolute, plain))
            return QDir(plain).relativeFilePath(absolute);
        const QString canonicalPath = QFileInfo(absolute).canonicalFilePath();
        if (!canonicalPath.isEmpty() && below(canonicalPath, canonical))
            return QDir(canonical).relativeFilePath(canonicalPath);
        return absolute;
    }

    QString resolved(const QString& stored) const
    {
        if (stored.isEmpty())
            return stored;
        const QString path = QDir::fromNativeSeparators(stored);
        if (QDir::isAbsolutePath(path))
            return QDir::cleanPath(path);
        return QDir::cleanPath(plain + QLatin1Char('/') + path);
    }
};

// ---- writing

QJsonValue dateValue(const QDateTime& time)
{
    if (!time.isValid())
        return QString();
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QJsonObject zoomObject(const GLTransform& transform)
{
    return {{"kind", QLatin1String(transform.kind == FxRotate ? ZoomRotate : ZoomTranslate)},
            {"values", QJsonArray{transform.value[0], transform.value[1], transform.value[2], transform.value[3]}}};
}

QString colourText(const QColor& colour)
{
    return colour.name(colour.alpha() == 255 ? QColor::HexRgb : QColor::HexArgb);
}

QJsonObject captionObject(const Caption& caption)
{
    return {
        {"text", caption.text},
        {"place", QLatin1String(PlaceNames[int(caption.place)])},
        {"x", caption.point.x()},
        {"y", caption.point.y()},
        {"size", caption.size},
        {"font", caption.family},
        {"colour", colourText(caption.colour)},
        {"backdrop", QLatin1String(BackdropNames[int(caption.backdrop)])},
    };
}

QJsonObject photoObject(const ImageInfo& photo, const AlbumFolder& folder)
{
    QJsonArray steps;
    for (IMAGEPROC step : photo.procs)
        steps.append(stepName(step));
    QJsonObject object{
        {"steps", steps},
        {"zoomStart", zoomObject(photo.fxStart)},
        {"zoomEnd", zoomObject(photo.fxEnd)},
    };
    if (photo.caption != Caption())
        object.insert(QLatin1String("caption"), captionObject(photo.caption));
    if (photo.titleCard) {
        object.insert(QLatin1String("card"),
                      QJsonObject{{"top", colourText(photo.cardTop)}, {"bottom", colourText(photo.cardBottom)}});
        return object;
    }
    const QJsonObject file{
        {"path", folder.stored(photo.filePath)},
        {"size", double(photo.fileSize)},
        {"modified", dateValue(photo.lastModified)},
        {"width", photo.width},
        {"height", photo.height},
        {"depth", photo.depth},
        {"suffix", photo.suffix},
        {"exifMirror", photo.exifMirror},
        {"exifFlip", photo.exifFlip},
        {"exifRotation", photo.exifRotation},
    };
    for (auto it = file.begin(); it != file.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

QJsonObject clipObject(const AudioInfo& clip, const AlbumFolder& folder)
{
    return {
        {"path", folder.stored(clip.filePath)},
        {"size", double(clip.fileSize)},
        {"modified", dateValue(clip.lastModified)},
        {"channels", clip.channels},
        {"sampleRate", clip.sampleRate},
        {"bits", clip.bitsPerSample},
        {"duration", clip.duration},
        {"suffix", clip.suffix},
        {"startTime", clip.startTime},
        {"endTime", clip.endTime},
    };
}

QString programName()
{
    const QString version = QCoreApplication::applicationVersion();
    return version.isEmpty() ? QStringLiteral("Reelwright") : QStringLiteral("Reelwright ") + version;
}

QByteArray albumBytes(const QString& path, const AlbumContents& album)
{
    const AlbumFolder folder(path);
    QJsonArray photos;
    bool cards = false;
    for (const ImageInfo& photo : album.photos) {
        photos.append(photoObject(photo, folder));
        cards = cards || photo.titleCard;
    }
    QJsonArray clips;
    for (const AudioInfo& clip : album.clips)
        clips.append(clipObject(clip, folder));
    const QJsonObject settings{
        {"photoMs", album.photoMs},
        {"transitionMs", album.transitionMs},
        {"useTransition", album.useTransition},
        {"dissolveOnly", album.dissolveOnly},
        {"useZoom", album.useZoom},
        {"loopAudio", album.loopAudio},
        {"fadeAudio", album.fadeAudio},
        {"evenLoudness", album.evenLoudness},
        {"fadeMs", album.fadeMs},
        {"beatCuts", album.beatCuts},
    };
    const QJsonObject output{
        {"profileUrl", album.output.profileUrl},
        {"profileGroup", album.output.profileGroup},
        {"folder", folder.stored(album.output.folder)},
        {"fileName", album.output.fileName},
    };
    const QJsonObject root{
        // A reader of format 1 would take a title card for a photo without a
        // file; an album without cards stays readable by it.
        {"format", cards ? AlbumFile::Format : AlbumFile::FormatWithoutCards},
        {"program", programName()},
        {"settings", settings},
        {"output", output},
        {"photos", photos},
        {"clips", clips},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

// ---- reading

// What is wrong inside a file that is JSON: thrown by the field readers,
// caught by read(), which names the file.
struct Damaged {
    QString what;
};

// The fields of one JSON object, read with their types and limits checked.
class Fields
{
public:
    Fields(QJsonObject object, QString where)
        : m_object(std::move(object))
        , m_where(std::move(where))
    {}

    const QString& where() const { return m_where; }

    bool has(const char* name) const { return m_object.contains(QLatin1String(name)); }

    QJsonValue required(const char* name) const
    {
        const QJsonValue value = m_object.value(QLatin1String(name));
        if (value.isUndefined() || value.isNull())
            fail(Text::tr("%1: \"%2\" is missing.").arg(m_where, QLatin1String(name)));
        return value;
    }

    QString text(const char* name, bool needed = false) const
    {
        if (!needed && !has(name))
            return {};
        const QJsonValue value = required(name);
        if (!value.isString())
            wrongType(name, Text::tr("text"));
        return value.toString();
    }

    bool flag(const char* name, bool fallback, bool needed = false) const
    {
        if (!needed && !has(name))
            return fallback;
        const QJsonValue value = required(name);
        if (!value.isBool())
            wrongType(name, Text::tr("true or false"));
        return value.toBool();
    }

    double number(const char* name, double minimum, double maximum, double fallback, bool needed = false) const
    {
        if (!needed && !has(name))
            return fallback;
        const QJsonValue value = required(name);
        if (!value.isDouble())
            wrongType(name, Text::tr("a number"));
        const double result = value.toDouble();
        if (!std::isfinite(result) || result < minimum || result > maximum)
            fail(Text::tr("%1: \"%2\" is %3, outside %4 to %5.")
                     .arg(m_where, QLatin1String(name))
                     .arg(result)
                     .arg(minimum)
                     .arg(maximum));
        return result;
    }

    qint64 whole(const char* name, qint64 minimum, qint64 maximum, qint64 fallback, bool needed = false) const
    {
        if (!needed && !has(name))
            return fallback;
        const QJsonValue value = required(name);
        const double result = value.toDouble();
        if (!value.isDouble() || result != std::floor(result) || std::abs(result) > LargestWholeNumber)
            wrongType(name, Text::tr("a whole number"));
        if (result < double(minimum) || result > double(maximum))
            fail(Text::tr("%1: \"%2\" is %3, outside %4 to %5.")
                     .arg(m_where, QLatin1String(name))
                     .arg(qint64(result))
                     .arg(minimum)
                     .arg(maximum));
        return qint64(result);
    }

    QJsonArray list(const char* name, bool needed = false) const
    {
        if (!needed && !has(name))
            return {};
        const QJsonValue value = required(name);
        if (!value.isArray())
            wrongType(name, Text::tr("a list"));
        return value.toArray();
    }

    Fields object(const char* name, const QString& where, bool needed = false) const
    {
        if (!needed && !has(name))
            return Fields({}, where);
        const QJsonValue value = required(name);
        if (!value.isObject())
            wrongType(name, Text::tr("a group of fields"));
        return Fields(value.toObject(), where);
    }

    QDateTime date(const char* name) const
    {
        const QString stamp = text(name);
        if (stamp.isEmpty())
            return {};
        const QDateTime time = QDateTime::fromString(stamp, Qt::ISODateWithMs);
        if (!time.isValid())
            fail(Text::tr("%1: \"%2\" is no date and time (%3).").arg(m_where, QLatin1String(name), stamp));
        return time;
    }

    [[noreturn]] static void fail(const QString& what) { throw Damaged{what}; }

    [[noreturn]] void wrongType(const char* name, const QString& type) const
    {
        fail(Text::tr("%1: \"%2\" should be %3.").arg(m_where, QLatin1String(name), type));
    }

private:
    QJsonObject m_object;
    QString m_where;
};

Fields elementOf(const QJsonArray& list, int index, const Fields& parent, const char* listName, const QString& where)
{
    const QJsonValue value = list.at(index);
    if (!value.isObject())
        Fields::fail(Text::tr("%1: \"%2\" holds an entry that is not a group of fields.")
                         .arg(parent.where(), QLatin1String(listName)));
    return Fields(value.toObject(), where);
}

GLTransform readZoom(const Fields& photo, const char* name)
{
    GLTransform transform;
    if (!photo.has(name))
        return transform;
    const Fields zoom = photo.object(name, QStringLiteral("%1, %2").arg(photo.where(), QLatin1String(name)), true);
    const QString kind = zoom.text("kind", true);
    if (kind == QLatin1String(ZoomTranslate))
        transform.kind = FxTranslate;
    else if (kind == QLatin1String(ZoomRotate))
        transform.kind = FxRotate;
    else
        Fields::fail(Text::tr("%1: the zoom kind \"%2\" is unknown.").arg(zoom.where(), kind));
    const QJsonArray values = zoom.list("values", true);
    if (values.size() != 4)
        Fields::fail(Text::tr("%1: \"values\" should hold 4 numbers.").arg(zoom.where()));
    for (int i = 0; i < 4; ++i) {
        const QJsonValue value = values.at(i);
        const double number = value.toDouble();
        if (!value.isDouble() || !std::isfinite(number) || std::abs(number) > std::numeric_limits<float>::max())
            Fields::fail(Text::tr("%1: \"values\" should hold 4 numbers.").arg(zoom.where()));
        transform.value[i] = float(number);
    }
    return transform;
}

QColor readColour(const Fields& fields, const char* name, const QColor& fallback)
{
    if (!fields.has(name))
        return fallback;
    const QString text = fields.text(name, true);
    const QColor colour = QColor::fromString(text);
    if (!text.startsWith(QLatin1Char('#')) || !colour.isValid())
        Fields::fail(Text::tr("%1: \"%2\" is not a colour (#rrggbb or #aarrggbb): \"%3\".")
                         .arg(fields.where(), QLatin1String(name), text));
    return colour;
}

template <typename Enum, std::size_t N>
Enum readName(const Fields& fields, const char* name, const char* const (&names)[N], Enum fallback)
{
    if (!fields.has(name))
        return fallback;
    const QString text = fields.text(name, true);
    for (std::size_t i = 0; i < N; ++i)
        if (text == QLatin1String(names[i]))
            return Enum(i);
    Fields::fail(Text::tr("%1: \"%2\" holds the unknown value \"%3\".").arg(fields.where(), QLatin1String(name), text));
    return fallback;
}

Caption readCaption(const Fields& photo)
{
    Caption caption;
    if (!photo.has("caption"))
        return caption;
    const Fields fields = photo.object("caption", QStringLiteral("%1, caption").arg(photo.where()), true);
    caption.text = fields.text("text");
    caption.place = readName(fields, "place", PlaceNames, caption.place);
    caption.point =
        QPointF(fields.number("x", 0.0, 1.0, caption.point.x()), fields.number("y", 0.0, 1.0, caption.point.y()));
    caption.size = fields.number("size", Caption::MinSize, Caption::MaxSize, caption.size);
    caption.family = fields.text("font");
    caption.colour = readColour(fields, "colour", caption.colour);
    caption.backdrop = readName(fields, "backdrop", BackdropNames, caption.backdrop);
    return caption;
}

constexpr qint64 MaxFileSize = qint64(1) << 52;
constexpr qint64 MaxPixels = 1 << 20; // a side of a photo
constexpr double MaxClipSeconds = 1e7;

ImageInfo readPhoto(const Fields& fields, const AlbumFolder& folder)
{
    ImageInfo photo;
    photo.caption = readCaption(fields);
    if (fields.has("card")) {
        const Fields card = fields.object("card", QStringLiteral("%1, card").arg(fields.where()), true);
        photo.titleCard = true;
        photo.cardTop = readColour(card, "top", QColor(Qt::black));
        photo.cardBottom = readColour(card, "bottom", photo.cardTop);
        photo.fxStart = readZoom(fields, "zoomStart");
        photo.fxEnd = readZoom(fields, "zoomEnd");
        drawCardThumbnail(photo);
        return photo;
    }
    const QString path = fields.text("path", true);
    if (path.isEmpty())
        Fields::fail(Text::tr("%1: \"path\" is empty.").arg(fields.where()));
    photo.filePath = folder.resolved(path);
    photo.fileSize = fields.whole("size", 0, MaxFileSize, 0);
    photo.lastModified = fields.date("modified");
    photo.width = qint32(fields.whole("width", 0, MaxPixels, 0));
    photo.height = qint32(fields.whole("height", 0, MaxPixels, 0));
    photo.depth = qint32(fields.whole("depth", 0, 128, 0));
    photo.suffix = fields.text("suffix");
    photo.exifMirror = fields.flag("exifMirror", false);
    photo.exifFlip = fields.flag("exifFlip", false);
    photo.exifRotation = qint32(fields.whole("exifRotation", -90, 90, 0));
    if (photo.exifRotation != 0 && photo.exifRotation != 90 && photo.exifRotation != -90)
        Fields::fail(Text::tr("%1: the turn %2 is none of 0, 90 and -90.").arg(fields.where()).arg(photo.exifRotation));
    const QJsonArray steps = fields.list("steps");
    for (const QJsonValue& value : steps) {
        const QString name = value.toString();
        bool known = false;
        for (const StepName& entry : StepNames) {
            if (value.isString() && name == QLatin1String(entry.name)) {
                photo.procs.append(entry.step);
                known = true;
                break;
            }
        }
        if (!known)
            Fields::fail(Text::tr("%1: \"steps\" holds the unknown step \"%2\".")
                             .arg(fields.where(), value.isString() ? name : value.toVariant().toString()));
    }
    // Derived from the steps, whatever the file says.
    photo.imageType = imageTypeOf(photo.procs);
    photo.fxStart = readZoom(fields, "zoomStart");
    photo.fxEnd = readZoom(fields, "zoomEnd");
    return photo;
}

AudioInfo readClip(const Fields& fields, const AlbumFolder& folder)
{
    AudioInfo clip;
    const QString path = fields.text("path", true);
    if (path.isEmpty())
        Fields::fail(Text::tr("%1: \"path\" is empty.").arg(fields.where()));
    clip.filePath = folder.resolved(path);
    clip.fileSize = fields.whole("size", 0, MaxFileSize, 0);
    clip.lastModified = fields.date("modified");
    clip.channels = qint32(fields.whole("channels", 0, 64, 0));
    clip.sampleRate = qint32(fields.whole("sampleRate", 0, 1000000, 0));
    clip.bitsPerSample = qint32(fields.whole("bits", 0, 64, 0));
    clip.duration = fields.number("duration", 0.0, MaxClipSeconds, 0.0, true);
    clip.suffix = fields.text("suffix");
    clip.startTime = fields.number("startTime", 0.0, MaxClipSeconds, 0.0, true);
    clip.endTime = fields.number("endTime", 0.0, MaxClipSeconds, 0.0, true);
    if (clip.startTime > clip.endTime || clip.endTime > clip.duration + TrimTolerance)
        Fields::fail(Text::tr("%1: the trim %2 s to %3 s lies outside the clip (0 to %4 s) or ends before it starts.")
                         .arg(fields.where())
                         .arg(clip.startTime)
                         .arg(clip.endTime)
                         .arg(clip.duration));
    clip.endTime = std::min(clip.endTime, clip.duration);
    return clip;
}

AlbumContents readContents(const QJsonObject& root, const AlbumFolder& folder)
{
    const Fields album(root, Text::tr("the album"));
    AlbumContents contents;

    const Fields settings = album.object("settings", Text::tr("the settings"), true);
    contents.photoMs = qint32(settings.whole("photoMs", 1, AlbumFile::MaxDurationMs, 0, true));
    contents.transitionMs = qint32(settings.whole("transitionMs", 0, AlbumFile::MaxDurationMs, 0, true));
    contents.useTransition = settings.flag("useTransition", true, true);
    contents.dissolveOnly = settings.flag("dissolveOnly", false, true);
    contents.useZoom = settings.flag("useZoom", true, true);
    contents.loopAudio = settings.flag("loopAudio", false, true);
    contents.fadeAudio = settings.flag("fadeAudio", false, true);
    // Files from before these keys: no loudness change, and a fade only
    // where the album asked for one with "fadeAudio".
    contents.evenLoudness = settings.flag("evenLoudness", false);
    contents.fadeMs = qint32(
        settings.whole("fadeMs", 0, StoryBoardData::MaxFadeMs, contents.fadeAudio ? StoryBoardData::DefaultFadeMs : 0));
    contents.beatCuts = settings.flag("beatCuts", false, false);

    const Fields output = album.object("output", Text::tr("the output"));
    contents.output.profileUrl = output.text("profileUrl");
    contents.output.profileGroup = output.text("profileGroup");
    contents.output.folder = folder.resolved(output.text("folder"));
    contents.output.fileName = output.text("fileName");

    const QJsonArray photos = album.list("photos", true);
    contents.photos.reserve(photos.size());
    for (int i = 0; i < photos.size(); ++i)
        contents.photos.append(
            readPhoto(elementOf(photos, i, album, "photos", Text::tr("photo %1").arg(i + 1)), folder));

    const QJsonArray clips = album.list("clips", true);
    contents.clips.reserve(clips.size());
    for (int i = 0; i < clips.size(); ++i)
        contents.clips.append(
            readClip(elementOf(clips, i, album, "clips", Text::tr("sound clip %1").arg(i + 1)), folder));
    return contents;
}

bool sameFileAsSaved(const QFileInfo& file, qint64 savedSize, const QDateTime& savedModified)
{
    return savedModified.isValid() && file.size() == savedSize && file.lastModified() == savedModified;
}

// A clip whose file is not the one saved (edited, replaced, or found
// elsewhere by relinking) gets its facts from the file again; its trim
// stays, within the new length. A file that no longer reads keeps what the
// album says, so the user still sees the clip and the compile names it.
void refreshClip(AudioInfo& clip)
{
    const QFileInfo file(clip.filePath);
    if (!file.isFile() || sameFileAsSaved(file, clip.fileSize, clip.lastModified))
        return;
    AudioInfo probed = clip;
    if (!InfoParser::probeSound(probed).isEmpty())
        return;
    probed.startTime = std::clamp(clip.startTime, 0.0, probed.duration);
    probed.endTime = std::clamp(clip.endTime, probed.startTime, probed.duration);
    clip = probed;
}

QStringList missingFilesOf(const AlbumContents& album)
{
    QStringList missing;
    QSet<QString> seen;
    const auto check = [&](const QString& path) {
        if (seen.contains(path))
            return;
        seen.insert(path);
        if (!QFileInfo(path).isFile())
            missing << path;
    };
    for (const ImageInfo& photo : album.photos)
        if (!photo.titleCard)
            check(photo.filePath);
    for (const AudioInfo& clip : album.clips)
        check(clip.filePath);
    return missing;
}

QString describeParseError(const QJsonParseError& error, const QByteArray& bytes)
{
    // JSON that runs into the end of the file stops in the middle: a write
    // or copy that did not finish.
    const auto space = [&bytes](qsizetype i) { return QChar::isSpace(uchar(bytes.at(i))); };
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && space(begin))
        ++begin;
    while (end > begin && space(end - 1))
        --end;
    const bool startsAsJson = begin < end && (bytes.at(begin) == '{' || bytes.at(begin) == '[');
    if (startsAsJson && error.offset >= end && error.error != QJsonParseError::GarbageAtEnd)
        return Text::tr("it ends in the middle (cut short?)");
    return Text::tr("it is not JSON text (%1 at character %2)").arg(error.errorString()).arg(error.offset);
}

// Of several files with the missing file's name, the one whose folders
// agree with the missing path's for the most levels up: a camera's
// IMG_0001.jpg of 2023/ and of 2024/ each find their own. Ties go to the
// first found.
QString closestMatch(const QString& missingPath, const QStringList& candidates)
{
    const QStringList wanted = missingPath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString best = candidates.first();
    int bestShared = -1;
    for (const QString& candidate : candidates) {
        const QStringList parts = candidate.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        int shared = 0;
        while (
            shared < wanted.size() - 1 && shared < parts.size() - 1 &&
            wanted.at(wanted.size() - 2 - shared).compare(parts.at(parts.size() - 2 - shared), Qt::CaseInsensitive) ==
                0)
            ++shared;
        if (shared > bestShared) {
            bestShared = shared;
            best = candidate;
        }
    }
    return best;
}

} // namespace

AlbumContents albumContentsOf(const StoryBoardData& album, const AlbumOutput& output)
{
    AlbumContents contents;
    contents.photos = album.photos;
    contents.clips = album.audios;
    contents.photoMs = album.photoMs;
    contents.transitionMs = album.transitionMs;
    contents.useTransition = album.useTransition;
    contents.dissolveOnly = album.dissolveOnly;
    contents.useZoom = album.useZoom;
    contents.loopAudio = album.loopAudio;
    contents.fadeAudio = album.fadeAudio;
    contents.evenLoudness = album.evenLoudness;
    contents.fadeMs = album.fadeMs;
    contents.beatCuts = album.beatCuts;
    contents.output = output;
    return contents;
}

void applyAlbumContents(const AlbumContents& contents, StoryBoardData& album)
{
    album.photos = contents.photos;
    for (ImageInfo& photo : album.photos)
        photo.imageType = imageTypeOf(photo.procs);
    album.audios = contents.clips;
    album.photoMs = contents.photoMs;
    album.photoSeconds = contents.photoMs / 1000.0;
    album.transitionMs = contents.transitionMs;
    album.transitionSeconds = contents.transitionMs / 1000.0;
    album.useTransition = contents.useTransition;
    album.dissolveOnly = contents.dissolveOnly;
    album.useZoom = contents.useZoom;
    album.loopAudio = contents.loopAudio;
    album.fadeAudio = contents.fadeAudio;
    album.evenLoudness = contents.evenLoudness;
    album.fadeMs = contents.fadeMs;
    album.beatCuts = contents.beatCuts;
}

namespace AlbumFile {

QString suffix() { return QStringLiteral("reelwright"); }

QString dialogFilter() { return Text::tr("Reelwright Albums (*.reelwright)"); }

bool isAlbumFile(const QString& path) { return QFileInfo(path).suffix().compare(suffix(), Qt::CaseInsensitive) == 0; }

bool write(const QString& path, const AlbumContents& album, QString* error)
{
    const QString shown = QDir::toNativeSeparators(path);
    const auto failed = [&](const QString& reason) {
        if (error)
            *error = Text::tr("The album %1 cannot be saved: %2").arg(shown, reason);
        return false;
    };
    if (QFileInfo(path).isDir())
        return failed(Text::tr("a folder has that name."));
    const QByteArray bytes = albumBytes(path, album);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failed(file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return failed(reason);
    }
    if (!file.commit())
        return failed(file.errorString());
    if (error)
        error->clear();
    return true;
}

ReadResult read(const QString& path)
{
    ReadResult result;
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        result.error = Text::tr("The album %1 does not exist.").arg(shown);
        return result;
    }
    if (!info.isFile()) {
        result.error = Text::tr("The album %1 is not a file.").arg(shown);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = Text::tr("The album %1 cannot be read: %2").arg(shown, file.errorString());
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.trimmed().isEmpty()) {
        result.error = Text::tr("The album %1 is empty.").arg(shown);
        return result;
    }
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        result.error = Text::tr("The album %1 cannot be opened: %2.").arg(shown, describeParseError(parseError, bytes));
        return result;
    }
    if (!document.isObject() || !document.object().contains(QLatin1String("format"))) {
        result.error = Text::tr("The file %1 is not an album: it has no \"format\".").arg(shown);
        return result;
    }
    const QJsonValue format = document.object().value(QLatin1String("format"));
    if (!format.isDouble() || format.toDouble() != std::floor(format.toDouble()) || format.toDouble() < 1) {
        result.error = Text::tr("The album %1 cannot be opened: its \"format\" is not a version number.").arg(shown);
        return result;
    }
    if (format.toDouble() > Format) {
        result.error = Text::tr("The album %1 was saved by a newer version of the program (album format %2; this one "
                                "reads format %3 and older). Open it with a newer version.")
                           .arg(shown)
                           .arg(format.toDouble())
                           .arg(Format);
        return result;
    }
    try {
        result.album = readContents(document.object(), AlbumFolder(path));
    } catch (const Damaged& damaged) {
        result.error = Text::tr("The album %1 is damaged: %2").arg(shown, damaged.what);
        result.album = {};
        return result;
    }
    for (AudioInfo& clip : result.album.clips)
        refreshClip(clip);
    result.missingFiles = missingFilesOf(result.album);
    result.ok = true;
    return result;
}

int relink(AlbumContents& album, QStringList& missing, const QString& folder)
{
    if (missing.isEmpty() || folder.isEmpty() || !QFileInfo(folder).isDir())
        return 0;
    // One walk of the folder, remembering every file of each name; a tree
    // larger than the limit is searched only in its first part.
    QHash<QString, QStringList> exact;
    QHash<QString, QStringList> folded;
    QDirIterator walk(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                      QDirIterator::Subdirectories);
    for (int entries = 0; walk.hasNext() && entries < RelinkEntryLimit; ++entries) {
        const QString path = QDir::cleanPath(QFileInfo(walk.next()).absoluteFilePath());
        if (!walk.fileInfo().isFile())
            continue;
        const QString name = walk.fileInfo().fileName();
        exact[name].append(path);
        folded[name.toLower()].append(path);
    }

    QHash<QString, QString> found; // missing path -> found path
    for (const QString& path : std::as_const(missing)) {
        const QString name = QFileInfo(path).fileName();
        const QStringList candidates = exact.contains(name) ? exact.value(name) : folded.value(name.toLower());
        if (!candidates.isEmpty())
            found.insert(path, closestMatch(path, candidates));
    }
    if (found.isEmpty())
        return 0;
    for (ImageInfo& photo : album.photos)
        if (const auto it = found.constFind(photo.filePath); it != found.constEnd())
            photo.filePath = *it;
    for (AudioInfo& clip : album.clips) {
        if (const auto it = found.constFind(clip.filePath); it != found.constEnd()) {
            clip.filePath = *it;
            refreshClip(clip);
        }
    }
    missing.removeIf([&](const QString& path) { return found.contains(path); });
    return int(found.size());
}

void dropMissing(AlbumContents& album, const QStringList& missing)
{
    if (missing.isEmpty())
        return;
    const QSet<QString> gone(missing.cbegin(), missing.cend());
    album.photos.removeIf([&](const ImageInfo& photo) { return gone.contains(photo.filePath); });
    album.clips.removeIf([&](const AudioInfo& clip) { return gone.contains(clip.filePath); });
}

} // namespace AlbumFile
