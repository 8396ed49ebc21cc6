#pragma once
// The OpenGL compositor: composes one output frame from at most two photo
// pictures (the second blended over the first with a uniform or a
// pattern-driven alpha), each moved, zoomed or turned by a GLTransform and
// flipped by its imageType, at the exact output size, with at most two
// overlay pictures (captions) blended over them.
//
// How the frame is made and where it lives
// ----------------------------------------
// The drawer is a QOpenGLWidget on a compatibility-profile context (display
// lists, texture coordinate generation and the matrix stack are used). Every
// frame is composed into a framebuffer object of exactly frameWidth x
// frameHeight pixels that the drawer owns (the "frame buffer" below), not into
// the widget's own framebuffer, whose size follows the widget and the screen's
// device pixel ratio:
//
//   beginDraw() / drawFrame()  record the frame's draw commands: an opaque
//                              black background quad, then the photos;
//   endDraw()                  compiles them into `displayList`, runs it into
//                              the frame buffer and waits for it (glFinish), so
//                              the finished frame is readable as soon as
//                              endDraw returns; then schedules a repaint;
//   readFrame()                reads the frame buffer (any widget state);
//   paintGL()                  scales the frame buffer into the widget's
//                              viewport (pillars or bars in the clear colour).
//
// Pictures are uploaded by the bind operations at once, outside the display
// list, so the list holds only draw commands and never a copy of a picture.
// A slot therefore holds one picture per frame: bind each slot before
// endDraw, at most once.
//
// Software rendering (Mesa's llvmpipe) pays for every textured, blended
// pixel, so the background is a plain black fill rather than a textured
// quad, and a photo that lies directly on it and is fully opaque is drawn
// without blending. Both give exactly the pixels blending would.
//
// Hidden drawers. A drawer that is never shown renders and reads back like a
// visible one: initialize() has QOpenGLWidget create its context and
// framebuffer by handing it a resize event, which is how the widget sets
// itself up when it gets a size. The compile loop should therefore stay
// hidden; it need not be shown or moved off screen. This works under xcb
// (also on Xvfb with Mesa's software renderer) and with the offscreen
// platform plugin, where Qt 6.4 however crashes as soon as any QOpenGLWidget
// is shown, so only hidden drawers are usable there.
//
// Context changes. Qt replaces the widget's context when it is reparented.
// A drawer set up before its window was first shown has a context that
// shares with no window (the window had none yet), and the window's
// compositor cannot read an unshared widget's picture: it would show black.
// So when such a drawer is shown, it has Qt replace that context by one
// that shares with the window, as reparenting would. The
// drawer then frees its GL objects while the old context is still current,
// keeps a copy of the last composed frame and the clear colour, and
// recreates everything (GL state, textures, display list, frame buffer, the
// kept frame) in initializeGL() of the new context. Subclasses that own GL
// objects of their own should do the same.
//
// All operations must run on the GUI thread; each makes the context current
// itself. Failures are reported by the bool results, errorString() and the
// diagnostic log.

#include <QImage>
#include <QOpenGLWidget>
#include <QRect>
#include <QSize>
#include <QString>
#include <qopengl.h>

#include <array>
#include <cstddef>
#include <memory>
#include <vector>

#include "storyboard.h"

class QOpenGLFunctions_2_0;
class QOpenGLFramebufferObject;
class QOpenGLShaderProgram;

// Where the planes of a frame read back as YUV 4:2:0 lie in the buffer
// readPlanarFrame() fills: the luma plane first, then each chroma row with
// its U half and its V half side by side. All three planes share one row
// stride, which may exceed what a row needs (the conversion writes four
// samples per pixel of a frame buffer whose width is a whole number of them).
struct PlanarFrameLayout {
    int width = 0;
    int height = 0;
    int chromaWidth = 0;  // (width + 1) / 2
    int chromaHeight = 0; // (height + 1) / 2
    int stride = 0;       // bytes from one row of any plane to the next
    std::size_t uOffset = 0;
    std::size_t vOffset = 0;
    std::size_t bytes = 0; // the whole buffer
};

