#include "outputsetting.h"

#include "ui_outputsetting.h"

#include "settingskeys.h"
#include "zu.h"
#include "zuapplication.h"
#include "zufolderdialog.h"
#include "zugroupitemview.h"
#include "zulangitemmodel.h"
#include "zumainwindow.h"
#include "zumbitratecalc.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilecombobox.h"
#include "zuprofilefilehandler.h"
#include "zuprofilemanager.h"
#include "zuprofilemodel.h"
#include "zuprofilepropertymanager.h"
#include "zuprofilepropertywidget.h"
#include "zuproperty.h"

#include <QDir>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace {

constexpr int kAdvancedWidth = 306;

const QRegularExpression& invalidNamePattern()
{
    static const QRegularExpression pattern(QStringLiteral("\\*|:|<|>|\\?|\\/|@|\\|"));
    return pattern;
}

bool isBitrateKey(const QString& key)
{
    return key == QLatin1String("b") || key == QLatin1String("ab") || key == QLatin1String("b/") ||
           key == QLatin1String("ab/");
}

ZuPref* pref() { return ZuPref::instance(); }

} // namespace

OutputSetting::OutputSetting(QWidget* parent)
    : ZuDialog(parent)
    , ui(std::make_unique<Ui::OutputSettingClass>())
    , m_manager(ZuProfileManager::instance(nullptr, true))
{
    ui->setupUi(this);
    setAllWindowTitle(tr("Output Settings"));
    const QString language = currentLanguage();

    if (m_manager->profileIds().isEmpty())
        m_manager->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles"));
    m_manager->setLang(language);
    m_model = std::make_unique<ZuProfileModel>(QStringLiteral("vc_profile_groupview"));
    m_model->setIconDir(ZuPref::skinDir() + QStringLiteral("/app_") + ZuPref::appCode() + QStringLiteral("/profile"));
    m_model->setRecentProfiles(
        pref()->value(SettingsKey::RecentProfiles, QString()).toString().split(QLatin1Char('|'), Qt::SkipEmptyParts));
    m_model->setLang(language);
    m_model->refresh();

    m_basicFrame = ui->frameBasic;
    m_basic = new ZuProfilePropertyWidget(nullptr, Qt::WindowFlags(), true, true, false);
    m_basic->setVisibleGroup(QStringLiteral("simple"));
    m_basic->setLang(language);
    auto* basicLayout = new QVBoxLayout(m_basicFrame);
    basicLayout->setContentsMargins(0, 0, 0, 0);
    basicLayout->addWidget(m_basic);
    m_advanceFrame = ui->frameAdvance;
    m_advanced = new ZuProfilePropertyWidget(nullptr, Qt::WindowFlags(), false, false, false);
    m_advanced->setVisibleGroup(QStringLiteral("all"));
    m_advanced->setLang(language);
    auto* advancedLayout = new QVBoxLayout(m_advanceFrame);
    advancedLayout->setContentsMargins(0, 0, 0, 0);
    advancedLayout->addWidget(m_advanced);

    connect(m_basic, &ZuProfilePropertyWidget::showFloatWindow, this, &OutputSetting::showPropAdvance);
    connect(m_basic, &ZuProfilePropertyWidget::asyncShowBitCalcDialog, this, &OutputSetting::asyncShowBitCalcDialog,
            Qt::QueuedConnection);
    for (ZuProfilePropertyWidget* panel : {m_basic, m_advanced}) {
        connect(panel, &ZuProfilePropertyWidget::asyncVerifyPropertyValue, this, &OutputSetting::asyncSetPropertyValue);
        connect(panel, &ZuProfilePropertyWidget::asyncLinkedPropertyValue, this,
                &OutputSetting::asyncLinkedPropertyValue);
    }
    const bool advanced = pref()->value(SettingsKey::AdvanceShow, SettingsDefault::AdvanceShow).toBool();
    showPropAdvance(advanced);
    pref()->setValue(SettingsKey::ButtonAdvShow, advanced);

    auto* view = new ZuGroupItemView(nullptr, true);
    view->setObjectName(QStringLiteral("vc_profile_groupview"));
    ZuProfileComboBox* combo = ui->comboBoxProfile;
    combo->setModel(m_model.get());
    combo->setView(view);
    connect(view, &ZuGroupItemView::itemChanged, combo, &ZuProfileComboBox::slotCurrentIndexChanged);
    view->installEventFilter(combo);
    combo->setMaxVisibleItems(16);
    combo->setMaxViewHeight(400);
    combo->setPopupDirection(QStringLiteral("down"));
    combo->setLang(language);
    connect(combo, &ZuProfileComboBox::currentProfileChanged, this, &OutputSetting::slotCurrentProfileChange);

    ui->lineEditOutputPath->setText(
        QDir::toNativeSeparators(defaultOutputFolder(pref()->value(SettingsKey::OutputPath, QString()).toString())));
    QString name = pref()->value(SettingsKey::OutputName, QString()).toString();
    if (!isFileNameUsable(name))
        name = defaultFileName();
    ui->lineEditFilename->setText(name);

    QString url = pref()->value(SettingsKey::LastProfileUrl, QString()).toString();
    QString group = pref()->value(SettingsKey::LastProfileGroup, QString()).toString();
    ZuProfileFileHandler::normalizeProfileUrlAndGroup(m_model.get(), url, group, defaultProfile());
    combo->changeProfile(url, group, false);

    setDefaultSize(outputMinimumSize());
    setMinimumSize(outputMinimumSize());
    setMaximumHeight(outputMinimumSize().height());
    if (!advanced)
        resize(outputMinimumSize());
    connect(ui->buttonBox, &QDialogButtonBox::accepted, this, &OutputSetting::accept);
    connect(ui->buttonBox, &QDialogButtonBox::rejected, this, &OutputSetting::reject);
    ui->lineEditFilename->selectAll();
    ui->lineEditFilename->setFocus();
}

