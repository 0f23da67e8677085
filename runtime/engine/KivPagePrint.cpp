// The page's printing: the report head and the data loop, band lists with their attached kinds,
// group heads and feet, page breaks with page foot, overlays, page head and repeated bands.

#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPage.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivTotalvar.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>

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

bool IsSubBand(TKivBand* B) { return dynamic_cast<TKivSubBand*>(B) != nullptr; }
bool IsOverlay(TKivBand* B) { return dynamic_cast<TKivOverlayBand*>(B) != nullptr; }
TKivSubDataBand* AsSubData(TKivBand* B) { return dynamic_cast<TKivSubDataBand*>(B); }

// The data head and data foot bands of a sub-data band in its list.
void FindDataHeadFoot(TKivBand* Band, const std::vector<TKivBand*>& List, TKivBand*& Head, TKivBand*& Foot)
{
    for (TKivBand* B : List) {
        if (B->Band() != Band)
            continue;
        if (dynamic_cast<TKivDataFootBand*>(B))
            Foot = B;
        else if (dynamic_cast<TKivDataHeadBand*>(B))
            Head = B;
    }
}

} // namespace

// ---- The report's start, records and end ---------------------------------------------------------

void TKivPage::StartOutputPage()
{
    // The document began with its first page: the first page drawn goes there, so a range that
    // starts past page 1 makes no blank page in front.
    if (FPagesPrinted == 0)
        return;
    FPrintTo->StartPage();
}

void TKivPage::NextPageNumber()
{
    if (PrintOk())
        ++FPagesPrinted;
    ++FPgNum;
    PrintOk(); // past the range's end this stops the run
    if (!Aborted())
        ++FPageNumber;
    Position(0, 0);
}

void TKivPage::LeaveUpdateLevel(TKivLevel* Level)
{
    const auto It = std::find(FUpdateBandLevelList.begin(), FUpdateBandLevelList.end(), Level);
    if (It != FUpdateBandLevelList.end())
        FUpdateBandLevelList.erase(It);
}

void TKivPage::EndHeadPage()
{
    NextPageNumber();
    if (!Aborted() && FOutputType == otNormal && FPrintTo && PrintOk() && FPagesPrinted > 0)
        FPrintTo->NewPage();
    UpdateStatus(ssGenerating);
}

void TKivPage::StartReport()
{
    FFirstBorder = true;
    FPrintedHead = false;
    UpdateStatus(ssGenerating);
    if (!FDataIsFinished && DetailLevel())
        UpdateDataLevel(DetailLevel());
    if (FHead) {
        TStateScope Head(FGroupPageState, gpsPrintHead);
        PrintBandList(FHead, false);
    }
    if (FPrintedHead)
        EndHeadPage();
    if (Aborted())
        return;
    FFirstNewPage = true;
    PrintOverLays(true);
    PrintBorder();
    if (FPageHead) {
        TStateScope PageHead(FGroupPageState, gpsPrintPageHead);
        PrintBandList(FPageHead, false);
    }
    FLastPagePos = FyPos;
    PrintGroupHeads(0);
    if (DetailLevel())
        ReverseUpdateDataLevel(DetailLevel());
    FGroupPageState += gpsPrintDetail;
    FFirstTime = true;
    FPrinting = true;
    FInProcess = false;
}

