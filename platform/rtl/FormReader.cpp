#include "platform/rtl/Collection.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FormText.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <filesystem>
#include <fstream>
#include <new>
#include <sstream>

namespace qor {

// ---------------------------------------------------------------------------------------------
// The loader: maps a parsed form file onto components

class TFormLoader {
public:
    explicit TFormLoader(const String& SourceName, const String& BaseDirectory = {})
    {
        FReader.FLoader = this;
        FReader.FSourceName = SourceName;
        FReader.FBaseDirectory = BaseDirectory;
    }

    TComponent* Load(const TFormObject& Tree, TComponent* ExistingRoot, TComponent* Owner)
    {
        TComponent* root = ExistingRoot;
        std::vector<TComponent*> existing;
        try {
            FLine = Tree.Line;
            if (root) {
                CheckRootClass(Tree, root);
                for (Integer i = 0; i < root->ComponentCount(); ++i)
                    existing.push_back(root->Components(i));
                if (Tree.Inherited) {
                    root->SetComponentStateFlag(csAncestor, true);
                    for (TComponent* c : existing)
                        c->SetComponentStateFlag(csAncestor, true);
                }
            } else {
                root = NewComponent(Tree, Owner);
                FCreatedRoot = root;
            }
            FRoot = root;
            FReader.FRoot = root;
            BeginReading(root);
            if (!Tree.Name.empty() && root->Name() != Tree.Name)
                root->SetName(Tree.Name);
            AddModule(root);
            FObjects.push_back(&Tree);
            root->ReadState(FReader);
            FObjects.pop_back();
            ResolveFixups();
        } catch (...) {
            Abandon(existing);
            Rethrow();
        }
        FinishReading(existing);
        return root;
    }

    // Ends the reading of what was read and lets each component finish loading; a component that
    // cannot fails the whole read.
    void FinishReading(const std::vector<TComponent*>& Existing)
    {
        try {
            for (TComponent* c : FRead)
                c->SetComponentStateFlag(csReading, false);
            for (TComponent* c : FRead)
                c->Loaded();
        } catch (...) {
            Abandon(Existing);
            throw;
        }
    }

    // Objects pasted into Root: see ReadComponentsIntoRoot.
    std::vector<TComponent*> Paste(const TFormObject& Wrapper, TComponent* Root,
                                   const std::function<void(TComponent*)>& Place)
    {
        FRoot = Root;
        FReader.FRoot = Root;
        FPasting = true;
        std::vector<TComponent*> top;
        try {
            for (const TFormObject& obj : Wrapper.Children) {
                FLine = obj.Line;
                TComponent* c = NewComponent(obj, Root);
                top.push_back(c);
                BeginReading(c);
                if (!obj.Name.empty())
                    c->SetName(FreeName(obj.Name));
                Place(c);
                FObjects.push_back(&obj);
                c->ReadState(FReader);
                FObjects.pop_back();
            }
            ResolveFixups();
        } catch (const EAbort&) {
            Abandon({});
            throw;
        } catch (...) {
            Abandon({});
            Rethrow();
        }
        FinishReading({});
        return top;
    }

    // The properties and children of the object being read, applied to Instance.
    void ReadData(TComponent* Instance)
    {
        const TFormObject& obj = *FObjects.back();
        for (const auto& p : obj.Properties)
            ApplyProperty(Instance, p);
        for (const auto& child : obj.Children)
            ReadChild(Instance, child);
    }

    TReader FReader;

private:
    struct TFixup {
        TObject* Instance;
        const TPropInfo* Prop;
        String Name;
        Integer Line;
        std::vector<TCollection*> Within; // collections whose items hold Instance
    };

    [[noreturn]] void Error(const String& Message) const { FormError(FReader.FSourceName, FLine, Message); }

    void CheckRootClass(const TFormObject& Tree, TComponent* Root)
    {
        for (TClass c = Root->ClassType(); c; c = c->Parent)
            if (SameText(c->Name, Tree.ClassName))
                return;
        Error("Class " + Tree.ClassName + " does not match the root's class " + Root->ClassName());
    }

