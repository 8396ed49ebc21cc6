// The property panels and the bit-rate calculator on screen: what a typed
// value shows and what the compile gets, two panels on one tree, and the
// calculator's arithmetic in both directions.

#include "testsupport.h"
#include "zumbitratecalc.h"
#include "zuprofilemanager.h"
#include "zuprofilepropertywidget.h"
#include "zuproperty.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>

namespace {

ZumProfileData profile(const QString& id)
{
    ZumProfileData data;
    data.url = id;
    ZuProfileManager::instance()->getPresetData(data);
    return data;
}

QLineEdit* lineEditOf(QWidget* editor)
{
    if (auto* combo = qobject_cast<QComboBox*>(editor))
        return combo->lineEdit();
    return qobject_cast<QLineEdit*>(editor);
}

// Types into an item's editor the way a person does, ending with Return.
void type(ZuProfilePropertyWidget& panel, const QString& key, const QString& text)
{
    QLineEdit* edit = lineEditOf(panel.editor(key));
    QVERIFY2(edit, qPrintable(key));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

QString shown(ZuProfilePropertyWidget& panel, const QString& key)
{
    QLineEdit* edit = lineEditOf(panel.editor(key));
    return edit ? edit->text() : QString();
}

void typeNumber(QAbstractSpinBox* box, const QString& text)
{
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Tab);
}

} // namespace

class ProfileWidgetsTests : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void typedValues_data();
    void typedValues();
    void panelsShareOneTree();
    void closedWhileEditing_data();
    void closedWhileEditing();
    void calculator_data();
    void calculator();
};

void ProfileWidgetsTests::initTestCase()
{
    QVERIFY(ZuProfileManager::instance()->loadTemplates(QStringLiteral(REELWRIGHT_APP_DIR "/profiles")));
}

void ProfileWidgetsTests::typedValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("encoder"); // empty: not passed at all
    QTest::newRow("bit rate k") << "b"
                                << "700k"
                                << "700K"
                                << "700K";
    QTest::newRow("bit rate number") << "b"
                                     << "700"
                                     << "700K"
                                     << "700K";
    QTest::newRow("bit rate mega") << "b"
                                   << "2m"
                                   << "2M"
                                   << "2M";
    QTest::newRow("bit rate in bits") << "ab"
                                      << "128000"
                                      << "128K"
                                      << "128000";
    QTest::newRow("bit rate text") << "b"
                                   << "fast"
                                   << "4000K"
                                   << "4000K";
    QTest::newRow("frame rate") << "r"
                                << "25"
                                << "25fps"
                                << "25";
    QTest::newRow("frame rate FPS") << "r"
                                    << "29.97FPS"
                                    << "29.97fps"
                                    << "29.97";
    QTest::newRow("frame rate fraction") << "r"
                                         << "30000/1001"
                                         << "30000/1001fps"
                                         << "30000/1001";
    QTest::newRow("frame rate auto") << "r"
                                     << "AUTO"
                                     << "Auto"
                                     << "Auto";
    QTest::newRow("frame rate zero") << "r"
                                     << "0"
                                     << "25fps"
                                     << "25";
    QTest::newRow("volume") << "vol"
                            << "128"
                            << "50%"
                            << "128";
    QTest::newRow("volume kept exactly") << "vol"
                                         << "130"
                                         << "50%"
                                         << "130";
    QTest::newRow("volume in percent") << "vol"
                                       << "75%"
                                       << "75%"
                                       << "192";
    QTest::newRow("volume text") << "vol"
                                 << "loud"
                                 << ""
                                 << "";
    QTest::newRow("size") << "s"
                          << "320x240"
                          << "320x240"
                          << "320x240";
    QTest::newRow("odd size") << "s"
                              << "641x480"
                              << "1280x720"
                              << "1280x720";
    QTest::newRow("whole number") << "g"
                                  << "12"
                                  << "12"
                                  << "12";
    QTest::newRow("not a whole number") << "g"
                                        << "1.5"
                                        << ""
                                        << "";
    QTest::newRow("text") << "title"
                          << "Spring & <Walk>"
                          << "Spring & <Walk>"
                          << "Spring & <Walk>";
}

void ProfileWidgetsTests::typedValues()
{
    QFETCH(QString, key);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, encoder);
    ZuProfilePropertyWidget panel;
    panel.setVisibleGroup(QStringLiteral("all"));
    ZumProfileData data = profile(QStringLiteral("mpeg4h264"));
    panel.putProfileData({&data});
    panel.resize(320, 600);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    int verified = 0, linked = 0;
    connect(&panel, &ZuProfilePropertyWidget::asyncVerifyPropertyValue, this, [&] { ++verified; });
    connect(&panel, &ZuProfilePropertyWidget::asyncLinkedPropertyValue, this, [&] { ++linked; });
    type(panel, key, typed);
    QCOMPARE(::shown(panel, key), shown);
    ZumProfileData out;
    QVERIFY(panel.getProfileData(out, false));
    QCOMPARE(out.url, QStringLiteral("mpeg4h264"));
    QCOMPARE(out.properties.value(key).toString(), encoder);
    QCOMPARE(out.properties.contains(key), !encoder.isEmpty());
    // Only an accepted change is announced to the other panel.
    const bool changed = encoder != data.properties.value(key).toString();
    QCOMPARE(verified, changed ? 1 : 0);
    QCOMPARE(linked, changed ? 1 : 0);
}

