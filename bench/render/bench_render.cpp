// Renders a 1280 x 720 album of six large photos frame by frame, reading every
// frame back as the compile loop does, and prints where the time goes:
// picture loading (cache, prefetch hand-over or decode), upload, draw and
// read-back; once over the whole album and once for transition frames alone.
//
//   bench_render [--captions]
//
// --captions gives every photo a two-line caption (a shadow, or a band on
// every other photo), to see what captions add per frame.

#include "gldrawer.h"
#include "imagereader.h"
#include "storyboardrender.h"
#include "benchphotos.h"
#include "zupref.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

namespace {

struct Totals {
    qint64 load = 0, upload = 0, draw = 0, read = 0;
    int frames = 0;
    qint64 worstFrame = 0;
    void print(const char* title) const
    {
        if (frames == 0)
            return;
        const double n = frames * 1e6;
        std::printf("%-22s %5d frames  load %6.2f  upload %6.2f  draw %6.2f  read-back %6.2f  = %6.2f ms/frame"
                    "  (worst %.1f ms)\n",
                    title, frames, load / n, upload / n, draw / n, read / n, (load + upload + draw + read) / n,
                    worstFrame / 1e6);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool captions = QCoreApplication::arguments().contains(QStringLiteral("--captions"));
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QTemporaryDir dir;
    std::printf("making 6 photos of 4000x3000 ...\n");
    StoryBoardData album(ZuPref::appDir() + QStringLiteral("/pattern")); // the wipe patterns
    for (int i = 0; i < 6; ++i) {
        ImageInfo photo;
        photo.filePath = makeBenchPhoto(dir.path(), i);
        if (photo.filePath.isEmpty() || !ImageReader::parse(photo)) {
            std::fprintf(stderr, "bench_render: could not make photo %d\n", i);
            return 1;
        }
        photo.fxStart = {FxTranslate, {-25.0f, -12.5f, 50.0f, 0.0f}};
        photo.fxEnd = {FxTranslate, {25.0f, 12.5f, 100.0f, 0.0f}};
        if (captions) {
            photo.caption.text = QStringLiteral("Photo %1 of the walk\nby the river").arg(i + 1);
            photo.caption.backdrop = i % 2 ? CaptionBackdrop::Band : CaptionBackdrop::Shadow;
        }
        album.photos.append(photo);
    }
    std::printf("patterns: %d\n", int(album.patternFiles.size()));

    RenderParam param;
    param.width = 1280;
    param.height = 720;
    param.aspectRatio = 1280.0 / 720.0;
    StoryBoardRender render;
    render.init(param);
    render.setStoryBoard(&album);

    GLDrawer drawer;
    if (!drawer.initialize(QSize(param.width, param.height), 2, true)) {
        std::fprintf(stderr, "bench_render: %s\n", qPrintable(drawer.errorString()));
        return 1;
    }
    std::vector<unsigned char> frame(std::size_t(param.width) * param.height * 4);

    Totals all, first, transitions, alone;
    QElapsedTimer clock;
    for (quint32 n = 0; n < render.totalFrames; ++n) {
        render.seek(n, false, &drawer);
        clock.start();
        drawer.readFrame(GL_RGBA, GL_UNSIGNED_BYTE, frame.data());
        const qint64 read = clock.nsecsElapsed();
        const StoryBoardRender::Timings& t = render.lastTimings();
        const double s = n - render.slotFrames * int(n / render.slotFrames);
        Totals& kind = n == 0 ? first : s >= album.photoSeconds * param.frameRate ? transitions : alone;
        for (Totals* totals : {&all, &kind}) {
            totals->load += t.loadNs;
            totals->upload += t.uploadNs;
            totals->draw += t.drawNs;
            totals->read += read;
            totals->frames += 1;
            totals->worstFrame = std::max(totals->worstFrame, t.loadNs + t.uploadNs + t.drawNs + read);
        }
    }
    std::printf("1280x720, 6 photos, 5 s + 1.5 s wipes, zoom on, %s, %s\n", captions ? "captions" : "no captions",
                qPrintable(QOpenGLContext::currentContext()
                               ? QString::fromLatin1(reinterpret_cast<const char*>(
                                     QOpenGLContext::currentContext()->functions()->glGetString(GL_RENDERER)))
                               : QStringLiteral("(no context)")));
    all.print("whole album");
    first.print("first frame (cold)");
    alone.print("photo alone");
    transitions.print("transition frames");
    return 0;
}
