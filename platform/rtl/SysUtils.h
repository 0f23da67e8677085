#pragma once
// Conversions between numbers, dates and text, and the format languages: numeric masks
// (FormatFloat), date-time masks (FormatDateTime), edit masks (FormatMaskText) and Format.
//
// Every routine has a form that takes the format settings explicitly and one that uses the global
// FormatSettings() (US English unless changed). Bad input raises EConvertError.

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

#include <array>
#include <concepts>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>

namespace qor {

// ---- Format settings ----------------------------------------------------------------------------

struct TFormatSettings {
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
    char DateSeparator = '/';
    char TimeSeparator = ':';
    char ListSeparator = ',';
    String CurrencyString = "$";
    // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $".
    Byte CurrencyFormat = 0;
    // 0 "($1)" 1 "-$1" 2 "$-1" 3 "$1-" 4 "(1$)" 5 "-1$" 6 "1-$" 7 "1$-" 8 "-1 $" 9 "-$ 1"
    // 10 "1 $-" 11 "$ 1-" 12 "$ -1" 13 "1- $" 14 "($ 1)" 15 "(1 $)".
    Byte NegCurrFormat = 0;
    Byte CurrencyDecimals = 2;
    String ShortDateFormat = "M/d/yyyy";
    String LongDateFormat = "dddd, MMMM d, yyyy";
    String TimeAMString = "AM";
    String TimePMString = "PM";
    String ShortTimeFormat = "h:mm AMPM";
    String LongTimeFormat = "h:mm:ss AMPM";
    std::array<String, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                           "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<String, 12> LongMonthNames{"January", "February", "March",     "April",
                                          "May",     "June",     "July",      "August",
                                          "September", "October", "November", "December"};
    // Sunday first.
    std::array<String, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<String, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                       "Thursday", "Friday", "Saturday"};
    // Two-digit years read by StrToDate fall within the hundred years starting this many years
    // before the current year; 0 means "in the current century".
    Word TwoDigitYearCenturyWindow = 50;
};

// The settings used by the forms without an explicit settings argument. Mutable.
TFormatSettings& FormatSettings();
// A fresh copy of the US English defaults (the initial value of FormatSettings()).
TFormatSettings DefaultFormatSettings();

// ---- Integers -----------------------------------------------------------------------------------

String IntToStr(Int64 Value);
String UIntToStr(UInt64 Value);
// Upper-case hex, at least Digits digits. Negative values show their two's complement in the
// width of their type: IntToHex(-1, 1) is "FFFFFFFF" for an Integer.
String IntToHexBits(UInt64 Value, Integer Digits);
template <std::integral T>
String IntToHex(T Value, Integer Digits)
{
    return IntToHexBits(static_cast<UInt64>(static_cast<std::make_unsigned_t<T>>(Value)), Digits);
}

// Decimal with optional leading blanks and sign, or hexadecimal with "$", "0x" or "0X".
// Raises EConvertError "'S' is not a valid integer value".
Integer StrToInt(std::string_view S);
Int64 StrToInt64(std::string_view S);
Integer StrToIntDef(std::string_view S, Integer Default);
Int64 StrToInt64Def(std::string_view S, Int64 Default);
bool TryStrToInt(std::string_view S, Integer& Value);
bool TryStrToInt64(std::string_view S, Int64& Value);

// ---- Floating point -----------------------------------------------------------------------------

enum TFloatFormat : Byte { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };

// Shortest general form with 15 significant digits: 0.1 -> "0.1", 1E20 -> "1E20", 1E-5 -> "1E-5".
String FloatToStr(Extended Value);
String FloatToStr(Extended Value, const TFormatSettings& Settings);
// Precision: significant digits (1..18, clipped). Digits: meaning depends on Format
// (minimum exponent digits for ffGeneral/ffExponent, decimals for ffFixed/ffNumber/ffCurrency).
String FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits);
String FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits,
                   const TFormatSettings& Settings);

// Accepts leading/trailing blanks, a sign, the decimal separator of the settings and an exponent.
// Raises EConvertError "'S' is not a valid floating point value".
Extended StrToFloat(std::string_view S);
Extended StrToFloat(std::string_view S, const TFormatSettings& Settings);
Extended StrToFloatDef(std::string_view S, Extended Default);
Extended StrToFloatDef(std::string_view S, Extended Default, const TFormatSettings& Settings);
bool TryStrToFloat(std::string_view S, Extended& Value);
bool TryStrToFloat(std::string_view S, Extended& Value, const TFormatSettings& Settings);

