#include "platform/vb/Date.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vb {
namespace {

const QDate kEpoch(1899, 12, 30);
constexpr double kMicrosecondsPerDay = 86400.0 * 1000000.0;
constexpr qint64 kMsecsPerDay = 86400000;

// The calendar day of a serial and its time of day in whole `unit`s of milliseconds, rounded to the
// nearest: a time that rounds up to midnight belongs to the next day.
std::pair<QDate, qint64> split(double serial, qint64 unit)
{
    const double whole = std::trunc(serial);
    const qint64 unitsPerDay = kMsecsPerDay / unit;
    qint64 units = std::llround(std::fabs(serial - whole) * static_cast<double>(unitsPerDay));
    QDate day = kEpoch.addDays(static_cast<qint64>(whole));
    if (units >= unitsPerDay) {
        day = day.addDays(1);
        units = 0;
    }
    return {day, units * unit};
}

} // namespace

Date Date::fromDate(const QDate& d)
{
    return Date(static_cast<double>(kEpoch.daysTo(d)));
}

Date Date::fromDateAndSeconds(const QDate& d, int secondsOfDay)
{
    const double days = static_cast<double>(kEpoch.daysTo(d));
    const double seconds = secondsOfDay;
    // Dates before the epoch carry their time fraction away from zero, as the run-time stores them.
    return Date(days < 0 ? days - seconds / 86400.0 : days + seconds / 86400.0);
}

Date Date::fromDateAndMicroseconds(const QDate& d, qint64 microsecondsOfDay)
{
    const double days = static_cast<double>(kEpoch.daysTo(d));
    const double fraction = static_cast<double>(microsecondsOfDay) / kMicrosecondsPerDay;
    return Date(days < 0 ? days - fraction : days + fraction);
}

Date Date::fromDateTime(const QDateTime& dt)
{
    return fromDateAndSeconds(dt.date(), dt.time().msecsSinceStartOfDay() / 1000);
}

Date Date::Now()
{
    return fromDateTime(QDateTime::currentDateTime());
}

QDate Date::date() const
{
    return split(m_serial, 1).first;
}

QTime Date::time() const
{
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(split(m_serial, 1).second));
}

Date Date::roundedToSeconds() const
{
    const auto [day, msecs] = split(m_serial, 1000);
    return fromDateAndSeconds(day, static_cast<int>(msecs / 1000));
}

QDate Date::calendarDay() const
{
    return kEpoch.addDays(static_cast<qint64>(std::trunc(m_serial)));
}

qint64 Date::microsecondsOfDay() const
{
    const double fraction = std::fabs(m_serial - std::trunc(m_serial));
    // A fraction a hair below a whole day stays in its own day.
    return std::min<qint64>(std::llround(fraction * kMicrosecondsPerDay), 86'399'999'999);
}

Date Date::datePart() const
{
    return Date(std::trunc(m_serial));
}

} // namespace vb