void ProfileWidgetsTests::panelsShareOneTree()
{
    QWidget window;
    ZuProfilePropertyWidget basic(&window, Qt::WindowFlags(), true, true);
    ZuProfilePropertyWidget all(&window);
    basic.setGeometry(0, 0, 320, 500);
    all.setGeometry(320, 0, 320, 500);
    basic.setVisibleGroup(QStringLiteral("simple"));
    all.setVisibleGroup(QStringLiteral("all"));
    ZumProfileData data = profile(QStringLiteral("mpeg4h264"));
    basic.putProfileData({&data});
    all.setRootProperty(basic.rootProp());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(basic.editor("b") && !basic.editor("g") && !basic.editor("/name"));
    QVERIFY(all.editor("b") && all.editor("g") && all.editor("/name"));
    type(all, "b", "1000k");
    QCOMPARE(shown(basic, "b"), QStringLiteral("1000K"));
    const QString quality = basic.qualityText("b");
    type(basic, "s", "640x360");
    QVERIFY(basic.qualityText("b") != quality);
    QCOMPARE(shown(all, "s"), QStringLiteral("640x360"));

    // A new profile refills the tree; both panels follow.
    ZumProfileData psp = profile(QStringLiteral("psp"));
    basic.putProfileData({&psp});
    QCOMPARE(shown(all, "s"), QStringLiteral("320x240"));
    QCOMPARE(shown(basic, "r"), QStringLiteral("29.97fps"));
    ZumProfileData out;
    QVERIFY(all.getProfileData(out, false));
    QCOMPARE(out.url, QStringLiteral("psp"));
    QCOMPARE(out.properties.value("b").toString(), QStringLiteral("768K"));

    // The calculator button hands over the item and its shown value.
    QSignalSpy calc(&basic, &ZuProfilePropertyWidget::asyncShowBitCalcDialog);
    QTest::mouseClick(basic.findChild<QWidget*>(QStringLiteral("bitrateCalculator")), Qt::LeftButton);
    QCOMPARE(calc.size(), 1);
    QCOMPARE(calc.first().at(0).value<ZuProperty*>()->key(), QStringLiteral("b"));
    QCOMPARE(calc.first().at(1).toString(), QStringLiteral("768K"));
    QSignalSpy more(&basic, &ZuProfilePropertyWidget::showFloatWindow);
    QTest::mouseClick(basic.findChild<QWidget*>(QStringLiteral("switchAdvancedBtn")), Qt::LeftButton);
    QCOMPARE(more.size(), 1);
    QCOMPARE(more.first().at(0).toBool(), true);
}

void ProfileWidgetsTests::closedWhileEditing_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("entered");
    QTest::addColumn<bool>("shared");
    QTest::newRow("line edit, entered") << "title"
                                        << "Walk" << true << false;
    QTest::newRow("line edit, still typing") << "title"
                                             << "Walk" << false << false;
    QTest::newRow("combo box, still typing") << "b"
                                             << "900k" << false << false;
    QTest::newRow("shared tree, still typing") << "s"
                                               << "640x360" << false << true;
}

// The window is active and an editor has the focus when the panel goes:
// closing the window takes the focus from the editor, which then reports
// its text. That must not reach the panel, whose members are gone by then.
void ProfileWidgetsTests::closedWhileEditing()
{
    QFETCH(QString, key);
    QFETCH(QString, typed);
    QFETCH(bool, entered);
    QFETCH(bool, shared);
    ZumProfileData data = profile(QStringLiteral("mpeg4h264"));
    ZuProfilePropertyWidget owner;
    owner.putProfileData({&data});
    auto* panel = new ZuProfilePropertyWidget;
    if (shared)
        panel->setRootProperty(owner.rootProp());
    else
        panel->putProfileData({&data});
    panel->resize(320, 600);
    panel->show();
    QVERIFY(QTest::qWaitForWindowExposed(panel));
    panel->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(panel));
    QLineEdit* edit = lineEditOf(panel->editor(key));
    QVERIFY(edit);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, typed);
    if (entered)
        QTest::keyClick(edit, Qt::Key_Return);
    QVERIFY(QApplication::focusWidget() == edit || QApplication::focusWidget() == panel->editor(key));
    const QVariant before = owner.itemValue(key);

    bool closing = false;
    int late = 0;
    connect(panel, &ZuProfilePropertyWidget::asyncVerifyPropertyValue, this, [&] { late += closing; });
    connect(panel, &ZuProfilePropertyWidget::asyncLinkedPropertyValue, this, [&] { late += closing; });
    closing = true;
    delete panel;
    QCOMPARE(late, 0);
    // What was still being typed is not taken into a tree that lives on.
    if (shared)
        QCOMPARE(owner.itemValue(key), before);
}

void ProfileWidgetsTests::calculator_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("size");
    QTest::addColumn<int>("video");
    // One minute at 128 + 1000 kbit/s to start with; 1 MB = 8192 kbit.
    QTest::newRow("video rate gives size") << "videoBitrate"
                                           << "2000" << 15.59 << 2000;
    QTest::newRow("audio rate gives size") << "audioBitrate"
                                           << "256" << 9.20 << 1000;
    QTest::newRow("size gives video rate") << "fileSize"
                                           << "20" << 20.0 << 2602;
    QTest::newRow("too small a size") << "fileSize"
                                      << "0.5" << 0.5 << 1;
}

void ProfileWidgetsTests::calculator()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(double, size);
    QFETCH(int, video);
    ZumBitrateCalc calc(nullptr, 60000, 8.0, 128, 1000);
    calc.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calc));
    typeNumber(calc.findChild<QAbstractSpinBox*>(field), typed);
    QCOMPARE(calc.fileSizeMB(), size);
    QCOMPARE(calc.videoBitrateInKBPS(), video);
    QCOMPARE(calc.durationMs(), 60000);
}

std::unique_ptr<QObject> makeProfileWidgetsTests() { return std::make_unique<ProfileWidgetsTests>(); }

#include "tst_profilewidgets.moc"
