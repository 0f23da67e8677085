#include "platform/rtl/Object.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/TypeInfo.h"

#include <algorithm>
#include <mutex>
#include <unordered_map>

namespace qor {

// ---------------------------------------------------------------------------------------------
// TObject

TClass TObject::StaticClass()
{
    static const TClassInfo* info = [] {
        auto* i = new TClassInfo;
        i->Name = "TObject";
        return i;
    }();
    return info;
}

const String& TObject::ClassName() const { return ClassType()->Name; }

bool TObject::InheritsFrom(TClass AClass) const { return ClassType()->InheritsFrom(AClass); }

void Free(TObject* Obj)
{
    if (!Obj)
        return;
    Obj->BeforeDestruction(); // may throw: the object stays alive
    delete Obj;
}

// ---------------------------------------------------------------------------------------------
// TClassInfo

bool TClassInfo::InheritsFrom(TClass Other) const
{
    for (TClass c = this; c; c = c->Parent)
        if (c == Other)
            return true;
    return false;
}

const TPropInfo* TClassInfo::FindProperty(const String& PropName) const
{
    for (TClass c = this; c; c = c->Parent)
        for (const auto& p : c->Properties)
            if (SameText(p->Name, PropName))
                return p.get();
    return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProperties() const
{
    std::vector<TClass> chain;
    for (TClass c = this; c; c = c->Parent)
        chain.push_back(c);
    std::vector<const TPropInfo*> props;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (const auto& p : (*it)->Properties) {
            // A descendant may publish a property again (another default): it replaces the ancestor's.
            auto same = std::find_if(props.begin(), props.end(),
                                     [&](const TPropInfo* q) { return SameText(q->Name, p->Name); });
            if (same != props.end())
                *same = p.get();
            else
                props.push_back(p.get());
        }
    return props;
}

const TMethodInfo* TClassInfo::FindMethod(const String& MethodName) const
{
    for (TClass c = this; c; c = c->Parent)
        for (const auto& m : c->Methods)
            if (SameText(m.Name, MethodName))
                return &m;
    return nullptr;
}

// ---------------------------------------------------------------------------------------------
// The registry

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

} // namespace qor
