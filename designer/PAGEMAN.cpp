#include "designer/PAGEMAN.h"

#include "designer/KivVOpt.h"
#include "designer/QorOView.h"
#include "designer/qordiag.h"

#include "platform/db/DataSource.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivBand.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRep.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorUtil.h"

#include <algorithm>

namespace qor {

QOR_PUBLISH(TKivPageManager)
{
    b.Method("FormShow", &TKivPageManager::FormShow);
    b.Method("GroupListPopupPopup", &TKivPageManager::GroupListPopupPopup);
    b.Method("BandListPopupPopup", &TKivPageManager::BandListPopupPopup);
    b.Method("GroupAddClick", &TKivPageManager::GroupAddClick);
    b.Method("GroupDeleteClick", &TKivPageManager::GroupDeleteClick);
    b.Method("MoveUpClick", &TKivPageManager::MoveUpClick);
    b.Method("MoveDownClick", &TKivPageManager::MoveDownClick);
    b.Method("MoveUp1Click", &TKivPageManager::MoveUp1Click);
    b.Method("addbandClick", &TKivPageManager::addbandClick);
    b.Method("subdataaddClick", &TKivPageManager::subdataaddClick);
    b.Method("addheadfootbandClick", &TKivPageManager::addheadfootbandClick);
    b.Method("AddOverLayClick", &TKivPageManager::AddOverLayClick);
    b.Method("btnDeleteClick", &TKivPageManager::btnDeleteClick);
    b.Method("BandListClick", &TKivPageManager::BandListClick);
    b.Method("grouplistClick", &TKivPageManager::grouplistClick);
    b.Method("BandListDragOver", &TKivPageManager::BandListDragOver);
    b.Method("BandListDragDrop", &TKivPageManager::BandListDragDrop);
}

QOR_MESSAGE(KIV_PM_REFRESH, &TKivPageManager::UpdateForm);
QOR_MESSAGE(KIV_PM_FILLDSLISTS, &TKivPageManager::SetDataListsMsg);
QOR_MESSAGE(KIV_PM_SELECTPAGE, &TKivPageManager::SelectGroupPage);
QOR_MESSAGE(KIV_PM_DATACONTROL, &TKivPageManager::DoDataControl);
QOR_MESSAGE(KIV_PM_VARLIST, &TKivPageManager::DataUpdateVars);
QOR_MESSAGE(KIV_PM_VARCHANGED, &TKivPageManager::VarChanged);
QOR_MESSAGE(KIV_PM_OVERVIEW, &TKivPageManager::RunOverReport);
QOR_MESSAGE(KIV_PM_DIAGNOSTIC, &TKivPageManager::RunDiagReport);

// ---- Helpers on the form designer --------------------------------------------------------------

void ComponentSelect(IDesigner* Designer, TPersistent* Component)
{
    if (Designer)
        Designer->SelectComponent(Component);
}

String QorGetMethodValue(TPersistent* Instance, const String& PropName, IDesigner* Designer)
{
    if (!Instance || !Designer)
        return {};
    for (const TPropInfo* p : Instance->ClassType()->AllProperties())
        if (p->Kind == TPropKind::Method && p->Name == PropName)
            return Designer->GetMethodName(Instance, p);
    return {};
}

void QorRevertToAncestor(TPersistent* Instance, IDesigner* Designer)
{
    if (!Instance || !Designer)
        return;
    for (const TPropInfo* p : Instance->ClassType()->AllProperties())
        Designer->Revert(Instance, p);
}

void KivSetDataLists(IDesigner* Designer, TKivPage* Page)
{
    if (!Page)
        return;
    Page->FullDSList().clear();
    Page->FullDSNames()->Clear();
    if (!Designer)
        return;
    std::vector<String> names;
    Designer->GetComponentNames(TDataSource::StaticClass(), [&](const String& S) { names.push_back(S); });
    for (const String& n : names)
        KivAddDataLists(Designer, Page, n);
}

void KivAddDataLists(IDesigner* Designer, TKivPage* Page, const String& Name)
{
    auto* source = dynamic_cast<TDataSource*>(Designer->GetComponent(Name));
    if (!source)
        return;
    auto& list = Page->FullDSList();
    if (std::find(list.begin(), list.end(), source) != list.end())
        return;
    // a source of a form this one inherits from reaches it through the root itself
    TComponent* root = Designer->GetRoot();
    TComponent* owner = source->Owner();
    if (!QorIsAncestor(source) && Designer->IsComponentLinkable(source) && owner && root &&
        owner->ClassType() != root->ClassType() && root->InheritsFrom(owner->ClassType()))
        return;
    Page->FullDSNames()->Add(Name);
    list.push_back(source);
}

// ---- The form ----------------------------------------------------------------------------------

TKivPageManager::TKivPageManager(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/pageman.qfm");
    BandPanel = FormPart<TPanel>(*this, "BandPanel");
    dslabel = FormPart<TLabel>(*this, "dslabel");
    BandList = FormPart<TListBox>(*this, "BandList");
    GroupPanel = FormPart<TPanel>(*this, "GroupPanel");
    GroupLabel = FormPart<TLabel>(*this, "GroupLabel");
    VariableLabel = FormPart<TLabel>(*this, "VariableLabel");
    EventLabel = FormPart<TLabel>(*this, "EventLabel");
    grouplist = FormPart<TListBox>(*this, "grouplist");
    GroupListPopup = FormPart<TPopupMenu>(*this, "GroupListPopup");
    BandListPopup = FormPart<TPopupMenu>(*this, "BandListPopup");
    GroupDelete = FormPart<TMenuItem>(*this, "GroupDelete");
    MoveUp = FormPart<TMenuItem>(*this, "MoveUp");
    MoveDown = FormPart<TMenuItem>(*this, "MoveDown");
    MoveUp1 = FormPart<TMenuItem>(*this, "MoveUp1");
    MoveDown1 = FormPart<TMenuItem>(*this, "MoveDown1");
    AddSubBand1 = FormPart<TMenuItem>(*this, "AddSubBand1");
    AddDataBand1 = FormPart<TMenuItem>(*this, "AddDataBand1");
    AddHeadFoot1 = FormPart<TMenuItem>(*this, "AddHeadFoot1");
    DataHeader1 = FormPart<TMenuItem>(*this, "DataHeader1");
    DataFooter1 = FormPart<TMenuItem>(*this, "DataFooter1");
    AddOverlay1 = FormPart<TMenuItem>(*this, "AddOverlay1");
    Above1 = FormPart<TMenuItem>(*this, "Above1");
    Below1 = FormPart<TMenuItem>(*this, "Below1");
    PrintFirst1 = FormPart<TMenuItem>(*this, "PrintFirst1");
    Delete1 = FormPart<TMenuItem>(*this, "Delete1");
    BandList->OnDrawItem = [this](TWinControl* C, Integer I, TRect R, TOwnerDrawState S) { BandListDrawItem(C, I, R, S); };
    grouplist->OnDrawItem = [this](TWinControl* C, Integer I, TRect R, TOwnerDrawState S) {
        grouplistDrawItem(C, I, R, S);
    };
}

TKivPageManager::~TKivPageManager() = default;

void TKivPageManager::FormShow(TObject*) { UpdateLists(); }

void TKivPageManager::UpdateLists()
{
    if (InUpdateLists)
        return;
    InUpdateLists = true;
    struct TClear {
        bool& Flag;
        ~TClear() { Flag = false; }
    } clear{InUpdateLists};
    grouplist->Items()->Clear();
    FGroupPosList.clear();
    if (auto* gp = dynamic_cast<TKivGrouppage*>(FPage)) {
        for (TKivGroup* g : gp->GroupList()) {
            grouplist->Items()->Add(g->Name());
            FGroupPosList.push_back(g);
        }
    }
    if (FPage)
        SetCaption("Band Manager for " + FPage->Name());
    FMismatchShown = false;
    UpdateOutline();
}

void TKivPageManager::UpdateOutline()
{
    if (InUpdateOutline)
        return;
    InUpdateOutline = true;
    struct TClear {
        bool& Flag;
        ~TClear() { Flag = false; }
    } clear{InUpdateOutline};
    BandList->Items()->Clear();
    if (FPage)
        for (TKivBand* b : FPage->BandList())
            // main bands read from a file may have no title: their name stands in
            BandList->Items()->AddObject(b->BandName().empty() ? b->Name() : b->BandName(), b);
}

Integer TKivPageManager::GroupIndex() const { return grouplist->ItemIndex(); }

Integer TKivPageManager::BandIndex() const { return BandList->ItemIndex(); }

TKivBand* TKivPageManager::SelectedBand() const
{
    const Integer i = BandIndex();
    return i >= 0 && i < BandList->Count() ? static_cast<TKivBand*>(BandList->Items()->Objects(i)) : nullptr;
}

void TKivPageManager::grouplistClick(TObject*)
{
    const Integer i = GroupIndex();
    if (i >= 0 && i < static_cast<Integer>(FGroupPosList.size()))
        ComponentSelect(FPageDesigner, FGroupPosList[static_cast<size_t>(i)]);
}

void TKivPageManager::BandListClick(TObject*)
{
    if (TKivBand* b = SelectedBand())
        ComponentSelect(FPageDesigner, b);
    grouplist->SetItemIndex(-1);
}

namespace {

TKivBand* BandAt(TListBox* List, Integer X, Integer Y)
{
    const Integer i = List->ItemAtPos(TPoint(X, Y), true);
    return i >= 0 ? static_cast<TKivBand*>(List->Items()->Objects(i)) : nullptr;
}

} // namespace

void TKivPageManager::BandListDragOver(TObject*, TObject* Source, Integer X, Integer Y, TDragState, bool& Accept)
{
    // only rows of this list are dragged here
    Accept = Source == BandList;
    if (Accept && SelectedBand() && BandAt(BandList, X, Y))
        Accept = KivValidMove(FPage, SelectedBand(), BandAt(BandList, X, Y));
}

void TKivPageManager::BandListDragDrop(TObject*, TObject* Source, Integer X, Integer Y)
{
    if (Source == BandList)
        DropBand(SelectedBand(), BandAt(BandList, X, Y));
}

void TKivPageManager::UpdateForm(TMessage&)
{
    UpdateLists();
    RefreshVars();
}

namespace {

// Sets a guard for a scope; it is cleared again however the scope is left.
struct TGuard {
    explicit TGuard(bool& Flag) : FFlag(Flag) { FFlag = true; }
    ~TGuard() { FFlag = false; }
    TGuard(const TGuard&) = delete;
    TGuard& operator=(const TGuard&) = delete;
    bool& FFlag;
};

} // namespace

TKivDSVariableOptions* TKivPageManager::MakeDataControl()
{
    if (!FDataControl) {
        FDataControl = std::make_unique<TKivDSVariableOptions>(nullptr);
        FDataControl->PageManager = this;
    }
    return FDataControl.get();
}

void TKivPageManager::DoDataControl(TMessage&)
{
    if (InDataControl)
        return;
    TGuard guard(InDataControl);
    if (FPage)
        FPage->UpdateVarList();
    if (MakeDataControl()->UpdateVars())
        FDataControl->Show();
}

void TKivPageManager::DataUpdateVars(TMessage&)
{
    if (InDataControl)
        return;
    TGuard guard(InDataControl);
    MakeDataControl()->UpdateVars();
}

void TKivPageManager::VarChanged(TMessage&)
{
    if (FDataControl)
        FDataControl->ObjectChanged();
}

void TKivPageManager::RefreshVars()
{
    if (FDataControl)
        PostMessage(FDataControl->Handle(), KIV_VO_REFRESH, 0, 0);
}

void TKivPageManager::SetDataListsMsg(TMessage&)
{
    if (!FPageDesigner || !FPage)
        return;
    FPageDesigner->GetComponentNames(TDataSource::StaticClass(),
                                     [&](const String& S) { KivAddDataLists(FPageDesigner, FPage, S); });
}

void TKivPageManager::SelectGroupPage(TMessage&) { ComponentSelect(FPageDesigner, FPage); }

void TKivPageManager::RunOverReport(TMessage&) { QorRunOverview(FPage); }

void TKivPageManager::RunDiagReport(TMessage&)
{
    if (FPage)
        QorRunDiagnostic(dynamic_cast<TKivReport*>(FPage->Parent()), FPageDesigner);
}

} // namespace qor
