#pragma once
// What the parts placed on a report page (levels, variables, totals, data-source guides, rulers)
// ask of the page, and what a ruler container asks of its report. The page and the report
// implement these; parts find them by looking at their parent control.

#include "platform/rtl/Set.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/rtl/Types.h"

#include <vector>

namespace qor {

class TControl;
class TKivBand;
class TKivDSGuide;
class TKivGroup;
class TKivLabel;
class TKivLevel;
class TKivPageSetup;
class TKivVar;
class TQorCanvas;
class TQorDataSourceManager;
class TWinControl;
enum TQorDestination : Byte;

class IKivPage {
public:
    virtual ~IKivPage() = default;

    // A group page (levels of its main bands, data-source guides) rather than a plain page.
    virtual bool IsGroupPage() const = 0;
    // The page is being destroyed.
    virtual bool PageDestroying() const = 0;

    // Levels, in the order the page numbers them.
    virtual void InsertLevel(TKivLevel* Level) = 0;
    virtual void RemoveLevel(TKivLevel* Level) = 0;
    virtual Integer LevelCount() const = 0;
    virtual TKivLevel* Levels(Integer Index) const = 0;
    // The levels as a list, element I being Levels(I), for a page that keeps one; else null.
    virtual const std::vector<TKivLevel*>* LevelsInOrder() const { return nullptr; }

    // Variables (totals are also kept in the page's total list).
    virtual void InsertVar(TKivVar* Var) = 0;
    virtual void RemoveVar(TKivVar* Var) = 0;
    // A variable's type or level changed: the designer's lists follow.
    virtual void VarChanged() = 0;
    // Names changed: the band and group manager refreshes.
    virtual void UpdatePageManager() = 0;
    virtual void PostUpdateVarlist() = 0;
    // Opens and closes the data sets of a run.
    virtual TQorDataSourceManager* DataSourceManager() = 0;

    // Update levels of the main bands (null when the band is missing).
    virtual TKivLevel* DetailLevel() const = 0;
    virtual TKivLevel* HeadLevel() const = 0;
    virtual TKivLevel* PageHeadLevel() const = 0;

    // Data-source guides of a group page.
    virtual void InsertDataSourceGuide(TKivDSGuide* Guide) = 0;
    virtual void RemoveDataSourceGuide(TKivDSGuide* Guide) = 0;
    virtual void Redraw() = 0;

