// The band and group manager's structure edits: adding, deleting, moving and re-hanging bands
// and groups, and the rules that decide which edits are offered.

#include "designer/PAGEMAN.h"

#include "platform/db/DataSource.h"
#include "platform/ui/Application.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVarBase.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>

namespace qor {

namespace {

bool IsExactly(const TKivBand* B, TClass C) { return B && B->ClassType() == C; }
bool IsHeadFoot(const TKivBand* B) { return dynamic_cast<const TKivDataHeadBand*>(B) != nullptr; }

// A band's label list or a band hanging on it.
bool HasContent(const TKivPage* Page, const TKivBand* Band)
{
    if (!Band->Labels().empty())
        return true;
    for (const auto* list : {&Page->SubBandList(), &Page->SubDataBandList(), &Page->DataHFBandList(),
                             &Page->OverLayBandList()})
        for (const TKivBand* b : *list)
            if (b->Band() == Band)
                return true;
    return false;
}

} // namespace

TKivGroup* KivGroupOfBand(const TKivPage* Page, const TKivBand* Band, bool* IsHeader)
{
    if (Page && Band)
        for (TKivGroup* g : Page->GroupList())
            if (g->Header() == Band || g->Footer() == Band) {
                if (IsHeader)
                    *IsHeader = g->Header() == Band;
                return g;
            }
    return nullptr;
}

bool KivValidMove(const TKivPage* Page, const TKivBand* Dragged, const TKivBand* Target)
{
    if (!Dragged || !Target || Dragged == Target || IsExactly(Dragged, TKivBand::StaticClass()))
        return false;
    if (Dragged->Is<TKivOverlayBand>() || Target->Is<TKivOverlayBand>() || IsHeadFoot(Dragged))
        return false;
    if (Dragged->Is<TKivSubBand>() && Target->Is<TKivSubBand>())
        return false;
    if (Page && Target == Page->PageFoot() && !IsExactly(Dragged, TKivSubBand::StaticClass()))
        return false;
    // not onto one of its own descendants (the walk is capped: a hand-edited loop must not hang)
    Integer steps = 0;
    for (const TKivBand* b = Target->Band(); b && steps < 10000; b = b->Band(), ++steps)
        if (b == Dragged)
            return false;
    return true;
}

bool KivIsSameLevel(const TKivPage* Page, const TDataSource* Source, const TKivBand* Band)
{
    if (!Page || !Source || !Band || Page->DataSourceList().empty())
        return false;
    for (const TKivDSGuide* g : Page->DataSourceList())
        if (g->DataSource() == Source)
            return g->UpdateLevel() == Band->UpdateLevel();
    return false;
}

TKivBandMenuState KivBandMenuState(const TKivPage* Page, const TKivBand* Band)
{
    TKivBandMenuState s;
    if (!Band)
        return s;
    const bool onFoot = Page && Band->Band() == Page->PageFoot();
    const bool isFoot = Page && Band == Page->PageFoot();
    if (Band->Is<TKivSubDataBand>()) {
        s.Move = s.AddSubBand = s.AddDataBand = s.AddHeadFoot = s.Delete = true;
        s.Header = s.Footer = true;
        for (const TKivBand* b : Page->DataHFBandList())
            if (b->Band() == Band)
                (b->Is<TKivDataFootBand>() ? s.Footer : s.Header) = false;
    } else if (Band->Is<TKivSubBand>()) {
        s.Move = s.Delete = true;
        s.AddDataBand = !onFoot;
    } else if (IsHeadFoot(Band)) {
        s.AddSubBand = s.AddDataBand = s.Delete = true;
    } else if (Band->Is<TKivOverlayBand>()) {
        s.Move = s.Delete = true;
    } else {
        s.AddSubBand = true;
        s.AddDataBand = !isFoot;
    }
    return s;
}

TKivGroupMenuState KivGroupMenuState(Integer Selected, Integer Count)
{
    TKivGroupMenuState s;
    s.Delete = Selected >= 0;
    s.MoveUp = Selected > 0 && Count >= 2;
    s.MoveDown = Selected >= 0 && Count >= 2 && Selected < Count - 1;
    return s;
}

// ---- Edits -------------------------------------------------------------------------------------

void TKivPageManager::Modified()
{
    if (FPageDesigner)
        FPageDesigner->Modified();
}

TKivLevel* TKivPageManager::NewLevel(const String& Name, bool IsHeader)
{
    auto* level = new TKivLevel(FPage->Owner());
    try {
        level->SetParent(FPage);
        KivAutoSetComponentName(level, Name, false);
        level->SetIsHeader(IsHeader);
    } catch (...) {
        level->SetParent(nullptr);
        Free(level);
        throw;
    }
    return level;
}

void TKivPageManager::Finish(TKivBand* Selected)
{
    FPage->OrderBands();
    FPage->ArrangeBands();
    UpdateOutline();
    if (Selected)
        SelectBand(Selected);
}

void TKivPageManager::SelectBand(TKivBand* Band)
{
    const Integer row = BandList->Items()->IndexOfObject(Band);
    BandList->SetItemIndex(row);
    if (row >= 0)
        ComponentSelect(FPageDesigner, Band);
    grouplist->SetItemIndex(-1);
}

namespace {

// Makes a band of class B on Page named after Text, or refuses with Refusal; the half-made band
// is freed.
template <class B>
B* MakeBand(TKivPage* Page, const String& Text, const char* Refusal)
{
    auto* band = new B(Page->Owner());
    if (!KivAutoSetComponentName(band, Text, false)) {
        Free(band);
        throw Exception(Refusal);
    }
    return band;
}

// Frees Band and its own level after a failed add, and passes the failure on.
void Undo(TKivBand* Band, TKivLevel* Level)
{
    if (Band) {
        Band->SetParent(nullptr);
        Band->SafeDelete();
    }
    if (Level) {
        Level->SetParent(nullptr);
        Free(Level);
    }
}

} // namespace

TKivBand* TKivPageManager::AddSubBand(TKivBand* Target, bool Above)
{
    if (!FPage || !Target)
        return nullptr;
    auto* band = MakeBand<TKivSubBand>(FPage, Target->Name() + "Sub", KivNoBandText);
    try {
        band->SetParent(FPage);
        band->SetAttachedBand(Target);
        band->SetBounds(0, 0, 200, 20);
        band->SetBandName(band->Name());
        band->SetUpdateLevel(Target->UpdateLevel());
        band->SetAbove(Above);
        band->SetOrderDirect(999);
    } catch (...) {
        Undo(band, nullptr);
        throw;
    }
    Finish(band);
    return band;
}

TKivBand* TKivPageManager::AddSubDataBand(TKivBand* Target, Integer Guide)
{
    if (!FPage || !Target)
        return nullptr;
    auto* band = MakeBand<TKivSubDataBand>(FPage, "Data", KivNoBandText);
    TKivLevel* level = nullptr;
    try {
        band->SetParent(FPage);
        band->SetAttachedBand(Target);
        band->SetBounds(0, 0, 200, 20);
        band->SetBandName(band->Name());
        band->SetOrderDirect(999);
        level = NewLevel(band->Name() + "Level", false);
        band->SetUpdateLevel(level);
        const auto& guides = FPage->DataSourceList();
        if (Guide > 0 && Guide <= static_cast<Integer>(guides.size())) {
            TKivDSGuide* g = guides[static_cast<size_t>(Guide - 1)];
            g->SetUpdateLevel(level);
            band->SetDataSource(g->GetDataSource());
        }
    } catch (...) {
        Undo(band, level);
        throw;
    }
    Modified();
    Finish(band);
    return band;
}

TKivBand* TKivPageManager::AddHeadFootBand(TKivBand* Target, bool Header)
{
    if (!FPage || !Target)
        return nullptr;
    const String name = Target->Name() + (Header ? "Header" : "Footer");
    TKivBand* band = Header ? static_cast<TKivBand*>(MakeBand<TKivDataHeadBand>(FPage, name, KivBadBandNameText))
                            : MakeBand<TKivDataFootBand>(FPage, name, KivBadBandNameText);
    TKivLevel* level = nullptr;
    try {
        band->SetParent(FPage);
        static_cast<TKivAttachedBand*>(band)->SetAttachedBand(Target);
        band->SetBounds(0, 0, 200, 20);
        band->SetBandName(band->Name());
        level = NewLevel(band->Name() + "Level", Header);
        band->SetUpdateLevel(level);
    } catch (...) {
        Undo(band, level);
        throw;
    }
    Finish(band);
    return band;
}

TKivBand* TKivPageManager::AddOverlayBand(bool PrintFirst)
{
    if (!FPage)
        return nullptr;
    // a band that cannot be named is not kept half made
    auto* band = MakeBand<TKivOverlayBand>(FPage, "OverlayBand", KivNoBandText);
    TKivLevel* level = nullptr;
    try {
        band->SetParent(FPage);
        band->SetHeight(20);
        band->SetBandName(band->Name());
        level = NewLevel(band->Name() + "Level", false);
        band->SetUpdateLevel(level);
        band->SetFirst(PrintFirst);
        band->SetOrderDirect(999);
    } catch (...) {
        Undo(band, level);
        throw;
    }
    Finish(band);
    return band;
}

TKivGroup* TKivPageManager::AddGroup()
{
    if (!FPage)
        return nullptr;
    auto* group = new TKivGroup(FPage->Owner());
    try {
        KivAutoSetComponentName(group, "Group", false);
        group->SetParent(FPage);
        grouplist->Items()->Add(group->Name());
        FGroupPosList.push_back(group);
        group->AddBands(FPage);
        group->SetLevel(grouplist->Count());
        FPage->OrderBands();
        FPage->ArrangeBands();
    } catch (...) {
        group->SafeDelete();
        UpdateLists();
        throw;
    }
    UpdateOutline();
    grouplist->SetItemIndex(grouplist->Count() - 1);
    ComponentSelect(FPageDesigner, group);
    Modified();
    return group;
}

void TKivPageManager::DeleteGroup(Integer Row)
{
    if (!FPage || Row < 0 || Row >= static_cast<Integer>(FGroupPosList.size()))
        return;
    ComponentSelect(FPageDesigner, FPage);
    TKivGroup* group = FGroupPosList[static_cast<size_t>(Row)];
    if (QorIsAncestor(group)) {
        ShowMessage(KivAncestorText);
        return;
    }
    for (TKivBand* b : {group->Header(), group->Footer()})
        if (b) {
            DeleteFrom(&TKivPage::SubBandList, b);
            DeleteFrom(&TKivPage::SubDataBandList, b);
        }
    group->SetParent(nullptr);
    grouplist->Items()->Delete(Row);
    FGroupPosList.erase(FGroupPosList.begin() + Row);
    group->SafeDelete();
    Integer level = 1;
    for (TKivGroup* g : FGroupPosList)
        g->SetLevel(level++);
    FPage->ArrangeBands();
    FPage->OrderBands();
    Modified();
    UpdateLists();
}

void TKivPageManager::MoveGroup(Integer Row, bool Up)
{
    if (!FPage || Row < 0 || Row >= static_cast<Integer>(FGroupPosList.size()))
        return;
    TKivGroup* g = FGroupPosList[static_cast<size_t>(Row)];
    g->SetLevel(g->Level() + (Up ? -2 : 2));
    FPage->OrderBands();
    FPage->ArrangeBands();
    UpdateLists();
    Modified();
}

void TKivPageManager::FreeBand(TKivBand* Band, bool WithLevel)
{
    if (WithLevel)
        if (TKivLevel* level = Band->UpdateLevel()) {
            Band->SetUpdateLevel(nullptr);
            level->SetParent(nullptr);
            Free(level);
        }
    Band->SetParent(nullptr);
    Band->SafeDelete();
}

void TKivPageManager::DeleteDependants(TKivBand* Band, bool SubData, bool Sub, bool HeadFoot)
{
    if (Sub)
        DeleteFrom(&TKivPage::SubBandList, Band);
    if (SubData)
        DeleteFrom(&TKivPage::SubDataBandList, Band);
    if (HeadFoot)
        DeleteFrom(&TKivPage::DataHFBandList, Band);
}

void TKivPageManager::DeleteFrom(const std::vector<TKivBand*>& (TKivPage::*List)() const, TKivBand* Band)
{
    // the list changes with every removal: look again from its start each time
    for (bool removed = true; removed;) {
        removed = false;
        for (TKivBand* b : (FPage->*List)()) {
            if (b->Band() != Band)
                continue;
            const bool subData = b->Is<TKivSubDataBand>(), headFoot = IsHeadFoot(b);
            DeleteDependants(b, true, subData || headFoot, subData);
            FreeBand(b, subData || headFoot);
            removed = true;
            break;
        }
    }
}

bool TKivPageManager::DeleteBand(TKivBand* Band)
{
    if (!FPage || !Band)
        return false;
    const bool subData = Band->Is<TKivSubDataBand>(), sub = Band->Is<TKivSubBand>(), headFoot = IsHeadFoot(Band),
               overlay = Band->Is<TKivOverlayBand>();
    if (!subData && !sub && !headFoot && !overlay)
        return false;
    if (QorIsAncestor(Band)) {
        ShowMessage(KivAncestorText);
        return false;
    }
    if (HasContent(FPage, Band) &&
        Application()->MessageBox(KivDeleteBandText, "Confirm Delete", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    ComponentSelect(FPageDesigner, FPage);
    if (!overlay)
        DeleteDependants(Band, true, subData || headFoot, subData);
    FreeBand(Band, !sub);
    Modified();
    Finish(nullptr);
    return true;
}

void TKivPageManager::MoveBand(TKivBand* Band, bool Up)
{
    if (!FPage || !Band)
        return;
    auto* sub = dynamic_cast<TKivSubBand*>(Band);
    auto* overlay = dynamic_cast<TKivOverlayBand*>(Band);
    const std::vector<TKivBand*>* list = sub ? &FPage->SubBandList()
                                         : overlay ? &FPage->OverLayBandList()
                                         : Band->Is<TKivSubDataBand>() ? &FPage->SubDataBandList()
                                                                        : nullptr;
    if (!list)
        return;
    auto side = [&](const TKivBand* b) {
        if (auto* s = dynamic_cast<const TKivSubBand*>(b))
            return s->Above();
        if (auto* o = dynamic_cast<const TKivOverlayBand*>(b))
            return o->First();
        return false;
    };
    std::vector<TKivBand*> siblings;
    for (TKivBand* b : *list)
        if (b != Band && b->Band() == Band->Band() && side(b) == side(Band))
            siblings.push_back(b);
    const Integer c = Band->Order();
    Integer order = Up ? c - 1 : c + 1;
    Band->SetOrderDirect(order);
    if (sub || overlay) {
        const bool before = side(Band); // above its target, or printed first
        if (!Up && before && static_cast<Integer>(siblings.size()) < order) {
            sub ? sub->SetAbove(false) : overlay->SetFirst(false);
            Band->SetOrderDirect(order = -1);
        } else if (Up && !before && order < 0) {
            sub ? sub->SetAbove(true) : overlay->SetFirst(true);
            Band->SetOrderDirect(order = 999);
        }
    }
    for (TKivBand* b : siblings)
        if (b->Order() == order)
            b->SetOrderDirect(c);
    FPage->OrderBands();
    FPage->ArrangeBands();
    UpdateLists();
    SelectBand(Band);
    Modified();
}

bool TKivPageManager::DropBand(TKivBand* Dragged, TKivBand* Target)
{
    if (!KivValidMove(FPage, Dragged, Target))
        return false;
    static_cast<TKivAttachedBand*>(Dragged)->SetAttachedBand(Target);
    Dragged->SetOrder(-1);
    if (Dragged->Is<TKivSubBand>())
        Dragged->SetUpdateLevel(Target->UpdateLevel());
    FPage->OrderBands();
    FPage->ArrangeBands();
    UpdateLists();
    Modified();
    return true;
}

} // namespace qor

namespace qor {

// ---- The menus ---------------------------------------------------------------------------------

void TKivPageManager::GroupListPopupPopup(TObject*)
{
    const TKivGroupMenuState s = KivGroupMenuState(GroupIndex(), grouplist->Count());
    GroupDelete->SetEnabled(s.Delete);
    MoveUp->SetEnabled(s.MoveUp);
    MoveDown->SetEnabled(s.MoveDown);
}

void TKivPageManager::BandListPopupPopup(TObject*)
{
    const TKivBandMenuState s = KivBandMenuState(FPage, SelectedBand());
    MoveUp1->SetEnabled(s.Move);
    MoveDown1->SetEnabled(s.Move);
    AddSubBand1->SetEnabled(s.AddSubBand);
    AddDataBand1->SetEnabled(s.AddDataBand);
    AddHeadFoot1->SetEnabled(s.AddHeadFoot);
    DataHeader1->SetEnabled(s.Header);
    DataFooter1->SetEnabled(s.Footer);
    AddOverlay1->SetEnabled(s.AddOverlay);
    Delete1->SetEnabled(s.Delete);
    // the data-source items are made again at each pop-up; the menu item owns and frees them
    AddDataBand1->Clear();
    if (!s.AddDataBand || !FPage)
        return;
    auto add = [&](const String& Caption, Integer Tag) {
        auto* item = new TMenuItem(nullptr);
        item->SetCaption(Caption);
        item->SetTag(Tag);
        item->OnClick = [this](TObject* S) { subdataaddClick(S); };
        AddDataBand1->Add(item);
    };
    add("No DataSource", 0);
    Integer tag = 1;
    for (const TKivDSGuide* g : FPage->DataSourceList()) {
        const TDataSource* d = g->DataSource();
        add(d ? d->Name() : String(), tag++);
    }
}

void TKivPageManager::GroupAddClick(TObject*) { AddGroup(); }

void TKivPageManager::GroupDeleteClick(TObject*) { DeleteGroup(GroupIndex()); }

void TKivPageManager::MoveUpClick(TObject*) { MoveGroup(GroupIndex(), true); }

void TKivPageManager::MoveDownClick(TObject*) { MoveGroup(GroupIndex(), false); }

void TKivPageManager::MoveUp1Click(TObject* Sender)
{
    MoveBand(SelectedBand(), dynamic_cast<TComponent*>(Sender)->Tag() == 0);
}

void TKivPageManager::addbandClick(TObject* Sender) { AddSubBand(SelectedBand(), Sender == Above1); }

void TKivPageManager::subdataaddClick(TObject* Sender)
{
    AddSubDataBand(SelectedBand(), static_cast<Integer>(dynamic_cast<TComponent*>(Sender)->Tag()));
}

void TKivPageManager::addheadfootbandClick(TObject* Sender) { AddHeadFootBand(SelectedBand(), Sender == DataHeader1); }

void TKivPageManager::AddOverLayClick(TObject* Sender) { AddOverlayBand(Sender == PrintFirst1); }

void TKivPageManager::btnDeleteClick(TObject*) { DeleteBand(SelectedBand()); }

} // namespace qor
