#pragma once
// Files under resources/ compiled into the library, found by their path relative to that folder.

#include "platform/rtl/Types.h"

#include <cstddef>
#include <optional>
#include <span>
#include <vector>

namespace qor {

// The bytes of resources/<Name> ("strings.txt", "forms/goto.qfm"), or nothing when there is none.
std::optional<std::span<const Byte>> FindResource(const String& Name);

// Every embedded resource's name, sorted.
std::vector<String> ResourceNames();

// One embedded file, as the build generates them.
struct TEmbeddedResource {
    const char* Name;
    const unsigned char* Data;
    std::size_t Size;
};

// Adds a table of further resources (a program's own, such as a test suite's); the library's own
// resources are found first.
void RegisterResourceTable(const TEmbeddedResource* Table, std::size_t Count);

} // namespace qor
