#include "TestComponents.h"

#include "platform/rtl/Streams.h"

#include <gtest/gtest.h>

#include <cfloat>

using namespace qor;

namespace {

struct FormDeleter {
    void operator()(TComponent* C) const { delete C; }
};
using FormPtr = std::unique_ptr<TComponent, FormDeleter>;

TTestNode* Node(TComponent* Root, const char* Name) { return dynamic_cast<TTestNode*>(Root->FindComponent(Name)); }

// A tree with every kind of value: nested children, references forward and backward, sub-objects,
// defined properties, events, string lists, binary data and a collection.
FormPtr BuildSample()
{
    auto* form = new TTestForm(nullptr);
    form->SetName("Form1");
    form->Caption = "It's a form";
    form->Count = -42;
    form->Big = 1234567890123LL;
    form->Ratio = 0.1;
    form->Price = Currency::FromRaw(123456789); // 12345.6789
    form->Kind = skCircle;
    form->Options = {toOne, toThree};
    form->Enabled = false;
    form->Letter = u'Z';
    form->Color = 0xFFFFFF;
    form->GetFont()->SetName("Times New Roman");
    form->GetFont()->SetColor(0x0000FF);
    form->GetLines()->Add("first");
    form->GetLines()->Add("second line\twith tab");
    form->GetLines()->Add("");
    form->Data = {0x00, 0x01, 0xFE, 0xFF, 0x42};
    form->Points = {{1, "one"}, {-2, "two 'quoted'"}};

    auto* a = new TTestNode(form);
    a->SetName("NodeA");
    auto* b = new TTestNode(form);
    b->SetName("NodeB");
    b->SetParentNode(a);
    auto* c = new TTestNode(form);
    c->SetName("NodeC");
    c->Caption = "Ünïcödé ✓";
    a->SetLink(c);    // forward: NodeC is written after NodeA
    c->SetLink(a);    // backward
    b->SetLink(form); // the root itself
    a->OnClick.Bind(form, &TTestForm::NodeClick, "NodeClick");
    auto* item = static_cast<TTestItem*>(c->GetItems()->Add());
    item->Caption = "item 1";
    item->Value = 7;
    c->GetItems()->Add();
    return FormPtr(form);
}

const char* kExpectedHead = R"(object Form1: TTestForm
  Caption = 'It''s a form'
  Count = -42
  Big = 1234567890123
  Ratio = 0.1
  Price = 12345.6789
  Kind = skCircle
  Options = [toOne, toThree]
  Enabled = False
  Letter = 'Z'
  Color = clWhite
  Font.Name = 'Times New Roman'
  Font.Color = clRed
  Lines.Strings = (
    'first'
    'second line'#9'with tab'
    '')
  Link = nil
)";

} // namespace

TEST(FormFile, WritesTheCanonicalLayout)
{
    FormPtr form = BuildSample();
    const String text = WriteComponentToText(form.get());
    // A reference to nothing is not written; the head up to the references is fixed text.
    String head = kExpectedHead;
    head = head.substr(0, head.find("  Link = nil\n"));
    EXPECT_EQ(text.substr(0, head.size()), head);
    EXPECT_NE(text.find("  Data = {\n    0001FEFF42}\n"), String::npos) << text;
    EXPECT_NE(text.find("  Points = (\n    (1 'one')\n    (-2 'two ''quoted''')"), String::npos) << text;
    EXPECT_NE(text.find("  object NodeA: TTestNode\n    Link = NodeC\n    OnClick = NodeClick\n"
                        "    object NodeB: TTestNode\n      Link = Form1\n    end\n  end\n"),
              String::npos)
        << text;
    EXPECT_NE(text.find("    Items = <\n      item\n        Caption = 'item 1'\n        Value = 7\n      end\n"
                        "      item\n      end>\n"),
              String::npos)
        << text;
}

