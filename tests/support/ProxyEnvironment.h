// Sets the proxy variables of the environment while it lives, with every other proxy variable unset, and puts
// the earlier values back; and the environments every transport of plain http addresses is tried in.
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QtGlobal>
#include <optional>

namespace kembtest {

class ProxyEnvironment {
public:
    using Variables = QList<QPair<const char*, QByteArray>>;

    explicit ProxyEnvironment(const Variables& variables)
    {
        for (const char* name : kNames) {
            m_saved.append({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
            qunsetenv(name);
        }
        for (const auto& [name, value] : variables)
            qputenv(name, value);
    }
    ~ProxyEnvironment()
    {
        for (const auto& [name, value] : m_saved)
            if (value)
                qputenv(name, *value);
            else
                qunsetenv(name);
    }
    ProxyEnvironment(const ProxyEnvironment&) = delete;
    ProxyEnvironment& operator=(const ProxyEnvironment&) = delete;

private:
    static constexpr const char* kNames[] = {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "ftp_proxy",
                                             "FTP_PROXY",  "all_proxy",  "ALL_PROXY",   "no_proxy",    "NO_PROXY"};
    QList<QPair<const char*, std::optional<QByteArray>>> m_saved;
};

// An environment, and whether it sends a request for an http address to `host` through the proxy it names.
struct HttpProxyCase {
    const char* name;
    ProxyEnvironment::Variables variables;
    bool proxied;
};

inline QList<HttpProxyCase> httpProxyCases(const QByteArray& proxyUrl, const QByteArray& host)
{
    return {
        {"http_proxy", {{"http_proxy", proxyUrl}}, true},
        {"HTTP_PROXY", {{"HTTP_PROXY", proxyUrl}}, true},
        {"solo https_proxy", {{"https_proxy", proxyUrl}}, false},
        {"no_proxy con el host", {{"http_proxy", proxyUrl}, {"no_proxy", host}}, false},
    };
}

} // namespace kembtest
