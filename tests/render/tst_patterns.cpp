// The wipe pattern files the build makes: they load as grey pictures of any
// size, cover the grey range, and wipe on screen the way their names say.

#include "gldrawer.h"
#include "imagereader.h"
#include "rendertests.h"

#include <QDir>
#include <QTest>

namespace {

constexpr int Width = 320;
constexpr int Height = 240;

QStringList patternFiles()
{
    return QDir(patternFolder()).entryList({QStringLiteral("*.wpt")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace

class PatternTests : public QObject
{
    Q_OBJECT

private slots:
    void enoughPatterns();
    void loadsAndIsNotFlat_data();
    void loadsAndIsNotFlat();
    void wipesAsNamed_data();
    void wipesAsNamed();
};

void PatternTests::enoughPatterns()
{
    QVERIFY2(patternFiles().size() >= 12, qPrintable(patternFiles().join(QLatin1Char(' '))));
}

void PatternTests::loadsAndIsNotFlat_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    for (const QString& name : patternFiles()) {
        const QString path = QDir(patternFolder()).filePath(name);
        QTest::addRow("%s 320x240", qPrintable(name)) << path << QSize(320, 240);
        QTest::addRow("%s 1280x720", qPrintable(name)) << path << QSize(1280, 720);
    }
}

void PatternTests::loadsAndIsNotFlat()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const FrameData grey = greyPattern(path, size.width(), size.height());
    QVERIFY(grey.isAllocated());
    std::array<int, 256> histogram{};
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            ++histogram[grey.picture.data[0][y * grey.picture.linesize[0] + x]];
    int darkest = 0, brightest = 255, levels = 0;
    while (histogram[std::size_t(darkest)] == 0)
        ++darkest;
    while (histogram[std::size_t(brightest)] == 0)
        --brightest;
    for (int count : histogram)
        levels += count > 0;
    // A wipe needs the whole range, from the first pixels to the last, and
    // steps in between to move smoothly (blinds have a band's rows of them).
    QVERIFY2(darkest <= 8 && brightest >= 247, qPrintable(QStringLiteral("%1..%2").arg(darkest).arg(brightest)));
    QVERIFY2(levels >= 24, qPrintable(QString::number(levels)));
}

void PatternTests::wipesAsNamed_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QPoint>("early"); // shows the incoming photo halfway through
    QTest::addColumn<QPoint>("late");  // still shows the outgoing one

    const QPoint left(Width / 8, Height / 2), right(Width * 7 / 8, Height / 2);
    const QPoint top(Width / 2, Height / 8), bottom(Width / 2, Height * 7 / 8);
    const QPoint centre(Width / 2, Height / 2), corner(Width / 16, Height / 16);
    QTest::newRow("wipe right") << QStringLiteral("01-wipe-right") << left << right;
    QTest::newRow("iris") << QStringLiteral("02-iris-circle") << centre << corner;
    QTest::newRow("barn doors open sideways") << QStringLiteral("03-barn-doors-horizontal") << centre << left;
    QTest::newRow("clock: right half first") << QStringLiteral("04-clock-sweep") << right << left;
    QTest::newRow("wipe down") << QStringLiteral("05-wipe-down") << top << bottom;
    QTest::newRow("wipe left") << QStringLiteral("09-wipe-left") << right << left;
    QTest::newRow("barn doors open up and down") << QStringLiteral("11-barn-doors-vertical") << centre << top;
    QTest::newRow("wipe up") << QStringLiteral("13-wipe-up") << bottom << top;
    QTest::newRow("box") << QStringLiteral("14-box") << centre << corner;
    QTest::newRow("diagonal") << QStringLiteral("16-diagonal") << corner << QPoint(Width - 8, Height - 8);
}

void PatternTests::wipesAsNamed()
{
    QFETCH(QString, pattern);
    QFETCH(QPoint, early);
    QFETCH(QPoint, late);

    const FrameData grey = greyPattern(QDir(patternFolder()).filePath(pattern + QStringLiteral(".wpt")), Width, Height);
    QVERIFY(grey.isAllocated());
    QImage red(Width, Height, QImage::Format_RGB32), blue(Width, Height, QImage::Format_RGB32);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    const FrameData outgoing = bgraPicture(red), incoming = bgraPicture(blue);

    GLDrawer drawer;
    QVERIFY(drawer.initialize(QSize(Width, Height), 2, true));
    drawer.beginDraw();
    drawer.bindFrame(0, outgoing.picture.data[0]);
    // Halfway through, as the renderer asks: progress 1 - 0.5, softness 0.1.
    drawer.bindWipeFrame(1, 0.5f, 0.1f, grey.picture.data[0], incoming.picture.data[0]);
    drawer.drawFrame(0, 0, nullptr);
    drawer.drawFrame(1, 0, nullptr);
    drawer.endDraw();
    const QImage frame = readBack(drawer);

    QVERIFY2(nearColour(frame.pixel(early), qRgb(0, 0, 255), 2), qPrintable(colourText(frame.pixel(early))));
    QVERIFY2(nearColour(frame.pixel(late), qRgb(255, 0, 0), 2), qPrintable(colourText(frame.pixel(late))));
}

std::unique_ptr<QObject> makePatternTests() { return std::make_unique<PatternTests>(); }

#include "tst_patterns.moc"
