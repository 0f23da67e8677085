#pragma once
// The band and group manager of a group page: a window that lists the page's bands and groups
// and that the page and the report designer's tool bar talk to by messages; and helpers on the
// form designer that the designer's windows share (those the data control center uses too are in
// PageManIntf.h).

#include "designer/PageManIntf.h"
#include "designer/PageManQueries.h"
#include "platform/ide/DesignIntf.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/MessageQueue.h"

#include <memory>
#include <vector>

namespace qor { class TDataSource; }

namespace qor {

class TKivBand;
class TKivGroup;
class TKivLevel;
class TKivPage;
class TKivDSVariableOptions;

// Messages of the band and group manager, besides the page's (KivPage.h).
constexpr UINT KIV_PM_SELECTPAGE = WM_USER + 5;   // posted: select the group page in the designer
constexpr UINT KIV_PM_DATACONTROL = WM_USER + 8;  // posted: open the data control center
constexpr UINT KIV_PM_OVERVIEW = WM_USER + 11;    // posted: run the overview report
constexpr UINT KIV_PM_DIAGNOSTIC = WM_USER + 12;  // posted: run the diagnostic report

// Refills the page's lists of the form's data sources (names and components).
void KivSetDataLists(IDesigner* Designer, TKivPage* Page);
// Adds the data source Name to the page's lists, unless it is there already or cannot be used.
void KivAddDataLists(IDesigner* Designer, TKivPage* Page, const String& Name);


// Which items of the band list's menu are enabled for Band (null: none selected).
struct TKivBandMenuState {
    bool Move = false, AddSubBand = false, AddDataBand = false, AddHeadFoot = false;
    bool Header = false, Footer = false, Delete = false, AddOverlay = true;
    bool operator==(const TKivBandMenuState&) const = default;
};
TKivBandMenuState KivBandMenuState(const TKivPage* Page, const TKivBand* Band);
// Which items of the group list's menu are enabled for the selected row of Count rows.
struct TKivGroupMenuState {
    bool Add = true, Delete = false, MoveUp = false, MoveDown = false;
    bool operator==(const TKivGroupMenuState&) const = default;
};
TKivGroupMenuState KivGroupMenuState(Integer Selected, Integer Count);

// The data-source column of a band row; Mismatch when the source updates on another level.
String KivBandSourceText(const TKivPage* Page, const TKivBand* Band, bool& Mismatch);
// The variable and event columns of a group row.
void KivGroupRowTexts(TKivGroup* Group, IDesigner* Designer, String& Variable, String& Event);

// Texts of the designer's refusals and questions.
inline constexpr const char* KivDeleteBandText = "This band contains labels or child bands.  Delete Anyway?";
inline constexpr const char* KivNoBandText = "Could not create band.";
inline constexpr const char* KivBadBandNameText = "Invalid band name";

class TKivPageManager : public TForm, public IKivPageManager {
    QOR_CLASS(TKivPageManager, TForm)
public:
    explicit TKivPageManager(TComponent* AOwner);
    ~TKivPageManager() override;

    TKivPage* Page() const override { return FPage; }
    void SetPage(TKivPage* Value) { FPage = Value; }
    const std::vector<TKivGroup*>& GroupPosList() const { return FGroupPosList; }
    IDesigner* PageDesigner() const override { return FPageDesigner; }
    void SetPageDesigner(IDesigner* Value) { FPageDesigner = Value; }

    // Refills the group list and the band list from the page.
    void UpdateLists();
    void UpdateOutline();

    // ---- Structure edits (each ends with the page ordered and arranged and the lists refilled).
    // A sub band above or below Target, sharing its level.
    TKivBand* AddSubBand(TKivBand* Target, bool Above);
    // A sub-data band on Target with a level of its own; Guide > 0 takes that data-source guide.
    TKivBand* AddSubDataBand(TKivBand* Target, Integer Guide);
    // A data header or footer band of the sub-data band Target.
    TKivBand* AddHeadFootBand(TKivBand* Target, bool Header);
    TKivBand* AddOverlayBand(bool PrintFirst);
    TKivGroup* AddGroup();
    // Deletes the group at Row with the bands hanging on its header and footer.
    void DeleteGroup(Integer Row);
    // Moves the group at Row one place up or down.
    void MoveGroup(Integer Row, bool Up);
    // Deletes Band (after asking when it holds labels or bands); false when nothing was deleted.
    bool DeleteBand(TKivBand* Band);
    // Moves Band one place among its siblings, flipping a sub band or overlay across its target.
    void MoveBand(TKivBand* Band, bool Up);
    // Hangs Dragged on Target when KivValidMove allows it.
    bool DropBand(TKivBand* Dragged, TKivBand* Target);
    // Selects Band's row and the band in the designer.
    void SelectBand(TKivBand* Band);

