#pragma once
// The band and group manager of a group page: a window that lists the page's bands and groups
// and that the page and the report designer's tool bar talk to by messages; and three helpers on
// the form designer that the designer's windows share.

#include "platform/ide/DesignIntf.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"

#include <vector>

namespace qor {

class TKivGroup;
class TKivPage;
class TLabel;
class TListBox;
class TPanel;

// Messages of the band and group manager, besides the page's (KivPage.h).
constexpr UINT KIV_PM_SELECTPAGE = WM_USER + 5;   // posted: select the group page in the designer
constexpr UINT KIV_PM_DATACONTROL = WM_USER + 8;  // posted: open the data control center
constexpr UINT KIV_PM_OVERVIEW = WM_USER + 11;    // posted: run the overview report
constexpr UINT KIV_PM_DIAGNOSTIC = WM_USER + 12;  // posted: run the diagnostic report

// Selects Component in the form and the inspector.
void ComponentSelect(IDesigner* Designer, TPersistent* Component);
// The name of the handler assigned to the published event PropName (exact case) of Instance.
String QorGetMethodValue(TPersistent* Instance, const String& PropName, IDesigner* Designer);
// Gives every published property of Instance back its inherited or default value.
void QorRevertToAncestor(TPersistent* Instance, IDesigner* Designer);
// Refills the page's lists of the form's data sources (names and components).
void KivSetDataLists(IDesigner* Designer, TKivPage* Page);
// Adds the data source Name to the page's lists, unless it is there already or cannot be used.
void KivAddDataLists(IDesigner* Designer, TKivPage* Page, const String& Name);

class TKivPageManager : public TForm {
    QOR_CLASS(TKivPageManager, TForm)
public:
    explicit TKivPageManager(TComponent* AOwner);
    ~TKivPageManager() override;

    TKivPage* Page() const { return FPage; }
    void SetPage(TKivPage* Value) { FPage = Value; }
    const std::vector<TKivGroup*>& GroupPosList() const { return FGroupPosList; }
    IDesigner* PageDesigner() const { return FPageDesigner; }
    void SetPageDesigner(IDesigner* Value) { FPageDesigner = Value; }

    // Refills the group list and the band list from the page.
    void UpdateLists();
    void UpdateOutline();

    // The message handlers.
    void UpdateForm(TMessage& M);
    void SetDataListsMsg(TMessage& M);
    void SelectGroupPage(TMessage& M);

    void FormShow(TObject* Sender);

    TPanel* BandPanel = nullptr;
    TLabel* dslabel = nullptr;
    TListBox* BandList = nullptr;
    TPanel* GroupPanel = nullptr;
    TLabel* GroupLabel = nullptr;
    TLabel* VariableLabel = nullptr;
    TLabel* EventLabel = nullptr;
    TListBox* grouplist = nullptr;

private:
    TKivPage* FPage = nullptr;
    std::vector<TKivGroup*> FGroupPosList;
    IDesigner* FPageDesigner = nullptr;
    bool InUpdateLists = false;
    bool InUpdateOutline = false;
};

} // namespace qor
