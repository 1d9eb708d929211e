// The largest growth of this process's resident memory while it runs events, sampled from a timer (timers
// keep running inside synchronous waits as well).
#pragma once

#include <QFile>
#include <QTimer>
#include <algorithm>
#include <unistd.h>

namespace kembtest {

inline qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

class MemoryGrowth {
public:
    MemoryGrowth() : m_start(residentBytes()), m_peak(m_start)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this]() { sample(); });
        m_timer.start(5);
    }
    // Bytes above the resident memory at construction, at the highest sample so far.
    qint64 peak()
    {
        sample();
        return m_peak - m_start;
    }

private:
    void sample() { m_peak = std::max(m_peak, residentBytes()); }

    QTimer m_timer;
    qint64 m_start;
    qint64 m_peak;
};

inline constexpr qint64 kMegabyte = 1024 * 1024;

// The growth a test allows for `megabytes` of the program's own. AddressSanitizer's allocator holds freed
// blocks back in its quarantine (256 MB by default), so under it that much more stays resident.
inline constexpr qint64 growthLimit(qint64 megabytes)
{
#if defined(__SANITIZE_ADDRESS__)
    return (megabytes + 256) * kMegabyte;
#else
    return megabytes * kMegabyte;
#endif
}

} // namespace kembtest
