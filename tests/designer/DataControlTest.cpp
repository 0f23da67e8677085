// The data control center in a design host, on memory, CSV and SQLite data sets: the automatic
// variables kept in step with the fields, the lists, the drags and commands, the guide grid's
// clicks, the layout and the drawing.

#include "designer/DesignerSupport.h"
#include "designer/KivVOpt.h"
#include "designer/kivvhelp.h"
#include "designer/PAGEMAN.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Gdi.h"
#include "platform/ide/DesignHost.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "platform/ui/DialogService.h"
#include "platform/db/MemoryDataSet.h"
#include "printing/PrintTestSupport.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalvar.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>

using namespace qor;
using namespace qor::test;

namespace {

// A form with a report whose page has a detail band; Sources is form text of data sets and their
// data sources, placed before the report.
std::string FormText(const std::string& Sources)
{
    return "object DCForm: TForm\n" + Sources +
           "  object Report: TKivReport\n"
           "    object DCPage: TKivGrouppage\n"
           "      Detail = Detail\n"
           "      object Detail: TKivBand\n"
           "        Height = 20\n"
           "        Updatelevel = DetailLevel\n"
           "      end\n"
           "      object DetailLevel: TKivLevel\n"
           "      end\n"
           "      object OtherLevel: TKivLevel\n"
           "      end\n"
           "    end\n"
           "  end\n"
           "end\n";
}

std::string MemorySet(const std::string& Name, const std::vector<std::string>& Columns)
{
    std::string s = "  object " + Name + ": TMemoryDataSet\n    Columns.Strings = (";
    for (const std::string& c : Columns)
        s += " '" + c + ":String'";
    return s + ")\n  end\n  object " + Name + "Source: TDataSource\n    DataSet = " + Name + "\n  end\n";
}

class DataControlTest : public DesignerFolderTest {
protected:
    // Opens the form and the center, as the tool bar's "Data" does.
    void Open(const std::string& Text)
    {
        std::ofstream(Dir / "form.qfm") << Text;
        Host.Open((Dir / "form.qfm").string());
        Page = dynamic_cast<TKivPage*>(Host.Root()->FindComponent("DCPage"));
        ASSERT_NE(Page, nullptr);
        GetComponentEditor(Page, &Host)->Edit();
        Manager = dynamic_cast<TKivPageManager*>(Page->PageManager());
        ASSERT_NE(Manager, nullptr);
        Manager->Hide();
        SendMessage(Manager->Handle(), KIV_PM_DATACONTROL, 0, 0);
        Center = Manager->DataControl();
        ASSERT_NE(Center, nullptr);
        Center->RefreshLists();
    }
    TComponent* Find(const char* Name) const { return Host.Root()->FindComponent(Name); }
    TKivDSGuide* Guide(size_t I) const { return Page->DataSourceList().at(I); }
    static std::vector<String> Items(TListBox* List)
    {
        std::vector<String> v;
        for (Integer i = 0; i < List->Count(); ++i)
            v.push_back(List->Items()->Strings(i));
        return v;
    }
    std::vector<String> VarNames() const
    {
        std::vector<String> v;
        for (TKivVar* var : Page->VarList())
            if (var->Id() == vidAutoDataVar)
                v.push_back(var->Name());
        return v;
    }
    // Shows Var in a label of the detail band.
    void Use(TKivVar* Var)
    {
        auto* l = dynamic_cast<TKivvarlabel*>(Host.Place(TKivvarlabel::StaticClass(), Page->Detail(), {2, 2}));
        ASSERT_NE(l, nullptr);
        l->SetVariable(Var);
    }

    TKivPage* Page = nullptr;
    TKivPageManager* Manager = nullptr;
    TKivDSVariableOptions* Center = nullptr;
};

} // namespace