    TComponent* NewComponent(const TFormObject& Obj, TComponent* Owner)
    {
        TClass cls = GetClass(Obj.ClassName);
        if (!cls)
            Error("Class " + Obj.ClassName + " not found");
        if (!cls->NewComponent)
            Error("Class " + Obj.ClassName + " is not a component that can be created by name");
        TComponent* c = cls->NewComponent(Owner);
        FCreated.push_back(c);
        return c;
    }

    void BeginReading(TComponent* C)
    {
        C->SetComponentStateFlag(csLoading, true);
        C->SetComponentStateFlag(csReading, true);
        FRead.push_back(C);
    }

    void ReadChild(TComponent* Parent, const TFormObject& Obj)
    {
        FLine = Obj.Line;
        TComponent* child = nullptr;
        if (Obj.Inherited && !FPasting) {
            child = SameText(FRoot->Name(), Obj.Name) ? FRoot : FRoot->FindComponent(Obj.Name);
            if (!child)
                Error("Ancestor component " + Obj.Name + " not found");
            if (!SameText(child->ClassName(), Obj.ClassName))
                Error("Ancestor component " + Obj.Name + " is a " + child->ClassName() + ", not a " + Obj.ClassName);
            BeginReading(child);
        } else {
            child = NewComponent(Obj, FRoot);
            BeginReading(child);
            if (!Obj.Name.empty())
                child->SetName(FPasting ? FreeName(Obj.Name) : Obj.Name);
            child->SetParentComponent(Parent);
        }
        FObjects.push_back(&Obj);
        child->ReadState(FReader);
        FObjects.pop_back();
    }

    // Walks a dotted path through sub-objects; answers the object that holds the last name.
    TObject* WalkPath(TObject* Instance, const String& Path, String& Last)
    {
        TObject* obj = Instance;
        size_t start = 0;
        for (;;) {
            size_t dot = Path.find('.', start);
            if (dot == String::npos) {
                Last = Path.substr(start);
                return obj;
            }
            String seg = Path.substr(start, dot - start);
            const TPropInfo* p = obj->ClassType()->FindProperty(seg);
            if (p && p->Kind == TPropKind::Strings && SameText(Path.substr(dot + 1), "Strings")) {
                Last = seg;
                return obj;
            }
            if (!p || p->Kind != TPropKind::SubObject)
                Error("Property " + seg + " does not exist in " + obj->ClassName());
            TObject* sub = detail::ValueAsObject(p->GetValue(obj));
            if (!sub)
                Error("Property " + seg + " of " + obj->ClassName() + " has no object");
            obj = sub;
            start = dot + 1;
        }
    }

    void ApplyProperty(TObject* Instance, const TFormProperty& P)
    {
        FLine = P.Line;
        String last;
        TObject* obj = WalkPath(Instance, P.Path, last);
        const TPropInfo* prop = obj->ClassType()->FindProperty(last);
        if (prop && prop->Obsolete)
            return;
        if (prop) {
            try {
                SetValue(obj, prop, P.Value);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                FLine = P.Line;
                Error("Error reading " + P.Path + ": " + e.Message());
            }
            return;
        }
        auto* persistent = dynamic_cast<TPersistent*>(obj);
        if (persistent) {
            FReader.FPropName = last;
            FReader.FValue = &P.Value;
            FReader.FHandled = false;
            FReader.FCursor.clear();
            FReader.FTopTaken = false;
            try {
                persistent->DefineProperties(FReader);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                FLine = P.Line;
                Error("Error reading " + P.Path + ": " + e.Message());
            }
            const bool handled = FReader.FHandled;
            FReader.FValue = nullptr;
            FReader.FPropName.clear();
            if (handled)
                return;
        }
        Error("Property " + last + " does not exist in " + obj->ClassName());
    }

    [[noreturn]] void BadValue(const TPropInfo* Prop, const TFormValue& V)
    {
        FLine = V.Line;
        String shown = V.Kind == TValueType::vaIdent || V.Kind == TValueType::vaInteger ||
                               V.Kind == TValueType::vaFloat
                           ? " '" + V.Text + (V.Kind == TValueType::vaInteger && V.Text.empty() ? std::to_string(V.Int) : "") + "'"
                           : String();
        Error("Invalid value" + shown + " for property " + Prop->Name);
    }

