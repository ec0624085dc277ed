#pragma once

#include <QString>
#include <QStringList>
#include <QTime>

// The reception times of the details record: the half-hour list the time boxes offer and the
// rule that turns a typed time ("7:30p", "19:30", "7") into the list's long form.

// The 47 entries of the time list, in order: "12:00:00 AM", the whole and half hours from
// 1:00:00 AM to 11:30:00 AM, "12:00:00 PM", the same from 1:00:00 PM to 11:30:00 PM, and
// "11:59:00 PM". There is no half past twelve.
QStringList halfHourTimes();

// A time of day in the list's form: hour without a leading zero, seconds, AM/PM suffix.
QString listTimeText(const QTime &time);

// The typed time in the list's form, "12:00:00 AM" for an empty (or blank) text, or "Error"
// when a part is not a number or the hour is above 24. Showing the error is the caller's job.
//
// A part counts as a number when it is an unsigned decimal: digits with at most one "." (".5",
// "7." and "07" are numbers), blanks around it allowed. Signs, exponents, grouping and anything
// else make it an error: a time of day has no negative or scientific form.
QString NormalizeTime(const QString &s);

// The suffix for an hour typed without one: "PM" for 12 and for every hour whose whole part
// is below 11 (a bare 1 to 10 is meant as afternoon or evening), "AM" otherwise.
QString HourSuffix(const QString &hour);