OutputSetting::~OutputSetting()
{
    pref()->setValue(SettingsKey::RecentProfiles, m_model->getRecentProfiles().join(QLatin1Char('|')));
    // The panels show the model's profile; they go first.
    delete m_advanced;
    delete m_basic;
    ui->comboBoxProfile->setModel(new QStandardItemModel(ui->comboBoxProfile));
}

QString OutputSetting::currentLanguage() const
{
    if (ZuApplication* app = ZuApplication::instance())
        return app->langModel()->currentLangName();
    return QStringLiteral("en");
}

QList<ZumProfileData*> OutputSetting::currentProfileList() { return {&m_profile}; }

bool OutputSetting::isFileNameUsable(const QString& name)
{
    return !name.trimmed().isEmpty() && !name.contains(invalidNamePattern());
}

bool OutputSetting::lastChosenProfile(ZumProfileData& profile)
{
    ZuProfileManager* manager = ZuProfileManager::instance(nullptr, true);
    if (manager->profileIds().isEmpty())
        manager->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles"));
    const QStringList ids = manager->profileIds();
    for (const QString& url :
         {pref()->value(SettingsKey::LastProfileUrl, QString()).toString(), defaultProfile(), ids.value(0)}) {
        if (url.isEmpty())
            continue;
        ZumProfileData candidate;
        candidate.url = url;
        if (manager->getPresetData(candidate)) {
            profile = candidate;
            return true;
        }
    }
    return false;
}

QString OutputSetting::defaultOutputFolder(const QString& stored)
{
    QString folder = stored;
    if (folder.isEmpty() || !Zu::isFolderNameValid(folder, true))
        folder = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (folder.isEmpty() || !Zu::isFolderNameValid(folder, true))
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return folder;
}

