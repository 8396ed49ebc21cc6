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

const QString kPackagePath = QStringLiteral("/pkg/update-2.0.bin");
const QString kUnreachable = QStringLiteral("Unable to connect validation server.\nPlease check your network connection.");

QByteArray package(int size, quint32 seed = 7)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
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
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(data);
}

template <typename T>
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

// One wizard run against `server`, which answers the service call with an
// update at `packageUrl`.
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
    bool settle()
    {
        return QTest::qWaitFor([this] { return quit.size() > 0 || page() == 2; }, 15000);
    }

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
    void downloads_data();
    void downloads();
    void refusedPackageAddresses_data();
    void refusedPackageAddresses();
    void serviceOutcomes_data();
    void serviceOutcomes();
    void cancelDuringDownloadKeepsWhatWasThere();
    void saveAsCopiesThePackage_data();
    void saveAsCopiesThePackage();
    void timeFormat_data();
    void timeFormat();
    void progress_data();
    void progress();
    void windowSizeFromSkin_data();
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

void WizardTests::downloads_data()
{
    QTest::addColumn<int>("status"); // 0: nobody listens
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<qint64>("stallAfter");
    QTest::addColumn<QByteArray>("redirect");
    QTest::addColumn<int>("md5Status");
    QTest::addColumn<QByteArray>("md5Body");
    QTest::addColumn<QString>("alert"); // empty: reaches the install page

    const QByteArray good = package(150000);
    const QByteArray none;
    QTest::newRow("verified") << 200 << good << -1LL << none << 200 << md5Hex(good) << QString();
    QTest::newRow("no digest file") << 200 << good << -1LL << none << 404 << none << QString();
    QTest::newRow("digest file of another form")
        << 200 << good << -1LL << none << 200 << md5Hex(good) + "  update-2.0.bin\n" << QString();
    QTest::newRow("digest mismatch") << 200 << good << -1LL << none << 200 << md5Hex(package(10))
                                     << QStringLiteral("Download error!");
    const QByteArray exact = package(102400);
    QTest::newRow("exactly 102400 bytes") << 200 << exact << -1LL << none << 200 << md5Hex(exact) << kUnreachable;
    QTest::newRow("error page instead of package")
        << 200 << QByteArray("<html><body>Sorry, try later</body></html>") << -1LL << none << 404 << none
        << QStringLiteral("Download error!");
    QTest::newRow("package not found") << 404 << QByteArray("<html><body>Not here</body></html>") << -1LL << none
                                       << 404 << none << QStringLiteral("Update failed.");
    QTest::newRow("server stalls") << 200 << good << 50000LL << none << 404 << none
                                   << QStringLiteral("Update failed.");
    QTest::newRow("connection refused") << 0 << good << -1LL << none << 200 << md5Hex(good)
                                        << QStringLiteral("Update failed.");
    QTest::newRow("redirect on http") << 200 << good << -1LL << QByteArray("/mirror/u.bin") << 200 << md5Hex(good)
                                      << QString();
    QTest::newRow("redirect to another scheme") << 200 << good << -1LL << QByteArray("ftp://127.0.0.1/u.bin") << 200
                                                << md5Hex(good) << QStringLiteral("Update failed.");
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
    if (redirect.isEmpty()) {
        server.respond(kPackagePath, {status, body, {}, stallAfter});
    } else {
        server.respond(kPackagePath, {302, "moved", redirect, -1});
        server.respond(QString::fromLatin1(redirect), {status, body, {}, stallAfter});
    }
    server.respond(kPackagePath + QStringLiteral(".md5"), {md5Status, md5Body, {}, -1});
    const QUrl url = status == 0 ? QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(LoopbackServer::closedPort()).arg(kPackagePath))
                                 : server.url(kPackagePath);

    Wizard wizard(server, url.toString(), 700);
    QCOMPARE(wizard.checked, 1);
    QVERIFY(wizard.window.isVisible());
    QVERIFY(wizard.settle());
    const QString stored = m_downloads + QStringLiteral("/update-2.0.bin");
    if (!alert.isEmpty()) {
        QCOMPARE(m_boxes, QStringList{alert});
        QCOMPARE(wizard.quit.size(), 1);
        QVERIFY(!wizard.window.isVisible());
        QCOMPARE(pref("update_localpath"), QString());
        QVERIFY(m_opened.isEmpty());
        return;
    }
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(wizard.page(), 2);
    QCOMPARE(wizard.window.packagePath(), stored);
    QCOMPARE(readFile(stored), body);
    QCOMPARE(pref("update_version"), QStringLiteral("2.0"));
    QCOMPARE(pref("update_localpath"), stored);
    QCOMPARE(part<QProgressBar>(&wizard.window, "progressBar")->value(), 100);
    QCOMPARE(part<QLabel>(&wizard.window, "download_status")->text(), QStringLiteral("Update Finished"));
    // Nothing is opened until the user asks for it.
    QVERIFY(m_opened.isEmpty());
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_4"), Qt::LeftButton);
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(stored)});
    QCOMPARE(wizard.quit.size(), 1);
}

