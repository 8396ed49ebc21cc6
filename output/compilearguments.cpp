#include "compilearguments.h"

#include "zuprofilemanager.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

const std::array<const char*, 12> s_medadata = {"title",    "author",      "copyright", "comment", "album",    "genre",
                                                "composer", "origaritist", "encodedby", "year",    "timstamp", "track"};

// Options that sharpen or blunt the quantiser by hand; the encoders' own
// rate control does better, so profiles never pass them.
const std::array<const char*, 10> s_quantizerOptions = {"-lmax",  "-lmin",  "-mbqmax", "-mbqmin", "-qblur",
                                                        "-qcomp", "-qdiff", "-qmax",   "-qmin",   "-qscale"};

bool isUsable(const QString& value, Qt::CaseSensitivity cs)
{
    const QString text = value.trimmed();
    return !text.isEmpty() && !text.contains(QLatin1String("ignore"), cs) && !text.contains(QLatin1String("auto"), cs);
}

// A switch written as "0", "false", "off" or "no" is off, whatever its key.
bool isOffText(const QString& text)
{
    const QString t = text.trimmed().toLower();
    return t == QLatin1String("0") || t == QLatin1String("false") || t == QLatin1String("off") ||
           t == QLatin1String("no");
}

} // namespace

bool isMetadata(const QString& key)
{
    return std::any_of(s_medadata.begin(), s_medadata.end(),
                       [&key](const char* name) { return key == QLatin1String(name); });
}

double framerateFromString(const QString& text)
{
    QString value = text;
    const int fps = value.indexOf(QLatin1String("fps"), 0, Qt::CaseInsensitive);
    if (fps >= 0)
        value = value.left(fps);
    if (value.isEmpty())
        return 0.0;
    const QStringList parts = value.split(QLatin1Char('/'));
    if (parts.size() == 1) {
        const QStringList words = value.split(QLatin1Char(' '));
        return (words.size() == 1 ? value : words.first()).toDouble();
    }
    if (parts.size() == 2) {
        const double denominator = parts[1].toDouble();
        return std::abs(denominator) > 0.1 ? parts[0].toDouble() / denominator : 0.0;
    }
    return 0.0;
}

void renderParamsFromProfile(RenderParam& param, const ZumProfileData& profile)
{
    const auto& properties = profile.properties;
    const QString size = properties.value(QStringLiteral("s")).toString();
    bool sizeSet = false;
    if (isUsable(size, Qt::CaseInsensitive)) {
        // The leading run of digits with at most one "x": "1280X720p" is 1280 x 720.
        static const QRegularExpression lead(QStringLiteral("^\\s*(\\d+)[xX](\\d+)"));
        const QRegularExpressionMatch match = lead.match(size);
        if (match.hasMatch()) {
            const int width = match.captured(1).toInt() & ~3;
            const int height = match.captured(2).toInt() & ~1;
            // A size without a usable second number, or too small to encode,
            // is treated as no size at all.
            if (width >= 16 && height >= 16) {
                param.width = width;
                param.height = height;
                sizeSet = true;
            }
        }
    }
    if (!sizeSet) {
        param.width = 640;
        param.height = 480;
    }

    const QString rate = properties.value(QStringLiteral("r")).toString();
    if (isUsable(rate, Qt::CaseInsensitive)) {
        QString number = rate.trimmed();
        if (number.endsWith(QLatin1String("fps")))
            number.chop(3);
        bool ok = false;
        double frameRate = number.toDouble(&ok);
        if (!ok)
            frameRate = framerateFromString(rate);
        // Every frame computation divides by the rate: keep the old one
        // rather than take a rate of 0.
        if (frameRate > 0.0 && frameRate <= 1000.0)
            param.frameRate = frameRate;
    }

    const QString channels = properties.value(QStringLiteral("ac")).toString();
    if (isUsable(channels, Qt::CaseInsensitive)) {
        const int value = channels.trimmed().toInt();
        if (value > 0 && value <= 8)
            param.channels = value;
    }
    const QString sampleRate = properties.value(QStringLiteral("ar")).toString();
    if (isUsable(sampleRate, Qt::CaseSensitive)) {
        const int value = sampleRate.trimmed().toInt();
        if (value > 0)
            param.sampleRate = value;
    }
    param.aspectRatio = double(param.width) / double(param.height);
}

