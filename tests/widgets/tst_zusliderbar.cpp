// The clip slider bar: positions from pointer positions, every drag mode's
// signals, tags that never cross, wheel and held thumb, and the default
// skin's style sheet reaching the properties and the pixels on screen.

#include "widgetstests.h"
#include "zuskinitemmodel.h"
#include "zusliderbar.h"

#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cmath>

namespace {

// With the default skin's margin of 8 a bar 216 pixels wide has its track
// from x 8 to x 207: 200 pixels, two per unit over 0..100.
constexpr int BarWidth = 216;

QString defaultSkinStyleSheet()
{
    ZuSkinItemModel skins;
    return skins.currentSkin()->styleSheet();
}

void sendWheel(QWidget* widget, int delta)
{
    const QPointF pos(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(pos, widget->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

} // namespace

class ZuSliderBarTests : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ZuSliderBar> bar;

    // Points inside the thumb and the tags as painted.
    QPoint thumbPoint() const { return QPoint(int(bar->positionToX(bar->value())), bar->thumbTop() + 2); }
    QPoint startTagPoint() const
    {
        return QPoint(int(bar->positionToX(bar->clipStartPos())) - 2, bar->clipTagTop() + 7);
    }
    QPoint endTagPoint() const { return QPoint(int(bar->positionToX(bar->clipEndPos())) + 2, bar->clipTagTop() + 7); }

private slots:
    void init()
    {
        bar = std::make_unique<ZuSliderBar>();
        bar->setStyleSheet(defaultSkinStyleSheet());
        bar->resize(BarWidth, 30);
        bar->setRange(0, 100);
        bar->setLeastClipTime(10);
        bar->setType(15);
        bar->show();
        QVERIFY(QTest::qWaitForWindowExposed(bar.get()));
    }
    void cleanup() { bar.reset(); }

    void defaultSkinSetsEveryProperty()
    {
        QCOMPARE(bar->horiMargin(), 8);
        QCOMPARE(bar->thumbTop(), 6);
        QCOMPARE(bar->fore(), QStringLiteral(":/app_reelwright/slider/fore.png"));
        for (const char* name : {"fore", "clipFore", "clipForeSelected", "diableclipFore", "gone", "clipStart",
                                 "clipEnd", "thumb", "disableThumb"}) {
            const QString path = bar->property(name).toString();
            QVERIFY2(!QPixmap(path).isNull(), name);
        }
        // A user skin's style sheet replaces them the same way.
        bar->setStyleSheet(QStringLiteral("ZuSliderBar { qproperty-horiMargin: 3; qproperty-thumbTop: 1; "
                                          "qproperty-isThumbCenter: true; qproperty-thumb: \"/nowhere.png\"; }"));
        bar->ensurePolished();
        QCOMPARE(bar->horiMargin(), 3);
        QCOMPARE(bar->thumbTop(), 1);
        QVERIFY(bar->isThumbCenter());
        QCOMPARE(bar->thumb(), QStringLiteral("/nowhere.png"));
    }

    void defaultSkinLooksFinishedOnScreen()
    {
        bar->setClipStartPos(20);
        bar->setClipEndPos(60);
        bar->setValue(80);
        QTest::qWait(50);
        const QImage shown = bar->screen()->grabWindow(bar->winId()).toImage();
        const auto bluish = [&](int x, int y) {
            const QColor c = shown.pixelColor(x, y);
            return c.blue() > c.red() + 60;
        };
        const int trackY = 15;
        QVERIFY(bluish(int(bar->positionToX(40)), trackY));  // clip region
        QVERIFY(!bluish(int(bar->positionToX(10)), trackY)); // bare track
        QVERIFY(qGray(shown.pixel(int(bar->positionToX(10)), trackY)) < 235);
        QVERIFY(bluish(int(bar->positionToX(20)) - 3, 26)); // start tag, left of the in point
        QVERIFY(bluish(int(bar->positionToX(60)) + 3, 26)); // end tag, right of the out point
        QVERIFY(!bluish(int(bar->positionToX(60)) - 3, 26));
        QVERIFY(bluish(int(bar->positionToX(80)), 12));                       // thumb's mark
        QVERIFY(qGray(shown.pixel(int(bar->positionToX(80)) - 3, 12)) > 200); // thumb's face
        QCOMPARE(shown.pixelColor(2, 2), bar->palette().color(QPalette::Window));
    }

    void trackClickValue_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("value");    // -1: the click leaves the value alone
        QTest::addColumn<int>("released"); // what thumbMouseRelease reports
        QTest::newRow("left end") << 8 << 0 << 0;
        QTest::newRow("middle") << 108 << 50 << 50;
        QTest::newRow("odd pixel truncates") << 109 << 50 << 50;
        QTest::newRow("right end") << 207 << 99 << 99;
        QTest::newRow("right margin") << 212 << -1 << 100;
        QTest::newRow("left margin") << 3 << -1 << 0;
    }
    void trackClickValue()
    {
        QFETCH(int, x);
        QFETCH(int, value);
        QFETCH(int, released);
        bar->setType(ZuSliderBar::ShowClipRegion);
        bar->setValue(7);
        QSignalSpy changed(bar.get(), &ZuSliderBar::valueChanged);
        QSignalSpy releases(bar.get(), &ZuSliderBar::thumbMouseRelease);
        QTest::mouseClick(bar.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 15));
        QCOMPARE(bar->value(), value < 0 ? 7 : value);
        QCOMPARE(changed.count(), value < 0 ? 0 : 1);
        if (value >= 0)
            QCOMPARE(changed.at(0).at(0).toInt(), value);
        QCOMPARE(releases.count(), 1);
        QCOMPARE(releases.at(0).at(0).toInt(), released);
    }

