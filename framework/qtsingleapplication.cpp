#include "qtsingleapplication.h"

#include "writelog.h"
#include "zupref.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QLocalServer>
#include <QLocalSocket>
#include <QWidget>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Sent back once a message has been read, so the sender knows it arrived
// before it exits.
constexpr char kAck = '\x06';

QString currentUser()
{
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

} // namespace

QtSingleApplication::QtSingleApplication(const QString& id, int& argc, char** argv)
    : ZuApplication(argc, argv)
    , m_id(id.isEmpty() ? ZuPref::appCode() : id)
{}

QtSingleApplication::~QtSingleApplication() = default;

QString QtSingleApplication::serverName(const QString& key)
{
    // Socket paths are short on some systems; a digest keeps any key usable.
    const QByteArray seed = (currentUser() + QLatin1Char('\n') + key).toUtf8();
    const QByteArray digest = QCryptographicHash::hash(seed, QCryptographicHash::Sha1).toHex().left(24);
    return QStringLiteral("zufc-") + QString::fromLatin1(digest);
}

QString QtSingleApplication::startMessage() const
{
    if (!m_startMessage.isNull())
        return m_startMessage;
    return arguments().mid(1).join(QLatin1Char(' '));
}

bool QtSingleApplication::isRunning(const QString& key)
{
    const QString effectiveKey = key.isNull() ? m_id : key;
    const QString name = serverName(effectiveKey);
    if (m_server && m_server->serverName() == name)
        return false;
    if (sendMessage(effectiveKey, startMessage(), 5000))
        return true;
    switch (listen(name)) {
    case ListenResult::Listening: return false;
    case ListenResult::NameTaken:
        // Another copy may have started in the same moment and won the name;
        // only when it does not answer either is the socket a crashed copy's.
        if (sendMessage(effectiveKey, startMessage(), 1000))
            return true;
        QLocalServer::removeServer(name);
        if (listen(name) == ListenResult::Listening)
            return false;
        break;
    case ListenResult::Failed: break;
    }
    WriteLog(QStringLiteral("QtSingleApplication: cannot listen on %s\n"), name.toLocal8Bit().constData());
    return false;
}

QtSingleApplication::ListenResult QtSingleApplication::listen(const QString& name)
{
    auto server = std::make_unique<QLocalServer>(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(name))
        return server->serverError() == QAbstractSocket::AddressInUseError ? ListenResult::NameTaken
                                                                           : ListenResult::Failed;
    m_server.reset(server.release());
    connect(m_server.get(), &QLocalServer::newConnection, this, &QtSingleApplication::onNewConnection);
    return ListenResult::Listening;
}

bool QtSingleApplication::sendMessage(const QString& key, const QString& message, int timeoutMs)
{
    QLocalSocket socket;
    socket.connectToServer(serverName(key));
    if (!socket.waitForConnected(timeoutMs))
        return false;
    QByteArray payload;
    QDataStream stream(&payload, QIODevice::WriteOnly);
    stream << message;
    socket.write(payload);
    if (!socket.waitForBytesWritten(timeoutMs))
        return false;
    // A copy that is alive but too busy to read still counts as running.
    if (socket.bytesAvailable() == 0)
        socket.waitForReadyRead(timeoutMs);
    socket.disconnectFromServer();
    return true;
}

void QtSingleApplication::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QString message;
            stream >> message;
            if (!stream.commitTransaction())
                return; // the rest is still on its way
            socket->write(&kAck, 1);
            socket->flush();
            emit messageCmd(message);
            if (m_activateOnMessage)
                activateWindow();
        });
    }
}

void QtSingleApplication::setActivationWindow(QWidget* window, bool activateOnMessage)
{
    m_activationWindow = window;
    m_activateOnMessage = activateOnMessage;
}

void QtSingleApplication::activateWindow()
{
    if (!m_activationWindow)
        return;
    m_activationWindow->setWindowState(m_activationWindow->windowState() & ~Qt::WindowMinimized);
    m_activationWindow->show();
    m_activationWindow->raise();
    m_activationWindow->activateWindow();
}

void QtSingleApplication::notifyUpdater(const QString& command, const QString& value)
{
    const QString key = ZuPref::appCode() + QStringLiteral("_update");
    if (m_server && m_server->serverName() == serverName(key))
        return; // this is the updater
    // Only an updater that runs right now listens; a missing one is no error.
    sendMessage(key, command + QStringLiteral(":::") + value, 500);
}
