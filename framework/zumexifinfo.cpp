#include "zumexifinfo.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringDecoder>

#include <exiv2/exiv2.hpp>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>

namespace {

// exiv2 writes warnings about odd metadata to stderr and its XMP toolkit is
// only thread-safe once initialised with a lock; photos are parsed on the
// import thread, so both are settled once for the whole process.
std::mutex xmpMutex;

void xmpLock(void*, bool lock)
{
    if (lock)
        xmpMutex.lock();
    else
        xmpMutex.unlock();
}

void setUpExiv2()
{
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(xmpLock, nullptr);
    });
}

// Text that came from the file: cut at the first NUL (ASCII tags are often
// padded), drop control characters, and keep it short enough for a panel.
QString cleanText(const std::string& raw)
{
    const std::string::size_type end = raw.find('\0');
    const QByteArray bytes(raw.data(), qsizetype(end == std::string::npos ? raw.size() : end));
    // EXIF says ASCII; cameras and editors write UTF-8 or Latin-1 beyond it.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    text = text.simplified();
    constexpr qsizetype maxLength = 200;
    if (text.size() > maxLength)
        text.truncate(maxLength);
    return text;
}

bool isNumeric(Exiv2::TypeId type)
{
    switch (type) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::unsignedRational:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
    case Exiv2::signedRational:
    case Exiv2::tiffFloat:
    case Exiv2::tiffDouble: return true;
    default: return false;
    }
}

// Drops a trailing ".0" so that whole values read "8", not "8.0".
QString oneDecimal(double value)
{
    return QString::number(std::round(value * 10.0) / 10.0, 'f', 1).remove(QLatin1String(".0"), Qt::CaseSensitive);
}

class TagReader
{
public:
    explicit TagReader(const Exiv2::ExifData& exif)
        : m_exif(exif)
    {}

    const Exiv2::Exifdatum* find(const char* key) const
    {
        const auto it = m_exif.findKey(Exiv2::ExifKey(key));
        if (it == m_exif.end() || it->count() < 1)
            return nullptr;
        return &*it;
    }

    QString text(const char* key) const
    {
        const Exiv2::Exifdatum* datum = find(key);
        if (!datum || datum->typeId() != Exiv2::asciiString)
            return {};
        return cleanText(datum->toString());
    }

    std::optional<double> number(const char* key) const
    {
        const Exiv2::Exifdatum* datum = find(key);
        if (!datum || !isNumeric(datum->typeId()))
            return std::nullopt;
        const Exiv2::Value& value = datum->value();
        const double result = value.toFloat(0);
        if (!value.ok() || !std::isfinite(result))
            return std::nullopt;
        return result;
    }

    std::optional<long> integer(const char* key) const
    {
        const Exiv2::Exifdatum* datum = find(key);
        if (!datum || !isNumeric(datum->typeId()))
            return std::nullopt;
        const Exiv2::Value& value = datum->value();
        const long result = value.toLong(0);
        if (!value.ok())
            return std::nullopt;
        return result;
    }

private:
    const Exiv2::ExifData& m_exif;
};

QString exposureModeText(long mode)
{
    switch (mode) {
    case 0: return QCoreApplication::translate("ZumExifInfo", "Auto");
    case 1: return QCoreApplication::translate("ZumExifInfo", "Manual");
    case 2: return QCoreApplication::translate("ZumExifInfo", "Auto bracket");
    default: return {};
    }
}

QString meteringModeText(long mode)
{
    switch (mode) {
    case 0: return QCoreApplication::translate("ZumExifInfo", "Unknown");
    case 1: return QCoreApplication::translate("ZumExifInfo", "Average");
    case 2: return QCoreApplication::translate("ZumExifInfo", "Center-weighted average");
    case 3: return QCoreApplication::translate("ZumExifInfo", "Spot");
    case 4: return QCoreApplication::translate("ZumExifInfo", "Multi-spot");
    case 5: return QCoreApplication::translate("ZumExifInfo", "Pattern");
    case 6: return QCoreApplication::translate("ZumExifInfo", "Partial");
    case 255: return QCoreApplication::translate("ZumExifInfo", "Other");
    default: return {};
    }
}

