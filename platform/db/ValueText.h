#pragma once
// Values written as text the same way everywhere, whatever the user's format settings: CSV files,
// rows stored in form files, and texts that SQL drivers hand back. Integers in decimal, numbers
// with '.', dates as YYYY-MM-DD, times as hh:mm:ss[.zzz], Booleans as True/False, bytes in hex.

#include "platform/db/FieldTypes.h"
#include "platform/db/RecordStore.h"

#include <string_view>

namespace qor {

bool ParseInvariantInt(std::string_view S, Int64& Value);
bool ParseInvariantFloat(std::string_view S, Double& Value);
// Ten-thousandths; more than four decimals round half to even.
bool ParseInvariantCurrency(std::string_view S, Int64& Value);
// "true"/"false", "yes"/"no", "t"/"f", "y"/"n", "1"/"0", ignoring case.
bool ParseInvariantBoolean(std::string_view S, bool& Value);
// YYYY-MM-DD.
bool ParseIsoDate(std::string_view S, Double& Value);
// hh:mm[:ss[.fraction]].
bool ParseIsoTime(std::string_view S, Double& Value);
// A date, then optionally 'T' or a blank and a time.
bool ParseIsoDateTime(std::string_view S, Double& Value);
// A decimal number kept exactly: optional sign, digits, optional fraction. Answers it normalised
// (no leading '+', no superfluous zeros, "0" for zero) or false.
bool NormaliseDecimal(std::string_view S, String& Value);

String FormatInvariantFloat(Double Value);
String FormatInvariantCurrency(Int64 TenThousandths);
String FormatIsoDate(Double Value);
String FormatIsoTime(Double Value);
String FormatIsoDateTime(Double Value);

// Reads Text as a value of Type into a cell of a store; an empty text is null. Answers false
// (leaving the cell untouched) when the text is not a value of that type.
bool StoreInvariantText(TRecordStore& Store, Int64 Row, Integer Col, TFieldType Type, std::string_view Text);
// The cell as StoreInvariantText reads it back; "" for null.
String CellInvariantText(const TRecordStore& Store, Int64 Row, Integer Col, TFieldType Type);

} // namespace qor
