#include "platform/rtl/Persistent.h"

#include "platform/rtl/Filer.h"

namespace qor {

QOR_PUBLISH(TPersistent) {}

void TPersistent::Assign(TPersistent* Source)
{
    if (!Source)
        throw EConvertError("Cannot assign a nil to a " + ClassName());
    Source->AssignTo(this);
}

// Here this object is the source: neither side knew how to copy it into Dest.
void TPersistent::AssignTo(TPersistent* Dest)
{
    throw EConvertError("Cannot assign a " + ClassName() + " to a " + (Dest ? Dest->ClassName() : String("nil")));
}

void TPersistent::DefineProperties(TFiler&) {}

String TPersistent::GetNamePath() const { return ClassName(); }

} // namespace qor
