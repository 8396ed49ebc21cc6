#include "loopbackserver.h"
#include "quilols.h"
#include "updatertests.h"

#include <QElapsedTimer>
#include <QTest>
#include <QXmlStreamReader>

QByteArray soapAnswer(const QByteArray &available, const QByteArray &packageUrl, const QByteArray &version,
                      const QByteArray &importance)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<SOAP-ENV:Envelope xmlns:SOAP-ENV=\"http://schemas.xmlsoap.org/soap/envelope/\""
           " xmlns:ns2=\"urn:quilupdate\"><SOAP-ENV:Body><ns2:getUpdateInfoResponse>"
           "<reserved/><updateAvailable>" + available + "</updateAvailable>"
           "<packageUrl>" + packageUrl + "</packageUrl><extra>x</extra>"
           "<version>" + version + "</version><importance>" + importance + "</importance>"
           "</ns2:getUpdateInfoResponse></SOAP-ENV:Body></SOAP-ENV:Envelope>";
}

namespace {

const QByteArray kEnvelopeStart = "<e:Envelope xmlns:e=\"http://schemas.xmlsoap.org/soap/envelope/\">";

int call(const QUrl &endpoint, ns2__getUpdateInfoResponse &response, int timeoutMs = 5000)
{
    quilols client(endpoint.toString().toUtf8().constData());
    client.setTimeout(timeoutMs);
    return client.getUpdateInfo("reelwright", "0.1.0", "en", response);
}

} // namespace

class ServiceTests : public QObject
{
    Q_OBJECT
private slots:
    void requestCarriesTheThreeStrings();
    void answers_data();
    void answers();
    void noBindingContactsNobody_data();
    void noBindingContactsNobody();
    void silentOrAbsentServiceFails();
};

void ServiceTests::requestCarriesTheThreeStrings()
{
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {200, soapAnswer("0", "", "", ""), {}, -1});
    ns2__getUpdateInfoResponse response;
    quilols client(server.url(QStringLiteral("/soap?x=1")).toString().toUtf8().constData());
    QCOMPARE(client.getUpdateInfo("key <&>", "0.1.0", "pt_BR", response), 0);

    QCOMPARE(server.requests().size(), 1);
    const ReceivedRequest &request = server.requests().first();
    QCOMPARE(request.method, QByteArray("POST"));
    QCOMPARE(request.target, QByteArray("/soap?x=1"));
    QCOMPARE(request.headers.value("soapaction"), QByteArray("\"urn:quilupdate#getUpdateInfo\""));
    QVERIFY(request.headers.value("content-type").startsWith("text/xml"));
    QXmlStreamReader reader(request.body);
    QStringList path;
    QStringList values;
    while (reader.readNext() != QXmlStreamReader::Invalid && !reader.atEnd()) {
        if (reader.isStartElement())
            path << reader.namespaceUri().toString() + QLatin1Char('|') + reader.name().toString();
        if (reader.isStartElement() && reader.namespaceUri().isEmpty())
            values << reader.name().toString() + QLatin1Char('=') + reader.readElementText();
    }
    QVERIFY(!reader.hasError());
    QCOMPARE(path.mid(0, 3), (QStringList{QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/|Envelope"),
                                          QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/|Body"),
                                          QStringLiteral("urn:quilupdate|getUpdateInfo")}));
    QCOMPARE(values, (QStringList{QStringLiteral("productKey=key <&>"), QStringLiteral("query=0.1.0"),
                                  QStringLiteral("language=pt_BR")}));
}

