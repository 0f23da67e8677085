// The design host over the platform's own controls and data sets: which editor a property gets,
// what the default editors offer and refuse, placing, deleting, moving and resizing by mouse
// messages, the selection's order, Modified, copy and paste, and handler names a form keeps.

#include "common/TestErrors.h"
#include "printing/PrintTestSupport.h"
#include "platform/db/DataSource.h"
#include "platform/db/MemoryDataSet.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ide/DesignEditors.h"
#include "platform/ide/DesignWindows.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Clipboard.h"
#include "platform/ui/DialogService.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace qor;
using namespace qor::test;

namespace qor {

// Components only these tests register editors for.
class TEdTarget : public TComponent {
    QOR_CLASS(TEdTarget, TComponent)
public:
    using TComponent::TComponent;
};
class TEdTargetSub : public TEdTarget {
    QOR_CLASS(TEdTargetSub, TEdTarget)
public:
    using TEdTarget::TEdTarget;
};
class TEdHolder : public TComponent {
    QOR_CLASS(TEdHolder, TComponent)
public:
    using TComponent::TComponent;
    TEdTarget* Target = nullptr;
    TEdTarget* Other = nullptr;
    TEdTargetSub* Sub = nullptr;
};
class TEdHolderSub : public TEdHolder {
    QOR_CLASS(TEdHolderSub, TEdHolder)
public:
    using TEdHolder::TEdHolder;
};
// The same properties on a class no registration filters for.
class TEdPlain : public TComponent {
    QOR_CLASS(TEdPlain, TComponent)
public:
    using TComponent::TComponent;
    TEdTarget* Target = nullptr;
    TEdTarget* Other = nullptr;
    TEdTargetSub* Sub = nullptr;
};

// A control every parent refuses, and components that refuse to go.
class TRefusedControl : public TGraphicControl {
    QOR_CLASS(TRefusedControl, TGraphicControl)
public:
    using TGraphicControl::TGraphicControl;
    void SetParent(TWinControl* P) override
    {
        if (P)
            Abort();
        TGraphicControl::SetParent(P);
    }
};
class TStubbornPanel : public TPanel {
    QOR_CLASS(TStubbornPanel, TPanel)
public:
    using TPanel::TPanel;
    bool Silent = false;
    bool Refuse = true;
    void BeforeDestruction() override
    {
        if (Refuse && !ComponentState().Contains(csDestroying)) {
            if (Silent)
                Abort();
            throw Exception("This panel cannot be deleted");
        }
        TPanel::BeforeDestruction();
    }
};

QOR_PUBLISH(TEdTarget) {}
QOR_PUBLISH(TEdTargetSub) {}
QOR_PUBLISH(TEdHolder)
{
    b.Property("Target", &TEdHolder::Target);
    b.Property("Other", &TEdHolder::Other);
    b.Property("Sub", &TEdHolder::Sub);
}
QOR_PUBLISH(TEdHolderSub) {}
QOR_PUBLISH(TEdPlain)
{
    b.Property("Target", &TEdPlain::Target);
    b.Property("Other", &TEdPlain::Other);
    b.Property("Sub", &TEdPlain::Sub);
}
QOR_PUBLISH(TRefusedControl) {}
QOR_PUBLISH(TStubbornPanel) {}

} // namespace qor

