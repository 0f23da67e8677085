// What the designer registers, which editor each reference property gets, and what the editors
// offer and refuse; the group page's component editor; aligning selected labels.

#include "designer/DesignerSupport.h"
#include "designer/PAGEMAN.h"
#include "designer/QorAlign.h"
#include "platform/db/DataSource.h"
#include "platform/ui/Clipboard.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivRep.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivVar.h"
#include "runtime/output/QorMeter.h"
#include "runtime/output/QorPrev.h"

using namespace qor;
using namespace qor::test;

namespace {

std::vector<String> Names(const std::vector<TClass>& Classes)
{
    std::vector<String> v;
    for (TClass c : Classes)
        v.push_back(c->Name);
    return v;
}

} // namespace

TEST_F(DesignerTest, RegisterFillsOnePalettePageInOrderAndHidesTheStructure)
{
    EXPECT_EQ(Names(PaletteClasses("Qorvel")),
              (std::vector<String>{"TKivvarlabel", "TKivTotalvarLabel", "TKivLine", "TKivShape", "TKivImageLabel",
                                   "TKivVerticalDivider", "TKivCheckLabel", "TKivBarCodeLabel", "TKivCustomLabel",
                                   "TKivReportButton", "TKivRichTextLabel", "TKivReport", "TQorMeter",
                                   "TQorPreview"}));
    for (TClass c : {TKivTextLabel::StaticClass(), TKivGroup::StaticClass(), TKivGrouppage::StaticClass(),
                     TKivOverlayBand::StaticClass(), TKivLevel::StaticClass(), TKivTotalvar::StaticClass(),
                     TKivDBVar::StaticClass()})
        EXPECT_TRUE(IsNoIcon(c)) << c->Name;
    // classes only: made from form files, never designed on their own
    EXPECT_FALSE(IsNoIcon(TKivPageVar::StaticClass()));
    EXPECT_FALSE(IsNoIcon(TKivDateTimeVar::StaticClass()));
}

TEST_F(DesignerTest, EachReferenceGetsTheMostSpecificEditor)
{
    struct Row {
        TClass Holder;
        const char* Prop;
        TClass Editor;
    };
    const Row rows[] = {
        {TKivBand::StaticClass(), "Updatelevel", TKivReadOnlySubProperty::StaticClass()},
        {TKivTotalvarLabel::StaticClass(), "Level", TKivTotalLevelProperty::StaticClass()},
        {TKivTotalvarLabel::StaticClass(), "TotalVariable", TKivTotalVarProperty::StaticClass()},
        {TKivvarlabel::StaticClass(), "Variable", TKivVarProperty::StaticClass()},
        {TKivDBVar::StaticClass(), "UpdateLevel", TKivLevelProperty::StaticClass()},
        {TKivReserveSpace::StaticClass(), "Band", TKivReserveBandProperty::StaticClass()},
        {TKivSubDataBand::StaticClass(), "Band", TKivReadOnlySubProperty::StaticClass()},
        {TKivSubDataBand::StaticClass(), "DataSet", TKivDataSetProperty::StaticClass()},
        {TKivGrouppage::StaticClass(), "DataSet", TKivDataSetProperty::StaticClass()},
        {TKivDataSourceGuide::StaticClass(), "DataSource", TKivDataSourceDSGProperty::StaticClass()},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Holder->Name + "." + r.Prop);
        const TPropInfo* p = r.Holder->FindProperty(r.Prop);
        ASSERT_NE(p, nullptr);
        TObject* made = nullptr;
        auto e = FindPropertyEditor(r.Holder, p)(&Host, {made}, p);
        EXPECT_EQ(e->ClassType(), r.Editor) << e->ClassName();
    }
}

