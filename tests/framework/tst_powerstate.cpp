// The after-compile power actions: the countdown dialog, cancel, the system commands and their failures.
#include "testsupport.h"
#include "zumessagebox.h"
#include "zupowerstate.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

ZuPowerState* visibleCountdown() { return qobject_cast<ZuPowerState*>(QApplication::activeModalWidget()); }

} // namespace

class PowerStateTests : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cancelRunsNothing();
    void expiryRunsTheSystemCommand_data();
    void expiryRunsTheSystemCommand();
    void nothingToDoShowsNothing_data();
    void nothingToDoShowsNothing();
    void failedCommandIsReported();

private:
    QList<QStringList> m_commands;
    int m_quits = 0;
    bool m_commandSucceeds = true;
};

void PowerStateTests::init()
{
    m_commands.clear();
    m_quits = 0;
    m_commandSucceeds = true;
    ZuPowerState::setCommandRunner([this](const QStringList& argv, QString* error) {
        m_commands.append(argv);
        if (!m_commandSucceeds && error)
            *error = QStringLiteral("Access denied");
        return m_commandSucceeds;
    });
    ZuPowerState::setQuitHandler([this] { ++m_quits; });
}

void PowerStateTests::cleanup()
{
    ZuPowerState::setCommandRunner({});
    ZuPowerState::setQuitHandler({});
    ZuPowerState::setCountdownSeconds(30);
    ZuMessageBox::setAnswerHook({});
}

void PowerStateTests::cancelRunsNothing()
{
    ZuPowerState::setCountdownSeconds(30);
    bool seen = false;
    whenModal([&] {
        ZuPowerState* dialog = visibleCountdown();
        QVERIFY(dialog);
        seen = true;
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->messageLabel()->text().contains(QStringLiteral("30")));
        dialog->tick();
        QVERIFY(dialog->messageLabel()->text().contains(QStringLiteral("29")));
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
    });
    ZuPowerState::run(ZuPowerState::ShutDown, nullptr);
    QVERIFY(seen);
    QVERIFY(m_commands.isEmpty());
    QCOMPARE(m_quits, 0);
}

void PowerStateTests::expiryRunsTheSystemCommand_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("wording");
    QTest::addColumn<QStringList>("argv"); // empty: the program quits instead
    QTest::newRow("exit program") << 0 << QStringLiteral("exit") << QStringList();
    QTest::newRow("stand by") << 1 << QStringLiteral("stand by") << QStringList{"systemctl", "suspend"};
    QTest::newRow("hibernate") << 2 << QStringLiteral("hibernate") << QStringList{"systemctl", "hibernate"};
    QTest::newRow("shut down") << 4 << QStringLiteral("shut down") << QStringList{"systemctl", "poweroff"};
}

void PowerStateTests::expiryRunsTheSystemCommand()
{
    QFETCH(int, state);
    QFETCH(QString, wording);
    QFETCH(QStringList, argv);
    ZuPowerState::setCountdownSeconds(3);
    QStringList labels;
    whenModal([&] {
        ZuPowerState* dialog = visibleCountdown();
        QVERIFY(dialog);
        for (int i = 0; i < 3; ++i) {
            labels.append(dialog->messageLabel()->text());
            QVERIFY(m_commands.isEmpty()); // nothing before the count reaches zero
            dialog->tick();
        }
    });
    ZuPowerState::run(ZuPowerState::pcState(state), nullptr);
    QCOMPARE(labels.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(labels.at(i).contains(QString::number(3 - i)), qPrintable(labels.at(i)));
        QVERIFY2(labels.at(i).contains(wording), qPrintable(labels.at(i)));
    }
    QCOMPARE(m_commands, argv.isEmpty() ? QList<QStringList>() : QList<QStringList>{argv});
    QCOMPARE(m_quits, argv.isEmpty() ? 1 : 0);
}

void PowerStateTests::nothingToDoShowsNothing_data()
{
    QTest::addColumn<int>("state");
    QTest::newRow("do nothing") << 5;
    QTest::newRow("unused value 3") << 3;
    QTest::newRow("negative") << -1;
}

void PowerStateTests::nothingToDoShowsNothing()
{
    QFETCH(int, state);
    ZuPowerState::setCountdownSeconds(1);
    bool dialogShown = false;
    // Should a dialog appear after all, let it run out so the test ends.
    whenModal([&] {
        if (ZuPowerState* dialog = visibleCountdown()) {
            dialogShown = true;
            dialog->tick();
        }
    });
    ZuPowerState::run(ZuPowerState::pcState(state), nullptr);
    QCoreApplication::processEvents();
    QVERIFY(!dialogShown);
    QVERIFY(m_commands.isEmpty());
    QCOMPARE(m_quits, 0);
}

void PowerStateTests::failedCommandIsReported()
{
    m_commandSucceeds = false;
    ZuPowerState::setCountdownSeconds(1);
    QString alertText;
    ZuMessageBox::setAnswerHook([&](QMessageBox& box) {
        alertText = box.text();
        return QMessageBox::Ok;
    });
    whenModal([&] {
        if (ZuPowerState* dialog = visibleCountdown())
            dialog->tick();
    });
    ZuPowerState::run(ZuPowerState::Hibernate, nullptr);
    QCOMPARE(m_commands.size(), 1);
    QVERIFY2(alertText.contains(QStringLiteral("hibernat")), qPrintable(alertText));
    QVERIFY2(alertText.contains(QStringLiteral("Access denied")), qPrintable(alertText));
}

std::unique_ptr<QObject> makePowerStateTests() { return std::make_unique<PowerStateTests>(); }

#include "tst_powerstate.moc"
