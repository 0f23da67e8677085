#include "platform/rtl/Object.h"

#include "platform/rtl/TypeInfo.h"

namespace qor {

// ---------------------------------------------------------------------------------------------
// TObject

TClass TObject::StaticClass()
{
    static const TClassInfo* info = [] {
        auto* i = new TClassInfo;
        i->Name = "TObject";
        return i;
    }();
    return info;
}

const String& TObject::ClassName() const { return ClassType()->Name; }

bool TObject::InheritsFrom(TClass AClass) const { return ClassType()->InheritsFrom(AClass); }

void Free(TObject* Obj)
{
    if (!Obj)
        return;
    Obj->BeforeDestruction(); // may throw: the object stays alive
    delete Obj;
}

} // namespace qor
