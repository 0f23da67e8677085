#pragma once
// Typed values: the current and the previous value of a report variable, each of one fixed kind,
// converting between kinds and carrying a null flag; and the display formats that turn a value
// into the text a label prints.

#include "platform/rtl/Currency.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"

#include <memory>
#include <variant>

namespace qor {

class TControl;
class TMemoryStream;
class TStream;
class TStringList;
class TStrings;
class TKivRootFormat;

enum TKivDataTypes : Byte {
    dtypeUnknown = 0,
    dtypeString = 1,
    dtypeFloat = 2,
    dtypeInteger = 3,
    dtypeBoolean = 4,
    dtypeDateTime = 5,
    dtypeBlob = 6,
    dtypeMemo = 7,
    dtypeGraphic = 8,
    dtypeCurrency = 9,
};
QOR_ENUM_NAMES(TKivDataTypes, "dtypeUnknown", "dtypeString", "dtypeFloat", "dtypeInteger", "dtypeBoolean",
               "dtypeDateTime", "dtypeBlob", "dtypeMemo", "dtypeGraphic", "dtypeCurrency");

enum TKivTotalType : Byte { ttSum, ttCount, ttMax, ttMin, ttAverage, ttValue };
QOR_ENUM_NAMES(TKivTotalType, "ttSum", "ttCount", "ttMax", "ttMin", "ttAverage", "ttValue");

// A raw value handed to SetValue. Each kind takes its own alternative: text (string), a whole
// number (integer), a Double (float, date-time), a Boolean, a Currency, or a stream whose whole
// content a blob loads. Any other alternative raises EConvertError.
using TKivRawValue = std::variant<String, Int64, Double, bool, Currency, TStream*>;

class TKivData : public TObject {
    QOR_CLASS(TKivData, TObject)
public:
    TKivData();
    ~TKivData() override;

    TKivDataTypes DataType() const { return FDataType; }
    bool IsNull() const { return FIsNull; }
    void SetIsNull(bool Value) { FIsNull = Value; }

    String AsString() const { return GetAsString(); }
    Int64 AsInteger() const { return GetAsInteger(); }
    Double AsFloat() const { return GetAsFloat(); }
    Currency AsCurrency() const { return GetAsCurrency(); }
    TDateTime AsDateTime() const { return GetAsDateTime(); }
    bool AsBoolean() const { return GetAsBoolean(); }
    // Owned by the value, positioned at 0.
    TStream* AsStream() { return GetAsStream(); }
    // Owned by the value.
    TStrings* AsStrings() { return GetAsStrings(); }

    // Conversions a kind does not offer raise EAbstractError.
    virtual String GetAsString() const;
    virtual Int64 GetAsInteger() const;
    virtual Double GetAsFloat() const { return 0; }
    virtual Currency GetAsCurrency() const { return Currency(); }
    virtual TDateTime GetAsDateTime() const;
    virtual bool GetAsBoolean() const { return false; }
    // The text of AsString as UTF-16 little-endian, no byte-order mark, no terminator.
    virtual TStream* GetAsStream();
    // One line: AsString.
    virtual TStrings* GetAsStrings();
    virtual void SetAsString(const String& Value);
    virtual void SetAsInteger(Int64 Value);
    virtual void SetAsFloat(Double Value);
    virtual void SetAsCurrency(Currency Value);
    virtual void SetAsDateTime(TDateTime Value);
    virtual void SetAsBoolean(bool Value);
    virtual void SetAsStream(TStream* Value);
    virtual void SetAsStrings(TStrings* Value);

    virtual void SetValue(const TKivRawValue& Raw);
    // Takes over D's value and null flag.
    virtual void SetData(TKivData* D);
    // The kind's empty value, not null.
    virtual void Reset() { FIsNull = false; }
    // Format's text of this value.
    String AsFormat(TKivRootFormat* Format);

protected:
    [[noreturn]] void AbstractError() const;
    [[noreturn]] void RawError() const;
    TMemoryStream* ReturnStream();

    TKivDataTypes FDataType = dtypeUnknown;
    std::unique_ptr<TMemoryStream> FReturnStream;
    std::unique_ptr<TStringList> FStrings;
    bool FIsNull = false;
};

class TKivString : public TKivData {
    QOR_CLASS(TKivString, TKivData)
public:
    TKivString();

