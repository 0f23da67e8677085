#pragma once
// The components of a form read from a form file, found by name.

#include "platform/rtl/Component.h"

namespace qor {

// The component of Form named Name, as a T (null when there is none).
template <class T>
T* FormPart(TComponent& Form, const char* Name)
{
    return dynamic_cast<T*>(Form.FindComponent(Name));
}

} // namespace qor
