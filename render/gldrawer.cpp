#include "gldrawer.h"

#include "logcategories.h"
#include "writelog.h"

#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLExtraFunctions>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions_2_0>
#include <QOpenGLShaderProgram>
#include <QOpenGLVersionFunctionsFactory>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

namespace {

constexpr std::size_t BytesPerPixel = 4;
constexpr std::size_t AlphaByte = 3; // B, G, R, A

// Opaque black as the bytes B, G, R, A = 0, 0, 0, 255 in memory.
std::vector<unsigned char> opaqueBlack(int width, int height)
{
    std::vector<unsigned char> pixels(std::size_t(width) * std::size_t(height) * BytesPerPixel, 0);
    for (std::size_t i = AlphaByte; i < pixels.size(); i += BytesPerPixel)
        pixels[i] = 255;
    return pixels;
}

// Copies `count` BGRA pixels and replaces every alpha byte by what `alphaOf`
// gives for the pixel's index.
template <typename AlphaOf>
void copyWithAlpha(const unsigned char* source, unsigned char* target, std::size_t count, AlphaOf alphaOf)
{
    std::memcpy(target, source, count * BytesPerPixel);
    for (std::size_t i = 0; i < count; ++i)
        target[i * BytesPerPixel + AlphaByte] = alphaOf(i);
}

} // namespace

// ---------------------------------------------------------------------------

GLTextureSet::GLTextureSet(QOpenGLFunctions_2_0* gl, int count)
    : m_gl(gl)
    , m_names(std::size_t(std::max(count, 0)), 0)
{
    if (!m_names.empty())
        m_gl->glGenTextures(GLsizei(m_names.size()), m_names.data());
}

GLTextureSet::~GLTextureSet() { reset(); }

GLTextureSet::GLTextureSet(GLTextureSet&& other) noexcept
    : m_gl(std::exchange(other.m_gl, nullptr))
    , m_names(std::exchange(other.m_names, {}))
{}

GLTextureSet& GLTextureSet::operator=(GLTextureSet&& other) noexcept
{
    if (this != &other) {
        reset();
        m_gl = std::exchange(other.m_gl, nullptr);
        m_names = std::exchange(other.m_names, {});
    }
    return *this;
}

void GLTextureSet::reset()
{
    if (m_gl && !m_names.empty())
        m_gl->glDeleteTextures(GLsizei(m_names.size()), m_names.data());
    abandon();
}

void GLTextureSet::abandon()
{
    m_names.clear();
    m_gl = nullptr;
}

GLDisplayList::GLDisplayList(QOpenGLFunctions_2_0* gl)
    : m_gl(gl)
    , m_name(gl->glGenLists(1))
{}

GLDisplayList::~GLDisplayList() { reset(); }

GLDisplayList::GLDisplayList(GLDisplayList&& other) noexcept
    : m_gl(std::exchange(other.m_gl, nullptr))
    , m_name(std::exchange(other.m_name, 0))
{}

GLDisplayList& GLDisplayList::operator=(GLDisplayList&& other) noexcept
{
    if (this != &other) {
        reset();
        m_gl = std::exchange(other.m_gl, nullptr);
        m_name = std::exchange(other.m_name, 0);
    }
    return *this;
}

void GLDisplayList::reset()
{
    if (m_gl && m_name != 0)
        m_gl->glDeleteLists(m_name, 1);
    abandon();
}

void GLDisplayList::abandon()
{
    m_name = 0;
    m_gl = nullptr;
}

// ---------------------------------------------------------------------------

GLDrawer::GLDrawer(QWidget* parent)
    : QOpenGLWidget(parent, Qt::FramelessWindowHint)
{
    // Display lists, texture coordinate generation and the matrix stack only
    // exist in a compatibility profile; 2.0 is all that is called, and Mesa
    // hands out its newest compatibility version for it.
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 0);
    setFormat(format);
    m_commands.reserve(4);
}

GLDrawer::~GLDrawer()
{
    GLDrawer::release();
    // QOpenGLWidget destroys the context after this object is gone; the slot
    // must not run then.
    disconnect(m_contextConnection);
}

bool GLDrawer::fail(const QString& message)
{
    m_errorString = message;
    qCWarning(lcRender, "GLDrawer: %s", qPrintable(message));
    WriteLog(QStringLiteral("GLDrawer: %s"), message.toLocal8Bit().constData());
    return false;
}

bool GLDrawer::ensureContext()
{
    if (!isValid()) {
        // A widget that has not been shown has no context yet. QOpenGLWidget
        // creates it (and its framebuffer) on a resize event, so a hidden
        // drawer gets one the same way.
        if (size().isEmpty())
            resize(frameWidth > 0 && frameHeight > 0 ? QSize(frameWidth, frameHeight) : QSize(1, 1));
        if (isVisible()) {
            QResizeEvent event(size(), size());
            QOpenGLWidget::resizeEvent(&event);
        } else {
            // Frames are drawn into the drawer's own framebuffer; the widget's
            // (colour and depth, 66 MB at 4K) only matters once it is shown,
            // and the resize event still pending then gives it its real size.
            const QSize wanted = size();
            resize(1, 1);
            QResizeEvent event(size(), size());
            QOpenGLWidget::resizeEvent(&event);
            resize(wanted);
        }
    }
    if (!isValid())
        return fail(QStringLiteral("no OpenGL context could be created"));
    if (QOpenGLContext::currentContext() != context())
        makeCurrent();
    if (!m_gl)
        return fail(QStringLiteral("the OpenGL context has no fixed-function (2.0 compatibility) calls"));
    return true;
}

