#pragma once
// The class registry and published members: what form files and the designer's inspector read and
// write by name.
//
// A class declares QOR_CLASS(TFoo, TParent) in its body and, in its .cpp:
//
//   QOR_PUBLISH(TFoo)
//   {
//       b.Property("Stretch", &TFoo::GetStretch, &TFoo::SetStretch).Default(false);
//       b.Property("Kind", &TFoo::GetKind, &TFoo::SetKind).Default(fkPlain);
//       b.SubObject("Font", &TFoo::GetFont);
//       b.Event("OnChange", &TFoo::OnChange);
//       b.Method("Button1Click", &TFoo::Button1Click);
//   }
//
// QOR_PUBLISH also registers the class by name. Enumerations used in properties are named once in
// a header with QOR_ENUM_NAMES(TFooKind, "fkPlain", "fkFancy"). The descriptions it builds are in
// ClassInfo.h.

#include "platform/rtl/ClassInfo.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Currency.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"
#include "platform/rtl/Set.h"
#include "platform/rtl/Types.h"

#include <any>
#include <functional>
#include <initializer_list>
#include <memory>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <variant>
#include <vector>

namespace qor {

class TPersistent;
class TComponent;
class TCollection;
class TStrings;

// ---------------------------------------------------------------------------------------------
// Naming enumerations (their descriptions are TEnumInfo, ClassInfo.h)

template <class E>
struct TEnumTraits {
    static_assert(sizeof(E) == 0, "name the enumeration's values with QOR_ENUM_NAMES");
};

// At namespace qor scope, after the enumeration: QOR_ENUM_NAMES(TAlign, "alNone", "alTop", ...)
#define QOR_ENUM_NAMES(E, ...)                                              \
    template <>                                                             \
    struct TEnumTraits<E> {                                                 \
        static const ::qor::TEnumInfo* Info()                               \
        {                                                                   \
            static const ::qor::TEnumInfo info(#E, {__VA_ARGS__});          \
            return &info;                                                   \
        }                                                                   \
    }

template <class E>
String EnumName(E Value) { return TEnumTraits<E>::Info()->Name(static_cast<Int64>(Value)); }

// ---------------------------------------------------------------------------------------------
// Reading and writing properties by name as text (the inspector). Paths may be dotted through
// sub-objects ("Font.Name"). Values are plain text: numbers, identifiers of enumerations, Booleans
// and colours, "[a,b]" for sets, component names for references, handler names for events, and
// strings as they are. Raise EPropertyError for unknown properties and EConvertError for values.

const TPropInfo* FindPropInfo(const TObject* Instance, const String& Path, TObject** Owner = nullptr);
String GetPropText(const TObject* Instance, const String& Path);
void SetPropText(TObject* Instance, const String& Path, const String& Value, TComponent* Root = nullptr);

// Conversions between property values and text used by the inspector and the form files.
String SetToText(const TEnumInfo* Info, UInt64 Bits);
UInt64 TextToSetBits(const TEnumInfo* Info, const String& Text);
// A property's value as inspector text; component references are named relative to Root.
String PropValueText(const TPropInfo* P, const TObject* Instance, const TComponent* Root);
// Inspector text as a value of the property's kind (not references, events or objects).
TPropValue ParsePropValueText(const TPropInfo* P, const String& Text);
// A decimal number as a count of ten-thousandths, exactly (no binary floating point on the way),
// and back: "12.5" for 125000.
Int64 ParseCurrencyRaw(const String& Text);
String CurrencyRawToText(Int64 Raw);

// ---------------------------------------------------------------------------------------------
// Typed adapters behind the builder

namespace detail {

template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {
    using Enum = E;
};

template <class T>
constexpr TPropKind KindOf()
{
    using U = std::remove_cv_t<T>;
    if constexpr (std::is_same_v<U, bool>)
        return TPropKind::Boolean;
    else if constexpr (std::is_same_v<U, char> || std::is_same_v<U, char16_t>)
        return TPropKind::Char;
    else if constexpr (std::is_enum_v<U>)
        return TPropKind::Enumeration;
    else if constexpr (IsTSet<U>::value)
        return TPropKind::Set;
    else if constexpr (std::is_same_v<U, Currency>)
        return TPropKind::Currency;
    else if constexpr (std::is_integral_v<U> && sizeof(U) >= 8)
        return TPropKind::Int64;
    else if constexpr (std::is_integral_v<U>)
        return TPropKind::Integer;
    else if constexpr (std::is_floating_point_v<U>)
        return TPropKind::Float;
    else if constexpr (std::is_same_v<U, String>)
        return TPropKind::String;
    else if constexpr (std::is_pointer_v<U> && std::is_base_of_v<TStrings, std::remove_pointer_t<U>>)
        return TPropKind::Strings;
    else if constexpr (std::is_pointer_v<U>)
        return TPropKind::Component;
    else
        static_assert(sizeof(U) == 0, "this type cannot be a published property");
}

template <class T>
TPropValue ToValue(const T& V)
{
    using U = std::remove_cv_t<T>;
    constexpr TPropKind k = KindOf<U>();
    if constexpr (k == TPropKind::Set)
        return static_cast<Int64>(V.bits());
    else if constexpr (k == TPropKind::Currency)
        return V.Raw();
    else if constexpr (k == TPropKind::Float)
        return static_cast<Double>(V);
    else if constexpr (k == TPropKind::String)
        return V;
    else if constexpr (k == TPropKind::Strings)
        return static_cast<TStrings*>(V);
    else if constexpr (k == TPropKind::Component)
        return static_cast<TObject*>(const_cast<std::remove_const_t<std::remove_pointer_t<U>>*>(V));
    else
        return static_cast<Int64>(V);
}

template <class T>
T FromValue(const TPropValue& V)
{
    using U = std::remove_cv_t<T>;
    constexpr TPropKind k = KindOf<U>();
    if constexpr (k == TPropKind::Set)
        return U::FromBits(static_cast<UInt64>(ValueAsInt(V)));
    else if constexpr (k == TPropKind::Currency)
        return Currency::FromRaw(ValueAsInt(V));
    else if constexpr (k == TPropKind::Float)
        return static_cast<U>(ValueAsFloat(V));
    else if constexpr (k == TPropKind::String)
        return ValueAsString(V);
    else if constexpr (k == TPropKind::Boolean)
        return ValueAsInt(V) != 0;
    else if constexpr (k == TPropKind::Strings)
        return nullptr; // string lists are filled in place, never replaced
    else if constexpr (k == TPropKind::Component) {
        TObject* o = ValueAsObject(V);
        return o ? dynamic_cast<U>(o) : nullptr;
    } else
        return static_cast<U>(ValueAsInt(V));
}

template <class T>
constexpr TClass (*ClassOfPointee())()
{
    using P = std::remove_cv_t<std::remove_pointer_t<std::remove_cv_t<T>>>;
    if constexpr (std::is_pointer_v<std::remove_cv_t<T>> && std::is_base_of_v<TObject, P>)
        return &P::StaticClass;
    else
        return nullptr;
}

template <class C, class G, class S>
class TAccessorProp final : public TPropInfo {
public:
    using T = std::decay_t<std::invoke_result_t<G, const C*>>;
    TAccessorProp(G Get, S Set) : FGet(Get), FSet(Set) {}
    TPropValue GetValue(const TObject* Instance) const override
    {
        return ToValue<T>(std::invoke(FGet, static_cast<const C*>(Instance)));
    }
    void SetValue(TObject* Instance, const TPropValue& Value) const override
    {
        if constexpr (std::is_null_pointer_v<S>)
            throw EPropertyError("Property " + Name + " is read-only");
        else
            std::invoke(FSet, static_cast<C*>(Instance), FromValue<T>(Value));
    }

private:
    G FGet;
    S FSet;
};

template <class C, class T>
class TFieldProp final : public TPropInfo {
public:
    explicit TFieldProp(T C::*Field) : FField(Field) {}
    TPropValue GetValue(const TObject* Instance) const override
    {
        return ToValue<T>(static_cast<const C*>(Instance)->*FField);
    }
    void SetValue(TObject* Instance, const TPropValue& Value) const override
    {
        static_cast<C*>(Instance)->*FField = FromValue<T>(Value);
    }

private:
    T C::*FField;
};

template <class C, class G>
class TSubObjectProp final : public TPropInfo {
public:
    explicit TSubObjectProp(G Get) : FGet(Get) {}
    TPropValue GetValue(const TObject* Instance) const override
    {
        auto* p = std::invoke(FGet, static_cast<const C*>(Instance));
        return static_cast<TObject*>(const_cast<std::remove_const_t<std::remove_pointer_t<decltype(p)>>*>(p));
    }
    void SetValue(TObject*, const TPropValue&) const override
    {
        throw EPropertyError("Property " + Name + " is an object and is set through its own properties");
    }

private:
    G FGet;
};

template <class C, class... A>
class TEventProp final : public TPropInfo {
public:
    explicit TEventProp(TEvent<A...> C::*Member) : FMember(Member) {}
    TPropValue GetValue(const TObject* Instance) const override { return GetHandlerName(Instance); }
    void SetValue(TObject* Instance, const TPropValue& Value) const override
    {
        if (!ValueAsString(Value).empty())
            throw EPropertyError("Event " + Name + " is bound to a method, not set from text");
        (static_cast<C*>(Instance)->*FMember).Clear();
    }
    String GetHandlerName(const TObject* Instance) const override
    {
        return (static_cast<const C*>(Instance)->*FMember).Name();
    }
    void SetHandler(TObject* Instance, const TMethodInfo* Method, TObject* Target) const override
    {
        auto& ev = static_cast<C*>(Instance)->*FMember;
        if (!Method) {
            ev.Clear();
            return;
        }
        if (Method->Signature != std::type_index(typeid(void(A...))))
            throw EPropertyError("Method " + Method->Name + " does not match event " + Name);
        ev.Assign(std::any_cast<std::function<void(A...)>>(Method->Bind(Target)), Method->Name);
    }
    const std::type_info* EventSignature() const override { return &typeid(void(A...)); }
    void SetHandlerName(TObject* Instance, const String& HandlerName) const override
    {
        (static_cast<C*>(Instance)->*FMember).AssignName(HandlerName);
    }

private:
    TEvent<A...> C::*FMember;
};

} // namespace detail

// ---------------------------------------------------------------------------------------------
// The builder used inside QOR_PUBLISH

template <class C>
class TPropBuilder {
public:
    explicit TPropBuilder(TPropInfo& Info) : FInfo(Info) {}

