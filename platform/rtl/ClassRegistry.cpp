#include "platform/rtl/ClassRegistry.h"

#include "platform/rtl/ClassInfo.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"

#include <algorithm>
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
    static TRegistry* Instance = new TRegistry; // never destroyed: classes register from static initialisers
    return *Instance;
}

} // namespace

void RegisterClass(TClass AClass)
{
    if (!AClass)
        return;
    auto& Reg = Registry();
    std::lock_guard Guard(Reg.Lock);
    Reg.ByName.try_emplace(UpperCase(AClass->Name), AClass);
}

void RegisterClasses(std::initializer_list<TClass> Classes)
{
    for (TClass Class : Classes)
        RegisterClass(Class);
}

void UnRegisterClass(TClass AClass)
{
    if (!AClass)
        return;
    auto& Reg = Registry();
    std::lock_guard Guard(Reg.Lock);
    auto It = Reg.ByName.find(UpperCase(AClass->Name));
    if (It != Reg.ByName.end() && It->second == AClass)
        Reg.ByName.erase(It);
}

std::vector<TClass> RegisteredClasses()
{
    auto& Reg = Registry();
    std::vector<TClass> Classes;
    {
        std::lock_guard Guard(Reg.Lock);
        for (const auto& [Name, Class] : Reg.ByName)
            Classes.push_back(Class);
    }
    std::sort(Classes.begin(), Classes.end(), [](TClass A, TClass B) { return A->Name < B->Name; });
    return Classes;
}

TClass GetClass(const String& ClassName)
{
    auto& Reg = Registry();
    std::lock_guard Guard(Reg.Lock);
    auto It = Reg.ByName.find(UpperCase(ClassName));
    return It == Reg.ByName.end() ? nullptr : It->second;
}

TClass FindClass(const String& ClassName)
{
    TClass Class = GetClass(ClassName);
    if (!Class)
        throw EClassNotFound("Class " + ClassName + " not found");
    return Class;
}

TComponent* CreateComponent(const String& ClassName, TComponent* Owner)
{
    TClass Class = FindClass(ClassName);
    if (!Class->NewComponent)
        throw EComponentError("Cannot create a component of class " + ClassName);
    return Class->NewComponent(Owner);
}

} // namespace qor
