// The output settings dialog on screen: what it starts with, the checks of
// OK and Cancel, the keys, the profile list, the panels and the calculator,
// and that an edited profile compiles with the edited values.

#include "avwriter.h"
#include "compilearguments.h"
#include "outputsetting.h"
#include "outputtests.h"
#include "zufolderdialog.h"
#include "zugroupitemview.h"
#include "zumbitratecalc.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilecombobox.h"
#include "zuprofilemanager.h"
#include "zuprofilemodel.h"
#include "zuprofilepropertywidget.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <memory>

class TestOutputSetting : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    QStringList m_alerts;

    QString path(const QString& name) const { return m_dir.filePath(name); }
    ZuPref* pref() const { return m_pref.get(); }

    std::unique_ptr<OutputSetting> openDialog()
    {
        auto dialog = std::make_unique<OutputSetting>();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return nullptr;
        return dialog;
    }

    static ZuProfilePropertyWidget* panel(OutputSetting* dialog, const QString& group)
    {
        for (auto* widget : dialog->findChildren<ZuProfilePropertyWidget*>())
            if (widget->visibleGroup() == group)
                return widget;
        return nullptr;
    }

    // Types into an item's editor the way a person does, ending with Return.
    static void type(ZuProfilePropertyWidget* panel, const QString& key, const QString& text)
    {
        QWidget* editor = panel->editor(key);
        QVERIFY2(editor, qPrintable(key));
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            editor = combo->lineEdit();
        editor->setFocus();
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    static QString shown(ZuProfilePropertyWidget* panel, const QString& key)
    {
        QWidget* editor = panel->editor(key);
        if (auto* combo = qobject_cast<QComboBox*>(editor))
            return combo->currentText();
        if (auto* edit = qobject_cast<QLineEdit*>(editor))
            return edit->text();
        return QString();
    }

    DecodedFile compileFewFrames(const ZumProfileData& profile, const QString& name)
    {
        RenderParam param;
        renderParamsFromProfile(param, profile);
        const QString file = uniqueOutputFile(m_dir.path(), name, profileExtension(profile));
        AVWriter writer;
        if (!writer.open(file, param, compileArguments(profile, param, file))) {
            qWarning("%s", qPrintable(writer.errorString()));
            return DecodedFile();
        }
        const int samplesPerFrame = int(param.sampleRate / param.frameRate);
        const std::vector<short> sound = sineWave(samplesPerFrame, param.channels, param.sampleRate);
        for (int i = 0; i < 15; ++i) {
            AVPicture picture = testPicture(param.width, param.height, i * 3);
            // Grain no encoder can squeeze, so the bit rate is what limits the file.
            QRandomGenerator grain(quint32(i + 1));
            for (int y = 0; y < param.height; ++y) {
                uint8_t* row = picture.data[0] + y * picture.linesize[0];
                for (int x = 0; x < param.width * 4; ++x)
                    row[x] = uint8_t(row[x] * 7 / 8 + grain.bounded(24));
            }
            writer.writeVideoFrame(picture);
            freePicture(picture);
            writer.writeAudioBuffer(sound.data(), int(sound.size() * 2));
        }
        writer.close();
        return decodeFile(file);
    }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void startValues_data();
    void startValues();
    void okAndCancelChecks_data();
    void okAndCancelChecks();
    void returnMovesFocusToOk();
    void profileListChoosesProfiles();
    void advancedPanelFollowsBasic();
    void calculatorSetsBitRates();
    void editedProfileCompiles();
};

void TestOutputSetting::initTestCase()
{
    QVERIFY(m_dir.isValid());
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
    m_pref = std::make_unique<ZuPref>(path(QStringLiteral("settings.ini")));
    ZuPref::setInstance(m_pref.get());
    ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
        m_alerts << box.text();
        return QMessageBox::Ok;
    });
}

