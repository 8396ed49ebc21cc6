#pragma once
// The action after a finished task: stand by, hibernate, shut down or exit
// the program, each after a visible countdown the user can cancel.

#include "zudialog.h"

#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;

class ZuPowerState : public ZuDialog
{
    Q_OBJECT
public:
    enum pcState {
        ExitProgram = 0,
        StandBy = 1,
        Hibernate = 2,
        ShutDown = 4,
        DoNothing = 5
    };

    ZuPowerState(pcState state, QWidget* parent = nullptr);

    // Counts down modally, then carries the action out unless cancelled.
    // DoNothing (and any value not in pcState) returns at once.
    static void run(pcState state, QWidget* parent);

    // System command for a power state; empty for ExitProgram/DoNothing.
    static QStringList commandFor(pcState state);

    // Starts `argv` and reports whether it succeeded; fills `error` if not.
    using CommandRunner = std::function<bool(const QStringList& argv, QString* error)>;
    // An empty runner restores the one that really starts the command.
    static void setCommandRunner(CommandRunner runner);
    // Ends the program; an empty handler restores QCoreApplication::quit.
    static void setQuitHandler(std::function<void()> handler);
    // Length of the countdown (30 s unless changed).
    static void setCountdownSeconds(int seconds);
    static int countdownSeconds();

    pcState state() const { return m_state; }
    int secondsLeft() const { return m_secondsLeft; }
    QLabel* messageLabel() const { return m_label; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    int exec() override;
    // One second of the countdown; at zero the action runs.
    void tick();
    void retranslate() override;

private:
    void perform();

    pcState m_state;
    int m_secondsLeft;
    QLabel* m_label;
    QPushButton* m_cancel;
    QTimer* m_timer;
};
