#include "platform/ide/DesignEditors.h"
#include "platform/ide/internal/DefaultEditors.h"

#include "platform/graphics/Graphic.h"
#include "platform/graphics/Picture.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"

#include <typeindex>

namespace qor {

QOR_PUBLISH(TTextProperty) {}
QOR_PUBLISH(TIntegerProperty) {}
QOR_PUBLISH(TFloatProperty) {}
QOR_PUBLISH(TStringProperty) {}
QOR_PUBLISH(TCharProperty) {}
QOR_PUBLISH(TEnumProperty) {}
QOR_PUBLISH(TBoolProperty) {}
QOR_PUBLISH(TSetProperty) {}
QOR_PUBLISH(TSetElementProperty) {}
QOR_PUBLISH(TClassProperty) {}
QOR_PUBLISH(TComponentProperty) {}
QOR_PUBLISH(TMethodProperty) {}
QOR_PUBLISH(TStringListProperty) {}
QOR_PUBLISH(TPictureProperty) {}

namespace {

const char* const InvalidValue = "Invalid property value";

TComponent* DesignRoot(IDesigner* Designer) { return Designer ? Designer->GetRoot() : nullptr; }

TStrings* StringsOf(const TPropInfo* Prop, TObject* Instance)
{
    const TPropValue v = Prop->GetValue(Instance);
    const auto* s = std::get_if<TStrings*>(&v);
    return s ? *s : nullptr;
}

} // namespace

// ---- Text ------------------------------------------------------------------------------------

String TTextProperty::GetValue() { return PropValueText(GetPropInfo(), GetComponent(0), DesignRoot(Designer())); }

void TTextProperty::SetValue(const String& Value) { SetPropValue(ParsePropValueText(GetPropInfo(), Value)); }

TPropertyAttributes TIntegerProperty::GetAttributes()
{
    TPropertyAttributes a = TTextProperty::GetAttributes();
    if (GetPropInfo()->Idents)
        a += paValueList;
    return a;
}

void TIntegerProperty::GetValues(const TGetStrProc& Proc)
{
    if (const TIntIdentMap* idents = GetPropInfo()->Idents)
        for (const TIntIdent& i : *idents)
            Proc(i.Name);
}

// ---- Enumerations ----------------------------------------------------------------------------

TPropertyAttributes TEnumProperty::GetAttributes() { return {paValueList}; }

String TEnumProperty::GetValue() { return GetPropInfo()->EnumType->Name(GetOrdValue()); }

void TEnumProperty::GetValues(const TGetStrProc& Proc)
{
    const TEnumInfo* e = GetPropInfo()->EnumType;
    for (Integer i = 0; i < e->Count(); ++i)
        Proc(e->Name(i));
}

void TEnumProperty::SetValue(const String& Value)
{
    const Integer ordinal = GetPropInfo()->EnumType->Ordinal(Trim(Value));
    if (ordinal < 0)
        throw EPropertyError(InvalidValue);
    SetOrdValue(ordinal);
}

// ---- Sets ------------------------------------------------------------------------------------

TPropertyAttributes TSetProperty::GetAttributes() { return {paSubProperties, paReadOnly}; }

String TSetProperty::GetValue() { return SetToText(GetPropInfo()->EnumType, static_cast<UInt64>(GetOrdValue())); }

void TSetProperty::SetValue(const String& Value)
{
    SetOrdValue(static_cast<Int64>(TextToSetBits(GetPropInfo()->EnumType, Value)));
}

void TSetProperty::GetProperties(const TGetPropEditProc& Proc)
{
    std::vector<TObject*> objects;
    for (Integer i = 0; i < PropCount(); ++i)
        objects.push_back(GetComponent(i));
    for (Integer e = 0; e < GetPropInfo()->EnumType->Count(); ++e) {
        auto editor = std::make_unique<TSetElementProperty>(Designer(), objects, GetPropInfo(), e);
        editor->SetPath(Path() + "." + GetPropInfo()->EnumType->Name(e));
        Proc(std::move(editor));
    }
}

TSetElementProperty::TSetElementProperty(IDesigner* ADesigner, std::vector<TObject*> AComponents,
                                         const TPropInfo* AProp, Integer AElement)
    : TPropertyEditor(ADesigner, std::move(AComponents), AProp), FElement(AElement)
{
}

TPropertyAttributes TSetElementProperty::GetAttributes() { return {paValueList}; }

String TSetElementProperty::GetValue()
{
    return (static_cast<UInt64>(GetOrdValue()) >> FElement) & 1 ? "True" : "False";
}

void TSetElementProperty::GetValues(const TGetStrProc& Proc)
{
    Proc("False");
    Proc("True");
}

void TSetElementProperty::SetValue(const String& Value)
{
    const Integer on = BooleanEnumInfo()->Ordinal(Trim(Value));
    if (on < 0)
        throw EPropertyError(InvalidValue);
    const UInt64 bit = UInt64(1) << FElement;
    const UInt64 bits = static_cast<UInt64>(GetOrdValue());
    SetOrdValue(static_cast<Int64>(on ? bits | bit : bits & ~bit));
}

// ---- Objects ---------------------------------------------------------------------------------

TPropertyAttributes TClassProperty::GetAttributes() { return {paSubProperties, paReadOnly}; }

String TClassProperty::GetValue()
{
    const TClass c = GetPropInfo()->ObjectClass();
    return "(" + (c ? c->Name : String("TObject")) + ")";
}

void TClassProperty::GetProperties(const TGetPropEditProc& Proc)
{
    std::vector<TObject*> subs;
    for (Integer i = 0; i < PropCount(); ++i) {
        TObject* sub = detail::ValueAsObject(GetPropInfo()->GetValue(GetComponent(i)));
        if (!sub)
            return;
        subs.push_back(sub);
    }
    if (subs.empty() || GetPropInfo()->Kind != TPropKind::SubObject)
        return; // a reference is not opened into the referenced object's properties
    for (const TPropInfo* p : subs[0]->ClassType()->AllProperties())
        if (p->Kind != TPropKind::Method)
            Proc(MakePropertyEditor(Designer(), subs, p, Path() + "." + p->Name));
}

// ---- References ------------------------------------------------------------------------------

TPropertyAttributes TComponentProperty::GetAttributes() { return {paValueList}; }

String TComponentProperty::GetValue()
{
    auto* c = dynamic_cast<TComponent*>(GetObjValue());
    if (!c)
        return {};
    return Designer() ? Designer()->GetComponentName(c) : c->Name();
}

void TComponentProperty::GetValues(const TGetStrProc& Proc)
{
    if (Designer())
        Designer()->GetComponentNames(GetPropInfo()->ObjectClass(), Proc);
}

void TComponentProperty::SetValue(const String& Value)
{
    const String name = Trim(Value);
    if (name.empty()) {
        SetOrdValue(0);
        return;
    }
    TComponent* target = Designer() ? Designer()->GetComponent(name) : nullptr;
    const TClass c = GetPropInfo()->ObjectClass();
    if (!target || (c && !target->InheritsFrom(c)) || !Designer()->IsComponentLinkable(target))
        throw EPropertyError(InvalidValue);
    SetOrdValue(static_cast<Int64>(reinterpret_cast<std::intptr_t>(static_cast<TObject*>(target))));
}

// ---- Events ----------------------------------------------------------------------------------

TPropertyAttributes TMethodProperty::GetAttributes() { return {paValueList}; }

String TMethodProperty::GetValue()
{
    return Designer() ? Designer()->GetMethodName(GetComponent(0), GetPropInfo())
                      : GetPropInfo()->GetHandlerName(GetComponent(0));
}

void TMethodProperty::GetValues(const TGetStrProc& Proc)
{
    TComponent* root = DesignRoot(Designer());
    const std::type_info* signature = GetPropInfo()->EventSignature();
    if (!root || !signature)
        return;
    for (TClass c = root->ClassType(); c; c = c->Parent)
        for (const TMethodInfo& m : c->Methods)
            if (m.Signature == std::type_index(*signature))
                Proc(m.Name);
}

void TMethodProperty::SetValue(const String& Value)
{
    const String name = Trim(Value);
    if (!name.empty() && !IsValidIdent(name))
        throw EPropertyError("'" + name + "' is not a valid method name");
    for (Integer i = 0; i < PropCount(); ++i)
        SetPropText(GetComponent(i), GetPropInfo()->Name, name, DesignRoot(Designer()));
    Modified();
}

// ---- String lists ----------------------------------------------------------------------------

TPropertyAttributes TStringListProperty::GetAttributes() { return {paDialog, paReadOnly}; }

String TStringListProperty::GetValue() { return "(TStrings)"; }

void TStringListProperty::Edit()
{
    TStrings* lines = StringsOf(GetPropInfo(), GetComponent(0));
    if (!lines)
        return;
    TForm dialog(nullptr);
    dialog.SetCaption(StringListEditorCaption);
    dialog.SetBorderStyle(bsDialog);
    dialog.SetPosition(poScreenCenter);
    dialog.SetClientWidth(420);
    dialog.SetClientHeight(300);
    auto* memo = new TMemo(&dialog);
    memo->SetName("Memo");
    memo->SetParent(&dialog);
    memo->SetBounds(8, 8, 404, 244);
    memo->SetScrollBars(ssBoth);
    memo->Lines()->Assign(lines);
    auto* ok = new TButton(&dialog);
    ok->SetName("OKButton");
    ok->SetParent(&dialog);
    ok->SetCaption("OK");
    ok->SetBounds(256, 264, 75, 25);
    ok->SetModalResult(mrOk);
    ok->SetDefault(true);
    auto* cancel = new TButton(&dialog);
    cancel->SetName("CancelButton");
    cancel->SetParent(&dialog);
    cancel->SetCaption("Cancel");
    cancel->SetBounds(337, 264, 75, 25);
    cancel->SetModalResult(mrCancel);
    cancel->SetCancel(true);
    if (dialog.ShowModal() != mrOk)
        return;
    for (Integer i = 0; i < PropCount(); ++i)
        if (TStrings* l = StringsOf(GetPropInfo(), GetComponent(i)))
            l->Assign(memo->Lines());
    Modified();
}

// ---- Pictures --------------------------------------------------------------------------------

TPropertyAttributes TPictureProperty::GetAttributes() { return {paDialog, paReadOnly}; }

String TPictureProperty::GetValue()
{
    TObject* o = GetObjValue();
    if (auto* p = dynamic_cast<TPicture*>(o))
        return p->Graphic() ? "(" + p->Graphic()->ClassName() + ")" : "(None)";
    if (auto* g = dynamic_cast<TGraphic*>(o))
        return g->Empty() ? "(None)" : "(" + g->ClassName() + ")";
    return TClassProperty::GetValue();
}

void TPictureProperty::Edit()
{
    TOpenDialog dialog(nullptr);
    dialog.SetTitle("Load Picture");
    dialog.SetFilter("Pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.ico;*.emf;*.wmf)|*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.ico;"
                     "*.emf;*.wmf|All files (*)|*");
    if (!dialog.Execute())
        return;
    for (Integer i = 0; i < PropCount(); ++i) {
        TObject* o = detail::ValueAsObject(GetPropInfo()->GetValue(GetComponent(i)));
        if (auto* p = dynamic_cast<TPicture*>(o))
            p->LoadFromFile(dialog.FileName());
        else if (auto* g = dynamic_cast<TGraphic*>(o))
            g->LoadFromFile(dialog.FileName());
    }
    Modified();
}

// ---- Defaults --------------------------------------------------------------------------------

TPropertyEditorClass DefaultPropertyEditor(const TPropInfo* Prop)
{
    switch (Prop->Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64: return PropertyEditorClassOf<TIntegerProperty>();
    case TPropKind::Float:
    case TPropKind::Currency: return PropertyEditorClassOf<TFloatProperty>();
    case TPropKind::String: return PropertyEditorClassOf<TStringProperty>();
    case TPropKind::Char: return PropertyEditorClassOf<TCharProperty>();
    case TPropKind::Boolean: return PropertyEditorClassOf<TBoolProperty>();
    case TPropKind::Enumeration: return PropertyEditorClassOf<TEnumProperty>();
    case TPropKind::Set: return PropertyEditorClassOf<TSetProperty>();
    case TPropKind::SubObject: {
        const TClass c = Prop->ObjectClass();
        if (c && (c->InheritsFrom(TPicture::StaticClass()) || c->InheritsFrom(TGraphic::StaticClass())))
            return PropertyEditorClassOf<TPictureProperty>();
        return PropertyEditorClassOf<TClassProperty>();
    }
    case TPropKind::Component: return PropertyEditorClassOf<TComponentProperty>();
    case TPropKind::Strings: return PropertyEditorClassOf<TStringListProperty>();
    case TPropKind::Method: return PropertyEditorClassOf<TMethodProperty>();
    }
    return PropertyEditorClassOf<TTextProperty>();
}

namespace {

const struct TDefaultEditorsSet {
    TDefaultEditorsSet() { SetDefaultPropertyEditorProc(&DefaultPropertyEditor); }
} GDefaultEditorsSet;

} // namespace

} // namespace qor
