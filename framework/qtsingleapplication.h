#pragma once
// Application object that knows whether a copy of itself (per user and
// key) already runs, and passes a later start's command line to it.

#include "zuapplication.h"

#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QWidget;

class QtSingleApplication : public ZuApplication
{
    Q_OBJECT
public:
    // An empty `id` stands for the product's own key.
    QtSingleApplication(const QString& id, int& argc, char** argv);
    ~QtSingleApplication() override;

    // True when a copy started with `key` (null: this application's id)
    // runs; this start's command line is then handed to it. Otherwise this
    // process becomes the copy that later starts find.
    bool isRunning(const QString& key = QString());
    // Sends `message` to the copy running under `key`; false when none
    // answered within `timeoutMs`.
    static bool sendMessage(const QString& key, const QString& message, int timeoutMs = 5000);

    // `window` is brought forward whenever a later start reports in.
    void setActivationWindow(QWidget* window, bool activateOnMessage = true);
    QWidget* activationWindow() const { return m_activationWindow; }
    void activateWindow();

    QString id() const { return m_id; }
    // The text a later start delivers: the one set with setStartMessage, or
    // else its arguments after the program name, separated by single blanks.
    QString startMessage() const;
    // A program whose arguments may hold blanks sends them in a form of its
    // own; a null text restores the blank-separated arguments.
    void setStartMessage(const QString& message) { m_startMessage = message; }
    // Name of the local socket for `key` of the current user.
    static QString serverName(const QString& key);

signals:
    void messageCmd(const QString& message);

protected:
    void notifyUpdater(const QString& command, const QString& value) override;

private:
    enum class ListenResult {
        Listening,
        NameTaken,
        Failed
    };
    ListenResult listen(const QString& name);
    void onNewConnection();

    QString m_id;
    QString m_startMessage;
    std::unique_ptr<QLocalServer> m_server;
    QPointer<QWidget> m_activationWindow;
    bool m_activateOnMessage = true;
};
