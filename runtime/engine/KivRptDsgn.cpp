#include "runtime/engine/KivRptDsgn.h"

namespace qor {

TKivOverrideEvent CustomPreview = nullptr;
TKivOverridePromptEvent CustomPrompt = nullptr;
TKivOverrideEvent CustomStatus = nullptr;
TKivDesignCreate KivDesignCreate = nullptr;

} // namespace qor
