#pragma once
// The string table: numbered texts compiled into the library from resources/strings.txt
// (one "NUMBER=text" per line, '#' starts a comment line, UTF-8, escapes \n \t \\).

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

#include <initializer_list>
#include <map>
#include <string_view>
#include <vector>

namespace qor {

// The text numbered Ident, or an empty string when there is none.
String LoadStr(Integer Ident);

// The text numbered Ident with Args put in by Format.
String FmtLoadStr(Integer Ident, std::initializer_list<TVarRec> Args);

// True when the table has a text numbered Ident.
bool HasStr(Integer Ident);

// Reads a table in the strings.txt format. Blank and comment lines are skipped; a line that is
// not NUMBER=text is skipped too and its 1-based line number added to BadLines when given.
// When a number appears twice the first text stands and the second line counts as bad.
std::map<Integer, String> ParseStringTable(std::string_view Text,
                                           std::vector<Integer>* BadLines = nullptr);

} // namespace qor
