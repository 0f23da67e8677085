#include "platform/rtl/ClassInfo.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"

#include <algorithm>

namespace qor {

// ---- TObject's class ---------------------------------------------------------------------------
// The root of every class description.

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

// ---------------------------------------------------------------------------------------------
// Enumerations

TEnumInfo::TEnumInfo(String TypeName, std::initializer_list<const char*> Names) : FTypeName(std::move(TypeName))
{
    for (const char* n : Names)
        FNames.emplace_back(n);
}

String TEnumInfo::Name(Int64 Ordinal) const
{
    if (Ordinal < 0 || Ordinal >= static_cast<Int64>(FNames.size()))
        return {};
    return FNames[static_cast<size_t>(Ordinal)];
}

Integer TEnumInfo::Ordinal(const String& Name) const
{
    for (size_t i = 0; i < FNames.size(); ++i)
        if (SameText(FNames[i], Name))
            return static_cast<Integer>(i);
    return -1;
}

const TEnumInfo* BooleanEnumInfo()
{
    static const TEnumInfo info("Boolean", {"False", "True"});
    return &info;
}

// ---------------------------------------------------------------------------------------------
// Values

namespace detail {

Int64 ValueAsInt(const TPropValue& V)
{
    if (auto p = std::get_if<Int64>(&V))
        return *p;
    if (auto p = std::get_if<Double>(&V))
        return Round(*p);
    if (std::holds_alternative<std::monostate>(V))
        return 0;
    throw EConvertError("Invalid property value: not a number");
}

Double ValueAsFloat(const TPropValue& V)
{
    if (auto p = std::get_if<Double>(&V))
        return *p;
    if (auto p = std::get_if<Int64>(&V))
        return static_cast<Double>(*p);
    if (std::holds_alternative<std::monostate>(V))
        return 0;
    throw EConvertError("Invalid property value: not a number");
}

String ValueAsString(const TPropValue& V)
{
    if (auto p = std::get_if<String>(&V))
        return *p;
    if (std::holds_alternative<std::monostate>(V))
        return {};
    throw EConvertError("Invalid property value: not a string");
}

TObject* ValueAsObject(const TPropValue& V)
{
    if (auto p = std::get_if<TObject*>(&V))
        return *p;
    if (std::holds_alternative<std::monostate>(V))
        return nullptr;
    throw EConvertError("Invalid property value: not an object");
}

} // namespace detail

bool TPropInfo::IsDefault(const TObject* Instance) const
{
    if (NoDefault)
        return false;
    const TPropValue v = GetValue(Instance);
    if (HasDefault) {
        if (Kind == TPropKind::Float)
            return detail::ValueAsFloat(v) == detail::ValueAsFloat(DefaultValue);
        if (Kind == TPropKind::String)
            return detail::ValueAsString(v) == detail::ValueAsString(DefaultValue);
        if (Kind == TPropKind::Component)
            return detail::ValueAsObject(v) == detail::ValueAsObject(DefaultValue);
        return detail::ValueAsInt(v) == detail::ValueAsInt(DefaultValue);
    }
    // Without a declared default, empty strings, null references and unnamed handlers are not
    // written; numbers and enumerations always are.
    switch (Kind) {
    case TPropKind::String:
        return detail::ValueAsString(v).empty();
    case TPropKind::Component:
        return detail::ValueAsObject(v) == nullptr;
    case TPropKind::Method:
        return GetHandlerName(Instance).empty();
    default:
        return false;
    }
}

bool TPropInfo::IsStored(const TObject* Instance) const
{
    if (StoredRule && !StoredRule(Instance))
        return false;
    return true;
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

} // namespace qor