    // The value the constructor gives the property; equal values are not written.
    template <class V>
    TPropBuilder& Default(const V& Value)
    {
        FInfo.HasDefault = true;
        if constexpr (std::is_same_v<V, std::nullptr_t>)
            FInfo.DefaultValue = static_cast<TObject*>(nullptr);
        else if constexpr (std::is_convertible_v<V, String> && !std::is_arithmetic_v<V>)
            FInfo.DefaultValue = String(Value);
        else if constexpr (std::is_floating_point_v<V>)
            FInfo.DefaultValue = static_cast<Double>(Value);
        else if constexpr (std::is_same_v<V, Currency>)
            FInfo.DefaultValue = Value.Raw();
        else
            FInfo.DefaultValue = detail::ToValue<V>(Value);
        return *this;
    }
    // Always written, whatever its value.
    TPropBuilder& NoDefault()
    {
        FInfo.NoDefault = true;
        return *this;
    }
    // Kept for the inspector only: never written, and a value in an older form file is read and
    // dropped.
    TPropBuilder& Obsolete()
    {
        FInfo.Obsolete = true;
        return Stored(false);
    }
    TPropBuilder& Stored(bool Value)
    {
        FInfo.StoredRule = [Value](const TObject*) { return Value; };
        return *this;
    }
    template <class B>
    TPropBuilder& Stored(bool (B::*Predicate)() const)
    {
        FInfo.StoredRule = [Predicate](const TObject* o) { return (static_cast<const C*>(o)->*Predicate)(); };
        return *this;
    }
    TPropBuilder& Idents(const TIntIdentMap& Map)
    {
        FInfo.Idents = &Map;
        return *this;
    }

private:
    TPropInfo& FInfo;
};

template <class C>
class TClassBuilder {
public:
    explicit TClassBuilder(TClassInfo& Info) : FInfo(Info) {}

