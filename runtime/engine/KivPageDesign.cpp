// The page in the form designer: its main bands, the caption strip under each band, the layout of
// bands and strips, the automatic variables and data-source guides kept in step with the form, and
// what the page tells the band and group manager and the form's designer.

#include "platform/db/DataSource.h"
#include "platform/graphics/Canvas.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageQueue.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivLabels.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivText.h"
#include "runtime/engine/KivTotalLabel.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVar.h"
#include "runtime/engine/QorRtfC.h"

#include <algorithm>

namespace qor {

QOR_MESSAGE(KIV_UPDATEVARLIST, &TKivPage::GPUpdateVarList);
QOR_MESSAGE(KIV_ADDBANDS, &TKivPage::KIVAddBands);
QOR_MESSAGE(WM_SIZE, &TKivPage::WMSize);
QOR_MESSAGE(WM_HSCROLL, &TKivPage::WMHScroll);
QOR_MESSAGE(WM_VSCROLL, &TKivPage::WMVScroll);

namespace {

constexpr TColor Black = 0x000000;
constexpr Integer StripHeight = 15;
constexpr Integer CheckWidth = 75;

void SetSmallArial(TFont* Font)
{
    Font->SetName("Arial");
    Font->SetSize(7);
}

TCheckBox* NewCheck(TWinControl* Strip, const char* Caption, Integer Left)
{
    auto* Check = Create<TCheckBox>(nullptr);
    Check->SetParent(Strip);
    Check->SetBounds(Left, 0, CheckWidth, StripHeight - 1);
    Check->SetCaption(Caption);
    SetSmallArial(Check->Font());
    return Check;
}

} // namespace

// ---- Caption strips ------------------------------------------------------------------------------

TKivBandHead::TKivBandHead() : TPanel(nullptr)
{
    SetParentColor(false); // the strip paints its own face, not the page's white
    SetAlign(alNone);
    SetCaption(" ");
    SetHeight(StripHeight);
    SetBevelOuter(bvNone);
    const Integer Inner = StripHeight - 1;
    FArrow = Create<TPaintBox>(nullptr);
    FArrow->SetParent(this);
    FArrow->SetBounds(25, 0, Inner, Inner);
    Fnamelabel = Create<TLabel>(nullptr);
    Fnamelabel->SetParent(this);
    Fnamelabel->SetAutoSize(false);
    Fnamelabel->SetBounds(50, 0, 100, Inner);
    SetSmallArial(Fnamelabel->Font());
    Fnamelabel->SetCaption("Band Label");
    Fnamelabel->SetTransparent(true);
    Fvisiblecheck = NewCheck(this, "Visible", 175);
    FNewPageCheck = NewCheck(this, "New Page", 275);
    FNewPageRepeatCheck = NewCheck(this, "Repeat", 375);
    FStretchCheck = NewCheck(this, "Stretch", 475);
}

QOR_PUBLISH(TKivBandHead) { (void)b; }

bool TKivPage::LoadingOrReading() const
{
    const TComponentState& S = ComponentState();
    return S.Contains(csLoading) || S.Contains(csReading);
}

void TKivPage::InsertBand(TKivBand* Band)
{
    if (!Band || FPageState.Contains(psInsertBand))
        return;
    FPageState += psInsertBand;
    try {
        const bool New = FBandSet.insert(Band).second;
        if (New)
            FBands.push_back(Band);
        // A page made in the designer keeps a strip for every band, whatever comes later.
        if (New && FHasBandHeads)
            MakeBandHead(Band);
    } catch (...) {
        FPageState -= psInsertBand;
        throw;
    }
    FPageState -= psInsertBand;
}

void TKivPage::RemoveBand(TKivBand* Band)
{
    // From the back: a form's bands are freed last first.
    const auto Back = std::find(FBands.rbegin(), FBands.rend(), Band);
    if (Back != FBands.rend()) {
        const auto It = std::next(Back).base();
        const auto Index = static_cast<std::size_t>(It - FBands.begin());
        FBands.erase(It);
        FBandSet.erase(Band);
        if (!PageDestroying() && Index < FBandHeads.size()) {
            TKivBandHead* Strip = FBandHeads[Index];
            FBandHeads.erase(FBandHeads.begin() + static_cast<std::ptrdiff_t>(Index));
            Strip->SetParent(nullptr);
            Free(Strip);
        }
    }
    ForgetOverlay(Band);
}

void TKivPage::MakeBandHead(TKivBand* Band)
{
    auto* Strip = Create<TKivBandHead>();
    Strip->SetBounds(Band->Left(), Band->Top() + Band->Height(), Band->Width(), StripHeight);
    Strip->SetParent(this);
    Strip->Arrow()->OnPaint = [this](TObject* Sender) { PaintArrow(Sender); };
    Strip->VisibleCheck()->OnClick = [this](TObject* Sender) { FlipVisible(Sender); };
    Strip->NewPageCheck()->OnClick = [this](TObject* Sender) { FlipNewPage(Sender); };
    Strip->NewPageRepeatCheck()->OnClick = [this](TObject* Sender) { FlipNewPageRepeat(Sender); };
    Strip->StretchCheck()->OnClick = [this](TObject* Sender) { FlipStretch(Sender); };
    FBandHeads.push_back(Strip);
    SyncBandHead(FBandHeads.size() - 1);
}

void TKivPage::SetBandLabels(TKivBand* Band, TKivBandHead* Strip)
{
    bool NewPage = true, Repeat = true, Stretch = true;
    if (Band == FPageHead)
        NewPage = Repeat = false;
    else if (Band == FHead)
        NewPage = false;
    else if (Band == FPageFoot || Band->Kind() == bkOverlay)
        NewPage = Repeat = Stretch = false;
    else if (Band->Kind() == bkSubData)
        Repeat = false;
    Strip->VisibleCheck()->SetVisible(true);
    Strip->NewPageCheck()->SetVisible(NewPage);
    Strip->NewPageRepeatCheck()->SetVisible(Repeat);
    Strip->StretchCheck()->SetVisible(Stretch);
}

// Strips stand in the page's band order: after the bands are ordered again a strip may stand under
// another band than the one it was made for, so each shows whatever band is at its place.
void TKivPage::SyncBandHead(std::size_t Index)
{
    if (Index >= FBandHeads.size() || Index >= FBands.size())
        return;
    TKivBand* Band = FBands[Index];
    TKivBandHead* Strip = FBandHeads[Index];
    Strip->NameLabel()->SetCaption(Band->BandName());
    Strip->VisibleCheck()->SetChecked(Band->PrintVisible());
    Strip->NewPageCheck()->SetChecked(Band->NewPage());
    Strip->NewPageRepeatCheck()->SetChecked(Band->NewPageRepeat());
    Strip->StretchCheck()->SetChecked(Band->Stretch());
    SetBandLabels(Band, Strip);
}

void TKivPage::SyncBandHeads()
{
    for (std::size_t I = 0; I < FBandHeads.size(); ++I)
        SyncBandHead(I);
}

void TKivPage::BandChanged(TKivBand* Band)
{
    if (!Designing() || LoadingOrReading())
        return;
    const auto It = std::find(FBands.begin(), FBands.end(), Band);
    if (It != FBands.end())
        SyncBandHead(static_cast<std::size_t>(It - FBands.begin()));
}

void TKivPage::PaintArrow(TObject* Sender)
{
    auto* Box = dynamic_cast<TPaintBox*>(Sender);
    if (!Box)
        return;
    TCanvas* C = Box->Canvas();
    C->Pen()->SetColor(Black);
    C->Pen()->SetWidth(1);
    C->Pen()->SetStyle(psSolid);
    C->Brush()->SetColor(Black);
    C->Brush()->SetStyle(bsSolid);
    const Integer W = Box->Width(), H = Box->Height();
    const TPoint Points[] = {TPoint(1, H - 1), TPoint(W / 2, 1), TPoint(W - 1, H - 1)};
    C->Polygon(Points);
}

TKivBand* TKivPage::BandOfCheck(TObject* CheckBox) const
{
    auto* Check = dynamic_cast<TControl*>(CheckBox);
    if (!Check)
        return nullptr;
    const auto It = std::find(FBandHeads.begin(), FBandHeads.end(), Check->Parent());
    const auto Index = static_cast<std::size_t>(It - FBandHeads.begin());
    return It != FBandHeads.end() && Index < FBands.size() ? FBands[Index] : nullptr;
}

TKivBand* TKivPage::Flip(TObject* Sender, bool (TKivBand::*Get)() const, void (TKivBand::*Set)(bool))
{
    TKivBand* Band = BandOfCheck(Sender);
    auto* Check = dynamic_cast<TCheckBox*>(Sender);
    if (Band && Check && (Band->*Get)() != Check->Checked()) {
        (Band->*Set)(Check->Checked());
        DesignerModified();
    }
    return Band;
}

void TKivPage::FlipVisible(TObject* Sender) { Flip(Sender, &TKivBand::PrintVisible, &TKivBand::SetPrintVisible); }
void TKivPage::FlipNewPage(TObject* Sender) { Flip(Sender, &TKivBand::NewPage, &TKivBand::SetNewPage); }
void TKivPage::FlipStretch(TObject* Sender) { Flip(Sender, &TKivBand::Stretch, &TKivBand::SetStretch); }

void TKivPage::FlipNewPageRepeat(TObject* Sender)
{
    // A band may refuse the flag (a sub-data band does): the box shows what the band has.
    if (TKivBand* Band = Flip(Sender, &TKivBand::NewPageRepeat, &TKivBand::SetNewPageRepeat))
        BandChanged(Band);
}

void TKivPage::DesignerModified()
{
    for (TComponent* C = Owner(); C; C = C->Owner())
        if (auto* Form = dynamic_cast<TCustomForm*>(C)) {
            if (TFormDesigner* D = Form->Designer())
                D->Modified();
            return;
        }
}

// ---- Main bands ----------------------------------------------------------------------------------

void TKivPage::KIVAddBands(TMessage&)
{
    if (!Designing() || LoadingOrReading() || !FBands.empty())
        return;
    Application()->ProcessMessages();
    // Another request may have been handled while the queue was pumped.
    if (FBands.empty() && !PageDestroying())
        AddMainBands();
}

void TKivPage::AddMainBands()
{
    struct TMainBand {
        const char* BandName;
        const char* Name;
        Integer Height;
        bool Visible;
        TKivBand* TKivPage::*Field;
    };
    static const TMainBand Main[] = {
        {"Report Header", "ReportHeaderBand", 5, false, &TKivPage::FHead},
        {"Page Header", "PageHeaderBand", 20, true, &TKivPage::FPageHead},
        {"Detail", "DetailBand", 20, true, &TKivPage::FDetail},
        {"Page Footer", "PageFooterBand", 20, true, &TKivPage::FPageFoot},
        {"Report Footer", "ReportFooterBand", 20, true, &TKivPage::FFoot},
    };
    Integer Top = 20;
    for (const TMainBand& M : Main) {
        auto* Band = Create<TKivBand>(Owner());
        Band->SetParent(this);
        KivAutoSetComponentName(Band, M.Name, false);
        Band->SetBandName(M.BandName);
        Band->SetPrintVisible(M.Visible);
        Band->SetCaption(" ");
        auto* Level = Create<TKivLevel>(Band->Owner());
        Level->SetParent(this);
        KivAutoSetComponentName(Level, Band->Name() + "level", false);
        Band->SetUpdateLevel(Level);
        SetMainBand(this->*M.Field, Band);
        Band->SetBounds(0, Top, Width() - 3, M.Height);
        Top = Band->Top() + Band->Height() + StripHeight;
    }
    SyncBandHeads();
}

// ---- Layout --------------------------------------------------------------------------------------

void TKivPage::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    (void)ALeft, (void)ATop;
    if (LoadingOrReading())
        return;
    if (TWinControl* P = Parent())
        TScrollBox::SetBounds(35, 55, P->Width() - 55, P->Height() - 75);
    else
        TScrollBox::SetBounds(35, 55, AWidth, AHeight);
}

