#include "platform/rtl/List.h"

#include "platform/rtl/TypeInfo.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TList) {}

void ListIndexError(Integer Index)
{
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}

TList::~TList()
{
    // Descendants clear themselves while their Notify is still theirs; what is left is told here.
    TList::Clear();
}

void TList::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        ListIndexError(Index);
}

Integer TList::Add(void* Item)
{
    FItems.push_back(Item);
    Integer Index = Count() - 1;
    if (Item)
        Notify(Item, lnAdded);
    return Index;
}

void TList::Insert(Integer Index, void* Item)
{
    if (Index < 0 || Index > Count())
        ListIndexError(Index);
    FItems.insert(FItems.begin() + Index, Item);
    if (Item)
        Notify(Item, lnAdded);
}

void TList::Delete(Integer Index)
{
    CheckIndex(Index);
    void* Item = FItems[static_cast<std::size_t>(Index)];
    FItems.erase(FItems.begin() + Index);
    if (Item)
        Notify(Item, lnDeleted);
}

Integer TList::Remove(void* Item)
{
    Integer Index = IndexOf(Item);
    if (Index >= 0)
        Delete(Index);
    return Index;
}

Integer TList::IndexOf(const void* Item) const
{
    auto It = std::find(FItems.begin(), FItems.end(), Item);
    return It == FItems.end() ? -1 : static_cast<Integer>(It - FItems.begin());
}

void* TList::Extract(void* Item)
{
    Integer Index = IndexOf(Item);
    if (Index < 0)
        return nullptr;
    FItems.erase(FItems.begin() + Index);
    if (Item)
        Notify(Item, lnExtracted);
    return Item;
}

void TList::Exchange(Integer Index1, Integer Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
}

void TList::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    auto First = FItems.begin();
    if (CurIndex < NewIndex)
        std::rotate(First + CurIndex, First + CurIndex + 1, First + NewIndex + 1);
    else
        std::rotate(First + NewIndex, First + CurIndex, First + CurIndex + 1);
}

void TList::Clear()
{
    // Items are taken out one at a time from the end so a Notify that looks at the list sees
    // a consistent one, and a throwing Notify leaves the rest in place.
    while (!FItems.empty()) {
        void* Item = FItems.back();
        FItems.pop_back();
        if (Item)
            Notify(Item, lnDeleted);
    }
    FItems.shrink_to_fit();
}

void TList::SetCount(Integer NewCount)
{
    if (NewCount < 0)
        ListIndexError(NewCount);
    if (NewCount >= Count()) {
        FItems.resize(static_cast<std::size_t>(NewCount), nullptr);
        return;
    }
    while (Count() > NewCount)
        Delete(Count() - 1);
}

void TList::SetCapacity(Integer NewCapacity)
{
    if (NewCapacity < Count())
        throw EListError("List capacity out of bounds (" + std::to_string(NewCapacity) + ")");
    if (NewCapacity > Capacity())
        FItems.reserve(static_cast<std::size_t>(NewCapacity));
    else
        FItems.shrink_to_fit();
}

void* TList::Get(Integer Index) const
{
    CheckIndex(Index);
    return FItems[static_cast<std::size_t>(Index)];
}

void TList::Put(Integer Index, void* Item)
{
    CheckIndex(Index);
    void* Old = FItems[static_cast<std::size_t>(Index)];
    if (Old == Item)
        return;
    FItems[static_cast<std::size_t>(Index)] = Item;
    if (Old)
        Notify(Old, lnDeleted);
    if (Item)
        Notify(Item, lnAdded);
}

void* TList::First() const
{
    return Get(0);
}

void* TList::Last() const
{
    return Get(Count() - 1);
}

void TList::Sort(const TListSortCompare& Compare)
{
    std::stable_sort(FItems.begin(), FItems.end(),
                     [&](void* A, void* B) { return Compare(A, B) < 0; });
}

void TList::Pack()
{
    FItems.erase(std::remove(FItems.begin(), FItems.end(), nullptr), FItems.end());
}

void TList::Assign(const TList& Source)
{
    if (&Source == this)
        return;
    std::vector<void*> Copy = Source.FItems;
    Clear();
    for (void* Item : Copy)
        Add(Item);
}

void TList::Notify(void*, TListNotification) {}

} // namespace qor
