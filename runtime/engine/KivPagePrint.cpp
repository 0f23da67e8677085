// The page's printing: the report head and the data loop, band lists with their attached kinds,
// group heads and feet, page breaks with page foot, overlays, page head and repeated bands.

#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivPageRun.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>
#include <optional>

namespace qor {

namespace {

// Adds an item to a print state for as long as the scope lasts.
class TStateScope {
public:
    TStateScope(TKivGroupPageState& State, TKivGroupPageStateItem Item) : FState(State), FItem(Item)
    {
        FState += FItem;
    }
    ~TStateScope() { FState -= FItem; }
    TStateScope(const TStateScope&) = delete;
    TStateScope& operator=(const TStateScope&) = delete;

private:
    TKivGroupPageState& FState;
    TKivGroupPageStateItem FItem;
};

// Sets a flag for as long as the scope lasts.
class TFlagScope {
public:
    explicit TFlagScope(bool& Flag) : FFlag(Flag) { FFlag = true; }
    ~TFlagScope() { FFlag = false; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

private:
    bool& FFlag;
};

// Turns the NewPage setting of a list's bands off for as long as the scope lasts.
class TNewPageOff {
public:
    explicit TNewPageOff(const std::vector<TKivBand*>& Bands)
    {
        for (TKivBand* B : Bands) {
            FSaved.emplace_back(B, B->NewPage());
            B->SetNewPage(false);
        }
    }
    ~TNewPageOff()
    {
        for (auto& [B, Flag] : FSaved)
            B->SetNewPage(Flag);
    }
    TNewPageOff(const TNewPageOff&) = delete;
    TNewPageOff& operator=(const TNewPageOff&) = delete;

private:
    std::vector<std::pair<TKivBand*, bool>> FSaved;
};

bool IsSubBand(TKivBand* B) { return B->Kind() == bkSub; }
bool IsOverlay(TKivBand* B) { return B->Kind() == bkOverlay; }
TKivSubDataBand* AsSubData(TKivBand* B) { return B->Kind() == bkSubData ? static_cast<TKivSubDataBand*>(B) : nullptr; }

// The data head and data foot bands of a sub-data band in its list.
void FindDataHeadFoot(TKivBand* Band, const std::vector<TKivBand*>& List, TKivBand*& Head, TKivBand*& Foot)
{
    for (TKivBand* B : List) {
        if (B->Band() != Band)
            continue;
        if (B->Kind() == bkDataFoot)
            Foot = B;
        else if (B->Kind() == bkDataHead)
            Head = B;
    }
}

} // namespace

// ---- The report's start, records and end ---------------------------------------------------------

void TKivPage::StartOutputPage()
{
    // The document began with its first page: the first page drawn goes there, so a range that
    // starts past page 1 makes no blank page in front.
    if (FRun->Figures.PagesPrinted == 0)
        return;
    FPrintTo->StartPage();
}

void TKivPage::NextPageNumber()
{
    if (PrintOk())
        ++FRun->Figures.PagesPrinted;
    ++FRun->PgNum;
    PrintOk(); // past the range's end this stops the run
    if (!Aborted())
        ++FRun->Figures.PageNumber;
    Position(0, 0);
}

void TKivPage::LeaveUpdateLevel(TKivLevel* Level)
{
    const auto It = std::find(FRun->UpdateBandLevelList.begin(), FRun->UpdateBandLevelList.end(), Level);
    if (It != FRun->UpdateBandLevelList.end())
        FRun->UpdateBandLevelList.erase(It);
}

void TKivPage::EndHeadPage()
{
    NextPageNumber();
    if (!Aborted() && FOutputType == otNormal && FPrintTo && PrintOk() && FRun->Figures.PagesPrinted > 0)
        FPrintTo->NewPage();
    UpdateStatus(ssGenerating);
}

void TKivPage::StartReport()
{
    FRun->FirstBorder = true;
    FRun->PrintedHead = false;
    UpdateStatus(ssGenerating);
    if (!FRun->Figures.DataIsFinished && DetailLevel())
        UpdateDataLevel(DetailLevel());
    if (FHead) {
        TStateScope Head(FRun->GroupPageState, gpsPrintHead);
        PrintBandList(FHead, false);
    }
    if (FRun->PrintedHead)
        EndHeadPage();
    if (Aborted())
        return;
    FRun->FirstNewPage = true;
    PrintOverLays(true);
    PrintBorder();
    if (FPageHead) {
        TStateScope PageHead(FRun->GroupPageState, gpsPrintPageHead);
        PrintBandList(FPageHead, false);
    }
    FRun->LastPagePos = FRun->YPos;
    PrintGroupHeads(0);
    if (DetailLevel())
        ReverseUpdateDataLevel(DetailLevel());
    FRun->GroupPageState += gpsPrintDetail;
    FRun->FirstTime = true;
    FRun->Printing = true;
    FRun->InProcess = false;
}

void TKivPage::Process()
{
    if (FRun->InProcess)
        return;
    FRun->InProcess = true;
    try {
        TKivLevel* Level = DetailLevel();
        if (FRun->FirstTime) {
            FRun->FirstTime = false;
        } else if (Level) {
            UpdateDataLevel(Level);
            Integer Broke = -1;
            for (std::size_t I = 0; I < FGroups.size() && Broke < 0; ++I)
                if (FGroups[I]->CheckBroken())
                    Broke = static_cast<Integer>(I);
            ReverseUpdateDataLevel(Level);
            if (Broke >= 0) {
                PrintGroupFeet(Broke);
                AddUpdateBand(FDetail);
                PrintGroupHeads(Broke);
                LeaveUpdateLevel(Level);
                ReverseUpdateDataLevel(Level);
            }
        }
        if (!FRun->Figures.DataIsFinished) {
            if (!FPrintTo)
                UpdateStatus(ssGenerating);
            if (FDetail)
                PrintBandList(FDetail, false);
            if (!Aborted())
                DataSkip();
        }
    } catch (...) {
        // A failing record ends the data loop, and the application's handler hears why: the pass
        // then ends with what was made, which is not the whole report.
        KivReportHandlerError(this);
        FRun->InProcess = false;
        FRun->Printing = false;
        return;
    }
    FRun->Printing = !(FRun->Figures.DataIsFinished || FRun->Figures.AbortPrinting);
    FRun->InProcess = false;
}

void TKivPage::EndReport()
{
    FRun->GroupPageState -= gpsPrintDetail;
    if (Aborted())
        return;
    PrintGroupFeet(0);
    if (FFoot) {
        TStateScope Foot(FRun->GroupPageState, gpsPrintFoot);
        PrintBandList(FFoot, false);
    }
    if (!FOmitLastPgFt)
        PrintPageFoot();
    PrintOverLays(false);
}

// ---- Groups --------------------------------------------------------------------------------------

void TKivPage::PrintGroupHeads(Integer L)
{
    if (FGroups.empty())
        return;
    TStateScope Heads(FRun->GroupPageState, gpsPrintGroupHead);
    for (Integer I = L; I < static_cast<Integer>(FGroups.size()); ++I) {
        FRun->AtGroupLevel = I;
        TKivGroup* Group = FGroups[static_cast<std::size_t>(I)];
        TKivBand* Header = Group->Header();
        // The head's band list prints whatever ShowHead says: ShowHead gates only PrintHead.
        if (!Header)
            continue;
        // An inner head printed at an outer break does not start a page of its own.
        std::optional<TNewPageOff> Off;
        if (!FGroupPageBreaks && I != L)
            Off.emplace(ListOf(Header));
        PrintBandList(Header, false);
    }
}

void TKivPage::PrintGroupFeet(Integer L)
{
    if (FGroups.empty())
        return;
    TStateScope Feet(FRun->GroupPageState, gpsPrintGroupFoot);
    for (Integer I = static_cast<Integer>(FGroups.size()) - 1; I >= L; --I) {
        TKivGroup* Group = FGroups[static_cast<std::size_t>(I)];
        if (Group->Footer())
            PrintBandList(Group->Footer(), false);
        FRun->AtGroupLevel = I - 1;
    }
}

// ---- Band lists ----------------------------------------------------------------------------------

void TKivPage::TotalUpdate(TKivBand* Band)
{
    TKivLevel* Level = Band->UpdateLevel();
    if (!Level)
        return;
    ResetTotalLevel(Level);
    for (TKivTotalvar* T : FTotalVars)
        T->UpdateAtlevel(Level->Level());
}

void TKivPage::PrintSubDataBandList(TKivBand* Band)
{
    TKivSubDataBand* Sub = AsSubData(Band);
    const std::vector<TKivBand*> List = ListOf(Band);
    TKivBand* DataHead = nullptr;
    TKivBand* DataFoot = nullptr;
    FindDataHeadFoot(Band, List, DataHead, DataFoot);
    TKivLevel* Level = Band->UpdateLevel();
    Sub->DataStart();
    FRun->PrintDataList.push_back(Band);
    if (Sub->DataIsFinished()) {
        NoSubData(Band);
    } else {
        if (DataHead) {
            if (Level)
                UpdateDataLevel(Level);
            PrintBandList(DataHead, false);
            if (Level)
                ReverseUpdateDataLevel(Level);
        }
        PrintSubDataRecords(Band, List, DataHead, DataFoot, false);
    }
    Sub->DataFinish();
    FRun->PrintDataList.erase(std::find(FRun->PrintDataList.begin(), FRun->PrintDataList.end(), Band));
}

void TKivPage::PrintSubDataRecords(TKivBand* Band, const std::vector<TKivBand*>& List, TKivBand* DataHead,
                                   TKivBand* DataFoot, bool Repeat)
{
    TKivSubDataBand* Sub = AsSubData(Band);
    // A repeat prints the whole loop again; only the first print stops for an abort.
    auto GoesOn = [this, Repeat] { return Repeat || !Aborted(); };
    do {
        AddUpdateBand(Band);
        for (TKivBand* B : List) {
            if (B == Band && Repeat) {
                CheckBandHeight(B);
                RepeatPrintBand(B);
            } else if (B == Band) {
                BreakBefore(B);
                PrintBand(B, false);
            } else if (B != DataHead && B != DataFoot) {
                if (Repeat)
                    RepeatPrintBandList(B);
                else
                    PrintBandList(B, false);
            }
        }
        TotalUpdate(Band);
        if (GoesOn())
            Sub->DataSkip();
    } while (!Sub->DataIsFinished() && GoesOn());
    if (DataFoot && Repeat)
        RepeatPrintBandList(DataFoot);
    else if (DataFoot)
        PrintBandList(DataFoot, false);
}

void TKivPage::PrintBandList(TKivBand* Band, bool PageFootBand)
{
    FRun->PrintList.push_back(Band);
    struct TPop {
        std::vector<TKivBand*>& List;
        ~TPop() { List.pop_back(); }
    } Pop{FRun->PrintList};
    if (AsSubData(Band)) {
        PrintSubDataBandList(Band);
        return;
    }
    const bool Sub = IsSubBand(Band);
    if (!Sub)
        AddUpdateBand(Band);
    for (TKivBand* B : std::vector<TKivBand*>(ListOf(Band))) {
        if (B == Band) {
            if (!PageFootBand) {
                BreakBefore(B);
            }
            PrintBand(B, PageFootBand);
        } else {
            PrintBandList(B, PageFootBand);
        }
    }
    if (!Sub)
        TotalUpdate(Band);
}

void TKivPage::BreakBefore(TKivBand* Band)
{
    if (Band->NewPage() && !FRun->FirstNewPage)
        NewPage();
    else
        CheckBandHeight(Band);
}

void TKivPage::NoSubData(TKivBand* Band)
{
    if (TKivLevel* Level = Band->UpdateLevel())
        ResetDataLevel(Level);
    TotalUpdate(Band);
}

void TKivPage::CheckBandHeight(TKivBand* Band)
{
    if (IsOverlay(Band))
        return;
    const Integer H = Band->PHeight();
    if (H > 0)
        CheckHeight(H);
}

void TKivPage::CheckHeight(Integer H)
{
    if (FRun->Continuous())
        return;
    const Integer Used = GetPageFootHeight() + H + FRun->YPos;
    if (Used >= PageBottom())
        NewPage();
}

void TKivPage::PrintBandPrelude(TKivBand* Band)
{
    if (FRun->GroupPageState.Contains(gpsPrintHead))
        FRun->PrintedHead = true;
    if (FRun->FirstBorder)
        PrintBorder();
    if (Band != FPageHead && !FRun->Continuous())
        FRun->FirstNewPage = false;
}

void TKivPage::PrintStretchPieces(TKivBand* Band, Integer FootHeight)
{
    TKivPageRun& R = *FRun;
    do {
        CheckHeight(0);
        const Integer Room = R.Continuous() ? -1 : static_cast<Integer>(PageBottom() - FootHeight - R.YPos);
        const bool AtTop = AtPageTop();
        // Continuous output takes the band whole: its piece ends it.
        const Integer H = R.Sink->PrintPiece(Band, this, Room);
        LeaveFirstNewPage(Band);
        if (!R.Continuous())
            R.YPos += H;
        if (H == 0 && !Band->EndPrint()) {
            // Nothing fitted: the rest goes on a fresh page; when even a fresh page takes nothing,
            // the band can never fit and ends here rather than make pages for ever.
            if (AtTop || R.Continuous()) {
                Band->SetEndPrint(true);
            } else {
                const Integer Before = R.YPos;
                NewPage();
                if (R.YPos == Before && !AtPageTop())
                    Band->SetEndPrint(true);
            }
        }
    } while (!Band->EndPrint() && !Aborted());
    Band->FinishedPrint();
}

void TKivPage::LeaveFirstNewPage(TKivBand* Band)
{
    if (FRun->Continuous() && Band != FPageHead)
        FRun->FirstNewPage = false;
}

void TKivPage::PrintBand(TKivBand* Band, bool PageFootBand)
{
    TKivLevel* Level = Band->UpdateLevel();
    auto LeaveLevel = [this, Level] { LeaveUpdateLevel(Level); };
    const Integer Reserve = Band->ReserveSpace()->GetReserve();
    if (!Band->Stretch() || PageFootBand) {
        if (Band->PrintOk()) {
            PrintBandPrelude(Band);
            if (!IsOverlay(Band) && !PageFootBand)
                CheckHeight(Reserve + Band->Height());
            LeaveLevel();
            FRun->Sink->Print(Band, this);
            LeaveFirstNewPage(Band);
            if (!FRun->Continuous())
                FRun->YPos += Band->Height();
        }
    } else if (Band->PrintOk()) {
        PrintBandPrelude(Band);
        Band->StartPrint();
        if (!IsOverlay(Band) && !FRun->Continuous()) {
            const Integer Space = Band->KeepTogether()
                                      ? PageHeight()
                                      : static_cast<Integer>(PageBottom() - GetPageFootHeight() - FRun->YPos - 1);
            Integer H = Band->SpendHeight(this, Space);
            if (Reserve + Band->Height() >= H)
                H = Reserve + Band->Height();
            CheckHeight(H);
        }
        LeaveLevel();
        PrintStretchPieces(Band, GetPageFootHeight());
    }
    LeaveLevel();
}

// ---- Page breaks ---------------------------------------------------------------------------------

void TKivPage::NewPage()
{
    if (FRun->YPos <= FRun->LastPagePos || FRun->GroupPageState.Contains(gpsPrintOverLays) || FRun->InHeading)
        return;
    if (OnBeforeNewPage) {
        bool Allow = true;
        const Integer Before = FRun->YPos;
        OnBeforeNewPage(this, Allow);
        // Refusing counts only when the handler made room by moving the position up.
        if (!Allow && FRun->YPos < Before)
            return;
    }
    for (auto It = FRun->UpdateBandLevelList.rbegin(); It != FRun->UpdateBandLevelList.rend(); ++It)
        ReverseUpdateDataLevel(*It);
    PrintPageFoot();
    PrintOverLays(false);
    NextPageNumber();
    for (TKivLevel* Level : std::vector<TKivLevel*>(FRun->UpdateBandLevelList))
        UpdateDataLevel(Level);
    if (PrintOk()) {
        if (FPrintTo && FOutputType == otNormal) {
            if (FRun->Figures.PagesPrinted > 0)
                FPrintTo->EndPage();
            FPrintTo->QorPrinterSetup()->ClearSettings();
            if (OnNewPage) {
                try {
                    OnNewPage(this, FPrintTo, FRun->Figures.PageNumber);
                    FPageSetup->LoadSettings();
                    FPageSetup->GetQorPrinterSetup(*FPrintTo->QorPrinterSetup());
                    FPrintTo->QorPrinterSetup()->SetData();
                } catch (...) {
                }
            }
            StartOutputPage();
            FPrintTo->SetLoadPercent(static_cast<Single>(FRun->Figures.PercentDone));
        }
        PrintOverLays(true);
        PrintBorder();
    }
    UpdateStatus(ssGenerating);
    if (!FRun->GroupPageState.Contains(gpsPrintPageHead)) {
        TFlagScope Heading(FRun->InHeading);
        if (!FRun->GroupPageState.Contains(gpsPrintHead) && FPageHead) {
            TStateScope PageHead(FRun->GroupPageState, gpsPrintPageHead);
            PrintBandList(FPageHead, false);
        }
        PrintNewPageRepeats();
    }
    FRun->LastPagePos = FRun->YPos;
}

void TKivPage::PrintPageFoot()
{
    if (FRun->GroupPageState.Contains(gpsPrintHead) || FRun->GroupPageState.Contains(gpsPrintPageFoot) || !FPageFoot)
        return;
    TStateScope Foot(FRun->GroupPageState, gpsPrintPageFoot);
    TKivLevel* Level = FPageFoot->UpdateLevel();
    if (Level) {
        for (TKivTotalvar* T : FTotalVars)
            T->ResetMarkedLevel(Level->Level());
        UpdateDataLevel(Level);
    }
    Integer Placed = 0;
    for (TKivBand* B : ListOf(FPageFoot)) {
        Position(0, PageHeight() + Placed - FRun->PFHeight);
        FRun->Sink->Print(B, this);
        if (B->PrintVisible())
            Placed += B->Height();
    }
    if (Level) {
        ResetTotalLevel(Level);
        for (TKivTotalvar* T : FTotalVars)
            T->UpdateAtlevel(Level->Level());
    }
}

void TKivPage::PrintOverLays(bool First)
{
    if (FRun->GroupPageState.Contains(gpsPrintHead))
        return;
    TStateScope Overlays(FRun->GroupPageState, gpsPrintOverLays);
    for (TKivBand* B : FRun->BandLists->OverLayList) {
        auto* O = static_cast<TKivOverlayBand*>(B);
        if (O->UseMargins())
            Position(O->LeftOffset(), O->TopOffset());
        else {
            FRun->XPos = O->LeftOffset();
            FRun->YPos = O->TopOffset();
        }
        if (First == O->First())
            PrintBandList(B, false);
        Position(0, 0);
    }
}

void TKivPage::PrintBorder()
{
    FRun->FirstBorder = false;
    if (FBorderType != btSingle || FOutputType != otNormal || !FRun->Canvas || !PageInRange())
        return;
    const TRect R = Bounds(LeftMarginPixels(), TopMarginPixels(), PageWidth() - 1, PageHeight());
    KivDrawBorder(FRun->Canvas, R, btSingle, false);
}

// ---- Repeated bands ------------------------------------------------------------------------------

bool TKivPage::InPrintList(TKivBand* Band) const
{
    return std::find(FRun->PrintList.begin(), FRun->PrintList.end(), Band) != FRun->PrintList.end();
}

bool TKivPage::IsInnermost(TKivBand* Band) const { return FRun->PrintList.empty() || FRun->PrintList.back() == Band; }

void TKivPage::PrintNewPageRepeats()
{
    if (FRun->GroupPageState.Contains(gpsPrintRepeats))
        return;
    TStateScope Repeats(FRun->GroupPageState, gpsPrintRepeats);
    for (TKivBand* B : FBands)
        B->SetContinued(true);
    if (FRun->GroupPageState.Contains(gpsPrintHead) && FHead)
        PrintRepeats(FHead);
    const auto Groups = static_cast<Integer>(FGroups.size());
    const bool LevelValid = FRun->AtGroupLevel >= 0 && FRun->AtGroupLevel < Groups;
    if (LevelValid)
        for (Integer I = 0; I <= FRun->AtGroupLevel; ++I)
            if (TKivBand* H = FGroups[static_cast<std::size_t>(I)]->Header())
                PrintRepeats(H);
    if (FRun->GroupPageState.Contains(gpsPrintDetail) && FDetail)
        PrintRepeats(FDetail);
    if (LevelValid && FRun->GroupPageState.Contains(gpsPrintGroupFoot))
        for (Integer I = FRun->AtGroupLevel; I >= 0; --I)
            if (TKivBand* F = FGroups[static_cast<std::size_t>(I)]->Footer())
                PrintRepeats(F);
    if (FRun->GroupPageState.Contains(gpsPrintFoot) && FFoot)
        PrintRepeats(FFoot);
    for (TKivBand* B : FBands)
        B->SetContinued(false);
}

void TKivPage::PrintRepeats(TKivBand* Band)
{
    if (AsSubData(Band) &&
        std::find(FRun->PrintDataList.begin(), FRun->PrintDataList.end(), Band) == FRun->PrintDataList.end())
        return;
    const std::vector<TKivBand*> List = ListOf(Band);
    bool Whole = Band->NewPageRepeat() && !IsInnermost(Band);
    if (Whole && InPrintList(Band)) {
        // A band before Band in its own list that is further inside the print list is still
        // printing: Band itself has printed already on the page before.
        const auto Pos = std::find(FRun->PrintList.begin(), FRun->PrintList.end(), Band);
        for (TKivBand* B : List) {
            if (B == Band)
                break;
            if (std::find(Pos, FRun->PrintList.end(), B) != FRun->PrintList.end())
                Whole = false;
        }
    }
    if (Whole) {
        RepeatPrintBandList(Band);
        return;
    }
    for (TKivBand* B : List) {
        if (B != Band) {
            if (B->NewPageRepeat())
                RepeatPrintBandList(B);
            else
                PrintRepeats(B);
        }
        if (!FRun->PrintList.empty() && B == FRun->PrintList.back())
            break;
    }
}

void TKivPage::RepeatPrintBandList(TKivBand* Band)
{
    const std::vector<TKivBand*> List = ListOf(Band);
    TKivSubDataBand* Sub = AsSubData(Band);
    if (!Sub) {
        if ((!FRun->PrintList.empty() && FRun->PrintList.back() == Band) ||
            (FRun->PrintList.empty() && !InPrintList(Band)))
            return;
        const bool Counts = !IsSubBand(Band) && Band != FDetail && Band->NewPageRepeat();
        if (Counts)
            AddUpdateBand(Band);
        for (TKivBand* B : List) {
            if (B == Band) {
                if (B->NewPageRepeat())
                    RepeatPrintBand(B);
            } else {
                RepeatPrintBandList(B);
            }
        }
        if (Counts)
            TotalUpdate(Band);
        return;
    }
    if (!Sub->NewPageRepeat()) {
        for (TKivBand* B : List)
            if (B != Band)
                RepeatPrintBandList(B);
        return;
    }
    TKivLevel* Level = Band->UpdateLevel();
    TKivBand* DataHead = nullptr;
    TKivBand* DataFoot = nullptr;
    FindDataHeadFoot(Band, List, DataHead, DataFoot);
    Sub->DataStart();
    if (Sub->DataIsFinished()) {
        NoSubData(Band);
        return;
    }
    if (DataHead) {
        AddUpdateBand(Band);
        RepeatPrintBandList(DataHead);
        LeaveUpdateLevel(Level);
        if (Level)
            ReverseUpdateDataLevel(Level);
    }
    PrintSubDataRecords(Band, List, DataHead, DataFoot, true);
}

void TKivPage::RepeatPrintBand(TKivBand* Band)
{
    if (!Band->PrintOk())
        return;
    if (Band->Stretch()) {
        Band->StartPrint();
        PrintStretchPieces(Band, FRun->PFHeight);
        return;
    }
    CheckBandHeight(Band);
    FRun->Sink->Print(Band, this);
    if (!FRun->Continuous())
        FRun->YPos += Band->Height();
}

} // namespace qor
