#pragma once
// How a form's window is shown: normal, minimised or maximised. Apart from Forms.h so that what
// only names the state (a preview's settings) need not include the forms.

#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

namespace qor {

enum TWindowState : Byte { wsNormal, wsMinimized, wsMaximized };
QOR_ENUM_NAMES(TWindowState, "wsNormal", "wsMinimized", "wsMaximized");

} // namespace qor
