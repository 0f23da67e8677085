#pragma once
// The report page: the container of a report's bands, groups, variables and labels, and at run
// time the engine that lays them out into pages. A run walks the page's data set record by record,
// breaks groups, prints band lists with their attached kinds, starts new pages with page foot,
// overlays, page head and repeated bands, and ends the output document (page file, printer or
// viewer). The group page is the first page of a report, the one a run drives.

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Events.h"
#include "platform/rtl/Set.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/KivCtrl.h"
#include "runtime/engine/KivDeleteGuard.h"
#include "runtime/engine/KivPageIntf.h"
#include "runtime/engine/PSetup.h"

#include <memory>
#include <unordered_set>
#include <vector>

namespace qor {

class TDataSet;
class TPen;
class TDataSource;
class TFormPrintStatus;
class TKivRtfFile;
struct TKivPageRun;
class TKivTotalvar;
class TQorViewer;
class TStringList;

// Re-entry guards of the page's design-time layout.
enum TKivPageStateItem : Byte { psArrangeBands, psUpdateVarList, psInsertBand };
using TKivPageState = TSet<TKivPageStateItem>;

// Messages the page posts to itself at design time.
constexpr UINT KIV_UPDATEVARLIST = WM_USER; // rebuild the variable and data-source lists
constexpr UINT KIV_ADDBANDS = WM_USER + 4;  // give a new page its main bands
// Messages the page sends or posts to its band and group manager.
constexpr UINT KIV_PM_REFRESH = WM_USER + 1;     // posted: names or settings changed
constexpr UINT KIV_PM_FILLDSLISTS = WM_USER + 2; // sent: refill FullDSList and FullDSNames
constexpr UINT KIV_PM_VARLIST = WM_USER + 9;     // sent: the variable list changed
constexpr UINT KIV_PM_VARCHANGED = WM_USER + 10; // sent: a variable changed

// The caption strip the designer shows under a band: an arrow, the band's name and check boxes
// for its main flags. Strips belong to the page's design view only; they have no owner and are
// never written to a form file.
class TKivBandHead : public TPanel {
    QOR_CLASS(TKivBandHead, TPanel)
public:
    TKivBandHead();
    TLabel* NameLabel() const { return Fnamelabel; }
    TPaintBox* Arrow() const { return FArrow; }
    TCheckBox* VisibleCheck() const { return Fvisiblecheck; }
    TCheckBox* NewPageCheck() const { return FNewPageCheck; }
    TCheckBox* NewPageRepeatCheck() const { return FNewPageRepeatCheck; }
    TCheckBox* StretchCheck() const { return FStretchCheck; }
    // The strip keeps its size whatever the form's scaling.
    void ChangeScale(Integer, Integer) override {}

private:
    TLabel* Fnamelabel;
    TPaintBox* FArrow;
    TCheckBox* Fvisiblecheck;
    TCheckBox* FNewPageCheck;
    TCheckBox* FNewPageRepeatCheck;
    TCheckBox* FStretchCheck;
};

class TKivPage;
using TKivPageEvent = TEvent<TKivPage*>;
using TKivPageStatusEvent = TEvent<TKivPage*, TKivStatus>;
using TKivPageAllowEvent = TEvent<TKivPage*, bool&>;
using TKivNewPageEvent = TEvent<TKivPage*, TQorOutput*, Integer>;

class TKivPage : public TScrollBox,
                 public IKivPage,
                 public IKivPrintPage,
                 public IKivBandPage,
                 public IKivGroupPage,
                 public IKivStatusPage,
                 public IKivRunPage,
                 public IKivPageSetupHost {
    QOR_CLASS(TKivPage, TScrollBox)
public:
    explicit TKivPage(TComponent* AOwner);
    ~TKivPage() override;

    // ---- Published properties ------------------------------------------------------------------
    bool TwoPass() const override { return FTwoPass; }
    void SetTwoPass(bool Value) { FTwoPass = Value; }
    bool ClipLabels() const override { return FClipLabels; }
    void SetClipLabels(bool Value) { FClipLabels = Value; }
    TKivPageSetup* PageSetup() const override { return FPageSetup.get(); }
    TKivBorderType BorderType() const { return FBorderType; }
    void SetBorderType(TKivBorderType Value) { FBorderType = Value; }
    TKivOutputType OutputType() const override { return FOutputType; }
    void SetOutputType(TKivOutputType Value) { FOutputType = Value; }
    const String& QorFileName() const { return FQorFileName; }
    void SetQorFileName(const String& Value) { FQorFileName = Value; }
    // The file a run printed on a PDF or described printer writes (empty: the printer chooses).
    const String& PrintFileName() const { return FPrintFileName; }
    void SetPrintFileName(const String& Value) { FPrintFileName = Value; }
    const String& Description() const { return FDescription; }
    void SetDescription(const String& Value) { FDescription = Value; }
    bool CloseDataSet() const { return FCloseDataSet; }
    void SetCloseDataSet(bool Value) { FCloseDataSet = Value; }
    TKivDataRange DataRange() const { return FDataRange; }
    void SetDataRange(TKivDataRange Value) override { FDataRange = Value; }
    bool OmitLastPgFt() const { return FOmitLastPgFt; }
    void SetOmitLastPgFt(bool Value) { FOmitLastPgFt = Value; }
    TKivBand* Head() const { return FHead; }
    void SetHead(TKivBand* Value) { SetMainBand(FHead, Value); }
    TKivBand* Detail() const { return FDetail; }
    void SetDetail(TKivBand* Value) { SetMainBand(FDetail, Value); }
    TKivBand* Foot() const { return FFoot; }
    void SetFoot(TKivBand* Value) { SetMainBand(FFoot, Value); }
    TKivBand* PageHead() const { return FPageHead; }
    void SetPageHead(TKivBand* Value) { SetMainBand(FPageHead, Value); }
    TKivBand* PageFoot() const { return FPageFoot; }
    void SetPageFoot(TKivBand* Value) { SetMainBand(FPageFoot, Value); }
    const String& RtfFile() const { return FRtfFileName; }
    void SetRtfFile(const String& Value) { FRtfFileName = Value; }
    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    bool CloseDataSources() const { return FCloseDataSources; }
    void SetCloseDataSources(bool Value) { FCloseDataSources = Value; }
    bool NoDataQuit() const { return FNoDataQuit; }
    void SetNoDataQuit(bool Value) { FNoDataQuit = Value; }
    bool NoRecordCount() const { return FNoRecordCount; }
    void SetNoRecordCount(bool Value) { FNoRecordCount = Value; }
    bool GroupPageBreaks() const { return FGroupPageBreaks; }
    void SetGroupPageBreaks(bool Value) { FGroupPageBreaks = Value; }

    TKivPageEvent OnPreview;
    TKivPageStatusEvent OnUpdateStatus;
    TKivPageEvent OnUpdate;
    TKivPageEvent OnDataStart;
    TKivPageEvent OnDataSkip;
    TKivPageEvent OnDataFinish;
    TKivPageAllowEvent OnDataFilter;
    TKivPageEvent OnNoData;
    TKivNewPageEvent OnNewPage;
    TKivPageAllowEvent OnBeforeNewPage;
    TKivPageEvent OnAfterDataSkip;

    // ---- Public run-time state -----------------------------------------------------------------
    // The state of the pass under way (KivPageRun.h); between runs the figures of the last one
    // (page number and count, pages printed, progress, records, the abort and data-finished flags)
    // and nothing else.
    TQorCanvas* Canvas() const;
    Integer XPos() const override;
    Integer YPos() const override;
    void SetYPos(Integer Value);
    Integer PageNumber() const override;
    Integer PagesPrinted() const;
    Integer PageCount() const;
    Double PercentDone() const override;
    bool AbortPrinting() const;
    void SetAbortPrinting(bool Value) override;
    TDateTime StartDateTime() const { return FStartDateTime; }
    TQorViewer* QorViewer() const;
    Integer LastPagePos() const;
    Integer AtGroupLevel() const;
    bool DataIsFinished() const;
    void SetDataIsFinished(bool Value);
    Integer PFHeight() const;
    const TKivGroupPageState& GroupPageState() const;
    bool Continuous() const;
    Integer Records() const;
    Integer Skipped() const;
    TKivUnits Units() const { return FPageSetup->Units(); }
    // The data set of DataSource, else the obsolete direct one.
    TDataSet* DataSet() const;
    void SetDataSet(TDataSet* Value);
    // The RTF writer of a pass with OutputType otRichText; null otherwise.
    TKivRtfFile* Rtf() const;
    IKivReport* Report() const { return FReport; }
    // The resolution the page works at: its report's, else the screen's.
    Integer PixelsPerInch() const { return GetPPI(); }
    // The page's own pen (black, one pixel), for drawing on the page at design time.
    TPen* Pen() const { return FPen.get(); }
    Integer Order() const { return FOrder; }
    void SetOrder(Integer Pos) override;
    const String& PageName() const { return FPageName; }
    virtual void SetPageName(const String& Value) { FPageName = Value; }
    TStringList* NoDsgList() const { return FNoDsgList.get(); }

    // The registration lists.
    const std::vector<TKivLabel*>& LabelList() const { return FLabels; }
    const std::vector<TKivVar*>& VarList() const { return FVars; }
    const std::vector<TKivTotalvar*>& TotalVarList() const { return FTotalVars; }
    const std::vector<TKivBand*>& BandList() const { return FBands; }
    const std::vector<TKivLevel*>& LevelList() const { return FLevels; }
    const std::vector<TKivGroup*>& GroupList() const { return FGroups; }
    const std::vector<TKivBand*>& SubBandList() const { return FSubBands; }
    const std::vector<TKivBand*>& OverLayBandList() const { return FOverLayBands; }
    const std::vector<TKivBand*>& SubDataBandList() const { return FSubDataBands; }
    const std::vector<TKivBand*>& DataHFBandList() const { return FDataHFBands; }
    const std::vector<TKivDSGuide*>& DataSourceList() const { return FDataSourceList; }

    // ---- Geometry ------------------------------------------------------------------------------
    // The page's resolution: the report's, else the screen's.
    Integer GetPPI() const override;
    Integer PageWidth() const override;
    Integer PageHeight() const;
    // Sets the print origin to X, Y inside the margins.
    void Position(Integer X, Integer Y);
    // Starts a new page when a band of height H does not fit above the page foot.
    void CheckHeight(Integer H);
    // The current page is inside the page range; past its end the run is stopped.
    bool PrintOk();
    void MoveTo(Integer X, Integer Y);
    void LineTo(Integer X, Integer Y);
    void FillRect(const TRect& Rect);

    // ---- The run -------------------------------------------------------------------------------
    TWinControl* RunPageControl() override { return this; }
    TKivPage* AsPage() override { return this; }
    void SetReport(IKivReport* Report) override { FReport = Report; }
    void SetPrintTo(TQorOutput* Output) override { FPrintTo = Output; }
    TQorOutput* PrintTo() const override { return FPrintTo; }
    void SetUpdateStatusTo(TFormPrintStatus* Status) override { FStatusForm = Status; }
    void ClearUpdateStatus() override { FStatusForm = nullptr; }
    void PageStart() override;
    bool InitReport() override;
    void BeginDoc() override;
    void StartReport() override;
    bool Printing() const override;
    void Process() override;
    void EndReport() override;
    void EndDoc() override;
    bool HasViewer() const override { return QorViewer() != nullptr; }
    void DropViewer() override;
    void PageEnd() override;
    void UnInitReport() override;

    // Starts a new page: page foot, overlays, the next page, page head and repeated bands.
    virtual void NewPage();
    virtual void UpdateStatus(TKivStatus Status);
    virtual void AddUpdateBand(TKivBand* Band);
    virtual void PrintOverLays(bool First);
    virtual void UpdateVars(TKivLevel* Level);
    // The viewer's stop button: generation ends, the viewer keeps what was made.
    void AbortGeneration(TObject* Sender);

    // Level operations over the page's variables.
    void UpdateDataLevel(TKivLevel* Level);
    void ResetDataLevel(TKivLevel* Level);
    void ReverseUpdateDataLevel(TKivLevel* Level);
    void ResetTotalLevel(TKivLevel* Level);
    void UpdateData();

    // The page's data loop.
    void DataStart();
    void DataSkip();
    void DataFinish();

    // ---- IKivPage --------------------------------------------------------------------------
    bool IsGroupPage() const override;
    bool PageDestroying() const override;
    void InsertLevel(TKivLevel* Level) override;
    void RemoveLevel(TKivLevel* Level) override;
    Integer LevelCount() const override { return static_cast<Integer>(FLevels.size()); }
    TKivLevel* Levels(Integer Index) const override { return FLevels.at(static_cast<std::size_t>(Index)); }
    const std::vector<TKivLevel*>* LevelsInOrder() const override { return &FLevels; }
    void InsertVar(TKivVar* Var) override;
    void RemoveVar(TKivVar* Var) override;
    // Sends the band and group manager "a variable changed".
    void VarChanged() override;
    // Posts the band and group manager a refresh (design time, not loading or destroying).
    void UpdatePageManager() override;
    // Posts the page a rebuild of its variable list (design time, not loading).
    void PostUpdateVarlist() override;
    TQorDataSourceManager* DataSourceManager() override { return FDataSourceManager.get(); }
    TKivLevel* DetailLevel() const override;
    TKivLevel* HeadLevel() const override;
    TKivLevel* PageHeadLevel() const override;
    void InsertDataSourceGuide(TKivDSGuide* Guide) override;
    void RemoveDataSourceGuide(TKivDSGuide* Guide) override;
    void Redraw() override;
    bool HasBandList() const override { return !FBands.empty(); }
    Integer BandCount() const override { return static_cast<Integer>(FBands.size()); }
    TControl* Bands(Integer Index) const override;
    bool HasBorder() const override { return BorderStyle() != bsNone; }
    TWinControl* PageControl() override { return this; }

    // ---- IKivPrintPage ---------------------------------------------------------------------
    TQorCanvas* OutputCanvas() override { return Canvas(); }
    void RulerXY(Integer X, Integer Y) override;

    // ---- IKivBandPage ----------------------------------------------------------------------
    void InsertBand(TKivBand* Band) override;
    void RemoveBand(TKivBand* Band) override;
    void InsertPageLabel(TKivLabel* Label) override { InsertLabel(Label); }
    void RemovePageLabel(TKivLabel* Label) override { RemoveLabel(Label); }
    void InsertLabel(TKivLabel* Label);
    void RemoveLabel(TKivLabel* Label);
    // Sorts groups by level and the bands into print order with their attached kinds.
    void OrderBands() override;
    // The designer's layout: each band under the one before, its caption strip under it.
    void ArrangeBands() override;
    bool ArrangingBands() const override { return FPageState.Contains(psArrangeBands); }
    // A band's flags or name changed: its caption strip follows.
    void BandChanged(TKivBand* Band) override;
    Double LeftMargin() const override { return FPageSetup->LeftMargin(); }
    Double PrintWidthInches() const override;
    bool PageInRange() const override;
    bool AtPageTop() const override;
    bool FirstNewPage() const override;
    TQorDestination OutputDest() const override;
    void SetOutputDest(TQorDestination Value) override;

    // ---- IKivGroupPage ---------------------------------------------------------------------
    bool TakesGroups() const override { return false; }
    void InsertGroup(TKivGroup* Group) override;
    void RemoveGroup(TKivGroup* Group) override;
    void InsertSubBand(TKivBand* Band) override;
    void RemoveSubBand(TKivBand* Band) override;
    void InsertOverLayBand(TKivBand* Band) override;
    void RemoveOverLayBand(TKivBand* Band) override;
    void InsertSubDataBand(TKivBand* Band) override;
    void RemoveSubDataBand(TKivBand* Band) override;
    void InsertDataHFBand(TKivBand* Band) override;
    void RemoveDataHFBand(TKivBand* Band) override;

    // ---- Design time ---------------------------------------------------------------------------
    // The page's automatic variables (date and time, page number) and data-source guides brought
    // in step with the form.
    virtual void UpdateVarList();
    // Asks the band and group manager to refill FullDSList and FullDSNames.
    virtual void UpdateDataLists();
    // A data-source guide for DS, at the detail band's level (design time, not loading).
    virtual void AddDataSource(TDataSource* DS);
    // The guide of the data source whose full name is FullDSName (case-insensitive); null when none.
    TKivDSGuide* GetDataSourceGuide(const String& FullDSName) const;
    // A label, total or group of the page shows, totals or breaks on Var.
    bool VarUsed(TKivVar* Var) const;
    // Report head, page head, detail, page foot and report foot, each with its own level.
    void AddMainBands();
    // Prints every label placed on the page itself.
    virtual void Run();
    // Tells the form's designer that the form changed.
    void DesignerModified() override;
    // Hides the check boxes of Strip that do not apply to Band's kind.
    void SetBandLabels(TKivBand* Band, TKivBandHead* Strip);
    // The caption strips, index for index with BandList (design time only).
    const std::vector<TKivBandHead*>& BandHeads() const { return FBandHeads; }
    // The check boxes' click handlers: the band at the strip's index takes the box's state.
    void FlipVisible(TObject* Sender);
    void FlipNewPage(TObject* Sender);
    void FlipNewPageRepeat(TObject* Sender);
    void FlipStretch(TObject* Sender);
    // Paints the strip's arrow.
    void PaintArrow(TObject* Sender);
    const TKivPageState& PageState() const { return FPageState; }
    // The band and group manager of the page, owned by it; null until the designer makes one.
    TCustomForm* PageManager() const { return FPageManager.get(); }
    void SetPageManager(TCustomForm* Value);
    // The data sources reachable from the page and their full names, index for index; filled by
    // the band and group manager.
    std::vector<TDataSource*>& FullDSList() { return FFullDSList; }
    TStringList* FullDSNames() const { return FFullDSNames.get(); }
    // False while the designer keeps the data lists as they are.
    bool LetUpdateDataList() const { return FLetUpdateDataList; }
    void SetLetUpdateDataList(bool Value) { FLetUpdateDataList = Value; }
    // The page's place inside its report: left 35, top 55, the report's size less 55 and 75.
    void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
    // Message handlers.
    void GPUpdateVarList(TMessage& M);
    void KIVAddBands(TMessage& M);
    void WMSize(TMessage& M);
    void WMHScroll(TMessage& M);
    void WMVScroll(TMessage& M);

    // ---- Design time and deletion --------------------------------------------------------------
    // The page setup changed at design time: the report box, the band layout, the rulers and the
    // bands follow.
    void PageSetupChanged() override;
    // The page may be deleted: at run time, through SafeDelete, while destroyed, or unparented.
    bool OkDelete() const;
    // Deletion as the page manager does it: a refusal leaves the page and is swallowed.
    void SafeDelete();
    void BeforeDestruction() override;
    // Only a report takes a page; anything else is refused with a silent abort.
    void SetParent(TWinControl* AParent) override;
    void DefineProperties(TFiler& Filer) override;
    // At run time a font of another resolution keeps its pixel height at the page's resolution.
    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void SetMainBand(TKivBand*& Field, TKivBand* Value);
    // Band order.
    void OrderGroups();
    void AddSubBand(std::vector<TKivBand*>& List, TKivBand* Band);
    void AddBand(std::vector<TKivBand*>& List, TKivBand* Band);
    void MakeList();
    void MakeBandList(TKivBand* Band);
    const std::vector<TKivBand*>& ListOf(TKivBand* Band) const;
    // A band taken off the page leaves the run's overlay list.
    void ForgetOverlay(TKivBand* Band);
    std::vector<TKivBand*> MainBands() const;

    // Printing (KivPagePrint.cpp).
    void PrintBandList(TKivBand* Band, bool PageFootBand);
    void PrintSubDataBandList(TKivBand* Band);
    // The records of a sub-data band, each with the bands of its list, then its data foot; Repeat
    // prints them again at the top of a new page.
    void PrintSubDataRecords(TKivBand* Band, const std::vector<TKivBand*>& List, TKivBand* DataHead, TKivBand* DataFoot,
                             bool Repeat);
    void TotalUpdate(TKivBand* Band);
    void CheckBandHeight(TKivBand* Band);
    // A band that asks for a new page gets one unless the page is fresh; others are checked for room.
    void BreakBefore(TKivBand* Band);
    // A sub-data band without records: its level reset, its totals moved on.
    void NoSubData(TKivBand* Band);
    void PrintBand(TKivBand* Band, bool PageFootBand);
    void PrintBandPrelude(TKivBand* Band);
    // Prints a stretching band in pieces until it ends; FootHeight is kept free under each piece.
    void PrintStretchPieces(TKivBand* Band, Integer FootHeight);
    // In continuous output a band other than the page head ends the page's first place once it has
    // printed (the RTF writer asks while the band prints whether to break before it).
    void LeaveFirstNewPage(TKivBand* Band);
    void PrintGroupHeads(Integer L);
    void PrintGroupFeet(Integer L);
    void PrintPageFoot();
    void PrintBorder();
    void PrintNewPageRepeats();
    void PrintRepeats(TKivBand* Band);
    void RepeatPrintBandList(TKivBand* Band);
    void RepeatPrintBand(TKivBand* Band);
    void EndHeadPage();
    // The next page's number and counters, and the print origin at its top.
    void NextPageNumber();
    // Level's band has printed: it leaves the list of levels advanced and not yet printed.
    void LeaveUpdateLevel(TKivLevel* Level);
    // Starts the job's next page; the first page the document began is used for the first page
    // drawn.
    void StartOutputPage();
    Integer GetPageFootHeight() const;
    // The bottom of the printable area in page pixels (page height plus top margin).
    Int64 PageBottom() const;
    Integer TopMarginPixels() const;
    Integer LeftMarginPixels() const;
    bool Aborted() const;
    bool InPrintList(TKivBand* Band) const;
    bool IsInnermost(TKivBand* Band) const;

    // Data (KivPage.cpp).
    bool DoOnDataFilter();
    void DoSkip();
    void DoAfterDataSkip();
    void Preview();
    void PrintingStatus(TObject* Sender);
    void EndDocOutput();
    void ReleaseViewer(bool Finished);
    void DeleteAllGroups();

    template <class T>
    static void AddTo(std::vector<T*>& List, T* Item);
    template <class T>
    static void RemoveFrom(std::vector<T*>& List, T* Item);

    IKivReport* FReport = nullptr;
    std::vector<TKivLabel*> FLabels;
    std::vector<TKivVar*> FVars;
    std::vector<TKivTotalvar*> FTotalVars;
    std::vector<TKivBand*> FBands;
    std::unordered_set<const TKivBand*> FBandSet; // FBands' members, to find one at once
    std::vector<TKivLevel*> FLevels;
    std::vector<TKivDSGuide*> FDataSourceList;
    std::vector<TKivGroup*> FGroups;
    std::vector<TKivBand*> FSubBands;
    std::vector<TKivBand*> FSubDataBands;
    std::vector<TKivBand*> FDataHFBands;
    std::vector<TKivBand*> FOverLayBands;
    // Published properties.
    std::unique_ptr<TKivPageSetup> FPageSetup;
    TDateTime FStartDateTime = 0;
    TKivBorderType FBorderType = btNone;
    TKivOutputType FOutputType = otNormal;
    bool FTwoPass = false;
    String FQorFileName;
    String FPrintFileName;
    String FDescription;
    TDataSet* FDataSet = nullptr;
    TDataSource* FDataSource = nullptr;
    TKivBand* FDetail = nullptr;
    TKivBand* FHead = nullptr;
    TKivBand* FFoot = nullptr;
    TKivBand* FPageHead = nullptr;
    TKivBand* FPageFoot = nullptr;
    bool FOmitLastPgFt = false;
    TKivDataRange FDataRange = drAllRecords;
    bool FCloseDataSet = false;
    String FRtfFileName;
    bool FNoDataQuit = false;
    bool FNoRecordCount = false;
    bool FCloseDataSources = true;
    bool FGroupPageBreaks = false;
    // The run: what the report hands over (the output job, the pass's status window), the units
    // PageStart saved, the data sources the run opened, and the state of the pass under way.
    TQorOutput* FPrintTo = nullptr;
    TFormPrintStatus* FStatusForm = nullptr;
    TKivUnits FSaveUnits = unitInches;
    std::unique_ptr<TQorDataSourceManager> FDataSourceManager;
    std::unique_ptr<TKivPageRun> FRun;
    // Design time.
    void MakeBandHead(TKivBand* Band);
    // The strip at Index shows the band at Index: caption, check boxes and which of them apply.
    void SyncBandHead(std::size_t Index);
    void SyncBandHeads();
    // The band whose strip holds CheckBox; null for a box of no strip.
    TKivBand* BandOfCheck(TObject* CheckBox) const;
    // Sets the band of the check box Sender to the box's state when they differ; answers the band.
    TKivBand* Flip(TObject* Sender, bool (TKivBand::*Get)() const, void (TKivBand::*Set)(bool));
    bool Designing() const { return ComponentState().Contains(csDesigning); }
    bool LoadingOrReading() const;
    void RepositionReport();
    std::vector<TKivBandHead*> FBandHeads;
    bool FHasBandHeads = false;
    std::unique_ptr<TCustomForm> FPageManager;
    TKivPageState FPageState;
    std::vector<TDataSource*> FFullDSList;
    std::unique_ptr<TStringList> FFullDSNames;
    bool FInUpdateDataLists = false;
    bool FLetUpdateDataList = true;
    TKivDeleteGuard FDeleteGuard{false};
    bool FClipLabels = false;
    String FPageName;
    Integer FOrder = 0;
    std::unique_ptr<TStringList> FNoDsgList;
    std::unique_ptr<TPen> FPen;
};

// The first page of a report, the one a run drives; bands of the attached kinds sit only here.
class TKivGrouppage : public TKivPage {
    QOR_CLASS(TKivGrouppage, TKivPage)
public:
    explicit TKivGrouppage(TComponent* AOwner) : TKivPage(AOwner) {}
    bool TakesGroups() const override { return true; }
};

} // namespace qor