// The RGB to YUV matrix of the read-back: BT.601 in the video ("limited",
// luma 16..235) or the full 0..255 range, as the encoder writer's own
// conversion uses for YUV420P and YUVJ420P.
enum class YuvRange {
    Limited,
    Full
};

// Texture names of one context, deleted together when the owner goes.
// Deleting needs that context current; the drawer sees to it.
class GLTextureSet
{
public:
    GLTextureSet() = default;
    GLTextureSet(QOpenGLFunctions_2_0* gl, int count);
    ~GLTextureSet();
    GLTextureSet(GLTextureSet&& other) noexcept;
    GLTextureSet& operator=(GLTextureSet&& other) noexcept;
    GLTextureSet(const GLTextureSet&) = delete;
    GLTextureSet& operator=(const GLTextureSet&) = delete;

    GLuint operator[](int index) const { return m_names[std::size_t(index)]; }
    int size() const { return int(m_names.size()); }
    bool empty() const { return m_names.empty(); }
    // Deletes the names.
    void reset();
    // Forgets the names without deleting them: their context is going away
    // and cannot be made current any more.
    void abandon();

private:
    QOpenGLFunctions_2_0* m_gl = nullptr;
    std::vector<GLuint> m_names;
};

// One display list name of one context, deleted when the owner goes.
class GLDisplayList
{
public:
    GLDisplayList() = default;
    explicit GLDisplayList(QOpenGLFunctions_2_0* gl);
    ~GLDisplayList();
    GLDisplayList(GLDisplayList&& other) noexcept;
    GLDisplayList& operator=(GLDisplayList&& other) noexcept;
    GLDisplayList(const GLDisplayList&) = delete;
    GLDisplayList& operator=(const GLDisplayList&) = delete;

    GLuint name() const { return m_name; }
    bool empty() const { return m_name == 0; }
    void reset();
    void abandon();

private:
    QOpenGLFunctions_2_0* m_gl = nullptr;
    GLuint m_name = 0;
};

class GLDrawer : public QOpenGLWidget
{
    Q_OBJECT

public:
    explicit GLDrawer(QWidget* parent = nullptr);
    ~GLDrawer() override;

    // Frees everything through release() (so an override runs too), then
    // sets up a frame of `size` with `textureCount` picture slots; with
    // `flipVertical` the frame is composed upside down so that readFrame()
    // gives the top row first. Resizes the widget to the frame size. False
    // when the size is empty or too large, or OpenGL cannot be used here.
    bool initialize(QSize size, int textureCount, bool flipVertical);

    // Uploads a tightly packed frameWidth x frameHeight BGRA picture, bottom
    // row first, into the centre of the slot's texture.
    // A non-zero `contentId` names the picture's content: binding the same
    // id to the slot again keeps the texture as it is instead of uploading
    // the picture anew (ids must be unique in the process; 0 always uploads).
    void bindFrame(int slot, const void* bgra, quint64 contentId = 0);
    // The same with the alpha of every pixel set to trunc(alpha x 255);
    // alpha is clamped to 0..1.
    void bindDissolveFrame(int slot, float alpha, const void* bgra);
    // The same with each pixel's alpha taken from the alpha table for
    // (progress, softness) at the grey level of the pattern byte with the
    // same index (a frameWidth x frameHeight GRAY8 picture).
    void bindWipeFrame(int slot, float progress, float softness, const unsigned char* pattern, const void* bgra);
    // Fills `alphaLUT`: grey levels below the soft edge 0, above it 255,
    // a linear ramp across it; the edge is centred on progress x 255 and is
    // widest halfway (sin(progress x pi) x softness x 255 either side).
    void prepareAlphaLUT(double progress, double softness);
    // Allocates `wipeBuffer` unless it exists.
    void prepareWipeBuffer();

