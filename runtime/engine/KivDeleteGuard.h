#pragma once
// The delete guard of a report's designed parts (pages, bands, groups): at design time such a
// part goes only through SafeDelete (the band and group manager), while it is being destroyed, or
// when it has no parent; bands and groups also when they come from an ancestor form.

#include "platform/rtl/Types.h"

namespace qor {

class TControl;

class TKivDeleteGuard {
public:
    explicit TKivDeleteGuard(bool AncestorToo) : FAncestorToo(AncestorToo) {}
    TKivDeleteGuard(const TKivDeleteGuard&) = delete;
    TKivDeleteGuard& operator=(const TKivDeleteGuard&) = delete;

    bool Allows(const TControl* Part) const;
    // Refuses a deletion Allows does not allow with the exception of string MessageId.
    void Check(const TControl* Part, Integer MessageId) const;
    // Frees Part, the control that holds this guard; a refusal leaves it and is swallowed.
    void SafeDelete(TControl* Part);
    // SafeDelete is freeing the part.
    bool Deleting() const { return FDeleting; }

private:
    bool FAncestorToo;
    bool FDeleting = false;
};

} // namespace qor
