// One running copy per key: a later start hands its text over and raises the window; a dead copy leaves no trace.
#include "qtsingleapplication.h"
#include "testsupport.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>
#include <QWidget>

namespace {

QString freshKey() { return QStringLiteral("tst-") + QUuid::createUuid().toString(QUuid::WithoutBraces); }

QtSingleApplication* singleApp() { return qobject_cast<QtSingleApplication*>(qApp); }

// Starts this test program again as a later copy with `key`.
void startPeer(QProcess& process, const QString& key, const QStringList& words)
{
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QStringList{QString::fromLatin1(kPeerArgument), key} + words);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
}

} // namespace

class SingleInstanceTests : public QObject
{
    Q_OBJECT
private slots:
    void laterStartDeliversItsTextAndRaisesTheWindow();
    void otherKeysAreIndependent();
    void askingTwiceInTheRunningCopyIsNotAnotherCopy();
    void copyThatDiedLeavesNoTrace();
};

void SingleInstanceTests::laterStartDeliversItsTextAndRaisesTheWindow()
{
    QtSingleApplication* app = singleApp();
    const QString key = freshKey();
    QVERIFY(!app->isRunning(key));

    QWidget window;
    window.showMinimized();
    app->setActivationWindow(&window, true);
    QSignalSpy messages(app, &QtSingleApplication::messageCmd);

    QProcess peer;
    startPeer(peer, key, {QStringLiteral("hello"), QStringLiteral("world")});
    QVERIFY(messages.wait(20000));
    QVERIFY(peer.waitForFinished(20000));
    QCOMPARE(peer.exitStatus(), QProcess::NormalExit);
    QCOMPARE(peer.exitCode(), 0); // the peer saw this process running

    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages.at(0).at(0).toString(),
             QStringLiteral("%1 %2 hello world").arg(QString::fromLatin1(kPeerArgument), key));
    QVERIFY(window.isVisible());
    QVERIFY(!(window.windowState() & Qt::WindowMinimized));
    app->setActivationWindow(nullptr);
}

void SingleInstanceTests::otherKeysAreIndependent()
{
    QVERIFY(!singleApp()->isRunning(freshKey()));
    QProcess peer;
    startPeer(peer, freshKey(), {});
    QVERIFY(peer.waitForFinished(20000));
    QCOMPARE(peer.exitCode(), 3); // nobody runs under a key never used
}

void SingleInstanceTests::askingTwiceInTheRunningCopyIsNotAnotherCopy()
{
    const QString key = freshKey();
    QVERIFY(!singleApp()->isRunning(key));
    QVERIFY(!singleApp()->isRunning(key));
    QVERIFY(!QtSingleApplication::sendMessage(freshKey(), QStringLiteral("x"), 1000));
}

void SingleInstanceTests::copyThatDiedLeavesNoTrace()
{
    const QString key = freshKey();
    QProcess holder;
    holder.setProgram(QCoreApplication::applicationFilePath());
    holder.setArguments({QString::fromLatin1(kHoldArgument), key});
    holder.start();
    QVERIFY(holder.waitForReadyRead(20000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("ready"));
    holder.kill(); // no chance to tidy up its socket
    QVERIFY(holder.waitForFinished(20000));

    QVERIFY(!singleApp()->isRunning(key));
    QProcess peer;
    startPeer(peer, key, {});
    // Waiting with the event loop running, so this process can answer.
    QTRY_VERIFY_WITH_TIMEOUT(peer.state() == QProcess::NotRunning, 20000);
    QCOMPARE(peer.exitCode(), 0);
}

std::unique_ptr<QObject> makeSingleInstanceTests() { return std::make_unique<SingleInstanceTests>(); }

#include "tst_singleinstance.moc"