TEST(FormFile, WriteReadWriteGivesIdenticalText)
{
    FormPtr form = BuildSample();
    const String first = WriteComponentToText(form.get());
    form.reset();

    FormPtr copy(ReadComponentFromText(first));
    ASSERT_TRUE(copy);
    const String second = WriteComponentToText(copy.get());
    EXPECT_EQ(first, second);

    auto* root = dynamic_cast<TTestForm*>(copy.get());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->Caption, "It's a form");
    EXPECT_EQ(root->Price.Raw(), 123456789);
    EXPECT_EQ(root->Options, (TTestOptions{toOne, toThree}));
    EXPECT_EQ(root->Letter, u'Z');
    EXPECT_EQ(root->GetLines()->Count(), 3);
    EXPECT_EQ(root->GetLines()->Get(1), "second line\twith tab");
    EXPECT_EQ(root->Data, (std::vector<Byte>{0x00, 0x01, 0xFE, 0xFF, 0x42}));
    ASSERT_EQ(root->Points.size(), 2u);
    EXPECT_EQ(root->Points[1].second, "two 'quoted'");

    TTestNode* a = Node(root, "NodeA");
    TTestNode* b = Node(root, "NodeB");
    TTestNode* c = Node(root, "NodeC");
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->GetLink(), c);
    EXPECT_EQ(c->GetLink(), a);
    EXPECT_EQ(b->GetLink(), root);
    EXPECT_EQ(b->ParentNode(), a);
    EXPECT_EQ(c->Caption, "Ünïcödé ✓");
    ASSERT_EQ(c->GetItems()->Count(), 2);
    EXPECT_EQ(static_cast<TTestItem*>(c->GetItems()->Items(0))->Value, 7);

    // The event is bound to the root's published method.
    EXPECT_EQ(a->OnClick.Name(), "NodeClick");
    a->OnClick(a);
    EXPECT_EQ(root->LastClicked, a);
}

TEST(FormFile, LoadedRunsOnceOnEveryComponentAfterReferencesAreFixed)
{
    FormPtr form(ReadComponentFromText("object F: TTestForm\n"
                                       "  object A: TTestNode\n    Link = B\n  end\n"
                                       "  object B: TTestNode\n    Link = A\n  end\nend\n"));
    for (const char* n : {"A", "B"}) {
        EXPECT_EQ(Node(form.get(), n)->LoadedCalls, 1);
        EXPECT_TRUE(Node(form.get(), n)->LinkResolvedAtLoaded);
        EXPECT_FALSE(Node(form.get(), n)->ComponentState().Contains(csLoading));
        EXPECT_FALSE(Node(form.get(), n)->ComponentState().Contains(csReading));
    }
}

TEST(FormFile, AcceptsTheLooserSpellingsOfValues)
{
    FormPtr form(ReadComponentFromText("object F: TTestForm\n"
                                       "  // a comment\n"
                                       "  caption = 'ab' +\n    'cd'#13#10'e'#$41\n"
                                       "  COUNT = $1F\n"
                                       "  Ratio = 3\n"
                                       "  Price = -0.5\n"
                                       "  kind = SKBOX\n"
                                       "  Options = []\n"
                                       "  Lines.Strings = ('x' 'y')\n"
                                       "  Color = 255\n"
                                       "end"));
    auto* f = dynamic_cast<TTestForm*>(form.get());
    EXPECT_EQ(f->Caption, "abcd\r\neA");
    EXPECT_EQ(f->Count, 31);
    EXPECT_EQ(f->Ratio, 3.0);
    EXPECT_EQ(f->Price.Raw(), -5000);
    EXPECT_EQ(f->Kind, skBox);
    EXPECT_EQ(f->GetLines()->Count(), 2);
    EXPECT_EQ(f->Color, 255);
}

TEST(FormFile, CharacterCodesAboveTheBasicPlane)
{
    // One code, or the two UTF-16 units of a surrogate pair in a row: the same character.
    FormPtr form(ReadComponentFromText("object F: TTestForm\n  Caption = #$1F600'-'#55357#56832\nend"));
    EXPECT_EQ(dynamic_cast<TTestForm*>(form.get())->Caption, "\xF0\x9F\x98\x80-\xF0\x9F\x98\x80");
    EXPECT_THROW(delete ReadComponentFromText("object F: TTestForm\n  Caption = #$110000\nend"), EReadError);
}

namespace {

void ExpectReadError(const String& Text, const String& LinePart, const String& Problem)
{
    const Integer alive = TTestNode::Alive;
    try {
        delete ReadComponentFromText(Text, nullptr, "test.qfm");
        FAIL() << "no error for:\n" << Text;
    } catch (const EReadError& e) {
        EXPECT_NE(e.Message().find("test.qfm: " + LinePart + ":"), String::npos) << e.Message();
        EXPECT_NE(e.Message().find(Problem), String::npos) << e.Message();
    }
    EXPECT_EQ(TTestNode::Alive, alive) << "a failed read left components behind:\n" << Text;
}

} // namespace