void TKivPage::ArrangeBands()
{
    if (!Designing() || !FHasBandHeads || FPageState.Contains(psArrangeBands) || FPageState.Contains(psInsertBand) ||
        LoadingOrReading() || FBands.size() <= 4)
        return;
    FPageState += psArrangeBands;
    try {
        const Integer HPos = HorzScrollBar()->Position();
        const Integer Printable = PageWidth();
        const Integer W = Printable < HPos + Width() ? HPos + Width() + 50 : Printable + 50;
        Integer Y = -VertScrollBar()->Position();
        Integer Bottom = Y;
        for (std::size_t I = 0; I < FBands.size(); ++I) {
            TKivBand* Band = FBands[I];
            Band->SetBounds(-HPos, Y, W, Band->Height());
            Y += Band->Height();
            if (I < FBandHeads.size()) {
                TKivBandHead* Strip = FBandHeads[I];
                SyncBandHead(I);
                Strip->SetBounds(-HPos, Y, W, Strip->Height());
                Y += Strip->Height();
            }
            Bottom = Y;
        }
        if (Bottom > Height() - 10)
            SetHeight(Bottom + 10);
    } catch (...) {
        FPageState -= psArrangeBands;
        throw;
    }
    FPageState -= psArrangeBands;
}

void TKivPage::PageSetupChanged()
{
    RepositionReport();
    ArrangeBands();
    Invalidate();
    if (TKivRptDsgn* D = FReport ? FReport->RepDesign() : nullptr)
        D->RulerInvalid();
    Redraw();
}

