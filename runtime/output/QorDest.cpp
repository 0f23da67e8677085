#include "runtime/output/QorDest.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorPrev.h"
#include "runtime/output/QorSetup.h"
#include "runtime/output/QorUtil.h"

namespace qor {

QOR_PUBLISH(TQorPrintDestination)
{
    b.Method("FormShow", &TQorPrintDestination::FormShow);
    b.Method("rangeAllClick", &TQorPrintDestination::rangeAllClick);
    b.Method("rangePagesClick", &TQorPrintDestination::rangePagesClick);
    b.Method("printersetupClick", &TQorPrintDestination::printersetupClick);
    b.Method("btnPrintClick", &TQorPrintDestination::btnPrintClick);
}

TQorPrintDestination::TQorPrintDestination(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qordest.qfm");
    lbCopies = FormPart<TLabel>(*this, "lbCopies");
    Copies = FormPart<TEdit>(*this, "Copies");
    CollatedCopies = FormPart<TCheckBox>(*this, "CollatedCopies");
    rangegroup = FormPart<TGroupBox>(*this, "rangegroup");
    rangeAll = FormPart<TRadioButton>(*this, "rangeAll");
    rangeCurrent = FormPart<TRadioButton>(*this, "rangeCurrent");
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

void TQorPrintDestination::FormShow(TObject*)
{
    CollatedCopies->SetCaption(LoadStr(56420));
    SetCaption(LoadStr(56421));
    rangegroup->SetCaption(LoadStr(56422));
    rangeAll->SetCaption(LoadStr(56426));
    rangePages->SetCaption(LoadStr(56427));
    rangeCurrent->SetCaption(LoadStr(56440));
    lbFrom->SetCaption(LoadStr(56428));
    lbTo->SetCaption(LoadStr(56429));
    btnPrint->SetCaption(LoadStr(56430));
    btnCancel->SetCaption(LoadStr(56431));
    printersetup->SetCaption(LoadStr(56432));
    lbCopies->SetCaption(LoadStr(56433));
    StartRange->SetText("");
    EndRange->SetText("");
    if (QorPrinterSetup) {
        Copies->SetText(std::to_string(QorPrinterSetup->Copies()));
        CollatedCopies->SetChecked(QorPrinterSetup->CollatedCopies());
    }
    StartPage = EndPage = 0;
}

void TQorPrintDestination::rangeAllClick(TObject*)
{
    for (TEdit* Edit : {StartRange, EndRange}) {
        Edit->SetText("");
        Edit->SetEnabled(false);
    }
}

void TQorPrintDestination::rangePagesClick(TObject*)
{
    StartRange->SetText(Preview ? "1" : "");
    EndRange->SetText(Preview ? std::to_string(Preview->PageCount()) : "");
    StartRange->SetEnabled(true);
    EndRange->SetEnabled(true);
}

bool QorExecuteBelowTopmost(TPrinterSetupDialog& Dialog, std::initializer_list<TCustomForm*> Forms)
{
    std::vector<TCustomForm*> Lowered;
    for (TCustomForm* Form : Forms)
        if (Form && Form->FormStyle() == fsStayOnTop && Form->Topmost()) {
            Form->SetTopmost(false);
            Lowered.push_back(Form);
        }
    struct TRaise {
        std::vector<TCustomForm*>& Forms;
        ~TRaise()
        {
            for (TCustomForm* Form : Forms)
                Form->SetTopmost(true);
        }
    } Raise{Lowered};
    return Dialog.Execute();
}

void TQorPrintDestination::printersetupClick(TObject*) { QorExecuteBelowTopmost(*Printsetup, {Viewer, this}); }

void TQorPrintDestination::btnPrintClick(TObject*)
{
    if (QorPrinterSetup) {
        QorPrinterSetup->GetData();
        QorPrinterSetup->SetCollatedCopies(CollatedCopies->Checked());
        QorPrinterSetup->SetCopies(EditNumber(Copies));
        QorPrinterSetup->SetData();
    }
    if (rangeAll->Checked()) {
        StartPage = EndPage = 0;
    } else if (rangeCurrent->Checked()) {
        StartPage = EndPage = Preview ? Preview->Page() : 0;
    } else {
        StartPage = EditNumber(StartRange, true);
        EndPage = EditNumber(EndRange, true);
    }
    SetModalResult(mrOk);
}

} // namespace qor
