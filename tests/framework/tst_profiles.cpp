// Encoding profiles: shipped templates, bad files, group and profile order, presets, types, stored and recent profiles.
#include "testsupport.h"
#include "zuprofilefilehandler.h"
#include "zuprofilemanager.h"
#include "zuprofilemodel.h"

#include <QDir>
#include <QFile>
#include <QPersistentModelIndex>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kShipped = QStringLiteral(REELWRIGHT_APP_DIR "/profiles");

// A template that loads; `extra` is spliced into its top-level object.
QByteArray templateText(const QString& id, const QString& group, const QString& extra = QString(),
                        const QString& size = QStringLiteral("640x480"))
{
    QString idField = id.isEmpty() ? QString() : QStringLiteral("\"id\": \"%1\", ").arg(id);
    return QStringLiteral(
               "{ %1\"name\": \"%2 profile\", \"group\": \"%3\", %4"
               "\"properties\": { \"/name\": \"%2\", \"/ext_name\": \"mp4\", \"s\": \"%5\", \"r\": \"25\" } }")
        .arg(idField, id, group, extra, size)
        .toUtf8();
}

bool writeFile(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

QStringList childIds(const QStandardItem* group)
{
    QStringList ids;
    for (int i = 0; group && i < group->rowCount(); ++i)
        ids << group->child(i)->data(ZuProfileModel::IdRole).toString();
    return ids;
}

} // namespace

class ProfilesTests : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void shippedTemplates_data();
    void shippedTemplates();
    void shippedKeysAreCatalogued();
    void badFilesAreReportedOthersLoad_data();
    void badFilesAreReportedOthersLoad();
    void missingFolderLoadsNothing();
    void groupAndProfileOrder();
    void presetLookup_data();
    void presetLookup();
    void presetKeepsGivenGroup();
    void itemTypes_data();
    void itemTypes();
    void typesAndTags();
    void displayLanguage_data();
    void displayLanguage();
    void normalizeStoredProfile_data();
    void normalizeStoredProfile();
    void normalizeWithoutDefault();
    void recentProfilesOrder();
    void recentGroupUpdatesInPlace();

private:
    ZuProfileManager m_shipped;
    std::unique_ptr<ZuProfileModel> m_model;
};

void ProfilesTests::initTestCase()
{
    QVERIFY2(m_shipped.loadTemplates(kShipped), qPrintable(m_shipped.loadErrors().join(QLatin1Char('\n'))));
    m_model = std::make_unique<ZuProfileModel>(QStringLiteral("vc_profile_groupview"));
    m_model->setProfileManager(&m_shipped);
    m_model->refresh();
}

void ProfilesTests::shippedTemplates_data()
{
    QTest::addColumn<QString>("id");
    const QStringList files = QDir(kShipped).entryList({QStringLiteral("*.json")}, QDir::Files);
    for (const QString& file : files) {
        if (file != ZuProfileManager::catalogueFileName())
            QTest::newRow(qPrintable(file)) << QFileInfo(file).completeBaseName();
    }
}

void ProfilesTests::shippedTemplates()
{
    QFETCH(QString, id);
    QVERIFY(m_shipped.loadErrors().isEmpty());
    ZumProfileData p;
    p.url = id;
    QVERIFY(m_shipped.getPresetData(p));
    for (const char* key : {"/name", "/ext_name", "s", "r", "ar", "ac", "vcodec", "acodec"})
        QVERIFY2(!p.properties.value(QLatin1String(key)).toString().isEmpty(), key);
    QVERIFY(m_shipped.groups().contains(p.group));
    QVERIFY(!p.name.isEmpty());
    // The settings dialog's bit-rate calculator reads these as a number and one unit letter.
    for (const char* key : {"b", "ab"}) {
        const QString rate = p.properties.value(QLatin1String(key)).toString();
        QVERIFY2(rate.endsWith(QLatin1Char('K')) && rate.chopped(1).toInt() > 0,
                 qPrintable(id + QLatin1Char(' ') + key));
    }
    const QString ext = p.properties.value(QStringLiteral("/ext_name")).toString();
    if (ext == QLatin1String("flv"))
        QCOMPARE(m_shipped.profileType(id), 3);
    else
        QVERIFY(m_shipped.profileType(id) != 3);
    if (p.properties.value(QStringLiteral("/name")).toString().compare(QLatin1String("PSP"), Qt::CaseInsensitive) == 0)
        QCOMPARE(p.properties.value(QStringLiteral("/name")).toString(), QStringLiteral("PSP"));
}

