#pragma once
// The output profile templates: read from the JSON files of the application's
// "profiles/" folder, handed out as ZumProfileData, and described item by item
// (which properties are switches, which template tags a profile carries).
// The file format is documented in profiles/README.md.

#include "zumprofiledata.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <map>
#include <memory>

class ZuProfileManager : public QObject
{
    Q_OBJECT

public:
    // The shared manager; created on first use when `create` is true.
    static ZuProfileManager* instance(QObject* parent = nullptr, bool create = true);

    explicit ZuProfileManager(QObject* parent = nullptr);
    ~ZuProfileManager() override;

    // Replaces the loaded templates by those of `folder`. False when the
    // folder holds no usable template; problems with single files are in
    // loadErrors() and the good files still load.
    bool loadTemplates(const QString& folder);
    QStringList loadErrors() const;

    // Language used for display names ("de", "en", ...).
    void setLang(const QString& language);
    QString lang() const;

    // Fills the properties (and name) of `profile` from its url: a template
    // identifier, a path whose base name up to the first "." is one, or the
    // path of a profile file. An empty group is filled with the template's.
    // False (profile untouched) when the url names nothing loadable.
    bool getPresetData(ZumProfileData& profile) const;

    // Reads a stand-alone profile file (same format as a template); the
    // reason for a refusal goes to `error`.
    bool loadProfileFile(const QString& path, ZumProfileData& profile, QString* error = nullptr) const;

    // Type name of a property key: "bool", "int", "double", "text",
    // "bitrate", "size", "rate" or "choice"; "bool" for uncatalogued "flag_"
    // keys, "text" for other unknown keys.
    QString profileItemType(const QString& key) const;
    // The numeric type of a profile (0 when unknown).
    int profileType(const QString& url) const;
    // A template tag such as "ext_format"; empty when absent.
    QString templateTagValue(const QString& url, const QString& tag) const;

    // Template identifiers in display order, and the groups in display order.
    QStringList profileIds() const;
    QStringList groups() const;
    QStringList profileIdsOfGroup(const QString& group) const;
    QString profileGroup(const QString& url) const;
    QString profileName(const QString& url) const;
    // The identifier a url refers to (itself, or its base name up to the
    // first "."); empty when no template matches.
    QString resolveId(const QString& url) const;

    // Display texts in a given language rather than the manager's own.
    QString profileName(const QString& url, const QString& language) const;
    QString groupName(const QString& group) const;
    QString groupName(const QString& group, const QString& language) const;
    // Icon file names (relative to a model's icon folder); empty when none.
    QString profileIcon(const QString& url) const;
    QString groupIcon(const QString& group) const;

    // The property catalogue: the keys it describes in display order, the
    // label shown for a key, whether the key belongs to the "simple" panel
    // (every key shows in the "all" panel) and the values offered for it.
    QStringList profileItemKeys() const;
    QString profileItemLabel(const QString& key) const;
    bool profileItemIsSimple(const QString& key) const;
    QStringList profileItemChoices(const QString& key) const;

    // Name of the catalogue file in a templates folder; not a template.
    static QString catalogueFileName();

private:
    struct Template;
    struct Item {
        QString type;
        QVariant label; // text, or language -> text
        bool simple = false;
        QStringList choices;
    };
    struct Group {
        QVariant name; // text, or language -> text
        QString icon;
    };
    const Template* findTemplate(const QString& url) const;
    // A template, or else a stand-alone profile file named by a path, which
    // is read into `scratch`.
    const Template* lookup(const QString& url, std::unique_ptr<Template>& scratch) const;
    bool loadCatalogue(const QString& path);
    QString pick(const QVariant& text, const QString& language) const;

    std::map<QString, std::unique_ptr<Template>> m_templates;
    QStringList m_order;
    QStringList m_groups;
    QStringList m_catalogueGroups;
    std::map<QString, Group> m_groupInfo;
    std::map<QString, Item> m_items;
    QStringList m_itemOrder;
    QStringList m_errors;
    QString m_folder; // canonical path of the loaded folder
    QString m_lang = QStringLiteral("en");
};
