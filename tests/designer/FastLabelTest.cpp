// The fast label tool on the master-detail example: rows picked in order become labels of the
// variables' kinds, laid out by the eight layouts, with the overflow question, shrinking,
// dividers and undo; drops reach it only from its own list.

#include "designer/DesignerSupport.h"
#include "designer/Kivrepds.h"
#include "designer/QorDrop.h"
#include "designer/QorFAsk.h"
#include "platform/ui/Application.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivFormat.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/PSetup.h"

using namespace qor;
using namespace qor::test;

namespace {

class FastLabelTest : public DesignerTest {
protected:
    void SetUp() override
    {
        DesignerTest::SetUp();
        // the expected positions below are laid out on a Letter page
        Page()->PageSetup()->SetSize(psLetter);
        for (auto [name, type] : std::vector<std::pair<const char*, TKivDataTypes>>{
                 {"Flag1", dtypeBoolean}, {"Flag2", dtypeBoolean}, {"Flag3", dtypeBoolean},
                 {"Photo", dtypeGraphic}, {"Blob", dtypeBlob}, {"Text1", dtypeString}, {"Text2", dtypeString},
                 {"Text3", dtypeString}}) {
            auto* v = Create<TKivExprVar>(Host.Root());
            v->SetName(name);
            v->SetParent(Page());
            v->SetDataType(type);
        }
        Design()->AutoLabelButton()->Click(); // "Fast"
        Tool = dynamic_cast<TQorDropLabels*>(Design()->DropForm());
        ASSERT_NE(Tool, nullptr);
        Band = Find<TKivBand>("CustomerBand");
    }
    TKivReportDesign* Design() { return dynamic_cast<TKivReportDesign*>(Find<TKivReport>("Report")->RepDesign()); }
    Integer Row(const char* Name) { return Tool->QorVariableList->Items()->IndexOf(Name); }
    void Pick(std::initializer_list<const char*> Names)
    {
        for (Integer i = 0; i < Tool->QorVariableList->Count(); ++i)
            Tool->QorVariableList->SetSelected(i, false);
        Tool->QorVariableListClick(nullptr);
        for (const char* n : Names) {
            Tool->QorVariableList->SetSelected(Row(n), true);
            Tool->QorVariableListClick(nullptr);
        }
    }
    // Layout: 0 row, 1 row with dividers, 2 column; text: 0 none, 1 the drop band, 2 another band.
    void Drop(Integer Layout, Integer Text, bool Above, Integer X = 10, Integer Y = 4)
    {
        (Layout == 0 ? Tool->sbHoriz : Layout == 1 ? Tool->sbHorizdiv : Tool->sbVert)->Click();
        (Above ? Tool->sbTop : Tool->sbLeft)->Click();
        Tool->TextBand->SetItemIndex(Text == 0 ? 0 : Tool->TextBand->Items()->IndexOf(Text == 1 ? "CustomerBand" : "PageHead"));
        Band->DragDrop(Tool->SList, X, Y);
    }
    static Integer Right(const TKivLabel* L) { return L->Left() + L->Width(); }
    static Integer Bottom(const TKivLabel* L) { return L->Top() + L->Height(); }
    void AnswerQuestion(TRadioButton* TQorFastAskForm::*Choice, bool Cancel = false)
    {
        DialogService().Expect(TDialogKind::dkModalForm, [Choice, Cancel](const TDialogRequest& R) {
            auto* f = dynamic_cast<TQorFastAskForm*>(R.Form);
            (f->*Choice)->SetChecked(true);
            (Cancel ? f->CancelBtn : f->OkBtn)->Click();
            return f->ModalResult();
        });
    }

    TQorDropLabels* Tool = nullptr;
    TKivBand* Band = nullptr;
};

} // namespace

