#include "runtime/Version.h"

namespace qor {

const char* QorLibraryVersion() { return "1.0.0"; }

} // namespace qor
