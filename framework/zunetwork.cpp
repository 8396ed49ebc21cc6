#include "zunetwork.h"

#include <QNetworkReply>

namespace ZuNetwork {

bool isWebUrl(const QUrl &url)
{
    if (!url.isValid() || url.isRelative() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QNetworkRequest request(const QUrl &url, int stallMs)
{
    QNetworkRequest req(url);
    req.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    req.setMaximumRedirectsAllowed(kMaxRedirects);
    req.setTransferTimeout(stallMs);
    // Caches and cookies have no part in asking for updates.
    req.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    req.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    req.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    req.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    return req;
}

void followSameSchemeRedirects(QNetworkReply *reply)
{
    const QString scheme = reply->request().url().scheme().toLower();
    QObject::connect(reply, &QNetworkReply::redirected, reply, [reply, scheme](const QUrl &target) {
        // An https transfer that may be sent to plain http loses what https
        // was chosen for.
        if (target.scheme().toLower() == scheme && !target.host().isEmpty())
            emit reply->redirectAllowed();
        else
            reply->abort();
    });
}

int httpStatus(const QNetworkReply *reply)
{
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

} // namespace ZuNetwork
