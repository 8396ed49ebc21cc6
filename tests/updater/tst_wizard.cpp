#include "loopbackserver.h"
#include "quilupdatewindow.h"
#include "updatertests.h"
#include "zu.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString kPackage = QStringLiteral("/pkg/update-2.0.bin");
const QString kUnreachable = QStringLiteral("Unable to connect validation server.\nPlease check your network connection.");

QByteArray randomBytes(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(size);
    for (char &c : data)
        c = char(random.bounded(256));
    return data;
}

QByteArray md5Hex(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

template <typename T = QWidget>
T *part(QWidget *window, const char *name)
{
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no %s on the wizard", name);
    return widget;
}

QString pref(const char *key)
{
    return ZuPref::instance()->value(QLatin1String(key)).toString();
}

QString closedAddress(const QString &path)
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(LoopbackServer::closedPort()).arg(path);
}

// One wizard run whose service offers the package at `packageUrl`.
struct Wizard
{
    Wizard(LoopbackServer &server, const QString &packageUrl, int stallMs = 5000)
    {
        server.respond(QStringLiteral("/soap"),
                       {200, soapAnswer("1", packageUrl.toHtmlEscaped().toUtf8(), "2.0", "1"), {}, -1});
        window.setStallTimeout(stallMs);
        window.Init(QStringLiteral("reelwright"), QStringLiteral("0.1.0"), QStringLiteral("Reelwright"),
                    QStringLiteral("en"), server.url(QStringLiteral("/soap")).toString());
        checked = window.checkUpate();
    }
    int page() { return part<QStackedWidget>(&window, "verticalStackedWidget")->currentIndex(); }
    bool settle() { return QTest::qWaitFor([this] { return quit.size() > 0 || page() == 2; }, 15000); }

    quilUpdateWindow window;
    QSignalSpy quit{&window, &quilUpdateWindow::quitRequested};
    int checked = 0;
};

} // namespace

class WizardTests : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void serviceOutcomes_data();
    void serviceOutcomes();
    void downloads_data();
    void downloads();
    void refusedPackageAddresses();
    void cancelDuringDownloadKeepsWhatWasThere();
    void saveAsCopiesThePackage_data();
    void saveAsCopiesThePackage();
    void timeFormat_data();
    void timeFormat();
    void progress_data();
    void progress();
    void windowSizeFromSkin();

private:
    QStringList m_boxes;
    QMessageBox::StandardButton m_answer = QMessageBox::Yes;
    QList<QUrl> m_opened;
    QString m_downloads;
};

void WizardTests::init()
{
    m_boxes.clear();
    m_opened.clear();
    m_answer = QMessageBox::Yes;
    ZuMessageBox::setAnswerHook([this](QMessageBox &box) {
        m_boxes << box.text();
        return box.icon() == QMessageBox::Question ? m_answer : QMessageBox::Ok;
    });
    quilUpdateWindow::setUrlOpener([this](const QUrl &url) {
        m_opened << url;
        return true;
    });
    m_downloads = Zu::appDataPath();
    QDir(m_downloads).removeRecursively();
    QDir().mkpath(m_downloads);
    ZuPref::instance()->setValue(QStringLiteral("update_localpath"), QStringLiteral("old"));
}

void WizardTests::cleanup()
{
    ZuMessageBox::setAnswerHook({});
    quilUpdateWindow::setUrlOpener({});
    quilUpdateWindow::setSaveFileChooser({});
}

void WizardTests::serviceOutcomes_data()
{
    QTest::addColumn<QByteArray>("answer"); // empty: nobody listens
    QTest::addColumn<QString>("message");
    const QString latest = QStringLiteral("The current version you are using is the latest one.");
    QTest::newRow("no newer version") << soapAnswer("0", "http://x/p.bin", "", "") << latest;
    QTest::newRow("count not a number") << soapAnswer("yes", "http://x/p.bin", "", "") << latest;
    QTest::newRow("malformed answer") << soapAnswer("1", "http://x/p.bin", "2", "1").left(150) << kUnreachable;
    QTest::newRow("connection refused") << QByteArray() << kUnreachable;
}

