#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

using namespace qor;

namespace {

// 2024-03-05 (a Tuesday) 14:07:09.045
TDateTime Sample() { return EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 45); }

} // namespace

TEST(FormatDateTime, Specifiers)
{
    const TDateTime t = Sample();
    EXPECT_EQ(FormatDateTime("hh:nn:ss:zzz", t), "14:07:09:045");
    EXPECT_EQ(FormatDateTime("h:n:s.z", t), "14:7:9.45");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", t), "2024-03-05");
    EXPECT_EQ(FormatDateTime("yy/m/d", t), "24/3/5");
    EXPECT_EQ(FormatDateTime("ddd dddd", t), "Tue Tuesday");
    EXPECT_EQ(FormatDateTime("mmm mmmm", t), "Mar March");
    EXPECT_EQ(FormatDateTime("ddddd", t), "3/5/2024");
    EXPECT_EQ(FormatDateTime("dddddd", t), "Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTime("t", t), "2:07 PM");
    EXPECT_EQ(FormatDateTime("tt", t), "2:07:09 PM");
    EXPECT_EQ(FormatDateTime("c", t), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(FormatDateTime("", t), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "3/5/2024");
    EXPECT_EQ(FormatDateTime("YYYY-MM-DD HH:NN", t), "2024-03-05 14:07");
}

TEST(FormatDateTime, MAfterHourIsMinutes)
{
    const TDateTime t = Sample();
    EXPECT_EQ(FormatDateTime("hh:mm", t), "14:07");
    EXPECT_EQ(FormatDateTime("h:mm:ss", t), "14:07:09");
    EXPECT_EQ(FormatDateTime("mm/dd hh:mm", t), "03/05 14:07");
    EXPECT_EQ(FormatDateTime("hh 'h' mm", t), "14 h 07");
}

TEST(FormatDateTime, TwelveHourClock)
{
    const TDateTime t = Sample();
    EXPECT_EQ(FormatDateTime("h:nn am/pm", t), "2:07 pm");
    EXPECT_EQ(FormatDateTime("hh:nn AM/PM", t), "02:07 PM");
    EXPECT_EQ(FormatDateTime("h:nn a/p", t), "2:07 p");
    EXPECT_EQ(FormatDateTime("h:nn A/P", EncodeTime(9, 5, 0, 0)), "9:05 A");
    EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(0, 30, 0, 0)), "12 AM");
    EXPECT_EQ(FormatDateTime("h ampm", EncodeTime(12, 30, 0, 0)), "12 PM");
    // The 12-hour clock applies only to hours followed by an am/pm specifier.
    EXPECT_EQ(FormatDateTime("hh 'x' hh am/pm", t), "14 x 02 pm");
}

TEST(FormatDateTime, LiteralsAndSeparators)
{
    const TDateTime t = Sample();
    EXPECT_EQ(FormatDateTime("'Today is' dddd", t), "Today is Tuesday");
    EXPECT_EQ(FormatDateTime("\"d\"d", t), "d5");
    EXPECT_EQ(FormatDateTime("'unterminated", t), "unterminated");
    TFormatSettings fs;
    fs.DateSeparator = '.';
    fs.TimeSeparator = '-';
    EXPECT_EQ(FormatDateTime("dd/mm/yyyy hh:nn", t, fs), "05.03.2024 14-07");
    fs.LongDayNames[2] = "Dienstag";
    EXPECT_EQ(FormatDateTime("dddd", t, fs), "Dienstag");
}

TEST(FormatDateTime, SelfReferringSettingsDoNotRecurseForever)
{
    TFormatSettings fs;
    fs.ShortDateFormat = "c ddddd";
    EXPECT_NO_THROW(FormatDateTime("c", Sample(), fs));
}

TEST(FormatDateTime, NegativeDates)
{
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", -1.25), "1899-12-29 06:00");
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd", EncodeDate(1066, 10, 14)), "1066-10-14");
}

