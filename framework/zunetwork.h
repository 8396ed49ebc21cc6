#pragma once
// Rules every update transfer follows: only web addresses, redirects only
// within the scheme the address started with, and a limit on silence.

#include <QNetworkRequest>
#include <QUrl>

class QNetworkReply;

namespace ZuNetwork {

// A transfer that exchanges no data for this long fails.
constexpr int kStallTimeoutMs = 30000;
constexpr int kMaxRedirects = 10;

// True for an absolute http or https address with a host.
bool isWebUrl(const QUrl &url);
// A request for `url` that fails after `stallMs` without data and leaves
// redirects to followSameSchemeRedirects().
QNetworkRequest request(const QUrl &url, int stallMs = kStallTimeoutMs);
// Lets `reply` follow a redirect only when the new address keeps the
// scheme of the original request; any other redirect aborts the reply.
void followSameSchemeRedirects(QNetworkReply *reply);
// HTTP status of a reply that has received its headers; 0 before that.
int httpStatus(const QNetworkReply *reply);

} // namespace ZuNetwork