TEST_F(DataControlTest, WithoutGuidesTheGridShowsOneEmptyRow)
{
    Open(FormText(""));
    EXPECT_TRUE(Center->Visible());
    EXPECT_EQ(Center->DataSourceList->RowCount(), 1);
    for (Integer c = 0; c < 3; ++c)
        EXPECT_EQ(Center->DataSourceList->Cells(c, 0), "");
    EXPECT_EQ(Center->flist->Count(), 0);
    EXPECT_EQ(Center->clist->Count(), 0);
    EXPECT_FALSE(Center->DsgOk());
    // the header labels wait where no column is drawn yet
    Center->FormResize(nullptr);
    EXPECT_EQ(Center->DataSourceLabel->Left(), Center->PixelsPerInch());

    // "&Help" shows the manual modally
    DialogService().Expect(TDialogKind::dkModalForm, [](const TDialogRequest& R) {
        auto* help = dynamic_cast<TKivVarHelp*>(R.Form);
        EXPECT_NE(help, nullptr);
        if (!help)
            return mrCancel;
        EXPECT_EQ(help->Caption(), "Help for Data Control");
        EXPECT_EQ(help->ClientHeight(), 440);
        EXPECT_EQ(help->ClientWidth(), help->ExitBtn->Left() + help->ExitBtn->Width() + 10);
        const String text = help->Memo1->Lines()->Text();
        for (const char* section : {"General Tips", "Overview", "Automatic Database Variables", "DataSourceGuides",
                                    "Expression Variables", "Total Variables", "Manual (Persistent) DB Variables",
                                    "Optimize Button", "Zoom Buttons", "Special Notations"})
            EXPECT_NE(text.find(section), String::npos) << section;
        return mrCancel;
    });
    Center->HelpClick(nullptr);
    EXPECT_EQ(DialogService().PendingAnswers(), 0);
}

TEST_F(DataControlTest, MissingSettingsShowTheirFillInTexts)
{
    Open(FormText(""));
    Center->Add1Click(nullptr); // the DB list's "&Add"
    Center->ExprAddClick(Center->FindComponent("ExprAddInteger"));
    Center->ExprAddClick(Center->FindComponent("ExprAddCurrency"));
    auto* total = Create<TKivTotalvar>(Host.Root());
    total->SetName("Loose");
    total->SetParent(Page);
    Center->RefreshLists();
    ASSERT_EQ(Center->DBList.size(), 1u);
    EXPECT_EQ(Center->DBList[0]->DataSourceName, "Fill in DataSource.");
    EXPECT_EQ(Center->DBList[0]->DataField, "Fill in Field.");
    EXPECT_EQ(Center->DBList[0]->LevelName, "DetailLevel");
    ASSERT_EQ(Center->ExprList.size(), 2u);
    EXPECT_EQ(Center->ExprList[0]->ExprEventName, "Fill in OnGetData event.");
    EXPECT_EQ(Center->ExprList[0]->ExprTypeName, "Integer");
    EXPECT_EQ(Center->ExprList[1]->ExprTypeName, "Currency");
    ASSERT_EQ(Center->TotalList.size(), 1u);
    EXPECT_EQ(Center->TotalList[0]->TotalLevelName, "Fill in UpdateLevel.");
    EXPECT_EQ(Center->TotalList[0]->TotalVarName, "Fill in Variable.");

    // "Select All &Unused" picks what no label shows; a click selects the variable in the designer
    auto* first = dynamic_cast<TKivVar*>(Find(Center->ExprList[0]->ExprName.c_str()));
    Use(first);
    Center->RefreshLists();
    Center->ExprUnusedClick(nullptr);
    EXPECT_EQ(Center->ExprVarList->SelCount(), 1);
    EXPECT_TRUE(Center->ExprVarList->Selected(1));
    Center->ExprListPopup->Popup(0, 0);
    EXPECT_TRUE(Center->ExprDelete->Enabled() && Center->ExprAddType->Enabled());
    Center->DBListPopup->Popup(0, 0); // items, none selected
    EXPECT_FALSE(Center->DBDelete->Enabled());
    EXPECT_TRUE(Center->DBSelectUnused->Enabled() && Center->DBSelectAll->Enabled());
    Center->TotalVarList->SetSelected(0, true);
    Center->ExprVarList->SetItemIndex(0);
    Center->ExprVarListClick(Center->ExprVarList);
    EXPECT_EQ(Host.Selection(), (std::vector<TPersistent*>{first}));
    EXPECT_EQ(Center->TotalVarList->SelCount(), 0);
}

