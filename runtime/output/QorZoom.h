#pragma once
// The zooms of the preview control. Apart from QorPrev.h so that what only names a zoom (a
// preview's settings) need not include the preview.

#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

namespace qor {

enum TQorZoom : Byte { qz200, qz150, qz100, qz75, qz50, qz25, qz10, qzWidth, qzHeight, qzPage };
QOR_ENUM_NAMES(TQorZoom, "qz200", "qz150", "qz100", "qz75", "qz50", "qz25", "qz10", "qzWidth", "qzHeight", "qzPage");

} // namespace qor