    // A property read by Get (a const member function) and written by Set (a member function taking
    // the value; nullptr for read-only).
    template <class G, class S>
    TPropBuilder<C> Property(const char* Name, G Get, S Set)
    {
        using T = std::decay_t<std::invoke_result_t<G, const C*>>;
        auto p = std::make_unique<detail::TAccessorProp<C, G, S>>(Get, Set);
        p->ReadOnly = std::is_null_pointer_v<S>;
        return Add(Name, std::move(p), Describe<T>());
    }
    // A property kept in a data member.
    template <class B, class T>
    TPropBuilder<C> Property(const char* Name, T B::*Field)
    {
        return Add(Name, std::make_unique<detail::TFieldProp<C, T>>(static_cast<T C::*>(Field)), Describe<T>());
    }
    // An object the instance owns (a TPersistent or a TStrings), streamed through its own properties.
    template <class G>
    TPropBuilder<C> SubObject(const char* Name, G Get)
    {
        using P = std::decay_t<std::invoke_result_t<G, const C*>>;
        using T = std::remove_cv_t<std::remove_pointer_t<P>>;
        if constexpr (std::is_base_of_v<TStrings, T>) {
            auto p = std::make_unique<detail::TAccessorProp<C, G, std::nullptr_t>>(Get, nullptr);
            p->ReadOnly = true;
            return Add(Name, std::move(p), {TPropKind::Strings, nullptr, nullptr});
        } else {
            auto p = std::make_unique<detail::TSubObjectProp<C, G>>(Get);
            p->ReadOnly = true;
            return Add(Name, std::move(p), {TPropKind::SubObject, nullptr, &T::StaticClass});
        }
    }
    template <class B, class... A>
    TPropBuilder<C> Event(const char* Name, TEvent<A...> B::*Member)
    {
        return Add(Name, std::make_unique<detail::TEventProp<C, A...>>(static_cast<TEvent<A...> C::*>(Member)),
                   {TPropKind::Method, nullptr, nullptr});
    }
    // A method that events can be bound to by name.
    template <class B, class... A>
    void Method(const char* Name, void (B::*M)(A...))
    {
        FInfo.Methods.push_back(TMethodInfo{
            Name, std::type_index(typeid(void(A...))), [M](TObject* Instance) -> std::any {
                C* target = static_cast<C*>(Instance);
                return std::function<void(A...)>([target, M](A... a) { (target->*M)(std::forward<A>(a)...); });
            }});
    }

private:
    struct TDescription {
        TPropKind Kind;
        const TEnumInfo* EnumType;
        TClass (*ObjectClassOf)();
    };
    template <class T>
    static TDescription Describe()
    {
        constexpr TPropKind k = detail::KindOf<T>();
        if constexpr (k == TPropKind::Enumeration)
            return {k, TEnumTraits<T>::Info(), nullptr};
        else if constexpr (k == TPropKind::Set)
            return {k, TEnumTraits<typename detail::IsTSet<T>::Enum>::Info(), nullptr};
        else if constexpr (k == TPropKind::Boolean)
            return {k, BooleanEnumInfo(), nullptr};
        else if constexpr (k == TPropKind::Component)
            return {k, nullptr, detail::ClassOfPointee<T>()};
        else
            return {k, nullptr, nullptr};
    }
    TPropBuilder<C> Add(const char* Name, std::unique_ptr<TPropInfo> P, TDescription D)
    {
        P->Name = Name;
        P->Kind = D.Kind;
        P->EnumType = D.EnumType;
        P->ObjectClassOf = D.ObjectClassOf;
        TPropInfo& ref = *P;
        FInfo.Properties.push_back(std::move(P));
        return TPropBuilder<C>(ref);
    }