TEST_F(DataControlTest, AutomaticVariablesFollowTheFieldsOfTheirDataSet)
{
    Open(FormText(MemorySet("Cust", {"Name", "City"})));
    ASSERT_EQ(Page->DataSourceList().size(), 1u);
    EXPECT_EQ(VarNames(), (std::vector<String>{"custNameVar", "custCityVar"}));
    auto* name = dynamic_cast<TKivDBVar*>(Find("custNameVar"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->AutoVar());
    EXPECT_EQ(name->UpdateLevel(), Guide(0)->UpdateLevel());
    EXPECT_EQ(Center->DataSourceList->Cells(1, 0), "CustSource");
    EXPECT_EQ(Items(Center->clist), (std::vector<String>{"Name", "City"}));
    EXPECT_TRUE(Items(Center->flist).empty());
    // clicks select the guide and the variable in the designer
    Center->DataSourceListClick(nullptr);
    EXPECT_EQ(Host.Selection(), (std::vector<TPersistent*>{Guide(0)}));
    Center->clist->SetItemIndex(1);
    Center->clist->SetSelected(1, true);
    Center->clistClick(nullptr);
    EXPECT_EQ(Host.Selection(), (std::vector<TPersistent*>{Find("custCityVar")}));
    EXPECT_TRUE(Center->UpdateVars()); // again: nothing more
    EXPECT_EQ(VarNames().size(), 2u);
    // a change made elsewhere reaches the rows once the current event is over
    Guide(0)->SetCreateVariables(false);
    EXPECT_TRUE(Center->DsgList[0]->CreateVariables);
    Application()->ProcessMessages();
    EXPECT_FALSE(Center->DsgList[0]->CreateVariables);
    Guide(0)->SetCreateVariables(true);
    Application()->ProcessMessages();

    // a field renamed: its old variable goes, unless inherited, and a new one comes; a field
    // renamed only in case keeps its variable
    auto* set = dynamic_cast<TDataSet*>(Find("Cust"));
    auto* city = Find("custCityVar");
    city->SetAncestor(true);
    set->Close();
    dynamic_cast<TMemoryDataSet*>(set)->Columns()->SetText("NAME:String\nTown:String\n");
    set->FieldDefs()->Clear();
    EXPECT_TRUE(Center->UpdateVars());
    EXPECT_EQ(VarNames(), (std::vector<String>{"custNameVar", "custCityVar", "custTownVar"}));
    city->SetAncestor(false);
    EXPECT_TRUE(Center->UpdateVars());
    EXPECT_EQ(VarNames(), (std::vector<String>{"custNameVar", "custTownVar"}));

    // a data set that tells no fields keeps its variables
    set->Close();
    dynamic_cast<TMemoryDataSet*>(set)->Columns()->Clear();
    set->FieldDefs()->Clear();
    EXPECT_TRUE(Center->UpdateVars());
    EXPECT_EQ(VarNames().size(), 2u);
}

TEST_F(DataControlTest, ADatabaseThatCannotBeOpenedKeepsItsVariables)
{
    Open(FormText("  object Db: TDatabase\n    DatabaseName = 'missing/none.db'\n  end\n"
                  "  object Q: TQuery\n    Database = Db\n    SQL.Strings = ('SELECT a FROM t')\n  end\n"
                  "  object QSource: TDataSource\n    DataSet = Q\n  end\n"));
    ASSERT_EQ(Page->DataSourceList().size(), 1u);
    EXPECT_TRUE(VarNames().empty());
    EXPECT_TRUE(Items(Center->flist).empty());
}

TEST_F(DataControlTest, ThreeDigitFieldCountsAreLeftToTheAuthor)
{
    const auto csv = [&](int Columns) {
        std::ofstream out(Dir / "wide.csv");
        for (int i = 0; i < Columns; ++i)
            out << (i ? "," : "") << "c" << i;
        out << "\n";
        for (int i = 0; i < Columns; ++i)
            out << (i ? "," : "") << i;
        out << "\n";
    };
    const std::string sources = "  object Wide: TCsvDataSet\n    FileName = 'wide.csv'\n  end\n"
                                "  object WideSource: TDataSource\n    DataSet = Wide\n  end\n";
    csv(99);
    Open(FormText(sources));
    EXPECT_EQ(VarNames().size(), 99u);
    EXPECT_TRUE(DialogService().History().empty());
    Host.CloseForm();

    csv(100);
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    DialogService().Expect(TDialogKind::dkModalForm, mrCancel);
    Open(FormText(sources));
    const auto& asked = DialogService().History();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].Text, "There is 100 fields.  You must manually create the db Variables when > 99.");
    EXPECT_EQ(asked[1].ClassName, "TKivDSVariableOptions");
    EXPECT_TRUE(VarNames().empty());
    EXPECT_FALSE(Guide(0)->CreateVariables());
    EXPECT_FALSE(Center->State().Contains(dsoUpdatingVars));
    EXPECT_EQ(Center->flist->Count(), 100); // all there to define by hand

    // an exception passing through leaves neither flag set, so the next call does its work
    Guide(0)->SetCreateVariables(true);
    DialogService().Expect(TDialogKind::dkModalForm, mrCancel); // the message box comes first
    EXPECT_THROW(Center->UpdateVars(), EDialogUnanswered);
    TForm refusing(nullptr);
    refusing.OnCloseQuery = [](TObject*, bool&) { throw Exception("refused"); };
    PostMessage(refusing.Handle(), WM_CLOSE, 0, 0);
    DialogService().Expect(TDialogKind::dkModalForm, mrCancel); // nor is the report of the failure
    Center->flist->Clear();
    EXPECT_THROW(Center->RefreshLists(), EDialogUnanswered);
    EXPECT_FALSE(Center->State().Contains(dsoUpdatingVars) || Center->State().Contains(dsoRefreshLists));
    Guide(0)->SetCreateVariables(false);
    Center->RefreshLists();
    EXPECT_EQ(Center->flist->Count(), 100);
}

