#include "platform/net/Network.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QNetworkDiskCache>
#include <QStandardPaths>

namespace net {
namespace {

// Owned by the application object, so it goes before the run-time shuts down.
struct Shared {
    QNetworkAccessManager* manager = nullptr;
    QNetworkDiskCache* cache = nullptr;

    Shared()
    {
        manager = new QNetworkAccessManager(QCoreApplication::instance());
        cache = new QNetworkDiskCache(manager);
        QString base = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        if (base.isEmpty())
            base = QDir::tempPath() + QStringLiteral("/kemb-cache");
        cache->setCacheDirectory(base + QStringLiteral("/web"));
        manager->setCache(cache);
    }
};

Shared& shared()
{
    static Shared instance;
    return instance;
}

} // namespace

QNetworkAccessManager& manager()
{
    return *shared().manager;
}

QNetworkDiskCache& webCache()
{
    return *shared().cache;
}

} // namespace net
