#include "platform/ide/DesignIntf.h"

#include "platform/ide/internal/DefaultEditors.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Component.h"
#include "platform/rtl/StrUtils.h"

#include <algorithm>
#include <limits>
#include <tuple>

namespace qor {

QOR_PUBLISH(TPropertyEditor) {}
QOR_PUBLISH(TComponentEditor) {}

// ---- Selection lists ---------------------------------------------------------------------------

void TDesignerSelections::Add(TPersistent* Item)
{
    if (Item && !Contains(Item))
        FItems.push_back(Item);
}

void TDesignerSelections::Remove(TPersistent* Item) { std::erase(FItems, Item); }

TPersistent* TDesignerSelections::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

bool TDesignerSelections::Contains(const TPersistent* Item) const { return IndexOf(Item) >= 0; }

Integer TDesignerSelections::IndexOf(const TPersistent* Item) const
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

std::unique_ptr<TDesignerSelections> CreateSelectionList() { return std::make_unique<TDesignerSelections>(); }

// ---- Property editors --------------------------------------------------------------------------

TPropertyEditor::TPropertyEditor(IDesigner* ADesigner, std::vector<TObject*> AComponents, const TPropInfo* AProp)
    : FDesigner(ADesigner), FComponents(std::move(AComponents)), FProp(AProp), FPath(AProp ? AProp->Name : String())
{
}

TPropertyAttributes TPropertyEditor::GetAttributes() { return FProp && FProp->ReadOnly ? TPropertyAttributes{paReadOnly} : TPropertyAttributes{}; }
String TPropertyEditor::GetValue() { return FComponents.empty() ? String() : PropValueText(FProp, FComponents[0], nullptr); }
void TPropertyEditor::GetValues(const TGetStrProc&) {}
void TPropertyEditor::SetValue(const String&) {}
void TPropertyEditor::Edit() {}
void TPropertyEditor::GetProperties(const TGetPropEditProc&) {}

const String& TPropertyEditor::GetName() const { return FProp->Name; }

TObject* TPropertyEditor::GetComponent(Integer Index) const
{
    if (Index < 0 || Index >= PropCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

Int64 TPropertyEditor::GetOrdValue() const
{
    const TPropValue v = FProp->GetValue(GetComponent(0));
    if (FProp->Kind == TPropKind::Component)
        return static_cast<Int64>(reinterpret_cast<std::intptr_t>(detail::ValueAsObject(v)));
    return detail::ValueAsInt(v);
}

void TPropertyEditor::SetOrdValue(Int64 Value)
{
    if (FProp->Kind == TPropKind::Component)
        SetPropValue(reinterpret_cast<TObject*>(static_cast<std::intptr_t>(Value)));
    else
        SetPropValue(Value);
}

String TPropertyEditor::GetStrValue() const { return detail::ValueAsString(FProp->GetValue(GetComponent(0))); }
void TPropertyEditor::SetStrValue(const String& Value) { SetPropValue(Value); }
TObject* TPropertyEditor::GetObjValue() const { return detail::ValueAsObject(FProp->GetValue(GetComponent(0))); }

void TPropertyEditor::SetPropValue(const TPropValue& Value)
{
    for (TObject* c : FComponents)
        FProp->SetValue(c, Value);
    Modified();
}

void TPropertyEditor::Modified()
{
    if (FDesigner)
        FDesigner->Modified();
}

// ---- Component editors -------------------------------------------------------------------------

TComponentEditor::TComponentEditor(TComponent* AComponent, IDesigner* ADesigner)
    : FComponent(AComponent), FDesigner(ADesigner)
{
}

void TComponentEditor::Edit()
{
    if (GetVerbCount() > 0)
        ExecuteVerb(0);
}

Integer TComponentEditor::GetVerbCount() { return 0; }
String TComponentEditor::GetVerb(Integer) { return {}; }
void TComponentEditor::ExecuteVerb(Integer) {}

// ---- Registration ------------------------------------------------------------------------------

namespace {

struct TPropertyEditorEntry {
    TClass PropertyType;
    TClass ComponentClass;
    String PropertyName;
    TPropertyEditorClass EditorClass;
};

struct TComponentEditorEntry {
    TClass ComponentClass;
    TComponentEditorClass EditorClass;
};

struct TPackage {
    String Name;
    void (*Register)();
    bool Registered = false;
};

struct TDesignRegistry {
    std::vector<std::pair<String, std::vector<TClass>>> Pages;
    std::vector<TClass> NoIcon;
    std::vector<TPropertyEditorEntry> PropertyEditors;
    std::vector<TComponentEditorEntry> ComponentEditors;
    std::vector<TPackage> Packages;
    std::vector<TCopyNotifier> CopyNotifiers;
};

TDesignRegistry& Registry()
{
    static TDesignRegistry r;
    return r;
}

// How many steps from Class up to Ancestor; -1 when Class does not descend from it.
Integer Distance(TClass Class, TClass Ancestor)
{
    Integer n = 0;
    for (TClass c = Class; c; c = c->Parent, ++n)
        if (c == Ancestor)
            return n;
    return -1;
}

} // namespace

void RegisterComponents(const String& Page, std::initializer_list<TClass> Classes)
{
    RegisterComponents(Page, std::vector<TClass>(Classes));
}

void RegisterComponents(const String& Page, const std::vector<TClass>& Classes)
{
    auto& pages = Registry().Pages;
    auto it = std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p.first == Page; });
    if (it == pages.end()) {
        pages.emplace_back(Page, std::vector<TClass>());
        it = pages.end() - 1;
    }
    for (TClass c : Classes) {
        RegisterClass(c);
        if (std::find(it->second.begin(), it->second.end(), c) == it->second.end())
            it->second.push_back(c);
    }
}

void RegisterNoIcon(std::initializer_list<TClass> Classes)
{
    for (TClass c : Classes) {
        RegisterClass(c);
        if (!IsNoIcon(c))
            Registry().NoIcon.push_back(c);
    }
}

void RegisterPropertyEditor(TClass PropertyType, TClass ComponentClass, const String& PropertyName,
                            TPropertyEditorClass EditorClass)
{
    Registry().PropertyEditors.push_back({PropertyType, ComponentClass, PropertyName, std::move(EditorClass)});
}

void RegisterComponentEditor(TClass ComponentClass, TComponentEditorClass EditorClass)
{
    Registry().ComponentEditors.push_back({ComponentClass, std::move(EditorClass)});
}

void RegisterCopyNotifier(TCopyNotifier Notifier)
{
    auto& n = Registry().CopyNotifiers;
    if (std::find(n.begin(), n.end(), Notifier) == n.end())
        n.push_back(Notifier);
}

void NotifyCopied(IDesigner* Designer)
{
    for (TCopyNotifier n : Registry().CopyNotifiers)
        n(Designer);
}

void RegisterPackage(const String& Name, void (*Register)())
{
    for (const TPackage& p : Registry().Packages)
        if (p.Name == Name)
            return;
    Registry().Packages.push_back({Name, Register});
}

void RegisterPackages()
{
    // a package's Register may load another package: index, not iterators
    for (size_t i = 0; i < Registry().Packages.size(); ++i) {
        if (Registry().Packages[i].Registered)
            continue;
        Registry().Packages[i].Registered = true;
        Registry().Packages[i].Register();
    }
}

std::vector<String> PalettePages()
{
    std::vector<String> out;
    for (const auto& p : Registry().Pages)
        out.push_back(p.first);
    return out;
}

std::vector<TClass> PaletteClasses(const String& Page)
{
    for (const auto& p : Registry().Pages)
        if (p.first == Page)
            return p.second;
    return {};
}

bool IsNoIcon(TClass Class)
{
    const auto& v = Registry().NoIcon;
    return std::find(v.begin(), v.end(), Class) != v.end();
}

namespace {

// Set by the default editors when the library is loaded.
TDefaultPropertyEditorProc GDefaultPropertyEditor = nullptr;

} // namespace

void SetDefaultPropertyEditorProc(TDefaultPropertyEditorProc Proc) { GDefaultPropertyEditor = Proc; }

TPropertyEditorClass FindPropertyEditor(TClass HolderClass, const TPropInfo* Prop)
{
    const TClass propClass = Prop->ObjectClass();
    const auto& entries = Registry().PropertyEditors;
    // the best fit has the smallest key: class filter (nearest first), name filter, nearest type,
    // the later registration
    using TKey = std::tuple<Integer, Integer, Integer, Integer>;
    constexpr Integer none = std::numeric_limits<Integer>::max();
    const TPropertyEditorEntry* best = nullptr;
    TKey bestKey{};
    for (size_t i = 0; i < entries.size(); ++i) {
        const TPropertyEditorEntry& e = entries[i];
        if (!propClass)
            break;
        const Integer typeDistance = Distance(propClass, e.PropertyType);
        if (typeDistance < 0)
            continue;
        Integer classDistance = none;
        if (e.ComponentClass) {
            classDistance = Distance(HolderClass, e.ComponentClass);
            if (classDistance < 0)
                continue;
        }
        if (!e.PropertyName.empty() && !SameText(e.PropertyName, Prop->Name))
            continue;
        const TKey key{classDistance, e.PropertyName.empty() ? 1 : 0, typeDistance, -static_cast<Integer>(i)};
        if (!best || key < bestKey) {
            best = &e;
            bestKey = key;
        }
    }
    if (best)
        return best->EditorClass;
    return GDefaultPropertyEditor ? GDefaultPropertyEditor(Prop) : PropertyEditorClassOf<TPropertyEditor>();
}

std::unique_ptr<TPropertyEditor> MakePropertyEditor(IDesigner* Designer, const std::vector<TObject*>& Components,
                                                    const TPropInfo* Prop, const String& Path)
{
    if (Components.empty())
        return nullptr;
    auto editor = FindPropertyEditor(Components[0]->ClassType(), Prop)(Designer, Components, Prop);
    editor->SetPath(Path);
    return editor;
}

std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, IDesigner* Designer)
{
    const TComponentEditorEntry* best = nullptr;
    Integer bestDistance = std::numeric_limits<Integer>::max();
    for (const TComponentEditorEntry& e : Registry().ComponentEditors) {
        const Integer d = Distance(Component->ClassType(), e.ComponentClass);
        if (d >= 0 && d <= bestDistance) { // the later of two equally near registrations
            best = &e;
            bestDistance = d;
        }
    }
    if (best)
        return best->EditorClass(Component, Designer);
    return std::make_unique<TComponentEditor>(Component, Designer);
}

} // namespace qor