TEST_F(DataControlTest, DeletingAGuideAsksOnlyWhenItsVariablesAreUsed)
{
    Open(FormText(MemorySet("A", {"x"}) + MemorySet("B", {"y"})));
    ASSERT_EQ(Page->DataSourceList().size(), 2u);
    Use(dynamic_cast<TKivVar*>(Find("byVar")));
    const size_t components = static_cast<size_t>(Host.Root()->ComponentCount());

    Center->DataSourceList->SetRow(1);
    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    Center->DeleteDsgItemClick(nullptr);
    EXPECT_EQ(DialogService().History().back().Text, KivUsedVarsText);
    EXPECT_EQ(DialogService().History().back().Caption, "Confirm Delete?");
    EXPECT_EQ(static_cast<size_t>(Host.Root()->ComponentCount()), components);

    Center->DataSourceList->SetRow(0);
    Center->DeleteDsgItemClick(nullptr); // nothing used: nothing asked
    EXPECT_EQ(DialogService().History().size(), 1u);
    EXPECT_EQ(Page->DataSourceList().size(), 1u);
    EXPECT_EQ(Find("axVar"), nullptr);
    EXPECT_EQ(Page->NoDsgList()->Strings(0), "ASource");
    EXPECT_EQ(Center->DsgList.size(), 1u);

    // "Add" brings it back, named from its caption without the hot-key marker
    Center->DSListPopup->Popup(0, 0);
    ASSERT_TRUE(Center->AddDsgItem->Visible());
    ASSERT_EQ(Center->AddDsgItem->Count(), 1);
    Center->AddDsgItem->Items(0)->Click();
    EXPECT_EQ(Page->DataSourceList().size(), 2u);
    EXPECT_NE(Find("axVar"), nullptr);
    EXPECT_EQ(Page->NoDsgList()->Count(), 0);
    Center->DSListPopup->Popup(0, 0);
    EXPECT_FALSE(Center->AddDsgItem->Visible());
}

