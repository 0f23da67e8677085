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
    ReadFormResource(this, "forms/kivdest.qfm");
    lbCopies = FormPart<TLabel>(*this, "lbCopies");
    Copies = FormPart<TEdit>(*this, "Copies");
    CollatedCopies = FormPart<TCheckBox>(*this, "CollatedCopies");
    destgroup = FormPart<TGroupBox>(*this, "destgroup");
    goPrinter = FormPart<TRadioButton>(*this, "goPrinter");
    goScreen = FormPart<TRadioButton>(*this, "goScreen");
    rangegroup = FormPart<TGroupBox>(*this, "rangegroup");
    rangeAll = FormPart<TRadioButton>(*this, "rangeAll");
    rangePages = FormPart<TRadioButton>(*this, "rangePages");
    lbFrom = FormPart<TLabel>(*this, "lbFrom");
    lbTo = FormPart<TLabel>(*this, "lbTo");
    StartRange = FormPart<TEdit>(*this, "StartRange");
    EndRange = FormPart<TEdit>(*this, "EndRange");
    btnPrint = FormPart<TButton>(*this, "btnPrint");
    btnCancel = FormPart<TButton>(*this, "btnCancel");
    printersetup = FormPart<TButton>(*this, "printersetup");
    Printsetup = FormPart<TPrinterSetupDialog>(*this, "Printsetup");
}

bool TKivReportDestination::AnyPrinters() const { return PageSetup && PageSetup->AnyPrinters(); }

void TKivReportDestination::FormShow(TObject*)
{
    goPrinter->SetCaption(LoadStr(56424));
    goScreen->SetCaption(LoadStr(56425));
    rangeAll->SetCaption(LoadStr(56426));
    rangePages->SetCaption(LoadStr(56427));
    lbFrom->SetCaption(LoadStr(56428));
    lbTo->SetCaption(LoadStr(56429));
    btnPrint->SetCaption(LoadStr(56430));
    btnCancel->SetCaption(LoadStr(56431));
    printersetup->SetCaption(LoadStr(56432));
    lbCopies->SetCaption(LoadStr(56433));
    CollatedCopies->SetCaption(LoadStr(56420));
    SetCaption(LoadStr(56421));
    destgroup->SetCaption(LoadStr(56423));
    rangegroup->SetCaption(LoadStr(56422));
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

void TKivReportDestination::rangeAllClick(TObject*)
{
    for (TEdit* Edit : {StartRange, EndRange}) {
        Edit->SetText("");
        Edit->SetEnabled(false);
    }
}

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
