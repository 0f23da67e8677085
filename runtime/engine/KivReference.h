#pragma once
// A reference from one component to another on the same form (a band's level, a label's
// variable, a page's data source). Such a reference always asks the component referred to for a
// free notification: a form freed whole does not tell its members of each other's going one by
// one, the component referred to tells those that asked.

#include "platform/rtl/Component.h"

namespace qor {

// Points a reference property at Value, moving the free notification that clears it when the
// component referred to goes. Answers false when it already pointed there.
template <class T>
bool KivSetReference(TComponent* Holder, T*& Field, T* Value)
{
    if (Field == Value)
        return false;
    if (Field)
        Field->RemoveFreeNotification(Holder);
    Field = Value;
    if (Field)
        Field->FreeNotification(Holder);
    return true;
}

} // namespace qor
