#pragma once
// The skins the program can wear (a resource root and its style sheet) and
// which one is current.

#include <QAbstractListModel>
#include <QList>
#include <QString>

class ZuSkin
{
public:
    ZuSkin(const QString& name, const QString& dir);
    QString name() const { return m_name; }
    // Resource root: dir() + "/app_reelwright/..." names the skin's images.
    QString dir() const { return m_dir; }
    // Contents of dir() + "/app_reelwright/skin.qss"; empty when absent.
    QString styleSheet() const;

private:
    QString m_name;
    QString m_dir;
};

class ZuSkinItemModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit ZuSkinItemModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Skin by name (case-insensitive); nullptr if unknown.
    const ZuSkin* skin(const QString& name) const;
    QString currentSkinName() const { return m_current; }
    const ZuSkin* currentSkin() const { return skin(m_current); }
    // False (and nothing changes) for an unknown skin.
    bool setCurrentSkin(const QString& name);

    static QString defaultSkinName() { return QStringLiteral("Default"); }

signals:
    void currentSkinChanged(const QString& name);

private:
    QList<ZuSkin> m_skins;
    QString m_current;
};
