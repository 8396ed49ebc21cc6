// Captions as drawn for the compositor: where each place puts the text on
// frames of any size, what each backdrop adds, text of other scripts drawn
// with real glyphs, and markup drawn as the characters it is.

#include "caption.h"
#include "rendertests.h"

#include <QTest>

namespace {

// The smallest rectangle of the picture holding pixels at least `alpha`
// opaque, in frame coordinates.
QRect inkRect(const CaptionPicture& picture, int alpha = 1)
{
    QRect ink;
    for (int y = 0; y < picture.image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.image.constScanLine(y));
        for (int x = 0; x < picture.image.width(); ++x)
            if (qAlpha(row[x]) >= alpha)
                ink |= QRect(x, y, 1, 1);
    }
    return ink.translated(picture.rect.topLeft());
}

int countPixels(const CaptionPicture& picture, const std::function<bool(QRgb)>& test)
{
    int count = 0;
    for (int y = 0; y < picture.image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.image.constScanLine(y));
        for (int x = 0; x < picture.image.width(); ++x)
            count += test(row[x]) ? 1 : 0;
    }
    return count;
}

Caption caption(const QString& text, CaptionBackdrop backdrop = CaptionBackdrop::Shadow,
                CaptionPlace place = CaptionPlace::Bottom, QPointF point = {0.5, 0.5})
{
    Caption made;
    made.text = text;
    made.backdrop = backdrop;
    made.place = place;
    made.point = point;
    return made;
}

bool isDark(QRgb pixel) { return qAlpha(pixel) > 60 && qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40; }

class CaptionPaintTest : public QObject
{
    Q_OBJECT

private slots:
    // Each place puts the text where it should at 720p and at 4K, the same
    // share of the frame at both, and the picture holds all of its ink.
    void places_data()
    {
        QTest::addColumn<int>("place");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QPointF>("centre"); // expected centre of the text, fractions of the frame
        QTest::addColumn<double>("tolerance");
        QTest::newRow("bottom") << int(CaptionPlace::Bottom) << QPointF() << QPointF(0.5, 0.88) << 0.06;
        QTest::newRow("top") << int(CaptionPlace::Top) << QPointF() << QPointF(0.5, 0.12) << 0.06;
        QTest::newRow("centre") << int(CaptionPlace::Centre) << QPointF() << QPointF(0.5, 0.5) << 0.03;
        QTest::newRow("free") << int(CaptionPlace::Free) << QPointF(0.3, 0.7) << QPointF(0.3, 0.7) << 0.03;
        QTest::newRow("free, kept inside")
            << int(CaptionPlace::Free) << QPointF(1.0, 0.0) << QPointF(0.8, 0.06) << 0.15;
    }
    void places()
    {
        QFETCH(int, place);
        QFETCH(QPointF, point);
        QFETCH(QPointF, centre);
        QFETCH(double, tolerance);
        const Caption caption =
            ::caption(QStringLiteral("Lake at dawn\nJuly"), CaptionBackdrop::Shadow, CaptionPlace(place), point);
        QRectF shares[2];
        int i = 0;
        for (const QSize frame : {QSize(1280, 720), QSize(3840, 2160)}) {
            const CaptionPicture picture = paintCaption(caption, frame);
            QVERIFY(!picture.isEmpty());
            QCOMPARE(picture.image.size(), picture.rect.size());
            QCOMPARE(captionRect(caption, frame), picture.rect);
            QVERIFY(QRect(QPoint(0, 0), frame).contains(picture.rect));
            const QRect ink = inkRect(picture);
            QVERIFY(picture.rect.contains(ink));
            // The ink never touches the picture's edge: nothing is cut off.
            QVERIFY2(
                ink.adjusted(-1, -1, 1, 1).intersected(picture.rect) == ink.adjusted(-1, -1, 1, 1),
                qPrintable(
                    QStringLiteral("ink %1,%2 %3x%4").arg(ink.x()).arg(ink.y()).arg(ink.width()).arg(ink.height())));
            shares[i++] = QRectF(double(ink.x()) / frame.width(), double(ink.y()) / frame.height(),
                                 double(ink.width()) / frame.width(), double(ink.height()) / frame.height());
            const QPointF middle(ink.center().x() / double(frame.width()), ink.center().y() / double(frame.height()));
            QVERIFY2(std::abs(middle.x() - centre.x()) < tolerance && std::abs(middle.y() - centre.y()) < tolerance,
                     qPrintable(QStringLiteral("centre %1, %2").arg(middle.x()).arg(middle.y())));
            const QPointF reported = captionCentre(caption, frame);
            QVERIFY(std::abs(reported.x() - middle.x()) < 0.02 && std::abs(reported.y() - middle.y()) < 0.03);
        }
        // The same layout at both sizes, to within a pixel or two of 720p.
        QVERIFY(std::abs(shares[0].width() - shares[1].width()) < 0.004);
        QVERIFY(std::abs(shares[0].height() - shares[1].height()) < 0.006);
        QVERIFY(std::abs(shares[0].top() - shares[1].top()) < 0.006);
    }

