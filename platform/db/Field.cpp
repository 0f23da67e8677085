#include "platform/db/Field.h"

#include "platform/db/DataSet.h"
#include "platform/db/ValueText.h"
#include "platform/db/internal/DataSetInternals.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace qor {

namespace {

const String GEmpty;

// Where a field bound to Column of D reads: the data set's active record and its row; null when the
// field is unbound or there is no current record.
const TRecordStore* ReadStore(const TDataSet* D, Integer Column, Int64& Row)
{
    if (!D || Column < 0)
        return nullptr;
    Row = TDataSetInternals::ActiveRow(*D);
    return TDataSetInternals::ActiveStore(*D);
}

void IntRangeOf(TFieldType Type, Int64& Min, Int64& Max)
{
    switch (Type) {
    case ftSmallint:
        Min = -32768, Max = 32767;
        break;
    case ftWord:
        Min = 0, Max = 65535;
        break;
    case ftShortint:
        Min = -128, Max = 127;
        break;
    case ftByte:
        Min = 0, Max = 255;
        break;
    case ftLongWord:
        Min = 0, Max = 4294967295LL;
        break;
    case ftLargeint:
        Min = std::numeric_limits<Int64>::min(), Max = std::numeric_limits<Int64>::max();
        break;
    default:
        Min = std::numeric_limits<Integer>::min(), Max = std::numeric_limits<Integer>::max();
        break;
    }
}

// Fixed notation of a double, as exact decimal text for a decimal field.
String FixedText(Double Value)
{
    char Buf[400];
    auto [p, ec] = std::to_chars(Buf, Buf + sizeof Buf, Value, std::chars_format::fixed);
    return ec == std::errc() ? String(Buf, p) : String("0");
}

// Decimal text with the user's decimal separator turned back into '.'.
String WithPoint(const String& S)
{
    const char Sep = FormatSettings().DecimalSeparator;
    if (Sep == '.')
        return S;
    String R = S;
    for (char& c : R)
        if (c == Sep)
            c = '.';
    return R;
}

String WithUserSeparator(String S)
{
    const char Sep = FormatSettings().DecimalSeparator;
    if (Sep != '.')
        for (char& c : S)
            if (c == '.')
                c = Sep;
    return S;
}

Int64 CheckedRound(Double Value, const TField* Field)
{
    if (!std::isfinite(Value) || Value >= 9.2233720368547758e18 || Value < -9.2233720368547758e18)
        DatabaseError(FloatToStr(Value) + " is not a valid value for field '" + Field->FieldName() + "'",
                      Field->DataSet());
    return Round(Value);
}

void WriteBytes(TStream* Stream, const String& Bytes)
{
    if (!Bytes.empty())
        Stream->WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

} // namespace

// ---- TField -------------------------------------------------------------------------------------

TField::TField(TComponent* AOwner) : TComponent(AOwner) {}

TField::TField(TComponent* AOwner, TFieldType Type) : TComponent(AOwner), FDataType(Type) {}

TField::~TField()
{
    if (TDataSet* D = FDataSet) {
        TDataSetInternals::RemoveField(*D, this);
        // Taking a field away closes its data set, so that the links following the field let go
        // of it before it is gone.
        if (D->Active()) {
            try {
                D->Close();
            } catch (...) {
            }
        }
    }
}

void TField::SetDataSet(TDataSet* Value)
{
    if (Value == FDataSet)
        return;
    if (FDataSet)
        TDataSetInternals::CheckInactive(*FDataSet);
    if (Value)
        TDataSetInternals::CheckInactive(*Value);
    if (FDataSet)
        TDataSetInternals::RemoveField(*FDataSet, this);
    if (Value)
        TDataSetInternals::AddField(*Value, this);
}

void TField::SetFieldName(const String& Value)
{
    if (FDataSet)
        TDataSetInternals::CheckInactive(*FDataSet);
    FFieldName = Value;
}

Integer TField::Index() const
{
    return FDataSet ? FDataSet->Fields()->IndexOf(this) : -1;
}

void TField::SetIndex(Integer Value)
{
    if (!FDataSet)
        return;
    auto& L = FDataSet->Fields()->FList;
    const Integer Cur = Index();
    if (Value < 0)
        Value = 0;
    if (Value >= static_cast<Integer>(L.size()))
        Value = static_cast<Integer>(L.size()) - 1;
    if (Cur < 0 || Cur == Value)
        return;
    L.erase(L.begin() + Cur);
    L.insert(L.begin() + Value, this);
    if (FDataSet->Active())
        TDataSetInternals::DataEvent(*FDataSet, deLayoutChange);
}

void TField::SetDisplayLabel(const String& Value)
{
    FDisplayLabel = Value == FFieldName ? String() : Value;
    Changed();
}

void TField::SetDisplayWidth(Integer Value)
{
    FDisplayWidth = Value;
    Changed();
}

void TField::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    Changed();
}