// Numeric masks: up to three sections separated by ';' (positive; negative; zero). Placeholders
// '0' (digit) and '#' (optional digit), '.' decimal point, ',' thousands grouping, "E+" "E-"
// "e+" "e-" scientific, '...' and "..." literal text; other characters are copied.
// Decimal halves round away from zero: FormatFloat("0", 2.5) is "3".
String FormatFloat(std::string_view Format, Extended Value);
String FormatFloat(std::string_view Format, Extended Value, const TFormatSettings& Settings);

// ---- Currency -----------------------------------------------------------------------------------

String CurrToStr(Currency Value);
String CurrToStr(Currency Value, const TFormatSettings& Settings);
String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits);
String CurrToStrF(Currency Value, TFloatFormat Format, Integer Digits, const TFormatSettings& Settings);
// Raises EConvertError "'S' is not a valid floating point value".
Currency StrToCurr(std::string_view S);
Currency StrToCurr(std::string_view S, const TFormatSettings& Settings);
Currency StrToCurrDef(std::string_view S, Currency Default);
bool TryStrToCurr(std::string_view S, Currency& Value);
bool TryStrToCurr(std::string_view S, Currency& Value, const TFormatSettings& Settings);
String FormatCurr(std::string_view Format, Currency Value);
String FormatCurr(std::string_view Format, Currency Value, const TFormatSettings& Settings);

// A numeric mask read once, for the many values a report formats with it: the same text as
// FormatFloat and FormatCurr with the mask. Copies share what was read.
class TNumberMask {
public:
    explicit TNumberMask(std::string_view Format = {});
    const String& Format() const;
    String FormatFloat(Extended Value, const TFormatSettings& Settings) const;
    String FormatCurr(Currency Value, const TFormatSettings& Settings) const;

private:
    struct TImpl;
    std::shared_ptr<const TImpl> FImpl;
};

// ---- Dates and times ----------------------------------------------------------------------------

// Date-time masks (letters are case-insensitive): c (short date, then long time unless midnight),
// d dd ddd dddd ddddd (short date) dddddd (long date), m mm mmm mmmm (month; minutes right after
// h/hh), yy yyyy, h hh, n nn, s ss, z zzz, t (short time) tt (long time), am/pm a/p ampm (12-hour
// clock), '/' date separator, ':' time separator, '...' and "..." literals. An empty mask is "c".
String FormatDateTime(std::string_view Format, TDateTime DateTime);
String FormatDateTime(std::string_view Format, TDateTime DateTime, const TFormatSettings& Settings);
// A date-time mask read once: the same text as FormatDateTime with the mask.
class TDateTimeMask {
public:
    explicit TDateTimeMask(std::string_view Format = {});
    const String& Format() const;
    String FormatDateTime(TDateTime DateTime, const TFormatSettings& Settings) const;

private:
    struct TImpl;
    std::shared_ptr<const TImpl> FImpl;
};
String DateToStr(TDateTime Date);
String DateToStr(TDateTime Date, const TFormatSettings& Settings);
String TimeToStr(TDateTime Time);
String TimeToStr(TDateTime Time, const TFormatSettings& Settings);
String DateTimeToStr(TDateTime DateTime);
String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings);