    // Sets a published property from its form-file value, one step per kind of property.
    void SetValue(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        switch (Prop->Kind) {
        case TPropKind::Integer:
        case TPropKind::Int64:
            return SetInteger(Obj, Prop, V);
        case TPropKind::Float:
            return SetFloat(Obj, Prop, V);
        case TPropKind::Currency:
            return SetCurrency(Obj, Prop, V);
        case TPropKind::String:
            if (V.Kind != TValueType::vaString)
                BadValue(Prop, V);
            return Prop->SetValue(Obj, V.Text);
        case TPropKind::Boolean:
        case TPropKind::Enumeration:
            return SetEnumeration(Obj, Prop, V);
        case TPropKind::Set:
            return SetSet(Obj, Prop, V);
        case TPropKind::Char:
            return SetChar(Obj, Prop, V);
        case TPropKind::Component:
            return SetReference(Obj, Prop, V);
        case TPropKind::Method:
            return BindHandler(Obj, Prop, V);
        case TPropKind::Strings:
            return ReadStrings(Obj, Prop, V);
        case TPropKind::SubObject:
            return ReadCollection(Obj, Prop, V);
        }
    }

    // A number, or an identifier of the property's (colours: clWhite); Integer properties hold 32 bits.
    void SetInteger(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        Int64 value = 0;
        if (V.Kind == TValueType::vaInteger) {
            value = V.Int;
        } else if (V.Kind == TValueType::vaIdent && Prop->Idents) {
            auto it = std::find_if(Prop->Idents->begin(), Prop->Idents->end(),
                                   [&](const TIntIdent& id) { return SameText(id.Name, V.Text); });
            if (it == Prop->Idents->end())
                BadValue(Prop, V);
            value = it->Value;
        } else {
            BadValue(Prop, V);
        }
        if (Prop->Kind == TPropKind::Integer && (value < INT32_MIN || value > INT32_MAX))
            BadValue(Prop, V);
        Prop->SetValue(Obj, value);
    }

    void SetFloat(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind == TValueType::vaFloat)
            Prop->SetValue(Obj, V.Float);
        else if (V.Kind == TValueType::vaInteger)
            Prop->SetValue(Obj, static_cast<Double>(V.Int));
        else
            BadValue(Prop, V);
    }

