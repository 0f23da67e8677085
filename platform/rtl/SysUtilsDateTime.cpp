// Date-time masks and reading dates and times from text.

#include "platform/rtl/SysUtils.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace qor {

namespace {

struct TParts {
    Word Year = 0, Month = 0, Day = 0, DOW = 0;
    Word Hour = 0, Min = 0, Sec = 0, MSec = 0;
};

inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWithNoCase(std::string_view S, std::size_t At, std::string_view Prefix)
{
    if (At + Prefix.size() > S.size())
        return false;
    for (std::size_t i = 0; i < Prefix.size(); ++i)
        if (Upper(S[At + i]) != Upper(Prefix[i]))
            return false;
    return true;
}

// Writes Value with at least MinDigits digits (at most 4) at the end of the room before End; answers
// where the digits start.
char* NumberBefore(char* End, unsigned Value, int MinDigits)
{
    char* p = End;
    do {
        *--p = static_cast<char>('0' + Value % 10);
        Value /= 10;
    } while (Value != 0);
    while (End - p < MinDigits)
        *--p = '0';
    return p;
}

void AppendNumber(String& Out, unsigned Value, int MinDigits)
{
    // Written from the right into a buffer wide enough for any unsigned and the widest pad (4).
    char buf[16];
    const char* p = NumberBefore(buf + sizeof buf, Value, MinDigits);
    Out.append(p, static_cast<std::size_t>(buf + sizeof buf - p));
}

// True when an am/pm, a/p or ampm specifier follows (outside quotes) before the next hour.
bool UsesTwelveHour(std::string_view F, std::size_t From)
{
    char quote = 0;
    for (std::size_t i = From; i < F.size(); ++i) {
        const char c = F[i];
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"')
            quote = c;
        else if (c == 'h' || c == 'H')
            return false;
        else if ((c == 'a' || c == 'A') &&
                 (StartsWithNoCase(F, i, "am/pm") || StartsWithNoCase(F, i, "a/p") || StartsWithNoCase(F, i, "ampm")))
            return true;
    }
    return false;
}

constexpr int MaxNesting = 3; // formats inside formats (c, ddddd, t ...)

void FormatInto(String& Out, std::string_view F, const TParts& P, const TFormatSettings& S, int Depth)
{
    if (Depth > MaxNesting)
        return;
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < F.size()) {
        const char c = F[i];
        if (c == '\'' || c == '"') {
            const std::size_t close = F.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? F.size() : close;
            Out.append(F.substr(i + 1, end - i - 1));
            i = end == F.size() ? end : end + 1;
            continue;
        }
        if (!IsLetter(c)) {
            if (c == '/')
                Out += S.DateSeparator;
            else if (c == ':')
                Out += S.TimeSeparator;
            else
                Out += c;
            ++i;
            continue;
        }
        char token = Upper(c);
        std::size_t count = 1;
        while (i + count < F.size() && Upper(F[i + count]) == token)
            ++count;
        if (token == 'M' && lastToken == 'H')
            token = 'N';
        switch (token) {
        case 'C':
            count = 1;
            FormatInto(Out, S.ShortDateFormat, P, S, Depth + 1);
            if (P.Hour != 0 || P.Min != 0 || P.Sec != 0) {
                Out += ' ';
                FormatInto(Out, S.LongTimeFormat, P, S, Depth + 1);
            }
            break;
        case 'D':
            switch (count) {
            case 1:
            case 2: AppendNumber(Out, P.Day, static_cast<int>(count)); break;
            case 3: if (P.DOW) Out += S.ShortDayNames[P.DOW - 1]; break;
            case 4: if (P.DOW) Out += S.LongDayNames[P.DOW - 1]; break;
            case 5: FormatInto(Out, S.ShortDateFormat, P, S, Depth + 1); break;
            default: FormatInto(Out, S.LongDateFormat, P, S, Depth + 1); break;
            }
            break;
        case 'Y':
            if (count <= 2)
                AppendNumber(Out, P.Year % 100, 2);
            else
                AppendNumber(Out, P.Year, 4);
            break;
        case 'M':
            switch (count) {
            case 1:
            case 2: AppendNumber(Out, P.Month, static_cast<int>(count)); break;
            case 3: if (P.Month) Out += S.ShortMonthNames[P.Month - 1]; break;
            default: if (P.Month) Out += S.LongMonthNames[P.Month - 1]; break;
            }
            break;
        case 'H': {
            unsigned h = P.Hour;
            if (UsesTwelveHour(F, i + count)) {
                h %= 12;
                if (h == 0)
                    h = 12;
            }
            AppendNumber(Out, h, count >= 2 ? 2 : 1);
            break;
        }
        case 'N': AppendNumber(Out, P.Min, count >= 2 ? 2 : 1); break;
        case 'S': AppendNumber(Out, P.Sec, count >= 2 ? 2 : 1); break;
        case 'Z':
            if (count == 1) {
                AppendNumber(Out, P.MSec, 1);
            } else {
                count = std::min<std::size_t>(count, 3);
                AppendNumber(Out, P.MSec, 3);
            }
            break;
        case 'T':
            FormatInto(Out, count == 1 ? S.ShortTimeFormat : S.LongTimeFormat, P, S, Depth + 1);
            break;
        case 'A': {
            const bool pm = P.Hour >= 12;
            if (StartsWithNoCase(F, i, "am/pm")) {
                Out.append(F.substr(pm ? i + 3 : i, 2));
                count = 5;
            } else if (StartsWithNoCase(F, i, "a/p")) {
                Out += F[pm ? i + 2 : i];
                count = 3;
            } else if (StartsWithNoCase(F, i, "ampm")) {
                Out += pm ? S.TimePMString : S.TimeAMString;
                count = 4;
            } else {
                Out += c;
                count = 1;
            }
            break;
        }
        default:
            Out.append(F.substr(i, count));
            break;
        }
        lastToken = token;
        i += count;
    }
}