void TField::SetSize(Integer Value)
{
    if (FDataSet)
        TDataSetInternals::CheckInactive(*FDataSet);
    FSize = Value;
}

void TField::Changed()
{
    if (FDataSet && FDataSet->Active())
        TDataSetInternals::DataEvent(*FDataSet, deLayoutChange);
}

bool TField::IsNull() const
{
    // As RawIsNull, without a second call through the library's exports (the engine asks this
    // for every field of every record).
    Int64 Row = 0;
    const TRecordStore* S = ReadStore(FDataSet, FColumn, Row);
    return !S || S->IsNull(Row, FColumn);
}

void TField::Clear() { RawSetNull(); }

Integer TField::AsInteger() const
{
    const Int64 V = GetAsLargeInt();
    if (V < std::numeric_limits<Integer>::min() || V > std::numeric_limits<Integer>::max())
        FieldError(IntToStr(V) + " is out of range for field '" + FFieldName + "' read as Integer");
    return static_cast<Integer>(V);
}

void TField::SetAsVariant(const TFieldValue& Value)
{
    switch (Value.Kind()) {
    case TValueKind::Null:
        Clear();
        break;
    case TValueKind::Boolean:
        SetAsBooleanValue(Value.IntValue() != 0);
        break;
    case TValueKind::Integer:
        SetAsLargeIntValue(Value.IntValue());
        break;
    case TValueKind::Float:
        SetAsFloatValue(Value.FloatValue());
        break;
    case TValueKind::Currency:
        SetAsCurrencyValue(Currency::FromRaw(Value.IntValue()));
        break;
    case TValueKind::DateTime:
        SetAsDateTimeValue(Value.FloatValue());
        break;
    case TValueKind::String:
    case TValueKind::Bytes:
        SetAsStringValue(Value.Text());
        break;
    }
}

String TField::GetAsString() const { AccessError("String"); }
Int64 TField::GetAsLargeInt() const { AccessError("Integer"); }
Double TField::GetAsFloat() const { AccessError("Float"); }
Currency TField::GetAsCurrency() const { AccessError("Currency"); }
TDateTime TField::GetAsDateTime() const { AccessError("DateTime"); }
bool TField::GetAsBoolean() const { AccessError("Boolean"); }
TFieldValue TField::GetAsVariant() const { return RawIsNull() ? TFieldValue() : TFieldValue(GetAsString()); }
String TField::GetText(bool) const { return RawIsNull() ? String() : GetAsString(); }
void TField::SetAsStringValue(const String&) { AccessError("String"); }
void TField::SetAsLargeIntValue(Int64) { AccessError("Integer"); }
void TField::SetAsFloatValue(Double) { AccessError("Float"); }
void TField::SetAsCurrencyValue(Currency) { AccessError("Currency"); }
void TField::SetAsDateTimeValue(TDateTime) { AccessError("DateTime"); }
void TField::SetAsBooleanValue(bool) { AccessError("Boolean"); }

void TField::AccessError(const char* TypeName) const
{
    FieldError("Cannot access field '" + FFieldName + "' as type " + TypeName);
}

void TField::FieldError(const String& Message) const { DatabaseError(Message, FDataSet); }

bool TField::RawIsNull() const
{
    Int64 Row = 0;
    const TRecordStore* S = ReadStore(FDataSet, FColumn, Row);
    return !S || S->IsNull(Row, FColumn);
}

Int64 TField::RawInt() const
{
    Int64 Row = 0;
    const TRecordStore* S = ReadStore(FDataSet, FColumn, Row);
    return S ? S->Int(Row, FColumn) : 0;
}

Double TField::RawFloat() const
{
    Int64 Row = 0;
    const TRecordStore* S = ReadStore(FDataSet, FColumn, Row);
    return S ? S->Float(Row, FColumn) : 0.0;
}

const String& TField::RawText() const
{
    Int64 Row = 0;
    const TRecordStore* S = ReadStore(FDataSet, FColumn, Row);
    return S ? S->Text(Row, FColumn) : GEmpty;
}

TRecordStore* TField::WriteBuffer(Int64& Row)
{
    if (!FDataSet)
        DatabaseError("Field '" + FFieldName + "' has no dataset");
    if (FDataSet->State() != dsEdit && FDataSet->State() != dsInsert)
        FieldError("Dataset not in edit or insert mode");
    if (FReadOnly)
        FieldError("Field '" + FFieldName + "' cannot be modified");
    if (FColumn < 0)
        FieldError("Field '" + FFieldName + "' is not bound to a column");
    Row = 0;
    return TDataSetInternals::EditBuffer(*FDataSet);
}

