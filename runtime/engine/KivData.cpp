#include "runtime/engine/KivData.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Controls.h"

#include <cmath>
#include <typeinfo>

namespace qor {

namespace {

const char* const BlobAsStringText = "I am not allowing blob or graphic value AsString.";
const char* const UnknownText = "Unknown type, check to see if field exists.";

void WriteBom(TStream* Stream)
{
    const Byte Bom[2] = {0xFF, 0xFE};
    Stream->WriteBuffer(Bom, 2);
}

} // namespace

namespace {

std::vector<Byte> StreamBytes(TStream* S)
{
    std::vector<Byte> Bytes;
    if (!S)
        return Bytes;
    const Int64 Keep = S->Position();
    Bytes.resize(static_cast<std::size_t>(S->Size()));
    S->SetPosition(0);
    if (!Bytes.empty())
        S->ReadBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
    S->SetPosition(Keep);
    return Bytes;
}

bool Textless(TKivDataTypes Type) { return Type == dtypeBlob || Type == dtypeGraphic; }

} // namespace

bool KivSameValue(TKivData* A, TKivData* B)
{
    if (Textless(A->DataType()) || Textless(B->DataType()))
        return A->DataType() == B->DataType() && StreamBytes(A->AsStream()) == StreamBytes(B->AsStream());
    // A group's values are compared on every record: two texts without copies.
    if (typeid(*A) == typeid(TKivString) && typeid(*B) == typeid(TKivString))
        return static_cast<TKivString*>(A)->Value() == static_cast<TKivString*>(B)->Value();
    return A->AsString() == B->AsString();
}

void KivWriteUtf16(TStream* Stream, const String& Text)
{
    const WideString W = Utf8ToUtf16(Text);
    std::vector<Byte> Bytes;
    Bytes.reserve(W.size() * 2);
    for (char16_t C : W) {
        Bytes.push_back(static_cast<Byte>(C & 0xFF));
        Bytes.push_back(static_cast<Byte>(C >> 8));
    }
    if (!Bytes.empty())
        Stream->WriteBuffer(Bytes.data(), static_cast<Int64>(Bytes.size()));
}

// ---- TKivData ------------------------------------------------------------------------------------

TKivData::TKivData() : FStrings(std::make_unique<TStringList>()) {}

TKivData::~TKivData() = default;

void TKivData::AbstractError() const { throw EAbstractError("Abstract Error"); }

void TKivData::RawError() const { throw EConvertError("Invalid raw value for " + ClassName()); }

TMemoryStream* TKivData::ReturnStream()
{
    if (!FReturnStream)
        FReturnStream = std::make_unique<TMemoryStream>();
    return FReturnStream.get();
}

String TKivData::GetAsString() const { AbstractError(); }
Int64 TKivData::GetAsInteger() const { AbstractError(); }
TDateTime TKivData::GetAsDateTime() const { AbstractError(); }
void TKivData::SetAsString(const String&) { AbstractError(); }
void TKivData::SetAsInteger(Int64) { AbstractError(); }
void TKivData::SetAsFloat(Double) { AbstractError(); }
void TKivData::SetAsCurrency(Currency) { AbstractError(); }
void TKivData::SetAsDateTime(TDateTime) { AbstractError(); }
void TKivData::SetAsBoolean(bool) { AbstractError(); }
void TKivData::SetAsStream(TStream*) { AbstractError(); }
void TKivData::SetAsStrings(TStrings*) { AbstractError(); }
void TKivData::SetValue(const TKivRawValue&) {}
void TKivData::SetData(TKivData*) {}

TStream* TKivData::GetAsStream()
{
    // The whole text: a longer text is not cut.
    const String Text = AsString();
    TMemoryStream* S = ReturnStream();
    S->Clear();
    KivWriteUtf16(S, Text);
    S->SetPosition(0);
    return S;
}

TStrings* TKivData::GetAsStrings()
{
    FStrings->Clear();
    FStrings->Add(AsString());
    return FStrings.get();
}

// ---- TKivString ----------------------------------------------------------------------------------

TKivString::TKivString() { FDataType = dtypeString; }

Int64 TKivString::GetAsInteger() const { return StrToInt64(FValueString); }

Double TKivString::GetAsFloat() const
{
    Extended V = 0;
    return TryStrToFloat(FValueString, V) ? static_cast<Double>(V) : 0.0;
}

TDateTime TKivString::GetAsDateTime() const { return StrToDateTime(FValueString); }

bool TKivString::GetAsBoolean() const
{
    if (FValueString.empty())
        return false;
    const char C = FValueString[0];
    return C == 'T' || C == 't' || C == 'Y' || C == 'y';
}

void TKivString::SetAsInteger(Int64 Value) { FValueString = IntToStr(Value); }
void TKivString::SetAsFloat(Double Value) { FValueString = FloatToStr(Value); }
void TKivString::SetAsDateTime(TDateTime Value) { FValueString = DateToStr(Value); }
void TKivString::SetAsBoolean(bool Value) { FValueString = Value ? "True" : "False"; }

void TKivString::SetValue(const TKivRawValue& Raw)
{
    const String* S = std::get_if<String>(&Raw);
    if (!S)
        RawError();
    FValueString = *S;
}

void TKivString::SetData(TKivData* D)
{
    if (typeid(*D) == typeid(TKivString))
        FValueString = static_cast<TKivString*>(D)->FValueString; // keeps this one's buffer
    else
        FValueString = D->AsString();
    FIsNull = D->IsNull();
}

void TKivString::Reset()
{
    TKivData::Reset();
    FValueString.clear();
}

// ---- TKivInteger ---------------------------------------------------------------------------------

TKivInteger::TKivInteger() { FDataType = dtypeInteger; }

String TKivInteger::GetAsString() const { return IntToStr(FValueInteger); }

void TKivInteger::SetAsString(const String& Value) { FValueInteger = StrToInt64(Value); }

void TKivInteger::SetAsFloat(Double Value)
{
    const Double T = std::trunc(Value);
    // 2^63 is exact as a Double; the range is [-2^63, 2^63).
    if (!(T >= -9223372036854775808.0 && T < 9223372036854775808.0))
        throw EConvertError(FloatToStr(Value) + " is not a valid integer value");
    FValueInteger = static_cast<Int64>(T);
}

void TKivInteger::SetValue(const TKivRawValue& Raw)
{
    const Int64* V = std::get_if<Int64>(&Raw);
    if (!V)
        RawError();
    FValueInteger = *V;
}

void TKivInteger::SetData(TKivData* D)
{
    FValueInteger = D->AsInteger();
    FIsNull = D->IsNull();
}

void TKivInteger::Reset()
{
    TKivData::Reset();
    FValueInteger = 0;
}

// ---- TKivDateTime --------------------------------------------------------------------------------

TKivDateTime::TKivDateTime() { FDataType = dtypeDateTime; }

String TKivDateTime::GetAsString() const
{
    if (FValueDateTime == 0 || FIsNull)
        return String();
    return DateToStr(FValueDateTime);
}

void TKivDateTime::SetAsString(const String& Value) { FValueDateTime = StrToDateTime(Value); }

void TKivDateTime::SetValue(const TKivRawValue& Raw)
{
    const Double* V = std::get_if<Double>(&Raw);
    if (!V)
        RawError();
    FValueDateTime = *V;
}

void TKivDateTime::SetData(TKivData* D)
{
    FValueDateTime = D->AsDateTime();
    FIsNull = D->IsNull();
}

void TKivDateTime::Reset()
{
    TKivData::Reset();
    FValueDateTime = 0;
}

// ---- TKivBoolean ---------------------------------------------------------------------------------

TKivBoolean::TKivBoolean() { FDataType = dtypeBoolean; }

void TKivBoolean::SetAsString(const String& Value) { FValueBoolean = SameText(Value, "True"); }

void TKivBoolean::SetValue(const TKivRawValue& Raw)
{
    const bool* V = std::get_if<bool>(&Raw);
    if (!V)
        RawError();
    FValueBoolean = *V;
}

void TKivBoolean::SetData(TKivData* D)
{
    FValueBoolean = D->AsBoolean();
    FIsNull = D->IsNull();
}

void TKivBoolean::Reset()
{
    TKivData::Reset();
    FValueBoolean = false;
}

// ---- TKivBlob and its kinds ----------------------------------------------------------------------

TKivBlob::TKivBlob() : FValueStream(std::make_unique<TMemoryStream>()) { FDataType = dtypeBlob; }

TKivBlob::~TKivBlob() = default;

String TKivBlob::GetAsString() const { throw Exception(BlobAsStringText); }

TStream* TKivBlob::GetAsStream()
{
    FValueStream->SetPosition(0);
    return FValueStream.get();
}

void TKivBlob::SetAsString(const String& Value)
{
    FValueStream->Clear();
    if (!Value.empty()) {
        WriteBom(FValueStream.get());
        KivWriteUtf16(FValueStream.get(), Value);
    }
    FValueStream->SetPosition(0);
}

void TKivBlob::SetAsStream(TStream* Value)
{
    if (Value == FValueStream.get())
        return;
    if (Value)
        FValueStream->LoadFromStream(Value);
    else
        FValueStream->Clear();
}

void TKivBlob::SetValue(const TKivRawValue& Raw)
{
    TStream* const* S = std::get_if<TStream*>(&Raw);
    if (!S)
        RawError();
    SetAsStream(*S);
}

void TKivBlob::SetData(TKivData* D)
{
    if (D != this)
        SetAsStream(D->AsStream());
    FIsNull = D->IsNull();
}

void TKivBlob::Reset()
{
    TKivData::Reset();
    FValueStream->Clear();
}

TKivMemo::TKivMemo() { FDataType = dtypeMemo; }

String TKivMemo::GetAsString() const
{
    TStringList Lines;
    TMemoryStream Copy;
    Copy.LoadFromStream(FValueStream.get());
    Lines.LoadFromStream(&Copy);
    String Text = Lines.Text();
    if (!Text.empty() && Text.back() == '\n')
        Text.pop_back();
    return Text;
}

TStrings* TKivMemo::GetAsStrings()
{
    FStrings->Clear();
    FStrings->LoadFromStream(GetAsStream());
    FValueStream->SetPosition(0);
    return FStrings.get();
}

void TKivMemo::SetAsStrings(TStrings* Value)
{
    FStrings->Clear();
    FValueStream->Clear();
    if (Value)
        Value->SaveToStream(FValueStream.get());
    FValueStream->SetPosition(0);
}

TKivGraphic::TKivGraphic() { FDataType = dtypeGraphic; }

TKivUnknown::TKivUnknown() { FDataType = dtypeUnknown; }

String TKivUnknown::GetAsString() const { return UnknownText; }

QOR_PUBLISH(TKivData) {}
QOR_PUBLISH(TKivString) {}
QOR_PUBLISH(TKivInteger) {}
QOR_PUBLISH(TKivDateTime) {}
QOR_PUBLISH(TKivBoolean) {}
QOR_PUBLISH(TKivBlob) {}
QOR_PUBLISH(TKivMemo) {}
QOR_PUBLISH(TKivGraphic) {}
QOR_PUBLISH(TKivUnknown) {}

} // namespace qor
