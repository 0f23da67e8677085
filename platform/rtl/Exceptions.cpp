#include "platform/rtl/Exceptions.h"

namespace qor {

void Abort() { throw EAbort(); }

} // namespace qor