    // The message handlers.
    void UpdateForm(TMessage& M);
    void SetDataListsMsg(TMessage& M);
    void SelectGroupPage(TMessage& M);
    // Opens the data control center (made on first use) once its variables are up to date.
    void DoDataControl(TMessage& M);
    // Brings the data control center's variables up to date (made on first use).
    void DataUpdateVars(TMessage& M);
    // A variable changed: the data control center refreshes after the current event.
    void VarChanged(TMessage& M);
    // The data control center's lists refresh after the current event.
    void RefreshVars();
    // The data control center, made when first asked for (null before).
    TKivDSVariableOptions* DataControl() const { return FDataControl.get(); }
    // Run the overview and the diagnostic report of the page.
    void RunOverReport(TMessage& M);
    void RunDiagReport(TMessage& M);

    void FormShow(TObject* Sender);
    // The menus and the lists' clicks.
    void GroupListPopupPopup(TObject* Sender);
    void BandListPopupPopup(TObject* Sender);
    void GroupAddClick(TObject* Sender);
    void GroupDeleteClick(TObject* Sender);
    void MoveUpClick(TObject* Sender);
    void MoveDownClick(TObject* Sender);
    void MoveUp1Click(TObject* Sender);
    void addbandClick(TObject* Sender);
    void subdataaddClick(TObject* Sender);
    void addheadfootbandClick(TObject* Sender);
    void AddOverLayClick(TObject* Sender);
    void btnDeleteClick(TObject* Sender);
    void BandListClick(TObject* Sender);
    void BandListDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    void BandListDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y);
    void grouplistClick(TObject* Sender);
    Integer GroupIndex() const;
    Integer BandIndex() const;
    TKivBand* SelectedBand() const;
    void BandListDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    void grouplistDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);

    TPanel* BandPanel = nullptr;
    TLabel* dslabel = nullptr;
    TListBox* BandList = nullptr;
    TPanel* GroupPanel = nullptr;
    TLabel* GroupLabel = nullptr;
    TLabel* VariableLabel = nullptr;
    TLabel* EventLabel = nullptr;
    TListBox* grouplist = nullptr;
    TPopupMenu* GroupListPopup = nullptr;
    TPopupMenu* BandListPopup = nullptr;
    TMenuItem *GroupDelete = nullptr, *MoveUp = nullptr, *MoveDown = nullptr;
    TMenuItem *MoveUp1 = nullptr, *MoveDown1 = nullptr, *AddSubBand1 = nullptr, *AddDataBand1 = nullptr;
    TMenuItem *AddHeadFoot1 = nullptr, *DataHeader1 = nullptr, *DataFooter1 = nullptr, *AddOverlay1 = nullptr;
    TMenuItem *Above1 = nullptr, *Below1 = nullptr, *PrintFirst1 = nullptr, *Delete1 = nullptr;

private:
    TKivLevel* NewLevel(const String& Name, bool IsHeader);
    void Finish(TKivBand* Selected);
    void DeleteDependants(TKivBand* Band, bool SubData, bool Sub, bool HeadFoot);
    void DeleteFrom(const std::vector<TKivBand*>& (TKivPage::*List)() const, TKivBand* Band);
    void FreeBand(TKivBand* Band, bool WithLevel);
    void Modified();

    TKivPage* FPage = nullptr;
    std::vector<TKivGroup*> FGroupPosList;
    IDesigner* FPageDesigner = nullptr;
    TKivDSVariableOptions* MakeDataControl();

    bool FMismatchShown = false;
    bool InDataControl = false;
    std::unique_ptr<TKivDSVariableOptions> FDataControl;
    bool InUpdateLists = false;
    bool InUpdateOutline = false;
};

} // namespace qor
