#pragma once
// A panel of the properties of an output profile: one editor per item of
// the visible group ("simple": the catalogue's basic items; "all": every
// item), in sections. Edits are checked against the item's type, shown in
// their displayed form and announced (asyncVerifyPropertyValue, then
// asyncLinkedPropertyValue) so a second panel on the same tree can follow.

#include "zumprofiledata.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <QWidget>

class QFormLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class ZuProperty;

class ZuProfilePropertyWidget : public QWidget
{
    Q_OBJECT

public:
    // `advancedButton` adds the "More >>" button ("switchAdvancedBtn") that
    // asks for the full panel; `bitrateCalculator` a calculator button beside
    // the video bit rate; `readOnly` shows the values without editors.
    explicit ZuProfilePropertyWidget(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags(),
                                     bool advancedButton = false, bool bitrateCalculator = false,
                                     bool readOnly = false);
    ~ZuProfilePropertyWidget() override;

    // "simple" or "all"; `refresh` rebuilds the editors at once.
    void setVisibleGroup(const QString& name, bool refresh = true);
    QString visibleGroup() const { return m_group; }
    void setLang(const QString& language);
    QString lang() const { return m_lang; }

    // Shows the first profile of the list (its values, on the current tree).
    void putProfileData(const QList<ZumProfileData*>& profiles);
    // The profile shown, with the edited values: in the form the encoder
    // takes, or as the panel shows them when `displayForms` is true.
    bool getProfileData(ZumProfileData& data, bool displayForms = false) const;

    // The property tree shown; a second panel shares it through
    // setRootProperty() and follows every change of it.
    ZuProperty* rootProp() const;
    void setRootProperty(ZuProperty* root);

    // Sets an item; a text equal to how the current value is shown leaves
    // the value as it was entered.
    void setItemValue(const QString& key, const QVariant& value);
    QVariant itemValue(const QString& key) const;
    // Sets an item and stores its encoder form in each profile of the list.
    void refreshItemProfileData(const QString& key, const QVariant& value, const QList<ZumProfileData*>& profiles);
    // Recomputes the quality note under a bit rate ("b" or "ab", also as
    // "b/", "ab/") and stores the profiles' size and rate with it.
    void refreshQualityItem(const QString& key, const QList<ZumProfileData*>& profiles);

    // The editor of an item in this panel (nullptr when it is not shown)
    // and the quality note of a bit rate.
    QWidget* editor(const QString& key) const;
    QString qualityText(const QString& key) const;
    // The text an item shows.
    QString displayText(const QString& key) const;

public slots:
    void retranslate();

signals:
    void showFloatWindow(bool show);
    void asyncShowBitCalcDialog(ZuProperty* property, const QString& value);
    void asyncVerifyPropertyValue(ZuProperty* property, const QString& key, bool& ignore);
    void asyncLinkedPropertyValue(ZuProperty* property, const QString& key);

protected:
    void changeEvent(QEvent* event) override;

private:
    struct Row {
        QPointer<ZuProperty> property;
        QLabel* label = nullptr;
        QWidget* editor = nullptr;
        QLabel* quality = nullptr;
    };

    void rebuild();
    // Cuts every connection from `owner`'s children to this panel.
    void silence(QObject* owner);
    void attachRoot(ZuProperty* root);
    bool isShown(const ZuProperty* property) const;
    QWidget* makeEditor(ZuProperty* property);
    void commit(ZuProperty* property, const QVariant& value);
    void showValue(ZuProperty* property);
    void updateQuality();
    QString qualityOf(const QString& key) const;

    QString m_group = QStringLiteral("all");
    QString m_lang = QStringLiteral("en");
    bool m_calculator;
    bool m_readOnly;
    ZuProperty* m_ownRoot;
    QPointer<ZuProperty> m_root;
    QScrollArea* m_scroll;
    QWidget* m_form = nullptr;
    QPushButton* m_advanced = nullptr;
    QList<QLabel*> m_sections;
    QHash<QString, Row> m_rows;
    bool m_showing = false;
};
