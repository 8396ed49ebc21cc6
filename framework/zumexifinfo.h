#ifndef ZUMEXIFINFO_H
#define ZUMEXIFINFO_H

#include <QByteArray>
#include <QString>
#include <array>

namespace Exiv2 {
class Image;
}

// Reads a photo's EXIF orientation and camera settings once, as display texts.
//
// Every failure (no such file, not an image, no EXIF block, corrupt or hostile
// metadata) leaves the reader empty: Orientation() returns 0 and every
// property() an empty string. Nothing ever throws out of this class.
class ZumExifInfo
{
public:
    // Photo records and the property panel index their texts by these
    // numbers; 0..8 are the nine the panel shows.
    enum PROPERTY_TYPE {
        EquipmentMake = 0,          // "Canon"
        CameraModel = 1,            // "Canon EOS 600D"
        Software = 2,               // firmware or editing program
        CompressedBitsPerPixel = 3, // "4", "2.5"
        ExposureTime = 4,           // "1/125 s", "0.4 s", "2 s"
        FNumber = 5,                // "f/2.8"
        ExposureMode = 6,           // "Auto", "Manual", "Auto bracket"
        ExposureBias = 7,           // "+0.7 EV", "0 EV", "-1.3 EV"
        MaxAperture = 8,            // "f/3.5", from the APEX value
        DateTaken = 9,              // "2012-05-03 14:22:10"
        IsoSpeed = 10,              // "ISO 400"
        FocalLength = 11,           // "50 mm", "4.3 mm"
        Flash = 12,                 // "Fired, auto mode", "Did not fire", ...
        MeteringMode = 13,          // "Spot", "Pattern", ...
        WhiteBalance = 14,          // "Auto", "Manual"
        OrientationText = 15,       // "Rotate 90° clockwise", ...
        Description = 16,           // what the photographer wrote: EXIF, else XMP, else IPTC
        PropertyCount = 17
    };

    explicit ZumExifInfo(const QString& path);
    // The same from a whole image file already in memory, so that a caller
    // that holds the file's bytes need not open it a second time. The bytes
    // are only read during the call.
    ZumExifInfo(const uchar* data, qint64 size);

    // The EXIF orientation code 1..8, or 0 when the photo has none (or a
    // value outside the standard's range).
    int Orientation() const { return m_orientation; }

    QString property(PROPERTY_TYPE type) const;

    // The preview picture the camera stored in the EXIF block, as the bytes
    // of a JPEG file; empty when there is none or it is not a JPEG. Nothing
    // about it is checked: it may be small, of another shape or damaged.
    QByteArray thumbnailJpeg() const { return m_thumbnail; }

    // The tag values as texts, exposed for tests and the property panel.
    static QString exposureTimeText(double seconds);
    static QString fNumberText(double fNumber);
    static QString exposureBiasText(double ev);
    static QString apexApertureText(double apex);

private:
    // Fills the fields from an opened image; lives beside exiv2 in the
    // source file, so this header needs none of its types.
    struct Reader;
    void readTags(const Exiv2::Image& image);

    int m_orientation = 0;
    std::array<QString, PropertyCount> m_properties;
    QByteArray m_thumbnail;
};

#endif // ZUMEXIFINFO_H