    // Bands in print order, for the rulers; HasBandList false before the page has one.
    virtual bool HasBandList() const = 0;
    virtual Integer BandCount() const = 0;
    virtual TControl* Bands(Integer Index) const = 0;
    // The page draws a border (its BorderStyle is not bsNone).
    virtual bool HasBorder() const = 0;
    // The page as a control.
    virtual TWinControl* PageControl() = 0;
};

class IKivRunPage;
class TKivRptDsgn;

// What a page asks of the report it sits on; only a control with this interface takes pages.
class IKivReport {
public:
    virtual ~IKivReport() = default;
    // The report's first page; null when it has none.
    virtual IKivPage* FirstPage() const = 0;
    // The report's pages: a page joins when it is parented to the report and leaves when it is
    // taken off or destroyed.
    virtual void InsertPage(IKivRunPage* Page) = 0;
    virtual void RemovePage(IKivRunPage* Page) = 0;
    // The resolution the report's pages lay out in.
    virtual Integer ReportPixelsPerInch() const = 0;
    // A page's status changed: pumps the message queue once unless status display is suppressed.
    virtual void UpdateStatus(Integer PageNumber) = 0;
    // The run's output is to be discarded (the status window's "Yes").
    virtual bool CancelPrintJob() const = 0;
    // The error text the run raises once it has ended (left by the printer replay).
    virtual void SetExceptionText(const String& Text) = 0;
    // The designer object of a report being designed; null at run time.
    virtual TKivRptDsgn* RepDesign() const = 0;
    // Lays the page out again inside the report box (design time).
    virtual void PositionButtons() = 0;
};

// What the page is printing, one member per part of a page.
enum TKivGroupPageStateItem : Byte {
    gpsPrintHead,
    gpsPrintPageHead,
    gpsPrintDetail,
    gpsPrintPageFoot,
    gpsPrintFoot,
    gpsPrintRepeats,
    gpsPrintGroupHead,
    gpsPrintGroupFoot,
    gpsPrintOverLays
};
using TKivGroupPageState = TSet<TKivGroupPageStateItem>;

// How far a page's run has got, as it tells its status window.
enum TKivStatus : Byte { ssBegin, ssEnd, ssPrinting, ssNoWhere, ssGenerating };
// A run over every record of the page's data, or over the current one only.
enum TKivDataRange : Byte { drAllRecords, drSingleRecord };
QOR_ENUM_NAMES(TKivDataRange, "drAllRecords", "drSingleRecord");

// Where a page's run goes: through an output job (printer, screen, page file) or into an RTF file.
enum TKivOutputType : Byte { otNormal, otRichText };
QOR_ENUM_NAMES(TKivOutputType, "otNormal", "otRichText");

// What the status window of a run asks of the page it shows.
class IKivStatusPage {
public:
    virtual ~IKivStatusPage() = default;
    virtual Integer PageNumber() const = 0;
    virtual Double PercentDone() const = 0;
    // Stops generating (or printing) after the current page.
    virtual void SetAbortPrinting(bool Value) = 0;
    // The page stops telling the status window (its OnUpdateStatus is cleared).
    virtual void ClearUpdateStatus() = 0;
};

// What the status window and the report button ask of a report.
class IKivRunReport {
public:
    virtual ~IKivRunReport() = default;
    // Discards the output of the run under way.
    virtual void SetCancelPrintJob(bool Value) = 0;
    // Stops the run under way after the current record, keeping what was made; a stop in the
    // counting pass of a two-pass run starts no second pass.
    virtual void AbortReport() = 0;
    virtual void SetPrompt(bool Value) = 0;
    // The page setup and data range of the page the run starts with (null setup: no page).
    virtual TKivPageSetup* RunPageSetup() = 0;
    virtual void SetRunDataRange(TKivDataRange Value) = 0;
    virtual void Run() = 0;
};

class TFormPrintStatus;
class TKivPage;
class TQorOutput;

// What a report asks of the page a run drives, in the order of one pass: PageStart, InitReport,
// BeginDoc, StartReport, Process while Printing, EndReport, EndDoc (or DropViewer on a cancelled
// pass), PageEnd; UnInitReport once the run ends.
class IKivRunPage {
public:
    virtual ~IKivRunPage() = default;
    // The page as a control, and as the page class the hooks of a run are called with.
    virtual TWinControl* RunPageControl() = 0;
    virtual TKivPage* AsPage() = 0;
    // The report the page sits on (set by the report's InsertPage; null when it leaves).
    virtual void SetReport(IKivReport* Report) = 0;

    virtual TKivPageSetup* PageSetup() const = 0;
    // The page's place among the report's pages (1 for the first); names the page after it.
    virtual void SetOrder(Integer Pos) = 0;
    // Tells the designer of the form the page is on that the form changed (design time).
    virtual void DesignerModified() {}
    virtual bool TwoPass() const = 0;
    virtual TKivOutputType OutputType() const = 0;
    virtual void SetDataRange(TKivDataRange Value) = 0;
    // The run's output job (null for RTF output and between runs).
    virtual void SetPrintTo(TQorOutput* Output) = 0;
    virtual TQorOutput* PrintTo() const = 0;
    // Points the page's status updates at the pass's status window: the window hears them first,
    // and the application's own OnUpdateStatus handler stays assigned and keeps hearing them. Null
    // leaves the application's handler as the only one; the report calls it after PageEnd of every
    // pass that showed a window, and it does nothing when no window was set.
    virtual void SetUpdateStatusTo(TFormPrintStatus* Status) = 0;
    // Stops the data loop; the pass then ends with what was generated.
    virtual void SetAbortPrinting(bool Value) = 0;