void WizardTests::serviceOutcomes()
{
    QFETCH(QByteArray, answer);
    QFETCH(QString, message);
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {200, answer, {}, -1});
    quilUpdateWindow window;
    window.Init(QStringLiteral("reelwright"), QStringLiteral("0.1.0"), QStringLiteral("Reelwright"), QStringLiteral("en"),
                answer.isEmpty() ? closedAddress(QStringLiteral("/soap")) : server.url(QStringLiteral("/soap")).toString());
    QCOMPARE(window.checkUpate(), 0);
    QCOMPARE(m_boxes, QStringList{message});
    QVERIFY(!window.isVisible());
}

void WizardTests::downloads_data()
{
    QTest::addColumn<int>("status"); // 0: nobody listens
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qint64>("stallAfter");
    QTest::addColumn<QByteArray>("redirect");
    QTest::addColumn<int>("md5Status");
    QTest::addColumn<QByteArray>("md5Body");
    QTest::addColumn<QString>("alert"); // empty: reaches the install page

    const QByteArray good = randomBytes(150000);
    const QByteArray exact = randomBytes(102400);
    const QByteArray none;
    QTest::newRow("verified") << 200 << good << -1LL << none << 200 << md5Hex(good) << QString();
    QTest::newRow("no digest file") << 200 << good << -1LL << none << 404 << none << QString();
    QTest::newRow("digest of another form") << 200 << good << -1LL << none << 200 << md5Hex(good) + "  x\n" << QString();
    QTest::newRow("digest mismatch") << 200 << good << -1LL << none << 200 << md5Hex(exact) << "Download error!";
    QTest::newRow("exactly 102400 bytes") << 200 << exact << -1LL << none << 200 << md5Hex(exact) << kUnreachable;
    QTest::newRow("error page as package") << 200 << QByteArray("<html>Try later</html>") << -1LL << none << 404 << none
                                           << "Download error!";
    QTest::newRow("package not found") << 404 << QByteArray("<html>No</html>") << -1LL << none << 404 << none
                                       << "Update failed.";
    QTest::newRow("server stalls") << 200 << good << 50000LL << none << 404 << none << "Update failed.";
    QTest::newRow("connection refused") << 0 << good << -1LL << none << 200 << md5Hex(good) << "Update failed.";
    QTest::newRow("redirect on http") << 200 << good << -1LL << QByteArray("/mirror/u.bin") << 200 << md5Hex(good)
                                      << QString();
    QTest::newRow("redirect to ftp") << 200 << good << -1LL << QByteArray("ftp://127.0.0.1/u.bin") << 200
                                     << md5Hex(good) << "Update failed.";
}

void WizardTests::downloads()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(qint64, stallAfter);
    QFETCH(QByteArray, redirect);
    QFETCH(int, md5Status);
    QFETCH(QByteArray, md5Body);
    QFETCH(QString, alert);

    LoopbackServer server;
    server.respond(redirect.isEmpty() ? kPackage : QString::fromLatin1(redirect), {status, body, {}, stallAfter});
    if (!redirect.isEmpty())
        server.respond(kPackage, {302, "moved", redirect, -1});
    server.respond(kPackage + QStringLiteral(".md5"), {md5Status, md5Body, {}, -1});
    Wizard wizard(server, status == 0 ? closedAddress(kPackage) : server.url(kPackage).toString(), 700);
    QCOMPARE(wizard.checked, 1);
    QVERIFY(wizard.window.isVisible());
    QVERIFY(wizard.settle());
    if (!alert.isEmpty()) {
        QCOMPARE(m_boxes, QStringList{alert});
        QCOMPARE(wizard.quit.size(), 1);
        QVERIFY(!wizard.window.isVisible());
        QCOMPARE(pref("update_localpath"), QString());
        QVERIFY(m_opened.isEmpty());
        return;
    }
    const QString stored = m_downloads + QStringLiteral("/update-2.0.bin");
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(wizard.page(), 2);
    QCOMPARE(readFile(stored), body);
    QCOMPARE(pref("update_version"), QStringLiteral("2.0"));
    QCOMPARE(pref("update_localpath"), stored);
    QCOMPARE(part<QLabel>(&wizard.window, "download_status")->text(), QStringLiteral("Update Finished"));
    QVERIFY(m_opened.isEmpty()); // nothing is opened until the user asks
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_4"), Qt::LeftButton);
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(stored)});
    QCOMPARE(wizard.quit.size(), 1);
}

