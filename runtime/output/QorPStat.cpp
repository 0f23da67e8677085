#include "runtime/output/QorPStat.h"

#include "runtime/output/QorFormParts.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/StringTable.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFile.h"
#include "runtime/output/QorPrev.h"
#include "runtime/output/QorStrIds.h"
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
    QorReadForm(*this, "forms/qorpstat.qfm",
                {QOR_FORM_PART(Label1), QOR_FORM_PART(lbPage), QOR_FORM_PART(PageNumber), QOR_FORM_PART(AbortButton)});
    QorSetCaptions({{Label1, SQorPrintingWait}, {AbortButton, SQorAbort}, {lbPage, SQorPage}, {this, SQorPrintStatus}});
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