QString whiteBalanceText(long mode)
{
    switch (mode) {
    case 0: return QCoreApplication::translate("ZumExifInfo", "Auto");
    case 1: return QCoreApplication::translate("ZumExifInfo", "Manual");
    default: return {};
    }
}

QString flashText(long flash)
{
    if (flash < 0 || flash > 0xFFFF)
        return {};
    if (flash & 0x20)
        return QCoreApplication::translate("ZumExifInfo", "No flash function");
    QString text = (flash & 0x01) ? QCoreApplication::translate("ZumExifInfo", "Fired")
                                  : QCoreApplication::translate("ZumExifInfo", "Did not fire");
    switch ((flash >> 3) & 0x03) {
    case 1: text += QCoreApplication::translate("ZumExifInfo", ", compulsory"); break;
    case 2: text += QCoreApplication::translate("ZumExifInfo", ", off"); break;
    case 3: text += QCoreApplication::translate("ZumExifInfo", ", auto mode"); break;
    default: break;
    }
    if (flash & 0x40)
        text += QCoreApplication::translate("ZumExifInfo", ", red-eye reduction");
    return text;
}

QString orientationText(int orientation)
{
    switch (orientation) {
    case 1: return QCoreApplication::translate("ZumExifInfo", "Normal");
    case 2: return QCoreApplication::translate("ZumExifInfo", "Mirror horizontal");
    case 3: return QCoreApplication::translate("ZumExifInfo", "Rotate 180°");
    case 4: return QCoreApplication::translate("ZumExifInfo", "Mirror vertical");
    case 5: return QCoreApplication::translate("ZumExifInfo", "Mirror horizontal and rotate 270° clockwise");
    case 6: return QCoreApplication::translate("ZumExifInfo", "Rotate 90° clockwise");
    case 7: return QCoreApplication::translate("ZumExifInfo", "Mirror horizontal and rotate 90° clockwise");
    case 8: return QCoreApplication::translate("ZumExifInfo", "Rotate 270° clockwise");
    default: return {};
    }
}

