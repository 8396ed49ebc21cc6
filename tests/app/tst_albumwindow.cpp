// Album files through the main window: the File and Edit menus, the title,
// the question about unsaved changes, bad and incomplete album files, the
// recent list, dropped albums and a save-open round trip. Every dialog is
// answered through its test hook.

#include "apptests.h"

#include "albumfile.h"
#include "avplayer.h"
#include "compileprogress.h"
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
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

#include <cmath>
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
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0.0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += std::abs(qRed(p[col]) - qRed(q[col])) + std::abs(qGreen(p[col]) - qGreen(q[col])) +
                   std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return sum / (3.0 * x.width() * x.height());
}

QStringList actionTexts(const QMenu* menu)
{
    QStringList texts;
    for (const QAction* action : menu->actions())
        texts << (action->isSeparator() ? QStringLiteral("|") : action->text());
    return texts;
}

} // namespace

class TestAlbumWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void menusAndShortcuts_data();
    void menusAndShortcuts();
    void titleFollowsCleanState();
    void unsavedChanges_data();
    void unsavedChanges();
    void badFilesKeepAlbum_data();
    void badFilesKeepAlbum();
    void saveFailureKeepsModified();
    void missingFiles_data();
    void missingFiles();
    void recentAlbums();
    void droppedAlbumOpens_data();
    void droppedAlbumOpens();
    void openReadsPhotosInBackground();
    void outputGoesWithAlbum();
    void roundTrip();

private:
    template <typename T>
    T* child(const char* name) const
    {
        T* object = m_window->findChild<T*>(QLatin1String(name));
        if (!object)
            qFatal("no child %s", name);
        return object;
    }
    template <typename T>
    void whenModal(std::function<bool(T*)> answer);
    void importPhotos(const QStringList& files);
    void importAudio(const QStringList& files);
    void setSpin(const char* name, int value);
    void selectPhoto(int index);
    // The album as its file would hold it, for comparisons.
    QByteArray albumBytes();
    QStringList recentMenu();
    QString title() const { return m_window->windowTitle(); }

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    QStringList m_messages;
    QStringList m_questions;
    QMessageBox::StandardButton m_answer = QMessageBox::Cancel;
    QStringList m_importAnswer;
    QString m_openAnswer;
    QString m_saveAnswer;
    QStringList m_saveDialogs;
    QString m_folderAnswer;
};

template <typename T>
void TestAlbumWindow::whenModal(std::function<bool(T*)> answer)
{
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [timer, answer] {
        if (T* dialog = qobject_cast<T*>(QApplication::activeModalWidget()))
            if (answer(dialog))
                timer->deleteLater();
    });
    timer->start(20);
}

void TestAlbumWindow::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // Closing the window is one of the things tested.
    QApplication::setQuitOnLastWindowClosed(false);
    ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
    QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
    ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
        if (box.icon() != QMessageBox::Question) {
            m_messages << box.text();
            return QMessageBox::Ok;
        }
        m_questions << box.text();
        return m_answer;
    });
    Reelwright::setFileDialogHook(
        [this](QWidget*, const QString&, const QString&, const QString&) { return m_importAnswer; });
    Reelwright::setOpenAlbumDialogHook(
        [this](QWidget*, const QString&, const QString&, const QString&) { return m_openAnswer; });
    Reelwright::setSaveAlbumDialogHook([this](QWidget*, const QString&, const QString& dir, const QString&) {
        m_saveDialogs << dir;
        return m_saveAnswer;
    });
    ZuFolderDialog::setAnswerHook([this](const QString&) { return m_folderAnswer; });
}

void TestAlbumWindow::init()
{
    m_pref =
        std::make_unique<ZuPref>(m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QTest::currentTestFunction())));
    ZuPref::setInstance(m_pref.get());
    m_messages.clear();
    m_questions.clear();
    m_saveDialogs.clear();
    m_answer = QMessageBox::Cancel;
    m_openAnswer.clear();
    m_saveAnswer.clear();
    m_folderAnswer.clear();
    m_window = std::make_unique<Reelwright>();
    m_window->resize(1100, 760);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
}