void TField::RawSetNull()
{
    Int64 Row;
    WriteBuffer(Row)->SetNull(Row, FColumn);
    TDataSetInternals::DataEvent(*FDataSet, deFieldChange, this);
}

void TField::RawSetInt(Int64 Value)
{
    Int64 Row;
    WriteBuffer(Row)->SetInt(Row, FColumn, Value);
    TDataSetInternals::DataEvent(*FDataSet, deFieldChange, this);
}

void TField::RawSetFloat(Double Value)
{
    Int64 Row;
    WriteBuffer(Row)->SetFloat(Row, FColumn, Value);
    TDataSetInternals::DataEvent(*FDataSet, deFieldChange, this);
}

void TField::RawSetText(String Value)
{
    Int64 Row;
    WriteBuffer(Row)->SetText(Row, FColumn, std::move(Value));
    TDataSetInternals::DataEvent(*FDataSet, deFieldChange, this);
}

// ---- TStringField -------------------------------------------------------------------------------

TStringField::TStringField(TComponent* AOwner) : TStringField(AOwner, ftString) {}

TStringField::TStringField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type) { FSize = 20; }

void TStringField::SetFixedChar(bool Value)
{
    const bool Wide = FDataType == ftWideString || FDataType == ftFixedWideChar;
    FDataType = Value ? (Wide ? ftFixedWideChar : ftFixedChar) : (Wide ? ftWideString : ftString);
}

String TStringField::GetAsString() const
{
    Int64 Row = 0;
    const TRecordStore* Cells = ReadStore(FDataSet, FColumn, Row);
    if (!Cells || Cells->IsNull(Row, FColumn))
        return {};
    const String& S = Cells->Text(Row, FColumn);
    if (!FixedChar())
        return S;
    std::size_t n = S.size();
    while (n > 0 && S[n - 1] == ' ')
        --n;
    return S.substr(0, n);
}

Int64 TStringField::GetAsLargeInt() const { return RawIsNull() ? 0 : StrToInt64(GetAsString()); }

Double TStringField::GetAsFloat() const { return RawIsNull() ? 0.0 : StrToFloat(GetAsString()); }

Currency TStringField::GetAsCurrency() const { return RawIsNull() ? Currency() : StrToCurr(GetAsString()); }

TDateTime TStringField::GetAsDateTime() const
{
    if (RawIsNull())
        return 0;
    const String S = GetAsString();
    Double D;
    if (ParseIsoDateTime(S, D))
        return D;
    return StrToDateTime(S);
}

bool TStringField::GetAsBoolean() const
{
    if (RawIsNull())
        return false;
    const String S = Trim(GetAsString());
    bool B;
    if (ParseInvariantBoolean(S, B))
        return B;
    throw EConvertError("'" + S + "' is not a valid boolean value");
}

TFieldValue TStringField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue(GetAsString());
}

// An empty text is no value, as in a file or a form.
void TStringField::SetAsStringValue(const String& Value)
{
    if (Value.empty())
        RawSetNull();
    else
        RawSetText(Value);
}
void TStringField::SetAsLargeIntValue(Int64 Value) { RawSetText(IntToStr(Value)); }
void TStringField::SetAsFloatValue(Double Value) { RawSetText(FloatToStr(Value)); }
void TStringField::SetAsCurrencyValue(Currency Value) { RawSetText(CurrToStr(Value)); }
void TStringField::SetAsDateTimeValue(TDateTime Value) { RawSetText(DateTimeToStr(Value)); }
void TStringField::SetAsBooleanValue(bool Value) { RawSetText(Value ? "True" : "False"); }

TWideStringField::TWideStringField(TComponent* AOwner) : TStringField(AOwner, ftWideString) {}

// ---- numeric ------------------------------------------------------------------------------------

TNumericField::TNumericField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type)
{
    FAlignment = taRightJustify;
}

void TNumericField::SetDisplayFormat(const String& Value)
{
    FDisplayFormat = Value;
    Changed();
}

void TNumericField::SetEditFormat(const String& Value)
{
    FEditFormat = Value;
    Changed();
}

TIntegerField::TIntegerField(TComponent* AOwner) : TIntegerField(AOwner, ftInteger) {}

TIntegerField::TIntegerField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner, Type) {}

Integer TIntegerField::DefaultDisplayWidth() const
{
    switch (FDataType) {
    case ftSmallint:
        return 6;
    case ftWord:
        return 5;
    case ftShortint:
    case ftByte:
        return 4;
    case ftLargeint:
        return 15;
    default:
        return 10;
    }
}

