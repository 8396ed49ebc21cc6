// The update service client: answers parsed, no call without an address, silent services, redirects, floods.
#include "loopbackserver.h"
#include "quilols.h"
#include "updatertests.h"
#include "zunetwork.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>

QByteArray soapAnswer(const QByteArray& available, const QByteArray& packageUrl, const QByteArray& version,
                      const QByteArray& importance)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
           " xmlns:ns2=\"urn:quilupdate\"><SOAP-ENV:Body><ns2:getUpdateInfoResponse><reserved/><updateAvailable>" +
           available + "</updateAvailable><packageUrl>" + packageUrl + "</packageUrl><extra>x</extra><version>" +
           version + "</version><importance>" + importance +
           "</importance></ns2:getUpdateInfoResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

namespace {

int call(const QString& endpoint, ns2__getUpdateInfoResponse& response, int timeoutMs = 5000)
{
    quilols client(endpoint.toUtf8().constData());
    client.setTimeout(timeoutMs);
    return client.getUpdateInfo("key <&>", "0.1.0", "pt_BR", response);
}

} // namespace

class ServiceTests : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void nothingIsSentWithoutAWebAddress();
    void silentOrAbsentServiceFails();
    void redirectedCalls_data();
    void redirectedCalls();
    void redirectRules_data();
    void redirectRules();
    void floodIsNotRead();
};

void ServiceTests::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("packageUrl"); // empty: the call fails

    const QByteArray good = soapAnswer("1", "http://h/p.bin?a=1&amp;b=2", "2.0", "2");
    const QByteArray envelope = "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\">";
    QTest::newRow("answer") << 200 << good << "http://h/p.bin?a=1&b=2";
    QTest::newRow("any order, header, unknown fields")
        << 200
        << envelope + "<e:Header/><e:Body><n:getUpdateInfoResponse xmlns:n=\"urn:quilupdate\"><importance>1"
                      "</importance><version>3</version><extra/><future>y</future><packageUrl>u</packageUrl>"
                      "<updateAvailable>1</updateAvailable><reserved/></n:getUpdateInfoResponse></e:Body></e:Envelope>"
        << "u";
    QTest::newRow("cut short") << 200 << good.left(good.size() - 30) << "";
    QTest::newRow("not well-formed") << 200 << QByteArray(good).replace("</version>", "</versio>") << "";
    QTest::newRow("a field missing") << 200 << QByteArray(good).replace("<extra>x</extra>", "") << "";
    QTest::newRow("a field twice") << 200 << QByteArray(good).replace("<extra>x</extra>", "<extra/><extra/>") << "";
    QTest::newRow("markup in a field") << 200 << QByteArray(good).replace("<extra>x", "<extra><b/>x") << "";
    QTest::newRow("other namespace") << 200 << QByteArray(good).replace("urn:quilupdate", "urn:other") << "";
    QTest::newRow("doctype") << 200 << "<!DOCTYPE e [<!ENTITY a \"b\">]>" + good.mid(good.indexOf('\n') + 1) << "";
    QTest::newRow("trailing rubbish") << 200 << good + "<more/>"
                                      << "";
    QTest::newRow("fault") << 500
                           << envelope +
                                  "<e:Body><e:Fault><faultcode>e:Server</faultcode></e:Fault></e:Body></e:Envelope>"
                           << "";
    QTest::newRow("fault as 200") << 200 << envelope + "<e:Body><e:Fault/></e:Body></e:Envelope>"
                                  << "";
    QTest::newRow("web page") << 200 << QByteArray("<html><body>hello</body></html>") << "";
    QTest::newRow("good body, error status") << 404 << good << "";
}

void ServiceTests::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, packageUrl);
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {status, body, {}, -1});
    ns2__getUpdateInfoResponse response;
    response.packageUrl = "untouched";
    QCOMPARE(call(server.url(QStringLiteral("/soap?x=1")).toString(), response), packageUrl.isEmpty() ? -1 : 0);
    QCOMPARE(QString::fromStdString(response.packageUrl),
             packageUrl.isEmpty() ? QStringLiteral("untouched") : packageUrl);

    // What the service was sent: the documented envelope, to the address as given.
    QCOMPARE(server.requests.size(), 1);
    const ReceivedRequest& request = server.requests.first();
    QCOMPARE(request.method + ' ' + request.target, QByteArray("POST /soap?x=1"));
    QVERIFY(request.head.contains("\r\nSOAPAction: \"urn:quilupdate#getUpdateInfo\"\r\n"));
    QVERIFY(request.head.contains("\r\nContent-Type: text/xml; charset=utf-8\r\n"));
    QCOMPARE(request.body, quilols::requestEnvelope("key <&>", "0.1.0", "pt_BR"));
    QVERIFY(request.body.contains("<ns2:getUpdateInfo><productKey>key &lt;&amp;&gt;</productKey><query>0.1.0"
                                  "</query><language>pt_BR</language></ns2:getUpdateInfo>"));
}