QString dateText(const QString& exifDate)
{
    // EXIF stores "YYYY:MM:DD HH:MM:SS"; cameras without a clock write blanks
    // or zeros, which say nothing.
    const QDateTime when = QDateTime::fromString(exifDate, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
    if (when.isValid())
        return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QDate day = QDate::fromString(exifDate.left(10), QStringLiteral("yyyy:MM:dd"));
    return day.isValid() ? day.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

// What the photographer wrote about the photo: the EXIF description, else
// the XMP one (its default language), else the IPTC caption. Cameras fill
// the EXIF field with blanks or their own name; that says nothing.
QString descriptionOf(const Exiv2::Image& image, const TagReader& tags)
{
    static const QStringList cameraNames{QStringLiteral("OLYMPUS DIGITAL CAMERA"), QStringLiteral("SONY DSC"),
                                         QStringLiteral("DIGITAL CAMERA"), QStringLiteral("MINOLTA DIGITAL CAMERA"),
                                         QStringLiteral("KONICA MINOLTA DIGITAL CAMERA")};
    QString text = tags.text("Exif.Image.ImageDescription");
    if (cameraNames.contains(text, Qt::CaseInsensitive))
        text.clear();
    if (text.isEmpty()) {
        const Exiv2::XmpData& xmp = image.xmpData();
        if (const auto it = xmp.findKey(Exiv2::XmpKey("Xmp.dc.description")); it != xmp.end() && it->count() > 0) {
            // A language alternative reads as 'lang="x-default" text'.
            static const QRegularExpression language(QStringLiteral(R"(^lang="[^"]*"\s*)"));
            text = cleanText(it->toString()).remove(language);
        }
    }
    if (text.isEmpty()) {
        const Exiv2::IptcData& iptc = image.iptcData();
        if (const auto it = iptc.findKey(Exiv2::IptcKey("Iptc.Application2.Caption")); it != iptc.end())
            text = cleanText(it->toString());
    }
    return text;
}

} // namespace

// Larger than any EXIF block can hold (one APP1 segment is at most 64 KB),
// so a longer "thumbnail" is a damaged offset, not a picture.
constexpr long MaxThumbnailBytes = 65536;

struct ZumExifInfo::Reader {
    static void read(ZumExifInfo& info, const std::function<Exiv2::Image::AutoPtr()>& open)
    {
        try {
            setUpExiv2();
            Exiv2::Image::AutoPtr image = open();
            if (!image.get())
                return;
            image->readMetadata();
            info.readTags(*image);
        } catch (...) {
            // Corrupt metadata in one photo must not cost the import; whatever
            // was read before the fault is dropped so no half-read record shows.
            info.m_orientation = 0;
            info.m_properties.fill(QString());
            info.m_thumbnail.clear();
        }
    }
};

ZumExifInfo::ZumExifInfo(const QString& path)
{
    const QFileInfo file(path);
    if (!file.isFile())
        return;
    Reader::read(*this, [&file] {
        // A FileIo of our own, so that exiv2 never takes a name such as
        // "http://..." for a location to fetch.
        Exiv2::BasicIo::AutoPtr io(new Exiv2::FileIo(QFile::encodeName(file.absoluteFilePath()).toStdString()));
        return Exiv2::ImageFactory::open(io);
    });
}

ZumExifInfo::ZumExifInfo(const uchar* data, qint64 size)
{
    if (!data || size <= 0 || size > std::numeric_limits<long>::max())
        return;
    // exiv2's memory reader works on the caller's bytes until something is
    // written, which never happens here.
    Reader::read(*this, [data, size] { return Exiv2::ImageFactory::open(data, long(size)); });
}

void ZumExifInfo::readTags(const Exiv2::Image& image)
{
    const Exiv2::ExifData& exif = image.exifData();
    const TagReader tags(exif);

    if (const auto code = tags.integer("Exif.Image.Orientation"); code && *code >= 1 && *code <= 8) {
        m_orientation = int(*code);
    } else {
        const Exiv2::XmpData& xmp = image.xmpData();
        const auto it = xmp.findKey(Exiv2::XmpKey("Xmp.tiff.Orientation"));
        if (it != xmp.end() && it->count() > 0) {
            const long value = it->value().toLong(0);
            if (it->value().ok() && value >= 1 && value <= 8)
                m_orientation = int(value);
        }
    }

    m_properties[EquipmentMake] = tags.text("Exif.Image.Make");
    m_properties[CameraModel] = tags.text("Exif.Image.Model");
    m_properties[Software] = tags.text("Exif.Image.Software");
    if (const auto bits = tags.number("Exif.Photo.CompressedBitsPerPixel"); bits && *bits > 0)
        m_properties[CompressedBitsPerPixel] = QString::number(std::round(*bits * 100.0) / 100.0);
    if (const auto seconds = tags.number("Exif.Photo.ExposureTime"))
        m_properties[ExposureTime] = exposureTimeText(*seconds);
    if (const auto f = tags.number("Exif.Photo.FNumber"))
        m_properties[FNumber] = fNumberText(*f);
    if (const auto mode = tags.integer("Exif.Photo.ExposureMode"))
        m_properties[ExposureMode] = exposureModeText(*mode);
    if (const auto bias = tags.number("Exif.Photo.ExposureBiasValue"))
        m_properties[ExposureBias] = exposureBiasText(*bias);
    if (const auto apex = tags.number("Exif.Photo.MaxApertureValue"))
        m_properties[MaxAperture] = apexApertureText(*apex);

    QString taken = dateText(tags.text("Exif.Photo.DateTimeOriginal"));
    if (taken.isEmpty())
        taken = dateText(tags.text("Exif.Photo.DateTimeDigitized"));
    m_properties[DateTaken] = taken;
    if (const auto iso = tags.integer("Exif.Photo.ISOSpeedRatings"); iso && *iso > 0)
        m_properties[IsoSpeed] = QCoreApplication::translate("ZumExifInfo", "ISO %1").arg(*iso);
    if (const auto focal = tags.number("Exif.Photo.FocalLength"); focal && *focal > 0)
        m_properties[FocalLength] = QCoreApplication::translate("ZumExifInfo", "%1 mm").arg(oneDecimal(*focal));
    if (const auto flash = tags.integer("Exif.Photo.Flash"))
        m_properties[Flash] = flashText(*flash);
    if (const auto metering = tags.integer("Exif.Photo.MeteringMode"))
        m_properties[MeteringMode] = meteringModeText(*metering);
    if (const auto balance = tags.integer("Exif.Photo.WhiteBalance"))
        m_properties[WhiteBalance] = whiteBalanceText(*balance);
    m_properties[OrientationText] = orientationText(m_orientation);
    m_properties[Description] = descriptionOf(image, tags);

    const Exiv2::ExifThumbC thumbnail(exif);
    if (std::strcmp(thumbnail.mimeType(), "image/jpeg") == 0) {
        const Exiv2::DataBuf bytes = thumbnail.copy();
        if (bytes.size_ > 0 && bytes.size_ <= MaxThumbnailBytes)
            m_thumbnail = QByteArray(reinterpret_cast<const char*>(bytes.pData_), qsizetype(bytes.size_));
    }
}

QString ZumExifInfo::property(PROPERTY_TYPE type) const
{
    if (type < 0 || type >= PropertyCount)
        return {};
    return m_properties[std::size_t(type)];
}

QString ZumExifInfo::exposureTimeText(double seconds)
{
    if (!(seconds > 0.0) || !std::isfinite(seconds) || seconds > 1e6)
        return {};
    if (seconds < 1.0) {
        // Shutter speeds are fractions of a second; a value that is not one
        // exactly (0.4 s, 0.3 s) reads better as a decimal, unless it is so
        // short that a decimal would say nothing.
        const double inverse = 1.0 / seconds;
        const double nearest = std::round(inverse);
        if (nearest >= 2.0 && (std::abs(inverse - nearest) <= 0.02 * nearest || seconds < 0.25))
            return QCoreApplication::translate("ZumExifInfo", "1/%1 s").arg(qint64(nearest));
    }
    return QCoreApplication::translate("ZumExifInfo", "%1 s").arg(oneDecimal(seconds));
}

QString ZumExifInfo::fNumberText(double fNumber)
{
    if (!(fNumber > 0.0) || !std::isfinite(fNumber) || fNumber > 1e4)
        return {};
    return QStringLiteral("f/%1").arg(oneDecimal(fNumber));
}

QString ZumExifInfo::exposureBiasText(double ev)
{
    if (!std::isfinite(ev) || std::abs(ev) > 1e4)
        return {};
    const QString value = oneDecimal(ev);
    if (value == QLatin1String("0") || value == QLatin1String("-0"))
        return QCoreApplication::translate("ZumExifInfo", "0 EV");
    return QCoreApplication::translate("ZumExifInfo", "%1%2 EV").arg(ev > 0 ? QStringLiteral("+") : QString(), value);
}

QString ZumExifInfo::apexApertureText(double apex)
{
    if (!std::isfinite(apex) || apex < -2.0 || apex > 30.0)
        return {};
    const double fNumber = std::pow(2.0, apex / 2.0);
    // APEX values are powers of the square root of two, which lenses are not
    // marked with: 5.66 is sold as f/5.6, 11.3 as f/11.
    static constexpr double marked[] = {0.7,  0.8,  0.9,  1.0,  1.1,  1.2,  1.4,  1.6,  1.7,  1.8,  2.0,  2.2,
                                        2.4,  2.5,  2.8,  3.2,  3.3,  3.5,  4.0,  4.5,  4.8,  5.0,  5.6,  6.3,
                                        6.7,  7.1,  8.0,  9.0,  9.5,  10.0, 11.0, 13.0, 14.0, 16.0, 18.0, 19.0,
                                        20.0, 22.0, 25.0, 27.0, 29.0, 32.0, 36.0, 40.0, 45.0, 51.0, 57.0, 64.0};
    double best = fNumber;
    double bestDistance = 0.03;
    for (double candidate : marked) {
        const double distance = std::abs(fNumber - candidate) / candidate;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = candidate;
        }
    }
    return fNumberText(best);
}
