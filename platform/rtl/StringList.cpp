#include "platform/rtl/StringList.h"

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Streams.h"

#include <algorithm>
#include <numeric>

namespace qor {

QOR_PUBLISH(TStrings) {}
QOR_PUBLISH(TStringList) {}

namespace {

bool IsBlank(char C)
{
    auto U = static_cast<unsigned char>(C);
    return U >= 1 && U <= ' ';
}

String DecodeUtf16(const Byte* P, std::size_t Count, bool BigEndian)
{
    WideString W;
    W.reserve(Count / 2 + 1);
    for (std::size_t i = 0; i + 1 < Count; i += 2) {
        char16_t C = BigEndian ? static_cast<char16_t>((P[i] << 8) | P[i + 1])
                               : static_cast<char16_t>(P[i] | (P[i + 1] << 8));
        W.push_back(C);
    }
    if (Count % 2 != 0)
        W.push_back(u'\uFFFD');   // a lone trailing byte is not a character
    return Utf16ToUtf8(W);
}

std::vector<Byte> EncodeUtf16(const String& S, bool BigEndian)
{
    WideString W = Utf8ToUtf16(S);
    std::vector<Byte> Out;
    Out.reserve(W.size() * 2);
    for (char16_t C : W) {
        Byte Lo = static_cast<Byte>(C & 0xFF);
        Byte Hi = static_cast<Byte>(C >> 8);
        if (BigEndian) {
            Out.push_back(Hi);
            Out.push_back(Lo);
        } else {
            Out.push_back(Lo);
            Out.push_back(Hi);
        }
    }
    return Out;
}

} // namespace

// ---- TStrings -----------------------------------------------------------------------------------

TStrings::~TStrings() = default;

void TStrings::IndexError(Integer Index)
{
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

Integer TStrings::CompareStrings(const String& S1, const String& S2) const
{
    return CaseSensitive() ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

void TStrings::Put(Integer Index, const String& S)
{
    TObject* Obj = GetObject(Index);
    BeginUpdate();
    try {
        Delete(Index);
        InsertObject(Index, S, Obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

TObject* TStrings::GetObject(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
    return nullptr;
}

void TStrings::PutObject(Integer, TObject*) {}

Integer TStrings::Add(const String& S)
{
    Integer Index = Count();
    Insert(Index, S);
    return Index;
}

Integer TStrings::AddObject(const String& S, TObject* AObject)
{
    Integer Index = Add(S);
    PutObject(Index, AObject);
    return Index;
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject)
{
    Insert(Index, S);
    PutObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings* Strings)
{
    if (!Strings)
        return;
    // Copy first: Strings may be this list.
    std::vector<std::pair<String, TObject*>> Items;
    Items.reserve(static_cast<std::size_t>(Strings->Count()));
    for (Integer i = 0; i < Strings->Count(); ++i)
        Items.emplace_back(Strings->Get(i), Strings->GetObject(i));
    BeginUpdate();
    try {
        for (auto& [S, Obj] : Items)
            AddObject(S, Obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::AddStrings(const std::vector<String>& Strings)
{
    BeginUpdate();
    try {
        for (const String& S : Strings)
            Add(S);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(TPersistent* Source)
{
    auto* Strings = dynamic_cast<TStrings*>(Source);
    if (!Strings) {
        TPersistent::Assign(Source);
        return;
    }
    if (Strings == this)
        return;
    BeginUpdate();
    try {
        Clear();
        AddStrings(Strings);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

bool TStrings::Equals(const TStrings* Other) const
{
    if (!Other)
        return false;
    if (Other == this)
        return true;
    if (Count() != Other->Count())
        return false;
    for (Integer i = 0; i < Count(); ++i)
        if (Get(i) != Other->Get(i))
            return false;
    return true;
}

void TStrings::Exchange(Integer Index1, Integer Index2)
{
    BeginUpdate();
    try {
        TObject* Obj1 = GetObject(Index1);
        TObject* Obj2 = GetObject(Index2);
        String S1 = Get(Index1);
        String S2 = Get(Index2);
        Put(Index1, S2);
        PutObject(Index1, Obj2);
        Put(Index2, S1);
        PutObject(Index2, Obj1);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || NewIndex >= Count())
        IndexError(NewIndex);
    BeginUpdate();
    try {
        String S = Get(CurIndex);
        TObject* Obj = GetObject(CurIndex);
        Delete(CurIndex);
        InsertObject(NewIndex, S, Obj);
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

Integer TStrings::IndexOf(const String& S) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (CompareStrings(Get(i), S) == 0)
            return i;
    return -1;
}

Integer TStrings::IndexOfName(const String& Name) const
{
    for (Integer i = 0; i < Count(); ++i) {
        String S = Get(i);
        auto P = S.find(FNameValueSeparator);
        if (P != String::npos && CompareStrings(S.substr(0, P), Name) == 0)
            return i;
    }
    return -1;
}

Integer TStrings::IndexOfObject(const TObject* AObject) const
{
    for (Integer i = 0; i < Count(); ++i)
        if (GetObject(i) == AObject)
            return i;
    return -1;
}

String TStrings::Names(Integer Index) const
{
    String S = Get(Index);
    auto P = S.find(FNameValueSeparator);
    return P == String::npos ? String() : S.substr(0, P);
}

String TStrings::Values(const String& Name) const
{
    Integer Index = IndexOfName(Name);
    return Index < 0 ? String() : ValueFromIndex(Index);
}

void TStrings::SetValue(const String& Name, const String& Value)
{
    Integer Index = IndexOfName(Name);
    if (!Value.empty()) {
        String Line = Name + FNameValueSeparator + Value;
        if (Index < 0)
            Add(Line);
        else
            Put(Index, Line);
    } else if (Index >= 0) {
        Delete(Index);
    }
}

String TStrings::ValueFromIndex(Integer Index) const
{
    String S = Get(Index);
    auto P = S.find(FNameValueSeparator);
    return P == String::npos ? String() : S.substr(P + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value)
{
    if (Value.empty()) {
        Delete(Index);
        return;
    }
    String S = Get(Index);
    auto P = S.find(FNameValueSeparator);
    // A line without a separator is all name: it keeps its text and gains the value.
    String Name = P == String::npos ? S : S.substr(0, P);
    Put(Index, Name + FNameValueSeparator + Value);
}

String TStrings::Text() const
{
    String Result;
    for (Integer i = 0; i < Count(); ++i) {
        Result += Get(i);
        Result += '\n';
    }
    return Result;
}

void TStrings::SetText(const String& Value)
{
    BeginUpdate();
    try {
        Clear();
        std::size_t Start = 0;
        const std::size_t N = Value.size();
        while (Start < N) {
            std::size_t P = Value.find_first_of("\r\n", Start);
            if (P == String::npos) {
                Add(Value.substr(Start));
                break;
            }
            Add(Value.substr(Start, P - Start));
            Start = P + 1;
            if (Value[P] == '\r' && Start < N && Value[Start] == '\n')
                ++Start;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

String TStrings::QuotedItem(const String& S, char Delim, char Quote, bool Strict) const
{
    bool NeedsQuotes = false;
    for (char C : S) {
        if (C == Delim || C == Quote || (!Strict && IsBlank(C))) {
            NeedsQuotes = true;
            break;
        }
    }
    return NeedsQuotes ? AnsiQuotedStr(S, Quote) : S;
}

String TStrings::DelimitedText() const
{
    if (Count() == 1 && Get(0).empty())
        return String(2, FQuoteChar);
    String Result;
    for (Integer i = 0; i < Count(); ++i) {
        if (i > 0)
            Result += FDelimiter;
        Result += QuotedItem(Get(i), FDelimiter, FQuoteChar, FStrictDelimiter);
    }
    return Result;
}

void TStrings::ParseDelimited(const String& Value, char Delim, char Quote, bool Strict)
{
    BeginUpdate();
    try {
        Clear();
        const std::size_t N = Value.size();
        std::size_t P = 0;
        auto SkipBlanks = [&] {
            if (!Strict)
                while (P < N && IsBlank(Value[P]))
                    ++P;
        };
        SkipBlanks();
        while (P < N) {
            String S;
            if (Value[P] == Quote) {
                S = AnsiExtractQuotedStr(Value, P, Quote);
            } else {
                std::size_t Start = P;
                while (P < N && Value[P] != Delim && (Strict || !IsBlank(Value[P])))
                    ++P;
                S = Value.substr(Start, P - Start);
            }
            Add(S);
            SkipBlanks();
            if (P < N && Value[P] == Delim) {
                ++P;
                if (P >= N)
                    Add(String());
                SkipBlanks();
            }
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::SetDelimitedText(const String& Value)
{
    ParseDelimited(Value, FDelimiter, FQuoteChar, FStrictDelimiter);
}

String TStrings::CommaText() const
{
    if (Count() == 1 && Get(0).empty())
        return "\"\"";
    String Result;
    for (Integer i = 0; i < Count(); ++i) {
        if (i > 0)
            Result += ',';
        Result += QuotedItem(Get(i), ',', '"', false);
    }
    return Result;
}

void TStrings::SetCommaText(const String& Value)
{
    ParseDelimited(Value, ',', '"', false);
}

void TStrings::LoadFromStream(TStream* Stream, TTextEncoding Encoding)
{
    Int64 Avail = Stream->Size() - Stream->Position();
    std::vector<Byte> Bytes;
    if (Avail > 0) {
        Bytes.resize(static_cast<std::size_t>(Avail));
        Stream->ReadBuffer(Bytes.data(), Avail);
    }
    const Byte* P = Bytes.data();
    std::size_t N = Bytes.size();
    TTextEncoding Found = Encoding;
    if (N >= 3 && P[0] == 0xEF && P[1] == 0xBB && P[2] == 0xBF) {
        Found = TTextEncoding::teUTF8;
        P += 3;
        N -= 3;
    } else if (N >= 2 && P[0] == 0xFF && P[1] == 0xFE) {
        Found = TTextEncoding::teUTF16LE;
        P += 2;
        N -= 2;
    } else if (N >= 2 && P[0] == 0xFE && P[1] == 0xFF) {
        Found = TTextEncoding::teUTF16BE;
        P += 2;
        N -= 2;
    }
    std::string_view Raw(reinterpret_cast<const char*>(P), N);
    if (Found == TTextEncoding::teDefault)
        Found = IsValidUtf8(Raw) ? TTextEncoding::teUTF8 : TTextEncoding::teAnsi;
    String Decoded;
    switch (Found) {
    case TTextEncoding::teUTF16LE: Decoded = DecodeUtf16(P, N, false); break;
    case TTextEncoding::teUTF16BE: Decoded = DecodeUtf16(P, N, true); break;
    case TTextEncoding::teAnsi: Decoded = AnsiToUtf8(Raw); break;
    default:
        // Declared UTF-8 that is not well-formed still must not carry broken sequences onward.
        Decoded = IsValidUtf8(Raw) ? String(Raw) : Utf16ToUtf8(Utf8ToUtf16(Raw));
        break;
    }
    SetText(Decoded);
    FEncoding = Found;
}

void TStrings::SaveToStream(TStream* Stream, TTextEncoding Encoding) const
{
    if (Encoding == TTextEncoding::teDefault)
        Encoding = FEncoding == TTextEncoding::teDefault ? TTextEncoding::teUTF8 : FEncoding;
    String S = Text();
    switch (Encoding) {
    case TTextEncoding::teUTF16LE:
    case TTextEncoding::teUTF16BE: {
        bool BE = Encoding == TTextEncoding::teUTF16BE;
        const Byte Bom[2] = {BE ? Byte(0xFE) : Byte(0xFF), BE ? Byte(0xFF) : Byte(0xFE)};
        Stream->WriteBuffer(Bom, 2);
        Stream->WriteBytes(EncodeUtf16(S, BE));
        break;
    }
    case TTextEncoding::teAnsi:
        Stream->WriteString(Utf8ToAnsi(S));
        break;
    default:
        if (FWriteBOM) {
            const Byte Bom[3] = {0xEF, 0xBB, 0xBF};
            Stream->WriteBuffer(Bom, 3);
        }
        Stream->WriteString(S);
        break;
    }
}

void TStrings::LoadFromFile(const String& FileName, TTextEncoding Encoding)
{
    TFileStream F(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&F, Encoding);
}

void TStrings::SaveToFile(const String& FileName, TTextEncoding Encoding) const
{
    // Encode in memory first: a failing conversion must not leave an emptied file behind.
    TMemoryStream M;
    SaveToStream(&M, Encoding);
    M.SaveToFile(FileName);
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount == 0)
        SetUpdateState(true);
    ++FUpdateCount;
}

void TStrings::EndUpdate()
{
    if (FUpdateCount <= 0)
        return;
    --FUpdateCount;
    if (FUpdateCount == 0)
        SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

std::vector<String> TStrings::ToVector() const
{
    std::vector<String> Result;
    Result.reserve(static_cast<std::size_t>(Count()));
    for (Integer i = 0; i < Count(); ++i)
        Result.push_back(Get(i));
    return Result;
}

// ---- TStringList --------------------------------------------------------------------------------

TStringList::~TStringList() = default;

void TStringList::CheckIndex(Integer Index) const
{
    if (Index < 0 || Index >= Count())
        IndexError(Index);
}

void TStringList::Changing()
{
    if (UpdateCount() == 0 && OnChanging)
        OnChanging(this);
}

void TStringList::Changed()
{
    if (UpdateCount() == 0 && OnChange)
        OnChange(this);
}

void TStringList::SetUpdateState(bool Updating)
{
    if (Updating)
        Changing();
    else
        Changed();
}

String TStringList::Get(Integer Index) const
{
    CheckIndex(Index);
    return FItems[static_cast<std::size_t>(Index)].S;
}

void TStringList::Put(Integer Index, const String& S)
{
    if (FSorted)
        throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(Index);
    Changing();
    FItems[static_cast<std::size_t>(Index)].S = S;
    Changed();
}

TObject* TStringList::GetObject(Integer Index) const
{
    CheckIndex(Index);
    return FItems[static_cast<std::size_t>(Index)].Obj;
}

void TStringList::PutObject(Integer Index, TObject* AObject)
{
    CheckIndex(Index);
    Changing();
    FItems[static_cast<std::size_t>(Index)].Obj = AObject;
    Changed();
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject)
{
    Changing();
    FItems.insert(FItems.begin() + Index, TItem{S, AObject});
    Changed();
}

void TStringList::Insert(Integer Index, const String& S)
{
    if (FSorted)
        throw EStringListError("Operation not allowed on sorted list");
    if (Index < 0 || Index > Count())
        IndexError(Index);
    InsertItem(Index, S, nullptr);
}

void TStringList::Delete(Integer Index)
{
    CheckIndex(Index);
    Changing();
    FItems.erase(FItems.begin() + Index);
    Changed();
}

void TStringList::Clear()
{
    if (FItems.empty())
        return;
    Changing();
    FItems.clear();
    Changed();
}

Integer TStringList::Add(const String& S)
{
    return AddObject(S, nullptr);
}

Integer TStringList::AddObject(const String& S, TObject* AObject)
{
    Integer Index = Count();
    if (FSorted) {
        if (Find(S, Index)) {
            switch (FDuplicates) {
            case dupIgnore: return Index;
            case dupError: throw EStringListError("Duplicates not allowed");
            case dupAccept:
                // After the equal ones, so equal strings keep the order they were added in.
                while (Index < Count() && CompareStrings(FItems[static_cast<std::size_t>(Index)].S, S) == 0)
                    ++Index;
                break;
            }
        }
    }
    InsertItem(Index, S, AObject);
    return Index;
}

void TStringList::Exchange(Integer Index1, Integer Index2)
{
    CheckIndex(Index1);
    CheckIndex(Index2);
    Changing();
    std::swap(FItems[static_cast<std::size_t>(Index1)], FItems[static_cast<std::size_t>(Index2)]);
    Changed();
}

void TStringList::Move(Integer CurIndex, Integer NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (FSorted)
        throw EStringListError("Operation not allowed on sorted list");
    CheckIndex(CurIndex);
    CheckIndex(NewIndex);
    Changing();
    auto First = FItems.begin();
    if (CurIndex < NewIndex)
        std::rotate(First + CurIndex, First + CurIndex + 1, First + NewIndex + 1);
    else
        std::rotate(First + NewIndex, First + CurIndex, First + CurIndex + 1);
    Changed();
}

bool TStringList::Find(const String& S, Integer& Index) const
{
    // Lower bound, so with duplicates the first equal one is found.
    Integer L = 0;
    Integer H = Count();
    bool Found = false;
    while (L < H) {
        Integer M = L + (H - L) / 2;
        Integer C = CompareStrings(FItems[static_cast<std::size_t>(M)].S, S);
        if (C < 0) {
            L = M + 1;
        } else {
            if (C == 0)
                Found = true;
            H = M;
        }
    }
    Index = L;
    return Found;
}

Integer TStringList::IndexOf(const String& S) const
{
    if (!FSorted)
        return TStrings::IndexOf(S);
    Integer Index = 0;
    return Find(S, Index) ? Index : -1;
}

void TStringList::Sort()
{
    CustomSort([](TStringList* List, Integer A, Integer B) {
        return List->CompareStrings(List->FItems[static_cast<std::size_t>(A)].S,
                                    List->FItems[static_cast<std::size_t>(B)].S);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare)
{
    if (Count() < 2)
        return;
    // The items stay in place while Compare looks at them by index; the order is applied after.
    std::vector<Integer> Order(FItems.size());
    std::iota(Order.begin(), Order.end(), 0);
    std::stable_sort(Order.begin(), Order.end(),
                     [&](Integer A, Integer B) { return Compare(this, A, B) < 0; });
    Changing();
    std::vector<TItem> Sorted;
    Sorted.reserve(FItems.size());
    for (Integer i : Order)
        Sorted.push_back(std::move(FItems[static_cast<std::size_t>(i)]));
    FItems = std::move(Sorted);
    Changed();
}

void TStringList::SetSorted(bool Value)
{
    if (FSorted == Value)
        return;
    if (Value)
        Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (FCaseSensitive == Value)
        return;
    FCaseSensitive = Value;
    if (FSorted)
        Sort();
}

} // namespace qor