void ServiceTests::nothingIsSentWithoutAWebAddress()
{
    LoopbackServer server;
    const QString port = QString::number(server.url(QStringLiteral("/")).port());
    for (const QString& endpoint :
         {QString(), QStringLiteral("/soap"), QStringLiteral("ftp://127.0.0.1:%1/soap").arg(port),
          QStringLiteral("file:///tmp/soap")}) {
        ns2__getUpdateInfoResponse response;
        QCOMPARE(call(endpoint, response), -1);
    }
    QTest::qWait(50);
    QVERIFY(server.requests.isEmpty());
}

void ServiceTests::silentOrAbsentServiceFails()
{
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {200, soapAnswer("1", "u", "v", "1"), {}, 20});
    ns2__getUpdateInfoResponse response;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(call(server.url(QStringLiteral("/soap")).toString(), response, 400), -1);
    QVERIFY2(clock.elapsed() < 5000, "the time limit did not end the call");
    QCOMPARE(call(QStringLiteral("http://127.0.0.1:%1/soap").arg(LoopbackServer::closedPort()), response), -1);
}

void ServiceTests::redirectedCalls_data()
{
    QTest::addColumn<int>("hops");
    QTest::addColumn<int>("status"); // of every redirect
    QTest::addColumn<bool>("answered");
    QTest::newRow("one hop") << 1 << 302 << true;
    QTest::newRow("two hops") << 2 << 307 << true;
    QTest::newRow("three hops") << 3 << 301 << true;
    QTest::newRow("ten hops") << 10 << 308 << true;
    QTest::newRow("eleven hops") << 11 << 302 << false;
}

void ServiceTests::redirectedCalls()
{
    QFETCH(int, hops);
    QFETCH(int, status);
    QFETCH(bool, answered);
    LoopbackServer server;
    for (int hop = 0; hop < hops; ++hop) {
        const QByteArray next = hop + 1 == hops ? "/soap" : "/hop" + QByteArray::number(hop + 1);
        server.respond(QStringLiteral("/hop%1").arg(hop), {status, "moved", next, -1});
    }
    server.respond(QStringLiteral("/soap"), {200, soapAnswer("1", "http://h/p.bin", "2.0", "2"), {}, -1});
    ns2__getUpdateInfoResponse response;
    QCOMPARE(call(server.url(QStringLiteral("/hop0")).toString(), response), answered ? 0 : -1);
    // Each hop is asked exactly once, with the call itself; the eleventh
    // redirect is not followed.
    QCOMPARE(server.requests.size(), answered ? hops + 1 : ZuNetwork::kMaxRedirects + 1);
    for (const ReceivedRequest& request : std::as_const(server.requests)) {
        QCOMPARE(request.method, QByteArray("POST"));
        QCOMPARE(request.body, quilols::requestEnvelope("key <&>", "0.1.0", "pt_BR"));
    }
}

void ServiceTests::redirectRules_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("http to http") << "http://a/x"
                                  << "http://b/y" << true;
    QTest::newRow("http to https") << "http://a/x"
                                   << "https://b/y" << true;
    QTest::newRow("https to https") << "https://a/x"
                                    << "https://b:8443/y" << true;
    QTest::newRow("https to http") << "https://a/x"
                                   << "http://a/x" << false;
    QTest::newRow("HTTPS to Http") << "HTTPS://a/x"
                                   << "Http://a/x" << false;
    QTest::newRow("to ftp") << "http://a/x"
                            << "ftp://a/x" << false;
    QTest::newRow("to file") << "http://a/x"
                             << "file:///etc/passwd" << false;
    QTest::newRow("to data") << "http://a/x"
                             << "data:text/plain,x" << false;
    QTest::newRow("no host") << "http://a/x"
                             << "http:///x" << false;
}

void ServiceTests::redirectRules()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, allowed);
    QCOMPARE(ZuNetwork::redirectAllowed(QUrl(from), QUrl(to)), allowed);
}

void ServiceTests::floodIsNotRead()
{
    // The answer is refused at 1 MiB; the rest must not be read either, or
    // a hostile service fills memory before the refusal.
    constexpr qint64 flood = 50LL << 20;
    FloodServer server(flood);
    ns2__getUpdateInfoResponse response;
    // A busy moment of this thread while the answer pours in: the network
    // layer must wait for us rather than take in everything meanwhile.
    QTimer busy;
    QObject::connect(&busy, &QTimer::timeout, [&] {
        if (server.bytesSent() > 0) {
            busy.stop();
            QThread::msleep(1000);
        }
    });
    busy.start(1);
    QCOMPARE(call(server.url(QStringLiteral("/soap")).toString(), response, 20000), -1);
    QTRY_VERIFY_WITH_TIMEOUT(server.isDone(), 20000);
    // What the two kernels buffer between us is all that may have gone.
    QVERIFY2(server.bytesSent() < (16LL << 20), QByteArray::number(server.bytesSent()).constData());
}

std::unique_ptr<QObject> makeServiceTests() { return std::make_unique<ServiceTests>(); }

#include "tst_service.moc"
