// What a start hands the program: paths on the command line and from later
// starts, the copy of an unsaved album that a crash or a kill leaves, and
// its restore. The program runs as a process of its own (own temporary,
// home, data and configuration folders) wherever the path from one process
// to the next is what is tested.

#include "apptests.h"
#include "samplemedia.h"

#include "albumfile.h"
#include "autosave.h"
#include "filesfromurls.h"
#include "launchpaths.h"
#include "recentalbums.h"
#include "reelwright.h"
#include "zumessagebox.h"
#include "zupref.h"
#include "zuprofilemanager.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>

#include <utility>

namespace {

const QByteArray kLauncherText("command:close splash screen");

QString program() { return QStringLiteral(REELWRIGHT_APP_DIR "/reelwright"); }

QString media(const char* name) { return sampleMediaFile(QString::fromLatin1(name)); }

// One line per photo and clip and one for the settings: what an album file
// rebuilds, in a form a failed comparison shows readably.
QStringList summary(const AlbumContents& album)
{
    QStringList lines;
    for (const ImageInfo& photo : album.photos) {
        QStringList steps;
        for (IMAGEPROC step : photo.procs)
            steps << QString::number(int(step));
        lines << QStringLiteral("photo %1 steps [%2]").arg(photo.filePath, steps.join(QLatin1Char(',')));
    }
    for (const AudioInfo& clip : album.clips)
        lines << QStringLiteral("clip %1 %2..%3").arg(clip.filePath).arg(clip.startTime).arg(clip.endTime);
    lines << QStringLiteral("photo %1 ms, transition %2 ms, transition %3, dissolve %4, zoom %5, loop %6")
                 .arg(album.photoMs)
                 .arg(album.transitionMs)
                 .arg(album.useTransition)
                 .arg(album.dissolveOnly)
                 .arg(album.useZoom)
                 .arg(album.loopAudio);
    return lines;
}

QStringList photoPaths(const AlbumContents& album)
{
    QStringList paths;
    for (const ImageInfo& photo : album.photos)
        paths << photo.filePath;
    return paths;
}

QStringList clipPaths(const AlbumContents& album)
{
    QStringList paths;
    for (const AudioInfo& clip : album.clips)
        paths << clip.filePath;
    return paths;
}

// A folder tree for one run of the program: nothing of the user's and no
// other test's copy can answer or be answered.
class Sandbox
{
public:
    Sandbox()
    {
        for (const char* sub : {"home", "data", "config"})
            QDir(dir.path()).mkpath(QString::fromLatin1(sub));
    }
    bool isValid() const { return dir.isValid(); }
    QString path(const QString& name) const { return dir.filePath(name); }

    void prepare(QProcess& p, int autosaveMs, const QStringList& arguments = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TMPDIR"), dir.path());
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral("config")));
        env.insert(QStringLiteral("ALSOFT_DRIVERS"), QStringLiteral("null"));
        env.insert(QStringLiteral("LANGUAGE"), QStringLiteral("en"));
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
        env.remove(QStringLiteral("REELWRIGHT_DEV_ALBUM"));
        env.remove(QStringLiteral("REELWRIGHT_AUTOSAVE_MS"));
        if (autosaveMs > 0)
            env.insert(QStringLiteral("REELWRIGHT_AUTOSAVE_MS"), QString::number(autosaveMs));
        p.setProcessEnvironment(env);
        p.setProgram(program());
        p.setArguments(arguments);
        p.setWorkingDirectory(dir.path());
    }

    // The folder the program's copy went to, below the data folder; empty
    // until there is one.
    QString autosaveFolder() const
    {
        QDirIterator it(path(QStringLiteral("data")), {QStringLiteral("*.reelwright")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo copy(it.next());
            if (copy.dir().dirName() == QLatin1String("autosave"))
                return copy.absolutePath();
        }
        return {};
    }

    // The copy as an album file, once it holds `photos` photos and `clips`
    // clips.
    bool copyHolds(int photos, int clips, AlbumFile::ReadResult* read = nullptr) const
    {
        const QString folder = autosaveFolder();
        if (folder.isEmpty())
            return false;
        const Autosave::Found found = Autosave::find(folder);
        if (!found.exists())
            return false;
        AlbumFile::ReadResult result = AlbumFile::read(found.albumCopy);
        if (!result.ok || result.album.photos.size() != photos || result.album.clips.size() != clips)
            return false;
        if (read)
            *read = std::move(result);
        return true;
    }

    // Waits for the copy of `run` to hold that much; when it does not, says
    // what the program shows and wrote.
    bool waitForCopy(QProcess& run, int photos, int clips, AlbumFile::ReadResult* read = nullptr) const
    {
        QDeadlineTimer deadline(60000);
        while (!copyHolds(photos, clips, read)) {
            if (deadline.hasExpired() || run.state() == QProcess::NotRunning) {
                QProcess windows;
                windows.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
                windows.waitForFinished(10000);
                qWarning().noquote() << "windows:" << windows.readAllStandardOutput()
                                     << "\nerrors:" << run.readAllStandardError();
                return false;
            }
            QTest::qWait(100);
        }
        return true;
    }

private:
    QTemporaryDir dir;
};

