#include "runtime/engine/KivCalc.h"

#include "platform/rtl/TypeInfo.h"

namespace qor {

QOR_PUBLISH(TKivCalc) {}
QOR_PUBLISH(TKivCurrCalc) {}

} // namespace qor
