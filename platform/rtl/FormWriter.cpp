#include "platform/rtl/Collection.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/FormText.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace qor {

// ---------------------------------------------------------------------------------------------
// The saver: turns components into the parsed form of a form file

class TFormSaver {
public:
    TFormSaver() { FWriter.FSaver = this; }

    TFormObject Save(TComponent* Root) { return SaveOne(Root, Root); }

    // Component of Root and its children (Root itself for a whole form file).
    TFormObject SaveOne(TComponent* Root, TComponent* Component)
    {
        FRoot = Root;
        FWriter.FRoot = Root;
        TFormObject node = Header(Component);
        FCurrent = &node;
        WriteOne(Component);
        return node;
    }

    void WriteOne(TComponent* Component)
    {
        Component->SetComponentStateFlag(csWriting, true);
        try {
            Component->WriteState(FWriter);
        } catch (...) {
            Component->SetComponentStateFlag(csWriting, false);
            throw;
        }
        Component->SetComponentStateFlag(csWriting, false);
    }

    void WriteData(TComponent* Instance)
    {
        TFormObject* node = FCurrent;
        WriteProperties(Instance, String(), node->Properties);
        Instance->GetChildren(
            [&](TComponent* Child) {
                TFormObject childNode = Header(Child);
                FCurrent = &childNode;
                WriteOne(Child);
                FCurrent = node;
                node->Children.push_back(std::move(childNode));
            },
            FRoot);
    }

    TWriter FWriter;

private:
    static TFormObject Header(TComponent* C)
    {
        TFormObject o;
        o.Inherited = C->ComponentState().Contains(csAncestor);
        o.Name = C->Name();
        o.ClassName = C->ClassName();
        return o;
    }

    void WriteProperties(TObject* Obj, const String& Prefix, std::vector<TFormProperty>& Out)
    {
        for (const TPropInfo* p : Obj->ClassType()->AllProperties()) {
            if (!p->IsStored(Obj))
                continue;
            switch (p->Kind) {
            case TPropKind::SubObject: {
                TObject* sub = detail::ValueAsObject(p->GetValue(Obj));
                if (!sub)
                    break;
                if (auto* coll = dynamic_cast<TCollection*>(sub)) {
                    if (coll->Count() == 0)
                        break;
                    TFormValue v;
                    v.Kind = TValueType::vaCollection;
                    for (Integer i = 0; i < coll->Count(); ++i) {
                        std::vector<TFormProperty> props;
                        WriteProperties(coll->Items(i), String(), props);
                        v.CollectionItems.push_back(std::move(props));
                    }
                    Out.push_back({Prefix + p->Name, std::move(v), 0});
                } else {
                    WriteProperties(sub, Prefix + p->Name + ".", Out);
                }
                break;
            }
            case TPropKind::Strings: {
                auto value = p->GetValue(Obj);
                auto* list = std::get_if<TStrings*>(&value);
                if (!list || !*list || (*list)->Count() == 0)
                    break;
                TFormValue v;
                v.Kind = TValueType::vaList;
                for (Integer i = 0; i < (*list)->Count(); ++i) {
                    TFormValue s;
                    s.Kind = TValueType::vaString;
                    s.Text = (*list)->Get(i);
                    v.Items.push_back(std::move(s));
                }
                Out.push_back({Prefix + p->Name + ".Strings", std::move(v), 0});
                break;
            }
            default:
                if (p->ReadOnly || p->IsDefault(Obj))
                    break;
                if (auto v = ScalarValue(p, Obj))
                    Out.push_back({Prefix + p->Name, std::move(*v), 0});
                break;
            }
        }
        if (auto* persistent = dynamic_cast<TPersistent*>(Obj)) {
            std::vector<TFormProperty>* saved = FDefinedOut;
            String savedPrefix = FWriter.FPrefix;
            FDefinedOut = &Out;
            FWriter.FPrefix = Prefix;
            persistent->DefineProperties(FWriter);
            FDefinedOut = saved;
            FWriter.FPrefix = savedPrefix;
        }
    }

    std::optional<TFormValue> ScalarValue(const TPropInfo* P, TObject* Obj)
    {
        TFormValue v;
        const TPropValue value = P->GetValue(Obj);
        switch (P->Kind) {
        case TPropKind::Integer:
        case TPropKind::Int64: {
            const Int64 i = detail::ValueAsInt(value);
            if (P->Idents)
                for (const auto& id : *P->Idents)
                    if (id.Value == i) {
                        v.Kind = TValueType::vaIdent;
                        v.Text = id.Name;
                        return v;
                    }
            v.Kind = TValueType::vaInteger;
            v.Int = i;
            return v;
        }
        case TPropKind::Float:
            if (!std::isfinite(detail::ValueAsFloat(value)))
                throw EWriteError("Property " + P->Name + " of " + Obj->ClassName() + " has the value " +
                                  PropValueText(P, Obj, FRoot) + ", which cannot be stored");
            [[fallthrough]];
        case TPropKind::Currency:
            v.Kind = TValueType::vaFloat;
            v.Text = PropValueText(P, Obj, FRoot);
            return v;
        case TPropKind::String:
        case TPropKind::Char:
            v.Kind = TValueType::vaString;
            v.Text = PropValueText(P, Obj, FRoot);
            return v;
        case TPropKind::Boolean:
        case TPropKind::Enumeration:
        case TPropKind::Method:
            v.Kind = TValueType::vaIdent;
            v.Text = PropValueText(P, Obj, FRoot);
            return v.Text.empty() ? std::nullopt : std::optional<TFormValue>(std::move(v));
        case TPropKind::Component: {
            auto* c = dynamic_cast<TComponent*>(detail::ValueAsObject(value));
            if (!c || c->Name().empty())
                return std::nullopt; // an unnamed component cannot be found again
            v.Kind = TValueType::vaIdent;
            v.Text = PropValueText(P, Obj, FRoot);
            return v;
        }
        case TPropKind::Set: {
            v.Kind = TValueType::vaSet;
            const UInt64 bits = static_cast<UInt64>(detail::ValueAsInt(value));
            for (Integer i = 0; i < P->EnumType->Count() && i < 64; ++i)
                if (bits & (UInt64(1) << i))
                    v.Names.push_back(P->EnumType->Name(i));
            return v;
        }
        default:
            return std::nullopt;
        }
    }

