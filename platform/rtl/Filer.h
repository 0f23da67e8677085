#pragma once
// Form files: the text in which component trees (report designs, dialogs, designer forms) are
// stored.
//
//   object SalesForm: TForm
//     Caption = 'Sales'
//     object Report1: TKivReport
//       OnBeforePrint = Report1BeforePrint
//       Lines.Strings = (
//         'first'
//         'second')
//       Options = [opOne, opTwo]
//       Picture.Data = {0A54426974}
//     end
//   end
//
// Values: integers, floats, strings ('' for a quote, #nnn for any character), identifiers
// (enumerations, True/False, component references, also Module.Name, event handlers), sets
// [a, b], lists (...), binary data {hex} and collections <item ... end>. A component that comes
// from an ancestor form is written `inherited` instead of `object`.
//
// Reading creates each object by class name, sets its Name, then its parent, then its properties;
// component references are resolved once the whole root is read, events are bound to the root's
// published methods, and only then is Loaded called on every component. Any problem is an
// EReadError naming the line; whatever the failed read created is freed.

#include "platform/rtl/Component.h"

#include <functional>
#include <memory>
#include <vector>

namespace qor {

class TStream;
struct TFormValue;
struct TFormObject;

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

enum class TValueType : Byte { vaNull, vaList, vaInteger, vaFloat, vaString, vaIdent, vaSet, vaBinary, vaCollection };

class TFiler {
public:
    virtual ~TFiler() = default;
    TComponent* Root() const { return FRoot; }

    // A property stored beyond the published ones: ReadData reads its value through the reader,
    // WriteData writes it through the writer when HasData.
    virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                                bool HasData) = 0;
    // The same for raw bytes, stored as {hex}.
    virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData,
                                      const TStreamProc& WriteData, bool HasData) = 0;

protected:
    TComponent* FRoot = nullptr;
};

class TReader final : public TFiler {
public:
    ~TReader() override;

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    // Reading the value of a defined property, item by item.
    TValueType NextValue() const;
    Int64 ReadInt64();
    Integer ReadInteger();
    Double ReadFloat();
    Currency ReadCurrency();
    String ReadString();
    String ReadIdent();
    bool ReadBoolean();
    void ReadListBegin();
    bool EndOfList() const;
    void ReadListEnd();
    // The line of the value being read, for messages.
    Integer Line() const;
    // Raises EReadError "Line N: <Message>".
    [[noreturn]] void Error(const String& Message) const;

    // Applies the properties and children read for Instance (TComponent::ReadState calls this).
    void ReadData(TComponent* Instance);

    const String& SourceName() const { return FSourceName; }
    // The folder relative file names in the form are taken from (the form file's own folder);
    // empty when the text came from elsewhere.
    const String& BaseDirectory() const { return FBaseDirectory; }

private:
    friend class TFormLoader;
    TReader() = default;
    const TFormValue& Current() const;
    const TFormValue& Take();

    class TFormLoader* FLoader = nullptr;
    String FSourceName;
    String FBaseDirectory;
    String FPropName;            // the defined property being looked for
    const TFormValue* FValue = nullptr;
    bool FHandled = false;
    std::vector<std::pair<const TFormValue*, size_t>> FCursor; // list nesting
    bool FTopTaken = false;
};

class TWriter final : public TFiler {
public:
    ~TWriter() override;

    void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                        bool HasData) override;
    void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                              bool HasData) override;

    void WriteInteger(Int64 Value);
    void WriteFloat(Double Value);
    void WriteCurrency(Currency Value);
    void WriteString(const String& Value);
    void WriteIdent(const String& Value);
    void WriteBoolean(bool Value);
    void WriteListBegin();
    void WriteListEnd();

    // Writes Instance's properties and children (TComponent::WriteState calls this).
    void WriteData(TComponent* Instance);

private:
    friend class TFormSaver;
    TWriter() = default;
    void Append(TFormValue Value);

    class TFormSaver* FSaver = nullptr;
    String FPrefix;
    std::vector<std::unique_ptr<TFormValue>> FStack; // values being built by a WriteData procedure
    std::unique_ptr<TFormValue> FResult;
};

// Reads a form file into a new component created by the root's class name, owned by Owner.
// SourceName names the text in messages; BaseDirectory is what the reader's BaseDirectory answers.
TComponent* ReadComponentFromText(const String& Text, TComponent* Owner = nullptr, const String& SourceName = {},
                                  const String& BaseDirectory = {});
// Reads a form file from disk; relative file names in it are taken from the file's folder.
// Raises EFOpenError when the file cannot be read.
TComponent* ReadComponentFromFile(const String& FileName, TComponent* Owner = nullptr);
// Reads a form file into an existing root. The file's root class must be Root's class or one of its
// ancestors (a constructor may read its own form file). BaseDirectory as for ReadComponentFromText.
// A root being designed (csDesigning) keeps the names of event handlers it has no method for.
void ReadComponentIntoRoot(TComponent* Root, const String& Text, const String& SourceName = {},
                           const String& BaseDirectory = {});
// Reads resources/<ResourceName> into Root; EReadError when there is no such resource.
void ReadFormResource(TComponent* Root, const String& ResourceName);
String WriteComponentToText(TComponent* Root);
// The text of some components of Root, one object after another, each with its children (what a
// designer copies). References are named as in Root's own form file.
String WriteComponentsToText(TComponent* Root, const std::vector<TComponent*>& Components);
// Reads objects written by WriteComponentsToText into Root (what a designer pastes): each one
// made is owned by Root, gets Root's first free name where its own is taken (references among the
// pasted follow the new names) and is handed to Place, which gives it its parent and may raise to
// refuse it. Answers the top-level components made; on any failure nothing stays.
std::vector<TComponent*> ReadComponentsIntoRoot(TComponent* Root, const String& Text,
                                                const std::function<void(TComponent*)>& Place);

// Streams: the text of a form file, UTF-8.
// With Instance null a new component is made (owned by Owner); otherwise Instance is read into.
TComponent* ReadComponent(TStream& Stream, TComponent* Instance = nullptr, TComponent* Owner = nullptr);
void WriteComponent(TStream& Stream, TComponent* Instance);

// The roots that references of the form Module.Name point into (AddModule, FindModule) are in
// Component.h; roots read from form files are added to them.

} // namespace qor