TEST_F(DesignerTest, VariableEditorsOfferAndRefuseByKind)
{
    auto* label = Find<TKivvarlabel>("CustomerCity");
    auto var = Editor(label, "Variable");
    const auto offered = Values(*var);
    EXPECT_NE(std::find(offered.begin(), offered.end(), "OrderIdVar"), offered.end());
    EXPECT_EQ(std::find(offered.begin(), offered.end(), "OrderAmountTotal"), offered.end());
    EXPECT_EQ(ErrorOf([&] { var->SetValue("OrderAmountTotal"); }),
              "You cannot assign a Total Variable to a Variable Property");
    EXPECT_EQ(ErrorOf<EPropertyError>([&] { var->SetValue("NoSuchVar"); }), "Invalid Property");
    var->SetValue("orderidvar"); // any letter case
    EXPECT_EQ(label->Variable(), Find<TKivVar>("OrderIdVar"));
    EXPECT_EQ(var->GetValue(), "OrderIdVar");
    // the data-source lists were refilled from the form
    EXPECT_EQ(Page()->FullDSNames()->Count(), 2);

    auto* total = Find<TKivTotalvarLabel>("OrdersTotal");
    auto tv = Editor(total, "TotalVariable");
    EXPECT_EQ(Values(*tv), (std::vector<String>{"OrderAmountTotal"}));
    EXPECT_EQ(ErrorOf([&] { tv->SetValue("OrderIdVar"); }), "You must assign a Total Variable.");
    EXPECT_EQ(total->TotalVariable(), Find<TKivTotalvar>("OrderAmountTotal"));
    tv->SetValue("");
    EXPECT_EQ(total->TotalVariable(), nullptr);
}

TEST_F(DesignerTest, LevelEditorsLeaveHeaderLevelsOutOfTotals)
{
    auto* total = Find<TKivTotalvarLabel>("OrdersTotal");
    const auto forTotal = Values(*Editor(total, "Level"));
    EXPECT_NE(std::find(forTotal.begin(), forTotal.end(), "CustomerLevel"), forTotal.end());
    EXPECT_EQ(std::find(forTotal.begin(), forTotal.end(), "OrderHeadLevel"), forTotal.end());
    EXPECT_EQ(ErrorOf<EPropertyError>([&] { Editor(total, "Level")->SetValue("OrderHeadLevel"); }),
              "Invalid Property");
    Editor(total, "Level")->SetValue("customerlevel");
    EXPECT_EQ(total->Level(), Find<TKivLevel>("CustomerLevel"));

    auto* var = Find<TKivVar>("OrderIdVar");
    const auto forVar = Values(*Editor(var, "UpdateLevel"));
    EXPECT_NE(std::find(forVar.begin(), forVar.end(), "OrderHeadLevel"), forVar.end());
}

TEST_F(DesignerTest, EditorsRefuseHoldersWithoutAPageAndOldDataSets)
{
    // a data source is neither group, label nor variable
    auto* source = Find<TDataSource>("OrderSource");
    const TPropInfo* p = TKivvarlabel::StaticClass()->FindProperty("Variable");
    TKivVarProperty var(&Host, {source}, p);
    EXPECT_EQ(ErrorOf([&] { Values(var); }), "variable property editor can not find page");
    TKivLevelProperty level(&Host, {source}, TKivDBVar::StaticClass()->FindProperty("UpdateLevel"));
    EXPECT_EQ(ErrorOf([&] { Values(level); }), "variable property editor can not find page");

    auto* lines = Find<TKivSubDataBand>("OrderLines");
    auto ds = Editor(lines, "DataSet");
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    EXPECT_TRUE(Values(*ds).empty());
    EXPECT_EQ(DialogService().History().back().Text,
              "Dataset is no longer being supported, use the DataSource property instead");
    TDataSet* before = lines->DataSet();
    ds->SetValue("Customers"); // ignored, without a message
    EXPECT_EQ(lines->DataSet(), before);
    EXPECT_EQ(DialogService().History().size(), 1u);
}

TEST_F(DesignerTest, ReserveBandOffersTheBandsOfItsPage)
{
    auto* band = Find<TKivBand>("CustomerBand");
    const TPropInfo* p = TKivReserveSpace::StaticClass()->FindProperty("Band");
    TKivReserveBandProperty e(&Host, {band->ReserveSpace()}, p);
    const auto offered = Values(e);
    EXPECT_NE(std::find(offered.begin(), offered.end(), "PageFoot"), offered.end());
    e.SetValue("pagefoot");
    EXPECT_EQ(band->ReserveSpace()->Band(), Find<TKivBand>("PageFoot"));
    EXPECT_EQ(ErrorOf<EPropertyError>([&] { e.SetValue("OrderSource"); }), "Invalid Property");
}

