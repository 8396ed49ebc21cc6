// The update wizard: service answers, downloads and their digests, redirects, saving, the pages, its start.

#include "loopbackserver.h"
#include "quilupdatewindow.h"
#include "updatertests.h"
#include "zu.h"
#include "zumessagebox.h"
#include "zupref.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

namespace {

const QString kPackage = QStringLiteral("/pkg/update-2.0.tar.xz");
const QString kUnreachable =
    QStringLiteral("Unable to connect validation server.\nPlease check your network connection.");

QByteArray randomBytes(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(size);
    for (char& c : data)
        c = char(random.bounded(256));
    return data;
}

QByteArray md5Hex(const QByteArray& data) { return QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex(); }

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(data);
}

template <typename T = QWidget>
T* part(QWidget* window, const char* name)
{
    T* widget = window->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no %s on the wizard", name);
    return widget;
}

QString pref(const char* key) { return ZuPref::instance()->value(QLatin1String(key)).toString(); }

// A package and its matching digest at `path`.
void servePackage(LoopbackServer& server, const QString& path, const QByteArray& body)
{
    server.respond(path, {200, body, {}, -1});
    server.respond(path + QStringLiteral(".md5"), {200, md5Hex(body), {}, -1});
}

QString closedAddress(const QString& path)
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(LoopbackServer::closedPort()).arg(path);
}

