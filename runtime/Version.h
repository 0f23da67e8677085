#pragma once

namespace qor {

// The library's version as "major.minor.patch".
const char* QorLibraryVersion();

} // namespace qor