void ProfilesTests::shippedKeysAreCatalogued()
{
    // A misspelt key would reach the encoder as an unknown option and be
    // ignored there, so every key must be one the panels describe.
    const QStringList known = m_shipped.profileItemKeys();
    for (const QString& id : m_shipped.profileIds()) {
        ZumProfileData p;
        p.url = id;
        QVERIFY(m_shipped.getPresetData(p));
        for (auto it = p.properties.cbegin(); it != p.properties.cend(); ++it)
            QVERIFY2(known.contains(it.key()), qPrintable(id + QStringLiteral(": ") + it.key()));
    }
    ZumProfileData def;
    def.url = QStringLiteral("mpeg4h264");
    QVERIFY(m_shipped.getPresetData(def));
    QCOMPARE(def.properties.value(QStringLiteral("vcodec")).toString(), QStringLiteral("libx264"));
    QCOMPARE(def.properties.value(QStringLiteral("s")).toString(), QStringLiteral("1280x720"));
    QCOMPARE(def.properties.value(QStringLiteral("r")).toString(), QStringLiteral("25"));
}

void ProfilesTests::badFilesAreReportedOthersLoad_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("broken JSON") << "broken.json" << QByteArray("{ \"id\": \"broken\", ");
    QTest::newRow("no id") << "noid.json" << templateText(QString(), QStringLiteral("g"));
    QTest::newRow("id is not the file name")
        << "other.json" << templateText(QStringLiteral("else"), QStringLiteral("g"));
    QTest::newRow("odd size") << "odd.json"
                              << templateText(QStringLiteral("odd"), QStringLiteral("g"), QString(),
                                              QStringLiteral("641x480"));
    QTest::newRow("no group") << "nogroup.json" << templateText(QStringLiteral("nogroup"), QString());
    QTest::newRow("array") << "array.json" << QByteArray("[1, 2]");
    QTest::newRow("object property")
        << "objprop.json"
        << QByteArray("{ \"id\": \"objprop\", \"name\": \"x\", \"group\": \"g\", \"properties\": { \"/name\": \"x\", "
                      "\"/ext_name\": \"mp4\", \"s\": \"640x480\", \"r\": \"25\", \"b\": {} } }");
    QTest::newRow("no frame rate")
        << "norate.json"
        << QByteArray("{ \"id\": \"norate\", \"name\": \"x\", \"group\": \"g\", \"properties\": { \"/name\": \"x\", "
                      "\"/ext_name\": \"mp4\", \"s\": \"640x480\", \"r\": \"fast\" } }");
}

void ProfilesTests::badFilesAreReportedOthersLoad()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, text);
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(QStringLiteral("good.json")),
                      templateText(QStringLiteral("good"), QStringLiteral("g"))));
    QVERIFY(writeFile(dir.filePath(ZuProfileManager::catalogueFileName()), "{}"));
    QVERIFY(writeFile(dir.filePath(file), text));
    ZuProfileManager manager;
    QVERIFY(manager.loadTemplates(dir.path()));
    QCOMPARE(manager.profileIds(), QStringList{QStringLiteral("good")});
    QCOMPARE(manager.loadErrors().size(), 1);
    QVERIFY2(manager.loadErrors().first().startsWith(file), qPrintable(manager.loadErrors().first()));
}

void ProfilesTests::missingFolderLoadsNothing()
{
    ZuProfileManager manager;
    QVERIFY(manager.loadTemplates(kShipped));
    QTemporaryDir dir;
    QVERIFY(!manager.loadTemplates(dir.filePath(QStringLiteral("absent"))));
    QVERIFY(manager.profileIds().isEmpty());
    QVERIFY(!manager.loadErrors().isEmpty());
    // An empty folder is no installation either; the missing catalogue is named.
    QVERIFY(!manager.loadTemplates(dir.path()));
    QVERIFY(manager.loadErrors().join(QLatin1Char(' ')).contains(ZuProfileManager::catalogueFileName()));
}

