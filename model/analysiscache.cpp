#include "analysiscache.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

// Raised when the layout of an entry changes; older entries then read as misses.
constexpr int EntryFormat = 1;
// An entry is a few kilobytes even for a long song's beats; anything far larger is not ours.
constexpr qint64 MaxEntryBytes = 16 * 1024 * 1024;

QString canonicalPath(const QString& filePath) { return QFileInfo(filePath).absoluteFilePath(); }

// The file as it is now, as the entry records it; empty when it does not exist.
QJsonObject fileStamp(const QString& filePath)
{
    const QFileInfo info(filePath);
    if (!info.exists() || !info.isFile())
        return {};
    return QJsonObject{
        {QStringLiteral("path"), canonicalPath(filePath)},
        {QStringLiteral("size"), QString::number(info.size())},
        {QStringLiteral("modified"), QString::number(info.lastModified().toMSecsSinceEpoch())},
    };
}

bool validKind(const QString& kind)
{
    if (kind.isEmpty() || kind.size() > 32)
        return false;
    for (const QChar c : kind)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != QLatin1Char('-'))
            return false;
    return true;
}

} // namespace

AnalysisCache::AnalysisCache(QString folder)
    : dir(std::move(folder))
{
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/analysis");
}

QString AnalysisCache::folder() const { return dir; }

QString AnalysisCache::entryPath(const QString& kind, const QString& filePath) const
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalPath(filePath).toUtf8(), QCryptographicHash::Sha1).toHex();
    return dir + QLatin1Char('/') + kind + QLatin1Char('-') + QString::fromLatin1(hash) + QStringLiteral(".json");
}

std::optional<QJsonObject> AnalysisCache::load(const QString& kind, const QString& filePath) const
{
    if (!validKind(kind))
        return std::nullopt;
    const QJsonObject stamp = fileStamp(filePath);
    if (stamp.isEmpty())
        return std::nullopt;
    QFile file(entryPath(kind, filePath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxEntryBytes)
        return std::nullopt;
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject entry = document.object();
    if (entry.value(QStringLiteral("format")).toInt(-1) != EntryFormat ||
        entry.value(QStringLiteral("kind")).toString() != kind ||
        entry.value(QStringLiteral("file")).toObject() != stamp || !entry.value(QStringLiteral("result")).isObject())
        return std::nullopt;
    return entry.value(QStringLiteral("result")).toObject();
}

bool AnalysisCache::store(const QString& kind, const QString& filePath, const QJsonObject& result) const
{
    if (!validKind(kind))
        return false;
    const QJsonObject stamp = fileStamp(filePath);
    if (stamp.isEmpty() || !QDir().mkpath(dir))
        return false;
    const QJsonObject entry{
        {QStringLiteral("format"), EntryFormat},
        {QStringLiteral("kind"), kind},
        {QStringLiteral("file"), stamp},
        {QStringLiteral("result"), result},
    };
    QSaveFile file(entryPath(kind, filePath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = QJsonDocument(entry).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
