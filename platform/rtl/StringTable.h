#pragma once
// The string table: numbered texts compiled into the library from resources/strings.txt
// (one "NUMBER=text" per line, '#' starts a comment line, UTF-8, escapes \n \t \\).

#include "platform/rtl/Types.h"

#include <utility>

namespace qor {

// The text numbered Ident, or an empty string when there is none.
String LoadStr(Integer Ident);

// True when the table has a text numbered Ident.
bool HasStr(Integer Ident);

} // namespace qor
