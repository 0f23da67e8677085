#include "platform/rtl/Component.h"

#include "platform/rtl/StrUtils.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TComponent)
{
    b.Property("Name", &TComponent::Name, &TComponent::SetName).Stored(false);
    b.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

bool IsValidComponentName(const String& Name) { return IsValidIdent(Name); }

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner)
        AOwner->Adopt(this, false); // announced by AfterConstruction, once this is whole
}

TComponent::~TComponent()
{
    Destroying();
    NotifyFreeNotifies();
    DestroyComponents();
    RemoveModule(this);
    LeaveOwner();
}

void TComponent::AfterConstruction()
{
    if (FInsertPending) {
        FInsertPending = false;
        if (FOwner)
            FOwner->Notification(this, opInsert);
    }
}

void TComponent::BeforeDestruction()
{
    Destroying();
    NotifyFreeNotifies();
    DestroyComponents();
    LeaveOwner();
}

void TComponent::NotifyFreeNotifies()
{
    // Tell everyone who asked to know, then forget them.
    while (!FFreeNotifies.Empty()) {
        TComponent* c = FFreeNotifies.TakeLast();
        c->RemoveNotification(this);
        c->Notification(this, opRemove);
    }
}

void TComponent::LeaveOwner()
{
    if (FOwner)
        FOwner->RemoveComponent(this);
}

void TComponent::Destroying()
{
    if (FComponentState.Contains(csDestroying))
        return;
    FComponentState.Include(csDestroying);
    for (TComponent* c : FComponents)
        c->Destroying();
}

TComponent* TComponent::Components(Integer Index) const
{
    if (Index < 0 || Index >= ComponentCount())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FComponents[static_cast<size_t>(Index)];
}

Integer TComponent::ComponentIndex() const
{
    if (!FOwner)
        return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : static_cast<Integer>(it - v.begin());
}

void TComponent::SetComponentIndex(Integer Value)
{
    if (!FOwner)
        return;
    auto& v = FOwner->FComponents;
    Integer i = ComponentIndex();
    if (i < 0)
        return;
    Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(v.size()) - 1);
    v.erase(v.begin() + i);
    v.insert(v.begin() + Value, this);
}

namespace {

String NameKey(const String& Name) { return LowerCase(Name); }

} // namespace

TComponent* TComponent::FindComponent(const String& AName) const
{
    if (AName.empty())
        return nullptr;
    const auto [First, Last] = FNames.equal_range(NameKey(AName));
    if (First == Last)
        return nullptr;
    if (std::next(First) == Last)
        return First->second;
    // Names given alike in another case: the first of the family.
    for (TComponent* c : FComponents)
        if (SameText(c->FName, AName))
            return c;
    return nullptr;
}

void TComponent::IndexName(TComponent* AComponent)
{
    if (!AComponent->FName.empty())
        FNames.emplace(NameKey(AComponent->FName), AComponent);
}

void TComponent::UnindexName(TComponent* AComponent)
{
    if (AComponent->FName.empty())
        return;
    const auto [First, Last] = FNames.equal_range(NameKey(AComponent->FName));
    for (auto It = First; It != Last; ++It)
        if (It->second == AComponent) {
            FNames.erase(It);
            return;
        }
}

void TComponent::SetName(const String& NewName)
{
    if (FName == NewName)
        return;
    if (!NewName.empty() && !IsValidComponentName(NewName))
        throw EComponentError("'" + NewName + "' is not a valid component name");
    if (FOwner)
        FOwner->ValidateRename(this, FName, NewName);
    else
        ValidateRename(nullptr, FName, NewName);
    if (FOwner)
        FOwner->UnindexName(this);
    FName = NewName;
    if (FOwner)
        FOwner->IndexName(this);
}

void TComponent::ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName)
{
    if (AComponent && !SameText(CurName, NewName) && !NewName.empty()) {
        TComponent* other = FindComponent(NewName);
        if (other && other != AComponent)
            throw EComponentError("A component named " + NewName + " already exists");
    }
}

void TComponent::ValidateInsert(TComponent*) {}

void TComponent::InsertComponent(TComponent* AComponent) { Adopt(AComponent, true); }

void TComponent::Adopt(TComponent* AComponent, bool Announce)
{
    if (!AComponent || AComponent->FOwner == this)
        return;
    ValidateInsert(AComponent);
    if (!AComponent->FName.empty())
        ValidateRename(AComponent, String(), AComponent->FName);
    if (AComponent->FOwner)
        AComponent->FOwner->RemoveComponent(AComponent);
    Insert(AComponent);
    if (FComponentState.Contains(csDesigning))
        AComponent->SetDesigning(true);
    AComponent->FInsertPending = !Announce;
    if (Announce)
        Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent)
{
    if (!AComponent || AComponent->FOwner != this)
        return;
    Notification(AComponent, opRemove);
    Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent)
{
    FComponents.push_back(AComponent);
    AComponent->FOwner = this;
    IndexName(AComponent);
}

void TComponent::Remove(TComponent* AComponent)
{
    // From the back: a family is freed last first.
    auto it = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
    if (it != FComponents.rend())
        FComponents.erase(std::next(it).base());
    UnindexName(AComponent);
    AComponent->FOwner = nullptr;
    ++FRemovals;
}

