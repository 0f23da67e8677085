#include "platform/db/FieldTypes.h"

#include <cctype>

namespace qor {

namespace {

const char* const GFieldTypeNames[FieldTypeCount] = {
    "ftUnknown", "ftString", "ftSmallint", "ftInteger", "ftWord", "ftBoolean", "ftFloat",
    "ftCurrency", "ftBCD", "ftDate", "ftTime", "ftDateTime", "ftBytes", "ftVarBytes", "ftAutoInc",
    "ftBlob", "ftMemo", "ftGraphic", "ftFmtMemo", "ftParadoxOle", "ftDBaseOle", "ftTypedBinary",
    "ftCursor", "ftFixedChar", "ftWideString", "ftLargeint", "ftADT", "ftArray", "ftReference",
    "ftDataSet", "ftOraBlob", "ftOraClob", "ftVariant", "ftInterface", "ftIDispatch", "ftGuid",
    "ftTimeStamp", "ftFMTBcd", "ftFixedWideChar", "ftWideMemo", "ftOraTimeStamp", "ftOraInterval",
    "ftLongWord", "ftShortint", "ftByte", "ftExtended", "ftConnection", "ftParams", "ftStream",
    "ftTimeStampOffset", "ftObject", "ftSingle",
};

bool EqualNoCase(const char* A, const String& B, std::size_t From)
{
    std::size_t i = 0;
    for (; A[i] != '\0'; ++i) {
        if (From + i >= B.size())
            return false;
        if (std::tolower(static_cast<unsigned char>(A[i])) !=
            std::tolower(static_cast<unsigned char>(B[From + i])))
            return false;
    }
    return From + i == B.size();
}

} // namespace

const char* FieldTypeName(TFieldType Type)
{
    const Integer i = static_cast<Integer>(Type);
    return i >= 0 && i < FieldTypeCount ? GFieldTypeNames[i] : "";
}

bool FieldTypeFromName(const String& Name, TFieldType& Type)
{
    for (Integer i = 0; i < FieldTypeCount; ++i) {
        // With the prefix ("ftString") or without it ("String").
        if (EqualNoCase(GFieldTypeNames[i], Name, 0) || EqualNoCase(GFieldTypeNames[i] + 2, Name, 0)) {
            Type = static_cast<TFieldType>(i);
            return true;
        }
    }
    return false;
}

bool IsBlobFieldType(TFieldType Type)
{
    switch (Type) {
    case ftBlob:
    case ftMemo:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftWideMemo:
    case ftStream:
        return true;
    default:
        return false;
    }
}

} // namespace qor
