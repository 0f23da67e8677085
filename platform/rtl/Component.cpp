#include "platform/rtl/Component.h"

#include "platform/rtl/Filer.h"
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
    while (!FFreeNotifies.empty()) {
        TComponent* c = FFreeNotifies.back();
        FFreeNotifies.pop_back();
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
    // Tell the owned family. Handlers may change the list, even free other members of it: walk a
    // copy, and once anything has left the family, tell only those still in it.
    const std::vector<TComponent*> family = FComponents;
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
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
        FFreeNotifies.push_back(AComponent);
    if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
        AComponent->FFreeNotifies.end())
        AComponent->FFreeNotifies.push_back(this);
    FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent)
{
    RemoveNotification(AComponent);
    if (AComponent)
        AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent)
{
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
    if (it != FFreeNotifies.end())
        FFreeNotifies.erase(it);
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

void TComponent::ReadState(TReader& Reader) { Reader.ReadData(this); }

void TComponent::WriteState(TWriter& Writer) { Writer.WriteData(this); }

String TComponent::GetNamePath() const { return FName; }

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::Updating() { FComponentState.Include(csUpdating); }

void TComponent::Updated() { FComponentState.Exclude(csUpdating); }

} // namespace qor
