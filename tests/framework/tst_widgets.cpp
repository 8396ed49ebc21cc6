// Framework widgets: message boxes and their hook, language and skin lists, language switch, dialog geometry.
#include "qtsingleapplication.h"
#include "testsupport.h"
#include "zudialog.h"
#include "zulangitemmodel.h"
#include "zumainwindow.h"
#include "zumessagebox.h"
#include "zuskinitemmodel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

void touch(const QString& path)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write("not a real catalogue");
}

} // namespace

class WidgetsTests : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void messageBoxes_data();
    void messageBoxes();
    void questionReturnsTheAnswer();
    void realBoxWithoutHook();
    void languageList();
    void languageChoice();
    void languageSwitchRetranslatesWindows();
    void skinList();
    void dialogGeometryIsRemembered();
};

void WidgetsTests::cleanup() { ZuMessageBox::setAnswerHook({}); }

void WidgetsTests::messageBoxes_data()
{
    QTest::addColumn<bool>("isAlert");
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("productTitle");
    QTest::addColumn<QString>("shownTitle");
    QTest::addColumn<int>("icon");
    QTest::newRow("info, no title") << false << QString() << true << QStringLiteral("Reelwright")
                                    << int(QMessageBox::Information);
    QTest::newRow("alert, no title") << true << QString() << true << QStringLiteral("Reelwright")
                                     << int(QMessageBox::Warning);
    QTest::newRow("alert, own title") << true << QStringLiteral("Error") << true << QStringLiteral("Error")
                                      << int(QMessageBox::Warning);
    QTest::newRow("info, bare") << false << QString() << false << QString() << int(QMessageBox::Information);
}

void WidgetsTests::messageBoxes()
{
    QFETCH(bool, isAlert);
    QFETCH(QString, title);
    QFETCH(bool, productTitle);
    QFETCH(QString, shownTitle);
    QFETCH(int, icon);
    int asked = 0;
    ZuMessageBox::setAnswerHook([&](QMessageBox& box) {
        ++asked;
        [&] {
            QCOMPARE(box.text(), QStringLiteral("Some files have not been added to the list:\n/a.jpg\t"));
            QCOMPARE(box.windowTitle(), shownTitle);
            QCOMPARE(int(box.icon()), icon);
            QCOMPARE(box.standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
            QCOMPARE(box.textFormat(), Qt::PlainText);
        }();
        return QMessageBox::Ok;
    });
    const QString text = QStringLiteral("Some files have not been added to the list:\n/a.jpg\t");
    if (isAlert)
        ZuMessageBox::alert(text, title, nullptr, productTitle);
    else
        ZuMessageBox::info(text, title, nullptr, productTitle);
    QCOMPARE(asked, 1);
}

void WidgetsTests::questionReturnsTheAnswer()
{
    QWidget parent;
    QMessageBox::StandardButton defaultSeen = QMessageBox::NoButton;
    QWidget* parentSeen = nullptr;
    ZuMessageBox::setAnswerHook([&](QMessageBox& box) {
        defaultSeen = box.standardButton(box.defaultButton());
        parentSeen = box.parentWidget();
        return QMessageBox::Yes;
    });
    const auto answer =
        ZuMessageBox::question(QStringLiteral("Are you sure to quit update wizard?"), QStringLiteral("Reelwright"),
                               QMessageBox::Yes | QMessageBox::No, &parent, QMessageBox::No);
    QCOMPARE(answer, QMessageBox::Yes);
    QCOMPARE(defaultSeen, QMessageBox::No);
    QCOMPARE(parentSeen, &parent);
}

void WidgetsTests::realBoxWithoutHook()
{
    // The ordinary modal path, answered the way a person would.
    QString seenText;
    whenModal([&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        seenText = box->text();
        QCOMPARE(box->standardButton(box->defaultButton()), QMessageBox::No);
        QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    });
    const auto answer = ZuMessageBox::question(QStringLiteral("Quit?"), QString(), QMessageBox::Yes | QMessageBox::No,
                                               nullptr, QMessageBox::No);
    QCOMPARE(answer, QMessageBox::Yes);
    QCOMPARE(seenText, QStringLiteral("Quit?"));
}

void WidgetsTests::languageList()
{
    QTemporaryDir dir;
    for (const char* name : {"reelwright_de.qm", "reelwright_pt_BR.qm", "reelwright_xx.qm", "other_fr.qm",
                             "reelwright_en.qm", "reelwright_it.txt"})
        touch(dir.filePath(QString::fromLatin1(name)));
    ZuLangItemModel model;
    model.scan(dir.path());

    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.data(model.index(row), ZuLangItemModel::NameRole).toString());
    QCOMPARE(names, (QStringList{"en", "de", "pt_BR"}));

    QVERIFY(model.lang(QStringLiteral("de")));
    QCOMPARE(model.lang(QStringLiteral("de"))->localeName(), QStringLiteral("de_DE"));
    QCOMPARE(model.lang(QStringLiteral("DE_de")), model.lang(QStringLiteral("de")));
    QCOMPARE(model.lang(QStringLiteral("pt_BR"))->qmFile(), dir.filePath(QStringLiteral("reelwright_pt_BR.qm")));
    QVERIFY(model.lang(QStringLiteral("en"))->qmFile().isEmpty());
    QVERIFY(!model.lang(QStringLiteral("fr")));
    QVERIFY(!model.lang(QString()));
    QCOMPARE(model.data(model.index(1), Qt::DisplayRole).toString(), QStringLiteral("Deutsch"));

    QCOMPARE(model.bestMatch(QLocale(QStringLiteral("de_AT")))->name(), QStringLiteral("de"));
    QCOMPARE(model.bestMatch(QLocale(QStringLiteral("pt_BR")))->name(), QStringLiteral("pt_BR"));
    QCOMPARE(model.bestMatch(QLocale(QStringLiteral("fr_FR")))->name(), QStringLiteral("en"));
}