bool GLDrawer::event(QEvent* event)
{
    // QOpenGLWidget renews its context on this event when it changes
    // windows; the same renewal makes the context of a drawer set up while
    // hidden share with the window it is now shown in.
    if (event->type() == QEvent::Show && context() && !context()->shareContext() && window()->windowHandle()) {
        QEvent windowChange(QEvent::WindowChangeInternal);
        QOpenGLWidget::event(&windowChange);
    }
    return QOpenGLWidget::event(event);
}

void GLDrawer::initializeGL()
{
    disconnect(m_contextConnection);
    m_contextConnection = connect(context(), &QOpenGLContext::aboutToBeDestroyed, this,
                                  &GLDrawer::onContextAboutToBeDestroyed, Qt::DirectConnection);
    m_gl = QOpenGLVersionFunctionsFactory::get<QOpenGLFunctions_2_0>(context());
    if (m_gl && !m_gl->initializeOpenGLFunctions())
        m_gl = nullptr;
    if (!m_gl) {
        fail(QStringLiteral("OpenGL %1.%2 context without fixed-function calls")
                 .arg(context()->format().majorVersion())
                 .arg(context()->format().minorVersion()));
        return;
    }
    applyContextState();
    if (m_keptClearColour)
        m_gl->glClearColor(m_clearColour[0], m_clearColour[1], m_clearColour[2], m_clearColour[3]);
    if (m_active && !createGLObjects()) {
        destroyGLObjects();
        m_active = false;
    }
}

void GLDrawer::applyContextState()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    gl->glEnable(GL_POINT_SMOOTH);
    gl->glEnable(GL_LINE_SMOOTH);
    gl->glDisable(GL_DEPTH_TEST);
    gl->glEnable(GL_BLEND);
    // Colours blend source alpha over one minus source alpha. The frame's
    // own alpha is composed with "over" as well, so it stays opaque where
    // the background quad lies instead of taking the incoming photo's alpha.
    gl->glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl->glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gl->glEnable(GL_TEXTURE_2D);
    gl->glShadeModel(GL_SMOOTH);
    gl->glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    gl->glHint(GL_POLYGON_SMOOTH_HINT, GL_NICEST);
    gl->glHint(GL_POINT_SMOOTH_HINT, GL_NICEST);
    gl->glHint(GL_LINE_SMOOTH_HINT, GL_NICEST);
    gl->glFrontFace(GL_CCW);
    gl->glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    gl->glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    // Pictures and read-backs are tightly packed rows.
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
}

void GLDrawer::applyFrameState()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    // Texture coordinates follow the object coordinates of the quad, which
    // spans the frame around the origin, so that it shows exactly the
    // picture, first row at the bottom edge.
    const GLdouble sPlane[4] = {1.0 / frameWidth, 0.0, 0.0, 0.5};
    const GLdouble tPlane[4] = {0.0, 1.0 / frameHeight, 0.0, 0.5};
    gl->glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    gl->glTexGendv(GL_S, GL_OBJECT_PLANE, sPlane);
    gl->glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
    gl->glTexGendv(GL_T, GL_OBJECT_PLANE, tPlane);
    gl->glEnable(GL_TEXTURE_GEN_S);
    gl->glEnable(GL_TEXTURE_GEN_T);

    // A quad of the frame's size at a distance of frameWidth fills the
    // frustum exactly; coming closer (z > 0) enlarges it.
    gl->glViewport(0, 0, frameWidth, frameHeight);
    const double aspect = double(frameHeight) / double(frameWidth);
    gl->glMatrixMode(GL_PROJECTION);
    gl->glLoadIdentity();
    gl->glFrustum(-1.0, 1.0, -aspect, aspect, 2.0, 10000.0);
    // Upside down for a top-row-first read-back: the whole picture is turned
    // over, not just the textures, so a photo drifting up or turning
    // clockwise does the same in the read-back as on screen.
    if (m_flipVertical)
        gl->glScalef(1.0f, -1.0f, 1.0f);
    gl->glMatrixMode(GL_MODELVIEW);
    gl->glLoadIdentity();
    gl->glTranslatef(0.0f, 0.0f, -float(frameWidth));
}