void TKivPage::RepositionReport()
{
    if (FReport)
        FReport->PositionButtons();
}

void TKivPage::WMSize(TMessage& M)
{
    InheritedMessage<TKivPage>(M);
    ArrangeBands();
}

void TKivPage::WMHScroll(TMessage& M)
{
    InheritedMessage<TKivPage>(M);
    RepositionReport();
    ArrangeBands();
}

void TKivPage::WMVScroll(TMessage& M)
{
    InheritedMessage<TKivPage>(M);
    RepositionReport();
}

void TKivPage::Loaded()
{
    TScrollBox::Loaded();
    if (!Designing()) {
        KivFontToPPI(this, GetPPI());
        return;
    }
    SetBounds(Left(), Top(), Width(), Height());
    OrderBands();
    ArrangeBands();
    if (TKivRptDsgn* D = FReport ? FReport->RepDesign() : nullptr)
        D->RulerUpdate();
    SyncBandHeads();
}

void TKivPage::Run()
{
    for (TKivLabel* L : std::vector<TKivLabel*>(FLabels))
        if (L->Parent() == this)
            L->Print(this, Height());
}

// ---- Variable and data-source lists --------------------------------------------------------------

void TKivPage::PostUpdateVarlist()
{
    if (Designing() && !ComponentState().Contains(csLoading))
        PostMessage(Handle(), KIV_UPDATEVARLIST);
}

