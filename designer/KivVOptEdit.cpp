// The data control center's commands: selecting, dragging between the lists, adding and
// deleting variables and guides, Optimize, and the menus' states.

#include "designer/KIVVREP.h"
#include "designer/KivVOpt.h"
#include "designer/PageManIntf.h"
#include "designer/kivvhelp.h"
#include "platform/rtl/StringList.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivDBVar.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivExprVar.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>

namespace qor {

namespace {

std::vector<String> SelectedItems(TListBox* List)
{
    std::vector<String> items;
    for (Integer i = 0; i < List->Count(); ++i)
        if (List->Selected(i))
            items.push_back(List->Items()->Strings(i));
    return items;
}

// A new variable of the designed form on Page, named after Text; null when no name can be made.
template <class T>
T* NewVar(TKivPage* Page, const String& Text)
{
    auto* v = Create<T>(Page->Owner());
    if (!KivAutoSetComponentName(v, Text, false)) {
        Free(v);
        return nullptr;
    }
    v->SetParent(Page);
    return v;
}

TKivLevel* DetailLevel(TKivPage* Page) { return Page->Detail() ? Page->Detail()->UpdateLevel() : nullptr; }

// A menu caption shows Text as it is (an "&" in it is no hot-key marker).
String MenuText(const String& Text)
{
    String out;
    for (char c : Text) {
        out += c;
        if (c == '&')
            out += c;
    }
    return out;
}

} // namespace

// ---- The window's buttons ---------------------------------------------------------------------

void TKivDSVariableOptions::FormShow(TObject*)
{
    RefreshLists();
    DataSourceListClick(nullptr);
}

void TKivDSVariableOptions::CloseClick(TObject*) { Close(); }

void TKivDSVariableOptions::HelpClick(TObject*)
{
    auto help = std::make_unique<TKivVarHelp>(nullptr);
    help->ShowModal();
}

void TKivDSVariableOptions::OptimizeClick(TObject*) { Optimize(); }

void TKivDSVariableOptions::PrintClick(TObject*)
{
    if (TKivPage* page = GetGroupPage())
        RunVReport(page, DsgList, ExprList, TotalList, DBList);
}

// ---- The guide grid ---------------------------------------------------------------------------

void TKivDSVariableOptions::DataSourceListMouseUp(TObject*, TMouseButton, TShiftState, Integer X, Integer Y)
{
    // the row under the mouse decides, with its check box where it is drawn now: rows scrolled
    // out of view keep the squares they were last drawn at
    const TGridCoord cell = DataSourceList->MouseCoord(X, Y);
    if (cell.Y < 0 || cell.Y >= static_cast<Integer>(DsgList.size()))
        return;
    const TRect box = CheckBoxRect(cell.Y);
    if (X < box.Left || X > box.Right || Y < box.Top || Y > box.Bottom)
        return;
    TKivDSGuide* guide = GetDataSourceGuide(DsgList[static_cast<size_t>(cell.Y)]->DataSourceName);
    if (!guide || QorIsAncestor(guide))
        return;
    guide->SetCreateVariables(!guide->CreateVariables());
    UpdateDSG(guide);
    UpdateCFList();
}

void TKivDSVariableOptions::DataSourceListClick(TObject* Sender)
{
    SelectComponent(CurrentGuide());
    UpdateCFList();
    UnSelectStuff(Sender);
}

// ---- Selecting in the lists -------------------------------------------------------------------

void TKivDSVariableOptions::TotalVarListClick(TObject*)
{
    const Integer i = TotalVarList->ItemIndex();
    if (i != -1 && i < static_cast<Integer>(TotalList.size()))
        SelectComponent(GetVar(TotalList[static_cast<size_t>(i)]->TotalName));
    UnSelectStuff(TotalVarList);
}

void TKivDSVariableOptions::ExprVarListClick(TObject*)
{
    const Integer i = ExprVarList->ItemIndex();
    if (i != -1 && i < static_cast<Integer>(ExprList.size()))
        SelectComponent(GetVar(ExprList[static_cast<size_t>(i)]->ExprName));
    UnSelectStuff(ExprVarList);
}

void TKivDSVariableOptions::DBVarListClick(TObject*)
{
    const Integer i = DBVarList->ItemIndex();
    if (i != -1 && i < static_cast<Integer>(DBList.size()))
        SelectComponent(GetVar(DBList[static_cast<size_t>(i)]->DBName));
    UnSelectStuff(DBVarList);
}

void TKivDSVariableOptions::clistClick(TObject*)
{
    if (clist->ItemIndex() != -1)
        if (TKivDSGuide* guide = CurrentGuide()) {
            const std::vector<String> items = SelectedItems(clist);
            if (!items.empty())
                SelectComponent(GetDbVar(guide, items.front()));
        }
    UnSelectStuff(clist);
}

void TKivDSVariableOptions::flistClick(TObject*)
{
    SelectComponent(nullptr);
    UnSelectStuff(flist);
}

void TKivDSVariableOptions::SelectAll(TListBox* List)
{
    for (Integer i = 0; i < List->Count(); ++i)
        List->SetSelected(i, true);
}

void TKivDSVariableOptions::SelectUnused(TListBox* List)
{
    TKivDSGuide* guide = List == clist ? CurrentGuide() : nullptr;
    for (Integer i = 0; i < List->Count(); ++i) {
        const String& item = List->Items()->Strings(i);
        TKivVar* v = List == clist ? GetDbVar(guide, item) : GetVar(item);
        List->SetSelected(i, !VarUsed(v));
    }
}

void TKivDSVariableOptions::SelectFrom(TListBox* List, Integer First)
{
    for (Integer i = std::max<Integer>(First, 0); i < List->Count(); ++i)
        List->SetSelected(i, true);
    if (List->Count() > 0)
        List->SetItemIndex(List->Count() - 1);
}

// ---- Dragging between the lists ---------------------------------------------------------------

bool TKivDSVariableOptions::AcceptsDrop(TListBox* Target, TObject* Source) const
{
    if (Target == flist)
        return Source == clist && DsgOk() && !DsgList[static_cast<size_t>(DataSourceList->Row())]->CreateVariables;
    if (Target == clist)
        return Source == flist;
    if (Target == DBVarList)
        return Source == clist || Source == flist;
    if (Target == TotalVarList)
        return Source == clist || Source == ExprVarList || Source == DBVarList;
    return false;
}

void TKivDSVariableOptions::ListDragOver(TObject* Sender, TObject* Source, Integer, Integer, TDragState, bool& Accept)
{
    Accept = AcceptsDrop(dynamic_cast<TListBox*>(Sender), Source);
}

void TKivDSVariableOptions::ListDragDrop(TObject* Sender, TObject* Source, Integer, Integer)
{
    auto* target = dynamic_cast<TListBox*>(Sender);
    if (!AcceptsDrop(target, Source))
        return;
    if (target == flist)
        CListDelete();
    else if (target == clist)
        FListDefine();
    else if (target == DBVarList)
        AddManualDBVar(dynamic_cast<TListBox*>(Source));
    else if (target == TotalVarList)
        AddTotal(dynamic_cast<TListBox*>(Source));
}

void TKivDSVariableOptions::FListDefine()
{
    TKivDSGuide* guide = CurrentGuide();
    if (!guide)
        return;
    if (QorIsAncestor(guide)) {
        ShowMessage(KivDefineAncestorText);
        return;
    }
    for (const String& field : SelectedItems(flist))
        AddDbVar(guide, field);
    RefreshLists();
    Modified();
}

void TKivDSVariableOptions::CListDelete()
{
    TKivDSGuide* guide = CurrentGuide();
    if (!guide)
        return;
    if (QorIsAncestor(guide)) {
        ShowMessage(KivAncestorText);
        return;
    }
    const std::vector<String> items = SelectedItems(clist);
    SelectComponent(nullptr);
    for (const String& field : items)
        DeleteVar(GetDbVar(guide, field));
    RefreshLists();
    Modified();
}

void TKivDSVariableOptions::AddManualDBVar(TListBox* Source)
{
    TKivPage* page = GetGroupPage();
    TKivDSGuide* guide = CurrentGuide();
    if (!Source || !page || Source->SelCount() == 0)
        return;
    const Integer first = DBVarList->Count();
    for (const String& field : SelectedItems(Source)) {
        if (field.empty())
            continue;
        if (auto* v = NewVar<TKivDBVar>(page, "DB" + field)) {
            if (guide) {
                v->SetDataSource(guide->DataSource());
                v->SetUpdateLevel(guide->UpdateLevel());
            }
            v->SetDataField(field);
        }
    }
    Modified();
    RefreshLists();
    SelectFrom(DBVarList, first);
    DBVarListClick(DBVarList);
}

void TKivDSVariableOptions::AddTotal(TListBox* Source)
{
    TKivPage* page = GetGroupPage();
    if (!Source || !page || Source->SelCount() == 0)
        return;
    TKivDSGuide* guide = CurrentGuide();
    const Integer first = TotalVarList->Count();
    for (const String& item : SelectedItems(Source)) {
        TKivVar* base = Source == clist ? GetDbVar(guide, item) : GetVar(item);
        if (!base)
            continue;
        // a field of the guide names its total after the field, a variable after itself
        auto* d = dynamic_cast<TKivDBVar*>(base);
        const String name = Source == clist && d ? d->DataField() : base->Name();
        if (auto* t = NewVar<TKivTotalvar>(page, "TotalOf" + name)) {
            t->SetUpdateLevel(base->UpdateLevel());
            t->SetVariable(base);
        }
    }
    Modified();
    RefreshLists();
    SelectFrom(TotalVarList, first);
    TotalVarListClick(TotalVarList);
}

// ---- Adding and deleting variables ------------------------------------------------------------

void TKivDSVariableOptions::ExprAddClick(TObject* Sender)
{
    TKivPage* page = GetGroupPage();
    if (!page)
        return;
    auto* v = NewVar<TKivExprVar>(page, "ExprVar");
    if (!v)
        return;
    v->SetId(vidExprVar);
    v->SetUpdateLevel(DetailLevel(page));
    if (auto* item = dynamic_cast<TComponent*>(Sender); item && item->Tag() >= 1 && item->Tag() <= 9)
        v->SetDataType(static_cast<TKivDataTypes>(item->Tag()));
    Modified();
    RefreshLists();
    if (ExprVarList->Count() > 0)
        ExprVarList->SetItemIndex(ExprVarList->Count() - 1);
    ExprVarListClick(ExprVarList);
}

void TKivDSVariableOptions::Add1Click(TObject*)
{
    TKivPage* page = GetGroupPage();
    if (!page)
        return;
    if (auto* v = NewVar<TKivDBVar>(page, "DB"))
        v->SetUpdateLevel(DetailLevel(page));
    Modified();
    RefreshLists();
}

void TKivDSVariableOptions::DeleteETList(TListBox* List)
{
    SelectComponent(nullptr);
    bool kept = false;
    for (const String& name : SelectedItems(List)) {
        TKivVar* v = GetVar(name);
        if (QorIsAncestor(v))
            kept = true;
        else
            DeleteVar(v);
    }
    RefreshLists();
    Modified();
    if (kept)
        ShowMessage(KivAncestorText);
}

// ---- Guides -----------------------------------------------------------------------------------

void TKivDSVariableOptions::RevertDsgItemClick(TObject*)
{
    TKivDSGuide* guide = CurrentGuide();
    if (!guide || !PageManager)
        return;
    IDesigner* designer = PageManager->PageDesigner();
    QorRevertToAncestor(guide, designer);
    std::vector<TKivDBVar*> vars;
    FillDsgVarList(guide, vars);
    for (TKivDBVar* v : vars)
        QorRevertToAncestor(v, designer);
}

bool TKivDSVariableOptions::GuideUsed(TKivDSGuide* Guide)
{
    std::vector<TKivDBVar*> vars;
    FillDsgVarList(Guide, vars);
    return std::any_of(vars.begin(), vars.end(), [this](TKivDBVar* v) { return VarUsed(v); });
}

// Frees the guide; its data source is listed as one that gets no guide, so it is not made again.
void TKivDSVariableOptions::DeleteGuide(TKivDSGuide* Guide)
{
    TKivPage* page = GetGroupPage();
    if (Guide->DataSource()) {
        // a source the page does not list has no full name: nothing to remember it by
        const auto& sources = page->FullDSList();
        const auto at = std::find(sources.begin(), sources.end(), Guide->DataSource());
        const Integer i = static_cast<Integer>(at - sources.begin());
        if (at != sources.end() && i < page->FullDSNames()->Count())
            page->NoDsgList()->Add(page->FullDSNames()->Strings(i));
    }
    Guide->SetParent(nullptr);
    Free(Guide);
}

void TKivDSVariableOptions::DeleteDsgItemClick(TObject*)
{
    TKivPage* page = GetGroupPage();
    TKivDSGuide* guide = CurrentGuide();
    if (!page || !guide)
        return;
    if (QorIsAncestor(guide)) {
        ShowMessage(KivAncestorText);
        return;
    }
    SelectComponent(nullptr);
    if (GuideUsed(guide) &&
        Application()->MessageBox(KivUsedVarsText, "Confirm Delete?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::vector<TKivDBVar*> vars;
    FillDsgVarList(guide, vars);
    for (TKivDBVar* v : vars)
        if (!QorIsAncestor(v))
            DeleteVar(v);
    DeleteGuide(guide);
    page->UpdateVarList();
    UpdateVars();
    RefreshLists();
    Modified();
}

void TKivDSVariableOptions::AddDsgItemClick(TObject* Sender)
{
    TKivPage* page = GetGroupPage();
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!page || !item)
        return;
    const Integer i = page->NoDsgList()->IndexOf(StripHotkey(item->Caption()));
    if (i >= 0)
        page->NoDsgList()->Delete(i);
    Modified();
    page->UpdateVarList(); // makes the guide of the source no longer listed there
    UpdateVars();
    RefreshLists();
}

void TKivDSVariableOptions::Optimize()
{
    TKivPage* page = GetGroupPage();
    if (!page || Application()->MessageBox(KivOptimizeText, "Confirm Optimize?", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    SelectComponent(nullptr);
    std::vector<TKivDSGuide*> guides;
    for (TKivDSGuide* g : page->DataSourceList()) {
        if (QorIsAncestor(g))
            continue;
        guides.push_back(g);
        g->SetCreateVariables(false);
        std::vector<TKivDBVar*> vars;
        FillDsgVarList(g, vars);
        for (TKivDBVar* v : vars)
            if (!VarUsed(v) && !QorIsAncestor(v))
                DeleteVar(v);
    }
    for (TKivDSGuide* g : guides) {
        std::vector<TKivDBVar*> vars;
        FillDsgVarList(g, vars);
        if (vars.empty())
            DeleteGuide(g);
    }
    page->UpdateVarList();
    UpdateVars();
    RefreshLists();
    Modified();
}

// ---- The menus --------------------------------------------------------------------------------

void TKivDSVariableOptions::flistAddClick(TObject*) { FListDefine(); }
void TKivDSVariableOptions::flistSelectAllClick(TObject*) { SelectAll(flist); }
void TKivDSVariableOptions::Delete1Click(TObject*)
{
    SelectComponent(nullptr);
    CListDelete();
}
void TKivDSVariableOptions::SelectAllUnused1Click(TObject*) { SelectUnused(clist); }
void TKivDSVariableOptions::SelectAll1Click(TObject*) { SelectAll(clist); }
void TKivDSVariableOptions::ExprDeleteClick(TObject*) { DeleteETList(ExprVarList); }
void TKivDSVariableOptions::ExprUnusedClick(TObject*) { SelectUnused(ExprVarList); }
void TKivDSVariableOptions::ExprSelectAllClick(TObject*) { SelectAll(ExprVarList); }
void TKivDSVariableOptions::TotalDeleteClick(TObject*) { DeleteETList(TotalVarList); }
void TKivDSVariableOptions::TotalSelectAllUnusedClick(TObject*) { SelectUnused(TotalVarList); }
void TKivDSVariableOptions::TotalSelectAllClick(TObject*) { SelectAll(TotalVarList); }
void TKivDSVariableOptions::DBDeleteClick(TObject*) { DeleteETList(DBVarList); }
void TKivDSVariableOptions::DBSelectUnusedClick(TObject*) { SelectUnused(DBVarList); }
void TKivDSVariableOptions::DBSelectAllClick(TObject*) { SelectAll(DBVarList); }

void TKivDSVariableOptions::PopupPopup(TObject* Sender)
{
    const auto lists = [](TListBox* List, TMenuItem* Delete, TMenuItem* Unused, TMenuItem* All) {
        Delete->SetEnabled(List->SelCount() > 0);
        Unused->SetEnabled(List->Count() > 0);
        All->SetEnabled(List->Count() > 0);
    };
    if (Sender == clistPopup) {
        TKivDSGuide* guide = CurrentGuide();
        clistUnDefine->SetEnabled(DsgOk() && guide && !QorIsAncestor(guide) &&
                                  !DsgList[static_cast<size_t>(DataSourceList->Row())]->CreateVariables &&
                                  clist->SelCount() > 0);
        clistSelectUnused->SetEnabled(clist->Count() > 0);
        clistSelectAll->SetEnabled(clist->Count() > 0);
    } else if (Sender == flistpopup) {
        TKivDSGuide* guide = CurrentGuide();
        flistAdd->SetEnabled(!QorIsAncestor(guide) && flist->SelCount() > 0);
        flistSelectAll->SetEnabled(flist->Count() > 0);
    } else if (Sender == ExprListPopup) {
        lists(ExprVarList, ExprDelete, ExprUnused, ExprSelectAll);
        ExprAddType->SetEnabled(true);
    } else if (Sender == TotalListPopup) {
        lists(TotalVarList, TotalDelete, TotalUnused, TotalSelectAll);
    } else if (Sender == DBListPopup) {
        lists(DBVarList, DBDelete, DBSelectUnused, DBSelectAll);
    } else if (Sender == DSListPopup) {
        TKivPage* page = GetGroupPage();
        TStringList* none = page ? page->NoDsgList() : nullptr;
        RevertDsgItem->SetVisible(true);
        AddDsgItem->SetVisible(none && none->Count() > 0);
        AddDsgItem->Clear();
        for (Integer i = 0; none && i < none->Count(); ++i) {
            auto* item = new TMenuItem(this);
            item->SetCaption(MenuText(none->Strings(i)));
            item->OnClick = [this](TObject* S) { AddDsgItemClick(S); };
            AddDsgItem->Add(item);
        }
    }
}

} // namespace qor
