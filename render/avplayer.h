#pragma once
// The preview player: a GLDrawer on screen that shows the renderer's frames
// and plays the renderer's sound, with the sound as the clock.
//
// 256 sound buffers of one video frame each are kept queued; every 10 ms
// the player asks how many the device has finished, moves the picture on by
// that many frames and refills them from the renderer's sound buffer through
// StoryBoardRender::takeSound. There is no video timer of its own: where no
// sound device can be used, the OpenAL layer (ALStream) plays the buffers
// silently by the wall clock instead, so the picture moves at the album's
// frame rate and play, pause, seek and the end behave the same.
//
// Driving it (the main window does this):
//     player.init(param);  player.render = &renderer;
//   paused:   player.seek(frame);     // draws it, positions the sound
//   play:     renderer.seek(player.currentFrame, true, &player);
//             renderer.start();  player.play();
//   pause:    player.stop();  renderer.stop();  renderer.wait();
// The player does not stop at the end of the album (the renderer gives
// black frames and silence there); its owner does.
//
// Outside the frame the widget shows mid grey; the frame keeps its shape
// whatever the widget's. All of it runs on the GUI thread.

#include "gldrawer.h"

#include <memory>

class ALStream;
class QTimer;
class StoryBoardRender;

class AVPlayer : public GLDrawer
{
    Q_OBJECT

public:
    // Sound buffers queued ahead, one video frame each.
    static constexpr int BufferCount = 256;
    // Period of the refill timer in milliseconds.
    static constexpr int RefillMs = 10;

    // `deviceName` picks an OpenAL output device; null is the default one.
    explicit AVPlayer(QWidget* parent = nullptr, const char* deviceName = nullptr);
    ~AVPlayer() override;

    // Opens the sound device, its context, the source and the buffers;
    // without a usable device the wall clock stands in (logged once).
    void initOpenAL();
    // Stops and frees everything of OpenAL.
    void releaseOpenAL();
    // True when sound is heard; false when the wall clock keeps the time.
    bool hasSoundDevice() const;
    // The OpenAL stream the sound is queued on (null after releaseOpenAL);
    // for diagnostics and tests.
    ALStream* soundStream() const { return sound.get(); }

    // Takes the output format: sets the drawer up at its frame size and the
    // sound at its channel count and rate. Stops playback first.
    bool init(const RenderParam& param);
    // Fills the sound queue from the renderer (whose sound thread must have
    // been started after a positioning seek) and starts playing.
    void play();
    // Stops playing at once; the picture stays at the current frame.
    void stop();
    bool isPlaying() const;
    // Shows `frame` and positions the sound there; only while stopped.
    void seek(unsigned long frame);
    // Shows an empty (black) frame at frame 0.
    void clear();

    // The renderer whose frames and sound are shown; set by the owner.
    StoryBoardRender* render = nullptr;
    // The frame now shown.
    quint32 currentFrame = 0;

public slots:
    // 0 (silent, still playing) .. 100 (full level).
    void setVolume(int percent);
    // One refill round; run by the timer while playing.
    void updateVABuffer();

protected:
    // The frame's shape centred in w x h, computed in double precision.
    void resizeGL(int w, int h) override;

private:
    // Takes one frame of sound from the renderer into the queue; false when
    // none can be had.
    bool queueOneFrame();

    RenderParam param;
    QTimer* refillTimer = nullptr;
    std::unique_ptr<ALStream> sound;
    QByteArray deviceName;
    int carry = 0;
    // A chunk taken from the renderer that OpenAL did not accept; queued
    // before anything new.
    QByteArray refused;
    int volume = 100;
};
