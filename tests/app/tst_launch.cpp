// What a start hands the program: paths from the command line and from later
// starts, the copy of an unsaved album a crash or kill leaves, and its
// restore. Where the way from one process to the next is tested, the program
// runs as a process with its own temporary, home, data and config folders.

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

#include <utility>

namespace {

const QByteArray kLauncherText("command:close splash screen");

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

template <typename Items>
QStringList paths(const Items& items)
{
    QStringList paths;
    for (const auto& item : items)
        paths << item.filePath;
    return paths;
}

// Copies `from` to `to`; an empty `from` makes an empty file.
bool makeFile(const QString& from, const QString& to)
{
    QDir().mkpath(QFileInfo(to).absolutePath());
    QFile file(to);
    return from.isEmpty() ? file.open(QIODevice::WriteOnly) : QFile::copy(from, to);
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
        env.remove(QStringLiteral("REELWRIGHT_DEV_ALBUM"));
        env.remove(QStringLiteral("REELWRIGHT_AUTOSAVE_MS"));
        const std::pair<const char*, QString> vars[] = {
            {"TMPDIR", dir.path()},
            {"HOME", path(QStringLiteral("home"))},
            {"XDG_DATA_HOME", path(QStringLiteral("data"))},
            {"XDG_CONFIG_HOME", path(QStringLiteral("config"))},
            {"ALSOFT_DRIVERS", QStringLiteral("null")},
            {"LANGUAGE", QStringLiteral("en")},
            {"LC_ALL", QStringLiteral("C")},
            {"REELWRIGHT_AUTOSAVE_MS", autosaveMs > 0 ? QString::number(autosaveMs) : QString()}};
        for (const auto& [name, value] : vars)
            if (!value.isEmpty())
                env.insert(QLatin1String(name), value);
        p.setProcessEnvironment(env);
        p.setProgram(QStringLiteral(REELWRIGHT_APP_DIR "/reelwright"));
        p.setArguments(arguments);
        p.setWorkingDirectory(dir.path());
    }

    // The folder the program's copy went to, below the data folder.
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

    // Waits while `run` runs for its copy to hold `photos` photos and
    // `clips` clips, and reads it into `read`.
    bool waitForCopy(QProcess& run, int photos, int clips, AlbumFile::ReadResult* read = nullptr) const
    {
        QDeadlineTimer deadline(60000);
        for (;;) {
            const QString folder = autosaveFolder();
            const Autosave::Found found = folder.isEmpty() ? Autosave::Found() : Autosave::find(folder);
            AlbumFile::ReadResult copy = found.exists() ? AlbumFile::read(found.albumCopy) : AlbumFile::ReadResult();
            if (copy.ok && copy.album.photos.size() == photos && copy.album.clips.size() == clips) {
                if (read)
                    *read = std::move(copy);
                return true;
            }
            if (deadline.hasExpired() || run.state() == QProcess::NotRunning) {
                qWarning().noquote() << "errors:" << run.readAllStandardError();
                return false;
            }
            QTest::qWait(100);
        }
    }

private:
    QTemporaryDir dir;
};