TEST(FormFile, RunningOutOfMemoryIsAReadErrorNamingTheLine)
{
    ExpectReadError("object F: TTestForm\n"
                    "  object A: TTestNode\n"
                    "    Caption = 'made first'\n"
                    "  end\n"
                    "  object G: TTestGreedy\n"
                    "    Caption = 'x'\n"
                    "    Reserve = 2000000000\n"
                    "  end\n"
                    "end\n",
                    "Line 7", "Out of memory");
}

TEST(FormFile, BadInputIsAnEReadErrorNamingTheLineAndFreesWhatWasMade)
{
    const String head = "object F: TTestForm\n  object A: TTestNode\n    Caption = 'ok'\n  end\n";
    // A failed read is a stream error to whoever catches those.
    EXPECT_THROW(delete ReadComponentFromText(head + "  Colour = 1\nend\n"), EStreamError);
    ExpectReadError(head + "  object B: TNoSuchClass\n  end\nend\n", "Line 5", "Class TNoSuchClass not found");
    ExpectReadError(head + "  Colour = 1\nend\n", "Line 5", "Property Colour does not exist in TTestForm");
    ExpectReadError(head + "  Font.Style = 1\nend\n", "Line 5", "Property Style does not exist in TTestFont");
    ExpectReadError(head + "  Kind = skTriangle\nend\n", "Line 5", "Invalid value 'skTriangle' for property Kind");
    ExpectReadError(head + "  Count = 'ten'\nend\n", "Line 5", "Invalid value for property Count");
    ExpectReadError(head + "  Count = 99999999999\nend\n", "Line 5", "for property Count");
    ExpectReadError(head + "  Options = [toOne, toNine]\nend\n", "Line 5", "toNine");
    ExpectReadError(head + "  Caption = 'open\nend\n", "Line 5", "Unterminated string");
    ExpectReadError(head + "  Data = {ABC}\nend\n", "Line 5", "odd number");
    ExpectReadError(head + "  Link = Nobody\nend\n", "Line 5", "Component Nobody not found");
    ExpectReadError(head + "  OnClick = Missing\nend\n", "Line 5", "Event handler Missing not found in TTestForm");
    ExpectReadError(head + "  OnClick = WrongSignature\nend\n", "Line 5", "does not match event OnClick");
    ExpectReadError(head + "  object A: TTestNode\n  end\nend\n", "Line 5", "A component named A already exists");
    ExpectReadError(head + "  object 9x: TTestNode\n  end\nend\n", "Line 5", "Identifier expected");
    ExpectReadError(head + "  Points = (1 2)\nend\n", "Line 5", "List expected");
    ExpectReadError(head, "Line 5", "'end' expected for object F");
    ExpectReadError("object F: TTestForm\nend\nobject G: TTestForm\nend\n", "Line 3", "Text after the end");
    ExpectReadError(String(300, ' ') + "object F: TTestForm\n  Points = " + String(1000, '(') + "\nend\n", "Line 2",
                    "nested too deeply");
}

TEST(FormFile, ReadsIntoAnExistingRootAndKeepsItOnError)
{
    TTestForm form(nullptr);
    ReadComponentIntoRoot(&form, "object Main: TTestForm\n  Caption = 'x'\n  object A: TTestNode\n  end\nend\n");
    EXPECT_EQ(form.Name(), "Main");
    EXPECT_EQ(form.Caption, "x");
    EXPECT_EQ(form.ComponentCount(), 1);

    // A failed read frees only what it made.
    EXPECT_THROW(ReadComponentIntoRoot(&form, "object Main: TTestForm\n  object B: TTestNode\n  end\n  Bad = 1\nend\n"),
                 EReadError);
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_NE(form.FindComponent("A"), nullptr);
    EXPECT_EQ(form.FindComponent("B"), nullptr);

    // The file's root class must be the root's own class or an ancestor of it.
    EXPECT_THROW(ReadComponentIntoRoot(&form, "object Main: TTestItem\nend\n"), EReadError);
}

