#include "platform/rtl/TypeInfo.h"

#include "platform/rtl/Component.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace qor {

// ---------------------------------------------------------------------------------------------
// Sets as text

String SetToText(const TEnumInfo* Info, UInt64 Bits)
{
    String s = "[";
    bool first = true;
    for (Integer i = 0; i < Info->Count() && i < 64; ++i)
        if (Bits & (UInt64(1) << i)) {
            if (!first)
                s += ", ";
            s += Info->Name(i);
            first = false;
        }
    return s + "]";
}

UInt64 TextToSetBits(const TEnumInfo* Info, const String& Text)
{
    String t = Trim(Text);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']')
        throw EConvertError("'" + Text + "' is not a valid set of " + Info->TypeName());
    UInt64 bits = 0;
    size_t start = 1;
    while (start < t.size() - 1) {
        size_t comma = t.find(',', start);
        if (comma == String::npos || comma > t.size() - 1)
            comma = t.size() - 1;
        String item = Trim(t.substr(start, comma - start));
        if (!item.empty()) {
            Integer o = Info->Ordinal(item);
            if (o < 0 || o >= 64)
                throw EConvertError("'" + item + "' is not a value of " + Info->TypeName());
            bits |= UInt64(1) << o;
        }
        start = comma + 1;
    }
    return bits;
}

// ---------------------------------------------------------------------------------------------
// Properties as text

namespace {

String FloatText(Double V)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, V);
    return String(buf, r.ptr);
}

String IntText(const TPropInfo* P, Int64 V)
{
    if (P->Idents)
        for (const auto& id : *P->Idents)
            if (id.Value == V)
                return id.Name;
    return std::to_string(V);
}

Int64 ParseInt(const TPropInfo* P, const String& Text)
{
    String t = Trim(Text);
    if (P->Idents)
        for (const auto& id : *P->Idents)
            if (SameText(id.Name, t))
                return id.Value;
    Int64 v = 0;
    const char* b = t.data();
    const char* e = b + t.size();
    std::from_chars_result r{};
    if (!t.empty() && t[0] == '$')
        r = std::from_chars(b + 1, e, v, 16);
    else if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        r = std::from_chars(b + 2, e, v, 16);
    else
        r = std::from_chars(b, e, v);
    if (t.empty() || r.ec != std::errc() || r.ptr != e)
        throw EConvertError("'" + Text + "' is not a valid integer value");
    return v;
}

Double ParseFloat(const String& Text)
{
    String t = Trim(Text);
    Double v = 0;
    auto r = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || r.ec != std::errc() || r.ptr != t.data() + t.size() || !std::isfinite(v))
        throw EConvertError("'" + Text + "' is not a valid floating point value");
    return v;
}

} // namespace

String CurrencyRawToText(Int64 Raw)
{
    const bool neg = Raw < 0;
    const UInt64 a = neg ? UInt64(0) - static_cast<UInt64>(Raw) : static_cast<UInt64>(Raw);
    String s = std::to_string(a / 10000);
    UInt64 frac = a % 10000;
    if (frac) {
        String f = std::to_string(frac);
        f.insert(0, 4 - f.size(), '0');
        while (!f.empty() && f.back() == '0')
            f.pop_back();
        s += "." + f;
    }
    return neg ? "-" + s : s;
}

namespace {

// Holder: the object whose property refers to C.
String ComponentRefText(const TComponent* C, const TComponent* Root, const TObject* Holder)
{
    if (!C)
        return {};
    // A component in another module is named Module.Name, whoever owns that module.
    const TComponent* module = C->Owner();
    if (module && module != Root && module != Holder && Root && !module->Name().empty())
        return module->Name() + "." + C->Name();
    return C->Name();
}

} // namespace