TEST_F(DataControlTest, OptimizeKeepsUsedVariablesAndTheirGuide)
{
    Open(FormText(MemorySet("A", {"x", "z"}) + MemorySet("B", {"y"}) + MemorySet("C", {"w"})));
    Use(dynamic_cast<TKivVar*>(Find("axVar")));
    DialogService().Expect(TDialogKind::dkMessageBox, IDNO);
    Center->Optimize();
    EXPECT_EQ(VarNames().size(), 4u);

    Guide(2)->SetAncestor(true); // an inherited guide is left as it is
    DialogService().Expect(TDialogKind::dkMessageBox, IDYES);
    Center->Optimize();
    EXPECT_EQ(VarNames(), (std::vector<String>{"axVar", "cwVar"}));
    ASSERT_EQ(Page->DataSourceList().size(), 2u);
    EXPECT_TRUE(Guide(1)->CreateVariables());
    EXPECT_EQ(Guide(0)->DataSource(), Find("ASource"));
    EXPECT_FALSE(Guide(0)->CreateVariables());
    EXPECT_EQ(Page->NoDsgList()->IndexOf("BSource"), 0);
    EXPECT_EQ(Items(Center->flist), (std::vector<String>{"z"}));

    // a guide whose source the page does not list has no full name: it goes all the same
    TDataSource outside(nullptr);
    auto* stray = Create<TKivDataSourceGuide>(Host.Root());
    stray->SetParent(Page);
    stray->SetDataSource(&outside);
    const Integer remembered = Page->NoDsgList()->Count();
    DialogService().Expect(TDialogKind::dkMessageBox, IDYES);
    EXPECT_NO_THROW(Center->Optimize());
    EXPECT_EQ(Page->DataSourceList().size(), 2u);
    EXPECT_EQ(Page->NoDsgList()->Count(), remembered);
}

TEST_F(DataControlTest, DropsMakeVariablesAndTotalsNamedAfterWhatWasDropped)
{
    Open(FormText(MemorySet("Sales", {"amount", "region"})));
    auto* clist = Center->clist;
    auto* flist = Center->flist;
    bool accept = true;
    Center->ListDragOver(flist, clist, 0, 0, dsDragMove, accept);
    EXPECT_FALSE(accept); // the guide makes its variables: they cannot be undefined
    Center->ListDragOver(Center->TotalVarList, flist, 0, 0, dsDragMove, accept);
    EXPECT_FALSE(accept);

    clist->SetSelected(0, true);
    Center->ListDragOver(Center->TotalVarList, clist, 0, 0, dsDragMove, accept);
    ASSERT_TRUE(accept);
    Center->ListDragDrop(Center->TotalVarList, clist, 0, 0);
    auto* total = dynamic_cast<TKivTotalvar*>(Find("TotalOfamount"));
    ASSERT_NE(total, nullptr);
    EXPECT_EQ(total->Variable(), Find("salesamountVar"));
    EXPECT_EQ(Items(Center->TotalVarList), (std::vector<String>{"TotalOfamount"}));
    EXPECT_TRUE(Center->TotalVarList->Selected(0));

    Center->SelectAll(clist);
    Center->ListDragDrop(Center->DBVarList, clist, 0, 0);
    EXPECT_EQ(Items(Center->DBVarList), (std::vector<String>{"DBamount", "DBregion"}));
    auto* db = dynamic_cast<TKivDBVar*>(Find("DBregion"));
    ASSERT_NE(db, nullptr);
    EXPECT_EQ(db->DataField(), "region");
    EXPECT_EQ(db->DataSource(), Find("SalesSource"));
    // from the DB list the total is named after the variable
    Center->DBVarList->ClearSelection();
    Center->DBVarList->SetSelected(1, true);
    Center->ListDragDrop(Center->TotalVarList, Center->DBVarList, 0, 0);
    EXPECT_NE(Find("TotalOfDBregion"), nullptr);

    // with creation off, a variable goes back to the available fields and comes again
    Guide(0)->SetCreateVariables(false);
    Center->RefreshLists();
    clist->ClearSelection();
    clist->SetSelected(1, true);
    Center->ListDragOver(flist, clist, 0, 0, dsDragMove, accept);
    ASSERT_TRUE(accept);
    Center->clistPopup->Popup(0, 0);
    EXPECT_TRUE(Center->clistUnDefine->Enabled());
    Guide(0)->SetAncestor(true); // an ancestor's guide is changed there
    Center->clistPopup->Popup(0, 0);
    EXPECT_FALSE(Center->clistUnDefine->Enabled());
    Center->flistpopup->Popup(0, 0);
    EXPECT_FALSE(Center->flistAdd->Enabled());
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    Center->flistAddClick(nullptr); // "&Define" all the same
    EXPECT_EQ(DialogService().History().back().Text, KivDefineAncestorText);
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    Center->Delete1Click(nullptr); // "Un&Define"
    EXPECT_EQ(DialogService().History().back().Text, KivAncestorText);
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    Center->DeleteDsgItemClick(nullptr);
    EXPECT_EQ(DialogService().History().back().Text, KivAncestorText);
    EXPECT_EQ(Page->DataSourceList().size(), 1u);
    Guide(0)->SetAncestor(false);
    Center->ListDragDrop(flist, clist, 0, 0);
    EXPECT_EQ(Find("salesregionVar"), nullptr);
    EXPECT_EQ(Items(flist), (std::vector<String>{"region"}));
    flist->SetSelected(0, true);
    Center->ListDragDrop(clist, flist, 0, 0);
    EXPECT_NE(Find("salesregionVar"), nullptr);

    // deleting from a list keeps what an ancestor brought, and says so
    Find("DBamount")->SetAncestor(true);
    Center->SelectAll(Center->DBVarList);
    DialogService().Expect(TDialogKind::dkMessageBox, IDOK);
    Center->DBDeleteClick(nullptr);
    EXPECT_EQ(Items(Center->DBVarList), (std::vector<String>{"DBamount"}));
    EXPECT_EQ(DialogService().History().back().Text, KivAncestorText);
}

