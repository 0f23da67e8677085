#pragma once
// TCollection: an owned, ordered list of items of one class, streamed as Name = <item ... end>.

#include "platform/rtl/Persistent.h"

#include <vector>

namespace qor {

class TCollection;

class TCollectionItem : public TPersistent {
    QOR_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* ACollection);
    ~TCollectionItem() override;

    TCollection* Collection() const { return FCollection; }
    // Moves the item to another collection (null: detaches it).
    void SetCollection(TCollection* Value);
    Integer Index() const;
    void SetIndex(Integer Value);
    Integer ID() const { return FID; }
    virtual String DisplayName() const;
    String GetNamePath() const override;

protected:
    TPersistent* GetOwner() const override;
    // Tells the collection that this item changed (AllItems: every item may be affected).
    void Changed(bool AllItems);

private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    Integer FID = 0;
};

class TCollection : public TPersistent {
    QOR_CLASS(TCollection, TPersistent)
public:
    // ItemClass must be a registered class constructible from a TCollection*.
    explicit TCollection(TClass ItemClass, TPersistent* Owner = nullptr);
    ~TCollection() override;

    TClass ItemClass() const { return FItemClass; }
    Integer Count() const { return static_cast<Integer>(FItems.size()); }
    // Raises EListError "List index out of bounds (N)".
    TCollectionItem* Items(Integer Index) const;
    TCollectionItem* Add();
    TCollectionItem* Insert(Integer Index);
    void Delete(Integer Index);
    void Clear();
    TCollectionItem* FindItemID(Integer ID) const;
    void BeginUpdate();
    void EndUpdate();
    void Assign(TPersistent* Source) override;
    String GetNamePath() const override;
    void SetPropName(const String& Value) { FPropName = Value; }

    TNotifyEvent OnChange;

protected:
    TPersistent* GetOwner() const override { return FOwner; }
    // Called after items are added, removed, moved or changed (Item null: several may have).
    virtual void Update(TCollectionItem* Item);

private:
    friend class TCollectionItem;
    void InsertItem(TCollectionItem* Item);
    void RemoveItem(TCollectionItem* Item);
    void Changed();

    TClass FItemClass;
    TPersistent* FOwner;
    std::vector<TCollectionItem*> FItems;
    Integer FNextID = 0;
    Integer FUpdateCount = 0;
    String FPropName;
};

} // namespace qor