namespace {

// An editor that says which registration made it.
class TTaggedProperty : public TComponentProperty {
public:
    using TComponentProperty::TComponentProperty;
    String Tag;
};

TPropertyEditorClass Tagged(const char* Tag)
{
    return [Tag](IDesigner* D, std::vector<TObject*> C, const TPropInfo* P) -> std::unique_ptr<TPropertyEditor> {
        auto e = std::make_unique<TTaggedProperty>(D, std::move(C), P);
        e->Tag = Tag;
        return e;
    };
}

String EditorFor(TObject* Holder, const char* Prop)
{
    const TPropInfo* p = Holder->ClassType()->FindProperty(Prop);
    auto e = MakePropertyEditor(nullptr, {Holder}, p, p->Name);
    if (auto* t = dynamic_cast<TTaggedProperty*>(e.get()))
        return t->Tag;
    return e->ClassName();
}

TEST(EditorChoice, ClassFilterThenNameThenNearestTypeThenTheLaterRegistration)
{
    RegisterPropertyEditor(TEdTarget::StaticClass(), nullptr, "", Tagged("any"));
    RegisterPropertyEditor(TEdTargetSub::StaticClass(), nullptr, "", Tagged("nearer type"));
    RegisterPropertyEditor(TEdTarget::StaticClass(), nullptr, "OTHER", Tagged("name"));
    RegisterPropertyEditor(TEdTarget::StaticClass(), TEdHolderSub::StaticClass(), "", Tagged("nearest class"));
    RegisterPropertyEditor(TEdTarget::StaticClass(), TEdHolder::StaticClass(), "", Tagged("class"));
    RegisterPropertyEditor(TEdTarget::StaticClass(), nullptr, "", Tagged("later"));
    TEdHolder holder(nullptr);
    TEdHolderSub holderSub(nullptr);
    TEdPlain plain(nullptr);
    TDataSource source(nullptr);
    const struct {
        TObject* Holder;
        const char* Prop;
        const char* Editor;
    } rows[] = {
        {&holderSub, "Target", "nearest class"}, // the nearer of two class filters, though registered first
        {&holder, "Other", "class"},             // a class filter beats a name filter
        {&plain, "Other", "name"},               // a name filter beats the nearer type
        {&plain, "Sub", "nearer type"},
        {&plain, "Target", "later"},
        {&source, "DataSet", "TComponentProperty"},
        {&source, "Tag", "TIntegerProperty"},
        {&source, "Enabled", "TBoolProperty"},
        {&source, "OnStateChange", "TMethodProperty"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(EditorFor(r.Holder, r.Prop), r.Editor) << r.Holder->ClassName() << "." << r.Prop;
}

class DesignHostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Dir = std::filesystem::path(QOR_BINARY_DIR) / "tests" / "ide-out" /
              ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::filesystem::remove_all(Dir);
        std::filesystem::create_directories(Dir);
        DialogService().Reset();
    }
    void TearDown() override { DialogService().Reset(); }

    // Opens form text in the host.
    void Open(const std::string& Text)
    {
        const std::string file = (Dir / "form.qfm").string();
        std::ofstream(file) << Text;
        Host.Open(file);
    }
    template <class T = TControl>
    T* Find(const char* Name)
    {
        return dynamic_cast<T*>(Host.Root()->FindComponent(Name));
    }
    static LPARAM At(Integer X, Integer Y) { return MAKELPARAM(static_cast<Word>(X), static_cast<Word>(Y)); }
    std::unique_ptr<TPropertyEditor> Editor(TPersistent* Object, const char* Prop)
    {
        const TPropInfo* p = Object->ClassType()->FindProperty(Prop);
        return MakePropertyEditor(&Host, {Object}, p, p->Name);
    }
    static std::vector<String> Values(TPropertyEditor& E)
    {
        std::vector<String> v;
        E.GetValues([&](const String& S) { v.push_back(S); });
        return v;
    }

    std::filesystem::path Dir;
    TDesignHost Host;
};

const char* const Panels = R"(object Form1: TForm
  Caption = 'Panels'
  Width = 400
  Height = 300
  object Panel1: TPanel
    Left = 10
    Top = 10
    Width = 200
    Height = 100
    object Label1: TLabel
      Left = 5
      Top = 5
      Width = 60
      Height = 15
      Caption = 'first'
      FocusControl = Edit1
    end
    object Edit1: TEdit
      Left = 5
      Top = 40
      Width = 80
      Height = 20
    end
  end
  object Panel2: TPanel
    Left = 220
    Top = 10
    Width = 100
    Height = 100
  end
  object Source1: TDataSource
    DataSet = Data1
  end
  object Data1: TMemoryDataSet
  end
end
)";

