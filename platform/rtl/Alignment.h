#pragma once
// Horizontal alignment of text in a field, a control or a label.

#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

namespace qor {

enum TAlignment : Byte { taLeftJustify, taRightJustify, taCenter };
QOR_ENUM_NAMES(TAlignment, "taLeftJustify", "taRightJustify", "taCenter");

} // namespace qor