void ProfilesTests::groupAndProfileOrder()
{
    QTemporaryDir dir;
    QVERIFY(writeFile(dir.filePath(ZuProfileManager::catalogueFileName()),
                      R"({ "groups": [ { "id": "b", "name": "Bee" }, { "id": "unused", "name": "U" },
                                       { "id": "a", "name": { "en": "Ay", "de": "Ah" } } ] })"));
    QVERIFY(
        writeFile(dir.filePath(QStringLiteral("c1.json")), templateText(QStringLiteral("c1"), QStringLiteral("c"))));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a1.json")),
                      templateText(QStringLiteral("a1"), QStringLiteral("a"), QStringLiteral("\"order\": 5, "))));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("a2.json")),
                      templateText(QStringLiteral("a2"), QStringLiteral("a"), QStringLiteral("\"order\": 1, "))));
    QVERIFY(
        writeFile(dir.filePath(QStringLiteral("b1.json")), templateText(QStringLiteral("b1"), QStringLiteral("b"))));
    ZuProfileManager manager;
    QVERIFY(manager.loadTemplates(dir.path()));
    QCOMPARE(manager.groups(), (QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("c")}));
    QCOMPARE(manager.profileIdsOfGroup(QStringLiteral("a")), (QStringList{QStringLiteral("a2"), QStringLiteral("a1")}));
    QCOMPARE(manager.groupName(QStringLiteral("a"), QStringLiteral("de")), QStringLiteral("Ah"));
    QCOMPARE(manager.groupName(QStringLiteral("c")), QStringLiteral("c"));

    ZuProfileModel model;
    model.setProfileManager(&manager);
    model.refresh();
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.item(0)->text(), QStringLiteral("Bee"));
    QCOMPARE(childIds(model.item(1)), (QStringList{QStringLiteral("a2"), QStringLiteral("a1")}));
    QVERIFY(!(model.item(0)->flags() & Qt::ItemIsSelectable));
    QVERIFY(model.item(0)->child(0)->flags() & Qt::ItemIsSelectable);
}

void ProfilesTests::presetLookup_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name"); // expected "/name"; empty: not found
    QTest::newRow("identifier") << "flv"
                                << "FLV";
    QTest::newRow("template path") << kShipped + QStringLiteral("/psp.json") << "PSP";
    QTest::newRow("stored base name") << "mpeg4h264.xyz"
                                      << "MP4 H.264 720p";
    QTest::newRow("path of a missing file") << "/nowhere/wmv.json"
                                            << "WMV";
    QTest::newRow("other case") << "FLV"
                                << "FLV";
    QTest::newRow("unknown") << "nothing"
                             << "";
    QTest::newRow("empty") << ""
                           << "";
}

void ProfilesTests::presetLookup()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    ZumProfileData p;
    p.url = url;
    p.properties.insert(QStringLiteral("keep"), 1);
    QCOMPARE(m_shipped.getPresetData(p), !name.isEmpty());
    if (name.isEmpty()) {
        QCOMPARE(p.properties.keys(), QStringList{QStringLiteral("keep")});
        QVERIFY(p.group.isEmpty());
        return;
    }
    QCOMPARE(p.properties.value(QStringLiteral("/name")).toString(), name);
    QVERIFY(!p.properties.contains(QStringLiteral("keep")));
    QCOMPARE(p.group, m_shipped.profileGroup(url));
}

void ProfilesTests::presetKeepsGivenGroup()
{
    // A profile file of the user's own outside the templates folder, whose
    // base name would also name a template.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("flv.json"));
    QVERIFY(writeFile(path, templateText(QStringLiteral("flv"), QStringLiteral("mine"),
                                         QStringLiteral("\"type\": 7, \"tags\": { \"ext_format\": \"avi\" }, "))));
    ZumProfileData p;
    p.url = path;
    p.group = QStringLiteral("Recent");
    QVERIFY(m_shipped.getPresetData(p));
    QCOMPARE(p.group, QStringLiteral("Recent"));
    QCOMPARE(p.properties.value(QStringLiteral("/ext_name")).toString(), QStringLiteral("mp4"));
    QCOMPARE(m_shipped.profileType(path), 7);
    QCOMPARE(m_shipped.templateTagValue(path, QStringLiteral("ext_format")), QStringLiteral("avi"));

    QVERIFY(writeFile(path, "{ broken"));
    QString error;
    ZumProfileData q;
    QVERIFY(!m_shipped.loadProfileFile(path, q, &error));
    QVERIFY(error.contains(QStringLiteral("flv.json")));
    q.url = path;
    QVERIFY(!m_shipped.getPresetData(q));
}

