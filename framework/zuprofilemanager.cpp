#include "zuprofilemanager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace {

const QStringList& itemTypes()
{
    static const QStringList types = {QStringLiteral("bool"), QStringLiteral("int"),     QStringLiteral("double"),
                                      QStringLiteral("text"), QStringLiteral("bitrate"), QStringLiteral("size"),
                                      QStringLiteral("rate"), QStringLiteral("choice")};
    return types;
}

// What one template or profile file holds once read.
struct ProfileFile {
    QString id;
    QString path;
    QVariant name; // text, or language -> text
    QString group;
    int type = 0;
    int order = 1000;
    QString icon;
    QMap<QString, QString> tags;
    QMap<QString, QVariant> properties;
};

// A display text is a plain string or an object of language -> string.
bool readText(const QJsonValue& value, QVariant& out)
{
    if (value.isString()) {
        out = value.toString();
        return !value.toString().isEmpty();
    }
    if (!value.isObject() || value.toObject().isEmpty())
        return false;
    QVariantMap texts;
    const QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it.value().isString())
            return false;
        texts.insert(it.key(), it.value().toString());
    }
    out = texts;
    return true;
}

// "25", "29.97", "30000/1001", also with a trailing "fps" as the settings
// dialog shows rates.
double readRate(QString text)
{
    text = text.trimmed();
    if (text.endsWith(QLatin1String("fps"), Qt::CaseInsensitive))
        text.chop(3);
    const QStringList parts = text.split(QLatin1Char('/'));
    bool ok = false;
    const double num = parts.at(0).trimmed().toDouble(&ok);
    if (!ok)
        return 0;
    if (parts.size() == 1)
        return num;
    if (parts.size() != 2)
        return 0;
    const double den = parts.at(1).trimmed().toDouble(&ok);
    return ok && den > 0 ? num / den : 0;
}

bool validSize(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch m = pattern.match(text.trimmed());
    if (!m.hasMatch())
        return false;
    const int w = m.captured(1).toInt();
    const int h = m.captured(2).toInt();
    // The encoders refuse odd sizes, so such a template could never compile.
    return w > 0 && h > 0 && w % 2 == 0 && h % 2 == 0;
}

// Reads and checks one file. Templates must carry an id equal to their file
// name, because a stored profile is found again by that name alone.
bool parseProfileFile(const QString& path, bool isTemplate, ProfileFile& out, QString& error)
{
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: cannot be read (%2)")
                    .arg(fileName, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: not valid JSON at offset %2 (%3)")
                    .arg(fileName)
                    .arg(parseError.offset)
                    .arg(parseError.errorString());
        return false;
    }
    if (!doc.isObject()) {
        error =
            QCoreApplication::translate("ZuProfileManager", "%1: the file does not hold a JSON object").arg(fileName);
        return false;
    }
    const QJsonObject root = doc.object();
    const QString baseName = QFileInfo(path).completeBaseName();

    ProfileFile p;
    p.path = path;
    p.id = root.value(QLatin1String("id")).toString();
    if (p.id.isEmpty()) {
        if (isTemplate) {
            error = QCoreApplication::translate("ZuProfileManager", "%1: no \"id\"").arg(fileName);
            return false;
        }
        p.id = baseName;
    } else if (isTemplate && p.id != baseName) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: the id \"%2\" differs from the file name")
                    .arg(fileName, p.id);
        return false;
    }
    if (p.id.contains(QLatin1Char('.')) || p.id.contains(QLatin1Char('/')) || p.id.contains(QLatin1Char('|'))) {
        error =
            QCoreApplication::translate("ZuProfileManager", "%1: the id \"%2\" may not contain \".\", \"/\" or \"|\"")
                .arg(fileName, p.id);
        return false;
    }
    if (!readText(root.value(QLatin1String("name")), p.name)) {
        error = QCoreApplication::translate("ZuProfileManager",
                                            "%1: \"name\" must be a text or an object of language texts")
                    .arg(fileName);
        return false;
    }
    p.group = root.value(QLatin1String("group")).toString();
    if (p.group.isEmpty()) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: no \"group\"").arg(fileName);
        return false;
    }
    const QJsonValue type = root.value(QLatin1String("type"));
    if (!type.isUndefined() && !type.isDouble()) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: \"type\" must be a number").arg(fileName);
        return false;
    }
    p.type = type.toInt(0);
    p.order = root.value(QLatin1String("order")).toInt(1000);
    p.icon = root.value(QLatin1String("icon")).toString();

    const QJsonValue tags = root.value(QLatin1String("tags"));
    if (!tags.isUndefined()) {
        if (!tags.isObject()) {
            error = QCoreApplication::translate("ZuProfileManager", "%1: \"tags\" must be an object").arg(fileName);
            return false;
        }
        const QJsonObject object = tags.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            p.tags.insert(it.key(), it.value().toVariant().toString());
    }

    const QJsonValue properties = root.value(QLatin1String("properties"));
    if (!properties.isObject()) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: no \"properties\" object").arg(fileName);
        return false;
    }
    const QJsonObject props = properties.toObject();
    for (auto it = props.begin(); it != props.end(); ++it) {
        const QJsonValue v = it.value();
        if (it.key().isEmpty()) {
            error = QCoreApplication::translate("ZuProfileManager", "%1: a property has an empty key").arg(fileName);
            return false;
        }
        if (v.isString())
            p.properties.insert(it.key(), v.toString());
        else if (v.isBool())
            p.properties.insert(it.key(), v.toBool());
        else if (v.isDouble())
            // Kept as text: the encoder is handed what a user would type.
            p.properties.insert(it.key(), QString::number(v.toDouble(), 'g', 15));
        else {
            error = QCoreApplication::translate("ZuProfileManager",
                                                "%1: the property \"%2\" must be a text, a number or true/false")
                        .arg(fileName, it.key());
            return false;
        }
    }
    for (const char* key : {"/name", "/ext_name", "s", "r"}) {
        if (p.properties.value(QLatin1String(key)).toString().trimmed().isEmpty()) {
            error = QCoreApplication::translate("ZuProfileManager", "%1: the property \"%2\" is missing")
                        .arg(fileName, QLatin1String(key));
            return false;
        }
    }
    if (!validSize(p.properties.value(QStringLiteral("s")).toString())) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: the size \"%2\" is not an even WIDTHxHEIGHT")
                    .arg(fileName, p.properties.value(QStringLiteral("s")).toString());
        return false;
    }
    if (readRate(p.properties.value(QStringLiteral("r")).toString()) <= 0) {
        error = QCoreApplication::translate("ZuProfileManager", "%1: the frame rate \"%2\" cannot be read")
                    .arg(fileName, p.properties.value(QStringLiteral("r")).toString());
        return false;
    }
    out = std::move(p);
    return true;
}

} // namespace