void TestAlbumWindow::cleanup()
{
    m_window.reset();
    ZuPref::setInstance(nullptr);
    m_pref.reset();
}

void TestAlbumWindow::cleanupTestCase()
{
    ZuMessageBox::setAnswerHook({});
    ZuFolderDialog::setAnswerHook({});
    Reelwright::setFileDialogHook({});
    Reelwright::setOpenAlbumDialogHook({});
    Reelwright::setSaveAlbumDialogHook({});
}

void TestAlbumWindow::importPhotos(const QStringList& files)
{
    m_importAnswer = files;
    child<QAction>("actionImportPhotos")->trigger();
}

void TestAlbumWindow::importAudio(const QStringList& files)
{
    m_importAnswer = files;
    child<QAction>("actionImportAudio")->trigger();
}

void TestAlbumWindow::setSpin(const char* name, int value)
{
    auto* spin = child<QSpinBox>(name);
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QString::number(value));
    QTest::keyClick(spin, Qt::Key_Return);
    QCOMPARE(spin->value(), value);
}

void TestAlbumWindow::selectPhoto(int index)
{
    auto* strip = child<QListWidget>("photoListWidget");
    QTest::mouseClick(strip->viewport(), Qt::LeftButton, {}, strip->visualItemRect(strip->item(2 * index)).center());
}

QByteArray TestAlbumWindow::albumBytes()
{
    const QString file = m_dir.filePath(QStringLiteral("snapshot.reelwright"));
    QString error;
    if (!AlbumFile::write(file, m_window->albumDocument().contents(), &error))
        qWarning("%s", qPrintable(error));
    return readAll(file);
}

QStringList TestAlbumWindow::recentMenu()
{
    QCoreApplication::processEvents();
    auto* menu = child<QMenu>("menuOpenRecent");
    emit menu->aboutToShow();
    QStringList entries;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            continue;
        QString text = action->text().replace(QStringLiteral("&&"), QStringLiteral("&"));
        entries << (action->isEnabled() ? text : QStringLiteral("(") + text + QLatin1Char(')'));
    }
    return entries;
}

void TestAlbumWindow::menusAndShortcuts_data()
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

void TestAlbumWindow::menusAndShortcuts()
{
    QFETCH(QString, action);
    QFETCH(QStringList, keys);
    QCOMPARE(actionTexts(child<QMenu>("menuFile")).mid(0, 8),
             QString("&New,&Open...,Open &Recent,|,&Save,Save &As...,|,&Import Photo(s)...").split(','));
    QCOMPARE(actionTexts(child<QMenu>("menuEdit")).mid(0, 4), QString("Undo,Redo,|,&Delete").split(','));
    auto* command = child<QAction>(qPrintable(action));
    QStringList bound;
    for (const QKeySequence& key : command->shortcuts())
        bound << key.toString();
    for (const QString& key : keys)
        QVERIFY2(bound.contains(key), qPrintable(bound.join(QLatin1Char(' '))));

    // No other command of the window answers the same keys.
    for (const QAction* other : m_window->findChildren<QAction*>()) {
        if (other == command)
            continue;
        for (const QKeySequence& key : other->shortcuts())
            QVERIFY2(!command->shortcuts().contains(key),
                     qPrintable(other->objectName() + QStringLiteral(" also has ") + key.toString()));
    }
}