bool GLDrawer::createGLObjects()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    if (!gl)
        return fail(QStringLiteral("the OpenGL context has no fixed-function (2.0 compatibility) calls"));
    while (gl->glGetError() != GL_NO_ERROR) {}

    GLint maxTextureSize = 0;
    gl->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize);
    if (std::max(frameWidth, frameHeight) > maxTextureSize)
        return fail(QStringLiteral("a %1 x %2 frame is larger than the textures this OpenGL allows (%3)")
                        .arg(frameWidth)
                        .arg(frameHeight)
                        .arg(maxTextureSize));
    m_textureSize = QSize(frameWidth, frameHeight);

    // Pictures have the frame's size; where a zoom or drift shows more than
    // the picture, the border colour gives the black surround.
    const std::vector<unsigned char> black = opaqueBlack(frameWidth, frameHeight);
    const GLfloat borderColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    auto setUp = [&](GLuint name) {
        gl->glBindTexture(GL_TEXTURE_2D, name);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
        gl->glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, borderColour);
        // Given as BGRA so that the pictures later uploaded in that layout
        // need no conversion.
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, frameWidth, frameHeight, 0, GL_BGRA, GL_UNSIGNED_BYTE,
                         black.data());
    };
    textures = GLTextureSet(gl, textureCount);
    for (int i = 0; i < textures.size(); ++i)
        setUp(textures[i]);
    m_slotOpaque.assign(std::size_t(textureCount), true);
    m_slotContent.assign(std::size_t(textureCount), 0);
    // Overlay textures get their storage from their first picture; one that
    // was shown before a context change is uploaded again from the kept
    // picture, so that its content id still holds.
    m_overlayTextures = GLTextureSet(gl, OverlayCount);
    m_overlayTextureSizes = {};
    for (int i = 0; i < OverlayCount; ++i) {
        gl->glBindTexture(GL_TEXTURE_2D, m_overlayTextures[i]);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        if (!m_overlayPictures[std::size_t(i)].isNull() && !uploadOverlay(i)) {
            m_overlayPictures[std::size_t(i)] = QImage();
            m_overlayContent[std::size_t(i)] = 0;
        }
    }
    displayList = GLDisplayList(gl);
    if (displayList.empty())
        return fail(QStringLiteral("no display list could be made"));

    QOpenGLFramebufferObjectFormat bufferFormat;
    bufferFormat.setAttachment(QOpenGLFramebufferObject::NoAttachment);
    bufferFormat.setInternalTextureFormat(GL_RGBA8);
    m_frameBuffer = std::make_unique<QOpenGLFramebufferObject>(QSize(frameWidth, frameHeight), bufferFormat);
    if (!m_frameBuffer->isValid())
        return fail(QStringLiteral("no %1 x %2 framebuffer object could be made").arg(frameWidth).arg(frameHeight));
    m_frameBuffer->bind();
    gl->glViewport(0, 0, frameWidth, frameHeight);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    m_hasFrame = false;
    if (m_keptFrame.size() == std::size_t(frameWidth) * std::size_t(frameHeight) * BytesPerPixel) {
        gl->glBindTexture(GL_TEXTURE_2D, m_frameBuffer->texture());
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                            m_keptFrame.data());
        m_hasFrame = true;
    }
    m_keptFrame = {};
    gl->glBindTexture(GL_TEXTURE_2D, 0);

    if (gl->glGetError() == GL_OUT_OF_MEMORY)
        return fail(QStringLiteral("not enough graphics memory for a %1 x %2 frame").arg(frameWidth).arg(frameHeight));
    if (m_planarEnabled && !createPlanarObjects()) {
        // The frame itself is fine; only the planar read-back is gone.
        m_planarEnabled = false;
        m_planarLayout = {};
    }
    return true;
}

void GLDrawer::destroyGLObjects()
{
    destroyPlanarObjects();
    textures.reset();
    m_overlayTextures.reset();
    m_overlayTextureSizes = {};
    displayList.reset();
    m_frameBuffer.reset();
    m_hasFrame = false;
}

void GLDrawer::onContextAboutToBeDestroyed()
{
    if (!m_gl)
        return;
    makeCurrent();
    if (QOpenGLContext::currentContext() == context()) {
        if (m_frameBuffer && m_hasFrame) {
            m_keptFrame.resize(std::size_t(frameWidth) * std::size_t(frameHeight) * BytesPerPixel);
            m_frameBuffer->bind();
            m_gl->glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, m_keptFrame.data());
        }
        m_gl->glGetFloatv(GL_COLOR_CLEAR_VALUE, m_clearColour.data());
        m_keptClearColour = true;
        destroyGLObjects();
    } else {
        // The names die with their context.
        textures.abandon();
        m_overlayTextures.abandon();
        m_overlayTextureSizes = {};
        displayList.abandon();
        m_frameBuffer.reset();
        m_lumaProgram.reset();
        m_chromaProgram.reset();
        m_planarBuffer.reset();
        m_transferBuffers = {};
        m_planarPending = 0;
        m_hasFrame = false;
    }
    m_gl = nullptr;
    m_recording = false;
}

bool GLDrawer::initialize(QSize size, int count, bool flipVertical)
{
    release();
    m_errorString.clear();
    m_keptFrame = {};
    m_keptClearColour = false;
    if (size.width() <= 0 || size.height() <= 0)
        return fail(QStringLiteral("empty frame size %1 x %2").arg(size.width()).arg(size.height()));
    if (count < 1)
        return fail(QStringLiteral("no picture slots asked for"));

    frameWidth = size.width();
    frameHeight = size.height();
    textureCount = count;
    m_flipVertical = flipVertical;
    const float halfWidth = float(frameWidth) / 2.0f;
    const float halfHeight = float(frameHeight) / 2.0f;
    quad = {{{-halfWidth, -halfHeight}, {halfWidth, -halfHeight}, {halfWidth, halfHeight}, {-halfWidth, halfHeight}}};

    resize(size);
    if (!ensureContext())
        return false;
    m_gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    m_active = true;
    if (!createGLObjects()) {
        destroyGLObjects();
        m_active = false;
        return false;
    }
    resizeGL(width(), height());
    return true;
}

void GLDrawer::release()
{
    m_planarEnabled = false;
    m_planarLayout = {};
    m_recording = false;
    m_commands.clear();
    if (m_gl && isValid()) {
        makeCurrent();
        destroyGLObjects();
    }
    wipeBuffer = {};
    m_keptFrame = {};
    m_overlayPictures = {};
    m_overlayContent = {};
    m_overlayUploads = 0;
    m_active = false;
}

void GLDrawer::prepareWipeBuffer()
{
    const std::size_t bytes =
        std::size_t(std::max(frameWidth, 0)) * std::size_t(std::max(frameHeight, 0)) * BytesPerPixel;
    if (wipeBuffer.size() != bytes)
        wipeBuffer.assign(bytes, 0);
}