// Read in the order of ShortDateFormat (month, day, year); the year may be omitted (this year)
// or have two digits (TwoDigitYearCenturyWindow). Times: hours[:minutes[:seconds[.msec]]]
// with optional AM/PM. Raise EConvertError "'S' is not a valid date" / "... valid time" /
// "... valid date and time".
TDateTime StrToDate(std::string_view S);
TDateTime StrToDate(std::string_view S, const TFormatSettings& Settings);
TDateTime StrToTime(std::string_view S);
TDateTime StrToTime(std::string_view S, const TFormatSettings& Settings);
TDateTime StrToDateTime(std::string_view S);
TDateTime StrToDateTime(std::string_view S, const TFormatSettings& Settings);
bool TryStrToDate(std::string_view S, TDateTime& Value);
bool TryStrToDate(std::string_view S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToTime(std::string_view S, TDateTime& Value);
bool TryStrToTime(std::string_view S, TDateTime& Value, const TFormatSettings& Settings);
bool TryStrToDateTime(std::string_view S, TDateTime& Value);
bool TryStrToDateTime(std::string_view S, TDateTime& Value, const TFormatSettings& Settings);

// ---- Edit masks ---------------------------------------------------------------------------------

// Applies an edit mask to Value the way an edit control shows it: "mask;save-literals;blank".
// Mask characters: 0 (digit, required) 9 (digit) # (digit or sign) L (letter, required) l (letter)
// A (letter or digit, required) a (letter or digit) C (any character, required) c (any character)
// > (upper case from here) < (lower case from here) <> (case as typed) \ (next character literal)
// ! (fill from the right); any other character is a literal, ':' and '/' are the time and date
// separators. With save-literals 1 (the default) Value holds the literals too; with 0 it holds
// only the characters typed. Positions with nothing to show get the mask's blank character, or a
// space when the mask has no blank-character field.
String FormatMaskText(std::string_view EditMask, std::string_view Value);
// What an edit with EditMask keeps of Typed, read as characters typed in order from the start:
// each goes to the next position of the mask; a literal of the mask typed where it stands is
// taken as that literal, any other character the position does not accept is refused, and what
// goes past the mask's last position is dropped. The result is the edit's text as the mask saves
// it (with the literals before each kept character when save-literals is 1), cased as the mask
// says. An empty mask keeps everything.
String ConformToMask(std::string_view EditMask, std::string_view Typed);

// ---- Format -------------------------------------------------------------------------------------

// One argument of Format. Holds a view of text arguments: use it only within the call.
class TVarRec {
public:
    enum TKind : Byte { vtInt64, vtUInt64, vtExtended, vtString, vtChar, vtPointer, vtCurrency };

    TVarRec(int Value) : FKind(vtInt64), FIs32(true), FInt(Value) {}
    TVarRec(long Value) : FKind(vtInt64), FInt(Value) {}
    TVarRec(long long Value) : FKind(vtInt64), FInt(Value) {}
    TVarRec(unsigned Value) : FKind(vtUInt64), FIs32(true), FUInt(Value) {}
    TVarRec(unsigned long Value) : FKind(vtUInt64), FUInt(Value) {}
    TVarRec(unsigned long long Value) : FKind(vtUInt64), FUInt(Value) {}
    TVarRec(double Value) : FKind(vtExtended), FFloat(Value) {}
    TVarRec(float Value) : FKind(vtExtended), FFloat(Value) {}
    TVarRec(char Value) : FKind(vtChar), FChar(Value) {}
    TVarRec(const char* Value) : FKind(vtString), FText(Value ? Value : "") {}
    TVarRec(const String& Value) : FKind(vtString), FText(Value) {}
    TVarRec(std::string_view Value) : FKind(vtString), FText(Value) {}
    TVarRec(const void* Value) : FKind(vtPointer), FPointer(Value) {}
    TVarRec(Currency Value) : FKind(vtCurrency), FInt(Value.Raw()) {}

    TKind Kind() const { return FKind; }
    // True for a 32-bit integer argument (%u and %x show negative ones in 32 bits).
    bool Is32Bit() const { return FIs32; }
    Int64 AsInt64() const { return FInt; }
    UInt64 AsUInt64() const { return FUInt; }
    Extended AsExtended() const { return FFloat; }
    std::string_view AsString() const { return FText; }
    char AsChar() const { return FChar; }
    const void* AsPointer() const { return FPointer; }
    Currency AsCurrency() const { return Currency::FromRaw(FInt); }

private:
    TKind FKind;
    bool FIs32 = false;
    union {
        Int64 FInt;
        UInt64 FUInt;
        Extended FFloat;
        char FChar;
        const void* FPointer;
    };
    std::string_view FText;
};

// Format specifiers: "%" [index ":"] ["-"] [width] ["." precision] type, with '*' for width or
// precision taken from the arguments, and "%%" for '%'. Types: d (integer; precision = minimum
// digits) u (unsigned) e f g n m (floating point or currency: scientific, fixed, general,
// thousands-grouped, money) p (pointer) s (text; precision = maximum length) x (hex).
// A mismatch raises EConvertError "Format 'Fmt' invalid or incompatible with argument";
// too few arguments raise EConvertError "No argument for format 'Fmt'".
String Format(std::string_view Fmt, std::initializer_list<TVarRec> Args);
String Format(std::string_view Fmt, std::initializer_list<TVarRec> Args, const TFormatSettings& Settings);
String Format(std::string_view Fmt, std::span<const TVarRec> Args);
String Format(std::string_view Fmt, std::span<const TVarRec> Args, const TFormatSettings& Settings);

} // namespace qor
