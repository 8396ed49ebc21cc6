// The preferences dialog on screen: what it shows from the stored settings,
// what OK and Apply save (read back from the file), and the folder buttons.

#include "apptests.h"
#include "preferences.h"
#include "zufolderdialog.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

class PreferencesTests : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    QStringList m_alerts;
    QList<QUrl> m_opened;

    std::unique_ptr<Preferences> openDialog()
    {
        auto dialog = std::make_unique<Preferences>();
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return nullptr;
        return dialog;
    }

public slots:
    // Stands in for the system file browser.
    void openUrl(const QUrl& url) { m_opened << url; }

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();
    void loads_data();
    void loads();
    void saves_data();
    void saves();
    void applyFollowsEdits();
    void folderButtons();
};

void PreferencesTests::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_pref = std::make_unique<ZuPref>(m_dir.filePath(QStringLiteral("settings.ini")));
    ZuPref::setInstance(m_pref.get());
    ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
        m_alerts << box.text();
        return QMessageBox::Ok;
    });
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
}

void PreferencesTests::init()
{
    m_alerts.clear();
    m_opened.clear();
    for (const char* key : {"OutputPath", "auto_check_update_enable", "auto_check_update_interval"})
        m_pref->remove(QLatin1String(key));
}

void PreferencesTests::cleanupTestCase()
{
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    ZuMessageBox::setAnswerHook({});
    ZuFolderDialog::setAnswerHook({});
    ZuPref::setInstance(nullptr);
}

void PreferencesTests::loads_data()
{
    QTest::addColumn<QVariant>("folder");
    QTest::addColumn<QVariant>("enabled");
    QTest::addColumn<QVariant>("interval");
    QTest::addColumn<QString>("shownFolder");
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QString>("frequency");
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    QTest::newRow("nothing stored") << QVariant() << QVariant() << QVariant() << movies << true << "Every Day";
    QTest::newRow("stored") << QVariant(m_dir.path()) << QVariant(false) << QVariant(30) << m_dir.path() << false
                            << "Every Month";
    QTest::newRow("two weeks") << QVariant("relative") << QVariant(true) << QVariant(14) << movies << true
                               << "Every Week";
}

void PreferencesTests::loads()
{
    QFETCH(QVariant, folder);
    QFETCH(QVariant, enabled);
    QFETCH(QVariant, interval);
    QFETCH(QString, shownFolder);
    QFETCH(bool, checked);
    QFETCH(QString, frequency);
    if (folder.isValid())
        m_pref->setValue(QStringLiteral("OutputPath"), folder);
    if (enabled.isValid())
        m_pref->setValue(QStringLiteral("auto_check_update_enable"), enabled);
    if (interval.isValid())
        m_pref->setValue(QStringLiteral("auto_check_update_interval"), interval);
    const auto dialog = openDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->size(), QSize(550, 480));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Preferences"));
    QCOMPARE(dialog->findChild<QLineEdit*>("lineEdit")->text(), QDir::toNativeSeparators(shownFolder));
    QCOMPARE(dialog->findChild<QCheckBox*>("checkUpdate")->isChecked(), checked);
    QCOMPARE(dialog->findChild<QComboBox*>("updateFreq")->currentText(), frequency);
    QCOMPARE(dialog->findChild<QComboBox*>("updateFreq")->isEnabled(), checked);
    QVERIFY(!dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Apply)->isEnabled());
}

void PreferencesTests::saves_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("uncheck");
    QTest::addColumn<int>("frequency");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("alert");
    QTest::addColumn<bool>("saved");
    const int ok = QDialogButtonBox::Ok, apply = QDialogButtonBox::Apply, cancel = QDialogButtonBox::Cancel;
    // Folders that are not there yet: checking them makes none of them.
    QTest::newRow("ok") << m_dir.filePath("ok/videos") << false << 2 << ok << "" << true;
    QTest::newRow("apply, unchecked") << m_dir.filePath("apply/a/b") << true << 0 << apply << "" << true;
    QTest::newRow("apply, read-only folder") << "/proc/sys" << true << 2 << apply << "read-only" << false;
    QTest::newRow("ok, relative folder") << "videos" << false << 1 << ok << "unavailable" << false;
    QTest::newRow("cancel") << m_dir.filePath("cancel/videos") << true << 2 << cancel << "" << false;
}

