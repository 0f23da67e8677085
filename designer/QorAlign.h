#pragma once
// Lines up the report labels selected in the form designer.

#include "platform/rtl/Types.h"

namespace qor {

class TKivPage;

// Modes of QorAlignLabel.
enum : Integer { QorAlignLeft = 0, QorAlignCenter = 1, QorAlignRight = 2, QorAlignPageCenter = 3 };

// Moves the selected labels on bands of Page: left edges, centres or right edges to those of the
// first such label, or (page centre) the span of them all centred on half the page width. The
// form is reported modified in every case.
void QorAlignLabel(TKivPage* Page, Integer Mode);

} // namespace qor