void WizardTests::refusedPackageAddresses_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1:%1/pkg/update.bin");
    QTest::newRow("file") << QStringLiteral("file:///etc/hostname");
    QTest::newRow("ends in /..") << QStringLiteral("http://127.0.0.1:%1/pkg/..");
    QTest::newRow("ends in /.") << QStringLiteral("http://127.0.0.1:%1/pkg/.");
    QTest::newRow("no file name") << QStringLiteral("http://127.0.0.1:%1/pkg/");
    QTest::newRow("encoded separator") << QStringLiteral("http://127.0.0.1:%1/pkg/..%2F..%2Fevil");
    QTest::newRow("no address") << QString();
}

void WizardTests::refusedPackageAddresses()
{
    QFETCH(QString, address);
    LoopbackServer server;
    if (address.contains(QLatin1String("%1")))
        address = address.arg(server.url(QStringLiteral("/")).port());
    Wizard wizard(server, address);
    QCOMPARE(wizard.checked, 1);
    QTest::qWait(200);
    QCOMPARE(wizard.page(), 1);
    QCOMPARE(part<QLabel>(&wizard.window, "download_status")->text(), QStringLiteral("Download failed!"));
    QCOMPARE(server.requests().size(), 1); // the service call, no download
    QCOMPARE(QDir(m_downloads).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QCOMPARE(pref("update_localpath"), QString());
    QVERIFY(m_boxes.isEmpty());
}

void WizardTests::serviceOutcomes_data()
{
    QTest::addColumn<int>("status"); // 0: nobody listens
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QString>("message");
    const QString latest = QStringLiteral("The current version you are using is the latest one.");
    QTest::newRow("no newer version") << 200 << soapAnswer("0", "http://x/p.bin", "", "") << latest;
    QTest::newRow("empty count") << 200 << soapAnswer("", "http://x/p.bin", "", "") << latest;
    QTest::newRow("count not a number") << 200 << soapAnswer("yes", "http://x/p.bin", "", "") << latest;
    QTest::newRow("malformed answer") << 200 << soapAnswer("1", "http://x/p.bin", "2", "1").left(150) << kUnreachable;
    QTest::newRow("service error") << 500 << QByteArray("oops") << kUnreachable;
    QTest::newRow("connection refused") << 0 << QByteArray() << kUnreachable;
}

void WizardTests::serviceOutcomes()
{
    QFETCH(int, status);
    QFETCH(QByteArray, answer);
    QFETCH(QString, message);
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {status, answer, {}, -1});
    const QUrl endpoint = status == 0 ? QUrl(QStringLiteral("http://127.0.0.1:%1/soap").arg(LoopbackServer::closedPort()))
                                      : server.url(QStringLiteral("/soap"));
    quilUpdateWindow window;
    window.Init(QStringLiteral("reelwright"), QStringLiteral("0.1.0"), QStringLiteral("Reelwright"),
                QStringLiteral("en"), endpoint.toString());
    QCOMPARE(window.checkUpate(), 0);
    QCOMPARE(m_boxes, QStringList{message});
    QVERIFY(!window.isVisible());
    QCOMPARE(server.requests().size(), status == 0 ? 0 : 1);
}

