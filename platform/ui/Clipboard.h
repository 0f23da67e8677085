#pragma once
// The clipboard (text). Uses the system clipboard when windows can be shown, otherwise an
// in-process store, so headless programs and tests behave the same way.

#include "platform/rtl/Types.h"

namespace qor {

class TClipboard {
public:
    String AsText() const;
    void SetAsText(const String& Value);
    // True when the clipboard holds text.
    bool HasText() const;
    void Clear();

private:
    String FText;
    bool FHasText = false;
};

TClipboard* Clipboard();

} // namespace qor