void TestAlbumWindow::titleFollowsCleanState()
{
    QCOMPARE(title(), QStringLiteral("Untitled - Reelwright"));
    QVERIFY(!child<QAction>("actionUndo")->isEnabled());
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    QCOMPARE(title(), QStringLiteral("Untitled* - Reelwright"));

    // Save on an album without a file asks where to put it.
    m_saveAnswer = m_dir.filePath(QStringLiteral("Holiday"));
    child<QAction>("actionSave")->trigger();
    QCOMPARE(m_saveDialogs.size(), 1);
    QCOMPARE(m_window->albumFilePath(), m_dir.filePath(QStringLiteral("Holiday.reelwright")));
    QVERIFY(QFileInfo::exists(m_window->albumFilePath()));
    QCOMPARE(title(), QStringLiteral("Holiday - Reelwright"));

    selectPhoto(1);
    child<QAction>("actionTurnLeft")->trigger();
    QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
    QCOMPARE(child<QAction>("actionUndo")->text(), QStringLiteral("Undo Turn Left"));
    // Without a window manager nobody gives the focus back after a dialog.
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    child<QWidget>("photoListWidget")->setFocus();

    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(m_window->storyBoardData().photos.at(1).procs.isEmpty());
    QCOMPARE(title(), QStringLiteral("Holiday - Reelwright"));
    QCOMPARE(child<QAction>("actionRedo")->text(), QStringLiteral("Redo Turn Left"));
    QTest::keyClick(m_window.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(m_window->storyBoardData().photos.at(1).procs.size(), 1);
    QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(m_window->storyBoardData().photos.at(1).procs.size(), 1);

    // Undone past the save, the album differs from its file again.
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(m_window->storyBoardData().photos.isEmpty());
    QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));

    // A language change rebuilds the form's texts, the title stays.
    m_window->retranslate();
    QCOMPARE(title(), QStringLiteral("Holiday* - Reelwright"));
    m_window->setAlbumFilePath(m_dir.filePath(QStringLiteral("Recovered.reelwright")));
    QCOMPARE(title(), QStringLiteral("Recovered* - Reelwright"));
}

void TestAlbumWindow::unsavedChanges_data()
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
    // Save As cancelled is a cancel.
    QTest::newRow("close, save a new album, no file chosen") << "close" << save << false << false;
}

void TestAlbumWindow::unsavedChanges()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    QFETCH(bool, savedOnAsking);
    QFETCH(bool, goesOn);
    const bool chooseFile = QByteArray(QTest::currentDataTag()).endsWith("new album");

    // The album opened by the "open" command.
    importPhotos({media("bird-exif6.jpg")});
    const QString other = m_dir.filePath(QStringLiteral("Other.reelwright"));
    QVERIFY(m_window->saveAlbum(other));
    QVERIFY(m_window->maybeSave());
    child<QAction>("actionNew")->trigger();
    QVERIFY(m_questions.isEmpty());
    QVERIFY(m_window->storyBoardData().photos.isEmpty());

    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    const QString own = m_dir.filePath(QStringLiteral("Own-%1.reelwright").arg(QTest::currentDataTag()));
    QFile::remove(own);
    if (savedOnAsking) {
        QVERIFY(m_window->saveAlbum(own));
        selectPhoto(0);
        child<QAction>("actionMirror")->trigger();
    }
    QVERIFY(title().contains(QLatin1Char('*')));
    const QByteArray before = albumBytes();
    m_answer = QMessageBox::StandardButton(answer);
    m_saveAnswer = chooseFile ? own : QString();
    m_openAnswer = other;

    bool closed = false;
    if (command == QStringLiteral("close"))
        closed = m_window->close();
    else if (command == QStringLiteral("new"))
        child<QAction>("actionNew")->trigger();
    else
        child<QAction>("actionOpen")->trigger();

    QCOMPARE(m_questions.size(), 1);
    QVERIFY2(m_questions.first().contains(savedOnAsking ? QStringLiteral("\"Own-") : QStringLiteral("\"Untitled\"")),
             qPrintable(m_questions.first()));
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
        return;
    }
    if (command == QStringLiteral("close")) {
        QVERIFY(closed);
        QVERIFY(!m_window->isVisible());
    } else if (command == QStringLiteral("new")) {
        QVERIFY(m_window->storyBoardData().photos.isEmpty());
        QVERIFY(m_window->albumFilePath().isEmpty());
        QCOMPARE(title(), QStringLiteral("Untitled - Reelwright"));
    } else {
        QCOMPARE(m_window->storyBoardData().photos.size(), 1);
        QCOMPARE(m_window->albumFilePath(), other);
        QCOMPARE(title(), QStringLiteral("Other - Reelwright"));
    }
}

void TestAlbumWindow::badFilesKeepAlbum_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not JSON") << "text";
    QTest::newRow("empty") << "empty";
    QTest::newRow("truncated") << "truncated";
    QTest::newRow("newer format") << "newer";
    QTest::newRow("wrong types") << "types";
    QTest::newRow("not a JSON object") << "array";
    QTest::newRow("not there") << "absent";
    QTest::newRow("a folder") << "folder";
}