TEST(FormFile, InheritedFormsChangeAndExtendTheAncestorsComponents)
{
    TTestForm form(nullptr);
    ReadComponentIntoRoot(&form, "object Base: TTestForm\n  Caption = 'base'\n"
                                 "  object A: TTestNode\n    Count = 1\n  end\nend\n");
    const String derived = "inherited Base: TTestForm\n"
                           "  Caption = 'derived'\n"
                           "  inherited A: TTestNode\n"
                           "    Count = 2\n"
                           "  end\n"
                           "  object B: TTestNode\n"
                           "    Link = A\n"
                           "  end\n"
                           "end\n";
    ReadComponentIntoRoot(&form, derived);
    EXPECT_EQ(form.Caption, "derived");
    EXPECT_EQ(Node(&form, "A")->Count, 2);
    EXPECT_TRUE(Node(&form, "A")->ComponentState().Contains(csAncestor));
    EXPECT_FALSE(Node(&form, "B")->ComponentState().Contains(csAncestor));
    EXPECT_EQ(WriteComponentToText(&form), derived);

    EXPECT_THROW(ReadComponentIntoRoot(&form, "inherited Base: TTestForm\n  inherited Z: TTestNode\n  end\nend\n"),
                 EReadError);
}

TEST(FormFile, ReferencesReachIntoOtherModules)
{
    FormPtr data(ReadComponentFromText("object DataModule1: TTestForm\n  object Source: TTestNode\n  end\nend\n"));
    FormPtr form(ReadComponentFromText("object Form2: TTestForm\n  Link = DataModule1.Source\nend\n"));
    auto* f = dynamic_cast<TTestForm*>(form.get());
    EXPECT_EQ(f->GetLink(), data->FindComponent("Source"));
    EXPECT_NE(WriteComponentToText(f).find("Link = DataModule1.Source"), String::npos);

    // Freeing the other module clears the reference.
    data.reset();
    EXPECT_EQ(f->GetLink(), nullptr);
    EXPECT_EQ(FindModule("DataModule1"), nullptr);
    EXPECT_THROW(delete ReadComponentFromText("object Form3: TTestForm\n  Link = DataModule1.Source\nend\n"), EReadError);
}

TEST(FormFile, StreamsCarryTheSameText)
{
    FormPtr form = BuildSample();
    TMemoryStream stream;
    WriteComponent(stream, form.get());
    stream.SetPosition(0);
    FormPtr copy(ReadComponent(stream));
    EXPECT_EQ(WriteComponentToText(copy.get()), WriteComponentToText(form.get()));

    TTestForm into(nullptr);
    stream.SetPosition(0);
    EXPECT_EQ(ReadComponent(stream, &into), &into);
    EXPECT_EQ(into.Caption, "It's a form");
}

namespace qor {

// A form class that reads its own form file when it is made.
class TTestSettingsForm : public TTestForm {
    QOR_CLASS(TTestSettingsForm, TTestForm)
public:
    explicit TTestSettingsForm(TComponent* AOwner) : TTestForm(AOwner) { ReadFormResource(this, "forms/testsettings.qfm"); }
    void SettingsClick(TObject* Sender) { LastClicked = Sender; }
};

QOR_PUBLISH(TTestSettingsForm) { b.Method("SettingsClick", &TTestSettingsForm::SettingsClick); }

} // namespace qor

TEST(FormFile, AFormClassReadsItsOwnFormFileFromTheResources)
{
    TTestSettingsForm form(nullptr);
    EXPECT_EQ(form.Name(), "SettingsForm");
    EXPECT_EQ(form.Caption, "Settings");
    TTestNode* ok = Node(&form, "OkNode");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetLink(), &form);
    form.OnClick(ok);
    EXPECT_EQ(form.LastClicked, ok);

    try {
        ReadFormResource(&form, "forms/missing.qfm");
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Resource forms/missing.qfm not found");
    }
}

// ---------------------------------------------------------------------------------------------
// Exact round trips of every kind of value

namespace {

// Writes Root, reads the text back, writes the copy: both texts must be the same.
FormPtr RoundTrip(TComponent* Root, String* Text = nullptr)
{
    const String first = WriteComponentToText(Root);
    FormPtr copy(ReadComponentFromText(first));
    EXPECT_EQ(WriteComponentToText(copy.get()), first);
    if (Text)
        *Text = first;
    return copy;
}

TTestForm* AsForm(const FormPtr& P) { return dynamic_cast<TTestForm*>(P.get()); }

} // namespace

