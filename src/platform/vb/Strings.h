// The run-time's string and number functions over QString. Number and date text follow QLocale().
#pragma once

#include "platform/vb/Date.h"

#include <QString>

namespace vb {

enum class Compare { Binary, Text };

// Trim, LTrim and RTrim remove blanks only (not tabs or line breaks), as the run-time does.
QString Trim(const QString& s);
QString LTrim(const QString& s);
QString RTrim(const QString& s);
// 1-based position of `find` in `s` from `start`, 0 when absent; an empty `find` gives `start`.
int InStr(int start, const QString& s, const QString& find, Compare compare = Compare::Binary);
inline int InStr(const QString& s, const QString& find, Compare compare = Compare::Binary)
{
    return InStr(1, s, find, compare);
}
// Every occurrence replaced; Text compares without regard to case.
QString Replace(const QString& s, const QString& find, const QString& with, Compare compare = Compare::Binary);
QString Left(const QString& s, int n);
QString Right(const QString& s, int n);
QString Mid(const QString& s, int start, int length = -1);
// The leading number of the text, "." as decimal point, blanks ignored; 0 when none.
double Val(const QString& s);
// Number and date text in the user's locale.
QString CStr(double value);
// A date as the locale writes it (day/month/year order in es_AR) with the year in four digits and, when it has
// a time of day, that time to the second: "31/1/2020", "31/1/2020 14:05:09"; a time on the zero date alone:
// "14:05:09". Read back, it keeps its century.
QString CStr(const Date& value);
// The formats CStr writes a date and a time of day with, which Variant reads back.
QString dateTextFormat();
QString timeTextFormat();

} // namespace vb
