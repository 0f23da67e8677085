#pragma once
// What a design package sees of the design host: the form designer (IDesigner) with its selection,
// property and component editors, and the registration of palette components and editors.
//
// A package registers itself once (RegisterPackage); the host calls every package's Register once
// (RegisterPackages), and that Register makes the calls below. When several property-editor
// registrations fit one property, the one chosen is, in this order: the one with a component-class
// filter the component matches, the nearest class first; then one with a name filter (ignoring
// case); then the one for the nearest property type; then the later registration.

#include "platform/rtl/Object.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <memory>
#include <vector>

namespace qor {

class TComponent;
class TPersistent;

using TGetStrProc = std::function<void(const String&)>;

// ---- Selection lists ---------------------------------------------------------------------------

// An ordered list of selected objects: each once, in the order added.
class TDesignerSelections {
public:
    void Add(TPersistent* Item);
    void Remove(TPersistent* Item);
    void Clear() { FItems.clear(); }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    TPersistent* Items(Integer Index) const;
    TPersistent* operator[](Integer Index) const { return Items(Index); }
    bool Contains(const TPersistent* Item) const;
    Integer IndexOf(const TPersistent* Item) const;
    const std::vector<TPersistent*>& List() const { return FItems; }

private:
    std::vector<TPersistent*> FItems;
};

std::unique_ptr<TDesignerSelections> CreateSelectionList();

// ---- The form designer -------------------------------------------------------------------------

class IDesigner {
public:
    virtual ~IDesigner() = default;
    // Makes Instance the one selected object (the form and the inspector show it).
    virtual void SelectComponent(TPersistent* Instance) = 0;
    virtual void SetSelections(const TDesignerSelections& List) = 0;
    // Fills List with the selection, in selection order.
    virtual void GetSelections(TDesignerSelections& List) = 0;
    // The design changed: the form is marked unsaved and the inspector and lists are refreshed.
    virtual void Modified() = 0;
    // The form being designed.
    virtual TComponent* GetRoot() = 0;
    // The names of the components of the form (and of the other open forms, as "Form.Name") that
    // are of Class or a descendant, in component order.
    virtual void GetComponentNames(TClass Class, const TGetStrProc& Proc) = 0;
    // The component of that name, also "Form.Name"; nullptr when none.
    virtual TComponent* GetComponent(const String& Name) = 0;
    // The name a reference to Component is shown and stored under ("Form.Name" for another form).
    virtual String GetComponentName(TComponent* Component) = 0;
    // Whether a property of the form may refer to Component.
    virtual bool IsComponentLinkable(TComponent* Component) = 0;
    // The name of the handler assigned to the event Event of Instance; empty when none.
    virtual String GetMethodName(const TObject* Instance, const TPropInfo* Event) = 0;
    // Gives the property back the value read for an inherited component, else its default.
    virtual void Revert(TPersistent* Instance, const TPropInfo* Prop) = 0;
};

// ---- Property editors --------------------------------------------------------------------------

enum TPropertyAttribute : Byte { paValueList, paSubProperties, paReadOnly, paDialog };
QOR_ENUM_NAMES(TPropertyAttribute, "paValueList", "paSubProperties", "paReadOnly", "paDialog");
using TPropertyAttributes = TSet<TPropertyAttribute>;

class TPropertyEditor;
using TGetPropEditProc = std::function<void(std::unique_ptr<TPropertyEditor>)>;

// Edits one property of the selected objects. Components holds, for each selected object, the
// object that holds the property: the selected object itself, or for a dotted property
// ("ReserveSpace.Band") its sub-object. Setting a value sets it on every one of them and tells
// the designer.
class TPropertyEditor : public TObject {
    QOR_CLASS(TPropertyEditor, TObject)
public:
    TPropertyEditor(IDesigner* ADesigner, std::vector<TObject*> AComponents, const TPropInfo* AProp);

    virtual TPropertyAttributes GetAttributes();
    // The value as the inspector shows it (of the first object).
    virtual String GetValue();
    // The choices of a value list.
    virtual void GetValues(const TGetStrProc& Proc);
    // Takes the text typed or chosen; raises to refuse it (the old value stays).
    virtual void SetValue(const String& Value);
    // The "..." button: a dialog.
    virtual void Edit();
    // The editors of the sub-properties (paSubProperties).
    virtual void GetProperties(const TGetPropEditProc& Proc);

