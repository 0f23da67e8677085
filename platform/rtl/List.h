#pragma once
// TList: a bounds-checked list of untyped pointers, and TListOf<T*>, its typed form that may own
// the objects it holds.

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace qor {

// Negative when Item1 sorts before Item2, zero when equal, positive when after.
using TListSortCompare = std::function<int(void* Item1, void* Item2)>;

enum TListNotification : Byte { lnAdded, lnExtracted, lnDeleted };

// Raises EListError "List index out of bounds (N)".
[[noreturn]] void ListIndexError(Integer Index);

class TList : public TObject {
    QOR_CLASS(TList, TObject)
public:
    TList() = default;
    ~TList() override;

    // Appends Item and answers its index.
    Integer Add(void* Item);
    // Inserts Item before Index (Index = Count appends).
    void Insert(Integer Index, void* Item);
    // Removes the item at Index.
    void Delete(Integer Index);
    // Removes the first occurrence of Item; answers its former index or -1.
    Integer Remove(void* Item);
    // The index of the first occurrence of Item, or -1.
    Integer IndexOf(const void* Item) const;
    // Removes the first occurrence of Item without deleting it (notified as extracted);
    // answers Item, or nullptr when it is not in the list.
    void* Extract(void* Item);
    void Exchange(Integer Index1, Integer Index2);
    // Moves the item at CurIndex so that it ends up at NewIndex.
    void Move(Integer CurIndex, Integer NewIndex);
    virtual void Clear();

    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    // Growing fills with nullptr; shrinking deletes the items past the end.
    void SetCount(Integer NewCount);
    Integer Capacity() const { return static_cast<Integer>(FItems.capacity()); }
    void SetCapacity(Integer NewCapacity);

    void* Get(Integer Index) const;
    void Put(Integer Index, void* Item);
    void* operator[](Integer Index) const { return Get(Index); }
    void* Items(Integer Index) const { return Get(Index); }

    // The first and last items; an empty list raises the index error.
    void* First() const;
    void* Last() const;

    // Stable sort by Compare.
    void Sort(const TListSortCompare& Compare);
    // Removes every nullptr item.
    void Pack();
    // Replaces the contents with a copy of Source's items.
    void Assign(const TList& Source);

    // The items themselves (valid until the list changes).
    void* const* List() const { return FItems.data(); }

    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

protected:
    // Told after an item was added, and before or after it left the list (extracted or deleted).
    virtual void Notify(void* Ptr, TListNotification Action);

private:
    void CheckIndex(Integer Index) const;
    std::vector<void*> FItems;
};

// A typed list of pointers. With OwnsObjects the list frees the objects that leave it through
// Delete, Remove, Put, Clear, SetCount or its own destruction (Extract hands the object back
// instead). Objects of TObject descendants are freed with Free, others deleted.
template <class T>
class TListOf : public TList {
    static_assert(std::is_pointer_v<T>, "TListOf holds pointers: TListOf<TFoo*>");
    using Pointee = std::remove_pointer_t<T>;

public:
    explicit TListOf(bool AOwnsObjects = false) : FOwnsObjects(AOwnsObjects) {}
    // An object that refuses to be freed here stays alive, out of the list (destructors never throw).
    ~TListOf() override
    {
        while (Count() > 0) {
            try {
                Clear();
            } catch (...) {
            }
        }
    }

    bool OwnsObjects() const { return FOwnsObjects; }
    void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

    Integer Add(T Item) { return TList::Add(ToVoid(Item)); }
    void Insert(Integer Index, T Item) { TList::Insert(Index, ToVoid(Item)); }
    Integer Remove(T Item) { return TList::Remove(ToVoid(Item)); }
    Integer IndexOf(T Item) const { return TList::IndexOf(ToVoid(Item)); }
    T Extract(T Item) { return static_cast<T>(TList::Extract(ToVoid(Item))); }
    T Get(Integer Index) const { return static_cast<T>(TList::Get(Index)); }
    void Put(Integer Index, T Item) { TList::Put(Index, ToVoid(Item)); }
    T operator[](Integer Index) const { return Get(Index); }
    T Items(Integer Index) const { return Get(Index); }
    T First() const { return static_cast<T>(TList::First()); }
    T Last() const { return static_cast<T>(TList::Last()); }

    template <class Compare>
    void SortBy(Compare Less3Way)
    {
        TList::Sort([&](void* A, void* B) { return Less3Way(static_cast<T>(A), static_cast<T>(B)); });
    }

    class iterator {
    public:
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        explicit iterator(void* const* P = nullptr) : FP(P) {}
        T operator*() const { return static_cast<T>(*FP); }
        iterator& operator++() { ++FP; return *this; }
        iterator operator++(int) { iterator R = *this; ++FP; return R; }
        bool operator==(const iterator&) const = default;

    private:
        void* const* FP;
    };
    iterator begin() const { return iterator(List()); }
    iterator end() const { return iterator(List() + Count()); }

protected:
    void Notify(void* Ptr, TListNotification Action) override
    {
        if (FOwnsObjects && Action == lnDeleted && Ptr) {
            if constexpr (std::is_base_of_v<TObject, Pointee>)
                Free(static_cast<T>(Ptr));
            else
                delete static_cast<T>(Ptr);
        }
    }

private:
    static void* ToVoid(T Item) { return const_cast<void*>(static_cast<const void*>(Item)); }
    bool FOwnsObjects;
};

} // namespace qor
