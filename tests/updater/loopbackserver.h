#pragma once
// A tiny HTTP/1.1 responder on 127.0.0.1 for the updater tests: canned
// answers per path, optionally going silent part way.

#include <QHash>
#include <QTcpServer>
#include <QUrl>

struct CannedResponse
{
    int status = 200;
    QByteArray body;
    QByteArray location;    // for redirects
    qint64 stallAfter = -1; // body bytes sent before going silent; -1 sends all
};

struct ReceivedRequest
{
    QByteArray method, target, head, body; // head: the header lines as sent
};

class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    LoopbackServer();
    QUrl url(const QString &pathAndQuery) const;
    // Unknown paths get a small 404 page.
    void respond(const QString &path, const CannedResponse &response) { m_routes.insert(path, response); }
    QList<ReceivedRequest> requests;
    // A loopback port nobody listens on.
    static quint16 closedPort();

private:
    void onData(QTcpSocket *socket);
    QTcpServer m_server;
    QHash<QString, CannedResponse> m_routes;
};
