#include "loopbackserver.h"

#include <QTcpSocket>

LoopbackServer::LoopbackServer()
{
    m_server.listen(QHostAddress::LocalHost, 0);
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onData(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

QUrl LoopbackServer::url(const QString &pathAndQuery) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(pathAndQuery));
}

quint16 LoopbackServer::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort(); // closed again when probe goes
}

void LoopbackServer::onData(QTcpSocket *socket)
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
    const qsizetype length = lengthAt < 0 ? 0 : request.head.mid(lengthAt + 15).split('\r').value(0).trimmed().toLongLong();
    if (buffer.size() < headEnd + 4 + length)
        return; // the body is still on its way
    request.body = buffer.mid(headEnd + 4, length);
    socket->setProperty("buffer", QByteArray());
    requests.append(request);

    const CannedResponse response = m_routes.value(QString::fromLatin1(request.target.split('?').value(0)),
                                                   {404, "<html><body>Not Found</body></html>", {}, -1});
    QByteArray head = "HTTP/1.1 " + QByteArray::number(response.status) + " X\r\nContent-Length: "
                      + QByteArray::number(response.body.size()) + "\r\nConnection: close\r\n";
    if (!response.location.isEmpty())
        head += "Location: " + response.location + "\r\n";
    socket->write(head + "\r\n");
    if (response.stallAfter >= 0) {
        socket->write(response.body.left(response.stallAfter));
        return; // and say nothing more
    }
    socket->write(response.body);
    socket->disconnectFromHost();
}