    TClassInfo& FInfo;
};

namespace detail {

template <class C>
TClassInfo* MakeClassInfo(const char* Name, TClass Parent, void (*Publish)(TClassBuilder<C>&))
{
    auto* info = new TClassInfo; // lives as long as the program
    info->Name = Name;
    info->Parent = Parent;
    if constexpr (!std::is_abstract_v<C>) {
        if constexpr (std::is_base_of_v<TComponent, C> && std::is_constructible_v<C, TComponent*>)
            info->NewComponent = [](TComponent* Owner) -> TComponent* { return Create<C>(Owner); };
        if constexpr (std::is_default_constructible_v<C>)
            info->NewObject = []() -> TObject* { return new C(); };
        if constexpr (std::is_constructible_v<C, TCollection*>)
            info->NewCollectionItem = [](TCollection* Owner) -> TObject* { return new C(Owner); };
    }
    TClassBuilder<C> b(*info);
    Publish(b);
    return info;
}

struct TClassAutoRegister {
    explicit TClassAutoRegister(TClass AClass) { RegisterClass(AClass); }
};

} // namespace detail

// In the class's .cpp, at namespace qor scope, followed by a body that publishes through `b`.
#define QOR_PUBLISH(Class)                                                                        \
    static void QorPublish_##Class(::qor::TClassBuilder<Class>& b);                              \
    ::qor::TClass Class::StaticClass()                                                           \
    {                                                                                            \
        static const ::qor::TClassInfo* info = ::qor::detail::MakeClassInfo<Class>(              \
            #Class, Class::inherited::StaticClass(), &QorPublish_##Class);                      \
        return info;                                                                             \
    }                                                                                            \
    static const ::qor::detail::TClassAutoRegister QorRegister_##Class(Class::StaticClass());    \
    static void QorPublish_##Class([[maybe_unused]] ::qor::TClassBuilder<Class>& b)

} // namespace qor
