#pragma once
// What the data control center asks of the band and group manager that owns it, and the form
// designer's helpers and texts the two share. The center includes this, never the manager's
// header: the manager makes and owns the center.

#include "platform/rtl/Types.h"

namespace qor {

class IDesigner;
class TKivPage;
class TPersistent;

// The band and group manager as its data control center sees it.
class IKivPageManager {
public:
    virtual ~IKivPageManager() = default;
    // The group page being designed.
    virtual TKivPage* Page() const = 0;
    // The form designer of the form that holds the page.
    virtual IDesigner* PageDesigner() const = 0;
};

// Selects Component in the form and the inspector.
void ComponentSelect(IDesigner* Designer, TPersistent* Component);
// Gives every published property of Instance back its inherited or default value.
void QorRevertToAncestor(TPersistent* Instance, IDesigner* Designer);

inline constexpr const char* KivAncestorText =
    "Selection contains a component introduced in an ancestor form which cannot be deleted";

} // namespace qor