TEST_F(DataControlTest, AClickTogglesTheGuideOfTheRowUnderTheMouse)
{
    Open(FormText(MemorySet("A", {"x"}) + MemorySet("B", {"y"}) + MemorySet("C", {"z"})));
    TStringGrid* grid = Center->DataSourceList;
    ASSERT_EQ(grid->RowCount(), 3);
    grid->SetHeight(2 * 18);
    HDC dc = CreateRecordingDC(200, 200);
    grid->Canvas()->SetHandle(dc);
    const auto paint = [&] {
        for (Integer r = grid->TopRow(); r < grid->TopRow() + grid->VisibleRowCount() && r < grid->RowCount(); ++r)
            Center->DataSourceListDrawCell(grid, 0, r, grid->CellRect(0, r), {});
    };
    paint();
    // outside every box: nothing changes
    Center->DataSourceListMouseUp(grid, mbLeft, {}, 100, 5);
    EXPECT_TRUE(Guide(0)->CreateVariables() && Guide(1)->CreateVariables() && Guide(2)->CreateVariables());
    // scrolled by one row: the box at the top belongs to the second guide now
    grid->SetTopRow(1);
    const TRect box = Center->CheckBoxRect(1);
    ASSERT_EQ(grid->TopRow(), 1);
    ASSERT_EQ(grid->MouseCoord(box.Left + 6, box.Top + 6).Y, 1) << box.Left << "," << box.Top;
    Center->DataSourceListMouseUp(grid, mbLeft, {}, box.Left + 6, box.Top + 6);
    EXPECT_TRUE(Guide(0)->CreateVariables());
    EXPECT_FALSE(Guide(1)->CreateVariables()) << Guide(0)->CreateVariables() << Guide(2)->CreateVariables() << Center->DsgList[1]->DataSourceName << Guide(1)->DataSource()->Name();
    Center->DataSourceListMouseUp(grid, mbLeft, {}, box.Right, box.Bottom); // edges count
    EXPECT_TRUE(Guide(1)->CreateVariables());
    // an ancestor's guide does not toggle
    Guide(2)->SetAncestor(true);
    const TRect last = Center->CheckBoxRect(2);
    ASSERT_GE(last.Left, 0); // in view
    Center->DataSourceListMouseUp(grid, mbLeft, {}, last.Left + 1, last.Top + 1);
    EXPECT_TRUE(Guide(2)->CreateVariables());
    Guide(2)->SetAncestor(false);
    grid->Canvas()->SetHandle(nullptr);
    DeleteDC(dc);
}