TEST_F(DesignHostTest, DefaultEditorsOfferTheirValuesAndRefuseWhatDoesNotFit)
{
    Open(Panels);
    auto* label = Find<TLabel>("Label1");
    auto* source = Find<TComponent>("Source1");

    auto align = Editor(label, "Align");
    EXPECT_EQ(align->GetAttributes(), TPropertyAttributes{paValueList});
    EXPECT_EQ(Values(*align).back(), "alClient");
    EXPECT_EQ(ErrorOf([&] { align->SetValue("alNowhere"); }), "Invalid property value");
    align->SetValue("altop");
    EXPECT_EQ(label->Align(), alTop) << "names in any case";

    auto visible = Editor(label, "Visible");
    EXPECT_EQ(Values(*visible), (std::vector<String>{"False", "True"}));
    EXPECT_EQ(ErrorOf([&] { visible->SetValue("maybe"); }), "Invalid property value");

    auto color = Editor(label, "Color");
    EXPECT_TRUE(color->GetAttributes().Contains(paValueList));
    color->SetValue("clRed");
    EXPECT_EQ(label->Color(), clRed);

    auto font = Editor(label, "Font");
    EXPECT_EQ(font->GetValue(), "(TFont)");
    EXPECT_EQ(font->GetAttributes(), (TPropertyAttributes{paSubProperties, paReadOnly}));
    std::vector<String> paths;
    font->GetProperties([&](std::unique_ptr<TPropertyEditor> E) { paths.push_back(E->Path()); });
    EXPECT_NE(std::find(paths.begin(), paths.end(), "Font.Name"), paths.end());

    // a reference offers the form's components of its class, takes nil, refuses the rest
    auto dataSet = Editor(source, "DataSet");
    EXPECT_EQ(Values(*dataSet), (std::vector<String>{"Data1"}));
    EXPECT_EQ(dataSet->GetValue(), "Data1");
    EXPECT_EQ(ErrorOf([&] { dataSet->SetValue("Nobody"); }), "Invalid property value");
    EXPECT_EQ(ErrorOf([&] { dataSet->SetValue("Panel1"); }), "Invalid property value");
    dataSet->SetValue("");
    EXPECT_EQ(dataSet->GetValue(), "");

    // an event takes the name of a handler only the application has
    auto click = Editor(label, "OnClick");
    click->SetValue("LabelClick");
    EXPECT_EQ(click->GetValue(), "LabelClick");
    EXPECT_FALSE(label->OnClick.Assigned());
    EXPECT_EQ(ErrorOf([&] { click->SetValue("no name"); }), "'no name' is not a valid method name");

    // a string list through the memo dialog; a glyph loaded from a file
    TMemo memo(Host.Root());
    memo.SetName("Memo1");
    auto lines = Editor(&memo, "Lines");
    EXPECT_EQ(lines->GetAttributes(), (TPropertyAttributes{paDialog, paReadOnly}));
    DialogService().Expect(TDialogKind::dkModalForm, [](const TDialogRequest& R) {
        EXPECT_EQ(R.Caption, StringListEditorCaption);
        static_cast<TMemo*>(R.Form->FindComponent("Memo"))->Lines()->SetText("one\ntwo\n");
        return mrOk;
    });
    lines->Edit();
    EXPECT_EQ(memo.Lines()->Count(), 2);

    TBitmap picture;
    picture.SetSize(4, 3);
    const std::string bmp = (Dir / "glyph.bmp").string();
    picture.SaveToFile(bmp);
    TSpeedButton button(Host.Root());
    button.SetName("Button9");
    auto glyph = Editor(&button, "Glyph");
    EXPECT_EQ(glyph->ClassName(), "TPictureProperty");
    EXPECT_EQ(glyph->GetValue(), "(None)");
    DialogService().Expect(TDialogKind::dkOpenFile, [&](const TDialogRequest& R) {
        static_cast<TOpenDialog*>(R.Dialog)->SetFileName(bmp);
        return 1;
    });
    glyph->Edit();
    EXPECT_EQ(button.Glyph()->Width(), 4);

    // Revert: the default of a component that was not inherited
    Host.Revert(label, label->ClassType()->FindProperty("Caption"));
    EXPECT_EQ(label->Caption(), "");
}

TEST_F(DesignHostTest, PlacingTriesTheTargetThenItsParentsAndNamesAfterTheClass)
{
    Open(Panels);
    const Integer before = Host.Root()->ComponentCount();
    EXPECT_EQ(Host.Place(TRefusedControl::StaticClass(), Find("Label1"), TPoint(3, 3)), nullptr);
    EXPECT_EQ(Host.Root()->ComponentCount(), before) << "nothing placed when every parent refuses";

    // a label is no container: the panel under it takes the new one, at the point in its own terms
    auto* made = dynamic_cast<TControl*>(Host.Place(TPanel::StaticClass(), Find("Label1"), TPoint(3, 4)));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->Name(), "Panel3");
    EXPECT_EQ(made->Parent(), Find("Panel1"));
    EXPECT_EQ(made->Left(), 8);
    EXPECT_EQ(made->Top(), 9);
    EXPECT_TRUE(made->ComponentState().Contains(csDesigning));
    EXPECT_EQ(Host.Selection(), std::vector<TPersistent*>{made});
    EXPECT_TRUE(Host.IsDirty());

    // a palette class chosen, a click places it there
    Host.SetPlacing(TMemoryDataSet::StaticClass());
    Find("Panel2")->Perform(WM_LBUTTONDOWN, 0, At(5, 5));
    EXPECT_NE(Host.Root()->FindComponent("MemoryDataSet1"), nullptr);
    EXPECT_EQ(Host.Placing(), nullptr);
}