class TestLaunch : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<ZuPref> m_pref;
    std::unique_ptr<Reelwright> m_window;
    std::unique_ptr<Autosave> m_autosave;
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

    // Offers the copy in `folder` to the window, as main() does at a start;
    // the autosave then watches the window's album for the rest of the test.
    bool offer(const QString& folder, QMessageBox::StandardButton answer)
    {
        m_answer = answer;
        Reelwright& w = window();
        if (!m_autosave)
            m_autosave = std::make_unique<Autosave>(
                w.albumDocument(), [&w] { return w.albumFilePath(); }, folder);
        return offerRecovery(w, *m_autosave);
    }

    // The restore question came once and named when the copy was written.
    bool askedOnceAbout(const Autosave::Found& found) const
    {
        const QString when = QLocale().toString(found.savedAt.toLocalTime(), QLocale::LongFormat);
        if (m_messages.value(0) == QStringLiteral("Restore the album you were working on?") &&
            m_informative.value(0).contains(when))
            return true;
        qWarning().noquote() << m_messages << m_informative << "expected" << when;
        return false;
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
        m_autosave.reset();
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
        QTest::newRow("relative, blanks kept") << QStringList{"reelwright", "a.jpg", "my photos/a  b.mp3"}
                                               << QStringList{here + "/a.jpg", here + "/my photos/a  b.mp3"};
        QTest::newRow("absolute stays") << QStringList{"reelwright", "/srv/x.reelwright"}
                                        << QStringList{"/srv/x.reelwright"};
        QTest::newRow("up and dot") << QStringList{"reelwright", "../other/./c.png"}
                                    << QStringList{"/home/someone/other/c.png"};
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

    // Paths of a later start survive the message with any character; any
    // other message is no paths.
    void pathMessages_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QStringList>("paths");
        QTest::addColumn<bool>("arePaths");
        const auto carry = [](const char* tag, const QStringList& paths) {
            QTest::newRow(tag) << LaunchPaths::encode(paths) << paths << true;
        };
        carry("blanks", {"/a b/c d.jpg", "/e  f.mp3"});
        carry("quotes and backslashes", {"/a\"b\\c.jpg", "/it's.jpg"});
        carry("line break and tab", {"/a\nb.jpg", "/c\td.png"});
        carry("not ascii", {QStringLiteral("/Fotos/Grüße ☀.jpg")});
        carry("looks like a command", {"changeLang:::de"});
        carry("many", QStringList(200, QStringLiteral("/x/y z.jpg")));
        const auto reject = [](const char* tag, const QString& message) {
            QTest::newRow(tag) << message << QStringList{} << false;
        };
        const QString marked = LaunchPaths::encode({}).chopped(2); // the marker alone
        reject("updater command", QStringLiteral("changeSkin:::Dark"));
        reject("blank-joined arguments", QStringLiteral("/a b.jpg /c.jpg"));
        reject("empty", QString());
        reject("marker, cut off", LaunchPaths::encode({QStringLiteral("/a.jpg")}).chopped(3));
        reject("marker, an object", marked + QStringLiteral("{\"a\":1}"));
        reject("marker, a number inside", marked + QStringLiteral("[\"/a.jpg\",3]"));
        reject("marker, an empty path", marked + QStringLiteral("[\"\"]"));
    }

    void pathMessages()
    {
        QFETCH(QString, message);
        QFETCH(QStringList, paths);
        QFETCH(bool, arePaths);
        const std::optional<QStringList> decoded = LaunchPaths::decode(message);
        QCOMPARE(bool(decoded), arePaths);
        if (decoded)
            QCOMPARE(*decoded, paths);
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

    // Paths as a start gives them: folders bring their photos in name order
    // where they were named, one album opens, and what is left is reported.
    void openPaths_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("photos");
        QTest::addColumn<QStringList>("clips");
        QTest::addColumn<QString>("album");
        QTest::addColumn<QStringList>("reported");
        QTest::newRow("photos, sounds, folders and the rest")
            << QStringList{"notes.txt", "song.mp3", "folder", "gone.jpg", "Photo.JPG", "empty"}
            << QStringList{"folder/A.png", "folder/b.jpg", "Photo.JPG"} << QStringList{"song.mp3"} << QString()
            << QStringList{"notes.txt", "gone.jpg", "empty"};
        QTest::newRow("one album at a time, a photo into it")
            << QStringList{"trip.Reelwright", "second.reelwright", "Photo.JPG"}
            << QStringList{"folder/A.png", "Photo.JPG"} << QStringList{} << "trip.Reelwright"
            << QStringList{"second.reelwright"};
    }

    void openPaths()
    {
        QFETCH(QStringList, given);
        QFETCH(QStringList, photos);
        QFETCH(QStringList, clips);
        QFETCH(QString, album);
        QFETCH(QStringList, reported);
        QTemporaryDir dir;
        const auto in = [&dir](QStringList names) {
            for (QString& name : names)
                name = dir.filePath(name);
            return names;
        };
        const std::pair<const char*, const char*> files[] = {{"flower.jpg", "Photo.JPG"},
                                                             {"elvish-15s.mp3", "song.mp3"},
                                                             {"flower.jpg", "folder/b.jpg"},
                                                             {"raindrops.jpg", "folder/A.png"},
                                                             {"elvish-15s.mp3", "folder/not-a-photo.mp3"},
                                                             {"flower.jpg", "folder/.hidden.jpg"},
                                                             {nullptr, "notes.txt"}};
        for (const auto& [from, to] : files)
            QVERIFY(makeFile(from ? media(from) : QString(), dir.filePath(QLatin1String(to))));
        QVERIFY(QDir(dir.path()).mkpath("empty"));
        AlbumContents trip;
        trip.photos << ImageInfo();
        trip.photos.first().filePath = dir.filePath("folder/A.png");
        trip.photos.first().procs = {TurnRight};
        trip.photoMs = 7000;
        QString error;
        QVERIFY2(AlbumFile::write(dir.filePath("trip.Reelwright"), trip, &error), qPrintable(error));
        QVERIFY(QFile::copy(dir.filePath("trip.Reelwright"), dir.filePath("second.reelwright")));

        Reelwright& w = window();
        w.openPaths(in(given));
        const AlbumContents opened = w.albumDocument().contents();
        QCOMPARE(paths(opened.photos), in(photos));
        QCOMPARE(paths(opened.clips), in(clips));
        QCOMPARE(w.albumFilePath(), album.isEmpty() ? QString() : dir.filePath(album));
        if (!album.isEmpty()) {
            QCOMPARE(opened.photos.first().procs, QVector<IMAGEPROC>{TurnRight});
            QCOMPARE(opened.photoMs, 7000);
        }
        // One report, naming exactly what was left.
        QCOMPARE(m_messages.size(), 1);
        QCOMPARE(m_messages.first().split(QLatin1Char('\n')).size(), 1 + reported.size());
        for (const QString& left : in(reported))
            QVERIFY2(m_messages.first().contains(QDir::toNativeSeparators(left)), qPrintable(m_messages[0]));

        // Later paths go into the album that is there, after its photos.
        m_messages.clear();
        w.openPaths({media("clock-portrait-exif3.jpg")});
        QCOMPARE(w.albumDocument().photos().size(), photos.size() + 1);
        QCOMPARE(w.albumDocument().photos().last().filePath, media("clock-portrait-exif3.jpg"));
        QVERIFY(m_messages.isEmpty());
    }

    void autosaveFollowsTheUnsavedChanges()
    {
        QTemporaryDir dir;
        qputenv("REELWRIGHT_AUTOSAVE_MS", "200");
        Reelwright& w = window();
        Autosave autosave(
            w.albumDocument(), [&w] { return w.albumFilePath(); }, dir.filePath(QStringLiteral("autosave")));
        qunsetenv("REELWRIGHT_AUTOSAVE_MS");
        const auto copy = [&autosave] { return Autosave::find(autosave.folder()); };

        // Nothing unsaved, nothing written.
        QTest::qWait(600);
        QVERIFY(!copy().exists());

        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        w.openPaths({media("flower.jpg"), media("raindrops.jpg")});
        QVERIFY(w.albumDocument().isModified());
        QTRY_VERIFY_WITH_TIMEOUT(copy().exists(), 5000);
        QVERIFY(copy().savedAt >= before && copy().savedAt <= QDateTime::currentDateTimeUtc());
        QVERIFY(copy().albumFile.isEmpty());
        const AlbumFile::ReadResult read = AlbumFile::read(copy().albumCopy);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(summary(read.album), summary(w.albumDocument().contents()));

        // Saving makes the copy go, and it stays gone while nothing changes.
        const QString own = dir.filePath(QStringLiteral("own.reelwright"));
        QVERIFY(w.saveAlbum(own));
        QVERIFY(!copy().exists());
        QTest::qWait(600);
        QVERIFY(!copy().exists());

        // A change after that: the copy names the album's own file, which is
        // left as saved.
        const QByteArray ownBefore = readAll(own);
        w.openPaths({media("bird-exif6.jpg")});
        QTRY_VERIFY_WITH_TIMEOUT(copy().exists(), 5000);
        QCOMPARE(copy().albumFile, own);
        QCOMPARE(readAll(own), ownBefore);
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

        QCOMPARE(offer(folder, restore ? QMessageBox::Yes : QMessageBox::No), restore);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(askedOnceAbout(found));
        Reelwright& w = window();
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
        QVERIFY(!offer(folder, QMessageBox::Yes));
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
        QVERIFY(!offer(dir.path(), QMessageBox::Yes));
        QCOMPARE(m_messages.size(), 2); // the question, then what is wrong with the file
        QVERIFY2(m_messages.last().contains(QStringLiteral("album.reelwright")), qPrintable(m_messages.last()));
        QVERIFY(Autosave::find(dir.path()).exists());
        QVERIFY(!window().albumDocument().isModified());
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
    // gives back the album it opened with its turned photos and trimmed clip,
    // the photo added to it, and the album's own file.
    void crashAndRestore()
    {
        Sandbox box;
        QVERIFY(box.isValid());
        AlbumContents original;
        const std::pair<const char*, QVector<IMAGEPROC>> turned[] = {{"flower.jpg", {TurnLeft}},
                                                                     {"raindrops.jpg", {Mirror, Flip}}};
        for (const auto& [name, steps] : turned) {
            original.photos << ImageInfo();
            original.photos.last().filePath = media(name);
            original.photos.last().procs = steps;
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
        QVERIFY(AlbumFile::read(own).ok);

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
        QCOMPARE(paths(had.album.photos), (paths(original.photos) << media("bird-exif6.jpg")));
        QCOMPARE(had.album.photos.at(1).procs, (QVector<IMAGEPROC>{Mirror, Flip}));

        const Autosave::Found found = Autosave::find(box.autosaveFolder());
        QVERIFY(found.savedAt >= started && found.savedAt <= killed);
        QCOMPARE(found.albumFile, own);
        QVERIFY(offer(box.autosaveFolder(), QMessageBox::Yes));
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(askedOnceAbout(found));
        QCOMPARE(summary(window().albumDocument().contents()), summary(had.album));
        QCOMPARE(window().albumFilePath(), own);
        QVERIFY(window().albumDocument().isModified());
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
        // Only the signal can write it again now: the next interval is well
        // over a second away.
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
        QVERIFY(box.waitForCopy(run, 2, 0, &kept)); // ended: no waiting
        QCOMPARE(paths(kept.album.photos), (QStringList{media("flower.jpg"), media("raindrops.jpg")}));
        QVERIFY(Autosave::find(folder).savedAt >= signalled.addMSecs(-1));
    }

    void secondStartHandsItsPathsOver()
    {
        Sandbox box;
        QVERIFY(box.isValid());
        const QStringList given{QStringLiteral("my photos/a b.jpg"), QStringLiteral("song one.mp3"),
                                QStringLiteral("my photos/c  d.jpg")};
        QVERIFY(makeFile(media("flower.jpg"), box.path(given[0])));
        QVERIFY(makeFile(media("elvish-15s.mp3"), box.path(given[1])));
        QVERIFY(makeFile(media("raindrops.jpg"), box.path(given[2])));

        QProcess first;
        box.prepare(first, 300);
        first.start();
        QDeadlineTimer deadline(30000);
        while (!first.peek(1024).contains(kLauncherText)) {
            QVERIFY(!deadline.hasExpired() && first.state() != QProcess::NotRunning);
            QTest::qWait(50);
        }

        QProcess second;
        box.prepare(second, 300, given);
        second.start();
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardOutput().isEmpty());

        AlbumFile::ReadResult got;
        QVERIFY(box.waitForCopy(first, 2, 1, &got));
        QCOMPARE(paths(got.album.photos), (QStringList{box.path(given[0]), box.path(given[2])}));
        QCOMPARE(paths(got.album.clips), QStringList{box.path(given[1])});
        QCOMPARE(first.state(), QProcess::Running);
        first.terminate();
        QVERIFY(first.waitForFinished(20000));
        QCOMPARE(first.exitCode(), 0);
    }
};

} // namespace

std::unique_ptr<QObject> makeLaunchTests() { return std::make_unique<TestLaunch>(); }

#include "tst_launch.moc"