void TestOutputSetting::init()
{
    m_alerts.clear();
    for (const char* key :
         {"OutputPath", "OutputName", "last_profile_url", "last_profile_group", "recent_profiles", "AdvanceShow"})
        pref()->remove(QLatin1String(key));
    // Rows that leave the folder alone write here, not to the user's movies folder.
    pref()->setValue(QStringLiteral("OutputPath"), m_dir.path());
}

void TestOutputSetting::cleanupTestCase()
{
    ZuMessageBox::setAnswerHook({});
    ZuFolderDialog::setAnswerHook({});
    ZuPref::setInstance(nullptr);
}

void TestOutputSetting::startValues_data()
{
    QTest::addColumn<QString>("storedName");
    QTest::addColumn<QString>("storedFolder");
    QTest::addColumn<QString>("storedProfile");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("profile");
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    QTest::newRow("nothing stored") << ""
                                    << ""
                                    << ""
                                    << "My Photo Movie" << movies << "mpeg4h264";
    QTest::newRow("name with colon") << "Trip:1"
                                     << ""
                                     << ""
                                     << "My Photo Movie" << movies << "mpeg4h264";
    QTest::newRow("usable values") << "Trip" << m_dir.path() << "psp"
                                   << "Trip" << m_dir.path() << "psp";
    QTest::newRow("relative folder") << "Trip"
                                     << "videos/out"
                                     << "dvd_pal.profile"
                                     << "Trip" << movies << "dvd_pal";
    QTest::newRow("unknown profile") << "a|b"
                                     << "/proc/version"
                                     << "gone"
                                     << "My Photo Movie" << movies << "mpeg4h264";
}

void TestOutputSetting::startValues()
{
    QFETCH(QString, storedName);
    QFETCH(QString, storedFolder);
    QFETCH(QString, storedProfile);
    QFETCH(QString, name);
    QFETCH(QString, folder);
    QFETCH(QString, profile);
    pref()->remove(QStringLiteral("OutputPath"));
    pref()->setValue(QStringLiteral("OutputName"), storedName);
    pref()->setValue(QStringLiteral("OutputPath"), storedFolder);
    pref()->setValue(QStringLiteral("last_profile_url"), storedProfile);
    const auto dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->findChild<QLineEdit*>("lineEditFilename")->text(), name);
    QCOMPARE(dialog->findChild<QLineEdit*>("lineEditOutputPath")->text(), folder);
    QCOMPARE(dialog->findChild<ZuProfileComboBox*>("comboBoxProfile")->currentProfile(), profile);
    QCOMPARE(dialog->profileData().url, profile);
    QCOMPARE(dialog->size(), QSize(440, 500));
}

void TestOutputSetting::okAndCancelChecks_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("alert");
    QTest::addColumn<QString>("storedFolder");
    QTest::addColumn<QString>("storedName");
    const QString good = m_dir.filePath("out");
    QTest::newRow("ok") << true << good << "Holiday"
                        << "" << good << "Holiday";
    // A folder that is not there yet is made by the compile, not by the check.
    const QString later = m_dir.filePath("later/videos");
    QTest::newRow("ok, folder made later") << true << later << "Holiday"
                                           << "" << later << "Holiday";
    const QString cancelled = m_dir.filePath("cancelled/videos");
    QTest::newRow("cancel, folder made later") << false << cancelled << "Holiday"
                                               << "" << cancelled << "Holiday";
    QTest::newRow("ok, relative folder") << true << "out"
                                         << "Holiday"
                                         << "unavailable"
                                         << ""
                                         << "";
    QTest::newRow("ok, read-only folder") << true << "/proc/sys"
                                          << "Holiday"
                                          << "read-only"
                                          << ""
                                          << "";
    QTest::newRow("ok, name with ?") << true << good << "Why?"
                                     << "file name is not usable"
                                     << ""
                                     << "";
    QTest::newRow("ok, empty name") << true << good << ""
                                    << "file name is not usable"
                                    << ""
                                    << "";
    QTest::newRow("cancel, read-only folder") << false << "/proc/sys"
                                              << "Holiday"
                                              << ""
                                              << ""
                                              << "Holiday";
    QTest::newRow("cancel, bad name") << false << good << "a@b"
                                      << "" << good << "";
}

