// The URL moniker library's URLDownloadToFile over the program's network access manager: the call waits
// for the transfer while the thread's pending events run, and gives up after a time limit.
#pragma once

#include <QString>

namespace net {

inline constexpr long kS_OK = 0;
// INET_E_DOWNLOAD_FAILURE, the code the library answers for a failed transfer.
inline constexpr long kInetDownloadFailure = -2146697208;
// A site that never answers must not hold the caller for ever.
inline constexpr int kDownloadTimeLimitMs = 15000;

// Saves the body of the answer to `url` as `fileName` and returns kS_OK. Only a success answer (2xx)
// counts: an error status, a network failure or the time limit give kInetDownloadFailure, and then nothing
// is written in place of `fileName` (the body goes to a temporary file beside it that replaces it at the end).
long URLDownloadToFile(const QString& url, const QString& fileName, int timeLimitMs = kDownloadTimeLimitMs);

} // namespace net
