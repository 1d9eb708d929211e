#include "platform/net/Site.h"

namespace net::Site {
namespace {

QString& overrideHost()
{
    static QString value;
    return value;
}

} // namespace

QString host()
{
    return overrideHost().isEmpty() ? QStringLiteral(KEMB_SITE_HOST) : overrideHost();
}

QString baseUrl()
{
    return QStringLiteral("http://") + host();
}

void setOverride(const QString& hostAndPort)
{
    overrideHost() = hostAndPort;
}

} // namespace net::Site