void TestOutputSetting::okAndCancelChecks()
{
    QFETCH(bool, ok);
    QFETCH(QString, folder);
    QFETCH(QString, name);
    QFETCH(QString, alert);
    QFETCH(QString, storedFolder);
    QFETCH(QString, storedName);
    const auto dialog = openDialog();
    QVERIFY(dialog);
    pref()->remove(QStringLiteral("OutputPath"));
    const QStringList foldersBefore = QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    dialog->findChild<QLineEdit*>("lineEditOutputPath")->setText(folder);
    dialog->findChild<QLineEdit*>("lineEditFilename")->setText(name);
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
    QTest::mouseClick(buttons->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel), Qt::LeftButton);
    QCOMPARE(m_alerts.size(), alert.isEmpty() ? 0 : 1);
    if (!alert.isEmpty())
        QVERIFY2(m_alerts.first().contains(alert), qPrintable(m_alerts.first()));
    QCOMPARE(dialog->isVisible(), !alert.isEmpty());
    QCOMPARE(dialog->result(), ok && alert.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), foldersBefore);
    // Read back from the file, as the next start would.
    const ZuPref reread(pref()->fileName());
    QCOMPARE(reread.value(QStringLiteral("OutputPath"), QString()).toString(), storedFolder);
    QCOMPARE(reread.value(QStringLiteral("OutputName"), QString()).toString(), storedName);
}

void TestOutputSetting::returnMovesFocusToOk()
{
    const auto dialog = openDialog();
    QVERIFY(dialog);
    QPushButton* ok = dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    auto* name = dialog->findChild<QLineEdit*>("lineEditFilename");
    name->setFocus();
    QTest::keyClick(name, Qt::Key_Return);
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->focusWidget(), ok);
    // Also after typing a value into a property.
    type(panel(dialog.get(), "simple"), "r", "30");
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->focusWidget(), ok);
    QCOMPARE(shown(panel(dialog.get(), "simple"), "r"), QStringLiteral("30fps"));
    QTest::keyClick(ok, Qt::Key_Return);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

