// The run-time's date: days since 30 December 1899 with the time of day as the fraction.
// The zero date (serial 0) stands for "no date".
#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <compare>

namespace vb {

class Date {
public:
    constexpr Date() = default;
    constexpr explicit Date(double serial) : m_serial(serial) {}
    static Date fromDateTime(const QDateTime& dt);
    static Date fromDate(const QDate& d);
    // A date and a time of day in whole seconds, with no time zone in between.
    static Date fromDateAndSeconds(const QDate& d, int secondsOfDay);
    // A date and a time of day in microseconds, as a database keeps fractions of a second.
    static Date fromDateAndMicroseconds(const QDate& d, qint64 microsecondsOfDay);
    static Date Now();

    constexpr double serial() const { return m_serial; }
    constexpr bool isZero() const { return m_serial == 0.0; }
    // The calendar day and the time of day, with no time zone in between. The time is given to the nearest
    // step the serial resolves on its day (microsecondStep), always below a whole day: only those digits
    // are written, read and compared, so a whole second far from the epoch stays whole.
    QDate calendarDay() const;
    qint64 microsecondsOfDay() const;
    // 1 µs from about 1720 to 2079, where the serial keeps every microsecond; 10 µs and then 100 µs
    // farther out (a double serial resolves about 10 µs at year 1 and 40 µs at 9999).
    qint64 microsecondStep() const;
    // The calendar day and the clock time (to the millisecond) the serial stands for, with no time zone
    // in between: a local date and time would not exist at an hour the local clock skips.
    QDate date() const;
    QTime time() const;
    // The same moment to the nearest second, as dates are shown; 23:59:59.6 goes on to the next day.
    Date roundedToSeconds() const;
    // The date part only (time of day dropped).
    Date datePart() const;

    constexpr auto operator<=>(const Date&) const = default;

private:
    double m_serial = 0.0;
};

} // namespace vb
