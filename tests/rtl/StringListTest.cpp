#include "platform/rtl/StringList.h"
#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

using namespace qor;

namespace {

String Joined(const TStrings& L)
{
    String S;
    for (Integer i = 0; i < L.Count(); ++i)
        S += (i ? "|" : "") + L[i];
    return S;
}

TObject* Obj(std::intptr_t N)
{
    return reinterpret_cast<TObject*>(N);
}

String Bytes(const TMemoryStream& M)
{
    return String(static_cast<const char*>(M.Memory()), static_cast<std::size_t>(M.Size()));
}

void Load(TStrings& L, const String& Raw)
{
    TStringStream S(Raw);
    L.LoadFromStream(&S);
}

} // namespace

TEST(StringList, IndexErrorsNameTheIndex)
{
    TStringList L;
    L.Add("a");
    try {
        L.Get(3);
        FAIL() << "no exception";
    } catch (const EStringListError& E) {
        EXPECT_EQ(E.Message(), "List index out of bounds (3)");
    }
    EXPECT_THROW(L.Get(-1), EStringListError);
    EXPECT_THROW(L.Put(1, "x"), EStringListError);
    EXPECT_THROW(L.Delete(1), EStringListError);
    EXPECT_THROW(L.Insert(2, "x"), EStringListError);
    EXPECT_THROW(L.Objects(1), EStringListError);
    EXPECT_THROW(L.Exchange(0, 1), EStringListError);
    EXPECT_THROW(L.Move(0, 1), EStringListError);
    EXPECT_EQ(Joined(L), "a");   // nothing was lost on the way
}

TEST(StringList, ObjectsTravelWithTheirStrings)
{
    TStringList L;
    L.AddObject("one", Obj(1));
    L.AddObject("two", Obj(2));
    L.InsertObject(0, "zero", Obj(10));
    L.Exchange(0, 2);
    EXPECT_EQ(Joined(L), "two|one|zero");
    EXPECT_EQ(L.Objects(0), Obj(2));
    L.Move(0, 2);
    EXPECT_EQ(Joined(L), "one|zero|two");
    EXPECT_EQ(L.Objects(2), Obj(2));
    L.Put(2, "TWO");
    EXPECT_EQ(L.Objects(2), Obj(2));
    EXPECT_EQ(L.IndexOfObject(Obj(10)), 1);
    TStringList M;
    M.Assign(&L);
    EXPECT_TRUE(M.Equals(&L));
    EXPECT_EQ(M.Objects(1), Obj(10));
    M.AddStrings(&M);   // adding a list to itself doubles it
    EXPECT_EQ(Joined(M), "one|zero|TWO|one|zero|TWO");
    EXPECT_FALSE(M.Equals(&L));
}

TEST(StringList, IndexOfIgnoresCaseUnlessCaseSensitive)
{
    TStringList L;
    L.Add("Alpha");
    L.Add("Ärger");
    EXPECT_EQ(L.IndexOf("ALPHA"), 0);
    EXPECT_EQ(L.IndexOf("ärger"), 1);
    EXPECT_EQ(L.IndexOf("beta"), -1);
    L.SetCaseSensitive(true);
    EXPECT_EQ(L.IndexOf("ALPHA"), -1);
    EXPECT_EQ(L.IndexOf("Alpha"), 0);
}

