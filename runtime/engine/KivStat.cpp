#include "runtime/engine/KivStat.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorMeter.h"
#include "runtime/output/QorStrIds.h"
#include "runtime/output/QorUtil.h"

namespace qor {

QOR_PUBLISH(TFormPrintStatus)
{
    b.Method("FormShow", &TFormPrintStatus::FormShow);
    b.Method("FormCloseQuery", &TFormPrintStatus::FormCloseQuery);
    b.Method("FormClose", &TFormPrintStatus::FormClose);
    b.Method("AbortbuttonClick", &TFormPrintStatus::AbortbuttonClick);
}

TFormPrintStatus::TFormPrintStatus(TComponent* AOwner) : TForm(AOwner)
{
    QorReadForm(*this, "forms/kivstat.qfm",
                {QOR_FORM_PART(lbWait), QOR_FORM_PART(lbPage), QOR_FORM_PART(pagenumber), QOR_FORM_PART(LoadMeter),
                 QOR_FORM_PART(Abortbutton)});
}

void TFormPrintStatus::FormShow(TObject*)
{
    QorSetCaptions({{lbPage, SQorPage}, {Abortbutton, SQorAbort}, {this, SQorPrintStatus}});
}

void TFormPrintStatus::UpdateStatus(IKivStatusPage* Page, TKivStatus Stat)
{
    FPage = Page;
    if (Stat == ssPrinting)
        lbWait->SetCaption(LoadStr(SQorPrintingWait));
    else if (Stat == ssGenerating)
        lbWait->SetCaption(LoadStr(SQorGeneratingWait));
    if (Page) {
        pagenumber->SetCaption(std::to_string(Page->PageNumber()));
        LoadMeter->SetProgress(Integer(Round(Page->PercentDone())));
    }
    if (Stat == ssEnd) {
        if (Page)
            Page->ClearUpdateStatus();
        FPage = nullptr;
        Closing = true;
        Close();
        return;
    }
    Repaint();
}

void TFormPrintStatus::AskAbort()
{
    switch (QorAskAbort()) {
    case IDYES:
        if (Report)
            Report->SetCancelPrintJob(true);
        if (FPage)
            FPage->SetAbortPrinting(true);
        break;
    case IDNO:
        if (Report)
            Report->AbortReport();
        if (FPage)
            FPage->SetAbortPrinting(true);
        break;
    default:
        break;
    }
}

void TFormPrintStatus::FormCloseQuery(TObject*, bool& CanClose)
{
    CanClose = Closing;
    if (!Closing)
        AskAbort();
}

void TFormPrintStatus::FormClose(TObject*, TCloseAction& Action) { Action = caFree; }

void TFormPrintStatus::AbortbuttonClick(TObject*) { AskAbort(); }

} // namespace qor
