// A tiny HTTP/1.1 responder on 127.0.0.1 for the updater tests: canned
// answers per path, optionally going silent part way.
#pragma once

#include <QHash>
#include <QTcpServer>
#include <QUrl>

#include <atomic>
#include <thread>

struct CannedResponse {
    int status = 200;
    QByteArray body;
    QByteArray location;    // for redirects
    qint64 stallAfter = -1; // body bytes sent before going silent; -1 sends all
    qint64 closeAfter = -1; // body bytes sent before hanging up; -1 sends all
};

struct ReceivedRequest {
    QByteArray method, target, head, body; // head: the header lines as sent
};

class LoopbackServer : public QObject
{
    Q_OBJECT
public:
    LoopbackServer();
    QUrl url(const QString& pathAndQuery) const;
    // Unknown paths get a small 404 page.
    void respond(const QString& path, const CannedResponse& response) { m_routes.insert(path, response); }
    QList<ReceivedRequest> requests;
    // A loopback port nobody listens on.
    static quint16 closedPort();

private:
    void onData(QTcpSocket* socket);
    QTcpServer m_server;
    QHash<QString, CannedResponse> m_routes;
};

// Answers one request with a 200 whose body is `bodyBytes` long, sent from
// its own thread as fast as the client takes it, and counts what the
// client accepted before it hung up.
class FloodServer
{
public:
    explicit FloodServer(qint64 bodyBytes);
    ~FloodServer();
    QUrl url(const QString& path) const;
    bool isDone() const { return m_done; }
    qint64 bytesSent() const { return m_sent; }

private:
    void serve(qint64 bodyBytes);
    int m_listener = -1;
    quint16 m_port = 0;
    std::atomic<qint64> m_sent{0};
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