    // Overlays: pictures with their own alpha (captions) laid over the
    // photos of the frame, in the order drawn. Each of the OverlayCount
    // overlays has a texture of its picture's own size, not the frame's, so
    // that a line of text costs only its own pixels.
    static constexpr int OverlayCount = 2;
    // Uploads `picture` (premultiplied ARGB, at most the frame's size) into
    // the overlay's texture; a null picture empties the overlay. A non-zero
    // `contentId` names the content as for bindFrame(): binding the same id
    // again keeps the texture. The picture is kept (shared, not copied) so
    // that the texture can be made again after a context change.
    void bindOverlay(int index, const QImage& picture, quint64 contentId = 0);
    // Adds the overlay's picture to the frame at `rectInFrame` (frame
    // pixels, top-left origin, whichever way the frame is composed), its
    // colour and alpha multiplied by `opacity` (0..1; 0 draws nothing).
    void drawOverlay(int index, const QRect& rectInFrame, float opacity);
    // How many overlay pictures have been uploaded since initialize(), for
    // tests and benchmarks of the content ids.
    int overlayUploads() const { return m_overlayUploads; }

    // Frees the GL objects and the wipe buffer. Subclasses that own more
    // extend it and call this one.
    virtual void release();
    // Starts a frame: the black background quad.
    virtual void beginDraw();
    // Adds the slot's picture to the frame: moved by `fx` (may be null),
    // then flipped for `imageType`.
    virtual void drawFrame(int slot, int imageType, const GLTransform* fx);
    // Composes the frame into the frame buffer, waits until it is finished
    // and schedules a repaint of the widget.
    virtual void endDraw();

    // Reads the frame (frameWidth x frameHeight pixels, tightly packed rows,
    // from the lower left corner up) with the given GL format and type. The
    // compile loop asks for GL_RGBA / GL_UNSIGNED_BYTE, the fastest pair.
    bool readFrame(unsigned format, unsigned type, void* dst);

    // Sets up reading frames back as YUV 4:2:0 in `range`, converted by the
    // graphics side so that only the planes come back (12 bits a pixel
    // instead of 32). Needs shaders; false (with errorString()) when they
    // cannot be had, and readFrame() is then the way. Survives a context
    // change; initialize() and release() end it.
    bool enablePlanarReadback(YuvRange range);
    // Whether the OpenGL in use rasterises on the processor (Mesa's llvmpipe
    // and softpipe, or another software renderer). There a shader pass over
    // every pixel costs more processor time than the writer's own SIMD
    // conversion (bench_gldrawer --planar against bench_gldrawer).
    bool rendersInSoftware();
    bool planarReadbackEnabled() const { return m_planarEnabled; }
    // Empty unless planar read-back is enabled.
    PlanarFrameLayout planarLayout() const { return m_planarLayout; }
    // Converts the composed frame and reads the planes into `dst`
    // (planarLayout().bytes), top row first whichever way the frame was
    // composed. Waits for the frame.
    bool readPlanarFrame(void* dst);
    // The same in two steps, so that the caller can work while the graphics
    // side converts: requestPlanarFrame() starts the conversion and the
    // transfer of the composed frame into one of two transfer buffers and
    // returns at once; takePlanarFrame() copies the oldest requested frame
    // into `dst`, waiting for it if need be. At most two frames may be
    // requested and not yet taken; frames are taken in request order, each
    // once. pendingPlanarFrames() counts those requested and not taken.
    bool requestPlanarFrame();
    bool takePlanarFrame(void* dst);
    int pendingPlanarFrames() const { return m_planarPending; }
    // Whether endDraw() waits for the frame to be finished (the default).
    // A caller that reads every frame back right away may turn it off: a
    // read-back waits for the frame anyway.
    void setWaitForFrames(bool wait) { m_waitForFrames = wait; }