void TestOutputSetting::profileListChoosesProfiles()
{
    pref()->setValue(QStringLiteral("recent_profiles"), QStringLiteral("webm_vp9|flv"));
    auto dialog = openDialog();
    QVERIFY(dialog);
    auto* combo = dialog->findChild<ZuProfileComboBox*>("comboBoxProfile");
    auto* model = qobject_cast<ZuProfileModel*>(combo->model());
    auto* view = qobject_cast<ZuGroupItemView*>(combo->view());
    QVERIFY(model && view);
    // Recent profiles first (the current one at their head), then the groups.
    QCOMPARE(model->index(0, 0).data().toString(), QStringLiteral("Recent"));
    QCOMPARE(model->getRecentProfiles(), QStringList({"mpeg4h264", "webm_vp9", "flv"}));
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("General Video"));
    QVERIFY(!model->index(1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());

    // The box shows the profile's icon: the blue MP4 tile, not the navy PSP one.
    const auto navyPixels = [combo] {
        const QImage image = combo->grab().toImage();
        int count = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < std::min(image.width(), 32); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.blue() > 50 && c.blue() < 130 && c.red() < 45 && c.green() < 55;
            }
        return count;
    };
    QVERIFY2(navyPixels() < 5, qPrintable(QString::number(navyPixels())));

    combo->showPopup();
    QWidget* popup = view->parentWidget();
    QTRY_VERIFY(popup->isVisible());
    QVERIFY2(popup->height() <= 400, qPrintable(QString::number(popup->height())));
    QVERIFY(popup->geometry().top() >= combo->mapToGlobal(QPoint(0, combo->height())).y() - 1);

    // A group heading is no choice; the list stays open.
    const QModelIndex devices = model->profileIndex("psp").parent();
    view->scrollTo(devices);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(devices).center());
    QVERIFY(popup->isVisible());
    QCOMPARE(combo->currentProfile(), QStringLiteral("mpeg4h264"));

    const QModelIndex psp = model->profileIndex("psp");
    view->scrollTo(psp);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(psp).center());
    QTRY_VERIFY(!popup->isVisible());
    QCOMPARE(combo->currentProfile(), QStringLiteral("psp"));
    QCOMPARE(combo->currentText(), ZuProfileManager::instance()->profileName("psp"));
    QTRY_VERIFY2(navyPixels() > 20, qPrintable(QString::number(navyPixels())));
    // Both panels show the new profile.
    QCOMPARE(shown(panel(dialog.get(), "simple"), "s"), QStringLiteral("320x240"));
    QCOMPARE(shown(panel(dialog.get(), "all"), "r"), QStringLiteral("29.97fps"));
    QCOMPARE(model->getRecentProfiles().first(), QStringLiteral("psp"));

    // Keys on the closed box step through profiles, never onto a heading.
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(combo->currentProfile(), QStringLiteral("phone_3gp"));
    QVERIFY(!combo->currentData(ZuProfileModel::IsGroupRole).toBool());

    dialog->reject();
    dialog.reset();
    QCOMPARE(pref()->value("last_profile_url").toString(), QStringLiteral("phone_3gp"));
    QCOMPARE(pref()->value("last_profile_group").toString(), QStringLiteral("devices"));
    QCOMPARE(pref()->value("recent_profiles").toString(), QStringLiteral("phone_3gp|psp|mpeg4h264|webm_vp9|flv"));
}

void TestOutputSetting::advancedPanelFollowsBasic()
{
    const auto dialog = openDialog();
    QVERIFY(dialog);
    auto* more = dialog->findChild<QPushButton*>("switchAdvancedBtn");
    QWidget* advance = dialog->findChild<QWidget*>("frameAdvance");
    QVERIFY(more && !advance->isVisible());
    QTest::mouseClick(more, Qt::LeftButton);
    QCOMPARE(dialog->width(), 746);
    QVERIFY(advance->isVisible());
    QCOMPARE(more->text(), QStringLiteral("More <<"));
    QVERIFY(pref()->value("AdvanceShow").toBool());

    ZuProfilePropertyWidget* basic = panel(dialog.get(), "simple");
    ZuProfilePropertyWidget* all = panel(dialog.get(), "all");
    QVERIFY(!basic->editor("vol") && all->editor("vol"));
    type(all, "b", "700k");
    QCOMPARE(shown(basic, "b"), QStringLiteral("700K"));
    QCOMPARE(shown(all, "b"), QStringLiteral("700K"));
    type(basic, "ab", "96");
    QCOMPARE(shown(all, "ab"), QStringLiteral("96K"));
    QVERIFY(all->qualityText("ab").contains("fair"));
    type(basic, "r", "25");
    QCOMPARE(shown(all, "r"), QStringLiteral("25fps"));

    QTest::mouseClick(more, Qt::LeftButton);
    QCOMPARE(dialog->size(), QSize(440, 500));
    QVERIFY(!advance->isVisible());
    QCOMPARE(more->text(), QStringLiteral("More >>"));
    QVERIFY(!pref()->value("AdvanceShow").toBool());
}