TEST_F(FastLabelTest, RowsBecomeLabelsInTheOrderPickedAndOfTheVariablesKinds)
{
    EXPECT_EQ(Tool->Caption(), "FAST Label Utility");
    for (Integer r : {5, 2, 7}) {
        Tool->QorVariableList->SetSelected(r, true);
        Tool->QorVariableListClick(nullptr);
    }
    EXPECT_EQ(Tool->SelectedList, (std::vector<Integer>{5, 2, 7}));
    Drop(0, 0, true);
    ASSERT_EQ(Tool->VarLabelList.size(), 3u);
    const auto bound = [](TKivLabel* L) -> TObject* {
        if (auto* r = dynamic_cast<TKivVarRefLabel*>(L))
            return r->Variable();
        if (auto* t = dynamic_cast<TKivTotalvarLabel*>(L))
            return t->TotalVariable();
        return dynamic_cast<TKivTVLabel*>(L)->Variable();
    };
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(bound(Tool->VarLabelList[i]), Tool->QorVariableList->Items()->Objects(std::vector<Integer>{5, 2, 7}[i]));

    Pick({"Flag1", "Photo", "Blob"});
    Drop(2, 0, true);
    const Integer p = Tool->PixelsPerInch();
    auto* check = dynamic_cast<TKivCheckLabel*>(Tool->VarLabelList[0]);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(check->Width(), 12);
    EXPECT_EQ(check->Height(), 12);
    for (size_t i : {1u, 2u}) {
        ASSERT_NE(dynamic_cast<TKivImageLabel*>(Tool->VarLabelList[i]), nullptr);
        EXPECT_EQ(Tool->VarLabelList[i]->Width(), p);
        EXPECT_EQ(Tool->VarLabelList[i]->Height(), p);
    }
    // the dropped labels are selected in the designer
    EXPECT_EQ(Host.Selection().size(), 3u);
    EXPECT_EQ(Host.Selection()[0], Tool->VarLabelList[0]);

    // a database variable without a data source has no field and no type
    auto* loose = Create<TKivDBVar>(Host.Root());
    loose->SetName("Loose");
    loose->SetParent(Page());
    Tool->FillComboBoxes();
    Pick({"Loose"});
    Drop(0, 1, true);
    ASSERT_EQ(Tool->VarLabelList.size(), 1u);
    EXPECT_EQ(Tool->TextLabelList[0]->Caption(), "Loose");

    // formats by the variable's type
    for (auto [name, type] : std::vector<std::pair<const char*, TKivDataTypes>>{
             {"Num", dtypeFloat}, {"Count", dtypeInteger}, {"When", dtypeDateTime}, {"Notes", dtypeMemo}}) {
        auto* v = Create<TKivExprVar>(Host.Root());
        v->SetName(name);
        v->SetParent(Page());
        v->SetDataType(type);
    }
    Tool->FillComboBoxes();
    Pick({"Num", "Count", "When", "Notes"});
    Drop(2, 0, true);
    ASSERT_EQ(Tool->VarLabelList.size(), 4u);
    const auto var = [this](size_t I) { return dynamic_cast<TKivvarlabel*>(Tool->VarLabelList[I]); };
    EXPECT_EQ(var(0)->DataFormat()->FloatFormat(), ffNumber);
    EXPECT_EQ(var(0)->DataFormat()->Digits(), 2);
    EXPECT_EQ(var(0)->AlignHorizontal(), laRight);
    EXPECT_EQ(var(1)->DataFormat()->FloatFormat(), ffNumber);
    EXPECT_EQ(var(1)->AlignHorizontal(), laRight);
    EXPECT_EQ(var(2)->DataFormat()->DisplayFormat(), "ddddd");
    EXPECT_TRUE(var(3)->WrapText() && var(3)->Stretch());
    EXPECT_EQ(var(3)->Width(), 2 * p);

    // a data source no longer among the page's (its name has no index) lists nothing
    Tool->VariableSelection->Items()->Add("GoneSource");
    Tool->VariableSelection->SetItemIndex(Tool->VariableSelection->Items()->Count() - 1);
    Tool->VariableSelectionChange(nullptr);
    EXPECT_EQ(Tool->QorVariableList->Count(), 0);
    EXPECT_TRUE(Tool->SelectedList.empty());
}

