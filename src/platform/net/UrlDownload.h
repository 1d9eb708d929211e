// The URL moniker library's URLDownloadToFile over the program's network access manager: the call waits
// for the transfer while the windows paint but take no input, and gives up after a time limit.
#pragma once

#include <QString>
#include <QtGlobal>

namespace net {

inline constexpr long kS_OK = 0;
// INET_E_DOWNLOAD_FAILURE, the code the library answers for a failed transfer.
inline constexpr long kInetDownloadFailure = -2146697208;
// A site that never answers must not hold the caller for ever.
inline constexpr int kDownloadTimeLimitMs = 15000;
// The files fetched this way are pictures: a longer body is refused.
inline constexpr qint64 kDownloadMaxBytes = 32 * 1024 * 1024;

// Saves the body of the answer to `url` as `fileName` and returns kS_OK. Only a success answer (2xx)
// counts: an error status, a network failure, the time limit or a body longer than its declared length or
// than kDownloadMaxBytes give kInetDownloadFailure, and then nothing is written in place of `fileName` (the
// body goes to a temporary file beside it as it arrives, which replaces it at the end).
long URLDownloadToFile(const QString& url, const QString& fileName, int timeLimitMs = kDownloadTimeLimitMs);

} // namespace net
