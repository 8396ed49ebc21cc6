#include "quilols.h"

#include "writelog.h"
#include "zunetwork.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTimer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <array>

namespace {

const QString kSoapEnvelopeNs = QStringLiteral("http://schemas.xmlsoap.org/soap/envelope/");
// An honest answer is a few hundred bytes; more is not a service we know.
constexpr qint64 kMaxAnswerBytes = 1 << 20;
// What the network layer may hold for us before it stops reading.
constexpr qint64 kReadBufferBytes = 64 * 1024;

QString serviceNamespace() { return QString::fromLatin1(quilols::kNamespace); }

// Reads the children of getUpdateInfoResponse; the reader stands on its
// start element. Every one of the six fields must be there, once.
bool readFields(QXmlStreamReader& reader, ns2__getUpdateInfoResponse& response)
{
    static const std::array<QLatin1String, 6> names = {QLatin1String("reserved"),   QLatin1String("updateAvailable"),
                                                       QLatin1String("packageUrl"), QLatin1String("extra"),
                                                       QLatin1String("version"),    QLatin1String("importance")};
    std::array<std::string*, 6> fields = {&response.reserved, &response.updateAvailable, &response.packageUrl,
                                          &response.extra,    &response.version,         &response.importance};
    std::array<bool, 6> seen = {};
    while (reader.readNextStartElement()) {
        const auto it = std::find(names.begin(), names.end(), reader.name());
        if (it == names.end()) {
            // Fields a later service adds are no reason to fail.
            reader.skipCurrentElement();
            continue;
        }
        const auto index = std::size_t(it - names.begin());
        if (seen[index])
            return false;
        seen[index] = true;
        const QString text = reader.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (reader.hasError())
            return false;
        *fields[index] = text.toStdString();
    }
    return !reader.hasError() && std::all_of(seen.begin(), seen.end(), [](bool s) { return s; });
}

} // namespace

struct quilols::Binding {
    QUrl endpoint;
};

quilols::quilols(const char* endpoint)
    : m_endpoint(endpoint ? endpoint : "")
{
    const QUrl url(QString::fromUtf8(m_endpoint.c_str()), QUrl::StrictMode);
    if (ZuNetwork::isWebUrl(url))
        m_binding = std::make_unique<Binding>(Binding{url});
}

quilols::~quilols() = default;

QByteArray quilols::requestEnvelope(const std::string& productKey, const std::string& secondQuery,
                                    const std::string& language)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartDocument();
    writer.writeNamespace(kSoapEnvelopeNs, QStringLiteral("SOAP-ENV"));
    writer.writeNamespace(serviceNamespace(), QStringLiteral("ns2"));
    writer.writeStartElement(kSoapEnvelopeNs, QStringLiteral("Envelope"));
    writer.writeStartElement(kSoapEnvelopeNs, QStringLiteral("Body"));
    writer.writeStartElement(serviceNamespace(), QStringLiteral("getUpdateInfo"));
    writer.writeTextElement(QStringLiteral("productKey"), QString::fromStdString(productKey));
    writer.writeTextElement(QStringLiteral("query"), QString::fromStdString(secondQuery));
    writer.writeTextElement(QStringLiteral("language"), QString::fromStdString(language));
    writer.writeEndDocument();
    return xml;
}

bool quilols::parseResponse(const QByteArray& xml, ns2__getUpdateInfoResponse& response)
{
    QXmlStreamReader reader(xml);
    // SOAP forbids a document type declaration, and refusing it keeps
    // entity tricks out.
    while (!reader.atEnd() && !reader.isStartElement()) {
        reader.readNext();
        if (reader.isDTD())
            return false;
    }
    if (!reader.isStartElement() || reader.name() != QLatin1String("Envelope") ||
        reader.namespaceUri() != kSoapEnvelopeNs)
        return false;

    ns2__getUpdateInfoResponse parsed;
    bool gotBody = false;
    bool gotResponse = false;
    while (reader.readNextStartElement()) {
        const bool soap = reader.namespaceUri() == kSoapEnvelopeNs;
        if (soap && reader.name() == QLatin1String("Header") && !gotBody) {
            reader.skipCurrentElement();
        } else if (soap && reader.name() == QLatin1String("Body") && !gotBody) {
            gotBody = true;
            while (reader.readNextStartElement()) {
                // A Fault, or anything but our one answer, is a failed call.
                if (gotResponse || reader.name() != QLatin1String("getUpdateInfoResponse") ||
                    reader.namespaceUri() != serviceNamespace())
                    return false;
                if (!readFields(reader, parsed))
                    return false;
                gotResponse = true;
            }
        } else {
            return false;
        }
    }
    // Whatever follows must still be well-formed and complete.
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError() || !gotResponse)
        return false;
    response = std::move(parsed);
    return true;
}

int quilols::getUpdateInfo(std::string productKey, std::string secondQuery, std::string language,
                           ns2__getUpdateInfoResponse& response)
{
    if (!m_binding || !QCoreApplication::instance())
        return -1;

    QNetworkAccessManager manager;
    QNetworkRequest request = ZuNetwork::request(m_binding->endpoint, m_timeoutMs);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("text/xml; charset=utf-8"));
    request.setRawHeader("SOAPAction", kSoapAction);
    // Each redirect sends the same call again to the new address.
    ZuFetch fetch(&manager, request, "POST", requestEnvelope(productKey, secondQuery, language), kReadBufferBytes);

    QByteArray answer;
    bool tooLarge = false;
    const auto take = [&] {
        QNetworkReply* reply = fetch.reply();
        if (tooLarge || !reply || !reply->isOpen())
            return;
        // One byte past the limit is enough to know the answer is too long;
        // the rest is never read.
        answer += reply->read(kMaxAnswerBytes + 1 - answer.size());
        if (answer.size() > kMaxAnswerBytes) {
            tooLarge = true;
            fetch.abort();
        }
    };
    QObject::connect(&fetch, &ZuFetch::readyRead, &fetch, take);
    QEventLoop loop;
    QObject::connect(&fetch, &ZuFetch::finished, &loop, &QEventLoop::quit);
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &fetch, &ZuFetch::abort);
    limit.start(m_timeoutMs);
    if (!fetch.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    limit.stop();

    take();
    QNetworkReply* reply = fetch.reply();
    const int status = reply ? ZuNetwork::httpStatus(reply) : 0;
    if (!fetch.succeeded() || tooLarge) {
        WriteLog(QStringLiteral("quilols: call to %s failed (HTTP %d): %s\n"), m_endpoint.c_str(), status,
                 tooLarge ? "answer too large"
                 : reply  ? reply->errorString().toLocal8Bit().constData()
                          : "");
        return -1;
    }
    if (!parseResponse(answer, response)) {
        WriteLog(QStringLiteral("quilols: unusable answer from %s\n"), m_endpoint.c_str());
        return -1;
    }
    return 0;
}
