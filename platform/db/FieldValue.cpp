#include "platform/db/FieldValue.h"

namespace qor {

TFieldValue TFieldValue::FromCurrency(Int64 TenThousandths)
{
    TFieldValue V;
    V.FKind = TValueKind::Currency;
    V.FInt = TenThousandths;
    return V;
}

TFieldValue TFieldValue::FromDateTime(Double Days)
{
    TFieldValue V;
    V.FKind = TValueKind::DateTime;
    V.FFloat = Days;
    return V;
}

TFieldValue TFieldValue::FromBytes(String Bytes)
{
    TFieldValue V;
    V.FKind = TValueKind::Bytes;
    V.FText = std::move(Bytes);
    return V;
}

bool TFieldValue::operator==(const TFieldValue& Other) const
{
    if (FKind != Other.FKind)
        return false;
    switch (FKind) {
    case TValueKind::Null:
        return true;
    case TValueKind::Boolean:
    case TValueKind::Integer:
    case TValueKind::Currency:
        return FInt == Other.FInt;
    case TValueKind::Float:
    case TValueKind::DateTime:
        return FFloat == Other.FFloat;
    case TValueKind::String:
    case TValueKind::Bytes:
        return FText == Other.FText;
    }
    return false;
}

} // namespace qor