TEST_F(FastLabelTest, TheFirstBoxChoosesWhichVariablesAreListed)
{
    const auto items = [](TStrings* S, Integer From = 0) {
        std::vector<String> v;
        for (Integer i = From; i < S->Count(); ++i)
            v.push_back(S->Strings(i));
        return v;
    };
    ASSERT_GT(Tool->VariableSelection->Items()->Count(), 5);
    EXPECT_EQ(items(Tool->VariableSelection->Items()), (std::vector<String>{"All", "Expression", "Total", "System",
                                                                            "Manual DB", "CustomerSource", "OrderSource"}));
    EXPECT_EQ(items(Tool->TextBand->Items()).front(), "No Text Label");
    EXPECT_EQ(Tool->TextBand->Items()->Count(), static_cast<Integer>(Page()->BandList().size()) + 1);
    const std::vector<std::pair<Integer, std::vector<String>>> kinds = {
        {1, {"Flag1", "Flag2", "Flag3", "Photo", "Blob", "Text1", "Text2", "Text3"}},
        {2, {"OrderAmountTotal"}},
        {3, {"PageNo", "svarDateTime"}},
        {4, {"CustomerNameVar", "CustomerCityVar", "OrderIdVar", "OrderDateVar", "OrderAmountVar"}},
        {5, {"customer_id", "name", "city"}},
    };
    for (const auto& [kind, rows] : kinds) {
        Tool->VariableSelection->SetItemIndex(kind);
        Tool->VariableSelectionChange(nullptr);
        EXPECT_EQ(items(Tool->QorVariableList->Items()), rows) << kind;
    }
    Tool->VariableSelection->SetItemIndex(0);
    Tool->VariableSelectionChange(nullptr);
    EXPECT_EQ(Tool->QorVariableList->Count(), static_cast<Integer>(Page()->VarList().size()));

    // a database variable's label is formatted and sized from its field, its caption is the field's
    Pick({"CustomerNameVar", "OrderIdVar"});
    Drop(0, 1, true);
    ASSERT_EQ(Tool->VarLabelList.size(), 2u);
    TKivLabel* name = Tool->VarLabelList[0];
    EXPECT_EQ(name->Width(), 20 * name->Canvas()->TextWidth("X")); // VARCHAR(20)
    EXPECT_EQ(dynamic_cast<TKivvarlabel*>(Tool->VarLabelList[1])->AlignHorizontal(), laRight);
    EXPECT_EQ(Tool->TextLabelList[0]->Caption(), "name");
}