void GLDrawer::prepareAlphaLUT(double progress, double softness)
{
    if (!std::isfinite(progress))
        progress = 0.0;
    if (!std::isfinite(softness))
        softness = 0.0;
    const double edge = std::sin(progress * std::numbers::pi) * softness;
    // Kept as doubles: a huge softness must not overflow an int.
    const double lo = std::trunc((progress - edge) * 255.0);
    const double hi = std::trunc((progress + edge) * 255.0);
    for (int i = 0; i < 256; ++i) {
        if (i < lo)
            alphaLUT[std::size_t(i)] = 0.0;
        else if (i < hi)
            alphaLUT[std::size_t(i)] = (i - lo) * 255.0 / (hi - lo);
        else
            alphaLUT[std::size_t(i)] = 255.0;
    }
}

void GLDrawer::bindFrame(int slot, const void* bgra, quint64 contentId)
{
    if (!bgra || slot < 0 || slot >= int(m_slotContent.size()))
        return;
    // Most frames show the photo of the frame before; its texture is ready.
    if (contentId != 0 && m_slotContent[std::size_t(slot)] == contentId)
        return;
    const auto* bytes = static_cast<const unsigned char*>(bgra);
    const std::size_t size =
        std::size_t(std::max(frameWidth, 0)) * std::size_t(std::max(frameHeight, 0)) * BytesPerPixel;
    unsigned char alphas = 255;
    for (std::size_t i = AlphaByte; i < size; i += BytesPerPixel)
        alphas &= bytes[i];
    upload(slot, bgra, alphas == 255);
    if (m_active && slot < int(m_slotContent.size()))
        m_slotContent[std::size_t(slot)] = contentId;
}

void GLDrawer::upload(int slot, const void* bgra, bool opaque)
{
    if (!m_active || !bgra || slot < 0 || slot >= textures.size() || !ensureContext())
        return;
    m_slotOpaque[std::size_t(slot)] = opaque;
    m_slotContent[std::size_t(slot)] = 0;
    m_gl->glBindTexture(GL_TEXTURE_2D, textures[slot]);
    m_gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    m_gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    m_gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, frameWidth, frameHeight, GL_BGRA, GL_UNSIGNED_BYTE, bgra);
}

void GLDrawer::bindDissolveFrame(int slot, float alpha, const void* bgra)
{
    if (!m_active || !bgra)
        return;
    prepareWipeBuffer();
    const float clamped = alpha >= 0.0f ? std::min(alpha, 1.0f) : 0.0f; // NaN too
    const auto alphaByte = static_cast<unsigned char>(std::trunc(clamped * 255.0f));
    copyWithAlpha(static_cast<const unsigned char*>(bgra), wipeBuffer.data(), wipeBuffer.size() / BytesPerPixel,
                  [alphaByte](std::size_t) { return alphaByte; });
    upload(slot, wipeBuffer.data(), alphaByte == 255);
}

void GLDrawer::bindWipeFrame(int slot, float progress, float softness, const unsigned char* pattern, const void* bgra)
{
    if (!m_active || !bgra || !pattern)
        return;
    prepareWipeBuffer();
    prepareAlphaLUT(progress, softness);
    for (std::size_t i = 0; i < alphaLUT.size(); ++i)
        m_alphaBytes[i] = static_cast<unsigned char>(std::clamp(std::trunc(alphaLUT[i]), 0.0, 255.0));
    const std::array<unsigned char, 256>& table = m_alphaBytes;
    copyWithAlpha(static_cast<const unsigned char*>(bgra), wipeBuffer.data(), wipeBuffer.size() / BytesPerPixel,
                  [&table, pattern](std::size_t i) { return table[pattern[i]]; });
    upload(slot, wipeBuffer.data(), false);
}

void GLDrawer::bindOverlay(int index, const QImage& picture, quint64 contentId)
{
    if (!m_active || index < 0 || index >= OverlayCount)
        return;
    const auto i = std::size_t(index);
    if (picture.isNull()) {
        m_overlayPictures[i] = QImage();
        m_overlayContent[i] = 0;
        return;
    }
    if (contentId != 0 && m_overlayContent[i] == contentId && !m_overlayPictures[i].isNull())
        return;
    if (picture.width() > frameWidth || picture.height() > frameHeight) {
        fail(QStringLiteral("a %1 x %2 overlay is larger than the %3 x %4 frame")
                 .arg(picture.width())
                 .arg(picture.height())
                 .arg(frameWidth)
                 .arg(frameHeight));
        return;
    }
    m_overlayPictures[i] = picture.format() == QImage::Format_ARGB32_Premultiplied
                               ? picture
                               : picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    m_overlayContent[i] = 0;
    if (!ensureContext() || !uploadOverlay(index)) {
        m_overlayPictures[i] = QImage();
        return;
    }
    m_overlayContent[i] = contentId;
}

bool GLDrawer::uploadOverlay(int index)
{
    QOpenGLFunctions_2_0* gl = m_gl;
    const auto i = std::size_t(index);
    const QImage& picture = m_overlayPictures[i];
    if (!gl || m_overlayTextures.empty() || picture.isNull())
        return false;
    gl->glBindTexture(GL_TEXTURE_2D, m_overlayTextures[index]);
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(picture.bytesPerLine() / 4));
    // ARGB32 pixels are 32-bit words 0xAARRGGBB: BGRA with the reversed
    // packed type reads them on any byte order.
    if (m_overlayTextureSizes[i] == picture.size()) {
        gl->glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, picture.width(), picture.height(), GL_BGRA,
                            GL_UNSIGNED_INT_8_8_8_8_REV, picture.constBits());
    } else {
        gl->glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width(), picture.height(), 0, GL_BGRA,
                         GL_UNSIGNED_INT_8_8_8_8_REV, picture.constBits());
        m_overlayTextureSizes[i] = picture.size();
    }
    gl->glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    ++m_overlayUploads;
    if (gl->glGetError() == GL_OUT_OF_MEMORY) {
        m_overlayTextureSizes[i] = QSize();
        return fail(QStringLiteral("not enough graphics memory for a %1 x %2 overlay")
                        .arg(picture.width())
                        .arg(picture.height()));
    }
    return true;
}

