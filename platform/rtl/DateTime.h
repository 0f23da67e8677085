#pragma once
// Dates and times as a Double: whole days since 1899-12-30 plus the fraction of the day.
//
// Values before 1899-12-30 are negative; their integer part is the day (counted toward the past)
// and the fraction is still a positive time of day: -1.25 is 1899-12-29 06:00.

#include "platform/rtl/Types.h"

namespace qor {

using TDateTime = double;

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerDay = 24 * 60;
constexpr Integer SecsPerDay = 24 * 60 * 60;
constexpr Integer MSecsPerDay = 24 * 60 * 60 * 1000;
// Days between 0001-01-01 and 1899-12-30 (day 1 of the proleptic Gregorian calendar is 0001-01-01).
constexpr Integer DateDelta = 693594;

bool IsLeapYear(Word Year);
// 0 for a month outside 1..12.
Word DaysInMonth(Word Year, Word Month);
// Days in the month of the given date.
Word DaysInMonth(TDateTime Value);

// Years 1..9999. Raise EConvertError on an invalid date or time.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
// Joins a date (only its day is used) and a time of day (only its fraction), honouring the
// convention for dates before 1899-12-30.
TDateTime ComposeDateTime(TDateTime Date, TDateTime Time);

// Out-of-range values (beyond year 9999 or before year 1, NaN) decode as zeroes.
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
// As DecodeDate; also yields DayOfWeek (1 = Sunday) and returns whether the year is a leap year.
bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW);

// 1 = Sunday ... 7 = Saturday.
Word DayOfWeek(TDateTime Date);

// The whole day (time of day dropped) and the time of day (date dropped, always >= 0).
TDateTime DateOf(TDateTime Value);
TDateTime TimeOf(TDateTime Value);

// The local date and time now, today at midnight, and the time of day now.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// The same day Months later (negative: earlier); the day is clipped to the end of a shorter month.
TDateTime IncMonth(TDateTime Value, Integer Months = 1);

} // namespace qor
