#pragma once
// Reading Rich Text Format, and plain text, into a TRichDocument.
//
// The reader takes what word processors write: groups, the font table with character sets, the
// colour table, character and paragraph formatting, \u escapes, \'hh bytes in the font's code
// page, special characters; destinations it does not show (\*, \info, \stylesheet, \pict, ...) are
// skipped. Malformed input never fails: unbalanced braces, truncated escapes and absurd numbers
// are read as far as they make sense, in time and memory proportional to the input.

#include "platform/rtl/Types.h"
#include "platform/ui/RichDocument.h"

#include <span>
#include <string_view>

namespace qor {

// True when Data starts (after blanks) with "{\rtf".
bool IsRtf(std::span<const Byte> Data);

// Replaces Doc's contents with the RTF in Data.
void ReadRtf(std::span<const Byte> Data, TRichDocument& Doc);

// Replaces Doc's contents with plain text (UTF-8): each line break (CR LF, LF or CR) ends a
// paragraph. Characters carry no formatting of their own.
void ReadPlainText(std::string_view Text, TRichDocument& Doc);

// RTF when IsRtf, else plain text: UTF-8 when the bytes are valid UTF-8 (a byte-order mark is
// dropped), else Windows-1252.
void ReadRichText(std::span<const Byte> Data, TRichDocument& Doc);

// The Windows code page of an RTF/GDI character set number; Default for DEFAULT_CHARSET (1) and
// for unknown sets.
Integer CodePageOfCharset(Integer Charset, Integer Default = 1252);

// Bytes in a Windows code page to UTF-16. Code pages without a table here are read as
// Windows-1252; bytes that do not form a character become U+FFFD.
WideString DecodeCodePage(std::string_view Bytes, Integer CodePage);

} // namespace qor
