#include "runtime/engine/KivRep.h"

#include "platform/graphics/Screen.h"
#include "platform/printing/Printers.h"
#include "platform/rtl/ClassRegistry.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "platform/ui/Clipboard.h"
#include "runtime/engine/KivDest.h"
#include "runtime/engine/KivRptDsgn.h"
#include "runtime/engine/KivStat.h"
#include "runtime/engine/KivStrIds.h"
#include "runtime/engine/KivUtil.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorOut.h"
#include "runtime/output/QorPSet.h"
#include "runtime/output/QorSetup.h"

#include <algorithm>
#include <array>
#include <exception>
#include <functional>
#include <initializer_list>
#include <utility>

namespace qor {

QOR_MESSAGE(KIV_CREATEPAGE, &TKivReport::KivCreatePage);
QOR_MESSAGE(KIV_NOCOPYREPORT, &TKivReport::NoCopyReport);
QOR_MESSAGE(CM_VISIBLECHANGED, &TKivReport::CMVisibleChanged);

namespace {

// The box of a minimised report at design time.
constexpr Integer MinimizedWidth = 82;
constexpr Integer MinimizedHeight = 44;

TWinControl* NewGroupPage(TComponent* Owner)
{
    TComponent* Page = CreateComponent("TKivGrouppage", Owner);
    if (auto* Control = dynamic_cast<TWinControl*>(Page))
        return Control;
    Free(Page);
    throw EComponentError("TKivGrouppage is not a page");
}

// Runs every step even when one throws; the first exception goes on once all of them have run.
void RunEvery(std::initializer_list<std::function<void()>> Steps)
{
    std::exception_ptr First;
    for (const auto& Step : Steps) {
        try {
            Step();
        } catch (...) {
            if (!First)
                First = std::current_exception();
        }
    }
    if (First)
        std::rethrow_exception(First);
}

} // namespace

TKivReport::TKivPageFactory TKivReport::PageFactory = &NewGroupPage;

TKivReport::TKivReport(TComponent* AOwner) : TScrollBox(AOwner), FPixelsPerInch(ScreenPixelsPerInch())
{
    TScrollBox::SetBounds(Left(), Top(), 400, 200);
    if (Designing()) {
        HorzScrollBar()->SetVisible(false);
        VertScrollBar()->SetVisible(false);
        if (KivDesignCreate)
            KivDesignCreate(this);
    }
    SetVisible(false);
}

TKivReport::~TKivReport()
{
    FQorDestroying = true;
    // The pages are freed with the report's window; they no longer tell this report.
    for (IKivRunPage* P : FPages)
        P->SetReport(nullptr);
    FPages.clear();
    FPageControls.clear();
    FPage = nullptr;
}

bool TKivReport::Designing() const { return ComponentState().Contains(csDesigning); }

bool TKivReport::OkDelete() const { return !Designing() || ComponentState().Contains(csDestroying) || !Parent(); }

void TKivReport::BeforeDestruction()
{
    if (!OkDelete() &&
        Application()->MessageBox(LoadStr(SKivDeleteReport), LoadStr(SKivDeleteReportCaption), MB_YESNO) != IDYES)
        Abort();
    TScrollBox::BeforeDestruction();
}

// ---- Pages ---------------------------------------------------------------------------------------

IKivPage* TKivReport::FirstPage() const { return FPages.empty() ? nullptr : dynamic_cast<IKivPage*>(FPages.front()); }

void TKivReport::InsertPage(IKivRunPage* Page)
{
    if (std::find(FPages.begin(), FPages.end(), Page) == FPages.end()) {
        FPages.push_back(Page);
        FPageControls.push_back(nullptr);
        KivSetReference<TComponent>(this, FPageControls.back(), Page->RunPageControl());
    }
    Page->SetReport(this);
    FPage = Page;
}

void TKivReport::RemovePage(IKivRunPage* Page)
{
    // The page may be going away: only what the report kept of it is used.
    auto It = std::find(FPages.begin(), FPages.end(), Page);
    if (It != FPages.end()) {
        const auto Index = It - FPages.begin();
        KivSetReference<TComponent>(this, FPageControls[static_cast<std::size_t>(Index)], nullptr);
        FPages.erase(It);
        FPageControls.erase(FPageControls.begin() + Index);
    }
    if (FPage == Page)
        FPage = nullptr;
    if (FGroupPage == Page)
        FGroupPage = nullptr;
}

void TKivReport::Notification(TComponent* AComponent, TOperation Operation)
{
    TScrollBox::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    auto It = std::find(FPageControls.begin(), FPageControls.end(), AComponent);
    if (It != FPageControls.end())
        RemovePage(FPages[static_cast<std::size_t>(It - FPageControls.begin())]);
}

void TKivReport::ToolAddPage(TObject*)
{
    TWinControl* NewPage = PageFactory(Owner());
    NewPage->SetParent(this);
    KivAutoSetComponentName(NewPage, "ReportPage", false);
    NewPage->SetText(" ");
    if (auto* P = dynamic_cast<IKivRunPage*>(NewPage))
        P->SetOrder(PageCount());
}

TKivPageSetup* TKivReport::RunPageSetup() { return FPages.empty() ? nullptr : FPages.front()->PageSetup(); }

void TKivReport::SetRunDataRange(TKivDataRange Value)
{
    if (!FPages.empty())
        FPages.front()->SetDataRange(Value);
}

// ---- Running -------------------------------------------------------------------------------------

void TKivReport::Run()
{
    // A run started from the message pump of a run under way does nothing, not even clear the
    // error text the first run may still have to raise.
    if (FPrinting)
        return;
    FExceptionText.clear();
    if (InitReport()) {
        while (FPrinting) {
            ProcessReport();
            if (!FExceptionText.empty())
                Application()->ProcessMessages();
        }
    }
    if (!FExceptionText.empty())
        throw Exception(FExceptionText);
}

void TKivReport::ChangeScale(Integer M, Integer D)
{
    if (Designing())
        TScrollBox::ChangeScale(M, D);
}

void TKivReport::AbortReport()
{
    if (!FPrinting || !FGroupPage)
        return;
    FGroupPage->SetAbortPrinting(true);
    FStopRequested = true;
}

bool TKivReport::InitReport()
{
    if (FPrinting)
        return false;
    FPrinting = true;
    try {
        return PrepareRun();
    } catch (...) {
        EndReport();
        throw;
    }
}

bool TKivReport::PrepareRun()
{
    if (FPages.empty())
        throw Exception("The report has no page to run.");
    FGroupPage = FPages.front();
    FPrintTo.reset();
    FPass = 0;
    FStopRequested = false;
    FSaveSetup = std::make_unique<TKivPageSetup>();
    TKivPageSetup* Setup = FGroupPage->PageSetup();
    FSaveSetup->Assign(Setup);
    FPassCount = FGroupPage->TwoPass() ? 2 : 1;

    if (Designing()) {
        if (!Printer()->Printing())
            Setup->LoadSettings();
        FSavePrompt = FPrompt;
        FPromptSaved = true;
        FPrompt = !FDesignPreview;
        if (FDesignPreview)
            Setup->SetDestination(destScreen);
    }
    if (Printer()->Printing())
        throw Exception(LoadStr(SKivPrinterBusy));
    if (FGroupPage->OutputType() == otNormal) {
        try {
            FPrintTo = std::make_unique<TQorOutput>();
        } catch (...) {
            throw Exception(LoadStr(SKivCouldNotRun));
        }
        FPrintTo->SetPixelsPerInchX(FPixelsPerInch);
        FPrintTo->SetPixelsPerInchY(FPixelsPerInch);
    }
    QorResetPrinter();
    Setup->LoadSettings();

    const bool Result = FPrompt ? PromptPrint(FGroupPage) : true;
    TakePrinterSettings(Setup);
    if (FPrintTo) {
        Setup->GetQorPrinterSetup(*FPrintTo->QorPrinterSetup());
        FPrintTo->QorPrinterSetup()->SetData();
    }
    if (FGroupPage->OutputType() == otRichText)
        FPassCount = 1;
    if (!Result)
        EndReport();
    return Result;
}

void TKivReport::TakePrinterSettings(TKivPageSetup* Setup)
{
    // A custom paper is the page's own: the printer only knows a size near it.
    const bool Custom = Setup->Size() == psCustom;
    const Double KeepHeight = Setup->Height();
    const Double KeepWidth = Setup->Width();
    Setup->CopySettings();
    if (Custom) {
        Setup->SetSize(psCustom);
        Setup->SetHeight(KeepHeight);
        Setup->SetWidth(KeepWidth);
    }
}

bool TKivReport::PromptPrint(IKivRunPage* Page)
{
    if (OnPromptPrint)
        return KivAskOrRefuse([&](bool& Result) { OnPromptPrint(Page->AsPage(), Result); });
    if (CustomPrompt)
        return KivAskOrRefuse([&](bool& Result) { CustomPrompt(Page->AsPage(), Result); });
    std::unique_ptr<TKivReportDestination> Dialog(Create<TKivReportDestination>(Application()));
    Dialog->PageSetup = Page->PageSetup();
    return Dialog->ShowModal() == mrOk;
}

void TKivReport::BeforePrint()
{
    if (OnBeforePrint)
        KivReportAndGoOn(this, [this] { OnBeforePrint(this); });
}

void TKivReport::AfterPrint()
{
    if (OnAfterPrint)
        KivReportAndGoOn(this, [this] { OnAfterPrint(this); });
}

void TKivReport::UpdateStatus(Integer)
{
    if (!FSuppressStatus)
        Application()->ProcessMessages();
}

bool TKivReport::WantsStatus() const
{
    const TKivPageSetup* Setup = FGroupPage->PageSetup();
    const TKivDestination Dest = Setup->Destination();
    return FGroupPage->OutputType() == otRichText || Dest == destPrinter || Dest == destFile ||
           (Dest == destScreen && Setup->PreviewSettings()->ModalPreview() == mpModal) ||
           (FGroupPage->TwoPass() && FPass == 1);
}

void TKivReport::ShowStatus()
{
    if (FSuppressStatus || !WantsStatus())
        return;
    if (CustomStatus) {
        CustomStatus(FGroupPage->AsPage());
        return;
    }
    // The window of the pass before closed at its end; it goes now, before its successor comes.
    Application()->ProcessMessages();
    auto* Status = Create<TFormPrintStatus>(Application());
    Status->Report = this;
    FGroupPage->SetUpdateStatusTo(Status);
    FStatusShown = true;
    Status->Show();
    Application()->ProcessMessages();
}

void TKivReport::Process()
{
    ++FPass;
    BeforePrint();
    ShowStatus();
    FGroupPage->SetPrintTo(FPrintTo.get());
    FGroupPage->PageStart();
    FPageStarted = true;
    FCancelPrintJob = false;
    if (FPrintTo)
        // A counting pass draws nowhere; every other pass records a page file, which the page
        // prints, shows or saves at its end.
        FPrintTo->SetDestination(FPassCount == 2 && FPass == 1 ? qdNoWhere : qdQorFile);
    if (FGroupPage->InitReport()) {
        FGroupPage->BeginDoc();
        FGroupPage->StartReport();
    } else {
        // No data, and the page asked to quit.
        EndPageOfPass();
        AfterPrint();
        EndReport();
    }
}

void TKivReport::ProcessReport()
{
    if (!FPrinting)
        return;
    if (!FGroupPage) {
        EndReport();
        return;
    }
    if (FGroupPage->Printing()) {
        try {
            FGroupPage->Process();
        } catch (...) {
            // A failed record ends the run quietly.
            AbandonRun();
        }
        return;
    }
    try {
        if (FPass > 0)
            EndPass();
        if (FPass < FPassCount)
            Process();
        else
            EndReport();
    } catch (...) {
        // Ending a pass or starting one failed: the run ends first, then the caller hears of it.
        AbandonRun();
        throw;
    }
}

void TKivReport::EndPass()
{
    FGroupPage->EndReport();
    if (FCancelPrintJob && FPrintTo)
        DiscardPass();
    else
        FGroupPage->EndDoc();
    EndPageOfPass();
    // A cancelled job, or a stop during the counting pass, starts no further pass.
    if (FCancelPrintJob || FStopRequested)
        FPass = 2;
    AfterPrint();
}

void TKivReport::DiscardPass()
{
    FPrintTo->Abort();
    if (FGroupPage->HasViewer())
        FGroupPage->DropViewer();
}

void TKivReport::EndPageOfPass()
{
    RunEvery({[this] {
                  if (FPageStarted) {
                      FPageStarted = false;
                      FGroupPage->PageEnd();
                  }
              },
              [this] {
                  // The page goes back to the status handler the application gave it.
                  if (FStatusShown) {
                      FStatusShown = false;
                      FGroupPage->SetUpdateStatusTo(nullptr);
                  }
              }});
}

void TKivReport::AbandonRun()
{
    if (FGroupPage) {
        try {
            EndPageOfPass();
        } catch (...) {
            // the run ends all the same; the first failure is the one the caller hears of
        }
    }
    EndReport();
}

void TKivReport::EndReport()
{
    // Ended once: a failure while ending does not end it a second time.
    if (!FPrinting)
        return;
    IKivRunPage* Page = FGroupPage;
    try {
        RunEvery({[&] {
                      if (FSaveSetup && Page)
                          Page->PageSetup()->Assign(FSaveSetup.get());
                      FSaveSetup.reset();
                  },
                  [&] {
                      if (FPromptSaved && Designing())
                          FPrompt = FSavePrompt;
                      FPromptSaved = false;
                  },
                  [&] {
                      if (Page)
                          Page->UnInitReport();
                  },
                  [&] {
                      if (Page)
                          Page->SetPrintTo(nullptr);
                      FPrintTo.reset();
                  }});
    } catch (...) {
        FPrinting = false;
        throw;
    }
    FPrinting = false;
}

// ---- Design time ---------------------------------------------------------------------------------

void TKivReport::SetParent(TWinControl* AParent)
{
    TScrollBox::SetParent(AParent);
    if (Designing() && AParent)
        PostMessage(Handle(), KIV_CREATEPAGE);
}

void TKivReport::KivCreatePage(TMessage&)
{
    if (FPages.empty())
        ToolAddPage(this);
}

void TKivReport::NoCopyReport(TMessage&)
{
    if (!Clipboard()->HasText())
        return;
    const String Text = Clipboard()->AsText();
    std::size_t Start = 0;
    while (Start <= Text.size()) {
        std::size_t End = Text.find('\n', Start);
        if (End == String::npos)
            End = Text.size();
        const std::string_view Line(Text.data() + Start, End - Start);
        Start = End + 1;
        if (Line.find(": TKivReport") == String::npos || Line.find("object") == String::npos)
            continue;
        // A copied report button may go to the clipboard.
        if (Line.find("TKivReportButton") != String::npos)
            continue;
        Clipboard()->Clear();
        throw Exception("You cannot copy a report.");
    }
}

void TKivReport::CMVisibleChanged(TMessage&)
{
    // The report box itself never shows.
    if (Visible())
        SetVisible(false);
}

void TKivReport::Loaded()
{
    TScrollBox::Loaded();
    if (Designing()) {
        SetPixelsPerInch(ScreenPixelsPerInch());
        if (FRepDesign)
            FRepDesign->SetMinMax();
        Invalidate();
        return;
    }
    if (FPixelsPerInch != Font()->PixelsPerInch() && !ParentFont()) {
        const Integer KeepHeight = Font()->Height();
        Font()->SetPixelsPerInch(FPixelsPerInch);
        Font()->SetHeight(KeepHeight);
        Perform(CM_FONTCHANGED);
    }
    if (FAutoRun)
        Run();
}

void TKivReport::SetPixelsPerInch(Integer Value)
{
    if (Value == FPixelsPerInch)
        return;
    FPixelsPerInch = Value;
    Invalidate();
    if (auto* Current = dynamic_cast<IKivPage*>(FPage))
        Current->Redraw();
    Redraw();
}

void TKivReport::Redraw()
{
    if (Designing())
        Invalidate();
}

bool TKivReport::Reading() const
{
    const TComponentState& S = ComponentState();
    return S.Contains(csLoading) || S.Contains(csReading);
}

void TKivReport::HideScrollBars()
{
    HorzScrollBar()->SetVisible(false);
    VertScrollBar()->SetVisible(false);
}

void TKivReport::SetMinimized(bool Value)
{
    FMinimized = Value;
    if (Reading())
        return;
    if (FRepDesign)
        FRepDesign->SetMinMax();
    if (Value) {
        FSLeft = Left();
        FSTop = Top();
        FSWidth = Width();
        FSHeight = Height();
        FSAlign = Align();
        // Unaligned first, so the parent does not stretch the small box again.
        SetAlign(alNone);
        SetBounds(FMLeft, FMTop, MinimizedWidth, MinimizedHeight);
        HideScrollBars();
        PositionButtons();
    } else {
        SetBounds(FSLeft, FSTop, FSWidth, FSHeight);
        SetAlign(FSAlign);
        HideScrollBars();
    }
    if (FPage)
        FPage->DesignerModified();
    PositionButtons();
}

void TKivReport::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight)
{
    if (Reading()) {
        TScrollBox::SetBounds(ALeft, ATop, AWidth, AHeight);
        return;
    }
    if (FMinimized) {
        TScrollBox::SetBounds(ALeft, ATop, MinimizedWidth, MinimizedHeight);
        FMLeft = Left();
        FMTop = Top();
    } else {
        TScrollBox::SetBounds(ALeft, ATop, AWidth, AHeight);
        FSLeft = Left();
        FSTop = Top();
        FSWidth = Width();
        FSHeight = Height();
    }
    PositionButtons();
}