TEST_F(DesignHostTest, DeletingSaysNothingOnASilentRefusalAndShowsAnyOther)
{
    Open(Panels);
    auto* stubborn = Create<TStubbornPanel>(Host.Root());
    stubborn->SetName("Stubborn");
    stubborn->SetParent(Host.Form());
    Host.SelectComponent(stubborn);
    stubborn->Silent = true;
    EXPECT_FALSE(Host.DeleteSelection());
    EXPECT_TRUE(DialogService().History().empty());
    stubborn->Silent = false;
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    EXPECT_FALSE(Host.DeleteSelection());
    ASSERT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(DialogService().History()[0].Text, "This panel cannot be deleted.");
    EXPECT_EQ(Host.Root()->FindComponent("Stubborn"), stubborn);
    stubborn->Refuse = false;

    // a panel goes with its children, and the selection lets go of all of them
    Find("Panel1")->Perform(WM_LBUTTONDOWN, 0, At(1, 1));
    Find("Panel1")->Perform(WM_LBUTTONUP, 0, At(1, 1));
    Find("Panel1")->Perform(WM_KEYDOWN, VK_DELETE);
    EXPECT_EQ(Host.Root()->FindComponent("Label1"), nullptr);
    EXPECT_EQ(Host.Selection(), std::vector<TPersistent*>{Host.Root()});
}

TEST_F(DesignHostTest, MouseMessagesSelectMoveAndResizeAndShiftKeepsTheOrder)
{
    Open(Panels);
    TControl* p1 = Find("Panel1");
    TControl* p2 = Find("Panel2");
    TControl* label = Find("Label1");
    // a label has no window of its own here: its panel's message finds it
    p1->Perform(WM_LBUTTONDOWN, 0, At(10, 10));
    EXPECT_EQ(Host.Selection(), std::vector<TPersistent*>{label});
    p1->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(50, 13));
    p1->Perform(WM_LBUTTONUP, 0, At(50, 13));
    EXPECT_EQ(label->Left(), 45);
    EXPECT_EQ(label->Top(), 8);
    EXPECT_EQ(label->Parent(), p1) << "moved within its parent";
    EXPECT_TRUE(Host.IsDirty());

    // the bottom-right handle makes a panel larger
    Host.SelectComponent(p2);
    auto handles = Host.HandlesOf(p2);
    ASSERT_EQ(handles.size(), 8u);
    handles[4]->Perform(WM_LBUTTONDOWN, 0, At(2, 2));
    handles[4]->Perform(WM_MOUSEMOVE, MK_LBUTTON, At(12, 7));
    handles[4]->Perform(WM_LBUTTONUP, 0, At(12, 7));
    EXPECT_EQ(p2->Width(), 110);
    EXPECT_EQ(p2->Height(), 105);
    Host.SelectComponent(label);

    // Shift adds in order and takes away again
    p2->Perform(WM_LBUTTONDOWN, MK_SHIFT, At(1, 1));
    p1->Perform(WM_LBUTTONDOWN, MK_SHIFT, At(150, 80));
    EXPECT_EQ(Host.Selection(), (std::vector<TPersistent*>{label, p2, p1}));
    p2->Perform(WM_LBUTTONDOWN, MK_SHIFT, At(1, 1));
    TDesignerSelections got;
    Host.GetSelections(got);
    EXPECT_EQ(got.List(), (std::vector<TPersistent*>{label, p1}));
    auto list = CreateSelectionList();
    list->Add(p2);
    list->Add(label);
    list->Add(p2);
    Host.SetSelections(*list);
    EXPECT_EQ(Host.Selection(), (std::vector<TPersistent*>{p2, label}));

    // the arrows move, Shift+arrows resize, Escape selects the parent
    Host.SelectComponent(label);
    SetKeyboardShiftState({});
    label->Perform(WM_KEYDOWN, VK_RIGHT);
    EXPECT_EQ(label->Left(), 46);
    Host.SelectComponent(p2);
    SetKeyboardShiftState({ssShift});
    p2->Perform(WM_KEYDOWN, VK_DOWN);
    SetKeyboardShiftState({});
    EXPECT_EQ(p2->Height(), 106);
    Host.SelectComponent(label);
    label->Perform(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(Host.Selection(), std::vector<TPersistent*>{p1});
}

