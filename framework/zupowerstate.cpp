#include "zupowerstate.h"

#include "zumessagebox.h"
#include "zupref.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMutex>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QMutex g_hooksMutex;
ZuPowerState::CommandRunner g_runner;
std::function<void()> g_quit;
int g_countdown = 30;

bool startCommand(const QStringList& argv, QString* error)
{
    QProcess process;
    process.setProgram(argv.first());
    process.setArguments(argv.mid(1));
    process.start();
    if (!process.waitForStarted(10000)) {
        if (error)
            *error = process.errorString();
        return false;
    }
    // systemctl returns as soon as the request is queued (or refused).
    if (!process.waitForFinished(30000)) {
        if (error)
            *error = QCoreApplication::translate("ZuPowerState", "The command did not finish.");
        process.kill();
        return false;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        if (error)
            *error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        return false;
    }
    return true;
}

} // namespace

ZuPowerState::ZuPowerState(pcState state, QWidget* parent)
    : ZuDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_state(state)
    , m_secondsLeft(countdownSeconds())
    , m_label(new QLabel(this))
    , m_cancel(new QPushButton(this))
    , m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("ZuPowerState"));
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(320);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setDefault(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_label);
    layout->addLayout(buttons);

    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &ZuPowerState::tick);
    retranslate();
}

void ZuPowerState::run(pcState state, QWidget* parent)
{
    switch (state) {
    case ExitProgram:
    case StandBy:
    case Hibernate:
    case ShutDown: break;
    default: return;
    }
    ZuPowerState dialog(state, parent);
    dialog.exec();
}

QStringList ZuPowerState::commandFor(pcState state)
{
    const QString systemctl = QStringLiteral("systemctl");
    switch (state) {
    case StandBy: return {systemctl, QStringLiteral("suspend")};
    case Hibernate: return {systemctl, QStringLiteral("hibernate")};
    case ShutDown: return {systemctl, QStringLiteral("poweroff")};
    default: return {};
    }
}

void ZuPowerState::setCommandRunner(CommandRunner runner)
{
    QMutexLocker lock(&g_hooksMutex);
    g_runner = std::move(runner);
}

void ZuPowerState::setQuitHandler(std::function<void()> handler)
{
    QMutexLocker lock(&g_hooksMutex);
    g_quit = std::move(handler);
}

void ZuPowerState::setCountdownSeconds(int seconds)
{
    QMutexLocker lock(&g_hooksMutex);
    g_countdown = qMax(0, seconds);
}

int ZuPowerState::countdownSeconds()
{
    QMutexLocker lock(&g_hooksMutex);
    return g_countdown;
}

int ZuPowerState::exec()
{
    m_secondsLeft = countdownSeconds();
    retranslate();
    if (m_secondsLeft <= 0) {
        perform();
        return QDialog::Accepted;
    }
    m_timer->start();
    const int result = ZuDialog::exec();
    m_timer->stop();
    return result;
}

void ZuPowerState::tick()
{
    if (m_secondsLeft <= 0)
        return;
    --m_secondsLeft;
    retranslate();
    if (m_secondsLeft > 0)
        return;
    m_timer->stop();
    // Leave the modal loop first: the action may end the program.
    accept();
    perform();
}

void ZuPowerState::perform()
{
    if (m_state == ExitProgram) {
        std::function<void()> quit;
        {
            QMutexLocker lock(&g_hooksMutex);
            quit = g_quit;
        }
        if (quit)
            quit();
        else
            QCoreApplication::quit();
        return;
    }

    const QStringList argv = commandFor(m_state);
    if (argv.isEmpty())
        return;
    CommandRunner runner;
    {
        QMutexLocker lock(&g_hooksMutex);
        runner = g_runner;
    }
    QString error;
    const bool ok = runner ? runner(argv, &error) : startCommand(argv, &error);
    if (!ok) {
        QString text;
        switch (m_state) {
        case StandBy: text = tr("The computer could not be put on stand by."); break;
        case Hibernate: text = tr("The computer could not be hibernated."); break;
        default: text = tr("The computer could not be shut down."); break;
        }
        if (!error.isEmpty())
            text += QLatin1Char('\n') + error;
        ZuMessageBox::alert(text, QString(), parentWidget());
    }
}

void ZuPowerState::retranslate()
{
    setAllWindowTitle(ZuPref::product_name());
    m_cancel->setText(tr("Cancel"));
    const int n = m_secondsLeft;
    QString text;
    switch (m_state) {
    case ExitProgram: text = tr("The program will exit in %n second(s).", nullptr, n); break;
    case StandBy: text = tr("The computer will stand by in %n second(s).", nullptr, n); break;
    case Hibernate: text = tr("The computer will hibernate in %n second(s).", nullptr, n); break;
    case ShutDown: text = tr("The computer will shut down in %n second(s).", nullptr, n); break;
    default: break;
    }
    m_label->setText(text);
}
