#include "platform/db/ValueText.h"

#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrUtils.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace qor {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Exactly Count digits at S[Pos].
bool ReadDigits(std::string_view S, std::size_t Pos, std::size_t Count, Integer& Value)
{
    if (Pos + Count > S.size())
        return false;
    Value = 0;
    for (std::size_t i = 0; i < Count; ++i) {
        if (!IsDigit(S[Pos + i]))
            return false;
        Value = Value * 10 + (S[Pos + i] - '0');
    }
    return true;
}

} // namespace

bool ParseInvariantInt(std::string_view S, Int64& Value)
{
    S = TrimBlanks(S);
    if (!S.empty() && S.front() == '+')
        S.remove_prefix(1);
    if (S.empty())
        return false;
    auto [p, ec] = std::from_chars(S.data(), S.data() + S.size(), Value);
    return ec == std::errc() && p == S.data() + S.size();
}

bool ParseInvariantFloat(std::string_view S, Double& Value)
{
    S = TrimBlanks(S);
    if (!S.empty() && S.front() == '+')
        S.remove_prefix(1);
    if (S.empty() || !(IsDigit(S.front()) || S.front() == '-' || S.front() == '.'))
        return false; // no "inf"/"nan" words
    auto [p, ec] = std::from_chars(S.data(), S.data() + S.size(), Value);
    return ec == std::errc() && p == S.data() + S.size() && std::isfinite(Value);
}

bool NormaliseDecimal(std::string_view S, String& Value)
{
    S = TrimBlanks(S);
    bool Negative = false;
    if (!S.empty() && (S.front() == '+' || S.front() == '-')) {
        Negative = S.front() == '-';
        S.remove_prefix(1);
    }
    const std::size_t Dot = S.find('.');
    std::string_view Whole = Dot == std::string_view::npos ? S : S.substr(0, Dot);
    std::string_view Fraction = Dot == std::string_view::npos ? std::string_view() : S.substr(Dot + 1);
    if (Whole.empty() && Fraction.empty())
        return false;
    for (char c : Whole)
        if (!IsDigit(c))
            return false;
    for (char c : Fraction)
        if (!IsDigit(c))
            return false;
    while (!Whole.empty() && Whole.front() == '0')
        Whole.remove_prefix(1);
    while (!Fraction.empty() && Fraction.back() == '0')
        Fraction.remove_suffix(1);
    String R;
    if (Negative && !(Whole.empty() && Fraction.empty()))
        R += '-';
    R += Whole.empty() ? std::string_view("0") : Whole;
    if (!Fraction.empty()) {
        R += '.';
        R += Fraction;
    }
    Value = std::move(R);
    return true;
}

bool ParseInvariantCurrency(std::string_view S, Int64& Value)
{
    String D;
    if (!NormaliseDecimal(S, D))
        return false;
    bool Negative = D.front() == '-';
    std::string_view V(D);
    if (Negative)
        V.remove_prefix(1);
    const std::size_t Dot = V.find('.');
    std::string_view Whole = Dot == std::string_view::npos ? V : V.substr(0, Dot);
    std::string_view Fraction = Dot == std::string_view::npos ? std::string_view() : V.substr(Dot + 1);
    Int64 Units = 0;
    auto [p, ec] = std::from_chars(Whole.data(), Whole.data() + Whole.size(), Units);
    if (ec != std::errc() || Units > INT64_MAX / 10000 - 1)
        return false;
    Int64 Frac = 0;
    for (std::size_t i = 0; i < 4; ++i)
        Frac = Frac * 10 + (i < Fraction.size() ? Fraction[i] - '0' : 0);
    if (Fraction.size() > 4) {
        // Halves to even on what is cut off.
        const char First = Fraction[4];
        bool MoreThanHalf = First > '5';
        if (First == '5')
            MoreThanHalf = Fraction.find_first_not_of('0', 5) != std::string_view::npos || (Frac % 2) == 1;
        if (MoreThanHalf)
            ++Frac;
    }
    Int64 Raw = Units * 10000 + Frac;
    Value = Negative ? -Raw : Raw;
    return true;
}