TEST_F(FastLabelTest, TheEightLayoutsPlaceLabelsAndCaptions)
{
    struct Case {
        Integer Layout, Text;
        bool Above;
        std::function<bool(const TKivLabel* V0, const TKivLabel* V1, const TKivLabel* T0, const TKivLabel* T1)> Placed;
    };
    const auto mx = [](Integer a, Integer b) { return std::max(a, b); };
    const std::vector<Case> cases = {
        {0, 0, true, [](auto v0, auto v1, auto, auto) { return v0->Left() == 10 && v0->Top() == 4 && v1->Left() == Right(v0) + 10 && v1->Top() == 4; }},
        {0, 2, true, [&](auto v0, auto v1, auto t0, auto t1) { return t0->Left() == 10 && t0->Top() == 4 && v1->Left() == 10 + mx(v0->Width(), t0->Width()) + 10 && t1->Left() == v1->Left(); }},
        {0, 1, true, [&](auto v0, auto v1, auto t0, auto t1) { return t0->Top() == 4 && v0->Top() == Bottom(t0) + 2 && t1->Left() == 10 + mx(v0->Width(), t0->Width()) + 10 && v1->Left() == t1->Left(); }},
        {0, 1, false, [](auto v0, auto v1, auto t0, auto t1) { return t0->Left() == 10 && t0->AlignHorizontal() == laRight && v0->Left() == Right(t0) + 2 && t1->Left() == Right(v0) + 10 && v1->Left() == Right(t1) + 2; }},
        {2, 0, true, [](auto v0, auto v1, auto, auto) { return v0->Left() == 10 && v1->Left() == 10 && v1->Top() == Bottom(v0) + 5; }},
        {2, 2, true, [](auto v0, auto v1, auto t0, auto t1) { return t0->Left() == 10 && t1->Top() == v1->Top() && v1->Top() == Bottom(v0) + 5; }},
        {2, 1, true, [](auto v0, auto v1, auto t0, auto t1) { return v0->Top() == Bottom(t0) + 2 && t1->Top() == Bottom(v0) + 5 && v1->Left() == 10; }},
        {2, 1, false, [](auto v0, auto v1, auto t0, auto) { return v0->Left() == 10 && t0->Left() == 10 - t0->Width() - 3 && v1->Top() == Bottom(v0) + 5; }},
    };
    for (const Case& c : cases) {
        Pick({"Text1", "Text2"});
        Drop(c.Layout, c.Text, c.Above);
        ASSERT_EQ(Tool->VarLabelList.size(), 2u);
        const TKivLabel* t0 = c.Text ? Tool->TextLabelList.at(0) : nullptr;
        const TKivLabel* t1 = c.Text ? Tool->TextLabelList.at(1) : nullptr;
        EXPECT_TRUE(c.Placed(Tool->VarLabelList[0], Tool->VarLabelList[1], t0, t1)) << c.Layout << " " << c.Text << " " << c.Above;
        EXPECT_GE(Band->Height(), Bottom(Tool->VarLabelList[1]));
        Tool->SpeedButton1Click(nullptr); // undo
    }
    EXPECT_TRUE(DialogService().History().empty()); // nothing overflowed
}

TEST_F(FastLabelTest, OverflowingRowsAskAndEachAnswerIsKept)
{
    const Integer w = Page()->PageWidth(), p = Tool->PixelsPerInch();
    const Integer x = w - 150;
    const auto before = Page()->LabelList().size();

    Pick({"Text1", "Text2", "Text3"});
    Drop(2, 0, true, x); // a column never asks
    EXPECT_TRUE(DialogService().History().empty());
    Tool->SpeedButton1Click(nullptr);

    AnswerQuestion(&TQorFastAskForm::Ignore, true); // Cancel
    Drop(1, 1, true, x);
    EXPECT_TRUE(Tool->VarLabelList.empty());
    EXPECT_TRUE(Tool->VarDivList.empty());
    EXPECT_TRUE(Host.Selection().empty());
    EXPECT_EQ(Page()->LabelList().size(), before);

    AnswerQuestion(&TQorFastAskForm::Wrap);
    Drop(1, 0, true, x);
    ASSERT_EQ(Tool->VarLabelList.size(), 3u);
    EXPECT_GT(Tool->VarLabelList[2]->Top(), Tool->VarLabelList[0]->Top());
    EXPECT_EQ(Tool->VarLabelList[2]->Left(), x);
    EXPECT_TRUE(Tool->VarDivList.empty()); // wrapped rows get no dividers
    Tool->SpeedButton1Click(nullptr);

    AnswerQuestion(&TQorFastAskForm::Shrink);
    Drop(0, 0, true, w - 20); // far over: the factor is under a quarter
    for (TKivLabel* l : Tool->VarLabelList)
        EXPECT_EQ(l->Width(), p / 2);
    Tool->SpeedButton1Click(nullptr);

    AnswerQuestion(&TQorFastAskForm::Ignore);
    Drop(0, 0, true, x);
    const Integer row = Right(Tool->VarLabelList.back()) - x;
    Tool->SpeedButton1Click(nullptr);
    AnswerQuestion(&TQorFastAskForm::Shrink);
    Drop(0, 0, true, w - row + 15); // a little over: shrunk just to fit
    EXPECT_LE(Right(Tool->VarLabelList.back()), w);
    EXPECT_GE(Right(Tool->VarLabelList.back()), w - 3);
    Tool->SpeedButton1Click(nullptr);

    AnswerQuestion(&TQorFastAskForm::Delete);
    Drop(0, 0, true, x);
    ASSERT_FALSE(Tool->VarLabelList.empty());
    EXPECT_LE(Right(Tool->VarLabelList.back()), w);
    EXPECT_EQ(Page()->LabelList().size(), before + Tool->VarLabelList.size());
    Tool->SpeedButton1Click(nullptr);

    AnswerQuestion(&TQorFastAskForm::Ignore);
    Drop(0, 0, true, x);
    EXPECT_EQ(Tool->VarLabelList.size(), 3u);
    EXPECT_GT(Right(Tool->VarLabelList.back()), w);
    Tool->SpeedButton1Click(nullptr);

    // only check labels: there is nothing to shrink
    AnswerQuestion(&TQorFastAskForm::Shrink);
    Pick({"Flag1", "Flag2", "Flag3"});
    Drop(0, 0, true, w - 20);
    for (TKivLabel* l : Tool->VarLabelList)
        EXPECT_EQ(l->Width(), 12);
    EXPECT_EQ(DialogService().PendingAnswers(), 0);
}

