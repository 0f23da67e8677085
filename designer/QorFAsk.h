#pragma once
// The fast label tool's question when dropped labels would run past the printable width: wrap,
// shrink, delete the excess or ignore. Canceled stays true unless "Ok" closed it.

#include "platform/ui/Forms.h"

namespace qor {

class TButton;
class TLabel;
class TRadioButton;

class TQorFastAskForm : public TForm {
    QOR_CLASS(TQorFastAskForm, TForm)
public:
    explicit TQorFastAskForm(TComponent* AOwner);

    void FormCreate(TObject* Sender);
    void OkButtonClick(TObject* Sender);
    void CancelButtonClick(TObject* Sender);

    bool Canceled = true;
    TLabel* Label1 = nullptr;
    TRadioButton* WrapButton = nullptr;
    TRadioButton* ShrinkButton = nullptr;
    TRadioButton* DeleteButton = nullptr;
    TRadioButton* IgnoreButton = nullptr;
    TButton* OkButton = nullptr;
    TButton* CancelButton = nullptr;
};

} // namespace qor