TEST(DateToStr, DefaultsAndRoundTrip)
{
    const TDateTime t = Sample();
    EXPECT_EQ(DateToStr(t), "3/5/2024");
    EXPECT_EQ(TimeToStr(t), "2:07:09 PM");
    EXPECT_EQ(DateTimeToStr(t), "3/5/2024 2:07:09 PM");
    EXPECT_EQ(StrToDate("3/5/2024"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(StrToDate(" 12/31/1999 "), EncodeDate(1999, 12, 31));
    EXPECT_DOUBLE_EQ(StrToTime("2:07:09 PM"), EncodeTime(14, 7, 9, 0));
    EXPECT_DOUBLE_EQ(StrToTime("14:07"), EncodeTime(14, 7, 0, 0));
    EXPECT_DOUBLE_EQ(StrToTime("12:00 AM"), 0.0);
    EXPECT_DOUBLE_EQ(StrToTime("10:00:00.5"), EncodeTime(10, 0, 0, 500));
    EXPECT_DOUBLE_EQ(StrToTime("7 pm"), EncodeTime(19, 0, 0, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024 2:07:09 PM"), EncodeDate(2024, 3, 5) + EncodeTime(14, 7, 9, 0));
    EXPECT_DOUBLE_EQ(StrToDateTime("3/5/2024"), EncodeDate(2024, 3, 5));
    EXPECT_DOUBLE_EQ(StrToDateTime("08:30"), EncodeTime(8, 30, 0, 0));
}

TEST(StrToDate, OrderFollowsShortDateFormat)
{
    TFormatSettings fs;
    fs.ShortDateFormat = "dd.mm.yyyy";
    fs.DateSeparator = '.';
    EXPECT_EQ(StrToDate("05.03.2024", fs), EncodeDate(2024, 3, 5));
    fs.ShortDateFormat = "yyyy-mm-dd";
    fs.DateSeparator = '-';
    EXPECT_EQ(StrToDate("2024-03-05", fs), EncodeDate(2024, 3, 5));
    EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 5), fs), "2024-03-05");
}

TEST(StrToDate, ShortYears)
{
    Word thisYear, m, d;
    DecodeDate(Now(), thisYear, m, d);
    // Without a year: this year.
    EXPECT_EQ(StrToDate("3/5"), EncodeDate(thisYear, 3, 5));
    // Two-digit years fall within the hundred years starting 50 years ago.
    Word y;
    DecodeDate(StrToDate("1/1/" + IntToStr((thisYear - 49) % 100)), y, m, d);
    EXPECT_EQ(y, thisYear - 49);
    DecodeDate(StrToDate("1/1/" + IntToStr((thisYear + 49) % 100)), y, m, d);
    EXPECT_EQ(y, thisYear + 49);
    // Four digits are taken as written.
    DecodeDate(StrToDate("1/1/0030"), y, m, d);
    EXPECT_EQ(y, 30);
}

TEST(StrToDate, BadTextRaisesConventionalMessages)
{
    try {
        StrToDate("x");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'x' is not a valid date");
    }
    try {
        StrToTime("25:00");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), "'25:00' is not a valid time");
    }
    EXPECT_THROW(StrToDate("2/30/2024"), EConvertError);
    EXPECT_THROW(StrToDate("1/2/2024 junk"), EConvertError);
    EXPECT_THROW(StrToDate("99999999999/1/1"), EConvertError);
    EXPECT_THROW(StrToTime("13:00 PM"), EConvertError);
    EXPECT_THROW(StrToTime("10"), EConvertError);
    EXPECT_THROW(StrToDateTime("3/5/2024 zz"), EConvertError);
    EXPECT_THROW(StrToDateTime(""), EConvertError);
    TDateTime v = 7;
    EXPECT_FALSE(TryStrToDate("", v));
    EXPECT_EQ(v, 7);
}

// A mask read once formats as FormatDateTime does, whether it is laid out in steps (numbers,
// separators, text) or not.
TEST(DateTimeMask, FormatsAsFormatDateTime)
{
    TFormatSettings Default = FormatSettings();
    TFormatSettings Dotted;
    Dotted.DateSeparator = '.';
    Dotted.TimeSeparator = 'h';
    const char* const Masks[] = {"yyyy-mm-dd", "d/m/yy", "dd.mm.yyyy", "yyy Mm D", "'Date:' yyyy\"/\"mm", "'open",
                                 "", "c", "ddd d", "mmm", "hh:nn", "yyyy-mm-dd hh:mm", "m:d", "xyz", "Y"};
    for (const char* Mask : Masks)
        for (TDateTime T : {Sample(), TDateTime(0), TDateTime(-700000.25), EncodeDate(9999, 12, 31), TDateTime(1e9)})
            for (const TFormatSettings* S : {&Default, &Dotted})
                EXPECT_EQ(TDateTimeMask(Mask).FormatDateTime(T, *S), FormatDateTime(Mask, T, *S)) << Mask << " " << T;
    // Text longer than a short mask's room.
    const String Long = "'" + String(150, 'x') + "' yyyy-mm-dd/" + String(40, '-');
    for (TDateTime T : {Sample(), EncodeDate(2024, 2, 29), TDateTime(45000.75)})
        EXPECT_EQ(TDateTimeMask(Long).FormatDateTime(T, Default), FormatDateTime(Long, T, Default)) << T;
}
