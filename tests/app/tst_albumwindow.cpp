// Album files through the main window: File and Edit menus, title, unsaved
// changes, bad and incomplete files, recent list, drops and a round trip.
// Every dialog is answered through its test hook.

#include "apptests.h"

#include "albumfile.h"
#include "avplayer.h"
#include "compileprogress.h"
#include "loudness.h"
#include "missingfiles.h"
#include "outputsetting.h"
#include "recentalbums.h"
#include "reelwright.h"
#include "samplemedia.h"
#include "zufolderdialog.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>

namespace {

QString media(const char* name) { return sampleMediaFile(QLatin1String(name)); }

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Mean difference per channel of two pictures of one size, 0..255.
double difference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255.0;
    double sum = 0.0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class TestAlbumWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    // What the dialogs showed and what they answer; reset for every test.
    struct Hooks {
        QStringList messages, questions, imports, saveDialogs;
        QMessageBox::StandardButton answer = QMessageBox::Cancel;
        QString open, save, folder;
    } m_hooks;

    template <typename T>
    T* child(const char* name) const
    {
        T* object = m_window->findChild<T*>(QLatin1String(name));
        if (!object)
            qFatal("no child %s", name);
        return object;
    }
    void trigger(const char* action) { child<QAction>(action)->trigger(); }
    template <typename T>
    void whenModal(std::function<bool(T*)> answer)
    {
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [timer, answer] {
            if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
                if (answer(dialog))
                    timer->deleteLater();
        });
        timer->start(20);
    }
    void importFiles(const QStringList& files, const char* action = "actionImportPhotos")
    {
        m_hooks.imports = files;
        trigger(action);
    }
    // These photos saved as album `name`, then a new album in the window.
    QString albumOnDisk(const QStringList& photos, const QString& name)
    {
        importFiles(photos);
        const QString file = m_dir.filePath(name + QStringLiteral(".reelwright"));
        const bool saved = m_window->saveAlbum(file);
        trigger("actionNew");
        return saved ? file : QString();
    }
    void setSpin(const char* name, int value)
    {
        auto* spin = child<QSpinBox>(name);
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, QString::number(value));
        QTest::keyClick(spin, Qt::Key_Return);
        QCOMPARE(spin->value(), value);
    }
    void selectPhoto(int index)
    {
        auto* strip = child<QListWidget>("photoListWidget");
        QTest::mouseClick(strip->viewport(), Qt::LeftButton, {},
                          strip->visualItemRect(strip->item(2 * index)).center());
    }
    // The album as its file would hold it.
    QByteArray albumBytes()
    {
        const QString file = m_dir.filePath(QStringLiteral("snapshot.reelwright"));
        QString error;
        if (!AlbumFile::write(file, m_window->albumDocument().contents(), &error))
            qWarning("%s", qPrintable(error));
        return readAll(file);
    }
    // Entries of Open Recent, greyed ones in parentheses.
    QStringList recentMenu()
    {
        QCoreApplication::processEvents();
        auto* menu = child<QMenu>("menuOpenRecent");
        emit menu->aboutToShow();
        QStringList entries;
        for (const QAction* action : menu->actions()) {
            const QString text = action->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
            if (!action->isSeparator())
                entries << (action->isEnabled() ? text : QStringLiteral("(") + text + QLatin1Char(')'));
        }
        return entries;
    }
    QString title() const { return m_window->windowTitle(); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QApplication::setQuitOnLastWindowClosed(false); // closing is tested
        ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
        QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
        ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
            (box.icon() == QMessageBox::Question ? m_hooks.questions : m_hooks.messages) << box.text();
            return box.icon() == QMessageBox::Question ? m_hooks.answer : QMessageBox::Ok;
        });
        Reelwright::setFileDialogHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_hooks.imports; });
        Reelwright::setOpenAlbumDialogHook(
            [this](QWidget*, const QString&, const QString&, const QString&) { return m_hooks.open; });
        Reelwright::setSaveAlbumDialogHook([this](QWidget*, const QString&, const QString& dir, const QString&) {
            m_hooks.saveDialogs << dir;
            return m_hooks.save;
        });
        ZuFolderDialog::setAnswerHook([this](const QString&) { return m_hooks.folder; });
    }

    void init()
    {
        m_pref = std::make_unique<ZuPref>(
            m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QTest::currentTestFunction())));
        ZuPref::setInstance(m_pref.get());
        m_hooks = {};
        m_window = std::make_unique<Reelwright>();
        m_window->resize(1100, 760);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        ZuPref::setInstance(nullptr);
        m_pref.reset();
    }

    void cleanupTestCase()
    {
        ZuMessageBox::setAnswerHook({});
        ZuFolderDialog::setAnswerHook({});
        Reelwright::setFileDialogHook({});
        Reelwright::setOpenAlbumDialogHook({});
        Reelwright::setSaveAlbumDialogHook({});
    }

    void menusAndShortcuts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("new") << "actionNew" << QStringList{"Ctrl+N"};
        QTest::newRow("open") << "actionOpen" << QStringList{"Ctrl+O"};
        QTest::newRow("save") << "actionSave" << QStringList{"Ctrl+S"};
        QTest::newRow("save as") << "actionSaveAs" << QStringList{"Ctrl+Shift+S"};
        QTest::newRow("undo") << "actionUndo" << QStringList{"Ctrl+Z"};
        QTest::newRow("redo") << "actionRedo" << QStringList{"Ctrl+Shift+Z", "Ctrl+Y"};
    }

    void menusAndShortcuts()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, keys);
        const auto texts = [this](const char* menu) {
            QStringList texts;
            for (const QAction* entry : child<QMenu>(menu)->actions())
                texts << (entry->isSeparator() ? QStringLiteral("|") : entry->text());
            return texts;
        };
        QCOMPARE(texts("menuFile").mid(0, 8),
                 QString("&New,&Open...,Open &Recent,|,&Save,Save &As...,|,&Import Photo(s)...").split(','));
        QCOMPARE(texts("menuEdit").mid(0, 4), QString("Undo,Redo,|,&Delete").split(','));
        auto* command = child<QAction>(qPrintable(action));
        QStringList bound;
        for (const QKeySequence& key : command->shortcuts())
            bound << key.toString();
        for (const QString& key : keys)
            QVERIFY2(bound.contains(key), qPrintable(bound.join(QLatin1Char(' '))));
        // No other command of the window answers the same keys.
        for (const QAction* other : m_window->findChildren<QAction*>())
            for (const QKeySequence& key : other->shortcuts())
                QVERIFY2(other == command || !command->shortcuts().contains(key),
                         qPrintable(other->objectName() + QStringLiteral(" also has ") + key.toString()));
    }

    void titleFollowsCleanState()
    {
        QCOMPARE(title(), QStringLiteral("Untitled - Reelwright"));
        QVERIFY(!child<QAction>("actionUndo")->isEnabled());
        importFiles({media("flower.jpg"), media("raindrops.jpg")});
        QCOMPARE(title(), QStringLiteral("Untitled* - Reelwright"));

        // Save on an album without a file asks where to put it.
        m_hooks.save = m_dir.filePath(QStringLiteral("Holiday"));
        trigger("actionSave");
        QCOMPARE(m_hooks.saveDialogs.size(), 1);
        QCOMPARE(m_window->albumFilePath(), m_dir.filePath(QStringLiteral("Holiday.reelwright")));
        QVERIFY(QFileInfo::exists(m_window->albumFilePath()));
        QCOMPARE(title(), QStringLiteral("Holiday - Reelwright"));

        selectPhoto(1);
        trigger("actionTurnLeft");
        QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
        QCOMPARE(child<QAction>("actionUndo")->text(), QStringLiteral("Undo Turn Left"));
        // Without a window manager nobody gives the focus back after a dialog.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        child<QWidget>("photoListWidget")->setFocus();

        const auto keys = [this](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
            QTest::keyClick(m_window.get(), key, modifiers);
            return m_window->storyBoardData().photos.value(1).procs.size();
        };
        QCOMPARE(keys(Qt::Key_Z), 0);
        QCOMPARE(title(), QStringLiteral("Holiday - Reelwright"));
        QCOMPARE(child<QAction>("actionRedo")->text(), QStringLiteral("Redo Turn Left"));
        QCOMPARE(keys(Qt::Key_Y), 1);
        QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
        QCOMPARE(keys(Qt::Key_Z), 0);
        QCOMPARE(keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier), 1);

        // Undone past the save, the album differs from its file again.
        keys(Qt::Key_Z);
        keys(Qt::Key_Z);
        QVERIFY(m_window->storyBoardData().photos.isEmpty());
        QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
        m_window->retranslate();
        QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
        m_window->setAlbumFilePath(m_dir.filePath(QStringLiteral("Recovered.reelwright")));
        QCOMPARE(title(), QStringLiteral("Recovered* - Reelwright"));
    }

    void unsavedChanges_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("savedOnAsking"); // the album had a file before the question
        QTest::addColumn<bool>("goesOn");
        const int save = QMessageBox::Save, discard = QMessageBox::Discard, cancel = QMessageBox::Cancel;
        for (const char* command : {"close", "new", "open"}) {
            const QByteArray name(command);
            QTest::newRow((name + ", save").constData()) << command << save << true << true;
            QTest::newRow((name + ", save a new album").constData()) << command << save << false << true;
            QTest::newRow((name + ", discard").constData()) << command << discard << true << true;
            QTest::newRow((name + ", cancel").constData()) << command << cancel << true << false;
        }
        QTest::newRow("close, save a new album, no file chosen") << "close" << save << false << false;
    }

    void unsavedChanges()
    {
        QFETCH(QString, command);
        QFETCH(int, answer);
        QFETCH(bool, savedOnAsking);
        QFETCH(bool, goesOn);
        const bool chooseFile = QByteArray(QTest::currentDataTag()).endsWith("new album");

        const QString other = albumOnDisk({media("bird-exif6.jpg")}, QStringLiteral("Other"));
        QVERIFY(!other.isEmpty() && m_hooks.questions.isEmpty());
        QVERIFY(m_window->storyBoardData().photos.isEmpty());
        importFiles({media("flower.jpg"), media("raindrops.jpg")});
        const QString own = m_dir.filePath(QStringLiteral("Own-%1.reelwright").arg(QTest::currentDataTag()));
        QFile::remove(own);
        if (savedOnAsking) {
            QVERIFY(m_window->saveAlbum(own));
            selectPhoto(0);
            trigger("actionMirror");
        }
        QVERIFY(title().contains(QLatin1Char('*')));
        const QByteArray before = albumBytes();
        m_hooks.answer = QMessageBox::StandardButton(answer);
        m_hooks.save = chooseFile ? own : QString();
        m_hooks.open = other;

        bool closed = false;
        if (command == QStringLiteral("close"))
            closed = m_window->close();
        else
            trigger(command == QStringLiteral("new") ? "actionNew" : "actionOpen");

        QCOMPARE(m_hooks.questions.size(), 1);
        QVERIFY2(m_hooks.questions.first().contains(savedOnAsking ? QStringLiteral("\"Own-")
                                                                  : QStringLiteral("\"Untitled\"")),
                 qPrintable(m_hooks.questions.first()));
        if (answer == QMessageBox::Save && (savedOnAsking || chooseFile)) {
            QVERIFY(goesOn);
            // The file holds the album as it was when the question came.
            const AlbumFile::ReadResult saved = AlbumFile::read(own);
            QVERIFY2(saved.ok, qPrintable(saved.error));
            QCOMPARE(saved.album.photos.size(), 2);
            QCOMPARE(saved.album.photos.at(0).procs.size(), savedOnAsking ? 1 : 0);
        }
        if (!goesOn) {
            QCOMPARE(albumBytes(), before);
            QVERIFY(m_window->isVisible());
            QVERIFY(title().contains(QLatin1Char('*')));
        } else if (command == QStringLiteral("close")) {
            QVERIFY(closed);
            QVERIFY(!m_window->isVisible());
        } else {
            const bool open = command == QStringLiteral("open");
            QCOMPARE(m_window->storyBoardData().photos.size(), open ? 1 : 0);
            QCOMPARE(m_window->albumFilePath(), open ? other : QString());
            QCOMPARE(title(), open ? QStringLiteral("Other - Reelwright") : QStringLiteral("Untitled - Reelwright"));
        }
    }

    // Bad album files, and a save that fails, leave the album as it was.
    void badFilesKeepAlbum_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"not JSON", "empty", "truncated", "newer format", "wrong types", "not a JSON object",
                                 "not there", "a folder", "saved into a missing folder"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void badFilesKeepAlbum()
    {
        QFETCH(QString, kind);
        importFiles({media("flower.jpg"), media("raindrops.jpg")});
        const QString good = m_dir.filePath(QStringLiteral("Good.reelwright"));
        QVERIFY(m_window->saveAlbum(good));
        const QByteArray valid = readAll(good);
        QVERIFY(!valid.isEmpty());

        const bool saving = kind == QStringLiteral("saved into a missing folder");
        const QString bad =
            m_dir.filePath(QStringLiteral("%1Bad-%2.reelwright").arg(QLatin1String(saving ? "missing/" : ""), kind));
        const QJsonObject root = QJsonDocument::fromJson(valid).object();
        QJsonObject newer = root, types = root;
        newer[QStringLiteral("format")] = AlbumFile::Format + 1;
        types[QStringLiteral("photos")] = QStringLiteral("not a list");
        const QHash<QString, QByteArray> bytes{{"not JSON", "These are my holiday photos.\n"},
                                               {"empty", {}},
                                               {"truncated", valid.left(valid.size() / 2)},
                                               {"newer format", QJsonDocument(newer).toJson()},
                                               {"wrong types", QJsonDocument(types).toJson()},
                                               {"not a JSON object", QJsonDocument(QJsonArray{root}).toJson()}};
        if (bytes.contains(kind))
            QVERIFY(writeAll(bad, bytes.value(kind)));
        else if (kind == QStringLiteral("a folder"))
            QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(bad).fileName()));

        // The current album: saved, then changed.
        selectPhoto(0);
        trigger("actionTurnRight");
        child<QSpinBox>("spinBox")->setValue(3000);
        const QByteArray before = albumBytes();
        QCOMPARE(title(), QStringLiteral("Good* - Reelwright"));

        m_hooks.answer = QMessageBox::Discard;
        QVERIFY(saving ? !m_window->saveAlbum(bad) : !m_window->openAlbum(bad));
        QVERIFY(!RecentAlbums::stored().contains(bad));
        QCOMPARE(m_hooks.messages.size(), 1);
        QVERIFY2(m_hooks.messages.first().contains(QFileInfo(bad).fileName()), qPrintable(m_hooks.messages.first()));
        QCOMPARE(albumBytes(), before);
        QCOMPARE(title(), QStringLiteral("Good* - Reelwright"));
        QVERIFY(m_window->albumDocument().isModified());
        QCOMPARE(m_window->albumFilePath(), good);
        QCOMPARE(child<QSpinBox>("spinBox")->value(), 3000);
        QCOMPARE(child<QListWidget>("photoListWidget")->count(), 3);
        // Undo still reaches back to the saved album.
        trigger("actionUndo");
        trigger("actionUndo");
        QCOMPARE(title(), QStringLiteral("Good - Reelwright"));
        QCOMPARE(child<QSpinBox>("spinBox")->value(), 5000);
    }

    void missingFiles_data()
    {
        QTest::addColumn<bool>("moveFolder");   // the photo folder is renamed after saving
        QTest::addColumn<bool>("deleteSecond"); // the second photo is deleted after saving
        QTest::addColumn<QString>("steps");     // what the user does in the report
        QTest::addColumn<QList<int>>("listed"); // lines in the report before each step
        QTest::addColumn<int>("photos");        // photos of the opened album, -1: not opened
        QTest::addColumn<int>("clips");
        QTest::newRow("moved, found in the new folder") << true << false << "look" << QList<int>{4} << 3 << 1;
        QTest::newRow("moved, one lost on the way") << true << true << "look,without" << QList<int>{4, 1} << 2 << 1;
        QTest::newRow("one deleted, open without it") << false << true << "without" << QList<int>{1} << 2 << 1;
        QTest::newRow("looked in the wrong folder, cancelled")
            << true << false << "wrong,cancel" << QList<int>{4, 4} << -1 << 0;
    }

    void missingFiles()
    {
        QFETCH(bool, moveFolder);
        QFETCH(bool, deleteSecond);
        QFETCH(QString, steps);
        QFETCH(QList<int>, listed);
        QFETCH(int, photos);
        QFETCH(int, clips);

        QTemporaryDir place(m_dir.filePath(QStringLiteral("missing-XXXXXX")));
        const QDir root(place.path());
        QVERIFY(root.mkpath(QStringLiteral("pictures")) && root.mkpath(QStringLiteral("elsewhere")));
        QStringList copies;
        for (const char* name : {"flower.jpg", "raindrops.jpg", "bird-exif6.jpg", "knolls-20s.ogg"}) {
            copies << root.filePath(QStringLiteral("pictures/") + QLatin1String(name));
            QVERIFY(QFile::copy(media(name), copies.last()));
        }
        importFiles(copies.mid(0, 3));
        importFiles({copies.at(3)}, "actionImportAudio");
        const QString file = root.filePath(QStringLiteral("Trip.reelwright"));
        QVERIFY(m_window->saveAlbum(file));
        const QString moved = root.filePath(QLatin1String(moveFolder ? "moved" : "pictures"));
        if (moveFolder)
            QVERIFY(QDir().rename(root.filePath(QStringLiteral("pictures")), moved));
        if (deleteSecond)
            QVERIFY(QFile::remove(moved + QStringLiteral("/raindrops.jpg")));

        // Another album is open when the incomplete one is asked for.
        trigger("actionNew");
        importFiles({media("clock-portrait-exif3.jpg")});
        QVERIFY(m_window->saveAlbum(m_dir.filePath(QStringLiteral("Current.reelwright"))));
        const QByteArray current = albumBytes();

        QList<int> seen;
        QStringList firstList;
        QStringList todo = steps.split(QLatin1Char(','));
        whenModal<MissingFiles>([&](MissingFiles* report) {
            const QString text = report->findChild<QPlainTextEdit*>(QStringLiteral("missingList"))->toPlainText();
            if (firstList.isEmpty())
                firstList = text.split(QLatin1Char('\n'));
            seen << int(text.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size());
            const QString step = todo.takeFirst();
            if (step == QStringLiteral("look") || step == QStringLiteral("wrong"))
                m_hooks.folder = step == QStringLiteral("look") ? moved : root.filePath(QStringLiteral("elsewhere"));
            const char* button = step == QStringLiteral("without")  ? "openWithout"
                                 : step == QStringLiteral("cancel") ? "cancel"
                                                                    : "lookInFolder";
            report->findChild<QPushButton*>(QLatin1String(button))->click();
            return todo.isEmpty();
        });
        const bool opened = m_window->openAlbum(file);
        QCOMPARE(seen, listed);
        QVERIFY(todo.isEmpty());
        // The report names the missing files where the album expected them.
        QVERIFY2(firstList.contains(QDir::toNativeSeparators(copies.at(1))),
                 qPrintable(firstList.join(QLatin1Char('|'))));
        QVERIFY(m_hooks.messages.isEmpty());

        QCOMPARE(opened, photos >= 0);
        if (!opened) {
            QCOMPARE(albumBytes(), current);
            QCOMPARE(title(), QStringLiteral("Current - Reelwright"));
            return;
        }
        const StoryBoardData& album = m_window->storyBoardData();
        QCOMPARE(album.photos.size(), photos);
        QCOMPARE(album.audios.size(), clips);
        for (const ImageInfo& photo : album.photos)
            QVERIFY2(QFileInfo(photo.filePath).isFile(), qPrintable(photo.filePath));
        for (const AudioInfo& clip : album.audios)
            QVERIFY2(QFileInfo(clip.filePath).isFile(), qPrintable(clip.filePath));
        QCOMPARE(child<QListWidget>("photoListWidget")->count(), std::max(0, 2 * photos - 1));
        QCOMPARE(title(), QStringLiteral("Trip - Reelwright"));
    }

    void recentAlbums()
    {
        const QStringList cleared{QStringLiteral("(Clear Menu)")}, clear{QStringLiteral("Clear Menu")};
        QCOMPARE(recentMenu(), cleared);
        importFiles({media("flower.jpg")});
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("recent")));
        QStringList files;
        for (int i = 0; i < 12; ++i) {
            files.prepend(m_dir.filePath(QStringLiteral("recent/A&B %1.reelwright").arg(i)));
            QVERIFY(m_window->saveAlbum(files.first()));
        }
        QStringList expected = files.mid(0, RecentAlbums::Limit);
        QCOMPARE(recentMenu(), expected + clear);

        // Opening an older one puts it first; a vanished one goes last, greyed.
        QVERIFY(m_window->openAlbum(files.at(6)));
        expected.move(6, 0);
        QCOMPARE(recentMenu(), expected + clear);
        QVERIFY(QFile::remove(files.at(2)));
        expected.removeAll(files.at(2));
        expected << QStringLiteral("(") + files.at(2) + QLatin1Char(')');
        QCOMPARE(recentMenu(), expected + clear);

        child<QMenu>("menuOpenRecent")->actions().at(1)->trigger();
        QCOMPARE(m_window->albumFilePath(), files.at(0));
        QCOMPARE(recentMenu().first(), files.at(0));
        trigger("actionClearRecent");
        QCOMPARE(recentMenu(), cleared);
        QVERIFY(RecentAlbums::stored().isEmpty());
    }

    void droppedAlbumOpens_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<bool>("opens");
        const QString album = QStringLiteral("Dropped.reelwright");
        QTest::newRow("on the window") << "window" << QStringList{album} << true;
        QTest::newRow("on the photo strip") << "photoListWidget" << QStringList{album} << true;
        QTest::newRow("on the sound strip") << "audioListWidget" << QStringList{album} << true;
        QTest::newRow("with photos, on the photo strip")
            << "photoListWidget" << QStringList{media("flower.jpg"), album} << true;
        QTest::newRow("photos still import") << "photoListWidget" << QStringList{media("flower.jpg")} << false;
    }

    void droppedAlbumOpens()
    {
        QFETCH(QString, target);
        QFETCH(QStringList, dropped);
        QFETCH(bool, opens);
        const QString file = albumOnDisk({media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg")},
                                         QStringLiteral("Dropped"));
        QVERIFY(!file.isEmpty());
        importFiles({media("clock-portrait-exif3.jpg")});
        m_hooks.answer = QMessageBox::Discard;

        QWidget* receiver = target == QStringLiteral("window")
                                ? static_cast<QWidget*>(m_window.get())
                                : child<QAbstractScrollArea>(qPrintable(target))->viewport();
        QMimeData mime;
        QList<QUrl> urls;
        for (const QString& name : dropped)
            urls << QUrl::fromLocalFile(QFileInfo(name).isAbsolute() ? name : m_dir.filePath(name));
        mime.setUrls(urls);
        const QPoint at = receiver->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(receiver, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, {});
        QApplication::sendEvent(receiver, &drop);
        QVERIFY(drop.isAccepted());

        if (opens)
            QTRY_COMPARE(m_window->albumFilePath(), file);
        else
            QTest::qWait(50);
        QCOMPARE(m_window->albumFilePath(), opens ? file : QString());
        QCOMPARE(m_hooks.questions.size(), opens ? 1 : 0);
        QCOMPARE(m_window->storyBoardData().photos.size(), opens ? 3 : 2);
    }

    void openReadsPhotosInBackground()
    {
        const QString file =
            albumOnDisk({media("flower.jpg"), media("raindrops.jpg"), media("flower.jpg")}, QStringLiteral("Probe"));
        QVERIFY(m_window->openAlbum(file));
        // Two distinct files: the same photo twice is read once.
        QCOMPARE(child<QLabel>("probeLabel")->text(), QStringLiteral("Reading photos 0 of 2"));
        QVERIFY(m_window->statusBar()->isVisible());
        QTRY_VERIFY(!m_window->statusBar()->isVisible());
        for (const ImageInfo& photo : m_window->storyBoardData().photos)
            QVERIFY(!photo.thumbnail.isNull());
        // Details filled in afterwards are no change of the album, and the
        // steps of the album edited before are no steps of this one.
        QVERIFY(!m_window->albumDocument().isModified());
        QVERIFY(!child<QAction>("actionUndo")->isEnabled());
        QCOMPARE(title(), QStringLiteral("Probe - Reelwright"));
    }

    void outputGoesWithAlbum()
    {
        importFiles({media("flower.jpg"), media("raindrops.jpg")});
        setSpin("spinBox", 1000);
        setSpin("spinBox_2", 500);
        const QString videos = m_dir.filePath(QStringLiteral("videos"));
        QVERIFY(QDir().mkpath(videos));
        whenModal<OutputSetting>([videos](OutputSetting* dialog) {
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEditOutputPath"))->setText(videos);
            dialog->findChild<QLineEdit*>(QStringLiteral("lineEditFilename"))->setText(QStringLiteral("Trip Video"));
            dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))->button(QDialogButtonBox::Ok)->click();
            return true;
        });
        whenModal<CompileProgress>([](CompileProgress* dialog) {
            const bool finished = dialog->isFinished();
            if (finished)
                dialog->findChild<QPushButton*>(QStringLiteral("close"))->click();
            return finished;
        });
        trigger("actionCreateVideo");

        const AlbumOutput output = m_window->albumDocument().output();
        QCOMPARE(output.folder + QLatin1Char('/') + output.fileName, videos + QStringLiteral("/Trip Video"));
        QVERIFY(!output.profileUrl.isEmpty());
        const QString file = m_dir.filePath(QStringLiteral("Output.reelwright"));
        QVERIFY(m_window->saveAlbum(file));

        // Another album was compiled elsewhere since.
        m_pref->setValue(QStringLiteral("OutputPath"), m_dir.path());
        m_pref->setValue(QStringLiteral("OutputName"), QStringLiteral("Something Else"));
        m_pref->setValue(QStringLiteral("last_profile_url"), QString());
        QVERIFY(m_window->openAlbum(file));
        QCOMPARE(m_pref->value(QStringLiteral("last_profile_url")).toString(), output.profileUrl);
        OutputSetting dialog(m_window.get());
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("lineEditOutputPath"))->text(),
                 QDir::toNativeSeparators(videos));
        QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("lineEditFilename"))->text(),
                 QStringLiteral("Trip Video"));
    }

    void roundTrip()
    {
        importFiles({media("flower.jpg"), media("bird-exif6.jpg"), media("raindrops.jpg")});
        importFiles({media("journeys-8s.m4a")}, "actionImportAudio");
        selectPhoto(1);
        trigger("actionTurnLeft");
        selectPhoto(2);
        trigger("actionFlip");
        setSpin("spinBox", 2000);
        setSpin("spinBox_2", 700);
        const QString first = m_dir.filePath(QStringLiteral("First.reelwright"));
        QVERIFY(m_window->saveAlbum(first));
        const auto frame = [this] {
            m_window->seek(75); // inside the turned photo's time
            QTest::qWait(300);
            return m_window->player()->grabFramebuffer();
        };
        const QImage shown = frame();

        trigger("actionNew");
        QVERIFY(m_hooks.questions.isEmpty() && m_window->storyBoardData().photos.isEmpty());
        QVERIFY(!child<QAction>("actionUndo")->isEnabled());
        QCOMPARE(child<QSpinBox>("spinBox")->value(), 5000);

        QVERIFY(m_window->openAlbum(first));
        QCOMPARE(child<QSpinBox>("spinBox")->value(), 2000);
        QCOMPARE(child<QSpinBox>("spinBox_2")->value(), 700);
        QCOMPARE(child<QListWidget>("audioListWidget")->count(), 1);
        QVERIFY(child<QWidget>("play")->isEnabled());
        const QString second = m_dir.filePath(QStringLiteral("Second.reelwright"));
        QVERIFY(m_window->saveAlbum(second));
        QCOMPARE(readAll(second), readAll(first));

        const QImage again = frame();
        QVERIFY2(difference(shown, again) < 1.0, qPrintable(QString::number(difference(shown, again))));
        QImage black(shown.size(), QImage::Format_RGB32);
        black.fill(Qt::black);
        QVERIFY(difference(again, black) > 20.0);
    }

    // Loudness and the fade are album settings: a new album has them on,
    // each change is one step of the history, and the album file keeps them.
    // The clips are measured while the user goes on editing.
    void loudnessAndFadeSettings()
    {
        auto* even = child<QCheckBox>("checkBoxEvenLoudness");
        auto* fade = child<QSpinBox>("spinBoxFadeMs");
        QVERIFY(even->isChecked() && !even->toolTip().isEmpty() && !fade->toolTip().isEmpty());
        QCOMPARE(fade->value(), 2000);
        importFiles({media("flower.jpg")});
        const QString song = media("journeys-8s.m4a");
        importFiles({song}, "actionImportAudio");
        QTRY_VERIFY_WITH_TIMEOUT(LoudnessStore::shared().find(song).has_value(), 20000);
        QTRY_VERIFY(child<QLabel>("loudnessStatus")->isHidden());

        even->click();
        QVERIFY(!m_window->storyBoardData().evenLoudness);
        QCOMPARE(child<QAction>("actionUndo")->text(), QStringLiteral("Undo Even Out Loudness"));
        setSpin("spinBoxFadeMs", 3500);
        QCOMPARE(m_window->storyBoardData().fadeMs, 3500);
        QCOMPARE(child<QAction>("actionUndo")->text(), QStringLiteral("Undo Fade Length"));
        trigger("actionUndo");
        QCOMPARE(m_window->storyBoardData().fadeMs, 2000);
        QCOMPARE(fade->value(), 2000);
        trigger("actionRedo");
        QCOMPARE(fade->value(), 3500);

        const QString file = m_dir.filePath(QStringLiteral("Quiet.reelwright"));
        QVERIFY(m_window->saveAlbum(file));
        trigger("actionNew");
        QVERIFY(even->isChecked());
        QCOMPARE(fade->value(), 2000);
        QVERIFY(m_window->openAlbum(file));
        QVERIFY(!even->isChecked());
        QCOMPARE(fade->value(), 3500);
        QVERIFY(!m_window->storyBoardData().evenLoudness);
    }

    void previewStartsWithChosenProfile_data()
    {
        QTest::addColumn<QString>("lastProfile");
        QTest::addColumn<bool>("noProfiles");
        QTest::addColumn<QSize>("frame");
        QTest::newRow("first start: the default profile") << QString() << false << QSize(1280, 720);
        QTest::newRow("full HD") << "mpeg4h264_1080" << false << QSize(1920, 1080);
        QTest::newRow("portrait") << "mpeg4h264_vertical" << false << QSize(1080, 1920);
        QTest::newRow("square") << "mpeg4h264_square" << false << QSize(1080, 1080);
        QTest::newRow("4:3") << "mpeg4_asp" << false << QSize(640, 480);
        QTest::newRow("a profile gone since: the default") << "removedprofile" << false << QSize(1280, 720);
        QTest::newRow("no profile can be read") << QString() << true << QSize(640, 480);
    }

    // The window starts with the preview at the last chosen profile's size,
    // and the preview shows what that video shows: a 16:9 photo fills a 16:9
    // frame and has black bars above and below in a taller one.
    void previewStartsWithChosenProfile()
    {
        QFETCH(QString, lastProfile);
        QFETCH(bool, noProfiles);
        QFETCH(QSize, frame);
        m_window.reset();
        m_pref->setValue(QStringLiteral("last_profile_url"), lastProfile);
        const QString appDir = ZuPref::appDir();
        const QString emptyApp = m_dir.filePath(QStringLiteral("no-profiles"));
        if (noProfiles) {
            QVERIFY(QDir().mkpath(emptyApp + QStringLiteral("/profiles")));
            ZuPref::setAppDir(emptyApp);
            ZuProfileManager::instance()->loadTemplates(emptyApp + QStringLiteral("/profiles"));
        }
        m_window = std::make_unique<Reelwright>();
        if (noProfiles) {
            ZuPref::setAppDir(appDir);
            QVERIFY(ZuProfileManager::instance()->loadTemplates(appDir + QStringLiteral("/profiles")));
        }
        m_window->resize(1100, 760);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QCOMPARE(m_window->player()->frameSize(), frame);

        showWidePhoto();
        const bool bars = frame.width() * 9 != frame.height() * 16;
        checkWidePhotoFramed(bars);
    }

    // Picking another profile in the output dialog, even without compiling,
    // and opening an album compiled with another one move the preview to
    // that profile's frame.
    void previewFollowsChosenProfile()
    {
        showWidePhoto();
        QCOMPARE(m_window->player()->frameSize(), QSize(1280, 720));
        checkWidePhotoFramed(false);
        m_window->albumDocument().setOutput(
            {QStringLiteral("mpeg4h264_square"), QStringLiteral("web"), m_dir.path(), QStringLiteral("Square")});
        const QString file = m_dir.filePath(QStringLiteral("Square.reelwright"));
        QVERIFY(m_window->saveAlbum(file));

        whenModal<OutputSetting>([](OutputSetting* dialog) {
            dialog->slotCurrentProfileChange(QStringLiteral("mpeg4h264_vertical"), QStringLiteral("web"));
            dialog->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"))
                ->button(QDialogButtonBox::Cancel)
                ->click();
            return true;
        });
        trigger("actionCreateVideo");
        QCOMPARE(m_window->player()->frameSize(), QSize(1080, 1920));
        checkWidePhotoFramed(true);

        QVERIFY(m_window->openAlbum(file));
        QCOMPARE(m_window->player()->frameSize(), QSize(1080, 1080));
        checkWidePhotoFramed(true);
    }

