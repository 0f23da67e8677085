#pragma once
// TComponent: named objects with an owner that frees them, notifications and streaming.

#include "platform/rtl/Persistent.h"

#include <functional>
#include <unordered_map>
#include <vector>

namespace qor {

class TReader;
class TWriter;

enum TComponentStateItem : Byte {
    csLoading,
    csReading,
    csWriting,
    csDestroying,
    csDesigning,
    csAncestor,
    csUpdating,
    csFixups,
    csFreeNotification,
    csInline,
    csDesignInstance
};
QOR_ENUM_NAMES(TComponentStateItem, "csLoading", "csReading", "csWriting", "csDestroying", "csDesigning",
               "csAncestor", "csUpdating", "csFixups", "csFreeNotification", "csInline", "csDesignInstance");
using TComponentState = TSet<TComponentStateItem>;

enum TOperation : Byte { opInsert, opRemove };

using TGetChildProc = std::function<void(TComponent* Child)>;

class TComponent : public TPersistent {
    QOR_CLASS(TComponent, TPersistent)
public:
    // Joins AOwner's list at once (so constructors see its csDesigning); the owner's family is told
    // (opInsert) by AfterConstruction, which Create calls once the object is whole. A component
    // made with plain new is listed but not announced.
    explicit TComponent(TComponent* AOwner);
    ~TComponent() override;

    void AfterConstruction() override;
    // Marks the component as going away and, while it is still whole, tells those who asked
    // (FreeNotification), frees its owned components and leaves its owner, whose family is told
    // (opRemove). Overrides that refuse a deletion throw before calling this. A component deleted
    // without Free does the same from its destructor, when only the TComponent part is left.
    void BeforeDestruction() override;

    TComponent* Owner() const { return FOwner; }
    const String& Name() const { return FName; }
    // Raises EComponentError "'X' is not a valid component name" or "A component named X already
    // exists" (names are unique within the owner, ignoring case).
    virtual void SetName(const String& NewName);
    Int64 Tag() const { return FTag; }
    void SetTag(Int64 Value) { FTag = Value; }

    Integer ComponentCount() const { return static_cast<Integer>(FComponents.size()); }
    // Raises EListError "List index out of bounds (N)".
    TComponent* Components(Integer Index) const;
    Integer ComponentIndex() const;
    void SetComponentIndex(Integer Value);
    // The owned component of that name, ignoring case; null when none.
    TComponent* FindComponent(const String& AName) const;

    void InsertComponent(TComponent* AComponent);
    void RemoveComponent(TComponent* AComponent);
    // Frees every owned component, each through its BeforeDestruction (a refusal is overruled).
    // The family goes whole: its members are not told of each other's going (that would cost the
    // square of its size); what they refer to they hear of through FreeNotification.
    void DestroyComponents();
    // Sets csDestroying on this component and everything it owns.
    void Destroying();

    const TComponentState& ComponentState() const { return FComponentState; }
    void SetDesigning(bool Value, bool SetChildren = true);
    void SetInline(bool Value);
    void SetAncestor(bool Value);
    // For the form reader and writer: include or exclude one state flag.
    void SetComponentStateFlag(TComponentStateItem Item, bool Value);

    // AComponent will tell this one (Notification opRemove) when it is freed, and this one tells
    // AComponent. Every reference to another component asks for this, siblings too: it is the only
    // word of a sibling's going when the owner frees the whole family.
    void FreeNotification(TComponent* AComponent);
    void RemoveFreeNotification(TComponent* AComponent);

    // Children streamed inside this component, in order. The default: when this is Root, the
    // components it owns that have no parent component.
    virtual void GetChildren(const TGetChildProc& Proc, TComponent* Root);
    virtual TComponent* GetParentComponent() const { return nullptr; }
    virtual void SetParentComponent(TComponent* /*Value*/) {}
    virtual bool HasParent() const { return false; }

    virtual void ReadState(TReader& Reader);
    virtual void WriteState(TWriter& Writer);

    String GetNamePath() const override;

    // Called on every component of a root once the root has been read and every reference and
    // event resolved. Clears csLoading.
    virtual void Loaded();
    virtual void Updating();
    virtual void Updated();

protected:
    // Told of components inserted into and removed from the owner's family, and of components this
    // one asked FreeNotification of. Overrides clear references to a removed component and call
    // the inherited version. The family is not told of removals while its owner is destroyed or
    // frees all it owns (a reference to a sibling asks FreeNotification), and members read
    // together are not told of each other's arrival (they look at their family in Loaded).
    virtual void Notification(TComponent* AComponent, TOperation Operation);
    virtual void ValidateRename(TComponent* AComponent, const String& CurName, const String& NewName);
    virtual void ValidateInsert(TComponent* AComponent);
    virtual void SetChildOrder(TComponent* /*Child*/, Integer /*Order*/) {}

    TComponentState FComponentState;

private:
    friend class TReader;
    void Insert(TComponent* AComponent);
    void Remove(TComponent* AComponent);
    void RemoveNotification(TComponent* AComponent);
    void Adopt(TComponent* AComponent, bool Announce);
    void NotifyFreeNotifies();
    void LeaveOwner();
    // The family's names, ignoring case, so finding one does not walk the family.
    void IndexName(TComponent* AComponent);
    void UnindexName(TComponent* AComponent);

    TComponent* FOwner = nullptr;
    bool FInsertPending = false; // made with an owner whose family is not told yet
    String FName;
    Int64 FTag = 0;
    std::vector<TComponent*> FComponents;
    std::unordered_multimap<String, TComponent*> FNames; // by the name in ASCII lower case
    UInt64 FRemovals = 0; // components that have left FComponents, for Notification's walk
    // When this one began to be read: its family's size and FRemovals. Arrivals after these are
    // being read with it.
    std::size_t FReadFrom = 0;
    UInt64 FReadRemovals = 0;
    // Those to tell of this one's going, in the order they asked; finding one is a look-up, so a
    // component that many refer to (a level, a variable) comes and goes in constant time.
    class TNotifyList {
    public:
        bool Empty() const { return FLive == 0; }
        void Add(TComponent* AComponent);
        void Remove(TComponent* AComponent);
        // The last to have asked, taken off the list.
        TComponent* TakeLast();

    private:
        void Trim();
        std::vector<TComponent*> FItems; // null where one has left
        std::unordered_map<TComponent*, std::size_t> FAt; // kept once the list is long
        std::size_t FLive = 0;
    };

    TNotifyList FFreeNotifies;
    bool FFreeingFamily = false; // DestroyComponents is at work
};

// Checks a component name: a valid identifier.
bool IsValidComponentName(const String& Name);

// Roots that references of the form Module.Name may point into. Roots read from form files are
// added automatically; a component leaves the list when it is freed.
void AddModule(TComponent* Module);
void RemoveModule(TComponent* Module);
TComponent* FindModule(const String& Name);

} // namespace qor