TEST(FormFileValues, StringsWithAnyCharactersComeBackUnchanged)
{
    String controls;
    for (int c = 1; c < 32; ++c)
        controls += static_cast<char>(c);
    const String samples[] = {String(),
                              "'",
                              "''",
                              "a'b''c'",
                              String("nul\0inside", 10),
                              String(1, '\0'),
                              controls,
                              "\x7f#13+'x'",
                              "é ✓ 😀 \u2028",
                              "\xff\xfe broken \xc3 utf-8 \xed\xa0\x80",
                              String(5000, 'x') + "'" + String(5000, '#')};
    for (const String& s : samples) {
        TTestForm form(nullptr);
        form.Caption = s;
        form.GetLines()->Add(s);
        form.GetLines()->Add("second");
        FormPtr copy = RoundTrip(&form);
        EXPECT_EQ(AsForm(copy)->Caption, s);
        ASSERT_EQ(AsForm(copy)->GetLines()->Count(), 2);
        EXPECT_EQ(AsForm(copy)->GetLines()->Get(0), s);
    }
}

TEST(FormFileValues, NumbersComeBackExactly)
{
    const Double floats[] = {0.1, -1.5e-10, 2.5, 1e300, -1e-300, 5e-324, DBL_MAX, -DBL_MAX, DBL_MIN,
                             123456789.0, 1.2345678901234567e19, -9.999999999999999e22, 1e22};
    for (Double d : floats) {
        TTestForm form(nullptr);
        form.Ratio = d;
        FormPtr copy = RoundTrip(&form);
        EXPECT_EQ(AsForm(copy)->Ratio, d);
    }
    const Int64 raws[] = {1, -1, 10000, -123456789, INT64_MAX, INT64_MIN, INT64_MAX - 5000};
    for (Int64 raw : raws) {
        TTestForm form(nullptr);
        form.Price = Currency::FromRaw(raw);
        FormPtr copy = RoundTrip(&form);
        EXPECT_EQ(AsForm(copy)->Price.Raw(), raw);
    }
    for (Int64 big : {INT64_MIN, INT64_MAX, Int64(-1)}) {
        TTestForm form(nullptr);
        form.Big = big;
        FormPtr copy = RoundTrip(&form);
        EXPECT_EQ(AsForm(copy)->Big, big);
    }
    FormPtr hex(ReadComponentFromText("object F: TTestForm\n  Big = -$8000000000000000\nend\n"));
    EXPECT_EQ(AsForm(hex)->Big, INT64_MIN);
    EXPECT_THROW(delete ReadComponentFromText("object F: TTestForm\n  Price = 922337203685477.5808\nend\n"),
                 EReadError);
    EXPECT_THROW(delete ReadComponentFromText("object F: TTestForm\n  Price = -922337203685477.58086\nend\n"),
                 EReadError);
}

namespace qor {

// Stores values of its own through the filer: an identifier that may be empty, a list that may be
// empty, a currency and a float.
class TTestVersioned : public TTestForm {
    QOR_CLASS(TTestVersioned, TTestForm)
public:
    using TTestForm::TTestForm;
    String Version;
    std::vector<String> Tags;
    Currency Amount;
    Double Scale = 0;

    void DefineProperties(TFiler& Filer) override
    {
        TTestForm::DefineProperties(Filer);
        Filer.DefineProperty("Version", [this](TReader& R) { Version = R.ReadIdent(); },
                             [this](TWriter& W) { W.WriteIdent(Version); }, true);
        Filer.DefineProperty(
            "Tags",
            [this](TReader& R) {
                Tags.clear();
                R.ReadListBegin();
                while (!R.EndOfList())
                    Tags.push_back(R.ReadString());
                R.ReadListEnd();
            },
            [this](TWriter& W) {
                W.WriteListBegin();
                for (const String& t : Tags)
                    W.WriteString(t);
                W.WriteListEnd();
            },
            true);
        Filer.DefineProperty("Amount", [this](TReader& R) { Amount = R.ReadCurrency(); },
                             [this](TWriter& W) { W.WriteCurrency(Amount); }, true);
        Filer.DefineProperty("Scale", [this](TReader& R) { Scale = R.ReadFloat(); },
                             [this](TWriter& W) { W.WriteFloat(Scale); }, true);
    }
};

QOR_PUBLISH(TTestVersioned) {}

} // namespace qor