String TIntegerField::GetAsString() const { return RawIsNull() ? String() : IntToStr(RawInt()); }
Int64 TIntegerField::GetAsLargeInt() const { return RawInt(); }
Double TIntegerField::GetAsFloat() const { return static_cast<Double>(RawInt()); }
Currency TIntegerField::GetAsCurrency() const { return Currency::FromInt64(RawInt()); }
bool TIntegerField::GetAsBoolean() const { return RawInt() != 0; }

TFieldValue TIntegerField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue(RawInt());
}

String TIntegerField::GetText(bool Display) const
{
    if (RawIsNull())
        return {};
    const String& Fmt = Display ? FDisplayFormat : FEditFormat;
    if (Fmt.empty())
        return IntToStr(RawInt());
    return FormatFloat(Fmt, static_cast<Double>(RawInt()));
}

void TIntegerField::SetAsStringValue(const String& Value)
{
    const String S = Trim(Value);
    if (S.empty())
        RawSetNull();
    else
        SetAsLargeIntValue(StrToInt64(S));
}

void TIntegerField::SetAsLargeIntValue(Int64 Value)
{
    Int64 Min = FMinValue, Max = FMaxValue;
    if (Min == 0 && Max == 0)
        IntRangeOf(FDataType, Min, Max);
    if (Value < Min || Value > Max)
        FieldError(IntToStr(Value) + " is not a valid value for field '" + FFieldName +
                   "'. The allowed range is " + IntToStr(Min) + " to " + IntToStr(Max));
    RawSetInt(Value);
}

void TIntegerField::SetAsFloatValue(Double Value) { SetAsLargeIntValue(CheckedRound(Value, this)); }

void TIntegerField::SetAsCurrencyValue(Currency Value) { SetAsFloatValue(Value.ToDouble()); }

void TIntegerField::SetAsBooleanValue(bool Value) { SetAsLargeIntValue(Value ? 1 : 0); }

TSmallintField::TSmallintField(TComponent* AOwner) : TIntegerField(AOwner, ftSmallint) {}
TWordField::TWordField(TComponent* AOwner) : TIntegerField(AOwner, ftWord) {}
TAutoIncField::TAutoIncField(TComponent* AOwner) : TIntegerField(AOwner, ftAutoInc) {}
TLargeintField::TLargeintField(TComponent* AOwner) : TIntegerField(AOwner, ftLargeint) {}

// ---- floats -------------------------------------------------------------------------------------

TFloatField::TFloatField(TComponent* AOwner) : TFloatField(AOwner, ftFloat) {}

TFloatField::TFloatField(TComponent* AOwner, TFieldType Type) : TNumericField(AOwner, Type) {}

void TFloatField::SetCurrency(bool Value)
{
    FCurrency = Value;
    Changed();
}

void TFloatField::SetPrecision(Integer Value)
{
    FPrecision = Value < 2 ? 2 : (Value > 15 ? 15 : Value);
    Changed();
}

String TFloatField::GetAsString() const
{
    return RawIsNull() ? String() : FloatToStrF(RawFloat(), ffGeneral, FPrecision, 0);
}

Int64 TFloatField::GetAsLargeInt() const { return RawIsNull() ? 0 : CheckedRound(RawFloat(), this); }
Double TFloatField::GetAsFloat() const { return RawFloat(); }
qor::Currency TFloatField::GetAsCurrency() const { return qor::Currency(RawFloat()); }

TFieldValue TFloatField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue(RawFloat());
}

String TFloatField::GetText(bool Display) const
{
    if (RawIsNull())
        return {};
    const Double V = RawFloat();
    const String& Fmt = Display ? FDisplayFormat : FEditFormat;
    if (!Fmt.empty())
        return FormatFloat(Fmt, V);
    if (FCurrency)
        return Display ? FloatToStrF(V, ffCurrency, FPrecision, FormatSettings().CurrencyDecimals)
                       : FloatToStrF(V, ffFixed, FPrecision, FormatSettings().CurrencyDecimals);
    return FloatToStrF(V, ffGeneral, FPrecision, 0);
}

void TFloatField::SetAsStringValue(const String& Value)
{
    const String S = Trim(Value);
    if (S.empty())
        RawSetNull();
    else
        SetAsFloatValue(StrToFloat(S));
}

void TFloatField::SetAsLargeIntValue(Int64 Value) { SetAsFloatValue(static_cast<Double>(Value)); }

void TFloatField::SetAsFloatValue(Double Value)
{
    if (!std::isfinite(Value))
        FieldError("Invalid floating point value for field '" + FFieldName + "'");
    RawSetFloat(Value);
}

void TFloatField::SetAsCurrencyValue(qor::Currency Value) { SetAsFloatValue(Value.ToDouble()); }

