#include "zunetwork.h"

#include "writelog.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>

namespace ZuNetwork {

bool isWebUrl(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

bool redirectAllowed(const QUrl& from, const QUrl& to)
{
    if (!isWebUrl(to))
        return false;
    // An https transfer sent on over plain http loses what https was
    // chosen for.
    return !(from.scheme().toLower() == QLatin1String("https") && to.scheme().toLower() == QLatin1String("http"));
}

QNetworkRequest request(const QUrl& url, int stallMs)
{
    QNetworkRequest req(url);
    // Qt's own redirect handling sends several requests per hop on some
    // versions; ZuFetch follows each hop with exactly one.
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    req.setTransferTimeout(stallMs);
    // Caches and cookies have no part in asking for updates.
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    req.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    return req;
}

int httpStatus(const QNetworkReply* reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace ZuNetwork

namespace {

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

ZuFetch::ZuFetch(QNetworkAccessManager* manager, const QNetworkRequest& request, const QByteArray& verb,
                 const QByteArray& body, qint64 bufferBytes, QObject* parent)
    : QObject(parent)
    , m_manager(manager)
    , m_request(request)
    , m_verb(verb)
    , m_body(body)
    , m_bufferBytes(bufferBytes)
{
    send(request.url());
}

ZuFetch::~ZuFetch()
{
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

bool ZuFetch::failed() const
{
    return m_aborted || m_refused || !m_reply || m_reply->error() != QNetworkReply::NoError;
}

bool ZuFetch::succeeded() const
{
    if (!m_finished || failed())
        return false;
    const int status = ZuNetwork::httpStatus(m_reply);
    return status >= 200 && status <= 299;
}

void ZuFetch::abort()
{
    if (m_finished)
        return;
    m_aborted = true;
    if (m_reply)
        m_reply->abort(); // finished() comes through onFinished()
    else
        finish();
}

void ZuFetch::send(const QUrl& url)
{
    QNetworkRequest request = m_request;
    request.setUrl(url);
    QNetworkReply* reply = m_body.isEmpty() && m_verb == "GET" ? m_manager->get(request)
                                                               : m_manager->sendCustomRequest(request, m_verb, m_body);
    // What waits in memory is bounded, not only what the caller keeps: a
    // server sending far more than it should is stopped by the network
    // layer waiting for us. The network thread only hears of the limit once
    // it has taken up the request, which for a request with a body happens
    // later, so it is told again as the request goes out.
    const auto limit = [this, reply] { reply->setReadBufferSize(m_bufferBytes); };
    limit();
    connect(reply, &QNetworkReply::socketStartedConnecting, this, limit);
    connect(reply, &QNetworkReply::requestSent, this, limit);
    m_reply = reply;
    connect(reply, &QNetworkReply::readyRead, this, &ZuFetch::onReadyRead);
    connect(reply, &QNetworkReply::finished, this, &ZuFetch::onFinished);
}

void ZuFetch::onReadyRead()
{
    if (isRedirect(ZuNetwork::httpStatus(m_reply))) {
        m_reply->readAll(); // a redirect's own page is of no interest
        return;
    }
    emit readyRead();
}

void ZuFetch::onFinished()
{
    QNetworkReply* reply = m_reply;
    if (!reply || sender() != reply)
        return;
    const int status = ZuNetwork::httpStatus(reply);
    const QByteArray location = reply->rawHeader("Location");
    if (m_aborted || reply->error() != QNetworkReply::NoError || !isRedirect(status) || location.isEmpty()) {
        finish();
        return;
    }
    const QUrl from = reply->url();
    const QUrl to = from.resolved(QUrl::fromEncoded(location.trimmed()));
    if (m_redirects >= ZuNetwork::kMaxRedirects || !ZuNetwork::redirectAllowed(from, to)) {
        WriteLog(QStringLiteral("ZuFetch: redirect %d from %s to %s refused\n"), m_redirects + 1,
                 from.toString().toLocal8Bit().constData(), to.toString().toLocal8Bit().constData());
        m_refused = true;
        finish();
        return;
    }
    ++m_redirects;
    reply->disconnect(this);
    reply->deleteLater();
    send(to);
}

void ZuFetch::finish()
{
    m_finished = true;
    emit finished();
}
