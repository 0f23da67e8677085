#pragma once
// File names, files and directories, the environment and temporary files.
// Paths use '/' as the delimiter.

#include "platform/rtl/Types.h"

#include <string_view>

namespace qor {

constexpr char PathDelim = '/';

// "dir/name.ext" -> "name.ext".
String ExtractFileName(std::string_view FileName);
// "dir/name.ext" -> "dir/" (with the delimiter; empty when there is none).
String ExtractFilePath(std::string_view FileName);
// "dir/name.ext" -> "dir" (without the delimiter, except for the root "/").
String ExtractFileDir(std::string_view FileName);
// "dir/name.ext" -> ".ext"; empty when the name part has no dot.
String ExtractFileExt(std::string_view FileName);
// Replaces (or adds) the extension of the name part; Extension includes its dot, or is empty.
String ChangeFileExt(std::string_view FileName, std::string_view Extension);
String IncludeTrailingPathDelimiter(std::string_view Path);
String ExcludeTrailingPathDelimiter(std::string_view Path);

// FileName taken from BaseDirectory when it is relative and BaseDirectory is given; else unchanged.
String ResolveFileName(std::string_view FileName, std::string_view BaseDirectory);

// True for an existing regular file (symbolic links followed).
bool FileExists(std::string_view FileName);
bool DirectoryExists(std::string_view Directory);
// Removes a file; false when it could not be removed.
bool DeleteFile(std::string_view FileName);

// The variable's value, or an empty string when it is not set.
String GetEnvironmentVariable(std::string_view Name);

// The temporary directory (TMPDIR when set and non-empty, else /tmp), with a trailing '/'.
String GetTempDir();
// Creates a new, empty, uniquely named file in the temporary directory whose name starts with
// Prefix, exclusively (never reusing an existing file), and returns its full path.
// Raises EFCreateError when no file can be created.
String CreateTempFile(std::string_view Prefix);
// Creates a new, empty, uniquely named file beside FileName (".name.XXXXXX") for writing
// FileName's new contents, with the mode of FileName or, when there is none, of a new file.
// Raises EFCreateError when no file can be created there.
String CreateSiblingTempFile(const String& FileName);

} // namespace qor
