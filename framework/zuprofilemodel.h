#pragma once
// The output profiles as a two-level item model for the profile combo box:
// one top-level item per group with that group's profiles below it, and a
// "Recent" group first that repeats the most recently used profiles.

#include <QPointer>
#include <QStandardItemModel>
#include <QString>
#include <QStringList>

class ZuProfileManager;

class ZuProfileModel : public QStandardItemModel
{
    Q_OBJECT

public:
    enum Roles {
        IdRole = Qt::UserRole + 1, // profile identifier; empty on group items
        GroupRole,                 // group identifier; on a recent entry its own group
        IsGroupRole,               // true on the top-level group items
    };
    static constexpr int MaxRecentProfiles = 8;

    explicit ZuProfileModel(const QString& name = QString(), QObject* parent = nullptr);

    // The manager the items come from; the shared one unless set.
    void setProfileManager(ZuProfileManager* manager);
    ZuProfileManager* profileManager() const;

    // Folder of the group and profile icons named in the templates.
    void setIconDir(const QString& dir);
    QString iconDir() const;

    // Identifiers, most recent first; empty texts and repeats are dropped and
    // the list is cut at MaxRecentProfiles.
    void setRecentProfiles(const QStringList& recent);
    QStringList getRecentProfiles() const;
    // Puts the profile at the front of the recent list and updates the
    // "Recent" group in place, so views keep their current item. Identifiers
    // no template knows are not recorded; `group` may be "Recent" itself.
    void refreshRecentProfiles(const QString& identifier, const QString& group);

    // Language of the item texts; changing it retitles the items in place.
    void setLang(const QString& language);
    QString lang() const;

    // Rebuilds every item from the manager.
    void refresh();

    // Group identifier of the recent group.
    static QString recentGroup();

    // Lookups over the items (the recent group never counts as a profile's
    // group). `identifier` may also be a path or a stored base name.
    QString profileIdOf(const QString& url) const;
    bool containsProfile(const QString& identifier, const QString& group) const;
    QString groupOfProfile(const QString& identifier) const;
    QString firstProfileId() const;
    // The item of a profile in `group`, or in its first group when `group`
    // is empty; invalid when there is none.
    QModelIndex profileIndex(const QString& identifier, const QString& group = QString()) const;

private:
    QStandardItem* makeProfileItem(const QString& id) const;
    QStandardItem* makeGroupItem(const QString& group) const;
    void updateRecentGroup();
    QStringList visibleRecent() const;

    QPointer<ZuProfileManager> m_manager;
    QString m_iconDir;
    QStringList m_recent;
    QString m_lang = QStringLiteral("en");
    bool m_built = false;
};
