#include "timefunctions.h"

#include <QThread>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool validRate(double frameRate) { return frameRate > 0.0 && std::isfinite(frameRate); }

QString twoDigits(qint64 value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); }

QString timeString(qint64 hours, qint64 minutes, qint64 seconds)
{
    return QStringLiteral("%1:%2:%3").arg(twoDigits(hours), twoDigits(minutes), twoDigits(seconds));
}

} // namespace

quint32 secondToFrame(double seconds, double frameRate)
{
    const double frames = std::trunc(seconds * frameRate);
    constexpr double top = double(std::numeric_limits<quint32>::max());
    if (!(frames > 0.0))
        return 0;
    if (frames >= top)
        return std::numeric_limits<quint32>::max();
    return quint32(frames);
}

double frameToSecond(unsigned long frame, double frameRate)
{
    if (!validRate(frameRate))
        return 0.0;
    return double(frame) / frameRate;
}

QString frameToTimeString(unsigned long frame, double frameRate)
{
    if (!validRate(frameRate))
        return timeString(0, 0, 0);
    const double f = double(frame);
    const double hours = std::trunc(f / (frameRate * 3600.0));
    const double rest = std::trunc(f - frameRate * 3600.0 * hours);
    const double minutes = std::trunc(rest / (frameRate * 60.0));
    const double seconds = std::trunc(std::trunc(rest - frameRate * 60.0 * minutes) / frameRate);
    // A frame rate below one frame per hour could push the parts past what
    // a time code can say; such rates never come out of a profile.
    auto part = [](double v) { return qint64(std::clamp(v, 0.0, 1e15)); };
    return timeString(part(hours), part(minutes), part(seconds));
}

QString secondToTimeString(int seconds)
{
    if (seconds < 0)
        seconds = 0;
    return timeString(seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}

int cpuNumber() { return std::max(1, QThread::idealThreadCount()); }
