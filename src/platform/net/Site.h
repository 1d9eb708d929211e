// The maker's web site: its host is a build-time setting; tests point it at a local server.
#pragma once

#include <QString>

namespace net::Site {

// Host (with an optional ":port") of the maker's site.
QString host();
// "http://" followed by the host, without a trailing "/".
QString baseUrl();
// Only tests call this: replaces the host for the rest of the run ("" restores the built one).
void setOverride(const QString& hostAndPort);

} // namespace net::Site