TEST_F(FastLabelTest, DividersUndoAndDropRouting)
{
    Pick({"Text1", "Text2", "Text3"});
    Drop(1, 2, true);
    ASSERT_EQ(Tool->VarDivList.size(), 2u);
    ASSERT_EQ(Tool->TextDivList.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(Tool->VarDivList[i]->Left(), Tool->VarLabelList[i + 1]->Left() - 4);
        EXPECT_EQ(Tool->TextDivList[i]->Parent(), Find<TKivBand>("PageHead"));
        EXPECT_EQ(Tool->TextDivList[i]->Left(), Tool->VarLabelList[i + 1]->Left() - 4);
    }
    Tool->SpeedButton1Click(nullptr);
    Drop(1, 1, true); // text in the drop band: the divider stands by the text
    EXPECT_EQ(Tool->VarDivList[0]->Left(), Tool->TextLabelList[1]->Left() - 4);

    // one dropped label deleted by hand: undo frees the rest only
    const auto before = Page()->LabelList().size();
    TKivLabel* gone = Tool->VarLabelList[1];
    Free(gone);
    EXPECT_EQ(Tool->VarLabelList.size(), 2u);
    Tool->SpeedButton1Click(nullptr);
    EXPECT_EQ(Page()->LabelList().size(), before - 1 - 7);

    // the designer takes drops from the tool's list only
    EXPECT_TRUE(Design()->KivDropOK(Tool->SList));
    EXPECT_FALSE(Design()->KivDropOK(Tool->TextBand));
    const auto count = Page()->LabelList().size();
    Band->DragDrop(Tool->TextBand, 5, 5);
    EXPECT_EQ(Page()->LabelList().size(), count);
    Pick({});
    Band->DragDrop(Tool->SList, 5, 5); // nothing picked: nothing made
    EXPECT_EQ(Page()->LabelList().size(), count);

    // the column buttons stay between 2 and 10
    for (int i = 0; i < 12; ++i)
        Tool->SpeedButton2->Click();
    EXPECT_EQ(Tool->QorVariableList->Columns(), 10);
    for (int i = 0; i < 12; ++i)
        Tool->SpeedButton3->Click();
    EXPECT_EQ(Tool->QorVariableList->Columns(), 2);
    EXPECT_EQ(Tool->Hint(), "Decreasing the number of columns by one.");

    // "Fast" again shows the same tool, which goes with the report's designer
    Design()->AutoLabelButton()->Click();
    EXPECT_EQ(Design()->DropForm(), Tool);
    const Integer tools = Application()->ComponentCount();
    DialogService().Expect(TDialogKind::dkMessageBox, IDYES); // "Are you sure you want to delete this report?"
    Free(Find<TKivReport>("Report"));
    EXPECT_EQ(Application()->ComponentCount(), tools - 1);
}