QString profileExtension(const ZumProfileData& profile)
{
    return profile.properties.value(QStringLiteral("/ext_name")).toString();
}

QStringList profileArguments(const ZumProfileData& profile, const RenderParam& param)
{
    ZuProfileManager* manager = ZuProfileManager::instance(nullptr, true);
    const auto& properties = profile.properties;
    const QString extension = profileExtension(profile);
    QStringList list;

    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        QString key = it.key();
        QVariant value = it.value();
        const QString text = value.toString();
        if (!value.isValid() || text.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0 ||
            text.contains(QLatin1String("auto"), Qt::CaseInsensitive) ||
            text.contains(QLatin1String("ignore_me"), Qt::CaseInsensitive))
            continue;
        if (key.isEmpty() || key.contains(QLatin1Char('/')) || key.contains(QLatin1Char(',')))
            continue;
        if (key.startsWith(QLatin1String("flag_"))) {
            key = key.mid(5);
            value = QVariant(!isOffText(text));
        }
        if (key == QLatin1String("vbrquality") && properties.contains(QStringLiteral("cbrorvbr")) &&
            properties.value(QStringLiteral("cbrorvbr")).toString() == QLatin1String("CBR"))
            continue;
        if (key == QLatin1String("t") || key == QLatin1String("ss") || key == QLatin1String("s") ||
            key == QLatin1String("pass"))
            continue;

        if (isMetadata(key)) {
            list << QStringLiteral("-metadata") << key + QLatin1Char('=') + text;
        } else {
            bool isBool = value.typeId() == QMetaType::Bool;
            if (!isBool && (text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 ||
                            text.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0))
                isBool = manager->profileItemType(key) == QLatin1String("bool");
            if (!isBool) {
                list << QLatin1Char('-') + key << text;
                if (key == QLatin1String("r") && !profile.url.isEmpty() && manager->profileType(profile.url) == 3) {
                    const double fps = framerateFromString(text);
                    list << QStringLiteral("-bt") << QStringLiteral("%1K").arg(200.0 / std::max(fps, 0.01), 0, 'f', 2);
                }
            } else if (value.toBool() || text.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) {
                list << QLatin1Char('-') + key;
            }
        }

        const QString format = manager->templateTagValue(profile.url, QStringLiteral("ext_format"));
        if (!format.isEmpty() && format != extension)
            list << QStringLiteral("-f") << format;
    }

    if (extension.compare(QLatin1String("wmv"), Qt::CaseInsensitive) == 0)
        list << QStringLiteral("-map") << QStringLiteral("0:0") << QStringLiteral("-map") << QStringLiteral("0:1");
    if (!list.contains(QStringLiteral("-aspect"), Qt::CaseInsensitive))
        list << QStringLiteral("-aspect") << QStringLiteral("%1").arg(double(param.width) / double(param.height));
    return list;
}

QString uniqueOutputFile(const QString& folder, const QString& baseName, const QString& extension)
{
    const QString stem = folder + QLatin1Char('/') + baseName;
    QString file = stem + QLatin1Char('.') + extension;
    for (int n = 1; QFileInfo::exists(file); ++n)
        file = stem + QStringLiteral("(%1).").arg(n) + extension;
    return file;
}

QStringList compileArguments(const ZumProfileData& profile, const RenderParam& param, const QString& outputFile)
{
    QStringList list;
    list << QStringLiteral("-s") << QStringLiteral("%1x%2").arg(param.width).arg(param.height);
    list << QStringLiteral("-r") << QString::number(param.frameRate, 'g', 6);
    if (profileExtension(profile).compare(QLatin1String("qt"), Qt::CaseInsensitive) == 0)
        list << QStringLiteral("-f") << QStringLiteral("mov");
    list << profileArguments(profile, param);
    list << QStringLiteral("-y") << outputFile;

    for (const char* option : s_quantizerOptions) {
        const int at = list.indexOf(QLatin1String(option));
        if (at >= 0) {
            list.removeAt(at);
            if (at < list.size())
                list.removeAt(at);
        }
    }
    return list;
}
