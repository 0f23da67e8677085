// The data control center: its parts, and its rows kept in step with the page.

#include "designer/KivVOpt.h"

#include "designer/PageManIntf.h"
#include "designer/PageManQueries.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ide/DesignIntf.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Resources.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/UiScreen.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorUtil.h"

namespace qor {

QOR_PUBLISH(TKivDSVariableOptions)
{
    b.Method("FormShow", &TKivDSVariableOptions::FormShow);
    b.Method("FormResize", &TKivDSVariableOptions::FormResize);
    b.Method("DataSourcePanelResize", &TKivDSVariableOptions::DataSourcePanelResize);
    b.Method("CloseClick", &TKivDSVariableOptions::CloseClick);
    b.Method("HelpClick", &TKivDSVariableOptions::HelpClick);
    b.Method("OptimizeClick", &TKivDSVariableOptions::OptimizeClick);
    b.Method("PrintClick", &TKivDSVariableOptions::PrintClick);
    b.Method("DataSourceZoomClick", &TKivDSVariableOptions::DataSourceZoomClick);
    b.Method("FieldZoomClick", &TKivDSVariableOptions::FieldZoomClick);
    b.Method("DataSourceListClick", &TKivDSVariableOptions::DataSourceListClick);
    b.Method("DataSourceListMouseUp", &TKivDSVariableOptions::DataSourceListMouseUp);
    b.Method("TotalVarListClick", &TKivDSVariableOptions::TotalVarListClick);
    b.Method("ExprVarListClick", &TKivDSVariableOptions::ExprVarListClick);
    b.Method("DBVarListClick", &TKivDSVariableOptions::DBVarListClick);
    b.Method("clistClick", &TKivDSVariableOptions::clistClick);
    b.Method("flistClick", &TKivDSVariableOptions::flistClick);
    b.Method("ListDragOver", &TKivDSVariableOptions::ListDragOver);
    b.Method("ListDragDrop", &TKivDSVariableOptions::ListDragDrop);
    b.Method("PopupPopup", &TKivDSVariableOptions::PopupPopup);
    b.Method("RevertDsgItemClick", &TKivDSVariableOptions::RevertDsgItemClick);
    b.Method("DeleteDsgItemClick", &TKivDSVariableOptions::DeleteDsgItemClick);
    b.Method("AddDsgItemClick", &TKivDSVariableOptions::AddDsgItemClick);
    b.Method("flistAddClick", &TKivDSVariableOptions::flistAddClick);
    b.Method("flistSelectAllClick", &TKivDSVariableOptions::flistSelectAllClick);
    b.Method("Delete1Click", &TKivDSVariableOptions::Delete1Click);
    b.Method("SelectAllUnused1Click", &TKivDSVariableOptions::SelectAllUnused1Click);
    b.Method("SelectAll1Click", &TKivDSVariableOptions::SelectAll1Click);
    b.Method("ExprDeleteClick", &TKivDSVariableOptions::ExprDeleteClick);
    b.Method("ExprUnusedClick", &TKivDSVariableOptions::ExprUnusedClick);
    b.Method("ExprSelectAllClick", &TKivDSVariableOptions::ExprSelectAllClick);
    b.Method("ExprAddClick", &TKivDSVariableOptions::ExprAddClick);
    b.Method("TotalDeleteClick", &TKivDSVariableOptions::TotalDeleteClick);
    b.Method("TotalSelectAllUnusedClick", &TKivDSVariableOptions::TotalSelectAllUnusedClick);
    b.Method("TotalSelectAllClick", &TKivDSVariableOptions::TotalSelectAllClick);
    b.Method("DBDeleteClick", &TKivDSVariableOptions::DBDeleteClick);
    b.Method("DBSelectUnusedClick", &TKivDSVariableOptions::DBSelectUnusedClick);
    b.Method("DBSelectAllClick", &TKivDSVariableOptions::DBSelectAllClick);
    b.Method("Add1Click", &TKivDSVariableOptions::Add1Click);
}

QOR_MESSAGE(KIV_VO_REFRESH, &TKivDSVariableOptions::QorRefreshVarLists);

String KivTooManyFieldsText(Integer Count)
{
    return "There is " + IntToStr(Count) + " fields.  You must manually create the db Variables when > 99.";
}

namespace {

// Sets a state flag for a scope; it is cleared again however the scope is left.
class TStateScope {
public:
    TStateScope(TQorDSOptionsState& State, TQorDSOptionsStateItem Item) : FState(State), FItem(Item)
    {
        FState += FItem;
    }
    ~TStateScope() { FState -= FItem; }
    TStateScope(const TStateScope&) = delete;
    TStateScope& operator=(const TStateScope&) = delete;

private:
    TQorDSOptionsState& FState;
    TQorDSOptionsStateItem FItem;
};

TKivPage* PageOf(TKivDSGuide* Guide) { return Guide ? dynamic_cast<TKivPage*>(Guide->Parent()) : nullptr; }

String LevelName(const TKivLevel* Level, const char* Missing)
{
    return Level ? Level->Name() : String(Missing);
}

void LoadGlyph(TSpeedButton* Button, const char* Name)
{
    if (!Button)
        return;
    if (auto data = FindResource(String("bitmaps/") + Name + ".bmp")) {
        TMemoryStream s;
        s.WriteBuffer(data->data(), static_cast<Int64>(data->size()));
        s.SetPosition(0);
        Button->Glyph()->LoadFromStream(&s);
    }
}

} // namespace

void FillDsgFieldList(TKivDSGuide* Guide, TStringList* List)
{
    List->Clear();
    TDataSource* source = Guide ? Guide->DataSource() : nullptr;
    TDataSet* set = source ? source->DataSet() : nullptr;
    if (!set)
        return;
    TStringList names;
    try {
        set->GetFieldNames(&names);
    } catch (const std::exception&) {
        // a data set that cannot tell (a database that is missing): what it told is kept
    }
    List->Assign(&names);
}

void FillDsgVarList(TKivDSGuide* Guide, std::vector<TKivDBVar*>& List)
{
    List.clear();
    TKivPage* page = PageOf(Guide);
    if (!page || !Guide->DataSource())
        return;
    for (TKivVar* v : page->VarList())
        if (auto* d = dynamic_cast<TKivDBVar*>(v); d && d->Id() == vidAutoDataVar && d->DataSource() == Guide->DataSource())
            List.push_back(d);
}

// ---- The form ----------------------------------------------------------------------------------

TKivDSVariableOptions::TKivDSVariableOptions(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/kivvopt.qfm");
    auto part = [this]<class T>(T*& Field, const char* Name) { Field = FormPart<T>(*this, Name); };
    part(DataSourcePanel, "DataSourcePanel");
    part(DataSourceListPanel, "DataSourceListPanel");
    part(DataSourceList, "DataSourceList");
    part(FieldsPanel, "FieldsPanel");
    part(VarPanel, "VarPanel");
    part(ExprPanel, "ExprPanel");
    part(totalpanel, "totalpanel");
    part(DBVarPanel, "DBVarPanel");
    part(ButtonPanel, "ButtonPanel");
    part(flist, "flist");
    part(clist, "clist");
    part(ExprVarList, "ExprVarList");
    part(TotalVarList, "TotalVarList");
    part(DBVarList, "DBVarList");
    part(DataSourceZoom, "DataSourceZoom");
    part(ExprZoom, "ExprZoom");
    part(TotalZoom, "TotalZoom");
    part(DbVarZoom, "DbVarZoom");
    part(FieldZoom, "FieldZoom");
    part(VarZoom, "VarZoom");
    part(ZOOMIN, "ZOOMIN");
    part(ZOOMOUT, "ZOOMOUT");
    part(AutoLabel, "AutoLabel");
    part(DataSourceLabel, "DataSourceLabel");
    part(DSLevelLabel, "DSLevelLabel");
    part(ExprLabel, "ExprLabel");
    part(ExprLevelLabel, "ExprLevelLabel");
    part(ExprEventLabel, "ExprEventLabel");
    part(ExprTypeLabel, "ExprTypeLabel");
    part(TotalLabel, "TotalLabel");
    part(totalLevelLabel, "totalLevelLabel");
    part(TotalVariableLabel, "TotalVariableLabel");
    part(DBLabel, "DBLabel");
    part(DBSourceLabel, "DBSourceLabel");
    part(DBFieldLabel, "DBFieldLabel");
    part(DBLevelLabel, "DBLevelLabel");
    part(DSListPopup, "DSListPopup");
    part(flistpopup, "flistpopup");
    part(clistPopup, "clistPopup");
    part(ExprListPopup, "ExprListPopup");
    part(TotalListPopup, "TotalListPopup");
    part(DBListPopup, "DBListPopup");
    part(RevertDsgItem, "RevertDsgItem");
    part(DeleteDsgItem, "DeleteDsgItem");
    part(AddDsgItem, "AddDsgItem");
    part(flistAdd, "flistAdd");
    part(flistSelectAll, "flistSelectAll");
    part(clistUnDefine, "clistUnDefine");
    part(clistSelectUnused, "clistSelectUnused");
    part(clistSelectAll, "clistSelectAll");
    part(ExprDelete, "ExprDelete");
    part(ExprUnused, "ExprUnused");
    part(ExprSelectAll, "ExprSelectAll");
    part(ExprAddType, "ExprAddType");
    part(TotalDelete, "TotalDelete");
    part(TotalUnused, "TotalUnused");
    part(TotalSelectAll, "TotalSelectAll");
    part(DBDelete, "DBDelete");
    part(DBSelectUnused, "DBSelectUnused");
    part(DBSelectAll, "DBSelectAll");
    part(DBAdd, "DBAdd");

    LoadGlyph(ZOOMIN, "ZOOMIN");
    LoadGlyph(ZOOMOUT, "ZOOMOUT");
    DataSourceList->OnDrawCell = [this](TObject* S, Integer C, Integer R, TRect Rect, TGridDrawState St) {
        DataSourceListDrawCell(S, C, R, Rect, St);
    };
    const auto bind = [this](TListBox* List, void (TKivDSVariableOptions::*Draw)(TWinControl*, Integer, TRect, TOwnerDrawState)) {
        List->OnDrawItem = [this, Draw](TWinControl* C, Integer I, TRect R, TOwnerDrawState S) { (this->*Draw)(C, I, R, S); };
    };
    bind(clist, &TKivDSVariableOptions::clistDrawItem);
    bind(flist, &TKivDSVariableOptions::flistDrawItem);
    bind(ExprVarList, &TKivDSVariableOptions::ExprVarListDrawItem);
    bind(TotalVarList, &TKivDSVariableOptions::TotalVarListDrawItem);
    bind(DBVarList, &TKivDSVariableOptions::DBVarListDrawItem);

    const bool wide = UiScreen()->Width() >= 800;
    SetClientWidth(wide ? 700 : 600);
    SetClientHeight(wide ? 500 : 450);
    if (UiScreen()->PixelsPerInch() > 96)
        Font()->SetSize(7);
    FieldZoomClick(nullptr);
    DataSourceZoomClick(nullptr);
}

TKivDSVariableOptions::~TKivDSVariableOptions() = default;

void TKivDSVariableOptions::Modified()
{
    if (PageManager && PageManager->PageDesigner())
        PageManager->PageDesigner()->Modified();
}

// ---- Helpers ----------------------------------------------------------------------------------

TKivPage* TKivDSVariableOptions::GetGroupPage() const { return PageManager ? PageManager->Page() : nullptr; }

bool TKivDSVariableOptions::DsgOk() const
{
    const Integer row = DataSourceList->Row();
    return !DsgList.empty() && row >= 0 && row < static_cast<Integer>(DsgList.size());
}

String TKivDSVariableOptions::GetFullDSName() const
{
    return DsgOk() ? DsgList[static_cast<size_t>(DataSourceList->Row())]->DataSourceName : String();
}

TKivDSGuide* TKivDSVariableOptions::GetDataSourceGuide(const String& Name) const
{
    TKivPage* page = GetGroupPage();
    return page ? page->GetDataSourceGuide(Name) : nullptr;
}

TKivDBVar* TKivDSVariableOptions::GetDbVar(TKivDSGuide* Guide, const String& Field) const
{
    TKivPage* page = GetGroupPage();
    if (!Guide || !page)
        return nullptr;
    // a field whose name changed only in case keeps its variable
    for (TKivVar* v : page->VarList())
        if (auto* d = dynamic_cast<TKivDBVar*>(v); d && d->Id() == vidAutoDataVar &&
                                                   d->DataSource() == Guide->DataSource() &&
                                                   SameText(d->DataField(), Field))
            return d;
    return nullptr;
}

TKivVar* TKivDSVariableOptions::GetVar(const String& Name) const
{
    if (TKivPage* page = GetGroupPage())
        for (TKivVar* v : page->VarList())
            if (v->Name() == Name)
                return v;
    return nullptr;
}

bool TKivDSVariableOptions::VarUsed(TKivVar* Var) const
{
    TKivPage* page = GetGroupPage();
    return page && page->VarUsed(Var);
}

void TKivDSVariableOptions::DeleteVar(TKivVar* Var)
{
    if (!Var)
        return;
    Var->SetParent(nullptr);
    Free(Var);
}

void TKivDSVariableOptions::SelectComponent(TPersistent* Component)
{
    if (!PageManager)
        return;
    ComponentSelect(PageManager->PageDesigner(), Component ? Component : GetGroupPage());
}

void TKivDSVariableOptions::UnSelectStuff(TObject* Sender)
{
    for (TListBox* list : {ExprVarList, TotalVarList, flist, clist, DBVarList})
        if (list != Sender)
            list->ClearSelection();
}

// ---- Refreshing -------------------------------------------------------------------------------

void TKivDSVariableOptions::ObjectChanged() { PostMessage(Handle(), KIV_VO_REFRESH, 0, 0); }

void TKivDSVariableOptions::QorRefreshVarLists(TMessage&) { RefreshLists(); }

void TKivDSVariableOptions::RefreshLists()
{
    if (FDSOptionsState.Contains(dsoRefreshLists))
        return;
    TStateScope scope(FDSOptionsState, dsoRefreshLists);
    if (GetGroupPage()) {
        UpdateDsgList();
        UpdateCFList();
        UpdateDBVarList();
        UpdateExprList();
        UpdateTotalList();
    }
    Application()->ProcessMessages();
}

void TKivDSVariableOptions::UpdateDsgList()
{
    DsgList.clear();
    TKivPage* page = GetGroupPage();
    if (!page)
        return;
    const auto& sources = page->FullDSList();
    for (TKivDSGuide* g : page->DataSourceList()) {
        const auto at = std::find(sources.begin(), sources.end(), g->DataSource());
        const Integer i = static_cast<Integer>(at - sources.begin());
        if (at == sources.end() || i >= page->FullDSNames()->Count())
            continue;
        auto row = std::make_unique<TDsgItem>();
        row->CreateVariables = g->CreateVariables();
        row->DataSourceName = page->FullDSNames()->Strings(i);
        row->UpdateLevelName = g->UpdateLevel() ? g->UpdateLevel()->Name() : String();
        DsgList.push_back(std::move(row));
    }
    DataSourceList->SetRowCount(std::max<Integer>(1, static_cast<Integer>(DsgList.size())));
    for (Integer r = 0; r < static_cast<Integer>(DsgList.size()); ++r) {
        DataSourceList->SetCells(0, r, " ");
        DataSourceList->SetCells(1, r, DsgList[static_cast<size_t>(r)]->DataSourceName);
        DataSourceList->SetCells(2, r, DsgList[static_cast<size_t>(r)]->UpdateLevelName);
    }
    if (DsgList.empty())
        for (Integer c = 0; c < 3; ++c)
            DataSourceList->SetCells(c, 0, String());
}

void TKivDSVariableOptions::UpdateCFList()
{
    TStringList vars, fields;
    TKivDSGuide* guide = DsgOk() ? CurrentGuide() : nullptr;
    if (guide && guide->DataSource()) {
        std::vector<TKivDBVar*> list;
        FillDsgVarList(guide, list);
        for (TKivDBVar* v : list)
            vars.Add(v->DataField());
        TStringList all;
        FillDsgFieldList(guide, &all);
        for (Integer i = 0; i < all.Count(); ++i)
            if (vars.IndexOf(all.Strings(i)) < 0)
                fields.Add(all.Strings(i));
    }
    clist->Clear();
    flist->Clear();
    clist->Items()->Assign(&vars);
    flist->Items()->Assign(&fields);
}

void TKivDSVariableOptions::UpdateDBVarList()
{
    DBList.clear();
    TKivPage* page = GetGroupPage();
    DBVarList->Clear();
    if (!page)
        return;
    for (TKivVar* v : page->VarList()) {
        auto* d = dynamic_cast<TKivDBVar*>(v);
        if (!d || d->Id() == vidAutoDataVar || d->AutoVar())
            continue;
        auto row = std::make_unique<TDBItem>();
        row->DBName = d->Name();
        row->LevelName = LevelName(d->UpdateLevel(), "Fill in UpdateLevel.");
        row->Used = VarUsed(d);
        row->DataSourceName = d->DataSource() ? d->DataSource()->Name() : String("Fill in DataSource.");
        row->DataField = d->DataField().empty() ? String("Fill in Field.") : d->DataField();
        if (d->UpdateLevel() && d->DataSource())
            if (TKivDSGuide* g = GetDataSourceGuide(d->DataSource()->Name()); g && g->UpdateLevel() != d->UpdateLevel())
                row->LevelMatch = false;
        DBVarList->Items()->Add(row->DBName);
        DBList.push_back(std::move(row));
    }
}

void TKivDSVariableOptions::UpdateExprList()
{
    static const char* const TypeNames[] = {"Unknown", "String", "Float",  "Integer", "Boolean",
                                            "DateTime", "Blob",  "Memo", "Graphic", "Currency"};
    ExprList.clear();
    ExprVarList->Clear();
    TKivPage* page = GetGroupPage();
    if (!page)
        return;
    IDesigner* designer = PageManager ? PageManager->PageDesigner() : nullptr;
    for (TKivVar* v : page->VarList()) {
        if (v->Id() != vidExprVar)
            continue;
        auto row = std::make_unique<TExprItem>();
        row->ExprName = v->Name();
        row->ExprLevelName = LevelName(v->UpdateLevel(), "Fill in UpdateLevel.");
        row->ExprEventName = QorGetMethodValue(v, "OnGetData", designer);
        if (row->ExprEventName.empty())
            row->ExprEventName = "Fill in OnGetData event.";
        const auto type = static_cast<size_t>(v->DataType());
        row->ExprTypeName = type < std::size(TypeNames) ? TypeNames[type] : "";
        row->Used = VarUsed(v);
        ExprVarList->Items()->Add(row->ExprName);
        ExprList.push_back(std::move(row));
    }
}

void TKivDSVariableOptions::UpdateTotalList()
{
    TotalList.clear();
    TotalVarList->Clear();
    TKivPage* page = GetGroupPage();
    if (!page)
        return;
    for (TKivTotalvar* t : page->TotalVarList()) {
        auto row = std::make_unique<TTotalItem>();
        row->TotalName = t->Name();
        row->TotalLevelName = LevelName(t->UpdateLevel(), "Fill in UpdateLevel.");
        row->TotalVarName = t->Variable() ? t->Variable()->Name() : String("Fill in Variable.");
        row->Used = VarUsed(t);
        if (t->UpdateLevel() && t->Variable() && t->Variable()->UpdateLevel() &&
            t->UpdateLevel() != t->Variable()->UpdateLevel())
            row->LevelMatch = false;
        TotalVarList->Items()->Add(row->TotalName);
        TotalList.push_back(std::move(row));
    }
}

// ---- Automatic variables ----------------------------------------------------------------------

bool TKivDSVariableOptions::UpdateVars()
{
    if (FDSOptionsState.Contains(dsoUpdatingVars))
        return true;
    TStateScope scope(FDSOptionsState, dsoUpdatingVars);
    TKivPage* page = GetGroupPage();
    if (!page)
        return true;
    // the fields still without an automatic variable, over every guide that makes them
    Integer missing = 0;
    std::vector<TKivDSGuide*> short_;
    TStringList fields;
    for (TKivDSGuide* g : page->DataSourceList()) {
        if (!g->CreateVariables())
            continue;
        FillDsgFieldList(g, &fields);
        Integer n = 0;
        for (Integer i = 0; i < fields.Count(); ++i)
            if (!GetDbVar(g, fields.Strings(i)))
                ++n;
        if (n > 0)
            short_.push_back(g);
        missing += n;
    }
    if (missing < 100) {
        for (TKivDSGuide* g : std::vector<TKivDSGuide*>(page->DataSourceList()))
            UpdateDSG(g);
        return true;
    }
    MessageDlg(KivTooManyFieldsText(missing), mtInformation, {mbOK});
    for (TKivDSGuide* g : short_)
        g->SetCreateVariables(false);
    ShowModal();
    return false;
}

void TKivDSVariableOptions::UpdateDSG(TKivDSGuide* Guide)
{
    if (!Guide)
        return;
    std::vector<TKivDBVar*> vars;
    FillDsgVarList(Guide, vars);
    TStringList fields;
    FillDsgFieldList(Guide, &fields);
    bool changed = false;
    // a data set that tells no fields (closed, or not to be opened) keeps its variables
    if (fields.Count() > 0)
        for (TKivDBVar* v : vars)
            if (fields.IndexOf(v->DataField()) < 0 && !QorIsAncestor(v)) {
                DeleteVar(v);
                changed = true;
            }
    // every field without a variable gets one: a stale variable an ancestor keeps does not count
    if (Guide->CreateVariables())
        for (Integer i = 0; i < fields.Count(); ++i)
            if (!GetDbVar(Guide, fields.Strings(i))) {
                AddDbVar(Guide, fields.Strings(i));
                changed = true;
            }
    FillDsgVarList(Guide, vars);
    for (TKivDBVar* v : vars) {
        if (QorIsAncestor(v))
            continue;
        if (v->AutoVar() != Guide->CreateVariables() || v->UpdateLevel() != Guide->UpdateLevel()) {
            v->SetAutoVar(Guide->CreateVariables());
            v->SetUpdateLevel(Guide->UpdateLevel());
            changed = true;
        }
    }
    // a form that was only looked at stays unchanged
    if (changed)
        Modified();
}

void TKivDSVariableOptions::AddDbVar(TKivDSGuide* Guide, const String& Field)
{
    TKivPage* page = PageOf(Guide);
    if (!page || GetDbVar(Guide, Field))
        return;
    TDataSet* set = Guide->DataSource() ? Guide->DataSource()->DataSet() : nullptr;
    auto* v = Create<TKivDBVar>(page->Owner());
    try {
        if (!KivAutoSetComponentName(v, LowerCase(set ? set->Name() : String()) + Field + "Var", false)) {
            Free(v);
            return;
        }
        v->SetParent(page);
        v->SetAutoVar(Guide->CreateVariables());
        v->SetId(vidAutoDataVar);
        v->SetDataSource(Guide->DataSource());
        v->SetDataField(Field);
        v->SetUpdateLevel(Guide->UpdateLevel());
    } catch (...) {
        v->SetParent(nullptr);
        Free(v);
        throw;
    }
}

} // namespace qor