    String GetAsString() const override { return FValueString; }
    // The text itself, without a copy.
    const String& Value() const { return FValueString; }
    // As SetAsString, taking the text over.
    void TakeString(String Value) { FValueString = std::move(Value); }
    Int64 GetAsInteger() const override;
    Double GetAsFloat() const override;
    TDateTime GetAsDateTime() const override;
    bool GetAsBoolean() const override;
    void SetAsString(const String& Value) override { FValueString = Value; }
    void SetAsInteger(Int64 Value) override;
    void SetAsFloat(Double Value) override;
    void SetAsDateTime(TDateTime Value) override;
    void SetAsBoolean(bool Value) override;
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    String FValueString;
};

// Whole numbers, kept in 64 bits so large integer fields are read exactly.
class TKivInteger : public TKivData {
    QOR_CLASS(TKivInteger, TKivData)
public:
    TKivInteger();

    String GetAsString() const override;
    Int64 GetAsInteger() const override { return FValueInteger; }
    Double GetAsFloat() const override { return static_cast<Double>(FValueInteger); }
    bool GetAsBoolean() const override { return FValueInteger != 0; }
    void SetAsString(const String& Value) override;
    void SetAsInteger(Int64 Value) override { FValueInteger = Value; }
    // Truncated toward zero; a value outside the 64-bit range raises EConvertError.
    void SetAsFloat(Double Value) override;
    void SetAsBoolean(bool Value) override { FValueInteger = Value ? 1 : 0; }
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    Int64 FValueInteger = 0;
};

class TKivDateTime : public TKivData {
    QOR_CLASS(TKivDateTime, TKivData)
public:
    TKivDateTime();

    // The date only; empty for exactly 0 and for null.
    String GetAsString() const override;
    Double GetAsFloat() const override { return FValueDateTime; }
    TDateTime GetAsDateTime() const override { return FValueDateTime; }
    void SetAsString(const String& Value) override;
    void SetAsFloat(Double Value) override { FValueDateTime = Value; }
    void SetAsDateTime(TDateTime Value) override { FValueDateTime = Value; }
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    TDateTime FValueDateTime = 0;
};

class TKivBoolean : public TKivData {
    QOR_CLASS(TKivBoolean, TKivData)
public:
    TKivBoolean();

    String GetAsString() const override { return FValueBoolean ? "True" : "False"; }
    Int64 GetAsInteger() const override { return FValueBoolean ? 1 : 0; }
    Double GetAsFloat() const override { return FValueBoolean ? 1.0 : 0.0; }
    bool GetAsBoolean() const override { return FValueBoolean; }
    void SetAsString(const String& Value) override;
    void SetAsInteger(Int64 Value) override { FValueBoolean = Value != 0; }
    void SetAsFloat(Double Value) override { FValueBoolean = Value != 0; }
    void SetAsBoolean(bool Value) override { FValueBoolean = Value; }
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

private:
    bool FValueBoolean = false;
};

// Bytes in a stream the value owns.
class TKivBlob : public TKivData {
    QOR_CLASS(TKivBlob, TKivData)
public:
    TKivBlob();
    ~TKivBlob() override;

    // Raises Exception "I am not allowing blob or graphic value AsString.".
    String GetAsString() const override;
    TStream* GetAsStream() override;
    // Non-empty text is stored as the UTF-16 little-endian byte-order mark and the text.
    void SetAsString(const String& Value) override;
    void SetAsStream(TStream* Value) override;
    void SetValue(const TKivRawValue& Raw) override;
    void SetData(TKivData* D) override;
    void Reset() override;

protected:
    std::unique_ptr<TMemoryStream> FValueStream;
};

// Text kept as lines in the blob stream: either as a string list saves them (no byte-order mark)
// or, after SetAsString, as UTF-16 little-endian with its byte-order mark.
class TKivMemo : public TKivBlob {
    QOR_CLASS(TKivMemo, TKivBlob)
public:
    TKivMemo();

    // The lines joined by line breaks.
    String GetAsString() const override;
    TStrings* GetAsStrings() override;
    void SetAsStrings(TStrings* Value) override;
};

class TKivGraphic : public TKivBlob {
    QOR_CLASS(TKivGraphic, TKivBlob)
public:
    TKivGraphic();
};

// The value of a variable whose type is not known (its field is missing).
class TKivUnknown : public TKivBlob {
    QOR_CLASS(TKivUnknown, TKivBlob)
public:
    TKivUnknown();

    String GetAsString() const override;
};

// Writes Text as UTF-16 little-endian code units at the stream's position.
void KivWriteUtf16(TStream* Stream, const String& Text);

// Two values are the same: equal text, or for blobs and pictures (which have no text) equal bytes.
bool KivSameValue(TKivData* A, TKivData* B);

} // namespace qor
