#include "platform/rtl/Collection.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TCollectionItem) {}
QOR_PUBLISH(TCollection) {}

// ---------------------------------------------------------------------------------------------
// TCollectionItem

TCollectionItem::TCollectionItem(TCollection* ACollection) { SetCollection(ACollection); }

TCollectionItem::~TCollectionItem()
{
    if (FCollection)
        FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* Value)
{
    if (Value == FCollection)
        return;
    if (FCollection)
        FCollection->RemoveItem(this);
    if (Value)
        Value->InsertItem(this);
}

Integer TCollectionItem::Index() const
{
    if (!FCollection)
        return -1;
    auto& v = FCollection->FItems;
    return static_cast<Integer>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TCollectionItem::SetIndex(Integer Value)
{
    Integer cur = Index();
    if (cur < 0 || cur == Value)
        return;
    auto& v = FCollection->FItems;
    Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(v.size()) - 1);
    v.erase(v.begin() + cur);
    v.insert(v.begin() + Value, this);
    Changed(true);
}

String TCollectionItem::DisplayName() const { return ClassName(); }

String TCollectionItem::GetNamePath() const
{
    if (!FCollection)
        return ClassName();
    return FCollection->GetNamePath() + "[" + std::to_string(Index()) + "]";
}

TPersistent* TCollectionItem::GetOwner() const { return FCollection; }

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection && FCollection->FUpdateCount == 0)
        FCollection->Update(AllItems ? nullptr : this);
}

// ---------------------------------------------------------------------------------------------
// TCollection

TCollection::TCollection(TClass ItemClass, TPersistent* Owner) : FItemClass(ItemClass), FOwner(Owner)
{
    if (!ItemClass || !ItemClass->NewCollectionItem)
        throw EComponentError("Collection items must be of a class made from a collection");
}

TCollection::~TCollection()
{
    FUpdateCount = 1; // no change notifications while going away
    while (!FItems.empty())
        delete FItems.back();
}

TCollectionItem* TCollection::Items(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
    return FItems[static_cast<size_t>(Index)];
}

TCollectionItem* TCollection::Add()
{
    TObject* o = FItemClass->NewCollectionItem(this);
    auto* item = dynamic_cast<TCollectionItem*>(o);
    if (!item) {
        delete o;
        throw EComponentError(FItemClass->Name + " is not a collection item class");
    }
    return item;
}

TCollectionItem* TCollection::Insert(Integer Index)
{
    TCollectionItem* item = Add();
    item->SetIndex(Index);
    return item;
}

void TCollection::Delete(Integer Index) { delete Items(Index); }

void TCollection::Clear()
{
    if (FItems.empty())
        return;
    BeginUpdate();
    while (!FItems.empty())
        delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(Integer ID) const
{
    for (TCollectionItem* i : FItems)
        if (i->FID == ID)
            return i;
    return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate()
{
    if (FUpdateCount > 0 && --FUpdateCount == 0)
        Changed();
}

void TCollection::Assign(TPersistent* Source)
{
    auto* src = dynamic_cast<TCollection*>(Source);
    if (!src) {
        TPersistent::Assign(Source);
        return;
    }
    BeginUpdate();
    try {
        Clear();
        for (TCollectionItem* i : src->FItems)
            Add()->Assign(i);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TCollection::GetNamePath() const
{
    if (FOwner && !FPropName.empty()) {
        String owner = FOwner->GetNamePath();
        return owner.empty() ? FPropName : owner + "." + FPropName;
    }
    return ClassName();
}

void TCollection::Update(TCollectionItem*)
{
    if (OnChange)
        OnChange(this);
}

void TCollection::InsertItem(TCollectionItem* Item)
{
    FItems.push_back(Item);
    Item->FCollection = this;
    Item->FID = FNextID++;
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* Item)
{
    auto it = std::find(FItems.begin(), FItems.end(), Item);
    if (it != FItems.end())
        FItems.erase(it);
    Item->FCollection = nullptr;
    Changed();
}

void TCollection::Changed()
{
    if (FUpdateCount == 0)
        Update(nullptr);
}

} // namespace qor
