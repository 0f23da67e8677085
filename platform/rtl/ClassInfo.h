#pragma once
// Class descriptions: the published properties, methods and enumerations of a class, what the
// class registry holds and the form files and the inspector go by. TypeInfo.h fills them in
// (QOR_PUBLISH) and reads and writes properties through them.

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

#include <any>
#include <functional>
#include <initializer_list>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <variant>
#include <vector>

namespace qor {

class TComponent;
class TCollection;
class TStrings;

// ---------------------------------------------------------------------------------------------
// Enumerations

class TEnumInfo {
public:
    TEnumInfo(String TypeName, std::initializer_list<const char*> Names);
    const String& TypeName() const { return FTypeName; }
    Integer Count() const { return static_cast<Integer>(FNames.size()); }
    // The declared spelling of an ordinal; empty when out of range.
    String Name(Int64 Ordinal) const;
    // The ordinal of a name, ignoring case; -1 when unknown.
    Integer Ordinal(const String& Name) const;

private:
    String FTypeName;
    std::vector<String> FNames;
};

// The enumeration behind Boolean properties: False, True.
const TEnumInfo* BooleanEnumInfo();

// Integer values that are written as identifiers when one names them (colours: clWhite).
struct TIntIdent {
    Integer Value;
    const char* Name;
};
using TIntIdentMap = std::vector<TIntIdent>;

// ---------------------------------------------------------------------------------------------
// Properties

enum class TPropKind : Byte {
    Integer,
    Int64,
    Float,
    Currency,
    String,
    Boolean,
    Enumeration,
    Set,
    Char,
    SubObject,   // a TPersistent owned by the instance, streamed with dotted names
    Component,   // a reference to a component, streamed by name
    Strings,     // a TStrings owned by the instance, streamed as Name.Strings = (...)
    Method       // an event, streamed as the name of its handler
};

// A property value as the registry passes it around. Ordinals (integers, enumerations, Booleans,
// characters, set bits and the raw ten-thousandths of currency) are Int64.
using TPropValue = std::variant<std::monostate, Int64, Double, String, TObject*, TStrings*>;

namespace detail {
// A value as the kind asked for: ordinals and floats convert to each other, an empty value is
// zero, empty or null; anything else raises EConvertError.
Int64 ValueAsInt(const TPropValue& V);
Double ValueAsFloat(const TPropValue& V);
String ValueAsString(const TPropValue& V);
TObject* ValueAsObject(const TPropValue& V);
} // namespace detail

struct TMethodInfo {
    String Name;
    std::type_index Signature;
    // Makes a std::function of the method's signature bound to Instance, held in a std::any.
    std::function<std::any(TObject* Instance)> Bind;
};

class TPropInfo {
public:
    virtual ~TPropInfo() = default;

    String Name;
    TPropKind Kind = TPropKind::Integer;
    const TEnumInfo* EnumType = nullptr;   // enumerations and sets
    TClass (*ObjectClassOf)() = nullptr;   // sub-objects and component references (resolved late:
                                           // a class may refer to itself)
    TClass ObjectClass() const { return ObjectClassOf ? ObjectClassOf() : nullptr; }
    const TIntIdentMap* Idents = nullptr;  // integers written as identifiers
    bool ReadOnly = false;
    bool HasDefault = false;
    bool NoDefault = false;                // always written
    bool Obsolete = false;                 // never written; a stored value is read and dropped
    TPropValue DefaultValue;
    std::function<bool(const TObject*)> StoredRule; // empty: stored

    virtual TPropValue GetValue(const TObject* Instance) const = 0;
    virtual void SetValue(TObject* Instance, const TPropValue& Value) const = 0;
    // Events: the handler's name, and binding a published method (its signature is checked).
    virtual String GetHandlerName(const TObject*) const { return {}; }
    virtual void SetHandler(TObject*, const TMethodInfo*, TObject* /*Target*/) const {}
    // Events of a design: keeps a handler's name that no published method answers (see
    // TEvent::AssignName).
    virtual void SetHandlerName(TObject*, const String& /*Name*/) const {}
    // Events: the signature a handler must have; null for other kinds.
    virtual const std::type_info* EventSignature() const { return nullptr; }

    // Whether the writer stores the value: the stored rule, then the default.
    bool IsStored(const TObject* Instance) const;
    bool IsDefault(const TObject* Instance) const;
};

struct TClassInfo {
    String Name;
    TClass Parent = nullptr;
    std::function<TComponent*(TComponent* Owner)> NewComponent;   // set for creatable components
    std::function<TObject*()> NewObject;                          // default-constructible classes
    std::function<TObject*(TCollection* Owner)> NewCollectionItem;
    std::vector<std::unique_ptr<TPropInfo>> Properties;            // this class's own, in order
    std::vector<TMethodInfo> Methods;

    bool InheritsFrom(TClass Other) const;
    // Published properties of this class and its ancestors, ancestors' first; null when unknown.
    const TPropInfo* FindProperty(const String& PropName) const;
    std::vector<const TPropInfo*> AllProperties() const;
    const TMethodInfo* FindMethod(const String& MethodName) const;
};

} // namespace qor
