// The page's registration lists, which follow what is placed on the page and taken off it, and
// the order its bands print in with their attached kinds.

#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivPageRun.h"
#include "runtime/engine/KivReference.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivVar.h"

#include <algorithm>

namespace qor {
template <class T>
void TKivPage::AddTo(std::vector<T*>& List, T* Item)
{
    if (Item && std::find(List.begin(), List.end(), Item) == List.end())
        List.push_back(Item);
}

template <class T>
void TKivPage::RemoveFrom(std::vector<T*>& List, T* Item)
{
    // Listed once (AddTo); from the back, as a form's components are freed last first.
    const auto It = std::find(List.rbegin(), List.rend(), Item);
    if (It != List.rend())
        List.erase(std::next(It).base());
}

// ---- Registration --------------------------------------------------------------------------------

bool TKivPage::IsGroupPage() const { return TakesGroups(); }
bool TKivPage::PageDestroying() const { return ComponentState().Contains(csDestroying); }

void TKivPage::InsertLevel(TKivLevel* Level) { AddTo(FLevels, Level); }
void TKivPage::RemoveLevel(TKivLevel* Level)
{
    RemoveFrom(FLevels, Level);
    RemoveFrom(FRun->UpdateBandLevelList, Level);
}

void TKivPage::InsertVar(TKivVar* Var)
{
    AddTo(FVars, Var);
    if (auto* T = dynamic_cast<TKivTotalvar*>(Var))
        AddTo(FTotalVars, T);
}

void TKivPage::RemoveVar(TKivVar* Var)
{
    RemoveFrom(FVars, Var);
    FTotalVars.erase(std::remove_if(FTotalVars.begin(), FTotalVars.end(),
                                    [Var](TKivTotalvar* T) { return static_cast<TKivVar*>(T) == Var; }),
                     FTotalVars.end());
}

void TKivPage::InsertLabel(TKivLabel* Label) { AddTo(FLabels, Label); }
void TKivPage::RemoveLabel(TKivLabel* Label) { RemoveFrom(FLabels, Label); }
void TKivPage::InsertGroup(TKivGroup* Group) { AddTo(FGroups, Group); }
void TKivPage::RemoveGroup(TKivGroup* Group) { RemoveFrom(FGroups, Group); }
void TKivPage::InsertSubBand(TKivBand* Band) { AddTo(FSubBands, Band); }
void TKivPage::RemoveSubBand(TKivBand* Band) { RemoveFrom(FSubBands, Band); }
void TKivPage::InsertOverLayBand(TKivBand* Band) { AddTo(FOverLayBands, Band); }
void TKivPage::RemoveOverLayBand(TKivBand* Band)
{
    RemoveFrom(FOverLayBands, Band);
    ForgetOverlay(Band);
}

void TKivPage::ForgetOverlay(TKivBand* Band)
{
    if (FRun->BandLists)
        RemoveFrom(FRun->BandLists->OverLayList, Band);
}
void TKivPage::InsertSubDataBand(TKivBand* Band) { AddTo(FSubDataBands, Band); }
void TKivPage::RemoveSubDataBand(TKivBand* Band) { RemoveFrom(FSubDataBands, Band); }
void TKivPage::InsertDataHFBand(TKivBand* Band) { AddTo(FDataHFBands, Band); }
void TKivPage::RemoveDataHFBand(TKivBand* Band) { RemoveFrom(FDataHFBands, Band); }
void TKivPage::InsertDataSourceGuide(TKivDSGuide* Guide) { AddTo(FDataSourceList, Guide); }
void TKivPage::RemoveDataSourceGuide(TKivDSGuide* Guide) { RemoveFrom(FDataSourceList, Guide); }

TControl* TKivPage::Bands(Integer Index) const { return FBands.at(static_cast<std::size_t>(Index)); }

TKivLevel* TKivPage::DetailLevel() const { return FDetail ? FDetail->UpdateLevel() : nullptr; }
TKivLevel* TKivPage::HeadLevel() const { return FHead ? FHead->UpdateLevel() : nullptr; }
TKivLevel* TKivPage::PageHeadLevel() const { return FPageHead ? FPageHead->UpdateLevel() : nullptr; }

void TKivPage::Redraw()
{
    if (!ComponentState().Contains(csDesigning))
        return;
    Invalidate();
    for (TKivBand* B : FBands)
        B->Invalidate();
}

void TKivPage::RulerXY(Integer X, Integer Y)
{
    if (TKivRptDsgn* D = FReport ? FReport->RepDesign() : nullptr)
        D->RulerXY(X, Y);
}

void TKivPage::SetMainBand(TKivBand*& Field, TKivBand* Value) { KivSetReference(this, Field, Value); }

void TKivPage::SetDataSource(TDataSource* Value) { KivSetReference(this, FDataSource, Value); }

TDataSet* TKivPage::DataSet() const { return FDataSource ? FDataSource->DataSet() : FDataSet; }

void TKivPage::SetDataSet(TDataSet* Value) { KivSetReference(this, FDataSet, Value); }

// ---- Band order ----------------------------------------------------------------------------------

void TKivPage::OrderGroups()
{
    std::vector<TKivGroup*> Rest = FGroups, Ordered;
    while (!Rest.empty()) {
        auto Min = Rest.begin();
        for (auto It = Rest.begin(); It != Rest.end(); ++It)
            if ((*It)->Level() < (*Min)->Level())
                Min = It;
        (*Min)->SetLevelDirect(static_cast<Integer>(Ordered.size()));
        Ordered.push_back(*Min);
        Rest.erase(Min);
    }
    FGroups = Ordered;
}

namespace {

// Takes from Candidates, repeatedly, the one with the smallest Order (LaterWins: on a tie the later
// one), renumbering Order 0, 1, 2...
std::vector<TKivBand*> ByOrder(std::vector<TKivBand*> Candidates, bool LaterWins)
{
    std::vector<TKivBand*> Out;
    while (!Candidates.empty()) {
        auto Min = Candidates.begin();
        for (auto It = Candidates.begin(); It != Candidates.end(); ++It)
            if ((*It)->Order() < (*Min)->Order() || (LaterWins && (*It)->Order() == (*Min)->Order()))
                Min = It;
        (*Min)->SetOrderDirect(static_cast<Integer>(Out.size()));
        Out.push_back(*Min);
        Candidates.erase(Min);
    }
    return Out;
}

template <class Pred>
std::vector<TKivBand*> Attached(const std::vector<TKivBand*>& List, TKivBand* Band, Pred&& P)
{
    std::vector<TKivBand*> Out;
    for (TKivBand* B : List)
        if (B->Band() == Band && P(B))
            Out.push_back(B);
    return Out;
}

bool Any(TKivBand*) { return true; }

} // namespace

void TKivPage::AddSubBand(std::vector<TKivBand*>& List, TKivBand* Band)
{
    const bool SubData = Band->Kind() == bkSubData;
    auto IsHead = [](TKivBand* B) { return B->Kind() != bkDataFoot; };
    auto IsFoot = [](TKivBand* B) { return B->Kind() == bkDataFoot; };
    if (SubData)
        for (TKivBand* H : Attached(FDataHFBands, Band, IsHead))
            AddSubBand(List, H);
    auto IsAbove = [](TKivBand* B) { return B->Kind() == bkSub && static_cast<TKivSubBand*>(B)->Above(); };
    auto IsBelow = [&IsAbove](TKivBand* B) { return !IsAbove(B); };
    for (TKivBand* S : ByOrder(Attached(FSubBands, Band, IsAbove), true))
        AddBand(List, S);
    AddBand(List, Band);
    for (TKivBand* S : ByOrder(Attached(FSubBands, Band, IsBelow), true))
        AddBand(List, S);
    if (SubData)
        for (TKivBand* F : Attached(FDataHFBands, Band, IsFoot))
            AddSubBand(List, F);
}

void TKivPage::AddBand(std::vector<TKivBand*>& List, TKivBand* Band)
{
    if (std::find(List.begin(), List.end(), Band) != List.end())
        return; // an attachment that loops back prints once
    List.push_back(Band);
    for (TKivBand* S : ByOrder(Attached(FSubDataBands, Band, Any), false))
        AddSubBand(List, S);
}

std::vector<TKivBand*> TKivPage::MainBands() const
{
    std::vector<TKivBand*> Main{FHead, FPageHead};
    for (TKivGroup* G : FGroups)
        Main.push_back(G->Header());
    Main.push_back(FDetail);
    for (auto It = FGroups.rbegin(); It != FGroups.rend(); ++It)
        Main.push_back((*It)->Footer());
    Main.push_back(FPageFoot);
    Main.push_back(FFoot);
    Main.erase(std::remove(Main.begin(), Main.end(), nullptr), Main.end());
    return Main;
}

void TKivPage::OrderBands()
{
    const TComponentState& S = ComponentState();
    if (S.Contains(csLoading) || S.Contains(csReading) || FPageState.Contains(psInsertBand) || !FHead || !FPageHead ||
        !FDetail || !FPageFoot || !FFoot)
        return;
    OrderGroups();
    std::vector<TKivBand*> List;
    for (TKivBand* B : MainBands())
        AddSubBand(List, B);
    auto IsFirst = [](TKivBand* B) { return static_cast<TKivOverlayBand*>(B)->First(); };
    auto NotFirst = [](TKivBand* B) { return !static_cast<TKivOverlayBand*>(B)->First(); };
    for (bool First : {true, false}) {
        std::vector<TKivBand*> Kind;
        for (TKivBand* O : FOverLayBands)
            if (First ? IsFirst(O) : NotFirst(O))
                Kind.push_back(O);
        for (TKivBand* O : ByOrder(Kind, true))
            AddBand(List, O);
    }
    // Bands attached to nothing the page prints stay in the list after the printed ones.
    for (TKivBand* B : FBands)
        if (std::find(List.begin(), List.end(), B) == List.end())
            List.push_back(B);
    FBands = List;
}

void TKivPage::MakeBandList(TKivBand* Band)
{
    std::vector<std::vector<TKivBand*>>& Lists = FRun->BandLists->Lists;
    Band->SetListPos(static_cast<Integer>(Lists.size()));
    Lists.emplace_back();
    std::vector<TKivBand*> Own;
    for (TKivBand* B : FBands)
        if (B == Band || (B->Band() == Band && B->Kind() != bkMain && B->Kind() != bkOverlay))
            Own.push_back(B);
    Lists[static_cast<std::size_t>(Band->ListPos())] = Own;
    for (TKivBand* B : Own)
        if (B != Band)
            MakeBandList(B);
}

void TKivPage::MakeList()
{
    TKivBandLists& L = *FRun->BandLists;
    L.MainList = MainBands();
    for (TKivBand* B : L.MainList)
        MakeBandList(B);
    L.OverLayList.clear();
    for (TKivBand* B : FBands)
        if (B->Kind() == bkOverlay) {
            L.OverLayList.push_back(B);
            MakeBandList(B);
        }
}

const std::vector<TKivBand*>& TKivPage::ListOf(TKivBand* Band) const
{
    static const std::vector<TKivBand*> None;
    const auto Pos = static_cast<std::size_t>(Band->ListPos());
    const TKivBandLists* Built = FRun->BandLists.get();
    if (!Built || Pos >= Built->Lists.size())
        return None;
    const std::vector<TKivBand*>& List = Built->Lists[Pos];
    if (std::find(List.begin(), List.end(), Band) == List.end())
        return None; // a band the run did not list (placed after the run started)
    return List;
}

} // namespace qor