void TestAlbumWindow::badFilesKeepAlbum()
{
    QFETCH(QString, kind);
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
    const QString good = m_dir.filePath(QStringLiteral("Good.reelwright"));
    QVERIFY(m_window->saveAlbum(good));
    const QByteArray valid = readAll(good);
    QVERIFY(!valid.isEmpty());

    const QString bad = m_dir.filePath(QStringLiteral("Bad-%1.reelwright").arg(kind));
    QJsonObject root = QJsonDocument::fromJson(valid).object();
    if (kind == QStringLiteral("text"))
        QVERIFY(writeAll(bad, "These are my holiday photos.\n"));
    else if (kind == QStringLiteral("empty"))
        QVERIFY(writeAll(bad, QByteArray()));
    else if (kind == QStringLiteral("truncated"))
        QVERIFY(writeAll(bad, valid.left(valid.size() / 2)));
    else if (kind == QStringLiteral("newer")) {
        root[QStringLiteral("format")] = AlbumFile::Format + 1;
        QVERIFY(writeAll(bad, QJsonDocument(root).toJson()));
    } else if (kind == QStringLiteral("types")) {
        root[QStringLiteral("photos")] = QStringLiteral("not a list");
        QVERIFY(writeAll(bad, QJsonDocument(root).toJson()));
    } else if (kind == QStringLiteral("array"))
        QVERIFY(writeAll(bad, QJsonDocument(QJsonArray{root}).toJson()));
    else if (kind == QStringLiteral("folder"))
        QVERIFY(QDir(m_dir.path()).mkpath(QFileInfo(bad).fileName()));

    // The current album: saved, then changed.
    selectPhoto(0);
    child<QAction>("actionTurnRight")->trigger();
    child<QSpinBox>("spinBox")->setValue(3000);
    const QByteArray before = albumBytes();
    const QString titleBefore = title();
    QCOMPARE(titleBefore, QStringLiteral("Good* - Reelwright"));

    m_answer = QMessageBox::Discard;
    QVERIFY(!m_window->openAlbum(bad));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QFileInfo(bad).fileName()), qPrintable(m_messages.first()));
    QCOMPARE(albumBytes(), before);
    QCOMPARE(title(), titleBefore);
    QVERIFY(m_window->albumDocument().isModified());
    QCOMPARE(m_window->albumFilePath(), good);
    QCOMPARE(child<QSpinBox>("spinBox")->value(), 3000);
    QCOMPARE(child<QListWidget>("photoListWidget")->count(), 3);
    // Undo still reaches back to the saved album.
    child<QAction>("actionUndo")->trigger();
    child<QAction>("actionUndo")->trigger();
    QCOMPARE(title(), QStringLiteral("Good - Reelwright"));
    QCOMPARE(child<QSpinBox>("spinBox")->value(), 5000);
}

void TestAlbumWindow::saveFailureKeepsModified()
{
    importPhotos({media("flower.jpg")});
    const QString blocked = m_dir.filePath(QStringLiteral("no-such-folder/Album.reelwright"));
    QVERIFY(!m_window->saveAlbum(blocked));
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QStringLiteral("Album.reelwright")), qPrintable(m_messages.first()));
    QVERIFY(m_window->albumDocument().isModified());
    QVERIFY(m_window->albumFilePath().isEmpty());
    QCOMPARE(title(), QStringLiteral("Untitled* - Reelwright"));
    QVERIFY(!RecentAlbums::stored().contains(blocked));
}

void TestAlbumWindow::missingFiles_data()
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