// One wizard run whose service offers the package at `packageUrl`.
struct Wizard {
    Wizard(LoopbackServer& server, const QString& packageUrl, int stallMs = 5000,
           const QString& version = QStringLiteral("2.0"), const QString& importance = QStringLiteral("1"))
    {
        server.respond(QStringLiteral("/soap"),
                       {200,
                        soapAnswer("1", packageUrl.toHtmlEscaped().toUtf8(), version.toHtmlEscaped().toUtf8(),
                                   importance.toHtmlEscaped().toUtf8()),
                        {},
                        -1});
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
    void serviceOutcomes_data();
    void serviceOutcomes();
    void downloads_data();
    void downloads();
    void refusedPackageAddresses();
    void serviceTextIsPlain_data();
    void serviceTextIsPlain();
    void installOnlyKnownPackageTypes_data();
    void installOnlyKnownPackageTypes();
    void redirectChains_data();
    void redirectChains();
    void cancelDuringDownloadKeepsWhatWasThere();
    void saveAsCopiesThePackage_data();
    void saveAsCopiesThePackage();
    void timeFormat_data();
    void timeFormat();
    void progress_data();
    void progress();
    void windowSizeFromSkin();
    void startOpensThePreferenceFileFirst();

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
    ZuMessageBox::setAnswerHook([this](QMessageBox& box) {
        m_boxes << box.text();
        return box.icon() == QMessageBox::Question ? m_answer : QMessageBox::Ok;
    });
    quilUpdateWindow::setUrlOpener([this](const QUrl& url) {
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
    window.Init(
        QStringLiteral("reelwright"), QStringLiteral("0.1.0"), QStringLiteral("Reelwright"), QStringLiteral("en"),
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
    QTest::addColumn<qint64>("closeAfter");

    const QByteArray good = randomBytes(150000);
    const QByteArray exact = randomBytes(102400);
    const QByteArray none;
    const QString error = QStringLiteral("Download error!");
    const QString failed = QStringLiteral("Update failed.");
    const auto row = [](const char* name, const QByteArray& body, const QByteArray& md5Body, const QString& alert,
                        int status = 200, int md5Status = 200, const QByteArray& redirect = {}, qint64 stallAfter = -1,
                        qint64 closeAfter = -1) {
        QTest::newRow(name) << status << body << stallAfter << redirect << md5Status << md5Body << alert << closeAfter;
    };
    row("verified", good, md5Hex(good), {});
    row("digest with a line end", good, md5Hex(good) + "\n", {});
    row("digest in capitals", good, md5Hex(good).toUpper(), {});
    // Without a digest that matches, nothing is offered.
    row("no digest file", good, none, error, 200, 404);
    row("empty digest", good, none, error);
    row("digest with a file name", good, md5Hex(good) + "  x\n", error);
    row("digest not hex", good, QByteArray(32, 'z'), error);
    row("digest cut short", good, md5Hex(good).left(31), error);
    row("digest as a page", good, QByteArray(5000, 'a'), error);
    row("digest mismatch", good, md5Hex(exact), error);
    row("digest redirected to ftp", good, md5Hex(good), error, 200, 200, "md5:ftp://127.0.0.1/u.md5");
    row("exactly 102400 bytes", exact, md5Hex(exact), kUnreachable);
    row("error page as package", "<html>Try later</html>", none, error, 200, 404);
    row("package not found", "<html>No</html>", none, failed, 404, 404);
    row("not found, page has the digest", good, md5Hex(good), failed, 404);
    row("server stalls", good, none, failed, 200, 404, {}, 50000);
    row("body cut short", good, md5Hex(good), failed, 200, 200, {}, -1, 60000);
    row("connection refused", good, md5Hex(good), failed, 0);
    row("redirect on http", good, md5Hex(good), {}, 200, 200, "/mirror/u.bin");
    row("redirect to ftp", good, md5Hex(good), failed, 200, 200, "ftp://127.0.0.1/u.bin");
    row("redirect to a file", good, md5Hex(good), failed, 200, 200, "file:///etc/hostname");
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
    QFETCH(qint64, closeAfter);

    // An earlier download of the same name stays as it was unless a
    // complete, verified package replaces it.
    const QString stored = m_downloads + QStringLiteral("/update-2.0.tar.xz");
    const QByteArray earlier = randomBytes(110000);
    writeFile(stored, earlier);

    LoopbackServer server;
    const QString md5Path = kPackage + QStringLiteral(".md5");
    if (redirect.startsWith("md5:")) {
        server.respond(kPackage, {status, body, {}, stallAfter, closeAfter});
        server.respond(md5Path, {302, "moved", redirect.mid(4), -1});
    } else {
        server.respond(redirect.isEmpty() ? kPackage : QString::fromLatin1(redirect),
                       {status, body, {}, stallAfter, closeAfter});
        if (!redirect.isEmpty())
            server.respond(kPackage, {302, "moved", redirect, -1});
        server.respond(md5Path, {md5Status, md5Body, {}, -1});
    }
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
        QTest::qWait(50);
        QVERIFY(readFile(stored) == earlier);
        QCOMPARE(QDir(m_downloads).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("update-2.0.tar.xz")});
        return;
    }
    QVERIFY(m_boxes.isEmpty());
    QCOMPARE(QDir(m_downloads).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("update-2.0.tar.xz")});
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
    for (const QString& address :
         {QStringLiteral("ftp://%1/pkg/update.bin").arg(host), QStringLiteral("file:///etc/hostname"),
          QStringLiteral("http://%1/pkg/..").arg(host), QStringLiteral("http://%1/pkg/").arg(host),
          QStringLiteral("http://%1/pkg/..%2F..%2Fevil").arg(host)}) {
        Wizard wizard(server, address);
        QCOMPARE(wizard.checked, 1);
        QCOMPARE(wizard.page(), 1);
        QCOMPARE(part<QLabel>(&wizard.window, "download_status")->text(), QStringLiteral("Download failed!"));
        QCOMPARE(pref("update_localpath"), QString());
    }
    QTest::qWait(100);
    for (const ReceivedRequest& request : server.requests)
        QCOMPARE(request.method, QByteArray("POST")); // service calls only
    QCOMPARE(QDir(m_downloads).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    QVERIFY(m_boxes.isEmpty());
}

void WizardTests::serviceTextIsPlain_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("importance");
    QTest::addColumn<QString>("importanceShown");
    // A picture the labels would show if they took the text for markup.
    static QTemporaryDir pictures;
    const QString picture = pictures.filePath(QStringLiteral("big.png"));
    QImage image(400, 400, QImage::Format_RGB32);
    image.fill(Qt::red);
    image.save(picture);
    const QString img = QStringLiteral("<img src=\"%1\">").arg(picture);
    QTest::newRow("picture as version") << img << QStringLiteral("1") << QStringLiteral("High");
    QTest::newRow("endless file as version")
        << QStringLiteral("<img src=\"/dev/zero\">") << QStringLiteral("2") << QStringLiteral("Medium");
    QTest::newRow("endless file as importance")
        << QStringLiteral("2.0") << QStringLiteral("<img src=\"/dev/zero\">") << QString();
    QTest::newRow("picture as importance") << QStringLiteral("2.0") << img << QString();
    QTest::newRow("markup and entities") << QStringLiteral("<b>2.0</b> &amp; <a href=\"file:///\">more</a>")
                                         << QStringLiteral("3") << QStringLiteral("Low");
}

void WizardTests::serviceTextIsPlain()
{
    QFETCH(QString, version);
    QFETCH(QString, importance);
    QFETCH(QString, importanceShown);
    LoopbackServer server;
    servePackage(server, kPackage, randomBytes(110000));
    Wizard wizard(server, server.url(kPackage).toString(), 5000, version, importance);
    QCOMPARE(wizard.checked, 1);
    auto* versionLabel = part<QLabel>(&wizard.window, "label_version");
    auto* importanceLabel = part<QLabel>(&wizard.window, "label_importance");
    part<QStackedWidget>(&wizard.window, "verticalStackedWidget")->setCurrentIndex(0);
    QVERIFY(QTest::qWaitForWindowExposed(&wizard.window));
    QCOMPARE(versionLabel->textFormat(), Qt::PlainText);
    QCOMPARE(importanceLabel->textFormat(), Qt::PlainText);
    QCOMPARE(versionLabel->text(), QStringLiteral("Version:") + version);
    QCOMPARE(importanceLabel->text(), QStringLiteral("Importance:") + importanceShown);
    // Shown as one line of text: no picture was loaded into either label.
    QVERIFY(versionLabel->sizeHint().height() < 100);
    QVERIFY(importanceLabel->sizeHint().height() < 100);
    QVERIFY(wizard.settle());
}

void WizardTests::installOnlyKnownPackageTypes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("installable");
    for (const char* name : {"update.deb", "update.rpm", "Update-x86_64.AppImage", "update.flatpak",
                             "update.flatpakref", "update.tar.xz", "update.TAR.GZ", "update.zip"})
        QTest::newRow(name) << QString::fromLatin1(name) << true;
    for (const char* name : {"evil.sh", "evil.desktop", "evil.deb.sh", "evil.tar", "evil", "evil.py", ".deb"})
        QTest::newRow(name) << QString::fromLatin1(name) << false;
}

