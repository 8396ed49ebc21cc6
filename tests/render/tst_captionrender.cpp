// Captions and title cards in the compositor: the drawer's overlays composed
// by real OpenGL and read back, and the renderer laying each photo's caption
// over it, fading it with the transitions, and drawing title cards without a
// file.

#include "avplayer.h"
#include "caption.h"
#include "gldrawer.h"
#include "rendertests.h"
#include "storyboardrender.h"

#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;
const QRgb Photo = qRgb(40, 60, 200);
const QRgb Yellow = qRgb(255, 255, 0);

QImage solid(QRgb colour, int width = Width, int height = Height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The top quarter opaque cyan; below it the left half opaque yellow, the
// right half white at half alpha (premultiplied). No turn or mirror of it
// looks the same.
QImage halves(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, y < height / 4 ? 0xFF00FFFFu : x < width / 2 ? 0xFFFFFF00u : 0x80808080u);
    return image;
}

// `over` (premultiplied) at `opacity` over the opaque colour `under`, as
// the compositor blends it.
QRgb blended(QRgb over, QRgb under, double opacity)
{
    const double a = qAlpha(over) / 255.0 * opacity;
    const auto channel = [&](int top, int bottom) { return int(std::lround(top * opacity + bottom * (1.0 - a))); };
    return qRgb(channel(qRed(over), qRed(under)), channel(qGreen(over), qGreen(under)),
                channel(qBlue(over), qBlue(under)));
}

// The frame the compositor should give: `picture` laid at `rect` over a
// frame of one colour, texel for pixel.
QImage composedOnCpu(const CaptionPicture& picture, QRgb under, double opacity)
{
    QImage frame = solid(under);
    const QImage source = picture.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < picture.rect.height(); ++y)
        for (int x = 0; x < picture.rect.width(); ++x)
            frame.setPixel(picture.rect.x() + x, picture.rect.y() + y, blended(source.pixel(x, y), under, opacity));
    return frame;
}

// A frame position where the caption is fully opaque text of its own
// colour, as far inside a stroke as the picture allows (the pixel with the
// most such neighbours).
QPoint solidTextPixel(const CaptionPicture& picture, QRgb colour)
{
    const QImage image = picture.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPoint best(-1, -1);
    int bestScore = -1;
    for (int y = 1; y + 1 < image.height(); ++y)
        for (int x = 1; x + 1 < image.width(); ++x) {
            const auto solidAt = [&](int px, int py) {
                return qAlpha(image.pixel(px, py)) == 255 && nearColour(image.pixel(px, py), colour, 2);
            };
            if (!solidAt(x, y))
                continue;
            int score = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    score += solidAt(x + dx, y + dy);
            if (score > bestScore) {
                bestScore = score;
                best = QPoint(x, y);
            }
        }
    return bestScore > 0 ? best + picture.rect.topLeft() : QPoint(-1, -1);
}

Caption caption(const QString& text, CaptionPlace place, CaptionBackdrop backdrop, QRgb colour = Yellow)
{
    Caption made;
    made.text = text;
    made.place = place;
    made.point = QPointF(0.3, 0.4);
    made.size = 0.12;
    made.colour = QColor::fromRgb(colour);
    made.backdrop = backdrop;
    return made;
}

RenderParam param()
{
    RenderParam made;
    made.width = Width;
    made.height = Height;
    made.frameRate = 25.0;
    return made;
}

#define QVERIFY_COLOUR(actual, expected, tolerance, where)                                                             \
    QVERIFY2(nearColour(actual, expected, tolerance),                                                                  \
             qPrintable(QStringLiteral("%1: %2 instead of %3").arg(where, colourText(actual), colourText(expected))))

} // namespace

class CaptionRenderTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_photo;

    // Photos of one colour, 400 ms each with 400 ms transitions (10 frames
    // alone, then 10 of transition), no zoom.
    StoryBoardData album(const QList<ImageInfo>& photos) const
    {
        StoryBoardData data;
        data.useZoom = false;
        data.dissolveOnly = true;
        data.photoMs = 400;
        data.photoSeconds = 0.4;
        data.transitionMs = 400;
        data.transitionSeconds = 0.4;
        data.photos = photos;
        return data;
    }
    ImageInfo photo(const Caption& text = {}) const
    {
        ImageInfo made;
        made.filePath = m_photo;
        made.caption = text;
        return made;
    }

private slots:
    void initTestCase()
    {
        m_photo = m_dir.filePath(QStringLiteral("photo.png"));
        QVERIFY(solid(Photo, 640, 480).save(m_photo, "PNG"));
    }

    // The overlay lands texel for pixel at its place, top-left origin, in
    // either row order, blended premultiplied at its opacity; nothing
    // outside it changes.
    void overlayComposition_data()
    {
        QTest::addColumn<bool>("flipVertical");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<float>("opacity");
        QTest::addColumn<double>("expectedOpacity");
        QTest::newRow("upright read-back") << true << QRect(30, 50, 40, 20) << 1.0f << 1.0;
        QTest::newRow("bottom-up read-back (the player)") << false << QRect(30, 50, 40, 20) << 1.0f << 1.0;
        QTest::newRow("half opacity") << true << QRect(30, 50, 40, 20) << 0.5f << 0.5;
        QTest::newRow("bottom right corner") << false << QRect(280, 220, 40, 20) << 1.0f << 1.0;
        QTest::newRow("opacity above 1 is 1") << true << QRect(0, 0, 40, 20) << 3.0f << 1.0;
        QTest::newRow("opacity 0 draws nothing") << true << QRect(30, 50, 40, 20) << 0.0f << 0.0;
        QTest::newRow("NaN opacity draws nothing") << false << QRect(30, 50, 40, 20) << std::nanf("") << 0.0;
    }
    void overlayComposition()
    {
        QFETCH(bool, flipVertical);
        QFETCH(QRect, rect);
        QFETCH(float, opacity);
        QFETCH(double, expectedOpacity);
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, flipVertical));
        const FrameData background = bgraPicture(solid(Photo));
        CaptionPicture overlay{halves(40, 20), rect};
        drawer.beginDraw();
        drawer.bindFrame(0, background.picture.data[0]);
        drawer.drawFrame(0, 0, nullptr);
        drawer.bindOverlay(1, overlay.image, 11);
        drawer.drawOverlay(1, rect, opacity);
        drawer.endDraw();
        const QImage frame = readBack(drawer);
        const QImage expected = composedOnCpu(overlay, Photo, expectedOpacity);
        QVERIFY2(maxDifference(frame, expected) <= 2, qPrintable(QString::number(maxDifference(frame, expected))));
    }

    // Shown larger than its picture, the overlay is filtered: each half
    // keeps its colour away from the seam.
    void overlayScaled()
    {
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        const FrameData background = bgraPicture(solid(Photo));
        drawer.beginDraw();
        drawer.bindFrame(0, background.picture.data[0]);
        drawer.drawFrame(0, 0, nullptr);
        drawer.bindOverlay(0, halves(40, 20));
        drawer.drawOverlay(0, QRect(100, 100, 80, 40), 1.0f);
        drawer.endDraw();
        const QImage frame = readBack(drawer);
        QVERIFY_COLOUR(frame.pixel(110, 120), Yellow, 2, QStringLiteral("left half"));
        QVERIFY_COLOUR(frame.pixel(170, 120), blended(0x80808080u, Photo, 1.0), 2, QStringLiteral("right half"));
        QVERIFY_COLOUR(frame.pixel(98, 120), Photo, 0, QStringLiteral("left of it"));
        QVERIFY_COLOUR(frame.pixel(140, 142), Photo, 0, QStringLiteral("below it"));
    }

    // A content id seen before keeps the texture; a new id, id 0 or a
    // picture of another size uploads; a null picture empties the overlay.
    void overlayKeptByContentId()
    {
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        const QImage first = halves(40, 20);
        QImage second(60, 10, QImage::Format_ARGB32_Premultiplied);
        second.fill(0xFFFFFF00u);
        const auto compose = [&](int index, const QImage& picture, quint64 id, const QRect& rect) {
            drawer.beginDraw();
            drawer.bindOverlay(index, picture, id);
            drawer.drawOverlay(index, rect, 1.0f);
            drawer.endDraw();
            return readBack(drawer);
        };
        compose(0, first, 5, QRect(0, 0, 40, 20));
        QCOMPARE(drawer.overlayUploads(), 1);
        compose(0, first, 5, QRect(0, 0, 40, 20));
        QCOMPARE(drawer.overlayUploads(), 1);
        compose(1, first, 5, QRect(0, 0, 40, 20)); // another overlay has its own texture
        QCOMPARE(drawer.overlayUploads(), 2);
        compose(0, first, 0, QRect(0, 0, 40, 20));
        compose(0, first, 0, QRect(0, 0, 40, 20));
        QCOMPARE(drawer.overlayUploads(), 4);
        // The same id with another picture would be the caller's error; a
        // new id of another size takes a texture of that size.
        const QImage shown = compose(0, second, 6, QRect(10, 10, 60, 10));
        QCOMPARE(drawer.overlayUploads(), 5);
        QVERIFY_COLOUR(shown.pixel(65, 15), Yellow, 0, QStringLiteral("wider picture"));
        QVERIFY_COLOUR(shown.pixel(65, 25), qRgb(0, 0, 0), 0, QStringLiteral("below the shorter picture"));

        const QImage emptied = compose(0, QImage(), 6, QRect(10, 10, 60, 10));
        QVERIFY_COLOUR(emptied.pixel(65, 15), qRgb(0, 0, 0), 0, QStringLiteral("emptied overlay"));
        // Emptied, the id no longer counts as shown.
        compose(0, second, 6, QRect(10, 10, 60, 10));
        QCOMPARE(drawer.overlayUploads(), 6);
    }

    // Bad indices, a picture larger than the frame, or drawing what was
    // never bound change nothing and do not crash.
    void overlayBadArguments()
    {
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        QImage tooLarge(Width + 1, 10, QImage::Format_ARGB32_Premultiplied);
        tooLarge.fill(0xFFFFFF00u);
        drawer.beginDraw();
        drawer.bindOverlay(-1, halves(40, 20), 1);
        drawer.bindOverlay(GLDrawer::OverlayCount, halves(40, 20), 2);
        drawer.drawOverlay(-1, QRect(0, 0, 40, 20), 1.0f);
        drawer.drawOverlay(GLDrawer::OverlayCount, QRect(0, 0, 40, 20), 1.0f);
        drawer.drawOverlay(0, QRect(0, 0, 40, 20), 1.0f); // never bound
        drawer.bindOverlay(1, tooLarge, 3);
        drawer.drawOverlay(1, QRect(0, 0, Width, 10), 1.0f);
        drawer.endDraw();
        QVERIFY(!drawer.errorString().isEmpty());
        QCOMPARE(drawer.overlayUploads(), 0);
        const QImage frame = readBack(drawer);
        QVERIFY(maxDifference(frame, solid(qRgb(0, 0, 0))) == 0);
        // A drawer that was never set up ignores overlays.
        GLDrawer idle;
        idle.bindOverlay(0, halves(40, 20), 4);
        QCOMPARE(idle.overlayUploads(), 0);
    }

    // When Qt replaces the drawer's context, the overlay comes back from its
    // kept picture: the next frame, binding the same id, still shows it.
    void overlaySurvivesContextChange()
    {
        QWidget window; // declared first: it takes the drawer as a child and must outlive it
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        const QRect rect(30, 50, 40, 20);
        const auto compose = [&] {
            drawer.beginDraw();
            drawer.bindOverlay(0, halves(40, 20), 21);
            drawer.drawOverlay(0, rect, 1.0f);
            drawer.endDraw();
        };
        compose();
        bool replaced = false;
        connect(drawer.context(), &QOpenGLContext::aboutToBeDestroyed, this, [&replaced] { replaced = true; });
        drawer.setParent(&window);
        if (!canShowGLWidgets() && !replaced)
            QSKIP("QOpenGLWidget keeps its context on the offscreen platform, where it renders only hidden");
        QVERIFY(replaced);
        window.resize(Width, Height);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        compose();
        const QImage expected = composedOnCpu(CaptionPicture{halves(40, 20), rect}, qRgb(0, 0, 0), 1.0);
        QVERIFY2(maxDifference(readBack(drawer), expected) <= 2, "the overlay is gone after the context change");
    }

    // The preview's read-back shows each caption exactly where and as
    // paintCaption() draws it for the frame size; the rest of the frame is
    // the photo.
    void previewShowsCaption_data()
    {
        QTest::addColumn<Caption>("text");
        QTest::newRow("bottom, shadow") << caption(QStringLiteral("Bottom line"), CaptionPlace::Bottom,
                                                   CaptionBackdrop::Shadow);
        QTest::newRow("top, outline") << caption(QStringLiteral("Top\nof two lines"), CaptionPlace::Top,
                                                 CaptionBackdrop::Outline);
        QTest::newRow("centre, band") << caption(QStringLiteral("Centre"), CaptionPlace::Centre, CaptionBackdrop::Band);
        QTest::newRow("free, no backdrop")
            << caption(QStringLiteral("Free"), CaptionPlace::Free, CaptionBackdrop::None);
        QTest::newRow("right-to-left") << caption(QStringLiteral("שלום עולם"), CaptionPlace::Bottom,
                                                  CaptionBackdrop::Shadow);
        QTest::newRow("markup stays text")
            << caption(QStringLiteral("<b>not bold</b> &amp;"), CaptionPlace::Bottom, CaptionBackdrop::None);
    }
    void previewShowsCaption()
    {
        QFETCH(Caption, text);
        StoryBoardData data = album({photo(text)});
        StoryBoardRender render;
        QVERIFY(render.init(param()));
        render.setStoryBoard(&data);
        AVPlayer player;
        QVERIFY(player.init(param()));
        player.render = &render;
        player.seek(5);
        const CaptionPicture picture = paintCaption(text, QSize(Width, Height));
        QVERIFY(!picture.isEmpty());
        QCOMPARE(picture.rect, captionRect(text, QSize(Width, Height)));
        const QImage frame = readBack(player);
        const QImage expected = composedOnCpu(picture, Photo, 1.0);
        QVERIFY2(maxDifference(frame, expected) <= 2, qPrintable(QString::number(maxDifference(frame, expected))));
        // Something of the text is there, in its colour.
        const QPoint letter = solidTextPixel(picture, Yellow);
        QVERIFY(letter.x() >= 0);
        QVERIFY_COLOUR(frame.pixel(letter), Yellow, 2, QStringLiteral("a letter"));
    }

    // A caption of white space only, and no caption, leave the photo as it is.
    void emptyCaptionDrawsNothing()
    {
        StoryBoardData data =
            album({photo(caption(QStringLiteral(" \n\t"), CaptionPlace::Centre, CaptionBackdrop::Band)), photo()});
        StoryBoardRender render;
        QVERIFY(render.init(param()));
        render.setStoryBoard(&data);
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        for (unsigned long frame : {0ul, 15ul, 25ul}) {
            render.seek(frame, false, &drawer);
            QVERIFY2(maxDifference(readBack(drawer), solid(Photo)) <= 1, qPrintable(QString::number(frame)));
        }
        QCOMPARE(render.captionPaints(), 0);
        QCOMPARE(drawer.overlayUploads(), 0);
    }

    // The outgoing caption fades out and the incoming one in over the
    // transition, whether it dissolves, wipes or cuts; a caption both
    // photos share stays as it is.
    void captionFadesWithTransition_data()
    {
        QTest::addColumn<bool>("same");
        QTest::addColumn<bool>("wipe");
        QTest::addColumn<int>("transitionMs");
        QTest::addColumn<int>("frame");
        QTest::addColumn<double>("outgoing");
        QTest::addColumn<double>("incoming");
        QTest::newRow("alone") << false << false << 400 << 5 << 1.0 << 0.0;
        QTest::newRow("dissolve, start") << false << false << 400 << 10 << 1.0 << 0.0;
        QTest::newRow("dissolve, middle") << false << false << 400 << 15 << 0.5 << 0.5;
        QTest::newRow("dissolve, late") << false << false << 400 << 18 << 0.2 << 0.8;
        QTest::newRow("wipe, middle") << false << true << 400 << 15 << 0.5 << 0.5;
        QTest::newRow("wipe, early") << false << true << 400 << 12 << 0.8 << 0.2;
        QTest::newRow("next photo alone") << false << false << 400 << 25 << 0.0 << 1.0;
        QTest::newRow("same caption, dissolve") << true << false << 400 << 15 << 1.0 << 1.0;
        QTest::newRow("same caption, wipe") << true << true << 400 << 12 << 1.0 << 1.0;
        QTest::newRow("cut") << false << false << 0 << 10 << 0.0 << 1.0;
    }
    void captionFadesWithTransition()
    {
        QFETCH(bool, same);
        QFETCH(bool, wipe);
        QFETCH(int, transitionMs);
        QFETCH(int, frame);
        QFETCH(double, outgoing);
        QFETCH(double, incoming);
        const Caption first = caption(QStringLiteral("Going"), CaptionPlace::Bottom, CaptionBackdrop::None);
        const Caption second =
            same ? first : caption(QStringLiteral("Coming"), CaptionPlace::Top, CaptionBackdrop::None);
        StoryBoardData data = album({photo(first), photo(second)});
        data.transitionMs = transitionMs;
        data.transitionSeconds = transitionMs / 1000.0;
        data.useTransition = transitionMs > 0;
        if (wipe) {
            data = StoryBoardData(patternFolder());
            data.photos = {photo(first), photo(second)};
            data.useZoom = false;
            data.photoMs = data.transitionMs = 400;
            data.photoSeconds = data.transitionSeconds = 0.4;
            QVERIFY(!data.patternFiles.isEmpty());
        }
        StoryBoardRender render;
        QVERIFY(render.init(param()));
        render.setStoryBoard(&data);
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        render.seek(frame, false, &drawer);
        const QImage shown = readBack(drawer);

        // The opacity a solid yellow letter pixel shows over the photo's
        // blue, which yellow has none of.
        const auto opacityAt = [&](const Caption& text) {
            const QPoint at = solidTextPixel(paintCaption(text, QSize(Width, Height)), Yellow);
            return at.x() < 0 ? -1.0 : 1.0 - qBlue(shown.pixel(at)) / double(qBlue(Photo));
        };
        const double shownOutgoing = opacityAt(first);
        const double shownIncoming = opacityAt(second);
        QVERIFY2(std::abs(shownOutgoing - outgoing) <= 0.03, qPrintable(QString::number(shownOutgoing)));
        QVERIFY2(std::abs(shownIncoming - incoming) <= 0.03, qPrintable(QString::number(shownIncoming)));
    }

    // Each caption is drawn once per output size, and its texture uploaded
    // once per overlay; an edit of the text or a new size draws it anew.
    void captionDrawnOnce()
    {
        const Caption same = caption(QStringLiteral("Same"), CaptionPlace::Bottom, CaptionBackdrop::Shadow);
        StoryBoardData data =
            album({photo(same), photo(same),
                   photo(caption(QStringLiteral("Other"), CaptionPlace::Top, CaptionBackdrop::Band))});
        StoryBoardRender render;
        QVERIFY(render.init(param()));
        render.setStoryBoard(&data);
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        for (unsigned long frame = 0; frame < render.totalFrames; ++frame)
            render.seek(frame, false, &drawer);
        QCOMPARE(render.captionPaints(), 2);
        QCOMPARE(render.captionCacheSize(), 2);
        // Photo 0 into overlay 0, photo 1 (the same caption) into overlay 1,
        // photo 2 into overlay 0 again: nothing moves between overlays.
        QCOMPARE(drawer.overlayUploads(), 3);
        render.seek(3, false, &drawer);
        render.seek(3, false, &drawer);
        QCOMPARE(render.captionPaints(), 2);

        // Typing into a caption shows the new text on the next frame.
        data.photos[0].caption.text = QStringLiteral("Edited");
        render.seek(3, false, &drawer);
        QCOMPARE(render.captionPaints(), 3);
        const CaptionPicture edited = paintCaption(data.photos[0].caption, QSize(Width, Height));
        QVERIFY2(maxDifference(readBack(drawer), composedOnCpu(edited, Photo, 1.0)) <= 2, "edited caption");

        // The frame size tells pictures apart, and a family that ends like
        // the text begins cannot make two captions one.
        const QSize size(Width, Height);
        QVERIFY(StoryBoardRender::captionKey(same, QSize(640, 480)) != StoryBoardRender::captionKey(same, size));
        Caption a = same, b = same;
        a.family = QStringLiteral("X|");
        a.text = QStringLiteral("Y");
        b.family = QStringLiteral("X");
        b.text = QStringLiteral("|Y");
        QVERIFY(StoryBoardRender::captionKey(a, size) != StoryBoardRender::captionKey(b, size));
    }

    // A title card shows its gradient and its text, from no file: alone,
    // drawn ahead by the prefetcher, and dissolving into a photo.
    void titleCard_data()
    {
        QTest::addColumn<bool>("cardFirst");
        QTest::addColumn<int>("frame");
        QTest::newRow("card first, alone") << true << 5;
        QTest::newRow("card second: drawn ahead") << false << 25;
    }
    void titleCard()
    {
        QFETCH(bool, cardFirst);
        QFETCH(int, frame);
        ImageInfo card;
        card.titleCard = true;
        card.cardTop = QColor(200, 20, 20);
        card.cardBottom = QColor(20, 20, 200);
        card.caption = caption(QStringLiteral("The Title"), CaptionPlace::Centre, CaptionBackdrop::None);
        StoryBoardData data = album(cardFirst ? QList<ImageInfo>{card, photo()} : QList<ImageInfo>{photo(), card});
        StoryBoardRender render;
        QVERIFY(render.init(param()));
        render.setStoryBoard(&data);
        GLDrawer drawer;
        QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
        if (!cardFirst) {
            render.seek(0, false, &drawer);
            QVERIFY(render.picturePrefetcher().isRequested(StoryBoardRender::sourceKey(card)));
        }
        render.seek(frame, false, &drawer);
        const QImage shown = readBack(drawer);
        const QImage background = paintCardBackground(card.cardTop, card.cardBottom, QSize(Width, Height));
        QVERIFY_COLOUR(shown.pixel(5, 1), background.pixel(5, 1), 2, QStringLiteral("top"));
        QVERIFY_COLOUR(shown.pixel(5, Height - 2), background.pixel(5, Height - 2), 2, QStringLiteral("bottom"));
        QVERIFY(qRed(shown.pixel(5, 1)) > 150 && qBlue(shown.pixel(5, Height - 2)) > 150);
        CaptionPicture text = paintCaption(card.caption, QSize(Width, Height));
        const QPoint letter = solidTextPixel(text, Yellow);
        QVERIFY(letter.x() >= 0);
        QVERIFY_COLOUR(shown.pixel(letter), Yellow, 2, QStringLiteral("a letter of the title"));

        // Halfway into the photo both show.
        if (cardFirst) {
            render.seek(15, false, &drawer);
            const QRgb mixed = readBack(drawer).pixel(5, 1);
            QVERIFY_COLOUR(mixed, qRgb((200 + qRed(Photo)) / 2, (20 + qGreen(Photo)) / 2, (20 + qBlue(Photo)) / 2), 3,
                           QStringLiteral("dissolving"));
        }
    }
};

std::unique_ptr<QObject> makeCaptionRenderTests() { return std::make_unique<CaptionRenderTests>(); }

#include "tst_captionrender.moc"