struct ZuProfileManager::Template : ProfileFile {};

ZuProfileManager* ZuProfileManager::instance(QObject* parent, bool create)
{
    static QPointer<ZuProfileManager> shared;
    // Owns the manager when nobody else does; destroyed at exit.
    static std::unique_ptr<ZuProfileManager> owned;
    if (!shared && create) {
        if (parent) {
            shared = new ZuProfileManager(parent);
        } else {
            owned = std::make_unique<ZuProfileManager>();
            shared = owned.get();
        }
    }
    return shared;
}

ZuProfileManager::ZuProfileManager(QObject* parent)
    : QObject(parent)
{}

ZuProfileManager::~ZuProfileManager() = default;

QString ZuProfileManager::catalogueFileName() { return QStringLiteral("properties.json"); }

bool ZuProfileManager::loadTemplates(const QString& folder)
{
    m_templates.clear();
    m_order.clear();
    m_groups.clear();
    m_groupInfo.clear();
    m_items.clear();
    m_itemOrder.clear();
    m_errors.clear();
    m_folder.clear();

    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists()) {
        m_errors << QCoreApplication::translate("ZuProfileManager", "The profile folder \"%1\" does not exist.")
                        .arg(QDir::toNativeSeparators(folder));
        return false;
    }
    m_folder = dir.canonicalPath();

    const QString catalogue = dir.filePath(catalogueFileName());
    if (QFileInfo::exists(catalogue))
        loadCatalogue(catalogue);
    else
        m_errors << QCoreApplication::translate("ZuProfileManager", "%1: missing; every property is shown as text")
                        .arg(catalogueFileName());

    const QStringList files = dir.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::Readable, QDir::Name);
    std::vector<const Template*> loaded;
    for (const QString& name : files) {
        if (name == catalogueFileName())
            continue;
        auto t = std::make_unique<Template>();
        QString error;
        if (!parseProfileFile(dir.filePath(name), true, *t, error)) {
            m_errors << error;
            continue;
        }
        loaded.push_back(t.get());
        m_templates[t->id] = std::move(t);
    }
    std::stable_sort(loaded.begin(), loaded.end(), [](const Template* a, const Template* b) {
        return a->order != b->order ? a->order < b->order : a->id < b->id;
    });

    // Groups the catalogue names come first, in its order; any other group
    // follows where its first template stands.
    for (const QString& group : std::as_const(m_catalogueGroups)) {
        const bool used =
            std::any_of(loaded.begin(), loaded.end(), [&](const Template* t) { return t->group == group; });
        if (used)
            m_groups << group;
    }
    for (const Template* t : loaded) {
        if (!m_groups.contains(t->group))
            m_groups << t->group;
    }
    for (const QString& group : std::as_const(m_groups)) {
        for (const Template* t : loaded) {
            if (t->group == group)
                m_order << t->id;
        }
    }
    return !m_templates.empty();
}