TSingleField::TSingleField(TComponent* AOwner) : TFloatField(AOwner, ftSingle) { FPrecision = 7; }

void TSingleField::SetAsFloatValue(Double Value)
{
    if (std::isfinite(Value) && std::fabs(Value) > std::numeric_limits<float>::max())
        FieldError(FloatToStr(Value) + " is not a valid value for field '" + FFieldName + "'");
    TFloatField::SetAsFloatValue(static_cast<float>(Value));
}

TCurrencyField::TCurrencyField(TComponent* AOwner) : TFloatField(AOwner, ftCurrency) { FCurrency = true; }

// ---- BCD ----------------------------------------------------------------------------------------

TDecimalField::TDecimalField(TComponent* AOwner, TFieldType Type, Integer Size) : TNumericField(AOwner, Type)
{
    FSize = Size;
}

void TDecimalField::SetCurrency(bool Value)
{
    FCurrency = Value;
    Changed();
}

String TDecimalField::GetText(bool Display) const
{
    if (RawIsNull())
        return {};
    const String& Fmt = Display ? FDisplayFormat : FEditFormat;
    if (!Fmt.empty())
        return FormattedText(Fmt);
    if (FCurrency && Display)
        return MoneyText();
    return GetAsString();
}

void TDecimalField::SetAsStringValue(const String& Value)
{
    const String S = Trim(Value);
    if (S.empty())
        RawSetNull();
    else
        SetDecimalText(S);
}

TBCDField::TBCDField(TComponent* AOwner) : TDecimalField(AOwner, ftBCD, 4) {}

String TBCDField::GetAsString() const { return RawIsNull() ? String() : CurrToStr(GetAsCurrency()); }

Int64 TBCDField::GetAsLargeInt() const
{
    // Whole units, halves to even, as Currency rounds.
    const Int64 Raw = RawInt();
    Int64 Q = Raw / 10000, R = Raw % 10000;
    if (R > 5000 || (R == 5000 && (Q & 1)))
        ++Q;
    else if (R < -5000 || (R == -5000 && (Q & 1)))
        --Q;
    return Q;
}

Double TBCDField::GetAsFloat() const { return GetAsCurrency().ToDouble(); }
qor::Currency TBCDField::GetAsCurrency() const { return qor::Currency::FromRaw(RawInt()); }

TFieldValue TBCDField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue::FromCurrency(RawInt());
}

String TBCDField::FormattedText(const String& Fmt) const { return FormatCurr(Fmt, GetAsCurrency()); }

String TBCDField::MoneyText() const
{
    return CurrToStrF(GetAsCurrency(), ffCurrency, FormatSettings().CurrencyDecimals);
}

void TBCDField::SetDecimalText(const String& Text) { SetAsCurrencyValue(StrToCurr(Text)); }
void TBCDField::SetAsLargeIntValue(Int64 Value) { SetAsCurrencyValue(qor::Currency::FromInt64(Value)); }
void TBCDField::SetAsFloatValue(Double Value) { SetAsCurrencyValue(qor::Currency(Value)); }
void TBCDField::SetAsCurrencyValue(qor::Currency Value) { RawSetInt(Value.Raw()); }

TFMTBCDField::TFMTBCDField(TComponent* AOwner) : TDecimalField(AOwner, ftFMTBcd, 8) {}

String TFMTBCDField::GetAsString() const { return RawIsNull() ? String() : WithUserSeparator(RawText()); }

Int64 TFMTBCDField::GetAsLargeInt() const { return RawIsNull() ? 0 : CheckedRound(GetAsFloat(), this); }

Double TFMTBCDField::GetAsFloat() const
{
    Double D = 0;
    if (!RawIsNull())
        ParseInvariantFloat(RawText(), D);
    return D;
}

qor::Currency TFMTBCDField::GetAsCurrency() const
{
    Int64 C = 0;
    if (!RawIsNull() && !ParseInvariantCurrency(RawText(), C))
        FieldError(RawText() + " is out of range for field '" + FFieldName + "' read as Currency");
    return qor::Currency::FromRaw(C);
}

TFieldValue TFMTBCDField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue(GetAsFloat());
}

String TFMTBCDField::FormattedText(const String& Fmt) const { return FormatFloat(Fmt, GetAsFloat()); }

String TFMTBCDField::MoneyText() const
{
    return FloatToStrF(GetAsFloat(), ffCurrency, 18, FormatSettings().CurrencyDecimals);
}

void TFMTBCDField::SetDecimalText(const String& Text)
{
    String D;
    if (NormaliseDecimal(WithPoint(Text), D))
        RawSetText(std::move(D));
    else
        SetAsFloatValue(StrToFloat(Text));
}

