#include "zuskinitemmodel.h"

#include "zupref.h"

#include <QFile>

ZuSkin::ZuSkin(const QString& name, const QString& dir)
    : m_name(name)
    , m_dir(dir)
{}

QString ZuSkin::styleSheet() const
{
    QFile file(m_dir + QStringLiteral("/app_reelwright/skin.qss"));
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

ZuSkinItemModel::ZuSkinItemModel(QObject* parent)
    : QAbstractListModel(parent)
    , m_current(defaultSkinName())
{
    // Resources under ":/app_reelwright/" are the one skin built into the
    // program.
    m_skins.append(ZuSkin(defaultSkinName(), QStringLiteral(":")));
}

int ZuSkinItemModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_skins.size()); }

QVariant ZuSkinItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_skins.size())
        return QVariant();
    const ZuSkin& s = m_skins.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::UserRole: return s.name();
    case Qt::CheckStateRole: return s.name() == m_current ? Qt::Checked : Qt::Unchecked;
    default: return QVariant();
    }
}

const ZuSkin* ZuSkinItemModel::skin(const QString& name) const
{
    for (const ZuSkin& s : m_skins) {
        if (s.name().compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

bool ZuSkinItemModel::setCurrentSkin(const QString& name)
{
    const ZuSkin* s = skin(name);
    if (!s)
        return false;
    if (s->name() == m_current)
        return true;
    m_current = s->name();
    ZuPref::setSkinDir(s->dir());
    emit dataChanged(index(0), index(int(m_skins.size()) - 1), {Qt::CheckStateRole});
    emit currentSkinChanged(m_current);
    return true;
}
