#pragma once
// The output settings dialog: the output profile (grouped list with the
// recent profiles first), its basic properties and, on demand, all of them,
// the destination folder and the file name. The main window runs it before
// a compile and takes profileData() and outputFilename() when it is accepted.

#include "zudialog.h"
#include "zumprofiledata.h"

#include <QString>

#include <memory>

class QFrame;
class ZuProfileManager;
class ZuProfileModel;
class ZuProfilePropertyWidget;
class ZuProperty;

namespace Ui {
class OutputSettingClass;
}

class OutputSetting : public ZuDialog
{
    Q_OBJECT

public:
    explicit OutputSetting(QWidget* parent = nullptr);
    ~OutputSetting() override;

    // The base name of the output file, without extension.
    QString outputFilename() const;
    // The chosen profile with its edited properties, in the form the encoder
    // takes ("25", not the "25fps" the panels show).
    ZumProfileData profileData() const;

    static QSize outputMinimumSize() { return QSize(440, 500); }
    static QString defaultFileName() { return QStringLiteral("My Photo Movie"); }
    static QString defaultProfile() { return QStringLiteral("mpeg4h264"); }
    // The profile the dialog opens with: the last chosen one, else the default
    // one, else the first; the templates are loaded if nobody has yet. False
    // when no profile can be read.
    static bool lastChosenProfile(ZumProfileData& profile);
    // Whether a text can be the base name of an output file.
    static bool isFileNameUsable(const QString& name);
    // The folder offered when none is stored or the stored one is unusable.
    static QString defaultOutputFolder(const QString& stored);
    // How an edited value of `key` is shown.
    static QString normalizedValue(const QString& key, const QString& value);

public slots:
    void showPropAdvance(bool show);
    void slotCurrentProfileChange(QString url, QString group);
    void asyncSetPropertyValue(ZuProperty* prop, QString id, bool& ignore);
    void asyncLinkedPropertyValue(ZuProperty* prop, QString id);
    void asyncShowBitCalcDialog(ZuProperty* prop, QString srcValue);
    void on_browser_clicked();
    void accept() override;
    void reject() override;
    void retranslate() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString currentLanguage() const;
    QList<ZumProfileData*> currentProfileList();

    std::unique_ptr<Ui::OutputSettingClass> ui;
    std::unique_ptr<ZuProfileModel> m_model;
    ZuProfileManager* m_manager;
    ZumProfileData m_profile;
    QFrame* m_basicFrame;
    ZuProfilePropertyWidget* m_basic;
    QFrame* m_advanceFrame;
    ZuProfilePropertyWidget* m_advanced;
};