TEST(FormFileValues, DefinedPropertiesKeepEmptyIdentifiersAndEmptyLists)
{
    TTestVersioned form(nullptr);
    String text;
    FormPtr copy = RoundTrip(&form, &text);
    auto* v = dynamic_cast<TTestVersioned*>(copy.get());
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->Version, "");
    EXPECT_TRUE(v->Tags.empty());
    EXPECT_NE(text.find("  Tags = ()\n"), String::npos) << text;

    form.Version = "vQor1_0";
    form.Tags = {"", "a'b"};
    form.Amount = Currency::FromRaw(INT64_MIN);
    form.Scale = 1.2345678901234567e19;
    copy = RoundTrip(&form);
    v = dynamic_cast<TTestVersioned*>(copy.get());
    EXPECT_EQ(v->Version, "vQor1_0");
    EXPECT_EQ(v->Tags, form.Tags);
    EXPECT_EQ(v->Amount.Raw(), INT64_MIN);
    EXPECT_EQ(v->Scale, form.Scale);

    // Only identifiers can be written as identifiers.
    form.Version = "not an identifier";
    EXPECT_THROW(WriteComponentToText(&form), EWriteError);
}

// ---------------------------------------------------------------------------------------------
// Error paths that must leave nothing behind

namespace qor {

class TTestFailingNode : public TTestNode {
    QOR_CLASS(TTestFailingNode, TTestNode)
public:
    using TTestNode::TTestNode;
    void Loaded() override
    {
        TTestNode::Loaded();
        throw EInvalidOperation("Node " + Name() + " refuses to load");
    }
};

QOR_PUBLISH(TTestFailingNode) {}

} // namespace qor

TEST(FormFile, AFailingLoadedFreesEverythingTheReadMade)
{
    const Integer alive = TTestNode::Alive;
    const String text = "object F: TTestForm\n  object A: TTestNode\n  end\n  object B: TTestFailingNode\n  end\nend\n";
    EXPECT_THROW(delete ReadComponentFromText(text), EInvalidOperation);
    EXPECT_EQ(TTestNode::Alive, alive);
    EXPECT_EQ(FindModule("F"), nullptr);

    TTestForm form(nullptr);
    EXPECT_THROW(ReadComponentIntoRoot(&form, text), EInvalidOperation);
    EXPECT_EQ(form.ComponentCount(), 0);
    EXPECT_FALSE(form.ComponentState().Contains(csLoading));
}

TEST(FormFile, ACollectionGivenTwiceDropsTheReferencesOfItsFirstItems)
{
    // The second value replaces the first; the references read for the first items must not be
    // resolved into items that no longer exist.
    FormPtr form(ReadComponentFromText("object F: TTestForm\n"
                                       "  Items = <\n    item\n      Target = F\n    end\n    item\n      Target = F\n    end>\n"
                                       "  Items = <\n    item\n      Caption = 'kept'\n    end>\n"
                                       "end\n"));
    auto* f = AsForm(form);
    ASSERT_EQ(f->GetItems()->Count(), 1);
    auto* item = static_cast<TTestItem*>(f->GetItems()->Items(0));
    EXPECT_EQ(item->Caption, "kept");
    EXPECT_EQ(item->Target, nullptr);

    // A reference of a kept item is resolved as usual.
    form.reset(ReadComponentFromText("object F: TTestForm\n  Items = <\n    item\n      Target = F\n    end>\nend\n"));
    EXPECT_EQ(static_cast<TTestItem*>(AsForm(form)->GetItems()->Items(0))->Target, form.get());
}

TEST(FormFile, ReferencesIntoModulesThatHaveAnOwnerNameTheModule)
{
    // Forms and data modules usually belong to the application object.
    TTestForm application(nullptr);
    TComponent* data = ReadComponentFromText("object DataModule2: TTestForm\n  object Table1: TTestNode\n  end\nend\n",
                                             &application);
    TComponent* form = ReadComponentFromText("object Form4: TTestForm\n  Link = DataModule2.Table1\nend\n", &application);
    EXPECT_EQ(dynamic_cast<TTestForm*>(form)->GetLink(), data->FindComponent("Table1"));
    const String text = WriteComponentToText(form);
    EXPECT_NE(text.find("  Link = DataModule2.Table1\n"), String::npos) << text;
    EXPECT_EQ(GetPropText(form, "Link"), "DataModule2.Table1");

    // A module's own components keep their plain names.
    auto* own = new TTestNode(form);
    own->SetName("Own");
    dynamic_cast<TTestForm*>(form)->SetLink(own);
    EXPECT_EQ(GetPropText(form, "Link"), "Own");
    EXPECT_NE(WriteComponentToText(form).find("  Link = Own\n"), String::npos);
}