void GLDrawer::drawOverlay(int index, const QRect& rectInFrame, float opacity)
{
    if (!m_recording || index < 0 || index >= OverlayCount || rectInFrame.isEmpty() ||
        m_overlayPictures[std::size_t(index)].isNull() || !(opacity > 0.0f)) // NaN too
        return;
    DrawCommand command;
    command.overlay = true;
    command.slot = index;
    command.rect = rectInFrame;
    command.opacity = std::min(opacity, 1.0f);
    m_commands.push_back(command);
}

void GLDrawer::beginDraw()
{
    m_commands.clear();
    m_recording = m_active && ensureContext();
}

void GLDrawer::drawFrame(int slot, int imageType, const GLTransform* fx)
{
    if (!m_recording || slot < 0 || slot >= textures.size())
        return;
    DrawCommand command;
    command.slot = slot;
    command.imageType = imageType;
    if (fx) {
        if (fx->kind == FxTranslate || fx->kind == FxRotate) {
            command.hasTransform = true;
            command.transform = *fx;
        } else {
            qCDebug(lcRender, "Don't know what kind FX it is!");
        }
    }
    m_commands.push_back(command);
}

void GLDrawer::drawQuad()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    const auto& first = quad[0];
    const auto& third = quad[2];
    gl->glBegin(GL_TRIANGLES);
    gl->glVertex2f(first[0], first[1]);
    gl->glVertex2f(first[0], third[1]);
    gl->glVertex2f(third[0], third[1]);
    gl->glVertex2f(first[0], first[1]);
    gl->glVertex2f(third[0], third[1]);
    gl->glVertex2f(third[0], first[1]);
    gl->glEnd();
}

void GLDrawer::compileFrame()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    gl->glNewList(displayList.name(), GL_COMPILE);
    gl->glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl->glEnable(GL_TEXTURE_2D);
    bool onBackground = true;
    for (const DrawCommand& command : m_commands) {
        if (command.overlay) {
            compileOverlay(command);
            onBackground = false;
            continue;
        }
        // Over opaque black an opaque photo blends to itself.
        if (onBackground && m_slotOpaque[std::size_t(command.slot)])
            gl->glDisable(GL_BLEND);
        else
            gl->glEnable(GL_BLEND);
        onBackground = false;
        gl->glPushMatrix();
        if (command.hasTransform) {
            const float* v = command.transform.value;
            if (command.transform.kind == FxTranslate)
                gl->glTranslatef(v[0], v[1], v[2]);
            else
                gl->glRotatef(v[0], v[1], v[2], v[3]);
        }
        switch (command.imageType) {
        case 1:
        case 4: gl->glRotatef(180.0f, 1.0f, 0.0f, 0.0f); break;
        case 2:
        case 7: gl->glRotatef(180.0f, 0.0f, 1.0f, 0.0f); break;
        case 3:
        case 5:
            gl->glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
            gl->glRotatef(180.0f, 1.0f, 0.0f, 0.0f);
            break;
        default: break;
        }
        gl->glBindTexture(GL_TEXTURE_2D, textures[command.slot]);
        drawQuad();
        gl->glPopMatrix();
    }
    gl->glEnable(GL_BLEND);
    gl->glEndList();
}

void GLDrawer::compileOverlay(const DrawCommand& command)
{
    QOpenGLFunctions_2_0* gl = m_gl;
    const QSize pictureSize = m_overlayPictures[std::size_t(command.slot)].size();
    // The quad in the photos' object coordinates: the frame spans
    // +-width/2, +-height/2 around the origin with +y at the top of the
    // picture (the projection turns it over for a flipped frame).
    const float left = float(command.rect.x()) - float(frameWidth) / 2.0f;
    const float right = left + float(command.rect.width());
    const float top = float(frameHeight) / 2.0f - float(command.rect.y());
    const float bottom = top - float(command.rect.height());
    // Premultiplied pixels: the colour is already weighted by its alpha, and
    // the opacity scales colour and alpha alike.
    gl->glEnable(GL_BLEND);
    gl->glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl->glDisable(GL_TEXTURE_GEN_S);
    gl->glDisable(GL_TEXTURE_GEN_T);
    const float o = command.opacity;
    gl->glColor4f(o, o, o, o);
    gl->glBindTexture(GL_TEXTURE_2D, m_overlayTextures[command.slot]);
    // Texel for pixel where the picture is shown at its own size: sharp
    // text, and exactly the pixels it was drawn with.
    const GLint filter = pictureSize == command.rect.size() ? GL_NEAREST : GL_LINEAR;
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    gl->glBegin(GL_TRIANGLES);
    gl->glTexCoord2f(0.0f, 0.0f);
    gl->glVertex2f(left, top);
    gl->glTexCoord2f(0.0f, 1.0f);
    gl->glVertex2f(left, bottom);
    gl->glTexCoord2f(1.0f, 1.0f);
    gl->glVertex2f(right, bottom);
    gl->glTexCoord2f(0.0f, 0.0f);
    gl->glVertex2f(left, top);
    gl->glTexCoord2f(1.0f, 1.0f);
    gl->glVertex2f(right, bottom);
    gl->glTexCoord2f(1.0f, 0.0f);
    gl->glVertex2f(right, top);
    gl->glEnd();
    gl->glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    gl->glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    gl->glEnable(GL_TEXTURE_GEN_S);
    gl->glEnable(GL_TEXTURE_GEN_T);
}