TEST_F(DesignerTest, FirstDoubleClickMakesTheManagerHiddenTheSecondShowsIt)
{
    TKivGrouppage* page = Page();
    ASSERT_EQ(page->PageManager(), nullptr);
    auto first = GetComponentEditor(page, &Host);
    EXPECT_EQ(first->GetVerbCount(), 1);
    EXPECT_EQ(first->GetVerb(0), "Page Manager");
    first->Edit();
    auto* manager = dynamic_cast<TKivPageManager*>(page->PageManager());
    ASSERT_NE(manager, nullptr);
    EXPECT_EQ(manager->Owner(), nullptr);
    EXPECT_EQ(manager->Page(), page);
    EXPECT_FALSE(manager->Visible());
    GetComponentEditor(page, &Host)->ExecuteVerb(0);
    EXPECT_TRUE(manager->Visible());
    EXPECT_EQ(manager->Caption(), "Band Manager for ShopPage");
    EXPECT_EQ(manager->BandList->Count(), static_cast<Integer>(page->BandList().size()));
    manager->Hide();
}

TEST_F(DesignerTest, AlignMovesSelectedLabelsOfThePage)
{
    auto* a = Find<TKivLabel>("OrderIdText");      // left 40, width 100
    auto* b = Find<TKivLabel>("CustomerCity");     // left 210, width 200
    auto* c = Find<TKivLabel>("OrderAmountText");
    auto* notLabel = Find<TComponent>("OrderSource");
    struct Row {
        Integer Mode;
        Integer A, B;
    };
    const Integer cw = c->Width();
    c->SetWidth(101); // an odd width
    const Integer half = Page()->PageWidth() / 2;
    const Row rows[] = {
        {QorAlignLeft, 40, 40},
        {QorAlignCenter, 40, 40 + 50 - 100},
        {QorAlignRight, 40, 40 + 100 - 200},
        {QorAlignPageCenter, 40 + half - (410 - 40) / 2 - 40, 210 + half - (410 - 40) / 2 - 40},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.Mode);
        a->SetLeft(40);
        b->SetLeft(210);
        c->SetLeft(300);
        auto list = CreateSelectionList();
        list->Add(notLabel);
        list->Add(a);
        list->Add(b);
        Host.SetSelections(*list);
        QorAlignLabel(Page(), r.Mode);
        EXPECT_EQ(a->Left(), r.A);
        EXPECT_EQ(b->Left(), r.B);
        EXPECT_EQ(c->Left(), 300);
    }
    // an odd width: half of it rounded toward zero
    a->SetLeft(40);
    auto list = CreateSelectionList();
    list->Add(a);
    list->Add(c);
    Host.SetSelections(*list);
    QorAlignLabel(Page(), QorAlignCenter);
    EXPECT_EQ(c->Left(), a->Left() + 50 - 50);
    c->SetWidth(cw);
    // one label: modes 0-2 keep it, the page centre centres it
    Host.SelectComponent(a);
    QorAlignLabel(Page(), QorAlignRight);
    EXPECT_EQ(a->Left(), 40);
    QorAlignLabel(Page(), QorAlignPageCenter);
    EXPECT_EQ(a->Left(), half - 50);
    // nothing selected: nothing moves, the form is still modified
    Host.SetSelections(*CreateSelectionList());
    bool told = false;
    Host.OnModified = [&] { told = true; };
    QorAlignLabel(Page(), QorAlignLeft);
    EXPECT_TRUE(told);
    Host.OnModified = nullptr;
}

TEST_F(DesignerTest, CopyingAReportIsRefusedAndACutKeepsIt)
{
    Host.SelectComponent(Find<TComponent>("Report"));
    EXPECT_EQ(ErrorOf([&] { Host.CopySelection(); }), "You cannot copy a report.");
    EXPECT_FALSE(Clipboard()->HasText());
    EXPECT_EQ(ErrorOf([&] { Host.CutSelection(); }), "You cannot copy a report.");
    EXPECT_NE(Host.Root()->FindComponent("Report"), nullptr);
    Host.SelectComponent(Find<TComponent>("OrderSource")); // other components copy as before
    Host.CopySelection();
    EXPECT_TRUE(Clipboard()->HasText());
}
