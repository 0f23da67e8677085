#include "designer/QorFAsk.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFormParts.h"

namespace qor {

QOR_PUBLISH(TQorFastAskForm)
{
    b.Method("FormCreate", &TQorFastAskForm::FormCreate);
    b.Method("OkBtnClick", &TQorFastAskForm::OkBtnClick);
    b.Method("CancelBtnClick", &TQorFastAskForm::CancelBtnClick);
}

TQorFastAskForm::TQorFastAskForm(TComponent* AOwner) : TForm(AOwner) { ReadFormResource(this, "forms/qorfask.qfm"); }

void TQorFastAskForm::FormCreate(TObject*)
{
    Label1 = FormPart<TLabel>(*this, "Label1");
    Label2 = FormPart<TLabel>(*this, "Label2");
    Wrap = FormPart<TRadioButton>(*this, "Wrap");
    Shrink = FormPart<TRadioButton>(*this, "Shrink");
    Delete = FormPart<TRadioButton>(*this, "Delete");
    Ignore = FormPart<TRadioButton>(*this, "Ignore");
    OkBtn = FormPart<TButton>(*this, "OkBtn");
    CancelBtn = FormPart<TButton>(*this, "CancelBtn");
    SetClientWidth(CancelBtn->Left() + CancelBtn->Width() + 15);
    SetClientHeight(CancelBtn->Top() + CancelBtn->Height() + 15);
    Canceled = true;
}

void TQorFastAskForm::OkBtnClick(TObject*)
{
    Canceled = false;
    Close();
}

void TQorFastAskForm::CancelBtnClick(TObject*)
{
    Canceled = true;
    Close();
}

} // namespace qor
