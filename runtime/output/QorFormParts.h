#pragma once
// The components of a form read from a form file, found by name, and the numbers typed into its
// edits.

#include "platform/rtl/Component.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorUtil.h"

namespace qor {

// The component of Form named Name, as a T (null when there is none).
template <class T>
T* FormPart(TComponent& Form, const char* Name)
{
    return dynamic_cast<T*>(Form.FindComponent(Name));
}

// The number in an edit, trailing blanks left out; an empty edit first becomes "0" when asked.
// Text that is no number raises EConvertError.
inline Integer EditNumber(TEdit* Edit, bool EmptyIsZero = false)
{
    if (EmptyIsZero && QorEmpty(Edit->Text()))
        Edit->SetText("0");
    return StrToInt(QorRightTrim(Edit->Text()));
}

} // namespace qor