void GLDrawer::endDraw()
{
    if (!m_recording)
        return;
    m_recording = false;
    if (!m_active || !ensureContext() || !m_frameBuffer)
        return;
    QOpenGLFunctions_2_0* gl = m_gl;
    m_frameBuffer->bind();
    applyContextState();
    applyFrameState();
    // The background is opaque black whatever the widget's clear colour;
    // clearing to it costs far less than filling the frame with a quad.
    GLfloat clearColour[4];
    gl->glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    gl->glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    gl->glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    compileFrame();
    gl->glCallList(displayList.name());
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    // The compile loop reads the frame straight after; it must be complete.
    if (m_waitForFrames)
        gl->glFinish();
    else
        gl->glFlush();
    m_hasFrame = true;
    update();
}

bool GLDrawer::readFrame(unsigned format, unsigned type, void* dst)
{
    if (!dst)
        return fail(QStringLiteral("no destination for the frame"));
    if (!m_active || !m_frameBuffer)
        return fail(QStringLiteral("the drawer has no frame to read"));
    if (!ensureContext())
        return false;
    m_frameBuffer->bind();
    m_gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    m_gl->glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    m_gl->glReadPixels(0, 0, frameWidth, frameHeight, GLenum(format), GLenum(type), dst);
    return true;
}

void GLDrawer::setFrameViewport(const QRect& rect) { m_frameViewport = rect; }

void GLDrawer::resizeGL(int w, int h)
{
    if (h == 0)
        h = 1;
    QRect rect(0, 0, w, h);
    if (frameWidth > 0 && frameHeight > 0) {
        if (double(w) / double(h) > double(frameWidth) / double(frameHeight)) {
            const int v = int(qint64(h) * frameWidth / frameHeight);
            rect = QRect((w - v) / 2, 0, v, h);
        } else {
            const int v = int(qint64(w) * frameHeight / frameWidth);
            rect = QRect(0, (h - v) / 2, w, v);
        }
    }
    setFrameViewport(rect);
}

void GLDrawer::paintGL()
{
    QOpenGLContext* current = context();
    current->functions()->glClear(GL_COLOR_BUFFER_BIT);
    if (!m_frameBuffer || !m_hasFrame || m_frameViewport.isEmpty())
        return;
    // The frame viewport is in GL's orientation (origin lower left), in
    // device-independent pixels; the widget's framebuffer has device pixels.
    const qreal ratio = devicePixelRatioF();
    const int x0 = qRound(m_frameViewport.x() * ratio);
    const int y0 = qRound(m_frameViewport.y() * ratio);
    const int x1 = qRound((m_frameViewport.x() + m_frameViewport.width()) * ratio);
    const int y1 = qRound((m_frameViewport.y() + m_frameViewport.height()) * ratio);
    QOpenGLExtraFunctions* extra = current->extraFunctions();
    extra->glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frameBuffer->handle());
    extra->glBindFramebuffer(GL_DRAW_FRAMEBUFFER, defaultFramebufferObject());
    // A frame composed upside down for read-back is shown upright.
    extra->glBlitFramebuffer(0, 0, frameWidth, frameHeight, x0, m_flipVertical ? y1 : y0, x1, m_flipVertical ? y0 : y1,
                             GL_COLOR_BUFFER_BIT, GL_LINEAR);
    extra->glBindFramebuffer(GL_FRAMEBUFFER, defaultFramebufferObject());
}

// ---------------------------------------------------------------------------
// Planar read-back.

namespace {

// Both programs draw one quad in clip coordinates over their rows of the
// planar frame buffer; the fragment's window position says which samples
// it packs.
const char* const PlanarVertexShader = R"(#version 120
void main() { gl_Position = gl_Vertex; }
)";

// Four luma samples per pixel, taken from four texels of one frame row.
const char* const LumaShader = R"(#version 130
uniform sampler2D frame;
uniform vec2 frameSize;
uniform float flipRows;
uniform vec4 lumaRow;
void main()
{
    int row = int(gl_FragCoord.y);
    int y = flipRows > 0.5 ? int(frameSize.y) - 1 - row : row;
    int x = int(gl_FragCoord.x) * 4;
    int last = int(frameSize.x) - 1;
    vec4 samples = vec4(dot(texelFetch(frame, ivec2(min(x, last), y), 0).rgb, lumaRow.rgb),
                        dot(texelFetch(frame, ivec2(min(x + 1, last), y), 0).rgb, lumaRow.rgb),
                        dot(texelFetch(frame, ivec2(min(x + 2, last), y), 0).rgb, lumaRow.rgb),
                        dot(texelFetch(frame, ivec2(min(x + 3, last), y), 0).rgb, lumaRow.rgb));
    gl_FragColor = samples + lumaRow.a;
}
)";

// Four U or V samples per pixel, each of the mean of a 2 x 2 block of
// frame pixels: one linear fetch at the corner the four texels share.
const char* const ChromaShader = R"(#version 120
uniform sampler2D frame;
uniform vec2 frameSize;
uniform float flipRows;
uniform float lumaRows;
uniform float halfWidth;
uniform vec4 uRow;
uniform vec4 vRow;
void main()
{
    float row = floor(gl_FragCoord.y) - lumaRows;
    float column = floor(gl_FragCoord.x);
    float isV = step(halfWidth, column);
    vec4 weights = mix(uRow, vRow, isV);
    float edge = 2.0 * row + 1.0;
    float y = mix(edge, frameSize.y - edge, flipRows) / frameSize.y;
    float x = (column - isV * halfWidth) * 8.0 + 1.0;
    vec4 samples = vec4(dot(texture2D(frame, vec2(x / frameSize.x, y)).rgb, weights.rgb),
                        dot(texture2D(frame, vec2((x + 2.0) / frameSize.x, y)).rgb, weights.rgb),
                        dot(texture2D(frame, vec2((x + 4.0) / frameSize.x, y)).rgb, weights.rgb),
                        dot(texture2D(frame, vec2((x + 6.0) / frameSize.x, y)).rgb, weights.rgb));
    gl_FragColor = samples + weights.a;
}
)";

