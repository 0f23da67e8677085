#pragma once
// A button that runs a linked report, with optional overrides of its destination, prompt and data
// range, and a last look at the page setup before the run.

#include "platform/ui/Buttons.h"
#include "runtime/engine/KivPageIntf.h"

namespace qor {

enum TKivBtnDest : Byte { bdPrinter, bdScreen, bdDefault };
QOR_ENUM_NAMES(TKivBtnDest, "bdPrinter", "bdScreen", "bdDefault");
enum TKivBtnPrompt : Byte { bpPrompt, bpNoPrompt, bpDefault };
QOR_ENUM_NAMES(TKivBtnPrompt, "bpPrompt", "bpNoPrompt", "bpDefault");
enum TKivBtnDataRange : Byte { brAllRecords, brSingleRecord, brDefault };
QOR_ENUM_NAMES(TKivBtnDataRange, "brAllRecords", "brSingleRecord", "brDefault");

// (Sender, the page setup of the run).
using TKivOnBeforeRunEvent = TEvent<TObject*, TObject*>;

class TKivReportButton : public TBitBtn {
    QOR_CLASS(TKivReportButton, TBitBtn)
public:
    explicit TKivReportButton(TComponent* AOwner);

    // The report run on a click: a component that runs reports (cleared when it goes).
    TComponent* Report() const { return FReport; }
    void SetReport(TComponent* Value);
    TKivBtnDest Destination() const { return FDestination; }
    void SetDestination(TKivBtnDest Value) { FDestination = Value; }
    TKivBtnPrompt Prompt() const { return FPrompt; }
    void SetPrompt(TKivBtnPrompt Value) { FPrompt = Value; }
    TKivBtnDataRange DataRange() const { return FDataRange; }
    void SetDataRange(TKivBtnDataRange Value) { FDataRange = Value; }
    // Called before the run; an exception keeps the report from running (an Abort silently,
    // anything else through the application's exception handler).
    TKivOnBeforeRunEvent OnBeforeRun;

    // Applies the overrides and runs the report, then the button's own click.
    void Click() override;
    // A report, a page or a band cannot hold the button: it is silently not placed there.
    void SetParent(TWinControl* AParent) override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void RunReport(IKivRunReport& Run);

    TComponent* FReport = nullptr;
    TKivBtnDest FDestination = bdDefault;
    TKivBtnPrompt FPrompt = bpDefault;
    TKivBtnDataRange FDataRange = brDefault;
};

} // namespace qor