void TFMTBCDField::SetAsLargeIntValue(Int64 Value) { RawSetText(IntToStr(Value)); }

void TFMTBCDField::SetAsFloatValue(Double Value)
{
    if (!std::isfinite(Value))
        FieldError("Invalid floating point value for field '" + FFieldName + "'");
    String D;
    NormaliseDecimal(FixedText(Value), D);
    RawSetText(std::move(D));
}

void TFMTBCDField::SetAsCurrencyValue(qor::Currency Value) { RawSetText(FormatInvariantCurrency(Value.Raw())); }

// ---- Boolean ------------------------------------------------------------------------------------

TBooleanField::TBooleanField(TComponent* AOwner) : TField(AOwner, ftBoolean) {}

void TBooleanField::SetDisplayValues(const String& Value)
{
    if (Value.empty()) {
        FDisplayValues = "True;False";
        FTrueText = "True";
        FFalseText = "False";
    } else {
        FDisplayValues = Value;
        const std::size_t Semi = Value.find(';');
        FTrueText = Value.substr(0, Semi);
        FFalseText = Semi == String::npos ? String() : Value.substr(Semi + 1);
    }
    Changed();
}

String TBooleanField::GetAsString() const
{
    return RawIsNull() ? String() : (RawInt() != 0 ? FTrueText : FFalseText);
}

Int64 TBooleanField::GetAsLargeInt() const { return RawInt() != 0 ? 1 : 0; }
bool TBooleanField::GetAsBoolean() const { return RawInt() != 0; }

TFieldValue TBooleanField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue(RawInt() != 0);
}

void TBooleanField::SetAsStringValue(const String& Value)
{
    const String S = Trim(Value);
    if (S.empty()) {
        RawSetNull();
        return;
    }
    if (!FTrueText.empty() && AnsiSameText(S, FTrueText))
        return SetAsBooleanValue(true);
    if (!FFalseText.empty() && AnsiSameText(S, FFalseText))
        return SetAsBooleanValue(false);
    bool B;
    if (ParseInvariantBoolean(S, B))
        return SetAsBooleanValue(B);
    FieldError("'" + S + "' is not a valid boolean value for field '" + FFieldName + "'");
}

void TBooleanField::SetAsLargeIntValue(Int64 Value) { SetAsBooleanValue(Value != 0); }
void TBooleanField::SetAsBooleanValue(bool Value) { RawSetInt(Value ? 1 : 0); }

Integer TBooleanField::DefaultDisplayWidth() const
{
    const Integer T = Utf8Length(FTrueText), F = Utf8Length(FFalseText);
    return T > F ? T : F;
}

// ---- dates and times ------------------------------------------------------------------------------

TDateTimeField::TDateTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftDateTime) {}

TDateTimeField::TDateTimeField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type) {}

void TDateTimeField::SetDisplayFormat(const String& Value)
{
    FDisplayFormat = Value;
    Changed();
}

String TDateTimeField::DefaultFormat() const { return "c"; }

String TDateTimeField::GetAsString() const
{
    return RawIsNull() ? String() : FormatDateTime(DefaultFormat(), RawFloat());
}

Double TDateTimeField::GetAsFloat() const { return RawFloat(); }
TDateTime TDateTimeField::GetAsDateTime() const { return RawFloat(); }

TFieldValue TDateTimeField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue::FromDateTime(RawFloat());
}

String TDateTimeField::GetText(bool Display) const
{
    if (RawIsNull())
        return {};
    if (Display && !FDisplayFormat.empty())
        return FormatDateTime(FDisplayFormat, RawFloat());
    return FormatDateTime(DefaultFormat(), RawFloat());
}

void TDateTimeField::SetAsStringValue(const String& Value)
{
    const String S = Trim(Value);
    if (S.empty()) {
        RawSetNull();
        return;
    }
    Double D;
    switch (FDataType) {
    case ftDate:
        SetAsDateTimeValue(ParseIsoDate(S, D) ? D : StrToDate(S));
        break;
    case ftTime:
        SetAsDateTimeValue(ParseIsoTime(S, D) ? D : StrToTime(S));
        break;
    default:
        SetAsDateTimeValue(ParseIsoDateTime(S, D) ? D : StrToDateTime(S));
        break;
    }
}

void TDateTimeField::SetAsFloatValue(Double Value) { SetAsDateTimeValue(Value); }

void TDateTimeField::SetAsDateTimeValue(TDateTime Value)
{
    if (!std::isfinite(Value))
        FieldError("Invalid date and time value for field '" + FFieldName + "'");
    if (FDataType == ftDate)
        Value = DateOf(Value);
    else if (FDataType == ftTime)
        Value = TimeOf(Value);
    RawSetFloat(Value);
}

