#include "runtime/engine/KivDeleteGuard.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringTable.h"
#include "platform/ui/Controls.h"

namespace qor {

bool TKivDeleteGuard::Allows(const TControl* Part) const
{
    const TComponentState& S = Part->ComponentState();
    return !S.Contains(csDesigning) || FDeleting || S.Contains(csDestroying) || !Part->Parent() ||
           (FAncestorToo && S.Contains(csAncestor));
}

void TKivDeleteGuard::Check(const TControl* Part, Integer MessageId) const
{
    if (!Allows(Part))
        throw Exception(LoadStr(MessageId));
}

void TKivDeleteGuard::SafeDelete(TControl* Part)
{
    FDeleting = true;
    try {
        Free(Part);
    } catch (...) {
        FDeleting = false;
    }
}

} // namespace qor