// Used by the form reader and writer as well.
Int64 ParseCurrencyRaw(const String& Text)
{
    String t = Trim(Text);
    bool neg = false;
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+'))
        neg = t[i++] == '-';
    UInt64 whole = 0, frac = 0;
    int fracDigits = 0;
    bool digits = false;
    int firstDropped = -1;     // the first digit past the fourth place
    bool laterDropped = false; // any non-zero digit after it
    const auto invalid = [&] { return EConvertError("'" + Text + "' is not a valid currency value"); };
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, digits = true) {
        whole = whole * 10 + UInt64(t[i] - '0');
        if (whole > UInt64(922337203685477))
            throw invalid();
    }
    if (i < t.size() && t[i] == '.') {
        for (++i; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, digits = true) {
            if (fracDigits < 4) {
                frac = frac * 10 + UInt64(t[i] - '0');
                ++fracDigits;
            } else if (firstDropped < 0) {
                firstDropped = t[i] - '0';
            } else if (t[i] != '0') {
                laterDropped = true;
            }
        }
    }
    if (!digits || i != t.size())
        throw invalid();
    while (fracDigits++ < 4)
        frac *= 10;
    UInt64 units = whole * 10000 + frac;
    // Round the dropped digits to the nearest ten-thousandth, halves to even.
    if (firstDropped > 5 || (firstDropped == 5 && (laterDropped || (units & 1))))
        ++units;
    // From -922337203685477.5808 to 922337203685477.5807.
    const UInt64 limit = UInt64(INT64_MAX) + (neg ? 1 : 0);
    if (units > limit)
        throw invalid();
    return static_cast<Int64>(neg ? UInt64(0) - units : units);
}

String PropValueText(const TPropInfo* P, const TObject* Instance, const TComponent* Root)
{
    const TPropValue v = P->GetValue(Instance);
    switch (P->Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64:
        return IntText(P, detail::ValueAsInt(v));
    case TPropKind::Float:
        return FloatText(detail::ValueAsFloat(v));
    case TPropKind::Currency:
        return CurrencyRawToText(detail::ValueAsInt(v));
    case TPropKind::String:
        return detail::ValueAsString(v);
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
        return P->EnumType->Name(detail::ValueAsInt(v));
    case TPropKind::Set:
        return SetToText(P->EnumType, static_cast<UInt64>(detail::ValueAsInt(v)));
    case TPropKind::Char: {
        WideString w(1, static_cast<WideChar>(detail::ValueAsInt(v)));
        return Utf16ToUtf8(w);
    }
    case TPropKind::Component:
        return ComponentRefText(dynamic_cast<const TComponent*>(detail::ValueAsObject(v)), Root, Instance);
    case TPropKind::Method:
        return P->GetHandlerName(Instance);
    case TPropKind::Strings: {
        auto* s = std::get_if<TStrings*>(&v);
        return s && *s ? (*s)->Text() : String();
    }
    case TPropKind::SubObject: {
        TObject* o = detail::ValueAsObject(v);
        return o ? "(" + o->ClassName() + ")" : String();
    }
    }
    return {};
}

TPropValue ParsePropValueText(const TPropInfo* P, const String& Text)
{
    switch (P->Kind) {
    case TPropKind::Integer:
    case TPropKind::Int64: {
        Int64 v = ParseInt(P, Text);
        if (P->Kind == TPropKind::Integer && (v < INT32_MIN || v > INT32_MAX))
            throw EConvertError("'" + Text + "' is not a valid integer value");
        return v;
    }
    case TPropKind::Float:
        return ParseFloat(Text);
    case TPropKind::Currency:
        return ParseCurrencyRaw(Text);
    case TPropKind::String:
        return Text;
    case TPropKind::Boolean:
    case TPropKind::Enumeration: {
        Integer o = P->EnumType->Ordinal(Trim(Text));
        if (o < 0)
            throw EConvertError("'" + Text + "' is not a valid " + P->EnumType->TypeName() + " value");
        return static_cast<Int64>(o);
    }
    case TPropKind::Set:
        return static_cast<Int64>(TextToSetBits(P->EnumType, Text));
    case TPropKind::Char: {
        WideString w = Utf8ToUtf16(Text);
        if (w.size() != 1)
            throw EConvertError("'" + Text + "' is not a single character");
        return static_cast<Int64>(w[0]);
    }
    default:
        throw EConvertError("Property " + P->Name + " cannot be set from text");
    }
}

