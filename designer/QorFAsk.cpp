#include "designer/QorFAsk.h"

#include "platform/rtl/Filer.h"
#include "platform/rtl/TypeInfo.h"
#include "platform/ui/StdCtrls.h"
#include "runtime/output/QorFormParts.h"

namespace qor {

QOR_PUBLISH(TQorFastAskForm)
{
    b.Method("FormCreate", &TQorFastAskForm::FormCreate);
    b.Method("OkButtonClick", &TQorFastAskForm::OkButtonClick);
    b.Method("CancelButtonClick", &TQorFastAskForm::CancelButtonClick);
}

TQorFastAskForm::TQorFastAskForm(TComponent* AOwner) : TForm(AOwner)
{
    ReadFormResource(this, "forms/qorfask.qfm");
}

void TQorFastAskForm::FormCreate(TObject*)
{
    Label1 = FormPart<TLabel>(*this, "Label1");
    WrapButton = FormPart<TRadioButton>(*this, "WrapButton");
    ShrinkButton = FormPart<TRadioButton>(*this, "ShrinkButton");
    DeleteButton = FormPart<TRadioButton>(*this, "DeleteButton");
    IgnoreButton = FormPart<TRadioButton>(*this, "IgnoreButton");
    OkButton = FormPart<TButton>(*this, "OkButton");
    CancelButton = FormPart<TButton>(*this, "CancelButton");
    SetClientWidth(CancelButton->Left() + CancelButton->Width() + 15);
    SetClientHeight(CancelButton->Top() + CancelButton->Height() + 15);
    Canceled = true;
}

void TQorFastAskForm::OkButtonClick(TObject*)
{
    Canceled = false;
    Close();
}

void TQorFastAskForm::CancelButtonClick(TObject*)
{
    Canceled = true;
    Close();
}

} // namespace qor