bool ParseInvariantBoolean(std::string_view S, bool& Value)
{
    S = TrimBlanks(S);
    for (const char* T : {"true", "yes", "t", "y", "1"})
        if (SameText(S, T)) {
            Value = true;
            return true;
        }
    for (const char* F : {"false", "no", "f", "n", "0"})
        if (SameText(S, F)) {
            Value = false;
            return true;
        }
    return false;
}

bool ParseIsoDate(std::string_view S, Double& Value)
{
    if (S.size() != 10)
        S = TrimBlanks(S);
    Integer Y, M, D;
    if (S.size() != 10 || S[4] != '-' || S[7] != '-' || !ReadDigits(S, 0, 4, Y) || !ReadDigits(S, 5, 2, M) ||
        !ReadDigits(S, 8, 2, D))
        return false;
    TDateTime R;
    if (!TryEncodeDate(static_cast<Word>(Y), static_cast<Word>(M), static_cast<Word>(D), R))
        return false;
    Value = R;
    return true;
}

bool ParseIsoTime(std::string_view S, Double& Value)
{
    S = TrimBlanks(S);
    Integer H, N, Sec = 0, MSec = 0;
    if (S.size() < 5 || S[2] != ':' || !ReadDigits(S, 0, 2, H) || !ReadDigits(S, 3, 2, N))
        return false;
    std::size_t Pos = 5;
    if (Pos < S.size()) {
        if (S[Pos] != ':' || !ReadDigits(S, Pos + 1, 2, Sec))
            return false;
        Pos += 3;
        if (Pos < S.size()) {
            if (S[Pos] != '.' || Pos + 1 >= S.size())
                return false;
            // Milliseconds from the first three digits of the fraction, rounded by the fourth.
            Integer Scale = 100;
            std::size_t i = Pos + 1;
            for (; i < S.size(); ++i) {
                if (!IsDigit(S[i]))
                    return false;
                if (Scale > 0)
                    MSec += (S[i] - '0') * Scale;
                else if (Scale == 0 && S[i] >= '5')
                    ++MSec;
                Scale = Scale >= 10 ? Scale / 10 : (Scale == 1 ? 0 : -1);
            }
            if (MSec > 999)
                MSec = 999;
        }
    }
    TDateTime R;
    if (!TryEncodeTime(static_cast<Word>(H), static_cast<Word>(N), static_cast<Word>(Sec), static_cast<Word>(MSec), R))
        return false;
    Value = R;
    return true;
}

bool ParseIsoDateTime(std::string_view S, Double& Value)
{
    S = TrimBlanks(S);
    if (S.size() <= 10)
        return ParseIsoDate(S, Value);
    if (S[10] != 'T' && S[10] != ' ')
        return false;
    Double D, T;
    std::string_view TimePart = S.substr(11);
    if (!TimePart.empty() && TimePart.back() == 'Z')
        TimePart.remove_suffix(1);
    if (!ParseIsoDate(S.substr(0, 10), D) || !ParseIsoTime(TimePart, T))
        return false;
    Value = ComposeDateTime(D, T);
    return true;
}

String FormatInvariantFloat(Double Value)
{
    char Buf[64];
    auto [p, ec] = std::to_chars(Buf, Buf + sizeof Buf, Value);
    return ec == std::errc() ? String(Buf, p) : String();
}

String FormatInvariantCurrency(Int64 TenThousandths)
{
    const bool Negative = TenThousandths < 0;
    const UInt64 Abs = Negative ? 0 - static_cast<UInt64>(TenThousandths) : static_cast<UInt64>(TenThousandths);
    String R = Negative ? "-" : "";
    R += std::to_string(Abs / 10000);
    UInt64 Frac = Abs % 10000;
    if (Frac != 0) {
        char Buf[8];
        std::snprintf(Buf, sizeof Buf, "%04u", static_cast<unsigned>(Frac));
        String F(Buf);
        while (F.back() == '0')
            F.pop_back();
        R += '.';
        R += F;
    }
    return R;
}

String FormatIsoDate(Double Value)
{
    Word Y, M, D;
    DecodeDate(Value, Y, M, D);
    char Buf[32];
    std::snprintf(Buf, sizeof Buf, "%04u-%02u-%02u", Y, M, D);
    return Buf;
}