const TPropInfo* FindPropInfo(const TObject* Instance, const String& Path, TObject** Owner)
{
    const TObject* obj = Instance;
    size_t start = 0;
    while (obj) {
        size_t dot = Path.find('.', start);
        String seg = Path.substr(start, dot == String::npos ? String::npos : dot - start);
        const TPropInfo* p = obj->ClassType()->FindProperty(seg);
        if (!p)
            return nullptr;
        if (dot == String::npos) {
            if (Owner)
                *Owner = const_cast<TObject*>(obj);
            return p;
        }
        if (p->Kind != TPropKind::SubObject)
            return nullptr;
        obj = detail::ValueAsObject(p->GetValue(obj));
        start = dot + 1;
    }
    return nullptr;
}

namespace {

const TPropInfo* RequireProp(const TObject* Instance, const String& Path, TObject** Owner)
{
    const TPropInfo* p = FindPropInfo(Instance, Path, Owner);
    if (!p)
        throw EPropertyError("Property " + Path + " does not exist in " + Instance->ClassName());
    return p;
}

} // namespace

String GetPropText(const TObject* Instance, const String& Path)
{
    TObject* owner = nullptr;
    const TPropInfo* p = RequireProp(Instance, Path, &owner);
    auto* comp = dynamic_cast<const TComponent*>(Instance);
    const TComponent* root = comp ? comp->Owner() : nullptr;
    return PropValueText(p, owner, root);
}

void SetPropText(TObject* Instance, const String& Path, const String& Value, TComponent* Root)
{
    TObject* owner = nullptr;
    const TPropInfo* p = RequireProp(Instance, Path, &owner);
    if (p->ReadOnly && p->Kind != TPropKind::Strings)
        throw EPropertyError("Property " + Path + " is read-only");
    if (p->Kind == TPropKind::Strings) {
        auto v = p->GetValue(owner);
        if (auto s = std::get_if<TStrings*>(&v); s && *s)
            (*s)->SetText(Value);
        return;
    }
    if (p->Kind == TPropKind::Component) {
        String name = Trim(Value);
        TComponent* target = nullptr;
        if (!name.empty()) {
            if (!Root) {
                auto* comp = dynamic_cast<TComponent*>(Instance);
                Root = comp ? comp->Owner() : nullptr;
            }
            size_t dot = name.find('.');
            if (dot != String::npos) {
                if (TComponent* m = FindModule(name.substr(0, dot)))
                    target = m->FindComponent(name.substr(dot + 1));
            } else if (Root) {
                target = SameText(Root->Name(), name) ? Root : Root->FindComponent(name);
            }
            if (!target)
                throw EPropertyError("Component " + name + " not found");
            if (p->ObjectClass() && !target->InheritsFrom(p->ObjectClass()))
                throw EPropertyError("Component " + name + " is not a " + p->ObjectClass()->Name);
        }
        p->SetValue(owner, static_cast<TObject*>(target));
        return;
    }
    if (p->Kind == TPropKind::Method) {
        String name = Trim(Value);
        if (name.empty()) {
            p->SetHandler(owner, nullptr, nullptr);
            return;
        }
        if (!Root) {
            auto* comp = dynamic_cast<TComponent*>(Instance);
            Root = comp ? (comp->Owner() ? comp->Owner() : comp) : nullptr;
        }
        const TMethodInfo* m = Root ? Root->ClassType()->FindMethod(name) : nullptr;
        if (!m && Root && Root->ComponentState().Contains(csDesigning)) {
            if (!IsValidIdent(name))
                throw EPropertyError("'" + name + "' is not a valid method name");
            p->SetHandlerName(owner, name);
            return;
        }
        if (!m)
            throw EPropertyError("Method " + name + " not found");
        p->SetHandler(owner, m, Root);
        return;
    }
    p->SetValue(owner, ParsePropValueText(p, Value));
}

} // namespace qor