    // Currency is read from the number's text, so no binary fraction comes in between.
    void SetCurrency(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind != TValueType::vaFloat && V.Kind != TValueType::vaInteger)
            BadValue(Prop, V);
        Prop->SetValue(Obj, ParseCurrencyRaw(V.Text.empty() ? std::to_string(V.Int) : V.Text));
    }

    void SetEnumeration(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        Integer o = V.Kind == TValueType::vaIdent ? Prop->EnumType->Ordinal(V.Text) : -1;
        if (o < 0)
            BadValue(Prop, V);
        Prop->SetValue(Obj, static_cast<Int64>(o));
    }

    void SetSet(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind != TValueType::vaSet)
            BadValue(Prop, V);
        UInt64 bits = 0;
        for (const auto& n : V.Names) {
            Integer o = Prop->EnumType->Ordinal(n);
            if (o < 0 || o >= 64) {
                FLine = V.Line;
                Error("Invalid value '" + n + "' in set property " + Prop->Name);
            }
            bits |= UInt64(1) << o;
        }
        Prop->SetValue(Obj, static_cast<Int64>(bits));
    }

    // A string of exactly one UTF-16 unit.
    void SetChar(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        WideString w = V.Kind == TValueType::vaString ? Utf8ToUtf16(V.Text) : WideString();
        if (w.size() != 1)
            BadValue(Prop, V);
        Prop->SetValue(Obj, static_cast<Int64>(w[0]));
    }

    // nil at once; a name once the whole root is read (ResolveFixups).
    void SetReference(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind != TValueType::vaIdent)
            BadValue(Prop, V);
        if (SameText(V.Text, "nil"))
            Prop->SetValue(Obj, static_cast<TObject*>(nullptr));
        else
            FFixups.push_back({Obj, Prop, V.Text, V.Line, FFilling});
    }

    // An event: the root's published method of that name.
    void BindHandler(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind != TValueType::vaIdent)
            BadValue(Prop, V);
        const TMethodInfo* m = FRoot->ClassType()->FindMethod(V.Text);
        if (!m && FRoot->ComponentState().Contains(csDesigning)) {
            // a design keeps the names of handlers only its application has
            Prop->SetHandlerName(Obj, V.Text);
            return;
        }
        if (!m) {
            FLine = V.Line;
            Error("Event handler " + V.Text + " not found in " + FRoot->ClassName());
        }
        Prop->SetHandler(Obj, m, FRoot);
    }

    // A string list is filled in place from a list of strings.
    void ReadStrings(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        if (V.Kind != TValueType::vaList)
            BadValue(Prop, V);
        auto value = Prop->GetValue(Obj);
        TStrings* list = std::get_if<TStrings*>(&value) ? std::get<TStrings*>(value) : nullptr;
        if (!list)
            BadValue(Prop, V);
        list->BeginUpdate();
        list->Clear();
        for (const auto& item : V.Items) {
            if (item.Kind != TValueType::vaString) {
                list->EndUpdate();
                FLine = item.Line;
                Error("String expected in " + Prop->Name);
            }
            list->Add(item.Text);
        }
        list->EndUpdate();
    }

    // A collection is cleared and filled with one item per <item ... end>.
    void ReadCollection(TObject* Obj, const TPropInfo* Prop, const TFormValue& V)
    {
        auto* coll = dynamic_cast<TCollection*>(detail::ValueAsObject(Prop->GetValue(Obj)));
        if (!coll || V.Kind != TValueType::vaCollection)
            BadValue(Prop, V);
        // Clearing frees the items of an earlier value: forget the references read into them.
        std::erase_if(FFixups, [coll](const TFixup& f) {
            return std::find(f.Within.begin(), f.Within.end(), coll) != f.Within.end();
        });
        coll->BeginUpdate();
        FFilling.push_back(coll);
        try {
            coll->Clear();
            for (const auto& props : V.CollectionItems) {
                TCollectionItem* item = coll->Add();
                for (const auto& p : props)
                    ApplyProperty(item, p);
            }
        } catch (...) {
            FFilling.pop_back();
            coll->EndUpdate();
            throw;
        }
        FFilling.pop_back();
        coll->EndUpdate();
    }

    void ResolveFixups()
    {
        for (const auto& f : FFixups) {
            FLine = f.Line;
            TComponent* target = nullptr;
            size_t dot = f.Name.find('.');
            if (dot != String::npos) {
                if (TComponent* module = FindModule(f.Name.substr(0, dot)))
                    target = module->FindComponent(f.Name.substr(dot + 1));
            } else {
                auto renamed = FRenames.find(UpperCase(f.Name));
                const String& name = renamed == FRenames.end() ? f.Name : renamed->second;
                target = SameText(FRoot->Name(), name) ? FRoot : FRoot->FindComponent(name);
            }
            if (!target && FPasting)
                continue; // pasted into another form: what is not there stays unset
            if (!target)
                Error("Component " + f.Name + " not found (property " + f.Prop->Name + ")");
            if (f.Prop->ObjectClass() && !target->InheritsFrom(f.Prop->ObjectClass()))
                Error("Component " + f.Name + " is a " + target->ClassName() + ", not a " + f.Prop->ObjectClass()->Name);
            f.Prop->SetValue(f.Instance, static_cast<TObject*>(target));
        }
    }

    // Undoes a failed read: frees what it created, leaves what already was.
    void Abandon(const std::vector<TComponent*>& Existing)
    {
        if (FCreatedRoot) {
            RemoveModule(FCreatedRoot);
            delete FCreatedRoot; // owns everything else created
        } else {
            for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it)
                delete *it;
            for (TComponent* c : Existing) {
                c->SetComponentStateFlag(csReading, false);
                c->SetComponentStateFlag(csLoading, false);
            }
            if (FRoot) {
                FRoot->SetComponentStateFlag(csReading, false);
                FRoot->SetComponentStateFlag(csLoading, false);
            }
        }
    }

    void Rethrow()
    {
        try {
            throw;
        } catch (const EReadError&) {
            throw;
        } catch (const Exception& e) {
            FormError(FReader.FSourceName, FLine, e.Message());
        } catch (const std::bad_alloc&) {
            FormError(FReader.FSourceName, FLine, "Out of memory");
        }
    }

    // Name, or when Root has a component of that name already the first free one made of its
    // letters and a number; remembered so references follow.
    String FreeName(const String& Name)
    {
        auto taken = [&](const String& N) { return SameText(FRoot->Name(), N) || FRoot->FindComponent(N); };
        if (!taken(Name))
            return Name;
        String base = Name;
        while (!base.empty() && std::isdigit(static_cast<unsigned char>(base.back())))
            base.pop_back();
        for (Integer n = 1;; ++n) {
            String candidate = base + std::to_string(n);
            if (!taken(candidate)) {
                FRenames[UpperCase(Name)] = candidate;
                return candidate;
            }
        }
    }

    TComponent* FRoot = nullptr;
    bool FPasting = false;
    std::map<String, String> FRenames;
    TComponent* FCreatedRoot = nullptr;
    Integer FLine = 0;
    std::vector<const TFormObject*> FObjects;
    std::vector<TComponent*> FCreated;
    std::vector<TComponent*> FRead;
    std::vector<TFixup> FFixups;
    std::vector<TCollection*> FFilling; // collections whose items are being read, outermost first
};

