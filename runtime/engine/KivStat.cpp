#include "runtime/engine/KivStat.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFormParts.h"
#include "runtime/output/QorMeter.h"
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
    ReadFormResource(this, "forms/kivstat.qfm");
    lbWait = FormPart<TLabel>(*this, "lbWait");
    lbPage = FormPart<TLabel>(*this, "lbPage");
    pagenumber = FormPart<TPanel>(*this, "pagenumber");
    LoadMeter = FormPart<TQorMeter>(*this, "LoadMeter");
    Abortbutton = FormPart<TButton>(*this, "Abortbutton");
}

void TFormPrintStatus::FormShow(TObject*)
{
    lbPage->SetCaption(LoadStr(56443));
    Abortbutton->SetCaption(LoadStr(56444));
    SetCaption(LoadStr(56445));
}

void TFormPrintStatus::UpdateStatus(TKivStatusPageIntf* Page, TKivStatus Stat)
{
    FPage = Page;
    if (Stat == ssPrinting)
        lbWait->SetCaption(LoadStr(56441));
    else if (Stat == ssGenerating)
        lbWait->SetCaption(LoadStr(56442));
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
