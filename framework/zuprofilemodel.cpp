#include "zuprofilemodel.h"

#include "zuprofilemanager.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>

ZuProfileModel::ZuProfileModel(const QString& name, QObject* parent)
    : QStandardItemModel(parent)
    , m_manager(ZuProfileManager::instance())
{
    setObjectName(name);
}

void ZuProfileModel::setProfileManager(ZuProfileManager* manager) { m_manager = manager; }

ZuProfileManager* ZuProfileModel::profileManager() const { return m_manager; }

void ZuProfileModel::setIconDir(const QString& dir) { m_iconDir = dir; }

QString ZuProfileModel::iconDir() const { return m_iconDir; }

QString ZuProfileModel::recentGroup() { return QStringLiteral("Recent"); }

void ZuProfileModel::setRecentProfiles(const QStringList& recent)
{
    m_recent.clear();
    for (const QString& entry : recent) {
        const QString id = entry.trimmed();
        if (!id.isEmpty() && !m_recent.contains(id))
            m_recent << id;
        if (m_recent.size() == MaxRecentProfiles)
            break;
    }
    if (m_built)
        updateRecentGroup();
}

QStringList ZuProfileModel::getRecentProfiles() const { return m_recent; }

void ZuProfileModel::refreshRecentProfiles(const QString& identifier, const QString& group)
{
    Q_UNUSED(group) // an identifier names one template, whatever group it was picked in
    if (!m_manager)
        return;
    const QString id = m_manager->resolveId(identifier);
    if (id.isEmpty())
        return;
    // Older entries may be stored in another form of the same profile.
    for (qsizetype i = m_recent.size() - 1; i >= 0; --i) {
        if (m_recent.at(i) == id || m_manager->resolveId(m_recent.at(i)) == id)
            m_recent.removeAt(i);
    }
    m_recent.prepend(id);
    while (m_recent.size() > MaxRecentProfiles)
        m_recent.removeLast();
    if (m_built)
        updateRecentGroup();
}

void ZuProfileModel::setLang(const QString& language)
{
    m_lang = language.isEmpty() ? QStringLiteral("en") : language;
    if (!m_built || !m_manager)
        return;
    for (int row = 0; row < rowCount(); ++row) {
        QStandardItem* groupItem = item(row);
        const QString group = groupItem->data(GroupRole).toString();
        groupItem->setText(group == recentGroup() ? tr("Recent") : m_manager->groupName(group, m_lang));
        for (int child = 0; child < groupItem->rowCount(); ++child) {
            QStandardItem* profileItem = groupItem->child(child);
            profileItem->setText(m_manager->profileName(profileItem->data(IdRole).toString(), m_lang));
        }
    }
}

QString ZuProfileModel::lang() const { return m_lang; }

QStringList ZuProfileModel::visibleRecent() const
{
    QStringList ids;
    if (!m_manager)
        return ids;
    for (const QString& entry : m_recent) {
        const QString id = m_manager->resolveId(entry);
        if (!id.isEmpty() && !ids.contains(id))
            ids << id;
    }
    return ids;
}

QStandardItem* ZuProfileModel::makeGroupItem(const QString& group) const
{
    const bool recent = group == recentGroup();
    auto* item = new QStandardItem(recent ? tr("Recent") : m_manager->groupName(group, m_lang));
    item->setData(group, GroupRole);
    item->setData(true, IsGroupRole);
    // Headings only: a group is never a choice.
    item->setFlags(Qt::ItemIsEnabled);
    const QString icon = recent ? QStringLiteral("recent.png") : m_manager->groupIcon(group);
    if (!icon.isEmpty() && !m_iconDir.isEmpty() && QFileInfo::exists(QDir(m_iconDir).filePath(icon)))
        item->setIcon(QIcon(QDir(m_iconDir).filePath(icon)));
    return item;
}

QStandardItem* ZuProfileModel::makeProfileItem(const QString& id) const
{
    auto* item = new QStandardItem(m_manager->profileName(id, m_lang));
    item->setData(id, IdRole);
    item->setData(m_manager->profileGroup(id), GroupRole);
    item->setData(false, IsGroupRole);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setToolTip(item->text().toHtmlEscaped());
    const QString icon = m_manager->profileIcon(id);
    if (!icon.isEmpty() && !m_iconDir.isEmpty() && QFileInfo::exists(QDir(m_iconDir).filePath(icon)))
        item->setIcon(QIcon(QDir(m_iconDir).filePath(icon)));
    return item;
}

void ZuProfileModel::refresh()
{
    clear();
    m_built = true;
    if (!m_manager)
        return;
    const QStringList recent = visibleRecent();
    if (!recent.isEmpty()) {
        QStandardItem* group = makeGroupItem(recentGroup());
        for (const QString& id : recent)
            group->appendRow(makeProfileItem(id));
        appendRow(group);
    }
    for (const QString& groupName : m_manager->groups()) {
        QStandardItem* group = makeGroupItem(groupName);
        for (const QString& id : m_manager->profileIdsOfGroup(groupName))
            group->appendRow(makeProfileItem(id));
        appendRow(group);
    }
}

void ZuProfileModel::updateRecentGroup()
{
    if (!m_manager)
        return;
    QStandardItem* group = rowCount() > 0 ? item(0) : nullptr;
    if (group && group->data(GroupRole).toString() != recentGroup())
        group = nullptr;
    const QStringList recent = visibleRecent();
    if (recent.isEmpty()) {
        if (group)
            removeRow(0);
        return;
    }
    if (!group) {
        group = makeGroupItem(recentGroup());
        insertRow(0, group);
    }
    group->removeRows(0, group->rowCount());
    for (const QString& id : recent)
        group->appendRow(makeProfileItem(id));
}

QModelIndex ZuProfileModel::profileIndex(const QString& identifier, const QString& group) const
{
    const QString id = profileIdOf(identifier);
    if (id.isEmpty())
        return QModelIndex();
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* groupItem = item(row);
        const QString name = groupItem->data(GroupRole).toString();
        if (name == recentGroup() || (!group.isEmpty() && name != group))
            continue;
        for (int child = 0; child < groupItem->rowCount(); ++child) {
            if (groupItem->child(child)->data(IdRole).toString() == id)
                return groupItem->child(child)->index();
        }
    }
    return QModelIndex();
}

QString ZuProfileModel::profileIdOf(const QString& url) const
{
    if (url.isEmpty())
        return QString();
    const QString base = ZumProfileData::storedUrl(url);
    QString loose;
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* groupItem = item(row);
        for (int child = 0; child < groupItem->rowCount(); ++child) {
            const QString id = groupItem->child(child)->data(IdRole).toString();
            if (id == url || id == base)
                return id;
            if (loose.isEmpty() && id.compare(base, Qt::CaseInsensitive) == 0)
                loose = id;
        }
    }
    return loose;
}

bool ZuProfileModel::containsProfile(const QString& identifier, const QString& group) const
{
    return !group.isEmpty() && profileIndex(identifier, group).isValid();
}

QString ZuProfileModel::groupOfProfile(const QString& identifier) const
{
    const QModelIndex index = profileIndex(identifier);
    return index.isValid() ? index.parent().data(GroupRole).toString() : QString();
}

QString ZuProfileModel::firstProfileId() const
{
    for (int row = 0; row < rowCount(); ++row) {
        const QStandardItem* groupItem = item(row);
        if (groupItem->data(GroupRole).toString() != recentGroup() && groupItem->rowCount() > 0)
            return groupItem->child(0)->data(IdRole).toString();
    }
    return QString();
}