    // Saves the page setup's units and works in inches.
    virtual void PageStart() = 0;
    // Prepares a pass; false when there is no data and the page asked to quit.
    virtual bool InitReport() = 0;
    virtual void BeginDoc() = 0;
    virtual void StartReport() = 0;
    // The data loop is running.
    virtual bool Printing() const = 0;
    // One record.
    virtual void Process() = 0;
    // Group feet, report foot, last page foot, overlays.
    virtual void EndReport() = 0;
    // Finishes the document: prints, saves or shows it.
    virtual void EndDoc() = 0;
    // A cancelled pass: the open viewer lets go of the page file and is freed.
    virtual bool HasViewer() const = 0;
    virtual void DropViewer() = 0;
    // Reports the end and restores the units.
    virtual void PageEnd() = 0;
    // Ends the run: data finished, variables stopped, lists and RTF writer freed, data sources
    // closed.
    virtual void UnInitReport() = 0;
};

// What a label asks of the band it sits on.
class IKivBand {
public:
    virtual ~IKivBand() = default;
    // The band's list of the labels it prints.
    virtual void InsertLabel(TKivLabel* Label) = 0;
    virtual void RemoveLabel(TKivLabel* Label) = 0;
    // The resolution the band lays its labels out in.
    virtual Integer GetPPI() const = 0;
};

// What a label asks of the page it prints on.
class IKivPrintPage {
public:
    virtual ~IKivPrintPage() = default;
    // The top-left corner of the band being printed, in page coordinates.
    virtual Integer XPos() const = 0;
    virtual Integer YPos() const = 0;
    // The canvas of the run's output job.
    virtual TQorCanvas* OutputCanvas() = 0;
    // Labels of the default clip type clip their text to their rectangle.
    virtual bool ClipLabels() const = 0;
    // The resolution of the page, for RTF tab positions.
    virtual Integer GetPPI() const = 0;
    // A run is under way.
    virtual bool Printing() const = 0;
    // Shows the mouse position on the designer's rulers (nothing without a designer).
    virtual void RulerXY(Integer X, Integer Y) = 0;
};

// What a band asks of the page it sits on; only a control with this interface takes bands.
class IKivBandPage {
public:
    virtual ~IKivBandPage() = default;
    // The page's band list, and its list of the labels on all of its bands.
    virtual void InsertBand(TKivBand* Band) = 0;
    virtual void RemoveBand(TKivBand* Band) = 0;
    virtual void InsertPageLabel(TKivLabel* Label) = 0;
    virtual void RemovePageLabel(TKivLabel* Label) = 0;
    // Sorts the bands by their Order, then lays them out one under the other.
    virtual void OrderBands() = 0;
    virtual void ArrangeBands() = 0;
    // True while ArrangeBands runs (bands moved by it do not ask again).
    virtual bool ArrangingBands() const = 0;
    // At design time, a band's flags or name changed: the designer's view of it follows.
    virtual void BandChanged(TKivBand* Band) { (void)Band; }
    // The printable width in device pixels, and the page setup's left margin in inches.
    virtual Integer PageWidth() const = 0;
    virtual Double LeftMargin() const = 0;
    // The page setup's printable width, in inches.
    virtual Double PrintWidthInches() const = 0;
    // The current page number is inside the print range.
    virtual bool PageInRange() const = 0;
    // The print position is still at the top of a freshly started page.
    virtual bool AtPageTop() const = 0;
    // The run has just started a page for a band (RTF output does not break again).
    virtual bool FirstNewPage() const = 0;
    // Where the run's output goes; qdNoWhere while pages outside the range are laid out.
    virtual TQorDestination OutputDest() const = 0;
    virtual void SetOutputDest(TQorDestination Value) = 0;
};

// What a group asks of the group page it sits on; only a control with this interface takes groups.
class IKivGroupPage {
public:
    virtual ~IKivGroupPage() = default;
    // Only a group page takes groups and the attached band kinds; a plain page refuses them.
    virtual bool TakesGroups() const = 0;
    // The page's group list, outermost first.
    virtual void InsertGroup(TKivGroup* Group) = 0;
    virtual void RemoveGroup(TKivGroup* Group) = 0;
    // The page's lists of the band kinds: sub bands, overlays, sub-data bands, and the data head
    // and foot bands of sub-data bands.
    virtual void InsertSubBand(TKivBand* Band) = 0;
    virtual void RemoveSubBand(TKivBand* Band) = 0;
    virtual void InsertOverLayBand(TKivBand* Band) = 0;
    virtual void RemoveOverLayBand(TKivBand* Band) = 0;
    virtual void InsertSubDataBand(TKivBand* Band) = 0;
    virtual void RemoveSubDataBand(TKivBand* Band) = 0;
    virtual void InsertDataHFBand(TKivBand* Band) = 0;
    virtual void RemoveDataHFBand(TKivBand* Band) = 0;
};

} // namespace qor