void ProfilesTests::itemTypes_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("type");
    QTest::newRow("switch") << "an"
                            << "bool";
    QTest::newRow("flag_ prefix") << "flag_deinterlace"
                                  << "bool";
    QTest::newRow("bit rate") << "b"
                              << "bitrate";
    QTest::newRow("size") << "s"
                          << "size";
    QTest::newRow("rate") << "r"
                          << "rate";
    QTest::newRow("codec") << "vcodec"
                           << "choice";
    QTest::newRow("metadata") << "title"
                              << "text";
    QTest::newRow("unknown") << "nosuchkey"
                             << "text";
}

void ProfilesTests::itemTypes()
{
    QFETCH(QString, key);
    QFETCH(QString, type);
    QCOMPARE(m_shipped.profileItemType(key), type);
}

void ProfilesTests::typesAndTags()
{
    QCOMPARE(m_shipped.profileType(QStringLiteral("flv")), 3);
    QCOMPARE(m_shipped.profileType(kShipped + QStringLiteral("/flv.json")), 3);
    QCOMPARE(m_shipped.profileType(QStringLiteral("mpeg4h264")), 0);
    QCOMPARE(m_shipped.profileType(QStringLiteral("nothing")), 0);
    QCOMPARE(m_shipped.templateTagValue(QStringLiteral("psp"), QStringLiteral("ext_format")), QStringLiteral("psp"));
    QCOMPARE(m_shipped.templateTagValue(QStringLiteral("psp.xyz"), QStringLiteral("ext_format")),
             QStringLiteral("psp"));
    QVERIFY(m_shipped.templateTagValue(QStringLiteral("mpeg4h264"), QStringLiteral("ext_format")).isEmpty());
    QVERIFY(m_shipped.templateTagValue(QStringLiteral("nothing"), QStringLiteral("ext_format")).isEmpty());
    QVERIFY(m_shipped.profileItemIsSimple(QStringLiteral("b")));
    QVERIFY(!m_shipped.profileItemIsSimple(QStringLiteral("title")));
}

void ProfilesTests::displayLanguage_data()
{
    QTest::addColumn<QString>("lang");
    QTest::addColumn<QString>("name");
    QTest::newRow("en") << "en"
                        << "WMV Video (640x480)";
    QTest::newRow("de") << "de"
                        << "WMV-Video (640x480)";
    QTest::newRow("de_DE") << "de_DE"
                           << "WMV-Video (640x480)";
    QTest::newRow("untranslated") << "fr"
                                  << "WMV Video (640x480)";
}

void ProfilesTests::displayLanguage()
{
    QFETCH(QString, lang);
    QFETCH(QString, name);
    ZuProfileManager manager;
    QVERIFY(manager.loadTemplates(kShipped));
    manager.setLang(lang);
    ZumProfileData p;
    p.url = QStringLiteral("wmv");
    QVERIFY(manager.getPresetData(p));
    QCOMPARE(p.name, name);

    ZuProfileModel model;
    model.setProfileManager(&manager);
    model.refresh();
    model.setLang(lang);
    QCOMPARE(model.itemFromIndex(model.profileIndex(QStringLiteral("wmv")))->text(), name);
}

void ProfilesTests::normalizeStoredProfile_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QString>("wantUrl");
    QTest::addColumn<QString>("wantGroup");
    QTest::newRow("valid") << "flv"
                           << "web"
                           << "flv"
                           << "web";
    QTest::newRow("unknown url") << "gone"
                                 << "web"
                                 << "mpeg4h264"
                                 << "general";
    QTest::newRow("nothing stored") << ""
                                    << ""
                                    << "mpeg4h264"
                                    << "general";
    QTest::newRow("wrong group") << "flv"
                                 << "general"
                                 << "flv"
                                 << "web";
    QTest::newRow("unknown group") << "psp"
                                   << "nosuch"
                                   << "psp"
                                   << "devices";
    QTest::newRow("recent group") << "psp"
                                  << "Recent"
                                  << "psp"
                                  << "devices";
    QTest::newRow("stored base name") << "mpeg4h264.xyz"
                                      << "general"
                                      << "mpeg4h264"
                                      << "general";
    QTest::newRow("path") << "/somewhere/dvd_pal.json"
                          << ""
                          << "dvd_pal"
                          << "disc";
}