TParts PartsOf(TDateTime DT)
{
    TParts p;
    DecodeDateFully(DT, p.Year, p.Month, p.Day, p.DOW);
    DecodeTime(DT, p.Hour, p.Min, p.Sec, p.MSec);
    return p;
}

} // namespace

String FormatDateTime(std::string_view Format, TDateTime DateTime)
{
    return FormatDateTime(Format, DateTime, FormatSettings());
}

String FormatDateTime(std::string_view Format, TDateTime DateTime, const TFormatSettings& Settings)
{
    String out;
    const TParts parts = PartsOf(DateTime);
    FormatInto(out, Format.empty() ? std::string_view("c") : Format, parts, Settings, 0);
    return out;
}

// ---- Masks read once ------------------------------------------------------------------------------
// A mask of day, month and year numbers, separators and literal text is laid out once into steps;
// any other mask is formatted by FormatDateTime every time.

struct TDateTimeMask::TImpl {
    enum class TKind : Byte { Text, DateSeparator, TimeSeparator, Year, Month, Day };
    struct TStep {
        TKind Kind;
        int Digits;  // at least this many digits; for the year, 2 means its last two
        String Text; // Text
    };
    explicit TImpl(std::string_view Format) : Text(Format)
    {
        Simple = Lay(Text);
        for (const TStep& Step : Steps)
            Room += Step.Kind == TKind::Text ? Step.Text.size() : 5;
    }
    // The steps of F; false when F has more than numbers of dates, separators and text.
    bool Lay(std::string_view F)
    {
        if (F.empty())
            return false; // "c"
        std::size_t i = 0;
        while (i < F.size()) {
            const char c = F[i];
            if (c == '\'' || c == '"') {
                const std::size_t close = F.find(c, i + 1);
                const std::size_t end = close == std::string_view::npos ? F.size() : close;
                Steps.push_back({TKind::Text, 0, String(F.substr(i + 1, end - i - 1))});
                i = end == F.size() ? end : end + 1;
                continue;
            }
            if (!IsLetter(c)) {
                if (c == '/')
                    Steps.push_back({TKind::DateSeparator, 0, {}});
                else if (c == ':')
                    Steps.push_back({TKind::TimeSeparator, 0, {}});
                else
                    Steps.push_back({TKind::Text, 0, String(1, c)});
                ++i;
                continue;
            }
            const char token = Upper(c);
            std::size_t count = 1;
            while (i + count < F.size() && Upper(F[i + count]) == token)
                ++count;
            if (token == 'Y')
                Steps.push_back({TKind::Year, count <= 2 ? 2 : 4, {}});
            else if ((token == 'M' || token == 'D') && count <= 2)
                Steps.push_back({token == 'M' ? TKind::Month : TKind::Day, static_cast<int>(count), {}});
            else
                return false;
            i += count;
        }
        return true;
    }