void WizardTests::installOnlyKnownPackageTypes()
{
    QFETCH(QString, name);
    QFETCH(bool, installable);
    QCOMPARE(quilUpdateWindow::isInstallable(name), installable);

    const QString path = QStringLiteral("/pkg/") + name;
    const QByteArray body = randomBytes(110000);
    LoopbackServer server;
    servePackage(server, path, body);
    Wizard wizard(server, server.url(path).toString());
    QVERIFY(wizard.settle());
    QCOMPARE(wizard.page(), 2);
    const QString stored = m_downloads + QLatin1Char('/') + name;
    QVERIFY(readFile(stored) == body);
    auto* install = part<QPushButton>(&wizard.window, "pushButton_4");
    QCOMPARE(install->isEnabled(), installable);
    QCOMPARE(part<QTextBrowser>(&wizard.window, "textBrowser")->toPlainText().startsWith(name), !installable);

    QTest::mouseClick(install, Qt::LeftButton);
    if (!installable) {
        wizard.window.on_pushButton_6_clicked(); // the other way to Install
        QVERIFY(m_opened.isEmpty());
        QVERIFY(wizard.quit.isEmpty());
        // Saving it is still possible.
        QTemporaryDir scratch;
        quilUpdateWindow::setSaveFileChooser(
            [&](QWidget*, const QString&, const QString&) { return scratch.filePath(name); });
        QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_2"), Qt::LeftButton);
        QVERIFY(readFile(scratch.filePath(name)) == body);
        return;
    }
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(stored)});
    QCOMPARE(wizard.quit.size(), 1);
}

void WizardTests::redirectChains_data()
{
    QTest::addColumn<int>("hops");
    QTest::addColumn<bool>("followed");
    for (int hops : {1, 2, 3, 10, 11})
        QTest::addRow("%d hop%s", hops, hops == 1 ? "" : "s") << hops << (hops <= 10);
}

void WizardTests::redirectChains()
{
    QFETCH(int, hops);
    QFETCH(bool, followed);
    const QByteArray body = randomBytes(110000);
    LoopbackServer server;
    const int statuses[] = {301, 302, 303, 307, 308};
    for (int hop = 0; hop < hops; ++hop) {
        const QString from = hop == 0 ? kPackage : QStringLiteral("/hop%1").arg(hop);
        const QByteArray to = hop + 1 == hops ? "/final/update-2.0.tar.xz" : "/hop" + QByteArray::number(hop + 1);
        server.respond(from, {statuses[hop % 5], "moved", to, -1});
    }
    server.respond(QStringLiteral("/final/update-2.0.tar.xz"), {200, body, {}, -1});
    server.respond(kPackage + QStringLiteral(".md5"), {200, md5Hex(body), {}, -1});
    Wizard wizard(server, server.url(kPackage).toString());
    QVERIFY(wizard.settle());
    QCOMPARE(wizard.page() == 2, followed);
    QTest::qWait(100); // a request sent twice would arrive by now
    int gets = 0;
    for (const ReceivedRequest& request : std::as_const(server.requests)) {
        if (request.method == "GET" && !request.target.endsWith(".md5"))
            ++gets;
    }
    // One request per hop and one for the package; the eleventh redirect
    // is not followed.
    QCOMPARE(gets, followed ? hops + 1 : 11);
}