void TKivReport::PositionButtons()
{
    if (FQorDestroying)
        return;
    if (FPage) {
        // The page fits itself into the report box.
        TWinControl* Control = FPage->RunPageControl();
        Control->SetBounds(Control->Left(), Control->Top(), Control->Width(), Control->Height());
    }
    if (Designing()) {
        if (FRepDesign)
            FRepDesign->RepositionButtons();
        HideScrollBars();
    }
}

// ---- Form files ----------------------------------------------------------------------------------

void TKivReport::DefineProperties(TFiler& Filer)
{
    TScrollBox::DefineProperties(Filer);
    const std::array<std::pair<const char*, Integer TKivReport::*>, 7> Integers{{
        {"PixelsPerInch", &TKivReport::FPixelsPerInch},
        {"STop", &TKivReport::FSTop},
        {"SLeft", &TKivReport::FSLeft},
        {"SWidth", &TKivReport::FSWidth},
        {"SHeight", &TKivReport::FSHeight},
        {"MTop", &TKivReport::FMTop},
        {"MLeft", &TKivReport::FMLeft},
    }};
    for (const auto& Entry : Integers) {
        Integer TKivReport::*const Field = Entry.second;
        Filer.DefineProperty(
            Entry.first, [this, Field](TReader& R) { this->*Field = R.ReadInteger(); },
            [this, Field](TWriter& W) { W.WriteInteger(this->*Field); }, true);
    }
    Filer.DefineProperty(
        "SAlign",
        [this](TReader& R) {
            const String Ident = R.ReadIdent();
            for (TAlign A : {alNone, alTop, alBottom, alLeft, alRight, alClient})
                if (SameText(Ident, EnumName(A)))
                    FSAlign = A;
        },
        [this](TWriter& W) { W.WriteIdent(EnumName(FSAlign)); }, true);
    Filer.DefineProperty(
        "Version",
        [this](TReader& R) {
            if (SameText(R.ReadIdent(), EnumName(vQor1_0)))
                FVersion = vQor1_0;
        },
        [this](TWriter& W) { W.WriteIdent(FVersion == vQor1_0 ? EnumName(vQor1_0) : String()); }, true);
}

QOR_PUBLISH(TKivReport)
{
    using R = TKivReport;
    b.Property("Minimized", &R::Minimized, &R::SetMinimized).Default(false);
    b.Property("Prompt", &R::Prompt, &R::SetPrompt).Default(true);
    b.Property("AutoRun", &R::AutoRun, &R::SetAutoRun).Default(false);
    b.Event("OnPromptPrint", &R::OnPromptPrint);
    b.Event("OnBeforePrint", &R::OnBeforePrint);
    b.Event("OnAfterPrint", &R::OnAfterPrint);
    b.Property("SuppressStatus", &R::SuppressStatus, &R::SetSuppressStatus).Default(false);
}

TKivReport* KivFindReport(TComponent* Root)
{
    if (auto* Report = dynamic_cast<TKivReport*>(Root))
        return Report;
    for (Integer I = 0; Root && I < Root->ComponentCount(); ++I)
        if (auto* Report = dynamic_cast<TKivReport*>(Root->Components(I)))
            return Report;
    return nullptr;
}

} // namespace qor
