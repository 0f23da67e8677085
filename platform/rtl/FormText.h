#pragma once
// The syntax of form files: parsed into a tree of objects, properties and values, and printed back.
// The reader and writer (Filer.h) map that tree onto components.

#include "platform/rtl/Filer.h"

#include <vector>

namespace qor {

struct TFormProperty;

struct TFormValue {
    TValueType Kind = TValueType::vaNull;
    Int64 Int = 0;
    Double Float = 0;
    String Text;                          // strings, identifiers; the source text of numbers
    std::vector<String> Names;            // sets
    std::vector<TFormValue> Items;        // lists
    std::vector<Byte> Bytes;              // binary data
    std::vector<std::vector<TFormProperty>> CollectionItems;
    Integer Line = 0;
};

struct TFormProperty {
    String Path; // dotted
    TFormValue Value;
    Integer Line = 0;
};

struct TFormObject {
    bool Inherited = false;
    String Name;
    String ClassName;
    Integer Line = 0;
    std::vector<TFormProperty> Properties;
    std::vector<TFormObject> Children;
};

// Parses a form file; EReadError "Line N: ..." (prefixed with SourceName when given) on bad syntax.
TFormObject ParseFormText(const String& Text, const String& SourceName);
// Prints a tree in the canonical layout (two spaces per level).
String PrintFormText(const TFormObject& Root);

// Whether S can stand as an identifier value: names joined by dots (Module.Name).
bool IsFormIdent(const String& S);

// Raises EReadError with the line and source named.
[[noreturn]] void FormError(const String& SourceName, Integer Line, const String& Message);

} // namespace qor
