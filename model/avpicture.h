#ifndef AVPICTURE_H
#define AVPICTURE_H

#include <QtGlobal>
#include <cstdint>

extern "C" {
#include <libavutil/pixfmt.h>
}

// The plane pointers and line sizes of one picture, as the FFmpeg libraries
// of old handed them around. FFmpeg 5 dropped the type; the renderer, the
// compositor and the writers still pass pictures in this shape.
struct AVPicture {
    uint8_t* data[4];
    int linesize[4];
};

// Allocates the planes of `picture` for `format` at width x height with
// packed rows (line size = width x bytes per pixel), filled with zero bytes.
// On failure the picture is left zeroed and false is returned.
bool allocatePicture(AVPicture& picture, AVPixelFormat format, int width, int height);

// Frees the planes of a picture made by allocatePicture and zeroes it.
void freePicture(AVPicture& picture);

// One cached picture of the renderer: a picture whose planes it owns, and the
// age that drives cache eviction.
struct FrameData {
    AVPicture picture;
    quint32 age;

    FrameData();
    ~FrameData();
    FrameData(FrameData&& other) noexcept;
    FrameData& operator=(FrameData&& other) noexcept;
    FrameData(const FrameData&) = delete;
    FrameData& operator=(const FrameData&) = delete;

    // Replaces any planes held by new, zero-filled ones.
    bool allocate(AVPixelFormat format, int width, int height);
    // Frees the planes; the record is zero-filled afterwards, as a new one.
    void release();
    bool isAllocated() const { return picture.data[0] != nullptr; }
};

#endif // AVPICTURE_H