void TKivPage::GPUpdateVarList(TMessage&)
{
    if (!ComponentState().Contains(csLoading) && Designing() && !PageDestroying())
        UpdateVarList();
}

void TKivPage::UpdatePageManager()
{
    if (Designing() && !ComponentState().Contains(csLoading) && !PageDestroying() && FPageManager)
        PostMessage(FPageManager->Handle(), KIV_PM_REFRESH);
}

void TKivPage::VarChanged()
{
    if (!PageDestroying() && FPageManager)
        SendMessage(FPageManager->Handle(), KIV_PM_VARCHANGED);
}

void TKivPage::SetPageManager(TCustomForm* Value)
{
    if (Value != FPageManager.get())
        FPageManager.reset(Value);
}

namespace {

bool Inherited(const TComponent* C) { return C->ComponentState().Contains(csAncestor); }

bool HasVarOf(const std::vector<TKivVar*>& Vars, TKivVarId Id)
{
    return std::any_of(Vars.begin(), Vars.end(), [Id](TKivVar* V) { return V->Id() == Id; });
}

} // namespace

void TKivPage::UpdateVarList()
{
    if (FPageState.Contains(psUpdateVarList) || FInUpdateDataLists)
        return;
    FPageState += psUpdateVarList;
    try {
        if (!HasVarOf(FVars, vidDateTimeVar)) {
            auto* V = Create<TKivDateTimeVar>(Owner());
            KivAutoSetComponentName(V, "svarDateTime", false);
            V->SetParent(this);
            V->SetAutoVar(true);
            // The level it takes when read back: the design is the same before and after saving.
            V->SetUpdateLevel(HeadLevel());
        }
        if (!HasVarOf(FVars, vidPageVar)) {
            auto* V = Create<TKivPageVar>(Owner());
            KivAutoSetComponentName(V, "svarPage", false);
            V->SetParent(this);
            V->SetAutoVar(true);
            V->SetUpdateLevel(PageHeadLevel());
        }
        UpdateDataLists();
        for (TKivDSGuide* G : std::vector<TKivDSGuide*>(FDataSourceList))
            if (!G->DataSource() && !Inherited(G)) {
                G->SetParent(nullptr);
                Free(G);
            }
        for (std::size_t I = 0; I < FFullDSList.size(); ++I) {
            TDataSource* DS = FFullDSList[I];
            const bool Guided = std::any_of(FDataSourceList.begin(), FDataSourceList.end(),
                                            [DS](TKivDSGuide* G) { return G->DataSource() == DS; });
            const String Name = static_cast<Integer>(I) < FFullDSNames->Count()
                                    ? FFullDSNames->Strings(static_cast<Integer>(I))
                                    : String();
            if (DS && !Guided && FNoDsgList->IndexOf(Name) < 0)
                AddDataSource(DS);
        }
        for (TKivVar* V : std::vector<TKivVar*>(FVars)) {
            auto* D = dynamic_cast<TKivDBVar*>(V);
            if (D && D->Id() == vidAutoDataVar && (!D->DataSource() || !D->DataSource()->DataSet()) && !Inherited(D)) {
                D->SetParent(nullptr);
                Free(D);
            }
        }
        if (FPageManager)
            SendMessage(FPageManager->Handle(), KIV_PM_VARLIST);
    } catch (...) {
        FPageState -= psUpdateVarList;
        throw;
    }
    FPageState -= psUpdateVarList;
}

