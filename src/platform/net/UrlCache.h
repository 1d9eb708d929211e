// The Internet cache enumeration (FindFirstUrlCacheEntry, FindNextUrlCacheEntry, FindCloseUrlCache,
// DeleteUrlCacheEntry) over the program's web cache. Each entry is handed over as one record: a fixed
// 84-byte head followed by the entry's source address as a NUL-terminated ANSI string.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <cstddef>
#include <span>

namespace net {

// Head of an entry record. The record is one block, so the source-address field holds the offset of the
// address string from the start of the record in place of a pointer (0 when the entry has none).
struct UrlCacheEntryHead {
    quint32 dwStructSize = 0;
    quint32 lpszSourceUrlName = 0;
    // The header's other fields (entry type, use count, sizes and times), which this cache does not keep.
    std::array<quint32, 19> dwOtherFields{};
};
static_assert(sizeof(UrlCacheEntryHead) == 84, "the cache entry head is 84 bytes");

// An enumeration handle; 0 is no handle.
using UrlCacheHandle = quintptr;

// Starts an enumeration of every entry. When `entry` is shorter than the first entry's record, returns 0
// and puts the record's size into `size` (left as it was when the cache is empty); otherwise fills
// `entry`, puts the size into `size` and returns the handle.
UrlCacheHandle FindFirstUrlCacheEntry(std::span<std::byte> entry, quint32& size);
// The next entry of the enumeration, in the same manner; false when there is none left (`size` unchanged)
// or when `entry` is too short (then `size` holds the size needed and the entry is kept for the next call).
bool FindNextUrlCacheEntry(UrlCacheHandle handle, std::span<std::byte> entry, quint32& size);
bool FindCloseUrlCache(UrlCacheHandle handle);
// Removes the entry of that source address; false when the cache holds none.
bool DeleteUrlCacheEntry(const QString& sourceUrl);

} // namespace net