void ServiceTests::answers_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("packageUrl");

    const QByteArray good = soapAnswer("1", "http://h/p.bin?a=1&amp;b=2", "2.0", "2");
    QTest::newRow("answer") << 200 << good << 0 << "http://h/p.bin?a=1&b=2";
    QTest::newRow("fields in any order, unknown ones skipped")
        << 200
        << kEnvelopeStart + "<e:Header/><e:Body><n:getUpdateInfoResponse xmlns:n=\"urn:quilupdate\">"
                            "<importance>1</importance><version>3</version><extra/><future>y</future>"
                            "<packageUrl>u</packageUrl><updateAvailable>1</updateAvailable><reserved/>"
                            "</n:getUpdateInfoResponse></e:Body></e:Envelope>"
        << 0 << "u";
    QTest::newRow("cut short") << 200 << good.left(good.size() - 30) << -1 << "";
    QTest::newRow("not well-formed") << 200 << QByteArray(good).replace("</version>", "</versio>") << -1 << "";
    QTest::newRow("a field missing") << 200 << QByteArray(good).replace("<extra>x</extra>", "") << -1 << "";
    QTest::newRow("a field twice") << 200 << QByteArray(good).replace("<extra>x</extra>", "<extra/><extra/>")
                                   << -1 << "";
    QTest::newRow("markup inside a field")
        << 200 << QByteArray(good).replace("<extra>x</extra>", "<extra><b>x</b></extra>") << -1 << "";
    QTest::newRow("other namespace") << 200 << QByteArray(good).replace("urn:quilupdate", "urn:other") << -1
                                     << "";
    QTest::newRow("document type declaration")
        << 200 << QByteArray("<!DOCTYPE e [<!ENTITY a \"b\">]>") + good.mid(good.indexOf('\n') + 1) << -1 << "";
    QTest::newRow("trailing rubbish") << 200 << good + "<more/>" << -1 << "";
    QTest::newRow("fault") << 500
                           << kEnvelopeStart + "<e:Body><e:Fault><faultcode>e:Server</faultcode>"
                                               "<faultstring>down</faultstring></e:Fault></e:Body></e:Envelope>"
                           << -1 << "";
    QTest::newRow("fault with status 200")
        << 200 << kEnvelopeStart + "<e:Body><e:Fault><faultcode>e:Server</faultcode></e:Fault></e:Body></e:Envelope>"
        << -1 << "";
    QTest::newRow("web page") << 200 << QByteArray("<html><body>hello</body></html>") << -1 << "";
    QTest::newRow("empty") << 200 << QByteArray() << -1 << "";
    QTest::newRow("good body, error status") << 404 << good << -1 << "";
}

void ServiceTests::answers()
{
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(int, result);
    QFETCH(QString, packageUrl);

    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {status, body, {}, -1});
    ns2__getUpdateInfoResponse response;
    response.packageUrl = "untouched";
    QCOMPARE(call(server.url(QStringLiteral("/soap")), response), result);
    if (result == 0) {
        QCOMPARE(QString::fromStdString(response.packageUrl), packageUrl);
        QVERIFY(!response.updateAvailable.empty() && !response.version.empty() && !response.importance.empty());
    } else {
        QCOMPARE(response.packageUrl, std::string("untouched"));
    }
}

void ServiceTests::noBindingContactsNobody_data()
{
    QTest::addColumn<QString>("endpoint");
    QTest::newRow("empty") << QString();
    QTest::newRow("relative") << QStringLiteral("/soap");
    QTest::newRow("ftp") << QStringLiteral("ftp://127.0.0.1:%1/soap");
    QTest::newRow("file") << QStringLiteral("file:///tmp/soap");
}

void ServiceTests::noBindingContactsNobody()
{
    QFETCH(QString, endpoint);
    LoopbackServer server;
    const QString address = endpoint.contains(QLatin1String("%1"))
                                ? endpoint.arg(server.url(QStringLiteral("/")).port())
                                : endpoint;
    quilols client(address.toUtf8().constData());
    QVERIFY(!client.hasBinding());
    ns2__getUpdateInfoResponse response;
    QCOMPARE(client.getUpdateInfo("a", "b", "c", response), -1);
    QTest::qWait(50);
    QVERIFY(server.requests().isEmpty());
}

void ServiceTests::silentOrAbsentServiceFails()
{
    LoopbackServer server;
    server.respond(QStringLiteral("/soap"), {200, soapAnswer("1", "u", "v", "1"), {}, 20});
    ns2__getUpdateInfoResponse response;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(call(server.url(QStringLiteral("/soap")), response, 400), -1);
    QVERIFY2(clock.elapsed() < 5000, "the time limit did not end the call");
    QCOMPARE(server.requests().size(), 1);

    const QUrl refused(QStringLiteral("http://127.0.0.1:%1/soap").arg(LoopbackServer::closedPort()));
    QCOMPARE(call(refused, response), -1);
}

std::unique_ptr<QObject> makeServiceTests()
{
    return std::make_unique<ServiceTests>();
}

#include "tst_service.moc"