void TComponent::DestroyComponents()
{
    const bool Outer = !FFreeingFamily;
    FFreeingFamily = true;
    struct TDone {
        TComponent* Self;
        bool Outer;
        ~TDone()
        {
            if (Outer)
                Self->FFreeingFamily = false;
        }
    } Done{this, Outer};
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        c->Destroying();
        try {
            c->BeforeDestruction(); // whole, it tells its watchers and the family of its going
        } catch (...) {
            // An owner that goes takes its components with it: a refusal cannot hold.
        }
        RemoveComponent(c); // when a refusal kept it from leaving
        delete c;
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
    // A family freed whole (this one going, or freeing all it owns) is not told of each member's
    // going: they all go, and what they refer to tells them itself (FreeNotification).
    if (Operation == opRemove && (FFreeingFamily || FComponentState.Contains(csDestroying)))
        return;
    // While this one is read, an arrival is told only to the members that were there before:
    // those being read are loading, and see the whole family in Loaded.
    std::size_t Told = FComponents.size();
    if (Operation == opInsert && FComponentState.Contains(csReading) && FRemovals == FReadRemovals)
        Told = std::min(Told, FReadFrom);
    // Tell the owned family. Handlers may change the list, even free other members of it: walk a
    // copy, and once anything has left the family, tell only those still in it.
    const std::vector<TComponent*> family(FComponents.begin(), FComponents.begin() + static_cast<std::ptrdiff_t>(Told));
    const UInt64 removals = FRemovals;
    for (TComponent* c : family) {
        if (FRemovals != removals && std::find(FComponents.begin(), FComponents.end(), c) == FComponents.end())
            continue;
        if (c != AComponent || Operation == opInsert)
            c->Notification(AComponent, Operation);
    }
}

void TComponent::FreeNotification(TComponent* AComponent)
{
    if (!AComponent || AComponent == this)
        return;
    FFreeNotifies.Add(AComponent);
    AComponent->FFreeNotifies.Add(this);
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    RemoveNotification(AComponent);
    if (AComponent)
        AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) { FFreeNotifies.Remove(AComponent); }

namespace {

// Shorter lists are searched; longer ones keep an index.
constexpr std::size_t NotifyIndexFrom = 16;

} // namespace

void TComponent::TNotifyList::Add(TComponent* AComponent)
{
    if (!FAt.empty() || FItems.size() >= NotifyIndexFrom) {
        if (FAt.empty())
            for (std::size_t I = 0; I < FItems.size(); ++I)
                if (FItems[I])
                    FAt.emplace(FItems[I], I);
        if (!FAt.emplace(AComponent, FItems.size()).second)
            return;
    } else if (std::find(FItems.begin(), FItems.end(), AComponent) != FItems.end()) {
        return;
    }
    FItems.push_back(AComponent);
    ++FLive;
}

void TComponent::TNotifyList::Remove(TComponent* AComponent)
{
    if (!AComponent)
        return;
    if (FAt.empty()) {
        const auto It = std::find(FItems.begin(), FItems.end(), AComponent);
        if (It == FItems.end())
            return;
        FItems.erase(It);
        --FLive;
        return;
    }
    const auto It = FAt.find(AComponent);
    if (It == FAt.end())
        return;
    FItems[It->second] = nullptr;
    FAt.erase(It);
    --FLive;
    Trim();
}

TComponent* TComponent::TNotifyList::TakeLast()
{
    TComponent* Last = FItems.back(); // Trim keeps the last one live
    FItems.pop_back();
    FAt.erase(Last);
    --FLive;
    Trim();
    return Last;
}

void TComponent::TNotifyList::Trim()
{
    while (!FItems.empty() && !FItems.back())
        FItems.pop_back();
    if (FAt.empty() || FItems.size() <= 2 * FLive + NotifyIndexFrom)
        return;
    // Mostly holes: close them up, in order, and index the rest afresh.
    std::erase(FItems, nullptr);
    FAt.clear();
    for (std::size_t I = 0; I < FItems.size(); ++I)
        FAt.emplace(FItems[I], I);
}

void TComponent::SetDesigning(bool Value, bool SetChildren)
{
    SetComponentStateFlag(csDesigning, Value);
    if (SetChildren)
        for (TComponent* c : FComponents)
            c->SetDesigning(Value, true);
}

void TComponent::SetInline(bool Value) { SetComponentStateFlag(csInline, Value); }

void TComponent::SetAncestor(bool Value)
{
    SetComponentStateFlag(csAncestor, Value);
    for (TComponent* c : FComponents)
        c->SetAncestor(Value);
}

void TComponent::SetComponentStateFlag(TComponentStateItem Item, bool Value)
{
    if (Item == csReading && Value && !FComponentState.Contains(csReading)) {
        FReadFrom = FComponents.size();
        FReadRemovals = FRemovals;
    }
    if (Value)
        FComponentState.Include(Item);
    else
        FComponentState.Exclude(Item);
}

void TComponent::GetChildren(const TGetChildProc& Proc, TComponent* Root)
{
    if (this != Root)
        return;
    for (TComponent* c : FComponents)
        if (!c->HasParent())
            Proc(c);
}

String TComponent::GetNamePath() const { return FName; }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::Updating() { FComponentState.Include(csUpdating); }

void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

// ---------------------------------------------------------------------------------------------
// Modules: roots that Module.Name references may point into

namespace {

std::vector<TComponent*>& Modules()
{
    static std::vector<TComponent*> modules;
    return modules;
}

} // namespace

void AddModule(TComponent* Module)
{
    auto& m = Modules();
    if (Module && std::find(m.begin(), m.end(), Module) == m.end())
        m.push_back(Module);
}

void RemoveModule(TComponent* Module)
{
    auto& m = Modules();
    auto it = std::find(m.begin(), m.end(), Module);
    if (it != m.end())
        m.erase(it);
}

TComponent* FindModule(const String& Name)
{
    for (TComponent* c : Modules())
        if (SameText(c->Name(), Name))
            return c;
    return nullptr;
}

} // namespace qor
