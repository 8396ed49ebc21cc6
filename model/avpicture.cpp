#include "avpicture.h"

#include <cstring>
#include <utility>

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
}

bool allocatePicture(AVPicture& picture, AVPixelFormat format, int width, int height)
{
    std::memset(&picture, 0, sizeof picture);
    if (width <= 0 || height <= 0)
        return false;
    // Packed rows: the compositor uploads planes as tightly packed texture rows.
    const int size = av_image_alloc(picture.data, picture.linesize, width, height, format, 1);
    if (size < 0) {
        std::memset(&picture, 0, sizeof picture);
        return false;
    }
    std::memset(picture.data[0], 0, std::size_t(size));
    return true;
}

void freePicture(AVPicture& picture)
{
    // av_image_alloc makes one block for all planes, owned through plane 0.
    av_freep(&picture.data[0]);
    std::memset(&picture, 0, sizeof picture);
}

FrameData::FrameData()
{
    std::memset(&picture, 0, sizeof picture);
    age = 0;
}

FrameData::~FrameData() { release(); }

FrameData::FrameData(FrameData&& other) noexcept
    : picture(other.picture)
    , age(other.age)
{
    std::memset(&other.picture, 0, sizeof other.picture);
    other.age = 0;
}

FrameData& FrameData::operator=(FrameData&& other) noexcept
{
    if (this != &other) {
        release();
        picture = other.picture;
        age = other.age;
        std::memset(&other.picture, 0, sizeof other.picture);
        other.age = 0;
    }
    return *this;
}

bool FrameData::allocate(AVPixelFormat format, int width, int height)
{
    freePicture(picture);
    return allocatePicture(picture, format, width, height);
}

void FrameData::release()
{
    freePicture(picture);
    age = 0;
}
