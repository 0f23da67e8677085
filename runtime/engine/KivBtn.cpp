#include "runtime/engine/KivBtn.h"

#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Application.h"
#include "runtime/engine/KivReference.h"
#include "runtime/engine/PSetup.h"

namespace qor {

QOR_PUBLISH(TKivReportButton)
{
    b.Property("Report", &TKivReportButton::Report, &TKivReportButton::SetReport).Default(nullptr);
    b.Property("Destination", &TKivReportButton::Destination, &TKivReportButton::SetDestination).Default(bdDefault);
    b.Property("Prompt", &TKivReportButton::Prompt, &TKivReportButton::SetPrompt).Default(bpDefault);
    b.Property("DataRange", &TKivReportButton::DataRange, &TKivReportButton::SetDataRange).Default(brDefault);
    b.Event("OnBeforeRun", &TKivReportButton::OnBeforeRun);
}

TKivReportButton::TKivReportButton(TComponent* AOwner) : TBitBtn(AOwner) {}

void TKivReportButton::SetReport(TComponent* Value) { KivSetReference(this, FReport, Value); }

void TKivReportButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TBitBtn::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FReport)
        FReport = nullptr;
}

void TKivReportButton::SetParent(TWinControl* AParent)
{
    // Not on a page, a band or a report.
    if (dynamic_cast<IKivPage*>(AParent) || dynamic_cast<IKivBand*>(AParent) || dynamic_cast<IKivReport*>(AParent) ||
        dynamic_cast<IKivRunReport*>(AParent))
        Abort();
    TBitBtn::SetParent(AParent);
}

void TKivReportButton::RunReport(IKivRunReport& Run)
{
    TKivPageSetup* Setup = Run.RunPageSetup();
    if (Setup && FDestination != bdDefault)
        Setup->SetDestination(FDestination == bdPrinter ? destPrinter : destScreen);
    if (FPrompt != bpDefault)
        Run.SetPrompt(FPrompt == bpPrompt);
    if (FDataRange != brDefault)
        Run.SetRunDataRange(FDataRange == brAllRecords ? drAllRecords : drSingleRecord);
    try {
        OnBeforeRun(this, Setup);
    } catch (const EAbort&) {
        return;
    } catch (const Exception&) {
        Application()->HandleException(this);
        return;
    }
    Run.Run();
}

void TKivReportButton::Click()
{
    if (auto* Run = dynamic_cast<IKivRunReport*>(FReport))
        RunReport(*Run);
    TBitBtn::Click();
}

} // namespace qor
