// Puts an entry for an address into the program's web cache, as a download through it would.
#pragma once

#include "platform/net/Network.h"

#include <QIODevice>
#include <QNetworkCacheMetaData>
#include <QNetworkDiskCache>
#include <QUrl>
#include <gtest/gtest.h>

namespace kembtest {

inline void addWebCacheEntry(const QString& address)
{
    QNetworkCacheMetaData meta;
    meta.setUrl(QUrl(address));
    meta.setSaveToDisk(true);
    QIODevice* data = net::webCache().prepare(meta);
    ASSERT_NE(data, nullptr);
    data->write("contenido");
    net::webCache().insert(data);
}

} // namespace kembtest