TEST_F(DataControlTest, ZoomingGivesOneListMostOfItsColumn)
{
    Open(FormText(""));
    Center->SetClientWidth(700);
    Center->SetClientHeight(500);
    const auto heights = [&] {
        return std::vector<Integer>{Center->DataSourcePanel->Height(), Center->ExprPanel->Height() + 1,
                                    Center->totalpanel->Height() + 1, Center->DBVarPanel->Height() + 1};
    };
    Center->FormResize(nullptr);
    EXPECT_EQ(heights(), (std::vector<Integer>{200, 100, 100, 100}));
    EXPECT_EQ(Center->DataSourcePanel->Width(), 490);
    EXPECT_EQ(Center->ExprPanel->Top(), 201);
    EXPECT_EQ(Center->DBVarPanel->Top() + Center->DBVarPanel->Height(), 500);
    EXPECT_EQ(Center->ButtonPanel->Left(), 490);
    EXPECT_EQ(Center->ButtonPanel->Width(), 209);

    // each of the four zoomed and zoomed again
    TSpeedButton* const left[] = {Center->DataSourceZoom, Center->ExprZoom, Center->TotalZoom, Center->DbVarZoom};
    for (size_t i = 0; i < 4; ++i) {
        std::vector<Integer> zoomed(4, 50);
        zoomed[i] = 350;
        Center->DataSourceZoomClick(left[i]);
        EXPECT_EQ(heights(), zoomed) << i;
        Center->DataSourceZoomClick(left[i]);
        EXPECT_EQ(heights(), (std::vector<Integer>{200, 100, 100, 100})) << i;
    }
    Center->DataSourceZoomClick(Center->TotalZoom);
    Center->DataSourceZoomClick(Center->ExprZoom); // the zoom moves
    EXPECT_EQ(heights(), (std::vector<Integer>{50, 350, 50, 50}));
    EXPECT_FALSE(Center->TotalZoomed);
    Center->DataSourceZoomClick(Center->ExprZoom); // and back
    EXPECT_EQ(heights(), (std::vector<Integer>{200, 100, 100, 100}));

    const Integer D = 500 - Center->ButtonPanel->Height();
    EXPECT_EQ(Center->FieldsPanel->Height() + 1, static_cast<Integer>(Round(D * 0.5)));
    Center->FieldZoomClick(Center->FieldZoom);
    EXPECT_EQ(Center->FieldsPanel->Height() + 1, static_cast<Integer>(Round(D * 0.9)));
    EXPECT_EQ(Center->VarPanel->Top(), static_cast<Integer>(Round(D * 0.9)));
    Center->FieldZoomClick(Center->VarZoom);
    EXPECT_EQ(Center->FieldsPanel->Height() + 1, static_cast<Integer>(Round(D * 0.1)));
    EXPECT_EQ(Center->VarPanel->Height() + 1, static_cast<Integer>(Round(D * 0.9)));
    EXPECT_TRUE(Center->VarZoomed);
    // the glyph says what a click does next
    EXPECT_EQ(Center->VarZoom->Glyph()->Width(), Center->ZOOMOUT->Glyph()->Width());
    EXPECT_GT(Center->ZOOMOUT->Glyph()->Width(), 0);
}