    QSize frameSize() const { return QSize(frameWidth, frameHeight); }
    // Where the widget shows the frame, in widget coordinates.
    QRect shownFrameRect() const { return m_frameViewport; }
    bool flipsVertically() const { return m_flipVertical; }
    // Size of the picture textures in use: the frame's own (whatever lies
    // outside a picture is the textures' opaque black border).
    QSize textureSize() const { return m_textureSize; }
    // Why the last operation that failed did so; initialize() clears it.
    QString errorString() const { return m_errorString; }

protected:
    bool event(QEvent* event) override;
    void initializeGL() override;
    // The camera of the widget: the largest rectangle of the frame's shape
    // centred in w x h. Subclasses that compute it differently call
    // setFrameViewport() with their own rectangle.
    void resizeGL(int w, int h) override;
    void paintGL() override;

    // Where paintGL() shows the frame, in widget coordinates; outside it the
    // widget shows the clear colour.
    void setFrameViewport(const QRect& rect);
    QRect frameViewport() const { return m_frameViewport; }

    int frameWidth = -1;
    int frameHeight = -1;
    GLTextureSet textures;
    int textureCount = 0;
    GLDisplayList displayList;
    std::array<double, 256> alphaLUT{};
    std::vector<unsigned char> wipeBuffer;
    std::array<std::array<float, 2>, 4> quad{};

private:
    // One photo quad, or one overlay, of the frame being recorded.
    struct DrawCommand {
        int slot = 0;
        int imageType = 0;
        bool hasTransform = false;
        GLTransform transform;
        bool overlay = false; // `slot` is then the overlay's index
        QRect rect;           // the overlay's place, top-left origin
        float opacity = 1.0f;
    };

    bool ensureContext();
    void upload(int slot, const void* bgra, bool opaque);
    bool createGLObjects();
    void destroyGLObjects();
    void applyContextState();
    void applyFrameState();
    void compileFrame();
    void drawQuad();
    void compileOverlay(const DrawCommand& command);
    bool uploadOverlay(int index);
    void onContextAboutToBeDestroyed();
    bool fail(const QString& message);
    bool createPlanarObjects();
    void destroyPlanarObjects();
    bool convertPlanar();

    // Planar read-back: the conversion programs (luma rows, chroma rows),
    // the frame buffer they write and the two transfer buffers that take
    // turns.
    std::unique_ptr<QOpenGLShaderProgram> m_lumaProgram;
    std::unique_ptr<QOpenGLShaderProgram> m_chromaProgram;
    std::unique_ptr<QOpenGLFramebufferObject> m_planarBuffer;
    std::array<GLuint, 2> m_transferBuffers{};
    PlanarFrameLayout m_planarLayout;
    YuvRange m_planarRange = YuvRange::Limited;
    bool m_planarEnabled = false;
    int m_planarPending = 0; // requested and not yet taken
    int m_planarNext = 0;    // transfer buffer of the next request
    bool m_waitForFrames = true;

    QOpenGLFunctions_2_0* m_gl = nullptr;
    std::unique_ptr<QOpenGLFramebufferObject> m_frameBuffer;
    std::vector<DrawCommand> m_commands;
    std::vector<bool> m_slotOpaque;     // every alpha byte of the slot's picture is 255
    std::vector<quint64> m_slotContent; // contentId of what the slot's texture holds, 0 unknown
    std::array<unsigned char, 256> m_alphaBytes{};
    // The last composed frame and clear colour, kept across a context change.
    std::vector<unsigned char> m_keptFrame;
    std::array<float, 4> m_clearColour{0.0f, 0.0f, 0.0f, 1.0f};
    bool m_keptClearColour = false;
    QRect m_frameViewport;
    QString m_errorString;
    // The overlays' textures and what they show; the pictures outlive a
    // context change, the textures do not.
    GLTextureSet m_overlayTextures;
    std::array<QImage, OverlayCount> m_overlayPictures;
    std::array<quint64, OverlayCount> m_overlayContent{};
    std::array<QSize, OverlayCount> m_overlayTextureSizes;
    int m_overlayUploads = 0;
    QMetaObject::Connection m_contextConnection;
    QSize m_textureSize;
    bool m_flipVertical = false;
    bool m_active = false;    // initialize() succeeded and release() has not run
    bool m_recording = false; // between beginDraw() and endDraw()
    bool m_hasFrame = false;  // the frame buffer holds a composed frame
};