void TestOutputSetting::calculatorSetsBitRates()
{
    pref()->setValue(QStringLiteral("last_profile_url"), QStringLiteral("mpeg4_asp"));
    const auto dialog = openDialog();
    QVERIFY(dialog);
    ZuProfilePropertyWidget* basic = panel(dialog.get(), "simple");
    QCOMPARE(shown(basic, "b"), QStringLiteral("1500K"));
    bool seen = false;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* calc = qobject_cast<ZumBitrateCalc*>(QApplication::activeModalWidget());
        if (!calc || seen)
            return;
        seen = true;
        // 10 s at 128 + 1500 kbit/s; asking for 5 MB leaves 3968 kbit/s for the picture.
        QCOMPARE(calc->audioBitrateInKBPS(), 128);
        QCOMPARE(calc->videoBitrateInKBPS(), 1500);
        auto* size = calc->findChild<QDoubleSpinBox*>("fileSize");
        size->setFocus();
        QTest::keyClick(size, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(size, "5");
        QTest::keyClick(size, Qt::Key_Tab);
        QCOMPARE(calc->videoBitrateInKBPS(), 3968);
        calc->accept();
    });
    answer.start(20);
    QTest::mouseClick(basic->findChild<QToolButton*>("bitrateCalculator"), Qt::LeftButton);
    QTRY_VERIFY(seen);
    QTRY_COMPARE(shown(basic, "b"), QStringLiteral("3968K"));
    QCOMPARE(shown(panel(dialog.get(), "all"), "b"), QStringLiteral("3968K"));
    QCOMPARE(dialog->profileData().properties.value("b").toString(), QStringLiteral("3968K"));
}

// The panels show "15fps" and "50%", the compile gets "15" and "128", and the
// file has the edited size, rate, bit rate and volume.
void TestOutputSetting::editedProfileCompiles()
{
    pref()->setValue(QStringLiteral("last_profile_url"), QStringLiteral("mpeg4_asp"));
    pref()->setValue(QStringLiteral("AdvanceShow"), true);
    const auto dialog = openDialog();
    QVERIFY(dialog);
    ZuProfilePropertyWidget* basic = panel(dialog.get(), "simple");
    ZuProfilePropertyWidget* all = panel(dialog.get(), "all");
    const DecodedFile before = compileFewFrames(dialog->profileData(), "before");
    type(basic, "r", "15");
    type(basic, "s", "320x240");
    type(basic, "b", "100k");
    type(all, "vol", "128");
    QCOMPARE(shown(basic, "r"), QStringLiteral("15fps"));
    QCOMPARE(shown(basic, "b"), QStringLiteral("100K"));
    QCOMPARE(shown(all, "vol"), QStringLiteral("50%"));
    const ZumProfileData profile = dialog->profileData();
    QCOMPARE(profile.properties.value("r").toString(), QStringLiteral("15"));
    QCOMPARE(profile.properties.value("vol").toString(), QStringLiteral("128"));

    const DecodedFile after = compileFewFrames(profile, "after");
    QVERIFY(before.opened && after.opened);
    QCOMPARE(QSize(after.width, after.height), QSize(320, 240));
    QCOMPARE(after.videoFrames, 15);
    QCOMPARE(qRound(after.frameRate), 15);
    QCOMPARE(qRound(before.frameRate), 25);
    // The same edits at 20 times the bit rate make a much larger picture track.
    ZumProfileData richer = profile;
    richer.properties.insert("b", "2000K");
    const DecodedFile rich = compileFewFrames(richer, "richer");
    QVERIFY2(after.videoBytes * 2 < rich.videoBytes,
             qPrintable(QStringLiteral("%1 bytes at 100K, %2 at 2000K").arg(after.videoBytes).arg(rich.videoBytes)));
    // Half the volume, half the loudest sample of the same tone.
    const double ratio = after.audioPeak / before.audioPeak;
    QVERIFY2(before.audioPeak > 0.3 && ratio > 0.4 && ratio < 0.6, qPrintable(QString::number(ratio)));
}

std::unique_ptr<QObject> makeOutputSettingTests() { return std::make_unique<TestOutputSetting>(); }

#include "tst_outputsetting.moc"