    const String Text;
    bool Simple = false;
    std::vector<TStep> Steps;
    std::size_t Room = 0; // the most the steps write
};

TDateTimeMask::TDateTimeMask(std::string_view Format) : FImpl(std::make_shared<const TImpl>(Format)) {}

const String& TDateTimeMask::Format() const { return FImpl->Text; }

String TDateTimeMask::FormatDateTime(TDateTime DateTime, const TFormatSettings& Settings) const
{
    if (!FImpl->Simple)
        return qor::FormatDateTime(FImpl->Text, DateTime, Settings);
    TParts P; // the date is all the steps need
    DecodeDate(DateTime, P.Year, P.Month, P.Day);
    // The text is put together on the stack when it fits there: numbers of a date have at most 5
    // digits.
    char Buf[128];
    String Long;
    char* const Start = FImpl->Room <= sizeof Buf ? Buf : (Long.resize(FImpl->Room), Long.data());
    char* Out = Start;
    const auto Put = [&Out](unsigned Value, int Digits) {
        char Num[8];
        const char* First = NumberBefore(Num + sizeof Num, Value, Digits);
        const std::size_t N = static_cast<std::size_t>(Num + sizeof Num - First);
        std::memcpy(Out, First, N);
        Out += N;
    };
    for (const TImpl::TStep& Step : FImpl->Steps) {
        switch (Step.Kind) {
        case TImpl::TKind::Text:
            std::memcpy(Out, Step.Text.data(), Step.Text.size());
            Out += Step.Text.size();
            break;
        case TImpl::TKind::DateSeparator: *Out++ = Settings.DateSeparator; break;
        case TImpl::TKind::TimeSeparator: *Out++ = Settings.TimeSeparator; break;
        case TImpl::TKind::Year: Put(Step.Digits == 2 ? P.Year % 100 : P.Year, Step.Digits); break;
        case TImpl::TKind::Month: Put(P.Month, Step.Digits); break;
        case TImpl::TKind::Day: Put(P.Day, Step.Digits); break;
        }
    }
    const std::size_t Size = static_cast<std::size_t>(Out - Start);
    if (Start == Buf)
        return String(Buf, Size);
    Long.resize(Size);
    return Long;
}

String DateToStr(TDateTime Date) { return FormatDateTime("ddddd", Date, FormatSettings()); }
String DateToStr(TDateTime Date, const TFormatSettings& Settings) { return FormatDateTime("ddddd", Date, Settings); }
String TimeToStr(TDateTime Time) { return FormatDateTime("tt", Time, FormatSettings()); }
String TimeToStr(TDateTime Time, const TFormatSettings& Settings) { return FormatDateTime("tt", Time, Settings); }
String DateTimeToStr(TDateTime DateTime) { return FormatDateTime("c", DateTime, FormatSettings()); }
String DateTimeToStr(TDateTime DateTime, const TFormatSettings& Settings)
{
    return FormatDateTime("c", DateTime, Settings);
}

// ---- Reading ------------------------------------------------------------------------------------

namespace {

struct TScanner {
    std::string_view S;
    std::size_t Pos = 0;