TDateField::TDateField(TComponent* AOwner) : TDateTimeField(AOwner, ftDate) {}
String TDateField::DefaultFormat() const { return "ddddd"; }

TTimeField::TTimeField(TComponent* AOwner) : TDateTimeField(AOwner, ftTime) {}
String TTimeField::DefaultFormat() const { return "tt"; }

TSQLTimeStampField::TSQLTimeStampField(TComponent* AOwner) : TDateTimeField(AOwner, ftTimeStamp) {}

// ---- binary and blob -------------------------------------------------------------------------------

TBinaryField::TBinaryField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type) { FSize = 16; }

String TBinaryField::GetAsString() const { return RawIsNull() ? String() : RawText(); }

TFieldValue TBinaryField::GetAsVariant() const
{
    return RawIsNull() ? TFieldValue() : TFieldValue::FromBytes(RawText());
}

String TBinaryField::GetText(bool) const
{
    if (RawIsNull())
        return {};
    return FDataType == ftVarBytes ? "(VARBYTES)" : "(BYTES)";
}

void TBinaryField::SetAsStringValue(const String& Value) { RawSetText(Value); }

void TBinaryField::SaveToStream(TStream* Stream) const { WriteBytes(Stream, RawText()); }

TBytesField::TBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftBytes) {}
TVarBytesField::TVarBytesField(TComponent* AOwner) : TBinaryField(AOwner, ftVarBytes) {}

TBlobField::TBlobField(TComponent* AOwner) : TBlobField(AOwner, ftBlob) {}

TBlobField::TBlobField(TComponent* AOwner, TFieldType Type) : TField(AOwner, Type) {}

String TBlobField::GetAsString() const { return RawIsNull() ? String() : RawText(); }

TFieldValue TBlobField::GetAsVariant() const
{
    if (RawIsNull())
        return {};
    if (FDataType == ftMemo || FDataType == ftWideMemo || FDataType == ftFmtMemo)
        return TFieldValue(RawText());
    return TFieldValue::FromBytes(RawText());
}

String TBlobField::GetText(bool) const
{
    if (RawIsNull())
        return {};
    switch (FDataType) {
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
        return RawText();
    case ftGraphic:
        return "(GRAPHIC)";
    default:
        return "(BLOB)";
    }
}

void TBlobField::SetAsStringValue(const String& Value)
{
    if (Value.empty())
        RawSetNull();
    else
        RawSetText(Value);
}

void TBlobField::SaveToStream(TStream* Stream) const { WriteBytes(Stream, RawText()); }

void TBlobField::LoadFromStream(TStream* Stream)
{
    // The size a stream states is not trusted for the allocation: the bytes are read as they
    // arrive, and a stream that ends early raises EReadError with the value left as it was.
    const Int64 Count = Stream->Size() - Stream->Position();
    const std::vector<Byte> Bytes = Stream->ReadBytes(std::max<Int64>(Count, 0));
    RawSetText(String(Bytes.begin(), Bytes.end()));
}

void TBlobField::SaveToFile(const String& FileName) const
{
    TFileStream F(FileName, fmCreate);
    SaveToStream(&F);
}

void TBlobField::LoadFromFile(const String& FileName)
{
    TFileStream F(FileName, fmOpenRead);
    LoadFromStream(&F);
}

TMemoField::TMemoField(TComponent* AOwner) : TMemoField(AOwner, ftMemo) {}
TMemoField::TMemoField(TComponent* AOwner, TFieldType Type) : TBlobField(AOwner, Type) {}
TWideMemoField::TWideMemoField(TComponent* AOwner) : TMemoField(AOwner, ftWideMemo) {}
TGraphicField::TGraphicField(TComponent* AOwner) : TBlobField(AOwner, ftGraphic) {}

// ---- field classes by type ------------------------------------------------------------------------