TEST_F(DesignHostTest, ADoubleClickRunsTheComponentEditorAndTheRightButtonOffersItsVerbs)
{
    static std::vector<std::string> heard;
    class TPanelEditor : public TComponentEditor {
    public:
        using TComponentEditor::TComponentEditor;
        Integer GetVerbCount() override { return 1; }
        String GetVerb(Integer) override { return "Tidy Up"; }
        void ExecuteVerb(Integer) override { heard.push_back("verb on " + Component()->Name()); }
    };
    RegisterComponentEditor(TStubbornPanel::StaticClass(), ComponentEditorClassOf<TPanelEditor>());
    Open(Panels);
    auto* panel = Create<TStubbornPanel>(Host.Root());
    panel->Refuse = false;
    panel->SetName("Editable");
    panel->SetParent(Host.Form());
    panel->SetBounds(10, 150, 50, 50);
    // sent by code: the editor has run when the send returns
    SendMessage(panel->Handle(), WM_LBUTTONDBLCLK);
    EXPECT_EQ(heard, std::vector<std::string>{"verb on Editable"});
    panel->Perform(WM_RBUTTONDOWN, 0, At(3, 3));
    panel->Perform(WM_RBUTTONUP, 0, At(3, 3));
    ASSERT_NE(Host.ContextMenu(), nullptr);
    TMenuItem* items = Host.ContextMenu()->Items();
    ASSERT_EQ(items->Count(), 3);
    EXPECT_EQ(items->Items(0)->Caption(), "Tidy Up");
    EXPECT_EQ(items->Items(2)->Caption(), "Delete");
    items->Items(2)->Click();
    EXPECT_EQ(Host.Root()->FindComponent("Editable"), nullptr);
}

TEST_F(DesignHostTest, CopyAndPasteMakeNewNamesAndReferencesFollowThem)
{
    Open(Panels);
    Host.SelectComponent(Find("Panel1"));
    SetKeyboardShiftState({ssCtrl});
    Find("Panel1")->Perform(WM_KEYDOWN, 'C');
    Host.SelectComponent(Find("Panel2"));
    Find("Panel2")->Perform(WM_KEYDOWN, 'V');
    SetKeyboardShiftState({});
    auto* pasted = Find("Panel3");
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->Parent(), Find("Panel2"));
    EXPECT_EQ(Host.Selection(), std::vector<TPersistent*>{pasted});
    auto* label = Find<TLabel>("Label2");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->Parent(), pasted);
    EXPECT_EQ(label->Caption(), "first");
    EXPECT_EQ(label->FocusControl(), Find("Edit2")) << "the copy's reference goes to the copy";
    EXPECT_EQ(Find<TLabel>("Label1")->FocusControl(), Find("Edit1"));

    // what no parent takes is not pasted at all
    Clipboard()->SetAsText("object Refused1: TRefusedControl\nend\n");
    const Integer before = Host.Root()->ComponentCount();
    Host.PasteSelection();
    EXPECT_EQ(Host.Root()->ComponentCount(), before);
}

TEST_F(DesignHostTest, AFormKeepsTheHandlerNamesItCannotBindAndItsStoredVisible)
{
    const std::string text = "object Form1: TForm\n"
                             "  Visible = False\n"
                             "  OnShow = FormShow\n"
                             "  object Button1: TButton\n"
                             "    OnClick = Button1Click\n"
                             "  end\n"
                             "end\n";
    Open(text);
    EXPECT_FALSE(Find<TButton>("Button1")->OnClick.Assigned());
    Host.ShowForm();
    const String written = Host.FormText();
    EXPECT_NE(written.find("OnClick = Button1Click"), String::npos);
    EXPECT_NE(written.find("OnShow = FormShow"), String::npos);
    EXPECT_NE(written.find("Visible = False"), String::npos) << "showing the form in the designer changes nothing";
    // outside the designer the names still have to exist
    EXPECT_NE(ErrorOf([&] { delete ReadComponentFromText(text); }).find("Event handler FormShow not found"), String::npos);
}