private:
    static constexpr QRgb kWideColour = qRgb(40, 170, 220);

    // A plain 16:9 photo, shown still (no zoom) at the first frame.
    void showWidePhoto()
    {
        const QString photo = m_dir.filePath(QStringLiteral("wide.jpg"));
        QImage image(800, 450, QImage::Format_RGB32);
        image.fill(kWideColour);
        QVERIFY(image.save(photo, "JPEG", 95));
        importFiles({photo});
        QCOMPARE(m_window->storyBoardData().photos.size(), 1);
        auto* zoom = child<QCheckBox>("checkBoxUseDynamicZoom");
        if (zoom->isChecked())
            zoom->click();
        QVERIFY(!m_window->storyBoardData().useZoom);
    }

    // The shown frame: the photo's colour across the middle, and at the top
    // and bottom edges either the photo too or black bars.
    void checkWidePhotoFramed(bool bars)
    {
        m_window->seek(0);
        QTest::qWait(200);
        const QImage screen = m_window->player()->grabFramebuffer();
        // The frame's shape, as large as it fits, centred in the player.
        const QSize shape = m_window->player()->frameSize().scaled(screen.size(), Qt::KeepAspectRatio);
        const QRect frame(QPoint((screen.width() - shape.width()) / 2, (screen.height() - shape.height()) / 2), shape);
        QVERIFY(!frame.isEmpty());
        const auto near = [](QRgb pixel, QRgb want) {
            return std::abs(qRed(pixel) - qRed(want)) <= 24 && std::abs(qGreen(pixel) - qGreen(want)) <= 24 &&
                   std::abs(qBlue(pixel) - qBlue(want)) <= 24;
        };
        const auto at = [&](double x, double y) {
            return screen.pixel(frame.left() + int(x * (frame.width() - 1)),
                                frame.top() + int(y * (frame.height() - 1)));
        };
        const auto text = [](QRgb pixel) {
            return QStringLiteral("%1,%2,%3").arg(qRed(pixel)).arg(qGreen(pixel)).arg(qBlue(pixel));
        };
        for (double x : {0.03, 0.5, 0.97})
            QVERIFY2(near(at(x, 0.5), kWideColour), qPrintable(text(at(x, 0.5))));
        for (double y : {0.02, 0.98}) {
            const QRgb edge = at(0.5, y);
            QVERIFY2(near(edge, bars ? qRgb(0, 0, 0) : kWideColour), qPrintable(text(edge)));
        }
    }
};

std::unique_ptr<QObject> makeAlbumWindowTests() { return std::make_unique<TestAlbumWindow>(); }

#include "tst_albumwindow.moc"