void WizardTests::refusedPackageAddresses()
{
    LoopbackServer server;
    const QString host = QStringLiteral("127.0.0.1:%1").arg(server.url(QStringLiteral("/")).port());
    for (const QString &address : {QStringLiteral("ftp://%1/pkg/update.bin").arg(host),
                                   QStringLiteral("file:///etc/hostname"), QStringLiteral("http://%1/pkg/..").arg(host),
                                   QStringLiteral("http://%1/pkg/").arg(host),
                                   QStringLiteral("http://%1/pkg/..%2F..%2Fevil").arg(host)}) {
        Wizard wizard(server, address);
        QCOMPARE(wizard.checked, 1);
        QCOMPARE(wizard.page(), 1);
        QCOMPARE(part<QLabel>(&wizard.window, "download_status")->text(), QStringLiteral("Download failed!"));
        QCOMPARE(pref("update_localpath"), QString());
    }
    QTest::qWait(100);
    for (const ReceivedRequest &request : server.requests)
        QCOMPARE(request.method, QByteArray("POST")); // service calls only
    QCOMPARE(QDir(m_downloads).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QVERIFY(m_boxes.isEmpty());
}

void WizardTests::cancelDuringDownloadKeepsWhatWasThere()
{
    // What lies under the package's name from an earlier run stays as it was.
    const QString stored = m_downloads + QStringLiteral("/update-2.0.bin");
    writeFile(stored, "kept");
    writeFile(stored + QStringLiteral(".md5"), "kept too");
    LoopbackServer server;
    server.respond(kPackage, {200, randomBytes(300000), {}, 120000});
    server.respond(kPackage + QStringLiteral(".md5"), {200, md5Hex("x"), {}, 10});
    Wizard wizard(server, server.url(kPackage).toString(), 20000);
    auto *bar = part<QProgressBar>(&wizard.window, "progressBar");
    QTRY_COMPARE_WITH_TIMEOUT(bar->value(), 40, 10000);

    m_answer = QMessageBox::No;
    wizard.window.close(); // closing the window asks the same question
    QCOMPARE(m_boxes, QStringList{QStringLiteral("Are you sure to quit update wizard?")});
    QVERIFY(wizard.window.isVisible());
    m_answer = QMessageBox::Yes;
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton"), Qt::LeftButton);
    QCOMPARE(wizard.quit.size(), 1);
    QCOMPARE(bar->value(), 0);
    QTest::qWait(100);
    QCOMPARE(QDir(m_downloads).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("update-2.0.bin"), QStringLiteral("update-2.0.bin.md5")}));
    QCOMPARE(readFile(stored) + readFile(stored + QStringLiteral(".md5")), QByteArray("keptkept too"));
}

void WizardTests::saveAsCopiesThePackage_data()
{
    QTest::addColumn<QString>("target"); // "@": the package itself
    QTest::addColumn<bool>("saved");
    QTest::newRow("replaces a file") << QStringLiteral("copy.bin") << true;
    QTest::newRow("the package itself") << QStringLiteral("@") << true;
    QTest::newRow("missing folder") << QStringLiteral("no/such/copy.bin") << false;
}

void WizardTests::saveAsCopiesThePackage()
{
    QFETCH(QString, target);
    QFETCH(bool, saved);
    const QByteArray body = randomBytes(120000);
    LoopbackServer server;
    server.respond(kPackage, {200, body, {}, -1});
    Wizard wizard(server, server.url(kPackage).toString());
    QVERIFY(wizard.settle());

    QTemporaryDir scratch;
    const QString path = target == QLatin1String("@") ? wizard.window.packagePath() : scratch.filePath(target);
    if (target != QLatin1String("@"))
        writeFile(path, "someone else's");
    QStringList asked;
    quilUpdateWindow::setSaveFileChooser([&](QWidget *, const QString &caption, const QString &offered) {
        asked << caption << offered;
        return path;
    });
    ZuPref::instance()->remove(QStringLiteral("update_lastvalue"));
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_2"), Qt::LeftButton);

    QCOMPARE(asked, (QStringList{QStringLiteral("Save File..."), Zu::docPath() + QStringLiteral("/update-2.0.bin")}));
    QCOMPARE(pref("update_lastvalue"), path);
    QCOMPARE(m_boxes, saved ? QStringList() : QStringList{QStringLiteral("Failed to save the installation files.")});
    if (saved)
        QCOMPARE(readFile(path), body);
    QCOMPARE(readFile(wizard.window.packagePath()), body);
    QVERIFY(wizard.window.isVisible());
}

