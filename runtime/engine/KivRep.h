#pragma once
// The report component: a scroll box on a form that holds a report's pages and runs the report.
// A run is a loop of small steps on the caller's thread: InitReport prepares it (the page setup
// kept, the output job made, the destination asked), each ProcessReport call moves the driven page
// on by one record or ends a pass, and EndReport puts everything back. At design time the box
// hosts the designer object and refuses to be copied to the clipboard.

#include "platform/rtl/Events.h"
#include "platform/ui/Forms.h"
#include "runtime/engine/KivPageIntf.h"

#include <memory>
#include <vector>

namespace qor {

class TKivPage;
class TKivPageSetup;
class TKivRptDsgn;
class TQorOutput;

enum TKivVersion : Byte { vQor1_0 };
QOR_ENUM_NAMES(TKivVersion, "vQor1_0");

// (the page the run drives, Result): Result starts false; true lets the run go on.
using TKivPromptPrintEvent = TEvent<TKivPage*, bool&>;

// The window message a report posts itself when placed at design time: it gets its first page.
constexpr UINT KIV_CREATEPAGE = WM_USER + 3;
// Sent to a report after a copy at design time: a copied report is taken off the clipboard.
constexpr UINT KIV_NOCOPYREPORT = WM_USER + 14;

class TKivReport : public TScrollBox, public IKivReport, public IKivRunReport {
    QOR_CLASS(TKivReport, TScrollBox)
public:
    explicit TKivReport(TComponent* AOwner);
    ~TKivReport() override;
    // At design time, a deletion OkDelete does not allow asks first; any answer but Yes keeps the
    // report (silent abort).
    void BeforeDestruction() override;

    // Makes the page ToolAddPage adds, owned by Owner. The default makes a group page by its
    // class name, so the report needs nothing of the page's unit; tests may replace it.
    using TKivPageFactory = TWinControl* (*)(TComponent* Owner);
    static TKivPageFactory PageFactory;

    // ---- Running ---------------------------------------------------------------------------
    // Runs the report to its end; an error left by the printer replay, or an exception that ended
    // a pass, reaches the caller once the run has ended.
    void Run() override;
    // Stops the driven page's data loop; the pass ends with what was made and the run ends.
    void AbortReport() override;
    // Asks where the run goes: OnPromptPrint, else CustomPrompt, else the destination dialog.
    virtual bool PromptPrint(IKivRunPage* Page);
    // OnBeforePrint / OnAfterPrint around each pass; their exceptions are shown and the run goes on.
    virtual void BeforePrint();
    virtual void AfterPrint();
    bool Printing() const { return FPrinting; }
    Integer Pass() const { return FPass; }
    Integer PassCount() const { return FPassCount; }
    // The output job of the run under way (null between runs and for RTF output).
    TQorOutput* PrintTo() const { return FPrintTo.get(); }

    // ---- Pages -----------------------------------------------------------------------------
    Integer PageCount() const { return static_cast<Integer>(FPages.size()); }
    IKivRunPage* Pages(Integer Index) const { return FPages.at(static_cast<std::size_t>(Index)); }
    // The page inserted last; null once it has left.
    IKivRunPage* Page() const { return FPage; }
    // Adds a new group page to the report (design time).
    void ToolAddPage(TObject* Sender);

    // ---- Properties ------------------------------------------------------------------------
    bool Prompt() const { return FPrompt; }
    void SetPrompt(bool Value) override { FPrompt = Value; }
    bool AutoRun() const { return FAutoRun; }
    void SetAutoRun(bool Value) { FAutoRun = Value; }
    bool SuppressStatus() const { return FSuppressStatus; }
    void SetSuppressStatus(bool Value) { FSuppressStatus = Value; }
    bool Minimized() const { return FMinimized; }
    // Collapses the design-time box to 82 x 44 at (MLeft, MTop), or restores its bounds and alignment.
    void SetMinimized(bool Value);
    bool DesignPreview() const { return FDesignPreview; }
    void SetDesignPreview(bool Value) { FDesignPreview = Value; }
    Integer PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(Integer Value);
    TKivVersion Version() const { return FVersion; }
    Integer STop() const { return FSTop; }
    Integer SLeft() const { return FSLeft; }
    Integer SWidth() const { return FSWidth; }
    Integer SHeight() const { return FSHeight; }
    Integer MTop() const { return FMTop; }
    void SetMTop(Integer Value) { FMTop = Value; }
    Integer MLeft() const { return FMLeft; }
    void SetMLeft(Integer Value) { FMLeft = Value; }
    TAlign SAlign() const { return FSAlign; }
    // True when not designing, while being destroyed, or without a parent.
    bool OkDelete() const;
    const String& ExceptionText() const { return FExceptionText; }
    void SetRepDesign(TKivRptDsgn* Value) { FRepDesign = Value; }