void TestAlbumWindow::missingFiles()
{
    QFETCH(bool, moveFolder);
    QFETCH(bool, deleteSecond);
    QFETCH(QString, steps);
    QFETCH(QList<int>, listed);
    QFETCH(int, photos);
    QFETCH(int, clips);

    QTemporaryDir place(m_dir.filePath(QStringLiteral("missing-XXXXXX")));
    const QDir root(place.path());
    QVERIFY(root.mkpath(QStringLiteral("pictures")));
    QVERIFY(root.mkpath(QStringLiteral("elsewhere")));
    QStringList copies;
    for (const char* name : {"flower.jpg", "raindrops.jpg", "bird-exif6.jpg", "knolls-20s.ogg"}) {
        copies << root.filePath(QStringLiteral("pictures/") + QLatin1String(name));
        QVERIFY(QFile::copy(media(name), copies.last()));
    }
    importPhotos(copies.mid(0, 3));
    importAudio({copies.at(3)});
    const QString file = root.filePath(QStringLiteral("Trip.reelwright"));
    QVERIFY(m_window->saveAlbum(file));
    const QString moved = root.filePath(QStringLiteral("moved"));
    if (moveFolder)
        QVERIFY(QDir().rename(root.filePath(QStringLiteral("pictures")), moved));
    if (deleteSecond)
        QVERIFY(QFile::remove((moveFolder ? moved : root.filePath(QStringLiteral("pictures"))) +
                              QStringLiteral("/raindrops.jpg")));

    // Another album is open when the incomplete one is asked for.
    child<QAction>("actionNew")->trigger();
    importPhotos({media("clock-portrait-exif3.jpg")});
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
        if (step == QStringLiteral("look") || step == QStringLiteral("wrong")) {
            m_folderAnswer = step == QStringLiteral("look") ? moved : root.filePath(QStringLiteral("elsewhere"));
            report->findChild<QPushButton*>(QStringLiteral("lookInFolder"))->click();
        } else if (step == QStringLiteral("without")) {
            report->findChild<QPushButton*>(QStringLiteral("openWithout"))->click();
        } else {
            report->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        }
        return todo.isEmpty();
    });
    const bool opened = m_window->openAlbum(file);
    QCOMPARE(seen, listed);
    QVERIFY(todo.isEmpty());
    // The report names the missing files where the album expected them.
    QVERIFY2(firstList.contains(QDir::toNativeSeparators(copies.at(1))), qPrintable(firstList.join(QLatin1Char('|'))));
    QVERIFY(m_messages.isEmpty());

    if (photos < 0) {
        QVERIFY(!opened);
        QCOMPARE(albumBytes(), current);
        QCOMPARE(title(), QStringLiteral("Current - Reelwright"));
        return;
    }
    QVERIFY(opened);
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

void TestAlbumWindow::recentAlbums()
{
    QCOMPARE(recentMenu(), QStringList{QStringLiteral("(Clear Menu)")});
    importPhotos({media("flower.jpg")});
    QStringList files;
    for (int i = 0; i < 12; ++i) {
        files.prepend(m_dir.filePath(QStringLiteral("recent/A&B %1.reelwright").arg(i)));
        QVERIFY(QDir().mkpath(QFileInfo(files.first()).absolutePath()));
        QVERIFY(m_window->saveAlbum(files.first()));
    }
    QStringList expected = files.mid(0, RecentAlbums::Limit);
    QCOMPARE(recentMenu(), expected + QStringList{QStringLiteral("Clear Menu")});

    // Opening an older one puts it first; a vanished one goes last, greyed.
    QVERIFY(m_window->openAlbum(files.at(6)));
    expected.move(6, 0);
    QCOMPARE(recentMenu(), expected + QStringList{QStringLiteral("Clear Menu")});
    QVERIFY(QFile::remove(files.at(2)));
    expected.removeAll(files.at(2));
    expected << QStringLiteral("(") + files.at(2) + QLatin1Char(')');
    QCOMPARE(recentMenu(), expected + QStringList{QStringLiteral("Clear Menu")});

    // An entry of the menu opens its album.
    auto* menu = child<QMenu>("menuOpenRecent");
    menu->actions().at(1)->trigger();
    QCOMPARE(m_window->albumFilePath(), files.at(0));
    QCOMPARE(recentMenu().first(), files.at(0));

    m_window->findChild<QAction*>(QStringLiteral("actionClearRecent"))->trigger();
    QCOMPARE(recentMenu(), QStringList{QStringLiteral("(Clear Menu)")});
    QVERIFY(RecentAlbums::stored().isEmpty());
}

