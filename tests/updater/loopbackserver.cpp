// A small HTTP/1.1 responder on 127.0.0.1 with canned answers per path, for the updater tests.
#include "loopbackserver.h"

#include <QTcpSocket>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

LoopbackServer::LoopbackServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LoopbackServer::url(const QString& pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery));
}

quint16 LoopbackServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

void LoopbackServer::onData(QTcpSocket* socket)
{
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    socket->setProperty("buffer", buffer);
    const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
    if (buffer.size() > (1 << 20))
        socket->abort();
    if (headEnd < 0 || buffer.size() > (1 << 20))
        return;
    ReceivedRequest request;
    request.head = buffer.left(headEnd);
    const QList<QByteArray> first = request.head.left(request.head.indexOf('\r')).split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    const qsizetype lengthAt = request.head.toLower().indexOf("content-length:");
    const qsizetype length =
        lengthAt < 0 ? 0 : request.head.mid(lengthAt + 15).split('\r').value(0).trimmed().toLongLong();
    if (buffer.size() < headEnd + 4 + length)
        return; // the body is still on its way
    request.body = buffer.mid(headEnd + 4, length);
    socket->setProperty("buffer", QByteArray());
    requests.append(request);

    const CannedResponse response = m_routes.value(QString::fromLatin1(request.target.split('?').value(0)),
                                                   {404, "<html><body>Not Found</body></html>", {}, -1});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) +
                      " X\r\nContent-Length: " + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    socket->write(head + "\r\n");
    if (response.closeAfter >= 0) {
        socket->write(response.body.left(response.closeAfter));
        socket->disconnectFromHost();
        return;
    }
    if (response.stallAfter >= 0) {
        socket->write(response.body.left(response.stallAfter));
        return; // and say nothing more
    }
    socket->write(response.body);
    socket->disconnectFromHost();
}

FloodServer::FloodServer(qint64 bodyBytes)
{
    m_listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listener < 0 || ::bind(m_listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        ::listen(m_listener, 1) != 0 || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        qFatal("FloodServer: no loopback socket");
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this, bodyBytes] { serve(bodyBytes); });
}

FloodServer::~FloodServer()
{
    ::shutdown(m_listener, SHUT_RDWR);
    m_thread.join();
    ::close(m_listener);
}

QUrl FloodServer::url(const QString& path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_port).arg(path));
}

void FloodServer::serve(qint64 bodyBytes)
{
    pollfd waiting{m_listener, POLLIN, 0};
    const int client = ::poll(&waiting, 1, 20000) == 1 ? ::accept(m_listener, nullptr, nullptr) : -1;
    if (client < 0) {
        m_done = true;
        return;
    }
    // A client that stops reading without hanging up ends the test too.
    timeval limit{10, 0};
    ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    // Little waits on this side, so what was sent is what the client took.
    const int sendBuffer = 64 * 1024;
    ::setsockopt(client, SOL_SOCKET, SO_SNDBUF, &sendBuffer, sizeof sendBuffer);
    QByteArray request;
    char buffer[4096];
    while (!request.contains("\r\n\r\n")) {
        const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
        if (got <= 0)
            break;
        request.append(buffer, got);
    }
    const QByteArray head =
        "HTTP/1.1 200 OK\r\nContent-Type: text/xml\r\nContent-Length: " + QByteArray::number(bodyBytes) +
        "\r\nConnection: close\r\n\r\n";
    ::send(client, head.constData(), size_t(head.size()), MSG_NOSIGNAL);
    const QByteArray chunk(64 * 1024, ' ');
    while (m_sent < bodyBytes) {
        const ssize_t put =
            ::send(client, chunk.constData(), size_t(qMin<qint64>(chunk.size(), bodyBytes - m_sent)), MSG_NOSIGNAL);
        if (put <= 0)
            break; // the client hung up (or stopped reading)
        m_sent += put;
    }
    ::close(client);
    m_done = true;
}