    TKivPromptPrintEvent OnPromptPrint;
    TNotifyEvent OnBeforePrint;
    TNotifyEvent OnAfterPrint;

    // ---- What pages ask (IKivReport) ---------------------------------------------------
    IKivPage* FirstPage() const override;
    void InsertPage(IKivRunPage* Page) override;
    void RemovePage(IKivRunPage* Page) override;
    Integer ReportPixelsPerInch() const override { return FPixelsPerInch; }
    // Pumps messages once unless SuppressStatus.
    void UpdateStatus(Integer PageNumber) override;
    bool CancelPrintJob() const override { return FCancelPrintJob; }
    void SetExceptionText(const String& Text) override { FExceptionText = Text; }
    TKivRptDsgn* RepDesign() const override { return FRepDesign; }
    // Fits the current page into the box again; at design time the designer's buttons follow.
    void PositionButtons() override;

    // ---- What the status window and the report button ask (IKivRunReport) --------------
    void SetCancelPrintJob(bool Value) override { FCancelPrintJob = Value; }
    TKivPageSetup* RunPageSetup() override;
    void SetRunDataRange(TKivDataRange Value) override;

    // ---- Component and design time ---------------------------------------------------------
    void SetParent(TWinControl* AParent) override;
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // Scales with its form only at design time: a running report keeps its pixel geometry.
    void ChangeScale(Integer M, Integer D) override;
    void Loaded() override;
    void DefineProperties(TFiler& Filer) override;
    // Invalidates at design time only.
    void Redraw();

    // Message handlers.
    void KivCreatePage(TMessage& M);
    void NoCopyReport(TMessage& M);
    void CMVisibleChanged(TMessage& M);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool Designing() const;
    // The steps of a run.
    bool InitReport();
    // Step 3 to 10 of the start: printer, output job, prompt, page setup into the job.
    bool PrepareRun();
    void Process();
    void ProcessReport();
    // The printer's settings into the page setup; a custom paper keeps its own size.
    static void TakePrinterSettings(TKivPageSetup* Setup);
    // The end of a pass: the page's report end, its document delivered or discarded, PageEnd.
    void EndPass();
    // PageEnd when the pass had started its page, and the page's own status handler back.
    void EndPageOfPass();
    // Ends the run after a failure: the pass's page end, then EndReport.
    void AbandonRun();
    // A cancelled pass: the output job is aborted and an open viewer lets the page file go.
    void DiscardPass();
    void EndReport();
    // Shows the status window of a pass when the destination calls for one.
    void ShowStatus();
    bool WantsStatus() const;
    // Loading or reading a form file.
    bool Reading() const;
    void HideScrollBars();

    TKivRptDsgn* FRepDesign = nullptr;
    std::vector<IKivRunPage*> FPages;
    // Each page as a component, kept so a page that is going away can be recognised safely.
    std::vector<TComponent*> FPageControls;
    IKivRunPage* FPage = nullptr;
    bool FPrompt = true;
    Integer FPixelsPerInch;
    bool FAutoRun = false;
    Integer FSTop = 0;
    Integer FSLeft = 0;
    Integer FSWidth = 800;
    Integer FSHeight = 400;
    Integer FMTop = 0;
    Integer FMLeft = 0;
    TAlign FSAlign = alNone;
    bool FMinimized = false;
    TKivVersion FVersion = vQor1_0;
    bool FCancelPrintJob = false;
    bool FDesignPreview = false;
    bool FSuppressStatus = false;
    bool FPrinting = false;
    // The page the run drives (the first page at the start); the setup kept is restored into it.
    IKivRunPage* FGroupPage = nullptr;
    bool FSavePrompt = true;
    bool FPromptSaved = false;
    std::unique_ptr<TKivPageSetup> FSaveSetup;
    std::unique_ptr<TQorOutput> FPrintTo;
    Integer FPassCount = 1;
    Integer FPass = 0;
    // AbortReport asked the run to stop: no further pass starts.
    bool FStopRequested = false;
    // The pass under way has called the page's PageStart.
    bool FPageStarted = false;
    // The pass under way told its page about a status window.
    bool FStatusShown = false;
    String FExceptionText;
    bool FQorDestroying = false;
};

// Root itself when it is a report, else the first report among its components (a form file's).
TKivReport* KivFindReport(TComponent* Root);

} // namespace qor