// BT.601 rows from RGB in 0..1 to Y, U, V in 0..1 (byte / 255), the offset
// last: the video range scales luma to 16..235 and chroma to 16..240.
struct YuvRows {
    std::array<float, 4> y, u, v;
};

YuvRows yuvRows(YuvRange range)
{
    const float lumaScale = range == YuvRange::Limited ? 219.0f / 255.0f : 1.0f;
    const float chromaScale = range == YuvRange::Limited ? 224.0f / 255.0f : 1.0f;
    const float lumaOffset = range == YuvRange::Limited ? 16.0f / 255.0f : 0.0f;
    const float chromaOffset = 128.0f / 255.0f;
    const float kr = 0.299f, kg = 0.587f, kb = 0.114f;
    YuvRows rows;
    rows.y = {kr * lumaScale, kg * lumaScale, kb * lumaScale, lumaOffset};
    const float cb = 0.5f / (1.0f - kb);
    const float cr = 0.5f / (1.0f - kr);
    rows.u = {-kr * cb * chromaScale, -kg * cb * chromaScale, 0.5f * chromaScale, chromaOffset};
    rows.v = {0.5f * chromaScale, -kg * cr * chromaScale, -kb * cr * chromaScale, chromaOffset};
    return rows;
}

} // namespace

bool GLDrawer::enablePlanarReadback(YuvRange range)
{
    if (!m_active || !m_frameBuffer)
        return fail(QStringLiteral("the drawer has no frame to read"));
    if (!ensureContext())
        return false;
    destroyPlanarObjects();
    m_planarRange = range;
    m_planarEnabled = createPlanarObjects();
    if (!m_planarEnabled) {
        destroyPlanarObjects();
        m_planarLayout = {};
    }
    return m_planarEnabled;
}

bool GLDrawer::rendersInSoftware()
{
    if (!ensureContext())
        return true;
    const auto* name = reinterpret_cast<const char*>(m_gl->glGetString(GL_RENDERER));
    const QString renderer = QString::fromLatin1(name ? name : "");
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"})
        if (renderer.contains(QLatin1String(software), Qt::CaseInsensitive))
            return true;
    return false;
}

bool GLDrawer::createPlanarObjects()
{
    QOpenGLFunctions_2_0* gl = m_gl;
    PlanarFrameLayout layout;
    layout.width = frameWidth;
    layout.height = frameHeight;
    layout.chromaWidth = (frameWidth + 1) / 2;
    layout.chromaHeight = (frameHeight + 1) / 2;
    // Each half of a chroma row takes whole pixels of four samples; a luma
    // row, twice as many samples, then fits the same width.
    const int halfWidth = (layout.chromaWidth + 3) / 4;
    const int bufferWidth = 2 * halfWidth;
    const int bufferHeight = frameHeight + layout.chromaHeight;
    layout.stride = bufferWidth * int(BytesPerPixel);
    layout.uOffset = std::size_t(layout.stride) * std::size_t(frameHeight);
    layout.vOffset = layout.uOffset + std::size_t(halfWidth) * BytesPerPixel;
    layout.bytes = std::size_t(layout.stride) * std::size_t(bufferHeight);

    auto program = [this](const char* fragment) -> std::unique_ptr<QOpenGLShaderProgram> {
        auto made = std::make_unique<QOpenGLShaderProgram>();
        if (!made->addShaderFromSourceCode(QOpenGLShader::Vertex, PlanarVertexShader) ||
            !made->addShaderFromSourceCode(QOpenGLShader::Fragment, fragment) || !made->link()) {
            fail(QStringLiteral("the YUV conversion cannot be compiled: %1").arg(made->log().trimmed()));
            return nullptr;
        }
        return made;
    };
    m_lumaProgram = program(LumaShader);
    if (!m_lumaProgram)
        return false;
    m_chromaProgram = program(ChromaShader);
    if (!m_chromaProgram)
        return false;

    const YuvRows rows = yuvRows(m_planarRange);
    const float flipRows = m_flipVertical ? 0.0f : 1.0f;
    m_lumaProgram->bind();
    m_lumaProgram->setUniformValue("frame", 0);
    m_lumaProgram->setUniformValue("frameSize", float(frameWidth), float(frameHeight));
    m_lumaProgram->setUniformValue("flipRows", flipRows);
    m_lumaProgram->setUniformValue("lumaRow", rows.y[0], rows.y[1], rows.y[2], rows.y[3]);
    m_chromaProgram->bind();
    m_chromaProgram->setUniformValue("frame", 0);
    m_chromaProgram->setUniformValue("frameSize", float(frameWidth), float(frameHeight));
    m_chromaProgram->setUniformValue("flipRows", flipRows);
    m_chromaProgram->setUniformValue("lumaRows", float(frameHeight));
    m_chromaProgram->setUniformValue("halfWidth", float(halfWidth));
    m_chromaProgram->setUniformValue("uRow", rows.u[0], rows.u[1], rows.u[2], rows.u[3]);
    m_chromaProgram->setUniformValue("vRow", rows.v[0], rows.v[1], rows.v[2], rows.v[3]);
    m_chromaProgram->release();

    QOpenGLFramebufferObjectFormat bufferFormat;
    bufferFormat.setAttachment(QOpenGLFramebufferObject::NoAttachment);
    bufferFormat.setInternalTextureFormat(GL_RGBA8);
    m_planarBuffer = std::make_unique<QOpenGLFramebufferObject>(QSize(bufferWidth, bufferHeight), bufferFormat);
    if (!m_planarBuffer->isValid())
        return fail(QStringLiteral("no %1 x %2 framebuffer object for the YUV planes could be made")
                        .arg(bufferWidth)
                        .arg(bufferHeight));
    while (gl->glGetError() != GL_NO_ERROR) {}
    gl->glGenBuffers(2, m_transferBuffers.data());
    for (GLuint buffer : m_transferBuffers) {
        gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, buffer);
        gl->glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(layout.bytes), nullptr, GL_STREAM_READ);
    }
    gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    if (gl->glGetError() != GL_NO_ERROR)
        return fail(QStringLiteral("no transfer buffers for the YUV planes could be made"));
    // The frame buffer of the composition stays the one bound.
    m_frameBuffer->bind();
    m_planarLayout = layout;
    m_planarPending = 0;
    m_planarNext = 0;
    return true;
}