void TKivPage::UpdateDataLists()
{
    if (FInUpdateDataLists)
        return;
    FInUpdateDataLists = true;
    try {
        if (FLetUpdateDataList) {
            FFullDSList.clear();
            FFullDSNames->Clear();
            if (TKivRptDsgn* D = FReport ? FReport->RepDesign() : nullptr)
                D->CreatePageManager();
            if (FPageManager)
                SendMessage(FPageManager->Handle(), KIV_PM_FILLDSLISTS);
        }
    } catch (...) {
        FInUpdateDataLists = false;
        throw;
    }
    FInUpdateDataLists = false;
}

void TKivPage::AddDataSource(TDataSource* DS)
{
    if (!Designing() || ComponentState().Contains(csLoading))
        return;
    auto* G = Create<TKivDataSourceGuide>(Owner());
    G->SetParent(this);
    KivAutoSetComponentName(G, G->ClassName(), true);
    G->SetDataSource(DS);
    G->SetUpdateLevel(DetailLevel());
    UpdatePageManager();
}

TKivDSGuide* TKivPage::GetDataSourceGuide(const String& FullDSName) const
{
    if (FullDSName.empty())
        return nullptr;
    for (Integer I = 0; I < FFullDSNames->Count() && static_cast<std::size_t>(I) < FFullDSList.size(); ++I) {
        if (!SameText(FFullDSNames->Strings(I), FullDSName))
            continue;
        TDataSource* DS = FFullDSList[static_cast<std::size_t>(I)];
        for (TKivDSGuide* G : FDataSourceList)
            if (G->DataSource() == DS)
                return G;
    }
    return nullptr;
}

bool TKivPage::VarUsed(TKivVar* Var) const
{
    if (!Var)
        return false;
    for (TKivLabel* L : FLabels) {
        TKivVar* Shown = nullptr;
        if (auto* T = dynamic_cast<TKivTVLabel*>(L))
            Shown = T->Variable();
        else if (auto* R = dynamic_cast<TKivVarRefLabel*>(L))
            Shown = R->Variable();
        else if (auto* Rich = dynamic_cast<TKivRichTextLabel*>(L))
            Shown = Rich->Variable();
        else if (auto* Total = dynamic_cast<TKivTotalvarLabel*>(L))
            Shown = Total->TotalVariable();
        if (Shown == Var)
            return true;
    }
    for (TKivTotalvar* T : FTotalVars)
        if (T->Variable() == Var)
            return true;
    return std::any_of(FGroups.begin(), FGroups.end(), [Var](TKivGroup* G) { return G->Variable() == Var; });
}

} // namespace qor