void TestAlbumWindow::droppedAlbumOpens_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("dropped");
    QTest::addColumn<bool>("opens");
    QTest::addColumn<int>("photos");
    const QString album = QStringLiteral("Dropped.reelwright");
    QTest::newRow("on the window") << "window" << QStringList{album} << true << 3;
    QTest::newRow("on the photo strip") << "photoListWidget" << QStringList{album} << true << 3;
    QTest::newRow("on the sound strip") << "audioListWidget" << QStringList{album} << true << 3;
    QTest::newRow("with photos, on the photo strip")
        << "photoListWidget" << QStringList{media("flower.jpg"), album} << true << 3;
    QTest::newRow("photos still import") << "photoListWidget" << QStringList{media("flower.jpg")} << false << 2;
}

void TestAlbumWindow::droppedAlbumOpens()
{
    QFETCH(QString, target);
    QFETCH(QStringList, dropped);
    QFETCH(bool, opens);
    QFETCH(int, photos);

    importPhotos({media("flower.jpg"), media("raindrops.jpg"), media("bird-exif6.jpg")});
    const QString file = m_dir.filePath(QStringLiteral("Dropped.reelwright"));
    QVERIFY(m_window->saveAlbum(file));
    child<QAction>("actionNew")->trigger();
    importPhotos({media("clock-portrait-exif3.jpg")});
    m_answer = QMessageBox::Discard;

    QWidget* receiver = target == QStringLiteral("window") ? static_cast<QWidget*>(m_window.get())
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

    if (opens) {
        QTRY_COMPARE(m_window->albumFilePath(), file);
        QCOMPARE(m_questions.size(), 1);
    } else {
        QTest::qWait(50);
        QVERIFY(m_window->albumFilePath().isEmpty());
        QVERIFY(m_questions.isEmpty());
    }
    QCOMPARE(m_window->storyBoardData().photos.size(), photos);
}

void TestAlbumWindow::openReadsPhotosInBackground()
{
    importPhotos({media("flower.jpg"), media("raindrops.jpg"), media("flower.jpg")});
    const QString file = m_dir.filePath(QStringLiteral("Probe.reelwright"));
    QVERIFY(m_window->saveAlbum(file));
    child<QAction>("actionNew")->trigger();

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

void TestAlbumWindow::outputGoesWithAlbum()
{
    importPhotos({media("flower.jpg"), media("raindrops.jpg")});
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
        if (!dialog->isFinished())
            return false;
        dialog->findChild<QPushButton*>(QStringLiteral("close"))->click();
        return true;
    });
    child<QAction>("actionCreateVideo")->trigger();

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
    QCOMPARE(dialog.findChild<QLineEdit*>(QStringLiteral("lineEditFilename"))->text(), QStringLiteral("Trip Video"));
}

void TestAlbumWindow::roundTrip()
{
    importPhotos({media("flower.jpg"), media("bird-exif6.jpg"), media("raindrops.jpg")});
    importAudio({media("journeys-8s.m4a")});
    selectPhoto(1);
    child<QAction>("actionTurnLeft")->trigger();
    selectPhoto(2);
    child<QAction>("actionFlip")->trigger();
    setSpin("spinBox", 2000);
    setSpin("spinBox_2", 700);
    const QString first = m_dir.filePath(QStringLiteral("First.reelwright"));
    QVERIFY(m_window->saveAlbum(first));

    // A frame inside the turned photo's time.
    const int frame = 75;
    m_window->seek(frame);
    QTest::qWait(300);
    const QImage shown = m_window->player()->grabFramebuffer();

    child<QAction>("actionNew")->trigger();
    QVERIFY(m_questions.isEmpty() && m_window->storyBoardData().photos.isEmpty());
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

    m_window->seek(frame);
    QTest::qWait(300);
    const QImage again = m_window->player()->grabFramebuffer();
    QVERIFY2(difference(shown, again) < 1.0, qPrintable(QString::number(difference(shown, again))));
    QImage black(shown.size(), QImage::Format_RGB32);
    black.fill(Qt::black);
    QVERIFY(difference(again, black) > 20.0);
}

std::unique_ptr<QObject> makeAlbumWindowTests() { return std::make_unique<TestAlbumWindow>(); }

#include "tst_albumwindow.moc"
