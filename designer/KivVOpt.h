#pragma once
// The data control center of a report page: the page's data-source guides and the variables
// that feed its labels (automatic ones per guide, persistent database variables, expression
// variables and totals), created, re-levelled and deleted on the designed form.
//
// KivVOpt.cpp keeps the lists in step with the page; KivVOptEdit.cpp holds the commands, the
// menus and the drags; KivVOptDraw.cpp the layout and the owner drawing.

#include "platform/ui/Buttons.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorTypes.h"

#include <memory>
#include <vector>

namespace qor {

class TKivDSGuide;
class TKivDBVar;
class TKivPage;
class IKivPageManager;
class TKivVar;
class TStringList;

// Posted to the center by ObjectChanged: refresh the lists once the current event is over.
constexpr UINT KIV_VO_REFRESH = WM_USER;

enum TQorDSOptionsStateItem : Byte { dsoUpdatingVars, dsoRefreshLists };
using TQorDSOptionsState = TSet<TQorDSOptionsStateItem>;

// The field names of the guide's data set (errors swallowed: the list keeps what it got).
void FillDsgFieldList(TKivDSGuide* Guide, TStringList* List);
// The automatic variables of the guide, in page order.
void FillDsgVarList(TKivDSGuide* Guide, std::vector<TKivDBVar*>& List);

// Texts of the center's messages and questions.
inline constexpr const char* KivDefineAncestorText =
    "Selection contains a component introduced in an ancestor form.  Define fields there.";
inline constexpr const char* KivUsedVarsText = "There are variables that are being used from this DataSource.";
inline constexpr const char* KivOptimizeText =
    "This will delete any unused auto dbvars.  If you use any variables in code, I cannot detect that.  Optimize?";
// "There is N fields.  You must manually create the db Variables when > 99."
String KivTooManyFieldsText(Integer Count);

class TKivDSVariableOptions : public TForm {
    QOR_CLASS(TKivDSVariableOptions, TForm)
public:
    explicit TKivDSVariableOptions(TComponent* AOwner);
    ~TKivDSVariableOptions() override;

    IKivPageManager* PageManager = nullptr;

    // ---- Called by the band and group manager ---------------------------------------------
    // Brings every guide's automatic variables up to date; false when there were 100 fields or
    // more to make, which were not made: the window has then been shown modally.
    bool UpdateVars();
    // The lists refresh after the current event (a posted message).
    void ObjectChanged();
    void QorRefreshVarLists(TMessage& M);
    void RefreshLists();

    // ---- Keeping the rows in step with the page (KivVOpt.cpp) ------------------------------
    void UpdateDsgList();
    void UpdateCFList();
    void UpdateDBVarList();
    void UpdateExprList();
    void UpdateTotalList();
    void UpdateDSG(TKivDSGuide* Guide);
    void AddDbVar(TKivDSGuide* Guide, const String& Field);

    TKivPage* GetGroupPage() const;
    bool DsgOk() const;
    String GetFullDSName() const;
    TKivDSGuide* GetDataSourceGuide(const String& Name) const;
    // The current row's guide, else null.
    TKivDSGuide* CurrentGuide() const { return GetDataSourceGuide(GetFullDSName()); }
    TKivDBVar* GetDbVar(TKivDSGuide* Guide, const String& Field) const;
    TKivVar* GetVar(const String& Name) const;
    bool VarUsed(TKivVar* Var) const;
    void DeleteVar(TKivVar* Var);
    void SelectComponent(TPersistent* Component);
    void UnSelectStuff(TObject* Sender);

    // ---- Commands (KivVOptEdit.cpp) ---------------------------------------------------------
    void FormShow(TObject* Sender);
    void CloseClick(TObject* Sender);
    void HelpClick(TObject* Sender);
    void OptimizeClick(TObject* Sender);
    void PrintClick(TObject* Sender);
    void Optimize();

    void DataSourceListMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
    void DataSourceListClick(TObject* Sender);
    void TotalVarListClick(TObject* Sender);
    void ExprVarListClick(TObject* Sender);
    void DBVarListClick(TObject* Sender);
    void clistClick(TObject* Sender);
    void flistClick(TObject* Sender);
    void SelectAll(TListBox* List);
    void SelectUnused(TListBox* List);

    void ListDragOver(TObject* Sender, TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept);
    void ListDragDrop(TObject* Sender, TObject* Source, Integer X, Integer Y);
    // Whether Target takes a drag from Source.
    bool AcceptsDrop(TListBox* Target, TObject* Source) const;
    void FListDefine();
    void CListDelete();
    void AddManualDBVar(TListBox* Source);
    void AddTotal(TListBox* Source);
    void DeleteETList(TListBox* List);