void WizardTests::cancelDuringDownloadKeepsWhatWasThere()
{
    // What lies under the package's name from an earlier run stays as it was.
    const QString stored = m_downloads + QStringLiteral("/update-2.0.bin");
    writeFile(stored, "kept");
    writeFile(stored + QStringLiteral(".md5"), "kept too");

    LoopbackServer server;
    server.respond(kPackagePath, {200, package(300000), {}, 120000});
    server.respond(kPackagePath + QStringLiteral(".md5"), {200, "0123456789abcdef0123456789abcdef", {}, 10});
    Wizard wizard(server, server.url(kPackagePath).toString(), 20000);
    (void)QTest::qWaitFor([&] { return part<QProgressBar>(&wizard.window, "progressBar")->value() == 40; }, 10000);
    QCOMPARE(part<QProgressBar>(&wizard.window, "progressBar")->value(), 40);

    m_answer = QMessageBox::No;
    wizard.window.close(); // closing the window asks the same question
    QCOMPARE(m_boxes, QStringList{QStringLiteral("Are you sure to quit update wizard?")});
    QVERIFY(wizard.window.isVisible());
    QCOMPARE(wizard.quit.size(), 0);

    m_answer = QMessageBox::Yes;
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton"), Qt::LeftButton);
    QCOMPARE(wizard.quit.size(), 1);
    QCOMPARE(part<QProgressBar>(&wizard.window, "progressBar")->value(), 0);
    QTest::qWait(100);
    QCOMPARE(QDir(m_downloads).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("update-2.0.bin"), QStringLiteral("update-2.0.bin.md5")}));
    QCOMPARE(readFile(stored), QByteArray("kept"));
    QCOMPARE(readFile(stored + QStringLiteral(".md5")), QByteArray("kept too"));
    QCOMPARE(pref("update_localpath"), QString());
}

void WizardTests::saveAsCopiesThePackage_data()
{
    QTest::addColumn<QString>("target"); // in a scratch folder; "@" is the package itself
    QTest::addColumn<bool>("existing");
    QTest::addColumn<bool>("saved");
    QTest::newRow("new file") << QStringLiteral("copy.bin") << false << true;
    QTest::newRow("replaces a file") << QStringLiteral("copy.bin") << true << true;
    QTest::newRow("the package itself") << QStringLiteral("@") << true << true;
    QTest::newRow("missing folder") << QStringLiteral("no/such/folder/copy.bin") << false << false;
}

void WizardTests::saveAsCopiesThePackage()
{
    QFETCH(QString, target);
    QFETCH(bool, existing);
    QFETCH(bool, saved);

    const QByteArray body = package(120000, 11);
    LoopbackServer server;
    server.respond(kPackagePath, {200, body, {}, -1});
    server.respond(kPackagePath + QStringLiteral(".md5"), {200, md5Hex(body), {}, -1});
    Wizard wizard(server, server.url(kPackagePath).toString());
    QVERIFY(wizard.settle());
    QCOMPARE(wizard.page(), 2);

    QTemporaryDir scratch;
    const QString path = target == QLatin1String("@") ? wizard.window.packagePath() : scratch.filePath(target);
    if (existing && target != QLatin1String("@"))
        writeFile(path, "someone else's");
    QString proposed;
    quilUpdateWindow::setSaveFileChooser([&](QWidget *, const QString &caption, const QString &offered) {
        proposed = offered;
        return caption == QLatin1String("Save File...") ? path : QString();
    });
    ZuPref::instance()->remove(QStringLiteral("update_lastvalue"));
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_2"), Qt::LeftButton);

    QCOMPARE(proposed, Zu::docPath() + QStringLiteral("/update-2.0.bin"));
    QCOMPARE(pref("update_lastvalue"), path);
    if (saved) {
        QVERIFY(m_boxes.isEmpty());
        QCOMPARE(readFile(path), body);
    } else {
        QCOMPARE(m_boxes, QStringList{QStringLiteral("Failed to save the installation files.")});
    }
    QCOMPARE(readFile(wizard.window.packagePath()), body);
    QVERIFY(wizard.window.isVisible());
    QCOMPARE(wizard.quit.size(), 0);
}