TEST(StringList, SortedListsInsertInPlaceAndApplyTheDuplicatesRule)
{
    TStringList L;
    L.Add("pear");
    L.Add("Apple");
    L.Add("fig");
    L.SetSorted(true);
    EXPECT_EQ(Joined(L), "Apple|fig|pear");
    EXPECT_EQ(L.Add("banana"), 1);
    EXPECT_EQ(L.Add("APPLE"), 0);   // dupIgnore: the existing index, nothing added
    EXPECT_EQ(L.Count(), 4);
    EXPECT_EQ(L.IndexOf("PEAR"), 3);
    EXPECT_EQ(L.IndexOf("kiwi"), -1);
    Integer At = -1;
    EXPECT_FALSE(L.Find("grape", At));
    EXPECT_EQ(At, 3);

    L.SetDuplicates(dupError);
    try {
        L.Add("Fig");
        FAIL() << "no exception";
    } catch (const EStringListError& E) {
        EXPECT_EQ(E.Message(), "Duplicates not allowed");
    }
    EXPECT_EQ(L.Count(), 4);

    L.SetDuplicates(dupAccept);
    L.AddObject("FIG", Obj(5));
    EXPECT_EQ(Joined(L), "Apple|banana|fig|FIG|pear");
    EXPECT_EQ(L.Objects(3), Obj(5));

    EXPECT_THROW(L.Insert(0, "x"), EStringListError);
    EXPECT_THROW(L.Put(0, "x"), EStringListError);
    // Moving would break the order: refused, and the item stays with its object.
    EXPECT_THROW(L.Move(3, 0), EStringListError);
    EXPECT_EQ(Joined(L), "Apple|banana|fig|FIG|pear");
    EXPECT_EQ(L.Objects(3), Obj(5));
}

TEST(StringList, MoveBackwardsAndForwardsFiresOneChange)
{
    TStringList L;
    L.SetCommaText("a,b,c,d");
    int Changes = 0;
    L.OnChange = [&](TObject*) { ++Changes; };
    L.Move(3, 1);
    EXPECT_EQ(Joined(L), "a|d|b|c");
    L.Move(0, 3);
    EXPECT_EQ(Joined(L), "d|b|c|a");
    EXPECT_EQ(Changes, 2);
}

TEST(StringList, CaseSensitiveSortedListResorts)
{
    TStringList L;
    L.SetSorted(true);
    L.Add("b");
    L.Add("B");   // equal ignoring case: ignored
    EXPECT_EQ(L.Count(), 1);
    L.SetCaseSensitive(true);
    L.Add("B");
    L.Add("a");
    EXPECT_EQ(L.Count(), 3);
    // The binary search finds each one exactly, so the list was sorted by the new rule.
    for (const char* S : {"a", "b", "B"})
        EXPECT_EQ(L[L.IndexOf(S)], S);
}

TEST(StringList, CustomSortSeesTheListAsItWas)
{
    TStringList L;
    L.SetCommaText("ccc,a,bb,dd");
    L.CustomSort([](TStringList* List, Integer I, Integer J) {
        return static_cast<int>(List->Get(I).size()) - static_cast<int>(List->Get(J).size());
    });
    EXPECT_EQ(Joined(L), "a|bb|dd|ccc");   // stable: bb before dd
}

TEST(StringList, TextSplitsAtEveryKindOfLineBreak)
{
    TStringList L;
    L.SetText("a\r\nb\nc\rd\r\n\r\ne");
    EXPECT_EQ(Joined(L), "a|b|c|d||e");
    EXPECT_EQ(L.Text(), "a\nb\nc\nd\n\ne\n");
    L.SetText("one\n");
    EXPECT_EQ(L.Count(), 1);
    L.SetText("");
    EXPECT_EQ(L.Count(), 0);
    EXPECT_EQ(L.Text(), "");
    L.SetText("\n");
    EXPECT_EQ(L.Count(), 1);
    EXPECT_EQ(L.Text(), "\n");   // one empty line is not an empty list
}

TEST(StringList, CommaTextQuotesOnlyWhatNeedsIt)
{
    TStringList L;
    L.Add("plain");
    L.Add("two words");
    L.Add("a,b");
    L.Add("say \"hi\"");
    L.Add("");
    L.Add("ünï");
    EXPECT_EQ(L.CommaText(), "plain,\"two words\",\"a,b\",\"say \"\"hi\"\"\",,ünï");
    TStringList M;
    M.SetCommaText(L.CommaText());
    EXPECT_TRUE(M.Equals(&L));

    M.Clear();
    M.Add("");
    EXPECT_EQ(M.CommaText(), "\"\"");
    M.SetCommaText("\"\"");
    EXPECT_EQ(M.Count(), 1);
}

