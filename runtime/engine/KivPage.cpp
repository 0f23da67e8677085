#include "runtime/engine/KivPage.h"

#include "platform/db/DataSet.h"
#include "platform/db/DataSource.h"
#include "platform/db/Field.h"
#include "platform/graphics/Pen.h"
#include "platform/graphics/Screen.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivBandKinds.h"
#include "runtime/engine/KivDSGuide.h"
#include "runtime/engine/KivGroup.h"
#include "runtime/engine/KivPageRun.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivRtf.h"
#include "runtime/engine/KivStat.h"
#include "runtime/engine/KivStrIds.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/KivVar.h"
#include "runtime/engine/QorDS.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorView.h"

#include <algorithm>

namespace qor {

namespace {

constexpr TColor White = 0xFFFFFF;

// A class in Object's ancestry is named, upper-cased, "TQUERY".
bool IsQueryClass(const TObject* Object)
{
    for (TClass C = Object->ClassType(); C; C = C->Parent)
        if (UpperCase(C->Name) == "TQUERY")
            return true;
    return false;
}

} // namespace

// ---- Construction and deletion -------------------------------------------------------------------

TKivPage::TKivPage(TComponent* AOwner)
    : TScrollBox(AOwner), FPageSetup(std::make_unique<TKivPageSetup>()),
      FDataSourceManager(std::make_unique<TQorDataSourceManager>()), FRun(std::make_unique<TKivPageRun>()),
      FFullDSNames(std::make_unique<TStringList>()), FNoDsgList(std::make_unique<TStringList>()),
      FPen(std::make_unique<TPen>())
{
    FHasBandHeads = ComponentState().Contains(csDesigning);
    SetColor(White);
    SetHeight(400);
    SetWidth(9 * ScreenPixelsPerInch());
    FStartDateTime = Date();
    FPageSetup->SetPage(this);
}

TKivPage::~TKivPage()
{
    if (FDeleteGuard.Deleting())
        DeleteAllGroups();
    for (TKivBandHead* Strip : FBandHeads)
        Free(Strip);
    FBandHeads.clear();
    FPageManager.reset();
    if (FReport)
        FReport->RemovePage(this);
    FReport = nullptr;
    // What is still placed on the page no longer reports to it (last first: each leaves the end
    // of the lists).
    const std::vector<TKivBand*> Bands(FBands);
    for (auto It = Bands.rbegin(); It != Bands.rend(); ++It)
        if ((*It)->Parent() == this)
            (*It)->SetParent(nullptr);
    FLabels.clear();
    FVars.clear();
    FTotalVars.clear();
    FLevels.clear();
    FGroups.clear();
    FDataSourceList.clear();
}

bool TKivPage::OkDelete() const { return FDeleteGuard.Allows(this); }

void TKivPage::BeforeDestruction()
{
    FDeleteGuard.Check(this, SKivPageDelete);
    TScrollBox::BeforeDestruction();
}

void TKivPage::SafeDelete() { FDeleteGuard.SafeDelete(this); }

void TKivPage::DeleteAllGroups()
{
    for (TKivGroup* G : std::vector<TKivGroup*>(FGroups)) {
        RemoveGroup(G);
        G->SafeDelete();
    }
}

void TKivPage::SetParent(TWinControl* AParent)
{
    if (AParent == Parent())
        return;
    auto* NewReport = dynamic_cast<IKivReport*>(AParent);
    if (AParent && !NewReport)
        Abort();
    if (FReport)
        FReport->RemovePage(this);
    FReport = nullptr;
    if (NewReport)
        NewReport->InsertPage(this);
    TScrollBox::SetParent(AParent);
    // A page dropped on a report gets its main bands once its window exists.
    if (AParent && ComponentState().Contains(csDesigning))
        PostMessage(Handle(), KIV_ADDBANDS);
}

void TKivPage::SetOrder(Integer Pos)
{
    FOrder = Pos;
    SetPageName("Page: " + IntToStr(Pos));
}

void TKivPage::DefineProperties(TFiler& Filer)
{
    TScrollBox::DefineProperties(Filer);
    Filer.DefineProperty(
        "Order", [this](TReader& R) { FOrder = R.ReadInteger(); }, [this](TWriter& W) { W.WriteInteger(FOrder); },
        true);
    Filer.DefineProperty(
        "DataSet", [](TReader& R) { R.ReadIdent(); }, nullptr, false);
    Filer.DefineProperty(
        "NoDsgList",
        [this](TReader& R) {
            FNoDsgList->Clear();
            R.ReadListBegin();
            while (!R.EndOfList())
                FNoDsgList->Add(R.ReadString());
            R.ReadListEnd();
        },
        [this](TWriter& W) {
            W.WriteListBegin();
            for (Integer I = 0; I < FNoDsgList->Count(); ++I)
                W.WriteString(FNoDsgList->Strings(I));
            W.WriteListEnd();
        },
        FNoDsgList->Count() > 0);
}

void TKivPage::Notification(TComponent* AComponent, TOperation Operation)
{
    TScrollBox::Notification(AComponent, Operation);
    if (auto* DS = dynamic_cast<TDataSource*>(AComponent)) {
        UpdatePageManager();
        if (Operation == opRemove && DS == FDataSource) {
            FDataSource = nullptr;
            FDataSet = nullptr;
        }
    }
    if (dynamic_cast<TField*>(AComponent) && ComponentState().Contains(csDesigning))
        PostUpdateVarlist();
    if (Operation != opRemove)
        return;
    if (AComponent == FDataSet)
        FDataSet = nullptr;
    for (TKivBand** Main : {&FHead, &FDetail, &FFoot, &FPageHead, &FPageFoot})
        if (AComponent == *Main)
            *Main = nullptr;
    bool Listed = true;
    if (auto* L = dynamic_cast<TKivLabel*>(AComponent))
        RemoveLabel(L);
    else if (auto* V = dynamic_cast<TKivVar*>(AComponent))
        RemoveVar(V);
    else if (auto* Lv = dynamic_cast<TKivLevel*>(AComponent))
        RemoveLevel(Lv);
    else if (auto* G = dynamic_cast<TKivDSGuide*>(AComponent))
        RemoveDataSourceGuide(G);
    else if (auto* Gr = dynamic_cast<TKivGroup*>(AComponent))
        RemoveGroup(Gr);
    else {
        Listed = false;
        if (auto* B = dynamic_cast<TKivBand*>(AComponent)) {
            RemoveBand(B);
            RemoveOverLayBand(B);
            RemoveSubBand(B);
            RemoveSubDataBand(B);
            RemoveDataHFBand(B);
        }
    }
    if (Listed)
        UpdatePageManager();
}

// ---- Geometry ------------------------------------------------------------------------------------

Integer TKivPage::GetPPI() const { return FReport ? FReport->ReportPixelsPerInch() : ScreenPixelsPerInch(); }

namespace {

Double InInches(const TKivPageSetup* S, Double Value)
{
    return S->Units() == unitInches ? Value : S->UM()->ToIn(S->Units(), Value);
}

} // namespace

Double TKivPage::PrintWidthInches() const { return InInches(FPageSetup.get(), FPageSetup->PrintWidth()); }

Integer TKivPage::PageWidth() const { return static_cast<Integer>(Round(PrintWidthInches() * GetPPI())); }

Integer TKivPage::PageHeight() const
{
    return static_cast<Integer>(Round(InInches(FPageSetup.get(), FPageSetup->PrintHeight()) * GetPPI()));
}

Integer TKivPage::TopMarginPixels() const { return static_cast<Integer>(Round(GetPPI() * FPageSetup->TopMargin())); }
Integer TKivPage::LeftMarginPixels() const { return static_cast<Integer>(Round(GetPPI() * FPageSetup->LeftMargin())); }
Int64 TKivPage::PageBottom() const { return static_cast<Int64>(PageHeight()) + TopMarginPixels(); }

void TKivPage::Position(Integer X, Integer Y)
{
    FRun->XPos = X + LeftMarginPixels();
    FRun->YPos = Y + TopMarginPixels();
}

Integer TKivPage::GetPageFootHeight() const { return FRun->GroupPageState.Contains(gpsPrintHead) ? 0 : FRun->PFHeight; }

bool TKivPage::PageInRange() const
{
    const Integer RangeEnd = FPageSetup->RangeEnd();
    return FRun->PgNum >= FPageSetup->RangeStart() && (RangeEnd == 0 || FRun->PgNum <= RangeEnd);
}

bool TKivPage::PrintOk()
{
    if (FRun->PgNum < FPageSetup->RangeStart())
        return false;
    if (FPageSetup->RangeEnd() != 0 && FRun->PgNum > FPageSetup->RangeEnd()) {
        FRun->Figures.AbortPrinting = true;
        return false;
    }
    return true;
}

TQorDestination TKivPage::OutputDest() const { return FPrintTo ? FPrintTo->Destination() : qdNoWhere; }

void TKivPage::SetOutputDest(TQorDestination Value)
{
    if (FPrintTo)
        FPrintTo->SetDestination(Value);
}

void TKivPage::MoveTo(Integer X, Integer Y)
{
    const TKivPageRun& R = *FRun;
    if (R.Canvas && PrintOk())
        R.Canvas->MoveTo(R.XPos + X, R.YPos + Y);
}

void TKivPage::LineTo(Integer X, Integer Y)
{
    const TKivPageRun& R = *FRun;
    if (R.Canvas && PrintOk())
        R.Canvas->LineTo(R.XPos + X, R.YPos + Y);
}

void TKivPage::FillRect(const TRect& Rect)
{
    const TKivPageRun& R = *FRun;
    if (R.Canvas && PrintOk())
        R.Canvas->FillRect(TRect(Rect.Left + R.XPos, Rect.Top + R.YPos, Rect.Right + R.XPos, Rect.Bottom + R.YPos));
}

// ---- Level operations ----------------------------------------------------------------------------

void TKivPage::UpdateVars(TKivLevel* Level) { KivUpdateVars(FVars, Level); }

void TKivPage::UpdateDataLevel(TKivLevel* Level)
{
    UpdateVars(Level);
    for (TKivVar* V : FVars)
        if (V->UpdateLevel() == Level) {
            V->SetUpdateMode(umNeedUpdate);
            V->UpdateData();
        }
}

void TKivPage::ResetDataLevel(TKivLevel* Level)
{
    UpdateVars(Level);
    for (TKivVar* V : FVars)
        if (V->UpdateLevel() == Level) {
            V->SetUpdateMode(umNeedUpdate);
            V->ResetData();
        }
}

void TKivPage::ReverseUpdateDataLevel(TKivLevel* Level) { KivReverseUpdateDataLevel(FVars, Level); }

void TKivPage::ResetTotalLevel(TKivLevel* Level) { KivResetTotalLevel(FTotalVars, Level); }

void TKivPage::UpdateData() { KivUpdateAllData(FVars); }

void TKivPage::AddUpdateBand(TKivBand* Band)
{
    FRun->UpdateBandLevelList.push_back(Band->UpdateLevel());
    UpdateDataLevel(Band->UpdateLevel());
}

// ---- Preparing and starting a pass ---------------------------------------------------------------

void TKivPage::PageStart()
{
    FSaveUnits = FPageSetup->Units();
    FPageSetup->SetUnits(unitInches);
}

bool TKivPage::InitReport()
{
    // Each pass starts from a fresh state; the band lists of the run (built by its first pass) and
    // the figures of the pass before carry over.
    auto Pass = std::make_unique<TKivPageRun>();
    Pass->Figures = FRun->Figures;
    Pass->BandLists = std::move(FRun->BandLists);
    FRun = std::move(Pass);
    TKivPageRun& R = *FRun;
    if (FOutputType == otRichText)
        R.Sink = KivRtfSink(FRtfFileName.empty() ? String("QorRtf.rtf") : FRtfFileName, FPageSetup.get());
    for (TKivBand* B : FBands)
        B->SetContinued(false);
    R.Figures.AbortPrinting = false;
    OrderBands();
    FPageSetup->SetUnits(unitInches);
    if (!R.BandLists) {
        R.BandLists = std::make_unique<TKivBandLists>();
        MakeList();
    }
    if (FPageFoot)
        for (TKivBand* B : ListOf(FPageFoot))
            if (B->PrintVisible())
                R.PFHeight += B->Height();
    Position(0, 0);
    for (std::size_t I = 0; I < FLevels.size(); ++I)
        FLevels[I]->SetLevel(static_cast<Integer>(I));
    auto StartVars = [this, &R](bool DataVars) {
        for (TKivVar* V : FVars)
            if ((dynamic_cast<TKivDBVar*>(V) || dynamic_cast<TKivTotalvar*>(V)) == DataVars) {
                if (!R.Figures.DataIsFinished)
                    V->SetRunning(true);
                V->Initialize();
            }
    };
    StartVars(false);
    DataStart();
    StartVars(true);
    if (!R.Figures.DataIsFinished)
        return true;
    bool Result = true;
    if (FNoDataQuit) {
        R.Printing = false;
        Result = false;
    }
    if (OnNoData) {
        try {
            OnNoData(this);
        } catch (...) {
            Application()->HandleException(this);
            R.Printing = false;
            Result = false;
        }
    }
    return Result;
}

void TKivPage::BeginDoc()
{
    TKivPageRun& R = *FRun;
    R.Figures.PercentDone = 0;
    R.PgNum = 1;
    R.Figures.PageNumber = 1;
    R.Figures.PagesPrinted = 0;
    if (FOutputType == otNormal && FPrintTo) {
        FPrintTo->SetCreateFile(FPageSetup->Destination() == destFile);
        FPrintTo->SetFileName(FQorFileName);
        FPrintTo->SetDescription(FDescription);
        FPrintTo->BeginDoc();
        R.Canvas = FPrintTo->QorCanvas();
        if (FPrintTo->Destination() == qdQorFile)
            Preview();
        else if (FPrintTo->Destination() == qdNoWhere)
            R.Figures.PageCount = 0;
    }
    UpdateStatus(ssBegin);
}

void TKivPage::Preview()
{
    if (FPageSetup->Destination() != destScreen)
        return;
    if (OnPreview) {
        OnPreview(this);
        return;
    }
    if (CustomPreview) {
        CustomPreview(this);
        return;
    }
    TKivPreviewSettings* PS = FPageSetup->PreviewSettings();
    const bool Designing = ComponentState().Contains(csDesigning);
    TComponent* ViewerOwner = Designing || PS->PreviewOwner() != TKivPreviewOwner::poFormOwned ? Application()
                                                                                               : Owner();
    auto* Viewer = new TQorViewer(ViewerOwner);
    FRun->Viewer = Viewer;
    switch (PS->FormStyle()) {
    case pfsNormal: Viewer->SetFormStyle(fsNormal); break;
    case pfsMDIChild: Viewer->SetFormStyle(Designing ? fsNormal : fsMDIChild); break;
    case pfsStayOnTop: Viewer->SetFormStyle(fsStayOnTop); break;
    case pfsDefault: break;
    }
    Viewer->SetWindowState(PS->WindowState());
    Viewer->SetZoom(PS->Zoom());
    Viewer->SetQorFile(FPrintTo->QorFile());
    Viewer->OnAbort.Bind(this, &TKivPage::AbortGeneration, "AbortGeneration");
    Viewer->SetGenerating(true);
    if (PS->ModalPreview() != mpModal)
        Viewer->Show();
}

void TKivPage::AbortGeneration(TObject*)
{
    TKivPageRun& R = *FRun;
    R.Figures.AbortPrinting = true;
    // The application's status handlers stay assigned for later runs; this pass stops telling them.
    R.StatusMuted = true;
    if (FPageSetup->Destination() == destScreen && FPrintTo) {
        FPrintTo->EndDoc();
        if (R.Viewer)
            R.Viewer->TakeQorFile(FPrintTo->DetachQorFile());
        FPrintTo->SetDestination(qdNoWhere);
        R.Canvas = FPrintTo->QorCanvas();
    }
    if (R.Viewer) {
        R.Viewer->OnAbort = nullptr;
        R.Viewer = nullptr;
    }
}

// ---- Status --------------------------------------------------------------------------------------

void TKivPage::UpdateStatus(TKivStatus Status)
{
    const TKivPageRun& R = *FRun;
    if (FReport)
        FReport->UpdateStatus(R.Figures.PageNumber);
    if (R.Viewer)
        R.Viewer->UpdatePage();
    if (FStatusForm)
        FStatusForm->UpdateStatus(this, Status);
    if (R.StatusMuted)
        return;
    try {
        if (OnUpdateStatus) {
            TKivStatus Told = Status;
            if ((Status == ssPrinting || Status == ssNoWhere) && FPrintTo && FPrintTo->Destination() == qdNoWhere)
                Told = ssNoWhere;
            OnUpdateStatus(this, Told);
        }
        if (OnUpdate)
            OnUpdate(this);
    } catch (...) {
        Application()->HandleException(this);
    }
}

// ---- The page's data -----------------------------------------------------------------------------

bool TKivPage::DoOnDataFilter()
{
    if (!OnDataFilter)
        return true;
    bool Accept = false;
    OnDataFilter(this, Accept);
    return Accept;
}

void TKivPage::DoAfterDataSkip()
{
    if (OnAfterDataSkip)
        KivReportAndGoOn(this, [this] { OnAfterDataSkip(this); });
}

void TKivPage::DataStart()
{
    TKivRunFigures& F = FRun->Figures;
    F.Skipped = 0;
    F.Records = 0;
    F.DataIsFinished = false;
    try {
        TDataSet* DS = DataSet();
        if (FDataRange == drAllRecords && !DS && !OnDataStart) {
            F.DataIsFinished = true;
            throw Exception(LoadStr(SKivNoDataSource));
        }
        if (OnDataStart)
            OnDataStart(this);
        if (DS && !OnDataStart) {
            FDataSourceManager->RequireDataSource(FDataSource);
            if (FDataRange == drAllRecords) {
                if (!FNoRecordCount)
                    F.Records = IsQueryClass(DS) && !DS->Active()
                                    ? 0
                                    : std::max<Integer>(0, DS->RecordCount()); // -1: unknown
                DS->First();
                if (DS->Eof())
                    F.DataIsFinished = true;
            }
        }
        if (F.DataIsFinished)
            return;
        if (FDataRange == drSingleRecord) {
            F.Skipped = 1;
            F.Records = 1;
            F.DataIsFinished = !DoOnDataFilter();
            if (!F.DataIsFinished)
                DoAfterDataSkip();
        } else if (DoOnDataFilter()) {
            DoAfterDataSkip();
        } else {
            DataSkip();
        }
    } catch (...) {
        F.DataIsFinished = true;
        Application()->HandleException(this);
    }
}

void TKivPage::DoSkip()
{
    TKivRunFigures& F = FRun->Figures;
    if (OnDataSkip) {
        OnDataSkip(this);
    } else if (TDataSet* DS = DataSet()) {
        DS->Next();
        if (DS->Eof())
            F.DataIsFinished = true;
    } else {
        F.DataIsFinished = true;
    }
    ++F.Skipped;
}

void TKivPage::DataSkip()
{
    TKivRunFigures& F = FRun->Figures;
    if (FDataRange == drSingleRecord) {
        F.DataIsFinished = true;
    } else {
        try {
            DoSkip();
            while (!F.DataIsFinished && !DoOnDataFilter())
                DoSkip();
            if (!F.DataIsFinished)
                DoAfterDataSkip();
        } catch (...) {
            Application()->HandleException(this);
        }
    }
    KivPumpMessages();
    if (F.Records > 0) {
        F.PercentDone = static_cast<Double>(F.Skipped) / F.Records * 100.0;
        if (F.PercentDone >= 100.0)
            F.PercentDone = 99.0;
    }
}

void TKivPage::DataFinish()
{
    FRun->Figures.Skipped = FRun->Figures.Records;
    KivReportAndGoOn(this, [this] {
        if (OnDataFinish)
            OnDataFinish(this);
        else if (TDataSet* DS = DataSet(); DS && FCloseDataSet)
            DS->Close();
    });
}

// ---- Ending --------------------------------------------------------------------------------------

void TKivPage::ReleaseViewer(bool Finished)
{
    TQorViewer* Viewer = std::exchange(FRun->Viewer, nullptr);
    if (!Viewer)
        return;
    Viewer->OnAbort = nullptr;
    Viewer->SetGenerating(false);
    if (!Finished) {
        // A cancelled pass: the page file the viewer shows stays with the job, which frees it.
        Free(Viewer);
        return;
    }
    if (FPrintTo && FPrintTo->QorFile())
        Viewer->TakeQorFile(FPrintTo->DetachQorFile());
    Viewer->UpdatePage();
    if (FPageSetup->PreviewSettings()->ModalPreview() == mpModal) {
        try {
            Viewer->ShowModal();
        } catch (...) {
            Free(Viewer);
            throw;
        }
        Free(Viewer);
    }
}

void TKivPage::DropViewer() { ReleaseViewer(false); }

void TKivPage::PrintingStatus(TObject* Sender)
{
    TKivRunFigures& F = FRun->Figures;
    auto* P = static_cast<TQorPrinter*>(Sender);
    if (F.AbortPrinting)
        P->SetStopPrinting(true);
    if (FReport && FReport->CancelPrintJob())
        P->SetAbortPrinting(true);
    F.PageNumber = P->PageNumber();
    F.PercentDone = F.PageCount == 0 ? 0.0 : static_cast<Double>(F.PageNumber) / F.PageCount * 100.0;
    UpdateStatus(ssPrinting);
}

void TKivPage::EndDocOutput()
{
    FPrintTo->EndPage();
    FPrintTo->EndDoc();
    const TKivDestination Dest = FPageSetup->Destination();
    if (FPrintTo->Destination() == qdNoWhere)
        return;
    if (Dest == destPrinter) {
        TKivRunFigures& F = FRun->Figures;
        F.AbortPrinting = false;
        F.PageNumber = 1;
        F.PercentDone = 0;
        std::unique_ptr<TQorQorFile> File = FPrintTo->DetachQorFile();
        TQorPrinter Printer;
        Printer.OnStatus.Bind(this, &TKivPage::PrintingStatus, "PrintingStatus");
        Printer.SetPrintFileName(FPrintFileName);
        if (File)
            Printer.LoadPages(File.get(), 1, File->PageCount());
        if (!Printer.ExceptionText().empty() && FReport)
            FReport->SetExceptionText(Printer.ExceptionText());
    } else if (Dest == destFile) {
        FPrintTo->DetachQorFile(); // written by the job's document end
    }
}

void TKivPage::EndDoc()
{
    TKivPageRun& R = *FRun;
    R.Figures.PageCount = R.Figures.PageNumber;
    R.Figures.PercentDone = 100;
    if (FOutputType == otRichText || !FPrintTo)
        return;
    // Whatever the ending raises (file write, printer, playback), the page lets go of the output's
    // canvas and a viewer, so the report can still end the run.
    try {
        EndDocOutput();
    } catch (...) {
        R.Canvas = nullptr;
        ReleaseViewer(false);
        FPrintTo->DetachQorFile();
        throw;
    }
    R.Canvas = nullptr;
    ReleaseViewer(true);
}

void TKivPage::PageEnd()
{
    UpdateStatus(ssEnd);
    FRun->StatusMuted = false;
    FPageSetup->SetUnits(FSaveUnits);
}

void TKivPage::UnInitReport()
{
    DataFinish();
    for (TKivVar* V : FVars)
        V->SetRunning(false);
    // The state of the run goes; the page keeps the figures it leaves.
    auto Idle = std::make_unique<TKivPageRun>();
    Idle->Figures = FRun->Figures;
    const std::unique_ptr<TKivPageRun> Ended = std::exchange(FRun, std::move(Idle));
    // The RTF file is written last, and a failure to write it (a full disk) is the run's failure.
    if (FCloseDataSources)
        FDataSourceManager->CloseDataSources();
    Ended->Sink->Finish();
}

// ---- The state of the pass -----------------------------------------------------------------------

TQorCanvas* TKivPage::Canvas() const { return FRun->Canvas; }
Integer TKivPage::XPos() const { return FRun->XPos; }
Integer TKivPage::YPos() const { return FRun->YPos; }
void TKivPage::SetYPos(Integer Value) { FRun->YPos = Value; }
Integer TKivPage::PageNumber() const { return FRun->Figures.PageNumber; }
Integer TKivPage::PagesPrinted() const { return FRun->Figures.PagesPrinted; }
Integer TKivPage::PageCount() const { return FRun->Figures.PageCount; }
Double TKivPage::PercentDone() const { return FRun->Figures.PercentDone; }
bool TKivPage::AbortPrinting() const { return FRun->Figures.AbortPrinting; }
void TKivPage::SetAbortPrinting(bool Value) { FRun->Figures.AbortPrinting = Value; }
bool TKivPage::Aborted() const { return FRun->Figures.AbortPrinting; }
TQorViewer* TKivPage::QorViewer() const { return FRun->Viewer; }
Integer TKivPage::LastPagePos() const { return FRun->LastPagePos; }
Integer TKivPage::AtGroupLevel() const { return FRun->AtGroupLevel; }
bool TKivPage::DataIsFinished() const { return FRun->Figures.DataIsFinished; }
void TKivPage::SetDataIsFinished(bool Value) { FRun->Figures.DataIsFinished = Value; }
Integer TKivPage::PFHeight() const { return FRun->PFHeight; }
const TKivGroupPageState& TKivPage::GroupPageState() const { return FRun->GroupPageState; }
bool TKivPage::Continuous() const { return FRun->Continuous(); }
Integer TKivPage::Records() const { return FRun->Figures.Records; }
Integer TKivPage::Skipped() const { return FRun->Figures.Skipped; }
TKivRtfFile* TKivPage::Rtf() const { return FRun->Sink->RtfFile(); }
bool TKivPage::Printing() const { return FRun->Printing; }
bool TKivPage::AtPageTop() const { return FRun->YPos <= FRun->LastPagePos; }
bool TKivPage::FirstNewPage() const { return FRun->FirstNewPage; }

// ---- Published properties ------------------------------------------------------------------------

QOR_PUBLISH(TKivPage)
{
    using P = TKivPage;
    b.Property("TwoPass", &P::TwoPass, &P::SetTwoPass).Default(false);
    b.Property("ClipLabels", &P::ClipLabels, &P::SetClipLabels).Default(false);
    b.SubObject("PageSetup", &P::PageSetup);
    b.Property("BorderType", &P::BorderType, &P::SetBorderType).Default(btNone);
    b.Property("OutputType", &P::OutputType, &P::SetOutputType).Default(otNormal);
    b.Event("OnPreview", &P::OnPreview);
    b.Event("OnUpdateStatus", &P::OnUpdateStatus);
    b.Property("QorFileName", &P::QorFileName, &P::SetQorFileName).Default("");
    b.Property("Description", &P::Description, &P::SetDescription).Default("");
    b.Property("CloseDataSet", &P::CloseDataSet, &P::SetCloseDataSet).Default(false);
    b.Property("DataRange", &P::DataRange, &P::SetDataRange).Default(drAllRecords);
    b.Event("OnDataStart", &P::OnDataStart);
    b.Event("OnDataSkip", &P::OnDataSkip);
    b.Event("OnDataFinish", &P::OnDataFinish);
    b.Event("OnDataFilter", &P::OnDataFilter);
    b.Property("OmitLastPgFt", &P::OmitLastPgFt, &P::SetOmitLastPgFt).Default(false);
    b.Property("Head", &P::Head, &P::SetHead).Default(nullptr);
    b.Property("Detail", &P::Detail, &P::SetDetail).Default(nullptr);
    b.Property("Foot", &P::Foot, &P::SetFoot).Default(nullptr);
    b.Property("PageHead", &P::PageHead, &P::SetPageHead).Default(nullptr);
    b.Property("PageFoot", &P::PageFoot, &P::SetPageFoot).Default(nullptr);
    b.Property("RtfFile", &P::RtfFile, &P::SetRtfFile).Default("");
    b.Property("DataSource", &P::DataSource, &P::SetDataSource).Default(nullptr);
    b.Property("CloseDataSources", &P::CloseDataSources, &P::SetCloseDataSources).Default(true);
    b.Property("NoDataQuit", &P::NoDataQuit, &P::SetNoDataQuit).Default(false);
    b.Event("OnNoData", &P::OnNoData);
    b.Property("NoRecordCount", &P::NoRecordCount, &P::SetNoRecordCount).Default(false);
    b.Event("OnNewPage", &P::OnNewPage);
    b.Event("OnBeforeNewPage", &P::OnBeforeNewPage);
    b.Event("OnAfterDataSkip", &P::OnAfterDataSkip);
    b.Property("GroupPageBreaks", &P::GroupPageBreaks, &P::SetGroupPageBreaks).Default(false);
}

QOR_PUBLISH(TKivGrouppage)
{
    // The obsolete data set of older forms (the inspector still shows it): use DataSource.
    b.Property("DataSet", &TKivPage::DataSet, &TKivPage::SetDataSet).Obsolete();
}

} // namespace qor