void WizardTests::timeFormat_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("none") << 0 << QString();
    QTest::newRow("negative") << -1 << QString();
    QTest::newRow("one second") << 1 << QStringLiteral("00:00:01");
    QTest::newRow("a minute") << 60 << QStringLiteral("00:01:00");
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
    QTest::addColumn<int>("remaining");
    QTest::addColumn<QString>("remainingText");
    // Ten seconds have passed in every row.
    QTest::newRow("unknown total") << 0LL << 0LL << 0 << -1 << QStringLiteral("Remaining Time: ");
    QTest::newRow("nothing yet") << 0LL << 1000LL << 0 << -1 << QStringLiteral("Remaining Time: ");
    QTest::newRow("under one percent") << 9LL << 1000LL << 0 << -1 << QStringLiteral("Remaining Time: ");
    QTest::newRow("a quarter") << 250LL << 1000LL << 25 << 30 << QStringLiteral("Remaining Time: 00:00:30");
    QTest::newRow("a third, truncated") << 1LL << 3LL << 33 << 20 << QStringLiteral("Remaining Time: 00:00:20");
    QTest::newRow("all") << 1000LL << 1000LL << 100 << 0 << QStringLiteral("Remaining Time: ");
    QTest::newRow("more than announced") << 1500LL << 1000LL << 100 << 0 << QStringLiteral("Remaining Time: ");
    QTest::newRow("beyond 2 GiB") << 3000000000LL << 6000000000LL << 50 << 10
                                  << QStringLiteral("Remaining Time: 00:00:10");
}

void WizardTests::progress()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(int, percent);
    QFETCH(int, remaining);
    QFETCH(QString, remainingText);

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
    QCOMPARE(bar->value(), percent);
    QCOMPARE(window.remainingSeconds(), remaining);
    QCOMPARE(part<QLabel>(&window, "label_6")->text(), QStringLiteral("%1%").arg(percent));
    QCOMPARE(part<QLabel>(&window, "label_3")->text(), remainingText);
    QCOMPARE(part<QLabel>(&window, "label_2")->text(), QStringLiteral("Elapsed Time: 00:00:11"));
    // The bar shows the share: its filled part covers the left `percent`.
    const QImage shown = bar->grab().toImage();
    const int y = shown.height() / 2;
    const auto changed = [&](int x) { return shown.pixel(x, y) != empty.pixel(x, y); };
    const int inside = shown.width() * percent / 100 - 6;
    const int outside = shown.width() * percent / 100 + 6;
    if (percent >= 10)
        QVERIFY(changed(inside));
    if (percent <= 90)
        QVERIFY(!changed(outside));
}

void WizardTests::windowSizeFromSkin_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("styleSheet");
    QTest::addColumn<QSize>("size");
    QTest::newRow("from the skin") << QStringLiteral("640,480") << true << QSize(640, 480);
    QTest::newRow("empty parts dropped") << QStringLiteral(",700,,500,") << false << QSize(700, 500);
    QTest::newRow("one number") << QStringLiteral("700") << false << QSize(600, 400);
    QTest::newRow("three numbers") << QStringLiteral("1,2,3") << false << QSize(600, 400);
    QTest::newRow("not numbers") << QStringLiteral("wide,tall") << false << QSize(600, 400);
    QTest::newRow("zero") << QStringLiteral("0,400") << false << QSize(600, 400);
}

void WizardTests::windowSizeFromSkin()
{
    QFETCH(QString, value);
    QFETCH(bool, styleSheet);
    QFETCH(QSize, size);
    quilUpdateWindow window;
    QCOMPARE(window.size(), QSize(600, 400));
    if (styleSheet) {
        window.setStyleSheet(QStringLiteral("#zufc_updatewindow { qproperty-UpDateWindowSize: \"%1\"; }").arg(value));
        window.ensurePolished();
    } else {
        window.setProperty("UpDateWindowSize", value);
    }
    QCOMPARE(window.size(), size);
    QCOMPARE(window.minimumSize(), size);
    QCOMPARE(window.maximumSize(), size);
    if (size != QSize(600, 400))
        QCOMPARE(window.property("UpDateWindowSize").toString(), QStringLiteral("%1,%2").arg(size.width()).arg(size.height()));
}

std::unique_ptr<QObject> makeWizardTests()
{
    return std::make_unique<WizardTests>();
}

#include "tst_wizard.moc"
