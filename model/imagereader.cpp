#include "imagereader.h"

#include "ffmpegptr.h"
#include "zumexifinfo.h"

#include <QFile>
#include <QFileInfo>
#include <QImageIOHandler>
#include <QImageReader>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstring>

namespace {

// Photos are worked on as 32-bit pixels, so that is what the size check of a
// file's header counts with, whatever its own pixel format.
constexpr qint64 BytesPerWorkingPixel = 4;

// Qt 6.4 refuses images above 128 MB, which stops an 8000 x 6000 photo
// (192 MB as 32-bit pixels). The limit is raised to 256 MB (64 megapixels)
// while the program loads, before any thread can read it; a limit the user
// sets in QT_IMAGEIO_MAXALLOC still wins, and a higher one is kept.
constexpr int PhotoAllocationLimitMb = 256;
const bool allocationLimitRaised = [] {
    const int current = QImageReader::allocationLimit();
    if (current > 0 && current < PhotoAllocationLimitMb)
        QImageReader::setAllocationLimit(PhotoAllocationLimitMb);
    return true;
}();

// A JPEG that ends before its end-of-image marker still decodes in Qt: the
// decoder warns and paints the missing part grey. Such a file is cut short
// (an interrupted copy or download), so it is refused instead. The walk
// follows the segment lengths, so markers inside an embedded thumbnail are
// skipped, and treats anything after the end marker as the trailer some
// cameras append.
//
// Walking the entropy-coded data costs a pass over the whole file, which an
// import that never decodes it (it shows the camera's preview) should not
// pay. Inside that data 0xFF is always followed by 0x00 or a restart marker,
// so a file whose last two bytes are an end marker lying past the start of
// the first scan was not cut inside a scan: the walk stops there. Files with
// a trailer of other bytes still take the whole walk.
bool jpegIsComplete(const uchar* data, qint64 size)
{
    const bool endsWithEndMarker = size >= 4 && data[size - 2] == 0xFF && data[size - 1] == 0xD9;
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    qint64 pos = 2;
    for (;;) {
        while (pos < size && data[pos] != 0xFF) // stray bytes between segments
            ++pos;
        while (pos < size && data[pos] == 0xFF) // fill bytes
            ++pos;
        if (pos >= size)
            return false;
        const uchar marker = data[pos++];
        if (marker == 0xD9)
            return true;
        if (marker == 0x01 || marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // markers without a length
        if (pos + 2 > size)
            return false;
        const qint64 length = (qint64(data[pos]) << 8) | data[pos + 1];
        if (length < 2)
            return false;
        pos += length;
        if (pos > size)
            return false;
        if (marker != 0xDA)
            continue;
        if (endsWithEndMarker && pos <= size - 2)
            return true;
        // Entropy-coded data: 0xFF is followed by a stuffed 0x00 or a restart
        // marker; anything else is the next segment.
        for (;;) {
            const void* found = std::memchr(data + pos, 0xFF, std::size_t(size - pos));
            if (!found)
                return false;
            pos = static_cast<const uchar*>(found) - data;
            if (pos + 1 >= size)
                return false;
            const uchar next = data[pos + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                pos += 2;
                continue;
            }
            if (next == 0xFF) {
                ++pos;
                continue;
            }
            break;
        }
    }
}

bool jpegIsComplete(const QByteArray& bytes)
{
    return jpegIsComplete(reinterpret_cast<const uchar*>(bytes.constData()), bytes.size());
}

// One image file opened for decoding: the header's facts first, the pixels
// on request, at full size or reduced where the format decodes reduced
// cheaply (JPEG scales in the DCT, which saves most of the work).
class ImageSource
{
public:
    bool open(const QString& path)
    {
        const QFileInfo info(path);
        if (!info.isFile()) // also keeps FIFOs and devices from blocking a read
            return false;
        m_file.setFileName(info.absoluteFilePath());
        if (!m_file.open(QIODevice::ReadOnly) || m_file.size() == 0)
            return false;
        m_reader.setDevice(&m_file);
        m_reader.setDecideFormatFromContent(true);
        m_reader.setAutoTransform(false);
        if (!m_reader.canRead())
            return false;
        const QByteArray format = m_reader.format().toLower();
        if (format == "jpeg" || format == "jpg") {
            // Mapped once, for the completeness check and for whoever reads
            // the metadata next: pages that are never touched (the scan
            // data, when nothing decodes it) are never read.
            m_mapped = m_file.map(0, m_file.size());
            const bool complete = m_mapped ? jpegIsComplete(m_mapped, m_file.size()) : jpegIsComplete(wholeFile());
            if (!complete)
                return false;
        }
        m_size = m_reader.size();
        m_format = m_reader.imageFormat();
        if (m_size.isValid() && !fitsAllocationLimit(m_size))
            return false;
        return true;
    }

    ~ImageSource()
    {
        if (m_mapped)
            m_file.unmap(m_mapped);
    }

    // The stored size: from the header until decode(), then from the image
    // unless that was decoded reduced.
    QSize size() const { return m_size; }

    // The whole file in memory, where it was mapped (JPEGs); null otherwise.
    const uchar* mapped() const { return m_mapped; }
    qint64 mappedSize() const { return m_mapped ? m_file.size() : 0; }

    // Decodes the image no smaller than `atLeast` (full size when empty).
    QImage decode(QSize atLeast = QSize())
    {
        bool reduced = false;
        if (m_size.isValid() && !atLeast.isEmpty() && m_reader.supportsOption(QImageIOHandler::ScaledSize)) {
            // Powers of two are what the JPEG decoder reduces by exactly.
            for (int divisor = 8; divisor > 1 && !reduced; divisor /= 2) {
                const QSize smaller(m_size.width() / divisor, m_size.height() / divisor);
                if (smaller.width() >= atLeast.width() && smaller.height() >= atLeast.height()) {
                    m_reader.setScaledSize(smaller);
                    reduced = true;
                }
            }
        }
        QImage image = m_reader.read();
        if (image.isNull())
            return {};
        if (!reduced) {
            if (!fitsAllocationLimit(image.size()))
                return {};
            m_size = image.size();
            m_format = image.format();
        } else if (m_format == QImage::Format_Invalid) {
            m_format = image.format();
        }
        return image;
    }

    int depth() const { return QImage::toPixelFormat(m_format).bitsPerPixel(); }

    // Whether the header told both the size and the pixel format, so that
    // the record can be made without decoding.
    bool headerTold() const { return m_size.isValid() && m_format != QImage::Format_Invalid; }

private:
    QByteArray wholeFile()
    {
        const qint64 position = m_file.pos();
        m_file.seek(0);
        const QByteArray bytes = m_file.readAll();
        m_file.seek(position);
        return bytes;
    }

    static bool fitsAllocationLimit(QSize size)
    {
        if (size.isEmpty())
            return false;
        const qint64 limitMb = QImageReader::allocationLimit();
        if (limitMb <= 0)
            return true;
        return qint64(size.width()) * size.height() * BytesPerWorkingPixel <= limitMb * 1024 * 1024;
    }

    QFile m_file;
    QImageReader m_reader;
    QSize m_size;
    QImage::Format m_format = QImage::Format_Invalid;
    uchar* m_mapped = nullptr;
};

// The image as opaque 32-bit RGB. Transparent parts are laid over black,
// the colour of the frame around every photo, rather than letting the colour
// hidden under zero alpha show through.
QImage opaqueRgb32(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return image.convertToFormat(QImage::Format_RGB32);
    QImage canvas(image.size(), QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    painter.drawImage(0, 0, image);
    painter.end();
    return canvas;
}

QImage turned(const QImage& image) { return image.transformed(QTransform().rotate(90), Qt::FastTransformation); }

// Copies `image` (already at its final size and RGB32) into the middle of
// an 80 x 60 grey canvas.
QImage thumbnailCanvas(const QImage& image)
{
    QImage canvas(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight, QImage::Format_RGB32);
    canvas.fill(ImageReader::ThumbnailBackground);
    if (image.isNull())
        return canvas;
    const int top = (ImageReader::ThumbnailHeight - image.height()) / 2;
    const int left = (ImageReader::ThumbnailWidth - image.width()) / 2;
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(canvas.scanLine(top + y) + left * 4, image.constScanLine(y), std::size_t(image.width()) * 4);
    return canvas;
}

QSize thumbnailFit(QSize size)
{
    return size.scaled(ImageReader::ThumbnailWidth, ImageReader::ThumbnailHeight, Qt::KeepAspectRatio);
}

// The mean brightness of a row or column of the preview. Brightness, not
// colour: the colour is stored at half resolution in larger blocks and
// bleeds further into a black bar.
int meanLevel(const QImage& image, QRect line)
{
    qint64 sum = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x)
            sum += qGray(image.pixel(x, y));
    return int(sum / std::max<qint64>(1, qint64(line.width()) * line.height()));
}

// Bars a camera leaves around a photo of another shape than its preview
// are black; the row or column touching the photo is left out, as the
// JPEG's blocks smear the photo's edge into it.
constexpr int DarkestBarLevel = 32;

// The camera's preview from the EXIF block, cut to the photo's shape, when
// it can stand in for a decode of the photo: a complete JPEG holding at
// least `atLeast` pixels of the photo. Cameras fit a 3:2 photo into a 4:3
// preview with black bars, which are cut away; a preview of any other shape
// (an old preview of a photo cropped since, a turned one) is not used.
QImage embeddedPreview(const QByteArray& jpeg, QSize photo, QSize atLeast)
{
    if (jpeg.isEmpty() || !photo.isValid() || atLeast.isEmpty() || !jpegIsComplete(jpeg))
        return {};
    QImage preview;
    if (!preview.loadFromData(jpeg, "JPEG") || preview.isNull())
        return {};
    const QSize content = photo.scaled(preview.size(), Qt::KeepAspectRatio);
    const int spareRows = preview.height() - content.height();
    const int spareColumns = preview.width() - content.width();
    QRect kept = preview.rect();
    if (spareRows > 1) {
        const int top = spareRows / 2;
        const int bottom = top + content.height(); // first bar row below
        for (int y = 0; y < top - 1; ++y)
            if (meanLevel(preview, QRect(0, y, preview.width(), 1)) > DarkestBarLevel)
                return {};
        for (int y = bottom + 1; y < preview.height(); ++y)
            if (meanLevel(preview, QRect(0, y, preview.width(), 1)) > DarkestBarLevel)
                return {};
        kept = QRect(0, top + 1, preview.width(), content.height() - 2);
    } else if (spareColumns > 1) {
        const int left = spareColumns / 2;
        const int right = left + content.width();
        for (int x = 0; x < left - 1; ++x)
            if (meanLevel(preview, QRect(x, 0, 1, preview.height())) > DarkestBarLevel)
                return {};
        for (int x = right + 1; x < preview.width(); ++x)
            if (meanLevel(preview, QRect(x, 0, 1, preview.height())) > DarkestBarLevel)
                return {};
        kept = QRect(left + 1, 0, content.width() - 2, preview.height());
    }
    if (kept.width() < atLeast.width() || kept.height() < atLeast.height())
        return {};
    return kept == preview.rect() ? preview : preview.copy(kept);
}

bool pictureFits(const AVPicture& picture, int width, int height, int bytesPerPixel)
{
    return picture.data[0] && width > 0 && height > 0 && qint64(picture.linesize[0]) >= qint64(width) * bytesPerPixel;
}

} // namespace

void ImageReader::applyExifOrientation(ImageInfo& info, int orientation)
{
    info.exifRotation = 0;
    info.exifMirror = false;
    info.exifFlip = false;
    switch (orientation) {
    case 1: break;
    case 2: info.exifMirror = true; break;
    case 3:
        info.exifMirror = true;
        info.exifFlip = true;
        break;
    case 4: info.exifFlip = true; break;
    case 5:
        info.exifRotation = 90;
        info.exifMirror = true;
        break;
    case 6: info.exifRotation = 90; break;
    case 7:
        info.exifRotation = -90;
        info.exifMirror = true;
        break;
    case 8: info.exifRotation = -90; break;
    default: break;
    }
}

bool ImageReader::parse(ImageInfo& info)
{
    ImageSource source;
    if (!source.open(info.filePath))
        return false;

    // Both thumbnails come from the same decode: the plain one fits the
    // stored size into 80 x 60, the turned one the turned size.
    QSize atLeast;
    if (source.size().isValid()) {
        const QSize plain = thumbnailFit(source.size());
        const QSize turnedStored = thumbnailFit(source.size().transposed()).transposed();
        atLeast = plain.expandedTo(turnedStored).expandedTo(QSize(1, 1));
    }
    // The metadata comes from the bytes already mapped where there are any,
    // so the file is opened once; it may hold a preview that spares the
    // decode.
    const ZumExifInfo exif =
        source.mapped() ? ZumExifInfo(source.mapped(), source.mappedSize()) : ZumExifInfo(info.filePath);
    QImage decoded;
    if (source.headerTold())
        decoded = embeddedPreview(exif.thumbnailJpeg(), source.size(), atLeast);
    if (decoded.isNull())
        decoded = source.decode(atLeast);
    if (decoded.isNull())
        return false;
    const QSize plainFit = thumbnailFit(source.size());
    const QSize turnedFit = thumbnailFit(source.size().transposed());

    ImageInfo result = info;
    result.width = source.size().width();
    result.height = source.size().height();
    result.depth = source.depth();

    applyExifOrientation(result, exif.Orientation());

    const QFileInfo file(info.filePath);
    result.suffix = file.suffix();
    result.fileSize = file.size();
    result.lastModified = file.lastModified();

    for (int i = 0; i < ExifPropertyCount; ++i)
        result.exifProperties[std::size_t(i)] = exif.property(ZumExifInfo::PROPERTY_TYPE(i));

    // Scaled first, then made opaque: only thumbnail-sized pixels are
    // converted. Scaling before turning gives the same pixels as turning
    // first and is cheaper.
    result.thumbnail =
        thumbnailCanvas(opaqueRgb32(decoded.scaled(plainFit, Qt::IgnoreAspectRatio, Qt::FastTransformation)));
    result.thumbnailTurned = thumbnailCanvas(
        opaqueRgb32(turned(decoded.scaled(turnedFit.transposed(), Qt::IgnoreAspectRatio, Qt::FastTransformation))));

    info = result;
    return true;
}

bool ImageReader::read(const QString& path, AVPicture& picture, int width, int height, bool turn)
{
    if (!pictureFits(picture, width, height, 4))
        return false;
    ImageSource source;
    if (!source.open(path))
        return false;

    QSize atLeast;
    if (source.size().isValid()) {
        const QSize shown = turn ? source.size().transposed() : source.size();
        const QSize fit = shown.scaled(width, height, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
        atLeast = turn ? fit.transposed() : fit;
    }
    QImage image = source.decode(atLeast);
    if (image.isNull())
        return false;
    if (turn)
        image = turned(image);
    // The fit comes from the stored size, not the decoded one, so a reduced
    // decode lands on exactly the size a full one would.
    const QSize shown = turn ? source.size().transposed() : source.size();
    const QSize fit = shown.scaled(width, height, Qt::KeepAspectRatio);
    QImage scaled;
    if (!fit.isEmpty()) {
        scaled = opaqueRgb32(image.scaled(fit, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        if (scaled.isNull())
            return false;
    }

    // One pass over the picture: opaque black bars, the photo's rows with
    // alpha forced to 255, and zeros in any padding past the last pixel.
    // Row 0 of the picture is the bottom of the photo, as OpenGL expects.
    // The words are little-endian 0xAARRGGBB, so bytes B, G, R, A in memory.
    constexpr quint32 OpaqueBlack = 0xFF000000u;
    const int photoRows = scaled.isNull() ? 0 : scaled.height();
    const int photoColumns = scaled.isNull() ? 0 : scaled.width();
    const int top = (height - photoRows) / 2;
    const int left = (width - photoColumns) / 2;
    for (int y = 0; y < height; ++y) {
        uint8_t* line = picture.data[0] + qint64(y) * picture.linesize[0];
        auto* row = reinterpret_cast<quint32*>(line);
        const bool photoRow = y >= top && y < top + photoRows;
        const int barEnd = photoRow ? left : width;
        std::fill(row, row + barEnd, OpaqueBlack);
        if (photoRow) {
            const auto* source = reinterpret_cast<const quint32*>(scaled.constScanLine(photoRows - 1 - (y - top)));
            quint32* target = row + left;
            for (int x = 0; x < photoColumns; ++x)
                target[x] = source[x] | OpaqueBlack;
            std::fill(row + left + photoColumns, row + width, OpaqueBlack);
        }
        std::memset(line + std::size_t(width) * 4, 0, std::size_t(picture.linesize[0]) - std::size_t(width) * 4);
    }
    return true;
}

bool ImageReader::readPattern(const QString& path, AVPicture& picture, int width, int height)
{
    if (!pictureFits(picture, width, height, 1))
        return false;
    ImageSource source;
    if (!source.open(path))
        return false;
    const QImage decoded = source.decode();
    if (decoded.isNull())
        return false;
    const QImage rgb = decoded.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        return false;

    // The pixels are handed over as BGR although Qt stores them R, G, B: the
    // grey levels of the pattern files were made that way, and for the grey
    // images they are it makes no difference.
    const SwsContextPtr scaler(sws_getContext(rgb.width(), rgb.height(), AV_PIX_FMT_BGR24, width, height,
                                              AV_PIX_FMT_GRAY8, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler)
        return false;
    const uint8_t* const sourcePlanes[4] = {rgb.constBits(), nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {int(rgb.bytesPerLine()), 0, 0, 0};
    uint8_t* const targetPlanes[4] = {picture.data[0], nullptr, nullptr, nullptr};
    const int targetStrides[4] = {picture.linesize[0], 0, 0, 0};
    return sws_scale(scaler.get(), sourcePlanes, sourceStrides, 0, rgb.height(), targetPlanes, targetStrides) == height;
}