void GLDrawer::destroyPlanarObjects()
{
    if (m_gl && m_transferBuffers[0] != 0)
        m_gl->glDeleteBuffers(2, m_transferBuffers.data());
    m_transferBuffers = {};
    m_lumaProgram.reset();
    m_chromaProgram.reset();
    m_planarBuffer.reset();
    m_planarPending = 0;
    m_planarNext = 0;
}

bool GLDrawer::convertPlanar()
{
    if (!m_planarEnabled || !m_active || !m_frameBuffer || !m_planarBuffer)
        return fail(QStringLiteral("planar read-back is not set up"));
    if (!ensureContext())
        return false;
    QOpenGLFunctions_2_0* gl = m_gl;
    const QSize size = m_planarBuffer->size();
    // Luma rows, then chroma rows, each quad in clip coordinates.
    const float split = -1.0f + 2.0f * float(frameHeight) / float(size.height());
    m_planarBuffer->bind();
    gl->glViewport(0, 0, size.width(), size.height());
    gl->glDisable(GL_BLEND);
    gl->glBindTexture(GL_TEXTURE_2D, m_frameBuffer->texture());
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    const auto pass = [gl](QOpenGLShaderProgram& program, GLint filter, float bottom, float top) {
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        gl->glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
        program.bind();
        gl->glBegin(GL_TRIANGLE_STRIP);
        gl->glVertex2f(-1.0f, bottom);
        gl->glVertex2f(1.0f, bottom);
        gl->glVertex2f(-1.0f, top);
        gl->glVertex2f(1.0f, top);
        gl->glEnd();
    };
    pass(*m_lumaProgram, GL_NEAREST, -1.0f, split);
    pass(*m_chromaProgram, GL_LINEAR, split, 1.0f);
    m_chromaProgram->release();
    gl->glBindTexture(GL_TEXTURE_2D, 0);
    gl->glEnable(GL_BLEND);
    gl->glPixelStorei(GL_PACK_ALIGNMENT, 1);
    gl->glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    return true;
}

bool GLDrawer::readPlanarFrame(void* dst)
{
    if (!dst)
        return fail(QStringLiteral("no destination for the frame"));
    if (m_planarPending > 0)
        return fail(QStringLiteral("requested frames are still to be taken"));
    if (!convertPlanar())
        return false;
    const QSize size = m_planarBuffer->size();
    m_gl->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, dst);
    m_frameBuffer->bind();
    return true;
}

bool GLDrawer::requestPlanarFrame()
{
    if (m_planarPending >= int(m_transferBuffers.size()))
        return fail(QStringLiteral("both transfer buffers hold frames not yet taken"));
    if (!convertPlanar())
        return false;
    const QSize size = m_planarBuffer->size();
    m_gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, m_transferBuffers[std::size_t(m_planarNext)]);
    m_gl->glReadPixels(0, 0, size.width(), size.height(), GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    m_gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    m_gl->glFlush();
    m_frameBuffer->bind();
    m_planarNext = (m_planarNext + 1) % int(m_transferBuffers.size());
    ++m_planarPending;
    return true;
}

bool GLDrawer::takePlanarFrame(void* dst)
{
    if (!dst)
        return fail(QStringLiteral("no destination for the frame"));
    if (m_planarPending <= 0)
        return fail(QStringLiteral("no frame was requested"));
    if (!m_planarEnabled || !ensureContext())
        return fail(QStringLiteral("planar read-back is not set up"));
    const int count = int(m_transferBuffers.size());
    const int oldest = (m_planarNext - m_planarPending + count) % count;
    QOpenGLFunctions_2_0* gl = m_gl;
    gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, m_transferBuffers[std::size_t(oldest)]);
    const void* mapped = gl->glMapBuffer(GL_PIXEL_PACK_BUFFER, GL_READ_ONLY);
    if (mapped)
        std::memcpy(dst, mapped, m_planarLayout.bytes);
    const bool unmapped = mapped && gl->glUnmapBuffer(GL_PIXEL_PACK_BUFFER) == GL_TRUE;
    gl->glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    // The frame is used up either way: a failed one is not handed out later.
    --m_planarPending;
    if (!unmapped)
        return fail(QStringLiteral("the transfer buffer of a frame could not be read"));
    return true;
}
