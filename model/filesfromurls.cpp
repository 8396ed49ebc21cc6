#include "filesfromurls.h"

#include <QDir>
#include <QFileInfo>

const QString g_strPhotoFiles = QStringLiteral(
    "JPG Files (*.jpg *.jpeg);;BMP Files (*.bmp);;PNG Files (*.png);;GIF Files (*.gif);;TIFF Files (*.tiff);;"
    "XBP Files (*.xbm);;XPM Files (*.xpm);;");

const QString g_strAudioFiles = QStringLiteral(
    "AAC Files (*.aac);;AIF Files (*.aif *.aiff);;AC3 Files (*.ac3);;APE Files (*.ape);;AU Files (*.au);;"
    "FLAC Files (*.flac);;MPA Files (*.mpa);;MP2 Files (*.mp2);;MP3 Files (*.mp3);;OGG Files (*.ogg);;"
    "RA Files (*.ra);;WAV Files (*.wav);;WMA Files (*.wma);;M4A Files (*.m4a);;");

QStringList photoNameFilters()
{
    return {QStringLiteral("*.jpg"), QStringLiteral("*.jpeg"), QStringLiteral("*.bmp"), QStringLiteral("*.png"),
            QStringLiteral("*.gif"), QStringLiteral("*.tiff"), QStringLiteral("*.xbm"), QStringLiteral("*.xpm"),
            QStringLiteral("*.tif"), QStringLiteral("*.webp")};
}

QStringList audioNameFilters()
{
    return {QStringLiteral("*.aac"), QStringLiteral("*.aif"), QStringLiteral("*.aiff"), QStringLiteral("*.ac3"),
            QStringLiteral("*.ape"), QStringLiteral("*.au"),  QStringLiteral("*.flac"), QStringLiteral("*.mpa"),
            QStringLiteral("*.mp2"), QStringLiteral("*.mp3"), QStringLiteral("*.ogg"),  QStringLiteral("*.ra"),
            QStringLiteral("*.wav"), QStringLiteral("*.wma"), QStringLiteral("*.m4a")};
}

QString importDialogFilter(const QStringList& nameFilters, const QString& formatEntries)
{
    return QStringLiteral("All Supported Files (") + nameFilters.join(QLatin1Char(' ')) + QStringLiteral(");;") +
           formatEntries + QStringLiteral("All Files(*.*);;");
}

QStringList filesFromUrls(const QList<QUrl>& urls, const QStringList& nameFilters, bool acceptFolders)
{
    QStringList files;
    for (const QUrl& url : urls) {
        const QString path = url.toLocalFile();
        const QFileInfo info(path);
        if (acceptFolders && info.isDir()) {
            const QFileInfoList entries = QDir(path).entryInfoList(
                nameFilters, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
            for (const QFileInfo& entry : entries)
                files << entry.absoluteFilePath();
        } else {
            files << path;
        }
    }
    return files;
}