String FormatIsoTime(Double Value)
{
    Word H, N, S, Ms;
    DecodeTime(Value, H, N, S, Ms);
    char Buf[48];
    if (Ms != 0)
        std::snprintf(Buf, sizeof Buf, "%02u:%02u:%02u.%03u", H, N, S, Ms);
    else
        std::snprintf(Buf, sizeof Buf, "%02u:%02u:%02u", H, N, S);
    return Buf;
}

String FormatIsoDateTime(Double Value)
{
    return FormatIsoDate(Value) + " " + FormatIsoTime(Value);
}

namespace {

String HexOf(const String& Bytes)
{
    static const char Digits[] = "0123456789ABCDEF";
    String R;
    R.reserve(Bytes.size() * 2);
    for (unsigned char c : Bytes) {
        R += Digits[c >> 4];
        R += Digits[c & 15];
    }
    return R;
}

bool BytesOfHex(std::string_view S, String& Bytes)
{
    if (S.size() % 2 != 0)
        return false;
    auto Nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        c = Lower(c);
        return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    Bytes.clear();
    for (std::size_t i = 0; i < S.size(); i += 2) {
        const int Hi = Nibble(S[i]), Lo = Nibble(S[i + 1]);
        if (Hi < 0 || Lo < 0)
            return false;
        Bytes += static_cast<char>(Hi * 16 + Lo);
    }
    return true;
}

bool IsBinaryType(TFieldType Type)
{
    switch (Type) {
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftStream:
        return true;
    default:
        return false;
    }
}

} // namespace

bool StoreInvariantText(TRecordStore& Store, Int64 Row, Integer Col, TFieldType Type, std::string_view Text)
{
    if (Text.empty()) {
        Store.SetNull(Row, Col);
        return true;
    }
    switch (Type) {
    case ftBoolean: {
        bool B;
        if (!ParseInvariantBoolean(Text, B))
            return false;
        Store.SetInt(Row, Col, B ? 1 : 0);
        return true;
    }
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp: {
        Double D;
        bool Ok = Type == ftDate ? ParseIsoDate(Text, D)
                  : Type == ftTime ? ParseIsoTime(Text, D)
                                   : ParseIsoDateTime(Text, D);
        if (!Ok)
            return false;
        Store.SetFloat(Row, Col, D);
        return true;
    }
    case ftFMTBcd: {
        String D;
        if (!NormaliseDecimal(Text, D))
            return false;
        Store.SetText(Row, Col, std::move(D));
        return true;
    }
    default:
        break;
    }
    switch (StorageKindOf(Type)) {
    case TStorageKind::Integer: {
        Int64 I;
        if (!ParseInvariantInt(Text, I))
            return false;
        Store.SetInt(Row, Col, I);
        return true;
    }
    case TStorageKind::Float: {
        Double D;
        if (!ParseInvariantFloat(Text, D))
            return false;
        Store.SetFloat(Row, Col, D);
        return true;
    }
    case TStorageKind::Currency: {
        Int64 C;
        if (!ParseInvariantCurrency(Text, C))
            return false;
        Store.SetInt(Row, Col, C);
        return true;
    }
    case TStorageKind::Text:
        if (IsBinaryType(Type)) {
            String B;
            if (!BytesOfHex(Text, B))
                return false;
            Store.SetText(Row, Col, std::move(B));
        } else {
            Store.SetText(Row, Col, String(Text));
        }
        return true;
    }
    return false;
}

String CellInvariantText(const TRecordStore& Store, Int64 Row, Integer Col, TFieldType Type)
{
    if (Store.IsNull(Row, Col))
        return {};
    switch (Type) {
    case ftBoolean:
        return Store.Int(Row, Col) != 0 ? "True" : "False";
    case ftDate:
        return FormatIsoDate(Store.Float(Row, Col));
    case ftTime:
        return FormatIsoTime(Store.Float(Row, Col));
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
        return FormatIsoDateTime(Store.Float(Row, Col));
    default:
        break;
    }
    switch (Store.Kind(Col)) {
    case TStorageKind::Integer:
        return std::to_string(Store.Int(Row, Col));
    case TStorageKind::Float:
        return FormatInvariantFloat(Store.Float(Row, Col));
    case TStorageKind::Currency:
        return FormatInvariantCurrency(Store.Int(Row, Col));
    case TStorageKind::Text:
        return IsBinaryType(Type) ? HexOf(Store.Text(Row, Col)) : Store.Text(Row, Col);
    }
    return {};
}

} // namespace qor
