#pragma once
// Writing a rich-text document as RTF that ReadRtf reads back to the same document: the same
// paragraphs with their formats and end marks, the same runs with their formats (attributes left
// unset stay unset, so a default font still applies), the same default tab.
//
// Text goes out as UTF-8 under code page 65001 (also in every font), characters below U+0020
// and the three RTF delimiters as escapes, so nothing depends on a font's character set.

#include "platform/rtl/Types.h"
#include "platform/ui/RichDocument.h"

#include <string>

namespace qor {

std::string WriteRtf(const TRichDocument& Doc);

} // namespace qor
