#include "platform/rtl/ClassRegistry.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TypeInfo.h"

#include <mutex>
#include <unordered_map>

namespace qor {

namespace {

struct TRegistry {
    std::mutex Lock;
    std::unordered_map<String, TClass> ByName; // upper-case names
};

TRegistry& Registry()
{
    static TRegistry* r = new TRegistry; // never destroyed: classes register from static initialisers
    return *r;
}

} // namespace

void RegisterClass(TClass AClass)
{
    if (!AClass)
        return;
    auto& r = Registry();
    std::lock_guard guard(r.Lock);
    r.ByName.try_emplace(UpperCase(AClass->Name), AClass);
}

void RegisterClasses(std::initializer_list<TClass> Classes)
{
    for (TClass c : Classes)
        RegisterClass(c);
}

void UnRegisterClass(TClass AClass)
{
    if (!AClass)
        return;
    auto& r = Registry();
    std::lock_guard guard(r.Lock);
    auto it = r.ByName.find(UpperCase(AClass->Name));
    if (it != r.ByName.end() && it->second == AClass)
        r.ByName.erase(it);
}

TClass GetClass(const String& ClassName)
{
    auto& r = Registry();
    std::lock_guard guard(r.Lock);
    auto it = r.ByName.find(UpperCase(ClassName));
    return it == r.ByName.end() ? nullptr : it->second;
}

TClass FindClass(const String& ClassName)
{
    TClass c = GetClass(ClassName);
    if (!c)
        throw EClassNotFound("Class " + ClassName + " not found");
    return c;
}

TComponent* CreateComponent(const String& ClassName, TComponent* Owner)
{
    TClass c = FindClass(ClassName);
    if (!c->NewComponent)
        throw EComponentError("Cannot create a component of class " + ClassName);
    return c->NewComponent(Owner);
}

} // namespace qor
