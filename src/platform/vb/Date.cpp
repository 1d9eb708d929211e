#include "platform/vb/Date.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace vb {
namespace {

const QDate kEpoch(1899, 12, 30);
const QDate kLastDay(9999, 12, 31);
constexpr qint64 kMicrosecondsPerDay = 86'400'000'000;
constexpr qint64 kMsecsPerDay = 86400000;

// The calendar day of a serial and its time of day in whole `unit`s of milliseconds, rounded to the
// nearest: a time that rounds up to midnight belongs to the next day, but the calendar's last day has none.
std::pair<QDate, qint64> split(double serial, qint64 unit)
{
    const double whole = std::trunc(serial);
    const qint64 unitsPerDay = kMsecsPerDay / unit;
    qint64 units = std::llround(std::fabs(serial - whole) * static_cast<double>(unitsPerDay));
    QDate day = kEpoch.addDays(static_cast<qint64>(whole));
    if (units >= unitsPerDay && day < kLastDay) {
        day = day.addDays(1);
        units = 0;
    } else if (units >= unitsPerDay) {
        units = unitsPerDay - 1;
    }
    return {day, units * unit};
}

// The finest step of the time of day, in microseconds, that the serials of a day all tell apart: a double
// keeps 52 bits below its leading one, so the farther the day lies from the epoch, the coarser its time.
qint64 stepOfDay(double wholeDays)
{
    const double spacing =
        std::ldexp(1.0, std::ilogb(std::max(std::fabs(wholeDays), 1.0)) - std::numeric_limits<double>::digits + 1) *
        static_cast<double>(kMicrosecondsPerDay);
    qint64 step = 1;
    while (static_cast<double>(step) <= spacing)
        step *= 10;
    return step;
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
    const double fraction = static_cast<double>(microsecondsOfDay) / static_cast<double>(kMicrosecondsPerDay);
    const double serial = days < 0 ? days - fraction : days + fraction;
    // Far from the epoch a time just before midnight rounds to the next day's serial: it keeps the last
    // serial of its own day instead.
    if (microsecondsOfDay < kMicrosecondsPerDay && std::fabs(serial - days) >= 1.0)
        return Date(std::nextafter(serial, days));
    return Date(serial);
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
    const double whole = std::trunc(m_serial);
    const double fraction = std::fabs(m_serial - whole);
    const qint64 step = stepOfDay(whole);
    const qint64 steps = std::llround(fraction * static_cast<double>(kMicrosecondsPerDay / step));
    // A fraction a step or less below a whole day stays in its own day.
    return std::min(steps * step, kMicrosecondsPerDay - step);
}

qint64 Date::microsecondStep() const
{
    return stepOfDay(std::trunc(m_serial));
}

Date Date::datePart() const
{
    return Date(std::trunc(m_serial));
}

} // namespace vb