// ---------------------------------------------------------------------------------------------
// TReader

TReader::~TReader() = default;

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool)
{
    if (FHandled || !FValue || !ReadData || !SameText(Name, FPropName))
        return;
    FHandled = true;
    ReadData(*this);
    if (!FTopTaken || !FCursor.empty())
        Error("Property " + Name + " was not read completely");
}

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc&, bool)
{
    if (FHandled || !FValue || !ReadData || !SameText(Name, FPropName))
        return;
    FHandled = true;
    if (FValue->Kind != TValueType::vaBinary)
        Error("Binary data expected for property " + Name);
    TMemoryStream stream;
    if (!FValue->Bytes.empty())
        stream.WriteBuffer(FValue->Bytes.data(), static_cast<Int64>(FValue->Bytes.size()));
    stream.SetPosition(0);
    ReadData(stream);
}

const TFormValue& TReader::Current() const
{
    static const TFormValue none;
    if (!FValue)
        return none;
    if (FCursor.empty())
        return FTopTaken ? none : *FValue;
    const auto& [list, index] = FCursor.back();
    return index < list->Items.size() ? list->Items[index] : none;
}

const TFormValue& TReader::Take()
{
    const TFormValue& v = Current();
    if (v.Kind == TValueType::vaNull)
        Error("More values expected");
    if (FCursor.empty())
        FTopTaken = true;
    else
        ++FCursor.back().second;
    return v;
}

TValueType TReader::NextValue() const { return Current().Kind; }

Integer TReader::Line() const { return FValue ? Current().Line : 0; }

void TReader::Error(const String& Message) const
{
    FormError(FSourceName, FValue ? (Current().Line ? Current().Line : FValue->Line) : 0, Message);
}

Int64 TReader::ReadInt64()
{
    const TFormValue& v = Take();
    if (v.Kind != TValueType::vaInteger)
        Error("Integer expected");
    return v.Int;
}

Integer TReader::ReadInteger()
{
    Int64 v = ReadInt64();
    if (v < INT32_MIN || v > INT32_MAX)
        Error("Integer out of range");
    return static_cast<Integer>(v);
}

Double TReader::ReadFloat()
{
    const TFormValue& v = Take();
    if (v.Kind == TValueType::vaFloat)
        return v.Float;
    if (v.Kind == TValueType::vaInteger)
        return static_cast<Double>(v.Int);
    Error("Number expected");
}

Currency TReader::ReadCurrency()
{
    const TFormValue& v = Take();
    if (v.Kind != TValueType::vaFloat && v.Kind != TValueType::vaInteger)
        Error("Number expected");
    return Currency::FromRaw(ParseCurrencyRaw(v.Text.empty() ? std::to_string(v.Int) : v.Text));
}