void PreferencesTests::saves()
{
    QFETCH(QString, folder);
    QFETCH(bool, uncheck);
    QFETCH(int, frequency);
    QFETCH(int, button);
    QFETCH(QString, alert);
    QFETCH(bool, saved);
    m_pref->setValue(QStringLiteral("auto_check_update_interval"), 14);
    const QStringList foldersBefore = QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    const auto dialog = openDialog();
    QVERIFY(dialog);
    auto* edit = dialog->findChild<QLineEdit*>("lineEdit");
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(edit, folder);
    QTest::keyClick(edit, Qt::Key_Tab);
    auto* check = dialog->findChild<QCheckBox*>("checkUpdate");
    auto* freq = dialog->findChild<QComboBox*>("updateFreq");
    freq->setCurrentIndex(frequency);
    if (uncheck) {
        QTest::mouseClick(check, Qt::LeftButton, {}, QPoint(8, check->height() / 2));
        QVERIFY(!freq->isEnabled());
    }
    auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
    QTest::mouseClick(buttons->button(QDialogButtonBox::StandardButton(button)), Qt::LeftButton);

    QCOMPARE(m_alerts.size(), alert.isEmpty() ? 0 : 1);
    if (!alert.isEmpty()) {
        QVERIFY2(m_alerts.first().contains(alert), qPrintable(m_alerts.first()));
        QCOMPARE(edit->selectedText(), folder);
        QCOMPARE(dialog->focusWidget(), edit);
    }
    QCOMPARE(dialog->isVisible(), button == QDialogButtonBox::Apply || !alert.isEmpty());
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot), foldersBefore);
    QVERIFY(!QFileInfo::exists(QDir::currentPath() + QStringLiteral("/videos")));
    // Read back from the file, as the next start would.
    const ZuPref reread(m_pref->fileName());
    QCOMPARE(reread.value(QStringLiteral("OutputPath")).toString(), saved ? folder : QString());
    QCOMPARE(reread.value(QStringLiteral("auto_check_update_interval")).toInt(),
             saved ? Preferences::intervalOfIndex(frequency) : 14);
    QCOMPARE(reread.contains(QStringLiteral("auto_check_update_enable")), saved);
    if (saved)
        QCOMPARE(reread.value(QStringLiteral("auto_check_update_enable")).toBool(), !uncheck);
}

void PreferencesTests::applyFollowsEdits()
{
    const auto dialog = openDialog();
    QVERIFY(dialog);
    QPushButton* apply = dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Apply);
    QVERIFY(!apply->isEnabled());
    dialog->findChild<QComboBox*>("updateFreq")->setCurrentIndex(2);
    QVERIFY(apply->isEnabled());
    QTest::mouseClick(apply, Qt::LeftButton);
    QVERIFY(!apply->isEnabled());
    QCOMPARE(m_pref->value(QStringLiteral("auto_check_update_interval")).toInt(), 30);
}

void PreferencesTests::folderButtons()
{
    const auto dialog = openDialog();
    QVERIFY(dialog);
    auto* edit = dialog->findChild<QLineEdit*>("lineEdit");
    const QString missing = m_dir.filePath("new/folder");
    edit->setText(missing);
    QString startedAt;
    ZuFolderDialog::setAnswerHook([&](const QString& folder) {
        startedAt = folder;
        return m_dir.filePath("picked");
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>("browse"), Qt::LeftButton);
    // Browsing starts as near the typed folder as exists, and makes nothing.
    QCOMPARE(startedAt, m_dir.path());
    QVERIFY(!QFileInfo::exists(m_dir.filePath("new")));
    QCOMPARE(edit->text(), QDir::toNativeSeparators(m_dir.filePath("picked")));

    QTest::mouseClick(dialog->findChild<QPushButton*>("open"), Qt::LeftButton);
    QVERIFY(QDir(m_dir.filePath("picked")).exists());
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(m_dir.filePath("picked"))});
    QVERIFY(m_alerts.isEmpty());

    edit->setText(QStringLiteral("/proc/version/x"));
    QTest::mouseClick(dialog->findChild<QPushButton*>("open"), Qt::LeftButton);
    QCOMPARE(m_alerts, QStringList{QStringLiteral("Failed to open folder \"/proc/version/x\".")});
    QCOMPARE(m_opened.size(), 1);
}

std::unique_ptr<QObject> makePreferencesTests() { return std::make_unique<PreferencesTests>(); }

#include "tst_preferences.moc"
