#pragma once
// The dialogs' plumbing: a form read from its form file with its components bound to fields by
// name, captions from the string table, and the numbers typed into its edits.

#include "platform/rtl/Component.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorUtil.h"

#include <initializer_list>

namespace qor {

// The component of Form named Name, as a T (null when there is none).
template <class T>
T* FormPart(TComponent& Form, const char* Name)
{
    return dynamic_cast<T*>(Form.FindComponent(Name));
}

// A field of a form and the name of the component it points at (QOR_FORM_PART(Field) when the
// two are spelt alike).
class TFormPartRef {
public:
    template <class T>
    TFormPartRef(T*& Field, const char* Name)
        : FField(&Field), FName(Name),
          FBind([](void* F, TComponent& Form, const char* N) { *static_cast<T**>(F) = FormPart<T>(Form, N); })
    {
    }
    void Bind(TComponent& Form) const { FBind(FField, Form, FName); }

private:
    void* FField;
    const char* FName;
    void (*FBind)(void*, TComponent&, const char*);
};

#define QOR_FORM_PART(Field) ::qor::TFormPartRef(Field, #Field)

// Reads the form file Resource into Form and points each part's field at its component.
inline void QorReadForm(TComponent& Form, const char* Resource, std::initializer_list<TFormPartRef> Parts)
{
    ReadFormResource(&Form, Resource);
    for (const TFormPartRef& Part : Parts)
        Part.Bind(Form);
}

// A control and the string-table id of its caption.
struct TFormCaption {
    TControl* Control;
    Integer Id;
};

// Gives each control its caption from the string table.
inline void QorSetCaptions(std::initializer_list<TFormCaption> Captions)
{
    for (const TFormCaption& C : Captions)
        C.Control->SetCaption(LoadStr(C.Id));
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
