#pragma once
// TObject: the root of every class that is created by name, streamed or asked for its class.

#include "platform/rtl/Types.h"

#include <utility>

namespace qor {

struct TClassInfo;
using TClass = const TClassInfo*;

// Declares a class's place in the class registry. Put it at the top of the class body;
// the class's .cpp then defines its published members with QOR_PUBLISH (TypeInfo.h).
// Leaves the class body in private access.
#define QOR_CLASS(Class, Parent)                                           \
public:                                                                    \
    using inherited = Parent;                                              \
    static ::qor::TClass StaticClass();                                    \
    ::qor::TClass ClassType() const override { return StaticClass(); }     \
                                                                           \
private:

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;
    virtual ~TObject() = default;

    static TClass StaticClass();
    virtual TClass ClassType() const { return StaticClass(); }
    const String& ClassName() const;
    bool InheritsFrom(TClass AClass) const;
    template <class T>
    bool Is() const { return InheritsFrom(T::StaticClass()); }

    // Called by Create once the most derived constructor has finished: the object is whole.
    virtual void AfterConstruction() {}
    // Called by Free before the object is deleted. Throwing refuses the deletion and leaves
    // the object alive and usable. Overrides refuse first, then call the inherited version.
    virtual void BeforeDestruction() {}
};

// Makes a T and calls its AfterConstruction. Components are made this way: their owner is told
// of them (Notification opInsert) only once they are whole, so it sees their real class.
template <class T, class... Args>
T* Create(Args&&... args)
{
    T* Obj = new T(std::forward<Args>(args)...);
    Obj->AfterConstruction();
    return Obj;
}

// Frees Obj (nothing for null): BeforeDestruction, which may throw to refuse, then delete.
void Free(TObject* Obj);

template <class T>
void FreeAndNil(T*& Obj)
{
    T* p = Obj;
    Obj = nullptr;
    Free(p);
}

} // namespace qor
