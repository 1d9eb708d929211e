// The run-time's date serial: its calendar day and time of day over the whole calendar, to the digits a
// double keeps at each distance from 1899-12-30, and the same day also a hair before midnight.
#include "platform/vb/Date.h"
#include "platform/vb/Strings.h"

#include <QDate>
#include <gtest/gtest.h>

namespace {

constexpr qint64 kSecond = 1'000'000;
constexpr qint64 kDay = 86'400 * kSecond;
const QDate kEpoch(1899, 12, 30);

qint64 clock(int h, int m, int s, qint64 micro = 0)
{
    return ((h * 60LL + m) * 60 + s) * kSecond + micro;
}

// The step a serial resolves on a day, stated by its distance from the epoch: the double's spacing is
// below 1 µs under 2^16 days (1720 to 2079) and below 10 µs under 2^19 days (years 464 to 3335).
qint64 expectedStep(const QDate& day)
{
    const qint64 distance = std::abs(kEpoch.daysTo(day));
    return distance < (1 << 16) ? 1 : distance < (1 << 19) ? 10 : 100;
}

// A time rounded to the step, kept below a whole day.
qint64 expectedRead(qint64 micro, qint64 step)
{
    return std::min((micro + step / 2) / step * step, kDay - step);
}

TEST(Date, FarFromTheEpochAWholeSecondStaysWholeAndMidnightStaysOnItsDay)
{
    struct Case {
        QDate day;
        qint64 written;
        qint64 read;
        qint64 step;
    };
    const Case cases[] = {
        {QDate(9999, 12, 31), clock(23, 59, 59), clock(23, 59, 59), 100},
        {QDate(1, 3, 31), clock(12, 34, 56), clock(12, 34, 56), 100},
        {QDate(1, 1, 1), clock(0, 0, 0), clock(0, 0, 0), 100},
        {QDate(1600, 6, 15), clock(18, 0, 1), clock(18, 0, 1), 10},
        {QDate(5000, 1, 1), clock(7, 7, 7), clock(7, 7, 7), 100},
        {QDate(9999, 12, 31), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'900), 100},
        {QDate(1, 3, 31), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'900), 100},
        {QDate(100, 3, 31), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'900), 100},
        {QDate(1000, 3, 31), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'990), 10},
        {QDate(9999, 12, 31), clock(23, 59, 59, 999'000), clock(23, 59, 59, 999'000), 100},
        {QDate(9999, 12, 31), clock(12, 0, 0, 500'000), clock(12, 0, 0, 500'000), 100},
        {QDate(9999, 12, 31), clock(12, 0, 0, 1), clock(12, 0, 0), 100},
        {QDate(9999, 12, 31), clock(12, 0, 0, 999'999), clock(12, 0, 1), 100},
        {QDate(1600, 6, 15), clock(18, 0, 0, 123'456), clock(18, 0, 0, 123'460), 10},
        // Where the serial keeps every microsecond, on both sides of the epoch.
        {QDate(2024, 3, 15), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'999), 1},
        {QDate(1850, 6, 1), clock(18, 0, 0, 1), clock(18, 0, 0, 1), 1},
        {QDate(1899, 12, 29), clock(23, 59, 59, 999'999), clock(23, 59, 59, 999'999), 1},
        {QDate(1899, 12, 30), clock(0, 0, 0, 1), clock(0, 0, 0, 1), 1},
        {QDate(2078, 12, 31), clock(1, 2, 3, 456'789), clock(1, 2, 3, 456'789), 1},
        {QDate(2079, 12, 31), clock(1, 2, 3, 456'789), clock(1, 2, 3, 456'790), 10},
        {QDate(1720, 1, 1), clock(1, 2, 3, 456'789), clock(1, 2, 3, 456'790), 10},
    };
    for (const Case& c : cases) {
        const vb::Date date = vb::Date::fromDateAndMicroseconds(c.day, c.written);
        SCOPED_TRACE(c.day.toString(Qt::ISODate).toStdString() + " " + std::to_string(c.written));
        EXPECT_EQ(date.calendarDay(), c.day);
        EXPECT_EQ(date.microsecondsOfDay(), c.read);
        EXPECT_EQ(date.microsecondStep(), c.step);
        if (c.written % kSecond == 0) {
            EXPECT_EQ(date, vb::Date::fromDateAndSeconds(c.day, static_cast<int>(c.written / kSecond)));
        }
    }
}

// Every day of years 1 to 9999: whole seconds exact, fractions to the day's step, never another day, and
// what is read comes back the same when written again.
TEST(Date, EveryDayOfTheCalendarKeepsItsDayAndItsResolvedTime)
{
    const qint64 first = QDate(1, 1, 1).toJulianDay();
    const qint64 last = QDate(9999, 12, 31).toJulianDay();
    int failures = 0;
    for (qint64 julian = first; julian <= last && failures < 10; ++julian) {
        const QDate day = QDate::fromJulianDay(julian);
        const qint64 step = expectedStep(day);
        const int second = static_cast<int>(julian * 7919 % 86400);
        for (const int s : {0, 1, 86399, second}) {
            const vb::Date date = vb::Date::fromDateAndSeconds(day, s);
            if (date.calendarDay() != day || date.microsecondsOfDay() != s * kSecond) {
                ADD_FAILURE() << day.toString(Qt::ISODate).toStdString() << " second " << s << " read as "
                              << date.calendarDay().toString(Qt::ISODate).toStdString() << " "
                              << date.microsecondsOfDay();
                ++failures;
            }
        }
        for (const qint64 micro :
             {second * kSecond + 1, second * kSecond + 500'000, second * kSecond + 999'999, kDay - 1, qint64{1}}) {
            const vb::Date date = vb::Date::fromDateAndMicroseconds(day, micro);
            const qint64 read = date.microsecondsOfDay();
            const vb::Date again = vb::Date::fromDateAndMicroseconds(day, read);
            if (date.calendarDay() != day || read != expectedRead(micro, step) || date.microsecondStep() != step ||
                again.calendarDay() != day || again.microsecondsOfDay() != read) {
                ADD_FAILURE() << day.toString(Qt::ISODate).toStdString() << " microsecond " << micro << " read as "
                              << date.calendarDay().toString(Qt::ISODate).toStdString() << " " << read
                              << ", written again as " << again.microsecondsOfDay();
                ++failures;
            }
        }
    }
}

// The calendar's last instant is shown on its own day: there is no year 10000 to round to.
TEST(Date, TheLastDayIsShownOnItself)
{
    const vb::Date last = vb::Date::fromDateAndMicroseconds(QDate(9999, 12, 31), kDay - 1);
    EXPECT_EQ(last.date(), QDate(9999, 12, 31));
    EXPECT_EQ(last.time(), QTime(23, 59, 59, 999));
    EXPECT_EQ(vb::CStr(last), "31/12/9999 23:59:59");
    EXPECT_EQ(vb::CStr(vb::Date::fromDateAndSeconds(QDate(9999, 12, 31), 86399)), "31/12/9999 23:59:59");
    // Elsewhere a time that rounds up to midnight is shown on the next day, as before.
    const vb::Date beforeMidnight = vb::Date::fromDateAndMicroseconds(QDate(2024, 3, 15), clock(23, 59, 59, 600'000));
    EXPECT_EQ(vb::CStr(beforeMidnight), "16/3/2024");
}

} // namespace
