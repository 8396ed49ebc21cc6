#pragma once
// Client of the update web service: asks whether a newer version of a
// product exists.

#include <memory>
#include <string>

// The service's answer, six strings in the order the service sends them.
struct ns2__getUpdateInfoResponse
{
    std::string reserved;        // not used
    std::string updateAvailable; // decimal; an update exists when > 0
    std::string packageUrl;
    std::string extra;           // kept, not shown
    std::string version;
    std::string importance;      // "1" high, "2" medium, "3" low
};

class quilols
{
public:
    explicit quilols(const char *endpoint);
    ~quilols();
    quilols(const quilols &) = delete;
    quilols &operator=(const quilols &) = delete;

    // Query by product key, second query string and language name. 0 on
    // success; -1 when there is no working call binding (nothing is sent).
    int getUpdateInfo(std::string productKey, std::string secondQuery, std::string language,
                      ns2__getUpdateInfoResponse &response);

private:
    struct Binding;
    std::string m_endpoint;
    std::unique_ptr<Binding> m_binding;
};