void WizardTests::timeFormat_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("negative") << -1 << QString();
    QTest::newRow("one second") << 1 << QStringLiteral("00:00:01");
    QTest::newRow("just under an hour") << 3599 << QStringLiteral("00:59:59");
    QTest::newRow("hour, minutes, seconds") << 3725 << QStringLiteral("01:02:05");
    QTest::newRow("more than 99 hours") << 360000 << QStringLiteral("100:00:00");
}

void WizardTests::timeFormat()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(quilUpdateWindow::formattime(seconds), text);
}

void WizardTests::progress_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QString>("remaining"); // ten seconds have passed in every row
    QTest::newRow("unknown total") << 0LL << 0LL << 0 << QString();
    QTest::newRow("under one percent") << 9LL << 1000LL << 0 << QString();
    QTest::newRow("a quarter") << 250LL << 1000LL << 25 << QStringLiteral("00:00:30");
    QTest::newRow("a third, truncated") << 1LL << 3LL << 33 << QStringLiteral("00:00:20");
    QTest::newRow("all") << 1000LL << 1000LL << 100 << QString();
    QTest::newRow("more than announced") << 1500LL << 1000LL << 100 << QString();
    QTest::newRow("beyond 2 GiB") << 4000000000LL << 5000000000LL << 80 << QStringLiteral("00:00:02");
}

void WizardTests::progress()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, percent);
    QFETCH(QString, remaining);
    quilUpdateWindow window;
    part<QStackedWidget>(&window, "verticalStackedWidget")->setCurrentIndex(1);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *bar = part<QProgressBar>(&window, "progressBar");
    const QImage empty = bar->grab().toImage();
    for (int i = 0; i < 10; ++i)
        window.on_timer_update_time();
    window.on_download_updateDataReadProgress(done, total);
    window.on_timer_update_time(); // the labels follow on the next tick
    QCOMPARE(part<QLabel>(&window, "label_6")->text(), QStringLiteral("%1%").arg(percent));
    QCOMPARE(part<QLabel>(&window, "label_3")->text(), QStringLiteral("Remaining Time: ") + remaining);
    QCOMPARE(part<QLabel>(&window, "label_2")->text(), QStringLiteral("Elapsed Time: 00:00:11"));
    // The bar as shown is filled over the left `percent` of its width.
    const QImage shown = bar->grab().toImage();
    const int edge = shown.width() * percent / 100, y = shown.height() / 2;
    if (percent >= 10)
        QVERIFY(shown.pixel(edge - 6, y) != empty.pixel(edge - 6, y));
    if (percent <= 90)
        QCOMPARE(shown.pixel(edge + 6, y), empty.pixel(edge + 6, y));
}

void WizardTests::windowSizeFromSkin()
{
    quilUpdateWindow window;
    QCOMPARE(window.size(), QSize(600, 400));
    for (const char *invalid : {"700", "1,2,3", "wide,tall", "0,400"}) {
        window.setProperty("UpDateWindowSize", QString::fromLatin1(invalid));
        QCOMPARE(window.maximumSize(), QSize(600, 400));
    }
    window.setStyleSheet(QStringLiteral("#zufc_updatewindow { qproperty-UpDateWindowSize: \",640,,480,\"; }"));
    window.ensurePolished();
    QCOMPARE(window.minimumSize(), QSize(640, 480));
    QCOMPARE(window.maximumSize(), QSize(640, 480));
    QCOMPARE(window.property("UpDateWindowSize").toString(), QStringLiteral("640,480"));
}

std::unique_ptr<QObject> makeWizardTests()
{
    return std::make_unique<WizardTests>();
}

#include "tst_wizard.moc"