    friend class TWriter;
    TComponent* FRoot = nullptr;
    TFormObject* FCurrent = nullptr;
    std::vector<TFormProperty>* FDefinedOut = nullptr;
};

// ---------------------------------------------------------------------------------------------
// TWriter

TWriter::~TWriter() = default;

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData)
{
    if (!HasData || !WriteData || !FSaver || !FSaver->FDefinedOut)
        return;
    FStack.clear();
    FResult.reset();
    WriteData(*this);
    if (!FStack.empty())
        throw EWriteError("Property " + Name + " left a list open");
    if (!FResult)
        return;
    FSaver->FDefinedOut->push_back({FPrefix + Name, std::move(*FResult), 0});
    FResult.reset();
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc&, const TStreamProc& WriteData, bool HasData)
{
    if (!HasData || !WriteData || !FSaver || !FSaver->FDefinedOut)
        return;
    TMemoryStream stream;
    WriteData(stream);
    TFormValue v;
    v.Kind = TValueType::vaBinary;
    const auto* bytes = static_cast<const Byte*>(stream.Memory());
    v.Bytes.assign(bytes, bytes + stream.Size());
    FSaver->FDefinedOut->push_back({FPrefix + Name, std::move(v), 0});
}

void TWriter::Append(TFormValue Value)
{
    if (!FStack.empty()) {
        FStack.back()->Items.push_back(std::move(Value));
        return;
    }
    if (FResult)
        throw EWriteError("A stored property writes a single value (use a list for more)");
    FResult = std::make_unique<TFormValue>(std::move(Value));
}

void TWriter::WriteInteger(Int64 Value)
{
    TFormValue v;
    v.Kind = TValueType::vaInteger;
    v.Int = Value;
    Append(std::move(v));
}

void TWriter::WriteFloat(Double Value)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, Value);
    if (!std::isfinite(Value))
        throw EWriteError("The value " + String(buf, r.ptr) + " cannot be stored");
    TFormValue v;
    v.Kind = TValueType::vaFloat;
    v.Float = Value;
    v.Text.assign(buf, r.ptr);
    Append(std::move(v));
}

void TWriter::WriteCurrency(Currency Value)
{
    TFormValue v;
    v.Kind = TValueType::vaFloat;
    v.Float = Value.ToDouble();
    v.Text = CurrencyRawToText(Value.Raw());
    Append(std::move(v));
}

void TWriter::WriteString(const String& Value)
{
    TFormValue v;
    v.Kind = TValueType::vaString;
    v.Text = Value;
    Append(std::move(v));
}

void TWriter::WriteIdent(const String& Value)
{
    if (!Value.empty() && !IsFormIdent(Value))
        throw EWriteError("'" + Value + "' is not an identifier");
    TFormValue v;
    v.Kind = TValueType::vaIdent;
    v.Text = Value;
    Append(std::move(v));
}

void TWriter::WriteBoolean(bool Value) { WriteIdent(Value ? "True" : "False"); }

void TWriter::WriteListBegin()
{
    auto list = std::make_unique<TFormValue>();
    list->Kind = TValueType::vaList;
    FStack.push_back(std::move(list));
}

void TWriter::WriteListEnd()
{
    if (FStack.empty())
        throw EWriteError("No list to end");
    std::unique_ptr<TFormValue> list = std::move(FStack.back());
    FStack.pop_back();
    Append(std::move(*list));
}

// A component writes itself through the writer by default (it lives here with the writer it calls).
void TComponent::WriteState(TWriter& Writer) { Writer.WriteData(this); }

void TWriter::WriteData(TComponent* Instance) { FSaver->WriteData(Instance); }

// ---------------------------------------------------------------------------------------------
// Entry points

String WriteComponentToText(TComponent* Root)
{
    TFormSaver saver;
    return PrintFormText(saver.Save(Root));
}

String WriteComponentsToText(TComponent* Root, const std::vector<TComponent*>& Components)
{
    String out;
    for (TComponent* c : Components) {
        TFormSaver saver;
        out += PrintFormText(saver.SaveOne(Root, c));
    }
    return out;
}

void WriteComponent(TStream& Stream, TComponent* Instance)
{
    const String text = WriteComponentToText(Instance);
    Stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

} // namespace qor