    void SkipBlanks()
    {
        while (Pos < S.size() && static_cast<unsigned char>(S[Pos]) <= ' ')
            ++Pos;
    }
    bool AtEnd() const { return Pos >= S.size(); }
    // Up to 9 decimal digits; Digits receives how many were read.
    bool Number(unsigned& Value, int& Digits)
    {
        Value = 0;
        Digits = 0;
        while (Pos < S.size() && S[Pos] >= '0' && S[Pos] <= '9') {
            if (Digits == 9)
                return false;
            Value = Value * 10 + static_cast<unsigned>(S[Pos] - '0');
            ++Digits;
            ++Pos;
        }
        return Digits > 0;
    }
    bool Char(char C)
    {
        if (Pos < S.size() && S[Pos] == C) {
            ++Pos;
            return true;
        }
        return false;
    }
    bool Text(std::string_view T)
    {
        if (!T.empty() && StartsWithNoCase(S, Pos, T)) {
            Pos += T.size();
            return true;
        }
        return false;
    }
};

// The order of day, month and year in a date mask: "MDY", "DMY" or "YMD".
String DateOrder(std::string_view Mask)
{
    String order;
    char quote = 0;
    for (char c : Mask) {
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == '\'' || c == '"') {
            quote = c;
            continue;
        }
        const char u = Upper(c);
        if ((u == 'D' || u == 'M' || u == 'Y') && order.find(u) == String::npos)
            order += u;
    }
    if (order.size() == 3 && order[0] == 'Y')
        return "YMD";
    if (order.size() == 3 && order[0] == 'D')
        return "DMY";
    if (!order.empty() && order[0] == 'Y')
        return "YMD";
    if (!order.empty() && order[0] == 'D')
        return "DMY";
    return "MDY";
}

Word CurrentYear()
{
    Word y, m, d;
    DecodeDate(Now(), y, m, d);
    return y;
}

bool ScanDate(TScanner& Sc, TDateTime& Value, const TFormatSettings& S)
{
    const std::size_t start = Sc.Pos;
    Sc.SkipBlanks();
    unsigned n1, n2, n3 = 0;
    int l1, l2, l3 = 0;
    if (!Sc.Number(n1, l1) || !Sc.Char(S.DateSeparator) || !Sc.Number(n2, l2)) {
        Sc.Pos = start;
        return false;
    }
    const String order = DateOrder(S.ShortDateFormat);
    unsigned y, m, d;
    int yearDigits;
    if (Sc.Char(S.DateSeparator)) {
        if (!Sc.Number(n3, l3)) {
            Sc.Pos = start;
            return false;
        }
        if (order == "YMD") {
            y = n1; m = n2; d = n3; yearDigits = l1;
        } else if (order == "DMY") {
            d = n1; m = n2; y = n3; yearDigits = l3;
        } else {
            m = n1; d = n2; y = n3; yearDigits = l3;
        }
        if (y <= 99 && yearDigits <= 2) {
            const int base = static_cast<int>(CurrentYear()) - S.TwoDigitYearCenturyWindow;
            int full = static_cast<int>(y) + base / 100 * 100;
            if (S.TwoDigitYearCenturyWindow > 0 && full < base)
                full += 100;
            y = static_cast<unsigned>(full);
        }
    } else {
        y = CurrentYear();
        if (order == "DMY") {
            d = n1; m = n2;
        } else {
            m = n1; d = n2;
        }
    }
    if (y > 9999 || m > 12 || d > 31 || !TryEncodeDate(static_cast<Word>(y), static_cast<Word>(m), static_cast<Word>(d), Value)) {
        Sc.Pos = start;
        return false;
    }
    return true;
}

// 0 for AM, 1 for PM, -1 for neither.
int ScanAmPm(TScanner& Sc, const TFormatSettings& S)
{
    if (Sc.Text(S.TimeAMString) || Sc.Text("AM"))
        return 0;
    if (Sc.Text(S.TimePMString) || Sc.Text("PM"))
        return 1;
    if (Sc.Text("A"))
        return 0;
    if (Sc.Text("P"))
        return 1;
    return -1;
}