TEST_F(DesignHostTest, ModifiedMarksTheFormAndRefreshesInspectorAndListAndSaveIsAtomic)
{
    TDesignEnvironment env;
    const std::string file = (Dir / "form.qfm").string();
    std::ofstream(file) << Panels;
    env.Open(file);
    TDesignHost& host = env.Host();
    host.SelectComponent(host.Root()->FindComponent("Label1"));
    TObjectInspector* inspector = env.Inspector();
    EXPECT_EQ(inspector->ComponentBox()->Text(), "Label1: TLabel");
    ASSERT_TRUE(inspector->SetValue("Caption", "second"));
    EXPECT_TRUE(host.IsDirty());
    EXPECT_EQ(inspector->Row(inspector->FindRow("Caption")).Value, "second");
    // a refused value: its message, and the old value stays
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    EXPECT_FALSE(inspector->SetValue("Left", "left"));
    EXPECT_EQ(inspector->Row(inspector->FindRow("Left")).Value, "5");
    // Return in a value box takes the name typed over the one it showed
    host.SelectComponent(host.Root()->FindComponent("Source1"));
    inspector->SetCurrentRow(inspector->FindRow("DataSet"));
    ASSERT_TRUE(inspector->ValueBox()->Visible());
    inspector->ValueBox()->SetText("");
    inspector->ValueBox()->Perform(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(inspector->Row(inspector->FindRow("DataSet")).Value, "");
    inspector->ValueBox()->SetText("Data1");
    inspector->ValueBox()->Perform(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(inspector->Row(inspector->FindRow("DataSet")).Value, "Data1");
    host.SelectComponent(host.Root()->FindComponent("Label1"));
    inspector->Toggle("Font");
    EXPECT_GE(inspector->FindRow("Font.Name"), 0);
    // scrolled down the label's rows, then a component with fewer: its rows are in view
    auto* box = dynamic_cast<TScrollingWinControl*>(inspector->Grid()->Parent());
    ASSERT_NE(box, nullptr);
    box->VertScrollBar()->SetPosition(10000);
    ASSERT_GT(box->VertScrollBar()->Position(), 0);
    host.SelectComponent(host.Root()->FindComponent("Source1"));
    EXPECT_EQ(inspector->Grid()->Top(), -box->VertScrollBar()->Position());
    EXPECT_LE(box->VertScrollBar()->Position(),
              std::max<Integer>(0, inspector->Grid()->Height() - box->ClientRect().Height()));
    host.SelectComponent(host.Root()->FindComponent("Label1"));

    host.Place(TPanel::StaticClass(), host.Form(), TPoint(5, 200));
    const TListBox* list = env.ComponentList()->List();
    EXPECT_EQ(list->Items()->Strings(list->ItemIndex()), "Panel3: TPanel");

    // a failed save leaves the old file as it was
    std::filesystem::create_directories(Dir / "ro");
    const std::string locked = (Dir / "ro" / "form.qfm").string();
    std::ofstream(locked) << "old";
    std::filesystem::permissions(Dir / "ro", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::geteuid() != 0) {
        EXPECT_NE(ErrorOf([&] { host.SaveAs(locked); }), "(no error)");
        EXPECT_EQ(ReadWholeFile(locked), "old");
    }
    std::filesystem::permissions(Dir / "ro", std::filesystem::perms::owner_all);
    host.SaveAs((Dir / "saved.qfm").string());
    EXPECT_FALSE(host.IsDirty());

    // unsaved changes: Cancel keeps them, No drops them
    host.Modified();
    DialogService().Expect(TDialogKind::dkMessageBox, IDCANCEL);
    EXPECT_FALSE(env.CanDropChanges());
    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    EXPECT_TRUE(env.CanDropChanges());

    // File > Open of a bad file: a message box, and the form designed so far stays
    std::ofstream((Dir / "bad.qfm").string()) << "object F: TForm\n  object X: TNoSuchClass\n  end\nend\n";
    TComponent* root = host.Root();
    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    DialogService().Expect(TDialogKind::dkOpenFile, [&](const TDialogRequest& R) {
        static_cast<TOpenDialog*>(R.Dialog)->SetFileName((Dir / "bad.qfm").string());
        return 1;
    });
    DialogService().Expect(TDialogKind::dkMessageBox, [](const TDialogRequest& R) {
        EXPECT_NE(R.Text.find("Line 2: Class TNoSuchClass not found"), String::npos) << R.Text;
        return IDOK;
    });
    EXPECT_FALSE(env.CommandOpen());
    EXPECT_EQ(host.Root(), root);
}

} // namespace