TEST(StringList, CommaTextReadingRules)
{
    TStringList L;
    L.SetCommaText("  a b , \"c, d\" ,e,");
    EXPECT_EQ(Joined(L), "a|b|c, d|e|");
    L.SetCommaText("\"unterminated");
    EXPECT_EQ(Joined(L), "unterminated");
    L.SetCommaText("");
    EXPECT_EQ(L.Count(), 0);
}

TEST(StringList, DelimitedTextWithStrictDelimiter)
{
    TStringList L;
    L.SetDelimiter(';');
    L.SetQuoteChar('\'');
    L.SetStrictDelimiter(true);
    L.SetDelimitedText(" a b ;'c;d';e");
    EXPECT_EQ(Joined(L), " a b |c;d|e");
    EXPECT_EQ(L.DelimitedText(), " a b ;'c;d';e");
    L.SetStrictDelimiter(false);
    EXPECT_EQ(L.DelimitedText(), "' a b ';'c;d';e");
    // CommaText ignores these settings.
    EXPECT_EQ(L.CommaText(), "\" a b \",c;d,e");
}

TEST(StringList, NamesAndValues)
{
    TStringList L;
    L.SetText("Width=10\nColor=red\nnoseparator\nEmpty=\nA=b=c");
    EXPECT_EQ(L.Names(0), "Width");
    EXPECT_EQ(L.Names(2), "");
    EXPECT_EQ(L.Values("COLOR"), "red");
    EXPECT_EQ(L.Values("A"), "b=c");
    EXPECT_EQ(L.Values("missing"), "");
    EXPECT_EQ(L.IndexOfName("empty"), 3);
    EXPECT_EQ(L.IndexOfName("noseparator"), -1);
    EXPECT_EQ(L.ValueFromIndex(2), "");   // no separator: no value, and the text is not cut
    L.SetValue("Color", "blue");
    L.SetValue("Height", "5");
    L.SetValue("Width", "");
    EXPECT_EQ(Joined(L), "Color=blue|noseparator|Empty=|A=b=c|Height=5");
    L.SetValueFromIndex(1, "on");
    EXPECT_EQ(L[1], "noseparator=on");
    L.SetNameValueSeparator(':');
    L.Add("Key:v");
    EXPECT_EQ(L.Values("key"), "v");
}

TEST(StringList, AssignTakesOnlyStringLists)
{
    TStringList L;
    L.Add("kept");
    TPersistent Other;
    EXPECT_THROW(L.Assign(&Other), EConvertError);
    EXPECT_EQ(Joined(L), "kept");
    EXPECT_EQ(L.ClassName(), "TStringList");
    EXPECT_TRUE(L.Is<TStrings>());
}

TEST(StringList, ChangeEventsFireOncePerUpdate)
{
    TStringList L;
    int Changing = 0, Changed = 0;
    L.OnChanging = [&](TObject* Sender) {
        ++Changing;
        EXPECT_EQ(Sender, &L);
    };
    L.OnChange = [&](TObject*) {
        ++Changed;
        EXPECT_EQ(Changing, Changed);
    };
    L.Add("a");
    EXPECT_EQ(Changed, 1);
    L.BeginUpdate();
    L.BeginUpdate();
    L.Add("b");
    L.Delete(0);
    L.EndUpdate();
    EXPECT_EQ(Changed, 1);
    L.EndUpdate();
    EXPECT_EQ(Changed, 2);
    EXPECT_EQ(Changing, 2);
    L.SetText("x\ny\nz");
    EXPECT_EQ(Changed, 3);
    L.EndUpdate();   // unbalanced: ignored
    EXPECT_EQ(L.UpdateCount(), 0);
}