bool ScanTime(TScanner& Sc, TDateTime& Value, const TFormatSettings& S)
{
    const std::size_t start = Sc.Pos;
    Sc.SkipBlanks();
    int ampm = ScanAmPm(Sc, S);
    if (ampm >= 0)
        Sc.SkipBlanks();
    unsigned h = 0, n = 0, s = 0, ms = 0;
    int l;
    if (!Sc.Number(h, l)) {
        Sc.Pos = start;
        return false;
    }
    bool haveMinutes = false;
    if (Sc.Char(S.TimeSeparator)) {
        if (!Sc.Number(n, l)) {
            Sc.Pos = start;
            return false;
        }
        haveMinutes = true;
        if (Sc.Char(S.TimeSeparator)) {
            if (!Sc.Number(s, l)) {
                Sc.Pos = start;
                return false;
            }
            if (Sc.Char(S.DecimalSeparator)) {
                unsigned frac;
                if (!Sc.Number(frac, l)) {
                    Sc.Pos = start;
                    return false;
                }
                // A fraction of a second: keep three digits.
                while (l > 3) {
                    frac /= 10;
                    --l;
                }
                while (l < 3) {
                    frac *= 10;
                    ++l;
                }
                ms = frac;
            }
        }
    }
    if (ampm < 0) {
        Sc.SkipBlanks();
        ampm = ScanAmPm(Sc, S);
    }
    if (!haveMinutes && ampm < 0) {
        Sc.Pos = start;
        return false;
    }
    if (ampm >= 0) {
        if (h > 12) {
            Sc.Pos = start;
            return false;
        }
        if (h == 12)
            h = 0;
        if (ampm == 1)
            h += 12;
    }
    if (h > 23 || n > 59 || s > 59 || ms > 999 ||
        !TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(s), static_cast<Word>(ms), Value)) {
        Sc.Pos = start;
        return false;
    }
    return true;
}

bool Finished(TScanner& Sc)
{
    Sc.SkipBlanks();
    return Sc.AtEnd();
}

} // namespace

bool TryStrToDate(std::string_view S, TDateTime& Value, const TFormatSettings& Settings)
{
    TScanner sc{S};
    TDateTime d;
    if (!ScanDate(sc, d, Settings) || !Finished(sc))
        return false;
    Value = d;
    return true;
}

bool TryStrToTime(std::string_view S, TDateTime& Value, const TFormatSettings& Settings)
{
    TScanner sc{S};
    TDateTime t;
    if (!ScanTime(sc, t, Settings) || !Finished(sc))
        return false;
    Value = t;
    return true;
}

bool TryStrToDateTime(std::string_view S, TDateTime& Value, const TFormatSettings& Settings)
{
    TScanner sc{S};
    TDateTime d = 0, t = 0;
    if (ScanDate(sc, d, Settings)) {
        sc.SkipBlanks();
        if (!sc.AtEnd() && (!ScanTime(sc, t, Settings) || !Finished(sc)))
            return false;
    } else if (!ScanTime(sc, t, Settings) || !Finished(sc)) {
        return false;
    }
    Value = ComposeDateTime(d, t);
    return true;
}

bool TryStrToDate(std::string_view S, TDateTime& Value) { return TryStrToDate(S, Value, FormatSettings()); }
bool TryStrToTime(std::string_view S, TDateTime& Value) { return TryStrToTime(S, Value, FormatSettings()); }
bool TryStrToDateTime(std::string_view S, TDateTime& Value) { return TryStrToDateTime(S, Value, FormatSettings()); }

TDateTime StrToDate(std::string_view S, const TFormatSettings& Settings)
{
    TDateTime v;
    if (!TryStrToDate(S, v, Settings))
        throw EConvertError("'" + String(S) + "' is not a valid date");
    return v;
}

TDateTime StrToTime(std::string_view S, const TFormatSettings& Settings)
{
    TDateTime v;
    if (!TryStrToTime(S, v, Settings))
        throw EConvertError("'" + String(S) + "' is not a valid time");
    return v;
}

TDateTime StrToDateTime(std::string_view S, const TFormatSettings& Settings)
{
    TDateTime v;
    if (!TryStrToDateTime(S, v, Settings))
        throw EConvertError("'" + String(S) + "' is not a valid date and time");
    return v;
}

TDateTime StrToDate(std::string_view S) { return StrToDate(S, FormatSettings()); }
TDateTime StrToTime(std::string_view S) { return StrToTime(S, FormatSettings()); }
TDateTime StrToDateTime(std::string_view S) { return StrToDateTime(S, FormatSettings()); }

} // namespace qor
