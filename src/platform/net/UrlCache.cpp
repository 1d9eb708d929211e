#include "platform/net/UrlCache.h"

#include "platform/net/Network.h"
#include "platform/vb/Ansi.h"

#include <QDirIterator>
#include <QNetworkDiskCache>
#include <QUrl>
#include <cstring>
#include <map>

namespace net {
namespace {

struct Enumeration {
    QList<QByteArray> records;
    qsizetype next = 0;
};

std::map<UrlCacheHandle, Enumeration>& enumerations()
{
    static std::map<UrlCacheHandle, Enumeration> open;
    return open;
}

QByteArray record(const QUrl& source)
{
    UrlCacheEntryHead head;
    head.dwStructSize = sizeof(UrlCacheEntryHead);
    head.lpszSourceUrlName = sizeof(UrlCacheEntryHead);
    QByteArray out(reinterpret_cast<const char*>(&head), sizeof(head));
    out += vb::toAnsi(QString::fromLatin1(source.toEncoded()));
    out += '\0';
    return out;
}

// The disk cache keeps one file per entry under its folder; the files it can read back are its entries.
QList<QByteArray> entryRecords()
{
    QNetworkDiskCache& cache = webCache();
    QList<QByteArray> out;
    QDirIterator it(cache.cacheDirectory(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QNetworkCacheMetaData meta = cache.fileMetaData(it.next());
        if (meta.isValid())
            out.append(record(meta.url()));
    }
    return out;
}

// Copies the record into `entry` when it fits; the size is reported either way.
bool hand(const QByteArray& rec, std::span<std::byte> entry, quint32& size)
{
    size = static_cast<quint32>(rec.size());
    if (entry.size() < static_cast<std::size_t>(rec.size()))
        return false;
    std::memcpy(entry.data(), rec.constData(), static_cast<std::size_t>(rec.size()));
    return true;
}

} // namespace

UrlCacheHandle FindFirstUrlCacheEntry(std::span<std::byte> entry, quint32& size)
{
    static UrlCacheHandle lastHandle = 0;
    Enumeration e{entryRecords(), 0};
    if (e.records.isEmpty() || !hand(e.records.first(), entry, size))
        return 0;
    e.next = 1;
    const UrlCacheHandle handle = ++lastHandle;
    enumerations()[handle] = std::move(e);
    return handle;
}

bool FindNextUrlCacheEntry(UrlCacheHandle handle, std::span<std::byte> entry, quint32& size)
{
    const auto it = enumerations().find(handle);
    if (it == enumerations().end() || it->second.next >= it->second.records.size())
        return false;
    if (!hand(it->second.records[it->second.next], entry, size))
        return false;
    ++it->second.next;
    return true;
}

bool FindCloseUrlCache(UrlCacheHandle handle)
{
    return enumerations().erase(handle) > 0;
}

bool DeleteUrlCacheEntry(const QString& sourceUrl)
{
    return webCache().remove(QUrl(sourceUrl));
}

} // namespace net
