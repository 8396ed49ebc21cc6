// Prints what an import reads from each photo and, on request, writes its strip
// thumbnails and one output frame, so the image reader can be checked by eye.

#include "imagereader.h"
#include "photoimport.h"
#include "zumexifinfo.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <libavutil/pixfmt.h>

namespace {
const char* const kPropertyLabels[ZumExifInfo::PropertyCount] = {
    "Equipment make", "Camera model",  "Software",      "Compressed bits/pixel", "Exposure time",
    "F-number",       "Exposure mode", "Exposure bias", "Max aperture",          "Date taken",
    "ISO speed",      "Focal length",  "Flash",         "Metering mode",         "White balance",
    "Orientation",    "Description",
};

bool writeFrame(const QString& photo, const ImageInfo& info, QSize size, const QString& target)
{
    FrameData frame;
    if (!frame.allocate(AV_PIX_FMT_BGRA, size.width(), size.height()))
        return false;
    if (!ImageReader::read(photo, frame.picture, size.width(), size.height(), info.imageType > 3))
        return false;
    // The reader has done the quarter turn; the compositor does the remaining
    // mirror or flip of the orientation class, imitated here.
    const int type = info.imageType;
    const bool mirror = type == 2 || type == 3 || type == 5 || type == 7;
    const bool flip = type == 1 || type == 3 || type == 4 || type == 5;
    // The buffer holds the bottom row first, as OpenGL wants it.
    const QImage image(frame.picture.data[0], size.width(), size.height(), frame.picture.linesize[0],
                       QImage::Format_ARGB32);
    return image.mirrored(mirror, !flip).save(target);
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("reelwright-inspect"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Shows what Reelwright reads from photos on import."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("Write each photo's thumbnails and one output frame "
                                                      "(EXIF orientation applied) into <folder>."),
                                       QStringLiteral("folder"));
    const QCommandLineOption sizeOption(QStringLiteral("size"),
                                        QStringLiteral("Output frame size for -o (default 1280x720)."),
                                        QStringLiteral("WxH"), QStringLiteral("1280x720"));
    parser.addOption(outOption);
    parser.addOption(sizeOption);
    parser.addPositionalArgument(QStringLiteral("photos"), QStringLiteral("Image files to inspect."),
                                 QStringLiteral("photo..."));
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList photos = parser.positionalArguments();
    if (photos.isEmpty()) {
        err << "reelwright-inspect: no photos given (see --help)\n";
        return 2;
    }
    const QStringList sizeParts = parser.value(sizeOption).split(QLatin1Char('x'));
    const QSize frameSize = sizeParts.size() == 2 ? QSize(sizeParts[0].toInt(), sizeParts[1].toInt()) : QSize();
    if (frameSize.width() < 2 || frameSize.height() < 2) {
        err << "reelwright-inspect: --size must look like 1280x720\n";
        return 2;
    }
    const QString outDir = parser.value(outOption);
    if (!outDir.isEmpty() && !QDir().mkpath(outDir)) {
        err << "reelwright-inspect: cannot create folder " << outDir << "\n";
        return 1;
    }

    int failures = 0;
    for (const QString& photo : photos) {
        ImageInfo info;
        // Shown as the program would import it.
        if (!readImportedPhoto(QFileInfo(photo).absoluteFilePath(), info, 0)) {
            err << photo << ": not a readable image\n";
            ++failures;
            continue;
        }

        out << info.filePath << "\n"
            << "  size " << info.width << " x " << info.height << ", " << info.depth << " bits per pixel, "
            << info.suffix << ", " << info.fileSize << " bytes, modified " << info.lastModified.toString(Qt::ISODate)
            << "\n"
            << "  EXIF turn " << info.exifRotation << (info.exifMirror ? ", mirror" : "")
            << (info.exifFlip ? ", flip" : "") << " -> orientation class " << info.imageType << "\n";
        for (int i = 0; i < ZumExifInfo::PropertyCount; ++i) {
            if (!info.exifProperties[i].isEmpty())
                out << "  " << kPropertyLabels[i] << ": " << info.exifProperties[i] << "\n";
        }

        if (!outDir.isEmpty()) {
            const QString base = QDir(outDir).filePath(QFileInfo(photo).completeBaseName());
            const bool saved = info.thumbnail.save(base + QStringLiteral("-thumb.png")) &&
                               info.thumbnailTurned.save(base + QStringLiteral("-thumb-turned.png")) &&
                               writeFrame(info.filePath, info, frameSize, base + QStringLiteral("-frame.png"));
            if (!saved) {
                err << photo << ": could not write pictures into " << outDir << "\n";
                ++failures;
            }
        }
        out.flush();
    }
    return failures == 0 ? 0 : 1;
}
