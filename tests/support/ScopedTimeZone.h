// Sets the process's time zone while it lives, and puts the earlier one back.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <ctime>

namespace kembtest {

class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* name) : m_had(qEnvironmentVariableIsSet("TZ")), m_old(qgetenv("TZ"))
    {
        qputenv("TZ", name);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        tzset();
    }
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    bool m_had;
    QByteArray m_old;
};

} // namespace kembtest
