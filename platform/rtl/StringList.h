#pragma once
// TStrings, the abstract list of strings with an object per string, and TStringList, the
// ordinary one (optionally sorted, with a duplicates rule).

#include "platform/rtl/Events.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Types.h"

#include <functional>
#include <vector>

namespace qor {

class TStream;

enum TDuplicates : Byte { dupIgnore, dupAccept, dupError };

// The text encodings TStrings reads and writes.
enum class TTextEncoding : Byte {
    teDefault,   // reading: by byte-order mark, else UTF-8 when valid, else Windows-1252; writing: UTF-8
    teUTF8,
    teUTF16LE,
    teUTF16BE,
    teAnsi       // Windows-1252
};

class TStrings : public TPersistent {
    QOR_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override;

    // The storage every descendant provides.
    virtual Integer Count() const = 0;
    virtual String Get(Integer Index) const = 0;
    virtual void Put(Integer Index, const String& S);
    virtual TObject* GetObject(Integer Index) const;
    virtual void PutObject(Integer Index, TObject* AObject);
    virtual void Insert(Integer Index, const String& S) = 0;
    virtual void Delete(Integer Index) = 0;
    virtual void Clear() = 0;

    String Strings(Integer Index) const { return Get(Index); }
    String operator[](Integer Index) const { return Get(Index); }
    TObject* Objects(Integer Index) const { return GetObject(Index); }

    virtual Integer Add(const String& S);
    virtual Integer AddObject(const String& S, TObject* AObject);
    void InsertObject(Integer Index, const String& S, TObject* AObject);
    void AddStrings(const TStrings* Strings);
    void AddStrings(const std::vector<String>& Strings);
    // From another TStrings: replaces the contents (strings and objects) with Source's.
    void Assign(TPersistent* Source) override;
    // Same strings in the same order (compared exactly; objects are not compared).
    bool Equals(const TStrings* Other) const;
    virtual void Exchange(Integer Index1, Integer Index2);
    virtual void Move(Integer CurIndex, Integer NewIndex);

    // The first index of S, ignoring case unless the list is case-sensitive; -1 when absent.
    virtual Integer IndexOf(const String& S) const;
    // The first index of a "Name=Value" line whose name is Name (same case rule); -1 when absent.
    virtual Integer IndexOfName(const String& Name) const;
    Integer IndexOfObject(const TObject* AObject) const;

    // Name/value lines: "Name=Value" with NameValueSeparator.
    String Names(Integer Index) const;
    String Values(const String& Name) const;
    // Replaces the value of Name (adding a line when absent); an empty value removes the line.
    void SetValue(const String& Name, const String& Value);
    String ValueFromIndex(Integer Index) const;
    void SetValueFromIndex(Integer Index, const String& Value);
    char NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(char Value) { FNameValueSeparator = Value; }

    // Every line followed by "\n". Setting splits at "\r\n", "\n" and "\r"; a final line break
    // does not make an empty last line.
    String Text() const;
    virtual void SetText(const String& Value);

    // Items separated by Delimiter; an item is quoted with QuoteChar (doubling the quote
    // characters inside) when it contains the delimiter, the quote character, a blank or a control
    // character (StrictDelimiter: only the delimiter and quote character count). A list of one
    // empty string is two quote characters. Reading: unless StrictDelimiter, blanks and control
    // characters also separate items outside quotes; a final delimiter adds an empty item.
    String DelimitedText() const;
    void SetDelimitedText(const String& Value);
    // DelimitedText with ',', '"' and blanks separating, whatever Delimiter, QuoteChar and
    // StrictDelimiter are.
    String CommaText() const;
    void SetCommaText(const String& Value);
    char Delimiter() const { return FDelimiter; }
    void SetDelimiter(char Value) { FDelimiter = Value; }
    char QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(char Value) { FQuoteChar = Value; }
    bool StrictDelimiter() const { return FStrictDelimiter; }
    void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }

    virtual bool CaseSensitive() const { return false; }

    // Reading takes the bytes from the stream's position to its end and honours a byte-order
    // mark; with none, Encoding decides, and teDefault takes valid UTF-8 as UTF-8 and anything
    // else as Windows-1252. Writing with teDefault uses the encoding the last load found (UTF-8
    // when none) and writes a byte-order mark only when WriteBOM is set (UTF-16 always gets one).
    void LoadFromStream(TStream* Stream, TTextEncoding Encoding = TTextEncoding::teDefault);
    void SaveToStream(TStream* Stream, TTextEncoding Encoding = TTextEncoding::teDefault) const;
    void LoadFromFile(const String& FileName, TTextEncoding Encoding = TTextEncoding::teDefault);
    void SaveToFile(const String& FileName, TTextEncoding Encoding = TTextEncoding::teDefault) const;
    bool WriteBOM() const { return FWriteBOM; }
    void SetWriteBOM(bool Value) { FWriteBOM = Value; }
    // The encoding the last LoadFromStream found (teDefault before any load).
    TTextEncoding Encoding() const { return FEncoding; }

    // Nested updates: OnChanging/OnChange fire once for the outermost pair.
    void BeginUpdate();
    void EndUpdate();
    Integer UpdateCount() const { return FUpdateCount; }

    std::vector<String> ToVector() const;

protected:
    // Told when the update count goes from 0 to 1 (Updating true) and back (false).
    virtual void SetUpdateState(bool Updating);
    // Raises EStringListError "List index out of bounds (N)".
    [[noreturn]] static void IndexError(Integer Index);
    Integer CompareStrings(const String& S1, const String& S2) const;

private:
    String QuotedItem(const String& S, char Delim, char Quote, bool Strict) const;
    void ParseDelimited(const String& Value, char Delim, char Quote, bool Strict);

    Integer FUpdateCount = 0;
    char FNameValueSeparator = '=';
    char FDelimiter = ',';
    char FQuoteChar = '"';
    bool FStrictDelimiter = false;
    bool FWriteBOM = false;
    TTextEncoding FEncoding = TTextEncoding::teDefault;
};

class TStringList;
// Negative when the item at Index1 sorts before the one at Index2.
using TStringListSortCompare = std::function<int(TStringList* List, Integer Index1, Integer Index2)>;

class TStringList : public TStrings {
    QOR_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override;

    Integer Count() const override { return static_cast<Integer>(FItems.size()); }
    String Get(Integer Index) const override;
    void Put(Integer Index, const String& S) override;   // a sorted list raises EStringListError
    TObject* GetObject(Integer Index) const override;
    void PutObject(Integer Index, TObject* AObject) override;
    void Insert(Integer Index, const String& S) override; // a sorted list raises EStringListError
    void Delete(Integer Index) override;
    void Clear() override;

    // In a sorted list the string goes to its sorted place, subject to Duplicates.
    Integer Add(const String& S) override;
    Integer AddObject(const String& S, TObject* AObject) override;
    void Exchange(Integer Index1, Integer Index2) override;
    // A sorted list raises EStringListError and keeps its items.
    void Move(Integer CurIndex, Integer NewIndex) override;
    Integer IndexOf(const String& S) const override;   // binary search when sorted

    // Binary search of a sorted list: true with the index of S, or false with where it would go.
    bool Find(const String& S, Integer& Index) const;
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& Compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
    bool CaseSensitive() const override { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void SetUpdateState(bool Updating) override;
    virtual void Changed();
    virtual void Changing();

private:
    struct TItem {
        String S;
        TObject* Obj = nullptr;
    };
    void InsertItem(Integer Index, const String& S, TObject* AObject);
    void CheckIndex(Integer Index) const;

    std::vector<TItem> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
    TDuplicates FDuplicates = dupIgnore;
};

} // namespace qor
