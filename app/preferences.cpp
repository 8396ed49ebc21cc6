#include "preferences.h"

#include "ui_preferences.h"

#include "outputsetting.h"
#include "settingskeys.h"
#include "zu.h"
#include "zufolderdialog.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QDesktopServices>
#include <QDir>
#include <QPushButton>
#include <QUrl>

Preferences::Preferences(QWidget* parent)
    : ZuDialog(parent, Qt::MSWindowsFixedSizeDialogHint)
    , ui(std::make_unique<Ui::PreferencesClass>())
{
    ui->setupUi(this);
    setAllWindowTitle(tr("Preferences"));
    setFixedSize(550, 480);
    ZuPref* pref = ZuPref::instance();

    const QString folder = OutputSetting::defaultOutputFolder(pref->value(SettingsKey::OutputPath).toString());
    ui->lineEdit->setText(QDir::toNativeSeparators(folder));

    ui->checkUpdate->setChecked(
        pref->value(SettingsKey::AutoCheckUpdateEnable, SettingsDefault::AutoCheckUpdateEnable).toBool());
    connect(ui->checkUpdate, &QCheckBox::toggled, ui->updateFreq, &QWidget::setEnabled);
    ui->updateFreq->setCurrentIndex(indexOfInterval(
        pref->value(SettingsKey::AutoCheckUpdateInterval, SettingsDefault::AutoCheckUpdateInterval).toInt()));
    ui->updateFreq->setEnabled(ui->checkUpdate->isChecked());

    connect(ui->lineEdit, &QLineEdit::editingFinished, this, &Preferences::on_Settings_Changed);
    connect(ui->checkUpdate, &QCheckBox::toggled, this, &Preferences::on_Settings_Changed);
    connect(ui->updateFreq, &QComboBox::currentIndexChanged, this, &Preferences::on_Settings_Changed);
    ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(false);
}

Preferences::~Preferences() = default;

int Preferences::indexOfInterval(int days) { return days == 1 ? 0 : days == 30 ? 2 : 1; }

int Preferences::intervalOfIndex(int index) { return index == 0 ? 1 : index == 2 ? 30 : 7; }

void Preferences::on_browse_clicked()
{
    const QString folder = ui->lineEdit->text();
    // The dialog opens at the typed folder or, while that is not made yet,
    // at the nearest one above it; browsing creates nothing.
    const QString existing = Zu::isFolderNameValid(folder, true) ? Zu::nearestExistingFolder(folder) : QString();
    const QString chosen =
        ZuFolderDialog::getExistingDirectory(this, QString(), existing.isEmpty() ? folder : existing);
    if (!chosen.isEmpty())
        ui->lineEdit->setText(QDir::toNativeSeparators(chosen));
}

void Preferences::on_open_clicked()
{
    const QString folder = ui->lineEdit->text();
    if (Zu::isFolderNameValid(folder, true) && !QDir(folder).exists())
        QDir().mkpath(folder);
    const QString path = QDir::toNativeSeparators(QDir(folder).absolutePath());
    const bool exists = Zu::isFolderNameValid(folder, true) && QDir(folder).exists();
    if (!exists || !QDesktopServices::openUrl(QUrl::fromLocalFile(QDir(folder).absolutePath())))
        ZuMessageBox::alert(tr("Failed to open folder \"%1\".").arg(path), QString(), nullptr);
}

void Preferences::refuse(const QString& message)
{
    ui->tabWidget->setCurrentIndex(0);
    ZuMessageBox::alert(message, QString(), nullptr);
    ui->lineEdit->setFocus();
    ui->lineEdit->selectAll();
}

bool Preferences::save()
{
    const QString folder = ui->lineEdit->text();
    if (!Zu::isFolderNameValid(folder, true)) {
        refuse(tr("The output folder is unavailable. Please choose another one."));
        return false;
    }
    if (!Zu::isFolderWritable(folder)) {
        refuse(tr("The output folder is read-only, please select other folder."));
        return false;
    }
    ZuPref* pref = ZuPref::instance();
    pref->setValue(SettingsKey::OutputPath, folder);
    pref->setValue(SettingsKey::AutoCheckUpdateEnable, ui->checkUpdate->isChecked());
    pref->setValue(SettingsKey::AutoCheckUpdateInterval, intervalOfIndex(ui->updateFreq->currentIndex()));
    return true;
}

void Preferences::on_buttonBox_clicked(QAbstractButton* button)
{
    switch (ui->buttonBox->standardButton(button)) {
    case QDialogButtonBox::Ok:
        if (save())
            accept();
        break;
    case QDialogButtonBox::Apply:
        if (save())
            ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(false);
        break;
    case QDialogButtonBox::Cancel: reject(); break;
    default: break;
    }
}

void Preferences::on_Settings_Changed() { ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(true); }

void Preferences::retranslate()
{
    const int frequency = ui->updateFreq->currentIndex();
    const bool applyEnabled = ui->buttonBox->button(QDialogButtonBox::Apply)->isEnabled();
    {
        const QSignalBlocker block(ui->updateFreq);
        ui->retranslateUi(this);
        ui->updateFreq->setCurrentIndex(frequency);
    }
    ui->buttonBox->button(QDialogButtonBox::Apply)->setEnabled(applyEnabled);
    setAllWindowTitle(tr("Preferences"));
}
