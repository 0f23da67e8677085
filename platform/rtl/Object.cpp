#include "platform/rtl/Object.h"

namespace qor {

void Free(TObject* Obj)
{
    if (!Obj)
        return;
    Obj->BeforeDestruction(); // may throw: the object stays alive
    delete Obj;
}

} // namespace qor