    void ExprAddClick(TObject* Sender);
    void Add1Click(TObject* Sender);
    void RevertDsgItemClick(TObject* Sender);
    void DeleteDsgItemClick(TObject* Sender);
    void AddDsgItemClick(TObject* Sender);
    // The menu items' handlers, each on the list its menu belongs to.
    void flistAddClick(TObject* Sender);
    void flistSelectAllClick(TObject* Sender);
    void Delete1Click(TObject* Sender);
    void SelectAllUnused1Click(TObject* Sender);
    void SelectAll1Click(TObject* Sender);
    void ExprDeleteClick(TObject* Sender);
    void ExprUnusedClick(TObject* Sender);
    void ExprSelectAllClick(TObject* Sender);
    void TotalDeleteClick(TObject* Sender);
    void TotalSelectAllUnusedClick(TObject* Sender);
    void TotalSelectAllClick(TObject* Sender);
    void DBDeleteClick(TObject* Sender);
    void DBSelectUnusedClick(TObject* Sender);
    void DBSelectAllClick(TObject* Sender);
    void PopupPopup(TObject* Sender);

    // ---- Layout and drawing (KivVOptDraw.cpp) -----------------------------------------------
    void FormResize(TObject* Sender);
    void DataSourceZoomClick(TObject* Sender);
    void FieldZoomClick(TObject* Sender);
    void SetMyButton(TSpeedButton* Button, TObject* Sender, bool& Flag);
    void DataSourcePanelResize(TObject* Sender);
    void DataSourceListDrawCell(TObject* Sender, Integer ACol, Integer ARow, TRect Rect, TGridDrawState State);
    void clistDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    void flistDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    void ExprVarListDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    void TotalVarListDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    void DBVarListDrawItem(TWinControl* Control, Integer Index, TRect Rect, TOwnerDrawState State);
    // The square of the check box of the grid's row ARow as it stands now (grid coordinates).
    TRect CheckBoxRect(Integer ARow) const;

    // ---- The form's parts ---------------------------------------------------------------------
    TPanel *DataSourcePanel = nullptr, *DataSourceListPanel = nullptr;
    TStringGrid* DataSourceList = nullptr;
    TPanel *FieldsPanel = nullptr, *VarPanel = nullptr, *ExprPanel = nullptr, *totalpanel = nullptr;
    TPanel *DBVarPanel = nullptr, *ButtonPanel = nullptr;
    TListBox *flist = nullptr, *clist = nullptr, *ExprVarList = nullptr, *TotalVarList = nullptr;
    TListBox* DBVarList = nullptr;
    TSpeedButton *DataSourceZoom = nullptr, *ExprZoom = nullptr, *TotalZoom = nullptr, *DbVarZoom = nullptr;
    TSpeedButton *FieldZoom = nullptr, *VarZoom = nullptr, *ZOOMIN = nullptr, *ZOOMOUT = nullptr;
    TLabel *AutoLabel = nullptr, *DataSourceLabel = nullptr, *DSLevelLabel = nullptr;
    TLabel *ExprLabel = nullptr, *ExprLevelLabel = nullptr, *ExprEventLabel = nullptr, *ExprTypeLabel = nullptr;
    TLabel *TotalLabel = nullptr, *totalLevelLabel = nullptr, *TotalVariableLabel = nullptr;
    TLabel *DBLabel = nullptr, *DBSourceLabel = nullptr, *DBFieldLabel = nullptr, *DBLevelLabel = nullptr;
    TPopupMenu *DSListPopup = nullptr, *flistpopup = nullptr, *clistPopup = nullptr, *ExprListPopup = nullptr;
    TPopupMenu *TotalListPopup = nullptr, *DBListPopup = nullptr;
    TMenuItem *RevertDsgItem = nullptr, *DeleteDsgItem = nullptr, *AddDsgItem = nullptr;
    TMenuItem *flistAdd = nullptr, *flistSelectAll = nullptr;
    TMenuItem *clistUnDefine = nullptr, *clistSelectUnused = nullptr, *clistSelectAll = nullptr;
    TMenuItem *ExprDelete = nullptr, *ExprUnused = nullptr, *ExprSelectAll = nullptr, *ExprAddType = nullptr;
    TMenuItem *TotalDelete = nullptr, *TotalUnused = nullptr, *TotalSelectAll = nullptr;
    TMenuItem *DBDelete = nullptr, *DBSelectUnused = nullptr, *DBSelectAll = nullptr, *DBAdd = nullptr;

    // The rows shown, rebuilt from the page on every refresh (owned).
    std::vector<std::unique_ptr<TDsgItem>> DsgList;
    std::vector<std::unique_ptr<TExprItem>> ExprList;
    std::vector<std::unique_ptr<TTotalItem>> TotalList;
    std::vector<std::unique_ptr<TDBItem>> DBList;

    bool DataSourceZoomed = false, ExprZoomed = false, TotalZoomed = false, DBVarZoomed = false;
    bool FieldZoomed = false, VarZoomed = false;
    const TQorDSOptionsState& State() const { return FDSOptionsState; }

private:
    void Modified();
    TMenuItem* Item(const char* Name) const;
    // Selects the rows of List from First on and makes the last current.
    static void SelectFrom(TListBox* List, Integer First);
    void DeleteGuide(TKivDSGuide* Guide);
    bool GuideUsed(TKivDSGuide* Guide);

    TQorDSOptionsState FDSOptionsState;
};

} // namespace qor