TField* CreateFieldOfType(TFieldType Type, TComponent* AOwner)
{
    TField* F = nullptr;
    switch (Type) {
    case ftString:
    case ftFixedChar:
    case ftGuid:
        F = Create<TStringField>(AOwner);
        break;
    case ftWideString:
    case ftFixedWideChar:
        F = Create<TWideStringField>(AOwner);
        break;
    case ftSmallint:
        F = Create<TSmallintField>(AOwner);
        break;
    case ftInteger:
    case ftShortint:
    case ftByte:
        F = Create<TIntegerField>(AOwner);
        break;
    case ftWord:
        F = Create<TWordField>(AOwner);
        break;
    case ftAutoInc:
        F = Create<TAutoIncField>(AOwner);
        break;
    case ftLargeint:
    case ftLongWord:
        F = Create<TLargeintField>(AOwner);
        break;
    case ftBoolean:
        F = Create<TBooleanField>(AOwner);
        break;
    case ftFloat:
    case ftExtended:
        F = Create<TFloatField>(AOwner);
        break;
    case ftSingle:
        F = Create<TSingleField>(AOwner);
        break;
    case ftCurrency:
        F = Create<TCurrencyField>(AOwner);
        break;
    case ftBCD:
        F = Create<TBCDField>(AOwner);
        break;
    case ftFMTBcd:
        F = Create<TFMTBCDField>(AOwner);
        break;
    case ftDate:
        F = Create<TDateField>(AOwner);
        break;
    case ftTime:
        F = Create<TTimeField>(AOwner);
        break;
    case ftDateTime:
        F = Create<TDateTimeField>(AOwner);
        break;
    case ftTimeStamp:
    case ftOraTimeStamp:
        F = Create<TSQLTimeStampField>(AOwner);
        break;
    case ftBytes:
        F = Create<TBytesField>(AOwner);
        break;
    case ftVarBytes:
        F = Create<TVarBytesField>(AOwner);
        break;
    case ftMemo:
    case ftFmtMemo:
    case ftOraClob:
        F = Create<TMemoField>(AOwner);
        break;
    case ftWideMemo:
        F = Create<TWideMemoField>(AOwner);
        break;
    case ftGraphic:
        F = Create<TGraphicField>(AOwner);
        break;
    case ftBlob:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftStream:
        F = Create<TBlobField>(AOwner);
        break;
    default:
        DatabaseError(String("Field type ") + FieldTypeName(Type) + " is not supported");
    }
    F->SetDataTypeValue(Type);
    return F;
}

// ---- published properties --------------------------------------------------------------------------

QOR_PUBLISH(TField)
{
    b.Property("Alignment", &TField::Alignment, &TField::SetAlignment).Default(taLeftJustify);
    b.Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
    b.Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
    b.Property("FieldName", &TField::FieldName, &TField::SetFieldName).Default("");
    b.Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly).Default(false);
    b.Property("Required", &TField::Required, &TField::SetRequired).Default(false);
    b.Property("Size", &TField::Size, &TField::SetSize).Default(0);
}

QOR_PUBLISH(TStringField)
{
    b.Property("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar).Default(false);
}

QOR_PUBLISH(TWideStringField) {}

QOR_PUBLISH(TNumericField)
{
    b.Property("DisplayFormat", &TNumericField::DisplayFormat, &TNumericField::SetDisplayFormat).Default("");
    b.Property("EditFormat", &TNumericField::EditFormat, &TNumericField::SetEditFormat).Default("");
}

QOR_PUBLISH(TIntegerField)
{
    b.Property("MaxValue", &TIntegerField::MaxValue, &TIntegerField::SetMaxValue).Default(0);
    b.Property("MinValue", &TIntegerField::MinValue, &TIntegerField::SetMinValue).Default(0);
}

QOR_PUBLISH(TSmallintField) {}
QOR_PUBLISH(TWordField) {}
QOR_PUBLISH(TAutoIncField) {}
QOR_PUBLISH(TLargeintField) {}

QOR_PUBLISH(TFloatField)
{
    b.Property("Currency", &TFloatField::Currency, &TFloatField::SetCurrency).Default(false);
    b.Property("Precision", &TFloatField::Precision, &TFloatField::SetPrecision).Default(15);
}

QOR_PUBLISH(TSingleField) {}
QOR_PUBLISH(TCurrencyField) {}

QOR_PUBLISH(TDecimalField)
{
    b.Property("Currency", &TDecimalField::Currency, &TDecimalField::SetCurrency).Default(false);
    b.Property("Precision", &TDecimalField::Precision, &TDecimalField::SetPrecision).Default(18);
}

QOR_PUBLISH(TBCDField) {}
QOR_PUBLISH(TFMTBCDField) {}

QOR_PUBLISH(TBooleanField)
{
    b.Property("DisplayValues", &TBooleanField::DisplayValues, &TBooleanField::SetDisplayValues).Default("True;False");
}

QOR_PUBLISH(TDateTimeField)
{
    b.Property("DisplayFormat", &TDateTimeField::DisplayFormat, &TDateTimeField::SetDisplayFormat).Default("");
}

QOR_PUBLISH(TDateField) {}
QOR_PUBLISH(TTimeField) {}
QOR_PUBLISH(TSQLTimeStampField) {}
QOR_PUBLISH(TBinaryField) {}
QOR_PUBLISH(TBytesField) {}
QOR_PUBLISH(TVarBytesField) {}
QOR_PUBLISH(TBlobField) {}
QOR_PUBLISH(TMemoField) {}
QOR_PUBLISH(TWideMemoField) {}
QOR_PUBLISH(TGraphicField) {}

} // namespace qor