void WidgetsTests::languageChoice()
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("reelwright_de.qm")));
    ZuLangItemModel model;
    model.scan(dir.path());
    QSignalSpy changes(&model, &ZuLangItemModel::currentLangChanged);

    QVERIFY(!model.setCurrentLang(QStringLiteral("fr")));
    QCOMPARE(model.currentLangName(), QStringLiteral("en"));
    QVERIFY(model.setCurrentLang(QStringLiteral("de_DE")));
    QCOMPARE(model.currentLangName(), QStringLiteral("de"));
    QVERIFY(model.setCurrentLang(QStringLiteral("de")));
    QCOMPARE(changes.size(), 1); // choosing the current one again changes nothing
    QCOMPARE(model.data(model.index(1), Qt::CheckStateRole).toInt(), int(Qt::Checked));

    // The catalogue disappears: back to the built-in language.
    QVERIFY(QFile::remove(dir.filePath(QStringLiteral("reelwright_de.qm"))));
    model.scan(dir.path());
    QCOMPARE(model.currentLangName(), QStringLiteral("en"));
    QCOMPARE(changes.size(), 2);
}

void WidgetsTests::languageSwitchRetranslatesWindows()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("translations")));
    QVERIFY(
        QFile::copy(QStringLiteral(FRAMEWORK_TEST_QM), dir.filePath(QStringLiteral("translations/reelwright_de.qm"))));
    ZuLangItemModel* langs = zuApp->langModel();
    langs->scan(dir.filePath(QStringLiteral("translations")));
    langs->setCurrentLang(QStringLiteral("en"));

    ZuMainWindow window;
    window.initialize();
    QCOMPARE(window.windowMenu()->title(), QStringLiteral("&Tools"));

    QVERIFY(langs->setCurrentLang(QStringLiteral("de")));
    QCoreApplication::processEvents(); // LanguageChange is posted
    QCOMPARE(window.windowMenu()->title(), QStringLiteral("&Werkzeuge"));
    QCOMPARE(ZuApplication::pref()->value(QStringLiteral("Language")).toString(), QStringLiteral("de"));

    QVERIFY(langs->setCurrentLang(QStringLiteral("en")));
    QCoreApplication::processEvents();
    QCOMPARE(window.windowMenu()->title(), QStringLiteral("&Tools"));
    langs->scan(ZuPref::appDir() + QStringLiteral("/translations"));
}

void WidgetsTests::skinList()
{
    ZuSkinItemModel model;
    QCOMPARE(model.rowCount(), 1);
    const ZuSkin* skin = model.skin(QStringLiteral("default"));
    QVERIFY(skin);
    QCOMPARE(model.currentSkinName(), ZuSkinItemModel::defaultSkinName());
    QVERIFY(!model.skin(QStringLiteral("Dark")));
    QVERIFY(!model.setCurrentSkin(QStringLiteral("Dark")));
    QCOMPARE(model.currentSkinName(), ZuSkinItemModel::defaultSkinName());
    QVERIFY(model.setCurrentSkin(QStringLiteral("DEFAULT")));
    // Skin images are Qt resources below the skin's root.
    QCOMPARE(skin->dir(), ZuPref::skinDir());
    QVERIFY((ZuPref::skinDir() + QStringLiteral("/app_reelwright/transition.png")).startsWith(QStringLiteral(":/")));
}

void WidgetsTests::dialogGeometryIsRemembered()
{
    const QString name = QStringLiteral("GeometryProbe");
    {
        ZuDialog dialog;
        dialog.setObjectName(name);
        dialog.enableRestoreFrameGeometry(true);
        dialog.show();
        dialog.resize(321, 234);
        dialog.hide();
    }
    ZuDialog again;
    again.setObjectName(name);
    again.setDefaultSize(QSize(100, 100));
    QVERIFY(again.restoreFrameGeometry());
    QCOMPARE(again.size(), QSize(321, 234));

    ZuDialog unknown;
    unknown.setObjectName(QStringLiteral("NeverShown"));
    unknown.setDefaultSize(QSize(150, 90));
    QVERIFY(!unknown.restoreFrameGeometry());
    QCOMPARE(unknown.size(), QSize(150, 90));
}

std::unique_ptr<QObject> makeWidgetsTests() { return std::make_unique<WidgetsTests>(); }

#include "tst_widgets.moc"