    // What each backdrop adds round yellow letters.
    void backdrops()
    {
        const QSize frame(640, 360);
        const auto picture = [&](CaptionBackdrop backdrop) {
            Caption yellowText = caption(QStringLiteral("Readable"), backdrop);
            yellowText.colour = QColor(255, 255, 0);
            return paintCaption(yellowText, frame);
        };
        const auto yellow = [](QRgb p) { return qAlpha(p) > 200 && qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 60; };
        const CaptionPicture none = picture(CaptionBackdrop::None);
        const CaptionPicture shadow = picture(CaptionBackdrop::Shadow);
        const CaptionPicture outline = picture(CaptionBackdrop::Outline);
        const CaptionPicture band = picture(CaptionBackdrop::Band);
        QVERIFY(countPixels(none, yellow) > 200);
        QCOMPARE(countPixels(none, isDark), 0);
        for (const CaptionPicture* dark : {&shadow, &outline})
            QVERIFY(countPixels(*dark, isDark) > countPixels(none, yellow) / 4);
        // A shadow falls below and to the right, an outline all round.
        QVERIFY(inkRect(shadow, 60).bottom() > inkRect(none, 60).bottom());
        QVERIFY(inkRect(shadow, 60).top() >= inkRect(none, 60).top());
        QVERIFY(inkRect(outline, 60).top() < inkRect(none, 60).top());
        QVERIFY(inkRect(outline, 60).left() < inkRect(none, 60).left());
        // A band spans the frame, translucent where there is no letter.
        QCOMPARE(band.rect.left(), 0);
        QCOMPARE(band.rect.width(), frame.width());
        const QRgb corner = band.image.pixel(2, band.image.height() / 2);
        QVERIFY(qAlpha(corner) > 100 && qAlpha(corner) < 200);
        QVERIFY(qRed(corner) == 0 && qGreen(corner) == 0);
        QCOMPARE(band.rect.top(), none.rect.top());
    }

    // Hebrew, Arabic and Chinese come out as their letters, not as the
    // boxes of a missing glyph; markup is drawn as the characters it is.
    void scriptsAndMarkup_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("hebrew") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD");
        QTest::newRow("arabic") << QStringLiteral("\u0633\u0644\u0627\u0645");
        QTest::newRow("chinese") << QStringLiteral("\u4F60\u597D\u4E16\u754C");
        QTest::newRow("japanese") << QStringLiteral("\u3053\u3093\u306B\u3061\u306F");
    }
    void scriptsAndMarkup()
    {
        QFETCH(QString, text);
        const QSize frame(640, 360);
        const CaptionPicture real = paintCaption(caption(text, CaptionBackdrop::None), frame);
        const CaptionPicture boxes =
            paintCaption(caption(QString(text.size(), QChar(0xE000)), CaptionBackdrop::None), frame);
        QVERIFY(!real.isEmpty());
        QVERIFY(real.image != boxes.image);
        QVERIFY(countPixels(real, [](QRgb p) { return qAlpha(p) > 128; }) > 50);

        const auto width = [&](const QString& words) {
            return inkRect(paintCaption(caption(words, CaptionBackdrop::None), frame)).width();
        };
        QVERIFY(width(QStringLiteral("<b>x</b>")) > 4 * width(QStringLiteral("x")));
        QVERIFY(paintCaption(caption(QStringLiteral(" \n\t ")), frame).isEmpty());
    }

    // A line wider than the frame wraps rather than running off it.
    void longLinesWrap()
    {
        const QSize frame(320, 240);
        const Caption wide =
            caption(QStringLiteral("a long line of words ").repeated(8), CaptionBackdrop::Shadow, CaptionPlace::Top);
        const CaptionPicture picture = paintCaption(wide, frame);
        QVERIFY(picture.rect.width() <= frame.width());
        QVERIFY(picture.rect.height() > 3 * int(wide.size * frame.height()));
        QVERIFY(inkRect(picture).width() <= int(frame.width() * 0.92));
    }
};

} // namespace

std::unique_ptr<QObject> makeCaptionPaintTests() { return std::make_unique<CaptionPaintTest>(); }

#include "tst_captions.moc"
