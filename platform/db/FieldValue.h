#pragma once
// A field's value apart from any data set: null or one of a few storage kinds. Used where the
// class library passes variants (AppendRecord, query parameters, AsVariant).

#include "platform/rtl/Types.h"

#include <initializer_list>
#include <vector>

namespace qor {

enum class TValueKind : Byte { Null, Boolean, Integer, Float, Currency, DateTime, String, Bytes };

class TFieldValue {
public:
    TFieldValue() = default;
    TFieldValue(bool Value) : FKind(TValueKind::Boolean), FInt(Value ? 1 : 0) {}
    TFieldValue(int Value) : FKind(TValueKind::Integer), FInt(Value) {}
    TFieldValue(Int64 Value) : FKind(TValueKind::Integer), FInt(Value) {}
    TFieldValue(Double Value) : FKind(TValueKind::Float), FFloat(Value) {}
    TFieldValue(const char* Value) : FKind(TValueKind::String), FText(Value ? Value : "") {}
    TFieldValue(String Value) : FKind(TValueKind::String), FText(std::move(Value)) {}

    static TFieldValue Null() { return {}; }
    // Ten-thousandths, as Currency stores them.
    static TFieldValue FromCurrency(Int64 TenThousandths);
    // Days since 1899-12-30 with the time of day as the fraction.
    static TFieldValue FromDateTime(Double Days);
    static TFieldValue FromBytes(String Bytes);

    TValueKind Kind() const { return FKind; }
    bool IsNull() const { return FKind == TValueKind::Null; }

    // Raw access by kind; meaningful only for the matching kind.
    Int64 IntValue() const { return FInt; }        // Boolean, Integer, Currency (ten-thousandths)
    Double FloatValue() const { return FFloat; }   // Float, DateTime
    const String& Text() const { return FText; }   // String, Bytes

    bool operator==(const TFieldValue& Other) const;

private:
    TValueKind FKind = TValueKind::Null;
    Int64 FInt = 0;
    Double FFloat = 0;
    String FText;
};

using TFieldValues = std::vector<TFieldValue>;

} // namespace qor