bool copyFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    return QFile::copy(from, to);
}

bool waitForLauncherText(QProcess& p)
{
    QDeadlineTimer deadline(30000);
    while (!p.peek(1024).contains(kLauncherText)) {
        if (deadline.hasExpired() || p.state() == QProcess::NotRunning)
            return false;
        QTest::qWait(50);
    }
    return true;
}

class TestLaunch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    QStringList m_messages;
    QStringList m_informative;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;

    Reelwright& window()
    {
        if (!m_window) {
            m_window = std::make_unique<Reelwright>();
            m_window->resize(1100, 760);
            m_window->show();
        }
        return *m_window;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        ZuPref::setAppDir(QStringLiteral(REELWRIGHT_APP_DIR));
        QVERIFY(ZuProfileManager::instance()->loadTemplates(ZuPref::appDir() + QStringLiteral("/profiles")));
        ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
            m_messages << box.text();
            m_informative << box.informativeText();
            return m_answer;
        });
    }

    void init()
    {
        m_pref = std::make_unique<ZuPref>(
            m_dir.filePath(QStringLiteral("settings-%1.ini").arg(QTest::currentTestFunction())));
        ZuPref::setInstance(m_pref.get());
        m_messages.clear();
        m_informative.clear();
        m_answer = QMessageBox::Ok;
    }

    void cleanup()
    {
        m_window.reset();
        ZuPref::setInstance(nullptr);
        m_pref.reset();
    }

    void cleanupTestCase() { ZuMessageBox::setAnswerHook({}); }

    void argumentsBecomePaths_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("paths");
        const QString here = QStringLiteral("/home/someone/album");
        QTest::newRow("none") << QStringList{"reelwright"} << QStringList{};
        QTest::newRow("relative") << QStringList{"reelwright", "a.jpg", "sub/b.mp3"}
                                  << QStringList{here + "/a.jpg", here + "/sub/b.mp3"};
        QTest::newRow("absolute stays") << QStringList{"reelwright", "/srv/x.reelwright"}
                                        << QStringList{"/srv/x.reelwright"};
        QTest::newRow("up and dot") << QStringList{"reelwright", "../other/./c.png"}
                                    << QStringList{"/home/someone/other/c.png"};
        QTest::newRow("blanks kept") << QStringList{"reelwright", "my photos/a  b.jpg"}
                                     << QStringList{here + "/my photos/a  b.jpg"};
        QTest::newRow("file url") << QStringList{"reelwright", "file:///srv/with%20blank.jpg"}
                                  << QStringList{"/srv/with blank.jpg"};
        QTest::newRow("options end") << QStringList{"reelwright", "--", "-dash.jpg", "--"}
                                     << QStringList{here + "/-dash.jpg", here + "/--"};
    }

    void argumentsBecomePaths()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, paths);
        QCOMPARE(LaunchPaths::fromArguments(arguments, QStringLiteral("/home/someone/album")), paths);
    }

    void pathMessagesCarryAnyCharacter_data()
    {
        QTest::addColumn<QStringList>("paths");
        QTest::newRow("blanks") << QStringList{"/a b/c d.jpg", "/e  f.mp3"};
        QTest::newRow("quotes and backslashes") << QStringList{"/a\"b\\c.jpg", "/it's.jpg"};
        QTest::newRow("line break and tab") << QStringList{"/a\nb.jpg", "/c\td.png"};
        QTest::newRow("not ascii") << QStringList{QStringLiteral("/Fotos/Grüße ☀.jpg")};
        QTest::newRow("looks like a command") << QStringList{"changeLang:::de"};
        QTest::newRow("many") << QStringList(200, QStringLiteral("/x/y z.jpg"));
    }

    void pathMessagesCarryAnyCharacter()
    {
        QFETCH(QStringList, paths);
        const std::optional<QStringList> decoded = LaunchPaths::decode(LaunchPaths::encode(paths));
        QVERIFY(decoded);
        QCOMPARE(*decoded, paths);
    }

    void otherMessagesAreNoPaths_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("updater command") << QStringLiteral("changeSkin:::Dark");
        QTest::newRow("blank-joined arguments") << QStringLiteral("/a b.jpg /c.jpg");
        QTest::newRow("empty") << QString();
        const QString marked = LaunchPaths::encode({}).chopped(2); // the marker alone
        QTest::newRow("marker, cut off") << LaunchPaths::encode({QStringLiteral("/a.jpg")}).chopped(3);
        QTest::newRow("marker, an object") << marked + QStringLiteral("{\"a\":1}");
        QTest::newRow("marker, a number inside") << marked + QStringLiteral("[\"/a.jpg\",3]");
        QTest::newRow("marker, an empty path") << marked + QStringLiteral("[\"\"]");
    }

    void otherMessagesAreNoPaths()
    {
        QFETCH(QString, message);
        QVERIFY(!LaunchPaths::decode(message));
    }

    void pathsSortByKind()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        QVERIFY(copyFile(media("flower.jpg"), d + "/Photo.JPG"));
        QVERIFY(copyFile(media("elvish-15s.mp3"), d + "/song.mp3"));
        QVERIFY(copyFile(media("flower.jpg"), d + "/folder/b.jpg"));
        QVERIFY(copyFile(media("raindrops.jpg"), d + "/folder/A.png"));
        QVERIFY(copyFile(media("elvish-15s.mp3"), d + "/folder/not-a-photo.mp3"));
        QVERIFY(copyFile(media("flower.jpg"), d + "/folder/.hidden.jpg"));
        QVERIFY(QDir(d).mkpath("empty"));
        QFile notes(d + "/notes.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();
        QFile album(d + "/trip.Reelwright");
        QVERIFY(album.open(QIODevice::WriteOnly));
        album.close();

        const LaunchPaths::Sorted sorted =
            LaunchPaths::sort({d + "/notes.txt", d + "/song.mp3", d + "/folder", d + "/gone.jpg", d + "/Photo.JPG",
                               d + "/empty", d + "/trip.Reelwright"},
                              photoNameFilters(), audioNameFilters());
        QCOMPARE(sorted.albums, QStringList{d + "/trip.Reelwright"});
        // The folder's photos in name order, where the folder was named.
        QCOMPARE(sorted.photos, (QStringList{d + "/folder/A.png", d + "/folder/b.jpg", d + "/Photo.JPG"}));
        QCOMPARE(sorted.sounds, QStringList{d + "/song.mp3"});
        QCOMPARE(sorted.missing, QStringList{d + "/gone.jpg"});
        QCOMPARE(sorted.unknown, QStringList{d + "/notes.txt"});
        QCOMPARE(sorted.emptyFolders, QStringList{d + "/empty"});
    }

    void inboxKeepsOrderAndWaits()
    {
        QList<QStringList> opened;
        PathInbox* self = nullptr;
        PathInbox inbox([&](const QStringList& paths) {
            opened << paths;
            // A later start that reports in while this one's dialogs run.
            if (paths == QStringList{QStringLiteral("/first.jpg")})
                self->receive(LaunchPaths::encode({QStringLiteral("/during.jpg")}));
        });
        self = &inbox;

        inbox.hold();
        inbox.receive(LaunchPaths::encode({QStringLiteral("/first.jpg")}));
        inbox.receive(QStringLiteral("changeLang:::de"));
        inbox.receive(LaunchPaths::encode({}));
        inbox.receive(LaunchPaths::encode({QStringLiteral("/second.jpg"), QStringLiteral("/third.mp3")}));
        QVERIFY(opened.isEmpty());
        QCOMPARE(inbox.waiting(), 2);

        inbox.release();
        const QList<QStringList> expected{{QStringLiteral("/first.jpg")},
                                          {QStringLiteral("/second.jpg"), QStringLiteral("/third.mp3")},
                                          {QStringLiteral("/during.jpg")}};
        QCOMPARE(opened, expected);
        QCOMPARE(inbox.waiting(), 0);

        inbox.receive(LaunchPaths::encode({QStringLiteral("/later.jpg")}));
        QCOMPARE(opened.last(), QStringList{QStringLiteral("/later.jpg")});
    }

    void openPathsImportsAndReportsTheRest()
    {
        QTemporaryDir dir;
        const QString d = dir.path();
        QVERIFY(copyFile(media("raindrops.jpg"), d + "/folder/1.jpg"));
        QVERIFY(copyFile(media("bird-exif6.jpg"), d + "/folder/2.jpg"));
        QFile notes(d + "/notes.txt");
        QVERIFY(notes.open(QIODevice::WriteOnly));
        notes.close();

        Reelwright& w = window();
        w.openPaths({media("flower.jpg"), d + "/notes.txt", media("knolls-20s.ogg"), d + "/folder", d + "/gone.png"});
        const AlbumContents album = w.albumDocument().contents();
        QCOMPARE(photoPaths(album), (QStringList{media("flower.jpg"), d + "/folder/1.jpg", d + "/folder/2.jpg"}));
        QCOMPARE(clipPaths(album), QStringList{media("knolls-20s.ogg")});
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QDir::toNativeSeparators(d + "/notes.txt")), qPrintable(m_messages[0]));
        QVERIFY2(m_messages.first().contains(QDir::toNativeSeparators(d + "/gone.png")), qPrintable(m_messages[0]));

        // Into the album that is there, after its photos.
        m_messages.clear();
        w.openPaths({media("clock-portrait-exif3.jpg")});
        QCOMPARE(w.albumDocument().photos().size(), 4);
        QCOMPARE(w.albumDocument().photos().last().filePath, media("clock-portrait-exif3.jpg"));
        QVERIFY(m_messages.isEmpty());
    }

    void openPathsOpensAnAlbum()
    {
        QTemporaryDir dir;
        AlbumContents saved;
        ImageInfo photo;
        photo.filePath = media("raindrops.jpg");
        photo.procs = {TurnRight};
        saved.photos << photo;
        saved.photoMs = 7000;
        const QString path = dir.filePath(QStringLiteral("holiday.reelwright"));
        QString error;
        QVERIFY2(AlbumFile::write(path, saved, &error), qPrintable(error));
        const QString second = dir.filePath(QStringLiteral("second.reelwright"));
        QVERIFY(QFile::copy(path, second));

        Reelwright& w = window();
        w.openPaths({path, second, media("flower.jpg")});
        QCOMPARE(w.albumFilePath(), path);
        const AlbumContents album = w.albumDocument().contents();
        QCOMPARE(photoPaths(album), (QStringList{media("raindrops.jpg"), media("flower.jpg")}));
        QCOMPARE(album.photos.first().procs, QVector<IMAGEPROC>{TurnRight});
        QCOMPARE(album.photoMs, 7000);
        // One album at a time: the second is named in the report.
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages.first().contains(QDir::toNativeSeparators(second)), qPrintable(m_messages[0]));
    }

    void autosaveFollowsTheUnsavedChanges()
    {
        QTemporaryDir dir;
        qputenv("REELWRIGHT_AUTOSAVE_MS", "200");
        Reelwright& w = window();
        Autosave autosave(
            w.albumDocument(), [&w] { return w.albumFilePath(); }, dir.filePath(QStringLiteral("autosave")));
        qunsetenv("REELWRIGHT_AUTOSAVE_MS");

        // Nothing unsaved, nothing written.
        QTest::qWait(600);
        QVERIFY(!Autosave::find(autosave.folder()).exists());

        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        w.openPaths({media("flower.jpg"), media("raindrops.jpg")});
        QVERIFY(w.albumDocument().isModified());
        QTRY_VERIFY_WITH_TIMEOUT(Autosave::find(autosave.folder()).exists(), 5000);
        const Autosave::Found found = Autosave::find(autosave.folder());
        QVERIFY(found.savedAt >= before && found.savedAt <= QDateTime::currentDateTimeUtc());
        QVERIFY(found.albumFile.isEmpty());
        const AlbumFile::ReadResult copy = AlbumFile::read(found.albumCopy);
        QVERIFY2(copy.ok, qPrintable(copy.error));
        QCOMPARE(summary(copy.album), summary(w.albumDocument().contents()));

        // Saving makes the copy go, and it stays gone while nothing changes.
        const QString own = dir.filePath(QStringLiteral("own.reelwright"));
        QVERIFY(w.saveAlbum(own));
        QVERIFY(!Autosave::find(autosave.folder()).exists());
        QTest::qWait(600);
        QVERIFY(!Autosave::find(autosave.folder()).exists());

        // A change after that: the copy names the album's own file, and the
        // user's file is left as saved.
        const QByteArray ownBefore = [&] {
            QFile f(own);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        w.openPaths({media("bird-exif6.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(Autosave::find(autosave.folder()).exists(), 5000);
        QCOMPARE(Autosave::find(autosave.folder()).albumFile, own);
        QFile ownAfter(own);
        QVERIFY(ownAfter.open(QIODevice::ReadOnly));
        QCOMPARE(ownAfter.readAll(), ownBefore);
    }

    void restoreQuestion_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::newRow("yes") << true;
        QTest::newRow("no") << false;
    }

    void restoreQuestion()
    {
        QFETCH(bool, restore);
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("autosave"));
        const QString own = dir.filePath(QStringLiteral("own.reelwright"));
        AlbumContents earlier;
        {
            // An earlier run: an album saved, changed, and its copy left.
            Reelwright before;
            Autosave autosave(
                before.albumDocument(), [&before] { return before.albumFilePath(); }, folder);
            before.openPaths({media("flower.jpg")});
            QVERIFY(before.saveAlbum(own));
            before.openPaths({media("raindrops.jpg")});
            QVERIFY(autosave.save());
            earlier = before.albumDocument().contents();
        }
        const Autosave::Found found = Autosave::find(folder);
        QVERIFY(found.exists());
        QCOMPARE(found.albumFile, own);

        m_answer = restore ? QMessageBox::Yes : QMessageBox::No;
        Reelwright& w = window();
        Autosave autosave(
            w.albumDocument(), [&w] { return w.albumFilePath(); }, folder);
        QCOMPARE(offerRecovery(w, autosave), restore);
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first(), QStringLiteral("Restore the album you were working on?"));
        const QString when = QLocale().toString(found.savedAt.toLocalTime(), QLocale::LongFormat);
        QVERIFY2(m_informative.first().contains(when), qPrintable(m_informative.first()));

        if (restore) {
            QCOMPARE(summary(w.albumDocument().contents()), summary(earlier));
            QVERIFY(w.albumDocument().isModified());
            QCOMPARE(w.albumFilePath(), own);
            // The copy is not an album the user chose.
            QVERIFY(!RecentAlbums::stored().contains(found.albumCopy));
            QVERIFY(Autosave::find(folder).exists());
            // Save writes the user's file, and the copy goes.
            QVERIFY(w.saveAlbum(w.albumFilePath()));
            QCOMPARE(summary(AlbumFile::read(own).album), summary(earlier));
        } else {
            QVERIFY(w.albumDocument().photos().isEmpty());
            QVERIFY(!w.albumDocument().isModified());
        }
        QVERIFY(!Autosave::find(folder).exists());
        // Nothing left to offer at the next start.
        m_messages.clear();
        QVERIFY(!offerRecovery(w, autosave));
        QVERIFY(m_messages.isEmpty());
    }

    // A copy that does not open is reported and kept: the answer was Yes,
    // so only a later No may throw it away.
    void damagedCopyStays()
    {
        QTemporaryDir dir;
        QFile copy(dir.filePath(QStringLiteral("album.reelwright")));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write("{\"format\": 1, \"photos\": [");
        copy.close();
        m_answer = QMessageBox::Yes;
        Reelwright& w = window();
        Autosave autosave(
            w.albumDocument(), [&w] { return w.albumFilePath(); }, dir.path());
        QVERIFY(!offerRecovery(w, autosave));
        QCOMPARE(m_messages.size(), 2); // the question, then what is wrong with the file
        QVERIFY2(m_messages.last().contains(QStringLiteral("album.reelwright")), qPrintable(m_messages.last()));
        QVERIFY(Autosave::find(dir.path()).exists());
        QVERIFY(!w.albumDocument().isModified());
    }

    void helpNamesThePaths()
    {
        Sandbox box;
        QProcess help;
        box.prepare(help, 0, {QStringLiteral("--help")});
        help.start();
        QVERIFY(help.waitForFinished(20000));
        QCOMPARE(help.exitCode(), 0);
        const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
        QVERIFY2(text.contains(QStringLiteral("[--help] [--version] [ALBUM.reelwright | PHOTO/SOUND/FOLDER...]")),
                 qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("running copy")), qPrintable(text));
    }

    // The program killed outright after its copy was written; the next start
    // gives back what it had: the album it opened with its turned photos
    // and trimmed clip, the photo added to it, and the album's own file.
    void crashAndRestore()
    {
        Sandbox box;
        QVERIFY(box.isValid());
        AlbumContents original;
        const std::pair<const char*, QVector<IMAGEPROC>> turned[] = {{"flower.jpg", {TurnLeft}},
                                                                     {"raindrops.jpg", {Mirror, Flip}}};
        for (const auto& [name, steps] : turned) {
            ImageInfo photo;
            photo.filePath = media(name);
            photo.procs = steps;
            original.photos << photo;
        }
        AudioInfo clip;
        clip.filePath = media("knolls-20s.ogg");
        clip.duration = 20.0;
        clip.fileSize = QFileInfo(clip.filePath).size();
        clip.lastModified = QFileInfo(clip.filePath).lastModified();
        clip.startTime = 2.0;
        clip.endTime = 9.5;
        original.clips << clip;
        original.photoMs = 3000;
        original.dissolveOnly = true;
        const QString own = box.path(QStringLiteral("albums/trip one.reelwright"));
        QDir().mkpath(box.path(QStringLiteral("albums")));
        QString error;
        QVERIFY2(AlbumFile::write(own, original, &error), qPrintable(error));
        const AlbumFile::ReadResult written = AlbumFile::read(own);
        QVERIFY2(written.ok, qPrintable(written.error));

        QProcess run;
        box.prepare(run, 300, {QStringLiteral("albums/trip one.reelwright"), media("bird-exif6.jpg")});
        const QDateTime started = QDateTime::currentDateTimeUtc().addMSecs(-1);
        run.start();
        QVERIFY(run.waitForStarted());
        AlbumFile::ReadResult had;
        QVERIFY(box.waitForCopy(run, 3, 1, &had));

        run.kill();
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitStatus(), QProcess::CrashExit);
        const QDateTime killed = QDateTime::currentDateTimeUtc();
        QCOMPARE(photoPaths(had.album), (photoPaths(original) << media("bird-exif6.jpg")));
        QCOMPARE(had.album.photos.at(1).procs, (QVector<IMAGEPROC>{Mirror, Flip}));

        // The next start, as main() makes it, with the question answered.
        const Autosave::Found found = Autosave::find(box.autosaveFolder());
        QVERIFY(found.savedAt >= started && found.savedAt <= killed);
        QCOMPARE(found.albumFile, own);
        m_answer = QMessageBox::Yes;
        Reelwright& w = window();
        Autosave autosave(
            w.albumDocument(), [&w] { return w.albumFilePath(); }, box.autosaveFolder());
        QVERIFY(offerRecovery(w, autosave));
        QCOMPARE(m_messages, QStringList{QStringLiteral("Restore the album you were working on?")});
        QVERIFY(m_informative.first().contains(QLocale().toString(found.savedAt.toLocalTime(), QLocale::LongFormat)));
        QCOMPARE(summary(w.albumDocument().contents()), summary(had.album));
        QCOMPARE(w.albumFilePath(), own);
        QVERIFY(w.albumDocument().isModified());
        // The user's file is still what it was before the run.
        QCOMPARE(summary(AlbumFile::read(own).album), summary(original));
    }

    void sigtermKeepsTheUnsavedAlbum()
    {
        Sandbox box;
        QVERIFY(box.isValid());
        QProcess run;
        box.prepare(run, 1500, {media("flower.jpg"), media("raindrops.jpg")});
        run.start();
        QVERIFY(run.waitForStarted());
        QVERIFY(box.waitForCopy(run, 2, 0));
        // Only the signal can write it again now (the next interval is
        // well over a second away).
        const QString folder = box.autosaveFolder();
        QVERIFY(QDir(folder).removeRecursively());
        const QDateTime signalled = QDateTime::currentDateTimeUtc();
        run.terminate();
        // Ending asks nothing: a question would keep it running.
        QVERIFY(run.waitForFinished(20000));
        QCOMPARE(run.exitStatus(), QProcess::NormalExit);
        QCOMPARE(run.exitCode(), 0);
        QCOMPARE(run.readAllStandardOutput(), kLauncherText + kLauncherText);
        AlbumFile::ReadResult kept;
        QVERIFY(box.copyHolds(2, 0, &kept));
        QCOMPARE(photoPaths(kept.album), (QStringList{media("flower.jpg"), media("raindrops.jpg")}));
        QVERIFY(Autosave::find(folder).savedAt >= signalled.addMSecs(-1));
    }

    void secondStartHandsItsPathsOver()
    {
        Sandbox box;
        QVERIFY(box.isValid());
        QVERIFY(copyFile(media("flower.jpg"), box.path(QStringLiteral("my photos/a b.jpg"))));
        QVERIFY(copyFile(media("raindrops.jpg"), box.path(QStringLiteral("my photos/c  d.jpg"))));
        QVERIFY(copyFile(media("elvish-15s.mp3"), box.path(QStringLiteral("song one.mp3"))));

        QProcess first;
        box.prepare(first, 300);
        first.start();
        QVERIFY(waitForLauncherText(first));

        QProcess second;
        box.prepare(second, 300,
                    {QStringLiteral("my photos/a b.jpg"), QStringLiteral("song one.mp3"),
                     QStringLiteral("my photos/c  d.jpg")});
        second.start();
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardOutput().isEmpty());

        AlbumFile::ReadResult got;
        QVERIFY(box.waitForCopy(first, 2, 1, &got));
        QCOMPARE(photoPaths(got.album), (QStringList{box.path(QStringLiteral("my photos/a b.jpg")),
                                                     box.path(QStringLiteral("my photos/c  d.jpg"))}));
        QCOMPARE(clipPaths(got.album), QStringList{box.path(QStringLiteral("song one.mp3"))});
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitCode(), 0);
    }
};

} // namespace

std::unique_ptr<QObject> makeLaunchTests() { return std::make_unique<TestLaunch>(); }

#include "tst_launch.moc"
