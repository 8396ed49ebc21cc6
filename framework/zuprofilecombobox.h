#pragma once
// The output profile chooser: a combo box over a ZuProfileModel whose popup
// (a ZuGroupItemView) lists the groups with their profiles, recent ones
// first. It always shows a profile, never a group heading, and reports each
// new choice as (identifier, group).

#include <QComboBox>
#include <QString>

class QStandardItem;
class ZuProfileModel;

class ZuProfileComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ZuProfileComboBox(QWidget* parent = nullptr);

    // Most pixels the popup may take (it scrolls beyond that).
    void setMaxViewHeight(int pixels);
    int maxViewHeight() const { return m_maxViewHeight; }
    // "down" opens the popup below the box; anything else lets the style place it.
    void setPopupDirection(const QString& direction);
    QString popupDirection() const { return m_direction; }
    void setLang(const QString& language);

    // Makes the profile current (in `group` when it is there, else in its
    // own group). Emits currentProfileChanged unless `silent`. False when the
    // model has no such profile.
    bool changeProfile(const QString& identifier, const QString& group, bool silent = false);
    QString currentProfile() const { return m_id; }
    QString currentGroup() const { return m_group; }

    void showPopup() override;

public slots:
    void slotCurrentIndexChanged(const QStandardItem* item);

signals:
    void currentProfileChanged(const QString& identifier, const QString& group);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    ZuProfileModel* profileModel() const;
    bool select(const QModelIndex& index);
    void step(int delta);
    void keepCurrent();

    int m_maxViewHeight = 400;
    QString m_direction = QStringLiteral("down");
    QString m_lang = QStringLiteral("en");
    QString m_id;
    QString m_group;
};
