#pragma once
// Files under resources/ compiled into the library, found by their path relative to that folder.

#include "platform/rtl/Types.h"

#include <optional>
#include <span>
#include <vector>

namespace qor {

// The bytes of resources/<Name> ("strings.txt", "forms/goto.qfm"), or nothing when there is none.
std::optional<std::span<const Byte>> FindResource(const String& Name);

// Every embedded resource's name, sorted.
std::vector<String> ResourceNames();

} // namespace qor