bool ZuProfileManager::loadCatalogue(const QString& path)
{
    m_catalogueGroups.clear();
    const QString fileName = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errors << QCoreApplication::translate("ZuProfileManager", "%1: cannot be read (%2)")
                        .arg(fileName, file.errorString());
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject()) {
        m_errors << QCoreApplication::translate("ZuProfileManager", "%1: not valid JSON at offset %2 (%3)")
                        .arg(fileName)
                        .arg(parseError.offset)
                        .arg(parseError.errorString());
        return false;
    }
    const QJsonObject root = doc.object();
    bool ok = true;
    const QJsonArray groups = root.value(QLatin1String("groups")).toArray();
    for (const QJsonValue& value : groups) {
        const QJsonObject object = value.toObject();
        const QString id = object.value(QLatin1String("id")).toString();
        Group group;
        if (id.isEmpty() || !readText(object.value(QLatin1String("name")), group.name)) {
            m_errors << QCoreApplication::translate("ZuProfileManager", "%1: a group needs an \"id\" and a \"name\"")
                            .arg(fileName);
            ok = false;
            continue;
        }
        group.icon = object.value(QLatin1String("icon")).toString();
        m_groupInfo[id] = group;
        m_catalogueGroups << id;
    }
    const QJsonArray items = root.value(QLatin1String("items")).toArray();
    for (const QJsonValue& value : items) {
        const QJsonObject object = value.toObject();
        const QString key = object.value(QLatin1String("key")).toString();
        if (key.isEmpty()) {
            m_errors << QCoreApplication::translate("ZuProfileManager", "%1: an item has no \"key\"").arg(fileName);
            ok = false;
            continue;
        }
        Item item;
        item.type = object.value(QLatin1String("type")).toString();
        if (!itemTypes().contains(item.type)) {
            m_errors << QCoreApplication::translate("ZuProfileManager",
                                                    "%1: the item \"%2\" has the unknown type \"%3\"; shown as text")
                            .arg(fileName, key, item.type);
            item.type = QStringLiteral("text");
            ok = false;
        }
        if (!readText(object.value(QLatin1String("label")), item.label))
            item.label = key;
        const QString panel = object.value(QLatin1String("panel")).toString(QStringLiteral("all"));
        if (panel != QLatin1String("simple") && panel != QLatin1String("all")) {
            m_errors << QCoreApplication::translate("ZuProfileManager",
                                                    "%1: the item \"%2\" names the unknown panel \"%3\"")
                            .arg(fileName, key, panel);
            ok = false;
        }
        item.simple = panel == QLatin1String("simple");
        for (const QJsonValue& choice : object.value(QLatin1String("choices")).toArray())
            item.choices << choice.toVariant().toString();
        if (!m_items.count(key))
            m_itemOrder << key;
        m_items[key] = item;
    }
    return ok;
}

QStringList ZuProfileManager::loadErrors() const { return m_errors; }

void ZuProfileManager::setLang(const QString& language)
{
    m_lang = language.isEmpty() ? QStringLiteral("en") : language;
}

QString ZuProfileManager::lang() const { return m_lang; }

QString ZuProfileManager::pick(const QVariant& text, const QString& language) const
{
    if (text.typeId() != QMetaType::QVariantMap)
        return text.toString();
    const QVariantMap texts = text.toMap();
    const QString shortName = language.section(QLatin1Char('_'), 0, 0).section(QLatin1Char('-'), 0, 0);
    for (const QString& candidate : {language, shortName, QStringLiteral("en")}) {
        const QString found = texts.value(candidate).toString();
        if (!found.isEmpty())
            return found;
    }
    for (const QVariant& value : texts) {
        if (!value.toString().isEmpty())
            return value.toString();
    }
    return QString();
}

QString ZuProfileManager::resolveId(const QString& url) const
{
    if (url.isEmpty())
        return QString();
    if (m_templates.count(url))
        return url;
    const QString base = ZumProfileData::storedUrl(url);
    if (m_templates.count(base))
        return base;
    for (const auto& entry : m_templates) {
        if (entry.first.compare(base, Qt::CaseInsensitive) == 0)
            return entry.first;
    }
    return QString();
}

const ZuProfileManager::Template* ZuProfileManager::findTemplate(const QString& url) const
{
    const auto it = m_templates.find(resolveId(url));
    return it == m_templates.end() ? nullptr : it->second.get();
}

