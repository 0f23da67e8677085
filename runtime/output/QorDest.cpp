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
#include "runtime/output/QorStrIds.h"
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
    QorReadForm(*this, "forms/qordest.qfm",
                {QOR_FORM_PART(lbCopies), QOR_FORM_PART(Copies), QOR_FORM_PART(CollatedCopies),
                 QOR_FORM_PART(rangegroup), QOR_FORM_PART(rangeAll), QOR_FORM_PART(rangeCurrent),
                 QOR_FORM_PART(rangePages), QOR_FORM_PART(lbFrom), QOR_FORM_PART(lbTo), QOR_FORM_PART(StartRange),
                 QOR_FORM_PART(EndRange), QOR_FORM_PART(btnPrint), QOR_FORM_PART(btnCancel),
                 QOR_FORM_PART(printersetup), QOR_FORM_PART(Printsetup)});
}

void QorSetDestinationCaptions(TForm& Dialog)
{
    QorSetCaptions({{&Dialog, SQorReportDestination}});
    const struct {
        const char* Name;
        Integer Id;
    } Parts[] = {{"CollatedCopies", SQorCollate}, {"rangegroup", SQorRange}, {"rangeAll", SQorAll},
                 {"rangePages", SQorPages},       {"lbFrom", SQorFrom},      {"lbTo", SQorTo},
                 {"btnPrint", SQorPrint},         {"btnCancel", SQorCancel}, {"printersetup", SQorPrinterSetup},
                 {"lbCopies", SQorCopies}};
    for (const auto& Part : Parts)
        if (auto* Control = FormPart<TControl>(Dialog, Part.Name))
            Control->SetCaption(LoadStr(Part.Id));
}

void QorClearPageRange(TEdit* StartRange, TEdit* EndRange)
{
    for (TEdit* Edit : {StartRange, EndRange}) {
        Edit->SetText("");
        Edit->SetEnabled(false);
    }
}

void TQorPrintDestination::FormShow(TObject*)
{
    QorSetDestinationCaptions(*this);
    QorSetCaptions({{rangeCurrent, SQorCurrentPage}});
    StartRange->SetText("");
    EndRange->SetText("");
    if (QorPrinterSetup) {
        Copies->SetText(std::to_string(QorPrinterSetup->Copies()));
        CollatedCopies->SetChecked(QorPrinterSetup->CollatedCopies());
    }
    StartPage = EndPage = 0;
}

void TQorPrintDestination::rangeAllClick(TObject*) { QorClearPageRange(StartRange, EndRange); }

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