void TKivPage::Process()
{
    if (FInProcess)
        return;
    FInProcess = true;
    try {
        TKivLevel* Level = DetailLevel();
        if (FFirstTime) {
            FFirstTime = false;
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
        if (!FDataIsFinished) {
            if (!FPrintTo)
                UpdateStatus(ssGenerating);
            if (FDetail)
                PrintBandList(FDetail, false);
            if (!Aborted())
                DataSkip();
        }
    } catch (...) {
        // A failing record ends the data loop; the pass then ends with what was made.
        FInProcess = false;
        FPrinting = false;
        return;
    }
    FPrinting = !(FDataIsFinished || FAbortPrinting);
    FInProcess = false;
}

void TKivPage::EndReport()
{
    FGroupPageState -= gpsPrintDetail;
    if (Aborted())
        return;
    PrintGroupFeet(0);
    if (FFoot) {
        TStateScope Foot(FGroupPageState, gpsPrintFoot);
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
    TStateScope Heads(FGroupPageState, gpsPrintGroupHead);
    for (Integer I = L; I < static_cast<Integer>(FGroups.size()); ++I) {
        FAtGroupLevel = I;
        TKivGroup* Group = FGroups[static_cast<std::size_t>(I)];
        TKivBand* Header = Group->Header();
        // The head's band list prints whatever ShowHead says: ShowHead gates only PrintHead.
        if (!Header)
            continue;
        if (!FGroupPageBreaks && I != L) {
            // An inner head printed at an outer break does not start a page of its own.
            std::vector<std::pair<TKivBand*, bool>> Saved;
            for (TKivBand* B : ListOf(Header)) {
                Saved.emplace_back(B, B->NewPage());
                B->SetNewPage(false);
            }
            try {
                PrintBandList(Header, false);
            } catch (...) {
                for (auto& [B, Flag] : Saved)
                    B->SetNewPage(Flag);
                throw;
            }
            for (auto& [B, Flag] : Saved)
                B->SetNewPage(Flag);
        } else {
            PrintBandList(Header, false);
        }
    }
}

void TKivPage::PrintGroupFeet(Integer L)
{
    if (FGroups.empty())
        return;
    TStateScope Feet(FGroupPageState, gpsPrintGroupFoot);
    for (Integer I = static_cast<Integer>(FGroups.size()) - 1; I >= L; --I) {
        TKivGroup* Group = FGroups[static_cast<std::size_t>(I)];
        if (Group->Footer())
            PrintBandList(Group->Footer(), false);
        FAtGroupLevel = I - 1;
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
    FPrintDataList.push_back(Band);
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
    FPrintDataList.erase(std::find(FPrintDataList.begin(), FPrintDataList.end(), Band));
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
    FPrintList.push_back(Band);
    struct TPop {
        std::vector<TKivBand*>& List;
        ~TPop() { List.pop_back(); }
    } Pop{FPrintList};
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
    if (Band->NewPage() && !FFirstNewPage)
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
    if (FContinuous)
        return;
    const Integer Used = GetPageFootHeight() + H + FyPos;
    if (Used >= PageBottom())
        NewPage();
}

void TKivPage::PrintBandPrelude(TKivBand* Band)
{
    if (FGroupPageState.Contains(gpsPrintHead))
        FPrintedHead = true;
    if (FFirstBorder)
        PrintBorder();
    if (Band != FPageHead && FOutputType != otRichText)
        FFirstNewPage = false;
}

void TKivPage::PrintStretchPieces(TKivBand* Band, Integer FootHeight)
{
    do {
        CheckHeight(0);
        const Integer Room = FContinuous ? -1 : static_cast<Integer>(PageBottom() - FootHeight - FyPos);
        if (FRtf) {
            Band->PrintRtf(this, FRtf.get());
            if (Band != FPageHead)
                FFirstNewPage = false;
            continue;
        }
        const bool AtTop = AtPageTop();
        const Integer H = Band->PrintHeight(this, Room);
        if (!FContinuous)
            FyPos += H;
        if (H == 0 && !Band->EndPrint()) {
            // Nothing fitted: the rest goes on a fresh page; when even a fresh page takes nothing,
            // the band can never fit and ends here rather than make pages for ever.
            if (AtTop || FContinuous) {
                Band->SetEndPrint(true);
            } else {
                const Integer Before = FyPos;
                NewPage();
                if (FyPos == Before && !AtPageTop())
                    Band->SetEndPrint(true);
            }
        }
    } while (!Band->EndPrint() && !Aborted());
    Band->FinishedPrint();
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
            if (FRtf) {
                Band->PrintRtf(this, FRtf.get());
                if (Band != FPageHead)
                    FFirstNewPage = false;
            } else {
                Band->Print(this);
            }
            if (!FContinuous)
                FyPos += Band->Height();
        }
    } else if (Band->PrintOk()) {
        PrintBandPrelude(Band);
        Band->StartPrint();
        if (!IsOverlay(Band) && !FContinuous) {
            const Integer Space = Band->KeepTogether()
                                      ? PageHeight()
                                      : static_cast<Integer>(PageBottom() - GetPageFootHeight() - FyPos - 1);
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
    if (FyPos <= FLastPagePos || FGroupPageState.Contains(gpsPrintOverLays) || FInHeading)
        return;
    if (OnBeforeNewPage) {
        bool Allow = true;
        const Integer Before = FyPos;
        OnBeforeNewPage(this, Allow);
        // Refusing counts only when the handler made room by moving the position up.
        if (!Allow && FyPos < Before)
            return;
    }
    for (auto It = FUpdateBandLevelList.rbegin(); It != FUpdateBandLevelList.rend(); ++It)
        ReverseUpdateDataLevel(*It);
    PrintPageFoot();
    PrintOverLays(false);
    NextPageNumber();
    for (TKivLevel* Level : std::vector<TKivLevel*>(FUpdateBandLevelList))
        UpdateDataLevel(Level);
    if (PrintOk()) {
        if (FPrintTo && FOutputType == otNormal) {
            if (FPagesPrinted > 0)
                FPrintTo->EndPage();
            FPrintTo->QorPrinterSetup()->ClearSettings();
            if (OnNewPage) {
                try {
                    OnNewPage(this, FPrintTo, FPageNumber);
                    FPageSetup->LoadSettings();
                    FPageSetup->GetQorPrinterSetup(*FPrintTo->QorPrinterSetup());
                    FPrintTo->QorPrinterSetup()->SetData();
                } catch (...) {
                }
            }
            StartOutputPage();
            FPrintTo->SetLoadPercent(static_cast<Single>(FPercentDone));
        }
        PrintOverLays(true);
        PrintBorder();
    }
    UpdateStatus(ssGenerating);
    if (!FGroupPageState.Contains(gpsPrintPageHead)) {
        FInHeading = true;
        try {
            if (!FGroupPageState.Contains(gpsPrintHead) && FPageHead) {
                TStateScope PageHead(FGroupPageState, gpsPrintPageHead);
                PrintBandList(FPageHead, false);
            }
            PrintNewPageRepeats();
        } catch (...) {
            FInHeading = false;
            throw;
        }
        FInHeading = false;
    }
    FLastPagePos = FyPos;
}

void TKivPage::PrintPageFoot()
{
    if (FGroupPageState.Contains(gpsPrintHead) || FGroupPageState.Contains(gpsPrintPageFoot) || !FPageFoot)
        return;
    TStateScope Foot(FGroupPageState, gpsPrintPageFoot);
    TKivLevel* Level = FPageFoot->UpdateLevel();
    if (Level) {
        for (TKivTotalvar* T : FTotalVars)
            T->ResetMarkedLevel(Level->Level());
        UpdateDataLevel(Level);
    }
    Integer Placed = 0;
    for (TKivBand* B : ListOf(FPageFoot)) {
        Position(0, PageHeight() + Placed - FPFHeight);
        if (FRtf)
            B->PrintRtf(this, FRtf.get());
        else
            B->Print(this);
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
    if (FGroupPageState.Contains(gpsPrintHead))
        return;
    TStateScope Overlays(FGroupPageState, gpsPrintOverLays);
    for (TKivBand* B : FOverLayList) {
        auto* O = static_cast<TKivOverlayBand*>(B);
        if (O->UseMargins())
            Position(O->LeftOffset(), O->TopOffset());
        else {
            FxPos = O->LeftOffset();
            FyPos = O->TopOffset();
        }
        if (First == O->First())
            PrintBandList(B, false);
        Position(0, 0);
    }
}

void TKivPage::PrintBorder()
{
    FFirstBorder = false;
    if (FBorderType != btSingle || FOutputType != otNormal || !FCanvas || !PageInRange())
        return;
    const TRect R = Bounds(LeftMarginPixels(), TopMarginPixels(), PageWidth() - 1, PageHeight());
    KivDrawBorder(FCanvas, R, btSingle, false);
}

// ---- Repeated bands ------------------------------------------------------------------------------

bool TKivPage::InPrintList(TKivBand* Band) const
{
    return std::find(FPrintList.begin(), FPrintList.end(), Band) != FPrintList.end();
}

bool TKivPage::IsInnermost(TKivBand* Band) const { return FPrintList.empty() || FPrintList.back() == Band; }

void TKivPage::PrintNewPageRepeats()
{
    if (FGroupPageState.Contains(gpsPrintRepeats))
        return;
    TStateScope Repeats(FGroupPageState, gpsPrintRepeats);
    for (TKivBand* B : FBands)
        B->SetContinued(true);
    if (FGroupPageState.Contains(gpsPrintHead) && FHead)
        PrintRepeats(FHead);
    const auto Groups = static_cast<Integer>(FGroups.size());
    const bool LevelValid = FAtGroupLevel >= 0 && FAtGroupLevel < Groups;
    if (LevelValid)
        for (Integer I = 0; I <= FAtGroupLevel; ++I)
            if (TKivBand* H = FGroups[static_cast<std::size_t>(I)]->Header())
                PrintRepeats(H);
    if (FGroupPageState.Contains(gpsPrintDetail) && FDetail)
        PrintRepeats(FDetail);
    if (LevelValid && FGroupPageState.Contains(gpsPrintGroupFoot))
        for (Integer I = FAtGroupLevel; I >= 0; --I)
            if (TKivBand* F = FGroups[static_cast<std::size_t>(I)]->Footer())
                PrintRepeats(F);
    if (FGroupPageState.Contains(gpsPrintFoot) && FFoot)
        PrintRepeats(FFoot);
    for (TKivBand* B : FBands)
        B->SetContinued(false);
}

void TKivPage::PrintRepeats(TKivBand* Band)
{
    if (AsSubData(Band) && std::find(FPrintDataList.begin(), FPrintDataList.end(), Band) == FPrintDataList.end())
        return;
    const std::vector<TKivBand*> List = ListOf(Band);
    bool Whole = Band->NewPageRepeat() && !IsInnermost(Band);
    if (Whole && InPrintList(Band)) {
        // A band before Band in its own list that is further inside the print list is still
        // printing: Band itself has printed already on the page before.
        const auto Pos = std::find(FPrintList.begin(), FPrintList.end(), Band);
        for (TKivBand* B : List) {
            if (B == Band)
                break;
            if (std::find(Pos, FPrintList.end(), B) != FPrintList.end())
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
        if (!FPrintList.empty() && B == FPrintList.back())
            break;
    }
}

void TKivPage::RepeatPrintBandList(TKivBand* Band)
{
    const std::vector<TKivBand*> List = ListOf(Band);
    TKivSubDataBand* Sub = AsSubData(Band);
    if (!Sub) {
        if ((!FPrintList.empty() && FPrintList.back() == Band) || (FPrintList.empty() && !InPrintList(Band)))
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
        PrintStretchPieces(Band, FPFHeight);
        return;
    }
    CheckBandHeight(Band);
    if (FRtf)
        Band->PrintRtf(this, FRtf.get());
    else
        Band->Print(this);
    if (!FContinuous)
        FyPos += Band->Height();
}

} // namespace qor
