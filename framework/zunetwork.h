#pragma once
// Rules every update transfer follows: only web addresses, redirects
// followed here one request per hop and never to a weaker scheme, a limit on
// silence and on how much is buffered.

#include <QByteArray>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;

namespace ZuNetwork {

// A transfer that exchanges no data for this long fails.
constexpr int kStallTimeoutMs = 30000;
constexpr int kMaxRedirects = 10;

// True for an absolute http or https address with a host.
bool isWebUrl(const QUrl& url);
// True when a transfer at `from` may go on at `to`: a web address, and not
// from https down to http.
bool redirectAllowed(const QUrl& from, const QUrl& to);
// A request for `url` that fails after `stallMs` without data. Qt is told
// not to follow redirects: ZuFetch does, so each hop is exactly one request.
QNetworkRequest request(const QUrl& url, int stallMs = kStallTimeoutMs);
// HTTP status of a reply that has received its headers; 0 before that.
int httpStatus(const QNetworkReply* reply);

} // namespace ZuNetwork

// One HTTP request that follows redirects itself. Each hop is a fresh request
// for the new address; the caller sees only the last hop's body through
// readyRead() and one finished() at the end.
class ZuFetch : public QObject
{
    Q_OBJECT
public:
    // Sends `verb` (with `body`) to the request's address. At most
    // `bufferBytes` wait unread in memory; the network stops reading until
    // the caller takes them.
    ZuFetch(QNetworkAccessManager* manager, const QNetworkRequest& request, const QByteArray& verb = "GET",
            const QByteArray& body = QByteArray(), qint64 bufferBytes = 256 * 1024, QObject* parent = nullptr);
    ~ZuFetch() override;

    // The current hop; after finished() the last one. Read its body, headers
    // and status from here.
    QNetworkReply* reply() const { return m_reply; }
    bool isFinished() const { return m_finished; }
    // True after a network error, an abort, a refused redirect or too many.
    bool failed() const;
    // True when the last hop answered 2xx and nothing failed.
    bool succeeded() const;
    int redirects() const { return m_redirects; }
    // Ends the transfer at once; finished() follows.
    void abort();

signals:
    void readyRead();
    void finished();

private:
    void send(const QUrl& url);
    void onReadyRead();
    void onFinished();
    void finish();

    QNetworkAccessManager* m_manager;
    QNetworkRequest m_request;
    QByteArray m_verb;
    QByteArray m_body;
    qint64 m_bufferBytes;
    QPointer<QNetworkReply> m_reply;
    int m_redirects = 0;
    bool m_refused = false;
    bool m_aborted = false;
    bool m_finished = false;
};