const ZuProfileManager::Template* ZuProfileManager::lookup(const QString& url, std::unique_ptr<Template>& scratch) const
{
    const bool isPath = url.contains(QLatin1Char('/')) || url.contains(QLatin1Char('\\'));
    if (isPath && QFileInfo(url).isFile()) {
        const QFileInfo info(url);
        // A template named by its own path needs no second reading.
        if (info.absoluteDir().canonicalPath() == m_folder) {
            const auto it = m_templates.find(info.completeBaseName());
            if (it != m_templates.end())
                return it->second.get();
        }
        scratch = std::make_unique<Template>();
        QString error;
        if (parseProfileFile(url, false, *scratch, error))
            return scratch.get();
        return nullptr;
    }
    return findTemplate(url);
}

bool ZuProfileManager::getPresetData(ZumProfileData& profile) const
{
    std::unique_ptr<Template> scratch;
    const Template* t = lookup(profile.url, scratch);
    if (!t)
        return false;
    profile.properties = t->properties;
    profile.name = pick(t->name, m_lang);
    if (profile.group.isEmpty())
        profile.group = t->group;
    return true;
}

bool ZuProfileManager::loadProfileFile(const QString& path, ZumProfileData& profile, QString* error) const
{
    Template t;
    QString reason;
    if (!parseProfileFile(path, false, t, reason)) {
        if (error)
            *error = reason;
        return false;
    }
    if (profile.url.isEmpty())
        profile.url = path;
    if (profile.group.isEmpty())
        profile.group = t.group;
    profile.properties = t.properties;
    profile.name = pick(t.name, m_lang);
    return true;
}

QString ZuProfileManager::profileItemType(const QString& key) const
{
    const auto it = m_items.find(key);
    if (it != m_items.end())
        return it->second.type;
    if (key.startsWith(QLatin1String("flag_")))
        return QStringLiteral("bool");
    return QStringLiteral("text");
}

int ZuProfileManager::profileType(const QString& url) const
{
    std::unique_ptr<Template> scratch;
    const Template* t = lookup(url, scratch);
    return t ? t->type : 0;
}

QString ZuProfileManager::templateTagValue(const QString& url, const QString& tag) const
{
    std::unique_ptr<Template> scratch;
    const Template* t = lookup(url, scratch);
    return t ? t->tags.value(tag) : QString();
}

QStringList ZuProfileManager::profileIds() const { return m_order; }

QStringList ZuProfileManager::groups() const { return m_groups; }

QStringList ZuProfileManager::profileIdsOfGroup(const QString& group) const
{
    QStringList ids;
    for (const QString& id : m_order) {
        if (m_templates.at(id)->group == group)
            ids << id;
    }
    return ids;
}

QString ZuProfileManager::profileGroup(const QString& url) const
{
    std::unique_ptr<Template> scratch;
    const Template* t = lookup(url, scratch);
    return t ? t->group : QString();
}

QString ZuProfileManager::profileName(const QString& url) const { return profileName(url, m_lang); }

QString ZuProfileManager::profileName(const QString& url, const QString& language) const
{
    std::unique_ptr<Template> scratch;
    const Template* t = lookup(url, scratch);
    return t ? pick(t->name, language) : QString();
}

QString ZuProfileManager::groupName(const QString& group) const { return groupName(group, m_lang); }

QString ZuProfileManager::groupName(const QString& group, const QString& language) const
{
    const auto it = m_groupInfo.find(group);
    if (it == m_groupInfo.end())
        return group;
    const QString name = pick(it->second.name, language);
    return name.isEmpty() ? group : name;
}

QString ZuProfileManager::profileIcon(const QString& url) const
{
    const Template* t = findTemplate(url);
    return t ? t->icon : QString();
}

QString ZuProfileManager::groupIcon(const QString& group) const
{
    const auto it = m_groupInfo.find(group);
    return it == m_groupInfo.end() ? QString() : it->second.icon;
}

QStringList ZuProfileManager::profileItemKeys() const { return m_itemOrder; }

QString ZuProfileManager::profileItemLabel(const QString& key) const
{
    const auto it = m_items.find(key);
    if (it == m_items.end())
        return key;
    const QString label = pick(it->second.label, m_lang);
    return label.isEmpty() ? key : label;
}

bool ZuProfileManager::profileItemIsSimple(const QString& key) const
{
    const auto it = m_items.find(key);
    return it != m_items.end() && it->second.simple;
}

QStringList ZuProfileManager::profileItemChoices(const QString& key) const
{
    const auto it = m_items.find(key);
    return it == m_items.end() ? QStringList() : it->second.choices;
}