QString OutputSetting::normalizedValue(const QString& key, const QString& value)
{
    if (key == QLatin1String("b/") || key == QLatin1String("ab/"))
        return value;
    return ZuProfilePropertyManager::displayForm(key, value);
}

QString OutputSetting::outputFilename() const { return ui->lineEditFilename->text(); }

ZumProfileData OutputSetting::profileData() const
{
    ZumProfileData data = m_profile;
    m_basic->getProfileData(data, false);
    return data;
}

void OutputSetting::showPropAdvance(bool show)
{
    m_advanceFrame->setVisible(show);
    ui->centerframe->setVisible(show);
    auto* button = m_basic->findChild<QPushButton*>(QStringLiteral("switchAdvancedBtn"));
    if (button)
        button->setChecked(show);
    const QSize base = outputMinimumSize();
    if (show) {
        if (button)
            button->setText(tr("More <<"));
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        resize(width() + kAdvancedWidth - 6, height());
        setFixedWidth(base.width() + kAdvancedWidth);
    } else {
        if (button)
            button->setText(tr("More >>"));
        setMinimumWidth(0);
        setMaximumWidth(QWIDGETSIZE_MAX);
        resize(base);
        setFixedWidth(base.width());
    }
    pref()->setValue(SettingsKey::AdvanceShow, show);
}

void OutputSetting::slotCurrentProfileChange(QString url, QString group)
{
    m_model->refreshRecentProfiles(url, group);
    m_profile.properties.clear();
    m_profile.url = url;
    m_profile.group = group;
    m_manager->getPresetData(m_profile);
    m_basic->putProfileData(currentProfileList());
    m_basic->setVisibleGroup(m_basic->visibleGroup());
    m_advanced->setRootProperty(m_basic->rootProp());
    m_advanced->setVisibleGroup(m_advanced->visibleGroup());
    pref()->setValue(SettingsKey::LastProfileUrl,
                     ZuProfileFileHandler::storedProfileUrl(QDir::toNativeSeparators(url)));
    pref()->setValue(SettingsKey::LastProfileGroup, group);
}

void OutputSetting::asyncSetPropertyValue(ZuProperty* prop, QString id, bool& ignore)
{
    ignore = false;
    const QVariant value = ZuProfilePropertyManager::propertyValue(prop);
    const QVariant shown = value.typeId() == QMetaType::Bool ? value : QVariant(normalizedValue(id, value.toString()));
    if (!isBitrateKey(id)) {
        m_basic->setItemValue(id, shown);
        m_advanced->setItemValue(id, shown);
        return;
    }
    m_basic->refreshItemProfileData(id, shown, currentProfileList());
    m_advanced->refreshQualityItem(id, currentProfileList());
}

void OutputSetting::asyncLinkedPropertyValue(ZuProperty* prop, QString id)
{
    const QVariant value = ZuProfilePropertyManager::propertyValue(prop);
    m_basic->setItemValue(id, value);
    m_advanced->setItemValue(id, value);
}

void OutputSetting::asyncShowBitCalcDialog(ZuProperty* prop, QString srcValue)
{
    Q_UNUSED(prop)
    // The panel holds the profile as edited so far.
    const int audio = ZuProfilePropertyManager::kbitPerSecond(m_basic->displayText(QStringLiteral("ab")));
    const int video = ZuProfilePropertyManager::kbitPerSecond(m_basic->displayText(QStringLiteral("b")));
    QWidget* parent = this;
    if (ZuApplication* app = ZuApplication::instance()) {
        if (ZuMainWindow* window = app->mainWindow())
            parent = window;
    }
    ZumBitrateCalc calc(parent, 10000, (audio + video) * 10 / 8192, audio, video);
    const QVariant current = m_basic->itemValue(QStringLiteral("b"));
    m_basic->setItemValue(QStringLiteral("b"), current);
    m_advanced->setItemValue(QStringLiteral("b"), current);
    m_basic->setItemValue(QStringLiteral("b/"), srcValue);
    m_advanced->setItemValue(QStringLiteral("b/"), srcValue);
    if (calc.exec() != QDialog::Accepted)
        return;
    m_basic->refreshItemProfileData(QStringLiteral("b"), QStringLiteral("%1K").arg(calc.videoBitrateInKBPS()),
                                    currentProfileList());
    m_basic->refreshQualityItem(QStringLiteral("b"), currentProfileList());
    m_advanced->refreshItemProfileData(QStringLiteral("ab"), QStringLiteral("%1K").arg(calc.audioBitrateInKBPS()),
                                       currentProfileList());
    m_advanced->refreshQualityItem(QStringLiteral("ab"), currentProfileList());
}