TEST_F(DataControlTest, ListsDrawTheirMarksAndColumns)
{
    Open(FormText(MemorySet("S", {"amount", "region"})));
    Use(dynamic_cast<TKivVar*>(Find("samountVar")));
    Center->clist->SetSelected(0, true);
    Center->ListDragDrop(Center->DBVarList, Center->clist, 0, 0);
    auto* db = dynamic_cast<TKivDBVar*>(Find("DBamount"));
    ASSERT_NE(db, nullptr);
    db->SetUpdateLevel(nullptr);
    Center->RefreshLists();
    ASSERT_EQ(Center->DBList.size(), 1u);
    EXPECT_EQ(Center->DBList[0]->LevelName, "Fill in UpdateLevel.");
    EXPECT_TRUE(Center->DBList[0]->LevelMatch);
    db->SetUpdateLevel(dynamic_cast<TKivLevel*>(Find("OtherLevel")));
    Use(db);
    Center->RefreshLists();
    EXPECT_FALSE(Center->DBList[0]->LevelMatch);

    HDC dc = CreateRecordingDC(400, 200);
    const auto draw = [&](TListBox* List, auto Handler, bool Selected) {
        List->Canvas()->SetHandle(dc);
        List->Canvas()->Brush()->SetColor(clWhite);
        List->Canvas()->Font()->SetColor(clBlack);
        ClearRecordedCalls(dc);
        const TOwnerDrawState state = Selected ? TOwnerDrawState{odSelected} : TOwnerDrawState{};
        std::invoke(Handler, Center, List, 0, TRect(0, 0, 300, 16), state);
        std::string calls;
        for (const String& c : GetRecordedCalls(dc))
            calls += c + "\n";
        List->Canvas()->SetHandle(nullptr);
        return calls;
    };
    const std::string selected = draw(Center->clist, &TKivDSVariableOptions::clistDrawItem, true);
    EXPECT_NE(selected.find("> amount"), std::string::npos) << selected;
    EXPECT_NE(selected.find("Brush style=0 color=$008000"), std::string::npos) << selected; // green background
    const std::string plain = draw(Center->clist, &TKivDSVariableOptions::clistDrawItem, false);
    EXPECT_NE(plain.find("SetTextColor($008000)"), std::string::npos) << plain;

    const Integer W = Center->DBVarList->Width();
    const std::string dbRow = draw(Center->DBVarList, &TKivDSVariableOptions::DBVarListDrawItem, false);
    EXPECT_NE(dbRow.find("> DBamount"), std::string::npos) << dbRow;
    // the first column ends at 4 + 75; the next two are a quarter of the rest each (rounded down)
    const Integer second = 4 + static_cast<Integer>(Round(W * 0.25)) + 1, q = (300 - second) / 4;
    EXPECT_EQ(Center->DBSourceLabel->Left(), second);
    EXPECT_EQ(Center->DBFieldLabel->Left(), second + q + 1);
    EXPECT_EQ(Center->DBLevelLabel->Left(), second + 2 * q + 2);
    // its level differs from its guide's: a red "* "
    EXPECT_NE(dbRow.find("* OtherLevel"), std::string::npos) << dbRow;
    EXPECT_NE(dbRow.find("SetTextColor($0000FF)"), std::string::npos) << dbRow;

    // the grid: a checked guide's box has its two diagonals
    TStringGrid* grid = Center->DataSourceList;
    grid->Canvas()->SetHandle(dc);
    ClearRecordedCalls(dc);
    Center->DataSourceListDrawCell(grid, 0, 0, TRect(0, 0, 30, 17), {gdSelected});
    std::string cell;
    for (const String& c : GetRecordedCalls(dc))
        cell += c + "\n";
    EXPECT_NE(cell.find("color=$800000"), std::string::npos) << cell; // navy, the selected row
    EXPECT_NE(cell.find("Rectangle(5,3,17,15)"), std::string::npos) << cell;
    EXPECT_NE(cell.find("LineTo(15,13)"), std::string::npos) << cell;
    EXPECT_NE(cell.find("LineTo(7,13)"), std::string::npos) << cell;
    EXPECT_EQ(Center->DsgList[0]->CheckRect, TRect(5, 3, 17, 15));
    grid->Canvas()->SetHandle(nullptr);
    DeleteDC(dc);
}
