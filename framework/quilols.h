#pragma once
// Client of the update web service: asks whether a newer version of a
// product exists.

#include <QByteArray>

#include <memory>
#include <string>

// The service's answer, six strings in the order the service sends them.
struct ns2__getUpdateInfoResponse {
    std::string reserved;        // not used
    std::string updateAvailable; // decimal; an update exists when > 0
    std::string packageUrl;
    std::string extra; // kept, not shown
    std::string version;
    std::string importance; // "1" high, "2" medium, "3" low
};

class quilols
{
public:
    explicit quilols(const char* endpoint);
    ~quilols();
    quilols(const quilols&) = delete;
    quilols& operator=(const quilols&) = delete;

    // Query by product key, second query string and language name. 0 on
    // success; -1 when there is no working call binding (nothing is sent).
    // The call blocks (running a local event loop) for at most timeout() ms;
    // a malformed, partial or fault answer is a failure too.
    int getUpdateInfo(std::string productKey, std::string secondQuery, std::string language,
                      ns2__getUpdateInfoResponse& response);

    // True when the endpoint is an http or https address.
    bool hasBinding() const { return m_binding != nullptr; }
    void setTimeout(int ms) { m_timeoutMs = ms; }
    int timeout() const { return m_timeoutMs; }

    // The wire format (see updater/README.md).
    static constexpr const char* kNamespace = "urn:quilupdate";
    static constexpr const char* kSoapAction = "\"urn:quilupdate#getUpdateInfo\"";
    static QByteArray requestEnvelope(const std::string& productKey, const std::string& secondQuery,
                                      const std::string& language);
    // False for anything but a complete, well-formed getUpdateInfoResponse.
    static bool parseResponse(const QByteArray& xml, ns2__getUpdateInfoResponse& response);

private:
    struct Binding;
    std::string m_endpoint;
    std::unique_ptr<Binding> m_binding;
    int m_timeoutMs = 30000;
};
