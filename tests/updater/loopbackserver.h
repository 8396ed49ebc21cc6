#pragma once
// A tiny HTTP/1.1 responder on 127.0.0.1 for the updater tests: canned
// answers per path, optionally going silent part way.

#include <QHash>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

class QTcpSocket;

struct CannedResponse
{
    int status = 200;
    QByteArray body;
    QByteArray location;   // for redirects
    qint64 stallAfter = -1; // body bytes sent before going silent; -1 sends all
};

struct ReceivedRequest
{
    QByteArray method;
    QByteArray target; // path and query as sent
    QHash<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;
};

class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    LoopbackServer();
    ~LoopbackServer() override;

    QUrl url(const QString &pathAndQuery) const;
    // Unknown paths get a small 404 page.
    void respond(const QString &path, const CannedResponse &response);
    const QList<ReceivedRequest> &requests() const { return m_requests; }

    // A loopback port nobody listens on.
    static quint16 closedPort();

private:
    void onConnection();
    void onData(QTcpSocket *socket);

    QTcpServer m_server;
    QHash<QString, CannedResponse> m_routes;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<ReceivedRequest> m_requests;
};