String TReader::ReadString()
{
    const TFormValue& v = Take();
    if (v.Kind != TValueType::vaString)
        Error("String expected");
    return v.Text;
}

String TReader::ReadIdent()
{
    const TFormValue& v = Take();
    if (v.Kind == TValueType::vaString && v.Text.empty())
        return {}; // an empty identifier is written ''
    if (v.Kind != TValueType::vaIdent)
        Error("Identifier expected");
    return v.Text;
}

bool TReader::ReadBoolean()
{
    String s = ReadIdent();
    if (SameText(s, "True"))
        return true;
    if (SameText(s, "False"))
        return false;
    Error("True or False expected");
}

void TReader::ReadListBegin()
{
    const TFormValue& v = Take();
    if (v.Kind != TValueType::vaList)
        Error("List expected");
    FCursor.emplace_back(&v, 0);
}

bool TReader::EndOfList() const
{
    if (FCursor.empty())
        return true;
    const auto& [list, index] = FCursor.back();
    return index >= list->Items.size();
}

void TReader::ReadListEnd()
{
    if (FCursor.empty())
        Error("No list to end");
    if (!EndOfList())
        Error("List has more values than were read");
    FCursor.pop_back();
}

// A component reads itself through the reader by default (it lives here with the reader it calls).
void TComponent::ReadState(TReader& Reader) { Reader.ReadData(this); }

void TReader::ReadData(TComponent* Instance) { FLoader->ReadData(Instance); }

// ---------------------------------------------------------------------------------------------
// Entry points

TComponent* ReadComponentFromText(const String& Text, TComponent* Owner, const String& SourceName,
                                  const String& BaseDirectory)
{
    TFormObject tree = ParseFormText(Text, SourceName);
    TFormLoader loader(SourceName, BaseDirectory);
    return loader.Load(tree, nullptr, Owner);
}

TComponent* ReadComponentFromFile(const String& FileName, TComponent* Owner)
{
    std::ifstream In(FileName, std::ios::binary);
    if (!In || DirectoryExists(FileName))
        throw EFOpenError("Cannot open file \"" + FileName + "\"");
    std::ostringstream Text;
    Text << In.rdbuf();
    if (In.bad())
        throw EFOpenError("Cannot read file \"" + FileName + "\"");
    std::error_code Ignored;
    const String Folder = std::filesystem::absolute(std::filesystem::path(FileName), Ignored).parent_path().string();
    return ReadComponentFromText(Text.str(), Owner, FileName, Folder);
}

void ReadComponentIntoRoot(TComponent* Root, const String& Text, const String& SourceName,
                           const String& BaseDirectory)
{
    TFormObject tree = ParseFormText(Text, SourceName);
    TFormLoader loader(SourceName, BaseDirectory);
    loader.Load(tree, Root, nullptr);
}

std::vector<TComponent*> ReadComponentsIntoRoot(TComponent* Root, const String& Text,
                                                const std::function<void(TComponent*)>& Place)
{
    // the objects become the children of a stand-in root, parsed as one form file
    TFormObject wrapper = ParseFormText("object Clipboard: TComponent\n" + Text + "\nend\n", "Clipboard");
    TFormLoader loader("Clipboard");
    return loader.Paste(wrapper, Root, Place);
}

void ReadFormResource(TComponent* Root, const String& ResourceName)
{
    auto bytes = FindResource(ResourceName);
    if (!bytes)
        throw EReadError("Resource " + ResourceName + " not found");
    ReadComponentIntoRoot(Root, String(reinterpret_cast<const char*>(bytes->data()), bytes->size()), ResourceName);
}

TComponent* ReadComponent(TStream& Stream, TComponent* Instance, TComponent* Owner)
{
    const Int64 size = Stream.Size() - Stream.Position();
    String text(static_cast<size_t>(std::max<Int64>(size, 0)), '\0');
    if (size > 0)
        Stream.ReadBuffer(text.data(), size);
    if (Instance) {
        ReadComponentIntoRoot(Instance, text);
        return Instance;
    }
    return ReadComponentFromText(text, Owner);
}

} // namespace qor