void ProfilesTests::normalizeStoredProfile()
{
    QFETCH(QString, url);
    QFETCH(QString, group);
    QFETCH(QString, wantUrl);
    QFETCH(QString, wantGroup);
    QVERIFY(ZuProfileFileHandler::normalizeProfileUrlAndGroup(m_model.get(), url, group, QStringLiteral("mpeg4h264")));
    QCOMPARE(url, wantUrl);
    QCOMPARE(group, wantGroup);
}

void ProfilesTests::normalizeWithoutDefault()
{
    QString url = QStringLiteral("gone");
    QString group = QStringLiteral("web");
    QVERIFY(ZuProfileFileHandler::normalizeProfileUrlAndGroup(m_model.get(), url, group, QStringLiteral("alsogone")));
    QCOMPARE(url, m_shipped.profileIds().first());
    QCOMPARE(group, m_shipped.groups().first());

    ZuProfileModel empty;
    empty.setProfileManager(nullptr);
    empty.refresh();
    QVERIFY(!ZuProfileFileHandler::normalizeProfileUrlAndGroup(&empty, url, group, QStringLiteral("mpeg4h264")));
    QVERIFY(!ZuProfileFileHandler::normalizeProfileUrlAndGroup(nullptr, url, group, QStringLiteral("mpeg4h264")));
}

void ProfilesTests::recentProfilesOrder()
{
    ZuProfileModel model;
    model.setProfileManager(&m_shipped);
    model.setRecentProfiles({QStringLiteral("flv"), QString(), QStringLiteral("psp"), QStringLiteral("flv")});
    QCOMPARE(model.getRecentProfiles(), (QStringList{QStringLiteral("flv"), QStringLiteral("psp")}));
    model.refresh();
    QCOMPARE(model.item(0)->data(ZuProfileModel::GroupRole).toString(), ZuProfileModel::recentGroup());
    QCOMPARE(childIds(model.item(0)), (QStringList{QStringLiteral("flv"), QStringLiteral("psp")}));

    model.refreshRecentProfiles(QStringLiteral("psp"), QStringLiteral("devices"));
    model.refreshRecentProfiles(kShipped + QStringLiteral("/wmv.json"), QStringLiteral("general"));
    model.refreshRecentProfiles(QStringLiteral("nothing"), QStringLiteral("general"));
    const QStringList expected{QStringLiteral("wmv"), QStringLiteral("psp"), QStringLiteral("flv")};
    QCOMPARE(model.getRecentProfiles(), expected);
    QCOMPARE(childIds(model.item(0)), expected);
    // A recent entry reports the profile's own group, not "Recent".
    QCOMPARE(model.item(0)->child(1)->data(ZuProfileModel::GroupRole).toString(), QStringLiteral("devices"));
    QVERIFY(!model.containsProfile(QStringLiteral("psp"), ZuProfileModel::recentGroup()));

    for (const QString& id : m_shipped.profileIds())
        model.refreshRecentProfiles(id, QString());
    QCOMPARE(model.getRecentProfiles().size(), ZuProfileModel::MaxRecentProfiles);
    QCOMPARE(model.getRecentProfiles().first(), m_shipped.profileIds().last());
    QCOMPARE(childIds(model.item(0)), model.getRecentProfiles());
}

void ProfilesTests::recentGroupUpdatesInPlace()
{
    ZuProfileModel model;
    model.setProfileManager(&m_shipped);
    model.refresh();
    QCOMPARE(model.item(0)->data(ZuProfileModel::GroupRole).toString(), m_shipped.groups().first());
    const QPersistentModelIndex flv(model.profileIndex(QStringLiteral("flv"), QStringLiteral("web")));
    QVERIFY(flv.isValid());
    model.refreshRecentProfiles(QStringLiteral("flv"), QStringLiteral("web"));
    QCOMPARE(model.rowCount(), m_shipped.groups().size() + 1);
    // The combo box's current item must survive the Recent group appearing.
    QVERIFY(flv.isValid());
    QCOMPARE(flv.data(ZuProfileModel::IdRole).toString(), QStringLiteral("flv"));
    QCOMPARE(flv.parent().data(ZuProfileModel::GroupRole).toString(), QStringLiteral("web"));
    model.setRecentProfiles({});
    QCOMPARE(model.rowCount(), m_shipped.groups().size());
    QVERIFY(flv.isValid());
}

std::unique_ptr<QObject> makeProfilesTests() { return std::make_unique<ProfilesTests>(); }

#include "tst_profiles.moc"
