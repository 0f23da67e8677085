#include "platform/rtl/DateTime.h"

#include "platform/rtl/Exceptions.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace qor {

namespace {

constexpr Int64 MinSerial = -693593; // 0001-01-01
constexpr Int64 MaxSerial = 2958465; // 9999-12-31

// Days from 1970-01-01 to the given proleptic Gregorian date.
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const Int64 era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<Int64>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr Int64 UnixToSerial = 25569; // 1970-01-01 is day 25569

// Splits a date-time into its calendar day (0 = 1899-12-30) and the milliseconds of that day,
// rounding to the nearest millisecond; a time that rounds up to 24:00 moves to the next day.
bool SplitDateTime(TDateTime Value, Int64& Day, Integer& MSec)
{
    if (!std::isfinite(Value) || Value < static_cast<double>(MinSerial) - 1 ||
        Value > static_cast<double>(MaxSerial) + 1)
        return false;
    const double whole = std::trunc(Value);
    Day = static_cast<Int64>(whole);
    if (Value == whole) {
        // a date without a time, as most are
        MSec = 0;
        return Day >= MinSerial && Day <= MaxSerial;
    }
    Int64 ms = static_cast<Int64>(std::llround(std::fabs(Value - whole) * MSecsPerDay));
    if (ms >= MSecsPerDay) {
        ms -= MSecsPerDay;
        ++Day;
    }
    MSec = static_cast<Integer>(ms);
    return Day >= MinSerial && Day <= MaxSerial;
}

bool LeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word MonthDays(Word Year, Word Month)
{
    static constexpr Word Days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12)
        return 0;
    return Month == 2 && LeapYear(Year) ? 29 : Days[Month - 1];
}

} // namespace

bool IsLeapYear(Word Year) { return LeapYear(Year); }

Word DaysInMonth(Word Year, Word Month) { return MonthDays(Year, Month); }

Word DaysInMonth(TDateTime Value)
{
    Word y, m, d;
    DecodeDate(Value, y, m, d);
    return DaysInMonth(y, m);
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Date)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > MonthDays(Year, Month))
        return false;
    Date = static_cast<double>(DaysFromCivil(Year, Month, Day) + UnixToSerial);
    return true;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time)
{
    if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000)
        return false;
    const Integer ms = ((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec;
    Time = static_cast<double>(ms) / MSecsPerDay;
    return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day)
{
    TDateTime result;
    if (!TryEncodeDate(Year, Month, Day, result))
        throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec)
{
    TDateTime result;
    if (!TryEncodeTime(Hour, Min, Sec, MSec, result))
        throw EConvertError("Invalid argument to time encode");
    return result;
}

TDateTime ComposeDateTime(TDateTime Date, TDateTime Time)
{
    const double day = std::trunc(Date);
    const double time = std::fabs(Time - std::trunc(Time));
    return day < 0 ? day - time : day + time;
}

namespace {

// The calendar date of Date and its day number; all 0 (and false) out of the date range.
bool CivilDate(TDateTime Date, Int64& Serial, Word& Year, Word& Month, Word& Day)
{
    Integer ms;
    if (!SplitDateTime(Date, Serial, ms)) {
        Year = Month = Day = 0;
        return false;
    }
    Int64 y;
    unsigned m, d;
    CivilFromDays(Serial - UnixToSerial, y, m, d);
    Year = static_cast<Word>(y);
    Month = static_cast<Word>(m);
    Day = static_cast<Word>(d);
    return true;
}

} // namespace

bool DecodeDateFully(TDateTime Date, Word& Year, Word& Month, Word& Day, Word& DOW)
{
    Int64 serial = 0;
    if (!CivilDate(Date, serial, Year, Month, Day)) {
        DOW = 0;
        return false;
    }
    DOW = static_cast<Word>(((serial + 6) % 7 + 7) % 7 + 1);
    return LeapYear(Year);
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day)
{
    Int64 serial = 0;
    CivilDate(Date, serial, Year, Month, Day);
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec)
{
    Int64 serial;
    Integer ms;
    if (!SplitDateTime(Time, serial, ms)) {
        // Only the fraction matters for a time; fall back to it for values outside the date range.
        if (std::isfinite(Time)) {
            ms = static_cast<Integer>(std::llround(std::fabs(Time - std::trunc(Time)) * MSecsPerDay));
            if (ms >= MSecsPerDay)
                ms = 0;
        } else {
            ms = 0;
        }
    }
    Hour = static_cast<Word>(ms / 3600000);
    Min = static_cast<Word>(ms / 60000 % 60);
    Sec = static_cast<Word>(ms / 1000 % 60);
    MSec = static_cast<Word>(ms % 1000);
}

Word DayOfWeek(TDateTime Date)
{
    Word y, m, d, dow;
    DecodeDateFully(Date, y, m, d, dow);
    return dow;
}

TDateTime DateOf(TDateTime Value) { return std::trunc(Value); }

TDateTime TimeOf(TDateTime Value) { return std::fabs(Value - std::trunc(Value)); }

TDateTime Now()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm tm{};
    localtime_r(&t, &tm);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    return EncodeDate(static_cast<Word>(tm.tm_year + 1900), static_cast<Word>(tm.tm_mon + 1),
                      static_cast<Word>(tm.tm_mday)) +
           EncodeTime(static_cast<Word>(tm.tm_hour), static_cast<Word>(tm.tm_min),
                      static_cast<Word>(tm.tm_sec > 59 ? 59 : tm.tm_sec), static_cast<Word>(ms));
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() { return TimeOf(Now()); }

TDateTime IncMonth(TDateTime Value, Integer Months)
{
    Word y, m, d;
    DecodeDate(Value, y, m, d);
    if (y == 0)
        throw EConvertError("Invalid argument to date encode");
    Int64 total = static_cast<Int64>(y) * 12 + (m - 1) + Months;
    const Int64 ny = total / 12;
    const Word nm = static_cast<Word>(total % 12 + 1);
    if (ny < 1 || ny > 9999)
        throw EConvertError("Invalid argument to date encode");
    const Word maxDay = MonthDays(static_cast<Word>(ny), nm);
    return ComposeDateTime(EncodeDate(static_cast<Word>(ny), nm, d > maxDay ? maxDay : d), TimeOf(Value));
}

} // namespace qor