TEST(StringListStream, ByteOrderMarksDecideTheEncoding)
{
    TStringList L;
    Load(L, "\xEF\xBB\xBF" "caf\xC3\xA9\r\nx");
    EXPECT_EQ(Joined(L), "café|x");
    EXPECT_EQ(L.Encoding(), TTextEncoding::teUTF8);

    Load(L, String("\xFF\xFE" "c\0a\0f\0\xE9\0\n\0" "=\xD8\x00\xDE", 16));   // LE, then U+1F600
    EXPECT_EQ(Joined(L), "café|\xF0\x9F\x98\x80");
    EXPECT_EQ(L.Encoding(), TTextEncoding::teUTF16LE);

    Load(L, String("\xFE\xFF\0h\0i\0\r\0\n\0!", 12));
    EXPECT_EQ(Joined(L), "hi|!");
    EXPECT_EQ(L.Encoding(), TTextEncoding::teUTF16BE);
}

TEST(StringListStream, WithoutAMarkValidUtf8IsUtf8AndTheRestWindows1252)
{
    TStringList L;
    Load(L, "na\xC3\xAFve");
    EXPECT_EQ(L[0], "naïve");
    EXPECT_EQ(L.Encoding(), TTextEncoding::teUTF8);
    Load(L, "na\xEFve \x80 5");
    EXPECT_EQ(L[0], "naïve € 5");
    EXPECT_EQ(L.Encoding(), TTextEncoding::teAnsi);
}

TEST(StringListStream, LoadReadsFromThePositionToTheEnd)
{
    TStringStream S("skip|a\nb");
    S.SetPosition(5);
    TStringList L;
    L.LoadFromStream(&S);
    EXPECT_EQ(Joined(L), "a|b");
}

TEST(StringListStream, SavingWritesAMarkOnlyWhenAsked)
{
    TStringList L;
    L.SetText("é\nz");
    TMemoryStream M;
    L.SaveToStream(&M);
    EXPECT_EQ(Bytes(M), "\xC3\xA9\nz\n");
    L.SetWriteBOM(true);
    M.Clear();
    L.SaveToStream(&M);
    EXPECT_EQ(Bytes(M), "\xEF\xBB\xBF\xC3\xA9\nz\n");
    M.Clear();
    L.SaveToStream(&M, TTextEncoding::teUTF16LE);
    EXPECT_EQ(Bytes(M), String("\xFF\xFE\xE9\0\n\0z\0\n\0", 10));
    M.Clear();
    L.SaveToStream(&M, TTextEncoding::teAnsi);
    EXPECT_EQ(Bytes(M), "\xE9\nz\n");
}

TEST(StringListStream, SaveKeepsTheEncodingTheFileCameIn)
{
    TStringList L;
    Load(L, "\xE9t\xE9");
    L.Add("\xE2\x82\xAC");
    TMemoryStream M;
    L.SaveToStream(&M);
    EXPECT_EQ(Bytes(M), "\xE9t\xE9\n\x80\n");
}

TEST(StringListStream, FilesRoundTripAndMissingFilesRaise)
{
    char Tmpl[] = "/tmp/qor-strings-XXXXXX";
    String Dir = ::mkdtemp(Tmpl);
    String Name = Dir + "/lines.txt";
    TStringList L;
    L.SetText("first\nsecond, with ünïcode\n\nlast");
    L.SaveToFile(Name, TTextEncoding::teUTF16BE);
    TStringList M;
    M.LoadFromFile(Name);
    EXPECT_TRUE(M.Equals(&L));
    EXPECT_EQ(M.Encoding(), TTextEncoding::teUTF16BE);
    EXPECT_THROW(M.LoadFromFile(Dir + "/missing.txt"), EFOpenError);
    EXPECT_EQ(M.Count(), 4);
    EXPECT_THROW(L.SaveToFile(Dir + "/no/such/dir.txt"), EFCreateError);
    std::filesystem::remove_all(Dir);
}