    const String& GetName() const;
    const TPropInfo* GetPropInfo() const { return FProp; }
    IDesigner* Designer() const { return FDesigner; }
    Integer PropCount() const { return static_cast<Integer>(FComponents.size()); }
    TObject* GetComponent(Integer Index) const;
    // The dotted path of the property from the selected object ("Font.Name").
    const String& Path() const { return FPath; }
    void SetPath(const String& Value) { FPath = Value; }

    // Ordinal values (integers, enumerations, Booleans, characters, set bits); a component
    // reference is handed over as the reference's address.
    Int64 GetOrdValue() const;
    void SetOrdValue(Int64 Value);
    String GetStrValue() const;
    void SetStrValue(const String& Value);
    TObject* GetObjValue() const;

protected:
    // Sets Value on every object and tells the designer.
    void SetPropValue(const TPropValue& Value);
    void Modified();

private:
    IDesigner* FDesigner;
    std::vector<TObject*> FComponents;
    const TPropInfo* FProp;
    String FPath;
};

// Makes an editor of one class.
using TPropertyEditorClass = std::function<std::unique_ptr<TPropertyEditor>(
    IDesigner* Designer, std::vector<TObject*> Components, const TPropInfo* Prop)>;

template <class E>
TPropertyEditorClass PropertyEditorClassOf()
{
    return [](IDesigner* D, std::vector<TObject*> C, const TPropInfo* P) -> std::unique_ptr<TPropertyEditor> {
        return std::make_unique<E>(D, std::move(C), P);
    };
}

// ---- Component editors -------------------------------------------------------------------------

// Made for one double click or context-menu command on a component, and freed after it.
class TComponentEditor : public TObject {
    QOR_CLASS(TComponentEditor, TObject)
public:
    TComponentEditor(TComponent* AComponent, IDesigner* ADesigner);
    // The double click. The default runs the first verb, when there is one.
    virtual void Edit();
    virtual Integer GetVerbCount();
    virtual String GetVerb(Integer Index);
    virtual void ExecuteVerb(Integer Index);

    TComponent* Component() const { return FComponent; }
    IDesigner* Designer() const { return FDesigner; }

private:
    TComponent* FComponent;
    IDesigner* FDesigner;
};

using TComponentEditorClass = std::function<std::unique_ptr<TComponentEditor>(TComponent*, IDesigner*)>;

template <class E>
TComponentEditorClass ComponentEditorClassOf()
{
    return [](TComponent* C, IDesigner* D) -> std::unique_ptr<TComponentEditor> { return std::make_unique<E>(C, D); };
}

// ---- Registration ------------------------------------------------------------------------------

// Puts the classes on the palette page Page (made when new), after those already there; also
// registers them as classes.
void RegisterComponents(const String& Page, std::initializer_list<TClass> Classes);
void RegisterComponents(const String& Page, const std::vector<TClass>& Classes);
// Components that are designed but never shown on the palette.
void RegisterNoIcon(std::initializer_list<TClass> Classes);
// PropertyType: the class of the properties the editor is for (references and sub-objects).
// ComponentClass: null for any, else the class of the object holding the property (or a
// descendant). PropertyName: empty for any, else the property's name (ignoring case).
void RegisterPropertyEditor(TClass PropertyType, TClass ComponentClass, const String& PropertyName,
                            TPropertyEditorClass EditorClass);
void RegisterComponentEditor(TClass ComponentClass, TComponentEditorClass EditorClass);

// Told after the form designer copied its selection to the clipboard; a notifier may refuse the
// copy by clearing the clipboard and raising (a cut then deletes nothing).
using TCopyNotifier = void (*)(IDesigner* Designer);
void RegisterCopyNotifier(TCopyNotifier Notifier);
// Tells every copy notifier, in the order registered.
void NotifyCopied(IDesigner* Designer);

// A design package: its Register is called once by RegisterPackages.
void RegisterPackage(const String& Name, void (*Register)());
// Calls the Register of every package not yet registered, in the order the packages came.
void RegisterPackages();

// ---- What the host reads back -----------------------------------------------------------------

std::vector<String> PalettePages();
std::vector<TClass> PaletteClasses(const String& Page);
bool IsNoIcon(TClass Class);

// The editor for property Prop held by an object of class HolderClass: the best registration,
// else the default editor of the property's kind.
TPropertyEditorClass FindPropertyEditor(TClass HolderClass, const TPropInfo* Prop);
// The editor made for Prop of Components (all of one class or sharing the property), with Path.
std::unique_ptr<TPropertyEditor> MakePropertyEditor(IDesigner* Designer, const std::vector<TObject*>& Components,
                                                    const TPropInfo* Prop, const String& Path);
// The editor of the nearest registered class, else the default one (no verbs).
std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, IDesigner* Designer);

} // namespace qor
