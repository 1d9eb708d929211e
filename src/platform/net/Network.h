// The program's one network access manager and its web cache on disk.
#pragma once

class QNetworkAccessManager;
class QNetworkDiskCache;

namespace net {

// Created on first use on the GUI thread; its cache is the program's web cache.
QNetworkAccessManager& manager();
QNetworkDiskCache& webCache();

} // namespace net
