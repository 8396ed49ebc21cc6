#include "avplayer.h"

#include "alstream.h"
#include "logcategories.h"
#include "storyboardrender.h"

#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QTimer>

#include <algorithm>
#include <cmath>

AVPlayer::AVPlayer(QWidget* parent, const char* device)
    : GLDrawer(parent)
    , deviceName(device)
{
    initOpenAL();
    refillTimer = new QTimer(this);
    refillTimer->setTimerType(Qt::PreciseTimer);
    connect(refillTimer, &QTimer::timeout, this, &AVPlayer::updateVABuffer);
}

AVPlayer::~AVPlayer()
{
    stop();
    GLDrawer::release();
    releaseOpenAL();
}

void AVPlayer::initOpenAL()
{
    sound = std::make_unique<ALStream>(BufferCount, deviceName.isEmpty() ? nullptr : deviceName.constData());
    sound->setFormat(param.channels, param.sampleRate);
    sound->setGain(float(volume) / 100.0f);
}

void AVPlayer::releaseOpenAL() { sound.reset(); }

bool AVPlayer::hasSoundDevice() const { return sound && sound->hasDevice(); }

bool AVPlayer::init(const RenderParam& renderParam)
{
    stop();
    release();
    param = renderParam;
    const bool ok = initialize(QSize(param.width, param.height), 2, false);
    if (ok) {
        makeCurrent();
        // Outside the frame; the frame's own background stays black.
        context()->functions()->glClearColor(0.5f, 0.5f, 0.5f, 0.0f);
    }
    if (sound)
        sound->setFormat(param.channels, param.sampleRate);
    carry = 0;
    refused.clear();
    return ok;
}

bool AVPlayer::queueOneFrame()
{
    // A chunk OpenAL refused last time goes first: the renderer has moved
    // past it, and without it the sound would run a frame off the picture.
    if (!refused.isEmpty()) {
        if (!sound->queue(refused.constData(), int(refused.size())))
            return false;
        refused.clear();
        return true;
    }
    bool queued = false;
    const bool taken = render->takeSound(carry, [this, &queued](const char* data, int bytes) {
        queued = sound->queue(data, bytes);
        if (!queued)
            refused = QByteArray(data, bytes);
    });
    return taken && queued;
}

void AVPlayer::play()
{
    if (!render || !sound || isPlaying())
        return;
    sound->stop();
    carry = 0;
    refused.clear();
    // Blocks until the sound thread has decoded the whole queue's worth.
    while (sound->freeBuffers() > 0 && queueOneFrame()) {}
    sound->play();
    refillTimer->start(RefillMs);
}

void AVPlayer::stop()
{
    if (refillTimer)
        refillTimer->stop();
    if (sound)
        sound->stop();
    carry = 0;
    refused.clear();
}

bool AVPlayer::isPlaying() const { return refillTimer && refillTimer->isActive(); }

void AVPlayer::updateVABuffer()
{
    if (!render || !sound)
        return;
    const int processed = sound->takeProcessed();
    if (processed <= 0)
        return;
    if (processed > 10)
        qCDebug(lcRender, "Notice: Processed %d buffers!", processed);
    currentFrame += quint32(processed);
    render->seek(currentFrame, false, this);
    while (sound->freeBuffers() > 0 && queueOneFrame()) {}
}

void AVPlayer::seek(unsigned long frame)
{
    currentFrame = quint32(frame);
    if (render)
        render->seek(frame, true, this);
}

void AVPlayer::clear()
{
    currentFrame = 0;
    beginDraw();
    endDraw();
    update();
}

void AVPlayer::setVolume(int percent)
{
    volume = std::clamp(percent, 0, 100);
    if (sound)
        sound->setGain(float(volume) / 100.0f);
}

void AVPlayer::resizeGL(int w, int h)
{
    if (h == 0)
        h = 1;
    if (frameWidth <= 0 || frameHeight <= 0) {
        setFrameViewport(QRect(0, 0, w, h));
        return;
    }
    if (double(w) / double(h) > double(frameWidth) / double(frameHeight)) {
        const double v = double(h) * frameWidth / frameHeight;
        setFrameViewport(QRect(int(std::trunc((w - v) * 0.5)), 0, int(std::trunc(v)), h));
    } else {
        const double v = double(w) * frameHeight / frameWidth;
        setFrameViewport(QRect(0, int(std::trunc((h - v) * 0.5)), w, int(std::trunc(v))));
    }
}