void WizardTests::cancelDuringDownloadKeepsWhatWasThere()
{
    // What lies under the package's name from an earlier run stays as it was.
    const QString stored = m_downloads + QStringLiteral("/update-2.0.tar.xz");
    writeFile(stored, "kept");
    writeFile(stored + QStringLiteral(".md5"), "kept too");
    LoopbackServer server;
    server.respond(kPackage, {200, randomBytes(300000), {}, 120000});
    server.respond(kPackage + QStringLiteral(".md5"), {200, md5Hex("x"), {}, 10});
    Wizard wizard(server, server.url(kPackage).toString(), 20000);
    auto* bar = part<QProgressBar>(&wizard.window, "progressBar");
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
             (QStringList{QStringLiteral("update-2.0.tar.xz"), QStringLiteral("update-2.0.tar.xz.md5")}));
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
    servePackage(server, kPackage, body);
    Wizard wizard(server, server.url(kPackage).toString());
    QVERIFY(wizard.settle());

    QTemporaryDir scratch;
    const QString path = target == QLatin1String("@") ? wizard.window.packagePath() : scratch.filePath(target);
    if (target != QLatin1String("@"))
        writeFile(path, "someone else's");
    QStringList asked;
    quilUpdateWindow::setSaveFileChooser([&](QWidget*, const QString& caption, const QString& offered) {
        asked << caption << offered;
        return path;
    });
    ZuPref::instance()->remove(QStringLiteral("update_lastvalue"));
    QTest::mouseClick(part<QPushButton>(&wizard.window, "pushButton_2"), Qt::LeftButton);

    QCOMPARE(asked,
             (QStringList{QStringLiteral("Save File..."), Zu::docPath() + QStringLiteral("/update-2.0.tar.xz")}));
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
    auto* bar = part<QProgressBar>(&window, "progressBar");
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
    for (const char* invalid : {"700", "1,2,3", "wide,tall", "0,400"}) {
        window.setProperty("UpDateWindowSize", QString::fromLatin1(invalid));
        QCOMPARE(window.maximumSize(), QSize(600, 400));
    }
    window.setStyleSheet(QStringLiteral("#zufc_updatewindow { qproperty-UpDateWindowSize: \",640,,480,\"; }"));
    window.ensurePolished();
    QCOMPARE(window.minimumSize(), QSize(640, 480));
    QCOMPARE(window.maximumSize(), QSize(640, 480));
    QCOMPARE(window.property("UpDateWindowSize").toString(), QStringLiteral("640,480"));
}

void WizardTests::startOpensThePreferenceFileFirst()
{
    // The built wizard, started as the main program starts it, in folders
    // of its own.
    QTemporaryDir home;
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {200, soapAnswer("0", "", "", ""), {}, -1});
    QProcess wizard;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    wizard.setProcessEnvironment(env);
    wizard.start(QStringLiteral(REELWRIGHT_APP_DIR "/quilupdate"),
                 {QStringLiteral("Default"), QStringLiteral("en"), QStringLiteral("reelwright_startcheck"),
                  QStringLiteral("0.1.0"), QStringLiteral("Reelwright"), server.url(QStringLiteral("/soap")).toString(),
                  home.filePath(QStringLiteral("config/reelwright.ini"))});
    QVERIFY(wizard.waitForStarted());
    // Once it asks the service its start is over; the answer's message box
    // would wait for a click, so it is stopped there, as a crash would.
    QTRY_COMPARE_WITH_TIMEOUT(server.requests.size(), 1, 20000);
    wizard.kill();
    QVERIFY(wizard.waitForFinished(10000));

    QFile log(home.filePath(QStringLiteral("quilupdate.1.log")));
    const QByteArray logged = log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    QVERIFY2(!logged.contains("no preference store opened"), logged.constData());
    // Nothing was left behind for want of the real store.
    QCOMPARE(QDir(home.path()).entryList({QStringLiteral("quilupdate-*")}, QDir::Dirs), QStringList());
}

std::unique_ptr<QObject> makeWizardTests() { return std::make_unique<WizardTests>(); }

#include "tst_wizard.moc"