void OutputSetting::on_browser_clicked()
{
    const QString folder = ui->lineEditOutputPath->text();
    // The dialog opens at the typed folder or, while that is not made yet,
    // at the nearest one above it; browsing creates nothing.
    const QString existing = Zu::isFolderNameValid(folder, true) ? Zu::nearestExistingFolder(folder) : QString();
    const QString chosen =
        ZuFolderDialog::getExistingDirectory(this, QString(), existing.isEmpty() ? folder : existing);
    if (!chosen.isEmpty())
        ui->lineEditOutputPath->setText(QDir::toNativeSeparators(chosen));
}

void OutputSetting::accept()
{
    const QString folder = ui->lineEditOutputPath->text();
    const QString name = ui->lineEditFilename->text();
    if (!Zu::isFolderNameValid(folder, true)) {
        ZuMessageBox::alert(tr("The output folder is unavailable. Please choose another one."), QString(), this);
        ui->lineEditOutputPath->setFocus();
        return;
    }
    if (!Zu::isFolderWritable(folder)) {
        ZuMessageBox::alert(tr("The output folder is read-only, please select other folder."), QString(), this);
        ui->lineEditOutputPath->setFocus();
        return;
    }
    if (!isFileNameUsable(name)) {
        ZuMessageBox::alert(tr("Output file name is not usable, please change to another file name."), QString(), this);
        ui->lineEditFilename->setFocus();
        ui->lineEditFilename->selectAll();
        return;
    }
    pref()->setValue(SettingsKey::OutputPath, folder);
    pref()->setValue(SettingsKey::OutputName, name);
    ZuDialog::accept();
}

void OutputSetting::reject()
{
    const QString folder = ui->lineEditOutputPath->text();
    const QString name = ui->lineEditFilename->text();
    if (Zu::isFolderNameValid(folder, true) && Zu::isFolderWritable(folder))
        pref()->setValue(SettingsKey::OutputPath, folder);
    if (isFileNameUsable(name))
        pref()->setValue(SettingsKey::OutputName, name);
    ZuDialog::reject();
}

void OutputSetting::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget* focus = focusWidget();
        const bool inEditor = focus && (qobject_cast<QLineEdit*>(focus) || qobject_cast<QComboBox*>(focus) ||
                                        qobject_cast<QComboBox*>(focus->parentWidget()));
        if (inEditor) {
            // Return ends the entry; only OK itself finishes the dialog.
            if (QPushButton* ok = ui->buttonBox->button(QDialogButtonBox::Ok))
                ok->setFocus(Qt::TabFocusReason);
            return;
        }
    }
    ZuDialog::keyPressEvent(event);
}

void OutputSetting::retranslate()
{
    ui->retranslateUi(this);
    setAllWindowTitle(tr("Output Settings"));
    if (auto* button = m_basic->findChild<QPushButton*>(QStringLiteral("switchAdvancedBtn")))
        button->setText(button->isChecked() ? tr("More <<") : tr("More >>"));
    const QString language = currentLanguage();
    m_manager->setLang(language);
    m_model->setLang(language);
    ui->comboBoxProfile->setLang(language);
    m_basic->setLang(language);
    m_advanced->setLang(language);
}
