#include "runtime/output/QorPStat.h"

#include "runtime/output/QorFormParts.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorPrev.h"
#include "runtime/output/QorUtil.h"

namespace qor {

QOR_PUBLISH(TQorPreviewStatus) { b.Method("AbortButtonClick", &TQorPreviewStatus::AbortButtonClick); }

TQorPreviewStatus* QorPreviewStatus = nullptr;

TQorPreviewStatus::~TQorPreviewStatus()
{
    if (QorPreviewStatus == this)
        QorPreviewStatus = nullptr;
}

TQorPreviewStatus::TQorPreviewStatus(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qorpstat.qfm");
    Label1 = FormPart<TLabel>(*this, "Label1");
    lbPage = FormPart<TLabel>(*this, "lbPage");
    PageNumber = FormPart<TPanel>(*this, "PageNumber");
    AbortButton = FormPart<TButton>(*this, "AbortButton");
    Label1->SetCaption(LoadStr(56441));
    AbortButton->SetCaption(LoadStr(56444));
    lbPage->SetCaption(LoadStr(56443));
    SetCaption(LoadStr(56445));
}

void TQorPreviewStatus::UpdateStatus(TObject*)
{
    if (Preview && Preview->QorPrinter()) {
        PageNumber->SetCaption(std::to_string(Preview->QorPrinter()->PageNumber()));
        PageNumber->Repaint();
    }
}

void TQorPreviewStatus::AbortButtonClick(TObject*)
{
    TQorPrinter* Printer = Preview ? Preview->QorPrinter() : nullptr;
    switch (QorAskAbort()) {
    case IDYES:
        if (Printer) {
            Printer->SetStopPrinting(true);
            Printer->SetAbortPrinting(true);
        }
        break;
    case IDNO:
        if (Printer)
            Printer->SetStopPrinting(true);
        break;
    default:
        break;
    }
}

} // namespace qor
