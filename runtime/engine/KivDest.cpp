#include "runtime/engine/KivDest.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/engine/PSetup.h"
#include "runtime/output/QorDest.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorStrIds.h"

namespace qor {

QOR_PUBLISH(TKivReportDestination)
{
    b.Method("FormShow", &TKivReportDestination::FormShow);
    b.Method("rangeAllClick", &TKivReportDestination::rangeAllClick);
    b.Method("rangePagesClick", &TKivReportDestination::rangePagesClick);
    b.Method("printersetupClick", &TKivReportDestination::printersetupClick);
    b.Method("btnPrintClick", &TKivReportDestination::btnPrintClick);
}

TKivReportDestination::TKivReportDestination(TComponent* AOwner) : TForm(AOwner)
{
    QorReadForm(*this, "forms/kivdest.qfm",
                {QOR_FORM_PART(lbCopies), QOR_FORM_PART(Copies), QOR_FORM_PART(CollatedCopies),
                 QOR_FORM_PART(destgroup), QOR_FORM_PART(goPrinter), QOR_FORM_PART(goScreen), QOR_FORM_PART(rangegroup),
                 QOR_FORM_PART(rangeAll), QOR_FORM_PART(rangePages), QOR_FORM_PART(lbFrom), QOR_FORM_PART(lbTo),
                 QOR_FORM_PART(StartRange), QOR_FORM_PART(EndRange), QOR_FORM_PART(btnPrint), QOR_FORM_PART(btnCancel),
                 QOR_FORM_PART(printersetup), QOR_FORM_PART(Printsetup)});
}

bool TKivReportDestination::AnyPrinters() const { return PageSetup && PageSetup->AnyPrinters(); }

void TKivReportDestination::FormShow(TObject*)
{
    QorSetDestinationCaptions(*this);
    QorSetCaptions({{goPrinter, SQorPrinter}, {goScreen, SQorScreen}, {destgroup, SQorDestination}});
    const bool Printers = AnyPrinters();
    goPrinter->SetEnabled(Printers);
    printersetup->SetEnabled(Printers);
    if (!PageSetup)
        return;
    if (PageSetup->Destination() != destPrinter)
        goScreen->SetChecked(true);
    else
        goPrinter->SetChecked(true);
    StartRange->SetText("");
    EndRange->SetText("");
    if (PageSetup->RangeStart() > 0)
        StartRange->SetText(std::to_string(PageSetup->RangeStart()));
    if (PageSetup->RangeEnd() > 0)
        EndRange->SetText(std::to_string(PageSetup->RangeEnd()));
    if (PageSetup->RangeStart() > 0 || PageSetup->RangeEnd() > 0) {
        rangePages->SetChecked(true);
        rangePagesClick(rangePages);
    }
    Copies->SetText(std::to_string(PageSetup->Copies()));
    CollatedCopies->SetChecked(PageSetup->CollatedCopies());
    if (Printers)
        PageSetup->LoadSettings();
}

void TKivReportDestination::rangeAllClick(TObject*) { QorClearPageRange(StartRange, EndRange); }

void TKivReportDestination::rangePagesClick(TObject*)
{
    StartRange->SetEnabled(true);
    EndRange->SetEnabled(true);
    if (StartRange->Text().empty())
        StartRange->SetText("1");
    if (EndRange->Text().empty())
        EndRange->SetText("0");
}

void TKivReportDestination::printersetupClick(TObject*) { QorExecuteBelowTopmost(*Printsetup, {this}); }

void TKivReportDestination::btnPrintClick(TObject*)
{
    // Everything is read and checked before anything is taken, so a refusal changes nothing.
    const Integer CopyCount = EditNumber(Copies);
    // 0 leaves the printer's own number of copies.
    if (CopyCount < 0 || CopyCount > KivMaxCopies)
        throw EConvertError("The number of copies must be between 0 and " + std::to_string(KivMaxCopies));
    Integer First = 0, Last = 0;
    if (!rangeAll->Checked()) {
        First = EditNumber(StartRange, true);
        Last = EditNumber(EndRange, true);
    }
    if (PageSetup) {
        PageSetup->SetDestination(goPrinter->Checked() ? destPrinter : destScreen);
        PageSetup->SetRangeStart(First);
        PageSetup->SetRangeEnd(Last);
        if (AnyPrinters())
            PageSetup->CopySettings();
        PageSetup->SetCopies(CopyCount);
        PageSetup->SetCollatedCopies(CollatedCopies->Checked());
        if (AnyPrinters())
            PageSetup->LoadSettings();
    }
    SetModalResult(mrOk);
}

} // namespace qor