    void thumbDrag()
    {
        bar->setValue(30);
        QSignalSpy changed(bar.get(), &ZuSliderBar::valueChanged);
        QSignalSpy released(bar.get(), &ZuSliderBar::thumbMouseRelease);
        QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, thumbPoint());
        QCOMPARE(bar->dragMode(), int(ZuSliderBar::DragThumb));
        QCOMPARE(changed.count(), 0);
        // Playback positions do not move a held thumb; the wheel only reports.
        bar->setValue(5);
        sendWheel(bar.get(), 120);
        QCOMPARE(bar->value(), 30);
        QCOMPARE(changed.takeFirst().at(0).toInt(), 29);
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(45)), 15));
        QCOMPARE(bar->value(), 45);
        QTest::mouseMove(bar.get(), QPoint(BarWidth - 1, 15)); // past the track's end
        QCOMPARE(bar->value(), 100);
        QTest::mouseMove(bar.get(), QPoint(BarWidth - 2, 15)); // still at the maximum: nothing
        QCOMPARE(changed.count(), 2);
        QCOMPARE(changed.at(0).at(0).toInt(), 45);
        QCOMPARE(changed.at(1).at(0).toInt(), 100);
        QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, QPoint(int(bar->positionToX(70)), 15));
        QCOMPARE(released.count(), 1);
        QCOMPARE(released.at(0).at(0).toInt(), 70); // where the pointer is, not the value
        QVERIFY(!bar->isThumbHeld());
        bar->setValue(5);
        QCOMPARE(bar->value(), 5);
    }

    void tagDragsKeepTheLeastClipTime()
    {
        bar->setClipStartPos(20);
        bar->setClipEndPos(60);
        bar->setValue(0);
        QSignalSpy starts(bar.get(), &ZuSliderBar::clipStartChanged);
        QSignalSpy ends(bar.get(), &ZuSliderBar::clipEndChanged);
        QSignalSpy startReleased(bar.get(), &ZuSliderBar::startTagMouseRelease);
        QSignalSpy endReleased(bar.get(), &ZuSliderBar::endTagMouseRelease);

        QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, startTagPoint());
        QCOMPARE(bar->dragMode(), int(ZuSliderBar::DragStartTag));
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(35)), 25));
        QCOMPARE(bar->clipStartPos(), 35);
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(55)), 25)); // within 10 of the end: dropped
        QCOMPARE(bar->clipStartPos(), 35);
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(50)), 25));
        QCOMPARE(bar->clipStartPos(), 50);
        QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, QPoint(int(bar->positionToX(52)), 25));
        QCOMPARE(starts.count(), 2);
        QCOMPARE(starts.at(1).at(0).toInt(), 50);
        QCOMPARE(startReleased.count(), 1);
        QCOMPARE(startReleased.at(0).at(0).toInt(), 52);

        QTest::mousePress(bar.get(), Qt::LeftButton, Qt::NoModifier, endTagPoint());
        QCOMPARE(bar->dragMode(), int(ZuSliderBar::DragEndTag));
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(30)), 25)); // across the start tag: dropped
        QCOMPARE(bar->clipEndPos(), 60);
        QTest::mouseMove(bar.get(), QPoint(BarWidth - 1, 25));
        QCOMPARE(bar->clipEndPos(), 100);
        QTest::mouseRelease(bar.get(), Qt::LeftButton, Qt::NoModifier, QPoint(BarWidth - 1, 25));
        QCOMPARE(ends.count(), 1);
        QCOMPARE(endReleased.count(), 1);
        QCOMPARE(endReleased.at(0).at(0).toInt(), 100);
        QCOMPARE(bar->value(), 0);

        // Moves without the left button held do nothing.
        QTest::mouseMove(bar.get(), QPoint(int(bar->positionToX(80)), 25));
        QCOMPARE(bar->clipEndPos(), 100);
    }

    void wheelAndRange()
    {
        QSignalSpy changed(bar.get(), &ZuSliderBar::valueChanged);
        sendWheel(bar.get(), 120); // at the minimum: nothing
        QCOMPARE(changed.count(), 0);
        sendWheel(bar.get(), -240);
        QCOMPARE(bar->value(), 2);
        QCOMPARE(changed.count(), 1);
    }

    // A new range takes the tags and the thumb with it; an empty one (a
    // clip shorter than a unit) is a range like any other.
    void ranges_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QList<int>>("after"); // minimum, maximum, start tag, end tag, value
        QTest::newRow("longer") << 0 << 80 << QList<int>{0, 80, 10, 50, 30};
        QTest::newRow("shorter than the end tag") << 0 << 40 << QList<int>{0, 40, 10, 40, 30};
        QTest::newRow("shorter than both tags") << 0 << 5 << QList<int>{0, 5, 0, 5, 5};
        QTest::newRow("empty") << 0 << 0 << QList<int>{0, 0, 0, 0, 0};
        QTest::newRow("empty, later") << 5 << 5 << QList<int>{5, 5, 5, 5, 5};
        QTest::newRow("negative minimum ignored") << -1 << 10 << QList<int>{0, 60, 10, 50, 30};
        QTest::newRow("reversed ignored") << 10 << 5 << QList<int>{0, 60, 10, 50, 30};
    }
    void ranges()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QList<int>, after);
        ZuSliderBar fresh;
        fresh.setRange(0, 60);
        QCOMPARE(fresh.clipStartPos(), 0);
        QCOMPARE(fresh.clipEndPos(), 60);
        fresh.setClipStartPos(10);
        fresh.setClipEndPos(50);
        fresh.setValue(30);
        fresh.setRange(minimum, maximum);
        QCOMPARE(
            (QList<int>{fresh.minimum(), fresh.maximum(), fresh.clipStartPos(), fresh.clipEndPos(), fresh.value()}),
            after);
        // Painting and pointer positions stay defined on an empty range.
        fresh.resize(BarWidth, 30);
        fresh.setStyleSheet(defaultSkinStyleSheet());
        QVERIFY(!fresh.grab().isNull());
        QVERIFY(std::isfinite(fresh.positionToX(fresh.value())));
        if (fresh.minimum() == fresh.maximum())
            QCOMPARE(fresh.xToPosition(100), fresh.minimum());
    }
};

std::unique_ptr<QObject> makeSliderBarTests() { return std::make_unique<ZuSliderBarTests>(); }

#include "tst_zusliderbar.moc"
